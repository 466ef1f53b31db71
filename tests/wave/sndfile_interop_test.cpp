// Files written by libsndfile are read correctly, and libsndfile reads what we write.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "support/riff_builder.h"
#include "wave/four_cc.h"
#include "wave/wave_validation.h"

namespace tactoria {
namespace {

using testing::Bytes;

using SndFile = std::unique_ptr<SNDFILE, decltype(&sf_close)>;

// The first `size` sample bytes of `path` as libsndfile reads them (empty on failure).
Bytes RawData(const std::string& path, SF_INFO& info, std::size_t size) {
  SndFile file(sf_open(path.c_str(), SFM_READ, &info), sf_close);
  Bytes raw(size);
  const auto count = static_cast<sf_count_t>(size);
  return file && sf_read_raw(file.get(), raw.data(), count) == count ? raw : Bytes{};
}

// 15 frames of 24-bit mono (odd data) with a comment, which makes libsndfile add a LIST chunk; the
// other depths and File > Open's reading of them: the import tests.
TEST(Libsndfile, WeReadItsFilesAndItReadsOurs) {
  testing::TempDir dir;
  const std::string in = dir / "in.wav", out = dir / "out.wav";
  std::vector<short> samples(15);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<short>(i * 997);
  SF_INFO info{0, 22050, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 0, 0};
  {
    SndFile file(sf_open(in.c_str(), SFM_WRITE, &info), sf_close);
    ASSERT_TRUE(file) << sf_strerror(nullptr);
    sf_set_string(file.get(), SF_STR_COMMENT, "odd");
    ASSERT_EQ(sf_writef_short(file.get(), samples.data(), 15), 15);
  }
  const Bytes raw = RawData(in, info, 45);
  ASSERT_FALSE(raw.empty());
  OpenResult opened = OpenWaveFile(in);
  ASSERT_TRUE(opened.wave.has_value()) << opened.problem.message;
  vbMediaFile& file = opened.wave->file;
  const WaveValidation& v = opened.wave->validation;
  EXPECT_EQ(std::tuple(int{v.format.channels}, int{v.format.sampleRate}, int{v.format.bitsPerSample},
                       int{v.format.blockAlign}),
            std::tuple(1, 22050, 24, 3));
  EXPECT_EQ(testing::ToBytes(file.Item(v.dataIndex).bytes()), raw);
  EXPECT_EQ(file.Count(), 3);

  // Written back with an odd chunk after the odd data.
  const Bytes note = testing::Ramp(3);
  ASSERT_EQ(file.Add(FourCC("JUNK"), note.data(), 3), FileResult::Success);
  ASSERT_EQ(file.SaveToFile(out), FileResult::Success);
  info = {};
  EXPECT_EQ(RawData(out, info, raw.size()), raw);
  EXPECT_EQ(std::tuple(info.format, info.channels, info.samplerate, info.frames),
            std::tuple(SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 22050, sf_count_t{15}));
}

}  // namespace
}  // namespace tactoria
