// Copy, move, rename and delete of the entry under the cursor.
//
// Every file-system call uses the name as stored on disk (not the upper-case copy),
// so that of two names that differ only in letter case the one the user pointed at
// is the one acted on.
#include "core/lister.h"

namespace tembra {

int Lister::CopyAFile(const std::string& zFromFile, const std::string& zToFile) {
  // The copy gets exactly the name asked for: a file whose name differs only in letter
  // case is neither replaced nor asked about.
  int dest = zToFile == "+" ? -1 : P.files.ExistsExactly(zToFile);
  zCopyError.clear();
  int err = 0;
  // A copy onto itself is refused (by the file system, with its reason) before any question.
  const bool ontoItself = zToFile != "+" && dest == 0 && P.files.SameFile(zFromFile, zToFile);
  if (zToFile != "+" && dest == 0 && !ontoItself) {
    if (MsgBox("VX0045-BACKUP/COPY File already exists.  Do you want to replace?", "", MsgButtons::YesNo) !=
        kAnswerYes) {
      zCopyError = " *** FILE ALREADY EXISTS; NOT REPLACED *** ";
      return -1;
    }
  }
  if (zToFile == "+") {
    // Refreshes the file's time stamp in place, by the file system itself: no program
    // is started, and a failure is reported like any other.
    err = P.files.TouchFile(zFromFile);
  } else {
    err = P.files.CopyFile(zFromFile, zToFile, false);
  }
  if (err != 0) {
    zCopyError = P.files.ErrorText(err);
    VXERROR("VX1003 - BACKUP ERROR - " + zCopyError);
    Beep();
  }
  return zCopyError.empty() ? 0 : err;
}

bool Lister::BDOS_COPY(const std::string& ZMOVE) {
  int32_t rec = iCursor >= 0 && iCursor < static_cast<int32_t>(SZDIR.size()) ? SZDIR[iCursor] : 0;
  iCurZDir = rec;
  std::string name = ZdNameStored(ZDIR[rec]);
  zCopyDest.clear();
  zCurFile = zCurDir + name;
  std::string answer = zTypedFolder(InputBox("VX0042-Enter Destination for " + name, "Tembra MOVE/COPY", zCurFile));
  if (answer.empty()) {
    VXERROR("VX1005 - User Cancelled Request");
    Beep();
    return false;
  }
  if (answer.find_first_of("*?") != std::string::npos) {
    // A pattern names no one destination.
    VXERROR("VX1003 - BACKUP ERROR - Wild cards are not allowed in the destination");
    Beep();
    return false;
  }
  auto withName = [&](std::string dir) {
    if (dir.empty() || dir.back() != '\\') dir += "\\";
    return dir + name;
  };
  std::string dest;
  if (answer == "+") {
    dest = answer;
  } else {
    int kind = DoesFileExist(answer);
    if (kind == 1) {
      dest = withName(answer);
    } else if (kind == -1) {
      std::string a = answer;
      if (Mid(a, 2, 1) != ":") a = Left(zCurDir, 2) + a;
      if (Mid(a, 3, 1) != "\\") a = zCurDir + Mid(a, 3);
      dest = DoesFileExist(a) == 1 ? withName(a) : a;
    } else {
      dest = answer;
    }
  }
  if (CopyAFile(zCurDir + name, dest) != 0) return false;
  zFindName = NameU(name);
  zFindExact = name;
  zCopyDest = dest;
  return true;
}

bool Lister::BDOS_RENAME(int32_t IRBSZDIR) {
  auto giveBack = [&] {
    if (bHasFocus) P.window.BringToFront();
    DoEvents();
  };
  int32_t rec = IRBSZDIR >= 0 && IRBSZDIR < static_cast<int32_t>(SZDIR.size()) ? SZDIR[IRBSZDIR] : 0;
  if (rec == 0) {
    VXERROR("VX0105 - Cursor must point to file or directory");
    giveBack();
    return false;
  }
  std::string& r = ZDIR[rec];
  std::string name = ZdNameStored(r);
  if (DoesFileExist(zCurDir + name) < 0) vxCatastrophe("VX9003 ERROR - PATH DOES NOT EXIST BDOS_RENAME");
  std::string answer = InputBox("VX0043-Enter new file name for " + name, "Tembra Rename", name);
  if (answer.empty()) {
    VXERROR("VX1005 - User Cancelled Request");
    Beep();
    giveBack();
    return false;
  }
  std::string newName = Trim(answer);
  if (newName.find_first_of("*?") != std::string::npos) {
    VXERROR("VX1003 - RENAME ERROR - Wild cards are not allowed in a new name");
    Beep();
    giveBack();
    return false;
  }
  if (P.files.ExistsExactly(zCurDir + newName) == -1) {
    int err = P.files.RenameFile(zCurDir + name, zCurDir + newName);
    if (err != 0) {
      VXERROR("VX1003 - RENAME ERROR - " + P.files.ErrorText(err));
      Beep();
      giveBack();
      return false;
    }
    r = ZdHead(r) + NameU(newName) + newName;
    ZdPut(r, kZdNameLen, Format(static_cast<double>(newName.size()), "0000"));
    zFindName = NameU(newName);
    zFindExact = newName;
    return true;
  }
  VXERROR("VX0108 - Newname already exists");
  giveBack();
  return false;
}

bool Lister::BDOS_DEL(int32_t IRBSZDIR, int NoConfirm) {
  int32_t rec = IRBSZDIR >= 0 && IRBSZDIR < static_cast<int32_t>(SZDIR.size()) ? SZDIR[IRBSZDIR] : 0;
  if (rec == 0) {
    // The parent entry names the listed directory itself: never deleted from here.
    MsgBox("VX1014-Not able to delete/move/copy parent directory");
    return false;
  }
  std::string path = zCurDir + ZdNameStored(ZDIR[rec]);
  if (NoConfirm == 1) {
    int err = P.files.DeleteFile(path);
    if (err != 0) {
      VXERROR("VX1003 - DELETE ERROR - " + P.files.ErrorText(err));
      Beep();
    }
    return false;
  }
  int err = P.files.RecycleFile(path, NoConfirm == 0);
  // The check looks for exactly this name: a file that differs only in letter case
  // is another file.
  if (err == 0 && P.files.ExistsExactly(path) == -1) {
    bRescan = true;
    return true;
  }
  // The user declined the platform's question (No, or Esc): a cancel, not a failure.
  if (err == kRecycleRefused) return false;
  if (err != 0) VXERROR("VX1003 - DELETE ERROR - " + P.files.ErrorText(err));
  if (MsgBox("VX8009 - File not deleted - Press OK to continue, CANCEL to end", "", MsgButtons::OKCancel) ==
      kAnswerCancel)
    EndProcess(ExitKind::Immediate);
  return false;
}

bool Lister::bCopyVerified() {
  // A move deletes its source only when the copy is a different file with the same bytes.
  if (zCopyDest.empty() || zCopyDest == "+" || zCurFile.empty()) return false;
  // The destination as a full name, however it was typed, so that a full path and a
  // plain name for the same file are judged alike. Where the file system ignores letter
  // case a name that differs only in case is the source itself.
  std::string dest = zGetCompleteName(zCopyDest);
  if (dest.empty()) dest = zCopyDest;
  if (dest == zCurFile || (NameU(dest) == NameU(zCurFile) && !P.files.KeepsCaseTwins())) return false;
  return P.files.SameContents(zCurFile, zCopyDest);
}

}  // namespace tembra
