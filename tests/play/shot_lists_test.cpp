#include "play/shot_lists.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <vector>

#include "play/launch.h"
#include "tests/play/play_fixture.h"

namespace {

std::list<std::unique_ptr<cTestChara>> g_lstCharas;

cGameObj* FindCharaById(int nId, int) {
  for (auto& c : g_lstCharas)
    if (c->m_nId == nId) return c.get();
  return nullptr;
}

class ShotListsTest : public cPlayFixture {
 protected:
  void SetUp() override {
    Start(MakeBlockStage(60, 30, 2));
    g_ShotLinks.pfnFindChara = FindCharaById;
  }
  void TearDown() override {
    m_Lists.Clear();
    g_ShotLinks = SHOTLINKS();
    g_lstCharas.clear();
    cPlayFixture::TearDown();
  }
  cShot& Add(int nGroup, double x, double y, const cEdShot& params, double vx = 0) {
    cEdShot p = params;
    p.m_byGroupValue = static_cast<uint8_t>(nGroup);
    LAUNCHCONTEXT c;
    c.nX = static_cast<int>(x), c.nY = static_cast<int>(y);
    c.dVelX = vx;
    c.nValue2 = m_nLife;
    auto s = std::make_unique<cShot>();
    ShotInit(*s, m_Owner, COMMAND_KIND_SHOT, m_nSerial++, 0, p, c);
    return *m_Lists.Add(std::move(s));
  }
  bool Alive(const cShot* s) const {
    for (auto& p : m_Lists.m_lstShot)
      if (p.get() == s) return true;
    return false;
  }
  size_t GroupTotal() const {
    size_t n = 0;
    for (auto& g : m_Lists.m_vGroupShots) n += g.size();
    return n;
  }

  cShotLists m_Lists;
  SHOTOWNER m_Owner;
  int m_nSerial = 1;
  int m_nLife = 0;
};

}  // namespace

