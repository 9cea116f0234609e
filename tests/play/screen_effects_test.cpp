#include "play/screen_effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "play/game_object.h"
#include "records/effect_records.h"
#include "records/stage.h"
#include "tests/play/draw_fixture.h"

namespace {

std::vector<std::string> s_vCalls;

void Rec(const char* fmt, int a, int b, int c, int d, int e = 0, int f = 0, int g = 0) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a, b, c, d, e, f, g);
  s_vCalls.push_back(buf);
}

const SCREENEFFECTBLITS s_Recorder = {
    [](DDSURFACEDATA*, DDSURFACEDATA*, int nStrip, int nShift, BOOL bCols) {
      Rec("interlace %d %d %d", nStrip, nShift, bCols, 0);
    },
    [](DDSURFACEDATA*, DDSURFACEDATA*, int nScale, int nAmp, int nPhase, int nStrip, BOOL bCols) {
      Rec("wave %d %d %d %d %d", nScale, nAmp, nPhase, nStrip, bCols);
    },
    [](DDSURFACEDATA*, DDSURFACEDATA*, int cx, int cy, int nDeg) { Rec("rotate %d %d %d", cx, cy, nDeg, 0); },
    [](DDSURFACEDATA*, int cx, int cy, int w, int h, int r, int nStrip, DDSURFACEDATA*, int, int) {
      Rec("circle %d %d %d %d %d %d", cx, cy, w, h, r, nStrip);
    },
    [](DDSURFACEDATA*, int cx, int cy, int r, int nStrength, DDSURFACEDATA*, int, int) {
      Rec("lens %d %d %d %d", cx, cy, r, nStrength);
    },
    [](DDSURFACEDATA*, DDSURFACEDATA*, int nBlock) { Rec("mosaic %d", nBlock, 0, 0, 0); },
};

class ScreenEffects : public ::testing::Test {
 protected:
  void SetUp() override {
    m_lpFx = std::make_unique<cDrawFixture>(DrawModes()[1]);
    ASSERT_TRUE(m_lpFx->Ok());
    m_lpFx->MakeSurface(STAGESURFACE_WORK, 640, 480);
    m_lpFx->MakeSurface(STAGESURFACE_WORK2, 640, 480);
    m_SavedBlits = g_ScreenEffectBlits;
    g_ScreenEffectBlits = s_Recorder;
    s_vCalls.clear();
    DDFillSurface(&g_BackBufferSD, 16);
    m_c16 = BackPixel(0, 0);
  }
  void TearDown() override {
    g_ScreenEffectBlits = m_SavedBlits;
    m_lpFx.reset();
  }
  // Starts kind nKind with parameters P0-P4, its value at t0 stepping by dStep.
  void Start(int nKind, std::vector<int32_t> P, double t0, double dStep) {
    m_Record.nKind = nKind;
    for (int i = 0; i < 5; ++i) m_Record.anParam[i] = P[static_cast<size_t>(i)];
    ClearScreenEffect(m_E);
    m_E.run.nEffect = 1;
    m_E.run.lpRecord = &m_Record;
    m_E.run.dCurrent = t0;
    m_E.run.dStep = dStep;
  }
  void Frame(BOOL bPaused = 0, const cGameObj* lpPlayer = nullptr) {
    RunScreenEffect(m_E, &g_BackBufferSD, bPaused, lpPlayer);
  }

  std::unique_ptr<cDrawFixture> m_lpFx;
  SCREENEFFECTBLITS m_SavedBlits{};  // the media layer's, put back after each test
  cEdScrEffect m_Record;
  SCREENEFFECT m_E;
  uint32_t m_c16 = 0;
};

}  // namespace

TEST_F(ScreenEffects, MoveSlidesTwoPixelsAFrameToItsEnd) {
  Start(1, {50, 0, 0, 100, 0}, 0, 1.0);
  for (int k = 1; k <= 50; ++k) {
    DDFillSurface(&g_BackBufferSD, 40);
    DDFillRect(&g_BackBufferSD, 0, 0, 1, 1, 41);
    const uint32_t mark = BackPixel(0, 0);
    const int a = m_E.a;
    Frame();
    ASSERT_EQ(m_E.run.nEffect, 1) << k;
    EXPECT_EQ(BackPixel(a, 0), mark) << k;
    if (a > 0) {
      EXPECT_EQ(BackPixel(a - 1, 0), m_c16) << k;
    }
    EXPECT_EQ(m_E.a, 2 * k);
  }
  EXPECT_EQ(m_E.a, 100);
  Frame();
  EXPECT_EQ(m_E.run.nEffect, 0);
}

TEST_F(ScreenEffects, ShakeSwingsBetweenItsBoundsWithTheStripBehind) {
  Start(2, {60, 8, 6, 0, 0}, 0, 0.001);
  double lo = 0, hi = 0;
  for (int k = 0; k < 70; ++k) {
    DDFillSurface(&g_BackBufferSD, 40);
    const uint32_t c40 = BackPixel(0, 0);
    const double s = m_E.s;
    Frame();
    lo = std::min(lo, m_E.s);
    hi = std::max(hi, m_E.s);
    // (A swing within a pixel of 0 may leave no whole strip.)
    if (s >= 0.5) {
      EXPECT_EQ(BackPixel(0, 10), m_c16);
      EXPECT_EQ(BackPixel(639, 10), c40);
    } else if (s <= -0.5) {
      EXPECT_EQ(BackPixel(639, 10), m_c16);
      EXPECT_EQ(BackPixel(0, 10), c40);
    }
  }
  EXPECT_EQ(lo, -8.0);
  EXPECT_EQ(hi, 8.0);
  // A run time of 0 steps instead of dividing by zero.
  Start(2, {0, 8, 6, 0, 0}, 0, 1.0);
  Frame();
  EXPECT_TRUE(std::isfinite(m_E.s));
}

