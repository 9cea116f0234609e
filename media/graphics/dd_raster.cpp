#include "media/graphics/dd_raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/graphics/dd_blend32.h"

namespace {

// Floor division for a positive divisor.
inline long long FloorDiv(long long a, long long b) {
  long long q = a / b;
  if ((a % b) != 0 && a < 0) --q;
  return q;
}
inline int Wrap(long long v, int n) {
  long long m = v % n;
  return static_cast<int>(m < 0 ? m + n : m);
}

// Products of two 0..255 values rounded to the nearest 0..255.
inline int Mul255(int a, int b) { return (a * b + 127) / 255; }
inline int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

inline int Chan(uint32_t c, int nShift) { return static_cast<int>((c >> nShift) & 0xFF); }

struct STAGEINPUT {
  uint32_t tex, diff, tf;
};

uint32_t ArgValue(DWORD dwArg, const STAGEINPUT& in) {
  uint32_t v;
  switch (dwArg & 0x0F) {
    case DDTA_TEXTURE: v = in.tex; break;
    case DDTA_TFACTOR: v = in.tf; break;
    default: v = in.diff; break;  // at stage 0 the current colour is the diffuse one
  }
  if (dwArg & DDTA_ALPHAREPLICATE) {
    uint32_t a = v >> 24;
    v = a << 24 | a << 16 | a << 8 | a;
  }
  if (dwArg & DDTA_COMPLEMENT) v = ~v;
  return v;
}

// One channel of a stage operation. c1, c2: the arguments' channel; cd: the
// diffuse (current) channel; a1: arg1's alpha; ad, at, af: the alpha of the
// diffuse colour, the texel and the texture factor.
int ChannelOp(DWORD op, int c1, int c2, int cd, int a1, int ad, int at, int af) {
  switch (op) {
    case DDTOP_DISABLE: return cd;
    case DDTOP_SELECTARG1: return c1;
    case DDTOP_SELECTARG2: return c2;
    case DDTOP_MODULATE: return Mul255(c1, c2);
    case DDTOP_MODULATE2X: return Clamp255(2 * Mul255(c1, c2));
    case DDTOP_MODULATE4X: return Clamp255(4 * Mul255(c1, c2));
    case DDTOP_ADD: return Clamp255(c1 + c2);
    case DDTOP_ADDSIGNED: return Clamp255(c1 + c2 - 128);
    case DDTOP_ADDSIGNED2X: return Clamp255(2 * (c1 + c2 - 128));
    case DDTOP_SUBTRACT: return Clamp255(c1 - c2);
    case DDTOP_ADDSMOOTH: return Clamp255(c1 + c2 - Mul255(c1, c2));
    case DDTOP_BLENDDIFFUSEALPHA:
    case DDTOP_BLENDCURRENTALPHA: return Mul255(c1, ad) + Mul255(c2, 255 - ad);
    case DDTOP_BLENDTEXTUREALPHA: return Mul255(c1, at) + Mul255(c2, 255 - at);
    case DDTOP_BLENDFACTORALPHA: return Mul255(c1, af) + Mul255(c2, 255 - af);
    case DDTOP_BLENDTEXTUREALPHAPM: return Clamp255(c1 + Mul255(c2, 255 - at));
    case DDTOP_MODULATEALPHA_ADDCOLOR: return Clamp255(c1 + Mul255(a1, c2));
    case DDTOP_MODULATECOLOR_ADDALPHA: return Clamp255(Mul255(c1, c2) + a1);
    case DDTOP_MODULATEINVALPHA_ADDCOLOR: return Clamp255(Mul255(255 - a1, c2) + c1);
    case DDTOP_MODULATEINVCOLOR_ADDALPHA: return Clamp255(Mul255(255 - c1, c2) + a1);
    case DDTOP_MULTIPLYADD: return Clamp255(cd + Mul255(c1, c2));
    case DDTOP_LERP: return Mul255(cd, c1) + Mul255(255 - cd, c2);
    // Premodulation and bump mapping act on the next stage, which is off.
    case DDTOP_PREMODULATE:
    case DDTOP_BUMPENVMAP:
    case DDTOP_BUMPENVMAPLUMINANCE: return c1;
    // Codes no device knows fall back to the default operation.
    default: return Mul255(c1, c2);
  }
}

uint32_t StageColor(const DDSTAGESTATE& st, const STAGEINPUT& in) {
  uint32_t c1 = ArgValue(st.dwColorArg1, in), c2 = ArgValue(st.dwColorArg2, in);
  int ad = Chan(in.diff, 24), at = Chan(in.tex, 24), af = Chan(in.tf, 24);
  uint32_t rgb;
  if (st.dwColorOp == DDTOP_DOTPRODUCT3) {
    int dot = 0;
    for (int s = 0; s <= 16; s += 8) dot += (Chan(c1, s) - 128) * (Chan(c2, s) - 128);
    int v = Clamp255(dot * 4 / 255);
    return static_cast<uint32_t>(v) * 0x01010101u;
  } else {
    int a1 = Chan(c1, 24);
    rgb = 0;
    for (int s = 0; s <= 16; s += 8) {
      int v = ChannelOp(st.dwColorOp, Chan(c1, s), Chan(c2, s), Chan(in.diff, s), a1, ad, at, af);
      rgb |= static_cast<uint32_t>(v) << s;
    }
  }
  DWORD aop = st.dwAlphaOp;
  // The operations that only exist for colour select arg1 for alpha.
  if ((aop >= DDTOP_MODULATEALPHA_ADDCOLOR && aop <= DDTOP_MODULATEINVCOLOR_ADDALPHA) || aop == DDTOP_DOTPRODUCT3)
    aop = DDTOP_SELECTARG1;
  uint32_t a1v = ArgValue(st.dwAlphaArg1, in), a2v = ArgValue(st.dwAlphaArg2, in);
  int a = ChannelOp(aop, Chan(a1v, 24), Chan(a2v, 24), ad, Chan(a1v, 24), ad, at, af);
  return static_cast<uint32_t>(a) << 24 | rgb;
}

// What stage 0 does to a texel in the common cases: hands it on unchanged,
// or hands on its colour with alpha 0xFF (an opaque copy).
enum eStageShortcut { STAGE_GENERAL, STAGE_IDENTITY, STAGE_OPAQUE };
eStageShortcut StageShortcut(const DDSTAGESTATE& st, DWORD dwDiffuse) {
  bool bColor = (st.dwColorOp == DDTOP_SELECTARG1 && st.dwColorArg1 == DDTA_TEXTURE) ||
                (st.dwColorOp == DDTOP_MODULATE && st.dwColorArg1 == DDTA_TEXTURE && st.dwColorArg2 == DDTA_DIFFUSE &&
                 (dwDiffuse & 0x00FFFFFFu) == 0x00FFFFFFu);
  if (!bColor) return STAGE_GENERAL;
  bool bAlpha = (st.dwAlphaOp == DDTOP_SELECTARG1 && st.dwAlphaArg1 == DDTA_TEXTURE) ||
                (st.dwAlphaOp == DDTOP_MODULATE && st.dwAlphaArg1 == DDTA_TEXTURE && st.dwAlphaArg2 == DDTA_DIFFUSE &&
                 (dwDiffuse >> 24) == 0xFF);
  if (bAlpha) return STAGE_IDENTITY;
  bool bOpaque = (dwDiffuse >> 24) == 0xFF &&
                 (st.dwAlphaOp == DDTOP_DISABLE || (st.dwAlphaOp == DDTOP_SELECTARG2 && st.dwAlphaArg2 == DDTA_DIFFUSE) ||
                  (st.dwAlphaOp == DDTOP_SELECTARG1 && st.dwAlphaArg1 == DDTA_DIFFUSE));
  return bOpaque ? STAGE_OPAQUE : STAGE_GENERAL;
}

// Source-alpha blending of a row of ARGB values into a destination row.
template <ePixelFormat FMT>
void BlendRow(uint8_t* pDstRow, int x0, const uint32_t* src, int n) {
  if constexpr (FMT == PF_XRGB8888 || FMT == PF_ARGB8888) {
    BlendRect32(pDstRow + static_cast<size_t>(x0) * 4, 0, reinterpret_cast<const uint8_t*>(src), 0, n, 1);
  } else if constexpr (FMT == PF_RGB565 || FMT == PF_ARGB1555) {
    uint16_t* d = reinterpret_cast<uint16_t*>(pDstRow) + x0;
    for (int i = 0; i < n; ++i) {
      uint32_t s = src[i];
      uint32_t a = s >> 24;
      if (a == 0xFF) d[i] = static_cast<uint16_t>(ArgbToRaw(FMT, s));
      else if (a != 0) d[i] = static_cast<uint16_t>(ArgbToRaw(FMT, BlendArgb(s, RawToArgb(FMT, d[i]))));
    }
  } else {
    uint8_t* d = pDstRow + x0;
    for (int i = 0; i < n; ++i)
      if (src[i] >> 24) d[i] = static_cast<uint8_t>(src[i]);
  }
}

typedef void (*BLENDROWFUNC)(uint8_t*, int, const uint32_t*, int);
BLENDROWFUNC BlendRowFor(ePixelFormat fmt) {
  switch (fmt) {
    case PF_RGB565: return BlendRow<PF_RGB565>;
    case PF_ARGB1555: return BlendRow<PF_ARGB1555>;
    case PF_XRGB8888: return BlendRow<PF_XRGB8888>;
    case PF_ARGB8888: return BlendRow<PF_ARGB8888>;
    default: return BlendRow<PF_INDEX8>;
  }
}

// Reads texels of one source row into ARGB values.
void GatherRow(const cPixelBuffer& src, int ty, const int* cols, int n, uint32_t* out) {
  switch (src.Format()) {
    case PF_ARGB8888: {
      const uint32_t* s = src.Row<uint32_t>(ty);
      for (int i = 0; i < n; ++i) out[i] = s[cols[i]];
      break;
    }
    case PF_XRGB8888: {
      const uint32_t* s = src.Row<uint32_t>(ty);
      for (int i = 0; i < n; ++i) out[i] = s[cols[i]] | 0xFF000000u;
      break;
    }
    case PF_RGB565:
    case PF_ARGB1555: {
      const uint16_t* s = src.Row<uint16_t>(ty);
      for (int i = 0; i < n; ++i) out[i] = RawToArgb(src.Format(), s[cols[i]]);
      break;
    }
    default: {
      const uint8_t* s = src.Row<uint8_t>(ty);
      for (int i = 0; i < n; ++i) out[i] = RawToArgb(PF_INDEX8, s[cols[i]]);
      break;
    }
  }
}

}  // namespace

