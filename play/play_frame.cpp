// The play frame (state 2 of the stage scene) in its fixed order: the close
// request, the space key, player 1's input, the timers, n logic sub-steps,
// then the drawing; and every way out of play.
#include <algorithm>
#include <tuple>
#include <vector>

#include "platform/messages.h"
#include "play/block_chara_collision.h"
#include "play/condition_pass.h"
#include "play/hits.h"
#include "play/item_object.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/play_state.h"
#include "play/stage_scene.h"
#include "records/flow_enums.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

constexpr int kSoundPlayerDefeated = 8;
constexpr int kSoundCharaHurt = 7;
constexpr int kSoundCharaDefeated = 9;

enum : int { STEP_GO_ON = 0, STEP_FINISH = 1, STEP_DEFEAT = 2 };

}  // namespace

// ---- Steps of the live objects ------------------------------------------------
// Each is the one place where its unit plugs into the frame.

namespace {

// A chara's movement of one sub-step against the block map and the block
// charas: 2 when it dies there (a deadly block, crushed), else 0.
int MoveChara(cChara& c, cStageContext& ctx) {
  BeginSubStepMove(c);
  RideCarrier(c, g_lstChara);
  c.CharaDecayImpulseX();
  c.CharaDecayImpulseY();
  c.StepX();
  if (ctx.BlockMoveX(c) == 2) return 2;
  ctx.CharaApplyGravity(c);
  c.StepY();
  if (ctx.BlockMoveY(c) == 2) return 2;
  EndSubStepMove(c);
  if (CollideWithBlockCharas(c, g_lstChara) == 2) return 2;
  c.CharaCountInvincible();
  return 0;
}

}  // namespace

int cSceneStage::DefeatPlayer1() {
  RequestSystemSound(kSoundPlayerDefeated);
  m_bPlayer1Defeated = 1;
  cPlayer* p = ::FirstPlayer();
  if (p && !p->m_bDefeated) {
    p->m_bDefeated = 1;
    // The defeat flows, the score and the carried item; a 1 finishes the
    // stage.
    if (p->CharaOnDefeated() == 1) return 1;
  }
  return 0;
}

int cSceneStage::StepPlayer1() {
  if (m_nStageEnd == 1) return STEP_FINISH;
  if (m_nStageEnd == 2) return STEP_DEFEAT;
  cPlayer* p = ::FirstPlayer();
  if (!p) return STEP_GO_ON;
  p->m_Input = m_KeyLogs;
  p->RaiseTrigger(FlowTrigger::Always);
  m_lpCurChara = p;
  const int nDied = p->Update(0);
  m_lpCurChara = nullptr;
  if (m_nStageEnd == 1 || g_CharaScene.m_bStageEnd) return STEP_FINISH;
  if (m_nStageEnd == 2 || nDied) return STEP_DEFEAT;
  ApplyBlockEffect(*p);
  if (MoveChara(*p, *this) == 2) return STEP_DEFEAT;
  return STEP_GO_ON;
}

int cSceneStage::StepCharas(bool bBlockCharas) {
  for (auto& pc : g_lstChara) {
    cStageChara& c = *pc;
    if ((c.m_Def.m_bBlockChara != 0) != bBlockCharas) continue;
    if (!c.m_bEnabled || !c.m_bPresent || c.m_bDefeated || c.m_bRemoved) continue;
    c.RaiseTrigger(FlowTrigger::Always);
    m_lpCurChara = &c;
    const int nDied = c.Update(0);
    m_lpCurChara = nullptr;
    if (nDied || MoveChara(c, *this) == 2) {
      c.m_bDefeated = 1;
      const int r = c.CharaOnDefeated();
      if (r == 1) m_nStageEnd = 1;
      // Kept in play for its defeat effect, unless its defeat ended the
      // stage.
      if (g_System.m_bKeepDefeated) {
        if (r == 1)
          c.m_bRemoved = 1;
        else
          RequestSystemSound(kSoundCharaDefeated);
      }
    }
  }
  if (!bBlockCharas || m_bSweep) {
    m_bSweep = 0;
    SweepCharas();
    SweepItems();
  }
  return STEP_GO_ON;
}

