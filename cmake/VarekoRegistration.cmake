# Registers the display library in the system registry at install time, which
# is where the program looks for it. The Debian package ships the value file
# this writes as a configuration file (VarekoDebianPackage.cmake).

# Must match the system root compiled into platform/win32/registry.cpp;
# vareko-reg accepts "/" between the parts of a key, which needs no escaping.
set(VAREKO_SYSTEM_REGISTRY_ROOT /etc/vareko/registry)
set(VAREKO_LIBRARY_KEY_PATH "SOFTWARE/Classes/CLSID/{FE750200-B72E-11d9-829B-0050DA1A72D3}/ServerBinary")
set(VAREKO_LIBRARY_KEY "HKLM/${VAREKO_LIBRARY_KEY_PATH}")
# The file that holds the key's default value (layout in docs/registry.md).
set(VAREKO_LIBRARY_VALUE_FILE
  "${VAREKO_SYSTEM_REGISTRY_ROOT}/HKEY_LOCAL_MACHINE/${VAREKO_LIBRARY_KEY_PATH}/@")

# The folders from the registry's top down to the library key, each of which
# the registry's trust check requires to be writable by its owner alone.
set(VAREKO_LIBRARY_KEY_FOLDERS "")
set(folder "")
string(REPLACE "/" ";" parts "${VAREKO_SYSTEM_REGISTRY_ROOT}/HKEY_LOCAL_MACHINE/${VAREKO_LIBRARY_KEY_PATH}")
foreach(part IN LISTS parts)
  if(NOT part STREQUAL "")
    string(APPEND folder "/${part}")
    if(NOT folder STREQUAL "/etc")
      list(APPEND VAREKO_LIBRARY_KEY_FOLDERS "${folder}")
    endif()
  endif()
endforeach()

# Runs at install time: the prefix and DESTDIR are those of the install (or
# of the package being staged), not of the configure step. An install into
# the machine itself registers through vareko-reg, which refuses a library
# another user could replace. A staged install (DESTDIR, as the Debian package
# uses) writes the value file itself: the library is not yet at its final path
# on this machine, so that check can only be made where it is installed.
install(CODE "
  set(library \"\${CMAKE_INSTALL_PREFIX}/${VAREKO_INSTALL_PLUGINDIR}/$<TARGET_FILE_NAME:vareko_display_link>\")
  set(root \"\$ENV{DESTDIR}${VAREKO_SYSTEM_REGISTRY_ROOT}\")
  message(STATUS \"Registering \${library} in \${root}\")
  if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\")
    set(folders \"${VAREKO_LIBRARY_KEY_FOLDERS}\")
    foreach(folder IN LISTS folders)
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${folder}\")
      file(CHMOD \"\$ENV{DESTDIR}\${folder}\" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
           GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endforeach()
    set(value_file \"\$ENV{DESTDIR}${VAREKO_LIBRARY_VALUE_FILE}\")
    file(WRITE \"\${value_file}\" \"REG_SZ\\n\${library}\")
    file(CHMOD \"\${value_file}\" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  else()
    set(ENV{VAREKO_REGISTRY_ROOT} \"\${root}\")
    execute_process(COMMAND \"$<TARGET_FILE:vareko-reg>\" set \"${VAREKO_LIBRARY_KEY}\" \"\${library}\"
                    RESULT_VARIABLE status)
    unset(ENV{VAREKO_REGISTRY_ROOT})
    if(NOT status EQUAL 0)
      message(WARNING \"Could not register the display library in \${root} (not root?). \"
                      \"Register it for your user with: vareko-reg set '${VAREKO_LIBRARY_KEY}' \${library}\")
    endif()
  endif()
")
