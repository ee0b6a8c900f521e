// Builds small ZIP archives in memory for the reader's tests and the fuzzer's seeds.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ziptest {

struct Member {
  Member(std::string n, uint32_t c = 0, uint32_t s = 0, uint16_t t = 0x6000, uint16_t d = 0x5A21)
      : name(std::move(n)), compressedSize(c), size(s), dosTime(t), dosDate(d) {}
  std::string name;
  uint32_t compressedSize, size;
  uint16_t dosTime, dosDate;
  std::string extra, comment;
  uint16_t flags = 0;
};

inline std::string Le(uint64_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

// An NTFS extra block holding the three FILETIMEs (modification, access, creation).
inline std::string NtfsBlock(uint64_t mtime, uint64_t atime, uint64_t ctime) {
  return Le(0x000A, 2) + Le(32, 2) + Le(0, 4) + Le(1, 2) + Le(24, 2) + Le(mtime, 8) + Le(atime, 8) + Le(ctime, 8);
}

inline std::string CentralHeader(const Member& m) {
  return std::string("PK\x01\x02", 4) + Le(20, 2) + Le(20, 2) + Le(m.flags, 2) + Le(0, 2) + Le(m.dosTime, 2) +
         Le(m.dosDate, 2) + Le(0, 4) + Le(m.compressedSize, 4) + Le(m.size, 4) + Le(m.name.size(), 2) +
         Le(m.extra.size(), 2) + Le(m.comment.size(), 2) + Le(0, 2) + Le(0, 2) + Le(0, 4) + Le(0, 4) + m.name +
         m.extra + m.comment;
}

inline std::string EndRecord(uint32_t count, uint32_t cdSize, uint32_t cdOffset, const std::string& comment = "") {
  return std::string("PK\x05\x06", 4) + Le(0, 2) + Le(0, 2) + Le(count, 2) + Le(count, 2) + Le(cdSize, 4) +
         Le(cdOffset, 4) + Le(comment.size(), 2) + comment;
}

// Local data is a stand-in: the reader only looks at the central directory.
inline std::string Archive(const std::vector<Member>& members) {
  std::string data = std::string("PK\x03\x04", 4) + std::string(26, '\0');
  std::string cd;
  for (const Member& m : members) cd += CentralHeader(m);
  uint32_t offset = static_cast<uint32_t>(data.size());
  return data + cd + EndRecord(static_cast<uint32_t>(members.size()), static_cast<uint32_t>(cd.size()), offset);
}

}  // namespace ziptest
