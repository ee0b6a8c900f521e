// libFuzzer target for the names shown for Linux file names: every byte string comes
// back exactly from its shown form, the shown form holds no separator, quote, wildcard
// or line break, and any text (a typed name) maps to bytes without failing. A shown name
// that is plain ASCII once in upper case comes only from the same plain ASCII name (the
// case-blind lookup in a large folder tries just the letter-case spellings of such a name).
// Both character sets of names are checked.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/text.h"
#include "platform/posix/paths.h"

namespace {
void Check(const std::string& bytes) {
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
}
}  // namespace

// Every input is checked with names in Windows-1252 and with names in UTF-8.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  tembra::posix::SetUtf8Names(false);
  Check(bytes);
  tembra::posix::SetUtf8Names(true);
  Check(bytes);
  // In UTF-8 a shown name holds no line or paragraph separator and no direction mark.
  const std::string shown = tembra::posix::ShownName(bytes);
  for (const char* hidden : {"\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAE", "\xC2\xA4", "\xC2\x85"})
    if (shown.find(hidden) != std::string::npos) __builtin_trap();
  return 0;
}
