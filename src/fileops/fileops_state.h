// Fields of file operations, program starting and temporary files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/core_state.h"

namespace tembra {

// How a copy or a move ended: failed, copied, or moved by a rename (nothing left to delete).
enum class CopyOutcome { Failed, Copied, MovedByRename };

// How a copy of one file ended: 0, the file system's error, or -1 when the user chose
// not to replace the file there; with the failure's text (empty after a good copy).
struct CopyResult {
  int code = 0;
  std::string error;
  bool Done() const { return error.empty(); }
};

struct FileOpsState {
  // Copy, move, rename and delete
  std::string zCopyDest;           // destination of the last successful copy ("+" for a refresh)
  // A move within one file system renames (nothing copied, nothing in the Trash), and a
  // folder can be moved so; a copy of a folder is refused in plain words (MOVE RENAME).
  ProfileItem bMoveRenames;

  // Program starting
  bool bWaitForProgram = false;    // the next ShellAndWait waits for the started process
  bool bAskPgm = false;            // ask for the program before a file is handed to it

  // Temporary files, marker files and the deletion sweep
  int32_t nTempDays = 0;           // age after which temporary files are marked (0 = off)
  int32_t nMarkerDays = 0;         // age after which marker files are marked
  int32_t nDelRules = 0;           // deletion rules in use (at most 63)
  std::vector<std::string> zDelRuleMask = std::vector<std::string>(64);  // 1-based
  std::vector<int32_t> nDelRuleValue = std::vector<int32_t>(64);         // days + action flag
  bool bWriteMarker = false;
  bool bAutoDelete = false;
  bool bAutoDelAsked = false;
  int32_t nDeletable = 0;          // marks made by the last scan
  int32_t nTempDate = 0;           // yymmdd of the last temporary name
  int32_t nTempSeq = 0;            // its four-digit number
};

// Action flags of a deletion rule; the age in days sits below them.
constexpr int32_t kDelRuleRecycle = 0x10000, kDelRuleDelete = 0x20000, kDelRuleSetAside = 0x80000;
constexpr int32_t kDelRuleDays = 0xFFFF;
// The line of a marker file, written with a CR LF line end (17 bytes in all).
inline const char* const kMarkerLine = " TEMBRA VX0017 ";

}  // namespace tembra
