#include "marked_wave.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "wave/four_cc.h"

namespace tactoria {
namespace {

class Chunk {
 public:
  void Put(std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes_.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFFu));
  }
  void PutFloat(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    Put(bits, 4);
  }
  void PutText(const std::string& text) {
    for (const char c : text) bytes_.push_back(static_cast<std::byte>(c));
  }
  void Append(const Chunk& other) { bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end()); }
  bool AddTo(vbMediaFile& file, const char (&id)[5]) const {
    return file.Add(FourCC(id), bytes_.data(), static_cast<std::int64_t>(bytes_.size())) ==
           FileResult::Success;
  }
  std::size_t size() const { return bytes_.size(); }

 private:
  std::vector<std::byte> bytes_;
};

// acid flags: 0x01 one-shot, 0x02 root note set, 0x04 stretch, 0x08 disk-based.
constexpr std::uint32_t kAcidStretch = 0x04;

}  // namespace

std::optional<vbMediaFile> MarkedWave(std::span<const std::byte> sound, const WaveFormat& format,
                                      const Slices& slices, const LoopTempo& tempo) {
  vbMediaFile file;
  file.FileHeader(kRiffId);
  file.FileType(kWaveId);
  const auto fmt = format.ToBytes();
  if (file.Add(kFmtId, fmt.data(), static_cast<std::int64_t>(fmt.size())) != FileResult::Success ||
      file.Add(kDataId, sound.data(), static_cast<std::int64_t>(sound.size())) != FileResult::Success)
    return std::nullopt;

  Chunk cue;
  cue.Put(static_cast<std::uint32_t>(slices.count()), 4);
  Chunk labels;
  labels.PutText("adtl");
  for (std::size_t k = 0; k < slices.count(); ++k) {
    const auto id = static_cast<std::uint32_t>(k + 1);
    const auto frame = static_cast<std::uint32_t>(slices.Start(k));
    cue.Put(id, 4);
    cue.Put(frame, 4);  // position in play order
    cue.Put(kDataId, 4);
    cue.Put(0, 4);  // chunk start
    cue.Put(0, 4);  // block start
    cue.Put(frame, 4);
    const std::string text = "Slice " + std::to_string(k + 1);
    labels.PutText("labl");
    labels.Put(static_cast<std::uint32_t>(4 + text.size() + 1), 4);
    labels.Put(id, 4);
    labels.PutText(text);
    labels.Put(0, 1);
    if (labels.size() % 2 != 0) labels.Put(0, 1);
  }

  const auto frames = static_cast<std::uint32_t>(slices.soundFrames);
  Chunk acid;
  acid.Put(kAcidStretch, 4);
  acid.Put(60, 2);      // root note (not set)
  acid.Put(0x8000, 2);  // as sequencers write it
  acid.PutFloat(0.0f);
  acid.Put(static_cast<std::uint32_t>(std::lround(tempo.totalBeats)), 4);
  acid.Put(4, 2);  // meter: denominator, then numerator
  acid.Put(static_cast<std::uint32_t>(tempo.beatsPerBar), 2);
  acid.PutFloat(static_cast<float>(tempo.Bpm(slices.soundFrames, format.sampleRate)));

  Chunk smpl;
  smpl.Put(0, 4);                                                                 // manufacturer
  smpl.Put(0, 4);                                                                 // product
  smpl.Put(static_cast<std::uint32_t>(std::lround(1e9 / format.sampleRate)), 4);  // sample period, ns
  smpl.Put(60, 4);                                                                // unity note
  smpl.Put(0, 4);                                                                 // pitch fraction
  smpl.Put(0, 4);                                                                 // SMPTE format
  smpl.Put(0, 4);                                                                 // SMPTE offset
  smpl.Put(1, 4);                                                                 // one loop
  smpl.Put(0, 4);                                                                 // no sampler data
  smpl.Put(0, 4);                                                                 // cue point id
  smpl.Put(0, 4);                                                                 // forward
  smpl.Put(0, 4);                                                                 // first frame
  smpl.Put(frames > 0 ? frames - 1 : 0, 4);                                       // last frame, inclusive
  smpl.Put(0, 4);                                                                 // fraction
  smpl.Put(0, 4);                                                                 // endless

  Chunk list;
  list.Append(labels);
  if (!cue.AddTo(file, "cue ") || !list.AddTo(file, "LIST") || !acid.AddTo(file, "acid") ||
      !smpl.AddTo(file, "smpl"))
    return std::nullopt;
  return file;
}

}  // namespace tactoria
