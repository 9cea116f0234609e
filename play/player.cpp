#include "play/player.h"

#include <algorithm>
#include <cmath>

#include "flow/command_run.h"
#include "media/graphics/dd.h"
#include "media/graphics/dd_effects.h"
#include "play/chara_drawing.h"
#include "play/item_object.h"
#include "play/jump_values.h"
#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/play_math.h"
#include "play/play_state.h"
#include "play/stage_context.h"
#include "records/flow_enums.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

constexpr double RIDE_JUMP_FACTOR = 1.0199999809265137;
constexpr double JUMP_CUT_FACTOR = 0.3;

// The view follows a position on one axis: the player's box centred, kept
// within the scroll-limit range.
void Follow(SCROLLAXIS& a, double dPos, int nBox) {
  double s = dPos - (a.nView / 2 - nBox / 2);
  if (s < a.nMin) s = a.nMin;
  else if (s + a.nView >= a.nMax) s = a.nMax - a.nView;
  a.dPos = s;
}

}  // namespace

int BoxColourOf(uint32_t c) { return 208 + 4 * static_cast<int>(std::min<uint32_t>(c, 7)); }

void cPlayer::PlayerShowItemCell(int nKind, int nIndex, int nSub) {
  TEXTSETUP t;
  t.nKind = TEXTKIND_ITEMCELL;
  t.anCell[0] = nKind;
  t.anCell[1] = nIndex;
  t.anCell[2] = nSub;
  // Above the player, kept inside the screen, for 30 frames: the drawing
  // raises the cell as its life runs down from 30.
  t.nPosMode = 4;
  t.bKeepInside = 1;
  t.nLifeMode = TEXTLIFE_TIMED;
  t.nLife = 30;
  t.nCharaId = m_nId;
  g_lstText.push_back(TEXTOBJ{});
  g_lstText.back().TextObjectSetup(t, FALSE);
}

void cPlayer::ScaleBoxes(int n) {
  for (HITRANGE* r : {&m_rcHitBox, &m_rcHitBox2, &m_rcHitBox3}) r->Scale(n);
}

// The view follows the player on an axis that does not scroll by itself
// now: a flow may switch the automatic scroll on or off during play.
void cPlayer::OnMovedX() {
  if (g_lpStageContext && !g_lpStageContext->m_aScroll[SCROLL_X].bMoving) {
    SCROLLAXIS& a = g_lpStageContext->m_aScroll[SCROLL_X];
    if (a.nView == 0) a.nView = 640;
    Follow(a, m_dX, m_nBoxW);
  }
  ClampX(m_nNoGravity ? 0 : 1);
}

void cPlayer::OnMovedY() {
  if (g_lpStageContext && !g_lpStageContext->m_aScroll[SCROLL_Y].bMoving) {
    SCROLLAXIS& a = g_lpStageContext->m_aScroll[SCROLL_Y];
    if (a.nView == 0) a.nView = 480;
    Follow(a, m_dY, m_nBoxH);
  }
  ClampY(m_nNoGravity ? 0 : 1);
}

int cPlayer::StepX() {
  if (m_dImpulseX != 0) {
    m_dSpeedX = m_dImpulseX;
  } else if (m_dSpeedX2 != 0) {
    Decelerate(m_dSpeedX2, m_abNoPush[0]);
    if (m_nInertiaMode == 3) {
      // Pushed on in its own direction (0 counts as negative); a factor
      // below 1 brakes, and the speed stops rather than turn round.
      const double dPush = AccelPerFrame(m_dAccel) * (m_dInertiaFactor - 1.0);
      const double dOld = m_dSpeedX2;
      const double dNew = dOld + (dOld > 0 ? dPush : -dPush);
      m_dSpeedX2 = ((dOld > 0 && dNew < 0) || (dOld < 0 && dNew > 0)) ? 0 : dNew;
    }
    m_dSpeedX += m_dSpeedX2;
  }
  const double dMax = g_Stage.m_dMaxSpeed;
  m_dSpeedX = std::clamp(m_dSpeedX, -dMax, dMax);
  m_dX += m_dSpeedX;
  OnMovedX();
  return 0;
}

int cPlayer::StepY() {
  CharaApplyImpulseY();
  if (m_dImpulseY == 0 && m_nNoGravity && m_dSpeedY2 != 0) {
    Decelerate(m_dSpeedY2, m_abNoPush[1]);
    m_dSpeedY += m_dSpeedY2;
  }
  const int r = MoveY(m_nNoGravity ? 0 : 2);
  OnMovedY();
  if (m_nNoGravity == 0 && (r == 5 || r == 6)) return 7;
  return r;
}

