# Installation extras and the Debian package. The targets install themselves
# (program, tools, display library, systemd user unit); this file adds the
# registration of the display library in the system registry, which is where
# the program looks for it, and the CPack settings for `cpack -G DEB`.
if(WIN32 OR NOT TARGET vareko-reg OR NOT TARGET vareko_display_link)
  return()
endif()

# Must match the system root compiled into platform/win32/registry.cpp;
# vareko-reg accepts "/" between the parts of a key, which needs no escaping.
set(VAREKO_SYSTEM_REGISTRY_ROOT /etc/vareko/registry)
set(VAREKO_LIBRARY_KEY
  "HKLM/SOFTWARE/Classes/CLSID/{FE750200-B72E-11d9-829B-0050DA1A72D3}/ServerBinary")

# Runs at install time: the prefix and DESTDIR are those of the install (or
# of the package being staged), not of the configure step.
install(CODE "
  set(library \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:vareko_display_link>\")
  set(root \"\$ENV{DESTDIR}${VAREKO_SYSTEM_REGISTRY_ROOT}\")
  message(STATUS \"Registering \${library} in \${root}\")
  set(ENV{VAREKO_REGISTRY_ROOT} \"\${root}\")
  execute_process(COMMAND \"$<TARGET_FILE:vareko-reg>\" set \"${VAREKO_LIBRARY_KEY}\" \"\${library}\"
                  RESULT_VARIABLE status)
  unset(ENV{VAREKO_REGISTRY_ROOT})
  if(NOT status EQUAL 0)
    message(WARNING \"Could not register the display library in \${root} (not root?). \"
                    \"Register it for your user with: vareko-reg set '${VAREKO_LIBRARY_KEY}' \${library}\")
  endif()
")

set(CPACK_PACKAGE_NAME vareko)
set(CPACK_PACKAGE_VENDOR "Vareko")
set(CPACK_PACKAGE_CONTACT "Vareko maintainers <maintainers@vareko.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Flight-simulator telemetry on a 160 x 43 display, with a virtual display service")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_SET_DESTDIR ON)
# The package installs where the build was configured to (configure with
# -DCMAKE_INSTALL_PREFIX=/usr for a system package): the unit file and the
# registration name paths under that prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Debian package registers the library from its maintainer scripts too,
# so that the key always names the installed file, and removes it on removal.
set(VAREKO_PACKAGED_LIBRARY
  "${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:vareko_display_link>")
foreach(script postinst prerm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in ${CMAKE_BINARY_DIR}/debian/${script}.in @ONLY)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/debian/${script} INPUT ${CMAKE_BINARY_DIR}/debian/${script}.in
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/postinst ${CMAKE_BINARY_DIR}/debian/prerm)
include(CPack)
