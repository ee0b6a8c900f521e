#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "../../../fuzz/record_splitter.h"
#include "viewer/record_store.h"
#include "viewer_fixture.h"
#include "test.h"

using namespace tembra;
using tembra::testing::Field;
using tembra::testing::ViewerTest;

TEST_F(ViewerTest, CrLfBetweenTwoRecords) {
  View("a.txt", "A\r\nB");
  EXPECT_TRUE(L().View().bAllIndexed);
  ASSERT_EQ(L().View().nRecCount, 2);
  EXPECT_EQ(L().View().FindRecAddr(1), 1);
  EXPECT_EQ(Flags(1), 2);
  EXPECT_EQ(L().View().FindRecAddr(2), 4);
  EXPECT_EQ(Flags(2), 0);
  EXPECT_EQ(Rec(1), "A");
  EXPECT_EQ(Rec(2), "B");
  EXPECT_EQ(Rec(3), "<none>");
  EXPECT_EQ(L().nYieldCount, 0);
}

TEST_F(ViewerTest, LineEndsAtTheEndAndInBetween) {
  View("a.txt", "one\r\n");
  EXPECT_EQ(L().View().nRecCount, 1);
  View("b.txt", "\r\n\r\n");
  EXPECT_EQ(L().View().nRecCount, 2);
  EXPECT_EQ(Len(1), 0);
  EXPECT_EQ(Len(2), 0);
  // LF CR is two line ends with an empty record between; a lone CR ends a record too.
  View("c.txt", "a\n\rb\rc");
  ASSERT_EQ(L().View().nRecCount, 4);
  EXPECT_EQ(Rec(1), "a");
  EXPECT_EQ(Rec(2), "");
  EXPECT_EQ(Rec(3), "b");
  EXPECT_EQ(Rec(4), "c");
  EXPECT_EQ(Flags(2), 1);
  // A NUL is record text.
  View("d.txt", std::string("x\0y\n", 4));
  EXPECT_EQ(L().View().nRecCount, 1);
  EXPECT_EQ(Len(1), 3);
}

TEST_F(ViewerTest, LongLinesAreCutAtTheMaximumLength) {
  View("a.txt", std::string(4096, 'x') + "\n" + std::string(4095, 'y'));
  ASSERT_EQ(L().View().nRecCount, 3);
  EXPECT_EQ(Len(1), 4095);
  EXPECT_EQ(Flags(1), 0);
  EXPECT_EQ(Len(2), 1);
  EXPECT_EQ(Flags(2), 1);
  EXPECT_EQ(Len(3), 4095);
  EXPECT_EQ(L().View().nLongestRec, 4095);
  L().View().nMaxRecLen = 64;
  View("b.txt", std::string(130, 'z'));
  ASSERT_EQ(L().View().nRecCount, 3);
  EXPECT_EQ(Len(1), 64);
  EXPECT_EQ(Len(2), 64);
  EXPECT_EQ(Len(3), 2);
}

TEST_F(ViewerTest, CrLfSplitAcrossTheSegmentBoundary) {
  // CR is byte 262,143 (the last one scanned), LF byte 262,144.
  std::string data(262142, 'a');
  data += "\r\n";
  data += "next line\nlast";
  View("a.txt", data);
  EXPECT_FALSE(L().View().bAllIndexed);
  ASSERT_EQ(L().View().nRecCount, 65);  // 64 pieces of 4095 and the rest before the CR
  EXPECT_EQ(Flags(65), 2);
  EXPECT_EQ(Len(65), 262142 - 64 * 4095);
  EXPECT_EQ(Rec(66), "next line");
  EXPECT_EQ(L().View().FindRecAddr(66), 262145);
  EXPECT_EQ(Rec(67), "last");
  EXPECT_TRUE(L().View().bAllIndexed);
  EXPECT_EQ(L().View().nRecCount, 67);
}

TEST_F(ViewerTest, UnterminatedTailIsReadAgainWithTheNextSegment) {
  std::string data;
  for (int i = 0; data.size() < 600000; ++i) data += "line " + std::to_string(i) + "\n";
  View("a.txt", data);
  L().View().IndexWholeFile();
  // Every record is found again from the checkpoints, forwards and backwards.
  std::istringstream in(data);
  std::string line;
  int32_t n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (n % 997 == 0 || n < 40) {
      EXPECT_EQ(Rec(n), line) << n;
    }
  }
  EXPECT_EQ(L().View().nRecCount, n);
  EXPECT_EQ(Rec(n), "line " + std::to_string(n - 1));
  for (int32_t r = n; r > n - 20000; --r) ASSERT_EQ(Rec(r), "line " + std::to_string(r - 1)) << r;
}

