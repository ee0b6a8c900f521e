// libFuzzer target for the whole program: each input is a tembra-headless script run in a
// fresh headless session over a sandbox folder made once (an optional first line
// "cmdline TEXT" gives the program's command line; a line "charset utf-8" runs the session
// in UTF-8, a line "profile linux" in the Linux profile, a line "pieces small" reads long
// lines for display in pieces of 997 bytes, not 8 MiB). Key-downs, characters, clicks,
// double clicks, resizes down to 1x1 and the answers of message and input boxes all come
// from the script. Programs are never started (the no-run mode records them); drive C: is
// the sandbox. Its own configuration names a script of the folder for every file (in the
// Linux profile it is never trusted), its folder SUB holds a configuration whose EXT lines
// name programs (read with "cmdline /CC:\BOX\SUB\"), and an input may type more at run
// time: none of them may run.
//
// Findings: a crash or sanitizer report, an internal error (a "VX9" message), a hang (the
// work per input is bounded, so a run past libFuzzer's -timeout is one), a process started
// during a session, a file of the sandbox changed by a script that holds none of the keys
// that change files, and, in the Linux profile, a program named by the sandbox folder's
// own (untrusted) configuration file reached at all.
//
// Sources that change while a session runs: comment lines act between events. "#grow
// TEXT" appends TEXT and a line end to grow.log, "#shrink" cuts it to half, "#rotate"
// puts a new file in its place (as log rotation does); "#feed TEXT" writes TEXT and a
// line end into the FIFO pipe.fifo, whose writer closes when the script ends.
//
// TEMBRA_FUZZ_TRANSCRIPT=1 writes each session's transcript to standard error (for a look
// at what an input does: ./session_fuzz INPUT).
#include <fcntl.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/session.h"
#include "viewer/file_view.h"

using namespace tembra;
namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxLines = 300;      // script lines run per input
constexpr size_t kMaxLineBytes = 200;  // longer lines are cut (a "type" line is that many keys)
constexpr int kMaxSize = 160;          // resize bound: columns and rows
constexpr int kMaxWaitMs = 5000;       // "wait" bound (the clock is fixed: no real waiting)

uint32_t Crc32(const std::string& s) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A ZIP archive of stored members.
std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& members) {
  std::string out, central;
  for (const auto& [name, data] : members) {
    const uint32_t offset = static_cast<uint32_t>(out.size()), crc = Crc32(data);
    const uint32_t size = static_cast<uint32_t>(data.size());
    Put32(out, 0x04034b50);
    Put16(out, 10);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0x6000);
    Put16(out, 0x5A21);
    Put32(out, crc);
    Put32(out, size);
    Put32(out, size);
    Put16(out, static_cast<uint32_t>(name.size()));
    Put16(out, 0);
    out += name + data;
    Put32(central, 0x02014b50);
    Put16(central, 20);
    Put16(central, 10);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0x6000);
    Put16(central, 0x5A21);
    Put32(central, crc);
    Put32(central, size);
    Put32(central, size);
    Put16(central, static_cast<uint32_t>(name.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0x20);
    Put32(central, offset);
    central += name;
  }
  const uint32_t cdOffset = static_cast<uint32_t>(out.size());
  out += central;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint32_t>(members.size()));
  Put16(out, static_cast<uint32_t>(members.size()));
  Put32(out, static_cast<uint32_t>(central.size()));
  Put32(out, cdOffset);
  Put16(out, 0);
  return out;
}

// The open file descriptors of this process that refer to something under `root`, each
// with its target (the fuzzer's own, such as the symbolizer's pipes, are not counted).
std::vector<std::string> OpenDescriptors(const std::string& root) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/proc/self/fd", ec)) {
    std::error_code ec2;
    const std::string target = fs::read_symlink(e.path(), ec2).string();
    if (target.compare(0, root.size() + 1, root + "/") == 0 || target == root)
      out.push_back(e.path().filename().string() + " -> " + target);
  }
  return out;
}

// The descriptors left after a session, given a moment: a FIFO read to its end is closed
// by the thread that copies it, as it sees the end (its writer closed as the script ended).
std::vector<std::string> DescriptorsLeft(const std::string& root, size_t before) {
  std::vector<std::string> fds = OpenDescriptors(root);
  for (int wait = 0; wait < 200 && fds.size() > before; ++wait) {
    ::usleep(10000);
    fds = OpenDescriptors(root);
  }
  return fds;
}

struct Sandbox {
  std::string root;  // drive C:
  std::string box;   // C:\BOX\, where every session starts
  std::string sums;  // the checksum list of the pristine sandbox

