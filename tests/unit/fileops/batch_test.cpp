// The engine of work on many entries on the POSIX host: refusals at their boundaries,
// numbered names, trees with links, modes, times and FIFOs, conflicts, cancel, moves
// across file systems, batches of steps and the Trash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "../platform/entries_contract.h"
#include "fileops/batch.h"
#include "platform/posix/posix_platform.h"
#include "test.h"

namespace fs = std::filesystem;
using namespace tembra;
using tembra::testing::TempDir;

namespace {

class Batch : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1); }
  void TearDown() override {
    unsetenv("TEMBRA_SIMULATE_OTHER_FILE_SYSTEM");
    unsetenv("TEMBRA_SIMULATE_WRITE_ERROR");
  }
  std::string W(const std::string& name) { return files.WinPathOfHost(dir / name); }
  BatchSummary Run(BatchWork work, const std::vector<std::string>& names, const std::string& to,
                   const BatchCallbacks& callbacks = {}) {
    std::vector<std::string> sources;
    for (const std::string& n : names) sources.push_back(W(n));
    return CopyOrMoveEntries(files, work, sources, W(to), callbacks);
  }
  std::string Read(const std::string& name) {
    std::string text;
    return files.ReadWholeFile(W(name), text) ? text : "<none>";
  }
  bool Exists(const std::string& name) { return files.Inspect(dir / name).kind != EntryKind::kNone; }
  struct stat Stat(const std::string& name) {
    struct stat st {};
    ::lstat((dir / name).c_str(), &st);
    return st;
  }

  TempDir dir{"batch"};
  posix::PosixFileSystem files;
};

// A folder on another file system than the test folder, where the machine has one.
std::string OtherFileSystem(const std::string& near) {
  struct stat a, b;
  if (::stat(near.c_str(), &a) != 0 || ::stat("/dev/shm", &b) != 0 || a.st_dev == b.st_dev) return "";
  std::string tmpl = "/dev/shm/tembra-batch-XXXXXX";
  return ::mkdtemp(tmpl.data()) ? tmpl : "";
}

void WriteFileOf(const std::string& host, const std::string& text) { std::ofstream(host, std::ios::binary) << text; }

}  // namespace

TEST_F(Batch, EntriesContract) {
  contract::EntriesContract(files, dir.path(), [](bool ok, const char* what, const std::string& detail) {
    EXPECT_TRUE(ok) << what << " " << detail;
  });
}

TEST(BatchNames, NumberedAndFree) {
  struct Case {
    const char* name;
    bool folder;
    const char* second;
  } cases[] = {{"a.txt", false, "a (2).txt"},    {"README", false, "README (2)"}, {".bashrc", false, ".bashrc (2)"},
               {"my.folder", true, "my.folder (2)"}, {"a.tar.gz", false, "a (2).tar.gz"}, {"x.", false, "x. (2)"},
               {".tar.gz", false, ".tar (2).gz"}};
  for (const Case& c : cases) EXPECT_EQ(NumberedName(c.name, c.folder, 2), c.second) << c.name;
  std::set<std::string> taken = {"a (2).txt"};
  EXPECT_EQ(FreeName("a.txt", false, [&](const std::string& n) { return taken.count(n) > 0; }), "a (3).txt");
}

// Refused before anything is written, at the boundaries: a folder into itself or a
// folder inside it (also reached through a link), onto itself, the same file through a
// hard link; a name that merely begins like the folder is another folder.
TEST_F(Batch, RefusalsAtTheirBoundaries) {
  dir.Mkdir("a/b/c");
  dir.Mkdir("a/bc");
  dir.Mkdir("h");
  dir.Write("a/f", "f");
  dir.Write("plain", "p");
  ASSERT_EQ(::symlink((dir / "a/b/c").c_str(), (dir / "toc").c_str()), 0);
  ASSERT_EQ(::link((dir / "a/f").c_str(), (dir / "h/f").c_str()), 0);
  struct Case {
    BatchWork work;
    const char *source, *to;
    BatchRefusal refused;
  } cases[] = {{BatchWork::kCopy, "a/b", "a/b/c", BatchRefusal::kIntoItself},
               {BatchWork::kMove, "a/b", "a/b/c", BatchRefusal::kIntoItself},
               {BatchWork::kCopy, "a/b", "a/b", BatchRefusal::kIntoItself},
               {BatchWork::kCopy, "a/b", "toc", BatchRefusal::kIntoItself},
               {BatchWork::kCopy, "a/f", "a", BatchRefusal::kOntoItself},
               {BatchWork::kMove, "a/f", "h", BatchRefusal::kOntoItself},
               {BatchWork::kCopy, "a/f", "plain", BatchRefusal::kNoDestination},
               {BatchWork::kCopy, "a/b", "a/bc", BatchRefusal::kNone}};
  for (const Case& c : cases) {
    BatchSummary s = Run(c.work, {c.source}, c.to);
    EXPECT_EQ(s.refused, c.refused) << c.source << " into " << c.to;
    if (c.refused != BatchRefusal::kNone) {
      EXPECT_EQ(s.done + s.failed + s.skipped, 0);
    }
  }
  EXPECT_FALSE(Exists("a/b/c/b"));
  EXPECT_TRUE(Exists("a/bc/b/c"));
}

