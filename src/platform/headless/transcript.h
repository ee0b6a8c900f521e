// Writing transcript lines: Windows-1252 bytes become UTF-8, control characters \xHH.
#pragma once

#include <ostream>
#include <string>

#include "platform/grid/grid.h"

namespace tembra::headless {

using grid::Cell;
using grid::FontKind;
using grid::GridWindow;

// The grid as the driver shows it: a changed caption is a transcript line, and the
// screen and its colours are written when the script asks.
class HeadlessWindow : public GridWindow {
 public:
  HeadlessWindow(int cols, int rows, FontKind font, std::ostream& out) : GridWindow(cols, rows, font), out_(out) {}
  void SetCaption(const std::string& text) override;
  void WriteScreen(std::ostream& out) const;
  void WriteAttrs(std::ostream& out) const;
  const bool* utf8 = nullptr;  // the caption's names are UTF-8 (the lister's set of the moment)

 private:
  std::ostream& out_;
};

// Bytes outside printable ASCII as UTF-8 of their Windows-1252 character; control
// characters (0-31, 127) as \xHH.
// With utf8 (names in UTF-8), valid UTF-8 sequences are written as they are.
std::string EscapeText(const std::string& text, bool utf8 = false);
// As EscapeText, for a quoted field: also \" and \\, and line breaks as \n.
// With utf8 (typed text in UTF-8), valid UTF-8 sequences are written as they are.
std::string EscapeQuoted(const std::string& text, bool utf8 = false);

}  // namespace tembra::headless
