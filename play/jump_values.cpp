#include "play/jump_values.h"

#include <cmath>

#include "play/play_math.h"

double JumpSpeedForPixels(double px, int nType) {
  const double G = g_Stage.m_dGravity;
  double v = (-G - std::sqrt((8.0 * px + G) * G)) * 0.5;
  if (nType == 0) v *= 0.99 - g_Stage.m_dGravityBase * 0.025;
  return v;
}

double JumpSpeedForHalfCells(int h, int nType) { return JumpSpeedForPixels(h * 16.0, nType); }

int JumpFramesFromSpeed(double v) {
  const double G = g_Stage.m_dGravity;
  // A stage without gravity never turns a jump; its length counts as none.
  if (!(G > 0.0)) return 0;
  return TruncToInt(SpeedDivisor() - v / G);
}

int JumpDurationForHeight(int h, int nType) {
  return JumpFramesFromSpeed(JumpSpeedForHalfCells(h, nType)) / SpeedDivisorInt() / 3 + 1;
}
