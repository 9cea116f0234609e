// The per-pixel effects on both paths and every depth: the numbers of the
// tint, blend, circle, lens and rotation, their edge cases, the surface
// palette and fade of the 16- and 32-bit modes, and the 8-bit colour table.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_effects.h"
#include "media/graphics/dd_pixel_effects.h"
#include "tests/graphics/effects_fixture.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {

// Every pixel tells its own place: red = x * 4, green = y * 4.
uint32_t At(int x, int y) { return static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 4) << 8 | 0x40; }
void FillCoordinates(cTestSurface& s) {
  for (int y = 0; y < s.SD()->nHeight; ++y)
    for (int x = 0; x < s.SD()->nWidth; ++x) s.Put(x, y, At(x, y));
}

// The colour table of a game is a picture set; this one mixes a and b into
// (a + b) / 2 + 1, so that each use shows.
struct cSavedColourTable {
  std::vector<BYTE> v{g_ColorTable, g_ColorTable + 65536};
  cSavedColourTable() {
    for (int a = 0; a < 256; ++a)
      for (int b = 0; b < 256; ++b) g_ColorTable[a * 256 + b] = static_cast<BYTE>((a + b) / 2 + 1);
  }
  ~cSavedColourTable() { std::memcpy(g_ColorTable, v.data(), v.size()); }
};

}  // namespace

TEST(PixelEffects, TintMixesTowardThePaletteColour) {
  BYTE pal[256 * 4] = {};
  pal[200 * 4 + 0] = 255;  // red
  struct {
    const char* szMode;
    int nDTMemType;
    int nCount;
    uint32_t want;
  } cases[] = {
      {"dd32", 0, 1, 0x7F007F},
      {"dd32", 0, 2, 0xBF003F},
      {"dd32", 0, INT_MAX, 0xFE0000},  // halving stays one short of the colour
      {"dd32", 0, -1, 0x0000FF},       // copied unmixed
      {"d3d32", DTMEMORYTYPE_SYSTEM, 1, 0x7F007F},
      {"d3d32", DTMEMORYTYPE_SYSTEM, 5, 0xFF0000},  // no strength above 4: the colour
      {"d3d32", DTMEMORYTYPE_SYSTEM, -1, 0x00FF00},  // nothing on this path
      // The device's quad: texture x a / 255 + colour x (1 - a / 255).
      {"d3d32", DTMEMORYTYPE_VIDEO_RT, 1, 0x7F0080},
      {"d3d32", DTMEMORYTYPE_VIDEO_RT, 4, 0xEF0010},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.szMode) + " count " + std::to_string(c.nCount) + " type " +
                 std::to_string(c.nDTMemType));
    cGraphicsFixture fx(ModeNamed(c.szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface src(4, 4), dst(8, 8, c.nDTMemType);
    src.Fill(0x0000FF);
    dst.Fill(0x00FF00);
    DDBltTint(dst.SD(), 2, 2, 4, 4, src.SD(), 0, 0, 0, pal, g_ColorTable, 200, c.nCount);
    EXPECT_EQ(dst.Get(2, 2), c.want);
    EXPECT_EQ(dst.Get(5, 5), c.want);
    EXPECT_EQ(dst.Get(1, 1), 0x00FF00u);
    EXPECT_EQ(dst.Get(6, 6), 0x00FF00u);
  }
}

