// Hex-view columns, substring search, case table, column prefixes of the search
// prompt, bookmarks and line marks.
#include <gtest/gtest.h>

#include <random>

#include "test.h"

using namespace tembra;
using namespace tembra::headless;

namespace {

class HexSearch : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(f.Start()); }
  Lister& L() { return f.L(); }
  // Puts bytes into the segment buffer as if the viewer had read them from offset 0.
  void LoadBuffer(const std::string& bytes) {
    L().View().zSegment = bytes;
    L().View().zSegment.resize(262144, ' ');
    L().View().nSegStart = 1;
    L().View().nSegEnd = static_cast<int32_t>(bytes.size()) + 1;
    L().View().nFileSize = static_cast<int64_t>(bytes.size());
    L().View().nHexTop = 0;
    L().View().nHexMask = -16;
    L().View().nHexBufBase = 0;
  }
  tembra::testing::SessionFixture f;
};

TEST_F(HexSearch, OffsetDigits) {
  EXPECT_EQ(L().View().zCVInteger(0), "00000000");
  EXPECT_EQ(L().View().zCVInteger(992), "000003E0");
  EXPECT_EQ(L().View().zCVInteger(2147221503), "7FFBFFFF");
}

TEST_F(HexSearch, SixteenBytesColumnByColumn) {
  std::string bytes;
  for (int i = 0; i < 16; ++i) bytes += static_cast<char>(i == 0 ? 'A' : i == 5 ? '\xff' : 0x30 + i);
  LoadBuffer(bytes);
  L().View().BDOHEX16(0);
  EXPECT_EQ(L().View().zHexBytes, "41313233 34FF3637 38393A3B 3C3D3E3F");
  EXPECT_EQ(L().View().zHexChars.size(), 16u);
  EXPECT_EQ(L().View().zHexChars.substr(0, 5), "A1234");
  // A file of 5 bytes leaves the rest of the line blank.
  LoadBuffer("ABCDE");
  L().View().BDOHEX16(0);
  EXPECT_EQ(L().View().zHexBytes, "41424344 45" + std::string(24, ' '));
  EXPECT_EQ(L().View().zHexChars, "ABCDE" + std::string(11, ' '));
}

TEST_F(HexSearch, HeadingsLabelTheColumns) {
  EXPECT_EQ(L().View().zHexHead16.size(), 72u);
  EXPECT_EQ(L().View().zHexHead32.size(), 84u + 41u);
  EXPECT_EQ(L().View().zHexHead16.substr(0, 6), "Offset");
  EXPECT_EQ(L().View().zHexHead16.substr(65), "Record#");
  EXPECT_EQ(L().View().zHexHead32.substr(84), "0123456789ABCDEF0123456789ABCDEF  Record#");
}

TEST_F(HexSearch, FastInStrExactAndBlind) {
  Lister& l = L();
  EXPECT_EQ(l.View().FastInStr("hello world", "world", 1, 0, false), 7);
  EXPECT_EQ(l.View().FastInStr("hello world", "World", 1, 0, false), 0);
  EXPECT_EQ(l.View().FastInStr("hello world", "WORLD", 1, 0, true), 7);
  EXPECT_EQ(l.View().FastInStr("hello world", "o", 6, 0, false), 8);
  EXPECT_EQ(l.View().FastInStr("hello world", "", 0, 0, false), 1);
  EXPECT_EQ(l.View().FastInStr("hello world", "", 5, 0, false), 5);
  EXPECT_EQ(l.View().FastInStr("hello world", "hello", 2, 0, false), 0);
  EXPECT_EQ(l.View().FastInStr("hello world", "x", 20, 0, false), 0);
  // The range's last position bounds the end of the occurrence, not its start.
  EXPECT_EQ(l.View().FastInStr("abcabc", "bc", 1, 2, false), 0);
  EXPECT_EQ(l.View().FastInStr("abcabc", "bc", 1, 3, false), 2);
  EXPECT_EQ(l.View().FastInStr("abcabc", "bc", 3, 6, false), 5);
  // First and last characters match, the middle does not.
  EXPECT_EQ(l.View().FastInStr("axxb ayyb", "ayyb", 1, 0, false), 6);
  EXPECT_EQ(l.View().FastInStr("AXXB AyYb", "aYyB", 1, 0, true), 6);
  EXPECT_EQ(l.View().FastInStr("axc", "abc", 1, 0, false), 0);  // only the second byte differs
  EXPECT_EQ(l.View().FastInStr("axc", "ABC", 1, 0, true), 0);
  // A character with three spellings under the case table (none here) and overlapping runs.
  EXPECT_EQ(l.View().FastInStr("aaaa", "aa", 2, 0, false), 2);
}

