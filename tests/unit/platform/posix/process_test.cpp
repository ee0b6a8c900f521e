// Windows-style command lines become argument vectors: no name reaches a shell.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/posix/posix_platform.h"

namespace fs = std::filesystem;
using namespace tembra::posix;

namespace {

class Launch : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tembra-launch-XXXXXX";
    dir_ = mkdtemp(tmpl);
    drives_ = std::make_unique<DriveMap>("C=/", dir_.string());
    drives_->ChangeDirectory(Win(dir_));
    setenv("EDITOR", "myeditor -w", 1);
    unsetenv("VISUAL");
    setenv("SHELL", "/bin/sh", 1);
  }
  void TearDown() override {
    if (chdir("/") != 0) {
    }
    fs::remove_all(dir_);
  }
  static std::string Win(const fs::path& p) {
    std::string s = "C:" + p.string();
    for (char& c : s)
      if (c == '/') c = '\\';
    return s;
  }
  LaunchPlan Plan(const std::string& cmd, const std::string& comspec = "") {
    return PlanLaunch(cmd, drives_.get(), comspec);
  }
  fs::path dir_;
  std::unique_ptr<DriveMap> drives_;
};

using Args = std::vector<std::string>;

TEST_F(Launch, EditorCommandsOpenTheStoredName) {
  std::ofstream(dir_ / "a;rm -rf x") << "1";
  std::ofstream(dir_ / "$(touch y)") << "2";
  std::string host1 = (dir_ / "a;rm -rf x").string(), host2 = (dir_ / "$(touch y)").string();
  // The interpreter's name empty (no COMSPEC), the name in upper case and quoted.
  EXPECT_EQ(Plan(" /C EDIT \"A;RM -RF X\"").argv, (Args{"myeditor", "-w", host1}));
  EXPECT_EQ(Plan(" /C EDIT $(TOUCH Y)").argv, (Args{"myeditor", "-w", host2}));
  EXPECT_TRUE(Plan(" /C EDIT $(TOUCH Y)").needsTerminal);
  // With an interpreter named, the whole command quoted, a full path.
  EXPECT_EQ(Plan("/bin/bash /C \"EDIT " + Win(dir_ / "a;rm -rf x") + "\"", "/bin/bash").argv,
            (Args{"myeditor", "-w", host1}));
  EXPECT_EQ(Plan("NOTEPAD " + Win(dir_ / "$(touch y)")).argv, (Args{"myeditor", "-w", host2}));
  EXPECT_EQ(Plan("\"NOTEPAD.EXE\" \"" + Win(dir_ / "$(touch y)") + "\"").argv, (Args{"myeditor", "-w", host2}));
  // VXEDIT d p n f: the full name is the file.
  EXPECT_EQ(Plan("cmd /C VXEDIT C \"\\x y\\\" \"A;RM -RF X\" \"" + Win(dir_ / "a;rm -rf x") + "\"").argv,
            (Args{"myeditor", "-w", host1}));
  unsetenv("EDITOR");
  EXPECT_EQ(Plan(" /C EDIT $(TOUCH Y)").argv, (Args{"vi", host2}));
}

TEST_F(Launch, ProgramsInterpretersAndRefresh) {
  std::ofstream(dir_ / "tool.exe") << "x";
  // A file run by name from the current folder, its parameters as separate words.
  EXPECT_EQ(Plan("TOOL.EXE a;b $(c)").argv, (Args{(dir_ / "tool.exe").string(), "a;b", "$(c)"}));
  // The associated program with the file.
  EXPECT_EQ(Plan("\"xdg-open\" \"" + Win(dir_ / "tool.exe") + "\"").argv,
            (Args{"xdg-open", (dir_ / "tool.exe").string()}));
  EXPECT_FALSE(Plan("\"xdg-open\" \"C:\\x\"").needsTerminal);
  // The interpreter alone, and /k in a drive's folder.
  EXPECT_EQ(Plan("").argv, (Args{"/bin/sh"}));
  LaunchPlan k = Plan(" /k C:");
  EXPECT_EQ(k.argv, (Args{"/bin/sh"}));
  EXPECT_EQ(k.workDir, dir_.string());
  // COMSPEC names the interpreter when it is a program of this system.
  EXPECT_EQ(Plan("/bin/true", "/bin/true").argv, (Args{"/bin/true"}));
  EXPECT_EQ(Plan("C:\\WINDOWS\\system32\\cmd.exe /k C:", "C:\\WINDOWS\\system32\\cmd.exe").argv,
            (Args{"/bin/sh"}));
  // "Copy file +" is a time-stamp refresh, not a program.
  LaunchPlan c = Plan("Copy C:\\x\\a.txt +");
  EXPECT_TRUE(c.touchFile);
  EXPECT_EQ(c.touchPath, "C:\\x\\a.txt");
  // Also for a name with blanks: never a program named copy.
  c = Plan("Copy C:\\x\\a  b.txt +");
  EXPECT_TRUE(c.touchFile);
  EXPECT_TRUE(c.argv.empty());
  EXPECT_EQ(c.touchPath, "C:\\x\\a  b.txt");
  EXPECT_TRUE(c.argv.empty());
}

TEST_F(Launch, RunningANastyNameRunsNothingExtra) {
  // A recording editor: writes its arguments, one a line, to a log.
  fs::path log = dir_ / "editor.log";
  fs::path editor = dir_ / "rec-editor";
  std::ofstream(editor) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" << log.string()
                        << "'\n";
  chmod(editor.c_str(), 0755);
  setenv("EDITOR", editor.c_str(), 1);
  std::ofstream(dir_ / "a;rm -rf x") << "1";
  std::ofstream(dir_ / "$(touch y)") << "2";
  fs::create_directories(dir_ / "x");
  PosixProcesses procs(0, nullptr, drives_.get());
  unsetenv("COMSPEC");
  EXPECT_GT(procs.Run(" /C EDIT \"A;RM -RF X\"", true), 0);
  EXPECT_GT(procs.Run(" /C EDIT $(TOUCH Y)", true), 0);
  std::ifstream in(log);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), (dir_ / "a;rm -rf x").string() + "\n" + (dir_ / "$(touch y)").string() + "\n");
  EXPECT_TRUE(fs::exists(dir_ / "x"));
  EXPECT_FALSE(fs::exists(dir_ / "y"));
  EXPECT_FALSE(fs::exists("y"));
  // A program that does not exist starts nothing and reports 0.
  EXPECT_EQ(procs.Run("NO-SUCH-PROGRAM-HERE.EXE", true), 0);
  EXPECT_EQ(procs.Run("NO-SUCH-PROGRAM-HERE.EXE", false), 0);
}

}  // namespace
