#include "platform/terminal/input.h"

#include <cstdlib>
#include <vector>

#include "core/text.h"
#include "platform/headless/keys.h"

namespace tembra::terminal {

using headless::KeyStroke;
using headless::NamedKey;
using headless::TypedKey;

namespace {
constexpr char kEsc = 27;

// xterm's modifier parameter (1 + Shift 1, Alt 2, Ctrl 4, Meta 8) as Windows shift bits.
int ShiftFromParam(int m) {
  if (m < 2) return 0;
  int x = m - 1;
  return ((x & 1) ? 1 : 0) | ((x & 4) ? 2 : 0) | ((x & 2) || (x & 8) ? 4 : 0);
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

const char* TildeKey(int code) {
  switch (code) {
    case 1: case 7: return "HOME";
    case 2: return "INSERT";
    case 3: return "DELETE";
    case 4: case 8: return "END";
    case 5: return "PGUP";
    case 6: return "PGDN";
    case 11: return "F1";
    case 12: return "F2";
    case 13: return "F3";
    case 14: return "F4";
    case 15: return "F5";
    case 17: return "F6";
    case 18: return "F7";
    case 19: return "F8";
    case 20: return "F9";
    case 21: return "F10";
    case 23: return "F11";
    case 24: return "F12";
    default: return nullptr;
  }
}

const char* LetterKey(char f) {
  switch (f) {
    case 'A': return "UP";
    case 'B': return "DOWN";
    case 'C': return "RIGHT";
    case 'D': return "LEFT";
    case 'H': return "HOME";
    case 'F': return "END";
    case 'P': return "F1";
    case 'Q': return "F2";
    case 'R': return "F3";
    case 'S': return "F4";
    default: return nullptr;
  }
}

// Length of a UTF-8 sequence from its first byte, 0 when it cannot start one.
size_t Utf8Length(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}
}  // namespace

void InputDecoder::Key(int vk, int shift, int ch) {
  if (vk == 0 && ch < 0) return;
  InputEvent e;
  e.vk = vk;
  e.shift = shift;
  e.ch = ch;
  events.push_back(e);
}

void InputDecoder::Named(const char* name, int shift) {
  if (auto k = NamedKey(name, shift)) Key(k->vk, k->shift, k->ch);
}

void InputDecoder::Char(unsigned char c, int alt) {
  switch (c) {
    case 13: Named("ENTER", alt); return;
    case 9: Named("TAB", alt); return;
    case 8: case 127: Named("BACKSPACE", alt); return;
    case 0: Named("SPACE", 2 | alt); return;
    case 10: Key('J', 2 | alt, alt ? -1 : 10); return;
    case 27: Named("ESC", alt); return;
    case 28: Named("ESC", 1 | alt); return;        // Ctrl+\ stands in for Shift+Esc
    case 29: Key(221, 2 | alt, alt ? -1 : 29); return;  // Ctrl+]
    case 30: Key('6', 3 | alt, -1); return;        // Ctrl+^
    case 31: Key(191, 2 | alt, -1); return;        // Ctrl+/ (and Ctrl+_)
    default: break;
  }
  if (c < 32) {
    Key('A' + c - 1, 2 | alt, alt ? -1 : c);
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
  std::string u;
  if (cp < 0x800) {
    u += static_cast<char>(0xC0 | (cp >> 6));
  } else if (cp < 0x10000) {
    u += static_cast<char>(0xE0 | (cp >> 12));
    u += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  } else {
    u += static_cast<char>(0xF0 | (cp >> 18));
    u += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    u += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  }
  u += static_cast<char>(0x80 | (cp & 0x3F));
  bool ok = true;
  std::string b = Utf8ToCp1252(u, &ok);
  if (ok && b.size() == 1) Key(0, 0, static_cast<unsigned char>(b[0]));
  // Characters that Windows-1252 lacks cannot be typed into the program.
}

size_t InputDecoder::DecodeCsi(size_t start, int alt, bool final) {
  size_t i = start;
  if (i >= buf_.size()) return 0;
  // Legacy mouse report: CSI M followed by three bytes.
  if (buf_[i] == 'M') {
    if (buf_.size() < i + 4) return 0;
    int b = static_cast<unsigned char>(buf_[i + 1]) - 32;
    int x = static_cast<unsigned char>(buf_[i + 2]) - 32;
    int y = static_cast<unsigned char>(buf_[i + 3]) - 32;
    InputEvent e;
    e.kind = InputEvent::Kind::Mouse;
    e.shift = ((b & 4) ? 1 : 0) | ((b & 16) ? 2 : 0) | ((b & 8) ? 4 : 0);
    e.col = x;
    e.row = y;
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
    return i + 4;
  }
  // Linux console F1-F5: CSI [ A..E.
  if (buf_[i] == '[') {
    if (buf_.size() < i + 2) return 0;
    char f = buf_[i + 1];
    if (f >= 'A' && f <= 'E') {
      std::string n = "F" + std::to_string(f - 'A' + 1);
      Named(n.c_str(), alt);
    }
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
    if ((f == 'M' || f == 'm') && p.size() >= 3) {
      int b = p[0];
      InputEvent e;
      e.kind = InputEvent::Kind::Mouse;
      e.shift = ((b & 4) ? 1 : 0) | ((b & 16) ? 2 : 0) | ((b & 8) ? 4 : 0);
      e.col = p[1];
      e.row = p[2];
      if (b & 64) {
        if (f == 'M') {
          e.kind = InputEvent::Kind::Wheel;
          e.wheel = (b & 1) ? 1 : -1;
          events.push_back(e);
        }
      } else if (!(b & 32)) {
        int btn = b & 3;
        e.press = f == 'M';
        e.button = btn == 0 ? 1 : btn == 1 ? 4 : btn == 2 ? 2 : 0;
        events.push_back(e);
      }
    }
    return used;
  }
  if (privateMark) return used;
  int shift = alt;
  if (f == '~') {
    if (p[0] == 27 && p.size() >= 3) {  // modifyOtherKeys: CSI 27;mod;code~
      shift |= ShiftFromParam(p[1]);
      int code = p[2];
      if (code > 0 && code < 128) {
        std::string n(1, static_cast<char>(code));
        if (code >= 'A' && code <= 'Z') {
          n[0] = static_cast<char>(code + 32);
          shift |= 1;
        }
        if (code == 13) n = "ENTER";
        else if (code == 27) n = "ESC";
        else if (code == 9) n = "TAB";
        else if (code == 127 || code == 8) n = "BACKSPACE";
        else if (code == 32) n = "SPACE";
        Named(n.c_str(), shift);
      }
      return used;
    }
    if (p.size() >= 2) shift |= ShiftFromParam(p[1]);
    if (const char* name = TildeKey(p[0])) Named(name, shift);
    return used;
  }
  if (f == 'u') {  // CSI code;mod u
    if (p.size() >= 2) shift |= ShiftFromParam(p[1]);
    int code = p[0];
    if (code == 13) Named("ENTER", shift);
    else if (code == 27) Named("ESC", shift);
    else if (code == 9) Named("TAB", shift);
    else if (code == 127) Named("BACKSPACE", shift);
    else if (code >= 'a' && code <= 'z') Named(std::string(1, static_cast<char>(code)).c_str(), shift);
    else if (code > 32 && code < 127) {
      KeyStroke k = TypedKey(static_cast<unsigned char>(code));
      Named(std::to_string(k.vk).c_str(), shift | k.shift);
    }
    return used;
  }
  if (f == 'Z') {
    Named("TAB", shift | 1 | (p.size() >= 2 ? ShiftFromParam(p[1]) : 0));
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
  if (const char* name = LetterKey(static_cast<char>(f))) {
    if (p.size() >= 2) shift |= ShiftFromParam(p[1]);
    Named(name, shift);
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
  if (const char* name = LetterKey(f)) {
    Named(name, shift);
  } else if (f == 'M') {
    Named("ENTER", shift);
  } else if (f >= 'p' && f <= 'y') {
    Key(96 + (f - 'p'), shift, (shift & 6) ? -1 : '0' + (f - 'p'));
  } else {
    static const struct { char f; int vk; char c; } kPad[] = {
        {'j', 106, '*'}, {'k', 107, '+'}, {'m', 109, '-'}, {'n', 110, '.'}, {'o', 111, '/'}};
    for (auto& k : kPad)
      if (k.f == f) Key(k.vk, shift, (shift & 6) ? -1 : k.c);
  }
  return i + 1;
}

size_t InputDecoder::DecodeOne(bool final) {
  unsigned char c = static_cast<unsigned char>(buf_[0]);
  if (c == kEsc) {
    if (buf_.size() == 1) {
      if (!final) return 0;
      Named("ESC", 0);
      return 1;
    }
    unsigned char c2 = static_cast<unsigned char>(buf_[1]);
    if (c2 == '[' || c2 == 'O') {
      size_t n = c2 == '[' ? DecodeCsi(2, 0, final) : DecodeSs3(2, 0, final);
      if (n) return n;
      if (!final) return 0;
      if (buf_.size() > 2) return buf_.size();  // a sequence cut off: dropped
      Char(c2, 4);  // Alt+[ or Alt+O
      return 2;
    }
    if (c2 == kEsc) {
      // Esc Esc [ ...: some terminals send Alt+cursor keys this way.
      if (buf_.size() >= 3 && (buf_[2] == '[' || buf_[2] == 'O')) {
        size_t n = buf_[2] == '[' ? DecodeCsi(3, 4, final) : DecodeSs3(3, 4, final);
        if (n) return n;
        if (!final) return 0;
      } else if (buf_.size() == 2 && !final) {
        return 0;
      }
      Named("ESC", 0);
      return 1;
    }
    if (c2 < 32 || c2 == 127) {
      // Esc and a control key in one read: two keys (Alt+Tab and the like never
      // reach a Windows program either).
      Named("ESC", 0);
      return 1;
    }
    if (c2 < 128) {
      Char(c2, 4);
      return 2;
    }
    size_t len = utf8_ ? Utf8Length(c2) : 0;
    if (len == 0) {
      Char(c2, 4);
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
      if (k.vk) Key(k.vk, k.shift | 4, -1);
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
