// Fields of the character grid, fonts, colour roles and page frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tembra {

// The colour roles: indices into lColor and zColorName (0 unused), keywords CFT..CFM.
enum ColorRole : int {
  kColorText = 1,           // lettering of the page
  kColorDirText = 2,        // lettering of directory names
  kColorSelectedText = 3,   // lettering of the selected entry
  kColorInfoText = 4,       // lettering of the title and message lines
  kColorBack = 5,           // background of the page
  kColorDirBack = 6,        // background of directory names
  kColorSelectedBack = 7,   // background of the selected entry and of marked lines
  kColorInfoBack = 8,       // background of the title and message lines
  kColorDeletedText = 9,    // lettering of entries marked for deletion and of marked lines
  kColorRoles = 10          // size of the tables
};

// The colours of the roles before configuration, 0x00BBGGRR.
inline constexpr std::array<uint32_t, kColorRoles> kDefaultColors = {
    0, 0x000000, 0xC00000, 0xC00000, 0x000000, 0xB7D5EE, 0xB7D5EE, 0xA6F1FF, 0x9F9F9F, 0x0000FF};

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
  // Colours by role (ColorRole; index 0 unused), 0x00BBGGRR.
  std::array<uint32_t, kColorRoles> lColor{};
  std::array<std::string, kColorRoles> zColorName{};

  // Page frame
  std::string zTopLine;
  std::string zCaptionLeft;
  std::string zCaptionRight;
  int64_t nPageCount = 0;  // pages built so far (a key knows whether it drew one)
};

}  // namespace tembra
