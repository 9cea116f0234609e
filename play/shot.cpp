// Live shots: set-up, the flying step with its ten motions, the sword step,
// the block test and the shot picture cells.
#include "play/shot.h"

#include <cmath>

#include "play/launch.h"
#include "play/play_math.h"
#include "play/stage_block.h"
#include "play/stage_context.h"
#include "records/database.h"
#include "records/stage.h"

SHOTLINKS g_ShotLinks;

namespace {

cGameObj* FindChara(int nId, int bAlive) {
  if (nId == NO_CHARA || !g_ShotLinks.pfnFindChara) return nullptr;
  return g_ShotLinks.pfnFindChara(nId, bAlive);
}

double CentreX(const cGameObj& o) { return o.m_dX + o.m_nBoxW / 2.0; }
double CentreY(const cGameObj& o) { return o.m_dY + o.m_nBoxH / 2.0; }

// The acceleration magnitude A split along the velocity's direction, per
// sub-step.
void SplitAcceleration(cShot& s, double A) {
  double ax = 0, ay = 0;
  if (s.m_dVelY == 0 && s.m_dVelX != 0) ax = s.m_dVelX > 0 ? A : -A;
  else if (s.m_dVelX == 0 && s.m_dVelY != 0) ay = s.m_dVelY > 0 ? A : -A;
  else if (s.m_dVelX != 0 && s.m_dVelY != 0) {
    const double len = std::hypot(s.m_dVelX, s.m_dVelY);
    ax = A * s.m_dVelX / len;
    ay = A * s.m_dVelY / len;
  }
  s.m_dAccX = s.AccelPerFrame(ax);
  s.m_dAccY = s.AccelPerFrame(ay);
}

void AimAt(cShot& s, const cGameObj* lpTo) {
  if (!lpTo) return;
  const double dx = CentreX(*lpTo) - CentreX(s);
  const double dy = CentreY(*lpTo) - CentreY(s);
  const double len = std::hypot(dx, dy);
  if (len == 0) return;
  s.m_dVelX = dx / len * s.m_dPhaseSpeed;
  s.m_dVelY = dy / len * s.m_dPhaseSpeed;
  if (s.m_bAccel) {
    const double A = std::hypot(s.m_dAccX, s.m_dAccY);
    s.m_dAccX = A * dx / len;
    s.m_dAccY = A * dy / len;
  }
}

// Sub-steps to cover d half-cells at speed v; 0 for no distance or speed.
int32_t StepsFor(int16_t d, double v) {
  if (d == 0 || v == 0) return 0;
  return TruncToInt(std::fabs(d * 16.0 / v));
}

cGameObj* SelectTarget(cShot& s, int nGroup) {
  if (!g_ShotLinks.pfnSelectTarget) return nullptr;
  // The search measures from the picture centres on screen.
  s.UpdateScreenRect();
  return g_ShotLinks.pfnSelectTarget(s, nGroup);
}

cGameObj* Player1() { return g_ShotLinks.pfnPlayer1 ? g_ShotLinks.pfnPlayer1() : nullptr; }

// The first sub-step of every motion: phase speed, delay and end.
void StartMotion(cShot& s) {
  const double F = SpeedDivisor();
  s.m_dPhaseSpeed = (s.m_Shot.m_nSpeed + s.m_Shot.m_nSpeedStep * s.m_nWave) * 0.1 / F;
  s.m_nDelay = StepsFor(SHOTFIELDS::Distance1(s.m_Shot), s.m_dPhaseSpeed);
  s.m_nEnd = StepsFor(SHOTFIELDS::Distance2(s.m_Shot), s.m_dPhaseSpeed);
}

// Kinds 1 to 3: aim once at the delay.
template <cGameObj* (*Pick)(cShot&)>
void AimOnce(cShot& s) {
  if (s.m_nMotionStep >= s.m_nDelay) {
    AimAt(s, Pick(s));
    s.m_bMotionDone = 1;
  }
}
// Kinds 4 to 7: aim every sub-step from the delay until the end.
template <cGameObj* (*Pick)(cShot&)>
void AimUntilEnd(cShot& s) {
  if (s.m_nMotionStep >= s.m_nEnd) {
    s.m_bMotionDone = 1;
    return;
  }
  if (s.m_nMotionStep >= s.m_nDelay) AimAt(s, Pick(s));
}

cGameObj* PickPlayer(cShot&) { return Player1(); }
cGameObj* PickGroup1(cShot& s) { return SelectTarget(s, SHOTFIELDS::TargetGroup1(s.m_Shot)); }
cGameObj* PickGroup2(cShot& s) { return SelectTarget(s, SHOTFIELDS::TargetGroup2(s.m_Shot)); }
cGameObj* PickTarget(cShot& s) { return FindChara(s.m_nTargetId, 1); }

void MotionNone(cShot&) {}

void MotionWave(cShot& s) {
  if (s.m_nMotionStep == 0) {
    const double F = SpeedDivisor();
    s.m_dWaveAmp = SHOTFIELDS::Distance1(s.m_Shot) * 16.0;
    // The phase counts F a degree, as the wave speed wraps it at F × 360.
    const double phase = SHOTFIELDS::PhaseAngle(s.m_Shot) + (s.m_nDir == 0 ? 180.0 : 0.0);
    s.m_dWavePhase = phase * F;
    const double flight = std::atan2(-s.m_dVelY, -s.m_dVelX) / kDegToRad;
    s.m_dWaveCross = flight - 90.0;
    s.m_dWaveOffX = s.m_dWaveOffY = 0.0;
  }
  // The cross speed of this sub-step is the wave speed of its phase, so the
  // shot runs a sine of the record's amplitude from the launch point.
  const double w =
      s.WaveSpeedCos(s.m_dWaveAmp, SHOTFIELDS::WavePeriod(s.m_Shot), s.m_dWavePhase, 1.0, 0.0);
  // The wave rides on the flight: the flight's own velocity is what is
  // left without the wave's share, and the wave never turns a component of
  // the flight back (that component becomes 0 instead).
  const double bx = s.m_dVelX - s.m_dWaveOffX, by = s.m_dVelY - s.m_dWaveOffY;
  const double c = s.m_dWaveCross * kDegToRad;
  double nx = bx - std::cos(c) * w;
  double ny = by - std::sin(c) * w;
  if (nx * bx < 0) nx = 0.0;
  if (ny * by < 0) ny = 0.0;
  s.m_dWaveOffX = nx - bx;
  s.m_dWaveOffY = ny - by;
  s.m_dVelX = nx;
  s.m_dVelY = ny;
}

void MotionFall(cShot& s) {
  if (s.m_nMotionStep >= s.m_nDelay) {
    s.m_dSpeedY = s.m_dVelY;
    s.SetMoveType(0);
    s.m_bMotionDone = 1;
  }
}

typedef void (*SHOTMOVEFUNC)(cShot&);
const SHOTMOVEFUNC g_ShotMoveFunc[10] = {
    MotionNone,
    AimOnce<PickPlayer>,
    AimOnce<PickGroup1>,
    AimOnce<PickTarget>,
    AimUntilEnd<PickPlayer>,
    AimUntilEnd<PickGroup2>,
    AimUntilEnd<PickTarget>,
    AimUntilEnd<PickGroup2>,
    MotionWave,
    MotionFall,
};

void BaseSpeeds(const cShot& s, double& bx, double& by) {
  bx = by = 0;
  if (!s.m_bFollowScroll || !g_lpStageContext) return;
  bx = g_lpStageContext->FollowScrollSpeed(SCROLL_X);
  if (s.m_nNoGravity) by = g_lpStageContext->FollowScrollSpeed(SCROLL_Y);
}

// Frame n of the shot's sword type; null when the type or the frame is not
// in the database.
const cEdSwordPart* SwordPart(const cEdShot& shot, int n) {
  const int t = SHOTFIELDS::ShotType(shot);
  const auto& types = g_Database.m_vecSwordType;
  if (t >= static_cast<int>(types.size())) return nullptr;
  const auto& parts = types[t].m_vecPart;
  if (n < 0 || n >= static_cast<int>(parts.size())) return nullptr;
  return &parts[static_cast<size_t>(n)];
}

}  // namespace

