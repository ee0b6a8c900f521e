// The viewed file: opening it, reading it in segments, and the record index that finds
// any line by number without holding the file in memory.
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/lister.h"

namespace tembra {

namespace {

constexpr int kLookupNext = 0, kLookupPrev = 1, kLookupSame = 2, kLookupRandom = 3;

// Bit k of cr / lf set when byte k of the 64 bytes at p is a CR / an LF.
inline void LineEndMasks64(const unsigned char* p, uint64_t& cr, uint64_t& lf) {
#if defined(__SSE2__)
  const __m128i vcr = _mm_set1_epi8('\r');
  const __m128i vlf = _mm_set1_epi8('\n');
  cr = 0;
  lf = 0;
  for (int k = 0; k < 4; ++k) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    cr |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vcr)))) << (16 * k);
    lf |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vlf)))) << (16 * k);
  }
#else
  cr = 0;
  lf = 0;
  for (int k = 0; k < 64; ++k) {
    if (p[k] == '\r') cr |= uint64_t{1} << k;
    if (p[k] == '\n') lf |= uint64_t{1} << k;
  }
#endif
}

// Growth of the record table: whole blocks of 16,384 entries, about 1.4 times larger.
__attribute__((noinline)) void GrowRecLens(ViewerState& v) {
  int64_t newMax = (((v.RecLens.Max() + 1) / 16384 + 1) * 7 / 5) * 16384 - 1;
  v.RecLens.Resize(newMax);
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
  if (k > v.RecAddrs.Max()) {
    int64_t newMax = (((v.RecAddrs.Max() + 1) / 1024 * 4 + 4) / 3) * 1024 - 1;
    v.RecAddrs.Resize(newMax);
  }
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
    int32_t n = static_cast<int32_t>(Val(Mid(rec, 94, 4)));
    zCurFile = zCurDir + Mid(rec, 109, n);
    exactName = zCurDir + Mid(rec, 109 + n, n);
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
  std::string sizeField = Mid(rec, 66, 12);
  if (Val(Left(sizeField, 9)) > 2147483) nFileSize = kMaxViewedSize;
  else nFileSize = static_cast<int64_t>(Val(sizeField));
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
    if (!(TDISPLAY & TD_HEX)) bAllIndexed = true;
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
  int64_t want64 = std::min<int64_t>(kSegBytes, nFileSize - FBYTE + 1);
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
  if (remaining <= kSegBytes) {
    nSegScan = static_cast<int32_t>(remaining);
    nSegEnd = static_cast<int32_t>(remaining) + 1;
    if (!(TDISPLAY & TD_HEX)) bAllIndexed = true;
  } else {
    nSegEnd = kSegBytes + 1;
    nSegScan = kSegBytes - 1;
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
  // The last segment completes the index whatever the view: the hex view reads
  // segments without completing it, but a scan for records always does.
  bool last = nSegStart + nSegScan - 1 >= nFileSize;
  if (last) bAllIndexed = true;

  const unsigned char* buf = reinterpret_cast<const unsigned char*>(zSegment.data());
  const int32_t scan = nSegScan;
  const int32_t valid = nSegEnd - 1;
  const int32_t maxRec = nMaxRecLen;
  const int64_t base = nSegStart;

  // The index fields live in locals during the scan; Store appends one record exactly
  // as StoreRecordPointers does, and Sync writes the locals back.
  int32_t n = nRecCount, longest = nLongestRec, nextCheckpoint = nNextCheckpoint;
  int64_t lastPointer = nLastRecPointer;
  uint16_t* lens = RecLens.data();
  int64_t lensMax = RecLens.Max();
  auto sync = [&] {
    nRecCount = n;
    nLongestRec = longest;
    nLastRecPointer = lastPointer;
  };
  auto store = [&](int64_t pointer, int32_t len, int32_t flags) {
    ++n;
    lastPointer = pointer;
    if (len > longest) longest = len;
    if (n > lensMax) {
      sync();
      GrowRecLens(*this);
      lens = RecLens.data();
      lensMax = RecLens.Max();
    }
    lens[n] = static_cast<uint16_t>(flags * 4096 + len);
    if (n == nextCheckpoint) {
      sync();
      StoreCheckpoint(*this, pointer);
      nextCheckpoint = nNextCheckpoint;
      lens = RecLens.data();
    }
  };

  int32_t b = 0;          // 0-based start of the current record
  uint64_t carry = 0;     // the LF of a CR LF pair that ends a block, to skip in the next
  // Line ends are located 64 bytes at a time: one bit per CR and per LF. A CR whose next
  // byte (inside the file) is an LF ends its record with both bytes.
  for (int32_t blk = 0; blk < scan; blk += 64) {
    uint64_t cr, lf;
    if (blk + 64 <= kSegBytes) {
      LineEndMasks64(buf + blk, cr, lf);
    } else {
      cr = lf = 0;
      for (int32_t k = 0; blk + k < kSegBytes && k < 64; ++k) {
        if (buf[blk + k] == '\r') cr |= uint64_t{1} << k;
        if (buf[blk + k] == '\n') lf |= uint64_t{1} << k;
      }
    }
    if (valid - blk < 64) lf &= (uint64_t{1} << (valid - blk)) - 1;
    uint64_t pairs = cr & (lf >> 1);
    if ((cr >> 63) != 0 && blk + 64 < valid && buf[blk + 64] == '\n') pairs |= uint64_t{1} << 63;
    uint64_t m = (cr | lf) & ~carry;
    carry = 0;
    if (scan - blk < 64) m &= (uint64_t{1} << (scan - blk)) - 1;
    while (m != 0) {
      int32_t bit = __builtin_ctzll(m);
      int32_t j = blk + bit;
      m &= m - 1;
      int32_t len = j - b;
      while (len > maxRec) {
        store(base + b, maxRec, 0);
        b += maxRec;
        len -= maxRec;
      }
      int32_t pair = static_cast<int32_t>((pairs >> bit) & 1);
      store(base + b, len, 1 + pair);
      b = j + 1 + pair;
      if (bit == 63) carry = static_cast<uint64_t>(pair);
      else m &= ~(static_cast<uint64_t>(pair) << (bit + 1));
    }
  }
  int32_t tail = scan - b;
  while (tail > maxRec) {
    store(base + b, maxRec, 0);
    b += maxRec;
    tail -= maxRec;
  }
  if (bAllIndexed && tail > 0) store(base + b, tail, 0);
  sync();
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
    GetFdbin(std::max<int64_t>(1, address + nLongestRec - kSegBytes));
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
      if (!bytes.empty() && bytes.find_first_not_of('\x1a') == std::string::npos) return false;
    }
  }
  return true;
}

bool Lister::DebugLookupsWereRandom() {
  int64_t total = int64_t{LookupStats[0]} + LookupStats[1] + LookupStats[2] + LookupStats[3];
  return total >= 10001 && LookupStats[kLookupRandom] > LookupStats[kLookupNext] + LookupStats[kLookupPrev] + 8;
}

}  // namespace tembra
