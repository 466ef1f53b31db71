#include "import/sound_import.h"

#include <sndfile.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "wave/four_cc.h"

namespace tactoria {
namespace {

using SndFile = std::unique_ptr<SNDFILE, decltype(&sf_close)>;

constexpr const char* kImportTitle = "Cannot Import";
constexpr sf_count_t kBlockFrames = 4096;

// How the samples are held once imported: integer PCM of 1 to 4 bytes (tag 1) or 32-bit float (tag 3).
struct HeldSamples {
  std::uint16_t tag = 1;
  int bytes = 2;
};

HeldSamples HeldFor(int subtype) {
  switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_DPCM_8:
      return {1, 1};
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ALAC_16:
    case SF_FORMAT_DPCM_16:
    case SF_FORMAT_DWVW_12:
    case SF_FORMAT_DWVW_16:
    // Telephone and ADPCM codecs decode to 16-bit samples exactly.
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
    case SF_FORMAT_VOX_ADPCM:
    case SF_FORMAT_NMS_ADPCM_16:
    case SF_FORMAT_NMS_ADPCM_24:
    case SF_FORMAT_NMS_ADPCM_32:
    case SF_FORMAT_G721_32:
    case SF_FORMAT_G723_24:
    case SF_FORMAT_G723_40:
      return {1, 2};
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_DWVW_24:
      return {1, 3};
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
      return {1, 4};
    default:  // float, double, and the lossy codecs (Vorbis, Opus, MPEG)
      return {3, 4};
  }
}

std::string Named(const std::string& path) {
  return "\"" + std::filesystem::path(path).filename().string() + "\"";
}

Problem ImportProblem(const std::string& path, std::string reason) {
  if (!reason.empty() && reason.back() != '.') reason += '.';
  return {kImportTitle, "Unable to import " + Named(path) + ": " + reason};
}

LoadResult Refused(Problem problem) {
  LoadResult result;
  result.problem = std::move(problem);
  return result;
}

// Integer samples as libsndfile reads them (full scale of 32 bits) to `bytes` little-endian
// bytes; 8-bit wave samples are unsigned.
void StoreInts(const int* in, std::size_t count, int bytes, std::byte* out) {
  const int shift = 32 - 8 * bytes;
  for (std::size_t i = 0; i < count; ++i) {
    auto value = static_cast<std::uint32_t>(in[i] >> shift);
    if (bytes == 1) value += 0x80;
    for (int k = 0; k < bytes; ++k) *out++ = static_cast<std::byte>(value >> (8 * k) & 0xFF);
  }
}

// Reads every frame of `file` into a buffer of held samples that grows as needed (the frame
// count libsndfile reports for a lossy stream may be an estimate), never beyond kMaxDataBytes.
class FrameReader {
 public:
  FrameReader(SNDFILE* file, const SF_INFO& info, HeldSamples held)
      : file_(file), channels_(static_cast<std::size_t>(info.channels)), held_(held) {
    align_ = channels_ * static_cast<std::size_t>(held.bytes);
    maxFrames_ = static_cast<std::size_t>(kMaxDataBytes) / align_;
  }

  enum class Outcome { Done, TooLarge, OutOfMemory, ReadError };

  // `expectedFrames`: the length when it is known (more is refused before anything is allocated),
  // or a first guess (held within the limit).
  Outcome Read(std::size_t expectedFrames, bool exact) {
    if (expectedFrames > maxFrames_) {
      if (exact) return Outcome::TooLarge;
      expectedFrames = maxFrames_;
    }
    if (!Reserve(std::max<std::size_t>(expectedFrames, 1))) return Outcome::OutOfMemory;
    std::vector<int> ints;
    std::vector<float> floats;
    const std::size_t blockSamples = static_cast<std::size_t>(kBlockFrames) * channels_;
    if (held_.tag == 3) {
      floats.resize(blockSamples);
    } else {
      ints.resize(blockSamples);
    }
    for (;;) {
      const sf_count_t got = held_.tag == 3 ? sf_readf_float(file_, floats.data(), kBlockFrames)
                                            : sf_readf_int(file_, ints.data(), kBlockFrames);
      if (got <= 0) break;
      const auto count = static_cast<std::size_t>(got);
      if (frames_ + count > capacity_) {
        if (frames_ + count > maxFrames_) return Outcome::TooLarge;
        if (!Reserve(std::min(maxFrames_, std::max(capacity_ * 2, frames_ + count)))) {
          return Outcome::OutOfMemory;
        }
      }
      std::byte* out = buffer_.data() + frames_ * align_;
      if (held_.tag == 3) {
        std::memcpy(out, floats.data(), count * align_);
      } else {
        StoreInts(ints.data(), count * channels_, held_.bytes, out);
      }
      frames_ += count;
    }
    return sf_error(file_) == SF_ERR_NO_ERROR ? Outcome::Done : Outcome::ReadError;
  }

  std::size_t frames() const { return frames_; }
  // The frames read, in a buffer of exactly their size; none when memory is short.
  std::optional<ByteBuffer> Take() {
    if (frames_ < capacity_ && !Reserve(frames_)) return std::nullopt;
    return std::move(buffer_);
  }

 private:
  // A buffer of `frames` frames holding the frames read so far.
  bool Reserve(std::size_t frames) {
    std::optional<ByteBuffer> bigger = ByteBuffer::Allocate(frames * align_);
    if (!bigger) return false;
    if (frames_ > 0) std::memcpy(bigger->data(), buffer_.data(), frames_ * align_);
    buffer_ = std::move(*bigger);
    capacity_ = frames;
    return true;
  }

