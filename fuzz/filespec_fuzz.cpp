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

#include "dirlist/entry_list.h"
#include "sandbox_session.h"

using namespace tembra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SandboxSession h;
  h.out.str(std::string());
  Lister& l = h.session->lister();
  l.nClientWidth = 80 * 120;
  l.nClientHeight = 25 * 200;
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    l.ParseFileSpec(text);
    if (l.Entries().nSizeMin < 0 || l.Entries().nSizeMin > 1073741824) __builtin_trap();
    std::string d = l.zDateFix(text);
    if (text.find('/') != std::string::npos && !d.empty() && d.size() != 8) __builtin_trap();
    l.View().NConvert(text);
  } catch (const headless::ProcessEnded&) {
  }
  return 0;
}
