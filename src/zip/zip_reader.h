// Reading a ZIP archive's end record and central directory from any source of bytes,
// and turning each member into a directory record. Nothing here needs a window: the
// listing, the unit tests and the fuzzer all drive these functions directly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace tembra::zip {

// Bytes of an archive at 0-based positions. Reads never go past the end of the data.
class ZipSource {
 public:
  virtual ~ZipSource() = default;
  virtual int64_t Size() = 0;
  // Up to n bytes at pos; shorter (or empty) where the data ends or cannot be read.
  virtual std::string Read(int64_t pos, long n) = 0;
};

// An archive held in memory.
class BufferSource : public ZipSource {
 public:
  explicit BufferSource(std::string data) : data_(std::move(data)) {}
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  std::string Read(int64_t pos, long n) override;

 private:
  std::string data_;
};

// A source read through a function, a block at a time, so that the many small reads of
// the central directory become few large ones.
class BlockSource : public ZipSource {
 public:
  // read(pos, buffer, n) reads up to n bytes at 0-based pos and returns the count (< 0: error).
  using ReadFn = std::function<long(int64_t, char*, long)>;
  BlockSource(int64_t size, ReadFn read, long blockSize = 1 << 18)
      : size_(size < 0 ? 0 : size), read_(std::move(read)), block_(blockSize < 1 ? 1 : blockSize) {}
  int64_t Size() override { return size_; }
  std::string Read(int64_t pos, long n) override;

 private:
  int64_t size_;
  ReadFn read_;
  long block_;
  std::string cache_;
  int64_t cachePos_ = 0;
};

// Why an archive could not be listed.
enum class ZipStatus {
  Ok,
  TooSmall,      // shorter than an end record
  NoLeadingPK,   // the file does not start with "PK"
  BadEndRecord,  // no end record whose comment reaches exactly to the end of the file
  Zip64,         // a ZIP64 end record or locator that is missing or damaged
  BadHeader,     // a central-directory header without its signature
  Truncated,     // a header or its name, extra field or comment runs past the end
};

struct EndRecord {
  uint64_t count = 0;      // total number of entries
  uint64_t cdSize = 0;     // size of the central directory
  uint64_t cdOffset = 0;   // where the central directory starts
};

// One central-directory header.
struct CentralEntry {
  uint16_t flags = 0;
  uint16_t method = 0;     // how the data is compressed (0 stored, 8 deflate, ...)
  uint32_t crc32 = 0;      // of the member's plain bytes
  uint16_t dosTime = 0, dosDate = 0;
  uint64_t compressedSize = 0, size = 0;  // from the ZIP64 extra field where it holds them
  uint64_t localOffset = 0;  // where the member's local header starts (ZIP64 as the sizes)
  std::string name;        // as stored, cut at 4,096 bytes
  std::string extra;       // the extra field, cut where the 4,096 bytes after the header end
  int64_t extraPos = 0;    // 0-based file position of the extra field
};

// Little-endian number of `length` (1..4) bytes from 0-based `offset` of `text`, as a
// signed 32-bit value; bytes beyond the text count as 0.
int32_t NumGet(const std::string& text, int32_t offset, int32_t length);

// MS-DOS date as "yyyymmdd" and time as "hhmmss".
std::string DosDate(int32_t iDate);
std::string DosTime(int32_t iTime);

// Checks the leading "PK" and finds the end record: the last 22 bytes, or further back
// through an archive comment of up to 65,535 bytes. Where the end record marks its
// numbers as kept in the ZIP64 end record (or a ZIP64 locator precedes it), those are read.
ZipStatus ReadEndRecord(ZipSource& src, EndRecord& end);

// Walks the `end.count` headers of the central directory, calling onEntry for each.
// Sizes marked as kept in a ZIP64 extra field are taken from it. Stops at the first bad
// header; never reads outside the source.
ZipStatus ReadCentralDirectory(ZipSource& src, const EndRecord& end,
                               const std::function<void(const CentralEntry&)>& onEntry);

// The three FILETIMEs (modification, access, creation) of the NTFS block in a member's
// extra field; the time attribute is read from the source at extraPos onward.
bool NtfsTimes(ZipSource& src, const std::string& extra, int64_t extraPos, uint64_t times[3]);

// ">" and the three times as 14 digits each (modification, access, creation), separated
// by blanks: 45 characters. Empty when a time does not convert to a date in years
// 0..9999. `toCalendar` turns a FILETIME into calendar fields (local time or UTC).
std::string NtfsTimesText(const uint64_t times[3], const std::function<DateTime(uint64_t)>& toCalendar);

// Compression ratio text, right-aligned in 3 ("100", " 45", "5.3"); empty when the
// ratio is 0 (an empty member, or one that grew).
std::string RatioText(uint64_t compressedSize, uint64_t size);

// The directory record of one member. Without fullPath only the name after the last
// "/" or "\" is kept and folder entries give "" (not listed). ntfsText is the result of
// NtfsTimesText or empty. A size beyond the 12 size columns shows as the largest they hold.
// With utf8 (names in UTF-8) a name flagged as UTF-8 keeps its bytes and its upper-case
// copy is upper-cased character by character. shownName, where given, turns a name that
// is valid UTF-8 (flagged or not, as many tools write them) into the form file names
// are shown in; other names keep their bytes.
using ShownNameFn = std::function<std::string(const std::string&)>;
std::string MemberRecord(const CentralEntry& e, bool fullPath, const std::string& ntfsText, bool utf8 = false,
                         const ShownNameFn& shownName = {});

// The parent entry of a listing: the archive's full path.
std::string ArchiveParentRecord(const std::string& fullPath, bool utf8 = false);

}  // namespace tembra::zip
