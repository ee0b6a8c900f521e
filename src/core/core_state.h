// Fields of the window state that belong to start-up, tracing and the end of the program.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

struct CoreState {
  // Mode
  int32_t TDISPLAY = TD_DIR;
  std::string zDisplayMode = "DIR";
  bool bZipMode = false;
  bool bEnding = false;
  bool bUtf8 = false;  // file text, names and typed text are UTF-8 (else Windows-1252)
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
  bool bKeysHinted = false;  // it has said so
  // Everything a key can visibly do (drawing, a box, a beep, a program started) counts
  // here; a key-down that leaves it unchanged did nothing.
  int64_t nOutputs = 0;
  int64_t nOutputsAtKeyDown = -1;
  bool bQuickEnd = false;

  // Unsigned 32-bit arithmetic helpers
  double dTwoTo32 = 4294967296.0;
  double dTwoTo31 = 2147483648.0;
  int64_t cTwoTo32 = 4294967296LL;  // the same as a currency value

  // Last message-box answer (1 OK, 2 Cancel, 6 Yes, 7 No) and input-box cancel flag
  int nMsgAnswer = 0;
  bool bInputCancelled = false;
};

}  // namespace tembra
