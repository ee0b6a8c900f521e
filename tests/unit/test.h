// The vocabulary of the unit tests: a temporary folder, a session with options, 1-based
// screen rows, entry-record fields by name (src/core/zdir_layout.h) and key names
// (src/platform/keycodes.h). Every unit test speaks through it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/zdir_layout.h"
#include "platform/headless/session.h"
#include "platform/keycodes.h"

namespace tembra::testing {

// A temporary folder, removed with the object; `kind` goes into its name.
class TempDir {
 public:
  explicit TempDir(const std::string& kind = "unit") {
    std::string tmpl = (std::filesystem::temp_directory_path() / ("tembra-" + kind + "-XXXXXX")).string();
    char* p = ::mkdtemp(tmpl.data());
    path_ = p ? p : "";
  }
  ~TempDir() { Remove(); }
  // Removes the folder and what it holds; false when that failed.
  bool Remove() const {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    return !ec;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // The host path of a name inside the folder.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
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

// Row n of the screen, 1-based as the program counts rows; the bottom row is the message line.
inline std::string ScreenRow(headless::Session& s, int row) { return s.grid().RowText(row - 1); }
inline std::string MessageLine(headless::Session& s) { return s.grid().RowText(s.grid().Rows() - 1); }

// A field of an entry record by its name in zdir_layout.h, as text: Field(rec, kZdType),
// Field(rec, kZdSize), Field(rec, kZdName) (both names, to the record's end). The width is
// the field's own unless given.
inline int FieldWidth(int col) {
  switch (col) {
    case kZdShortName: return kZdShortNameLen;
    case kZdWriteTime:
    case kZdCreateTime:
    case kZdAccessTime: return kZdTimeLen;
    case kZdSize: return kZdSizeLen;
    case kZdExt: return kZdExtWidth;
    case kZdExtCol: return kZdExtColWidth;
    case kZdAttr: return kZdAttrWidth;
    case kZdNameLen: return kZdNameLenWidth;
    case kZdNameCol: return kZdNameColWidth;
    case kZdSeq: return kZdSeqWidth;
    case kZdName: return 1 << 20;
    default: return 1;
  }
}
inline std::string Field(const std::string& rec, int col, int width = 0) {
  return std::string(ZdField(rec, col, width > 0 ? width : FieldWidth(col)));
}

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
  std::string Row(int row) { return ScreenRow(*session, row); }
  std::string Transcript() const { return out.str(); }
  bool Has(const std::string& line) const { return ("\n" + out.str()).find("\n" + line + "\n") != std::string::npos; }

  TempDir dir;
  std::ostringstream out;
  std::unique_ptr<headless::Session> session;
};

}  // namespace tembra::testing
