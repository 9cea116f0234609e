#include "play/hit_effect.h"

#include <gtest/gtest.h>

#include "platform/game_random.h"
#include "records/database.h"

namespace {

class HitEffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_vSaved = g_Database.m_vecEffect;
    g_Database.m_vecEffect.clear();
    g_Database.m_vecEffect.resize(4);
    // 1: two frames of a tenth each; 2: scalable, one frame; 3: no frames.
    cEdEffect& a = g_Database.m_vecEffect[1];
    a.m_vecFrame.clear();
    for (int p : {2, 5}) {
      cEdEffectFrame f = cEdEffectFrame::MakeDefault();
      f.nPattern = p;
      f.nTime = 1;
      a.m_vecFrame.push_back(f);
    }
    cEdEffect& b = g_Database.m_vecEffect[2];
    b.bScalable = 1;
    b.m_vecFrame.assign(1, cEdEffectFrame::MakeDefault());
    g_Database.m_vecEffect[3].m_vecFrame.clear();
  }
  void TearDown() override { g_Database.m_vecEffect = m_vSaved; }
  cVector<cEdEffect> m_vSaved;
};

}  // namespace

TEST_F(HitEffectTest, PlacedAtTheMeetingOfTheBoxesWithAScaledRandomOffset) {
  struct Case {
    const char* name;
    int effect, magnify;
    HITBOX a, b;
    double x, y;  // before the offset
    int size, k;
  } cases[] = {
      {"overlap", 1, 3, {100, 100, 131, 131}, {120, 110, 200, 200}, 120 + 6 - 16, 110 + 11 - 16, 32, 1},
      {"apart: the map's corner", 1, 1, {0, 0, 10, 10}, {50, 50, 60, 60}, -16, -16, 32, 1},
      {"scalable ×3", 2, 3, {100, 100, 131, 131}, {100, 100, 131, 131}, 100 + 16 - 48, 100 + 16 - 48, 96, 3},
      {"scalable ×0 counts as 1", 2, 0, {100, 100, 131, 131}, {100, 100, 131, 131}, 100, 100, 32, 1},
      {"scalable −2 counts as 1", 2, 0xFE, {100, 100, 131, 131}, {100, 100, 131, 131}, 100, 100, 32, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    srand(11);
    const int rx = rand() % (8 * c.k + 1) - 4 * c.k;
    const int ry = rand() % (8 * c.k + 1) - 4 * c.k;
    srand(11);
    cHitEffect e;
    e.HitEffectSetup(c.effect, c.a, c.b, c.magnify);
    EXPECT_EQ(e.m_nWidth, c.size);
    EXPECT_EQ(e.m_bMagnified, c.k > 1 ? 1 : 0);
    EXPECT_DOUBLE_EQ(e.m_dX, c.x + rx);
    EXPECT_DOUBLE_EQ(e.m_dY, c.y + ry);
  }
}

TEST_F(HitEffectTest, AnimationRunsItsFramesAndEndsInTheFrameItRunsOut) {
  cHitEffect e;
  e.EffectObjectSetup(1, 300, 200, 32, 32, 0);
  EXPECT_EQ(e.m_bMagnified, 0);
  HITEFFECTDRAW d;
  std::vector<int> cells;
  int n = 0;
  while (!e.DrawHitEffect(d, 0, 100, 50, 0) && n < 100) {
    cells.push_back(d.nSrcX / 32);
    ++n;
  }
  EXPECT_EQ(n, 12);
  EXPECT_EQ(cells.front(), 2);
  EXPECT_EQ(cells.back(), 5);
  EXPECT_EQ(d.nDstX, 200);
  EXPECT_EQ(d.nDstY, 150);
  EXPECT_EQ(d.nSurface, 0);
  EXPECT_EQ(d.bStretch, 0);

  // Paused: stays on its cell unless it keeps running.
  for (int keep : {0, 1}) {
    cHitEffect p;
    p.EffectObjectSetup(1, 0, 0, 32, 32, keep);
    for (int i = 0; i < 6; ++i) p.DrawHitEffect(d, 0, 0, 0, 0);
    for (int i = 0; i < 4; ++i) ASSERT_EQ(p.DrawHitEffect(d, 1, 0, 0, 0), 0);
    EXPECT_EQ(d.nSrcX / 32, keep ? 5 : 2) << "keep " << keep;
  }
  // No frames, or entry 0: finished at once.
  for (int id : {3, 0}) {
    cHitEffect z;
    z.EffectObjectSetup(id, 0, 0, 32, 32, 0);
    EXPECT_EQ(z.DrawHitEffect(d, 0, 0, 0, 0), 1) << id;
  }
}

TEST_F(HitEffectTest, MagnifiedEffectsStretchFromTheirSecondSurface) {
  cHitEffect e;
  e.EffectObjectSetup(2, 0, 0, 64, 64, 0);
  EXPECT_EQ(e.m_bMagnified, 1);
  HITEFFECTDRAW d;
  ASSERT_EQ(e.DrawHitEffect(d, 0, 0, 0, 0), 0);
  EXPECT_EQ(d.bStretch, 1);
  EXPECT_EQ(d.nSurface, 3);
  EXPECT_EQ(d.nSrcW, 32);
  EXPECT_EQ(d.nDstW, 64);
  ASSERT_EQ(e.DrawHitEffect(d, 0, 0, 0, 1), 0);
  EXPECT_EQ(d.nSurface, 2);
}
