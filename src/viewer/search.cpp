// Text search in the viewed file (forward, backward, with or without case, within
// columns), the search case table, the substring search, and the bookmark list.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/byte_scan.h"
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "viewer/file_view.h"

namespace tembra {

namespace {
constexpr const char* kSearchTitle = "Tembra Text Search";

// Reads the column numbers of an answer "@from=text", "@from/to=text", "@/to=text",
// "@from/=text". Returns false when the prefix is faulty.
bool ParseColumnPrefix(const std::string& answer, int32_t& from, int32_t& to, std::string& text, bool utf8) {
  const long e = InStr(answer, "=");
  const std::string middle = Mid(answer, 2, e - 2);
  int slashes = 0;
  for (char ch : middle) {
    if (ch == '/') ++slashes;
    else if (ch < '0' || ch > '9') return false;
  }
  if (slashes > 1) return false;
  text = Mid(answer, e + 1);
  // Column numbers beyond 32 bits cannot name a column of a record.
  auto number = [](const std::string& digits, int32_t& out) {
    if (digits.size() > 9) return false;
    out = static_cast<int32_t>(Val(digits));
    return true;
  };
  const long s = InStr(answer, "/");
  if (slashes == 0) {
    if (!number(middle, from)) return false;
    // The text's length in characters (UTF-8: a sequence is one).
    int32_t chars = static_cast<int32_t>(text.size());
    if (utf8) {
      chars = 0;
      for (size_t i = 0; i < text.size(); ++chars) i += static_cast<size_t>(DecodeUtf8(text, i).len);
    }
    to = from + chars - 1;
  } else {
    if (s == 2) from = 1;
    else if (!number(Mid(answer, 2, s - 2), from)) return false;
    if (s == e - 1) to = 0;
    else if (!number(Mid(answer, s + 1, e - s - 1), to)) return false;
  }
  // Columns count from 1 and a range cannot end before it starts.
  if (from < 1) return false;
  if (to != 0 && to < from) return false;
  return true;
}

// 0-based position of the first occurrence of p (length m) that starts within lo..hi,
// -1 when there is none. With fold, bytes are compared through that table. Each
// candidate is rejected on its first or last character before the rest is compared,
// the middle from the second-to-last character backwards.
int64_t FindInBytes(const unsigned char* t, int64_t lo, int64_t hi, const unsigned char* p, int64_t m,
                    const uint16_t* fold) {
  if (lo > hi) return -1;
  // The spellings of the first and the last character: the byte itself, or every byte
  // that folds to the same character.
  unsigned char firsts[256], lasts[256];
  int nFirst = 0, nLast = 0;
  if (!fold) {
    firsts[nFirst++] = p[0];
    lasts[nLast++] = p[m - 1];
  } else {
    for (int b = 0; b < 256; ++b) {
      if (fold[b] == fold[p[0]]) firsts[nFirst++] = static_cast<unsigned char>(b);
      if (fold[b] == fold[p[m - 1]]) lasts[nLast++] = static_cast<unsigned char>(b);
    }
  }
  auto middle = [&](int64_t i) {
    int64_t k = m - 2;
    if (fold) {
      while (k > 0 && fold[t[i + k]] == fold[p[k]]) --k;
    } else {
      while (k > 0 && t[i + k] == p[k]) --k;
    }
    return k <= 0;
  };
  auto firstOk = [&](unsigned char c) { return fold ? fold[c] == fold[p[0]] : c == p[0]; };
  auto lastOk = [&](unsigned char c) { return fold ? fold[c] == fold[p[m - 1]] : c == p[m - 1]; };
  int64_t i = lo;
  if (nFirst <= 2 && nLast <= 2) {
    const int64_t c = ScanFirstLast(t, i, hi, m, firsts[0], firsts[nFirst - 1], lasts[0], lasts[nLast - 1], middle);
    if (c >= 0) return c;
  }
  for (; i <= hi; ++i)
    if (firstOk(t[i]) && lastOk(t[i + m - 1]) && middle(i)) return i;
  return -1;
}
}  // namespace

void FileView::AskAndSearch(bool back, bool anyCase) {
  NoteJump();
  bSearchBack = bLastSearchBack = back;
  SetTextToFind(anyCase ? "F" : "/", "");
}

void FileView::SetTextToFind(const std::string& key, const std::string& text) {
  W.bSearchPending = true;
  bFindCols = false;
  bFindColStart = false;
  nFindColFrom = 0;
  nFindColTo = 0;
  bFindNoCase = !(key == "S" || key == "/");
  zFindText = text;
  nFindLen = static_cast<int32_t>(zFindText.size());
  if (zFindText.empty()) {
    std::string caption = kSearchTitle;
    std::string faulty;  // the last answer refused for its column prefix
    // The box shows whether letter case counts, and Ctrl+T turns it.
    InputOption anyCase{'T', "Any case (Ctrl+T: exact case)", "Exact case (Ctrl+T: any case)", bFindNoCase};
    // With REGEX, Ctrl+R takes the text literally.
    InputOption literal{'R', "Literal (Ctrl+R: regex)", "Regex (Ctrl+R: literal)", bFindLiteral};
    if (piRegex.On(W.eProfile) && search::Pattern::RegexAvailable()) anyCase.next = &literal;
    for (;;) {
      std::string answer = W.InputBox(MsgText(Msg::VX0044), caption, zLastFindText, anyCase);
      bFindNoCase = anyCase.on;
      bFindLiteral = literal.on;
      if (W.bInputCancelled) {
        zFindText.clear();
        break;
      }
      zFindText = answer;
      zLastFindText = answer;
      const long e = InStr(answer, "=");
      if (Left(answer, 1) == "@" && e > 0 && e != 2 && e != static_cast<long>(answer.size())) {
        int32_t from = 0, to = 0;
        std::string rest;
        if (!ParseColumnPrefix(answer, from, to, rest, Utf8Text())) {
          // The same faulty answer given back unchanged ends the prompt.
          if (answer == faulty) {
            zFindText.clear();
            break;
          }
          faulty = answer;
          caption = MsgText(Msg::VX8022);
          continue;
        }
        nFindColFrom = from;
        nFindColTo = to;
        bFindColStart = InStr(Mid(answer, 2, e - 2), "/") == 0;
        zFindText = rest;
        bFindCols = true;
      }
      break;
    }
  }
  // A front-end that types Windows-1252 characters (the terminal's input box) gives a
  // text that is not UTF-8: in UTF-8 its characters are searched for in their UTF-8 form.
  if (Utf8Text() && !IsValidUtf8(zFindText)) zFindText = Cp1252ToUtf8(zFindText);
  nFindLen = static_cast<int32_t>(zFindText.size());
  if (nFindLen > 0 && !CompileFindPattern()) nFindLen = 0;
  if (nFindLen == 0) {
    W.bSearchPending = false;
    bFindCols = false;
  }
  W.ShowPage();
}

bool FileView::CompileFindPattern() {
  pFindPattern.reset();
  // A build without the regular-expression library keeps the literal search.
  if (!piRegex.On(W.eProfile) || !search::Pattern::RegexAvailable()) return true;
  if (!bCaseTableBuilt) InitCaseTable();
  search::PatternOptions o;
  o.syntax = bFindLiteral ? search::Syntax::kLiteral : search::Syntax::kRegex;
  o.letterCase = bFindNoCase                       ? search::LetterCase::kAny
                 : piSmartCase.On(W.eProfile)      ? search::LetterCase::kSmart
                                                   : search::LetterCase::kExact;
  o.charset = Utf8Text() ? search::Charset::kUtf8 : search::Charset::kCp1252;
  o.fold1252 = &nFoldByte;
  search::Pattern::Compiled c = search::Pattern::Compile(zFindText, o);
  if (!c.pattern) {
    W.VXERROR(MsgText(Msg::VX1084, c.error.text, std::to_string(c.error.column)));
    zFindText.clear();
    return false;
  }
  pFindPattern = std::move(c.pattern);
  return true;
}

// Lets waiting window events run every half second of a long search, and shows how far
// it is (record `rec` at address `at`). Keys typed meanwhile are kept for after the
// search; Esc and Ctrl+C stop it.
void FileView::PumpDuringSearch(double& lastPump, bool& pumping, int32_t rec, int64_t at) {
  if (!pumping) return;
  double now = W.P.clock.SecondsSinceMidnight();
  if (std::fabs(now - lastPump) < 0.5) return;
  lastPump = now;
  W.nYieldCount = 1;
  ShowScanProgress(rec, at - 1);
  W.DoEvents();
  if (W.nYieldCount == 0) pumping = false;
  W.nYieldCount = 0;
}

// Forward through whole records from record r; true with the hit's record and column.
std::optional<TextHit> FileView::FindInWholeRecords(int32_t r) {
  std::optional<TextHit> found;
  double lastPump = nSearchStart;
  int32_t sincePump = 0;
  bool pumping = true;
  while (true) {
    // Forward through whole records: every indexed record that lies wholly in the
    // buffer is searched in one pass over the buffer, and a candidate counts only when
    // it lies within one record's text.
    const RecordSpan s = GetZCurRec(r);
    if (!s.Exists()) break;
    const int64_t bufLast = nSegStart + nSegEnd - 2;  // address of the last valid byte
    int64_t a = nSegStart + s.pos - 1;                 // address of record q
    int32_t q = r;
    // A line longer than the part of it shown is searched alone, the rest from the file.
    const bool partShown = RecLen(r) > s.len;
    while (q < nRecCount && !partShown) {
      const int64_t next = a + RecSize(q);
      if (next + RecLen(q + 1) - 1 > bufLast) break;
      a = next;
      ++q;
    }
    const int64_t lo = s.pos - 1;                               // 0-based buffer positions
    // One past the last text byte; never beyond the bytes the buffer really holds (the
    // current record is cut there when the file shrank while viewed).
    int64_t hiEnd = q == r ? lo + s.len : (a - nSegStart) + RecLen(q);
    hiEnd = std::min<int64_t>({hiEnd, std::max(nSegEnd - 1, 0), static_cast<int64_t>(zSegment.size())});
    if (pFindPattern) found = PatternInRecords(r, lo, hiEnd, partShown, lastPump, pumping);
    const unsigned char* t = reinterpret_cast<const unsigned char*>(zSegment.data());
    const unsigned char* pat = reinterpret_cast<const unsigned char*>(zFindText.data());
    const int64_t m = pFindPattern ? 0 : static_cast<int64_t>(zFindText.size());
    const uint16_t* fold = bFindNoCase ? nFoldByte.data() : nullptr;
    const CaseBlindUtf8* utf8Fold = bFindNoCase && Utf8Text() ? &FoldUtf8(zFindText) : nullptr;
    int32_t cr = r;                     // the record under the candidate
    int64_t cpos = lo;
    int64_t cLen = s.len, cSize = RecSize(cr);  // (a long line: its part shown)
    int64_t from = lo;
    while (!found && !pFindPattern && hiEnd - m >= from) {
      const int64_t c = utf8Fold ? utf8Fold->Find(t, from, hiEnd - m) : FindInBytes(t, from, hiEnd - m, pat, m, fold);
      if (c < 0) break;
      while (c >= cpos + cSize) {
        cpos += cSize;
        cLen = RecLen(++cr);
        cSize = cLen + RecEnds(cr);
      }
      if (c + m <= cpos + cLen) found = TextHit{cr, c - cpos + 1, m};
      from = c + 1;
    }
    // A line longer than the part of it shown: the rest is searched in the file.
    if (!found && q == r && !pFindPattern) found = FindInLineRest(nSegStart + lo, r, s.len, lastPump, pumping);
    if (found) break;
    sincePump += q - r + 1;
    if (sincePump >= 40000) {
      sincePump = 0;
      PumpDuringSearch(lastPump, pumping, q, a);
      if (!ScanGoesOn(q, a - 1)) break;
    }
    r = q + 1;
  }
  return found;
}

std::optional<TextHit> FileView::FindInLineRest(int64_t addr, int32_t rec, int64_t shown, double& lastPump,
                                                bool& pumping) {
  const int64_t len = RecLen(rec);
  const int64_t m = static_cast<int64_t>(zFindText.size());
  if (len <= shown || m < 1 || hFdbin == kInvalidFile) return std::nullopt;
  const unsigned char* pat = reinterpret_cast<const unsigned char*>(zFindText.data());
  const uint16_t* fold = bFindNoCase ? nFoldByte.data() : nullptr;
  const CaseBlindUtf8* utf8Fold = bFindNoCase && Utf8Text() ? &FoldUtf8(zFindText) : nullptr;
  constexpr int64_t kChunk = 1 << 20;
  std::string buf(static_cast<size_t>(std::max(kChunk, m)), '\0');
  const unsigned char* t = reinterpret_cast<const unsigned char*>(buf.data());
  // Chunks that overlap by the text's length less one, from where a match could first
  // reach past the part shown.
  for (int64_t off = std::max<int64_t>(0, shown - m + 1); off + m <= len; off += static_cast<int64_t>(buf.size()) - m + 1) {
    const long want = static_cast<long>(std::min<int64_t>(static_cast<int64_t>(buf.size()), len - off));
    const long got = W.P.files.ReadAt(hFdbin, addr + off, buf.data(), want);
    if (got < m) return std::nullopt;  // the file shrank
    const int64_t c = utf8Fold ? utf8Fold->Find(t, 0, got - m) : FindInBytes(t, 0, got - m, pat, m, fold);
    if (c >= 0) return TextHit{rec, off + c + 1, m};
    PumpDuringSearch(lastPump, pumping, rec, addr + off);
    if (!ScanGoesOn(rec, addr + off - 1)) return std::nullopt;
  }
  return std::nullopt;
}

// Record by record from record r (backward, or within columns); true with the hit's
// record and column.
std::optional<TextHit> FileView::FindRecordByRecord(int32_t r) {
  const int32_t dir = W.View().bSearchBack ? -1 : 1;
  double lastPump = nSearchStart;
  int32_t sincePump = 0;
  bool pumping = true;
  while (true) {
    if (++sincePump >= 40000) {
      sincePump = 0;
      const int64_t at = nSegStart + nCurRecPos - 1;  // the record searched last
      PumpDuringSearch(lastPump, pumping, r, at);
      if (!ScanGoesOn(r, at - 1)) break;
    }
    const RecordSpan s = GetZCurRec(r);
    if (!s.Exists()) break;
    if (s.len > 0) {
      int32_t first = s.pos;
      int32_t last = s.pos + s.len - 1;
      bool look = true;
      if (bFindCols && Utf8Text()) {
        // Columns count characters: a sequence is one.
        if (nFindColFrom > CharCount(s.pos, s.len)) {
          look = false;
        } else {
          first = s.pos + ByteColumn(s.pos, s.len, nFindColFrom) - 1;
          if (nFindColTo != 0) last = std::min(last, s.pos + ByteColumn(s.pos, s.len, nFindColTo + 1) - 2);
        }
      } else if (bFindCols) {
        if (nFindColFrom > s.len) {
          look = false;
        } else {
          first = s.pos + nFindColFrom - 1;
          if (nFindColTo != 0 && nFindColTo <= s.len) last = s.pos + nFindColTo - 1;
        }
      }
      if (look && pFindPattern) {
        if (auto hit = PatternInRecord(r, s, first, last, lastPump, pumping)) return hit;
        if (W.bScanStopped) break;
      } else if (look) {
        int32_t pos = FastInStr(zSegment, zFindText, first, last, bFindNoCase);
        if (pos > 0) return TextHit{r, pos - s.pos + 1, nFindLen};
        if (!bFindCols) {
          if (auto hit = FindInLineRest(nSegStart + s.pos - 1, r, s.len, lastPump, pumping)) return hit;
        }
      }
    }
    r += dir;
    if (r < 1) break;
  }
  return std::nullopt;
}

std::optional<TextHit> FileView::PatternInRecords(int32_t r, int64_t lo, int64_t end, bool partShown,
                                                  double& lastPump, bool& pumping) {
  if (partShown) return PatternInLongLine(nSegStart + lo, r, lastPump, pumping);
  const search::Pattern& pat = *pFindPattern;
  const std::string_view buf(zSegment.data() + lo, static_cast<size_t>(end - lo));
  search::ScanOptions o;
  o.lines = bGrepLines ? search::LineRule::kGrep : search::LineRule::kRecords;
  o.final = true;
  int32_t cr = r;  // the record at buffer offset cpos (from lo)
  int64_t cpos = 0;
  // Records cut at their longest length are each a line of their own: with one among
  // them the buffer's records are matched one by one.
  bool cut = false;
  for (int64_t at = 0; !bGrepLines && !cut && cr <= nRecCount && at < static_cast<int64_t>(buf.size()); at += RecSize(cr++))
    cut = RecEnds(cr) == 0 && at + RecLen(cr) < static_cast<int64_t>(buf.size());
  cr = r;
  for (; cut && cr <= nRecCount && cpos <= static_cast<int64_t>(buf.size()); cpos += RecSize(cr++)) {
    const int64_t len = std::min<int64_t>(RecLen(cr), static_cast<int64_t>(buf.size()) - cpos);
    if (auto m = pat.FirstIn(buf.substr(static_cast<size_t>(cpos), static_cast<size_t>(std::max<int64_t>(len, 0)))))
      return TextHit{cr, m->offset + 1, m->length};
  }
  for (int64_t from = 0; !cut && from <= static_cast<int64_t>(buf.size());) {
    const search::ScanResult hit = pat.FirstLine(buf.substr(static_cast<size_t>(from)), o);
    if (hit.end != search::ScanEnd::kHit) break;
    const int64_t lineAt = from + hit.hit.line.offset, lineEnd = lineAt + hit.hit.line.length;
    while (cr < nRecCount && cpos + RecSize(cr) <= lineAt) cpos += RecSize(cr++);
    // A line cut into records: a match counts within one record, each matched alone.
    for (; cpos <= lineEnd && cr <= nRecCount; cpos += RecSize(cr++)) {
      const int64_t len = std::min<int64_t>(RecLen(cr), static_cast<int64_t>(buf.size()) - cpos);
      if (auto m = pat.FirstIn(buf.substr(static_cast<size_t>(cpos), static_cast<size_t>(std::max<int64_t>(len, 0)))))
        return TextHit{cr, m->offset + 1, m->length};
    }
    if (hit.resume <= 0) break;
    from += hit.resume;
  }
  return std::nullopt;
}

std::optional<TextHit> FileView::PatternInRecord(int32_t r, const RecordSpan& s, int32_t first, int32_t last,
                                                 double& lastPump, bool& pumping) {
  if (RecLen(r) > s.len && !bFindCols) return PatternInLongLine(nSegStart + s.pos - 1, r, lastPump, pumping);
  const std::string_view line(zSegment.data() + s.pos - 1, static_cast<size_t>(s.len));
  const int64_t from = first - s.pos, to = last - s.pos + 1;
  std::optional<search::Span> m;
  if (bFindColStart) {
    m = pFindPattern->FirstIn(line, from);
    if (m && m->offset != from) m.reset();
  } else if (W.View().bSearchBack && !bFindCols) {
    m = pFindPattern->LastIn(line, s.len + 1);
  } else {
    m = pFindPattern->FirstIn(line, from, to);
  }
  if (!m) return std::nullopt;
  return TextHit{r, m->offset + 1, m->length};
}

std::optional<TextHit> FileView::PatternInLongLine(int64_t addr, int32_t rec, double& lastPump, bool& pumping) {
  const int64_t len = RecLen(rec);
  constexpr int64_t kPiece = 1 << 20, kOverlap = 1 << 16;
  std::string buf;
  for (int64_t off = 0;; off += kPiece - kOverlap) {
    // A byte on either side of a piece inside the line: no line start or end is seen there.
    const int64_t end = std::min(len, off + kPiece);
    const int64_t lead = off > 0 ? 1 : 0, tail = end < len ? 1 : 0;
    buf.resize(static_cast<size_t>(lead + end - off + tail));
    const long got = W.P.files.ReadAt(hFdbin, addr + off - lead, buf.data(), static_cast<long>(buf.size()));
    if (got < static_cast<long>(buf.size())) return std::nullopt;  // the file shrank
    if (auto m = pFindPattern->FirstIn(buf, lead, lead + end - off)) return TextHit{rec, off - lead + m->offset + 1, m->length};
    if (end >= len) return std::nullopt;
    PumpDuringSearch(lastPump, pumping, rec, addr + off);
    if (!ScanGoesOn(rec, addr + off - 1)) return std::nullopt;
  }
}

std::optional<TextHit> FileView::FindHit() {
  if (nFindLen <= 0 || zFindText.empty()) return std::nullopt;
  if (!bCaseTableBuilt) InitCaseTable();
  const int32_t r = W.View().bSearchBack ? std::max(1, nTopRec - 1) : std::max(1, nTopRec);
  const bool wholeRecords = !W.View().bSearchBack && !bFindCols;
  return wholeRecords ? FindInWholeRecords(r) : FindRecordByRecord(r);
}

bool FileView::bFindText() {
  // The search runs in the text view only.
  if (W.TDISPLAY & TD_HEX) return false;
  nSearchStart = W.P.clock.SecondsSinceMidnight();
  const std::optional<TextHit> hit = FindHit();
  const bool found = hit.has_value();
  if (hit) {
    const int32_t hitRec = hit->rec;
    int64_t hitCol = hit->col;
    // A line longer than nLongLineShown shows the piece that holds the hit.
    int64_t piece = bGrepLines ? (hitCol - 1) / nLongLineShown : 0;
    RecordSpan s = GetZCurRec(hitRec, piece);
    if (piece > 0 && hitCol - 1 < s.pieceFrom) s = GetZCurRec(hitRec, --piece);
    hitCol -= s.pieceFrom;
    nHitRec = hitRec;
    nHitPiece = piece;
    nHitCol = static_cast<int32_t>(std::min<int64_t>(hitCol, INT32_MAX));
    nHitLen = static_cast<int32_t>(std::min<int64_t>(hit->len, INT32_MAX));
    bShowHit = true;
    W.bCmdSearch = false;
    SetTop(hitRec, 0);
    SET_BOOKMARK(hitRec);
    if (W.View().bSearchBack) SetTop(Find1stRecordOnPage(hitRec), 0);
  }
  if (W.bDebug) {
    double secs = std::fabs(W.P.clock.SecondsSinceMidnight() - nSearchStart);
    W.VXERROR((found ? "*ET>" : "*NF>") + Format(secs, "##0.00") + " Seconds");
  } else if (!found && !W.bScanStopped) {
    W.VXERROR(MsgText(Msg::VX0004));
  }
  W.bSearchPending = found;
  return found;
}

void FileView::SET_BOOKMARK(int32_t record) {
  if (nBookmarks > 0 && Bookmarks[1] == record) return;
  for (int32_t j = 2; j <= nBookmarks; ++j) {
    if (Bookmarks[static_cast<size_t>(j)] == record) {
      for (int32_t k = j; k > 1; --k) Bookmarks[static_cast<size_t>(k)] = Bookmarks[static_cast<size_t>(k - 1)];
      Bookmarks[1] = record;
      return;
    }
  }
  for (int32_t k = std::min(nBookmarks + 1, 25); k >= 2; --k)
    Bookmarks[static_cast<size_t>(k)] = Bookmarks[static_cast<size_t>(k - 1)];
  nBookmarks = std::min(nBookmarks + 1, 25);
  Bookmarks[1] = record;
}

int32_t FileView::FIND_BOOKMARK() {
  if (nBookmarks < 1) return nCurRec;
  const int32_t r = Bookmarks[1];
  for (int32_t k = 1; k < nBookmarks; ++k) Bookmarks[static_cast<size_t>(k)] = Bookmarks[static_cast<size_t>(k + 1)];
  Bookmarks[static_cast<size_t>(nBookmarks)] = r;
  return r;
}

void FileView::InitCaseTable() {
  if (UpperTable.size() != 65536 || UpperTable[32764] != 0xFFFC) {
    std::u16string t(65536, u'\0');
    for (size_t i = 0; i < t.size(); ++i) t[i] = static_cast<char16_t>((i + 32768) & 0xFFFF);
    W.P.processes.CharUpperBuffW(t);
    UpperTable.assign(65536, 0);
    if (t.size() == 65536) {
      for (size_t i = 0; i < t.size(); ++i) UpperTable[i] = static_cast<uint16_t>(t[i]);
    } else {
      // The wide conversion failed: upper-case the 256 single-byte codes only.
      for (size_t i = 0; i < 65536; ++i) UpperTable[i] = static_cast<uint16_t>((i + 32768) & 0xFFFF);
      std::string bytes(256, '\0');
      for (int c = 0; c < 256; ++c) bytes[static_cast<size_t>(c)] = static_cast<char>(c);
      W.P.processes.CharUpperBuffA(bytes);
      for (int c = 0; c < 256; ++c)
        UpperTable[static_cast<size_t>(32768 + c)] = static_cast<unsigned char>(bytes[static_cast<size_t>(c)]);
    }
    auto set = [this](uint16_t lower, uint16_t upper) { UpperTable[static_cast<size_t>(lower ^ 0x8000)] = upper; };
    set(0x0161, 0x0160);  // s caron
    set(0x0153, 0x0152);  // oe
    set(0x017E, 0x017D);  // z caron
    set(0x00FF, 0x0178);  // y diaeresis
  }
  // The bytes of the viewed file are Windows-1252 characters: fold each through the table.
  for (int b = 0; b < 256; ++b) {
    uint16_t u = static_cast<uint16_t>(Cp1252ToUnicode(static_cast<unsigned char>(b)));
    nFoldByte[static_cast<size_t>(b)] = UpperTable[static_cast<size_t>(u ^ 0x8000)];
  }
  bCaseTableBuilt = true;
}

int32_t FileView::FastInStr(const std::string& text, const std::string& pattern, int32_t start, int32_t last,
                          bool noCase) {
  if (pattern.empty()) return std::max(start, 1);
  if (start < 1) start = 1;
  const int64_t n = static_cast<int64_t>(text.size());
  const int64_t end = (last == 0 || last > n) ? n : last;  // 1-based last position of the range
  if (start > end) return 0;
  const int64_t m = static_cast<int64_t>(pattern.size());
  if (end - start + 1 < m) return 0;
  const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
  if (noCase && Utf8Text()) return static_cast<int32_t>(FoldUtf8(pattern).Find(t, start - 1, end - m) + 1);
  if (noCase && !bCaseTableBuilt) InitCaseTable();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(pattern.data());
  return static_cast<int32_t>(FindInBytes(t, start - 1, end - m, p, m, noCase ? nFoldByte.data() : nullptr) + 1);
}

const CaseBlindUtf8& FileView::FoldUtf8(const std::string& pattern) {
  if (!pFoldUtf8 || pFoldUtf8->Pattern() != pattern) pFoldUtf8 = std::make_unique<CaseBlindUtf8>(pattern);
  return *pFoldUtf8;
}

int32_t FileView::ByteColumn(int32_t pos, int32_t len, int32_t col) {
  int32_t i = 0;
  for (int32_t c = 1; c < col && i < len; ++c)
    i += DecodeUtf8(reinterpret_cast<const unsigned char*>(zSegment.data()) + pos - 1 + i, static_cast<size_t>(len - i)).len;
  return i + 1;
}

int32_t FileView::CharCount(int32_t pos, int32_t len) {
  int32_t n = 0;
  for (int32_t i = 0; i < len; ++n)
    i += DecodeUtf8(reinterpret_cast<const unsigned char*>(zSegment.data()) + pos - 1 + i, static_cast<size_t>(len - i)).len;
  return n;
}

void Lister::undo() {
  // Releases the search case table.
  std::vector<uint16_t>().swap(View().UpperTable);
  View().bCaseTableBuilt = false;
}

}  // namespace tembra
