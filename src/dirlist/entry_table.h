// The entry tables as an engine of their own: the entry records (ZDIR, record 0 the parent
// entry), the display order (SZDIR with its sort keys SZDIRKey) and their counts. The
// tables are the directory page's fields; GetDir, SORTEMALL, ExpandZDir, the file
// operations and the page's commands are the entry points that use them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "dirlist/dir_state.h"

namespace tembra {

class EntryTable {
 public:
  explicit EntryTable(DirState& d) : d_(d) {}

  // The record shown at display position pos. The one bounds rule: a position outside the
  // display order, or one that names no record, gives the parent entry (0).
  int32_t IndexAt(int32_t pos) const {
    if (pos < 0 || static_cast<size_t>(pos) >= d_.SZDIR.size()) return 0;
    const int32_t i = d_.SZDIR[static_cast<size_t>(pos)];
    return i >= 0 && static_cast<size_t>(i) < d_.ZDIR.size() ? i : 0;
  }
  const std::string& RecordAt(int32_t pos) const { return d_.ZDIR[static_cast<size_t>(IndexAt(pos))]; }
  // The last record (nZDir, or less where the table is shorter): records 0..Last() exist.
  int32_t Last() const {
    return d_.ZDIR.empty() ? -1 : std::min(d_.nZDir, static_cast<int32_t>(d_.ZDIR.size()) - 1);
  }
  // The display position (1..nSZDir) of the shown record whose stored name is `name`, 0
  // when none is shown.
  int32_t PositionOfStored(const std::string& name) const;

  // Empties the tables and makes room for records and positions 0..max.
  void Reset(int32_t max);
  // Makes room for record n: nZDirMax grows in blocks of 1,024 (the memory underneath
  // geometrically). The display order's contents are rebuilt by every sort.
  void Grow(int32_t n);

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
  DirState& d_;
};

}  // namespace tembra
