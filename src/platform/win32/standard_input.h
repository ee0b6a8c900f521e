// Standard input viewed as a file, inside the Win32 layer (spool.cpp): the command line
// names it by a reserved name, and the file system's find, existence and close calls
// answer for it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tembra::win32 {

// The find handle of the reserved name's own entry (real find handles are pointers).
constexpr FindHandle kStandardInputFind = 1;

// True when standard input was taken for viewing and the path's last part is its name.
bool NamesStandardInput(const std::wstring& path);
// The find data of its entry: an empty file, as a pipe tells no size.
void StandardInputFindData(FindData& data);
// True when a listing of the pattern ("FOLDER\*") is to show the entry as well: the folder
// is the one the program placed it in.
bool ListingShowsStandardInput(const std::wstring& pattern);
// A handle given out by OpenStream: true for one; its close forgets it.
bool IsStreamHandle(FileHandle file);
void ForgetStreamHandle(FileHandle file);

}  // namespace tembra::win32
