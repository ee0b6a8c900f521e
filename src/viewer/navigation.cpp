// Keys of the file view: paging, jumps, display options, and the hand-over to the hex
// view, the search, line marking and the input-file list.
#include <algorithm>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "dirlist/dir_page.h"
#include "viewer/file_view.h"
#include "input/help_screen.h"
#include "zip/zip_page.h"
#include "input/key_reference.h"

namespace tembra {

namespace {
constexpr int64_t kTwoTo31 = 2147483648LL;

int32_t RoundUp10(int64_t v) { return v <= 0 ? 0 : static_cast<int32_t>(((v + 9) / 10) * 10); }
int32_t RoundDown10(int64_t v) { return v <= 0 ? 0 : static_cast<int32_t>((v / 10) * 10); }
int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -kTwoTo31, kTwoTo31 - 1));
}
}  // namespace

void FileView::IndexWholeFile() {
  W.nYieldCount = 1;
  IndexAhead(nFileSize);
  while (!bAllIndexed && !bIndexing && ScanGoesOn()) GetASeg();
  W.nYieldCount = 0;
}

void FileView::LeaveFileView() {
  if (hFdbin != kInvalidFile) CloseFDBIN();
  if (W.OpenCount != 0) W.LogOpen("");
  W.SetDirMode();
}

