// Frame, number and strip blits, blur and mosaic, the palette blends and the
// screen fades.
#include "media/graphics/dd_effects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/report.h"
#include "media/graphics/dd_fields.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_pixel_effects.h"
#include "media/graphics/dd_raster.h"
#include "platform/text_cp932.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The fade angles, per routine and per path (0 DirectDraw, 1 Direct3D).
// Written and read only by the thread that draws; the pause thread draws
// only while the game thread waits for it, so one thread at a time.
double s_adFadeOutAngle[2] = {90.0, 90.0};
double s_adFadeInAngle[2] = {0.0, 0.0};

// A position moved by an effect's running value, which comes from a chara
// record and may be near 2^31: far outside every surface rather than
// wrapped round (no surface is larger than 16384 on a side).
int Shifted(int v, long long d) {
  constexpr long long kFar = 1 << 24;
  return static_cast<int>(std::clamp(static_cast<long long>(v) + d, -kFar, kFar));
}

// One fade picture at ratio (256 the picture, 0 the colour).
void DrawFade(int nRatio, BYTE* lpWorkPal, int nFirst, int nLast, BYTE r, BYTE g, BYTE b, const BYTE* lpSrcPal) {
  if (!lpDTCon) {
    if (g_DDDisplay.nBpp == 8) {
      if (!lpWorkPal || !lpSrcPal) return;
      DDBlendPalette(lpWorkPal, nFirst, nLast, nRatio, r, g, b, lpSrcPal);
      nFirst = std::max(nFirst, 0);
      nLast = std::min(nLast, 255);
      if (nFirst <= nLast) DDSetPaletteEntries(nFirst, nLast - nFirst + 1, lpWorkPal + nFirst * 4);
      return;
    }
    DDFade_UnPal(&g_BackBufferSD, nRatio, r, g, b, &g_ScreenCopySD);
    return;
  }
  DDSURFACEDATA* lpTarget = &g_BackBufferSD;
  DDRedirectBackBuffer(&lpTarget);
  cPixelBuffer* buf = DDSurfacePixels(lpTarget);
  if (!buf || !DDBeginScene() || !DDSetRenderTarget(0, lpTarget)) return;
  DWORD dwAlpha = nRatio >= 255 ? 0 : static_cast<DWORD>(255 - nRatio);
  DDSTAGESTATE st;
  st.dwColorOp = DDTOP_SELECTARG2;
  st.dwColorArg2 = DDTA_DIFFUSE;
  st.dwAlphaOp = DDTOP_SELECTARG2;
  st.dwAlphaArg2 = DDTA_DIFFUSE;
  // The path's fade colour is always black.
  RasterQuad(*buf, 0, 0, lpTarget->nWidth, lpTarget->nHeight, nullptr, 0, 0, 0, 0, dwAlpha << 24, st);
  DDSetRenderTarget(0, lpDTCon->lpTargetSD);
}

BOOL FadeStep(double& dAngle, double dStart, double dEnd, BYTE* lpWorkPal, int nFirst, int nLast, BYTE r, BYTE g,
              BYTE b, double dStep, const BYTE* lpSrcPal, BOOL bFinish) {
  // A step of 0, a negative one or NaN would never reach the end and hold
  // the scene in its fade for ever.
  if (bFinish || !(dStep > 0)) dAngle = dEnd;
  if (!lpDTCon && dAngle == dStart && g_DDDisplay.nBpp > 8)
    DDBltFast(&g_ScreenCopySD, 0, 0, g_ScreenCopySD.nWidth, g_ScreenCopySD.nHeight, &g_BackBufferSD, 0, 0, 0);
  int nRatio = static_cast<int>(std::sin(dAngle * kPi / 180.0) * 256.0);
  nRatio = std::clamp(nRatio, 0, 256);
  DrawFade(nRatio, lpWorkPal, nFirst, nLast, r, g, b, lpSrcPal);
  if (dAngle != dEnd) {
    dAngle = dEnd > dStart ? std::min(dAngle + dStep, dEnd) : std::max(dAngle - dStep, dEnd);
    return FALSE;
  }
  dAngle = dStart;
  return TRUE;
}

}  // namespace

// ---- Frames and numbers ---------------------------------------------------------

