# The .deb package, made by `./manage package` (cpack in a release build): the package
# "sonoret" holds everything `cmake --install` puts below /usr. Its library dependencies come
# from dpkg-shlibdeps; what the programs load by other means is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonoret)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_VENDOR "Sonoret")
set(SONORET_PACKAGE_MAINTAINER "Sonoret Manager developers <maintainers@sonoret.org>" CACHE STRING
    "The package's maintainer, as Debian writes it: name <address>")
set(CPACK_PACKAGE_CONTACT ${SONORET_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SONORET_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://sonoret.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manager of the QP2400 hand-held voice recorder")
# The long description, one line of the control file each (Debian keeps them below 80 columns).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Over the recorder's serial cable Sonoret Manager reads the recorder's five\n"
    "folders of messages, downloads a message, converts its coded voice into a\n"
    "WAV file, plays or saves it, deletes messages and sets the recorder's\n"
    "clock. Beside that it is a small file manager for the computer's WAV files.\n"
    "\n"
    "It comes as two programs: sonoret-manager, the window program, and\n"
    "sonoret, the command line. A built-in recorder emulator (--simulate)\n"
    "stands in where no recorder is connected.\n"
    "\n"
    "To reach the recorder your user must be in the dialout group:\n"
    "sudo adduser $USER dialout, then log in again.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET sonoret-manager)
    # Qt loads the window system's plugin at run time; dpkg-shlibdeps does not see it.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
    # Play opens the message in the desktop's player through xdg-open.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
