// The text view: one page of records, cut to the window or wrapped, with the search
// text shown in the found-text style and an optional column ruler.
#include <algorithm>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "viewer/file_view.h"

namespace tembra {

namespace {
int32_t RoundUp10(int32_t v) { return v <= 0 ? 0 : ((v + 9) / 10) * 10; }
int32_t RoundDown10(int32_t v) { return v <= 0 ? 0 : (v / 10) * 10; }
int32_t Digits(int64_t n) {
  int32_t d = 1;
  for (; n >= 10; n /= 10) ++d;
  return d;
}
}  // namespace

int32_t FileView::NumberColumnWidth() {
  if (!bLineNumbers || (W.TDISPLAY & TD_HEX)) return 0;
  int32_t last = static_cast<int32_t>(std::min<int64_t>(int64_t{nTopRec} + W.nPageLines - 1, INT32_MAX));
  if (!bCheckForRec(last)) last = std::max(nTopRec, nRecCount);  // the file ends on the page
  return Digits(last) + 1;
}

int32_t FileView::TextColumns() const { return std::max(1, W.nColumns - nNumberCols); }
long FileView::BodyX() const { return static_cast<long>(nNumberCols) * W.nCharWidth; }
int FileView::BodyColor() const { return bLineMarked ? kColorDeletedText : kColorText; }

bool FileView::MarkedBytes(int64_t first, int64_t last) const {
  if (W.eProfile != Profile::Linux || nLastMarkStart < 1) return false;
  return first <= std::max(nMarkEnd, nLastMarkEnd) && last >= std::min(nMarkStart, nLastMarkStart);
}

bool FileView::LineMarked(int32_t r) {
  if (nLastMarkStart < 1 || r < 1 || r > nRecCount) return false;
  const int64_t a = FindRecAddr(r);
  return MarkedBytes(a, a);
}

void FileView::DrawLineNumber(int32_t r, int32_t line) {
  if (nNumberCols == 0) return;
  const std::string n = std::to_string(r);
  W.SetForeColor(W.lColor[kColorText]);
  W.SetBold(false);
  W.PrintAt(0, static_cast<long>(W.nLineHeight) * line,
            Space(std::max<int32_t>(0, nNumberCols - 1 - static_cast<int32_t>(n.size()))) + n + " ");
}

void FileView::ResetLineBuffers() {
  // The text view pads and draws each body line as it builds it, and the hex view
  // fills its own line table for every page, so no line buffer carries over.
}

void FileView::ZCOLFILL(int32_t offset) {
  zRuler.assign(480, ' ');
  for (int32_t k = 0; k <= 46; ++k) {
    int32_t g = 10 * k;  // 0-based start of the group
    zRuler.replace(static_cast<size_t>(g), 10, "....v....X");
    int32_t n = offset + 10 * (k + 1);
    std::string label;
    if (n < 100) label = Format(n / 10.0, "0");
    else if (n <= 999) label = Format(n, "000");
    // Lines as grep counts them scroll past column 9,999: the label takes the digits it needs.
    else if (bGrepLines && n > 9999) label = Format(n, "0");
    else label = Left(Format(n, "0000"), 4);
    zRuler.replace(static_cast<size_t>(g + 10) - label.size(), label.size(), label);
  }
}

std::vector<search::Span> FileView::FoundSpans(const std::string& piece, int32_t from) {
  std::vector<search::Span> out;
  if (pFindPattern) {
    // The matches of the whole line (its start and end are those of ^ and $) that lie
    // wholly within the piece.
    for (const search::Span& m : pFindPattern->AllIn(zRecText))
      if (m.offset >= from && m.offset + m.length <= from + static_cast<int64_t>(piece.size()))
        out.push_back(search::Span{m.offset - from, m.length});
    return out;
  }
  if (zFindText.empty()) return out;
  const int64_t len = static_cast<int64_t>(zFindText.size());
  for (int32_t pos = FastInStr(piece, zFindText, 1, 0, bFindNoCase); pos > 0; pos = FastInStr(piece, zFindText, pos + 1, 0, bFindNoCase))
    out.push_back(search::Span{pos - 1, len});
  return out;
}

bool FileView::LineHasFound() {
  if (pFindPattern) return !pFindPattern->AllIn(zRecText).empty();
  return FastInStr(zRecText, zFindText, 1, 0, bFindNoCase) > 0;
}

std::string FileView::zClearFoundText(const std::string& zinLine, const std::vector<search::Span>& spans) {
  std::string out = zinLine;
  for (const search::Span& m : spans)
    for (int64_t i = m.offset; i < m.offset + m.length && i < static_cast<int64_t>(out.size()); ++i) out[static_cast<size_t>(i)] = ' ';
  return out;
}

void FileView::PrintFoundText(const std::string& zinLine, const std::vector<search::Span>& spans, int32_t PrintCol,
                            int32_t PageLine) {
  long y = static_cast<long>(W.nLineHeight) * PageLine;
  for (const search::Span& m : spans) {
    const int32_t pos = static_cast<int32_t>(m.offset) + 1, len = static_cast<int32_t>(m.length);
    long x = BodyX() + static_cast<long>(PrintCol + pos - 2) * W.nCharWidth;
    if (W.bFoundBox)
      W.FillRect(x, y + W.nTwipsPerPixelY, x + static_cast<long>(len) * W.nCharWidth, y + W.nLineHeight - W.nTwipsPerPixelY,
               W.lColor[kColorSelectedBack]);
    W.SetForeColor(W.lColor[kColorDeletedText]);
    W.SetBold(W.bFoundBold);
    W.SetUnderline(W.bFoundUnderline);
    W.PrintAt(x, y, zPrintableText(Mid(zinLine, pos, len)));
  }
  W.SetBold(false);
  W.SetUnderline(false);
  W.SetForeColor(W.lColor[kColorText]);
}

void FileView::DrawBodyLine(const std::string& text, int32_t from, int32_t line, bool found) {
  std::string s = Left(text, TextColumns());
  // Only the record's own characters go through the character mapping (EBCDIC would
  // turn the blanks that fill the line into other characters).
  const size_t own = s.size();
  auto shown = [&](const std::string& t) { return zPrintableText(t.substr(0, own)) + t.substr(own); };
  if (static_cast<int32_t>(s.size()) < TextColumns()) s.append(static_cast<size_t>(TextColumns() - static_cast<int32_t>(s.size())), ' ');
  long y = static_cast<long>(W.nLineHeight) * line;
  const long x0 = BodyX();
  if (bLineMarked) W.FillRect(x0, y, x0 + static_cast<long>(s.size()) * W.nCharWidth, y + W.nLineHeight, W.lColor[kColorSelectedBack]);
  if (!found) {
    W.SetForeColor(W.lColor[BodyColor()]);
    W.SetBold(false);
    W.PrintAt(x0, y, shown(s));
    return;
  }
  if (W.bFoundLineBox)
    W.FillRect(x0, y + W.nTwipsPerPixelY, x0 + static_cast<long>(s.size()) * W.nCharWidth, y + W.nLineHeight - W.nTwipsPerPixelY,
             W.lColor[kColorSelectedBack]);
  W.SetForeColor(W.lColor[BodyColor()]);
  W.SetBold(W.bFoundLineBold);
  W.SetUnderline(W.bFoundLineUnderline);
  const std::vector<search::Span> spans = FoundSpans(s, from);
  W.PrintAt(x0, y, shown(zClearFoundText(s, spans)));
  W.SetBold(false);
  W.SetUnderline(false);
  PrintFoundText(s, spans, 1, line);
}

void FileView::ShowHitUnwrapped() {
  bShowHit = false;
  // A hit in a later piece of a very long line: its columns count from the piece's.
  const int64_t base = nHitPiece > 0 ? PieceColumn(nHitRec, nHitPiece) : 0;
  int64_t c = nHitCol;
  int32_t before = nHOffset;
  const int32_t hitLen = std::max(nHitLen, 1);
  int64_t e = hitLen - TextColumns() + c - 1;
  if (Utf8Text()) {
    // The hit's columns in cells of the record's display line.
    GetRecText(nHitRec, nHitPiece);
    const int32_t last = static_cast<int32_t>(zRecText.size());
    c = nCellOfByte[static_cast<size_t>(std::clamp(nHitCol - 1, 0, last))] + 1;
    e = CellEndOfByte(std::min(nHitCol - 2 + hitLen, last - 1)) - TextColumns();
  }
  c += base;
  e += base;
  if (e >= INT32_MAX - 10) {
    // Past the columns the view can scroll to (a line of gigabytes): said, not shown.
    W.VXERROR(MsgText(Msg::VX0065, Format(static_cast<double>(c), "#,###,###,##0"), Format(nHitRec, "#,###,###,##0"),
                    Format(static_cast<double>(INT32_MAX - 10), "#,###,###,##0")));
  } else if (c - 1 >= nHOffset && e > nHOffset) {
    nHOffset = RoundUp10(static_cast<int32_t>(e));
  } else if (c - 1 < nHOffset) {
    nHOffset = RoundDown10(static_cast<int32_t>(c - 1));
  }
  if (nHOffset != before) ZCOLFILL(nHOffset);
}

void FileView::ListWrappedPage(bool searchText) {
  nHOffset = 0;
  if (bShowHit && bGrepLines && nHitRec == nTopRec) {
    // A hit beyond the first page of its line: the page starts at the hit's display line.
    BuildRecParse(nTopRec, TextColumns(), nHitPiece);
    int32_t pos = nHitCol;
    if (Utf8Text()) pos = nCellOfByte[static_cast<size_t>(std::clamp(nHitCol - 1, 0, static_cast<int32_t>(zRecText.size())))] + 1;
    int32_t row = 0;
    for (int32_t i = 1; i <= RecParse[0][0] && RecParse[i][0] <= pos; ++i) row = i - 1;
    SetTop(nTopRec, row < W.nPageLines && nHitPiece == 0 ? 0 : row, nHitPiece);
  }
  bShowHit = false;
  int32_t r = nTopRec;
  int32_t line = 0;
  int32_t skip = TopRow();  // display lines of the top record above the page
  int64_t piece = TopPiece();
  nBottomRec = nTopRec;
  nNextRow = nNextRowRec = 0;
  while (line < W.nPageLines) {
    BuildRecParse(r, TextColumns(), piece);
    if (nCurRecLen < 0) break;
    bool found = searchText && LineHasFound();
    int32_t n = RecParse[0][0];
    int32_t i = std::min(skip, n - 1) + 1;
    skip = 0;
    bLineMarked = LineMarked(r);
    for (; i <= n && line < W.nPageLines; ++i) {
      ++line;
      if (i == 1 && piece == 0) DrawLineNumber(r, line);
      if (Utf8Text()) DrawBodyCells(RecParse[i][0] - 1, RecParse[i][1], line, found);
      else DrawBodyLine(Mid(zRecText, RecParse[i][0], RecParse[i][1]), RecParse[i][0] - 1, line, found);
    }
    const bool lastPiece = !bGrepLines || piece + 1 >= LinePieces(r);
    const bool done = i > n && lastPiece;
    if (done) nBottomRec = r;
    if (line >= W.nPageLines) {
      if (!done && bGrepLines) {
        // The page ends inside the line: at a display line of this piece or the next.
        nNextRowRec = r;
        nNextRowPiece = i > n ? piece + 1 : piece;
        nNextRow = i > n ? 0 : i - 1;
      }
      break;
    }
    if (!lastPiece) {
      ++piece;
      continue;
    }
    piece = 0;
    ++r;
    if (!bCheckForRec(r)) break;
  }
}

void FileView::ListTitleLine() {
  W.SetForeColor(W.lColor[kColorInfoText]);
  W.SetBold(false);
  if (W.TDISPLAY & TD_RULER) {
    // The ruler counts the text's columns: it starts where the text does.
    std::string ruler = Space(nNumberCols) + Left(zRuler, TextColumns());
    if (static_cast<int32_t>(ruler.size()) < W.nColumns) ruler.append(static_cast<size_t>(W.nColumns) - ruler.size(), ' ');
    W.PrintAt(0, W.nMinusPixelY, ruler);
  } else {
    W.PrintShownAt(0, W.nMinusPixelY, W.zTopLine);
  }
  W.SetForeColor(W.lColor[kColorText]);
}

void FileView::ListModeAscii() {
  if (nTopRec < 1) nTopRec = 1;
  nNumberCols = NumberColumnWidth();
  bool searchText = nFindLen > 0 && !zFindText.empty();
  if (nWrapMode == 0 && bShowHit) ShowHitUnwrapped();
  // A source still arriving: the frame first (the lines may wait for it), and the title
  // again after them, with what has arrived meanwhile.
  const bool arriving = bStreamOpen;
  if (arriving) ListTitleLine();
  if (nWrapMode == 0) {
    // A search text of blanks only is not highlighted in the unwrapped view.
    bool highlight = searchText && Trim(zFindText) != "";
    int32_t r = nTopRec;
    int32_t used = 0;
    int32_t lastDrawn = nTopRec;
    for (int32_t line = 1; line <= W.nPageLines; ++line) {
      const RecordSpan s = GetZCurRec(r);
      if (!s.Exists()) break;
      bLineMarked = LineMarked(r);
      DrawLineNumber(r, line);
      if (LinePieces(r) > 1) {
        DrawLongRow(r, line, highlight);
      } else {
        zRecText = zUnTab(zSegment, s.pos, s.len);
        bool found = highlight && LineHasFound();
        if (Utf8Text()) {
          DecodeRecCells();
          DrawBodyCells(nHOffset, TextColumns(), line, found);
        } else {
          DrawBodyLine(Mid(zRecText, nHOffset + 1, TextColumns()), nHOffset, line, found);
        }
      }
      used = line;
      lastDrawn = r;
      ++r;
      if (r > nRecCount && bAllIndexed) break;
      if (r == nRecCount && bAllIndexed && !bCheckForRec(r)) break;
    }
    nBottomRec = used == W.nPageLines ? lastDrawn : r;
  } else {
    ListWrappedPage(searchText);
  }
  bLineMarked = false;
  if (arriving) W.SetupTopBot();
  ListTitleLine();
  W.DoEvents();
}

int64_t FileView::PieceColumn(int32_t r, int64_t piece) {
  PieceColumns& c = PieceCols;
  if (r < 1 || r > nRecCount) return 0;
  const int64_t addr = FindRecAddr(r), len = RecLen(r);
  // What the widths depend on: the character set and the tab expansion.
  uint64_t key = (Utf8Text() ? 1u : 0u) | (bUnTab ? 2u : 0u);
  for (int32_t stop : nTabStops) key = key * 1000003u + static_cast<uint64_t>(stop);
  if (c.addr != addr || c.len != len || c.key != key) c = PieceColumns{addr, len, key, {0}, -1};
  piece = std::clamp<int64_t>(piece, 0, LinePieces(r));
  while (static_cast<int64_t>(c.starts.size()) <= piece) {
    GetRecText(r, static_cast<int64_t>(c.starts.size()) - 1);
    c.starts.push_back(c.starts.back() + static_cast<int64_t>(Utf8Text() ? vRecCells.size() : zRecText.size()));
    c.measured = static_cast<int64_t>(c.starts.size()) - 2;  // its text is in the buffer now
  }
  return c.starts[static_cast<size_t>(piece)];
}

void FileView::DrawLongRow(int32_t r, int32_t line, bool highlight) {
  const int64_t last = LinePieces(r) - 1;
  // The piece that holds column nHOffset: the pieces before it are measured once, and
  // the one measured last need not be read again.
  PieceCols.measured = -1;
  int64_t k = 0;
  while (k < last && PieceColumn(r, k + 1) <= nHOffset) ++k;
  const int64_t start = PieceColumn(r, k);
  const int64_t next = k < last ? PieceColumn(r, k + 1) : INT64_MAX;
  if (PieceCols.measured != k) GetRecText(r, k);
  const bool found = highlight && LineHasFound();
  const int32_t from = static_cast<int32_t>(nHOffset - start);
  if (Utf8Text()) DrawBodyCells(from, TextColumns(), line, found);
  else DrawBodyLine(Mid(zRecText, from + 1, TextColumns()), from, line, found);
  if (next >= int64_t{nHOffset} + TextColumns()) return;
  // The rest of the row from the start of the next piece, in the text's colours.
  const int32_t x0 = static_cast<int32_t>(next - nHOffset);
  const size_t n = static_cast<size_t>(TextColumns() - x0);
  GetRecText(r, k + 1);
  const long x = BodyX() + static_cast<long>(x0) * W.nCharWidth, y = static_cast<long>(W.nLineHeight) * line;
  W.SetForeColor(W.lColor[BodyColor()]);
  W.SetBold(false);
  if (Utf8Text()) {
    std::vector<TextCell> cells(vRecCells.begin(), vRecCells.begin() + static_cast<std::ptrdiff_t>(std::min(n, vRecCells.size())));
    if (!cells.empty() && cells.back().width == 2) cells.back() = TextCell{};  // half a wide character
    W.PrintCellsAt(x, y, cells);
  } else {
    W.PrintAt(x, y, zPrintableText(zRecText.substr(0, n)));
  }
}

int32_t FileView::WrapRows(int32_t r, int64_t piece) {
  BuildRecParse(r, TextColumns(), piece);
  return nCurRecLen < 0 ? 0 : RecParse[0][0];
}

void FileView::SetTop(int32_t r, int32_t row, int64_t piece) {
  nTopRec = r;
  nTopRowRec = r;
  nTopRow = std::max(0, row);
  nTopPiece = std::max<int64_t>(0, piece);
}

void FileView::RowsBack(int32_t r, int64_t& piece, int32_t& row, int32_t n) {
  while (n > row && piece > 0) {
    n -= row;
    row = WrapRows(r, --piece);
  }
  row = std::max(0, row - n);
}

int32_t FileView::Find1stRecordOnPage(int32_t record) {
  if (record < 1) return 1;
  if (nWrapMode == 0) return std::max(1, record - W.nPageLines + 1);
  int32_t remaining = W.nPageLines;
  int32_t result = record;
  for (int32_t r = record; r >= 1; --r) {
    BuildRecParse(r, TextColumns());
    int32_t n = RecParse[0][0];
    if (n > remaining) break;
    remaining -= n;
    result = r;
  }
  return result;
}

}  // namespace tembra
