// Blits and fills on both paths: clipping, linked and redirected surfaces,
// the blend-state setters, the scene and render-target bookkeeping, the
// fills and their batch.
#include <algorithm>
#include <cmath>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_batch_state.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_raster.h"
#include "base/report.h"

namespace {

struct FILLRECORD {
  DDSURFACEDATA* lpSD;
  int x, y, w, h;
  DWORD dwColor;
};
// Threads: the thread that draws only (see the globals of dd.h).
BOOL s_bFillBatchOpen = 0;
std::vector<FILLRECORD> s_vFillBatch;

// The DirectDraw fill: the rectangle cut to the surface on all four edges.
void FillDirectDraw(DDSURFACEDATA* lpSD, int x, int y, int w, int h, DWORD dwValue) {
  cPixelBuffer* buf = DDSurfacePixels(lpSD);
  if (!buf) return;
  // The original cut the right and bottom edges only when the left or top
  // was not negative, so a rectangle crossing both edges was refused by
  // the driver and filled nothing.
  long long l = x, t = y, r = static_cast<long long>(x) + w, b = static_cast<long long>(y) + h;
  l = std::max(l, 0LL);
  t = std::max(t, 0LL);
  r = std::min<long long>(r, lpSD->nWidth);
  b = std::min<long long>(b, lpSD->nHeight);
  if (l >= r || t >= b) return;
  buf->FillRaw(static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l), static_cast<int>(b - t), dwValue);
}

void FillQuad(cPixelBuffer& buf, int x, int y, int w, int h, DWORD c) {
  DDSTAGESTATE st;
  st.dwColorOp = DDTOP_SELECTARG2;
  st.dwColorArg2 = DDTA_TFACTOR;
  st.dwAlphaOp = DDTOP_SELECTARG2;
  st.dwAlphaArg2 = DDTA_TFACTOR;
  st.dwTextureFactor = c;
  RasterQuad(buf, x, y, w, h, nullptr, 0, 0, 0, 0, c, st);
}

}  // namespace

DWORD DDTransparentClearRaw(DDSURFACEDATA* lpDstSD) {
  cPixelBuffer* buf = DDSurfacePixels(lpDstSD);
  if (!buf || !lpDTCon) return 0;
  if (lpDstSD == &g_BackBufferSD) {
    // At 16 bits the transparent colour is held as a texture pixel; it is
    // written as that colour in the back buffer's own format.
    if (buf->BytesPerPixel() == 2) return ArgbToRaw(buf->Format(), RawToArgb(PF_ARGB1555, lpDTCon->wTransmit_16));
    return lpDTCon->dwTransmitARGB;
  }
  return ArgbToRaw(buf->Format(), lpDTCon->dwPalZeroColor);
}

void DDResolveLinked(DDSURFACEDATA** lplpSD) {
  if (lpDTCon && lplpSD && *lplpSD && (*lplpSD)->lpParentSD) *lplpSD = (*lplpSD)->lpParentSD;
}

BOOL DDRedirectBackBuffer(DDSURFACEDATA** lplpSD) {
  if (lpDTCon && lpDTCon->bVirBackBuffer && lplpSD && *lplpSD == &g_BackBufferSD) {
    *lplpSD = &g_VirBackBufferSD;
    return TRUE;
  }
  return FALSE;
}

void DDClipSource(DDSURFACEDATA* lpSrcSD, int* sx, int* sy, int* sw, int* sh) {
  if (!lpDTCon || !lpSrcSD || !lpSrcSD->lpParentSD) return;
  int m = lpSrcSD->nMirrorWidth;
  if (m > 0 && *sw > 0) {
    if (*sw == m) {
      *sx += m;
      *sw = -*sw;
    } else if (*sw < m) {
      *sx = *sx - 2 * (*sx % m) + m;
      *sw = -*sw;
    }
  }
  m = lpSrcSD->nMirrorHeight;
  if (m > 0 && *sh > 0) {
    if (*sh == m) {
      *sy += m;
      *sh = -*sh;
    } else if (*sh < m) {
      *sy = *sy - 2 * (*sy % m) + m;
      *sh = -*sh;
    }
  }
}

