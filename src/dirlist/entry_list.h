// The entry list: the entries of a folder or of an archive, the order they are shown in,
// the cursor, and their page of columns. The directory page and the ZIP listing both
// show it (the window holds it: Entries()); the entry table (entry_table.h) holds the
// records themselves.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/core_state.h"
#include "dirlist/entry_table.h"

namespace tembra {

class Lister;

// One remembered drawing of the cursor entry, for the cursor-only repaint.
struct CursorCell {
  long x = 0, y = 0;
  uint32_t color = 0;
  bool bold = false;
  std::string text;  // empty = unused
};

// The fields of the entry list: the page and the cursor, the layout of an entry, the
// sort, the filters of the file specification, and the entry under the cursor.
struct EntryListState {
  int32_t iFirstZDir = 0, iTopSZDir = 0, iCursor = 0;
  std::string zSortLetter = "F";
  bool bSortAscending = true;
  bool bSortDirsByDate = false;
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
  // The cursor entry's full name when the page shows it cut ("~"); empty when whole.
  std::string zCursorCutName;

  // Sorting: the gap table (1..25) and the time the last sort took, for debug timing
  std::array<int32_t, 26> nSortGap{};
  double nSortStart = 0, nSortSeconds = 0;

  // File specification filters (F, "&"): upper-case name pattern, dates yyyymmdd, sizes
  std::string zNameFilter;
  std::string zDateFrom, zDateTo;
  int32_t nSizeMin = 0, nSizeMax = 0;

  // The entry under the cursor, filled for every directory command
  int32_t iCurZDir = 0;
  std::string zCurType;
  int32_t nLenName = 0;
  int32_t iCurNameCol = 0;
  std::string zCurName;
  std::string zCurNameU;
};

class EntryList final : public EntryTable, public EntryListState {
 public:
  explicit EntryList(Lister& w) : W(w) {}
  Lister& W;  // the window: the shared fields and its services

  // Grows the entry table to hold entry INEW.
  void ExpandZDir(int32_t INEW);
  // Each entry's ignore mark from the file specification and size range; then SORTEMALL.
  void MarkIgnore();
  // The gap table of the Shell sort (nSortGap).
  void PopulateSort();
  // Sorts the entry records by upper-case name (after a scan found them out of order).
  void SORT1ST();
  // The shown entries (nSZDir) in the order zSortLetter asks; the cursor onto zFindName.
  void SORTEMALL();
  // The directory-page line of entry IndxD in nChars cells (zFormat1Old in the short format).
  std::string zFormat1New(int32_t IndxD, int32_t nChars);
  // The short-format line of entry SDZFI in nChars cells: the 8.3 name and what fits.
  std::string zFormat1Old(int32_t SDZFI, int32_t nChars);
  // Draws the directory page: title line and entry columns, or only the cursor (bCursorOnly).
  void DosDir();
  // The first entry of the page that holds entry ICURSOR (-1 with no page lines).
  int32_t iFindUl(int32_t ICURSOR);
  void SetCursorEntry();  // the cursor-entry fields (iCurZDir, zCurType, names, zCurFile)
  // Moves the directory cursor by RelMove and the page by PageMove (single steps wrap); draws.
  void CursorMove(int32_t RelMove, int32_t PageMove);
  void CursorKey(int KeyCode, int Shift);  // PgUp, PgDn, End, Home and the arrows on an entry list
  // A click on an entry list moves the cursor (top and bottom rows: a page or an end).
  void ClickOnEntryList();
  void RedrawWhole();                        // the next page of entries is drawn whole
  void EntryListTitle();                     // the title line's fields of an entry list
  bool HasFilter() const;                    // a name pattern, date or size range hides entries
  std::string FilterText() const;            // those filters, as the title line shows them
  void ClearFilters();                       // every name, date and size filter off
  // With the dump switch on, writes the entry table to zName in the dump folder (else the listed one).
  void DumpDir(const std::string& zName);
  // The page draws only the cursor's move next time (CursorMove), or the whole page.
  bool CursorOnly() const { return bCursorOnly; }
  // The window changed its size: the page that holds the cursor.
  void Resized();
  // Sorts the shown entries by the letter of the sort prompt (D twice: directories by date too).
  void SortBy(const std::string& letter);

 private:
  // ------------------------------------------------------------ steps of long procedures
  // DosDir
  int32_t DirPageGeometry();            // the entry columns of the page; returns their width
  void DirColumnBars(int32_t w, long cw);  // the bars between the entry columns
  void DirPageEntries(int32_t w, long cw, long pitch);  // draws the entries of the page
};

}  // namespace tembra
