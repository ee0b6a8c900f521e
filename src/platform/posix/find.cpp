// Directory enumeration: find first / next / close with Windows find data.
//
// A search pattern is a Windows path whose last component may hold "*" and "?".
// Entries are read lazily from the folder, so a large folder costs one stat per
// entry and nothing more. Symbolic links are listed as what they point to; a link
// whose target is missing is listed as a file. A folder that cannot be read gives
// an invalid handle (the caller lists nothing). "." and ".." are not returned.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "core/text.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {

constexpr int64_t kEpochDiff = 11644473600LL;  // seconds from 1601-01-01 to 1970-01-01

uint64_t ToFileTime(const struct timespec& ts) {
  int64_t s = static_cast<int64_t>(ts.tv_sec) + kEpochDiff;
  if (s < 0) return 0;
  return static_cast<uint64_t>(s) * 10000000ULL + static_cast<uint64_t>(ts.tv_nsec) / 100ULL;
}

// "*" any run, "?" any one character, case-blind in Windows-1252.
bool FindMatch(const std::string& name, const std::string& pat) {
  size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size() && pat[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pat.size() &&
               (pat[p] == '?' || UpperChar(static_cast<unsigned char>(pat[p])) ==
                                     UpperChar(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
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

// Fills the find data of one entry of a folder; false when the entry has vanished.
// One statx per entry, asking only for what the find data holds.
constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE | STATX_ATIME |
                                  STATX_MTIME | STATX_BTIME;

bool FillFindData(int dirFd, const char* hostName, FindData& data) {
  struct statx sx;
  bool dangling = false;
  int rc = ::statx(dirFd, hostName, AT_STATX_SYNC_AS_STAT, kStatxWanted, &sx);
  if (rc != 0) {
    rc = ::statx(dirFd, hostName, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT, kStatxWanted, &sx);
    if (rc != 0) return false;
    dangling = true;
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
  data.dwFileAttributes = attr;
  auto ts = [](const struct statx_timestamp& t) {
    struct timespec s;
    s.tv_sec = static_cast<time_t>(t.tv_sec);
    s.tv_nsec = static_cast<long>(t.tv_nsec);
    return s;
  };
  data.ftLastWriteTime = ToFileTime(ts(sx.stx_mtime));
  data.ftLastAccessTime = ToFileTime(ts(sx.stx_atime));
  data.ftCreationTime = (sx.stx_mask & STATX_BTIME) ? ToFileTime(ts(sx.stx_btime)) : data.ftLastWriteTime;
  uint64_t size = (isDir || dangling) ? 0 : sx.stx_size;
  data.nFileSizeHigh = static_cast<uint32_t>(size >> 32);
  data.nFileSizeLow = static_cast<uint32_t>(size & 0xFFFFFFFFULL);
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
  return true;
}

}  // namespace

struct PosixFileSystem::FindState {
  DIR* dir = nullptr;
  std::string pattern;  // name pattern of the last component
  ~FindState() {
    if (dir) ::closedir(dir);
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

  DIR* d = ::opendir(hostDir.c_str());
  if (!d) return kInvalidFind;
  auto st = std::make_unique<FindState>();
  st->dir = d;
  st->pattern = namePat;
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
  if (it == finds_.end() || !it->second->dir) return false;
  FindState& s = *it->second;
  int fd = ::dirfd(s.dir);
  bool all = s.pattern == "*" || s.pattern == "*.*";
  for (;;) {
    errno = 0;
    dirent* e = ::readdir(s.dir);
    if (!e) return false;
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    if (!all && !FindMatch(ShownName(n), s.pattern)) continue;
    if (FillFindData(fd, n, data)) return true;
    // The entry vanished between reading the folder and looking at it: skip it.
  }
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

DateTime PosixFileSystem::FileTimeToSystemTime(uint64_t ft) {
  // Calendar fields of a FILETIME read as UTC (proleptic Gregorian, from 1601).
  int64_t secs = static_cast<int64_t>(ft / 10000000ULL);
  int ms = static_cast<int>((ft % 10000000ULL) / 10000ULL);
  int64_t days = secs / 86400, rem = secs % 86400;
  // Civil date from days since 1970-01-01 (1601-01-01 lies 134774 days before it).
  int64_t z = days - 134774 + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t d = doy - (153 * mp + 2) / 5 + 1;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
  DateTime out;
  out.year = static_cast<int>(y);
  out.month = static_cast<int>(m);
  out.day = static_cast<int>(d);
  out.hour = static_cast<int>(rem / 3600);
  out.minute = static_cast<int>((rem % 3600) / 60);
  out.second = static_cast<int>(rem % 60);
  out.millisecond = ms;
  return out;
}

}  // namespace tembra::posix
