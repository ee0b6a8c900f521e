// Settings of the configuration file and command line, filters, input files, colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tembra {

struct ConfigState {
  bool bMMDD = false, bDDMM = false;
  std::string zNameFilter;        // name pattern of the file specification
  std::string zConfigFile;
  // Program table by extension (1-based; index 0 unused)
  std::vector<std::string> zExtTable, zExtProgram;
  int32_t nExtTable = 0;
  std::vector<std::string> zInpFiles;  // input files (1-based)
  std::string zRelaunchParm;

  // Filters and settings read by the directory scan and commands
  bool bGMT = false;              // times in UTC instead of local time
  std::string zDateFrom, zDateTo; // date range, yyyymmdd
  int32_t nSizeMin = 0, nSizeMax = 0;
  bool bNoDelConfirm = false;     // "D" deletes to the recycle bin without asking
};

}  // namespace tembra