// A tree as cp -a copies it for its user: links as links, times and permission bits
// kept, a FIFO passed over with a note; progress ends at the planned totals.
TEST_F(Batch, TreeKeepsLinksTimesModesAndPassesOverAFifo) {
  dir.Write("t/sub/data", std::string(1000, 'd'));
  dir.Write("t/top", "top");
  ASSERT_EQ(::symlink("sub/data", (dir / "t/link").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "t/sub/fifo").c_str(), 0600), 0);
  ASSERT_EQ(::chmod((dir / "t/top").c_str(), 0751), 0);
  ASSERT_EQ(::chmod((dir / "t/sub").c_str(), 0705), 0);
  struct timespec old[2] = {{1000000000, 5}, {1000000000, 123456700}};
  for (const char* n : {"t/sub/data", "t/sub", "t"}) ASSERT_EQ(::utimensat(AT_FDCWD, (dir / n).c_str(), old, 0), 0);
  dir.Mkdir("out");
  BatchProgress last;
  BatchCallbacks cb;
  cb.progress = [&](const BatchProgress& p) { return last = p, true; };
  BatchSummary s = Run(BatchWork::kCopy, {"t"}, "out", cb);
  EXPECT_EQ(s.done, 5);
  EXPECT_EQ(s.skipped, 1);
  ASSERT_EQ(s.passedOver.size(), 1u);
  EXPECT_EQ(s.passedOver[0].kind, EntryKind::kFifo);
  EXPECT_EQ(s.passedOver[0].path, W("t/sub/fifo"));
  EXPECT_EQ(last.entriesDone, last.entriesTotal);
  EXPECT_EQ(last.bytesDone, 1003);
  EXPECT_EQ(last.bytesTotal, 1003);
  EXPECT_EQ(fs::read_symlink(dir / "out/t/link"), "sub/data");
  EXPECT_FALSE(Exists("out/t/sub/fifo"));
  for (const char* n : {"t/top", "t/sub", "t/sub/data", "t"}) {
    const struct stat a = Stat(n), b = Stat(std::string("out/") + n);
    EXPECT_EQ(a.st_mode, b.st_mode) << n;
    EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec) << n;
    EXPECT_EQ(a.st_mtim.tv_nsec, b.st_mtim.tv_nsec) << n;
  }
}

