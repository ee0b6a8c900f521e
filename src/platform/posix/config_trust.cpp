// Configuration files on POSIX: the owner and mode check, SHA-256 (OpenSSL's libcrypto),
// and the trust list.
#include "platform/posix/config_trust.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/text.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {

// The file's name with symbolic links and "." and ".." resolved; "" when it has none.
std::string Resolved(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

// The configuration folder of the user, as a host path ("" when there is none).
std::string UserFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/tembra";
  if (home && *home == '/') return std::string(home) + "/.config/tembra";
  return std::string();
}

// The entries of the trust list: "digest path" lines. A list that another user could
// have written trusts nothing.
std::string ReadTrustList() {
  std::string list;
  int error = 0;
  std::string path = TrustListPath();
  if (path.empty() || !ReadOwnConfigFile(path, list, error).empty()) return std::string();
  return list;
}

// The first word of a configuration line in upper case, without quotes.
std::string Keyword(const std::string& line) {
  std::string t = Trim(line), k;
  for (char c : t) {
    if (c == ' ' || c == ',' || c == '\t') break;
    if (c != '"' && c != '\'') k += c;
  }
  return UCase(k);
}

// A line that names a program, deletes files or writes a file of its choosing.
bool IsActingLine(const std::string& line) {
  std::string k = Keyword(line);
  if (k.empty() || k[0] == '*') return false;
  std::string k3 = k.substr(0, 3);
  return std::string("REC DEL VXT").find(k3) != std::string::npos || k.rfind("EXT", 0) == 0 ||
         k.rfind("EDIT", 0) == 0 || k.rfind("AUTOD", 0) == 0 || k == "DF" || k == "DEBUGFILE";
}

// A line as it may be printed to a terminal: control characters (which could hide
// the rest of the line) show as "?".
std::string Printable(std::string line) {
  for (char& c : line)
    if ((static_cast<unsigned char>(c) < 32 && c != '\t') || c == 127) c = '?';
  return line;
}

bool MakeFolders(const std::string& folder) {
  struct stat st;
  if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

std::string Sha256Hex(std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), digest, &size, EVP_sha256(), nullptr) != 1 || size != 32) return std::string();
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < size; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 0xF];
  }
  return out;
}

std::string ReadOwnConfigFile(const std::string& hostPath, std::string& contents, int& error) {
  struct stat st;
  error = ReadHostFile(hostPath, contents, st);
  if (error != 0) return "-";
  std::string why;
  if (st.st_uid != ::geteuid() && st.st_uid != 0) why = "is owned by another user";
  else if (st.st_mode & S_IWOTH) why = "is writable by all users";
  else if (st.st_mode & S_IWGRP) why = "is writable by its group";
  if (!why.empty()) contents.clear();
  return why;
}

std::string TrustListPath() {
  std::string folder = UserFolder();
  return folder.empty() ? folder : folder + "/trusted";
}

bool IsTrustedConfig(const std::string& hostPath, const std::string& contents) {
  std::string real = Resolved(hostPath);
  const std::string digest = Sha256Hex(contents);
  if (real.empty() || digest.empty()) return false;
  const std::string entry = digest + " " + real;
  std::string list = ReadTrustList();
  size_t pos = 0;
  while (pos < list.size()) {
    size_t eol = list.find('\n', pos);
    if (eol == std::string::npos) eol = list.size();
    if (list.compare(pos, eol - pos, entry) == 0) return true;
    pos = eol + 1;
  }
  return false;
}

int TrustCommand(const char* file, std::FILE* out, std::FILE* err) {
  const std::string named = file && *file ? file : "VXCONFIG.TXT";
  std::string real = Resolved(named);
  if (real.empty()) {
    std::fprintf(err, "tembra: %s: %s\n", named.c_str(), std::strerror(errno));
    return 1;
  }
  if (real.find('\n') != std::string::npos) {
    std::fprintf(err, "tembra: %s: a name with a line break cannot be trusted\n", named.c_str());
    return 1;
  }
  std::string contents;
  int error = 0;
  std::string why = ReadOwnConfigFile(real, contents, error);
  if (why == "-") {
    std::fprintf(err, "tembra: %s: %s\n", real.c_str(),
                 error == kErrNotRegularFile ? "not a regular file"
                 : error == kErrTooLarge     ? "too large"
                                             : std::strerror(error));
    return 1;
  }
  if (!why.empty()) {
    std::fprintf(err, "tembra: %s %s: it is never read, so it is not trusted\n", real.c_str(), why.c_str());
    return 1;
  }
  const std::string listPath = TrustListPath();
  if (listPath.empty()) {
    std::fprintf(err, "tembra: neither XDG_CONFIG_HOME nor HOME names a folder for the trust list\n");
    return 1;
  }

  std::fprintf(out, "%s\nLines that start programs, delete files or write a file:\n", Printable(real).c_str());
  int acting = 0;
  size_t pos = 0;
  while (pos < contents.size()) {
    size_t eol = contents.find('\n', pos);
    if (eol == std::string::npos) eol = contents.size();
    std::string line = contents.substr(pos, eol - pos);
    pos = eol + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Keyword(line) == "END") break;
    if (IsActingLine(line)) {
      std::fprintf(out, "  %s\n", Printable(line).c_str());
      ++acting;
    }
  }
  if (acting == 0) std::fprintf(out, "  (none)\n");

  // The list without an older entry for this file, then the new entry; written to a new
  // file that replaces the list, so that a reader never sees half of it.
  const std::string digest = Sha256Hex(contents);
  if (digest.empty()) {
    std::fprintf(err, "tembra: %s: no SHA-256 could be made (libcrypto)\n", real.c_str());
    return 1;
  }
  std::string list = ReadTrustList(), kept;
  pos = 0;
  while (pos < list.size()) {
    size_t eol = list.find('\n', pos);
    if (eol == std::string::npos) eol = list.size();
    std::string line = list.substr(pos, eol - pos);
    pos = eol + 1;
    size_t blank = line.find(' ');
    if (line.empty() || (blank != std::string::npos && line.substr(blank + 1) == real)) continue;
    kept += line + "\n";
  }
  kept += digest + " " + real + "\n";
  const std::string folder = listPath.substr(0, listPath.rfind('/'));
  const std::string temp = listPath + ".new";
  int fd = -1;
  if (MakeFolders(folder)) {
    ::unlink(temp.c_str());
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  }
  bool ok = fd >= 0 && ::write(fd, kept.data(), kept.size()) == static_cast<ssize_t>(kept.size());
  if (fd >= 0) ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), listPath.c_str()) == 0;
  if (!ok) {
    std::fprintf(err, "tembra: the trust list %s cannot be written: %s\n", listPath.c_str(), std::strerror(errno));
    ::unlink(temp.c_str());
    return 1;
  }
  std::fprintf(out, "Trusted (SHA-256 %s). A change to the file needs trust again.\n", digest.c_str());
  return 0;
}

}  // namespace tembra::posix