TEST_F(ScreenEffects, TransformsGetTheirArgumentsEachFrame) {
  cGameObj player;
  player.m_rcScreen = {100, 50, 131, 97};  // 32 x 48: centre (116, 74)
  struct Case {
    int nKind;
    std::vector<int32_t> P;
    double t0;
    int nFrames;
    std::vector<std::string> want;
  } cases[] = {
      {4, {10, 0, 20, 7, 0}, 0, 2, {"interlace 69 0 0", "interlace 69 1 0"}},
      {5, {10, 0, 20, 7, 0}, 3.5, 1, {"interlace 92 3 1"}},
      {4, {10, 0, 20, 0, 0}, 0, 1, {"interlace 480 0 0"}},  // no strip count: one strip
      {6, {10, 0, 30, 2, 16}, 5, 2, {"wave 2 5 0 16 0", "wave 2 6 1 16 0"}},
      {9, {10, 0, 360, 0, 0}, 45.9, 1, {"rotate 320 240 45"}},
      {10, {10, 300, 0, 8, 0}, 300, 2, {"circle 116 74 524 406 300 8", "circle 116 74 524 406 299 8"}},
      {12, {10, 0, 9, 10, -4}, 2, 1, {"lens 126 70 726 2"}},
      {13, {10, 0, 8, 0, 0}, 0, 2, {"mosaic 1", "mosaic 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nKind);
    s_vCalls.clear();
    Start(c.nKind, c.P, c.t0, 1.0);
    for (int i = 0; i < c.nFrames; ++i) Frame(0, &player);
    EXPECT_EQ(s_vCalls, c.want);
  }
}

TEST_F(ScreenEffects, TheGraphicsLayersTransformsDrawByDefault) {
  g_ScreenEffectBlits = m_SavedBlits;
  struct Case {
    int nKind;
    std::vector<int32_t> P;
    double t0;
  } cases[] = {
      {9, {10, 0, 360, 0, 0}, 180},  // a half turn about the centre
      {13, {10, 0, 8, 0, 0}, 8},     // blocks of 8 pixels
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nKind);
    DDFillSurface(&g_BackBufferSD, 40);
    DDFillRect(&g_BackBufferSD, 100, 100, 1, 1, 41);
    const uint32_t mark = BackPixel(100, 100);
    Start(c.nKind, c.P, c.t0, 1.0);
    Frame();
    // Not the picture copied back: the mark has moved or merged into its block.
    EXPECT_NE(BackPixel(100, 100), mark);
    if (c.nKind == 13) {
      EXPECT_EQ(BackPixel(100, 100), BackPixel(101, 101));
    }
  }
}

TEST_F(ScreenEffects, WavePhaseWrapsAndPausedFramesHold) {
  Start(7, {10, 0, 30, 2, 16}, 5, 1.0);
  m_E.a = 359;
  Frame();
  EXPECT_EQ(m_E.a, 0);
  s_vCalls.clear();
  const double t = m_E.run.dCurrent;
  for (int i = 0; i < 3; ++i) Frame(1);
  EXPECT_EQ(m_E.run.dCurrent, t);
  EXPECT_EQ(m_E.a, 0);
  EXPECT_EQ(s_vCalls, std::vector<std::string>(3, "wave 2 6 0 16 1"));
}

TEST_F(ScreenEffects, ZoomSwitchesFromShrinkingToEnlarging) {
  Start(11, {10, 320, 1280, 0, 0}, 320, 960.0);
  DDFillSurface(&g_BackBufferSD, 40);
  const uint32_t c40 = BackPixel(0, 0);
  Frame();
  // Half size, centred, with a border.
  EXPECT_EQ(BackPixel(0, 0), m_c16);
  EXPECT_EQ(BackPixel(159, 119), m_c16);
  EXPECT_EQ(BackPixel(160, 120), c40);
  EXPECT_EQ(BackPixel(479, 359), c40);
  EXPECT_EQ(BackPixel(480, 360), m_c16);
  // Twice the size: no border anywhere.
  DDFillSurface(&g_BackBufferSD, 40);
  Frame();
  EXPECT_EQ(BackPixel(0, 0), c40);
  EXPECT_EQ(BackPixel(639, 479), c40);
}

TEST_F(ScreenEffects, BadRecordsEndWithoutHarm) {
  Start(99, {10, 0, 0, 0, 0}, 0, 1.0);
  Frame();
  EXPECT_EQ(m_E.run.nEffect, 0);
  Start(-1, {10, 0, 0, 0, 0}, 0, 1.0);
  Frame();
  EXPECT_EQ(m_E.run.nEffect, 0);
  // Kind 0 never ends by itself.
  Start(0, {0, 0, 0, 0, 0}, 0, 1.0);
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_EQ(m_E.run.nEffect, 1);
}

TEST_F(ScreenEffects, BlinkHidesTheObjectsEveryOtherSpell) {
  // No background shown: the backgrounds drawn over the frame are colour 16.
  g_Stage.m_vecBackground.clear();
  Start(8, {20, 2, 0, 0, 0}, 0, 1.0);
  std::vector<int> hidden;
  for (int k = 0; k < 8; ++k) {
    DDFillSurface(&g_BackBufferSD, 40);
    Frame();
    hidden.push_back(BackPixel(50, 50) == m_c16 ? 1 : 0);
  }
  // The counter starts at 0 and is tested before it counts, so the first
  // spell is one frame longer than the rest.
  EXPECT_EQ(hidden, (std::vector<int>{1, 1, 1, 0, 0, 1, 1, 0}));
}
