// tembra-headless: runs the program on an off-screen grid from a script of events and
// writes a transcript to standard output.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

#include "platform/headless/session.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TEMBRA_LEAK_CHECKED 1
#endif
#endif

int main(int argc, char** argv) {
  using namespace tembra::headless;
#ifdef _WIN32
  // The transcript is bytes: no line-end translation on the standard streams.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stdin), _O_BINARY);
#endif
  Options options;
  std::string scriptPath;
  std::string error = ParseOptions(argc, argv, options, scriptPath);
  if (!error.empty()) {
    std::cerr << "tembra-headless: " << error << "\n";
    return 2;
  }
  if (options.help) {
    std::cout << kHeadlessUsage;
    std::cout.flush();
    return std::cout ? 0 : 1;
  }
  // The standard streams need not keep step with C's stdio (reading the script line by
  // line through a synchronised stream costs a call per character).
  std::ios::sync_with_stdio(false);
#ifdef _WIN32
  // "-" on the command line views standard input, as tembra.exe does (the script then
  // comes from a file).
  const std::string input = tembra::win32::ArgumentsWithStandardInput(options.cmdline, false, scriptPath != "-", error);
  if (!error.empty()) {
    std::cerr << "tembra-headless: " << error << "\n";
    return 2;
  }
  options.cmdline = input;
#endif
  std::vector<std::string> lines;
  if (!scriptPath.empty()) {
    std::ifstream file;
    std::istream* in = &std::cin;
    if (scriptPath != "-") {
      file.open(scriptPath, std::ios::binary);
      if (!file) {
        std::cerr << "tembra-headless: cannot read script " << scriptPath << "\n";
        return 2;
      }
      in = &file;
    }
    // Read whole, then cut into lines (a long script costs no reallocation of them).
    const std::string all{std::istreambuf_iterator<char>(*in), std::istreambuf_iterator<char>()};
    lines.reserve(static_cast<size_t>(std::count(all.begin(), all.end(), '\n')) + 1);
    for (size_t at = 0; at < all.size();) {
      const size_t end = std::min(all.find('\n', at), all.size());
      lines.emplace_back(all, at, end - at);
      at = end + 1;
    }
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string e = Session::CheckLine(lines[i]);
    if (!e.empty()) {
      std::cerr << "tembra-headless: script line " << (i + 1) << ": " << e << "\n";
      return 2;
    }
  }
  Session session(options, std::cout);
  if (!session.CwdOk()) {
    std::cerr << "tembra-headless: cannot change to " << options.cwd << "\n";
    return 2;
  }
  session.SetScript(std::move(lines));
  session.RunAll();
  std::cout.flush();
#if !defined(__SANITIZE_ADDRESS__) && !defined(TEMBRA_LEAK_CHECKED)
  // The session's tables (a big listing, a file's record index) go back to the system
  // at once instead of entry by entry; the sanitizer build frees them to check for leaks.
  std::fflush(nullptr);
  std::_Exit(0);
#else
  return 0;
#endif
}
