// Modal message and input boxes drawn centred over the page, and the clipboard.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "core/text.h"
#include "platform/terminal/frontend.h"

namespace tembra::terminal {

namespace {

struct Button {
  std::string label;
  int answer;
  int col = 0, row = 0, width = 0;  // where it was drawn (0-based)
};

// Splits a text into lines (at line breaks, then at blanks to fit the width).
std::vector<std::string> WrapText(const std::string& text, int width) {
  std::vector<std::string> out;
  std::string line;
  std::vector<std::string> paragraphs;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
      paragraphs.push_back(line);
      line.clear();
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    } else {
      line += text[i];
    }
  }
  if (width < 1) width = 1;
  for (std::string p : paragraphs) {
    while (static_cast<int>(p.size()) > width) {
      size_t cut = p.rfind(' ', static_cast<size_t>(width));
      if (cut == std::string::npos || cut == 0) cut = static_cast<size_t>(width);
      out.push_back(p.substr(0, cut));
      p.erase(0, cut);
      if (!p.empty() && p[0] == ' ') p.erase(0, 1);
    }
    out.push_back(p);
  }
  return out;
}

char32_t Glyph(unsigned char c) {
  bool zero = c < 32 || c == 127 || c == 129 || c == 141 || c == 143 || c == 144 || c == 157;
  return zero ? U'\u2022' : Cp1252ToUnicode(c);
}

