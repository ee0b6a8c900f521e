#include "platform/memory/memory_files.h"
#include "viewer_fixture.h"

using namespace tembra;
using tembra::testing::SessionFixture;
using tembra::testing::ViewerTest;

namespace {
std::string Line(Lister& L, int i) { return L.View().zRecText.substr(static_cast<size_t>(L.View().RecParse[i][0] - 1), static_cast<size_t>(L.View().RecParse[i][1])); }
}  // namespace

TEST_F(ViewerTest, TabExpansionAndControlCharacters) {
  EXPECT_EQ(L().View().zUnTab("ab\tc", 1, 4), "ab      c");
  EXPECT_EQ(L().View().zUnTab("xab\tc", 2, 4), "ab      c");
  EXPECT_EQ(L().View().zUnTab("\t\tx", 1, 3), std::string(16, ' ') + "x");
  // Any other control character leaves the record unexpanded.
  EXPECT_EQ(L().View().zUnTab("a\tb\x07", 1, 4), "a\tb\x07");
  EXPECT_EQ(L().View().zUnTab(std::string("a\0\tb", 4), 1, 4), std::string("a\0      b", 9));
  EXPECT_EQ(L().View().zUnTab("abc", 1, 0), "");
  // Beyond the last tab stop (505) a tab takes no column.
  std::string longRec = std::string(510, 'x') + "\ty";
  EXPECT_EQ(L().View().zUnTab(longRec, 1, 512), std::string(510, 'x') + "y");
  // UTF-8 text is scanned eight bytes at a time: a control code at the last byte of a run
  // of eight or the first of the next leaves it unexpanded; 0x20 and bytes from 0x80 on
  // are no control codes.
  L().bUtf8 = true;
  const std::string eight(7, 'x');
  for (const std::string& ctl : {std::string("\x1f"), std::string("\x01")}) {
    EXPECT_EQ(L().View().zUnTab(eight + ctl + "\ty", 1, 10), eight + ctl + "\ty");
    EXPECT_EQ(L().View().zUnTab(eight + "x" + ctl + "\ty", 1, 11), eight + "x" + ctl + "\ty");
  }
  EXPECT_EQ(L().View().zUnTab("\xC3\xA9 \x80\xFF" + eight + "\ty", 1, 14), "\xC3\xA9 \x80\xFF" + eight + "     y");
  L().bUtf8 = false;
  L().View().bUnTab = false;
  EXPECT_EQ(L().View().zUnTab("ab\tc", 1, 4), "ab\tc");
}

TEST_F(ViewerTest, WordWrapIntoDisplayLines) {
  View("a.txt",
       std::string(20, 'a') + "\n" + std::string(21, 'a') + "\n" + std::string(14, 'a') + " " + std::string(10, 'b') +
           "\n" + std::string(20, 'c') + " " + std::string(5, 'd') + "\n\n" + std::string(63 * 20 + 50, 'e') + "\n" +
           std::string(12, 'f') + "-" + std::string(12, 'g') + "\n");
  L().View().BuildRecParse(1, 20);
  EXPECT_EQ(L().View().RecParse[0][0], 1);
  L().View().BuildRecParse(2, 20);
  ASSERT_EQ(L().View().RecParse[0][0], 2);
  EXPECT_EQ(L().View().RecParse[0][1], 2);
  EXPECT_EQ(Line(L(), 2), "a");
  L().View().BuildRecParse(3, 20);
  ASSERT_EQ(L().View().RecParse[0][0], 2);
  EXPECT_EQ(Line(L(), 1), std::string(14, 'a') + " ");
  EXPECT_EQ(Line(L(), 2), std::string(10, 'b'));
  // No break character in the last 11: cut at the width, the blank after the cut dropped.
  L().View().BuildRecParse(4, 20);
  ASSERT_EQ(L().View().RecParse[0][0], 2);
  EXPECT_EQ(Line(L(), 1), std::string(20, 'c'));
  EXPECT_EQ(Line(L(), 2), std::string(5, 'd'));
  L().View().BuildRecParse(5, 20);
  EXPECT_EQ(L().View().RecParse[0][0], 1);
  EXPECT_EQ(L().View().RecParse[1][1], 0);
  L().View().BuildRecParse(6, 20);
  EXPECT_EQ(L().View().RecParse[0][0], 63);
  L().View().BuildRecParse(7, 20);
  ASSERT_EQ(L().View().RecParse[0][0], 2);
  EXPECT_EQ(Line(L(), 1), std::string(12, 'f') + "-");
}

