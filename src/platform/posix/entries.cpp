// The calls of the work on many entries, by host path: what an entry is, the entries of
// a folder, new folders, copies of files and links that keep times and permission bits,
// the checks of identity and contents, renames and the flush before an original goes.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/posix/fileops_shared.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/unique_fd.h"

namespace tembra::posix {

namespace {

// A test hook for machines where no second file system can be mounted:
// TEMBRA_SIMULATE_OTHER_FILE_SYSTEM=1 makes every rename of an entry report that the two
// places lie on different file systems, so that a move copies.
bool SimulatedOtherFileSystem() {
  const char* on = std::getenv("TEMBRA_SIMULATE_OTHER_FILE_SYSTEM");
  return on && on[0] == '1';
}

// FILETIME ticks (100 ns since 1601) of a time of the host.
uint64_t TicksOf(const struct timespec& t) {
  const int64_t seconds = static_cast<int64_t>(t.tv_sec) + 11644473600LL;
  if (seconds < 0) return 0;
  return static_cast<uint64_t>(seconds) * 10000000u + static_cast<uint64_t>(t.tv_nsec / 100);
}

EntryStatus StatusOf(const struct stat& st) {
  EntryStatus s;
  if (S_ISREG(st.st_mode)) s.kind = EntryKind::kFile;
  else if (S_ISDIR(st.st_mode)) s.kind = EntryKind::kFolder;
  else if (S_ISLNK(st.st_mode)) s.kind = EntryKind::kLink;
  else if (S_ISFIFO(st.st_mode)) s.kind = EntryKind::kFifo;
  else if (S_ISSOCK(st.st_mode)) s.kind = EntryKind::kSocket;
  else s.kind = EntryKind::kDevice;
  s.size = s.kind == EntryKind::kFile ? static_cast<int64_t>(st.st_size) : 0;
  s.writeTime = TicksOf(st.st_mtim);
  s.volume = static_cast<uint64_t>(st.st_dev);
  s.id = static_cast<uint64_t>(st.st_ino);
  return s;
}

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Where a symbolic link points, as stored; false with errno when it cannot be read.
bool ReadLink(const std::string& path, std::string& target) {
  std::vector<char> buf(256);
  for (;;) {
    ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) < buf.size()) {
      target.assign(buf.data(), static_cast<size_t>(n));
      return true;
    }
    buf.resize(buf.size() * 4);
  }
}

// Reads until the buffer is full or the file ends: the bytes read, -1 on an error.
ssize_t ReadFull(int fd, char* buf, size_t size) {
  size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd, buf + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(got);
}

// The bytes of two open regular files compared a piece at a time.
int CompareOpen(int fa, int fb) {
  constexpr size_t kPiece = 256 << 10;
  std::vector<char> x(kPiece), y(kPiece);
  for (;;) {
    ssize_t n = ReadFull(fa, x.data(), kPiece);
    if (n < 0) return errno;
    ssize_t m = ReadFull(fb, y.data(), kPiece);
    if (m < 0) return errno;
    if (n != m || std::memcmp(x.data(), y.data(), static_cast<size_t>(n)) != 0) return kErrDiffers;
    if (n == 0) return 0;
  }
}

