// The pixel work behind both drawing paths: the textured quad of the
// Direct3D path (point sampling, texture stage 0, source-alpha blending),
// its clears, the read-back copy of its pixel path, and the exact
// colour-keyed copy of the DirectDraw path. Everything works row by row.
#pragma once

#include "media/graphics/dd.h"
#include "media/graphics/dd_pixels.h"

// Texture-stage arguments, with the two modifiers.
enum : DWORD {
  DDTA_DIFFUSE = 0,
  DDTA_CURRENT = 1,
  DDTA_TEXTURE = 2,
  DDTA_TFACTOR = 3,
  DDTA_COMPLEMENT = 0x10,
  DDTA_ALPHAREPLICATE = 0x20,
};

struct DDSTAGESTATE {
  DWORD dwColorOp = DDTOP_MODULATE;
  DWORD dwColorArg1 = DDTA_TEXTURE;
  DWORD dwColorArg2 = DDTA_DIFFUSE;
  DWORD dwAlphaOp = DDTOP_SELECTARG1;
  DWORD dwAlphaArg1 = DDTA_TEXTURE;
  DWORD dwAlphaArg2 = DDTA_DIFFUSE;
  DWORD dwTextureFactor = 0xFFFFFFFFu;
};

// One quad whose corners sit half a pixel up and left of (x, y) and
// (x + w, y + h), so it covers exactly the pixels x .. x + w - 1. Texel of
// column c: sx + floor((c + 0.5) * sw / w), wrapped to the texture (a
// negative sw mirrors). lpSrc null: texels read as 0. The quad is cut to the
// destination buffer only, as the device's viewport would.
void RasterQuad(cPixelBuffer& dst, int x, int y, int w, int h, const cPixelBuffer* lpSrc, int sx, int sy, int sw,
                int sh, DWORD dwDiffuse, const DDSTAGESTATE& st);

// One row of a quad whose texels the caller has gathered (as ARGB values):
// stage 0 applied to each (in place), then blended into row y from x0.
void RasterSpan(cPixelBuffer& dst, int x0, int y, uint32_t* lpTexels, int n, DWORD dwDiffuse, const DDSTAGESTATE& st);

// The device's Clear: the colour converted to the target's format, written
// without blending, alpha included.
void RasterClear(cPixelBuffer& dst, int x, int y, int w, int h, DWORD dwArgb);
// Writes a raw pixel value, for clears whose value is already a pixel.
void RasterClearRaw(cPixelBuffer& dst, int x, int y, int w, int h, DWORD dwRaw);

// The pixel path of DDBltD3D: raw values copied, nearest source pixel by
// truncation, transparent pixels skipped only with dwFlags 1. With
// b1555To565 each written pixel goes from the texture format (set B) to the
// back buffer's (set A).
void PixelPathCopy(cPixelBuffer& dst, int x, int y, int w, int h, const cPixelBuffer& src, int sx, int sy, int sw,
                   int sh, DWORD dwFlags, bool b1555To565, const DDMASKSET& setA, const DDMASKSET& setB);

// The DirectDraw blit: rectangles already clipped to both surfaces, raw
// values copied, pixels equal to the key skipped when bKey is set. Sizes may
// differ (nearest source pixel by truncation); negative sizes draw nothing.
void KeyedCopy(cPixelBuffer& dst, int x, int y, int w, int h, const cPixelBuffer& src, int sx, int sy, int sw, int sh,
               bool bKey, uint32_t dwKey);
