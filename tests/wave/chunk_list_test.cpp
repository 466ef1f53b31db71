#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/riff_builder.h"
#include "wave/four_cc.h"
#include "wave/media_file.h"

namespace tactoria {
namespace {

using enum FileResult;
using testing::Bytes;
using testing::Ramp;
using Entries = std::vector<std::pair<std::string, Bytes>>;

Entries List(const vbMediaFile& file) {
  Entries out;
  for (int i = 1; i <= file.Count(); ++i) {
    const auto bytes = file.Item(i).bytes();
    out.emplace_back(FourCCText(file.Item(i).typeId), Bytes(bytes.begin(), bytes.end()));
  }
  return out;
}

TEST(ChunkList, AddKeepsCopiesAndRefusesEmptyNullOrOversizedData) {
  vbMediaFile file;
  Bytes format = Ramp(16), data = Ramp(5, 100);
  EXPECT_EQ(file.Add(kDataId, data.data(), 0), ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, data.data(), -1), ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, nullptr, 4), ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, data.data(), std::int64_t{INT32_MAX} + 1), ChunkUnreadable);
  EXPECT_EQ(file.Add(kDataId, ByteBuffer{}), ChunkUnreadable);
  ASSERT_EQ(file.Add(kFmtId, format.data(), 16), Success);
  ASSERT_EQ(file.Add(kDataId, data.data(), 5), Success);
  format.assign(16, std::byte{0});
  data.assign(5, std::byte{0});
  EXPECT_EQ(List(file), (Entries{{"fmt ", Ramp(16)}, {"data", Ramp(5, 100)}}));
  EXPECT_THROW(file.Item(0), std::out_of_range);
  EXPECT_THROW(file.Item(3), std::out_of_range);
}

TEST(ChunkList, InsertAndDeleteShiftTheEntries) {
  const Bytes n = Ramp(2, 200), a = Ramp(3, 1), b = Ramp(3, 11), c = Ramp(3, 21);
  vbMediaFile file;
  EXPECT_TRUE(file.Insert(1, kDataId, n.data(), 2));  // an empty list takes no insertion
  unsigned next = 0;
  for (const Bytes* bytes : {&a, &b, &c})
    ASSERT_EQ(file.Add(FourCC("AAAA") + next++, bytes->data(), 3), Success);
  EXPECT_TRUE(file.Insert(4, kDataId, n.data(), 2));
  EXPECT_TRUE(file.Insert(0, kDataId, n.data(), 2));
  EXPECT_TRUE(file.Insert(1, kDataId, n.data(), 0));
  ASSERT_FALSE(file.Insert(1, FourCC("NNNN"), n.data(), 2));
  EXPECT_EQ(List(file), (Entries{{"NNNN", n}, {"AAAA", a}, {"BAAA", b}, {"CAAA", c}}));
  file.Delete(4);
  file.Delete(1);
  EXPECT_EQ(List(file), (Entries{{"AAAA", a}, {"BAAA", b}}));
  file.Delete(1);
  file.FileHeader(kRiffId);
  file.Delete(7);  // a single entry is cleared whatever the index
  EXPECT_EQ(file.Count(), 0);
  EXPECT_EQ(file.FileHeader(), kRiffId);
}

}  // namespace
}  // namespace tactoria
