#include "play/screen_colour.h"

#include <algorithm>
#include <cstring>

#include "media/graphics/dd.h"

namespace {

int Strength(const SCREENCOLOUR& sc) { return std::clamp(sc.nStrength, 0, 100); }

// Each pixel weighted by the level against the colour.
void TintSurface(DDSURFACEDATA* lpSD, int nLevel, BYTE r, BYTE g, BYTE b) {
  if (!lpSD || nLevel >= 255) return;
  cPixelBuffer* buf = lpSD->lpDT ? lpSD->lpDT->lpSurface : (lpSD->lpDDS ? lpSD->lpDDS->lpSurface : nullptr);
  if (!buf || buf->Format() == PF_INDEX8) return;
  const uint32_t k = static_cast<uint32_t>(std::clamp(nLevel, 0, 255)), ik = 255 - k;
  const int w = std::min(buf->Width(), 640), h = std::min(buf->Height(), 480);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t argb = RawToArgb(buf->Format(), buf->GetRaw(x, y));
      const uint32_t pr = (argb >> 16 & 255) * k + r * ik, pg = (argb >> 8 & 255) * k + g * ik,
                     pb = (argb & 255) * k + b * ik;
      const uint32_t out = (argb & 0xFF000000u) | (pr / 255) << 16 | (pg / 255) << 8 | (pb / 255);
      buf->SetRaw(x, y, ArgbToRaw(buf->Format(), out));
    }
}

// The display palette made from the picture's own palette weighted by the
// level against the colour.
void BlendPalette(int nLevel, BYTE r, BYTE g, BYTE b) {
  BYTE work[256 * 4];
  const int k = std::clamp(nLevel, 0, 255), ik = 255 - k;
  for (int i = 0; i < 256; ++i) {
    const BYTE* s = &g_Palette[i * 4];
    work[i * 4 + 0] = static_cast<BYTE>((s[0] * k + r * ik) / 255);
    work[i * 4 + 1] = static_cast<BYTE>((s[1] * k + g * ik) / 255);
    work[i * 4 + 2] = static_cast<BYTE>((s[2] * k + b * ik) / 255);
    work[i * 4 + 3] = s[3];
  }
  DDSetPaletteEntries(0, 256, work);
}

// A blink that is asked to repeat 0 times still ends after its first.
bool RepeatsDone(const SCREENCOLOUR& sc) { return sc.nRepeated >= std::max(sc.nRepeat, 1); }

}  // namespace

void ClearScreenColor(SCREENCOLOUR& sc) {
  sc = SCREENCOLOUR();
  sc.nPrevLevel = 255;
}

void SetScreenColor(SCREENCOLOUR& sc, const int32_t q[8]) {
  if (q[4] != 0) {
    const bool bPalette = !lpDTCon;
    if (bPalette ? !sc.bHeld : !sc.bActive) return;
  }
  sc.prevR = sc.r;
  sc.prevG = sc.g;
  sc.prevB = sc.b;
  sc.nPrevStrength = sc.nStrength;
  sc.nPrevLevel = sc.nLevel;
  sc.r = static_cast<BYTE>(q[0]);
  sc.g = static_cast<BYTE>(q[1]);
  sc.b = static_cast<BYTE>(q[2]);
  sc.nStrength = q[3];
  sc.nMode = q[4];
  sc.nDuration = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(q[5]) * 6, 0, INT32_MAX));
  sc.nBlink = q[6];
  sc.nRepeat = q[7];
  sc.bActive = 1;
  sc.nCounter = 0;
  sc.nRepeated = 0;
  if (q[4] == 0) {
    sc.nLevel = 0;
    sc.bHeld = 1;
  } else {
    sc.r = sc.prevR;
    sc.g = sc.prevG;
    sc.b = sc.prevB;
    sc.nStrength = sc.nPrevStrength;
    sc.nLevel = sc.nPrevLevel;
  }
}

int ScreenColorLevel(const SCREENCOLOUR& sc) {
  // The part of the way done is a real fraction of the duration.
  const double t = sc.nDuration > 0 ? static_cast<double>(sc.nCounter) / sc.nDuration : 1.0;
  double v;
  if (sc.nBlink == 0 && sc.nMode != 0) v = sc.nPrevLevel + std::min(t, 1.0) * (255 - sc.nPrevLevel);
  else v = 255.0 - std::min(t, 1.0) * 2.55 * Strength(sc);
  return std::clamp(static_cast<int>(v), 0, 255);
}

void StepScreenColor(SCREENCOLOUR& sc, DDSURFACEDATA* lpBack, BOOL bPaused) {
  if (!sc.bActive) return;
  const bool bBlink = sc.nBlink != 0, bFade = !bBlink && sc.nMode != 0;
  const bool bDone = sc.nCounter >= sc.nDuration;
  if (lpDTCon) {
    int nLevel = ScreenColorLevel(sc);
    if (bBlink && bDone && !bPaused) nLevel = 255;
    sc.nLevel = nLevel;
    TintSurface(lpBack, nLevel, sc.r, sc.g, sc.b);
    if (bPaused) return;
    if (!bDone) {
      ++sc.nCounter;
    } else if (bBlink) {
      ++sc.nRepeated;
      sc.nCounter = 0;
      if (RepeatsDone(sc)) sc.bActive = 0;
    } else if (bFade || Strength(sc) == 0) {
      sc.bActive = 0;
    }
    return;
  }
  if (bPaused) return;
  if (g_DDDisplay.nBpp != 8) {
    sc.bActive = 0;
    return;
  }
  sc.nLevel = ScreenColorLevel(sc);
  BlendPalette(sc.nLevel, sc.r, sc.g, sc.b);
  if (!bDone) {
    ++sc.nCounter;
  } else if (bBlink) {
    DDSetPaletteEntries(0, 256, g_Palette);
    sc.nLevel = 255;
    ++sc.nRepeated;
    sc.nCounter = 0;
    if (RepeatsDone(sc)) sc.bActive = 0;
  } else {
    sc.bActive = 0;
  }
}
