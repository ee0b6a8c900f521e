// What the copy of one file (fileops.cpp), the work on many entries (entries.cpp) and the
// Trash (trash.cpp) share on a POSIX host.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tembra::posix {

// Error numbers of our own, beyond the range of errno values.
constexpr int kErrSameFile = 100001;
constexpr int kErrNoTrash = 100002;
constexpr int kErrNotRegular = 100004;

// Why a path has no host path: an escape in it that stands for "/" or NUL, or a drive
// that is not mapped.
int NoHostPath(const std::string& winPath);
std::string DirOf(const std::string& host);
std::string BaseOf(const std::string& host);
// Rename that never replaces an existing entry (EEXIST).
int RenameNoReplace(const std::string& from, const std::string& to);
bool WriteAllFd(int fd, const char* data, size_t size, int& err);
void SyncDir(const std::string& dir);
// A free temporary name of a copy in folder dir: ".tembra-copy-" and six characters.
std::string CopyTempName(const std::string& dir);
// Opens the file a copy into folder dir is written to: a file without a name, linked in
// when complete, or where the file system has none a fresh temporary name (left in tmp;
// such files that a killed copy left a day ago are removed first). -1 with errno.
int OpenCopyTarget(const std::string& dir, std::string& tmp);
// Gives the finished unnamed copy its name: the destination itself when it does not
// exist, else (unless failIfExists) a temporary name left in tmp that the caller renames
// over it. 0 or an error number.
int LinkUnnamed(int fd, const std::string& dir, const std::string& dst, bool failIfExists, std::string& tmp);
// Copies the bytes of `in` to `out`, a piece at a time (copy_file_range where the file
// systems allow, else read and write), telling `progress` after each piece; its false
// stops the copy with ECANCELED. 0 or an error number.
int CopyBytes(int in, int out, int64_t size, const std::function<bool(int64_t, int64_t)>& progress);
// Gives an open copy the permission bits and times of its source, and its owner where
// the user may (the set-user and set-group bits only with the owner).
void KeepFileAttributes(int fd, const struct stat& source);
// 0 when the regular files a and b (with follow, what links there point to) are two
// files with the same bytes, kErrDiffers when not, kErrSameEntry for one file twice, else
// the error that stopped the comparison. Reads a piece of each at a time.
int CompareFiles(const std::string& a, const std::string& b, bool follow);
}  // namespace tembra::posix
