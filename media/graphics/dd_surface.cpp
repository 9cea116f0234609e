// Surfaces on both paths: creation empty or from a bitmap file, mirrored
// cells, the surface list, the fixed surface table, release.
#include <algorithm>
#include <atomic>
#include <string>
#include <unordered_map>

#include "media/graphics/bmp_reader.h"
#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_raster.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/message_box.h"
#include "base/report.h"

namespace {

bool IsPow2(int n) { return n > 0 && (n & (n - 1)) == 0; }

void FreeBuffer(cPixelBuffer*& p) {
  delete p;
  p = nullptr;
}

// Threads: written by start-up before the game thread starts; read by the
// thread that makes a surface (the window thread or the game thread).
std::string s_TextureFailureText;
std::atomic<bool> s_bTextureFailureShown{false};

// The player is told once what a failed texture means; later failures go
// to the report only.
void ShowTextureFailure() {
  if (s_TextureFailureText.empty() || s_bTextureFailureShown.exchange(true)) return;
  ErrorBox(s_TextureFailureText);
}

// The value of palette-number-map pixels whose colour is in no palette entry.
constexpr BYTE kUnmatchedPalNum = 0;

// Builds the palette-number map of a surface's pixels.
std::vector<BYTE>* BuildPalMap(const cPixelBuffer& buf) {
  auto* map = new std::vector<BYTE>(static_cast<size_t>(buf.Pitch()) * buf.Height(), kUnmatchedPalNum);
  std::unordered_map<uint32_t, BYTE> first;
  for (int i = 255; i >= 0; --i) {
    const BYTE* e = g_Palette + i * 4;
    uint32_t key = buf.BytesPerPixel() == 2 ? DDRGBToPixel(e)
                                            : (static_cast<uint32_t>(e[0]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[2]);
    first[key] = static_cast<BYTE>(i);
  }
  for (int y = 0; y < buf.Height(); ++y)
    for (int x = 0; x < buf.Width(); ++x) {
      uint32_t p = buf.GetRaw(x, y);
      if (buf.BytesPerPixel() == 4) p &= 0x00FFFFFFu;
      auto it = first.find(p);
      if (it != first.end()) (*map)[static_cast<size_t>(y) * buf.Pitch() + x] = it->second;
    }
  return map;
}

// Source column/row of a destination column/row when whole cells of the
// given size are mirrored (the part past the last whole cell is copied as
// it is).
inline int MirrorIndex(int i, int nCell, int nSize) {
  if (nCell <= 0) return i;
  int nWhole = nSize / nCell * nCell;
  if (i >= nWhole) return i;
  return i / nCell * nCell + (nCell - 1 - i % nCell);
}

// The texture pixels of a picture as the Direct3D loader makes them: the
// key colour becomes transparent black, everything else opaque; the part of
// a rounded-up texture outside the picture is transparent black.
template <ePixelFormat FMT, class RAW>
void FillTextureAs(cPixelBuffer& buf, const DIBPICTURE& pic, uint32_t dwKeyRgb) {
  const RAW clear = static_cast<RAW>(ArgbToRaw(FMT, 0));
  const int w = std::min(pic.nWidth, buf.Width()), h = std::min(pic.nHeight, buf.Height());
  for (int y = 0; y < h; ++y) {
    const uint32_t* s = pic.vPixels.data() + static_cast<size_t>(y) * pic.nWidth;
    RAW* d = buf.Row<RAW>(y);
    for (int x = 0; x < w; ++x) d[x] = s[x] == dwKeyRgb ? clear : static_cast<RAW>(ArgbToRaw(FMT, 0xFF000000u | s[x]));
  }
}

void FillTextureFromPicture(cPixelBuffer& buf, const DIBPICTURE& pic, uint32_t dwKeyRgb) {
  switch (buf.Format()) {
    case PF_INDEX8: FillTextureAs<PF_INDEX8, uint8_t>(buf, pic, dwKeyRgb); break;
    case PF_RGB565: FillTextureAs<PF_RGB565, uint16_t>(buf, pic, dwKeyRgb); break;
    case PF_ARGB1555: FillTextureAs<PF_ARGB1555, uint16_t>(buf, pic, dwKeyRgb); break;
    case PF_XRGB8888: FillTextureAs<PF_XRGB8888, uint32_t>(buf, pic, dwKeyRgb); break;
    case PF_ARGB8888: FillTextureAs<PF_ARGB8888, uint32_t>(buf, pic, dwKeyRgb); break;
    default: break;
  }
}

// The picture's pixels (mirrored by cells where asked) onto the first w x h
// pixels of buf, each through conv, which takes a pixel's place in the
// picture's rows.
template <class RAW, class CONV>
void CopyPictureRows(cPixelBuffer& buf, const DIBPICTURE& pic, int w, int h, int nMirrorWidth, int nMirrorHeight,
                     CONV conv) {
  // Mirrored cells take each column from its own place in its cell.
  std::vector<size_t> cols;
  if (nMirrorWidth > 0)
    for (int x = 0; x < w; ++x) cols.push_back(static_cast<size_t>(MirrorIndex(x, nMirrorWidth, pic.nWidth)));
  for (int y = 0; y < h; ++y) {
    const size_t nRow = static_cast<size_t>(MirrorIndex(y, nMirrorHeight, pic.nHeight)) * pic.nWidth;
    RAW* d = buf.Row<RAW>(y);
    if (cols.empty()) {
      for (int x = 0; x < w; ++x) d[x] = static_cast<RAW>(conv(nRow + static_cast<size_t>(x)));
    } else {
      for (int x = 0; x < w; ++x) d[x] = static_cast<RAW>(conv(nRow + cols[static_cast<size_t>(x)]));
    }
  }
}

uint32_t TripleRgb(const DDRGBTRIPLE& t) {
  return static_cast<uint32_t>(t.rgbtRed) << 16 | static_cast<uint32_t>(t.rgbtGreen) << 8 | t.rgbtBlue;
}

// The nearest palette entry of a colour (8-bit screens given a picture of
// more colours, as the system's conversion did).
BYTE NearestPaletteIndex(uint32_t c) {
  int r = static_cast<int>(c >> 16 & 0xFF), g = static_cast<int>(c >> 8 & 0xFF), b = static_cast<int>(c & 0xFF);
  int best = 0, bestD = 1 << 30;
  for (int i = 0; i < 256; ++i) {
    const BYTE* e = g_Palette + i * 4;
    int d = (e[0] - r) * (e[0] - r) + (e[1] - g) * (e[1] - g) + (e[2] - b) * (e[2] - b);
    if (d < bestD) { bestD = d; best = i; }
  }
  return static_cast<BYTE>(best);
}

}  // namespace

cPixelBuffer* DDSurfacePixels(DDSURFACEDATA* lpSD) {
  if (!lpSD) return nullptr;
  if (lpDTCon) return lpSD->lpDT ? lpSD->lpDT->lpSurface : nullptr;
  return lpSD->lpDDS ? lpSD->lpDDS->lpSurface : nullptr;
}

ePixelFormat DDScreenFormat() {
  int n = g_DDDisplay.nScreenBpp ? g_DDDisplay.nScreenBpp : g_DDDisplay.nBpp;
  if (n == 8) return PF_INDEX8;
  if (n == 16) return PF_RGB565;
  return PF_XRGB8888;
}

void DDSurfaceDataConstruct(DDSURFACEDATA* lpSD) {
  if (lpSD) *lpSD = DDSURFACEDATA{};
}

void DDTextureSize(int* lpWidth, int* lpHeight) {
  if (!lpDTCon) return;
  if (lpDTCon->bPow2) {
    for (int* p : {lpWidth, lpHeight}) {
      if (!IsPow2(*p)) {
        int v = 1;
        while (v < *p && v < (1 << 30)) v <<= 1;
        *p = v;
      }
    }
  }
  if (lpDTCon->bSquareOnly) *lpWidth = *lpHeight = std::max(*lpWidth, *lpHeight);
}

void DDSetTextureFailureText(const std::string& text) {
  s_TextureFailureText = text;
  s_bTextureFailureShown = false;
}

BOOL DDCheckTextureSize(int nWidth, int nHeight) {
  if (!lpDTCon) return TRUE;
  BOOL bOk = TRUE;
  if (nWidth > lpDTCon->d3dCaps.nMaxTextureWidth) {
    ReportAndLogf(Sjis("このビデオカードでは横幅%dを超える画像はサポートされていません！").c_str(),
                  lpDTCon->d3dCaps.nMaxTextureWidth);
    bOk = FALSE;
  }
  if (nHeight > lpDTCon->d3dCaps.nMaxTextureHeight) {
    ReportAndLogf(Sjis("このビデオカードでは縦幅%dを超える画像はサポートされていません！").c_str(),
                  lpDTCon->d3dCaps.nMaxTextureHeight);
    bOk = FALSE;
  }
  return bOk;
}

namespace {

// A DirectDraw surface of the size, of colour 0 when bFill; without it the
// pixels are zero, and the pages of a large surface cost nothing until
// they are written.
BOOL CreateDDSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, BOOL bTransmit, int nMemType, bool bFill) {
  if (!lpSD->lpDDS) lpSD->lpDDS = new DDDRAWDATA;
  FreeBuffer(lpSD->lpDDS->lpSurface);
  lpSD->lpDDS->lpSurface = new cPixelBuffer;
  if (!lpSD->lpDDS->lpSurface->Create(DDScreenFormat(), nWidth, nHeight)) {
    FreeBuffer(lpSD->lpDDS->lpSurface);
    ReportAndLogf("%s", nMemType == 1 ? "CreateSurface System Err" : "CreateSurface Video -> System Err");
    return FALSE;
  }
  lpSD->lpDDS->bColorKey = bTransmit == 1;
  lpSD->lpDDS->dwColorKey = g_dwColorKey;
  lpSD->nWidth = lpSD->nTexWidth = nWidth;
  lpSD->nHeight = lpSD->nTexHeight = nHeight;
  lpSD->nMemType = nMemType;
  // A new buffer is zero already: a fill with raw zero would only touch
  // every page of it.
  if (bFill && PalNumToRGB(0) != 0) DDFillRect(lpSD, 0, 0, nWidth, nHeight, 0);
  return TRUE;
}

}  // namespace

