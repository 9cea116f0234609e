// Where the view of the stage starts for drawing: the first visible block
// cell with its fine offset, the source offset of a background layer, the
// background's own automatic scroll, and the time counter's warning beat.
#pragma once

#include <cmath>

#include "play/play_math.h"

// The first visible cell of an axis and the screen position it is drawn at
// (0 or up to 31 pixels before the screen's edge).
inline void ViewCellOrigin(double dScroll, int& nCell, int& nScreenPos) {
  const int s = TruncToInt(std::floor(dScroll));
  nCell = s >> 5;
  nScreenPos = -(s & 31);
}

// The offset into a background picture on one axis: its own automatic
// offset when it scrolls by itself, else the view's scroll times the
// parallax rate (the stage's margin of 320 pixels counts as 0).
inline int BackgroundSourceOffset(bool bAuto, double dAutoOffset, double dScroll, double dRate) {
  if (bAuto) return TruncToInt(std::floor(dAutoOffset + dScroll - 320.0));
  const int nView = TruncToInt(std::floor(dScroll + 0.5)) - 320;
  return TruncToInt(std::floor(nView * dRate));
}

// One play frame of a background's automatic scroll: the offset runs down
// by the rate and wraps once at the picture's size.
inline void StepAutoScrollOffset(double& dOffset, double dRate, int nSize) {
  dOffset -= dRate;
  if (dOffset < 0.0) dOffset += nSize;
  else if (dOffset >= nSize) dOffset -= nSize;
}

// The time counter warns (system sound 13) at the start of every second
// while it runs and stands between 1 and the warning time.
inline bool TimeWarningDue(int nTime, int nWarningTime, bool bFrozen, bool bSecondStarts) {
  return !bFrozen && nTime >= 1 && nTime <= nWarningTime && bSecondStarts;
}
