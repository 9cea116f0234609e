// The play frame (state 2 of the stage scene) in its fixed order: the close
// request, the space key, player 1's input, the timers, n logic sub-steps,
// then the drawing; and every way out of play.
#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "base/report.h"
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
#include "play/target_index.h"
#include "records/flow_enums.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

constexpr int kSoundPlayerDefeated = 8;
constexpr int kSoundCharaHurt = 7;
constexpr int kSoundCharaDefeated = 9;

// The results of the frame's steps: go on, finish the stage, defeat player
// 1, or end the frame at once (its outcome already settled).
enum : int { STEP_GO_ON = 0, STEP_FINISH = 1, STEP_DEFEAT = 2, STEP_END_FRAME = 3 };

}  // namespace

// ---- Steps of the live objects ------------------------------------------------
// Each is the one place where its unit plugs into the frame.

namespace {

// What a stage chara's movement made of it.
enum : int { MOVED = 0, MOVED_FALLEN = 1, MOVED_LEAVING = 2 };

// Walls on both sides, or above and below: the chara is squeezed.
bool Squeezed(const cChara& c) { return (c.m_bTouchLeft && c.m_bTouchRight) || (c.m_bTouchTop && c.m_bTouchBottom); }

// A stage chara's movement of one sub-step against the block map; the long
// form (charas that are not block charas) also rides its carrier and meets
// the block charas. A result that ends the movement stops it there.
int MoveStageChara(cStageChara& c, cStageContext& ctx, bool bLong) {
  if (bLong && c.m_bRidingChara) RideCarrier(c, g_lstChara);
  if (c.StepX() == 4) return MOVED_LEAVING;
  if (ctx.BlockMoveX(c) == 2) return MOVED_FALLEN;
  ctx.CharaApplyGravity(c);
  const int y = c.StepY();
  if (y == 7) return MOVED_FALLEN;
  if (y == 8) return MOVED_LEAVING;
  if (ctx.BlockMoveY(c) == 2) return MOVED_FALLEN;
  EndSubStepMove(c);
  if (!bLong) return MOVED;
  if (CollideWithBlockCharas(c, g_lstChara) == 2) return MOVED_FALLEN;
  ctx.BlockRecheckX(c);
  ctx.BlockRecheckY(c);
  return Squeezed(c) ? MOVED_FALLEN : MOVED;
}

void TraceTouches(const cChara& c) {
  Logf("Player[P1].LRUD = %d,%d,%d,%d", c.m_bTouchLeft, c.m_bTouchRight, c.m_bTouchTop, c.m_bTouchBottom);
}

}  // namespace

int cSceneStage::DefeatPlayer1() {
  RequestSystemSound(kSoundPlayerDefeated);
  m_bPlayer1Defeated = 1;
  cPlayer* p = ::FirstPlayer();
  // The defeat flows, the score and the carried item; a 1 finishes the
  // stage. The defeat marks the player defeated at its end.
  if (p && !p->m_bDefeated && p->CharaOnDefeated() == 1) return 1;
  return 0;
}

int cSceneStage::DefeatCharaInPlay(cStageChara& c) {
  if (c.m_bDefeated) return 0;
  m_bSweep = 1;
  return c.CharaOnDefeated() == 1 ? 1 : 0;
}

int cSceneStage::SweepDefeatedCharas(bool bErase) {
  m_bSweep = 0;
  cPlayer* p = ::FirstPlayer();
  if (p && p->m_nHp <= 0 && !Player1Defeated()) return DefeatPlayer1() == 1 ? STEP_FINISH : STEP_END_FRAME;
  if (bErase) {
    SweepCharas();
    SweepItems();
  }
  return STEP_GO_ON;
}

void cSceneStage::CountLifeTimes() {
  for (auto& c : g_lstChara) {
    if (c->m_bDefeated || c->m_bRemoved || c->m_nLifeTime == INT32_MAX) continue;
    if (--c->m_nLifeTime < 0) c->m_bRemoved = 1;
  }
  for (auto& it : g_lstItem) {
    if (it->m_bRemoved || it->m_nLifeTime == INT32_MAX) continue;
    if (--it->m_nLifeTime < 0) it->m_bRemoved = 1;
  }
  SweepCharas();
  SweepItems();
}

