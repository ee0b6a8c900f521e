// libFuzzer target for the tar listing: the input is an archive file, plain or compressed.
// It is listed whole and with one member; every member's bytes are read (up to a bound).
// The first member must agree in both listings, a fault's offset must lie in the file, and
// a file member read without fault must give exactly its listed size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/tar_reader.h"

using namespace tembra;
using namespace tembra::archive;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const ReadAtFn read = [&](int64_t pos, char* buffer, long n) -> long {
    if (pos < 0 || pos > static_cast<int64_t>(in.size()) || n < 0) __builtin_trap();
    return static_cast<long>(in.copy(buffer, static_cast<size_t>(n), static_cast<size_t>(pos)));
  };
  const int64_t length = static_cast<int64_t>(in.size());
  const TarListing all = ListTar(read, length);
  const TarListing one = ListTar(read, length, 1);
  if (all.fault.at > length || one.fault.at > length) __builtin_trap();
  if (!all.members.empty() && (one.members.size() != 1 || one.members[0].name != all.members[0].name)) __builtin_trap();
  for (size_t i = 0; i < all.members.size() && i < 8; ++i) {
    int64_t got = 0;
    const DataFault f = ReadTarMember(read, length, i, [&](const char*, size_t n) {
      got += static_cast<int64_t>(n);
      return got < (int64_t{16} << 20);
    });
    if (f.at > length) __builtin_trap();
    if (!f && all.members[i].type == TarMember::kFile && got != all.members[i].size) __builtin_trap();
  }
  return 0;
}
