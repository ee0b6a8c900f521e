#include "platform/grid/grid.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

namespace {
// n copies of a cell, made by doubling the copied part (a few block copies, not a store
// per field of every cell).
void FillCells(Cell* first, size_t n, const Cell& cell) {
  if (n == 0) return;
  first[0] = cell;
  for (size_t done = 1; done < n; done *= 2)
    std::memcpy(static_cast<void*>(first + done), first, std::min(done, n - done) * sizeof(Cell));
}
}  // namespace

void GridWindow::Settle(long row) const {
  if (!pending_[static_cast<size_t>(row)]) return;
  pending_[static_cast<size_t>(row)] = 0;
  --pendingRows_;
  FillCells(&cells_[static_cast<size_t>(row) * cols_], static_cast<size_t>(cols_), pendingFill_[static_cast<size_t>(row)]);
}

void GridWindow::SettleAll() const {
  for (long r = 0; r < rows_ && pendingRows_ != 0; ++r) Settle(r);
}

void GridWindow::Relayout(long clientW, long clientH, bool notify) {
  SettleAll();
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
    pending_.assign(static_cast<size_t>(rows), 0);
    pendingFill_.resize(static_cast<size_t>(rows));
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
  if (c0 == 0 && c1 == cols_ - 1) {
    // Whole rows: noted, written when something needs the cells.
    for (long r = r0; r <= r1; ++r) {
      if (!pending_[static_cast<size_t>(r)]) ++pendingRows_;
      pending_[static_cast<size_t>(r)] = 1;
      pendingFill_[static_cast<size_t>(r)] = blank;
    }
    return;
  }
  // The first row is filled, the others are copies of it.
  for (long r = r0; r <= r1; ++r) Settle(r);
  Cell* const top = &cells_[static_cast<size_t>(r0) * cols_ + c0];
  const size_t width = static_cast<size_t>(c1 - c0 + 1);
  FillCells(top, width, blank);
  for (long r = r0 + 1; r <= r1; ++r)
    std::memcpy(static_cast<void*>(&cells_[static_cast<size_t>(r) * cols_ + c0]), top, width * sizeof(Cell));
  for (long r = r0; r <= r1; ++r) MendWide(r, c0, c1 + 1);
}

long GridWindow::NearestCell(long v, long size) {
  const unsigned long m = v < 0 ? 0UL - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
  const unsigned long u = static_cast<unsigned long>(size);
  const long q = static_cast<long>(m / u + (m % u >= u / 2 ? 1 : 0));
  return v < 0 ? -q : q;
}

// Writes count characters from the cell nearest (x, y), the cells of the window only, in
// the pen's attributes; put(i, from, to) gives character i's own fields. The background
// is kept.
template <typename Put>
void GridWindow::PrintRun(long x, long y, long count, Put put) {
  const long col = NearestCell(x, kCellW);
  const long row = NearestCell(y, kCellH);
  if (row < 0 || row >= rows_) return;
  // A cell is built in two registers and stored at once: the character and its mark,
  // then the pen's colour and styles with the width, and the background of the cell (or
  // of the fill the row still owes). The words come from cells, whatever the layout.
  auto highWord = [](const Cell& c) {
    uint64_t w;
    std::memcpy(&w, reinterpret_cast<const char*>(&c) + 8, 8);
    return w;
  };
  static_assert(std::endian::native == std::endian::little);  // the character is the low half
  static_assert(sizeof(Cell) == 16 && offsetof(Cell, mark) == 4 && offsetof(Cell, fg) == 8);
  Cell pen;
  pen.fg = fore_;
  pen.bold = bold_;
  pen.underline = underline_;
  pen.bg = 0;
  uint64_t penHigh[4];  // by width (a width of 3 cannot come: it draws as 1)
  for (uint32_t w = 0; w < 4; ++w) {
    pen.width = w == 3 ? 1 : w;
    penHigh[w] = highWord(pen);
  }
  Cell bgOnly;
  std::memset(static_cast<void*>(&bgOnly), 0, sizeof bgOnly);
  bgOnly.bg = 0xFFFFFF;
  const uint64_t bgMask = highWord(bgOnly);
  const long from = std::max<long>(0, -col);
  const long to = std::min<long>(count, cols_ - col);
  Cell* const rowCells = &cells_[static_cast<size_t>(row) * cols_];  // character i's cell: col + i
  auto store = [&](long i, uint64_t bgBits) {
    const Glyph g = put(i, from, to);
    const uint64_t low = g.ch | uint64_t{g.mark} << 32, high = penHigh[g.width & 3] | bgBits;
#ifdef __SSE2__
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rowCells + (col + i)),
                     _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low)));
#else
    const uint64_t cell[2] = {low, high};
    std::memcpy(static_cast<void*>(rowCells + (col + i)), cell, sizeof cell);
#endif
  };
  if (pending_[static_cast<size_t>(row)]) {
    if (col + from == 0 && col + to == cols_) {
      // The print covers the row that still owes a fill: its cells are written once,
      // with the fill's background.
      const uint64_t bgBits = highWord(pendingFill_[static_cast<size_t>(row)]) & bgMask;
#pragma GCC unroll 4
      for (long i = from; i < to; ++i) store(i, bgBits);
      pending_[static_cast<size_t>(row)] = 0;
      --pendingRows_;
      return;
    }
    Settle(row);
  }
  for (long i = from; i < to; ++i) store(i, highWord(rowCells[col + i]) & bgMask);
  if (from < to) MendWide(row, col + from, col + to);
}

namespace {
// Every Windows-1252 byte's character, a load rather than a branch per printed cell.
constexpr std::array<char32_t, 256> kCp1252Chars = [] {
  std::array<char32_t, 256> t{};
  for (int c = 0; c < 256; ++c) t[static_cast<size_t>(c)] = Cp1252ToUnicode(static_cast<unsigned char>(c));
  return t;
}();
}  // namespace

void GridWindow::PrintAt(long x, long y, const std::string& text) {
  // The bytes by pointer: through the string the compiler reads its buffer's address
  // again after every cell stored.
  const unsigned char* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  PrintRun(x, y, static_cast<long>(text.size()), [bytes](long i, long, long) {
    return Glyph{kCp1252Chars[bytes[i]], 0, 1};
  });
}

void GridWindow::PrintCellsAt(long x, long y, const std::vector<TextCell>& text) {
  const TextCell* const cells = text.data();  // by pointer, as in PrintAt
  const long count = static_cast<long>(text.size());
  // Half a wide character at either edge of the print shows as a blank. The edges (of the
  // part inside the window) are looked at once: a print whose edges are whole, as every
  // line of a page is, takes its cells as they are.
  const long col = NearestCell(x, kCellW);
  const long from = std::max<long>(0, -col), to = std::min<long>(count, cols_ - col);
  if (from >= to || (cells[from].width != 0 && cells[to - 1].width != 2)) {
    PrintRun(x, y, count, [cells](long i, long, long) { return Glyph{cells[i].ch, cells[i].mark, cells[i].width}; });
    return;
  }
  PrintRun(x, y, count, [cells](long i, long first, long end) {
    const TextCell t = cells[i];
    if ((i == first && t.width == 0) || (i + 1 == end && t.width == 2)) [[unlikely]]
      return Glyph{U' ', 0, 1};
    return Glyph{t.ch, t.mark, t.width};
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
