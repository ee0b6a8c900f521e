#include <sys/stat.h>

#include "config_fixture.h"

using namespace tembra;
using tembra::testing::ConfigTest;

namespace {
bool Parse(Lister& l, std::string line) { return l.bParse1Config(line); }
}  // namespace

TEST_F(ConfigTest, ColumnsDebugAndInvalidKeywords) {
  Lister& l = Make();
  Parse(l, "COLUMNS 3");
  EXPECT_EQ(l.Entries().nDirColumnsSet, 3);
  Parse(l, "COLOR 2");
  EXPECT_EQ(l.Entries().nDirColumnsSet, 2);
  Parse(l, "COL 9");
  EXPECT_EQ(l.Entries().nDirColumnsSet, 2);
  Parse(l, "COL -3");
  EXPECT_EQ(l.Entries().nDirColumnsSet, 2);
  for (auto [line, on] : std::vector<std::pair<std::string, bool>>{
           {"DEBUG", true}, {"DEBUG NO", false}, {"DEBUG Y", true}, {"DEBUG OFF", false}, {"DEBUG ON", true}}) {
    Parse(l, line);
    EXPECT_EQ(l.bDebug, on) << line;
  }
  Parse(l, "DEBUG X");
  EXPECT_TRUE(l.bDebug);
  EXPECT_FALSE(Said("MSGBOX"));
  l.bRescan = false;
  Dialogs().answers.push_back("OK");
  EXPECT_TRUE(Parse(l, "WrapX"));
  EXPECT_TRUE(l.bRescan);
  EXPECT_TRUE(Said("MSGBOX caption=\"VX8015 - Invalid CONFIG record.  OK to ignore, Cancel to end TEMBRA\" "
                   "text=\"WRAPX\" buttons=OKCancel -> OK"));
  Parse(l, "Wrap");
  EXPECT_EQ(l.View().nWrapMode, 2);
  Dialogs().answers.push_back("Cancel");
  EXPECT_TRUE(Ends([&] { Parse(l, "DIR"); }));  // DIR alone is invalid; Cancel ends
}

TEST_F(ConfigTest, DirectoryOptions) {
  Lister& l = Make();
  Parse(l, "DIRFILE List.Txt");
  EXPECT_EQ(l.Dir().zListFileName, "List.Txt");
  EXPECT_TRUE(l.Entries().bShortFormat);
  Parse(l, "DIR NOSH MMDD CRE HH:MM:SS NOH 20");
  EXPECT_FALSE(l.Entries().bShortFormat);
  EXPECT_TRUE(l.bMMDD);
  EXPECT_FALSE(l.bDDMM);
  EXPECT_EQ(l.iDateCol, 33);
  EXPECT_EQ(l.iTimeCol, 41);
  EXPECT_EQ(l.Entries().nTimeWidth, 8);
  EXPECT_FALSE(l.Dir().bShowHidden);
  EXPECT_EQ(l.Entries().nNameWidth, 20);
  for (auto [opt, width] : std::vector<std::pair<std::string, int>>{
           {"HH:MM:SS+", 9}, {"HHMMSS", 6}, {"HH:MM", 5}, {"HHMM", 4}, {"NOTIME", 0}, {"T8", 8}}) {
    Parse(l, "DIR " + opt);
    EXPECT_EQ(l.Entries().nTimeWidth, width) << opt;
  }
  Parse(l, "DIR 60");
  EXPECT_EQ(l.Entries().nNameWidth, 50);
  Parse(l, "DIR 3 SHORT DDMM GMT NOSYS NOREAD NOATT ACC");
  EXPECT_EQ(l.Entries().nNameWidth, 8);
  EXPECT_TRUE(l.Entries().bShortFormat);
  EXPECT_TRUE(l.bDDMM);
  EXPECT_TRUE(l.Config().bGMT);
  EXPECT_FALSE(l.Dir().bShowSystem);
  EXPECT_FALSE(l.Dir().bShowReadOnly);
  EXPECT_EQ(l.Entries().nAttrWidth, 0);
  EXPECT_EQ(l.iDateCol, 50);
  Parse(l, "DIR ALL LOCAL");
  EXPECT_TRUE(l.Dir().bShowHidden && l.Dir().bShowSystem && l.Dir().bShowReadOnly);
  EXPECT_FALSE(l.Config().bGMT);
}

