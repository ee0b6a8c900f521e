// tembra: the lister in a terminal. Every argument is part of the program's command line,
// except a first word that asks for the usage (--help, -h) or the version (--version), or
// trusts a folder's configuration file (--trust [FILE]), and --follow (or +F), which
// follows the first file viewed. "-", or a pipe on standard input with no file named,
// views standard input; the keys then come from the terminal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "core/usage.h"
#include "platform/posix/config_trust.h"
#include "platform/posix/posix_platform.h"
#include "platform/terminal/frontend.h"

namespace {

// What is wrong with a command line the program cannot use, or "": an option word ("-x",
// "--bogus"; a file of that name is given after "--" or as "./-x"), or a word starting
// with "/" that is neither a host path (it or its folder exists) nor a switch. After "--"
// every word names a file.
std::string CommandLineProblem(int argc, char** argv) {
  struct stat st;
  auto exists = [&st](const std::string& p) { return !p.empty() && ::lstat(p.c_str(), &st) == 0; };
  for (int i = 1; i < argc; ++i) {
    const std::string w = argv[i];
    if (w == "--") break;
    if (w.size() > 1 && w[0] == '-') return "unknown option: " + w;
    if (w.size() > 1 && w[0] == '/' && !exists(w)) {
      const size_t slash = w.find_last_of('/');
      if (slash > 0 && exists(w.substr(0, slash))) continue;
      if (!tembra::KnownSwitchWord(w)) return "unknown switch: " + w;
    }
  }
  return std::string();
}

// Takes standard input over for viewing: it is kept at another descriptor, and descriptor
// 0 becomes the terminal. The word that names it is returned; "" with a reason when it
// cannot be.
std::string TakeStandardInput(std::string& problem) {
  if (::isatty(STDIN_FILENO)) {
    problem = "standard input is a terminal; pipe into it (command | tembra)";
    return std::string();
  }
  const int kept = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 10);
  const int tty = ::open("/dev/tty", O_RDWR);
  if (kept < 0 || tty < 0) {
    problem = std::string("no terminal to read the keys from (/dev/tty): ") + std::strerror(errno);
    return std::string();
  }
  ::dup2(tty, STDIN_FILENO);
  ::close(tty);
  tembra::posix::SetStandardInput(kept);
  return "/dev/fd/" + std::to_string(kept);
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
  // The terminal's own words: --follow / +F, and "-" for standard input.
  std::vector<std::string> words;
  bool follow = false, dash = false, namesFile = false, filesOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string w = argv[i];
    struct stat st;
    if (!filesOnly && (w == "--follow" || w == "+F")) {
      follow = true;
      continue;
    }
    if (!filesOnly && w == "-") {
      dash = true;
      continue;
    }
    if (w == "--") filesOnly = true;
    else if (filesOnly || w.empty() || w[0] != '/' || ::lstat(w.c_str(), &st) == 0) namesFile = true;
    words.push_back(w);
  }
  // Without "-" a pipe is taken only where a terminal is there for the keys (else the
  // terminal's own check says what is missing).
  std::vector<char*> given{argv[0]};
  for (std::string& w : words) given.push_back(w.data());
  given.push_back(nullptr);
  // A command line the program cannot use: said on standard error, no window at all.
  if (const std::string problem = CommandLineProblem(static_cast<int>(given.size()) - 1, given.data()); !problem.empty()) {
    std::fprintf(stderr, "tembra: %s\n%sTry 'tembra --help' for more.\n", problem.c_str(), tembra::UsageLine().c_str());
    return 2;
  }
  auto terminalThere = [] {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
    return fd >= 0;
  };
  const bool implicit = !dash && !namesFile && !::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO) && terminalThere();
  if (dash || implicit) {
    std::string problem;
    const std::string input = TakeStandardInput(problem);
    if (input.empty()) {
      std::fprintf(stderr, "tembra: %s\n", problem.c_str());
      return 2;
    }
    // A file word after "--" would take it for a name: standard input goes before.
    size_t at = 0;
    while (at < words.size() && words[at] != "--") ++at;
    words.insert(words.begin() + static_cast<long>(at), input);
  }
  std::vector<char*> args{argv[0]};
  for (std::string& w : words) args.push_back(w.data());
  args.push_back(nullptr);
  argc = static_cast<int>(args.size()) - 1;
  argv = args.data();
  std::setlocale(LC_CTYPE, "");
  tembra::posix::SetUtf8Names(tembra::terminal::LocaleIsUtf8());
  tembra::terminal::FrontEnd frontEnd(argc, argv);
  if (follow) frontEnd.FollowFirstFile();
  return frontEnd.Run();
}
