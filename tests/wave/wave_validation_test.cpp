#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/riff_builder.h"
#include "wave/wave_validation.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::PcmFormat;
using testing::Ramp;
using testing::RiffBytes;

struct OpenCase {
  const char* name;
  Bytes bytes;
  std::string title;  // empty: the file opens
  std::string message;
};

const std::string kUnsupported = "This application only supports WAVE PCM FORMAT.";
const std::string kInvalidFormat = "Invalid wave format header.";

Bytes WithField(Bytes format, std::size_t offset, int width, std::uint32_t value) {
  for (int i = 0; i < width; ++i) format[offset + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
  return format;
}

Bytes Wave(const Bytes& format, const Bytes& data = Ramp(8)) {
  return RiffBytes({{"fmt ", format}, {"data", data}});
}

void PrintTo(const OpenCase& c, std::ostream* os) {
  *os << c.name;
}

class OpenWave : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenWave, GivesTheExpectedProblem) {
  const OpenCase& c = GetParam();
  testing::TempDir dir;
  testing::WriteBytes(dir / "in.wav", c.bytes);
  const OpenResult result = OpenWaveFile(dir / "in.wav");
  EXPECT_EQ(result.problem.title, c.title);
  EXPECT_EQ(result.problem.message, c.message);
  EXPECT_EQ(result.wave.has_value(), c.title.empty());
}

const Bytes kStereo16 = PcmFormat(2, 44100, 16);

INSTANTIATE_TEST_SUITE_P(
    Files, OpenWave,
    ::testing::Values(
        OpenCase{"Accepted", Wave(kStereo16), "", ""},
        OpenCase{"LowerAndUpperCaseIds",
                 RiffBytes({{"FMT ", kStereo16}, {"DATA", Ramp(4)}}, {.header = "riff", .form = "wave"}), "",
                 ""},
        OpenCase{"MonoEightBitAnyLength", Wave(PcmFormat(1, 8000, 8), Ramp(7)), "", ""},
        OpenCase{"ShortFile", Ramp(11), "Error: -1", "Unkown error"},
        OpenCase{"ChunkPastTheEnd", RiffBytes({{"data", Ramp(4), 40}}), "Error: 3",
                 "Unable to read wave file data."},
        OpenCase{"NegativeChunkSize", RiffBytes({{"data", Ramp(4), 0x80000000u}}), "Error: 5",
                 "Out of memory."},
        OpenCase{"BadSizeField", RiffBytes({}, {.sizeField = 5}), "Error: 9",
                 "The filesize specified in this file is invalid."},
        OpenCase{"HeaderMixedCase", RiffBytes({}, {.header = "Riff"}), "Error: Invalid File",
                 "Invalid riff file."},
        OpenCase{"FormMixedCase", RiffBytes({}, {.form = "Wave"}), "Error: Invalid File",
                 "Invalid wave file."},
        OpenCase{"MixedCaseFmtIgnored", RiffBytes({{"Fmt ", kStereo16}, {"data", Ramp(4)}}),
                 "Unsupported Format", kUnsupported},
        OpenCase{"HeaderOnly", RiffBytes({}), "Unsupported Format", kUnsupported},
        OpenCase{"Format0", Wave({}), "Unsupported Format", kUnsupported},
        OpenCase{"Format14", Wave(Bytes(kStereo16.begin(), kStereo16.begin() + 14)), "Unsupported Format",
                 kUnsupported},
        OpenCase{"Format18", Wave(WithField(Bytes(18), 0, 2, 1)), "Unsupported Format", kUnsupported},
        OpenCase{"Format40", Wave(Ramp(40)), "Unsupported Format", kUnsupported},
        OpenCase{"WrongSizeAfterGoodFormat",
                 RiffBytes({{"fmt ", kStereo16}, {"data", Ramp(4)}, {"fmt ", Bytes(18)}}),
                 "Unsupported Format", kUnsupported},
        OpenCase{"FloatTag", Wave(PcmFormat(2, 44100, 32, 3)), "Unsupported Format", kUnsupported},
        OpenCase{"NoChannels", Wave(WithField(kStereo16, 2, 2, 0)), "Invalid Format", kInvalidFormat},
        OpenCase{"NegativeRate", Wave(WithField(kStereo16, 4, 4, 0x80000000u)), "Invalid Format",
                 kInvalidFormat},
        OpenCase{"NoByteRate", Wave(WithField(kStereo16, 8, 4, 0)), "Invalid Format", kInvalidFormat},
        OpenCase{"NegativeBlockAlign", Wave(WithField(kStereo16, 12, 2, 0xFFFF)), "Invalid Format",
                 kInvalidFormat},
        OpenCase{"NoBits", Wave(WithField(kStereo16, 14, 2, 0)), "Invalid Format", kInvalidFormat},
        OpenCase{"NoDataChunk", RiffBytes({{"fmt ", kStereo16}}), kNoDataTitle, kNoDataMessage},
        OpenCase{"EmptyDataChunk", Wave(kStereo16, {}), kNoDataTitle, kNoDataMessage},
        OpenCase{"PartialFrame", Wave(kStereo16, Ramp(6)), "BlockAlign Error",
                 "The block alignment in this wave file is invalid."},
        OpenCase{"LastDataChunkCounts",
                 RiffBytes({{"fmt ", kStereo16}, {"data", Ramp(8)}, {"DATA", Ramp(5)}}), "BlockAlign Error",
                 "The block alignment in this wave file is invalid."}),
    [](const ::testing::TestParamInfo<OpenCase>& p) { return std::string(p.param.name); });

TEST(WaveValidation, ReportsTheLastFormatAndDataChunks) {
  testing::TempDir dir;
  const Bytes mono = PcmFormat(1, 22050, 16);
  testing::WriteBytes(dir / "in.wav", RiffBytes({{"data", Ramp(3)},
                                                 {"fmt ", kStereo16},
                                                 {"LIST", Ramp(5)},
                                                 {"FMT ", mono},
                                                 {"DATA", Ramp(6)},
                                                 {"JUNK", Ramp(2)}}));
  const OpenResult result = OpenWaveFile(dir / "in.wav");
  ASSERT_TRUE(result.wave.has_value()) << result.problem.message;
  const WaveValidation& v = result.wave->validation;
  EXPECT_EQ(v.dataIndex, 5);
  EXPECT_EQ(v.fmtIndex, 4);
  EXPECT_EQ(v.format.channels, 1);
  EXPECT_EQ(v.format.sampleRate, 22050);
  EXPECT_EQ(result.wave->file.Count(), 6);
  EXPECT_EQ(ReadFailureProblem(FileResult::CannotOpen).title, "Error: 1");
  EXPECT_EQ(ReadFailureProblem(FileResult::CannotOpen).message,
            "Unable to open wave file. Maybe open by another application.");
  EXPECT_EQ(ReadFailureProblem(FileResult::CannotCreate).title, "Error: -1");
  EXPECT_EQ(OpenWaveFile(dir / "missing.wav").problem.title, "Error: 1");
}

}  // namespace
}  // namespace tactoria
