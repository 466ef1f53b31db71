#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "support/riff_builder.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"
#include "wave/wave_format.h"

namespace tactoria {
namespace {

using testing::Bytes;
using testing::Ramp;

Bytes Contents(const vbMediaFile& file, int index) {
  const auto bytes = file.Item(index).bytes();
  return {bytes.begin(), bytes.end()};
}

// Entries "AAAA", "BAAA", "CAAA" holding three bytes counting from 1, 11 and 21.
vbMediaFile ThreeChunks() {
  vbMediaFile file;
  for (unsigned i = 0; i < 3; ++i) {
    const Bytes data = Ramp(3, 1 + 10 * i);
    EXPECT_EQ(file.Add(FourCC("AAAA") + i, data.data(), 3), FileResult::Success);
  }
  return file;
}

TEST(ChunkList, AddRefusesEmptyNullAndOversizedData) {
  vbMediaFile file;
  const Bytes data = Ramp(4);
  EXPECT_EQ(file.Add(kDataId, data.data(), 0), FileResult::ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, data.data(), -1), FileResult::ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, nullptr, 4), FileResult::ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, data.data(), std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1),
            FileResult::ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, ByteBuffer{}), FileResult::ChunkUnreadable);
  EXPECT_EQ(file.Count(), 0);
}

TEST(ChunkList, AddKeepsItsOwnCopyInOrder) {
  vbMediaFile file;
  Bytes format = Ramp(16);
  Bytes data = Ramp(5, 100);
  ASSERT_EQ(file.Add(kFmtId, format.data(), 16), FileResult::Success);
  ASSERT_EQ(file.Add(kDataId, data.data(), 5), FileResult::Success);
  format.assign(16, std::byte{0});
  data.assign(5, std::byte{0});
  ASSERT_EQ(file.Count(), 2);
  EXPECT_EQ(file.Item(1).typeId, kFmtId);
  EXPECT_EQ(Contents(file, 1), Ramp(16));
  EXPECT_EQ(file.Item(2).typeId, kDataId);
  EXPECT_EQ(file.Item(2).size(), 5);
  EXPECT_EQ(Contents(file, 2), Ramp(5, 100));
  EXPECT_THROW(file.Item(0), std::out_of_range);
  EXPECT_THROW(file.Item(3), std::out_of_range);
}

TEST(ChunkList, InsertShiftsEntriesUpAndRefusesOutsideTheList) {
  const Bytes data = Ramp(2, 200);
  vbMediaFile empty;
  EXPECT_TRUE(empty.Insert(1, kDataId, data.data(), 2));
  EXPECT_EQ(empty.Count(), 0);

  vbMediaFile file = ThreeChunks();
  EXPECT_TRUE(file.Insert(4, kDataId, data.data(), 2));
  EXPECT_TRUE(file.Insert(0, kDataId, data.data(), 2));
  EXPECT_TRUE(file.Insert(1, kDataId, data.data(), 0));
  ASSERT_FALSE(file.Insert(1, FourCC("NNNN"), data.data(), 2));
  ASSERT_EQ(file.Count(), 4);
  EXPECT_EQ(file.Item(1).typeId, FourCC("NNNN"));
  EXPECT_EQ(Contents(file, 1), data);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(file.Item(i + 2).typeId, FourCC("AAAA") + static_cast<unsigned>(i));
    EXPECT_EQ(Contents(file, i + 2), Ramp(3, 1 + 10 * static_cast<unsigned>(i)));
  }
}

TEST(ChunkList, DeleteShiftsEntriesDownAndClearsASingleEntry) {
  vbMediaFile file = ThreeChunks();
  file.Delete(1);
  ASSERT_EQ(file.Count(), 2);
  EXPECT_EQ(Contents(file, 1), Ramp(3, 11));
  EXPECT_EQ(Contents(file, 2), Ramp(3, 21));
  file.Delete(2);
  ASSERT_EQ(file.Count(), 1);
  EXPECT_EQ(Contents(file, 1), Ramp(3, 11));

  file.FileHeader(kRiffId);
  file.Delete(7);  // one entry: cleared whatever the index
  EXPECT_EQ(file.Count(), 0);
  EXPECT_EQ(file.FileHeader(), kRiffId);
}

TEST(WaveFormat, FieldsAreLittleEndianAndRoundTrip) {
  const Bytes raw = testing::PcmFormat(2, 44100, 16);
  const WaveFormat format = WaveFormat::FromBytes(raw);
  EXPECT_EQ(format.formatTag, 1);
  EXPECT_EQ(format.channels, 2);
  EXPECT_EQ(format.sampleRate, 44100);
  EXPECT_EQ(format.avgBytesPerSec, 176400);
  EXPECT_EQ(format.blockAlign, 4);
  EXPECT_EQ(format.bitsPerSample, 16);
  const auto back = format.ToBytes();
  EXPECT_EQ(Bytes(back.begin(), back.end()), raw);
  EXPECT_EQ(FourCCText(FourCC("fmt ")), "fmt ");
  EXPECT_EQ(FourCCText(0x00'41'0A'52u), "R?A?");
}

}  // namespace
}  // namespace tactoria
