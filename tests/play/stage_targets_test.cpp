// Targets found in the running stage scene: a homing shot turns toward a
// moving chara of the side it seeks, and flies past one of another side; a
// chara told to target the nearest chara has one, and its ring of shots
// round the target comes.
#include <gtest/gtest.h>

#include <cmath>

#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "tests/play/flow_stage_fixture.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"

namespace {

class StageTargets : public cFlowStageTest {};

TEST_F(StageTargets, AHomingShotTurnsTowardAMovingCharaOfTheSideItSeeks) {
  // Player 1 (side 1, facing right) fires once along its row; a flier of
  // side 2 climbs away from that row, up and to the right of it.
  struct CASE {
    const char* name;
    uint8_t nMotion;
    uint8_t nSeekSide;
    bool bHit;
  };
  const CASE cases[] = {
      {"a straight shot flies past", 0, 2, false},
      {"a homing shot of side 2 meets it", 5, 2, true},
      {"a homing shot of side 3 finds no one", 5, 3, false},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    cEdCommand shot = MakeShotCommand(0, 30, 1);
    shot.m_pShot->m_byTrajectory = c.nMotion;
    shot.m_pShot->m_bySetting54 = c.nSeekSide;  // the second target group
    shot.m_pShot->m_wSetting47 = 200;          // homing for 200 half cells
    m_Player.m_nDir = 1;
    m_Player.m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {shot, MakeFlowCommand(FlowCommandKind::Wait, 1000)})};
    cEdCommand climb = MoveCommand(FlowCommandKind::StraightMove, 1000, 10);
    climb.m_pMove->m_byDirection = 6;
    cEdChara flier = FlowChara({climb}, 1);
    flier.m_nSide = 2;
    flier.m_nMaxHp = 10;
    m_Stage.m_vecChara = {PlacedAt(flier, 16, 9)};
    cSceneStage& s = Play();
    ASSERT_EQ(g_lstChara.size(), 1u);
    const cStageChara& e = Chara();
    const double y0 = e.m_dY;
    for (int n = 0; n < 150 && e.m_nHp == 10; ++n) s.Update();
    EXPECT_LT(e.m_dY, y0 - 20);  // it did move
    EXPECT_EQ(e.m_nHp < 10, c.bHit);
    TearDown();
  }
}

TEST_F(StageTargets, ACharaToldToTargetTheNearestCharaHasOneAndRingsItWithShots) {
  // Chara A, two cells from chara B and further from player 1, targets the
  // nearest chara, then fires a ring of four shots round its target; both
  // hover clear of the floor, which would stop a shot.
  cEdCommand target = TargetPlayerCommand();
  target.m_vParam[0] = 2;  // the nearest chara
  target.m_vParam[2] = 0;  // on screen first
  cEdCommand ring = MakeShotCommand(0, 0, 0);
  ring.m_pShot->m_byPattern = 5;
  ring.m_pShot->m_cCount = 4;
  ring.m_pShot->m_nSpacing = 3;  // 48 pixels from the target's centre
  cEdChara a = WaitingFlowChara({target, ring});
  a.m_nSide = 2;
  a.m_nMoveType = 1;
  cEdChara b = MakeEnemyDef(10);
  b.m_nSide = 3;
  b.m_nMoveType = 1;
  m_Stage.m_vecChara = {PlacedAt(a, 14, 8), PlacedAt(b, 16, 8)};
  cSceneStage& s = Play();
  ASSERT_EQ(g_lstChara.size(), 2u);
  cStageChara& ca = Chara(0);
  cStageChara& cb = Chara(1);
  for (int n = 0; n < 3 && s.m_Shots.m_lstShot.empty(); ++n) s.Update();
  EXPECT_EQ(ca.m_lpTarget, &cb);
  ASSERT_EQ(s.m_Shots.m_lstShot.size(), 4u);
  double cx = 0, cy = 0;
  cb.Centre(cx, cy);
  for (auto& shot : s.m_Shots.m_lstShot) {
    const double d = std::hypot(shot->m_dX + 8 - cx, shot->m_dY + 8 - cy);
    EXPECT_NEAR(d, 48, 6);
  }
}

}  // namespace
