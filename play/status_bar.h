// The status bar along the top of the stage view: up to five items of the
// project (two counters, HP and SP gauges, a counter that can be unlimited).
#pragma once

#include <cstdint>

struct DDSURFACEDATA;

// The values the bar shows; the stage scene fills them each frame.
struct STATUSBARVALUES {
  int32_t nCounter0 = 0;  // item 0: the score
  int32_t nCounter1 = 0;  // item 1: the stage's own count
  int32_t nHp = 0, nMaxHp = 0;
  int32_t nSp = 0, nMaxSp = 0;
  int32_t nCounter4 = 0;  // item 4: the lives; 999999 unlimited
};

constexpr int STATUS_ITEM_COUNT = 5;
constexpr int32_t STATUS_UNLIMITED = 999999;

// The x of each shown item (-1 for an item not shown); the number shown.
int StatusBarPositions(int anX[STATUS_ITEM_COUNT]);
// The gauge fill width for v against nMax, 0 to 50.
int StatusGaugeWidth(int32_t v, int32_t nMax);
// Draws the bar when bShow (the stage's status-bar switch) is on.
void DrawStatusBar(DDSURFACEDATA* lpDst, const STATUSBARVALUES& values, bool bShow);
