// Copy, move, rename, delete, temporary names, marks and the sweep, on folders the
// tests create, driven through the headless front-end.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/text.h"
#include "fileops/temp_name.h"
#include "platform/headless/session.h"
#include "test.h"

namespace fs = std::filesystem;
using namespace tembra;
using tembra::testing::EntryRecord;
using tembra::testing::Field;

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

class FileOps : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "data");
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    unsetenv("COMSPEC");
    Start("2026-03-04 10:15:30");
  }
  void TearDown() override {
    f.session.reset();
    if (chdir("/") != 0) {
    }
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    unsetenv("TEMBRA_SIMULATE_WRITE_ERROR");
    unsetenv("TEMBRA_SIMULATE_SLOW_COPY");
  }
  // A session in the folder "work" ("": the real clock).
  void Start(const std::string& clock, bool noRun = true) {
    headless::Options o;
    o.clock = clock;
    o.noRun = noRun;
    f.Open(o, "work");
    ASSERT_TRUE(f.Start());
  }
  Lister& L() { return f.L(); }
  std::string Win(const fs::path& p) {
    std::string s = "C:" + p.string();
    for (char& c : s)
      if (c == '/') c = '\\';
    return s;
  }
  // Lists the named entries of the work folder as the directory page would.
  void List(const std::vector<std::string>& recs, bool parent = true) {
    L().zCurDir = Win(dir_ / "work") + "\\";
    f.Entries(recs, parent ? EntryRecord(L().zCurDir, 'U') : std::string());
  }
  // The transcript holds the text.
  bool Said(const std::string& text) { return f.Transcript().find(text) != std::string::npos; }
  bool OnLine(const std::string& text) { return f.Message().rfind(text, 0) == 0; }

  tembra::testing::SessionFixture f;
  fs::path dir_ = f.dir.path();
};

TEST_F(FileOps, DoesFileExistKinds) {
  WriteFile(dir_ / "work/a.txt", "x");
  EXPECT_EQ(L().DoesFileExist(""), -1);
  EXPECT_EQ(L().DoesFileExist("C:"), 1);
  EXPECT_EQ(L().DoesFileExist(Win(dir_ / "work/a.txt")), 0);
  EXPECT_EQ(L().DoesFileExist(Win(dir_ / "work") + "\\"), 1);
  EXPECT_EQ(L().DoesFileExist(Win(dir_ / "work/none.txt")), -1);
}

TEST_F(FileOps, CopyReplaceQuestionAndFailuresKeepTheDestination) {
  WriteFile(dir_ / "work/a.txt", "new");
  WriteFile(dir_ / "work/b.txt", "old");
  std::string a = Win(dir_ / "work/a.txt"), b = Win(dir_ / "work/b.txt");
  // No: both files unchanged.
  f.Answer("No");
  const CopyResult refused = L().CopyAFile(a, b);
  EXPECT_EQ(refused.code, -1);
  EXPECT_EQ(refused.error, " *** FILE ALREADY EXISTS; NOT REPLACED *** ");
  EXPECT_EQ(ReadFile(dir_ / "work/b.txt"), "old");
  EXPECT_TRUE(Said("text=\"VX0045-BACKUP/COPY File already exists.  Do you want to replace?\" buttons=YesNo -> No"));
  // A read-only destination is refused with the platform's text.
  chmod((dir_ / "work/b.txt").c_str(), 0444);
  f.Answer("Yes");
  EXPECT_NE(L().CopyAFile(a, b).code, 0);
  EXPECT_EQ(ReadFile(dir_ / "work/b.txt"), "old");
  EXPECT_TRUE(OnLine("VX1003 - BACKUP ERROR - Permission denied.")) << f.Message();
  chmod((dir_ / "work/b.txt").c_str(), 0644);
  // A write error (full disk) leaves the destination and no temporary file.
  setenv("TEMBRA_SIMULATE_WRITE_ERROR", "28", 1);
  f.Answer("Yes");
  EXPECT_EQ(L().CopyAFile(a, b).code, 28);
  EXPECT_EQ(ReadFile(dir_ / "work/b.txt"), "old");
  unsetenv("TEMBRA_SIMULATE_WRITE_ERROR");
  int entries = 0;
  for (auto& e : fs::directory_iterator(dir_ / "work")) entries += e.is_regular_file();
  EXPECT_EQ(entries, 2);
  // Yes replaces.
  f.Answer("Yes");
  const CopyResult replaced = L().CopyAFile(a, b);
  EXPECT_EQ(replaced.code, 0);
  EXPECT_EQ(ReadFile(dir_ / "work/b.txt"), "new");
  EXPECT_EQ(replaced.error, "");
  // A pipe is refused at once instead of blocking the program.
  ASSERT_EQ(mkfifo((dir_ / "work/pipe").c_str(), 0644), 0);
  EXPECT_NE(L().CopyAFile(Win(dir_ / "work/pipe"), Win(dir_ / "work/p2")).code, 0);
  EXPECT_TRUE(OnLine("VX1003 - BACKUP ERROR - Only a regular file can be copied.")) << f.Message();
  EXPECT_FALSE(fs::exists(dir_ / "work/p2"));
  // A copy onto itself is refused.
  f.Answer("Yes");
  EXPECT_NE(L().CopyAFile(a, a).code, 0);
  EXPECT_EQ(ReadFile(dir_ / "work/a.txt"), "new");
}

