#include "slice_export.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <optional>

#include "beats/beat_math.h"
#include "slices/marked_wave.h"
#include "slices/sf2_export.h"
#include "slices/sfz_export.h"
#include "slices/slice_keys.h"
#include "wave/byte_buffer.h"
#include "wave/four_cc.h"
#include "wave/wave_output.h"

namespace tactoria {
namespace {

std::string FileNameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

std::vector<std::string> SliceExportPaths(const SliceExport& request) {
  std::vector<std::string> paths;
  for (std::size_t k = 0; k < request.slices.count(); ++k)
    paths.push_back(BeatFileName(request.basePath, static_cast<int>(k + 1)));
  if (request.sfz) paths.push_back(request.basePath + ".sfz");
  if (request.sf2) paths.push_back(request.basePath + ".sf2");
  if (request.midi) paths.push_back(request.basePath + ".mid");
  if (request.marked) paths.push_back(request.basePath + ".wav");
  return paths;
}

namespace {

// Starts from 0, ascending, every slice at least a frame, inside the sound.
bool FitTheSound(const Slices& slices, std::int64_t align, std::size_t soundBytes) {
  if (slices.count() == 0 || slices.Start(0) != 0 || align < 1 || slices.end > slices.soundFrames ||
      slices.soundFrames > static_cast<std::int64_t>(soundBytes) / align)
    return false;
  for (std::size_t k = 0; k < slices.count(); ++k) {
    if (slices.Length(k) < 1) return false;
  }
  return true;
}

SliceExportOutcome Export(const SliceExport& request, bool overwrite, const SinkFactory& sinks) {
  SliceExportOutcome outcome;
  const Slices& slices = request.slices;
  const WaveFormat& format = request.format;
  const auto align = static_cast<std::int64_t>(format.blockAlign);
  if (!FitTheSound(slices, align, request.sound.size())) {
    outcome.refusal = "The slices do not fit the sound.";
    return outcome;
  }
  if (auto problem = CheckFades(slices, request.fades, format.sampleRate)) {
    outcome.refusal = *problem;
    return outcome;
  }
  if (request.sfz || request.sf2 || request.midi) {
    if (auto problem = CheckSliceKeys(slices.count())) {
      outcome.refusal = *problem;
      return outcome;
    }
  }
  std::optional<ByteBuffer> faded = ByteBuffer::CopyOf(request.sound);
  if (!faded || !ApplySliceFades(faded->bytes(), format, slices, request.fades)) {
    outcome.refusal = faded ? "The fades cannot be applied to samples of this format." : "Out of memory.";
    return outcome;
  }
  const std::string name = FileNameOf(request.basePath);
  std::optional<vbMediaFile> soundFont;
  if (request.sf2) {
    Sf2Result made = SoundFontOfSlices(faded->bytes(), format, slices, name);
    if (!made.file) {
      outcome.refusal = made.problem;
      return outcome;
    }
    soundFont = std::move(made.file);
  }
  std::optional<vbMediaFile> marked;
  if (request.marked) {
    // Whole frames only: a partial frame at the end belongs to no slice.
    marked = MarkedWave(request.sound.first(static_cast<std::size_t>(slices.soundFrames * align)), format,
                        slices, request.tempo);
    if (!marked) {
      outcome.refusal = "Out of memory.";
      return outcome;
    }
  }

  WaveOutput sliceSound;
  sliceSound.fileHeader = kRiffId;
  sliceSound.fileType = kWaveId;
  sliceSound.format = format;
  sliceSound.dataBytes = static_cast<std::int64_t>(faded->size());
  const std::byte* fadedBytes = faded->data();
  sliceSound.data = [fadedBytes](std::int64_t offset, std::span<std::byte> dest) {
    std::memcpy(dest.data(), fadedBytes + offset, dest.size());
  };

  const std::vector<std::string> paths = SliceExportPaths(request);
  std::vector<PlannedFile> files;
  std::vector<std::string> sliceNames;
  for (std::size_t k = 0; k < slices.count(); ++k) {
    sliceNames.push_back(FileNameOf(paths[k]));
    files.push_back({paths[k], [&, k](PendingFile& file) -> const WriteStatus& {
                       return WriteWave(file, sliceSound, slices.Start(k) * align, slices.Length(k) * align);
                     }});
  }
  std::size_t next = slices.count();
  const std::string sfz = request.sfz ? SfzText(sliceNames) : std::string();
  if (request.sfz) {
    files.push_back({paths[next++], [&sfz](PendingFile& file) -> const WriteStatus& {
                       return WriteBytes(file, std::as_bytes(std::span(sfz.data(), sfz.size())));
                     }});
  }
  if (request.sf2) {
    files.push_back({paths[next++], [&soundFont](PendingFile& file) -> const WriteStatus& {
                       return soundFont->Write(file);
                     }});
  }
  const std::vector<std::byte> midi =
      request.midi ? MidiFile(slices, format.sampleRate, request.tempo) : std::vector<std::byte>();
  if (request.midi) {
    files.push_back(
        {paths[next++], [&midi](PendingFile& file) -> const WriteStatus& { return WriteBytes(file, midi); }});
  }
  if (request.marked) {
    files.push_back(
        {paths[next++], [&marked](PendingFile& file) -> const WriteStatus& { return marked->Write(file); }});
  }
  outcome.files = WriteFileSet(files, overwrite, sinks);
  return outcome;
}

}  // namespace

SliceExportOutcome ExportSlices(const SliceExport& request, bool overwrite, const SinkFactory& sinks) {
  try {
    return Export(request, overwrite, sinks);
  } catch (const std::bad_alloc&) {
    SliceExportOutcome outcome;
    outcome.refusal = "Out of memory.";
    return outcome;
  }
}

}  // namespace tactoria
