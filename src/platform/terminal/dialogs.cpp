// Modal message and input boxes drawn centred over the page, and the clipboard.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "core/text.h"
#include "core/unicode.h"
#include "platform/terminal/frontend.h"

namespace tembra::terminal {

namespace {

struct Button {
  std::string label;
  int answer;
  int col = 0, row = 0, width = 0;  // where it was drawn (0-based)
};

using Cells = std::vector<TextCell>;

// The program's text as screen cells: each byte a Windows-1252 character, or UTF-8 (a
// stray byte its Windows-1252 character) when the program's text is UTF-8. Control
// codes show as a bullet.
Cells CellsOf(const std::string& text, bool utf8) {
  Cells cells;
  if (utf8) {
    cells = Utf8TextCells(text);
  } else {
    cells.reserve(text.size());
    for (unsigned char c : text) cells.push_back(TextCell{Cp1252ToUnicode(c)});
  }
  for (TextCell& t : cells)
    if (t.width && grid::NoGlyph(t.ch)) t.ch = U'\u2022';
  return cells;
}

int CellCount(const std::string& text, bool utf8) { return static_cast<int>(CellsOf(text, utf8).size()); }

// Splits a text into lines of cells (at line breaks, then at blanks to fit the width);
// a wide character is never cut in two.
std::vector<Cells> WrapText(const std::string& text, int width, bool utf8) {
  std::vector<Cells> out;
  std::vector<std::string> paragraphs;
  std::string line;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
      paragraphs.push_back(line);
      line.clear();
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    } else {
      line += text[i];
    }
  }
  const size_t w = static_cast<size_t>(std::max(1, width));
  for (const std::string& para : paragraphs) {
    Cells p = CellsOf(para, utf8);
    while (p.size() > w) {
      size_t cut = w;
      while (cut > 0 && p[cut].ch != U' ') --cut;
      if (cut == 0) {
        cut = w;
        if (p[cut].width == 0) cut = cut > 1 ? cut - 1 : 2;  // keep both halves together
      }
      out.emplace_back(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(cut));
      p.erase(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(cut));
      if (!p.empty() && p[0].ch == U' ' && p[0].width == 1) p.erase(p.begin());
    }
    out.push_back(p);
  }
  return out;
}

// The characters of an answer being typed, each with the combining marks after it: the
// caret moves and Backspace deletes one at a time.
std::vector<std::string> Units(const std::string& text, bool utf8) {
  std::vector<std::string> units;
  for (size_t i = 0; i < text.size();) {
    size_t n = 1;
    if (utf8) {
      const DecodedChar d = DecodeUtf8(text, i);
      n = static_cast<size_t>(d.len);
      if (d.valid && CellWidth(d.cp) == 0 && d.cp >= 0xA0 && !units.empty()) {
        units.back() += text.substr(i, n);
        i += n;
        continue;
      }
    }
    units.push_back(text.substr(i, n));
    i += n;
  }
  return units;
}

// Draws into the overlay of the front-end.
class Painter {
 public:
  explicit Painter(FrontEnd& fe, int cols, int rows) : fe_(fe), cols_(cols), rows_(rows) {
    fe_.overlay().assign(static_cast<size_t>(cols) * rows, OverlayCell{});
  }
  void Put(int c, int r, char32_t ch, uint32_t fg, uint32_t bg, bool bold = false, bool underline = false) {
    Put(c, r, TextCell{ch}, fg, bg, bold, underline);
  }
  void Put(int c, int r, const TextCell& t, uint32_t fg, uint32_t bg, bool bold = false, bool underline = false) {
    if (c < 0 || r < 0 || c >= cols_ || r >= rows_) return;
    OverlayCell& o = fe_.overlay()[static_cast<size_t>(r) * cols_ + c];
    o.set = true;
    o.cell = FrameCell{t.ch, fg, bg, bold, underline, t.mark, t.width};
  }
  // Cells from column c on, at most maxW of them; a wide character that does not fit
  // whole is left out.
  void Text(int c, int r, const Cells& cells, uint32_t fg, uint32_t bg, bool bold = false, int maxW = 1 << 30) {
    for (size_t i = 0; i < cells.size() && static_cast<int>(i) < maxW; ++i) {
      if (cells[i].width == 2 && static_cast<int>(i) + 1 >= maxW) break;
      Put(c + static_cast<int>(i), r, cells[i], fg, bg, bold);
    }
  }
  void Text(int c, int r, const std::string& text, uint32_t fg, uint32_t bg, bool bold = false, int maxW = 1 << 30) {
    Text(c, r, CellsOf(text, fe_.Utf8Text()), fg, bg, bold, maxW);
  }
  // A framed box with its caption in the top border.
  void Box(int x, int y, int w, int h, const std::string& caption, uint32_t fg, uint32_t bg) {
    for (int r = y; r < y + h; ++r)
      for (int c = x; c < x + w; ++c) {
        char32_t ch = U' ';
        bool top = r == y, bottom = r == y + h - 1, left = c == x, right = c == x + w - 1;
        if ((top || bottom) && (left || right)) ch = top ? (left ? U'\u250C' : U'\u2510') : (left ? U'\u2514' : U'\u2518');
        else if (top || bottom) ch = U'\u2500';
        else if (left || right) ch = U'\u2502';
        Put(c, r, ch, fg, bg);
      }
    if (!caption.empty() && w > 6) Text(x + 2, y, " " + caption + " ", fg, bg, true, w - 4);
  }

