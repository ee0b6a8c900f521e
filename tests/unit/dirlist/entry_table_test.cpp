// The entry tables' bounds rule, and every record field's writer and reader at its ends.
#include <gtest/gtest.h>

#include "dirlist/entry_table.h"
#include "viewer/viewer_state.h"

namespace tembra {
namespace {

TEST(EntryTable, PositionsOutsideTheOrderGiveTheParent) {
  EntryTable t;
  t.Reset(2);
  t.Record(0) = "parent";
  t.Record(1) = "A";
  t.Record(2) = "C";
  t.nZDir = t.nSZDir = 2;
  std::vector<EntryTable::Shown> order{{0, ""}, {2, ""}, {1, ""}, {3, ""}};  // position 3 names no record
  t.SetOrder(order);
  const struct {
    int32_t pos, index;
  } cases[] = {{-1, 0}, {0, 0}, {1, 2}, {2, 1}, {3, 0}, {4, 0}};
  for (auto c : cases) EXPECT_EQ(t.IndexAt(c.pos), c.index) << c.pos;
  EXPECT_EQ(t.RecordAt(4), "parent");
  t.nZDir = 5;
  EXPECT_EQ(t.Last(), 2);  // the table's end, not the count
}

TEST(RecordFields, WritersAndReadersAtTheirEnds) {
  const struct {
    void (*put)(std::string&, int64_t, int);
    int32_t (*get)(const std::string&);
    int col, width;
    int64_t value;
    int minDigits;
    const char* text;
  } cases[] = {
      {ZdPutNameLength, ZdNameLength, kZdNameLen, 4, 0, kZdBlankPadded, "   0"},
      {ZdPutNameLength, ZdNameLength, kZdNameLen, 4, 9999, kZdBlankPadded, "9999"},
      {ZdPutNameLength, ZdNameLength, kZdNameLen, 4, 5, kZdThreeDigits, " 005"},
      {ZdPutNameLength, ZdNameLength, kZdNameLen, 4, 0, kZdZeroFilled, "0000"},
      {ZdPutExtColumn, ZdExtColumn, kZdExtCol, 4, 2, kZdThreeDigits, " 002"},
      {ZdPutExtColumn, ZdExtColumn, kZdExtCol, 4, 9999, kZdZeroFilled, "9999"},
      {[](std::string& r, int64_t v, int) { ZdPutSeqNumber(r, v); }, ZdSeqNumber, kZdSeq, 6, 999999, 0, "999999"},
      {[](std::string& r, int64_t v, int m) { ZdPutDisplayCol(r, static_cast<int>(v), m); }, ZdDisplayCol,
       kZdNameCol, 4, kZdName, kZdBlankPadded, "109 "},
      {[](std::string& r, int64_t v, int m) { ZdPutDisplayCol(r, static_cast<int>(v), m); }, ZdDisplayCol,
       kZdNameCol, 4, kZdTempSource, kZdZeroFilled, "0127"},
  };
  for (const auto& c : cases) {
    std::string rec = ZdNewRecord("", "");
    c.put(rec, c.value, c.minDigits);
    EXPECT_EQ(ZdField(rec, c.col, c.width), c.text);
    EXPECT_EQ(c.get(rec), c.value) << c.text;
    if (c.col == kZdNameCol) {
      EXPECT_EQ(ZdNotPlainName(rec), c.value != kZdName) << c.text;
    }
  }
  EXPECT_TRUE(ZdNotPlainName(ZdNewRecord("", "")));
  std::string rec = ZdNewRecord("", "");
  ZdPutSize(rec, kZdSizeMax, kZdSizeDigits);
  EXPECT_EQ(ZdSizeField(rec), "999999999999");
  EXPECT_EQ(ZdSizeValue(rec), static_cast<double>(kZdSizeMax));
  ZdPutSize(rec, 0, kZdZipSizeDigits);
  EXPECT_EQ(ZdSizeField(rec), "   000000000");
  EXPECT_EQ(ZdSizeValue(rec), 0);
}

TEST(RecordFields, PackedLineLengths) {
  EXPECT_EQ(EntryLen(2 * 4096 + 4095), 4095u);
  EXPECT_EQ(EntryEnds(2 * 4096 + 4095), 2u);
  EXPECT_EQ(EntrySize(2 * 4096 + 4095), 4097u);
  const uint32_t longLine = kLongFlag | 1 * 4096 | 4095;
  EXPECT_EQ(EntryEnds(longLine), 1u);
  EXPECT_EQ(EntryBitsAbove(longLine), 9u);
}

}  // namespace
}  // namespace tembra