void DDDrawFrame(DDSURFACEDATA* lpSD, int x, int y, int w, int h, int nThick, DWORD dwPalNum) {
  DDBeginFillBatch();
  DDFillRect(lpSD, x, y, w, nThick, dwPalNum);
  DDFillRect(lpSD, x, y + h - nThick, w, nThick, dwPalNum);
  DDFillRect(lpSD, x, y, nThick, h, dwPalNum);
  DDFillRect(lpSD, x + w - nThick, y, nThick, h, dwPalNum);
  DDEndFillBatch();
}

void DDBltFramed(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int nThick,
                 DWORD dwPalNum) {
  DDBltFast(lpDstSD, x, y, w, h, lpSrcSD, 0, 0, 0);
  DDDrawFrame(lpDstSD, x - nThick, y - nThick, w + 2 * nThick, h + 2 * nThick, nThick, dwPalNum);
}

void DDBltNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nCellW, int nCellH, DDSURFACEDATA* lpDigitSD, int sx,
                 int sy, DWORD dwFlags, int nValue, int nMinDigits, BOOL bCentre) {
  char digits[16];
  int n = 0;
  unsigned v = nValue < 0 ? 0u : static_cast<unsigned>(nValue);
  do {
    digits[n++] = static_cast<char>(v % 10);
    v /= 10;
  } while (v && n < 10);
  int nPad = nMinDigits > n ? (nMinDigits - n) * nCellW : 0;
  int px = x + (bCentre ? nPad / 2 : nPad);
  for (int i = n - 1; i >= 0; --i, px += nCellW)
    DDBltFast(lpDstSD, px, y, nCellW, nCellH, lpDigitSD, sx + digits[i] * nCellW, sy, dwFlags);
}

// ---- Strip effects --------------------------------------------------------------

void DDBltWave(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nDegScale, double dAmplitude, int nPhase,
               int nStrip, DDSURFACEDATA* lpSrcSD, int sx, int sy, DWORD dwFlags, BOOL bColumns) {
  if (nStrip <= 0 || w <= 0 || h <= 0) return;
  int nSize = bColumns ? w : h;
  double dGrow = 360.0 / nSize * nStrip;
  double dAcc = 0.0;
  DDBeginBatch(FALSE);
  for (int nOff = 0; nOff < nSize; nOff += nStrip) {
    dAcc += dGrow;
    int nDisp = static_cast<int>(std::sin((nPhase + dAcc) * nDegScale * kPi / 180.0) * dAmplitude);
    int n = std::min(nStrip, nSize - nOff);
    if (bColumns) DDBltFast(lpDstSD, x + nOff, y + nDisp, n, h, lpSrcSD, sx + nOff, sy, dwFlags);
    else DDBltFast(lpDstSD, x + nDisp, y + nOff, w, n, lpSrcSD, sx, sy + nOff, dwFlags);
  }
  DDEndBatch();
}

void DDBltInterlace(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nStrip, int nShift,
                    DDSURFACEDATA* lpSrcSD, int sx, int sy, DWORD dwFlags, BOOL bVertical) {
  if (nStrip == 0) {
    DDBltFast(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, dwFlags);
    return;
  }
  // A negative strip would count strips backwards and draw outside the
  // picture.
  if (nStrip < 0 || w <= 0 || h <= 0) return;
  int n = (bVertical ? w : h) / nStrip;
  DDBeginBatch(FALSE);
  for (int i = 0; i < n; ++i) {
    int nOff = i * nStrip;
    long long d = (i & 1) ? -static_cast<long long>(nShift) : nShift;
    if (bVertical) DDBltFast(lpDstSD, x + nOff, Shifted(y, d), nStrip, h, lpSrcSD, sx + nOff, sy, dwFlags);
    else DDBltFast(lpDstSD, Shifted(x, d), y + nOff, w, nStrip, lpSrcSD, sx, sy + nOff, dwFlags);
  }
  DDEndBatch();
}