  SNDFILE* file_;
  std::size_t channels_;
  HeldSamples held_;
  std::size_t align_ = 0;
  std::size_t maxFrames_ = 0;
  ByteBuffer buffer_;
  std::size_t capacity_ = 0;
  std::size_t frames_ = 0;
};

LoadResult Import(const std::string& path) {
  SF_INFO info{};
  SndFile file(sf_open(path.c_str(), SFM_READ, &info), sf_close);
  if (!file) {
    std::string reason = sf_strerror(nullptr);
    // Its MP3 decoder, tried on any file named ".mp3", gives up with a reason about the file itself.
    std::error_code error;
    if (reason.find("not a regular file") != std::string::npos &&
        std::filesystem::is_regular_file(path, error)) {
      reason = sf_error_number(SF_ERR_UNRECOGNISED_FORMAT);
    }
    return Refused(ImportProblem(path, reason));
  }

  const int major = info.format & SF_FORMAT_TYPEMASK;
  const HeldSamples held = HeldFor(info.format & SF_FORMAT_SUBMASK);
  const std::int64_t align = static_cast<std::int64_t>(info.channels) * held.bytes;
  if (info.channels < 1 || info.samplerate < 1 || align > std::numeric_limits<std::int16_t>::max() ||
      static_cast<std::int64_t>(info.samplerate) * align > std::numeric_limits<std::int32_t>::max()) {
    return Refused(ImportProblem(path, std::to_string(info.channels) + " channels at " +
                                           std::to_string(info.samplerate) +
                                           " Hz cannot be held in a wave format"));
  }
  // A stream's reported length can be an estimate or unknown; the reader grows to what it finds.
  const bool known = info.frames >= 0 && info.frames < SF_COUNT_MAX;
  const bool exactLength = known && major != SF_FORMAT_MPEG;
  const auto expected = static_cast<std::size_t>(known ? info.frames : 0);

  FrameReader reader(file.get(), info, held);
  switch (reader.Read(expected, exactLength)) {
    case FrameReader::Outcome::TooLarge:
      return Refused(ImportProblem(
          path, "its sound takes more than the 2 GiB (2147483647 bytes) a sound can have here"));
    case FrameReader::Outcome::OutOfMemory:
      return Refused(ReadFailureProblem(FileResult::OutOfMemory));
    case FrameReader::Outcome::ReadError:
      return Refused(ImportProblem(path, sf_strerror(file.get())));
    case FrameReader::Outcome::Done:
      break;
  }
  if (reader.frames() == 0) return Refused({kNoDataTitle, "This file holds no sound data."});
  if (exactLength && reader.frames() < expected) {
    return Refused(ImportProblem(path, "the file ends before its sound does (" +
                                           std::to_string(reader.frames()) + " of " +
                                           std::to_string(expected) + " frames could be read)"));
  }

  WaveFormat format;
  format.formatTag = held.tag;
  format.channels = static_cast<std::int16_t>(info.channels);
  format.sampleRate = info.samplerate;
  format.blockAlign = static_cast<std::int16_t>(align);
  format.avgBytesPerSec = static_cast<std::int32_t>(info.samplerate * align);
  format.bitsPerSample = static_cast<std::int16_t>(8 * held.bytes);

  vbMediaFile wave;
  wave.FileHeader(kRiffId);
  wave.FileType(kWaveId);
  const auto record = format.ToBytes();
  std::optional<ByteBuffer> data = reader.Take();
  if (!data ||
      wave.Add(kFmtId, record.data(), static_cast<std::int64_t>(record.size())) != FileResult::Success ||
      wave.Add(kDataId, std::move(*data)) != FileResult::Success) {
    return Refused(ReadFailureProblem(FileResult::OutOfMemory));
  }
  wave.FileName(path);

  LoadResult result;
  WaveValidation validation;
  validation.ok = true;
  validation.fmtIndex = 1;
  validation.dataIndex = 2;
  validation.format = format;
  result.wave = OpenedWave{std::move(wave), validation};
  result.source = DescribeSndfileFormat(info.format, path);
  return result;
}

}  // namespace

LoadResult ImportSound(const std::string& path) {
  // The codec libraries allocate with new; nothing of theirs leaves here.
  try {
    return Import(path);
  } catch (const std::bad_alloc&) {
    return Refused(ReadFailureProblem(FileResult::OutOfMemory));
  }
}

LoadResult OpenOrImport(const std::string& path) {
  OpenResult plain = OpenWaveFile(path);
  if (plain.wave) {
    LoadResult result;
    result.source = PlainWaveFormat(plain.wave->validation.format);
    result.wave = std::move(plain.wave);
    return result;
  }
  const Problem cannotOpen = ReadFailureProblem(FileResult::CannotOpen);
  if (plain.problem.title == cannotOpen.title && plain.problem.message == cannotOpen.message) {
    return Refused(std::move(plain.problem));
  }
  LoadResult imported = ImportSound(path);
  // A wave file without frames keeps File > Open's words for it.
  if (!imported.wave && imported.problem.title == kNoDataTitle && plain.problem.title == kNoDataTitle) {
    imported.problem = std::move(plain.problem);
  }
  return imported;
}

}  // namespace tactoria
