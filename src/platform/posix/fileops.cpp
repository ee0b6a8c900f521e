// Copy, rename, delete and the time-stamp refresh of one entry, and the pieces of a copy
// that the work on many entries shares.
//
// A copy is written to an unnamed file in the destination folder (or, where the file
// system has none, to a fresh temporary name) and takes the destination's name only when
// every byte is written, so a failed or killed copy never leaves a half-written file in
// place of a good one, nor a stray file beside it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "platform/posix/fileops_shared.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {

constexpr int kErrNotMapped = kErrNoDrive;

// A test hook for machines where no small file system can be mounted:
// TEMBRA_SIMULATE_WRITE_ERROR=<errno> makes the writes of every copy fail.
int SimulatedCopyError() {
  const char* simulated = std::getenv("TEMBRA_SIMULATE_WRITE_ERROR");
  if (!simulated || !*simulated) return 0;
  int e = std::atoi(simulated);
  return e > 0 ? e : ENOSPC;
}

// The same for a copy that takes its time: TEMBRA_SIMULATE_SLOW_COPY=<ms> pauses that
// long after every piece a copy writes.
void SimulatedSlowCopy() {
  const char* ms = std::getenv("TEMBRA_SIMULATE_SLOW_COPY");
  if (ms && std::atoi(ms) > 0) ::usleep(static_cast<useconds_t>(std::atoi(ms)) * 1000);
}

constexpr const char* kCopyPrefix = ".tembra-copy-";
// The piece a copy writes between two reports of its progress.
constexpr size_t kCopyPiece = 1 << 20;

// A name of the form the copy's temporary files take: the prefix and six characters.
bool IsCopyTempName(const char* name) {
  size_t prefix = std::strlen(kCopyPrefix);
  return std::strncmp(name, kCopyPrefix, prefix) == 0 && std::strlen(name) == prefix + 6;
}

// Removes the temporary files of copies that were killed where no unnamed file could be
// made: ours, regular, and untouched for a day (a running copy writes to its file).
void RemoveStaleCopies(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  time_t dayAgo = ::time(nullptr) - 86400;
  while (struct dirent* e = ::readdir(d)) {
    if (!IsCopyTempName(e->d_name)) continue;
    struct stat st;
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == ::getuid() && st.st_mtime < dayAgo)
      ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

// The rest of a copy by reading and writing, from `done` bytes on.
int CopyByReading(int in, int out, int64_t size, int64_t done,
                  const std::function<bool(int64_t, int64_t)>& progress) {
  std::vector<char> buf(kCopyPiece);
  for (;;) {
    ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    if (int e = SimulatedCopyError()) return e;
    int err = 0;
    if (!WriteAllFd(out, buf.data(), static_cast<size_t>(n), err)) return err;
    done += n;
    SimulatedSlowCopy();
    if (progress && !progress(done, size)) return ECANCELED;
  }
}

}  // namespace

int NoHostPath(const std::string& winPath) {
  switch (ForbiddenEscapeIn(winPath)) {
    case '/': return kErrEscapedSlash;
    case 0: return kErrEscapedNul;
    default: return kErrNotMapped;
  }
}

std::string DirOf(const std::string& host) {
  size_t slash = host.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return host.substr(0, slash);
}

std::string BaseOf(const std::string& host) {
  size_t slash = host.rfind('/');
  return slash == std::string::npos ? host : host.substr(slash + 1);
}

