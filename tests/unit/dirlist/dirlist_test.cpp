// Directory records, formatting and sorting, on a lister started headless in an
// empty temporary folder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>

#include "dirlist/sizes.h"
#include "dirlist/wildcard.h"
#include "file_time.h"
#include "platform/memory/memory_files.h"
#include "test.h"

using namespace tembra;

namespace {

using testutil::FileTime;

class DirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(f.Start());
    L().Config().bGMT = true;
  }
  void TearDown() override {
    f.session.reset();
    ASSERT_TRUE(f.dir.Remove());
  }
  Lister& L() { return f.L(); }

  // The record of one entry as the scan builds it.
  std::string Record(const std::string& name, uint64_t size, uint32_t attr = kAttrArchive,
                     uint64_t write = FileTime(2024, 3, 5, 14, 7, 8, 567), uint8_t link = 0) {
    FindData& v = L().VTOC;
    v = FindData{};
    v.nLinkKind = link;
    v.cFileName = name;
    v.dwFileAttributes = attr;
    v.nFileSizeHigh = static_cast<uint32_t>(size >> 32);
    v.nFileSizeLow = static_cast<uint32_t>(size);
    v.ftLastWriteTime = write;
    v.ftCreationTime = FileTime(2023, 1, 2, 3, 4, 5, 60);
    v.ftLastAccessTime = FileTime(2025, 12, 31, 23, 59, 59, 999);
    return L().zVtocToDir();
  }
  void Table(const std::vector<std::string>& recs) { f.Entries(recs); }
  // Names in display order, blank-separated.
  std::string Order() {
    std::string s;
    for (int32_t i = 1; i <= L().Entries().nSZDir; ++i) {
      if (!s.empty()) s += " ";
      s += ZdNameStored(L().Entries().RecordAt(i));
    }
    return s;
  }
  std::string Sorted(const std::string& letter, bool ascending) {
    L().Entries().zSortLetter = letter;
    L().Entries().bSortAscending = ascending;
    L().Entries().SORTEMALL();
    return Order();
  }

  tembra::testing::SessionFixture f;
  const std::string dir_ = f.dir.path();
};

}  // namespace

TEST_F(DirTest, RecordColumnsOfAFile) {
  std::string rec = Record("Report.markdown", 12345);
  std::string want = "   " " ---NONE--- " "2024030514070856" " " "2023010203040506" " " "2025123123595999" " 00000012345"
                     "9" "9" "MARK" " 008" "100000" "  15" "F" "109 " "      " "REPORT.MARKDOWN" "Report.markdown";
  EXPECT_EQ(rec, want);
  EXPECT_EQ(ZdNameUpper(rec), "REPORT.MARKDOWN");
  EXPECT_EQ(ZdNameStored(rec), "Report.markdown");
}

TEST_F(DirTest, RecordExtensionsAndNames) {
  std::string noDot = Record("Makefile", 7);
  EXPECT_EQ(std::string(ZdField(noDot, kZdHasDot, 10)), "00        ");
  std::string endsInDot = Record("name.", 7);
  EXPECT_EQ(std::string(ZdField(endsInDot, kZdHasDot, 10)), "90        ");
  std::string dotFirst = Record(".bashrcx", 7);  // "." and seven letters
  EXPECT_EQ(std::string(ZdField(dotFirst, kZdHasDot, 10)), "09BASH 002");
  std::string shortExt = Record("a.Tx", 7);
  EXPECT_EQ(std::string(ZdField(shortExt, kZdHasDot, 10)), "92TX   003");
  std::string withShort = (L().VTOC = FindData{}, L().VTOC.cFileName = "Long name.text",
                           L().VTOC.cAlternateFileName = "longna~1.tex", L().zVtocToDir());
  EXPECT_EQ(std::string(ZdField(withShort, kZdShortName, 12)), "LONGNA~1.TEX");
}

