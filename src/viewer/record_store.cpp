// The record index: appending records (from line-end masks, many at a time), the
// checkpoints of every 16th record's address, and finding a record by number.
#include "viewer/record_store.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "viewer/line_masks.h"

// The store loop's wide form: AVX-512 where the compiler and the processor have it (not on
// Windows, whose stack the compiler cannot align for it).
#if TEMBRA_HAVE_AVX2 && !defined(_WIN32)
#define TEMBRA_HAVE_AVX512 1
// GCC 12 warns of its own AVX-512 intrinsics' undefined first values.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#else
#define TEMBRA_HAVE_AVX512 0
#endif

namespace tembra {

namespace {

constexpr int kLookupNext = 0, kLookupPrev = 1, kLookupSame = 2, kLookupRandom = 3;

// Growth of the record table: whole blocks of 16,384 entries, about 1.4 times larger.
__attribute__((noinline)) void GrowRecLens(ViewerState& v) {
  int64_t newMax = (((v.RecLens.Max() + 1) / 16384 + 1) * 7 / 5) * 16384 - 1;
  v.RecLens.Resize(newMax);
}

// The address table grows in blocks of 1,024 entries, about 1.33 times larger.
void GrowRecAddrs(ViewerState& v) {
  int64_t newMax = (((v.RecAddrs.Max() + 1) / 1024 * 4 + 4) / 3) * 1024 - 1;
  v.RecAddrs.Resize(newMax);
}

// The high 32 bits of checkpoint k's address, where they differ from the one before.
inline void NoteAddrHigh(ViewerState& v, int64_t k, int64_t addr) {
  const uint32_t high = static_cast<uint32_t>(static_cast<uint64_t>(addr) >> 32);
  const uint32_t before = v.RecAddrHigh.empty() ? 0 : v.RecAddrHigh.back().high;
  if (high != before) v.RecAddrHigh.push_back({k, high});
}

// A line's length entry: short lines in the entry itself, longer ones beside it.
inline uint16_t LineEntry(ViewerState& v, int32_t n, int64_t len, int32_t ends) {
  if (len < kLongEntry) return static_cast<uint16_t>((ends << 12) | len);
  v.LongRecs.push_back({n, len});
  return static_cast<uint16_t>(kLongFlag | (ends << 12) | 4095);
}

// Every 16th record's address; the table grows in blocks of 1,024, about 1.33 times.
__attribute__((noinline)) void StoreCheckpoint(ViewerState& v, int64_t RecPointer) {
  if (v.nNextCheckpoint == 1) {
    v.RecAddrs.Resize(1023);
    v.RecAddrs[0] = 0;
    v.RecLens[0] = 4096;
    v.nNextCheckpoint = 16;
    return;
  }
  int64_t k = v.nNextCheckpoint / 16;
  if (k > v.RecAddrs.Max()) GrowRecAddrs(v);
  v.RecAddrs[k] = static_cast<uint32_t>(RecPointer);
  NoteAddrHigh(v, k, RecPointer);
  v.nNextCheckpoint += 16;
}

// Appends one record to the index (the body of StoreRecordPointers, inlined into the scan).
// It is counted last, so that a table that cannot grow leaves the index as it was (with
// DropUnstored).
inline void StoreRecord(ViewerState& v, int64_t RecPointer, int64_t RecLen, int32_t RecFlags) {
  const int32_t n = v.nRecCount + 1;
  if (n > v.RecLens.Max()) GrowRecLens(v);
  v.RecLens[n] = RecLen < kLongEntry ? static_cast<uint16_t>(RecFlags * 4096 + RecLen) : LineEntry(v, n, RecLen, RecFlags);
  if (n == v.nNextCheckpoint) StoreCheckpoint(v, RecPointer);
  v.nRecCount = n;
  v.nLastRecPointer = RecPointer;
  if (RecLen > v.nLongestRec) v.nLongestRec = static_cast<int32_t>(std::min<int64_t>(RecLen, INT32_MAX));
}

#if defined(__GNUC__) || defined(__clang__)
#define TEMBRA_ALWAYS_INLINE inline __attribute__((always_inline))
#define TEMBRA_LAMBDA_INLINE __attribute__((always_inline))
#else
#define TEMBRA_ALWAYS_INLINE inline
#define TEMBRA_LAMBDA_INLINE
#endif

// Checkpoint n >> 4: the address of record n (a multiple of 16); `high` is the high 32
// bits of the last checkpoint noted.
__attribute__((noinline)) void StoreCheckpointAt(ViewerState& v, uint32_t* addrs, int32_t n, int64_t addr,
                                                 uint32_t& high) {
  addrs[n >> 4] = static_cast<uint32_t>(addr);
  if (static_cast<uint32_t>(static_cast<uint64_t>(addr) >> 32) != high) {
    high = static_cast<uint32_t>(static_cast<uint64_t>(addr) >> 32);
    v.RecAddrHigh.push_back({n >> 4, high});
  }
}

// Bytes of a piece whose line ends are listed at a time (the list stays in the first-level
// cache), and the list's room: every byte an end, and up to fifteen written past the last.
constexpr int32_t kFlatBytes = 2048;
constexpr int32_t kFlatRoom = kFlatBytes + 16;

// Lists the line ends in the bytes [from, to) of a piece, whose line-end masks crs / lfs
// cover `valid` bytes (from is a multiple of 64): each as (offset << 1) | pair, where pair
// is 1 for a two-byte end (CR LF; with Lines, the CR before the LF, since then only an LF
// ends a line and the offset is the LF's). crBefore: a CR as the byte before `from`,
// updated to the one before `to`. Returns how many; four list entries (eight past four
// ends) are written whatever the count of a word, so that the common words need no
// branch per end.
// The line ends of block k (bytes blk..blk + 63, of which those before `to` count) and
// which of them are two-byte ends; crBefore as for ListEnds.
template <bool Lines>
TEMBRA_ALWAYS_INLINE void BlockEnds(const uint64_t* crs, const uint64_t* lfs, int32_t k, int32_t blk, int32_t to,
                                    int32_t blocks, uint64_t& crBefore, uint64_t& ends, uint64_t& pairs) {
  const uint64_t cr = crs[k], lf = lfs[k];
  if constexpr (Lines) {
    pairs = lf & ((cr << 1) | crBefore);
    ends = lf;
  } else {
    // A CR followed by an LF ends its record with both bytes; that LF ends nothing.
    const uint64_t lfAfter = k + 1 < blocks ? (lfs[k + 1] & 1) : 0;
    pairs = cr & ((lf >> 1) | (lfAfter << 63));
    ends = cr | (lf & ~((cr << 1) | crBefore));
  }
  crBefore = cr >> 63;
  if (to - blk < 64) ends &= (uint64_t{1} << (to - blk)) - 1;
}

// The list entry of the lowest of a block's ends, which it takes away (with no end left,
// an entry past the list's end).
TEMBRA_ALWAYS_INLINE void ListOne(uint64_t& ends, uint64_t pairs, uint32_t base, uint32_t& entry) {
  const uint32_t bit = static_cast<uint32_t>(__builtin_ctzll(ends | (uint64_t{1} << 63)));
  entry = base + (bit << 1) + static_cast<uint32_t>((pairs >> bit) & 1);
  ends &= ends - 1;
}

template <bool Lines>
TEMBRA_ALWAYS_INLINE int32_t ListEnds(const uint64_t* crs, const uint64_t* lfs, int32_t from, int32_t to,
                                      int32_t valid, uint64_t& crBefore, uint32_t* out) {
  const int32_t blocks = (valid + 63) / 64;
  uint32_t* o = out;
  for (int32_t k = from / 64, blk = from; blk < to; ++k, blk += 64) {
    uint64_t ends, pairs;
    BlockEnds<Lines>(crs, lfs, k, blk, to, blocks, crBefore, ends, pairs);
    const int32_t count = __builtin_popcountll(ends);
    const uint32_t base = static_cast<uint32_t>(blk) << 1;
    auto one = [&](int32_t t) { ListOne(ends, pairs, base, o[t]); };
#pragma GCC unroll 4
    for (int32_t t = 0; t < 4; ++t) one(t);
    if (count > 4) {
#pragma GCC unroll 4
      for (int32_t t = 4; t < 8; ++t) one(t);
      for (int32_t t = 8; t < count; ++t) one(t);
    }
    o += count;
  }
  return static_cast<int32_t>(o - out);
}

#if TEMBRA_HAVE_AVX512
// ListEnds with AVX-512 VBMI2: the ends of a block are compressed out of one vector of
// their list bytes ((offset << 1) | pair within the block) and widened sixteen at a time.
template <bool Lines>
__attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi2,avx2,bmi,bmi2,popcnt"))) int32_t ListEndsWide(
    const uint64_t* crs, const uint64_t* lfs, int32_t from, int32_t to, int32_t valid, uint64_t& crBefore,
    uint32_t* out) {
  const int32_t blocks = (valid + 63) / 64;
  const __m512i twice = _mm512_set_epi8(126, 124, 122, 120, 118, 116, 114, 112, 110, 108, 106, 104, 102, 100, 98, 96,
                                        94, 92, 90, 88, 86, 84, 82, 80, 78, 76, 74, 72, 70, 68, 66, 64, 62, 60, 58, 56,
                                        54, 52, 50, 48, 46, 44, 42, 40, 38, 36, 34, 32, 30, 28, 26, 24, 22, 20, 18, 16,
                                        14, 12, 10, 8, 6, 4, 2, 0);
  const __m512i oneByte = _mm512_set1_epi8(1);
  uint32_t* o = out;
  for (int32_t k = from / 64, blk = from; blk < to; ++k, blk += 64) {
    uint64_t ends, pairs;
    BlockEnds<Lines>(crs, lfs, k, blk, to, blocks, crBefore, ends, pairs);
    const int32_t count = __builtin_popcountll(ends);
    const uint32_t base = static_cast<uint32_t>(blk) << 1;
    const __m512i bytes = _mm512_mask_add_epi8(twice, pairs, twice, oneByte);
    const __m512i listed = _mm512_maskz_compress_epi8(ends, bytes);
    const __m512i add = _mm512_set1_epi32(static_cast<int32_t>(base));
    _mm512_storeu_si512(o, _mm512_add_epi32(add, _mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(listed, 0))));
    if (__builtin_expect(count > 16, 0)) {
      _mm512_storeu_si512(o + 16, _mm512_add_epi32(add, _mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(listed, 1))));
      if (count > 32)
        _mm512_storeu_si512(o + 32, _mm512_add_epi32(add, _mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(listed, 2))));
      if (count > 48)
        _mm512_storeu_si512(o + 48, _mm512_add_epi32(add, _mm512_cvtepu8_epi32(_mm512_extracti32x4_epi32(listed, 3))));
    }
    o += count;
  }
  return static_cast<int32_t>(o - out);
}
#endif

