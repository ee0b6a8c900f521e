// libFuzzer target for the names shown for Linux file names: every byte string comes
// back exactly from its shown form, the shown form holds no separator, quote, wildcard
// or line break, and any text (a typed name) maps to bytes without failing. A shown name
// that is plain ASCII once in upper case comes only from the same plain ASCII name (the
// case-blind lookup in a large folder tries just the letter-case spellings of such a name).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/text.h"
#include "platform/posix/paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string name;
  for (char c : bytes)
    if (c != '\0' && c != '/') name += c;  // what a Linux name can hold
  std::string shown = tembra::posix::ShownName(name);
  if (tembra::posix::HostNameOf(shown) != name) __builtin_trap();
  if (shown.find_first_of(std::string("\\/:*?\"<>|\r\n\0", 13)) != std::string::npos) __builtin_trap();
  if (!shown.empty() && (shown.front() == ' ' || shown.back() == ' ')) __builtin_trap();
  const std::string upper = tembra::UCase(shown);
  if (std::all_of(upper.begin(), upper.end(), [](char c) { return c >= 0x20 && c < 0x7F; }) && shown != name)
    __builtin_trap();
  if (tembra::posix::HostNameOf(tembra::posix::ShownText(bytes)) != bytes) __builtin_trap();
  (void)tembra::posix::HostNameOf(bytes);
  return 0;
}
