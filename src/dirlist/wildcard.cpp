#include "dirlist/wildcard.h"

namespace tembra {

namespace {

// Matches one pattern element at p against character c. Returns the length of the
// element, or 0 when it does not match.
size_t MatchOne(std::string_view pat, size_t p, unsigned char c) {
  char e = pat[p];
  if (e == '?') return 1;
  if (e == '#') return (c >= '0' && c <= '9') ? 1 : 0;
  if (e == '[') {
    size_t close = pat.find(']', p + 1);
    // "[]" or "[!]" with a "]" later takes that "]" as a member of the list.
    if (close == p + 1 || (close == p + 2 && pat[p + 1] == '!')) close = pat.find(']', close + 1);
    if (close != std::string_view::npos) {
      size_t i = p + 1;
      bool negate = pat[i] == '!';
      if (negate) ++i;
      bool hit = false;
      while (i < close) {
        unsigned char lo = static_cast<unsigned char>(pat[i]);
        if (i + 2 < close && pat[i + 1] == '-') {
          unsigned char hi = static_cast<unsigned char>(pat[i + 2]);
          if (c >= lo && c <= hi) hit = true;
          i += 3;
        } else {
          if (c == lo) hit = true;
          ++i;
        }
      }
      return hit != negate ? close - p + 1 : 0;
    }
    // An unclosed "[" stands for itself.
  }
  return static_cast<unsigned char>(e) == c ? 1 : 0;
}

}  // namespace

bool bWildMatch(std::string_view text, std::string_view pat) {
  size_t t = 0, p = 0;
  size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pat.size() && pat[p] == '*') {
      starP = ++p;
      starT = t;
      continue;
    }
    if (p < pat.size()) {
      size_t len = MatchOne(pat, p, static_cast<unsigned char>(text[t]));
      if (len) {
        p += len;
        ++t;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    p = starP;
    t = ++starT;
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

}  // namespace tembra