#if TEMBRA_HAVE_AVX512
// Where the store loop stands, handed to the wide loop and back.
struct WideState {
  uint16_t* lens;
  uint32_t* addrs;
  ViewerState* v;
  int64_t pieceStart;
  int64_t b;        // start of the next record, relative to the piece
  int32_t n;        // records stored
  int32_t longest;  // the longest length the wide loop stored
  uint32_t high;    // high 32 bits of the last checkpoint noted
  int32_t maxLen;   // the longest record it may store (longer ones are cut or long entries)
};

// Stores the records of line ends list[0..count) sixteen at a time, as the loop of
// StorePieceBody does one at a time, while every record of a group is at most maxLen long;
// returns how many ends it took (a group with a longer record is left whole).
template <bool Lines>
__attribute__((target("avx512f,avx512bw,avx512vl,avx2,bmi,bmi2,popcnt"))) int32_t PutWide(const uint32_t* list,
                                                                                          int32_t count,
                                                                                          WideState& s) {
  const __m512i one = _mm512_set1_epi32(1), limit = _mm512_set1_epi32(s.maxLen);
  const __m512i zero = _mm512_setzero_si512();
  __m512i most = zero;
  int32_t i = 0, n = s.n, b = static_cast<int32_t>(s.b);
  for (; i < count; i += 16) {
    const int32_t k = std::min(16, count - i);
    const __mmask16 m = static_cast<__mmask16>((1u << k) - 1);
    const __m512i e = _mm512_maskz_loadu_epi32(m, list + i);
    const __m512i pair = _mm512_and_si512(e, one);
    const __m512i j = _mm512_srli_epi32(e, 1);
    // Where each line end begins, where the next record starts, and each record's start:
    // b, then the start after each end before it.
    const __m512i end = Lines ? _mm512_sub_epi32(j, pair) : j;
    const __m512i next = _mm512_add_epi32(_mm512_add_epi32(end, one), pair);
    const __m512i start = _mm512_alignr_epi32(next, _mm512_set1_epi32(b), 15);
    const __m512i len = _mm512_sub_epi32(end, start);
    if (_mm512_mask_cmpgt_epi32_mask(m, len, limit) | _mm512_mask_cmplt_epi32_mask(m, len, zero)) break;
    const __m512i entry = _mm512_or_si512(_mm512_slli_epi32(_mm512_add_epi32(pair, one), 12), len);
    _mm256_mask_storeu_epi16(s.lens + n + 1, m, _mm512_cvtepi32_epi16(entry));
    most = _mm512_mask_max_epi32(most, m, most, len);
    // Of sixteen records in a row, at most one has a number that is a multiple of 16.
    const int32_t first = (16 - ((n + 1) & 15)) & 15;
    if (first < k) {
      int32_t starts[16];
      _mm512_storeu_si512(starts, start);
      StoreCheckpointAt(*s.v, s.addrs, n + 1 + first, s.pieceStart + starts[first], s.high);
    }
    n += k;
    b = _mm_cvtsi128_si32(_mm512_castsi512_si128(_mm512_permutexvar_epi32(_mm512_set1_epi32(k - 1), next)));
  }
  s.n = n;
  s.b = b;
  s.longest = std::max(s.longest, _mm512_reduce_max_epi32(most));
  return i;
}
#endif

