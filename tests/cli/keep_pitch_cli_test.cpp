// --keep-pitch through the real tool: the files written keep the tone and the open file's format,
// at exactly the new length; span cuts the stretched sound.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/riff_builder.h"
#include "support/sound_measures.h"

namespace tactoria::testing {
namespace {

constexpr std::size_t kHeader = 44;  // RIFF header, 16-byte "fmt " chunk, "data" chunk header

int RunTool(const std::vector<std::string>& args) {
  std::string command = "'" TACTORIA_CLI_PATH "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class KeepPitchCli : public ::testing::Test {
 protected:
  void SetUp() override {
    // 2 s of 440 Hz: 88200 frames, 120 bpm as one bar of 4 beats.
    const std::vector<double> sine = SineWave(440, 44100, 88200);
    input_ = RiffBytes({{"fmt ", PcmFormat(2, 44100, 16)},
                        {"data", Pcm16(88200, 2, [&](std::size_t i) { return sine[i]; })}});
    WriteBytes(in_, input_);
  }
  TempDir dir_;
  const std::string in_ = dir_ / "in.wav", out_ = dir_ / "out.wav";
  Bytes input_;
};

TEST_F(KeepPitchCli, SaveAndSpanWriteTheStretchedSoundAndRefusalsWriteNothing) {
  // --bpm 96 is 110250 frames: 1.25 times the length, the tone kept, the format record unchanged.
  ASSERT_EQ(RunTool({"save", in_, out_, "--bpm", "96", "--keep-pitch"}), 0);
  const Bytes out = ReadBytes(out_);
  ASSERT_EQ(out.size(), kHeader + 110250 * 4);
  EXPECT_TRUE(std::equal(out.begin() + 12, out.begin() + 36, input_.begin() + 12));
  EXPECT_NEAR(DominantFrequency(Channel16(out.data() + kHeader, out.size() - kHeader, 2, 0), 44100), 440, 2);

  ASSERT_EQ(RunTool({"span", in_, dir_ / "beat", "--frames", "110250", "--keep-pitch"}), 0);
  for (int n = 1; n <= 4; ++n)
    EXPECT_EQ(ReadBytes(dir_ / ("beat[" + std::to_string(n) + "].wav")).size(), kHeader + 27562 * 4);
  // 32 times the length is beyond the stretch: a failure, and no file.
  EXPECT_EQ(RunTool({"save", in_, dir_ / "long.wav", "--frames", "2822400", "--keep-pitch"}), 1);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "long.wav"));
}

}  // namespace
}  // namespace tactoria::testing