SWORDFRAME SwordFrameOf(const cEdSwordPart& p) {
  const int32_t* v = p.anPart;
  return SWORDFRAME{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]};
}

cShot::cShot() { m_Shot.SetDefaults(); }

void cShot::ScaleBoxes(int nScale) {
  m_nScale = nScale < 1 ? 1 : nScale;
  m_nAtkOffX = m_nAtkOffX0 * m_nScale;
  m_nAtkOffY = m_nAtkOffY0 * m_nScale;
  m_nAtkW = m_nAtkW0 * m_nScale;
  m_nAtkH = m_nAtkH0 * m_nScale;
  UpdateRectX();
  UpdateRectY();
}

void cShot::KeepFootOnScale(int nNew, int nOld) {
  const int nHalf = static_cast<int>(static_cast<uint32_t>(m_nBoxH0) >> 1);
  m_dY -= static_cast<double>(nHalf) * static_cast<double>(nNew - nOld);
  ClampY(2);
}

void cShot::UpdateRectX() {
  m_dRight = m_dX + m_nBoxW - 1;
  m_dAtkLeft = m_dX + m_nAtkOffX;
  m_dAtkRight = m_dAtkLeft + m_nAtkW - 1;
}

void cShot::UpdateRectY() {
  m_dBottom = m_dY + m_nBoxH - 1;
  m_dAtkTop = m_dY + m_nAtkOffY;
  m_dAtkBottom = m_dAtkTop + m_nAtkH - 1;
}

