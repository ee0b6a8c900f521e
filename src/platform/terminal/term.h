// The terminal itself: its modes (raw input, alternate screen, mouse reporting), its
// capabilities from terminfo, reading input bytes, and drawing frames of cells with the
// fewest changes. The terminal is put back into its normal mode on every way out:
// Leave(), exit(), fatal signals and termination signals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/terminal/colors.h"

namespace tembra::terminal {

struct FrameCell {
  char32_t ch = U' ';
  uint32_t fg = 0, bg = 0;  // 0x00BBGGRR
  bool bold = false, underline = false;
  char32_t mark = 0;        // a combining mark written after the character, 0: none
  uint8_t width = 1;        // 2: a wide character's first cell, 0: its second
  bool operator==(const FrameCell& o) const {
    return ch == o.ch && fg == o.fg && bg == o.bg && bold == o.bold && underline == o.underline && mark == o.mark &&
           width == o.width;
  }
};

struct Frame {
  int cols = 0, rows = 0;
  std::vector<FrameCell> cells;
  uint32_t pageBack = 0;  // the page's background colour, kept apart from others with 8 colours
  uint32_t standOut = 0;  // the background of the cursor row, marked lines and found text
  bool showCursor = false;
  int cursorCol = 0, cursorRow = 0;  // 0-based
  FrameCell& At(int c, int r) { return cells[static_cast<size_t>(r) * cols + c]; }
};

// The character set of the locale (after setlocale) is UTF-8.
bool LocaleIsUtf8();

class Terminal {
 public:
  // Reads the terminal's description; false (with a reason) when there is no terminal.
  bool Open(std::string* error);
  // Raw mode, alternate screen, hidden cursor, mouse and focus reporting.
  void Enter();
  // Back to the normal mode (also used before a program that takes over the terminal).
  void Leave();
  bool Active() const;
  // Sets the program's mode again after the process was stopped and continued.
  void Reenter();
  // Stops the process as the suspend key (Ctrl+Z) does in a shell; returns when continued.
  void Suspend();

  // The terminal's size in cells (80 x 25 when it cannot be read).
  static void Size(int& cols, int& rows);
  // Waits up to timeoutMs (-1: no limit) for input; returns the bytes read (may be empty).
  // A resize or a resume from a stop also ends the wait.
  std::string Read(int timeoutMs);
  bool TakeResize();   // the window size changed since the last call
  bool TakeResume();   // the process was stopped and continued since the last call
  bool HungUp() const { return hungUp_; }  // the terminal went away

  void Draw(const Frame& frame);
  void Invalidate() { full_ = true; }
  void Beep();
  void SetTitle(const std::string& utf8);
  void Write(const std::string& bytes);

  ColorMode colorMode = ColorMode::Palette256;
  bool utf8 = true;

 private:
  void Flush();
  std::string out_;
  Frame last_;
  bool full_ = true;
  std::string smcup_, rmcup_, civis_, cnorm_, bel_;
  bool titles_ = false;
  std::string title_;
  bool hungUp_ = false;
  bool cursorShown_ = false;
  bool sgrValid_ = false;
  FrameCell sgr_;
};

}  // namespace tembra::terminal
