#include "play/game_object.h"

#include <cmath>

#include "play/id_index.h"
#include "play/play_math.h"
#include "play/stage_block.h"
#include "play/stage_context.h"
#include "play/target_index.h"
#include "records/system.h"

REMOVALAREA RemovalAreaOf(const cEdStageSub& sub) {
  return REMOVALAREA{sub.m_nA,
                     sub.m_nB,
                     sub.m_nC,
                     sub.m_nD,
                     static_cast<int32_t>(sub.m_nE),
                     static_cast<int32_t>(sub.m_nF),
                     static_cast<int32_t>(sub.m_nG),
                     static_cast<int32_t>(sub.m_nH)};
}

cGameObj::cGameObj() = default;

void cGameObj::CopyFrom(const cGameObj& other) {
  // The derived classes keep this slot and copy their own fields elsewhere,
  // so only the base part is assigned here.
  static_cast<cGameObj&>(*this) = other;
  NoteScreenBoxMoved(*this);
  NoteIdSet(*this);
}

void cGameObj::Setup(int nId, int nType, int nKindB, int nSide, int nValue, int nImgOffsetX, int nImgOffsetY,
                     int nBoxW, int nBoxH, int nImgW, int nImgH, int nDir, int nMoveType, uint16_t wWord) {
  m_nId = nId;
  m_nLifeTime = 0x7FFFFFFF;
  m_nType = nType;
  m_nKindB = nKindB;
  m_nSide = nSide;
  m_nSetupValue = nValue;
  m_nImgOffsetX = m_nImgOffsetX0 = nImgOffsetX;
  m_nImgOffsetY = m_nImgOffsetY0 = nImgOffsetY;
  m_nBoxW = m_nBoxW0 = nBoxW;
  m_nBoxH = m_nBoxH0 = nBoxH;
  m_nImgW = m_nImgW0 = nImgW;
  m_nImgH = m_nImgH0 = nImgH;
  m_dSpeedX = m_dSpeedY = 0.0;
  m_dSpeedX2 = m_dSpeedY2 = 0.0;
  m_bEnabled = 0;
  m_bOnScreen = 0;
  m_byExtra = 0;
  m_nDir = nDir;
  m_wSetupWord = wWord;
  SetMoveType(nMoveType);
  NoteScreenBoxMoved(*this);
  NoteIdSet(*this);
}

void cGameObj::SetMoveType(int nType) {
  switch (nType) {
    case 0: m_nNoGravity = 0, m_nMoveAxes = 1; break;
    case 1: m_nNoGravity = 1, m_nMoveAxes = 0; break;
    case 2: m_nNoGravity = 1, m_nMoveAxes = 1; break;
    case 3: m_nNoGravity = 1, m_nMoveAxes = 2; break;
    default: break;
  }
}

void cGameObj::SetScale(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_nBoxW = m_nBoxW0 * nNew;
  m_nBoxH = m_nBoxH0 * nNew;
  m_nImgOffsetX = m_nImgOffsetX0 * nNew;
  m_nImgOffsetY = m_nImgOffsetY0 * nNew;
  m_nImgW = m_nImgW0 * nNew;
  m_nImgH = m_nImgH0 * nNew;
  // The half width is taken unsigned, the product signed: a shrinking
  // object moves right, so that its centre stays.
  const int nHalf = static_cast<int>(static_cast<uint32_t>(m_nBoxW0) >> 1);
  m_dX -= static_cast<double>(nHalf) * static_cast<double>(nNew - nOld);
  ClampX(2);
  KeepFootOnScale(nNew, nOld);
  ScaleBoxes(nNew);
  NoteScreenBoxMoved(*this);
}