// Draws into the overlay of the front-end.
class Painter {
 public:
  explicit Painter(FrontEnd& fe, int cols, int rows) : fe_(fe), cols_(cols), rows_(rows) {
    fe_.overlay().assign(static_cast<size_t>(cols) * rows, OverlayCell{});
  }
  void Put(int c, int r, char32_t ch, uint32_t fg, uint32_t bg, bool bold = false, bool underline = false) {
    if (c < 0 || r < 0 || c >= cols_ || r >= rows_) return;
    OverlayCell& o = fe_.overlay()[static_cast<size_t>(r) * cols_ + c];
    o.set = true;
    o.cell = FrameCell{ch, fg, bg, bold, underline};
  }
  void Text(int c, int r, const std::string& cp1252, uint32_t fg, uint32_t bg, bool bold = false, int maxW = 1 << 30) {
    for (size_t i = 0; i < cp1252.size() && static_cast<int>(i) < maxW; ++i)
      Put(c + static_cast<int>(i), r, Glyph(static_cast<unsigned char>(cp1252[i])), fg, bg, bold);
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
    uint32_t fg = f ? fe.Color(3) : fe.Color(1), bg = f ? fe.Color(7) : fe.Color(5);
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
    std::vector<std::string> lines = WrapText(text, maxText);
    int want = static_cast<int>(title.size()) + 4;
    for (auto& l : lines) want = std::max(want, static_cast<int>(l.size()));
    want = std::max(want, 24);
    int w = std::min(cols, want + 4);
    int maxLines = std::max(1, rows - 4);
    if (static_cast<int>(lines.size()) > maxLines) lines.resize(static_cast<size_t>(maxLines));
    int h = static_cast<int>(lines.size()) + 4;
    int x = std::max(0, (cols - w) / 2), y = std::max(0, (rows - h) / 2);
    Painter p(fe_, cols, rows);
    uint32_t fg = fe_.Color(4), bg = fe_.Color(8);
    p.Box(x, y, w, h, title, fg, bg);
    for (size_t i = 0; i < lines.size(); ++i) p.Text(x + 2, y + 1 + static_cast<int>(i), lines[i], fg, bg, false, w - 4);
    DrawButtons(p, buttons, focus, x, w, y + h - 2, fe_);
    fe_.Render();
    if (fe_.queue().empty()) fe_.Pump(-1);
    while (!fe_.queue().empty()) {
      InputEvent e = fe_.queue().front();
      fe_.queue().pop_front();
      int n = static_cast<int>(buttons.size());
      if (e.kind == InputEvent::Kind::Key) {
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
  ModalScope scope(fe_);
  std::vector<Button> buttons = {{"OK", kAnswerOK}, {"Cancel", kAnswerCancel}};
  std::string text = defaultText;
  size_t caret = text.size();
  bool selected = !text.empty();  // the default answer is selected: typing replaces it
  int focus = -1;                 // -1: the edit field; 0, 1: a button
  size_t scroll = 0;
  int pressed = -1;
  std::string title = caption.empty() ? std::string("Tembra") : caption;
  for (;;) {
    int cols = 0, rows = 0;
    fe_.term().Size(cols, rows);
    fe_.FollowTerminalSize();
    int w = std::min(cols, std::max(50, std::min(cols - 4, static_cast<int>(prompt.size()) + 4)));
    std::vector<std::string> lines = WrapText(prompt, std::max(1, w - 4));
    int maxLines = std::max(1, rows - 6);
    if (static_cast<int>(lines.size()) > maxLines) lines.resize(static_cast<size_t>(maxLines));
    int h = static_cast<int>(lines.size()) + 6;
    int x = std::max(0, (cols - w) / 2), y = std::max(0, (rows - h) / 2);
    Painter p(fe_, cols, rows);
    uint32_t fg = fe_.Color(4), bg = fe_.Color(8);
    p.Box(x, y, w, h, title, fg, bg);
    for (size_t i = 0; i < lines.size(); ++i) p.Text(x + 2, y + 1 + static_cast<int>(i), lines[i], fg, bg, false, w - 4);
    int fieldRow = y + 2 + static_cast<int>(lines.size());
    int fieldX = x + 2, fieldW = std::max(1, w - 4);
    if (caret < scroll) scroll = caret;
    if (caret >= scroll + static_cast<size_t>(fieldW)) scroll = caret - static_cast<size_t>(fieldW) + 1;
    for (int i = 0; i < fieldW; ++i) {
      size_t k = scroll + static_cast<size_t>(i);
      bool sel = selected && k < text.size();
      char32_t ch = k < text.size() ? Glyph(static_cast<unsigned char>(text[k])) : U' ';
      p.Put(fieldX + i, fieldRow, ch, sel ? fe_.Color(3) : fe_.Color(1), sel ? fe_.Color(7) : fe_.Color(5));
    }
    DrawButtons(p, buttons, focus < 0 ? 0 : focus, x, w, y + h - 2, fe_);
    fe_.cursorShown = focus < 0 && fieldRow < rows;
    fe_.cursorCol = std::min(cols - 1, fieldX + static_cast<int>(caret - scroll));
    fe_.cursorRow = fieldRow;
    fe_.Render();
    if (fe_.queue().empty()) fe_.Pump(-1);
    while (!fe_.queue().empty()) {
      InputEvent e = fe_.queue().front();
      fe_.queue().pop_front();
      auto finish = [&](bool ok) {
        answer = ok ? text : std::string();
        return ok;
      };
      if (e.kind == InputEvent::Kind::Mouse && e.button == 1) {
        int hit = HitButton(buttons, e);
        if (e.press) {
          pressed = hit;
          if (e.row - 1 == fieldRow && e.col - 1 >= fieldX && e.col - 1 < fieldX + fieldW) {
            focus = -1;
            selected = false;
            caret = std::min(text.size(), scroll + static_cast<size_t>(e.col - 1 - fieldX));
          }
        } else if (hit >= 0 && hit == pressed) {
          return finish(hit == 0);
        }
        continue;
      }
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
          if (selected) {
            text.clear();
            caret = 0;
          } else if (caret > 0) {
            text.erase(--caret, 1);
          }
          selected = false;
          continue;
        case kVkDelete:
          if (selected) {
            text.clear();
            caret = 0;
          } else if (caret < text.size()) {
            text.erase(caret, 1);
          }
          selected = false;
          continue;
        default: break;
      }
      if (ctrlAlt && e.vk == 'U') {  // Ctrl+U empties the answer
        text.clear();
        caret = 0;
        selected = false;
        continue;
      }
      if (ctrlAlt && e.vk == 'A') {
        selected = !text.empty();
        continue;
      }
      if (e.ch >= ' ' && e.ch != kChDelete && e.ch <= 255 && !ctrlAlt) {
        if (selected) {
          text.clear();
          caret = 0;
          selected = false;
        }
        if (text.size() < 1024) text.insert(caret++, 1, static_cast<char>(e.ch));
        else Beep();
      }
    }
  }
}

void TermDialogs::Beep() { fe_.term().Beep(); }

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
  std::string utf8 = Cp1252ToUtf8(text);
  // The terminal's own clipboard (OSC 52), then the desktop's through its tools.
  fe_.term().Write("\x1b]52;c;" + Base64(utf8) + "\x07");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* x11 = std::getenv("DISPLAY");
  if (wayland && *wayland && InPath("wl-copy")) PipeTo({"wl-copy"}, utf8);
  else if (x11 && *x11 && InPath("xclip")) PipeTo({"xclip", "-selection", "clipboard"}, utf8);
  else if (x11 && *x11 && InPath("xsel")) PipeTo({"xsel", "--clipboard", "--input"}, utf8);
}

}  // namespace tembra::terminal
