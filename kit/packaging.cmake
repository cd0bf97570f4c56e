# Debian packages built by CPack (cpack -G DEB in the build folder):
#   tavrelsample      the program, its skin component, the desktop entry and
#                     icon, and the generic skin plugin with tavrel-skin-run
#   libtavrelhost1    the host library (named after its SONAME), with a
#                     symbols file and the ldconfig trigger
#   tavrelsample-dev  headers, CMake package, pkg-config file, skin picture
# Dependencies on other packages come from dpkg-shlibdeps. Each package
# carries its copyright and changelog; every program in bin/ has a manual
# page. Checked by lintian in tests/e2e/tst_install.cpp.
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

set(CPACK_COMPONENTS_ALL Runtime Library Development)
set(CPACK_COMPONENT_RUNTIME_DEPENDS Library)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS Runtime Library)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME tavrelsample)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "demonstration program of the Tavrel window-skinning component\n\
The demonstration program and its skin component, and tavrel-skin-run,\n\
which puts the skin on the windows of any Qt 6 Widgets program without\n\
changing it.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libtavrelhost1)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION
  "component host library of the Tavrel window-skinning component\n\
The library that creates components from plugins by class name, calls\n\
their members by id, stores their properties and delivers their events.\n\
Programs that host the Tavrel skin component link to it.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME tavrelsample-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The headers include Qt's.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "development kit for hosting the Tavrel skin component\n\
Headers of the component host library, its CMake package and pkg-config\n\
file, and the skin picture, for programs that put the Tavrel skin on\n\
their own windows.")

if(UNIX AND NOT APPLE)
  set(_deb ${PROJECT_SOURCE_DIR}/kit/deb)
  set(_deb_out ${CMAKE_BINARY_DIR}/kit/deb)
  file(MAKE_DIRECTORY ${_deb_out})
  # Compressed as Debian wants them: best compression, no time stamp.
  find_program(TAVREL_GZIP gzip)
  function(tavrel_gzip source output)
    add_custom_command(OUTPUT ${output}
      COMMAND ${TAVREL_GZIP} -9nc ${source} > ${output}
      DEPENDS ${source} VERBATIM)
  endfunction()
  tavrel_gzip(${_deb}/changelog ${_deb_out}/changelog.gz)
  tavrel_gzip(${_deb}/tavrelsample.1 ${_deb_out}/tavrelsample.1.gz)
  tavrel_gzip(${_deb}/tavrel-skin-run.1 ${_deb_out}/tavrel-skin-run.1.gz)
  add_custom_target(tavrel_debian_docs ALL DEPENDS
    ${_deb_out}/changelog.gz ${_deb_out}/tavrelsample.1.gz ${_deb_out}/tavrel-skin-run.1.gz)

  install(FILES ${_deb_out}/tavrelsample.1.gz ${_deb_out}/tavrel-skin-run.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Runtime)
  foreach(_component Runtime Library Development)
    string(TOUPPER ${_component} _upper)
    install(FILES ${_deb}/copyright ${_deb_out}/changelog.gz
      DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${_upper}_PACKAGE_NAME}
      COMPONENT ${_component})
  endforeach()

  # The library's package: dpkg-shlibdeps of the packages that link to it
  # read its shlibs and symbols files (the symbols file is made after
  # packaging, below); the loader's cache is refreshed by the ldconfig
  # trigger, not by maintainer scripts.
  configure_file(${_deb}/cpack-project.cmake.in ${_deb_out}/cpack-project.cmake @ONLY)
  set(CPACK_PROJECT_CONFIG_FILE ${_deb_out}/cpack-project.cmake)
  configure_file(${_deb}/shlibs.in ${_deb_out}/shlibs @ONLY)
  configure_file(${_deb}/triggers ${_deb_out}/triggers COPYONLY)
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${_deb_out}/shlibs ${_deb_out}/triggers)
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(TAVREL_LIBRARY_PACKAGE ${CPACK_DEBIAN_LIBRARY_PACKAGE_NAME})
  set(TAVREL_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
  set(TAVREL_SYMBOLS_TEMPLATE ${_deb}/libtavrelhost1.symbols)
  configure_file(${_deb}/finish-packages.cmake.in ${_deb_out}/finish-packages.cmake @ONLY)
  set(CPACK_POST_BUILD_SCRIPTS ${_deb_out}/finish-packages.cmake)
endif()

include(CPack)
