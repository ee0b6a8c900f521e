// Font checks, metrics, the initial window size, relayout and the colour roles.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "dirlist/entry_list.h"

namespace tembra {

namespace {
int32_t N(double x) { return static_cast<int32_t>(RoundHalfEven(x)); }
}  // namespace

void Lister::DefaultColors() {
  lColor = kDefaultColors;
  zColorName[kColorText] = "Lettering of screen";
  zColorName[kColorDirText] = "Lettering of directory names";
  zColorName[kColorSelectedText] = "Lettering of selected file";
  zColorName[kColorInfoText] = "Lettering of informational messages";
  zColorName[kColorBack] = QQ("ELA)UTk#{ftkJt`AT]]{");
  zColorName[kColorDirBack] = "Background of directory names";
  zColorName[kColorSelectedBack] = "Background of selected file";
  zColorName[kColorInfoBack] = "Background of informational messages";
  zColorName[kColorDeletedText] = "Foregrond of files marked for deletion";
}

bool Lister::bAllFont() {
  Window& w = P.window;
  nTwipsPerPixelX = N(w.TwipsPerPixelX());
  nTwipsPerPixelY = N(w.TwipsPerPixelY());
  nMinusPixelY = -nTwipsPerPixelY;
  w.SetFontName(zFontName);
  nFontSize = w.FontSize();
  VXFONTWIDTH();
  nLineHeight = N(nFontSize * 20);
  nWidthError = N(2 * w.TextWidth("A") - w.TextWidth("II"));
  nCharWidth = N(w.TextWidth("1234567890")) / 10 - nWidthError;
  w.SetBold(true);
  if (nCharWidth != N(w.TextWidth("1234")) / 4) {
    bFoundBold = false;
    bFoundLineBold = false;
  }
  w.SetBold(false);
  if (nWidthError != 0) vxCatastrophe(MsgText(Msg::VX9028));
  return false;
}

void Lister::VXFONTWIDTH() {
  Window& w = P.window;
  int32_t wi = N(w.TextWidth("i"));
  if (wi != N(w.TextWidth("M"))) vxCatastrophe(MsgText(Msg::VX9021));
  for (int k = 0; k < 256; ++k) {
    int32_t d = N(w.TextWidth(std::string(1, static_cast<char>(k))));
    nCharWidths[k] = d == wi ? d : 0;
  }
}

void Lister::InitialWindowSize() {
  Window& w = P.window;
  if (nWidthShare > 24) nWidthShare = 24;
  if (nHeightShare > 24) nHeightShare = 24;
  int32_t W0 = 80 * nCharWidth;
  // The products are truncated toward zero after the rounding, as the division does.
  int32_t W = W0 + static_cast<int32_t>(static_cast<int64_t>(RoundHalfEven(static_cast<double>(w.ScreenWidth() - W0) * 24 * nWidthShare)) / 600);
  if (nWidthShare > 15) w.SetLeft(nTwipsPerPixelX);
  w.SetOuterWidth(W);
  nFrameWidth = N(W - w.ClientWidth());
  nWindowWidth = W + nFrameWidth;
  int32_t H0 = 25 * nLineHeight;
  int32_t H = H0 + static_cast<int32_t>(static_cast<int64_t>(RoundHalfEven(static_cast<double>(w.ScreenHeight() - H0) * 24 * nHeightShare)) / 600);
  w.SetOuterHeight(H);
  if (nHeightShare > 15) w.SetTop(nTwipsPerPixelY);
  nFrameHeight = N(H - w.ClientHeight());
  nWindowHeight = H + nFrameHeight;
  w.SetOuterWidth(nWindowWidth);
  w.SetOuterHeight(nWindowHeight);
  nClientWidth = W;
  nClientHeight = H;
  w.SetFontName(zFontName);
  w.SetBold(false);
  SetForeColor(lColor[kColorText]);
  w.SetBackColor(lColor[kColorBack]);
  nRedrawCount = 1;
  nRows = H / nLineHeight;
  nPageLines = nRows - 2;
  nColumns = W / nCharWidth;
}

void Lister::REDRAW() {
  Window& w = P.window;
  if (nRedrawCount > 0) {
    nWindowHeight = w.OuterHeight();
    nClientHeight = nWindowHeight - nFrameHeight;
    nWindowWidth = w.OuterWidth();
    nClientWidth = nWindowWidth - nFrameWidth;
    w.SetBackColor(lColor[kColorBack]);
    nRows = nClientHeight / nLineHeight;
    nPageLines = nRows - 2;
    nPerPage = Entries().nDirColumns * nPageLines;
    nColumns = nClientWidth / nCharWidth;
    int32_t m = Entries().bShortFormat ? 12 : Entries().nNameWidth;
    if (nColumns <= m) {
      nColumns = m + 1;
      nClientWidth = nColumns * nCharWidth;
      nWindowWidth = nClientWidth + nFrameWidth;
      w.SetOuterWidth(nWindowWidth);
    }
    // A page needs at least one content line: below three rows nothing is laid out.
    if (nPageLines >= 1) {
      Entries().iTopSZDir = Entries().iFindUl(Entries().iCursor);
      ShowPage();
    }
  }
  nRedrawCount = nRedrawCount + 1;
}

void Lister::Form_Paint() {
  AsEvent([&] { REDRAW(); });
}
void Lister::Form_Resize() {
  AsEvent([&] { REDRAW(); });
}

}  // namespace tembra