BOOL DDClipBlt(DDSURFACEDATA* lpDstSD, int* x, int* y, int* w, int* h, DDSURFACEDATA* lpSrcSD, int* sx, int* sy,
               int* sw, int* sh) {
  if (!lpDstSD || !lpSrcSD) return FALSE;
  if (*w < 1 || *h < 1 || *sw == 0 || *sh == 0) return FALSE;
  bool bNegW = *sw < 0, bNegH = *sh < 0;
  if (*w == *sw && *h == *sh) {
    // Worked in 64 bits: a position near the ends of int (a chara far off
    // the stage) must not wrap round into the picture.
    long long lsx = *sx, lsy = *sy, lsw = *sw, lsh = *sh, lx = *x, ly = *y;
    if (lsx < 0) { lsw += lsx; lsx = 0; }
    if (lsy < 0) { lsh += lsy; lsy = 0; }
    if (lsx + lsw > lpSrcSD->nWidth) lsw = lpSrcSD->nWidth - lsx;
    if (lsy + lsh > lpSrcSD->nHeight) lsh = lpSrcSD->nHeight - lsy;
    // Both edges are cut: the original cut the right edge only when the left
    // one was inside, which lost blits wider than the destination.
    if (lx < 0) { lsx -= lx; lsw += lx; lx = 0; }
    if (lx + lsw > lpDstSD->nWidth) lsw = lpDstSD->nWidth - lx;
    if (ly < 0) { lsy -= ly; lsh += ly; ly = 0; }
    if (ly + lsh > lpDstSD->nHeight) lsh = lpDstSD->nHeight - ly;
    if (lsw < 1 || lsh < 1) return FALSE;
    // Every value is now within the two pictures.
    *sx = static_cast<int>(lsx);
    *sy = static_cast<int>(lsy);
    *sw = static_cast<int>(lsw);
    *sh = static_cast<int>(lsh);
    *x = static_cast<int>(lx);
    *y = static_cast<int>(ly);
    *w = *sw;
    *h = *sh;
    return *w >= 1 && *h >= 1;
  }
  // Stretching: cut the source, scale the destination by the part kept.
  auto cutAxis = [](int* s, int* len, int nSize, bool bSwap) {
    long long a = *s, b = static_cast<long long>(*s) + *len;
    if (bSwap && b < a) std::swap(a, b);
    a = std::max(a, 0LL);
    b = std::min<long long>(b, nSize);
    if (bSwap && *len < 0) {
      *s = static_cast<int>(b);
      *len = static_cast<int>(a - b);
    } else {
      *s = static_cast<int>(a);
      *len = static_cast<int>(b - a);
    }
  };
  int osw = *sw, osh = *sh;
  bool bD3D = lpDTCon != nullptr;
  cutAxis(sx, sw, lpSrcSD->nWidth, bD3D);
  cutAxis(sy, sh, lpSrcSD->nHeight, bD3D);
  *w = static_cast<int>(*w * (static_cast<double>(*sw) / osw));
  *h = static_cast<int>(*h * (static_cast<double>(*sh) / osh));
  if (!bD3D) {
    if (*w >= 1 && *x < 0) {
      int d = static_cast<int>((static_cast<double>(-*x) / *w) * *sw);
      *sx += d;
      *sw -= d;
      *w += *x;
      *x = 0;
    }
    if (*w >= 1 && *x + *w > lpDstSD->nWidth) {
      int nw = lpDstSD->nWidth - *x;
      *sw = static_cast<int>(static_cast<double>(*sw) * nw / *w);
      *w = nw;
    }
    if (*h >= 1 && *y < 0) {
      int d = static_cast<int>((static_cast<double>(-*y) / *h) * *sh);
      *sy += d;
      *sh -= d;
      *h += *y;
      *y = 0;
    }
    if (*h >= 1 && *y + *h > lpDstSD->nHeight) {
      int nh = lpDstSD->nHeight - *y;
      *sh = static_cast<int>(static_cast<double>(*sh) * nh / *h);
      *h = nh;
    }
  }
  if (*w < 1 || *h < 1) return FALSE;
  if (bNegW ? *sw >= 0 : *sw < 1) return FALSE;
  if (bNegH ? *sh >= 0 : *sh < 1) return FALSE;
  return TRUE;
}

