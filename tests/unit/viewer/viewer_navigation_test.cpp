#include "viewer_fixture.h"

using namespace tembra;
using tembra::testing::ViewerTest;

namespace {
std::string Lines(int n) {
  std::string data;
  for (int i = 1; i <= n; ++i) data += "line " + std::to_string(i) + "\n";
  return data;
}
}  // namespace

TEST_F(ViewerTest, NConvertReadsHexDecimalAndSuffixes) {
  EXPECT_EQ(L().View().NConvert("x1f"), 31);
  EXPECT_EQ(L().View().NConvert("0X1F"), 31);
  EXPECT_EQ(L().View().NConvert("&H1F"), 31);
  EXPECT_EQ(L().View().NConvert("H1F"), 31);
  EXPECT_EQ(L().View().NConvert("&HFFFF"), 65535);
  EXPECT_EQ(L().View().NConvert("&H8000"), 32768);
  EXPECT_EQ(L().View().NConvert("1FH"), 1);
  EXPECT_EQ(L().View().NConvert("1H"), 1);
  EXPECT_EQ(L().View().NConvert("10K"), 10240);
  EXPECT_EQ(L().View().NConvert("2M"), 2097152);
  EXPECT_EQ(L().View().NConvert("2048M"), 2048);  // the product would not fit: left as it was
  EXPECT_EQ(L().View().NConvert(""), 0);
  EXPECT_EQ(L().View().NConvert("abc"), 0);
  EXPECT_EQ(L().View().NConvert("-1"), 65535);
  EXPECT_EQ(L().View().NConvert("-60000"), -60000);
  EXPECT_EQ(L().View().NConvert("x7FFFFFFF"), 2147483647);
  // A group is three digits: "1,0000" is 1 and a comma, "1,000" a thousand.
  EXPECT_EQ(L().View().NConvert("1,000"), 1000);
  EXPECT_EQ(L().View().NConvert("1,0000"), 1);
  // Beyond 31 bits there is no line number or offset: refused with a message.
  EXPECT_EQ(L().View().NConvert("x80000000"), std::nullopt);
  EXPECT_EQ(L().View().NConvert("xFFFFFFFFF"), std::nullopt);
  EXPECT_EQ(L().View().NConvert("99999999999"), std::nullopt);
  EXPECT_EQ(L().zMessageLine, "VX1026 - Number too large: 99999999999");
}

TEST_F(ViewerTest, JumpsAreClamped) {
  View("a.txt", Lines(100));
  L().View().nTopRec = 10;
  f.Input("1000");
  L().View().RelativeJump("-");
  EXPECT_EQ(L().View().nTopRec, 1);
  f.Input("1000");
  L().View().RelativeJump("+");
  EXPECT_EQ(L().View().nTopRec, 78);  // the last page
  EXPECT_NE(Transcript().find("INPUT caption=\"Relative jump\" prompt=\"VX0040 - Enter the number of lines to increment\" default=\"0\""),
            std::string::npos);
  f.Input("50");
  L().View().JUMP2LINE();
  EXPECT_EQ(L().View().nTopRec, 50);
  f.Input(std::nullopt);  // Cancel reads as 0: the top
  L().View().JUMP2LINE();
  EXPECT_EQ(L().View().nTopRec, 1);
  f.Input("x80000000");
  L().View().nTopRec = 7;
  L().View().JUMP2LINE();
  EXPECT_EQ(L().View().nTopRec, 7);
}

TEST_F(ViewerTest, HorizontalOffsetKeys) {
  View("n.txt", std::string(90, 'n') + "\n");
  L().ShowPage();
  f.Key("Right ctrl");  // 90 - 80 + 1 = 11 is rounded up, never to the nearest ten
  EXPECT_EQ(L().View().nHOffset, 20);
  View("a.txt", std::string(95, 'a') + "\n" + std::string(50, 'b') + "\n");
  L().ShowPage();
  f.Key("Right ctrl");
  EXPECT_EQ(L().View().nHOffset, 20);
  EXPECT_EQ(L().View().zRuler.substr(0, 10), "....v....3");
  f.Key("Left ctrl");
  EXPECT_EQ(L().View().nHOffset, 0);
  for (int i = 0; i < 500; ++i) f.Key("Right");
  EXPECT_EQ(L().View().nHOffset, 4050);
  f.Key("Left");
  EXPECT_EQ(L().View().nHOffset, 4040);
  L().View().nWrapMode = 2;
  f.Key("Right");
  EXPECT_EQ(L().View().nHOffset, 4040);
  EXPECT_EQ(Row(25).substr(0, 6), "VX1016");
  L().View().nWrapMode = 0;
  f.Key("H alt");  // the hex view
  f.Key("Left");
  EXPECT_EQ(L().View().nHOffset, 4040);
}

