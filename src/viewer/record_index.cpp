// The viewed file: opening it, reading it in segments, and the record index that finds
// any line by number without holding the file in memory.
#include <algorithm>
#include <cstring>

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

namespace tembra {

namespace {

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

[[maybe_unused]] void MasksPortable(const unsigned char* p, int32_t blocks, LineEndMasks& m) {
  for (int32_t k = 0; k < blocks; ++k, p += 64) MasksPortableOne(p, m.Cr[k], m.Lf[k]);
}

#if defined(__SSE2__)
void MasksSse2(const unsigned char* p, int32_t blocks, LineEndMasks& m) {
  const __m128i vcr = _mm_set1_epi8('\r');
  const __m128i vlf = _mm_set1_epi8('\n');
  for (int32_t k = 0; k < blocks; ++k, p += 64) {
    uint64_t cr = 0, lf = 0;
    for (int q = 0; q < 4; ++q) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * q));
      cr |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vcr)))) << (16 * q);
      lf |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vlf)))) << (16 * q);
    }
    m.Cr[k] = cr;
    m.Lf[k] = lf;
  }
}
#endif

#if TEMBRA_HAVE_AVX2
__attribute__((target("avx2"))) void MasksAvx2(const unsigned char* p, int32_t blocks, LineEndMasks& m) {
  const __m256i vcr = _mm256_set1_epi8('\r');
  const __m256i vlf = _mm256_set1_epi8('\n');
  for (int32_t k = 0; k < blocks; ++k, p += 64) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    uint64_t crLo = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, vcr)));
    uint64_t crHi = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, vcr)));
    uint64_t lfLo = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, vlf)));
    uint64_t lfHi = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, vlf)));
    m.Cr[k] = crLo | (crHi << 32);
    m.Lf[k] = lfLo | (lfHi << 32);
  }
}
#endif

using MasksFn = void (*)(const unsigned char*, int32_t, LineEndMasks&);

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