HRESULT DDBltFast(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
                  int nSrcY, DWORD dwFlags) {
  if (lpDTCon) {
    DDBltD3D(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nWidth, nHeight, dwFlags);
    return 0;
  }
  int sw = nWidth, sh = nHeight;
  if (!DDClipBlt(lpDstSD, &x, &y, &nWidth, &nHeight, lpSrcSD, &nSrcX, &nSrcY, &sw, &sh)) return 0;
  cPixelBuffer* d = DDSurfacePixels(lpDstSD);
  cPixelBuffer* s = DDSurfacePixels(lpSrcSD);
  if (!d || !s) return 0;
  bool bKey = (dwFlags & 1) && lpSrcSD->lpDDS->bColorKey;
  KeyedCopy(*d, x, y, sw, sh, *s, nSrcX, nSrcY, sw, sh, bKey, lpSrcSD->lpDDS->dwColorKey);
  return 0;
}

void DDBltFastBlend(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                    DWORD dwFlags, const DWORD* lpBlend) {
  if (!lpDTCon) {
    DDBltFast(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, dwFlags);
    return;
  }
  DDBltStretchBlend(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, w, h, dwFlags, lpBlend);
}

void DDBltStretchBlend(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                       int sw, int sh, DWORD dwFlags, const DWORD* lpBlend) {
  if (!lpDTCon || !lpBlend) {
    DDBltD3D(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, sw, sh, dwFlags);
    return;
  }
  DDSetDrawColor(lpBlend[0]);
  DDSetColorOp(lpBlend[1]);
  DDBltD3D(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, sw, sh, dwFlags);
  DDResetDrawColor();
  DDResetColorOp();
}

void DDDrawBatchQuad(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int x, int y, int w, int h, int sx, int sy,
                     int sw, int sh, DWORD dwDrawColor, DWORD dwColorOp, DWORD dwAlphaOp) {
  cPixelBuffer* d = DDSurfacePixels(lpDstSD);
  if (!d) return;
  DDSTAGESTATE st;
  st.dwColorOp = dwColorOp;
  st.dwAlphaOp = dwAlphaOp;
  RasterQuad(*d, x, y, w, h, DDSurfacePixels(lpSrcSD), sx, sy, sw, sh, dwDrawColor, st);
}

void DDClearKeyedRect(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h) {
  cPixelBuffer* d = DDSurfacePixels(lpDstSD);
  if (!d || (d->BytesPerPixel() != 2 && d->BytesPerPixel() != 4)) return;
  RasterClearRaw(*d, x, y, w, h, DDTransparentClearRaw(lpDstSD));
}

void DDBltD3D(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy, int sw,
              int sh, DWORD dwFlags) {
  if (lpSrcSD) DDClipSource(lpSrcSD, &sx, &sy, &sw, &sh);
  if (!lpDTCon) {
    if (!DDClipBlt(lpDstSD, &x, &y, &w, &h, lpSrcSD, &sx, &sy, &sw, &sh)) return;
    cPixelBuffer* d = DDSurfacePixels(lpDstSD);
    cPixelBuffer* s = DDSurfacePixels(lpSrcSD);
    if (!d || !s) return;
    bool bKey = dwFlags == 1 && lpSrcSD->lpDDS->bColorKey;
    KeyedCopy(*d, x, y, w, h, *s, sx, sy, sw, sh, bKey, lpSrcSD->lpDDS->dwColorKey);
    return;
  }
  if (!lpDstSD || !lpSrcSD) return;
  DDResolveLinked(&lpDstSD);
  DDResolveLinked(&lpSrcSD);
  if (lpDTCon->bCopying) {
    lpDstSD = &g_BackBufferSD;
    lpSrcSD = &g_VirBackBufferSD;
  } else {
    DDRedirectBackBuffer(&lpDstSD);
    DDRedirectBackBuffer(&lpSrcSD);
  }
  if (!lpDstSD->lpDT || !lpSrcSD->lpDT || !lpDstSD->lpDT->lpSurface || !lpSrcSD->lpDT->lpSurface) return;
  if (DDDrawsAsQuad(lpDstSD, lpSrcSD)) {
    if (!DDClipBlt(lpDstSD, &x, &y, &w, &h, lpSrcSD, &sx, &sy, &sw, &sh)) return;
    if (g_bBatchOpen) {
      DDBATCHDATA rec;
      rec.nKey = g_nBatchCount;
      if (g_bBatchSort) {
        for (const DDBATCHLAYER& layer : g_vBatchLayer)
          if (layer.lpSD == lpSrcSD) {
            rec.nKey += layer.nOffset;
            break;
          }
      }
      rec.lpDstSD = lpDstSD;
      rec.lpSrcSD = lpSrcSD;
      rec.nX = x; rec.nY = y; rec.nWidth = w; rec.nHeight = h;
      rec.nSrcX = sx; rec.nSrcY = sy; rec.nSrcWidth = sw; rec.nSrcHeight = sh;
      rec.dwFlags = dwFlags;
      rec.dwDrawColor = lpDTCon->dwDrawColor;
      rec.dwColorOp = lpDTCon->dwColorOp;
      rec.dwAlphaOp = lpDTCon->dwAlphaOp;
      rec.dwReserved = 0;
      g_vBatchData.push_back(rec);
      ++g_nBatchCount;
      return;
    }
    if (!DDBeginScene() || !DDSetRenderTarget(0, lpDstSD)) return;
    if (dwFlags == 0 && lpSrcSD->lpDT->bTransmit) DDClearKeyedRect(lpDstSD, x, y, w, h);
    DDDrawBatchQuad(lpDstSD, lpSrcSD, x, y, w, h, sx, sy, sw, sh, lpDTCon->dwDrawColor, lpDTCon->dwColorOp,
                    lpDTCon->dwAlphaOp);
    DDSetRenderTarget(0, lpDTCon->lpTargetSD);
    return;
  }
  // The pixel path: never queued.
  cSurfaceLock dstLock(lpDstSD);
  if (!dstLock.IsLocked()) return;
  cSurfaceLock srcLock(lpSrcSD);
  if (!srcLock.IsLocked()) return;
  bool b565 = lpDstSD == &g_BackBufferSD && dstLock.m_lpBuffer->Format() == PF_RGB565 &&
              srcLock.m_lpBuffer->Format() == PF_ARGB1555;
  PixelPathCopy(*dstLock.m_lpBuffer, x, y, w, h, *srcLock.m_lpBuffer, sx, sy, sw, sh, dwFlags, b565, g_MaskSetA,
                g_MaskSetB);
}

