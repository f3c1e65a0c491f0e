# Installation extras and the packages: on Linux the display library's
# registration, the manual pages and the Debian package (`cpack -G DEB`); on
# Windows the ZIP archive (`cpack -G ZIP`). The targets install themselves.
set(CPACK_PACKAGE_NAME vareko)
set(CPACK_PACKAGE_VENDOR "Vareko")
set(CPACK_PACKAGE_CONTACT "Vareko maintainers <maintainers@vareko.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Flight-simulator telemetry on a 160 x 43 display and a virtual display")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/VarekoWindowsArchive.cmake)
elseif(TARGET vareko-reg AND TARGET vareko_display_link)
  include(${CMAKE_CURRENT_LIST_DIR}/VarekoRegistration.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/VarekoManPages.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/VarekoDebianPackage.cmake)
endif()
include(CPack)
