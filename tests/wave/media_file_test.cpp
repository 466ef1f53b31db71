// The chunk list, reading and writing RIFF files (hostile input, padding, a target that is never
// damaged), and the message each file opens with.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <limits>
#include <tuple>

#include "support/failing_sink.h"
#include "support/riff_builder.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"
#include "wave/wave_validation.h"

namespace tactoria {
namespace {

using enum FileResult;
using testing::Bytes;
using testing::PcmFormat;
using testing::Ramp;
using testing::RiffBytes;
using Names = std::vector<std::string>;
using Entries = std::vector<std::pair<std::string, Bytes>>;

Entries List(const vbMediaFile& file) {
  Entries out;
  for (int i = 1; i <= file.Count(); ++i)
    out.emplace_back(FourCCText(file.Item(i).typeId), testing::ToBytes(file.Item(i).bytes()));
  return out;
}

TEST(ChunkList, AddInsertAndDeleteKeepCopiesInOrder) {
  Bytes a = Ramp(3, 1);
  const Bytes n = Ramp(2, 200), b = Ramp(3, 11), c = Ramp(3, 21);
  vbMediaFile file;
  for (const std::int64_t size : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{INT32_MAX} + 1})
    EXPECT_EQ(file.Add(kDataId, a.data(), size), ChunkUnreadable) << size;
  EXPECT_EQ(file.Add(kDataId, nullptr, 4), ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, ByteBuffer{}), ChunkUnreadable);
  EXPECT_TRUE(file.Insert(1, kDataId, n.data(), 2));  // an empty list takes no insertion
  unsigned next = 0;
  for (const Bytes& bytes : {a, b, c}) ASSERT_EQ(file.Add(FourCC("AAAA") + next++, bytes.data(), 3), Success);
  a.assign(3, std::byte{0});  // the list holds copies
  EXPECT_TRUE(file.Insert(4, kDataId, n.data(), 2));
  EXPECT_TRUE(file.Insert(0, kDataId, n.data(), 2));
  EXPECT_TRUE(file.Insert(1, kDataId, n.data(), 0));
  ASSERT_FALSE(file.Insert(1, FourCC("NNNN"), n.data(), 2));
  EXPECT_EQ(List(file), (Entries{{"NNNN", n}, {"AAAA", Ramp(3, 1)}, {"BAAA", b}, {"CAAA", c}}));
  EXPECT_THROW(file.Item(0), std::out_of_range);
  EXPECT_THROW(file.Item(5), std::out_of_range);
  file.Delete(4);
  file.Delete(1);
  EXPECT_EQ(List(file), (Entries{{"AAAA", Ramp(3, 1)}, {"BAAA", b}}));
  file.Delete(1);
  file.FileHeader(kRiffId);
  file.Delete(7);  // a single entry is cleared whatever the index
  EXPECT_EQ(file.Count(), 0);
  EXPECT_EQ(file.FileHeader(), kRiffId);
}

// The exit status of `body()` run in a forked child (for limits that must not touch the test
// process) and the child's largest resident size in kilobytes; -1, -1 when it did not exit normally.
template <typename Body>
std::pair<int, long> RunInChild(Body body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  rusage usage{};
  if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status)) return {-1, -1};
  return {WEXITSTATUS(status), usage.ru_maxrss};
}

// A 4-byte data chunk followed by `tail`, all counted in the size field.
Bytes WithTail(const Bytes& tail) {
  Bytes bytes = RiffBytes({{"data", Ramp(4)}});
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  testing::SetLe(bytes, 4, static_cast<std::uint32_t>(bytes.size() - 8));
  return bytes;
}

