// Sources of unknown size (pipes, FIFOs, devices, zero-length /proc and /sys files): a
// thread reads each to its end into a temporary file that is unlinked at once, so that it
// vanishes with the process however that ends, and the viewer reads that file as one
// that grows. A pipe can be read once only: its copy is kept for the process's life, so
// that viewing it again shows the same bytes. The source's own descriptor is closed as
// soon as it has been read to its end (a FIFO then stays no longer open than its writer).
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "archive/compression.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {

using StreamStop = FileSystem::StreamStop;

int g_stdin = -1;  // the standard input the program was started with

struct Spool {
  std::atomic<int> src{-1};  // closed by the thread when the source ends
  int tmp = -1;
  int wake[2] = {-1, -1};  // written to when the spool is dropped: the thread ends
  int64_t bound = kSpoolBound;
  std::atomic<bool> running{true};
  std::atomic<bool> dropped{false};
  StreamStop stop = StreamStop::kEnd;  // written before running turns false
  std::string error;
  DataFault fault;
  SpoolWork work;  // where set, the spool's bytes are made by it instead of read from src
  // A FIFO's name and what it was when its reading ended (written before running turns
  // false): its copy stands for it only while the name still gives exactly that.
  std::string host;
  struct stat ended {};
  bool endedKnown = false;
  std::thread thread;
  int64_t written = 0, sinceCheck = 0;
  StreamStop putStop = StreamStop::kEnd;  // why Put refused more bytes
  int putError = 0;

  ~Spool() {
    if (thread.joinable()) {
      dropped.store(true, std::memory_order_relaxed);
      const char c = 'x';
      ssize_t ignored = ::write(wake[1], &c, 1);
      (void)ignored;
      thread.join();
    }
    for (int fd : {src.load(), tmp, wake[0], wake[1]})
      if (fd >= 0) ::close(fd);
  }

  void Ended(StreamStop why, int err) {
    stop = why;
    if (err != 0) error = std::strerror(err);
    // Nothing more is read from the source: its descriptor goes now, not with the copy.
    const int fd = src.exchange(-1);
    if (fd >= 0) {
      endedKnown = ::fstat(fd, &ended) == 0;
      ::close(fd);
    }
    running.store(false, std::memory_order_release);
  }

  // The copy of a pipe that has ended stands for the FIFO at its name only while that
  // is still the same, unchanged FIFO (a rename, a write or a new FIFO with the same
  // inode number changes its status time); one still reading, while the FIFO has a name.
  bool StandsFor() const {
    if (running.load(std::memory_order_acquire)) {
      struct stat now;
      const int fd = src.load();
      return fd < 0 || ::fstat(fd, &now) != 0 || now.st_nlink > 0;
    }
    struct stat now;
    return endedKnown && !host.empty() && ::stat(host.c_str(), &now) == 0 && now.st_dev == ended.st_dev &&
           now.st_ino == ended.st_ino && now.st_ctim.tv_sec == ended.st_ctim.tv_sec &&
           now.st_ctim.tv_nsec == ended.st_ctim.tv_nsec;
  }

  // Appends bytes to the temporary file, up to the bound; false (the reason in putStop)
  // once it is reached, the disk is full, a write fails or the spool is dropped.
  bool Put(const char* data, size_t n) {
    if (dropped.load(std::memory_order_relaxed)) return false;
    const size_t room = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), bound - written));
    for (size_t done = 0; done < room;) {
      const ssize_t put = ::pwrite(tmp, data + done, room - done, written);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        putError = put < 0 ? errno : ENOSPC;
        putStop = putError == ENOSPC || putError == EDQUOT ? StreamStop::kFull : StreamStop::kWriteError;
        return false;
      }
      done += static_cast<size_t>(put);
      written += put;
    }
    return SpoolMayGoOn(*this, n, [this]() -> int64_t {
      struct statvfs fs;
      if (::fstatvfs(tmp, &fs) != 0) return -1;
      return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
    });
  }

  void Run() {
    if (work) return RunSpoolWork(*this);
    const int in = src.load();
    std::vector<char> buf(size_t{1} << 16);
    for (;;) {
      struct pollfd pf[2] = {{in, POLLIN, 0}, {wake[0], POLLIN, 0}};
      if (::poll(pf, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return Ended(StreamStop::kReadError, errno);
      }
      if (pf[1].revents != 0) return Ended(StreamStop::kEnd, 0);
      // A FIFO without a writer yet reports nothing and is not read: a read would give 0,
      // which is no end there.
      if (!(pf[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL))) continue;
      const ssize_t got = ::read(in, buf.data(), buf.size());
      if (got < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        return Ended(StreamStop::kReadError, errno);
      }
      if (got == 0) return Ended(StreamStop::kEnd, 0);
      if (!Put(buf.data(), static_cast<size_t>(got))) return Ended(putStop, putError);
    }
  }
};

