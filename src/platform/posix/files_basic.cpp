// Existence, current directories and whole-file reads and writes. The whole files are
// the program's own (configuration, markers, listing, log and dump files): only regular
// files are read, up to a size bound, and no symbolic link is followed for a write.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "core/text.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {
int ExistsAt(const DriveMap& drives, const std::string& path, bool exactLast) {
  if (path.empty()) return -1;
  std::string host = drives.HostPath(path, exactLast);
  if (host.empty()) return -1;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) {
    // A dangling symbolic link is still a name that exists: count it as a file.
    if (::lstat(host.c_str(), &st) == 0) return 0;
    return -1;
  }
  return S_ISDIR(st.st_mode) ? 1 : 0;
}
}  // namespace

int PosixFileSystem::Exists(const std::string& path) { return ExistsAt(drives_, path, false); }
int PosixFileSystem::ExistsExactly(const std::string& path) { return ExistsAt(drives_, path, true); }

bool PosixFileSystem::ModeAndOwner(const std::string& path, std::string& mode, std::string& owner) {
  const std::string host = drives_.HostPath(path, true);
  struct stat st;
  if (host.empty() || ::lstat(host.c_str(), &st) != 0) return false;
  const mode_t m = st.st_mode;
  mode = S_ISDIR(m) ? "d" : S_ISLNK(m) ? "l" : S_ISFIFO(m) ? "p" : S_ISCHR(m) ? "c" : S_ISBLK(m) ? "b" : S_ISSOCK(m) ? "s" : "-";
  // Each of user, group and others: r, w, then x or its special bit (s/S, s/S, t/T).
  const mode_t special[] = {S_ISUID, S_ISGID, S_ISVTX};
  const char mark[] = {'s', 's', 't'};
  for (int who = 0; who < 3; ++who) {
    const int shift = 6 - 3 * who;
    mode += (m >> shift) & 4 ? 'r' : '-';
    mode += (m >> shift) & 2 ? 'w' : '-';
    const bool x = (m >> shift) & 1, bit = m & special[who];
    mode += bit ? (x ? mark[who] : static_cast<char>(mark[who] - 'a' + 'A')) : (x ? 'x' : '-');
  }
  auto known = owners_.find(st.st_uid);
  if (known == owners_.end()) {
    std::string name = std::to_string(st.st_uid);
    std::vector<char> buf(16384);
    struct passwd pw, *found = nullptr;
    if (::getpwuid_r(st.st_uid, &pw, buf.data(), buf.size(), &found) == 0 && found) name = ShownText(found->pw_name);
    known = owners_.emplace(st.st_uid, name).first;
  }
  owner = known->second;
  return true;
}

std::string PosixFileSystem::LinkTarget(const std::string& path) {
  std::string host = drives_.HostPath(path, true);
  if (host.empty()) return std::string();
  char buf[4096];
  ssize_t n = ::readlink(host.c_str(), buf, sizeof buf);
  if (n <= 0) return std::string();
  return ShownText(std::string(buf, static_cast<size_t>(n)));
}

