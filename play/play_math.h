// Small numeric helpers of stage play: truncation of positions that may lie
// far outside an int, the degree constant, and the stage's speed divisor.
#pragma once

#include <cmath>
#include <cstdint>

#include "records/stage.h"

constexpr double kDegToRad = 0.017453292519943295;

// (int)v as the positions use it, saturated instead of undefined for a
// value outside an int (or NaN, which gives 0).
inline int TruncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

// The stage's n as a divisor: never below 1, whatever the stage record holds.
inline double SpeedDivisor() { return g_Stage.m_nSpeedDiv >= 1 ? g_Stage.m_dSpeedDiv : 1.0; }
inline int SpeedDivisorInt() { return g_Stage.m_nSpeedDiv >= 1 ? static_cast<int>(g_Stage.m_nSpeedDiv) : 1; }
