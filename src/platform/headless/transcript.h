// Writing transcript lines: Windows-1252 bytes become UTF-8, control characters \xHH.
#pragma once

#include <ostream>
#include <string>

namespace tembra::headless {

// Bytes outside printable ASCII as UTF-8 of their Windows-1252 character; control
// characters (0-31, 127) as \xHH.
std::string EscapeText(const std::string& text);
// As EscapeText, for a quoted field: also \" and \\, and line breaks as \n.
// With utf8 (typed text in UTF-8), valid UTF-8 sequences are written as they are.
std::string EscapeQuoted(const std::string& text, bool utf8 = false);

}  // namespace tembra::headless
