// Fields of keyboard and mouse dispatch and of the directory-mode commands.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "platform/platform.h"

namespace tembra {

struct InputState {
  bool bSortPrompt = false;
  bool bSearchBack = false;
  bool bSwallowChar = false;
  int32_t nKeyHeld = 0;
  int32_t nMouseX = 0, nMouseY = 0;
  int32_t nMouseButton = 0, nMouseShift = 0;
  int32_t nUpButton = 0, nUpShift = 0;
  int32_t nMouseCol = 0, nMouseRow = 0;

  // Key events that arrive while a long scan lets events run wait here, in their order,
  // until the outermost event handler returns; then they act one after the other.
  using KeptKey = Dialogs::TypedKey;
  std::deque<KeptKey> KeptKeys;
  int32_t nEventDepth = 0;     // event handlers on the stack
  bool bReplayingKeys = false;  // the kept keys are acting
  // The character and the key-up of the Esc or Ctrl+C that stopped a scan: they do not act.
  int32_t nDropChar = 0, nDropUp = 0;

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
