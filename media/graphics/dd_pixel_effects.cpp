// Tint, half blend, circle, lens, rotation and colour change, the surface
// fade of the 16- and 32-bit modes and the 8-bit colour table.
#include "media/graphics/dd_pixel_effects.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/report.h"
#include "media/graphics/dd_fields.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_raster.h"
#include "platform/file_system.h"
#include "platform/text_cp932.h"

BYTE g_ColorTable[256 * 256];

namespace {

constexpr double kPi = 3.14159265358979323846;

// Texture-factor alphas of the tint per strength 1 to 4: the device's quad
// and the pixel path were tuned apart.
constexpr int kTintQuadAlpha[4] = {0x80, 0x50, 0x30, 0x10};
constexpr int kTintPixelAlpha[4] = {0x80, 0x40, 0x20, 0x10};
// Halving toward a colour reaches its end value within 9 steps; more
// change nothing.
constexpr int kMaxHalvings = 16;

// A raw pixel of one format as a pixel of another (texture to back buffer).
inline uint32_t ConvertRaw(const PIXELFIELDS& sf, const PIXELFIELDS& df, bool bSame, uint32_t p) {
  if (bSame) return p;
  int r, g, b;
  SplitPixel(sf, p, r, g, b);
  return PackPixel(df, RescaleField(r, sf.nRedMax, df.nRedMax), RescaleField(g, sf.nGreenMax, df.nGreenMax),
                   RescaleField(b, sf.nBlueMax, df.nBlueMax));
}

// The Direct3D path's common start: the source rectangle of a mirrored
// surface turned round, both surfaces taken to the ones that hold pixels.
// sw may come back negative (read right to left).
bool PrepareD3D(DDSURFACEDATA*& lpDst, DDSURFACEDATA*& lpSrc, int& sx, int& sy, int& sw, int& sh) {
  if (!lpDst || !lpSrc) return false;
  DDClipSource(lpSrc, &sx, &sy, &sw, &sh);
  DDResolveLinked(&lpDst);
  DDResolveLinked(&lpSrc);
  DDRedirectBackBuffer(&lpDst);
  DDRedirectBackBuffer(&lpSrc);
  return lpDst->lpDT && lpSrc->lpDT && DDSurfacePixels(lpDst) && DDSurfacePixels(lpSrc);
}

// bClip: the rectangles are cut to both surfaces first, so that a source
// rectangle outside the texture draws nothing rather than wrapping round.
void DrawQuad(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
              DWORD dwDiffuse, const DDSTAGESTATE& st, bool bClip = true) {
  if (bClip && !DDClipBlt(lpDst, &x, &y, &w, &h, lpSrc, &sx, &sy, &sw, &sh)) return;
  if (!DDBeginScene() || !DDSetRenderTarget(0, lpDst)) return;
  RasterQuad(*DDSurfacePixels(lpDst), x, y, w, h, DDSurfacePixels(lpSrc), sx, sy, sw, sh, dwDiffuse, st);
  DDSetRenderTarget(0, lpDTCon->lpTargetSD);
}

// Walks the w x h rectangle; fn(dst x, dst y, source pixel) for every point
// whose source lies in the source surface and whose destination lies in the
// destination. sw < 0 reads the source right to left from sx - 1, sh < 0
// bottom to top from sy - 1.
template <class FN>
void ForEachPixel(const cSurfaceLock& src, const cSurfaceLock& dst, int x, int y, int w, int h, int sx, int sy, int sw,
                  int sh, FN fn) {
  int SW = src.Width(), SH = src.Height(), DW = dst.Width(), DH = dst.Height();
  const cPixelBuffer& s = *src.m_lpBuffer;
  for (int j = 0; j < h; ++j) {
    long long syy = sh >= 0 ? static_cast<long long>(sy) + j : static_cast<long long>(sy) - 1 - j;
    long long dyy = static_cast<long long>(y) + j;
    if (syy < 0 || syy >= SH || dyy < 0 || dyy >= DH) continue;
    for (int i = 0; i < w; ++i) {
      long long sxx = sw >= 0 ? static_cast<long long>(sx) + i : static_cast<long long>(sx) - 1 - i;
      long long dxx = static_cast<long long>(x) + i;
      if (sxx < 0 || sxx >= SW || dxx < 0 || dxx >= DW) continue;
      fn(static_cast<int>(dxx), static_cast<int>(dyy), s.GetRaw(static_cast<int>(sxx), static_cast<int>(syy)));
    }
  }
}

// The Direct3D path's own pixel walk, for a source the device cannot draw
// as a quad: both surfaces of one pixel size of 2 or 4 bytes, the source
// read as sw x sh (mirrored where negative) onto (x, y);
// fn(destination pixels, their fields, dst x, dst y, texel) for each texel
// drawn (with dwFlags 1, only those that are not transparent).
template <class FN>
void ForEachTexel(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int x, int y, int sx, int sy, int sw, int sh,
                  DWORD dwFlags, FN fn) {
  cSurfaceLock src(lpSrc);
  cSurfaceLock dst(lpDst);
  if (!src.IsLocked() || !dst.IsLocked()) return;
  cPixelBuffer& out = *dst.m_lpBuffer;
  int nBytes = src.m_lpBuffer->BytesPerPixel();
  if ((nBytes != 2 && nBytes != 4) || out.BytesPerPixel() != nBytes) return;
  PIXELFIELDS df = FieldsOf(out.Format(), true);
  ForEachPixel(src, dst, x, y, sw < 0 ? -sw : sw, sh < 0 ? -sh : sh, sx, sy, sw, sh, [&](int dx, int dy, uint32_t p) {
    if (dwFlags == 1 && IsTransparentTexel(nBytes, p)) return;
    fn(out, df, dx, dy, p);
  });
}

// f applied n times, for an f over the 256 palette numbers: by squaring, so
// a strength from a file costs at most 31 compositions.
void PowerOfMap(const BYTE* f, long long n, BYTE* out) {
  BYTE base[256], tmp[256];
  std::memcpy(base, f, 256);
  for (int i = 0; i < 256; ++i) out[i] = static_cast<BYTE>(i);
  while (n > 0) {
    if (n & 1)
      for (int i = 0; i < 256; ++i) out[i] = base[out[i]];
    for (int i = 0; i < 256; ++i) tmp[i] = base[base[i]];
    std::memcpy(base, tmp, 256);
    n >>= 1;
  }
}

}  // namespace

