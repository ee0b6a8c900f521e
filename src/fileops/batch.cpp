// Work on many entries at once: the plan of a copy or move (trees walked, refusals
// before anything is written), the placing of every entry with its conflicts, the check
// of a move across file systems before its originals go to the Trash, batches of
// single-entry procedures and the return of entries from the Trash.
#include "fileops/batch.h"

#include <optional>
#include <utility>

namespace tembra {

std::string NumberedName(const std::string& name, bool folder, int n) {
  const std::string number = " (" + std::to_string(n) + ")";
  size_t dot = folder ? std::string::npos : name.rfind('.');
  // A dot at the start makes no extension (".rc"), nor one at the end.
  if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return name + number;
  // A compressed tar archive keeps its two extensions together.
  const size_t tar = name.rfind(".tar", dot);
  if (tar != std::string::npos && tar > 0 && tar + 4 == dot) dot = tar;
  return name.substr(0, dot) + number + name.substr(dot);
}

std::string FreeName(const std::string& name, bool folder, const std::function<bool(const std::string&)>& taken) {
  for (int n = 2; n < 10000; ++n) {
    std::string candidate = NumberedName(name, folder, n);
    if (!taken(candidate)) return candidate;
  }
  return std::string();
}

namespace {

// The summary, the progress and the questions that every kind of batch keeps.
class BatchRun {
 public:
  BatchRun(FileSystem& fs, const BatchCallbacks& callbacks)
      : fs_(fs), callbacks_(callbacks), sep_(fs.HostSeparator()) {
    fs_.TakeTrashed();  // what an earlier call put in the Trash is no part of this batch
  }

 protected:
  std::string Join(const std::string& folder, const std::string& name) const {
    return !folder.empty() && folder.back() == sep_ ? folder + name : folder + sep_ + name;
  }
  // The folder that holds an entry; a root keeps its separator ("/", "C:\\").
  std::string Parent(const std::string& path) const {
    const size_t at = path.rfind(sep_);
    if (at == std::string::npos) return std::string();
    return path.substr(0, at == 0 || path[at - 1] == ':' ? at + 1 : at);
  }
  // A path without a separator at its end, unless it is a root.
  std::string Trimmed(std::string path) const {
    while (path.size() > 1 && path.back() == sep_ && path[path.size() - 2] != ':') path.pop_back();
    return path;
  }
  std::string Base(const std::string& path) const { return path.substr(path.rfind(sep_) + 1); }
  std::string Shown(const std::string& host) { return fs_.WinPathOfHost(host); }

  // Tells the progress; false once the caller cancelled.
  bool Report() {
    if (!stop_ && callbacks_.progress && !callbacks_.progress(progress_)) Cancel();
    return !stop_;
  }
  void Cancel() {
    stop_ = true;
    summary_.cancelled = true;
  }
  // An entry done, skipped or failed: `count` entries of `bytes` bytes are behind us.
  void Advance(int64_t count, int64_t bytes) {
    progress_.entriesDone += count;
    progress_.bytesDone += bytes;
    Report();
  }
  void Failed(const std::string& source, const std::string& destination, int error, int64_t count) {
    summary_.failed += count;
    if (summary_.firstFailure.kind != FailureKind::kNone) return;
    FailureKind kind = FailureKind::kOther;
    switch (fs_.ErrorKind(error)) {
      case FileErrorKind::kFull: kind = FailureKind::kFullDisk; break;
      case FileErrorKind::kMissing:
        kind = fs_.Inspect(source).kind == EntryKind::kNone ? FailureKind::kVanished : FailureKind::kOther;
        break;
      case FileErrorKind::kDenied: kind = FailureKind::kDenied; break;
      case FileErrorKind::kBadName: kind = FailureKind::kBadName; break;
      case FileErrorKind::kExists: kind = FailureKind::kAppeared; break;
      case FileErrorKind::kOther: break;
    }
    if (error == kErrDiffers) kind = FailureKind::kDiffers;
    summary_.firstFailure =
        BatchFailure{kind, Shown(source), destination.empty() ? "" : Shown(destination), error, fs_.ErrorText(error)};
  }
  // The answer to a name in the way, or the one given for all.
  ConflictChoice Ask(const std::string& source, const std::string& destination, const EntryStatus& sourceStatus,
                     const EntryStatus& there) {
    if (always_) return *always_;
    ConflictAnswer answer;
    if (callbacks_.conflict) answer = callbacks_.conflict(Conflict{Shown(source), Shown(destination), sourceStatus, there});
    if (answer.forAll) always_ = answer.choice;
    if (answer.choice == ConflictChoice::kCancel) Cancel();
    return answer.choice;
  }
  // A free name beside the entry at `path`.
  std::string FreeBeside(const std::string& path, bool folder) {
    const std::string folderPath = Parent(path);
    const std::string name =
        FreeName(Base(path), folder, [&](const std::string& n) { return fs_.Inspect(Join(folderPath, n)).kind != EntryKind::kNone; });
    return name.empty() ? std::string() : Join(folderPath, name);
  }
  BatchSummary Finish() {
    summary_.trashed = fs_.TakeTrashed();
    return std::move(summary_);
  }