// Each answer to a name in the way, "for all" asked once, and skip without a callback.
TEST_F(Batch, ConflictAnswers) {
  struct Case {
    ConflictChoice choice;
    bool forAll;
    int questions;
    const char *file, *kept, *inner;
  } cases[] = {{ConflictChoice::kSkip, false, 2, "old", "<none>", "old x"},
               {ConflictChoice::kReplace, false, 3, "new", "<none>", "new x"},
               {ConflictChoice::kReplace, true, 1, "new", "<none>", "new x"},
               {ConflictChoice::kKeepBoth, false, 2, "old", "new", "old x"}};
  for (const Case& c : cases) {
    TempDir root{"conflict"};
    root.Write("in/a.txt", "new");
    root.Write("in/d/x", "new x");
    root.Write("in/d/y", "y");
    root.Write("out/a.txt", "old");
    root.Write("out/d/x", "old x");
    int questions = 0;
    BatchCallbacks cb;
    cb.conflict = [&](const Conflict&) { return ++questions, ConflictAnswer{c.choice, c.forAll}; };
    BatchSummary s = CopyOrMoveEntries(files, BatchWork::kCopy, {files.WinPathOfHost(root / "in/a.txt"), files.WinPathOfHost(root / "in/d")},
                                       files.WinPathOfHost(root / "out"), cb);
    std::string text;
    EXPECT_EQ(questions, c.questions);
    EXPECT_TRUE(files.ReadWholeFile(files.WinPathOfHost(root / "out/a.txt"), text) && text == c.file) << text;
    if (!files.ReadWholeFile(files.WinPathOfHost(root / "out/a (2).txt"), text)) text = "<none>";
    EXPECT_EQ(text, c.kept);
    EXPECT_TRUE(files.ReadWholeFile(files.WinPathOfHost(root / "out/d/x"), text) && text == c.inner) << text;
    EXPECT_EQ(fs::exists(root / "out/d (2)/y"), c.choice == ConflictChoice::kKeepBoth);
    EXPECT_EQ(s.failed, 0);
  }
  dir.Write("in/a.txt", "new");
  dir.Write("out/a.txt", "old");
  BatchSummary s = Run(BatchWork::kMove, {"in/a.txt"}, "out");
  EXPECT_EQ(s.skipped, 1);
  EXPECT_EQ(Read("out/a.txt"), "old");
  EXPECT_EQ(Read("in/a.txt"), "new");
}

// A cancel inside a large file leaves nothing under its name, nor a temporary file.
TEST_F(Batch, CancelInsideALargeFileLeavesNothing) {
  dir.Write("in/big", std::string(3 << 20, 'b'));
  dir.Write("in/next", "n");
  dir.Mkdir("out");
  BatchCallbacks cb;
  cb.progress = [](const BatchProgress& p) { return p.bytesDone == 0; };
  BatchSummary s = Run(BatchWork::kCopy, {"in/big", "in/next"}, "out", cb);
  EXPECT_TRUE(s.cancelled);
  EXPECT_EQ(s.done + s.failed, 0);
  EXPECT_TRUE(fs::is_empty(dir / "out"));
}

// A move whose copy fails (a full disk) keeps every original; the copies that were made
// stay, and nothing half-written is left.
TEST_F(Batch, FailedMoveAcrossFileSystemsRemovesNothing) {
  dir.Write("in/t/a", "a");
  dir.Write("in/t/b", "b");
  dir.Mkdir("out");
  setenv("TEMBRA_SIMULATE_OTHER_FILE_SYSTEM", "1", 1);
  setenv("TEMBRA_SIMULATE_WRITE_ERROR", "28", 1);
  BatchSummary s = Run(BatchWork::kMove, {"in/t"}, "out");
  EXPECT_EQ(s.failed, 2);
  EXPECT_EQ(s.firstFailure.kind, FailureKind::kFullDisk);
  EXPECT_EQ(s.firstFailure.path.rfind(W("in/t") + "\\", 0), 0u) << s.firstFailure.path;
  EXPECT_EQ(s.kept, std::vector<std::string>{W("in/t")});
  EXPECT_TRUE(s.trashed.empty());
  EXPECT_EQ(Read("in/t/a"), "a");
  EXPECT_TRUE(fs::is_empty(dir / "out/t"));
}

// Across file systems a folder is copied, checked and its original goes to the Trash;
// within one a move is a rename (the same inode), of a file and of a folder.
TEST_F(Batch, MoveAcrossAndWithinFileSystems) {
  std::string other = OtherFileSystem(dir.path());
  if (other.empty()) setenv("TEMBRA_SIMULATE_OTHER_FILE_SYSTEM", "1", 1);
  const std::string to = other.empty() ? dir / "out" : other;
  fs::create_directories(to);
  dir.Write("in/t/a", "a");
  ASSERT_EQ(::symlink("a", (dir / "in/t/l").c_str()), 0);
  BatchSummary s = CopyOrMoveEntries(files, BatchWork::kMove, {W("in/t")}, files.WinPathOfHost(to), {});
  EXPECT_EQ(s.done, 3) << s.firstFailure.reason;
  ASSERT_EQ(s.trashed.size(), 1u);
  EXPECT_EQ(s.trashed[0].original, dir / "in/t");
  EXPECT_FALSE(Exists("in/t"));
  EXPECT_EQ(fs::read_symlink(to + "/t/l"), "a");
  if (!other.empty()) fs::remove_all(other);
  unsetenv("TEMBRA_SIMULATE_OTHER_FILE_SYSTEM");
  dir.Write("in/d/x", "x");
  dir.Mkdir("out");
  const ino_t inode = Stat("in/d").st_ino;
  s = Run(BatchWork::kMove, {"in/d"}, "out");
  EXPECT_EQ(s.done, 1);
  EXPECT_EQ(Stat("out/d").st_ino, inode);
  EXPECT_TRUE(s.trashed.empty());
}