namespace {
bool HexView(const Lister& l) { return (l.TDISPLAY & TD_HEX) != 0; }

// Right: the text 10 columns on (Ctrl: to the end of the longest line on the page).
KeyNext ScrollRight(Lister& l, int, int Shift) {
  FileView& v = l.View();
  if (HexView(l)) {
    l.VXERROR(MsgText(Msg::VX1017));
    return KeyNext::Done;
  }
  if (v.nWrapMode != 0) {
    l.VXERROR(MsgText(Msg::VX1016));
    return KeyNext::Done;
  }
  if (Shift & kCtrl) {
    int32_t last = static_cast<int32_t>(std::min<int64_t>(v.nBottomRec, v.nRecCount));
    int64_t longest = 0;
    for (int32_t r = std::max(1, v.nTopRec); r <= last; ++r) {
      if (v.LinePieces(r) > 1) {
        // A very long line is as long as its pieces laid one after the other.
        longest = std::max(longest, v.PieceColumn(r, v.LinePieces(r)));
      } else if (v.Utf8Text()) {
        // UTF-8 lines are as long as their cells.
        v.GetRecText(r);
        if (v.nCurRecLen < 0) break;
        longest = std::max<int64_t>(longest, static_cast<int64_t>(v.vRecCells.size()));
      } else {
        longest = std::max(longest, v.RecLen(r));
      }
    }
    v.nHOffset = RoundUp10(std::min<int64_t>(longest, INT32_MAX - 20) - v.TextColumns() + 1);
  } else {
    // Lines as grep counts them scroll as far as the longest line allows.
    const int64_t widest = v.bGrepLines ? std::max(v.nLongestRec, v.nMaxRecLen) : v.nMaxRecLen;
    v.nHOffset = std::min(v.nHOffset + 10, RoundDown10(widest - 40));
  }
  v.ZCOLFILL(v.nHOffset);
  return KeyNext::Redraw;
}

// Left: the text 10 columns back (Ctrl: to column 1).
KeyNext ScrollLeft(Lister& l, int, int Shift) {
  FileView& v = l.View();
  if (HexView(l)) {
    l.VXERROR(MsgText(Msg::VX1017));
    return KeyNext::Done;
  }
  v.nHOffset = (Shift & kCtrl) ? 0 : std::max(0, v.nHOffset - 10);
  v.ZCOLFILL(v.nHOffset);
  return KeyNext::Redraw;
}

// A line or a page on or back (LIST_PAGEMOVE with the key that moves so).
template <int Move>
KeyNext PageMove(Lister& l, int, int) {
  l.View().LIST_PAGEMOVE(Move);
  return KeyNext::Done;
}

KeyNext ToTop(Lister& l, int, int) {
  l.bSearchPending = false;
  l.View().NoteJump();
  l.View().LIST_PAGEMOVE(kVkHome);
  return KeyNext::Done;
}

// End: the whole file indexed, then its last page.
KeyNext ToEnd(Lister& l, int, int) {
  FileView& v = l.View();
  l.bSearchPending = false;
  v.NoteJump();
  if (!HexView(l)) v.IndexWholeFile();
  v.LIST_PAGEMOVE(kVkEnd);
  return KeyNext::Done;
}

// "b": as End, timed for the debug message.
KeyNext ToEndTimed(Lister& l, int, int) {
  FileView& v = l.View();
  l.bSearchPending = false;
  v.NoteJump();
  double t0 = l.P.clock.SecondsSinceMidnight();
  if (!HexView(l)) v.IndexWholeFile();
  if (l.bDebug) {
    double elapsed = l.P.clock.SecondsSinceMidnight() - t0;
    if (elapsed < 0) elapsed += 86400.0;
    l.VXERROR("*BB>" + Format(elapsed, "##0.00") + " Seconds");
  }
  v.LIST_PAGEMOVE(kVkEnd);
  return KeyNext::Done;
}

KeyNext JumpToLine(Lister& l, int, int) {
  l.View().NoteJump();
  l.View().JUMP2LINE();
  return KeyNext::Done;
}

KeyNext JumpRelative(Lister& l, int code, int) {
  l.View().RelativeJump(Chr(code));
  return KeyNext::Done;
}

KeyNext Follow(Lister& l, int, int) {
  l.View().FollowFile();
  return KeyNext::Drawn;
}

KeyNext Search(Lister& l, int code, int) {
  FileView& v = l.View();
  v.nSearchStart = l.P.clock.SecondsSinceMidnight();
  v.NoteJump();
  v.bLastSearchBack = v.bSearchBack;
  v.SetTextToFind(UCase(Chr(code)), "");
  return KeyNext::Done;
}

// F3: the next line, then the search forward again.
KeyNext NextMatch(Lister& l, int, int) {
  PageMove<kVkDown>(l, 0, 0);
  l.bSearchPending = true;
  l.View().bSearchBack = false;
  return KeyNext::Done;
}
KeyNext NextMatchTyped(Lister& l, int code, int shift) {
  NextMatch(l, code, shift);
  return KeyNext::Redraw;
}

KeyNext SearchBackAgain(Lister& l, int, int) {
  l.bSearchPending = true;
  l.View().bSearchBack = true;
  return KeyNext::Redraw;
}
KeyNext SearchBackAgainTyped(Lister& l, int code, int shift) {
  SearchBackAgain(l, code, shift);
  l.ShowPage();
  return KeyNext::Drawn;
}

KeyNext SetBookmark(Lister& l, int, int) {
  FileView& v = l.View();
  v.SET_BOOKMARK(v.nTopRec);
  return KeyNext::Done;
}
KeyNext RecallBookmark(Lister& l, int, int) {
  FileView& v = l.View();
  v.SetTop(v.FIND_BOOKMARK(), 0);
  return KeyNext::Redraw;
}

// Ctrl+T, Ctrl+B, Ctrl+A, Ctrl+C and Alt+V: the line marks, by the key's letter.
// The Linux profile shows the marked lines in the marked colour: the page is drawn again.
KeyNext MarkByKey(Lister& l, int KeyCode, int) {
  l.View().MarkLine(std::string(1, static_cast<char>(KeyCode)));
  return l.eProfile == Profile::Linux ? KeyNext::Redraw : KeyNext::Done;
}

KeyNext TextOrHex(Lister& l, int, int) {
  l.View().ALT_H_LST();
  return KeyNext::Redraw;
}
KeyNext Ruler(Lister& l, int, int) {
  l.TDISPLAY ^= TD_RULER;
  return KeyNext::Redraw;
}
KeyNext LineNumbers(Lister& l, int, int) {
  FileView& v = l.View();
  v.bLineNumbers = !v.bLineNumbers;
  l.zMessageLine = MsgText(v.bLineNumbers ? Msg::VX0257 : Msg::VX0258);
  return KeyNext::Redraw;
}
KeyNext WordWrap(Lister& l, int, int) {
  FileView& v = l.View();
  v.nWrapMode = v.nWrapMode == 0 ? 2 : 0;
  l.zMessageLine = MsgText(v.nWrapMode != 0 ? Msg::VX0202 : Msg::VX0203);
  return KeyNext::Redraw;
}

// "*", "e", "7" and "8": how the characters are shown.
KeyNext SevenBit(Lister& l, int, int) {
  l.TDISPLAY &= ~(TD_EBCDIC | TD_STRIP);
  l.TDISPLAY ^= TD_ASCII;
  return KeyNext::Redraw;
}
KeyNext Ebcdic(Lister& l, int, int) {
  l.TDISPLAY &= ~(TD_STRIP | TD_ASCII);
  l.TDISPLAY ^= TD_EBCDIC;
  return KeyNext::Redraw;
}
KeyNext Stripped(Lister& l, int, int) {
  l.TDISPLAY &= ~(TD_EBCDIC | TD_ASCII);
  l.TDISPLAY |= TD_STRIP;
  return KeyNext::Redraw;
}
KeyNext NormalCharacters(Lister& l, int, int) {
  l.TDISPLAY &= ~(TD_EBCDIC | TD_STRIP | TD_ASCII);
  return KeyNext::Redraw;
}

// The next (1) or the previous (-1) input file.
template <int Step>
KeyNext InputFile(Lister& l, int, int) {
  l.Next_IINPFiles(Step);
  return KeyNext::Done;
}
KeyNext FirstInputFile(Lister& l, int, int) {
  if (l.iInpFile > 0) l.Next_IINPFiles(1 - l.iInpFile);
  return KeyNext::Done;
}
// "q": the next input file; without input files, back to the directory.
KeyNext NextInputFileOrLeave(Lister& l, int, int) {
  if (l.nInpFiles > 0) return InputFile<1>(l, 0, 0);
  l.View().LeaveFileView();
  return KeyNext::Redraw;
}

KeyNext BackToDirectory(Lister& l, int, int) {
  FileView& v = l.View();
  // A member of an archive: back to its listing, at the same member.
  if (!v.zMemberOf.empty()) {
    v.LeaveFileView();
    l.iInpFile = 0;
    l.Zip().BackFromMember();
    return KeyNext::Done;
  }
  // What was piped into the program has no folder of its own: back to the one the
  // program started in, not the folder of its descriptor.
  const bool piped = v.bStandardInput && l.iInpFile > 0;
  v.LeaveFileView();
  l.iInpFile = 0;
  if (piped && !l.zStartDir.empty() && l.P.files.ChangeDirectory(l.zStartDir)) {
    l.zCurDir = l.zStartDir;
    l.zCurDrive = UCase(Left(l.zCurDir, 1));
    l.Dir().ForgetCursorName();
  }
  l.Dir().GetDir(l.zCurDir);
  return KeyNext::Done;
}

KeyNext ShellAndEnd(Lister& l, int, int) {
  l.undo();
  l.View().LeaveFileView();
  l.iInpFile = 0;
  l.StartProgram(l.zComSpec + " /k " + Left(l.zCurDir, 2), false);
  l.END_TEMBRA();
  return KeyNext::Done;
}

KeyNext Help(Lister& l, int, int) {
  l.Help().OpenHelp();
  return KeyNext::Drawn;
}

KeyNext EndFromView(Lister& l, int, int) {
  l.View().LeaveFileView();
  l.bDebug = false;
  l.END_TEMBRA();
  return KeyNext::Done;
}

KeyNext RawOrDecoded(Lister& l, int, int) { return l.View().RawOrDecoded(); }

constexpr int kCtrlAlt = kCtrl | kAlt;

// less's keys (Linux profile).
KeyNext HalfPage(Lister& l, int code, int) {
  l.View().HalfPageMove(code == 'd' ? 1 : -1);
  return KeyNext::Done;
}

// / and ? search with exact case, \ and Alt+F in any case; ? and Alt+F backward.
KeyNext LessSearch(Lister& l, int code, int) {
  FileView& v = l.View();
  v.nSearchStart = l.P.clock.SecondsSinceMidnight();
  v.AskAndSearch(code == '?' || code == 'F', code == '\\' || code == 'F');
  return KeyNext::Done;
}

// n / N: the last search again, on in its direction (n) or the other way (N).
KeyNext LessNextMatch(Lister& l, int code, int shift) {
  FileView& v = l.View();
  v.NoteJump();
  return v.bLastSearchBack != (code == 'N') ? SearchBackAgainTyped(l, code, shift) : NextMatchTyped(l, code, shift);
}

// m and ': the next character names the mark.
KeyNext LessMark(Lister& l, int code, int) {
  l.View().nMarkKey = code;
  l.VXERROR(MsgText(code == 'm' ? Msg::VX0255 : Msg::VX0256));
  return KeyNext::Done;
}

// q, Q: back to the directory page; the end where the program started on the files
// named on its command line (one of them is shown).
KeyNext LessQuit(Lister& l, int code, int shift) {
  return l.iInpFile > 0 ? EndFromView(l, code, shift) : BackToDirectory(l, code, shift);
}

}  // namespace