int cGameObj::ClampAxis(int nMode, int axis, cBoxCoord& dPos, int nSize, bool bVertical) {
  const cStageContext& s = *g_lpStageContext;
  const double lo = s.m_aScroll[axis].nMin;
  const double hi = s.m_aScroll[axis].nMax;
  const double areaLo = s.AreaLow(axis);
  const double areaHi = s.AreaHigh(axis);
  const double padded = s.PaddedExtent(axis);
  const double size = static_cast<double>(nSize);
  const double far = dPos + size - 1.0;
  // Vertical results tell the top (1, 2, 3) from the bottom (4, 5, 6).
  const int nLowSide = 0;
  const int nHighSide = bVertical ? 3 : 0;
  switch (nMode) {
    case 0:
      if (dPos < lo) dPos = lo;
      else if (far >= hi) dPos = hi - size;
      return 0;
    case 1:
      if (dPos < areaLo) { dPos = areaLo; return 0; }
      if (far >= areaHi) { dPos = areaHi - size; return 0; }
      if (dPos < lo) return 1 + nLowSide;
      if (far >= hi) return 1 + nHighSide;
      return 0;
    case 2:
      if (dPos < 0.0) { dPos = 0.0; return 3 + nLowSide; }
      if (far >= padded) { dPos = padded - size; return 3 + nHighSide; }
      if (dPos < areaLo) return 2 + nLowSide;
      if (far >= areaHi) return 2 + nHighSide;
      if (dPos < lo) return 1 + nLowSide;
      if (far >= hi) return 1 + nHighSide;
      return 0;
    default:
      return 0;
  }
}

void cGameObj::SyncBoxX() {
  m_dRight = static_cast<double>(m_nBoxW) + m_dX - 1.0;
  m_nCellLeft = TruncToInt(m_dX) >> 5;
  m_nCellRight = TruncToInt(m_dRight) >> 5;
}

void cGameObj::SyncBoxY() {
  m_dBottom = static_cast<double>(m_nBoxH) + m_dY - 1.0;
  m_nCellTop = TruncToInt(m_dY) >> 5;
  m_nCellBottom = TruncToInt(m_dBottom) >> 5;
}

int cGameObj::ClampX(int nMode) {
  int r = ClampAxis(nMode, SCROLL_X, m_dX, m_nBoxW, false);
  SyncBoxX();
  UpdateRectX();
  return r;
}

int cGameObj::ClampY(int nMode) {
  int r = ClampAxis(nMode, SCROLL_Y, m_dY, m_nBoxH, true);
  SyncBoxY();
  UpdateRectY();
  return r;
}

int cGameObj::MoveX(int nMode) {
  const double dMax = g_Stage.m_dMaxSpeed;
  if (m_dSpeedX > dMax) m_dSpeedX = dMax;
  else if (m_dSpeedX < -dMax) m_dSpeedX = -dMax;
  m_dX += m_dSpeedX;
  int r = ClampX(nMode);
  return (r >= 1 && r <= 3) ? r : 0;
}

int cGameObj::MoveY(int nMode) {
  const double dMax = g_Stage.m_dMaxSpeed;
  if (m_dSpeedY > dMax) m_dSpeedY = dMax;
  else if (m_dSpeedY < -dMax) m_dSpeedY = -dMax;
  m_dY += m_dSpeedY;
  int r = ClampY(nMode);
  return (r >= 1 && r <= 6) ? r : 0;
}

void cGameObj::ApplyGravity() {
  if (m_nNoGravity == 0) m_dSpeedY += g_Stage.m_dGravity;
}

void cGameObj::Decelerate(double& dSpeed, int bOn) const {
  if (!bOn) return;
  if (dSpeed > 0.0) {
    dSpeed -= m_dDecel;
    if (dSpeed < 0.0) dSpeed = 0.0;
  } else if (dSpeed < 0.0) {
    dSpeed += m_dDecel;
    if (dSpeed > 0.0) dSpeed = 0.0;
  }
}

void cGameObj::UpdateScreenRect() {
  const cStageContext& s = *g_lpStageContext;
  m_rcScreen.left = TruncToInt(m_dX - m_nImgOffsetX - TruncToInt(s.m_aScroll[SCROLL_X].dPos));
  m_rcScreen.right = m_rcScreen.left + m_nImgW - 1;
  m_rcScreen.top = TruncToInt(m_dY - m_nImgOffsetY - TruncToInt(s.m_aScroll[SCROLL_Y].dPos));
  m_rcScreen.bottom = m_rcScreen.top + m_nImgH - 1;
  NoteScreenBoxMoved(*this);
}

void cGameObj::UpdateScreenRectScrolled() {
  UpdateScreenRect();
  const cStageContext& s = *g_lpStageContext;
  if (s.m_aScroll[SCROLL_X].bMoving) {
    m_rcScreen.left = TruncToInt(m_dX) - TruncToInt(s.m_aScroll[SCROLL_X].dPos) - m_nImgOffsetX;
    m_rcScreen.right = m_rcScreen.left + m_nImgW - 1;
  }
  if (s.m_aScroll[SCROLL_Y].bMoving) {
    m_rcScreen.top = TruncToInt(m_dY) - TruncToInt(s.m_aScroll[SCROLL_Y].dPos) - m_nImgOffsetY;
    m_rcScreen.bottom = m_rcScreen.top + m_nImgH - 1;
  }
  NoteScreenBoxMoved(*this);
}

