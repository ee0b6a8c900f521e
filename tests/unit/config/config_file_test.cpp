#include <sys/stat.h>

#include "config_fixture.h"

using namespace tembra;
using tembra::testing::ConfigTest;

namespace {
std::vector<std::string> Words(Lister& l) {
  return std::vector<std::string>(l.Config().zParm.begin() + 1, l.Config().zParm.begin() + 1 + l.Config().nParms);
}
using V = std::vector<std::string>;
}  // namespace

TEST_F(ConfigTest, LineParseSeparatorsAndQuotes) {
  Lister& l = Make();
  l.LineParse("ONE,, TWO");
  EXPECT_EQ(Words(l), (V{"ONE", "TWO"}));
  l.LineParse("A \"b, c \"\"d\"\" e\" F");
  EXPECT_EQ(Words(l), (V{"A", "b, c \"d\" e", "F"}));
  l.LineParse("'say \"hi\"' \"it's\"");
  EXPECT_EQ(Words(l), (V{"say \"hi\"", "it's"}));
  l.LineParse("\"\"");
  EXPECT_EQ(Words(l), (V{""}));
  l.LineParse("X \"open quote, runs on ");
  EXPECT_EQ(Words(l), (V{"X", "open quote, runs on "}));
  l.LineParse(" ,, , ");
  EXPECT_EQ(l.Config().nParms, 0);
  l.LineParse("ab\"cd e'f");  // quotes inside unquoted words are ordinary
  EXPECT_EQ(Words(l), (V{"ab\"cd", "e'f"}));
  l.LineParse("\"ab\"cd\" ef");  // a closing quote followed by a letter stays in the word
  EXPECT_EQ(Words(l), (V{"ab\"cd", "ef"}));
  EXPECT_TRUE(l.Config().zParm[0].empty());
}

TEST_F(ConfigTest, LineParse128WordsAnd129) {
  Lister& l = Make();
  std::string line;
  for (int i = 1; i <= 128; ++i) line += "w" + std::to_string(i) + " ";
  l.LineParse(line);
  EXPECT_EQ(l.Config().nParms, 128);
  EXPECT_EQ(l.Config().zParm[128], "w128");
  // A typed line of more words is refused past the 128th, with a message; nothing ends.
  EXPECT_FALSE(Ends([&] { l.LineParse(line + "w129 w130"); }));
  EXPECT_EQ(l.Config().nParms, 128);
  EXPECT_EQ(l.Config().zParm[128], "w128");
  EXPECT_TRUE(Said("VX1033 - More than 128 words: the rest of the line is ignored"));
}

TEST_F(ConfigTest, IfNum) {
  Lister& l = Make();
  EXPECT_EQ(l.IfNum("A7", 2), 7);
  EXPECT_EQ(l.IfNum("5X", 0), 5);
  EXPECT_EQ(l.IfNum("5X", 2), -1);
  EXPECT_EQ(l.IfNum("5X", 3), -1);
}

TEST_F(ConfigTest, SearchOrderOfConfigurationPlaces) {
  Write("cwd/VXCONFIG.TXT", "COL 1\n");
  Write("app/VXCONFIG.TXT", "COL 2\n");
  Write("sys/Program Files (x86)/Tembra/VXCONFIG.TXT", "COL 3\n");
  Write("sys/Program Files/Tembra/VXCONFIG.TXT", "COL 5\n");
  Write("xdg/tembra/VXCONFIG.TXT", "COL 6\n");
  const char* files[] = {"cwd/VXCONFIG.TXT", "app/VXCONFIG.TXT", "sys/Program Files (x86)/Tembra/VXCONFIG.TXT",
                         "sys/Program Files/Tembra/VXCONFIG.TXT", "xdg/tembra/VXCONFIG.TXT"};
  int expected[] = {1, 2, 3, 5, 6};
  for (int i = 0; i < 5; ++i) {
    Lister& l = Make();
    l.GetConfig();
    EXPECT_EQ(l.Entries().nDirColumnsSet, expected[i]) << files[i];
    EXPECT_EQ(l.P.files.WinPathOfHost(root_ + "/" + files[i]), l.Config().zConfigFile);
    std::filesystem::remove(root_ + "/" + files[i]);
  }
  Lister& l = Make();
  l.GetConfig();  // none anywhere: defaults, no message
  EXPECT_EQ(l.Entries().nDirColumnsSet, 4);
  EXPECT_FALSE(Said("MSGBOX"));
}

