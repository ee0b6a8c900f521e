#include "platform/terminal/term.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

// Before the curses headers, whose macros take common names.
#include "core/unicode.h"
#include "platform/grid/grid.h"

#include <curses.h>
#include <term.h>

namespace tembra::terminal {

namespace {
// State the signal handlers need; only async-signal-safe calls touch it there.
struct termios g_saved;
volatile sig_atomic_t g_active = 0;
volatile sig_atomic_t g_resized = 0;
volatile sig_atomic_t g_resumed = 0;
char g_restore[512];
size_t g_restoreLen = 0;
int g_pipe[2] = {-1, -1};
bool g_handlersInstalled = false;

void WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        struct pollfd pf{fd, POLLOUT, 0};
        ::poll(&pf, 1, 100);
        continue;
      }
      return;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
}

void RestoreNow() {
  if (!g_active) return;
  g_active = 0;
  WriteAll(STDOUT_FILENO, g_restore, g_restoreLen);
  ::tcsetattr(STDIN_FILENO, TCSADRAIN, &g_saved);
}

void Wake() {
  if (g_pipe[1] >= 0) {
    char c = 1;
    ssize_t r = ::write(g_pipe[1], &c, 1);
    (void)r;
  }
}

void OnWinch(int) {
  g_resized = 1;
  Wake();
}

void OnCont(int) {
  g_resumed = 1;
  Wake();
}

void OnStop(int) {
  int saved = errno;
  bool wasActive = g_active;
  RestoreNow();
  // Stop here, as SIGTSTP's default action would. (Raising SIGTSTP again would only be
  // held pending while this handler runs, and caught again as soon as it returns.)
  ::raise(SIGSTOP);
  // Continued: the main loop enters the program's mode again and draws the page.
  if (wasActive) g_resumed = 1;
  Wake();
  errno = saved;
}

void OnDeadly(int sig) {
  RestoreNow();
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void InstallHandlers() {
  if (g_handlersInstalled) return;
  g_handlersInstalled = true;
  if (::pipe(g_pipe) == 0) {
    for (int fd : g_pipe) {
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
  struct sigaction sa{};
  ::sigemptyset(&sa.sa_mask);
  sa.sa_handler = OnWinch;
  ::sigaction(SIGWINCH, &sa, nullptr);
  sa.sa_handler = OnCont;
  ::sigaction(SIGCONT, &sa, nullptr);
  sa.sa_handler = OnStop;
  ::sigaction(SIGTSTP, &sa, nullptr);
  sa.sa_handler = OnDeadly;
  for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) ::sigaction(sig, &sa, nullptr);
  sa.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &sa, nullptr);
  std::atexit(RestoreNow);
}

std::string Cap(const char* name) {
  char* s = ::tigetstr(const_cast<char*>(name));
  if (s == nullptr || s == reinterpret_cast<char*>(-1)) return std::string();
  return s;
}

// Under a character set without box lines (LANG=C) they are drawn with ASCII; other
// characters beyond ASCII show as "?".
char32_t AsciiBoxLine(char32_t ch) {
  switch (ch) {
    case U'\u2500': return U'-';
    case U'\u2502': return U'|';
    case U'\u250C':
    case U'\u2510':
    case U'\u2514':
    case U'\u2518': return U'+';
    default: return U'?';
  }
}

}  // namespace

bool LocaleIsUtf8() {
  const char* cs = ::nl_langinfo(CODESET);
  return cs && (std::strcmp(cs, "UTF-8") == 0 || std::strcmp(cs, "utf8") == 0);
}

