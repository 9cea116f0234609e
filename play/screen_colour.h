// The screen colour of stage play: a tint of the whole picture towards a
// colour, its fade back, and a blinking tint; on the texture path over the
// back buffer, on the palette path at 8 bits through the palette.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

struct DDSURFACEDATA;

struct SCREENCOLOUR {
  BOOL bHeld = 0;
  BYTE r = 0, g = 0, b = 0;
  int nStrength = 0;  // p3, percent
  int nMode = 0;      // p4: 0 tint, else fade back
  int nDuration = 0;  // D, frames
  int nBlink = 0;     // p6
  int nRepeat = 0;    // p7
  BOOL bActive = 0;
  int nCounter = 0;
  int nRepeated = 0;
  int nLevel = 255;  // 255 the picture as it is, lower more of the colour
  BYTE prevR = 0, prevG = 0, prevB = 0;
  int nPrevStrength = 0;
  int nPrevLevel = 255;
};

// Stage set-up's clearing: nothing held or active, the kept level 255.
void ClearScreenColor(SCREENCOLOUR& sc);
// The colour command's eight parameters.
void SetScreenColor(SCREENCOLOUR& sc, const int32_t q[8]);
// The level of this frame (without advancing).
int ScreenColorLevel(const SCREENCOLOUR& sc);
// Draws this frame's tint over lpBack and advances it unless bPaused.
void StepScreenColor(SCREENCOLOUR& sc, DDSURFACEDATA* lpBack, BOOL bPaused);