BOOL DDCreateSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, BOOL bTransmit, int nMemType, int nDTMemType,
                     DDSURFACEDATA* lpParentSD, BOOL bRestore) {
  if (!lpSD) return FALSE;
  if (!lpDTCon) return CreateDDSurface(lpSD, nWidth, nHeight, bTransmit, nMemType, true);

  if (lpParentSD) lpSD->lpParentSD = lpParentSD;
  bool bParent = lpSD->lpParentSD != nullptr;
  if (!lpSD->lpDT) lpSD->lpDT = new DDTEXTUREDATA;
  DDTEXTUREDATA& dt = *lpSD->lpDT;
  FreeBuffer(dt.lpSurface);
  if (!bRestore) {
    lpSD->szSurfaceType = "OffScreen";
    lpSD->szFileName.assign(1, 'E');
    dt.nDTMemType = nDTMemType;
    dt.bTransmit = bTransmit == 1;
    if (!bParent) dt.nVertexSlot = lpDTCon->nNextVertexSlot++;
  }
  if (bParent) {
    lpSD->nWidth = lpSD->nTexWidth = nWidth;
    lpSD->nHeight = lpSD->nTexHeight = nHeight;
    lpSD->nMemType = nMemType;
    return TRUE;
  }
  int tw = nWidth, th = nHeight;
  DDTextureSize(&tw, &th);
  if (!DDCheckTextureSize(tw, th))
    ReportAndLogf("%s", Sjis("上記の理由でテクスチャの描画が失敗する可能性があります。(空)").c_str());
  int nType = dt.nDTMemType == DTMEMORYTYPE_VIDEO_NORT ? DTMEMORYTYPE_VIDEO_RT : dt.nDTMemType;
  dt.bRenderTarget = nType == DTMEMORYTYPE_VIDEO_RT;
  dt.lpSurface = new cPixelBuffer;
  if (!dt.lpSurface->Create(lpDTCon->fmtTexture, tw, th)) {
    FreeBuffer(dt.lpSurface);
    ReportAndLogf("D3DXCreateTexture Err hr = %x", 0x8007000Eu);
    ShowTextureFailure();
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    return FALSE;
  }
  dt.fmtDesc = lpDTCon->fmtTexture;
  dt.nDescWidth = tw;
  dt.nDescHeight = th;
  lpSD->nWidth = nWidth;
  lpSD->nHeight = nHeight;
  lpSD->nTexWidth = tw;
  lpSD->nTexHeight = th;
  lpSD->nMemType = nMemType;
  if (dt.bRenderTarget && ArgbToRaw(dt.lpSurface->Format(), lpDTCon->dwTransmitARGB) != 0)
    RasterClear(*dt.lpSurface, 0, 0, tw, th, lpDTCon->dwTransmitARGB);
  if (!bRestore && std::find(g_SurfaceList.begin(), g_SurfaceList.end(), lpSD) == g_SurfaceList.end())
    g_SurfaceList.push_back(lpSD);
  return TRUE;
}