void RasterQuad(cPixelBuffer& dst, int x, int y, int w, int h, const cPixelBuffer* lpSrc, int sx, int sy, int sw,
                int sh, DWORD dwDiffuse, const DDSTAGESTATE& st) {
  if (w <= 0 || h <= 0 || dst.Format() == PF_NONE) return;
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = static_cast<int>(std::min<long long>(static_cast<long long>(x) + w, dst.Width()));
  int y1 = static_cast<int>(std::min<long long>(static_cast<long long>(y) + h, dst.Height()));
  if (x0 >= x1 || y0 >= y1) return;
  int n = x1 - x0;
  bool bTexture = lpSrc && lpSrc->Format() != PF_NONE;
  // Scratch rows of the drawing thread, kept between quads.
  thread_local std::vector<int> cols;
  thread_local std::vector<uint32_t> row;
  if (cols.size() < static_cast<size_t>(n)) cols.resize(static_cast<size_t>(n));
  if (row.size() < static_cast<size_t>(n)) row.resize(static_cast<size_t>(n));
  bool bContiguous = false;
  if (bTexture) {
    int nTexW = lpSrc->Width();
    if (sw == w && sx + (x0 - x) >= 0 && sx + (x1 - x) <= nTexW) {
      for (int i = 0; i < n; ++i) cols[i] = sx + (x0 - x) + i;
    } else {
      for (int i = 0; i < n; ++i) {
        long long c = x0 + i - x;
        cols[i] = Wrap(sx + FloorDiv((2 * c + 1) * sw, 2LL * w), nTexW);
      }
    }
    bContiguous = lpSrc->Format() == PF_ARGB8888 && cols[n - 1] - cols[0] == n - 1 && sw == w;
  }
  eStageShortcut shortcut = bTexture ? StageShortcut(st, dwDiffuse) : STAGE_GENERAL;
  bool bIdentity = shortcut == STAGE_IDENTITY;
  if (bIdentity && bContiguous && PixelFormatBits(dst.Format()) == 32 && sh == h) {
    int ty0 = sy + (y0 - y);
    if (ty0 >= 0 && ty0 + (y1 - y0) <= lpSrc->Height()) {
      size_t nDstPitch = static_cast<size_t>(dst.Pitch()) * 4, nSrcPitch = static_cast<size_t>(lpSrc->Pitch()) * 4;
      BlendRect32(dst.RowBytes(y0) + static_cast<size_t>(x0) * 4, nDstPitch,
                  lpSrc->RowBytes(ty0) + static_cast<size_t>(cols[0]) * 4, nSrcPitch, n, y1 - y0);
      return;
    }
  }
  if (!bTexture) {
    // Without a texture every pixel of the quad gets the same colour.
    uint32_t c = StageColor(st, STAGEINPUT{0, dwDiffuse, st.dwTextureFactor});
    if ((c >> 24) == 0) return;
    if ((c >> 24) == 0xFF) {
      dst.FillRaw(x0, y0, n, y1 - y0, ArgbToRaw(dst.Format(), c));
      return;
    }
    std::fill(row.begin(), row.begin() + n, c);
    BLENDROWFUNC blendFill = BlendRowFor(dst.Format());
    for (int yy = y0; yy < y1; ++yy) blendFill(dst.RowBytes(yy), x0, row.data(), n);
    return;
  }
  BLENDROWFUNC blend = BlendRowFor(dst.Format());
  for (int yy = y0; yy < y1; ++yy) {
    const uint32_t* texels = row.data();
    if (bTexture) {
      long long r = yy - y;
      int ty = sh == h ? sy + static_cast<int>(r) : static_cast<int>(sy + FloorDiv((2 * r + 1) * sh, 2LL * h));
      if (ty < 0 || ty >= lpSrc->Height()) ty = Wrap(ty, lpSrc->Height());
      if (bContiguous && bIdentity) texels = lpSrc->Row<uint32_t>(ty) + cols[0];
      else GatherRow(*lpSrc, ty, cols.data(), n, row.data());
    } else {
      std::fill(row.begin(), row.begin() + n, 0u);
    }
    if (shortcut == STAGE_OPAQUE) {
      for (int i = 0; i < n; ++i) row[static_cast<size_t>(i)] = texels[i] | 0xFF000000u;
      texels = row.data();
    } else if (!bIdentity) {
      for (int i = 0; i < n; ++i) {
        STAGEINPUT in{texels[i], dwDiffuse, st.dwTextureFactor};
        row[static_cast<size_t>(i)] = StageColor(st, in);
      }
      texels = row.data();
    }
    blend(dst.RowBytes(yy), x0, texels, n);
  }
}