const KeySection& FileViewLessKeys() {
  // Typed characters only: the keys with Ctrl or Alt and the keys without a character
  // keep the file view's meanings.
  static const KeySection kPage = {
      "File view, Linux profile",
      {
          {"`j`, `e`, Enter / `k`, `y`", "one line forward / back",
           {OnChar('j', 'j', PageMove<kVkDown>), OnChar('e', 'e', PageMove<kVkDown>),
            OnChar(kChEnter, kChEnter, PageMove<kVkDown>), OnChar('k', 'k', PageMove<kVkUp>),
            OnChar('y', 'y', PageMove<kVkUp>)}},
          {"Space, `f` / `b`", "page forward / back",
           {OnChar(' ', ' ', PageMove<kVkPgDn>), OnChar('f', 'f', PageMove<kVkPgDn>),
            OnChar('b', 'b', PageMove<kVkPgUp>)}},
          {"`d` / `u`", "half a page forward / back", {OnChar('d', 'd', HalfPage), OnChar('u', 'u', HalfPage)}},
          {"`g`, `<` / `G`, `>`", "top / end of the file",
           {OnChar('g', 'g', ToTop), OnChar('<', '<', ToTop), OnChar('G', 'G', ToEnd), OnChar('>', '>', ToEnd)}},
          {"`/` / `?`", "search forward / backward, with exact case (Ctrl+T at the prompt: any case)",
           {OnChar('/', '/', LessSearch), OnChar('?', '?', LessSearch)}},
          {"`\\` / Alt+F", "search forward / backward in any case",
           {OnChar('\\', '\\', LessSearch), OnKey('F', 'F', kCtrlAlt, kAlt, LessSearch)}},
          {"`n` / `N`", "the last search again, on in its direction / the other way",
           {OnChar('n', 'n', LessNextMatch), OnChar('N', 'N', LessNextMatch)}},
          {"`m` letter / `'` letter",
           "mark the top line with a letter (`a` to `z`) / go to the line marked; `''` goes back to where the "
           "last jump started (`g`, `G`, `<`, `>`, a search, a mark, `#`)",
           {OnChar('m', 'm', LessMark), OnChar('\'', '\'', LessMark)}},
          {"`F`", "follow the end of the file as it grows (as Ctrl+F)", {OnChar('F', 'F', Follow)}},
          {"`q`, `Q`", "back to the directory page (the end, where the program started on files)",
           {OnChar('q', 'q', LessQuit), OnChar('Q', 'Q', LessQuit)}},
          {"`h`, `H`", "this list of keys", {OnChar('h', 'h', Help), OnChar('H', 'H', Help)}},
          {"`E`", "EBCDIC characters on/off (`e` of the file view's keys)", {OnChar('E', 'E', Ebcdic)}},
          {"Other keys",
           "as in the file view; its `d`, `u`, `b`, `e`, `f`, `F`, `q`, `?` and Enter mean what this table says"},
      }};
  return kPage;
}