BOOL DDCreateScratchSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, BOOL bTransmit, int nMemType,
                            int nDTMemType) {
  if (!lpSD) return FALSE;
  if (!lpDTCon) return CreateDDSurface(lpSD, nWidth, nHeight, bTransmit, nMemType, false);
  return DDCreateSurface(lpSD, nWidth, nHeight, bTransmit, nMemType, nDTMemType, nullptr, 0);
}

namespace {

// CopyBitmap's work on a picture already decoded, so that a surface made
// from a file decodes it once.
BOOL CopyPicture(DDSURFACEDATA* lpSD, const DIBPICTURE& pic, const char* szFile, int nBpp, BOOL bPalMap,
                 int nMirrorWidth, int nMirrorHeight) {
  cPixelBuffer& buf = *lpSD->lpDDS->lpSurface;
  if (nBpp == 8 && (pic.nWidth != buf.Width() || pic.nHeight != buf.Height())) {
    Logf("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", szFile, buf.Width(), buf.Height(), pic.nWidth, pic.nHeight);
    return TRUE;
  }
  int w = std::min(pic.nWidth, buf.Width()), h = std::min(pic.nHeight, buf.Height());
  const DDMASKSET& m = g_MaskSetA;
  uint32_t dwExact = g_lpDDCon ? TripleRgb(g_lpDDCon->rgbExact) : 0;
  const uint32_t* px = pic.vPixels.data();
  auto copy = [&](auto raw, auto conv) {
    CopyPictureRows<decltype(raw)>(buf, pic, w, h, nMirrorWidth, nMirrorHeight, conv);
  };
  if (buf.Format() == PF_INDEX8) {
    if (pic.nBitCount == 8) copy(uint8_t{}, [&](size_t i) { return pic.vIndices[i]; });
    else copy(uint8_t{}, [&](size_t i) { return NearestPaletteIndex(px[i]); });
  } else if (buf.Format() == PF_RGB565 && pic.nBitCount >= 24) {
    copy(uint16_t{}, [&](size_t i) {
      const uint32_t c = px[i];
      if (c == dwExact) return g_dwColorKey;
      uint32_t r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
      uint32_t v = (r * m.dwRedMax / 255) << m.dwRedShift | (g * m.dwGreenMax / 255) << m.dwGreenShift |
                   (b * m.dwBlueMax / 255) << m.dwBlueShift;
      v &= 0xFFFF;
      if (v == g_dwColorKey) {
        uint32_t bf = (v >> m.dwBlueShift) & m.dwBlueMax;
        bf = bf == m.dwBlueMax ? bf - 1 : bf + 1;
        v = (v & ~(m.dwBlueMax << m.dwBlueShift)) | bf << m.dwBlueShift;
      }
      return v;
    });
  } else {
    // The system's own conversion of a picture onto the surface.
    switch (buf.Format()) {
      case PF_RGB565: copy(uint16_t{}, [&](size_t i) { return ArgbToRaw(PF_RGB565, 0xFF000000u | px[i]); }); break;
      case PF_ARGB1555: copy(uint16_t{}, [&](size_t i) { return ArgbToRaw(PF_ARGB1555, 0xFF000000u | px[i]); }); break;
      case PF_XRGB8888: copy(uint32_t{}, [&](size_t i) { return ArgbToRaw(PF_XRGB8888, 0xFF000000u | px[i]); }); break;
      case PF_ARGB8888: copy(uint32_t{}, [&](size_t i) { return ArgbToRaw(PF_ARGB8888, 0xFF000000u | px[i]); }); break;
      default: break;
    }
  }
  if (bPalMap) {
    delete lpSD->lpDDS->lpPalMap;
    lpSD->lpDDS->lpPalMap = BuildPalMap(buf);
  }
  return TRUE;
}

}  // namespace

