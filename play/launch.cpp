// The six launch patterns and the Shot command's waves.
#include "play/launch.h"

#include <cmath>

#include "platform/game_random.h"
#include "play/move_preparers.h"
#include "play/play_math.h"

namespace {

// Codes without an angle of their own (0, 1, 4, 5, 12) fly at angle 0.
int DirAngle(int nCode) {
  const int a = AngleOfDirection(nCode);
  return a < 0 ? 0 : a;
}
bool IsLeftward(int c) { return c == 2 || c == 8 || c == 9; }
bool IsRightward(int c) { return c == 3 || c == 10 || c == 11; }
bool IsUp(int c) { return c == 6 || c == 8 || c == 10; }
bool IsDown(int c) { return c == 7 || c == 9 || c == 11; }

int Count(const LAUNCH& l) { return l.lpParams ? l.lpParams->m_cCount : 0; }
int SpacingPx(const LAUNCH& l) { return l.lpParams->m_nSpacing * 16; }
bool AnglesOn(const LAUNCH& l, const LAUNCHCONTEXT& c) { return c.nAngle != 0 || l.lpParams->m_byAim; }

void Emit(LAUNCH& l, LAUNCHCONTEXT& c, double x, double y, double dAngle, double dSpeed) {
  c.nX = TruncToInt(x);
  c.nY = TruncToInt(y);
  VelocityAtAngle(dAngle, dSpeed, c.dVelX, c.dVelY);
  if (l.pfnSpawn) l.pfnSpawn(l, c);
}
void Emit(LAUNCH& l, LAUNCHCONTEXT& c, double x, double y, double dAngle) { Emit(l, c, x, y, dAngle, c.dSpeed); }

// The flight of patterns 0 and 1 from an object at (x, y): the direction's
// angle at the context's speed; with an angle offset or the aim flag, the
// aim (or the direction) turned by the offset.
LAUNCHAIM AngledAim(const LAUNCH& l, const LAUNCHCONTEXT& c, double x, double y) {
  LAUNCHAIM aim{static_cast<double>(DirAngle(c.nDirCode)), c.dSpeed};
  if (!AnglesOn(l, c)) return aim;
  if (l.lpParams->m_byAim) aim = AimAtTarget(l, c, x, y);
  aim.dAngle += c.nAngle;
  return aim;
}

// The point beside the owner at angle a (the side it flies to), used by
// the launch-from-angle form: the object's centre on the circle round the
// owner's box.
void PointAroundOwner(const LAUNCH& l, const LAUNCHCONTEXT& c, double a, double& x, double& y) {
  const LAUNCHBOX& b = l.box;
  const double R = std::hypot(b.dRight - b.dLeft + 1, b.dBottom - b.dTop + 1) / 2 + std::hypot(c.nWidth, c.nHeight) / 2;
  const double r = a * kDegToRad;
  x = b.CentreX() - std::cos(r) * R - c.nWidth / 2.0;
  y = b.CentreY() - std::sin(r) * R - c.nHeight / 2.0;
}

// Pattern 0: a row across the direction, just outside the owner.
void LaunchRow(LAUNCH& l, LAUNCHCONTEXT& c) {
  const int n = Count(l);
  if (n <= 0) return;
  const LAUNCHBOX& b = l.box;
  const int W = c.nWidth, H = c.nHeight, sp = SpacingPx(l);
  const int code = c.nDirCode;
  double x, y, sx = 0, sy = 0;
  const double across = (n - 1) * sp / 2.0;
  if (code == 6 || code == 7) {
    y = code == 6 ? b.dTop - H + 1 : b.dBottom + 1;
    x = std::trunc(b.CentreX()) - across - n * W / 2.0;
    sx = W + sp;
  } else {
    x = IsRightward(code) ? b.dRight + 1 : b.dLeft - W + 1;
    if (IsUp(code) || IsDown(code)) {
      // A diagonal row starts at the corner and runs along the other
      // diagonal, centred on that corner.
      y = IsUp(code) ? b.dTop - H + 1 : b.dBottom + 1;
      sx = W + sp;
      sy = (IsUp(code) == IsLeftward(code)) ? -(H + sp) : (H + sp);
      x -= sx * (n - 1) / 2.0;
      y -= sy * (n - 1) / 2.0;
    } else {
      y = std::trunc(b.CentreY()) - across - n * H / 2.0;
      sy = H + sp;
    }
  }
  x += c.nOffsetX;
  y += c.nOffsetY;
  c.nBaseX = TruncToInt(x), c.nBaseY = TruncToInt(y);
  c.nStepX = TruncToInt(sx), c.nStepY = TruncToInt(sy);
  const LAUNCHAIM aim = AngledAim(l, c, x, y);
  const double a = aim.dAngle;
  if (AnglesOn(l, c)) {
    if (l.lpParams->m_byFromAngle) {
      PointAroundOwner(l, c, a, x, y);
      // The row runs across the flight direction.
      const double r = (a + 90) * kDegToRad;
      sx = std::cos(r) * (W + sp), sy = std::sin(r) * (H + sp);
      x -= sx * (n - 1) / 2.0;
      y -= sy * (n - 1) / 2.0;
    }
  }
  for (int k = 0; k < n; ++k) Emit(l, c, x + sx * k, y + sy * k, a, aim.dSpeed);
}

// Pattern 1: a column rising from the owner's feet.
void LaunchColumn(LAUNCH& l, LAUNCHCONTEXT& c) {
  const int n = Count(l);
  if (n <= 0) return;
  const LAUNCHBOX& b = l.box;
  const int W = c.nWidth, H = c.nHeight, sp = SpacingPx(l);
  const int code = c.nDirCode;
  bool bRight = IsRightward(code);
  if (!IsLeftward(code) && !bRight) bRight = l.owner.nDir == 1;
  double x = (bRight ? b.dRight + 1 : b.dLeft - W + 1) + c.nOffsetX;
  double y = b.dBottom - H + 1 + c.nOffsetY;
  const LAUNCHAIM aim = AngledAim(l, c, x, y);
  for (int k = 0; k < n; ++k) Emit(l, c, x, y - k * (H + sp), aim.dAngle, aim.dSpeed);
}

// Pattern 2: a fan from one point, spacing degrees apart.
void LaunchFan(LAUNCH& l, LAUNCHCONTEXT& c) {
  const int n = Count(l);
  if (n <= 0) return;
  const LAUNCHBOX& b = l.box;
  const int W = c.nWidth, H = c.nHeight;
  const int code = c.nDirCode;
  double x, y;
  if (code == 6 || code == 7) {
    x = b.CentreX() - W / 2.0;
    y = code == 6 ? b.dTop - H : b.dBottom + 1;
  } else {
    x = IsRightward(code) ? b.dRight + 1 : b.dLeft - W + 1;
    y = IsUp(code) ? b.dTop - H : IsDown(code) ? b.dBottom + 1 : b.CentreY() - H / 2.0;
  }
  x = std::trunc(x) + c.nOffsetX;
  y = std::trunc(y) + c.nOffsetY;
  LAUNCHAIM aim{static_cast<double>(DirAngle(code) + c.nAngle), c.dSpeed};
  if (l.lpParams->m_byAim) aim = AimAtTarget(l, c, x, y);
  const double base = aim.dAngle;
  if (l.lpParams->m_byFromAngle) PointAroundOwner(l, c, base, x, y);
  const double sp = l.lpParams->m_nSpacing;
  const double first = base - ((n % 2) ? ((n - 1) / 2) * sp : (n / 2 - 0.5) * sp);
  for (int k = 0; k < n; ++k) Emit(l, c, x, y, first + k * sp, aim.dSpeed);
}

// Pattern 3: rows entering from the screen edge on the target's line.
void LaunchFromEdge(LAUNCH& l, LAUNCHCONTEXT& c) {
  const int n = Count(l);
  if (n <= 0 || !l.lpTarget) return;
  const int W = c.nWidth, H = c.nHeight, sp = SpacingPx(l);
  const int code = c.nDirCode;
  int nPerRow = SHOTFIELDS::PerRow(*l.lpParams);
  if (nPerRow < 1) nPerRow = 1;
  double x, y, sx = 0, sy = 0, rx = 0, ry = 0;
  if (code == 6 || code == 7) {
    x = l.lpTarget->CentreX() - W / 2.0;
    y = code == 6 ? l.dScrollY + 480 - H : l.dScrollY;
    sy = code == 6 ? -(H + sp) : (H + sp);
    rx = W + sp;
  } else {
    const bool bRight = code == 3;
    x = bRight ? l.dScrollX : l.dScrollX + 640 - W;
    y = l.lpTarget->CentreY() - H / 2.0;
    sx = bRight ? (W + sp) : -(W + sp);
    ry = H + sp;
  }
  c.nStep2X = TruncToInt(rx), c.nStep2Y = TruncToInt(ry);
  const double a = DirAngle(code) + c.nAngle;
  for (int row = 0; row < n; ++row)
    for (int k = 0; k < nPerRow; ++k) Emit(l, c, x + sx * k + rx * row, y + sy * k + ry * row, a);
}

// Pattern 4: all around the owner's centre.
void LaunchAround(LAUNCH& l, LAUNCHCONTEXT& c) {
  const int n = Count(l);
  if (n <= 0) return;
  const double x = std::trunc(l.box.CentreX() - c.nWidth / 2.0) + c.nOffsetX;
  const double y = std::trunc(l.box.CentreY() - c.nHeight / 2.0) + c.nOffsetY;
  const double a0 = DirAngle(c.nDirCode) + c.nAngle;
  for (int k = 0; k < n; ++k) Emit(l, c, x, y, a0 + k * 360.0 / n);
}

// Pattern 5: a ring round the target, each object flying to its centre.
void LaunchRing(LAUNCH& l, LAUNCHCONTEXT& c) {
  const int n = Count(l);
  if (n <= 0 || !l.lpTarget) return;
  const double cx = std::trunc(l.lpTarget->CentreX() - c.nWidth / 2.0) + c.nOffsetX;
  const double cy = std::trunc(l.lpTarget->CentreY() - c.nHeight / 2.0) + c.nOffsetY;
  const double R = SpacingPx(l);
  for (int k = 0; k < n; ++k) {
    const double a = DirAngle(c.nDirCode) + c.nAngle + k * 360.0 / n;
    const double r = a * kDegToRad;
    Emit(l, c, cx + std::trunc(std::cos(r) * R + 0.5), cy + std::trunc(std::sin(r) * R + 0.5), a);
  }
}

int WaveAngle(const cEdShot& p, int nAngle, bool bFacingRight) {
  if (p.m_byMirrorAngle && bFacingRight) nAngle = 360 - nAngle;
  const int r = p.m_nSpread;
  if (r > 0) nAngle += rand() % (2 * r + 1) - r;
  return nAngle;
}

}  // namespace