TEST_F(ViewerTest, DisplayedCharacters) {
  const std::string bullet = Chr(149);
  EXPECT_EQ(L().View().zPrintable("A"), "A");
  EXPECT_EQ(L().View().zPrintable("\x01"), bullet);
  L().TDISPLAY |= TD_STRIP;
  EXPECT_EQ(L().View().zPrintable("\xC1"), "A");
  EXPECT_EQ(L().View().zPrintable("\x81"), bullet);  // 0x81 becomes code 1
  L().TDISPLAY &= ~TD_STRIP;
  L().TDISPLAY |= TD_EBCDIC;
  EXPECT_EQ(L().View().zPrintable("\xC1"), "A");
  EXPECT_EQ(L().View().zPrintable("\x81"), "a");
  EXPECT_EQ(L().View().zPrintable("\x5F"), "^");
  EXPECT_EQ(L().View().zPrintable("\xAD"), "[");
  EXPECT_EQ(L().View().zPrintable("\xBD"), "]");
  EXPECT_EQ(L().View().zPrintable("\xB0"), "\xAC");
  EXPECT_EQ(L().View().zPrintable("\xF0"), "0");
  EXPECT_EQ(L().View().zPrintable("\x40"), " ");
  EXPECT_EQ(L().View().zPrintable(std::string(1, '\0')), bullet);
  L().TDISPLAY &= ~TD_EBCDIC;
  L().TDISPLAY |= TD_ASCII;
  EXPECT_EQ(L().View().zPrintable("\xC1"), "A");
  L().TDISPLAY |= TD_HEX;
  EXPECT_EQ(L().View().zPrintable("\xC1"), ".");
  EXPECT_EQ(L().View().zPrintable("\x01"), bullet);  // the width test still sees the byte itself
  EXPECT_EQ(L().View().zPrintable("a"), "a");
}

TEST_F(ViewerTest, EbcdicShowsTheFileBytesAndBlankPadding) {
  View("e.txt", "\xC1\xC2\n\n\xC3\x40\xC4\n");
  L().TDISPLAY |= TD_EBCDIC;
  L().View().zFindText = "\xC4";  // a found line is drawn by the other path
  L().View().nFindLen = 1;
  L().ShowPage();
  EXPECT_EQ(Row(2), "AB" + std::string(78, ' '));
  EXPECT_EQ(Row(3), std::string(80, ' '));
  EXPECT_EQ(Row(4), "C D" + std::string(77, ' '));
  EXPECT_EQ(Row(5), std::string(80, ' '));
}

TEST_F(ViewerTest, EbcdicRowWithABadDigitIsFatal) {
  EXPECT_THROW(L().View().EAFILL("G0" + std::string(30, '0'), 0), headless::ProcessEnded);
  EXPECT_NE(Transcript().find("VX9018 - EAFILL ERROR = 0"), std::string::npos);
}

TEST_F(ViewerTest, RulerLabels) {
  L().View().ZCOLFILL(0);
  ASSERT_EQ(L().View().zRuler.size(), 480u);
  EXPECT_EQ(L().View().zRuler.substr(0, 30), "....v....1....v....2....v....3");
  EXPECT_EQ(L().View().zRuler.substr(90, 20), "....v..100....v..110");
  EXPECT_EQ(L().View().zRuler.substr(460, 20), "....v..470          ");
  L().View().ZCOLFILL(230);
  EXPECT_EQ(L().View().zRuler.substr(0, 10), "....v..240");
  L().View().ZCOLFILL(4050);
  EXPECT_EQ(L().View().zRuler.substr(0, 10), "....v.4060");
  L().View().ZCOLFILL(9990);
  EXPECT_EQ(L().View().zRuler.substr(0, 10), "....v.1000");  // 10000: the fifth digit is cut
}

TEST_F(ViewerTest, TextPageDrawsRecordsAndStopsAtTheEnd) {
  View("a.txt", "first\r\n\tsecond\r\nthird\r\n\x1a");
  L().ShowPage();
  EXPECT_EQ(Row(2), "first" + std::string(75, ' '));
  EXPECT_EQ(Row(3).substr(0, 14), std::string(8, ' ') + "second");
  EXPECT_EQ(Row(4).substr(0, 5), "third");
  EXPECT_EQ(Row(5), std::string(80, ' '));  // the Ctrl-Z record is not drawn
  EXPECT_EQ(L().View().nBottomRec, 4);             // the record after the last one drawn
  EXPECT_NE(Row(1).find("1 of 4 Lines"), std::string::npos);
  L().TDISPLAY |= TD_RULER;
  L().ShowPage();
  EXPECT_EQ(Row(1).substr(0, 20), "....v....1....v....2");
}

