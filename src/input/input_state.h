// Fields of keyboard and mouse dispatch and of the directory-mode commands.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

struct InputState {
  bool bSortPrompt = false;
  bool bSearchBack = false;
  // The entry under the cursor, filled for every directory command
  int32_t iCurZDir = 0;
  std::string zCurType;
  int32_t nLenName = 0;
  int32_t iCurNameCol = 0;
  std::string zCurName;
  std::string zCurNameU;

  // The help screen (F1): shown over the page, its first line, and the page it describes
  bool bHelpShown = false;
  int32_t nHelpTop = 0;
  int nHelpPage = 0;
};

}  // namespace tembra
