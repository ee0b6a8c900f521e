// Copy, rename, delete, the freedesktop.org Trash and the time-stamp refresh.
//
// A copy is written to an unnamed file in the destination folder (or, where the file
// system has none, to a fresh temporary name) and takes the destination's name only when
// every byte is on disk, so a failed or killed copy never leaves a half-written file in
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

#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {

// Error numbers of our own, beyond the range of errno values.
constexpr int kErrSameFile = 100001;
constexpr int kErrNoTrash = 100002;
constexpr int kErrNotMapped = 100003;
constexpr int kErrNotRegular = 100004;

// Why a path has no host path: an escape in it that stands for "/" or NUL, or a drive
// that is not mapped.
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

// Rename that never replaces an existing entry.
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

constexpr const char* kCopyPrefix = ".tembra-copy-";

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

// Gives the finished unnamed copy its name: the destination itself when it does not
// exist, else a temporary name (returned in tmp) that the caller renames over it.
int LinkUnnamed(int fd, const std::string& dir, const std::string& dst, bool failIfExists, std::string& tmp) {
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, dst.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != EEXIST || failIfExists) return errno;
  std::random_device random;
  static const char* chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = (dir == "/" ? "" : dir) + "/" + kCopyPrefix;
    for (int i = 0; i < 6; ++i) name += chars[random() % 62];
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      tmp = name;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

