// Sound files of every format libsndfile writes, made here, opened through the import, reversed and
// saved as Save As does: the saved samples are the source's exactly (lossless formats) or of the
// same length and level (lossy ones). Files it cannot read are refused with the file and the reason.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "import/sound_import.h"
#include "process/render.h"
#include "support/riff_builder.h"
#include "wave/four_cc.h"
#include "wave/wave_output.h"

namespace tactoria {
namespace {

using SndFile = std::unique_ptr<SNDFILE, decltype(&sf_close)>;
using testing::Bytes;

struct Format {
  const char* name;
  int sfFormat;
  int channels;
  int rate;
  const char* description;
  std::uint16_t tag;  // of the imported sound
  int bits;
  bool lossy;
};

// Samples written as libsndfile's full-scale integers (the low bits below the depth zero) or as
// floats, some beyond 1.0.
struct Samples {
  std::vector<int> ints;
  std::vector<float> floats;
};

Samples Synthesize(const Format& f, sf_count_t frames) {
  Samples s;
  const auto count = static_cast<std::size_t>(frames * f.channels);
  std::mt19937 random(static_cast<unsigned>(f.sfFormat));
  if (f.lossy) {
    for (std::size_t i = 0; i < count; ++i)
      s.floats.push_back(0.5f *
                         std::sin(static_cast<float>(i / static_cast<std::size_t>(f.channels)) * 0.0627f));
  } else if (f.tag == 3) {
    std::uniform_real_distribution<float> value(-2.5f, 2.5f);
    for (std::size_t i = 0; i < count; ++i) s.floats.push_back(value(random));
  } else {
    const int shift = 32 - f.bits;
    for (std::size_t i = 0; i < count; ++i) {
      auto value = static_cast<std::uint32_t>(random());
      if (i < 2) value = i == 0 ? 0x7FFFFFFFu : 0x80000000u;  // both ends of the range
      s.ints.push_back(static_cast<int>(value >> shift << shift));
    }
  }
  return s;
}

bool Write(const std::string& path, const Format& f, const Samples& s, sf_count_t frames) {
  SF_INFO info{0, f.rate, f.channels, f.sfFormat, 0, 0};
  SndFile file(sf_open(path.c_str(), SFM_WRITE, &info), sf_close);
  if (!file) return false;
  return (s.ints.empty() ? sf_writef_float(file.get(), s.floats.data(), frames)
                         : sf_writef_int(file.get(), s.ints.data(), frames)) == frames;
}

// The frames of `samples` in reverse order.
template <typename T>
std::vector<T> Reversed(const std::vector<T>& samples, int channels) {
  std::vector<T> out;
  for (std::size_t frame = samples.size() / static_cast<std::size_t>(channels); frame-- > 0;)
    for (int c = 0; c < channels; ++c) out.push_back(samples[frame * static_cast<std::size_t>(channels) + c]);
  return out;
}

double Rms(const std::vector<float>& samples) {
  double sum = 0;
  for (float v : samples) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

TEST(Import, EveryFormatKeepsItsSamplesThroughReverseAndSave) {
  const Format formats[] = {
      {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 22050, "WAV, 8-bit", 1, 8, false},
      {"s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, "WAV, 16-bit", 1, 16, false},
      {"s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, "WAV, 24-bit", 1, 24, false},
      {"s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, 44100, "WAV, 32-bit", 1, 32, false},
      {"f32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, "WAV, 32-bit float", 3, 32, false},
      {"f64.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, 96000, "WAV, 64-bit float", 3, 32, false},
      {"x24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, 44100, "WAV EXTENSIBLE, 24-bit", 1, 24, false},
      {"x32.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, 2, 44100, "WAV EXTENSIBLE, 32-bit", 1, 32, false},
      {"xf.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 2, 44100, "WAV EXTENSIBLE, 32-bit float", 3, 32, false},
      {"six.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 6, 48000, "WAV EXTENSIBLE, 16-bit", 1, 16, false},
      {"s16.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 2, 44100, "W64, 16-bit", 1, 16, false},
      {"s24.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_24, 2, 44100, "RF64, 24-bit", 1, 24, false},
      {"s8.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 1, 22050, "AIFF, 8-bit", 1, 8, false},
      {"s16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 44100, "AIFF, 16-bit", 1, 16, false},
      {"s24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, 44100, "AIFF, 24-bit", 1, 24, false},
      {"f32.aifc", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2, 44100, "AIFC, 32-bit float", 3, 32, false},
      {"s8.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_S8, 1, 44100, "FLAC, 8-bit", 1, 8, false},
      {"s16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100, "FLAC, 16-bit", 1, 16, false},
      {"s24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, 96000, "FLAC, 24-bit", 1, 24, false},
      {"v.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, 44100, "Ogg Vorbis", 3, 32, true},
      {"o.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 2, 48000, "Ogg Opus", 3, 32, true},
      {"m.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 2, 44100, "MP3", 3, 32, true},
  };
  testing::TempDir dir;
  for (const Format& f : formats) {
    SCOPED_TRACE(f.name);
    const sf_count_t frames = f.lossy ? f.rate : 1000;
    const std::string in = dir / f.name, out = dir / (std::string(f.name) + ".saved.wav");
    const Samples source = Synthesize(f, frames);
    ASSERT_TRUE(Write(in, f, source, frames)) << sf_strerror(nullptr);

    LoadResult loaded = OpenOrImport(in);
    ASSERT_TRUE(loaded.wave) << loaded.problem.message;
    EXPECT_EQ(loaded.source.description, f.description);
    // Plain PCM wave files open as File > Open reads them.
    EXPECT_EQ(loaded.source.imported, (f.sfFormat & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV || f.tag == 3);
    const WaveFormat& format = loaded.wave->validation.format;
    const int align = f.channels * f.bits / 8;
    EXPECT_EQ(format, (WaveFormat{f.tag, static_cast<std::int16_t>(f.channels), f.rate, f.rate * align,
                                  static_cast<std::int16_t>(align), static_cast<std::int16_t>(f.bits)}));
    vbMediaFile& wave = loaded.wave->file;
    EXPECT_EQ(wave.FileName(), in);
    ASSERT_EQ(wave.Count(), 2);
    EXPECT_EQ(wave.TypeId(loaded.wave->validation.fmtIndex), kFmtId);
    const ChunkEntry& data = wave.Item(loaded.wave->validation.dataIndex);

    RenderSettings reverse;
    reverse.reverse = true;
    RenderResult rendered = RenderNewSample(data.bytes(), format, reverse);
    ASSERT_FALSE(rendered.failure);
    WaveOutput output{wave.FileHeader(), wave.FileType(), format,
                      static_cast<std::int64_t>(rendered.buffer.size()),
                      [&](std::int64_t offset, std::span<std::byte> dest) {
                        std::copy_n(rendered.buffer.data() + offset, dest.size(), dest.data());
                      }};
    ASSERT_EQ(SaveWave(output, out, false).result, FileResult::Success);
    // A plain header: a 16-byte "fmt " chunk with the imported tag.
    const Bytes saved = testing::ReadBytes(out);
    EXPECT_EQ(saved[16], std::byte{16});
    EXPECT_EQ(saved[20], static_cast<std::byte>(f.tag));

    SF_INFO info{};
    SndFile back(sf_open(out.c_str(), SFM_READ, &info), sf_close);
    ASSERT_TRUE(back) << sf_strerror(nullptr);
    const auto count = static_cast<std::size_t>(info.frames * f.channels);
    if (f.lossy) {
      EXPECT_NEAR(static_cast<double>(info.frames), static_cast<double>(frames),
                  0.01 * static_cast<double>(frames));
      std::vector<float> samples(count);
      ASSERT_EQ(sf_readf_float(back.get(), samples.data(), info.frames), info.frames);
      EXPECT_NEAR(Rms(samples), Rms(source.floats), 0.1 * Rms(source.floats));
    } else if (f.tag == 3) {
      ASSERT_EQ(info.frames, frames);
      std::vector<float> samples(count);
      ASSERT_EQ(sf_readf_float(back.get(), samples.data(), frames), frames);
      EXPECT_EQ(samples, Reversed(source.floats, f.channels));
    } else {
      ASSERT_EQ(info.frames, frames);
      std::vector<int> samples(count);
      ASSERT_EQ(sf_readf_int(back.get(), samples.data(), frames), frames);
      EXPECT_EQ(samples, Reversed(source.ints, f.channels));
    }
  }
}

// File > Open's own path is unchanged: a plain PCM wave file keeps every chunk as read, and what
// it refuses (here a 24-bit EXTENSIBLE file) it refuses with its own message.
TEST(Import, PlainWaveFilesOpenAsBeforeAndTheRestImport) {
  testing::TempDir dir;
  const std::string plain = dir / "plain.wav", extensible = dir / "x.wav";
  testing::WriteBytes(plain, testing::RiffBytes({{"LIST", testing::Ramp(5)},
                                                 {"fmt ", testing::PcmFormat(2, 44100, 16)},
                                                 {"data", testing::Ramp(8)}}));
  LoadResult loaded = OpenOrImport(plain);
  ASSERT_TRUE(loaded.wave);
  EXPECT_FALSE(loaded.source.imported);
  EXPECT_EQ(loaded.source.description, "WAV, 16-bit");
  EXPECT_EQ(loaded.wave->file.Count(), 3);

  const Format f{"", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, 44100, "", 1, 24, false};
  ASSERT_TRUE(Write(extensible, f, Synthesize(f, 10), 10));
  const OpenResult opened = OpenWaveFile(extensible);
  EXPECT_FALSE(opened.wave);
  EXPECT_EQ(opened.problem.message, "This application only supports WAVE PCM FORMAT.");
  EXPECT_TRUE(OpenOrImport(extensible).wave);
  EXPECT_EQ(DescribeSoundFile(extensible)->description, "WAV EXTENSIBLE, 24-bit");

  // A missing file and a wave file without frames keep File > Open's messages; other files without
  // frames get their own.
  EXPECT_EQ(OpenOrImport(dir / "gone.wav").problem.message,
            "Unable to open wave file. Maybe open by another application.");
  testing::WriteBytes(plain, testing::PcmWave({}));
  EXPECT_EQ(OpenOrImport(plain).problem.message, "This wave file holds no sound data.");
  const Format aiff{"", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 44100, "", 1, 16, false};
  ASSERT_TRUE(Write(dir / "empty.aiff", aiff, {}, 0));
  const LoadResult none = OpenOrImport(dir / "empty.aiff");
  EXPECT_EQ(std::tie(none.problem.title, none.problem.message),
            std::tie("No Sound Data", "This file holds no sound data."));
}

TEST(Import, UnreadableFilesAreRefusedWithTheFileAndTheReason) {
  testing::TempDir dir;
  const std::string flac = dir / "cut.flac", guid = dir / "guid.wav", text = dir / "text.mp3",
                    empty = dir / "empty.wav", huge = dir / "huge.wav";
  const Format f{"", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100, "", 1, 16, false};
  ASSERT_TRUE(Write(flac, f, Synthesize(f, 40000), 40000));
  Bytes bytes = testing::ReadBytes(flac);
  bytes.resize(bytes.size() / 2);
  testing::WriteBytes(flac, bytes);

  const Format x{"", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 44100, "", 1, 16, false};
  ASSERT_TRUE(Write(guid, x, Synthesize(x, 100), 100));
  bytes = testing::ReadBytes(guid);
  std::size_t at = 12;
  while (at + 8 < bytes.size() && std::memcmp(&bytes[at], "fmt ", 4) != 0)
    at += 8 + std::to_integer<std::size_t>(bytes[at + 4]) + 256 * std::to_integer<std::size_t>(bytes[at + 5]);
  ASSERT_EQ(std::to_integer<int>(bytes[at + 4]), 40);
  bytes[at + 8 + 24] = std::byte{0x34};  // the subtype GUID's tag: no encoding known
  bytes[at + 8 + 25] = std::byte{0x12};
  testing::WriteBytes(guid, bytes);

  const std::string words = "These are not the frames of a sound.\n";
  testing::WriteBytes(text, {reinterpret_cast<const std::byte*>(words.data()), words.size()});
  testing::WriteBytes(empty, Bytes{});
  // 2.25 GiB of silence declared, and there (a sparse file): refused before any buffer is asked for.
  const std::uint32_t hugeBytes = 0x90000000u;
  testing::WriteBytes(
      huge, testing::RiffBytes({{"fmt ", testing::PcmFormat(2, 44100, 16)}, {"data", {}, hugeBytes}},
                               {.sizeField = 36 + hugeBytes}));
  std::filesystem::resize_file(huge, 44 + std::uintmax_t{hugeBytes});

  // libsndfile's reasons, for a file named ".mp3" its own rather than the MP3 decoder's.
  const std::pair<std::string, std::string> cases[] = {
      {flac, "Unable to import \"cut.flac\": Error : flac decoder lost sync."},
      {guid, "Unable to import \"guid.wav\": File contains data in an unimplemented format."},
      {text, "Unable to import \"text.mp3\": Format not recognised."},
      {empty, "Unable to import \"empty.wav\": Format not recognised."},
      {huge,
       "Unable to import \"huge.wav\": its sound takes more than the 2 GiB (2147483647 bytes) a sound can "
       "have here."}};
  for (const auto& [path, message] : cases) {
    const LoadResult loaded = OpenOrImport(path);
    EXPECT_FALSE(loaded.wave);
    EXPECT_EQ(loaded.problem.title, "Cannot Import");
    EXPECT_EQ(loaded.problem.message, message);
  }
}

}  // namespace
}  // namespace tactoria
