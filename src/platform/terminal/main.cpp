// tembra: the lister in a terminal. Every argument is part of the program's command line,
// except a first word that asks for the usage (--help, -h) or the version (--version), or
// trusts a folder's configuration file (--trust [FILE]).
#include <clocale>
#include <cstdio>
#include <exception>

#include "core/usage.h"
#include "platform/posix/config_trust.h"
#include "platform/terminal/frontend.h"

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
  std::setlocale(LC_CTYPE, "");
  tembra::posix::SetUtf8Names(tembra::terminal::LocaleIsUtf8());
  tembra::terminal::FrontEnd frontEnd(argc, argv);
  return frontEnd.Run();
}
