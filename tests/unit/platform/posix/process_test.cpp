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

#include "platform/posix/config_trust.h"
#include "platform/posix/posix_platform.h"
#include "test.h"

namespace fs = std::filesystem;
using namespace tembra::posix;

namespace {

class Launch : public ::testing::Test {
 protected:
  void SetUp() override {
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
  tembra::testing::TempDir tmp_{"launch"};
  fs::path dir_ = tmp_.path();
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

// A program a configuration names: a full path, or a name in an absolute folder of the
// PATH, never a file of the current folder (an empty or "." entry of the PATH included).
TEST_F(Launch, ConfiguredProgramsNeverComeFromTheCurrentFolder) {
  std::ofstream(dir_ / "tool.sh") << "x";
  fs::create_directories(dir_ / "bin");
  std::ofstream(dir_ / "bin" / "pathtool") << "x";
  fs::permissions(dir_ / "bin" / "pathtool", fs::perms::owner_all);
  fs::permissions(dir_ / "tool.sh", fs::perms::owner_all);
  const char* old = std::getenv("PATH");
  const std::string saved = old ? old : "";
  setenv("PATH", (":.:" + (dir_ / "bin").string()).c_str(), 1);
  const std::string file = " \"" + Win(dir_ / "a.txt") + "\"";
  const struct {
    std::string program;
    Args argv;  // empty: refused
  } cases[] = {
      {"tool.sh", {}},
      {"./tool.sh", {}},
      {".\\tool.sh", {}},
      {"C:tool.sh", {}},
      {"nowhere", {}},
      {Win(dir_ / "tool.sh"), {(dir_ / "tool.sh").string(), (dir_ / "a.txt").string()}},
      {(dir_ / "tool.sh").string(), {(dir_ / "tool.sh").string(), (dir_ / "a.txt").string()}},
      {"pathtool", {(dir_ / "bin" / "pathtool").string(), (dir_ / "a.txt").string()}},
      {"PATHTOOL", {(dir_ / "bin" / "pathtool").string(), (dir_ / "a.txt").string()}},
      {"TOOL.SH", {}},
      {"NOTEPAD.EXE", {"myeditor", "-w", (dir_ / "a.txt").string()}},
  };
  for (const auto& c : cases) {
    LaunchPlan p = PlanLaunch("\"" + c.program + "\"" + file, drives_.get(), "", false);
    EXPECT_EQ(p.argv, c.argv) << c.program;
    EXPECT_EQ(p.refused, c.argv.empty()) << c.program;
  }
  // Allowed, the file of the current folder runs as before.
  EXPECT_EQ(PlanLaunch("\"tool.sh\"" + file, drives_.get(), "", true).argv,
            (Args{(dir_ / "tool.sh").string(), (dir_ / "a.txt").string()}));
  setenv("PATH", saved.c_str(), 1);
}

TEST(ConfigTrust, Sha256OfEveryPaddingCase) {
  // Lengths on both sides of the one-block and two-block padding limits (55/56, 63/64, 119/120).
  const std::pair<size_t, const char*> cases[] = {
      {0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
      {64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {120, "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
      {1000, "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
  };
  for (const auto& [n, hex] : cases) EXPECT_EQ(Sha256Hex(std::string(n, 'a')), hex) << n;
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
