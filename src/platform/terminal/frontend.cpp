#include "platform/terminal/frontend.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "config/config_state.h"
#include "core/text.h"
#include "core/unicode.h"

namespace tembra::terminal {

namespace {
// Events may run inside other events (the program lets waiting events run from its
// loops); a key held down must not nest them without bound.
constexpr int kMaxDepth = 3;
constexpr int kDoubleClickMs = 500;

int StartCols() {
  int c, r;
  Terminal::Size(c, r);
  return c;
}
int StartRows() {
  int c, r;
  Terminal::Size(c, r);
  return r;
}
}  // namespace

// ---------------------------------------------------------------- window

void TermWindow::FitBars() {
  if (barCols_ == Cols() && barRows_ == Rows()) return;
  barCols_ = Cols();
  barRows_ = Rows();
  bars_.assign(static_cast<size_t>(barCols_) * barRows_, -1);
}

int64_t TermWindow::BarAt(int col, int row) {
  FitBars();
  if (col < 0 || row < 0 || col >= barCols_ || row >= barRows_) return -1;
  return bars_[static_cast<size_t>(row) * barCols_ + col];
}

void TermWindow::FillRect(long x1, long y1, long x2, long y2, uint32_t color) {
  FitBars();
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  bool thin = x2 - x1 < kCellW / 2;
  if (!thin) GridWindow::FillRect(x1, y1, x2, y2, color);
  long thinCol = (x1 + x2) / 2 / kCellW;
  for (int r = 0; r < barRows_; ++r) {
    long cy = r * kCellH + kCellH / 2;
    if (cy < y1 || cy > y2) continue;
    for (int c = 0; c < barCols_; ++c) {
      long cx = c * kCellW + kCellW / 2;
      if (thin ? c != thinCol : (cx < x1 || cx > x2)) continue;
      bars_[static_cast<size_t>(r) * barCols_ + c] = thin ? static_cast<int64_t>(color) : -1;
    }
  }
}

void TermWindow::ClearBars(long x, long y, size_t n) {
  FitBars();
  long col = NearestCell(x, kCellW);
  const long row = NearestCell(y, kCellH);
  if (row < 0 || row >= barRows_) return;
  for (size_t i = 0; i < n; ++i, ++col)
    if (col >= 0 && col < barCols_) bars_[static_cast<size_t>(row) * barCols_ + col] = -1;
}

void TermWindow::PrintAt(long x, long y, const std::string& text) {
  GridWindow::PrintAt(x, y, text);
  ClearBars(x, y, text.size());
}

void TermWindow::PrintCellsAt(long x, long y, const std::vector<TextCell>& cells) {
  GridWindow::PrintCellsAt(x, y, cells);
  ClearBars(x, y, cells.size());
}

// ---------------------------------------------------------------- front-end

FrontEnd::FrontEnd(int argc, char** argv)
    : window_(StartCols(), StartRows()),
      dialogs_(*this),
      events_(*this),
      clipboard_(*this),
      processes_(argc, argv, &files_.drives()),
      platform_{window_, dialogs_, events_, clipboard_, files_, processes_, clock_} {
  files_.confirmDialogs = &dialogs_;
  lister_ = std::make_unique<Lister>(platform_);
  // A terminal whose locale's character set is UTF-8 starts in UTF-8 (the configuration
  // can set either).
  lister_->bUtf8 = LocaleIsUtf8();
  // The terminal on Linux takes the Linux set of defaults; TEMBRA_PROFILE=classic (or a
  // PROFILE line in the configuration) keeps the original design.
  const char* profile = std::getenv("TEMBRA_PROFILE");
  lister_->eProfile = profile && std::string(profile) == "classic" ? Profile::Classic : Profile::Linux;
  window_.onResize = [this] { lister_->Form_Resize(); };
  processes_.runContext = this;
  processes_.beforeRun = [](void* c) { static_cast<FrontEnd*>(c)->SuspendForProgram(); };
  processes_.afterRun = [](void* c) { static_cast<FrontEnd*>(c)->ResumeAfterProgram(); };
  termCols_ = window_.Cols();
  termRows_ = window_.Rows();
}

FrontEnd::~FrontEnd() { term_.Leave(); }

void FrontEnd::FollowFirstFile() { lister_->bFollowOnOpen = true; }

uint32_t FrontEnd::Color(int role) const {
  if (role < kColorText || role >= kColorRoles) return 0;
  if (!lister_ || !loaded_) return kDefaultColors[role];
  return lister_->lColor[role];
}

template <class F>
void FrontEnd::Event(F&& f) {
  struct Depth {
    int& d;
    explicit Depth(int& x) : d(x) { ++d; }
    ~Depth() { --d; }
  } guard(depth_);
  f();
}

void FrontEnd::ClearOverlay() {
  overlay_.clear();
  cursorShown = false;
}

void FrontEnd::Render() {
  Frame f;
  f.cols = termCols_;
  f.rows = termRows_;
  f.pageBack = Color(5);
  f.standOut = Color(7);
  FrameCell blank;
  blank.bg = f.pageBack;
  blank.fg = Color(1);
  f.cells.assign(static_cast<size_t>(f.cols) * f.rows, blank);
  char32_t unprintable = U'\u2022';
  if (lister_ && lister_->zUnprintable.size() == 1 && !grid::NoGlyph(Cp1252ToUnicode(static_cast<unsigned char>(lister_->zUnprintable[0]))))
    unprintable = Cp1252ToUnicode(static_cast<unsigned char>(lister_->zUnprintable[0]));
  int cols = std::min(f.cols, window_.Cols()), rows = std::min(f.rows, window_.Rows());
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const grid::Cell& g = window_.At(c, r);
      FrameCell& o = f.At(c, r);
      o.ch = grid::NoGlyph(g.ch) ? unprintable : g.ch;
      o.mark = g.mark;
      o.width = g.width;
      o.fg = g.fg;
      int64_t bar = window_.BarAt(c, r);
      if (bar >= 0) {
        o.ch = U'\u2502';
        o.mark = 0;
        o.width = 1;
        o.fg = static_cast<uint32_t>(bar);
        o.bg = g.bg;
        o.bold = o.underline = false;
        continue;
      }
      o.bg = g.bg;
      o.bold = g.bold;
      o.underline = g.underline;
    }
  }
  if (overlay_.size() == f.cells.size()) {
    for (size_t i = 0; i < overlay_.size(); ++i)
      if (overlay_[i].set) f.cells[i] = overlay_[i].cell;
    // A wide character of the page half covered by a dialog's edge shows as a blank.
    for (size_t i = 0; i < f.cells.size(); ++i) {
      const bool col0 = i % static_cast<size_t>(f.cols) == 0, last = (i + 1) % static_cast<size_t>(f.cols) == 0;
      FrameCell& c = f.cells[i];
      const bool alone = c.width == 2 ? last || f.cells[i + 1].width != 0 : c.width == 0 && (col0 || f.cells[i - 1].width != 2);
      if (alone) {
        c.ch = U' ';
        c.mark = 0;
        c.width = 1;
      }
    }
  }
  f.showCursor = cursorShown;
  f.cursorCol = cursorCol;
  f.cursorRow = cursorRow;
  term_.SetTitle(ToTerminalUtf8(window_.Caption()));
  term_.Draw(f);
}

