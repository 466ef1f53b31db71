// tactoria-cli slice run as a user runs it: the grid cuts as span cuts, a real synthesizer plays the
// loop back from the SoundFont and the MIDI file, and every refusal leaves the folder as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "support/sound_measures.h"
#include "support/tool_run.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"

namespace tactoria::testing {
namespace {

using ::testing::HasSubstr;
constexpr double kRate = 44100;

// The first channel of a 16-bit wave file's data, as floats.
std::vector<double> Left16(const std::string& path) {
  vbMediaFile file;
  EXPECT_EQ(file.OpenFromFile(path), FileResult::Success) << path;
  for (int i = 1; i <= file.Count(); ++i) {
    if (file.TypeId(i) == FourCC("data")) {
      const auto bytes = file.Item(i).bytes();
      return Channel16(bytes.data(), bytes.size(), 2, 0);
    }
  }
  ADD_FAILURE() << "no data in " << path;
  return {};
}

// RMS over windows of 10 ms.
std::vector<double> Envelope(const std::vector<double>& x) {
  const auto window = static_cast<std::size_t>(kRate / 100);
  std::vector<double> out;
  for (std::size_t at = 0; at + window <= x.size(); at += window) {
    double sum = 0;
    for (std::size_t i = at; i < at + window; ++i) sum += x[i] * x[i];
    out.push_back(std::sqrt(sum / static_cast<double>(window)));
  }
  return out;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b, std::size_t n) {
  double ma = 0, mb = 0;
  for (std::size_t i = 0; i < n; ++i)
    ma += a[i] / static_cast<double>(n), mb += b[i] / static_cast<double>(n);
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < n; ++i) {
    ab += (a[i] - ma) * (b[i] - mb);
    aa += (a[i] - ma) * (a[i] - ma);
    bb += (b[i] - mb) * (b[i] - mb);
  }
  return ab / std::sqrt(aa * bb);
}

// The last window louder than 1% of the loudest.
std::size_t AudibleEnd(const std::vector<double>& envelope) {
  const double peak = *std::max_element(envelope.begin(), envelope.end());
  std::size_t end = 0;
  for (std::size_t i = 0; i < envelope.size(); ++i)
    if (envelope[i] > 0.01 * peak) end = i + 1;
  return end;
}

// Two bars of drums at 120 bpm, hits off the beat grid: low kicks, noisy snares, short hats.
std::vector<double> DrumLoop() {
  std::vector<double> loop(static_cast<std::size_t>(4 * kRate), 0.0);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(-1, 1);
  const auto add = [&](double seconds, int kind) {
    const auto start = static_cast<std::size_t>(seconds * kRate);
    for (std::size_t i = 0; start + i < loop.size() && i < static_cast<std::size_t>(0.2 * kRate); ++i) {
      const double t = static_cast<double>(i) / kRate;
      loop[start + i] += kind == 0   ? 0.8 * std::exp(-t / 0.05) * std::sin(2 * std::numbers::pi * 60 * t)
                         : kind == 1 ? 0.5 * std::exp(-t / 0.03) * noise(random)
                                     : 0.3 * std::exp(-t / 0.008) * noise(random);
    }
  };
  const std::pair<double, int> hits[] = {{0.0, 0},  {0.5, 2}, {0.9, 1},  {1.3, 2}, {1.75, 0},
                                         {2.05, 0}, {2.5, 2}, {2.95, 1}, {3.4, 2}, {3.7, 1}};
  for (const auto& [seconds, kind] : hits) add(seconds, kind);
  return loop;
}

class CliSlice : public ::testing::Test {
 protected:
  std::string Input(const std::vector<double>& wave) {
    WriteBytes(in_, PcmWave(Stereo16(wave)));
    return in_;
  }
  TempDir dir_;
  const std::string in_ = dir_ / "in.wav";
};

TEST_F(CliSlice, GridSlicesWithoutFadesAreTheBeatsOfSpan) {
  Input(SineWave(330, kRate, 4410));
  const std::vector<std::string> edits{"--bars", "2", "--frames", "5003", "--phaser", "3", "--reverse"};
  std::filesystem::create_directories(dir_ / "span");
  std::filesystem::create_directories(dir_ / "slice");
  std::vector<std::string> span{"span", in_, dir_ / "span/beat"};
  std::vector<std::string> slice{"slice",     in_, dir_ / "slice/beat", "--at", "grid",
                                 "--fade-in", "0", "--fade-out",        "0"};
  span.insert(span.end(), edits.begin(), edits.end());
  slice.insert(slice.end(), edits.begin(), edits.end());
  ASSERT_EQ(RunTool(span).status, 0);
  const ToolRun run = RunTool(slice);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("8 slices"));
  for (int n = 1; n <= 8; ++n) {
    const std::string name = "/beat[" + std::to_string(n) + "].wav";
    EXPECT_EQ(ReadBytes(dir_ / ("slice" + name)), ReadBytes(dir_ / ("span" + name))) << n;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ / "slice"), {}), 8);
}

