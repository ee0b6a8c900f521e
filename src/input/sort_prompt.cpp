// The sort prompt: it waits for the sort key over the directory page; the sort letters
// sort the entries, the Ctrl keys show information boxes, anything else refuses it.
#include "input/sort_prompt.h"

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "fileops/fileops_state.h"
#include "config/config_state.h"
#include "dirlist/entry_list.h"
#include "dirlist/dir_page.h"
#include "input/key_reference.h"

namespace tembra {

void SortPrompt::Open() {
  W.SetDisplayMode(ShownPage::SortPrompt);
  W.VXERROR(MsgText(Msg::VX0088));
  bSortPrompt = true;
}

void SortPrompt::Leave() {
  bSortPrompt = false;
  W.SyncDisplayMode();
}

namespace {
// A text shorter than 30 characters centred with blanks on both sides.
std::string Centred(const std::string& s) {
  if (s.size() >= 30) return s;
  long pad = static_cast<long>(RoundHalfEven((30.0 - static_cast<double>(s.size())) / 2.0));
  return Space(pad) + s + Space(pad);
}

void LeavePrompt(Lister& l) { l.Prompt().Leave(); }

// An information key's box, which answers the prompt.
KeyNext Info(Lister& l, const std::string& text, const std::string& caption) {
  l.MsgBox(text, caption, MsgButtons::OK);
  LeavePrompt(l);
  return KeyNext::Done;
}
KeyNext ConfigFileInfo(Lister& l, int, int) { return Info(l, Centred(l.ShownPath(l.Config().zConfigFile)), MsgText(Msg::VX0252Config)); }
KeyNext DeleteCountInfo(Lister& l, int, int) {
  return Info(l, "About to delete " + Format(l.FileWork().nDeletable, "##0") + " files", MsgText(Msg::VX0252Delete));
}
KeyNext AppPathInfo(Lister& l, int, int) { return Info(l, Centred(l.ShownPath(l.zAppPath)), MsgText(Msg::VX0252AppPath)); }
KeyNext CommandLineInfo(Lister& l, int, int) {
  return Info(l, l.qbFl(static_cast<double>(l.zCommandLine.size()), "##0") + "," + l.zCommandLine, "");
}
KeyNext CurrentDirInfo(Lister& l, int, int) { return Info(l, l.ShownPath(l.P.files.CurrentDirectory()), l.ShownPath(l.zCurDir)); }

// The legend of the information keys; a typed "?" goes on to the page's keys.
KeyNext InfoLegend(Lister& l, int, int) {
  l.VXERROR(MsgText(Msg::VX0252Legend));
  return KeyNext::PassOn;
}

KeyNext EndFromPrompt(Lister& l, int, int) {
  LeavePrompt(l);
  l.END_TEMBRA();
  return KeyNext::Done;
}

// "-" and "+": the direction of the sort to come; the character goes on to the page's keys.
KeyNext SortDescending(Lister& l, int, int) {
  l.Entries().bSortAscending = false;
  return KeyNext::PassOn;
}
KeyNext SortAscending(Lister& l, int, int) {
  l.Entries().bSortAscending = true;
  return KeyNext::PassOn;
}

KeyNext CancelSort(Lister& l, int, int) {
  l.Entries().bSortAscending = true;
  l.VXERROR("");
  LeavePrompt(l);
  return KeyNext::Done;
}

// A sort letter: sorts the entries (D twice: directories by date too).
KeyNext SortBy(Lister& l, int code, int) {
  const std::string keyU = UCase(Chr(code));
  if (keyU == "D" && l.Entries().zSortLetter == "D") l.Entries().bSortDirsByDate = !l.Entries().bSortDirsByDate;
  l.Entries().zSortLetter = keyU;
  LeavePrompt(l);
  l.VXERROR("");
  l.Entries().nSortStart = l.P.clock.SecondsSinceMidnight();
  l.Entries().SORTEMALL();
  l.Entries().nSortSeconds = l.P.clock.SecondsSinceMidnight() - l.Entries().nSortStart;
  return KeyNext::Redraw;
}
}  // namespace

const KeySection& SortPromptKeys() {
  // F1 (help) is taken before the prompt's keys.
  static const KeySection kPage = {
      "Sort prompt",
      {
          {"`F` / `E` / `D` / `S` / `N`",
           "sort by name / extension / date / size / none, with or without Shift (`D` again: directories by "
           "date too)",
           {OnLetters('D', 'F', SortBy), OnLetters('N', 'N', SortBy), OnLetters('S', 'S', SortBy)}},
          {"`R` / `U`", "by name, temporary copies beside their originals (`R`: marked files first, as `F`)",
           {OnLetters('R', 'R', SortBy), OnLetters('U', 'U', SortBy)}},
          {"`-` / `+`", "descending / ascending, then the letter",
           {OnChar('-', '-', SortDescending), OnChar('+', '+', SortAscending)}},
          {"`X`, Esc", "cancel", {OnLetters('X', 'X', CancelSort), OnChar(kChEsc, kChEsc, CancelSort)}},
          {"`?`, Ctrl+B, Ctrl+/", "legend of the information keys",
           {OnChar('?', '?', InfoLegend), OnKey('B', 'B', kCtrl, kCtrl, InfoLegend),
            OnKey(kVkSlash, kVkSlash, kCtrl, kCtrl, InfoLegend)}},
          {"Ctrl+C / Ctrl+D", "configuration file / number of files marked for automatic deletion",
           {OnKey('C', 'C', kCtrl, kCtrl, ConfigFileInfo), OnKey('D', 'D', kCtrl, kCtrl, DeleteCountInfo)}},
          {"Ctrl+P / Ctrl+Q / Ctrl+R", "program folder / command line / current directory",
           {OnKey('P', 'P', kCtrl, kCtrl, AppPathInfo), OnKey('Q', 'Q', kCtrl, kCtrl, CommandLineInfo),
            OnKey('R', 'R', kCtrl, kCtrl, CurrentDirInfo)}},
          {"F1", "this list of keys (Esc or F1 closes it; the prompt stays)"},
          {"F10", "end", {OnKey(kVkF10, kVkF10, kAnyShift, 0, EndFromPrompt)}},
      }};
  return kPage;
}

const KeySection& SortPrompt::Keys() const { return SortPromptKeys(); }

// The sort prompt waits for its answer: the sort keys, or Ctrl with an information key.
// Its key-down actions draw what they change themselves.
KeyNext SortPrompt::KeyDown(int KeyCode, int Shift) {
  if (const KeyBinding* b = FindKeyBinding(SortPromptKeys(), KeyBinding::On::Down, KeyCode, Shift))
    b->action(W, KeyCode, Shift);
  if (Shift & kCtrl) return KeyNext::Done;
  bool letter = KeyCode >= 'A' && KeyCode <= 'Z' && std::string_view("DFSENXRU").find(static_cast<char>(KeyCode)) !=
                                                        std::string_view::npos;
  // Esc is accepted too: the character event then cancels the prompt.
  bool ok = letter || KeyCode == kVkShift || (KeyCode == kVkEquals && (Shift & kShift)) || KeyCode == kVkMinus ||
            KeyCode == kVkSubtract || KeyCode == kVkAdd || KeyCode == kVkEsc;
  if (!ok) {
    W.Beep();
    bSortPrompt = false;
    W.VXERROR(MsgText(Msg::VX1018));
    W.SyncDisplayMode();
    // The refused key does not go on to act as a command.
    if (ProducesChar(KeyCode, Shift)) W.bSwallowChar = true;
  }
  return KeyNext::Done;
}


// The sort letters act on their character; a character without a binding goes on to
// the page's keys.
KeyNext SortPrompt::KeyPress(int keyascii) {
  const KeyBinding* b = FindKeyBinding(SortPromptKeys(), KeyBinding::On::Char, keyascii, 0);
  if (!b) return KeyNext::PassOn;
  const KeyNext next = b->action(W, keyascii, 0);
  return next == KeyNext::Redraw || next == KeyNext::PassOn ? next : KeyNext::Done;
}

void SortPrompt::Draw() { W.Dir().Draw(); }
void SortPrompt::Title() { W.Dir().Title(); }

}  // namespace tembra
