// The candidate scan of the substring searches: starts whose first byte is one of two
// values and whose last byte (m - 1 further) is one of two, sixteen starts at a time.
#pragma once

#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tembra {

// Scans whole blocks of 16 starts from i up to hi, advancing i past them, and returns
// the first candidate that accept(start) takes; -1 when none does (the starts from i to
// hi are then left to the caller; without SSE2 all of them are).
template <class Accept>
int64_t ScanFirstLast(const unsigned char* t, int64_t& i, int64_t hi, int64_t m, unsigned char first1,
                      unsigned char first2, unsigned char last1, unsigned char last2, Accept accept) {
#if defined(__SSE2__)
  const __m128i f1 = _mm_set1_epi8(static_cast<char>(first1));
  const __m128i f2 = _mm_set1_epi8(static_cast<char>(first2));
  const __m128i l1 = _mm_set1_epi8(static_cast<char>(last1));
  const __m128i l2 = _mm_set1_epi8(static_cast<char>(last2));
  for (; i + 15 <= hi; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const __m128i z = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + m - 1));
    const __m128i ma = _mm_or_si128(_mm_cmpeq_epi8(a, f1), _mm_cmpeq_epi8(a, f2));
    const __m128i mz = _mm_or_si128(_mm_cmpeq_epi8(z, l1), _mm_cmpeq_epi8(z, l2));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ma, mz)));
    while (mask) {
      const int64_t c = i + __builtin_ctz(mask);
      if (accept(c)) return c;
      mask &= mask - 1;
    }
  }
#else
  (void)t, (void)hi, (void)m, (void)first1, (void)first2, (void)last1, (void)last2, (void)accept;
#endif
  return -1;
}

}  // namespace tembra
