// Colours of the program (0x00BBGGRR) as terminal colours: 24-bit where the terminal
// takes them, else the nearest of the 256-colour palette, else of the 8 basic colours.
#pragma once

#include <cstdint>
#include <string>

namespace tembra::terminal {

enum class ColorMode { Direct, Palette256, Basic8, None };

// The mode for a terminal: COLORTERM "truecolor"/"24bit" or an RGB-capable terminfo
// give Direct; else the terminfo's colour count decides.
ColorMode ChooseColorMode(const char* colorterm, bool terminfoRgb, int terminfoColors);

// Nearest xterm 256-colour index (16..255: the 6x6x6 cube and the grey ramp).
int Nearest256(uint32_t bgr);
// Nearest of the 8 basic colours; `avoid` (0..7, or -1) is not chosen when another is
// reasonably close, so that two different colours stay apart.
int Nearest8(uint32_t bgr, int avoid = -1);

// Relative luminance (sRGB, 0 black .. 1 white) and the contrast ratio of two colours
// (1 to 21), as the web's accessibility guidelines define them.
double Luminance(uint32_t bgr);
double ContrastRatio(uint32_t a, uint32_t b);
// The colour a terminal in this mode shows for bgr (with 8 colours the basic colour
// chosen while avoiding `avoid8`).
uint32_t ShownColor(ColorMode mode, uint32_t bgr, int avoid8 = -1);
// The background of the cursor row, marked lines and found text beside the page's: the
// colour itself when the terminal shows the two 3:1 apart, else that colour moved towards
// black (on a light page) or white until they are.
uint32_t StandOutBack(ColorMode mode, uint32_t back, uint32_t page);
// Lettering on such a background: itself when it stands 4.5:1 against it, else black or
// white, whichever stands out more.
uint32_t LegibleOn(ColorMode mode, uint32_t fore, uint32_t back, int avoid8 = -1);

// The SGR parameters that select a colour as foreground or background ("38;2;r;g;b", "48;5;n", "37").
std::string SgrColor(ColorMode mode, uint32_t bgr, bool background, int avoid8 = -1);

}  // namespace tembra::terminal
