# Where an installed QtsEval keeps its files (GNU install directories), and
# how its programs and libraries find one another there: every RUNPATH is
# relative to $ORIGIN, so a tree installed under any prefix (or DESTDIR) works
# as it lies, like the build tree, where everything sits in bin/.
#
#   bin/                          QtsEval, qtsctl
#   lib[/<triplet>]/              libKORComPort04.so.N, libLptBridge.so.N (public)
#   lib[/<triplet>]/qtseval/      the platform layer, the virtual PC and the
#                                 private programs it starts (qtsvpc)
#   include/KORComPort04/comport/ the component's C++ headers
#   include/LptBridge.h           the port access library's C header
#   lib[/<triplet>]/cmake/, lib[/<triplet>]/pkgconfig/
#   share/applications, share/metainfo, share/icons, share/man/man1,
#   share/bash-completion/completions, share/doc/qtseval (with examples/)
#
# The platform layer loads the virtual PC and starts its helper programs by
# file name from its own directory (dladdr), which is why private libraries
# and private programs share one directory.

set(QTS_PACKAGE_NAME qtseval)
set(QTS_INSTALL_PRIVATEDIR "${CMAKE_INSTALL_LIBDIR}/${QTS_PACKAGE_NAME}")
set(QTS_INSTALL_FULL_PRIVATEDIR "${CMAKE_INSTALL_FULL_LIBDIR}/${QTS_PACKAGE_NAME}")
# Documents under the package's name (GNUInstallDirs' DOCDIR would take the
# project's).
set(QTS_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/${QTS_PACKAGE_NAME}")
set(QTS_INSTALL_FULL_DOCDIR "${CMAKE_INSTALL_FULL_DATAROOTDIR}/doc/${QTS_PACKAGE_NAME}")

# The path from directory FROM to directory TO as seen from a binary in FROM.
function(qts_origin_path variable from to)
  file(RELATIVE_PATH relative "${from}" "${to}")
  string(REGEX REPLACE "/$" "" relative "${relative}")
  if(relative STREQUAL "")
    set(${variable} "$ORIGIN" PARENT_SCOPE)
  else()
    set(${variable} "$ORIGIN/${relative}" PARENT_SCOPE)
  endif()
endfunction()

qts_origin_path(_qtsBinToLib "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}")
qts_origin_path(_qtsBinToPrivate "${CMAKE_INSTALL_FULL_BINDIR}" "${QTS_INSTALL_FULL_PRIVATEDIR}")
qts_origin_path(_qtsLibToPrivate "${CMAKE_INSTALL_FULL_LIBDIR}" "${QTS_INSTALL_FULL_PRIVATEDIR}")
qts_origin_path(_qtsPrivateToLib "${QTS_INSTALL_FULL_PRIVATEDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}")

# Programs that users start: bin/. Where the libraries go to a directory the
# loader searches anyway (/usr/lib/<triplet>), the programs' RUNPATH names
# only the private directory.
set(_qtsProgramRpath "${_qtsBinToLib};${_qtsBinToPrivate}")
if("${CMAKE_INSTALL_FULL_LIBDIR}" IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
  set(_qtsProgramRpath "${_qtsBinToPrivate}")
endif()

function(qts_install_programs)
  set_target_properties(${ARGN} PROPERTIES INSTALL_RPATH "${_qtsProgramRpath}")
  install(TARGETS ${ARGN} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# Libraries and programs that only the project's own code loads or starts:
# the private directory. One line per new helper program.
function(qts_install_private)
  set_target_properties(${ARGN} PROPERTIES INSTALL_RPATH "$ORIGIN;${_qtsPrivateToLib}")
  install(TARGETS ${ARGN}
    RUNTIME DESTINATION ${QTS_INSTALL_PRIVATEDIR}
    LIBRARY DESTINATION ${QTS_INSTALL_PRIVATEDIR} NAMELINK_SKIP)
endfunction()

# A public shared library with its CMake package (find_package(NAME) gives
# NAME::NAME) and its pkg-config file (packaging/pkgconfig/NAME.pc.in).
function(qts_install_public_library name)
  set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN;${_qtsLibToPrivate}")
  install(TARGETS ${name} EXPORT ${name}Targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  set(packageDir "${CMAKE_INSTALL_LIBDIR}/cmake/${name}")
  install(EXPORT ${name}Targets NAMESPACE ${name}:: DESTINATION ${packageDir})
  include(CMakePackageConfigHelpers)
  configure_package_config_file("${PROJECT_SOURCE_DIR}/packaging/cmake/${name}Config.cmake.in"
    "${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake" INSTALL_DESTINATION ${packageDir})
  write_basic_package_version_file("${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake"
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES "${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake" "${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake"
    DESTINATION ${packageDir})
  configure_file("${PROJECT_SOURCE_DIR}/packaging/pkgconfig/${name}.pc.in" "${CMAKE_CURRENT_BINARY_DIR}/${name}.pc" @ONLY)
  install(FILES "${CMAKE_CURRENT_BINARY_DIR}/${name}.pc" DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()
