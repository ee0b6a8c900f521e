// Column layout of a directory entry record (ZDIR). A record is a plain string whose
// fields sit at fixed 1-based columns; the scan, the ZIP listing, the file operations,
// the viewer and the configuration all read and write records through the names below,
// so that moving a field changes this file only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tembra {

// Column (1-based) and width of each field.
constexpr int kZdIgnore = 1;          // "*" hidden by a filter, blank shown
constexpr int kZdDelMark = 2;         // deletion mark: blank, "R", "D" or "Z"
constexpr int kZdLink = 3;            // symbolic link: blank none, "L" a link, "B" a broken (dangling) link
constexpr char kZdLinkLive = 'L', kZdLinkBroken = 'B';
constexpr int kZdShortName = 4;       // 8.3 short name, 12 wide; " ---NONE--- " when none
constexpr int kZdShortNameLen = 12;
constexpr int kZdWriteTime = 16;      // yyyymmddhhmmsscc, 16 wide
constexpr int kZdCreateTime = 33;
constexpr int kZdAccessTime = 50;
constexpr int kZdTimeLen = 16;
constexpr int kZdDateLen = 8;         // yyyymmdd: the date at the start of a time stamp
constexpr int kZdClockLen = 8;        // hhmmsscc: the time of day after it
constexpr int kZdSize = 66;           // size, "#00000000000" right-aligned in 12; blank for a directory
constexpr int kZdSizeLen = 12;
// The largest size the field holds: twelve nines.
constexpr uint64_t kZdSizeMax = [] {
  uint64_t v = 0;
  for (int i = 0; i < kZdSizeLen; ++i) v = v * 10 + 9;
  return v;
}();
constexpr int kZdHasDot = 78;         // "9" when the name has a "." after its first character
constexpr int kZdExtLen = 79;         // extension length 0..4, "9" when longer
constexpr int kZdExt = 80;            // extension, upper case, first 4 characters
constexpr int kZdExtWidth = 4;
constexpr int kZdExtCol = 84;         // column of the extension within the name, "#000"
constexpr int kZdExtColWidth = 4;
constexpr int kZdAttr = 88;           // six attribute bits "0"/"1"
constexpr int kZdAttrWidth = 6;
constexpr int kZdAttrArchive = kZdAttr;  // the bits in order, one column each
constexpr int kZdAttrDirectory = kZdAttr + 1;
constexpr int kZdAttrVolume = kZdAttr + 2;
constexpr int kZdAttrSystem = kZdAttr + 3;
constexpr int kZdAttrHidden = kZdAttr + 4;
constexpr int kZdAttrReadOnly = kZdAttr + 5;
constexpr int kZdNameLen = 94;        // name length, "###0" right-aligned in 4
constexpr int kZdNameLenWidth = 4;
constexpr int kZdType = 98;           // "F" file, "D" directory, "U" parent, "-" excluded
constexpr int kZdNameCol = 99;        // display-name column "109" or "127", 4 wide
constexpr int kZdNameColWidth = 4;
constexpr int kZdSeq = 103;           // scan sequence number, "#####0" in 6
constexpr int kZdSeqWidth = 6;
constexpr int kZdName = 109;          // upper-case name, then the stored-case name
// A temporary-file name is "_Vyymmdd.VXhhmmCC." and the source name: the source name
// starts this many characters into the name.
constexpr int kZdTempPrefixLen = 18;
constexpr int kZdTempSource = kZdName + kZdTempPrefixLen;  // source name inside a temporary-file name

// Everything before the names: a new record starts as this many blanks.
constexpr int kZdHeadLen = kZdName - 1;
// Short-name field of an entry without a short name.
constexpr std::string_view kZdNoShortName = " ---NONE--- ";
// The scan writes the display-name column as three digits in the field's first columns.
constexpr int kZdNameColDigits = 3;
static_assert(kZdTempSource < 1000, "the display-name columns have three digits");
// A ZIP member carries "ZIP" and its compression ratio (3 wide) in the attribute columns.
constexpr int kZdZipTag = kZdAttr;
constexpr std::string_view kZdZipTagText = "ZIP";
constexpr int kZdZipRatio = kZdZipTag + static_cast<int>(kZdZipTagText.size());
constexpr int kZdZipRatioLen = 3;
static_assert(kZdZipRatio + kZdZipRatioLen == kZdAttr + kZdAttrWidth, "the ZIP tag and ratio fill the attributes");
// The parent entry's time stamps (a fixed, recognisable date).
constexpr std::string_view kZdParentStamp = "19460626123456";

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
// The one-character field at a 1-based column as text, empty past the end.
inline std::string_view ZdCharField(const std::string& rec, int col) { return ZdField(rec, col, 1); }
inline void ZdPutChar(std::string& rec, int col, char c) { ZdPut(rec, col, std::string_view(&c, 1)); }