TEST_F(DirTest, RecordSizesTypesAndAttributes) {
  EXPECT_EQ(std::string(ZdField(Record("zero", 0), kZdSize, 12)), " 00000000000");
  EXPECT_EQ(std::string(ZdField(Record("five", 5ULL << 30), kZdSize, 12)), " 05368709120");
  EXPECT_EQ(std::string(ZdField(Record("top", 0x80000000ULL), kZdSize, 12)), " 02147483648");
  // Beyond the field: the largest value it holds, and every later column in place.
  std::string huge = Record("huge", 2000000000000ULL);
  EXPECT_EQ(std::string(ZdField(huge, kZdSize, 12)), "999999999999");
  EXPECT_EQ(ZdChar(huge, kZdType), 'F');
  std::string dir = Record("Folder", 0, kAttrDirectory);
  EXPECT_EQ(std::string(ZdField(dir, kZdSize, 12)), "            ");
  EXPECT_EQ(std::string(ZdField(dir, kZdAttr, 11)), "010000   6D");
  std::string all = Record("x", 1, kAttrArchive | kAttrSystem | kAttrHidden | kAttrReadOnly);
  EXPECT_EQ(std::string(ZdField(all, kZdAttr, 6)), "100111");
  L().Dir().dTotalBytes = 0;
  L().Dir().bShowHidden = false;
  EXPECT_EQ(ZdChar(Record(".h", 3, kAttrArchive | kAttrHidden), kZdType), '-');
  EXPECT_EQ(ZdChar(Record(".hd", 0, kAttrDirectory | kAttrHidden), kZdType), 'D');
  L().Dir().bShowHidden = true;
  L().Dir().bShowReadOnly = false;
  EXPECT_EQ(ZdChar(Record("ro", 3, kAttrReadOnly), kZdType), '-');
  L().Dir().bShowSystem = false;
  EXPECT_EQ(ZdChar(Record("sys", 3, kAttrSystem), kZdType), '-');
  EXPECT_EQ(L().Dir().dTotalBytes, 9.0);
}

TEST_F(DirTest, TemporaryNamesGetDisplayColumn127) {
  std::string temp = Record("_V240101.VX0001DD.Report.txt", 5);
  EXPECT_EQ(std::string(ZdField(temp, kZdNameCol, 4)), "127 ");
  EXPECT_EQ(std::string(ZdField(temp, kZdTempSource, 10)), "REPORT.TXT");
  EXPECT_EQ(std::string(ZdField(Record("_V24010A.VX0001DD.Report.txt", 5), kZdNameCol, 4)), "109 ");
}