BOOL DDBeginScene() {
  if (!lpDevice || !lpDTCon) return FALSE;
  lpDTCon->bSceneBegun = 1;
  return TRUE;
}

void DDEndScene() {
  if (lpDTCon) lpDTCon->bSceneBegun = 0;
}

BOOL DDSetRenderTarget(DWORD, DDSURFACEDATA* lpSD) {
  if (!lpSD || !lpSD->lpDT || !lpSD->lpDT->bRenderTarget) return FALSE;
  return TRUE;
}

void DDSetVirtualBackBuffer(BOOL bOn) {
  if (!lpDTCon) return;
  if (!bOn && lpDTCon->bVirBackBuffer && g_VirBackBufferSD.lpDT && g_VirBackBufferSD.lpDT->lpSurface)
    DDCopyVirtualBackBuffer(&g_BackBufferSD, &g_VirBackBufferSD);
  lpDTCon->bVirBackBuffer = bOn;
  lpDTCon->lpTargetSD = bOn ? &g_VirBackBufferSD : &g_BackBufferSD;
}

void DDCopyVirtualBackBuffer(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc) {
  if (!lpDTCon || !lpSrc) return;
  lpDTCon->bCopying = 1;
  DDSetAlphaOp(DDTOP_DISABLE);
  DDBltFast(lpDst, 0, 0, lpSrc->nWidth, lpSrc->nHeight, lpSrc, 0, 0, 0);
  DDResetAlphaOp();
  lpDTCon->bCopying = 0;
}

void DDSetDrawColor(DWORD dwColor) {
  if (lpDTCon) lpDTCon->dwDrawColor = dwColor;
}
void DDResetDrawColor() {
  if (lpDTCon) lpDTCon->dwDrawColor = 0xFFFFFFFFu;
}
void DDSetColorOp(DWORD dwOp) {
  if (lpDTCon) lpDTCon->dwColorOp = dwOp;
}
void DDResetColorOp() {
  if (lpDTCon) lpDTCon->dwColorOp = DDTOP_MODULATE;
}
void DDSetAlphaOp(DWORD dwOp) {
  if (lpDTCon) lpDTCon->dwAlphaOp = dwOp;
}
void DDResetAlphaOp() {
  if (lpDTCon) lpDTCon->dwAlphaOp = DDTOP_SELECTARG1;
}

void DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, DWORD dwPalNum) {
  DWORD c = PalNumToRGB(dwPalNum);
  if (lpDTCon) {
    DDFillRectRGB(lpSD, x, y, w, h, c);
    return;
  }
  FillDirectDraw(lpSD, x, y, w, h, c);
}

