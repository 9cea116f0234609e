// A running stage scene for flow commands on real charas: a floored stage
// at speed level 1 (one sub-step per frame), player 1 standing on it and
// stage charas with the flows under test, played until play begins. The
// scene is the flows' stage host, the charas their chara hosts.
// Header-only: tests/support sits below play/.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"

// A chara of group 1 with one flow of trigger Always; move type 0 walks,
// 1 flies through blocks.
inline cEdChara FlowChara(std::initializer_list<cEdCommand> cmds, int nMoveType = 0) {
  cEdChara e = MakeEnemyDef(100);
  e.m_nGroup = 1;
  e.m_nMoveType = static_cast<uint8_t>(nMoveType);
  e.m_nAttack = 0;
  e.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, cmds));
  return e;
}

// A FlowChara whose flow runs `cmds`, then waits long enough to stay in
// hand for the whole test.
inline cEdChara WaitingFlowChara(const std::vector<cEdCommand>& cmds) {
  cEdChara e = FlowChara({});
  cEdFlow& f = e.m_vecFlow.front();
  f.m_vecCommand.assign(cmds.begin(), cmds.end());
  f.m_vecCommand.push_back(MakeFlowCommand(FlowCommandKind::Wait, 1000));
  return e;
}

inline cEdCommand MoveCommand(int nKind, int nTime, int nSpeed) {
  cEdCommand c = MakeFlowCommand(nKind, nTime);
  NewEdMove(c.m_pMove);
  c.m_pMove->m_nSpeed = static_cast<int16_t>(nSpeed);
  c.m_pMove->m_byMirrorX = 0;
  return c;
}

// A flow command (or, with MakeItemCommand, an item command) of the kind
// with its first parameters set, the rest 0.
inline cEdCommand WithParams(cEdCommand c, std::initializer_list<int32_t> params) {
  int i = 0;
  for (int32_t p : params) c.m_vParam.CheckedAt(i++) = p;
  return c;
}
inline cEdCommand Command(int nKind, std::initializer_list<int32_t> params) {
  return WithParams(MakeFlowCommand(nKind), params);
}

// SetTarget on player 1.
inline cEdCommand TargetPlayerCommand() { return MakeFlowCommand(FlowCommandKind::SetTarget); }

class cFlowStageTest : public cWideSceneTest {
 protected:
  void TearDown() override {
    m_lpScene.reset();
    cWideSceneTest::TearDown();
  }
  // Player 1 at column 10, row 13; the stage's charas after it.
  cSceneStage& Play() {
    m_lpScene.reset();
    ClearLiveObjects();
    cEdStage stage = m_Stage;
    stage.m_vecChara.insert(stage.m_vecChara.begin(), PlacedAt(m_Player, 10, 13));
    m_lpScene = PlayScene(stage);
    EXPECT_EQ(m_lpScene->m_nState, STAGESTATE_PLAY);
    return *m_lpScene;
  }
  static cStageChara& Chara(size_t i = 0) { return *std::next(g_lstChara.begin(), static_cast<long>(i))->get(); }

  std::unique_ptr<cSceneStage> m_lpScene;
};
