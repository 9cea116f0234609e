#include "play/shot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <memory>

#include "play/launch.h"
#include "play/play_math.h"
#include "records/database.h"
#include "tests/play/play_fixture.h"

namespace {

// The live charas the shots may find, owned here as the scene owns them.
std::list<std::unique_ptr<cTestChara>> g_lstLive;

cGameObj* FindLive(int nId, int) {
  for (auto& c : g_lstLive)
    if (c->m_nId == nId) return c.get();
  return nullptr;
}
cGameObj* FirstLive() { return g_lstLive.empty() ? nullptr : g_lstLive.front().get(); }

class ShotTest : public cPlayFixture {
 protected:
  void SetUp() override {
    Start(MakeBlockStage(60, 30, 1));
    g_ShotLinks.pfnFindChara = FindLive;
    g_ShotLinks.pfnPlayer1 = FirstLive;
    m_Params.SetDefaults();
    m_Params.m_cSize = 1;
  }
  void TearDown() override {
    g_ShotLinks = SHOTLINKS();
    g_lstLive.clear();
    g_Database.m_vecSwordType.clear();
    cPlayFixture::TearDown();
  }
  cTestChara& AddChara(int nId, double x, double y) {
    g_lstLive.push_back(std::make_unique<cTestChara>());
    cTestChara& c = *g_lstLive.back();
    Place(c, x, y, 32, 32, 0, 1);
    c.m_nId = nId;
    return c;
  }
  // A shot at (x, y) flying left at vx pixels per sub-step.
  std::unique_ptr<cShot> Make(double x, double y, double vx, int nKind = COMMAND_KIND_SHOT) {
    LAUNCHCONTEXT c;
    c.nX = static_cast<int>(x), c.nY = static_cast<int>(y);
    c.dVelX = vx;
    c.nValue1 = m_nValue1, c.nValue2 = m_nValue2;
    auto s = std::make_unique<cShot>();
    ShotInit(*s, m_Owner, nKind, 1, 0, m_Params, c);
    return s;
  }
  // Sub-steps until the shot is finished (the shot moves too), at most nMax.
  static int Run(cShot& s, int nMax) {
    for (int i = 1; i <= nMax; ++i) {
      if (ShotStep(s)) return i;
      s.MoveX(2);
      s.MoveY(2);
      s.UpdateRectX();
      s.UpdateRectY();
    }
    return -1;
  }

  cEdShot m_Params;
  SHOTOWNER m_Owner;
  int m_nValue1 = 0, m_nValue2 = 0;
};

}  // namespace