// ---- Tint and blend ---------------------------------------------------------------

void DDBltTint(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               DWORD dwFlags, const BYTE* lpPal, const BYTE* lpTable, int nColor, int nCount) {
  if (nCount == 0 || !lpPal || w <= 0 || h <= 0 || nColor < 0 || nColor > 255) return;
  const BYTE* e = lpPal + nColor * 4;
  if (!lpDTCon) {
    cSurfaceLock src(lpSrcSD);
    if (!src.IsLocked()) return;
    cSurfaceLock dst(lpDstSD);
    if (!dst.IsLocked()) return;
    cPixelBuffer& out = *dst.m_lpBuffer;
    int nBytes = out.BytesPerPixel();
    if (src.m_lpBuffer->BytesPerPixel() != nBytes) return;
    bool bSkip = dwFlags == 1;
    int nTimes = nCount < 0 ? 0 : std::min(nCount, kMaxHalvings);
    if (nBytes == 1) {
      if (!lpTable) return;
      BYTE f[256], map[256];
      for (int i = 0; i < 256; ++i) f[i] = lpTable[i * 256 + nColor];
      PowerOfMap(f, nCount < 0 ? 0 : nCount, map);
      ForEachPixel(src, dst, x, y, w, h, sx, sy, 1, 1, [&](int dx, int dy, uint32_t p) {
        if (bSkip && p == g_dwColorKey) return;
        out.SetRaw(dx, dy, map[p & 0xFF]);
      });
      return;
    }
    PIXELFIELDS f = FieldsOf(out.Format(), false);
    // The palette holds field values at 16 bits and bytes at 32.
    int cr = FieldTo255(e[0], f.nRedMax), cg = FieldTo255(e[1], f.nGreenMax), cb = FieldTo255(e[2], f.nBlueMax);
    ForEachPixel(src, dst, x, y, w, h, sx, sy, 1, 1, [&](int dx, int dy, uint32_t p) {
      if (bSkip && p == g_dwColorKey) return;
      if (nCount < 0) {
        out.SetRaw(dx, dy, p);
        return;
      }
      int r, g, b;
      SplitPixel(f, p, r, g, b);
      r = FieldTo255(r, f.nRedMax);
      g = FieldTo255(g, f.nGreenMax);
      b = FieldTo255(b, f.nBlueMax);
      for (int k = 0; k < nTimes; ++k) {
        r = (r + cr) >> 1;
        g = (g + cg) >> 1;
        b = (b + cb) >> 1;
      }
      out.SetRaw(dx, dy, PackPixel(f, FieldFrom255(r, f.nRedMax), FieldFrom255(g, f.nGreenMax), FieldFrom255(b, f.nBlueMax)));
    });
    return;
  }
  if (nCount < 0) return;
  int sw = w, sh = h;
  if (!PrepareD3D(lpDstSD, lpSrcSD, sx, sy, sw, sh)) return;
  if (DDDrawsAsQuad(lpDstSD, lpSrcSD)) {
    int a = nCount <= 4 ? kTintQuadAlpha[nCount - 1] : 0;
    DDSTAGESTATE st;
    st.dwColorOp = DDTOP_BLENDFACTORALPHA;
    st.dwColorArg1 = DDTA_TEXTURE;
    st.dwColorArg2 = DDTA_TFACTOR;
    st.dwAlphaOp = DDTOP_SELECTARG1;
    st.dwAlphaArg1 = DDTA_TEXTURE;
    st.dwTextureFactor = static_cast<DWORD>(a) << 24 | static_cast<DWORD>(e[0]) << 16 | static_cast<DWORD>(e[1]) << 8 | e[2];
    DrawQuad(lpDstSD, lpSrcSD, x, y, w, h, sx, sy, sw, sh, 0xFFFFFFFFu, st);
    return;
  }
  double dF = (nCount <= 4 ? kTintPixelAlpha[nCount - 1] : 0) / 255.0;
  // PrepareD3D has found the source's pixels.
  PIXELFIELDS sf = FieldsOf(DDSurfacePixels(lpSrcSD)->Format(), true);
  int cr = FieldFrom255(e[0], sf.nRedMax), cg = FieldFrom255(e[1], sf.nGreenMax), cb = FieldFrom255(e[2], sf.nBlueMax);
  auto mix = [&](int c, int col) {
    return nCount == 1 ? (c + col) >> 1 : static_cast<int>(c * dF + col * (1.0 - dF));
  };
  ForEachTexel(lpDstSD, lpSrcSD, x, y, sx, sy, sw, sh, dwFlags,
               [&](cPixelBuffer& out, const PIXELFIELDS& df, int dx, int dy, uint32_t p) {
                 int r, g, b;
                 SplitPixel(sf, p, r, g, b);
                 out.SetRaw(dx, dy,
                            PackPixel(df, RescaleField(mix(r, cr), sf.nRedMax, df.nRedMax),
                                      RescaleField(mix(g, cg), sf.nGreenMax, df.nGreenMax),
                                      RescaleField(mix(b, cb), sf.nBlueMax, df.nBlueMax)));
               });
}

