#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/riff_builder.h"
#include "wave/child_process.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::Ramp;
using testing::RiffBytes;

// A 4-byte data chunk followed by `tail`, all counted in the size field.
Bytes WithTail(const Bytes& tail) {
  Bytes bytes = RiffBytes({{"data", Ramp(4)}});
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  testing::SetLe(bytes, 4, static_cast<std::uint32_t>(bytes.size() - 8));
  return bytes;
}

TEST(RiffRead, HostileAndUnusualFilesGiveTheirCodes) {
  struct Case {
    const char* name;
    Bytes bytes;
    FileResult code;
    std::vector<std::int32_t> sizes;  // of the chunks read, on success
  };
  using enum FileResult;
  const Bytes odd = Ramp(5, 0x41);
  const Case cases[] = {
      {"empty", {}, HeaderUnreadable, {}},
      {"11 bytes", Ramp(11), HeaderUnreadable, {}},
      {"header only", RiffBytes({}), Success, {}},
      {"size field = length", RiffBytes({{"data", Ramp(4)}}, {.sizeField = 24}), Success, {4}},
      {"size field 1 more", RiffBytes({{"data", Ramp(4)}}, {.sizeField = 17}), InvalidFileSize, {}},
      {"size field 1 less", RiffBytes({{"data", Ramp(4)}}, {.sizeField = 15}), InvalidFileSize, {}},
      {"2 GB chunk in 100 bytes", RiffBytes({{"data", Ramp(80), 0x7FFFFFF0u}}), ChunkUnreadable, {}},
      {"chunk 1 byte short", RiffBytes({{"data", Ramp(8), 9}}), ChunkUnreadable, {}},
      {"negative size", RiffBytes({{"data", Ramp(8), 0xFFFFFFF0u}}), OutOfMemory, {}},
      {"zero size", RiffBytes({{"JUNK", {}}, {"data", Ramp(2)}}), Success, {0, 2}},
      {"odd chunk, pad", RiffBytes({{"odd ", odd}, {"data", Ramp(4)}}), Success, {5, 4}},
      {"odd chunk, no pad, any ids",
       RiffBytes({{"odd ", odd}, {"data", Ramp(4)}}, {.header = "rIFF", .form = "wAVE", .pad = false}),
       Success,
       {5, 4}},
      {"odd last chunk, pad", RiffBytes({{"data", odd}}), Success, {5}},
      {"7 stray bytes", WithTail(Ramp(7)), Success, {4}},
      {"8 stray bytes", WithTail(Ramp(8)), ChunkUnreadable, {}},
  };
  testing::TempDir dir;
  const std::string good = dir / "good.wav", path = dir / "in.wav";
  testing::WriteBytes(good, RiffBytes({{"OLD ", Ramp(3)}}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::WriteBytes(path, c.bytes);
    vbMediaFile file;
    ASSERT_EQ(file.OpenFromFile(good), Success);
    ASSERT_EQ(file.OpenFromFile(path), c.code);
    if (c.code != Success) {
      EXPECT_EQ(file.Count(), 0);
      EXPECT_EQ(file.FileName(), good);
      continue;
    }
    EXPECT_EQ(file.FileName(), path);
    EXPECT_EQ(file.Item(1).typeId, FourCC("OLD "));  // read chunks follow those already held
    std::vector<std::int32_t> sizes;
    for (int i = 2; i <= file.Count(); ++i) sizes.push_back(file.Item(i).size());
    EXPECT_EQ(sizes, c.sizes);
  }
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  vbMediaFile file;
  for (const std::string& p : {dir / "missing.wav", dir.path().string(), dir / "fifo"})
    EXPECT_EQ(file.OpenFromFile(p), FileResult::CannotOpen) << p;  // a fifo must not block
}

// A 100-byte file declaring a 2 GB chunk is refused before any buffer is asked for: with the
// address space held to 256 MB above what the process uses, allocating would give 5 (or, under
// AddressSanitizer, end the child).
TEST(RiffRead, HugeDeclaredSizeAllocatesNothing) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "huge.wav", RiffBytes({{"data", Ramp(80), 0x7FFFFFFFu}}));
  const int code = testing::RunInChild([&] {
    const rlim_t limit = testing::VirtualMemorySize() + (256u << 20);
    const rlimit cap{limit, limit};
    if (::setrlimit(RLIMIT_AS, &cap) != 0) return 100;
    vbMediaFile file;
    return Code(file.OpenFromFile(dir / "huge.wav"));
  });
  EXPECT_EQ(code, Code(FileResult::ChunkUnreadable));
}

}  // namespace
}  // namespace tactoria
