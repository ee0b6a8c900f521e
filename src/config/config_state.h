// Settings of the configuration file and command line, filters, input files, colours.
// Settings that other areas already hold with their start values (directory format,
// tab expansion, wrapping, found-text emphasis, record length, font, window shares,
// colour roles, trace log, search text, deletion rules and temporary files, asking for
// the program) live in those areas' groups; every other configuration setting is here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/core_state.h"

namespace tembra {

struct ConfigState {
  // ---- word table of the last parsed line: words at 1..nParms, index 0 unused
  std::array<std::string, 129> zParm{};
  int32_t nParms = 0;

  // ---- configuration file
  std::string zConfigName;    // text after "/C", upper case
  bool bConfigNamed = false;  // the command line held a "/C"
  bool bConfigDone = false;   // read or suppressed
  std::string zConfigFile;    // full name of the file as found
  bool bFolderConfig = false;  // the file being read is not the user's own (RUNLOCAL is refused)

  // ---- other keyword settings
  bool bGMT = false;
  // Program table by extension: entries 1..nExtTable, entry 0 = the default program.
  std::vector<std::string> zExtTable, zExtProgram;
  int32_t nExtTable = 0;
  bool bNoDelConfirm = false;
  bool bRunLocal = false;  // a configured program may be a file of the current folder

  // ---- command line
  std::vector<std::string> zInpFiles;  // input files (1-based, up to 1024)
  bool bFileArgSeen = false;
  // A file named on the command line that is not there, or is empty: a note on standard
  // error or the message line, never a box (Linux).
  ProfileItem piArgNotes;
  std::string zExitNote;  // said on standard error when the program ends (a usage error, ...)
  std::vector<std::string> zMissingArgs, zEmptyArgs;  // named files not there or passed over
  bool bWinSizeSet = false;
  std::string zRelaunchParm;
};

}  // namespace tembra
