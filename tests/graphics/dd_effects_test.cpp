// The frame, number and strip blits, blur and mosaic, the palette routines
// and the screen fades, on the paths and depths where each one differs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_effects.h"
#include "tests/graphics/effects_fixture.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {

// The leftmost column and the width of the pixels of one colour in a row.
std::pair<int, int> ColourRun(cTestSurface& s, int y, uint32_t rgb) {
  int first = -1, n = 0;
  for (int x = 0; x < s.SD()->nWidth; ++x)
    if (s.Get(x, y) == rgb) {
      if (first < 0) first = x;
      ++n;
    }
  return {first, n};
}

// At 16 bits the mix goes through bytes and back, which may lose one field
// step even at the whole picture; every other mode gives it exactly.
bool SamePicture(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want) {
  if (got.size() != want.size()) return false;
  bool b16 = !lpDTCon && g_DDDisplay.nBpp == 16;
  for (size_t i = 0; i < got.size(); ++i)
    for (int s = 0; s <= 16; s += 8) {
      int d = static_cast<int>((got[i] >> s) & 0xFF) - static_cast<int>((want[i] >> s) & 0xFF);
      if (d != 0 && !(b16 && d < 0 && d >= -9)) return false;
    }
  return true;
}

}  // namespace

TEST(EffectBlits, NumberDrawsDigitCellsAlignedInItsField) {
  const struct {
    int nValue, nMinDigits;
    BOOL bCentre;
    const char* szWant;  // the cells from x = 10, '.' for none
  } cases[] = {
      {7, 3, 0, "..7."}, {7, 3, 1, ".7.."}, {1234, 2, 0, "1234"}, {0, 1, 0, "0..."},
      {-5, 1, 0, "0..."}, {2147483647, 1, 0, "2147483647"}, {42, 5, 1, ".42..."},
  };
  for (const char* szMode : {"dd32", "d3d32"}) {
    cGraphicsFixture fx(ModeNamed(szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface digits(100, 10), dst(160, 10);
    for (int d = 0; d < 10; ++d)
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) digits.Put(d * 10 + x, y, static_cast<uint32_t>(0x10 + d * 0x10) << 16 | 0x80);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(szMode) + " " + std::to_string(c.nValue));
      dst.Fill(0);
      DDBltNumber(dst.SD(), 10, 0, 10, 10, digits.SD(), 0, 0, 0, c.nValue, c.nMinDigits, c.bCentre);
      std::string got;
      for (int k = 0; k < 14; ++k) {
        uint32_t v = dst.Get(10 + k * 10 + 5, 5);
        got += v == 0 ? '.' : static_cast<char>('0' + ((v >> 16) - 0x10) / 0x10);
      }
      EXPECT_EQ(got.substr(0, std::strlen(c.szWant)), c.szWant);
      EXPECT_EQ(dst.Get(5, 5), 0u);
    }
  }
}

