// libFuzzer target for the archive reader: the input is a whole archive file. It is read
// once from memory and once through small blocks (the end record found through a comment
// and the ZIP64 records read on the way), and every member is turned into records
// in both listing modes, as the ZIP listing does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/zdir_layout.h"
#include "zip/zip_reader.h"

using namespace tembra;
using namespace tembra::zip;

namespace {

// FILETIME to UTC calendar fields.
DateTime ToCalendar(uint64_t ft) {
  int64_t secs = static_cast<int64_t>(ft / 10000000ULL) - 11644473600LL;
  int64_t days = secs / 86400, rem = secs % 86400;
  if (rem < 0) {
    rem += 86400;
    --days;
  }
  int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097, yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  DateTime d;
  d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2));
  d.hour = static_cast<int>(rem / 3600);
  d.minute = static_cast<int>(rem / 60 % 60);
  d.second = static_cast<int>(rem % 60);
  return d;
}

void ListAll(ZipSource& src) {
  EndRecord end;
  if (ReadEndRecord(src, end) != ZipStatus::Ok) return;
  // Whether from the plain or the ZIP64 end record, the central directory lies in the file.
  if (end.cdOffset > static_cast<uint64_t>(src.Size()) || end.count > static_cast<uint64_t>(src.Size()) / 46)
    __builtin_trap();
  ReadCentralDirectory(src, end, [&](const CentralEntry& e) {
    uint64_t times[3];
    std::string ntfs;
    if (NtfsTimes(src, e.extra, e.extraPos, times)) ntfs = NtfsTimesText(times, ToCalendar);
    if (!ntfs.empty() && ntfs.size() != 45) __builtin_trap();
    for (bool fullPath : {false, true}) {
      std::string rec = MemberRecord(e, fullPath, ntfs);
      // The fixed columns must keep their places whatever the archive holds.
      // A ZIP64 size never spills out of its 12 columns.
      if (!rec.empty() && (rec.size() < static_cast<size_t>(kZdHeadLen) || ZdChar(rec, kZdType) == ' ' ||
                           ZdChar(rec, kZdHasDot) != ' '))
        __builtin_trap();
    }
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  BufferSource whole(bytes);
  ListAll(whole);
  BlockSource blocks(static_cast<int64_t>(bytes.size()), [&](int64_t pos, char* buffer, long n) {
    if (pos < 0 || n < 0 || pos + n > static_cast<int64_t>(bytes.size())) __builtin_trap();
    bytes.copy(buffer, static_cast<size_t>(n), static_cast<size_t>(pos));
    return n;
  }, 13);
  ListAll(blocks);
  return 0;
}
