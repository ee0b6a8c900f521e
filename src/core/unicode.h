// UTF-8 text: decoding with a Windows-1252 fallback for stray bytes, the cells a
// character takes on a fixed-pitch screen, and simple (one-to-one) upper case.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

struct DecodedChar {
  char32_t cp;   // the character
  int len;       // bytes used (1..4)
  bool valid;    // a well-formed UTF-8 sequence (false: one byte read as Windows-1252)
};

// The character at p[0..n), n >= 1. A well-formed UTF-8 sequence (no overlong form, no
// surrogate, nothing above U+10FFFF, not cut short) is one character; any other byte
// is one character on its own, its Windows-1252 meaning.
// (Inline for the one-, two- and three-byte forms that text is mostly made of; the rest
// out of line.)
DecodedChar DecodeUtf8Rest(const unsigned char* p, size_t n);
inline DecodedChar DecodeUtf8(const unsigned char* p, size_t n) {
  const unsigned char c = p[0];
  if (c < 0x80) return {c, 1, true};
  if (c >= 0xC2 && c <= 0xDF) {
    if (n >= 2 && (p[1] & 0xC0) == 0x80) return {static_cast<char32_t>(((c & 0x1F) << 6) | (p[1] & 0x3F)), 2, true};
  } else if (c >= 0xE1 && c <= 0xEF && c != 0xED && n >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
    return {static_cast<char32_t>(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)), 3, true};
  }
  return DecodeUtf8Rest(p, n);
}
inline DecodedChar DecodeUtf8(const std::string& s, size_t i) {
  return DecodeUtf8(reinterpret_cast<const unsigned char*>(s.data()) + i, s.size() - i);
}

// Screen cells of a character: 2 for East Asian wide and full-width characters, 0 for
// combining marks and zero-width format characters (they join the cell before them),
// 1 for every other character, control codes included (they show as one sign).
int CellWidth(char32_t cp);
// A format character (Unicode category Cf): direction controls such as U+202E, zero-width
// characters such as U+200B and U+FEFF, the soft hyphen; invisible, or reordering what
// follows them.
bool IsFormatChar(char32_t cp);
// Both in one look-up: bits 0-1 hold CellWidth, bit 2 (kFormatChar) is set for a format
// character.
constexpr int kFormatChar = 4;
int CellInfo(char32_t cp);
// CellInfo of every character below U+10000, indexed by the character (for loops that
// look up many).
const uint8_t* FirstPlaneCellInfo();

// The simple upper case of a character (itself when it has none or when its upper case
// is more than one character, as for "ß").
char32_t SimpleUpper(char32_t cp);
// An upper-case letter: its own upper case, and the upper case of another character.
bool IsUpperCase(char32_t cp);

// The Windows-1252 code of a character, -1 when that set lacks it (the inverse of
// Cp1252ToUnicode: every byte maps back to itself).
int UnicodeToCp1252(char32_t cp);

void AppendUtf8(std::string& out, char32_t cp);
// Upper case of UTF-8 text character by character; bytes outside valid sequences stay.
std::string UpperUtf8(const std::string& s);
// Upper case in place that keeps the length: a character whose upper case has a UTF-8
// form of another length stays as it is (so do bytes outside valid sequences).
void UpperUtf8SameLength(char* p, size_t n);
// The upper case of a name as the lister keeps it: per character and keeping the length
// in UTF-8 (as UpperUtf8SameLength), else Windows-1252 upper case.
std::string UpperName(const std::string& s, bool utf8);
// Screen cells of UTF-8 text (a byte outside a valid sequence takes one cell), and the
// bytes of its longest start that takes at most `cells` cells without cutting a
// character (combining marks after the last character kept are kept with it).
int32_t Utf8Cells(std::string_view s);
size_t Utf8CutBytes(std::string_view s, int32_t cells);
// The characters of UTF-8 text (in simple upper case when `upper`); a byte outside a
// valid sequence becomes kStrayByteBase + the byte, equal to no character.
constexpr char32_t kStrayByteBase = 0x110000;
std::u32string Utf8Chars(std::string_view s, bool upper = false);
// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(const std::string& s);

// Case-blind search in UTF-8 text. A character of the pattern matches every character
// with the same simple upper case whose UTF-8 form is as long as its own, so a match is
// always as long as the pattern (the few case pairs of different lengths, such as the
// dotless i and I, match only as typed); a byte outside a valid sequence matches itself.
class CaseBlindUtf8 {
 public:
  explicit CaseBlindUtf8(const std::string& pattern);
  const std::string& Pattern() const { return pattern_; }
  // 0-based start of the first match that starts within lo..hi, -1 when there is none
  // (t must hold hi + pattern length bytes).
  int64_t Find(const unsigned char* t, int64_t lo, int64_t hi) const;

 private:
  bool Allowed(size_t pos, unsigned char b) const { return (sets_[pos][b >> 6] >> (b & 63)) & 1; }
  bool MatchAt(const unsigned char* t) const;
  struct Element {
    size_t offset;
    std::vector<std::string> spellings;  // checked whole when the byte sets may mix two
  };
  std::string pattern_;
  std::vector<std::array<uint64_t, 4>> sets_;  // the bytes allowed at each position
  std::vector<Element> checked_;
  unsigned char firsts_[2] = {0, 0}, lasts_[2] = {0, 0};
  int nFirst_ = 0, nLast_ = 0;  // 0: more than two bytes
};

}  // namespace tembra
