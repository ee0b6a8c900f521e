// The entry tables: records by position, growth, insertion in name order and the display
// order.
#include "dirlist/entry_table.h"

#include <algorithm>

namespace tembra {

int32_t EntryTable::PositionOfStored(const std::string& name) const {
  for (int32_t pos = 1; pos <= d_.nSZDir && static_cast<size_t>(pos) < d_.SZDIR.size(); ++pos) {
    const int32_t i = d_.SZDIR[static_cast<size_t>(pos)];
    if (i >= 1 && i <= d_.nZDir && ZdNameStored(d_.ZDIR[static_cast<size_t>(i)]) == name) return pos;
  }
  return 0;
}

void EntryTable::Reset(int32_t max) {
  d_.nZDirMax = max;
  d_.ZDIR.assign(static_cast<size_t>(max) + 1, std::string());
  d_.SZDIR.assign(static_cast<size_t>(max) + 1, 0);
  d_.SZDIRKey.assign(static_cast<size_t>(max) + 1, std::string());
}

void EntryTable::Grow(int32_t n) {
  if (n <= d_.nZDirMax) return;
  int32_t grow = ((n - d_.nZDirMax + 1023) / 1024) * 1024;
  d_.nZDirMax += grow;
  size_t want = static_cast<size_t>(d_.nZDirMax) + 1;
  if (d_.ZDIR.capacity() < want) d_.ZDIR.reserve(std::max(want, d_.ZDIR.capacity() * 2));
  if (d_.SZDIR.capacity() < want) d_.SZDIR.reserve(std::max(want, d_.SZDIR.capacity() * 2));
  d_.ZDIR.resize(want);
  d_.SZDIR.resize(want, 0);
  d_.SZDIR[0] = 0;
}

bool EntryTable::HasName(const std::string& nameU) const {
  for (int32_t i = 1; i <= d_.nZDir; ++i)
    if (ZdNameUpper(d_.ZDIR[static_cast<size_t>(i)]) == nameU) return true;
  return false;
}

void EntryTable::InsertInNameOrder(std::string rec, const std::string& nameU) {
  Grow(d_.nZDir + 1);
  if (d_.ZDIR.size() < static_cast<size_t>(d_.nZDir) + 2) d_.ZDIR.resize(static_cast<size_t>(d_.nZDir) + 2);
  int32_t i = d_.nZDir;
  while (i >= 1 && ZdNameUpper(d_.ZDIR[static_cast<size_t>(i)]) > nameU) {
    d_.ZDIR[static_cast<size_t>(i) + 1] = std::move(d_.ZDIR[static_cast<size_t>(i)]);
    --i;
  }
  d_.ZDIR[static_cast<size_t>(i) + 1] = std::move(rec);
  d_.nZDir = d_.nZDir + 1;
}

void EntryTable::SetOrder(std::vector<Shown>& order) {
  const size_t n = order.empty() ? 0 : order.size() - 1;
  const size_t want = std::max(static_cast<size_t>(d_.nZDir), n) + 2;
  if (d_.SZDIR.size() < want) d_.SZDIR.resize(want, 0);
  if (d_.SZDIRKey.size() < d_.SZDIR.size()) d_.SZDIRKey.resize(d_.SZDIR.size());
  for (size_t i = 1; i <= n; ++i) {
    d_.SZDIR[i] = order[i].index;
    d_.SZDIRKey[i] = std::move(order[i].key);
  }
  d_.SZDIR[0] = 0;
  d_.SZDIRKey[0] = "<PARENT>";
  d_.SZDIR[n + 1] = 0;
}

}  // namespace tembra
