// Target, status and condition commands of real charas in a running stage,
// judged by where the charas go and what becomes of them: the four flying
// values of player 1 against a wall.
#include <gtest/gtest.h>

#include <vector>

#include "tests/play/flow_stage_fixture.h"

namespace {

cEdCommand Command(int nKind, std::initializer_list<int32_t> params) {
  cEdCommand c = MakeFlowCommand(nKind);
  int i = 0;
  for (int32_t p : params) c.m_vParam.CheckedAt(i++) = p;
  return c;
}

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
