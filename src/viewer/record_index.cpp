// The viewed file: opening it, reading it in segments, and the record index that finds
// any line by number without holding the file in memory.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// AVX2 is used where the processor has it, chosen at run time.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TEMBRA_HAVE_AVX2 1
#include <immintrin.h>
#else
#define TEMBRA_HAVE_AVX2 0
#endif

#include "core/lister.h"

#if !defined(_WIN32)
#include <pthread.h>
#include <signal.h>
#endif
#if defined(__linux__)
#include <sched.h>
#endif

namespace tembra {

namespace {

// Bytes indexed between two runs of the event pump during a long scan.
constexpr int32_t kYieldBytes = 50000000;

// Record numbers are 32-bit; a file of more lines is indexed this far (a segment or a
// piece never adds more than the rest).
constexpr int32_t kMaxRecords = INT32_MAX - (8 << 20);

constexpr int kLookupNext = 0, kLookupPrev = 1, kLookupSame = 2, kLookupRandom = 3;

// Line-end bit masks of a segment: bit i of Cr[k] / Lf[k] is set when byte 64k + i is a
// CR / an LF. Bytes from `valid` on are not the file's and give no bits.
struct LineEndMasks {
  uint64_t Cr[kSegBytes / 64];
  uint64_t Lf[kSegBytes / 64];
};

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

// Masks of the first `valid` bytes of a buffer, into arrays of (valid + 63) / 64 words.
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

// Where a record scan stands between two pieces of the file: the start of the record
// not yet ended, relative to the start of the next piece (at most the longest record
// length before it), and whether the byte before that piece is a CR.
struct ScanCursor {
  int64_t b = 0;
  uint64_t crBefore = 0;
};

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
  auto size = [&](int32_t r) { return static_cast<uint32_t>(lens[r] & 4095) + static_cast<uint32_t>(lens[r] >> 12); };
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
      int64_t len = e & 4095;
      if (e & kLongFlag) len = v.LongRecs[li++].len;
      longestLong = std::max(longestLong, len);
      addr += len + ((e >> 12) & 3);
    }
  } else {
    for (; r <= n && (r & 15) != 0; ++r) {
      longest = std::max<uint32_t>(longest, lens[r] & 4095);
      addr += size(r);
    }
    for (; r + 15 <= n; r += 16) {
      checkpoint(r);
      uint32_t sum = 0, most16 = 0;
      for (int32_t t = 0; t < 16; ++t) {
        const uint32_t e = lens[r + t];
        sum += (e & 4095) + (e >> 12);
        most16 = std::max(most16, e & 4095);
      }
      addr += sum;
      longest = std::max(longest, most16);
    }
    for (; r <= n; ++r) {
      if ((r & 15) == 0) checkpoint(r);
      longest = std::max<uint32_t>(longest, lens[r] & 4095);
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

// Indexes the records of one segment of `valid` bytes at file address segStart, whose
// first `scan` bytes are scanned for line ends (the last byte of a full segment is only
// looked at as the byte after a CR); `last` when the segment ends the file.
// Lines as grep counts them go on from where the scan stopped (the line not yet ended
// and whether a CR came last).
void ScanSegment(ViewerState& v, const unsigned char* buf, int32_t scan, int32_t valid, int64_t segStart, bool last) {
  if (scan <= 0) return;
  static LineEndMasks* const masks = new LineEndMasks;
  SegmentMasks(buf, valid, masks->Cr, masks->Lf);
  ScanCursor at;
  if (v.bGrepLines) at = ScanCursor{v.nOpenLine - segStart, v.bCrBefore ? 1u : 0u};
  StorePiece(v, masks->Cr, masks->Lf, scan, valid, segStart, at, last);
  if (v.bGrepLines) {
    v.nScanFrom = segStart + scan;
    v.nOpenLine = v.nScanFrom + at.b;
    v.bCrBefore = at.crBefore != 0;
  }
}

// The address after the last indexed record.
int64_t NextStart(const ViewerState& v) {
  if (v.nRecCount < 1) return 1;
  return v.nLastRecPointer + v.RecSize(v.nRecCount);
}

// Where indexing goes on: the next record, or with lines as grep counts them the first
// byte not yet scanned.
int64_t ScanStart(const ViewerState& v) { return v.bGrepLines ? v.nScanFrom : NextStart(v); }

}  // namespace

// ---------------------------------------------------------------- indexing ahead
//
// A long rest of the file is indexed by two threads in a pipeline: a second thread reads
// it piece after piece and finds the line ends of each (the bit masks), while the
// caller's thread stores the records from those masks into the tables, exactly as the
// one-thread scan does. The pieces follow one another from the first record not yet
// indexed and a record that spans pieces is carried over, so the tables are the same
// entry for entry. Only the second thread reads the file meanwhile; no events run until
// it has stopped. It never reaches the file's last segment, which the usual scan reads
// and which completes the index.

constexpr int32_t kAheadSlots = 8;  // pieces read ahead of the caller at most

// Memory of one run: the second thread's read buffer and the masks of each slot.
struct AheadBuffers {
  explicit AheadBuffers(int32_t piece)
      : words(piece / 64 + 2), read(new unsigned char[static_cast<size_t>(piece) + 1]),
        masks(new uint64_t[static_cast<size_t>(2 * kAheadSlots) * static_cast<size_t>(words)]) {}
  const int32_t words;  // mask words of a piece and the byte after it
  std::unique_ptr<unsigned char[]> read;
  std::unique_ptr<uint64_t[]> masks;
  uint64_t* Cr(int32_t slot) { return masks.get() + static_cast<size_t>(2 * slot) * static_cast<size_t>(words); }
  uint64_t* Lf(int32_t slot) { return Cr(slot) + words; }
};

namespace {

// Waits until `counter` is above `atLeast`, or `stop` is set: first by looking for a
// while (the other thread is usually about to hand a piece over, and sleeping and waking
// for each piece would cost more than the piece), then by sleeping.
void WaitAbove(const std::atomic<int32_t>& counter, int32_t atLeast, const std::atomic<bool>& stop) {
  for (int spin = 0; spin < 1000; ++spin) {
    if (counter.load(std::memory_order_acquire) > atLeast || stop.load(std::memory_order_acquire)) return;
#if defined(__SSE2__)
    _mm_pause();
#endif
  }
  for (int32_t c = counter.load(std::memory_order_acquire); c <= atLeast && !stop.load(std::memory_order_acquire);
       c = counter.load(std::memory_order_acquire))
    counter.wait(c, std::memory_order_acquire);
}

// The second thread: reads piece i from `from` + i * piece (and the byte after it) into
// slot i % kAheadSlots once the caller has taken piece i - kAheadSlots, up to `to`.
struct PieceReader {
  PieceReader(FileSystem& f, FileHandle h, int64_t start, int64_t end, int32_t bytes, AheadBuffers& b)
      : fs(f), file(h), from(start), to(end), piece(bytes), bufs(b) {}
  FileSystem& fs;
  const FileHandle file;
  const int64_t from, to;
  const int32_t piece;
  AheadBuffers& bufs;
  int32_t scan[kAheadSlots] = {};  // bytes of the piece in the slot; 0 when it could not be read
  std::atomic<int32_t> produced{0}, consumed{0};
  std::atomic<bool> stop{false};

  int32_t Pieces() const { return static_cast<int32_t>((to - from + piece - 1) / piece); }

  void Run() {
    const int32_t count = Pieces();
    for (int32_t i = 0; i < count; ++i) {
      // When every slot is full, the thread waits until half of them are free again, so
      // that it is not woken for every piece the caller takes.
      if (consumed.load(std::memory_order_acquire) <= i - kAheadSlots) WaitAbove(consumed, i - kAheadSlots / 2, stop);
      if (stop.load(std::memory_order_acquire)) return;
      const int32_t slot = i % kAheadSlots;
      const int64_t at = from + int64_t{i} * piece;
      const int32_t bytes = static_cast<int32_t>(std::min<int64_t>(piece, to - at));
      // The byte after the piece tells whether a CR at its end is followed by an LF; the
      // file is longer than `to`, so a shorter read means it shrank or failed.
      const long got = fs.ReadAt(file, at, reinterpret_cast<char*>(bufs.read.get()), bytes + 1);
      scan[slot] = got == bytes + 1 ? bytes : 0;
      if (scan[slot] != 0) SegmentMasks(bufs.read.get(), bytes + 1, bufs.Cr(slot), bufs.Lf(slot));
      produced.store(i + 1, std::memory_order_release);
      produced.notify_one();
      if (scan[slot] == 0) return;
    }
  }
};

}  // namespace

#if defined(__linux__)
// Keeps the two threads on two processors while a stretch runs: left to itself, the
// scheduler at times wakes the second thread on the caller's processor, and the two then
// take turns on one while the other idles. The caller's processor set is given back after.
struct CpuSplit {
  cpu_set_t before;
  bool pinned = false;
  void Apply(std::thread& helper) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2) return;
    const int cpu = sched_getcpu();
    if (cpu < 0 || cpu >= CPU_SETSIZE || !CPU_ISSET(cpu, &allowed)) return;
    cpu_set_t others = allowed, mine;
    CPU_CLR(cpu, &others);
    CPU_ZERO(&mine);
    CPU_SET(cpu, &mine);
    if (pthread_setaffinity_np(helper.native_handle(), sizeof others, &others) != 0) return;
    before = allowed;
    pinned = sched_setaffinity(0, sizeof mine, &mine) == 0;
  }
  ~CpuSplit() {
    if (pinned) sched_setaffinity(0, sizeof before, &before);
  }
};
#endif

