// Modal message and input boxes drawn centred over the page, and the clipboard.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

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

// An input box: the answer being typed (one character each, with the caret and the
// selection), the focus among the field and the buttons, and where the box was drawn
// last, which a click is read against.
class InputBoxState {
 public:
  InputBoxState(FrontEnd& fe, const std::string& prompt, const std::string& caption, const std::string& defaultText,
                InputOption* option)
      : fe_(fe),
        prompt_(prompt),
        title_(caption.empty() ? std::string("Tembra") : caption),
        option_(option),
        utf8_(fe.Utf8Text()),
        text_(Units(defaultText, utf8_)),
        bytes_(defaultText.size()),
        caret_(text_.size()),
        selected_(!text_.empty()) {}

  // Lays the box out for the terminal's size and draws it, with the caret in the field.
  void Draw() {
    const Layout at = Place();
    Painter p(fe_, at.cols, at.rows);
    const uint32_t fg = fe_.Color(kColorInfoText), bg = fe_.Color(kColorInfoBack);
    p.Box(at.x, at.y, at.w, at.h, title_, fg, bg);
    for (size_t i = 0; i < at.lines.size(); ++i)
      p.Text(at.x + 2, at.y + 1 + static_cast<int>(i), at.lines[i], fg, bg, false, at.w - 4);
    ScrollToCaret();
    const int caretCol = DrawField(p);
    if (option_) {
      // The switches' states in force, on the free line under the field.
      std::string label;
      for (const InputOption* o = option_; o; o = o->next) label += (label.empty() ? "" : "  ") + (o->on ? o->labelOn : o->labelOff);
      p.Text(at.x + 2, fieldRow_ + 1, label, fg, bg, false, at.w - 4);
    }
    DrawButtons(p, buttons_, focus_ < 0 ? 0 : focus_, at.x, at.w, at.y + at.h - 2, fe_);
    fe_.cursorShown = focus_ < 0 && fieldRow_ < at.rows;
    fe_.cursorCol = std::min(at.cols - 1, fieldX_ + caretCol);
    fe_.cursorRow = fieldRow_;
    fe_.Render();
  }

