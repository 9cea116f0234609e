#include "play/move_preparers.h"

#include <cmath>
#include <cstdlib>

#include "play/jump_values.h"
#include "play/play_math.h"
#include "records/command_catalogue.h"
#include "records/flow_enums.h"

namespace {

// Field 3 + field 4 × w, mirrored for a chara facing right when field 5 is
// set, brought below 360 (a negative angle stays).
int PreparedAngle(const cEdMove& m, uint16_t w, bool bFacingRight) {
  int64_t a = m.m_nAngle + static_cast<int64_t>(m.m_nAngleStep) * w;
  if (m.m_byMirrorAngle && bFacingRight) a = 360 - a;
  if (a >= 360) a %= 360;
  return static_cast<int>(a);
}

void PrepareTarget(MOVERUN& run, const cEdMove& m, bool bFacingRight) {
  run.nTargetX = m.m_nCellX * 32 + m.m_nDotX;
  run.nTargetY = m.m_nCellY * 32 + m.m_nDotY;
  if (bFacingRight && m.m_byMirrorX) run.nTargetX = -run.nTargetX;
  if (bFacingRight && m.m_byMirrorY) run.nTargetY = -run.nTargetY;
}

void ByDistance(MOVERUN& run, const cEdMove& m, uint16_t w) {
  if (m.m_byTiming != 0) SetMoveByDistance(run, m, w);
}

void PrepareStraightMove(MOVERUN& run, cEdCommand& c, int, uint16_t w, bool bRight) {
  const cEdMove& m = *c.m_pMove;
  run.nAngle = PreparedAngle(m, w, bRight);
  if (m.m_byTargetMode == 1) PrepareTarget(run, m, bRight);
  ByDistance(run, m, w);
}

void PrepareMoveBySetter(MOVERUN& run, cEdCommand& c, int, uint16_t w, bool) { ByDistance(run, *c.m_pMove, w); }

void PrepareChargeMove(MOVERUN& run, cEdCommand& c, int, uint16_t w, bool bRight) {
  const cEdMove& m = *c.m_pMove;
  run.nAngle = PreparedAngle(m, w, bRight);
  PrepareTarget(run, m, bRight);
  ByDistance(run, m, w);
}

void PrepareHomingMove(MOVERUN& run, cEdCommand& c, int, uint16_t w, bool bRight) {
  const cEdMove& m = *c.m_pMove;
  PrepareTarget(run, m, bRight);
  run.nRange = static_cast<int>((m.m_nRange + static_cast<int64_t>(m.m_nRangeStep) * w) * SpeedDivisorInt());
  ByDistance(run, m, w);
}

void PrepareCircleMove(MOVERUN& run, cEdCommand& c, int, uint16_t w, bool bRight) {
  const cEdMove& m = *c.m_pMove;
  const int n = SpeedDivisorInt();
  int a = 0;
  if (bRight && m.m_byMirrorX) {
    a = 180;
    run.byTurning = run.byTurning ? 0 : 1;
  }
  if (bRight && m.m_byMirrorY) run.byTurning = run.byTurning ? 0 : 1;
  int64_t r = m.m_nRange + static_cast<int64_t>(m.m_nRangeStep) * w;
  if (r < 0) r = 0;
  if (r > 20) r = 20;
  run.nRange = static_cast<int>(r * 16 * n);
  const int64_t nStart = (a + m.m_nAngle + static_cast<int64_t>(m.m_nAngleStep) * w) * n;
  const int64_t nEnd = (a + m.m_nEndAngle + static_cast<int64_t>(m.m_nEndAngleStep) * w) * n;
  run.nStartAngle = static_cast<int>(nStart);
  run.nEndAngle = static_cast<int>(nEnd);
  const double dSweep = static_cast<double>(m.m_nEndAngle <= m.m_nAngle ? nStart - nEnd : nEnd - nStart);
  // A duration or speed of 0 from the data leaves the other value as it
  // was instead of dividing by zero.
  if (m.m_byTiming == 0) {
    if (run.nDuration != 0) run.dSpeed = dSweep / run.nDuration / SpeedDivisor();
  } else if (m.m_byTiming == 1) {
    if (run.dSpeed != 0.0) run.nDuration = std::abs(TruncToInt(dSweep / run.dSpeed / SpeedDivisor()));
  }
}

void PrepareJump(MOVERUN& run, cEdCommand& c, int nType, uint16_t, bool) {
  const int h = c.m_vParam.size() > 2 ? (c.m_vParam[2] & 0xFF) : 0;
  run.dSpeed = JumpSpeedForHalfCells(h, nType);
  c.m_nTimeBase = static_cast<int16_t>(JumpDurationForHeight(h, nType));
  run.nDuration = c.m_nTimeBase * SpeedDivisorInt() * 6;
}

}  // namespace

MOVEPREPARER MovePreparerOf(int nKind) {
  switch (nKind) {
    case FlowCommandKind::StraightMove: return PrepareStraightMove;
    case FlowCommandKind::GroundTurnMove: return PrepareMoveBySetter;
    case FlowCommandKind::CircleMove: return PrepareCircleMove;
    case FlowCommandKind::ChargeMove: return PrepareChargeMove;
    case FlowCommandKind::HomingMove: return PrepareHomingMove;
    case FlowCommandKind::AvoidOffscreenMove: return PrepareMoveBySetter;
    case FlowCommandKind::Jump: return PrepareJump;
    default: return nullptr;
  }
}

void PrepareMoveCommand(MOVERUN& run, cEdCommand& command, int nCharaType, uint16_t w, bool bFacingRight) {
  MOVEPREPARER pfn = MovePreparerOf(command.m_byKind);
  if (!pfn) return;
  if (command.m_byKind != FlowCommandKind::Jump && !command.m_pMove) return;
  pfn(run, command, nCharaType, w, bFacingRight);
}

void SetMoveByDistance(MOVERUN& run, const cEdMove& m, uint16_t w) {
  double d = m.m_nRange + static_cast<double>(m.m_nRangeStep) * w;
  if (m.m_byUnit != 1) d *= 16.0;
  if (m.m_byTiming == 1) {
    if (run.nDuration != 0) run.dSpeed = d / run.nDuration;
  } else if (m.m_byTiming == 2) {
    if (run.dSpeed != 0.0) run.nDuration = TruncToInt(d / run.dSpeed);
  }
}

int DirectionFromMode(int nMode, bool bFacingRight, int nFlowDirection) {
  switch (nMode) {
    case 0: return bFacingRight ? 3 : 2;
    case 1: return bFacingRight ? 2 : 3;
    case 4: return bFacingRight ? 7 : 6;
    case 5: return bFacingRight ? 6 : 7;
    case 12: return nFlowDirection >= 0 && nFlowDirection <= 8 ? DirectionFromCode(nFlowDirection, bFacingRight) : 0;
    default: return nMode;
  }
}

int AngleOfDirection(int nCode) {
  switch (nCode) {
    case 2: return 0;
    case 3: return 180;
    case 6: return 90;
    case 7: return 270;
    case 8: return 45;
    case 9: return 315;
    case 10: return 135;
    case 11: return 225;
    default: return -1;
  }
}

void VelocityAtAngle(double dAngle, double dSpeed, double& dOutX, double& dOutY) {
  const double r = dAngle * kDegToRad;
  dOutX = -std::cos(r) * dSpeed;
  dOutY = -std::sin(r) * dSpeed;
}
