// Configuration files on POSIX: the owner and mode check, SHA-256, and the trust list.
#include "platform/posix/config_trust.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/text.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

namespace {

constexpr std::array<uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(std::array<uint32_t, 8>& h, const unsigned char* block) {
  uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = static_cast<uint32_t>(block[4 * i]) << 24 | static_cast<uint32_t>(block[4 * i + 1]) << 16 |
           static_cast<uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
  for (int i = 16; i < 64; ++i) {
    uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
  for (int i = 0; i < 64; ++i) {
    uint32_t t1 = k + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    k = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += k;
}

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
  std::array<uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  size_t whole = data.size() / 64 * 64;
  for (size_t i = 0; i < whole; i += 64) Compress(h, reinterpret_cast<const unsigned char*>(data.data() + i));
  // The tail, a one bit, zeros, and the length in bits: one or two blocks.
  unsigned char tail[128] = {};
  size_t rest = data.size() - whole;
  std::memcpy(tail, data.data() + whole, rest);
  tail[rest] = 0x80;
  size_t blocks = rest < 56 ? 1 : 2;
  uint64_t bits = static_cast<uint64_t>(data.size()) * 8;
  for (int i = 0; i < 8; ++i) tail[blocks * 64 - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
  for (size_t b = 0; b < blocks; ++b) Compress(h, tail + 64 * b);
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (uint32_t v : h)
    for (int s = 28; s >= 0; s -= 4) out += kHex[(v >> s) & 0xF];
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
  if (real.empty()) return false;
  const std::string entry = Sha256Hex(contents) + " " + real;
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
