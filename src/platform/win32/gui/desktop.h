// The desktop front-end: one top-level window that behaves like a character screen.
// Drawing goes to an off-screen bitmap as large as the screen, so that a page drawn
// outside a paint message stays on screen and an exposed part is copied back.
#pragma once

#include "platform/win32/win32_api.h"  // first: <windows.h> without its clashing macros

#include <string>
#include <vector>

#include "platform/platform.h"

namespace tembra {
class Lister;
}

namespace tembra::win32 {

// Decoded cells as UTF-16 for ExtTextOutW: a character above U+FFFF as a surrogate pair,
// a combining mark right after its character, and the advance after each code unit, so
// that each cell takes cellPx pixels (a wide character two). Half a wide character at
// either end, a lone second half, and what is no character (a surrogate, above
// U+10FFFF) show as blank or U+FFFD.
struct CellText {
  std::wstring text;
  std::vector<INT> dx;  // one per code unit of text
};
CellText CellsToUtf16(const std::vector<TextCell>& cells, int cellPx);

class DesktopWindow : public Window, public Events, public Clipboard {
 public:
  DesktopWindow() = default;
  ~DesktopWindow() override;
  DesktopWindow(const DesktopWindow&) = delete;
  DesktopWindow& operator=(const DesktopWindow&) = delete;

  // Creates the (still hidden) window; false when the system refuses.
  bool Create(HINSTANCE instance);
  // From now on window events reach the lister, and the texts it gives and takes are in
  // its character set of the moment.
  void Attach(Lister* lister);
  // The texts (caption, dialogs, clipboard) are UTF-8 while *utf8 is true, otherwise
  // Windows-1252; nullptr: always Windows-1252.
  void FollowCharset(const bool* utf8) { utf8_ = utf8; }
  bool Utf8Text() const { return utf8_ && *utf8_; }
  HWND Handle() const { return hwnd_; }
  // Runs the message loop until the window is gone; returns the exit code.
  int MessageLoop();
  // After a modal box: a key released while the box had the keyboard sent its key-up
  // to the box; the program is told of it here (its held-key guard waits for it).
  void KeysReleasedDuringModal();

  // Window
  long ScreenWidth() const override;
  long ScreenHeight() const override;
  double TwipsPerPixelX() const override { return tppX_; }
  double TwipsPerPixelY() const override { return tppY_; }
  long OuterWidth() const override;
  long OuterHeight() const override;
  long ClientWidth() const override;
  long ClientHeight() const override;
  void SetOuterWidth(long w) override;
  void SetOuterHeight(long h) override;
  void SetLeft(long x) override;
  void SetTop(long y) override;
  void SetCaption(const std::string& text) override;
  void SetBackColor(uint32_t color) override { back_ = color; }
  void BringToFront() override;
  void SetFontName(const std::string& face) override;
  void SetFontSize(double points) override;
  double FontSize() const override { return size_; }
  void SetBold(bool on) override;
  void SetUnderline(bool on) override;
  void SetItalic(bool on) override;
  double TextWidth(const std::string& text) override;
  void FillRect(long x1, long y1, long x2, long y2, uint32_t color) override;
  void SetForeColor(uint32_t color) override { fore_ = color; }
  void PrintAt(long x, long y, const std::string& text) override;
  // Draws each cell's character with the wide calls at its own cell.
  void PrintCellsAt(long x, long y, const std::vector<TextCell>& cells) override;

  // Events
  void DoEvents() override;
  void Sleep(int milliseconds) override;

  // Clipboard
  void Clear() override;
  void SetText(const std::string& text) override;

  // The face the system actually chose for the current font (for checks and tests).
  std::string ActualFontFace();
  // The colour of one client pixel of the drawn page (for checks and tests).
  uint32_t PixelAt(int x, int y) const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void KeyDown(WPARAM vk);
  void Mouse(UINT msg, WPARAM wParam, LPARAM lParam);
  int Px(double twips) const;
  int Py(double twips) const;
  void EnsureBuffer(int width, int height);
  void EnsureFont();
  void Invalidate(const RECT& r);
  bool OpenClipboardRetrying();

  HWND hwnd_ = nullptr;
  Lister* lister_ = nullptr;
  const bool* utf8_ = nullptr;
  double tppX_ = 15, tppY_ = 15;
  int dpiY_ = 96;
  HDC mem_ = nullptr;
  HBITMAP bitmap_ = nullptr, oldBitmap_ = nullptr;
  int bufW_ = 0, bufH_ = 0;
  HFONT font_ = nullptr, oldFont_ = nullptr;
  bool fontDirty_ = true;
  std::string face_ = "Courier New";
  double size_ = 10;
  bool bold_ = false, underline_ = false, italic_ = false;
  uint32_t back_ = 0xFFFFFF, fore_ = 0;
  bool paintEventDue_ = true;  // the first paint after the window appears relays out
  bool afterDoubleClick_ = false;
  int pumpDepth_ = 0;
  int holdInput_ = 0;  // a key-down runs whose character is still queued
};

class DesktopDialogs : public Dialogs {
 public:
  explicit DesktopDialogs(DesktopWindow& window) : window_(window) {}
  int MsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) override;
  bool InputBox(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                std::string& answer) override;
  bool InputBoxWithOption(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                          std::string& answer, InputOption& option) override;
  void Beep() override;

 private:
  bool ShowInputBox(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                    std::string& answer, InputOption* option);
  DesktopWindow& window_;
};

// tembra.exe: creates the window, runs the start-up and the message loop.
int RunDesktop(HINSTANCE instance, int show);

}  // namespace tembra::win32
