// Message boxes, the input box (a dialog built in memory: prompt, caption, default
// answer, OK and Cancel) and the beep.
#include "platform/win32/gui/desktop.h"

#include <vector>

namespace tembra::win32 {

namespace {

const wchar_t kDefaultCaption[] = L"Tembra";
constexpr int kEditId = 100, kPromptId = 101, kOptionId = 102;

std::wstring CaptionOf(const std::string& caption, bool utf8) {
  return caption.empty() ? std::wstring(kDefaultCaption) : WideText(caption, utf8);
}

// A dialog template in memory: header, then one item after another, each on a
// 4-byte boundary, as DialogBoxIndirect reads it.
class Template {
 public:
  Template(DWORD style, short cx, short cy) {
    Align4();
    Dword(style);
    Dword(0);     // extended style
    countAt_ = words_.size();
    Word(0);      // item count, filled in by Add
    Word(0);      // x
    Word(0);      // y
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(0);      // no menu
    Word(0);      // the standard dialog class
    Word(0);      // no title here; WM_INITDIALOG sets it
    Word(8);      // point size of the dialog font (DS_SETFONT)
    String(L"MS Shell Dlg");
  }

  void Add(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom) {
    Align4();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(classAtom);  // 0x0080 button, 0x0081 edit, 0x0082 static
    Word(0);          // no text here
    Word(0);          // no creation data
    ++words_[countAt_];
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void String(const wchar_t* s) {
    for (; *s; ++s) Word(static_cast<WORD>(*s));
    Word(0);
  }
  void Align4() {
    if (words_.size() % 2) Word(0);  // the vector's data is 4-byte aligned
  }
  std::vector<WORD> words_;
  size_t countAt_ = 0;
};

struct InputState {
  std::wstring prompt, caption, text;
  std::wstring optionLabel;  // a check box beside the answer when not empty
  bool optionOn = false;
};

INT_PTR CALLBACK InputProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* s = reinterpret_cast<InputState*>(lParam);
      ::SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      ::SetWindowTextW(dlg, s->caption.c_str());
      ::SetDlgItemTextW(dlg, kPromptId, s->prompt.c_str());
      ::SetDlgItemTextW(dlg, IDOK, L"OK");
      ::SetDlgItemTextW(dlg, IDCANCEL, L"Cancel");
      if (!s->optionLabel.empty()) {
        ::SetDlgItemTextW(dlg, kOptionId, s->optionLabel.c_str());
        ::CheckDlgButton(dlg, kOptionId, s->optionOn ? BST_CHECKED : BST_UNCHECKED);
      }
      HWND edit = ::GetDlgItem(dlg, kEditId);
      ::SetWindowTextW(edit, s->text.c_str());
      ::SendMessageW(edit, EM_SETSEL, 0, -1);
      ::SetFocus(edit);
      return FALSE;  // the focus was set here
    }
    case WM_COMMAND: {
      WORD id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        auto* s = reinterpret_cast<InputState*>(::GetWindowLongPtrW(dlg, DWLP_USER));
        if (id == IDOK && s) {
          HWND edit = ::GetDlgItem(dlg, kEditId);
          int n = ::GetWindowTextLengthW(edit);
          std::wstring t(static_cast<size_t>(n) + 1, L'\0');
          int got = ::GetWindowTextW(edit, t.data(), n + 1);
          t.resize(static_cast<size_t>(got > 0 ? got : 0));
          s->text = t;
          if (!s->optionLabel.empty()) s->optionOn = ::IsDlgButtonChecked(dlg, kOptionId) == BST_CHECKED;
        }
        ::EndDialog(dlg, id == IDOK ? 1 : 0);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int DesktopDialogs::MsgBox(const std::string& text, const std::string& caption, MsgButtons buttons) {
  UINT type = MB_OK;
  if (buttons == MsgButtons::OKCancel) type = MB_OKCANCEL;
  else if (buttons == MsgButtons::YesNo) type = MB_YESNO | MB_DEFBUTTON2;
  HWND owner = ::IsWindowVisible(window_.Handle()) ? window_.Handle() : nullptr;
  const bool utf8 = window_.Utf8Text();
  int rc =
      ::MessageBoxW(owner, WideText(text, utf8).c_str(), CaptionOf(caption, utf8).c_str(), type | MB_SETFOREGROUND);
  window_.KeysReleasedDuringModal();
  switch (rc) {
    case IDOK:
      return kAnswerOK;
    case IDYES:
      return kAnswerYes;
    case IDNO:
      return kAnswerNo;
    case IDCANCEL:
      return kAnswerCancel;
    default:
      // The box could not be shown: the safe answer of its buttons.
      return buttons == MsgButtons::YesNo ? kAnswerNo : buttons == MsgButtons::OKCancel ? kAnswerCancel : kAnswerOK;
  }
}

bool DesktopDialogs::InputBox(const std::string& prompt, const std::string& caption, const std::string& defaultText,
                              std::string& answer) {
  return ShowInputBox(prompt, caption, defaultText, answer, nullptr);
}

bool DesktopDialogs::InputBoxWithOption(const std::string& prompt, const std::string& caption,
                                        const std::string& defaultText, std::string& answer, InputOption& option) {
  return ShowInputBox(prompt, caption, defaultText, answer, &option);
}

bool DesktopDialogs::ShowInputBox(const std::string& prompt, const std::string& caption,
                                  const std::string& defaultText, std::string& answer, InputOption* option) {
  // The layout of the usual input box, in dialog units: the prompt at the top left,
  // OK and Cancel at the right, the answer across the bottom; a switch is a check box
  // under the buttons, labelled with the name of its "on" state ("Any case").
  Template t(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 260, 86);
  t.Add(SS_LEFT | SS_NOPREFIX, 7, 7, 184, 52, kPromptId, 0x0082);
  t.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 200, 7, 53, 14, IDOK, 0x0080);
  t.Add(BS_PUSHBUTTON | WS_TABSTOP, 200, 25, 53, 14, IDCANCEL, 0x0080);
  t.Add(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 64, 246, 13, kEditId, 0x0081);
  if (option) t.Add(BS_AUTOCHECKBOX | WS_TABSTOP, 200, 45, 53, 12, kOptionId, 0x0080);
  // The texts and the answer in the character set of the moment: a typed answer in
  // UTF-8 is UTF-8 bytes.
  const bool utf8 = window_.Utf8Text();
  InputState s{WideText(prompt, utf8), CaptionOf(caption, utf8), WideText(defaultText, utf8), {}, false};
  if (option) {
    const std::string& l = option->labelOn;
    s.optionLabel = WideText(l.substr(0, l.find(" (")), utf8);
    s.optionOn = option->on;
  }
  HWND owner = ::IsWindowVisible(window_.Handle()) ? window_.Handle() : nullptr;
  INT_PTR rc = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.Get(), owner, &InputProc,
                                         reinterpret_cast<LPARAM>(&s));
  window_.KeysReleasedDuringModal();
  if (rc != 1) {
    answer.clear();
    return false;
  }
  if (option) option->on = s.optionOn;
  answer = NarrowText(s.text, utf8);
  return true;
}

void DesktopDialogs::Beep() { ::MessageBeep(MB_OK); }

}  // namespace tembra::win32
