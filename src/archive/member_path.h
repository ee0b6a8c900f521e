// The place inside an extraction folder that an archive member's stored name leads to.
#pragma once

#include <string>
#include <vector>

namespace tembra::archive {

// Splits a member's name into the folders on its way and its own name (the last part),
// or returns false when the name would leave the folder or cannot be made there: an
// absolute path ("/x", "\x"), a drive ("C:\x", "C:x"), a server or device path ("\\s\x"),
// a ".." part, an empty name or one holding NUL. "/" and "\" both separate; "." parts and
// doubled separators are dropped. With windowsNames, also a part Windows cannot make or
// would take for something else: ":" (a stream), "<>\"|?*" or a control character, a
// trailing dot or blank, or a device name (CON, NUL, COM1, ...).
bool SplitMemberPath(const std::string& name, std::vector<std::string>& parts, bool windowsNames);

}  // namespace tembra::archive