const KeyBinding* FileView::FindViewBinding(bool typed, int code, int shift) const {
  const KeyBinding::On event = typed ? KeyBinding::On::Char : KeyBinding::On::Down;
  if (W.eProfile == Profile::Linux)
    if (const KeyBinding* b = FindKeyBinding(FileViewLessKeys(), event, code, shift)) return b;
  return FindKeyBinding(FileViewKeys(), event, code, shift);
}

const KeySection& FileViewKeys() {
  // Keys left free in the original mean what they mean in less: n / N the next /
  // previous match, g / G the top / end, h, H and ? the list of keys. Ctrl and Alt
  // letters need the other of the two up. F1, Alt+G, the colour keys and Alt+X are
  // taken before the page's keys.
  static const KeySection kPage = {
      "File view",
      {
          {"Down / Up", "one line forward / back",
           {OnKey(kVkDown, kVkDown, kAnyShift, 0, PageMove<kVkDown>),
            OnKey(kVkUp, kVkUp, kAnyShift, 0, PageMove<kVkUp>)}},
          {"PgDn, Enter, Space, `d` / PgUp, `u`", "page forward / back",
           {OnKey(kVkPgDn, kVkPgDn, kCtrl, 0, PageMove<kVkPgDn>), OnChar(kChEnter, kChEnter, PageMove<kVkPgDn>),
            OnChar(' ', ' ', PageMove<kVkPgDn>), OnLetters('D', 'D', PageMove<kVkPgDn>),
            OnKey(kVkPgUp, kVkPgUp, kCtrl, 0, PageMove<kVkPgUp>), OnLetters('U', 'U', PageMove<kVkPgUp>)}},
          {"Home, `t`, `g` / End, `b`, Shift+G", "top / end of the file",
           {OnKey(kVkHome, kVkHome, kCtrl, 0, ToTop), OnLetters('T', 'T', ToTop), OnChar('g', 'g', ToTop),
            OnKey(kVkEnd, kVkEnd, kAnyShift, 0, ToEnd), OnLetters('B', 'B', ToEndTimed), OnChar('G', 'G', ToEndTimed)}},
          {"Ctrl+F", "follow the end of the file as it grows (as tail -f); any key stops",
           {OnChar(kChCtrlF, kChCtrlF, Follow)}},
          {"Right / Left",
           "scroll the text 10 columns (Ctrl+Right: to the longest line's end; Ctrl+Left: back to column 1)",
           {OnKey(kVkRight, kVkRight, kAnyShift, 0, ScrollRight), OnKey(kVkLeft, kVkLeft, kAnyShift, 0, ScrollLeft)}},
          {"Ctrl+Home, `#`", "jump to a line (hex view: to a byte offset); `5,000,000` and `5_000_000` are read as 5000000",
           {OnKey(kVkHome, kVkHome, kCtrl, kCtrl, JumpToLine), OnChar('#', '#', JumpToLine)}},
          {"`+` / `-`", "jump a number of lines (bytes) forward / back",
           {OnChar('+', '+', JumpRelative), OnChar('-', '-', JumpRelative)}},
          {"`f`, `/`, `s`, `\\`",
           "search forward for a text: `f` and `\\` in any case, `/` and `s` with exact case; Ctrl+T at the "
           "prompt switches between the two. With REGEX (Linux) the text is an extended regular expression "
           "(`grep -E`: `.` `[a-z]` `*` `+` `?` `{n,m}` `( )` `^` `$`, alternatives); Ctrl+R takes it literally",
           {OnChar('f', 'f', Search), OnChar('/', '/', Search), OnChar('s', 's', Search), OnChar('\\', '\\', Search)}},
          {"Shift+F, Shift+S", "search backward (Shift+F in any case, Shift+S with exact case)",
           {OnChar('F', 'F', Search), OnChar('S', 'S', Search)}},
          {"Shift+letter", "as the letter alone, except Shift+F, Shift+S and Shift+N (backward) and Shift+G (end)"},
          {"F3, `a`, `n`", "next match: next line, then search forward again",
           {OnKey(kVkF3, kVkF3, kAnyShift, 0, NextMatch), OnLetters('A', 'A', NextMatchTyped),
            OnChar('n', 'n', NextMatchTyped)}},
          {"F9, Shift+N", "previous match: search backward again",
           {OnKey(kVkF9, kVkF9, kAnyShift, 0, SearchBackAgain), OnChar('N', 'N', SearchBackAgainTyped)}},
          {"Ctrl+Y / Alt+Y", "set / recall the bookmark",
           {OnKey('Y', 'Y', kCtrlAlt, kCtrl, SetBookmark), OnKey('Y', 'Y', kCtrlAlt, kAlt, RecallBookmark)}},
          {"Ctrl+T / Ctrl+B", "mark the top / bottom line of the page",
           {OnKey('T', 'T', kCtrlAlt, kCtrl, MarkByKey), OnKey('B', 'B', kCtrlAlt, kCtrl, MarkByKey)}},
          {"Ctrl+A", "mark the whole file", {OnKey('A', 'A', kCtrlAlt, kCtrl, MarkByKey)}},
          {"Ctrl+C", "copy the marked lines to the clipboard", {OnKey('C', 'C', kCtrlAlt, kCtrl, MarkByKey)}},
          {"Alt+V", "clear the marks", {OnKey('V', 'V', kCtrlAlt, kAlt, MarkByKey)}},
          {"Alt+H", "switch between text and hex view", {OnKey('H', 'H', kCtrlAlt, kAlt, TextOrHex)}},
          {"Alt+R", "column ruler on/off", {OnKey('R', 'R', kCtrlAlt, kAlt, Ruler)}},
          {"Alt+Z", "a compressed file: its own bytes / the text it holds (DECOMPRESS)",
           {OnKey('Z', 'Z', kCtrlAlt, kAlt, RawOrDecoded)}},
          {"`w`", "word wrap on/off", {OnLetters('W', 'W', WordWrap)}},
          {"`l`", "line numbers on/off (text view; `LINENUMBERS ON` in the configuration shows them from the start)",
           {OnLetters('L', 'L', LineNumbers)}},
          {"`e` / `*` / `7` / `8`", "EBCDIC / 7-bit / stripped / normal characters",
           {OnLetters('E', 'E', Ebcdic), OnChar('*', '*', SevenBit), OnChar('7', '7', Stripped),
            OnChar('8', '8', NormalCharacters)}},
          {"Ctrl+PgDn, Ctrl+N, `q`", "next input file (`q` without input files: back to the directory)",
           {OnKey(kVkPgDn, kVkPgDn, kCtrl, kCtrl, InputFile<1>), OnKey('N', 'N', kCtrlAlt, kCtrl, InputFile<1>),
            OnLetters('Q', 'Q', NextInputFileOrLeave)}},
          {"Ctrl+PgUp, Ctrl+U, Ctrl+Z (in a terminal Ctrl+Z suspends)", "previous input file",
           {OnKey(kVkPgUp, kVkPgUp, kCtrl, kCtrl, InputFile<-1>), OnKey('U', 'U', kCtrlAlt, kCtrl, InputFile<-1>),
            OnKey('Z', 'Z', kCtrlAlt, kCtrl, InputFile<-1>)}},
          {"`1`", "first input file", {OnChar('1', '1', FirstInputFile)}},
          {"Esc", "back to the directory page", {OnChar(kChEsc, kChEsc, BackToDirectory)}},
          {"`x`", "start a shell in the current drive and end", {OnLetters('X', 'X', ShellAndEnd)}},
          {"Alt+G", "start a shell and end"},
          {"F5, F6, F7, F8 (with Ctrl, Alt)", "pick colours, as on the directory page"},
          {"F1, `h`, Shift+H, `?`", "this list of keys (Esc or F1 closes it)",
           {OnLetters('H', 'H', Help), OnChar('?', '?', Help)}},
          {"F10, Alt+X", "end", {OnKey(kVkF10, kVkF10, kAnyShift, 0, EndFromView)}},
      }};
  return kPage;
}

