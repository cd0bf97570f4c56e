# Debian packages built by CPack (cpack -G DEB in the build folder):
#   tavrelsample      the program, its skin component, the host library, the
#                     desktop entry and icon, and the generic skin plugin with
#                     tavrel-skin-run
#   tavrelsample-dev  headers, CMake package, pkg-config file, skin picture
# Dependencies on other packages come from dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tavrelsample)
set(CPACK_PACKAGE_VENDOR "Tavrel")
set(CPACK_PACKAGE_CONTACT "Tavrel Sample developers <tavrelsample@example.org>")
set(CPACK_PACKAGE_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
set(CPACK_PACKAGE_VERSION_MINOR ${PROJECT_VERSION_MINOR})
set(CPACK_PACKAGE_VERSION_PATCH ${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tavrel window-skinning component")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS Runtime)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME tavrelsample)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "The demonstration program, its skin component and the component host\n\
library, and tavrel-skin-run, which puts the skin on any Qt 6 Widgets program.")
# The host library is shared: a shlibs file for packages that link to it, and
# the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME tavrelsample-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The headers include Qt's.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "The kit for hosting the skin component in other programs: headers of the\n\
component host, its CMake package and pkg-config file, and the skin picture.")

include(CPack)