TEST_F(ViewerTest, CheckpointsAndTheLookupCache) {
  std::string data;
  for (int i = 1; i <= 40; ++i) data += std::string(static_cast<size_t>(i), 'a' + i % 26) + (i % 2 ? "\r\n" : "\n");
  View("a.txt", data);
  auto addrOf = [&](int n) {
    int64_t a = 1;
    for (int i = 1; i < n; ++i) a += i + (i % 2 ? 2 : 1);
    return a;
  };
  EXPECT_EQ(L().View().RecAddrs[0], 0u);
  EXPECT_EQ(L().View().RecLens[0], 4096);
  EXPECT_EQ(L().View().RecAddrs[1], addrOf(16));
  EXPECT_EQ(L().View().RecAddrs[2], addrOf(32));
  L().View().LookupStats = {};
  // Record 17 from checkpoint 1 plus one step; record 15 from checkpoint 0 plus 15 steps.
  EXPECT_EQ(L().View().FindRecAddr(17), addrOf(17));
  EXPECT_EQ(L().View().FindRecAddr(15), addrOf(15));
  EXPECT_EQ(L().View().LookupStats[3], 2u);
  // Next, previous (subtracting that record's own length and line end) and same.
  EXPECT_EQ(L().View().FindRecAddr(16), addrOf(16));
  EXPECT_EQ(L().View().FindRecAddr(15), addrOf(15));
  EXPECT_EQ(L().View().FindRecAddr(15), addrOf(15));
  EXPECT_EQ(L().View().LookupStats[0], 1);
  EXPECT_EQ(L().View().LookupStats[1], 1);
  EXPECT_EQ(L().View().LookupStats[2], 1);
  EXPECT_EQ(L().View().AddrCache.len, 15);
  EXPECT_EQ(L().View().AddrCache.count, 2);
  // Records stored one at a time after a segment's (a source's unended last line): the
  // checkpoint of record 48 among them.
  for (int i = 41; i <= 48; ++i) L().View().StoreRecordPointers(addrOf(i), i, i % 2 ? 2 : 1);
  EXPECT_EQ(L().View().RecAddrs[3], addrOf(48));
  L().View().AddrCache.rec = -1;
  EXPECT_EQ(L().View().FindRecAddr(48), addrOf(48));
}

TEST_F(ViewerTest, TablesGrowInBlocks) {
  std::string data(40000, '\n');
  View("a.txt", data);
  EXPECT_EQ(L().View().nRecCount, 40000);
  EXPECT_EQ(L().View().RecLens.Max(), 65535);  // 16,383, then 32,767, then 65,535
  EXPECT_EQ(L().View().RecAddrs.Max(), 4095);  // 2,500 checkpoints: 1,023, 2,047, then 4,095
  EXPECT_EQ(L().View().FindRecAddr(39999), 39999);
}

TEST_F(ViewerTest, TablesThatCannotGrowEndTheIndexWithAMessage) {
  std::string data;
  for (int i = 1; i <= 1000000; ++i) data += std::to_string(i) + "\n";
  for (int c = 0; c < 4; ++c) {
    L().View().piGrepLines.set = c % 2 == 1;
    L().View().nAheadMinRest = c < 2 ? INT64_MAX : 0;  // one thread, then two
    L().View().RecLens.Limit(600000);
    View("m.txt", data);
    L().View().IndexWholeFile();
    const int32_t n = L().View().nRecCount;
    ASSERT_GT(n, 200000) << c;
    ASSERT_LT(n, 600000) << c;
    EXPECT_TRUE(L().View().bAllIndexed);
    EXPECT_EQ(L().zMessageLine, "VX1027 - Not enough memory: only the first " + Format(n, "#,###,###,##0") +
                                    " lines are indexed");
    for (int32_t r : {n, n / 2 + 7, 1}) {
      L().View().AddrCache.rec = -1;
      EXPECT_EQ(Rec(r), std::to_string(r)) << c;
    }
    L().View().RecLens.Limit(INT64_MAX);
  }
}