  FileSystem& fs_;
  const BatchCallbacks& callbacks_;
  const char sep_;
  BatchSummary summary_;
  BatchProgress progress_;
  bool stop_ = false;
  std::optional<ConflictChoice> always_;
};

// One entry of a planned tree, in pre-order: the entries of a folder follow it up to `end`.
struct Node {
  std::string name;
  EntryStatus status;
  size_t end = 0;
  int listError = 0;  // a folder whose entries could not be listed
};

// A source of a copy or move and its tree (only the entry itself until it is walked:
// a move by rename needs no more).
struct Item {
  std::string source;  // host path
  std::vector<Node> nodes;
  bool walked = false;
};

class Transfer : public BatchRun {
 public:
  Transfer(FileSystem& fs, BatchWork work, const BatchCallbacks& callbacks) : BatchRun(fs, callbacks), work_(work) {}
  BatchSummary Run(const std::vector<std::string>& sources, const std::string& destination);

 private:
  bool Plan(const std::vector<std::string>& sources, const std::string& destination);
  void Walk(Item& item);
  void WalkFolder(Item& item, size_t at, const std::string& path);
  int64_t BytesOf(const Item& item, size_t at) const;
  void Place(Item& item, size_t at, const std::string& source, std::string destination, bool ask);
  void Merge(Item& item, size_t at, const std::string& source, const std::string& destination);
  void MoveByCopy(Item& item, size_t at, const std::string& source, const std::string& destination, bool replace);
  void Copy(Item& item, size_t at, const std::string& source, const std::string& destination, bool replace);
  void CopyFolder(Item& item, size_t at, const std::string& source, const std::string& destination);
  int CopyFile(const std::string& source, const std::string& destination, bool replace);
  void PassOver(Item& item, size_t at, const std::string& source, const std::string& destination, bool failed,
                int error);
  void TrashOriginals();

