#include "play/game_object.h"

#include <gtest/gtest.h>

#include <cmath>

#include "play/condition_pass.h"
#include "play/shot_lists.h"
#include "records/system.h"
#include "tests/play/play_fixture.h"

namespace {

class GameObjectTest : public cPlayFixture {
 protected:
  void SetUp() override {
    Start(MakeBlockStage(30, 20, 10));
    // Scroll limits inside the stage area: x [400, 1200), y [400, 900).
    m_Ctx.m_aScroll[SCROLL_X].nMin = 400;
    m_Ctx.m_aScroll[SCROLL_X].nMax = 1200;
    m_Ctx.m_aScroll[SCROLL_Y].nMin = 400;
    m_Ctx.m_aScroll[SCROLL_Y].nMax = 900;
  }
};

TEST_F(GameObjectTest, ClampCodesAtEveryEdge) {
  // Stage area x [320, 1280), y [320, 960); padded x [0, 1600), y [0, 1280);
  // a 16 × 16 box.
  struct CASE {
    bool bVertical;
    int nMode;
    double dIn;
    double dOut;
    int nResult;
  } cases[] = {
      {false, 0, 390, 400, 0},  {false, 0, 1185, 1184, 0}, {false, 0, 1184, 1184, 0},
      {false, 1, 300, 320, 0},  {false, 1, 1270, 1264, 0}, {false, 1, 350, 350, 1},
      {false, 1, 1190, 1190, 1}, {false, 1, 500, 500, 0},  {false, 2, -5, 0, 3},
      {false, 2, 1590, 1584, 3}, {false, 2, 100, 100, 2},  {false, 2, 1270, 1270, 2},
      {false, 2, 350, 350, 1},  {false, 2, 1190, 1190, 1}, {false, 2, 500, 500, 0},
      {false, 9, -50, -50, 0},
      {true, 0, 390, 400, 0},   {true, 0, 890, 884, 0},   {true, 1, 300, 320, 0},
      {true, 1, 950, 944, 0},   {true, 1, 350, 350, 1},   {true, 1, 890, 890, 4},
      {true, 2, -1, 0, 3},      {true, 2, 1270, 1264, 6}, {true, 2, 100, 100, 2},
      {true, 2, 950, 950, 5},   {true, 2, 350, 350, 1},   {true, 2, 890, 890, 4},
      {true, 2, 500, 500, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.bVertical ? "y" : "x") << " mode " << c.nMode << " at " << c.dIn);
    cTestObj o;
    Place(o, 500, 500, 16, 16, 0, 0);
    if (c.bVertical) {
      o.m_dY = c.dIn;
      EXPECT_EQ(o.ClampY(c.nMode), c.nResult);
      EXPECT_EQ(o.m_dY, c.dOut);
      EXPECT_EQ(o.m_dBottom, c.dOut + 15.0);
      EXPECT_EQ(o.m_nCellBottom, static_cast<int>(c.dOut + 15.0) >> 5);
    } else {
      o.m_dX = c.dIn;
      EXPECT_EQ(o.ClampX(c.nMode), c.nResult);
      EXPECT_EQ(o.m_dX, c.dOut);
      EXPECT_EQ(o.m_dRight, c.dOut + 15.0);
      EXPECT_EQ(o.m_nCellLeft, static_cast<int>(c.dOut) >> 5);
    }
  }
}

TEST_F(GameObjectTest, StepKeepsTheSpeedWithinTheLimitOfEachLevel) {
  struct CASE {
    uint32_t nLevel;
    double dMax;
  } cases[] = {{1, 6.0}, {10, 6.0}, {15, 12.0}, {19, 60.0 / 9.0}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nLevel);
    g_Stage.SetSpeedLevel(c.nLevel);
    cTestObj o;
    Place(o, 500, 500, 16, 16, 0, 0);
    o.m_dSpeedX = c.dMax;
    EXPECT_EQ(o.MoveX(2), 0);
    EXPECT_EQ(o.m_dSpeedX, c.dMax);
    EXPECT_EQ(o.m_dX, 500 + c.dMax);
    o.m_dSpeedY = -(c.dMax + 0.001);
    o.MoveY(2);
    EXPECT_EQ(o.m_dSpeedY, -c.dMax);
  }
  // Edge results pass through: 4 (below the scroll range) comes back.
  cTestObj o;
  Place(o, 500, 880, 16, 16, 0, 0);
  o.m_dSpeedY = 5.0;
  EXPECT_EQ(o.MoveY(2), 4);
}

