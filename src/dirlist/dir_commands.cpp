// The character commands of the directory page: each works on the entry under the
// cursor or on the page, and most hand the work to the procedure that owns it.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "fileops/fileops_state.h"
#include "config/config_state.h"
#include "zip/zip_page.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_list.h"
#include "input/sort_prompt.h"
#include "dirlist/dir_keys.h"

namespace tembra {

namespace {
// The cursor is on an entry (an empty root has none), on the parent entry.
bool OnEntry(const Lister& l) { return !l.Entries().Record(l.Entries().iCurZDir).empty(); }
bool OnParent(const Lister& l) { return l.Entries().iCurZDir == 0; }
}  // namespace

namespace dir_keys {
KeyNext PageForward(Lister& l, int, int) {
  l.Entries().CursorMove(l.nPerPage, l.nPerPage);
  return KeyNext::Done;
}

KeyNext SizeSpec(Lister& l, int, int) {
  l.Dir().AskSizeRange();
  return KeyNext::Done;
}

// The scan again finds this entry for the cursor.
KeyNext ScanAgain(Lister& l, int, int) {
  l.Entries().zFindName = l.Entries().zCurNameU;
  l.Entries().zFindExact = l.Entries().zCurName;
  return KeyNext::Rescan;
}

KeyNext Open(Lister& l, int code, int) {
  l.Dir().nEnterInDirMode(std::string(1, static_cast<char>(code)));
  return KeyNext::Done;
}

KeyNext Columns(Lister& l, int code, int) {
  l.Dir().SetDirColumns(code - '0');
  return KeyNext::Done;
}

KeyNext UpByBackspace(Lister& l, int, int) {
  // Backspace goes up to the parent folder (BACKSPACE); at a root it only beeps.
  if (l.Dir().piBackspaceUp.On(l.eProfile)) l.Dir().UpToParent();
  return KeyNext::Done;
}

// h, j, k (Linux profile): up to the parent folder, next entry, previous entry.
KeyNext ParentNextPrevious(Lister& l, int code, int) {
  if (l.eProfile != Profile::Linux) l.HintTypedKey(code);
  else if (code == 'h') l.Dir().UpToParent();
  else l.Entries().CursorMove(code == 'j' ? 1 : -1, 0);
  return KeyNext::Done;
}

// = (Linux profile): every name, date and size filter off.
KeyNext ClearFilters(Lister& l, int code, int) {
  if (l.eProfile != Profile::Linux) {
    l.HintTypedKey(code);
  } else if (l.Entries().HasFilter()) {
    l.Entries().ClearFilters();
    l.Entries().MarkIgnore();
    l.ShowPage();
  }
  return KeyNext::Done;
}

KeyNext FindAsTyped(Lister& l, int code, int) {
  if (l.eProfile != Profile::Linux) l.HintTypedKey(code);
  else l.Dir().StartFind();
  return KeyNext::Done;
}

KeyNext ConfigLine(Lister& l, int, int) {
  // A configuration line, typed on the parent entry only
  if (OnParent(l) && l.Entries().iFirstZDir == 0) l.Dir().AskConfigLine();
  return KeyNext::Done;
}

KeyNext CopyMoveDelete(Lister& l, int code, int) {
  if (!OnEntry(l)) return KeyNext::Done;
  if (OnParent(l)) {
    l.MsgBox(MsgText(Msg::VX1014), "", MsgButtons::OK);
    return KeyNext::Done;
  }
  l.Dir().CopyMoveDeleteAtCursor(static_cast<char>(UpperChar(static_cast<unsigned char>(code))));
  return KeyNext::Done;
}

KeyNext Edit(Lister& l, int, int) {
  if (l.DoesFileExist(l.zCurFile) == 0) {
    std::string n = l.Dir().zCurCommandName();
    if (n.find(' ') != std::string::npos) n = l.zQuote + n + l.zQuote;
    l.ShellAndWait(l.zComSpec + " /C " + "EDIT " + n);
  } else {
    l.VXERROR(MsgText(Msg::VX1006));
    l.Beep();
  }
  return KeyNext::Done;
}

KeyNext FileSpec(Lister& l, int, int) {
  l.Dir().AskFileSpec();
  return KeyNext::Done;
}

KeyNext Run(Lister& l, int, int) {
  l.Dir().InvokeProgramAtCursor(false);
  return KeyNext::Done;
}

KeyNext OpenWith(Lister& l, int, int) {
  if (l.DoesFileExist(l.zCurFile) != 0) l.MsgBox(MsgText(Msg::VX1006), "Tembra Not Allowed", MsgButtons::OK);
  else l.Dir().CallWindowsProgram(l.zCurFile);
  return KeyNext::Done;
}

KeyNext NewPath(Lister& l, int, int) {
  l.Dir().AskNewPath();
  return KeyNext::Done;
}

KeyNext BackToFile(Lister& l, int, int) {
  if (!l.ReopenViewed()) l.END_TEMBRA();
  return KeyNext::Done;
}

KeyNext Rename(Lister& l, int, int) {
  if (!OnEntry(l)) return KeyNext::Done;
  return l.BDOS_RENAME(l.Entries().iCursor) ? KeyNext::Rescan : KeyNext::Done;
}

KeyNext SortPrompt(Lister& l, int, int) {
  l.Dir().OpenSortPrompt();
  return KeyNext::Done;
}

KeyNext Archive(Lister& l, int, int) {
  if (!OnEntry(l)) return KeyNext::Done;
  l.Zip().bZipFullPath = true;
  l.Zip().ProcessZ("Z");
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

KeyNext DirPage::DirModeKeyPress(int keyascii) {
  if (bFinding) return FindKeyPress(keyascii);
  // 1-2. Esc ends (or cuts the closing message short); nothing else while it shows
  if (keyascii == kChEsc) {
    if (W.nFarewellMs > 0) {
      W.nFarewellMs = 0;
      return KeyNext::Done;
    }
    W.END_TEMBRA();
  }
  if (W.nFarewellMs > 0) return KeyNext::Done;
  if (keyascii == 0) return KeyNext::Done;

  // 3. The entry under the cursor
  E.SetCursorEntry();

  // 4. The command of the character, from the page's key table
  const int code = keyascii & 255;
  KeyNext next = KeyNext::Done;
  if (const KeyBinding* b = FindKeyBinding(DirectoryPageKeys(), KeyBinding::On::Char, code, 0))
    next = b->action(W, code, 0);
  else
    W.HintTypedKey(keyascii);

  // 5. A command that changed the directory asks for a new scan
  return W.bRescan || next == KeyNext::Rescan ? KeyNext::Rescan : KeyNext::Done;
}

// 0-9: the number of entry columns. A number the page has room for shows at once; the
// others take a new scan.
void DirPage::SetDirColumns(int columns) {
  E.nDirColumnsSet = columns;
  W.bRescan = true;
  if (columns >= 1 && columns < E.nDirColumns) {
    W.nPerPage = W.nPageLines * columns;
    E.iTopSZDir = E.iFindUl(E.iCursor);
    W.ShowPage();
    W.bRescan = false;
  }
}

// One configuration line, typed and applied at once.
void DirPage::AskConfigLine() {
  std::string line = W.InputBox(MsgText(Msg::VX0007), "", "");
  if (!line.empty()) {
    const bool utf8 = W.bUtf8;
    const std::string cwd = W.P.files.CurrentDirectory();
    W.bParse1Config(line);
    if (W.bUtf8 != utf8) FollowCharset(cwd);
    W.bAllFont();
    W.REDRAW();
  }
}

// The character set changed: the file layer gives and takes names in the new one from
// now on, and the names taken in the old one are taken again (the listed folder's, when
// it is the current folder `cwd` was in the old set; the scan that follows lists the
// entries in the new set).
void DirPage::FollowCharset(const std::string& cwd) {
  W.P.files.SetUtf8Names(W.bUtf8);
  W.zAppPath = W.P.processes.AppPath();
  std::string listed = W.zCurDir;
  if (listed.size() > 3 && listed.back() == '\\') listed.pop_back();
  if (W.nInpFiles > 0 || cwd.empty() || cwd != listed) return;
  std::string again = W.P.files.CurrentDirectory();
  if (again.empty()) return;
  if (Right(again, 1) != "\\") again += "\\";
  W.zCurDir = again;
}

// S: the sort prompt waits for the sort key.
void DirPage::OpenSortPrompt() {
  for (CursorCell& c : E.CursorCache) c = CursorCell{};
  E.bSortAscending = true;
  W.Prompt().Open();
}

// The file specification of the shown files.
void DirPage::AskFileSpec() {
  std::string answer = W.InputBox(MsgText(Msg::VX0010), "Filespecs", "*.*");
  if (W.bInputCancelled) return;
  W.ParseFileSpec(answer);
  E.MarkIgnore();
  W.ShowPage();
}

// A typed drive, folder or host path to go to.
void DirPage::AskNewPath() {
  for (CursorCell& c : E.CursorCache) c = CursorCell{};
  // With host paths the prompt says so and offers the current folder.
  const bool host = W.piHostPaths.On(W.eProfile);
  std::string answer = W.InputBox(MsgText(host ? Msg::VX0014Host : Msg::VX0014), "", host ? W.ShownPath(W.zCurDir) : "C:");
  if (W.bInputCancelled) return;
  answer = zTypedFolder(answer);
  // A single letter is a drive, unless with host paths it names an entry here.
  if (answer.size() == 1 && !(host && W.DoesFileExist(W.zCurDir + answer) >= 0)) answer += ":";
  W.bRescan = BDOS_CD(answer);
}

// The size range of the shown files: "*" shows every size; a bare range is given the
// size form of a file specification.
void DirPage::AskSizeRange() {
  std::string answer = W.InputBox(MsgText(Msg::VX0011), "Size Specifications", "*");
  if (W.bInputCancelled) return;
  if (Trim(answer) == "*") {
    E.nSizeMin = 0;
    E.nSizeMax = 0;
  } else {
    std::string sizeForm = Trim(answer);
    std::string head = UCase(Left(sizeForm, 2));
    if (head != ">S" && head != ">Z") sizeForm = ">S" + sizeForm;
    W.ParseFileSpec(sizeForm);
  }
  E.MarkIgnore();
  W.ShowPage();
}

// B backs up, C copies, D deletes and M moves the entry under the cursor.
void DirPage::CopyMoveDeleteAtCursor(char command) {
  if (command == 'B') {
    W.bBackupCopy("BU");
  } else if (command == 'C') {
    W.bRescan = W.BDOS_COPY("C");
  } else if (command == 'D') {
    if (W.Config().bNoDelConfirm) {
      W.nKeyHeld = 'D';  // before the deletion, which may see the key released
      W.BDOS_DEL(E.iCursor, -1);
    } else {
      W.BDOS_DEL(E.iCursor, 0);
    }
  } else if (const CopyOutcome moved = W.CopyOrMove("M"); moved != CopyOutcome::Failed) {
    // A rename has already moved it; a copy's source goes only after the copy was
    // checked byte for byte.
    if (moved == CopyOutcome::MovedByRename) {
      W.bRescan = true;
      return;
    }
    if (W.bCopyVerified()) {
      W.BDOS_DEL(E.iCursor, -1);
    } else if (W.FileWork().zCopyDest != "+") {
      W.VXERROR(MsgText(Msg::VX1003MoveNotVerified, E.zCurName));
      W.Beep();
    }
    W.bRescan = true;
  }
}

}  // namespace tembra
