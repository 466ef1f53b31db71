add_library(tactoria_output STATIC
  output_commands.cpp
  output_texts.cpp
  frm_progress.cpp
  frm_shuffle.cpp
  frm_shuffle_play.cpp
  render_progress.cpp
  button_label.cpp
  focus_return.cpp
)
set_target_properties(tactoria_output PROPERTIES AUTOMOC ON)
target_include_directories(tactoria_output PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tactoria_output PUBLIC Qt6::Widgets tactoria_wave tactoria_process tactoria_tempo tactoria_beats)
tactoria_warnings(tactoria_output)
