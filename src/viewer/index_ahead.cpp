// Indexing a long rest of the file ahead: a second thread (the host's helper thread)
// reads pieces and finds their line ends while the caller stores the records.
#include <algorithm>
#include <atomic>
#include <memory>
#include <new>

#include "core/lister.h"
#include "viewer/file_view.h"
#include "viewer/line_masks.h"
#include "viewer/record_store.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tembra {

// A long rest of the file is indexed by two threads: pieces of it are read and their line
// ends found (the bit masks) by a second thread and, whenever it would otherwise wait, by
// the caller's thread too, while the caller's thread stores the records from those masks
// into the tables in the pieces' order, exactly as the one-thread scan does. The pieces
// follow one another from the first record not yet indexed and a record that spans
// pieces is carried over, so the tables are the same entry for entry. No events run until
// the second thread has stopped. It never reaches the file's last segment, which the
// usual scan reads and which completes the index.

constexpr int32_t kAheadSlots = 4;  // pieces read ahead of the caller at most

// Memory of one run: a read buffer for each thread (the caller's made when it first reads
// a piece; where the second thread keeps ahead, it never does) and the masks of each slot.
struct AheadBuffers {
  explicit AheadBuffers(int32_t piece)
      : words(piece / 64 + 2), read(new unsigned char[static_cast<size_t>(piece) + 1]),
        masks(new uint64_t[static_cast<size_t>(2 * kAheadSlots) * static_cast<size_t>(words)]),
        piece(piece) {}
  const int32_t words;  // mask words of a piece and the byte after it
  std::unique_ptr<unsigned char[]> read, callerRead;
  std::unique_ptr<uint64_t[]> masks;
  const int32_t piece;
  // The buffer of the second thread or of the caller; null when the caller's cannot be made.
  unsigned char* Read(bool helper) {
    if (helper) return read.get();
    if (!callerRead) callerRead.reset(new (std::nothrow) unsigned char[static_cast<size_t>(piece) + 1]);
    return callerRead.get();
  }
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

// The pieces of one stretch: piece i lies at `from` + i * piece, up to `to`, and its masks
// go into slot i % kAheadSlots once the caller has stored piece i - kAheadSlots. Either
// thread claims the next piece not yet claimed; the second thread claims one after the
// other, the caller only while the piece it must store next is not ready.
struct PieceReader {
  PieceReader(FileSystem& f, FileHandle h, int64_t start, int64_t end, int32_t bytes, AheadBuffers& b)
      : fs(f), file(h), from(start), to(end), piece(bytes), bufs(b) {}
  FileSystem& fs;
  const FileHandle file;
  const int64_t from, to;
  const int32_t piece;
  AheadBuffers& bufs;
  MemorySpan spare[2];  // table memory the second thread backs while it would wait
  int32_t scan[kAheadSlots] = {};  // bytes of the piece in the slot; 0 when it could not be read
  std::atomic<int32_t> ready[kAheadSlots] = {};  // 1 + the piece whose masks the slot holds
  std::atomic<int32_t> claimed{0}, consumed{0};
  std::atomic<bool> stop{false};

  int32_t Pieces() const { return static_cast<int32_t>((to - from + piece - 1) / piece); }

  // Reads piece i (and the byte after it) and finds its masks; false when it could not be
  // read (the file shrank or failed).
  bool Fill(int32_t i, bool helper) {
    const int32_t slot = i % kAheadSlots;
    const int64_t at = from + int64_t{i} * piece;
    const int32_t bytes = static_cast<int32_t>(std::min<int64_t>(piece, to - at));
    // The byte after the piece tells whether a CR at its end is followed by an LF; the
    // file is longer than `to`, so a shorter read means it shrank or failed.
    unsigned char* buf = bufs.Read(helper);
    if (buf == nullptr) return false;
    const long got = fs.ReadAt(file, at, reinterpret_cast<char*>(buf), bytes + 1);
    scan[slot] = got == bytes + 1 ? bytes : 0;
    if (scan[slot] != 0) SegmentMasks(buf, bytes + 1, bufs.Cr(slot), bufs.Lf(slot));
    ready[slot].store(i + 1, std::memory_order_release);
    ready[slot].notify_one();
    return scan[slot] != 0;
  }

  // Backs the next 2 MiB of the spare table memory; false when none is left.
  bool BackSpare() {
    for (MemorySpan& s : spare) {
      if (s.bytes == 0) continue;
      const size_t bytes = std::min<size_t>(s.bytes, size_t{2} << 20);
      BackMemory(MemorySpan{s.at, bytes});
      s.at = static_cast<char*>(s.at) + bytes;
      s.bytes -= bytes;
      return true;
    }
    return false;
  }

  // The second thread.
  void Run() {
    const int32_t count = Pieces();
    for (;;) {
      // While every slot is full, the thread backs the tables' memory, with no piece
      // claimed: backing 2 MiB can take longer than the caller's storing of the pieces
      // ready, and the caller then reads the next piece itself rather than wait for it.
      while (consumed.load(std::memory_order_acquire) <= claimed.load(std::memory_order_acquire) - kAheadSlots &&
             BackSpare()) {
      }
      const int32_t i = claimed.fetch_add(1, std::memory_order_acq_rel);
      if (i >= count) return;
      // When every slot is full, the thread waits until half of them are free again, so
      // that it is not woken for every piece the caller takes.
      if (consumed.load(std::memory_order_acquire) <= i - kAheadSlots) WaitAbove(consumed, i - kAheadSlots / 2, stop);
      if (stop.load(std::memory_order_acquire) || !Fill(i, true)) return;
    }
  }

