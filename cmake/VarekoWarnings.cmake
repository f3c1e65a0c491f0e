# Warning set for the project's own targets: clean under -Werror.
function(vareko_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
      -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
      -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough
      # GCC 12 at -O2/-O3 reports false out-of-bounds and overlap warnings
      # inside inlined standard-library string and vector code; they stay
      # warnings there instead of breaking optimised builds.
      $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-error=restrict;-Wno-error=array-bounds;-Wno-error=stringop-overflow>)
  endif()
endfunction()