// A new record: the blank head, then the upper-case and the stored-case name.
inline std::string ZdNewRecord(std::string_view nameUpper, std::string_view nameStored) {
  std::string rec;
  rec.reserve(static_cast<size_t>(kZdHeadLen) + nameUpper.size() + nameStored.size());
  rec.assign(static_cast<size_t>(kZdHeadLen), ' ');
  rec.append(nameUpper);
  rec.append(nameStored);
  return rec;
}
// The record's head (everything before the names), to give a copy other names.
inline std::string ZdHead(const std::string& rec) { return rec.substr(0, static_cast<size_t>(kZdHeadLen)); }

// Number fields. Every number is written by ZdPutNumber and read by ZdDigits (ZdNumber for
// the size, which outgrows 32 bits): its digits right-aligned in the field, at least
// minDigits of them (zero-filled), blanks before.
// Each writer keeps its own pattern; the patterns, as minDigits:
constexpr int kZdBlankPadded = 1;  // "###0", "#####0": 5 gives "   5"
constexpr int kZdThreeDigits = 3;  // "#000": 5 gives " 005"
constexpr int kZdZeroFilled = 99;  // "0000": 5 gives "0005" (the whole field)
constexpr int kZdSizeDigits = kZdSizeLen - 1;     // the scan's "#00000000000"
constexpr int kZdZipSizeDigits = kZdSizeLen - 3;  // the archive listing's "###000000000"