void DDBltBlend(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                DWORD dwFlags, const BYTE* lpTable, int nAlpha) {
  if (w <= 0 || h <= 0) return;
  if (!lpDTCon) {
    cSurfaceLock src(lpSrcSD);
    if (!src.IsLocked()) return;
    cSurfaceLock dst(lpDstSD);
    if (!dst.IsLocked()) return;
    cPixelBuffer& out = *dst.m_lpBuffer;
    int nBytes = out.BytesPerPixel();
    if (src.m_lpBuffer->BytesPerPixel() != nBytes) return;
    if (nBytes == 1) {
      if (!lpTable) return;
      ForEachPixel(src, dst, x, y, w, h, sx, sy, 1, 1, [&](int dx, int dy, uint32_t s) {
        if (dwFlags == 1 && s == 0) return;
        uint32_t d = out.GetRaw(dx, dy);
        out.SetRaw(dx, dy, d == 0 ? s : lpTable[s + d * 256]);
      });
      return;
    }
    PIXELFIELDS f = FieldsOf(out.Format(), false);
    ForEachPixel(src, dst, x, y, w, h, sx, sy, 1, 1, [&](int dx, int dy, uint32_t s) {
      if (dwFlags == 1 && s == g_dwColorKey) return;
      uint32_t d = out.GetRaw(dx, dy);
      if (d == g_dwColorKey) {
        out.SetRaw(dx, dy, s);
        return;
      }
      int sr, sg, sb, dr, dg, db;
      SplitPixel(f, s, sr, sg, sb);
      SplitPixel(f, d, dr, dg, db);
      auto avg = [](int a, int b, uint32_t m) { return FieldFrom255((FieldTo255(a, m) + FieldTo255(b, m)) >> 1, m); };
      out.SetRaw(dx, dy, PackPixel(f, avg(sr, dr, f.nRedMax), avg(sg, dg, f.nGreenMax), avg(sb, db, f.nBlueMax)));
    });
    return;
  }
  int sw = w, sh = h;
  if (!PrepareD3D(lpDstSD, lpSrcSD, sx, sy, sw, sh)) return;
  if (DDDrawsAsQuad(lpDstSD, lpSrcSD)) {
    DDSTAGESTATE st;
    st.dwColorOp = DDTOP_MODULATE;
    st.dwAlphaOp = DDTOP_MODULATE;
    DWORD dwAlpha = static_cast<DWORD>(255 - std::clamp(nAlpha, 0, 255));
    DrawQuad(lpDstSD, lpSrcSD, x, y, w, h, sx, sy, sw, sh, dwAlpha << 24 | 0xFFFFFFu, st);
    return;
  }
  PIXELFIELDS sf = FieldsOf(DDSurfacePixels(lpSrcSD)->Format(), true);
  ForEachTexel(lpDstSD, lpSrcSD, x, y, sx, sy, sw, sh, dwFlags,
               [&](cPixelBuffer& out, const PIXELFIELDS& df, int dx, int dy, uint32_t s) {
                 int sr, sg, sb, dr, dg, db;
                 SplitPixel(sf, s, sr, sg, sb);
                 SplitPixel(df, out.GetRaw(dx, dy), dr, dg, db);
                 out.SetRaw(dx, dy,
                            PackPixel(df, (RescaleField(sr, sf.nRedMax, df.nRedMax) + dr) >> 1,
                                      (RescaleField(sg, sf.nGreenMax, df.nGreenMax) + dg) >> 1,
                                      (RescaleField(sb, sf.nBlueMax, df.nBlueMax) + db) >> 1));
               });
}

