// Fields of the ZIP archive listing.
#pragma once

#include <cstdint>
#include <string>

namespace tembra {

namespace zip {
class ZipSource;
}

struct ZipState {
  bool bZipFullPath = false;      // list members with their full path inside the archive ("V")
  int32_t iZipReturnCursor = 0;   // the directory cursor before the listing
  std::string zZipReturnName;     // upper-case name of the archive, for the cursor's return
  zip::ZipSource* pZipArchive = nullptr;  // the archive being read, while ProcessZ runs
};

}  // namespace tembra
