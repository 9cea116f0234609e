// Executors of the movement commands (straight, ground turn, circle, charge,
// homing, avoid off-screen, disable move, change direction, jump) and the
// move rules they share with the warp.
#include <algorithm>
#include <climits>
#include <cmath>

#include "flow/command_executors.h"
#include "flow/flow_host.h"
#include "flow/flow_runner.h"
#include "flow/move_rules.h"
#include "records/command_catalogue.h"

const double g_dDiagonal = 1.0 / std::sqrt(2.0);

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFacingEpsilon = 0.00000001;

double SpeedDivisor() {
  double d = FlowStage().SpeedDiv();
  return d != 0 ? d : 1.0;
}

int32_t FacingRequestOf(cFlowChara& chara, double dVX) {
  if (chara.FacingFixed()) return 0;
  if (dVX < -kFacingEpsilon) return 1;
  if (dVX > kFacingEpsilon) return 2;
  return 0;
}

// The unit vector toward (dX, dY) times the speed; zero for no displacement.
void AimAt(double dX, double dY, double dSpeed, double& dVX, double& dVY) {
  double dLen = std::sqrt(dX * dX + dY * dY);
  dVX = dVY = 0;
  if (dLen <= 0) return;
  dVX = dX / dLen * dSpeed;
  dVY = dY / dLen * dSpeed;
}

void StoreVelocity(cCommandRun& run, const MOVEVELOCITY& v) {
  run.m_dVelocityX = v.dX;
  run.m_dVelocityY = v.dY;
  run.m_nFacingRequest = v.nFacing;
}

void ApplyStored(cFlowChara& chara, cCommandRun& run, const cEdMove& move, BOOL bForce) {
  ApplyCommandVelocity(chara, run.m_dVelocityX, run.m_dVelocityY, run.m_nFacingRequest, run, move, bForce);
}

}  // namespace

const cEdMove& MoveOf(const cCommandRun& run) {
  if (run.m_lpCommand && run.m_lpCommand->m_pMove) return *run.m_lpCommand->m_pMove;
  static const cEdMove s_Default = [] {
    cEdMove m;
    m.SetDefaults();
    return m;
  }();
  return s_Default;
}

bool MoveKeepsX(const cEdMove& move) { return move.m_byOnlyY && !move.m_byOnlyX; }
bool MoveKeepsY(const cEdMove& move) { return move.m_byOnlyX != 0; }

int ResolveFacingDirection(cFlowChara& chara, int nCode) {
  const bool bRight = chara.FacesRight();
  switch (nCode) {
    case 0: return bRight ? MoveDir::Right : MoveDir::Left;
    case 1: return bRight ? MoveDir::Left : MoveDir::Right;
    case 4: return bRight ? MoveDir::Down : MoveDir::Up;
    case 5: return bRight ? MoveDir::Up : MoveDir::Down;
    default: return nCode;
  }
}

int ResolveMoveDirection(cFlowChara& chara, int nCode) {
  if (nCode != 12) return ResolveFacingDirection(chara, nCode);
  const cFlowRun* pFlow = g_FlowContext.m_lpCurFlow;
  // Key history 9 ("any other combination") has no direction: forward.
  int nKey = pFlow ? pFlow->m_nTriggerKey : 0;
  int nDir = DirectionFromCode(nKey, chara.FacesRight());
  if (!chara.CanFly()) {
    if (nDir == MoveDir::UpLeft || nDir == MoveDir::DownLeft) return MoveDir::Left;
    if (nDir == MoveDir::UpRight || nDir == MoveDir::DownRight) return MoveDir::Right;
  }
  return nDir;
}

MOVEVELOCITY VelocityByDirection(cFlowChara& chara, int nDir, double s) {
  MOVEVELOCITY v;
  const bool bFly = chara.CanFly();
  const double k = s * g_dDiagonal;
  switch (nDir) {
    case MoveDir::Left: v.dX = -s; v.nFacing = 1; break;
    case MoveDir::Right: v.dX = s; v.nFacing = 2; break;
    case MoveDir::Up: if (bFly) v.dY = -s; break;
    case MoveDir::Down: if (bFly) v.dY = s; break;
    case MoveDir::UpLeft: v.dX = -k; v.nFacing = 1; if (bFly) v.dY = -k; break;
    case MoveDir::DownLeft: v.dX = -k; v.nFacing = 1; if (bFly) v.dY = k; break;
    case MoveDir::UpRight: v.dX = k; v.nFacing = 2; if (bFly) v.dY = -k; break;
    case MoveDir::DownRight: v.dX = k; v.nFacing = 2; if (bFly) v.dY = k; break;
    default: break;
  }
  if (chara.FacingFixed()) v.nFacing = 0;
  return v;
}

