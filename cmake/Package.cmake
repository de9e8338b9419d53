# `make package`: a Debian package of everything `make install` ships, under
# /usr, with its dependencies read from the program's shared libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pm5544)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "pm5544 developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PM5544 test card renderer")
set(CPACK_PACKAGE_DESCRIPTION [[
Renders the PM5544 broadcast test card at any size, aspect, colour space,
chroma sampling and bit depth, and writes it as PNG, TIFF, DPX or run-length
pattern files for test instruments. Includes the core library, its headers,
a CMake package and a pkg-config file for programs that draw patterns of
their own.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian keeps manual pages compressed; `make install` leaves them plain.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/GzipManPages.cmake)

# `make package` builds the installables target first; CPack need not build
# the whole tree (the tests) before it installs.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

include(CPack)