  // Takes one event: whether the box was closed with OK, or nothing while it stays open.
  std::optional<bool> Take(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::Mouse && e.button == 1) return Click(e);
    if (e.kind == InputEvent::Kind::KeyUp) fe_.KeyReleasedInModal(e);
    if (e.kind != InputEvent::Kind::Key) return std::nullopt;
    if (e.vk == kVkEsc) return false;
    if (e.vk == kVkEnter) return focus_ != 1;
    if (e.vk == kVkTab) {
      focus_ = (e.shift & kShift) ? (focus_ == -1 ? 1 : focus_ - 1) : (focus_ == 1 ? -1 : focus_ + 1);
      return std::nullopt;
    }
    if (focus_ >= 0) {
      if (e.vk == kVkSpace) return focus_ == 0;
      if (e.vk == kVkLeft || e.vk == kVkRight) focus_ = 1 - focus_;
      return std::nullopt;
    }
    if (!EditKey(e)) Type(e);
    return std::nullopt;
  }

  std::string Answer() const {
    std::string answer;
    for (const std::string& u : text_) answer += u;
    return answer;
  }

 private:
  // The box's place for the terminal's size of the moment, and the prompt's lines.
  struct Layout {
    int cols = 0, rows = 0;
    int x = 0, y = 0, w = 0, h = 0;
    std::vector<Cells> lines;
  };

  Layout Place() {
    Layout at;
    fe_.term().Size(at.cols, at.rows);
    fe_.FollowTerminalSize();
    // Wide enough for the prompt and the switches' line, where the terminal allows.
    int options = 0;
    for (const InputOption* o = option_; o; o = o->next)
      options += (options ? 2 : 0) + static_cast<int>(std::max(o->labelOn.size(), o->labelOff.size()));
    const int want = std::max(CellCount(prompt_, utf8_), options) + 4;
    at.w = std::min(at.cols, std::max(50, std::min(at.cols - 4, want)));
    at.lines = WrapText(prompt_, std::max(1, at.w - 4), utf8_);
    const int maxLines = std::max(1, at.rows - 6);
    if (static_cast<int>(at.lines.size()) > maxLines) at.lines.resize(static_cast<size_t>(maxLines));
    at.h = static_cast<int>(at.lines.size()) + 6;
    at.x = std::max(0, (at.cols - at.w) / 2);
    at.y = std::max(0, (at.rows - at.h) / 2);
    fieldRow_ = at.y + 2 + static_cast<int>(at.lines.size());
    fieldX_ = at.x + 2;
    fieldW_ = std::max(1, at.w - 4);
    return at;
  }

  Cells CellsAt(size_t k) const { return CellsOf(text_[k], utf8_); }

  // Scrolls so that the caret's cell (and the character after it) is in the field.
  void ScrollToCaret() {
    const size_t fieldW = static_cast<size_t>(fieldW_);
    if (caret_ < scroll_) scroll_ = caret_;
    for (;;) {
      size_t used = caret_ < text_.size() ? CellsAt(caret_).size() : 1;
      for (size_t k = scroll_; k < caret_; ++k) used += CellsAt(k).size();
      if (used <= fieldW || scroll_ >= caret_) break;
      ++scroll_;
    }
    // A field that has grown (the terminal was made larger) shows again the characters
    // scrolled off at its left while the rest of the answer still fits behind them.
    if (scroll_ > 0) {
      size_t tail = 1;  // the caret's cell after the last character
      for (size_t k = scroll_; k < text_.size(); ++k) tail += CellsAt(k).size();
      while (scroll_ > 0 && tail + CellsAt(scroll_ - 1).size() <= fieldW) tail += CellsAt(--scroll_).size();
    }
  }

  // Draws the answer from the first character shown; notes the character under each cell
  // (for a click) and returns the caret's column in the field.
  int DrawField(Painter& p) {
    unitAt_.assign(static_cast<size_t>(fieldW_), text_.size());
    const uint32_t fg = selected_ ? fe_.Color(kColorSelectedText) : fe_.Color(kColorText);
    const uint32_t bg = selected_ ? fe_.Color(kColorSelectedBack) : fe_.Color(kColorBack);
    int col = 0, caretCol = 0;
    for (size_t k = scroll_; k <= text_.size() && col < fieldW_; ++k) {
      if (k == caret_) caretCol = col;
      if (k == text_.size()) break;
      const Cells cells = CellsAt(k);
      if (col + static_cast<int>(cells.size()) > fieldW_) break;
      for (const TextCell& t : cells) {
        p.Put(fieldX_ + col, fieldRow_, t, fg, bg);
        unitAt_[static_cast<size_t>(col++)] = k;
      }
    }
    for (; col < fieldW_; ++col) p.Put(fieldX_ + col, fieldRow_, U' ', fe_.Color(kColorText), fe_.Color(kColorBack));
    return caretCol;
  }

  // A press on the field puts the caret there; a release on the button pressed closes the box.
  std::optional<bool> Click(const InputEvent& e) {
    const int hit = HitButton(buttons_, e);
    if (e.press) {
      pressed_ = hit;
      if (e.row - 1 == fieldRow_ && e.col - 1 >= fieldX_ && e.col - 1 < fieldX_ + fieldW_) {
        focus_ = -1;
        selected_ = false;
        caret_ = unitAt_[static_cast<size_t>(e.col - 1 - fieldX_)];
      }
    } else if (hit >= 0 && hit == pressed_) {
      return hit == 0;
    }
    return std::nullopt;
  }

  void Clear() {
    text_.clear();
    bytes_ = 0;
    caret_ = 0;
  }
  void Erase(size_t k) {
    bytes_ -= text_[k].size();
    text_.erase(text_.begin() + static_cast<std::ptrdiff_t>(k));
  }

  // The keys that move the caret or edit the answer; false for any other key.
  bool EditKey(const InputEvent& e) {
    const bool ctrlAlt = (e.shift & (kCtrl | kAlt)) != 0;
    switch (e.vk) {
      case kVkLeft: caret_ = selected_ ? 0 : (caret_ > 0 ? caret_ - 1 : 0); break;
      case kVkRight: caret_ = selected_ ? text_.size() : std::min(text_.size(), caret_ + 1); break;
      case kVkHome: caret_ = 0; break;
      case kVkEnd: caret_ = text_.size(); break;
      case kVkBack:
        if (selected_) Clear();
        else if (caret_ > 0) Erase(--caret_);
        break;
      case kVkDelete:
        if (selected_) Clear();
        else if (caret_ < text_.size()) Erase(caret_);
        break;
      default:
        if (ctrlAlt && e.vk == 'U') {  // Ctrl+U empties the answer
          Clear();
          break;
        }
        for (InputOption* o = option_; o && (e.shift & kCtrl); o = o->next) {
          if (e.vk != o->key) continue;
          o->on = !o->on;
          return true;
        }
        if (ctrlAlt && e.vk == 'A') {
          selected_ = !text_.empty();
          return true;
        }
        return ctrlAlt;  // other Ctrl and Alt keys type nothing
    }
    selected_ = false;
    return true;
  }

  // The character typed, as the program's text: UTF-8, or its Windows-1252 byte.
  void Type(const InputEvent& e) {
    std::string typed;
    if (utf8_ && e.cp >= U' ' && !grid::NoGlyph(e.cp)) AppendUtf8(typed, e.cp);
    else if (!utf8_ && e.ch >= ' ' && e.ch != kChDelete && e.ch <= 255) typed = std::string(1, static_cast<char>(e.ch));
    if (typed.empty()) return;
    if (selected_) {
      Clear();
      selected_ = false;
    }
    if (bytes_ + typed.size() > 1024) {
      fe_.term().Beep();
    } else if (utf8_ && caret_ > 0 && CellWidth(e.cp) == 0) {
      text_[caret_ - 1] += typed;  // a combining mark joins the character before it
      bytes_ += typed.size();
    } else {
      text_.insert(text_.begin() + static_cast<std::ptrdiff_t>(caret_++), typed);
      bytes_ += typed.size();
    }
  }

  FrontEnd& fe_;
  const std::string prompt_, title_;
  InputOption* option_;
  const bool utf8_;
  std::vector<Button> buttons_ = {{"OK", kAnswerOK}, {"Cancel", kAnswerCancel}};
  std::vector<std::string> text_;  // one character each
  size_t bytes_;
  size_t caret_;        // characters before the caret
  bool selected_;       // the default answer is selected: typing replaces it
  int focus_ = -1;      // -1: the edit field; 0, 1: a button
  size_t scroll_ = 0;   // the first character shown
  int pressed_ = -1;    // the button a press was on
  int fieldRow_ = 0, fieldX_ = 0, fieldW_ = 1;
  std::vector<size_t> unitAt_;  // the character under each cell of the field
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
  InputBoxState box(fe_, prompt, caption, defaultText, option);
  for (;;) {
    box.Draw();
    if (fe_.queue().empty()) fe_.Pump(-1);
    while (!fe_.queue().empty()) {
      InputEvent e = fe_.queue().front();
      fe_.queue().pop_front();
      if (const std::optional<bool> ok = box.Take(e)) {
        answer = *ok ? box.Answer() : std::string();
        return *ok;
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
