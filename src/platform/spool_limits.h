// How far a source of unknown size (a pipe, standard input) is copied into its temporary
// file, on every host. Included by the platform layers only, never by the core (which
// learns the bound from the stream's state).
#pragma once

#include <cstdint>
#include <cstdlib>

namespace tembra {

// The most bytes such a source is read to: TEMBRA_SPOOL_LIMIT (bytes) when set, else
// kSpoolBound; reading stops sooner when the temporary folder would keep less than
// kSpoolReserve bytes free.
constexpr int64_t kSpoolBound = int64_t{4} << 30;
constexpr int64_t kSpoolReserve = int64_t{256} << 20;

inline int64_t SpoolBound() {
  const char* env = std::getenv("TEMBRA_SPOOL_LIMIT");
  if (env && *env) {
    char* end = nullptr;
    const long long n = std::strtoll(env, &end, 10);
    if (end && *end == '\0' && n > 0) return n;
  }
  return kSpoolBound;
}

}  // namespace tembra
