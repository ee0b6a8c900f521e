#include "platform/memory/memory_files.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"
#include "core/unicode.h"
#include "platform/win_rules.h"

namespace tembra::memory {

struct MemoryFileSystem::Node {
  bool folder = false;
  std::shared_ptr<std::string> data;  // a file's bytes, shared with the handles that read them
  uint64_t written = 0, created = 0;
  std::map<std::string, std::unique_ptr<Node>> entries;  // a folder's, by stored name
};

MemoryFileSystem::MemoryFileSystem() { PutFolder("C:\\"); }
MemoryFileSystem::~MemoryFileSystem() = default;

namespace {
bool HasWildcards(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }
char UpperDrive(char c) { return static_cast<char>(UpperChar(static_cast<unsigned char>(c))); }
}  // namespace

bool MemoryFileSystem::SameName(const std::string& a, const std::string& b) const {
  if (utf8_) return Utf8Chars(a, true) == Utf8Chars(b, true);
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperChar(static_cast<unsigned char>(x)) == UpperChar(static_cast<unsigned char>(y));
         });
}

MemoryFileSystem::Node* MemoryFileSystem::Child(Node& folder, const std::string& name, bool exact,
                                                std::string* stored) {
  auto it = folder.entries.find(name);
  if (it == folder.entries.end() && !exact)
    it = std::find_if(folder.entries.begin(), folder.entries.end(),
                      [&](const auto& e) { return SameName(e.first, name); });
  if (it == folder.entries.end()) return nullptr;
  if (stored) *stored = it->first;
  return it->second.get();
}

MemoryFileSystem::Place MemoryFileSystem::Locate(const std::string& path, bool exactLast) {
  Place at;
  if (path.empty()) return at;
  at.full = ResolveWinPath(path, drive_, [this](char d) { return CurrentDirectoryOfDrive(d); });
  auto drive = drives_.find(at.full[0]);
  if (drive == drives_.end()) return at;
  const std::vector<std::string> parts = SplitWinPath(at.full.substr(2));
  Node* folder = drive->second.get();
  if (parts.empty()) {  // the drive's root
    at.folder = at.node = folder;
    return at;
  }
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    folder = Child(*folder, parts[i], false);
    if (!folder || !folder->folder) return at;
  }
  at.given = parts.back();
  if (HasWildcards(at.given)) return at;  // a pattern names no entry
  at.name = at.given;
  at.node = Child(*folder, at.given, exactLast, &at.name);
  // A final "\" names a folder only.
  if (at.node && !at.node->folder && at.full.back() == '\\') {
    at.node = nullptr;
    return at;
  }
  at.folder = folder;
  return at;
}

std::string MemoryFileSystem::StoredPath(const std::string& full) {
  std::string out = full.substr(0, 2);
  auto drive = drives_.find(full[0]);
  Node* folder = drive == drives_.end() ? nullptr : drive->second.get();
  for (const std::string& part : SplitWinPath(full.substr(2))) {
    std::string stored = part;
    folder = folder ? Child(*folder, part, false, &stored) : nullptr;
    out += "\\" + stored;
  }
  return out.size() == 2 ? out + "\\" : out;
}

int MemoryFileSystem::PutData(Place& at, std::shared_ptr<std::string> data, uint64_t writeTime) {
  if (!at.folder) return kNoSuchPath;
  if (at.name.empty() || (at.node && at.node->folder)) return kDenied;
  if (!at.node) {
    auto node = std::make_unique<Node>();
    node->created = writeTime;
    at.node = node.get();
    at.folder->entries[at.name] = std::move(node);
  }
  at.node->data = std::move(data);
  at.node->written = writeTime;
  return 0;
}