bool FileView::bList_Keydown(int Shift, int KeyCode) {
  // What a source of unknown size delivered since the last key is there to be seen, and
  // more of one still arriving is waited for where the key needs it.
  if (bStream) TakeGrowth();
  if (bStreamOpen && bAllIndexed) ReopenIndex();
  if (const KeyBinding* b = FindViewBinding(false, KeyCode, Shift)) {
    nMarkKey = 0;  // a key that acts lets a mark's letter go
    if (W.ActOn(*b, KeyCode, Shift) == KeyNext::Redraw) W.bRepaint = true;  // drawn at the end of Form_KeyDown
  }
  return false;
}

KeyNext FileView::KeyPress_ListMode(int keyascii) {
  if (W.nYieldCount != 0) {
    // Typed while a long scan pumps events: the scan goes on without further pumping.
    W.nYieldCount = 0;
    return KeyNext::Done;
  }
  if (keyascii == 0) return KeyNext::Done;
  KeyNext next = KeyNext::Done;
  if (nMarkKey != 0)
    next = MarkLetter(keyascii & 255);
  else if (const KeyBinding* b = FindViewBinding(true, keyascii & 255, 0))
    next = W.ActOn(*b, keyascii & 255, 0);
  else
    W.HintTypedKey(keyascii);
  // Drawn at the end of the event (so is a page bRepaint asks for, unless it drew itself).
  if (next == KeyNext::Drawn) return next;
  return next == KeyNext::Redraw || W.bRepaint ? KeyNext::Redraw : KeyNext::Done;
}

