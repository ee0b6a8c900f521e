// The hex view, the search and line marking on files opened in the viewer.
#include <string>

#include "../../../fuzz/record_splitter.h"
#include "viewer_fixture.h"

using namespace tembra;

namespace {

class HexView : public tembra::testing::ViewerTest {
 protected:
  // Opens bytes in a window of the given size and draws the first page.
  void Open(const std::string& bytes, int cols = 80, int rows = 25) {
    Begin(cols, rows);
    View("f.bin", bytes);
    L().ShowPage();
  }
  void Hex() { Key("H alt"); }
  std::string Digits(int from, int count) {
    std::string s;
    for (int i = from; i < from + count; ++i) s += static_cast<char>('a' + i % 26);
    return s;
  }
  // A file of n lines "line NNNNN" + CR LF.
  static std::string Lines(int n) {
    std::string s;
    for (int i = 1; i <= n; ++i) {
      char b[32];
      std::snprintf(b, sizeof b, "line %05d\r\n", i);
      s += b;
    }
    return s;
  }
  // A key by its name, or a character typed, as the dispatcher delivers them.
  void Key(const std::string& key) { ASSERT_TRUE(f.Key(key)); }
  void Char(char c) { ASSERT_TRUE(f.Type(std::string(1, c))); }
  // The search key typed ('f' forward, 'F' backward, ...) and the answer to its prompt.
  void Search(char key, const std::string& answer) {
    f.Input(answer);
    Char(key);
  }
  std::string Message() { return Row(25).substr(0, Row(25).find_last_not_of(' ') + 1); }
  size_t Count(const std::string& text) {
    std::string t = Transcript();
    size_t n = 0;
    for (size_t p = t.find(text); p != std::string::npos; p = t.find(text, p + 1)) ++n;
    return n;
  }
};

TEST_F(HexView, LineOfOffsetZeroColumnByColumn) {
  std::string bytes = "AB\tC\r\nxyz";
  bytes += std::string(1000 - bytes.size(), '.');
  Open(bytes);
  Hex();
  EXPECT_EQ(L().zDisplayMode, "LSTX");
  std::string row = Row(2);
  EXPECT_EQ(row.substr(0, 8), "00000000");
  EXPECT_EQ(row.substr(8, 2), "  ");
  EXPECT_EQ(row.substr(10, 35), "41420943 0D0A7879 7A2E2E2E 2E2E2E2E");
  EXPECT_EQ(row.substr(45, 2), " |");
  EXPECT_EQ(row.substr(47, 3), "AB\x95");  // TAB cannot be drawn
  EXPECT_EQ(row.substr(53, 3), "xyz");
  EXPECT_EQ(row.substr(63, 3), "| 1");
  // A line whose first byte lies in the record of the line above shows no number.
  EXPECT_EQ(Row(3).substr(64, 10), " 2        ");
  EXPECT_EQ(Row(4).substr(64, 10), std::string(10, ' '));
  // Page ending the file: the last line holds 8 bytes, the rest blank.
  L().View().nHexTop = 992;
  L().ShowPage();
  EXPECT_EQ(Row(2).substr(0, 8), "000003E0");
  EXPECT_EQ(Row(2).substr(10, 35), "2E2E2E2E 2E2E2E2E" + std::string(18, ' '));
  EXPECT_EQ(Row(3).find_first_not_of(' '), std::string::npos);
  EXPECT_EQ(L().View().nBottomRec, 1000);
}

TEST_F(HexView, CharacterModes) {
  Open(std::string("\xc1\x81\x05\xe9" "Az\r\n", 8));
  Hex();
  EXPECT_EQ(Row(2).substr(10, 17), "C18105E9 417A0D0A");
  // 81 is undefined in Windows-1252 and 05 a control code: neither can be drawn.
  EXPECT_EQ(Row(2).substr(47, 6), "\xc1\x95\x95\xe9" "Az");
  Char('E');  // EBCDIC: C1 is "A", 81 is "a"; the hexadecimal columns stay
  EXPECT_EQ(Row(2).substr(47, 2), "Aa");
  EXPECT_EQ(Row(2).substr(10, 8), "C18105E9");
  Char('7');  // high bit dropped
  EXPECT_EQ(Row(2).substr(47, 2), "A\x95");
  Char('*');  // dots for control and high characters that can be drawn
  EXPECT_EQ(Row(2).substr(47, 8), ".\x95\x95.Az\x95\x95");
  Char('8');
  EXPECT_EQ(Row(2).substr(47, 2), "\xc1\x95");
}

TEST_F(HexView, LayoutsByWidth) {
  std::string bytes = Lines(400);
  // 117 columns is the narrowest window with 32-byte lines; 116 keeps 16.
  for (int cols : {116, 117}) {
    Open(bytes, cols);
    Hex();
    EXPECT_EQ(L().View().nHexMask, cols == 116 ? -16 : -32) << cols;
    EXPECT_EQ(Row(3).substr(0, 8), cols == 116 ? "00000010" : "00000020") << cols;
  }
  Open(bytes, 120);
  Hex();
  EXPECT_EQ(L().View().nHexMask, -32);
  EXPECT_TRUE(L().TDISPLAY & TD_HEX32);
  EXPECT_EQ(Row(2).substr(10, 35), "6C696E65 20303030 30310D0A 6C696E65");
  EXPECT_EQ(Row(2).substr(47, 35), "20303030 30320D0A 6C696E65 20303030");
  EXPECT_EQ(Row(2)[83], '|');
  EXPECT_EQ(Row(2).substr(84, 4), "line");
  EXPECT_EQ(Row(2)[116], '|');
  EXPECT_EQ(Row(2).substr(117), "   ");  // no record number at 120 columns
  EXPECT_EQ(Row(3).substr(0, 8), "00000020");

  Open(bytes, 130);
  Hex();
  EXPECT_EQ(Row(2).substr(118, 1), "1");
  EXPECT_EQ(Row(3).substr(118, 1), "3");  // offset 32 lies in record 3

  Open(bytes, 240);
  Hex();
  EXPECT_TRUE(L().TDISPLAY & TD_HEX2);
  EXPECT_EQ(L().View().nPaneWidth, 120);
  EXPECT_EQ(Row(24).substr(0, 8), "000002C0");
  EXPECT_EQ(Row(2).substr(120, 8), "000002E0");  // the second pane goes on
  EXPECT_EQ(Row(24).substr(120, 8), "000005A0");
  EXPECT_EQ(L().View().nBottomRec, 0x5A0);

  // Column headings replace the title line.
  L().TDISPLAY |= TD_RULER;
  L().ShowPage();
  EXPECT_EQ(Row(1).substr(0, 6), "Offset");
  EXPECT_EQ(Row(1).substr(120, 6), "Offset");
  EXPECT_EQ(Row(1).substr(84, 16), "0123456789ABCDEF");
}

TEST_F(HexView, UnindexedOffsetsShowVX0032AndAreNotIndexed) {
  std::string bytes = Lines(60000);  // 720,000 bytes: the first segment is indexed
  Open(bytes);
  Hex();
  const int32_t indexed = L().View().nRecCount;
  ASSERT_FALSE(L().View().bAllIndexed);
  L().View().nHexTop = 500000;
  L().ShowPage();
  EXPECT_EQ(Row(2).substr(65, 6), "VX0032");
  EXPECT_EQ(Row(3).substr(65, 6), "      ");
  Key("End");
  EXPECT_EQ(L().View().nRecCount, indexed);
  EXPECT_FALSE(L().View().bAllIndexed);
  // Back in the text view the place is kept, indexing as needed.
  Hex();
  EXPECT_EQ(L().zDisplayMode, "LIST");
  EXPECT_GT(L().View().nRecCount, indexed);
  // The hex page started at 719,632: the record holding the byte after its first.
  EXPECT_EQ(L().View().nTopRec, 59970);
}

TEST_F(HexView, SwitchingKeepsThePlace) {
  // Record 2 starts at address 1,000.
  std::string bytes = std::string(997, 'x') + "\r\n" + "second line\r\n" + std::string(2000, 'y');
  Open(bytes);
  L().View().nTopRec = 2;
  L().ShowPage();
  Hex();
  EXPECT_EQ(L().View().nHexTop, 999);
  EXPECT_EQ(Row(2).substr(0, 8), "000003E0");
  EXPECT_EQ(L().View().nBookmarks, 0);
  Hex();
  EXPECT_EQ(L().View().nTopRec, 2);
  EXPECT_EQ(L().zDisplayMode, "LIST");
}

TEST_F(HexView, NarrowWindowRefused) {
  Open(Lines(10), 70);
  Hex();
  EXPECT_NE(Transcript().find("VX8012"), std::string::npos);
  EXPECT_FALSE(L().TDISPLAY & TD_HEX);
  EXPECT_EQ(Row(2).substr(0, 10), "line 00001");
}

TEST_F(HexView, ColumnSearches) {
  std::string bytes;
  bytes += "abc at col 1\r\n";                 // 1
  bytes += "123456789abc\r\n";                 // 2: abc at column 10
  bytes += "1234abc\r\n";                      // 3: abc at column 5
  bytes += "12345678901234567abc\r\n";         // 4: abc at column 18
  bytes += "1234567890123456789abc\r\n";       // 5: abc at columns 20..22
  Open(bytes);
  Search('f', "@10=abc");
  EXPECT_EQ(L().View().nTopRec, 2);
  L().View().nTopRec = 3;
  Search('f', "@5/20=abc");
  EXPECT_EQ(L().View().nTopRec, 3);
  L().View().nTopRec = 4;
  Search('f', "@5/20=abc");
  EXPECT_EQ(L().View().nTopRec, 4);
  L().View().nTopRec = 5;
  Search('f', "@5/20=abc");
  EXPECT_EQ(Message(), "VX0004 - Text not found");
  EXPECT_EQ(L().View().nTopRec, 5);
  L().View().nTopRec = 2;
  Search('f', "@/20=abc");
  EXPECT_EQ(L().View().nTopRec, 2);
  L().View().nTopRec = 4;
  Search('f', "@19/=abc");  // an empty upper column reaches to the end of each record
  EXPECT_EQ(L().View().nTopRec, 5);
}

TEST_F(HexView, CaseAndDirection) {
  std::string bytes = Lines(100);
  bytes += "here is Abc\r\n";
  bytes += Lines(100);
  Open(bytes);
  Search('s', "abc");
  EXPECT_EQ(L().View().nTopRec, 1);
  EXPECT_EQ(Message(), "VX0004 - Text not found");
  Search('f', "abc");
  EXPECT_EQ(L().View().nTopRec, 101);
  EXPECT_EQ(L().View().nHitCol, 9);
  EXPECT_EQ(Message(), "");
  // Found text is shown in its style: the occurrence in colour role 9.
  EXPECT_EQ(Row(2).substr(0, 11), "here is Abc");
  EXPECT_EQ(L().View().Bookmarks[1], 101);
  // Backward from the first page reaches record 1 and stops there.
  L().View().nTopRec = 50;
  Search('F', "abc");  // Shift+F
  EXPECT_EQ(Message(), "VX0004 - Text not found");
  EXPECT_EQ(L().View().nTopRec, 50);
  // Backward from below the hit puts it at the bottom of the page.
  L().View().nTopRec = 150;
  Search('F', "ABC");
  EXPECT_EQ(L().View().nTopRec, 101 - 23 + 1);
  EXPECT_EQ(Row(24).substr(0, 11), "here is Abc");
  // F3 goes on from the record after the top: nothing more.
  L().View().nTopRec = 101;
  Key("F3");
  EXPECT_EQ(Message(), "VX0004 - Text not found");
}

TEST_F(HexView, ForwardSearchAcrossSegmentsAndCutRecords) {
  // The text lies far beyond the first segment; the file is not indexed that far.
  std::string bytes = Lines(50000) + "the needle\r\n" + Lines(10);
  Open(bytes);
  ASSERT_FALSE(L().View().bAllIndexed);
  Search('f', "NEEDLE");
  EXPECT_EQ(L().View().nTopRec, 50001);
  EXPECT_EQ(L().View().nHitCol, 5);
  // Indexed already, searched again from the top.
  L().View().nTopRec = 1;
  Search('s', "needle");
  EXPECT_EQ(L().View().nTopRec, 50001);
  // A text that spans the cut between the two records of a long line is no hit.
  Begin(80, 25);
  L().View().nMaxRecLen = 64;
  View("long.txt", std::string(62, 'x') + "abcd" + "\r\n" + "zz abcd\r\n");
  L().ShowPage();
  Search('s', "abcd");
  EXPECT_EQ(L().View().nTopRec, 3);
  EXPECT_EQ(L().View().nHitCol, 4);
  // Nor one that spans a line end.
  L().View().nTopRec = 1;
  Search('s', "cdzz");
  EXPECT_EQ(L().View().nTopRec, 1);
}

TEST_F(HexView, FileShrinkingWhileSearched) {
  Open(Lines(50000) + "needle\r\n");
  L().View().nTopRec = 20000;  // indexed, then the file loses most of its bytes
  L().ShowPage();
  std::filesystem::resize_file(HostPath("f.bin"), 100000);
  L().View().nTopRec = 1;
  Search('f', "needle");
  EXPECT_EQ(Message(), "VX0004 - Text not found");
  L().View().nTopRec = 1;
  Search('f', "line 08333");  // the last line that is still whole
  EXPECT_EQ(L().View().nTopRec, 8333);
  L().View().nTopRec = 1;
  Search('s', "line 08334");  // cut short by the new end
  EXPECT_EQ(Message(), "VX0004 - Text not found");
}

TEST_F(HexView, HitBeyondTheWindowIsBroughtIntoView) {
  std::string bytes = "short\r\n" + std::string(299, '-') + "found\r\n";
  Open(bytes);
  Search('f', "found");
  EXPECT_EQ(L().View().nTopRec, 2);
  EXPECT_EQ(L().View().nHOffset, 230);
}

TEST_F(HexView, MarksAndClipboard) {
  Open("abc\r\n" + Lines(200));
  Key("T ctrl");
  Key("C ctrl");
  EXPECT_NE(Transcript().find("CLIPBOARD 5 abc\\x0D\\x0A\n"), std::string::npos);
  // Without marks: message and beep, the clipboard untouched.
  Key("C ctrl");
  EXPECT_EQ(Message(), "VX1025 - No text has been marked.  Clipboard empty.");
  EXPECT_NE(Transcript().find("BEEP"), std::string::npos);
  EXPECT_EQ(Count("CLIPBOARD"), 1u);
  // Bottom of page 3, then top of page 1: from line 1 to the end of page 3.
  Key("PgDn");
  Key("PgDn");
  Key("B ctrl");
  Key("Home");
  Key("T ctrl");
  Key("C ctrl");
  EXPECT_NE(Transcript().find("CLIPBOARD 821 abc\\x0D\\x0Aline 00001"), std::string::npos);
  EXPECT_NE(Transcript().find("line 00068\\x0D\\x0A\n"), std::string::npos);
  // "V" clears the marks.
  Key("T ctrl");
  Key("V alt");
  Key("C ctrl");
  EXPECT_EQ(Count("CLIPBOARD"), 2u);

  // Hex view, 32 bytes a line: the first 32 bytes.
  Open(Lines(100), 130);
  Hex();
  Key("T ctrl");
  Key("C ctrl");
  EXPECT_NE(Transcript().find("CLIPBOARD 32 line 00001\\x0D\\x0Aline 00002\\x0D\\x0Aline 000\n"), std::string::npos);
}

TEST_F(HexView, LargeCopyAsksFirst) {
  std::string bytes(2097152, 'q');
  Open(bytes);
  f.Answer("Cancel");
  Key("A ctrl");
  Key("C ctrl");
  EXPECT_NE(Transcript().find("MSGBOX caption=\"Move Large Amount of Data to Clipboard\" "
                              "text=\"VX0113 - About to move 2097152 bytes to the clipboard. Continue?\" "
                              "buttons=OKCancel -> Cancel"),
            std::string::npos);
  EXPECT_EQ(Count("CLIPBOARD"), 0u);
  // The cancelled copy left no marks behind.
  Key("C ctrl");
  EXPECT_EQ(Message(), "VX1025 - No text has been marked.  Clipboard empty.");
  Key("A ctrl");
  Key("C ctrl");
  EXPECT_EQ(f.session->dialogs().answers.size(), 0u);
  EXPECT_NE(Transcript().find("CLIPBOARD 2097152 qqq"), std::string::npos);
}

}  // namespace