bool WriteAllFd(int fd, const char* data, size_t size, int& err) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      err = errno;
      return false;
    }
    if (n == 0) {
      err = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

void SyncDir(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u /* RENAME_NOREPLACE */) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::string CopyTempName(const std::string& dir) {
  static const char* chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::string name = (dir == "/" ? "" : dir) + "/" + kCopyPrefix;
  for (int i = 0; i < 6; ++i) name += chars[random() % 62];
  return name;
}

int OpenCopyTarget(const std::string& dir, std::string& tmp) {
  tmp.clear();
#ifdef O_TMPFILE
  static const bool procFds = ::access("/proc/self/fd", X_OK) == 0;
  if (procFds) {
    int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    // Only a file system without unnamed files goes on to a temporary name.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return -1;
  }
#endif
  RemoveStaleCopies(dir);
  std::string tmpl = (dir == "/" ? "" : dir) + "/" + kCopyPrefix + "XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) tmp = name.data();
  return fd;
}

int LinkUnnamed(int fd, const std::string& dir, const std::string& dst, bool failIfExists, std::string& tmp) {
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, dst.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != EEXIST || failIfExists) return errno;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = CopyTempName(dir);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      tmp = name;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int CopyBytes(int in, int out, int64_t size, const std::function<bool(int64_t, int64_t)>& progress) {
  int64_t done = 0;
  // In the kernel where the file systems allow it, as cp does; the first piece tells.
  for (;;) {
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kCopyPiece, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const bool unsupported = errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                               errno == EBADF || errno == EPERM || errno == ETXTBSY;
      if (done == 0 && unsupported) break;
      return errno;
    }
    // Some file systems (/proc, /sys) copy nothing although the file is not empty.
    if (n == 0 && done == 0 && size > 0) break;
    if (n == 0) return 0;
    if (int e = SimulatedCopyError()) return e;
    done += n;
    SimulatedSlowCopy();
    if (progress && !progress(done, size)) return ECANCELED;
  }
  return CopyByReading(in, out, size, done, progress);
}

void KeepFileAttributes(int fd, const struct stat& source) {
  // The owner where the user may give it (root), else the group where the user is in it.
  bool owner = ::fchown(fd, source.st_uid, source.st_gid) == 0;
  if (!owner) static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), source.st_gid));
  mode_t mode = source.st_mode & 07777;
  if (!owner) mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
  ::fchmod(fd, mode);
  struct timespec times[2] = {source.st_atim, source.st_mtim};
  ::futimens(fd, times);
}

int PosixFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  // Exact names: never an entry that differs only in letter case.
  std::string src = drives_.HostPath(from, true), dst = drives_.HostPath(to, true);
  if (src.empty()) return NoHostPath(from);
  if (dst.empty()) return NoHostPath(to);
  // Opened without blocking, so that a pipe or device is refused instead of hanging.
  UniqueFd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.get() < 0) return errno;
  struct stat sst;
  if (::fstat(in.get(), &sst) != 0) return errno;
  if (!S_ISREG(sst.st_mode)) return S_ISDIR(sst.st_mode) ? EISDIR : kErrNotRegular;
  ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);
  struct stat dst_st;
  if (::stat(dst.c_str(), &dst_st) == 0) {
    int e = 0;
    if (failIfExists) e = EEXIST;
    else if (S_ISDIR(dst_st.st_mode)) e = EISDIR;
    else if (dst_st.st_dev == sst.st_dev && dst_st.st_ino == sst.st_ino) e = kErrSameFile;
    // A read-only destination is refused, as the file's attribute says, even for root.
    else if ((dst_st.st_mode & 0222) == 0 || ::access(dst.c_str(), W_OK) != 0) e = EACCES;
    if (e) return e;
  }
  std::string dir = DirOf(dst);
  RemoveStaleCopies(dir);
  std::string tmp;
  UniqueFd out(OpenCopyTarget(dir, tmp));
  if (out.get() < 0) return errno;
  int err = CopyBytes(in.get(), out.get(), sst.st_size, copyProgress);
  if (!err) {
    // The copy keeps the source's permissions and last-write time.
    ::fchmod(out.get(), sst.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID));
    struct timespec times[2] = {sst.st_atim, sst.st_mtim};
    ::futimens(out.get(), times);
    if (::fsync(out.get()) != 0) err = errno;
  }
  if (!err && tmp.empty()) err = LinkUnnamed(out.get(), dir, dst, failIfExists, tmp);
  if (const int closed = out.Close(); closed != 0 && !err) err = closed;
  in.Close();
  if (!err && !tmp.empty() && ::rename(tmp.c_str(), dst.c_str()) != 0) err = errno;
  if (err) {
    if (!tmp.empty()) ::unlink(tmp.c_str());
    return err;
  }
  SyncDir(dir);
  return 0;
}