  Sandbox() {
    char tmpl[] = "/tmp/tembra-session-fuzz-XXXXXX";
    if (!mkdtemp(tmpl)) __builtin_trap();
    root = tmpl;
    box = root + "/box";
    setenv("TEMBRA_DRIVES", ("C=" + root).c_str(), 1);
    // No configuration file of the user's own, and nothing written outside the sandbox.
    setenv("HOME", (root + "/home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("TZ", "UTC", 1);
    Make();
    sums = Sums();
  }
  ~Sandbox() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  // The files that change while sessions run, made again before each: not in the sums.
  static bool Changing(const std::string& path) {
    return path.find("/box/grow.log") != std::string::npos || path.find("/box/pipe.fifo") != std::string::npos;
  }
  static std::string GrowLog() {
    std::string log;
    for (int i = 1; i <= 30; ++i) log += "entry " + std::to_string(i) + (i % 4 == 0 ? "\r\n" : "\n");
    return log;
  }
  int writer = -1;     // the FIFO's writer during a session
  size_t fed = 0;      // bytes written into FIFOs by this process (bounded)

  // A fresh grow.log and FIFO for a session, the FIFO with a writer that never blocks.
  void Fresh() {
    Close();
    std::error_code ec;
    fs::remove(box + "/grow.log.new", ec);
    Write("grow.log", GrowLog());
    const std::string fifo = box + "/pipe.fifo";
    ::unlink(fifo.c_str());
    if (::mkfifo(fifo.c_str(), 0644) != 0) return;
    writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  }
  void Close() {
    if (writer >= 0) ::close(writer);
    writer = -1;
  }
  void Act(const std::string& line) {
    const std::string log = box + "/grow.log";
    const std::string text = line.size() > 6 ? line.substr(6) : std::string();
    std::error_code ec;
    if (line.rfind("#grow ", 0) == 0) {
      if (fs::file_size(log, ec) < (1u << 20) && !ec) std::ofstream(log, std::ios::binary | std::ios::app) << text << "\n";
    } else if (line == "#shrink") {
      const auto size = fs::file_size(log, ec);
      if (!ec) fs::resize_file(log, size / 2, ec);
    } else if (line == "#rotate") {
      std::ofstream(log + ".new", std::ios::binary) << "rotated\n";
      fs::rename(log + ".new", log, ec);
    } else if (line.rfind("#feed ", 0) == 0) {
      const std::string bytes = text + "\n";
      if (writer >= 0 && fed < (1u << 20)) {
        const ssize_t put = ::write(writer, bytes.data(), bytes.size());
        if (put > 0) fed += static_cast<size_t>(put);
      }
    } else if (line == "#eof") {
      Close();
    }
  }

  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(box + "/" + name, std::ios::binary) << data;
  }

  void Make() const {
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(box + "/sub", ec);
    fs::create_directories(root + "/home", ec);
    std::string lf, crlf, cr, lng;
    for (int i = 1; i <= 60; ++i) {
      std::string line = "line " + std::to_string(i) + "\tword Alpha beta " + std::string(static_cast<size_t>(i % 7), 'x');
      lf += line + "\n";
      crlf += line + "\r\n";
      cr += line + "\r";
    }
    lng = std::string(5000, 'L') + "\n" + std::string(300, 'm') + "\n\n" + std::string(70000, 'n');
    std::string bin;
    for (int i = 0; i < 2048; ++i) bin += static_cast<char>((i * 37) & 0xFF);
    Write("lf.txt", lf);
    Write("crlf.txt", crlf);
    Write("cr.txt", cr);
    Write("mixed.txt", "a\r\nb\nc\rd\n\r\n\x1a tail \xe9\x80\x81");
    Write("long.txt", lng);
    std::string wide = "first\n";
    for (int i = 0; i < 2000; ++i) wide += "ab\xe2\x82\xac\xe6\x97\xa5\tc" + std::to_string(i % 10) + " ";
    Write("wide.txt", wide + "\nlast\n");
    Write("empty.txt", "");
    Write("binary.bin", bin);
    Write("xray.txt", "x\n");
    std::string zip = MakeZip({{"a.txt", "alpha\r\n"}, {"dir/b.txt", std::string(300, 'b')}, {"c.bin", bin.substr(0, 99)}});
    Write("good.zip", zip);
    std::string bad = zip;
    bad[bad.size() - 6] = '\x7f';  // the central directory's offset points past the file
    Write("bad.zip", bad);
    Write("cut.zip", zip.substr(0, zip.size() / 2));
    // 40 lines in gzip (viewed as their text in the Linux profile), whole and cut off.
    const std::string gz(
        "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\x4d\xd0\xb9\x0d\x80\x40\x14\x03\xd1\x7c\xab\xa0\x04\x6c\x73\x16"
        "\x84\x56\x48\x88\x02\xa8\x9e\x04\xfd\x21\x9b\xec\xc9\xee\xcf\x70\x9d\xf7\x31\xa8\xf5\xaf\x5c\x95\xaa\xa9"
        "\x6a\xae\x5a\xaa\xd6\xaa\xad\x6a\xaf\xd2\x48\xa2\x08\x46\x38\x02\x12\x92\xa0\x84\x25\x30\xa1\x19\xcd"
        "\xbf\x4d\x68\x46\x33\x9a\xd1\x8c\x66\x34\xa3\x19\x2d\x68\x41\xcb\xef\x42\xb4\xa0\x05\x2d\x68\x41\x0b"
        "\x5a\xd0\xa6\xb1\xbd\xc0\xe5\xf3\x3c\xaf\x01\x00\x00",
        115);
    Write("lines.gz", gz);
    Write("cut.gz", gz.substr(0, 60));
    // 30 lines in zstd, and a .tar.gz of a folder with a file and a link to it.
    Write("lines.zst", std::string(
        "\x28\xb5\x2f\xfd\x04\x68\x25\x02\x00\xc4\x02\x7a\x73\x74\x20\x6c\x69\x6e\x65\x20\x31\x0a\x32\x33\x34\x35\x36\x37"
        "\x38\x39\x31\x30\x31\x32\x33\x34\x35\x36\x37\x38\x39\x32\x30\x31\x32\x33\x34\x35\x36\x37\x38\x39\x33\x30\x0a\x1d"
        "\xa8\x10\xf0\xd6\x37\xf0\xd5\x10\x56\xac\x0f\x8e\xf4\x8c\xf9\x1e\x8e\x3a\x6f\x90\x52\xc7\x81\x9b\x8e",
        81));
    Write("folder.tar.gz", std::string(
        "\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\xed\xd4\x4b\x0a\xc2\x30\x10\x80\xe1\x59\xe7\x14\x39\x81\xcd\xd3\x39\x8f"
        "\x50\x85\xa2\x58\xd0\x2a\x1e\xdf\x9a\x8d\x28\xf8\xd8\x84\x52\xfa\x7f\x9b\xc9\x0b\x32\x61\xc8\xb4\x8d\x54\xe7\x46"
        "\x9a\x73\x89\xa3\xf7\x58\xc6\x3e\xe5\x94\x92\x73\xa1\xac\xab\xaa\x13\x9b\xeb\xa7\x26\x72\x39\x0f\x9b\x93\xb5\x72"
        "\xea\xfb\xe1\xdb\xb9\x5f\xfb\x33\xd5\x36\xbb\xee\xba\x5d\x0d\xb7\x8a\x8f\x7b\x14\x78\x9d\xd2\xe7\xfa\xfb\xf0\x5a"
        "\x7f\x3f\xce\xa2\x58\x57\x2f\xa5\xa7\x85\xd7\xdf\x9b\x60\xa2\x49\x26\x9b\xa9\x33\xc1\x14\xda\xe6\xd0\x1d\xf7\x75"
        "\xef\x28\xfd\x5f\xf5\xff\xfe\xef\x43\x8c\x2a\x36\xd4\x6f\x4d\x8b\xff\xff\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x60\xfe\xee\x55\x03\xdb\x61\x00\x28\x00\x00",
        180));
    Write("sub/inner.txt", "inner\r\n");
    Write("odd \xe9 name.txt", "odd\n");
    Write("ctl\x01name.txt", "ctl\n");
    Write("UPPER.TXT", "upper\n");
    Write("upper.txt", "lower\n");
    Write("x;y&z (1).txt", "punct\n");
    Write("a:b.txt", "colon\n");
    fs::create_directories(box + "/co:lon", ec);
    Write("co:lon/in.txt", "in\n");
    Write(".hidden", "h\n");
    Write("noext", "n\n");
    Write(std::string(120, 'w') + ".txt", "w\n");
    Write("temp.old", "old\n");
    // The folder's own configuration names its own script for every file: in the Linux
    // profile it is never trusted, so no script may name the payload in a started program.
    Write("VXCONFIG.TXT", "EXT TXT payload.sh\r\nEXT BIN ./payload.sh\r\nEXT DEFAULT payload.sh\r\n");
    Write("payload.sh", "#!/bin/sh\ntouch payload-ran\n");
    // Bait for the process layer: programs named by a configuration and a file that would
    // leave a mark if it ever ran.
    Write("sub/VXCONFIG.TXT",
          "* Programs for extensions\r\nEXT TXT C:\\BOX\\sub\\spy.sh\r\nEXT BIN /bin/sh\r\nEXT ZIP spy.sh\r\n"
          "EDIT OLD C:\\BOX\\sub\\spy.sh\r\n");
    Write("sub/spy.sh", "#!/bin/sh\n: > \"${0%/*}/ran\"\n");
    fs::permissions(box + "/sub/spy.sh", fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
  }

  // Every file and folder of the sandbox with its size and its times of change (a write,
  // a rename, a change of attributes all set the change time; reading sets neither).
  std::string Sums() const {
    std::vector<std::string> rows;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      const std::string p = it->path().string();
      if (Changing(p)) continue;
      struct stat st {};
      if (::lstat(p.c_str(), &st) != 0) continue;
      if (p == box) st.st_mtim = st.st_ctim = {};  // its entries say what changed in it
      char row[96];
      std::snprintf(row, sizeof row, " %o %lld %lld.%09ld %lld.%09ld", static_cast<unsigned>(st.st_mode),
                    static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec,
                    static_cast<long long>(st.st_ctim.tv_sec), st.st_ctim.tv_nsec);
      rows.push_back(p + row);
    }
    std::sort(rows.begin(), rows.end());
    std::string all;
    for (const std::string& r : rows) all += r + "\n";
    return all;
  }
};

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

// Characters and keys that may change files: the directory commands B, C, D, E, F, M,
// O and R (as characters and with Ctrl or Alt), "?" (a configuration line), Delete.
bool ChangesFiles(char c) { return std::string("BCDEFMORbcdefmor?").find(c) != std::string::npos; }

bool KeyChangesFiles(const std::string& name) {
  std::string n = Upper(name);
  size_t plus = n.find_last_of('+');
  if (plus != std::string::npos && plus + 1 < n.size()) n = n.substr(plus + 1);
  if (n.size() == 1) return ChangesFiles(n[0]) || n == "/";
  return n == "DELETE" || n == "110" || n == "46" || n == "191" || (n.size() == 2 && ChangesFiles(static_cast<char>(std::atoi(n.c_str()))));
}

// Keeps a script line within the bounds of one input's work, or drops it ("").
std::string Bounded(std::string line, bool& changesFiles) {
  if (line.size() > kMaxLineBytes) line.resize(kMaxLineBytes);
  if (!headless::Session::CheckLine(line).empty()) return std::string();
  std::vector<std::string> w = headless::Words(line);
  if (w.empty()) return std::string();
  std::string cmd = Upper(w[0]);
  if (cmd == "RESIZE") {
    int c = std::clamp(std::atoi(w[1].c_str()), 1, kMaxSize), r = std::clamp(std::atoi(w[2].c_str()), 1, kMaxSize);
    return "resize " + std::to_string(c) + " " + std::to_string(r);
  }
  if (cmd == "WAIT") return "wait " + std::to_string(std::min(std::atoi(w[1].c_str()), kMaxWaitMs));
  if (cmd == "CLOSE") return std::string();  // the window closing ends the input: nothing after it
  if (cmd == "KEY" || cmd == "DOWN") {
    if (KeyChangesFiles(w[1])) changesFiles = true;
  } else if (cmd == "KEYS") {
    for (size_t i = 1; i < w.size(); ++i)
      if (KeyChangesFiles(w[i])) changesFiles = true;
  } else if (cmd == "TYPE") {
    for (char c : line.substr(std::min<size_t>(line.size(), 5)))
      if (ChangesFiles(c)) changesFiles = true;
  } else if (cmd == "CHAR") {
    int code = std::atoi(w[1].c_str());
    if (code > 0 && code < 256 && ChangesFiles(static_cast<char>(code))) changesFiles = true;
  }
  return line;
}

// A process started while a session runs is a finding: the program starts programs only
// through fork (the no-run mode must stop it before), so a fork during a session means a
// program was about to run. Found before the child exists, so nothing runs.
bool inSession = false;

void ForkInSession() {
  if (!inSession) return;
  std::fprintf(stderr, "a process was started during a session\n");
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Sandbox sandbox;
  static const bool forkGuard = pthread_atfork(ForkInSession, nullptr, nullptr) == 0;
  if (!forkGuard) __builtin_trap();
  static std::string here = [] {
    char buf[4096];
    return std::string(getcwd(buf, sizeof buf) ? buf : "/");
  }();

  std::string text(reinterpret_cast<const char*>(data), size);
  headless::Options o;
  o.cwd = sandbox.box;
  o.clock = "2026-03-04 10:00:00";
  o.noRun = true;
  std::vector<std::string> lines;
  bool changesFiles = false;
  bool smallPieces = false;
  size_t pos = 0;
  bool first = true;
  while (pos < text.size() && lines.size() < kMaxLines) {
    size_t eol = text.find('\n', pos);
    std::string line = text.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? text.size() : eol + 1;
    if (first && line.rfind("cmdline ", 0) == 0) {
      o.cmdline = line.substr(8, 200);
      // File names and switches only; the debug switch ("?") writes a trace log.
      if (o.cmdline.find('?') != std::string::npos) changesFiles = true;
      first = false;
      continue;
    }
    first = false;
    if (line == "charset utf-8") {  // the session runs in UTF-8
      o.utf8 = true;
      continue;
    }
    if (line == "profile linux" || line == "profile classic") {  // the set of defaults
      o.linuxProfile = line == "profile linux";
      continue;
    }
    if (line == "pieces small") {
      smallPieces = true;
      continue;
    }
    std::string b = Bounded(line, changesFiles);
    if (!b.empty()) lines.push_back(b);
  }

  // Descriptors of sandbox files open before the first session: a session must leave no
  // more behind.
  static const size_t fdsBefore = OpenDescriptors(sandbox.root).size();

  // The FIFO's writer closes when the script ends: a session that waits for it then ends.
  lines.push_back("#eof");
  sandbox.Fresh();
  std::ostringstream out;
  inSession = true;
  {
    headless::Session session(o, out);
    if (!session.CwdOk()) __builtin_trap();
    session.onComment = [&](const std::string& line) { sandbox.Act(line); };
    session.idleLimit = std::chrono::milliseconds(500);  // a source that never ends
    if (smallPieces) session.lister().View().nLongLineShown = 997;
    session.SetScript(std::move(lines));
    session.RunAll();
  }
  inSession = false;
  sandbox.Close();
  static const bool showTranscript = std::getenv("TEMBRA_FUZZ_TRANSCRIPT") != nullptr;
  if (showTranscript) std::fprintf(stderr, "%s", out.str().c_str());
  if (chdir(here.c_str()) != 0) __builtin_trap();

  // An internal error: the fatal box of a VX9 message, or one of the program's own
  // consistency stops.
  const std::string transcript = "\n" + out.str();
  for (const char* bad : {"\nMSGBOX caption=\"Critical/Unexpected Error - Contact VX Software with this message\" text=\"VX9",
                          "\nMSGBOX caption=\"Tembra\" text=\"END_TEMBRA\"", "\nMSGBOX caption=\"Tembra\" text=\"Stop GetFdbin\""}) {
    if (transcript.find(bad) != std::string::npos) {
      std::fprintf(stderr, "internal error in the transcript:\n%s\n", transcript.c_str());
      __builtin_trap();
    }
  }
  // A configured program is started as "program" "file". A configuration line typed with
  // "?", a name typed at the program question, or a file named with /C is the user's own.
  if (o.linuxProfile && !changesFiles && Upper(o.cmdline).find("/C") == std::string::npos &&
      Upper(text).find("PAYLOAD") == std::string::npos) {
    for (size_t at = transcript.find("\nRUN "); at != std::string::npos; at = transcript.find("\nRUN ", at + 1)) {
      const std::string run = transcript.substr(at + 1, transcript.find('\n', at + 1) - at - 1);
      if (run.find("\"PAYLOAD.SH\" \"") != std::string::npos || run.find("\"./PAYLOAD.SH\" \"") != std::string::npos) {
        std::fprintf(stderr, "a program of the untrusted folder configuration: %s\n", run.c_str());
        __builtin_trap();
      }
    }
  }
  const std::vector<std::string> fds = DescriptorsLeft(sandbox.root, fdsBefore);
  if (fds.size() > fdsBefore) {
    std::fprintf(stderr, "file descriptors left open by the session:\n");
    for (const std::string& f : fds) std::fprintf(stderr, "  %s\n", f.c_str());
    __builtin_trap();
  }
  const std::string now = sandbox.Sums();
  if (now != sandbox.sums) {
    if (!changesFiles) {
      std::fprintf(stderr, "sandbox changed without a file command:\nbefore:\n%s\nafter:\n%s\n", sandbox.sums.c_str(),
                   now.c_str());
      __builtin_trap();
    }
    sandbox.Make();
    sandbox.sums = sandbox.Sums();
  }
  return 0;
}