int cGameObj::IsOnScreen() const { return IsInViewAxes(0, 0); }

int cGameObj::IsInViewAxes(int bSkipX, int bSkipY) const {
  const cStageContext& s = *g_lpStageContext;
  const double sx = s.m_aScroll[SCROLL_X].dPos;
  const double sy = s.m_aScroll[SCROLL_Y].dPos;
  if (!bSkipX && !(m_dRight >= sx && m_dX < sx + 640.0)) return 0;
  if (bSkipY) return 1;
  return (m_dBottom >= sy && m_dY < sy + 480.0) ? 1 : 0;
}

int cGameObj::IsWithinStageBounds(int nMode) const {
  const cStageContext& s = *g_lpStageContext;
  if (nMode != 0) {
    return (m_dX >= 0.0 && m_dRight < s.PaddedExtent(SCROLL_X) && m_dY >= 0.0 &&
            m_dBottom < s.PaddedExtent(SCROLL_Y))
               ? 1
               : 0;
  }
  return (m_dX >= s.AreaLow(SCROLL_X) && m_dRight < s.AreaHigh(SCROLL_X) && m_dY >= s.AreaLow(SCROLL_Y) &&
          m_dBottom < s.AreaHigh(SCROLL_Y))
             ? 1
             : 0;
}

int cGameObj::IsOutOfArea(const REMOVALAREA& a) const {
  if (m_bOnScreen) return 0;
  const cStageContext& s = *g_lpStageContext;
  const double sx = s.m_aScroll[SCROLL_X].dPos;
  const double sy = s.m_aScroll[SCROLL_Y].dPos;
  if (a.bLeft && TruncToInt(sx - a.nLeft * 32.0) >= m_dRight) return 1;
  if (a.bRight && TruncToInt(a.nRight * 32.0 + sx + 640.0) <= m_dX) return 1;
  if (a.bBottom && TruncToInt(a.nBottom * 32.0 + sy + 480.0) <= m_dY) return 1;
  if (a.bTop && TruncToInt(sy - a.nTop * 32.0) >= m_dBottom) return 1;
  if (m_dX <= 0.0 || m_dRight >= s.PaddedExtent(SCROLL_X) - 1.0) return 1;
  if (m_dY <= 0.0 || m_dBottom >= s.PaddedExtent(SCROLL_Y) - 1.0) return 1;
  return 0;
}

double cGameObj::WaveSpeedCos(double dAmplitude, double dPeriodDeg, double& dPhase, double dStep,
                              double dPhaseOffset) const {
  const double F = SpeedDivisor();
  const double k = dPeriodDeg * kDegToRad;
  const double v = k * (dAmplitude * std::cos((dPhase / F + dPhaseOffset) * k)) / F;
  dPhase += dStep;
  if (dPhase >= F * 360.0) dPhase -= F * 360.0;
  return v;
}

double cGameObj::AccelPerFrame(double v) const { return v / SpeedDivisor() / 60.0; }

void cGameObj::ComponentSpeeds(double& dOutX, double& dOutY, int8_t nSpeed, double dx, double dy) const {
  if (nSpeed == 0) return;
  const double sum = std::fabs(dx) + std::fabs(dy);
  if (sum == 0.0) {
    dOutX = dOutY = 0.0;
    return;
  }
  const double F = SpeedDivisor();
  auto Solve = [F](double a) {
    if (a > 0.0) return (std::sqrt(1.0 + 128.0 * F * a) - 1.0) / (2.0 * F);
    if (a < 0.0) return -((std::sqrt(1.0 - 128.0 * F * a) - 1.0) / (2.0 * F));
    return 0.0;
  };
  dOutX = Solve(nSpeed * dx / sum);
  dOutY = Solve(nSpeed * dy / sum);
}

namespace {

// 1/√2, the diagonal's share of a speed.
const double kInvSqrt2 = std::sqrt(0.5);

// The scroll speed an object carried by the scroll takes along when the
// project's follow-scroll setting is on.
double FollowSpeed(int axis) {
  return g_System.m_bFollowScroll ? g_lpStageContext->FollowScrollSpeed(axis) : 0.0;
}

}  // namespace

