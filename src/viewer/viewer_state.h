// Fields of the viewed file: segments, record index, display lines, text view, navigation.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "core/core_state.h"
#include "core/unicode.h"
#include "platform/platform.h"
#include "search/pattern.h"

namespace tembra {

constexpr int32_t kSegBytes = 262144;               // bytes per segment read
constexpr int64_t kMaxViewedSize = 2147221504;      // 7FFC0000 hex: longest viewed length
constexpr int32_t kMaxDisplayLines = 63;            // display lines of one record
constexpr char kStandardInputShown[] = "standard input";  // its name where names show
// A line longer than kLongLineShown is counted, addressed and searched whole, and read
// for display a piece of that many bytes at a time.
constexpr int32_t kLongLineShown = 8 << 20;
// Record-table entry of a line of kLongEntry bytes or more (lines as grep counts them):
// the length lives in LongRecs, the low bits keep the line-end count.
constexpr uint16_t kLongFlag = 0x8000;
constexpr int64_t kLongEntry = 4096;
// A record-table entry packs the line-end count above the length: count * 4096 + length.
// EntryLen: the length bits; EntryEnds: the count of any entry; EntryBitsAbove: all bits
// above the length (the count itself in an entry without kLongFlag); EntrySize: length
// plus count of an entry without kLongFlag.
// They keep the entry's own type (promoted as the expressions they name would be).
template <class E>
constexpr auto EntryLen(E e) { return e & 4095; }
template <class E>
constexpr auto EntryEnds(E e) { return (e >> 12) & 3; }
template <class E>
constexpr auto EntryBitsAbove(E e) { return e >> 12; }
template <class E>
constexpr auto EntrySize(E e) { return EntryLen(e) + EntryBitsAbove(e); }

// A growable table of plain numbers with an explicit highest index. The memory behind
// it may reach further than the highest index (room reserved for a whole segment of
// records), so that a scan can store without a check per record; it never shrinks.
template <class T>
class GrowTable {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  // Highest valid index, -1 when empty.
  int64_t Max() const { return max_; }
  // Makes the highest index newMax, keeping the contents below it.
  void Resize(int64_t newMax) {
    if (newMax + 1 > cap_) Grow(newMax + 1);
    max_ = newMax;
  }
  // Makes room for `entries` entries (indexes 0..entries-1) without changing Max(): half
  // as much again as there is, or, where memory has no room for that, just as many.
  void Reserve(int64_t entries) {
    if (entries <= cap_) return;
    const int64_t roomy = std::max(entries, cap_ + cap_ / 2);
    try {
      Grow(roomy);
    } catch (const std::bad_alloc&) {
      if (roomy == entries) throw;
      Grow(entries);
    }
  }
  // Backs the first `entries` entries with memory ahead of their writing, in steps of
  // 32 KiB (so that at most a step is held before it is used); `expected`: the entries
  // the table is expected to hold in the end.
  void Prepare(int64_t entries, int64_t expected) {
    if (entries <= ready_) return;
    constexpr int64_t kStep = (32 << 10) / static_cast<int64_t>(sizeof(T));
    const int64_t to = std::min(cap_, (entries + kStep - 1) / kStep * kStep);
    mem_.Prepare(static_cast<size_t>(ready_) * sizeof(T), static_cast<size_t>(to) * sizeof(T),
                 static_cast<size_t>(std::max<int64_t>(expected, 0)) * sizeof(T));
    ready_ = to;
  }
  // Makes room for the first `entries` entries and returns the memory not yet backed, for
  // another thread to back (BackMemory) while this one writes; empty where it cannot.
  MemorySpan PrepareElsewhere(int64_t entries, int64_t expected) {
    if (entries <= ready_) return {};
    try {
      Reserve(entries);
    } catch (const std::bad_alloc&) {
      return {};  // only a help: the table grows as it is written
    }
    const MemorySpan span = mem_.PrepareElsewhere(static_cast<size_t>(ready_) * sizeof(T),
                                                  static_cast<size_t>(entries) * sizeof(T),
                                                  static_cast<size_t>(std::max<int64_t>(expected, 0)) * sizeof(T));
    if (span.bytes != 0) ready_ = entries;
    return span;
  }
  // At most this many entries (checks make it small, as if memory ran out): growing past
  // it throws std::bad_alloc.
  void Limit(int64_t entries) { limit_ = entries; }
  T& operator[](int64_t i) { return data_[i]; }
  const T& operator[](int64_t i) const { return data_[i]; }
  T* data() { return data_; }

