# The Windows archive (`cpack -G ZIP` in the Windows build): one folder with
# vareko.exe, the device library and the display service (vareko-display.exe,
# installed by its folder) side by side, README-windows.txt and LICENSE.txt
# (the licence followed by the source fonts' notice).
include(${CMAKE_CURRENT_LIST_DIR}/VarekoFontsNotice.cmake)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
file(WRITE ${CMAKE_BINARY_DIR}/windows/LICENSE.txt
  "${licence}\nThe notice of the source fonts:\n\n${VAREKO_FONTS_NOTICE_TEXT}")

install(TARGETS vareko_display_link RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README-windows.txt ${CMAKE_BINARY_DIR}/windows/LICENSE.txt
  DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME vareko-${PROJECT_VERSION}-win64)
