#include <set>

#include "config_fixture.h"

using namespace tembra;
using tembra::testing::ConfigTest;

TEST_F(ConfigTest, SortSwitch) {
  struct C {
    const char* cmd;
    const char* letter;
    bool ascending;
  } cases[] = {{"/Q-S", "S", false}, {"/QX", "F", true}, {"/Q", "F", true}, {"/Q+e", "E", true}, {"/q-", "F", false}};
  for (const C& c : cases) {
    Lister& l = Make(std::string("/C ") + c.cmd);
    l.ZGETPARM();
    EXPECT_EQ(l.Entries().zSortLetter, c.letter) << c.cmd;
    EXPECT_EQ(l.Entries().bSortAscending, c.ascending) << c.cmd;
  }
  // Without a letter the name order stays, with a message (an empty letter would leave
  // the sort nothing to sort by).
  EXPECT_TRUE(Said("VX1032 - /Q needs a sort letter"));
}

TEST_F(ConfigTest, DisplaySwitchY) {
  Lister& l = Make("/C /YS");
  l.ZGETPARM();
  EXPECT_TRUE(l.Config().bWinSizeSet);
  EXPECT_EQ(l.nWidthShare, 15);
  EXPECT_EQ(l.nHeightShare, 15);
  Lister& m = Make("/C /YS24");
  m.ZGETPARM();
  EXPECT_EQ(m.nWidthShare, 10);
  EXPECT_EQ(m.nHeightShare, 20);
  EXPECT_EQ(m.Config().zRelaunchParm, "/YS24");
  Lister& n = Make("/C /YS9");
  n.ZGETPARM();
  EXPECT_EQ(n.nWidthShare, 15);
  EXPECT_EQ(n.nFontSize, 9);
  Lister& o = Make("/C /Y12 /Y30 /YU65");
  o.ZGETPARM();
  EXPECT_EQ(o.nFontSize, 12);
  EXPECT_EQ(o.zUnprintable, "A");
  Lister& p = Make("/C /yu*lg.#");
  p.ZGETPARM();
  EXPECT_EQ(p.zUnprintable, "*");
  EXPECT_EQ(p.zFontName, "Lucida Console");
  EXPECT_TRUE(p.Config().bGMT);
  EXPECT_TRUE(p.bDebug && p.bDumpDir);
  EXPECT_EQ(p.Config().zRelaunchParm, "/yu*lg.#");
  Lister& q = Make("/C /Y");
  q.ZGETPARM();
  EXPECT_EQ(q.zFontName, "Terminal");
  EXPECT_EQ(q.lColor[5], 0u);
  EXPECT_EQ(q.lColor[1], 0xD0D0D0u);
  EXPECT_EQ(q.zUnprintable, "\x07");
  EXPECT_EQ(q.nWidthShare, 0);
  // A WIN line after a window size from the command line stops the reading.
  Write("cwd/VXCONFIG.TXT", "WIN 80 80\nCOL 2\n");
  Lister& r = Make("/YS");
  r.ZGETPARM();
  EXPECT_EQ(r.nWidthShare, 15);
  EXPECT_EQ(r.Entries().nDirColumnsSet, 4);
}

TEST_F(ConfigTest, SearchSwitchesAndUnknownSwitch) {
  Write("cwd/a.txt", "x");
  Lister& l = Make("/C /TFind Me");
  l.ZGETPARM();
  EXPECT_TRUE(Said("VX1031 - Due to a conflict with text searches, use /Y instead of /T for setting fonts."));
  EXPECT_EQ(l.View().zFindText, "Find");  // the command line splits at the blank: "Me" is a file argument
  EXPECT_FALSE(l.View().bFindNoCase);
  EXPECT_TRUE(l.bCmdSearch && l.bSearchPending);
  Lister& m = Make("/C a.txt \"/Fnew text\" /Tx");
  m.ZGETPARM();
  EXPECT_EQ(m.View().zFindText, "new text");
  EXPECT_EQ(m.View().nFindLen, 8);
  EXPECT_TRUE(m.View().bFindNoCase);
  EXPECT_TRUE(Said("text=\"VX1031 - \\\"/T\\\" and \\\"/F\\\" are mutually exclusive\""));
  Lister& n = Make("/C /E /? /M /X");
  EXPECT_TRUE(Ends([&] { n.ZGETPARM(); }));
  EXPECT_TRUE(Said("text=\"Stop zGetParm /X\""));
}

