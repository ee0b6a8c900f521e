// Fields of the hex view, the text search, bookmarks and line marking.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

struct HexSearchState {
  bool bCaseTableBuilt = false;  // the search case table is built
  int32_t nBookmarks = 0;        // bookmarks in use (emptied when a file is entered)
};

}  // namespace tembra
