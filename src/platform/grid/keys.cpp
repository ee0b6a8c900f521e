#include "platform/grid/keys.h"

#include <cctype>
#include <string_view>

#include "core/text.h"
#include "platform/keycodes.h"

namespace tembra::grid {

namespace {

struct Punct {
  char plain, shifted;
  int vk;
};
constexpr Punct kPunct[] = {{';', ':', kVkSemicolon},    {'=', '+', kVkEquals},       {',', '<', kVkComma},
                            {'-', '_', kVkMinus},        {'.', '>', kVkPeriod},       {'/', '?', kVkSlash},
                            {'`', '~', kVkBackquote},    {'[', '{', kVkOpenBracket},  {'\\', '|', kVkBackslash},
                            {']', '}', kVkCloseBracket}, {'\'', '"', kVkQuote}};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

// The character a key gives with a shift state, or -1.
int CharFor(int vk, int shift) {
  bool sh = shift & kShift, ctrl = shift & kCtrl, alt = shift & kAlt;
  if (alt) return -1;
  if (vk >= 'A' && vk <= 'Z') return ctrl ? vk - 64 : (sh ? vk : vk + 32);
  if (ctrl) {
    switch (vk) {
      case kVkEnter: return kChLineFeed;
      case kVkBack: return kChDelete;
      case kVkSpace: return ' ';
      case kVkEsc: return kChEsc;
      // Ctrl+[, Ctrl+\ and Ctrl+] type the control characters 27, 28 and 29.
      case kVkOpenBracket: return '[' - 64;
      case kVkBackslash: return '\\' - 64;
      case kVkCloseBracket: return ']' - 64;
      default: return -1;
    }
  }
  if (vk >= '0' && vk <= '9') return sh ? kShiftedDigits[vk - '0'] : vk;
  for (const Punct& p : kPunct)
    if (p.vk == vk) return sh ? p.shifted : p.plain;
  switch (vk) {
    case kVkEnter: return kChEnter;
    case kVkEsc: return kChEsc;
    case kVkBack: return kChBackspace;
    case kVkSpace: return ' ';
    case kVkTab: return kChTab;
    case kVkMultiply: return '*';
    case kVkAdd: return '+';
    case kVkSubtract: return '-';
    case kVkDecimal: return '.';
    case kVkDivide: return '/';
    default: break;
  }
  if (vk >= kVkNumpad0 && vk <= kVkNumpad0 + 9) return '0' + (vk - kVkNumpad0);
  return -1;
}

}  // namespace

KeyStroke TypedKey(unsigned char c) {
  KeyStroke k;
  if (c >= 'a' && c <= 'z') { k.vk = c - 32; k.ch = c; return k; }
  if (c >= 'A' && c <= 'Z') { k.vk = c; k.shift = kShift; k.ch = c; return k; }
  if (c >= '0' && c <= '9') { k.vk = c; k.ch = c; return k; }
  for (int d = 0; d < 10; ++d)
    if (kShiftedDigits[d] == c) { k.vk = '0' + d; k.shift = kShift; k.ch = c; return k; }
  for (const Punct& p : kPunct) {
    if (p.plain == static_cast<char>(c)) { k.vk = p.vk; k.ch = c; return k; }
    if (p.shifted == static_cast<char>(c)) { k.vk = p.vk; k.shift = kShift; k.ch = c; return k; }
  }
  switch (c) {
    case ' ': k.vk = kVkSpace; break;
    case '\t': k.vk = kVkTab; break;
    case '\r': case '\n': k.vk = kVkEnter; c = kChEnter; break;
    case kChEsc: k.vk = kVkEsc; break;
    case kChBackspace: k.vk = kVkBack; break;
    default: k.vk = 0; break;  // no key on the layout: the character alone
  }
  k.ch = c;
  return k;
}

KeyStroke KeyOf(int vk, int shift) {
  KeyStroke k;
  k.vk = vk;
  k.shift = shift;
  k.ch = CharFor(vk, shift);
  return k;
}

std::optional<KeyStroke> CharKey(unsigned char c, int shift) {
  KeyStroke t = TypedKey(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (t.vk == 0) return std::nullopt;
  return KeyOf(t.vk, shift | t.shift);  // a shifted punctuation character brings its Shift along
}

std::optional<KeyStroke> NamedKey(const std::string& name, int shift) {
  KeyStroke k;
  k.shift = shift;
  std::string u = UCase(name);
  static const struct { std::string_view n; int vk; } kNames[] = {
      {"ENTER", kVkEnter}, {"ESC", kVkEsc},         {"ESCAPE", kVkEsc},     {"TAB", kVkTab},
      {"SPACE", kVkSpace}, {"BACKSPACE", kVkBack},  {"UP", kVkUp},          {"DOWN", kVkDown},
      {"LEFT", kVkLeft},   {"RIGHT", kVkRight},     {"PGUP", kVkPgUp},      {"PAGEUP", kVkPgUp},
      {"PGDN", kVkPgDn},   {"PAGEDOWN", kVkPgDn},   {"HOME", kVkHome},      {"END", kVkEnd},
      {"INSERT", kVkInsert}, {"DELETE", kVkDelete}};
  for (auto& e : kNames)
    if (u == e.n) return KeyOf(e.vk, shift);
  if (u.size() >= 2 && u[0] == 'F' && std::isdigit(static_cast<unsigned char>(u[1]))) {
    int n = std::atoi(u.c_str() + 1);
    if (n >= 1 && n <= 12 && u == "F" + std::to_string(n)) { k.vk = kVkF1 + n - 1; return k; }
  }
  if (u.size() == 1) return CharKey(static_cast<unsigned char>(u[0]), shift);
  bool digits = !u.empty();
  for (char c : u) digits = digits && std::isdigit(static_cast<unsigned char>(c));
  if (digits && u.size() <= 3) {
    const int vk = std::atoi(u.c_str());
    if (vk < 1 || vk > kVkLast) return std::nullopt;
    return KeyOf(vk, shift);
  }
  return std::nullopt;
}

}  // namespace tembra::grid
