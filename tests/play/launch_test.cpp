#include "play/launch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/game_random.h"
#include "play/play_math.h"
#include "tests/play/play_fixture.h"

namespace {

std::vector<LAUNCHCONTEXT>* g_lpMade = nullptr;
void Record(LAUNCH&, const LAUNCHCONTEXT& c) { g_lpMade->push_back(c); }

double AngleOf(const LAUNCHCONTEXT& c) {
  double a = std::atan2(-c.dVelY, -c.dVelX) / kDegToRad;
  if (a < -1e-9) a += 360.0;
  return a;
}

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lpMade = &m_vMade;
    m_Shot.SetDefaults();
    m_Shot.m_cSize = 1;
    m_Shot.m_nSpeed = 30;
    m_Shot.m_byMirrorAngle = 0;
    m_Launch.pfnSpawn = Record;
    m_Launch.box = {400, 300, 431, 331};
    m_Launch.owner.nDir = 0;
  }
  void TearDown() override { g_lpMade = nullptr; }
  std::vector<double> Fire() {
    m_vMade.clear();
    FireShot(m_Launch, m_Shot);
    std::vector<double> v;
    for (const auto& c : m_vMade) v.push_back(AngleOf(c));
    return v;
  }

  cEdShot m_Shot;
  LAUNCH m_Launch;
  std::vector<LAUNCHCONTEXT> m_vMade;
};

void ExpectAngles(const std::vector<double>& got, const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << "object " << i;
}

}  // namespace

