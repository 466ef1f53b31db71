# Warnings for the project's own targets; call tactoria_warnings(target) on each.
function(tactoria_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
endfunction()
