// What every FileSystem does alike, written once: compiled into the POSIX unit tests
// (find_test.cpp) and into the Windows checks (tests/windows/win32_layer_test.cpp), each
// with its own way of reporting a check: check(ok, what, detail).
#pragma once

#include <string>

#include "platform/platform.h"

namespace tembra::contract {

// Names of the files the contract leaves in its folder.
struct ContractFiles {
  std::string a, b, c;  // a.txt (24 + 4 bytes), b.txt (gone: renamed to c), c (a long name)
};

// Whole-file reads and writes, reads at a position, existence, copy and rename, in the
// folder `dir` (a Windows path without a final "\" that exists and is empty).
template <class Check>
ContractFiles FileSystemContract(FileSystem& fs, const std::string& dir, Check&& check) {
  auto q = [](const std::string& s) { return "'" + s + "'"; };
  ContractFiles f{dir + "\\a.txt", dir + "\\b.txt", dir + "\\A Long Name With Blanks.text"};
  const std::string& a = f.a;
  check(fs.WriteWholeFile(a, "line 1\r\nline 2\r\n"), "write whole file", "");
  check(fs.AppendToFile(a, "line 3\r\n"), "append to file", "");
  check(fs.AppendToFile(dir + "\\new.log", "x"), "append creates a missing file", "");
  std::string text;
  check(fs.ReadWholeFile(a, text) && text == "line 1\r\nline 2\r\nline 3\r\n", "read whole file", q(text));
  check(!fs.ReadWholeFile(dir + "\\missing.txt", text) && text.empty(), "read of a missing file fails", "");

  FileHandle h = fs.OpenRead(a);
  check(h != kInvalidFile, "open for reading", "");
  char buf[64];
  check(fs.ReadAt(h, 1, buf, 4) == 4 && std::string(buf, 4) == "line", "read at position 1", "");
  check(fs.ReadAt(h, 9, buf, 6) == 6 && std::string(buf, 6) == "line 2", "read at position 9", "");
  check(fs.ReadAt(h, 20, buf, 64) == 5, "read across the end returns what is there", "");
  check(fs.ReadAt(h, 25, buf, 10) == 0, "read past the end returns 0", "");
  check(fs.ReadAt(h, 0, buf, 10) == -1, "position 0 is refused", "");
  check(fs.FileLength(h) == 24, "file length", "");
  // The viewed file stays shared: others may write and delete it meanwhile.
  check(fs.AppendToFile(a, "more"), "a viewed file can still be written", "");
  check(fs.FileLength(h) == 28, "length follows a growing file", "");
  fs.CloseFile(h);
  check(fs.OpenRead(dir) == kInvalidFile, "a folder is not opened as a file", "");
  check(fs.OpenRead(dir + "\\missing") == kInvalidFile, "a missing file is not opened", "");

  check(fs.Exists(a) == 0, "exists: file", "");
  check(fs.Exists(dir) == 1, "exists: folder", "");
  check(fs.Exists(dir + "\\") == 1, "exists: folder with final backslash", "");
  check(fs.Exists(dir + "\\nothing") == -1, "exists: nothing", "");
  check(fs.Exists(dir + "\\*.txt") == -1, "exists: a pattern is no name", "");
  check(fs.Exists(dir.substr(0, 2)) == 1, "exists: bare drive", "");

  // Copy, rename, delete.
  const std::string &b = f.b, &c = f.c;
  check(fs.CopyFile(a, b, true) == 0, "copy", "");
  check(fs.CopyFile(a, b, true) != 0, "copy refuses an existing target when asked", "");
  check(fs.CopyFile(a, b, false) == 0, "copy replaces when allowed", "");
  check(fs.RenameFile(b, a) != 0 && fs.Exists(b) == 0, "rename never replaces an existing file", "");
  check(fs.RenameFile(b, c) == 0 && fs.Exists(c) == 0 && fs.Exists(b) == -1, "rename", "");

  // A log rotated while it is viewed: the name then holds another file.
  const std::string log = dir + "\\app.log", old = dir + "\\app.log.1";
  fs.WriteWholeFile(log, "old\r\n");
  FileHandle viewed = fs.OpenRead(log);
  check(fs.StillAtPath(viewed, log), "an open file is at its name", "");
  check(fs.RenameFile(log, old) == 0 && fs.WriteWholeFile(log, "new\r\n") && !fs.StillAtPath(viewed, log),
        "a file put in its place is another one", "");
  fs.CloseFile(viewed);
  fs.DeleteFile(log);
  fs.DeleteFile(old);
  return f;
}

}  // namespace tembra::contract
