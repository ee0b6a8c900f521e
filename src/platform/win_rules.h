// Rules of Windows paths, find patterns and file times for the file systems that keep them
// without Windows underneath: the POSIX layer and the file system in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tembra {

// The components of a path, split at "\" and "/" (empty ones dropped).
std::vector<std::string> SplitWinPath(const std::string& path);

// The full form "X:\a\b" of a Windows path typed relative to the current drive `drive`
// and to the current folder of the drive it names (currentOf(letter), "X:\dir"), with "."
// and ".." resolved; the drive letter in upper case and a final "\" the path has kept.
std::string ResolveWinPath(const std::string& path, char drive, const std::function<std::string(char)>& currentOf);

// Whether a name matches a find pattern: "*" any run, "?" any one character, letter case
// aside. Windows-1252 bytes; UTF-8 characters where utf8 and either text is not ASCII.
bool MatchesFindPattern(const std::string& name, const std::string& pattern, bool utf8);

// The calendar fields of a FILETIME read as UTC (proleptic Gregorian, from 1601).
DateTime CalendarOfFileTime(uint64_t ft);

}  // namespace tembra