// Gives a link or folder made by a copy the owner (where the user may), permission bits
// (not of a link) and times of its source.
int KeepStatus(const std::string& to, const struct stat& st) {
  const bool link = S_ISLNK(st.st_mode);
  bool owner = ::fchownat(AT_FDCWD, to.c_str(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW) == 0;
  if (!owner) static_cast<void>(::fchownat(AT_FDCWD, to.c_str(), static_cast<uid_t>(-1), st.st_gid, AT_SYMLINK_NOFOLLOW));
  mode_t mode = st.st_mode & 07777;
  if (!owner) mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
  if (!link && ::chmod(to.c_str(), mode) != 0) return errno;
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  return ::utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

}  // namespace

int CompareFiles(const std::string& a, const std::string& b, bool follow) {
  struct stat sa, sb;
  if (!follow) {
    if (::lstat(a.c_str(), &sa) != 0 || ::lstat(b.c_str(), &sb) != 0) return errno;
    if (SameInode(sa, sb)) return kErrSameEntry;
    if (S_ISLNK(sa.st_mode) && S_ISLNK(sb.st_mode)) {
      std::string ta, tb;
      if (!ReadLink(a, ta) || !ReadLink(b, tb)) return errno;
      return ta == tb ? 0 : kErrDiffers;
    }
  }
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (follow ? 0 : O_NOFOLLOW);
  UniqueFd first(::open(a.c_str(), flags));
  if (first.get() < 0) return errno == ELOOP ? kErrDiffers : errno;
  UniqueFd second(::open(b.c_str(), flags));
  if (second.get() < 0) return errno == ELOOP ? kErrDiffers : errno;
  const int fa = first.get(), fb = second.get();
  int err = 0;
  if (::fstat(fa, &sa) != 0 || ::fstat(fb, &sb) != 0) err = errno;
  else if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode)) err = S_ISREG(sa.st_mode) != S_ISREG(sb.st_mode) ? kErrDiffers : kErrNotRegular;
  else if (SameInode(sa, sb)) err = kErrSameEntry;
  else if (sa.st_size != sb.st_size) err = kErrDiffers;
  if (!err) {
    ::fcntl(fa, F_SETFL, ::fcntl(fa, F_GETFL) & ~O_NONBLOCK);
    ::fcntl(fb, F_SETFL, ::fcntl(fb, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fa, 0, 0, POSIX_FADV_SEQUENTIAL);
    ::posix_fadvise(fb, 0, 0, POSIX_FADV_SEQUENTIAL);
    err = CompareOpen(fa, fb);
  }
  return err;
}

EntryStatus PosixFileSystem::Inspect(const std::string& host, bool followLink) {
  struct stat st;
  if ((followLink ? ::stat(host.c_str(), &st) : ::lstat(host.c_str(), &st)) != 0) {
    EntryStatus none;
    none.error = host.empty() ? ENOENT : errno;
    return none;
  }
  return StatusOf(st);
}

int PosixFileSystem::ListFolder(const std::string& host, std::vector<FolderEntry>& entries) {
  entries.clear();
  UniqueFd fd(::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) return errno;
  UniqueDir dir(::fdopendir(fd.get()));
  if (!dir) return errno;
  fd.Release();  // the folder stream owns it now
  DIR* d = dir.get();
  int err = 0;
  for (;;) {
    errno = 0;
    struct dirent* e = ::readdir(d);
    if (!e) {
      err = errno;
      break;
    }
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    struct stat st;
    FolderEntry entry{e->d_name, EntryStatus()};
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) entry.status = StatusOf(st);
    else if (errno == ENOENT) continue;  // gone meanwhile
    else entry.status.error = errno;
    entries.push_back(std::move(entry));
  }
  return err;
}

int PosixFileSystem::MakeFolder(const std::string& host) {
  if (::mkdir(host.c_str(), 0700) == 0) return 0;
  return errno == EEXIST ? kErrExists : errno;
}

int PosixFileSystem::CopyRegular(const std::string& from, const std::string& to, bool replace) {
  // Without blocking and without following a link: only the regular file looked at.
  UniqueFd input(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY));
  if (input.get() < 0) return errno == ELOOP ? kErrNotRegular : errno;
  const int in = input.get();
  struct stat st, dt;
  int err = ::fstat(in, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : kErrNotRegular;
  if (!err && replace && ::lstat(to.c_str(), &dt) == 0) {
    if (S_ISDIR(dt.st_mode)) err = EISDIR;
    else if (SameInode(st, dt)) err = kErrSameEntry;
    // A read-only file is not replaced, as the single copy refuses it.
    else if (S_ISREG(dt.st_mode) && ((dt.st_mode & 0222) == 0 || ::access(to.c_str(), W_OK) != 0)) err = EACCES;
  }
  const std::string dir = DirOf(to);
  std::string tmp;
  UniqueFd output(err ? -1 : OpenCopyTarget(dir, tmp));
  if (!err && output.get() < 0) err = errno;
  if (err) return err;
  const int out = output.get();
  ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);
  err = CopyBytes(in, out, st.st_size, copyProgress);
  if (!err) KeepFileAttributes(out, st);
  if (!err && tmp.empty()) err = LinkUnnamed(out, dir, to, !replace, tmp);
  if (const int closed = output.Close(); closed != 0 && !err) err = closed;
  input.Close();
  if (!err && !tmp.empty()) err = replace ? (::rename(tmp.c_str(), to.c_str()) == 0 ? 0 : errno) : RenameNoReplace(tmp, to);
  if (err && !tmp.empty()) ::unlink(tmp.c_str());
  if (err == ECANCELED) return kErrCancelled;
  return err == EEXIST ? kErrExists : err;
}

