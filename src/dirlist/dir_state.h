// Fields of the directory page: what a scan shows, the listing file, the drives left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/core_state.h"

namespace tembra {

struct DirState {
  bool bShowHidden = true, bShowReadOnly = true, bShowSystem = true;
  double dTotalBytes = 0;
  // Backspace on the directory page goes to the parent folder (BACKSPACE).
  ProfileItem piBackspaceUp;
  // Find as typed (`/`, Linux profile): on while it takes the keys, the text typed so
  // far, and the cursor it began at (Esc goes back there).
  bool bFinding = false;
  std::string zFindText;
  int32_t iFindStart = 0;
  std::string zListFileName;      // listing file name ("DIRF"); empty = the default name

  // Last directory per drive: the name under the cursor when the drive was left (1..16)
  std::vector<std::string> zDriveName;
};

}  // namespace tembra
