#include "core/unicode.h"

#include <algorithm>

#include "core/text.h"

namespace tembra {

namespace {
struct CodeRange {
  char32_t first, last;
};
struct CasePair {
  char32_t from, to;
};
#include "core/unicode_tables.inc"

template <size_t N>
bool InRanges(const CodeRange (&table)[N], char32_t cp) {
  if (cp < table[0].first || cp > table[N - 1].last) return false;
  const CodeRange* r = std::upper_bound(table, table + N, cp, [](char32_t c, const CodeRange& x) { return c < x.first; });
  return r != table && cp <= r[-1].last;
}
}  // namespace

DecodedChar DecodeUtf8(const unsigned char* p, size_t n) {
  const unsigned char c = p[0];
  if (c < 0x80) return {c, 1, true};
  const DecodedChar stray{Cp1252ToUnicode(c), 1, false};
  int len;
  char32_t cp;
  unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    cp = c & 0x0F;
    if (c == 0xE0) lo = 0xA0;       // overlong below U+0800
    else if (c == 0xED) hi = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    cp = c & 0x07;
    if (c == 0xF0) lo = 0x90;       // overlong below U+10000
    else if (c == 0xF4) hi = 0x8F;  // above U+10FFFF
  } else {
    return stray;
  }
  if (n < static_cast<size_t>(len)) return stray;
  if (p[1] < lo || p[1] > hi) return stray;
  for (int k = 1; k < len; ++k) {
    if ((p[k] & 0xC0) != 0x80) return stray;
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  return {cp, len, true};
}

int CellWidth(char32_t cp) {
  if (cp < 0x300) return 1;
  if (InRanges(kZeroRanges, cp)) return 0;
  if (cp >= 0x1100 && InRanges(kWideRanges, cp)) return 2;
  return 1;
}

char32_t SimpleUpper(char32_t cp) {
  if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
  const CasePair* e = std::lower_bound(std::begin(kUpperPairs), std::end(kUpperPairs), cp,
                                       [](const CasePair& x, char32_t c) { return x.from < c; });
  return e != std::end(kUpperPairs) && e->from == cp ? e->to : cp;
}

int UnicodeToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int b = 0x80; b < 0xA0; ++b)
    if (Cp1252ToUnicode(static_cast<unsigned char>(b)) == cp) return b;
  return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string UpperUtf8(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const DecodedChar d = DecodeUtf8(s, i);
    if (d.valid) AppendUtf8(out, SimpleUpper(d.cp));
    else out += s[i];
    i += static_cast<size_t>(d.len);
  }
  return out;
}

bool IsValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const DecodedChar d = DecodeUtf8(s, i);
    if (!d.valid) return false;
    i += static_cast<size_t>(d.len);
  }
  return true;
}

}  // namespace tembra
