// A file system kept in memory, for tests: drives, folders and files of Windows paths,
// with find data, reads at 1-based positions, whole-file reads and writes, copy, rename
// and delete, and a current folder per drive, as FileSystem promises them. Nothing of
// the host is read or written. Names compare without regard to letter case, as on
// Windows (two names differing only in case cannot both exist); times are UTC, and the
// local time is UTC too.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tembra::memory {

// Windows error numbers this file system reports, with the texts ErrorText gives.
enum MemoryError : int {
  kNoSuchFile = 2,       // ERROR_FILE_NOT_FOUND
  kNoSuchPath = 3,       // ERROR_PATH_NOT_FOUND
  kDenied = 5,           // ERROR_ACCESS_DENIED: a folder where a file is needed, or the reverse
  kSameFile = 32,        // ERROR_SHARING_VIOLATION: a copy onto itself
  kNotSupported = 50,    // ERROR_NOT_SUPPORTED: there is no recycle bin
  kFileExists = 80,      // ERROR_FILE_EXISTS
  kAlreadyExists = 183,  // ERROR_ALREADY_EXISTS: a rename onto another entry
  kAborted = 1235,       // ERROR_REQUEST_ABORTED: the copy's progress report cancelled it
};

class MemoryFileSystem : public FileSystem {
 public:
  // Drive C: with an empty root, the current folder C:\.
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // Setting up: a folder and the folders above it (a drive's root makes the drive); a
  // file with its bytes and last-write time (0: `now`), its folders made first. False
  // where a file stands in the way.
  bool PutFolder(const std::string& path);
  bool PutFile(const std::string& path, const std::string& contents, uint64_t writeTime = 0);
  // The time given to what is written or touched, a FILETIME (2026-03-04 10:00:00 UTC).
  uint64_t now = 134170920000000000ULL;

  FindHandle FindFirstFile(const std::string& pattern, FindData& data) override;
  void SetUtf8Names(bool on) override { utf8_ = on; }
  std::string ShownUtf8Name(const std::string& utf8) override;
  bool FindNextFile(FindHandle handle, FindData& data) override;
  void FindClose(FindHandle handle) override;
  uint64_t FileTimeToLocalFileTime(uint64_t utc) override { return utc; }
  DateTime FileTimeToSystemTime(uint64_t ft) override;

  FileHandle OpenRead(const std::string& path) override;
  long ReadAt(FileHandle file, int64_t pos, char* buffer, long n) override;
  int64_t FileLength(FileHandle file) override;
  void CloseFile(FileHandle file) override;
  bool StillAtPath(FileHandle file, const std::string& path) override;

  bool ReadWholeFile(const std::string& path, std::string& contents) override;
  bool WriteWholeFile(const std::string& path, const std::string& contents) override;
  bool AppendToFile(const std::string& path, const std::string& text) override;
  int LastFileError() override { return lastError_; }

  int CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  int RenameFile(const std::string& from, const std::string& to) override;
  bool SameFileSystem(const std::string& from, const std::string& to) override;
  int MoveByRename(const std::string& from, const std::string& to, bool replace) override;
  int DeleteFile(const std::string& path) override;
  int RecycleFile(const std::string& path, bool confirm) override;
  int TouchFile(const std::string& path) override;
  std::string ErrorText(int error) override;

  int Exists(const std::string& path) override;
  int ExistsExactly(const std::string& path) override;
  std::string CurrentDirectory() override { return CurrentDirectoryOfDrive(drive_); }
  std::string CurrentDirectoryOfDrive(char drive) override;
  bool ChangeDirectory(const std::string& path) override;
  bool ChangeDrive(char drive) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  int FolderError(const std::string& path) override;
  // There are no host paths: a path written the host's way names nothing here.
  std::string WinPathOfHost(const std::string&) override { return std::string(); }

  // Work on many entries: host paths are this file system's own Windows paths. There are
  // no links, no Trash and nothing to flush.
  EntryStatus Inspect(const std::string& host, bool followLink = false) override;
  int ListFolder(const std::string& host, std::vector<FolderEntry>& entries) override;
  int MakeFolder(const std::string& host) override;
  int CopyRegular(const std::string& from, const std::string& to, bool replace) override;
  int CopyLink(const std::string&, const std::string&, bool) override { return kNotSupported; }
  int KeepAttributes(const std::string& from, const std::string& to) override;
  bool Inside(const std::string& folder, const std::string& path) override;
  int CompareContents(const std::string& a, const std::string& b) override;
  int RenameEntry(const std::string& from, const std::string& to, bool replace) override;
  int RemoveEmptyFolder(const std::string& host) override;
  int RecycleEntry(const std::string& host) override { return RecycleFile(host, false); }
  std::vector<TrashItem> TakeTrashed() override { return {}; }
  std::vector<TrashItem> TrashContents() override { return {}; }
  int RestoreTrashItem(const TrashItem&, const std::string&) override { return kNotSupported; }
  int FlushWrites(const std::vector<std::string>&) override { return 0; }
  FileErrorKind ErrorKind(int error) override;

 private:
  struct Node;
  // The status of an entry (kNone with its error when there is none).
  EntryStatus StatusOf(const Node* node, int missing) const;
  // Where a path leads: the folder that holds its last component, that component's
  // stored name (the name as given where there is no such entry) and the entry itself.
  struct Place {
    Node* folder = nullptr;  // null: a folder on the way is missing
    std::string name;        // empty for a drive's root
    Node* node = nullptr;    // null: no such entry
    std::string given;       // the last component as the path spells it
    std::string full;        // the path's full form, as ResolveWinPath gives it
  };
  Place Locate(const std::string& path, bool exactLast = false);
  // The entry of `folder` named `name` in any letter case (the exact name only, with exact).
  Node* Child(Node& folder, const std::string& name, bool exact, std::string* stored = nullptr);
  bool SameName(const std::string& a, const std::string& b) const;
  // A new or replaced file of a located path; 0 or an error number.
  int PutData(Place& at, std::shared_ptr<std::string> data, uint64_t writeTime);
  // The full path with each component as stored.
  std::string StoredPath(const std::string& full);

  std::map<char, std::unique_ptr<Node>> drives_;  // each drive's root folder
  std::map<char, std::string> current_;           // each drive's current folder, "X:\dir"
  char drive_ = 'C';
  std::map<FileHandle, std::shared_ptr<std::string>> open_;  // the bytes each handle reads
  FileHandle nextFile_ = 1;
  struct Search {
    std::vector<FindData> found;
    size_t next = 0;
  };
  std::map<FindHandle, Search> finds_;
  FindHandle nextFind_ = 1;
  int lastError_ = 0;
  bool utf8_ = false;
};

}  // namespace tembra::memory