TEST_F(HexSearch, FastInStrAgreesWithPlainSearch) {
  // Long texts go through the wide comparisons; check them against a plain search.
  Lister& l = L();
  std::mt19937 rng(7);
  for (int round = 0; round < 400; ++round) {
    std::string text(static_cast<size_t>(rng() % 200), ' ');
    for (char& c : text) c = "abAB\xe9\xc9 x"[rng() % 8];
    std::string pat(static_cast<size_t>(1 + rng() % 4), ' ');
    for (char& c : pat) c = "abAB\xe9\xc9"[rng() % 6];
    int32_t start = static_cast<int32_t>(rng() % 20), last = static_cast<int32_t>(rng() % 220);
    for (bool noCase : {false, true}) {
      std::string t2 = noCase ? UCase(text) : text, p2 = noCase ? UCase(pat) : pat;
      int32_t s1 = std::max(start, 1);
      size_t lim = (last == 0 || last > static_cast<int32_t>(text.size())) ? text.size() : static_cast<size_t>(last);
      int32_t want = 0;
      for (size_t i = static_cast<size_t>(s1 - 1); i + p2.size() <= lim; ++i)
        if (t2.compare(i, p2.size(), p2) == 0) {
          want = static_cast<int32_t>(i + 1);
          break;
        }
      ASSERT_EQ(l.View().FastInStr(text, pat, start, last, noCase), want) << text << " / " << pat << " " << start << " " << last;
    }
  }
}

TEST_F(HexSearch, CaseTableCoversWindows1252) {
  Lister& l = L();
  l.View().InitCaseTable();
  ASSERT_TRUE(l.View().bCaseTableBuilt);
  ASSERT_EQ(l.View().UpperTable.size(), 65536u);
  EXPECT_EQ(l.View().UpperTable[32764], 0xFFFC);
  EXPECT_EQ(l.View().UpperTable[32768 + 'a'], 'A');
  EXPECT_EQ(l.View().UpperTable[32768 + 0x161], 0x160);
  EXPECT_EQ(l.View().UpperTable[32768 + 0x153], 0x152);
  EXPECT_EQ(l.View().UpperTable[32768 + 0x17E], 0x17D);
  EXPECT_EQ(l.View().UpperTable[32768 + 0xFF], 0x178);
  EXPECT_EQ(l.View().UpperTable[32768 + 0xE9], 0xC9);  // e acute
  // Bytes of the file: s caron 9A / 8A, y diaeresis FF / 9F, e acute E9 / C9.
  EXPECT_EQ(l.View().FastInStr("x\x9a\xff\xe9y", "\x8a\x9f\xc9", 1, 0, true), 2);
  EXPECT_EQ(l.View().FastInStr("x\x9a\xff\xe9y", "\x8a\x9f\xc9", 1, 0, false), 0);
  l.undo();
  EXPECT_FALSE(l.View().bCaseTableBuilt);
  EXPECT_TRUE(l.View().UpperTable.empty());
  // Built again on first use.
  EXPECT_EQ(l.View().FastInStr("ABC", "b", 1, 0, true), 2);
}