void RasterSpan(cPixelBuffer& dst, int x0, int y, uint32_t* lpTexels, int n, DWORD dwDiffuse, const DDSTAGESTATE& st) {
  if (n <= 0 || y < 0 || y >= dst.Height() || x0 < 0 || x0 + n > dst.Width()) return;
  eStageShortcut shortcut = StageShortcut(st, dwDiffuse);
  if (shortcut == STAGE_OPAQUE) {
    for (int i = 0; i < n; ++i) lpTexels[i] |= 0xFF000000u;
  } else if (shortcut != STAGE_IDENTITY) {
    for (int i = 0; i < n; ++i) lpTexels[i] = StageColor(st, STAGEINPUT{lpTexels[i], dwDiffuse, st.dwTextureFactor});
  }
  BlendRowFor(dst.Format())(dst.RowBytes(y), x0, lpTexels, n);
}

void RasterClear(cPixelBuffer& dst, int x, int y, int w, int h, DWORD dwArgb) {
  dst.FillRaw(x, y, w, h, ArgbToRaw(dst.Format(), dwArgb));
}

void RasterClearRaw(cPixelBuffer& dst, int x, int y, int w, int h, DWORD dwRaw) { dst.FillRaw(x, y, w, h, dwRaw); }

namespace {

inline uint32_t To565(uint32_t p, const DDMASKSET& a, const DDMASKSET& b) {
  uint32_t r = (p >> b.dwRedShift) & b.dwRedMax;
  uint32_t g = ((p >> b.dwGreenShift) & b.dwGreenMax) << 1;
  uint32_t bl = (p >> b.dwBlueShift) & b.dwBlueMax;
  return r << a.dwRedShift | g << a.dwGreenShift | bl << a.dwBlueShift;
}

inline bool IsPixelPathTransparent(int nBytes, uint32_t p) {
  // 0xA000 rather than the alpha bit alone: a texel with the top red bit set
  // is drawn even when its alpha bit is clear, as the device driver did.
  return nBytes == 4 ? (p >> 24) == 0 : (p & 0xA000u) == 0;
}

}  // namespace

