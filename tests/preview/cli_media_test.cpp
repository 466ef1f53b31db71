// tactoria-cli play and waveform, run as the user runs them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <random>
#include <span>
#include <sstream>
#include <vector>

#include "cli_play.h"
#include "pulse_server.h"
#include "support/failing_sink.h"
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

// The picture goes through the safe write: a full disk, a device or a FIFO fails with the reason
// and leaves the target as it was.
TEST(CliWaveformTest, WritesThePictureOnlyWhole) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "in.wav", testing::PcmWave(testing::Ramp(4000)));
  const Bytes old = testing::Ramp(9, 100);
  testing::WriteBytes(dir / "old.png", old);
  // A reader on the FIFO: a write into it would not block but be lost.
  ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0600), 0);
  const int reader = ::open((dir / "fifo.png").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const std::pair<std::string, std::string> refusals[] = {
      {"/dev/full", "(not a regular file; /dev/full)"},
      {dir / "fifo.png", "(not a regular file; " + dir / "fifo.png)"},
      {dir / "new.png/", "(Is a directory; " + dir / "new.png/)"},
  };
  for (const auto& [target, text] : refusals) {
    const ToolRun run = RunTool({"waveform", dir / "in.wav", target, "--force"});
    EXPECT_EQ(run.status, 1) << target;
    EXPECT_NE(run.err.find("Failed to create the file. " + text), std::string::npos) << run.err;
  }
  ::close(reader);

  // A disk that fills up, in-process: the same run with sinks that fail as a full disk does.
  for (const std::string target : {"old.png", "new.png"}) {
    cli::CliCommand command;
    command.job = cli::Job::Waveform;
    command.input = dir / "in.wav";
    command.output = dir / target;
    command.force = true;
    command.width = 64;
    command.height = 48;
    std::ostringstream out, err;
    const cli::JobStreams streams{out, err, false, testing::FullDiskSinks(100)};
    EXPECT_EQ(cli::RunWaveform(command, streams), 1) << target;
    EXPECT_NE(
        err.str().find("Failed to write data to the file. (No space left on device; " + dir / target + ")"),
        std::string::npos)
        << err.str();
  }
  EXPECT_EQ(testing::ReadBytes(dir / "old.png"), old);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"fifo.png", "in.wav", "old.png"}));
}

// The sound server connection must not break the tool's end: every play of a short loop exits 0.
TEST(CliPlayRepeatTest, EveryPlayExitsZero) {
  if (!testing::g_pulse) GTEST_SKIP() << "no private sound server";
  testing::TempDir dir;
  Bytes data(1323 * 4);  // 30 ms of 16-bit stereo
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::byte>(i * 7 + 1);
  testing::WriteBytes(dir / "in.wav", testing::PcmWave(data));
  // A crash must not leave a core file of the whole process behind.
  rlimit core{};
  ::getrlimit(RLIMIT_CORE, &core);
  const rlimit none{0, core.rlim_max};
  ::setrlimit(RLIMIT_CORE, &none);
  std::string failures;
  for (int i = 0; i < 50; ++i) {
    const ToolRun run = RunTool({"play", dir / "in.wav"});
    if (run.status != 0)
      failures += "play " + std::to_string(i) + ": " + std::to_string(run.status) + " " + run.err;
  }
  ::setrlimit(RLIMIT_CORE, &core);
  EXPECT_EQ(failures, "");
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
