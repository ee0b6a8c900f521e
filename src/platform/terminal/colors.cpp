#include "platform/terminal/colors.h"

#include <cstring>
#include <limits>

namespace tembra::terminal {

namespace {
int R(uint32_t c) { return c & 0xFF; }
int G(uint32_t c) { return (c >> 8) & 0xFF; }
int B(uint32_t c) { return (c >> 16) & 0xFF; }

long Dist(int r1, int g1, int b1, int r2, int g2, int b2) {
  long dr = r1 - r2, dg = g1 - g2, db = b1 - b2;
  // Weighted by the eye's sensitivity, which keeps greys grey.
  return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

constexpr int kCube[6] = {0, 95, 135, 175, 215, 255};
constexpr int kBasic[8][3] = {{0, 0, 0},     {205, 0, 0},   {0, 205, 0},   {205, 205, 0},
                              {0, 0, 238},   {205, 0, 205}, {0, 205, 205}, {229, 229, 229}};
}  // namespace

ColorMode ChooseColorMode(const char* colorterm, bool terminfoRgb, int terminfoColors) {
  if (colorterm && (std::strcmp(colorterm, "truecolor") == 0 || std::strcmp(colorterm, "24bit") == 0))
    return ColorMode::Direct;
  if (terminfoRgb || terminfoColors >= 0x1000000) return ColorMode::Direct;
  if (terminfoColors >= 256) return ColorMode::Palette256;
  if (terminfoColors >= 8) return ColorMode::Basic8;
  return ColorMode::None;
}

int Nearest256(uint32_t bgr) {
  int r = R(bgr), g = G(bgr), b = B(bgr);
  int best = 16;
  long bestD = std::numeric_limits<long>::max();
  for (int i = 0; i < 216; ++i) {
    int cr = kCube[i / 36], cg = kCube[(i / 6) % 6], cb = kCube[i % 6];
    long d = Dist(r, g, b, cr, cg, cb);
    if (d < bestD) bestD = d, best = 16 + i;
  }
  for (int i = 0; i < 24; ++i) {
    int v = 8 + 10 * i;
    long d = Dist(r, g, b, v, v, v);
    if (d < bestD) bestD = d, best = 232 + i;
  }
  return best;
}

int Nearest8(uint32_t bgr, int avoid) {
  int r = R(bgr), g = G(bgr), b = B(bgr);
  int best = 0, second = -1;
  long bestD = std::numeric_limits<long>::max(), secondD = bestD;
  for (int i = 0; i < 8; ++i) {
    long d = Dist(r, g, b, kBasic[i][0], kBasic[i][1], kBasic[i][2]);
    if (d < bestD) {
      second = best, secondD = bestD;
      best = i, bestD = d;
    } else if (d < secondD) {
      second = i, secondD = d;
    }
  }
  if (best == avoid && second >= 0) return second;
  return best;
}

std::string SgrColor(ColorMode mode, uint32_t bgr, bool background, int avoid8) {
  switch (mode) {
    case ColorMode::Direct:
      return std::string(background ? "48;2;" : "38;2;") + std::to_string(R(bgr)) + ";" + std::to_string(G(bgr)) +
             ";" + std::to_string(B(bgr));
    case ColorMode::Palette256:
      return std::string(background ? "48;5;" : "38;5;") + std::to_string(Nearest256(bgr));
    case ColorMode::Basic8:
      return std::to_string((background ? 40 : 30) + Nearest8(bgr, avoid8));
    case ColorMode::None:
      break;
  }
  return std::string();
}

}  // namespace tembra::terminal
