// The command line, environment, own folder, and starting programs.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

#include "core/text.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

std::string JoinArguments(const std::vector<std::string>& args) {
  // Each argument must come back as one word from the command-line tokenizer: words
  // that hold blanks or commas, begin with a quote, or are empty are written in double
  // quotes, with every double quote inside doubled. A word the user quoted already
  // (it holds blanks and is enclosed in double quotes) is kept as typed.
  std::string out;
  bool first = true;
  for (const std::string& a : args) {
    if (!first) out += ' ';
    first = false;
    bool hasBlank = a.find(' ') != std::string::npos;
    bool enclosed = a.size() >= 2 && a.front() == '"' && a.back() == '"';
    bool quote = a.empty() || a.find(',') != std::string::npos || a.front() == '"' || a.front() == '\'' || hasBlank;
    if (hasBlank && enclosed) quote = false;
    if (!quote) {
      out += a;
      continue;
    }
    out += '"';
    for (char c : a) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

// ---------------------------------------------------------------- command lines

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::string cur;
  bool inQuote = false, any = false;
  for (char c : line) {
    if (c == '"') {
      inQuote = !inQuote;
      any = true;
    } else if ((c == ' ' || c == '\t') && !inQuote) {
      if (any) words.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
      any = true;
    }
  }
  if (any) words.push_back(cur);
  return words;
}

namespace {

std::string StripQuotes(std::string s) {
  s = Trim(s);
  std::string out;
  for (char c : s)
    if (c != '"') out += c;
  return Trim(out);
}

// The text of a command line after its first n words (quotes kept).
std::string TailAfterWords(const std::string& line, int n) {
  size_t i = 0;
  bool inQuote = false;
  for (int w = 0; w < n; ++w) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    while (i < line.size() && (inQuote || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '"') inQuote = !inQuote;
      ++i;
    }
  }
  return i < line.size() ? line.substr(i) : std::string();
}

// The upper-case program name without folder and without .EXE, .COM or .BAT.
std::string ProgramKey(const std::string& word) {
  std::string w = UCase(word);
  size_t slash = w.find_last_of("\\/");
  if (slash != std::string::npos) w = w.substr(slash + 1);
  for (const char* ext : {".EXE", ".COM", ".BAT"}) {
    size_t n = std::strlen(ext);
    if (w.size() > n && w.compare(w.size() - n, n, ext) == 0) w.resize(w.size() - n);
  }
  return w;
}

bool IsWinAbsolute(const std::string& s) {
  return s.size() >= 3 && s[1] == ':' && (s[2] == '\\' || s[2] == '/') &&
         ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

// Host form of a file argument: Windows paths (absolute or relative to the current
// directory) resolve to the stored name; a name that exists nowhere keeps its UTF-8 form.
std::string HostArg(const std::string& arg, DriveMap* drives, bool isFile) {
  if (drives && (IsWinAbsolute(arg) || isFile)) {
    std::string h = drives->HostPath(arg);
    if (!h.empty()) return h;
  }
  return HostNameOf(arg);
}

std::vector<std::string> EditorWords() {
  for (const char* var : {"VISUAL", "EDITOR"}) {
    const char* v = std::getenv(var);
    if (v && *v) {
      std::vector<std::string> w = SplitCommandLine(v);
      if (!w.empty()) return w;
    }
  }
  return {"vi"};
}

std::string UserShell() {
  const char* sh = std::getenv("SHELL");
  return sh && *sh ? sh : "/bin/sh";
}

bool IsInterpreter(const std::string& word, const std::string& comspec) {
  if (!comspec.empty() && UCase(word) == UCase(comspec)) return true;
  std::string k = ProgramKey(word);
  return k == "CMD" || k == "COMMAND";
}

// A command run by the interpreter with /C, or a program named directly.
void PlanCommand(const std::string& tail, DriveMap* drives, bool allowLocal, LaunchPlan& plan) {
  std::vector<std::string> words = SplitCommandLine(tail);
  if (words.empty()) return;
  std::string key = ProgramKey(words[0]);
  if (key == "EDIT" || key == "NOTEPAD" || key == "VXEDIT") {
    // The editor gets one file: the rest of the line for EDIT and NOTEPAD (which
    // take a name with blanks unquoted), the last word (the full name) for VXEDIT.
    std::string file = key == "VXEDIT" ? (words.size() > 1 ? words.back() : std::string())
                                       : StripQuotes(TailAfterWords(tail, 1));
    plan.argv = EditorWords();
    if (!file.empty()) plan.argv.push_back(HostArg(file, drives, true));
    plan.needsTerminal = true;
    return;
  }
  if (key == "COPY" && words.size() >= 3 && words.back() == "+") {
    // "Copy file +" refreshes the time stamp; it never starts a program named copy.
    std::string file = Trim(TailAfterWords(tail, 1));
    file = StripQuotes(file.substr(0, file.size() - 1));
    plan.touchFile = true;
    plan.touchPath = file;
    return;
  }
  // The program: a path, a file in the current directory, or a name on the PATH.
  std::string prog = words[0];
  bool hasPath = prog.find_first_of("\\/:") != std::string::npos;
  std::string local = drives ? drives->HostPath(prog) : std::string();
  struct stat st;
  if (!allowLocal) {
    // Only a full path (of the host, of a drive, or from the current drive's root) or a
    // name found in an absolute folder of the PATH: never a file of the current folder.
    const bool full = prog[0] == '/' || prog[0] == '\\' || IsWinAbsolute(prog);
    std::string found = full ? (local.empty() ? HostNameOf(prog) : local)
                        : hasPath ? std::string()
                                  : FindOnAbsolutePath(prog);
    if (found.empty()) {
      plan.refused = true;
      return;
    }
    plan.argv.push_back(found);
  } else if (hasPath || (!local.empty() && ::stat(local.c_str(), &st) == 0 && S_ISREG(st.st_mode))) {
    plan.argv.push_back(local.empty() ? HostNameOf(prog) : local);
  } else {
    plan.argv.push_back(HostNameOf(prog));
  }
  for (size_t i = 1; i < words.size(); ++i) plan.argv.push_back(HostArg(words[i], drives, false));
  plan.needsTerminal = ProgramKey(prog) != "XDG-OPEN";
}

}  // namespace

LaunchPlan PlanLaunch(const std::string& commandLine, DriveMap* drives, const std::string& comspec,
                      bool allowLocal) {
  LaunchPlan plan;
  std::vector<std::string> words = SplitCommandLine(commandLine);
  size_t i = 0;
  bool interp = words.empty();
  if (!words.empty() && IsInterpreter(words[0], comspec)) {
    interp = true;
    i = 1;
  } else if (!words.empty() && (UCase(words[0]) == "/C" || UCase(words[0]) == "/K")) {
    interp = true;  // the interpreter's name was empty (COMSPEC not set)
  }
  if (!interp) {
    PlanCommand(commandLine, drives, allowLocal, plan);
    return plan;
  }
  if (i < words.size() && UCase(words[i]) == "/C") {
    std::string tail = TailAfterWords(commandLine, static_cast<int>(i + 1));
    std::string t = Trim(tail);
    // cmd /C "command line": one level of enclosing quotes belongs to the interpreter.
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
    PlanCommand(t, drives, allowLocal, plan);
    return plan;
  }
  // An interactive interpreter, in the named drive's folder for /k with a drive:
  // COMSPEC when it names a program of this system, else the user's shell.
  plan.argv = {UserShell()};
  if (!comspec.empty() && ProgramKey(comspec) != "CMD" && ProgramKey(comspec) != "COMMAND") {
    std::string host = comspec[0] == '/' ? comspec
                       : IsWinAbsolute(comspec) && drives ? drives->HostPath(comspec)
                                                          : FindOnPath(HostNameOf(comspec));
    if (!host.empty() && ::access(host.c_str(), X_OK) == 0) plan.argv = {host};
  }
  plan.needsTerminal = true;
  if (i < words.size() && UCase(words[i]) == "/K" && i + 1 < words.size() && drives) {
    std::string d = words[i + 1];
    if (d.size() >= 2 && d[1] == ':') {
      std::string host = drives->HostPath(drives->CurrentDirOf(d[0]));
      if (!host.empty()) plan.workDir = host;
    }
  }
  return plan;
}

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (!path) return std::string();
  std::string p = path;
  size_t start = 0;
  while (start <= p.size()) {
    size_t end = p.find(':', start);
    if (end == std::string::npos) end = p.size();
    std::string dir = p.substr(start, end - start);
    if (!dir.empty()) {
      std::string full = dir + "/" + name;
      if (::access(full.c_str(), X_OK) == 0) return full;
    }
    start = end + 1;
  }
  return std::string();
}

