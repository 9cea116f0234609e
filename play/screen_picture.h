// Pictures that a flow command shows on the stage: their parameters, and
// their drawing for a frame (timed, fixed to the screen or scrolling with
// the stage, keyed or blended).
#pragma once

#include <cstdint>

#include "platform/win_types.h"

struct DDSURFACEDATA;

constexpr int PICTUREMODE_TIMED = 2;

struct SCREENPICTURE {
  int nNumber = 0;
  int nLayer = 0;
  double dX = 0.0, dY = 0.0;  // stage pixels
  int nWidth = 0, nHeight = 0;
  uint32_t bBlend = 0;             // drawn blended (alpha not 100)
  DWORD adwBlend[2] = {0, 0};      // the blend pair of the blended draw
  uint32_t nMode = 0;              // 2: shown for a time
  int32_t nTime = 0;               // frames left in mode 2
  uint32_t bCountWhilePaused = 0;
  uint32_t bFixed = 0;             // fixed to the screen
  uint32_t bOffsetTaken = 0;
  int32_t nOffsetX = 0, nOffsetY = 0;
};

void SetPictureParams(SCREENPICTURE& pic, int nNumber, double x, double y, int nWidth, int nHeight, uint32_t nMode,
                      int32_t nTime, int nAlpha, const DWORD adwBlend[2], uint32_t bFixed, uint32_t bCountWhilePaused,
                      int nLayer);
// Draws the picture for this frame at its place in the view (scroll dScrollX,
// dScrollY); 1 when its display time is over (nothing is drawn then).
int DrawScreenPicture(SCREENPICTURE& pic, DDSURFACEDATA* lpDst, DDSURFACEDATA* lpPicture, BOOL bPaused,
                      double dScrollX, double dScrollY);
