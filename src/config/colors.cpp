// Colour words: names, prefixes of names, six hexadecimal digits, brightness signs.
#include <algorithm>

#include "core/lister.h"
#include "screen/message_catalogue.h"

namespace tembra {

namespace {

// RRGGBB, a blank, the name. The first entry that matches wins, so the order matters.
const char* const kColorTable[] = {
    "FF0000 RED",         "FFFF00 YELLOW",        "00FF00 GREEN",      "00FFFF CYAN",
    "0000FF BLUE",        "FF00FF MAGENTA",       "FFFFFF WHITE",      "000000 BLACK",
    "000000 K",           "9F9F9F A",             "A52A2A BROWN",      "5C3317 CHOCOLATE",
    "9F9F9F E",           "FFD700 GOLD",          "9F9F9F GRAY",       "9F9F9F GREY",
    "00B140 GS",          "F0E68C KHAKI",         "B40082 INDIGO",     "F04F00 INTERNATIONAL",
    "F04F00 IO",          "32CD32 LIME GREEN",    "800000 MAROON",     "000080 NAVY",
    "FFA500 ORANGE",      "FF7900 OSAFETY",       "F04F00 OINTERNATIONAL", "6B8E23 OLIVE",
    "EED5B7 PEACH",       "A020F0 PURPLE",        "C0C0C0 SILVER",     "87CEEB SKY",
    "FF6800 SAFETY ORANGE", "FF6800 SORANGE",     "D2B48C TAN",        "40E0D0 TURQUOISE",
    "EE82EE VIOLET",
};

// Longest run of one sign character in the word, at most 5.
int LongestRun(const std::string& w, char sign) {
  int best = 0, run = 0;
  for (char c : w) {
    run = c == sign ? run + 1 : 0;
    best = std::max(best, run);
  }
  return std::min(best, 5);
}

}  // namespace

int32_t Lister::HEX2LONG(const std::string& ZHEX) {
  if (ZHEX.size() < 2) return -1;
  int digit[2];
  for (int k = 0; k < 2; ++k) {
    int code = UpperChar(static_cast<unsigned char>(ZHEX[k]));
    if (code > 57) code -= 7;
    if (code < 48 || code > 63) return -1;
    digit[k] = code - 48;
  }
  return 16 * digit[0] + digit[1];
}

int32_t Lister::SelectColor(const std::string& zColorI) {
  if (zColorI.empty()) return -1;
  std::string W = UCase(zColorI);
  static const int kDarker[6] = {0, 20, 36, 50, 60, 68};
  static const int kLighter[6] = {0, 29, 50, 65, 75, 82};
  int s = 0, t = 0;
  if (int minus = LongestRun(W, '-'); minus > 0) {
    s = kDarker[minus];
  } else if (int plus = LongestRun(W, '+'); plus > 0) {
    s = kLighter[plus];
    t = 255;
  }
  for (char& c : W)
    if (c == '+' || c == '-') c = ' ';
  W = Trim(W);
  long n = static_cast<long>(W.size());

  const char* winner = nullptr;
  for (long m = n; !winner; --m) {
    for (const char* entry : kColorTable) {
      std::string name = std::string(entry).substr(7);
      if (Left(name, m) == Left(W, m)) {
        winner = entry;
        break;
      }
    }
    if (m - 1 < 3) break;
  }

  int32_t rgb[3];
  std::string hex = winner ? std::string(winner, 6) : W;
  if (!winner && W.size() != 6) return -1;
  for (int k = 0; k < 3; ++k) {
    rgb[k] = HEX2LONG(Mid(hex, 2 * k + 1, 2));
    if (rgb[k] < 0) return -1;
  }
  // c' = (1 - s/100) c + (s/100) t, in hundredths, rounded half to even.
  for (int32_t& c : rgb) {
    int32_t num = (100 - s) * c + s * t;
    int32_t q = num / 100, r = num % 100;
    if (r > 50 || (r == 50 && (q & 1))) ++q;
    c = q;
  }
  return rgb[2] * 65536 + rgb[1] * 256 + rgb[0];
}

void Lister::PickAColor(int role) {
  if (role < kColorText || role >= kColorRoles) return;
  std::string title = MsgText(Msg::VX0008, zColorName[role]);
  std::string answer = InputBox("Choices: ROY G. BIV, CMYK, or ?", title, "");
  if (InStr(answer, "?") > 0) {
    answer = InputBox(
        "Red/Orange/Yellow/Green/Blue/Indigo/Violet/Cyan\r\n/Magenta/blacK/White/grAy/BROwn/GOld/Lime/\r\n"
        "/OLIve/Peach/Purple/Silver/Tan/Turquoise",
        title, "");
  }
  int32_t v = SelectColor(answer);
  if (v >= 0) {
    lColor[role] = static_cast<uint32_t>(v);
    bRepaint = true;
  } else {
    VXERROR(MsgText(Msg::VX8014));
    Beep();
  }
}

}  // namespace tembra
