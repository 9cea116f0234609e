// What the units of the graphics wrapper share among themselves and the
// pixel-effect units may use: the pixels behind a surface, the formats of
// the current path, and the scoped surface lock.
#pragma once

#include <algorithm>

#include "media/graphics/dd.h"
#include "media/graphics/dd_pixels.h"

// The pixels of a surface on either path; null when it has none.
cPixelBuffer* DDSurfacePixels(DDSURFACEDATA* lpSD);
// The format of every DirectDraw surface at the current depth.
ePixelFormat DDScreenFormat();
// The transparent value a render target is cleared to by an opaque blit of a
// keyed source or a fill of palette number 0, as a raw pixel of that target.
DWORD DDTransparentClearRaw(DDSURFACEDATA* lpDstSD);
// Drops the draw batch and the fill batch (device shut-down).
void DDResetBatches();

// The colour fields of a pixel format (all zero for index pixels).
DDMASKSET DDMaskSetOf(ePixelFormat fmt);

// The Direct3D path draws a blit as the device's quad when the destination
// is a render target and the source is not a system-memory texture; the
// other blits are worked pixel by pixel. Both surfaces hold textures.
inline bool DDDrawsAsQuad(const DDSURFACEDATA* lpDst, const DDSURFACEDATA* lpSrc) {
  return lpDst->lpDT->bRenderTarget && lpSrc->lpDT->nDTMemType != DTMEMORYTYPE_SYSTEM;
}

// A scoped lock of one surface for pixel access (both paths). The surface is
// resolved to its parent and redirected to the virtual back buffer first.
class cSurfaceLock {
 public:
  explicit cSurfaceLock(DDSURFACEDATA* lpSD);
  ~cSurfaceLock();
  cSurfaceLock(const cSurfaceLock&) = delete;
  cSurfaceLock& operator=(const cSurfaceLock&) = delete;

  bool IsLocked() const { return m_lpBuffer != nullptr; }
  // The part that may be read or written: the surface's own size, never
  // more than its buffer (a texture may be larger).
  int Width() const { return std::min(m_lpSD->nWidth, m_lpBuffer->Width()); }
  int Height() const { return std::min(m_lpSD->nHeight, m_lpBuffer->Height()); }
  DDSURFACEDATA* m_lpSD = nullptr;
  void* m_lpBits = nullptr;
  int m_nPitch = 0;  // in pixels
  cPixelBuffer* m_lpBuffer = nullptr;
};