TEST(RiffRead, HostileAndUnusualFilesGiveTheirCodes) {
  const Bytes odd = Ramp(5, 0x41);
  // The file, its bytes, the code, the sizes of the chunks read on success.
  const std::tuple<const char*, Bytes, FileResult, std::vector<std::int32_t>> cases[] = {
      {"empty", {}, HeaderUnreadable, {}},
      {"11 bytes", Ramp(11), HeaderUnreadable, {}},
      {"header only", RiffBytes({}), Success, {}},
      {"size field = length", RiffBytes({{"data", Ramp(4)}}, {.sizeField = 24}), Success, {4}},
      {"size field 1 more", RiffBytes({{"data", Ramp(4)}}, {.sizeField = 17}), InvalidFileSize, {}},
      {"size field 1 less", RiffBytes({{"data", Ramp(4)}}, {.sizeField = 15}), InvalidFileSize, {}},
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
  for (const auto& [name, bytes, code, expected] : cases) {
    SCOPED_TRACE(name);
    testing::WriteBytes(path, bytes);
    vbMediaFile file;
    ASSERT_EQ(file.OpenFromFile(good), Success);
    ASSERT_EQ(file.OpenFromFile(path), code);
    if (code != Success) {
      EXPECT_EQ(file.Count(), 0);
      EXPECT_EQ(file.FileName(), good);
      continue;
    }
    EXPECT_EQ(file.FileName(), path);
    EXPECT_EQ(file.Item(1).typeId, FourCC("OLD "));  // read chunks follow those already held
    std::vector<std::int32_t> sizes;
    for (int i = 2; i <= file.Count(); ++i) sizes.push_back(file.Item(i).size());
    EXPECT_EQ(sizes, expected);
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
  const auto [status, peak] = RunInChild([&] {
    rlim_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (256u << 20);
    const rlimit cap{limit, limit};
    if (::setrlimit(RLIMIT_AS, &cap) != 0) return 100;
    vbMediaFile file;
    return Code(file.OpenFromFile(dir / "huge.wav"));
  });
  EXPECT_EQ(status, Code(FileResult::ChunkUnreadable));
}

// "fmt " (16 bytes), "data" (`dataSize` bytes) and an odd "LIST" chunk with its pad byte.
Bytes Written(std::size_t dataSize) {
  return RiffBytes(
      {{"fmt ", testing::PcmFormat(1, 8000, 8)}, {"data", Ramp(dataSize, 7)}, {"LIST", Ramp(3, 97)}});
}

// Read from memory: the bytes written back prove the memory read too.
vbMediaFile MakeWave(std::size_t dataSize) {
  const Bytes bytes = Written(dataSize);
  MemorySource source(bytes);
  vbMediaFile file;
  EXPECT_EQ(file.OpenFromSource(source, ""), Success);
  return file;
}

TEST(RiffWrite, TargetsAreKeptReplacedOrRefused) {
  const auto permissionsOf = [](const std::string& p) {
    return unsigned(std::filesystem::status(p).permissions());
  };
  testing::TempDir dir;
  const std::string path = dir / "out.wav";
  const Bytes written = Written(5);
  testing::WriteBytes(path, Ramp(100));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  vbMediaFile file = MakeWave(5);
  EXPECT_EQ(file.SaveToFile(path, false), CannotCreate);
  EXPECT_EQ(testing::ReadBytes(path), Ramp(100));
  EXPECT_EQ(file.FileName(), "");
  ASSERT_EQ(file.SaveToFile(path, true), Success);
  EXPECT_EQ(testing::ReadBytes(path), written);
  EXPECT_EQ(permissionsOf(path), 0640u);  // a replaced file keeps its permissions

  const mode_t mask = ::umask(022);
  ::umask(mask);
  ASSERT_EQ(file.SaveToFile(dir / "new.wav", false), Success);
  EXPECT_EQ(permissionsOf(dir / "new.wav"), 0666u & ~mask);

  std::filesystem::create_symlink("new.wav", dir / "link.wav");
  ASSERT_EQ(file.SaveToFile(dir / "link.wav", true), Success);  // written through the link
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.wav"));
  EXPECT_EQ(testing::ReadBytes(dir / "new.wav"), written);

  EXPECT_EQ(file.SaveToFile(dir / "no/out.wav", true), CannotReplace);
  EXPECT_EQ(file.SaveToFile(dir / "no/out.wav", false), CannotCreate);
  EXPECT_EQ(file.SaveToFile(dir.path().string(), true), CannotReplace);  // a folder
  EXPECT_EQ(dir.Names(), (Names{"link.wav", "new.wav", "out.wav"}));
}

// The disk fills up half way: the former target survives byte for byte, the temporary file is
// gone and the reason is kept.
TEST(RiffWrite, FailedWriteLeavesTheTargetAndNoTemporaryFile) {
  testing::TempDir dir;
  const std::string path = dir / "out.wav";
  testing::WriteBytes(path, Ramp(1000));
  for (const auto& [target, overWrite] : {std::pair{path, true}, std::pair{dir / "other.wav", false}}) {
    const WriteStatus status = MakeWave(100000).Save(target, overWrite, testing::FullDiskSinks(40000));
    EXPECT_EQ(status.result, WriteFailed);
    EXPECT_EQ(status.osError, ENOSPC);
  }
  EXPECT_EQ(testing::ReadBytes(path), Ramp(1000));
  EXPECT_EQ(dir.Names(), Names{"out.wav"});
}

// An empty chunk needs no buffer: 2 million of them (16 MB) read in at most 1.5 times the file's
// size beyond what a child that reads nothing holds.
TEST(RiffRead, ManyEmptyChunksCostLittleMoreThanTheFile) {
  constexpr std::size_t kChunks = 2'000'000;
  Bytes tail(kChunks * 8, std::byte{0});
  for (std::size_t k = 0; k < tail.size(); k += 8) testing::SetLe(tail, k, FourCC("JUNK"));
  Bytes bytes = WithTail(tail);
  Bytes{}.swap(tail);
  testing::TempDir dir;
  testing::WriteBytes(dir / "empty.wav", bytes);
  const std::size_t fileKilobytes = bytes.size() / 1024;
  Bytes{}.swap(bytes);

  const auto idle = RunInChild([] { return 0; });
  const auto reading = RunInChild([&] {
    vbMediaFile file;
    if (file.OpenFromFile(dir / "empty.wav") != Success || file.Count() != 1 + static_cast<int>(kChunks))
      return 1;
    return file.TypeId(kChunks + 1) == FourCC("JUNK") && file.Size(kChunks + 1) == 0 ? 0 : 2;
  });
  ASSERT_EQ(idle.first, 0);
  ASSERT_EQ(reading.first, 0);
  EXPECT_LE(static_cast<double>(reading.second - idle.second),
            1.5 * static_cast<double>(fileKilobytes) + 4096);
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