int cPlayer::Update(int bDied) {
  m_bJumpDone = 0;
  if (m_nHoldCounter > 0) --m_nHoldCounter;
  const int r = CharaFrameUpdate(bDied);
  // Item flow changes wait until the flows have been stepped: they change
  // the run list the pass walks.
  cVector<cEdCommand> vDeferred = std::move(m_vDeferredItemCommands);
  m_vDeferredItemCommands.clear();
  for (const cEdCommand& cmd : vDeferred) ItemChangeFlow(*this, cmd, 1);
  if (!m_bJumpDone) {
    m_nJumpHold = 0;
    m_bFellOff = 1;
    m_bJumpC = 0;
  }
  return r;
}

int cPlayer::StartJump(cCommandRun& run) {
  if (m_nNoGravity || m_bJumpDone) return 0;
  const int d = run.m_nDuration;
  const cEdCommand* cmd = run.m_lpCommand;
  const int nMode = cmd ? CommandParam(*cmd, 0) : 0;
  const cFlowRun* flow = g_FlowContext.m_lpCurFlow;
  const bool bFlowKeys = flow && !flow->m_vKeyCondition.empty();
  bool bHeld = true, bGood = true;
  if (nMode == 1 || nMode == 2) {
    bHeld = bGood = bFlowKeys && flow->m_vKeyCondition.back() &&
                    KeyConditionHeldNow(m_Input, *flow->m_vKeyCondition.back());
  }
  if (nMode == 2 && cmd) {
    const double t = SpeedDivisor() * 10;
    const double fast = CommandParam(*cmd, 1) / t, slow = CommandParam(*cmd, 3) / t;
    const double s = std::fabs(m_dSpeedX2);
    const int p2 = CommandParam(*cmd, 2), p4 = CommandParam(*cmd, 4);
    int h;
    if (s >= fast) h = p2;
    else if (s <= slow) h = p4;
    else h = TruncToInt(p4 + (p2 - p4) * s / fast);
    run.m_dSpeed = JumpSpeedForPixels(h * 16.0, m_nType);
  }
  bool bLanded = false;
  if (bHeld && !m_bBlockFlag2) {
    const int h = ++m_nJumpHold;
    if (h >= d && (!m_bJumpA || m_bRidingChara) && m_bFellOff && !m_bJumpC && (m_dSpeedY < 0 || m_bRidingChara)) {
      m_bJumpA = 1;
      m_bFellOff = 0;
    } else if (!m_bFalling && h <= SpeedDivisorInt() && (!m_bJumpA || m_bRidingChara) && m_bFellOff && !m_bJumpC &&
               !m_bKnockedBack && !run.m_bMoveStarted) {
      m_bJumpB = 1;
      const uint16_t nSound = cmd ? static_cast<uint16_t>(cmd->m_nSound) : 0;
      if (!m_bRidingChara) {
        m_dSpeedY = run.m_dSpeed;
        run.m_bMoveStarted = 1;
        RequestUserSound(nSound);
      } else if (g_CharaScene.m_nRideCounter == SpeedDivisorInt()) {
        m_bRidingChara = 0;
        m_dSpeedY = run.m_dSpeed * RIDE_JUMP_FACTOR;
        run.m_bMoveStarted = 1;
        RequestUserSound(nSound);
      }
    }
  } else {
    if (m_nJumpHold > 0 && m_nJumpHold < d && !m_bJumpA && !m_bJumpC && !m_bBlockFlag2 && !m_bKnockedBack) {
      m_bRidingChara = 0;
      if (m_dSpeedY < 0) m_dSpeedY *= JUMP_CUT_FACTOR;
      m_bJumpA = 1;
    }
    m_nJumpHold = 0;
    m_bFellOff = 1;
    m_bJumpC = 0;
  }
  if (CharaOnFloorHit() && m_dSpeedY >= 0) {
    if (!bFlowKeys || !bGood) {
      m_nJumpHold = 0;
      m_bFellOff = 1;
      m_bJumpC = 0;
      m_bKnockedBack = 0;
      if (!bFlowKeys) run.m_bMoveStarted = 0;
      else run.m_nFramesLeft = 0;
      bLanded = true;
    }
  }
  (void)bLanded;
  m_bJumpDone = 1;
  return 1;
}

