// The UTF-8 / UTF-16 conversion of the Windows names and window texts.
#include <gtest/gtest.h>

#include "core/utf16.h"

using namespace tembra;

TEST(Utf16Names, Utf8NamesConvertBothWays) {
  const std::string bytes = "\xCE\xB1\xCE\xB2\xCE\xB3 \xE6\x96\x87\xE4\xBB\xB6.txt \xF0\x9F\x98\x80";  // αβγ 文件.txt 😀
  const std::u16string text = u"\u03B1\u03B2\u03B3 \u6587\u4EF6.txt \U0001F600";
  EXPECT_EQ(Utf8ToUtf16(bytes), text);
  EXPECT_EQ(Utf16ToUtf8(text), bytes);
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf16ToUtf8(u""), "");
}

TEST(Utf16Names, StrayBytesAreTheirWindows1252Characters) {
  // "caf\xE9", the bullet 0x95, a sequence cut short, an overlong form.
  EXPECT_EQ(Utf8ToUtf16("caf\xE9 \x95 \xE6\x96 \xC0\xAF"), u"caf\u00E9 \u2022 \u00E6\u2013 \u00C0\u00AF");
  // Once through UTF-16 they come back as UTF-8.
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("caf\xE9")), "caf\xC3\xA9");
}

TEST(Utf16Names, LoneSurrogatesComeBackExactly) {
  // A lone surrogate, high or low, at either end of the surrogate range, alone or next
  // to a pair: its three bytes lead back to it.
  for (const std::u16string& name : {std::u16string(u"a") + char16_t(0xD800) + u".txt",
                                     std::u16string(1, char16_t(0xDFFF)),
                                     std::u16string(1, char16_t(0xDBFF)) + u"x" + char16_t(0xDC00),
                                     std::u16string(u"\U0001F600") + char16_t(0xDC00) + u"\U0001F600",
                                     std::u16string(1, char16_t(0xD83D))}) {
    const std::string bytes = Utf16ToUtf8(name);
    EXPECT_EQ(Utf8ToUtf16(bytes), name);
  }
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xED\xA0\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDFFF))), "\xED\xBF\xBF");
  // The last character before the surrogates is ordinary UTF-8; ED with a byte above
  // 0xBF or without its third byte is two or one stray bytes.
  EXPECT_EQ(Utf8ToUtf16("\xED\x9F\xBF"), u"\uD7FF");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0"), u"\u00ED\u00A0");
  EXPECT_EQ(Utf8ToUtf16("\xED\xC0\x80"), u"\u00ED\u00C0\u20AC");
}
