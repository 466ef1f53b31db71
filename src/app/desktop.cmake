# Open Recent, file drops and the window program's command line.
target_sources(tactoria_app PRIVATE
  recent_files.cpp
  wave_drop_filter.cpp
  frm_main_desktop.cpp
  start_options.cpp
)
set_property(SOURCE start_options.cpp APPEND PROPERTY COMPILE_DEFINITIONS TACTORIA_VERSION="${PROJECT_VERSION}")