MOVEVELOCITY VelocityByAngle(cFlowChara& chara, int nDir, int32_t nAngle, double s) {
  MOVEVELOCITY v;
  int nBase = 0;
  switch (nDir) {
    case MoveDir::Left: nBase = 0; v.nFacing = 1; break;
    case MoveDir::Right: nBase = 180; v.nFacing = 2; break;
    case MoveDir::Up: nBase = 90; break;
    case MoveDir::Down: nBase = 270; break;
    case MoveDir::UpLeft: nBase = 45; v.nFacing = 1; break;
    case MoveDir::DownLeft: nBase = 315; v.nFacing = 1; break;
    case MoveDir::UpRight: nBase = 135; v.nFacing = 2; break;
    case MoveDir::DownRight: nBase = 225; v.nFacing = 2; break;
    default: break;
  }
  double dTheta = (static_cast<double>(nBase) + nAngle) * kPi / 180.0;
  v.dX = -std::cos(dTheta) * s;
  if (chara.CanFly()) v.dY = -std::sin(dTheta) * s;
  if (chara.FacingFixed()) v.nFacing = 0;
  return v;
}

MOVEVELOCITY VelocityTowardPoint(cFlowChara& chara, cCommandRun& run, const cEdMove& move, double s) {
  MOVEVELOCITY v;
  cFlowStage& stage = FlowStage();
  double dCX, dCY;
  chara.Centre(dCX, dCY);
  double dDX = run.m_nTargetX, dDY = run.m_nTargetY;
  switch (move.m_byCoordKind) {
    case 0: {
      double dPX, dPY;
      chara.PlacementPosition(dPX, dPY);
      dDX = dPX + run.m_nTargetX - dCX;
      dDY = dPY + run.m_nTargetY - dCY;
      break;
    }
    case 1: break;
    case 2:
      dDX = stage.FirstCell(0) * 32.0 + 16 + run.m_nTargetX - dCX;
      dDY = stage.FirstCell(1) * 32.0 + 16 + run.m_nTargetY - dCY;
      break;
    case 3:
      dDX = stage.ScrollPos(0) + 16 + run.m_nTargetX - dCX;
      dDY = stage.ScrollPos(1) + 16 + run.m_nTargetY - dCY;
      break;
    default: dDX = dDY = 0; break;
  }
  if (!move.m_byEnableX) dDX = 0;
  if (!move.m_byEnableY) dDY = 0;
  // Only the coordinate kind "relative to the chara" moves the point along
  // with the chara; the others name a place in the stage.
  const int nAxes = MoveKeepsY(move) ? 1 : (MoveKeepsX(move) ? 2 : 0);
  chara.MoveTowardOffset(run, dDX, dDY, nAxes, move.m_byCoordKind == 1);
  v.dX = run.m_dVelocityX;
  v.dY = run.m_dVelocityY;
  if (MoveKeepsX(move)) v.dX = 0;
  if (MoveKeepsY(move)) v.dY = 0;
  v.nFacing = FacingRequestOf(chara, v.dX);
  if (move.m_byTiming == 2 && s != 0) {
    double dFrames = std::trunc(std::sqrt(dDX * dDX + dDY * dDY) / std::fabs(s));
    run.m_nFramesLeft = static_cast<int32_t>(std::clamp<double>(dFrames, INT32_MIN, INT32_MAX));
    if (move.m_byStopOnArrival && run.m_nFramesLeft < 1) {
      if (move.m_byEnableX) v.dX = 0;
      if (move.m_byEnableY) v.dY = 0;
    }
  }
  return v;
}

double WaveSpeed(double dAmplitude, double dPeriod, double& dPhase, double dStep, double dOffset, double dSpeedDiv) {
  const double dDiv = dSpeedDiv != 0 ? dSpeedDiv : 1.0;
  const double dRad = dPeriod * kPi / 180.0;
  double dResult = dAmplitude * std::cos((dPhase / dDiv + dOffset) * dRad) * dRad / dDiv;
  dPhase += dStep;
  const double dWrap = dDiv * 360.0;
  if (dWrap > 0) {
    dPhase = std::fmod(dPhase, dWrap);
    if (dPhase < 0) dPhase += dWrap;
  }
  return dResult;
}