TEST_F(ShotTest, LifeAndRangeEndAShot) {
  struct Case {
    const char* name;
    int level, life, range, stop, value1, value2;
    double vx;
    int finishedAt;  // -1: still flying after 500 sub-steps
  } cases[] = {
      {"no life, no range", 1, 0, 0, 0, 0, 0, -2, -1},
      {"life 2 at n=1", 1, 1, 0, 0, 0, 2, -2, 13},
      {"life 2 at n=2", 2, 1, 0, 0, 0, 2, -2, 25},
      {"range 4 half-cells at 2 px", 1, 0, 1, 0, 4, 0, -2, 25},
      {"range shorter than the shot", 1, 0, 1, 0, 1, 0, -2, 1},
      {"range stopping", 1, 0, 1, 1, 4, 0, -2, -1},
      {"range of a still shot", 1, 0, 1, 0, 4, 0, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(MakeBlockStage(60, 30, static_cast<uint32_t>(c.level)));
    m_Params.m_bySetting41 = static_cast<uint8_t>(c.life);
    m_Params.m_bySetting35 = static_cast<uint8_t>(c.range);
    m_Params.m_bySetting37 = static_cast<uint8_t>(c.stop);
    m_nValue1 = c.value1, m_nValue2 = c.value2;
    auto s = Make(1200, 600, c.vx * g_Stage.m_dSpeedDiv);
    EXPECT_EQ(Run(*s, 500), c.finishedAt);
  }
}

TEST_F(ShotTest, ShotStoppedAtItsRangeTravelledTheRange) {
  m_Params.m_bySetting35 = 1;
  m_Params.m_bySetting37 = 1;
  m_nValue1 = 4;  // 4 × 16 − 16 = 48 pixels
  auto s = Make(1200, 600, -2);
  EXPECT_EQ(Run(*s, 100), -1);
  EXPECT_DOUBLE_EQ(s->m_dX, 1200 - 48);
  EXPECT_EQ(s->m_dVelX, 0.0);
  // A range below one step is covered in one shortened step.
  m_nValue1 = 2;  // 16 pixels at 20 per sub-step
  auto t = Make(1200, 600, -20);
  EXPECT_DOUBLE_EQ(t->m_dVelX, -16.0);
}

TEST_F(ShotTest, AimingMotionsFollowTheirTargetsAndSurviveTheirLoss) {
  cTestChara& player = AddChara(5, 800, 600);
  // Kind 1: aims once at player 1 at the delay (2 half-cells at 2 px = 16).
  m_Params.m_byTrajectory = 1;
  m_Params.m_wSetting27 = 2;
  m_Params.m_nSpeed = 20;
  auto s = Make(1200, 600, -2);
  for (int i = 0; i < 16; ++i) ShotStep(*s);
  EXPECT_EQ(s->m_dVelX, -2.0);
  ShotStep(*s);
  EXPECT_LT(s->m_dVelX, 0.0);
  EXPECT_NEAR(std::hypot(s->m_dVelX, s->m_dVelY), 2.0, 1e-9);
  EXPECT_EQ(s->m_bMotionDone, 1u);
  (void)player;
  // Kind 6 homes on the owner's target; when that chara is erased mid-flight
  // the shot flies on with its last velocity.
  AddChara(9, 1200, 300);
  m_Params.m_byTrajectory = 6;
  m_Params.m_wSetting27 = 0;
  m_Params.m_wSetting47 = 100;
  m_Owner.nTargetId = 9;
  auto h = Make(1200, 600, -2);
  ShotStep(*h);
  EXPECT_LT(h->m_dVelY, 0.0);
  g_lstLive.pop_back();
  const double vy = h->m_dVelY;
  ShotStep(*h);
  EXPECT_EQ(h->m_dVelY, vy);
  // A motion kind from a damaged file moves straight on.
  m_Params.m_byTrajectory = 200;
  auto d = Make(1200, 600, -2);
  EXPECT_EQ(Run(*d, 50), -1);
  EXPECT_EQ(d->m_dVelX, -2.0);
}

TEST_F(ShotTest, SwordFollowsItsOwnerAndEndsWithItsFramesOrItsOwner) {
  cEdSwordType type;
  type.m_vecPart.clear();
  for (int i = 0; i < 2; ++i) {
    cEdSwordPart p = cEdSwordPart::MakeDefault();
    p.anPart[2] = 1;   // duration
    p.anPart[7] = 24;  // width
    p.anPart[8] = 8;   // height
    type.m_vecPart.push_back(p);
  }
  g_Database.m_vecSwordType.clear();
  g_Database.m_vecSwordType.push_back(type);
  cTestChara& owner = AddChara(3, 1000, 600);
  owner.m_nDir = 1;
  m_Owner.nId = 3;
  m_Params.m_bySwordType = 0;
  auto s = Make(0, 0, 0, COMMAND_KIND_SWORD);
  EXPECT_EQ(s->m_bFlying, 0u);
  EXPECT_EQ(ShotStep(*s), 0);
  EXPECT_EQ(s->m_dX, 1032.0);               // in front of the owner facing right
  EXPECT_EQ(s->m_dY, 600 + 16 - 4);         // centred on it
  EXPECT_EQ(s->m_dAtkRight - s->m_dAtkLeft + 1, 24.0);
  // Two frames of 6 sub-steps each (n = 1): the 14th step ends it.
  EXPECT_EQ(Run(*s, 100), 13);
  // The owner erased while its sword lives: the sword ends, nothing dangles.
  auto t = Make(0, 0, 0, COMMAND_KIND_SWORD);
  EXPECT_EQ(ShotStep(*t), 0);
  g_lstLive.clear();
  EXPECT_EQ(ShotStep(*t), 1);
  // A sword type missing from the database ends the sword at once.
  AddChara(3, 1000, 600);
  m_Params.m_bySwordType = 7;
  auto u = Make(0, 0, 0, COMMAND_KIND_SWORD);
  EXPECT_EQ(ShotStep(*u), 1);
}

TEST_F(ShotTest, HitListNotesEachCharaOnce) {
  auto s = Make(1200, 600, -2);
  s->NoteHit(4);
  s->NoteHit(4);
  s->NoteHit(6);
  EXPECT_EQ(s->m_lstHit.size(), 2u);
  EXPECT_EQ(s->HasHit(6), 1);
  EXPECT_EQ(s->HasHit(5), 0);
}

TEST(ShotCells, PictureNumbersMapToSixteenPixelCells) {
  struct Case {
    int m, p, x, y;
  } cases[] = {{0, 0, 0, 0}, {0, 1, 16, 0}, {29, 0, 0, 464}, {30, 0, 32, 0}, {31, 1, 48, 16}, {119, 1, 112, 464}};
  for (const Case& c : cases) {
    int x, y;
    ShotCell(c.m, c.p, x, y);
    EXPECT_EQ(x, c.x) << c.m << "/" << c.p;
    EXPECT_EQ(y, c.y) << c.m << "/" << c.p;
  }
}

class ShotBlockTest : public cPlayFixture {};

TEST_F(ShotBlockTest, WideShotsTestTheirWholeGrid) {
  cEdStage st = MakeBlockStage(40, 20, 1);
  PlaceBlock(st, 11, 5, 1);
  Start(st);
  cEdShot p;
  p.SetDefaults();
  LAUNCHCONTEXT c;
  SHOTOWNER o;
  cShot s;
  // An 80-pixel shot whose corners lie in cells 10 and 12: only the grid
  // point in between finds the block in cell 11.
  p.m_cSize = 5;
  c.nX = static_cast<int>(CellPx(10));
  c.nY = static_cast<int>(CellPx(5));
  ShotInit(s, o, COMMAND_KIND_SHOT, 1, 0, p, c);
  s.m_dX = CellPx(10);
  s.m_dY = CellPx(5);
  EXPECT_EQ(ShotHitsBlock(s), 1);
  s.m_dY = CellPx(7);
  EXPECT_EQ(ShotHitsBlock(s), 0);
  // A small shot tests its corners.
  p.m_cSize = 1;
  ShotInit(s, o, COMMAND_KIND_SHOT, 1, 0, p, c);
  s.m_dX = CellPx(11) + 20;
  s.m_dY = CellPx(5) + 20;
  EXPECT_EQ(ShotHitsBlock(s), 1);
  s.m_dX = CellPx(12) + 1;
  EXPECT_EQ(ShotHitsBlock(s), 0);
}

TEST_F(ShotTest, DrawDataOfFlyingShots) {
  m_Params.m_wPicture = 31;
  m_Params.m_cSize = 2;
  auto s = Make(1200, 600, 2);
  ShotStep(*s);  // faces right once it moves right
  SHOTDRAW d;
  ASSERT_EQ(ShotDrawData(*s, 1, 1000.5, 500, d), 1);
  EXPECT_EQ(d.nSheet, 1);
  EXPECT_EQ(d.nSrcX, 48);
  EXPECT_EQ(d.nSrcY, 16);
  EXPECT_EQ(d.nDstW, 32);
  EXPECT_EQ(d.bStretch, 1);
  EXPECT_EQ(d.nDstX, TruncToInt(s->m_dX) - 1000);
  m_Params.m_bySetting20 = 1;  // invisible
  auto t = Make(1200, 600, 2);
  EXPECT_EQ(ShotDrawData(*t, 0, 0, 0, d), 0);
}

// A wave shot runs a sine across its line of flight: each sub-step's cross
// speed is the wave speed of its phase, so the shot starts on the launch
// point with the record's phase and stays within twice its amplitude of the
// line, however long it flies.
TEST_F(ShotTest, WaveShotsRunASineAcrossTheirLine) {
  struct Case {
    const char* name;
    int level, period, phase;
    double vx, vy;
    bool bSine;  // no component is held at 0, so the path is the sine itself
  } cases[] = {
      {"level 1, left, period 4", 1, 4, 0, -2, 0, true},
      {"level 3, right, period 6, phase 90", 3, 6, 90, 2, 0, true},
      {"level 1, down-left", 1, 5, 30, -1.5, 1.5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(MakeBlockStage(60, 30, static_cast<uint32_t>(c.level)));
    m_Params.m_byTrajectory = 8;
    m_Params.m_wSetting27 = 2;  // amplitude 2 half-cells: 32 pixels
    m_Params.m_bySetting58 = static_cast<uint8_t>(c.period);
    m_Params.m_bySetting52 = static_cast<uint8_t>(c.phase);
    auto s = Make(1200, 600, 0);
    s->m_dVelX = c.vx;
    s->m_dVelY = c.vy;
    s->m_nDir = c.vx > 0 ? 1 : 0;
    const double A = 32.0;
    const double F = g_Stage.m_dSpeedDiv;
    const double k = c.period * kDegToRad;
    const double theta0 = (c.phase + (c.vx > 0 ? 0 : 180)) * k;
    // One period of the wave: 360 / period degrees at 1 / F per sub-step.
    const int nPeriod = static_cast<int>(std::lround(360.0 / c.period * F));
    const double len = std::hypot(c.vx, c.vy);
    const double ux = c.vx / len, uy = c.vy / len;
    double dMaxAside = 0;
    for (int i = 1; i <= 3 * nPeriod; ++i) {
      const double x0 = s->m_dX;
      ASSERT_EQ(Run(*s, 1), -1);
      // Never back along the flight on either axis.
      if (c.vx != 0) {
        EXPECT_GE((s->m_dX - x0) * c.vx, -1e-9);
      }
      // The cross direction is the flight's turned back a quarter.
      const double aside = (s->m_dX - 1200) * uy - (s->m_dY - 600) * ux;
      dMaxAside = std::max(dMaxAside, std::fabs(aside));
      if (c.bSine) {
        ASSERT_NEAR(aside, A * (std::sin(theta0 + i * k / F) - std::sin(theta0)), A * k / F + 0.5) << i;
      }
    }
    EXPECT_LT(dMaxAside, 2 * A + 2);
    EXPECT_GT(dMaxAside, 8.0);  // it does weave
  }
}
