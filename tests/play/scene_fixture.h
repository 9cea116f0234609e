// Fixtures of a running stage scene built from a stage record: a floored
// stage at speed level 1 (one sub-step per frame), player 1's definition,
// placements at cells, and the scene played until play begins. Every live
// object and the play links are cleared after each test.
// Header-only: tests/support sits below play/.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/chara_fixture.h"

// A free play of stage 0 with three lives.
inline constexpr STAGESTART kSceneStart{0, 3, 2, 0, 0, 0};

// `def` placed at the stage's cell (col, row).
inline cEdChara PlacedAt(cEdChara def, int col, int row) {
  def.m_nColumn = static_cast<uint16_t>(col);
  def.m_nRow = static_cast<uint16_t>(row);
  return def;
}

// A stage w cells wide and 15 high with a floor along its last row, at
// speed level 1.
inline cEdStage MakeSceneStage(uint32_t w) {
  cEdStage s = MakeBlockStage(w, 15, 1);
  PlaceRow(s, 0, static_cast<int>(w) - 1, 14, 1);
  return s;
}

// The project and progress records a scene starts from: defaults, three
// lives.
inline void ResetSceneRecords() {
  g_System = cEdSystem();
  g_Progress = cEdProgress();
  g_Progress.m_nLivesStart = 3;
}

// Makes `stage` the running stage (and its copy) and updates a scene made
// from it until play begins.
inline std::unique_ptr<cSceneStage> PlayScene(const cEdStage& stage, const STAGESTART& start = kSceneStart) {
  g_Stage = stage;
  g_StageCopy = stage;
  auto s = std::make_unique<cSceneStage>(start);
  for (int n = 0; n < 2000 && s->m_nState != STAGESTATE_PLAY; ++n) s->Update();
  return s;
}

// Every live object freed and the play links emptied.
inline void ClearScene() {
  ClearLiveObjects();
  g_PlayLinks = PLAYLINKS{};
  g_StageLinks = STAGELINKS{};
}

// A 20-cell floored stage with player 1 placed first, at column 2 on the
// floor; tests add placements to m_Stage before Play.
class cSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSceneRecords();
    m_Stage = MakeSceneStage(20);
    m_Stage.m_vecChara.push_back(PlacedAt(MakeCharaDef(0, 10), 2, 13));
  }
  void TearDown() override { ClearScene(); }
  std::unique_ptr<cSceneStage> Play(const STAGESTART& start = kSceneStart) const { return PlayScene(m_Stage, start); }

  cEdStage m_Stage;
};

// A 30-cell floored stage without placements and player 1's definition
// (group 0) apart, for a fixture that places it when play starts.
class cWideSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSceneRecords();
    m_Stage = MakeSceneStage(30);
    m_Player = MakeCharaDef(0, 10);
    m_Player.m_nGroup = 0;
  }
  void TearDown() override { ClearScene(); }

  cEdStage m_Stage;
  cEdChara m_Player;
};