void ApplyCommandVelocity(cFlowChara& chara, double dVX, double dVY, int32_t nFacing, cCommandRun& run,
                          const cEdMove& move, BOOL bForce) {
  if ((!chara.FacingFixed() || bForce) && !move.m_byKeepFacing) {
    if (nFacing == 1) chara.SetFacing(FALSE);
    if (nFacing == 2) chara.SetFacing(TRUE);
  }
  if (move.m_byInertia) {
    // Without a second speed the move's own speed limits the inertia, which
    // would otherwise be held at 0 and never move the chara.
    const double dLimit = move.m_bySpeed2On ? std::fabs(run.m_dSpeed2) : std::fabs(run.m_dSpeed);
    const double adV[2] = {dVX, dVY};
    for (int nAxis = 0; nAxis < 2; ++nAxis) {
      double& dInertia = chara.InertiaVelocity(nAxis);
      double dPush = adV[nAxis] / SpeedDivisor() * 0.016666666666666666;
      if ((dInertia < 0 && adV[nAxis] > 0) || (dInertia > 0 && adV[nAxis] < 0))
        dPush *= move.m_dTurnFactor;
      else
        chara.ClearNoPush(nAxis);
      dInertia = std::clamp(dInertia + dPush, -dLimit, dLimit);
    }
  } else {
    chara.AddFrameMove(dVX, dVY);
  }
  if (!move.m_byNoAnimation) chara.StartMoveAnimation();
}

void SetMoveByDistance(cCommandRun& run, int32_t nStep) {
  const cEdMove& move = MoveOf(run);
  double dDistance = move.m_nRange + static_cast<double>(move.m_nRangeStep) * nStep;
  if (move.m_byUnit != 1) dDistance *= 16;
  if (move.m_byTiming == 1) {
    if (run.m_nDuration != 0) run.m_dSpeed = dDistance / run.m_nDuration;
  } else if (move.m_byTiming == 2) {
    if (run.m_dSpeed != 0)
      run.m_nDuration = static_cast<int32_t>(std::clamp<double>(std::trunc(dDistance / run.m_dSpeed), INT32_MIN, INT32_MAX));
  }
}

void ExecStraightMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  const cEdMove& move = MoveOf(run);
  chara.ClearScreenPinning();
  const BOOL bRight = chara.FacesRight();
  if (!run.m_bMoveStarted2) {
    run.m_bMoveStarted2 = 1;
    MOVEVELOCITY v;
    if (move.m_byTargetMode == 1) {
      v = VelocityTowardPoint(chara, run, move, run.m_dSpeed);
    } else {
      int nDir = ResolveMoveDirection(chara, run.m_nDirection);
      v = run.m_nAngle == 0 ? VelocityByDirection(chara, nDir, run.m_dSpeed)
                            : VelocityByAngle(chara, nDir, run.m_nAngle, run.m_dSpeed);
    }
    if (!chara.CanFly()) v.dY = 0;
    StoreVelocity(run, v);
  } else if (move.m_byTurnWithFacing && bRight != run.m_nPrevFacing) {
    run.m_dVelocityX = -run.m_dVelocityX;
    run.m_dVelocityY = -run.m_dVelocityY;
    // The request turns too, or it would face the chara back at once.
    if (run.m_nFacingRequest) run.m_nFacingRequest = 3 - run.m_nFacingRequest;
  }
  ApplyStored(chara, run, move, FALSE);
  run.m_nPrevFacing = chara.FacesRight();
}

void ExecGroundTurnMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  const cEdMove& move = MoveOf(run);
  chara.ClearScreenPinning();
  if (chara.CanFly()) return;
  const bool bRight = chara.FacesRight();
  double dVX = (bRight ? 1 : -1) * run.m_dSpeed, dVY = 0;
  int32_t nFacing = 0;
  if (!chara.HitWall()) {
    BOOL bLeftSolid = FALSE, bRightSolid = FALSE;
    chara.ProbeFeetCells(bLeftSolid, bRightSolid);
    if (bLeftSolid && !bRightSolid) nFacing = 1;
    if (bRightSolid && !bLeftSolid) nFacing = 2;
  } else {
    nFacing = bRight ? 1 : 2;
    dVX = -dVX;
    double dRidden = chara.RiddenMoveX();
    if ((dRidden < 0 && dVX > 0) || (dRidden > 0 && dVX < 0)) dRidden *= 2;
    dVX += dRidden;
    chara.ClearHitWall();
  }
  chara.FollowSlope(dVX, dVY);
  ApplyCommandVelocity(chara, dVX, dVY, nFacing, run, move, TRUE);
}

void ExecCircleMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  const cEdMove& move = MoveOf(run);
  chara.ClearScreenPinning();
  if (run.m_nRadius == 0) return;
  if (!run.m_bMoveStarted2) {
    run.m_bMoveStarted2 = 1;
    run.m_dPhaseX = run.m_dPhaseY = run.m_nStartAngle;
  }
  int nTurn = run.m_nDirection;
  if (nTurn == 2) nTurn = chara.FacesRight() ? 1 : 0;
  else if (nTurn == 3) nTurn = chara.FacesRight() ? 0 : 1;
  const double s = run.m_dSpeed, dDiv = SpeedDivisor();
  double dVX = 0, dVY = 0;
  if (!MoveKeepsX(move)) dVX -= WaveSpeed(run.m_nRadius, 1, run.m_dPhaseX, s * dDiv, 0, dDiv) * s;
  if (chara.CanFly() && !MoveKeepsY(move))
    dVY -= WaveSpeed(run.m_nRadius, 1, run.m_dPhaseY, s * dDiv, nTurn == 1 ? 90 : 270, dDiv) * s;
  run.m_dVelocityX = dVX;
  run.m_dVelocityY = dVY;
  ApplyCommandVelocity(chara, dVX, dVY, 0, run, move, FALSE);
}

void ExecChargeMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  const cEdMove& move = MoveOf(run);
  chara.ClearScreenPinning();
  cFlowChara* pTarget = chara.Target();
  if (!pTarget) return;
  const bool bFly = chara.CanFly();
  if (!run.m_bMoveStarted2) {
    run.m_bMoveStarted2 = 1;
    double dTX, dTY, dCX, dCY;
    pTarget->Centre(dTX, dTY);
    chara.Centre(dCX, dCY);
    MOVEVELOCITY v;
    if (bFly) {
      AimAt(dTX - dCX, dTY - dCY, run.m_dSpeed, v.dX, v.dY);
    } else if (!MoveKeepsX(move)) {
      double dDX = dTX + run.m_nTargetX - dCX;
      v.dX = dDX < 0 ? -run.m_dSpeed : (dDX > 0 ? run.m_dSpeed : 0);
    }
    if (run.m_nAngle != 0) {
      double dDeg = std::atan2(v.dY, v.dX) * 180.0 / kPi + 90 + run.m_nAngle;
      double dRad = dDeg * kPi / 180.0;
      v.dX = std::sin(dRad) * run.m_dSpeed;
      v.dY = -std::cos(dRad) * run.m_dSpeed;
    }
    if (!bFly) v.dY = 0;
    v.nFacing = FacingRequestOf(chara, v.dX);
    StoreVelocity(run, v);
  }
  ApplyStored(chara, run, move, FALSE);
}

void ExecHomingMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  const cEdMove& move = MoveOf(run);
  chara.ClearScreenPinning();
  cFlowChara* pTarget = chara.Target();
  if (!pTarget || pTarget->IsRemoved() || pTarget->Status(CharaStatus::Hp) < 1) return;
  const bool bFly = chara.CanFly();
  if (!bFly && MoveKeepsX(move)) return;
  double dTX, dTY;
  pTarget->Centre(dTX, dTY);
  if (run.m_nRadius > 0) {
    // A delayed follow: every step's position is remembered, and the chara
    // aims at the one from d steps ago (the oldest until d have passed).
    run.m_vTargetPoint.push_back(TARGETPOINT{static_cast<int32_t>(dTX), static_cast<int32_t>(dTY)});
    TARGETPOINT pt = run.m_vTargetPoint.front();
    if (static_cast<int32_t>(run.m_vTargetPoint.size()) > run.m_nRadius)
      run.m_vTargetPoint.erase(run.m_vTargetPoint.begin());
    dTX = pt.nX;
    dTY = pt.nY;
  }
  double dCX, dCY;
  chara.Centre(dCX, dCY);
  MOVEVELOCITY v;
  double dDX = dTX + run.m_nTargetX - dCX;
  if (bFly) {
    AimAt(dDX, dTY - dCY, run.m_dSpeed, v.dX, v.dY);
  } else {
    v.dX = dDX < 0 ? -run.m_dSpeed : (dDX > 0 ? run.m_dSpeed : 0);
  }
  v.nFacing = FacingRequestOf(chara, v.dX);
  StoreVelocity(run, v);
  ApplyStored(chara, run, move, FALSE);
  run.m_bMoveStarted += 1;
}

void ExecAvoidOffscreenMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  const cEdMove& move = MoveOf(run);
  chara.ClearScreenPinning();
  cFlowStage& stage = FlowStage();
  const int nDir = ResolveFacingDirection(chara, run.m_nDirection);
  const bool bLeft = nDir == 2 || nDir == 8 || nDir == 9, bRight = nDir == 3 || nDir == 10 || nDir == 11;
  const bool bUp = nDir == 6 || nDir == 8 || nDir == 10, bDown = nDir == 7 || nDir == 9 || nDir == 11;
  const RECT box = chara.ScreenBox();
  const double s = run.m_dSpeed;
  double adV[2] = {0, 0};
  // Per axis: the low and high box edges, the view's extent and the edge
  // threshold, and which way the chara comes back.
  const int32_t anLow[2] = {box.left, box.top}, anHigh[2] = {box.right, box.bottom};
  const int32_t anView[2] = {640, 480}, anEdge[2] = {608, 448};
  const bool abBack[2] = {bLeft, bUp}, abFore[2] = {bRight, bDown};
  for (int nAxis = 0; nAxis < 2; ++nAxis) {
    const double v = stage.ScrollSpeed(nAxis) * 0.1 / SpeedDivisor();
    const bool bScrolls = stage.AutoScroll(nAxis) && v != 0 && !stage.ScrollHeld();
    if (!bScrolls) {
      if (abBack[nAxis]) {
        if (anLow[nAxis] > anEdge[nAxis]) adV[nAxis] = -s;
      } else if (abFore[nAxis]) {
        if (anHigh[nAxis] < 32) adV[nAxis] = s;
      }
      continue;
    }
    const double p = stage.ScrollPos(nAxis), dMax = stage.StageSize(nAxis) - anView[nAxis];
    const double dMargin = std::fabs(v + 1);
    if (abBack[nAxis]) {
      if (anLow[nAxis] > anEdge[nAxis] - dMargin && p > 0 && v + p <= dMax) adV[nAxis] = v - s;
    } else if (abFore[nAxis]) {
      if (anHigh[nAxis] < dMargin + 32 && v + p > 0 && p < dMax) adV[nAxis] = v + s;
    }
  }
  if (!chara.CanFly()) adV[1] = 0;
  run.m_dVelocityX = adV[0];
  run.m_dVelocityY = adV[1];
  ApplyCommandVelocity(chara, adV[0], adV[1], 0, run, move, FALSE);
  run.m_bMoveStarted += 1;
}

void ExecDisableMove(cFlowChara& chara, cCommandRun&, const FLOWPARAMS&) { chara.DisableMove(); }

void ExecChangeDirection(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& p) {
  if (!chara.FacingFixed()) return;
  if (run.m_bMoveStarted == 0) {
    PlayCommandSound(chara, run.m_lpCommand);
    int nFace = -1;  // 0 left, 1 right
    cFlowChara* pTarget = chara.Target();
    switch (p[0]) {
      case 0: nFace = 0; break;
      case 1: nFace = 1; break;
      case 2:
      case 3:
        if (pTarget) {
          double dTX, dTY, dCX, dCY;
          pTarget->Centre(dTX, dTY);
          chara.Centre(dCX, dCY);
          nFace = dTX < dCX ? 0 : 1;
          if (p[0] == 3) nFace = 1 - nFace;
        }
        break;
      case 4:
      case 5: {
        int32_t nSide = chara.LastBlockHitSide();
        if (nSide == 0 || nSide == 1) nFace = p[0] == 4 ? nSide : 1 - nSide;
        break;
      }
      default: break;
    }
    if (nFace >= 0) chara.SetFacing(nFace == 1);
  }
  CountCommandTick(run);
}

void ExecJump(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  chara.ClearScreenPinning();
  chara.StartJump(run);
  run.m_bMoveStarted += 1;
}
