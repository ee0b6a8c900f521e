// Line-end masks: a portable loop, SSE2, and AVX2 where the processor has it (chosen
// once at run time).
#include "viewer/line_masks.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if TEMBRA_HAVE_AVX2
#include <immintrin.h>
#endif

namespace tembra {

namespace {

void MasksPortableOne(const unsigned char* p, uint64_t& crOut, uint64_t& lfOut) {
  uint64_t cr = 0, lf = 0;
  for (int i = 0; i < 64; ++i) {
    cr |= static_cast<uint64_t>(p[i] == '\r') << i;
    lf |= static_cast<uint64_t>(p[i] == '\n') << i;
  }
  crOut = cr;
  lfOut = lf;
}

[[maybe_unused]] void MasksPortable(const unsigned char* p, int32_t blocks, uint64_t* crs, uint64_t* lfs) {
  for (int32_t k = 0; k < blocks; ++k, p += 64) MasksPortableOne(p, crs[k], lfs[k]);
}

#if defined(__SSE2__)
void MasksSse2(const unsigned char* p, int32_t blocks, uint64_t* crs, uint64_t* lfs) {
  const __m128i vcr = _mm_set1_epi8('\r');
  const __m128i vlf = _mm_set1_epi8('\n');
  for (int32_t k = 0; k < blocks; ++k, p += 64) {
    uint64_t cr = 0, lf = 0;
    for (int q = 0; q < 4; ++q) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * q));
      cr |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vcr)))) << (16 * q);
      lf |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vlf)))) << (16 * q);
    }
    crs[k] = cr;
    lfs[k] = lf;
  }
}
#endif

#if TEMBRA_HAVE_AVX2
__attribute__((target("avx2"))) void MasksAvx2(const unsigned char* p, int32_t blocks, uint64_t* crs, uint64_t* lfs) {
  const __m256i vcr = _mm256_set1_epi8('\r');
  const __m256i vlf = _mm256_set1_epi8('\n');
  for (int32_t k = 0; k < blocks; ++k, p += 64) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    uint64_t crLo = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, vcr)));
    uint64_t crHi = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, vcr)));
    uint64_t lfLo = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, vlf)));
    uint64_t lfHi = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, vlf)));
    crs[k] = crLo | (crHi << 32);
    lfs[k] = lfLo | (lfHi << 32);
  }
}
#endif

using MasksFn = void (*)(const unsigned char*, int32_t, uint64_t*, uint64_t*);

// The widest vectors this processor has, chosen once.
MasksFn ChooseMasks() {
#if TEMBRA_HAVE_AVX2
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return MasksAvx2;
#endif
#if defined(__SSE2__)
  return MasksSse2;
#else
  return MasksPortable;
#endif
}

}  // namespace

void SegmentMasks(const unsigned char* buf, int32_t valid, uint64_t* crs, uint64_t* lfs) {
  static const MasksFn fn = ChooseMasks();
  const int32_t whole = valid / 64;
  fn(buf, whole, crs, lfs);
  // The bytes after the last whole block are copied first: nothing past `valid` is read.
  if (valid % 64 != 0) {
    alignas(64) unsigned char last[64] = {};
    std::memcpy(last, buf + int64_t{whole} * 64, static_cast<size_t>(valid % 64));
    MasksPortableOne(last, crs[whole], lfs[whole]);
  }
}

}  // namespace tembra