void DDBlendRectAlpha(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                      DWORD dwFlags, const BYTE* lpTable) {
  DDBltBlend(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, dwFlags, lpTable, 128);
}

// ---- Circle -------------------------------------------------------------------------

namespace {

// The half-width rule of a circle row: -e is the strip's right end.
int CircleLeft(int r, int dy) {
  long long q = static_cast<long long>(r) * r - static_cast<long long>(dy) * dy;
  int e = q > 0 ? -static_cast<int>(std::sqrt(static_cast<double>(q))) : 0;
  if (-e >= r) e += 1;
  return e;
}

}  // namespace

void DDBltCircle(DDSURFACEDATA* lpDstSD, int x, int y, int nHalfWidth, int nHalfHeight, int nRadius, int nStrip,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, DWORD dwFlags) {
  if (nRadius < 1 || nStrip < 1 || !lpSrcSD) return;
  long long nLo = std::max(0LL, static_cast<long long>(sx) - nHalfWidth);
  long long nHi = std::min<long long>(static_cast<long long>(sx) + nHalfWidth, lpSrcSD->nWidth);
  auto strip = [&](int dy, int nRows, int e) {
    long long a = static_cast<long long>(sx) + e, b = static_cast<long long>(sx) - e;
    a = std::max(a, nLo);
    b = std::min(b, nHi);
    if (a >= b) return;
    int dx = static_cast<int>(a - sx);
    int w = static_cast<int>(b - a);
    if (lpDTCon) DDBltD3D(lpDstSD, x + dx, y + dy, w, nRows, lpSrcSD, sx + dx, sy + dy, w, nRows, dwFlags);
    else DDBltFast(lpDstSD, x + dx, y + dy, w, nRows, lpSrcSD, sx + dx, sy + dy, dwFlags);
  };
  DDBeginBatch(0);
  // The radius is a running value from the chara's effect record and may be
  // near 2^31: the walks below stay within the picture's rows.
  if (nStrip == 1) {
    for (int dy = std::min(nRadius - 1, nHalfHeight); dy >= std::max(-nRadius, -nHalfHeight); --dy)
      strip(dy, 1, CircleLeft(nRadius, dy));
  } else {
    // Bands that would reach past the picture are drawn at its edge, so a
    // radius beyond the picture draws the edge band again and again. Every
    // blend of the device moves each 8-bit channel monotonically toward a
    // fixed end, so after 256 identical draws another changes nothing.
    constexpr int kMaxSameBands = 256;
    const long long nLastTop = static_cast<long long>(nHalfHeight) - nStrip + 1;
    int nPrevTop = 0, nSame = 0;
    for (long long dy = static_cast<long long>(nRadius) - nStrip; dy >= -static_cast<long long>(nRadius);
         dy -= nStrip) {
      int top = static_cast<int>(std::max<long long>(-nHalfHeight, std::min(dy, nLastTop)));
      nSame = nSame && top == nPrevTop ? nSame + 1 : 1;
      nPrevTop = top;
      if (nSame <= kMaxSameBands) {
        strip(top, nStrip, CircleLeft(nRadius, top + nStrip / 2));
      } else if (dy >= nLastTop) {
        dy -= (dy - nLastTop) / nStrip * nStrip;  // past the bands above the picture
      } else {
        break;  // every band left is the bottom edge's
      }
    }
  }
  DDEndBatch();
}