TEST_F(ConfigTest, TabStops) {
  Lister& l = Make();
  l.View().InitViewerTables();
  Parse(l, "TAB 5 9 +4");
  EXPECT_TRUE(l.View().bUnTab);
  EXPECT_EQ(std::vector<int32_t>(l.View().nTabStops.begin() + 1, l.View().nTabStops.begin() + 5), (std::vector<int32_t>{5, 9, 13, 17}));
  Parse(l, "TAB 5 9");
  EXPECT_EQ(std::vector<int32_t>(l.View().nTabStops.begin() + 1, l.View().nTabStops.begin() + 5), (std::vector<int32_t>{5, 9, 10, 11}));
  EXPECT_EQ(l.View().nTabStops[63], 9 + 61);
  Parse(l, "TAB");
  EXPECT_EQ(l.View().nTabStops[1], 9);
  EXPECT_EQ(l.View().nTabStops[63], 8 * 63 + 1);
  Parse(l, "TAB 0");
  EXPECT_FALSE(l.View().bUnTab);
  EXPECT_FALSE(Parse(l, "TAB 9 5"));  // stops the reading
  EXPECT_FALSE(l.View().bUnTab);
  EXPECT_TRUE(Said("VX8021 - Invalid TAB position 03 - >5<"));
  // More positions than the table holds: reported, nothing written past it.
  std::string many = "TAB";
  for (int i = 1; i <= 70; ++i) many += " " + std::to_string(i * 2);
  Parse(l, many);
  EXPECT_EQ(l.View().nTabStops.size(), 64u);
  EXPECT_EQ(l.View().nTabStops[63], 126);
  EXPECT_TRUE(Said("text=\"" + many + "\""));
}

TEST_F(ConfigTest, DeletionRulesAndTemporaryFiles) {
  Lister& l = Make();
  Parse(l, "DEL *.TMP 30");
  EXPECT_EQ(l.FileWork().nDelRules, 1);
  EXPECT_EQ(l.FileWork().zDelRuleMask[1], "*.TMP");
  EXPECT_EQ(l.FileWork().nDelRuleValue[1], 30 + 0x20000);
  Parse(l, "rec *.bak");
  EXPECT_EQ(l.FileWork().zDelRuleMask[2], "*.BAK");
  EXPECT_EQ(l.FileWork().nDelRuleValue[2], 84 + 0x10000);
  EXPECT_TRUE(Said("VX9033 - DAYS MUST BE BETWEEN 20 AND 600"));
  Parse(l, "REC *.OLD 40 VX0017");  // stays a recycle rule
  EXPECT_EQ(l.FileWork().nDelRuleValue[3], 40 + 0x10000);
  // Days beyond the 16 bits below the action flags, or below 0, never change the action:
  // 131072 is 0x20000, the flag of a DEL rule.
  Parse(l, "REC *.X1 65536");
  Parse(l, "REC *.X2 131072");
  Parse(l, "DEL *.X3 -1");
  EXPECT_EQ(l.FileWork().nDelRuleValue[4], 0xFFFF + 0x10000);
  EXPECT_EQ(l.FileWork().nDelRuleValue[5], 0xFFFF + 0x10000);
  EXPECT_EQ(l.FileWork().nDelRuleValue[6], 0x20000);
  Parse(l, "REC VXTEMP 5");
  EXPECT_EQ(l.FileWork().nTempDays, 20);
  EXPECT_EQ(l.FileWork().nMarkerDays, 20);
  Parse(l, "REC VXTEMP 900");
  EXPECT_EQ(l.FileWork().nTempDays, 600);
  EXPECT_EQ(l.FileWork().nMarkerDays, 600);
  Parse(l, "REC VXTEMP 30 0 45");
  EXPECT_EQ(l.FileWork().nTempDays, 30);
  EXPECT_EQ(l.FileWork().nMarkerDays, 45);
  Parse(l, "VXT VX 50");
  EXPECT_TRUE(Said("VX8016 - VXTEMP config command can not have a file mask of VX"));
  EXPECT_EQ(l.FileWork().nTempDays, 50);
  Parse(l, "AUTODELETE NOASKING");
  EXPECT_TRUE(l.FileWork().bAutoDelete && l.FileWork().bAutoDelAsked);
  Parse(l, "NOAUTODELETE");
  EXPECT_FALSE(l.FileWork().bAutoDelete || l.FileWork().bAutoDelAsked);
  for (int i = 4; i <= 63; ++i) Parse(l, "DEL *.X" + std::to_string(i) + " 30");
  EXPECT_EQ(l.FileWork().nDelRules, 63);
  // The 64th rule is refused with a message; the configuration goes on.
  EXPECT_FALSE(Ends([&] { Parse(l, "DEL *.Y 30"); }));
  EXPECT_EQ(l.FileWork().nDelRules, 63);
  EXPECT_TRUE(Said("VX1034 - At most 63 files to delete: rule ignored"));
}