bool MemoryFileSystem::PutFolder(const std::string& path) {
  const std::string full = ResolveWinPath(path, drive_, [this](char d) { return CurrentDirectoryOfDrive(d); });
  std::unique_ptr<Node>& root = drives_[full[0]];
  if (!root) {
    root = std::make_unique<Node>();
    root->folder = true;
  }
  Node* folder = root.get();
  for (const std::string& part : SplitWinPath(full.substr(2))) {
    Node* next = Child(*folder, part, false);
    if (!next) {
      auto node = std::make_unique<Node>();
      node->folder = true;
      node->written = node->created = now;
      next = node.get();
      folder->entries[part] = std::move(node);
    }
    if (!next->folder) return false;
    folder = next;
  }
  return true;
}

bool MemoryFileSystem::PutFile(const std::string& path, const std::string& contents, uint64_t writeTime) {
  const std::string full = ResolveWinPath(path, drive_, [this](char d) { return CurrentDirectoryOfDrive(d); });
  if (!PutFolder(full.substr(0, full.find_last_of('\\') + 1))) return false;
  Place at = Locate(full);
  return PutData(at, std::make_shared<std::string>(contents), writeTime ? writeTime : now) == 0;
}

// ---------------------------------------------------------------- finding entries

FindHandle MemoryFileSystem::FindFirstFile(const std::string& pattern, FindData& data) {
  if (pattern.empty()) return kInvalidFind;
  const std::string full = ResolveWinPath(pattern, drive_, [this](char d) { return CurrentDirectoryOfDrive(d); });
  const size_t slash = full.find_last_of('\\');
  const std::string namePat = full.substr(slash + 1);
  const Place dir = Locate(full.substr(0, slash + 1));
  if (namePat.empty() || !dir.node || !dir.node->folder) return kInvalidFind;
  Search search;
  auto add = [&](const std::string& name, const Node& n) {
    FindData d;
    d.cFileName = name;
    d.dwFileAttributes = n.folder ? kAttrDirectory : kAttrArchive;
    const uint64_t size = n.data ? n.data->size() : 0;
    d.nFileSizeHigh = static_cast<uint32_t>(size >> 32);
    d.nFileSizeLow = static_cast<uint32_t>(size);
    d.ftLastWriteTime = d.ftLastAccessTime = n.written;
    d.ftCreationTime = n.created;
    search.found.push_back(d);
  };
  const bool all = namePat == "*" || namePat == "*.*";
  if (!HasWildcards(namePat)) {
    std::string stored;
    if (const Node* n = Child(*dir.node, namePat, false, &stored)) add(stored, *n);
  } else {
    for (const auto& [name, node] : dir.node->entries)
      if (all || MatchesFindPattern(name, namePat, utf8_)) add(name, *node);
  }
  if (search.found.empty()) return kInvalidFind;
  data = search.found[0];
  search.next = 1;
  finds_[nextFind_] = std::move(search);
  return nextFind_++;
}

bool MemoryFileSystem::FindNextFile(FindHandle handle, FindData& data) {
  auto it = finds_.find(handle);
  if (it == finds_.end() || it->second.next >= it->second.found.size()) return false;
  data = it->second.found[it->second.next++];
  return true;
}

void MemoryFileSystem::FindClose(FindHandle handle) { finds_.erase(handle); }

DateTime MemoryFileSystem::FileTimeToSystemTime(uint64_t ft) { return CalendarOfFileTime(ft); }

// Names are kept in the character set of the moment: Windows-1252 ("?" for a character it
// lacks) unless UTF-8.
std::string MemoryFileSystem::ShownUtf8Name(const std::string& utf8) { return utf8_ ? utf8 : Utf8ToCp1252(utf8); }

// ---------------------------------------------------------------- reading

FileHandle MemoryFileSystem::OpenRead(const std::string& path) {
  const Place at = Locate(path);
  if (!at.node || at.node->folder) return kInvalidFile;
  open_[nextFile_] = at.node->data;
  return nextFile_++;
}

