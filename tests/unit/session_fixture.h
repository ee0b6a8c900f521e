// A headless session on a temporary folder, for tests that drive the program in-process.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/headless/session.h"

namespace tembra::testing {

// A temporary folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tembra-unit-XXXXXX").string();
    char* p = ::mkdtemp(tmpl.data());
    path_ = p ? p : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  // Windows form of the folder with a final "\" (C: is "/").
  std::string win() const {
    std::string w = "C:" + path_;
    for (char& c : w)
      if (c == '/') c = '\\';
    return w + "\\";
  }
  void Write(const std::string& name, const std::string& contents) const {
    std::filesystem::create_directories(std::filesystem::path(path_ + "/" + name).parent_path());
    std::ofstream(path_ + "/" + name, std::ios::binary) << contents;
  }
  void Mkdir(const std::string& name) const { std::filesystem::create_directories(path_ + "/" + name); }

 private:
  std::string path_;
};

// A session started in a temporary folder; the transcript collects in `out`.
struct SessionFixture {
  explicit SessionFixture(headless::Options o = {}, const std::string& subdir = "") {
    if (o.cwd.empty()) o.cwd = dir.path() + (subdir.empty() ? "" : "/" + subdir);
    if (!o.clock) o.clock = "2026-03-04 10:00:00";
    if (!subdir.empty()) dir.Mkdir(subdir);
    session = std::make_unique<headless::Session>(o, out);
  }
  ~SessionFixture() {
    // Leave the folder so that it can be removed.
    if (::chdir("/") != 0) {}
  }
  bool Start() { return session->Start(); }
  bool Run(const std::string& scriptLines) {
    std::istringstream in(scriptLines);
    std::string line;
    while (std::getline(in, line))
      if (!session->RunLine(line)) return false;
    return true;
  }
  Lister& L() { return session->lister(); }
  std::string Row(int row) { return session->grid().RowText(row - 1); }  // 1-based
  std::string Transcript() const { return out.str(); }
  bool Has(const std::string& line) const { return ("\n" + out.str()).find("\n" + line + "\n") != std::string::npos; }

  TempDir dir;
  std::ostringstream out;
  std::unique_ptr<headless::Session> session;
};

}  // namespace tembra::testing
