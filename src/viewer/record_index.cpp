// The viewed file: opening it, reading it in segments, and the procedures that find any
// line by number through the record index (record_store.h) without holding the file in
// memory.
#include <algorithm>
#include <new>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "dirlist/dir_page.h"
#include "viewer/file_view.h"
#include "viewer/record_store.h"

namespace tembra {

// ---------------------------------------------------------------- opening and closing

void FileView::ListAFile(int32_t ListIndex) {
  if (W.iInpFile == 0) W.bSearchPending = false;
  MarkLine("V");
  // The displayed name follows the entry's upper-case name; the file system gets the
  // name as stored, so that a folder holding names that differ only in case still
  // opens exactly the entry the user chose.
  std::string exactName;
  if (ListIndex == -47) {
    W.zCurFile = zReopenFile;
    exactName = zReopenExact.empty() ? zReopenFile : zReopenExact;
    zReopenFile.clear();
    zReopenExact.clear();
  } else {
    const std::optional<DirPage::EntryName> entry = W.Dir().NameOf(ListIndex);
    if (!entry) return;
    W.zCurFile = W.zCurDir + entry->upper;
    exactName = W.zCurDir + entry->stored;
    if (static_cast<int32_t>(exactName.size()) != static_cast<int32_t>(W.zCurDir.size()) + entry->length) exactName = W.zCurFile;
    zReopenFile = W.zCurFile;
    zReopenExact = exactName;
    bRawBytes = false;  // Alt+Z holds for the file it was typed on
  }
  if (W.zCurFile.empty() || W.Get1Vtoc(exactName) == 0) {
    W.MsgBox(MsgText(Msg::VX1023Deleted));
    return;
  }
  std::string rec = W.zVtocToDir();
  zCurFileRec = rec;
  if (ListIndex != -47) W.Dir().UpdateRecord(ListIndex, rec);
  // A longer file is viewed as its first kMaxViewedSize bytes, so that every position
  // in it fits a 32-bit number; with any size allowed, the file's own length counts
  // (taken again from the open file).
  nTrueFileSize = static_cast<int64_t>(ZdSizeValue(rec));
  nFileSize = piAnySize.On(W.eProfile) ? nTrueFileSize : std::min(nTrueFileSize, kMaxViewedSize);
  // A pipe, FIFO, device or /proc file tells no size: read to its end as it arrives (what
  // was piped into the program always, others with PIPES ON).
  bool stream = false;
  bStandardInput = false;
  if (nFileSize <= 0) {
    const FileSystem::StreamKindOf kind = W.P.files.StreamKind(exactName);
    bStandardInput = kind == FileSystem::kStandardInput;
    stream = bStandardInput || (kind == FileSystem::kStream && piPipes.On(W.eProfile));
  }
  const bool decode = !stream && DecodeAsText(exactName);
  if (nFileSize <= 0 && !stream) {
    // A link whose target is not there says so (with where it points), not "length zero".
    if (W.VTOC.nLinkKind == 2) W.VXERROR(MsgText(Msg::VX1065, Mid(exactName, InStrRev(exactName, "\\") + 1), W.P.files.LinkTarget(exactName)));
    else W.VXERROR(MsgText(Msg::VX1002));
    W.SleepMs(400);
    W.Beep();
    return;
  }
  if (!StartViewing(exactName, stream || decode, decode)) return;
  // SHOWNAME: the name as it is on disk goes on the title line; where that has no room,
  // on the message line as the file opens.
  if (piShowName.On(W.eProfile)) {
    W.SetupTopBot();
    if (!bNameOnTitle && W.zMessageLine.empty()) {
      // Kept on the pages drawn until a key (at start-up a source's page is drawn again).
      W.zMessageLine = W.zShownMessage = ShownFileName();
      // The command line names standard input by a descriptor the user never typed.
      if (bStandardInput) W.bShowParm = false;
    }
  }
  W.ShowPage();
}

bool FileView::StartViewing(const std::string& zOpenAs, bool stream, bool decode) {
  // The name starts with its drive; a ":" inside the name itself (allowed on POSIX
  // systems) is no error.
  if (Mid(W.zCurFile, 2, 1) != ":") W.vxCatastrophe(MsgText(Msg::VX9020, W.zCurFile));
  if (hFdbin != kInvalidFile) CloseFDBIN();
  // A file that cannot be opened (vanished a moment ago, no permission) leaves the
  // lister where it was.
  FileHandle h = decode ? W.P.files.OpenDecompressed(zOpenAs) : stream ? W.P.files.OpenStream(zOpenAs) : W.P.files.OpenRead(zOpenAs);
  if (!decode) zDecompressed.clear();
  zMemberOf.clear();
  if (h == kInvalidFile) {
    if (W.P.files.Exists(zOpenAs) < 0) W.MsgBox(MsgText(Msg::VX1023Deleted));
    else W.MsgBox(MsgText(Msg::VX1009), W.ShownPath(zOpenAs));  // the name as it is on disk
    return false;
  }
  return StartOn(h, zOpenAs, stream);
}

bool FileView::StartOn(FileHandle h, const std::string& zOpenAs, bool stream) {
  // Owned at once (closed with the lister): a message of the trace log may end the program.
  hFdbin = h;
  W.SETListMode();
  if (W.bLog) W.Log340("Opening FDBIN to read");
  W.LogOpen(W.zCurFile);
  bFileShrank = false;
  zOpenedAs = zOpenAs;
  bStream = bStreamOpen = stream;
  bHoldEnd = false;
  if (stream) {
    nFileSize = nTrueFileSize = 0;  // the length follows what arrives
  } else if (piAnySize.On(W.eProfile)) {
    const int64_t len = W.P.files.FileLength(h);
    if (len > 0) nFileSize = nTrueFileSize = len;
  } else if (nTrueFileSize > nFileSize) {
    // Said once per file: the rest is not shown.
    W.zMessageLine = MsgText(Msg::VX0033, Format(static_cast<double>(nFileSize), "#,###,###,##0"),
                   Format(static_cast<double>(nTrueFileSize), "#,###,###,###,##0"));
  }
  bGrepLines = piGrepLines.On(W.eProfile);
  RecordIndex(*this).Reset();
  PieceCols = {};
  LetterMarks = {};
  JumpStart = {};
  nMarkKey = 0;
  nSegStart = 0;
  nSegEnd = 1;
  nSegScan = 0;
  nTopRec = 1;
  nHexTop = 0;
  nCurRec = 0;
  nCurRecLen = -1;
  nCurRecPos = 1;
  if (static_cast<int32_t>(zSegment.size()) != kSegBytes) zSegment.assign(kSegBytes, ' ');
  // A source of unknown size: the first line is waited for (a key stops the wait). The
  // one named at start-up is viewed whatever has arrived, also nothing at all: its page
  // says so once it has ended (whether it ended before this look or after it).
  if (stream) W.nYieldCount = 1;
  if (stream && (!zDecompressed.empty() || !zMemberOf.empty())) AwaitFirstBytes();
  if (stream && nFileSize <= 0) WaitForSource();
  if (stream && nFileSize <= 0 && !bLoading) {
    const bool ended = !bStreamOpen;
    // A source that stopped on a fault before its first byte says what the fault was.
    const FileSystem::StreamState state = W.P.files.StreamStateOf(hFdbin);
    W.zMessageLine.clear();
    if (ended && state.stop != FileSystem::StreamStop::kEnd) NoteStreamEnd(state);
    const std::string fault = W.zMessageLine;
    CloseFDBIN();
    W.LogOpen("");
    W.SetDirMode();
    W.nYieldCount = 0;
    W.zMessageLine.clear();
    if (!fault.empty()) {
      W.VXERROR(fault);
    } else if (ended) {
      W.VXERROR(MsgText(Msg::VX1002));
      W.SleepMs(400);
      W.Beep();
    } else {
      W.VXERROR(MsgText(Msg::VX0064, W.ShownPath(zOpenAs)));  // the name as it is on disk
    }
    return false;
  }
  GetASeg();
  W.nYieldCount = 0;
  return true;
}

void FileView::CloseFDBIN() {
  if (hFdbin != kInvalidFile) W.P.files.CloseFile(hFdbin);
  hFdbin = kInvalidFile;
  // After the spool's handle: its reading of the archive has ended with it.
  if (hMemberArchive != kInvalidFile) W.P.files.CloseFile(hMemberArchive);
  hMemberArchive = kInvalidFile;
  zMemberOf.clear();
  bStream = bStreamOpen = false;
}

// ---------------------------------------------------------------- files that grow

bool FileView::TakeGrowth() {
  if (hFdbin == kInvalidFile) return false;
  const int64_t len = W.P.files.FileLength(hFdbin);
  const int64_t viewed = piAnySize.On(W.eProfile) ? len : std::min(len, kMaxViewedSize);
  if (viewed <= nFileSize) return false;
  nTrueFileSize = len;
  nFileSize = viewed;
  if (bAllIndexed) ReopenIndex();
  return true;
}

void FileView::ReopenIndex() {
  // The index was complete: its last line goes on when it had no end (or a CR that an
  // LF may now follow), so it is indexed again from its start.
  bAllIndexed = false;
  if (nRecCount < 1) return;
  const int32_t ends = RecEnds(nRecCount);
  bool open = ends == 0;
  if (!bGrepLines && ends == 1) {
    char c = 0;
    open = W.P.files.ReadAt(hFdbin, nLastRecPointer + RecLen(nRecCount), &c, 1) == 1 && c == '\r';
  }
  if (!open) return;
  const int64_t at = nLastRecPointer;
  RecordIndex(*this).DropLast();
  if (bGrepLines) nOpenLine = at;
}

bool FileView::WaitForSource() {
  if (!bStreamOpen || hFdbin == kInvalidFile) return false;
  const bool indexing = bIndexing;
  for (;;) {
    if (TakeGrowth()) return true;
    const FileSystem::StreamState s = W.P.files.StreamStateOf(hFdbin);
    if (!s.running) {
      bStreamOpen = false;
      NoteStreamEnd(s);
      // Said at once: the page that waited has drawn its message line already.
      if (!W.zMessageLine.empty() && !bLoading) {
        W.PaintMessageLine(W.zMessageLine);
        W.zShownMessage = W.zMessageLine;
      }
      return TakeGrowth();
    }
    // Only a scan that lets events run waits, and not during the start-up (no key could
    // end the wait). Esc or Ctrl+C stops it with a message (also when keys typed after it
    // wait); any other key typed meanwhile ends the wait and then acts.
    // (The release of the key that began the wait is no new key.)
    const bool typed = std::any_of(W.KeptKeys.begin(), W.KeptKeys.end(), [](const Lister::KeptKey& k) { return k.kind != Lister::KeptKey::Up; });
    if (W.nYieldCount == 0 || bLoading || !ScanGoesOn() || typed) return false;
    // Nothing has arrived yet: the wait is said at once, else every half second.
    const bool nothing = nFileSize <= 0 && W.nProgressPage != W.nPageCount;
    if (ScanProgressDue() || nothing) ShowScanProgress(nRecCount, std::max<int64_t>(0, W.P.files.FileLength(hFdbin)));
    bIndexing = true;
    W.SleepMs(10);
    W.DoEvents();
    bIndexing = indexing;
    if (hFdbin == kInvalidFile) return false;
  }
}

void FileView::NoteStreamEnd(const FileSystem::StreamState& s) {
  const int64_t length = std::max<int64_t>(0, W.P.files.FileLength(hFdbin));
  const std::string kept = Format(static_cast<double>(length), "#,###,###,###,##0");
  switch (s.stop) {
    case FileSystem::StreamStop::kEnd:
      // An empty source: its page says so, at once (in place of the parameter line).
      if (length == 0) {
        W.zMessageLine = MsgText(Msg::VX1002);
        W.bShowParm = false;
      }
      return;
    case FileSystem::StreamStop::kBound:
      W.zMessageLine = MsgText(Msg::VX1060, kept);
      return;
    case FileSystem::StreamStop::kFull:
      W.zMessageLine = MsgText(Msg::VX1061, kept);
      return;
    case FileSystem::StreamStop::kReadError:
      // Damaged or cut-off compressed data, or a member whose check fails: the file, what
      // is wrong and where.
      if ((!zDecompressed.empty() || !zMemberOf.empty()) && s.fault) {
        W.zMessageLine = MsgText(Msg::VX1075, ShownFileName(), s.fault.text, kept);
        return;
      }
      W.zMessageLine = MsgText(Msg::VX1062Read, kept, s.error);
      return;
    case FileSystem::StreamStop::kWriteError:
      W.zMessageLine = MsgText(Msg::VX1062Write, kept, s.error);
      return;
  }
}

// ---------------------------------------------------------------- segments

void FileView::GetFdbin(int64_t FBYTE) {
  if (FBYTE > nFileSize) {
    // Only a file that shrank while viewed gets here legitimately: its end moved below
    // the address. The segment is then empty.
    if (!bFileShrank) {
      W.MsgBox("Stop GetFdbin");
      W.EndProcess(ExitKind::Immediate);
    }
    nSegStart = FBYTE;
    nSegEnd = 1;
    nSegScan = 0;
    return;
  }
  if (W.nYieldCount != 0) {
    // A long scan lets events run every 50 MB, and every half second (a slow source),
    // when it also shows how far it is.
    W.nYieldCount += kSegBytes;
    const bool due = ScanProgressDue();
    if (W.nYieldCount > kYieldBytes || due) {
      W.nYieldCount = 1;
      if (due) ShowScanProgress(nRecCount, FBYTE - 1);
      W.DoEvents();
    }
  }
  if (static_cast<int32_t>(zSegment.size()) < kSegBytes) zSegment.assign(kSegBytes, ' ');
  int64_t want64 = std::min<int64_t>(nSegBytes, nFileSize - FBYTE + 1);
  long want = static_cast<long>(want64);
  long got = hFdbin == kInvalidFile ? -1 : W.P.files.ReadAt(hFdbin, FBYTE, zSegment.data(), want);
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

void FileView::GetASeg() {
  if (bIndexing) return;  // a page drawn from the event pump while a scan runs
  if (nRecCount >= kMaxRecords) {
    // Record numbers are 32-bit: the rest of such a file is not indexed.
    bAllIndexed = true;
    W.zMessageLine = MsgText(Msg::VX1027, Format(nRecCount, "#,###,###,##0"));
    return;
  }
  try {
    // A source still arriving: what has arrived is indexed with its last line left open;
    // with nothing new to index it waits for more. When it ends, or a key stops the wait,
    // what has arrived is indexed to its end (for now: it goes on when more arrives).
    while (bStreamOpen) {
      const int32_t recs = nRecCount;
      const int64_t from = RecordIndex(*this).ScanStart();
      bHoldEnd = true;
      IndexSegment();
      bHoldEnd = false;
      if (nRecCount > recs) return;
      if (RecordIndex(*this).ScanStart() > from) continue;
      if (!WaitForSource()) break;
    }
    if (!bAllIndexed) IndexSegment();
  } catch (const std::bad_alloc&) {
    IndexOutOfMemory();
  }
}

void FileView::IndexOutOfMemory() {
  // What the failed append left beyond the records counted goes; the records indexed stay
  // valid and are all the view has, as with more lines than record numbers.
  RecordIndex(*this).DropUnstored();
  bIndexing = false;
  bHoldEnd = false;
  bAllIndexed = true;
  W.zMessageLine = MsgText(Msg::VX1027Memory, Format(nRecCount, "#,###,###,##0"));
}

void FileView::IndexSegment() {
  if (bGrepLines) {
    GetLineSeg();
    return;
  }
  RecordIndex index(*this);
  const int64_t start = nSegStart != 0 ? index.NextStart() : 1;
  if (start < 1) W.vxCatastrophe(MsgText(Msg::VX9029));
  if (start > nFileSize) {
    // Everything up to the (possibly shrunken) end is indexed already.
    if (!bHoldEnd) bAllIndexed = true;
    return;
  }
  bIndexing = true;
  GetFdbin(start);
  bIndexing = false;
  // The last segment completes the index whatever the view.
  bool last = nSegStart + nSegScan - 1 >= nFileSize;
  if (bHoldEnd && last) {
    // More may follow: the unended tail waits, and a CR at the end for the byte after it.
    last = false;
    if (nSegScan > 0 && zSegment[static_cast<size_t>(nSegScan - 1)] == '\r') --nSegScan;
  }
  if (last) bAllIndexed = true;

  index.AppendSegment(reinterpret_cast<const unsigned char*>(zSegment.data()), nSegScan, nSegEnd - 1, nSegStart,
                      bAllIndexed);
}

// GetASeg with lines as grep counts them: the next segment from the first byte not yet
// scanned, every byte of it scanned (only an LF ends a line, and the CR before it is
// remembered across the segment's end).
void FileView::GetLineSeg() {
  const int64_t start = nScanFrom;
  if (start > nFileSize && bHoldEnd) return;
  if (start > nFileSize) {
    // The end moved below the scan (the file shrank): what was scanned ends the index.
    if (nOpenLine <= nFileSize && nOpenLine < start) {
      RecordIndex(*this).Append(nOpenLine, std::min(start, nFileSize + 1) - nOpenLine, 0);
      nOpenLine = start;
    }
    bAllIndexed = true;
    return;
  }
  bIndexing = true;
  GetFdbin(start);
  bIndexing = false;
  const int32_t valid = nSegEnd - 1;
  const bool last = !bHoldEnd && nSegStart + valid - 1 >= nFileSize;
  if (last) bAllIndexed = true;
  if (valid <= 0 && bHoldEnd) return;
  if (valid <= 0) {
    if (nOpenLine < start) RecordIndex(*this).Append(nOpenLine, start - nOpenLine, 0);
    nOpenLine = start;
    bAllIndexed = true;
    return;
  }
  RecordIndex(*this).AppendSegment(reinterpret_cast<const unsigned char*>(zSegment.data()), valid, valid, nSegStart,
                                   last);
}

void FileView::StoreRecordPointers(int64_t RecPointer, int32_t RecLen, int32_t RecFlags) {
  RecordIndex(*this).Append(RecPointer, RecLen, RecFlags);
}

int64_t FileView::FindRecAddr(int32_t Recno) {
  if (Recno < 0 || Recno > nRecCount || nRecCount == 0) {
    // Not indexed: no address. Callers ask only for indexed records.
    AddrCache.rec = -1;
    return 0;
  }
  return RecordIndex(*this).Find(Recno).addr;
}

RecordSpan FileView::GetZCurRec(int32_t Recno, int64_t piece) {
  const auto span = [this](int64_t pieceFrom = 0) { return RecordSpan{nCurRecPos, nCurRecLen, pieceFrom}; };
  nCurRec = Recno;
  W.nYieldCount = 1;
  while (nCurRec > nRecCount) {
    if (bAllIndexed || bIndexing || !ScanGoesOn()) {
      nCurRecLen = -1;
      W.nYieldCount = 0;
      return span();
    }
    GetASeg();
  }
  W.nYieldCount = 0;
  if (nCurRec < 1) {
    nCurRecLen = -1;
    return span();
  }
  int64_t address = FindRecAddr(nCurRec);
  if (AddrCache.len > nSegBytes || (bGrepLines && AddrCache.len > nLongLineShown)) {
    const int64_t from = GetLongRec(address, AddrCache.len, piece);
    return span(from);
  }
  nCurRecLen = static_cast<int32_t>(AddrCache.len);
  if (address + nCurRecLen - 1 > nSegStart + nSegEnd - 2) {
    if (address > nFileSize) {
      if (!bFileShrank) W.vxCatastrophe(MsgText(Msg::VX9034));
      // The file lost this record's bytes while it was viewed.
      nCurRecLen = 0;
      nCurRecPos = 1;
      return span();
    }
    GetFdbin(address);
  } else if (address < nSegStart) {
    GetFdbin(std::max<int64_t>(1, address + std::min(nLongestRec, nSegBytes) - nSegBytes));
  }
  nCurRecPos = static_cast<int32_t>(address - nSegStart + 1);
  // Only bytes that were read from the file are handed out.
  if (nCurRecPos + nCurRecLen - 1 > nSegEnd - 1) nCurRecLen = std::max(0, nSegEnd - nCurRecPos);
  return span();
}

namespace {
// How many bytes a piece of a long line starts after its nominal start: past at most
// three UTF-8 continuation bytes, so that no character is cut in two. Both pieces at a
// boundary judge it by the same bytes (avail of them belong to the line).
int32_t PieceLead(const std::string& buf, int64_t at, int64_t avail) {
  for (int32_t k = 0; k < 4 && k < avail; ++k)
    if ((static_cast<unsigned char>(buf[static_cast<size_t>(at + k)]) & 0xC0) != 0x80) return k;
  return 0;
}
}  // namespace

int64_t FileView::LinePieces(int32_t r) {
  // A record not indexed (none at all in an empty source) has no entry to read.
  if (r < 1 || r > nRecCount) return 1;
  const int64_t len = RecLen(r);
  return bGrepLines && len > nLongLineShown ? (len + nLongLineShown - 1) / nLongLineShown : 1;
}

// A line longer than a segment (lines as grep counts them) is brought into the buffer,
// which grows for it; one longer than nLongLineShown a piece of about that many bytes at
// a time (piece 0: its start).
int64_t FileView::GetLongRec(int64_t address, int64_t len, int64_t piece) {
  const int64_t size = bGrepLines ? nLongLineShown : kLongLineShown;
  piece = std::clamp<int64_t>(piece, 0, (len - 1) / size);
  const int64_t from = piece * size;
  // The piece and the bytes that tell where the next one starts.
  const int64_t want = std::min<int64_t>(len - from, size + 4);
  const int64_t at = address + from;
  if (!(nSegStart > 0 && at >= nSegStart && at + want - 1 <= nSegStart + nSegEnd - 2)) {
    if (at > nFileSize) {
      nCurRecLen = 0;
      nCurRecPos = 1;
      return 0;
    }
    if (static_cast<int64_t>(zSegment.size()) < want) zSegment.resize(static_cast<size_t>(want), ' ');
    long got = hFdbin == kInvalidFile ? -1 : W.P.files.ReadAt(hFdbin, at, zSegment.data(), static_cast<long>(std::min(want, nFileSize - at + 1)));
    if (got < 0) got = 0;
    nSegStart = at;
    nSegEnd = static_cast<int32_t>(got) + 1;
    nSegScan = static_cast<int32_t>(got);
  }
  const int64_t pos = at - nSegStart;  // 0-based in the buffer
  const int64_t held = nSegEnd - 1 - pos;  // bytes of the line read from here on
  int64_t begin = 0, end = std::min<int64_t>(len - from, size);
  if (Utf8Text()) {
    if (piece > 0) begin = PieceLead(zSegment, pos, std::min(held, len - from));
    if (end < len - from) end += PieceLead(zSegment, pos + end, std::min(held, len - from) - end);
  }
  nCurRecPos = static_cast<int32_t>(pos + begin + 1);
  nCurRecLen = static_cast<int32_t>(std::clamp<int64_t>(std::min(end, held) - begin, 0, size + 3));
  return from + begin;
}

bool FileView::bCheckForRec(int32_t Recno) {
  W.nYieldCount = 1;
  while (!bAllIndexed && !bIndexing && Recno > nRecCount && ScanGoesOn()) GetASeg();
  W.nYieldCount = 0;
  if (Recno > nRecCount || Recno < 1) return false;
  if (Recno == nRecCount && !bGrepLines) {
    uint16_t e = RecLens[Recno];
    int32_t len = static_cast<int32_t>(EntryLen(e));
    if (e != 0 && EntryBitsAbove(e) == 0) {
      // The record's bytes: from the segment when it still holds them, else from the file.
      std::string bytes;
      int64_t pos = nLastRecPointer - nSegStart + 1;
      if (nSegStart > 0 && pos >= 1 && pos + len - 1 <= nSegEnd - 1) {
        bytes = zSegment.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(len));
      } else if (hFdbin != kInvalidFile) {
        bytes.assign(static_cast<size_t>(len), '\0');
        long got = W.P.files.ReadAt(hFdbin, nLastRecPointer, bytes.data(), len);
        bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
      }
      if (!bytes.empty() && bytes.find_first_not_of('\x1a') == std::string::npos) {
        // Only the file's last record is the end-of-file mark. A record cut at the longest
        // length has no line end either and more may follow it: index on until that is known.
        W.nYieldCount = 1;
        while (!bAllIndexed && !bIndexing && Recno == nRecCount && ScanGoesOn()) GetASeg();
        W.nYieldCount = 0;
        return !(Recno == nRecCount && bAllIndexed);
      }
    }
  }
  return true;
}

bool Lister::DebugLookupsWereRandom() {
  // LookupStats: next, previous, same, random.
  const auto& LookupStats = View().LookupStats;
  const uint64_t total = LookupStats[0] + LookupStats[1] + LookupStats[2] + LookupStats[3];
  return total >= 10001 && LookupStats[3] > LookupStats[0] + LookupStats[1] + 8;
}

}  // namespace tembra
