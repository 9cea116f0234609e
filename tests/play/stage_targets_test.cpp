// Targets found in the running stage scene: a homing shot turns toward a
// moving chara of the side it seeks, and flies past one of another side; a
// chara told to target the nearest chara has one, and its ring of shots
// round the target comes; a crowd seeking targets plays the same with the
// search index as without.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/game_random.h"
#include "play/chara_targeting.h"
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

// A crowd over a stage three views wide that takes the nearest chara as its
// target in every frame (on screen first, anywhere, on screen only), glides
// and fires homing shots at the other side, which defeat charas as they
// go: it plays the same, frame for frame, with the search index as with
// the walk of every chara.
TEST_F(StageTargets, ACrowdSeekingTargetsPlaysTheSameWithTheIndexAsWithTheWalkOfEveryChara) {
  auto glide = [](uint8_t byDirection) {
    cEdCommand c = MoveCommand(FlowCommandKind::StraightMove, 2, 10);
    c.m_pMove->m_byTargetMode = 0;
    c.m_pMove->m_byDirection = byDirection;  // 2 left, 3 right
    return c;
  };
  m_Stage = MakeSceneStage(60);
  for (int i = 0; i < 150; ++i) {
    cEdCommand target = TargetPlayerCommand();
    target.m_vParam[0] = 2;      // the nearest chara
    target.m_vParam[2] = i % 3;  // by the three modes
    cEdCommand shot = MakeShotCommand(0, 20, 1);
    shot.m_pShot->m_byTrajectory = 5;  // homing
    shot.m_pShot->m_bySetting54 = static_cast<uint8_t>(i % 2 ? 2 : 3);
    shot.m_pShot->m_wSetting47 = 200;
    cEdChara c = FlowChara({target, glide(3), target, shot, glide(2)}, 1);
    c.m_nSide = static_cast<uint8_t>(i % 2 ? 3 : 2);
    c.m_nMaxHp = 1;
    c.m_nViewTestKind = 3;  // in play wherever the view is
    m_Stage.m_vecChara.push_back(PlacedAt(c, (i * 7) % 58 + 1, 2 + i % 11));
  }
  auto play = [this](bool bIndex) {
    UseTargetIndexForTests(bIndex);
    ResetSceneRecords();
    srand(1);
    std::vector<std::string> frames;
    cSceneStage& s = Play();
    for (int n = 0; n < 150; ++n) {
      s.Update();
      std::string f;
      for (auto& c : g_lstChara)
        f += std::to_string(c->m_nId) + ":" + std::to_string(c->m_lpTarget ? c->m_lpTarget->m_nId : -1) + "@" +
             std::to_string(static_cast<int>(c->m_dX)) + "," + std::to_string(static_cast<int>(c->m_dY)) + "/" +
             std::to_string(c->m_nHp) + " ";
      for (auto& shot : s.m_Shots.m_lstShot)
        f += std::to_string(static_cast<int>(shot->m_dX)) + "," + std::to_string(static_cast<int>(shot->m_dY)) + " ";
      frames.push_back(f);
    }
    UseTargetIndexForTests(true);
    return frames;
  };
  const std::vector<std::string> walk = play(false), indexed = play(true);
  ASSERT_EQ(walk.size(), indexed.size());
  for (size_t n = 0; n < walk.size(); ++n) ASSERT_EQ(indexed[n], walk[n]) << "frame " << n + 1;
  // The crowd did lose charas to the shots, and kept most.
  EXPECT_LT(g_lstChara.size(), 150u);
  EXPECT_GT(g_lstChara.size(), 20u);
}

}  // namespace