// Indexes from the end of the index to about address `to` (records that end before it).
// False when the file could not be read as far; the usual scan then goes on.
bool Lister::IndexAheadStretch(int64_t to, AheadBuffers& bufs) {
  const int64_t from = ScanStart(*this);
  PieceReader r(P.files, hFdbin, from, to, nPieceBytes, bufs);
  std::thread helper;
#if !defined(_WIN32)
  // The second thread takes no signals: they stay with the thread that handles them.
  sigset_t blocked, before;
  sigfillset(&blocked);
  pthread_sigmask(SIG_SETMASK, &blocked, &before);
#endif
  try {
    helper = std::thread([&r] { r.Run(); });
  } catch (const std::system_error&) {
  }
#if !defined(_WIN32)
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
#endif
  if (!helper.joinable()) return false;
#if defined(__linux__)
  CpuSplit split;
  split.Apply(helper);
#endif
  // The second thread is stopped and joined however this ends (a table that cannot grow
  // throws).
  struct Ender {
    PieceReader& r;
    std::thread& t;
    ~Ender() {
      r.stop.store(true, std::memory_order_release);
      r.consumed.store(INT32_MAX, std::memory_order_release);
      r.consumed.notify_all();
      t.join();
    }
  } ender{r, helper};

  ScanCursor cursor;
  if (bGrepLines) cursor = ScanCursor{nOpenLine - from, bCrBefore ? 1u : 0u};
  const int32_t count = r.Pieces();
  for (int32_t i = 0; i < count; ++i) {
    WaitAbove(r.produced, i, r.stop);
    const int32_t slot = i % kAheadSlots;
    if (r.scan[slot] == 0 || nRecCount >= kMaxRecords) return false;
    const int64_t at = from + int64_t{i} * nPieceBytes;
    StorePiece(*this, bufs.Cr(slot), bufs.Lf(slot), r.scan[slot], r.scan[slot] + 1, at, cursor, false);
    if (bGrepLines) {
      nScanFrom = at + r.scan[slot];
      nOpenLine = nScanFrom + cursor.b;
      bCrBefore = cursor.crBefore != 0;
    }
    ++nAheadPieces;
    r.consumed.store(i + 1, std::memory_order_release);
    r.consumed.notify_one();
  }
  return true;
}

