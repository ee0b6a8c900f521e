// Start-up, the page frame, messages, the fatal-error path and the end of the program.
#include <gtest/gtest.h>

#include "test.h"

using namespace tembra;
using tembra::testing::SessionFixture;

namespace {
std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}
}  // namespace

TEST(Frame, MessagesGoToTheLineOrToABox) {
  SessionFixture f;
  ASSERT_TRUE(f.Start());
  Lister& L = f.L();
  L.VXERROR("VX0004 - Text not found");
  EXPECT_EQ(TrimRight(f.Row(25)), "VX0004 - Text not found");
  const headless::Cell& c = f.session->grid().At(0, 24);
  EXPECT_EQ(c.fg, L.lColor[4]);
  EXPECT_EQ(c.bg, L.lColor[8]);
  // Characters 7 to 9 " > ": a box captioned "Tembra Error", the line stays.
  L.VXERROR("VX8001 > Disk full");
  EXPECT_TRUE(f.Has("MSGBOX caption=\"Tembra Error\" text=\"VX8001 > Disk full\" buttons=OK -> OK"));
  EXPECT_EQ(TrimRight(f.Row(25)), "VX0004 - Text not found");
  // Shorter than nine characters: always the message line.
  L.VXERROR("VX1 > ");
  EXPECT_EQ(TrimRight(f.Row(25)), "VX1 >");
}

TEST(Frame, CatastropheShowsTwoBoxesAndEnds) {
  SessionFixture f;
  ASSERT_TRUE(f.Start());
  f.L().TDISPLAY = 0;
  EXPECT_THROW(f.L().ShowPage(), headless::ProcessEnded);
  std::string composed = "   ERROR   ***   VX9006 - TDISPLAY IS WRONG *** Contact VX Software with this message";
  EXPECT_TRUE(f.Has("MSGBOX caption=\"Critical/Unexpected Error - Contact VX Software with this message\" "
                    "text=\"VX9006 - TDISPLAY IS WRONG\" buttons=OK -> OK"));
  EXPECT_TRUE(f.Has("MSGBOX caption=\"Tembra\" text=\"" + composed + "\" buttons=OK -> OK"));
  EXPECT_EQ(f.Row(1), composed.substr(0, 80));
}

TEST(Frame, TitleLineOfEachMode) {
  SessionFixture f;
  ASSERT_TRUE(f.Start());
  Lister& L = f.L();
  L.Entries().iCursor = 1;
  L.Entries().nSZDir = 57;
  L.SetupTopBot();
  EXPECT_EQ(L.zTopLine, "Ver: Beta_7Z - Directory List - 1 of 57 Entries");
  EXPECT_EQ(L.zCaptionLeft, "TEMBRA \x95 DIR \x95 ");

  // File view: the record holds the date at column 16 and the time at column 24.
  L.TDISPLAY = TD_LIST;
  L.View().zCurFileRec = std::string(15, ' ') + "20240131" + "100500";
  L.View().bAllIndexed = true;
  L.View().nTopRec = 1;
  L.View().nRecCount = 1234;
  L.SetupTopBot();
  EXPECT_EQ(L.zTopLine, "Ver: Beta_7Z - File List -(2024-01-31 10:05:00)-  1 of 1,234 Lines");
  L.bMMDD = true;
  L.SetupTopBot();
  EXPECT_NE(L.zTopLine.find("(01/31/2024 10:05:00)-  "), std::string::npos);
  L.bMMDD = false;
  L.bDDMM = true;
  L.SetupTopBot();
  EXPECT_NE(L.zTopLine.find("(31-01-2024 10:05:00)-  "), std::string::npos);
  L.TDISPLAY = TD_LIST | TD_HEX;
  L.View().nFileSize = 1234567;
  L.SetupTopBot();
  EXPECT_EQ(L.zTopLine.substr(L.zTopLine.size() - 27), "1,234,567 [&H12D687]  Bytes");
}

TEST(Frame, QuickEndShowsThePlainClosingMessageForAQuarterSecond) {
  SessionFixture f;
  ASSERT_TRUE(f.Start());
  f.L().bQuickEnd = true;
  double before = f.L().P.clock.SecondsSinceMidnight();
  EXPECT_THROW(f.L().END_TEMBRA(), headless::ProcessEnded);
  EXPECT_EQ(TrimRight(f.Row(25)), "VX0099 - End Tembra");
  EXPECT_NEAR(f.L().P.clock.SecondsSinceMidnight() - before, 0.25, 1e-9);
  EXPECT_EQ(f.L().zDisplayMode, "TERM");
  EXPECT_TRUE(f.L().bEnding);
}

TEST(Frame, ClosingTextsAreAllReadable) {
  SessionFixture f;
  ASSERT_TRUE(f.Start());
  // Every run ends with "VX0099 - " and a readable text, whichever text is drawn.
  for (int seed = 0; seed < 40; ++seed) {
    SessionFixture g;
    ASSERT_TRUE(g.Start());
    std::string t;
    try {
      g.L().END_TEMBRA();
    } catch (const headless::ProcessEnded&) {
    }
    t = TrimRight(g.Row(25));
    ASSERT_EQ(t.substr(0, 9), "VX0099 - ");
    for (char c : t) ASSERT_TRUE(c >= 32 && c < 127) << t;
  }
  EXPECT_EQ(f.L().zColorName[5], "Background of screen");
}

