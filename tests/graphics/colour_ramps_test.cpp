#include "media/graphics/colour_ramps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

// A ramp climbs by its step, turns below 255 and again above 0; only the
// turn at the bottom completes a cycle.
TEST(ColourRamps, ARampSwingsBetweenItsEnds) {
  struct CASE {
    int nStep;
    std::vector<int> values;  // after each step, from 0 going up
    int nCycleAt;             // the step (1-based) that completes the first cycle
  } cases[] = {
      {100, {100, 200, 200, 100, 100, 200}, 5},
      {255, {0, 0, 0, 0}, 2},
      {16, {16, 32}, 31},
  };
  for (const CASE& c : cases) {
    int32_t v = 0, dir = 0;
    int nCycle = 0;
    std::vector<int> got;
    for (int i = 1; i <= 64; ++i) {
      const bool bCycle = StepRampValue(v, dir, c.nStep);
      if (i <= static_cast<int>(c.values.size())) got.push_back(v);
      if (bCycle && !nCycle) nCycle = i;
      ASSERT_GE(v, 0);
      ASSERT_LE(v, 255);
    }
    EXPECT_EQ(got, c.values) << c.nStep;
    EXPECT_EQ(nCycle, c.nCycleAt) << c.nStep;
  }
}

// Under Direct3D the table takes each ramp's colour and blend mode, and the
// cycling colour moves to the next channel with each cycle of ramp 8.
TEST(ColourRamps, TheDirect3DTableFollowsTheRamps) {
  cGraphicsFixture fx(AllModes()[5]);  // d3d32
  ASSERT_TRUE(fx.Ok());
  COLOURRAMPS r;
  StepColourRamps(r, 100, false);
  StepColourRamps(r, 100, false);  // every ramp at 200
  const DWORD want[kColourRampCount] = {0xFFC8C8C8, 0xFFC8C8C8, 0xFFC80000, 0xFF00C800, 0xFF0000C8,
                                        0xFFC8C800, 0xFFC80032, 0xFF3200C8, 0xFFC80000};
  for (int i = 0; i < kColourRampCount; ++i) {
    EXPECT_EQ(r.aTable[i].dwColor, want[i]) << i;
    EXPECT_EQ(r.aTable[i].nBlendMode, i == 1 ? 10 : 7) << i;
  }
  const DWORD channels[] = {0xFF006400, 0xFF000064, 0xFF646400, 0xFF640000};  // green, blue, yellow, red again
  for (DWORD dw : channels) {
    for (int i = 0; i < 3; ++i) StepColourRamps(r, 100, false);  // 200 -> 100 -> cycle (100, up)
    EXPECT_EQ(r.aTable[8].dwColor, dw) << std::hex << dw;
    StepColourRamps(r, 100, false);  // back to 200
  }
  // A step from a damaged file is held to the range.
  COLOURRAMPS big;
  StepColourRamps(big, 1 << 30, false);
  EXPECT_EQ(big.anValue[0], 0);
}

// At 8 bits with the palette animation on, every sixth frame turns each of
// the eight four-shade groups from 208 by one place, in the working and the
// display palette; without the switch, or at other depths, nothing moves.
TEST(ColourRamps, The8BitPaletteRampsTurnEverySixthFrame) {
  struct CASE {
    int nMode;  // index into AllModes()
    bool bCycle;
    bool bTurns;
  } cases[] = {{0, true, true}, {0, false, false}, {1, true, false}};
  for (const CASE& c : cases) {
    cGraphicsFixture fx(AllModes()[static_cast<size_t>(c.nMode)]);
    ASSERT_TRUE(fx.Ok());
    BYTE before[256 * 4];
    std::memcpy(before, g_WorkPalette, sizeof before);
    COLOURRAMPS r;
    for (int i = 0; i < 5; ++i) StepColourRamps(r, 16, c.bCycle);
    EXPECT_EQ(std::memcmp(before, g_WorkPalette, sizeof before), 0) << c.nMode;
    StepColourRamps(r, 16, c.bCycle);
    BYTE want[256 * 4];
    std::memcpy(want, before, sizeof want);
    if (c.bTurns) {
      for (int g = 0; g < 8; ++g)
        for (int s = 0; s < 4; ++s)
          std::memcpy(want + (208 + g * 4 + s) * 4, before + (208 + g * 4 + (s + 3) % 4) * 4, 4);
    }
    EXPECT_EQ(std::memcmp(want, g_WorkPalette, sizeof want), 0) << c.nMode << " " << c.bCycle;
    if (c.bTurns) {
      EXPECT_EQ(std::memcmp(DDGetPaletteEntries() + 208 * 4, want + 208 * 4, 32 * 4), 0);
    }
    // Entries outside the ramps never move.
    EXPECT_EQ(std::memcmp(before, g_WorkPalette, 208 * 4), 0);
    EXPECT_EQ(std::memcmp(before + 240 * 4, g_WorkPalette + 240 * 4, 16 * 4), 0);
  }
}