int64_t AheadMinRestDefault() {
  static const int64_t rest = std::thread::hardware_concurrency() >= 2 ? int64_t{12} << 20 : INT64_MAX;
  return rest;
}

void Lister::IndexAheadToRecord(int32_t rec) {
  if (rec <= nRecCount || nRecCount < 1) return;
  // Three quarters of the way the records indexed so far let expect; the usual scan
  // goes the rest.
  const int64_t at = ScanStart(*this);
  IndexAhead(at + (at - 1) / nRecCount * (int64_t{rec} - nRecCount) * 3 / 4);
}

void Lister::IndexAhead(int64_t upTo) {
  if (bIndexing || bAllIndexed || nRecCount < 1 || nSegStart == 0 || hFdbin == kInvalidFile || bFileShrank) return;
  if (nFileSize - ScanStart(*this) + 1 < nAheadMinRest || nPieceBytes < 1) return;
  std::unique_ptr<AheadBuffers> bufs;
  try {
    bufs = std::make_unique<AheadBuffers>(nPieceBytes);
  } catch (const std::bad_alloc&) {
    return;  // the usual scan needs no more memory than the tables
  }
  for (;;) {
    const int64_t at = ScanStart(*this);
    // The file's last segment is left to the usual scan.
    const int64_t end = std::min(upTo, nFileSize - nSegBytes - 1);
    if (end - at <= nMaxRecLen) return;
    // While events are let run, a stretch ends where the count passes kYieldBytes
    // (a record may end up to the longest length before the stretch's end).
    const int64_t to =
        nYieldCount != 0 ? std::min<int64_t>(end, at + std::max(1, kYieldBytes + 1 - nYieldCount) + nMaxRecLen + 2) : end;
    const FileHandle file = hFdbin;
    if (!IndexAheadStretch(to, *bufs) || ScanStart(*this) <= at) return;
    if (nYieldCount != 0) {
      nYieldCount = static_cast<int32_t>(std::min<int64_t>(int64_t{nYieldCount} + ScanStart(*this) - at, INT32_MAX));
      if (nYieldCount > kYieldBytes) {
        nYieldCount = 1;
        bIndexing = true;
        DoEvents();
        bIndexing = false;
      }
    }
    if (hFdbin != file || bAllIndexed || bFileShrank) return;
  }
}