TEST_F(HexSearch, ColumnPrefixes) {
  Lister& l = L();
  auto ask = [&](std::initializer_list<std::string> answers) {
    for (const auto& a : answers) f.Input(a);
    l.View().SetTextToFind("F", "");
  };
  ask({"@10=abc"});
  EXPECT_TRUE(l.View().bFindCols);
  EXPECT_EQ(l.View().nFindColFrom, 10);
  EXPECT_EQ(l.View().nFindColTo, 12);
  EXPECT_EQ(l.View().zFindText, "abc");
  EXPECT_EQ(l.View().nFindLen, 3);
  EXPECT_TRUE(l.View().bFindNoCase);
  EXPECT_EQ(l.View().zLastFindText, "@10=abc");

  ask({"@5/20=abc"});
  EXPECT_EQ(l.View().nFindColFrom, 5);
  EXPECT_EQ(l.View().nFindColTo, 20);
  ask({"@/20=abc"});
  EXPECT_EQ(l.View().nFindColFrom, 1);
  EXPECT_EQ(l.View().nFindColTo, 20);
  ask({"@5/=abc"});
  EXPECT_EQ(l.View().nFindColFrom, 5);
  EXPECT_EQ(l.View().nFindColTo, 0);  // to the end of each record

  // A faulty prefix asks again with the error title.
  ask({"@x=abc", "@2=ab"});
  EXPECT_NE(f.Transcript().find("INPUT caption=\"VX8022 - Columns input error, re-enter\""), std::string::npos);
  EXPECT_EQ(l.View().nFindColFrom, 2);
  EXPECT_EQ(l.View().zFindText, "ab");
  // Given back unchanged, the faulty answer ends the prompt without a search.
  ask({"@1/2/3=abc", "@1/2/3=abc"});
  EXPECT_FALSE(l.bSearchPending);
  EXPECT_EQ(l.View().nFindLen, 0);

  // Literal answers.
  ask({"@=abc"});
  EXPECT_FALSE(l.View().bFindCols);
  EXPECT_EQ(l.View().zFindText, "@=abc");
  ask({"@5="});
  EXPECT_FALSE(l.View().bFindCols);
  EXPECT_EQ(l.View().zFindText, "@5=");

  // Exact case for S and /.
  f.Input("Abc");
  l.View().SetTextToFind("S", "");
  EXPECT_FALSE(l.View().bFindNoCase);

  // Cancel: no search, the previous answer stays the default.
  f.Input(std::nullopt);
  l.View().SetTextToFind("F", "");
  EXPECT_FALSE(l.bSearchPending);
  EXPECT_EQ(l.View().zLastFindText, "Abc");
}

TEST_F(HexSearch, BookmarksRotate) {
  Lister& l = L();
  for (int r : {5, 9, 12, 9}) l.View().SET_BOOKMARK(r);
  EXPECT_EQ(l.View().nBookmarks, 3);
  EXPECT_EQ(l.View().FIND_BOOKMARK(), 9);
  EXPECT_EQ(l.View().FIND_BOOKMARK(), 12);
  EXPECT_EQ(l.View().FIND_BOOKMARK(), 5);
  EXPECT_EQ(l.View().FIND_BOOKMARK(), 9);
  // The 26th distinct bookmark drops the oldest.
  l.View().nBookmarks = 0;
  for (int r = 1; r <= 26; ++r) l.View().SET_BOOKMARK(r);
  EXPECT_EQ(l.View().nBookmarks, 25);
  EXPECT_EQ(l.View().Bookmarks[1], 26);
  EXPECT_EQ(l.View().Bookmarks[25], 2);
  // The most recent again changes nothing.
  l.View().SET_BOOKMARK(26);
  EXPECT_EQ(l.View().Bookmarks[2], 25);
  // No bookmarks: the current record.
  l.View().nBookmarks = 0;
  l.View().nCurRec = 7;
  EXPECT_EQ(l.View().FIND_BOOKMARK(), 7);
}

TEST_F(HexSearch, UnknownMarkCommand) {
  L().View().MarkLine("Q");
  EXPECT_NE(f.Transcript().find("text=\"Unknown Clipboard Command\""), std::string::npos);
}

}  // namespace