std::string UrlEncodePath(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                 c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool MakeDir0700(const std::string& dir) {
  if (::mkdir(dir.c_str(), 0700) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat st;
  return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirs0700(const std::string& dir) {
  if (dir.empty() || dir == "/") return true;
  struct stat st;
  if (::lstat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  if (!MakeDirs0700(DirOf(dir))) return false;
  return MakeDir0700(dir);
}

// The device of a folder, or of its nearest existing ancestor.
dev_t DeviceOf(std::string dir) {
  struct stat st;
  while (::stat(dir.c_str(), &st) != 0) {
    if (dir == "/" || dir == ".") return 0;
    dir = DirOf(dir);
  }
  return st.st_dev;
}

// The mount point of the file system that holds the folder dir.
std::string TopDirOf(const std::string& dir, dev_t dev) {
  std::string cur = dir;
  for (;;) {
    if (cur == "/") return cur;
    std::string up = DirOf(cur);
    struct stat st;
    if (::stat(up.c_str(), &st) != 0 || st.st_dev != dev) return cur;
    cur = up;
  }
}

std::string HomeTrash() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return std::string(data) + "/Trash";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share/Trash";
  return std::string();
}

// Chooses the trash folder for a file on device dev in folder dir; sets the Path
// value of the info file (absolute for the home trash, relative to the top folder
// for a trash of another file system). Returns "" when there is none.
std::string TrashFor(const std::string& host, dev_t dev, std::string& infoPath) {
  std::string abs = host;
  if (abs.empty() || abs[0] != '/') {
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) return std::string();
    abs = std::string(buf) + "/" + host;
  }
  std::string home = HomeTrash();
  if (!home.empty() && DeviceOf(home) == dev) {
    if (!MakeDirs0700(home)) return std::string();
    infoPath = abs;
    return home;
  }
  std::string top = TopDirOf(DirOf(abs), dev);
  std::string uid = std::to_string(::getuid());
  std::string rel = abs.substr(top == "/" ? 1 : top.size() + 1);
  struct stat st;
  std::string shared = (top == "/" ? "" : top) + "/.Trash";
  if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
    std::string mine = shared + "/" + uid;
    if (MakeDir0700(mine)) {
      infoPath = rel;
      return mine;
    }
  }
  std::string own = (top == "/" ? "" : top) + "/.Trash-" + uid;
  if (::lstat(own.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return std::string();
  } else if (::mkdir(own.c_str(), 0700) != 0) {
    return std::string();
  }
  infoPath = rel;
  return own;
}

// The name a file takes in the Trash: its own name, then "stem.N.ext" for N = 2, 3 ...
// Its info file adds ".trashinfo", and both must fit a file name of 255 bytes, so a
// longer name is shortened at the end of its stem (never inside a UTF-8 character);
// the info file's Path keeps the full original name.
std::string TrashName(const std::string& stem, const std::string& ext, int i) {
  constexpr size_t kMaxName = 255 - (sizeof(".trashinfo") - 1);
  std::string head = stem, tail = i == 1 ? std::string() : "." + std::to_string(i);
  // An extension too long to keep whole beside a useful stem is shortened with it.
  if (ext.size() + tail.size() <= kMaxName / 2) tail += ext;
  else head += ext;
  if (head.size() + tail.size() <= kMaxName) return head + tail;
  size_t keep = kMaxName - tail.size();
  while (keep > 0 && (static_cast<unsigned char>(head[keep]) & 0xC0) == 0x80) --keep;
  return head.substr(0, keep) + tail;
}

std::string DeletionDate() {
  time_t now = ::time(nullptr);
  struct tm t;
  ::localtime_r(&now, &t);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

}  // namespace

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
  // The copy is written to a file without a name and linked in only when complete, so a
  // copy killed midway leaves nothing; where the file system cannot, to a temporary name.
  std::string tmp;
  UniqueFd out;
#ifdef O_TMPFILE
  if (::access("/proc/self/fd", X_OK) == 0) out.reset(::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
#endif
  if (out.get() < 0) {
    std::string tmpl = (dir == "/" ? "" : dir) + "/" + kCopyPrefix + "XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    out.reset(::mkostemp(name.data(), O_CLOEXEC));
    if (out.get() < 0) return errno;
    tmp = name.data();
  }
  int err = 0;
  std::vector<char> buf(1 << 20);
  int64_t done = 0;
  for (;;) {
    ssize_t n = ::read(in.get(), buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      err = errno;
      break;
    }
    if (n == 0) break;
    if ((err = SimulatedCopyError()) != 0) break;
    if (!WriteAllFd(out.get(), buf.data(), static_cast<size_t>(n), err)) break;
    done += n;
    SimulatedSlowCopy();
    if (copyProgress && !copyProgress(done, static_cast<int64_t>(sst.st_size))) {
      err = ECANCELED;
      break;
    }
  }
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

int PosixFileSystem::RecycleFile(const std::string& path, bool confirm) {
  std::string host = drives_.HostPath(path, true);
  if (host.empty()) return NoHostPath(path);
  struct stat st;
  if (::lstat(host.c_str(), &st) != 0) return errno;
  if (confirm && confirmDialogs) {
    std::string shown = ShownName(BaseOf(host));
    const char* what = S_ISDIR(st.st_mode) ? "folder" : "file";
    int answer = confirmDialogs->MsgBox(std::string("Move the ") + what + " \"" + shown + "\" to the Trash?",
                                        "Delete", MsgButtons::YesNo);
    if (answer != kAnswerYes) return kRecycleRefused;
  }
  std::string infoPath;
  std::string trash = TrashFor(host, st.st_dev, infoPath);
  if (trash.empty()) return kErrNoTrash;
  std::string files = trash + "/files", info = trash + "/info";
  if (!MakeDir0700(files) || !MakeDir0700(info)) return kErrNoTrash;
  if (DeviceOf(files) != st.st_dev) return kErrNoTrash;

  // Reserve a unique name: the info file is created exclusively first.
  std::string base = BaseOf(host);
  std::string stem = base, ext;
  size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) {
    stem = base.substr(0, dot);
    ext = base.substr(dot);
  }
  std::string chosen, infoFile;
  const std::string text = "[Trash Info]\nPath=" + UrlEncodePath(infoPath) + "\nDeletionDate=" + DeletionDate() + "\n";
  UniqueFd fd;
  for (int i = 1; i < 100000 && fd.get() < 0; ++i) {
    chosen = TrashName(stem, ext, i);
    infoFile = info + "/" + chosen + ".trashinfo";
    struct stat x;
    if (::lstat((files + "/" + chosen).c_str(), &x) == 0) continue;
    fd.reset(::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0 && errno != EEXIST) return errno;
  }
  if (fd.get() < 0) return EEXIST;
  int err = 0;
  bool ok = WriteAllFd(fd.get(), text.data(), text.size(), err);
  if (const int closed = fd.Close(); closed != 0 && ok) {
    ok = false;
    err = closed;
  }
  if (ok) err = RenameNoReplace(host, files + "/" + chosen);
  else if (!err) err = EIO;
  if (err) {
    ::unlink(infoFile.c_str());
    return err == EXDEV ? kErrNoTrash : err;
  }
  return 0;
}

int PosixFileSystem::TouchFile(const std::string& path) {
  std::string host = drives_.HostPath(path, true);
  if (host.empty()) return NoHostPath(path);
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return errno;  // never creates a file
  return ::utimensat(AT_FDCWD, host.c_str(), nullptr, 0) == 0 ? 0 : errno;
}

bool PosixFileSystem::SameContents(const std::string& a, const std::string& b) {
  // Exact names, as the copy that is checked used them.
  std::string ha = drives_.HostPath(a, true), hb = drives_.HostPath(b, true);
  if (ha.empty() || hb.empty()) return false;
  UniqueFd first(::open(ha.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (first.get() < 0) return false;
  UniqueFd second(::open(hb.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (second.get() < 0) return false;
  const int fa = first.get(), fb = second.get();
  struct stat sa, sb;
  bool same = ::fstat(fa, &sa) == 0 && ::fstat(fb, &sb) == 0 && S_ISREG(sa.st_mode) && S_ISREG(sb.st_mode) &&
              !(sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino) && sa.st_size == sb.st_size;
  if (same) {
    ::fcntl(fa, F_SETFL, ::fcntl(fa, F_GETFL) & ~O_NONBLOCK);
    ::fcntl(fb, F_SETFL, ::fcntl(fb, F_GETFL) & ~O_NONBLOCK);
  }
  std::vector<char> x(1 << 16), y(1 << 16);
  while (same) {
    ssize_t n = ::read(fa, x.data(), x.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      same = false;
      break;
    }
    ssize_t got = 0;
    while (got < n) {
      ssize_t m = ::read(fb, y.data() + got, static_cast<size_t>(n - got));
      if (m < 0 && errno == EINTR) continue;
      if (m <= 0) break;
      got += m;
    }
    if (got != n || std::memcmp(x.data(), y.data(), static_cast<size_t>(n)) != 0) same = false;
    if (n == 0) break;
  }
  return same;
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
    case kRecycleRefused: return "The deletion was cancelled.";
    default: break;
  }
  if (error <= 0) return "Unknown error " + std::to_string(error) + ".";
  std::string t = std::strerror(error);
  return t + ".";
}

}  // namespace tembra::posix
