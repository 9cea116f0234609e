#include "play/live_chara.h"

#include <algorithm>
#include <cmath>

#include "flow/lead_in_anime.h"
#include "flow/value_ops.h"
#include "play/chara_targeting.h"
#include "play/effect_runs.h"
#include "play/hits.h"
#include "play/id_index.h"
#include "play/item_object.h"
#include "play/live_lists.h"
#include "play/play_state.h"
#include "play/move_preparers.h"
#include "play/play_math.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_context.h"
#include "play/stage_scene.h"
#include "play/target_index.h"
#include "records/database.h"
#include "records/progress.h"
#include "records/system.h"

CHARASCENE g_CharaScene;

namespace {

constexpr int GAUGE_FRAMES = 120;
constexpr int GAUGE_WIDTH = 50;
constexpr int KNOCKBACK_CAP = 20;

// The flow context and the stage's current chara, kept across a trigger
// raised from inside another chara's flow (a hit, a defeat): the flow that
// was running goes on with its own chara.
struct CONTEXTSAVE {
  FLOWCONTEXT flow = g_FlowContext;
  cGameObj* lpCur = g_lpStageContext ? g_lpStageContext->m_lpCurChara : nullptr;
  ~CONTEXTSAVE() {
    g_FlowContext = flow;
    if (g_lpStageContext) g_lpStageContext->m_lpCurChara = lpCur;
  }
};

int GaugeBar(int32_t nValue, int32_t nMax) {
  return static_cast<int>(static_cast<int64_t>(nValue) * GAUGE_WIDTH / nMax);
}

void StartGauge(GAUGE& g, int32_t nDelta, int32_t nValue, int32_t nMax) {
  // A maximum of 0 or less has no gauge (it would divide by it).
  if (nDelta == 0 || nMax <= 0) return;
  g.m_nTimer = GAUGE_FRAMES;
  g.m_nBar = GaugeBar(nValue, nMax);
  g.m_dChange = static_cast<double>(nDelta) * GAUGE_WIDTH / nMax;
  g.m_dStep = g.m_dChange * 0.016666666666666666;
}

int32_t ClampValue(int64_t v, int32_t nMax) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, std::max(nMax, 0))); }

// A positive value loses d, a negative one gains it, neither crossing 0.
void DecayToward0(double& v, double d) {
  if (v > 0) v = v - d < 0 ? 0 : v - d;
  else if (v < 0) v = v + d > 0 ? 0 : v + d;
}

bool Opposite(double a, double b) { return (a > 1e-8 && b < -1e-8) || (a < -1e-8 && b > 1e-8); }

}  // namespace

cChara::cChara() {
  EffectRunReset(m_Effect);
  m_vVar.assign(9, 0);
}

// A chara freed anywhere (a summon that failed, a stand-in, the lists at the
// stage's end) takes itself out of its target's pursuers, its pursuers'
// targets and its family first, and out of the search and id indexes.
cChara::~cChara() {
  DropLinks();
  TargetIndexForget(*this);
  IdIndexForget(*this);
}

void cChara::RaiseTrigger(int nTrigger) {
  CONTEXTSAVE save;
  if (g_lpStageContext) g_lpStageContext->m_lpCurChara = this;
  TriggerFlows(*this, nTrigger);
}

void cChara::KeepFootOnScale(int nNew, int nOld) {
  if (nNew == nOld) return;
  if (g_System.m_bScaleFromFoot) m_dY -= static_cast<double>(m_nBoxH0) * (nNew - nOld);
  else m_dY -= static_cast<double>(m_nImgH0 - m_nImgOffsetY0) * (nNew - nOld);
  OnMovedY();
}

void cChara::SetCenterX(double x) {
  const double c = m_rcScreen.left + m_nImgW / 2;
  m_dX += x - c;
  OnMovedX();
}

void cChara::SetCenterY(double y) {
  const double c = m_rcScreen.top + m_nImgH / 2;
  m_dY += y - c;
  OnMovedY();
}

void cChara::SetCenter(double x, double y) {
  SetCenterX(x);
  SetCenterY(y);
}

namespace {
void ClearRunVelocity() {
  if (cCommandRun* r = g_FlowContext.m_lpCurCommand) r->m_dVelocityX = r->m_dVelocityY = 0;
}
}  // namespace

void cChara::SetCenterXR(double x) {
  SetCenterX(x);
  ClearRunVelocity();
}
void cChara::SetCenterYR(double y) {
  SetCenterY(y);
  ClearRunVelocity();
}
void cChara::SetCenterR(double x, double y) {
  SetCenter(x, y);
  ClearRunVelocity();
}

// ---- Set-up ----

void cChara::CharaInit(const cEdChara* lpDef, double x, double y, uint16_t wWord) {
  m_wSetupWord = wWord;
  DropLinks();
  if (cPlayer* p1 = FirstPlayer(); p1 && p1 != this) SetTargetChara(p1);
  m_FlowNumbers = FLOWNUMBERFLAGS{};
  m_dSetupX = x;
  m_dSetupY = y;
  m_dImpulseX = m_dImpulseY = m_dImpulseYPrev = 0;
  m_bJumpA = m_bJumpB = m_bJumpC = 0;
  CharaClearContacts();
  m_nHp = m_nSp = 0;
  if (lpDef) {
    m_Def = *lpDef;
    m_nHp = ClampValue(m_Def.m_nMaxHp, INT32_MAX);
    m_nSp = ClampValue(m_Def.m_nMaxSp, INT32_MAX);
  }
  m_HpGauge = GAUGE{};
  m_SpGauge = GAUGE{};
  m_nFollowScroll = m_Def.m_bFollowScroll;
  BrakingChanged();
  m_nViewLimitPixels = m_Def.m_nViewLimitHalfCells * 16;
  m_nInvincible = 0;
  if (m_Def.m_nAppearEffect != 0)
    CharaEffectStart(m_Effect, m_Def.m_nAppearEffect, m_Def.m_nAppearEffectMode, m_Def.m_bAppearEffectRepeat);
  m_lstImmunity.clear();
  CharaSetAnimeSet(m_Def.m_nAnimeSet, 1);
  m_vFlowRun.clear();
}