TEST(PixelEffects, SixteenBitTintWorksInFieldsScaledToBytes) {
  cGraphicsFixture fx(ModeNamed("dd16"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  BYTE pal[256 * 4] = {};
  pal[7 * 4 + 0] = 31;  // the palette holds field values at 16 bits: full red
  cTestSurface src(1, 1), dst(1, 1);
  src.Px().SetRaw(0, 0, 0x001F);  // full blue
  DDBltTint(dst.SD(), 0, 0, 1, 1, src.SD(), 0, 0, 0, pal, g_ColorTable, 7, 1);
  // 255 / 2 = 127 each, back to 5 bits: 127 * 31 / 255 = 15.
  EXPECT_EQ(dst.Raw(0, 0), (15u << 11) | 15u);
}

TEST(PixelEffects, EightBitTintAndBlendUseTheColourTable) {
  cGraphicsFixture fx(ModeNamed("dd8"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  cSavedColourTable table;
  cTestSurface src(3, 1), dst(3, 1);
  src.Put(0, 0, 10);
  src.Put(1, 0, 0);
  src.Put(2, 0, 10);
  const struct {
    int nCount;
    uint32_t want;
  } tints[] = {{1, 31}, {2, 41}, {INT_MAX, 51}};  // 10 -> 31 -> 41 -> ... settles on 51
  for (const auto& t : tints) {
    SCOPED_TRACE(t.nCount);
    dst.FillRaw(0);
    DDBltTint(dst.SD(), 0, 0, 1, 1, src.SD(), 0, 0, 0, g_Palette, g_ColorTable, 50, t.nCount);
    EXPECT_EQ(dst.Raw(0, 0), t.want);
  }
  // Blend: an empty destination takes the source; index 0 of a keyed
  // source is skipped; otherwise table[s + d * 256].
  dst.Put(0, 0, 0);
  dst.Put(1, 0, 7);
  dst.Put(2, 0, 20);
  DDBltBlend(dst.SD(), 0, 0, 3, 1, src.SD(), 0, 0, 1, g_ColorTable, 0);
  EXPECT_EQ(dst.Raw(0, 0), 10u);
  EXPECT_EQ(dst.Raw(1, 0), 7u);
  EXPECT_EQ(dst.Raw(2, 0), 16u);
}

TEST(PixelEffects, BlendHalvesAndCopiesOntoTheKey) {
  const struct {
    const char* szMode;
    uint32_t wantMixed, wantOnKey;
  } cases[] = {
      {"dd16", 0x00797B, 0x0000FF},  // through bytes: green 62 -> 250 / 2 -> 30
      {"dd32", 0x007C7C, 0x0000F8},  // the key pixel takes the source unmixed
      {"d3d16w", 0x007B7B, 0x00007B},  // a transparent texel is mixed like any other
      {"d3d32", 0x007C7C, 0x00007C},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.szMode);
    cGraphicsFixture fx(ModeNamed(c.szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface src(2, 1, DTMEMORYTYPE_SYSTEM), dst(2, 1, DTMEMORYTYPE_SYSTEM);
    src.Fill(0x0000F8);
    dst.Put(0, 0, 0x00F800);
    dst.Px().SetRaw(1, 0, lpDTCon ? 0 : g_dwColorKey);
    DDBltBlend(dst.SD(), 0, 0, 2, 1, src.SD(), 0, 0, 0, g_ColorTable, 128);
    EXPECT_EQ(dst.Get(0, 0), c.wantMixed) << std::hex << dst.Get(0, 0);
    EXPECT_EQ(dst.Get(1, 0), c.wantOnKey) << std::hex << dst.Get(1, 0);
  }
}

TEST(PixelEffects, CircleDrawsRowsByTheRadiusRule) {
  struct {
    int nRadius, nStrip, nHalfWidth, nHalfHeight;
    std::vector<int> widths;  // drawn pixels of rows dy = -4 .. 4
  } cases[] = {
      {1, 1, 100, 100, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {4, 1, 100, 100, {0, 4, 6, 6, 6, 6, 6, 4, 0}},
      {4, 1, 2, 100, {0, 4, 4, 4, 4, 4, 4, 4, 0}},  // columns sx - 2 .. sx + 2
      {4, 1, 100, 1, {0, 0, 0, 6, 6, 6, 0, 0, 0}},  // rows -1 .. 1
      {4, 2, 100, 100, {4, 4, 6, 6, 6, 6, 4, 4, 0}},  // bands take the middle row's width
      {0, 1, 100, 100, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {4, 0, 100, 100, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const char* szMode : {"dd32", "d3d32"}) {
    cGraphicsFixture fx(ModeNamed(szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(szMode) + " r " + std::to_string(c.nRadius) + " strip " + std::to_string(c.nStrip) +
                   " hw " + std::to_string(c.nHalfWidth) + " hh " + std::to_string(c.nHalfHeight));
      cTestSurface src(32, 32), dst(32, 32);
      FillCoordinates(src);
      dst.Fill(0);
      DDBltCircle(dst.SD(), 16, 16, c.nHalfWidth, c.nHalfHeight, c.nRadius, c.nStrip, src.SD(), 10, 10, 0);
      for (int dy = -4; dy <= 4; ++dy) {
        int n = 0;
        for (int x = 0; x < 32; ++x)
          if (dst.Get(x, 16 + dy) != 0) {
            ++n;
            EXPECT_EQ(dst.Get(x, 16 + dy), At(x - 6, 10 + dy));
          }
        EXPECT_EQ(n, c.widths[static_cast<size_t>(dy + 4)]) << "row " << dy;
      }
    }
  }
}

// The radius is a chara effect's running value and may reach 2^31: beyond
// the picture it draws what a radius just past the picture draws, at once.
TEST(PixelEffects, CircleOfAHugeRadiusDrawsAsOneJustPastThePicture) {
  for (const char* szMode : {"dd32", "d3d32"}) {
    cGraphicsFixture fx(ModeNamed(szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    // On the Direct3D path every band is blended, so the edge bands drawn
    // again and again show.
    if (lpDTCon) DDSetDrawColor(0x40FFFFFF);
    for (int nStrip : {1, 4, 40}) {
      SCOPED_TRACE(std::string(szMode) + " strip " + std::to_string(nStrip));
      cTestSurface src(32, 32), near(32, 32), huge(32, 32);
      FillCoordinates(src);
      near.Fill(0x102030);
      huge.Fill(0x102030);
      const std::vector<uint32_t> before = near.Snapshot();
      DDBltCircle(near.SD(), 16, 16, 12, 8, 300, nStrip, src.SD(), 16, 16, 0);
      DDBltCircle(huge.SD(), 16, 16, 12, 8, INT_MAX, nStrip, src.SD(), 16, 16, 0);
      EXPECT_FALSE(near.Snapshot() == before);
      EXPECT_TRUE(huge.Snapshot() == near.Snapshot());
    }
    DDResetDrawColor();
  }
}

TEST(PixelEffects, LensMagnifiesTheCentreAndMeetsTheRim) {
  struct {
    int nRadius, nDepth, dx, dy;
    int ox, oy;  // the source offset shown; INT_MIN: not drawn
  } cases[] = {
      {10, 10, 10, 0, 10, 0},  {10, 10, 7, 7, 7, 7},   {10, 10, 0, 0, 0, 0},   {10, 10, 5, 0, 4, 0},
      {10, 0, 5, 0, 0, 0},     {10, 0, -9, 3, 0, 0},   {10, 0, 10, 0, 10, 0},  {3, 10, 0, 0, INT_MIN, 0},
      {0, 0, 0, 0, INT_MIN, 0}, {10, -1, 0, 0, INT_MIN, 0}, {-1, 5, 0, 0, INT_MIN, 0},
  };
  for (const char* szMode : {"dd16", "dd32", "d3d16w", "d3d32"}) {
    cGraphicsFixture fx(ModeNamed(szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(szMode) + " R " + std::to_string(c.nRadius) + " D " + std::to_string(c.nDepth) + " at " +
                   std::to_string(c.dx) + "," + std::to_string(c.dy));
      cTestSurface src(48, 48), dst(48, 48, DTMEMORYTYPE_SYSTEM);
      FillCoordinates(src);
      dst.Fill(0x0000FF);
      DDBltLens(dst.SD(), 20, 20, c.nRadius, c.nDepth, src.SD(), 24, 24, 1, 0);
      uint32_t want = c.ox == INT_MIN ? 0x0000FF : Quantised(dst.Px().Format(), At(24 + c.ox, 24 + c.oy));
      EXPECT_EQ(dst.Get(20 + c.dx, 20 + c.dy), want);
    }
  }
}

TEST(PixelEffects, LensSkipsKeyPixelsAndClearsItsSquareOnRequest) {
  {
    cGraphicsFixture fx(ModeNamed("dd32"), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface src(48, 48), dst(48, 48);
    FillCoordinates(src);
    src.Px().SetRaw(24, 24, g_dwColorKey);
    dst.Fill(0x0000FF);
    DDBltLens(dst.SD(), 20, 20, 10, 0, src.SD(), 24, 24, 0, 0);  // every inner point shows the key
    EXPECT_EQ(dst.Get(20, 20), 0x0000FFu);
    EXPECT_EQ(dst.Get(25, 22), 0x0000FFu);
  }
  cGraphicsFixture fx(ModeNamed("d3d32"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  cTestSurface src(48, 48), dst(48, 48, DTMEMORYTYPE_SYSTEM);
  FillCoordinates(src);
  dst.Fill(0x0000FF);
  DDBltLens(dst.SD(), 20, 20, 10, 10, src.SD(), 24, 24, 0, 1);
  EXPECT_EQ(dst.Raw(30, 30), 0u);  // the square's corner, outside the circle
  EXPECT_EQ(dst.Raw(11, 29), 0u);
  EXPECT_EQ(dst.Get(20, 20), At(24, 24));
  EXPECT_EQ(dst.Get(31, 20), 0x0000FFu);  // outside the square
}

TEST(PixelEffects, RotationTurnsAboutThePivot) {
  for (const char* szMode : {"dd8", "dd16", "dd32", "d3d16w", "d3d16f", "d3d32"}) {
    cGraphicsFixture fx(ModeNamed(szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    bool b8 = g_DDDisplay.nBpp == 8;
    for (int nDTMemType : {DTMEMORYTYPE_VIDEO_RT, DTMEMORYTYPE_SYSTEM}) {
      SCOPED_TRACE(std::string(szMode) + " type " + std::to_string(nDTMemType));
      cTestSurface src(32, 32), dst(48, 48, nDTMemType);
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) src.Put(x, y, b8 ? static_cast<uint32_t>(1 + x + y * 7) & 0xFF : At(x, y));
      // 0 and 360 degrees copy the 8 x 6 rectangle at (4, 4), its point
      // (2, 3) on (20, 20).
      for (int nAngle : {0, 360, -720}) {
        SCOPED_TRACE(nAngle);
        dst.Fill(0);
        DDBltRotate(dst.SD(), 20, 20, 8, 6, 2, 3, nAngle, src.SD(), 4, 4, 0);
        for (int v = -1; v <= 6; ++v)
          for (int u = -1; u <= 8; ++u) {
            bool bIn = u >= 0 && u < 8 && v >= 0 && v < 6;
            uint32_t want = bIn ? src.Get(4 + u, 4 + v) : 0;
            ASSERT_EQ(dst.Get(18 + u, 17 + v), want) << u << "," << v;
          }
      }
      if (lpDTCon && nDTMemType == DTMEMORYTYPE_VIDEO_RT) continue;  // the device's quad samples pixel centres
      // 90 degrees, 10-bit fixed point: (x + du, y + dv) shows the
      // rectangle's (cx + dv, cy - du).
      dst.Fill(0);
      DDBltRotate(dst.SD(), 20, 20, 8, 6, 2, 3, 90, src.SD(), 4, 4, 0);
      EXPECT_EQ(dst.Get(21, 20), src.Get(4 + 2, 4 + 3 - 1));
      EXPECT_EQ(dst.Get(20, 22), src.Get(4 + 2 + 2, 4 + 3));
      EXPECT_EQ(dst.Get(25, 20), 0u);  // du 5: row -2, outside
    }
  }
}

TEST(PixelEffects, RotationQuadFollowsTheBlendState) {
  cGraphicsFixture fx(ModeNamed("d3d32"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  cTestSurface src(8, 8), dst(32, 32);
  src.Fill(0xFFFFFF);
  dst.Fill(0);
  DDSetDrawColor(0xFF00FF00);
  DDBltRotate(dst.SD(), 16, 16, 8, 8, 4, 4, 45, src.SD(), 0, 0, 0);
  DDResetDrawColor();
  EXPECT_EQ(dst.Get(16, 16), 0x00FF00u);  // modulated by the draw colour
  EXPECT_EQ(dst.Get(16, 11), 0x00FF00u);  // the diamond reaches 4 * sqrt 2 up
  EXPECT_EQ(dst.Get(12, 12), 0u);         // the corner the turn cleared
}

// The numeric edge cases on every path and depth: nothing drawn, no crash.
TEST(PixelEffects, EdgeCasesDrawNothing) {
  BYTE pal[256 * 4] = {};
  typedef std::function<void(DDSURFACEDATA*, DDSURFACEDATA*)> DRAW;
  const struct {
    const char* szName;
    DRAW draw;
  } cases[] = {
      {"tint strength 0", [&](auto* d, auto* s) { DDBltTint(d, 0, 0, 16, 16, s, 0, 0, 0, pal, g_ColorTable, 1, 0); }},
      {"tint outside", [&](auto* d, auto* s) { DDBltTint(d, 1000, 0, 16, 16, s, 0, 0, 0, pal, g_ColorTable, 1, 1); }},
      {"tint bad colour", [&](auto* d, auto* s) { DDBltTint(d, 0, 0, 16, 16, s, 0, 0, 0, pal, g_ColorTable, 256, 1); }},
      {"blend outside", [](auto* d, auto* s) { DDBltBlend(d, -1000, -1000, 16, 16, s, 0, 0, 0, g_ColorTable, 128); }},
      {"blend source outside", [](auto* d, auto* s) { DDBltBlend(d, 0, 0, 16, 16, s, 500, 0, 0, g_ColorTable, 128); }},
      {"circle radius 0", [](auto* d, auto* s) { DDBltCircle(d, 8, 8, 8, 8, 0, 1, s, 8, 8, 0); }},
      {"circle strip 0", [](auto* d, auto* s) { DDBltCircle(d, 8, 8, 8, 8, 5, 0, s, 8, 8, 0); }},
      {"circle outside", [](auto* d, auto* s) { DDBltCircle(d, -500, 8, 8, 8, 5, 1, s, 8, 8, 0); }},
      {"lens radius 0", [](auto* d, auto* s) { DDBltLens(d, 8, 8, 0, 5, s, 8, 8, 0, 0); }},
      {"lens too shallow", [](auto* d, auto* s) { DDBltLens(d, 8, 8, 3, 10, s, 8, 8, 0, 0); }},
      {"lens outside", [](auto* d, auto* s) { DDBltLens(d, 5000, -5000, 10, 10, s, 8, 8, 0, 0); }},
      {"lens huge", [](auto* d, auto* s) { DDBltLens(d, 8, 8, INT_MAX, INT_MAX, s, 8, 8, 0, 0); }},
      {"rotate outside", [](auto* d, auto* s) { DDBltRotate(d, 5000, 5000, 16, 16, 8, 8, 30, s, 0, 0, 0); }},
      {"rotate empty", [](auto* d, auto* s) { DDBltRotate(d, 8, 8, 0, 16, 8, 8, 30, s, 0, 0, 0); }},
      {"rotate source outside", [](auto* d, auto* s) { DDBltRotate(d, 8, 8, 16, 16, 8, 8, 30, s, 900, 900, 0); }},
      {"rotate far pivot", [](auto* d, auto* s) { DDBltRotate(d, 8, 8, 16, 16, INT_MAX, INT_MIN, INT_MAX, s, 0, 0, 0); }},
      {"blur radius 0", [](auto* d, auto* s) { DDBltBlur(d, 0, 0, 16, 16, 0, 2, s, 0, 0, 0); }},
      {"blur negative radius", [](auto* d, auto* s) { DDBltBlur(d, 0, 0, 16, 16, -2, -2, s, 0, 0, 0); }},
      {"mosaic cell 0", [](auto* d, auto* s) { DDBltMosaic(d, 0, 0, 16, 16, 0, s, 0, 0, 0); }},
      {"mosaic negative cell", [](auto* d, auto* s) { DDBltMosaic(d, 0, 0, 16, 16, -3, s, 0, 0, 0); }},
      {"mosaic outside", [](auto* d, auto* s) { DDBltMosaic(d, 0, 0, 16, 16, 4, s, 300, 300, 0); }},
      // A rectangle from a damaged file is not allocated whole.
      {"blur huge rectangle", [](auto* d, auto* s) { DDBltBlur(d, 0, 0, INT_MAX, INT_MAX, 2, 2, s, 0, 0, 0); }},
      {"mosaic huge rectangle", [](auto* d, auto* s) { DDBltMosaic(d, 0, 0, INT_MAX, 200000, 4, s, 0, 0, 0); }},
      {"wave strip 0", [](auto* d, auto* s) { DDBltWave(d, 0, 0, 16, 16, 1, 3.0, 0, 0, s, 0, 0, 0, 1); }},
      {"interlace negative strip", [](auto* d, auto* s) { DDBltInterlace(d, 0, 0, 16, 16, -2, 1, s, 0, 0, 0, 1); }},
      // Shifts and gaps are running values from a chara record.
      {"interlace huge shift", [](auto* d, auto* s) { DDBltInterlace(d, 0, 0, 16, 16, 2, INT_MIN, s, 0, 0, 0, 0); }},
      {"quarters huge gap", [](auto* d, auto* s) { DDBltQuarters(d, 0, 0, 16, 16, s, 0, 0, INT_MAX, 0); }},
      {"transition too narrow", [](auto* d, auto* s) { DDBltStripTransition(d, 0, 0, 1, 16, s, 0, 0, s, 0, 0, 16, 16, 0, 5, 0); }},
      {"transition negative phase", [](auto* d, auto* s) { DDBltStripTransition(d, 0, 0, 16, 16, s, 0, 0, s, 0, 0, 16, 16, 0, -5, 0); }},
  };
  for (const GRAPHICSMODE& mode : AllModes()) {
    cGraphicsFixture fx(mode, 64, 48);
    ASSERT_TRUE(fx.Ok());
    for (int nDTMemType : {DTMEMORYTYPE_VIDEO_RT, DTMEMORYTYPE_SYSTEM}) {
      cTestSurface src(16, 16), dst(16, 16, nDTMemType);
      FillCoordinates(src);
      dst.Fill(0x102030);
      const std::vector<uint32_t> before = dst.Snapshot();
      for (const auto& c : cases) {
        SCOPED_TRACE(std::string(mode.szName) + " type " + std::to_string(nDTMemType) + ": " + c.szName);
        c.draw(dst.SD(), src.SD());
        EXPECT_TRUE(dst.Snapshot() == before);
      }
    }
  }
}

TEST(PixelEffects, SurfacePaletteSkipsTransparentTexels) {
  cGraphicsFixture fx(ModeNamed("d3d32"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  cTestSurface pic(16, 24, DTMEMORYTYPE_SYSTEM);
  pic.FillRaw(0);
  pic.Px().SetRaw(3, 8, 0xFF102030);
  pic.Px().SetRaw(0, 9, 0x80405060);
  BYTE pal[256 * 4];
  std::memset(pal, 0xAB, sizeof pal);
  DDSetPalette_UnPal(pal, pic.SD());
  const BYTE e3[4] = {0x10, 0x20, 0x30, 0xFF}, e16[4] = {0x40, 0x50, 0x60, 0x80}, e0[4] = {0xAB, 0xAB, 0xAB, 0xAB};
  EXPECT_EQ(std::memcmp(pal + 3 * 4, e3, 4), 0);
  EXPECT_EQ(std::memcmp(pal + 16 * 4, e16, 4), 0);
  EXPECT_EQ(std::memcmp(pal + 0 * 4, e0, 4), 0);
  EXPECT_EQ(std::memcmp(pal + 255 * 4, e0, 4), 0);
}

TEST(PixelEffects, SurfaceFadeMixesTheCopyWithTheColour) {
  const struct {
    const char* szMode;
    uint32_t wantHalf, wantWhole, wantNone;
  } cases[] = {
      // Fields go to bytes and back with integer division: a step is lost
      // on the way, even at the full picture.
      {"dd16", 0x391C8C, 0x7B3C18, 0x000000},
      {"dd32", 0x40208F, 0x804020, 0x010203},
      {"d3d32", 0x00FF00, 0x00FF00, 0x00FF00},  // not on this path
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.szMode);
    cGraphicsFixture fx(ModeNamed(c.szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface src(4, 4), dst(4, 4);
    src.Fill(0x804020);
    dst.Fill(0x00FF00);
    DDFade_UnPal(dst.SD(), 128, 0, 0, 255, src.SD());
    EXPECT_EQ(dst.Get(3, 3), c.wantHalf) << std::hex << dst.Get(3, 3);
    DDFade_UnPal(dst.SD(), 256, 0, 0, 0, src.SD());
    EXPECT_EQ(dst.Get(0, 0), c.wantWhole) << std::hex << dst.Get(0, 0);
    DDFade_UnPal(dst.SD(), 0, 1, 2, 3, src.SD());
    EXPECT_EQ(dst.Get(1, 2), c.wantNone) << std::hex << dst.Get(1, 2);
  }
}

TEST(PixelEffects, ColourChangeModulatesOnlyOnTheDevice) {
  {
    cGraphicsFixture fx(ModeNamed("dd32"), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface dst(4, 4);
    dst.Fill(0x808080);
    DDChangeColorRect(dst.SD(), 0, 0, 4, 4, 0, 255, 0, 0);
    EXPECT_EQ(dst.Get(1, 1), 0x808080u);
  }
  cGraphicsFixture fx(ModeNamed("d3d32"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  cTestSurface dst(4, 4);
  dst.Fill(0x808080);
  DDChangeColorRect(dst.SD(), 1, 1, 1, 1, 0, 255, 0, 0);  // the rectangle does not limit it
  EXPECT_EQ(dst.Get(0, 0), 0x800000u);
  EXPECT_EQ(dst.Get(3, 3), 0x800000u);
  DDChangeColorRect(dst.SD(), 0, 0, 4, 4, 255, 0, 0, 0);  // alpha 0: unchanged
  EXPECT_EQ(dst.Get(3, 3), 0x800000u);
}

TEST(PixelEffects, ColourTableLoadsWholeOrNotAtAll) {
  cGraphicsFixture fx(ModeNamed("dd8"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  std::vector<BYTE> saved(g_ColorTable, g_ColorTable + 65536);
  std::string whole(65536, '\0'), shortFile(1000, '\x55');
  for (size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<char>(i * 7);
  fx.Folder().WriteFile("bmp/hbt/hbt03.dat", whole);
  fx.Folder().WriteFile("bmp/hbt/hbt04.dat", shortFile);
  std::vector<BYTE> table(65536, 9);
  EXPECT_EQ(DDLoadColorTable(table.data(), "bmp\\hbt\\hbt03.dat"), 1);
  EXPECT_EQ(std::memcmp(table.data(), whole.data(), 65536), 0);
  // A short file used to pass for a whole table.
  EXPECT_EQ(DDLoadColorTable(table.data(), "bmp\\hbt\\hbt04.dat"), 0);
  EXPECT_EQ(std::memcmp(table.data(), whole.data(), 65536), 0);
  EXPECT_EQ(DDLoadColorTable(table.data(), "bmp\\hbt\\hbt05.dat"), 0);
  std::memcpy(g_ColorTable, saved.data(), saved.size());
  cGraphicsFixture d3d(ModeNamed("d3d32"), 64, 48);
  ASSERT_TRUE(d3d.Ok());
  EXPECT_EQ(DDLoadColorTable(table.data(), "bmp\\hbt\\missing.dat"), 1);
}
