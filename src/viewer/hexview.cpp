// The hex view: a dump of the viewed file with offsets, hexadecimal and character
// columns and the record number of each line, and the switch between text and hex view.
#include <algorithm>

#include "core/lister.h"

namespace tembra {

namespace {
// Column headings of the 16- and 32-byte layouts, stored scrambled (see QQ).
const char kHexHead16[] = "QJJ`]qtttt;;;g;\";=t;i;l;r;(t;d;\\;x;Et;N;^;w;9tn;g\"=ilr(d\\xEN^w9nt ]AkTf|";
const char kHexHead32[] =
    "QJJ`]qtttt;;;g;\";=t;i;l;r;(t;d;\\;x;Et;N;^;w;9ttg;ggg\"g=tgiglgrg(tgdg\\gxgEtgNg^gwg9tn";

// Writes text into line from 1-based column col, cut at the line's end.
void PutAt(std::string& line, long col, const std::string& text) {
  if (col < 1 || col > static_cast<long>(line.size())) return;
  size_t n = std::min(text.size(), line.size() - static_cast<size_t>(col - 1));
  line.replace(static_cast<size_t>(col - 1), n, text, 0, n);
}
}  // namespace

void Lister::InitHexHeaders() {
  zHexHead16 = QQ(kHexHead16);
  zHexHead32 = QQ(kHexHead32) + "0123456789ABCDEF0123456789ABCDEF  Record#";
}

std::string Lister::zCVInteger(int64_t iValue) {
  static const char digits[] = "0123456789ABCDEF";
  uint32_t v = static_cast<uint32_t>(iValue);
  std::string out(8, '0');
  for (int i = 7; i >= 0; --i) {
    out[static_cast<size_t>(i)] = digits[v & 15];
    v >>= 4;
  }
  return out;
}

void Lister::BDOHEX16(int32_t POSBUFFR) {
  zHexBytes.assign(35, ' ');
  zHexChars.assign(16, ' ');
  const int64_t pageStart = nHexTop & nHexMask;
  // Only bytes of the file that the buffer really holds are shown.
  const int64_t valid = std::min<int64_t>(std::max<int32_t>(nSegEnd - 1, 0), static_cast<int64_t>(zSegment.size()));
  for (int j = 0; j < 16; ++j) {
    if (pageStart + POSBUFFR + j >= nFileSize) break;
    int64_t bp = static_cast<int64_t>(nHexBufBase) + POSBUFFR + j;
    if (bp < 0 || bp >= valid) break;
    unsigned char b = static_cast<unsigned char>(zSegment[static_cast<size_t>(bp)]);
    size_t d = static_cast<size_t>(j * 2 + j / 4);
    zHexBytes[d] = zHexDigit[b / 16][0];
    zHexBytes[d + 1] = zHexDigit[b % 16][0];
    zHexChars[static_cast<size_t>(j)] = static_cast<char>(PrintableCode(b));  // zPrintable of the byte
  }
}

void Lister::ListModeHex() {
  // Layout by window width.
  const int32_t w = nColumns;
  if (w < 117) {
    nHexMask = -16;
    TDISPLAY &= ~(TD_HEX32 | TD_HEX2);
    nPaneWidth = w;
  } else if (w <= 234) {
    nHexMask = -32;
    TDISPLAY |= TD_HEX32;
    TDISPLAY &= ~TD_HEX2;
    nPaneWidth = w;
  } else {
    nHexMask = -32;
    TDISPLAY |= TD_HEX32 | TD_HEX2;
    nPaneWidth = w / 2;
    zDisplayMode = "LSTX";
  }

  // Title line or column headings.
  SetForeColor(lColor[4]);
  SetBold(false);
  if (!(TDISPLAY & TD_RULER)) {
    PrintAt(0, 0, zTopLine);
  } else {
    std::string head = Space(nColumns);
    if (!(TDISPLAY & TD_HEX32)) {
      PutAt(head, 1, zHexHead16);
    } else {
      PutAt(head, 1, nPaneWidth < 130 ? Left(zHexHead32, 117) : zHexHead32);
      if (TDISPLAY & TD_HEX2) PutAt(head, nPaneWidth + 1, Left(zHexHead32, 117));
    }
    PrintAt(0, 0, head);
  }
  SetForeColor(lColor[1]);

  // Body.
  // Every body line starts blank (lines beyond the page are never drawn).
  const int32_t lines = std::clamp(nPageLines, 0, 255);
  for (int i = 1; i <= lines; ++i) HexLines[static_cast<size_t>(i)].assign(static_cast<size_t>(std::max(nColumns, 0)), ' ');
  if (nFileSize <= 0) {
    nBottomRec = 0;
    PRINT_LINES();
    return;
  }
  // A page never starts beyond the last byte of the file.
  if (nHexTop < 0) nHexTop = 0;
  if ((nHexTop & nHexMask) >= nFileSize) nHexTop = (nFileSize - 1) & nHexMask;
  const int64_t pageStart = nHexTop & nHexMask;
  const int32_t bytesPerLine = (TDISPLAY & TD_HEX32) ? 32 : 16;
  const int64_t pageBytes = static_cast<int64_t>(lines) * bytesPerLine * ((TDISPLAY & TD_HEX2) ? 2 : 1);
  const int64_t pageEnd = std::min(pageStart + pageBytes, nFileSize);  // 0-based, exclusive
  // The page needs the segment that starts at its first byte; when the buffer already
  // holds every byte of the page it is used as it is.
  if (nSegStart > 0 && pageStart + 1 >= nSegStart && pageEnd <= nSegStart + nSegEnd - 1) {
    nHexBufBase = static_cast<int32_t>(pageStart + 1 - nSegStart);
  } else {
    GetFdbin(pageStart + 1);
    nHexBufBase = 0;
  }

  int64_t k = 0;
  int32_t i = 1;
  int32_t c = 1;
  int32_t prevRec = 0;
  for (;;) {
    if (lines < 1) break;
    const int64_t offset = pageStart + k;
    if (offset >= nFileSize) {
      nBottomRec = static_cast<int32_t>(nFileSize);
      break;
    }
    nBottomRec = static_cast<int32_t>(offset);
    std::string& line = HexLines[static_cast<size_t>(i)];
    PutAt(line, c, zCVInteger(offset));
    long recCol = 0;
    if (!(TDISPLAY & TD_HEX32)) {
      BDOHEX16(static_cast<int32_t>(k));
      PutAt(line, c + 10, zHexBytes);
      PutAt(line, c + 46, "|");
      PutAt(line, c + 47, zHexChars);
      PutAt(line, c + 63, "|");
      recCol = c + 65;
      k += 16;
    } else {
      BDOHEX16(static_cast<int32_t>(k));
      PutAt(line, c + 10, zHexBytes);
      PutAt(line, c + 83, "|");
      PutAt(line, c + 84, zHexChars);
      BDOHEX16(static_cast<int32_t>(k + 16));
      PutAt(line, c + 47, zHexBytes);
      PutAt(line, c + 100, zHexChars);
      if (nPaneWidth > 117) PutAt(line, c + 116, "|");
      if (nPaneWidth > 129) recCol = c + 118;
      k += 32;
    }
    if (recCol > 0) {
      int32_t r = FindAsciiRecordNumber(offset);
      if (r != prevRec) {
        prevRec = r;
        std::string text;
        if (r == -1) text = "VX0032";
        else if (r < 98765433) text = Format(r, "##,###,##0");
        else text = Format(r, "0000000000");
        // The record number stays inside its own pane.
        long room = c + nPaneWidth - recCol;
        if (room > 0) PutAt(line, recCol, Left(text, room));
      }
    }
    ++i;
    if (i > lines) {
      if ((TDISPLAY & TD_HEX2) && c == 1) {
        i = 1;
        c = nPaneWidth + 1;
      } else {
        break;
      }
    }
  }
  PRINT_LINES();
}

void Lister::PRINT_LINES() {
  SetForeColor(lColor[1]);
  const int32_t lines = std::clamp(nPageLines, 0, 255);
  for (int32_t i = 1; i <= lines; ++i) PrintAt(0, static_cast<long>(nLineHeight) * i, HexLines[static_cast<size_t>(i)]);
  DoEvents();
}

int32_t Lister::FindAsciiRecordNumber(int64_t OFFSETB) {
  const int64_t t = OFFSETB + 1;
  if ((TDISPLAY & TD_HEX) && t > nLastRecPointer && !bAllIndexed) return -1;
  if (nLastRecPointer < t && !bAllIndexed) {
    nYieldCount = 1;
    while (nLastRecPointer < t && !bAllIndexed) GetASeg();
    nYieldCount = 0;
  }
  // Largest record whose address is at most t: bisection down to steps of 16, then a
  // short forward scan.
  int64_t p = 1;
  while (p <= nRecCount) p <<= 1;
  int32_t r = 0;
  for (int64_t step = p / 2; step >= 16; step /= 2) {
    int64_t cand = r + step;
    if (cand > nRecCount) continue;
    int64_t a = FindRecAddr(static_cast<int32_t>(cand));
    if (a <= t) {
      r = static_cast<int32_t>(cand);
      if (a == t) break;
    }
  }
  while (r < nRecCount && FindRecAddr(r + 1) <= t) ++r;
  if (r < 1 || r > nRecCount) {
    MsgBox("SF1 < 1 Or SF1 > NDHRecU");
    EndProcess(ExitKind::Fatal);
  }
  return r;
}

void Lister::ALT_H_LST() {
  nBookmarks = 0;
  TDISPLAY ^= TD_HEX;
  if (!(TDISPLAY & TD_HEX)) {
    int32_t r = FindAsciiRecordNumber(nHexTop + 1);
    if (r < 1 || r > nRecCount) vxCatastrophe("VX9023 - FindAsciiRecordNumber ERROR " + Format(r, "##########"));
    nTopRec = r;
    zDisplayMode = "LIST";
  } else if (nColumns < 75) {
    zMessageLine = "VX8012 - Hex display must be 75+ columns wide";
    VXERROR(zMessageLine);
  } else {
    if (nTopRec > nRecCount) nTopRec = nRecCount;
    if (nTopRec < 1) nTopRec = 1;
    nHexTop = nRecCount > 0 ? FindRecAddr(nTopRec) - 1 : 0;
    zDisplayMode = "LSTX";
  }
}

}  // namespace tembra
