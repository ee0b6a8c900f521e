// Column layout of a directory entry record (ZDIR). A record is a plain string whose
// fields sit at fixed 1-based columns; the scan, the ZIP listing, the file operations
// and the configuration all read and write records through these columns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tembra {

// Column (1-based) and width of each field.
constexpr int kZdIgnore = 1;          // "*" hidden by a filter, blank shown
constexpr int kZdDelMark = 2;         // deletion mark: blank, "R", "D" or "Z"
constexpr int kZdShortName = 4;       // 8.3 short name, 12 wide; " ---NONE--- " when none
constexpr int kZdShortNameLen = 12;
constexpr int kZdWriteTime = 16;      // yyyymmddhhmmsscc, 16 wide
constexpr int kZdCreateTime = 33;
constexpr int kZdAccessTime = 50;
constexpr int kZdTimeLen = 16;
constexpr int kZdSize = 66;           // size, "#00000000000" right-aligned in 12; blank for a directory
constexpr int kZdSizeLen = 12;
constexpr int kZdHasDot = 78;         // "9" when the name has a "." after its first character
constexpr int kZdExtLen = 79;         // extension length 0..4, "9" when longer
constexpr int kZdExt = 80;            // extension, upper case, first 4 characters
constexpr int kZdExtWidth = 4;
constexpr int kZdExtCol = 84;         // column of the extension within the name, "#000"
constexpr int kZdAttr = 88;           // six attribute bits "0"/"1"
constexpr int kZdAttrArchive = 88;
constexpr int kZdAttrDirectory = 89;
constexpr int kZdAttrVolume = 90;
constexpr int kZdAttrSystem = 91;
constexpr int kZdAttrHidden = 92;
constexpr int kZdAttrReadOnly = 93;
constexpr int kZdNameLen = 94;        // name length, "###0" right-aligned in 4
constexpr int kZdType = 98;           // "F" file, "D" directory, "U" parent, "-" excluded
constexpr int kZdNameCol = 99;        // display-name column "109" or "127", 4 wide
constexpr int kZdSeq = 103;           // scan sequence number, "#####0" in 6
constexpr int kZdName = 109;          // upper-case name, then the stored-case name
constexpr int kZdTempSource = 127;    // source name inside a temporary-file name

// Reads a field: the characters from a 1-based column (shorter at the record's end).
inline std::string_view ZdField(const std::string& rec, int col, int len) {
  size_t start = static_cast<size_t>(col - 1);
  if (start >= rec.size()) return {};
  return std::string_view(rec).substr(start, static_cast<size_t>(len));
}
// The character at a 1-based column, a blank past the end.
inline char ZdChar(const std::string& rec, int col) {
  return static_cast<size_t>(col - 1) < rec.size() ? rec[static_cast<size_t>(col - 1)] : ' ';
}
// Writes text into the record at a 1-based column, growing the record with blanks.
inline void ZdPut(std::string& rec, int col, std::string_view text) {
  size_t start = static_cast<size_t>(col - 1);
  if (rec.size() < start + text.size()) rec.resize(start + text.size(), ' ');
  rec.replace(start, text.size(), text);
}
// The name length of columns 94-97 (0 when blank or unreadable).
inline int32_t ZdNameLength(const std::string& rec) {
  int32_t n = 0;
  for (char c : ZdField(rec, kZdNameLen, 4))
    if (c >= '0' && c <= '9') n = n * 10 + (c - '0');
  return n;
}
// The upper-case name (from column 109) and the stored-case name (after it).
inline std::string ZdNameUpper(const std::string& rec) {
  return std::string(ZdField(rec, kZdName, ZdNameLength(rec)));
}
inline std::string ZdNameStored(const std::string& rec) {
  int32_t n = ZdNameLength(rec);
  return std::string(ZdField(rec, kZdName + n, n));
}

}  // namespace tembra
