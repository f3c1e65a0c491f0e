# Manual pages, made at build time by help2man from each program's --help and
# the sections in packaging/man/ (a program that does not answer --help within
# 20 s fails the build instead of hanging it), installed gzipped (as Debian wants them)
# under man1. Without help2man there are none, and the build says so.
find_program(VAREKO_HELP2MAN help2man)
if(NOT VAREKO_HELP2MAN)
  message(STATUS "help2man not found: no manual pages (scripts/setup installs it)")
  return()
endif()

set(man_sources ${PROJECT_SOURCE_DIR}/packaging/man)
set(man_build ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${man_build})

# vareko_man_page(PROGRAM SUMMARY): PROGRAM is a target named as its program;
# SUMMARY is the NAME line's text. packaging/man/PROGRAM.h2m holds the page's
# own sections, see-also.h2m those of every page. help2man runs the program
# through a wrapper of the same name that passes its help (some tools print
# it on standard error) through usage.sed.
function(vareko_man_page program summary)
  set(page ${man_build}/${program}.1)
  set(wrapper ${man_build}/help/${program})
  set(includes ${man_sources}/${program}.h2m ${man_sources}/see-also.h2m)
  file(GENERATE OUTPUT ${wrapper}
    CONTENT "#!/bin/sh\n'$<TARGET_FILE:${program}>' \"$@\" 2>&1 | sed -f '${man_sources}/usage.sed'\n"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND timeout 20 ${VAREKO_HELP2MAN} --no-info --section=1
            --version-string=${PROJECT_VERSION} --name=${summary}
            --include=${man_sources}/${program}.h2m --include=${man_sources}/see-also.h2m
            --output=${page} ${wrapper}
    COMMAND gzip -9nf ${page}
    DEPENDS ${program} ${includes} ${man_sources}/usage.sed ${wrapper}
    COMMENT "Manual page ${program}(1)"
    VERBATIM)
  add_custom_target(${program}-man-page ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

vareko_man_page(vareko "show flight-simulator telemetry on a 160 x 43 monochrome display")
vareko_man_page(vareko-display "virtual display service that stands in for the device")
vareko_man_page(vareko-send "send telemetry datagrams without a simulator")
vareko_man_page(vareko-reg "read, write and delete registry keys")
if(TARGET vareko-gallery)
  vareko_man_page(vareko-gallery "show every kind of display object")
endif()
