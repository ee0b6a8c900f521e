// Turns the bytes a terminal sends into the events a Windows keyboard and mouse give:
// virtual-key code, shift state (kShift, kCtrl, kAlt) and character; mouse buttons
// (1 left, 2 right, 4 middle) on 1-based cells.
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "platform/grid/key_queue.h"

namespace tembra::terminal {

using grid::InputEvent;
using grid::KeyStroke;

class InputDecoder {
 public:
  // utf8: the terminal sends UTF-8 (else single bytes are taken as Windows-1252).
  explicit InputDecoder(bool utf8 = true) : utf8_(utf8) {}
  // Adds bytes read from the terminal and decodes every complete sequence.
  void Feed(const std::string& bytes);
  // True when undecoded bytes wait that may still become a longer sequence (a lone Esc).
  bool Pending() const { return !buf_.empty(); }
  // No more bytes came in time: decode what waits as it stands (a lone Esc is the Esc key).
  void Timeout();
  std::deque<InputEvent> events;

 private:
  // Decodes one item at the start of buf_; returns the bytes used, 0 when incomplete.
  size_t DecodeOne(bool final);
  size_t DecodeCsi(size_t start, int alt, bool final);
  size_t DecodeSs3(size_t start, int alt, bool final);
  void LegacyMouse(int b, int col, int row);
  void SgrMouse(int b, int col, int row, bool press);
  void OtherKey(int code, int shift);
  void CodeKey(int code, int shift);
  void Key(int vk, int shift, int ch, char32_t cp = 0);
  // The key vk with the character it types.
  void Vk(int vk, int shift);
  // A key found for a character, if any.
  void Stroke(const std::optional<KeyStroke>& k);
  void Char(unsigned char c, int alt);
  void Codepoint(char32_t cp, int alt);
  std::string buf_;
  bool utf8_;
};

}  // namespace tembra::terminal
