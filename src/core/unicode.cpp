#include "core/unicode.h"

#include <algorithm>
#include <memory>

#include "core/byte_scan.h"
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

DecodedChar DecodeUtf8Rest(const unsigned char* p, size_t n) {
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

namespace {
int WidthFromRanges(char32_t cp) {
  if (InRanges(kZeroRanges, cp)) return 0;
  if (cp >= 0x1100 && InRanges(kWideRanges, cp)) return 2;
  return 1;
}

// Width (bits 0-1) and format flag (bit 2) of every character of the first plane, from
// the ranges once: text is drawn a cell at a time, and a search of three tables per
// character would cost more than the drawing.
constexpr uint8_t kFormatBit = kFormatChar;
const uint8_t* PlaneInfo() {
  static const std::unique_ptr<uint8_t[]> table = [] {
    auto t = std::make_unique<uint8_t[]>(0x10000);
    for (char32_t cp = 0; cp < 0x10000; ++cp)
      t[cp] = static_cast<uint8_t>(WidthFromRanges(cp) | (cp >= 0xAD && InRanges(kFormatRanges, cp) ? kFormatBit : 0));
    return t;
  }();
  return table.get();
}
}  // namespace

int CellWidth(char32_t cp) {
  if (cp < 0x300) return 1;
  if (cp < 0x10000) return PlaneInfo()[cp] & 3;
  return WidthFromRanges(cp);
}

const uint8_t* FirstPlaneCellInfo() { return PlaneInfo(); }

int CellInfo(char32_t cp) {
  if (cp < 0x10000) return cp < 0xAD ? 1 : PlaneInfo()[cp];
  return WidthFromRanges(cp) | (InRanges(kFormatRanges, cp) ? kFormatChar : 0);
}

bool IsFormatChar(char32_t cp) {
  if (cp < 0xAD) return false;
  if (cp < 0x10000) return (PlaneInfo()[cp] & kFormatBit) != 0;
  return InRanges(kFormatRanges, cp);
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

namespace {
// Every character with a simple upper case, ordered by that upper case.
const std::vector<CasePair>& LowersByUpper() {
  static const std::vector<CasePair> table = [] {
    std::vector<CasePair> t;
    for (const CasePair& p : kUpperPairs) t.push_back({p.to, p.from});
    std::sort(t.begin(), t.end(), [](const CasePair& a, const CasePair& b) { return a.from < b.from || (a.from == b.from && a.to < b.to); });
    return t;
  }();
  return table;
}

// The characters that match cp case-blind: its upper case and every character with the
// same upper case.
std::vector<char32_t> CaseVariants(char32_t cp) {
  const char32_t up = SimpleUpper(cp);
  std::vector<char32_t> out{up};
  const std::vector<CasePair>& t = LowersByUpper();
  auto it = std::lower_bound(t.begin(), t.end(), up, [](const CasePair& x, char32_t c) { return x.from < c; });
  for (; it != t.end() && it->from == up; ++it) out.push_back(it->to);
  return out;
}
}  // namespace

bool IsUpperCase(char32_t cp) {
  if (SimpleUpper(cp) != cp) return false;
  const std::vector<CasePair>& t = LowersByUpper();
  auto it = std::lower_bound(t.begin(), t.end(), cp, [](const CasePair& x, char32_t c) { return x.from < c; });
  return it != t.end() && it->from == cp;
}

CaseBlindUtf8::CaseBlindUtf8(const std::string& pattern) : pattern_(pattern) {
  sets_.assign(pattern.size(), std::array<uint64_t, 4>{});
  auto allow = [this](size_t pos, unsigned char b) { sets_[pos][b >> 6] |= uint64_t{1} << (b & 63); };
  for (size_t i = 0; i < pattern.size();) {
    const DecodedChar d = DecodeUtf8(pattern, i);
    std::vector<std::string> spellings;
    if (d.valid) {
      for (char32_t v : CaseVariants(d.cp)) {
        std::string u;
        AppendUtf8(u, v);
        if (u.size() == static_cast<size_t>(d.len) && std::find(spellings.begin(), spellings.end(), u) == spellings.end())
          spellings.push_back(u);
      }
    }
    if (spellings.empty()) spellings.push_back(pattern.substr(i, static_cast<size_t>(d.len)));
    for (const std::string& u : spellings)
      for (size_t k = 0; k < u.size(); ++k) allow(i + k, static_cast<unsigned char>(u[k]));
    // Byte sets of two or more multi-byte spellings may combine bytes of different ones.
    if (d.len > 1 && spellings.size() > 1) checked_.push_back({i, spellings});
    i += static_cast<size_t>(d.len);
  }
  auto collect = [this](size_t pos, unsigned char* out, int& n) {
    n = 0;
    for (int b = 0; b < 256; ++b)
      if (Allowed(pos, static_cast<unsigned char>(b))) {
        if (n == 2) {
          n = 0;
          return;
        }
        out[n++] = static_cast<unsigned char>(b);
      }
  };
  if (!pattern.empty()) {
    collect(0, firsts_, nFirst_);
    collect(pattern.size() - 1, lasts_, nLast_);
  }
}

bool CaseBlindUtf8::MatchAt(const unsigned char* t) const {
  const size_t m = pattern_.size();
  for (size_t k = 1; k + 1 < m; ++k)
    if (!Allowed(k, t[k])) return false;
  for (const Element& e : checked_) {
    bool any = false;
    for (const std::string& s : e.spellings)
      if (std::equal(s.begin(), s.end(), reinterpret_cast<const char*>(t) + e.offset)) {
        any = true;
        break;
      }
    if (!any) return false;
  }
  return true;
}

int64_t CaseBlindUtf8::Find(const unsigned char* t, int64_t lo, int64_t hi) const {
  const int64_t m = static_cast<int64_t>(pattern_.size());
  if (m == 0) return lo <= hi ? lo : -1;
  int64_t i = lo;
  if (nFirst_ > 0 && nLast_ > 0) {
    const int64_t c = ScanFirstLast(t, i, hi, m, firsts_[0], firsts_[nFirst_ - 1], lasts_[0], lasts_[nLast_ - 1],
                                    [this, t](int64_t at) { return MatchAt(t + at); });
    if (c >= 0) return c;
  }
  for (; i <= hi; ++i)
    if (Allowed(0, t[i]) && Allowed(static_cast<size_t>(m - 1), t[i + m - 1]) && MatchAt(t + i)) return i;
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

void UpperUtf8SameLength(char* p, size_t n) {
  auto* u = reinterpret_cast<unsigned char*>(p);
  for (size_t i = 0; i < n;) {
    const DecodedChar d = DecodeUtf8(u + i, n - i);
    if (d.valid) {
      const char32_t up = SimpleUpper(d.cp);
      if (up != d.cp) {
        std::string b;
        AppendUtf8(b, up);
        if (b.size() == static_cast<size_t>(d.len)) b.copy(p + i, b.size());
      }
    }
    i += static_cast<size_t>(d.len);
  }
}

namespace {
int CellsOf(const DecodedChar& d) { return d.valid && d.cp >= 0xA0 ? CellWidth(d.cp) : 1; }
}  // namespace

int32_t Utf8Cells(std::string_view s) {
  int32_t cells = 0;
  const auto* u = reinterpret_cast<const unsigned char*>(s.data());
  for (size_t i = 0; i < s.size();) {
    const DecodedChar d = DecodeUtf8(u + i, s.size() - i);
    cells += CellsOf(d);
    i += static_cast<size_t>(d.len);
  }
  return cells;
}

size_t Utf8CutBytes(std::string_view s, int32_t cells) {
  int32_t used = 0;
  const auto* u = reinterpret_cast<const unsigned char*>(s.data());
  size_t i = 0;
  while (i < s.size()) {
    const DecodedChar d = DecodeUtf8(u + i, s.size() - i);
    const int w = CellsOf(d);
    if (used + w > cells) break;
    used += w;
    i += static_cast<size_t>(d.len);
  }
  return i;
}

std::string UpperName(const std::string& s, bool utf8) {
  if (!utf8) return UCase(s);
  std::string u = s;
  UpperUtf8SameLength(u.data(), u.size());
  return u;
}

std::u32string Utf8Chars(std::string_view s, bool upper) {
  std::u32string out;
  out.reserve(s.size());
  const auto* u = reinterpret_cast<const unsigned char*>(s.data());
  for (size_t i = 0; i < s.size();) {
    const DecodedChar d = DecodeUtf8(u + i, s.size() - i);
    out += !d.valid ? kStrayByteBase + u[i] : upper ? SimpleUpper(d.cp) : d.cp;
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
