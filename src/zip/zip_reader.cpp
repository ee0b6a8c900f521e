// The archive reader: end record, central directory, NTFS times, member records.
#include "zip/zip_reader.h"

#include <algorithm>

#include "core/text.h"
#include "core/unicode.h"
#include "core/zdir_layout.h"

namespace tembra::zip {

namespace {

constexpr long kEndRecordSize = 22;
constexpr long kHeaderSize = 46;
constexpr long kNameWindow = 4096;   // name and extra field come from this many bytes
constexpr long kZip64LocatorSize = 20;
constexpr long kZip64EndSize = 56;   // the fixed part of the ZIP64 end record
constexpr long kMaxComment = 65535;

uint32_t U16(const std::string& s, int32_t offset) { return static_cast<uint32_t>(NumGet(s, offset, 2)); }
uint32_t U32(const std::string& s, int32_t offset) { return static_cast<uint32_t>(NumGet(s, offset, 4)); }
uint64_t U64(const std::string& s, int32_t offset) {
  return U32(s, offset) | (static_cast<uint64_t>(U32(s, offset + 4)) << 32);
}

}  // namespace

std::string BufferSource::Read(int64_t pos, long n) {
  if (pos < 0 || n <= 0 || pos >= Size()) return std::string();
  return data_.substr(static_cast<size_t>(pos), static_cast<size_t>(n));
}

std::string BlockSource::Read(int64_t pos, long n) {
  if (pos < 0 || n <= 0 || pos >= size_) return std::string();
  if (n > size_ - pos) n = static_cast<long>(size_ - pos);
  if (pos < cachePos_ || pos + n > cachePos_ + static_cast<int64_t>(cache_.size())) {
    long want = std::max(n, block_);
    if (want > size_ - pos) want = static_cast<long>(size_ - pos);
    cache_.assign(static_cast<size_t>(want), '\0');
    long got = read_(pos, cache_.data(), want);
    cache_.resize(got > 0 ? static_cast<size_t>(std::min(got, want)) : 0);
    cachePos_ = pos;
  }
  int64_t from = pos - cachePos_;
  if (from >= static_cast<int64_t>(cache_.size())) return std::string();
  return cache_.substr(static_cast<size_t>(from), static_cast<size_t>(n));
}

int32_t NumGet(const std::string& text, int32_t offset, int32_t length) {
  uint32_t value = 0;
  for (int32_t i = length - 1; i >= 0; --i) {
    int64_t at = static_cast<int64_t>(offset) + i;
    unsigned char b = (at >= 0 && at < static_cast<int64_t>(text.size())) ? static_cast<unsigned char>(text[at]) : 0;
    value = (value << 8) | b;
  }
  return static_cast<int32_t>(value);
}

std::string DosDate(int32_t iDate) {
  int32_t year = (iDate & 0xFE00) / 512 + 1980, month = (iDate & 0x1E0) / 32, day = iDate & 31;
  return Format(year, "0000") + Format(month, "00") + Format(day, "00");
}

std::string DosTime(int32_t iTime) {
  int32_t hour = (iTime & 0xF800) / 2048, minute = (iTime & 0x7E0) / 32, second = (iTime & 31) * 2;
  return Format(hour, "00") + Format(minute, "00") + Format(second, "00");
}

ZipStatus ReadEndRecord(ZipSource& src, EndRecord& end) {
  int64_t size = src.Size();
  if (size < kEndRecordSize) return ZipStatus::TooSmall;
  if (src.Read(0, 2) != "PK") return ZipStatus::NoLeadingPK;
  // Only the archive comment may follow the end record, so the record is the last one
  // whose comment length reaches exactly to the end of the file.
  int64_t from = std::max<int64_t>(0, size - kEndRecordSize - kMaxComment);
  std::string tail = src.Read(from, static_cast<long>(size - from));
  if (static_cast<int64_t>(tail.size()) != size - from) return ZipStatus::BadEndRecord;
  int64_t at = -1;
  for (int64_t p = static_cast<int64_t>(tail.size()) - kEndRecordSize; p >= 0; --p) {
    if (tail[static_cast<size_t>(p)] == 'P' && tail.compare(static_cast<size_t>(p), 4, "PK\x05\x06") == 0 &&
        static_cast<int64_t>(U16(tail, static_cast<int32_t>(p + 20))) == static_cast<int64_t>(tail.size()) - p - kEndRecordSize) {
      at = p;
      break;
    }
  }
  if (at < 0) return ZipStatus::BadEndRecord;
  std::string rec = tail.substr(static_cast<size_t>(at), kEndRecordSize);
  int64_t endPos = from + at;
  end.count = U16(rec, 10);
  end.cdSize = U32(rec, 12);
  end.cdOffset = U32(rec, 16);
  // ZIP64 marks the numbers it keeps elsewhere with all ones, and puts its end record and
  // a locator pointing at it before this one. The locator counts only where the central
  // directory does not end right at this record (its last bytes could look like one).
  bool marked = end.count == 0xFFFF || end.cdSize == 0xFFFFFFFFu || end.cdOffset == 0xFFFFFFFFu;
  bool locator = endPos >= kZip64LocatorSize && end.cdOffset + end.cdSize != static_cast<uint64_t>(endPos) &&
                 src.Read(endPos - kZip64LocatorSize, 4) == "PK\x06\x07";
  if (marked || locator) {
    if (!locator) return ZipStatus::Zip64;
    std::string loc = src.Read(endPos - kZip64LocatorSize, kZip64LocatorSize);
    if (loc.size() != static_cast<size_t>(kZip64LocatorSize)) return ZipStatus::Zip64;
    uint64_t z64 = U64(loc, 8);
    // The ZIP64 end record lies wholly before its locator.
    if (z64 > static_cast<uint64_t>(endPos - kZip64LocatorSize - kZip64EndSize)) return ZipStatus::Zip64;
    std::string z = src.Read(static_cast<int64_t>(z64), kZip64EndSize);
    if (z.size() != static_cast<size_t>(kZip64EndSize) || z.compare(0, 4, "PK\x06\x06") != 0) return ZipStatus::Zip64;
    end.count = U64(z, 32);
    end.cdSize = U64(z, 40);
    end.cdOffset = U64(z, 48);
  }
  // Every header takes at least 46 bytes: a count that cannot fit is a damaged record.
  if (end.cdOffset > static_cast<uint64_t>(size) ||
      end.count > (static_cast<uint64_t>(size) - end.cdOffset) / static_cast<uint64_t>(kHeaderSize))
    return ZipStatus::Truncated;
  return ZipStatus::Ok;
}

namespace {

// Sizes kept in the ZIP64 extra block (ID 1): the uncompressed size, the compressed size
// and the local header's offset, each present only where the header's own field is all ones.
void Zip64Sizes(const std::string& extra, CentralEntry& e) {
  size_t o = 0;
  while (o + 4 <= extra.size()) {
    uint32_t id = U16(extra, static_cast<int32_t>(o)), len = U16(extra, static_cast<int32_t>(o + 2));
    if (id == 1) {
      std::string data = extra.substr(o + 4, len);
      size_t d = 0;
      if (e.size == 0xFFFFFFFFu && d + 8 <= data.size()) {
        e.size = U64(data, static_cast<int32_t>(d));
        d += 8;
      }
      if (e.compressedSize == 0xFFFFFFFFu && d + 8 <= data.size()) {
        e.compressedSize = U64(data, static_cast<int32_t>(d));
        d += 8;
      }
      if (e.localOffset == 0xFFFFFFFFu && d + 8 <= data.size()) e.localOffset = U64(data, static_cast<int32_t>(d));
      return;
    }
    o += 4 + len;
  }
}

}  // namespace

ZipStatus ReadCentralDirectory(ZipSource& src, const EndRecord& end,
                               const std::function<void(const CentralEntry&)>& onEntry) {
  int64_t size = src.Size();
  if (end.cdOffset > static_cast<uint64_t>(size)) return ZipStatus::Truncated;
  int64_t pos = static_cast<int64_t>(end.cdOffset);
  CentralEntry e;
  for (uint64_t i = 0; i < end.count; ++i) {
    std::string h = src.Read(pos, kHeaderSize);
    if (h.size() != static_cast<size_t>(kHeaderSize)) return ZipStatus::Truncated;
    if (h.compare(0, 2, "PK") != 0 || h[2] != 1 || h[3] != 2) return ZipStatus::BadHeader;
    e.flags = static_cast<uint16_t>(U16(h, 8));
    e.method = static_cast<uint16_t>(U16(h, 10));
    e.crc32 = U32(h, 16);
    e.localOffset = U32(h, 42);
    e.dosTime = static_cast<uint16_t>(U16(h, 12));
    e.dosDate = static_cast<uint16_t>(U16(h, 14));
    e.compressedSize = U32(h, 20);
    e.size = U32(h, 24);
    uint32_t n = U16(h, 28), x = U16(h, 30), c = U16(h, 32);
    int64_t next = pos + kHeaderSize + n + x + c;
    if (next > size) return ZipStatus::Truncated;
    std::string window = src.Read(pos + kHeaderSize, std::min<long>(kNameWindow, static_cast<long>(n + x)));
    e.name = window.substr(0, std::min<size_t>(n, window.size()));
    e.extra = n < window.size() ? window.substr(n, x) : std::string();
    e.extraPos = pos + kHeaderSize + n;
    if (e.size == 0xFFFFFFFFu || e.compressedSize == 0xFFFFFFFFu || e.localOffset == 0xFFFFFFFFu)
      Zip64Sizes(e.extra.size() == x ? e.extra : src.Read(e.extraPos, static_cast<long>(x)), e);
    onEntry(e);
    pos = next;
  }
  return ZipStatus::Ok;
}

bool NtfsTimes(ZipSource& src, const std::string& extra, int64_t extraPos, uint64_t times[3]) {
  int64_t len = static_cast<int64_t>(extra.size());
  int64_t o = 0;
  // Find the NTFS block (ID 10) among the blocks of the extra field.
  for (;;) {
    if (o + 4 > len) return false;
    int32_t id = NumGet(extra, static_cast<int32_t>(o), 2);
    int32_t blockSize = NumGet(extra, static_cast<int32_t>(o + 2), 2);
    if (id == 10 && blockSize >= 32) break;
    o += blockSize + 4;
  }
  int32_t blockSize = NumGet(extra, static_cast<int32_t>(o + 2), 2);
  // Its attributes follow 4 reserved bytes: tag, size, data; tag 1 of 24 bytes holds the times.
  int64_t pos = extraPos + o + 8;
  int64_t remaining = blockSize - 4;
  while (remaining >= 1) {
    std::string head = src.Read(pos, 4);
    if (head.size() != 4) return false;
    int32_t tag = NumGet(head, 0, 2), attrSize = NumGet(head, 2, 2);
    if (tag == 1 && attrSize == 24) {
      std::string data = src.Read(pos + 4, 24);
      if (data.size() != 24) return false;
      for (int k = 0; k < 3; ++k)
        times[k] = static_cast<uint64_t>(static_cast<uint32_t>(NumGet(data, 8 * k, 4))) |
                   (static_cast<uint64_t>(static_cast<uint32_t>(NumGet(data, 8 * k + 4, 4))) << 32);
      return true;
    }
    pos += 4 + attrSize;
    remaining -= 4 + attrSize;
  }
  return false;
}

std::string NtfsTimesText(const uint64_t times[3], const std::function<DateTime(uint64_t)>& toCalendar) {
  // Times beyond year 9999 (or nonsense values) would not fit their 14 digits.
  constexpr uint64_t kYear10000 = 2650467744000000000ULL;
  std::string out = ">";
  for (int k = 0; k < 3; ++k) {
    if (times[k] >= kYear10000) return std::string();
    DateTime t = toCalendar(times[k]);
    if (t.year < 0 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
      return std::string();
    if (k > 0) out += " ";
    out += Format(t.year, "0000") + Format(t.month, "00") + Format(t.day, "00") + Format(t.hour, "00") +
           Format(t.minute, "00") + Format(t.second, "00");
  }
  return out;
}

std::string RatioText(uint64_t compressedSize, uint64_t size) {
  double r = (compressedSize <= size && size != 0)
                 ? static_cast<double>(compressedSize) / static_cast<double>(size) * 100.0
                 : 0.0;
  if (r <= 0) return std::string();
  std::string text;
  if (r > 99.5) text = "100";
  else if (r < 10) text = Format(r, "0.0");
  else text = Format(r, "#00");
  // Just below 10 the one-decimal form rounds up to four characters; the field has three.
  if (text.size() > static_cast<size_t>(kZdZipRatioLen)) text = Format(r, "#00");
  return Space(kZdZipRatioLen - static_cast<long>(text.size())) + text;
}

std::string MemberRecord(const CentralEntry& e, bool fullPath, const std::string& ntfsText, bool utf8,
                         const ShownNameFn& shownName) {
  std::string name = e.name;
  if (shownName && IsValidUtf8(name)) {
    name = shownName(name);
  } else if ((e.flags & 0x800) && !utf8) {
    // Names flagged as UTF-8 are shown in the single-byte code page when they fit it
    // (in UTF-8 they are shown as they are).
    bool ok = false;
    std::string converted = Utf8ToCp1252(name, &ok);
    if (ok) name = converted;
  }
  bool folder = !name.empty() && (name.back() == '/' || name.back() == '\\');
  if (!fullPath) {
    if (folder) return std::string();
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
  }
  std::string rec = ZdNewRecord(UpperName(name, utf8), name);
  if (name.empty()) ZdPut(rec, kZdIgnore, "*");
  ZdPutNameLength(rec, static_cast<int64_t>(name.size()), kZdThreeDigits);
  ZdPut(rec, kZdType, (fullPath && folder && e.compressedSize == 0) ? "D" : "F");
  std::string ratio = RatioText(e.compressedSize, e.size);
  if (!ratio.empty()) ZdPut(rec, kZdZipTag, std::string(kZdZipTagText) + ratio);
  if (!ntfsText.empty()) {
    // ">" and the write, access and creation times, 14 digits each, blank-separated.
    ZdPut(rec, kZdWriteTime, ntfsText.substr(1, 14));
    ZdPut(rec, kZdAccessTime, ntfsText.substr(16, 14));
    ZdPut(rec, kZdCreateTime, ntfsText.substr(31, 14));
  } else {
    std::string stamp = DosDate(e.dosDate) + DosTime(e.dosTime);
    ZdPut(rec, kZdWriteTime, stamp);
    ZdPut(rec, kZdCreateTime, stamp);
    ZdPut(rec, kZdAccessTime, stamp);
  }
  ZdPutSize(rec, std::min(e.size, kZdSizeMax), kZdZipSizeDigits);
  ZdPutChar(rec, kZdExtLen, '0');
  return rec;
}

std::string ArchiveParentRecord(const std::string& fullPath, bool utf8) {
  std::string rec = ZdNewRecord(UpperName(fullPath, utf8), fullPath);
  ZdPutNameLength(rec, static_cast<int64_t>(fullPath.size()), kZdThreeDigits);
  ZdMarkParent(rec);
  return rec;
}

}  // namespace tembra::zip
