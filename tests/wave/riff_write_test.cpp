#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "support/riff_builder.h"
#include "wave/child_process.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"

namespace tactoria {
namespace {

using enum FileResult;
using testing::Bytes;
using testing::Ramp;
using testing::RiffBytes;
using Names = std::vector<std::string>;

// "fmt " (16 bytes), "data" (`dataSize` bytes) and an odd "LIST" chunk.
std::vector<testing::RiffChunk> Chunks(std::size_t dataSize) {
  return {{"fmt ", testing::PcmFormat(1, 8000, 8)}, {"data", Ramp(dataSize, 7)}, {"LIST", Ramp(3, 0x61)}};
}

vbMediaFile MakeWave(const std::vector<testing::RiffChunk>& chunks) {
  vbMediaFile file;
  file.FileHeader(kRiffId);
  file.FileType(kWaveId);
  for (const auto& [id, data, size] : chunks) {
    const auto typeId = static_cast<std::uint32_t>(id[0] | id[1] << 8 | id[2] << 16 | id[3] << 24);
    EXPECT_EQ(file.Add(typeId, data.data(), static_cast<std::int64_t>(data.size())), Success);
  }
  return file;
}

mode_t PermissionsOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

TEST(RiffWrite, OddChunksArePaddedAndCountedInTheSize) {
  testing::TempDir dir;
  const auto chunks = Chunks(5);
  vbMediaFile file = MakeWave(chunks);
  ASSERT_EQ(file.SaveToFile(dir / "out.wav"), Success);
  const Bytes written = testing::ReadBytes(dir / "out.wav");
  EXPECT_EQ(written.size(), 12u + 24u + 14u + 12u);
  EXPECT_EQ(written, RiffBytes(chunks));
}

TEST(RiffWrite, TargetsAreKeptReplacedOrRefused) {
  testing::TempDir dir;
  const std::string path = dir / "out.wav";
  testing::WriteBytes(path, Ramp(100));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  vbMediaFile file = MakeWave(Chunks(4));
  EXPECT_EQ(file.SaveToFile(path, false), CannotCreate);
  EXPECT_EQ(testing::ReadBytes(path), Ramp(100));
  EXPECT_EQ(file.FileName(), "");
  ASSERT_EQ(file.SaveToFile(path, true), Success);
  EXPECT_EQ(testing::ReadBytes(path), RiffBytes(Chunks(4)));
  EXPECT_EQ(PermissionsOf(path), 0640u);  // a replaced file keeps its permissions

  const mode_t mask = ::umask(022);
  ::umask(mask);
  ASSERT_EQ(file.SaveToFile(dir / "new.wav", false), Success);
  EXPECT_EQ(PermissionsOf(dir / "new.wav"), 0666u & ~mask);

  std::filesystem::create_symlink("new.wav", dir / "link.wav");
  ASSERT_EQ(file.SaveToFile(dir / "link.wav", true), Success);  // written through the link
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.wav"));
  EXPECT_EQ(testing::ReadBytes(dir / "new.wav"), RiffBytes(Chunks(4)));

  EXPECT_EQ(file.SaveToFile(dir / "no/out.wav", true), CannotReplace);
  EXPECT_EQ(file.SaveToFile(dir / "no/out.wav", false), CannotCreate);
  EXPECT_EQ(file.SaveToFile(dir.path().string(), true), CannotReplace);  // a folder
  EXPECT_EQ(dir.Names(), (Names{"link.wav", "new.wav", "out.wav"}));
}

// The file size limit stops the write half way: the former target survives byte for byte
// and the temporary file is gone.
TEST(RiffWrite, FailedWriteLeavesTheTargetAndNoTemporaryFile) {
  testing::TempDir dir;
  const std::string path = dir / "out.wav";
  testing::WriteBytes(path, Ramp(1000));
  const auto saveLimited = [&](const std::string& target, bool overWrite) {
    return testing::RunInChild([&] {
      const rlimit cap{40000, 40000};
      if (::setrlimit(RLIMIT_FSIZE, &cap) != 0) return 100;
      return Code(MakeWave(Chunks(100000)).SaveToFile(target, overWrite));
    });
  };
  EXPECT_EQ(saveLimited(path, true), Code(WriteFailed));
  EXPECT_EQ(saveLimited(dir / "other.wav", false), Code(WriteFailed));
  EXPECT_EQ(testing::ReadBytes(path), Ramp(1000));
  EXPECT_EQ(dir.Names(), Names{"out.wav"});
}

TEST(RiffWrite, TooLargeForTheSizeFieldCreatesNothing) {
  testing::TempDir dir;
  vbMediaFile file;
  for (int i = 0; i < 2; ++i) {
    // Never touched, so these pages are only reserved.
    auto buffer = ByteBuffer::Allocate(std::numeric_limits<std::int32_t>::max());
    if (!buffer) GTEST_SKIP() << "no address space for 2 x 2 GB";
    ASSERT_EQ(file.Add(kDataId, std::move(*buffer)), Success);
  }
  EXPECT_EQ(file.SaveToFile(dir / "big.wav", true), WriteFailed);
  EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace tactoria
