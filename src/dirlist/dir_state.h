// Fields of the directory tables, formatting, sorting and the directory page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tembra {

struct DirState {
  std::vector<std::string> ZDIR;  // entry records, index 0 = parent entry
  std::vector<int32_t> SZDIR;     // display order: indexes into ZDIR
  int32_t nZDir = 0, nSZDir = 0;
  int32_t nZDirMax = 1024;
  int32_t iFirstZDir = 0, iTopSZDir = 0, iCursor = 0;
  std::string zSortLetter = "F";
  bool bSortAscending = true;
  bool bSortDirsByDate = false;
  int32_t iDateCol = 16, iTimeCol = 24;
  bool bShowHidden = true, bShowReadOnly = true, bShowSystem = true;
  FindData VTOC;                  // the find-data record shared by the scans
  double dTotalBytes = 0;
  std::string zFindName;          // put the cursor on this name after the next sort

  // Entry formatting and page geometry
  bool bShortFormat = true;
  int32_t nNameWidth = 12, nTimeWidth = 5, nAttrWidth = 4;
  int32_t nDirColumnsSet = 4, nDirColumns = 1, nDirColWidth = 0;
  bool bCursorOnly = false;
};

}  // namespace tembra