void FileView::RelativeJump(const std::string& zSign) {
  const bool hex = (W.TDISPLAY & TD_HEX) != 0;
  std::string prompt = MsgText(Msg::VX0040, hex ? "bytes" : "lines", zSign == "+" ? "increment" : "decrement");
  std::string answer = W.InputBox(prompt, "Relative jump", "0");
  std::optional<int64_t> n = NConvert(answer);
  if (!n) return;
  int64_t step = zSign == "-" ? -*n : *n;
  if (hex) {
    nHexTop = std::clamp<int64_t>(nHexTop + std::clamp<int64_t>(step, -nFileSize, nFileSize), 0,
                                  std::max<int64_t>(0, nFileSize - 1));
  } else {
    SetTop(ClampToInt32(int64_t{nTopRec} + std::clamp<int64_t>(step, -kTwoTo31, kTwoTo31)), 0);
    LOADEMUP();
  }
  W.bRepaint = true;
}

void FileView::HalfPageMove(int direction) {
  for (int32_t i = std::max(1, W.nPageLines / 2); i > 0; --i) LIST_PAGEMOVE(direction > 0 ? kVkDown : kVkUp);
}

HexSearchState::ViewPlace FileView::HerePlace() const {
  // A place of the text view (hex -1) serves the hex view from its line's first byte.
  return {std::max(1, nTopRec), TopRow(), TopPiece(), (W.TDISPLAY & TD_HEX) ? nHexTop : -1};
}

void FileView::GoToPlace(const ViewPlace& place) {
  if (W.TDISPLAY & TD_HEX) {
    const int64_t at = place.hex >= 0 ? place.hex : place.rec <= nRecCount ? FindRecAddr(place.rec) - 1 : nFileSize;
    nHexTop = std::clamp<int64_t>(at, 0, std::max<int64_t>(0, nFileSize - 1)) & nHexMask;
  } else {
    SetTop(place.rec, place.row, place.piece);
    LOADEMUP();
  }
  W.bRepaint = true;
}

KeyNext FileView::MarkLetter(int keyascii) {
  const int key = nMarkKey;
  nMarkKey = 0;
  const int c = keyascii >= 'A' && keyascii <= 'Z' ? keyascii - 'A' + 'a' : keyascii;
  const bool back = key == '\'' && c == '\'';
  if (!back && (c < 'a' || c > 'z')) return KeyNext::Redraw;  // any other key lets the mark go
  ViewPlace& mark = back ? JumpStart : LetterMarks[static_cast<size_t>(c - 'a')];
  if (key == 'm') {
    mark = HerePlace();
  } else if (mark.rec == 0) {
    W.zMessageLine = back ? MsgText(Msg::VX1067) : MsgText(Msg::VX1066, std::string(1, static_cast<char>(c)));
  } else {
    const ViewPlace to = mark;
    NoteJump();
    GoToPlace(to);
  }
  return KeyNext::Redraw;
}

