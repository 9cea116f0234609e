// The per-chara preparation of move and jump commands (angles mirrored for
// the chara's facing, target offsets, circle radii and sweeps, jump speeds
// and durations), and the direction codes of movement, shot and summon
// commands with their angles.
#pragma once

#include <cstdint>

#include "records/flow_records.h"
#include "records/move_shot.h"

// The move values of one command's run state that the preparers fill and
// the move executors read every frame.
struct MOVERUN {
  int nAngle = 0;
  int nTargetX = 0;  // pixels
  int nTargetY = 0;
  int nRange = 0;        // circle radius × 16 × n, or the homing value × n
  int nStartAngle = 0;   // × n
  int nEndAngle = 0;     // × n
  uint8_t byTurning = 0;  // starts as the move record's direction byte
  double dSpeed = 0.0;    // per frame
  int nDuration = 0;      // frames
  int nFramesLeft = 0;
  int nStarted = 0;
};

// The preparer of a command kind, or null when the kind has none.
typedef void (*MOVEPREPARER)(MOVERUN& run, cEdCommand& command, int nCharaType, uint16_t w, bool bFacingRight);
MOVEPREPARER MovePreparerOf(int nKind);
// Runs the kind's preparer, if any. A command without a move record (other
// than a jump) is left unprepared.
void PrepareMoveCommand(MOVERUN& run, cEdCommand& command, int nCharaType, uint16_t w, bool bFacingRight);

// The distance of a move (field 27 + field 28 × w, pixels or half cells)
// turned into the run's speed (mode 1) or duration (mode 2).
void SetMoveByDistance(MOVERUN& run, const cEdMove& move, uint16_t w);

// Direction codes: 2 left, 3 right, 6 up, 7 down, 8 up-left, 9 down-left,
// 10 up-right, 11 down-right.
// The direction mode of a shot or summon: 0 forward, 1 backward, 4 down when
// facing right (up otherwise), 5 the reverse, 12 the running flow's
// direction value (0 forward, 1 to 8 the eight directions of
// DirectionFromCode, any other value no direction, 0), any other mode the
// code itself.
int DirectionFromMode(int nMode, bool bFacingRight, int nFlowDirection);
// Degrees of a direction code; -1 for a value that is no direction.
int AngleOfDirection(int nCode);
// A velocity at angle a (degrees) and speed s: (−cos a × s, −sin a × s).
void VelocityAtAngle(double dAngle, double dSpeed, double& dOutX, double& dOutY);
