# The architecture: one library per folder under src/, and the folders each one may include
# headers from (besides its own). "Qt" stands for any Qt header. An arrow not in this table is
# an error at configure time and in tools/check_sources.sh (which runs this file as a script).
# See docs/architecture.md.
#
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.22)
endif()

#   folder    may use
set(TACTORIA_LAYERS
  "wave:"
  "process:    wave"
  "tempo:"
  "beats:      wave tempo"
  "analysis:   wave process"
  "import:     wave"
  "slices:     wave process beats analysis"
  "waveform:   process beats Qt"
  "audio:      process Qt"
  "ui:         wave process tempo Qt"
  "output:     ui wave process tempo beats slices analysis Qt"
  "preview:    ui waveform audio analysis slices wave process tempo beats Qt"
  "desktop:    ui Qt"
  "window:     ui output preview desktop import analysis wave process tempo beats Qt"
  "app:        window desktop ui Qt"
  "cli:        audio waveform import slices analysis wave process tempo beats Qt"
)

# The folders a layer may include from, in ${out}.
function(tactoria_layer_uses layer out)
  foreach(entry ${TACTORIA_LAYERS})
    string(REGEX MATCH "^([a-z]+):(.*)$" _ "${entry}")
    if(CMAKE_MATCH_1 STREQUAL layer)
      string(STRIP "${CMAKE_MATCH_2}" uses)
      string(REGEX REPLACE "[ \t]+" ";" uses "${uses}")
      set(${out} "${uses}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "Layering.cmake: no layer \"${layer}\" in TACTORIA_LAYERS")
endfunction()

# Fails when a file of a layer includes a Qt header without the Qt arrow, or a header
# "folder/..." of a folder under src/ that is neither its own nor one it may use.
function(tactoria_check_layers source_dir)
  file(GLOB folders RELATIVE ${source_dir}/src ${source_dir}/src/*)
  set(errors "")
  foreach(entry ${TACTORIA_LAYERS})
    string(REGEX MATCH "^([a-z]+):" _ "${entry}")
    set(layer ${CMAKE_MATCH_1})
    tactoria_layer_uses(${layer} uses)
    file(GLOB_RECURSE sources ${source_dir}/src/${layer}/*.h ${source_dir}/src/${layer}/*.cpp
         ${source_dir}/src/${layer}/*.h.in)
    foreach(source ${sources})
      file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
      foreach(line ${includes})
        string(REGEX MATCH "include[ \t]*[<\"]([^>\"]*)[>\"]" _ "${line}")
        set(header "${CMAKE_MATCH_1}")
        if(header MATCHES "^Q[A-Za-z]*(/|$)")
          if(NOT "Qt" IN_LIST uses)
            string(APPEND errors "\n  ${source}: ${layer} may not use Qt: ${header}")
          endif()
        elseif(header MATCHES "^([A-Za-z_]+)/")
          set(folder ${CMAKE_MATCH_1})
          if(folder IN_LIST folders AND NOT folder STREQUAL layer AND NOT folder IN_LIST uses)
            string(APPEND errors "\n  ${source}: ${layer} may not use ${folder}: ${header}")
          endif()
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(errors)
    message(FATAL_ERROR "An include breaks the layering of cmake/Layering.cmake:${errors}")
  endif()
endfunction()

# Each library exposes its headers as "folder/header.h" and nothing else: its include folder
# holds nothing but a link to its own source folder, so "wave/..." resolves in tactoria_wave
# and in what links it, and a header of a library it does not link is not found.
function(tactoria_own_headers target layer)
  set(dir ${CMAKE_BINARY_DIR}/layer-include/${layer})
  file(MAKE_DIRECTORY ${dir})
  if(NOT EXISTS ${dir}/${layer})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${dir}/${layer} SYMBOLIC)
  endif()
  set_target_properties(${target} PROPERTIES INCLUDE_DIRECTORIES "${dir}" INTERFACE_INCLUDE_DIRECTORIES "${dir}")
endfunction()

# As a script (cmake -P cmake/Layering.cmake, from tools/check_sources.sh): check the tree.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  get_filename_component(root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
  tactoria_check_layers(${root})
endif()