// With ARGNOTES (Linux) the command line never gives a box: an unknown switch is a usage
// error; a missing file ends the program only when nothing else was named.
TEST_F(ConfigTest, ArgNotesInPlaceOfBoxes) {
  Write("cwd/notes.txt", "n");
  Write("cwd/empty.log", "");
  const std::tuple<const char*, ExitKind, const char*> cases[] = {
      {"/Xy", ExitKind::Usage, "tembra: unknown switch: /Xy\nUsage: tembra"},
      {"nothing empty.log", ExitKind::Fatal, "tembra: nothing: No such file or directory\n"},
      {"nothing .", ExitKind::Normal, "VX1063 - No such file: nothing"},
      {"notes x empty.log", ExitKind::Normal, "VX1063 - No such file: x  VX1064 - Passed over, of zero length: empty.log"}};
  for (const auto& [line, want, note] : cases) {
    Lister& l = Make(std::string("/C ") + line);
    l.Config().piArgNotes.set = true;
    ExitKind end = ExitKind::Normal;
    try {
      l.ZGETPARM();
    } catch (const headless::ProcessEnded& e) {
      end = e.kind;
    }
    EXPECT_EQ(end, want) << line;
    EXPECT_EQ((end == ExitKind::Normal ? l.zMessageLine : l.Config().zExitNote).rfind(note, 0), 0u) << line;
  }
  EXPECT_FALSE(Said("MSGBOX"));
}

TEST_F(ConfigTest, FileArguments) {
  Write("cwd/notes.txt", "n");
  Write("cwd/data.csv", "d");
  Write("cwd/data.bak", "b");
  Write("cwd/empty.log", "");
  Write("cwd/sub/inner.txt", "i");
  Lister& l = Make("/C notes data empty.log sub/inner.txt nothing");
  Dialogs().answers = {"OK", "OK"};
  l.ZGETPARM();
  std::string cwd = l.zCurDir;
  ASSERT_EQ(l.nInpFiles, 4);
  EXPECT_EQ(l.Config().zInpFiles[1], cwd + "notes.txt");  // found with ".TXT" appended
  // "data" matches two files through ".*", in the platform's order
  EXPECT_TRUE((l.Config().zInpFiles[2] == cwd + "data.bak" && l.Config().zInpFiles[3] == cwd + "data.csv") ||
              (l.Config().zInpFiles[2] == cwd + "data.csv" && l.Config().zInpFiles[3] == cwd + "data.bak"));
  EXPECT_EQ(l.Config().zInpFiles[4], cwd + "sub\\inner.txt");
  EXPECT_TRUE(Said(Esc("VX1012 - " + cwd + "empty.log has zero length and will be bypassed")));
  EXPECT_TRUE(Said(Esc("VX8006 - " + cwd + "nothing is neither a file, directory, nor valid parm."
                       "  Press OK to ignore, or CANCEL to end TEMBRA")));
  EXPECT_TRUE(l.Config().bFileArgSeen);

  // A pattern, a directory (relative, then written the host's way) and "\" from the drive's root.
  Lister& m = Make("/C *.csv sub");
  m.ZGETPARM();
  EXPECT_EQ(m.nInpFiles, 1);
  EXPECT_EQ(m.zCurDir, cwd + "sub\\");
  // A "." step names no folder of its own.
  Lister& dot = Make("/C sub\\.\\*.txt");
  dot.ZGETPARM();
  ASSERT_EQ(dot.nInpFiles, 1);
  EXPECT_EQ(dot.Config().zInpFiles[1], cwd + "sub\\inner.txt");
  Lister& n = Make("/C " + root_ + "/cwd/sub");
  n.ZGETPARM();
  EXPECT_EQ(n.zCurDir, cwd + "sub\\");
  Lister& o = Make("/C -- " + root_ + "/cwd/notes.txt");
  o.ZGETPARM();
  EXPECT_EQ(o.nInpFiles, 1);
  Lister& p = Make("/C " + Mid(cwd, 3) + "data.csv ..");
  p.ZGETPARM();
  EXPECT_EQ(p.nInpFiles, 1);
  EXPECT_EQ(p.zCurDir, Left(cwd, InStrRev(Left(cwd, cwd.size() - 1), "\\")));
}