bool FrontEnd::Utf8Text() const { return lister_ && lister_->bUtf8; }

std::string FrontEnd::ToTerminalUtf8(const std::string& text) const {
  if (!Utf8Text()) return Cp1252ToUtf8(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const DecodedChar d = DecodeUtf8(text, i);
    AppendUtf8(out, d.valid ? d.cp : Cp1252ToUnicode(static_cast<unsigned char>(text[i])));
    i += static_cast<size_t>(d.len);
  }
  return out;
}

void FrontEnd::FollowTerminalSize() {
  int c, r;
  term_.Size(c, r);
  if (c == termCols_ && r == termRows_) return;
  term_.Invalidate();
  termCols_ = c;
  termRows_ = r;
  overlay_.clear();
  window_.ResizeClient(c, r);
  resizePending_ = true;
}

void FrontEnd::CheckSignals() {
  if (term_.TakeResume()) {
    term_.Reenter();
    FollowTerminalSize();
  }
  if (term_.TakeResize()) {
    term_.Invalidate();
    FollowTerminalSize();
  }
}

void FrontEnd::Pump(int timeoutMs) {
  CheckSignals();
  std::string bytes = term_.Read(timeoutMs);
  if (!bytes.empty()) decoder_.Feed(bytes);
  // A lone Esc is the Esc key unless the rest of a sequence follows at once.
  while (decoder_.Pending()) {
    std::string more = term_.Read(escDelayMs_);
    if (more.empty()) {
      decoder_.Timeout();
      break;
    }
    decoder_.Feed(more);
  }
  while (!decoder_.events.empty()) {
    InputEvent e = decoder_.events.front();
    decoder_.events.pop_front();
    if (e.kind == InputEvent::Kind::Key && e.vk == 'Z' && e.shift == kCtrl) {
      // Ctrl+Z suspends, as in any terminal program; fg continues with the page drawn again.
      term_.Suspend();
      continue;
    }
    queue_.events.push_back(e);
  }
  CheckSignals();
  if (term_.HungUp() && queue_.events.empty()) {
    // The terminal is gone: the window is closed.
    term_.Leave();
    if (loaded_) lister_->Form_Unload();
    throw ProgramEnded{ExitKind::Unload};
  }
}

void FrontEnd::KeyReleasedInModal(const InputEvent& e) {
  if (loaded_ && e.kind == InputEvent::Kind::KeyUp) lister_->Form_KeyUp(e.vk, e.shift);
}

