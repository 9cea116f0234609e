// Effect blits that work on single pixels (tint, half blend, circle, lens,
// rotation, the Direct3D colour change), the whole-surface palette read and
// fade of the 16- and 32-bit modes, and the 8-bit colour table. Every
// routine runs on the thread that draws and clips per pixel to both
// surfaces.
#pragma once

#include "media/graphics/dd.h"

// The 8-bit colour table: entry a * 256 + b is the palette number of the
// half-and-half mix of colours a and b. Written by DDLoadColorTable (start-up
// on the game thread before any frame, and the option screen on the game
// thread); read by the drawing routines on the thread that draws, which is
// the game thread or the pause thread while the game thread waits.
extern BYTE g_ColorTable[256 * 256];

// The source rectangle copied mixed nCount times toward palette colour
// nColor of lpPal. dwFlags 1 skips transparent source pixels.
void DDBltTint(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               DWORD dwFlags, const BYTE* lpPal, const BYTE* lpTable, int nColor, int nCount);
// The source rectangle mixed half into the destination.
void DDBltBlend(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                DWORD dwFlags, const BYTE* lpTable, int nAlpha);
void DDBlendRectAlpha(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                      DWORD dwFlags, const BYTE* lpTable);
// The part of the source inside a circle of nRadius about (sx, sy), drawn
// about (x, y) in bands of nStrip rows.
void DDBltCircle(DDSURFACEDATA* lpDstSD, int x, int y, int nHalfWidth, int nHalfHeight, int nRadius, int nStrip,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, DWORD dwFlags);
// A magnifying lens of radius nRadius and depth nDepth about (cx, cy).
void DDBltLens(DDSURFACEDATA* lpDstSD, int cx, int cy, int nRadius, int nDepth, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               DWORD dwFlags, BOOL bClear);
// The w x h source rectangle rotated by nAngle degrees about its point
// (cx, cy), which lands on (x, y).
void DDBltRotate(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int cx, int cy, int nAngle,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, DWORD dwFlags);
// Direct3D only: the whole destination drawn over with the source
// modulated by (r, g, b) at alpha 255 - nAlpha.
void DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int nAlpha, BYTE r,
                   BYTE g, BYTE b);
void DDChangeColorRect(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nAlpha, BYTE r, BYTE g, BYTE b);
// The 256 palette entries from the 16 x 16 pixels at (0, 8) of a surface.
void DDSetPalette_UnPal(BYTE* lpPal, DDSURFACEDATA* lpSD);
// DirectDraw only: every pixel of lpSD becomes lpSrcSD's pixel mixed with
// (r, g, b), nRatio 256 the source and 0 the colour.
void DDFade_UnPal(DDSURFACEDATA* lpSD, int nRatio, BYTE r, BYTE g, BYTE b, DDSURFACEDATA* lpSrcSD);
// Reads the 65,536-byte colour table (DirectDraw; Direct3D needs none and
// gives 1). 0 when the file cannot be opened or is shorter.
BOOL DDLoadColorTable(BYTE* lpTable, const char* szFile);
