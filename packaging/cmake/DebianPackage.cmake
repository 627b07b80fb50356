# The Debian package qtseval, made by CPack from what `cmake --install` puts
# in place plus the component `debian` (udev rule, README.Debian, lintian
# overrides). Build it with scripts/build-deb, which configures the install
# prefix /usr and Debian's hardening flags.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QTS_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The QtsEval developers")
set(CPACK_PACKAGE_CONTACT "QtsEval developers <qtseval@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "evaluation software for the QTS5460 SMBus temperature monitor")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[The QTS5460 measures its own and a remote diode's temperature, compares
both with programmable limits and flags violations on its ALERT output.
QtsEval finds the chip's evaluation board on a parallel printer port
(a bit-banged SMBus adapter) or on the PC's on-board SMBus, charts its
temperatures, reads and writes every register and logs readings.
qtsctl does the same from the command line. Both run on a built-in
virtual PC with the evaluation board when no hardware is chosen.

The package also carries the communications component KORComPort04
(C++) and the port access library LptBridge (C) with their headers,
CMake and pkg-config files, for programs of your own.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A cross build's package is for the architecture it was built for, not this
# machine's (Debian's name of the target's GNU type: aarch64-linux-gnu is arm64).
if(CMAKE_CROSSCOMPILING AND CMAKE_LIBRARY_ARCHITECTURE)
  execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Everything that `cmake --install` installs, and the Debian-only files, in
# one package.
set(CPACK_COMPONENTS_ALL Unspecified debian)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

# Depends: what dpkg-shlibdeps finds the binaries need (Qt, the C++
# runtime), and adduser for the postinst that creates the group i2c.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_INSTALL_PREFIX}/${QTS_INSTALL_PRIVATEDIR}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/triggers)

include(CPack)
