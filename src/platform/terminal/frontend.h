// The terminal front-end: the program's window is the terminal. It wires the lister to
// the terminal's grid, dialogs, events, clipboard and the POSIX file and process layer,
// delivers key and mouse events as a Windows window would, and keeps the terminal sane.
#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/lister.h"
#include "platform/grid/grid.h"
#include "platform/posix/posix_platform.h"
#include "platform/terminal/input.h"
#include "platform/terminal/term.h"

namespace tembra::terminal {

class FrontEnd;

// Thrown by EndProcess to unwind from the program to the main loop.
struct ProgramEnded {
  ExitKind kind;
};

// The window: an off-screen grid of character cells in the "fixed" font metrics,
// shown on the terminal after every event.
// A filled rectangle narrower than half a cell (the bars between entry columns) is
// shown as a line in that colour through the cell rather than as a coloured cell.
class TermWindow : public grid::GridWindow {
 public:
  TermWindow(int cols, int rows) : GridWindow(cols, rows, grid::FontKind::Fixed) {}
  void FillRect(long x1, long y1, long x2, long y2, uint32_t color) override;
  void PrintAt(long x, long y, const std::string& text) override;
  void PrintCellsAt(long x, long y, const std::vector<TextCell>& cells) override;
  // The colour of the thin bar through a cell, or -1.
  int64_t BarAt(int col, int row);

 private:
  void FitBars();
  void ClearBars(long x, long y, size_t n);
  std::vector<int64_t> bars_;
  int barCols_ = 0, barRows_ = 0;
};

// One cell of a dialog drawn over the page.
struct OverlayCell {
  bool set = false;
  FrameCell cell;
};

class TermDialogs : public Dialogs {
 public:
  explicit TermDialogs(FrontEnd& fe) : fe_(fe) {}
  int MsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) override;
  bool InputBox(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                std::string& answer) override;
  bool InputBoxWithOption(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                          std::string& answer, InputOption& option) override;
  void Beep() override;
  bool TypeAhead(const std::vector<TypedKey>& keys) override;

 private:
  bool Ask(const std::string& prompt, const std::string& caption, const std::string& defaultText,
           std::string& answer, InputOption* option);
  FrontEnd& fe_;
};

class TermEvents : public Events {
 public:
  explicit TermEvents(FrontEnd& fe) : fe_(fe) {}
  void DoEvents() override;
  void Sleep(int milliseconds) override;

 private:
  FrontEnd& fe_;
  std::chrono::steady_clock::time_point lastRender_{};
};

class TermClipboard : public Clipboard {
 public:
  explicit TermClipboard(FrontEnd& fe) : fe_(fe) {}
  void Clear() override {}
  void SetText(const std::string& text) override;

 private:
  FrontEnd& fe_;
};

class TermProcesses : public posix::PosixProcesses {
 public:
  TermProcesses(int argc, char** argv, posix::DriveMap* drives) : PosixProcesses(argc, argv, drives) {}
  [[noreturn]] void EndProcess(ExitKind kind) override { throw ProgramEnded{kind}; }
};

class FrontEnd {
 public:
  FrontEnd(int argc, char** argv);
  ~FrontEnd();
  // Runs the program until it ends; returns the process's exit status.
  int Run();
  // The first file viewed is followed at once (--follow, +F).
  void FollowFirstFile();

  // Services for the platform classes.
  Terminal& term() { return term_; }
  TermWindow& window() { return window_; }
  // Shows the page (and a dialog over it) on the terminal.
  void Render();
  // Reads waiting input into the queue, waiting up to timeoutMs (0: only what is there).
  void Pump(int timeoutMs);
  // Dispatches queued events to the program (bounded nesting).
  void DispatchQueued();
  // Follows a change of the terminal's size (the program is told later when busy).
  void FollowTerminalSize();
  std::deque<InputEvent>& queue() { return queue_.events; }
  std::vector<OverlayCell>& overlay() { return overlay_; }
  void ClearOverlay();
  bool cursorShown = false;
  int cursorCol = 0, cursorRow = 0;
  uint32_t Color(int role) const;
  // The program's text is UTF-8 (else Windows-1252); follows the character-set setting.
  bool Utf8Text() const;
  // The program's text as UTF-8 for the terminal's title and the desktop clipboard.
  std::string ToTerminalUtf8(const std::string& text) const;
  bool InModal() const { return modal_ > 0; }
  void EnterModal() { ++modal_; }
  void LeaveModal() { --modal_; }
  // A key released while a box is open: the program still hears of it (a held-key
  // guard set by the command that opened the box waits for exactly that release).
  void KeyReleasedInModal(const InputEvent& e);
  void SuspendForProgram();
  void ResumeAfterProgram();

 private:
  void Dispatch(const InputEvent& e);
  template <class F>
  void Event(F&& f);
  void CheckSignals();

  Terminal term_;
  InputDecoder decoder_;
  TermWindow window_;
  TermDialogs dialogs_;
  TermEvents events_;
  TermClipboard clipboard_;
  posix::PosixFileSystem files_;
  TermProcesses processes_;
  posix::PosixClock clock_;
  Platform platform_;
  std::unique_ptr<Lister> lister_;
  grid::KeyQueue queue_;
  std::vector<OverlayCell> overlay_;
  int termCols_ = 80, termRows_ = 25;
  int depth_ = 0;
  int modal_ = 0;
  int escDelayMs_ = 25;
  bool loaded_ = false;
  bool resizePending_ = false;  // the program has not yet relaid out for the terminal size
  // Double-click detection.
  std::chrono::steady_clock::time_point lastPress_{};
  int lastPressCol_ = -1, lastPressRow_ = -1, lastButton_ = 0;
  bool inDouble_ = false;
};

}  // namespace tembra::terminal