  const BatchWork work_;
  std::string destination_;  // host path of the folder
  EntryStatus destinationStatus_;
  std::vector<Item> items_;
  std::vector<std::pair<std::string, std::string>> copies_;  // files and links copied, to check
  std::vector<std::string> checked_;  // originals of a move copied whole and checked
  std::vector<std::string> written_;  // their copies, to be on disk before they go
  std::vector<std::string> emptied_;  // folders of a move merged into others, innermost first
};

BatchSummary Transfer::Run(const std::vector<std::string>& sources, const std::string& destination) {
  if (!Plan(sources, destination)) return Finish();
  // Each piece of a large file is told too; the last one is told with its entry.
  auto before = std::exchange(fs_.copyProgress, [this](int64_t done, int64_t total) {
    if (done >= total || !callbacks_.progress) return !stop_;
    BatchProgress now = progress_;
    now.bytesDone += done;
    if (!callbacks_.progress(now)) Cancel();
    return !stop_;
  });
  for (Item& item : items_) {
    if (stop_) break;
    Place(item, 0, item.source, Join(destination_, item.nodes[0].name), true);
  }
  fs_.copyProgress = std::move(before);
  TrashOriginals();
  return Finish();
}

// Looks at every source and the destination; walks the trees that will be copied.
bool Transfer::Plan(const std::vector<std::string>& sources, const std::string& destination) {
  destination_ = Trimmed(fs_.HostPathOfWin(destination));
  destinationStatus_ = fs_.Inspect(destination_, true);
  auto refuse = [&](BatchRefusal why, const std::string& path) {
    summary_.refused = why;
    summary_.refusedPath = path;
    return false;
  };
  if (destinationStatus_.kind != EntryKind::kFolder) return refuse(BatchRefusal::kNoDestination, destination);
  for (const std::string& source : sources) {
    Item item;
    item.source = Trimmed(fs_.HostPathOfWin(source));
    item.nodes.push_back(Node{Base(item.source), fs_.Inspect(item.source), 1, 0});
    const EntryStatus& status = item.nodes[0].status;
    if (status.kind == EntryKind::kFolder && fs_.Inside(item.source, destination_))
      return refuse(BatchRefusal::kIntoItself, source);
    if (status.SameEntry(fs_.Inspect(Join(destination_, item.nodes[0].name))))
      return refuse(BatchRefusal::kOntoItself, source);
    items_.push_back(std::move(item));
  }
  for (Item& item : items_) {
    // A move within one file system is a rename of any size: nothing to walk.
    if (work_ == BatchWork::kCopy || item.nodes[0].status.volume != destinationStatus_.volume) Walk(item);
    progress_.entriesTotal += static_cast<int64_t>(item.nodes.size());
    progress_.bytesTotal += BytesOf(item, 0);
  }
  return Report();
}

void Transfer::Walk(Item& item) {
  if (item.walked) return;
  item.walked = true;
  if (item.nodes[0].status.kind == EntryKind::kFolder) WalkFolder(item, 0, item.source);
  item.nodes[0].end = item.nodes.size();
}

void Transfer::WalkFolder(Item& item, size_t at, const std::string& path) {
  std::vector<FolderEntry> entries;
  item.nodes[at].listError = fs_.ListFolder(path, entries);
  for (FolderEntry& entry : entries) {
    const size_t child = item.nodes.size();
    const bool folder = entry.status.kind == EntryKind::kFolder;
    item.nodes.push_back(Node{std::move(entry.name), entry.status, child + 1, 0});
    if (folder) WalkFolder(item, child, Join(path, item.nodes[child].name));
    item.nodes[child].end = item.nodes.size();
  }
}

int64_t Transfer::BytesOf(const Item& item, size_t at) const {
  int64_t bytes = 0;
  for (size_t i = at; i < item.nodes[at].end; ++i) bytes += item.nodes[i].status.size;
  return bytes;
}

// Places the entry at `at` of the item at `destination`. With `ask` an entry may be in
// the way there (at the top, and inside a folder merged into an existing one).
void Transfer::Place(Item& item, size_t at, const std::string& source, std::string destination, bool ask) {
  if (stop_) return;
  const EntryStatus status = item.nodes[at].status;
  const int64_t count = static_cast<int64_t>(item.nodes[at].end - at);
  progress_.current = source;
  bool replace = false;
  const EntryStatus there = ask ? fs_.Inspect(destination) : EntryStatus();
  if (there.kind != EntryKind::kNone) {
    const bool folders = status.kind == EntryKind::kFolder, folderThere = there.kind == EntryKind::kFolder;
    switch (Ask(source, destination, status, there)) {
      case ConflictChoice::kCancel: return;
      case ConflictChoice::kSkip:
        summary_.skipped += count;
        return Advance(count, BytesOf(item, at));
      case ConflictChoice::kKeepBoth: {
        std::string free = FreeBeside(destination, folders);
        if (free.empty()) {
          Failed(source, destination, kErrExists, count);
          return Advance(count, BytesOf(item, at));
        }
        destination = std::move(free);
        break;
      }
      case ConflictChoice::kReplace:
        if (folders && folderThere) return Merge(item, at, source, destination);
        replace = !folders && !folderThere;
        // One kind in the place of another: the entry in the way goes to the Trash first.
        if (!replace) {
          if (int error = fs_.RecycleEntry(destination); error != 0) {
            Failed(source, destination, error, count);
            return Advance(count, BytesOf(item, at));
          }
        }
        break;
    }
  }
  if (work_ == BatchWork::kMove) {
    const int error = fs_.RenameEntry(source, destination, replace);
    if (error == kErrOtherVolume) return MoveByCopy(item, at, source, destination, replace);
    if (error != 0) Failed(source, destination, error, count);
    else summary_.done += count;
    if (error == 0 && at == 0) summary_.placed.push_back(Shown(destination));
    return Advance(count, BytesOf(item, at));
  }
  Copy(item, at, source, destination, replace);
  if (at == 0 && fs_.Inspect(destination).kind != EntryKind::kNone) summary_.placed.push_back(Shown(destination));
}

// A folder onto an existing folder: its entries go into that folder one by one, each
// asked about when its name is taken there; a move then removes the folder it emptied.
void Transfer::Merge(Item& item, size_t at, const std::string& source, const std::string& destination) {
  if (at == 0 && !item.walked) {
    Walk(item);
    progress_.entriesTotal += static_cast<int64_t>(item.nodes.size()) - 1;
    progress_.bytesTotal += BytesOf(item, 0);
  }
  for (size_t child = at + 1; child < item.nodes[at].end && !stop_; child = item.nodes[child].end)
    Place(item, child, Join(source, item.nodes[child].name), Join(destination, item.nodes[child].name), true);
  // Emptied once its entries moved by copy are in the Trash too.
  if (work_ == BatchWork::kMove && !stop_) emptied_.push_back(source);
  summary_.done += 1;
  if (at == 0) summary_.placed.push_back(Shown(destination));
  Advance(1, 0);
}

// A move across file systems: a copy, whose every file and link is checked; only an
// entry copied whole and checked goes to the Trash (once the copies are on disk).
void Transfer::MoveByCopy(Item& item, size_t at, const std::string& source, const std::string& destination,
                          bool replace) {
  if (at == 0 && !item.walked) {
    Walk(item);
    progress_.entriesTotal += static_cast<int64_t>(item.nodes.size()) - 1;
    progress_.bytesTotal += BytesOf(item, 0);
  }
  const int64_t failed = summary_.failed, skipped = summary_.skipped;
  const size_t passed = summary_.passedOver.size(), first = copies_.size();
  Copy(item, at, source, destination, replace);
  bool whole = !stop_ && summary_.failed == failed && summary_.skipped == skipped && summary_.passedOver.size() == passed;
  for (size_t i = first; whole && i < copies_.size(); ++i) {
    if (int error = fs_.CompareContents(copies_[i].first, copies_[i].second); error != 0) {
      Failed(copies_[i].first, copies_[i].second, error, 0);
      whole = false;
    }
  }
  for (size_t i = first; whole && i < copies_.size(); ++i) written_.push_back(std::move(copies_[i].second));
  copies_.resize(first);
  if (whole) checked_.push_back(source);
  else summary_.kept.push_back(Shown(source));
  if (at == 0 && whole) summary_.placed.push_back(Shown(destination));
}

void Transfer::Copy(Item& item, size_t at, const std::string& source, const std::string& destination, bool replace) {
  const Node& node = item.nodes[at];
  progress_.current = source;
  int error = 0;
  switch (node.status.kind) {
    case EntryKind::kFolder: return CopyFolder(item, at, source, destination);
    case EntryKind::kFile: error = CopyFile(source, destination, replace); break;
    case EntryKind::kLink: error = fs_.CopyLink(source, destination, replace); break;
    case EntryKind::kNone: error = node.status.error; break;
    default: return PassOver(item, at, source, destination, false, 0);
  }
  if (error == kErrCancelled) return;
  if (error != 0) {
    Failed(source, destination, error, 1);
  } else {
    summary_.done += 1;
    if (work_ == BatchWork::kMove) copies_.emplace_back(source, destination);
  }
  Advance(1, node.status.size);
}

void Transfer::CopyFolder(Item& item, size_t at, const std::string& source, const std::string& destination) {
  const Node& node = item.nodes[at];
  int error = node.listError != 0 ? node.listError : fs_.MakeFolder(destination);
  if (error != 0) return PassOver(item, at, source, destination, true, error);
  for (size_t child = at + 1; child < item.nodes[at].end && !stop_; child = item.nodes[child].end)
    Copy(item, child, Join(source, item.nodes[child].name), Join(destination, item.nodes[child].name), false);
  // Its times and permission bits once its entries are in it.
  error = fs_.KeepAttributes(source, destination);
  if (error != 0) Failed(source, destination, error, 1);
  else summary_.done += 1;
  Advance(1, 0);
}

int Transfer::CopyFile(const std::string& source, const std::string& destination, bool replace) {
  const int error = fs_.CopyRegular(source, destination, replace);
  // A cancel inside the file is the caller's, not a failure: the copy left nothing.
  if (error != 0 && stop_) return kErrCancelled;
  return error;
}

// An entry not copied with its tree: a FIFO, device or socket (passed over with a
// note), or a folder that could not be read or made (failed).
void Transfer::PassOver(Item& item, size_t at, const std::string& source, const std::string& destination,
                        bool failed, int error) {
  const int64_t count = static_cast<int64_t>(item.nodes[at].end - at);
  if (failed) {
    Failed(source, destination, error, count);
  } else {
    summary_.skipped += count;
    summary_.passedOver.push_back(PassedOver{Shown(source), item.nodes[at].status.kind});
  }
  Advance(count, BytesOf(item, at));
}

// The originals of a move whose copies were checked go to the Trash, once what was
// written is on disk; one that cannot stays where it is.
void Transfer::TrashOriginals() {
  int error = checked_.empty() ? 0 : fs_.FlushWrites(written_);
  if (error != 0) {
    for (const std::string& original : checked_) summary_.kept.push_back(Shown(original));
    Failed(checked_[0], destination_, error, 0);
    checked_.clear();
  }
  for (const std::string& original : checked_) {
    if (error = fs_.RecycleEntry(original); error != 0) {
      Failed(original, std::string(), error, 0);
      summary_.kept.push_back(Shown(original));
    }
  }
  // A merged folder that still holds an entry (skipped, failed) stays with it.
  for (const std::string& folder : emptied_)
    if (fs_.RemoveEmptyFolder(folder) != 0) summary_.kept.push_back(Shown(folder));
}

// A batch of single-entry procedures.
class Steps : public BatchRun {
 public:
  using BatchRun::BatchRun;
  BatchSummary Run(const std::vector<std::string>& entries, const std::function<StepResult(const std::string&)>& step) {
    progress_.entriesTotal = static_cast<int64_t>(entries.size());
    for (const std::string& entry : entries) {
      if (!Report()) break;
      progress_.current = fs_.HostPathOfWin(entry);
      const StepResult result = step(entry);
      if (result.outcome == StepResult::kCancelled) {
        Cancel();
        break;
      }
      if (result.outcome == StepResult::kDone) summary_.done += 1;
      else if (result.outcome == StepResult::kSkipped) summary_.skipped += 1;
      else Failed(progress_.current, std::string(), result.error, 1);
      progress_.entriesDone += 1;
    }
    Report();
    return Finish();
  }
};

// The return of entries from the Trash.
class Restore : public BatchRun {
 public:
  using BatchRun::BatchRun;
  BatchSummary Run(const std::vector<TrashItem>& items) {
    progress_.entriesTotal = static_cast<int64_t>(items.size());
    for (const TrashItem& item : items) {
      if (!Report()) break;
      progress_.current = item.where;
      RestoreOne(item);
      progress_.entriesDone += 1;
    }
    Report();
    return Finish();
  }