std::string FindOnAbsolutePath(const std::string& shownName) {
  if (shownName.empty() || shownName.find('/') != std::string::npos) return std::string();
  const char* path = std::getenv("PATH");
  std::string p = path ? path : "";
  size_t start = 0;
  while (start < p.size()) {
    size_t end = p.find(':', start);
    if (end == std::string::npos) end = p.size();
    std::string dir = p.substr(start, end - start);
    start = end + 1;
    if (dir.empty() || dir[0] != '/') continue;
    // The configuration's words are upper case: the stored name is the exact one, else
    // the only one that differs from it in letter case alone.
    std::string full = ResolveComponent(dir, shownName);
    struct stat st;
    if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(full.c_str(), X_OK) == 0) return full;
  }
  return std::string();
}

long StartArgv(const LaunchPlan& plan, bool wait, bool quietStdio) {
  std::vector<char*> argv;
  for (const std::string& a : plan.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // A close-on-exec pipe tells the parent whether exec succeeded (made last: nothing
  // between it and the fork can fail).
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return 0;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return 0;
  }
  if (child == 0) {
    ::close(fds[0]);
    if (!wait) {
      // Detach: the grandchild runs the program, so that no zombie is left behind.
      ::setsid();
      pid_t g = ::fork();
      if (g < 0) _exit(127);
      if (g > 0) _exit(0);
    }
    if (!plan.workDir.empty() && ::chdir(plan.workDir.c_str()) != 0) {
      int e = errno;
      (void)!::write(fds[1], &e, sizeof e);
      _exit(127);
    }
    if (quietStdio) {
      int nul = ::open("/dev/null", O_RDWR);
      if (nul >= 0) {
        ::dup2(nul, 0);
        ::dup2(nul, 1);
        ::dup2(nul, 2);
        if (nul > 2) ::close(nul);
      }
    }
    ::execvp(argv[0], argv.data());
    int e = errno;
    (void)!::write(fds[1], &e, sizeof e);
    _exit(127);
  }
  ::close(fds[1]);
  int e = 0;
  ssize_t n;
  do {
    n = ::read(fds[0], &e, sizeof e);
  } while (n < 0 && errno == EINTR);
  ::close(fds[0]);
  int status = 0;
  if (!wait || n > 0) {
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return n > 0 ? 0 : static_cast<long>(child);
  }
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return static_cast<long>(child);
}

