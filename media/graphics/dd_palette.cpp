// The palette, the transparent colour on both paths and depths, the
// screen's channel masks, and palette numbers turned into pixel values.
#include <cstring>

#include "media/graphics/bmp_reader.h"
#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_pixel_effects.h"
#include "platform/text_cp932.h"
#include "base/message_box.h"
#include "base/report.h"

BYTE g_Palette[256 * 4];
BYTE g_WorkPalette[256 * 4];

void DDSetPalette_UnPal(BYTE* lpPal, DDSURFACEDATA* lpSD) {
  if (!lpPal) return;
  cSurfaceLock lock(lpSD);
  if (!lock.IsLocked()) {
    Logf("DDSetPalette_UnPal Lock Err");
    return;
  }
  const cPixelBuffer& buf = *lock.m_lpBuffer;
  bool bD3D = lpDTCon != nullptr;
  const DDMASKSET& m = bD3D ? g_MaskSetB : g_MaskSetA;
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 16; ++col) {
      int x = col, y = 8 + row;
      if (x >= buf.Width() || y >= buf.Height()) continue;
      uint32_t p = buf.GetRaw(x, y);
      BYTE* e = lpPal + (row * 16 + col) * 4;
      if (buf.BytesPerPixel() == 2) {
        uint32_t r = (p >> m.dwRedShift) & m.dwRedMax, g = (p >> m.dwGreenShift) & m.dwGreenMax,
                 b = (p >> m.dwBlueShift) & m.dwBlueMax;
        if (!bD3D) {
          e[0] = static_cast<BYTE>(r); e[1] = static_cast<BYTE>(g); e[2] = static_cast<BYTE>(b);
        } else if ((p >> m.dwAlphaShift) & m.dwAlphaMax) {
          e[0] = static_cast<BYTE>(r * 255 / m.dwRedMax);
          e[1] = static_cast<BYTE>(g * 255 / m.dwGreenMax);
          e[2] = static_cast<BYTE>(b * 255 / m.dwBlueMax);
        }
      } else if (buf.BytesPerPixel() == 4) {
        if (bD3D && (p >> 24) == 0) continue;
        e[0] = static_cast<BYTE>(p >> 16); e[1] = static_cast<BYTE>(p >> 8); e[2] = static_cast<BYTE>(p);
        e[3] = static_cast<BYTE>(p >> 24);
      }
    }
}

namespace {

// A picture in a temporary system-memory surface of the current depth.
int LoadTemporary(DDSURFACEDATA* lpTmp, const std::string& name) {
  return DDCreateSurfaceFromFile(lpTmp, name.c_str(), 0, g_DDDisplay.nBpp, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0, 0, 0,
                                 0);
}

}  // namespace

bool DDLoadPaletteFromFile(BYTE* lpPal, const DDSURFACEINFO* lpInfo, int) {
  if (!lpPal || !lpInfo) return false;
  DIBPICTURE pic;
  if (!LoadBmpFile(lpInfo->szFileName, pic)) return false;
  int nColors = pic.ColorCount();
  if (lpDTCon && pic.nBitCount == 8) {
    for (int i = 0; i < 256; ++i) {
      BYTE* e = lpPal + i * 4;
      e[0] = i < nColors ? pic.vColorTable[i * 4] : 0;
      e[1] = i < nColors ? pic.vColorTable[i * 4 + 1] : 0;
      e[2] = i < nColors ? pic.vColorTable[i * 4 + 2] : 0;
      e[3] = 0xFF;
    }
    return true;
  }
  if (!lpDTCon && g_DDDisplay.nBpp == 8 && pic.nBitCount == 8) {
    for (int i = 0; i < 256; ++i) {
      BYTE* e = lpPal + i * 4;
      e[0] = i < nColors ? pic.vColorTable[i * 4] : 0;
      e[1] = i < nColors ? pic.vColorTable[i * 4 + 1] : 0;
      e[2] = i < nColors ? pic.vColorTable[i * 4 + 2] : 0;
      e[3] = (i < 10 || i >= 246) ? 2 : 1;
    }
    DDSetPaletteEntries(0, 256, lpPal);
    return true;
  }
  if (g_DDDisplay.nBpp == 8) {
    // An 8-bit screen takes its colours from the picture's colour table;
    // without one every picture would show in whatever colours were left.
    ReportPictureFault(lpInfo->szFileName, "no 8-bit colour table for the 8-bit screen");
    return false;
  }
  DDSURFACEDATA tmp;
  if (LoadTemporary(&tmp, lpInfo->szFileName) != 0) {
    DDReleaseSurface(&tmp);
    return false;
  }
  DDSetPalette_UnPal(lpPal, &tmp);
  DDReleaseSurface(&tmp);
  return true;
}

