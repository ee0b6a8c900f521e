// FILETIME values (100 ns ticks since 1601-01-01 UTC) for tests.
#pragma once

#include <cstdint>
#include <ctime>

namespace tembra::testutil {

inline uint64_t FileTimeOfUnix(int64_t unixSeconds, int ms = 0) {
  return static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL + static_cast<uint64_t>(ms) * 10000ULL;
}

// FILETIME of a UTC calendar time.
inline uint64_t FileTime(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return FileTimeOfUnix(static_cast<int64_t>(timegm(&t)), ms);
}

}  // namespace tembra::testutil
