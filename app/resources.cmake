# The application icon and version block, included by app/CMakeLists.txt
# after the tavrelsample target is defined. The icon files under resources/
# are written by tools/icons (tavrel-icongen) and committed.

if(WIN32)
  enable_language(RC)
  target_sources(tavrelsample PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tavrelsample.rc)
  # The script names its files relative to app/.
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/tavrelsample.rc PROPERTIES
    INCLUDE_DIRECTORIES ${CMAKE_CURRENT_LIST_DIR})
endif()

# The window icon at run time, on every platform: ":/app/tavrelsample.ico"
# (all three images) and ":/app/tavrelsample.png" (32 x 32).
qt_add_resources(tavrelsample tavrelsample_icon
  PREFIX /app
  BASE ${CMAKE_CURRENT_LIST_DIR}/resources
  FILES
    ${CMAKE_CURRENT_LIST_DIR}/resources/tavrelsample.ico
    ${CMAKE_CURRENT_LIST_DIR}/resources/tavrelsample.png)

if(UNIX AND NOT APPLE)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/tavrelsample.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavrelsample.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