TEST_F(ConfigTest, RuleWithoutMaskEnds) {
  Lister& l = Make();
  EXPECT_TRUE(Ends([&] { Parse(l, "DEL"); }));
  EXPECT_TRUE(Said("caption=\"VX1023 - Config error in parameter #2\""));
}

TEST_F(ConfigTest, ExtensionsFontsAndLimits) {
  Lister& l = Make();
  l.Config().zExtTable = {"", "BAT", "COM", "DLL", "EXE"};
  l.Config().zExtProgram = {"", "NOTEPAD.EXE", "", "", ""};
  l.Config().nExtTable = 4;
  Parse(l, "EXT TXT C:\\TOOLS\\EDIT.EXE");
  EXPECT_EQ(l.Config().nExtTable, 5);
  EXPECT_EQ(l.Config().zExtTable[5], "TXT");
  EXPECT_EQ(l.Config().zExtProgram[5], "C:\\TOOLS\\EDIT.EXE");
  Parse(l, "EXT DEFAULT");
  EXPECT_EQ(l.Config().zExtTable[0], "Notepad.exe");
  Parse(l, "EXT TXT VI");
  EXPECT_EQ(l.Config().nExtTable, 5);
  EXPECT_TRUE(Said("text=\"EXT TXT VI\""));
  for (int i = 6; i <= 70; ++i) Parse(l, "EXT X" + std::to_string(i) + " PROG.EXE");
  EXPECT_EQ(l.Config().nExtTable, 63);
  EXPECT_EQ(l.Config().zExtTable.size(), 64u);
  EXPECT_TRUE(Said("text=\"EXT X64 PROG.EXE\""));

  double before = l.nFontSize;
  Parse(l, "FS 4");
  Parse(l, "FONTSIZE 25");
  EXPECT_EQ(l.nFontSize, before);
  EXPECT_TRUE(Parse(l, "MAXREC 64"));
  EXPECT_EQ(l.View().nMaxRecLen, 64);
  EXPECT_FALSE(Parse(l, "MAXREC 63"));
  EXPECT_EQ(l.View().nMaxRecLen, 64);
  // Each viewer item of the profiles alone, either way, in either profile.
  EXPECT_FALSE(l.View().piAnySize.On(l.eProfile));
  Parse(l, "FILESIZE ANY");
  Parse(l, "LINES GREP");
  Parse(l, "REGEX ON");
  Parse(l, "SMARTCASE ON");
  EXPECT_TRUE(l.View().piAnySize.On(Profile::Classic) && l.View().piGrepLines.On(Profile::Classic));
  EXPECT_TRUE(l.View().piRegex.On(Profile::Classic) && l.View().piSmartCase.On(Profile::Classic));
  Parse(l, "FILESIZE CAPPED");
  Parse(l, "LINES RECORDS");
  Parse(l, "REGEX OFF");
  Parse(l, "SMARTCASE OFF");
  EXPECT_FALSE(l.View().piAnySize.On(Profile::Linux) || l.View().piGrepLines.On(Profile::Linux));
  EXPECT_FALSE(l.View().piRegex.On(Profile::Linux) || l.View().piSmartCase.On(Profile::Linux));
  EXPECT_FALSE(Said("text=\"LINES RECORDS\""));
  Parse(l, "LINES");
  EXPECT_TRUE(Said("text=\"LINES\""));
  Parse(l, "LINENUMBERS ON");
  EXPECT_TRUE(l.View().bLineNumbers);
  Parse(l, "LINENUMBERS YES");
  EXPECT_TRUE(Said("text=\"LINENUMBERS YES\"") && l.View().bLineNumbers);
  Parse(l, "LINENUMBERS OFF");
  EXPECT_FALSE(l.View().bLineNumbers);
  Parse(l, "FTU");
  EXPECT_TRUE(l.bFoundUnderline);
  EXPECT_FALSE(l.bFoundBox);
  Parse(l, "FTBT");
  EXPECT_TRUE(l.bFoundBold);
  EXPECT_FALSE(l.bFoundLineBold);
  Parse(l, "WIN 48 80");
  EXPECT_EQ(l.nWidthShare, 12);
  EXPECT_EQ(l.nHeightShare, 20);
  l.Config().bWinSizeSet = true;
  EXPECT_FALSE(Parse(l, "WIN 4 4"));
  EXPECT_EQ(l.nWidthShare, 12);
  EXPECT_FALSE(Parse(l, "END"));
}

