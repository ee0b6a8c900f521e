// Fields of the ZIP archive listing.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

struct ZipState {
  bool bZipFullPath = false;      // list members with their full path
  int32_t iZipReturnCursor = 0;   // the directory cursor before the listing
  std::string zZipReturnName;     // the archive's name, for the cursor on return
};

}  // namespace tembra