void DDBltStripTransition(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcA, int sxA,
                          int syA, DDSURFACEDATA* lpSrcB, int sxB, int syB, int sw, int sh, DWORD dwFlags, int nPhase,
                          BOOL bVertical) {
  if (bVertical != 0 && bVertical != 1) return;
  int nSize = bVertical ? h : w;
  int nHalf = nSize / 2;
  // A picture narrower than two pixels has no half to squeeze by.
  if (nHalf < 1 || nPhase < 0) return;
  int q = nPhase / nHalf, r = nPhase % nHalf;
  int d = (q % 2 == 0) ? r : nHalf - r - 1;
  bool bA = ((nHalf + nPhase) / nSize) % 2 == 0;
  DDSURFACEDATA* lpSrc = bA ? lpSrcA : lpSrcB;
  int sx = bA ? sxA : sxB, sy = bA ? syA : syB;
  if (bVertical) DDBltD3D(lpDstSD, x, y + d, w, h - 2 * d, lpSrc, sx, sy, sw, sh, dwFlags);
  else DDBltD3D(lpDstSD, x + d, y, w - 2 * d, h, lpSrc, sx, sy, sw, sh, dwFlags);
}

void DDBltQuarters(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                   int nGap, DWORD dwFlags) {
  int hw = w / 2, hh = h / 2;
  DDBeginBatch(FALSE);
  const int l = Shifted(x, -static_cast<long long>(nGap)), r = Shifted(x + hw, nGap);
  const int t = Shifted(y, -static_cast<long long>(nGap)), b = Shifted(y + hh, nGap);
  DDBltFast(lpDstSD, l, t, hw, hh, lpSrcSD, sx, sy, dwFlags);
  DDBltFast(lpDstSD, r, t, hw, hh, lpSrcSD, sx + hw, sy, dwFlags);
  DDBltFast(lpDstSD, l, b, hw, hh, lpSrcSD, sx, sy + hh, dwFlags);
  DDBltFast(lpDstSD, r, b, hw, hh, lpSrcSD, sx + hw, sy + hh, dwFlags);
  DDEndBatch();
}

// ---- Blur and mosaic ------------------------------------------------------------

namespace {

// The source rectangle read out before anything is written, so a source
// that is also the destination is read as it was; points outside the
// source surface are marked.
struct SOURCECOPY {
  std::vector<uint32_t> vPixels;
  std::vector<uint8_t> vInside;
};

// The blur and the mosaic copy their whole rectangle first; a rectangle far
// beyond any picture (a number from a damaged file) is refused rather than
// allocated.
constexpr int MAX_EFFECT_SIDE = 4096;
bool EffectRectTooLarge(int w, int h) { return w > MAX_EFFECT_SIDE || h > MAX_EFFECT_SIDE; }

void CopySource(const cSurfaceLock& l, int sx, int sy, int w, int h, SOURCECOPY& c) {
  c.vPixels.assign(static_cast<size_t>(w) * h, 0);
  c.vInside.assign(static_cast<size_t>(w) * h, 0);
  int W = l.Width(), H = l.Height();
  for (int j = 0; j < h; ++j) {
    long long yy = static_cast<long long>(sy) + j;
    if (yy < 0 || yy >= H) continue;
    for (int i = 0; i < w; ++i) {
      long long xx = static_cast<long long>(sx) + i;
      if (xx < 0 || xx >= W) continue;
      size_t k = static_cast<size_t>(j) * w + i;
      c.vPixels[k] = l.m_lpBuffer->GetRaw(static_cast<int>(xx), static_cast<int>(yy));
      c.vInside[k] = 1;
    }
  }
}

// The part of (x, y, w, h) inside the destination, as offsets into the
// rectangle; false when nothing is left.
bool DestSpan(const cSurfaceLock& l, int x, int y, int w, int h, int& i0, int& i1, int& j0, int& j1) {
  long long W = l.Width(), H = l.Height();
  i0 = static_cast<int>(std::max(0LL, -static_cast<long long>(x)));
  j0 = static_cast<int>(std::max(0LL, -static_cast<long long>(y)));
  i1 = static_cast<int>(std::min<long long>(w, W - x));
  j1 = static_cast<int>(std::min<long long>(h, H - y));
  return i0 < i1 && j0 < j1;
}

}  // namespace

