// The command line, environment, own folder, and starting programs (placeholder for
// starting until program starting is built).
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

#include "core/text.h"
#include "platform/posix/posix_platform.h"

namespace tembra::posix {

std::string JoinArguments(const std::vector<std::string>& args) {
  std::string out;
  for (const std::string& a : args) {
    if (!out.empty()) out += ' ';
    bool quote = a.find(' ') != std::string::npos && !(a.size() >= 2 && a.front() == '"' && a.back() == '"');
    out += quote ? "\"" + a + "\"" : a;
  }
  return out;
}

PosixProcesses::PosixProcesses(int argc, char** argv, DriveMap* drives) : drives_(drives) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ShownName(argv[i]));
  commandLine_ = JoinArguments(args);
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) exePath_.assign(buf, static_cast<size_t>(n));
  else if (argc > 0) exePath_ = argv[0];
}

std::string PosixProcesses::CommandLine() { return commandLine_; }

std::string PosixProcesses::GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? ShownName(v) : std::string();
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

long PosixProcesses::Run(const std::string& commandLine, bool wait) { return 0; }
std::string PosixProcesses::FindExecutable(const std::string& file) { return std::string(); }

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

void PosixProcesses::EndProcess(ExitKind kind) { std::exit(kind == ExitKind::Fatal ? 1 : 0); }

}  // namespace tembra::posix
