// tembra: until the terminal front-end is built, this runs the program on the
// off-screen grid and prints its first page.
#include <iostream>
#include <vector>

#include "platform/headless/session.h"
#include "platform/posix/posix_platform.h"

int main(int argc, char** argv) {
  using namespace tembra::headless;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  Options options;
  options.cmdline = tembra::posix::JoinArguments(args);
  options.noRun = true;
  std::cerr << "tembra: the terminal front-end is not built yet; showing the first page of the off-screen grid.\n";
  Session session(options, std::cout);
  session.RunAll();
  return 0;
}