PosixProcesses::PosixProcesses(int argc, char** argv, DriveMap* drives) : drives_(drives) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ShownText(argv[i]));
  commandLine_ = JoinArguments(args);
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) exePath_.assign(buf, static_cast<size_t>(n));
  else if (argc > 0) exePath_ = argv[0];
}

std::string PosixProcesses::CommandLine() { return commandLine_; }

std::string PosixProcesses::GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? ShownText(v) : std::string();
}

std::string PosixProcesses::AppPath() {
  std::string dir = exePath_.substr(0, exePath_.rfind('/'));
  if (dir.empty()) dir = "/";
  std::string w = drives_ ? drives_->WinPath(dir) : std::string();
  while (w.size() > 3 && w.back() == '\\') w.pop_back();
  if (w.size() == 3 && w.back() == '\\') w.pop_back();  // "C:" for the root, so that "\" can follow
  return w;
}

std::string PosixProcesses::AppExeName() {
  size_t slash = exePath_.rfind('/');
  return ShownName(slash == std::string::npos ? exePath_ : exePath_.substr(slash + 1));
}

long PosixProcesses::Run(const std::string& commandLine, bool wait) { return RunConfigured(commandLine, wait, true); }

long PosixProcesses::RunConfigured(const std::string& commandLine, bool wait, bool allowLocal) {
  LaunchPlan plan = PlanLaunch(commandLine, drives_, GetEnv("COMSPEC"), allowLocal);
  if (plan.refused) return kRunRefused;
  if (plan.touchFile) {
    // "Copy file +" refreshes the file's time stamp in place.
    if (!drives_) return 0;
    std::string host = drives_->HostPath(plan.touchPath);
    if (host.empty() || ::utimensat(AT_FDCWD, host.c_str(), nullptr, 0) != 0) return 0;
    return 1;
  }
  if (plan.argv.empty()) return 0;
  bool takeTerminal = plan.needsTerminal && beforeRun != nullptr;
  if (takeTerminal) {
    beforeRun(runContext);
    wait = true;  // the program has the terminal until it ends
  }
  // A program that does not own the terminal gets no terminal output to scribble on.
  long pid = StartArgv(plan, wait, /*quietStdio=*/!takeTerminal);
  if (takeTerminal && afterRun) afterRun(runContext);
  return pid;
}

