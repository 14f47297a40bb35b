# Cross-builds the Windows programs with MinGW-w64 on Linux.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake ...
# The -posix variant of the compiler: the -win32 one of GCC 12 has no std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SONORET_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SONORET_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SONORET_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SONORET_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SONORET_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and the threads library linked in: a program that needs their DLLs
# and does not find them beside it ends at once, with no message at all.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# The tests run through Wine where it is installed.
find_program(SONORET_WINE wine)
if(SONORET_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${SONORET_WINE})
endif()

# pkg-config looks at the Windows libraries only, never at this machine's own.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