 private:
  void Grow(int64_t entries) {
    if (entries > limit_) throw std::bad_alloc();
    mem_.Resize(static_cast<size_t>(entries) * sizeof(T));
    data_ = static_cast<T*>(mem_.data());
    cap_ = entries;
  }
  TableMemory mem_;
  T* data_ = nullptr;
  int64_t max_ = -1;
  int64_t cap_ = 0;    // entries the memory holds
  int64_t ready_ = 0;  // entries backed by Prepare
  int64_t limit_ = INT64_MAX;
};

// The shortest rest of a file indexed ahead on a second thread: 12 MiB, or none where
// only one processor is at hand.
int64_t AheadMinRestDefault();

struct ViewerState {
  // ---------------------------------------------------------------- settings (profile items)
  ProfileItem piAnySize;     // files of any length (else the first kMaxViewedSize bytes)
  ProfileItem piGrepLines;   // lines as grep counts them (else records of nMaxRecLen)
  ProfileItem piPipes;       // FIFOs, devices and zero-length /proc files read to their end
  // Compressed files (gzip, xz, zstd, bzip2, known by their first bytes) viewed as the text
  // they hold, decoded into a temporary file that grows as a pipe's copy does.
  ProfileItem piDecompress;
  bool bRawBytes = false;      // Alt+Z: the viewed compressed file as its own bytes
  std::string zDecompressed;   // the format the viewed file is decoded from ("gzip"), or ""
  std::string zMemberOf;       // the viewed file is a member of this archive (shown name), or ""
  FileHandle hMemberArchive = kInvalidFile;  // the archive a member's spool reads, while viewed

