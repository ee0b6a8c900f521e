#include "platform/posix/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "core/unicode.h"
#include "platform/posix/unique_fd.h"
#include "platform/win_rules.h"

namespace tembra::posix {

namespace {

bool gUtf8Names = false;

// A blank other than the ASCII one: escaped at either end of a name, as the blank is.
bool WideBlank(char32_t cp) {
  return cp == 0xA0 || cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200A) || cp == 0x202F || cp == 0x205F ||
         cp == 0x3000;
}

// A character that is shown as itself in UTF-8 names: not a control code, not the
// escape character, not a line or paragraph separator, not an invisible format or
// direction character (they would hide or reorder what the name shows).
bool ShowableUtf8(char32_t cp) {
  if (cp < 0xA0 || cp == 0xA4 || cp == 0xAD) return false;
  if ((cp >= 0x200B && cp <= 0x200F) || (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2060 && cp <= 0x206F)) return false;
  return !IsFormatChar(cp);
}

// Length of the UTF-8 character at s[i] and its Windows-1252 code (-1 when the
// character has none); an invalid byte counts as one byte without a code.
size_t NextChar(const std::string& s, size_t i, int& code) {
  size_t len = 1;
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    code = c;
    return 1;
  }
  if (c >= 0xC0 && c < 0xF8) len = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  if (i + len > s.size()) len = 1;
  bool ok = true;
  std::string one = Utf8ToCp1252(s.substr(i, len), &ok);
  if (!ok || one.size() != 1) {
    code = -1;
    return 1;
  }
  code = static_cast<unsigned char>(one[0]);
  return len;
}

bool Undefined1252(int c) { return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D; }

bool PlainAscii(std::string_view host, bool isName) {
  for (unsigned char c : host)
    if (c < 0x20 || c >= 0x7F || (isName && std::strchr("\\/:*?\"<>|", c))) return false;
  return !isName || host.empty() || (host.front() != ' ' && host.back() != ' ');
}