bool PosixFileSystem::SameFile(const std::string& a, const std::string& b) {
  std::string ha = drives_.HostPath(a), hb = drives_.HostPath(b, true);
  struct stat sa, sb;
  return !ha.empty() && !hb.empty() && ::stat(ha.c_str(), &sa) == 0 && ::stat(hb.c_str(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int PosixFileSystem::FolderError(const std::string& path) {
  std::string host = drives_.HostPath(path);
  if (host.empty()) return ENOENT;
  int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

void PosixFileSystem::SetUtf8Names(bool on) {
  if (on == Utf8Names()) return;
  const std::string host = drives_.HostPath(drives_.CurrentDir());
  posix::SetUtf8Names(on);
  const std::string win = drives_.WinPath(host);
  if (!win.empty()) drives_.ChangeDirectory(win);
}

// A host name is UTF-8 bytes already: shown with the escapes of a path's text.
std::string PosixFileSystem::ShownUtf8Name(const std::string& utf8) { return ShownText(utf8); }

std::string PosixFileSystem::CurrentDirectory() { return drives_.CurrentDir(); }
std::string PosixFileSystem::CurrentDirectoryOfDrive(char drive) { return drives_.CurrentDirOf(drive); }
bool PosixFileSystem::ChangeDirectory(const std::string& path) { return drives_.ChangeDirectory(path); }
bool PosixFileSystem::ChangeDrive(char drive) { return drives_.ChangeDrive(drive); }

namespace {

// Whole-file reads are for the program's own small text files (configuration, markers):
// a larger file is refused rather than read into memory.
constexpr int64_t kMaxWholeFile = 16 << 20;

// Drops the non-blocking flag that only guarded the open (a FIFO would wait for a peer).
void Blocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

bool WriteAll(int fd, const std::string& text, int& err) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Why an existing name may not be written as a file of the program's own: it is a
// symbolic link, FIFO, device or folder, or a read-only file. 0 when it may (or is absent).
int RefusedTarget(const std::string& host, struct stat& st, bool& exists) {
  exists = ::lstat(host.c_str(), &st) == 0;
  if (!exists) return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return kErrNotRegularFile;
  if ((st.st_mode & 0222) == 0 || ::access(host.c_str(), W_OK) != 0) return EACCES;
  return 0;
}

}  // namespace

int ReadHostFile(const std::string& host, std::string& contents, struct stat& st) {
  contents.clear();
  int fd;
  do {
    fd = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  int err = 0;
  if (::fstat(fd, &st) != 0) err = errno;
  else if (S_ISDIR(st.st_mode)) err = EISDIR;
  else if (!S_ISREG(st.st_mode)) err = kErrNotRegularFile;
  else if (st.st_size > kMaxWholeFile) err = kErrTooLarge;
  if (!err) Blocking(fd);
  char buf[65536];
  while (!err) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err = errno;
    if (n <= 0) break;
    // The file may grow while it is read.
    if (static_cast<int64_t>(contents.size()) + n > kMaxWholeFile) err = kErrTooLarge;
    else contents.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  if (err) contents.clear();
  return err;
}

bool PosixFileSystem::ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  lastError_ = kErrNoDrive;
  std::string host = drives_.HostPath(path);
  if (host.empty()) return false;
  struct stat st;
  lastError_ = ReadHostFile(host, contents, st);
  return lastError_ == 0;
}

bool PosixFileSystem::WriteWholeFile(const std::string& path, const std::string& contents) {
  lastError_ = kErrNoDrive;
  // The exact name: a file that differs only in letter case is never overwritten.
  std::string host = drives_.HostPath(path, true);
  if (host.empty()) return false;
  struct stat st;
  bool exists = false;
  if ((lastError_ = RefusedTarget(host, st, exists)) != 0) return false;
  // Written to a new file beside it and renamed over it when complete: no link is
  // followed, and a failure leaves the former file as it was.
  size_t slash = host.rfind('/');
  std::string dir = slash == std::string::npos ? "." : host.substr(0, slash);
  std::random_device random;
  static const char* chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = dir + "/.tembra-write-";
    for (int i = 0; i < 6; ++i) tmp += chars[random() % 62];
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    lastError_ = errno;
    return false;
  }
  int err = 0;
  if (exists) ::fchmod(fd, st.st_mode & 07777);
  WriteAll(fd, contents, err);
  if (::close(fd) != 0 && !err) err = errno;
  if (!err && ::rename(tmp.c_str(), host.c_str()) != 0) err = errno;
  if (err) ::unlink(tmp.c_str());
  lastError_ = err;
  return err == 0;
}

bool PosixFileSystem::AppendToFile(const std::string& path, const std::string& text) {
  lastError_ = kErrNoDrive;
  std::string host = drives_.HostPath(path);
  if (host.empty()) return false;
  // Never through a symbolic link, never waiting for a FIFO's reader, only into a file.
  int fd;
  do {
    fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    lastError_ = errno == ELOOP || errno == ENXIO ? kErrNotRegularFile : errno;
    return false;
  }
  struct stat st;
  int err = 0;
  if (::fstat(fd, &st) != 0) err = errno;
  else if (!S_ISREG(st.st_mode)) err = kErrNotRegularFile;
  if (!err) {
    Blocking(fd);
    WriteAll(fd, text, err);
  }
  if (::close(fd) != 0 && !err) err = errno;
  lastError_ = err;
  return err == 0;
}

}  // namespace tembra::posix