// ---- Lens ---------------------------------------------------------------------------

void DDBltLens(DDSURFACEDATA* lpDstSD, int cx, int cy, int nRadius, int nDepth, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               DWORD dwFlags, BOOL bClear) {
  if (nRadius < 0 || nDepth < 0 || nRadius > 16384 || nDepth > 16384) return;
  long long R = nRadius, D = nDepth;
  long long nRoot = static_cast<long long>(std::sqrt(static_cast<double>(R * R + D * D)));
  if (nRoot <= D) return;
  long long K = nRoot * nRoot;
  cSurfaceLock src(lpSrcSD);
  if (!src.IsLocked()) return;
  cSurfaceLock dst(lpDstSD);
  if (!dst.IsLocked()) return;
  int nBytes = src.m_lpBuffer->BytesPerPixel();
  if (dst.m_lpBuffer->BytesPerPixel() != nBytes) return;
  // A lens over its own picture reads the picture as it was.
  cPixelBuffer copy;
  const cPixelBuffer* lpIn = src.m_lpBuffer;
  if (src.m_lpBuffer == dst.m_lpBuffer) {
    copy = *src.m_lpBuffer;
    lpIn = &copy;
  }
  cPixelBuffer& out = *dst.m_lpBuffer;
  bool bD3D = lpDTCon != nullptr;
  PIXELFIELDS sf = FieldsOf(lpIn->Format(), bD3D), df = FieldsOf(out.Format(), bD3D);
  bool bSame = lpIn->Format() == out.Format();
  bool bClearSquare = bD3D && nBytes == 4 && bClear;
  int SW = src.Width(), SH = src.Height(), DW = dst.Width(), DH = dst.Height();
  for (long long dy = -R; dy <= R; ++dy) {
    long long py = cy + dy;
    if (py < 0 || py >= DH) continue;
    for (long long dx = -R; dx <= R; ++dx) {
      long long px = cx + dx;
      if (px < 0 || px >= DW) continue;
      long long d2 = dx * dx + dy * dy;
      bool bDrawn = false;
      uint32_t p = 0;
      if (d2 <= R * R) {
        double s = std::sqrt(static_cast<double>(K - d2));
        long long ox = dx, oy = dy;
        if (s != 0.0) {
          ox = static_cast<long long>(static_cast<double>(dx * D) / s + 0.5);
          oy = static_cast<long long>(static_cast<double>(dy * D) / s + 0.5);
        }
        long long qx = sx + ox, qy = sy + oy;
        if (qx >= 0 && qx < SW && qy >= 0 && qy < SH) {
          p = lpIn->GetRaw(static_cast<int>(qx), static_cast<int>(qy));
          if (!bD3D) bDrawn = p != g_dwColorKey;
          else if (nBytes == 4) bDrawn = (p >> 24) != 0;
          else bDrawn = !(dwFlags == 1 && IsTransparentTexel(2, p));
        }
      } else if (!bClearSquare) {
        continue;
      }
      if (bDrawn) out.SetRaw(static_cast<int>(px), static_cast<int>(py), ConvertRaw(sf, df, bSame, p));
      else if (bClearSquare) out.SetRaw(static_cast<int>(px), static_cast<int>(py), 0);
    }
  }
}

// ---- Rotation -----------------------------------------------------------------------