TEST_F(ViewerTest, CharacterKeysOfTheView) {
  View("a.txt", Lines(100));
  L().ShowPage();
  f.Type(" ");
  EXPECT_EQ(L().View().nTopRec, 24);
  f.Type("u");
  EXPECT_EQ(L().View().nTopRec, 1);
  f.Type("B");
  EXPECT_EQ(L().View().nTopRec, 78);
  EXPECT_EQ(Row(24).substr(0, 8), "line 100");
  f.Type("t");
  EXPECT_EQ(L().View().nTopRec, 1);
  f.Type("w");
  EXPECT_EQ(L().View().nWrapMode, 2);
  EXPECT_EQ(Row(25).substr(0, 21), "VX0202 - Word Wrap ON");
  f.Type("W");
  EXPECT_EQ(L().View().nWrapMode, 0);
  EXPECT_EQ(Row(25).substr(0, 22), "VX0203 - Line Wrap OFF");
  f.Type("7");
  EXPECT_TRUE(L().TDISPLAY & TD_STRIP);
  f.Type("e");
  EXPECT_TRUE(L().TDISPLAY & TD_EBCDIC);
  EXPECT_FALSE(L().TDISPLAY & TD_STRIP);
  f.Type("*");
  EXPECT_TRUE(L().TDISPLAY & TD_ASCII);
  EXPECT_FALSE(L().TDISPLAY & TD_EBCDIC);
  f.Type("8");
  EXPECT_FALSE(L().TDISPLAY & (TD_ASCII | TD_EBCDIC | TD_STRIP));
  // A key typed while a scan pumps events only stops the pumping.
  L().nYieldCount = 5;
  f.Type("B");
  EXPECT_EQ(L().nYieldCount, 0);
  EXPECT_EQ(L().View().nTopRec, 1);
}

TEST_F(ViewerTest, LeavingTheViewClosesTheFile) {
  View("a.txt", Lines(3));
  EXPECT_EQ(L().OpenCount, 1);
  f.Type("q");
  EXPECT_EQ(L().OpenCount, 0);
  EXPECT_EQ(L().View().hFdbin, kInvalidFile);
  EXPECT_TRUE(L().TDISPLAY & TD_DIR);
  View("b.txt", Lines(3));
  f.Key("Esc");
  EXPECT_EQ(L().OpenCount, 0);
  EXPECT_EQ(L().zDisplayMode, "DIR");
}

TEST_F(ViewerTest, HexPagingArithmetic) {
  View("a.txt", std::string(1000, 'h'));
  L().TDISPLAY |= TD_HEX;
  L().View().nHexMask = -16;
  L().View().nHexTop = 0;
  L().View().nBottomRec = 352;
  L().View().LIST_PAGEMOVE(kVkPgUp);
  EXPECT_EQ(L().View().nHexTop, 0);
  L().View().LIST_PAGEMOVE(kVkEnd);
  EXPECT_EQ(L().View().nHexTop, 992 - 352);
  L().View().LIST_PAGEMOVE(kVkDown);
  EXPECT_EQ(L().View().nHexTop, 656);
  L().View().nHexTop = 992;
  L().View().LIST_PAGEMOVE(kVkDown);
  EXPECT_EQ(L().View().nHexTop, 992);
  f.Input("5000");
  L().View().JUMP2LINE();
  EXPECT_EQ(L().View().nHexTop, 999);
  f.Input("2000");
  L().View().RelativeJump("-");
  EXPECT_EQ(L().View().nHexTop, 0);
}

