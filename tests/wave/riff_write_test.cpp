#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

using testing::Bytes;
using testing::Ramp;
using testing::RiffBytes;
using Names = std::vector<std::string>;

// "fmt " (16 bytes), "data" (`dataSize` bytes) and an odd "LIST" chunk.
vbMediaFile MakeWave(std::size_t dataSize) {
  vbMediaFile file;
  file.FileHeader(kRiffId);
  file.FileType(kWaveId);
  const Bytes format = testing::PcmFormat(1, 8000, 8);
  const Bytes data = Ramp(dataSize, 7);
  const Bytes list = Ramp(3, 0x61);
  EXPECT_EQ(file.Add(kFmtId, format.data(), 16), FileResult::Success);
  EXPECT_EQ(file.Add(kDataId, data.data(), static_cast<std::int64_t>(dataSize)), FileResult::Success);
  EXPECT_EQ(file.Add(FourCC("LIST"), list.data(), 3), FileResult::Success);
  return file;
}

Bytes ExpectedBytes(std::size_t dataSize) {
  return RiffBytes(
      {{"fmt ", testing::PcmFormat(1, 8000, 8)}, {"data", Ramp(dataSize, 7)}, {"LIST", Ramp(3, 0x61)}});
}

mode_t PermissionsOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

TEST(RiffWrite, OddChunksArePaddedAndCountedInTheSize) {
  testing::TempDir dir;
  const std::string path = dir / "out.wav";
  vbMediaFile file = MakeWave(5);
  ASSERT_EQ(file.SaveToFile(path), FileResult::Success);
  EXPECT_EQ(file.FileName(), path);
  const Bytes written = testing::ReadBytes(path);
  EXPECT_EQ(written.size(), 12u + 24u + 14u + 12u);
  EXPECT_EQ(written, ExpectedBytes(5));

  vbMediaFile back;
  ASSERT_EQ(back.OpenFromFile(path), FileResult::Success);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Item(3).typeId, FourCC("LIST"));

  // An empty path writes to the name the file was read from.
  back.Delete(3);
  ASSERT_EQ(back.SaveToFile("", true), FileResult::Success);
  EXPECT_EQ(testing::ReadBytes(path),
            RiffBytes({{"fmt ", testing::PcmFormat(1, 8000, 8)}, {"data", Ramp(5, 7)}}));
}

TEST(RiffWrite, ExistingTargetIsKeptOrReplacedWithItsPermissions) {
  testing::TempDir dir;
  const std::string path = dir / "out.wav";
  const Bytes old = Ramp(100);
  testing::WriteBytes(path, old);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

  vbMediaFile file = MakeWave(4);
  EXPECT_EQ(file.SaveToFile(path, false), FileResult::CannotCreate);
  EXPECT_EQ(testing::ReadBytes(path), old);
  EXPECT_EQ(file.FileName(), "");

  ASSERT_EQ(file.SaveToFile(path, true), FileResult::Success);
  EXPECT_EQ(testing::ReadBytes(path), ExpectedBytes(4));
  EXPECT_EQ(PermissionsOf(path), 0640u);
  EXPECT_EQ(dir.Names(), Names{"out.wav"});

  const mode_t mask = ::umask(022);
  ::umask(mask);
  ASSERT_EQ(file.SaveToFile(dir / "new.wav", false), FileResult::Success);
  EXPECT_EQ(PermissionsOf(dir / "new.wav"), 0666u & ~mask);
}

TEST(RiffWrite, SymbolicLinkIsWrittenThrough) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "real.wav", Ramp(10));
  std::filesystem::create_symlink("real.wav", dir / "link.wav");
  vbMediaFile file = MakeWave(4);
  ASSERT_EQ(file.SaveToFile(dir / "link.wav", true), FileResult::Success);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.wav"));
  EXPECT_EQ(testing::ReadBytes(dir / "real.wav"), ExpectedBytes(4));
}

TEST(RiffWrite, MissingFolderGivesTheCreationCodes) {
  testing::TempDir dir;
  vbMediaFile file = MakeWave(4);
  EXPECT_EQ(file.SaveToFile(dir / "no/out.wav", true), FileResult::CannotReplace);
  EXPECT_EQ(file.SaveToFile(dir / "no/out.wav", false), FileResult::CannotCreate);
  EXPECT_EQ(file.SaveToFile(dir.path().string(), true), FileResult::CannotReplace);  // a folder
  EXPECT_TRUE(dir.Names().empty());
}

// The file size limit stops the write half way: the former target survives byte for byte
// and the temporary file is gone.
TEST(RiffWrite, FailedWriteLeavesTheTargetAndNoTemporaryFile) {
  testing::TempDir dir;
  const std::string path = dir / "out.wav";
  const Bytes old = Ramp(1000);
  testing::WriteBytes(path, old);
  const auto saveLimited = [&](const std::string& target, bool overWrite) {
    return testing::RunInChild([&] {
      const rlimit cap{40000, 40000};
      if (::setrlimit(RLIMIT_FSIZE, &cap) != 0) return 100;
      vbMediaFile file = MakeWave(100000);
      return Code(file.SaveToFile(target, overWrite));
    });
  };
  EXPECT_EQ(saveLimited(path, true), Code(FileResult::WriteFailed));
  EXPECT_EQ(saveLimited(dir / "other.wav", false), Code(FileResult::WriteFailed));
  EXPECT_EQ(testing::ReadBytes(path), old);
  EXPECT_EQ(dir.Names(), Names{"out.wav"});
}

TEST(RiffWrite, TooLargeForTheSizeFieldCreatesNothing) {
  testing::TempDir dir;
  vbMediaFile file;
  for (int i = 0; i < 2; ++i) {
    // Never touched, so these pages are only reserved.
    auto buffer = ByteBuffer::Allocate(std::numeric_limits<std::int32_t>::max());
    if (!buffer) GTEST_SKIP() << "no address space for 2 x 2 GB";
    ASSERT_EQ(file.Add(kDataId, std::move(*buffer)), FileResult::Success);
  }
  EXPECT_EQ(file.SaveToFile(dir / "big.wav", true), FileResult::WriteFailed);
  EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace tactoria