TEST_F(ViewerTest, CtrlZTailIsNoRecord) {
  View("a.txt", "text\r\n\x1a\x1a");
  EXPECT_EQ(L().View().nRecCount, 2);
  EXPECT_TRUE(L().View().bCheckForRec(1));
  EXPECT_FALSE(L().View().bCheckForRec(2));
  EXPECT_FALSE(L().View().bCheckForRec(3));
  View("b.txt", "text\r\n\x1a\x1a\r\n");
  EXPECT_TRUE(L().View().bCheckForRec(2));  // it has a line end
  View("c.txt", "text\r\n\x1az");
  EXPECT_TRUE(L().View().bCheckForRec(2));
}

TEST_F(ViewerTest, RecordEndingPastTheBufferIsReloaded) {
  // Record 2 starts 10 bytes before the end of the first segment's valid bytes.
  std::string data(262134, 'a');
  data += "\n";
  data += std::string(100, 'b') + "\n";
  View("a.txt", data);
  L().View().IndexWholeFile();
  L().View().GetZCurRec(1);
  int32_t n = 262134 / 4095 + 1;
  ASSERT_EQ(Rec(n + 1), std::string(100, 'b'));
  EXPECT_EQ(L().View().nSegStart, L().View().FindRecAddr(n + 1));
  // Going back loads a segment that ends just after the record.
  EXPECT_EQ(Rec(1), std::string(4095, 'a'));
  EXPECT_EQ(L().View().nSegStart, 1);
}

TEST_F(ViewerTest, FileThatShrinksWhileViewedShowsOnlyItsBytes) {
  std::string data;
  for (int i = 0; data.size() < 700000; ++i) data += "row " + std::to_string(i) + "\n";
  View("a.txt", data);
  ASSERT_FALSE(L().View().bAllIndexed);
  std::filesystem::resize_file(HostPath("a.txt"), 300000);
  L().View().IndexWholeFile();
  EXPECT_TRUE(L().View().bAllIndexed);
  EXPECT_EQ(L().View().nFileSize, 300000);
  int64_t last = L().View().FindRecAddr(L().View().nRecCount);
  EXPECT_LE(last + Len(L().View().nRecCount) - 1, 300000);
  // Records indexed before the cut that lie beyond it are now empty.
  std::filesystem::resize_file(HostPath("a.txt"), 1000);
  EXPECT_EQ(Rec(1), "row 0");
  std::string r = Rec(L().View().nRecCount);
  EXPECT_EQ(r, "");
  EXPECT_LE(L().View().nFileSize, 300000);
  // The file vanishes altogether: still no crash, nothing shown.
  std::filesystem::remove(HostPath("a.txt"));
  EXPECT_EQ(Rec(2), "row 1");  // an open file stays readable on this system
}

TEST_F(ViewerTest, FileThatGrowsIsViewedAtItsOpeningLength) {
  View("a.txt", "one\ntwo\n");
  {
    std::ofstream f(HostPath("a.txt"), std::ios::app | std::ios::binary);
    f << "three\n";
  }
  EXPECT_FALSE(L().View().bCheckForRec(3));
  EXPECT_EQ(L().View().nRecCount, 2);
}

TEST_F(ViewerTest, LookupsCountedForTheDebugCheck) {
  L().View().LookupStats = {0, 0, 0, 0};
  EXPECT_FALSE(L().DebugLookupsWereRandom());
  L().View().LookupStats = {1000, 1000, 0, 8009};
  EXPECT_TRUE(L().DebugLookupsWereRandom());
  L().View().LookupStats = {1000, 1000, 1, 2008};
  EXPECT_FALSE(L().DebugLookupsWereRandom());
}

