// Existence, current directories and whole-file reads and writes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

std::string PosixFileSystem::CurrentDirectory() { return drives_.CurrentDir(); }
std::string PosixFileSystem::CurrentDirectoryOfDrive(char drive) { return drives_.CurrentDirOf(drive); }
bool PosixFileSystem::ChangeDirectory(const std::string& path) { return drives_.ChangeDirectory(path); }
bool PosixFileSystem::ChangeDrive(char drive) { return drives_.ChangeDrive(drive); }

bool PosixFileSystem::ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  std::string host = drives_.HostPath(path);
  if (host.empty()) return false;
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    contents.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

namespace {
bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

bool PosixFileSystem::WriteWholeFile(const std::string& path, const std::string& contents) {
  // The exact name: a file that differs only in letter case is never overwritten.
  std::string host = drives_.HostPath(path, true);
  if (host.empty()) return false;
  int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, contents);
  if (::close(fd) != 0) ok = false;
  return ok;
}

bool PosixFileSystem::AppendToFile(const std::string& path, const std::string& text) {
  std::string host = drives_.HostPath(path);
  if (host.empty()) return false;
  int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text);
  if (::close(fd) != 0) ok = false;
  return ok;
}

}  // namespace tembra::posix