void cChara::CharaBuildFlowRuns(const cVector<cEdFlow>* lpFlows, int nFacing, int bAdd, int nPosition) {
  const FLOWTIMING timing{m_wSetupWord, SpeedDivisorInt(), SpeedDivisor()};
  size_t nFirst = 0, nCount = 0;
  if (!bAdd) {
    if (lpFlows && lpFlows != &m_Def.m_vecFlow) m_Def.m_vecFlow = *lpFlows;
    BuildFlowRuns(m_vFlowRun, m_Def.m_vecFlow, timing);
    nCount = m_vFlowRun.size();
  } else {
    if (!lpFlows || lpFlows->empty()) return;
    // Copied first: the flows handed in may be this chara's own.
    cVector<cEdFlow> vNew = *lpFlows;
    cVector<cFlowRun> vRun;
    BuildFlowRuns(vRun, vNew, timing);
    const size_t nHave = m_vFlowRun.size();
    nFirst = (nPosition >= 0 && static_cast<size_t>(nPosition) < nHave) ? static_cast<size_t>(nPosition) : nHave;
    nCount = vNew.size();
    const size_t nFlowAt = std::min(nFirst, m_Def.m_vecFlow.size());
    m_Def.m_vecFlow.insert(m_Def.m_vecFlow.begin() + nFlowAt, vNew.begin(), vNew.end());
    m_vFlowRun.insert(m_vFlowRun.begin() + nFirst, vRun.begin(), vRun.end());
    CharaRebuildFlowIndex();
    for (size_t i = nFirst; i < nFirst + nCount; ++i)
      if (m_vFlowRun[i].m_lpFlow && m_vFlowRun[i].m_lpFlow->m_byTriggerMode == 0) m_vFlowRun[i].m_bKeyHeld = 1;
  }
  // The move preparers fill what the builder leaves: angles, targets, radii,
  // jump speeds and durations for this chara and its facing.
  for (size_t i = nFirst; i < nFirst + nCount && i < m_vFlowRun.size(); ++i) {
    for (cCommandRun& c : m_vFlowRun[i].m_vCommand) {
      if (!c.m_lpCommand) continue;
      MOVERUN mv;
      mv.byTurning = c.m_nDirection;
      mv.dSpeed = c.m_dSpeed;
      mv.nDuration = c.m_nDuration;
      PrepareMoveCommand(mv, *c.m_lpCommand, m_nType, m_wSetupWord, nFacing == 1);
      c.m_nAngle = static_cast<int16_t>(mv.nAngle);
      c.m_nTargetX = mv.nTargetX;
      c.m_nTargetY = mv.nTargetY;
      c.m_nRadius = mv.nRange;
      c.m_nStartAngle = mv.nStartAngle;
      c.m_nDirection = mv.byTurning;
      c.m_dSpeed = mv.dSpeed;
      c.m_nDuration = mv.nDuration;
    }
  }
}

void cChara::CharaRebuildFlowIndex() {
  const size_t n = std::min(m_vFlowRun.size(), m_Def.m_vecFlow.size());
  for (size_t i = 0; i < m_vFlowRun.size(); ++i) {
    cFlowRun& run = m_vFlowRun[i];
    run.m_nIndex = static_cast<int32_t>(i);
    run.m_lpFlow = i < n ? &m_Def.m_vecFlow[i] : nullptr;
    run.m_vKeyCondition.clear();
    if (!run.m_lpFlow) {
      run.m_vCommand.clear();
      continue;
    }
    for (cEdKeyCondition& k : run.m_lpFlow->m_vecKeyCondition) run.m_vKeyCondition.push_back(&k);
    cVector<cEdCommand>& vCmd = run.m_lpFlow->m_vecCommand;
    run.m_vCommand.resize(vCmd.size());
    for (size_t j = 0; j < vCmd.size(); ++j) run.m_vCommand[j].m_lpCommand = &vCmd[j];
  }
}

void cChara::CharaRemoveFlowRun(int nIndex) {
  if (nIndex < 0) return;
  const size_t i = static_cast<size_t>(nIndex);
  if (i < m_vFlowRun.size()) StopFlow(m_vFlowRun[i], *this);
  if (i < m_Def.m_vecFlow.size()) m_Def.m_vecFlow.erase(m_Def.m_vecFlow.begin() + nIndex);
  if (i < m_vFlowRun.size()) m_vFlowRun.erase(m_vFlowRun.begin() + nIndex);
  CharaRebuildFlowIndex();
}

