#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/riff_builder.h"
#include "wave/child_process.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"

#if defined(__SANITIZE_ADDRESS__)
#define TACTORIA_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TACTORIA_TEST_ASAN 1
#endif
#endif
#ifndef TACTORIA_TEST_ASAN
#define TACTORIA_TEST_ASAN 0
#endif

namespace tactoria {
namespace {

using testing::Bytes;
using testing::Ramp;
using testing::RiffBytes;
using testing::RiffChunk;

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes FixSizeField(Bytes bytes) {
  const auto size = static_cast<std::uint32_t>(bytes.size() - 8);
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<std::byte>((size >> (8 * i)) & 0xFFu);
  return bytes;
}

// A RIFF file of `body` after the 12-byte header, with a size field of length - 8.
Bytes WithBody(const Bytes& body) {
  return FixSizeField(Concat(RiffBytes({}), body));
}

Bytes ChunkBytes(const std::string& id, std::uint32_t declared, const Bytes& data) {
  Bytes out;
  testing::AppendId(out, id);
  testing::AppendLe(out, declared);
  return Concat(out, data);
}

struct ReadCase {
  const char* name;
  Bytes bytes;
  FileResult code;
  std::vector<std::uint32_t> sizes;  // sizes of the chunks read, on success
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

class RiffRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RiffRead, GivesTheExpectedCodeAndChunks) {
  const ReadCase& c = GetParam();
  testing::TempDir dir;
  const std::string path = dir / "in.wav";
  testing::WriteBytes(path, c.bytes);

