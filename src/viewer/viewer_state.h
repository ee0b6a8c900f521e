// Fields of the viewed file: segments, record index, display lines, text view, navigation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tembra {

struct ViewerState {
  int32_t nTopRec = 0;
  int32_t nRecCount = 0;
  bool bAllIndexed = false;
  int64_t nFileSize = 0;
  int32_t nMaxRecLen = 4095;
  std::string zSegment;           // the segment buffer (262,144 bytes)
  int32_t nYieldCount = 0;
  int32_t nHOffset = 0;
  std::string zCurFileRec;        // directory record of the viewed file
  std::string zReopenFile;        // last file opened by entry ("Q" reopens it)

  // Tab expansion
  bool bUnTab = true;
  std::vector<int32_t> nTabStops;  // 1-based

  // Found-text highlighting
  bool bFoundBold = true, bFoundLineBold = true;
  bool bFoundUnderline = false, bFoundLineUnderline = false;
  bool bFoundBox = true, bFoundLineBox = false;
};

}  // namespace tembra
