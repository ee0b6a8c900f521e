// Member names made safe for extraction.
#include "archive/member_path.h"

#include <cctype>

namespace tembra::archive {

namespace {

bool IsDrive(const std::string& part) {
  return part.size() >= 2 && std::isalpha(static_cast<unsigned char>(part[0])) && part[1] == ':';
}

// A part Windows would not make as a plain file or folder of that name.
bool WindowsRefuses(const std::string& part) {
  for (char c : part)
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view(":<>\"|?*").find(c) != std::string_view::npos)
      return true;
  if (part.back() == '.' || part.back() == ' ') return true;
  std::string stem = part.substr(0, part.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$")
    return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '0' &&
         stem[3] <= '9';
}

}  // namespace

bool SplitMemberPath(const std::string& name, std::vector<std::string>& parts, bool windowsNames) {
  parts.clear();
  if (name.empty() || name.find('\0') != std::string::npos || name[0] == '/' || name[0] == '\\') return false;
  size_t from = 0;
  while (from <= name.size()) {
    size_t to = name.find_first_of("/\\", from);
    if (to == std::string::npos) to = name.size();
    std::string part = name.substr(from, to - from);
    from = to + 1;
    if (part.empty() || part == ".") continue;
    if (part == ".." || (parts.empty() && IsDrive(part)) || (windowsNames && WindowsRefuses(part))) return false;
    parts.push_back(std::move(part));
  }
  return !parts.empty();
}

}  // namespace tembra::archive
