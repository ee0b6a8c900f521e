// Directory enumeration: find first / next / close with Windows find data.
//
// A search pattern is a Windows path whose last component may hold "*" and "?".
// The names are read in one pass; each entry then costs one statx, made in a large
// folder by two threads. Symbolic links are listed as what they point to; a link
// whose target is missing is listed as a file. A folder that cannot be read gives
// an invalid handle (the caller lists nothing). "." and ".." are not returned.
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "core/text.h"
#include "core/unicode.h"
#include "platform/posix/posix_platform.h"
#include "platform/win_rules.h"

namespace tembra::posix {

namespace {

// An entry as getdents64 returns it.
struct Dirent64 {
  uint64_t d_ino;
  int64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[1];
};

constexpr int64_t kEpochDiff = 11644473600LL;  // seconds from 1601-01-01 to 1970-01-01

uint64_t ToFileTime(const struct timespec& ts) {
  int64_t s = static_cast<int64_t>(ts.tv_sec) + kEpochDiff;
  if (s < 0) return 0;
  return static_cast<uint64_t>(s) * 10000000ULL + static_cast<uint64_t>(ts.tv_nsec) / 100ULL;
}

bool HasWildcards(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// Whether the effective user may write a file of this owner and mode.
bool UserMayWrite(const struct stat& st) {
  static const uid_t uid = ::geteuid();
  if (uid == 0) return true;
  if (st.st_uid == uid) return (st.st_mode & S_IWUSR) != 0;
  static const std::vector<gid_t> groups = [] {
    std::vector<gid_t> g(1, ::getegid());
    int n = ::getgroups(0, nullptr);
    if (n > 0) {
      std::vector<gid_t> more(static_cast<size_t>(n));
      n = ::getgroups(n, more.data());
      if (n > 0) g.insert(g.end(), more.begin(), more.begin() + n);
    }
    return g;
  }();
  for (gid_t g : groups)
    if (g == st.st_gid) return (st.st_mode & S_IWGRP) != 0;
  return (st.st_mode & S_IWOTH) != 0;
}

}  // namespace

// What the find data needs of one entry, read by statx (thread-safe, no allocation). Not
// file-local: PosixFileSystem::FindState holds it.
struct EntryStat {
  uint32_t attr = 0;
  uint8_t link = 0;  // as FindData::nLinkKind
  uint64_t write = 0, access = 0, creation = 0, size = 0;
};

namespace {

// One statx per entry, asking only for what the find data holds.
constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE | STATX_ATIME |
                                  STATX_MTIME | STATX_BTIME;

// False when the entry has vanished. dirType is the type the folder gave (DT_UNKNOWN
// where it gives none: then a link is told by a second look that does not follow it).
bool StatEntry(int dirFd, const char* hostName, EntryStat& out, unsigned char dirType = DT_UNKNOWN) {
  struct statx sx;
  bool dangling = false;
  int rc = ::statx(dirFd, hostName, AT_STATX_SYNC_AS_STAT, kStatxWanted, &sx);
  if (rc != 0) {
    rc = ::statx(dirFd, hostName, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT, kStatxWanted, &sx);
    if (rc != 0) return false;
    dangling = true;
  }
  out.link = 0;
  if (dangling) {
    out.link = S_ISLNK(sx.stx_mode) ? 2 : 0;
  } else if (dirType == DT_LNK) {
    out.link = 1;
  } else if (dirType == DT_UNKNOWN) {
    struct statx own;
    if (::statx(dirFd, hostName, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT, STATX_TYPE, &own) == 0 &&
        S_ISLNK(own.stx_mode))
      out.link = 1;
  }
  struct stat st {};
  st.st_mode = sx.stx_mode;
  st.st_uid = sx.stx_uid;
  st.st_gid = sx.stx_gid;
  bool isDir = !dangling && S_ISDIR(sx.stx_mode);
  bool isReg = dangling || S_ISREG(sx.stx_mode);
  uint32_t attr = 0;
  if (isDir) attr |= kAttrDirectory;
  if (hostName[0] == '.') attr |= kAttrHidden;
  if (!dangling && !UserMayWrite(st)) attr |= kAttrReadOnly;
  if (!isDir && !isReg) attr |= kAttrSystem;
  if (isReg) attr |= kAttrArchive;
  out.attr = attr;
  auto ts = [](const struct statx_timestamp& t) {
    struct timespec s;
    s.tv_sec = static_cast<time_t>(t.tv_sec);
    s.tv_nsec = static_cast<long>(t.tv_nsec);
    return s;
  };
  out.write = ToFileTime(ts(sx.stx_mtime));
  out.access = ToFileTime(ts(sx.stx_atime));
  out.creation = (sx.stx_mask & STATX_BTIME) ? ToFileTime(ts(sx.stx_btime)) : out.write;
  out.size = (isDir || dangling) ? 0 : sx.stx_size;
  return true;
}

// The find data of an entry from its statx result and its name.
void FillFindData(const EntryStat& e, const char* hostName, FindData& data) {
  data.dwFileAttributes = e.attr;
  data.nLinkKind = e.link;
  data.ftLastWriteTime = e.write;
  data.ftLastAccessTime = e.access;
  data.ftCreationTime = e.creation;
  data.nFileSizeHigh = static_cast<uint32_t>(e.size >> 32);
  data.nFileSizeLow = static_cast<uint32_t>(e.size & 0xFFFFFFFFULL);
  // A plain ASCII name with nothing to escape (no control code, no character a Windows
  // name cannot hold, no blank at either end) is the same in both forms: copied as it is.
  auto plain = [](unsigned char c) {
    if (c < 0x20 || c >= 0x7F) return false;
    switch (c) {
      case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|': return false;
      default: return true;
    }
  };
  const char* p = hostName;
  while (*p != 0 && plain(static_cast<unsigned char>(*p))) ++p;
  const size_t n = static_cast<size_t>(p - hostName);
  if (*p == 0 && (n == 0 || (hostName[0] != ' ' && hostName[n - 1] != ' '))) data.cFileName.assign(hostName, n);
  else data.cFileName = ShownName(hostName);
  data.cAlternateFileName.clear();
}

bool FillFindData(int dirFd, const char* hostName, FindData& data) {
  EntryStat e;
  if (!StatEntry(dirFd, hostName, e)) return false;
  FillFindData(e, hostName, data);
  return true;
}

// Entries looked at by a second thread as well from this many on.
constexpr size_t kParallelEntries = 256;

}  // namespace

// A folder search: the names matching the pattern, read in one pass, and their statx
// results, which the caller's thread and (in a large folder) a second thread fill in
// ahead of the caller, each claiming the next entry not yet claimed.
struct PosixFileSystem::FindState {
  int dirFd = -1;
  std::string names;            // the matching names, each ending in a zero byte
  std::vector<size_t> start;  // offset of each name in `names`
  std::vector<unsigned char> type;  // the type the folder gave each name (d_type)
  std::unique_ptr<EntryStat[]> stats;
  std::unique_ptr<std::atomic<uint8_t>[]> done;  // 0 not yet, 1 looked at, 2 vanished
  std::atomic<size_t> nextClaim{0};
  size_t next = 0;  // the entry the caller gets next
  std::thread helper;