int cSceneStage::StepShots() {
  // Areas 4 and 5: the players' shots and the stage charas'.
  const REMOVALAREA aArea[2] = {RemovalAreaOf(g_Stage.m_aSub[3]), RemovalAreaOf(g_Stage.m_aSub[4])};
  m_Shots.StepAll(m_nSubStep, aArea);
  return STEP_GO_ON;
}

void cSceneStage::RemoveOffScreen() {
  const REMOVALAREA aArea[3] = {RemovalAreaOf(g_Stage.m_aSub[0]), RemovalAreaOf(g_Stage.m_aSub[1]),
                                RemovalAreaOf(g_Stage.m_aSub[2])};
  for (auto& pc : g_lstChara) {
    cStageChara& c = *pc;
    const int k = c.m_Def.m_bBlockChara ? 1 : 0;
    if (!m_abOffScreen[k] || c.m_bDefeated || !c.m_bEnabled) continue;
    if (c.IsOutOfArea(aArea[k])) c.m_bRemoved = 1;
  }
  if (m_abOffScreen[2])
    for (auto& pi : g_lstItem)
      if (pi->IsOutOfArea(aArea[2])) pi->m_bRemoved = 1;
  // Freed at once: nothing holds them during this step.
  SweepCharas();
  SweepItems();
}

int cSceneStage::ResolvePlayerContacts() {
  cPlayer* p = ::FirstPlayer();
  if (!p || p->m_bDefeated) return STEP_GO_ON;
  if (IsHitSubStep(m_vHitSubStep, m_nSubStep)) {
    const int r = ResolveShotHits();
    if (m_bSweep) {
      m_bSweep = 0;
      SweepCharas();
    }
    if (r != STEP_GO_ON) return r;
  }
  const int rc = ResolveCharaContacts();
  if (m_bSweep) {
    m_bSweep = 0;
    SweepCharas();
  }
  if (rc != STEP_GO_ON) return rc;
  m_Shots.ClashShots();
  const int r = TouchItems(*p);
  if (r == 2) return STEP_DEFEAT;
  if (r == 1 || g_CharaScene.m_bStageEnd) return STEP_FINISH;
  if (m_nStageEnd == 1) return STEP_FINISH;
  if (m_nStageEnd == 2) return STEP_DEFEAT;
  return STEP_GO_ON;
}

// ---- The frame ----------------------------------------------------------------

void cSceneStage::PlayFrame() {
  if (m_bCloseRequest) {
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    return;
  }
  if (OpenPauseMenu()) return;
  if (CheckReplaySaveKeys()) return;
  ++m_nPlayFrame;

  // Player 1's input. The closing key of a menu or wait is swallowed until a
  // frame in which nothing is newly pressed. A replay takes its keys from
  // the record alone.
  if (m_Start.nTitleChoice == 4) {
    if (!PlayReplayInput()) return;
  } else {
    PLAYERKEYS keys;
    if (g_StageLinks.pfnReadKeys) g_StageLinks.pfnReadKeys(keys);
    if (keys.wPressed == 0) {
      m_bKeySwallow = 0;
    } else if (m_bKeySwallow && g_StageLinks.pfnClearPressed) {
      g_StageLinks.pfnClearPressed();
    }
  }
  if (g_StageLinks.pfnRecordInput) g_StageLinks.pfnRecordInput();
  RecordReplayInput();
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

  // The flows' trigger marks of a frame: a flow examined in one sub-step
  // is not raised again by the same trigger in the next.
  for (auto& p : g_vPlayer) p->CharaResetFlowMarks();
  for (auto& c : g_lstChara)
    if (!c->m_bDefeated) c->CharaResetFlowMarks();

  const int n = static_cast<int>(g_Stage.m_nSpeedDiv);
  for (int k = 1; k <= n; ++k) {
    m_nSubStep = k;
    ++m_nSubStepCount;
    EvaluateCharaConditions(m_Shots);
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
