// Work on many entries at once, for the pages to build on: a copy or move of a set of
// entries into a folder (folders as whole trees), a batch of single-entry procedures
// with one summary, and the return of entries from the Trash. Window-free: the results
// come back as values; questions and progress go through callbacks.
//
// Sources and destinations are Windows paths, as the pages name entries; the engine
// resolves each once to a host path and works below it by name (FileSystem's calls on
// host paths).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tembra {

// What to do with a name that exists at the destination; kCancel ends the batch there.
enum class ConflictChoice { kSkip, kReplace, kKeepBoth, kCancel };
struct ConflictAnswer {
  ConflictChoice choice = ConflictChoice::kSkip;
  bool forAll = false;  // the same answer for every later conflict of the batch
};
// The question: the entry to be placed and the one in its way (Windows paths).
struct Conflict {
  std::string source, destination;
  EntryStatus sourceStatus, destinationStatus;
};

// Where a batch stands, told after each entry and after each piece of a large file.
struct BatchProgress {
  int64_t entriesDone = 0, entriesTotal = 0;
  int64_t bytesDone = 0, bytesTotal = 0;
  std::string current;  // host path of the entry at work (FileSystem::WinPathOfHost shows it)
};

struct BatchCallbacks {
  // Asked for each conflict until an answer "for all"; unset, every conflict is skipped.
  std::function<ConflictAnswer(const Conflict&)> conflict;
  // False cancels: between entries, and inside a file (whose copy then leaves nothing).
  std::function<bool(const BatchProgress&)> progress;
};

// Why a batch did not start; nothing was written.
enum class BatchRefusal {
  kNone,
  kNoDestination,  // the destination is no folder
  kIntoItself,     // a folder into itself or a folder inside it
  kOntoItself,     // an entry onto itself (the same file at the destination)
};

// Why an entry failed, in the classes a message tells apart.
enum class FailureKind { kNone, kFullDisk, kVanished, kDenied, kBadName, kAppeared, kDiffers, kOther };

struct BatchFailure {
  FailureKind kind = FailureKind::kNone;
  std::string path;         // the entry (Windows path)
  std::string destination;  // where it was to go ("" for a step of RunEach)
  int error = 0;            // for FileSystem::ErrorText
  std::string reason;       // ErrorText(error)
};

// An entry that cannot be copied (a FIFO, device or socket), passed over.
struct PassedOver {
  std::string path;  // Windows path
  EntryKind kind = EntryKind::kNone;
};

struct BatchSummary {
  BatchRefusal refused = BatchRefusal::kNone;
  std::string refusedPath;  // the source (or destination) refused, Windows path
  // Entries counted one by one, in trees too; an entry moved by a rename counts once.
  int64_t done = 0, skipped = 0, failed = 0;
  bool cancelled = false;
  BatchFailure firstFailure;
  std::vector<PassedOver> passedOver;
  std::vector<std::string> kept;    // originals of a move that stay: not completely copied and checked
  std::vector<std::string> placed;  // the entries made at the destination's top (Windows paths)
  std::vector<TrashItem> trashed;   // what went to the Trash in this batch
};

enum class BatchWork { kCopy, kMove };

// Copies or moves the entries `sources` into the folder `destination`. A copy keeps
// times and permission bits, copies links as links and passes over FIFOs, devices and
// sockets. A move is a rename where the file system allows; across file systems it is a
// copy whose every file is checked before the original goes to the Trash (a folder only
// when copied whole). Refusals come before anything is written.
BatchSummary CopyOrMoveEntries(FileSystem& fs, BatchWork work, const std::vector<std::string>& sources,
                               const std::string& destination, const BatchCallbacks& callbacks);

// One step of a batch of single-entry procedures (delete, backup, set aside).
struct StepResult {
  enum Outcome { kDone, kSkipped, kFailed, kCancelled } outcome = kDone;
  int error = 0;  // kFailed: for FileSystem::ErrorText
};
// Runs `step` on every entry (Windows paths) in turn, with progress and cancel, and sums
// up; what the steps put in the Trash is in the summary (the record an undo restores).
BatchSummary RunEach(FileSystem& fs, const std::vector<std::string>& entries,
                     const std::function<StepResult(const std::string&)>& step, const BatchCallbacks& callbacks);

// Returns entries from the Trash to where they were. An entry in the way is a conflict:
// keep both restores beside it under a free name, replace puts it in the Trash first;
// nothing is ever overwritten.
BatchSummary RestoreEntries(FileSystem& fs, const std::vector<TrashItem>& items, const BatchCallbacks& callbacks);

// The name of the n-th copy beside an entry (n >= 2): "a.txt" -> "a (2).txt",
// "a.tar.gz" -> "a (2).tar.gz"; a folder, a name without extension and a dot file
// ".rc" take it at the end: "a (2)", ".rc (2)".
std::string NumberedName(const std::string& name, bool folder, int n);
// The first numbered name from 2 on that `taken` says is free ("" when none is).
std::string FreeName(const std::string& name, bool folder, const std::function<bool(const std::string&)>& taken);

}  // namespace tembra