TEST_F(GameObjectTest, GravityIsTheBaseOverTheSquareOfTheDivisor) {
  struct CASE {
    uint32_t nLevel;
    double dGravity;
  } cases[] = {{1, 0.4}, {10, 0.004}, {15, 0.016}};
  for (const CASE& c : cases) {
    g_Stage.SetSpeedLevel(c.nLevel);
    cTestObj o;
    Place(o, 500, 500, 16, 16, 0, 0);
    o.ApplyGravity();
    EXPECT_DOUBLE_EQ(o.m_dSpeedY, c.dGravity);
    o.SetMoveType(1);
    o.ApplyGravity();
    EXPECT_DOUBLE_EQ(o.m_dSpeedY, c.dGravity);
  }
}

TEST_F(GameObjectTest, MoveTypesAndDeceleration) {
  cTestObj o;
  const int expect[5][2] = {{0, 1}, {1, 0}, {1, 1}, {1, 2}, {1, 2}};
  for (int t = 0; t < 5; ++t) {
    o.SetMoveType(t);  // 4 changes nothing
    EXPECT_EQ(o.m_nNoGravity, expect[t][0]);
    EXPECT_EQ(o.m_nMoveAxes, expect[t][1]);
  }
  o.m_dDecel = 0.5;
  double v = 0.3;
  o.Decelerate(v, 1);
  EXPECT_EQ(v, 0.0);
  v = -1.0;
  o.Decelerate(v, 1);
  EXPECT_EQ(v, -0.5);
  o.Decelerate(v, 0);
  EXPECT_EQ(v, -0.5);
}

TEST_F(GameObjectTest, ScreenAndRemovalAreaTests) {
  m_Ctx.m_aScroll[SCROLL_X].dPos = 400;
  m_Ctx.m_aScroll[SCROLL_Y].dPos = 400;
  cTestObj o;
  Place(o, 1039, 879, 16, 16, 0, 0);  // the last pixel of the view at 1039, 879
  EXPECT_EQ(o.IsOnScreen(), 1);
  o.m_dX = 1040;
  o.ClampX(-1);
  EXPECT_EQ(o.IsOnScreen(), 0);
  EXPECT_EQ(o.IsInViewAxes(1, 0), 1);

  REMOVALAREA none{0, 0, 0, 0, 0, 0, 0, 0};
  REMOVALAREA right{0, 1, 0, 0, 0, 2, 0, 0};
  EXPECT_EQ(o.IsOutOfArea(none), 0);
  o.m_dX = 400 + 640 + 64;  // exactly two cells beyond the view
  o.ClampX(-1);
  EXPECT_EQ(o.IsOutOfArea(right), 1);
  o.m_dX -= 1;
  o.ClampX(-1);
  EXPECT_EQ(o.IsOutOfArea(right), 0);
  // At x = 0 an object is out whatever the switches say.
  o.m_dX = 0;
  o.ClampX(-1);
  EXPECT_EQ(o.IsOutOfArea(none), 1);

  // An area whose right side lies three cells inside the view: a shot past
  // that line is out until the conditions pass has seen it on the screen.
  cShotLists shots;
  cShot& s = shots.Add(std::make_unique<cShot>());
  Place(s, 400 + 600, 500, 16, 16, 0, 1);
  const REMOVALAREA inside{0, 1, 0, 0, 0, -3, 0, 0};
  EXPECT_EQ(s.IsOutOfArea(inside), 1);
  EvaluateCharaConditions(shots);
  EXPECT_EQ(s.m_bOnScreen, 1);
  EXPECT_EQ(s.IsOutOfArea(inside), 0);
}

