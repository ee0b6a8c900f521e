// The hex view: a dump of the viewed file with offsets, hexadecimal and character
// columns and the record number of each line, and the switch between text and hex view.
#include <algorithm>
#include <array>
#include <optional>
#include <cstring>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "viewer/file_view.h"

namespace tembra {

namespace {
// Column headings of the 16- and 32-byte layouts, stored scrambled (see QQ).
const char kHexHead16[] = "QJJ`]qtttt;;;g;\";=t;i;l;r;(t;d;\\;x;Et;N;^;w;9tn;g\"=ilr(d\\xEN^w9nt ]AkTf|";
const char kHexHead32[] =
    "QJJ`]qtttt;;;g;\";=t;i;l;r;(t;d;\\;x;Et;N;^;w;9ttg;ggg\"g=tgiglgrg(tgdg\\gxgEtgNg^gwg9tn";

// Tables of one page: the two hexadecimal digits of every byte and the character the
// character column shows for it (the view's character mode decides).
struct HexTables {
  char pairs[256][2];
  char shown[256];
};

// The tables depend on the digits, the character mode, the unprintable mark and the
// font's widths; a page reuses the last tables when those are the same (building them
// cost more than formatting a page). The EBCDIC tables are built every time.
const HexTables& PageHexTables(Lister& L) {
  struct Key {
    char digits[16];
    int32_t mode;
    int unprintable;
    std::array<int32_t, 256> widths;
  };
  thread_local HexTables t;
  thread_local std::optional<Key> last;
  char digits[16];
  for (int d = 0; d < 16; ++d) digits[d] = L.zHexDigit[static_cast<size_t>(d)][0];
  const int32_t mode = L.TDISPLAY & (TD_HEX | TD_EBCDIC | TD_STRIP | TD_ASCII);
  const int unprintable = L.zUnprintable.empty() ? -1 : static_cast<unsigned char>(L.zUnprintable[0]);
  // Compared in place: copying the widths for every page cost as much as comparing them.
  if (last && !(mode & TD_EBCDIC) && last->mode == mode && last->unprintable == unprintable &&
      std::memcmp(last->digits, digits, sizeof digits) == 0 && last->widths == L.nCharWidths)
    return t;
  Key key{};
  std::memcpy(key.digits, digits, sizeof digits);
  key.mode = mode;
  key.unprintable = unprintable;
  key.widths = L.nCharWidths;
  for (int b = 0; b < 256; ++b) {
    t.pairs[b][0] = key.digits[b / 16];
    t.pairs[b][1] = key.digits[b % 16];
    t.shown[b] = static_cast<char>(L.View().PrintableCode(static_cast<unsigned char>(b)));  // zPrintable of the byte
  }
  last = key;
  return t;
}

// Writes the hexadecimal digits of `count` bytes (at most 16) into the 35 columns at hex
// (four groups of four bytes, a blank between groups) and their characters into the
// 16 columns at chars; columns of missing bytes stay as they are (blank).
inline void FormatSixteen(const HexTables& t, const unsigned char* bytes, int count, char* hex, char* chars) {
  for (int j = 0; j < count; ++j) {
    const unsigned char b = bytes[j];
    std::memcpy(hex + j * 2 + j / 4, t.pairs[b], 2);
    chars[j] = t.shown[b];
  }
}

// Bytes at page position pos (at most `want`) that the file and the buffer hold.
int32_t HexBytesAt(const FileView& L, int32_t pos, int32_t want) {
  const int64_t pageStart = L.nHexTop & L.nHexMask;
  // Only bytes of the file that the buffer really holds are shown.
  const int64_t valid = std::min<int64_t>(std::max<int32_t>(L.nSegEnd - 1, 0), static_cast<int64_t>(L.zSegment.size()));
  const int64_t bp = static_cast<int64_t>(L.nHexBufBase) + pos;
  if (bp < 0) return 0;
  const int64_t n = std::min<int64_t>({want, L.nFileSize - (pageStart + pos), valid - bp});
  return static_cast<int32_t>(std::max<int64_t>(n, 0));
}

// Hexadecimal digits of the offset column beyond the usual 8: a file longer than 4 GiB
// (viewed whole) needs more, and every column after the offsets moves right by as many.
int32_t ExtraOffsetDigits(int64_t fileSize) {
  int32_t extra = 0;
  for (uint64_t last = fileSize > 0 ? static_cast<uint64_t>(fileSize - 1) >> 32 : 0; last != 0; last >>= 4) ++extra;
  return extra;
}

// Writes text into line from 1-based column col, cut at the line's end.
void PutAt(std::string& line, long col, const std::string& text) {
  if (col < 1 || col > static_cast<long>(line.size())) return;
  size_t n = std::min(text.size(), line.size() - static_cast<size_t>(col - 1));
  line.replace(static_cast<size_t>(col - 1), n, text, 0, n);
}
}  // namespace

void FileView::InitHexHeaders() {
  zHexHead16 = W.QQ(kHexHead16);
  zHexHead32 = W.QQ(kHexHead32) + "0123456789ABCDEF0123456789ABCDEF  Record#";
}

std::string FileView::zCVInteger(int64_t iValue) {
  static const char digits[] = "0123456789ABCDEF";
  uint32_t v = static_cast<uint32_t>(iValue);
  std::string out(8, '0');
  for (int i = 7; i >= 0; --i) {
    out[static_cast<size_t>(i)] = digits[v & 15];
    v >>= 4;
  }
  return out;
}

void FileView::BDOHEX16(int32_t POSBUFFR) {
  zHexBytes.assign(35, ' ');
  zHexChars.assign(16, ' ');
  const HexTables& t = PageHexTables(W);
  const int32_t n = HexBytesAt(*this, POSBUFFR, 16);
  if (n > 0)
    FormatSixteen(t, reinterpret_cast<const unsigned char*>(zSegment.data()) + nHexBufBase + POSBUFFR, n,
                  zHexBytes.data(), zHexChars.data());
}

// Layout by window width.
void FileView::HexLayout() {
  const int32_t w = W.nColumns;
  if (w < 117) {
    nHexMask = -16;
    W.TDISPLAY &= ~(TD_HEX32 | TD_HEX2);
    nPaneWidth = w;
  } else if (w <= 234) {
    nHexMask = -32;
    W.TDISPLAY |= TD_HEX32;
    W.TDISPLAY &= ~TD_HEX2;
    nPaneWidth = w;
  } else {
    nHexMask = -32;
    W.TDISPLAY |= TD_HEX32 | TD_HEX2;
    nPaneWidth = w / 2;
    W.SyncDisplayMode();
  }
}

// Title line or column headings.
void FileView::HexHeading(int32_t extra) {
  W.SetForeColor(W.lColor[kColorInfoText]);
  W.SetBold(false);
  if (!(W.TDISPLAY & TD_RULER)) {
    W.PrintShownAt(0, 0, W.zTopLine);
  } else {
    std::string head = Space(W.nColumns);
    if (!(W.TDISPLAY & TD_HEX32)) {
      PutAt(head, 1 + extra, zHexHead16);
    } else {
      PutAt(head, 1 + extra, nPaneWidth < 130 + extra ? Left(zHexHead32, 117) : zHexHead32);
      if (W.TDISPLAY & TD_HEX2) PutAt(head, nPaneWidth + 1 + extra, Left(zHexHead32, 117));
    }
    W.PrintAt(0, 0, head);
  }
  W.SetForeColor(W.lColor[kColorText]);
}

// Puts the page inside the file and its bytes into the buffer; returns its first offset.
int64_t FileView::HexPageSegment(int32_t lines) {
  // A page never starts beyond the last byte of the file.
  if (nHexTop < 0) nHexTop = 0;
  if ((nHexTop & nHexMask) >= nFileSize) nHexTop = (nFileSize - 1) & nHexMask;
  const int64_t pageStart = nHexTop & nHexMask;
  const int32_t bytesPerLine = (W.TDISPLAY & TD_HEX32) ? 32 : 16;
  const int64_t pageBytes = static_cast<int64_t>(lines) * bytesPerLine * ((W.TDISPLAY & TD_HEX2) ? 2 : 1);
  const int64_t pageEnd = std::min(pageStart + pageBytes, nFileSize);  // 0-based, exclusive
  // The page needs the segment that starts at its first byte; when the buffer already
  // holds every byte of the page it is used as it is.
  if (nSegStart > 0 && pageStart + 1 >= nSegStart && pageEnd <= nSegStart + nSegEnd - 1) {
    nHexBufBase = static_cast<int32_t>(pageStart + 1 - nSegStart);
  } else {
    GetFdbin(pageStart + 1);
    nHexBufBase = 0;
  }
  return pageStart;
}

// The page's tables, then each line formatted whole into a scratch line and copied
// into its pane.
void FileView::HexPageLines(int64_t pageStart, int32_t lines, int32_t extra) {
  const HexTables& t = PageHexTables(W);
  const unsigned char* seg = reinterpret_cast<const unsigned char*>(zSegment.data());
  const bool wide = (W.TDISPLAY & TD_HEX32) != 0;
  int64_t k = 0;
  int32_t i = 1;
  int32_t c = 1;
  int32_t prevRec = 0;
  for (;;) {
    if (lines < 1) break;
    const int64_t offset = pageStart + k;
    if (offset >= nFileSize) {
      nBottomRec = nFileSize;
      break;
    }
    nBottomRec = offset;
    std::string& line = HexLines[static_cast<size_t>(i)];
    // buf[extra + i] is column c + i: the offset at 0-7 (and the digits above 4 GiB
    // before it), hexadecimal from 10, characters after. The line is blank; when the
    // whole of it fits, it is formatted in place, else in a scratch line that is cut.
    const long width = extra + (!wide ? 64 : nPaneWidth > 117 + extra ? 117 : 116);
    const bool fits = c <= static_cast<long>(line.size()) && static_cast<long>(line.size()) - (c - 1) >= width;
    char wideBuf[128 + 16];
    if (!fits) std::memset(wideBuf, ' ', sizeof wideBuf);
    char* const out = fits ? line.data() + (c - 1) : wideBuf;
    // The offset's digits, the lowest last: two from each byte, then a single one.
    {
      int32_t d = extra + 8;
      uint64_t v = static_cast<uint64_t>(offset);
      for (; d >= 2; d -= 2, v >>= 8) std::memcpy(out + d - 2, t.pairs[v & 0xFF], 2);
      if (d == 1) out[0] = t.pairs[v & 15][1];
    }
    char* buf = out + extra;
    const int32_t n = HexBytesAt(*this, static_cast<int32_t>(k), wide ? 32 : 16);
    const unsigned char* bytes = n > 0 ? seg + nHexBufBase + k : seg;
    long recCol = 0;
    if (!wide) {
      FormatSixteen(t, bytes, std::min(n, 16), buf + 10, buf + 47);
      buf[46] = '|';
      buf[63] = '|';
      recCol = c + 65 + extra;
      k += 16;
    } else {
      FormatSixteen(t, bytes, std::min(n, 16), buf + 10, buf + 84);
      if (n > 16) FormatSixteen(t, bytes + 16, n - 16, buf + 47, buf + 100);
      buf[83] = '|';
      if (nPaneWidth > 117 + extra) buf[116] = '|';
      if (nPaneWidth > 129 + extra) recCol = c + 118 + extra;
      k += 32;
    }
    if (!fits && c <= static_cast<long>(line.size())) {
      const size_t room = std::min(static_cast<size_t>(width), line.size() - static_cast<size_t>(c - 1));
      line.replace(static_cast<size_t>(c - 1), room, wideBuf, room);
    }
    if (recCol > 0) {
      int32_t r = FindAsciiRecordNumber(offset);
      if (r != prevRec) {
        prevRec = r;
        std::string text;
        if (r == -1) text = MessageText(Msg::VX0032);
        else if (r < 98765433) text = Format(r, "##,###,##0");
        else text = Format(r, "0000000000");
        // The record number stays inside its own pane.
        long room = c + nPaneWidth - recCol;
        if (room > 0) PutAt(line, recCol, Left(text, room));
      }
    }
    ++i;
    if (i > lines) {
      if ((W.TDISPLAY & TD_HEX2) && c == 1) {
        i = 1;
        c = nPaneWidth + 1;
      } else {
        break;
      }
    }
  }
}

void FileView::ListModeHex() {
  HexLayout();
  const int32_t extra = ExtraOffsetDigits(nFileSize);
  HexHeading(extra);

  // Body.
  // Every body line starts blank (lines beyond the page are never drawn).
  const int32_t lines = std::clamp(W.nPageLines, 0, 255);
  for (int i = 1; i <= lines; ++i) HexLines[static_cast<size_t>(i)].assign(static_cast<size_t>(std::max(W.nColumns, 0)), ' ');
  if (nFileSize <= 0) {
    nBottomRec = 0;
    PRINT_LINES();
    return;
  }
  const int64_t pageStart = HexPageSegment(lines);
  HexPageLines(pageStart, lines, extra);
  PRINT_LINES();
}

void FileView::PRINT_LINES() {
  W.SetForeColor(W.lColor[kColorText]);
  const int32_t lines = std::clamp(W.nPageLines, 0, 255);
  for (int32_t i = 1; i <= lines; ++i) W.PrintAt(0, static_cast<long>(W.nLineHeight) * i, HexLines[static_cast<size_t>(i)]);
  // The lines marked for copying (Linux profile) again in the marked colour, pane by pane.
  const int64_t width = (W.TDISPLAY & TD_HEX32) ? 32 : 16;
  const int32_t panes = (W.TDISPLAY & TD_HEX2) && nPaneWidth > 0 && W.nColumns >= 2 * nPaneWidth ? 2 : 1;
  for (int32_t p = 0; p < panes && nLastMarkStart > 0; ++p) {
    for (int32_t i = 1; i <= lines; ++i) {
      const int64_t offset = (nHexTop & nHexMask) + (int64_t{p} * lines + i - 1) * width;
      if (offset >= nFileSize || !MarkedBytes(offset + 1, offset + width)) continue;
      const std::string& line = HexLines[static_cast<size_t>(i)];
      const size_t from = static_cast<size_t>(p) * static_cast<size_t>(nPaneWidth);
      const std::string part = from < line.size() ? line.substr(from, panes == 2 ? static_cast<size_t>(nPaneWidth) : std::string::npos) : "";
      const long x = static_cast<long>(from) * W.nCharWidth, y = static_cast<long>(W.nLineHeight) * i;
      W.FillRect(x, y, x + static_cast<long>(part.size()) * W.nCharWidth, y + W.nLineHeight, W.lColor[kColorSelectedBack]);
      W.SetForeColor(W.lColor[kColorDeletedText]);
      W.PrintAt(x, y, part);
    }
  }
  W.SetForeColor(W.lColor[kColorText]);
  W.DoEvents();
}

int32_t FileView::FindAsciiRecordNumber(int64_t OFFSETB) {
  const int64_t t = OFFSETB + 1;
  if ((W.TDISPLAY & TD_HEX) && t > nLastRecPointer && !bAllIndexed) return -1;
  if (nLastRecPointer < t && !bAllIndexed) {
    W.nYieldCount = 1;
    IndexAhead(t);
    while (nLastRecPointer < t && !bAllIndexed && ScanGoesOn()) GetASeg();
    W.nYieldCount = 0;
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
  if (nRecCount < 1) return 0;  // an empty file or source: no record holds any offset
  if (r < 1 || r > nRecCount) {
    W.MsgBox("SF1 < 1 Or SF1 > NDHRecU");
    W.EndProcess(ExitKind::Fatal);
  }
  return r;
}

void FileView::ALT_H_LST() {
  nBookmarks = 0;
  W.TDISPLAY ^= TD_HEX;
  if (!(W.TDISPLAY & TD_HEX)) {
    int32_t r = FindAsciiRecordNumber(nHexTop + 1);
    if (nRecCount > 0 && (r < 1 || r > nRecCount)) W.vxCatastrophe(MsgText(Msg::VX9023, Format(r, "##########")));
    SetTop(std::max(r, 1), 0);
    W.SyncDisplayMode();
  } else if (W.nColumns < 75) {
    W.zMessageLine = MsgText(Msg::VX8012);
    W.VXERROR(W.zMessageLine);
  } else {
    if (nTopRec > nRecCount) nTopRec = nRecCount;
    if (nTopRec < 1) nTopRec = 1;
    nHexTop = nRecCount > 0 ? FindRecAddr(nTopRec) - 1 : 0;
    W.SyncDisplayMode();
  }
}

}  // namespace tembra