// After StorePieceBody stored records n0 + 1..n of a piece: the counters, the fixed
// entries 0 and the tables' highest indexes; lastAddr is the address of record n.
void WritePieceBack(ViewerState& v, int32_t n0, int32_t n, int64_t longest, int64_t lastAddr) {
  if (n0 == 0) v.RecAddrs.Resize(1023);
  v.RecAddrs[0] = 0;
  v.RecLens[0] = 4096;
  while (n > v.RecLens.Max()) GrowRecLens(v);
  while (n / 16 > v.RecAddrs.Max()) GrowRecAddrs(v);
  v.nRecCount = n;
  v.nLongestRec = static_cast<int32_t>(std::min<int64_t>(longest, INT32_MAX));
  v.nLastRecPointer = lastAddr;
  v.nNextCheckpoint = (n / 16 + 1) * 16;  // for records stored one at a time after these
  // Memory for about one more such piece, backed now rather than a fault a page.
  v.RecLens.Prepare(int64_t{n} + (n - n0) + 1, RecordIndex(v).ExpectedBy(v.nFileSize + 1));
}

// Stores the records that end in the first `scan` bytes of a piece at file address
// pieceStart, whose line-end masks crs / lfs cover `valid` bytes (a byte after the scanned
// ones, when there is one, tells whether a CR at the end is followed by an LF). A record
// that reaches past `scan` is left to the next piece, cut first into records of the
// longest length while it is longer than that; `last` when the piece ends the file,
// whose unterminated tail is then a record too.
// Lines (Lines = true) are lines as grep counts them: only an LF ends one (with the CR
// before it, when there is one, as a two-byte end), and a line of any length is one
// record; one that reaches past `scan` is carried over whole.
// The line ends are listed a stretch at a time first; the entries, the checkpoints and
// the longest length then come from the list in one pass.
template <bool Lines, bool Wide>
TEMBRA_ALWAYS_INLINE void StorePieceBody(ViewerState& v, const uint64_t* crs, const uint64_t* lfs, int32_t scan,
                                         int32_t valid, int64_t pieceStart, ScanCursor& at, bool last) {
  const int32_t maxRec = v.nMaxRecLen;
  if (scan <= 0) return;

  // A piece of s bytes ends at most s + 1 records (more when a record carried over from
  // the previous piece is cut): room for them is made first, so that records are stored
  // without a check each; the highest indexes of the tables follow their growth rule
  // afterwards.
  const int32_t n0 = v.nRecCount;
  const int64_t most = int64_t{n0} + scan + 2 + (Lines || at.b >= 0 ? 0 : -at.b);
  v.RecLens.Reserve(most);
  v.RecAddrs.Reserve(most / 16 + 1);
  uint16_t* lens = v.RecLens.data();
  uint32_t* addrs = v.RecAddrs.data();

  int32_t n = n0;
  int64_t b = at.b;  // start of the current record, relative to the piece
  int64_t longest = v.nLongestRec;
  uint32_t high = v.RecAddrHigh.empty() ? 0 : v.RecAddrHigh.back().high;
  // Record n + 1, starting at b, of `len` bytes and `ends` line-end bytes.
  auto put = [&](int64_t len, int32_t ends) TEMBRA_LAMBDA_INLINE {
    ++n;
    if (Lines && __builtin_expect(len >= kLongEntry, 0))
      lens[n] = LineEntry(v, n, len, ends);
    else
      lens[n] = static_cast<uint16_t>((ends << 12) | len);
    longest = std::max(longest, len);
    if (__builtin_expect((n & 15) == 0, 0)) StoreCheckpointAt(v, addrs, n, pieceStart + b, high);
  };
  // Records of the longest length while the one from b to `end` is longer.
  auto cut = [&](int64_t end) TEMBRA_LAMBDA_INLINE {
    while (__builtin_expect(end - b > maxRec, 0)) {
      put(maxRec, 0);
      b += maxRec;
    }
  };

  uint32_t list[kFlatRoom];
  uint64_t crBefore = at.crBefore;  // a CR as the last byte of the previous block
  for (int32_t from = 0; from < scan; from += kFlatBytes) {
    const int32_t to = std::min(scan, from + kFlatBytes);
#if TEMBRA_HAVE_AVX512
    const int32_t count = Wide ? ListEndsWide<Lines>(crs, lfs, from, to, valid, crBefore, list)
                               : ListEnds<Lines>(crs, lfs, from, to, valid, crBefore, list);
#else
    const int32_t count = ListEnds<Lines>(crs, lfs, from, to, valid, crBefore, list);
#endif
    for (int32_t i = 0, stop = count; i < count; stop = count) {
#if TEMBRA_HAVE_AVX512
      // Sixteen records at a time while they need nothing the loop below does alone (a cut,
      // a long entry, a start far before the piece); then one such group the usual way.
      if constexpr (Wide) {
        if (b >= -(int64_t{1} << 30)) {
          WideState s{lens, addrs, &v, pieceStart, b, n, 0, high, Lines ? int32_t{kLongEntry - 1} : maxRec};
          i += PutWide<Lines>(list + i, count - i, s);
          b = s.b;
          n = s.n;
          high = s.high;
          longest = std::max<int64_t>(longest, s.longest);
        }
        stop = std::min(count, i + 16);
      }
#endif
      for (; i < stop; ++i) {
        const int32_t j = static_cast<int32_t>(list[i] >> 1);
        const int32_t pair = static_cast<int32_t>(list[i] & 1);
        if constexpr (Lines) {
          put(j - pair - b, 1 + pair);
          b = j + 1;
        } else {
          cut(j);
          put(j - b, 1 + pair);
          b = j + 1 + pair;
        }
      }
    }
  }
  if (!Lines) cut(scan);
  const int64_t tail = scan - b;
  int64_t endOfLast = b;  // where the last record stored ends, its line end included
  if (last && tail > 0) {
    put(tail, 0);
    endOfLast = scan;
  }
  at.b = endOfLast - scan;
  at.crBefore = (crs[(scan - 1) / 64] >> ((scan - 1) % 64)) & 1;
  if (n == n0) return;
  // The last record's address, read before WritePieceBack grows (and may move) the tables.
  WritePieceBack(v, n0, n, longest, pieceStart + endOfLast - v.RecSize(n));
}

