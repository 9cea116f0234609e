// Every effect blit drawn once on every path and depth, each in its own
// 64 x 48 tile of the back buffer, and held against a golden picture.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_effects.h"
#include "media/graphics/dd_pixel_effects.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {

// An 8-bit colour table as a picture set holds it: the palette entry
// nearest to the average of the two colours.
void BuildColourTable() {
  for (int a = 0; a < 256; ++a)
    for (int b = a; b < 256; ++b) {
      int r = (g_Palette[a * 4] + g_Palette[b * 4]) / 2, g = (g_Palette[a * 4 + 1] + g_Palette[b * 4 + 1]) / 2,
          bl = (g_Palette[a * 4 + 2] + g_Palette[b * 4 + 2]) / 2;
      int best = 0, bestD = 1 << 30;
      for (int i = 1; i < 256; ++i) {
        const BYTE* e = g_Palette + i * 4;
        int d = (e[0] - r) * (e[0] - r) + (e[1] - g) * (e[1] - g) + (e[2] - bl) * (e[2] - bl);
        if (d < bestD) bestD = d, best = i;
      }
      g_ColorTable[a * 256 + b] = g_ColorTable[b * 256 + a] = static_cast<BYTE>(best);
    }
}

// The table built for one mode's drawing; the one in use comes back however
// the drawing ends.
struct cTestColourTable {
  std::vector<BYTE> vSaved{g_ColorTable, g_ColorTable + 65536};
  cTestColourTable() { BuildColourTable(); }
  ~cTestColourTable() { std::memcpy(g_ColorTable, vSaved.data(), vSaved.size()); }
};

// 64 x 48: a smooth gradient with a light ring, so that each effect's
// shape shows.
std::vector<uint32_t> GradientPixels() {
  std::vector<uint32_t> px(64 * 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      int dx = x - 32, dy = y - 24, d2 = dx * dx + dy * dy;
      uint32_t c = static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 5) << 8 | 0x60;
      if (d2 >= 100 && d2 <= 160) c = 0xF0F0F0;
      if (x % 16 == 0 || y % 16 == 0) c = 0x202020;
      px[static_cast<size_t>(y) * 64 + x] = c;
    }
  return px;
}