 private:
  FrontEnd& fe_;
  int cols_, rows_;
};

void DrawButtons(Painter& p, std::vector<Button>& buttons, int focus, int x, int w, int row, FrontEnd& fe) {
  int total = 0;
  for (auto& b : buttons) total += static_cast<int>(b.label.size()) + 4 + 2;
  total -= 2;
  int c = x + std::max(1, (w - total) / 2);
  for (size_t i = 0; i < buttons.size(); ++i) {
    Button& b = buttons[i];
    bool f = static_cast<int>(i) == focus;
    std::string text = (f ? "[ " : "  ") + b.label + (f ? " ]" : "  ");
    uint32_t fg = f ? fe.Color(kColorSelectedText) : fe.Color(kColorText);
    uint32_t bg = f ? fe.Color(kColorSelectedBack) : fe.Color(kColorBack);
    p.Text(c, row, text, fg, bg, f);
    b.col = c;
    b.row = row;
    b.width = static_cast<int>(text.size());
    c += b.width + 2;
  }
}

int HitButton(const std::vector<Button>& buttons, const InputEvent& e) {
  for (size_t i = 0; i < buttons.size(); ++i) {
    const Button& b = buttons[i];
    if (e.row - 1 == b.row && e.col - 1 >= b.col && e.col - 1 < b.col + b.width) return static_cast<int>(i);
  }
  return -1;
}

struct ModalScope {
  FrontEnd& fe;
  explicit ModalScope(FrontEnd& f) : fe(f) { fe.EnterModal(); }
  ~ModalScope() {
    fe.ClearOverlay();
    fe.LeaveModal();
  }
};

}  // namespace

int TermDialogs::MsgBox(const std::string& text, const std::string& caption, MsgButtons kind) {
  ModalScope scope(fe_);
  std::vector<Button> buttons;
  int escAnswer = kAnswerOK;
  switch (kind) {
    case MsgButtons::OK: buttons = {{"OK", kAnswerOK}}; break;
    case MsgButtons::OKCancel:
      buttons = {{"OK", kAnswerOK}, {"Cancel", kAnswerCancel}};
      escAnswer = kAnswerCancel;
      break;
    case MsgButtons::YesNo:
      buttons = {{"Yes", kAnswerYes}, {"No", kAnswerNo}};
      escAnswer = kAnswerNo;
      break;
  }
  int focus = kind == MsgButtons::YesNo ? 1 : 0;  // No is the default of a Yes/No box
  std::string title = caption.empty() ? std::string("Tembra") : caption;
  int pressed = -1;
  for (;;) {
    int cols = 0, rows = 0;
    fe_.term().Size(cols, rows);
    fe_.FollowTerminalSize();
    int maxText = std::max(1, cols - 6);
    std::vector<Cells> lines = WrapText(text, maxText, fe_.Utf8Text());
    int want = CellCount(title, fe_.Utf8Text()) + 4;
    for (auto& l : lines) want = std::max(want, static_cast<int>(l.size()));
    want = std::max(want, 24);
    int w = std::min(cols, want + 4);
    int maxLines = std::max(1, rows - 4);
    if (static_cast<int>(lines.size()) > maxLines) lines.resize(static_cast<size_t>(maxLines));
    int h = static_cast<int>(lines.size()) + 4;
    int x = std::max(0, (cols - w) / 2), y = std::max(0, (rows - h) / 2);
    Painter p(fe_, cols, rows);
    uint32_t fg = fe_.Color(kColorInfoText), bg = fe_.Color(kColorInfoBack);
    p.Box(x, y, w, h, title, fg, bg);
    for (size_t i = 0; i < lines.size(); ++i) p.Text(x + 2, y + 1 + static_cast<int>(i), lines[i], fg, bg, false, w - 4);
    DrawButtons(p, buttons, focus, x, w, y + h - 2, fe_);
    fe_.Render();
    if (fe_.queue().empty()) fe_.Pump(-1);
    while (!fe_.queue().empty()) {
      InputEvent e = fe_.queue().front();
      fe_.queue().pop_front();
      int n = static_cast<int>(buttons.size());
      if (e.kind == InputEvent::Kind::KeyUp) {
        fe_.KeyReleasedInModal(e);
      } else if (e.kind == InputEvent::Kind::Key) {
        int letter = e.ch >= 'a' && e.ch <= 'z' ? e.ch - 32 : e.ch;
        if (e.vk == kVkLeft || (e.vk == kVkTab && (e.shift & kShift))) focus = (focus + n - 1) % n;
        else if (e.vk == kVkRight || e.vk == kVkTab) focus = (focus + 1) % n;
        else if (e.vk == kVkEnter || e.vk == kVkSpace) return buttons[static_cast<size_t>(focus)].answer;
        else if (e.vk == kVkEsc) return escAnswer;
        else if (!(e.shift & (kCtrl | kAlt))) {
          for (auto& b : buttons)
            if (letter == b.label[0]) return b.answer;
        }
      } else if (e.kind == InputEvent::Kind::Mouse && e.button == 1) {
        int hit = HitButton(buttons, e);
        if (e.press) {
          pressed = hit;
          if (hit >= 0) focus = hit;
        } else if (hit >= 0 && hit == pressed) {
          return buttons[static_cast<size_t>(hit)].answer;
        }
      }
    }
  }
}

