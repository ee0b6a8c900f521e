// The wildcard match of the name filters and deletion rules: "*" any run of
// characters, "?" any one character, "#" one digit, "[list]" one character of the
// list (ranges such as A-F allowed), "[!list]" one character not in it. The
// comparison is exact; callers pass upper-case text and pattern. With utf8, a unit is
// a character of UTF-8 text (a byte outside a valid sequence is one), else a byte.
#pragma once

#include <string_view>

namespace tembra {

bool bWildMatch(std::string_view text, std::string_view pattern, bool utf8 = false);

}  // namespace tembra
