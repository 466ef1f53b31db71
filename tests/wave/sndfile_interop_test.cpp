// Files written by libsndfile are read correctly, and libsndfile reads what we write.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <memory>
#include <string>
#include <vector>

#include "support/riff_builder.h"
#include "wave/four_cc.h"
#include "wave/wave_validation.h"

namespace tactoria {
namespace {

using testing::Bytes;

struct SndFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFile = std::unique_ptr<SNDFILE, SndFileCloser>;

struct Layout {
  const char* name;
  int subtype;
  int channels;
  int bits;
  int frames;
  const char* comment;  // makes libsndfile add a LIST chunk
};

void PrintTo(const Layout& l, std::ostream* os) {
  *os << l.name;
}

class LibsndfileWritten : public ::testing::TestWithParam<Layout> {};

TEST_P(LibsndfileWritten, IsReadWithItsFormatAndFrames) {
  const Layout& l = GetParam();
  testing::TempDir dir;
  const std::string path = dir / "in.wav";
  std::vector<short> samples(static_cast<std::size_t>(l.frames * l.channels));
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<short>(i * 997);
  {
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = l.channels;
    info.format = SF_FORMAT_WAV | l.subtype;
    SndFile out(sf_open(path.c_str(), SFM_WRITE, &info));
    ASSERT_TRUE(out) << sf_strerror(nullptr);
    if (l.comment) sf_set_string(out.get(), SF_STR_COMMENT, l.comment);
    ASSERT_EQ(sf_writef_short(out.get(), samples.data(), l.frames), l.frames);
  }

  const OpenResult result = OpenWaveFile(path);
  ASSERT_TRUE(result.wave.has_value()) << result.problem.message;
  const WaveValidation& v = result.wave->validation;
  const int blockAlign = l.channels * l.bits / 8;
  EXPECT_EQ(v.format.channels, l.channels);
  EXPECT_EQ(v.format.sampleRate, 22050);
  EXPECT_EQ(v.format.bitsPerSample, l.bits);
  EXPECT_EQ(v.format.blockAlign, blockAlign);
  EXPECT_EQ(result.wave->file.Item(v.dataIndex).size(), l.frames * blockAlign);
  if (l.comment) {
    bool hasList = false;
    for (int i = 1; i <= result.wave->file.Count(); ++i)
      hasList |= result.wave->file.Item(i).typeId == FourCC("LIST");
    EXPECT_TRUE(hasList);
  }

  // The data bytes are the samples libsndfile wrote: read them back through it as raw bytes.
  SF_INFO info{};
  SndFile in(sf_open(path.c_str(), SFM_READ, &info));
  ASSERT_TRUE(in);
  Bytes raw(static_cast<std::size_t>(l.frames * blockAlign));
  ASSERT_EQ(sf_read_raw(in.get(), raw.data(), static_cast<sf_count_t>(raw.size())),
            static_cast<sf_count_t>(raw.size()));
  const auto data = result.wave->file.Item(v.dataIndex).bytes();
  EXPECT_EQ(Bytes(data.begin(), data.end()), raw);
}

INSTANTIATE_TEST_SUITE_P(Layouts, LibsndfileWritten,
                         ::testing::Values(Layout{"Mono8", SF_FORMAT_PCM_U8, 1, 8, 15, nullptr},
                                           Layout{"Stereo16", SF_FORMAT_PCM_16, 2, 16, 20, nullptr},
                                           Layout{"Mono24WithComment", SF_FORMAT_PCM_24, 1, 24, 15, "odd"}),
                         [](const ::testing::TestParamInfo<Layout>& p) { return std::string(p.param.name); });

// Our files, including an odd data chunk with its pad byte and an extra chunk after it.
TEST(LibsndfileReads, FilesWeWrite) {
  struct Case {
    int channels, bits, frames, subtype;
  };
  for (const Case c : {Case{1, 8, 9, SF_FORMAT_PCM_U8}, Case{2, 16, 10, SF_FORMAT_PCM_16},
                       Case{1, 24, 7, SF_FORMAT_PCM_24}}) {
    testing::TempDir dir;
    const std::string path = dir / "out.wav";
    const Bytes format = testing::PcmFormat(c.channels, 11025, c.bits);
    const Bytes data = testing::Ramp(static_cast<std::size_t>(c.frames * c.channels * c.bits / 8), 3);
    const Bytes note = testing::Ramp(3, 0x61);
    vbMediaFile file;
    file.FileHeader(kRiffId);
    file.FileType(kWaveId);
    ASSERT_EQ(file.Add(kFmtId, format.data(), 16), FileResult::Success);
    ASSERT_EQ(file.Add(kDataId, data.data(), static_cast<std::int64_t>(data.size())), FileResult::Success);
    ASSERT_EQ(file.Add(FourCC("JUNK"), note.data(), 3), FileResult::Success);
    ASSERT_EQ(file.SaveToFile(path), FileResult::Success);

    SF_INFO info{};
    SndFile in(sf_open(path.c_str(), SFM_READ, &info));
    ASSERT_TRUE(in) << sf_strerror(nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | c.subtype);
    EXPECT_EQ(info.channels, c.channels);
    EXPECT_EQ(info.samplerate, 11025);
    EXPECT_EQ(info.frames, c.frames);
    Bytes raw(data.size());
    ASSERT_EQ(sf_read_raw(in.get(), raw.data(), static_cast<sf_count_t>(raw.size())),
              static_cast<sf_count_t>(raw.size()));
    EXPECT_EQ(raw, data);
  }
}

}  // namespace
}  // namespace tactoria