// Masks of the first `valid` bytes of a segment buffer of kSegBytes bytes.
void SegmentMasks(const unsigned char* buf, int32_t valid, LineEndMasks& m) {
  static const MasksFn fn = ChooseMasks();
  const int32_t whole = valid / 64;
  fn(buf, whole, m);
  // The bytes after the last whole block are copied first: nothing past `valid` is read.
  if (valid % 64 != 0) {
    alignas(64) unsigned char last[64] = {};
    std::memcpy(last, buf + int64_t{whole} * 64, static_cast<size_t>(valid % 64));
    MasksPortableOne(last, m.Cr[whole], m.Lf[whole]);
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
  v.nNextCheckpoint += 16;
}

// Appends one record to the index (the body of StoreRecordPointers, inlined into the scan).
inline void StoreRecord(ViewerState& v, int64_t RecPointer, int32_t RecLen, int32_t RecFlags) {
  int32_t n = ++v.nRecCount;
  v.nLastRecPointer = RecPointer;
  if (RecLen > v.nLongestRec) v.nLongestRec = RecLen;
  if (n > v.RecLens.Max()) GrowRecLens(v);
  v.RecLens[n] = static_cast<uint16_t>(RecFlags * 4096 + RecLen);
  if (n == v.nNextCheckpoint) StoreCheckpoint(v, RecPointer);
}

// Indexes the records of one segment of `valid` bytes at file address segStart, whose
// first `scan` bytes are scanned for line ends (the last byte of a full segment is only
// looked at as the byte after a CR); `last` when the segment ends the file, whose
// unterminated tail is then a record too.
void ScanSegment(ViewerState& v, const unsigned char* buf, int32_t scan, int32_t valid, int64_t segStart, bool last) {
  const int32_t maxRec = v.nMaxRecLen;
  const uint32_t base = static_cast<uint32_t>(segStart);
  if (scan <= 0) return;

  // A segment of s bytes holds at most s + 1 records: room for them is made first, so
  // that records are stored without a check each; the highest indexes of the tables
  // follow their growth rule afterwards.
  const int32_t n0 = v.nRecCount;
  v.RecLens.Reserve(int64_t{n0} + scan + 2);
  v.RecAddrs.Reserve((int64_t{n0} + scan + 2) / 16 + 1);
  uint16_t* lens = v.RecLens.data();
  uint32_t* addrs = v.RecAddrs.data();

  static LineEndMasks* const masks = new LineEndMasks;
  SegmentMasks(buf, valid, *masks);
  const int32_t blocks = (valid + 63) / 64;

  int32_t n = n0, longest = v.nLongestRec;
  int32_t b = 0;      // 0-based start of the current record
  int32_t lastB = 0;  // start of the last record stored
  // Entry k of RecAddrs is record 16k's address; the address of every other record goes
  // to entry 0, which is set back to 0 at the end (a store without a branch per record).
  auto store = [&](int32_t len, uint32_t entry) {
    ++n;
    lens[n] = static_cast<uint16_t>(entry);
    addrs[(n & 15) == 0 ? (n >> 4) : 0] = base + static_cast<uint32_t>(b);
    lastB = b;
    longest = std::max(longest, len);
  };
  uint64_t crBefore = 0;  // a CR as the last byte of the previous block
  for (int32_t k = 0, blk = 0; blk < scan; ++k, blk += 64) {
    const uint64_t cr = masks->Cr[k], lf = masks->Lf[k];
    const uint64_t lfAfter = k + 1 < blocks ? (masks->Lf[k + 1] & 1) : 0;
    // A CR followed by an LF ends its record with both bytes; that LF ends nothing.
    const uint64_t pairs = cr & ((lf >> 1) | (lfAfter << 63));
    uint64_t ends = cr | (lf & ~((cr << 1) | crBefore));
    crBefore = cr >> 63;
    if (scan - blk < 64) ends &= (uint64_t{1} << (scan - blk)) - 1;
    while (ends != 0) {
      const int32_t bit = __builtin_ctzll(ends);
      ends &= ends - 1;
      const int32_t j = blk + bit;
      int32_t len = j - b;
      if (__builtin_expect(len > maxRec, 0)) {
        while (len > maxRec) {
          store(maxRec, static_cast<uint32_t>(maxRec));
          b += maxRec;
          len -= maxRec;
        }
      }
      const int32_t pair = static_cast<int32_t>((pairs >> bit) & 1);
      store(len, static_cast<uint32_t>(((1 + pair) << 12) | len));
      b = j + 1 + pair;
    }
  }
  int32_t tail = scan - b;
  while (tail > maxRec) {
    store(maxRec, static_cast<uint32_t>(maxRec));
    b += maxRec;
    tail -= maxRec;
  }
  if (last && tail > 0) store(tail, static_cast<uint32_t>(tail));
  if (n == n0) return;

  // Write back: the counters, the fixed entries 0 and the tables' highest indexes.
  if (n0 == 0) v.RecAddrs.Resize(1023);
  v.RecAddrs[0] = 0;
  v.RecLens[0] = 4096;
  while (n > v.RecLens.Max()) GrowRecLens(v);
  while (n / 16 > v.RecAddrs.Max()) GrowRecAddrs(v);
  v.nRecCount = n;
  v.nLongestRec = longest;
  v.nLastRecPointer = int64_t{base} + lastB;
  v.nNextCheckpoint = (n / 16 + 1) * 16;
}

}  // namespace

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
  // in it fits a 32-bit number.
  nFileSize = std::min(static_cast<int64_t>(Val(sizeField)), kMaxViewedSize);
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
    if (nYieldCount > 50000000) {
      nYieldCount = 1;
      DoEvents();
    }
  }
  if (static_cast<int32_t>(zSegment.size()) != kSegBytes) zSegment.assign(kSegBytes, ' ');
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
  int64_t start = 1;
  if (nSegStart != 0 && nRecCount > 0) {
    uint16_t e = RecLens[nRecCount];
    start = nLastRecPointer + (e & 4095) + (e >> 12);
  }
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
    uint16_t e = RecLens[Recno];
    AddrCache.addr += AddrCache.len + AddrCache.count;
    AddrCache.len = e & 4095;
    AddrCache.count = e >> 12;
    ++LookupStats[kLookupNext];
  } else if (d == -1) {
    uint16_t e = RecLens[Recno];
    AddrCache.len = e & 4095;
    AddrCache.count = e >> 12;
    AddrCache.addr -= AddrCache.len + AddrCache.count;
    ++LookupStats[kLookupPrev];
  } else if (d == 0) {
    ++LookupStats[kLookupSame];
  } else {
    int32_t k = Recno / 16;
    int64_t addr = RecAddrs[k];
    uint16_t e = RecLens[int64_t{16} * k];
    int32_t len = e & 4095, count = e >> 12;
    for (int32_t m = 1; m <= Recno % 16; ++m) {
      addr += len + count;
      e = RecLens[int64_t{16} * k + m];
      len = e & 4095;
      count = e >> 12;
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
  nCurRecLen = AddrCache.len;
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
    GetFdbin(std::max<int64_t>(1, address + nLongestRec - nSegBytes));
  }
  nCurRecPos = static_cast<int32_t>(address - nSegStart + 1);
  // Only bytes that were read from the file are handed out.
  if (nCurRecPos + nCurRecLen - 1 > nSegEnd - 1) nCurRecLen = std::max(0, nSegEnd - nCurRecPos);
}

bool Lister::bCheckForRec(int32_t Recno) {
  nYieldCount = 1;
  while (!bAllIndexed && !bIndexing && Recno > nRecCount) GetASeg();
  nYieldCount = 0;
  if (Recno > nRecCount || Recno < 1) return false;
  if (Recno == nRecCount) {
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