// Writes v (negative as 0) into the field of `width` at a 1-based column; a number of more
// digits than the width is written whole.
inline void ZdPutNumber(std::string& rec, int col, int width, int64_t v, int minDigits) {
  char buf[24];
  int n = 0;
  uint64_t u = v < 0 ? 0 : static_cast<uint64_t>(v);
  do {
    buf[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u && n < 20);
  while (n < minDigits && n < width) buf[n++] = '0';
  char out[48];
  int k = 0;
  for (int i = n; i < width && k < 24; ++i) out[k++] = ' ';
  for (int i = n - 1; i >= 0; --i) out[k++] = buf[i];
  ZdPut(rec, col, std::string_view(out, static_cast<size_t>(k)));
}
// The digits of a field's text read as a number (blanks and other characters skipped).
inline double ZdNumber(std::string_view text) {
  double n = 0;
  for (char c : text)
    if (c >= '0' && c <= '9') n = n * 10 + (c - '0');
  return n;
}
inline int32_t ZdDigits(const std::string& rec, int col, int len) {
  int32_t n = 0;
  for (char c : ZdField(rec, col, len))
    if (c >= '0' && c <= '9') n = n * 10 + (c - '0');
  return n;
}

// The name length of columns 94-97 (0 when blank or unreadable).
inline int32_t ZdNameLength(const std::string& rec) { return ZdDigits(rec, kZdNameLen, kZdNameLenWidth); }
inline void ZdPutNameLength(std::string& rec, int64_t n, int minDigits) {
  ZdPutNumber(rec, kZdNameLen, kZdNameLenWidth, n, minDigits);
}
// The column of the extension within the name (0 when blank).
inline int32_t ZdExtColumn(const std::string& rec) { return ZdDigits(rec, kZdExtCol, kZdExtColWidth); }
inline void ZdPutExtColumn(std::string& rec, int64_t col, int minDigits) {
  ZdPutNumber(rec, kZdExtCol, kZdExtColWidth, col, minDigits);
}
// The scan sequence number (0 when blank).
inline int32_t ZdSeqNumber(const std::string& rec) { return ZdDigits(rec, kZdSeq, kZdSeqWidth); }
inline void ZdPutSeqNumber(std::string& rec, int64_t n) { ZdPutNumber(rec, kZdSeq, kZdSeqWidth, n, kZdBlankPadded); }
// The upper-case name (from column 109) and the stored-case name (after it).
inline std::string ZdNameUpper(const std::string& rec) {
  return std::string(ZdField(rec, kZdName, ZdNameLength(rec)));
}
inline std::string ZdNameStored(const std::string& rec) {
  int32_t n = ZdNameLength(rec);
  return std::string(ZdField(rec, kZdName + n, n));
}
// The display-name column: kZdName, kZdTempSource for a temporary-file name, 0 when blank.
// The scan writes it in three digits ("109"), a temporary copy zero-filled ("0127").
inline int32_t ZdDisplayCol(const std::string& rec) { return ZdDigits(rec, kZdNameCol, kZdNameColWidth); }
inline void ZdPutDisplayCol(std::string& rec, int col, int minDigits) {
  ZdPutNumber(rec, kZdNameCol, minDigits >= kZdNameColWidth ? kZdNameColWidth : kZdNameColDigits, col, minDigits);
}
// True unless the scan marked the name as a plain one (temporary names, ZIP members).
inline bool ZdNotPlainName(const std::string& rec) { return ZdDisplayCol(rec) != kZdName; }

// The size field, whole and in parts: the size in thousands (all but the last three
// digits), in millions (all but the last six), and its last six and last nine digits.
inline std::string_view ZdSizeField(const std::string& rec) { return ZdField(rec, kZdSize, kZdSizeLen); }
inline std::string_view ZdSizeThousands(const std::string& rec) { return ZdField(rec, kZdSize, kZdSizeLen - 3); }
inline std::string_view ZdSizeMillions(const std::string& rec) { return ZdField(rec, kZdSize, kZdSizeLen - 6); }
inline std::string_view ZdSizeLastSix(const std::string& rec) { return ZdField(rec, kZdSize + kZdSizeLen - 6, 6); }
inline std::string_view ZdSizeLastNine(const std::string& rec) { return ZdField(rec, kZdSize + kZdSizeLen - 9, 9); }
// The size as a number (0 when blank), and its writer.
inline double ZdSizeValue(const std::string& rec) { return ZdNumber(ZdSizeField(rec)); }
inline void ZdPutSize(std::string& rec, uint64_t size, int minDigits) {
  ZdPutNumber(rec, kZdSize, kZdSizeLen, static_cast<int64_t>(size), minDigits);
}

// The ZIP listing's marks in the attribute columns.
inline bool ZdIsZipMember(const std::string& rec) { return ZdField(rec, kZdZipTag, static_cast<int>(kZdZipTagText.size())) == kZdZipTagText; }
inline std::string_view ZdZipRatio(const std::string& rec) { return ZdField(rec, kZdZipRatio, kZdZipRatioLen); }

// The date (yyyymmdd) and time of day (hhmmsscc) of the time stamp whose date starts at
// dateCol or whose time starts at clockCol.
inline std::string_view ZdDate(const std::string& rec, int dateCol) { return ZdField(rec, dateCol, kZdDateLen); }
inline std::string_view ZdClock(const std::string& rec, int clockCol) { return ZdField(rec, clockCol, kZdClockLen); }
inline std::string_view ZdStamp(const std::string& rec, int stampCol) { return ZdField(rec, stampCol, kZdTimeLen); }
// The column of the time of day within the stamp starting at stampCol.
constexpr int ZdClockCol(int stampCol) { return stampCol + kZdDateLen; }

// Fills a parent entry's fields: type "U", the fixed stamps, a zero size.
inline void ZdMarkParent(std::string& rec) {
  ZdPut(rec, kZdType, "U");
  ZdPut(rec, kZdWriteTime, kZdParentStamp);
  std::string stamp(ZdStamp(rec, kZdWriteTime));
  ZdPut(rec, kZdCreateTime, stamp);
  ZdPut(rec, kZdAccessTime, stamp);
  ZdPut(rec, kZdSize, std::string(kZdSizeLen, '0'));
}

}  // namespace tembra
