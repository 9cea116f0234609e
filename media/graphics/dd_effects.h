// Frame, number, strip and per-pixel effect blits built on DDBltFast, the
// palette blends and rotations, and the screen fades of both paths. Every
// routine runs on the thread that draws (the game thread or the pause
// thread); coordinates are pixels; dwFlags 0 is opaque, 1 transparent.
#pragma once

#include "media/graphics/dd.h"

// A frame of nThick pixels inside (x, y, w, h), as four fills in one batch.
void DDDrawFrame(DDSURFACEDATA* lpSD, int x, int y, int w, int h, int nThick, DWORD dwPalNum);
// An opaque blit of the source's top-left w x h with a frame around it.
void DDBltFramed(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int nThick,
                 DWORD dwPalNum);
// nValue in decimal from a strip of the digit cells 0 to 9 at (sx, sy);
// fewer digits than nMinDigits are right-aligned in that many cells, or
// centred when bCentre is set. A negative value shows as 0.
void DDBltNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nCellW, int nCellH, DDSURFACEDATA* lpDigitSD, int sx,
                 int sy, DWORD dwFlags, int nValue, int nMinDigits, BOOL bCentre);
// The picture in strips of nStrip pixels (columns when bColumns is set,
// else rows) displaced along a sine wave.
void DDBltWave(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nDegScale, double dAmplitude, int nPhase,
               int nStrip, DDSURFACEDATA* lpSrcSD, int sx, int sy, DWORD dwFlags, BOOL bColumns);
// The picture in strips of nStrip pixels, odd and even strips pushed nShift
// pixels apart. nStrip 0 is one plain blit; a negative strip draws nothing.
void DDBltInterlace(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nStrip, int nShift,
                    DDSURFACEDATA* lpSrcSD, int sx, int sy, DWORD dwFlags, BOOL bVertical);
// A squeeze from picture A to picture B and back, by nPhase.
void DDBltStripTransition(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcA, int sxA,
                          int syA, DDSURFACEDATA* lpSrcB, int sxB, int syB, int sw, int sh, DWORD dwFlags, int nPhase,
                          BOOL bVertical);
// The four quarters of the picture pushed nGap pixels apart.
void DDBltQuarters(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                   int nGap, DWORD dwFlags);
// Box blur of the source rectangle (16 and 32 bits; radii of at least 1).
void DDBltBlur(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nRadiusX, int nRadiusY, DDSURFACEDATA* lpSrcSD,
               int sx, int sy, BOOL bKey);
// The source rectangle in cells of nCell x nCell of one colour.
void DDBltMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nCell, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                 BOOL bKey);

// Palettes of 256 entries of red, green, blue, flags.
void DDBlendPalette(BYTE* lpDstPal, int nFirst, int nLast, int nRatio, BYTE r, BYTE g, BYTE b,
                    const BYTE* lpSrcPal);
void DDRotatePalette(BYTE* lpDstPal, int nFirst, int nLast, int nShift, int nDir, const BYTE* lpSrcPal);

// One step of the screen fade to (r, g, b) (Out) or back from it (In); TRUE
// on the step that draws the end state, the 90 / dStep + 1st. Each keeps
// its angle per path between calls; bFinish jumps to the end. A step that
// is not positive ends the fade at once.
BOOL DDFadeOut(BYTE* lpWorkPal, int nFirst, int nLast, BYTE r, BYTE g, BYTE b, double dStep, const BYTE* lpSrcPal,
               BOOL bFinish);
BOOL DDFadeIn(BYTE* lpWorkPal, int nFirst, int nLast, BYTE r, BYTE g, BYTE b, double dStep, const BYTE* lpSrcPal,
              BOOL bFinish);
// Puts both routines' angles back to their start values (device set-up and
// tests).
void DDResetFadesForTests();