bool TermDialogs::InputBox(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                           std::string& answer) {
  return Ask(prompt, caption, defaultText, answer, nullptr);
}

bool TermDialogs::InputBoxWithOption(const std::string& prompt, const std::string& caption,
                                     const std::string& defaultText, std::string& answer, InputOption& option) {
  return Ask(prompt, caption, defaultText, answer, &option);
}

bool TermDialogs::Ask(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                      std::string& answer, InputOption* option) {
  ModalScope scope(fe_);
  std::vector<Button> buttons = {{"OK", kAnswerOK}, {"Cancel", kAnswerCancel}};
  const bool utf8 = fe_.Utf8Text();
  std::vector<std::string> text = Units(defaultText, utf8);  // one character each
  size_t bytes = defaultText.size();
  size_t caret = text.size();  // characters before the caret
  bool selected = !text.empty();  // the default answer is selected: typing replaces it
  int focus = -1;                 // -1: the edit field; 0, 1: a button
  size_t scroll = 0;              // the first character shown
  int pressed = -1;
  std::string title = caption.empty() ? std::string("Tembra") : caption;
  auto cellsOf = [&](size_t k) { return CellsOf(text[k], utf8); };
  auto clear = [&] {
    text.clear();
    bytes = 0;
    caret = 0;
  };
  auto erase = [&](size_t k) {
    bytes -= text[k].size();
    text.erase(text.begin() + static_cast<std::ptrdiff_t>(k));
  };
  for (;;) {
    int cols = 0, rows = 0;
    fe_.term().Size(cols, rows);
    fe_.FollowTerminalSize();
    int w = std::min(cols, std::max(50, std::min(cols - 4, CellCount(prompt, utf8) + 4)));
    std::vector<Cells> lines = WrapText(prompt, std::max(1, w - 4), utf8);
    int maxLines = std::max(1, rows - 6);
    if (static_cast<int>(lines.size()) > maxLines) lines.resize(static_cast<size_t>(maxLines));
    int h = static_cast<int>(lines.size()) + 6;
    int x = std::max(0, (cols - w) / 2), y = std::max(0, (rows - h) / 2);
    Painter p(fe_, cols, rows);
    uint32_t fg = fe_.Color(kColorInfoText), bg = fe_.Color(kColorInfoBack);
    p.Box(x, y, w, h, title, fg, bg);
    for (size_t i = 0; i < lines.size(); ++i) p.Text(x + 2, y + 1 + static_cast<int>(i), lines[i], fg, bg, false, w - 4);
    int fieldRow = y + 2 + static_cast<int>(lines.size());
    int fieldX = x + 2, fieldW = std::max(1, w - 4);
    // Scrolls so that the caret's cell (and the character after it) is in the field.
    if (caret < scroll) scroll = caret;
    for (;;) {
      size_t used = caret < text.size() ? cellsOf(caret).size() : 1;
      for (size_t k = scroll; k < caret; ++k) used += cellsOf(k).size();
      if (used <= static_cast<size_t>(fieldW) || scroll >= caret) break;
      ++scroll;
    }
    // A field that has grown (the terminal was made larger) shows again the characters
    // scrolled off at its left while the rest of the answer still fits behind them.
    if (scroll > 0) {
      size_t tail = 1;  // the caret's cell after the last character
      for (size_t k = scroll; k < text.size(); ++k) tail += cellsOf(k).size();
      while (scroll > 0 && tail + cellsOf(scroll - 1).size() <= static_cast<size_t>(fieldW))
        tail += cellsOf(--scroll).size();
    }
    std::vector<size_t> unitAt(static_cast<size_t>(fieldW), text.size());  // the character under each cell
    int col = 0, caretCol = 0;
    for (size_t k = scroll; k <= text.size() && col < fieldW; ++k) {
      if (k == caret) caretCol = col;
      if (k == text.size()) break;
      Cells cells = cellsOf(k);
      if (col + static_cast<int>(cells.size()) > fieldW) break;
      for (const TextCell& t : cells) {
        p.Put(fieldX + col, fieldRow, t, selected ? fe_.Color(kColorSelectedText) : fe_.Color(kColorText),
              selected ? fe_.Color(kColorSelectedBack) : fe_.Color(kColorBack));
        unitAt[static_cast<size_t>(col++)] = k;
      }
    }
    for (; col < fieldW; ++col) p.Put(fieldX + col, fieldRow, U' ', fe_.Color(kColorText), fe_.Color(kColorBack));
    if (option) {
      // The switch's state in force, on the free line under the field.
      const std::string& label = option->on ? option->labelOn : option->labelOff;
      p.Text(x + 2, fieldRow + 1, label, fg, bg, false, w - 4);
    }
    DrawButtons(p, buttons, focus < 0 ? 0 : focus, x, w, y + h - 2, fe_);
    fe_.cursorShown = focus < 0 && fieldRow < rows;
    fe_.cursorCol = std::min(cols - 1, fieldX + caretCol);
    fe_.cursorRow = fieldRow;
    fe_.Render();
    if (fe_.queue().empty()) fe_.Pump(-1);
    while (!fe_.queue().empty()) {
      InputEvent e = fe_.queue().front();
      fe_.queue().pop_front();
      auto finish = [&](bool ok) {
        answer.clear();
        if (ok)
          for (const std::string& u : text) answer += u;
        return ok;
      };
      if (e.kind == InputEvent::Kind::Mouse && e.button == 1) {
        int hit = HitButton(buttons, e);
        if (e.press) {
          pressed = hit;
          if (e.row - 1 == fieldRow && e.col - 1 >= fieldX && e.col - 1 < fieldX + fieldW) {
            focus = -1;
            selected = false;
            caret = unitAt[static_cast<size_t>(e.col - 1 - fieldX)];
          }
        } else if (hit >= 0 && hit == pressed) {
          return finish(hit == 0);
        }
        continue;
      }
      if (e.kind == InputEvent::Kind::KeyUp) fe_.KeyReleasedInModal(e);
      if (e.kind != InputEvent::Kind::Key) continue;
      bool ctrlAlt = (e.shift & (kCtrl | kAlt)) != 0;
      if (e.vk == kVkEsc) return finish(false);
      if (e.vk == kVkEnter) return finish(focus != 1);
      if (e.vk == kVkTab) {
        focus = (e.shift & kShift) ? (focus == -1 ? 1 : focus - 1) : (focus == 1 ? -1 : focus + 1);
        continue;
      }
      if (focus >= 0) {
        if (e.vk == kVkSpace) return finish(focus == 0);
        if (e.vk == kVkLeft || e.vk == kVkRight) focus = 1 - focus;
        continue;
      }
      switch (e.vk) {
        case kVkLeft:
          caret = selected ? 0 : (caret > 0 ? caret - 1 : 0);
          selected = false;
          continue;
        case kVkRight:
          caret = selected ? text.size() : std::min(text.size(), caret + 1);
          selected = false;
          continue;
        case kVkHome: caret = 0; selected = false; continue;
        case kVkEnd: caret = text.size(); selected = false; continue;
        case kVkBack:
          if (selected) clear();
          else if (caret > 0) erase(--caret);
          selected = false;
          continue;
        case kVkDelete:
          if (selected) clear();
          else if (caret < text.size()) erase(caret);
          selected = false;
          continue;
        default: break;
      }
      if (ctrlAlt && e.vk == 'U') {  // Ctrl+U empties the answer
        clear();
        selected = false;
        continue;
      }
      if (option && (e.shift & kCtrl) && e.vk == option->key) {
        option->on = !option->on;
        continue;
      }
      if (ctrlAlt && e.vk == 'A') {
        selected = !text.empty();
        continue;
      }
      if (ctrlAlt) continue;
      // The character typed, as the program's text: UTF-8, or its Windows-1252 byte.
      std::string typed;
      if (utf8 && e.cp >= U' ' && !grid::NoGlyph(e.cp)) AppendUtf8(typed, e.cp);
      else if (!utf8 && e.ch >= ' ' && e.ch != kChDelete && e.ch <= 255) typed = std::string(1, static_cast<char>(e.ch));
      if (typed.empty()) continue;
      if (selected) {
        clear();
        selected = false;
      }
      if (bytes + typed.size() > 1024) {
        Beep();
      } else if (utf8 && caret > 0 && CellWidth(e.cp) == 0) {
        text[caret - 1] += typed;  // a combining mark joins the character before it
        bytes += typed.size();
      } else {
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(caret++), typed);
        bytes += typed.size();
      }
    }
  }
}

