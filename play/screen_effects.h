// Screen effects of stage play: the whole stage picture moved, shaken,
// interlaced, waved, blinked away, rotated, closed to a circle, zoomed, put
// under a lens or broken into a mosaic, one frame at a time.
#pragma once

#include "platform/win_types.h"
#include "records/database_run_tables.h"

struct DDSURFACEDATA;
class cGameObj;

// The running screen effect of the stage scene.
struct SCREENEFFECT {
  EFFECTRUN run;     // number (0 none), record and stepping
  double s = 0.0;    // shake offset
  int f = 0;         // shake direction: 0 forward, 1 back
  int a = 0, b = 0;  // move offsets; wave phase; blink counter and toggle
};

constexpr int SCREENEFFECT_KINDS = 14;

// The transforms the effects draw with: the work surface drawn back into the
// buffer by the graphics layer's effect blits. Tests put a recorder in their
// place to see the parameters each frame hands over.
struct SCREENEFFECTBLITS {
  void (*pfnInterlace)(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int nStrip, int nShift, BOOL bColumns);
  void (*pfnWave)(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int nScale, int nAmplitude, int nPhase, int nStrip,
                  BOOL bColumns);
  void (*pfnRotate)(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int cx, int cy, int nDegrees);
  void (*pfnCircle)(DDSURFACEDATA* lpDst, int cx, int cy, int w, int h, int r, int nStrip, DDSURFACEDATA* lpSrc,
                    int sx, int sy);
  void (*pfnLens)(DDSURFACEDATA* lpDst, int cx, int cy, int r, int nStrength, DDSURFACEDATA* lpSrc, int sx, int sy);
  void (*pfnMosaic)(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int nBlock);
};
// Written at start-up before the game thread runs; read by the drawing
// threads.
extern SCREENEFFECTBLITS g_ScreenEffectBlits;

// Stage set-up's clearing.
void ClearScreenEffect(SCREENEFFECT& e);
// One frame of the running effect over lpBack; player 0 gives the centre of
// the circle, zoom and lens (the screen centre without one). An effect that
// finishes becomes number 0.
void RunScreenEffect(SCREENEFFECT& e, DDSURFACEDATA* lpBack, BOOL bPaused, const cGameObj* lpPlayer0);
