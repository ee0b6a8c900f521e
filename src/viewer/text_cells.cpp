// The text view of UTF-8 text: records decoded once per display line into screen cells
// (a wide character takes two, a combining mark joins the cell before it, a byte outside
// a valid sequence is its Windows-1252 character, a format character is one cell of the
// unprintable character); tab stops, word wrap, horizontal scrolling and the found-text
// emphasis count cells.
#include <algorithm>

#include "core/lister.h"
#include "viewer/file_view.h"
#include "core/unicode.h"

namespace tembra {

bool FileView::Utf8Text() const { return W.bUtf8 && !(W.TDISPLAY & (TD_EBCDIC | TD_STRIP | TD_ASCII)); }

void FileView::DecodeRecCells() {
  const std::string& s = zRecText;
  const size_t n = s.size();
  // A record never takes more cells than it has bytes: the tables are sized for that
  // and written through pointers, then cut to the cells used.
  vRecCells.resize(n);
  nByteOfCell.resize(n);
  nCellOfByte.resize(n + 1);
  TextCell* cells = vRecCells.data();
  int32_t* byteOf = nByteOfCell.data();
  int32_t* cellOf = nCellOfByte.data();
  int32_t m = 0;  // cells so far
  const char32_t unprintable = W.zUnprintable.empty() ? 0 : Cp1252ToUnicode(static_cast<unsigned char>(W.zUnprintable[0]));
  const uint8_t* const plane = FirstPlaneCellInfo();
  const unsigned char* const p = reinterpret_cast<const unsigned char*>(s.data());
  for (size_t i = 0; i < n;) {
    const unsigned char b = p[i];
    if (b >= 0x20 && b < 0x7F && W.nCharWidths[b] != 0) {
      // Printable ASCII, most of most text.
      cells[m] = TextCell{b, 0, 1};
      byteOf[m] = static_cast<int32_t>(i);
      cellOf[i++] = m++;
      continue;
    }
    const DecodedChar d = DecodeUtf8(p + i, n - i);
    int32_t at = m;
    TextCell t;
    int width = 1;
    // The first plane's characters from its table, looked up here rather than through
    // CellInfo for each.
    const int info = !d.valid || d.cp < 0xAD ? 1 : d.cp < 0x10000 ? plane[d.cp] : CellInfo(d.cp);
    if (!d.valid || d.cp < 0x80) {
      // Single bytes show as in Windows-1252 text, control codes included.
      t.ch = Cp1252ToUnicode(PrintableCode(b));
    } else if (d.cp < 0xA0) {
      t.ch = unprintable ? unprintable : d.cp;  // a C1 control code
    } else if (info & kFormatChar) {
      // A format character (a direction control, a zero-width character) would hide
      // itself or reorder the line: it takes a cell of its own and shows as the
      // unprintable character.
      t.ch = unprintable ? unprintable : U'\u2022';
    } else {
      t.ch = d.cp;
      width = info & 3;
    }
    if (width == 0) {
      // A combining mark joins the character before it (one mark per cell is drawn).
      if (at > 0) {
        at = byteOf[at - 1] < 0 ? at - 2 : at - 1;
        TextCell& prev = cells[at];
        if (!prev.mark) prev.mark = d.cp;
      } else {
        t.ch = U' ';
        t.mark = d.cp;
        cells[m] = t;
        byteOf[m++] = static_cast<int32_t>(i);
      }
    } else {
      t.width = static_cast<uint8_t>(width);
      cells[m] = t;
      byteOf[m++] = static_cast<int32_t>(i);
      if (width == 2) {
        cells[m] = TextCell{0, 0, 0};
        byteOf[m++] = -1;
      }
    }
    for (int k = 0; k < d.len; ++k) cellOf[i + static_cast<size_t>(k)] = at;
    i += static_cast<size_t>(d.len);
  }
  cellOf[n] = m;
  vRecCells.resize(static_cast<size_t>(m));
  nByteOfCell.resize(static_cast<size_t>(m));
}

int32_t FileView::CellEndOfByte(int32_t byte) {
  if (byte < 0) return 0;
  if (byte >= static_cast<int32_t>(zRecText.size())) return static_cast<int32_t>(vRecCells.size());
  const int32_t c = nCellOfByte[static_cast<size_t>(byte)];
  return c + (vRecCells[static_cast<size_t>(c)].width == 2 ? 2 : 1);
}

void FileView::DrawBodyCells(int32_t from, int32_t count, int32_t line, bool found) {
  const int32_t total = static_cast<int32_t>(vRecCells.size());
  const int32_t shown = std::max(0, std::min({count, TextColumns(), total - from}));
  // One line's cells, kept between lines (a page draws many).
  thread_local std::vector<TextCell> s;
  s.assign(static_cast<size_t>(std::max(TextColumns(), 0)), TextCell{});
  if (shown > 0) std::copy_n(vRecCells.begin() + from, shown, s.begin());
  // Half a wide character at either edge of the line shows as a blank.
  if (shown > 0 && s[0].width == 0) s[0] = TextCell{};
  if (shown > 0 && s[static_cast<size_t>(shown - 1)].width == 2) s[static_cast<size_t>(shown - 1)] = TextCell{};
  const long y = static_cast<long>(W.nLineHeight) * line, x0 = BodyX();
  if (bLineMarked) W.FillRect(x0, y, x0 + static_cast<long>(s.size()) * W.nCharWidth, y + W.nLineHeight, W.lColor[kColorSelectedBack]);
  if (!found) {
    W.SetForeColor(W.lColor[BodyColor()]);
    W.SetBold(false);
    W.PrintCellsAt(x0, y, s);
    return;
  }
  // The cells of every occurrence that lies wholly within the line.
  std::vector<char> hit(s.size(), 0);
  for (const search::Span& m : FoundSpans(zRecText, 0)) {
    const int32_t pos = static_cast<int32_t>(m.offset) + 1, len = static_cast<int32_t>(m.length);
    const int32_t c0 = nCellOfByte[static_cast<size_t>(pos - 1)], c1 = CellEndOfByte(pos - 2 + len);
    if (c0 >= from && c1 <= from + shown)
      for (int32_t c = c0; c < c1; ++c) hit[static_cast<size_t>(c - from)] = 1;
  }
  if (W.bFoundLineBox)
    W.FillRect(x0, y + W.nTwipsPerPixelY, x0 + static_cast<long>(s.size()) * W.nCharWidth, y + W.nLineHeight - W.nTwipsPerPixelY,
             W.lColor[kColorSelectedBack]);
  std::vector<TextCell> cleared = s;
  for (size_t k = 0; k < s.size(); ++k)
    if (hit[k]) cleared[k] = TextCell{};
  W.SetForeColor(W.lColor[BodyColor()]);
  W.SetBold(W.bFoundLineBold);
  W.SetUnderline(W.bFoundLineUnderline);
  W.PrintCellsAt(x0, y, cleared);
  W.SetBold(false);
  W.SetUnderline(false);
  for (size_t k = 0; k < s.size();) {
    if (!hit[k]) {
      ++k;
      continue;
    }
    size_t e = k;
    while (e < s.size() && hit[e]) ++e;
    const long x = x0 + static_cast<long>(k) * W.nCharWidth;
    if (W.bFoundBox)
      W.FillRect(x, y + W.nTwipsPerPixelY, x + static_cast<long>(e - k) * W.nCharWidth, y + W.nLineHeight - W.nTwipsPerPixelY,
               W.lColor[kColorSelectedBack]);
    W.SetForeColor(W.lColor[kColorDeletedText]);
    W.SetBold(W.bFoundBold);
    W.SetUnderline(W.bFoundUnderline);
    W.PrintCellsAt(x, y, std::vector<TextCell>(s.begin() + static_cast<long>(k), s.begin() + static_cast<long>(e)));
    k = e;
  }
  W.SetBold(false);
  W.SetUnderline(false);
  W.SetForeColor(W.lColor[kColorText]);
}

}  // namespace tembra