bool Terminal::Open(std::string* error) {
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
    if (error) *error = "standard input and output must be a terminal";
    return false;
  }
  if (::tcgetattr(STDIN_FILENO, &g_saved) != 0) {
    if (error) *error = std::string("cannot read the terminal's mode: ") + std::strerror(errno);
    return false;
  }
  int err = 0;
  const char* termName = std::getenv("TERM");
  std::string t = termName ? termName : "";
  // The page is drawn by placing the cursor: a terminal that cannot do that, or whose
  // type is not known, would only show the escape sequences.
  const std::string hint = "; set TERM to the terminal's type (for example xterm-256color)";
  if (t.empty()) {
    if (error) *error = "TERM is not set, the terminal's type is unknown" + hint;
    return false;
  }
  if (::setupterm(nullptr, STDOUT_FILENO, &err) != OK) {
    if (error) *error = "unknown terminal type \"" + t + "\" (no terminfo entry)" + hint;
    return false;
  }
  if (Cap("cup").empty()) {
    if (error) *error = "the terminal type \"" + t + "\" cannot place the cursor" + hint;
    return false;
  }
  int colors = 8;
  bool rgb = false;
  smcup_ = Cap("smcup");
  rmcup_ = Cap("rmcup");
  civis_ = Cap("civis");
  cnorm_ = Cap("cnorm");
  bel_ = Cap("bel");
  colors = ::tigetnum(const_cast<char*>("colors"));
  rgb = ::tigetflag(const_cast<char*>("RGB")) > 0;
  titles_ = !Cap("tsl").empty();
  if (bel_.empty()) bel_ = "\a";
  if (t.rfind("xterm", 0) == 0 || t.rfind("tmux", 0) == 0 || t.rfind("screen", 0) == 0 || t.rfind("rxvt", 0) == 0 ||
      t.rfind("alacritty", 0) == 0 || t.rfind("kitty", 0) == 0 || t.rfind("foot", 0) == 0)
    titles_ = true;
  colorMode = ChooseColorMode(std::getenv("COLORTERM"), rgb, colors < 0 ? 0 : colors);
  utf8 = LocaleIsUtf8();

  std::string restore = "\x1b[?1000l\x1b[?1006l\x1b[?1004l\x1b[0m\x1b[?7h" + cnorm_ + rmcup_;
  if (titles_) restore += "\x1b[23;0t";
  if (restore.size() >= sizeof g_restore) restore.resize(sizeof g_restore - 1);
  std::memcpy(g_restore, restore.data(), restore.size());
  g_restoreLen = restore.size();
  InstallHandlers();
  return true;
}

void Terminal::Enter() {
  if (g_active) return;
  struct termios raw = g_saved;
  raw.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
  raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
  raw.c_cflag |= CS8;
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  ::tcsetattr(STDIN_FILENO, TCSADRAIN, &raw);
  g_active = 1;
  std::string s;
  if (titles_) s += "\x1b[22;0t";
  s += smcup_ + civis_ + "\x1b[?7l\x1b[?1000h\x1b[?1006h\x1b[?1004h";
  Write(s);
  full_ = true;
  cursorShown_ = false;
  if (!title_.empty()) {
    std::string t = title_;
    title_.clear();
    SetTitle(t);
  }
  Flush();
}

void Terminal::Leave() {
  Flush();
  RestoreNow();
}

void Terminal::Reenter() {
  g_active = 0;
  Enter();
}

bool Terminal::Active() const { return g_active; }

void Terminal::Suspend() {
  Flush();
  // The SIGTSTP handler gives the terminal back and stops the process.
  ::raise(SIGTSTP);
}

void Terminal::Size(int& cols, int& rows) {
  struct winsize ws{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
    cols = ws.ws_col;
    rows = ws.ws_row;
  } else {
    cols = 80;
    rows = 25;
  }
}

std::string Terminal::Read(int timeoutMs) {
  Flush();
  struct pollfd pf[2] = {{STDIN_FILENO, POLLIN, 0}, {g_pipe[0], POLLIN, 0}};
  int n = ::poll(pf, g_pipe[0] >= 0 ? 2 : 1, timeoutMs);
  std::string bytes;
  if (n <= 0) return bytes;
  if (g_pipe[0] >= 0 && (pf[1].revents & POLLIN)) {
    char drain[64];
    while (::read(g_pipe[0], drain, sizeof drain) > 0) {
    }
  }
  if (pf[0].revents & (POLLIN | POLLHUP | POLLERR)) {
    char buf[4096];
    ssize_t r = ::read(STDIN_FILENO, buf, sizeof buf);
    if (r > 0) bytes.assign(buf, static_cast<size_t>(r));
    else if (r == 0 || (errno != EINTR && errno != EAGAIN)) hungUp_ = true;
  }
  return bytes;
}

bool Terminal::TakeResize() {
  if (!g_resized) return false;
  g_resized = 0;
  return true;
}

bool Terminal::TakeResume() {
  if (!g_resumed) return false;
  g_resumed = 0;
  return true;
}

void Terminal::Write(const std::string& bytes) { out_ += bytes; }

void Terminal::Flush() {
  if (out_.empty()) return;
  WriteAll(STDOUT_FILENO, out_.data(), out_.size());
  out_.clear();
}

void Terminal::Beep() {
  Write(bel_);
  Flush();
}

void Terminal::SetTitle(const std::string& utf8Title) {
  if (utf8Title == title_) return;
  title_ = utf8Title;
  if (!titles_ || !g_active) return;
  std::string clean;
  for (unsigned char c : utf8Title)
    if (c >= 32 && c != 127) clean += static_cast<char>(c);
  Write("\x1b]2;" + clean + "\x07");
}

