#include "play/screen_colour.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/play/draw_fixture.h"

namespace {

std::vector<int> Levels(SCREENCOLOUR& sc, int nFrames) {
  std::vector<int> v;
  for (int i = 0; i < nFrames; ++i) {
    StepScreenColor(sc, &g_BackBufferSD, 0);
    v.push_back(sc.bActive ? sc.nLevel : -1);
  }
  return v;
}

}  // namespace

TEST(ScreenColour, TintFadeAndBlinkLevels) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  SCREENCOLOUR sc;
  ClearScreenColor(sc);

  // A fade back with nothing active does nothing.
  const int32_t fade[8] = {0, 0, 0, 0, 1, 10, 0, 0};
  SetScreenColor(sc, fade);
  EXPECT_FALSE(sc.bActive);

  // Strength 50 over 60 frames: 255 down to 127, then held there.
  const int32_t tint[8] = {255, 0, 0, 50, 0, 10, 0, 0};
  SetScreenColor(sc, tint);
  std::vector<int> v = Levels(sc, 70);
  for (int c = 0; c <= 60; ++c) EXPECT_EQ(v[c], static_cast<int>(255.0 - c / 60.0 * 127.5)) << c;
  EXPECT_EQ(v[30], 191);
  EXPECT_EQ(v[60], 127);
  EXPECT_EQ(v[69], 127);
  EXPECT_TRUE(sc.bActive);

  // Fading back from there: 127 up to 255 over its own 30 frames, in the
  // tint's colour, then ended.
  const int32_t back[8] = {0, 0, 255, 0, 1, 5, 0, 0};
  SetScreenColor(sc, back);
  EXPECT_EQ(sc.r, 255);
  EXPECT_EQ(sc.b, 0);
  v = Levels(sc, 32);
  EXPECT_EQ(v[0], 127);
  EXPECT_EQ(v[15], 127 + 64);
  EXPECT_EQ(v[30], -1);

  // A blink of 3: three ramps, each ending on an untinted frame, then off.
  const int32_t blink[8] = {0, 255, 0, 100, 0, 1, 1, 3};
  SetScreenColor(sc, blink);
  v = Levels(sc, 30);
  const std::vector<int> ramp = {255, 212, 170, 127, 85, 42, 255};
  for (int k = 0; k < 3; ++k)
    for (int c = 0; c < 7; ++c) EXPECT_EQ(v[7 * k + c], k == 2 && c == 6 ? -1 : ramp[c]) << k << " " << c;
  EXPECT_EQ(v[21], -1);
  // A blink asked to repeat 0 times ends after one instead of never.
  const int32_t blink0[8] = {0, 255, 0, 100, 0, 1, 1, 0};
  SetScreenColor(sc, blink0);
  v = Levels(sc, 10);
  EXPECT_EQ(v[6], -1);

  // Duration 0 applies the final level at once; a strength past 100 is
  // held to full colour.
  const int32_t now[8] = {0, 0, 0, 300, 0, 0, 0, 0};
  SetScreenColor(sc, now);
  v = Levels(sc, 2);
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(v[1], 0);
}

TEST(ScreenColour, TintsTheBackBuffer) {
  for (const auto& mode : DrawModes()) {
    SCOPED_TRACE(mode.szName);
    cDrawFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    SCREENCOLOUR sc;
    ClearScreenColor(sc);
    const int32_t tint[8] = {255, 0, 0, 50, 0, 0, 0, 0};
    SetScreenColor(sc, tint);
    DDFillRectRGB(&g_BackBufferSD, 0, 0, 640, 480, 0x0000FF);
    const uint32_t before = BackPixel(10, 10);
    StepScreenColor(sc, &g_BackBufferSD, 0);
    if (mode.nMode == 1) {
      // Level 127 of 255: about half the picture, half the colour.
      const uint32_t p = BackPixel(10, 10);
      EXPECT_EQ(p >> 16 & 255, (255u * 128) / 255);
      EXPECT_EQ(p & 255, (before & 255) * 127 / 255);
      EXPECT_TRUE(sc.bActive);
    } else {
      // The palette path tints only at 8 bits; otherwise the state ends.
      EXPECT_EQ(BackPixel(10, 10), before);
      EXPECT_FALSE(sc.bActive);
    }
  }
}

TEST(ScreenColour, PalettePathBlendsThePaletteAtEightBits) {
  cDrawFixture fx({"dd8", 0, 8, 0});
  ASSERT_TRUE(fx.Ok());
  SCREENCOLOUR sc;
  ClearScreenColor(sc);
  // A fade back needs a held tint on this path.
  const int32_t fade[8] = {0, 0, 0, 0, 1, 0, 0, 0};
  SetScreenColor(sc, fade);
  EXPECT_FALSE(sc.bActive);
  const int32_t tint[8] = {0, 0, 255, 100, 0, 0, 0, 0};
  SetScreenColor(sc, tint);
  const BYTE* pal = DDGetPaletteEntries();
  StepScreenColor(sc, &g_BackBufferSD, 0);
  // Full strength at once: every entry is the colour; the state ends and
  // the palette keeps the tint.
  EXPECT_EQ(pal[40 * 4 + 0], 0);
  EXPECT_EQ(pal[40 * 4 + 2], 255);
  EXPECT_FALSE(sc.bActive);
  // Paused frames do nothing on this path.
  SetScreenColor(sc, fade);
  EXPECT_TRUE(sc.bActive);
  StepScreenColor(sc, &g_BackBufferSD, 1);
  EXPECT_EQ(pal[40 * 4 + 2], 255);
  StepScreenColor(sc, &g_BackBufferSD, 0);
  EXPECT_EQ(pal[40 * 4 + 0], g_Palette[40 * 4 + 0]);
  EXPECT_EQ(pal[40 * 4 + 2], g_Palette[40 * 4 + 2]);
}
