// tactoria-cli play and waveform, run as the user runs them.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <random>
#include <span>
#include <vector>

#include "pulse_server.h"
#include "support/tool_run.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::RunTool;
using testing::ToolRun;

TEST(CliWaveformTest, DrawsTheGridAtTheGivenSize) {
  testing::TempDir dir;
  // A loud first half and a silent second half: the bar line of bar 2 sits in the silence.
  Bytes data(88200 * 4, std::byte{0});
  for (std::size_t i = 0; i < data.size() / 2; i += 2)
    data[i + 1] = i % 8 < 4 ? std::byte{0x70} : std::byte{0x90};
  testing::WriteBytes(dir / "in.wav", testing::PcmWave(data));
  const ToolRun run = RunTool(
      {"waveform", dir / "in.wav", dir / "out.png", "--bars", "2", "--width", "640", "--height", "200"});
  ASSERT_EQ(run.status, 0) << run.err;
  const QImage image(QString::fromStdString(dir / "out.png"));
  ASSERT_EQ(image.size(), QSize(640, 200));
  EXPECT_GT(image.pixelColor(320, 150).red(), 150);
  EXPECT_LT(image.pixelColor(320, 150).blue(), 150) << "no bar line at the middle";
  EXPECT_GT(image.pixelColor(100, 61).blue(), 200);  // inside the loud half's first lane
  EXPECT_LT(image.pixelColor(480, 61).blue(), 100);  // the silence

  EXPECT_EQ(RunTool({"waveform", dir / "in.wav", dir / "out.png"}).status, 1)
      << "an existing picture was replaced";

  // The same sound in 32-bit float (imported: File > Open refuses it) draws the same picture.
  std::vector<float> floats;
  for (std::size_t i = 0; i < data.size(); i += 2)
    floats.push_back(static_cast<float>(static_cast<std::int16_t>(std::to_integer<int>(data[i]) |
                                                                  std::to_integer<int>(data[i + 1]) << 8)) /
                     32768.0f);
  const auto floatBytes = std::as_bytes(std::span(floats));
  testing::WriteBytes(dir / "float.wav",
                      testing::RiffBytes({{"fmt ", testing::PcmFormat(2, 44100, 32, 3)},
                                          {"data", Bytes(floatBytes.begin(), floatBytes.end())}}));
  const ToolRun floatRun = RunTool(
      {"waveform", dir / "float.wav", dir / "float.png", "--bars", "2", "--width", "640", "--height", "200"});
  ASSERT_EQ(floatRun.status, 0) << floatRun.err;
  EXPECT_TRUE(QImage(QString::fromStdString(dir / "float.png")) == image);
}

TEST(CliPlayTest, PlaysTheBeatOnceOrSaysThereIsNoOutput) {
  testing::TempDir dir;
  std::mt19937 random(7);
  Bytes data(10001 * 4);  // 16-bit stereo, random but never a silent frame
  for (std::byte& b : data) b = static_cast<std::byte>(random() | 1);
  testing::WriteBytes(dir / "in.wav", testing::PcmWave(data));
  if (testing::g_pulse) testing::g_pulse->Clear();
  const ToolRun run = RunTool({"play", dir / "in.wav", "--beat", "3"});
  ASSERT_EQ(run.status, testing::g_pulse ? 0 : 1) << run.err;
  EXPECT_EQ(run.err.find("No sound output") != std::string::npos, !testing::g_pulse) << run.err;
  if (!testing::g_pulse) return;
  // 40004 bytes in 4 beats: 10000 bytes (2500 frames) each; beat 3 starts at byte 20000.
  const Bytes stream = testing::g_pulse->Received();
  const auto beat = std::span(data).subspan(20000, 10000);
  const auto at = std::search(stream.begin(), stream.end(), beat.begin(), beat.end());
  ASSERT_NE(at, stream.end()) << "beat 3 was not heard whole";
  EXPECT_TRUE(std::all_of(stream.begin(), at, [](std::byte b) { return b == std::byte{0}; }));
  EXPECT_TRUE(std::all_of(at + 10000, stream.end(), [](std::byte b) { return b == std::byte{0}; }));
}

}  // namespace
}  // namespace tactoria
