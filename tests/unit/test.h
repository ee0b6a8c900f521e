// The vocabulary of the unit tests: a temporary folder, the one session fixture (in a
// temporary folder or over a file system in memory, keys by name), 1-based screen rows,
// entry records made and read by field name (src/core/zdir_layout.h) and key names
// (src/platform/keycodes.h). Every unit test speaks through it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "core/zdir_layout.h"
#include "config/config_state.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_list.h"
#include "dirlist/entry_table.h"
#include "fileops/fileops_state.h"
#include "fileops/temp_name.h"
#include "platform/headless/session.h"
#include "platform/keycodes.h"
#include "viewer/file_view.h"

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

// An entry record as the scan writes one, made with the record layout's writers: the
// names, the type ('F' a file, 'D' a folder, 'U' the parent entry), the write date
// (yyyymmdd, at noon) and the size (none for a folder).
inline std::string EntryRecord(const std::string& name, char type = 'F', const std::string& date = "20260301",
                               uint64_t size = 10) {
  std::string r = ZdNewRecord(UCase(name), name);
  ZdPut(r, kZdWriteTime, date + "12000000");
  if (type != 'D') ZdPutSize(r, size, kZdSizeDigits);
  ZdPutNameLength(r, static_cast<int64_t>(name.size()), kZdBlankPadded);
  ZdPutChar(r, kZdType, type);
  ZdPutDisplayCol(r, IsTempName(UCase(name), TempNameUse::Listing) ? kZdTempSource : kZdName, kZdBlankPadded);
  return r;
}

// The one session of the unit tests: tembra-headless's session in a temporary folder
// (`subdir` of it, made first, when given), or over a file system the test gives (a
// MemoryFileSystem: then nothing is read or written on disk). The transcript collects
// in `out`; script lines, keys by name and the answers of boxes go through it.
struct SessionFixture {
  explicit SessionFixture(headless::Options o = {}, const std::string& subdir = "") { Open(std::move(o), subdir); }
  explicit SessionFixture(FileSystem& files, headless::Options o = {}) : files_(&files) { Open(std::move(o)); }
  ~SessionFixture() {
    session.reset();
    // Leave the folder so that it can be removed.
    if (::chdir("/") != 0) {}
  }
  SessionFixture(const SessionFixture&) = delete;
  SessionFixture& operator=(const SessionFixture&) = delete;

  // A new session in place of the last one, with these options (a fixed clock unless
  // given; "" the real one); the transcript starts again.
  void Open(headless::Options o = {}, const std::string& subdir = "") {
    if (o.cwd.empty() && !files_) o.cwd = dir.path() + (subdir.empty() ? "" : "/" + subdir);
    if (!o.clock) o.clock = "2026-03-04 10:00:00";
    else if (o.clock->empty()) o.clock.reset();  // "": the real clock
    if (!subdir.empty()) dir.Mkdir(subdir);
    session.reset();
    out.str("");
    session = files_ ? std::make_unique<headless::Session>(o, out, *files_)
                     : std::make_unique<headless::Session>(o, out);
  }
  bool Start() { return session->Start(); }
  // Script lines, one after the other; false once the program has ended.
  bool Run(const std::string& scriptLines) {
    std::istringstream in(scriptLines);
    std::string line;
    while (std::getline(in, line))
      if (!session->RunLine(line)) return false;
    return true;
  }
  // A key by its script name with its modifiers: Key("Right ctrl"), Key("PgDn").
  bool Key(const std::string& key) { return Run("key " + key); }
  // Characters typed, each with its key-down and key-up: Type("q").
  bool Type(const std::string& text) { return Run("type " + text); }
  // The answers the next input boxes and message boxes get (nullopt: Cancel).
  void Input(std::optional<std::string> answer) { session->dialogs().inputs.push_back(std::move(answer)); }
  void Answer(const std::string& button) { session->dialogs().answers.push_back(button); }

  Lister& L() { return session->lister(); }
  std::string Row(int row) { return ScreenRow(*session, row); }
  std::string Message() { return MessageLine(*session); }
  std::string Transcript() const { return out.str(); }
  bool Has(const std::string& line) const { return ("\n" + out.str()).find("\n" + line + "\n") != std::string::npos; }

  // Puts records as entries 1..n, shown in that order, with `parent` as entry 0 ("": none,
  // as at a root) and the cursor on the first.
  void Entries(const std::vector<std::string>& recs, const std::string& parent = "") {
    EntryList& e = L().Entries();
    e.Reset(e.nZDirMax);
    e.Grow(static_cast<int32_t>(recs.size()));
    std::vector<EntryTable::Shown> order(recs.size() + 1);
    for (size_t i = 0; i < recs.size(); ++i) {
      e.Record(static_cast<int32_t>(i + 1)) = recs[i];
      order[i + 1].index = static_cast<int32_t>(i + 1);
    }
    e.nZDir = e.nSZDir = static_cast<int32_t>(recs.size());
    e.SetOrder(order);
    e.Record(0) = parent;
    e.iFirstZDir = parent.empty() ? 1 : 0;
    e.iCursor = 1;
  }

  TempDir dir;
  std::ostringstream out;
  std::unique_ptr<headless::Session> session;

 private:
  FileSystem* files_ = nullptr;
};

}  // namespace tembra::testing
