// The program's version label and the usage text of "tembra --help".
#pragma once

#include <string>

namespace tembra {

// The version label of the title line and of "--version".
const std::string& VersionLabel();
// What "tembra --help" prints: the command-line forms, the environment, the files.
std::string UsageText();
// The answer to an argument list whose first word asks for help or the version: the
// text to print (standard output, exit status 0), or "" when the program is to run.
std::string HelpOrVersionRequest(int argc, const char* const* argv);
// True when a word that starts with "/" is one of the program's switches (by its first
// two characters, in any letter case).
bool KnownSwitchWord(const std::string& word);
// The first lines of the usage text, printed under a complaint about the command line.
std::string UsageLine();

}  // namespace tembra