TEST(EffectBlits, FrameAndFramedPicture) {
  for (const char* szMode : {"dd8", "dd32", "d3d16f"}) {
    SCOPED_TRACE(szMode);
    cGraphicsFixture fx(ModeNamed(szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface pic(4, 4), dst(16, 16);
    pic.Fill(g_DDDisplay.nBpp == 8 ? 77 : 0x00C000);
    dst.Fill(0);
    DDBltFramed(dst.SD(), 5, 5, 4, 4, pic.SD(), 2, 200);
    uint32_t frame = dst.Get(3, 3), inner = dst.Get(5, 5);
    EXPECT_NE(frame, 0u);
    EXPECT_EQ(inner, pic.Get(0, 0));
    // Rows 3 and 4 and columns 3, 4, 9, 10 are the frame; the rest is empty.
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        bool bFrame = x >= 3 && x < 11 && y >= 3 && y < 11 && !(x >= 5 && x < 9 && y >= 5 && y < 9);
        bool bPic = x >= 5 && x < 9 && y >= 5 && y < 9;
        ASSERT_EQ(dst.Get(x, y), bFrame ? frame : (bPic ? inner : 0u)) << x << "," << y;
      }
  }
}

TEST(EffectBlits, StripTransitionSqueezesBetweenTwoPictures) {
  const struct {
    int nPhase;
    BOOL bVertical;
    uint32_t want;
    int nFirst, nWidth;
  } cases[] = {
      {0, 0, 0xFF0000, 0, 100}, {49, 0, 0xFF0000, 49, 2}, {50, 0, 0x0000FF, 49, 2},
      {99, 0, 0x0000FF, 0, 100}, {100, 0, 0x0000FF, 0, 100}, {150, 0, 0xFF0000, 49, 2},
      {25, 1, 0xFF0000, 0, 100},  // vertical: every row of the middle is full width
      {5, 2, 0xFF0000, -1, 0},    // neither axis: nothing
  };
  for (const char* szMode : {"dd32", "d3d32"}) {
    cGraphicsFixture fx(ModeNamed(szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface a(20, 20), b(20, 20), dst(100, 100);
    a.Fill(0xFF0000);
    b.Fill(0x0000FF);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(szMode) + " phase " + std::to_string(c.nPhase) + " vertical " +
                   std::to_string(c.bVertical));
      dst.Fill(0);
      DDBltStripTransition(dst.SD(), 0, 0, 100, 100, a.SD(), 0, 0, b.SD(), 0, 0, 20, 20, 0, c.nPhase, c.bVertical);
      std::pair<int, int> want{c.nFirst, c.nWidth};
      EXPECT_EQ(ColourRun(dst, 50, c.want), want);
      if (c.bVertical == 1) {
        EXPECT_EQ(dst.Get(50, 24), 0u);  // squeezed by 25 rows at top and bottom
      }
    }
  }
}

TEST(EffectBlits, InterlaceWaveAndQuartersPlaceTheirStrips) {
  for (const char* szMode : {"dd16", "d3d32"}) {
    SCOPED_TRACE(szMode);
    cGraphicsFixture fx(ModeNamed(szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface src(8, 8), dst(32, 32), ref(32, 32);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) src.Put(x, y, static_cast<uint32_t>(x * 32) << 16 | static_cast<uint32_t>(y * 32) << 8 | 0xF8);
    // Strip 0 is one plain blit.
    dst.Fill(0);
    ref.Fill(0);
    DDBltInterlace(dst.SD(), 4, 4, 8, 8, 0, 3, src.SD(), 0, 0, 0, 1);
    DDBltFast(ref.SD(), 4, 4, 8, 8, src.SD(), 0, 0, 0);
    EXPECT_TRUE(dst.Snapshot() == ref.Snapshot());
    // Columns of 3: strips 0 and 1 (column 6 and 7 left out), even down 2,
    // odd up 2.
    dst.Fill(0);
    DDBltInterlace(dst.SD(), 10, 10, 8, 8, 3, 2, src.SD(), 0, 0, 0, 1);
    EXPECT_EQ(dst.Get(10, 12), src.Get(0, 0));
    EXPECT_EQ(dst.Get(13, 8), src.Get(3, 0));
    EXPECT_EQ(dst.Get(16, 10), 0u);
    // Rows of 4 moved along a wave: phase 90, one degree a degree,
    // amplitude 5: sin 270 = -1 for the first, sin 450 = 1 for the second.
    dst.Fill(0);
    DDBltWave(dst.SD(), 10, 10, 8, 8, 1, 5.0, 90, 4, src.SD(), 0, 0, 0, 0);
    EXPECT_EQ(dst.Get(5, 10), src.Get(0, 0));
    EXPECT_EQ(dst.Get(15, 14), src.Get(0, 4));
    // Quarters pushed 3 apart.
    dst.Fill(0);
    DDBltQuarters(dst.SD(), 10, 10, 8, 8, src.SD(), 0, 0, 3, 0);
    EXPECT_EQ(dst.Get(7, 7), src.Get(0, 0));
    EXPECT_EQ(dst.Get(17, 7), src.Get(4, 0));
    EXPECT_EQ(dst.Get(7, 17), src.Get(0, 4));
    EXPECT_EQ(dst.Get(17, 17), src.Get(4, 4));
    EXPECT_EQ(dst.Get(11, 7), 0u);
  }
}

TEST(EffectBlits, BlurAveragesTheWindowInsideTheRectangle) {
  const struct {
    const char* szMode;
    BOOL bKey;
    std::vector<uint32_t> want;  // red bytes of row 0 after the blur
  } cases[] = {
      // Window dx -1 .. 0: a pixel with its left neighbour.
      {"dd32", 0, {0x00, 0x14, 0x3C, 0x64}},
      {"d3d32", 0, {0x00, 0x14, 0x3C, 0x64}},
      // The keyed pixel (column 2) keeps the destination and is left out.
      {"dd32", 1, {0x00, 0x14, 0xFF, 0x78}},
      {"d3d32", 1, {0x00, 0x14, 0xFF, 0x78}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.szMode) + " key " + std::to_string(c.bKey));
    cGraphicsFixture fx(ModeNamed(c.szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    cTestSurface src(4, 1), dst(4, 1, DTMEMORYTYPE_SYSTEM);
    for (int x = 0; x < 4; ++x) src.Put(x, 0, static_cast<uint32_t>(x * 40) << 16);
    src.Px().SetRaw(2, 0, lpDTCon ? 0u : g_dwColorKey);
    if (!c.bKey) src.Put(2, 0, 80u << 16);
    dst.Fill(0xFF0000);
    DDBltBlur(dst.SD(), 0, 0, 4, 1, 1, 1, src.SD(), 0, 0, c.bKey);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Get(x, 0) >> 16, c.want[static_cast<size_t>(x)]) << "column " << x;
  }
  cGraphicsFixture fx(ModeNamed("dd8"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  cTestSurface src(4, 4), dst(4, 4);
  src.Fill(9);
  dst.Fill(3);
  DDBltBlur(dst.SD(), 0, 0, 4, 4, 1, 1, src.SD(), 0, 0, 0);
  EXPECT_EQ(dst.Raw(1, 1), 3u);
}

TEST(EffectBlits, MosaicFillsCellsWithTheirAverageOrCorner) {
  const struct {
    const char* szMode;
    BOOL bKey;
    uint32_t wantCell0, wantCell1;
  } cases[] = {
      {"dd8", 0, 1, 3},          // the top-left pixel of each cell (index x + 1)
      {"dd32", 0, 0x200000, 0x600000},
      {"dd32", 1, 0x400000, 0x600000},  // the key pixel is left out of the average
      // Fields scaled to bytes, averaged and scaled back: 0 and 8 -> 0 and 65
      // -> 32 -> 3; 8 and 16 -> 65 and 131 -> 98 -> 11.
      {"dd16", 0, 0x180000, 0x5A0000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.szMode) + " key " + std::to_string(c.bKey));
    cGraphicsFixture fx(ModeNamed(c.szMode), 64, 48);
    ASSERT_TRUE(fx.Ok());
    bool b8 = g_DDDisplay.nBpp == 8;
    // Two 2 x 2 cells and a cut third: columns 0..4 hold 0, 1, 2, 3, 4
    // (eight-bit) or red 0x00, 0x40, 0x40, 0x80, 0xC0.
    cTestSurface src(5, 2), dst(5, 2);
    const uint32_t reds[] = {0x00, 0x40, 0x40, 0x80, 0xC0};
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 5; ++x) src.Put(x, y, b8 ? static_cast<uint32_t>(x + 1) : reds[x] << 16);
    if (c.bKey) src.Px().SetRaw(0, 0, g_dwColorKey), src.Px().SetRaw(0, 1, g_dwColorKey);
    dst.Fill(0);
    DDBltMosaic(dst.SD(), 0, 0, 5, 2, 2, src.SD(), 0, 0, c.bKey);
    EXPECT_EQ(dst.Get(1, 1), c.wantCell0) << std::hex << dst.Get(1, 1);
    EXPECT_EQ(dst.Get(0, 0), c.wantCell0);
    EXPECT_EQ(dst.Get(3, 0), c.wantCell1) << std::hex << dst.Get(3, 0);
  }
}

TEST(EffectBlits, PaletteBlendAndRotation) {
  cGraphicsFixture fx(ModeNamed("dd8"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  BYTE src[1024], dst[1024];
  for (int i = 0; i < 1024; ++i) src[i] = static_cast<BYTE>(i / 4);
  std::memset(dst, 0xEE, sizeof dst);
  DDBlendPalette(dst, 10, 12, 128, 0, 0, 255, src);
  const BYTE e10[4] = {5, 5, 132, 1};
  EXPECT_EQ(std::memcmp(dst + 40, e10, 4), 0);
  EXPECT_EQ(dst[9 * 4], 0xEE);
  EXPECT_EQ(dst[13 * 4], 0xEE);
  DDBlendPalette(dst, 0, 255, 256, 9, 9, 9, src);
  EXPECT_EQ(dst[200 * 4], 200);
  DDBlendPalette(dst, -5, 300, 0, 9, 8, 7, src);  // cut to the 256 entries
  EXPECT_EQ(dst[255 * 4 + 2], 7);

  const struct {
    int nFirst, nLast, nShift, nDir;
    int nAt, nWant;  // entry nAt holds the source's entry nWant
  } rotations[] = {
      {16, 207, 16, 0, 32, 16}, {16, 207, 16, 0, 16, 192}, {16, 207, 16, 1, 16, 32}, {16, 207, 16, 1, 207, 31},
      {16, 207, 16, 2, 16, 16}, {16, 207, 192 + 16, 0, 32, 16},  {16, 207, -16, 0, 16, 32}, {5, 5, 3, 0, 5, 5},
  };
  for (const auto& r : rotations) {
    SCOPED_TRACE(std::to_string(r.nShift) + " dir " + std::to_string(r.nDir) + " at " + std::to_string(r.nAt));
    std::memset(dst, 0xEE, sizeof dst);
    DDRotatePalette(dst, r.nFirst, r.nLast, r.nShift, r.nDir, src);
    EXPECT_EQ(dst[r.nAt * 4], r.nWant);
    EXPECT_EQ(dst[3 * 4], 3);  // the rest is copied
  }
  // In place, as the hbt loading does it.
  std::memcpy(dst, src, sizeof dst);
  DDRotatePalette(dst, 16, 207, 32, 0, dst);
  EXPECT_EQ(dst[48 * 4], 16);
}

TEST(Fades, EndAfterNinetyOverTheStepPlusOneCalls) {
  const struct {
    double dStep;
    BOOL bFinish;
    int nCalls;
  } cases[] = {{10, 0, 10}, {30, 0, 4}, {7, 0, 14}, {90, 0, 2}, {0, 0, 1}, {-3, 0, 1}, {10, 1, 1}};
  cGraphicsFixture fx(ModeNamed("d3d32"), 64, 48);
  ASSERT_TRUE(fx.Ok());
  DDResetFadesForTests();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.dStep) + " finish " + std::to_string(c.bFinish));
    for (int nRound = 0; nRound < 2; ++nRound) {
      int nOut = 1, nIn = 1;
      while (!DDFadeOut(g_WorkPalette, 0, 255, 0, 0, 0, c.dStep, g_Palette, c.bFinish)) ASSERT_LT(++nOut, 100);
      while (!DDFadeIn(g_WorkPalette, 0, 255, 0, 0, 0, c.dStep, g_Palette, c.bFinish)) ASSERT_LT(++nIn, 100);
      EXPECT_EQ(nOut, c.nCalls);
      EXPECT_EQ(nIn, c.nCalls);
    }
  }
}

TEST(Fades, FirstStepShowsThePictureAndTheLastTheColour) {
  for (const GRAPHICSMODE& mode : AllModes()) {
    SCOPED_TRACE(mode.szName);
    cGraphicsFixture fx(mode, 64, 48);
    ASSERT_TRUE(fx.Ok());
    DDResetFadesForTests();
    bool b8 = mode.nBpp == 8 && mode.nMode == 0;
    DDFillSurface(&g_BackBufferSD, 16);
    const std::vector<uint32_t> picture = BackBufferPixels();
    ASSERT_NE(picture[0], 0u);
    const std::vector<uint32_t> black(picture.size(), 0);
    std::vector<std::vector<uint32_t>> frames;
    BOOL bDone = FALSE;
    while (!bDone) {
      // The scene draws its picture every frame before the step.
      DDFillSurface(&g_BackBufferSD, 16);
      bDone = DDFadeOut(g_WorkPalette, 0, 255, 0, 0, 0, 30, g_Palette, FALSE);
      frames.push_back(BackBufferPixels());
    }
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_TRUE(SamePicture(frames[0], picture));
    EXPECT_NE(frames[1], picture);
    EXPECT_NE(frames[1], black);
    EXPECT_TRUE(frames[3] == black);
    if (b8) {
      EXPECT_EQ(DDGetPaletteEntries()[16 * 4], 0);  // the display palette is black
    }
    frames.clear();
    bDone = FALSE;
    while (!bDone) {
      DDFillSurface(&g_BackBufferSD, 16);
      bDone = DDFadeIn(g_WorkPalette, 0, 255, 0, 0, 0, 30, g_Palette, FALSE);
      frames.push_back(BackBufferPixels());
    }
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_TRUE(frames[0] == black);
    EXPECT_TRUE(SamePicture(frames[3], picture));
    if (b8) {
      for (int i = 0; i < 256; ++i) ASSERT_EQ(std::memcmp(DDGetPaletteEntries() + i * 4, g_Palette + i * 4, 3), 0) << i;
    }
  }
}