namespace {

// Narrows [kLo, kHi] to the steps k with lo <= a0 + d * k < hi.
void StepRange(long long a0, long long d, long long lo, long long hi, long long& kLo, long long& kHi) {
  auto floorDiv = [](long long p, long long q) {
    long long r = p / q;
    return (p % q != 0 && ((p < 0) != (q < 0))) ? r - 1 : r;
  };
  if (d == 0) {
    if (a0 < lo || a0 >= hi) kHi = kLo - 1;
    return;
  }
  long long first, last;
  if (d > 0) {
    first = -floorDiv(a0 - lo, d);            // ceil((lo - a0) / d)
    last = floorDiv(hi - 1 - a0, d);
  } else {
    first = -floorDiv(hi - 1 - a0, -d);       // ceil((a0 - (hi - 1)) / -d)
    last = floorDiv(a0 - lo, -d);
  }
  kLo = std::max(kLo, first);
  kHi = std::min(kHi, last);
}

// Steps 1 and 2 of the rotation over locked pixels, 10-bit fixed point.
void RotatePixels(const cSurfaceLock& src, const cSurfaceLock& dst, int x, int y, int w, int h, int cx, int cy,
                  int nAngle, int sx, int sy, int sw, DWORD dwFlags) {
  const double dRad = -nAngle * kPi / 180.0;
  const long long C = static_cast<long long>(std::cos(dRad) * 1024.0);
  const long long S = static_cast<long long>(std::sin(dRad) * 1024.0);
  // The corners turned by +nAngle: cos is even, sin odd.
  const long long Cp = C, Sp = -S;
  long long u0 = LLONG_MAX, u1 = LLONG_MIN, v0 = LLONG_MAX, v1 = LLONG_MIN;
  for (long long cu : {0LL, static_cast<long long>(w)})
    for (long long cv : {0LL, static_cast<long long>(h)}) {
      long long du = cu - cx, dv = cv - cy;
      long long ru = ((du * Cp - dv * Sp) >> 10) + cx, rv = ((du * Sp + dv * Cp) >> 10) + cy;
      u0 = std::min(u0, ru);
      u1 = std::max(u1, ru);
      v0 = std::min(v0, rv);
      v1 = std::max(v1, rv);
    }
  u0 -= 2;
  v0 -= 2;
  u1 += 2;
  v1 += 2;
  const cPixelBuffer* lpIn = src.m_lpBuffer;
  cPixelBuffer copy;
  if (src.m_lpBuffer == dst.m_lpBuffer) {
    copy = *src.m_lpBuffer;
    lpIn = &copy;
  }
  cPixelBuffer& out = *dst.m_lpBuffer;
  int nBytes = lpIn->BytesPerPixel();
  bool bD3D = lpDTCon != nullptr;
  PIXELFIELDS sf = FieldsOf(lpIn->Format(), bD3D), df = FieldsOf(out.Format(), bD3D);
  bool bSame = lpIn->Format() == out.Format();
  bool bSkip = dwFlags == 1;
  long long SW = src.Width(), SH = src.Height(), DW = dst.Width(), DH = dst.Height();
  // Only the part of the box that lands in the destination is walked.
  long long uA = std::max(u0, static_cast<long long>(cx) - x), uB = std::min(u1, DW - 1 - x + cx);
  long long vA = std::max(v0, static_cast<long long>(cy) - y), vB = std::min(v1, DH - 1 - y + cy);
  for (long long v = vA; v <= vB; ++v) {
    long long dv = v - cy;
    long long du = uA - cx;
    long long a0 = du * C - dv * S, b0 = du * S + dv * C;
    // Only the steps k whose column and row fall in the rectangle.
    long long kLo = 0, kHi = uB - uA;
    StepRange(a0, C, -static_cast<long long>(cx) * 1024, (static_cast<long long>(w) - cx) * 1024, kLo, kHi);
    StepRange(b0, S, -static_cast<long long>(cy) * 1024, (static_cast<long long>(h) - cy) * 1024, kLo, kHi);
    int py = static_cast<int>(y + dv);
    long long a = a0 + C * kLo, b = b0 + S * kLo;
    for (long long k = kLo; k <= kHi; ++k, a += C, b += S) {
      long long col = (a >> 10) + cx, row = (b >> 10) + cy;
      if (col < 0 || col >= w || row < 0 || row >= h) continue;
      long long qx = sw >= 0 ? sx + col : sx - 1 - col, qy = sy + row;
      if (qx < 0 || qx >= SW || qy < 0 || qy >= SH) continue;
      uint32_t p = lpIn->GetRaw(static_cast<int>(qx), static_cast<int>(qy));
      if (bSkip && IsKeyPixel(nBytes, p)) continue;
      out.SetRaw(static_cast<int>(x + (uA + k - cx)), py, ConvertRaw(sf, df, bSame, p));
    }
  }
}

// The device's rotated quad: every destination pixel whose centre falls in
// the turned rectangle takes its texel through stage 0 and is blended.
void RotateQuad(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int x, int y, int w, int h, int cx, int cy, int nAngle,
                int sx, int sy, int sw, int sh) {
  if (!DDBeginScene() || !DDSetRenderTarget(0, lpDst)) return;
  cPixelBuffer& out = *DDSurfacePixels(lpDst);
  const cPixelBuffer& tex = *DDSurfacePixels(lpSrc);
  const double a = nAngle * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (double cu : {0.0, static_cast<double>(w)})
    for (double cv : {0.0, static_cast<double>(h)}) {
      double du = cu - cx, dv = cv - cy;
      double X = x + du * c - dv * s, Y = y + du * s + dv * c;
      minX = std::min(minX, X);
      maxX = std::max(maxX, X);
      minY = std::min(minY, Y);
      maxY = std::max(maxY, Y);
    }
  int px0 = std::max(0, static_cast<int>(std::floor(minX))), px1 = std::min(out.Width() - 1, static_cast<int>(std::ceil(maxX)));
  int py0 = std::max(0, static_cast<int>(std::floor(minY))), py1 = std::min(out.Height() - 1, static_cast<int>(std::ceil(maxY)));
  DDSTAGESTATE st;
  st.dwColorOp = lpDTCon->dwColorOp;
  st.dwAlphaOp = lpDTCon->dwAlphaOp;
  const DWORD dwDiffuse = lpDTCon->dwDrawColor;
  const int nAbsW = sw < 0 ? -sw : sw, nAbsH = sh < 0 ? -sh : sh;
  const int nTexW = std::min(lpSrc->nWidth, tex.Width()), nTexH = std::min(lpSrc->nHeight, tex.Height());
  // The texels of one row's run are gathered, then staged and blended
  // together; the covered part of a row is one run, as the quad is convex.
  thread_local std::vector<uint32_t> vRun;
  if (vRun.size() < static_cast<size_t>(out.Width())) vRun.resize(static_cast<size_t>(out.Width()));
  for (int py = py0; py <= py1; ++py) {
    const double Y = py + 0.5 - y;
    int nRun = 0, nRunX = 0;
    for (int px = px0; px <= px1 + 1; ++px) {
      bool bIn = false;
      uint32_t texel = 0;
      if (px <= px1) {
        const double X = px + 0.5 - x;
        const double u = X * c + Y * s + cx, v = -X * s + Y * c + cy;
        if (u >= 0.0 && u < nAbsW && v >= 0.0 && v < nAbsH) {
          long long tu = static_cast<long long>(u), tv = static_cast<long long>(v);
          long long tx = sw >= 0 ? sx + tu : sx - 1 - tu, ty = sh >= 0 ? sy + tv : sy - 1 - tv;
          // Texels outside the source are not drawn (the device would wrap
          // round to the other edge).
          if (tx >= 0 && tx < nTexW && ty >= 0 && ty < nTexH) {
            bIn = true;
            texel = RawToArgb(tex.Format(), tex.GetRaw(static_cast<int>(tx), static_cast<int>(ty)));
          }
        }
      }
      if (bIn) {
        if (nRun == 0) nRunX = px;
        vRun[static_cast<size_t>(nRun++)] = texel;
      } else if (nRun) {
        RasterSpan(out, nRunX, py, vRun.data(), nRun, dwDiffuse, st);
        nRun = 0;
      }
    }
  }
  DDSetRenderTarget(0, lpDTCon->lpTargetSD);
}

}  // namespace

