#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/riff_builder.h"
#include "wave/wave_validation.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::PcmFormat;
using testing::Ramp;
using testing::RiffBytes;

Bytes WithField(Bytes format, std::size_t at, int width, std::uint32_t value) {
  testing::SetLe(format, at, value, width);
  return format;
}

Bytes Wave(const Bytes& format, const Bytes& data = Ramp(8)) {
  return RiffBytes({{"fmt ", format}, {"data", data}});
}

TEST(OpenWaveFile, EachFileGetsItsMessage) {
  const Problem opens{}, unsupported{"Unsupported Format", "This application only supports WAVE PCM FORMAT."},
      badFormat{"Invalid Format", "Invalid wave format header."}, noData{kNoDataTitle, kNoDataMessage},
      badAlign{"BlockAlign Error", "The block alignment in this wave file is invalid."};
  const Bytes stereo = PcmFormat(2, 44100, 16);
  const std::tuple<const char*, Bytes, Problem> cases[] = {
      {"lower and upper case ids", RiffBytes({{"FMT ", stereo}, {"DATA", Ramp(4)}}, {"riff", "wave"}), opens},
      {"short file", Ramp(11), {"Error: -1", "Unkown error"}},
      {"chunk past end", RiffBytes({{"data", Ramp(4), 40}}), {"Error: 3", "Unable to read wave file data."}},
      {"negative chunk size", RiffBytes({{"data", Ramp(4), 0x80000000u}}), {"Error: 5", "Out of memory."}},
      {"size field",
       RiffBytes({}, {.sizeField = 5}),
       {"Error: 9", "The filesize specified in this file is invalid."}},
      {"header mixed case", RiffBytes({}, {"Riff"}), {"Error: Invalid File", "Invalid riff file."}},
      {"form mixed case", RiffBytes({}, {"RIFF", "Wave"}), {"Error: Invalid File", "Invalid wave file."}},
      {"fmt mixed case", RiffBytes({{"Fmt ", stereo}, {"data", Ramp(4)}}), unsupported},
      {"no format", RiffBytes({}), unsupported},
      {"format 0", Wave({}), unsupported},
      {"format 14", Wave(Bytes(stereo.begin(), stereo.begin() + 14)), unsupported},
      {"format 18", Wave(WithField(Bytes(18), 0, 2, 1)), unsupported},
      {"format 40", Wave(Ramp(40)), unsupported},
      {"last fmt counts", RiffBytes({{"fmt ", stereo}, {"data", Ramp(4)}, {"fmt ", Bytes(18)}}), unsupported},
      {"float tag", Wave(PcmFormat(2, 44100, 32, 3)), unsupported},
      {"no channels", Wave(WithField(stereo, 2, 2, 0)), badFormat},
      {"negative rate", Wave(WithField(stereo, 4, 4, 0x80000000u)), badFormat},
      {"no byte rate", Wave(WithField(stereo, 8, 4, 0)), badFormat},
      {"negative block align", Wave(WithField(stereo, 12, 2, 0xFFFF)), badFormat},
      {"no bits", Wave(WithField(stereo, 14, 2, 0)), badFormat},
      {"no data chunk", RiffBytes({{"fmt ", stereo}}), noData},
      {"empty data chunk", Wave(stereo, {}), noData},
      {"part frame", Wave(stereo, Ramp(6)), badAlign},
      {"last data counts", RiffBytes({{"fmt ", stereo}, {"data", Ramp(8)}, {"DATA", Ramp(5)}}), badAlign},
  };
  testing::TempDir dir;
  for (const auto& [name, bytes, problem] : cases) {
    SCOPED_TRACE(name);
    testing::WriteBytes(dir / "in.wav", bytes);
    const OpenResult result = OpenWaveFile(dir / "in.wav");
    EXPECT_EQ(result.problem.title + "|" + result.problem.message, problem.title + "|" + problem.message);
    EXPECT_EQ(result.wave.has_value(), problem.title.empty());
  }
  const Problem missing = OpenWaveFile(dir / "missing.wav").problem;
  EXPECT_EQ(missing.title + "|" + missing.message,
            "Error: 1|Unable to open wave file. Maybe open by another application.");
}

}  // namespace
}  // namespace tactoria