int cChara::CharaRemoveFlowsOfGroup(int nGroup) {
  if (nGroup == 0) {
    for (cFlowRun& r : m_vFlowRun) StopFlow(r, *this);
    m_vFlowRun.clear();
    m_Def.m_vecFlow.clear();
    CharaRebuildFlowIndex();
    return 0;
  }
  int nFirst = -1;
  for (size_t i = 0; i < m_vFlowRun.size();) {
    const cEdFlow* f = m_vFlowRun[i].m_lpFlow;
    if (!f || f->m_byFlowId != nGroup) {
      ++i;
      continue;
    }
    if (nFirst < 0) nFirst = static_cast<int>(i);
    CharaRemoveFlowRun(static_cast<int>(i));
  }
  return nFirst;
}

int cChara::CharaFrameUpdate(int bDied) {
  if (g_lpStageContext) g_lpStageContext->m_lpCurChara = this;
  if (g_System.m_bFollowScroll || !m_nFollowScroll) {
    m_dSpeedX = 0;
    if (m_nNoGravity) m_dSpeedY = 0;
  } else if (g_lpStageContext) {
    m_dSpeedX = g_lpStageContext->FollowScrollSpeed(SCROLL_X);
    if (m_nNoGravity) m_dSpeedY = g_lpStageContext->FollowScrollSpeed(SCROLL_Y);
  }
  m_bHovering = 0;
  // The deceleration switches: an inertia move that pushes on clears its
  // axis's switch for this frame.
  m_abNoPush[0] = m_abNoPush[1] = 1;
  m_bMoveRan = 0;
  m_bEndRequest = 0;
  m_bMoveDisabled = 0;
  (void)bDied;
  // The commands' lead-in animations due at this flow frame start before
  // the flows step, so that each ends as its command begins.
  StartLeadInAnimations(*this);
  // The flow runner steps the running flows (only the Died ones once HP is
  // gone), removes the deleted runs and releases the stop numbers.
  RunCharaFlows(*this);
  if (m_vFlowRun.size() != m_Def.m_vecFlow.size()) {
    // The runner took deleted runs out; their flows leave m_Def with them,
    // so that runs and flows keep one index.
    cVector<cEdFlow> vKept;
    for (const cFlowRun& r : m_vFlowRun) vKept.push_back(r.m_lpFlow ? *r.m_lpFlow : cEdFlow());
    m_Def.m_vecFlow = std::move(vKept);
    CharaRebuildFlowIndex();
  }
  if (g_lpStageContext) g_lpStageContext->m_lpCurChara = nullptr;
  if (!m_bMoveRan && m_dSpeedX2 == 0 && m_dSpeedY2 == 0) m_Anime.ChangeAnime(m_nNoGravity ? 2 : 0, true);
  if (m_bEndRequest) return 1;
  return m_nHp <= 0 ? 1 : 0;
}

// ---- Life and gauges ----

int cChara::CharaChangeLife(int32_t nDelta, int bForce, int bShowGauge) {
  if (!bForce && nDelta <= 0 && m_Def.m_nInvincibleKind != 0) return 0;
  const int32_t nMax = ClampValue(m_Def.m_nMaxHp, INT32_MAX);
  int64_t d = nDelta;
  if (d > 0) d = std::min<int64_t>(d, static_cast<int64_t>(nMax) - m_nHp);
  m_nHp = ClampValue(static_cast<int64_t>(m_nHp) + d, nMax);
  if (m_nHp <= 0) {
    m_nHp = 0;
    return 1;
  }
  if (bShowGauge) CharaStartLifeGauge(static_cast<int32_t>(d));
  return 0;
}

void cChara::CharaChangeSp(int32_t nDelta, int bShowGauge) {
  const int32_t nMax = ClampValue(m_Def.m_nMaxSp, INT32_MAX);
  int64_t d = nDelta;
  if (d > 0) d = std::min<int64_t>(d, static_cast<int64_t>(nMax) - m_nSp);
  m_nSp = ClampValue(static_cast<int64_t>(m_nSp) + d, nMax);
  if (bShowGauge && nMax > 0) CharaStartSpGauge(static_cast<int32_t>(d));
}

void cChara::CharaStartLifeGauge(int32_t nDelta) {
  StartGauge(m_HpGauge, nDelta, m_nHp, ClampValue(m_Def.m_nMaxHp, INT32_MAX));
}

void cChara::CharaStartSpGauge(int32_t nDelta) {
  StartGauge(m_SpGauge, nDelta, m_nSp, ClampValue(m_Def.m_nMaxSp, INT32_MAX));
}

int cChara::GaugeTick(GAUGE& g) {
  if (g.m_nTimer < 1) return 0;
  g.m_nTimer -= 1;
  if (g.m_nTimer >= 60) g.m_dChange -= g.m_dStep;
  else g.m_dChange = 0;
  return 1;
}

namespace {
// Attack minus defence within 0 … 999999; an attack of 0 or less is used as
// it is (a negative attack heals), but for -2^31, whose heal the callers
// could not negate: it heals as much as -(2^31 - 1), which fills any HP.
int32_t DamageOf(int32_t nAttack, int32_t nDefence) {
  if (nAttack <= 0) return std::max(nAttack, -INT32_MAX);
  return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(nAttack) - nDefence, 0, SCORE_CAP));
}
}  // namespace

int cChara::CharaDamagedByChara(cChara& other) {
  const int32_t a = static_cast<int32_t>(other.m_Def.m_nAttack);
  const int nResult = CharaChangeLife(-DamageOf(a, static_cast<int32_t>(m_Def.m_nDefence)), 0, 1);
  if (other.m_Def.m_nHitEffect != 0 && g_CharaScene.pfnStartHitEffect)
    g_CharaScene.pfnStartHitEffect(other.m_Def.m_nHitEffect, CharaContactBox(*this), CharaContactBox(other),
                                   other.m_Def.m_nScale);
  CharaKnockBackFromChara(other);
  if (a != 0) RaiseTrigger(FlowTrigger::Damaged);
  if (other.m_Def.m_nKnockBack != 0) RaiseTrigger(FlowTrigger::Impacted);
  return nResult;
}

