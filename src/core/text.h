// Single-byte text helpers. Text is Windows-1252, one byte one character; positions
// are 1-based as in the record layouts the program works with.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

// Characters start..start+length-1 (1-based); a start past the end gives "".
std::string Mid(const std::string& s, long start, long length = -1);
std::string Left(const std::string& s, long n);
std::string Right(const std::string& s, long n);
// 1-based position of find in s at or after start, 0 when absent. An empty find
// returns start (when start <= length + 1).
long InStr(long start, const std::string& s, const std::string& find);
inline long InStr(const std::string& s, const std::string& find) { return InStr(1, s, find); }
// Last occurrence, 0 when absent.
long InStrRev(const std::string& s, const std::string& find);

// Upper / lower case in the Windows-1252 code page.
unsigned char UpperChar(unsigned char c);
unsigned char LowerChar(unsigned char c);
std::string UCase(std::string s);
std::string LCase(std::string s);

std::string Trim(const std::string& s);   // blanks at both ends
std::string LTrim(const std::string& s);
std::string RTrim(const std::string& s);
std::string Space(long n);
std::string String(long n, char c);
std::string Chr(int code);
int Asc(const std::string& s);  // code of the first character, -1 for ""

// Leading number of a text: blanks skipped, optional sign, digits, one decimal point,
// exponent, or &H / &O forms. 0 when none.
double Val(const std::string& s);

// Rounds to the nearest integer, halves to the even neighbour.
int64_t RoundHalfEven(double x);

// Numeric pattern: "0" a required digit, "#" an optional digit, "," groups thousands,
// "." the decimal point; other characters before or after are copied.
std::string Format(double value, const std::string& pattern);
// Upper-case hexadecimal digits of a whole number, no leading zeros ("0" for 0).
std::string Hex(int64_t value);
// Whole number as decimal text, no blanks.
std::string Str(int64_t value);

// Windows-1252 code of one byte as a Unicode code point (the five undefined codes map
// to themselves).
inline constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
constexpr char32_t Cp1252ToUnicode(unsigned char c) {
  return c >= 0x80 && c < 0xA0 ? char32_t{kCp1252High[c - 0x80]} : char32_t{c};
}
std::string Cp1252ToUtf8(const std::string& s);
// Converts UTF-8 to Windows-1252; ok is false when a sequence is invalid or a
// character has no Windows-1252 code (those become "?").
std::string Utf8ToCp1252(const std::string& s, bool* ok = nullptr);

}  // namespace tembra
