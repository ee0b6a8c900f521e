#include "dirlist/wildcard.h"

#include <string>

#include "core/unicode.h"

namespace tembra {

namespace {

// Matches one pattern element at p against character c. Returns the length of the
// element, or 0 when it does not match. Units are bytes, or characters of UTF-8 text.
template <class View>
size_t MatchOne(View pat, size_t p, char32_t c) {
  auto at = [&](size_t i) { return static_cast<char32_t>(static_cast<std::make_unsigned_t<typename View::value_type>>(pat[i])); };
  char32_t e = at(p);
  if (e == '?') return 1;
  if (e == '#') return (c >= '0' && c <= '9') ? 1 : 0;
  if (e == '[') {
    size_t close = pat.find(']', p + 1);
    // "[]" or "[!]" with a "]" later takes that "]" as a member of the list.
    if (close == p + 1 || (close == p + 2 && pat[p + 1] == '!')) close = pat.find(']', close + 1);
    if (close != View::npos) {
      size_t i = p + 1;
      bool negate = pat[i] == '!';
      if (negate) ++i;
      bool hit = false;
      while (i < close) {
        char32_t lo = at(i);
        if (i + 2 < close && pat[i + 1] == '-') {
          char32_t hi = at(i + 2);
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
  return e == c ? 1 : 0;
}

template <class View>
bool WildMatch(View text, View pat) {
  size_t t = 0, p = 0;
  size_t starP = View::npos, starT = 0;
  while (t < text.size()) {
    if (p < pat.size() && pat[p] == '*') {
      starP = ++p;
      starT = t;
      continue;
    }
    if (p < pat.size()) {
      size_t len = MatchOne(pat, p, static_cast<char32_t>(static_cast<std::make_unsigned_t<typename View::value_type>>(text[t])));
      if (len) {
        p += len;
        ++t;
        continue;
      }
    }
    if (starP == View::npos) return false;
    p = starP;
    t = ++starT;
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

bool PlainAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

bool bWildMatch(std::string_view text, std::string_view pat, bool utf8) {
  if (utf8 && !(PlainAscii(text) && PlainAscii(pat))) {
    const std::u32string t = Utf8Chars(text), p = Utf8Chars(pat);
    return WildMatch(std::u32string_view(t), std::u32string_view(p));
  }
  return WildMatch(text, pat);
}

}  // namespace tembra