int cChara::CharaDamagedByShot(int32_t nAttack, int nHitEffect, int nKnockBack, int bHasSpeed, double vx, double vy,
                               int nFacingSign, const HITBOX& attackBox, int nScale) {
  const int nResult = CharaChangeLife(-DamageOf(nAttack, static_cast<int32_t>(m_Def.m_nDefence)), 0, 1);
  if (nHitEffect != 0 && g_CharaScene.pfnStartHitEffect)
    g_CharaScene.pfnStartHitEffect(nHitEffect, CharaHitBox(*this), attackBox, nScale);
  if (bHasSpeed) CharaKnockBack(nKnockBack, vx, vy);
  else CharaKnockBack(nKnockBack, nFacingSign >= 0 ? 1.0 : -1.0, 0.0);
  if (nAttack != 0) RaiseTrigger(FlowTrigger::Damaged);
  if (nKnockBack != 0) RaiseTrigger(FlowTrigger::Impacted);
  return nResult;
}

// ---- Invincibility ----

void cChara::CharaStartInvincible() {
  const uint32_t n = m_nType == 0 ? g_Stage.m_nPlayerInvincible : g_Stage.m_nCharaInvincible;
  m_nInvincible = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(SpeedDivisorInt()) * n, INT32_MAX));
}

void cChara::CharaStartInvincibleFrom(int nAttackerId) {
  CharaStartInvincible();
  const uint32_t n = m_nType == 0 ? g_Stage.m_nPlayerInvincibleEach : g_Stage.m_nCharaInvincibleEach;
  const int nFrames = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(SpeedDivisorInt()) * n, INT32_MAX));
  m_lstImmunity.push_back(IMMUNITY{nAttackerId, nFrames});
}

void cChara::CharaCountInvincible() {
  if (m_nInvincible > 0) m_nInvincible -= 1;
  for (auto it = m_lstImmunity.begin(); it != m_lstImmunity.end();) {
    if (--it->nFrames <= 0) it = m_lstImmunity.erase(it);
    else ++it;
  }
}

int cChara::CharaIsInvincibleTo(int nAttackerId) const {
  if (CharaIsInvincible()) return 1;
  for (const IMMUNITY& e : m_lstImmunity)
    if (e.nAttacker == nAttackerId) return 1;
  return 0;
}

// ---- Knock-back and impulses ----

void cChara::CharaKnockBack(int nStrength, double vx, double vy) {
  if (nStrength == 0) return;
  const int g = m_Def.m_nKnockBackGuard;
  if (nStrength > 0) nStrength = std::clamp(nStrength - g, 0, KNOCKBACK_CAP);
  else nStrength = std::clamp(nStrength + g, -KNOCKBACK_CAP, 0);
  ComponentSpeeds(m_dImpulseX, m_dImpulseY, static_cast<int8_t>(nStrength), vx, vy);
  if (Opposite(m_dSpeedX2, m_dImpulseX)) m_dSpeedX2 = 0;
  if (Opposite(m_dSpeedY2, m_dImpulseY)) m_dSpeedY2 = 0;
  if (Opposite(m_dSpeedY, m_dImpulseY)) m_dSpeedY = 0;
  m_bKnockedBack = 1;
}

void cChara::CharaKnockBackFromChara(const cChara& other) {
  double vy = 0;
  const double G = g_Stage.m_dGravity;
  if (other.m_Def.m_nMoveType != 0 || std::fabs(other.m_dSpeedY) < 8.0 * SpeedDivisorInt() * G) vy = other.m_dSpeedY;
  CharaKnockBack(other.m_Def.m_nKnockBack, other.m_dSpeedX, vy);
}

void cChara::CharaDecayImpulseX() { DecayToward0(m_dImpulseX, 1.0 / SpeedDivisor()); }
void cChara::CharaDecayImpulseY() { DecayToward0(m_dImpulseY, 1.0 / SpeedDivisor()); }

void cChara::CharaApplyImpulseY() {
  if (m_dImpulseY != 0) {
    if (m_nNoGravity) {
      m_dSpeedY += m_dImpulseY;
    } else if (m_dImpulseY > 0 && CharaOnFloorHit()) {
      m_dImpulseY = 0;
    } else {
      m_dSpeedY += m_dImpulseY - m_dImpulseYPrev;
    }
  }
  m_dImpulseYPrev = m_dImpulseY;
}

int cChara::CharaOnFloorHit() const {
  if (m_bRidingChara) return 1;
  return m_lpFloorBlock && cStageContext::HitKindOf(m_lpFloorBlock, m_nSide) != 0 ? 1 : 0;
}

void cChara::CharaSaveBox() {
  m_dSavedBox[0] = m_dX;
  m_dSavedBox[1] = m_dY;
  m_dSavedBox[2] = m_dRight;
  m_dSavedBox[3] = m_dBottom;
}

void cChara::CharaRestoreBox() {
  m_dX = m_dSavedBox[0];
  m_dY = m_dSavedBox[1];
  m_dRight = m_dSavedBox[2];
  m_dBottom = m_dSavedBox[3];
}

void cChara::CharaClearContacts() { m_bTouchLeft = m_bTouchRight = m_bTouchTop = m_bTouchBottom = 0; }

