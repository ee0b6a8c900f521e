#include "platform/grid/grid.h"

#include <algorithm>
#include <cstring>
#include <cmath>

#include "core/text.h"
#include "core/unicode.h"

namespace tembra::grid {

bool ZeroWidth(unsigned char c) {
  return c < 32 || c == 127 || c == 129 || c == 141 || c == 143 || c == 144 || c == 157;
}

bool NoGlyph(char32_t c) { return c < 32 || c == 127 || (c >= 0x80 && c < 0xA0); }

GridWindow::GridWindow(int cols, int rows, FontKind font) : font_(font) {
  // The simulated screen is sized so that the start-up rule (80 columns and 25 rows plus
  // 10/25 of the rest of the screen) gives exactly the requested client area.
  screenW_ = 9600 + (cols * kCellW - 9600) * 5 / 2;
  screenH_ = 5000 + (rows * kCellH - 5000) * 5 / 2;
  Relayout(cols * kCellW, rows * kCellH, false);
}

void GridWindow::Relayout(long clientW, long clientH, bool notify) {
  if (clientW < 0) clientW = 0;
  if (clientH < 0) clientH = 0;
  bool changed = clientW != clientW_ || clientH != clientH_;
  int cols = static_cast<int>(clientW / kCellW), rows = static_cast<int>(clientH / kCellH);
  if (cols != cols_ || rows != rows_) {
    Cell blank;
    blank.bg = back_;
    std::vector<Cell> cells(static_cast<size_t>(cols) * rows, blank);
    for (int r = 0; r < std::min(rows, rows_); ++r)
      for (int c = 0; c < std::min(cols, cols_); ++c) cells[static_cast<size_t>(r) * cols + c] = At(c, r);
    cells_.swap(cells);
    cols_ = cols;
    rows_ = rows;
  }
  clientW_ = clientW;
  clientH_ = clientH;
  if (changed && notify && onResize) onResize();
}

void GridWindow::MendWide(long row, long from, long to) {
  // A wide character whose other half was overwritten is a blank now.
  Cell* cells = &cells_[static_cast<size_t>(row) * cols_];
  if (from > 0 && from < cols_ && cells[from - 1].width == 2 && cells[from].width != 0) {
    cells[from - 1].ch = U' ';
    cells[from - 1].mark = 0;
    cells[from - 1].width = 1;
  }
  if (to >= 0 && to < cols_ && cells[to].width == 0 && (to == 0 || cells[to - 1].width != 2)) {
    cells[to].ch = U' ';
    cells[to].width = 1;
  }
}

void GridWindow::SetOuterWidth(long w) { Relayout(w - kFrameW, clientH_, true); }
void GridWindow::SetOuterHeight(long h) { Relayout(clientW_, h - kFrameH, true); }
void GridWindow::ResizeClient(int cols, int rows) { Relayout(cols * kCellW, rows * kCellH, false); }

void GridWindow::SetCaption(const std::string& text) { caption_ = text; }

double GridWindow::TextWidth(const std::string& text) {
  double w = 0;
  for (unsigned char c : text) {
    if (ZeroWidth(c)) continue;
    if (font_ == FontKind::Proportional) w += c == 'i' || c == 'l' || c == 'I' ? 60 : (c == 'M' || c == 'W') ? 160 : 120;
    else if (font_ == FontKind::BoldWider && bold_) w += 135;
    else w += 120;
  }
  return w;
}

void GridWindow::FillRect(long x1, long y1, long x2, long y2, uint32_t color) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  // The cells whose centres lie inside: centre k * size + size / 2 within [lo, hi].
  auto first = [](long lo, long size) {
    long d = lo - size / 2;
    return d <= 0 ? 0 : (d + size - 1) / size;
  };
  auto last = [](long hi, long size) {
    long d = hi - size / 2;
    return d < 0 ? -1 : d / size;
  };
  const long r0 = first(y1, kCellH), r1 = std::min<long>(last(y2, kCellH), rows_ - 1);
  const long c0 = first(x1, kCellW), c1 = std::min<long>(last(x2, kCellW), cols_ - 1);
  if (c0 > c1 || r0 > r1) return;
  Cell blank;
  blank.fg = fore_;
  blank.bg = color;
  // The first row is filled cell by cell, the others are copies of it.
  Cell* const top = &cells_[static_cast<size_t>(r0) * cols_ + c0];
  std::fill(top, top + (c1 - c0 + 1), blank);
  for (long r = r0 + 1; r <= r1; ++r)
    std::memcpy(&cells_[static_cast<size_t>(r) * cols_ + c0], top, static_cast<size_t>(c1 - c0 + 1) * sizeof(Cell));
  for (long r = r0; r <= r1; ++r) MendWide(r, c0, c1 + 1);
}

// Writes count characters from the cell nearest (x, y), the cells of the window only, in
// the pen's attributes; put(i, from, to, cell) sets character i's own fields.
template <typename Put>
void GridWindow::PrintRun(long x, long y, long count, Put put) {
  const long col = std::lround(static_cast<double>(x) / kCellW);
  const long row = std::lround(static_cast<double>(y) / kCellH);
  if (row < 0 || row >= rows_) return;
  // The pen's attributes in locals: a character store could otherwise make the compiler
  // read them again for every cell.
  const uint32_t fg = fore_;
  const bool bold = bold_, underline = underline_;
  const long from = std::max<long>(0, -col);
  const long to = std::min<long>(count, cols_ - col);
  Cell* cells = &cells_[static_cast<size_t>(row) * cols_];
  for (long i = from; i < to; ++i) {
    // The cell is made whole and stored at once, keeping only its background.
    Cell cell;
    cell.bg = cells[col + i].bg;
    put(i, from, to, cell);
    cell.fg = fg;
    cell.bold = bold;
    cell.underline = underline;
    cells[col + i] = cell;
  }
  if (from < to) MendWide(row, col + from, col + to);
}

void GridWindow::PrintAt(long x, long y, const std::string& text) {
  PrintRun(x, y, static_cast<long>(text.size()), [&text](long i, long, long, Cell& cell) {
    cell.ch = Cp1252ToUnicode(static_cast<unsigned char>(text[static_cast<size_t>(i)]));
    cell.mark = 0;
    cell.width = 1;
  });
}

void GridWindow::PrintCellsAt(long x, long y, const std::vector<TextCell>& text) {
  PrintRun(x, y, static_cast<long>(text.size()), [&text](long i, long from, long to, Cell& cell) {
    const TextCell& t = text[static_cast<size_t>(i)];
    // Half a wide character at either edge of the print shows as a blank.
    const bool half = (t.width == 2 && i + 1 >= to) || (t.width == 0 && i == from);
    cell.ch = half ? U' ' : t.ch;
    cell.mark = half ? 0 : t.mark;
    cell.width = half ? 1 : t.width;
  });
}

std::string GridWindow::RowText(int row) const {
  std::string s;
  for (int c = 0; c < cols_; ++c) {
    const Cell& cell = At(c, row);
    if (cell.width == 0) continue;
    const int b = UnicodeToCp1252(cell.ch);
    s += b < 0 ? '?' : static_cast<char>(b);
  }
  return s;
}

std::string GridWindow::RowUtf8(int row) const {
  std::string s;
  for (int c = 0; c < cols_; ++c) {
    const Cell& cell = At(c, row);
    if (cell.width == 0) continue;
    AppendUtf8(s, cell.ch);
    if (cell.mark) AppendUtf8(s, cell.mark);
  }
  return s;
}

}  // namespace tembra::grid