void PixelPathCopy(cPixelBuffer& dst, int x, int y, int w, int h, const cPixelBuffer& src, int sx, int sy, int sw,
                   int sh, DWORD dwFlags, bool b1555To565, const DDMASKSET& setA, const DDMASKSET& setB) {
  int nBytes = dst.BytesPerPixel();
  if ((nBytes != 2 && nBytes != 4) || src.BytesPerPixel() != nBytes || w <= 0 || h <= 0) return;
  int dw = dst.Width(), dh = dst.Height(), srcW = src.Width(), srcH = src.Height();
  auto put = [&](int dx, int dy, uint32_t p) {
    if (dwFlags == 1 && IsPixelPathTransparent(nBytes, p)) return;
    if (b1555To565) p = To565(p, setA, setB);
    dst.SetRaw(dx, dy, p);
  };
  if (w == sw && h == sh) {
    for (int r = 0; r < h; ++r) {
      int yy = y + r, syy = sy + r;
      if (yy < 0 || yy >= dh || syy < 0 || syy >= srcH) continue;
      int c0 = std::max({0, -x, -sx}), c1 = std::min({w, dw - x, srcW - sx});
      if (nBytes == 4 && dwFlags != 1 && !b1555To565 && c1 > c0) {
        std::memcpy(dst.Row<uint32_t>(yy) + x + c0, src.Row<uint32_t>(syy) + sx + c0,
                    static_cast<size_t>(c1 - c0) * 4);
        continue;
      }
      for (int c = c0; c < c1; ++c) put(x + c, yy, src.GetRaw(sx + c, syy));
    }
    return;
  }
  float xs = static_cast<float>(sw) / static_cast<float>(w);
  float ys = static_cast<float>(sh) / static_cast<float>(h);
  for (int r = 0; r < h; ++r) {
    int yy = y + r;
    if (yy < 0 || yy >= dh) continue;
    int dy = static_cast<int>(static_cast<float>(r) * ys);
    if (sy + dy < 0 || sy + dy >= srcH) continue;
    for (int c = 0; c < w; ++c) {
      int xx = x + c;
      if (xx < 0 || xx >= dw) continue;
      int dx = static_cast<int>(static_cast<float>(c) * xs);
      if (sw >= 0) {
        if (dx < 0 || dx >= sw) continue;
      } else {
        if (!(sw < dx && dx <= 0)) continue;
        dx -= 1;
      }
      if (sx + dx < 0 || sx + dx >= srcW) continue;
      put(xx, yy, src.GetRaw(sx + dx, sy + dy));
    }
  }
}

