// The default colours as a terminal shows them: the cursor row, marked lines and found
// text (all on the "selected" background) stand at least 3:1 apart from the page in
// 24-bit, 256-colour and 8-colour terminals, and their lettering stays legible.
#include <gtest/gtest.h>

#include "platform/terminal/colors.h"
#include "test.h"

namespace tembra::terminal {
namespace {

TEST(TerminalColors, HighlightStandsApartFromThePage) {
  testing::SessionFixture s;
  ASSERT_TRUE(s.Start());
  const uint32_t page = s.L().lColor[5], back = s.L().lColor[7];
  // The table as it stands fails: the reason for the terminal's mapping.
  EXPECT_LT(ContrastRatio(back, page), 3.0);
  for (ColorMode mode : {ColorMode::Direct, ColorMode::Palette256, ColorMode::Basic8}) {
    const int pageIdx = mode == ColorMode::Basic8 ? Nearest8(page) : -1;
    const uint32_t shown = StandOutBack(mode, back, page);
    EXPECT_GE(ContrastRatio(ShownColor(mode, shown, pageIdx), ShownColor(mode, page)), 3.0) << static_cast<int>(mode);
    for (int role : {1, 9}) {  // lettering, found text
      const uint32_t fore = LegibleOn(mode, s.L().lColor[role], shown, pageIdx);
      EXPECT_GE(ContrastRatio(ShownColor(mode, fore), ShownColor(mode, shown, pageIdx)), 4.5) << role;
    }
  }
  // A background already 3:1 apart is kept as it is: black on white, 21:1.
  EXPECT_EQ(StandOutBack(ColorMode::Direct, 0x000000, 0xFFFFFF), 0x000000u);
  EXPECT_DOUBLE_EQ(ContrastRatio(0x000000, 0xFFFFFF), 21.0);
}

}  // namespace
}  // namespace tembra::terminal