// The SoundFont played by the MIDI file through fluidsynth gives the loop back: the same envelope
// over time and the same length, whatever the synthesizer's gain.
TEST_F(CliSlice, FluidsynthPlaysTheLoopBackFromTheSoundFontAndTheMidiFile) {
  Input(DrumLoop());
  // Slower, so that the hits are found again on the rendered sound, not on IN.
  const std::vector<std::string> edits{"--bars", "2", "--bpm", "100"};
  std::vector<std::string> slice{"slice", in_, dir_ / "drum", "--sf2", "--midi", "--snap"};
  std::vector<std::string> save{"save", in_, dir_ / "rendered.wav"};
  slice.insert(slice.end(), edits.begin(), edits.end());
  save.insert(save.end(), edits.begin(), edits.end());
  ASSERT_EQ(RunTool(save).status, 0);
  const ToolRun run = RunTool(slice);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr(" slices: " + (dir_ / "drum[1].wav")));

  const std::string played = dir_ / "played.wav";
  const std::string command =
      "fluidsynth -ni -q -T wav -O s16 -r 44100 -o synth.reverb.active=0 "
      "-o synth.chorus.active=0 -F '" +
      played + "' '" + (dir_ / "drum.sf2") + "' '" + (dir_ / "drum.mid") + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "fluidsynth (package fluidsynth) is needed";
  const std::vector<double> loop = Envelope(Left16(dir_ / "rendered.wav"));
  const std::vector<double> back = Envelope(Left16(played));
  ASSERT_EQ(loop.size(), 480u);  // 4.8 seconds
  ASSERT_GE(back.size(), loop.size());
  const double correlation = Correlation(loop, back, loop.size());
  EXPECT_GT(correlation, 0.95);
  EXPECT_NEAR(static_cast<double>(AudibleEnd(back)), static_cast<double>(AudibleEnd(loop)), 3);
  // Nothing is early or late: the envelopes match best where they stand.
  for (std::size_t lag = 1; lag <= 3; ++lag) {
    const std::vector<double> shifted(back.begin() + static_cast<std::ptrdiff_t>(lag), back.end());
    EXPECT_LT(Correlation(loop, shifted, loop.size() - 3), Correlation(loop, back, loop.size())) << lag;
  }
}

TEST_F(CliSlice, RefusalsWriteNothing) {
  Input(SineWave(330, kRate, 4410));
  WriteBytes(dir_ / "drum.sfz", Ramp(5));
  const std::string base = dir_ / "drum";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--at", "1000,1010"}, 1, "Slice 2 is 10 frames (0.23 ms) long, shorter than its fades"},
      {{"--at", "0,2000"}, 1, "cannot be on the first or the last frame of the sound (frame 0)"},
      {{"--at", "2000,4409"}, 1, "cannot be on the first or the last frame of the sound (frame 4409)"},
      {{"--at", "grid", "--beats", "31", "--bars", "3", "--fade-in", "0", "--fade-out", "0", "--midi"},
       1,
       "The sound has 93 slices, but only 92 keys"},
      {{"--at", "2000", "--sfz"}, 1, base + ".sfz already exists; use --force to replace it."},
      {{"--at", "grid", "--beats", "0.5"}, 2, "Beat(s) and Bar(s) must be greater or equal than 1."},
      {{"--at", "somewhere"}, 2, "--at"},
      {{"--sensitivity", "2"}, 2, "--sensitivity"},
      {{"--fade-out", "nan"}, 2, "--fade-out"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"slice", in_, base};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"drum.sfz", "in.wav"})) << c.message;
  }
  EXPECT_EQ(ReadBytes(dir_ / "drum.sfz"), Ramp(5));
}

}  // namespace
}  // namespace tactoria::testing
