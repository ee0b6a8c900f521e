// The input-file list: stepping through the files named on the command line.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "config/config_state.h"
#include "dirlist/dir_page.h"

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
  LeaveFileView();  // closes the viewed file, tells the trace log, directory mode
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
  // The entry of exactly the listed name; where names differ only in letter case, the
  // first of the same upper-case name would be its twin.
  const int32_t found = Dir().EntryOfListedFile(stored);
  if (found > 0) {
    ViewEntry(found);
    return;
  }
  // The file vanished after the list was made: leave the list and stay in the directory.
  iInpFile = 0;
  bSearchPending = false;
  bCmdSearch = false;
  zMessageLine = MsgText(Msg::VX1030FileNotFound, ShownPath(file));
  ShowPage();
}

}  // namespace tembra
