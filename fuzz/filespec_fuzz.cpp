// libFuzzer target for file specifications and typed numbers: the input is one text
// given to ParseFileSpec (names, date and size ranges), zDateFix and NConvert.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "platform/headless/session.h"

using namespace tembra;

namespace {

struct Harness {
  std::ostringstream out;
  std::unique_ptr<headless::Session> session;
  std::string root;
  ~Harness() {
    session.reset();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  Harness() {
    char tmpl[] = "/tmp/tembra-fuzz-sandbox-XXXXXX";
    root = mkdtemp(tmpl);
    setenv("TEMBRA_DRIVES", ("C=" + root).c_str(), 1);
    headless::Options o;
    o.cwd = root;
    o.clock = "2026-01-02 10:00:00";
    char here[4096];
    if (!getcwd(here, sizeof here)) here[0] = 0;
    session = std::make_unique<headless::Session>(o, out);
    // The fuzzer's corpus folders are relative to where it was started.
    if (here[0] && chdir(here) != 0) __builtin_trap();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness h;
  h.out.str(std::string());
  Lister& l = h.session->lister();
  l.nClientWidth = 80 * 120;
  l.nClientHeight = 25 * 200;
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    l.ParseFileSpec(text);
    if (l.nSizeMin < 0 || l.nSizeMin > 1073741824) __builtin_trap();
    std::string d = l.zDateFix(text);
    if (text.find('/') != std::string::npos && !d.empty() && d.size() != 8) __builtin_trap();
    l.NConvert(text);
  } catch (const headless::ProcessEnded&) {
  }
  return 0;
}
