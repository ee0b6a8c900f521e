// Extended regular expressions (the syntax of grep -E) read into a tree, checked, and
// written out in the regular expression library's own syntax; with the bytes every match
// must contain in a row, for a fast search that skips lines which cannot match.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/byte_seq.h"
#include "search/pattern.h"

namespace tembra::search {

// A bracket expression or a class escape (\w \W \s \S): ranges of characters (bytes in
// Windows-1252) and named classes ("alpha", ..., or "w", "W", "s", "S").
struct CharClass {
  bool negated = false;
  std::vector<std::pair<char32_t, char32_t>> ranges;
  std::vector<std::string> named;
};

struct EreNode {
  enum Kind : uint8_t { kEmpty, kChar, kClass, kAny, kLineStart, kLineEnd, kWordEdge, kNotWordEdge,
                        kWordStart, kWordEnd, kConcat, kAlt, kRepeat };
  Kind kind = kEmpty;
  char32_t ch = 0;       // kChar: the character (the byte in Windows-1252)
  CharClass cls;         // kClass
  int32_t min = 0, max = 0;  // kRepeat; max -1: no maximum
  int32_t column = 1;    // where it starts in the pattern's text
  std::vector<EreNode> kids;
};

struct EreTree {
  EreNode root;
  bool hasUpper = false;  // a letter of the pattern's own is upper case
};

// How a tree is written out.
struct EreTarget {
  Charset charset = Charset::kUtf8;
  bool caseBlind = false;
  const std::array<uint16_t, 256>* fold = nullptr;  // Windows-1252 case folding
};

// Reads a pattern; fills `error` and returns nothing when it is wrong.
std::optional<EreTree> ParseEre(std::string_view text, const EreTarget& target, PatternError& error);

struct EreOutput {
  std::string line;    // matches within one line's text
  std::string buffer;  // finds candidates in a buffer of lines (never fewer than `line`)
  ByteSeq factor;      // bytes in a row every match contains (empty: none known)
};
std::optional<EreOutput> WriteEre(const EreTree& tree, const EreTarget& target, PatternError& error);

// The bytes a literal text matches (case folding of Windows-1252, or ASCII-only folding
// of UTF-8 where it is safe; empty when the text has a letter folding needs more for).
ByteSeq LiteralSeq(std::string_view text, const EreTarget& target);

// Every byte that folds as b does (b alone when case counts).
ByteSet FoldSet(unsigned char b, const EreTarget& target);
// The bytes of one character (empty when a case-blind UTF-8 match may be spelt with bytes
// of another length).
ByteSeq CharSeq(char32_t ch, const EreTarget& target);

// Whether a text has an upper-case letter (smart case of a literal text).
bool HasUpper(std::string_view text, const EreTarget& target);

// The Windows-1252 case folding of the simple upper case of each character.
const std::array<uint16_t, 256>& DefaultFold1252();

}  // namespace tembra::search
