#include "platform/headless/keys.h"

#include <cctype>

#include "core/text.h"

namespace tembra::headless {

namespace {

struct Punct {
  char plain, shifted;
  int vk;
};
constexpr Punct kPunct[] = {{';', ':', 186}, {'=', '+', 187}, {',', '<', 188}, {'-', '_', 189},
                            {'.', '>', 190}, {'/', '?', 191}, {'`', '~', 192}, {'[', '{', 219},
                            {'\\', '|', 220}, {']', '}', 221}, {'\'', '"', 222}};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

// The character a key gives with a shift state, or -1.
int CharFor(int vk, int shift) {
  bool sh = shift & 1, ctrl = shift & 2, alt = shift & 4;
  if (alt) return -1;
  if (vk >= 'A' && vk <= 'Z') return ctrl ? vk - 64 : (sh ? vk : vk + 32);
  if (ctrl) {
    switch (vk) {
      case 13: return 10;
      case 8: return 127;
      case 32: return 32;
      case 27: return 27;
      case 219: return 27;
      case 220: return 28;
      case 221: return 29;
      default: return -1;
    }
  }
  if (vk >= '0' && vk <= '9') return sh ? kShiftedDigits[vk - '0'] : vk;
  for (const Punct& p : kPunct)
    if (p.vk == vk) return sh ? p.shifted : p.plain;
  switch (vk) {
    case 13: case 27: case 8: case 32: return vk;
    case 9: return 9;
    case 106: return '*';
    case 107: return '+';
    case 109: return '-';
    case 110: return '.';
    case 111: return '/';
    default: break;
  }
  if (vk >= 96 && vk <= 105) return '0' + (vk - 96);
  return -1;
}

}  // namespace

KeyStroke TypedKey(unsigned char c) {
  KeyStroke k;
  if (c >= 'a' && c <= 'z') { k.vk = c - 32; k.ch = c; return k; }
  if (c >= 'A' && c <= 'Z') { k.vk = c; k.shift = 1; k.ch = c; return k; }
  if (c >= '0' && c <= '9') { k.vk = c; k.ch = c; return k; }
  for (int d = 0; d < 10; ++d)
    if (kShiftedDigits[d] == c) { k.vk = '0' + d; k.shift = 1; k.ch = c; return k; }
  for (const Punct& p : kPunct) {
    if (p.plain == static_cast<char>(c)) { k.vk = p.vk; k.ch = c; return k; }
    if (p.shifted == static_cast<char>(c)) { k.vk = p.vk; k.shift = 1; k.ch = c; return k; }
  }
  switch (c) {
    case ' ': k.vk = 32; break;
    case '\t': k.vk = 9; break;
    case '\r': case '\n': k.vk = 13; c = 13; break;
    case 27: k.vk = 27; break;
    case 8: k.vk = 8; break;
    default: k.vk = 0; break;  // no key on the layout: the character alone
  }
  k.ch = c;
  return k;
}

std::optional<KeyStroke> NamedKey(const std::string& name, int shift) {
  KeyStroke k;
  k.shift = shift;
  std::string u = UCase(name);
  static const struct { const char* n; int vk; } kNames[] = {
      {"ENTER", 13}, {"ESC", 27}, {"ESCAPE", 27}, {"TAB", 9}, {"SPACE", 32}, {"BACKSPACE", 8},
      {"UP", 38}, {"DOWN", 40}, {"LEFT", 37}, {"RIGHT", 39}, {"PGUP", 33}, {"PAGEUP", 33},
      {"PGDN", 34}, {"PAGEDOWN", 34}, {"HOME", 36}, {"END", 35}, {"INSERT", 45}, {"DELETE", 46}};
  for (auto& e : kNames)
    if (u == e.n) { k.vk = e.vk; k.ch = CharFor(k.vk, shift); return k; }
  if (u.size() >= 2 && u[0] == 'F' && std::isdigit(static_cast<unsigned char>(u[1]))) {
    int n = std::atoi(u.c_str() + 1);
    if (n >= 1 && n <= 12 && u == "F" + std::to_string(n)) { k.vk = 111 + n; return k; }
  }
  if (u.size() == 1) {
    KeyStroke t = TypedKey(static_cast<unsigned char>(u[0] >= 'A' && u[0] <= 'Z' ? u[0] + 32 : u[0]));
    if (t.vk == 0) return std::nullopt;
    k.vk = t.vk;
    k.shift = shift | t.shift;  // a shifted punctuation character brings its Shift along
    k.ch = CharFor(k.vk, k.shift);
    return k;
  }
  bool digits = !u.empty();
  for (char c : u) digits = digits && std::isdigit(static_cast<unsigned char>(c));
  if (digits && u.size() <= 3) {
    k.vk = std::atoi(u.c_str());
    if (k.vk < 1 || k.vk > 254) return std::nullopt;
    k.ch = CharFor(k.vk, shift);
    return k;
  }
  return std::nullopt;
}

}  // namespace tembra::headless