void DDBltRotate(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int cx, int cy, int nAngle,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, DWORD dwFlags) {
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return;
  // Whole turns change nothing; keeping the angle small keeps the box sums
  // far from overflow for any angle from a file.
  nAngle %= 360;
  int sw = w, sh = h;
  if (lpDTCon) {
    if (!PrepareD3D(lpDstSD, lpSrcSD, sx, sy, sw, sh)) return;
    if (DDDrawsAsQuad(lpDstSD, lpSrcSD)) {
      RotateQuad(lpDstSD, lpSrcSD, x, y, w, h, cx, cy, nAngle, sx, sy, sw, sh);
      return;
    }
  }
  if (std::abs(static_cast<long long>(cx)) > 65536 || std::abs(static_cast<long long>(cy)) > 65536) return;
  cSurfaceLock src(lpSrcSD);
  if (!src.IsLocked()) return;
  cSurfaceLock dst(lpDstSD);
  if (!dst.IsLocked()) return;
  if (src.m_lpBuffer->BytesPerPixel() != dst.m_lpBuffer->BytesPerPixel()) return;
  RotatePixels(src, dst, x, y, w, h, cx, cy, nAngle, sx, sy, sw, dwFlags);
}

// ---- Colour change, surface palette and fade ------------------------------------

void DDChangeColor(DDSURFACEDATA* lpDstSD, int, int, int, int, DDSURFACEDATA* lpSrcSD, int nAlpha, BYTE r, BYTE g,
                   BYTE b) {
  if (!lpDTCon) {
    Logf("%s", Sjis("DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int nHeight,int nAlpha,"
                    "BYTE bRed,BYTE bGreen,BYTE bBlue) は未対応")
                   .c_str());
    return;
  }
  if (!lpDstSD || !lpSrcSD) return;
  DDResolveLinked(&lpDstSD);
  DDResolveLinked(&lpSrcSD);
  DDRedirectBackBuffer(&lpDstSD);
  DDRedirectBackBuffer(&lpSrcSD);
  if (!DDSurfacePixels(lpDstSD) || !DDSurfacePixels(lpSrcSD)) return;
  DDSTAGESTATE st;
  st.dwColorOp = DDTOP_MODULATE;
  st.dwAlphaOp = DDTOP_MODULATE;
  DWORD dwDiffuse = static_cast<DWORD>(255 - std::clamp(nAlpha, 0, 255)) << 24 | static_cast<DWORD>(r) << 16 |
                    static_cast<DWORD>(g) << 8 | b;
  // The texture coordinates run over the destination's size in texels, so
  // a source that is the destination maps each pixel onto itself; the
  // rasteriser reads a row before it writes it.
  DrawQuad(lpDstSD, lpSrcSD, 0, 0, lpDstSD->nWidth, lpDstSD->nHeight, 0, 0, lpDstSD->nWidth, lpDstSD->nHeight,
           dwDiffuse, st, false);
}