int PosixFileSystem::CopyLink(const std::string& from, const std::string& to, bool replace) {
  struct stat st, dt;
  if (::lstat(from.c_str(), &st) != 0) return errno;
  if (!S_ISLNK(st.st_mode)) return kErrNotRegular;
  std::string target;
  if (!ReadLink(from, target)) return errno;
  if (!replace) {
    if (::symlink(target.c_str(), to.c_str()) != 0) return errno == EEXIST ? kErrExists : errno;
    return KeepStatus(to, st);
  }
  if (::lstat(to.c_str(), &dt) == 0 && S_ISDIR(dt.st_mode)) return EISDIR;
  // Made under a temporary name and renamed over the entry it replaces.
  std::string tmp;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmp = CopyTempName(DirOf(to));
    if (::symlink(target.c_str(), tmp.c_str()) == 0) break;
    if (errno != EEXIST) return errno;
    tmp.clear();
  }
  if (tmp.empty()) return EEXIST;
  int err = KeepStatus(tmp, st);
  if (!err && ::rename(tmp.c_str(), to.c_str()) != 0) err = errno;
  if (err) ::unlink(tmp.c_str());
  return err;
}

int PosixFileSystem::KeepAttributes(const std::string& from, const std::string& to) {
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return errno;
  return KeepStatus(to, st);
}

bool PosixFileSystem::Inside(const std::string& folder, const std::string& path) {
  struct stat f;
  if (::stat(folder.c_str(), &f) != 0) return false;
  // From the folder at `path` up through its parents (".." of each, as the file system
  // has them) to the root.
  int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  bool inside = false;
  for (int depth = 0; fd >= 0 && depth < 4096; ++depth) {
    struct stat st, up;
    if (::fstat(fd, &st) != 0) break;
    if (SameInode(st, f)) {
      inside = true;
      break;
    }
    int parent = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) break;
    const bool root = ::fstat(parent, &up) != 0 || SameInode(up, st);
    ::close(fd);
    fd = parent;
    if (root) break;
  }
  if (fd >= 0) ::close(fd);
  return inside;
}

int PosixFileSystem::CompareContents(const std::string& a, const std::string& b) { return CompareFiles(a, b, false); }

int PosixFileSystem::RenameEntry(const std::string& from, const std::string& to, bool replace) {
  struct stat st, dt;
  if (::lstat(from.c_str(), &st) != 0) return errno;
  if (SimulatedOtherFileSystem()) return kErrOtherVolume;
  int err = 0;
  if (!replace) {
    err = RenameNoReplace(from, to);
  } else if (::lstat(to.c_str(), &dt) == 0 && S_ISDIR(dt.st_mode)) {
    err = EISDIR;  // a folder is never replaced
  } else if (::lstat(to.c_str(), &dt) == 0 && SameInode(st, dt)) {
    err = kErrSameEntry;
  } else if (::rename(from.c_str(), to.c_str()) != 0) {
    err = errno;
  }
  if (err == EEXIST) return kErrExists;
  return err == EXDEV ? kErrOtherVolume : err;
}

int PosixFileSystem::RemoveEmptyFolder(const std::string& host) { return ::rmdir(host.c_str()) == 0 ? 0 : errno; }

int PosixFileSystem::FlushWrites(const std::vector<std::string>& written) {
  // Each file system they lie on, once.
  std::vector<dev_t> synced;
  for (const std::string& path : written) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno;
    if (std::find(synced.begin(), synced.end(), st.st_dev) != synced.end()) continue;
    UniqueFd fd(::open(S_ISLNK(st.st_mode) ? DirOf(path).c_str() : path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return errno;
    if (::syncfs(fd.get()) != 0) return errno;
    synced.push_back(st.st_dev);
  }
  return 0;
}

FileErrorKind PosixFileSystem::ErrorKind(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return FileErrorKind::kFull;
    case ENOENT:
    case ENOTDIR: return FileErrorKind::kMissing;
    case EACCES:
    case EPERM:
    case EROFS:
    case EIO: return FileErrorKind::kDenied;
    case EINVAL:
    case ENAMETOOLONG:
    case EILSEQ:
    case kErrEscapedSlash:
    case kErrEscapedNul: return FileErrorKind::kBadName;
    case EEXIST:
    case ENOTEMPTY:
    case kErrExists: return FileErrorKind::kExists;
    default: return FileErrorKind::kOther;
  }
}

}  // namespace tembra::posix
