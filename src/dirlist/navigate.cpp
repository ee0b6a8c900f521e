// Directory navigation: opening the entry under the cursor, the key-down commands of
// the directory page, and the change of drive and directory.
#include "core/lister.h"
#include "dirlist/entry_table.h"
#include "input/dir_keys.h"
#include "viewer/file_view.h"

namespace tembra {

namespace {
std::string QuoteIfBlank(const std::string& s, const std::string& q) {
  return s.find(' ') != std::string::npos ? q + s + q : s;
}
}  // namespace

void Lister::SetCursorEntry() {
  int32_t k = EntryTable(*this).IndexAt(iCursor);
  iCurZDir = k;
  const std::string& rec = ZDIR[static_cast<size_t>(k)];
  zCurType = std::string(1, ZdChar(rec, kZdType));
  if (zCurType == "F" || zCurType == "D") {
    nLenName = ZdNameLength(rec);
    iCurNameCol = kZdName + nLenName;
    zCurName = ZdNameStored(rec);
    zCurNameU = NameU(zCurName);
    // The stored-case name addresses exactly this entry also where names differ only
    // in letter case.
    zCurFile = zCurDir + zCurName;
  } else {
    zCurNameU.clear();
    zCurFile.clear();
  }
}

int Lister::nEnterInDirMode(const std::string& zKey) {
  // 1. The entry; members of an archive cannot be opened
  iCurZDir = EntryTable(*this).IndexAt(iCursor);
  if (bZipMode && iCurZDir >= 1 && zKey != ".") {
    VXERROR(MsgText(Msg::VX1024));
    return 0;
  }
  // 2. Automatic deletion before the directory is left
  if (bAutoDelete && nDeletable >= 1 && zSortLetter == "F" && bSortAscending) {
    if (ZdChar(ZDIR[static_cast<size_t>(iCurZDir)], kZdDelMark) != ' ') {
      VXERROR(MsgText(Msg::VX0006));
      Beep();
      SleepMs(1250);
      bAutoDelete = false;
      bAutoDelAsked = false;
    } else {
      BigDelete();
      bRescan = false;
    }
  }
  // 3. Bookmarks of the file view go; "." goes up
  View().ForgetBookmarks();
  if (zKey == ".") {
    if (iFirstZDir != 0) {
      VXERROR(MsgText(Msg::VX1008));
      Beep();
      return 0;
    }
    iCurZDir = 0;
  }
  // 4. The record
  const std::string rec = ZDIR[static_cast<size_t>(iCurZDir)];
  if (rec.empty()) return 0;  // no entry under the cursor (an empty root)
  nLenName = ZdNameLength(rec);
  iCurNameCol = kZdName + nLenName;
  zCurType = std::string(1, ZdChar(rec, kZdType));

  if (iCurZDir == 0) {
    // 5. Up to the parent (or out of an archive back to its folder)
    std::string path = ZdNameStored(rec);
    if (Right(path, 1) != "\\" && !bZipMode) vxCatastrophe(MsgText(Msg::VX9009));
    if (!bZipMode) path.pop_back();
    long slash = InStrRev(path, "\\");
    if (!bZipMode && !FolderReadable(Left(path, slash))) return 0;
    zCurDir = Left(path, slash);
    P.files.ChangeDirectory(zCurDir);
    zFindName = Mid(path, slash + 1);
    zFindExact.clear();
    bRescan = true;
  } else if (zCurType == "D") {
    // 6. Into a directory (one that cannot be read is reported, and the page stays)
    if (!FolderReadable(zCurDir + ZdNameStored(rec) + "\\")) return 0;
    zCurDir = zCurDir + ZdNameStored(rec) + "\\";
    P.files.ChangeDirectory(zCurDir);
    bRescan = true;
    iCursor = 0;
    zFindName.clear();
  } else if (zCurType == "F") {
    // 7. A file: the file view
    View().ListAFile(iCurZDir);
  } else {
    vxCatastrophe(MsgText(Msg::VX9010));
  }
  return 0;
}

bool Lister::FolderReadable(const std::string& folder) {
  const int err = P.files.FolderError(folder);
  if (err == 0) return true;
  VXERROR(MsgText(Msg::VX1040, folder, P.files.ErrorText(err)));
  Beep();
  return false;
}

namespace dir_keys {
KeyNext DeleteToTrash(Lister& l, int, int) {
  if (l.nKeyHeld == 'D') return KeyNext::Done;  // once per press of the key
  // The guard is set first: the key may be released while the deletion runs
  // (its dialogs and pumps deliver the key-up), and that release must clear it.
  l.nKeyHeld = 'D';
  if (l.bWriteMarker) l.bRenameTemp("??", l.iCurZDir);
  else l.BDOS_DEL(l.iCursor, -1);
  l.zFindName.clear();
  return KeyNext::Rescan;
}

KeyNext SetAside(Lister& l, int, int) {
  if (l.nKeyHeld == 'D') return KeyNext::Done;  // once per press of the key
  l.zFindName.clear();
  l.nKeyHeld = 'D';
  l.bRenameTemp("DD", l.iCurZDir);
  return KeyNext::Done;
}

// A failed backup copy takes the key over: nothing is edited.
KeyNext EditWithBackup(Lister& l, int, int Shift) {
  return l.EditAtCursor(Shift == kCtrl) ? KeyNext::Done : KeyNext::Drawn;
}

KeyNext ListingFile(Lister& l, int, int) {
  l.bDirectoryList();
  return KeyNext::Done;
}

KeyNext Shell(Lister& l, int, int Shift) {
  // Plain Alt+G has already started the interpreter (a key of every mode).
  if (Shift != kAlt) l.StartProgram(l.zComSpec, false);
  return KeyNext::Drawn;
}

KeyNext RunWithParameters(Lister& l, int, int) {
  l.nMsgAnswer = l.InvokeProgramAtCursor(true);
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
  else l.CallWindowsProgram(l.zCurFile);
  return KeyNext::Done;
}

KeyNext DebugUndo(Lister& l, int, int) {
  if (l.bDebug) l.undo();
  return KeyNext::Done;
}

KeyNext ArchiveByKey(Lister& l, int, int) {
  l.bZipFullPath = false;
  l.ProcessZ("Z");
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

KeyNext DeleteKey(Lister& l, int, int Shift) {
  l.DeleteKeyDown(Shift);
  return KeyNext::Done;
}
}  // namespace dir_keys

// The key-down commands of the directory page, from its key table. True when the command
// took the key over (its character must not act again).
bool Lister::bDIR_Keydown(int Shift, int KeyCode) {
  SetCursorEntry();
  const KeyBinding* b = FindKeyBinding(DirectoryPageKeys(), KeyBinding::On::Down, KeyCode, Shift);
  if (!b) return false;
  const KeyNext next = b->action(*this, KeyCode, Shift);
  // Scanned and drawn at the end of Form_KeyDown.
  if (next == KeyNext::Rescan) bRescan = true;
  if (next == KeyNext::Redraw) bRepaint = true;
  return next == KeyNext::Drawn;
}

// Ctrl+E (EDIT) or Alt+E (VXEDIT) on the file under the cursor, after its backup copy.
// False when the backup copy failed: the key is then taken over and nothing is edited.
bool Lister::EditAtCursor(bool withEdit) {
  if (DoesFileExist(zCurFile) != 0) {
    VXERROR(MsgText(Msg::VX1006));
    Beep();
    return true;
  }
  if (withEdit) {
    if (!bBackupCopy("ED")) return false;
    ShellAndWait(zComSpec + " /C " + zQuote + "EDIT " + zCurFile + zQuote);
  } else {
    if (!bBackupCopy("ZE")) return false;
    std::string d = Left(zCurDir, 1), p = Mid(zCurDir, 3);
    ShellAndWait(zComSpec + " /C " + "VXEDIT " + d + " " + QuoteIfBlank(p, zQuote) + " " +
                 QuoteIfBlank(zCurNameU, zQuote) + " " + QuoteIfBlank(zCurFile, zQuote));
  }
  return true;
}

// The Delete key (and the keypad's decimal point) with Shift, Ctrl or Alt: the sweep of
// the marked files, automatic deletion on or off, and deletion without a question.
void Lister::DeleteKeyDown(int Shift) {
  if (Shift == kShift) {
    bAutoDelAsked = true;
    BigDelete();
    bRescan = true;
  } else if (Shift == (kShift | kCtrl)) {
    if (MsgBox(MsgText(Msg::VX8020), "", MsgButtons::OKCancel) == kAnswerOK) {
      bAutoDelAsked = true;
      bAutoDelete = true;
      VXERROR(MsgText(Msg::VX0005On));
    } else {
      bAutoDelete = false;
    }
  } else if (Shift == kAlt) {
    VXERROR(MsgText(Msg::VX0005Off));
    bAutoDelete = false;
    bAutoDelAsked = false;
  } else if (Shift == (kShift | kAlt)) {
    nKeyHeld = kVkDelete;  // before the deletion, which may see the key released
    BDOS_DEL(iCursor, 1);
    bRescan = true;
    zFindName.clear();
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
  if (l.zDriveName.size() < 17) l.zDriveName.resize(17);
  l.SetCursorEntry();
  const std::string nameHere = (l.zCurType == "F" || l.zCurType == "D") ? l.zCurNameU : std::string();
  bool leftOne = false;
  for (int32_t i = 1; i <= l.nDriveDirs; ++i) {
    if (UCase(Left(l.zDriveDir[static_cast<size_t>(i)], 1)) == l.zCurDrive) {
      l.zDriveDir[static_cast<size_t>(i)] = l.zCurDir;
      l.zDriveName[static_cast<size_t>(i)] = nameHere;
      leftOne = true;
    }
  }
  if (driveOnly) {
    for (int32_t i = 1; i <= l.nDriveDirs; ++i) {
      if (UCase(Left(l.zDriveDir[static_cast<size_t>(i)], 1)) == drive) {
        t = drive + ":" + Mid(l.zDriveDir[static_cast<size_t>(i)], 3);
        l.zFindName = l.zDriveName[static_cast<size_t>(i)];
        l.zFindExact.clear();
        break;
      }
    }
  }
  if (leftOne) return;
  if (l.nDriveDirs < 16) ++l.nDriveDirs;
  for (int32_t i = l.nDriveDirs; i >= 2; --i) {
    l.zDriveDir[static_cast<size_t>(i)] = l.zDriveDir[static_cast<size_t>(i - 1)];
    l.zDriveName[static_cast<size_t>(i)] = l.zDriveName[static_cast<size_t>(i - 1)];
  }
  l.zDriveDir[1] = l.zCurDir;
  l.zDriveName[1] = nameHere;
}

}  // namespace

bool Lister::BDOS_CD(const std::string& zNewPath) {
  // 1-2. The drive and the path on it. The typed letter case is kept for the path
  // (names are matched without regard to case; the stored spelling is taken below).
  std::string s = Trim(zNewPath);
  bool driveOnly = false;
  std::string drive;
  if (Mid(s, 2, 1) != ":") {
    drive = UCase(Left(zCurDir, 1));
    if (Right(s, 1) != "\\") s += "\\";
    if (Left(s, 1) != "\\") {
      s = zCurDir + s;
      if (Mid(s, 2, 1) == ":") s = Mid(s, 3);
    }
  } else {
    drive = UCase(Left(s, 1));
    if (s.size() == 2) driveOnly = true;
    s = Mid(s, 3);
  }
  // 3. The drive must exist
  if (DoesFileExist(drive + ":\\") == -1) {
    VXERROR(MsgText(Msg::VX0003, drive));
    return false;
  }
  // 4. The target
  std::string t;
  if (Left(s, 1) != "\\") {
    t = P.files.CurrentDirectoryOfDrive(drive[0]);
    if (Right(t, 1) != "\\") t += "\\";
    t += s;
  } else {
    t = drive + ":" + s;
  }
  int exists = DoesFileExist(t);
  // 5. A missing name: the first directory (by upper-case name) that it begins
  if (exists == -1) {
    const std::string u = Left(t, static_cast<long>(t.size()) - 1);
    const std::string best = FirstFolderBeginning(*this, u);
    if (best.empty()) {
      VXERROR(MsgText(Msg::VX0104, t));
      return false;
    }
    t = Left(u, InStrRev(u, "\\")) + best + "\\";
    exists = 1;
  }
  // 6. A file is no path
  if (exists == 0) {
    VXERROR(MsgText(Msg::VX0110));
    return false;
  }
  // 7. Another drive: remember where this one was left
  if (drive != zCurDrive) LeaveDrive(*this, drive, driveOnly, t);
  // 8. Change drive and directory
  if (Right(t, 1) != "\\") t += "\\";
  if (!FolderReadable(t)) return false;
  zCurDrive = drive;
  P.files.ChangeDrive(drive[0]);
  zCurDir = t;
  if (P.files.ChangeDirectory(t)) {
    // The stored spelling of the folder names.
    std::string cur = P.files.CurrentDirectory();
    if (!cur.empty() && UCase(Left(cur, 1)) == drive) {
      if (Right(cur, 1) != "\\") cur += "\\";
      zCurDir = cur;
    }
  }
  return true;
}

}  // namespace tembra
