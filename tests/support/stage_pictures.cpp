#include "tests/support/stage_pictures.h"

#include <cstddef>

namespace {

struct cCanvas {
  int w, h;
  std::vector<uint32_t> px;
  cCanvas(int nW, int nH, uint32_t c) : w(nW), h(nH), px(static_cast<std::size_t>(nW) * nH, c) {}
  void Fill(int x0, int y0, int fw, int fh, uint32_t c) {
    for (int y = y0; y < y0 + fh && y < h; ++y)
      for (int x = x0; x < x0 + fw && x < w; ++x)
        if (x >= 0 && y >= 0) px[static_cast<std::size_t>(y) * w + x] = c;
  }
  void Frame(int x0, int y0, int fw, int fh, uint32_t c) {
    Fill(x0, y0, fw, 1, c);
    Fill(x0, y0 + fh - 1, fw, 1, c);
    Fill(x0, y0, 1, fh, c);
    Fill(x0 + fw - 1, y0, 1, fh, c);
  }
};

}  // namespace

std::vector<uint32_t> StageSkyPixels() {
  cCanvas c(200, 160, 0);
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 200; ++x) {
      const uint32_t b = 120 + y / 2, g = 40 + y / 3;
      const bool bCheck = ((x / 20) + (y / 20)) % 2 == 0;
      c.px[static_cast<std::size_t>(y) * 200 + x] = (bCheck ? 0x100000u : 0x300000u) | g << 8 | b;
    }
  c.Fill(0, 0, 4, 160, 0xFFFFFF);  // the seam of each tile
  return c.px;
}

std::vector<uint32_t> StageHillsPixels() {
  cCanvas c(160, 480, kStageKey);
  for (int x = 0; x < 160; ++x) {
    const int d = x < 80 ? x : 159 - x;
    const int top = 470 - d;
    c.Fill(x, top, 1, 480 - top, 0x206030 + static_cast<uint32_t>(d) * 0x000200);
  }
  return c.px;
}

std::vector<uint32_t> StageBlockSheetPixels() {
  cCanvas c(64, 480, kStageKey);
  for (int n = 0; n < 30; ++n) {
    const int x = n / 15 * 32, y = n % 15 * 32;
    c.Fill(x + 1, y + 1, 30, 30, 0x806040 + static_cast<uint32_t>(n) * 0x030503);
    c.Frame(x, y, 32, 32, 0x402010);
    c.Fill(x + 4, y + 4, 6, 6, 0xE0C090);
  }
  return c.px;
}

std::vector<uint32_t> StageAccessoryPixels() {
  cCanvas c(128, 176, kStageKey);
  const uint32_t icons[5] = {0xF0D020, 0x20C0F0, 0xF04040, 0x4060F0, 0x40F060};
  for (int i = 0; i < 5; ++i) {
    c.Fill(16 * i + 2, 34, 12, 12, icons[i]);
    c.Frame(16 * i + 1, 33, 14, 14, 0x000000);
  }
  c.Fill(50, 2, 12, 12, 0xFFFFFF);  // the message icon
  c.Frame(49, 1, 14, 14, 0x404040);
  for (int k = 0; k < 6; ++k) c.Fill(66 + k, 3 + k, 2, 10 - 2 * k, 0xFFE040);  // the menu cursor, pointing right
  for (int g = 0; g < 2; ++g) {
    c.Frame(64 * g, 128, 50, 16, 0xE0E0E0);
    c.Fill(64 * g + 1, 145, 48, 14, g == 0 ? 0x30D030 : 0x3080F0);
    c.Fill(64 * g + 1, 161, 48, 14, 0xF03030);
  }
  return c.px;
}

std::vector<uint32_t> StageWordPixels() {
  cCanvas c(320, 192, kStageKey);
  // Segments a-g of each digit.
  static const char* const s_aSeg[10] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg",
                                         "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"};
  for (int d = 0; d < 10; ++d) {
    const int x = 32 * d + 6, y = 162;
    for (const char* s = s_aSeg[d]; *s; ++s) {
      switch (*s) {
        case 'a': c.Fill(x, y, 20, 4, 0xFFE060); break;
        case 'b': c.Fill(x + 16, y, 4, 14, 0xFFE060); break;
        case 'c': c.Fill(x + 16, y + 14, 4, 14, 0xFFE060); break;
        case 'd': c.Fill(x, y + 24, 20, 4, 0xFFE060); break;
        case 'e': c.Fill(x, y + 14, 4, 14, 0xFFE060); break;
        case 'f': c.Fill(x, y, 4, 14, 0xFFE060); break;
        case 'g': c.Fill(x, y + 12, 20, 4, 0xFFE060); break;
      }
    }
  }
  // The game-over banner, 144 x 32 at (0, 96): a framed red bar of blocks
  // whose last 16 columns are white, so that a banner cut short shows.
  c.Fill(0, 96, 144, 32, 0x800000);
  c.Frame(0, 96, 144, 32, 0xFFE060);
  for (int k = 0; k < 7; ++k) c.Fill(6 + 17 * k, 104, 12, 16, 0xF04040);
  c.Fill(128, 100, 14, 24, 0xFFFFFF);
  return c.px;
}

std::vector<uint32_t> StageStatusWindowPixels() {
  cCanvas c(640, 20, 0x202040);
  c.Fill(0, 18, 640, 2, 0x8080C0);
  return c.px;
}

std::vector<uint32_t> StageCharaSheetPixels() {
  cCanvas c(640, 480, kStageKey);
  // A body in the picture's colour, its nose on the left, and in each
  // pattern's column a badge of that pattern's colour.
  static const uint32_t s_aBody[15] = {0,        0x3060E0, 0xD03030, 0x30A040, 0xE08020, 0x8040C0, 0x20A0A0, 0x906030,
                                       0x808080, 0x40C0E0, 0xC0C040, 0x6060A0, 0xA06060, 0x60A060, 0xA0A0A0};
  static const uint32_t s_aBadge[4] = {0xFFFFFF, 0xFFE000, 0x00E0FF, 0x000000};
  for (int row = 1; row < 15; ++row)
    for (int col = 0; col < 20; ++col) {
      const int x = col * 32, y = row * 32;
      c.Fill(x + 6, y + 4, 20, 28, s_aBody[row]);
      c.Frame(x + 6, y + 4, 20, 28, 0x101010);
      c.Fill(x + 0, y + 10, 6, 6, 0xFFFF00);
      c.Fill(x + 10, y + 16, 12, 10, s_aBadge[col % 4]);
    }
  return c.px;
}
