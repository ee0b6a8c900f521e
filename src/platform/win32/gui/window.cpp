// The desktop window: sizes in twips, GDI text in the chosen fixed-pitch font, filled
// rectangles, the caption, keyboard and mouse messages turned into the lister's events,
// the event pump and the clipboard.
#include "platform/win32/gui/desktop.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/lister.h"

namespace tembra::win32 {

namespace {
const wchar_t kClassName[] = L"TembraWindow";

int ShiftState() {
  int s = 0;
  if (::GetKeyState(VK_SHIFT) & 0x8000) s |= kShift;
  if (::GetKeyState(VK_CONTROL) & 0x8000) s |= kCtrl;
  if (::GetKeyState(VK_MENU) & 0x8000) s |= kAlt;
  return s;
}
}  // namespace

DesktopWindow::~DesktopWindow() {
  if (mem_) {
    if (oldFont_) ::SelectObject(mem_, oldFont_);
    if (oldBitmap_) ::SelectObject(mem_, oldBitmap_);
    ::DeleteDC(mem_);
  }
  if (font_) ::DeleteObject(font_);
  if (bitmap_) ::DeleteObject(bitmap_);
  if (hwnd_) {
    // Gone with its owner: no quit message, which would end the modal loops of
    // dialogs shown afterwards.
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

bool DesktopWindow::Create(HINSTANCE instance) {
  WNDCLASSEXW wc;
  std::memset(&wc, 0, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS | CS_OWNDC;
  wc.lpfnWndProc = &DesktopWindow::Proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kClassName;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  HDC screen = ::GetDC(nullptr);
  int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
  dpiY_ = ::GetDeviceCaps(screen, LOGPIXELSY);
  if (dpiX <= 0) dpiX = 96;
  if (dpiY_ <= 0) dpiY_ = 96;
  tppX_ = 1440.0 / dpiX;
  tppY_ = 1440.0 / dpiY_;
  mem_ = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  if (!mem_) return false;
  ::SetBkMode(mem_, TRANSPARENT);
  ::SetTextAlign(mem_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  EnsureBuffer(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));

  hwnd_ = ::CreateWindowExW(0, kClassName, L"Tembra", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                            nullptr, nullptr, instance, this);
  return hwnd_ != nullptr;
}

void DesktopWindow::Attach(Lister* lister) {
  lister_ = lister;
  FollowCharset(lister ? &lister->bUtf8 : nullptr);
}

void DesktopWindow::KeysReleasedDuringModal() {
  if (!lister_ || lister_->nKeyHeld == 0) return;
  if (!(::GetKeyState(lister_->nKeyHeld) & 0x8000)) lister_->Form_KeyUp(lister_->nKeyHeld, ShiftState());
}

int DesktopWindow::MessageLoop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

// ---------------------------------------------------------------- units and buffer

int DesktopWindow::Px(double twips) const { return static_cast<int>(std::lround(twips / tppX_)); }
int DesktopWindow::Py(double twips) const { return static_cast<int>(std::lround(twips / tppY_)); }

void DesktopWindow::EnsureBuffer(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (bitmap_ && width <= bufW_ && height <= bufH_) return;
  int w = std::max(width, bufW_), h = std::max(height, bufH_);
  HDC screen = ::GetDC(nullptr);
  HBITMAP bigger = ::CreateCompatibleBitmap(screen, w, h);
  ::ReleaseDC(nullptr, screen);
  if (!bigger) return;  // keep drawing into the old buffer
  HDC copy = ::CreateCompatibleDC(mem_);
  HGDIOBJ old = ::SelectObject(copy, bigger);
  RECT all{0, 0, w, h};
  HBRUSH brush = ::CreateSolidBrush(back_);
  ::FillRect(copy, &all, brush);
  ::DeleteObject(brush);
  if (bitmap_) ::BitBlt(copy, 0, 0, bufW_, bufH_, mem_, 0, 0, SRCCOPY);
  ::SelectObject(copy, old);
  ::DeleteDC(copy);
  HGDIOBJ previous = ::SelectObject(mem_, bigger);
  if (!oldBitmap_) oldBitmap_ = static_cast<HBITMAP>(previous);
  if (bitmap_) ::DeleteObject(bitmap_);
  bitmap_ = bigger;
  bufW_ = w;
  bufH_ = h;
}

void DesktopWindow::Invalidate(const RECT& r) {
  if (hwnd_) ::InvalidateRect(hwnd_, &r, FALSE);
}

// ---------------------------------------------------------------- sizes and position

long DesktopWindow::ScreenWidth() const { return std::lround(::GetSystemMetrics(SM_CXSCREEN) * tppX_); }
long DesktopWindow::ScreenHeight() const { return std::lround(::GetSystemMetrics(SM_CYSCREEN) * tppY_); }

long DesktopWindow::OuterWidth() const {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  return std::lround((r.right - r.left) * tppX_);
}

long DesktopWindow::OuterHeight() const {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  return std::lround((r.bottom - r.top) * tppY_);
}

long DesktopWindow::ClientWidth() const {
  RECT r{};
  ::GetClientRect(hwnd_, &r);
  return std::lround((r.right - r.left) * tppX_);
}

long DesktopWindow::ClientHeight() const {
  RECT r{};
  ::GetClientRect(hwnd_, &r);
  return std::lround((r.bottom - r.top) * tppY_);
}

void DesktopWindow::SetOuterWidth(long w) {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, std::max(Px(w), 1), r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopWindow::SetOuterHeight(long h) {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, std::max(Py(h), 1),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopWindow::SetLeft(long x) {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  ::SetWindowPos(hwnd_, nullptr, Px(x), r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopWindow::SetTop(long y) {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  ::SetWindowPos(hwnd_, nullptr, r.left, Py(y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopWindow::SetCaption(const std::string& text) {
  ::SetWindowTextW(hwnd_, WideText(text, Utf8Text()).c_str());
}

void DesktopWindow::BringToFront() {
  // Shows the window when it is still hidden; a shown window keeps its place, so that
  // messages do not take the focus from another program.
  if (!::IsWindowVisible(hwnd_)) {
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd_);
  } else if (::IsIconic(hwnd_)) {
    ::ShowWindow(hwnd_, SW_RESTORE);
  }
}

// ---------------------------------------------------------------- font and text

void DesktopWindow::SetFontName(const std::string& face) {
  if (face != face_) fontDirty_ = true;
  face_ = face;
}

void DesktopWindow::SetFontSize(double points) {
  if (points > 0 && points != size_) {
    size_ = points;
    fontDirty_ = true;
  }
}

void DesktopWindow::SetBold(bool on) {
  if (on != bold_) fontDirty_ = true;
  bold_ = on;
}

void DesktopWindow::SetUnderline(bool on) {
  if (on != underline_) fontDirty_ = true;
  underline_ = on;
}

void DesktopWindow::SetItalic(bool on) {
  if (on != italic_) fontDirty_ = true;
  italic_ = on;
}

void DesktopWindow::EnsureFont() {
  if (!fontDirty_ && font_) return;
  LOGFONTW lf;
  std::memset(&lf, 0, sizeof lf);
  lf.lfHeight = -std::max(1, static_cast<int>(std::lround(size_ * dpiY_ / 72.0)));
  lf.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = italic_ ? TRUE : FALSE;
  lf.lfUnderline = underline_ ? TRUE : FALSE;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_MODERN;  // a missing face falls back to a fixed-pitch one
  std::wstring face = Wide(face_.substr(0, LF_FACESIZE - 1));
  std::wmemcpy(lf.lfFaceName, face.c_str(), face.size());
  HFONT f = ::CreateFontIndirectW(&lf);
  if (!f) return;
  HGDIOBJ previous = ::SelectObject(mem_, f);
  if (!oldFont_) oldFont_ = static_cast<HFONT>(previous);
  if (font_) ::DeleteObject(font_);
  font_ = f;
  fontDirty_ = false;
}

std::string DesktopWindow::ActualFontFace() {
  EnsureFont();
  wchar_t name[LF_FACESIZE + 1] = {0};
  int n = ::GetTextFaceW(mem_, LF_FACESIZE, name);
  return n > 0 ? Narrow(std::wstring(name)) : std::string();
}

double DesktopWindow::TextWidth(const std::string& text) {
  if (text.empty()) return 0;
  EnsureFont();
  std::wstring w = Wide(text);
  SIZE size{};
  if (!::GetTextExtentPoint32W(mem_, w.c_str(), static_cast<int>(w.size()), &size)) return 0;
  return size.cx * tppX_;
}

void DesktopWindow::FillRect(long x1, long y1, long x2, long y2, uint32_t color) {
  // Both corners belong to the rectangle.
  RECT r{Px(std::min(x1, x2)), Py(std::min(y1, y2)), Px(std::max(x1, x2)) + 1, Py(std::max(y1, y2)) + 1};
  HBRUSH brush = ::CreateSolidBrush(color & 0xFFFFFF);
  ::FillRect(mem_, &r, brush);
  ::DeleteObject(brush);
  Invalidate(r);
}

void DesktopWindow::PrintAt(long x, long y, const std::string& text) {
  if (text.empty()) return;
  EnsureFont();
  std::wstring w = Wide(text);
  int px = Px(x), py = Py(y);
  ::SetTextColor(mem_, fore_ & 0xFFFFFF);
  ::TextOutW(mem_, px, py, w.c_str(), static_cast<int>(w.size()));
  SIZE size{};
  ::GetTextExtentPoint32W(mem_, w.c_str(), static_cast<int>(w.size()), &size);
  RECT r{px, py, px + size.cx + 2, py + size.cy + 1};  // italic and bold overhang
  Invalidate(r);
}

namespace {
void AppendUtf16(CellText& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp > 0xFFFF) {
    cp -= 0x10000;
    out.text += static_cast<wchar_t>(0xD800 + (cp >> 10));
    out.text += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    out.dx.push_back(0);
  } else {
    out.text += static_cast<wchar_t>(cp);
  }
  out.dx.push_back(0);
}
}  // namespace

CellText CellsToUtf16(const std::vector<TextCell>& cells, int cellPx) {
  CellText out;
  out.text.reserve(cells.size());
  out.dx.reserve(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    const TextCell& c = cells[i];
    // The second half of a wide character is drawn with its first; one whose first half
    // is not in this print, and a first half whose second is not, show as a blank.
    if (c.width == 0 && i > 0 && cells[i - 1].width == 2) continue;
    const bool whole = c.width == 1 || (c.width == 2 && i + 1 < cells.size() && cells[i + 1].width == 0);
    const size_t start = out.text.size();
    AppendUtf16(out, whole ? c.ch : U' ');
    size_t baseEnd = out.text.size();
    if (whole && c.mark != 0) {
      // The mark's own advance is 0: drawn at the end of its character's cell, its
      // negative bearing puts it over that character, as zero-width marks are designed.
      AppendUtf16(out, c.mark);
      // A character and mark with a precomposed form ("e" and U+0301: "é") draw as that
      // one character, which fonts have far more often than the bare mark.
      wchar_t composed[4] = {0};
      const int n = ::FoldStringW(MAP_PRECOMPOSED, out.text.c_str() + start, static_cast<int>(out.text.size() - start),
                                  composed, 4);
      if (n == 1) {
        out.text.resize(start);
        out.dx.resize(start);
        out.text += composed[0];
        out.dx.push_back(0);
        baseEnd = out.text.size();
      }
    }
    out.dx[baseEnd - 1] = cellPx * (whole && c.width == 2 ? 2 : 1);
  }
  return out;
}

void DesktopWindow::PrintCellsAt(long x, long y, const std::vector<TextCell>& cells) {
  if (cells.empty()) return;
  EnsureFont();
  // A cell is as wide as one character of the (fixed-pitch) font, as the Windows-1252
  // prints are.
  SIZE digits{};
  ::GetTextExtentPoint32W(mem_, L"1234567890", 10, &digits);
  const int cellPx = std::max(1, static_cast<int>(std::lround(digits.cx / 10.0)));
  CellText t = CellsToUtf16(cells, cellPx);
  int px = Px(x), py = Py(y);
  ::SetTextColor(mem_, fore_ & 0xFFFFFF);
  ::ExtTextOutW(mem_, px, py, 0, nullptr, t.text.c_str(), static_cast<UINT>(t.text.size()), t.dx.data());
  long width = 0;
  for (INT d : t.dx) width += d;
  RECT r{px, py, px + static_cast<int>(width) + 2, py + digits.cy + 1};  // italic and bold overhang
  Invalidate(r);
}

uint32_t DesktopWindow::PixelAt(int x, int y) const {
  COLORREF c = ::GetPixel(mem_, x, y);
  return c == CLR_INVALID ? 0xFFFFFFFFu : static_cast<uint32_t>(c);
}

// ---------------------------------------------------------------- events and clipboard

void DesktopWindow::DoEvents() {
  // Runs the messages that are waiting now, as many as were queued; a window closed
  // meanwhile ends the process through the unload event.
  ++pumpDepth_;
  MSG msg;
  // While a key-down whose character is queued runs, keyboard and mouse messages wait:
  // the character must come first and then the input after it, in order.
  auto next = [&](MSG& m) {
    if (holdInput_ == 0) return ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) != 0;
    return ::PeekMessageW(&m, nullptr, 0, WM_KEYFIRST - 1, PM_REMOVE) ||
           ::PeekMessageW(&m, nullptr, WM_KEYLAST + 1, WM_MOUSEFIRST - 1, PM_REMOVE) ||
           ::PeekMessageW(&m, nullptr, WM_MOUSELAST + 1, 0xFFFFFFFFu, PM_REMOVE);
  };
  for (int i = 0; i < 10000 && next(msg); ++i) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  --pumpDepth_;
}

void DesktopWindow::Sleep(int milliseconds) {
  if (milliseconds > 0) ::Sleep(static_cast<DWORD>(milliseconds));
}

bool DesktopWindow::OpenClipboardRetrying() {
  // Another program may hold the clipboard for a moment.
  for (int i = 0; i < 20; ++i) {
    if (::OpenClipboard(hwnd_)) return true;
    ::Sleep(10);
  }
  return false;
}

void DesktopWindow::Clear() {
  if (!OpenClipboardRetrying()) return;
  ::EmptyClipboard();
  ::CloseClipboard();
}

void DesktopWindow::SetText(const std::string& text) {
  if (!OpenClipboardRetrying()) return;
  ::EmptyClipboard();
  // CF_TEXT with the bytes as they are, and the same text as UTF-16 (decoded in the
  // character set of the moment) so that a program reading UTF-16 pastes the same
  // characters as the page shows.
  if (HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    char* p = static_cast<char*>(::GlobalLock(g));
    if (p) {
      std::memcpy(p, text.data(), text.size());
      p[text.size()] = '\0';
      ::GlobalUnlock(g);
      if (!::SetClipboardData(CF_TEXT, g)) ::GlobalFree(g);
    } else {
      ::GlobalFree(g);
    }
  }
  std::wstring w = WideText(text, Utf8Text());
  if (HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t))) {
    wchar_t* p = static_cast<wchar_t*>(::GlobalLock(g));
    if (p) {
      std::wmemcpy(p, w.c_str(), w.size() + 1);
      ::GlobalUnlock(g);
      if (!::SetClipboardData(CF_UNICODETEXT, g)) ::GlobalFree(g);
    } else {
      ::GlobalFree(g);
    }
  }
  ::CloseClipboard();
}

// ---------------------------------------------------------------- messages

LRESULT CALLBACK DesktopWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<DesktopWindow*>(cs->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<DesktopWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->Handle(msg, wParam, lParam);
}

void DesktopWindow::KeyDown(WPARAM vk) {
  if (!lister_) return;
  // The key's character (posted when the key-down was translated) reaches the program
  // after its key-down and before anything typed later.
  MSG pending;
  const bool charFollows = ::PeekMessageW(&pending, hwnd_, WM_CHAR, WM_CHAR, PM_NOREMOVE) != 0;
  CountWhile hold(holdInput_, charFollows);
  lister_->Form_KeyDown(static_cast<int>(vk), ShiftState());
}

void DesktopWindow::Mouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!lister_) return;
  double x = GET_X_LPARAM(lParam) * tppX_, y = GET_Y_LPARAM(lParam) * tppY_;
  int shift = ((wParam & MK_SHIFT) ? kShift : 0) | ((wParam & MK_CONTROL) ? kCtrl : 0) |
              ((::GetKeyState(VK_MENU) & 0x8000) ? kAlt : 0);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      int button = msg == WM_LBUTTONDOWN ? 1 : msg == WM_RBUTTONDOWN ? 2 : 4;
      ::SetCapture(hwnd_);
      afterDoubleClick_ = false;
      lister_->Form_MouseDown(button, shift, x, y);
      break;
    }
    case WM_MOUSEMOVE: {
      int buttons = ((wParam & MK_LBUTTON) ? 1 : 0) | ((wParam & MK_RBUTTON) ? 2 : 0) | ((wParam & MK_MBUTTON) ? 4 : 0);
      lister_->Form_MouseMove(buttons, shift, x, y);
      break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      int button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : 4;
      ::ReleaseCapture();
      bool click = !afterDoubleClick_;
      afterDoubleClick_ = false;
      lister_->Form_MouseUp(button, shift, x, y);
      if (click) lister_->Form_Click();
      break;
    }
    case WM_LBUTTONDBLCLK:
      // The second press of a double click: the double-click event, then its release
      // brings a mouse-up without a click.
      ::SetCapture(hwnd_);
      afterDoubleClick_ = true;
      lister_->Form_DblClick();
      break;
    default:
      break;
  }
}

LRESULT DesktopWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the whole client area comes from the page buffer
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd_, &ps);
      const RECT& r = ps.rcPaint;
      ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem_, r.left, r.top, SRCCOPY);
      ::EndPaint(hwnd_, &ps);
      if (paintEventDue_ && lister_) {
        paintEventDue_ = false;
        lister_->Form_Paint();
      }
      return 0;
    }
    case WM_SIZE: {
      if (wParam == SIZE_MINIMIZED) return 0;
      EnsureBuffer(LOWORD(lParam), HIWORD(lParam));
      if (lister_) lister_->Form_Resize();
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // The page needs its title line, one content line and the message line.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      RECT frame{0, 0, 0, Py(3 * size_ * 20)};
      ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
      info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, frame.bottom - frame.top);
      return 0;
    }
    case WM_SETFOCUS:
      if (lister_) lister_->Form_GotFocus();
      return 0;
    case WM_KILLFOCUS:
      if (lister_) lister_->Form_LostFocus();
      return 0;
    case WM_CLOSE:
      if (lister_) lister_->Form_Unload();  // ends the process
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      KeyDown(wParam);
      return 0;
    case WM_SYSKEYDOWN:
      // F10 and the Alt combinations are the program's keys, not the system menu's;
      // Alt+F4 still closes the window.
      KeyDown(wParam);
      if (wParam == VK_F4 && (ShiftState() & kAlt)) return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (lister_) lister_->Form_KeyUp(static_cast<int>(wParam), ShiftState());
      return 0;
    case WM_CHAR: {
      if (!lister_) return 0;
      wchar_t wc = static_cast<wchar_t>(wParam);
      if (wc < 0x80) {
        lister_->Form_KeyPress(static_cast<int>(wc));
      } else {
        BOOL lost = FALSE;
        char one = 0;
        // Only characters that exist in Windows-1252 reach the program.
        if (::WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &wc, 1, &one, 1, nullptr, &lost) == 1 && !lost)
          lister_->Form_KeyPress(static_cast<unsigned char>(one));
      }
      return 0;
    }
    case WM_SYSCHAR:
      return 0;  // Alt with a character key gives no character event (and no beep)
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
      Mouse(msg, wParam, lParam);
      return 0;
    default:
      return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
  }
}

}  // namespace tembra::win32