void cPlayer::PlayerSetupForStage(int nId, cEdChara& def, double x, double y) {
  if (def.m_nScale == 0) def.m_nScale = 1;
  CharaInit(&def, x, y, 0);
  int ox, oy, w, h;
  PlayerBodySize(ox, oy, w, h);
  Setup(nId, m_Def.m_nType, m_Def.m_nPlayerNo, m_Def.m_nSide, m_Def.m_nImageIndex, ox, oy, w, h, 32, 32, 1, 0, 0);
  m_dX = x;
  m_dY = y;
  ClampX(-1);
  ClampY(-1);
  PlayerApplyMoveType(m_Def.m_nMoveType, 0);
  SetScale(m_Def.m_nScale, 1);
  m_dAccel = 4.0 / SpeedDivisor();
  m_nDir = m_nDirPrev = m_Def.m_nDir ? 1 : 0;
  m_bJumpC = 0;
  m_bFellOff = 1;
  m_nInertiaMode = 0;
  m_dInertiaFactor = 1.0;
  m_nJumpHold = m_bJumpDone = m_nHoldCounter = 0;
  m_lstIds.clear();
  CharaBuildFlowRuns(nullptr, m_nDir, 0, -1);
}

void cPlayer::PlayerBodySize(int& ox, int& oy, int& w, int& h) const {
  const cEdStage& s = g_Stage;
  const bool bGravity = m_nNoGravity == 0;
  w = BoundedHitSide(bGravity ? s.m_nPlayerBodyW : s.m_nPlayerBodyNgW);
  h = BoundedHitSide(bGravity ? s.m_nPlayerBodyH : s.m_nPlayerBodyNgH);
  const bool bBottom = (bGravity ? s.m_bPlayerBodyBottom : s.m_bPlayerBodyNgBottom) != 0;
  ox = (32 - w) >> 1;
  oy = bBottom ? 32 - h : (32 - h) >> 1;
}

void cPlayer::PlayerApplyMoveType(int nType, int bRescale) {
  const int nOldGravity = m_nNoGravity;
  m_Def.m_nMoveType = static_cast<uint8_t>(nType);
  SetMoveType(nType);
  if (m_nNoGravity != nOldGravity) m_nHoldCounter = 2;
  if (nOldGravity && !m_nNoGravity) m_dSpeedX = m_dSpeedY = m_dSpeedX2 = m_dSpeedY2 = 0;
  const cEdStage& s = g_Stage;
  int ox, oy, w, h;
  PlayerBodySize(ox, oy, w, h);
  m_nBoxW = m_nBoxW0 = w;
  m_nBoxH = m_nBoxH0 = h;
  m_nImgOffsetX = m_nImgOffsetX0 = ox;
  m_nImgOffsetY = m_nImgOffsetY0 = oy;
  m_nImgW = m_nImgW0 = m_nImgH = m_nImgH0 = 32;
  switch (m_Def.m_nForm) {
    case 0:
      if (!m_nNoGravity)
        CharaSetHitBox(s.m_bPlayerHitBottom, BoundedHitSide(s.m_nPlayerHitW), BoundedHitSide(s.m_nPlayerHitH));
      else
        CharaSetHitBox(s.m_bPlayerHitNgBottom, BoundedHitSide(s.m_nPlayerHitNgW), BoundedHitSide(s.m_nPlayerHitNgH));
      break;
    case 1: CharaSetHitBox(0, BoundedHitSide(s.m_nPlayerHit1W), BoundedHitSide(s.m_nPlayerHit1H)); break;
    case 2: CharaSetHitBox(0, BoundedHitSide(s.m_nPlayerForm2W), BoundedHitSide(s.m_nPlayerForm2H)); break;
    case 3: CharaSetHitBox(0, 32, 32); break;
    default: break;
  }
  const int w2 = BoundedHitSide(s.m_nPlayerHit1W), h2 = BoundedHitSide(s.m_nPlayerHit1H);
  m_rcHitBox2.Set(16 - (w2 >> 1) - ox, 16 - (h2 >> 1) - oy, w2, h2);
  const int w3 = BoundedHitSide(s.m_nPlayerHit3W), h3 = BoundedHitSide(s.m_nPlayerHit3H);
  m_rcHitBox3.Set(16 - (w3 >> 1) - ox, 16 - (h3 >> 1) - oy, w3, h3);
  if (bRescale) {
    const int n = std::max<int>(m_Def.m_nScale, 1);
    m_nBoxW *= n;
    m_nBoxH *= n;
    m_nImgOffsetX *= n;
    m_nImgOffsetY *= n;
    m_nImgW *= n;
    m_nImgH *= n;
    ScaleBoxes(n);
  }
  PlayerRebuildBoxList();
}

