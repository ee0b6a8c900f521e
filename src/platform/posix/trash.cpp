// The freedesktop.org Trash: deletion with a .trashinfo file (the home Trash, or the
// Trash of the entry's own file system), the record of what went there, the list of
// every Trash the program may have used, and the restoration of an entry.
#include <fcntl.h>
#include <dirent.h>
#include <mntent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <utility>

#include "platform/posix/fileops_shared.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/unique_fd.h"

namespace tembra::posix {

namespace {

// A host path from the root ("" when the current folder is unknown).
std::string AbsoluteHost(const std::string& host) {
  if (!host.empty() && host[0] == '/') return host;
  char buf[4096];
  if (!::getcwd(buf, sizeof buf)) return std::string();
  return std::string(buf) + "/" + host;
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
  std::string abs = AbsoluteHost(host);
  if (abs.empty()) return std::string();
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


std::string UrlDecode(const std::string& text) {
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// A Trash folder and the folder its relative Path values start from ("" for the home
// Trash, whose Path values are absolute).
struct TrashFolder {
  std::string trash, top;
};

// Every Trash the program may have used: the home Trash and, on every mounted file
// system, the user's .Trash/$UID (in a shared .Trash with the sticky bit) and .Trash-$UID.
std::vector<TrashFolder> TrashFolders() {
  std::vector<TrashFolder> found;
  std::set<std::pair<dev_t, ino_t>> seen;
  auto add = [&](const std::string& trash, const std::string& top, bool mustOwn) {
    struct stat st;
    if (::lstat(trash.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    if (mustOwn && st.st_uid != ::getuid()) return;
    if (seen.insert({st.st_dev, st.st_ino}).second) found.push_back({trash, top});
  };
  if (std::string home = HomeTrash(); !home.empty()) add(home, "", false);
  const std::string uid = std::to_string(::getuid());
  if (FILE* mounts = ::setmntent("/proc/self/mounts", "r")) {
    struct mntent entry;
    char buf[8192];
    while (::getmntent_r(mounts, &entry, buf, sizeof buf)) {
      std::string top = entry.mnt_dir, base = top == "/" ? "" : top;
      struct stat shared;
      if (::lstat((base + "/.Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX))
        add(base + "/.Trash/" + uid, top, true);
      add(base + "/.Trash-" + uid, top, true);
    }
    ::endmntent(mounts);
  }
  return found;
}

// The entry an info file of a Trash describes; false when the file is no info file or
// its entry is gone.
bool ReadTrashInfo(const TrashFolder& folder, const std::string& infoName, TrashItem& item) {
  const std::string suffix = ".trashinfo";
  if (infoName.size() <= suffix.size() || infoName.compare(infoName.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  std::string text;
  struct stat st;
  item.info = folder.trash + "/info/" + infoName;
  if (ReadHostFile(item.info, text, st) != 0) return false;
  std::string path;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("Path=", 0) == 0) path = UrlDecode(line.substr(5));
    if (line.rfind("DeletionDate=", 0) == 0) item.deleted = line.substr(13);
    at = end + 1;
  }
  if (path.empty()) return false;
  item.original = path[0] == '/' ? path : (folder.top == "/" ? "" : folder.top) + "/" + path;
  item.name = BaseOf(item.original);
  item.where = folder.trash + "/files/" + infoName.substr(0, infoName.size() - suffix.size());
  if (::lstat(item.where.c_str(), &st) != 0) return false;
  item.folder = S_ISDIR(st.st_mode);
  return true;
}

// Makes a folder and its missing parents, as a user's mkdir -p would.
int MakeParents(const std::string& dir) {
  struct stat st;
  if (dir.empty() || ::lstat(dir.c_str(), &st) == 0) return 0;
  if (int e = MakeParents(DirOf(dir)); e != 0) return e;
  return ::mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

// An entry leaves only a folder the user may write: else that error ("Permission
// denied") comes before the Trash is looked for or asked about.
int FolderWriteError(const std::string& host) {
  return ::access(DirOf(host).c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}
}  // namespace

int PosixFileSystem::RecycleFile(const std::string& path, bool confirm) {
  std::string host = drives_.HostPath(path, true);
  if (host.empty()) return NoHostPath(path);
  struct stat st;
  if (::lstat(host.c_str(), &st) != 0) return errno;
  if (const int err = FolderWriteError(host); err != 0) return err;
  if (confirm && confirmDialogs) {
    std::string shown = ShownName(BaseOf(host));
    const char* what = S_ISDIR(st.st_mode) ? "folder" : "file";
    int answer = confirmDialogs->MsgBox(std::string("Move the ") + what + " \"" + shown + "\" to the Trash?",
                                        "Delete", MsgButtons::YesNo);
    if (answer != kAnswerYes) return kRecycleRefused;
  }
  return RecycleEntry(host);
}

int PosixFileSystem::RecycleEntry(const std::string& host) {
  struct stat st;
  if (::lstat(host.c_str(), &st) != 0) return errno;
  if (const int err = FolderWriteError(host); err != 0) return err;
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
  const std::string date = DeletionDate();
  std::string text = "[Trash Info]\nPath=" + UrlEncodePath(infoPath) + "\nDeletionDate=" + date + "\n";
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
  trashed_.push_back(TrashItem{base, AbsoluteHost(host), date, files + "/" + chosen, infoFile, S_ISDIR(st.st_mode)});
  return 0;
}

std::vector<TrashItem> PosixFileSystem::TakeTrashed() { return std::exchange(trashed_, {}); }


std::vector<TrashItem> PosixFileSystem::TrashContents() {
  std::vector<TrashItem> items;
  for (const TrashFolder& folder : TrashFolders()) {
    UniqueDir d(::opendir((folder.trash + "/info").c_str()));
    if (!d) continue;
    while (struct dirent* e = ::readdir(d.get())) {
      TrashItem item;
      if (ReadTrashInfo(folder, e->d_name, item)) items.push_back(std::move(item));
    }
  }
  // The newest first.
  std::sort(items.begin(), items.end(), [](const TrashItem& a, const TrashItem& b) {
    return a.deleted != b.deleted ? a.deleted > b.deleted : a.original < b.original;
  });
  return items;
}

int PosixFileSystem::RestoreTrashItem(const TrashItem& item, const std::string& to) {
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return kErrExists;
  if (::lstat(item.where.c_str(), &st) != 0) return errno;
  if (int e = MakeParents(DirOf(to)); e != 0) return e;
  int err = RenameNoReplace(item.where, to);
  if (err == EEXIST) return kErrExists;
  if (err == EXDEV) return kErrOtherVolume;
  if (err) return err;
  ::unlink(item.info.c_str());
  return 0;
}
}  // namespace tembra::posix