int PosixFileSystem::RenameFile(const std::string& from, const std::string& to) {
  std::string src = drives_.HostPath(from, true), dst = drives_.HostPath(to, true);
  if (src.empty()) return NoHostPath(from);
  if (dst.empty()) return NoHostPath(to);
  struct stat st;
  if (::lstat(src.c_str(), &st) != 0) return errno;
  return RenameNoReplace(src, dst);
}

bool PosixFileSystem::SameFileSystem(const std::string& from, const std::string& to) {
  std::string src = drives_.HostPath(from, true), dst = drives_.HostPath(to, true);
  if (src.empty() || dst.empty()) return false;
  struct stat s, d;
  return ::lstat(src.c_str(), &s) == 0 && ::stat(DirOf(dst).c_str(), &d) == 0 && s.st_dev == d.st_dev;
}

int PosixFileSystem::MoveByRename(const std::string& from, const std::string& to, bool replace) {
  std::string src = drives_.HostPath(from, true), dst = drives_.HostPath(to, true);
  if (src.empty() || dst.empty()) return kErrNotMapped;
  struct stat st;
  if (::lstat(src.c_str(), &st) != 0) return errno;
  if (!replace) return RenameNoReplace(src, dst);
  struct stat dt;
  if (::lstat(dst.c_str(), &dt) == 0 && dt.st_dev == st.st_dev && dt.st_ino == st.st_ino) return kErrSameFile;
  return ::rename(src.c_str(), dst.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::DeleteFile(const std::string& path) {
  std::string host = drives_.HostPath(path, true);
  if (host.empty()) return NoHostPath(path);
  struct stat st;
  if (::lstat(host.c_str(), &st) != 0) return errno;
  // A folder goes only when it is empty: nothing below it is ever removed.
  if (S_ISDIR(st.st_mode)) return ::rmdir(host.c_str()) == 0 ? 0 : errno;
  return ::unlink(host.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::TouchFile(const std::string& path) {
  std::string host = drives_.HostPath(path, true);
  if (host.empty()) return NoHostPath(path);
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return errno;  // never creates a file
  return ::utimensat(AT_FDCWD, host.c_str(), nullptr, 0) == 0 ? 0 : errno;
}

bool PosixFileSystem::SameContents(const std::string& a, const std::string& b) {
  // Exact names, as the copy that is checked used them; links are followed.
  std::string ha = drives_.HostPath(a, true), hb = drives_.HostPath(b, true);
  return !ha.empty() && !hb.empty() && CompareFiles(ha, hb, true) == 0;
}

std::string PosixFileSystem::ErrorText(int error) {
  switch (error) {
    case kErrSameFile: return "The file cannot be copied onto itself.";
    case kErrNoTrash: return "This file system has no Trash folder; the file was not deleted.";
    case kErrNotMapped: return "The drive is not available.";
    case kErrEscapedSlash:
      return std::string("A name cannot hold \"/\" (typed as ") + kNameEscape + "2F).";
    case kErrEscapedNul:
      return std::string("A name cannot hold the NUL character (typed as ") + kNameEscape + "00).";
    case kErrNotRegular: return "Only a regular file can be copied.";
    case kErrNotRegularFile: return "It is not a regular file.";
    case kErrTooLarge: return "The file is larger than 16 MB.";
    default: break;
  }
  if (std::string common = CommonErrorText(error); !common.empty()) return common;
  if (error <= 0) return "Unknown error " + std::to_string(error) + ".";
  std::string t = std::strerror(error);
  return t + ".";
}

}  // namespace tembra::posix
