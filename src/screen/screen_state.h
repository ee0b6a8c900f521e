// Fields of the character grid, fonts, colour roles and page frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tembra {

struct ScreenState {
  std::string zFontName = "Courier New";
  double nFontSize = 10;
  int32_t nLineHeight = 200;
  int32_t nCharWidth = 120;
  int32_t nWidthError = 0;
  std::array<int32_t, 256> nCharWidths{};
  int32_t nTwipsPerPixelX = 15, nTwipsPerPixelY = 15;
  int32_t nMinusPixelY = -15;
  int32_t nClientWidth = 0, nClientHeight = 0;
  int32_t nFrameWidth = 0, nFrameHeight = 0;
  int32_t nWindowWidth = 0, nWindowHeight = 0;
  int32_t nRows = 0, nPageLines = 0, nColumns = 0;
  int32_t nPerPage = 0;
  int32_t nWidthShare = 10, nHeightShare = 10;
  int32_t nRedrawCount = -10;
  // Colour roles 1..9 (index 0 unused), 0x00BBGGRR.
  std::array<uint32_t, 10> lColor{};
  std::array<std::string, 10> zColorName{};

  // Page frame
  std::string zTopLine;
  std::string zCaptionLeft;
  std::string zCaptionRight;
  int64_t nPageCount = 0;  // pages built so far (a key knows whether it drew one)
};

}  // namespace tembra