// less's keys (Linux profile) from top line `from` of 100 lines, 23 to a page: half pages
// and the end at both ends; marks at the first and the last line; '' back and forth, with
// no jump yet; a mark not set; a key that acts lets a pending mark's letter go.
TEST_F(ViewerTest, LessKeysAtTheirEnds) {
  L().eProfile = Profile::Linux;
  View("a.txt", Lines(100));
  L().ShowPage();
  ASSERT_EQ(L().nPageLines, 23);
  struct Case {
    int32_t from;
    const char* keys;
    int32_t top;
    const char* message;
  } const cases[] = {
      {7, "''", 7, "VX1067 - No jump yet to go back from"},      {7, "'z", 7, "VX1066 - Mark z is not set"},
      {1, "j", 2, ""},    {1, "k", 1, ""},    {100, "e", 100, ""}, {2, "y", 1, ""},   {1, "f", 24, ""},
      {24, "b", 1, ""},   {1, "d", 12, ""},   {12, "u", 1, ""},    {5, "u", 1, ""},   {89, "d", 100, ""},
      {90, "d", 100, ""}, {50, "g", 1, ""},   {50, "<", 1, ""},    {1, "G", 78, ""},  {1, ">", 78, ""},
      {1, "ma", 1, ""},   {100, "mB", 100, ""}, {50, "'a", 1, ""}, {50, "'b", 100, ""}, {3, "''", 50, ""},
      {9, "''", 3, ""},   {9, "mc", 9, ""},
  };
  for (const Case& c : cases) {
    L().View().SetTop(c.from, 0);
    f.Type(c.keys);
    EXPECT_EQ(L().View().nTopRec, c.top) << c.from << " " << c.keys;
    EXPECT_EQ(*c.message ? Trim(f.Message()) : std::string(), c.message) << c.keys;
  }
  f.Type("m");
  f.Key("Down");
  f.Type("d'd");
  EXPECT_EQ(Trim(f.Message()), "VX1066 - Mark d is not set");
}

// A Ctrl or Alt key whose key-down acted says nothing of an idle key, though nothing shows.
TEST_F(ViewerTest, KeyHintOnlyForKeysThatDidNothing) {
  L().eProfile = Profile::Linux;
  View("a.txt", Lines(100));
  L().ShowPage();
  for (const char* key : {"Y ctrl", "B ctrl", "T ctrl", "V alt", "K ctrl"}) {
    f.Key(key);
    EXPECT_EQ(f.Message().find("F1 lists") != std::string::npos, std::string(key) == "K ctrl") << key;
  }
}

// The number column is as wide as the last line the page can show, and a blank; the hex
// view has only its offsets. The title keeps the file's name: its date and time go first,
// then the version, then the name is cut; each at the width where the one before stops.
TEST_F(ViewerTest, LineNumberColumnAndTitleAtTheirEdges) {
  struct Numbers {
    int lines;
    int32_t top;
    const char* row2;
  } const numbers[] = {{9, 1, "1 line 1"}, {10, 1, " 1 line 1"}, {99999, 99977, "99977 line 99977"},
                       {100000, 99977, "99977 line 99977"}, {100000, 99978, " 99978 line 99978"}};
  for (const Numbers& c : numbers) {
    View("n.txt", Lines(c.lines));
    L().View().bLineNumbers = true;
    L().View().SetTop(c.top, 0);
    L().ShowPage();
    EXPECT_EQ(Row(2).substr(0, std::string(c.row2).size()), c.row2) << c.lines << " " << c.top;
  }
  f.Key("H alt");
  EXPECT_EQ(Row(3).substr(0, 9), "00109C90 ");
  const std::string full = "Ver: Beta_7Z - File List -(2024-01-31 12:00:00)-  1 of 3 Lines", undated = "Ver: Beta_7Z - File List -  1 of 3 Lines", bare = "File List -  1 of 3 Lines";
  const std::pair<int, std::string> titles[] = {
      {72, full + "  name.txt"}, {71, undated + std::string(23, ' ') + "name.txt"}, {50, undated + "  name.txt"},
      {49, bare + std::string(16, ' ') + "name.txt"}, {35, bare + "  name.txt"}, {34, bare + "  name.t~"}};
  for (const auto& [cols, title] : titles) {
    Begin(cols, 10);
    L().eProfile = Profile::Linux;
    View("name.txt", Lines(3));
    L().View().zCurFileRec = tembra::testing::EntryRecord("name.txt", 'F', "20240131");
    L().ShowPage();
    EXPECT_EQ(Row(1), title) << cols;
  }
}