// ---------------------------------------------------------------- opening and closing

void Lister::ListAFile(int32_t ListIndex) {
  if (iInpFile == 0) bSearchPending = false;
  MarkLine("V");
  // The displayed name follows the entry's upper-case name; the file system gets the
  // name as stored, so that a folder holding names that differ only in case still
  // opens exactly the entry the user chose.
  std::string exactName;
  if (ListIndex == -47) {
    zCurFile = zReopenFile;
    exactName = zReopenExact.empty() ? zReopenFile : zReopenExact;
    zReopenFile.clear();
    zReopenExact.clear();
  } else {
    if (ListIndex < 0 || ListIndex >= static_cast<int32_t>(ZDIR.size())) return;
    const std::string& rec = ZDIR[ListIndex];
    int32_t n = ZdNameLength(rec);
    zCurFile = zCurDir + ZdNameUpper(rec);
    exactName = zCurDir + ZdNameStored(rec);
    if (static_cast<int32_t>(exactName.size()) != static_cast<int32_t>(zCurDir.size()) + n) exactName = zCurFile;
    zReopenFile = zCurFile;
    zReopenExact = exactName;
  }
  if (zCurFile.empty() || Get1Vtoc(exactName) == 0) {
    MsgBox("VX1023 - File has been deleted");
    return;
  }
  std::string rec = zVtocToDir();
  zCurFileRec = rec;
  if (ListIndex != -47) ZDIR[ListIndex] = rec;
  std::string sizeField(ZdSizeField(rec));
  // A longer file is viewed as its first kMaxViewedSize bytes, so that every position
  // in it fits a 32-bit number; with any size allowed, the file's own length counts
  // (taken again from the open file).
  nTrueFileSize = static_cast<int64_t>(Val(sizeField));
  nFileSize = piAnySize.On(eProfile) ? nTrueFileSize : std::min(nTrueFileSize, kMaxViewedSize);
  if (nFileSize <= 0) {
    VXERROR("VX1002 - >>>   FILE LENGTH IS ZERO   <<<");
    SleepMs(400);
    Beep();
    return;
  }
  if (!StartViewing(exactName)) return;
  ShowPage();
}

