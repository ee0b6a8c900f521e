// Fields of the directory tables, formatting, sorting and the directory page.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/zdir_layout.h"
#include "platform/platform.h"

namespace tembra {

// One remembered drawing of the cursor entry, for the cursor-only repaint.
struct CursorCell {
  long x = 0, y = 0;
  uint32_t color = 0;
  bool bold = false;
  std::string text;  // empty = unused
};

struct DirState {
  std::vector<std::string> ZDIR;  // entry records, index 0 = parent entry
  std::vector<int32_t> SZDIR;     // display order: IndexZDir of each element
  std::vector<std::string> SZDIRKey;  // SortKey of each element of SZDIR
  int32_t nZDir = 0, nSZDir = 0;
  int32_t nZDirMax = 1024;
  int32_t iFirstZDir = 0, iTopSZDir = 0, iCursor = 0;
  std::string zSortLetter = "F";
  bool bSortAscending = true;
  bool bSortDirsByDate = false;
  int32_t iDateCol = kZdWriteTime, iTimeCol = ZdClockCol(kZdWriteTime);
  bool bShowHidden = true, bShowReadOnly = true, bShowSystem = true;
  FindData VTOC;                  // the find-data record shared by the scans
  double dTotalBytes = 0;
  std::string zFindName;          // put the cursor on this name after the next sort
  std::string zFindExact;         // the stored name of the entry zFindName stands for; empty: any of its upper-case name

  // Entry formatting and page geometry
  bool bShortFormat = true;
  int32_t nNameWidth = 12, nTimeWidth = 5, nAttrWidth = 4;
  // Full names (FULLNAMES): the columned layout by default, its entry columns as wide as
  // the longest shown name needs within the page width. bShortFormatChosen: a DIR or
  // FULLNAMES line chose the layout, so the profile's default does not.
  ProfileItem piFullNames;
  bool bShortFormatChosen = false;
  int32_t nLongestName = 0;  // cells of the longest shown name (with its link mark)
  // Backspace on the directory page goes to the parent folder (BACKSPACE).
  ProfileItem piBackspaceUp;
  // Sizes as ls -lh writes them: 0, 1023, 1.0K, 512K, 1.1G (SIZES HUMAN); else bytes
  // grouped, then k, m, g (SIZES GROUPED).
  ProfileItem piHumanSizes;
  // The long layout's attribute column as ls -l's permissions, "drwxr-xr-x", and the
  // owner where the line has room for it (PERMISSIONS); else "A-HR".
  ProfileItem piPermissions;
  int32_t nDirColumnsSet = 4, nDirColumns = 1, nDirColWidth = 0;
  bool bCursorOnly = false;
  int32_t iLastOnPage = 0;
  int32_t iOldCursor = 0;
  std::array<CursorCell, 4> CursorCache{};
  std::string zListFileName;      // listing file name ("DIRF"); empty = the default name

  // Sorting: the gap table (1..25) and the time the last sort took, for debug timing
  std::array<int32_t, 26> nSortGap{};
  double nSortStart = 0, nSortSeconds = 0;

  // Last directory per drive: the name under the cursor when the drive was left (1..16)
  std::vector<std::string> zDriveName;
};

}  // namespace tembra
