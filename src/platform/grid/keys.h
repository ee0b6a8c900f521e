// Keys as a Windows keyboard (US layout) produces them: virtual-key code, shift state
// (kShift, kCtrl, kAlt) and the character event, if any. The terminal front-end decodes
// its input into them; the test driver's scripts name them.
#pragma once

#include <optional>
#include <string>

#include "platform/keycodes.h"

namespace tembra::grid {

struct KeyStroke {
  int vk = 0;      // 0: no key-down/up, only the character
  int shift = 0;
  int ch = -1;     // character event code, -1 for none
};

// The key vk with a shift state, and the character it types (-1 for none).
KeyStroke KeyOf(int vk, int shift);
// The key that types the character c (a letter in either case is its unshifted key),
// the Shift it needs added to shift; nullopt when no key types it.
std::optional<KeyStroke> CharKey(unsigned char c, int shift);
// A named key ("a", "Enter", "F5", "*", "187") with modifiers; nullopt for an unknown name.
std::optional<KeyStroke> NamedKey(const std::string& name, int shift);
// The key that types one Windows-1252 character.
KeyStroke TypedKey(unsigned char c);

}  // namespace tembra::grid