bool Lister::StartViewing(const std::string& zOpenAs) {
  // The name starts with its drive; a ":" inside the name itself (allowed on POSIX
  // systems) is no error.
  if (Mid(zCurFile, 2, 1) != ":") vxCatastrophe("VX9020 - " + zCurFile);
  if (hFdbin != kInvalidFile) CloseFDBIN();
  // A file that cannot be opened (vanished a moment ago, no permission) leaves the
  // lister where it was.
  FileHandle h = P.files.OpenRead(zOpenAs);
  if (h == kInvalidFile) {
    if (P.files.Exists(zOpenAs) < 0) MsgBox("VX1023 - File has been deleted");
    else MsgBox("VX1009 - File cannot be opened for reading", zCurFile);
    return false;
  }
  SETListMode();
  if (bLog) Log340("Opening FDBIN to read");
  LogOpen(zCurFile);
  hFdbin = h;
  bFileShrank = false;
  if (piAnySize.On(eProfile)) {
    const int64_t len = P.files.FileLength(h);
    if (len > 0) nFileSize = nTrueFileSize = len;
  } else if (nTrueFileSize > nFileSize) {
    // Said once per file: the rest is not shown.
    zMessageLine = "VX0033 - Viewing the first " + Format(static_cast<double>(nFileSize), "#,###,###,##0") +
                   " bytes of " + Format(static_cast<double>(nTrueFileSize), "#,###,###,###,##0");
  }
  bGrepLines = piGrepLines.On(eProfile);
  nScanFrom = 1;
  nOpenLine = 1;
  bCrBefore = false;
  LongRecs.clear();
  RecAddrHigh.clear();
  nSegStart = 0;
  nSegEnd = 1;
  nSegScan = 0;
  bAllIndexed = false;
  nRecCount = 0;
  nLastRecPointer = 0;
  nNextCheckpoint = 1;
  AddrCache.rec = -1;
  nTopRec = 1;
  nHexTop = 0;
  nLongestRec = 1;
  nCurRec = 0;
  nCurRecLen = -1;
  nCurRecPos = 1;
  if (static_cast<int32_t>(zSegment.size()) != kSegBytes) zSegment.assign(kSegBytes, ' ');
  GetASeg();
  return true;
}

void Lister::CloseFDBIN() {
  if (hFdbin != kInvalidFile) P.files.CloseFile(hFdbin);
  hFdbin = kInvalidFile;
}

// ---------------------------------------------------------------- segments

void Lister::GetFdbin(int64_t FBYTE) {
  if (FBYTE > nFileSize) {
    // Only a file that shrank while viewed gets here legitimately: its end moved below
    // the address. The segment is then empty.
    if (!bFileShrank) {
      MsgBox("Stop GetFdbin");
      EndProcess(ExitKind::Immediate);
    }
    nSegStart = FBYTE;
    nSegEnd = 1;
    nSegScan = 0;
    return;
  }
  if (nYieldCount != 0) {
    nYieldCount += kSegBytes;
    if (nYieldCount > kYieldBytes) {
      nYieldCount = 1;
      DoEvents();
    }
  }
  if (static_cast<int32_t>(zSegment.size()) < kSegBytes) zSegment.assign(kSegBytes, ' ');
  int64_t want64 = std::min<int64_t>(nSegBytes, nFileSize - FBYTE + 1);
  long want = static_cast<long>(want64);
  long got = hFdbin == kInvalidFile ? -1 : P.files.ReadAt(hFdbin, FBYTE, zSegment.data(), want);
  if (got < 0) got = 0;
  nSegStart = FBYTE;
  if (got < want) {
    // The file is shorter than when it was opened (or can no longer be read): its
    // present end is the end of the view, so no byte beyond it is ever shown.
    nFileSize = FBYTE - 1 + got;
    bFileShrank = true;
  }
  int64_t remaining = nFileSize - FBYTE + 1;
  if (remaining <= nSegBytes) {
    // The last segment; only the indexer (GetASeg) may call the index complete, as a
    // read for the display can reach the end while records before it are not indexed.
    nSegScan = static_cast<int32_t>(remaining);
    nSegEnd = static_cast<int32_t>(remaining) + 1;
  } else {
    nSegEnd = nSegBytes + 1;
    nSegScan = nSegBytes - 1;
  }
}