int cShot::HasHit(int nCharaId) const {
  for (int id : m_lstHit)
    if (id == nCharaId) return 1;
  return 0;
}

void cShot::NoteHit(int nCharaId) {
  if (!HasHit(nCharaId)) m_lstHit.push_back(nCharaId);
}

void ShotInit(cShot& s, const SHOTOWNER& owner, int nCommandKind, int32_t nSerial, int nWave, const cEdShot& params,
              const LAUNCHCONTEXT& ctx) {
  s.m_Shot = params;
  if (s.m_Shot.m_cSize <= 0) s.m_Shot.m_cSize = 1;
  int w = SHOT_CELL, h = SHOT_CELL;
  s.m_bFlying = 1;
  if (nCommandKind == COMMAND_KIND_SWORD) {
    s.m_bFlying = 0;
    if (const cEdSwordPart* lpPart = SwordPart(params, 0)) {
      const SWORDFRAME f = SwordFrameOf(*lpPart);
      w = f.nWidth;
      h = f.nHeight;
    }
  }
  s.Setup(static_cast<int>(nSerial), owner.bStageChara, 0, params.m_byGroupValue, 0, 0, 0, w, h, w, h, owner.nDir,
          1, static_cast<uint16_t>(params.m_wPicture));
  s.m_nSerial = nSerial;
  s.m_nOwnerId = owner.nId;
  s.m_bOwnerStageChara = owner.bStageChara;
  s.m_nGroup = params.m_byOwnerGroup ? owner.nGroup : params.m_byGroupValue;
  s.m_byGroup = static_cast<uint8_t>(s.m_nGroup);
  s.m_nSide = s.m_nGroup;
  s.m_nTargetId = owner.nTargetId;
  s.m_nWave = nWave;
  s.m_byMotion = SHOTFIELDS::MotionKind(params);
  s.m_lstHit.clear();

  if (s.m_bFlying) {
    const int bw = static_cast<int>(owner.bStageChara ? g_Stage.m_nCharaForm2W : g_Stage.m_nPlayerForm2W);
    const int bh = static_cast<int>(owner.bStageChara ? g_Stage.m_nCharaForm2H : g_Stage.m_nPlayerForm2H);
    s.m_nAtkW0 = bw, s.m_nAtkH0 = bh;
    s.m_nAtkOffX0 = SHOT_CELL / 2 - bw / 2;
    s.m_nAtkOffY0 = SHOT_CELL / 2 - bh / 2;
  } else {
    s.m_nAtkW0 = w, s.m_nAtkH0 = h;
    s.m_nAtkOffX0 = s.m_nAtkOffY0 = 0;
  }
  s.ScaleBoxes(1);
  s.SetScale(s.m_Shot.m_cSize, 1);
  // The start point is the top-left of the scaled shot: it is set after the
  // scaling, which would otherwise move it to keep the centre.
  s.m_dX = ctx.nX;
  s.m_dY = ctx.nY;
  s.ClampX(2);
  s.ClampY(2);
  s.ScaleBoxes(s.m_Shot.m_cSize);

  const double F = SpeedDivisor();
  s.m_dVelX = ctx.dVelX / F;
  s.m_dVelY = ctx.dVelY / F;
  s.m_bAccel = params.m_byAccel ? 1 : 0;
  s.m_dAccX = s.m_dAccY = 0;
  if (s.m_bAccel) SplitAcceleration(s, (params.m_wAccelStep * nWave + params.m_wAccel) * 0.1 / F);

  s.m_bFollowScroll = SHOTFIELDS::FollowsScroll(params) ? 1 : 0;
  s.m_nFollowScroll = static_cast<int>(s.m_bFollowScroll);
  const int64_t n = SpeedDivisorInt();
  if (SHOTFIELDS::LifeOn(params)) {
    const int64_t life = static_cast<int64_t>(ctx.nValue2) * n * 6;
    s.m_nLife = static_cast<int32_t>(life > 0x7FFFFFFF ? 0x7FFFFFFF : life);
  }
  if (SHOTFIELDS::RangeOn(params)) {
    const double dist = ctx.nValue1 * 32.0 / 2 - s.m_nBoxW;
    const double v = std::hypot(s.m_dVelX, s.m_dVelY);
    if (dist <= 0) {
      s.m_nRange = 0;
    } else if (v == 0) {
      // A shot that does not move never reaches its range.
      s.m_nRange = 0x7FFFFFFF;
    } else if (dist < v) {
      s.m_dVelX *= dist / v;
      s.m_dVelY *= dist / v;
      s.m_nRange = 1;
    } else {
      s.m_nRange = TruncToInt(dist / v);
    }
  }
}

