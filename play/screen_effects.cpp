#include "play/screen_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "media/graphics/dd.h"
#include "media/graphics/dd_effects.h"
#include "media/graphics/dd_pixel_effects.h"
#include "play/background_drawing.h"
#include "play/effect_runs.h"
#include "play/game_object.h"
#include "play/picture_cell.h"
#include "play/play_math.h"
#include "play/stage_graphics.h"

namespace {

constexpr DWORD COLOUR_EMPTY = 16;

// The transforms of the graphics layer over the whole 640 x 480 picture,
// drawn opaque.
void Interlace(DDSURFACEDATA* d, DDSURFACEDATA* s, int nStrip, int nShift, BOOL bColumns) {
  DDBltInterlace(d, 0, 0, 640, 480, nStrip, nShift, s, 0, 0, 0, bColumns);
}
void Wave(DDSURFACEDATA* d, DDSURFACEDATA* s, int nScale, int nAmplitude, int nPhase, int nStrip, BOOL bColumns) {
  DDBltWave(d, 0, 0, 640, 480, nScale, nAmplitude, nPhase, nStrip, s, 0, 0, 0, bColumns);
}
// The picture turned about (cx, cy), which stays where it is.
void Rotate(DDSURFACEDATA* d, DDSURFACEDATA* s, int cx, int cy, int nDegrees) {
  DDBltRotate(d, cx, cy, 640, 480, cx, cy, nDegrees, s, 0, 0, 0);
}
void Circle(DDSURFACEDATA* d, int cx, int cy, int w, int h, int r, int nStrip, DDSURFACEDATA* s, int sx, int sy) {
  DDBltCircle(d, cx, cy, w, h, r, nStrip, s, sx, sy, 0);
}
// The effect has already cleared the lens's scratch square itself.
void Lens(DDSURFACEDATA* d, int cx, int cy, int r, int nStrength, DDSURFACEDATA* s, int sx, int sy) {
  DDBltLens(d, cx, cy, r, nStrength, s, sx, sy, 0, FALSE);
}
void Mosaic(DDSURFACEDATA* d, DDSURFACEDATA* s, int nBlock) { DDBltMosaic(d, 0, 0, 640, 480, nBlock, s, 0, 0, FALSE); }

const SCREENEFFECTBLITS s_MediaBlits = {Interlace, Wave, Rotate, Circle, Lens, Mosaic};

struct EFFECTFRAME {
  SCREENEFFECT& e;
  DDSURFACEDATA* lpBack;
  BOOL bPaused;
  int cx, cy;  // player 0's screen centre
  const int32_t* P;
  int T() const { return TruncToInt(e.run.dCurrent); }
};

// Copies the frame into work surface n; null when there is none.
DDSURFACEDATA* TakeFrame(EFFECTFRAME& fr, int n) {
  DDSURFACEDATA* work = StageSurface(n);
  if (work) DDBltFast(work, 0, 0, 640, 480, fr.lpBack, 0, 0, 0);
  return work;
}

int Advance(EFFECTFRAME& fr, int nFrom, int nTo) {
  if (fr.bPaused) return 0;
  return ScreenEffectStep(fr.e.run, nFrom, nTo, fr.e.run.dStep);
}

int StepRange(EFFECTFRAME& fr) { return Advance(fr, fr.P[1], fr.P[2]); }

// Draws with the alpha operation held opaque.
template <class F>
void Opaque(F draw) {
  DDSetAlphaOp(1);
  draw();
  DDResetAlphaOp();
}

int KindNone(EFFECTFRAME&) {
  if (lpDTCon) DDSetVirtualBackBuffer(0);
  return 0;
}

int KindMove(EFFECTFRAME& fr) {
  DDSURFACEDATA* work = TakeFrame(fr, STAGESURFACE_WORK);
  DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
  if (work) Opaque([&] { DDBltFast(fr.lpBack, fr.e.a, fr.e.b, 640, 480, work, 0, 0, 0); });
  if (fr.bPaused) return 0;
  const int r = Advance(fr, 0, fr.P[0]);
  const double p0 = fr.P[0] != 0 ? fr.P[0] : 1;
  const double t = fr.e.run.dCurrent;
  fr.e.a = TruncToInt(std::floor((static_cast<double>(fr.P[3]) - fr.P[1]) / p0 * t + fr.P[1]));
  fr.e.b = TruncToInt(std::floor((static_cast<double>(fr.P[4]) - fr.P[2]) / p0 * t + fr.P[2]));
  return r;
}

void StepShake(EFFECTFRAME& fr) {
  // 64-bit product, and a run time of 0 taken as 1 rather than divided by.
  const double d = static_cast<double>(static_cast<int64_t>(fr.P[2]) * fr.P[1] * 4) /
                   (static_cast<double>(std::max(fr.P[0], 1)) * 6.0);
  SCREENEFFECT& e = fr.e;
  if (e.f == 0) {
    e.s += d;
    if (e.s >= fr.P[1]) {
      e.s = fr.P[1];
      e.f = 1;
    }
  } else {
    e.s -= d;
    if (e.s <= -fr.P[1]) {
      e.s = -fr.P[1];
      e.f = 0;
    }
  }
}

int KindShake(EFFECTFRAME& fr, bool bVertical) {
  DDSURFACEDATA* work = TakeFrame(fr, STAGESURFACE_WORK);
  const double s = fr.e.s;
  const int n = TruncToInt(std::floor(s));
  if (bVertical) {
    DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
    if (work) Opaque([&] { DDBltFast(fr.lpBack, 0, n, 640, 480, work, 0, 0, 0); });
  } else {
    if (work) Opaque([&] { DDBltFast(fr.lpBack, n, 0, 640, 480, work, 0, 0, 0); });
    if (s > 0) DDFillRect(fr.lpBack, 0, 0, TruncToInt(std::floor(s + 1)), 480, COLOUR_EMPTY);
    else if (s < 0)
      DDFillRect(fr.lpBack, TruncToInt(std::floor(s + 640)), 0, TruncToInt(std::floor(1 - s)), 480, COLOUR_EMPTY);
  }
  if (fr.bPaused) return 0;
  StepShake(fr);
  return Advance(fr, 0, fr.P[0]);
}

int KindInterlace(EFFECTFRAME& fr, bool bColumns) {
  DDSURFACEDATA* work = TakeFrame(fr, STAGESURFACE_WORK);
  DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
  // A strip count of 0 or less draws one strip.
  const int nCount = std::max(fr.P[3], 1);
  const int nSize = bColumns ? 640 : 480;
  const int nStrip = (nSize + nCount - 1) / nCount;
  if (work) Opaque([&] { g_ScreenEffectBlits.pfnInterlace(fr.lpBack, work, nStrip, fr.T(), bColumns); });
  return StepRange(fr);
}

int KindWave(EFFECTFRAME& fr, bool bColumns) {
  DDSURFACEDATA* work = TakeFrame(fr, STAGESURFACE_WORK);
  DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
  if (work) Opaque([&] { g_ScreenEffectBlits.pfnWave(fr.lpBack, work, fr.P[3], fr.T(), fr.e.a, fr.P[4], bColumns); });
  if (fr.bPaused) return 0;
  fr.e.a += 1;
  if (fr.e.a >= 360) fr.e.a = 0;
  return StepRange(fr);
}

int KindBlink(EFFECTFRAME& fr) {
  if (fr.e.b == 0) {
    DrawBackgrounds(fr.lpBack, 0);
    DrawBackgrounds(fr.lpBack, 1);
  }
  if (fr.bPaused) return 0;
  if (fr.e.a >= fr.P[1]) {
    fr.e.a = 0;
    fr.e.b = !fr.e.b;
  }
  fr.e.a += 1;
  return Advance(fr, 0, fr.P[0]);
}

int KindRotate(EFFECTFRAME& fr) {
  DDSURFACEDATA* work = TakeFrame(fr, STAGESURFACE_WORK2);
  DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
  if (work) Opaque([&] { g_ScreenEffectBlits.pfnRotate(fr.lpBack, work, 320, 240, fr.T()); });
  return StepRange(fr);
}

int KindCircle(EFFECTFRAME& fr) {
  DDSURFACEDATA* work = TakeFrame(fr, STAGESURFACE_WORK);
  DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
  const int w = fr.cx < 320 ? 640 - fr.cx : fr.cx;
  const int h = fr.cy < 240 ? 480 - fr.cy : fr.cy;
  if (work)
    Opaque([&] { g_ScreenEffectBlits.pfnCircle(fr.lpBack, fr.cx, fr.cy, w, h, fr.T(), fr.P[3], work, fr.cx, fr.cy); });
  return StepRange(fr);
}

// The zoom copies into the work surface that the stage chose for zooming.
int KindZoom(EFFECTFRAME& fr) {
  DDSURFACEDATA* work = TakeFrame(fr, SecondGlobalSheet());
  // A strength of 0 or less would shrink the picture to nothing.
  const double z = std::max(fr.T(), 1) * 0.0015625;
  if (work) {
    if (z < 1.0) {
      DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
      const int w = TruncToInt(640 * z), h = TruncToInt(480 * z);
      const int x = TruncToInt((640 - 640 * z) / 2), y = TruncToInt((480 - 480 * z) / 2);
      Opaque([&] { DDBltD3D(fr.lpBack, x, y, w, h, work, 0, 0, 640, 480, 0); });
    } else {
      const int sw = TruncToInt(640 / z), sh = TruncToInt(480 / z);
      const int sx = std::clamp(fr.cx - sw / 2, 0, 640 - sw), sy = std::clamp(fr.cy - sh / 2, 0, 480 - sh);
      Opaque([&] { DDBltD3D(fr.lpBack, 0, 0, 640, 480, work, sx, sy, sw, sh, 0); });
    }
  }
  return StepRange(fr);
}

int KindLens(EFFECTFRAME& fr) {
  const int x = fr.cx + fr.P[3], y = fr.cy + fr.P[4];
  const int dx = x < 320 ? 640 - x : x, dy = y < 240 ? 480 - y : y;
  const int r = TruncToInt(std::sqrt(2.0) * std::max(dx, dy));
  DDSURFACEDATA* work = StageSurface(STAGESURFACE_WORK2);
  if (work) {
    // The scratch square, held to the work surface.
    const int nSide = std::min(r * (g_DDDisplay.nBpp == 16 ? 4 : 2), std::max(work->nWidth, work->nHeight));
    DDFillRect(work, 0, 0, nSide, nSide, 0);
  }
  work = TakeFrame(fr, STAGESURFACE_WORK2);
  DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
  if (work) Opaque([&] { g_ScreenEffectBlits.pfnLens(fr.lpBack, x, y, r, fr.T(), work, x, y); });
  return StepRange(fr);
}

int KindMosaic(EFFECTFRAME& fr) {
  DDSURFACEDATA* work = TakeFrame(fr, STAGESURFACE_WORK2);
  DDFillRect(fr.lpBack, 0, 0, 640, 480, COLOUR_EMPTY);
  if (work) Opaque([&] { g_ScreenEffectBlits.pfnMosaic(fr.lpBack, work, std::max(fr.T(), 1)); });
  return StepRange(fr);
}

typedef int (*SCREFFECTFUNC)(EFFECTFRAME&);
const SCREFFECTFUNC g_ScrEffectFunc[SCREENEFFECT_KINDS] = {
    KindNone,
    KindMove,
    [](EFFECTFRAME& fr) { return KindShake(fr, false); },
    [](EFFECTFRAME& fr) { return KindShake(fr, true); },
    [](EFFECTFRAME& fr) { return KindInterlace(fr, false); },
    [](EFFECTFRAME& fr) { return KindInterlace(fr, true); },
    [](EFFECTFRAME& fr) { return KindWave(fr, false); },
    [](EFFECTFRAME& fr) { return KindWave(fr, true); },
    KindBlink,
    KindRotate,
    KindCircle,
    KindZoom,
    KindLens,
    KindMosaic,
};

}  // namespace