// A batch of steps: each outcome counted, a cancel ends it, what a step put in the
// Trash is the summary's record.
TEST_F(Batch, StepsAreSummedUp) {
  dir.Write("a", "a");
  dir.Write("b", "b");
  std::vector<std::string> order;
  BatchSummary s = RunEach(files, {W("a"), W("b"), W("c"), W("d")}, [&](const std::string& e) {
    order.push_back(e);
    if (e == W("a")) return StepResult{StepResult::kDone, files.RecycleFile(e, false)};
    if (e == W("b")) return StepResult{StepResult::kSkipped, 0};
    if (e == W("c")) return StepResult{StepResult::kFailed, files.DeleteFile(e)};
    return StepResult{StepResult::kCancelled, 0};
  }, {});
  EXPECT_EQ(order.size(), 4u);
  EXPECT_EQ(s.done, 1);
  EXPECT_EQ(s.skipped, 1);
  EXPECT_EQ(s.failed, 1);
  EXPECT_TRUE(s.cancelled);
  EXPECT_EQ(s.firstFailure.kind, FailureKind::kVanished);
  ASSERT_EQ(s.trashed.size(), 1u);
  EXPECT_EQ(s.trashed[0].original, dir / "a");
}

// The Trash lists what went there (with its place and date), from the home Trash and
// another file system's own (its Path relative to that file system's top); restoring
// recreates a missing folder and never replaces what is at the original place: that is
// asked.
TEST_F(Batch, TrashListAndRestore) {
  const std::string other = OtherFileSystem(dir.path());
  const std::string far = other.empty() ? dir / "w/far" : other + "/far";
  dir.Write("w/one.txt", "1");
  dir.Write("w/sub/two", "2");
  WriteFileOf(far, "3");
  ASSERT_EQ(files.RecycleEntry(dir / "w/one.txt"), 0);
  ASSERT_EQ(files.RecycleEntry(dir / "w/sub/two"), 0);
  ASSERT_EQ(files.RecycleEntry(far), 0);
  ASSERT_EQ(::rmdir((dir / "w/sub").c_str()), 0);
  std::vector<TrashItem> record = files.TakeTrashed();
  ASSERT_EQ(record.size(), 3u);
  // What else the machine's Trash folders hold is no part of this test.
  auto listed = [&] {
    std::vector<TrashItem> mine;
    for (TrashItem& t : files.TrashContents())
      if (t.original.rfind(dir.path(), 0) == 0 || t.original == far) mine.push_back(t);
    return mine;
  };
  std::set<std::string> originals;
  for (const TrashItem& t : listed()) {
    originals.insert(t.original);
    EXPECT_EQ(t.deleted.size(), 19u) << t.deleted;
  }
  EXPECT_EQ(originals, (std::set<std::string>{dir / "w/one.txt", dir / "w/sub/two", far}));
  dir.Write("w/one.txt", "new");
  EXPECT_EQ(files.RestoreTrashItem(record[0], record[0].original), kErrExists);
  BatchCallbacks cb;
  cb.conflict = [](const Conflict&) { return ConflictAnswer{ConflictChoice::kKeepBoth, false}; };
  BatchSummary s = RestoreEntries(files, record, cb);
  EXPECT_EQ(s.done, 3);
  std::string text;
  EXPECT_TRUE(files.ReadWholeFile(files.WinPathOfHost(far), text) && text == "3");
  if (!other.empty()) fs::remove_all(other);
  EXPECT_EQ(Read("w/one.txt"), "new");
  EXPECT_EQ(Read("w/one (2).txt"), "1");
  EXPECT_EQ(Read("w/sub/two"), "2");
  EXPECT_TRUE(listed().empty());
}
