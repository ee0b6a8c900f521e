#include "platform/win_rules.h"

#include "core/text.h"
#include "core/unicode.h"

namespace tembra {

std::vector<std::string> SplitWinPath(const std::string& s) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == '\\' || c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

std::string ResolveWinPath(const std::string& path, char drive, const std::function<std::string(char)>& currentOf) {
  std::string rest = path;
  const char letter = rest.size() >= 2 && rest[1] == ':' ? rest[0] : 0;
  if ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) {
    drive = rest[0];
    rest = rest.substr(2);
  }
  drive = static_cast<char>(UpperChar(static_cast<unsigned char>(drive)));
  std::vector<std::string> parts;
  const bool absolute = !rest.empty() && (rest[0] == '\\' || rest[0] == '/');
  if (!absolute) parts = SplitWinPath(currentOf(drive).substr(2));
  for (const std::string& p : SplitWinPath(rest)) {
    if (p == ".") continue;
    if (p == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(p);
  }
  std::string out = std::string(1, drive) + ":";
  if (parts.empty()) return out + "\\";
  for (const std::string& p : parts) out += "\\" + p;
  // Keep a final "\" the caller wrote.
  if (!rest.empty() && (rest.back() == '\\' || rest.back() == '/')) out += "\\";
  return out;
}

namespace {

bool PlainAsciiText(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// "*" any run, "?" any one unit; same(a, b) compares a name unit with a pattern unit.
template <class Text, class Same>
bool MatchUnits(const Text& name, const Text& pat, Same same) {
  size_t n = 0, p = 0, starP = Text::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size() && pat[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pat.size() && (pat[p] == '?' || same(name[n], pat[p]))) {
      ++p;
      ++n;
    } else if (starP != Text::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

}  // namespace

bool MatchesFindPattern(const std::string& name, const std::string& pat, bool utf8) {
  if (utf8 && (!PlainAsciiText(name) || !PlainAsciiText(pat)))
    return MatchUnits(Utf8Chars(name, true), Utf8Chars(pat, true), [](char32_t a, char32_t b) { return a == b; });
  return MatchUnits(name, pat, [](char a, char b) {
    return UpperChar(static_cast<unsigned char>(a)) == UpperChar(static_cast<unsigned char>(b));
  });
}

DateTime CalendarOfFileTime(uint64_t ft) {
  int64_t secs = static_cast<int64_t>(ft / 10000000ULL);
  int ms = static_cast<int>((ft % 10000000ULL) / 10000ULL);
  int64_t days = secs / 86400, rem = secs % 86400;
  // Civil date from days since 1970-01-01 (1601-01-01 lies 134774 days before it).
  int64_t z = days - 134774 + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t d = doy - (153 * mp + 2) / 5 + 1;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
  DateTime out;
  out.year = static_cast<int>(y);
  out.month = static_cast<int>(m);
  out.day = static_cast<int>(d);
  out.hour = static_cast<int>(rem / 3600);
  out.minute = static_cast<int>((rem % 3600) / 60);
  out.second = static_cast<int>(rem % 60);
  out.millisecond = ms;
  return out;
}

}  // namespace tembra