void DDBltBlur(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nRadiusX, int nRadiusY, DDSURFACEDATA* lpSrcSD,
               int sx, int sy, BOOL bKey) {
  if (g_DDDisplay.nBpp == 8) {
    Logf("%s", Sjis("8ビットぼかしは不可能！").c_str());
    return;
  }
  // A negative radius would leave the window empty and divide by zero.
  if (nRadiusX <= 0 || nRadiusY <= 0 || w <= 0 || h <= 0 || EffectRectTooLarge(w, h)) return;
  // Windows beyond the rectangle add nothing; the cap keeps a huge radius
  // from costing more than a full one.
  nRadiusX = std::min(nRadiusX, w);
  nRadiusY = std::min(nRadiusY, h);
  cSurfaceLock src(lpSrcSD);
  if (!src.IsLocked()) return;
  SOURCECOPY c;
  CopySource(src, sx, sy, w, h, c);
  cSurfaceLock dst(lpDstSD);
  if (!dst.IsLocked()) return;
  int nBytes = src.m_lpBuffer->BytesPerPixel();
  if ((nBytes != 2 && nBytes != 4) || dst.m_lpBuffer->BytesPerPixel() != nBytes) return;
  int i0, i1, j0, j1;
  if (!DestSpan(dst, x, y, w, h, i0, i1, j0, j1)) return;
  bool bD3D = lpDTCon != nullptr;
  PIXELFIELDS sf = FieldsOf(src.m_lpBuffer->Format(), bD3D), df = FieldsOf(dst.m_lpBuffer->Format(), bD3D);
  std::vector<int> vR(c.vPixels.size()), vG(c.vPixels.size()), vB(c.vPixels.size());
  std::vector<uint8_t> vUse(c.vPixels.size());
  for (size_t k = 0; k < c.vPixels.size(); ++k) {
    SplitPixel(sf, c.vPixels[k], vR[k], vG[k], vB[k]);
    vUse[k] = c.vInside[k] && !(bKey == 1 && IsKeyPixel(nBytes, c.vPixels[k]));
  }
  cPixelBuffer& out = *dst.m_lpBuffer;
  for (int j = j0; j < j1; ++j)
    for (int i = i0; i < i1; ++i) {
      if (!vUse[static_cast<size_t>(j) * w + i]) continue;
      long long sr = 0, sg = 0, sb = 0, n = 0;
      int a0 = std::max(0, i - nRadiusX), a1 = std::min(w, i + nRadiusX);
      int b0 = std::max(0, j - nRadiusY), b1 = std::min(h, j + nRadiusY);
      for (int bj = b0; bj < b1; ++bj)
        for (int ai = a0; ai < a1; ++ai) {
          size_t k = static_cast<size_t>(bj) * w + ai;
          if (!vUse[k]) continue;
          sr += vR[k];
          sg += vG[k];
          sb += vB[k];
          ++n;
        }
      if (n == 0) continue;
      out.SetRaw(x + i, y + j,
                 PackPixel(df, RescaleField(static_cast<int>(sr / n), sf.nRedMax, df.nRedMax),
                           RescaleField(static_cast<int>(sg / n), sf.nGreenMax, df.nGreenMax),
                           RescaleField(static_cast<int>(sb / n), sf.nBlueMax, df.nBlueMax)));
    }
}

void DDBltMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nCell, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                 BOOL bKey) {
  // A cell below 1 would never step through the rectangle.
  if (nCell < 1 || w <= 0 || h <= 0 || EffectRectTooLarge(w, h)) return;
  cSurfaceLock src(lpSrcSD);
  if (!src.IsLocked()) return;
  SOURCECOPY c;
  CopySource(src, sx, sy, w, h, c);
  cSurfaceLock dst(lpDstSD);
  if (!dst.IsLocked()) return;
  int nBytes = src.m_lpBuffer->BytesPerPixel();
  if (dst.m_lpBuffer->BytesPerPixel() != nBytes) return;
  int i0, i1, j0, j1;
  if (!DestSpan(dst, x, y, w, h, i0, i1, j0, j1)) return;
  bool bD3D = lpDTCon != nullptr;
  PIXELFIELDS sf = FieldsOf(src.m_lpBuffer->Format(), bD3D), df = FieldsOf(dst.m_lpBuffer->Format(), bD3D);
  cPixelBuffer& out = *dst.m_lpBuffer;
  for (int cy = 0; cy < h; cy += nCell)
    for (int cx = 0; cx < w; cx += nCell) {
      int ce = std::min(w, cx + nCell), re = std::min(h, cy + nCell);
      uint32_t v;
      if (nBytes == 1) {
        size_t k = static_cast<size_t>(cy) * w + cx;
        if (!c.vInside[k] || (bKey == 1 && IsKeyPixel(1, c.vPixels[k]))) continue;
        v = c.vPixels[k];
      } else {
        long long sr = 0, sg = 0, sb = 0, n = 0;
        for (int j = cy; j < re; ++j)
          for (int i = cx; i < ce; ++i) {
            size_t k = static_cast<size_t>(j) * w + i;
            if (!c.vInside[k] || (bKey == 1 && IsKeyPixel(nBytes, c.vPixels[k]))) continue;
            int r, g, b;
            SplitPixel(sf, c.vPixels[k], r, g, b);
            sr += FieldTo255(r, sf.nRedMax);
            sg += FieldTo255(g, sf.nGreenMax);
            sb += FieldTo255(b, sf.nBlueMax);
            ++n;
          }
        if (n == 0) continue;
        v = PackPixel(df, FieldFrom255(static_cast<int>(sr / n), df.nRedMax),
                      FieldFrom255(static_cast<int>(sg / n), df.nGreenMax),
                      FieldFrom255(static_cast<int>(sb / n), df.nBlueMax));
      }
      for (int j = std::max(cy, j0); j < std::min(re, j1); ++j)
        for (int i = std::max(cx, i0); i < std::min(ce, i1); ++i) out.SetRaw(x + i, y + j, v);
    }
}

