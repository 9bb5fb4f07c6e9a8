# The Debian package: `cpack -G DEB` in the build folder packs what
# `cmake --install` installs (data/desktop/CMakeLists.txt) under /usr, with
# the binary stripped and the dependencies found by dpkg-shlibdeps from the
# shared libraries it links. scripts/package.sh builds and checks it.
# Included by the top CMakeLists.txt, after every install rule.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantorel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantorel developers")
set(CPACK_PACKAGE_CONTACT "${VANTOREL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "emulator of the Exidy Sorcerer home computer")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantorel runs the Exidy Sorcerer, a Z80 home computer of 1978, in a window at
its real speed. It boots a monitor ROM and character set written for it, so no
ROM images of the original machine are needed. It plays game ROM cartridges,
snapshots and cassette tapes (WAV or raw), sounds the speaker, reads joysticks,
and runs headless for scripts and tests.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # vantorel_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANTOREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)  # emulators; games go in /usr/games
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VANTOREL_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_THREADS 0)  # compress with every core
include(CPack)