int SpeedToward(int axis, double& dOutSpeed, double& dOutOther, int& nOutDir, const cGameObj* lpObj, double dFrom,
                double dTo, double dSpeed, int bIgnoreScroll, int bTestArrival) {
  double s;
  if (dFrom >= dTo) {
    nOutDir = 1;
    s = -dSpeed;
  } else {
    nOutDir = 2;
    s = dSpeed;
  }
  if (axis == SCROLL_Y) nOutDir = 0;
  if (!bIgnoreScroll && lpObj && lpObj->m_nFollowScroll) s += FollowSpeed(axis);
  dOutSpeed = s;
  dOutOther = 0.0;
  if (!bTestArrival) return 0;
  return std::fabs(dFrom - dTo) < std::fabs(dSpeed) ? 1 : 0;
}

int AimVelocity(double& dOutX, double& dOutY, int& nOutDir, const cGameObj* lpObj, double x0, double y0, double x1,
                double y1, double dSpeed, int bRelative, int bNoDiagonal, int bTestArrival) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  double vx, vy;
  if (dSpeed < 0.0 && !bNoDiagonal) {
    const double d = std::fabs(dSpeed) * kInvSqrt2;
    vx = dx > 0.0 ? -d : d;
    vy = dy > 0.0 ? -d : d;
    vx += FollowSpeed(SCROLL_X);
    vy += FollowSpeed(SCROLL_Y);
  } else {
    double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0.0) len = 1.0;
    vx = dx / len * dSpeed;
    vy = dy / len * dSpeed;
    const cStageContext& c = *g_lpStageContext;
    const double sx = c.FollowScrollSpeed(SCROLL_X);
    const double sy = c.FollowScrollSpeed(SCROLL_Y);
    if (g_System.m_bFollowScroll) {
      vx += sx;
      vy += sy;
    } else if (lpObj && lpObj->m_nFollowScroll && bRelative) {
      vx -= sx;
      vy -= sy;
    } else if (lpObj && lpObj->m_nFollowScroll && (sx != 0.0 || sy != 0.0)) {
      // Carried by the screen, the object moves by v + s.
      InterceptVelocity(dx, dy, dSpeed, sx, sy, vx, vy);
    }
  }
  dOutX = vx;
  dOutY = vy;
  nOutDir = vx < 0.0 ? 1 : (vx > 0.0 ? 2 : 0);
  if (!bTestArrival) return 0;
  const double a = std::fabs(dSpeed);
  return (std::fabs(dx) < a && std::fabs(dy) < a) ? 1 : 0;
}

int InterceptVelocity(double dx, double dy, double dSpeed, double cx, double cy, double& vx, double& vy) {
  // v = t·d̂ − c with |v| = speed: the larger root of
  // t² − 2t(d̂·c) + |c|² − speed² = 0. No usable root: no move.
  vx = vy = 0.0;
  const double len = std::sqrt(dx * dx + dy * dy);
  if (len == 0.0) return 0;
  const double ux = dx / len, uy = dy / len;
  const double dc = ux * cx + uy * cy;
  const double disc = dc * dc - (cx * cx + cy * cy) + dSpeed * dSpeed;
  if (disc < 0.0) return 0;
  const double t = dc + std::sqrt(disc);
  if (!(t > 0.0)) return 0;
  vx = t * ux - cx;
  vy = t * uy - cy;
  return 1;
}

void PictureCentre(const cGameObj& obj, int& x, int& y) {
  x = obj.m_rcScreen.left + (obj.m_nImgW >> 1);
  y = obj.m_rcScreen.top + (obj.m_nImgH >> 1);
}

void GetMoveTargetPoint(const cGameObj& obj, const cEdMove& move, int nOffsetX, int nOffsetY, int& x, int& y) {
  PictureCentre(obj, x, y);
  bool bX = true, bY = true;
  if (move.m_byOnlyX) bY = false;
  else if (move.m_byOnlyY) bX = false;
  if (bX) x += nOffsetX;
  if (bY) y += nOffsetY;
}

int ChooseSurfaceIndex(int nIndex, int bAlt, bool bDirectDraw, bool (*pfnLoaded)(int nSurface)) {
  if (!bDirectDraw || !pfnLoaded) return nIndex;
  if (bAlt) return pfnLoaded(nIndex + 18) ? nIndex + 18 : nIndex;
  return pfnLoaded(nIndex) ? nIndex : nIndex + 18;
}