using StorePieceFn = void (*)(ViewerState&, const uint64_t*, const uint64_t*, int32_t, int32_t, int64_t, ScanCursor&,
                              bool);

template <bool Lines>
void StorePiecePlain(ViewerState& v, const uint64_t* crs, const uint64_t* lfs, int32_t scan, int32_t valid,
                     int64_t pieceStart, ScanCursor& at, bool last) {
  StorePieceBody<Lines, false>(v, crs, lfs, scan, valid, pieceStart, at, last);
}

#if TEMBRA_HAVE_AVX2
// The same with the bit instructions of newer processors, where it has them, and with the
// wide loop where the processor has AVX-512 too.
template <bool Lines, bool Wide>
__attribute__((target("avx2,bmi,bmi2,popcnt"))) void StorePieceBmi(ViewerState& v, const uint64_t* crs,
                                                                   const uint64_t* lfs, int32_t scan, int32_t valid,
                                                                   int64_t pieceStart, ScanCursor& at, bool last) {
  StorePieceBody<Lines, Wide>(v, crs, lfs, scan, valid, pieceStart, at, last);
}
#endif

// The store loops the processor can run for records or for lines, by StoreLoop: the
// widest, the bit instructions, the portable loop.
template <bool Lines>
std::array<StorePieceFn, 3> ChooseStorePieces() {
  std::array<StorePieceFn, 3> fns{StorePiecePlain<Lines>, StorePiecePlain<Lines>, StorePiecePlain<Lines>};
#if TEMBRA_HAVE_AVX2
  __builtin_cpu_init();
  const bool bits = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                    __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
  if (bits) fns[0] = fns[1] = StorePieceBmi<Lines, false>;
#if TEMBRA_HAVE_AVX512
  if (bits && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi2"))
    fns[0] = StorePieceBmi<Lines, true>;
#endif
#endif
  return fns;
}

std::atomic<int> g_storeLoop{static_cast<int>(StoreLoop::kWidest)};

// Stores the records that end in the first `scan` bytes of a piece (see StorePieceBody).
void StorePiece(ViewerState& v, const uint64_t* crs, const uint64_t* lfs, int32_t scan, int32_t valid,
                int64_t pieceStart, ScanCursor& at, bool last) {
  static const std::array<StorePieceFn, 3> records = ChooseStorePieces<false>();
  static const std::array<StorePieceFn, 3> lines = ChooseStorePieces<true>();
  const size_t loop = static_cast<size_t>(g_storeLoop.load(std::memory_order_relaxed));
  (v.bGrepLines ? lines : records)[loop](v, crs, lfs, scan, valid, pieceStart, at, last);
}

}  // namespace