// Handles given out (each a descriptor of its spool's file), and the spools of pipes by
// device and inode, kept for the process's life.
std::map<FileHandle, std::shared_ptr<Spool>>& Handles() {
  static auto* handles = new std::map<FileHandle, std::shared_ptr<Spool>>;
  return *handles;
}
std::map<std::pair<dev_t, ino_t>, std::shared_ptr<Spool>>& Pipes() {
  static auto* pipes = new std::map<std::pair<dev_t, ino_t>, std::shared_ptr<Spool>>;
  return *pipes;
}

// An unnamed file in the temporary folder (O_TMPFILE, else a name removed at once).
int TemporaryFile() {
  const char* env = std::getenv("TMPDIR");
  const std::string dir = env && *env ? env : "/tmp";
  int fd = -1;
#ifdef O_TMPFILE
  fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#endif
  if (fd < 0) {
    std::string name = dir + "/tembra-spool.XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
  }
  return fd;
}

// File systems whose files tell no size: proc, sysfs, debugfs, tracefs, securityfs,
// cgroup, cgroup2, configfs.
bool PseudoFileSystem(const std::string& host) {
  struct statfs fs;
  if (::statfs(host.c_str(), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x9fa0UL: case 0x62656572UL: case 0x64626720UL: case 0x74726163UL:
    case 0x73636673UL: case 0x27e0ebUL: case 0x63677270UL: case 0x62656570UL:
      return true;
    default:
      return false;
  }
}

bool IsStandardInput(const struct stat& st) {
  struct stat in;
  return g_stdin >= 0 && ::fstat(g_stdin, &in) == 0 && in.st_dev == st.st_dev && in.st_ino == st.st_ino;
}

// Starts the thread that copies src (read from the file at host; "" for none) or runs work
// into a new temporary file; null when it cannot (src then stays the caller's to close).
std::shared_ptr<Spool> StartSpool(int src, const std::string& host, int& error, SpoolWork work = {}) {
  auto spool = std::make_shared<Spool>();
  spool->host = host;
  spool->work = std::move(work);
  spool->bound = SpoolBound();
  spool->tmp = TemporaryFile();
  if (spool->tmp < 0 || ::pipe2(spool->wake, O_CLOEXEC) != 0) {
    error = errno;
    return nullptr;
  }
  spool->src = src;
  sigset_t blocked, before;
  sigfillset(&blocked);
  pthread_sigmask(SIG_SETMASK, &blocked, &before);
  try {
    spool->thread = std::thread([s = spool.get()] { s->Run(); });
  } catch (const std::system_error&) {
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (!spool->thread.joinable()) {
    error = EAGAIN;
    spool->src = -1;
    return nullptr;
  }
  return spool;
}

// A handle of the viewer's own on a spool's file.
FileHandle HandleOf(const std::shared_ptr<Spool>& spool, int& error) {
  const int fd = ::fcntl(spool->tmp, F_DUPFD_CLOEXEC, 3);
  if (fd < 0) {
    error = errno;
    return kInvalidFile;
  }
  Handles()[fd] = spool;
  return static_cast<FileHandle>(fd);
}

}  // namespace

void SetStandardInput(int fd) { g_stdin = fd; }

FileSystem::StreamKindOf PosixFileSystem::StreamKind(const std::string& path) {
  const std::string host = drives_.HostPath(path);
  struct stat st;
  if (host.empty() || ::stat(host.c_str(), &st) != 0) return kNoStream;
  if (S_ISREG(st.st_mode) && st.st_size > 0) return kNoStream;
  if (IsStandardInput(st)) return kStandardInput;
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return kStream;
  if (S_ISREG(st.st_mode)) return PseudoFileSystem(host) ? kStream : kNoStream;
  if (S_ISCHR(st.st_mode)) {
    // A terminal is where the keys come from: never read as a file.
    const int fd = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return kNoStream;
    const bool tty = ::isatty(fd);
    ::close(fd);
    return tty ? kNoStream : kStream;
  }
  return kNoStream;
}

FileHandle PosixFileSystem::OpenStream(const std::string& path) {
  const std::string host = drives_.HostPath(path);
  struct stat st;
  if (host.empty() || ::stat(host.c_str(), &st) != 0) {
    lastError_ = host.empty() ? kErrNoDrive : errno;
    return kInvalidFile;
  }
  const bool pipe = S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode);
  std::shared_ptr<Spool> spool;
  // The copy of a pipe that no longer stands for its FIFO is dropped (views still open
  // keep it): no name can reach it again, and its inode number may come back for another.
  for (auto it = Pipes().begin(); it != Pipes().end();) it = it->second->StandsFor() ? std::next(it) : Pipes().erase(it);
  if (pipe) {
    auto it = Pipes().find({st.st_dev, st.st_ino});
    if (it != Pipes().end()) spool = it->second;
  }
  if (!spool) {
    int src;
    if (IsStandardInput(st)) {
      src = ::fcntl(g_stdin, F_DUPFD_CLOEXEC, 3);
    } else {
      // Not blocking: a FIFO without a writer would hold the open until one comes.
      do {
        src = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      } while (src < 0 && errno == EINTR);
    }
    if (src < 0) {
      lastError_ = errno;
      return kInvalidFile;
    }
    int error = 0;
    spool = StartSpool(src, host, error);
    if (!spool) {
      ::close(src);
      lastError_ = error;
      return kInvalidFile;
    }
    if (pipe) Pipes()[{st.st_dev, st.st_ino}] = spool;
  }
  return HandleOf(spool, lastError_);
}

