// Keyboard and mouse dispatch: the one order in which the window's parts take an event,
// the one place where what they return is applied, the keys of every page, the mouse,
// and the cursor movement of the entry lists.
#include "core/lister.h"
#include "config/config_state.h"
#include "dirlist/dir_page.h"
#include "input/help_screen.h"
#include "input/key_reference.h"
#include "input/sort_prompt.h"
#include "viewer/file_view.h"
#include "zip/zip_page.h"

namespace tembra {

namespace {
// Keys that only change the state of others: pressed alone they are no command.
bool IsLockOrModifier(int KeyCode) {
  return (KeyCode >= kVkShift && KeyCode <= 20) || KeyCode == 91 || KeyCode == 92 || KeyCode == 93 ||
         KeyCode == 144 || KeyCode == 145 || KeyCode == 0;
}
}  // namespace

namespace {
// Alt+G: the interpreter; from the file view the program then ends.
KeyNext ShellEverywhere(Lister& l, int, int) {
  const bool fileView = (l.TDISPLAY & TD_LIST) != 0;
  l.StartProgram(l.zComSpec, false);
  if (fileView) {
    l.undo();
    l.View().CloseFDBIN();
    if (l.OpenCount != 0) l.LogOpen("");
    l.SetDirMode();
    l.iInpFile = 0;
    l.END_TEMBRA();
  }
  return KeyNext::Done;
}

// Alt+W: a second instance, with the parameters this one was started with.
KeyNext SecondInstance(Lister& l, int, int) {
  l.ShellAndWait(l.zAppPath + "\\" + l.P.processes.AppExeName() + " " + l.Config().zRelaunchParm);
  return KeyNext::Done;
}

// The colour keys: F5 to F8 alone or with Ctrl or Alt pick a colour role; the
// combinations that have none beep.
KeyNext ColourF5(Lister& l, int, int Shift) {
  if (Shift & kCtrl) {
    l.PickAColor(kColorDirBack);
    l.Beep();
  } else if (Shift & kAlt) {
    l.Beep();
  } else {
    l.PickAColor(kColorBack);
  }
  return KeyNext::Done;
}
KeyNext ColourF6(Lister& l, int, int Shift) {
  l.PickAColor((Shift & kCtrl) ? kColorDirText : (Shift & kAlt) ? kColorDeletedText : kColorText);
  return KeyNext::Done;
}
KeyNext ColourF7(Lister& l, int, int Shift) {
  if (Shift & kCtrl) l.Beep();
  else l.PickAColor((Shift & kAlt) ? kColorSelectedBack : kColorInfoBack);
  return KeyNext::Done;
}
KeyNext ColourF8(Lister& l, int, int Shift) {
  if (Shift & (kCtrl | kAlt)) l.Beep();
  else l.PickAColor(kColorInfoText);
  return KeyNext::Done;
}

// F10, Alt+X: the end (the file view is left first); during the closing message, at once.
KeyNext EndEverywhere(Lister& l, int, int) {
  if (l.TDISPLAY & TD_LIST) {
    if (l.OpenCount != 0) {
      l.View().CloseFDBIN();
      l.LogOpen("");
    }
    l.bQuickEnd = true;
    l.undo();
    l.TDISPLAY ^= (TD_DIR | TD_LIST);
  }
  if (l.nFarewellMs < 1) {
    l.bDebug = false;
    l.END_TEMBRA();
  }
  l.nFarewellMs = 0;
  return KeyNext::Done;
}
// Shift+Esc: the emergency stop, at once.
KeyNext EmergencyStop(Lister& l, int, int) {
  l.undo();
  l.MsgBox("Stop - Shift_1", "", MsgButtons::OK);
  l.EndProcess(ExitKind::Immediate);
  return KeyNext::Done;
}
}  // namespace

const KeySection& EveryPageKeys() {
  static const KeySection kPage = {
      "Every page",
      {
          {"Shift+Esc", "emergency stop", {OnKey(kVkEsc, kVkEsc, kExactShift, kShift, EmergencyStop)}},
          {"Alt+G", "start a shell (from the file view: and end)", {OnKey('G', 'G', kExactShift, kAlt, ShellEverywhere)}},
          {"Alt+W", "run a second copy of the program", {OnKey('W', 'W', kExactShift, kAlt, SecondInstance)}},
          {"F5, F6, F7, F8 (with Ctrl, Alt)", "pick colours",
           {OnKey(kVkF5, kVkF5, kAnyShift, 0, ColourF5), OnKey(kVkF6, kVkF6, kAnyShift, 0, ColourF6),
            OnKey(kVkF7, kVkF7, kAnyShift, 0, ColourF7), OnKey(kVkF8, kVkF8, kAnyShift, 0, ColourF8)}},
          {"F10, Alt+X", "end",
           {OnKey(kVkF10, kVkF10, kAnyShift, 0, EndEverywhere), OnKey('X', 'X', kExactShift, kAlt, EndEverywhere)}},
      }};
  return kPage;
}

// ------------------------------------------------------------ the one event order
//
// An event (a key-down, its character, a click, a double click) is offered to the steps
// below in turn. A step that takes it returns what must happen next; PassOn leaves it to
// the next step. The states that hold every event while they last come first, then the
// keys of every page, then the page shown. TakeEvent applies the answer in one place.
namespace {
using Kind = WindowEvent::Kind;

// The event handed to a page: what the page answers.
KeyNext TakenBy(Page& page, const WindowEvent& e) {
  switch (e.kind) {
    case Kind::KeyDown: return page.KeyDown(e.code, e.shift);
    case Kind::Char: return page.KeyPress(e.code);
    case Kind::Click: return page.Click();
    case Kind::DblClick: return page.DblClick();
  }
  return KeyNext::PassOn;
}

// What the steps of one event share: the event, and on a key-down whether the parameter
// line showed before it and how many pages were drawn, and whether it reached the keys of
// every page (a key that reached them and did nothing is hinted).
struct EventRun {
  WindowEvent e;
  bool parmShown = false;
  int64_t pagesBefore = 0;
  bool reachedKeys = false;
};

// While a copy runs only Esc acts: it cancels the copy. Nothing else reaches a page.
KeyNext CopyRunning(Lister& l, EventRun& r) {
  if (!l.bFileWork) return KeyNext::PassOn;
  if (r.e.kind == Kind::KeyDown && r.e.code == kVkEsc) l.bFileWorkCancel = true;
  return KeyNext::Done;
}

// While the file's end is followed a key stops that and does nothing else.
KeyNext Following(Lister& l, EventRun& r) {
  if (r.e.kind != Kind::KeyDown || !l.View().bFollowing) return KeyNext::PassOn;
  l.View().bFollowStop = true;
  if (ProducesChar(r.e.code, r.e.shift)) l.bSwallowChar = true;
  return KeyNext::Done;
}

// The character of a key-down that took its key over does not act.
KeyNext SwallowedChar(Lister& l, EventRun& r) {
  if (r.e.kind != Kind::Char || !l.bSwallowChar) return KeyNext::PassOn;
  l.bSwallowChar = false;
  return KeyNext::Done;
}

// A new key: the last one's message has been seen, and the parameter line goes with the
// first key (the page is drawn again for it).
KeyNext NewKey(Lister& l, EventRun& r) {
  if (r.e.kind != Kind::KeyDown) return KeyNext::PassOn;
  l.zShownMessage.clear();
  l.bKeyDownActed = false;
  r.parmShown = l.bShowParm;
  r.pagesBefore = l.nPageCount;
  l.bShowParm = false;
  return KeyNext::PassOn;
}

// The closing wait: Tab and F1 make it longer, F10 and Esc end it; nothing else acts,
// and no event reaches a page that is no longer shown.
KeyNext ClosingWait(Lister& l, EventRun& r) {
  if (!l.bEnding) return KeyNext::PassOn;
  if (r.e.kind == Kind::KeyDown) {
    if (r.e.code == kVkTab || r.e.code == kVkF1) l.nFarewellMs += 1600;
    else if (r.e.code == kVkF10) l.nFarewellMs = 0;
  } else if (r.e.kind == Kind::Char && r.e.code == kChEsc) {
    l.nFarewellMs = 0;
  }
  return KeyNext::Done;
}

// The help screen takes every event while it shows.
KeyNext HelpShown(Lister& l, EventRun& r) {
  if (!l.Help().bHelpShown) return KeyNext::PassOn;
  return r.e.kind == Kind::KeyDown ? l.Help().KeyDown(r.e.code, r.e.shift) : KeyNext::Done;
}

// A key that reaches the pages: the direction of a search it may start; none while a long
// scan lets events run; the outputs so far, to tell whether it did anything. A character
// that reaches them is drawn in plain lettering.
KeyNext KeyStart(Lister& l, EventRun& r) {
  if (r.e.kind == Kind::Char) l.SetBold(false);
  if (r.e.kind != Kind::KeyDown) return KeyNext::PassOn;
  l.View().bSearchBack = (r.e.shift & kShift) && (r.e.code == 'F' || r.e.code == 'S');
  if (l.nYieldCount != 0) return KeyNext::Done;
  l.nOutputsAtKeyDown = l.nOutputs;
  return KeyNext::PassOn;
}

// F1 shows the keys of the page (the closing wait has taken it above).
KeyNext HelpKey(Lister& l, EventRun& r) {
  if (r.e.kind != Kind::KeyDown || r.e.code != kVkF1) return KeyNext::PassOn;
  l.Help().OpenHelp();
  return KeyNext::Drawn;
}

// The sort prompt waits for its answer.
KeyNext SortPromptOpen(Lister& l, EventRun& r) {
  if (!l.Prompt().bSortPrompt) return KeyNext::PassOn;
  return TakenBy(l.Prompt(), r.e);
}

// The keys of every page (F5-F8, F10, Alt+X, Alt+G, Alt+W, Shift+Esc) act, and the key
// goes on to the page.
KeyNext EveryPage(Lister& l, EventRun& r) {
  if (r.e.kind != Kind::KeyDown) return KeyNext::PassOn;
  r.reachedKeys = true;
  l.bRepaint = false;
  if (r.e.code != 0)
    if (const KeyBinding* b = FindKeyBinding(EveryPageKeys(), KeyBinding::On::Down, r.e.code, r.e.shift))
      l.ActOn(*b, r.e.code, r.e.shift);
  return KeyNext::PassOn;
}

// The page shown takes what is left. A key-down it takes over keeps its character from
// acting; after any other the scan and the drawing its procedures asked for (bRescan,
// bRepaint) follow, and the parameter line of a first key goes.
KeyNext PageShown(Lister& l, EventRun& r) {
  KeyNext next = TakenBy(l.PageShown(), r.e);
  if (next == KeyNext::Drawn) {
    if (r.e.kind == Kind::KeyDown && ProducesChar(r.e.code, r.e.shift)) l.bSwallowChar = true;
    return next;
  }
  if (r.e.kind != Kind::KeyDown) return next == KeyNext::PassOn ? KeyNext::Done : next;
  if (l.bRescan) next = KeyNext::Rescan;
  else if (l.bRepaint && next != KeyNext::Rescan) next = KeyNext::Redraw;
  if (next == KeyNext::Done && r.parmShown && l.nPageCount == r.pagesBefore) next = KeyNext::Redraw;
  return next == KeyNext::PassOn ? KeyNext::Done : next;
}

// The steps, in their order.
constexpr KeyNext (*kEventOrder[])(Lister&, EventRun&) = {
    CopyRunning, Following,      SwallowedChar, NewKey,   ClosingWait, HelpShown,
    KeyStart,    HelpKey,        SortPromptOpen, EveryPage, PageShown,
};
}  // namespace

void Lister::TakeEvent(const WindowEvent& e) {
  EventRun run{e};
  KeyNext next = KeyNext::PassOn;
  for (auto step : kEventOrder)
    if ((next = step(*this, run)) != KeyNext::PassOn) break;
  ApplyKeyNext(next);
  // A key with no character of its own (F2, Alt+K, Insert, ...) that did nothing at all.
  if (run.reachedKeys && next != KeyNext::Drawn && nOutputs == nOutputsAtKeyDown && !bKeyDownActed &&
      !ProducesChar(e.code, e.shift) && !IsLockOrModifier(e.code))
    HintKeys();
}

void Lister::ApplyKeyNext(KeyNext next) {
  if (next == KeyNext::Rescan) {
    // A message a handler left for the next page outlives the scan's own drawing.
    std::string message = zMessageLine;
    Dir().GetDir(zCurDir);
    if (zMessageLine.empty()) zMessageLine = message;
    next = KeyNext::Redraw;
  }
  if (next == KeyNext::Redraw) {
    bRepaint = false;
    ShowPage();
  }
}

Page& Lister::PageShown() {
  switch (CurrentPage()) {
    case ShownPage::FileView:
    case ShownPage::HexView: return View();
    case ShownPage::ZipListing: return Zip();
    case ShownPage::Directory:
    case ShownPage::SortPrompt:
    case ShownPage::Ending: break;
  }
  return Dir();
}

bool Lister::OnEntryList() const {
  const ShownPage page = CurrentPage();
  return page == ShownPage::Directory || page == ShownPage::SortPrompt || page == ShownPage::ZipListing;
}

// A typed key that does nothing on this page: the first one of the run is answered on
// the message line, so that a user trying keys learns where they are listed.
void Lister::HintKeys() {
  if (bKeysHinted || !bKeyHint.On(eProfile)) return;
  bKeysHinted = true;
  VXERROR("This key does nothing here; F1 lists the keys");
}

// A character that reached no command: a printable one, or a control character (Ctrl+K)
// whose key-down did nothing either. Enter, Tab, Backspace and Esc are never idle keys.
void Lister::HintTypedKey(int keyascii) {
  const bool printable = keyascii >= 32 && keyascii != 127;
  const bool control = keyascii >= 1 && keyascii <= 26 && keyascii != kChBackspace && keyascii != kChTab &&
                       keyascii != kChLineFeed && keyascii != kChEnter;
  if (printable || (control && nOutputs == nOutputsAtKeyDown && !bKeyDownActed)) HintKeys();
}

KeyNext Lister::ActOn(const KeyBinding& b, int code, int shift) {
  if (b.on == KeyBinding::On::Down) bKeyDownActed = true;
  return b.action(*this, code, shift);
}

void Lister::Form_KeyDown(int KeyCode, int Shift) {
  if (KeepKey(KeptKey::Down, KeyCode, Shift)) return;
  AsEvent([&] { TakeEvent({WindowEvent::Kind::KeyDown, KeyCode, Shift}); });
}

void Lister::Form_KeyPress(int keyascii) {
  if (KeepKey(KeptKey::Char, keyascii, 0)) return;
  AsEvent([&] { TakeEvent({WindowEvent::Kind::Char, keyascii, 0}); });
}
void Lister::Form_KeyUp(int KeyCode, int Shift) {
  if (KeepKey(KeptKey::Up, KeyCode, Shift)) return;
  AsEvent([&] {
    if (KeyCode == nKeyHeld) nKeyHeld = 0;
  });
}

void Lister::Form_MouseDown(int Button, int Shift, double X, double Y) {
  nMouseX = static_cast<int32_t>(RoundHalfEven(X));
  nMouseY = static_cast<int32_t>(RoundHalfEven(Y));
  nMouseShift = Shift;
  nMouseButton = Button;
}

void Lister::Form_MouseMove(int Button, int Shift, double X, double Y) { Form_MouseDown(Button, Shift, X, Y); }

void Lister::Form_MouseUp(int Button, int Shift, double X, double Y) {
  zShownMessage.clear();  // a click: the last message has been seen
  Form_MouseDown(Button, Shift, X, Y);
  MouseCharacters();
  nUpShift = Shift;
  nUpButton = Button;
}

int Lister::MouseCharacters() {
  nMouseCol = nCharWidth > 0 ? nMouseX / nCharWidth + 1 : 1;
  nMouseRow = nLineHeight > 0 ? nMouseY / nLineHeight + 1 : 1;
  return 0;
}

void Lister::Form_Click() {
  AsEvent([&] { TakeEvent({WindowEvent::Kind::Click, 0, 0}); });
}

void Lister::Form_DblClick() {
  AsEvent([&] { TakeEvent({WindowEvent::Kind::DblClick, 0, 0}); });
}

}  // namespace tembra