TEST_F(FileOps, KilledCopyLeavesNothingAndOldLeftoversAreCleaned) {
  WriteFile(dir_ / "work/big.bin", std::string(1 << 20, 'x'));
  fs::create_directories(dir_ / "dest");
  // The child is killed by the file-size limit in the middle of writing the copy.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    struct rlimit limit = {64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_DFL);
    L().P.files.CopyFile(Win(dir_ / "work/big.bin"), Win(dir_ / "dest/big.bin"), false);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
  EXPECT_TRUE(fs::is_empty(dir_ / "dest"));

  // Leftovers of copies killed where no unnamed file could be made: one untouched for a
  // day goes; a younger one and other names stay.
  for (const char* n : {".tembra-copy-Ab12Cd", ".tembra-copy-Fresh1", ".tembra-copy-Ab12Cde", "tembra-copy-Ab12Cd"})
    WriteFile(dir_ / "dest" / n, "part");
  for (const char* n : {".tembra-copy-Ab12Cde", "tembra-copy-Ab12Cd"}) {
    struct timeval old[2] = {{time(nullptr) - 90000, 0}, {time(nullptr) - 90000, 0}};
    utimes((dir_ / "dest" / n).c_str(), old);
  }
  struct timeval dayAgo[2] = {{time(nullptr) - 86460, 0}, {time(nullptr) - 86460, 0}};
  utimes((dir_ / "dest/.tembra-copy-Ab12Cd").c_str(), dayAgo);
  struct timeval justUnder[2] = {{time(nullptr) - 86340, 0}, {time(nullptr) - 86340, 0}};
  utimes((dir_ / "dest/.tembra-copy-Fresh1").c_str(), justUnder);
  EXPECT_EQ(L().P.files.CopyFile(Win(dir_ / "work/big.bin"), Win(dir_ / "dest/big.bin"), false), 0);
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(dir_ / "dest")) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"big.bin", ".tembra-copy-Fresh1", ".tembra-copy-Ab12Cde", "tembra-copy-Ab12Cd"}));
  EXPECT_EQ(fs::file_size(dir_ / "dest/big.bin"), 1u << 20);
}

// A copy past a second (four pieces of 1 MiB, each made slow by the test hook) shows
// its bytes and percent; the last piece shows 100%.
TEST_F(FileOps, LongCopyShowsItsProgress) {
  Start("");
  setenv("TEMBRA_SIMULATE_SLOW_COPY", "400", 1);
  WriteFile(dir_ / "work/big4.bin", std::string(4 << 20, 'x'));
  EXPECT_EQ(L().CopyAFile(Win(dir_ / "work/big4.bin"), Win(dir_ / "work/copy.bin")).code, 0);
  EXPECT_TRUE(OnLine("Copying big4.bin: 4,194,304 of 4,194,304 bytes (100%)  Esc cancels")) << f.Message();
  EXPECT_EQ(fs::file_size(dir_ / "work/copy.bin"), 4u << 20);
}

