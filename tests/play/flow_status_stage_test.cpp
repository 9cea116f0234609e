// Target, status and condition commands of real charas in a running stage,
// judged by where the charas go and what becomes of them: the four flying
// values of player 1 against a wall, a charge at the nearest chara, and a
// flow that waits until its chara is scrolled into view.
#include <gtest/gtest.h>

#include <vector>

#include "tests/play/flow_stage_fixture.h"

namespace {

class FlowStatusStage : public cFlowStageTest {};

TEST_F(FlowStatusStage, PlayerOneFliesThroughHitsOrDiesOnAWallByTheFlyingValue) {
  // A wall from the ceiling to the floor at column 14; player 1 (at
  // column 10) is switched to a flying value, then moves right at 2 pixels
  // a step for 100 steps.
  struct CASE {
    int nFlying;
    bool bBeyond;  // ends beyond the wall
    bool bDies;
  } cases[] = {{0, false, false}, {1, true, false}, {2, false, false}, {3, false, true}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "flying " << c.nFlying);
    TearDown();
    SetUp();
    PlaceColumn(m_Stage, 14, 0, 13, 1);
    cEdCommand right = MoveCommand(FlowCommandKind::StraightMove, 100, 20);
    right.m_pMove->m_byDirection = 3;
    m_Player.m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {Command(FlowCommandKind::StatusOp2, {0, 3, c.nFlying}),
                                                           right, MakeFlowCommand(FlowCommandKind::Wait, 1000)})};
    cSceneStage& s = Play();
    const int nLives = g_Progress.m_nLives;
    for (int i = 0; i < 101 && s.m_nState == STAGESTATE_PLAY && !s.Player1Defeated(); ++i) s.Update();
    EXPECT_EQ(s.Player1Defeated(), c.bDies);
    if (c.bDies) continue;
    const cPlayer& p = *FirstPlayer();
    const double dWallLeft = (14 + STAGE_MARGIN_CELLS) * 32.0;
    if (c.bBeyond) {
      EXPECT_GT(p.m_dX, dWallLeft + 32);
    } else {
      EXPECT_LT(p.m_dRight, dWallLeft);
      EXPECT_GT(p.m_dRight, dWallLeft - 4);
    }
    EXPECT_EQ(g_Progress.m_nLives, nLives);
  }
}

}  // namespace

namespace {

TEST_F(FlowStatusStage, SetTargetNearestChargesAtTheNearestCharaOrDropsTheTargetWhenNoneQualifies) {
  // The charger flies at column 16, row 8; a flyer of its group waits at
  // column 19, row 3 (nearer than player 1 at column 10, row 13), or beyond
  // the view's right edge at column 29. The charger first takes player 1,
  // then chooses by the search, then charges its target at 1.5 pixels a
  // step.
  struct CASE {
    const char* pszWhat;
    int nOtherColumn;
    int nRange, bSameGroup;
    int nDirX, nDirY;  // the signs of the charge; 0, 0 no target
  } cases[] = {
      {"the nearest of all, on screen first", 19, 0, 0, 1, -1},
      {"on screen only, its own group: none qualifies", 29, 2, 1, 0, 0},
      {"anywhere, its own group: the one off screen", 29, 1, 1, 1, -1},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    TearDown();
    SetUp();
    cEdCommand nearest = Command(FlowCommandKind::SetTarget, {2, 0, c.nRange, c.bSameGroup});
    cEdChara charger = FlowChara({TargetPlayerCommand(), nearest, MoveCommand(FlowCommandKind::ChargeMove, 100, 15)}, 1);
    cEdChara other = FlowChara({MakeFlowCommand(FlowCommandKind::Wait, 1000)}, 1);
    other.m_nViewTestKind = 3;  // in play anywhere
    m_Stage.m_vecChara.push_back(PlacedAt(charger, 16, 8));
    m_Stage.m_vecChara.push_back(PlacedAt(other, c.nOtherColumn, 3));
    cSceneStage& s = Play();
    ASSERT_EQ(g_lstChara.size(), 2u);
    ASSERT_EQ(Chara(1).IsOnScreen(), c.nOtherColumn == 19);
    const double x0 = Chara(0).m_dX, y0 = Chara(0).m_dY;
    for (int i = 0; i < 20; ++i) s.Update();
    const double dx = Chara(0).m_dX - x0, dy = Chara(0).m_dY - y0;
    EXPECT_EQ((dx > 1) - (dx < -1), c.nDirX) << dx;
    EXPECT_EQ((dy > 1) - (dy < -1), c.nDirY) << dy;
    EXPECT_EQ(Chara(0).m_lpTarget == nullptr, c.nDirX == 0);
  }
}

TEST_F(FlowStatusStage, AFlowThatWaitsForItsCharaOnScreenStartsWhenItIsScrolledIntoView) {
  // Player 1 walks right at 4 pixels a step and the view follows it; a flyer
  // that is in play anywhere waits beyond the view's right edge, its flow
  // (rising 1 pixel a step) held by "on screen" or, negated, by "off
  // screen".
  for (const int bNegated : {0, 1}) {
    SCOPED_TRACE(bNegated ? "off screen" : "on screen");
    TearDown();
    SetUp();
    m_Stage = MakeSceneStage(60);
    cEdCommand walk = MoveCommand(FlowCommandKind::StraightMove, 1000, 40);
    walk.m_pMove->m_byDirection = 3;
    m_Player.m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {walk})};
    cEdCommand rise = MoveCommand(FlowCommandKind::StraightMove, 1000, 10);
    rise.m_pMove->m_byDirection = 6;
    cEdChara e = FlowChara({rise}, 1);
    e.m_nViewTestKind = 3;
    cEdCondition onScreen;
    onScreen.m_byKind = 6;
    onScreen.m_byStatus = 3;
    onScreen.m_byCategory = static_cast<uint8_t>(bNegated);
    e.m_vecFlow[0].m_vecCondition.push_back(onScreen);
    m_Stage.m_vecChara.push_back(PlacedAt(e, 40, 6));
    cSceneStage& s = Play();
    ASSERT_EQ(g_lstChara.size(), 1u);
    ASSERT_FALSE(Chara().IsOnScreen());
    int nInView = -1, nRose = -1;
    const double y0 = Chara().m_dY;
    for (int k = 1; k <= 200 && (nInView < 0 || nRose < 0); ++k) {
      s.Update();
      if (nRose < 0 && Chara().m_dY < y0) nRose = k;
      if (nInView < 0 && Chara().IsOnScreen()) nInView = k;
    }
    ASSERT_GT(nInView, 1) << "never scrolled into view";
    if (bNegated) {
      EXPECT_EQ(nRose, 1);
    } else {
      // The frame's conditions are settled before the flows run: the flow
      // starts in the first frame that begins with the chara in view.
      EXPECT_EQ(nRose, nInView + 1);
    }
  }
}

}  // namespace