void Lister::GetASeg() {
  if (bIndexing) return;  // a page drawn from the event pump while a scan runs
  if (nRecCount >= kMaxRecords) {
    // Record numbers are 32-bit: the rest of such a file is not indexed.
    bAllIndexed = true;
    zMessageLine = "VX1027 - Only the first " + Format(nRecCount, "#,###,###,##0") + " lines are indexed";
    return;
  }
  if (bGrepLines) {
    GetLineSeg();
    return;
  }
  const int64_t start = nSegStart != 0 ? NextStart(*this) : 1;
  if (start < 1) vxCatastrophe("VX9029 - RDHAddr1 < 1");
  if (start > nFileSize) {
    // Everything up to the (possibly shrunken) end is indexed already.
    bAllIndexed = true;
    return;
  }
  bIndexing = true;
  GetFdbin(start);
  bIndexing = false;
  // The last segment completes the index whatever the view.
  bool last = nSegStart + nSegScan - 1 >= nFileSize;
  if (last) bAllIndexed = true;

  ScanSegment(*this, reinterpret_cast<const unsigned char*>(zSegment.data()), nSegScan, nSegEnd - 1, nSegStart,
              bAllIndexed);
}

// GetASeg with lines as grep counts them: the next segment from the first byte not yet
// scanned, every byte of it scanned (only an LF ends a line, and the CR before it is
// remembered across the segment's end).
void Lister::GetLineSeg() {
  const int64_t start = nScanFrom;
  if (start > nFileSize) {
    // The end moved below the scan (the file shrank): what was scanned ends the index.
    if (nOpenLine <= nFileSize && nOpenLine < start) {
      StoreRecord(*this, nOpenLine, std::min(start, nFileSize + 1) - nOpenLine, 0);
      nOpenLine = start;
    }
    bAllIndexed = true;
    return;
  }
  bIndexing = true;
  GetFdbin(start);
  bIndexing = false;
  const int32_t valid = nSegEnd - 1;
  const bool last = nSegStart + valid - 1 >= nFileSize;
  if (last) bAllIndexed = true;
  if (valid <= 0) {
    if (nOpenLine < start) StoreRecord(*this, nOpenLine, start - nOpenLine, 0);
    nOpenLine = start;
    bAllIndexed = true;
    return;
  }
  ScanSegment(*this, reinterpret_cast<const unsigned char*>(zSegment.data()), valid, valid, nSegStart, last);
}

void Lister::StoreRecordPointers(int64_t RecPointer, int32_t RecLen, int32_t RecFlags) {
  StoreRecord(*this, RecPointer, RecLen, RecFlags);
}

int64_t Lister::FindRecAddr(int32_t Recno) {
  if (Recno < 0 || Recno > nRecCount || nRecCount == 0) {
    // Not indexed: no address. Callers ask only for indexed records.
    AddrCache.rec = -1;
    return 0;
  }
  int32_t d = AddrCache.rec < 0 ? 2 : Recno - AddrCache.rec;
  if (d == 1) {
    AddrCache.addr += AddrCache.len + AddrCache.count;
    AddrCache.len = RecLen(Recno);
    AddrCache.count = RecEnds(Recno);
    ++LookupStats[kLookupNext];
  } else if (d == -1) {
    AddrCache.len = RecLen(Recno);
    AddrCache.count = RecEnds(Recno);
    AddrCache.addr -= AddrCache.len + AddrCache.count;
    ++LookupStats[kLookupPrev];
  } else if (d == 0) {
    ++LookupStats[kLookupSame];
  } else {
    int32_t k = Recno / 16;
    int64_t addr = CheckpointAddr(k);
    int64_t len = RecLen(int64_t{16} * k);
    int32_t count = RecEnds(int64_t{16} * k);
    for (int32_t m = 1; m <= Recno % 16; ++m) {
      addr += len + count;
      len = RecLen(int64_t{16} * k + m);
      count = RecEnds(int64_t{16} * k + m);
    }
    AddrCache.addr = addr;
    AddrCache.len = len;
    AddrCache.count = count;
    ++LookupStats[kLookupRandom];
  }
  AddrCache.rec = Recno;
  return AddrCache.addr;
}