const LAUNCHFUNC g_LaunchFunc[LAUNCH_PATTERN_COUNT] = {LaunchRow,      LaunchColumn, LaunchFan,
                                                       LaunchFromEdge, LaunchAround, LaunchRing};

double AimAngle(double x, double y, double tx, double ty) {
  return std::atan2(-(ty - y), -(tx - x)) / kDegToRad;
}

LAUNCHAIM AimAtTarget(const LAUNCH& l, const LAUNCHCONTEXT& c, double x, double y) {
  if (!l.lpTarget) return LAUNCHAIM{static_cast<double>(DirAngle(c.nDirCode)), c.dSpeed};
  const double x0 = x + c.nWidth / 2.0, y0 = y + c.nHeight / 2.0;
  const double x1 = l.lpTarget->CentreX(), y1 = l.lpTarget->CentreY();
  const bool bViewMoves = l.dScrollSpeedX != 0 || l.dScrollSpeedY != 0;
  const bool bShotFollows = l.lpParams && SHOTFIELDS::FollowsScroll(*l.lpParams);
  if (!bViewMoves || bShotFollows || !l.bTargetFollowsScroll) return LAUNCHAIM{AimAngle(x0, y0, x1, y1), c.dSpeed};
  // Per sub-step: the shot flies by v in the stage, the target by the
  // view's s, so v − s must run along the line between them.
  const double F = SpeedDivisor();
  double vx = 0, vy = 0;
  if (!InterceptVelocity(x1 - x0, y1 - y0, c.dSpeed / F, -l.dScrollSpeedX, -l.dScrollSpeedY, vx, vy))
    return LAUNCHAIM{AimAngle(x0, y0, x1, y1), 0.0};
  return LAUNCHAIM{std::atan2(-vy, -vx) / kDegToRad, std::hypot(vx, vy) * F};
}