void TermDialogs::Beep() { fe_.term().Beep(); }

bool TermDialogs::TypeAhead(const std::vector<TypedKey>& keys) {
  // As the terminal delivers them: a key with its character (its release follows of
  // itself); they come before whatever was typed since.
  std::vector<InputEvent> events;
  for (const TypedKey& k : keys) {
    if (k.kind == TypedKey::Up) continue;
    InputEvent e;
    if (k.kind == TypedKey::Char && !events.empty() && events.back().kind == InputEvent::Kind::Key &&
        events.back().vk != 0 && events.back().ch < 0) {
      events.back().ch = k.code;
      if (k.code < 128) events.back().cp = static_cast<char32_t>(k.code);
      continue;
    }
    e.vk = k.kind == TypedKey::Char ? 0 : k.code;
    e.shift = k.shift;
    if (k.kind == TypedKey::Char) {
      e.ch = k.code;
      if (k.code < 128) e.cp = static_cast<char32_t>(k.code);
    }
    events.push_back(e);
  }
  fe_.queue().insert(fe_.queue().begin(), events.begin(), events.end());
  return true;
}

// ---------------------------------------------------------------- clipboard

namespace {
std::string Base64(const std::string& in) {
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                 static_cast<unsigned char>(in[i + 2]);
    out += k[v >> 18];
    out += k[(v >> 12) & 63];
    out += k[(v >> 6) & 63];
    out += k[v & 63];
  }
  if (i + 1 == in.size()) {
    unsigned v = static_cast<unsigned char>(in[i]) << 16;
    out += k[v >> 18];
    out += k[(v >> 12) & 63];
    out += "==";
  } else if (i + 2 == in.size()) {
    unsigned v = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8);
    out += k[v >> 18];
    out += k[(v >> 12) & 63];
    out += k[(v >> 6) & 63];
    out += '=';
  }
  return out;
}