void ShotMotion(cShot& s) {
  if (s.m_bMotionDone) return;
  if (s.m_nMotionStep == 0) StartMotion(s);
  // A kind from a damaged file moves straight on.
  const int k = s.m_byMotion < 10 ? s.m_byMotion : 0;
  g_ShotMoveFunc[k](s);
  ++s.m_nMotionStep;
}

int ShotStep(cShot& s) {
  if (!s.m_bFlying) return SwordStep(s);
  double bx, by;
  BaseSpeeds(s, bx, by);
  ShotMotion(s);
  if (s.m_bAccel) {
    s.m_dVelX += s.m_dAccX;
    if (s.m_nNoGravity) s.m_dVelY += s.m_dAccY;
    else s.m_dSpeedY += s.m_dAccY;
  }
  s.m_dSpeedX = bx + s.m_dVelX;
  if (s.m_nNoGravity) s.m_dSpeedY = by + s.m_dVelY;
  if (SHOTFIELDS::LifeOn(s.m_Shot)) {
    if (s.m_nLife < 1) return 1;
    --s.m_nLife;
  }
  s.m_nDir = s.m_dSpeedX >= 0 ? 1 : 0;
  if (SHOTFIELDS::RangeOn(s.m_Shot)) {
    if (s.m_nRange > 0) {
      --s.m_nRange;
    } else if (!SHOTFIELDS::StopAtRange(s.m_Shot)) {
      return 1;
    } else {
      s.m_dVelX = s.m_dVelY = s.m_dAccX = s.m_dAccY = 0;
      s.m_byMotion = 0;
      BaseSpeeds(s, bx, by);
      s.m_dSpeedX = bx;
      if (s.m_nNoGravity) s.m_dSpeedY = by;
    }
  }
  return 0;
}