// ---- Palettes and fades ---------------------------------------------------------

void DDBlendPalette(BYTE* lpDstPal, int nFirst, int nLast, int nRatio, BYTE r, BYTE g, BYTE b,
                    const BYTE* lpSrcPal) {
  if (!lpDstPal || !lpSrcPal) return;
  nFirst = std::max(nFirst, 0);
  nLast = std::min(nLast, 255);
  const int c[3] = {r, g, b};
  for (int i = nFirst; i <= nLast; ++i) {
    for (int k = 0; k < 3; ++k)
      lpDstPal[i * 4 + k] = static_cast<BYTE>((lpSrcPal[i * 4 + k] * nRatio + c[k] * (256 - nRatio)) >> 8);
    lpDstPal[i * 4 + 3] = 1;
  }
}

void DDRotatePalette(BYTE* lpDstPal, int nFirst, int nLast, int nShift, int nDir, const BYTE* lpSrcPal) {
  int nBpp = g_DDDisplay.nBpp;
  if (!lpDstPal || !lpSrcPal || (nBpp != 8 && nBpp != 16 && nBpp != 32)) return;
  BYTE src[256 * 4];
  std::memcpy(src, lpSrcPal, sizeof src);
  std::memcpy(lpDstPal, src, sizeof src);
  nFirst = std::max(nFirst, 0);
  nLast = std::min(nLast, 255);
  int n = nLast - nFirst + 1;
  if (n <= 0 || (nDir != 0 && nDir != 1)) return;
  int s = ((nShift % n) + n) % n;
  for (int k = 0; k < n; ++k) {
    int from = nDir == 0 ? k : (k + s) % n;
    int to = nDir == 0 ? (k + s) % n : k;
    std::memcpy(lpDstPal + (nFirst + to) * 4, src + (nFirst + from) * 4, 4);
  }
}

BOOL DDFadeOut(BYTE* lpWorkPal, int nFirst, int nLast, BYTE r, BYTE g, BYTE b, double dStep, const BYTE* lpSrcPal,
               BOOL bFinish) {
  return FadeStep(s_adFadeOutAngle[lpDTCon ? 1 : 0], 90.0, 0.0, lpWorkPal, nFirst, nLast, r, g, b, dStep, lpSrcPal,
                  bFinish);
}

BOOL DDFadeIn(BYTE* lpWorkPal, int nFirst, int nLast, BYTE r, BYTE g, BYTE b, double dStep, const BYTE* lpSrcPal,
              BOOL bFinish) {
  return FadeStep(s_adFadeInAngle[lpDTCon ? 1 : 0], 0.0, 90.0, lpWorkPal, nFirst, nLast, r, g, b, dStep, lpSrcPal,
                  bFinish);
}

void DDResetFadesForTests() {
  s_adFadeOutAngle[0] = s_adFadeOutAngle[1] = 90.0;
  s_adFadeInAngle[0] = s_adFadeInAngle[1] = 0.0;
}
