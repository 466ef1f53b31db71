#include "cli_play_options.h"

namespace tactoria::cli {

CLI::App* AddPlayCommand(CLI::App& app, CliCommand& command) {
  CLI::App* play = app.add_subcommand("play", "Render IN and play it once through the default sound output");
  play->add_option("IN", command.input, "Sound file to render (WAV, AIFF, FLAC, Ogg, MP3, ...)")->required();
  play->add_option("--beat", command.beat, "Play beat K alone, as span writes it to BASE[K].wav")
      ->type_name("K")
      ->check(CLI::Range(1, 2048));
  play->add_flag("--original", command.original, "Play IN's data before the render");
  return play;
}

CLI::App* AddWaveformCommand(CLI::App& app, CliCommand& command) {
  CLI::App* waveform =
      app.add_subcommand("waveform", "Render IN and draw it with its beat grid as a PNG picture");
  waveform->add_option("IN", command.input, "Sound file to render (WAV, AIFF, FLAC, Ogg, MP3, ...)")
      ->required();
  waveform->add_option("OUT", command.output, "PNG file to write")->required();
  waveform->add_option("--width", command.width, "Picture width in pixels (default 1200)")
      ->type_name("W")
      ->check(CLI::Range(16, 16384));
  waveform->add_option("--height", command.height, "Picture height in pixels (default 300)")
      ->type_name("H")
      ->check(CLI::Range(48, 16384));
  return waveform;
}

}  // namespace tactoria::cli
