// The wildcard match of the name filters and deletion rules: "*" any run of
// characters, "?" any one character, "#" one digit, "[list]" one character of the
// list (ranges such as A-F allowed), "[!list]" one character not in it. The
// comparison is exact; callers pass upper-case text and pattern.
#pragma once

#include <string_view>

namespace tembra {

bool bWildMatch(std::string_view text, std::string_view pattern);

}  // namespace tembra
