// What every FileSystem does alike in its calls on host paths (the work on many
// entries), and a tree copied through the engine: compiled into the POSIX unit tests
// (fileops/batch_test.cpp) and the Windows checks (tests/windows/win32_layer_test.cpp).
#pragma once

#include <string>
#include <vector>

#include "fileops/batch.h"
#include "platform/platform.h"

namespace tembra::contract {

// In `dir`, a host path of an existing empty folder.
template <class Check>
void EntriesContract(FileSystem& fs, const std::string& dir, Check&& check) {
  const auto at = [&](const std::string& name) { return dir + fs.HostSeparator() + name; };
  const auto write = [&](const std::string& name, const std::string& text) { fs.WriteWholeFile(fs.WinPathOfHost(at(name)), text); };
  const auto read = [&](const std::string& name) {
    std::string text;
    fs.ReadWholeFile(fs.WinPathOfHost(at(name)), text);
    return text;
  };
  const auto count = [&](const std::string& folder) {
    std::vector<FolderEntry> entries;
    return fs.ListFolder(at(folder), entries) == 0 ? static_cast<int>(entries.size()) : -1;
  };
  check(fs.MakeFolder(at("src")) == 0 && fs.Inspect(at("src")).kind == EntryKind::kFolder, "make a folder", "");
  check(fs.MakeFolder(at("src")) == kErrExists, "a folder that exists is not made again", "");
  write("src/a.txt", "alpha");
  write("src/c.txt", "other");
  const EntryStatus a = fs.Inspect(at("src/a.txt"));
  check(a.kind == EntryKind::kFile && a.size == 5 && a.id != 0, "inspect a file", std::to_string(a.size));
  check(fs.Inspect(at("src/none")).kind == EntryKind::kNone && fs.Inspect(at("src/none")).error != 0, "inspect nothing", "");
  std::vector<FolderEntry> entries;
  check(fs.ListFolder(at("src"), entries) == 0 && entries.size() == 2 && entries[0].status.kind == EntryKind::kFile,
        "list a folder", std::to_string(entries.size()));

  // A copy keeps the last-write time, refuses an entry in the way unless told to
  // replace it, and a cancelled one leaves nothing.
  check(fs.CopyRegular(at("src/a.txt"), at("src/b.txt"), false) == 0 && read("src/b.txt") == "alpha", "copy a file", "");
  check(fs.Inspect(at("src/b.txt")).writeTime == a.writeTime, "the copy keeps the time", "");
  check(fs.CompareContents(at("src/a.txt"), at("src/b.txt")) == 0, "the copy has the same contents", "");
  check(fs.CopyRegular(at("src/c.txt"), at("src/b.txt"), false) == kErrExists && read("src/b.txt") == "alpha",
        "a copy does not replace unasked", "");
  check(fs.CopyRegular(at("src/c.txt"), at("src/b.txt"), true) == 0 && read("src/b.txt") == "other", "a copy replaces", "");
  check(fs.CompareContents(at("src/a.txt"), at("src/b.txt")) == kErrDiffers, "other contents differ", "");
  // (A host whose copy never tells its progress, as Wine's CopyFileEx, cannot be
  // cancelled inside a file.)
  write("src/big.bin", std::string(3 << 20, 'x'));
  int reports = 0;
  fs.copyProgress = [&](int64_t, int64_t) { return ++reports, false; };
  const int cancelled = fs.CopyRegular(at("src/big.bin"), at("src/big2.bin"), false);
  fs.copyProgress = nullptr;
  if (reports == 0 && cancelled == 0) fs.DeleteFile(fs.WinPathOfHost(at("src/big2.bin")));
  check((reports == 0 || cancelled == kErrCancelled) && fs.Inspect(at("src/big2.bin")).kind == EntryKind::kNone &&
            count("src") == 4,
        "a cancelled copy leaves nothing", std::to_string(cancelled));

  check(fs.RenameEntry(at("src/b.txt"), at("src/a.txt"), false) == kErrExists, "a rename does not replace unasked", "");
  check(fs.RenameEntry(at("src/b.txt"), at("src/d.txt"), false) == 0 && read("src/d.txt") == "other", "rename", "");
  check(fs.MakeFolder(at("src/inner")) == 0 && fs.MakeFolder(at("srcx")) == 0, "make folders", "");
  check(fs.Inside(at("src"), at("src")) && fs.Inside(at("src"), at("src/inner")), "a folder is inside itself", "");
  check(!fs.Inside(at("src"), dir) && !fs.Inside(at("src"), at("srcx")) && !fs.Inside(at("src/inner"), at("src")),
        "a folder beside or above is not inside", "");
  check(fs.KeepAttributes(at("src/inner"), at("srcx")) == 0 &&
            fs.Inspect(at("srcx")).writeTime == fs.Inspect(at("src/inner")).writeTime,
        "a folder takes another's time", "");
  check(fs.RemoveEmptyFolder(at("srcx")) == 0 && fs.RemoveEmptyFolder(at("src")) != 0, "only an empty folder goes", "");

  // The engine over these calls: a tree copied whole, then refused into itself.
  check(fs.MakeFolder(at("dst")) == 0, "make the destination", "");
  BatchSummary copy = CopyOrMoveEntries(fs, BatchWork::kCopy, {fs.WinPathOfHost(at("src"))},
                                        fs.WinPathOfHost(at("dst")), BatchCallbacks());
  check(copy.done == 6 && copy.failed == 0 && read("dst/src/d.txt") == "other" && count("dst/src") == 5,
        "a tree copied through the engine", std::to_string(copy.done) + " " + copy.firstFailure.reason);
  BatchSummary into = CopyOrMoveEntries(fs, BatchWork::kCopy, {fs.WinPathOfHost(at("dst"))},
                                        fs.WinPathOfHost(at("dst/src/inner")), BatchCallbacks());
  check(into.refused == BatchRefusal::kIntoItself && count("dst/src/inner") == 0, "no copy into itself", "");
}

}  // namespace tembra::contract
