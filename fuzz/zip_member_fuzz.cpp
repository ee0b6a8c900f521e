// libFuzzer target for reading ZIP members: the input is an archive file. Its central
// directory is read as the listing reads it, then every member's bytes: a member read
// without fault gives exactly its size and CRC, a fault's offset lies in the file, and
// reading never goes outside the data.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/zip_member.h"

using namespace tembra;
using namespace tembra::zip;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BufferSource src(std::string(reinterpret_cast<const char*>(data), size));
  EndRecord end;
  if (ReadEndRecord(src, end) != ZipStatus::Ok) return 0;
  int members = 0;
  ReadCentralDirectory(src, end, [&](const CentralEntry& e) {
    if (++members > 64) return;
    uint64_t got = 0;
    const DataFault f = archive::ReadZipMember(src, e, [&](const char*, size_t n) {
      got += n;
      return got < (uint64_t{16} << 20);
    });
    if (f.at > static_cast<int64_t>(size)) __builtin_trap();
    if (!f && got != e.size) __builtin_trap();
    if (f.kind == DataFault::kUnsupported && archive::ZipMethodUnread(e).empty()) __builtin_trap();
  });
  return 0;
}
