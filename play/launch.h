// Launch patterns: the direction, start points and speeds of the objects a
// Shot or summon command makes, laid out by one of six patterns, and the
// Shot command's waves.
#pragma once

#include <cstdint>

#include "play/shot.h"
#include "records/move_shot.h"

// One wave's launch values, handed to the pattern and from it to each
// object made.
struct LAUNCHCONTEXT {
  double dSpeed = 0;
  int32_t nAngle = 0;  // angle offset, degrees
  int32_t nValue1 = 0, nValue2 = 0;  // the two further launch values
  double dVelX = 0, dVelY = 0;
  int32_t nX = 0, nY = 0;          // current start point
  int32_t nBaseX = 0, nBaseY = 0;
  int32_t nStepX = 0, nStepY = 0;
  int32_t nStep2X = 0, nStep2Y = 0;
  int32_t nWidth = 0, nHeight = 0;
  int32_t nOffsetX = 0, nOffsetY = 0;
  int32_t nDirCode = 2;
  int nWave = 0;
};

// A box in stage pixels, edges inclusive.
struct LAUNCHBOX {
  double dLeft = 0, dTop = 0, dRight = 0, dBottom = 0;
  double CentreX() const { return (dLeft + dRight + 1) / 2; }
  double CentreY() const { return (dTop + dBottom + 1) / 2; }
};

// Everything a launch reads of the world: the shooter, its target, the
// view, and where each made object goes.
struct LAUNCH {
  SHOTOWNER owner;
  LAUNCHBOX box;              // the owner's box
  const LAUNCHBOX* lpTarget = nullptr;  // the owner's target, null for none
  int nFlowDirection = 0;     // the running flow's direction value
  double dScrollX = 0, dScrollY = 0;
  // The view's speed per sub-step on each axis (0 on an axis that stands or
  // is held at a limit), and whether the target moves with the view.
  double dScrollSpeedX = 0, dScrollSpeedY = 0;
  int bTargetFollowsScroll = 0;
  // Makes one object at the context's start point; the Shot command's
  // spawner appends a cShot to a shot list.
  void (*pfnSpawn)(LAUNCH& launch, const LAUNCHCONTEXT& ctx) = nullptr;
  void* lpUser = nullptr;     // the spawner's own data
  // The owner's list of linked shots: a shot of type 3 or 6 is registered
  // by its serial; any other shot clears the list (serial -1). Null for an
  // owner without one.
  void (*pfnLinkShot)(LAUNCH& launch, int32_t nSerial) = nullptr;
  const cEdShot* lpParams = nullptr;
};

typedef void (*LAUNCHFUNC)(LAUNCH& launch, LAUNCHCONTEXT& ctx);
constexpr int LAUNCH_PATTERN_COUNT = 6;
extern const LAUNCHFUNC g_LaunchFunc[LAUNCH_PATTERN_COUNT];

// The Shot command: waves of the record's pattern. A pattern number
// outside the table launches nothing.
void FireShot(LAUNCH& launch, const cEdShot& params);
// The summon commands' layout: the objects of nSize × nSize pixels (the
// chara definition's scale × 32, or the record's size × 16) laid out by the
// record's pattern in one wave at speed 1 and angle 0. The spawner makes
// the chara, item or block.
void SummonLaunch(LAUNCH& launch, const cEdShot& params, int nSize);
// The Shot command's spawner: a cShot appended to the SHOTLIST in
// lpUser, numbered by the counter in *lpSerial.
struct SHOTSPAWN {
  SHOTLIST* lpList = nullptr;
  int32_t* lpSerial = nullptr;
};
void SpawnShot(LAUNCH& launch, const LAUNCHCONTEXT& ctx);

// The angle (degrees) that sends an object at (x, y) toward (tx, ty) with
// the velocity rule (−cos a × s, −sin a × s).
double AimAngle(double x, double y, double tx, double ty);
// The aim of an object at (x, y) (its top-left) toward the target's centre:
// the angle and the launch speed. Against a view that moves, a shot that
// does not follow it aims ahead of a target that does, so that the two
// meet; its speed is 0 when the view outruns it.
struct LAUNCHAIM {
  double dAngle = 0;
  double dSpeed = 0;
};
LAUNCHAIM AimAtTarget(const LAUNCH& launch, const LAUNCHCONTEXT& ctx, double x, double y);
