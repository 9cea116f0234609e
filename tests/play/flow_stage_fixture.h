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
#include "tests/support/flow_fixtures.h"

inline cEdChara PlacedAt(cEdChara def, int col, int row) {
  def.m_nColumn = static_cast<uint16_t>(col);
  def.m_nRow = static_cast<uint16_t>(row);
  return def;
}

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

inline cEdCommand MoveCommand(int nKind, int nTime, int nSpeed) {
  cEdCommand c = MakeFlowCommand(nKind, nTime);
  NewEdMove(c.m_pMove);
  c.m_pMove->m_nSpeed = static_cast<int16_t>(nSpeed);
  c.m_pMove->m_byMirrorX = 0;
  return c;
}

// SetTarget on player 1.
inline cEdCommand TargetPlayerCommand() { return MakeFlowCommand(FlowCommandKind::SetTarget); }

class cFlowStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_System = cEdSystem();
    g_Progress = cEdProgress();
    g_Progress.m_nLivesStart = 3;
    m_Stage = MakeBlockStage(30, 15, 1);
    PlaceRow(m_Stage, 0, 29, 14, 1);
    m_Player.SetDefaults();
    m_Player.m_nType = 0;
    m_Player.m_nMaxHp = 10;
    m_Player.m_nImageIndex = 1;
    m_Player.m_nScale = 1;
    m_Player.m_nGroup = 0;
    m_Player.m_vecFlow.clear();
  }
  void TearDown() override {
    m_lpScene.reset();
    ClearLiveObjects();
    g_PlayLinks = PLAYLINKS{};
    g_StageLinks = STAGELINKS{};
  }
  // Player 1 at column 10, row 13; the stage's charas after it.
  cSceneStage& Play() {
    m_lpScene.reset();
    ClearLiveObjects();
    cEdStage stage = m_Stage;
    stage.m_vecChara.insert(stage.m_vecChara.begin(), PlacedAt(m_Player, 10, 13));
    g_Stage = stage;
    g_StageCopy = stage;
    m_lpScene = std::make_unique<cSceneStage>(STAGESTART{0, 3, 2, 0, 0, 0});
    for (int n = 0; n < 2000 && m_lpScene->m_nState != STAGESTATE_PLAY; ++n) m_lpScene->Update();
    EXPECT_EQ(m_lpScene->m_nState, STAGESTATE_PLAY);
    return *m_lpScene;
  }
  static cStageChara& Chara(size_t i = 0) { return *std::next(g_lstChara.begin(), static_cast<long>(i))->get(); }

  cEdStage m_Stage;
  cEdChara m_Player;
  std::unique_ptr<cSceneStage> m_lpScene;
};
