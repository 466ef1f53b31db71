#include "wave_validation.h"

#include "four_cc.h"

namespace tactoria {
namespace {

constexpr const char* kInvalidFileTitle = "Error: Invalid File";

Problem Refusal(const char* title, const char* message) {
  return Problem{title, message};
}

WaveValidation Refused(const char* title, const char* message) {
  WaveValidation validation;
  validation.problem = Refusal(title, message);
  return validation;
}

}  // namespace

Problem ReadFailureProblem(FileResult code) {
  switch (code) {
    case FileResult::CannotOpen:
      return Refusal("Error: 1", "Unable to open wave file. Maybe open by another application.");
    case FileResult::ChunkUnreadable:
      return Refusal("Error: 3", "Unable to read wave file data.");
    case FileResult::OutOfMemory:
      return Refusal("Error: 5", "Out of memory.");
    case FileResult::InvalidFileSize:
      return Refusal("Error: 9", "The filesize specified in this file is invalid.");
    default:
      return Refusal("Error: -1", "Unkown error");
  }
}

std::optional<Problem> CheckRiffWave(const vbMediaFile& file) {
  if (file.FileHeader() != kRiffId && file.FileHeader() != kRiffIdLower) {
    return Refusal(kInvalidFileTitle, "Invalid riff file.");
  }
  if (file.FileType() != kWaveId && file.FileType() != kWaveIdLower) {
    return Refusal(kInvalidFileTitle, "Invalid wave file.");
  }
  return std::nullopt;
}

WaveValidation ValidateMediaFile(const vbMediaFile& file) {
  constexpr const char* kUnsupportedTitle = "Unsupported Format";
  constexpr const char* kUnsupportedMessage = "This application only supports WAVE PCM FORMAT.";

  WaveValidation result;
  for (int i = 1; i <= file.Count(); ++i) {
    // Ids and sizes only: an empty chunk is given no entry of its own.
    const std::uint32_t typeId = file.TypeId(i);
    if (typeId == kDataId || typeId == kDataIdUpper) {
      result.dataIndex = i;
    } else if (typeId == kFmtId || typeId == kFmtIdUpper) {
      // Extended format records (18 or 40 bytes) are refused outright.
      if (file.Size(i) != static_cast<std::int32_t>(WaveFormat::kSize)) {
        return Refused(kUnsupportedTitle, kUnsupportedMessage);
      }
      result.format = WaveFormat::FromBytes(file.Item(i).bytes());
      result.fmtIndex = i;
    }
  }

  const WaveFormat& format = result.format;
  if (format.formatTag != 1) return Refused(kUnsupportedTitle, kUnsupportedMessage);
  if (format.channels <= 0 || format.blockAlign <= 0 || format.sampleRate <= 0 || format.bitsPerSample <= 0 ||
      format.avgBytesPerSec <= 0) {
    return Refused("Invalid Format", "Invalid wave format header.");
  }
  if (result.dataIndex == 0 || file.Size(result.dataIndex) == 0) {
    return Refused(kNoDataTitle, kNoDataMessage);
  }
  if (file.Size(result.dataIndex) % format.blockAlign != 0) {
    return Refused("BlockAlign Error", "The block alignment in this wave file is invalid.");
  }
  result.ok = true;
  return result;
}

namespace {

template <typename Read>
OpenResult OpenWave(Read read) {
  OpenResult result;
  vbMediaFile file;
  const FileResult code = read(file);
  if (code != FileResult::Success) {
    result.problem = ReadFailureProblem(code);
    return result;
  }
  if (auto problem = CheckRiffWave(file)) {
    result.problem = std::move(*problem);
    return result;
  }
  WaveValidation validation = ValidateMediaFile(file);
  if (!validation.ok) {
    result.problem = validation.problem;
    return result;
  }
  result.wave = OpenedWave{std::move(file), std::move(validation)};
  return result;
}

}  // namespace

OpenResult OpenWaveFile(const std::string& path) {
  return OpenWave([&](vbMediaFile& file) { return file.OpenFromFile(path); });
}

OpenResult OpenWaveSource(ByteSource& source, const std::string& name) {
  return OpenWave([&](vbMediaFile& file) { return file.OpenFromSource(source, name); });
}

}  // namespace tactoria