void FrontEnd::DispatchQueued() {
  if (modal_ > 0 || !loaded_) return;
  while (depth_ < kMaxDepth) {
    if (resizePending_) {
      resizePending_ = false;
      Event([&] { lister_->Form_Resize(); });
      Event([&] { lister_->Form_Paint(); });
      continue;
    }
    if (!queue_.Ready(lister_->KeepsTypedKeys())) break;
    Dispatch(queue_.Take());
  }
}

void FrontEnd::Dispatch(const InputEvent& e) {
  Lister& L = *lister_;
  switch (e.kind) {
    case InputEvent::Kind::Key:
    case InputEvent::Kind::KeyUp:
      queue_.DeliverKey(e, L, [&](auto&& f) { Event(f); });
      break;
    case InputEvent::Kind::Wheel:
      for (int i = 0; i < 3; ++i) {
        int vk = e.wheel < 0 ? kVkUp : kVkDown;
        Event([&] { L.Form_KeyDown(vk, 0); });
        Event([&] { L.Form_KeyUp(vk, 0); });
      }
      break;
    case InputEvent::Kind::Focus:
      if (e.press) Event([&] { L.Form_GotFocus(); });
      else Event([&] { L.Form_LostFocus(); });
      break;
    case InputEvent::Kind::Mouse: {
      double x = grid::GridWindow::CentreX(e.col), y = grid::GridWindow::CentreY(e.row);
      if (e.press) {
        auto now = std::chrono::steady_clock::now();
        bool dbl = !inDouble_ && e.button == 1 && lastButton_ == 1 && e.col == lastPressCol_ &&
                   e.row == lastPressRow_ &&
                   std::chrono::duration_cast<std::chrono::milliseconds>(now - lastPress_).count() <= kDoubleClickMs;
        lastPress_ = now;
        lastPressCol_ = e.col;
        lastPressRow_ = e.row;
        lastButton_ = e.button;
        if (dbl) {
          inDouble_ = true;
          Event([&] { L.Form_DblClick(); });
        } else {
          inDouble_ = false;
          Event([&] { L.Form_MouseDown(e.button, e.shift, x, y); });
        }
      } else {
        int button = e.button ? e.button : lastButton_;
        Event([&] { L.Form_MouseUp(button, e.shift, x, y); });
        if (inDouble_) {
          // The second press was the double click; the next press starts afresh.
          lastButton_ = 0;
          inDouble_ = false;
        } else {
          Event([&] { L.Form_Click(); });
        }
      }
      break;
    }
  }
}

void FrontEnd::SuspendForProgram() {
  Render();
  term_.Leave();
}

void FrontEnd::ResumeAfterProgram() {
  term_.Enter();
  term_.Invalidate();
  FollowTerminalSize();
  Render();
}

int FrontEnd::Run() {
  std::string error;
  if (!term_.Open(&error)) {
    std::cerr << "tembra: " << error << "\n";
    return 2;
  }
  decoder_ = InputDecoder(term_.utf8);
  // How long the rest of a key sequence may take after its Esc (ESCDELAY as in curses).
  if (const char* d = std::getenv("ESCDELAY")) {
    int ms = std::atoi(d);
    if (ms >= 1 && ms <= 1000) escDelayMs_ = ms;
  }
  term_.Enter();
  int status = 0;
  try {
    Event([&] { lister_->Form_Load(); });
    loaded_ = true;
    Event([&] { lister_->AfterStartUp(); });
    // The window fills the terminal, whatever size the start-up asked for.
    if (window_.Cols() != termCols_ || window_.Rows() != termRows_) {
      window_.ResizeClient(termCols_, termRows_);
      resizePending_ = true;
    }
    for (;;) {
      DispatchQueued();
      Render();
      Pump(-1);
    }
  } catch (const ProgramEnded& e) {
    status = ExitStatusOf(e.kind);
  } catch (const std::exception& ex) {
    term_.Leave();
    std::cerr << "tembra: internal error: " << ex.what() << "\n";
    return 70;
  }
  term_.Leave();
  if (!lister_->Config().zExitNote.empty()) std::cerr << lister_->Config().zExitNote;
  return status;
}

// ---------------------------------------------------------------- events, clipboard

void TermEvents::DoEvents() {
  // Long loops let events run often: the screen follows at a steady pace (the main
  // loop draws it anyway before it waits for input).
  auto now = std::chrono::steady_clock::now();
  if (now - lastRender_ >= std::chrono::milliseconds(30)) {
    fe_.Render();
    lastRender_ = now;
  }
  fe_.Pump(0);
  fe_.DispatchQueued();
}

void TermEvents::Sleep(int milliseconds) {
  fe_.Render();
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    fe_.Pump(static_cast<int>(left));
  }
}

}  // namespace tembra::terminal