TEST_F(ConfigTest, OnlyARegularFileOfBoundedSizeIsRead) {
  std::string cfg = root_ + "/cwd/VXCONFIG.TXT";
  auto read = [&](const std::string& why) {
    Lister& l = Make();
    Dialogs().answers.push_back("OK");
    l.GetConfig();
    EXPECT_TRUE(Said("text=\"VX0112 - CONFIG file not read: " + Esc(l.Config().zConfigFile) + " - " + why + "\"")) << why;
  };
  // A FIFO (start-up would wait for a writer), a link to an endless device.
  ASSERT_EQ(mkfifo(cfg.c_str(), 0644), 0);
  read("It is not a regular file.");
  std::filesystem::remove(cfg);
  std::filesystem::create_symlink("/dev/zero", cfg);
  read("It is not a regular file.");
  std::filesystem::remove(cfg);
  // 16 MB is read; one byte more is refused.
  Write("cwd/VXCONFIG.TXT", "COL 2\nEND\n" + std::string((16 << 20) - 10, '*'));
  Lister& l = Make();
  l.GetConfig();
  EXPECT_EQ(l.Entries().nDirColumnsSet, 2);
  Write("cwd/VXCONFIG.TXT", "COL 2\nEND\n" + std::string((16 << 20) - 9, '*'));
  read("The file is larger than 16 MB.");
}

TEST_F(ConfigTest, LineEndsCommentsAndEnd) {
  Write("cwd/VXCONFIG.TXT", "* comment\r\nCOL 3\r\nwrap\n\nDEBUG\nEND\nCOL 7\n");
  Lister& l = Make();
  l.GetConfig();
  EXPECT_EQ(l.Entries().nDirColumnsSet, 3);
  EXPECT_EQ(l.View().nWrapMode, 2);
  EXPECT_TRUE(l.bDebug);
  EXPECT_FALSE(Said("MSGBOX"));
  l.GetConfig();  // read once only
  EXPECT_EQ(l.Entries().nDirColumnsSet, 3);
}

TEST_F(ConfigTest, SwitchCForms) {
  Write("cwd/VXCONFIG.TXT", "COL 1\n");
  Write("cwd/conf/VXCONFIG.TXT", "COL 2\n");
  Write("cwd/VXCONFIG.CFG", "COL 3\n");
  Write("cwd/mine.txt", "COL 5\n");
  Write("cwd/my.d/conf/VXCONFIG.TXT", "COL 7\n");
  Make();
  struct Case {
    std::string sw;
    int cols;
  } cases[] = {{"/C", 4},
               {"/C-", 4},
               {"/Cconf\\", 2},
               {"/C.CFG", 3},
               {"/Cmine.txt", 5},
               {"", 1},
               {"/C" + Win(root_ + "/cwd/conf") + "\\", 2},
               {"/C" + Win(root_ + "/cwd/my.d/conf"), 7},  // a folder without the final separator
               {"/C" + root_ + "/cwd/conf/", 2}};            // written the host's way
  for (const Case& c : cases) {
    Lister& l = Make(c.sw);
    l.ZGETPARM();
    EXPECT_EQ(l.Entries().nDirColumnsSet, c.cols) << c.sw;
    EXPECT_TRUE(l.Config().bConfigDone);
  }
  // Named but nowhere to be found: fatal.
  Lister& l = Make("/Cnothere.txt");
  EXPECT_TRUE(Ends([&] { l.ZGETPARM(); }));
  EXPECT_TRUE(Said("VX1019 - Configuration file not found NOTHERE.TXT"));
}

TEST_F(ConfigTest, SwitchCThenSwitchesOverrideAndConfigOverridesWithout) {
  Write("cwd/VXCONFIG.TXT", "DIR GMT\nCBT RED\n");
  Lister& l = Make("/C /YG");  // configuration suppressed
  l.ZGETPARM();
  EXPECT_TRUE(l.Config().bGMT);
  Lister& m = Make("/YB");  // read at the end: the file wins over the switch
  m.ZGETPARM();
  EXPECT_EQ(m.lColor[5], 0x0000FFu);
}