FileHandle PosixFileSystem::OpenSpool(SpoolWork work) { return StartWork(-1, std::move(work)); }

FileHandle PosixFileSystem::StartWork(int src, SpoolWork work) {
  int error = 0;
  std::shared_ptr<Spool> spool = StartSpool(src, "", error, std::move(work));
  if (!spool) {
    if (src >= 0) ::close(src);
    lastError_ = error;
    return kInvalidFile;
  }
  return HandleOf(spool, lastError_);
}

FileHandle PosixFileSystem::OpenDecompressed(const std::string& path) {
  const std::string host = drives_.HostPath(path);
  int src = -1;
  if (!host.empty()) {
    do {
      src = ::open(host.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    } while (src < 0 && errno == EINTR);
  }
  if (src < 0) {
    lastError_ = host.empty() ? kErrNoDrive : errno;
    return kInvalidFile;
  }
  // The spool owns the descriptor (it closes it); the work reads it from its start.
  return StartWork(src, [src](const ByteSink& put) {
    char head[archive::kMagicBytes];
    const ssize_t got = ::pread(src, head, sizeof head, 0);
    const archive::Compression c = archive::DetectCompression(std::string_view(head, got > 0 ? static_cast<size_t>(got) : 0));
    int readError = 0;
    DataFault f = archive::DecompressStream(c, [&](char* buffer, long n) -> long {
      for (;;) {
        const ssize_t r = ::read(src, buffer, static_cast<size_t>(n));
        if (r >= 0 || errno != EINTR) {
          if (r < 0) readError = errno;
          return static_cast<long>(r);
        }
      }
    }, put);
    if (f.kind == DataFault::kReadError) f.text += ": " + std::string(std::strerror(readError));
    return f;
  });
}

FileSystem::StreamState PosixFileSystem::StreamStateOf(FileHandle file) {
  auto it = Handles().find(file);
  return it == Handles().end() ? StreamState() : SpoolState(*it->second);
}

bool PosixFileSystem::StillAtPath(FileHandle file, const std::string& path) {
  if (file < 0 || Handles().count(file)) return true;
  struct stat open, named;
  const std::string host = drives_.HostPath(path);
  if (::fstat(static_cast<int>(file), &open) != 0 || host.empty() || ::stat(host.c_str(), &named) != 0) return true;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

void PosixFileSystem::CloseFile(FileHandle file) {
  if (file < 0) return;
  ::close(static_cast<int>(file));
  Handles().erase(file);  // the last handle of a spool that is no pipe's ends its reading
}

}  // namespace tembra::posix