TEST_F(ConfigTest, ColourKeywords) {
  Lister& l = Make();
  Parse(l, "CBT RED+");
  EXPECT_EQ(l.lColor[5], 4868863u);
  Parse(l, "CFM C0C0C0");
  EXPECT_EQ(l.lColor[9], 0xC0C0C0u);
  Parse(l, "CB GREEN");  // a piece of the list naming no role
  uint32_t kept = l.lColor[1];
  Parse(l, "CFT 12345G");  // rejected: the role keeps its colour, the line is reported
  EXPECT_EQ(l.lColor[1], kept);
  EXPECT_TRUE(Said("text=\"CFT 12345G\""));
}

TEST_F(ConfigTest, TraceLogFile) {
  Lister& l = Make();
  std::string log = Win(root_ + "/cwd/trace.log");
  Parse(l, "DF " + log);
  EXPECT_TRUE(l.bLog);
  EXPECT_EQ(l.zLogFile, UCase(log));
  EXPECT_FALSE(std::filesystem::exists(root_ + "/cwd/trace.log"));
  // An existing log is kept, not replaced by the write test.
  Write("cwd/old.log", "earlier trace\n");
  Parse(l, "DF " + Win(root_ + "/cwd/old.log"));
  EXPECT_TRUE(l.bLog);
  std::ifstream in(root_ + "/cwd/old.log");
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "earlier trace");
  Parse(l, "DF X");
  EXPECT_FALSE(l.bLog);
  Parse(l, "DEBUGFILE " + Win(root_ + "/none/x/trace.log"));
  EXPECT_FALSE(l.bLog);
  EXPECT_TRUE(Said("VX8023 - Trace log file can not be written"));
}

TEST_F(ConfigTest, TraceLogNeverFollowsALinkNorWaitsForAFifo) {
  Lister& l = Make();
  Write("victim.txt", "keep\n");
  std::filesystem::create_symlink(root_ + "/victim.txt", root_ + "/cwd/link.log");
  mkfifo((root_ + "/cwd/fifo.log").c_str(), 0644);
  for (const char* name : {"link.log", "fifo.log"}) {
    Dialogs().answers.push_back("OK");
    Parse(l, std::string("DF ") + Win(root_ + "/cwd/" + name));
    EXPECT_FALSE(l.bLog) << name;
    EXPECT_TRUE(Said("VX8023 - Trace log file can not be written: " + Esc(UCase(Win(root_ + "/cwd/" + name)))));
  }
  // A log that becomes a link while tracing: tracing stops and says so.
  Parse(l, "DF " + Win(root_ + "/cwd/trace.log"));
  ASSERT_TRUE(l.bLog);
  l.Log340("first");
  // (The name was upper-cased with the line.)
  ASSERT_TRUE(std::filesystem::remove(root_ + "/cwd/TRACE.LOG"));
  std::filesystem::create_symlink(root_ + "/victim.txt", root_ + "/cwd/TRACE.LOG");
  l.Log340("second");
  EXPECT_FALSE(l.bLog);
  EXPECT_TRUE(Said("VX8023 - Trace log file can not be written: C:"));  // on the message line
  std::ifstream in(root_ + "/victim.txt");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "keep\n");
}

TEST_F(ConfigTest, KeywordMatchingBoundaries) {
  Lister& l = Make();
  auto invalid = [&](const std::string& line) { return Said("text=\"" + line + "\" buttons=OKCancel"); };
  // A short keyword that is a piece of "REC DEL VXT" is a recycle rule, not a deletion rule.
  Parse(l, "DE *.Q 30");
  ASSERT_EQ(l.FileWork().nDelRules, 1);
  EXPECT_EQ(l.FileWork().nDelRuleValue[1], 30 + 0x10000);
  // UDO is accepted only as written; USEGMT likewise, while USEUT and USEL are heads.
  Parse(l, "UDO");
  EXPECT_FALSE(invalid("UDO"));
  Parse(l, "UDOX");
  EXPECT_TRUE(invalid("UDOX"));
  Parse(l, "USEUTC");
  EXPECT_TRUE(l.Config().bGMT);
  Parse(l, "USELOCAL");
  EXPECT_FALSE(l.Config().bGMT);
  Parse(l, "USEGMTX");
  EXPECT_TRUE(invalid("USEGMTX"));
  EXPECT_FALSE(l.Config().bGMT);
  // The font size needs six letters of FONTSIZE; FONTS is neither it nor FONT.
  Parse(l, "FONTSI 12");
  EXPECT_FALSE(invalid("FONTSI 12"));
  Parse(l, "FONTS 14");
  EXPECT_TRUE(invalid("FONTS 14"));
  // CFC is not in the colour list's text but selects the colour rule by its head.
  Parse(l, "CFCX 0000FF");
  EXPECT_EQ(l.lColor[3], static_cast<uint32_t>(l.SelectColor("0000FF")));
}