long MemoryFileSystem::ReadAt(FileHandle file, int64_t pos, char* buffer, long n) {
  auto it = open_.find(file);
  if (it == open_.end() || pos < 1 || n < 0) return -1;
  const std::string& bytes = *it->second;
  if (pos - 1 >= static_cast<int64_t>(bytes.size())) return 0;
  const size_t got = std::min(static_cast<size_t>(n), bytes.size() - static_cast<size_t>(pos - 1));
  std::memcpy(buffer, bytes.data() + pos - 1, got);
  return static_cast<long>(got);
}

int64_t MemoryFileSystem::FileLength(FileHandle file) {
  auto it = open_.find(file);
  return it == open_.end() ? -1 : static_cast<int64_t>(it->second->size());
}

void MemoryFileSystem::CloseFile(FileHandle file) { open_.erase(file); }

bool MemoryFileSystem::StillAtPath(FileHandle file, const std::string& path) {
  auto it = open_.find(file);
  if (it == open_.end()) return true;
  const Place at = Locate(path);
  return !at.node || at.node->data == it->second;
}

// ---------------------------------------------------------------- whole files

bool MemoryFileSystem::ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  const Place at = Locate(path);
  lastError_ = !at.node ? (at.folder ? kNoSuchFile : kNoSuchPath) : at.node->folder ? kDenied : 0;
  if (lastError_ == 0) contents = *at.node->data;
  return lastError_ == 0;
}

bool MemoryFileSystem::WriteWholeFile(const std::string& path, const std::string& contents) {
  Place at = Locate(path);
  lastError_ = PutData(at, std::make_shared<std::string>(contents), now);
  return lastError_ == 0;
}

bool MemoryFileSystem::AppendToFile(const std::string& path, const std::string& text) {
  Place at = Locate(path);
  if (at.node && !at.node->folder) {
    *at.node->data += text;  // in place: a handle reading the file sees it grow
    at.node->written = now;
    lastError_ = 0;
  } else {
    lastError_ = PutData(at, std::make_shared<std::string>(text), now);
  }
  return lastError_ == 0;
}

// ---------------------------------------------------------------- copy, rename, delete

namespace {
// The error of a path that names no entry: the file, or a folder on the way, is missing.
template <class P>
int Missing(const P& at) {
  return at.folder ? kNoSuchFile : kNoSuchPath;
}
}  // namespace

int MemoryFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  const Place src = Locate(from);
  if (!src.node) return Missing(src);
  if (src.node->folder) return kDenied;
  Place dst = Locate(to);
  if (!dst.folder) return kNoSuchPath;
  if (dst.node == src.node) return kSameFile;
  if (dst.node && dst.node->folder) return kDenied;
  if (dst.node && failIfExists) return kFileExists;
  auto copy = std::make_shared<std::string>(*src.node->data);
  const uint64_t written = src.node->written;
  const int64_t size = static_cast<int64_t>(copy->size());
  if (copyProgress && !copyProgress(size, size)) return kAborted;
  dst = Locate(to);  // the report may have let events change the folders
  return PutData(dst, std::move(copy), written);
}

int MemoryFileSystem::RenameFile(const std::string& from, const std::string& to) {
  const Place src = Locate(from);
  if (!src.node) return Missing(src);
  const Place dst = Locate(to);
  if (!dst.folder) return kNoSuchPath;
  if (src.name.empty() || dst.given.empty()) return kDenied;
  if (dst.node && dst.node != src.node) return kAlreadyExists;
  // A folder cannot move into itself.
  const std::string inner = UCase(StoredPath(dst.full)), outer = UCase(StoredPath(src.full)) + "\\";
  if (src.node->folder && inner.compare(0, outer.size(), outer) == 0) return kDenied;
  std::unique_ptr<Node> node = std::move(src.folder->entries[src.name]);
  src.folder->entries.erase(src.name);
  dst.folder->entries[dst.given] = std::move(node);
  return 0;
}