void UseStoreLoop(StoreLoop loop) { g_storeLoop.store(static_cast<int>(loop), std::memory_order_relaxed); }

RecordIndex::Line RecordIndex::Find(int32_t n) {
  ViewerState& v = v_;
  auto& c = v.AddrCache;
  int32_t d = c.rec < 0 ? 2 : n - c.rec;
  if (d == 1) {
    c.addr += c.len + c.count;
    c.len = v.RecLen(n);
    c.count = v.RecEnds(n);
    ++v.LookupStats[kLookupNext];
  } else if (d == -1) {
    c.len = v.RecLen(n);
    c.count = v.RecEnds(n);
    c.addr -= c.len + c.count;
    ++v.LookupStats[kLookupPrev];
  } else if (d == 0) {
    ++v.LookupStats[kLookupSame];
  } else {
    int32_t k = n / 16;
    int64_t addr = v.CheckpointAddr(k);
    int64_t len = v.RecLen(int64_t{16} * k);
    int32_t count = v.RecEnds(int64_t{16} * k);
    for (int32_t m = 1; m <= n % 16; ++m) {
      addr += len + count;
      len = v.RecLen(int64_t{16} * k + m);
      count = v.RecEnds(int64_t{16} * k + m);
    }
    c.addr = addr;
    c.len = len;
    c.count = count;
    ++v.LookupStats[kLookupRandom];
  }
  c.rec = n;
  return Line{c.addr, c.len, c.count};
}