void cChara::CharaSetHitBox(int bBottom, int w, int h) {
  m_rcHitBox.Set(16 - m_nImgOffsetX - w / 2, bBottom ? 32 - m_nImgOffsetY - h : 16 - m_nImgOffsetY - h / 2, w, h);
}

void cChara::CharaSetAnimeSet(int nId, int bForce) {
  if (!bForce && m_Def.m_nAnimeSet == nId) return;
  m_Def.m_nAnimeSet = static_cast<uint16_t>(nId);
  cVector<cVector<ANIMESTEP>> vSteps;
  // An id outside the database takes the checked access's failure path
  // (report, close request) and no steps.
  if (!g_Database.m_vecAnimeSet.empty()) {
    const cEdAnimeSet& set = g_Database.m_vecAnimeSet.CheckedAt(nId);
    for (const cEdAnime& a : set.m_vecAnime) {
      cVector<ANIMESTEP> steps;
      for (const cEdAnimeFrame& f : a.m_vecFrame)
        steps.push_back(ANIMESTEP{f.nPattern, 6 * f.nTime, 1});
      steps.push_back(ANIMESTEP{ANIMESTEP_LOOP, 0, 1});
      vSteps.push_back(std::move(steps));
    }
  }
  // Building the player resets its animation number; the chara keeps the
  // animation it was showing, from its first step.
  const int nShown = m_Anime.Current();
  m_Anime.Player.BuildFrom(vSteps);
  m_Anime.SetAnime(nShown, true);
}

void cChara::CharaWarpToCellX(int nCell) {
  const int nOrigin = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_X].nCellOrigin / 32 : 0;
  m_dX = static_cast<double>(nOrigin + nCell) * 32 + m_nImgOffsetX0 + 0.5;
  // The centre kept for the scale, as the scale change keeps it.
  m_dX -= static_cast<double>(static_cast<uint32_t>(m_nBoxW0) >> 1) * (m_Def.m_nScale > 0 ? m_Def.m_nScale - 1 : 0);
  ClampX(2);
  OnMovedX();
}

void cChara::CharaWarpToCellY(int nCell) {
  const int nOrigin = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_Y].nCellOrigin / 32 : 0;
  m_dY = static_cast<double>((nOrigin + nCell) * 32) + m_nImgOffsetY0;
  KeepFootOnScale(std::max<int>(m_Def.m_nScale, 1), 1);
  OnMovedY();
}

void cChara::CharaWarpToCell(int x, int y) {
  CharaWarpToCellX(x);
  CharaWarpToCellY(y);
}

// ---- Movement toward a point ----

namespace {
bool SnapsOnArrival(const cCommandRun& run) {
  return run.m_lpCommand && run.m_lpCommand->m_pMove && run.m_lpCommand->m_pMove->m_byStopOnArrival;
}
}  // namespace

int cChara::MoveTowardPoint(cCommandRun& run, double x0, double y0, double x1, double y1, int bRelative,
                            int bNoDiagonal) {
  int nDir = 0;
  const int r = AimVelocity(run.m_dVelocityX, run.m_dVelocityY, nDir, this, x0, y0, x1, y1, run.m_dSpeed, bRelative,
                            bNoDiagonal, 1);
  run.m_nFacingRequest = nDir;
  if (r && SnapsOnArrival(run)) {
    SetCenter(x1, y1);
    run.m_dVelocityX = run.m_dVelocityY = 0;
  }
  return r;
}

namespace {

// The move along one axis toward a coordinate: the velocity along it, the
// other one cleared, the facing asked for, the centre snapped on arrival.
int MoveTowardOnAxis(cChara& c, cCommandRun& run, int nAxis, double from, double to) {
  const bool bX = nAxis == SCROLL_X;
  double& dAlong = bX ? run.m_dVelocityX : run.m_dVelocityY;
  double& dAcross = bX ? run.m_dVelocityY : run.m_dVelocityX;
  int nDir = 0;
  // No way to go is no speed: along one axis the speed would otherwise
  // take the lower direction.
  const double dSpeed = from == to ? 0.0 : run.m_dSpeed;
  const int r = SpeedToward(nAxis, dAlong, dAcross, nDir, &c, from, to, dSpeed, 0, 1);
  run.m_nFacingRequest = nDir;
  if (r && SnapsOnArrival(run)) {
    if (bX)
      c.SetCenterX(to);
    else
      c.SetCenterY(to);
    run.m_dVelocityX = run.m_dVelocityY = 0;
  }
  return r;
}

}  // namespace

int cChara::MoveTowardPointX(cCommandRun& run, double x0, double x1) {
  return MoveTowardOnAxis(*this, run, SCROLL_X, x0, x1);
}

int cChara::MoveTowardPointY(cCommandRun& run, double y0, double y1) {
  return MoveTowardOnAxis(*this, run, SCROLL_Y, y0, y1);
}

BOOL cChara::MoveTowardOffset(cCommandRun& run, double dDX, double dDY, int nAxes, BOOL bRelative) {
  UpdateScreenRect();
  int x0 = 0, y0 = 0;
  PictureCentre(*this, x0, y0);
  double x1 = x0 + dDX, y1 = y0 + dDY;
  // A displacement of the chara names its point as the move record does:
  // from the centre, on the axes the record moves along.
  if (bRelative && run.m_lpCommand && run.m_lpCommand->m_pMove) {
    int tx = 0, ty = 0;
    GetMoveTargetPoint(*this, *run.m_lpCommand->m_pMove, TruncToInt(dDX), TruncToInt(dDY), tx, ty);
    x1 = tx, y1 = ty;
  }
  if (nAxes == 1) return MoveTowardPointX(run, x0, x1);
  if (nAxes == 2) return MoveTowardPointY(run, y0, y1);
  return MoveTowardPoint(run, x0, y0, x1, y1, bRelative, 0);
}

