// Block charas against charas of each move type: passing through, the
// fliers' push along the smaller overlap and their crush, a block chara
// never meeting itself, and the carrier strip.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "play/block_chara_collision.h"
#include "play/box_columns.h"
#include "play/player.h"
#include "play/stage_scene.h"
#include "records/flow_enums.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"
#include "tests/play/chara_fixture.h"

namespace {

class BlockCharaCollisionTest : public cCharaFixture {
 protected:
  cStageChara& Block(int col, int row, int nId) {
    cEdChara d = MakeEnemyDef(1);
    d.m_bBlockChara = 1;
    d.m_nMoveType = 1;
    cStageChara& b = AddEnemy(d, col, row, nullptr, nId);
    Pass();  // its (empty) conditions hold: it takes part
    BeginSubStepMove(b);
    EndSubStepMove(b);
    return b;
  }
  cStageChara& Flier(int nMoveType, double x, double y) {
    cEdChara d = MakeEnemyDef(1);
    d.m_nMoveType = static_cast<uint8_t>(nMoveType);
    cStageChara& c = AddEnemy(d, 0, 0, nullptr, 500 + static_cast<int>(g_lstChara.size()));
    c.m_dX = x;
    c.m_dY = y;
    c.ClampX(-1);
    c.ClampY(-1);
    BeginSubStepMove(c);
    EndSubStepMove(c);
    return c;
  }
};

TEST_F(BlockCharaCollisionTest, MoveTypesMeetABlockCharaTheirOwnWay) {
  struct CASE {
    const char* name;
    int nMoveType;
    double dx;  // the chara's left relative to the block chara's
    int nResult;
    double dExpectX;  // relative left afterwards
  };
  // The chara (16 × 24 box) overlaps the block chara's left edge by 4 pixels.
  const CASE cases[] = {
      {"passes blocks", 1, -12, 0, -12},
      {"pushed out to the left", 2, -12, 0, -16},
      {"stops on any push", 3, -12, 2, -12},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLiveObjects();
    cStageChara& b = Block(8, 5, 400);
    cStageChara& f = Flier(c.nMoveType, b.m_dX + c.dx, b.m_dY + 4);
    EXPECT_EQ(CollideWithBlockCharas(f, g_lstChara), c.nResult);
    EXPECT_DOUBLE_EQ(f.m_dX - b.m_dX, c.dExpectX);
  }
}

TEST_F(BlockCharaCollisionTest, ABlockCharaNeverMeetsItselfButMeetsOthers) {
  cStageChara& a = Block(8, 5, 401);
  EXPECT_EQ(OverlapsBlockChara(a, 0), 0);
  cStageChara& b = Block(8, 5, 402);
  // A chara that passes blocks (as these block charas do) overlaps none.
  EXPECT_EQ(OverlapsBlockChara(a, 0), 0);
  cStageChara& w = Flier(2, a.m_dX, a.m_dY);
  EXPECT_EQ(OverlapsBlockChara(w, 0), 1);
  EXPECT_EQ(OverlapsBlockChara(w, 401), 1);
  b.m_bDefeated = 1;
  EXPECT_EQ(OverlapsBlockChara(w, 401), 0);
  b.m_bDefeated = 0;
  // Defeated block charas are no solids, nor those whose conditions fail.
  b.m_Def.m_vecCondition.push_back(MakeVarEqualsCondition(FlowConditionKind::CommonVarCondition, 1, 1));
  Pass();
  EXPECT_EQ(OverlapsBlockChara(w, 401), 0);
}

TEST_F(BlockCharaCollisionTest, TheCarrierStripReachesFivePixelsBelowTheFeet) {
  cStageChara& b = Block(8, 6, 403);
  cPlayer& p = AddPlayer(8);
  p.m_nCarrierId = 403;
  for (double gap : {0.0, 4.0, 5.0, 6.0}) {
    SCOPED_TRACE(gap);
    p.m_dY = b.m_dY - p.m_nBoxH - gap;
    p.ClampY(-1);
    // The strip runs from the bottom row to bottom + 5: a gap of up to 4
    // free rows reaches the carrier's top.
    const int bNear = gap <= 4.0;
    EXPECT_EQ(IsOnCarrier(p), bNear);
    EXPECT_EQ(FindCarrierBelow(p) == &b, bNear != 0);
  }
}

// A block chara that moves while the roster stands (a warp across many
// columns of its index, then a step) is met where it went.
TEST_F(BlockCharaCollisionTest, TheRosterMeetsABlockCharaWhereItMoved) {
  cStageChara& b = Block(30, 6, 404);
  cStageChara& w = Flier(2, CellPx(4), CellPx(6) + 8);
  cPlayer& p = AddPlayer(12);
  cBlockCharaRoster roster;
  EXPECT_EQ(OverlapsBlockChara(w, 0), 0);
  EXPECT_EQ(FindCarrierBelow(p), nullptr);
  b.SetPosition(w.m_dX + 8, w.m_dY);
  EXPECT_EQ(OverlapsBlockChara(w, 0), 1);
  EXPECT_EQ(CollideWithBlockCharas(w, g_lstChara), 0);
  EXPECT_DOUBLE_EQ(w.m_dRight + 1, b.m_dX);  // pushed out to the left
  // Under player 1's feet, two columns on and back.
  b.SetPosition(p.m_dX, p.m_dBottom + 2);
  EXPECT_EQ(FindCarrierBelow(p), &b);
  b.MoveAxis(0, 128.0);
  EXPECT_EQ(FindCarrierBelow(p), nullptr);
  b.MoveAxis(0, -128.0);
  EXPECT_EQ(FindCarrierBelow(p), &b);
}

// A crowd of walkers falling on, riding and being crushed by block charas
// that glide up, down and across (over the columns of the roster's index;
// two of them, at four and at eighteen times the size, cover several
// columns or more than a column's reach): every frame the same, whether the
// walks ask the roster or go over the whole list.
class BlockCharaCrowd : public ::testing::Test {
 protected:
  void SetUp() override { ResetSceneRecords(); }
  void TearDown() override {
    UseBlockCharaRosterForTests(true);
    ClearScene();
  }
  static cEdStage Crowd() {
    cEdStage st = MakeSceneStage(40);
    st.m_bOnScreenOnly = 0;
    st.m_vecChara.push_back(PlacedAt(MakeCharaDef(0, 10), 2, 13));
    const cEdFlow across = MakeFlowOf(FlowTrigger::Always, {MakeStraightMove(3, 15, 8), MakeStraightMove(2, 15, 8)});
    const cEdFlow upDown = MakeFlowOf(FlowTrigger::Always, {MakeStraightMove(6, 10, 6), MakeStraightMove(7, 10, 6)});
    for (int i = 0; i < 24; ++i) {
      cEdChara b = MakeEnemyDef(50);
      b.m_bBlockChara = 1;
      b.m_nMoveType = 1;
      b.m_nViewTestKind = 3;
      b.m_vecFlow.push_back(i % 2 ? across : upDown);
      st.m_vecChara.push_back(PlacedAt(b, 1 + (i * 5) % 38, 8 + i % 4));
    }
    for (const int nScale : {4, 18}) {
      cEdChara b = MakeEnemyDef(50);
      b.m_bBlockChara = 1;
      b.m_nMoveType = 1;
      b.m_nViewTestKind = 3;
      b.m_nScale = static_cast<uint8_t>(nScale);
      b.m_vecFlow.push_back(nScale == 4 ? across : upDown);
      st.m_vecChara.push_back(PlacedAt(b, nScale == 4 ? 12 : 20, nScale == 4 ? 4 : 10));
    }
    for (int i = 0; i < 240; ++i) {
      cEdChara w = MakeEnemyDef(50);
      w.m_nViewTestKind = 3;
      w.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeStraightMove(i % 2 ? 3 : 2, 12, 10)}));
      st.m_vecChara.push_back(PlacedAt(w, i % 40, 1 + (i / 40) % 6));
    }
    return st;
  }
  // Every chara's place and state, frame after frame.
  std::vector<double> Play(bool bRoster, int& nRiding) {
    UseBlockCharaRosterForTests(bRoster);
    auto s = PlayScene(Crowd());
    EXPECT_EQ(s->m_nState, STAGESTATE_PLAY);
    std::vector<double> v;
    nRiding = 0;
    double dWidest = 0;
    for (auto& c : g_lstChara) dWidest = std::max<double>(dWidest, c->m_dRight - c->m_dX + 1);
    EXPECT_GT(dWidest, kBoxColumnWidth * kWideBoxColumns);
    for (int n = 0; n < 150; ++n) {
      s->Update();
      for (auto& c : g_lstChara) {
        v.insert(v.end(), {static_cast<double>(c->m_nId), c->m_dX, c->m_dY, static_cast<double>(c->m_nHp),
                           static_cast<double>(c->m_bRidingChara), static_cast<double>(c->m_bDefeated)});
        nRiding += c->m_bRidingChara;
      }
      if (cPlayer* p = FirstPlayer()) v.insert(v.end(), {p->m_dX, p->m_dY});
    }
    s.reset();
    ClearScene();
    return v;
  }
};

TEST_F(BlockCharaCrowd, TheSamePlayWithAndWithoutTheRosterOfBlockCharas) {
  int nRidingAll = 0, nRidingRoster = 0;
  const std::vector<double> all = Play(false, nRidingAll);
  const std::vector<double> roster = Play(true, nRidingRoster);
  EXPECT_GT(nRidingAll, 0);  // the walkers did meet the block charas
  EXPECT_EQ(nRidingRoster, nRidingAll);
  ASSERT_EQ(roster.size(), all.size());
  EXPECT_TRUE(roster == all);
}

}  // namespace
