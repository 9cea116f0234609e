// Play against a view that scrolls by itself: an aimed shot leads a target
// the view carries and meets it; a chara carried by the view reaches the
// stage point it moves to; the camera follows player 1 exactly while the
// axis does not scroll by itself, as a flow switches that on and off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "flow/conditions.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/flow_stage_fixture.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"

namespace {

constexpr int kScrollTenths = 20;  // 2 pixels a frame at speed level 1

class StageScroll : public cWideSceneTest {
 protected:
  void SetUp() override {
    cWideSceneTest::SetUp();
    m_Stage = MakeSceneStage(60);
    m_Stage.m_nScrollKindX = 1;
    m_Stage.m_nAutoScrollX = kScrollTenths;
  }
};

TEST_F(StageScroll, AnAimedShotLeadsATargetTheViewCarries) {
  // Player 1 rides the view to the right; a flier high up on the right, not
  // carried, fires one aimed burst at it as play begins.
  m_Player.m_bFollowScroll = 1;
  m_Stage.m_vecChara.push_back(PlacedAt(m_Player, 4, 13));
  cEdCommand shot = MakeShotCommand(0, 40, 1);
  shot.m_pShot->m_byAim = 1;
  cEdChara gunner = WaitingFlowChara({shot});
  gunner.m_nSide = 2;
  gunner.m_nMoveType = 1;
  gunner.m_nAttack = 0;
  m_Stage.m_vecChara.push_back(PlacedAt(gunner, 16, 3));
  auto s = PlayScene(m_Stage);
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  cPlayer& p = *FirstPlayer();
  const double x0 = p.m_dX;
  bool bFired = false;
  for (int n = 0; n < 200 && p.m_nHp == 10; ++n) {
    s->Update();
    bFired = bFired || !s->m_Shots.m_lstShot.empty();
  }
  EXPECT_TRUE(bFired);
  EXPECT_GT(p.m_dX, x0 + 100);  // carried a long way meanwhile
  EXPECT_LT(p.m_nHp, 10);       // and met all the same
}

TEST_F(StageScroll, ACharaTheViewCarriesReachesTheStagePointItMovesTo) {
  // A flier carried by the view moves at 3 pixels a frame toward a point:
  // the centre of stage cell (13, 8), or 10 cells right and 6 down of where
  // it starts; the view carries it 2 more pixels a frame to the right.
  struct CASE {
    const char* name;
    uint8_t nCoordKind;
    int nCellX, nCellY;
  };
  const CASE cases[] = {
      {"a place in the stage", 2, 13, 8},
      {"a displacement of the chara", 1, 10, 6},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    m_Stage = MakeSceneStage(60);
    m_Stage.m_nScrollKindX = 1;
    m_Stage.m_nAutoScrollX = kScrollTenths;
    m_Stage.m_vecChara.push_back(PlacedAt(m_Player, 2, 13));
    cEdCommand move = MoveCommand(FlowCommandKind::StraightMove, 1000, 30);
    move.m_pMove->m_byTargetMode = 1;
    move.m_pMove->m_byCoordKind = c.nCoordKind;
    move.m_pMove->m_byEnableX = move.m_pMove->m_byEnableY = 1;
    move.m_pMove->m_nCellX = static_cast<int16_t>(c.nCellX);
    move.m_pMove->m_nCellY = static_cast<int16_t>(c.nCellY);
    cEdChara flier = WaitingFlowChara({move});
    flier.m_nMoveType = 1;
    flier.m_bFollowScroll = 1;
    m_Stage.m_vecChara.push_back(PlacedAt(flier, 3, 2));
    auto s = PlayScene(m_Stage);
    ASSERT_EQ(g_lstChara.size(), 1u);
    cStageChara& ch = *g_lstChara.front();
    double tx = CellPx(13) + 16, ty = CellPx(8) + 16;
    if (c.nCoordKind == 1) {
      ch.Centre(tx, ty);
      tx += c.nCellX * 32;
      ty += c.nCellY * 32;
    }
    double dNearest = 1e9;
    for (int n = 0; n < 200; ++n) {
      s->Update();
      double cx = 0, cy = 0;
      ch.Centre(cx, cy);
      dNearest = std::min(dNearest, std::hypot(cx - tx, cy - ty));
    }
    // Within one frame's flight of the point (a straight line that ignored
    // the view would pass it some 80 pixels off).
    EXPECT_LT(dNearest, 4.0);
    s.reset();
    ClearScene();
  }
}

TEST_F(StageScroll, TheCameraFollowsPlayer1ExactlyWhileTheAxisDoesNotScrollByItself) {
  // Player 1 walks right for a second; at frame 30 a flow switches the
  // horizontal automatic scroll (of speed 0) on, or off.
  struct CASE {
    const char* name;
    uint32_t nStageKind;  // the stage's own setting
    int bSwitchTo;
    bool bFollowsBefore, bFollowsAfter;
  };
  const CASE cases[] = {
      {"switched on, the view stands", 0, 1, true, false},
      {"switched off, the view follows", 1, 0, false, true},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    m_Stage = MakeSceneStage(60);
    m_Stage.m_nScrollKindX = c.nStageKind;
    m_Stage.m_nAutoScrollX = 0;
    cEdCommand walk = MoveCommand(FlowCommandKind::StraightMove, 100, 20);
    walk.m_pMove->m_byDirection = 3;
    cEdChara player = m_Player;
    player.m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {walk})};
    m_Stage.m_vecChara.push_back(PlacedAt(player, 12, 13));
    cEdCommand toggle = MakeFlowCommand(FlowCommandKind::StatusOp2);
    toggle.m_vParam[0] = FlowSubject::System;
    toggle.m_vParam[1] = 0;
    toggle.m_vParam[2] = c.bSwitchTo;
    m_Stage.m_vecChara.push_back(
        PlacedAt(WaitingFlowChara({MakeFlowCommand(FlowCommandKind::Wait, 5), toggle}), 14, 5));
    auto s = PlayScene(m_Stage);
    ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
    const cPlayer& p = *FirstPlayer();
    auto viewMoves = [&](int nFrames) {
      const double v0 = s->m_aScroll[SCROLL_X].dPos, x0 = p.m_dX;
      for (int n = 0; n < nFrames; ++n) s->Update();
      EXPECT_GT(p.m_dX, x0 + 10);  // the walk goes on
      return s->m_aScroll[SCROLL_X].dPos != v0;
    };
    EXPECT_EQ(viewMoves(20), c.bFollowsBefore);
    for (int n = 0; n < 20; ++n) s->Update();
    EXPECT_EQ(viewMoves(20), c.bFollowsAfter);
    s.reset();
    ClearScene();
  }
}

}  // namespace