TEST_F(ViewerTest, IndexMatchesTheRecordRulesOnRandomFiles) {
  std::mt19937 rng(42);
  // Each round with every store loop the processor runs: the wide one takes sixteen
  // records at a time and leaves a group with a cut or a long line to the others.
  struct WidestAfter {
    ~WidestAfter() { UseStoreLoop(StoreLoop::kWidest); }
  } widestAfter;
  for (int pass = 0; pass < 21; ++pass) {
    const int round = pass / 3;
    UseStoreLoop(static_cast<StoreLoop>(pass % 3));
    std::string d;
    size_t size = 300000 + rng() % 500000;
    const char* alphabet = round % 2 ? "ab\r\n" : "abcdefghij\r\n\t";
    size_t na = std::strlen(alphabet);
    // Short lines around lines of the longest length, one byte shorter or longer, and
    // lines of 4,095 to 4,097 bytes, at every place in a group of sixteen; runs of empty
    // lines, up to 64 ends in 64 bytes.
    for (size_t k = 0; round == 6 && d.size() < size; ++k) {
      const size_t lens[] = {k % 13, 99, 100, 101, k % 5, 4095, 4096, 4097};
      d += std::string(lens[k % 7 == 0 ? 1 + k / 7 % 7 : 0], 'q') + (k % 3 ? "\n" : "\r\n");
      if (k % 50 == 0) d += std::string(k % 193, '\n');
    }
    while (d.size() < size) {
      // Runs of text of varied length, some longer than the maximum record.
      size_t run = (rng() % 8 == 0) ? rng() % 6000 : rng() % 40;
      for (size_t k = 0; k < run; ++k) d += alphabet[rng() % (na - 2)];
      d += alphabet[na - 2 + rng() % 2];
    }
    if (round == 2) d[262142] = '\r', d[262143] = '\n';
    // CR LF split across a segment's end: the last byte of one, the first of the next.
    if (round == 3) d[262143] = '\r', d[262144] = '\n';
    // ... and across the stretches in which line ends are listed before they are stored.
    if (round >= 4) d[2047] = '\r', d[2048] = '\n', d[4095] = '\r';
    int32_t maxRec = round < 3 ? 4095 : round == 6 ? 100 : static_cast<int32_t>(64 + rng() % 4000);
    // Records, and lines as grep counts them, each against its own splitter.
    for (bool lines : {false, true}) {
      L().View().nMaxRecLen = maxRec;
      L().View().piGrepLines.set = lines;
      View("r" + std::to_string(round) + ".txt", d);
      L().View().IndexWholeFile();
      std::vector<recordcheck::SplitRecord> ref = lines ? recordcheck::SplitLines(d) : recordcheck::SplitRecords(d, maxRec);
      ASSERT_EQ(L().View().nRecCount, static_cast<int32_t>(ref.size())) << round;
      for (int32_t n = 1; n <= L().View().nRecCount; ++n) {
        ASSERT_EQ(L().View().FindRecAddr(n), ref[n - 1].addr) << round << " " << n;
        ASSERT_EQ(L().View().RecLen(n), ref[n - 1].len) << round << " " << n;
        ASSERT_EQ(L().View().RecEnds(n), ref[n - 1].ends) << round << " " << n;
        if (!lines) {
          ASSERT_EQ(Flags(n), ref[n - 1].ends);
        }
      }
      // Every line's bytes, however long, from the file.
      for (int32_t n = 1; lines && n <= L().View().nRecCount; n += 97) {
        ASSERT_EQ(Rec(n), d.substr(ref[n - 1].addr - 1, ref[n - 1].len));
      }
    }
  }
}

namespace {
int32_t EntryOf(Lister& L, const std::string& upperName) {
  for (int32_t i = 1; i <= L.Entries().nZDir; ++i) {
    const std::string& rec = L.Entries().Record(i);
    int32_t n = static_cast<int32_t>(Val(Field(rec, kZdNameLen)));
    if (Field(rec, kZdName, n) == upperName) return i;
  }
  return -1;
}
}  // namespace

TEST_F(ViewerTest, OpeningByEntryAndReopening) {
  Write("Mixed.txt", "abc\r\ndef\r\n");
  L().Dir().GetDir(L().zCurDir);
  int32_t i = EntryOf(L(), "MIXED.TXT");
  ASSERT_GT(i, 0);
  L().View().ListAFile(i);
  EXPECT_EQ(L().zCurFile, L().zCurDir + "MIXED.TXT");
  EXPECT_EQ(L().View().zReopenFile, L().zCurFile);
  EXPECT_EQ(L().View().nFileSize, 10);
  EXPECT_EQ(L().zDisplayMode, "LIST");
  EXPECT_EQ(L().View().nRecCount, 2);
  EXPECT_EQ(Row(2).substr(0, 3), "abc");
  L().View().LeaveFileView();
  L().View().ListAFile(-47);
  EXPECT_EQ(L().OpenCount, 1);
  EXPECT_TRUE(L().View().zReopenFile.empty());
  L().View().LeaveFileView();
  // A file that vanished is reported and the directory page stays.
  L().View().zReopenFile = L().zCurFile;
  std::filesystem::remove(HostPath("Mixed.txt"));
  L().View().ListAFile(-47);
  EXPECT_NE(Transcript().find("text=\"VX1023 - File has been deleted\""), std::string::npos);
  EXPECT_EQ(L().zDisplayMode, "DIR");
  EXPECT_EQ(L().OpenCount, 0);
}

