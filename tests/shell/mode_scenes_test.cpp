// The stage mode's links to the shell: every one installed, player 1's keys
// read as held and newly pressed, and the run logs handed to stage play.
#include "shell/mode_scenes.h"

#include <gtest/gtest.h>

#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/play_state.h"
#include "play/stage_scene.h"
#include "records/block.h"
#include "records/flow_enums.h"
#include "records/progress.h"
#include "shell/main_window.h"
#include "shell/player_input.h"

namespace {

class StageLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    m_SavedPlayLinks = g_PlayLinks;
    g_StageLinks = STAGELINKS{};
    g_PlayLinks = PLAYLINKS{};
    InstallStageLinks();
    g_vPlayerInput.assign(1, cPlayerInput());
  }
  void TearDown() override {
    g_StageLinks = STAGELINKS{};
    g_PlayLinks = m_SavedPlayLinks;  // the menus' sound link of the other tests
  }
  PLAYLINKS m_SavedPlayLinks;
};

}  // namespace

TEST_F(StageLinks, StartUpInstallsEveryLink) {
  const STAGELINKS& s = g_StageLinks;
  EXPECT_TRUE(s.pfnReadKeys && s.pfnClearPressed && s.pfnRecordInput && s.pfnReadKeyLogs && s.pfnResetInputLogs &&
              s.pfnFrozenFrameStart && s.pfnPresent && s.pfnAppActive && s.pfnStartStageFile && s.pfnFade &&
              s.pfnPlayingBgm && s.pfnLoadStageSurfaces && s.pfnDrawText);
  EXPECT_TRUE(g_PlayLinks.pfnFrameIntervalTick && g_PlayLinks.pfnPlaySound && g_PlayLinks.pfnPlayBgm);
  // The blocks' conditions are tested for player 1 from now on.
  g_vPlayer.push_back(std::make_unique<cPlayer>());
  g_Progress.m_vVar.assign(8, 0);
  cEdBlock b;
  b.m_nImageIndex = 1;
  b.m_vecCondition.resize(1);
  b.m_vecCondition[0].m_byKind = FlowConditionKind::CommonVarCondition;
  b.m_vecCondition[0].m_nVarIndex = 1;
  b.m_vecCondition[0].m_nValue = 1;
  EXPECT_EQ(b.GetHitKind(0), BLOCKHIT_NONE);
  g_Progress.m_vVar[1] = 1;
  EXPECT_EQ(b.GetHitKind(0), BLOCKHIT_SOLID);
  g_vPlayer.clear();
}

// The window plays the stage's piece with the loop flag the stage's music
// request carries; a screen's request leaves it alone.
TEST_F(StageLinks, TheStageMusicRequestHandsItsLoopFlagToTheWindow) {
  const int32_t nSaved = g_nStageBgmLoop, nSavedOption = g_Progress.m_nStageBgmOption;
  for (int nOption : {1, 0, 1}) {
    RequestBgmPlay(g_Progress, 2, nOption);
    EXPECT_EQ(g_nStageBgmLoop.load(), nOption);
  }
  g_Progress.m_nStageBgmOption = 0;
  g_PlayLinks.pfnPlayBgm(1, 2);
  EXPECT_EQ(g_nStageBgmLoop.load(), 1);
  g_nStageBgmLoop = nSaved;
  g_Progress.m_nStageBgmOption = nSavedOption;
}

TEST_F(StageLinks, AButtonIsNewlyPressedOnlyInItsFirstFrame) {
  cPlayerInput& in = g_vPlayerInput[0];
  struct STEP {
    uint16_t wButton;
    uint16_t wPressed;
  } steps[] = {{0, 0}, {1, 1}, {1, 0}, {3, 2}, {0, 0}, {1, 1}};
  PLAYERKEYS keys;
  for (const STEP& st : steps) {
    in.m_wButton = st.wButton;
    g_StageLinks.pfnReadKeys(keys);
    EXPECT_EQ(keys.wHeld, st.wButton);
    EXPECT_EQ(keys.wPressed, st.wPressed) << st.wButton;
  }
  g_StageLinks.pfnClearPressed();
  EXPECT_EQ(in.m_wButton, 0);
}

TEST_F(StageLinks, KeyLogsFollowTheInputRuns) {
  cPlayerInput& in = g_vPlayerInput[0];
  in.m_wDirection = INPUT_RIGHT;
  in.m_wButton = 1;
  for (int i = 0; i < 3; ++i) g_StageLinks.pfnRecordInput();
  std::vector<KEYRUN> logs[KEY_LOGS];
  g_StageLinks.pfnReadKeyLogs(logs);
  for (int i = 0; i < KEY_LOGS; ++i) {
    ASSERT_FALSE(logs[i].empty()) << i;
    EXPECT_EQ(logs[i][0].dwFrames, 3u) << i;
  }
  // Button logs follow the ten direction logs: "no button" is not held,
  // button 1 is.
  EXPECT_EQ(logs[10][0].dwState, 0u);
  EXPECT_EQ(logs[11][0].dwState, 1u);
}