  // The caller, before it stores piece `next`: waits until its masks are ready, meanwhile
  // doing the next pieces itself while their slots are free. False when a piece could not
  // be read or the run stops.
  bool AwaitPiece(int32_t next) {
    std::atomic<int32_t>& mine = ready[next % kAheadSlots];
    while (mine.load(std::memory_order_acquire) <= next) {
      if (stop.load(std::memory_order_acquire)) return false;
      int32_t j = claimed.load(std::memory_order_acquire);
      if (j < Pieces() && j < next + kAheadSlots &&
          claimed.compare_exchange_weak(j, j + 1, std::memory_order_acq_rel)) {
        if (!Fill(j, false)) return false;
        continue;
      }
      if (j < Pieces() && j < next + kAheadSlots) continue;  // lost the claim: look again
      WaitAbove(mine, next, stop);
    }
    return scan[next % kAheadSlots] != 0;
  }
};

}  // namespace

// Indexes from the end of the index to about address `to` (records that end before it).
// False when the file could not be read as far; the usual scan then goes on.
bool FileView::IndexAheadStretch(int64_t to, AheadBuffers& bufs) {
  RecordIndex index(*this);
  const int64_t from = index.ScanStart();
  PieceReader r(W.P.files, hFdbin, from, to, nPieceBytes, bufs);
  // The tables' memory for the records the stretch is expected to add is backed by the
  // second thread while it waits for the caller, rather than page by page as it is written.
  const int64_t expected = index.ExpectedBy(to), inFile = index.ExpectedBy(nFileSize + 1);
  r.spare[0] = RecLens.PrepareElsewhere(expected + 1, inFile + 1);
  r.spare[1] = RecAddrs.PrepareElsewhere(expected / 16 + 1, inFile / 16 + 1);
  HelperThread helper;
  if (!helper.Start([&r] { r.Run(); })) return false;
  // The second thread is stopped and joined however this ends (a table that cannot grow
  // throws).
  struct Ender {
    PieceReader& r;
    HelperThread& t;
    ~Ender() {
      r.stop.store(true, std::memory_order_release);
      r.consumed.store(INT32_MAX, std::memory_order_release);
      r.consumed.notify_all();
      t.Join();
    }
  } ender{r, helper};

  ScanCursor cursor = bGrepLines ? index.LineCursor(from) : ScanCursor{};
  const int32_t count = r.Pieces();
  for (int32_t i = 0; i < count; ++i) {
    if (!r.AwaitPiece(i) || nRecCount >= kMaxRecords) return false;
    const int32_t slot = i % kAheadSlots;
    const int64_t at = from + int64_t{i} * nPieceBytes;
    index.AppendPiece(bufs.Cr(slot), bufs.Lf(slot), r.scan[slot], r.scan[slot] + 1, at, cursor, false);
    if (bGrepLines) index.KeepLineCursor(at + r.scan[slot], cursor);
    ++nAheadPieces;
    r.consumed.store(i + 1, std::memory_order_release);
    r.consumed.notify_one();
    // A stretch that takes long (a slow disk) ends early for the progress and the events.
    if (W.nYieldCount != 0 && (i & 63) == 63 && ScanProgressDue()) return true;
  }
  return true;
}

int64_t AheadMinRestDefault() {
  static const int64_t rest = HelperThreadsPay() ? int64_t{12} << 20 : INT64_MAX;
  return rest;
}

void FileView::IndexAheadToRecord(int32_t rec) {
  if (rec <= nRecCount || nRecCount < 1) return;
  // Three quarters of the way the records indexed so far let expect; the usual scan
  // goes the rest.
  const int64_t at = RecordIndex(*this).ScanStart();
  IndexAhead(at + (at - 1) / nRecCount * (int64_t{rec} - nRecCount) * 3 / 4);
}

void FileView::IndexAhead(int64_t upTo) {
  const RecordIndex index(*this);
  if (bIndexing || bAllIndexed || nRecCount < 1 || nSegStart == 0 || hFdbin == kInvalidFile || bFileShrank) return;
  if (nFileSize - index.ScanStart() + 1 < nAheadMinRest || nPieceBytes < 1) return;
  std::unique_ptr<AheadBuffers> bufs;
  try {
    bufs = std::make_unique<AheadBuffers>(nPieceBytes);
  } catch (const std::bad_alloc&) {
    return;  // the usual scan needs no more memory than the tables
  }
  for (;;) {
    const int64_t at = index.ScanStart();
    // The file's last segment is left to the usual scan.
    const int64_t end = std::min(upTo, nFileSize - nSegBytes - 1);
    if (end - at <= nMaxRecLen) return;
    // While events are let run, a stretch ends where the count passes kYieldBytes
    // (a record may end up to the longest length before the stretch's end).
    const int64_t to =
        W.nYieldCount != 0 ? std::min<int64_t>(end, at + std::max(1, kYieldBytes + 1 - W.nYieldCount) + nMaxRecLen + 2) : end;
    const FileHandle file = hFdbin;
    bool went = false;
    try {
      went = IndexAheadStretch(to, *bufs);
    } catch (const std::bad_alloc&) {
      IndexOutOfMemory();
      return;
    }
    if (!went || index.ScanStart() <= at) return;
    if (W.nYieldCount != 0) {
      W.nYieldCount = static_cast<int32_t>(std::min<int64_t>(int64_t{W.nYieldCount} + index.ScanStart() - at, INT32_MAX));
      const bool due = ScanProgressDue();
      if (W.nYieldCount > kYieldBytes || due) {
        W.nYieldCount = 1;
        if (due) ShowScanProgress(nRecCount, index.ScanStart() - 1);
        bIndexing = true;
        W.DoEvents();
        bIndexing = false;
      }
    }
    if (hFdbin != file || bAllIndexed || bFileShrank || W.bScanStopped) return;
  }
}

}  // namespace tembra
