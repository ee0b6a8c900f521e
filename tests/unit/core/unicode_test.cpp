#include <gtest/gtest.h>

#include "core/text.h"
#include "core/unicode.h"

using namespace tembra;

namespace {
DecodedChar D(const std::string& s) { return DecodeUtf8(s, 0); }
}  // namespace

TEST(Unicode, DecodeValidSequencesAtTheirBounds) {
  EXPECT_EQ(D("A").cp, U'A');
  auto two = D("\xC2\x80"), three = D("\xE0\xA0\x80"), four = D("\xF0\x9F\x98\x80"), top = D("\xF4\x8F\xBF\xBF");
  EXPECT_TRUE(two.valid && two.len == 2 && two.cp == 0x80);
  EXPECT_TRUE(three.valid && three.len == 3 && three.cp == 0x800);
  EXPECT_TRUE(four.valid && four.len == 4 && four.cp == 0x1F600);
  EXPECT_TRUE(top.valid && top.cp == 0x10FFFF);
  EXPECT_EQ(D("\xC3\xA9").cp, U'\u00E9');
  EXPECT_EQ(D("\xED\x9F\xBF").cp, 0xD7FFu);  // last code point before the surrogates
  auto ff01 = D("\xEF\xBC\x81");  // the last lead byte of the three-byte range
  EXPECT_TRUE(ff01.valid && ff01.len == 3 && ff01.cp == 0xFF01);
}

TEST(Unicode, InvalidBytesAreTheirWindows1252Characters) {
  for (const char* bad : {"\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",  // overlong
                          "\xED\xA0\x80", "\xED\xBF\xBF",                              // surrogates
                          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",                      // above U+10FFFF
                          "\xE6\x96", "\xF0\x9F\x98", "\xC3", "\xC3(", "\x80", "\xFF"}) {
    DecodedChar d = D(bad);
    EXPECT_FALSE(d.valid) << bad;
    EXPECT_EQ(d.len, 1) << bad;
  }
  EXPECT_EQ(D("\x80").cp, U'\u20AC');  // the euro sign of Windows-1252
  EXPECT_EQ(D("\xE9t\xE9").cp, U'\u00E9');
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9 \xE6\x96\x87"));
}

TEST(Unicode, CellWidthsAtRangeEnds) {
  EXPECT_EQ(CellWidth(U'a'), 1);
  EXPECT_EQ(CellWidth(U'\u00E9'), 1);
  EXPECT_EQ(CellWidth(0x10FF), 1);
  EXPECT_EQ(CellWidth(0x1100), 2);  // first Hangul leading jamo
  EXPECT_EQ(CellWidth(0x115F), 2);
  EXPECT_EQ(CellWidth(0x1160), 0);  // medial vowels join the syllable
  EXPECT_EQ(CellWidth(0x4DFF), 1);  // hexagram, between two wide blocks
  EXPECT_EQ(CellWidth(0x4E00), 2);
  EXPECT_EQ(CellWidth(0x9FFF), 2);
  EXPECT_EQ(CellWidth(0xFF01), 2);  // full-width exclamation mark
  EXPECT_EQ(CellWidth(0xFF60), 2);
  EXPECT_EQ(CellWidth(0xFF61), 1);  // half-width katakana punctuation
  EXPECT_EQ(CellWidth(0x20000), 2);
  EXPECT_EQ(CellWidth(0x1F600), 2);
  EXPECT_EQ(CellWidth(0x2FF), 1);
  EXPECT_EQ(CellWidth(0x300), 0);  // first combining mark
  EXPECT_EQ(CellWidth(0x36F), 0);
  EXPECT_EQ(CellWidth(0x370), 1);
  EXPECT_EQ(CellWidth(0x200B), 0);
}