TEST_F(FileOps, CopyPlusRefreshesTheTimeStampAndWaits) {
  Start("2026-03-04 10:15:30", /*noRun=*/false);
  // The refresh is the file system's own: a program named copy beside the file never runs.
  WriteFile(dir_ / "work/a b.txt", "x");
  WriteFile(dir_ / "work/copy", "#!/bin/sh\ntouch \"$0.ran\"\n");
  fs::permissions(dir_ / "work/copy", fs::perms::owner_all);
  fs::last_write_time(dir_ / "work/a b.txt", fs::file_time_type::clock::now() - std::chrono::hours(48));
  auto before = fs::last_write_time(dir_ / "work/a b.txt");
  std::string a = Win(dir_ / "work/a b.txt");
  EXPECT_EQ(L().CopyAFile(a, "+").code, 0);
  EXPECT_FALSE(Said("RUN"));
  EXPECT_FALSE(fs::exists(dir_ / "work/copy.ran"));
  EXPECT_GT(fs::last_write_time(dir_ / "work/a b.txt"), before);
  EXPECT_FALSE(L().FileWork().bWaitForProgram);
  EXPECT_FALSE(Said("MSGBOX"));
  // A failure is reported.
  EXPECT_NE(L().CopyAFile(Win(dir_ / "work/gone.txt"), "+").code, 0);
  EXPECT_TRUE(OnLine("VX1003 - BACKUP ERROR - No such file or directory.")) << f.Message();
}

TEST_F(FileOps, CopyDestinationForms) {
  WriteFile(dir_ / "work/a.txt", "data");
  fs::create_directories(dir_ / "work/sub");
  fs::create_directories(dir_ / "other");
  List({EntryRecord("a.txt")});
  std::string sub = Win(dir_ / "work/sub");
  f.Input(sub);  // a folder without the final "\"
  EXPECT_TRUE(L().BDOS_COPY("C"));
  EXPECT_EQ(ReadFile(dir_ / "work/sub/a.txt"), "data");
  EXPECT_EQ(L().Entries().zFindName, "A.TXT");
  fs::remove(dir_ / "work/sub/a.txt");
  f.Input(sub + "\\");  // with it: no second "\"
  EXPECT_TRUE(L().BDOS_COPY("C"));
  EXPECT_EQ(L().FileWork().zCopyDest, sub + "\\a.txt");
  f.Input("sub\\b.txt");  // relative to the current folder
  EXPECT_TRUE(L().BDOS_COPY("C"));
  EXPECT_TRUE(fs::exists(dir_ / "work/sub/b.txt"));
  f.Input(Win(dir_ / "other").substr(2));  // "\..." on the current drive
  EXPECT_TRUE(L().BDOS_COPY("C"));
  EXPECT_TRUE(fs::exists(dir_ / "other/a.txt"));
  f.Input("C:c.txt");  // a drive and a name without "\" lands in the current folder
  EXPECT_TRUE(L().BDOS_COPY("C"));
  EXPECT_TRUE(fs::exists(dir_ / "work/c.txt"));
  f.Input("*.txt");  // a pattern is no destination
  EXPECT_FALSE(L().BDOS_COPY("C"));
  EXPECT_TRUE(OnLine("VX1003 - BACKUP ERROR - Wild cards are not allowed in the destination")) << f.Message();
  f.Input("");  // cancelled
  EXPECT_FALSE(L().BDOS_COPY("C"));
  EXPECT_TRUE(OnLine("VX1005 - User Cancelled Request")) << f.Message();
  EXPECT_TRUE(Said("INPUT caption=\"Tembra MOVE/COPY\" prompt=\"VX0042-Enter Destination for a.txt\" default=\"C:\\\\"));
}

TEST_F(FileOps, MoveVerification) {
  WriteFile(dir_ / "work/a.txt", "data");
  List({EntryRecord("a.txt")});
  f.Input("+");
  EXPECT_TRUE(L().BDOS_COPY("M"));
  EXPECT_FALSE(L().bCopyVerified());  // a refresh in place is no copy
  f.Input("b.txt");
  EXPECT_TRUE(L().BDOS_COPY("M"));
  EXPECT_TRUE(L().bCopyVerified());
  WriteFile(dir_ / "work/b.txt", "changed");
  EXPECT_FALSE(L().bCopyVerified());
}