bool MemoryFileSystem::SameFileSystem(const std::string& from, const std::string& to) {
  const Place a = Locate(from), b = Locate(to);
  return !a.full.empty() && !b.full.empty() && a.full[0] == b.full[0];
}

int MemoryFileSystem::MoveByRename(const std::string& from, const std::string& to, bool replace) {
  const Place src = Locate(from), dst = Locate(to);
  if (!src.node) return Missing(src);
  if (replace && dst.node && dst.node != src.node && !dst.node->folder && !src.node->folder)
    dst.folder->entries.erase(dst.name);
  return RenameFile(from, to);
}

int MemoryFileSystem::DeleteFile(const std::string& path) {
  const Place at = Locate(path);
  if (!at.node) return Missing(at);
  if (at.node->folder) return kDenied;
  at.folder->entries.erase(at.name);
  return 0;
}

int MemoryFileSystem::RecycleFile(const std::string& path, bool /*confirm*/) {
  const Place at = Locate(path);
  return at.node ? kNotSupported : Missing(at);
}

int MemoryFileSystem::TouchFile(const std::string& path) {
  const Place at = Locate(path);
  if (!at.node) return Missing(at);
  at.node->written = now;
  return 0;
}

std::string MemoryFileSystem::ErrorText(int error) {
  switch (error) {
    case kNoSuchFile: return "The system cannot find the file specified.";
    case kNoSuchPath: return "The system cannot find the path specified.";
    case kDenied: return "Access is denied.";
    case kSameFile: return "The file cannot be copied onto itself.";
    case kNotSupported: return "There is no recycle bin in memory; the file was not deleted.";
    case kFileExists: return "The file exists.";
    case kAlreadyExists: return "Cannot create a file when that file already exists.";
    case kAborted: return "The request was aborted.";
    default: {
      const std::string common = CommonErrorText(error);
      return common.empty() ? "Unknown error " + std::to_string(error) + "." : common;
    }
  }
}

// ---------------------------------------------------------------- existence, folders

int MemoryFileSystem::Exists(const std::string& path) {
  const Place at = Locate(path);
  return at.node ? (at.node->folder ? 1 : 0) : -1;
}

int MemoryFileSystem::ExistsExactly(const std::string& path) {
  const Place at = Locate(path, true);
  return at.node ? (at.node->folder ? 1 : 0) : -1;
}

std::string MemoryFileSystem::CurrentDirectoryOfDrive(char drive) {
  drive = UpperDrive(drive);
  auto it = current_.find(drive);
  return it == current_.end() ? std::string(1, drive) + ":\\" : it->second;
}

bool MemoryFileSystem::ChangeDirectory(const std::string& path) {
  const Place at = Locate(path);
  if (!at.node || !at.node->folder) return false;
  std::string stored = StoredPath(at.full);
  if (stored.size() > 3 && stored.back() == '\\') stored.pop_back();
  drive_ = at.full[0];
  current_[drive_] = stored;
  return true;
}

bool MemoryFileSystem::ChangeDrive(char drive) {
  drive = UpperDrive(drive);
  return drives_.count(drive) != 0 && ChangeDirectory(CurrentDirectoryOfDrive(drive));
}

bool MemoryFileSystem::SameFile(const std::string& a, const std::string& b) {
  const Place x = Locate(a), y = Locate(b);
  return x.node && x.node == y.node;
}

int MemoryFileSystem::FolderError(const std::string& path) {
  const Place at = Locate(path);
  return at.node && at.node->folder ? 0 : at.node ? kDenied : kNoSuchPath;
}

// ---------------------------------------------------------------- work on many entries

EntryStatus MemoryFileSystem::StatusOf(const Node* node, int missing) const {
  EntryStatus s;
  if (!node) {
    s.error = missing;
    return s;
  }
  s.kind = node->folder ? EntryKind::kFolder : EntryKind::kFile;
  s.size = node->folder ? 0 : static_cast<int64_t>(node->data->size());
  s.writeTime = node->written;
  s.volume = 1;
  s.id = reinterpret_cast<uintptr_t>(node);
  return s;
}

