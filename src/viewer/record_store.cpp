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
inline void StoreRecord(ViewerState& v, int64_t RecPointer, int64_t RecLen, int32_t RecFlags) {
  int32_t n = ++v.nRecCount;
  v.nLastRecPointer = RecPointer;
  if (RecLen > v.nLongestRec) v.nLongestRec = static_cast<int32_t>(std::min<int64_t>(RecLen, INT32_MAX));
  if (n > v.RecLens.Max()) GrowRecLens(v);
  v.RecLens[n] = RecLen < kLongEntry ? static_cast<uint16_t>(RecFlags * 4096 + RecLen) : LineEntry(v, n, RecLen, RecFlags);
  if (n == v.nNextCheckpoint) StoreCheckpoint(v, RecPointer);
}

#if defined(__GNUC__) || defined(__clang__)
#define TEMBRA_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define TEMBRA_ALWAYS_INLINE inline
#endif

// Stores the records that end in the first `scan` bytes of a piece at file address
// pieceStart, whose line-end masks crs / lfs cover `valid` bytes (a byte after the scanned
// ones, when there is one, tells whether a CR at the end is followed by an LF). A record
// that reaches past `scan` is left to the next piece, cut first into records of the
// longest length while it is longer than that; `last` when the piece ends the file,
// whose unterminated tail is then a record too.
// Lines (Lines = true) are lines as grep counts them: only an LF ends one (with the CR
// before it, when there is one, as a two-byte end), and a line of any length is one
// record; one that reaches past `scan` is carried over whole.
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
  const int32_t blocks = (valid + 63) / 64;
  const size_t longBefore = v.LongRecs.size();

  // First the length entries alone, in the order the line ends come.
  int32_t n = n0;
  int64_t b = at.b;  // start of the current record, relative to the piece
  auto store = [&](uint32_t entry) { lens[++n] = static_cast<uint16_t>(entry); };
  auto storeLine = [&](int64_t len, int32_t ends) {
    if (__builtin_expect(len < kLongEntry, 1)) {
      store(static_cast<uint32_t>((ends << 12) | len));
    } else {
      ++n;
      lens[n] = LineEntry(v, n, len, ends);
    }
  };
  uint64_t crBefore = at.crBefore;  // a CR as the last byte of the previous block
  for (int32_t k = 0, blk = 0; blk < scan; ++k, blk += 64) {
    const uint64_t cr = crs[k], lf = lfs[k];
    if constexpr (Lines) {
      // An LF after a CR ends its line with both bytes; a lone CR is text.
      const uint64_t pairs = lf & ((cr << 1) | crBefore);
      uint64_t ends = lf;
      crBefore = cr >> 63;
      if (scan - blk < 64) ends &= (uint64_t{1} << (scan - blk)) - 1;
      while (ends != 0) {
        const int32_t bit = __builtin_ctzll(ends);
        ends &= ends - 1;
        const int32_t j = blk + bit;
        const int32_t pair = static_cast<int32_t>((pairs >> bit) & 1);
        storeLine(j - b - pair, 1 + pair);
        b = j + 1;
      }
    } else {
      const uint64_t lfAfter = k + 1 < blocks ? (lfs[k + 1] & 1) : 0;
      // A CR followed by an LF ends its record with both bytes; that LF ends nothing.
      const uint64_t pairs = cr & ((lf >> 1) | (lfAfter << 63));
      uint64_t ends = cr | (lf & ~((cr << 1) | crBefore));
      crBefore = cr >> 63;
      if (scan - blk < 64) ends &= (uint64_t{1} << (scan - blk)) - 1;
      while (ends != 0) {
        const int32_t bit = __builtin_ctzll(ends);
        ends &= ends - 1;
        const int32_t j = blk + bit;
        int64_t len = j - b;
        if (__builtin_expect(len > maxRec, 0)) {
          while (len > maxRec) {
            store(static_cast<uint32_t>(maxRec));
            b += maxRec;
            len -= maxRec;
          }
        }
        const int32_t pair = static_cast<int32_t>((pairs >> bit) & 1);
        store(static_cast<uint32_t>(((1 + pair) << 12) | len));
        b = j + 1 + pair;
      }
    }
  }
  int64_t tail = scan - b;
  if constexpr (Lines) {
    if (last && tail > 0) storeLine(tail, 0);
  } else {
    while (tail > maxRec) {
      store(static_cast<uint32_t>(maxRec));
      b += maxRec;
      tail -= maxRec;
    }
    if (last && tail > 0) store(static_cast<uint32_t>(tail));
  }
  const int64_t first = pieceStart + at.b;  // address of the piece's first record
  at.b = (last && tail > 0 ? scan : b) - scan;
  at.crBefore = (crs[(scan - 1) / 64] >> ((scan - 1) % 64)) & 1;
  if (n == n0) return;

  // Then the addresses of every 16th record and the longest length, from the entries:
  // sixteen at a time between checkpoints.
  auto size = [&](int32_t r) { return static_cast<uint32_t>(EntryLen(lens[r])) + static_cast<uint32_t>(EntryBitsAbove(lens[r])); };
  int64_t addr = first;
  uint32_t longest = static_cast<uint32_t>(std::min(v.nLongestRec, 4095));
  int64_t longestLong = v.nLongestRec;
  uint32_t high = v.RecAddrHigh.empty() ? 0 : v.RecAddrHigh.back().high;
  auto checkpoint = [&](int32_t r) {
    addrs[r >> 4] = static_cast<uint32_t>(addr);
    if (__builtin_expect(static_cast<uint32_t>(static_cast<uint64_t>(addr) >> 32) != high, 0)) {
      high = static_cast<uint32_t>(static_cast<uint64_t>(addr) >> 32);
      v.RecAddrHigh.push_back({r >> 4, high});
    }
  };
  int32_t r = n0 + 1;
  if (Lines && v.LongRecs.size() != longBefore) {
    // Lines of any length in this piece: each record's size from its entry or beside it.
    size_t li = longBefore;
    for (; r <= n; ++r) {
      if ((r & 15) == 0) checkpoint(r);
      const uint16_t e = lens[r];
      int64_t len = EntryLen(e);
      if (e & kLongFlag) len = v.LongRecs[li++].len;
      longestLong = std::max(longestLong, len);
      addr += len + EntryEnds(e);
    }
  } else {
    for (; r <= n && (r & 15) != 0; ++r) {
      longest = std::max<uint32_t>(longest, EntryLen(lens[r]));
      addr += size(r);
    }
    for (; r + 15 <= n; r += 16) {
      checkpoint(r);
      uint32_t sum = 0, most16 = 0;
      for (int32_t t = 0; t < 16; ++t) {
        const uint32_t e = lens[r + t];
        sum += EntrySize(e);
        most16 = std::max(most16, EntryLen(e));
      }
      addr += sum;
      longest = std::max(longest, most16);
    }
    for (; r <= n; ++r) {
      if ((r & 15) == 0) checkpoint(r);
      longest = std::max<uint32_t>(longest, EntryLen(lens[r]));
      addr += size(r);
    }
  }

  const int64_t lastAddr = addr - v.RecSize(n);  // (growing the tables below may move them)

  // Write back: the counters, the fixed entries 0 and the tables' highest indexes.
  if (n0 == 0) v.RecAddrs.Resize(1023);
  v.RecAddrs[0] = 0;
  v.RecLens[0] = 4096;
  while (n > v.RecLens.Max()) GrowRecLens(v);
  while (n / 16 > v.RecAddrs.Max()) GrowRecAddrs(v);
  // Memory for about one more such piece, backed now rather than a fault a page.
  v.RecLens.Prepare(int64_t{n} + (n - n0) + 1);
  v.nRecCount = n;
  v.nLongestRec = static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(longest, longestLong), INT32_MAX));
  v.nLastRecPointer = lastAddr;
  v.nNextCheckpoint = (n / 16 + 1) * 16;
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