void DDFillSurface(DDSURFACEDATA* lpSD, DWORD dwPalNum) {
  if (lpSD) DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwPalNum);
}

void DDFillSurfaceRGB(DDSURFACEDATA* lpSD, DWORD dwColor) {
  if (lpSD) DDFillRectRGB(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwColor);
}

void DDFillRectRGB(DDSURFACEDATA* lpSD, int x, int y, int w, int h, DWORD c) {
  if (!lpSD) return;
  if (!lpDTCon) {
    FillDirectDraw(lpSD, x, y, w, h, c);
    return;
  }
  DDResolveLinked(&lpSD);
  DDRedirectBackBuffer(&lpSD);
  cPixelBuffer* buf = DDSurfacePixels(lpSD);
  if (!buf) return;
  if (!lpSD->lpDT->bRenderTarget) {
    DWORD v = c;
    if (buf->BytesPerPixel() == 2) {
      const DDMASKSET& m = g_MaskSetB;
      v = ((c >> 16 & 0xFF) * m.dwRedMax / 255) << m.dwRedShift | ((c >> 8 & 0xFF) * m.dwGreenMax / 255) << m.dwGreenShift |
          ((c & 0xFF) * m.dwBlueMax / 255) << m.dwBlueShift | ((c >> 24) * m.dwAlphaMax / 255) << m.dwAlphaShift;
    }
    long long r = std::min<long long>(static_cast<long long>(x) + w, lpSD->nWidth);
    long long b = std::min<long long>(static_cast<long long>(y) + h, lpSD->nHeight);
    int l = std::max(x, 0), t = std::max(y, 0);
    if (l < r && t < b) buf->FillRaw(l, t, static_cast<int>(r - l), static_cast<int>(b - t), v);
    return;
  }
  long long l = std::max(x, 0), t = std::max(y, 0);
  long long r = std::min<long long>(static_cast<long long>(x) + w, lpSD->nWidth);
  long long b = std::min<long long>(static_cast<long long>(y) + h, lpSD->nHeight);
  if (l >= r || t >= b) return;
  x = static_cast<int>(l);
  y = static_cast<int>(t);
  w = static_cast<int>(r - l);
  h = static_cast<int>(b - t);
  int nBpp = g_DDDisplay.nBpp;
  bool bBack = lpSD == &g_BackBufferSD;
  // The back buffer has no transparent parts of its own, yet palette number
  // 0 filled into it is meant to show the transparent colour; without this
  // the fill would be a transparent quad and change nothing.
  bool bClear = (nBpp == 16 || nBpp == 32) &&
                ((lpSD->lpDT->bTransmit && c == (bBack ? lpDTCon->dwTransmitARGB : lpDTCon->dwPalZeroColor)) ||
                 (bBack && c == lpDTCon->dwPalZeroColor));
  if (bClear) {
    if (DDBeginScene() && DDSetRenderTarget(0, lpSD)) RasterClearRaw(*buf, x, y, w, h, DDTransparentClearRaw(lpSD));
    DDSetRenderTarget(0, lpDTCon->lpTargetSD);
    return;
  }
  if (s_bFillBatchOpen) {
    s_vFillBatch.push_back({lpSD, x, y, w, h, c});
    return;
  }
  if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return;
  FillQuad(*buf, x, y, w, h, c);
  DDSetRenderTarget(0, lpDTCon->lpTargetSD);
}

void DDBeginFillBatch() {
  if (!lpDTCon) return;
  s_bFillBatchOpen = 1;
  s_vFillBatch.clear();
}

void DDEndFillBatch() {
  if (!lpDTCon || s_vFillBatch.empty()) {
    s_bFillBatchOpen = 0;
    s_vFillBatch.clear();
    return;
  }
  for (const FILLRECORD& f : s_vFillBatch) {
    cPixelBuffer* buf = DDSurfacePixels(f.lpSD);
    if (!buf || !DDBeginScene() || !DDSetRenderTarget(0, f.lpSD)) continue;
    FillQuad(*buf, f.x, f.y, f.w, f.h, f.dwColor);
  }
  DDSetRenderTarget(0, lpDTCon->lpTargetSD);
  s_bFillBatchOpen = 0;
  s_vFillBatch.clear();
}

void DDResetFillBatch() {
  s_bFillBatchOpen = 0;
  s_vFillBatch.clear();
}