  // The viewed file's name as it is on disk: on the title line, or on the message line
  // when the file opens and the title has no room for it (SHOWNAME).
  ProfileItem piShowName;
  // The search takes an extended regular expression (REGEX); a pattern without an
  // upper-case letter of its own is case-blind (SMARTCASE).
  ProfileItem piRegex;
  ProfileItem piSmartCase;
  bool bNameOnTitle = false;  // the last title line of the file view holds the name
  // The viewed file is what was piped into the program: it has no name on disk, and no
  // folder of its own to go back to.
  bool bStandardInput = false;
  // ---------------------------------------------------------------- segments and index
  int32_t nTopRec = 0;
  int32_t nRecCount = 0;
  bool bAllIndexed = false;
  int64_t nFileSize = 0;          // viewed length (at most kMaxViewedSize unless any size)
  int64_t nTrueFileSize = 0;      // the file's own length when it was opened
  bool bGrepLines = false;        // this file is indexed in lines as grep counts them
  int32_t nMaxRecLen = 4095;
  std::string zSegment;           // the segment buffer (262,144 bytes)
  // Bytes per segment read: kSegBytes. Checks of the index use fewer (at least
  // nMaxRecLen + 2, so that every segment holds a whole record and ends a record).
  int32_t nSegBytes = kSegBytes;
  // Indexing a long rest of the file ahead with a second thread that reads it and finds
  // its line ends: bytes per piece the two threads hand over, and the shortest rest
  // indexed that way (smaller rests are indexed on one thread; on a single processor,
  // none). Checks make both small.
  int32_t nPieceBytes = 32 << 10;
  // Lines as grep counts them are read for display this many bytes at a time:
  // kLongLineShown (checks make it small).
  int32_t nLongLineShown = kLongLineShown;
  int64_t nAheadMinRest = AheadMinRestDefault();
  int64_t nAheadPieces = 0;       // pieces indexed that way (for checks)
  std::string zCurFileRec;        // directory record of the viewed file
  std::string zReopenFile;        // last file opened by entry ("Q" reopens it)
  std::string zReopenExact;       // the same file under its stored name
  FileHandle hFdbin = kInvalidFile;  // the viewed file, open read-only while viewed
  bool bFileShrank = false;       // the file got shorter while viewed; its end was moved
  // A source of unknown size (a pipe, a FIFO, a device, a /proc file), read into a
  // temporary file as it arrives: bStream for such a file, bStreamOpen while more may
  // arrive. bHoldEnd: the index leaves the last line open (more of it may come).
  bool bStream = false;
  bool bStreamOpen = false;
  bool bHoldEnd = false;
  // Following the end of the file (tail -f): the loop runs, and a key asks it to stop.
  bool bFollowing = false;
  bool bFollowStop = false;
  // The start-up runs (keys reach the program only after it): a source shows what has
  // arrived, and waits for more once the program has started (AfterStartUp).
  bool bLoading = false;
  std::string zOpenedAs;          // the name the viewed file was opened by (read again by it)
  bool bIndexing = false;         // a segment scan is under way (the event pump may run)
  int64_t nSegStart = 0;          // file address of the buffer's first byte; 0 = none read
  int32_t nSegEnd = 1;            // valid bytes in the buffer plus one
  int32_t nSegScan = 0;           // buffer bytes the indexer scans for line ends
  int64_t nLastRecPointer = 0;    // file address of record nRecCount
  int32_t nLongestRec = 1;
  GrowTable<uint16_t> RecLens;    // per record: line-end count * 4096 + length
  GrowTable<uint32_t> RecAddrs;   // entry k: low 32 bits of the file address of record 16k
  // Where the high 32 bits of the checkpoint addresses change: from checkpoint `from` on
  // they are `high` (addresses only grow, so a file of n times 4 GiB has n entries).
  struct AddrHigh {
    int64_t from;
    uint32_t high;
  };
  std::vector<AddrHigh> RecAddrHigh;
  // Lines of kLongEntry bytes or more, in record order (lines as grep counts them).
  struct LongRec {
    int32_t rec;
    int64_t len;
  };
  std::vector<LongRec> LongRecs;
  // Lines as grep counts them: the scan goes on where it stopped, not at the next record,
  // since a line may be longer than a segment.
  int64_t nScanFrom = 1;          // address of the first byte not yet scanned
  int64_t nOpenLine = 1;          // address of the line not yet ended
  bool bCrBefore = false;         // the byte before nScanFrom is a CR
  int32_t nNextCheckpoint = 1;
  struct {
    int32_t rec = -1;             // -1: empty
    int64_t addr = 0;
    int64_t len = 0;
    int32_t count = 0;
  } AddrCache;
  // Lookups that were next, previous, same and random record.
  std::array<uint64_t, 4> LookupStats{};  // (64 bits: a long session makes billions)
  int32_t nCurRec = 0, nCurRecLen = -1, nCurRecPos = 1;

  // Length of record n (line end not counted) and its line-end count.
  int64_t RecLen(int64_t n) const {
    const uint16_t e = RecLens[n];
    return (e & kLongFlag) ? LongRecLen(n) : EntryLen(e);
  }
  int32_t RecEnds(int64_t n) const { return EntryEnds(RecLens[n]); }
  int64_t RecSize(int64_t n) const { return RecLen(n) + RecEnds(n); }
  int64_t LongRecLen(int64_t n) const {
    auto it = std::lower_bound(LongRecs.begin(), LongRecs.end(), n,
                               [](const LongRec& l, int64_t r) { return l.rec < r; });
    return it != LongRecs.end() && it->rec == n ? it->len : 0;
  }
  // File address of record 16k.
  int64_t CheckpointAddr(int64_t k) const {
    int64_t a = RecAddrs[k];
    if (!RecAddrHigh.empty()) {
      auto it = std::upper_bound(RecAddrHigh.begin(), RecAddrHigh.end(), k,
                                 [](int64_t x, const AddrHigh& h) { return x < h.from; });
      if (it != RecAddrHigh.begin()) a += int64_t{std::prev(it)->high} << 32;
    }
    return a;
  }

