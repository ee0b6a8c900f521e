// Decoded cells on a window that prints Windows-1252 text only.
#include "core/text.h"
#include "core/unicode.h"
#include "platform/platform.h"

namespace tembra {

void Window::PrintCellsAt(long x, long y, const std::vector<TextCell>& cells) {
  std::string text;
  text.reserve(cells.size());
  for (const TextCell& c : cells) {
    const int b = c.width == 0 ? -1 : UnicodeToCp1252(c.ch);
    text += b < 0 ? '?' : static_cast<char>(b);
  }
  PrintAt(x, y, text);
}

std::vector<TextCell> Utf8TextCells(std::string_view text) {
  std::vector<TextCell> cells;
  cells.reserve(text.size());
  const auto* u = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    const DecodedChar d = DecodeUtf8(u + i, text.size() - i);
    TextCell t;
    if (!d.valid || d.cp < 0xA0) {
      t.ch = d.valid && d.cp >= 0x80 ? U'?' : Cp1252ToUnicode(u[i]);
    } else {
      t.ch = d.cp;
      const int w = CellWidth(d.cp);
      if (w == 0) {
        if (!cells.empty()) {
          TextCell& prev = cells.back().width == 0 && cells.size() > 1 ? cells[cells.size() - 2] : cells.back();
          if (!prev.mark) prev.mark = d.cp;
        }
        i += static_cast<size_t>(d.len);
        continue;
      }
      t.width = static_cast<uint8_t>(w);
    }
    cells.push_back(t);
    if (t.width == 2) cells.push_back(TextCell{0, 0, 0});
    i += static_cast<size_t>(d.len);
  }
  return cells;
}

}  // namespace tembra