void Lister::GetZCurRec(int32_t Recno) {
  nCurRec = Recno;
  nYieldCount = 1;
  while (nCurRec > nRecCount) {
    if (bAllIndexed || bIndexing) {
      nCurRecLen = -1;
      nYieldCount = 0;
      return;
    }
    GetASeg();
  }
  nYieldCount = 0;
  if (nCurRec < 1) {
    nCurRecLen = -1;
    return;
  }
  int64_t address = FindRecAddr(nCurRec);
  if (AddrCache.len > nSegBytes) {
    GetLongRec(address, AddrCache.len);
    return;
  }
  nCurRecLen = static_cast<int32_t>(AddrCache.len);
  if (address + nCurRecLen - 1 > nSegStart + nSegEnd - 2) {
    if (address > nFileSize) {
      if (!bFileShrank) vxCatastrophe("VX9034 - Logic error - Record pointer beyond EOF");
      // The file lost this record's bytes while it was viewed.
      nCurRecLen = 0;
      nCurRecPos = 1;
      return;
    }
    GetFdbin(address);
  } else if (address < nSegStart) {
    GetFdbin(std::max<int64_t>(1, address + std::min(nLongestRec, nSegBytes) - nSegBytes));
  }
  nCurRecPos = static_cast<int32_t>(address - nSegStart + 1);
  // Only bytes that were read from the file are handed out.
  if (nCurRecPos + nCurRecLen - 1 > nSegEnd - 1) nCurRecLen = std::max(0, nSegEnd - nCurRecPos);
}

// A line longer than a segment (lines as grep counts them): its first kLongLineShown
// bytes are brought into the buffer, which grows for them.
void Lister::GetLongRec(int64_t address, int64_t len) {
  const int64_t shown = std::min<int64_t>(len, kLongLineShown);
  if (!(nSegStart > 0 && address >= nSegStart && address + shown - 1 <= nSegStart + nSegEnd - 2)) {
    if (address > nFileSize) {
      nCurRecLen = 0;
      nCurRecPos = 1;
      return;
    }
    if (static_cast<int64_t>(zSegment.size()) < shown) zSegment.resize(static_cast<size_t>(shown), ' ');
    const int64_t want = std::min(shown, nFileSize - address + 1);
    long got = hFdbin == kInvalidFile ? -1 : P.files.ReadAt(hFdbin, address, zSegment.data(), static_cast<long>(want));
    if (got < 0) got = 0;
    nSegStart = address;
    nSegEnd = static_cast<int32_t>(got) + 1;
    nSegScan = static_cast<int32_t>(got);
  }
  nCurRecPos = static_cast<int32_t>(address - nSegStart + 1);
  nCurRecLen = static_cast<int32_t>(std::min<int64_t>(shown, nSegEnd - nCurRecPos));
}

bool Lister::bCheckForRec(int32_t Recno) {
  nYieldCount = 1;
  while (!bAllIndexed && !bIndexing && Recno > nRecCount) GetASeg();
  nYieldCount = 0;
  if (Recno > nRecCount || Recno < 1) return false;
  if (Recno == nRecCount && !bGrepLines) {
    uint16_t e = RecLens[Recno];
    int32_t len = e & 4095;
    if (e != 0 && (e >> 12) == 0) {
      // The record's bytes: from the segment when it still holds them, else from the file.
      std::string bytes;
      int64_t pos = nLastRecPointer - nSegStart + 1;
      if (nSegStart > 0 && pos >= 1 && pos + len - 1 <= nSegEnd - 1) {
        bytes = zSegment.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(len));
      } else if (hFdbin != kInvalidFile) {
        bytes.assign(static_cast<size_t>(len), '\0');
        long got = P.files.ReadAt(hFdbin, nLastRecPointer, bytes.data(), len);
        bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
      }
      if (!bytes.empty() && bytes.find_first_not_of('\x1a') == std::string::npos) {
        // Only the file's last record is the end-of-file mark. A record cut at the longest
        // length has no line end either and more may follow it: index on until that is known.
        nYieldCount = 1;
        while (!bAllIndexed && !bIndexing && Recno == nRecCount) GetASeg();
        nYieldCount = 0;
        return !(Recno == nRecCount && bAllIndexed);
      }
    }
  }
  return true;
}

bool Lister::DebugLookupsWereRandom() {
  int64_t total = int64_t{LookupStats[0]} + LookupStats[1] + LookupStats[2] + LookupStats[3];
  return total >= 10001 && LookupStats[kLookupRandom] > LookupStats[kLookupNext] + LookupStats[kLookupPrev] + 8;
}

}  // namespace tembra
