// A lister on the off-screen grid, working in a fresh temporary folder, for the tests
// of the configuration, command line, filters, input files and colours.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "test.h"

namespace tembra::testing {

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_ + "/cwd");
    setenv("XDG_CONFIG_HOME", (root_ + "/xdg").c_str(), 1);
    setenv("TEMBRA_DRIVES", ("C=/;Q=" + root_ + "/sys").c_str(), 1);
  }
  void TearDown() override {
    f_.reset();
    std::filesystem::remove_all(root_);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("TEMBRA_DRIVES");
  }

  // Makes the session (the command line as typed) without starting the program.
  Lister& Make(const std::string& cmdline = "") {
    Lister& l = NewSession(cmdline).lister();
    l.zCurDir = l.P.files.CurrentDirectory();
    if (l.zCurDir.back() != '\\') l.zCurDir += "\\";
    l.zCommandLine = cmdline;
    l.zComSpec = "Q:\\WINDOWS\\CMD.EXE";
    l.zAppPath = Win(root_ + "/app");
    l.DefaultColors();
    l.nClientWidth = 80 * l.nCharWidth;  // the grid's 80 x 25 cells, for the message line
    l.nClientHeight = 25 * l.nLineHeight;
    return l;
  }
  // Runs Form_Load; false when the program ended during start-up.
  bool Start(const std::string& cmdline) { return NewSession(cmdline).Start(); }
  headless::Session& S() { return *f_->session; }
  Lister& L() { return S().lister(); }
  headless::HeadlessDialogs& Dialogs() { return S().dialogs(); }

  // Runs f and reports whether the program ended inside it.
  template <class F>
  bool Ends(F&& f) {
    try {
      f();
    } catch (const headless::ProcessEnded&) {
      return true;
    }
    return false;
  }

  std::string Win(const std::string& host) { return f_ ? L().P.files.WinPathOfHost(host) : host; }
  void Write(const std::string& rel, const std::string& text) {
    std::filesystem::path p = root_ + "/" + rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
  }
  std::string Transcript() const { return earlier_ + (f_ ? f_->out.str() : std::string()); }
  // A text as a transcript line writes it inside quotes.
  static std::string Esc(const std::string& s) {
    std::string o;
    for (char c : s) {
      if (c == '\\' || c == '"') o += '\\';
      o += c;
    }
    return o;
  }
  // The transcript or the message line holds the text.
  bool Said(const std::string& text) const {
    if (Transcript().find(text) != std::string::npos) return true;
    return f_ && MessageLine(*f_->session).find(text) != std::string::npos;
  }

  TempDir tmp_{"config"};
  std::string root_ = tmp_.path();

 private:
  // A session of the test in the test's own folder (root_/cwd), not yet started; the
  // transcripts of the sessions a test makes add up.
  headless::Session& NewSession(const std::string& cmdline) {
    if (f_) earlier_ += f_->out.str();
    headless::Options o;
    o.cwd = root_ + "/cwd";
    o.cmdline = cmdline;
    o.clock = "2026-01-02 10:00:00";
    f_.emplace(o);
    return *f_->session;
  }
  std::optional<SessionFixture> f_;
  std::string earlier_;
};

}  // namespace tembra::testing
