// tactoria-cli analyze run as a user runs it, on loops written here: the JSON object and its keys,
// --beats, what decides the tempo (the sound, the file name, an acid chunk, the length) and the
// refusals.
#include <gtest/gtest.h>

#include <bit>
#include <nlohmann/json.hpp>

#include "support/drum_loops.h"
#include "support/tool_run.h"

namespace tactoria::testing {
namespace {

nlohmann::ordered_json Analyze(const std::vector<std::string>& args) {
  std::vector<std::string> all{"analyze"};
  all.insert(all.end(), args.begin(), args.end());
  all.push_back("--json");
  const ToolRun run = RunTool(all);
  EXPECT_EQ(run.status, 0) << run.err;
  return nlohmann::ordered_json::parse(run.out, nullptr, false);
}

TEST(CliAnalyze, FindsTheTempoAndSaysWhatDecided) {
  const TempDir dir;
  const Bytes data = MakeLoop(Rock(100, 2)).pcm;
  WriteBytes(dir / "loop.wav", PcmWave(data));
  const nlohmann::ordered_json found = Analyze({dir / "loop.wav"});
  ASSERT_TRUE(found.is_object());
  std::vector<std::string> keys;
  for (const auto& [key, value] : found.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"bpm", "beats", "bars", "confidence", "source", "onsets"}));
  EXPECT_NEAR(found["bpm"].get<double>(), 100.0, 0.01);
  EXPECT_EQ(found["beats"], 4);
  EXPECT_EQ(found["bars"], 2);
  EXPECT_EQ(found["source"], "sound");
  const auto onsets = found["onsets"].get<std::vector<std::int64_t>>();
  EXPECT_GE(onsets.size(), 16u);
  EXPECT_TRUE(std::is_sorted(onsets.begin(), onsets.end()));

  // With the beats given only bars and tempo are found.
  const nlohmann::ordered_json two = Analyze({dir / "loop.wav", "--beats", "2"});
  EXPECT_EQ(two["beats"], 2);
  EXPECT_EQ(two["bars"], 4);
  EXPECT_NEAR(two["bpm"].get<double>(), 100.0, 0.01);
  // Sensitivity 0 finds no more hits than the default.
  EXPECT_LE(Analyze({dir / "loop.wav", "--sensitivity", "0"})["onsets"].size(), onsets.size());

  WriteBytes(dir / "Groove 50 BPM.wav", PcmWave(data));  // fits: one bar of 4 at 50 bpm
  const nlohmann::ordered_json named = Analyze({dir / "Groove 50 BPM.wav"});
  EXPECT_EQ(named["source"], "file name");
  EXPECT_EQ(named["bars"], 1);
  EXPECT_EQ(named["bpm"], 50);

  Bytes acid(24);
  const auto tempo = std::bit_cast<std::uint32_t>(200.0f);
  for (int i = 0; i < 4; ++i)
    acid[20 + static_cast<std::size_t>(i)] = static_cast<std::byte>(tempo >> (8 * i));
  WriteBytes(dir / "acid.wav",
             RiffBytes({{"fmt ", PcmFormat(2, 44100, 16)}, {"acid", acid}, {"data", data}}));
  const nlohmann::ordered_json tagged = Analyze({dir / "acid.wav"});
  EXPECT_EQ(tagged["source"], "acid chunk");
  EXPECT_EQ(tagged["bars"], 4);
  EXPECT_EQ(tagged["bpm"], 200);

  WriteBytes(dir / "silence.wav", PcmWave(Bytes(88200 * 4)));  // the length decides
  EXPECT_EQ(Analyze({dir / "silence.wav"})["source"], "length");

  const ToolRun text = RunTool({"analyze", dir / "loop.wav"});
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("Bpm: 100\nBeats: 4\nBars: 2\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Source: sound\n"), std::string::npos);

  // Refused as every command refuses: a file that is not a wave file, and out-of-range options.
  WriteBytes(dir / "text.wav", Ramp(100));
  EXPECT_EQ(RunTool({"analyze", dir / "text.wav"}).status, 1);
  EXPECT_EQ(RunTool({"analyze", dir / "loop.wav", "--sensitivity", "1.5"}).status, 2);
  EXPECT_EQ(RunTool({"analyze", dir / "loop.wav", "--beats", "0"}).status, 2);
}

}  // namespace
}  // namespace tactoria::testing