  // ---------------------------------------------------------------- display lines
  bool bUnTab = true;
  std::vector<int32_t> nTabStops;  // 1-based, 63 stops
  std::string zRecText;            // the current record after tab expansion
  int32_t nWrapMode = 0;           // 0 no wrap, 2 word wrap
  // A record cut into display lines: [1..n] start, length; [0] n, record. At most
  // kMaxDisplayLines of them, except for lines as grep counts them (any length).
  std::vector<std::array<int32_t, 2>> RecParse = std::vector<std::array<int32_t, 2>>(kMaxDisplayLines + 1);
  // Wrapped lines as grep counts them may be longer than a page: the page then starts
  // nTopRow display lines into record nTopRowRec (when that is still nTopRec), and the
  // display line after the page is line nNextRow of record nNextRowRec (0: a record's start).
  // A line longer than kLongLineShown is wrapped in pieces of that many bytes (see
  // GetLongRec): the rows count within piece nTopPiece, nNextRowPiece.
  int32_t nTopRow = 0, nTopRowRec = 0;
  int32_t nNextRow = 0, nNextRowRec = 0;
  int64_t nTopPiece = 0, nNextRowPiece = 0;
  // Unwrapped, the pieces of such a line lie one after the other: the column each starts
  // at (as far as measured), for the last line asked, with what its widths depend on.
  struct PieceColumns {
    int64_t addr = -1, len = 0;
    uint64_t key = 0;
    std::vector<int64_t> starts;
    int64_t measured = -1;  // the piece measured last
  } PieceCols;
  std::array<std::string, 256> zEbcdic;
  // zRecText decoded (UTF-8 text): its cells; for each byte of zRecText and one past the
  // end the cell its character starts at; for each cell the byte its character starts
  // at (-1 for the second cell of a wide character).
  std::vector<TextCell> vRecCells;
  std::vector<int32_t> nCellOfByte, nByteOfCell;

  // ---------------------------------------------------------------- text view
  int32_t nHOffset = 0;
  bool bLineNumbers = false;       // line numbers in a left column (LINENUMBERS, key l)
  int32_t nNumberCols = 0;         // that column on the page: its digits and a blank (0: none)
  bool bLineMarked = false;        // the line being drawn is marked for copying (Linux profile)
  int64_t nBottomRec = 0;          // text view: last record drawn; hex view: last line's offset
  std::string zRuler;              // column ruler, 480 characters


  // The search text the text view highlights, and a hit to bring into view (set by
  // the search).
  std::string zFindText;
  std::unique_ptr<CaseBlindUtf8> pFoldUtf8;  // case-blind UTF-8 search of the last pattern
  int32_t nFindLen = 0;
  bool bFindNoCase = false;
  // With REGEX: the compiled search (a regular expression, or the text literally when
  // bFindLiteral, the search prompt's Ctrl+R); null: the literal search of zFindText.
  std::shared_ptr<const search::Pattern> pFindPattern;
  bool bFindLiteral = false;
  bool bFindColStart = false;      // "@n=" with a pattern: the match starts at column n
  bool bShowHit = false;
  int32_t nHitRec = 0;             // the hit's record
  int32_t nHitCol = 0;             // the hit's byte in its line, or in piece nHitPiece of it
  int32_t nHitLen = 0;             // the hit's length in bytes
  int64_t nHitPiece = 0;

  // ---------------------------------------------------------------- navigation
  int64_t nHexTop = 0;             // hex page: 0-based offset of its first byte
  int32_t nHexMask = -16;          // -16 or -32 bytes per hex line
};

}  // namespace tembra
