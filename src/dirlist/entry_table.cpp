// The entry tables: records by position, growth, insertion in name order and the display
// order.
#include "dirlist/entry_table.h"

#include <algorithm>

namespace tembra {

int32_t EntryTable::PositionOfStored(const std::string& name) const {
  for (int32_t pos = 1; pos <= nSZDir && static_cast<size_t>(pos) < SZDIR.size(); ++pos) {
    const int32_t i = SZDIR[static_cast<size_t>(pos)];
    if (i >= 1 && i <= nZDir && ZdNameStored(ZDIR[static_cast<size_t>(i)]) == name) return pos;
  }
  return 0;
}

void EntryTable::Reorder(const std::vector<int32_t>& from) {
  const size_t n = from.size() - 1;
  std::vector<std::string> sorted(n + 1);
  for (size_t i = 1; i <= n; ++i) sorted[i] = std::move(ZDIR[static_cast<size_t>(from[i])]);
  for (size_t i = 1; i <= n; ++i) ZDIR[i] = std::move(sorted[i]);
}

void EntryTable::Reset(int32_t max) {
  nZDirMax = max;
  ZDIR.assign(static_cast<size_t>(max) + 1, std::string());
  SZDIR.assign(static_cast<size_t>(max) + 1, 0);
  SZDIRKey.assign(static_cast<size_t>(max) + 1, std::string());
}

void EntryTable::Grow(int32_t n) {
  if (n <= nZDirMax) return;
  int32_t grow = ((n - nZDirMax + 1023) / 1024) * 1024;
  nZDirMax += grow;
  size_t want = static_cast<size_t>(nZDirMax) + 1;
  if (ZDIR.capacity() < want) ZDIR.reserve(std::max(want, ZDIR.capacity() * 2));
  if (SZDIR.capacity() < want) SZDIR.reserve(std::max(want, SZDIR.capacity() * 2));
  ZDIR.resize(want);
  SZDIR.resize(want, 0);
  SZDIR[0] = 0;
}

bool EntryTable::HasName(const std::string& nameU) const {
  for (int32_t i = 1; i <= nZDir; ++i)
    if (ZdNameUpper(ZDIR[static_cast<size_t>(i)]) == nameU) return true;
  return false;
}

void EntryTable::InsertInNameOrder(std::string rec, const std::string& nameU) {
  Grow(nZDir + 1);
  if (ZDIR.size() < static_cast<size_t>(nZDir) + 2) ZDIR.resize(static_cast<size_t>(nZDir) + 2);
  int32_t i = nZDir;
  while (i >= 1 && ZdNameUpper(ZDIR[static_cast<size_t>(i)]) > nameU) {
    ZDIR[static_cast<size_t>(i) + 1] = std::move(ZDIR[static_cast<size_t>(i)]);
    --i;
  }
  ZDIR[static_cast<size_t>(i) + 1] = std::move(rec);
  nZDir = nZDir + 1;
}

void EntryTable::SetOrder(std::vector<Shown>& order) {
  const size_t n = order.empty() ? 0 : order.size() - 1;
  const size_t want = std::max(static_cast<size_t>(nZDir), n) + 2;
  if (SZDIR.size() < want) SZDIR.resize(want, 0);
  if (SZDIRKey.size() < SZDIR.size()) SZDIRKey.resize(SZDIR.size());
  for (size_t i = 1; i <= n; ++i) {
    SZDIR[i] = order[i].index;
    SZDIRKey[i] = std::move(order[i].key);
  }
  SZDIR[0] = 0;
  SZDIRKey[0] = "<PARENT>";
  SZDIR[n + 1] = 0;
}

}  // namespace tembra