TEST_F(ViewerTest, LongScansPumpEventsEvery50MB) {
  View("a.txt", "x\n");
  L().nYieldCount = 1;
  for (int k = 0; k < 190; ++k) L().View().GetFdbin(1);
  EXPECT_EQ(L().nYieldCount, 1 + 190 * 262144);
  L().View().GetFdbin(1);
  EXPECT_EQ(L().nYieldCount, 1);  // past 50,000,000: pumped once and started again
  L().nYieldCount = 0;
  L().View().GetFdbin(1);
  EXPECT_EQ(L().nYieldCount, 0);
}

TEST_F(ViewerTest, LongScansShowTheirProgressEveryHalfSecond) {
  // The fixed clock moves only when told: the progress is due half a second after the
  // scan began and after it last showed, not a millisecond before.
  std::string data;
  while (data.size() < 800000) data += "0123456789abcdefghi\n";  // 40,000 lines of 20 bytes
  View("a.txt", data);
  auto message = [&] { return Row(25).substr(0, Row(25).find_last_not_of(' ') + 1); };
  L().nYieldCount = 1;
  L().View().GetFdbin(1);
  for (int step : {499, 1}) {
    EXPECT_EQ(message().find("VX1048"), std::string::npos);
    f.session->clock().Advance(step);
    L().View().GetFdbin(262145);
  }
  EXPECT_EQ(message(), "VX1048 - Reading line 13,107, byte 262,144 of 800,000 (32%) - Esc stops");
  EXPECT_EQ(L().nYieldCount, 1);  // events ran
  f.session->clock().Advance(499);
  L().View().GetFdbin(524289);
  EXPECT_EQ(message(), "VX1048 - Reading line 13,107, byte 262,144 of 800,000 (32%) - Esc stops");
  L().nYieldCount = 0;
  // Stopped after a segment of 4,203 bytes (600 lines of 7 and 3 bytes): the bytes said
  // are those scanned as grep counts lines, those of the whole records in records.
  for (const bool lines : {false, true}) {
    Begin(80, 25);
    L().View().piGrepLines.set = lines;
    L().View().nSegBytes = 4203;
    std::string seven;
    for (int i = 0; i < 1000; ++i) seven += "abcdef\n";
    View("s.txt", seven);
    L().bScanStopped = true;
    EXPECT_FALSE(L().View().ScanGoesOn());
    EXPECT_EQ(message(), lines ? "VX1047 - Stopped at line 600, byte 4,203 of 7,000 (60%)"
                               : "VX1047 - Stopped at line 600, byte 4,200 of 7,000 (60%)");
  }
}

TEST_F(ViewerTest, DisplayReadOfTheLastSegmentLeavesTheIndexOpen) {
  // 10,000 lines of 80 bytes: the first three segments index about 9,830 of them.
  std::string data;
  char line[81];
  for (int i = 1; i <= 10000; ++i) {
    std::snprintf(line, sizeof line, "%079d\n", i);
    data += line;
  }
  View("a.txt", data);
  ASSERT_EQ(Rec(9800), data.substr(9799 * 80, 79));
  ASSERT_LT(L().View().nRecCount, 9900);
  // Back to the top, then a record whose bytes lie past the buffer: its segment is the
  // file's last one, read only for the display.
  Rec(1);
  EXPECT_EQ(Rec(L().View().nRecCount).size(), 79u);
  EXPECT_FALSE(L().View().bAllIndexed);
  EXPECT_EQ(Rec(10000), data.substr(9999 * 80, 79));
  L().View().IndexWholeFile();
  EXPECT_EQ(L().View().nRecCount, 10000);
}

