// tembra: the lister in a terminal. Every argument is part of the program's command line,
// except a first word that asks for the usage (--help, -h) or the version (--version), or
// trusts a folder's configuration file (--trust [FILE]).
#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <exception>

#include "core/usage.h"
#include "platform/posix/config_trust.h"
#include "platform/terminal/frontend.h"

namespace {

// What is wrong with a command line the program cannot use, or "": an option word ("-x",
// "--bogus") that names nothing, or a word starting with "/" that is neither a host path
// (it or its folder exists) nor a switch. After "--" every word names a file.
std::string CommandLineProblem(int argc, char** argv) {
  struct stat st;
  auto exists = [&st](const std::string& p) { return !p.empty() && ::lstat(p.c_str(), &st) == 0; };
  for (int i = 1; i < argc; ++i) {
    const std::string w = argv[i];
    if (w == "--") break;
    if (w.size() > 1 && w[0] == '-' && !exists(w)) return "unknown option: " + w;
    if (w.size() > 1 && w[0] == '/' && !exists(w)) {
      const size_t slash = w.find_last_of('/');
      if (slash > 0 && exists(w.substr(0, slash))) continue;
      if (!tembra::KnownSwitchWord(w)) return "unknown switch: " + w;
    }
  }
  return std::string();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string answer = tembra::HelpOrVersionRequest(argc, argv);
  if (!answer.empty()) {
    std::fputs(answer.c_str(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }
  if (argc >= 2 && std::string(argv[1]) == "--trust") {
    if (argc > 3) {
      std::fputs("Usage: tembra --trust [FILE]\n", stderr);
      return 2;
    }
    return tembra::posix::TrustCommand(argc == 3 ? argv[2] : nullptr, stdout, stderr);
  }
  // A command line the program cannot use: said on standard error, no window at all.
  if (const std::string problem = CommandLineProblem(argc, argv); !problem.empty()) {
    std::fprintf(stderr, "tembra: %s\n%sTry 'tembra --help' for more.\n", problem.c_str(), tembra::UsageLine().c_str());
    return 2;
  }
  std::setlocale(LC_CTYPE, "");
  tembra::posix::SetUtf8Names(tembra::terminal::LocaleIsUtf8());
  tembra::terminal::FrontEnd frontEnd(argc, argv);
  return frontEnd.Run();
}
