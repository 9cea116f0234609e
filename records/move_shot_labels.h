// The vocabulary of the move and shot parameters of commands: the names of
// trajectories, launch patterns and the other choices of cEdMove and cEdShot,
// and the descriptors (label, range, default) of the parameters that a
// launch pattern or a trajectory takes.
#pragma once

#include <cstdint>

#include "records/command_catalogue.h"

extern const cLabelTable g_LabelTrajectory;         // cEdShot field 26, 10 values
extern const cLabelTable g_LabelLaunchPattern;      // cEdShot field 2
extern const cLabelTable g_LabelBlockSummon;
extern const cLabelTable g_LabelSummonPalette;
extern const cLabelTable g_LabelSummonValue;        // how a summoned thing's value is chosen
extern const cLabelTable g_LabelMoveTarget;         // "方向で指定", "目標座標で指定"
extern const cLabelTable g_LabelMoveTarget3;        // the three-way form
extern const cLabelTable g_LabelDirection;          // 13 direction codes
extern const cLabelTable g_LabelCoordinates;        // from the placement, relative, absolute, screen
extern const cLabelTable g_LabelCoordinates3;       // relative, absolute, screen
extern const cLabelTable g_LabelTurning;
extern const cLabelTable g_LabelFacing;
extern const cLabelTable g_LabelTiming;             // the three-way form
extern const cLabelTable g_LabelTiming2;            // time or speed
extern const cLabelTable g_LabelJumpHeight;
extern const cLabelTable g_LabelDistanceUnit;

// One parameter of a launch pattern or trajectory; an empty label means no
// parameter.
struct PARAMDESC {
  const char* pszLabel;
  int32_t nMin, nMax, nDefault;
};
constexpr int LAUNCH_PATTERN_DESC_COUNT = 6;
constexpr int TRAJECTORY_COUNT = 10;
extern const PARAMDESC g_LaunchPatternParams[LAUNCH_PATTERN_DESC_COUNT][3];
extern const PARAMDESC g_TrajectoryParams[TRAJECTORY_COUNT][3];
