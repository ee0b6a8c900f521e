// How far a source of unknown size (a pipe, standard input) is copied into its temporary
// file, and how its copying stands, on every host. Included by the platform layers only,
// never by the core (which learns the bound from the stream's state).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>

#include "platform/platform.h"

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

// The state of a host's spool (its bound, whether it still runs, and why it stopped): read
// by the viewer's thread while the spool's thread copies, which writes stop and error
// before `running` turns false.
template <class SpoolOfHost>
FileSystem::StreamState SpoolState(const SpoolOfHost& spool) {
  FileSystem::StreamState s;
  s.stream = true;
  s.bound = spool.bound;
  s.running = spool.running.load(std::memory_order_acquire);
  if (!s.running) {
    s.stop = spool.stop;
    s.error = spool.error;
    s.fault = spool.fault;
  }
  return s;
}

// After a spool's Put wrote n bytes: false (putStop set) once the bound is reached or the
// temporary folder keeps too little free (asked every 8 MiB of `freeBytes()`).
template <class SpoolOfHost, class FreeBytes>
bool SpoolMayGoOn(SpoolOfHost& s, size_t n, FreeBytes freeBytes) {
  if (s.written >= s.bound) {
    s.putStop = FileSystem::StreamStop::kBound;
    return false;
  }
  s.sinceCheck += static_cast<int64_t>(n);
  if (s.sinceCheck < (8 << 20)) return true;
  s.sinceCheck = 0;
  const int64_t left = freeBytes();
  if (left < 0 || left >= kSpoolReserve) return true;
  s.putStop = FileSystem::StreamStop::kFull;
  return false;
}

// Runs a spool's work into its file through its Put, then ends the spool: where Put refused
// more (the bound, a full disk, a write error, a dropped spool), for the work's own fault
// (kReadError, its text as the error), or at the end.
template <class SpoolOfHost>
void RunSpoolWork(SpoolOfHost& s) {
  const DataFault f = s.work([&s](const char* data, size_t n) { return s.Put(data, n); });
  if (f.kind == DataFault::kCancelled || (!f && s.putStop != FileSystem::StreamStop::kEnd))
    return s.Ended(s.putStop, s.putError);
  if (!f) return s.Ended(FileSystem::StreamStop::kEnd, 0);
  s.fault = f;
  s.error = f.text;
  s.Ended(FileSystem::StreamStop::kReadError, 0);
}

}  // namespace tembra
