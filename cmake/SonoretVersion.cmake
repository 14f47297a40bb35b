# The one version number: project(... VERSION) at the top. The generated header sonoret_version.h
# carries it, with the desktop application id, to every program that shows it (link the
# target sonoret_version); the package takes it from the same variable.
set(SONORET_APP_ID "org.sonoret.Manager" CACHE STRING
    "The window program's desktop id: its desktop entry, icon and AppStream data bear it")

set(SONORET_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/sonoret_version.h.in
    ${SONORET_GENERATED_DIR}/sonoret_version.h @ONLY)

add_library(sonoret_version INTERFACE)
target_include_directories(sonoret_version INTERFACE ${SONORET_GENERATED_DIR})
