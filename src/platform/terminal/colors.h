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

// The SGR parameters that select a colour as foreground or background ("38;2;r;g;b", "48;5;n", "37").
std::string SgrColor(ColorMode mode, uint32_t bgr, bool background, int avoid8 = -1);

}  // namespace tembra::terminal
