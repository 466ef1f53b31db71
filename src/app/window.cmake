# The main window, the About dialog, the Qt dialogs and settings store, and the program itself.
configure_file(tactoria_version.h.in ${CMAKE_CURRENT_BINARY_DIR}/generated/app/tactoria_version.h @ONLY)

add_library(tactoria_app STATIC
  app_icon.cpp
  validation_filter.cpp
  focus_returning_dialogs.cpp
  frm_about.cpp
  help_document.cpp
  frm_main.cpp
  frm_main_layout.cpp
  frm_main_fields.cpp
  frm_main_new_length.cpp
  frm_main_phaser.cpp
  frm_main_files.cpp
  frm_main_keep_pitch.cpp
  qsettings_store.cpp
  qt_user_dialogs.cpp
)
set_target_properties(tactoria_app PROPERTIES AUTOMOC ON)
target_include_directories(tactoria_app PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(tactoria_app PUBLIC tactoria_output Qt6::Widgets tactoria_wave tactoria_process tactoria_tempo)
tactoria_warnings(tactoria_app)
# Where the installed README (the help the About box opens) lies under this build's prefix.
include(GNUInstallDirs)
set_property(SOURCE help_document.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  TACTORIA_DOC_DIR="${CMAKE_INSTALL_FULL_DATADIR}/doc/tactoria")

add_executable(tactoria main.cpp)
target_link_libraries(tactoria PRIVATE tactoria_app)
tactoria_warnings(tactoria)
