// The arithmetic the move and warp commands share: direction codes resolved
// against the chara, velocities by direction, by angle and toward a point,
// the command velocity pushed into the chara, the circle's wave step and the
// distance setter of the move preparers.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

class cFlowChara;
class cCommandRun;
class cEdMove;

// 1 / √2, for the diagonals.
extern const double g_dDiagonal;

// Directions of the live objects.
namespace MoveDir {
enum Value : int32_t { Left = 2, Right = 3, Up = 6, Down = 7, UpLeft = 8, DownLeft = 9, UpRight = 10, DownRight = 11 };
}

// Facing requests: 0 none, 1 face left, 2 face right.
struct MOVEVELOCITY {
  double dX = 0, dY = 0;
  int32_t nFacing = 0;
};

// Code 0 front, 1 back, 4 and 5 down/up by facing, 12 the direction of the
// key that started the running flow (a walker's diagonals become left or
// right); other codes are directions already.
int ResolveMoveDirection(cFlowChara& chara, int nCode);
// Codes 0, 1, 4 and 5 only (no key direction).
int ResolveFacingDirection(cFlowChara& chara, int nCode);
MOVEVELOCITY VelocityByDirection(cFlowChara& chara, int nDir, double dSpeed);
// The direction's base angle plus the offset, in degrees.
MOVEVELOCITY VelocityByAngle(cFlowChara& chara, int nDir, int32_t nAngle, double dSpeed);
// Toward the run's target offsets by the move's coordinate kind; on the move
// that takes its time from the distance, the frames left are set too.
MOVEVELOCITY VelocityTowardPoint(cFlowChara& chara, cCommandRun& run, const cEdMove& move, double dSpeed);
// amplitude × cos((phase ÷ D + offset) × period × π/180) × period × π/180 ÷ D;
// the phase then advances by the step and wraps at D × 360.
double WaveSpeed(double dAmplitude, double dPeriod, double& dPhase, double dStep, double dOffset, double dSpeedDiv);
void ApplyCommandVelocity(cFlowChara& chara, double dVX, double dVY, int32_t nFacing, cCommandRun& run,
                          const cEdMove& move, BOOL bForce);
// The move's distance (pixels for unit 1, else half cells) into the run's
// speed (timing 1) or duration (timing 2); a zero divisor leaves the value.
void SetMoveByDistance(cCommandRun& run, int32_t nStep);

// The run's move record, or a default one when the command has none.
const cEdMove& MoveOf(const cCommandRun& run);
// The axes a move keeps still: "y only" keeps x, "x only" (which wins) keeps y.
bool MoveKeepsX(const cEdMove& move);
bool MoveKeepsY(const cEdMove& move);
