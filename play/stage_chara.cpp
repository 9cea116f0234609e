#include "play/stage_chara.h"

#include <algorithm>

#include "flow/command_executors.h"
#include "play/live_lists.h"
#include "play/play_math.h"
#include "play/play_state.h"
#include "play/player.h"
#include "play/stage_context.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

constexpr int ICON_CYCLE = 96;
constexpr int ICON_FIRST_SHOWN = 64;

// The view-test switches (ignore x, ignore y) by the definition's kind.
constexpr int kViewTest[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};

}  // namespace

void cStageChara::ScaleBoxes(int nScale) {
  for (HITRANGE* r : {&m_rcHitBox, &m_rcHitBox2}) {
    if (m_Def.m_bBlockChara) {
      r->nLeft = r->nTop = 0;
      r->nWidth = m_nBoxW;
      r->nHeight = m_nBoxH;
    } else {
      r->Scale(nScale);
    }
  }
}

void cStageChara::StageCharaInitFromPlacement(int nId, cEdChara& def, const cItemObj* lpItem, double x, double y,
                                              uint16_t wStep) {
  if (def.m_nScale == 0) def.m_nScale = 1;
  CharaInit(&def, x, y, wStep);
  const cEdStage& s = g_Stage;
  int w = 32, h = 32, ox = 0, oy = 0;
  if (!m_Def.m_bBlockChara) {
    const bool b0 = m_Def.m_nMoveType == 0;
    w = BoundedHitSide(b0 ? s.m_nCharaBodyW : s.m_nCharaBodyOtherW);
    h = BoundedHitSide(b0 ? s.m_nCharaBodyH : s.m_nCharaBodyOtherH);
    const bool bBottom = (b0 ? s.m_bCharaBodyBottom : s.m_bCharaBodyOtherBottom) != 0;
    ox = (32 - w) >> 1;
    oy = bBottom ? 32 - h : (32 - h) >> 1;
  }
  Setup(nId, m_Def.m_nType, m_Def.m_nPlayerNo, m_Def.m_nSide, m_Def.m_nImageIndex, ox, oy, w, h, 32, 32, m_Def.m_nDir,
        m_Def.m_nMoveType, wStep);
  m_dX = x;
  m_dY = y;
  ClampX(-1);
  ClampY(-1);
  if (m_Def.m_bBlockChara) {
    m_rcHitBox.Set(0, 0, 32, 32);
    m_rcHitBox2.Set(0, 0, 32, 32);
  } else {
    switch (m_Def.m_nForm) {
      case 0:
        if (m_nNoGravity == 0)
          CharaSetHitBox(s.m_bCharaHitBottom, BoundedHitSide(s.m_nCharaHitW), BoundedHitSide(s.m_nCharaHitH));
        else
          CharaSetHitBox(s.m_bCharaHitNgBottom, BoundedHitSide(s.m_nCharaHitNgW), BoundedHitSide(s.m_nCharaHitNgH));
        break;
      case 1: CharaSetHitBox(0, BoundedHitSide(s.m_nCharaHit1W), BoundedHitSide(s.m_nCharaHit1H)); break;
      case 2: CharaSetHitBox(0, BoundedHitSide(s.m_nCharaForm2W), BoundedHitSide(s.m_nCharaForm2H)); break;
      case 3: CharaSetHitBox(0, m_nImgW, m_nImgH); break;
      default: break;
    }
    const int w2 = BoundedHitSide(s.m_nCharaHit1W), h2 = BoundedHitSide(s.m_nCharaHit1H);
    m_rcHitBox2.Set(16 - (w2 >> 1) - ox, 16 - (h2 >> 1) - oy, w2, h2);
  }
  SetScale(m_Def.m_nScale, 1);
  m_bPresent = 0;
  m_nIconTimer = 0;
  if (lpItem) m_CarriedItem.CopyItem(*lpItem);
  else m_CarriedItem.m_Def.m_nImageIndex = 0;
  if (m_Def.m_nViewTestKind < 4) {
    m_bIgnoreViewX = kViewTest[m_Def.m_nViewTestKind][0];
    m_bIgnoreViewY = kViewTest[m_Def.m_nViewTestKind][1];
  }
  m_bAppeared = 0;
  m_Anime.SetAnime(m_nNoGravity == 0 ? 1 : 0, true);
  CharaBuildFlowRuns(nullptr, m_nDir, 0, -1);
}