  size_t count() const { return start.size(); }
  const char* name(size_t i) const { return names.data() + start[i]; }
  // Claims the next entry and looks at it; false when none is left to claim.
  bool LookAtOne() {
    size_t k = nextClaim.fetch_add(1, std::memory_order_relaxed);
    if (k >= count()) return false;
    done[k].store(StatEntry(dirFd, name(k), stats[k], type[k]) ? 1 : 2, std::memory_order_release);
    return true;
  }
  ~FindState() {
    nextClaim.store(count(), std::memory_order_relaxed);
    if (helper.joinable()) helper.join();
    if (dirFd >= 0) ::close(dirFd);
  }
};

PosixFileSystem::PosixFileSystem() = default;
PosixFileSystem::PosixFileSystem(DriveMap drives) : drives_(std::move(drives)) {}
PosixFileSystem::~PosixFileSystem() = default;

FindHandle PosixFileSystem::FindFirstFile(const std::string& pattern, FindData& data) {
  if (pattern.empty()) return kInvalidFind;
  std::string full = drives_.FullWinPath(pattern);
  if (full.empty()) return kInvalidFind;
  size_t slash = full.find_last_of('\\');
  std::string winDir = full.substr(0, slash + 1);
  std::string namePat = full.substr(slash + 1);
  if (namePat.empty()) return kInvalidFind;
  std::string hostDir = drives_.HostPath(winDir);
  if (hostDir.empty()) return kInvalidFind;

  if (!HasWildcards(namePat)) {
    // One named entry: resolve its stored name and report it alone.
    std::string host = ResolveComponent(hostDir, namePat);
    size_t cut = host.find_last_of('/');
    std::string parent = cut == 0 ? "/" : host.substr(0, cut);
    std::string name = host.substr(cut + 1);
    if (name.empty() || name == "." || name == "..") return kInvalidFind;
    int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return kInvalidFind;
    bool ok = FillFindData(fd, name.c_str(), data);
    ::close(fd);
    if (!ok) return kInvalidFind;
    auto st = std::make_unique<FindState>();
    FindHandle h = nextFind_++;
    finds_[h] = std::move(st);
    return h;
  }

  int fd = ::open(hostDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return kInvalidFind;
  auto st = std::make_unique<FindState>();
  st->dirFd = fd;
  // Every name in one pass, with a large buffer: few system calls.
  const bool all = namePat == "*" || namePat == "*.*";
  static thread_local std::unique_ptr<char[]> buffer;
  constexpr size_t kBufferBytes = size_t{256} << 10;
  if (!buffer) buffer = std::make_unique<char[]>(kBufferBytes);
  for (;;) {
    long got = ::syscall(SYS_getdents64, fd, buffer.get(), kBufferBytes);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the end, or a folder that can no longer be read: what was read is listed
    for (long off = 0; off < got;) {
      const auto* e = reinterpret_cast<const Dirent64*>(buffer.get() + off);
      off += e->d_reclen;
      const char* n = e->d_name;
      if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
      if (!all && !MatchesFindPattern(ShownName(n), namePat, Utf8Names())) continue;
      st->start.push_back(st->names.size());
      st->type.push_back(e->d_type);
      st->names.append(n, std::strlen(n) + 1);
    }
  }
  const size_t count = st->count();
  st->stats = std::make_unique<EntryStat[]>(count);
  st->done = std::make_unique<std::atomic<uint8_t>[]>(count);
  for (size_t i = 0; i < count; ++i) st->done[i].store(0, std::memory_order_relaxed);
  if (count >= kParallelEntries) {
    FindState* s = st.get();
    // The second thread takes no signals (it inherits the mask blocking them all): they
    // stay with the thread that handles them.
    sigset_t blocked, before;
    sigfillset(&blocked);
    pthread_sigmask(SIG_SETMASK, &blocked, &before);
    try {
      s->helper = std::thread([s] {
        while (s->LookAtOne()) {
        }
      });
    } catch (const std::system_error&) {
      // No second thread: the caller's thread looks at every entry.
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
  }
  FindHandle h = nextFind_++;
  finds_[h] = std::move(st);
  if (!FindNextFile(h, data)) {
    finds_.erase(h);
    return kInvalidFind;
  }
  return h;
}

bool PosixFileSystem::FindNextFile(FindHandle handle, FindData& data) {
  auto it = finds_.find(handle);
  if (it == finds_.end() || it->second->dirFd < 0) return false;
  FindState& s = *it->second;
  while (s.next < s.count()) {
    const size_t i = s.next;
    uint8_t state;
    // The entry is looked at by whichever thread claimed it; meanwhile this thread
    // looks at the next unclaimed ones itself.
    while ((state = s.done[i].load(std::memory_order_acquire)) == 0)
      if (!s.LookAtOne()) std::this_thread::yield();
    ++s.next;
    if (state == 1) {
      FillFindData(s.stats[i], s.name(i), data);
      return true;
    }
    // The entry vanished between reading the folder and looking at it: skip it.
  }
  return false;
}

void PosixFileSystem::FindClose(FindHandle handle) { finds_.erase(handle); }

uint64_t PosixFileSystem::FileTimeToLocalFileTime(uint64_t utc) {
  int64_t secs = static_cast<int64_t>(utc / 10000000ULL) - kEpochDiff;
  if (secs != offsetSecond_) {
    time_t t = static_cast<time_t>(secs);
    std::tm lt;
    offsetSecond_ = secs;
    offsetKnown_ = ::localtime_r(&t, &lt) != nullptr;
    offsetSeconds_ = offsetKnown_ ? static_cast<int64_t>(lt.tm_gmtoff) : 0;
  }
  if (!offsetKnown_) return utc;
  int64_t shifted = static_cast<int64_t>(utc) + offsetSeconds_ * 10000000LL;
  return shifted < 0 ? 0 : static_cast<uint64_t>(shifted);
}

DateTime PosixFileSystem::FileTimeToSystemTime(uint64_t ft) { return CalendarOfFileTime(ft); }

}  // namespace tembra::posix