  vbMediaFile file;
  const Bytes old = Ramp(3);
  ASSERT_EQ(file.Add(FourCC("OLD "), old.data(), 3), FileResult::Success);
  ASSERT_EQ(file.OpenFromFile(path), c.code);
  if (c.code != FileResult::Success) {
    EXPECT_EQ(file.Count(), 0);
    EXPECT_EQ(file.FileName(), "");
    return;
  }
  EXPECT_EQ(file.FileName(), path);
  ASSERT_EQ(file.Count(), static_cast<int>(c.sizes.size()) + 1);
  EXPECT_EQ(file.Item(1).typeId, FourCC("OLD "));  // read chunks come after those held
  for (std::size_t i = 0; i < c.sizes.size(); ++i) {
    EXPECT_EQ(file.Item(static_cast<int>(i) + 2).size(), static_cast<std::int32_t>(c.sizes[i])) << i;
  }
}

const Bytes kOdd = Ramp(5, 0x41);

INSTANTIATE_TEST_SUITE_P(
    Files, RiffRead,
    ::testing::Values(
        ReadCase{"Empty", {}, FileResult::HeaderUnreadable, {}},
        ReadCase{"ElevenBytes", Ramp(11), FileResult::HeaderUnreadable, {}},
        ReadCase{"HeaderOnly", RiffBytes({}), FileResult::Success, {}},
        ReadCase{
            "SizeFieldIsLength", RiffBytes({{"data", Ramp(4)}}, {.sizeField = 24}), FileResult::Success, {4}},
        ReadCase{"SizeFieldOneMore",
                 RiffBytes({{"data", Ramp(4)}}, {.sizeField = 17}),
                 FileResult::InvalidFileSize,
                 {}},
        ReadCase{"SizeFieldOneLess",
                 RiffBytes({{"data", Ramp(4)}}, {.sizeField = 15}),
                 FileResult::InvalidFileSize,
                 {}},
        ReadCase{"ChunkLargerThanFile",
                 WithBody(ChunkBytes("data", 0x7FFFFFF0u, Ramp(80))),
                 FileResult::ChunkUnreadable,
                 {}},
        ReadCase{
            "ChunkOneByteShort", WithBody(ChunkBytes("data", 9, Ramp(8))), FileResult::ChunkUnreadable, {}},
        ReadCase{
            "NegativeSize", WithBody(ChunkBytes("data", 0xFFFFFFF0u, Ramp(8))), FileResult::OutOfMemory, {}},
        ReadCase{"ZeroSizeIsAnEmptyChunk",
                 RiffBytes({{"JUNK", {}}, {"data", Ramp(2)}}),
                 FileResult::Success,
                 {0, 2}},
        ReadCase{
            "OddChunkWithPad", RiffBytes({{"odd ", kOdd}, {"data", Ramp(4)}}), FileResult::Success, {5, 4}},
        ReadCase{"OddChunkWithoutPad",
                 RiffBytes({{"odd ", kOdd}, {"data", Ramp(4)}}, {.pad = false}),
                 FileResult::Success,
                 {5, 4}},
        ReadCase{"OddChunkLastWithPad", RiffBytes({{"data", kOdd}}), FileResult::Success, {5}},
        ReadCase{"SevenStrayBytesIgnored",
                 FixSizeField(Concat(RiffBytes({{"data", Ramp(4)}}), Ramp(7))),
                 FileResult::Success,
                 {4}},
        ReadCase{"EightStrayBytesAreAChunk",
                 FixSizeField(Concat(RiffBytes({{"data", Ramp(4)}}), Ramp(8))),
                 FileResult::ChunkUnreadable,
                 {}}),
    [](const ::testing::TestParamInfo<ReadCase>& p) { return std::string(p.param.name); });

TEST(RiffReadDetails, IdsAndBytesAreStoredAsRead) {
  testing::TempDir dir;
  const std::string path = dir / "in.wav";
  testing::WriteBytes(path, RiffBytes({{"Fmt ", Ramp(3)}, {"next", Ramp(4, 0x61)}},
                                      {.header = "rIFF", .form = "wAVE", .pad = false}));
  vbMediaFile file;
  ASSERT_EQ(file.OpenFromFile(path), FileResult::Success);
  EXPECT_EQ(FourCCText(file.FileHeader()), "rIFF");
  EXPECT_EQ(FourCCText(file.FileType()), "wAVE");
  EXPECT_EQ(file.HeaderSize(), 27u);
  ASSERT_EQ(file.Count(), 2);
  EXPECT_EQ(FourCCText(file.Item(1).typeId), "Fmt ");
  EXPECT_EQ(FourCCText(file.Item(2).typeId), "next");
  const auto data = file.Item(2).bytes();
  EXPECT_EQ(Bytes(data.begin(), data.end()), Ramp(4, 0x61));
}

TEST(RiffReadDetails, FailureKeepsTheFormerFileName) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "good.wav", RiffBytes({{"data", Ramp(4)}}));
  testing::WriteBytes(dir / "bad.wav", WithBody(ChunkBytes("data", 100, Ramp(4))));
  vbMediaFile file;
  ASSERT_EQ(file.OpenFromFile(dir / "good.wav"), FileResult::Success);
  EXPECT_EQ(file.OpenFromFile(dir / "bad.wav"), FileResult::ChunkUnreadable);
  EXPECT_EQ(file.Count(), 0);
  EXPECT_EQ(file.FileName(), dir / "good.wav");
  EXPECT_EQ(file.OpenFromFile(dir / "missing.wav"), FileResult::CannotOpen);
  EXPECT_EQ(file.OpenFromFile(dir.path().string()), FileResult::CannotOpen);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(file.OpenFromFile(dir / "fifo"), FileResult::CannotOpen);  // must not hang
}

// A 100-byte file declaring a 2 GB chunk is refused before any buffer is asked for: with
// the address space held to 256 MB above what the process uses, allocating would give 5.
// (Under AddressSanitizer the same is enforced by its allocation limit, see the options at the end.)
TEST(RiffReadDetails, HugeDeclaredSizeAllocatesNothing) {
  testing::TempDir dir;
  const std::string path = dir / "huge.wav";
  testing::WriteBytes(path, WithBody(ChunkBytes("data", 0x7FFFFFFFu, Ramp(80))));
  const int code = testing::RunInChild([&] {
#if !TACTORIA_TEST_ASAN
    const rlim_t limit = testing::VirtualMemorySize() + (256u << 20);
    const rlimit cap{limit, limit};
    if (::setrlimit(RLIMIT_AS, &cap) != 0) return 100;
#endif
    vbMediaFile file;
    return Code(file.OpenFromFile(path));
  });
  EXPECT_EQ(code, Code(FileResult::ChunkUnreadable));
}

}  // namespace
}  // namespace tactoria

#if TACTORIA_TEST_ASAN
// Large requests fail instead of aborting, so an allocation of a declared size shows as code 5.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=256";
}
#endif