void cStageChara::StageCharaUpdateActive() {
  m_bActive = IsInViewAxes(m_bIgnoreViewX, m_bIgnoreViewY);
  if (m_bActive && m_Def.m_bSwitchLinked && g_CharaScene.m_lpSwitches) {
    const int n = m_Def.m_nSwitchNo;
    if (n >= 0 && static_cast<size_t>(n) < g_CharaScene.m_lpSwitches->size()) (*g_CharaScene.m_lpSwitches)[n] = 1;
  }
}

int cStageChara::StageCharaTryAppear() {
  bool bReleased = false;
  if (m_Def.m_bSwitchLinked && g_CharaScene.m_lpSwitches) {
    const int n = m_Def.m_nSwitchNo;
    bReleased = n >= 0 && static_cast<size_t>(n) < g_CharaScene.m_lpSwitches->size() &&
                (*g_CharaScene.m_lpSwitches)[n] != 0;
  }
  // Away: not active and not released by its switch, and either flying, or
  // not in a jump while it has never appeared or is not falling.
  if (!m_bActive && !bReleased) {
    if (m_nNoGravity) return 0;
    if (!m_bJumpB && (!m_bAppeared || !m_bFalling)) return 0;
  }
  m_bAppeared = 1;
  if (m_Def.m_nAppearKind == 1) m_bIgnoreViewX = m_bIgnoreViewY = 1;
  UpdateScreenRect();
  return 1;
}

int cStageChara::StageCharaIconFrame(int& x, int& y, int bPaused) {
  if (!m_CarriedItem.m_bPreset || !m_bOnScreen || m_Def.m_nStatusA != 0 || m_CarriedItem.m_Def.m_bHidden) return 0;
  const int t = m_nIconTimer;
  if (!bPaused && ++m_nIconTimer >= ICON_CYCLE) m_nIconTimer = 0;
  if (t < ICON_FIRST_SHOWN) return 0;
  x = m_rcScreen.left + m_nImgW / 2 - m_CarriedItem.m_nImgW / 4;
  y = m_rcScreen.top - m_CarriedItem.m_nImgH / 2;
  return 1;
}

void cStageChara::StageCharaDrawIcon(DDSURFACEDATA* lpDst, int bPaused) {
  int x = 0, y = 0;
  if (!StageCharaIconFrame(x, y, bPaused) || !lpDst) return;
  const cEdItem& d = m_CarriedItem.m_Def;
  DrawSmallCell(lpDst, x, y, d.m_nImageKind, d.m_nImageIndex, d.m_nImageSub);
}

int cStageChara::StepX() {
  if (m_dImpulseX != 0) {
    m_dSpeedX = m_dImpulseX;
  } else if (m_dSpeedX2 != 0) {
    Decelerate(m_dSpeedX2, m_abNoPush[0]);
    m_dSpeedX += m_dSpeedX2;
  }
  const int r = MoveX(2);
  OnMovedX();
  return r == 3 ? 4 : r;
}

int cStageChara::StepY() {
  CharaApplyImpulseY();
  if (m_dImpulseY == 0 && m_nNoGravity && m_dSpeedY2 != 0) {
    Decelerate(m_dSpeedY2, m_abNoPush[1]);
    m_dSpeedY += m_dSpeedY2;
  }
  const int r = MoveY(2);
  OnMovedY();
  if (m_nNoGravity == 0) return (r == 5 || r == 6) ? 7 : r;
  return (r == 3 || r == 6) ? 8 : r;
}

int cStageChara::Update(int bDied) { return CharaFrameUpdate(bDied); }

int cStageChara::StartJump(cCommandRun& run) {
  if (m_bFalling || m_bJumpC || m_bKnockedBack || m_nAirFrames) return 0;
  // The jump's sound, unless the command keeps its sounds to charas on
  // screen and this one is not.
  PlayCommandSound(*this, run.m_lpCommand);
  m_dSpeedY = run.m_dSpeed;
  m_bJumpA = m_bJumpB = 1;
  m_bRidingChara = 0;
  return 1;
}