TEST(Frame, OpenCloseBookkeepingAndTraceLog) {
  SessionFixture f;
  ASSERT_TRUE(f.Start());
  Lister& L = f.L();
  L.bLog = true;
  L.zLogFile = f.dir.win() + "trace.txt";
  L.LogOpen("C:\\X\\A.TXT");
  EXPECT_EQ(L.OpenCount, 1);
  L.LogOpen("C:\\X\\B.TXT");  // a second open without a close: a box, and on we go
  EXPECT_TRUE(f.Has("MSGBOX caption=\"Tembra\" text=\"C:\\\\X\\\\B.TXTC:\\\\X\\\\A.TXT  OPEN ERROR\" buttons=OK -> OK"));
  EXPECT_EQ(L.zOpenName, "C:\\X\\A.TXT");
  L.LogOpen("");
  EXPECT_EQ(L.OpenCount, 0);
  std::ifstream log(f.dir.path() + "/trace.txt");
  std::string l1, l2, l3;
  std::getline(log, l1);
  std::getline(log, l2);
  std::getline(log, l3);
  EXPECT_NE(l1.find(" Open C:\\X\\A.TXT\r"), std::string::npos) << l1;
  EXPECT_EQ(l1.substr(0, 9), "10:00:00 ");
  EXPECT_NE(l3.find(" Close \r"), std::string::npos) << l3;
  // Closing with nothing open ends the program at once.
  EXPECT_THROW(L.LogOpen(""), headless::ProcessEnded);
}

TEST(Frame, DumpDirWritesOnlyWhenAsked) {
  SessionFixture f;
  ASSERT_TRUE(f.Start());
  Lister& L = f.L();
  f.Entries({"entry"}, "parent");
  L.Entries().DumpDir("000VX_US.TXT");
  EXPECT_FALSE(std::filesystem::exists(f.dir.path() + "/000VX_US.TXT"));
  L.bDumpDir = true;
  L.Entries().DumpDir("000VX_US.TXT");
  std::string s;
  L.P.files.ReadWholeFile(f.dir.win() + "000VX_US.TXT", s);
  EXPECT_EQ(s, "0000 parent\r\n0001 entry\r\n*******\r\n");
}

TEST(Frame, NarrowWindowSnapsBackAndFontChecks) {
  SessionFixture f;
  ASSERT_TRUE(f.Start());
  f.Run("resize 10 25");
  EXPECT_EQ(f.session->grid().Cols(), 13);
  EXPECT_EQ(f.L().nColumns, 13);

  headless::Options o;
  o.font = headless::FontKind::BoldWider;
  SessionFixture g(o);
  ASSERT_TRUE(g.Start());
  EXPECT_FALSE(g.L().bFoundBold);
  EXPECT_FALSE(g.L().bFoundLineBold);
  EXPECT_EQ(g.L().nCharWidth, 120);
  EXPECT_EQ(g.L().nLineHeight, 200);
  EXPECT_EQ(g.L().nCharWidths[65], 120);
  EXPECT_EQ(g.L().nCharWidths[9], 0);
  EXPECT_EQ(g.L().nCharWidths[129], 0);
}

TEST(Frame, WindowShareOfTheScreen) {
  headless::Options o;
  o.cols = 100;
  o.rows = 30;
  SessionFixture f(o);
  ASSERT_TRUE(f.Start());
  Lister& L = f.L();
  EXPECT_EQ(L.nColumns, 100);
  EXPECT_EQ(L.nRows, 30);
  EXPECT_EQ(L.nPageLines, 28);
  // Share 24: 80 columns plus 24/25 of the rest of the screen.
  L.nWidthShare = 30;
  L.InitialWindowSize();
  EXPECT_EQ(L.nWidthShare, 24);
  long screen = L.P.window.ScreenWidth();
  EXPECT_EQ(L.nClientWidth, 9600 + (screen - 9600) * 24 * 24 / 600);
}

TEST(Frame, DebugSwitchChangesToTheDebugFolder) {
  tembra::testing::TempDir root;
  root.Mkdir("0BAT");
  setenv("TEMBRA_DRIVES", ("C=" + root.path()).c_str(), 1);
  headless::Options o;
  o.cwd = root.path();
  o.cmdline = "?vx";
  SessionFixture f(o);
  unsetenv("TEMBRA_DRIVES");
  ASSERT_TRUE(f.Start());
  EXPECT_TRUE(f.L().bDebug);
  EXPECT_TRUE(f.L().bDumpDir);
  EXPECT_EQ(f.L().zCurDir, "C:\\0BAT\\");
  EXPECT_EQ(f.L().zCommandLine, "");
  // The scan's debug timing message goes over the line; the page under it carries the
  // parameter line, since the command line had been given.
  std::string timing = TrimRight(f.Row(25));
  EXPECT_EQ(timing.substr(0, 3), "GD>") << timing;
  EXPECT_EQ(timing.substr(timing.size() - 8), " Seconds") << timing;
  f.L().ShowPage();
  EXPECT_EQ(TrimRight(f.Row(25)), "VX0001 - No Command Parm");
}

// A session that ends while viewing a file leaves no descriptor open (a program that
// keeps listers, as the fuzzer does, would otherwise run out of them).
TEST(Frame, EndingWhileViewingClosesTheFile) {
  auto openFiles = [] {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) n += e.path().empty() ? 0 : 1;
    return n;
  };
  const size_t before = openFiles();
  {
    SessionFixture f;
    f.dir.Write("a.txt", "one\ntwo\n");
    ASSERT_TRUE(f.Start());
    ASSERT_TRUE(f.Run("key End\nkey Enter\n"));
    ASSERT_NE(f.L().View().hFdbin, kInvalidFile);
  }
  EXPECT_EQ(openFiles(), before);
}