// ---- Targets ----

void cChara::SetTargetChara(cChara* lpTarget) {
  if (m_lpTarget == lpTarget) return;
  if (m_lpTarget) {
    // A chara stands in its target's list only, at the place it keeps; the
    // list's last entry fills the gap, so that a crowd changing aim every
    // sub-step costs each change a constant. Nothing reads the list's order.
    cVector<cChara*>& v = m_lpTarget->m_vTargetedBy;
    size_t nSlot = m_nTargetedBySlot;
    if (nSlot >= v.size() || v[nSlot] != this) {
      auto it = std::find(v.begin(), v.end(), this);
      nSlot = it == v.end() ? v.size() : static_cast<size_t>(it - v.begin());
    }
    if (nSlot < v.size()) {
      v[nSlot] = v.back();
      v[nSlot]->m_nTargetedBySlot = nSlot;
      v.pop_back();
    }
  }
  m_lpTarget = lpTarget;
  if (lpTarget) {
    m_nTargetedBySlot = lpTarget->m_vTargetedBy.size();
    lpTarget->m_vTargetedBy.push_back(this);
  }
}

void cChara::DropLinks() {
  for (cChara* c : m_vTargetedBy)
    if (c->m_lpTarget == this) c->m_lpTarget = nullptr;
  m_vTargetedBy.clear();
  SetTargetChara(nullptr);
  for (cChara* c : m_vChildren)
    if (c->m_lpParent == this) c->m_lpParent = nullptr;
  m_vChildren.clear();
  if (m_lpParent) std::erase(m_lpParent->m_vChildren, this);
  m_lpParent = nullptr;
}

// ---- Defeat ----

int cChara::CharaOnDefeated() {
  RaiseTrigger(FlowTrigger::Died);
  {
    CONTEXTSAVE save;
    Update(1);
  }
  g_Progress.m_nScore = static_cast<int32_t>(
      std::clamp<int64_t>(static_cast<int64_t>(g_Progress.m_nScore) + m_Def.m_nScore, 0, SCORE_CAP));
  if (cItemObj* item = GetCarriedItem()) {
    cPlayer* p1 = FirstPlayer();
    const int nList = p1 ? GiveItemToPlayer(*p1, *item) : 0;
    if (nList == 1 || g_CharaScene.m_bStageEnd) return 1;
  } else if (g_CharaScene.m_bStageEnd) {
    return 1;
  }
  DropLinks();
  m_bDefeated = 1;
  if (m_Def.m_nDefeatEffect != 0) CharaEffectStart(m_Effect, m_Def.m_nDefeatEffect, m_Def.m_nDefeatEffectMode, 0);
  return 0;
}

cChara* FindCharaById(int nId) {
  for (auto& p : g_vPlayer)
    if (p && static_cast<cChara*>(p.get())->m_nId == nId) return p.get();
  return cIdIndex::Ready().FirstOfId(nId, [](const cChara&) { return true; });
}

// ---- Statuses ----

// Where the chara keeps each status 1..14 (CharaStatus): the definition's
// field for those the file carries, the chara's own value otherwise. The
// same table serves reading and writing.
int32_t cChara::Status(int n) {
  switch (n) {
    case CharaStatus::Hp: return m_nHp;
    case CharaStatus::Sp: return m_nSp;
    case CharaStatus::MaxHp: return static_cast<int32_t>(m_Def.m_nMaxHp);
    case CharaStatus::MaxSp: return static_cast<int32_t>(m_Def.m_nMaxSp);
    case CharaStatus::CharaId: return m_nCharaId;
    case CharaStatus::Z: return static_cast<int8_t>(m_Def.m_nSetting17);
    case CharaStatus::Mark: return m_nMark;
    case CharaStatus::Sight: return static_cast<int8_t>(m_Def.m_nViewLimitHalfCells);
    case CharaStatus::Power: return static_cast<int32_t>(m_Def.m_nAttack);
    case CharaStatus::Impact: return static_cast<int8_t>(m_Def.m_nKnockBack);
    case CharaStatus::Defence: return static_cast<int32_t>(m_Def.m_nDefence);
    case CharaStatus::ImpactResist: return static_cast<int8_t>(m_Def.m_nKnockBackGuard);
    case CharaStatus::Stopping: return static_cast<int16_t>(m_Def.m_nSetting41);
    case CharaStatus::ScoreGained: return static_cast<int32_t>(m_Def.m_nScore);
    default: return 0;
  }
}