void cPlayer::PlayerRebuildBoxList() {
  const cEdStage& s = g_Stage;
  m_vBoxList.clear();
  auto Add = [&](int nKind, int w, int h, uint32_t nShow, uint32_t nColour) {
    m_vBoxList.push_back(BOXENTRY{nKind, static_cast<int>(std::min<uint32_t>(nShow, 2)), BoxColourOf(nColour), 0, 0,
                                  w, h, 0});
  };
  Add(0, m_nBoxW, m_nBoxH, s.m_nPlayerBodyShow, s.m_nPlayerBodyColour);
  Add(2, m_rcHitBox3.nWidth, m_rcHitBox3.nHeight, s.m_nPlayerHit3Show, s.m_nPlayerHit3Colour);
  Add(1, m_rcHitBox.nWidth, m_rcHitBox.nHeight, s.m_nPlayerHitShow, s.m_nPlayerHitColour);
  Add(3, m_rcHitBox2.nWidth, m_rcHitBox2.nHeight, s.m_nPlayerHit2Show, s.m_nPlayerHit2Colour);
  std::stable_sort(m_vBoxList.begin(), m_vBoxList.end(), [](const BOXENTRY& a, const BOXENTRY& b) {
    return static_cast<int64_t>(a.nWidth) * a.nHeight > static_cast<int64_t>(b.nWidth) * b.nHeight;
  });
}

void cPlayer::PlayerDraw(DDSURFACEDATA* lpSurface, int bPaused) {
  CharaDraw(*this, lpSurface, bPaused);
  // At 8 bits with the palette rotation the display rotates the shades.
  PlayerDrawBoxes(lpSurface, g_DDDisplay.nBpp == 8 && g_System.m_bPaletteCycle != 0);
}

void cPlayer::PlayerDrawBoxes(DDSURFACEDATA* lpSurface, bool bPaletteRotation) {
  for (BOXENTRY& e : m_vBoxList) {
    if (e.nShow == 0) continue;
    e.nX = m_rcScreen.left + m_nImgOffsetX;
    e.nY = m_rcScreen.top + m_nImgOffsetY;
    const HITRANGE* r = e.nKind == 1 ? &m_rcHitBox : e.nKind == 2 ? &m_rcHitBox3 : e.nKind == 3 ? &m_rcHitBox2 : nullptr;
    if (r) {
      e.nX += r->nLeft;
      e.nY += r->nTop;
    }
    const int nColour = bPaletteRotation ? e.nColour : e.nColour + (e.nCycle >> 3);
    if (lpSurface && e.nWidth > 0 && e.nHeight > 0) {
      if (e.nShow == 1) DDFillRect(lpSurface, e.nX, e.nY, e.nWidth, e.nHeight, static_cast<DWORD>(nColour));
      else DDDrawFrame(lpSurface, e.nX, e.nY, e.nWidth, e.nHeight, 1, static_cast<DWORD>(nColour));
    }
    e.nCycle = (e.nCycle + 1) & 31;
  }
}

int cPlayer::PlayerViewLimitSource(int W, int H, int& sx, int& sy) const {
  const int nMode = m_Def.m_nSetting37;
  if (nMode == 0) return 0;
  sx = (W >> 1) - (m_nImgW >> 1) - m_rcScreen.left;
  sy = (H >> 1) - (m_nImgH >> 1) - m_rcScreen.top;
  if (nMode == 2 || nMode == 4) sx += GetDirSign() * (m_nImgW / 2) - GetDirSign() * m_nViewLimitPixels;
  sx = std::clamp(sx, 0, std::max(0, W - 640));
  sy = std::clamp(sy, 0, std::max(0, H - 480));
  return 1;
}

int cPlayer::PlayerIdNotListed(int nId) const {
  return std::find(m_lstIds.begin(), m_lstIds.end(), nId) == m_lstIds.end() ? 1 : 0;
}

void cPlayer::PlayerRemoveId(int nId) { m_lstIds.remove(nId); }