// Paging over 100 known lines, on the file system in memory: after each key the top
// line and rows 2, 3 and 24 (the page's first, second and last).
TEST(ViewerPaging, KeysOverKnownLinesInMemory) {
  memory::MemoryFileSystem files;
  std::string data;
  for (int i = 1; i <= 100; ++i) data += "line " + std::to_string(i) + "\n";
  ASSERT_TRUE(files.PutFile("C:\\a.txt", data));
  headless::Options o;
  o.cmdline = "a.txt";
  SessionFixture f(files, o);
  ASSERT_TRUE(f.Start());
  const struct {
    const char* key;
    int32_t top;
    const char *row2, *row3, *row24;
  } steps[] = {
      {"", 1, "line 1", "line 2", "line 23"},
      {"PgDn", 24, "line 24", "line 25", "line 46"},
      {"PgUp", 1, "line 1", "line 2", "line 23"},
      {"End", 78, "line 78", "line 79", "line 100"},
      {"PgDn", 100, "line 100", "", ""},  // on the last page: the last line alone at the top
      {"Down", 100, "line 100", "", ""},
      {"Home", 1, "line 1", "line 2", "line 23"},
      {"Up", 1, "line 1", "line 2", "line 23"},
  };
  for (const auto& s : steps) {
    if (*s.key) {
      ASSERT_TRUE(f.Key(s.key));
    }
    EXPECT_EQ(f.L().View().nTopRec, s.top) << s.key;
    EXPECT_EQ(RTrim(f.Row(2)) + "|" + RTrim(f.Row(3)) + "|" + RTrim(f.Row(24)),
              std::string(s.row2) + "|" + s.row3 + "|" + s.row24)
        << s.key;
  }
}

TEST_F(ViewerTest, WrappedPageCutsALongRecordAtThePageEnd) {
  View("a.txt", "short\n" + std::string(80 * 30, 'x') + "\nafter\n");
  L().View().nWrapMode = 2;
  L().View().nHOffset = 30;
  L().ShowPage();
  EXPECT_EQ(L().View().nHOffset, 0);
  EXPECT_EQ(Row(2).substr(0, 6), "short ");
  EXPECT_EQ(Row(24), std::string(80, 'x'));
  EXPECT_EQ(L().View().nBottomRec, 1);
  // A first record that alone overfills the page is the bottom record as well.
  L().View().nTopRec = 2;
  L().ShowPage();
  EXPECT_EQ(L().View().nBottomRec, 2);
  EXPECT_EQ(L().View().Find1stRecordOnPage(3), 3);
  EXPECT_EQ(L().View().Find1stRecordOnPage(0), 1);
}

TEST_F(ViewerTest, FoundTextIsBlankedAndDrawnOverlapping) {
  auto clear = [&](const std::string& line, const std::string& text, bool noCase) {
    FileView& v = L().View();
    v.zFindText = text;
    v.bFindNoCase = noCase;
    return v.zClearFoundText(line, v.FoundSpans(line, 0));
  };
  EXPECT_EQ(clear("xaaaay", "aa", false), "x    y");
  EXPECT_EQ(clear("xAaaay", "aa", true), "x    y");
  EXPECT_EQ(clear("xAaaay", "aa", false), "xA   y");
  View("a.txt", "one hit here\nnothing\n");
  L().View().zFindText = "hit";
  L().View().nFindLen = 3;
  L().View().bFindNoCase = true;
  L().ShowPage();
  const auto& grid = f.session->grid();
  EXPECT_EQ(Row(2).substr(0, 12), "one hit here");
  EXPECT_EQ(grid.At(4, 1).fg, L().lColor[9]);
  EXPECT_TRUE(grid.At(4, 1).bold);
  EXPECT_EQ(grid.At(4, 1).bg, L().lColor[7]);
  EXPECT_EQ(grid.At(0, 1).fg, L().lColor[1]);
  EXPECT_EQ(grid.At(4, 2).fg, L().lColor[1]);
}

TEST_F(ViewerTest, SearchHitIsBroughtIntoView) {
  View("a.txt", std::string(400, 'x') + "\n");
  L().View().nHitLen = 5;  // the hit of "zzzzz"
  L().View().nFindLen = 5;
  L().View().zFindText = "zzzzz";
  L().View().bShowHit = true;
  L().View().nHitCol = 300;
  L().ShowPage();
  EXPECT_EQ(L().View().nHOffset, 230);
  EXPECT_EQ(L().View().zRuler.substr(0, 10), "....v..240");
  L().View().bShowHit = true;
  L().View().nHitCol = 15;
  L().ShowPage();
  EXPECT_EQ(L().View().nHOffset, 10);
}