bool InPath(const std::string& name) { return !posix::FindOnPath(name).empty(); }

// Hands the text to a clipboard tool on its standard input (no shell involved).
void PipeTo(const std::vector<const char*>& argv, const std::string& text) {
  int fds[2];
  if (::pipe(fds) != 0) return;
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return;
  }
  if (pid == 0) {
    ::dup2(fds[0], 0);
    ::close(fds[0]);
    ::close(fds[1]);
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    std::vector<char*> args;
    for (const char* a : argv) args.push_back(const_cast<char*>(a));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(fds[0]);
  const char* d = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t w = ::write(fds[1], d, left);
    if (w <= 0) break;
    d += w;
    left -= static_cast<size_t>(w);
  }
  ::close(fds[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
}
}  // namespace

void TermClipboard::SetText(const std::string& text) {
  std::string utf8 = fe_.ToTerminalUtf8(text);
  // The terminal's own clipboard (OSC 52), then the desktop's through its tools.
  fe_.term().Write("\x1b]52;c;" + Base64(utf8) + "\x07");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* x11 = std::getenv("DISPLAY");
  if (wayland && *wayland && InPath("wl-copy")) PipeTo({"wl-copy"}, utf8);
  else if (x11 && *x11 && InPath("xclip")) PipeTo({"xclip", "-selection", "clipboard"}, utf8);
  else if (x11 && *x11 && InPath("xsel")) PipeTo({"xsel", "--clipboard", "--input"}, utf8);
}

}  // namespace tembra::terminal
