// Fields of the hex view, the text search, bookmarks and line marking.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

struct HexSearchState {
  bool bCaseTableBuilt = false;  // the search case table is built
};

}  // namespace tembra
