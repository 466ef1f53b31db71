# Each core library exposes only its own headers: its include folder holds nothing but a link
# to its own source folder, so "wave/..." resolves in tactoria_wave and in what links it, and a
# header of a library it does not link ("process/..." in tactoria_wave) is not found.
function(tactoria_own_headers target layer)
  set(dir ${CMAKE_BINARY_DIR}/layer-include/${layer})
  file(MAKE_DIRECTORY ${dir})
  if(NOT EXISTS ${dir}/${layer})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${dir}/${layer} SYMBOLIC)
  endif()
  set_target_properties(${target} PROPERTIES INCLUDE_DIRECTORIES "${dir}" INTERFACE_INCLUDE_DIRECTORIES "${dir}")
endfunction()

# The core is plain C++: no Qt and no window header may be included there (checked at
# configure time, and again by tools/check_sources.sh in CI).
function(tactoria_check_core_includes)
  foreach(layer ${ARGN})
    file(GLOB_RECURSE sources ${PROJECT_SOURCE_DIR}/src/${layer}/*.h ${PROJECT_SOURCE_DIR}/src/${layer}/*.cpp)
    foreach(source ${sources})
      file(STRINGS ${source} bad REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]*|app/|cli/)")
      if(bad)
        message(FATAL_ERROR "${source}: the core includes a Qt or window header: ${bad}")
      endif()
    endforeach()
  endforeach()
endfunction()