void FileView::JUMP2LINE() {
  if (W.TDISPLAY & TD_HEX) {
    std::string answer = W.InputBox(MsgText(Msg::VX0036), "Jump to address", "1");
    std::optional<int64_t> n = NConvert(answer);
    if (!n) return;
    nHexTop = std::clamp<int64_t>(*n, 0, std::max<int64_t>(0, nFileSize - 1));
  } else {
    std::string answer = W.InputBox(MsgText(Msg::VX0037), "Jump to line", "1");
    std::optional<int64_t> n = NConvert(answer);
    if (!n) return;
    SetTop(ClampToInt32(*n), 0);
    LOADEMUP();
  }
  W.bRepaint = true;
}

namespace {
// The text with the group separators of a number taken out: a "," or "_" between a
// digit and three more digits (5,000,000 and 5_000_000 read 5000000).
std::string Ungrouped(const std::string& text) {
  auto digit = [&](size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool separator = (text[i] == ',' || text[i] == '_') && i > 0 && digit(i - 1) && digit(i + 1) &&
                           digit(i + 2) && digit(i + 3) && !digit(i + 4);
    if (!separator) out += text[i];
  }
  return out;
}

// Whether a decimal reading finds a number at the start of the text (blanks and a sign
// may come first).
bool StartsWithNumber(const std::string& t) {
  size_t i = t.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  if (t[i] == '+' || t[i] == '-') ++i;
  if (i < t.size() && t[i] == '.') ++i;
  return i < t.size() && t[i] >= '0' && t[i] <= '9';
}
}  // namespace

std::optional<int64_t> FileView::NConvert(const std::string& ZNumber) {
  // Offsets and line numbers of files of any size may take 63 bits.
  const int64_t limit = piAnySize.On(W.eProfile) ? INT64_MAX : kTwoTo31;
  std::string t = UCase(Ungrouped(ZNumber));
  long p = InStr(t, "X");
  if (p == 0) p = InStr(t, "H");
  int64_t v;
  if (p > 0 && p < static_cast<long>(t.size())) {
    std::string rest = Mid(t, p + 1);
    if (!rest.empty() && static_cast<unsigned char>(rest[0]) < '0') rest.erase(0, 1);
    uint64_t h = 0;
    for (char c : rest) {
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) break;
      if (h > (static_cast<uint64_t>(limit) - static_cast<uint64_t>(d)) / 16) {
        h = static_cast<uint64_t>(limit);
        break;
      }
      h = h * 16 + static_cast<uint64_t>(d);
      if (h >= static_cast<uint64_t>(limit)) break;
    }
    if (h >= static_cast<uint64_t>(limit)) {
      // 80000000 hex and above has no 32-bit line number or offset.
      W.zMessageLine = MsgText(Msg::VX1026, ZNumber);
      W.bRepaint = true;
      return std::nullopt;
    }
    v = static_cast<int64_t>(h);
  } else {
    if (!StartsWithNumber(t) && !Trim(t).empty()) {
      // Read as 0, as always, but no longer without a word.
      W.zMessageLine = MsgText(Msg::VX1038, ZNumber);
      W.bRepaint = true;
    }
    double d = Val(t);
    const double range = static_cast<double>(limit) - (limit == INT64_MAX ? 1024.0 : 0.5);
    if (!(d > -range - 1.0 && d < range)) {
      W.zMessageLine = MsgText(Msg::VX1026, ZNumber);
      W.bRepaint = true;
      return std::nullopt;
    }
    v = RoundHalfEven(d);
  }
  if (v >= -55554 && v <= -1) v += 65536;
  auto fits = [limit](int64_t x, int64_t by) { return x < limit / by && x >= -(limit / by); };
  if (InStr(t, "K") > 0 && fits(v, 1024)) v *= 1024;
  if (InStr(t, "M") > 0 && fits(v, 1048576)) v *= 1048576;
  return v;
}

void FileView::LOADEMUP() {
  if (nTopRec < 1) {
    nTopRec = 1;
    return;
  }
  if (W.TDISPLAY & TD_HEX) return;
  W.nYieldCount = 1;
  IndexAheadToRecord(nTopRec);
  while (nTopRec > nRecCount && !bAllIndexed && !bIndexing && ScanGoesOn()) GetASeg();
  W.nYieldCount = 0;
  if (nTopRec > nRecCount) nTopRec = Find1stRecordOnPage(nRecCount);
}

