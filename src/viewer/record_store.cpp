// The record index: appending records (from line-end masks, many at a time), the
// checkpoints of every 16th record's address, and finding a record by number.
#include "viewer/record_store.h"

#include <algorithm>

#include "viewer/line_masks.h"

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
// cache), and the list's room: every byte an end, and eight written past the last.
constexpr int32_t kFlatBytes = 2048;
constexpr int32_t kFlatRoom = kFlatBytes + 8;

// Lists the line ends in the bytes [from, to) of a piece, whose line-end masks crs / lfs
// cover `valid` bytes (from is a multiple of 64): each as (offset << 1) | pair, where pair
// is 1 for a two-byte end (CR LF; with Lines, the CR before the LF, since then only an LF
// ends a line and the offset is the LF's). crBefore: a CR as the byte before `from`,
// updated to the one before `to`. Returns how many; four list entries (eight past four
// ends) are written whatever the count of a word, so that the common words need no
// branch per end.
template <bool Lines>
TEMBRA_ALWAYS_INLINE int32_t ListEnds(const uint64_t* crs, const uint64_t* lfs, int32_t from, int32_t to,
                                      int32_t valid, uint64_t& crBefore, uint32_t* out) {
  const int32_t blocks = (valid + 63) / 64;
  uint32_t* o = out;
  for (int32_t k = from / 64, blk = from; blk < to; ++k, blk += 64) {
    const uint64_t cr = crs[k], lf = lfs[k];
    uint64_t ends, pairs;
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
    const int32_t count = __builtin_popcountll(ends);
    const uint32_t base = static_cast<uint32_t>(blk) << 1;
    auto one = [&](int32_t t) {
      const uint32_t bit = static_cast<uint32_t>(__builtin_ctzll(ends | (uint64_t{1} << 63)));
      o[t] = base + (bit << 1) + static_cast<uint32_t>((pairs >> bit) & 1);
      ends &= ends - 1;
    };
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
template <bool Lines>
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
    const int32_t count = ListEnds<Lines>(crs, lfs, from, std::min(scan, from + kFlatBytes), valid, crBefore, list);
    for (int32_t i = 0; i < count; ++i) {
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
  const int64_t lastAddr = pieceStart + endOfLast - v.RecSize(n);  // (growing the tables below may move them)

  // Write back: the counters, the fixed entries 0 and the tables' highest indexes.
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

using StorePieceFn = void (*)(ViewerState&, const uint64_t*, const uint64_t*, int32_t, int32_t, int64_t, ScanCursor&,
                              bool);

template <bool Lines>
void StorePiecePlain(ViewerState& v, const uint64_t* crs, const uint64_t* lfs, int32_t scan, int32_t valid,
                     int64_t pieceStart, ScanCursor& at, bool last) {
  StorePieceBody<Lines>(v, crs, lfs, scan, valid, pieceStart, at, last);
}

#if TEMBRA_HAVE_AVX2
// The same with the bit instructions of newer processors, where it has them.
template <bool Lines>
__attribute__((target("avx2,bmi,bmi2,popcnt"))) void StorePieceBmi(ViewerState& v, const uint64_t* crs,
                                                                   const uint64_t* lfs, int32_t scan, int32_t valid,
                                                                   int64_t pieceStart, ScanCursor& at, bool last) {
  StorePieceBody<Lines>(v, crs, lfs, scan, valid, pieceStart, at, last);
}
#endif

template <bool Lines>
StorePieceFn ChooseStorePiece() {
#if TEMBRA_HAVE_AVX2
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
      __builtin_cpu_supports("popcnt"))
    return StorePieceBmi<Lines>;
#endif
  return StorePiecePlain<Lines>;
}

// Stores the records that end in the first `scan` bytes of a piece (see StorePieceBody).
void StorePiece(ViewerState& v, const uint64_t* crs, const uint64_t* lfs, int32_t scan, int32_t valid,
                int64_t pieceStart, ScanCursor& at, bool last) {
  static const StorePieceFn records = ChooseStorePiece<false>();
  static const StorePieceFn lines = ChooseStorePiece<true>();
  (v.bGrepLines ? lines : records)(v, crs, lfs, scan, valid, pieceStart, at, last);
}

}  // namespace

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