EntryStatus MemoryFileSystem::Inspect(const std::string& host, bool /*followLink*/) {
  const Place at = Locate(host);
  return StatusOf(at.node, Missing(at));
}

int MemoryFileSystem::ListFolder(const std::string& host, std::vector<FolderEntry>& entries) {
  entries.clear();
  const Place at = Locate(host);
  if (!at.node) return Missing(at);
  if (!at.node->folder) return kDenied;
  for (const auto& [name, node] : at.node->entries) entries.push_back({name, StatusOf(node.get(), 0)});
  return 0;
}

int MemoryFileSystem::MakeFolder(const std::string& host) {
  const Place at = Locate(host);
  if (!at.folder) return kNoSuchPath;
  if (at.node) return kErrExists;
  if (at.given.empty()) return kDenied;
  auto node = std::make_unique<Node>();
  node->folder = true;
  node->written = node->created = now;
  at.folder->entries[at.given] = std::move(node);
  return 0;
}

int MemoryFileSystem::CopyRegular(const std::string& from, const std::string& to, bool replace) {
  const Place dst = Locate(to);
  if (dst.node && !replace) return kErrExists;
  return CopyFile(from, to, false);
}

int MemoryFileSystem::KeepAttributes(const std::string& from, const std::string& to) {
  const Place src = Locate(from), dst = Locate(to);
  if (!src.node) return Missing(src);
  if (!dst.node) return Missing(dst);
  dst.node->written = src.node->written;
  return 0;
}

bool MemoryFileSystem::Inside(const std::string& folder, const std::string& path) {
  const Place outer = Locate(folder);
  if (!outer.node || !outer.node->folder) return false;
  const std::string prefix = UCase(StoredPath(outer.full));
  const std::string inner = UCase(StoredPath(Locate(path).full));
  if (inner == prefix) return true;
  const std::string withSep = prefix.back() == '\\' ? prefix : prefix + "\\";
  return inner.compare(0, withSep.size(), withSep) == 0;
}

int MemoryFileSystem::CompareContents(const std::string& a, const std::string& b) {
  const Place x = Locate(a), y = Locate(b);
  if (!x.node) return Missing(x);
  if (!y.node) return Missing(y);
  if (x.node == y.node) return kErrSameEntry;
  if (x.node->folder || y.node->folder) return x.node->folder == y.node->folder ? 0 : kErrDiffers;
  return *x.node->data == *y.node->data ? 0 : kErrDiffers;
}

int MemoryFileSystem::RenameEntry(const std::string& from, const std::string& to, bool replace) {
  const Place src = Locate(from), dst = Locate(to);
  if (!src.node) return Missing(src);
  if (!SameFileSystem(from, to)) return kErrOtherVolume;
  if (dst.node && dst.node != src.node) {
    if (!replace || dst.node->folder) return kErrExists;
    dst.folder->entries.erase(dst.name);
  }
  return RenameFile(from, to);
}

int MemoryFileSystem::RemoveEmptyFolder(const std::string& host) {
  const Place at = Locate(host);
  if (!at.node) return Missing(at);
  if (!at.node->folder || !at.node->entries.empty() || at.name.empty()) return kDenied;
  at.folder->entries.erase(at.name);
  return 0;
}

FileErrorKind MemoryFileSystem::ErrorKind(int error) {
  switch (error) {
    case kNoSuchFile:
    case kNoSuchPath: return FileErrorKind::kMissing;
    case kDenied: return FileErrorKind::kDenied;
    case kFileExists:
    case kAlreadyExists:
    case kErrExists: return FileErrorKind::kExists;
    default: return FileErrorKind::kOther;
  }
}

}  // namespace tembra::memory