void cChara::SetStatus(int n, int32_t v) {
  switch (n) {
    case CharaStatus::Hp: m_nHp = v; break;
    case CharaStatus::Sp: m_nSp = v; break;
    case CharaStatus::MaxHp: m_Def.m_nMaxHp = static_cast<uint32_t>(v); break;
    case CharaStatus::MaxSp: m_Def.m_nMaxSp = static_cast<uint32_t>(v); break;
    case CharaStatus::CharaId:
      m_nCharaId = static_cast<int8_t>(v);
      NoteCharaIdSet(*this);
      break;
    case CharaStatus::Z: m_Def.m_nSetting17 = static_cast<uint8_t>(v); break;
    case CharaStatus::Mark: m_nMark = static_cast<int16_t>(v); break;
    case CharaStatus::Sight: m_Def.m_nViewLimitHalfCells = static_cast<uint8_t>(v); break;
    case CharaStatus::Power: m_Def.m_nAttack = static_cast<uint32_t>(v); break;
    case CharaStatus::Impact: m_Def.m_nKnockBack = static_cast<uint8_t>(v); break;
    case CharaStatus::Defence: m_Def.m_nDefence = static_cast<uint32_t>(v); break;
    case CharaStatus::ImpactResist: m_Def.m_nKnockBackGuard = static_cast<uint8_t>(v); break;
    case CharaStatus::Stopping: m_Def.m_nSetting41 = static_cast<uint16_t>(v); break;
    case CharaStatus::ScoreGained: m_Def.m_nScore = static_cast<uint32_t>(v); break;
    default: break;
  }
}

// A statement's "sight" also has the stage rebuild its view surfaces round
// player 1's radius; the status command only refreshes the radius.
void cChara::SightChanged(BOOL bFromCode) {
  if (m_bKeepsSight) return;
  m_nViewLimitPixels = static_cast<int8_t>(m_Def.m_nViewLimitHalfCells) * 16;
  if (bFromCode && g_lpSceneStage) g_lpSceneStage->BuildViewSurfaces();
}

// The stopping ease is the deceleration of the chara's inertial speeds.
void cChara::BrakingChanged() { m_dDecel = static_cast<int16_t>(m_Def.m_nSetting41) * 0.01 / SpeedDivisor(); }

// ---- Conditions 5, 6, 7 ----
// The negation byte of kinds 6 and 7 is the condition's field 7, which these
// kinds do not otherwise read.

BOOL cChara::TestStateValue(const cEdCondition& cond) {
  const int nSel = cond.m_byStatus;
  int32_t nValue = 0;
  if (cond.m_bySubject == 2) {
    if (nSel == 0) nValue = static_cast<int32_t>(g_Stage.m_nScrollKindX);
    else if (nSel == 1) nValue = static_cast<int32_t>(g_Stage.m_nScrollKindY);
    else return FALSE;
  } else {
    cChara* c = cond.m_bySubject == 0 ? this : cond.m_bySubject == 1 ? m_lpTarget : nullptr;
    if (!c) return FALSE;
    switch (nSel) {
      case 1: nValue = c->m_Def.m_nStatusA; break;
      case 2: nValue = c->m_Def.m_nStatusB; break;
      case 3: nValue = c->m_Def.m_nMoveType; break;
      case 4: nValue = c->m_Def.m_nInvincibleKind; break;
      case 5: nValue = c->m_Def.m_nScale; break;
      case 6: nValue = c->m_Def.m_bFollowScroll; break;
      default: return FALSE;
    }
  }
  if (cond.m_byCompareOp > 5) return FALSE;
  return CompareByOp(nValue, cond.m_nValue, cond.m_byCompareOp);
}

BOOL cChara::TestStateFlag(const cEdCondition& cond) {
  cChara* c = cond.m_bySubject == 0 ? this : cond.m_bySubject == 1 ? m_lpTarget : nullptr;
  if (!c) return FALSE;
  int r = 0;
  switch (cond.m_byStatus) {
    case 0: r = c->m_nDir == 0; break;
    case 1: r = c->m_nDir == 1; break;
    case 2: r = c->m_Def.m_nMoveType == 0 && (c->m_bRidingChara || (!c->m_bJumpB && !c->m_bFalling)); break;
    case 3: r = c->m_nType != 0 ? c->m_bOnScreen : c->IsOnScreen(); break;
    default: r = 0; break;
  }
  return cond.m_byCategory == 1 ? !r : r;
}

int IsInRange(int nOwnStart, int nOwnSize, int nOtherStart, int nOtherEnd, int nInset, int a, int b, int nMode) {
  const int s = nOtherStart + nInset, e = nOtherEnd - nInset;
  const int h = nOwnSize >> 1;
  const int c = nOwnStart + h;
  if (nMode == 1 && a == 0 && b == 0) return e >= nOwnStart && s <= nOwnStart + 2 * h;
  const int lo = a > 0 ? nOwnStart - a : c - a;
  const int hi = b > 0 ? nOwnStart + 2 * h + b : c + b;
  return e >= lo && s <= hi;
}

BOOL cChara::TestPosition(const cEdCondition& cond) {
  cChara* s = cond.m_bySubject == 0 ? static_cast<cChara*>(FirstPlayer()) : cond.m_bySubject == 1 ? m_lpTarget
                                                                                                  : nullptr;
  // A subject other than player 1 and the target names no chara: false.
  if (!s) return FALSE;
  const int d = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(cond.m_nValue) * 16, -(1 << 28), 1 << 28));
  UpdateScreenRect();
  const bool bLeft = m_nDir == 0;
  auto X = [&](int a, int b, int m) {
    return IsInRange(m_rcScreen.left, m_nImgW, s->m_rcScreen.left, s->m_rcScreen.right, s->m_nImgOffsetX, a, b, m);
  };
  auto Y = [&](int a, int b, int m) {
    return IsInRange(m_rcScreen.top, m_nImgH, s->m_rcScreen.top, s->m_rcScreen.bottom, s->m_nImgOffsetY, a, b, m);
  };
  int r = 0;
  switch (cond.m_byStatus) {
    case 0: r = X(d, d, 1); break;
    case 1: r = bLeft ? X(d, 0, 0) : X(0, d, 0); break;
    case 2: r = bLeft ? X(0, d, 0) : X(d, 0, 0); break;
    case 3: r = Y(d, d, 1); break;
    case 4: r = bLeft ? Y(d, 0, 0) : Y(0, d, 0); break;
    case 5: r = bLeft ? Y(0, d, 0) : Y(d, 0, 0); break;
    case 6: {
      const double dx = (m_dX + m_nBoxW / 2) - (s->m_dX + s->m_nBoxW / 2);
      const double dy = (m_dY + m_nBoxH / 2) - (s->m_dY + s->m_nBoxH / 2);
      r = std::sqrt(dx * dx + dy * dy) <= d;
      break;
    }
    default: r = 0; break;
  }
  return cond.m_byCategory == 1 ? !r : r;
}

