// The play frame (state 2 of the stage scene) in its fixed order: the close
// request, the space key, player 1's input, the timers, n logic sub-steps,
// then the drawing; and every way out of play.
#include "platform/messages.h"
#include "play/play_state.h"
#include "play/stage_scene.h"
#include "records/stage.h"

namespace {

constexpr int kSoundPlayerDefeated = 8;

enum : int { STEP_GO_ON = 0, STEP_FINISH = 1, STEP_DEFEAT = 2 };

}  // namespace

// ---- Steps of the live objects ------------------------------------------------
// Each is the one place where its unit plugs into the frame. Until the
// player, the charas, the items and the shots land, only the parts that
// belong to the scene run.

int cSceneStage::DefeatPlayer1() {
  RequestSystemSound(kSoundPlayerDefeated);
  // CharaOnDefeated of player 1 (its defeat flows, score and defeated flag)
  // comes with the player; a 1 from it finishes the stage.
  m_bPlayer1Defeated = 1;
  return 0;
}

int cSceneStage::StepPlayer1() {
  // Trigger 0 and the player's Update come with the player; the stage-end
  // request is the scene's own.
  if (m_nStageEnd == 1) return STEP_FINISH;
  if (m_nStageEnd == 2) return STEP_DEFEAT;
  // Then: the sweep, ApplyBlockEffect, RideCarrier, the X/Y block moves
  // with their deaths, the squeeze tests, CollideWithBlockCharas, the
  // rechecks and the push-speed decay.
  return STEP_GO_ON;
}

int cSceneStage::StepCharas(bool) {
  // The chara passes (block charas first, the short form; then the others,
  // the long form) walk g_lstChara here once the charas land.
  return STEP_GO_ON;
}

int cSceneStage::StepShots() { return STEP_GO_ON; }

void cSceneStage::RemoveOffScreen() {}

int cSceneStage::ResolvePlayerContacts() {
  // UseHeldItem, ResolveGroupHits, then TouchItems while player 1 stands.
  return STEP_GO_ON;
}

// ---- The frame ----------------------------------------------------------------

void cSceneStage::PlayFrame() {
  if (m_bCloseRequest) {
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    return;
  }
  if (CheckSpaceKey()) {
    m_nSavedState = m_nState;
    m_nSavedSubState = m_nSubState;
    m_nSubState = 0;
    m_nState = STAGESTATE_PAUSEMENU;
    return;
  }
  ++m_nPlayFrame;

  // Player 1's input. The closing key of a menu or wait is swallowed until a
  // frame in which nothing is newly pressed.
  PLAYERKEYS keys;
  if (g_StageLinks.pfnReadKeys) g_StageLinks.pfnReadKeys(keys);
  if (keys.wPressed == 0) {
    m_bKeySwallow = 0;
  } else if (m_bKeySwallow && g_StageLinks.pfnClearPressed) {
    g_StageLinks.pfnClearPressed();
  }
  if (g_StageLinks.pfnRecordInput) g_StageLinks.pfnRecordInput();
  if (g_StageLinks.pfnReadKeyLogs) {
    g_StageLinks.pfnReadKeyLogs(m_avKeyLog);
    for (int i = 0; i < KEY_LOGS; ++i) m_KeyLogs.aLog[i] = m_avKeyLog[i];
  }

  // Each way out ends the frame without drawing: the screen keeps the
  // previous picture.
  auto finish = [this] {
    FinishStage();
    m_nState = STAGESTATE_RESULT;
  };
  auto defeat = [this, &finish] {
    if (DefeatPlayer1() == 1) finish();
  };

  TickPlayTimer();
  if (TickStageTimeLimit(-1) && !Player1Defeated()) {
    defeat();
    return;
  }

  const int n = static_cast<int>(g_Stage.m_nSpeedDiv);
  for (int k = 1; k <= n; ++k) {
    m_nSubStep = k;
    ++m_nSubStepCount;
    // EvaluateCharaConditions, the life times and the housekeeping of the
    // charas and player 1 run here with them.
    StepScroll(SCROLL_X);
    StepScroll(SCROLL_Y);
    if (!Player1Defeated()) {
      int r = StepCharas(true);
      if (r == STEP_FINISH) return;
      if (r != STEP_GO_ON) return;
      r = StepPlayer1();
      if (r == STEP_FINISH) return finish();
      if (r == STEP_DEFEAT) return defeat();
      r = StepCharas(false);
      if (r != STEP_GO_ON) return;
    }
    if (StepShots() != STEP_GO_ON) return;
    if (k == 1 && !Player1Defeated()) RemoveOffScreen();
    if (!Player1Defeated()) {
      const int r = ResolvePlayerContacts();
      if (r == STEP_FINISH) return finish();
      if (r == STEP_DEFEAT) return defeat();
    }
  }
  DrawStageFrame(1, 0, 1, 1);
}
