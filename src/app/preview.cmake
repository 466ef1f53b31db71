# The preview's drawing (Qt Gui only) and player (Qt Multimedia), shared with tactoria-cli.
find_package(Qt6 REQUIRED COMPONENTS Gui Multimedia)

add_library(tactoria_waveform STATIC waveform_painter.cpp slice_marks_painter.cpp)
target_include_directories(tactoria_waveform PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tactoria_waveform PUBLIC Qt6::Gui tactoria_process tactoria_beats)
tactoria_warnings(tactoria_waveform)

add_library(tactoria_audio STATIC audio_feed.cpp audio_sink_driver.cpp audio_player.cpp)
set_target_properties(tactoria_audio PROPERTIES AUTOMOC ON)
target_include_directories(tactoria_audio PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tactoria_audio PUBLIC Qt6::Multimedia tactoria_process)
tactoria_warnings(tactoria_audio)