// ---- Key conditions ----

const KEYLOGS* cChara::KeyLogsOf(bool bOwnPlayer) const {
  if (bOwnPlayer && IsPlayer()) return &static_cast<const cPlayer*>(this)->m_Input;
  const cPlayer* p1 = FirstPlayer();
  return p1 ? &p1->m_Input : nullptr;
}

BOOL cChara::KeyConditionsHold(cFlowRun& run) {
  if (run.m_vKeyCondition.empty()) return TRUE;
  const KEYLOGS* logs = KeyLogsOf(false);
  const cEdFlow* f = run.m_lpFlow;
  bool r = false;
  if (logs && f) {
    std::span<const cEdKeyCondition* const> conds(run.m_vKeyCondition.data(), run.m_vKeyCondition.size());
    r = KeySequenceMatches(conds, f->m_cTriggerParam, *logs, m_nDir == 0);
  }
  if (f && f->m_byTriggerMode != 0) return r;
  if (!r) {
    run.m_bKeyHeld = 0;
    return FALSE;
  }
  if (!run.m_bKeyHeld) {
    run.m_bKeyHeld = 1;
    return TRUE;
  }
  // Still held: a flow that runs always keeps its stop number busy for this
  // pass only, released at its end.
  const int nNo = f ? f->m_byStopNo : 0;
  if (f && f->m_byTrigger == FlowTrigger::Always && nNo > 0 && nNo < FLOW_STOP_NUMBER_COUNT) {
    m_FlowNumbers.m_abyStarted[nNo] = 1;
    m_FlowNumbers.m_abyStopped[nNo] = 1;
    m_FlowNumbers.m_bSomeStopped = 1;
  }
  return FALSE;
}

int32_t cChara::FirstPressedKeyHistory() {
  const KEYLOGS* logs = KeyLogsOf(m_nType == 0);
  if (!logs) return 0;
  for (int k = 0; k < 10; ++k)
    if (!logs->aLog[k].empty() && logs->aLog[k][0].dwState != 0) return k;
  return 0;
}

// SetTarget's choice. p0: 0 player 1, 1 the chara itself, 2 the nearest live
// chara by p2 (0 on screen first, 1 anywhere, 2 on screen only), 3 the
// first chara whose chara ID (status 5) is p1. The filters of the search
// are p3 (same group only), p4 and p5 (leave out invincible kinds 1 and 2)
// and p6 (leave out block charas); the chara itself is never chosen by a
// search. No candidate leaves no target.
void cChara::ChooseTarget(const int32_t* p, int nParams) {
  auto P = [&](int i) { return i < nParams ? p[i] : 0; };
  SetTargetChara(nullptr);
  CHARAFILTER f;
  f.bSameGroupOnly = P(3) != 0;
  f.nGroup = m_Def.m_nGroup;
  f.bExcludeId = 1;
  f.nId = m_nId;
  f.bExcludeKind1 = P(4) != 0;
  f.bExcludeKind2 = P(5) != 0;
  f.bExcludeFlagged = P(6) != 0;
  cChara* lpNew = nullptr;
  switch (P(0)) {
    case 0: lpNew = FirstPlayer(); break;
    case 1: lpNew = this; break;
    case 2: {
      UpdateScreenRect();
      int x = 0, y = 0;
      PictureCentre(*this, x, y);
      lpNew = SelectLiveTarget(x, y, P(2), f);
      break;
    }
    case 3: lpNew = FindLiveCharaById(this, P(1), f); break;
    default: break;
  }
  SetTargetChara(lpNew);
}

// StatusOp2's switches of a chara.
void cChara::SetCharaSwitch(int nSwitch, int32_t nValue) {
  switch (nSwitch) {
    case 0:  // vanish: a stage chara leaves play, a player loses its life
      if (IsPlayer()) m_nHp = 0;
      else m_bRemoved = 1;
      break;
    case 1: m_bTransparent = nValue != 0; break;
    case 2: m_bFixedFacing = nValue != 0; break;
    case 3:  // flying: 0 off, 1 through blocks, 2 hitting them, 3 dying on them (the move types)
      if (IsPlayer() && nValue >= 0 && nValue <= 3) static_cast<cPlayer*>(this)->PlayerApplyMoveType(nValue, 1);
      break;
    case 4: m_bInvincibleSwitch = nValue != 0; break;
    case 5: {
      const int nNew = std::clamp<int32_t>(nValue, 1, 255);
      const int nOld = std::max<int>(m_Def.m_nScale, 1);
      SetScale(nNew, nOld);
      m_Def.m_nScale = static_cast<uint8_t>(nNew);
      if (IsPlayer()) static_cast<cPlayer*>(this)->PlayerRebuildBoxList();
      break;
    }
    case 6: m_bAutoScrollSync = nValue != 0; break;
    default: break;
  }
}
