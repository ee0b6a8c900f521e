// Fields of keyboard and mouse dispatch and of the directory-mode commands.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

struct InputState {
  bool bSearchBack = false;
  // The entry under the cursor, filled for every directory command
  int32_t iCurZDir = 0;
  std::string zCurType;
  int32_t nLenName = 0;
  int32_t iCurNameCol = 0;
  std::string zCurName;
  std::string zCurNameU;
};

}  // namespace tembra
