// The input-file list: stepping through the files named on the command line.
#include "core/lister.h"
#include "config/config_state.h"
#include "dirlist/entry_list.h"
#include "dirlist/dir_page.h"
#include "viewer/file_view.h"

namespace tembra {

void Lister::Next_IINPFiles(int iParm) {
  // Without files from the command line there is nowhere to move.
  if (nInpFiles < 1) {
    Beep();
    VXERROR(MsgText(iParm > 0 ? Msg::VX1010 : Msg::VX1011));
    return;
  }
  int32_t target = iInpFile + iParm;
  if (target > nInpFiles) target = nInpFiles;
  if (target < 1) target = 1;
  if (target == iInpFile) {
    Beep();
    VXERROR(MsgText(target == nInpFiles ? Msg::VX1010 : Msg::VX1011));
    return;
  }
  bool keepSearch = bCmdSearch;
  View().LeaveFileView();  // closes the viewed file, tells the trace log, directory mode
  bCmdSearch = keepSearch;

  iInpFile = target;
  const std::string& file = Config().zInpFiles[iInpFile];
  std::string dir = Left(file, InStrRev(file, "\\"));
  zMessageLine = MsgText(Msg::VX0250, Format(iInpFile, "###"), Format(nInpFiles, "###"));
  if (UCase(dir) != UCase(zCurDir)) {
    zCurDir = dir;
    if (Mid(zCurDir, 2, 1) == ":") zCurDrive = UCase(Left(zCurDir, 1));
    P.files.ChangeDirectory(zCurDir);
    Dir().GetDir(zCurDir);
  } else if (DoesFileExist(file) == 0) {
    ListInpFiles();
  } else {
    // The file has gone: say so and show its directory as it is now.
    Dir().GetDir(zCurDir);
  }
}

void Lister::ListInpFiles() {
  const std::string& file = Config().zInpFiles[iInpFile];
  const std::string stored = Mid(file, InStrRev(file, "\\") + 1);
  std::string name = NameU(stored);
  Entries().nLenName = static_cast<int32_t>(name.size());
  // The entry of exactly the listed name; where names differ only in letter case, the
  // first of the same upper-case name would be its twin. Only when no entry has the
  // exact name is the first of the same upper-case name taken.
  int32_t found = 0;
  for (int32_t r = 1; r <= Entries().nZDir; ++r) {
    const std::string& rec = Entries().Record(r);
    // The name length must agree too, so that a longer name with the same beginning
    // is never taken for the file.
    if (ZdNameLength(rec) != Entries().nLenName || ZdField(rec, kZdName, Entries().nLenName) != name) continue;
    if (found == 0) found = r;
    if (ZdNameStored(rec) == stored) {
      found = r;
      break;
    }
  }
  if (found > 0) {
    View().ListAFile(found);
    return;
  }
  // The file vanished after the list was made: leave the list and stay in the directory.
  iInpFile = 0;
  bSearchPending = false;
  bCmdSearch = false;
  zMessageLine = MsgText(Msg::VX1030FileNotFound, file);
  ShowPage();
}

}  // namespace tembra