TEST_F(ConfigTest, CaseTwinsOnTheCommandLineAreEachListedOnce) {
  Write("cwd/a.txt", "lower");
  Write("cwd/A.TXT", "UPPER");
  // Each exact name is its own file; "a" tries "a.TXT", which names both twins alike.
  Lister& l = Make("/C a.txt A.TXT a");
  l.ZGETPARM();
  const std::string cwd = l.zCurDir;
  ASSERT_EQ(l.nInpFiles, 4);
  EXPECT_EQ(l.Config().zInpFiles[1], cwd + "a.txt");
  EXPECT_EQ(l.Config().zInpFiles[2], cwd + "A.TXT");
  EXPECT_EQ(std::set<std::string>({l.Config().zInpFiles[3], l.Config().zInpFiles[4]}),
            std::set<std::string>({cwd + "a.txt", cwd + "A.TXT"}));
  EXPECT_FALSE(Said("VX8006"));
}

TEST_F(ConfigTest, SwitchDStartsInTheFolderWithAFilter) {
  Write("cwd/sub/inner.txt", "i");
  Lister& l = Make("/C sub/inner.txt /D");
  l.ZGETPARM();
  EXPECT_EQ(l.nInpFiles, 0);
  EXPECT_EQ(Right(l.zCurDir, 5), "\\sub\\");
  EXPECT_EQ(l.Entries().zNameFilter, "INNER.TXT");
}

TEST_F(ConfigTest, MoreThan1024Files) {
  for (int i = 0; i < 1026; ++i) Write("cwd/many/f" + std::to_string(i), "x");
  Lister& l = Make("/C many/*");
  l.ZGETPARM();
  EXPECT_EQ(l.nInpFiles, 1024);
  EXPECT_TRUE(Said("VX1015-More than 1024 encountered.  Press OK to ignore excess.  Press CANCEL to end"));
}

TEST_F(ConfigTest, InputFileThatVanished) {
  Write("cwd/one.txt", "1");
  Write("cwd/two.txt", "2");
  ASSERT_TRUE(Start("one.txt two.txt"));
  EXPECT_EQ(L().iInpFile, 1);
  std::filesystem::remove(root_ + "/cwd/two.txt");
  L().bShowParm = false;  // as after the first key
  L().Next_IINPFiles(1);
  EXPECT_EQ(L().iInpFile, 0);
  EXPECT_TRUE(L().TDISPLAY & TD_DIR);
  EXPECT_NE(tembra::testing::MessageLine(S()).find("VX1030 - File not found: "), std::string::npos)
      << Transcript() << tembra::testing::MessageLine(S());
  EXPECT_FALSE(S().Ended());
}

TEST_F(ConfigTest, ShellArgumentsSurviveTheTokenizer) {
  Lister& l = Make();
  std::vector<std::string> args = {"/Fsome text", "a,b.txt", "it's", "'q", "say \"hi\" now", "", "plain"};
  l.LineParse(posix::JoinArguments(args));
  ASSERT_EQ(l.Config().nParms, static_cast<int32_t>(args.size()));
  for (size_t i = 0; i < args.size(); ++i) EXPECT_EQ(l.Config().zParm[i + 1], args[i]);
}

TEST_F(ConfigTest, SlashWordsAreSwitchesUnlessHostPaths) {
  Write("cwd/sub/inner.txt", "i");
  // "/Tmp" is a search for "mp", even though a folder /tmp exists.
  Lister& l = Make("/C /Tmp " + root_ + "/cwd/sub/inner.txt");
  l.ZGETPARM();
  EXPECT_EQ(l.View().zFindText, "mp");
  EXPECT_EQ(l.nInpFiles, 1);
  // A single top-level word naming an existing folder is that folder; "/." stays a switch.
  for (const auto& [word, dir, debug] : {std::tuple{"/tmp", "C:\\tmp\\", false}, {"/tmp/", "C:\\tmp\\", false},
                                         {"/", "C:\\", false}, {"/.", "", true}, {"/..", "", true}}) {
    Lister& t = Make(std::string("/C ") + word);
    const std::string start = t.zCurDir;
    t.ZGETPARM();
    EXPECT_EQ(t.zCurDir, *dir ? std::string(dir) : start) << word;
    EXPECT_EQ(t.bDebug, debug) << word;
  }
  // After "--" a single name is a path too.
  Lister& m = Make("/C -- " + root_);
  m.ZGETPARM();
  EXPECT_EQ(m.zCurDir, m.P.files.WinPathOfHost(root_) + "\\");
}