TEST_F(GameObjectTest, ScaleKeepsTheCentreAndEqualScalesChangeNothing) {
  cTestObj o;
  Place(o, 500, 500, 16, 24, 0, 0);
  o.SetScale(1, 1);
  EXPECT_EQ(o.m_nBoxW, 16);
  o.SetScale(2, 1);
  EXPECT_EQ(o.m_nBoxW, 32);
  EXPECT_EQ(o.m_nBoxH, 48);
  EXPECT_EQ(o.m_dX, 492.0);
  EXPECT_EQ(o.m_dRight, 523.0);
  o.SetScale(1, 2);
  EXPECT_EQ(o.m_dX, 500.0);
}

TEST_F(GameObjectTest, WavesAndComponentSpeeds) {
  g_Stage.SetSpeedLevel(2);
  cTestObj o;
  double phase = 0.0;
  const double k = 90 * 0.017453292519943295;
  EXPECT_DOUBLE_EQ(o.WaveSpeedCos(3.0, 90, phase, 2.0, 0.0), k * 3.0 / 2.0);
  EXPECT_EQ(phase, 2.0);
  phase = 719.0;  // wraps once at F × 360 = 720
  o.WaveSpeedCos(3.0, 90, phase, 2.0, 0.0);
  EXPECT_EQ(phase, 1.0);

  double vx = 9, vy = 9;
  o.ComponentSpeeds(vx, vy, 0, 1, 1);
  EXPECT_EQ(vx, 9);  // a speed of 0 writes nothing
  o.ComponentSpeeds(vx, vy, 8, 0, 0);
  EXPECT_EQ(vx, 0);
  EXPECT_EQ(vy, 0);
  o.ComponentSpeeds(vx, vy, 8, -3, 1);
  EXPECT_DOUBLE_EQ(vx, -((std::sqrt(1.0 + 256.0 * 6.0) - 1.0) / 4.0));
  EXPECT_DOUBLE_EQ(vy, (std::sqrt(1.0 + 256.0 * 2.0) - 1.0) / 4.0);
}

}  // namespace

