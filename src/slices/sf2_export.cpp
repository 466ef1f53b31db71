#include "sf2_export.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "process/sample_codec.h"
#include "slices/slice_keys.h"
#include "wave/four_cc.h"

namespace tactoria {
namespace {

// Zero sample points after each sample, as the format asks for the synthesizer's interpolation.
constexpr std::uint32_t kGuardPoints = 46;

// Generators used by the zones.
enum Generator : std::uint16_t {
  kPan = 17,
  kInstrument = 41,
  kKeyRange = 43,
  kSampleId = 53,
  kSampleModes = 54,
  kOverridingRootKey = 58,
};
enum SampleType : std::uint16_t { kMono = 1, kRight = 2, kLeft = 4 };

class Bytes {
 public:
  void Put(std::uint32_t value, int width) {
    // Little-endian; bytes past the value's four are zero (wide zero fields).
    for (int i = 0; i < width; ++i)
      bytes_.push_back(i < 4 ? static_cast<std::byte>((value >> (8 * i)) & 0xFFu) : std::byte{0});
  }
  void Id(const char (&code)[5]) { Put(FourCC(code), 4); }
  // A name field of `width` bytes: printable ASCII, zero-terminated.
  void Name(const std::string& name, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
      const char c = i + 1 < width && i < name.size() ? name[i] : '\0';
      bytes_.push_back(static_cast<std::byte>(c >= 0x20 && c < 0x7F ? c : (c == '\0' ? '\0' : '_')));
    }
  }
  // A sub-chunk: id, size, data, pad byte to an even size.
  void Chunk(const char (&code)[5], const Bytes& data) {
    Id(code);
    Put(static_cast<std::uint32_t>(data.bytes_.size()), 4);
    bytes_.insert(bytes_.end(), data.bytes_.begin(), data.bytes_.end());
    if (data.bytes_.size() % 2 != 0) bytes_.push_back(std::byte{0});
  }
  const std::vector<std::byte>& bytes() const { return bytes_; }

 private:
  std::vector<std::byte> bytes_;
};

// One sample of a channel as a signed 24-bit value.
std::int32_t Sample24(const std::byte* frame, int channel, SampleEncoding encoding) {
  const auto u = [frame](int i) { return static_cast<std::uint32_t>(std::to_integer<unsigned>(frame[i])); };
  switch (encoding) {
    case SampleEncoding::UInt8:
      return (static_cast<std::int32_t>(u(channel)) - 128) * 65536;
    case SampleEncoding::Int16:
      return static_cast<std::int16_t>(u(2 * channel) | u(2 * channel + 1) << 8) * 256;
    case SampleEncoding::Int24: {
      const std::uint32_t v = u(3 * channel) | u(3 * channel + 1) << 8 | u(3 * channel + 2) << 16;
      return static_cast<std::int32_t>(v << 8) / 256;
    }
    case SampleEncoding::Int32: {
      const std::uint32_t v =
          u(4 * channel) | u(4 * channel + 1) << 8 | u(4 * channel + 2) << 16 | u(4 * channel + 3) << 24;
      return static_cast<std::int32_t>(v) / 256;
    }
    case SampleEncoding::Float32: {
      float f = 0;
      std::memcpy(&f, frame + 4 * channel, sizeof f);
      const double scaled = std::isfinite(f) ? std::nearbyint(static_cast<double>(f) * 8388608.0) : 0.0;
      return static_cast<std::int32_t>(std::clamp(scaled, -8388608.0, 8388607.0));
    }
    default:
      return 0;
  }
}

}  // namespace