void KeyedCopy(cPixelBuffer& dst, int x, int y, int w, int h, const cPixelBuffer& src, int sx, int sy, int sw, int sh,
               bool bKey, uint32_t dwKey) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0 || dst.BytesPerPixel() != src.BytesPerPixel()) return;
  // The callers clip; this guard only keeps a bad rectangle from writing
  // outside the buffers.
  if (x < 0 || y < 0 || x + w > dst.Width() || y + h > dst.Height() || sx < 0 || sy < 0 || sx + sw > src.Width() ||
      sy + sh > src.Height())
    return;
  int nBytes = dst.BytesPerPixel();
  if (w == sw && h == sh) {
    for (int r = 0; r < h; ++r) {
      uint8_t* d = dst.RowBytes(y + r) + static_cast<size_t>(x) * nBytes;
      const uint8_t* s = src.RowBytes(sy + r) + static_cast<size_t>(sx) * nBytes;
      if (!bKey) {
        std::memcpy(d, s, static_cast<size_t>(w) * nBytes);
      } else if (nBytes == 4) {
        uint32_t* d4 = reinterpret_cast<uint32_t*>(d);
        const uint32_t* s4 = reinterpret_cast<const uint32_t*>(s);
        for (int c = 0; c < w; ++c) {
          uint32_t p = s4[c];
          d4[c] = p == dwKey ? d4[c] : p;
        }
      } else if (nBytes == 2) {
        uint16_t* d2 = reinterpret_cast<uint16_t*>(d);
        const uint16_t* s2 = reinterpret_cast<const uint16_t*>(s);
        uint16_t k = static_cast<uint16_t>(dwKey);
        for (int c = 0; c < w; ++c)
          if (s2[c] != k) d2[c] = s2[c];
      } else {
        uint8_t k = static_cast<uint8_t>(dwKey);
        for (int c = 0; c < w; ++c)
          if (s[c] != k) d[c] = s[c];
      }
    }
    return;
  }
  std::vector<int> cols(static_cast<size_t>(w));
  for (int c = 0; c < w; ++c) cols[static_cast<size_t>(c)] = sx + static_cast<int>(static_cast<long long>(c) * sw / w);
  for (int r = 0; r < h; ++r) {
    int syy = sy + static_cast<int>(static_cast<long long>(r) * sh / h);
    for (int c = 0; c < w; ++c) {
      uint32_t p = src.GetRaw(cols[static_cast<size_t>(c)], syy);
      if (bKey && p == dwKey) continue;
      dst.SetRaw(x + c, y + r, p);
    }
  }
}
