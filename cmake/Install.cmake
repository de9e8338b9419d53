# `make install`: the programs, their manual page, and the core library with
# its headers, a CMake package (find_package(pm5544) gives pm5544::core) and a
# pkg-config file, so that other programs can draw patterns with it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Headers keep their layout under one folder of their own, so that
# "tools/Pixel.h" and the other includes of the sources resolve unchanged.
set(PM5544_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/pm5544)
set(PM5544_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/pm5544)
set(PM5544_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# `make install` and `make package` build this target first: everything that
# is installed, without the tests.
add_custom_target(installables)
add_dependencies(installables ${PM5544_PROGRAMS} pm5544core)

install(TARGETS ${PM5544_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PM5544_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set_target_properties(pm5544core PROPERTIES EXPORT_NAME core)
install(TARGETS pm5544core EXPORT pm5544Targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${PM5544_INCLUDE_DIR})
# The headers of the library's interface: the colour model, the pattern
# framework and the writers, and the driver's entry that runs a pattern with
# pm5544's command line. The card, the streaming rows, the settings and the
# inspector are the programs' own.
foreach(folder tools patterns writers)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/${folder}/ DESTINATION ${PM5544_INCLUDE_DIR}/${folder}
    FILES_MATCHING PATTERN "*.h" PATTERN pm5544 EXCLUDE)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/src/PatternRender.h DESTINATION ${PM5544_INCLUDE_DIR})

install(EXPORT pm5544Targets NAMESPACE pm5544:: DESTINATION ${PM5544_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/pm5544Config.cmake.in
  ${PROJECT_BINARY_DIR}/pm5544Config.cmake INSTALL_DESTINATION ${PM5544_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/pm5544ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/pm5544Config.cmake ${PROJECT_BINARY_DIR}/pm5544ConfigVersion.cmake
  DESTINATION ${PM5544_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place, so that a tree
# installed with `cmake --install --prefix` or DESTDIR and moved stays usable.
file(RELATIVE_PATH PM5544_PC_TO_PREFIX /prefix/${PM5544_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" PM5544_PC_TO_PREFIX "${PM5544_PC_TO_PREFIX}")
string(REPLACE ";" " " PM5544_PC_REQUIRES "${PM5544_PKG_MODULES};nlohmann_json")
configure_file(${CMAKE_CURRENT_LIST_DIR}/pm5544.pc.in ${PROJECT_BINARY_DIR}/pm5544.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/pm5544.pc DESTINATION ${PM5544_PKGCONFIG_DIR})