BOOL DDSetTransmit(const DDSURFACEINFO* lpInfo) {
  if (!lpInfo) return FALSE;
  DDSURFACEDATA tmp;
  if (LoadTemporary(&tmp, lpInfo->szFileName) != 0) {
    Logf("DDSetTransmit %s", lpInfo->szFileName.c_str());
    DDReleaseSurface(&tmp);
    return FALSE;
  }
  DIBPICTURE pic;
  LoadBmpFile(lpInfo->szFileName, pic);
  uint32_t p;
  {
    cSurfaceLock lock(&tmp);
    if (!lock.IsLocked()) {
      DDReleaseSurface(&tmp);
      return FALSE;
    }
    p = lock.m_lpBuffer->GetRaw(0, 0);
  }
  // The picture's own top-left colour, before any conversion.
  uint32_t rgb = pic.vPixels.empty() ? 0 : pic.vPixels[0];
  DDRGBTRIPLE exact;
  exact.rgbtRed = static_cast<BYTE>(rgb >> 16);
  exact.rgbtGreen = static_cast<BYTE>(rgb >> 8);
  exact.rgbtBlue = static_cast<BYTE>(rgb);
  int nBpp = g_DDDisplay.nBpp;
  if (!lpDTCon) {
    if (nBpp == 8 || nBpp == 16 || nBpp == 32) g_dwColorKey = p;
    if (nBpp == 32 && g_lpDDCon) {
      g_lpDDCon->rgbTransmit.rgbtBlue = static_cast<BYTE>(p);
      g_lpDDCon->rgbTransmit.rgbtGreen = static_cast<BYTE>(p >> 8);
      g_lpDDCon->rgbTransmit.rgbtRed = static_cast<BYTE>(p >> 16);
    }
    // Without it the exact colour stayed black at 16 bits, and every black
    // pixel of a full-colour picture turned transparent.
    if (g_lpDDCon) g_lpDDCon->rgbExact = exact;
  } else if (nBpp == 16) {
    g_dwColorKey = p;
    if (pic.nBitCount == 8 && pic.ColorCount() > 0) {
      lpDTCon->rgbExact.rgbtRed = pic.vColorTable[0];
      lpDTCon->rgbExact.rgbtGreen = pic.vColorTable[1];
      lpDTCon->rgbExact.rgbtBlue = pic.vColorTable[2];
    } else {
      lpDTCon->rgbExact = exact;  // the same mend as above
    }
    const DDMASKSET& m = g_MaskSetB;
    DDSetTransmitRGB(static_cast<BYTE>((p >> m.dwRedShift) & m.dwRedMax),
                     static_cast<BYTE>((p >> m.dwGreenShift) & m.dwGreenMax),
                     static_cast<BYTE>((p >> m.dwBlueShift) & m.dwBlueMax));
    Logf("%d", static_cast<int>(p));
  } else if (nBpp == 32) {
    DDSetTransmitRGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
  }
  DDReleaseSurface(&tmp);
  return TRUE;
}

void DDSetTransmitRGB(BYTE r, BYTE g, BYTE b) {
  int nBpp = g_DDDisplay.nBpp;
  if (lpDTCon) {
    lpDTCon->rgbTransmit.rgbtBlue = b;
    lpDTCon->rgbTransmit.rgbtGreen = g;
    lpDTCon->rgbTransmit.rgbtRed = r;
    Logf("SetTrans lpDTCon->rgbTransmit.rgbtRed = %d,lpDTCon->rgbTransmit.rgbtGreen = %d,lpDTCon->rgbTransmit.rgbtBlue = %d",
         r, g, b);
    lpDTCon->dwTransmitARGB = 0xFF000000u | static_cast<DWORD>(r) << 16 | static_cast<DWORD>(g) << 8 | b;
    lpDTCon->dwPalZeroColor = 0;
    if (nBpp == 16) {
      const DDMASKSET& m = g_MaskSetB;
      lpDTCon->wTransmit_16 = static_cast<WORD>((r & m.dwRedMax) << m.dwRedShift | (g & m.dwGreenMax) << m.dwGreenShift |
                                                (b & m.dwBlueMax) << m.dwBlueShift | (m.dwAlphaMax & 1) << m.dwAlphaShift);
    } else if (nBpp == 32) {
      lpDTCon->wTransmit_16 = 0;
      g_dwColorKey = 0;
    }
    return;
  }
  const DDMASKSET& m = g_MaskSetA;
  if (nBpp == 16) {
    DWORD key = ((b * m.dwBlueMax / 255) << m.dwBlueShift | (g * m.dwGreenMax / 255) << m.dwGreenShift |
                 (r * m.dwRedMax / 255) << m.dwRedShift) & 0xFFFF;
    g_dwColorKey = key;
    ErrorBoxfIfLogging("Tr %d RGB32(%d,%d,%d) -> RGB16(%d,%d,%d)", static_cast<int>(key), r, g, b,
                       static_cast<int>(((key >> m.dwRedShift) & m.dwRedMax) * 255 / m.dwRedMax),
                       static_cast<int>(((key >> m.dwGreenShift) & m.dwGreenMax) * 255 / m.dwGreenMax),
                       static_cast<int>(((key >> m.dwBlueShift) & m.dwBlueMax) * 255 / m.dwBlueMax));
  } else if (nBpp == 32) {
    g_dwColorKey = static_cast<DWORD>(r) << 16 | static_cast<DWORD>(g) << 8 | b;
    if (g_lpDDCon) {
      g_lpDDCon->rgbTransmit.rgbtBlue = b;
      g_lpDDCon->rgbTransmit.rgbtGreen = g;
      g_lpDDCon->rgbTransmit.rgbtRed = r;
    }
  }
}

