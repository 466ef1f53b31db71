# Warnings for the project's own targets; call tactoria_warnings(target) on each.
option(TACTORIA_WERROR "Treat compiler warnings as errors (CI builds with it)" OFF)
function(tactoria_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(TACTORIA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
