// The colour fields of the pixel formats, for the effects that compute
// pixels: each channel's shift and maximum, the bits that mark a written
// pixel opaque on the current path, and the transparency tests of both
// paths.
#pragma once

#include <cstdint>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_pixels.h"

struct PIXELFIELDS {
  uint32_t nRedShift = 0, nGreenShift = 0, nBlueShift = 0;
  uint32_t nRedMax = 0, nGreenMax = 0, nBlueMax = 0;
  uint32_t dwOpaque = 0;  // or-ed into every written pixel
};

// bD3D: textures carry alpha, so written pixels get their alpha bits set;
// DirectDraw pixels never do (the colour key is compared with whole pixels).
inline PIXELFIELDS FieldsOf(ePixelFormat fmt, bool bD3D) {
  const DDMASKSET m = DDMaskSetOf(fmt);
  return PIXELFIELDS{m.dwRedShift, m.dwGreenShift, m.dwBlueShift, m.dwRedMax,
                     m.dwGreenMax, m.dwBlueMax, bD3D ? m.dwAlphaMax << m.dwAlphaShift : 0u};
}

inline void SplitPixel(const PIXELFIELDS& f, uint32_t p, int& r, int& g, int& b) {
  r = static_cast<int>((p >> f.nRedShift) & f.nRedMax);
  g = static_cast<int>((p >> f.nGreenShift) & f.nGreenMax);
  b = static_cast<int>((p >> f.nBlueShift) & f.nBlueMax);
}

inline uint32_t PackPixel(const PIXELFIELDS& f, int r, int g, int b) {
  return static_cast<uint32_t>(r) << f.nRedShift | static_cast<uint32_t>(g) << f.nGreenShift |
         static_cast<uint32_t>(b) << f.nBlueShift | f.dwOpaque;
}

// A field value carried to a field of another width: the 5-bit green of a
// texture doubled into the 6-bit green of a 16-bit back buffer and back, any
// other pair scaled.
inline int RescaleField(int v, uint32_t nFrom, uint32_t nTo) {
  if (nFrom == nTo || nFrom == 0) return v;
  if (nTo == nFrom * 2 + 1) return v << 1;
  if (nFrom == nTo * 2 + 1) return v >> 1;
  return static_cast<int>(static_cast<uint32_t>(v) * nTo / nFrom);
}

// A field scaled to 0..255 and back, with integer division.
inline int FieldTo255(int v, uint32_t nMax) { return nMax ? static_cast<int>(static_cast<uint32_t>(v) * 255 / nMax) : 0; }
inline int FieldFrom255(int v, uint32_t nMax) { return static_cast<int>(static_cast<uint32_t>(v) * nMax / 255); }

// A texel the Direct3D path does not draw: alpha 0 at 32 bits, none of the
// bits 0xA000 at 16 bits.
inline bool IsTransparentTexel(int nBytes, uint32_t p) {
  return nBytes == 4 ? (p >> 24) == 0 : (p & 0xA000u) == 0;
}

// A source pixel that a keyed effect leaves out: the colour-key value on the
// DirectDraw path, a transparent texel on the Direct3D path.
inline bool IsKeyPixel(int nBytes, uint32_t p) {
  if (lpDTCon) return IsTransparentTexel(nBytes, p);
  return p == g_dwColorKey;
}