BOOL CopyBitmap(DDSURFACEDATA* lpSD, const char* szFile, int nBpp, BOOL bPalMap, int nMirrorWidth, int nMirrorHeight) {
  if (!lpSD || !lpSD->lpDDS || !lpSD->lpDDS->lpSurface) return FALSE;
  DIBPICTURE pic;
  if (!LoadBmpFile(szFile ? szFile : "", pic)) return FALSE;
  return CopyPicture(lpSD, pic, szFile, nBpp, bPalMap, nMirrorWidth, nMirrorHeight);
}

void DDMirrorCells(DDSURFACEDATA* lpSD, DDSURFACEDATA* lpSrcSD, int nMirrorWidth, int nMirrorHeight) {
  if (!lpDTCon || nMirrorWidth <= 0 || nMirrorHeight != 0 || !lpSD || !lpSrcSD) return;
  cPixelBuffer* buf = DDSurfacePixels(lpSD);
  if (!buf) return;
  RasterClear(*buf, 0, 0, buf->Width(), buf->Height(), lpDTCon->dwPalZeroColor);
  int nCells = lpSrcSD->nWidth / nMirrorWidth;
  for (int i = 0; i < nCells; ++i) {
    int cx = i * nMirrorWidth;
    DDBltD3D(lpSD, cx, 0, nMirrorWidth, lpSrcSD->nHeight, lpSrcSD, cx + nMirrorWidth, 0, -nMirrorWidth,
             lpSrcSD->nHeight, 0);
  }
}

