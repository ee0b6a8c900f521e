// The character commands of the directory page: each works on the entry under the
// cursor or on the page, and most hand the work to the procedure that owns it.
#include "core/lister.h"

namespace tembra {

void Lister::DirModeKeyPress(int keyascii) {
  // 1-2. Esc ends (or cuts the closing message short); nothing else while it shows
  if (keyascii == kChEsc) {
    if (nFarewellMs > 0) {
      nFarewellMs = 0;
      return;
    }
    END_TEMBRA();
  }
  if (nFarewellMs > 0) return;
  if (keyascii == 0) return;

  // 3. The entry under the cursor
  SetCursorEntry();
  const bool onEntry = !ZDIR[static_cast<size_t>(iCurZDir)].empty();
  const bool onParent = iCurZDir == 0;
  const char ch = static_cast<char>(keyascii);
  const char up = static_cast<char>(UpperChar(static_cast<unsigned char>(keyascii)));

  // 4. The command of the character
  switch (ch) {
    case ' ':
      CursorMove(nPerPage, nPerPage);
      break;
    case '&':
      AskSizeRange();
      break;
    case '*':
      zFindName = zCurNameU;
      zFindExact = zCurName;
      bRescan = true;
      break;
    case '.':
    case kChEnter:
      nEnterInDirMode(std::string(1, ch));
      break;
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9':
      SetDirColumns(ch - '0');
      break;
    case kChBackspace:
      // Backspace goes up to the parent folder (BACKSPACE); at a root it only beeps.
      if (piBackspaceUp.On(eProfile)) {
        if (iFirstZDir == 0) nEnterInDirMode(".");
        else Beep();
      }
      break;
    case '?':
      // A configuration line, typed on the parent entry only
      if (onParent && iFirstZDir == 0) AskConfigLine();
      break;
    default:
      switch (up) {
        case 'L':
          nEnterInDirMode(std::string(1, ch));
          break;
        case 'B':
        case 'C':
        case 'D':
        case 'M':
          if (!onEntry) break;
          if (onParent) {
            MsgBox(MsgText(Msg::VX1014), "", MsgButtons::OK);
            break;
          }
          CopyMoveDeleteAtCursor(up);
          break;
        case 'E':
          if (DoesFileExist(zCurFile) == 0) {
            std::string n = zCurCommandName();
            if (n.find(' ') != std::string::npos) n = zQuote + n + zQuote;
            ShellAndWait(zComSpec + " /C " + "EDIT " + n);
          } else {
            VXERROR(MsgText(Msg::VX1006));
            Beep();
          }
          break;
        case 'F':
          AskFileSpec();
          break;
        case 'I':
          InvokeProgramAtCursor(false);
          break;
        case 'O':
          if (DoesFileExist(zCurFile) != 0) MsgBox(MsgText(Msg::VX1006), "Tembra Not Allowed", MsgButtons::OK);
          else CallWindowsProgram(zCurFile);
          break;
        case 'P':
          AskNewPath();
          break;
        case 'Q':
          if (!zReopenFile.empty()) ListAFile(-47);
          else END_TEMBRA();
          break;
        case 'R':
          if (onEntry) bRescan = BDOS_RENAME(iCursor);
          break;
        case 'S':
          OpenSortPrompt();
          break;
        case 'V':
          if (!onEntry) break;
          bZipFullPath = true;
          ProcessZ("Z");
          break;
        case 'X':
          StartProgram(zComSpec, false);
          END_TEMBRA();
        default:
          HintTypedKey(keyascii);
          break;
      }
  }

  // 5. A command that changed the directory asks for a new scan
  if (bRescan) {
    GetDir(zCurDir);
    ShowPage();
  }
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
  SetDisplayMode(ShownPage::SortPrompt);
  VXERROR(MsgText(Msg::VX0088));
  bSortPrompt = true;
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