Sf2Result SoundFontOfSlices(std::span<const std::byte> sound, const WaveFormat& format, const Slices& slices,
                            const std::string& name) {
  Sf2Result result;
  const SampleEncoding encoding = EncodingOf(format);
  if (encoding == SampleEncoding::None) {
    result.problem = "The SoundFont cannot hold samples of this format.";
    return result;
  }
  if (format.channels != 1 && format.channels != 2) {
    result.problem = "A SoundFont holds mono or stereo samples; this sound has " +
                     std::to_string(format.channels) + " channels.";
    return result;
  }
  if (auto keys = CheckSliceKeys(slices.count())) {
    result.problem = *keys;
    return result;
  }
  const int channels = format.channels;
  const bool deep = encoding == SampleEncoding::Int24 || encoding == SampleEncoding::Int32 ||
                    encoding == SampleEncoding::Float32;
  std::uint64_t points = 0;
  for (std::size_t k = 0; k < slices.count(); ++k)
    points +=
        (static_cast<std::uint64_t>(slices.Length(k)) + kGuardPoints) * static_cast<std::uint64_t>(channels);
  // Sample positions are 32-bit, and so is every chunk size.
  if (points * 3 + 4096 + slices.count() * 200 > std::numeric_limits<std::uint32_t>::max()) {
    result.problem = "The slices are too long for a SoundFont (4 GB at most).";
    return result;
  }

  // Sample data: slice by slice, left then right, each followed by its guard points.
  const std::size_t smplBytes = static_cast<std::size_t>(points) * 2;
  const std::size_t sm24Bytes = deep ? static_cast<std::size_t>(points) + (points % 2) : 0;
  const std::size_t sdtaBytes = 4 + 8 + smplBytes + (deep ? 8 + sm24Bytes : 0);
  std::optional<ByteBuffer> sdta = ByteBuffer::AllocateZeroed(sdtaBytes);
  if (!sdta) {
    result.problem = "Out of memory.";
    return result;
  }
  std::byte* out = sdta->data();
  const auto store = [](std::byte* at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) at[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
  };
  store(out, FourCC("sdta"), 4);
  store(out + 4, FourCC("smpl"), 4);
  store(out + 8, static_cast<std::uint32_t>(smplBytes), 4);
  std::byte* smpl = out + 12;
  std::byte* sm24 = smpl + smplBytes + 8;
  if (deep) {
    store(smpl + smplBytes, FourCC("sm24"), 4);
    // The size read back is the padded one: half the "smpl" size, made even.
    store(smpl + smplBytes + 4, static_cast<std::uint32_t>(sm24Bytes), 4);
  }

  struct SampleHeader {
    std::string name;
    std::uint32_t start, end;
    int key;
    std::uint16_t link, type;
  };
  std::vector<SampleHeader> headers;
  std::uint32_t point = 0;
  for (std::size_t k = 0; k < slices.count(); ++k) {
    for (int c = 0; c < channels; ++c) {
      const std::uint32_t start = point;
      const std::byte* frame = sound.data() + slices.Start(k) * format.blockAlign;
      for (std::int64_t i = 0; i < slices.Length(k); ++i, frame += format.blockAlign, ++point) {
        const auto value = static_cast<std::uint32_t>(Sample24(frame, c, encoding));
        store(smpl + 2 * static_cast<std::size_t>(point), value >> 8, 2);
        if (deep) sm24[point] = static_cast<std::byte>(value & 0xFFu);
      }
      const auto index = static_cast<std::uint16_t>(headers.size());
      const std::string label = "Slice " + std::to_string(k + 1) +
                                (channels == 1 ? ""
                                 : c == 0      ? " L"
                                               : " R");
      headers.push_back({label, start, point, SliceKey(k),
                         static_cast<std::uint16_t>(channels == 1 ? 0
                                                    : c == 0      ? index + 1
                                                                  : index - 1),
                         channels == 1 ? kMono
                         : c == 0      ? kLeft
                                       : kRight});
      point += kGuardPoints;
    }
  }

  // The hydra: one preset with one zone calling the instrument, whose zones map the samples.
  Bytes phdr, pbag, pmod, pgen, inst, ibag, imod, igen, shdr;
  phdr.Name(name, 20);
  phdr.Put(0, 2);  // preset 0
  phdr.Put(0, 2);  // bank 0
  phdr.Put(0, 2);  // first zone
  phdr.Put(0, 4);
  phdr.Put(0, 4);
  phdr.Put(0, 4);
  phdr.Name("EOP", 20);
  phdr.Put(0, 2);
  phdr.Put(0, 2);
  phdr.Put(1, 2);
  phdr.Put(0, 12);
  pbag.Put(0, 2);
  pbag.Put(0, 2);
  pbag.Put(1, 2);
  pbag.Put(0, 2);
  pmod.Put(0, 10);
  pgen.Put(kInstrument, 2);
  pgen.Put(0, 2);
  pgen.Put(0, 4);
  inst.Name(name, 20);
  inst.Put(0, 2);

  std::uint16_t generators = 0;
  for (std::size_t s = 0; s < headers.size(); ++s) {
    const SampleHeader& sample = headers[s];
    ibag.Put(generators, 2);
    ibag.Put(0, 2);
    const auto key = static_cast<std::uint32_t>(sample.key);
    igen.Put(kKeyRange, 2);
    igen.Put(key | key << 8, 2);  // low key, high key
    igen.Put(kOverridingRootKey, 2);
    igen.Put(key, 2);
    igen.Put(kSampleModes, 2);
    igen.Put(0, 2);  // no loop
    generators += 4;
    if (channels == 2) {
      igen.Put(kPan, 2);
      igen.Put(static_cast<std::uint16_t>(sample.type == kLeft ? -500 : 500), 2);
      ++generators;
    }
    igen.Put(kSampleId, 2);
    igen.Put(static_cast<std::uint32_t>(s), 2);

    shdr.Name(sample.name, 20);
    shdr.Put(sample.start, 4);
    shdr.Put(sample.end, 4);
    shdr.Put(sample.start, 4);  // loop points: unused, kept inside the sample
    shdr.Put(sample.end, 4);
    shdr.Put(static_cast<std::uint32_t>(format.sampleRate), 4);
    shdr.Put(key, 1);  // original pitch
    shdr.Put(0, 1);    // pitch correction
    shdr.Put(sample.link, 2);
    shdr.Put(sample.type, 2);
  }
  inst.Name("EOI", 20);
  inst.Put(static_cast<std::uint32_t>(headers.size()), 2);
  ibag.Put(generators, 2);
  ibag.Put(0, 2);
  imod.Put(0, 10);
  igen.Put(0, 4);
  shdr.Name("EOS", 20);
  shdr.Put(0, 26);

  Bytes info;
  info.Id("INFO");
  Bytes version;
  version.Put(2, 2);
  version.Put(deep ? 4 : 1, 2);
  info.Chunk("ifil", version);
  Bytes engine;
  engine.Name("EMU8000", 8);
  info.Chunk("isng", engine);
  Bytes title;
  title.Name(name, std::min<std::size_t>(name.size() + 1 + (name.size() + 1) % 2, 256));
  info.Chunk("INAM", title);

  Bytes pdta;
  pdta.Id("pdta");
  pdta.Chunk("phdr", phdr);
  pdta.Chunk("pbag", pbag);
  pdta.Chunk("pmod", pmod);
  pdta.Chunk("pgen", pgen);
  pdta.Chunk("inst", inst);
  pdta.Chunk("ibag", ibag);
  pdta.Chunk("imod", imod);
  pdta.Chunk("igen", igen);
  pdta.Chunk("shdr", shdr);

  vbMediaFile file;
  file.FileHeader(kRiffId);
  file.FileType(FourCC("sfbk"));
  const std::uint32_t list = FourCC("LIST");
  if (file.Add(list, info.bytes().data(), static_cast<std::int64_t>(info.bytes().size())) !=
          FileResult::Success ||
      file.Add(list, std::move(*sdta)) != FileResult::Success ||
      file.Add(list, pdta.bytes().data(), static_cast<std::int64_t>(pdta.bytes().size())) !=
          FileResult::Success) {
    result.problem = "Out of memory.";
    return result;
  }
  result.file = std::move(file);
  return result;
}

}  // namespace tactoria
