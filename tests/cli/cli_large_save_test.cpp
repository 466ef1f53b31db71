// A save of a loop large enough that its data is read while the output is written: every piece
// must wait for the very source bytes it takes, in either reading direction.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "beats/shuffle_order.h"
#include "process/render.h"
#include "support/tool_run.h"

namespace tactoria::testing {
namespace {

TEST(CliLargeSave, WritesWhatTheRenderGivesWhileTheDataArrives) {
  // 1.5 million frames of 16-bit stereo noise: 6 MB, more than the tool reads before it writes.
  Bytes data(6'000'000);
  std::uint32_t x = 12345;
  for (std::byte& b : data) b = static_cast<std::byte>((x = x * 1664525u + 1013904223u) >> 24);
  const TempDir dir;
  WriteBytes(dir / "in.wav", PcmWave(data));
  const WaveFormat format{1, 2, 44100, 176400, 4, 16};
  const struct {
    std::vector<std::string> edits;
    RenderSettings settings;
    std::vector<std::int32_t> order;
  } cases[] = {
      {{"--reverse"}, {std::nullopt, std::nullopt, true}, {}},
      {{"--frames", "1700001", "--reverse"}, {1700001, std::nullopt, true}, {}},
      {{"--frames", "1200000"}, {1200000, std::nullopt, false}, {}},
      {{"--frames", "1400000", "--phaser", "3000", "--reverse"}, {1400000, 3000.0, true}, {}},
      {{"--order", "2,1,4,3", "--reverse"}, {std::nullopt, std::nullopt, true}, {2, 1, 4, 3}},
  };
  for (const auto& [edits, settings, order] : cases) {
    SCOPED_TRACE(edits[0] + " " + edits[1 % edits.size()]);
    Bytes source = data;
    if (!order.empty()) {
      ASSERT_EQ(ReorderBeats(source, order, 4), ReorderResult::Done);
    }
    const RenderResult expected = RenderNewSample(source, format, settings);
    ASSERT_FALSE(expected.failure);
    std::vector<std::string> args{"save", dir / "in.wav", dir / "out.wav", "--force"};
    args.insert(args.end(), edits.begin(), edits.end());
    const ToolRun run = RunTool(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ReadBytes(dir / "out.wav") == PcmWave(ToBytes(expected.buffer.bytes())));
  }
}

}  // namespace
}  // namespace tactoria::testing