void cSceneStage::KeepHouse() {
  auto keep = [](cChara& c) {
    c.CharaCountInvincible();
    c.CharaClearContacts();
    BeginSubStepMove(c);
  };
  for (auto& c : g_lstChara)
    if (!c->m_bRemoved) keep(*c);
  if (cPlayer* p = ::FirstPlayer()) {
    keep(*p);
    p->PlayerSaveDir();
  }
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
  if (m_bSweep) {
    const int r = SweepDefeatedCharas(true);
    if (r != STEP_GO_ON) return r;
  }
  ApplyBlockEffect(*p);
  if (p->m_bRidingChara) RideCarrier(*p, g_lstChara);

  // Each death is written to the trace log before the defeat.
  auto dead = [p](const char* pszWhy, bool bTouches) {
    if (bTouches) TraceTouches(*p);
    Logf("%s", pszWhy);
    return STEP_DEFEAT;
  };
  // The protection that would spare player 1 a squeeze is not given by any
  // setting: it is always clear.
  auto squeezed = [p]() {
    if (!Squeezed(*p)) return false;
    p->CharaRestoreBox();
    p->SyncBoxX();
    p->SyncBoxY();
    return true;
  };
  p->StepX();
  KeepInViewX(*p);
  if (BlockMoveX(*p) == 2) return dead("Dead 1", false);
  KeepInViewX(*p);
  CharaApplyGravity(*p);
  if (p->StepY() == 7) return dead("Dead 2", false);
  if (KeepInViewY(*p) == 2) return dead("Dead 3", false);
  if (BlockMoveY(*p) == 2) return dead("Dead 4", false);
  if (KeepInViewY(*p) == 2) return dead("Dead 5", false);
  EndSubStepMove(*p);
  if (squeezed()) return dead("Dead SP", true);
  if (CollideWithBlockCharas(*p, g_lstChara) == 2) return dead("Dead 6", false);
  if ((p->m_bTouchLeft || p->m_bTouchRight) && BlockRecheckX(*p) == 2) return dead("Dead 7", false);
  if ((p->m_bTouchTop || p->m_bTouchBottom) && BlockRecheckY(*p) == 2) return dead("Dead 8", false);
  if (squeezed()) return dead("Dead 9", true);
  p->CharaDecayImpulseX();
  p->CharaDecayImpulseY();
  return STEP_GO_ON;
}

int cSceneStage::StepCharas(bool bBlockCharas) {
  // A defeat in the step: the chara stays for its defeat effect only with
  // the keep-defeated setting, and never when its defeat ended the stage.
  auto defeat = [this](cStageChara& c) {
    const int r = DefeatCharaInPlay(c);
    if (!g_System.m_bKeepDefeated || r == 1)
      c.m_bRemoved = 1;
    else
      RequestSystemSound(kSoundCharaDefeated);
    return r;
  };
  // The walkers meet only the block charas, not each other.
  cBlockCharaRoster roster;
  for (auto& pc : g_lstChara) {
    cStageChara& c = *pc;
    if ((c.m_Def.m_bBlockChara != 0) != bBlockCharas) continue;
    if (!c.m_bEnabled || !c.m_bPresent || c.m_bDefeated || c.m_bRemoved) continue;
    c.RaiseTrigger(FlowTrigger::Always);
    m_lpCurChara = &c;
    const int nDied = c.Update(0);
    m_lpCurChara = nullptr;
    if (nDied) {
      if (defeat(c) == 1) return STEP_FINISH;
      continue;
    }
    // Inside the walk the sweep only settles player 1; the charas it would
    // erase leave at the end of the pass.
    if (m_bSweep) {
      const int r = SweepDefeatedCharas(false);
      if (r != STEP_GO_ON) return r;
    }
    switch (MoveStageChara(c, *this, !bBlockCharas)) {
      case MOVED_FALLEN:
        RequestSystemSound(kSoundCharaDefeated);
        if (defeat(c) == 1) return STEP_FINISH;
        break;
      case MOVED_LEAVING: c.m_bRemoved = 1; break;
      default:
        c.CharaDecayImpulseX();
        c.CharaDecayImpulseY();
        break;
    }
  }
  SweepCharas();
  SweepItems();
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
  TargetIndexNewFrame();

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

  // A step's result other than going on ends the frame.
  auto outcome = [&finish, &defeat](int r) {
    if (r == STEP_FINISH) finish();
    if (r == STEP_DEFEAT) defeat();
    return r != STEP_GO_ON;
  };
  const int n = static_cast<int>(g_Stage.m_nSpeedDiv);
  for (int k = 1; k <= n; ++k) {
    m_nSubStep = k;
    ++m_nSubStepCount;
    EvaluateCharaConditions(m_Shots);
    if (!Player1Defeated()) {
      CountLifeTimes();
      KeepHouse();
    }
    StepScroll(SCROLL_X);
    StepScroll(SCROLL_Y);
    if (!Player1Defeated()) {
      if (outcome(StepCharas(true))) return;
      if (outcome(StepPlayer1())) return;
      if (outcome(StepCharas(false))) return;
    }
    if (StepShots() != STEP_GO_ON) return;
    if (k == 1 && !Player1Defeated()) RemoveOffScreen();
    if (!Player1Defeated() && outcome(ResolvePlayerContacts())) return;
  }
  DrawStageFrame(1, 0, 1, 1);
}