TEST_F(HexView, LinesAsGrepCountsThemOrRecords) {
  // A first line of n bytes, "b" with CR LF, "c" CR "d" (a lone CR inside), "e" without a
  // line end. Line numbers come from an independent split of the file: as grep counts
  // them (LINES GREP), or the records of at most 4,095 bytes (LINES RECORDS). A first
  // line of 2,000 bytes is read in pieces of 1,000: exactly two, and "QRST" crosses the
  // end of the first.
  for (int64_t n : {4095, 4096, 1000000, 2000}) {
    for (bool grep : {false, true}) {
      SCOPED_TRACE(std::to_string(n) + (grep ? " grep" : " records"));
      std::string bytes(static_cast<size_t>(n), 'x');
      bytes.back() = 'y';
      if (n == 2000) bytes.replace(997, 4, "QRST");
      bytes += "\nb\r\nc\rd\ne";
      const auto ref = grep ? recordcheck::SplitLines(bytes) : recordcheck::SplitRecords(bytes, 4095);
      const int32_t total = static_cast<int32_t>(ref.size());
      // The line of a byte (1-based address) by the split.
      auto lineOf = [&](int64_t addr) {
        int32_t r = 0;
        while (r < total && ref[static_cast<size_t>(r)].addr <= addr) ++r;
        return r;
      };
      Begin(80, 25);
      L().View().piGrepLines.set = grep;
      if (n == 2000) L().View().nLongLineShown = 1000;
      View("f.txt", bytes);
      L().ShowPage();
      // The first line whole, however long (as grep counts lines, its first piece).
      const int64_t first = ref[0].len;
      EXPECT_EQ(Rec(1).size(), static_cast<size_t>(grep ? std::min<int64_t>(first, L().View().nLongLineShown) : first));
      // The title counts the lines at the end.
      Key("End");
      EXPECT_NE(Row(1).find(" of " + std::to_string(total) + " Lines"), std::string::npos) << Row(1);
      // "#" jumps to line 2 by these numbers.
      f.Input("2");
      Char('#');
      EXPECT_EQ(L().View().nTopRec, 2);
      EXPECT_EQ(Rec(2), bytes.substr(static_cast<size_t>(ref[1].addr - 1), static_cast<size_t>(ref[1].len)));
      // A search from the top finds "d" on its line, which is bookmarked.
      Key("Home");
      Search('s', "d");
      const int32_t dLine = lineOf(static_cast<int64_t>(bytes.find('d')) + 1);
      EXPECT_EQ(L().View().nTopRec, dLine);
      EXPECT_EQ(L().View().Bookmarks[1], dLine);
      if (n == 2000) {
        Key("Home");
        Search('s', "QRST");
        EXPECT_EQ(L().View().nHitRec, 1);
        EXPECT_EQ(L().View().nHitCol, 998);
      }
      // The first line marked and copied: all of it with its line end.
      Key("Home");
      Key("T ctrl");
      Key("C ctrl");
      EXPECT_NE(Transcript().find("CLIPBOARD " + std::to_string(first + ref[0].ends) + " "), std::string::npos);
      // Ctrl+Right reaches the end of the longest line on the page.
      Key("Right ctrl");
      EXPECT_EQ(Row(2).find_last_not_of(' '), first - L().View().nHOffset - 1) << L().View().nHOffset;
      // and the ruler's first group is labelled with its last column, however many digits.
      const std::string label = std::to_string(L().View().nHOffset + 10);
      EXPECT_EQ(L().View().zRuler.substr(10 - label.size(), label.size()), label);
    }
  }
}
