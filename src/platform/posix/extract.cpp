// Extracting one archive member into a folder. Every step below the folder is taken with
// openat and O_NOFOLLOW, so that no symbolic link (one already there, or one an earlier
// member made) leads the write elsewhere; a file is written unnamed (or under a hidden
// temporary name) and gets its name only once its bytes are all there.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "archive/member_path.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {

// Closes a descriptor when it goes.
struct Fd {
  int fd = -1;
  explicit Fd(int f = -1) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  void Reset(int f) {
    if (fd >= 0) ::close(fd);
    fd = f;
  }
};

ExtractResult Result(ExtractResult::Kind kind, int error = 0) {
  ExtractResult r;
  r.kind = kind;
  r.error = error;
  return r;
}

// Opens (making it where missing) the folder `part` inside dir, never through a link.
ExtractResult EnterFolder(Fd& dir, const std::string& part) {
  if (::mkdirat(dir.fd, part.c_str(), 0777) != 0 && errno != EEXIST) return Result(ExtractResult::kError, errno);
  const int next = ::openat(dir.fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (next < 0) {
    const int err = errno;
    struct stat st;
    if (::fstatat(dir.fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
      return Result(ExtractResult::kThroughLink);
    return Result(ExtractResult::kError, err == ELOOP ? ENOTDIR : err);
  }
  dir.Reset(next);
  return Result(ExtractResult::kDone);
}

std::string TempName() {
  static std::mt19937_64 rnd{std::random_device{}()};
  return ".tembra-part-" + std::to_string(rnd() % 1000000000000ULL);
}

// A new file in dir for the member's bytes: unnamed where the system can, else under a
// hidden temporary name (given back in tmpName).
int NewFile(int dir, std::string& tmpName) {
#ifdef O_TMPFILE
  const int fd = ::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd >= 0) return fd;
#endif
  for (int tries = 0; tries < 100; ++tries) {
    tmpName = TempName();
    const int named = ::openat(dir, tmpName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (named >= 0 || errno != EEXIST) return named;
  }
  return -1;
}

// Gives the written file its name: without replace only where nothing has it (kExists
// otherwise); with replace over what is there (a link itself, never what it points to).
ExtractResult Publish(int dir, int fd, std::string& tmpName, const std::string& name, bool replace) {
  if (tmpName.empty()) {
    // Unnamed: a link made through /proc (or AT_EMPTY_PATH, which needs a privilege).
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    auto link = [&](const std::string& to) {
      if (::linkat(fd, "", dir, to.c_str(), AT_EMPTY_PATH) == 0) return 0;
      return ::linkat(AT_FDCWD, self.c_str(), dir, to.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    };
    if (!replace) {
      const int err = link(name);
      return err == 0 ? Result(ExtractResult::kDone) : Result(err == EEXIST ? ExtractResult::kExists : ExtractResult::kError, err);
    }
    int err = EEXIST;
    for (int tries = 0; tries < 100 && err == EEXIST; ++tries) err = link(tmpName = TempName());
    if (err != 0) {
      tmpName.clear();
      return Result(ExtractResult::kError, err);
    }
  }
  if (replace) {
    if (::renameat(dir, tmpName.c_str(), dir, name.c_str()) != 0) return Result(ExtractResult::kError, errno);
    tmpName.clear();
    return Result(ExtractResult::kDone);
  }
  if (::linkat(dir, tmpName.c_str(), dir, name.c_str(), 0) != 0)
    return Result(errno == EEXIST ? ExtractResult::kExists : ExtractResult::kError, errno);
  return Result(ExtractResult::kDone);
}

ExtractResult WriteFile(int dir, const std::string& name, const ExtractItem& item, bool replace) {
  struct stat st;
  if (!replace && ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return Result(ExtractResult::kExists);
  std::string tmpName;
  Fd file(NewFile(dir, tmpName));
  if (file.fd < 0) return Result(ExtractResult::kError, errno);
  int writeError = 0;
  DataFault fault;
  if (item.data) {
    fault = item.data([&](const char* data, size_t n) {
      for (size_t done = 0; done < n;) {
        const ssize_t put = ::write(file.fd, data + done, n - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
          writeError = put < 0 ? errno : ENOSPC;
          return false;
        }
        done += static_cast<size_t>(put);
      }
      return true;
    });
  }
  ExtractResult r = ExtractResult::Written(writeError, fault);
  if (r.kind == ExtractResult::kDone) {
    if (item.mtime >= 0) {
      const struct timespec times[2] = {{item.mtime, 0}, {item.mtime, 0}};
      ::futimens(file.fd, times);
    }
    r = Publish(dir, file.fd, tmpName, name, replace);
  }
  if (!tmpName.empty()) ::unlinkat(dir, tmpName.c_str(), 0);
  return r;
}

}  // namespace

ExtractResult PosixFileSystem::ExtractMember(const std::string& folder, const ExtractItem& item, bool replace) {
  std::vector<std::string> parts;
  if (!archive::SplitMemberPath(item.name, parts, false)) return Result(ExtractResult::kUnsafeName);
  const std::string host = drives_.HostPath(folder);
  if (host.empty()) return Result(ExtractResult::kError, kErrNoDrive);
  // The folder the user named is taken as it is, a link to a folder included.
  Fd dir(::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.fd < 0) return Result(ExtractResult::kError, errno);
  const size_t folders = item.type == ExtractItem::kFolder ? parts.size() : parts.size() - 1;
  for (size_t i = 0; i < folders; ++i) {
    ExtractResult r = EnterFolder(dir, parts[i]);
    if (r.kind != ExtractResult::kDone) return r;
  }
  const std::string& name = parts.back();
  switch (item.type) {
    case ExtractItem::kFolder:
      return Result(ExtractResult::kDone);
    case ExtractItem::kSymlink: {
      struct stat st;
      if (::fstatat(dir.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!replace || S_ISDIR(st.st_mode)) return Result(ExtractResult::kExists);
        if (::unlinkat(dir.fd, name.c_str(), 0) != 0) return Result(ExtractResult::kError, errno);
      }
      if (item.linkTarget.empty() || item.linkTarget.find('\0') != std::string::npos)
        return Result(ExtractResult::kUnsafeName);
      return ::symlinkat(item.linkTarget.c_str(), dir.fd, name.c_str()) == 0 ? Result(ExtractResult::kDone)
                                                                            : Result(ExtractResult::kError, errno);
    }
    default:
      return WriteFile(dir.fd, name, item, replace);
  }
}

}  // namespace tembra::posix