void DrawEffects(cGraphicsFixture& fx, DDSURFACEDATA* backdrop) {
  DDSURFACEDATA* back = &g_BackBufferSD;
  DDSURFACEDATA* sheet = fx.SD(SF_SHEET);
  DDSURFACEDATA* mirror = fx.SD(SF_MIRROR);
  DDSURFACEDATA* work = fx.SD(SF_WORK);
  auto tx = [](int k) { return (k % 5) * 64; };
  auto ty = [](int k) { return (k / 5) * 48; };
  DDFillSurface(back, 16);
  for (int k : {0, 1, 3, 4}) DDBltFast(back, tx(k), ty(k), 64, 48, backdrop, 0, 0, 0);

  DDBltTint(back, tx(1), ty(1), 64, 48, backdrop, 0, 0, 0, g_Palette, g_ColorTable, 200, 1);
  DDBltTint(back, tx(2) + 16, ty(2) + 8, 32, 32, sheet, 0, 0, 1, g_Palette, g_ColorTable, 100, 2);
  DDBltBlend(back, tx(3) + 16, ty(3) + 8, 32, 32, sheet, 32, 0, 1, g_ColorTable, 128);
  DDBlendRectAlpha(back, tx(4), ty(4), 48, 40, backdrop, 16, 8, 0, g_ColorTable);
  DDBltCircle(back, tx(5) + 32, ty(5) + 24, 30, 30, 20, 1, sheet, 12, 16, 1);
  DDBltCircle(back, tx(6) + 32, ty(6) + 24, 16, 20, 20, 4, backdrop, 32, 24, 0);
  DDBltLens(back, tx(7) + 32, ty(7) + 24, 20, 12, backdrop, 32, 24, 0, 0);
  DDBltRotate(back, tx(8) + 32, ty(8) + 24, 32, 32, 16, 16, 30, sheet, 0, 0, 1);
  DDBltRotate(back, tx(9) + 32, ty(9) + 24, 40, 30, 20, 15, 200, backdrop, 0, 0, 0);
  DDBltWave(back, tx(10) + 8, ty(10) + 8, 48, 32, 2, 4.0, 30, 4, backdrop, 0, 0, 0, 1);
  DDBltWave(back, tx(11) + 8, ty(11) + 8, 48, 32, 1, 6.0, 0, 2, sheet, 16, 0, 1, 0);
  DDBltInterlace(back, tx(12) + 8, ty(12) + 8, 48, 32, 4, 3, backdrop, 0, 0, 0, 1);
  DDBltInterlace(back, tx(13) + 8, ty(13) + 8, 48, 32, 2, 5, sheet, 0, 0, 1, 0);
  DDBltStripTransition(back, tx(14), ty(14), 64, 48, backdrop, 0, 0, sheet, 0, 0, 32, 32, 1, 12, 0);
  DDBltQuarters(back, tx(15) + 16, ty(15) + 8, 32, 32, sheet, 0, 0, 4, 1);
  DDBltBlur(back, tx(16), ty(16), 64, 48, 3, 2, backdrop, 0, 0, 0);
  DDBltMosaic(back, tx(17), ty(17), 64, 48, 6, backdrop, 0, 0, 0);
  DDBltFramed(back, tx(18) + 8, ty(18) + 8, 40, 20, sheet, 2, 200);
  DDBltNumber(back, tx(18) + 4, ty(18) + 34, 6, 8, backdrop, 0, 0, 0, 907, 5, 1);
  DDBltTint(back, tx(19) + 16, ty(19) + 8, 32, 32, mirror, 0, 0, 1, g_Palette, g_ColorTable, 30, 1);
  // Work surface effects, then shown through the colour key.
  DDBltFast(work, 0, 0, 64, 48, backdrop, 0, 0, 0);
  DDChangeColorRect(work, 0, 0, 64, 48, 100, 255, 64, 0);
  DDBltFast(back, tx(20), ty(20), 64, 48, work, 0, 0, 1);
  DDFillSurface(work, 0);
  DDBltLens(work, 32, 24, 22, 10, sheet, 12, 16, 1, 1);
  DDBltFast(back, tx(21), ty(21), 64, 48, work, 0, 0, 1);
  DDBltMosaic(back, tx(22) + 16, ty(22) + 8, 32, 32, 5, sheet, 0, 0, 1);
  DDBltBlur(back, tx(23) + 16, ty(23) + 8, 32, 32, 2, 2, sheet, 0, 0, 1);
  DDBltRotate(back, tx(24) + 32, ty(24) + 24, 32, 32, 16, 16, -45, mirror, 0, 0, 1);
}

std::string GoldenPath(const std::string& name) {
  return std::string(T4_SOURCE_DIR) + "/tests/golden/graphics/effects_" + name + ".png";
}

}  // namespace

TEST(EffectsGolden, EveryEffectMatchesItsGoldenOnEveryPathAndDepth) {
  for (const GRAPHICSMODE& mode : AllModes()) {
    SCOPED_TRACE(mode.szName);
    cGraphicsFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    cTestColourTable table;
    fx.Folder().WriteFile("bmp/Grad.bmp", MakeBmpRgb(24, 64, 48, GradientPixels()));
    DDSURFACEDATA grad;
    ASSERT_EQ(DDCreateSurfaceFromFile(&grad, "bmp\\Grad.bmp", 0, mode.nBpp, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0, 0, 0, 0), 0);
    DrawEffects(fx, &grad);
    DDReleaseSurface(&grad);
    ASSERT_NO_FATAL_FAILURE(ExpectGolden(GoldenPath(mode.szName), BackBufferPixels(), 320, 240));
  }
}
