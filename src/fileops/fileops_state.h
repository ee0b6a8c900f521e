// Fields of file operations, program starting and temporary files.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

struct FileOpsState {
  bool bWaitForProgram = false;

  // Deletion rules, temporary files and automatic deletion (read by the directory scan)
  int32_t nDelRules = 0;
  int32_t nTempDays = 0;
  int32_t nDeletable = 0;
  bool bAutoDelete = false, bAutoDelAsked = false;
  bool bWriteMarker = false;
};

}  // namespace tembra