TEST_F(ViewerTest, SizesAboveTheLongestViewedLengthAreCapped) {
  // Sparse files around the cap of 2,147,221,504 bytes and at 2 GiB; with any size
  // (FILESIZE ANY, the Linux default) the whole file.
  const std::pair<int64_t, int64_t> cases[] = {
      {2147221503, 2147221503}, {2147221504, 2147221504}, {2147221505, 2147221504}, {2147483648, 2147221504}};
  for (bool any : {false, true}) {
    for (auto [size, viewed] : cases) {
      L().View().piAnySize.set = any;
      Write("big.bin", "");
      std::filesystem::resize_file(HostPath("big.bin"), static_cast<uintmax_t>(size));
      L().Dir().GetDir(L().zCurDir);
      int32_t i = EntryOf(L(), "BIG.BIN");
      ASSERT_GT(i, 0);
      L().View().ListAFile(i);
      EXPECT_EQ(L().View().nFileSize, any ? size : viewed) << size;
      // Capped, it says so once, on the message line.
      EXPECT_EQ(Row(25).find("VX0033 - Viewing the first 2,147,221,504 bytes of "), size > viewed && !any ? 0 : std::string::npos);
      L().View().LeaveFileView();
    }
  }
}

TEST_F(ViewerTest, FilesBeyond4GiBAreIndexedWhole) {
  // Sparse: a first line, a hole of NULs ended by an LF just before 4 GiB + 10, then two
  // lines past 4 GiB.
  const int64_t at = (int64_t{1} << 32) + 10;  // 0-based offset of "a"
  Write("huge.bin", "first\n");
  std::filesystem::resize_file(HostPath("huge.bin"), static_cast<uintmax_t>(at - 1));
  {
    std::ofstream f(HostPath("huge.bin"), std::ios::binary | std::ios::app);
    f << "\na\r\nbb\n";
  }
  const int64_t hole = at - 1 - 6;  // NULs of line 2
  for (bool lines : {false, true}) {
    L().View().piAnySize.set = true;
    L().View().piGrepLines.set = lines;
    L().Dir().GetDir(L().zCurDir);
    L().View().ListAFile(EntryOf(L(), "HUGE.BIN"));
    ASSERT_EQ(L().View().nFileSize, at + 6);
    L().View().IndexWholeFile();
    // Records: the hole in pieces of 4,095 bytes; lines: one line of more than 4 GiB.
    const int32_t holeRecs = lines ? 1 : static_cast<int32_t>((hole + 4094) / 4095);
    ASSERT_EQ(L().View().nRecCount, 1 + holeRecs + 2);
    if (lines) {
      EXPECT_EQ(L().View().RecLen(2), hole);
    }
    L().View().AddrCache.rec = -1;  // from the checkpoints, not the cache
    EXPECT_EQ(L().View().FindRecAddr(L().View().nRecCount), at + 4);
    EXPECT_EQ(Rec(L().View().nRecCount - 1), "a");
    EXPECT_EQ(Rec(L().View().nRecCount), "bb");
    // Every checkpoint past 4 GiB is read back whole.
    for (int32_t n = (L().View().nRecCount - 2) / 16 * 16; n > 0 && !lines; n -= 16 * 997) {
      L().View().AddrCache.rec = -1;
      ASSERT_EQ(L().View().FindRecAddr(n), 7 + int64_t{n - 2} * 4095) << n;
    }
    // The hex view: offsets of nine digits, and a jump beyond 32 bits.
    ASSERT_TRUE(f.Key("H alt"));
    f.Input("x100000000");
    ASSERT_TRUE(f.Type("#"));
    EXPECT_EQ(L().View().nHexTop, int64_t{1} << 32);
    EXPECT_EQ(Row(2).substr(0, 11), "100000000  ");
    EXPECT_EQ(Row(2).substr(31, 2), "0A");  // the LF at offset 4 GiB + 9
    ASSERT_TRUE(f.Key("H alt"));
    L().View().LeaveFileView();
  }
  // Offsets of 8 digits up to a file of exactly 4 GiB, of 9 from one byte more.
  for (const int64_t size : {int64_t{1} << 32, (int64_t{1} << 32) + 1}) {
    std::filesystem::resize_file(HostPath("huge.bin"), static_cast<uintmax_t>(size));
    L().Dir().GetDir(L().zCurDir);
    L().View().ListAFile(EntryOf(L(), "HUGE.BIN"));
    L().View().ALT_H_LST();
    L().ShowPage();
    EXPECT_EQ(Row(2).substr(0, 10), size > int64_t{1} << 32 ? "000000000 " : "00000000  ") << size;
    L().View().ALT_H_LST();
    L().View().LeaveFileView();
  }
}

