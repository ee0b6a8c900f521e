// The window's shared fields: mode, paths, tracing, window and keyboard state, screen
// geometry, fonts, colour roles and the page frame. Every part of the window sees them.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/zdir_layout.h"
#include "platform/platform.h"

namespace tembra {

// Display-mode bits of TDISPLAY.
constexpr int32_t TD_DIR = 1, TD_LIST = 2, TD_HEX = 16, TD_HEX32 = 64, TD_RULER = 128,
                  TD_HEX2 = 256, TD_EBCDIC = 512, TD_STRIP = 1024, TD_ASCII = 2048;

// The page shown, as Lister::CurrentPage derives it from TDISPLAY, bZipMode, bSortPrompt
// and bEnding; zDisplayMode (the caption's word) follows it through SyncDisplayMode.
enum class ShownPage { Directory, SortPrompt, ZipListing, FileView, HexView, Ending };

// The set of defaults in force. Classic follows the original Windows design exactly and
// is the default of the test driver and the Windows program; Linux gives the places where
// that design meets Linux their Linux form and is the default of the terminal program.
enum class Profile { Classic, Linux };

// A setting whose default the profile gives: unset, it is on under Linux and off under
// Classic; a keyword or switch of its own sets it either way, in either profile.
struct ProfileItem {
  std::optional<bool> set;
  bool On(Profile p) const { return set ? *set : p == Profile::Linux; }
};

// The colour roles: indices into lColor and zColorName (0 unused), keywords CFT..CFM.
enum ColorRole : int {
  kColorText = 1,           // lettering of the page
  kColorDirText = 2,        // lettering of directory names
  kColorSelectedText = 3,   // lettering of the selected entry
  kColorInfoText = 4,       // lettering of the title and message lines
  kColorBack = 5,           // background of the page
  kColorDirBack = 6,        // background of directory names
  kColorSelectedBack = 7,   // background of the selected entry and of marked lines
  kColorInfoBack = 8,       // background of the title and message lines
  kColorDeletedText = 9,    // lettering of entries marked for deletion and of marked lines
  kColorRoles = 10          // size of the tables
};

// The colours of the roles before configuration, 0x00BBGGRR.
inline constexpr std::array<uint32_t, kColorRoles> kDefaultColors = {
    0, 0x000000, 0xC00000, 0xC00000, 0x000000, 0xB7D5EE, 0xB7D5EE, 0xA6F1FF, 0x9F9F9F, 0x0000FF};

struct ScreenState {
  std::string zFontName = "Courier New";
  double nFontSize = 10;
  int32_t nLineHeight = 200;
  int32_t nCharWidth = 120;
  int32_t nWidthError = 0;
  std::array<int32_t, 256> nCharWidths{};
  int32_t nTwipsPerPixelX = 15, nTwipsPerPixelY = 15;
  int32_t nMinusPixelY = -15;
  int32_t nClientWidth = 0, nClientHeight = 0;
  int32_t nFrameWidth = 0, nFrameHeight = 0;
  int32_t nWindowWidth = 0, nWindowHeight = 0;
  int32_t nRows = 0, nPageLines = 0, nColumns = 0;
  int32_t nPerPage = 0;
  int32_t nWidthShare = 10, nHeightShare = 10;
  int32_t nRedrawCount = -10;
  // Colours by role (ColorRole; index 0 unused), 0x00BBGGRR.
  std::array<uint32_t, kColorRoles> lColor{};
  std::array<std::string, kColorRoles> zColorName{};
  // Found-text emphasis (the found text itself, and its line): bold (where the font's
  // bold letters are as wide), underlined, boxed
  bool bFoundBold = true, bFoundLineBold = true;
  bool bFoundUnderline = false, bFoundLineUnderline = false;
  bool bFoundBox = true, bFoundLineBox = false;

  // Page frame
  std::string zTopLine;
  std::string zCaptionLeft;
  std::string zCaptionRight;
  int64_t nPageCount = 0;  // pages built so far (a key knows whether it drew one)
};

struct CoreState {
  // Mode
  int32_t TDISPLAY = TD_DIR;
  std::string zDisplayMode = "DIR";
  bool bZipMode = false;
  bool bEnding = false;
  bool bUtf8 = false;  // file text, names and typed text are UTF-8 (else Windows-1252)
  bool bFollowOnOpen = false;  // the file shown at start is followed (--follow)
  Profile eProfile = Profile::Classic;