 private:
  void RestoreOne(const TrashItem& item) {
    std::string to = item.original;
    const EntryStatus there = fs_.Inspect(to);
    if (there.kind != EntryKind::kNone) {
      switch (Ask(item.where, to, fs_.Inspect(item.where), there)) {
        case ConflictChoice::kCancel: return;
        case ConflictChoice::kSkip: summary_.skipped += 1; return;
        case ConflictChoice::kKeepBoth: to = FreeBeside(to, item.folder); break;
        case ConflictChoice::kReplace:
          if (int error = fs_.RecycleEntry(to); error != 0) return Failed(to, std::string(), error, 1);
          break;
      }
    }
    const int error = to.empty() ? kErrExists : fs_.RestoreTrashItem(item, to);
    if (error != 0) return Failed(item.where, to.empty() ? item.original : to, error, 1);
    summary_.done += 1;
    summary_.placed.push_back(Shown(to));
  }
};

}  // namespace

BatchSummary CopyOrMoveEntries(FileSystem& fs, BatchWork work, const std::vector<std::string>& sources,
                               const std::string& destination, const BatchCallbacks& callbacks) {
  return Transfer(fs, work, callbacks).Run(sources, destination);
}

BatchSummary RunEach(FileSystem& fs, const std::vector<std::string>& entries,
                     const std::function<StepResult(const std::string&)>& step, const BatchCallbacks& callbacks) {
  return Steps(fs, callbacks).Run(entries, step);
}

BatchSummary RestoreEntries(FileSystem& fs, const std::vector<TrashItem>& items, const BatchCallbacks& callbacks) {
  return Restore(fs, callbacks).Run(items);
}

}  // namespace tembra
