// The one rule that recognises a temporary-file name: "_V", the date yymmdd, ".VX", four
// digits (time or sequence), a two-character reason code, "." and the former name.
#pragma once

#include <string_view>

namespace tembra {

// The listing (display column, name filter, sort) also wants the four digits; setting a
// file aside (TempCheck) does not look at them, but wants the date's value 100000 or more.
enum class TempNameUse { Listing, SetAside };

// Whether an upper-case name has the temporary form, as the given use reads it.
inline bool IsTempName(std::string_view nameU, TempNameUse use) {
  auto digits = [&](size_t from, size_t count) {
    for (char c : nameU.substr(from, count))
      if (c < '0' || c > '9') return false;
    return true;
  };
  if (nameU.size() < 19 || nameU.substr(0, 2) != "_V" || !digits(2, 6) || nameU.substr(8, 3) != ".VX" ||
      nameU[17] != '.')
    return false;
  if (use == TempNameUse::Listing) return digits(11, 4);
  return nameU[2] != '0';  // yymmdd of 100000 or more
}

}  // namespace tembra