TEST_F(DirTest, ScanBuildsParentEntryAndGrowsTables) {
  // A folder of 1030 files: the 1025th entry grows both tables to 2048.
  for (int i = 0; i < 1030; ++i) {
    std::string p = dir_ + "/f" + std::to_string(1000 + i);
    FILE* f = std::fopen(p.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  std::string win = "C:" + dir_;
  for (char& c : win)
    if (c == '/') c = '\\';
  win += "\\";
  L().Dir().GetDir(win);
  EXPECT_EQ(L().Entries().nZDir, 1030);
  EXPECT_EQ(L().Entries().nZDirMax, 2048);
  EXPECT_GE(L().Entries().OrderSlots(), 2049u);
  EXPECT_EQ(L().Entries().nSZDir, 1030);
  EXPECT_EQ(L().Entries().iFirstZDir, 0);
  EXPECT_EQ(ZdNameStored(L().Entries().Record(1)), "f1000");  // sorted by name
  std::string parent = L().Entries().Record(0);
  std::string up;
  for (char c : win) up += static_cast<char>(UpperChar(static_cast<unsigned char>(c)));
  std::string want = ZdNewRecord(up, win);
  ZdPutNameLength(want, static_cast<int64_t>(win.size()), kZdZeroFilled);
  ZdPutChar(want, kZdType, 'U');
  for (int col : {kZdWriteTime, kZdCreateTime, kZdAccessTime}) ZdPut(want, col, "19460626123456  ");
  ZdPutSize(want, 0, kZdZeroFilled);
  EXPECT_EQ(parent, want);
  // At a root there is no parent entry.
  L().Dir().GetDir("C:\\");
  EXPECT_EQ(L().Entries().Record(0), "");
  EXPECT_EQ(L().Entries().iFirstZDir, 1);
}

TEST(Wildcard, Patterns) {
  EXPECT_TRUE(bWildMatch("REPORT.TXT", "*.TXT"));
  EXPECT_TRUE(bWildMatch("REPORT.TXT", "R?PORT.*"));
  EXPECT_FALSE(bWildMatch("REPORT", "*.*"));
  EXPECT_TRUE(bWildMatch("A1.TXT", "A#.TXT"));
  EXPECT_FALSE(bWildMatch("AB.TXT", "A#.TXT"));
  EXPECT_TRUE(bWildMatch("B.TXT", "[A-C].TXT"));
  EXPECT_TRUE(bWildMatch("A.TXT", "[A-C].TXT"));  // both ends of a range belong to it
  EXPECT_TRUE(bWildMatch("C.TXT", "[A-C].TXT"));
  EXPECT_FALSE(bWildMatch("D.TXT", "[A-C].TXT"));
  EXPECT_TRUE(bWildMatch("D.TXT", "[!A-C].TXT"));
  EXPECT_TRUE(bWildMatch("X", "[XYZ]"));
  EXPECT_TRUE(bWildMatch("[", "["));
  EXPECT_TRUE(bWildMatch("", "*"));
  EXPECT_TRUE(bWildMatch("AAAB", "*A*B"));
  EXPECT_FALSE(bWildMatch("AAAC", "*A*B"));
}

TEST(Wildcard, Utf8UnitsAreCharacters) {
  // "?" is one character however many bytes it takes; a list ranges over characters.
  EXPECT_TRUE(bWildMatch("文件.TXT", "文?.TXT", true));
  EXPECT_FALSE(bWildMatch("文件.TXT", "文?.TXT", false));
  EXPECT_FALSE(bWildMatch("文件.TXT", "??.TXT", false));
  EXPECT_FALSE(bWildMatch("文件.TXT", "???.TXT", true));
  EXPECT_TRUE(bWildMatch("ΒΗΤΑ", "[Α-Ω]*", true));
  EXPECT_FALSE(bWildMatch("ЯБ", "[Α-Ω]*", true));
  EXPECT_TRUE(bWildMatch("ЯБ", "[!Α-Ω]?", true));
  // A stray byte is one unit of its own and matches only itself or "?".
  EXPECT_TRUE(bWildMatch("A\xE9" "B", "A?B", true));
  EXPECT_TRUE(bWildMatch("A\xE9" "B", "A\xE9" "B", true));
  EXPECT_FALSE(bWildMatch("A\xC3\xA9" "B", "A\xE9" "B", true));
}

TEST_F(DirTest, CompactLayout) {
  Table({Record("Report.markdown", 12345), Record("Folder", 0, kAttrDirectory), Record("x", 99999),
         Record("y", 100000), Record("z", 9999999), Record("w", 10000000), Record("averyverylongname", 1)});
  // The worked example: width 50.
  EXPECT_EQ(L().Entries().zFormat1Old(1, 50), "REPORT  .MAR~  12,345  2024-03-05 14:07 A--- Repo~");
  EXPECT_EQ(L().Entries().zFormat1Old(2, 50), ">FOLDER       <DIR>    2024-03-05 14:07 ---- Fold~");
  EXPECT_EQ(L().Entries().zFormat1Old(1, 19), "REPORT  .MAR~12345 ");
  EXPECT_EQ(L().Entries().zFormat1Old(3, 19), "X            99999 ");
  EXPECT_EQ(L().Entries().zFormat1Old(4, 19), "Y               98k");
  EXPECT_EQ(L().Entries().zFormat1Old(4, 26), "Y               98k 240305");
  EXPECT_EQ(L().Entries().zFormat1Old(5, 39), "Z            9999,999  2024-03-05 14:07");
  EXPECT_EQ(L().Entries().zFormat1Old(6, 39), "W               9,766k 2024-03-05 14:07");
  EXPECT_EQ(L().Entries().zFormat1Old(7, 13), "AVERYVERYLON~");
  EXPECT_EQ(L().Entries().zFormat1Old(7, 12), "AVERYVERYLON");
  EXPECT_EQ(L().Entries().nLenName, 17);
  EXPECT_EQ(L().Entries().zCurType, "F");
}

// Each size at the edges of its form: grouped bytes while the form holds them (one comma
// in the Linux profile, four digits before it in Classic), then the next unit; ls -lh's
// rounding up and its steps.
TEST(SizeColumn, EveryNumberFitsItsColumn) {
  const std::tuple<double, double, const char*> grouped[] = {
      {999, 1e6, "     999 "},          {1000, 1e6, "   1,000 "},        {999999, 1e6, " 999,999 "},
      {1000000, 1e6, "     977k"},      {9999999, 1e6, "   9,766k"},      {10000000, 1e6, "   9,766k"},
      {1023999487, 1e6, " 999,999k"},   {1023999488, 1e6, "     977m"},   {9999999999, 1e6, "   9,537m"},
      {999999999999, 1e6, " 953,674m"}, {2e12, 1e6, "   1,863g"},
      {9999999, 1e7, "9999,999 "},      {10000000, 1e7, "   9,766k"},     {9999999999, 1e7, "9765,625k"},
      {10485759475711, 1e7, "9999,999m"}, {10485759475712, 1e7, "   9,766g"},
  };
  for (const auto& [s, limit, want] : grouped) EXPECT_EQ(GroupedSize(s, limit), want) << s << " " << limit;
  const std::pair<uint64_t, const char*> human[] = {
      {0, "0"},           {1023, "1023"},       {1024, "1.0K"},       {1025, "1.1K"},
      {10137, "9.9K"},    {10138, "10K"},       {10240, "10K"},       {10241, "11K"},
      {1048575, "1.0M"},  {1048577, "1.1M"},    {1108888000, "1.1G"}, {999999999999, "932G"},
      {UINT64_MAX, "16E"},
  };
  for (const auto& [s, want] : human) EXPECT_EQ(HumanSize(s), want) << s;
}

TEST_F(DirTest, ZipMemberInCompactLayoutShowsNoAttributeLetters) {
  // Columns 88-93 of a member hold "ZIP" and its ratio, not attribute bits.
  std::string stored = Record("stored.txt", 500), shrunk = Record("packed.txt", 500);
  ZdPut(stored, kZdZipTag, "ZIP100");
  ZdPut(shrunk, kZdZipTag, "ZIP111");
  Table({stored, shrunk});
  EXPECT_EQ(L().Entries().zFormat1Old(1, 50).substr(40, 4), "----");
  EXPECT_EQ(L().Entries().zFormat1Old(2, 50).substr(40, 4), "----");
  L().Entries().bShortFormat = false;
  EXPECT_EQ(L().Entries().zFormat1New(1, 48).substr(27, 4), "100%");  // the columned layout shows the ratio
}

TEST_F(DirTest, ColumnedLayout) {
  L().Entries().bShortFormat = false;
  const uint64_t t = FileTime(2024, 3, 5, 14, 7, 8, 567);
  Table({Record("Report.markdown", 12345), Record("Folder", 0, kAttrDirectory), Record("x", 99999),
         Record("y", 100000), Record("z", 9999999), Record("w", 10000000), Record("v", 999), Record("u", 1000),
         Record("fifteen-chars-a", 1, kAttrArchive, t, 1), Record("sixteen-chars-ab", 1, kAttrArchive, t, 1)});
  // A link's mark: after a name one short of the room; a name that fills it is cut for it.
  EXPECT_EQ(L().Entries().zFormat1New(9, 48), "       1  2024-03-05 14:07 A--- fifteen-chars-a@");
  EXPECT_EQ(L().Entries().zFormat1New(10, 48), "       1  2024-03-05 14:07 A--- sixteen-chars-~@");
  EXPECT_EQ(L().Entries().zFormat1New(1, 48), "  12,345  2024-03-05 14:07 A--- Report.markdown ");
  // The long size is grouped from 1,000 bytes on.
  EXPECT_EQ(L().Entries().zFormat1New(7, 48), "     999  2024-03-05 14:07 A--- v               ");
  EXPECT_EQ(L().Entries().zFormat1New(8, 48), "   1,000  2024-03-05 14:07 A--- u               ");
  EXPECT_EQ(L().Entries().zFormat1New(1, 39), "  12,345  2024-03-05 14:07 Report.mark~");
  EXPECT_EQ(L().Entries().zFormat1New(2, 39), " <DIR>    2024-03-05 14:07 Folder      ");
  EXPECT_EQ(L().Entries().zFormat1New(1, 38), "12345  240305 1407  Report.markdown   ");
  EXPECT_EQ(L().Entries().zFormat1New(3, 31), "99999  240305 1407  x          ");
  EXPECT_EQ(L().Entries().zFormat1New(4, 26), "   98k 240305 y           ");
  EXPECT_EQ(L().Entries().zFormat1New(5, 48), "9999,999  2024-03-05 14:07 A--- z               ");
  EXPECT_EQ(L().Entries().zFormat1New(6, 48), "   9,766k 2024-03-05 14:07 A--- w               ");
  EXPECT_EQ(L().Entries().zFormat1New(4, 19), "   98k y           ");
  L().Entries().piHumanSizes.set = true;
  EXPECT_EQ(L().Entries().zFormat1New(5, 48), "    9.6M  2024-03-05 14:07 A--- z               ");
  EXPECT_EQ(L().Entries().zFormat1New(4, 19), "  98K  y           ");
  L().Entries().piHumanSizes.set = false;
  EXPECT_EQ(L().Entries().zFormat1New(1, 18), "Report.markdown   ");
  EXPECT_EQ(L().Entries().zFormat1New(1, 10), "Report.ma~");
  // Time widths; the tenths mark comes from the first hundredths digit (56 -> ":").
  L().Entries().nTimeWidth = 9;
  EXPECT_EQ(L().Entries().zFormat1New(1, 60), "  12,345  2024-03-05 14:07:08:A--- Report.markdown          ");
  L().Entries().nTimeWidth = 0;
  L().Entries().nAttrWidth = 0;
  EXPECT_EQ(L().Entries().zFormat1New(1, 40), "  12,345  2024-03-05 Report.markdown    ");
  L().bMMDD = true;
  L().Entries().nTimeWidth = 8;
  EXPECT_EQ(L().Entries().zFormat1New(1, 50), "  12,345  03/05/2024 14:07:08 Report.markdown     ");
  L().bMMDD = false;
  L().bDDMM = true;
  EXPECT_EQ(L().Entries().zFormat1New(3, 31), "99999  050324 1407  x          ");
}

TEST_F(DirTest, TenthsMarks) {
  L().Entries().bShortFormat = false;
  L().Entries().nTimeWidth = 9;
  Table({Record("a", 1, kAttrArchive, FileTime(2024, 1, 1, 0, 0, 0, 670)),
         Record("b", 1, kAttrArchive, FileTime(2024, 1, 1, 0, 0, 0, 570)),
         Record("c", 1, kAttrArchive, FileTime(2024, 1, 1, 0, 0, 0, 50)),
         Record("d", 1, kAttrArchive, FileTime(2024, 1, 1, 0, 0, 0, 990)),
         Record("e", 1, kAttrArchive, FileTime(2024, 1, 1, 0, 0, 0, 250))});
  EXPECT_EQ(L().Entries().zFormat1New(1, 50).substr(21, 9), "00:00:00=");
  EXPECT_EQ(L().Entries().zFormat1New(2, 50).substr(21, 9), "00:00:00:");
  EXPECT_EQ(L().Entries().zFormat1New(3, 50).substr(21, 9), "00:00:00 ");
  EXPECT_EQ(L().Entries().zFormat1New(4, 50).substr(21, 9), "00:00:00+");
  EXPECT_EQ(L().Entries().zFormat1New(5, 50).substr(21, 9), "00:00:00.");
}

TEST_F(DirTest, LinesAlwaysHaveTheAskedWidth) {
  Table({Record("Report.markdown", 12345), Record("Folder", 0, kAttrDirectory),
         Record("a.verylongextension", 123456789012ULL), Record(std::string(80, 'n'), 5)});
  for (bool compact : {true, false}) {
    L().Entries().bShortFormat = compact;
    for (int32_t i = 1; i <= 4; ++i)
      for (int32_t w = 0; w <= 130; ++w)
        ASSERT_EQ(L().Entries().zFormat1New(i, w).size(), static_cast<size_t>(w)) << compact << " " << i << " " << w;
  }
}

TEST_F(DirTest, SortLettersInBothDirections) {
  std::string marked = Record("m.txt", 50, kAttrArchive, FileTime(2024, 1, 3, 0, 0, 0));
  ZdPutChar(marked, kZdDelMark, 'D');
  Table({Record("a.zip", 300, kAttrArchive, FileTime(2024, 1, 5, 0, 0, 0)),
         Record("B", 0, kAttrDirectory, FileTime(2024, 1, 9, 0, 0, 0)),
         Record("c.txt", 100, kAttrArchive, FileTime(2024, 1, 1, 0, 0, 0)),
         Record("D", 0, kAttrDirectory, FileTime(2024, 1, 2, 0, 0, 0)),
         Record("e.doc", 200, kAttrArchive, FileTime(2024, 1, 7, 0, 0, 0)), marked,
         Record("_V240101.VX0001DD.c.txt", 10, kAttrArchive, FileTime(2024, 1, 4, 0, 0, 0))});
  // Scan numbers in name order, as the scan leaves them.
  for (int32_t i = 1; i <= L().Entries().nZDir; ++i) ZdPutSeqNumber(L().Entries().Record(i), i);
  EXPECT_EQ(Sorted("F", true), "B D m.txt a.zip c.txt e.doc _V240101.VX0001DD.c.txt");
  EXPECT_EQ(Sorted("F", false), "D B m.txt _V240101.VX0001DD.c.txt e.doc c.txt a.zip");
  EXPECT_EQ(Sorted("E", true), "B D e.doc c.txt m.txt _V240101.VX0001DD.c.txt a.zip");
  EXPECT_EQ(Sorted("E", false), "D B a.zip _V240101.VX0001DD.c.txt m.txt c.txt e.doc");
  EXPECT_EQ(Sorted("D", true), "B D c.txt m.txt _V240101.VX0001DD.c.txt a.zip e.doc");
  // Descending by date: directories keep ascending name order, files newest first.
  EXPECT_EQ(Sorted("D", false), "B D e.doc a.zip _V240101.VX0001DD.c.txt m.txt c.txt");
  EXPECT_EQ(Sorted("S", true), "B D _V240101.VX0001DD.c.txt m.txt c.txt e.doc a.zip");
  EXPECT_EQ(Sorted("S", false), "D B a.zip e.doc c.txt m.txt _V240101.VX0001DD.c.txt");
  EXPECT_EQ(Sorted("N", true), "a.zip B c.txt D e.doc m.txt _V240101.VX0001DD.c.txt");
  EXPECT_EQ(Sorted("N", false), "_V240101.VX0001DD.c.txt m.txt e.doc D c.txt B a.zip");
  // R and U: a temporary copy sorts under its source name; R groups marked files.
  EXPECT_EQ(Sorted("R", true), "B D m.txt a.zip c.txt _V240101.VX0001DD.c.txt e.doc");
  EXPECT_EQ(Sorted("R", false), "D B m.txt e.doc _V240101.VX0001DD.c.txt c.txt a.zip");
  EXPECT_EQ(Sorted("U", true), "B D a.zip c.txt _V240101.VX0001DD.c.txt e.doc m.txt");
  EXPECT_EQ(Sorted("U", false), "D B m.txt e.doc _V240101.VX0001DD.c.txt c.txt a.zip");
  // Directories by date too, after "D" was chosen twice.
  L().Entries().bSortDirsByDate = true;
  EXPECT_EQ(Sorted("D", true), "D B c.txt m.txt _V240101.VX0001DD.c.txt a.zip e.doc");
  L().Entries().bSortDirsByDate = false;
}

TEST_F(DirTest, SortPlacesTheCursorOnTheNameAsked) {
  Table({Record("a", 1), Record("b", 1), Record("c", 1)});
  L().Entries().zFindName = "c";
  Sorted("F", true);
  EXPECT_EQ(L().Entries().iCursor, 3);
  EXPECT_EQ(L().Entries().zFindName, "");
  L().Entries().zFindName = "nothing";
  Sorted("F", false);
  EXPECT_EQ(L().Entries().iCursor, 3);  // no hit: the cursor stays
  EXPECT_EQ(L().Entries().zFindName, "NOTHING");
  // One shown entry: no sort; the cursor is 1 when a name is pending, else 0.
  Table({Record("only", 1)});
  L().Entries().zFindName = "x";
  Sorted("F", true);
  EXPECT_EQ(L().Entries().iCursor, 1);
  L().Entries().zFindName.clear();
  Sorted("F", true);
  EXPECT_EQ(L().Entries().iCursor, 0);
}

TEST_F(DirTest, FiltersMarkRecords) {
  Table({Record("a.txt", 10, kAttrArchive, FileTime(2024, 1, 1, 0, 0, 0)),
         Record("b.doc", 5000, kAttrArchive, FileTime(2024, 6, 1, 0, 0, 0)), Record("Sub", 0, kAttrDirectory),
         Record("_V240101.VX0001DD.c.txt", 10, kAttrArchive, FileTime(2024, 1, 1, 0, 0, 0))});
  L().Entries().zNameFilter = "*.TXT";
  L().Entries().MarkIgnore();
  EXPECT_EQ(Order(), "Sub a.txt _V240101.VX0001DD.c.txt");
  L().Entries().zNameFilter = "C.*";  // the source name inside a temporary name matches
  L().Entries().MarkIgnore();
  EXPECT_EQ(Order(), "Sub _V240101.VX0001DD.c.txt");
  L().Entries().zNameFilter.clear();
  L().Entries().nSizeMin = 100;
  L().Entries().nSizeMax = 2147483647;
  L().Entries().MarkIgnore();
  EXPECT_EQ(Order(), "Sub b.doc");
  L().Entries().nSizeMin = L().Entries().nSizeMax = 0;
  L().Entries().zDateFrom = "20240301";
  L().Entries().MarkIgnore();
  EXPECT_EQ(Order(), "Sub b.doc");  // the date bounds apply to directories too
}

TEST_F(DirTest, PageStartForTheCursor) {
  L().Entries().iFirstZDir = 0;
  L().nPageLines = 20;
  L().nPerPage = 60;
  EXPECT_EQ(L().Entries().iFindUl(65), 20);
  EXPECT_EQ(L().Entries().iFindUl(59), 0);
  L().nPageLines = 0;
  L().nPerPage = 0;
  EXPECT_EQ(L().Entries().iFindUl(65), 0);
  L().nPageLines = -1;
  EXPECT_EQ(L().Entries().iFindUl(65), -1);
}

TEST_F(DirTest, ListingFileNames) {
  std::string win = "C:" + dir_;
  for (char& c : win)
    if (c == '/') c = '\\';
  win += "\\";
  L().Dir().GetDir(win);
  L().zCurDir = win;
  EXPECT_TRUE(L().Dir().bDirectoryList());
  EXPECT_EQ(::access((dir_ + "/$$Tembra_Directory.txt").c_str(), F_OK), 0);
  L().Dir().zListFileName = "mine.lst";  // relative to the listed folder
  EXPECT_TRUE(L().Dir().bDirectoryList());
  EXPECT_EQ(::access((dir_ + "/mine.lst").c_str(), F_OK), 0);
  L().Dir().zListFileName = win + "abs.lst";  // a full name is used as it is
  EXPECT_TRUE(L().Dir().bDirectoryList());
  EXPECT_EQ(::access((dir_ + "/abs.lst").c_str(), F_OK), 0);
  // A file that cannot be written is reported on the next page, not passed over.
  L().Dir().zListFileName = win + "no\\such\\folder.lst";
  L().bRescan = false;
  EXPECT_FALSE(L().Dir().bDirectoryList());
  EXPECT_EQ(L().zMessageLine.rfind("VX1030 - Directory list not written: ", 0), 0u);
  EXPECT_TRUE(L().bRescan);
}

TEST_F(DirTest, ListingAndDumpFilesNeverFollowALinkNorWaitForAFifo) {
  std::string win = "C:" + dir_;
  for (char& c : win)
    if (c == '/') c = '\\';
  win += "\\";
  L().zCurDir = win;
  L().Dir().GetDir(win);
  ASSERT_EQ(::mkdir((dir_ + "/other").c_str(), 0755), 0);
  { std::ofstream(dir_ + "/other/victim.txt") << "keep"; }
  auto victim = [&] {
    std::ifstream in(dir_ + "/other/victim.txt");
    std::string text;
    std::getline(in, text);
    return text;
  };
  ASSERT_EQ(::symlink("other/victim.txt", (dir_ + "/$$Tembra_Directory.txt").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir_ + "/fifo.lst").c_str(), 0644), 0);
  for (const std::string& name : {std::string(), std::string("fifo.lst")}) {
    L().Dir().zListFileName = name;
    EXPECT_FALSE(L().Dir().bDirectoryList()) << name;
    EXPECT_EQ(L().zMessageLine, "VX1030 - Directory list not written: " + win +
                                    (name.empty() ? "$$Tembra_Directory.txt" : name) + " - It is not a regular file.");
  }
  EXPECT_EQ(victim(), "keep");
  // Ctrl+F says so on the page it draws after the rescan.
  L().Dir().zListFileName.clear();
  ASSERT_TRUE(f.Key("f ctrl"));
  EXPECT_EQ(f.Message().rfind("VX1030 - Directory list not written: ", 0), 0u);
  // An existing listing file is replaced, its own permissions kept.
  ASSERT_EQ(::unlink((dir_ + "/$$Tembra_Directory.txt").c_str()), 0);
  { std::ofstream(dir_ + "/$$Tembra_Directory.txt") << "old listing"; }
  ::chmod((dir_ + "/$$Tembra_Directory.txt").c_str(), 0640);
  L().Dir().zListFileName.clear();
  EXPECT_TRUE(L().Dir().bDirectoryList());
  struct stat st;
  ASSERT_EQ(::lstat((dir_ + "/$$Tembra_Directory.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_GT(st.st_size, 11);
  // A read-only one is refused, also for root, and kept as it was.
  { std::ofstream(dir_ + "/ro.lst") << "read-only"; }
  ::chmod((dir_ + "/ro.lst").c_str(), 0444);
  L().Dir().zListFileName = "ro.lst";
  EXPECT_FALSE(L().Dir().bDirectoryList());
  EXPECT_EQ(L().zMessageLine, "VX1030 - Directory list not written: " + win + "ro.lst - Permission denied.");
  std::stringstream kept;
  kept << std::ifstream(dir_ + "/ro.lst").rdbuf();
  EXPECT_EQ(kept.str(), "read-only");

  // The debug dump: the same care, and the failure is said.
  ASSERT_EQ(::symlink("other/victim.txt", (dir_ + "/000TEST.TXT").c_str()), 0);
  L().bDumpDir = true;
  L().zDumpFolder = win + "none\\";
  L().Entries().DumpDir("000TEST.TXT");
  EXPECT_EQ(victim(), "keep");
  std::string said = "VX1030 - Dump file not written: " + win + "000TEST.TXT - It is not a regular file.";
  EXPECT_EQ(said.rfind(RTrim(f.Message()), 0), 0u);  // cut at the edge
  { std::ofstream(dir_ + "/000RO.TXT") << "read-only"; }
  ::chmod((dir_ + "/000RO.TXT").c_str(), 0444);
  L().Entries().DumpDir("000RO.TXT");
  said = "VX1030 - Dump file not written: " + win + "000RO.TXT - Permission denied.";
  EXPECT_EQ(said.rfind(RTrim(f.Message()), 0), 0u);
}

TEST_F(DirTest, NameOrderOfNamesSharingTheirFirstSixteenBytes) {
  // Names that differ first at byte 8 to 18, and names that end there.
  std::vector<std::string> recs;
  for (const char* n : {"longname-abcdefgh2", "longname-abcdefgh", "longname-abcdefg", "longname-abcdefgi", "longname-",
                        "longname", "longname-abcdefgh10", "longnamf", "longname-abcdefgh-"})
    recs.push_back(Record(n, 1));
  Table(recs);
  L().Entries().SORT1ST();
  std::string order;
  for (int32_t i = 1; i <= L().Entries().nZDir; ++i) order += (i > 1 ? " " : "") + ZdNameStored(L().Entries().Record(i));
  EXPECT_EQ(order,
            "longname longname- longname-abcdefg longname-abcdefgh longname-abcdefgh- longname-abcdefgh10 "
            "longname-abcdefgh2 longname-abcdefgi longnamf");
}

TEST_F(DirTest, StampsOfOneSecondKeepTheirOwnHundredths) {
  // Entries sharing a second, and the next second, each with their own hundredths.
  const std::pair<const char*, long> files[] = {{"a", 567000000}, {"b", 123000000}, {"c", -1}};
  for (auto [name, nsec] : files) {
    std::string p = dir_ + "/" + name;
    std::ofstream(p) << "x";
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = nsec < 0 ? 1709647629 : 1709647628;  // 2024-03-05 14:07:08 UTC
    ts[0].tv_nsec = ts[1].tv_nsec = nsec < 0 ? 1000000 : nsec;
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), ts, 0), 0);
  }
  std::string win = "C:" + dir_ + "\\";
  for (char& c : win)
    if (c == '/') c = '\\';
  L().Dir().GetDir(win);
  ASSERT_EQ(L().Entries().nZDir, 3);
  std::string stamps;
  for (int32_t i = 1; i <= 3; ++i) stamps += L().Entries().Record(i).substr(kZdWriteTime - 1, 16) + " ";
  EXPECT_EQ(stamps, "2024030514070856 2024030514070812 2024030514070900 ");
}

// The sort prompt's orders over entries of chosen sizes and times, on the file system in
// memory: the letters typed after "s" and the names in page order. Two files share a size
// and two a time (to the second): the name decides between them, in the order's direction.
TEST(DirSorting, ByNameExtensionDateAndSizeInMemory) {
  memory::MemoryFileSystem files;
  const struct {
    const char* name;
    size_t size;
    uint64_t time;
  } entries[] = {{"b.txt", 300, FileTime(2024, 1, 3, 12, 0, 0)},  {"a.zip", 20, FileTime(2024, 1, 5, 12, 0, 0)},
                 {"c.doc", 1000, FileTime(2024, 1, 3, 12, 0, 1)}, {"d", 300, FileTime(2024, 1, 3, 12, 0, 0)},
                 {"e.txt", 299, FileTime(2023, 12, 31, 23, 59, 59)}};
  for (const auto& e : entries)
    ASSERT_TRUE(files.PutFile(std::string("C:\\w\\") + e.name, std::string(e.size, 'x'), e.time));
  ASSERT_TRUE(files.PutFolder("C:\\w\\Sub"));
  headless::Options o;
  o.cwd = "C:\\w";
  tembra::testing::SessionFixture f(files, o);
  ASSERT_TRUE(f.Start());
  const struct {
    const char* keys;
    const char* order;
  } cases[] = {
      {"F", "Sub a.zip b.txt c.doc d e.txt"},  {"-F", "Sub e.txt d c.doc b.txt a.zip"},
      {"E", "Sub d c.doc b.txt e.txt a.zip"},  {"-E", "Sub a.zip e.txt b.txt c.doc d"},
      {"D", "Sub e.txt b.txt d c.doc a.zip"},  {"-D", "Sub a.zip c.doc d b.txt e.txt"},
      {"S", "Sub a.zip e.txt b.txt d c.doc"},  {"-S", "Sub c.doc d b.txt e.txt a.zip"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(f.Type("s") && f.Type(c.keys));
    std::string order;
    for (int32_t pos = 1; pos <= f.L().Entries().nSZDir; ++pos)
      order += (pos > 1 ? " " : "") + ZdNameStored(f.L().Entries().RecordAt(pos));
    EXPECT_EQ(order, c.order) << c.keys;
  }
}
