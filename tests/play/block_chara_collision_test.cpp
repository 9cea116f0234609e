// Block charas against charas of each move type: passing through, the
// fliers' push along the smaller overlap and their crush, a block chara
// never meeting itself, and the carrier strip.
#include <gtest/gtest.h>

#include "play/block_chara_collision.h"
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

}  // namespace