void DDSetExactTransmitRGB(BYTE r, BYTE g, BYTE b) {
  DDRGBTRIPLE t;
  t.rgbtRed = r;
  t.rgbtGreen = g;
  t.rgbtBlue = b;
  if (lpDTCon) lpDTCon->rgbExact = t;
  else if (g_lpDDCon) g_lpDDCon->rgbExact = t;
}

void DDGetMaskShifts(DDMASKSET* lpMask) {
  if (!lpMask) return;
  uint32_t rm, gm, bm;
  int nBits;
  if (DDScreenFormat() == PF_RGB565) {
    rm = 0xF800; gm = 0x07E0; bm = 0x001F; nBits = 16;
  } else {
    rm = 0xFF0000; gm = 0xFF00; bm = 0xFF; nBits = 32;
  }
  auto field = [nBits](uint32_t mask, DWORD& shift, DWORD& max) {
    int s = 0;
    while (s < nBits && !((mask >> s) & 1)) ++s;
    shift = static_cast<DWORD>(s);
    max = s < 32 ? mask >> s : 0;
  };
  field(rm, lpMask->dwRedShift, lpMask->dwRedMax);
  field(gm, lpMask->dwGreenShift, lpMask->dwGreenMax);
  field(bm, lpMask->dwBlueShift, lpMask->dwBlueMax);
  // Every DirectDraw surface has the screen's format.
  if (lpMask == &g_MaskSetA) g_MaskSetB = g_MaskSetA;
}

DWORD PalNumToRGB(DWORD n) {
  if (n >= 256) {
    Logf("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = %d", static_cast<int>(n));
    return 0;
  }
  const BYTE* e = g_Palette + n * 4;
  DWORD R = e[0], G = e[1], B = e[2];
  int nBpp = g_DDDisplay.nBpp;
  if (lpDTCon) {
    if (nBpp == 8) return n;
    if (nBpp == 24) return B << 16 | G << 8 | R;
    if (n == 0) return lpDTCon->dwPalZeroColor;
    return 0xFF000000u | R << 16 | G << 8 | B;
  }
  if (nBpp == 8) return n;
  if (nBpp == 16) {
    const DDMASKSET& m = g_MaskSetA;
    return (R & m.dwRedMax) << m.dwRedShift | (G & m.dwGreenMax) << m.dwGreenShift | (B & m.dwBlueMax) << m.dwBlueShift;
  }
  return R << 16 | G << 8 | B;
}

WORD DDRGBToPixel(const BYTE* e) {
  if (lpDTCon || !e) return 0;
  const DDMASKSET& m = g_MaskSetA;
  return static_cast<WORD>((e[0] & m.dwRedMax) << m.dwRedShift | (e[1] & m.dwGreenMax) << m.dwGreenShift |
                           (e[2] & m.dwBlueMax) << m.dwBlueShift);
}

void DDSetPaletteEntries(int nFirst, int nCount, const BYTE* lpEntries) {
  if (!g_lpDDPalette || !lpEntries || nFirst < 0 || nCount <= 0 || nFirst >= 256) return;
  if (nFirst + nCount > 256) nCount = 256 - nFirst;
  std::memcpy(g_lpDDPalette->entries + nFirst * 4, lpEntries, static_cast<size_t>(nCount) * 4);
}

const BYTE* DDGetPaletteEntries() { return g_lpDDPalette ? g_lpDDPalette->entries : g_Palette; }
