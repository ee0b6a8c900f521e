// Turns the bytes a terminal sends into the events a Windows keyboard and mouse give:
// virtual-key code, shift state (kShift, kCtrl, kAlt) and character; mouse buttons
// (1 left, 2 right, 4 middle) on 1-based cells.
#pragma once

#include <deque>
#include <string>

namespace tembra::terminal {

struct InputEvent {
  enum class Kind { Key, KeyUp, Mouse, Wheel, Focus };  // KeyUp: the release of a key already delivered
  Kind kind = Kind::Key;
  int vk = 0;       // key-down/up code, 0 for a character alone
  int shift = 0;    // kShift, kCtrl, kAlt
  int ch = -1;      // character event, -1 for none
  char32_t cp = 0;  // the character typed, also one Windows-1252 lacks (ch is then -1); 0: none
  int button = 0;   // mouse: 1 left, 2 right, 4 middle
  bool press = false;  // mouse: press (true) or release; focus: gained (true) or lost
  int col = 0, row = 0;  // mouse: 1-based cell
  int wheel = 0;    // -1 up, +1 down
};

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
  void Named(const char* name, int shift);
  void Char(unsigned char c, int alt);
  void Codepoint(char32_t cp, int alt);
  std::string buf_;
  bool utf8_;
};

}  // namespace tembra::terminal