namespace {

class MoveTowardTest : public cPlayFixture {
 protected:
  void SetUp() override {
    Start(MakeBlockStage(60, 15, 1));
    m_Saved = g_System.m_bFollowScroll;
  }
  void TearDown() override {
    g_System.m_bFollowScroll = m_Saved;
    cPlayFixture::TearDown();
  }
  uint32_t m_Saved = 0;
};

TEST_F(MoveTowardTest, SpeedTowardOneAxis) {
  double v, other = 9;
  int dir;
  EXPECT_EQ(SpeedToward(SCROLL_X, v, other, dir, nullptr, 10, 20, 3, 0, 1), 0);
  EXPECT_EQ(v, 3.0);
  EXPECT_EQ(dir, 2);
  EXPECT_EQ(other, 0.0);
  EXPECT_EQ(SpeedToward(SCROLL_X, v, other, dir, nullptr, 20, 19, 3, 0, 1), 1);
  EXPECT_EQ(v, -3.0);
  EXPECT_EQ(dir, 1);
  EXPECT_EQ(SpeedToward(SCROLL_Y, v, other, dir, nullptr, 20, 19, 3, 0, 0), 0);
  EXPECT_EQ(dir, 0);
  // Carried by a moving scroll with the project's setting on, the object
  // takes the scroll speed along; not at a limit of the scroll.
  cTestObj o;
  o.m_nFollowScroll = 1;
  g_System.m_bFollowScroll = 1;
  m_Ctx.SetScrollSpeed(SCROLL_X, TRUE, 10);  // 1 pixel a frame
  m_Ctx.m_aScroll[SCROLL_X].dPos = 500;
  m_Ctx.ClampScroll(SCROLL_X);
  SpeedToward(SCROLL_X, v, other, dir, &o, 10, 20, 3, 0, 0);
  EXPECT_EQ(v, 4.0);
  SpeedToward(SCROLL_X, v, other, dir, &o, 10, 20, 3, 1, 0);
  EXPECT_EQ(v, 3.0);
  m_Ctx.m_aScroll[SCROLL_X].dPos = 100000;
  m_Ctx.ClampScroll(SCROLL_X);
  SpeedToward(SCROLL_X, v, other, dir, &o, 10, 20, 3, 0, 0);
  EXPECT_EQ(v, 3.0);
}

TEST_F(MoveTowardTest, AimVelocityAndTheScroll) {
  double vx, vy;
  int dir;
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 0, 0, 30, 40, 5, 0, 0, 1), 0);
  EXPECT_DOUBLE_EQ(vx, 3.0);
  EXPECT_DOUBLE_EQ(vy, 4.0);
  EXPECT_EQ(dir, 2);
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 0, 0, 3, -4, 5, 0, 0, 1), 1);
  // A negative speed flees along a diagonal.
  AimVelocity(vx, vy, dir, nullptr, 0, 0, 30, 40, -2, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, -std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(vy, -std::sqrt(2.0));
  EXPECT_EQ(dir, 1);
  AimVelocity(vx, vy, dir, nullptr, 0, 0, 0, 0, 2, 0, 0, 0);
  EXPECT_EQ(dir, 0);

  // Carried by a screen scrolling right at 1 pixel a frame, straight up to
  // the point: v = (−1, −√3), so that v + scroll runs straight up.
  cTestObj o;
  o.m_nFollowScroll = 1;
  m_Ctx.SetScrollSpeed(SCROLL_X, TRUE, 10);
  m_Ctx.m_aScroll[SCROLL_X].dPos = 500;
  m_Ctx.ClampScroll(SCROLL_X);
  AimVelocity(vx, vy, dir, &o, 0, 0, 0, -100, 2, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, -1.0);
  EXPECT_DOUBLE_EQ(vy, -std::sqrt(3.0));
  AimVelocity(vx, vy, dir, &o, 0, 0, 0, -100, 2, 1, 0, 0);  // relative: minus the scroll
  EXPECT_DOUBLE_EQ(vx, -1.0);
  EXPECT_DOUBLE_EQ(vy, -2.0);
  // Slower than the screen, against it: no way to meet the point.
  m_Ctx.SetScrollSpeed(SCROLL_X, TRUE, 50);
  AimVelocity(vx, vy, dir, &o, 0, 0, -100, 0, 1, 0, 0, 0);
  EXPECT_EQ(vx, 0.0);
  EXPECT_EQ(vy, 0.0);
}

TEST_F(MoveTowardTest, TargetPointsAndSurfaceChoice) {
  cTestObj o;
  Place(o, 500, 500, 16, 16, 0, 0);
  o.m_nImgW = 32, o.m_nImgH = 32;
  o.UpdateScreenRect();  // scroll (320, 320): picture at (180, 180)
  cEdMove m;
  m.SetDefaults();
  int x, y;
  GetMoveTargetPoint(o, m, 10, 20, x, y);
  EXPECT_EQ(x, 196 + 10);
  EXPECT_EQ(y, 196 + 20);
  m.m_byOnlyY = 1;
  GetMoveTargetPoint(o, m, 10, 20, x, y);
  EXPECT_EQ(x, 196);
  m.m_byOnlyX = 1;  // wins
  GetMoveTargetPoint(o, m, 10, 20, x, y);
  EXPECT_EQ(x, 206);
  EXPECT_EQ(y, 196);

  static bool s_bLoaded[64];
  auto Loaded = [](int n) { return n >= 0 && n < 64 && s_bLoaded[n]; };
  s_bLoaded[5] = true;
  s_bLoaded[23] = false;
  EXPECT_EQ(ChooseSurfaceIndex(5, 1, false, Loaded), 5);
  EXPECT_EQ(ChooseSurfaceIndex(5, 1, true, Loaded), 5);
  EXPECT_EQ(ChooseSurfaceIndex(5, 0, true, Loaded), 5);
  s_bLoaded[23] = true;
  EXPECT_EQ(ChooseSurfaceIndex(5, 1, true, Loaded), 23);
  s_bLoaded[5] = false;
  EXPECT_EQ(ChooseSurfaceIndex(5, 0, true, Loaded), 23);
}

}  // namespace
