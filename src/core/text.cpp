#include "core/text.h"

#include "core/unicode.h"

#include <cmath>
#include <cstdlib>

namespace tembra {

std::string Mid(const std::string& s, long start, long length) {
  if (start < 1) start = 1;
  if (static_cast<size_t>(start) > s.size()) return std::string();
  size_t from = static_cast<size_t>(start - 1);
  if (length < 0) return s.substr(from);
  return s.substr(from, static_cast<size_t>(length));
}

std::string Left(const std::string& s, long n) {
  if (n <= 0) return std::string();
  return s.substr(0, static_cast<size_t>(n));
}

std::string Right(const std::string& s, long n) {
  if (n <= 0) return std::string();
  if (static_cast<size_t>(n) >= s.size()) return s;
  return s.substr(s.size() - static_cast<size_t>(n));
}

long InStr(long start, const std::string& s, const std::string& find) {
  if (start < 1) start = 1;
  if (static_cast<size_t>(start) > s.size() + 1) return 0;
  size_t p = s.find(find, static_cast<size_t>(start - 1));
  return p == std::string::npos ? 0 : static_cast<long>(p + 1);
}

long InStrRev(const std::string& s, const std::string& find) {
  size_t p = s.rfind(find);
  return p == std::string::npos ? 0 : static_cast<long>(p + 1);
}

unsigned char UpperChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 224 && c <= 254 && c != 247) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 154: return 138;  // s caron
    case 156: return 140;  // oe
    case 158: return 142;  // z caron
    case 255: return 159;  // y diaeresis
    default: return c;
  }
}

unsigned char LowerChar(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 192 && c <= 222 && c != 215) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 138: return 154;
    case 140: return 156;
    case 142: return 158;
    case 159: return 255;
    default: return c;
  }
}

std::string UCase(std::string s) {
  for (char& c : s) c = static_cast<char>(UpperChar(static_cast<unsigned char>(c)));
  return s;
}

std::string LCase(std::string s) {
  for (char& c : s) c = static_cast<char>(LowerChar(static_cast<unsigned char>(c)));
  return s;
}

std::string LTrim(const std::string& s) {
  size_t a = s.find_first_not_of(' ');
  return a == std::string::npos ? std::string() : s.substr(a);
}

std::string RTrim(const std::string& s) {
  size_t b = s.find_last_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(0, b + 1);
}

std::string Trim(const std::string& s) { return LTrim(RTrim(s)); }
std::string Space(long n) { return n > 0 ? std::string(static_cast<size_t>(n), ' ') : std::string(); }
std::string String(long n, char c) { return n > 0 ? std::string(static_cast<size_t>(n), c) : std::string(); }
std::string Chr(int code) { return std::string(1, static_cast<char>(code & 0xFF)); }
int Asc(const std::string& s) { return s.empty() ? -1 : static_cast<unsigned char>(s[0]); }

double Val(const std::string& s) {
  size_t i = 0;
  auto skip = [&] { while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i; };
  skip();
  if (i + 1 < s.size() && s[i] == '&') {
    char k = static_cast<char>(UpperChar(static_cast<unsigned char>(s[i + 1])));
    int base = k == 'H' ? 16 : k == 'O' ? 8 : 0;
    if (base) {
      i += 2;
      int64_t v = 0;
      bool any = false;
      while (i < s.size()) {
        int c = UpperChar(static_cast<unsigned char>(s[i]));
        int d = (c >= '0' && c <= '9') ? c - '0' : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (d < 0 || d >= base) break;
        v = v * base + d;
        any = true;
        if (v > 0xFFFFFFFFLL) break;
        ++i;
      }
      if (!any) return 0;
      // Hexadecimal and octal forms are 16- or 32-bit signed values.
      if (v <= 0xFFFF) return static_cast<double>(v >= 0x8000 ? v - 0x10000 : v);
      return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    }
  }
  std::string num;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) num += s[i++];
  bool dot = false, digits = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') { num += c; digits = true; }
    else if (c == '.' && !dot) { num += c; dot = true; }
    else if (c == ' ' || c == '\t') continue;  // blanks inside numbers are skipped
    else break;
  }
  if (digits && i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::string exp = "e";
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
    bool ed = false;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') { exp += s[j++]; ed = true; }
    if (ed) num += exp;
  }
  if (!digits) return 0;
  return std::strtod(num.c_str(), nullptr);
}

int64_t RoundHalfEven(double x) {
  if (!std::isfinite(x)) return 0;
  double f = std::floor(x);
  double diff = x - f;
  if (diff > 0.5) return static_cast<int64_t>(f) + 1;
  if (diff < 0.5) return static_cast<int64_t>(f);
  int64_t fi = static_cast<int64_t>(f);
  return (fi % 2 == 0) ? fi : fi + 1;
}

