// The columns of the directory page that differ by profile: the size column (grouped
// bytes with a coarser unit where the number would not fit, or sizes as ls -lh writes
// them) and the width of the attribute column.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

class EntryList;

// Cells of the long layout's attribute column: 4 ("A-HR", a member's ratio), 10 for
// permissions ("drwxr-xr-x"); 0 when the column is off.
int32_t AttrCells(const EntryList& e);

// 9 characters: 8 of the number and its unit letter (" ", "k", "m", "g", "t"); the
// number steps to the next unit where it would reach `limit` (10^7 or 10^6).
std::string GroupedSize(double s, double limit);
// 1 to 5 characters: "0", "1023", "1.0K", "10K", "1.1G".
std::string HumanSize(uint64_t s);

}  // namespace tembra