void DDChangeColorRect(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nAlpha, BYTE r, BYTE g, BYTE b) {
  DDChangeColor(lpDstSD, x, y, w, h, lpDstSD, nAlpha, r, g, b);
}

void DDFade_UnPal(DDSURFACEDATA* lpSD, int nRatio, BYTE r, BYTE g, BYTE b, DDSURFACEDATA* lpSrcSD) {
  if (lpDTCon) {
    Logf("%s", Sjis("D3DではDDFade_UnPalは未対応").c_str());
    return;
  }
  cSurfaceLock dst(lpSD);
  if (!dst.IsLocked()) return;
  cSurfaceLock src(lpSrcSD);
  if (!src.IsLocked()) return;
  cPixelBuffer& out = *dst.m_lpBuffer;
  const cPixelBuffer& in = *src.m_lpBuffer;
  int nBytes = out.BytesPerPixel();
  if ((nBytes != 2 && nBytes != 4) || in.BytesPerPixel() != nBytes) return;
  nRatio = std::clamp(nRatio, 0, 256);
  PIXELFIELDS f = FieldsOf(out.Format(), false);
  // A source smaller than the surface is read only where it has pixels.
  int W = std::min(dst.Width(), src.Width()), H = std::min(dst.Height(), src.Height());
  const int cr = r * (256 - nRatio), cg = g * (256 - nRatio), cb = b * (256 - nRatio);
  for (int yy = 0; yy < H; ++yy) {
    if (nBytes == 4) {
      const uint32_t* s = in.Row<uint32_t>(yy);
      uint32_t* d = out.Row<uint32_t>(yy);
      for (int xx = 0; xx < W; ++xx) {
        uint32_t p = s[xx];
        uint32_t rr = (((p >> 16) & 0xFF) * nRatio + cr) >> 8, gg = (((p >> 8) & 0xFF) * nRatio + cg) >> 8,
                 bb = ((p & 0xFF) * nRatio + cb) >> 8;
        d[xx] = rr << 16 | gg << 8 | bb;
      }
      continue;
    }
    for (int xx = 0; xx < W; ++xx) {
      int pr, pg, pb;
      SplitPixel(f, in.GetRaw(xx, yy), pr, pg, pb);
      pr = (FieldTo255(pr, f.nRedMax) * nRatio + cr) >> 8;
      pg = (FieldTo255(pg, f.nGreenMax) * nRatio + cg) >> 8;
      pb = (FieldTo255(pb, f.nBlueMax) * nRatio + cb) >> 8;
      out.SetRaw(xx, yy, PackPixel(f, FieldFrom255(pr, f.nRedMax), FieldFrom255(pg, f.nGreenMax), FieldFrom255(pb, f.nBlueMax)));
    }
  }
}

BOOL DDLoadColorTable(BYTE* lpTable, const char* szFile) {
  if (lpDTCon) return 1;
  if (!lpTable || !szFile) return 0;
  FILE* fp = OpenFile(szFile, "rb");
  if (!fp) return 0;
  // Read aside first: a short or damaged file leaves the table in use as
  // it was, and fails instead of passing for a whole table.
  std::vector<BYTE> v(256 * 256);
  size_t n = std::fread(v.data(), 1, v.size(), fp);
  std::fclose(fp);
  if (n != v.size()) {
    Logf("DDLoadColorTable %s: %d bytes", szFile, static_cast<int>(n));
    return 0;
  }
  std::memcpy(lpTable, v.data(), v.size());
  return 1;
}