int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFileName, BOOL bTransmit, int nBpp, int nMemType,
                            int nDTMemType, DDSURFACEDATA* lpParentSD, BOOL bPalMap, int nMirrorWidth,
                            int nMirrorHeight, BOOL bRestore) {
  if (!lpSD) return DDSURF_CREATESURFACE_ERR;
  std::string name = szFileName ? szFileName : "";
  if (!lpDTCon) {
    DIBPICTURE pic;
    if (!LoadBmpFile(name, pic)) {
      Logf("%s", name.c_str());
      return DDSURF_LOADIMAGE_ERR;
    }
    // The picture covers the whole surface: a fill before it would only be
    // written over.
    if (!CreateDDSurface(lpSD, pic.nWidth, pic.nHeight, bTransmit, nMemType, false))
      return DDSURF_CREATESURFACE_ERR;
    if (!lpSD->lpDDS->lpSurface ||
        !CopyPicture(lpSD, pic, name.c_str(), nBpp, bPalMap, nMirrorWidth, nMirrorHeight))
      return DDSURF_LOADIMAGE_ERR;
    lpSD->nMirrorWidth = nMirrorWidth;
    lpSD->nMirrorHeight = nMirrorHeight;
    lpSD->nWidth = lpSD->nTexWidth = pic.nWidth;
    lpSD->nHeight = lpSD->nTexHeight = pic.nHeight;
    lpSD->szFileName = name;
    return 0;
  }

  if (lpParentSD) lpSD->lpParentSD = lpParentSD;
  bool bParent = lpSD->lpParentSD != nullptr;
  if (!lpSD->lpDT) lpSD->lpDT = new DDTEXTUREDATA;
  DDTEXTUREDATA& dt = *lpSD->lpDT;
  FreeBuffer(dt.lpSurface);
  if (!bRestore) {
    lpSD->szSurfaceType = "OffScreenFromFile";
    lpSD->szFileName = name;
    dt.nDTMemType = nDTMemType;
    dt.bTransmit = bTransmit == 1;
    if (!bParent) dt.nVertexSlot = lpDTCon->nNextVertexSlot++;
  }
  DIBPICTURE pic;
  if (!LoadBmpFile(name, pic)) {
    if (!name.empty()) ReportAndLogf("LoadImage Err %s", name.c_str());
    return DDSURF_LOADIMAGE_ERR;
  }
  lpSD->nMirrorWidth = nMirrorWidth;
  lpSD->nMirrorHeight = nMirrorHeight;
  lpSD->nMemType = nMemType;
  if (bParent) {
    // A surface standing for its parent has no texture of its own.
    lpSD->nWidth = lpSD->nTexWidth = pic.nWidth;
    lpSD->nHeight = lpSD->nTexHeight = pic.nHeight;
    return 0;
  }
  int tw = pic.nWidth, th = pic.nHeight;
  DDTextureSize(&tw, &th);
  if (!DDCheckTextureSize(tw, th))
    ReportAndLogf(Sjis("上記の理由でテクスチャの描画が失敗する可能性があります。(%s)").c_str(), name.c_str());
  uint32_t dwKey = TripleRgb(nBpp == 16 ? lpDTCon->rgbExact : lpDTCon->rgbTransmit);
  if (dt.nDTMemType == DTMEMORYTYPE_VIDEO_NORT) {
    Logf("DDCreateSurfaceFromFile Err DTMEMORYTYPE_VIDEO_NORT");
    dt.nDTMemType = DTMEMORYTYPE_VIDEO_RT;
  }
  dt.bRenderTarget = 0;
  dt.lpSurface = new cPixelBuffer;
  if (!dt.lpSurface->Create(lpDTCon->fmtTexture, tw, th)) {
    FreeBuffer(dt.lpSurface);
    ReportAndLogf(Sjis("テクスチャの作成に失敗。(%s)").c_str(), name.c_str());
    ShowTextureFailure();
    return DDSURF_TEXTURE_ERR;
  }
  FillTextureFromPicture(*dt.lpSurface, pic, dwKey);
  dt.fmtDesc = lpDTCon->fmtTexture;
  dt.nDescWidth = tw;
  dt.nDescHeight = th;
  lpSD->nWidth = pic.nWidth;
  lpSD->nHeight = pic.nHeight;
  lpSD->nTexWidth = tw;
  lpSD->nTexHeight = th;
  if (nMirrorWidth > 0 && nMirrorHeight == 0) {
    DDSURFACEDATA tmp;
    tmp.lpDT = new DDTEXTUREDATA;
    tmp.lpDT->nDTMemType = DTMEMORYTYPE_SYSTEM;
    tmp.lpDT->lpSurface = new cPixelBuffer(lpDTCon->fmtTexture, tw, th);
    FillTextureFromPicture(*tmp.lpDT->lpSurface, pic, dwKey);
    tmp.nWidth = pic.nWidth;
    tmp.nHeight = pic.nHeight;
    tmp.nTexWidth = tw;
    tmp.nTexHeight = th;
    DDMirrorCells(lpSD, &tmp, nMirrorWidth, nMirrorHeight);
    DDReleaseSurfaceData(&tmp);
  }
  if (!bRestore && std::find(g_SurfaceList.begin(), g_SurfaceList.end(), lpSD) == g_SurfaceList.end())
    g_SurfaceList.push_back(lpSD);
  delete dt.lpPalMap;
  dt.lpPalMap = (bPalMap && nBpp != 8) ? BuildPalMap(*dt.lpSurface) : nullptr;
  return 0;
}

