// Copy, move, rename and delete of the entry under the cursor.
//
// Every file-system call uses the name as stored on disk (not the upper-case copy),
// so that of two names that differ only in letter case the one the user pointed at
// is the one acted on.
#include <cmath>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "fileops/fileops_state.h"
#include "dirlist/entry_list.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_table.h"

namespace tembra {

CopyResult Lister::CopyAFile(const std::string& zFromFile, const std::string& zToFile) {
  // The copy gets exactly the name asked for: a file whose name differs only in letter
  // case is neither replaced nor asked about.
  int dest = zToFile == "+" ? -1 : P.files.ExistsExactly(zToFile);
  int err = 0;
  // A copy onto itself is refused (by the file system, with its reason) before any question.
  const bool ontoItself = zToFile != "+" && dest == 0 && P.files.SameFile(zFromFile, zToFile);
  if (zToFile != "+" && dest == 0 && !ontoItself) {
    if (MsgBox(MsgText(Msg::VX0045), "", MsgButtons::YesNo) !=
        kAnswerYes) {
      return {-1, " *** FILE ALREADY EXISTS; NOT REPLACED *** "};
    }
  }
  if (zToFile == "+") {
    // Refreshes the file's time stamp in place, by the file system itself: no program
    // is started, and a failure is reported like any other.
    err = P.files.TouchFile(zFromFile);
  } else {
    err = CopyWithProgress(zFromFile, zToFile);
  }
  if (err == 0) return {};
  CopyResult failed{err, P.files.ErrorText(err)};
  VXERROR(MsgText(Msg::VX1003Backup, failed.error));
  Beep();
  return failed;
}

// A copy that runs past a second shows its bytes and percent on the message line, and
// Esc cancels it (the copy then leaves nothing at the destination).
int Lister::CopyWithProgress(const std::string& zFromFile, const std::string& zToFile) {
  const double start = P.clock.SecondsSinceMidnight();
  double shown = -1;
  const std::string name = Mid(zFromFile, InStrRev(zFromFile, "\\") + 1);
  bFileWork = true;
  bFileWorkCancel = false;
  P.files.copyProgress = [&](int64_t done, int64_t total) {
    double now = P.clock.SecondsSinceMidnight();
    if (now < start) now += 86400.0;
    if (now - start < 1.0) return true;
    if (now - shown >= 0.25) {
      shown = now;
      const double percent = total > 0 ? std::floor(100.0 * static_cast<double>(done) / static_cast<double>(total)) : 100;
      VXERROR("Copying " + name + ": " + Format(static_cast<double>(done), "#,##0") + " of " +
              Format(static_cast<double>(total), "#,##0") + " bytes (" + Format(percent, "0") + "%)  Esc cancels");
    } else {
      DoEvents();
    }
    return !bFileWorkCancel;
  };
  const int err = P.files.CopyFile(zFromFile, zToFile, false);
  P.files.copyProgress = nullptr;
  bFileWork = false;
  return err;
}

bool Lister::BDOS_COPY(const std::string& ZMOVE) { return CopyOrMove(ZMOVE) != CopyOutcome::Failed; }

CopyOutcome Lister::CopyOrMove(const std::string& ZMOVE) {
  int32_t rec = Entries().IndexAt(Entries().iCursor);
  Entries().iCurZDir = rec;
  std::string name = ZdNameStored(Entries().Record(rec));
  FileWork().zCopyDest.clear();
  zCurFile = zCurDir + name;
  const bool renames = FileWork().bMoveRenames.On(eProfile);
  const bool folder = ZdChar(Entries().Record(rec), kZdType) == 'D';
  if (folder && renames && ZMOVE != "M") {
    VXERROR(MsgText(Msg::VX1003CopyFolder, name));
    Beep();
    return CopyOutcome::Failed;
  }
  std::string answer = Dir().zTypedFolder(InputBox(MsgText(Msg::VX0042, name), "Tembra MOVE/COPY", ShownPath(zCurFile)));
  if (answer.empty()) {
    VXERROR(MsgText(Msg::VX1005));
    Beep();
    return CopyOutcome::Failed;
  }
  if (answer.find_first_of("*?") != std::string::npos) {
    // A pattern names no one destination.
    VXERROR(MsgText(Msg::VX1003BackupWildCards));
    Beep();
    return CopyOutcome::Failed;
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
  if (ZMOVE == "M" && renames && dest != "+") {
    if (P.files.SameFileSystem(zCurDir + name, dest))
      return bMoveByRename(zCurDir + name, dest, folder) ? CopyOutcome::MovedByRename : CopyOutcome::Failed;
    if (folder) {
      VXERROR(MsgText(Msg::VX1003MoveFolder));
      Beep();
      return CopyOutcome::Failed;
    }
  }
  if (!CopyAFile(zCurDir + name, dest).Done()) return CopyOutcome::Failed;
  Entries().zFindName = NameU(name);
  Entries().zFindExact = name;
  FileWork().zCopyDest = dest;
  return CopyOutcome::Copied;
}

// A move within one file system: the entry takes its new name and place in one step,
// so nothing is copied and nothing goes to the Trash. An existing file there is
// replaced only after the same question a copy asks.
bool Lister::bMoveByRename(const std::string& from, const std::string& dest, bool folder) {
  if (from == dest) {
    VXERROR(MsgText(Msg::VX1003MoveOntoItself));
    Beep();
    return false;
  }
  const bool replace = !folder && P.files.ExistsExactly(dest) == 0;
  if (replace &&
      MsgBox(MsgText(Msg::VX0045), "", MsgButtons::YesNo) != kAnswerYes) {
    return false;
  }
  if (int err = P.files.MoveByRename(from, dest, replace); err != 0) {
    VXERROR(MsgText(Msg::VX1003Move, P.files.ErrorText(err)));
    Beep();
    return false;
  }
  FileWork().zCopyDest = dest;
  Entries().zFindName = NameU(ZdNameStored(Entries().Record(Entries().iCurZDir)));
  return true;
}

bool Lister::BDOS_RENAME(int32_t IRBSZDIR) {
  auto giveBack = [&] {
    if (bHasFocus) P.window.BringToFront();
    DoEvents();
  };
  int32_t rec = Entries().IndexAt(IRBSZDIR);
  if (rec == 0) {
    VXERROR(MsgText(Msg::VX0105));
    giveBack();
    return false;
  }
  std::string& r = Entries().Record(rec);
  std::string name = ZdNameStored(r);
  if (DoesFileExist(zCurDir + name) < 0) vxCatastrophe(MsgText(Msg::VX9003));
  std::string answer = InputBox(MsgText(Msg::VX0043, name), "Tembra Rename", name);
  if (answer.empty()) {
    VXERROR(MsgText(Msg::VX1005));
    Beep();
    giveBack();
    return false;
  }
  std::string newName = Trim(answer);
  if (newName.find_first_of("*?") != std::string::npos) {
    VXERROR(MsgText(Msg::VX1003RenameWildCards));
    Beep();
    giveBack();
    return false;
  }
  if (P.files.ExistsExactly(zCurDir + newName) == -1) {
    int err = P.files.RenameFile(zCurDir + name, zCurDir + newName);
    if (err != 0) {
      VXERROR(MsgText(Msg::VX1003Rename, P.files.ErrorText(err)));
      Beep();
      giveBack();
      return false;
    }
    r = ZdHead(r) + NameU(newName) + newName;
    ZdPutNameLength(r, static_cast<int64_t>(newName.size()), kZdZeroFilled);
    Entries().zFindName = NameU(newName);
    Entries().zFindExact = newName;
    return true;
  }
  VXERROR(MsgText(Msg::VX0108));
  giveBack();
  return false;
}

bool Lister::BDOS_DEL(int32_t IRBSZDIR, int NoConfirm) {
  int32_t rec = Entries().IndexAt(IRBSZDIR);
  if (rec == 0) {
    // The parent entry names the listed directory itself: never deleted from here.
    MsgBox(MsgText(Msg::VX1014));
    return false;
  }
  std::string path = zCurDir + ZdNameStored(Entries().Record(rec));
  if (NoConfirm == 1) {
    int err = P.files.DeleteFile(path);
    if (err != 0) {
      VXERROR(MsgText(Msg::VX1003Delete, P.files.ErrorText(err)));
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
  if (err != 0) VXERROR(MsgText(Msg::VX1003Delete, P.files.ErrorText(err)));
  if (MsgBox(MsgText(Msg::VX8009), "", MsgButtons::OKCancel) ==
      kAnswerCancel)
    EndProcess(ExitKind::Immediate);
  return false;
}

bool Lister::bCopyVerified() {
  // A move deletes its source only when the copy is a different file with the same bytes.
  if (FileWork().zCopyDest.empty() || FileWork().zCopyDest == "+" || zCurFile.empty()) return false;
  // The destination as a full name, however it was typed, so that a full path and a
  // plain name for the same file are judged alike. Where the file system ignores letter
  // case a name that differs only in case is the source itself.
  std::string dest = zGetCompleteName(FileWork().zCopyDest);
  if (dest.empty()) dest = FileWork().zCopyDest;
  if (dest == zCurFile || (NameU(dest) == NameU(zCurFile) && !P.files.KeepsCaseTwins())) return false;
  return P.files.SameContents(zCurFile, FileWork().zCopyDest);
}

}  // namespace tembra