void FireShot(LAUNCH& l, const cEdShot& p) {
  if (p.m_byPattern >= LAUNCH_PATTERN_COUNT) return;
  l.lpParams = &p;
  const bool bRight = l.owner.nDir == 1;
  LAUNCHCONTEXT c;
  c.nWidth = c.nHeight = (p.m_cSize > 0 ? p.m_cSize : 1) * 16;
  c.nDirCode = DirectionFromMode(p.m_byDirMode, bRight, l.nFlowDirection);
  c.dSpeed = p.m_nSpeed * 0.1;
  const double dSpeedStep = p.m_nSpeedStep * 0.1;
  c.nAngle = WaveAngle(p, p.m_nAngle, bRight);
  c.nValue1 = p.m_nLaunch1;
  c.nValue2 = p.m_nLaunch2;
  const int nWaves = p.m_cWaves > 0 ? p.m_cWaves : 0;
  for (int w = 0; w <= nWaves; ++w) {
    c.nWave = w;
    c.nOffsetX = TruncToInt(ShotStartOffsetX(p, w, l.owner.nDir));
    c.nOffsetY = TruncToInt(ShotStartOffsetY(p, w, l.owner.nDir));
    g_LaunchFunc[p.m_byPattern](l, c);
    if (w == nWaves) break;
    c.dSpeed += dSpeedStep;
    c.nAngle = WaveAngle(p, p.m_nAngleStep * (w + 1) + p.m_nAngle, bRight);
    c.nValue1 += p.m_nLaunch1Step;
    c.nValue2 += p.m_nLaunch2Step;
  }
}