namespace {
// The whole index after indexing the whole file: entries, checkpoints and counters.
struct IndexCopy {
  std::vector<uint16_t> lens;
  std::vector<uint32_t> addrs;
  int64_t lensMax, addrsMax, last;
  int32_t longest, nextCheckpoint;
  bool operator==(const IndexCopy&) const = default;
};
IndexCopy CopyIndex(Lister& l) {
  IndexCopy c{{}, {}, l.View().RecLens.Max(), l.View().RecAddrs.Max(), l.View().nLastRecPointer, l.View().nLongestRec, l.View().nNextCheckpoint};
  for (int32_t n = 0; n <= l.View().nRecCount; ++n) c.lens.push_back(l.View().RecLens[n]);
  for (int32_t k = 0; k <= l.View().nRecCount / 16; ++k) c.addrs.push_back(l.View().RecAddrs[k]);
  return c;
}
}  // namespace

TEST_F(ViewerTest, IndexAheadEqualsTheOneThreadIndex) {
  // Pieces of 97 or 128 bytes on segments of 300 to 360 bytes. The first segment, indexed
  // on opening, is the same in every file of one segment size, so the pieces lie still
  // while a growing gap moves CR LF pairs, lone CRs, LF CR, records of exactly the
  // maximum length and one byte longer across every piece and segment boundary. The
  // file ends in a Ctrl-Z record.
  std::string head;
  for (int i = 0; head.size() < 400; ++i) head += "head line " + std::to_string(i) + "\n";
  std::string body;
  for (int k = 0; k < 12; ++k) {
    body += "ab\r\nc\rd\n" + std::string(64, 'x') + "\r\n" + std::string(65, 'y') + "\n";
    body += std::string(200, 'z') + "\n\r" + std::string(64, 'w') + "\r" + std::string(k, 'v') + "\n";
  }
  int64_t pieces = 0, jumpPieces = 0;
  for (int gap = 0; gap < 2 * 128; ++gap) {
    const std::string data = head + std::string(static_cast<size_t>(gap), 'g') + "\n" + body + "\x1a";
    auto indexed = [&](bool ahead) {
      L().View().nMaxRecLen = 64;
      L().View().nSegBytes = 300 + gap % 61;
      L().View().nPieceBytes = gap % 2 == 0 ? 97 : 128;
      L().View().nAheadMinRest = ahead ? 0 : INT64_MAX;
      L().View().nAheadPieces = 0;
      View("p.txt", data);
      if (ahead) {
        // A jump far ahead first: most of the way goes on two threads too.
        L().View().nTopRec = static_cast<int32_t>(data.size() / 20);
        L().View().LOADEMUP();
        jumpPieces += L().View().nAheadPieces;
      }
      L().View().IndexWholeFile();
      pieces += L().View().nAheadPieces;
      return CopyIndex(L());
    };
    const IndexCopy one = indexed(false), two = indexed(true);
    ASSERT_TRUE(one == two) << gap;
    const std::vector<recordcheck::SplitRecord> ref = recordcheck::SplitRecords(data, 64);
    ASSERT_EQ(two.lens.size(), ref.size() + 1) << gap;
    for (size_t n = 1; n <= ref.size(); ++n)
      ASSERT_EQ(two.lens[n], ref[n - 1].ends * 4096 + ref[n - 1].len) << gap << " " << n;
    EXPECT_FALSE(L().View().bCheckForRec(L().View().nRecCount)) << gap;
  }
  EXPECT_GT(pieces, 256 * 20);  // the second thread read most of every file
  EXPECT_GT(jumpPieces, 0);
}

TEST_F(ViewerTest, IndexAheadLetsEventsRunEvery50MB) {
  // 60 MB: a stretch of 50 MB, then events run once (the count starts again at 1), then
  // the rest but the last segment, which the usual scan indexes.
  std::string line(59, 'a');
  line += '\n';
  std::string data;
  data.reserve(60000000);
  while (data.size() < 60000000) data += line;
  View("big.txt", data);
  L().nYieldCount = 1;
  L().View().IndexAhead(L().View().nFileSize);
  EXPECT_GT(L().nYieldCount, 9000000);
  EXPECT_LT(L().nYieldCount, 10000000);
  EXPECT_FALSE(L().View().bAllIndexed);
  EXPECT_GT(L().View().nLastRecPointer, 60000000 - kSegBytes - 4096);
  L().nYieldCount = 0;
  L().View().IndexWholeFile();
  EXPECT_EQ(L().View().nRecCount, 1000000);
  EXPECT_EQ(L().View().FindRecAddr(999999), 999998 * 60 + 1);
}