  // Paths and names
  std::string zCurDir;                 // always ends in "\"
  std::string zStartDir;               // the folder the program started in
  std::string zCurDrive;               // upper-case first character of zCurDir
  std::vector<std::string> zDriveDir;  // last directory per drive, newest first (1-based; [0] unused)
  int32_t nDriveDirs = 0;
  std::string zComSpec;
  std::string zAppPath;
  std::string zCommandLine;
  bool bShowParm = false;
  std::string zCurFile;
  std::string zQuote = "\"";
  std::string zUnprintable;
  std::array<std::string, 16> zHexDigit;
  FindData VTOC;  // the find-data record shared by the scans (Get1Vtoc, zVtocToDir)

  // Dates as pages show them: the entry-record column of the date and time shown (write,
  // creation or access time), and the order (year first, month first, day first)
  int32_t iDateCol = kZdWriteTime, iTimeCol = ZdClockCol(kZdWriteTime);
  bool bMMDD = false, bDDMM = false;

  // Debugging and tracing
  bool bDebug = false;
  bool bDumpDir = false;
  bool bLog = false;
  std::string zLogFile;
  int32_t OpenCount = 0;
  std::string zOpenName;
  double nStartTime = 0;
  std::string zDumpFolder = "C:\\0JOB\\TEMBRA\\";  // where DumpDir writes

  // Window state and keyboard state
  bool bHasFocus = true;
  bool bRepaint = false;
  bool bRescan = false;
  bool bSearchPending = false;
  bool bCmdSearch = false;
  int32_t iInpFile = 0;
  int32_t nInpFiles = 0;
  std::string zMessageLine;
  // What VXERROR last put on the message line during the present key or click: the
  // pages drawn before the next key or click show it again.
  std::string zShownMessage;
  int32_t nFarewellMs = 0;
  // A typed key that does nothing says once that F1 lists the keys (KEYHINT ON).
  ProfileItem bKeyHint;
  // Paths on screen, in prompts' answers and in the listing file as the host writes them
  // ("/usr/doc/", "~/src"), through ShownPath (HOSTPATHS ON).
  ProfileItem piHostPaths;
  bool bKeysHinted = false;  // it has said so
  // Everything a key can visibly do (drawing, a box, a beep, a program started) counts
  // here; a key-down that leaves it unchanged did nothing.
  int64_t nOutputs = 0;
  int64_t nOutputsAtKeyDown = -1;
  bool bQuickEnd = false;

  // Keyboard and mouse
  bool bSwallowChar = false;   // the character of the key-down that just acted does not act
  int32_t nKeyHeld = 0;        // guard against a held key repeating a deletion
  int32_t nMouseX = 0, nMouseY = 0;
  int32_t nMouseButton = 0, nMouseShift = 0;
  int32_t nUpButton = 0, nUpShift = 0;
  int32_t nMouseCol = 0, nMouseRow = 0;

  // Key events that arrive while a long scan lets events run wait here, in their order,
  // until the outermost event handler returns; then they act one after the other.
  using KeptKey = Dialogs::TypedKey;
  std::deque<KeptKey> KeptKeys;
  int32_t nEventDepth = 0;     // event handlers on the stack
  bool bFileWork = false;          // a copy is running: keys wait, Esc cancels it
  bool bFileWorkCancel = false;    // Esc was pressed during the copy
  bool bReplayingKeys = false;  // the kept keys are acting
  // The character and the key-up of the Esc or Ctrl+C that stopped a scan: they do not act.
  int32_t nDropChar = 0, nDropUp = 0;
  // A long scan runs (its bytes since the event pump last ran; 0: none): keys are kept.
  int32_t nYieldCount = 0;
  // A long scan: Esc or Ctrl+C stopped it (for the rest of the event), when it began and
  // when it last showed its progress (seconds since midnight; -1: not yet), and the page
  // count when it did (a page drawn since has replaced the progress).
  bool bScanStopped = false;
  bool bStopSaid = false;
  double nScanBegan = -1;
  double nScanShown = 0;
  int64_t nProgressPage = -1;

  // Unsigned 32-bit arithmetic helpers
  double dTwoTo32 = 4294967296.0;
  double dTwoTo31 = 2147483648.0;
  int64_t cTwoTo32 = 4294967296LL;  // the same as a currency value

  // Last message-box answer (1 OK, 2 Cancel, 6 Yes, 7 No) and input-box cancel flag
  int nMsgAnswer = 0;
  bool bInputCancelled = false;
};

}  // namespace tembra