void SummonLaunch(LAUNCH& l, const cEdShot& p, int nSize) {
  if (p.m_byPattern >= LAUNCH_PATTERN_COUNT) return;
  l.lpParams = &p;
  LAUNCHCONTEXT c;
  c.nWidth = c.nHeight = nSize > 0 ? nSize : 32;
  c.nDirCode = DirectionFromMode(p.m_byDirMode, l.owner.nDir == 1, l.nFlowDirection);
  c.dSpeed = 1.0;
  c.nAngle = 0;
  c.nOffsetX = TruncToInt(ShotStartOffsetX(p, 0, l.owner.nDir));
  c.nOffsetY = TruncToInt(ShotStartOffsetY(p, 0, l.owner.nDir));
  g_LaunchFunc[p.m_byPattern](l, c);
}

void SpawnShot(LAUNCH& l, const LAUNCHCONTEXT& c) {
  SHOTSPAWN* lpSpawn = static_cast<SHOTSPAWN*>(l.lpUser);
  if (!lpSpawn || !lpSpawn->lpList || !l.lpParams) return;
  auto lpShot = std::make_unique<cShot>();
  const int32_t nSerial = lpSpawn->lpSerial ? (*lpSpawn->lpSerial)++ : 0;
  ShotInit(*lpShot, l.owner, COMMAND_KIND_SHOT, nSerial, c.nWave, *l.lpParams, c);
  lpSpawn->lpList->push_back(std::move(lpShot));
  if (l.pfnLinkShot) {
    const int t = SHOTFIELDS::ShotType(*l.lpParams);
    l.pfnLinkShot(l, (t == 3 || t == 6) ? nSerial : -1);
  }
}
