#pragma once

namespace tactoria {

// The main window's own dialog texts (the field refusals are in tempo/field_messages.h).
inline constexpr const char* kOpenTitle = "Open wave file";
inline constexpr const char* kSaveTitle = "Save File As";
inline constexpr const char* kWaveFilter = "Wave Files (*.wav)";
inline constexpr const char* kImportTitle = "Import sound file";
// The types libsndfile reads, as their files are usually named.
inline constexpr const char* kSoundFilter =
    "Sound files (*.wav *.wave *.w64 *.rf64 *.aif *.aiff *.aifc *.flac *.ogg *.oga *.opus *.mp3 *.caf *.au "
    "*.snd);;All files (*)";
inline constexpr const char* kFileExistsTitle = "File Exists";
inline constexpr const char* kFileExistsQuestion =
    " aready exists. Do you want to overwrite file?.";  // path +
inline constexpr const char* kAlreadyOpenTitle = "File Already Open";
inline constexpr const char* kAlreadyOpenQuestion =
    "File is already open. Do you wish to reset the current open file?.";
inline constexpr const char* kNewBpmTitle = "New Bpm";
inline constexpr const char* kNewBpmPrompt = "Enter new bpm value.";

}  // namespace tactoria
