// The keys as the program receives them: Windows virtual-key codes (US layout), the
// shift-state bits that come with them, and the character codes of the keys that type a
// control character. Every front-end and every key handler takes them from here.
#pragma once

namespace tembra {

// Shift state of a key or mouse event.
constexpr int kShift = 1, kCtrl = 2, kAlt = 4;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr int kVkBack = 8, kVkTab = 9, kVkEnter = 13, kVkShift = 16, kVkEsc = 27, kVkSpace = 32;
constexpr int kVkPgUp = 33, kVkPgDn = 34, kVkEnd = 35, kVkHome = 36;
constexpr int kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40;
constexpr int kVkInsert = 45, kVkDelete = 46;
// The numeric keypad: digits kVkNumpad0 + n, then the operator keys.
constexpr int kVkNumpad0 = 96, kVkMultiply = 106, kVkAdd = 107, kVkSeparator = 108, kVkSubtract = 109,
              kVkDecimal = 110, kVkDivide = 111;
// Function keys: kVkF1 + n - 1 for Fn.
constexpr int kVkF1 = 112, kVkF2 = 113, kVkF3 = 114, kVkF4 = 115, kVkF5 = 116, kVkF6 = 117, kVkF7 = 118,
              kVkF8 = 119, kVkF9 = 120, kVkF10 = 121, kVkF11 = 122, kVkF12 = 123;
// The punctuation keys of the US layout (named by their unshifted character).
constexpr int kVkSemicolon = 186, kVkEquals = 187, kVkComma = 188, kVkMinus = 189, kVkPeriod = 190,
              kVkSlash = 191, kVkBackquote = 192, kVkOpenBracket = 219, kVkBackslash = 220,
              kVkCloseBracket = 221, kVkQuote = 222;
// The highest code a key may have.
constexpr int kVkLast = 254;

// Character codes of the keys that type control characters.
constexpr int kChCtrlF = 6, kChBackspace = 8, kChTab = 9, kChLineFeed = 10, kChEnter = 13, kChEsc = 27, kChDelete = 127;

}  // namespace tembra