int SwordStep(cShot& s) {
  cGameObj* lpOwner = FindChara(s.m_nOwnerId, 0);
  if (!lpOwner) return 1;
  s.m_nDir = lpOwner->m_nDir;
  // A sword type that is not there (or has no frames) ends the sword.
  const cEdSwordPart* lpPart = SwordPart(s.m_Shot, s.m_nSwordFrame);
  if (!lpPart) return 1;
  const SWORDFRAME f = SwordFrameOf(*lpPart);
  const int k = s.m_nScale;
  if (s.m_nSwordStep == 0) {
    s.m_nBoxW0 = s.m_nImgW0 = s.m_nAtkW0 = f.nWidth;
    s.m_nBoxH0 = s.m_nImgH0 = s.m_nAtkH0 = f.nHeight;
    s.m_nBoxW = s.m_nImgW = f.nWidth * k;
    s.m_nBoxH = s.m_nImgH = f.nHeight * k;
    s.ScaleBoxes(k);
  }
  const double left = lpOwner->m_dX, top = lpOwner->m_dY;
  const double right = lpOwner->m_dX + lpOwner->m_nBoxW - 1, bottom = lpOwner->m_dY + lpOwner->m_nBoxH - 1;
  int nFacing = s.m_nDir;
  int nPlace = f.nPlace;
  if (nPlace == 1) nFacing = 1 - nFacing, nPlace = 0;
  double x, y;
  switch (nPlace) {
    case 2: x = (left + right + 1) / 2 - s.m_nBoxW / 2.0, y = top - s.m_nBoxH; break;
    case 3: x = (left + right + 1) / 2 - s.m_nBoxW / 2.0, y = bottom + 1; break;
    default:
      x = nFacing ? right + 1 : left - s.m_nBoxW;
      y = (top + bottom + 1) / 2 - s.m_nBoxH / 2.0;
      break;
  }
  const bool bRight = s.m_nDir == 1;
  x += (bRight && f.bMirrorX ? -1 : 1) * f.nOffsetX * k;
  y += (bRight && f.bMirrorY ? -1 : 1) * f.nOffsetY * k;
  s.m_dX = std::floor(x);
  s.m_dY = std::floor(y);
  s.ClampX(2);
  s.ClampY(2);
  s.UpdateRectX();
  s.UpdateRectY();
  ++s.m_nSwordStep;
  const int64_t nFrameSteps = static_cast<int64_t>(f.nDuration) * SpeedDivisorInt() * 6;
  if (s.m_nSwordStep > nFrameSteps) {
    s.m_nSwordStep = 0;
    if (!SwordPart(s.m_Shot, ++s.m_nSwordFrame)) return 1;
  }
  return 0;
}

int ShotHitsBlock(const cShot& s) {
  if (!g_lpStageContext || !s.m_bFlying) return 0;
  cStageContext& c = *g_lpStageContext;
  const int l = TruncToInt(s.m_dX), t = TruncToInt(s.m_dY);
  const int r = TruncToInt(s.m_dX + s.m_nBoxW - 1), b = TruncToInt(s.m_dY + s.m_nBoxH - 1);
  auto stops = [&](int x, int y) {
    return cStageContext::HitKindOf(c.BlockAtPixel(x, y), s.m_nGroup) != 0;
  };
  if (s.m_nBoxW > 32) {
    for (int y = t;; y += 32) {
      const int yy = y > b ? b : y;
      for (int x = l;; x += 32) {
        const int xx = x > r ? r : x;
        if (stops(xx, yy)) return 1;
        if (xx == r) break;
      }
      if (yy == b) break;
    }
    return 0;
  }
  return stops(l, t) || stops(r, t) || stops(l, b) || stops(r, b);
}

void ShotCell(int m, int p, int& nSrcX, int& nSrcY) {
  if (m < 0) m = 0;
  nSrcX = (p + (m / 30) * 2) * SHOT_CELL;
  nSrcY = (m % 30) * SHOT_CELL;
}

int ShotDrawData(const cShot& s, int nPattern, double dScrollX, double dScrollY, SHOTDRAW& out) {
  if (SHOTFIELDS::Invisible(s.m_Shot)) return 0;
  out = SHOTDRAW();
  const int k = s.m_nScale;
  out.nDstX = TruncToInt(s.m_dX - TruncToInt(dScrollX));
  out.nDstY = TruncToInt(s.m_dY - TruncToInt(dScrollY));
  out.bStretch = k > 1;
  if (s.m_bFlying) {
    ShotCell(s.m_Shot.m_wPicture, nPattern, out.nSrcX, out.nSrcY);
    out.nSheet = s.m_nDir == 1 ? 1 : 0;
    out.nSrcW = out.nSrcH = SHOT_CELL;
    out.nDstW = out.nDstH = SHOT_CELL * k;
    return 1;
  }
  const cEdSwordPart* lpPart = SwordPart(s.m_Shot, s.m_nSwordFrame);
  if (!lpPart) return 0;
  const SWORDFRAME f = SwordFrameOf(*lpPart);
  const int t = SHOTFIELDS::ShotType(s.m_Shot);
  out.bSword = 1;
  out.nSheet = t * 4 + (s.m_nDir == 1 ? 1 : 0);
  out.nSrcX = f.nSrcX, out.nSrcY = f.nSrcY;
  out.nSrcW = f.nWidth, out.nSrcH = f.nHeight;
  out.nDstW = f.nWidth * k, out.nDstH = f.nHeight * k;
  return 1;
}