TEST_F(FileOps, RenameCases) {
  WriteFile(dir_ / "work/a.txt", "1");
  WriteFile(dir_ / "work/b.txt", "2");
  List({EntryRecord("a.txt"), EntryRecord("b.txt")});
  EXPECT_FALSE(L().BDOS_RENAME(0));
  EXPECT_TRUE(OnLine("VX0105 - Cursor must point to file or directory")) << f.Message();
  f.Input("b.txt");
  EXPECT_FALSE(L().BDOS_RENAME(1));
  f.Input("a.txt");
  EXPECT_FALSE(L().BDOS_RENAME(1));
  EXPECT_TRUE(OnLine("VX0108 - Newname already exists")) << f.Message();
  EXPECT_EQ(ReadFile(dir_ / "work/b.txt"), "2");
  f.Input("  New Name.txt ");
  EXPECT_TRUE(L().BDOS_RENAME(1));
  EXPECT_EQ(ReadFile(dir_ / "work/New Name.txt"), "1");
  EXPECT_EQ(L().Entries().zFindName, "NEW NAME.TXT");
  EXPECT_EQ(Field(L().Entries().Record(1), kZdNameLen), "0012");
  EXPECT_EQ(Field(L().Entries().Record(1), kZdName), "NEW NAME.TXTNew Name.txt");
}