void Terminal::Draw(const Frame& f) {
  if (!g_active) return;
  if (full_ || last_.cols != f.cols || last_.rows != f.rows) {
    out_ += "\x1b[0m\x1b[2J";
    last_.cols = f.cols;
    last_.rows = f.rows;
    FrameCell none;
    none.ch = 0xFFFFFFFF;
    last_.cells.assign(static_cast<size_t>(f.cols) * f.rows, none);
    full_ = false;
    sgrValid_ = false;
  }
  int curR = -1, curC = -1;
  int pageIdx = colorMode == ColorMode::Basic8 ? Nearest8(f.pageBack) : -1;
  // The cursor row, marked lines and found text stand 3:1 apart from the page in every
  // colour mode, their lettering legible on them.
  const bool standOut = colorMode != ColorMode::None && f.standOut != f.pageBack;
  const uint32_t standBack = standOut ? StandOutBack(colorMode, f.standOut, f.pageBack) : 0;
  for (int r = 0; r < f.rows; ++r) {
    // A row with wide characters, now or before, is written whole from its first change:
    // the terminal moves two columns for a wide character and blanks its other half when
    // one half is overwritten.
    bool wideRow = false;
    for (int c = 0; c < f.cols && !wideRow; ++c)
      wideRow = f.cells[static_cast<size_t>(r) * f.cols + c].width != 1 ||
                last_.cells[static_cast<size_t>(r) * f.cols + c].width != 1;
    int from = f.cols;  // a wide row: written from here on
    if (wideRow) {
      for (int c = 0; c < f.cols; ++c)
        if (!(f.cells[static_cast<size_t>(r) * f.cols + c] == last_.cells[static_cast<size_t>(r) * f.cols + c])) {
          from = c > 0 && f.cells[static_cast<size_t>(r) * f.cols + c].width == 0 ? c - 1 : c;
          break;
        }
    }
    for (int c = 0; c < f.cols; ++c) {
      const FrameCell& cell = f.cells[static_cast<size_t>(r) * f.cols + c];
      FrameCell& old = last_.cells[static_cast<size_t>(r) * f.cols + c];
      if (wideRow ? c < from : cell == old) continue;
      if (cell.width == 0 && utf8 && c > 0 && f.cells[static_cast<size_t>(r) * f.cols + c - 1].width == 2) {
        old = cell;  // written with its first half
        continue;
      }
      if (r != curR || c != curC) out_ += "\x1b[" + std::to_string(r + 1) + ";" + std::to_string(c + 1) + "H";
      FrameCell look = cell;
      if (standOut && cell.bg == f.standOut) {
        look.bg = standBack;
        look.fg = LegibleOn(colorMode, cell.fg, standBack, pageIdx);
      }
      if (!sgrValid_ || look.fg != sgr_.fg || look.bg != sgr_.bg || look.bold != sgr_.bold ||
          look.underline != sgr_.underline) {
        std::string s = "\x1b[0";
        if (cell.bold) s += ";1";
        if (cell.underline) s += ";4";
        if (colorMode == ColorMode::None) {
          if (cell.bg != f.pageBack) s += ";7";
        } else {
          int bgAvoid = (colorMode == ColorMode::Basic8 && look.bg != f.pageBack) ? pageIdx : -1;
          std::string bg = SgrColor(colorMode, look.bg, true, bgAvoid);
          int bgIdx = colorMode == ColorMode::Basic8 ? Nearest8(look.bg, bgAvoid) : -1;
          std::string fg = SgrColor(colorMode, look.fg, false, look.fg != look.bg ? bgIdx : -1);
          s += ";" + fg + ";" + bg;
        }
        out_ += s + "m";
        sgr_ = look;
        sgrValid_ = true;
      }
      char32_t ch = cell.ch;
      if (grid::NoGlyph(ch)) ch = U'?';
      if (cell.width == 0) ch = U' ';  // half a wide character alone
      if (!utf8 && ch >= 128) ch = AsciiBoxLine(ch);
      AppendUtf8(out_, ch);
      int advance = 1;
      if (utf8 && cell.width == 2 && c + 1 < f.cols) advance = 2;
      if (utf8 && cell.mark) AppendUtf8(out_, cell.mark);
      old = cell;
      curR = r;
      curC = c + advance;
    }
  }
  if (f.showCursor) {
    out_ += "\x1b[" + std::to_string(f.cursorRow + 1) + ";" + std::to_string(f.cursorCol + 1) + "H";
    if (!cursorShown_) out_ += cnorm_;
    cursorShown_ = true;
  } else if (cursorShown_) {
    out_ += civis_;
    cursorShown_ = false;
  }
  Flush();
}

}  // namespace tembra::terminal
