// Start-up sequence, the two mode switches, focus and unload.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "config/config_state.h"
#include "dirlist/entry_list.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_table.h"
#include "viewer/file_view.h"

namespace tembra {

namespace {
constexpr int32_t kSegmentSize = 262144;
}

void Lister::Form_Load() {
  AsEvent([&] { LoadNow(); });
}

// Start-up steps 1-13: clock, buffers, defaults of the settings, the viewer's tables.
void Lister::StartupDefaults() {
  // 1-3: clock, segment buffer, quote, directory tables, random seed
  nStartTime = P.clock.SecondsSinceMidnight();
  View().zSegment.assign(kSegmentSize, ' ');
  zQuote = Chr(34);
  Entries().Reset(1024);
  Randomize();
  // 4-5
  nWidthShare = 10;
  nHeightShare = 10;
  iDateCol = kZdWriteTime;
  iTimeCol = ZdClockCol(kZdWriteTime);
  zComSpec = P.processes.GetEnv("COMSPEC");
  View().nMaxRecLen = 4095;
  bHasFocus = true;
  // 6: found-text highlighting
  bFoundBold = true;
  bFoundLineBold = true;
  bFoundUnderline = false;
  bFoundLineUnderline = false;
  bFoundBox = true;
  bFoundLineBox = false;
  // 7: tab expansion (the table itself is built with the viewer's tables below)
  View().bUnTab = true;
  // 8: directory format defaults
  Entries().bShortFormat = true;
  Entries().nNameWidth = 12;
  Entries().nTimeWidth = 5;
  Entries().nAttrWidth = 4;
  Dir().bShowHidden = Dir().bShowReadOnly = Dir().bShowSystem = true;
  Entries().nDirColumnsSet = 4;
  // 9: program table
  Config().zExtTable = {"", "BAT", "COM", "DLL", "EXE"};
  Config().zExtProgram = {"", "NOTEPAD.EXE", "", "", ""};
  Config().nExtTable = 4;
  // 10-13
  SetDirMode();
  for (int i = 0; i < 16; ++i) zHexDigit[i] = Chr(i < 10 ? 48 + i : 55 + i);
  View().InitViewerTables();
  View().InitHexHeaders();
  Entries().PopulateSort();
}

// Start-up steps 14-21: the current folder (checked), the command line, the drive table.
void Lister::StartupFolder() {
  // 14: current directory
  zCurDir = P.files.CurrentDirectory();
  zCurDrive = UCase(Left(zCurDir, 1));
  // 15: command line
  zCommandLine = Trim(P.processes.CommandLine());
  if (!zCommandLine.empty()) bShowParm = true;
  // 16: debug switch
  if (UCase(zCommandLine) == "?VX") {
    bDebug = true;
    bDumpDir = true;
    zCurDir = "C:\\0BAT\\";
    P.files.ChangeDirectory(zCurDir);
    zCommandLine.clear();
  }
  // 17-18
  if (Right(zCurDir, 1) != "\\") {
    zCurDir += "\\";
    P.files.ChangeDirectory(zCurDir);
  }
  // A start folder the system cannot give (removed, or a path longer than the system
  // allows): say so first, then the check below reports it as no path.
  std::string problem = P.files.CurrentDirectoryProblem();
  if (!problem.empty()) MsgBox(problem, "", MsgButtons::OK);
  int exists = problem.empty() ? DoesFileExist(zCurDir) : -1;
  if (exists != 1) {
    MsgBox(MsgText(Msg::VX9004), ShownPath(zCurDir) + " - " + Format(exists, "#0"), MsgButtons::OK);
    vxCatastrophe(MsgText(Msg::VX9004));
  }
  // 19-21
  zDriveDir.assign(2, std::string());
  zDriveDir[1] = zCurDir;
  nDriveDirs = 1;
  zAppPath = P.processes.AppPath();
  dTwoTo32 = 4294967296.0;
  cTwoTo32 = 4294967296LL;
  dTwoTo31 = 2147483648.0;
  Entries().bSortAscending = true;
  Entries().zSortLetter = "F";
}

// Start-up steps 22-27: colours, font, command line and configuration, window size.
void Lister::StartupConfiguration() {
  // 22-23: colours and font
  DefaultColors();
  zFontName = "Courier New";
  P.window.SetFontName(zFontName);
  P.window.SetFontSize(10);
  P.window.SetItalic(false);
  // 24-25: command line and configuration
  ZGETPARM();
  // The configuration may name the other character set: the current folder's and the
  // program folder's names are taken again in it.
  P.files.SetUtf8Names(bUtf8);
  zAppPath = P.processes.AppPath();
  if (std::string again = P.files.CurrentDirectory(); again != zCurDir && nInpFiles == 0) {
    zCurDir = again;
    if (Right(zCurDir, 1) != "\\") zCurDir += "\\";
    zDriveDir[1] = zCurDir;
  }
  if (zUnprintable.empty()) zUnprintable = Chr(149);
  // Full names: the profile chooses the layout unless a DIR or FULLNAMES line did.
  if (!Entries().bShortFormatChosen) Entries().bShortFormat = !Entries().piFullNames.On(eProfile);
  // 26-27: fonts, metrics, window size
  bAllFont();
  InitialWindowSize();
}

void Lister::LoadNow() {
  View().bLoading = true;
  StartupDefaults();
  StartupFolder();
  StartupConfiguration();
  zStartDir = zCurDir;
  // 28: first directory or first input file
  if (nInpFiles > 0) {
    iInpFile = 1;
    const std::string& first = Config().zInpFiles.size() > 1 ? Config().zInpFiles[1] : zCurDir;
    long slash = InStrRev(first, "\\");
    zCurDir = Left(first, slash);
    P.files.ChangeDirectory(zCurDir);
    Dir().GetDir(zCurDir);
    if (bCmdSearch && nInpFiles > 1) {
      do {
        bSearchPending = true;
        Next_IINPFiles(1);
      } while (bCmdSearch && iInpFile < nInpFiles);
    }
  } else {
    Dir().GetDir(zCurDir);
  }
  View().bLoading = false;
}

void Lister::SetDirMode() {
  TDISPLAY = (TDISPLAY & ~(TD_LIST | TD_HEX | TD_STRIP)) | TD_DIR;
  View().nHOffset = 0;
  bCmdSearch = false;
  undo();
  Entries().bCursorOnly = false;
  SetDisplayMode(ShownPage::Directory);
}

void Lister::SETListMode() {
  TDISPLAY = (TDISPLAY & ~TD_DIR) | TD_LIST;
  View().InitCaseTable();
  SetDisplayMode((TDISPLAY & TD_HEX) ? ShownPage::HexView : ShownPage::FileView);
}

void Lister::Form_GotFocus() { bHasFocus = true; }
void Lister::Form_LostFocus() { bHasFocus = false; }
void Lister::Form_Unload() { EndProcess(ExitKind::Unload); }

}  // namespace tembra