TEST(Unicode, FormatCharactersAtRangeEnds) {
  for (char32_t cp : {0xADu, 0x600u, 0x61Cu, 0x200Bu, 0x200Fu, 0x202Au, 0x202Eu, 0x2066u, 0x2069u, 0xFEFFu, 0xFFFBu,
                      0xE0001u, 0xE007Fu})
    EXPECT_TRUE(IsFormatChar(cp)) << std::hex << static_cast<uint32_t>(cp);
  for (char32_t cp : {0xACu, 0xAEu, 0x200Au, 0x2010u, 0x2065u, 0xFEFEu, 0xFFFCu, 0xE0080u, 0x10FFFFu})
    EXPECT_FALSE(IsFormatChar(cp)) << std::hex << static_cast<uint32_t>(cp);
}

TEST(Unicode, SimpleUpperCase) {
  EXPECT_EQ(SimpleUpper(U'z'), U'Z');
  EXPECT_EQ(SimpleUpper(U'{'), U'{');
  EXPECT_EQ(SimpleUpper(U'\u00E9'), U'\u00C9');
  EXPECT_EQ(SimpleUpper(U'\u00FF'), U'\u0178');
  EXPECT_EQ(SimpleUpper(U'\u00DF'), U'\u00DF');  // sharp s: its upper case is two letters
  EXPECT_EQ(SimpleUpper(U'\u03C2'), U'\u03A3');  // final sigma
  EXPECT_EQ(SimpleUpper(U'\u0444'), U'\u0424');
  EXPECT_EQ(SimpleUpper(U'\u0424'), U'\u0424');
  EXPECT_EQ(SimpleUpper(0x10428), 0x10400u);    // Deseret, four bytes
  EXPECT_EQ(UpperUtf8("caf\xC3\xA9 \xE9"), "CAF\xC3\x89 \xE9");
}

TEST(Unicode, Windows1252RoundTrip) {
  for (int b = 0; b < 256; ++b) EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<unsigned char>(b))), b);
  EXPECT_EQ(UnicodeToCp1252(U'\u0100'), -1);
  EXPECT_EQ(UnicodeToCp1252(U'\u0080'), -1);  // the euro sign's code is not its own character
}

TEST(Unicode, CaseBlindSearch) {
  auto find = [](const std::string& pattern, const std::string& text) {
    CaseBlindUtf8 f(pattern);
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    return f.Find(t, 0, static_cast<int64_t>(text.size()) - static_cast<int64_t>(pattern.size()));
  };
  EXPECT_EQ(find("CAF\xC3\x89", "un caf\xC3\xA9!"), 3);
  EXPECT_EQ(find("caf\xC3\xA9", "CAF\xC3\x89"), 0);
  EXPECT_EQ(find("\xD0\xBC\xD0\xB8\xD1\x80", "\xD0\x9C\xD0\x98\xD0\xA0"), 0);  // мир / МИР
  // The byte sets of ф (D1 84) and Ф (D0 A4) also allow D0 84 (Є): not a match.
  EXPECT_EQ(find("\xD1\x84", "\xD0\x84 \xD0\xA4"), 3);
  EXPECT_EQ(find("\xCF\x83", "\xCF\x82\xCE\xA3"), 0);  // σ finds final ς (both upper-case to Σ)
  EXPECT_EQ(find("caf\xE9", "CAF\xC9 caf\xE9"), 5);   // a stray byte matches only itself
  EXPECT_EQ(find("bear", std::string(40, 'x') + "BEAr"), 40);  // beyond the first 16-byte block
  EXPECT_EQ(find("bear", "beer bea"), -1);
  EXPECT_EQ(find("abc", "axc"), -1);  // only the second byte differs
  // A letter whose other case is longer or shorter in UTF-8 does not match it: the
  // dotless i (C4 B1) is not "i", the long s (C5 BF) is not "s" and must not let "s"
  // match the first byte of Ł (C5 81).
  EXPECT_EQ(find("dim", "d\xC4\xB1x"), -1);
  EXPECT_EQ(find("s", "\xC5\x81"), -1);
  EXPECT_EQ(find("s", "\xC5\xBF"), -1);
}