std::string PosixProcesses::FindExecutable(const std::string& file) {
  if (drives_ && drives_->HostPath(file).empty()) return std::string();
  return FindOnPath("xdg-open").empty() ? std::string() : std::string("xdg-open");
}

std::string PosixProcesses::WhyNotStarted(const std::string& commandLine) {
  LaunchPlan plan = PlanLaunch(commandLine, drives_, GetEnv("COMSPEC"));
  if (plan.touchFile || plan.argv.empty()) return std::string();
  const std::string& program = plan.argv[0];
  const bool found = program.find('/') != std::string::npos ? ::access(program.c_str(), X_OK) == 0
                                                            : !FindOnPath(program).empty();
  if (found) return std::string();
  const std::string shown = ShownText(program);
  if (program == EditorWords()[0])
    return "Editor " + shown + " not found: set VISUAL or EDITOR to the editor to use";
  if (program == "xdg-open") return MissingOpener();
  return "Program " + shown + " not found";
}

std::string PosixProcesses::MissingOpener() {
  if (!FindOnPath("xdg-open").empty()) return std::string();
  return "xdg-open not found: install xdg-utils, or name a program with EXT or EXT DEFAULT in the configuration";
}

void PosixProcesses::CharUpperBuffW(std::u16string& text) {
  // Case mappings beyond ASCII need a Unicode character-type locale, whatever the
  // process's own locale is.
  static locale_t utf8 = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      locale_t l = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0));
      if (l) return l;
    }
    return static_cast<locale_t>(0);
  }();
  for (char16_t& c : text) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    wint_t u = utf8 ? towupper_l(static_cast<wint_t>(c), utf8) : std::towupper(static_cast<wint_t>(c));
    if (u <= 0xFFFF) c = static_cast<char16_t>(u);
  }
}

void PosixProcesses::CharUpperBuffA(std::string& text) { text = UCase(text); }

void PosixProcesses::EndProcess(ExitKind kind) { std::exit(ExitStatusOf(kind)); }

}  // namespace tembra::posix