std::string Escape(const std::string& host, bool isName) {
  static const char* hex = "0123456789ABCDEF";
  // Most names are plain ASCII and shown as they are.
  if (PlainAscii(host, isName)) return host;
  std::string out;
  out.reserve(host.size());
  for (size_t i = 0; i < host.size();) {
    int code;
    size_t len;
    if (gUtf8Names) {
      // UTF-8 names: a showable character stays as its UTF-8 bytes.
      const DecodedChar d = DecodeUtf8(host, i);
      len = static_cast<size_t>(d.len);
      if (d.valid && d.cp >= 0x80) {
        bool plain = ShowableUtf8(d.cp);
        if (plain && isName && WideBlank(d.cp) && (i == 0 || i + len == host.size())) plain = false;
        if (plain) {
          out.append(host, i, len);
          i += len;
          continue;
        }
        code = -1;
      } else {
        code = d.valid ? static_cast<int>(d.cp) : -1;
      }
    } else {
      len = NextChar(host, i, code);
    }
    bool plain = code >= 0x20 && code != 0x7F && !Undefined1252(code) && code != static_cast<unsigned char>(kNameEscape);
    if (plain && isName) {
      if (std::string("\\/:*?\"<>|").find(static_cast<char>(code)) != std::string::npos) plain = false;
      if (code == ' ' && (i == 0 || i + len == host.size())) plain = false;
    }
    if (plain) {
      out += static_cast<char>(code);
    } else {
      for (size_t k = 0; k < len; ++k) {
        unsigned char b = static_cast<unsigned char>(host[i + k]);
        out += kNameEscape;
        out += hex[b >> 4];
        out += hex[b & 15];
      }
    }
    i += len;
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void SetUtf8Names(bool on) { gUtf8Names = on; }
bool Utf8Names() { return gUtf8Names; }

std::string ShownName(const std::string& hostName) { return Escape(hostName, true); }
std::string ShownText(const std::string& hostText) { return Escape(hostText, false); }

std::string HostNameOf(const std::string& shownName) {
  std::string out;
  out.reserve(shownName.size());
  for (size_t i = 0; i < shownName.size(); ++i) {
    char c = shownName[i];
    if (gUtf8Names) {
      // The escape is the lone byte (as shown names hold it) or the typed UTF-8 "¤".
      const size_t at = c == '\xC2' && i + 1 < shownName.size() && shownName[i + 1] == kNameEscape ? i + 1 : i;
      if (shownName[at] == kNameEscape && at + 2 < shownName.size() && HexDigit(shownName[at + 1]) >= 0 &&
          HexDigit(shownName[at + 2]) >= 0) {
        out += static_cast<char>(HexDigit(shownName[at + 1]) * 16 + HexDigit(shownName[at + 2]));
        i = at + 2;
        continue;
      }
      // A valid character is its own bytes; any other byte is a Windows-1252 character.
      const DecodedChar d = DecodeUtf8(shownName, i);
      if (d.valid) out.append(shownName, i, static_cast<size_t>(d.len));
      else out += Cp1252ToUtf8(std::string(1, c));
      i += static_cast<size_t>(d.len) - 1;
      continue;
    }
    if (c == kNameEscape && i + 2 < shownName.size() && HexDigit(shownName[i + 1]) >= 0 &&
        HexDigit(shownName[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(shownName[i + 1]) * 16 + HexDigit(shownName[i + 2]));
      i += 2;
    } else {
      out += Cp1252ToUtf8(std::string(1, c));
    }
  }
  return out;
}

int ForbiddenEscapeIn(const std::string& path) {
  // Only an escape can give these bytes: a typed "/" or "\" separates components, so
  // each component is decoded alone.
  if (path.find(kNameEscape) == std::string::npos) return -1;
  size_t i = 0;
  while (i <= path.size()) {
    size_t sep = path.find_first_of("\\/", i);
    if (sep == std::string::npos) sep = path.size();
    if (path.find(kNameEscape, i) < sep) {
      const std::string host = HostNameOf(path.substr(i, sep - i));
      size_t bad = host.find_first_of(std::string("/\0", 2));
      if (bad != std::string::npos) return static_cast<unsigned char>(host[bad]);
    }
    i = sep + 1;
  }
  return -1;
}

namespace {

bool LExists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

std::string JoinHost(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

char UpperDrive(char c) { return static_cast<char>(UpperChar(static_cast<unsigned char>(c))); }

}  // namespace

namespace {

// Counts the entries of a large folder spelled as `want` (upper case) in any letter
// case, trying each spelling. Only a plain ASCII want: every name that is not plain
// ASCII is shown with a character beyond ASCII, so only plain ASCII names that differ
// from it in letter case match it. False when reading the folder is the cheaper way
// (a small folder, many letters) or a spelling cannot be looked up.
bool CountCaseSpellings(const std::string& hostDir, const std::string& want, int& matches, std::string& found) {
  if (want.empty() || want == "." || want == ".." || !PlainAscii(want, true)) return false;
  std::vector<size_t> letters;
  for (size_t i = 0; i < want.size(); ++i)
    if (want[i] >= 'A' && want[i] <= 'Z') letters.push_back(i);
  if (letters.size() > 12) return false;
  const int64_t spellings = int64_t{1} << letters.size();
  UniqueFd folder(::open(hostDir.empty() ? "/" : hostDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const int fd = folder.get();
  if (fd < 0) return false;
  struct stat st;
  // About 32 bytes of folder a name: a folder of fewer than four names a spelling is read.
  bool ok = ::fstat(fd, &st) == 0 && st.st_size >= spellings * 128;
  std::string name = want;
  int n = 0;
  std::string last;
  for (int64_t m = 0; ok && m < spellings; ++m) {
    for (size_t b = 0; b < letters.size(); ++b)
      name[letters[b]] = static_cast<char>(want[letters[b]] + (((m >> b) & 1) ? 32 : 0));
    struct stat e;
    if (::fstatat(fd, name.c_str(), &e, AT_SYMLINK_NOFOLLOW) == 0) {
      ++n;
      last = name;
    } else if (errno != ENOENT) {
      ok = false;  // no search permission, say: the names are read instead
    }
  }
  if (!ok) return false;
  matches = n;
  found = last;
  return true;
}

}  // namespace

std::string ResolveComponent(const std::string& hostDir, const std::string& shownName) {
  // Exact bytes first.
  std::string utf8 = HostNameOf(shownName);
  if (LExists(JoinHost(hostDir, utf8))) return JoinHost(hostDir, utf8);
  // A case-blind match, used only when it is the only one.
  // UTF-8 names are compared in their upper case character by character.
  auto upper = [](const std::string& s) { return gUtf8Names ? UpperUtf8(s) : UCase(s); };
  std::string want = upper(shownName);
  std::string found;
  int matches = 0;
  if (!CountCaseSpellings(hostDir, want, matches, found)) {
    if (UniqueDir d{::opendir(hostDir.empty() ? "/" : hostDir.c_str())}) {
      while (dirent* e = ::readdir(d.get())) {
        std::string_view n = e->d_name;
        if (n == "." || n == "..") continue;
        // A plain ASCII name is shown as it is: compared in place, without copies.
        bool same = PlainAscii(n, true)
                        ? n.size() == want.size() && std::equal(n.begin(), n.end(), want.begin(), [](char a, char b) {
                            return UpperChar(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
                          })
                        : upper(ShownName(std::string(n))) == want;
        if (same) {
          ++matches;
          found = n;
        }
      }
    }
  }
  if (matches == 1) return JoinHost(hostDir, found);
  return JoinHost(hostDir, utf8);
}

DriveMap::DriveMap() {
  const char* mapping = std::getenv("TEMBRA_DRIVES");
  std::string cwd, problem;
  if (char* buf = ::getcwd(nullptr, 0)) {
    cwd = buf;
    std::free(buf);
    if (cwd.size() >= PATH_MAX)
      problem = "The path of the start folder is longer than the system allows (" + std::to_string(cwd.size()) +
                " bytes; at most " + std::to_string(PATH_MAX - 1) + ").";
  } else {
    int err = errno;
    // The folder's former path, as the system still knows it.
    char link[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/cwd", link, sizeof link - 1);
    std::string was = n > 0 ? std::string(link, static_cast<size_t>(n)) : std::string();
    const std::string deleted = " (deleted)";
    if (was.size() > deleted.size() && was.compare(was.size() - deleted.size(), deleted.size(), deleted) == 0)
      was.resize(was.size() - deleted.size());
    if (err == ENOENT)
      problem = "The start folder " + (was.empty() ? std::string() : ShownText(was) + " ") + "no longer exists.";
    else if (err == ENAMETOOLONG || err == ERANGE)
      problem = "The path of the start folder is longer than the system allows.";
    else
      problem = "The start folder cannot be used: " + std::string(std::strerror(err)) + ".";
    // Keep the folder's own path where it is known, so that it is the one reported.
    cwd = was.empty() || was[0] != '/' ? "/" : was;
  }
  *this = DriveMap(mapping ? mapping : "", cwd);
  startProblem_ = problem;
}

DriveMap::DriveMap(const std::string& mapping, const std::string& hostCwd) {
  roots_['C'] = "/";
  // "C=/;D=/mnt/data"
  size_t i = 0;
  while (i < mapping.size()) {
    size_t semi = mapping.find(';', i);
    std::string item = mapping.substr(i, semi == std::string::npos ? std::string::npos : semi - i);
    i = semi == std::string::npos ? mapping.size() : semi + 1;
    if (item.size() >= 3 && item[1] == '=' && std::isalpha(static_cast<unsigned char>(item[0]))) {
      std::string root = item.substr(2);
      while (root.size() > 1 && root.back() == '/') root.pop_back();
      if (!root.empty() && root[0] == '/') roots_[UpperDrive(item[0])] = root;
    }
  }
  for (auto& [d, r] : roots_) cwd_[d] = std::string(1, d) + ":\\";
  std::string w = WinPath(hostCwd);
  if (!w.empty()) {
    current_ = w[0];
    cwd_[current_] = w;
  } else {
    current_ = roots_.begin()->first;
  }
}

std::string DriveMap::Root(char drive) const {
  auto it = roots_.find(UpperDrive(drive));
  return it == roots_.end() ? std::string() : it->second;
}

std::string DriveMap::CurrentDirOf(char drive) const {
  auto it = cwd_.find(UpperDrive(drive));
  if (it == cwd_.end()) return std::string(1, UpperDrive(drive)) + ":\\";
  return it->second;
}

std::string DriveMap::FullWinPath(const std::string& winPath) const {
  const std::string full = ResolveWinPath(winPath, current_, [this](char d) { return CurrentDirOf(d); });
  return IsMapped(full[0]) ? full : std::string();
}

std::string DriveMap::HostPath(const std::string& winPath, bool exactLast) const {
  if (ForbiddenEscapeIn(winPath) >= 0) return std::string();
  std::string full = FullWinPath(winPath);
  if (full.empty()) return std::string();
  std::string host = Root(full[0]);
  bool trailing = full.size() > 3 && full.back() == '\\';
  std::vector<std::string> parts = SplitWinPath(full.substr(2));
  for (size_t i = 0; i < parts.size(); ++i)
    host = exactLast && i + 1 == parts.size() ? JoinHost(host, HostNameOf(parts[i])) : ResolveComponent(host, parts[i]);
  if (trailing && host.back() != '/') host += "/";
  return host;
}

std::string DriveMap::WinPath(const std::string& hostPath) const {
  char best = 0;
  size_t bestLen = 0;
  for (auto& [d, r] : roots_) {
    bool under = r == "/" ? (!hostPath.empty() && hostPath[0] == '/')
                          : (hostPath == r || hostPath.compare(0, r.size() + 1, r + "/") == 0);
    size_t len = r == "/" ? 1 : r.size() + 1;
    if (under && (best == 0 || len > bestLen)) {
      best = d;
      bestLen = len;
    }
  }
  if (!best) return std::string();
  std::string rest = hostPath.size() > bestLen ? hostPath.substr(bestLen) : std::string();
  std::string out = std::string(1, best) + ":";
  std::string comp;
  bool any = false;
  size_t i = 0;
  while (i <= rest.size()) {
    size_t slash = rest.find('/', i);
    std::string c = rest.substr(i, slash == std::string::npos ? std::string::npos : slash - i);
    if (!c.empty()) {
      out += "\\" + ShownName(c);
      any = true;
    }
    if (slash == std::string::npos) break;
    i = slash + 1;
  }
  if (!any) out += "\\";
  return out;
}

std::string DriveMap::ShownHostPath(const std::string& winPath, const std::string& home) const {
  const bool drivePath = winPath.size() >= 2 && winPath[1] == ':' && std::isalpha(static_cast<unsigned char>(winPath[0]));
  const std::string full = drivePath ? FullWinPath(winPath) : std::string();
  if (full.empty()) return winPath;
  const std::string root = ShownText(Root(full[0]));
  std::string rest = full.substr(3);  // after "X:\"
  for (char& c : rest)
    if (c == '\\') c = '/';
  std::string shown = (root == "/" ? root : root + "/") + rest;
  // Under home (a whole component of it, not a name that merely starts with its text).
  std::string h = home.empty() || home[0] != '/' ? std::string() : ShownText(home);
  while (h.size() > 1 && h.back() == '/') h.pop_back();
  if (h.size() > 1 && shown.compare(0, h.size(), h) == 0 && (shown.size() == h.size() || shown[h.size()] == '/'))
    shown = "~" + shown.substr(h.size());
  return shown;
}

bool DriveMap::ChangeDirectory(const std::string& winPath) {
  std::string full = FullWinPath(winPath);
  if (full.empty()) return false;
  std::string host = HostPath(full);
  struct stat st;
  if (host.empty() || ::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (::chdir(host.c_str()) != 0) return false;
  // Keep the stored spelling of every component.
  std::string stored = WinPath(host);
  while (stored.size() > 3 && stored.back() == '\\') stored.pop_back();
  if (stored.empty() || UpperDrive(stored[0]) != full[0]) {
    // The folder lies under a drive whose root is nested in another: keep the typed drive.
    while (full.size() > 3 && full.back() == '\\') full.pop_back();
    stored = full;
  }
  current_ = full[0];
  cwd_[current_] = stored;
  return true;
}

bool DriveMap::ChangeDrive(char drive) {
  drive = UpperDrive(drive);
  if (!IsMapped(drive)) return false;
  return ChangeDirectory(CurrentDirOf(drive));
}

}  // namespace tembra::posix
