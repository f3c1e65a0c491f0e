# The Debian package (`cpack -G DEB`): always under /usr whatever prefix the
# build was configured with, with the machine-readable copyright file, the
# changelog and the registry value file as a
# configuration file, so that dpkg installs it and removes it on purge.
set(debian_sources ${PROJECT_SOURCE_DIR}/packaging/debian)
set(debian_build ${CMAKE_BINARY_DIR}/debian)

# Text as a copyright file's license paragraph wants it: every line indented
# by one space, an empty line as " .".
function(vareko_copyright_paragraph text out_var)
  string(STRIP "${text}" text)
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}")
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text " ${text}")
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Permission is hereby granted.*SOFTWARE\\.\n" expat "${licence}")
if(NOT expat)
  message(FATAL_ERROR "LICENSE no longer holds the text that the copyright file takes from it")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/VarekoFontsNotice.cmake)
vareko_copyright_paragraph("${expat}" VAREKO_EXPAT_TEXT)
vareko_copyright_paragraph("${VAREKO_FONTS_NOTICE_TEXT}" VAREKO_FONTS_NOTICE)
configure_file(${debian_sources}/copyright.in ${debian_build}/copyright @ONLY)
install(FILES ${debian_build}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog's newest entry must be this version.
file(STRINGS ${debian_sources}/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^vareko \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog starts with '${newest}', not version ${PROJECT_VERSION}")
endif()
add_custom_command(OUTPUT ${debian_build}/changelog.gz
  COMMAND gzip -9nc ${debian_sources}/changelog > ${debian_build}/changelog.gz
  DEPENDS ${debian_sources}/changelog)
add_custom_target(vareko-debian-changelog ALL DEPENDS ${debian_build}/changelog.gz)
install(FILES ${debian_build}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

file(WRITE ${debian_build}/conffiles "${VAREKO_LIBRARY_VALUE_FILE}\n")

set(CPACK_GENERATOR DEB)
# Staged with DESTDIR, so that what installs under /etc (the registry value
# file) lands in the package and not on the build machine.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${debian_build}/conffiles)
set(CPACK_PACKAGE_DESCRIPTION "vareko shows live telemetry from a flight simulator on the pages of a
160 x 43 monochrome display with four soft buttons. Without the hardware,
the display service vareko-display stands in for the device and shows the
panel in a web browser; vareko-send sends telemetry without a simulator.")