TEST_F(LaunchTest, PatternAnglesAndWaves) {
  struct Case {
    const char* name;
    int pattern, count, spacing, dirMode, facing, angle, angleStep, waves, mirror;
    std::vector<double> want;
  } cases[] = {
      {"fan of 3 left", 2, 3, 20, 0, 0, 0, 0, 0, 0, {340, 0, 20}},
      {"fan of 4 left", 2, 4, 20, 0, 0, 0, 0, 0, 0, {330, 350, 10, 30}},
      {"fan of 3 right", 2, 3, 10, 0, 1, 0, 0, 0, 0, {170, 180, 190}},
      {"fan with offset", 2, 1, 10, 0, 0, 45, 0, 0, 0, {45}},
      {"burst of 8 left", 4, 8, 0, 0, 0, 0, 0, 0, 0, {0, 45, 90, 135, 180, 225, 270, 315}},
      {"burst of 4 down", 4, 4, 0, 7, 0, 0, 0, 0, 0, {270, 0, 90, 180}},
      {"three waves step 15", 4, 1, 0, 0, 0, 10, 15, 2, 0, {10, 25, 40}},
      {"mirrored angle facing right", 4, 1, 0, 2, 1, 30, 0, 0, 1, {330}},
      {"row left", 0, 3, 1, 0, 0, 0, 0, 0, 0, {0, 0, 0}},
      {"row with angle", 0, 1, 1, 0, 0, 90, 0, 0, 0, {90}},
      {"column up-right", 1, 2, 0, 10, 0, 0, 0, 0, 0, {135, 135}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_Shot.m_byPattern = static_cast<uint8_t>(c.pattern);
    m_Shot.m_cCount = static_cast<int8_t>(c.count);
    m_Shot.m_nSpacing = static_cast<int16_t>(c.spacing);
    m_Shot.m_byDirMode = static_cast<uint8_t>(c.dirMode);
    m_Shot.m_nAngle = static_cast<int16_t>(c.angle);
    m_Shot.m_nAngleStep = static_cast<int16_t>(c.angleStep);
    m_Shot.m_cWaves = static_cast<int8_t>(c.waves);
    m_Shot.m_byMirrorAngle = static_cast<uint8_t>(c.mirror);
    m_Launch.owner.nDir = c.facing;
    ExpectAngles(Fire(), c.want);
  }
}

TEST_F(LaunchTest, StartPointsBesideTheOwner) {
  // Row of 2 to the left, spacing 1 half-cell: just outside the left edge,
  // centred on the owner across the direction.
  m_Shot.m_byPattern = 0;
  m_Shot.m_cCount = 2;
  m_Shot.m_nSpacing = 1;
  m_Shot.m_nOffsetX = 0;
  Fire();
  ASSERT_EQ(m_vMade.size(), 2u);
  EXPECT_EQ(m_vMade[0].nX, 400 - 16 + 1);
  EXPECT_EQ(m_vMade[0].nY, 316 - 8 - 16);
  EXPECT_EQ(m_vMade[1].nY, m_vMade[0].nY + 32);
  // Column to the right rises from the feet.
  m_Shot.m_byPattern = 1;
  m_Shot.m_nSpacing = 0;
  m_Launch.owner.nDir = 1;
  m_Shot.m_nOffsetX = 0;
  Fire();
  ASSERT_EQ(m_vMade.size(), 2u);
  EXPECT_EQ(m_vMade[0].nX, 432);
  EXPECT_EQ(m_vMade[0].nY, 331 - 16 + 1);
  EXPECT_EQ(m_vMade[1].nY, m_vMade[0].nY - 16);
}

TEST_F(LaunchTest, TargetPatternsNeedATarget) {
  m_Shot.m_cCount = 4;
  m_Shot.m_nSpacing = 4;
  for (int p : {3, 5}) {
    m_Shot.m_byPattern = static_cast<uint8_t>(p);
    EXPECT_TRUE(Fire().empty()) << "pattern " << p;
  }
  // With a target the ring closes in on its centre from R = 64 pixels.
  LAUNCHBOX target{1000, 500, 1031, 531};
  m_Launch.lpTarget = &target;
  m_Shot.m_byPattern = 5;
  Fire();
  ASSERT_EQ(m_vMade.size(), 4u);
  for (const auto& c : m_vMade) {
    const double cx = c.nX + 8.0, cy = c.nY + 8.0;
    const double dot = (target.CentreX() - cx) * c.dVelX + (target.CentreY() - cy) * c.dVelY;
    EXPECT_GT(dot, 0.0);
    EXPECT_NEAR(std::hypot(target.CentreX() - cx, target.CentreY() - cy), 64.0, 1.0);
  }
  // From the screen edge: entering at the right edge on the target's line.
  m_Shot.m_byPattern = 3;
  m_Shot.m_cCount = 1;
  m_Shot.m_bySetting21 = 2;
  m_Launch.dScrollX = 320;
  Fire();
  ASSERT_EQ(m_vMade.size(), 2u);
  EXPECT_EQ(m_vMade[0].nX, 320 + 640 - 16);
  EXPECT_EQ(m_vMade[0].nY, 516 - 8);
  EXPECT_LT(m_vMade[1].nX, m_vMade[0].nX);
}

TEST_F(LaunchTest, SpreadDrawsOnlyWhenSetAndBadPatternsLaunchNothing) {
  m_Shot.m_byPattern = 4;
  m_Shot.m_cCount = 1;
  srand(7);
  Fire();
  const int nNext = rand();
  srand(7);
  EXPECT_EQ(rand(), nNext);  // a spread of 0 drew nothing
  m_Shot.m_nSpread = 10;
  srand(7);
  const double a = Fire()[0];
  EXPECT_TRUE(a <= 10 || a >= 350);
  EXPECT_NE(rand(), nNext);
  m_Shot.m_byPattern = 6;
  EXPECT_TRUE(Fire().empty());
  m_Shot.m_byPattern = 4;
  m_Shot.m_cCount = -3;
  EXPECT_TRUE(Fire().empty());
}

class FireShotTest : public cPlayFixture {};

TEST_F(FireShotTest, ShotsJoinTheListNumberedWithTheirWavesValues) {
  Start(MakeBlockStage(60, 30, 2));  // n = 2
  cEdShot p;
  p.SetDefaults();
  p.m_cSize = 1;
  p.m_byPattern = 4;
  p.m_cCount = 2;
  p.m_cWaves = 1;
  p.m_nSpeed = 40;
  p.m_nSpeedStep = 20;
  p.m_bySetting41 = 1;  // life on
  p.m_nLaunch2 = 3;
  p.m_nLaunch2Step = 1;
  p.m_byOwnerGroup = 1;
  p.m_byGroupValue = 9;
  SHOTLIST lst;
  int32_t nSerial = 40;
  SHOTSPAWN spawn{&lst, &nSerial};
  LAUNCH l;
  l.box = {1000, 600, 1031, 631};
  l.owner.nGroup = 2;
  l.pfnSpawn = SpawnShot;
  l.lpUser = &spawn;
  FireShot(l, p);
  ASSERT_EQ(lst.size(), 4u);
  EXPECT_EQ(nSerial, 44);
  int nExpectSerial = 40;
  int i = 0;
  for (auto& s : lst) {
    SCOPED_TRACE(i);
    EXPECT_EQ(s->m_nSerial, nExpectSerial++);
    EXPECT_EQ(s->m_nGroup, 2);
    const int w = i / 2;
    // Speed 4 (then 6) pixels a frame over 2 sub-steps; life (3 + w) × n × 6.
    EXPECT_NEAR(std::hypot(s->m_dVelX, s->m_dVelY), (4.0 + 2.0 * w) / 2, 1e-12);
    EXPECT_EQ(s->m_nLife, (3 + w) * 2 * 6);
    ++i;
  }
}

namespace {
std::vector<int32_t>* g_lpLinked = nullptr;
void RecordLink(LAUNCH&, int32_t n) { g_lpLinked->push_back(n); }
}  // namespace

TEST_F(FireShotTest, LinkedShotTypesAndSummonLayout) {
  Start(MakeBlockStage(60, 30, 1));
  cEdShot p;
  p.SetDefaults();
  p.m_cSize = 1;
  p.m_byPattern = 4;
  p.m_cCount = 2;
  SHOTLIST lst;
  int32_t nSerial = 1;
  SHOTSPAWN spawn{&lst, &nSerial};
  std::vector<int32_t> linked;
  g_lpLinked = &linked;
  LAUNCH l;
  l.box = {1000, 600, 1031, 631};
  l.pfnSpawn = SpawnShot;
  l.lpUser = &spawn;
  l.pfnLinkShot = RecordLink;
  for (int t : {3, 6, 0}) {
    p.m_bySwordType = static_cast<uint8_t>(t);
    FireShot(l, p);
  }
  EXPECT_EQ(linked, (std::vector<int32_t>{1, 2, 3, 4, -1, -1}));
  g_lpLinked = nullptr;

  // A summon ignores speed, angle and waves: one wave at speed 1, angle 0,
  // objects of the given size centred on the owner.
  std::vector<LAUNCHCONTEXT> made;
  g_lpMade = &made;
  l.pfnSpawn = Record;
  p.m_nSpeed = 90;
  p.m_nAngle = 45;
  p.m_cWaves = 3;
  p.m_cCount = 1;
  SummonLaunch(l, p, 64);
  g_lpMade = nullptr;
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0].dVelX, -1.0);
  EXPECT_EQ(made[0].nX, 1016 - 32);
  EXPECT_EQ(made[0].nWidth, 64);
}