void RecordIndex::DropLast() {
  ViewerState& v = v_;
  const int32_t n = v.nRecCount;
  if (n < 1) return;
  if (!v.LongRecs.empty() && v.LongRecs.back().rec == n) v.LongRecs.pop_back();
  if (n % 16 == 0 && !v.RecAddrHigh.empty() && v.RecAddrHigh.back().from == n / 16) v.RecAddrHigh.pop_back();
  v.nRecCount = n - 1;
  v.nLastRecPointer = n > 1 ? v.nLastRecPointer - v.RecSize(n - 1) : 0;
  v.nNextCheckpoint = n > 1 ? ((n - 1) / 16 + 1) * 16 : 1;
  if (v.AddrCache.rec >= n - 1) v.AddrCache.rec = -1;
}

void RecordIndex::DropUnstored() {
  ViewerState& v = v_;
  while (!v.LongRecs.empty() && v.LongRecs.back().rec > v.nRecCount) v.LongRecs.pop_back();
  while (!v.RecAddrHigh.empty() && int64_t{v.RecAddrHigh.back().from} * 16 > v.nRecCount) v.RecAddrHigh.pop_back();
}

void RecordIndex::Append(int64_t addr, int64_t len, int32_t ends) { StoreRecord(v_, addr, len, ends); }

