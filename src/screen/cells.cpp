// Decoded cells on a window that prints Windows-1252 text only.
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

}  // namespace tembra
