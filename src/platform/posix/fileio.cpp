// Raw read-only file access at 1-based byte positions. The file is opened without any
// lock, so other programs may read, write, grow or truncate it meanwhile; a read past
// the current end simply returns fewer bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace tembra::posix {

FileHandle PosixFileSystem::OpenRead(const std::string& path) {
  std::string host = drives_.HostPath(path);
  if (host.empty()) return kInvalidFile;
  int fd;
  do {
    fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kInvalidFile;
  struct stat st;
  // Only regular files are viewed: a directory, FIFO or device would block or never end.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return kInvalidFile;
  }
  // The non-blocking flag only guarded the open itself (a FIFO would wait for a writer).
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return static_cast<FileHandle>(fd);
}

long PosixFileSystem::ReadAt(FileHandle file, int64_t pos, char* buffer, long n) {
  if (file < 0 || pos < 1 || n < 0) return -1;
  int fd = static_cast<int>(file);
  long done = 0;
  while (done < n) {
    ssize_t got = ::pread(fd, buffer + done, static_cast<size_t>(n - done), static_cast<off_t>(pos - 1 + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? done : -1;
    }
    if (got == 0) break;  // the current end of the file
    done += got;
  }
  return done;
}

int64_t PosixFileSystem::FileLength(FileHandle file) {
  if (file < 0) return -1;
  struct stat st;
  if (::fstat(static_cast<int>(file), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

}  // namespace tembra::posix