BOOL DDSurfaceErrorName(int nCode) {
  const char* name = nullptr;
  switch (nCode) {
    case DDSURF_CREATESURFACE_ERR: name = "CREATESURFACE_ERR"; break;
    case DDSURF_LOADIMAGE_ERR: name = "LOADIMAGE_ERR"; break;
    case DDSURF_SETCOLORKEY_ERR: name = "SETCOLORKEY_ERR"; break;
    default: return TRUE;
  }
  Logf("%s", name);
  return FALSE;
}

bool DDLoadSurfaceList(DDSURFACEDATA* lpSDArray, const int* lpIndex, int nCount) {
  const DDDISPLAYSETTINGS& s = g_DDDisplay;
  if (!lpSDArray || !lpIndex) return nCount <= 0;
  for (int k = 0; k < nCount; ++k) {
    int i = lpIndex[k];
    if (!s.lpInfoTable || i < 0 || i >= s.nInfoCount) {
      ReportAndLogf("DDLoadSurfaceList index %d", i);
      return false;
    }
    DDSURFACEDATA* lpSD = &lpSDArray[i];
    const DDSURFACEINFO& info = s.lpInfoTable[i];
    DDReleaseSurface(lpSD);
    if (info.szFileName != "E") {
      int r = DDCreateSurfaceFromFile(lpSD, info.szFileName.c_str(), info.bTransmit, s.nBpp, info.nMemType,
                                      info.nDTMemType, info.lpParentSD, info.bPalMap, info.nMirrorWidth,
                                      info.nMirrorHeight, 0);
      if (!DDSurfaceErrorName(r) && !info.bNoError) {
        std::string text;
        FormatString(text, Sjis("%s の読み込みに失敗！").c_str(), info.szFileName.c_str());
        ErrorBox(text);
        return false;
      }
    } else {
      if (!DDCreateSurface(lpSD, info.nWidth, info.nHeight, info.bTransmit, info.nMemType, info.nDTMemType,
                           info.lpParentSD, 0) &&
          !info.bNoError) {
        ReportOutOfMemory();
        return false;
      }
    }
  }
  return true;
}