TEST_F(ShotListsTest, ClashesGoByStrength) {
  struct Case {
    const char* name;
    int groupA, erasableA, strengthA, groupB, erasableB, strengthB;
    double bx;
    bool aStays, bStays;
  } cases[] = {
      {"equal strength: both go", 0, 1, 3, 1, 1, 3, 1004, false, false},
      {"3 against 4", 0, 1, 3, 1, 1, 4, 1004, false, true},
      {"4 against 3", 0, 1, 4, 1, 1, 3, 1004, true, false},
      {"only B erasable", 0, 0, 0, 1, 1, 9, 1004, true, false},
      {"only A erasable", 0, 1, 9, 1, 0, 0, 1004, false, true},
      {"neither erasable", 0, 0, 0, 1, 0, 0, 1004, true, true},
      {"same group", 1, 1, 3, 1, 1, 3, 1004, true, true},
      {"apart", 0, 1, 3, 1, 1, 3, 1100, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_Lists.Clear();
    cEdShot p;
    p.SetDefaults();
    p.m_cSize = 1;
    p.m_byErasable = static_cast<uint8_t>(c.erasableA);
    p.m_cStrength = static_cast<int8_t>(c.strengthA);
    cShot* a = &Add(c.groupA, 1000, 600, p);
    p.m_byErasable = static_cast<uint8_t>(c.erasableB);
    p.m_cStrength = static_cast<int8_t>(c.strengthB);
    cShot* b = &Add(c.groupB, c.bx, 600, p);
    m_Lists.ClashShots();
    EXPECT_EQ(Alive(a), c.aStays);
    EXPECT_EQ(Alive(b), c.bStays);
    EXPECT_EQ(GroupTotal(), m_Lists.m_lstShot.size());
  }
}

TEST_F(ShotListsTest, ThousandShotsEndingInOneSubStepLeaveNoLinkBehind) {
  // Half of them with a life of 0 end at once; their owner and the target
  // of the homing half are erased in the middle of the flight.
  g_lstCharas.push_back(std::make_unique<cTestChara>());
  g_lstCharas.back()->m_nId = 7;
  Place(*g_lstCharas.back(), 900, 500, 32, 32, 0, 1);
  m_Owner.nId = 7;
  m_Owner.nTargetId = 7;
  cEdShot p;
  p.SetDefaults();
  p.m_cSize = 1;
  p.m_byTrajectory = 6;
  p.m_wSetting47 = 50;
  p.m_nSpeed = 10;
  for (int i = 0; i < 1000; ++i) {
    p.m_bySetting41 = (i % 2) ? 1 : 0;
    p.m_byErasable = static_cast<uint8_t>(i % 3 == 0);
    p.m_cStrength = static_cast<int8_t>(i % 5);
    Add(i % 4, 700 + (i % 40) * 8, 400 + (i / 40) * 8, p, -1.0);
  }
  m_Lists.StepAll(2);
  EXPECT_EQ(m_Lists.m_lstShot.size(), 500u);
  EXPECT_EQ(GroupTotal(), 500u);
  g_lstCharas.clear();
  m_Lists.StepAll(1);
  m_Lists.ClashShots();
  EXPECT_EQ(GroupTotal(), m_Lists.m_lstShot.size());
  for (auto& s : m_Lists.m_lstShot) {
    bool bFound = false;
    for (cShot* g : m_Lists.Group(s->m_nGroup)) bFound = bFound || g == s.get();
    EXPECT_TRUE(bFound);
  }
  m_Lists.Clear();
  EXPECT_TRUE(m_Lists.Group(3).empty());
}

TEST_F(ShotListsTest, BlocksStopShotsOnlyOnTheFirstSubStep) {
  cEdStage st = MakeBlockStage(40, 20, 2);
  PlaceBlock(st, 5, 5, 1);
  Start(st);
  cEdShot p;
  p.SetDefaults();
  p.m_cSize = 1;
  cShot* s = &Add(0, CellPx(5) + 8, CellPx(5) + 8, p);
  m_Lists.StepAll(2);
  EXPECT_TRUE(Alive(s));
  m_Lists.StepAll(1);
  EXPECT_TRUE(m_Lists.m_lstShot.empty());
  EXPECT_TRUE(m_Lists.Group(0).empty());
}

TEST_F(ShotListsTest, ScaledShotsStartAtTheirPointAndFallingShotsFall) {
  cEdShot p;
  p.SetDefaults();
  p.m_cSize = 2;
  p.m_byTrajectory = 9;
  p.m_wSetting27 = 1;  // falls after 16 pixels
  p.m_nSpeed = 40;     // 4 pixels a frame, 2 a sub-step at n = 2
  g_Stage.m_nCharaForm2W = g_Stage.m_nCharaForm2H = 8;
  cShot& s = Add(0, 1200, 500, p, -4.0);
  EXPECT_EQ(s.m_dX, 1200.0);
  EXPECT_EQ(s.m_dY, 500.0);
  EXPECT_EQ(s.m_nBoxW, 32);
  // The 8-pixel attack box centred in the cell, both scaled by 2.
  EXPECT_EQ(s.m_dAtkLeft, 1208.0);
  EXPECT_EQ(s.m_dAtkRight, 1223.0);
  for (int i = 0; i < 8; ++i) m_Lists.StepAll(2);
  EXPECT_EQ(s.m_dY, 500.0);
  for (int i = 0; i < 10; ++i) m_Lists.StepAll(2);
  EXPECT_EQ(s.m_nNoGravity, 0);
  EXPECT_GT(s.m_dY, 500.0);
}

TEST_F(ShotListsTest, WaveShotsSwayAcrossTheirFlight) {
  cEdShot p;
  p.SetDefaults();
  p.m_cSize = 1;
  p.m_byTrajectory = 8;
  p.m_wSetting27 = 1;   // 16 pixels
  p.m_bySetting58 = 10;
  cShot& s = Add(0, 1600, 500, p, -2.0);
  int nRising = 0, nFalling = 0;
  for (int i = 0; i < 300; ++i) {
    const double vy = s.m_dVelY;
    m_Lists.StepAll(2);
    nRising += s.m_dVelY < vy;
    nFalling += s.m_dVelY > vy;
    ASSERT_LT(s.m_dVelX, 0.0);  // the flight goes on to the left
  }
  // The cross speed swings both ways.
  EXPECT_GT(nRising, 50);
  EXPECT_GT(nFalling, 50);
}

TEST_F(ShotListsTest, ShotsThatFollowTheScrollKeepTheirPlaceOnScreen) {
  cEdShot p;
  p.SetDefaults();
  p.m_cSize = 1;
  p.m_bySetting19 = 1;
  cShot& follow = Add(0, 1000, 500, p);
  p.m_bySetting19 = 0;
  cShot& still = Add(0, 1000, 520, p);
  SCROLLAXIS& ax = m_Ctx.m_aScroll[SCROLL_X];
  ax.bMoving = 1;
  ax.dSpeed = 1.5;
  ax.bClamped = 0;
  const double x0 = ax.dPos;
  for (int i = 0; i < 20; ++i) {
    ax.dPos += ax.dSpeed;
    m_Lists.StepAll(2);
  }
  EXPECT_DOUBLE_EQ(follow.m_dX - ax.dPos, 1000 - x0);
  EXPECT_EQ(still.m_dX, 1000.0);
}

TEST_F(ShotListsTest, ClashesInACrowdAreTheSameWithAndWithoutTheColumnsOfShots) {
  // Three groups of shots mixed along 2,000 pixels, of several sizes and
  // strengths, many of them touching: the same shots must go either way.
  auto Survivors = [&](bool bColumns) {
    UseClashColumnsForTests(bColumns);
    m_Lists.Clear();
    std::vector<cShot*> vMade;
    uint32_t r = 12345;
    for (int i = 0; i < 900; ++i) {
      r = r * 1103515245u + 12345u;
      cEdShot p;
      p.SetDefaults();
      p.m_cSize = static_cast<int8_t>(1 + (r >> 8) % 3);
      p.m_byErasable = static_cast<uint8_t>((r >> 12) % 4 != 0);
      p.m_cStrength = static_cast<int8_t>((r >> 16) % 4);
      vMade.push_back(&Add(static_cast<int>((r >> 20) % 3), 100 + (r >> 4) % 2000, 400 + (r >> 14) % 60, p));
    }
    m_Lists.ClashShots();
    std::vector<int> vAlive;
    for (size_t k = 0; k < vMade.size(); ++k)
      if (Alive(vMade[k])) vAlive.push_back(static_cast<int>(k));
    EXPECT_EQ(GroupTotal(), m_Lists.m_lstShot.size());
    return vAlive;
  };
  const std::vector<int> all = Survivors(false);
  const std::vector<int> columns = Survivors(true);
  UseClashColumnsForTests(true);
  EXPECT_GT(all.size(), 100u);
  EXPECT_LT(all.size(), 800u);  // many clashed
  EXPECT_EQ(columns, all);
}