void RecordIndex::AppendPiece(const uint64_t* crs, const uint64_t* lfs, int32_t scan, int32_t valid,
                              int64_t pieceStart, ScanCursor& at, bool last) {
  StorePiece(v_, crs, lfs, scan, valid, pieceStart, at, last);
}

void RecordIndex::AppendSegment(const unsigned char* buf, int32_t scan, int32_t valid, int64_t segStart, bool last) {
  if (scan <= 0) return;
  static LineEndMasks* const masks = new LineEndMasks;
  SegmentMasks(buf, valid, masks->Cr, masks->Lf);
  ScanCursor at = v_.bGrepLines ? LineCursor(segStart) : ScanCursor{};
  StorePiece(v_, masks->Cr, masks->Lf, scan, valid, segStart, at, last);
  if (v_.bGrepLines) KeepLineCursor(segStart + scan, at);
}

int64_t RecordIndex::NextStart() const {
  if (v_.nRecCount < 1) return 1;
  return v_.nLastRecPointer + v_.RecSize(v_.nRecCount);
}

int64_t RecordIndex::ExpectedBy(int64_t upTo) const {
  const int64_t at = ScanStart(), n = v_.nRecCount;
  if (n < 1 || at <= 1 || upTo <= at) return n;
  const double more = static_cast<double>(upTo - at) / static_cast<double>(at - 1) * static_cast<double>(n);
  return n + static_cast<int64_t>(std::min(more * kExpectedShare, double{INT32_MAX}));
}

void RecordIndex::Reset() {
  v_.nScanFrom = 1;
  v_.nOpenLine = 1;
  v_.bCrBefore = false;
  v_.LongRecs.clear();
  v_.RecAddrHigh.clear();
  v_.bAllIndexed = false;
  v_.nRecCount = 0;
  v_.nLastRecPointer = 0;
  v_.nNextCheckpoint = 1;
  v_.AddrCache.rec = -1;
  v_.nLongestRec = 1;
}

int64_t RecordIndex::ScanStart() const { return v_.bGrepLines ? v_.nScanFrom : NextStart(); }

ScanCursor RecordIndex::LineCursor(int64_t pieceStart) const {
  return ScanCursor{v_.nOpenLine - pieceStart, v_.bCrBefore ? 1u : 0u};
}

void RecordIndex::KeepLineCursor(int64_t nextPiece, const ScanCursor& at) {
  v_.nScanFrom = nextPiece;
  v_.nOpenLine = nextPiece + at.b;
  v_.bCrBefore = at.crBefore != 0;
}

}  // namespace tembra