bool FileView::WrapPageMove(int KeyCode) {
  if (nWrapMode == 0 || !bGrepLines || (W.TDISPLAY & TD_HEX)) return false;
  int32_t top = TopRow();
  int64_t piece = TopPiece();
  switch (KeyCode) {
    case kVkPgDn:
      // On from the display line after the page, inside a line or at the next one.
      if (nNextRowRec > 0 && nNextRowRec >= nTopRec) SetTop(nNextRowRec, nNextRow, nNextRowPiece);
      else SetTop(ClampToInt32(nBottomRec + 1), 0);
      return true;
    case kVkDown: {
      // Within a line longer than the page, one display line; else the next line.
      const int32_t rows = WrapRows(nTopRec, piece);
      const bool more = piece + 1 < LinePieces(nTopRec);
      if (top + 1 < rows && (more || top + W.nPageLines < rows)) SetTop(nTopRec, top + 1, piece);
      else if (more) SetTop(nTopRec, 0, piece + 1);
      else SetTop(ClampToInt32(int64_t{nTopRec} + 1), 0);
      return true;
    }
    case kVkUp:
      if (top > 0 || piece > 0) {
        RowsBack(nTopRec, piece, top, 1);
        SetTop(nTopRec, top, piece);
      } else if (nTopRec > 1) {
        int64_t last = LinePieces(nTopRec - 1) - 1;
        int32_t rows = WrapRows(nTopRec - 1, last);
        if (rows > W.nPageLines || last > 0) RowsBack(nTopRec - 1, last, rows, 1);
        else rows = 0;
        SetTop(nTopRec - 1, rows, last);
      }
      return true;
    case kVkPgUp:
    case kVkEnd: {
      // A page back; or the last page. Whole lines as far as they fit, the last
      // page of a line that alone is longer than the page.
      if (KeyCode == kVkPgUp && (top > 0 || piece > 0)) {
        RowsBack(nTopRec, piece, top, W.nPageLines);
        SetTop(nTopRec, top, piece);
        return true;
      }
      const int32_t last = KeyCode == kVkEnd ? nRecCount : nTopRec - 1;
      int32_t first = std::max(1, Find1stRecordOnPage(last));
      int32_t used = 0;
      for (int32_t r = first; r <= last; ++r) used += WrapRows(r);
      int32_t from = first;
      int64_t p = LinePieces(from) - 1;
      int32_t row = 0;
      if (first == last && (used > W.nPageLines || p > 0)) {
        row = WrapRows(from, p);
        RowsBack(from, p, row, W.nPageLines);
      } else if (first > 1 && used < W.nPageLines) {
        // The rest of the page from the end of a line before that is longer than a page.
        p = LinePieces(--from) - 1;
        row = WrapRows(from, p);
        if (row > W.nPageLines || p > 0) RowsBack(from, p, row, W.nPageLines - used);
        else from = first, p = 0, row = 0;
      } else {
        p = 0;
      }
      SetTop(from, row, p);
      return true;
    }
    default:
      return false;
  }
}

void FileView::LIST_PAGEMOVE(int KeyCode) {
  nHexTop &= nHexMask;
  const int64_t L = (W.TDISPLAY & TD_HEX32) ? 32 : 16;
  const bool hex = (W.TDISPLAY & TD_HEX) != 0;
  const int64_t lastLine = std::max<int64_t>(0, (nFileSize - 1) & nHexMask);
  switch (WrapPageMove(KeyCode) ? 0 : KeyCode) {
    case kVkEnd:
      if (hex) {
        int64_t n = W.nPageLines;
        if ((W.TDISPLAY & TD_HEX2) && W.nColumns > 234) n *= 2;
        nHexTop = W.nColumns > 117 ? lastLine - n * 32 + 32 : lastLine - n * 16 + 16;
      } else {
        nTopRec = Find1stRecordOnPage(nRecCount);
      }
      break;
    case kVkHome:
      if (hex) nHexTop = 0;
      else SetTop(1, 0);
      break;
    case kVkPgDn:
      if (hex) {
        nHexTop = nBottomRec + L;
        if (nHexTop >= nFileSize) nHexTop = lastLine;
      } else {
        nTopRec = ClampToInt32(nBottomRec + 1);
      }
      break;
    case kVkPgUp:
      if (hex) nHexTop = std::max<int64_t>(0, 2 * nHexTop - L - nBottomRec);
      else nTopRec = Find1stRecordOnPage(nTopRec - 1);
      break;
    case kVkDown:
      if (hex) {
        nHexTop += L;
        if (nHexTop >= nFileSize) nHexTop = lastLine;
      } else {
        nTopRec = ClampToInt32(int64_t{nTopRec} + 1);
      }
      break;
    case kVkUp:
      if (hex) nHexTop = std::max<int64_t>(0, nHexTop - L);
      else nTopRec = std::max(1, nTopRec - 1);
      break;
    default:
      break;
  }
  W.bRepaint = true;
  W.nYieldCount = 1;
  IndexAheadToRecord(nTopRec);
  while (nTopRec > nRecCount && !bAllIndexed && !bIndexing && ScanGoesOn()) GetASeg();
  W.nYieldCount = 0;
  nTopRec = std::max(1, std::min(nTopRec, nRecCount));
  if (hex) nHexTop = std::clamp<int64_t>(nHexTop, 0, std::max<int64_t>(0, nFileSize & nHexMask));
}

}  // namespace tembra
