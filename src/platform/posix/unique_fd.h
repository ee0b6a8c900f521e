// Descriptors and folder streams owned by a scope.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace tembra::posix {

// A descriptor closed when it goes out of scope: an early return or an exception between
// its open and its close leaves nothing open.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Gives the descriptor up without closing it (another owner took it).
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes it now: 0, or the close's error number (a write's last chance to fail).
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
  }

 private:
  int fd_;
};

// A folder stream closed when it goes out of scope.
struct CloseDir {
  void operator()(DIR* d) const { ::closedir(d); }
};
using UniqueDir = std::unique_ptr<DIR, CloseDir>;

}  // namespace tembra::posix
