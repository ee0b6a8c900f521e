// Column access to directory records for the file operations.
#pragma once

#include <string>

#include "core/text.h"

namespace tembra::fileops {

inline int32_t NameLen(const std::string& rec) { return static_cast<int32_t>(Val(Mid(rec, 94, 4))); }
inline std::string UpperName(const std::string& rec) { return Mid(rec, 109, NameLen(rec)); }
inline std::string StoredName(const std::string& rec) { return Mid(rec, 109 + NameLen(rec), NameLen(rec)); }
inline std::string RecType(const std::string& rec) { return Mid(rec, 98, 1); }
inline int32_t DisplayCol(const std::string& rec) { return static_cast<int32_t>(Val(Mid(rec, 99, 4))); }

// Overwrites the text at a 1-based column, growing the record with blanks when needed.
inline void SetMid(std::string& rec, long col, const std::string& text) {
  size_t at = static_cast<size_t>(col - 1);
  if (rec.size() < at + text.size()) rec.resize(at + text.size(), ' ');
  rec.replace(at, text.size(), text);
}

}  // namespace tembra::fileops
