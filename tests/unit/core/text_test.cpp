#include <gtest/gtest.h>

#include "core/text.h"

using namespace tembra;

TEST(Text, MidLeftRightInStr) {
  EXPECT_EQ(Mid("ABCDEF", 2, 3), "BCD");
  EXPECT_EQ(Mid("ABCDEF", 5), "EF");
  EXPECT_EQ(Mid("ABC", 4, 2), "");
  EXPECT_EQ(Mid("ABC", 0, 2), "AB");
  EXPECT_EQ(Left("ABC", 5), "ABC");
  EXPECT_EQ(Left("ABC", -1), "");
  EXPECT_EQ(Right("ABC", 2), "BC");
  EXPECT_EQ(Right("ABC", 9), "ABC");
  EXPECT_EQ(InStr("ABCABC", "C"), 3);
  EXPECT_EQ(InStr(4, "ABCABC", "C"), 6);
  EXPECT_EQ(InStr(7, "ABCABC", "C"), 0);
  EXPECT_EQ(InStr("ABC", ""), 1);
  EXPECT_EQ(InStrRev("A\\B\\C", "\\"), 4);
}

TEST(Text, CaseInWindows1252) {
  EXPECT_EQ(UCase("abc\xe9\xff\x9a"), "ABC\xc9\x9f\x8a");
  EXPECT_EQ(UCase("\xf7\xdf"), "\xf7\xdf");  // division sign and sharp s stay
  EXPECT_EQ(LCase("ABC\xc9"), "abc\xe9");
}

TEST(Text, FormatPatterns) {
  EXPECT_EQ(Format(57, "####0"), "57");
  EXPECT_EQ(Format(0, "####0"), "0");
  EXPECT_EQ(Format(1234567, "##,###,##0"), "1,234,567");
  EXPECT_EQ(Format(999, "##,###,##0"), "999");
  EXPECT_EQ(Format(1234, "####,##0"), "1,234");
  EXPECT_EQ(Format(42, "#00000000000"), "00000000042");
  EXPECT_EQ(Format(50, "##0.0"), "50.0");
  EXPECT_EQ(Format(12.25, "##0.0"), "12.2");   // halves to even
  EXPECT_EQ(Format(12.35, "##0.0"), "12.4");
  EXPECT_EQ(Format(7, "0000"), "0007");
  EXPECT_EQ(Format(2.5, "#0"), "2");
  EXPECT_EQ(Format(3.5, "#0"), "4");
  EXPECT_EQ(Format(-5, "#0"), "-5");
  EXPECT_EQ(Format(36000.5, "#####.##"), "36000.5");
  EXPECT_EQ(Format(1e12, "##,###,##0"), "1,000,000,000,000");
}

TEST(Text, RoundHalfEvenAndVal) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(2.6), 3);
  EXPECT_DOUBLE_EQ(Val("  12ab"), 12);
  EXPECT_DOUBLE_EQ(Val("-3.5"), -3.5);
  EXPECT_DOUBLE_EQ(Val("&H1F"), 31);
  EXPECT_DOUBLE_EQ(Val("&HFFFF"), -1);
  EXPECT_DOUBLE_EQ(Val("x1"), 0);
  EXPECT_DOUBLE_EQ(Val("1 000"), 1000);
  EXPECT_EQ(Hex(1234567), "12D687");
  EXPECT_EQ(Hex(0), "0");
}

TEST(Text, Windows1252AndUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("\x95"), "\xe2\x80\xa2");  // bullet
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xe2\x82\xac");  // euro
  bool ok = false;
  EXPECT_EQ(Utf8ToCp1252("caf\xc3\xa9 \xe2\x82\xac", &ok), "caf\xe9 \x80");
  EXPECT_TRUE(ok);
  Utf8ToCp1252("\xce\xb1", &ok);  // Greek alpha has no Windows-1252 code
  EXPECT_FALSE(ok);
  Utf8ToCp1252("\xc3", &ok);  // truncated sequence
  EXPECT_FALSE(ok);
  Utf8ToCp1252("\xc0\xaf", &ok);  // overlong form
  EXPECT_FALSE(ok);
  for (int c = 0; c < 256; ++c) {
    std::string one(1, static_cast<char>(c));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one), &ok), one) << c;
  }
}
