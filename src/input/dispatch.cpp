// Keyboard and mouse dispatch: the keys of every mode, the sort prompt with its
// information keys, the colour keys, routing by mode, the ZIP listing's navigation
// keys, the directory cursor movement and the mouse.
#include "core/lister.h"
#include "input/key_reference.h"

namespace tembra {

namespace {

// Whether a key, as Windows delivers it, also produces a character event.
bool ProducesChar(int KeyCode, int Shift) {
  if (Shift & kAlt) return false;
  if (KeyCode == kVkBack || KeyCode == kVkTab || KeyCode == kVkEnter || KeyCode == kVkEsc || KeyCode == kVkSpace)
    return true;
  if ((KeyCode >= '0' && KeyCode <= '9') || (KeyCode >= 'A' && KeyCode <= 'Z')) return true;
  if (KeyCode >= kVkNumpad0 && KeyCode <= kVkDivide && KeyCode != kVkSeparator) return true;
  return (KeyCode >= kVkSemicolon && KeyCode <= kVkBackquote) || (KeyCode >= kVkOpenBracket && KeyCode <= kVkQuote);
}

// Keys that only change the state of others: pressed alone they are no command.
bool IsLockOrModifier(int KeyCode) {
  return (KeyCode >= kVkShift && KeyCode <= 20) || KeyCode == 91 || KeyCode == 92 || KeyCode == 93 ||
         KeyCode == 144 || KeyCode == 145 || KeyCode == 0;
}

// A text shorter than 30 characters centred with blanks on both sides.
std::string Centred(const std::string& s) {
  if (s.size() >= 30) return s;
  long pad = static_cast<long>(RoundHalfEven((30.0 - static_cast<double>(s.size())) / 2.0));
  return Space(pad) + s + Space(pad);
}
}  // namespace

void Lister::Form_KeyDown(int KeyCode, int Shift) {
  if (KeepKey(KeptKey::Down, KeyCode, Shift)) return;
  AsEvent([&] { KeyDownNow(KeyCode, Shift); });
}

void Lister::KeyDownNow(int KeyCode, int Shift) {
  // While a copy runs only Esc acts: it cancels the copy.
  if (bFileWork) {
    if (KeyCode == kVkEsc) bFileWorkCancel = true;
    return;
  }
  // While the file's end is followed a key stops that and does nothing else.
  if (bFollowing) {
    bFollowStop = true;
    if (ProducesChar(KeyCode, Shift)) bSwallowChar = true;
    return;
  }
  zShownMessage.clear();  // a new key: the last one's message has been seen
  // 1-4. The parameter line goes with the first key (the page is drawn again for it).
  const bool parmShown = bShowParm;
  const int64_t pagesBefore = nPageCount;
  bShowParm = false;
  if (bEnding) {
    // The closing wait: Tab and F1 make it longer, F10 ends it; nothing else acts, and
    // no key reaches a page that is no longer shown.
    if (KeyCode == kVkTab || KeyCode == kVkF1) nFarewellMs += 1600;
    else if (KeyCode == kVkF10) nFarewellMs = 0;
    return;
  }
  // The help screen takes every key while it is shown.
  if (bHelpShown) {
    HelpKeyDown(KeyCode, Shift);
    return;
  }
  bSearchBack = (Shift & kShift) && (KeyCode == 'F' || KeyCode == 'S');
  if (nYieldCount != 0) return;
  nOutputsAtKeyDown = nOutputs;
  // F1 shows the keys of the page (the closing wait has taken it above).
  if (KeyCode == kVkF1) {
    OpenHelp();
    return;
  }

  // 5. The sort prompt waits for its answer
  if (bSortPrompt) {
    SortPromptKeyDown(KeyCode, Shift);
    return;
  }

  // 6-7. The page's own key tables decide what is drawn again
  bRepaint = false;
  KeyNext next = KeyNext::Done;  // what the page's key table asks for
  // 8. Keys of every mode
  if (KeyCode != 0) AnyModeKeyDown(KeyCode, Shift);

  // 9. Routing by mode
  const ShownPage page = CurrentPage();
  if (page == ShownPage::Directory) {
    if (bDIR_Keydown(Shift, KeyCode)) {
      // The command took the key over: its character (Ctrl+V gives 22) must not act
      // again, above all not as Enter in the archive listing it has just opened.
      if (ProducesChar(KeyCode, Shift)) bSwallowChar = true;
      return;
    }
  } else if (page == ShownPage::FileView || page == ShownPage::HexView) {
    if (bList_Keydown(Shift, KeyCode)) return;
  } else if (page == ShownPage::ZipListing) {
    if (const KeyBinding* b = FindKeyBinding(ZipListingKeys(), KeyBinding::On::Down, KeyCode, Shift))
      next = b->action(*this, KeyCode, Shift);
  }

  // 10. Scan again and draw again as the handlers asked
  if (bRescan || next == KeyNext::Rescan) {
    // A message a handler left for the next page outlives the scan's own drawing.
    std::string message = zMessageLine;
    GetDir(zCurDir);
    if (zMessageLine.empty()) zMessageLine = message;
    next = KeyNext::Redraw;
  }
  // A key that drew no page of its own still takes the parameter line away.
  if (bRepaint || next == KeyNext::Redraw || (parmShown && nPageCount == pagesBefore)) {
    bRepaint = false;
    ShowPage();
  }
  // A key with no character of its own (F2, Alt+K, Insert, ...) that did nothing at all.
  if (nOutputs == nOutputsAtKeyDown && !ProducesChar(KeyCode, Shift) && !IsLockOrModifier(KeyCode)) HintKeys();
}

namespace {
// The prompt is answered: the directory page again.
void LeavePrompt(Lister& l) {
  l.bSortPrompt = false;
  l.SyncDisplayMode();
}

// An information key's box, which answers the prompt.
KeyNext Info(Lister& l, const std::string& text, const std::string& caption) {
  l.MsgBox(text, caption, MsgButtons::OK);
  LeavePrompt(l);
  return KeyNext::Done;
}
KeyNext ConfigFileInfo(Lister& l, int, int) { return Info(l, Centred(l.zConfigFile), MsgText(Msg::VX0252Config)); }
KeyNext DeleteCountInfo(Lister& l, int, int) {
  return Info(l, "About to delete " + Format(l.nDeletable, "##0") + " files", MsgText(Msg::VX0252Delete));
}
KeyNext AppPathInfo(Lister& l, int, int) { return Info(l, Centred(l.zAppPath), MsgText(Msg::VX0252AppPath)); }
KeyNext CommandLineInfo(Lister& l, int, int) {
  return Info(l, l.qbFl(static_cast<double>(l.zCommandLine.size()), "##0") + "," + l.zCommandLine, "");
}
KeyNext CurrentDirInfo(Lister& l, int, int) { return Info(l, l.P.files.CurrentDirectory(), l.zCurDir); }

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
  l.bSortAscending = false;
  return KeyNext::PassOn;
}
KeyNext SortAscending(Lister& l, int, int) {
  l.bSortAscending = true;
  return KeyNext::PassOn;
}

KeyNext CancelSort(Lister& l, int, int) {
  l.bSortAscending = true;
  l.VXERROR("");
  LeavePrompt(l);
  return KeyNext::Done;
}

// A sort letter: sorts the entries (D twice: directories by date too).
KeyNext SortBy(Lister& l, int code, int) {
  const std::string keyU = UCase(Chr(code));
  if (keyU == "D" && l.zSortLetter == "D") l.bSortDirsByDate = !l.bSortDirsByDate;
  l.zSortLetter = keyU;
  LeavePrompt(l);
  l.VXERROR("");
  l.nSortStart = l.P.clock.SecondsSinceMidnight();
  l.SORTEMALL();
  l.nSortSeconds = l.P.clock.SecondsSinceMidnight() - l.nSortStart;
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

// The sort prompt waits for its answer: the sort keys, or Ctrl with an information key.
// Its key-down actions draw what they change themselves.
void Lister::SortPromptKeyDown(int KeyCode, int Shift) {
  if (const KeyBinding* b = FindKeyBinding(SortPromptKeys(), KeyBinding::On::Down, KeyCode, Shift))
    b->action(*this, KeyCode, Shift);
  if (Shift & kCtrl) return;
  bool letter = KeyCode >= 'A' && KeyCode <= 'Z' && std::string_view("DFSENXRU").find(static_cast<char>(KeyCode)) !=
                                                        std::string_view::npos;
  // Esc is accepted too: the character event then cancels the prompt.
  bool ok = letter || KeyCode == kVkShift || (KeyCode == kVkEquals && (Shift & kShift)) || KeyCode == kVkMinus ||
            KeyCode == kVkSubtract || KeyCode == kVkAdd || KeyCode == kVkEsc;
  if (!ok) {
    Beep();
    bSortPrompt = false;
    VXERROR(MsgText(Msg::VX1018));
    SyncDisplayMode();
    // The refused key does not go on to act as a command.
    if (ProducesChar(KeyCode, Shift)) bSwallowChar = true;
  }
}

namespace {
// Alt+G: the interpreter; from the file view the program then ends.
KeyNext ShellEverywhere(Lister& l, int, int) {
  const bool fileView = (l.TDISPLAY & TD_LIST) != 0;
  l.StartProgram(l.zComSpec, false);
  if (fileView) {
    l.undo();
    l.CloseFDBIN();
    if (l.OpenCount != 0) l.LogOpen("");
    l.SetDirMode();
    l.iInpFile = 0;
    l.END_TEMBRA();
  }
  return KeyNext::Done;
}

// Alt+W: a second instance, with the parameters this one was started with.
KeyNext SecondInstance(Lister& l, int, int) {
  l.ShellAndWait(l.zAppPath + "\\" + l.P.processes.AppExeName() + " " + l.zRelaunchParm);
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
      l.CloseFDBIN();
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

// The keys of every mode, from their table: the interpreter, a second instance, the
// colour keys and the end.
void Lister::AnyModeKeyDown(int KeyCode, int Shift) {
  if (const KeyBinding* b = FindKeyBinding(EveryPageKeys(), KeyBinding::On::Down, KeyCode, Shift))
    b->action(*this, KeyCode, Shift);
}

void Lister::Form_KeyPress(int keyascii) {
  if (KeepKey(KeptKey::Char, keyascii, 0)) return;
  AsEvent([&] { KeyPressNow(keyascii); });
}

void Lister::KeyPressNow(int keyascii) {
  if (bFileWork) return;
  if (bSwallowChar) {
    bSwallowChar = false;
    return;
  }
  if (bEnding) {
    // Only Esc acts while the closing message shows: it cuts the wait short.
    if (keyascii == kChEsc) nFarewellMs = 0;
    return;
  }
  if (bHelpShown) return;
  SetBold(false);
  const std::string key = Chr(keyascii);
  if (bSortPrompt) {
    if (const KeyBinding* b = FindKeyBinding(SortPromptKeys(), KeyBinding::On::Char, keyascii, 0)) {
      const KeyNext next = b->action(*this, keyascii, 0);
      if (next == KeyNext::Redraw) ShowPage();
      if (next != KeyNext::PassOn) return;
    }
  }
  if (TDISPLAY & TD_LIST) {
    if (!bEnding) KeyPress_ListMode(keyascii);
  } else if (bZipMode) {
    ZIP_KeyPress(key);
    if (bRescan) {
      GetDir(zCurDir);
      ShowPage();
    }
  } else {
    DirModeKeyPress(keyascii);
  }
}

void Lister::Form_KeyUp(int KeyCode, int Shift) {
  if (KeepKey(KeptKey::Up, KeyCode, Shift)) return;
  AsEvent([&] {
    if (KeyCode == nKeyHeld) nKeyHeld = 0;
  });
}

void Lister::CursorMove(int32_t RelMove, int32_t PageMove) {
  // 1-3. The page start, within its bounds
  const int32_t oldTop = iTopSZDir, oldCursor = iCursor;
  int32_t highest = iFirstZDir;
  if (nPageLines > 0 && nPerPage > 0)
    while (highest + nPerPage - 1 <= nSZDir) highest += nPageLines;
  auto clampTop = [&](int32_t top) {
    if (top > highest) top = highest;
    if (top < iFirstZDir) top = iFirstZDir;
    return top;
  };
  int32_t top = clampTop(oldTop + PageMove);
  // 4. The cursor: single steps wrap around, other moves stop at the ends
  int32_t cur = oldCursor + RelMove;
  if (PageMove != 0 || (RelMove != 1 && RelMove != -1)) {
    if (cur > nSZDir) cur = nSZDir;
    if (cur < iFirstZDir) cur = iFirstZDir;
  } else if (cur > nSZDir) {
    cur = iFirstZDir;
  } else if (cur < iFirstZDir) {
    cur = nSZDir;
  }
  // 5. The page that holds the cursor
  if (nPageLines > 0 && nPerPage > 0) {
    while (cur < top) top -= nPageLines;
    while (cur > top + nPerPage - 1) top += nPageLines;
  }
  top = clampTop(top);
  // 6-7. The new cursor and page; a page that stays draws the cursor only
  iOldCursor = oldCursor;
  iTopSZDir = top;
  iCursor = cur;
  if (top != oldTop) {
    for (CursorCell& c : CursorCache) c = CursorCell{};
  } else {
    bCursorOnly = true;
  }
  ShowPage();
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
  AsEvent([&] { ClickNow(); });
}

void Lister::ClickNow() {
  if (bHelpShown || bEnding || bFileWork) return;  // no page to click on
  if (nUpButton == 1 && (TDISPLAY & TD_DIR)) {
    const int32_t r = nMouseRow, c = nMouseCol;
    int32_t k = (c - 1) / (nDirColWidth + 1) + 1;
    if (k > nDirColumns) k = nDirColumns;
    if (r == 1) {
      if (c >= 5) CursorMove(-nPerPage, -nPerPage);
      else CursorMove(iFirstZDir - iCursor, 0);
    } else if (r >= 2 && r <= nPageLines + 1) {
      int32_t target = (k - 1) * nPageLines + iTopSZDir + (r - 1) - 1;
      // Beyond the last shown entry: the last one.
      if (target > nSZDir) target = nSZDir;
      CursorMove(target - iCursor, 0);
    } else if (r > nPageLines + 1) {
      if (c <= nColumns - 5) CursorMove(nPerPage, nPerPage);
      else CursorMove(nSZDir - iCursor, 0);
    }
  }
  ShowPage();
}

void Lister::Form_DblClick() {
  AsEvent([&] { DblClickNow(); });
}

void Lister::DblClickNow() {
  // The click before has put the cursor on the entry. Only the directory page opens
  // entries; in an archive's listing the double click acts as Enter there.
  if (!(TDISPLAY & TD_DIR) || bHelpShown || bEnding || bFileWork) return;
  if (bZipMode) {
    ZIP_KeyPress(Chr(kChEnter));
  } else {
    nEnterInDirMode(Chr(kChEnter));
  }
  if (TDISPLAY & TD_DIR) {
    if (bRescan) GetDir(zCurDir);
    ShowPage();
  }
}

namespace {
// Shift+letter: the first unmarked file from that letter on.
KeyNext FirstFileFromLetter(Lister& l, int KeyCode, int) {
  l.bSwallowChar = true;
  for (int32_t i = 1; i <= l.nSZDir; ++i) {
    const std::string& rec = l.ZDIR[static_cast<size_t>(l.SZDIR[static_cast<size_t>(i)])];
    std::string_view name = ZdField(rec, kZdName, ZdNameLength(rec));
    if (!name.empty() && static_cast<unsigned char>(name[0]) >= KeyCode && ZdChar(rec, kZdType) == 'F' &&
        ZdChar(rec, kZdDelMark) == ' ') {
      l.CursorMove(i - l.iCursor, 0);
      break;
    }
  }
  return KeyNext::Redraw;
}

KeyNext MoveOnEntryList(Lister& l, int KeyCode, int Shift) {
  l.CursorKey(KeyCode, Shift);
  return KeyNext::Done;
}

// Shift+Alt+D: the order of the dates, year first -> month first -> day first -> year first.
KeyNext NextDateOrder(Lister& l, int, int) {
  if (!l.bMMDD && !l.bDDMM) {
    l.bMMDD = true;
  } else if (l.bMMDD) {
    l.bMMDD = false;
    l.bDDMM = true;
  } else {
    l.bDDMM = false;
  }
  return KeyNext::Redraw;
}
}  // namespace

constexpr KeyBinding kEntryCursorKeys = OnKey(kVkPgUp, kVkDown, kAnyShift, 0, MoveOnEntryList);
constexpr KeyBinding kEntryLetterKeys = OnKey('A', 'Z', kExactShift, kShift, FirstFileFromLetter);
constexpr KeyBinding kEntryDateOrderKey = OnKey('D', 'D', kExactShift, kShift | kAlt, NextDateOrder);

// The cursor keys of the directory page and of the ZIP listing.
void Lister::CursorKey(int KeyCode, int Shift) {
  switch (KeyCode) {
    case kVkPgUp: CursorMove(-nPerPage, -nPerPage); break;
    case kVkPgDn: CursorMove(nPerPage, nPerPage); break;
    case kVkEnd:
      if (Shift & kCtrl) CursorMove(nSZDir - iCursor, 0);
      else CursorMove(iTopSZDir - iCursor + nPerPage - 1, 0);
      break;
    case kVkHome:
      if (Shift & kCtrl) CursorMove(iFirstZDir - iCursor, 0);
      else CursorMove(iTopSZDir - iCursor, 0);
      break;
    case kVkLeft: CursorMove(-nPageLines, 0); break;
    case kVkRight: CursorMove(nPageLines, 0); break;
    case kVkUp: CursorMove(-1, 0); break;
    case kVkDown: CursorMove(1, 0); break;
    default: break;
  }
}

}  // namespace tembra
