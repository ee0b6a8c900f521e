// The record index as an engine of its own: it finds a record (a line) by number, appends
// records, and says how far the file is indexed. Its tables are the viewer's fields
// (RecLens, RecAddrs and the rest); the viewer's procedures (GetASeg, FindRecAddr,
// StoreRecordPointers, ...) are the entry points that use it.
#pragma once

#include <cstdint>

#include "viewer/viewer_state.h"

namespace tembra {

// Bytes indexed between two runs of the event pump during a long scan.
constexpr int32_t kYieldBytes = 50000000;

// Record numbers are 32-bit; a file of more lines is indexed this far (a segment or a
// piece never adds more than the rest).
constexpr int32_t kMaxRecords = INT32_MAX - (8 << 20);

// The share of the records the rest of a file holds, at the rate so far, that the tables
// are expected to receive: memory for that many is backed ahead, in huge pages where it
// can be, and is sure to be written when the lines of the file are about even.
constexpr double kExpectedShare = 0.875;

// Where a record scan stands between two pieces of the file: the start of the record
// not yet ended, relative to the start of the next piece (at most the longest record
// length before it, or any length with lines as grep counts them), and whether the byte
// before that piece is a CR.
struct ScanCursor {
  int64_t b = 0;
  uint64_t crBefore = 0;
};

// The loop that stores records from line-end masks: the widest the processor runs (the
// default), the one with the bit instructions, or the portable one; checks compare them.
enum class StoreLoop { kWidest = 0, kBits = 1, kPortable = 2 };
void UseStoreLoop(StoreLoop loop);

class RecordIndex {
 public:
  explicit RecordIndex(ViewerState& v) : v_(v) {}

  // A record: its 1-based file address, its length (line end not counted) and the number
  // of line-end bytes after it.
  struct Line {
    int64_t addr = 0, len = 0;
    int32_t ends = 0;
  };
  // Record n (indexed already, 0..nRecCount), through the lookup cache: the next, the
  // previous or the same record in one step, any other from its checkpoint.
  Line Find(int32_t n);

  // Takes the last record away again (its line had no end yet, and more of it came).
  void DropLast();
  // Takes away what an append that failed (a table that could not grow) left beyond the
  // records counted.
  void DropUnstored();
  // Appends one record.
  void Append(int64_t addr, int64_t len, int32_t ends);
  // Appends the records that end in the first `scan` bytes of a piece at file address
  // pieceStart, given its line-end masks over `valid` bytes; `at` carries the record not
  // yet ended from piece to piece; `last` when the piece ends the file.
  void AppendPiece(const uint64_t* crs, const uint64_t* lfs, int32_t scan, int32_t valid, int64_t pieceStart,
                   ScanCursor& at, bool last);
  // The same for a segment in a buffer, its masks found first; lines as grep counts them
  // go on from where the scan stopped.
  void AppendSegment(const unsigned char* buf, int32_t scan, int32_t valid, int64_t segStart, bool last);

  // How far: the address after the last record, and where indexing goes on (with lines
  // as grep counts them, the first byte not yet scanned).
  int64_t NextStart() const;
  int64_t ScanStart() const;
  // The records expected to be indexed by address `upTo`: those indexed, and
  // kExpectedShare of those the bytes from the scan up to there hold at the rate so far.
  int64_t ExpectedBy(int64_t upTo) const;
  // Lines as grep counts them: the cursor of a piece that starts where the scan stopped,
  // and the scan's place kept after it (nextPiece: the address after the piece).
  ScanCursor LineCursor(int64_t pieceStart) const;
  void KeepLineCursor(int64_t nextPiece, const ScanCursor& at);
  // Empty, for a file opened anew: no records, no long lines, no lookup cached, the scan
  // at the file's start.
  void Reset();

 private:
  ViewerState& v_;
};

}  // namespace tembra
