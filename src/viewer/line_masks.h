// Line ends of a stretch of bytes as bit masks, found with the widest vectors the
// processor has: the first step of indexing, shared by the one-thread scan and the
// pieces read ahead.
#pragma once

#include <cstdint>

#include "viewer/viewer_state.h"

// AVX2 and the newer bit instructions are used where the processor has them, chosen at
// run time.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TEMBRA_HAVE_AVX2 1
#else
#define TEMBRA_HAVE_AVX2 0
#endif

namespace tembra {

// Line-end bit masks of a segment: bit i of Cr[k] / Lf[k] is set when byte 64k + i is a
// CR / an LF. Bytes from `valid` on are not the file's and give no bits.
struct LineEndMasks {
  uint64_t Cr[kSegBytes / 64];
  uint64_t Lf[kSegBytes / 64];
};

// Masks of the first `valid` bytes of a buffer, into arrays of (valid + 63) / 64 words.
void SegmentMasks(const unsigned char* buf, int32_t valid, uint64_t* crs, uint64_t* lfs);

}  // namespace tembra
