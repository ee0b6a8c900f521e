// Directory navigation: opening the entry under the cursor, the key-down commands of
// the directory page, and the change of drive and directory.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "fileops/fileops_state.h"
#include "zip/zip_page.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_list.h"
#include "dirlist/entry_table.h"
#include "dirlist/dir_keys.h"

namespace tembra {

namespace {
std::string QuoteIfBlank(const std::string& s, const std::string& q) {
  return s.find(' ') != std::string::npos ? q + s + q : s;
}
}  // namespace

int DirPage::nEnterInDirMode(const std::string& zKey) {
  // 1. The entry; members of an archive cannot be opened
  E.iCurZDir = E.IndexAt(E.iCursor);
  if (W.bZipMode && E.iCurZDir >= 1 && zKey != ".") {
    W.VXERROR(MsgText(Msg::VX1024));
    return 0;
  }
  // 2. Automatic deletion before the directory is left
  if (W.FileWork().bAutoDelete && W.FileWork().nDeletable >= 1 && E.zSortLetter == "F" && E.bSortAscending) {
    if (ZdChar(E.Record(E.iCurZDir), kZdDelMark) != ' ') {
      W.VXERROR(MsgText(Msg::VX0006));
      W.Beep();
      W.SleepMs(1250);
      W.FileWork().bAutoDelete = false;
      W.FileWork().bAutoDelAsked = false;
    } else {
      W.BigDelete();
      W.bRescan = false;
    }
  }
  // 3. Bookmarks of the file view go; "." goes up
  W.ForgetBookmarks();
  if (zKey == ".") {
    if (E.iFirstZDir != 0) {
      W.VXERROR(MsgText(Msg::VX1008));
      W.Beep();
      return 0;
    }
    E.iCurZDir = 0;
  }
  // 4. The record
  const std::string rec = E.Record(E.iCurZDir);
  if (rec.empty()) return 0;  // no entry under the cursor (an empty root)
  E.nLenName = ZdNameLength(rec);
  E.iCurNameCol = kZdName + E.nLenName;
  E.zCurType = std::string(1, ZdChar(rec, kZdType));

  if (E.iCurZDir == 0) {
    // 5. Up to the parent (or out of an archive back to its folder)
    std::string path = ZdNameStored(rec);
    if (Right(path, 1) != "\\" && !W.bZipMode) W.vxCatastrophe(MsgText(Msg::VX9009));
    if (!W.bZipMode) path.pop_back();
    long slash = InStrRev(path, "\\");
    if (!W.bZipMode && !FolderReadable(Left(path, slash))) return 0;
    W.zCurDir = Left(path, slash);
    W.P.files.ChangeDirectory(W.zCurDir);
    E.zFindName = Mid(path, slash + 1);
    E.zFindExact.clear();
    W.bRescan = true;
  } else if (E.zCurType == "D") {
    // 6. Into a directory (one that cannot be read is reported, and the page stays)
    if (!FolderReadable(W.zCurDir + ZdNameStored(rec) + "\\")) return 0;
    W.zCurDir = W.zCurDir + ZdNameStored(rec) + "\\";
    W.P.files.ChangeDirectory(W.zCurDir);
    W.bRescan = true;
    E.iCursor = 0;
    E.zFindName.clear();
  } else if (E.zCurType == "F") {
    // 7. A file: the file view; in the Linux profile an archive (ZIP or tar, by its
    // content) is listed instead, with full paths as v lists it.
    if (W.eProfile == Profile::Linux && W.Zip().IsArchive(ZdNameStored(rec))) W.Zip().ListArchive(true);
    else W.ViewEntry(E.iCurZDir);
  } else {
    W.vxCatastrophe(MsgText(Msg::VX9010));
  }
  return 0;
}

void DirPage::UpToParent() {
  if (E.iFirstZDir == 0) nEnterInDirMode(".");
  else W.Beep();
}

bool DirPage::FolderReadable(const std::string& folder) {
  const int err = W.P.files.FolderError(folder);
  if (err == 0) return true;
  W.VXERROR(MsgText(Msg::VX1040, W.ShownPath(folder), W.P.files.ErrorText(err)));
  W.Beep();
  return false;
}

namespace dir_keys {
KeyNext DeleteToTrash(Lister& l, int, int) {
  if (l.nKeyHeld == 'D') return KeyNext::Done;  // once per press of the key
  // The guard is set first: the key may be released while the deletion runs
  // (its dialogs and pumps deliver the key-up), and that release must clear it.
  l.nKeyHeld = 'D';
  if (l.FileWork().bWriteMarker) l.bRenameTemp("??", l.Entries().iCurZDir);
  else l.BDOS_DEL(l.Entries().iCursor, -1);
  l.Entries().zFindName.clear();
  return KeyNext::Rescan;
}

KeyNext SetAside(Lister& l, int, int) {
  if (l.nKeyHeld == 'D') return KeyNext::Done;  // once per press of the key
  l.Entries().zFindName.clear();
  l.nKeyHeld = 'D';
  l.bRenameTemp("DD", l.Entries().iCurZDir);
  return KeyNext::Done;
}

// A failed backup copy takes the key over: nothing is edited.
KeyNext EditWithBackup(Lister& l, int, int Shift) {
  return l.Dir().EditAtCursor(Shift == kCtrl) ? KeyNext::Done : KeyNext::Drawn;
}

KeyNext ListingFile(Lister& l, int, int) {
  l.Dir().bDirectoryList();
  return KeyNext::Done;
}

KeyNext Shell(Lister& l, int, int Shift) {
  // Plain Alt+G has already started the interpreter (a key of every mode).
  if (Shift != kAlt) l.StartProgram(l.zComSpec, false);
  return KeyNext::Drawn;
}

KeyNext RunWithParameters(Lister& l, int, int) {
  l.nMsgAnswer = l.Dir().InvokeProgramAtCursor(true);
  return KeyNext::Done;
}

// Ctrl+O after a backup copy; Alt+O in the NOTEPAD editor.
KeyNext OpenWithBackup(Lister& l, int, int Shift) {
  if (l.DoesFileExist(l.zCurFile) != 0) {
    l.MsgBox(MsgText(Msg::VX1006), "Tembra Not Allowed", MsgButtons::OK);
    return KeyNext::Done;
  }
  if ((Shift & kCtrl) && !l.bBackupCopy("WE")) return KeyNext::Drawn;
  if (Shift & kAlt) l.ShellAndWait("NOTEPAD " + l.zCurFile);
  else l.Dir().CallWindowsProgram(l.zCurFile);
  return KeyNext::Done;
}

KeyNext DebugUndo(Lister& l, int, int) {
  if (l.bDebug) l.undo();
  return KeyNext::Done;
}

KeyNext ArchiveByKey(Lister& l, int, int) {
  l.Zip().bZipFullPath = false;
  l.Zip().ProcessZ("Z");
  return KeyNext::Drawn;
}

// After Alt+X, a key of every mode, has asked for the end.
KeyNext ShellByAltX(Lister& l, int, int) {
  l.StartProgram(l.zComSpec, false);
  return KeyNext::Drawn;
}

KeyNext LongerFarewell(Lister& l, int, int) {
  // It lengthens the closing message only while it shows: outside it the 1600 ms
  // would make the page ignore every character command from then on.
  if (l.nFarewellMs > 0) l.nFarewellMs += 1600;
  return KeyNext::Done;
}

KeyNext End(Lister& l, int, int) {
  if (l.nFarewellMs < 1) {
    l.bDebug = false;
    l.END_TEMBRA();
  }
  l.nFarewellMs = 0;
  return KeyNext::Done;
}

// Left / Right: an entry column back / forward; in the Linux profile without Shift, Ctrl
// or Alt up to the parent folder / open the entry, as h / l.
KeyNext LeftRight(Lister& l, int code, int Shift) {
  if (l.eProfile == Profile::Linux && Shift == 0) {
    if (code == kVkLeft) l.Dir().UpToParent();
    else l.Dir().nEnterInDirMode(Chr(kChEnter));
  } else {
    l.Entries().CursorKey(code, Shift);
  }
  return KeyNext::Done;
}

KeyNext DeleteKey(Lister& l, int, int Shift) {
  l.Dir().DeleteKeyDown(Shift);
  return KeyNext::Done;
}
}  // namespace dir_keys

// The key-down commands of the directory page, from its key table. True when the command
// took the key over (its character must not act again).
bool DirPage::bDIR_Keydown(int Shift, int KeyCode) {
  E.SetCursorEntry();
  // Find as typed takes the keys that type; any other key ends it where it is and acts.
  if (bFinding) {
    if (ProducesChar(KeyCode, Shift) && !(Shift & kCtrl)) return false;
    EndFind();
  }
  const KeyBinding* b = FindKeyBinding(DirectoryPageKeys(), KeyBinding::On::Down, KeyCode, Shift);
  if (!b) return false;
  const KeyNext next = W.ActOn(*b, KeyCode, Shift);
  // Scanned and drawn at the end of Form_KeyDown.
  if (next == KeyNext::Rescan) W.bRescan = true;
  if (next == KeyNext::Redraw) W.bRepaint = true;
  return next == KeyNext::Drawn;
}

// Ctrl+E (EDIT) or Alt+E (VXEDIT) on the file under the cursor, after its backup copy.
// False when the backup copy failed: the key is then taken over and nothing is edited.
bool DirPage::EditAtCursor(bool withEdit) {
  if (W.DoesFileExist(W.zCurFile) != 0) {
    W.VXERROR(MsgText(Msg::VX1006));
    W.Beep();
    return true;
  }
  if (withEdit) {
    if (!W.bBackupCopy("ED")) return false;
    W.ShellAndWait(W.zComSpec + " /C " + W.zQuote + "EDIT " + W.zCurFile + W.zQuote);
  } else {
    if (!W.bBackupCopy("ZE")) return false;
    std::string d = Left(W.zCurDir, 1), p = Mid(W.zCurDir, 3);
    W.ShellAndWait(W.zComSpec + " /C " + "VXEDIT " + d + " " + QuoteIfBlank(p, W.zQuote) + " " +
                 QuoteIfBlank(E.zCurNameU, W.zQuote) + " " + QuoteIfBlank(W.zCurFile, W.zQuote));
  }
  return true;
}

// The Delete key (and the keypad's decimal point) with Shift, Ctrl or Alt: the sweep of
// the marked files, automatic deletion on or off, and deletion without a question.
void DirPage::DeleteKeyDown(int Shift) {
  if (Shift == kShift) {
    W.FileWork().bAutoDelAsked = true;
    W.BigDelete();
    W.bRescan = true;
  } else if (Shift == (kShift | kCtrl)) {
    if (W.MsgBox(MsgText(Msg::VX8020), "", MsgButtons::OKCancel) == kAnswerOK) {
      W.FileWork().bAutoDelAsked = true;
      W.FileWork().bAutoDelete = true;
      W.VXERROR(MsgText(Msg::VX0005On));
    } else {
      W.FileWork().bAutoDelete = false;
    }
  } else if (Shift == kAlt) {
    W.VXERROR(MsgText(Msg::VX0005Off));
    W.FileWork().bAutoDelete = false;
    W.FileWork().bAutoDelAsked = false;
  } else if (Shift == (kShift | kAlt)) {
    W.nKeyHeld = kVkDelete;  // before the deletion, which may see the key released
    W.BDOS_DEL(E.iCursor, 1);
    W.bRescan = true;
    E.zFindName.clear();
  }
}

namespace {

// The first folder (by upper-case name) whose name begins with the last name of `u` (a
// path without its final backslash), or "" when there is none.
std::string FirstFolderBeginning(Lister& l, std::string u) {
  if (u.find_first_of("*?") == std::string::npos) u += "*";
  const std::string search = u + "*";
  FindData fd;
  std::string best;
  ScopedFind find(l.P.files, l.P.files.FindFirstFile(search, fd));
  const FindHandle h = find.get();
  if (h == kInvalidFind) return best;
  const bool tracked = l.OpenCount == 0;
  if (tracked) l.LogOpen(search);
  for (bool more = true; more; more = l.P.files.FindNextFile(h, fd)) {
    if ((fd.dwFileAttributes & kAttrDirectory) && (best.empty() || l.NameU(fd.cFileName) < l.NameU(best)))
      best = fd.cFileName;
  }
  l.P.files.FindClose(find.release());
  if (tracked) l.LogOpen("");
  return best;
}

// Leaving the current drive for `drive`: the folder and entry left on it are remembered
// (up to 16 drives, the latest first); a drive given alone goes back to its remembered
// folder (`t`) and entry.
void LeaveDrive(Lister& l, const std::string& drive, bool driveOnly, std::string& t) {
  if (l.zDriveDir.size() < 17) l.zDriveDir.resize(17);
  if (l.Dir().zDriveName.size() < 17) l.Dir().zDriveName.resize(17);
  l.Entries().SetCursorEntry();
  const std::string nameHere = (l.Entries().zCurType == "F" || l.Entries().zCurType == "D") ? l.Entries().zCurNameU : std::string();
  bool leftOne = false;
  for (int32_t i = 1; i <= l.nDriveDirs; ++i) {
    if (UCase(Left(l.zDriveDir[static_cast<size_t>(i)], 1)) == l.zCurDrive) {
      l.zDriveDir[static_cast<size_t>(i)] = l.zCurDir;
      l.Dir().zDriveName[static_cast<size_t>(i)] = nameHere;
      leftOne = true;
    }
  }
  if (driveOnly) {
    for (int32_t i = 1; i <= l.nDriveDirs; ++i) {
      if (UCase(Left(l.zDriveDir[static_cast<size_t>(i)], 1)) == drive) {
        t = drive + ":" + Mid(l.zDriveDir[static_cast<size_t>(i)], 3);
        l.Entries().zFindName = l.Dir().zDriveName[static_cast<size_t>(i)];
        l.Entries().zFindExact.clear();
        break;
      }
    }
  }
  if (leftOne) return;
  if (l.nDriveDirs < 16) ++l.nDriveDirs;
  for (int32_t i = l.nDriveDirs; i >= 2; --i) {
    l.zDriveDir[static_cast<size_t>(i)] = l.zDriveDir[static_cast<size_t>(i - 1)];
    l.Dir().zDriveName[static_cast<size_t>(i)] = l.Dir().zDriveName[static_cast<size_t>(i - 1)];
  }
  l.zDriveDir[1] = l.zCurDir;
  l.Dir().zDriveName[1] = nameHere;
}

}  // namespace

bool DirPage::BDOS_CD(const std::string& zNewPath) {
  // 1-2. The drive and the path on it. The typed letter case is kept for the path
  // (names are matched without regard to case; the stored spelling is taken below).
  std::string s = Trim(zNewPath);
  bool driveOnly = false;
  std::string drive;
  if (Mid(s, 2, 1) != ":") {
    drive = UCase(Left(W.zCurDir, 1));
    if (Right(s, 1) != "\\") s += "\\";
    if (Left(s, 1) != "\\") {
      s = W.zCurDir + s;
      if (Mid(s, 2, 1) == ":") s = Mid(s, 3);
    }
  } else {
    drive = UCase(Left(s, 1));
    if (s.size() == 2) driveOnly = true;
    s = Mid(s, 3);
  }
  // 3. The drive must exist
  if (W.DoesFileExist(drive + ":\\") == -1) {
    W.VXERROR(MsgText(Msg::VX0003, drive));
    return false;
  }
  // 4. The target
  std::string t;
  if (Left(s, 1) != "\\") {
    t = W.P.files.CurrentDirectoryOfDrive(drive[0]);
    if (Right(t, 1) != "\\") t += "\\";
    t += s;
  } else {
    t = drive + ":" + s;
  }
  int exists = W.DoesFileExist(t);
  // 5. A missing name: the first directory (by upper-case name) that it begins
  if (exists == -1) {
    const std::string u = Left(t, static_cast<long>(t.size()) - 1);
    const std::string best = FirstFolderBeginning(W, u);
    if (best.empty()) {
      W.VXERROR(MsgText(Msg::VX0104, W.ShownPath(t)));
      return false;
    }
    t = Left(u, InStrRev(u, "\\")) + best + "\\";
    exists = 1;
  }
  // 6. A file is no path
  if (exists == 0) {
    W.VXERROR(MsgText(Msg::VX0110));
    return false;
  }
  // 7. Another drive: remember where this one was left
  if (drive != W.zCurDrive) LeaveDrive(W, drive, driveOnly, t);
  // 8. Change drive and directory
  if (Right(t, 1) != "\\") t += "\\";
  if (!FolderReadable(t)) return false;
  W.zCurDrive = drive;
  W.P.files.ChangeDrive(drive[0]);
  W.zCurDir = t;
  if (W.P.files.ChangeDirectory(t)) {
    // The stored spelling of the folder names.
    std::string cur = W.P.files.CurrentDirectory();
    if (!cur.empty() && UCase(Left(cur, 1)) == drive) {
      if (Right(cur, 1) != "\\") cur += "\\";
      W.zCurDir = cur;
    }
  }
  return true;
}

}  // namespace tembra
