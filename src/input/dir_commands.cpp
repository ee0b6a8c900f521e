// The character commands of the directory page: each works on the entry under the
// cursor or on the page, and most hand the work to the procedure that owns it.
#include "core/lister.h"
#include "input/sort_prompt.h"
#include "viewer/file_view.h"
#include "input/dir_keys.h"

namespace tembra {

namespace {
// The cursor is on an entry (an empty root has none), on the parent entry.
bool OnEntry(const Lister& l) { return !l.ZDIR[static_cast<size_t>(l.iCurZDir)].empty(); }
bool OnParent(const Lister& l) { return l.iCurZDir == 0; }
}  // namespace

namespace dir_keys {
KeyNext PageForward(Lister& l, int, int) {
  l.CursorMove(l.nPerPage, l.nPerPage);
  return KeyNext::Done;
}

KeyNext SizeSpec(Lister& l, int, int) {
  l.AskSizeRange();
  return KeyNext::Done;
}

// The scan again finds this entry for the cursor.
KeyNext ScanAgain(Lister& l, int, int) {
  l.zFindName = l.zCurNameU;
  l.zFindExact = l.zCurName;
  return KeyNext::Rescan;
}

KeyNext Open(Lister& l, int code, int) {
  l.nEnterInDirMode(std::string(1, static_cast<char>(code)));
  return KeyNext::Done;
}

KeyNext Columns(Lister& l, int code, int) {
  l.SetDirColumns(code - '0');
  return KeyNext::Done;
}

KeyNext UpByBackspace(Lister& l, int, int) {
  // Backspace goes up to the parent folder (BACKSPACE); at a root it only beeps.
  if (l.piBackspaceUp.On(l.eProfile)) {
    if (l.iFirstZDir == 0) l.nEnterInDirMode(".");
    else l.Beep();
  }
  return KeyNext::Done;
}

KeyNext ConfigLine(Lister& l, int, int) {
  // A configuration line, typed on the parent entry only
  if (OnParent(l) && l.iFirstZDir == 0) l.AskConfigLine();
  return KeyNext::Done;
}

KeyNext CopyMoveDelete(Lister& l, int code, int) {
  if (!OnEntry(l)) return KeyNext::Done;
  if (OnParent(l)) {
    l.MsgBox(MsgText(Msg::VX1014), "", MsgButtons::OK);
    return KeyNext::Done;
  }
  l.CopyMoveDeleteAtCursor(static_cast<char>(UpperChar(static_cast<unsigned char>(code))));
  return KeyNext::Done;
}

KeyNext Edit(Lister& l, int, int) {
  if (l.DoesFileExist(l.zCurFile) == 0) {
    std::string n = l.zCurCommandName();
    if (n.find(' ') != std::string::npos) n = l.zQuote + n + l.zQuote;
    l.ShellAndWait(l.zComSpec + " /C " + "EDIT " + n);
  } else {
    l.VXERROR(MsgText(Msg::VX1006));
    l.Beep();
  }
  return KeyNext::Done;
}

KeyNext FileSpec(Lister& l, int, int) {
  l.AskFileSpec();
  return KeyNext::Done;
}

KeyNext Run(Lister& l, int, int) {
  l.InvokeProgramAtCursor(false);
  return KeyNext::Done;
}

KeyNext OpenWith(Lister& l, int, int) {
  if (l.DoesFileExist(l.zCurFile) != 0) l.MsgBox(MsgText(Msg::VX1006), "Tembra Not Allowed", MsgButtons::OK);
  else l.CallWindowsProgram(l.zCurFile);
  return KeyNext::Done;
}

KeyNext NewPath(Lister& l, int, int) {
  l.AskNewPath();
  return KeyNext::Done;
}

KeyNext BackToFile(Lister& l, int, int) {
  if (l.View().CanReopen()) l.View().ListAFile(-47);
  else l.END_TEMBRA();
  return KeyNext::Done;
}

KeyNext Rename(Lister& l, int, int) {
  if (!OnEntry(l)) return KeyNext::Done;
  return l.BDOS_RENAME(l.iCursor) ? KeyNext::Rescan : KeyNext::Done;
}

KeyNext SortPrompt(Lister& l, int, int) {
  l.OpenSortPrompt();
  return KeyNext::Done;
}

KeyNext Archive(Lister& l, int, int) {
  if (!OnEntry(l)) return KeyNext::Done;
  l.bZipFullPath = true;
  l.ProcessZ("Z");
  return KeyNext::Done;
}

KeyNext ShellAndEnd(Lister& l, int code, int) {
  l.StartProgram(l.zComSpec, false);
  l.END_TEMBRA();
  // Then, as it always has, the key counts as one that did nothing.
  l.HintTypedKey(code);
  return KeyNext::Done;
}
}  // namespace dir_keys

KeyNext Lister::DirModeKeyPress(int keyascii) {
  // 1-2. Esc ends (or cuts the closing message short); nothing else while it shows
  if (keyascii == kChEsc) {
    if (nFarewellMs > 0) {
      nFarewellMs = 0;
      return KeyNext::Done;
    }
    END_TEMBRA();
  }
  if (nFarewellMs > 0) return KeyNext::Done;
  if (keyascii == 0) return KeyNext::Done;

  // 3. The entry under the cursor
  SetCursorEntry();

  // 4. The command of the character, from the page's key table
  const int code = keyascii & 255;
  KeyNext next = KeyNext::Done;
  if (const KeyBinding* b = FindKeyBinding(DirectoryPageKeys(), KeyBinding::On::Char, code, 0))
    next = b->action(*this, code, 0);
  else
    HintTypedKey(keyascii);

  // 5. A command that changed the directory asks for a new scan
  return bRescan || next == KeyNext::Rescan ? KeyNext::Rescan : KeyNext::Done;
}

// 0-9: the number of entry columns. A number the page has room for shows at once; the
// others take a new scan.
void Lister::SetDirColumns(int columns) {
  nDirColumnsSet = columns;
  bRescan = true;
  if (columns >= 1 && columns < nDirColumns) {
    nPerPage = nPageLines * columns;
    iTopSZDir = iFindUl(iCursor);
    ShowPage();
    bRescan = false;
  }
}

// One configuration line, typed and applied at once.
void Lister::AskConfigLine() {
  std::string line = InputBox(MsgText(Msg::VX0007), "", "");
  if (!line.empty()) {
    const bool utf8 = bUtf8;
    const std::string cwd = P.files.CurrentDirectory();
    bParse1Config(line);
    if (bUtf8 != utf8) FollowCharset(cwd);
    bAllFont();
    REDRAW();
  }
}

// The character set changed: the file layer gives and takes names in the new one from
// now on, and the names taken in the old one are taken again (the listed folder's, when
// it is the current folder `cwd` was in the old set; the scan that follows lists the
// entries in the new set).
void Lister::FollowCharset(const std::string& cwd) {
  P.files.SetUtf8Names(bUtf8);
  zAppPath = P.processes.AppPath();
  std::string listed = zCurDir;
  if (listed.size() > 3 && listed.back() == '\\') listed.pop_back();
  if (nInpFiles > 0 || cwd.empty() || cwd != listed) return;
  std::string again = P.files.CurrentDirectory();
  if (again.empty()) return;
  if (Right(again, 1) != "\\") again += "\\";
  zCurDir = again;
}

// S: the sort prompt waits for the sort key.
void Lister::OpenSortPrompt() {
  for (CursorCell& c : CursorCache) c = CursorCell{};
  bSortAscending = true;
  Prompt().Open();
}

// The file specification of the shown files.
void Lister::AskFileSpec() {
  std::string answer = InputBox(MsgText(Msg::VX0010), "Filespecs", "*.*");
  if (bInputCancelled) return;
  ParseFileSpec(answer);
  MarkIgnore();
  ShowPage();
}

// A typed drive, folder or host path to go to.
void Lister::AskNewPath() {
  for (CursorCell& c : CursorCache) c = CursorCell{};
  std::string answer = InputBox(MsgText(Msg::VX0014), "", "C:");
  if (bInputCancelled) return;
  answer = zTypedFolder(answer);
  if (answer.size() == 1) answer += ":";
  bRescan = BDOS_CD(answer);
}

// The size range of the shown files: "*" shows every size; a bare range is given the
// size form of a file specification.
void Lister::AskSizeRange() {
  std::string answer = InputBox(MsgText(Msg::VX0011), "Size Specifications", "*");
  if (bInputCancelled) return;
  if (Trim(answer) == "*") {
    nSizeMin = 0;
    nSizeMax = 0;
  } else {
    std::string sizeForm = Trim(answer);
    std::string head = UCase(Left(sizeForm, 2));
    if (head != ">S" && head != ">Z") sizeForm = ">S" + sizeForm;
    ParseFileSpec(sizeForm);
  }
  MarkIgnore();
  ShowPage();
}

// B backs up, C copies, D deletes and M moves the entry under the cursor.
void Lister::CopyMoveDeleteAtCursor(char command) {
  if (command == 'B') {
    bBackupCopy("BU");
  } else if (command == 'C') {
    bRescan = BDOS_COPY("C");
  } else if (command == 'D') {
    if (bNoDelConfirm) {
      nKeyHeld = 'D';  // before the deletion, which may see the key released
      BDOS_DEL(iCursor, -1);
    } else {
      BDOS_DEL(iCursor, 0);
    }
  } else if (const CopyOutcome moved = CopyOrMove("M"); moved != CopyOutcome::Failed) {
    // A rename has already moved it; a copy's source goes only after the copy was
    // checked byte for byte.
    if (moved == CopyOutcome::MovedByRename) {
      bRescan = true;
      return;
    }
    if (bCopyVerified()) {
      BDOS_DEL(iCursor, -1);
    } else if (zCopyDest != "+") {
      VXERROR(MsgText(Msg::VX1003MoveNotVerified, zCurName));
      Beep();
    }
    bRescan = true;
  }
}

}  // namespace tembra
