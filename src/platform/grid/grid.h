// An off-screen character grid standing in for the window: text lands in cells of
// 120 x 200 twips ("Courier New", 10 points), filled rectangles colour cell backgrounds.
// The window of the terminal front-end and of the test driver; each shows the cells its
// own way.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tembra::grid {

enum class FontKind { Fixed, Proportional, BoldWider };

// Windows-1252 characters drawn without width (controls and the unassigned codes).
bool ZeroWidth(unsigned char c);
// Characters drawn without a glyph: control codes, and the codes 0x80-0x9F (the five that
// Windows-1252 leaves undefined map to themselves; in UTF-8 text every C1 control code).
bool NoGlyph(char32_t c);

// A cell holds a character: Windows-1252 text is mapped to its characters when printed,
// decoded UTF-8 text arrives as cells (a wide character's second cell has width 0).
// 16 bytes, so that printing stores a cell at once: the background shares its word with
// the width and the pen's styles (colours are 0x00BBGGRR, 24 bits).
struct Cell {
  char32_t ch = U' ';
  char32_t mark = 0;  // a combining mark drawn with the character, 0: none
  uint32_t fg = 0;
  uint32_t bg : 24 = 0xFFFFFF;
  uint32_t width : 2 = 1;
  uint32_t bold : 1 = 0;
  uint32_t underline : 1 = 0;
};

class GridWindow : public Window {
 public:
  static constexpr long kCellW = 120, kCellH = 200, kFrameW = 240, kFrameH = 600;

  GridWindow(int cols, int rows, FontKind font);
  // The twips of the centre of a 1-based cell (where a mouse event on it points).
  static double CentreX(int col) { return (col - 1) * kCellW + kCellW / 2; }
  static double CentreY(int row) { return (row - 1) * kCellH + kCellH / 2; }
  // The cell index nearest to a position in twips, halves away from zero (std::lround of
  // the quotient, without floating point); size is even.
  static long NearestCell(long twips, long size);

  long ScreenWidth() const override { return screenW_; }
  long ScreenHeight() const override { return screenH_; }
  double TwipsPerPixelX() const override { return 15; }
  double TwipsPerPixelY() const override { return 15; }
  long OuterWidth() const override { return clientW_ + kFrameW; }
  long OuterHeight() const override { return clientH_ + kFrameH; }
  long ClientWidth() const override { return clientW_; }
  long ClientHeight() const override { return clientH_; }
  void SetOuterWidth(long w) override;
  void SetOuterHeight(long h) override;
  void SetLeft(long) override {}
  void SetTop(long) override {}
  void SetCaption(const std::string& text) override;
  void SetBackColor(uint32_t color) override { back_ = color; }
  void BringToFront() override {}
  void SetFontName(const std::string& face) override { fontName_ = face; }
  void SetFontSize(double) override {}
  double FontSize() const override { return 10; }
  void SetBold(bool on) override { bold_ = on; }
  void SetUnderline(bool on) override { underline_ = on; }
  void SetItalic(bool) override {}
  double TextWidth(const std::string& text) override;
  void FillRect(long x1, long y1, long x2, long y2, uint32_t color) override;
  void SetForeColor(uint32_t color) override { fore_ = color; }
  void PrintAt(long x, long y, const std::string& text) override;
  void PrintCellsAt(long x, long y, const std::vector<TextCell>& cells) override;

  // The user resizes the client area to cols x rows cells.
  void ResizeClient(int cols, int rows);
  // Called after the size changed through the program's own requests.
  std::function<void()> onResize;

  int Cols() const { return cols_; }
  int Rows() const { return rows_; }
  const Cell& At(int col, int row) const {
    if (pendingRows_ != 0) SettleAll();
    return cells_[static_cast<size_t>(row) * cols_ + col];
  }
  // One row as Windows-1252 bytes ("?" for a character that set lacks; the second cell
  // of a wide character is left out).
  std::string RowText(int row) const;
  std::string RowUtf8(int row) const;  // one row as UTF-8, control codes as they are
  const std::string& Caption() const { return caption_; }

 private:
  void Relayout(long clientW, long clientH, bool notify);
  void MendWide(long row, long from, long to);
  // Writes the whole-row fill that a row still owes into its cells.
  void Settle(long row) const;
  void SettleAll() const;
  struct Glyph {
    char32_t ch, mark;
    uint8_t width;
  };
  template <typename Put>
  void PrintRun(long x, long y, long count, Put put);

  FontKind font_;
  int cols_ = 0, rows_ = 0;
  long clientW_ = 0, clientH_ = 0;
  long screenW_ = 0, screenH_ = 0;
  mutable std::vector<Cell> cells_;
  // A fill of whole rows is only noted (pendingFill_[row], owed while pending_[row]);
  // a print over the whole row takes its background from it, anything else writes it
  // first. A page is a fill of the window and a print of every line: the cells are
  // written once, not twice.
  mutable std::vector<Cell> pendingFill_;
  mutable std::vector<uint8_t> pending_;
  mutable long pendingRows_ = 0;
  std::string caption_;
  std::string fontName_ = "Courier New";
  uint32_t fore_ = 0, back_ = 0xFFFFFF;
  bool bold_ = false, underline_ = false;
};

}  // namespace tembra::grid
