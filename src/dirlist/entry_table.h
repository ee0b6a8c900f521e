// The entry table: the entry records (ZDIR, record 0 the parent entry), the display order
// (SZDIR with its sort keys SZDIRKey) and their counts. It owns them: every other part
// reads and writes records through it, and addresses a shown entry by its position.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/zdir_layout.h"

namespace tembra {

class EntryTable {
 public:
  int32_t nZDir = 0, nSZDir = 0;  // records 1..nZDir; positions 1..nSZDir shown
  int32_t nZDirMax = 1024;        // records the table has room for

  // Record i (0: the parent entry); i must be a record of the table (0..Last(), or up
  // to nZDirMax while a scan fills it).
  const std::string& Record(int32_t i) const { return ZDIR[static_cast<size_t>(i)]; }
  std::string& Record(int32_t i) { return ZDIR[static_cast<size_t>(i)]; }
  // The record shown at display position pos. The one bounds rule: a position outside the
  // display order, or one that names no record, gives the parent entry (0).
  int32_t IndexAt(int32_t pos) const {
    if (pos < 0 || static_cast<size_t>(pos) >= SZDIR.size()) return 0;
    const int32_t i = SZDIR[static_cast<size_t>(pos)];
    return i >= 0 && static_cast<size_t>(i) < ZDIR.size() ? i : 0;
  }
  // The room of the records and of the display order (entries 0..n - 1).
  size_t RecordSlots() const { return ZDIR.size(); }
  size_t OrderSlots() const { return SZDIR.size(); }
  // True when record i exists (0..the table's room).
  bool Holds(int32_t i) const { return i >= 0 && static_cast<size_t>(i) < ZDIR.size(); }
  const std::string& RecordAt(int32_t pos) const { return ZDIR[static_cast<size_t>(IndexAt(pos))]; }
  // The last record (nZDir, or less where the table is shorter): records 0..Last() exist.
  int32_t Last() const { return ZDIR.empty() ? -1 : std::min(nZDir, static_cast<int32_t>(ZDIR.size()) - 1); }
  // The display position (1..nSZDir) of the shown record whose stored name is `name`, 0
  // when none is shown.
  int32_t PositionOfStored(const std::string& name) const;

  // Empties the tables and makes room for records and positions 0..max.
  void Reset(int32_t max);
  // Makes room for record n: nZDirMax grows in blocks of 1,024 (the memory underneath
  // geometrically). The display order's contents are rebuilt by every sort.
  void Grow(int32_t n);
  // Makes room for the records 0..nZDirMax (a scan fills them).
  void Fill() {
    if (static_cast<int32_t>(ZDIR.size()) < nZDirMax + 1) ZDIR.resize(static_cast<size_t>(nZDirMax) + 1);
  }
  // Records 1..n put in the order of `from` (from[k]: the record that becomes record k).
  void Reorder(const std::vector<int32_t>& from);

  // True when one of the records 1..nZDir has the upper-case name nameU.
  bool HasName(const std::string& nameU) const;
  // Inserts rec, whose upper-case name is nameU, among the records 1..nZDir in name order
  // (after any of an equal name).
  void InsertInNameOrder(std::string rec, const std::string& nameU);

  // An element of the display order: a record and its sort key.
  struct Shown {
    int32_t index;
    std::string key;
  };
  // Sets the display order to positions 1..n of `order` (its element 0 is not used):
  // position 0 is the parent element, and so is position n + 1, so that a cursor left
  // past the shown entries never addresses a record of an earlier listing.
  void SetOrder(std::vector<Shown>& order);

 private:
  std::vector<std::string> ZDIR;      // entry records, index 0 = parent entry
  std::vector<int32_t> SZDIR;         // display order: IndexZDir of each element
  std::vector<std::string> SZDIRKey;  // SortKey of each element of SZDIR
};

}  // namespace tembra