std::string Format(double value, const std::string& pattern) {
  // Split the pattern into prefix literal, number part and suffix literal.
  size_t first = pattern.find_first_of("0#,.");
  if (first == std::string::npos) return pattern;
  size_t last = pattern.find_last_of("0#,.");
  std::string prefix = pattern.substr(0, first);
  std::string body = pattern.substr(first, last - first + 1);
  std::string suffix = pattern.substr(last + 1);

  size_t dot = body.find('.');
  std::string ipart = dot == std::string::npos ? body : body.substr(0, dot);
  std::string fpart = dot == std::string::npos ? std::string() : body.substr(dot + 1);
  bool group = ipart.find(',') != std::string::npos;
  int minInt = 0;
  for (char c : ipart) if (c == '0') ++minInt;
  int reqDec = 0, maxDec = 0;
  for (char c : fpart) {
    if (c == '0') { ++reqDec; ++maxDec; }
    else if (c == '#') ++maxDec;
  }

  bool negative = value < 0;
  double a = std::fabs(value);
  // Round to maxDec decimals, halves to even. The power of ten is built by multiplying:
  // exact up to 10^22, as pow's is, without pow's tables, which would stay resident.
  double scale = 1.0;
  for (int i = 0; i < maxDec; ++i) scale *= 10.0;
  long double scaled = static_cast<long double>(a) * scale;
  // Whole-number values of any size keep all their digits.
  std::string digits;
  if (scaled < 9.0e18L) {
    uint64_t n = static_cast<uint64_t>(RoundHalfEven(static_cast<double>(scaled)));
    digits = std::to_string(n);
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0Lf", scaled);
    digits = buf;
  }
  if (static_cast<int>(digits.size()) <= maxDec) digits = std::string(maxDec - digits.size() + 1, '0') + digits;
  std::string intDigits = digits.substr(0, digits.size() - maxDec);
  std::string decDigits = digits.substr(digits.size() - maxDec);
  // Drop optional trailing decimals.
  while (static_cast<int>(decDigits.size()) > reqDec && !decDigits.empty() && decDigits.back() == '0') decDigits.pop_back();
  // Leading zeros: no more than needed, at least minInt digits.
  size_t nz = intDigits.find_first_not_of('0');
  intDigits = nz == std::string::npos ? std::string() : intDigits.substr(nz);
  if (static_cast<int>(intDigits.size()) < minInt) intDigits = std::string(minInt - intDigits.size(), '0') + intDigits;
  if (group && intDigits.size() > 3) {
    // The leading group has one to three digits, every later group three.
    std::string g;
    const size_t lead = intDigits.size() % 3 == 0 ? 3 : intDigits.size() % 3;
    g.append(intDigits, 0, lead);
    for (size_t i = lead; i < intDigits.size(); i += 3) g.append(1, ',').append(intDigits, i, 3);
    intDigits = std::move(g);
  }
  std::string out = intDigits;
  if (dot != std::string::npos) out += "." + decDigits;
  bool allZero = out.find_first_of("123456789") == std::string::npos;
  if (negative && !allZero) out = "-" + out;
  return prefix + out + suffix;
}

std::string Hex(int64_t value) {
  static const char* d = "0123456789ABCDEF";
  uint64_t v = static_cast<uint64_t>(value);
  if (value < 0 && value >= INT32_MIN) v = static_cast<uint32_t>(value);
  if (v == 0) return "0";
  std::string out;
  while (v) { out.insert(out.begin(), d[v & 15]); v >>= 4; }
  return out;
}

std::string Str(int64_t value) { return std::to_string(value); }

std::string Cp1252ToUtf8(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (unsigned char c : s) AppendUtf8(out, Cp1252ToUnicode(c));
  return out;
}

std::string Utf8ToCp1252(const std::string& s, bool* ok) {
  std::string out;
  bool good = true;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t u;
    int len;
    if (c < 0x80) { u = c; len = 1; }
    else if ((c & 0xE0) == 0xC0) { u = c & 0x1F; len = 2; }
    else if ((c & 0xF0) == 0xE0) { u = c & 0x0F; len = 3; }
    else if ((c & 0xF8) == 0xF0) { u = c & 0x07; len = 4; }
    else { out += '?'; good = false; ++i; continue; }
    if (i + len > s.size()) { out += '?'; good = false; break; }
    bool bad = false;
    for (int k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) { bad = true; break; }
      u = (u << 6) | (cc & 0x3F);
    }
    // Reject overlong forms so that every accepted name converts back to the same bytes.
    if (!bad && ((len == 2 && u < 0x80) || (len == 3 && u < 0x800) || (len == 4 && u < 0x10000))) bad = true;
    if (bad) { out += '?'; good = false; ++i; continue; }
    i += len;
    int code = -1;
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) code = static_cast<int>(u);
    else
      for (int k = 0; k < 32; ++k)
        if (kCp1252High[k] == u) { code = 0x80 + k; break; }
    if (code < 0) { out += '?'; good = false; }
    else out += static_cast<char>(code);
  }
  if (ok) *ok = good;
  return out;
}

}  // namespace tembra