SCREENEFFECTBLITS g_ScreenEffectBlits = s_MediaBlits;

void ClearScreenEffect(SCREENEFFECT& e) {
  e = SCREENEFFECT();
  EffectRunReset(e.run);
}

void RunScreenEffect(SCREENEFFECT& e, DDSURFACEDATA* lpBack, BOOL bPaused, const cGameObj* lpPlayer0) {
  if (e.run.nEffect == 0) return;
  if (!e.run.lpRecord) {
    ClearScreenEffect(e);
    DDSetVirtualBackBuffer(0);
    return;
  }
  int cx = 320, cy = 240;
  if (lpPlayer0) {
    const RECT& rc = lpPlayer0->m_rcScreen;
    // The left plus half the width (the box's edges are inclusive).
    cx = rc.left + (rc.right - rc.left + 1) / 2;
    cy = rc.top + (rc.bottom - rc.top + 1) / 2;
  }
  EFFECTFRAME fr{e, lpBack, bPaused, cx, cy, e.run.lpRecord->anParam};
  const int nKind = e.run.lpRecord->nKind;
  // A kind the table does not hold ends the effect.
  const int r = nKind >= 0 && nKind < SCREENEFFECT_KINDS ? g_ScrEffectFunc[nKind](fr) : 1;
  if (r == 1) {
    e.run.nEffect = 0;
    DDSetVirtualBackBuffer(0);
  }
}
