# Warning set for the project's own targets: clean under -Werror.
function(vareko_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
      -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
      -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
  endif()
endfunction()
