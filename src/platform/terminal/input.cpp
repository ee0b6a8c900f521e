#include "platform/terminal/input.h"

#include <cstdlib>
#include <vector>

#include "core/text.h"
#include "core/unicode.h"
#include "platform/grid/keys.h"
#include "platform/keycodes.h"

namespace tembra::terminal {

using grid::KeyStroke;
using grid::CharKey;
using grid::KeyOf;
using grid::TypedKey;

namespace {
// xterm's modifier parameter (1 + Shift 1, Alt 2, Ctrl 4, Meta 8) as Windows shift bits.
int ShiftFromParam(int m) {
  if (m < 2) return 0;
  int x = m - 1;
  return ((x & 1) ? kShift : 0) | ((x & 4) ? kCtrl : 0) | ((x & 2) || (x & 8) ? kAlt : 0);
}

std::vector<int> Params(const std::string& text) {
  std::vector<int> p;
  std::string cur;
  bool sub = false;
  for (char c : text) {
    if (c == ';') {
      p.push_back(cur.empty() ? 0 : std::atoi(cur.c_str()));
      cur.clear();
      sub = false;
    } else if (c == ':') {
      sub = true;  // sub-parameters: the first value counts
    } else if (c >= '0' && c <= '9' && !sub && cur.size() < 6) {
      cur += c;
    }
  }
  p.push_back(cur.empty() ? 0 : std::atoi(cur.c_str()));
  return p;
}

// The key of "CSI code ~", 0 for none.
int TildeKey(int code) {
  switch (code) {
    case 1: case 7: return kVkHome;
    case 2: return kVkInsert;
    case 3: return kVkDelete;
    case 4: case 8: return kVkEnd;
    case 5: return kVkPgUp;
    case 6: return kVkPgDn;
    case 11: case 12: case 13: case 14: case 15: return kVkF1 + code - 11;
    case 17: case 18: case 19: case 20: case 21: return kVkF6 + code - 17;
    case 23: return kVkF11;
    case 24: return kVkF12;
    default: return 0;
  }
}

// The key of a sequence ending in a letter (CSI A, SS3 P), 0 for none.
int LetterKey(char f) {
  switch (f) {
    case 'A': return kVkUp;
    case 'B': return kVkDown;
    case 'C': return kVkRight;
    case 'D': return kVkLeft;
    case 'H': return kVkHome;
    case 'F': return kVkEnd;
    case 'P': case 'Q': case 'R': case 'S': return kVkF1 + (f - 'P');
    default: return 0;
  }
}

// A mouse event on a cell, with the shift state of a report's button byte (4 Shift,
// 8 Meta, 16 Ctrl).
InputEvent MouseAt(int b, int col, int row) {
  InputEvent e;
  e.kind = InputEvent::Kind::Mouse;
  e.shift = ((b & 4) ? kShift : 0) | ((b & 16) ? kCtrl : 0) | ((b & 8) ? kAlt : 0);
  e.col = col;
  e.row = row;
  return e;
}

// Length of a UTF-8 sequence from its first byte, 0 when it cannot start one.
size_t Utf8Length(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}
}  // namespace

void InputDecoder::Key(int vk, int shift, int ch, char32_t cp) {
  if (vk == 0 && ch < 0 && cp == 0) return;
  InputEvent e;
  e.vk = vk;
  e.shift = shift;
  e.ch = ch;
  e.cp = cp ? cp : ch >= 0 ? Cp1252ToUnicode(static_cast<unsigned char>(ch)) : 0;
  events.push_back(e);
}

void InputDecoder::Vk(int vk, int shift) {
  const KeyStroke k = KeyOf(vk, shift);
  Key(k.vk, k.shift, k.ch);
}

void InputDecoder::Stroke(const std::optional<KeyStroke>& k) {
  if (k) Key(k->vk, k->shift, k->ch);
}

void InputDecoder::Char(unsigned char c, int alt) {
  switch (c) {
    case kChEnter: Vk(kVkEnter, alt); return;
    case kChTab: Vk(kVkTab, alt); return;
    case kChBackspace: case kChDelete: Vk(kVkBack, alt); return;
    case 0: Vk(kVkSpace, kCtrl | alt); return;
    case kChLineFeed: Key('J', kCtrl | alt, alt ? -1 : kChLineFeed); return;
    case kChEsc: Vk(kVkEsc, alt); return;
    case '\\' - 64: Vk(kVkEsc, kShift | alt); return;  // Ctrl+\ stands in for Shift+Esc
    case ']' - 64: Key(kVkCloseBracket, kCtrl | alt, alt ? -1 : c); return;  // Ctrl+]
    case '^' - 64: Key('6', kShift | kCtrl | alt, -1); return;           // Ctrl+^
    case '_' - 64: Key(kVkSlash, kCtrl | alt, -1); return;               // Ctrl+/ (and Ctrl+_)
    default: break;
  }
  if (c < ' ') {
    Key('A' + c - 1, kCtrl | alt, alt ? -1 : c);
    return;
  }
  if (c < 128) {
    KeyStroke k = TypedKey(c);
    if (alt) Key(k.vk, k.shift | alt, -1);
    else Key(k.vk, k.shift, k.ch);
    return;
  }
  Key(0, 0, c);  // a Windows-1252 character without a key of its own
}

void InputDecoder::Codepoint(char32_t cp, int alt) {
  if (cp < 128) {
    Char(static_cast<unsigned char>(cp), alt);
    return;
  }
  // A character Windows-1252 lacks has no key and no byte: only a text field in UTF-8
  // takes it.
  const int b = UnicodeToCp1252(cp);
  Key(0, 0, b >= 0x80 ? b : -1, cp);
}

// A legacy mouse report (button byte, column and row, each less 32).
void InputDecoder::LegacyMouse(int b, int col, int row) {
  InputEvent e = MouseAt(b, col, row);
  if (b & 64) {
    e.kind = InputEvent::Kind::Wheel;
    e.wheel = (b & 1) ? 1 : -1;
    events.push_back(e);
  } else if (!(b & 32)) {
    int btn = b & 3;
    e.press = btn != 3;
    e.button = btn == 3 ? 0 : btn == 0 ? 1 : btn == 1 ? 4 : 2;
    events.push_back(e);
  }
}

// An SGR mouse report: CSI < button;col;row M (press) or m (release).
void InputDecoder::SgrMouse(int b, int col, int row, bool press) {
  InputEvent e = MouseAt(b, col, row);
  if (b & 64) {
    if (press) {
      e.kind = InputEvent::Kind::Wheel;
      e.wheel = (b & 1) ? 1 : -1;
      events.push_back(e);
    }
  } else if (!(b & 32)) {
    int btn = b & 3;
    e.press = press;
    e.button = btn == 0 ? 1 : btn == 1 ? 4 : btn == 2 ? 2 : 0;
    events.push_back(e);
  }
}

// A key of xterm's modifyOtherKeys (CSI 27;mod;code~): the character code of the key.
void InputDecoder::OtherKey(int code, int shift) {
  if (code <= 0 || code >= 128) return;
  if (code >= 'A' && code <= 'Z') shift |= kShift;
  if (code == kChDelete) Vk(kVkBack, shift);
  else Stroke(CharKey(static_cast<unsigned char>(code), shift));
}

// A key of the "CSI code;mod u" form: the Unicode code of the key's unshifted character.
void InputDecoder::CodeKey(int code, int shift) {
  if (code == kChEnter) Vk(kVkEnter, shift);
  else if (code == kChEsc) Vk(kVkEsc, shift);
  else if (code == kChTab) Vk(kVkTab, shift);
  else if (code == kChDelete) Vk(kVkBack, shift);
  else if (code >= 'a' && code <= 'z') Stroke(CharKey(static_cast<unsigned char>(code), shift));
  else if (code > ' ' && code < kChDelete) {
    KeyStroke k = TypedKey(static_cast<unsigned char>(code));
    if (k.vk) Vk(k.vk, shift | k.shift);
  }
}

size_t InputDecoder::DecodeCsi(size_t start, int alt, bool final) {
  size_t i = start;
  if (i >= buf_.size()) return 0;
  // Legacy mouse report: CSI M followed by three bytes.
  if (buf_[i] == 'M') {
    if (buf_.size() < i + 4) return 0;
    LegacyMouse(static_cast<unsigned char>(buf_[i + 1]) - 32, static_cast<unsigned char>(buf_[i + 2]) - 32,
                static_cast<unsigned char>(buf_[i + 3]) - 32);
    return i + 4;
  }
  // Linux console F1-F5: CSI [ A..E.
  if (buf_[i] == '[') {
    if (buf_.size() < i + 2) return 0;
    char f = buf_[i + 1];
    if (f >= 'A' && f <= 'E') Vk(kVkF1 + (f - 'A'), alt);
    return i + 2;
  }
  bool sgrMouse = buf_[i] == '<';
  bool privateMark = buf_[i] == '<' || buf_[i] == '?' || buf_[i] == '>' || buf_[i] == '=';
  if (privateMark) ++i;
  std::string params;
  while (i < buf_.size()) {
    unsigned char c = static_cast<unsigned char>(buf_[i]);
    if (c >= 0x30 && c <= 0x3F) {
      params += static_cast<char>(c);
      ++i;
    } else {
      break;
    }
  }
  while (i < buf_.size()) {
    unsigned char c = static_cast<unsigned char>(buf_[i]);
    if (c >= 0x20 && c <= 0x2F) ++i;
    else break;
  }
  if (i >= buf_.size()) return 0;
  unsigned char f = static_cast<unsigned char>(buf_[i]);
  if (f < 0x40 || f > 0x7E) return i;  // broken sequence: dropped up to the stray byte
  size_t used = i + 1;
  std::vector<int> p = Params(params);
  if (sgrMouse) {
    if ((f == 'M' || f == 'm') && p.size() >= 3) SgrMouse(p[0], p[1], p[2], f == 'M');
    return used;
  }
  if (privateMark) return used;
  int shift = alt;
  if (f == '~') {
    if (p[0] == 27 && p.size() >= 3) {  // modifyOtherKeys: CSI 27;mod;code~
      OtherKey(p[2], shift | ShiftFromParam(p[1]));
      return used;
    }
    if (p.size() >= 2) shift |= ShiftFromParam(p[1]);
    if (const int vk = TildeKey(p[0])) Vk(vk, shift);
    return used;
  }
  if (f == 'u') {  // CSI code;mod u
    if (p.size() >= 2) shift |= ShiftFromParam(p[1]);
    CodeKey(p[0], shift);
    return used;
  }
  if (f == 'Z') {
    Vk(kVkTab, shift | kShift | (p.size() >= 2 ? ShiftFromParam(p[1]) : 0));
    return used;
  }
  if (f == 'I' || f == 'O') {
    if (params.empty()) {
      InputEvent e;
      e.kind = InputEvent::Kind::Focus;
      e.press = f == 'I';
      events.push_back(e);
    }
    return used;
  }
  if (const int vk = LetterKey(static_cast<char>(f))) {
    if (p.size() >= 2) shift |= ShiftFromParam(p[1]);
    Vk(vk, shift);
  }
  return used;
}

size_t InputDecoder::DecodeSs3(size_t start, int alt, bool final) {
  size_t i = start;
  std::string digits;
  while (i < buf_.size() && buf_[i] >= '0' && buf_[i] <= '9') digits += buf_[i++];
  if (i >= buf_.size()) return 0;
  char f = buf_[i];
  int shift = alt | (digits.empty() ? 0 : ShiftFromParam(std::atoi(digits.c_str())));
  if (const int vk = LetterKey(f)) {
    Vk(vk, shift);
  } else if (f == 'M') {
    Vk(kVkEnter, shift);
  } else if (f >= 'p' && f <= 'y') {
    Key(kVkNumpad0 + (f - 'p'), shift, (shift & (kCtrl | kAlt)) ? -1 : '0' + (f - 'p'));
  } else {
    static const struct { char f; int vk; char c; } kPad[] = {{'j', kVkMultiply, '*'},
                                                              {'k', kVkAdd, '+'},
                                                              {'m', kVkSubtract, '-'},
                                                              {'n', kVkDecimal, '.'},
                                                              {'o', kVkDivide, '/'}};
    for (auto& k : kPad)
      if (k.f == f) Key(k.vk, shift, (shift & (kCtrl | kAlt)) ? -1 : k.c);
  }
  return i + 1;
}

size_t InputDecoder::DecodeOne(bool final) {
  unsigned char c = static_cast<unsigned char>(buf_[0]);
  if (c == kChEsc) {
    if (buf_.size() == 1) {
      if (!final) return 0;
      Vk(kVkEsc, 0);
      return 1;
    }
    unsigned char c2 = static_cast<unsigned char>(buf_[1]);
    if (c2 == '[' || c2 == 'O') {
      size_t n = c2 == '[' ? DecodeCsi(2, 0, final) : DecodeSs3(2, 0, final);
      if (n) return n;
      if (!final) return 0;
      if (buf_.size() > 2) return buf_.size();  // a sequence cut off: dropped
      Char(c2, kAlt);  // Alt+[ or Alt+O
      return 2;
    }
    if (c2 == kChEsc) {
      // Esc Esc [ ...: some terminals send Alt+cursor keys this way.
      if (buf_.size() >= 3 && (buf_[2] == '[' || buf_[2] == 'O')) {
        size_t n = buf_[2] == '[' ? DecodeCsi(3, kAlt, final) : DecodeSs3(3, kAlt, final);
        if (n) return n;
        if (!final) return 0;
      } else if (buf_.size() == 2 && !final) {
        return 0;
      }
      Vk(kVkEsc, 0);
      return 1;
    }
    if (c2 < ' ' || c2 == kChDelete) {
      // Esc and a control key in one read: two keys (Alt+Tab and the like never
      // reach a Windows program either).
      Vk(kVkEsc, 0);
      return 1;
    }
    if (c2 < 128) {
      Char(c2, kAlt);
      return 2;
    }
    size_t len = utf8_ ? Utf8Length(c2) : 0;
    if (len == 0) {
      Char(c2, kAlt);
      return 2;
    }
    if (buf_.size() < 1 + len) {
      if (!final) return 0;
      return buf_.size();
    }
    std::string u = buf_.substr(1, len);
    bool ok = true;
    std::string b = Utf8ToCp1252(u, &ok);
    if (ok && b.size() == 1) {
      KeyStroke k = TypedKey(static_cast<unsigned char>(b[0]));
      if (k.vk) Key(k.vk, k.shift | kAlt, -1);
    }
    return 1 + len;
  }
  if (c < 128 || !utf8_) {
    Char(c, 0);
    return 1;
  }
  size_t len = Utf8Length(c);
  if (len == 0) {
    Char(c, 0);  // not UTF-8: taken as the Windows-1252 byte it is
    return 1;
  }
  if (buf_.size() < len) return final ? buf_.size() : 0;
  char32_t cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
  for (size_t k = 1; k < len; ++k) {
    unsigned char t = static_cast<unsigned char>(buf_[k]);
    if ((t & 0xC0) != 0x80) {
      Char(c, 0);
      return 1;
    }
    cp = (cp << 6) | (t & 0x3F);
  }
  Codepoint(cp, 0);
  return len;
}

void InputDecoder::Feed(const std::string& bytes) {
  buf_ += bytes;
  while (!buf_.empty()) {
    size_t n = DecodeOne(false);
    if (n == 0) break;
    buf_.erase(0, n);
  }
}

void InputDecoder::Timeout() {
  while (!buf_.empty()) {
    size_t n = DecodeOne(true);
    if (n == 0) n = 1;
    buf_.erase(0, n);
  }
}

}  // namespace tembra::terminal
