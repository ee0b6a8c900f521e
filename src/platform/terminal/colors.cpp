#include "platform/terminal/colors.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

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

double Luminance(uint32_t bgr) {
  auto linear = [](int v) {
    double c = v / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(R(bgr)) + 0.7152 * linear(G(bgr)) + 0.0722 * linear(B(bgr));
}

double ContrastRatio(uint32_t a, uint32_t b) {
  double la = Luminance(a), lb = Luminance(b);
  if (la < lb) std::swap(la, lb);
  return (la + 0.05) / (lb + 0.05);
}

namespace {
uint32_t Bgr(int r, int g, int b) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}
}  // namespace

uint32_t ShownColor(ColorMode mode, uint32_t bgr, int avoid8) {
  switch (mode) {
    case ColorMode::Palette256: {
      int i = Nearest256(bgr);
      if (i >= 232) return Bgr(8 + 10 * (i - 232), 8 + 10 * (i - 232), 8 + 10 * (i - 232));
      i -= 16;
      return Bgr(kCube[i / 36], kCube[(i / 6) % 6], kCube[i % 6]);
    }
    case ColorMode::Basic8: {
      const int* c = kBasic[Nearest8(bgr, avoid8)];
      return Bgr(c[0], c[1], c[2]);
    }
    default:
      return bgr;
  }
}

uint32_t StandOutBack(ColorMode mode, uint32_t back, uint32_t page) {
  const int pageIdx = mode == ColorMode::Basic8 ? Nearest8(page) : -1;
  const uint32_t shownPage = ShownColor(mode, page);
  const int toward = Luminance(shownPage) > 0.18 ? 0 : 255;
  for (int step = 0; step <= 20; ++step) {
    auto mix = [&](int v) { return static_cast<int>(std::lround(v + (toward - v) * step / 20.0)); };
    uint32_t c = Bgr(mix(R(back)), mix(G(back)), mix(B(back)));
    if (ContrastRatio(ShownColor(mode, c, pageIdx), shownPage) >= 3.0) return c;
  }
  return toward ? Bgr(255, 255, 255) : 0;
}

uint32_t LegibleOn(ColorMode mode, uint32_t fore, uint32_t back, int avoid8) {
  const uint32_t shownBack = ShownColor(mode, back, avoid8);
  if (ContrastRatio(ShownColor(mode, fore), shownBack) >= 4.5) return fore;
  return ContrastRatio(0, shownBack) >= ContrastRatio(Bgr(255, 255, 255), shownBack) ? 0 : Bgr(255, 255, 255);
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