TEST_F(FileOps, DeleteToTrashPermanentAndRefused) {
  WriteFile(dir_ / "work/a b.txt", "1");
  WriteFile(dir_ / "work/c.txt", "2");
  WriteFile(dir_ / "work/d.txt", "3");
  fs::create_directories(dir_ / "data/Trash/files");
  WriteFile(dir_ / "data/Trash/files/a b.txt", "older");  // a name already in the trash
  List({EntryRecord("a b.txt"), EntryRecord("c.txt"), EntryRecord("d.txt")});
  EXPECT_TRUE(L().BDOS_DEL(1, -1));
  EXPECT_FALSE(fs::exists(dir_ / "work/a b.txt"));
  EXPECT_EQ(ReadFile(dir_ / "data/Trash/files/a b.2.txt"), "1");
  EXPECT_EQ(ReadFile(dir_ / "data/Trash/files/a b.txt"), "older");
  std::string info = ReadFile(dir_ / "data/Trash/info/a b.2.txt.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + (dir_ / "work/a%20b.txt").string() + "\nDeletionDate=", 0), 0u)
      << info;
  EXPECT_FALSE(Said("MSGBOX"));
  // Mode 0: the platform asks; No keeps the file and is a cancel: nothing is reported.
  f.Answer("No");
  EXPECT_FALSE(L().BDOS_DEL(2, 0));
  EXPECT_TRUE(fs::exists(dir_ / "work/c.txt"));
  EXPECT_TRUE(Said("text=\"Move the file \\\"c.txt\\\" to the Trash?\" buttons=YesNo -> No"));
  EXPECT_FALSE(Said("VX8009"));
  EXPECT_FALSE(Said("VX1003"));
  // Mode 1: gone for good.
  EXPECT_FALSE(L().BDOS_DEL(3, 1));
  EXPECT_FALSE(fs::exists(dir_ / "work/d.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "data/Trash/files/d.txt"));
  // The parent entry is never deleted.
  EXPECT_FALSE(L().BDOS_DEL(0, 1));
  EXPECT_TRUE(fs::exists(dir_ / "work"));
}

TEST_F(FileOps, TrashShortensNamesItsInfoFileCouldNotHold) {
  // 245 bytes is the longest name whose info file (name + ".trashinfo") fits 255 bytes.
  std::string fits = std::string(241, 'a') + ".txt", over = std::string(242, 'b') + ".txt";
  // A stem of 125 two-byte characters (shown as one byte each): 254 bytes with ".txt".
  std::string utf8, shown = std::string(125, '\xe9') + ".txt", encoded;
  for (int i = 0; i < 125; ++i) {
    utf8 += "\xc3\xa9";
    encoded += "%C3%A9";
  }
  utf8 += ".txt";
  encoded += ".txt";
  for (const std::string& n : {fits, over, utf8}) WriteFile(dir_ / "work" / n, n.substr(0, 5));
  fs::create_directories(dir_ / "data/Trash/files");
  WriteFile(dir_ / "data/Trash/files" / (std::string(241, 'b') + ".txt"), "older");  // the shortened name is taken
  List({EntryRecord(fits), EntryRecord(over), EntryRecord(shown)});
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(L().BDOS_DEL(i, -1)) << i;
  auto stored = [&](const std::string& name, const std::string& original, const std::string& path) {
    EXPECT_EQ(ReadFile(dir_ / "data/Trash/files" / name), original.substr(0, 5)) << name.size();
    std::string info = ReadFile(dir_ / "data/Trash/info" / (name + ".trashinfo"));
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + (dir_ / "work").string() + "/" + path + "\nDeletionDate=", 0), 0u)
        << name.size();
  };
  stored(fits, fits, fits);
  stored(std::string(239, 'b') + ".2.txt", over, over);
  stored(utf8.substr(0, 240) + ".txt", utf8, encoded);  // whole characters only: 244 bytes
  EXPECT_EQ(ReadFile(dir_ / "data/Trash/files" / (std::string(241, 'b') + ".txt")), "older");
  EXPECT_TRUE(fs::is_empty(dir_ / "work"));
}

TEST_F(FileOps, TemporaryNamesInOneMinuteAndTheNextDay) {
  WriteFile(dir_ / "work/a.txt", "1");
  List({EntryRecord("a.txt")});
  EXPECT_EQ(L().ZCurrentTime(), "20260304101530");
  EXPECT_EQ(L().ZCalcName(1, "BU"), "_V260304.VX1015BU.a.txt");
  EXPECT_EQ(L().ZCalcName(1, "BU"), "_V260304.VX1016BU.a.txt");
  EXPECT_EQ(L().ZCalcName(1, "DD"), "_V260304.VX1017DD.a.txt");
  f.session->clock().Advance(24 * 3600 * 1000);
  EXPECT_EQ(L().ZCalcName(1, "BU"), "_V260305.VX1015BU.a.txt");
}

TEST_F(FileOps, TempCheckAndMarkerFiles) {
  WriteFile(dir_ / "work/m.txt", " TEMBRA VX0017 \r\n");
  WriteFile(dir_ / "work/n.txt", "seventeen bytes!!");
  List({EntryRecord("m.txt", 'F', "20260301", 17), EntryRecord("n.txt", 'F', "20260301", 17),
        EntryRecord("_V260301.VX1200BU.A.TXT"), EntryRecord("_VABCDEF.VX1200BU.A.TXT"), EntryRecord("dir", 'D')});
  EXPECT_FALSE(L().TempCheck(1));
  EXPECT_TRUE(L().TempCheck(2));
  EXPECT_FALSE(L().TempCheck(3));
  EXPECT_TRUE(L().TempCheck(4));
  // Setting aside with a marker: the file moves to a temporary name, a marker takes its place.
  L().FileWork().bWriteMarker = true;
  L().Entries().iCursor = 2;
  EXPECT_TRUE(L().bRenameTemp("DD", 0));
  EXPECT_EQ(ReadFile(dir_ / "work/_V260304.VX1015DD.n.txt"), "seventeen bytes!!");
  EXPECT_EQ(ReadFile(dir_ / "work/n.txt"), " TEMBRA VX0017 \r\n");
  // A marker, a temporary name, a folder and a long name are refused.
  List({EntryRecord("m.txt", 'F', "20260301", 17), EntryRecord("dir", 'D'), EntryRecord(std::string(223, 'x'))});
  L().Entries().iCursor = 1;
  EXPECT_FALSE(L().bRenameTemp("DD", 0));
  EXPECT_FALSE(L().bRenameTemp("DD", 2));
  EXPECT_FALSE(L().bRenameTemp("DD", 3));
  EXPECT_TRUE(Said("VX1000 - May not rename temporary file from existing temporary file"));
  EXPECT_TRUE(Said("VX1001 - Delete of directory is not allowed"));
  EXPECT_TRUE(Said("VX1021 - File name too long"));
}

TEST_F(FileOps, BackupCopyInsertsTheRecord) {
  WriteFile(dir_ / "work/a.txt", "1");
  WriteFile(dir_ / "work/z.txt", "2");
  std::string a = EntryRecord("a.txt");
  ZdPutExtColumn(a, 3, kZdBlankPadded);
  List({a, EntryRecord("z.txt")});
  EXPECT_TRUE(L().bBackupCopy("BU"));
  EXPECT_EQ(ReadFile(dir_ / "work/_V260304.VX1015BU.a.txt"), "1");
  ASSERT_EQ(L().Entries().nZDir, 3);
  // "_" sorts after the letters: the copy is the last record.
  EXPECT_EQ(Field(L().Entries().Record(2), kZdName, 5), "Z.TXT");
  const std::string& r = L().Entries().Record(3);
  EXPECT_EQ(Field(r, kZdName), "_V260304.VX1015BU.A.TXT_V260304.VX1015BU.a.txt");
  EXPECT_EQ(Field(r, kZdNameLen), "0023");
  EXPECT_EQ(Field(r, kZdExtCol), "0021");
  EXPECT_EQ(Field(r, kZdNameCol), "0127");
}

TEST_F(FileOps, FourVersionsOnOneDayTheMiddleTwoAreMarked) {
  List({EntryRecord("a.txt"), EntryRecord("_V260101.VX0900BU.A.TXT", 'F', "20260101"),
        EntryRecord("_V260101.VX0901BU.A.TXT", 'F', "20260101"),
        EntryRecord("_V260101.VX0902BU.A.TXT", 'F', "20260101"),
        EntryRecord("_V260101.VX0903BU.A.TXT", 'F', "20260101"), EntryRecord("_VACATION.JPG", 'F', "20200101")});
  // In name order "_VACATION.JPG" follows the temporary names ("2" < "A").
  L().FileWork().nTempDays = 500;
  L().FileWork().nDeletable = 0;
  L().MarkVXDelete();
  std::string marks;
  for (int i = 1; i <= 6; ++i) marks += Field(L().Entries().Record(i), kZdDelMark);
  EXPECT_EQ(marks, "  RR  ");
  EXPECT_EQ(L().FileWork().nDeletable, 2);
  // By age: with a limit of 30 days every temporary name is marked, the user's file is not.
  for (int i = 1; i <= 6; ++i) ZdPutChar(L().Entries().Record(i), kZdDelMark, ' ');
  L().FileWork().nTempDays = 30;
  L().FileWork().nDeletable = 0;
  L().MarkVXDelete();
  marks.clear();
  for (int i = 1; i <= 6; ++i) marks += Field(L().Entries().Record(i), kZdDelMark);
  EXPECT_EQ(marks, " RRRR ");
}

TEST_F(FileOps, DeletionRulesAndMarkers) {
  WriteFile(dir_ / "work/m.txt", " TEMBRA VX0017 \r\n");
  List({EntryRecord("a.bak", 'F', "20250101"), EntryRecord("b.bak", 'F', "20260301"),
        EntryRecord("c.log", 'F', "20250101"), EntryRecord("d", 'D', "20200101"),
        EntryRecord("m.txt", 'F', "20250101", 17)});
  L().FileWork().nDelRules = 2;
  L().FileWork().zDelRuleMask[1] = "*.BAK";
  L().FileWork().nDelRuleValue[1] = 30 + kDelRuleRecycle;
  L().FileWork().zDelRuleMask[2] = "[!A-B]*.LOG";
  L().FileWork().nDelRuleValue[2] = 30 + kDelRuleSetAside;
  L().FileWork().nMarkerDays = 10;
  L().FileWork().nDeletable = 0;
  L().MarkForDeletion();
  std::string marks;
  for (int i = 1; i <= 5; ++i) marks += Field(L().Entries().Record(i), kZdDelMark);
  EXPECT_EQ(marks, "R Z D");
  EXPECT_EQ(L().FileWork().nDeletable, 3);
}

TEST_F(FileOps, SweepRootConfirmationAndLimit) {
  List({EntryRecord("a.txt")}, /*parent=*/false);
  L().BigDelete();
  EXPECT_TRUE(OnLine("VX8019 - Auto delete not allowed in Root directory")) << f.Message();

  std::vector<std::string> recs;
  for (int i = 0; i < 60; ++i) {
    std::string n = "f" + Format(i, "00") + ".tmp";
    WriteFile(dir_ / "work" / n, "x");
    recs.push_back(EntryRecord(n));
    ZdPutChar(recs.back(), kZdDelMark, 'D');
  }
  List(recs);
  L().FileWork().nDeletable = 60;
  L().FileWork().bAutoDelete = true;
  f.Answer("Cancel");
  L().BigDelete();
  EXPECT_FALSE(L().FileWork().bAutoDelete);
  EXPECT_TRUE(fs::exists(dir_ / "work/f00.tmp"));
  L().FileWork().bAutoDelete = true;
  f.Answer("OK");
  L().BigDelete();
  EXPECT_TRUE(L().FileWork().bAutoDelAsked);
  int left = 0;
  for (auto& e : fs::directory_iterator(dir_ / "work")) left += e.is_regular_file();
  EXPECT_EQ(left, 10);
  EXPECT_TRUE(fs::exists(dir_ / "work/f59.tmp"));
}

TEST_F(FileOps, SweepCarriesOutEveryMarkAlthoughSettingAsideRescans) {
  // Setting a file aside scans the folder again, which moves the entries after it.
  const auto year = std::chrono::hours(24 * 365);
  for (const char* n : {"a.old", "b.bak", "c.old", "d.old", "e.bak"}) {
    WriteFile(dir_ / "work" / n, n);
    fs::last_write_time(dir_ / "work" / n, fs::last_write_time(dir_ / "work" / n) - 2 * year);
  }
  L().FileWork().nDelRules = 2;
  L().FileWork().zDelRuleMask[1] = "*.OLD";
  L().FileWork().nDelRuleValue[1] = 30 + kDelRuleSetAside;
  L().FileWork().zDelRuleMask[2] = "*.BAK";
  L().FileWork().nDelRuleValue[2] = 30 + kDelRuleRecycle;
  L().Dir().GetDir(L().zCurDir);
  ASSERT_EQ(L().FileWork().nDeletable, 5);
  L().BigDelete();
  int left = 0, setAside = 0;
  for (auto& e : fs::directory_iterator(dir_ / "work")) {
    ++left;
    setAside += e.path().filename().string().rfind("_V", 0) == 0;
  }
  EXPECT_EQ(left, 3);
  EXPECT_EQ(setAside, 3);
  EXPECT_TRUE(fs::exists(dir_ / "data/Trash/files/b.bak"));
  EXPECT_TRUE(fs::exists(dir_ / "data/Trash/files/e.bak"));
}

TEST_F(FileOps, MessagesBeforeARescanOrRedrawStayOnThePageThatFollows) {
  // A filter whose dates are the wrong way round; the page is drawn again for it.
  f.Input(">D20250101-20240101");
  ASSERT_TRUE(f.Key("F"));
  EXPECT_TRUE(OnLine("VX1028 - Dates Iniconsistent")) << f.Message();
  // The next key's page has its own message line.
  ASSERT_TRUE(f.Key("Down"));
  EXPECT_TRUE(OnLine("  ")) << f.Message();
  // A permanent delete that fails (the file went away after the scan); a rescan follows.
  WriteFile(dir_ / "work/gone.txt", "x");
  L().Dir().GetDir(L().zCurDir);
  ASSERT_TRUE(f.Key("G shift"));
  fs::remove(dir_ / "work/gone.txt");
  ASSERT_TRUE(f.Key("Delete shift alt"));
  EXPECT_TRUE(OnLine("VX1003 - DELETE ERROR - ")) << f.Message();
  // The sweep at a root.
  L().zCurDir = "C:\\";
  L().Dir().GetDir(L().zCurDir);
  ASSERT_TRUE(f.Key("Delete shift"));
  EXPECT_TRUE(OnLine("VX8019 - Auto delete not allowed in Root directory")) << f.Message();
}

}  // namespace

// The temporary-name rule at each of its boundaries, as the listing and TempCheck read it.
TEST(TempName, FormAsListingAndSetAsideReadIt) {
  struct Case {
    const char* nameU;
    bool listing, setAside;
  };
  const Case cases[] = {
      {"_V260301.VX1200BU.A", true, true},      // 19 characters: the shortest
      {"_V260301.VX1200BU.", false, false},     // 18
      {"_V260301.VX1200BU.A.TXT", true, true},
      {"_V100000.VX1200BU.A", true, true},      // the lowest date TempCheck takes
      {"_V099999.VX1200BU.A", true, false},     // below it
      {"_V260301.VXAB00BU.A", false, true},     // TempCheck does not read the four digits
      {"_V26030X.VX1200BU.A", false, false},
      {"_V260301-VX1200BU.A", false, false},
      {"_V260301.VX1200BUXA", false, false},
      {"_X260301.VX1200BU.A", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsTempName(c.nameU, TempNameUse::Listing), c.listing) << c.nameU;
    EXPECT_EQ(IsTempName(c.nameU, TempNameUse::SetAside), c.setAside) << c.nameU;
  }
}