namespace {

// A vector or a list of surfaces and their descriptions.
template <class SURFACES, class INFOS>
bool AddSurfaceTo(SURFACES& sds, INFOS& infos, int nWidth, int nHeight, BOOL bTransmit, int nMemType,
                  int nDTMemType, DDSURFACEDATA* lpParentSD) {
  sds.emplace_back();
  DDSURFACEINFO info;
  info.bTransmit = bTransmit;
  info.nMemType = nMemType;
  info.nDTMemType = nDTMemType;
  info.lpParentSD = lpParentSD;
  infos.push_back(info);
  DDCreateSurface(&sds.back(), nWidth, nHeight, bTransmit, nMemType, nDTMemType, lpParentSD, 0);
  return true;
}

}  // namespace

bool DDAddSurface(std::vector<DDSURFACEDATA>& vSD, std::vector<DDSURFACEINFO>& vInfo, int nWidth, int nHeight,
                  BOOL bTransmit, int nMemType, int nDTMemType, DDSURFACEDATA* lpParentSD) {
  return AddSurfaceTo(vSD, vInfo, nWidth, nHeight, bTransmit, nMemType, nDTMemType, lpParentSD);
}

bool DDAddSurfaceToList(std::list<DDSURFACEDATA>& lstSD, std::list<DDSURFACEINFO>& lstInfo, int nWidth, int nHeight,
                        BOOL bTransmit, int nMemType, int nDTMemType, DDSURFACEDATA* lpParentSD) {
  return AddSurfaceTo(lstSD, lstInfo, nWidth, nHeight, bTransmit, nMemType, nDTMemType, lpParentSD);
}

BOOL DDRemoveSurface(std::list<DDSURFACEDATA>& lstSD, std::list<DDSURFACEINFO>& lstInfo, DDSURFACEDATA* lpSD) {
  auto itInfo = lstInfo.begin();
  for (auto it = lstSD.begin(); it != lstSD.end(); ++it) {
    if (&*it == lpSD) {
      DDReleaseSurface(lpSD);
      lstSD.erase(it);
      if (itInfo != lstInfo.end()) lstInfo.erase(itInfo);
      return TRUE;
    }
    if (itInfo != lstInfo.end()) ++itInfo;
  }
  return FALSE;
}

void DDReleaseSurfaceData(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  if (lpSD->lpDT) {
    FreeBuffer(lpSD->lpDT->lpSurface);
    FreeBuffer(lpSD->lpDT->lpSystemSurface);
    delete lpSD->lpDT->lpPalMap;
    delete lpSD->lpDT;
    lpSD->lpDT = nullptr;
  }
  // The list holds addresses; records kept in vectors may have moved, so the
  // node is found by address, never by reading other records.
  g_SurfaceList.remove(lpSD);
  if (lpSD->lpDDS) {
    FreeBuffer(lpSD->lpDDS->lpSurface);
    delete lpSD->lpDDS->lpPalMap;
    delete lpSD->lpDDS;
    lpSD->lpDDS = nullptr;
  }
}

void DDReleaseSurface(DDSURFACEDATA* lpSD) { DDReleaseSurfaceData(lpSD); }

void DDReleaseSurfaceVector(std::vector<DDSURFACEDATA>& vSD) {
  for (auto& sd : vSD) DDReleaseSurface(&sd);
}

BOOL DDBitmapFits(BOOL* lpTooBig, const char* szFile, int nMaxW, int nMaxH) {
  if (lpDTCon) return TRUE;
  DIBPICTURE pic;
  if (!LoadBmpFile(szFile ? szFile : "", pic)) {
    if (lpTooBig) *lpTooBig = 0;
    return FALSE;
  }
  if (lpTooBig) *lpTooBig = (pic.nWidth > nMaxW || pic.nHeight > nMaxH) ? 1 : 0;
  return TRUE;
}

BOOL DDReloadBitmap(DDSURFACEDATA* lpSD, int nBpp) {
  if (lpDTCon) return TRUE;
  if (!lpSD || !lpSD->lpDDS) return FALSE;
  return CopyBitmap(lpSD, lpSD->szFileName.c_str(), nBpp, lpSD->lpDDS->lpPalMap != nullptr, lpSD->nMirrorWidth,
                    lpSD->nMirrorHeight);
}
