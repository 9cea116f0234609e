// Device set-up and shut-down on both paths. Our "device" is the set of
// pixel buffers; the steps that would talk to a driver keep their order,
// their report lines and their error codes.
#include <string>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "platform/message_box.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "base/report.h"

DDDISPLAYSETTINGS g_DDDisplay;
DTCONDATA* lpDTCon = nullptr;
DDCONDATA* g_lpDDCon = nullptr;
cDirectDrawObject* g_lpDD = nullptr;
cDirect3DObject* g_lpD3D = nullptr;
cDirect3DDevice* lpDevice = nullptr;
cDirectDrawClipper* g_lpClipper = nullptr;
cDirectDrawPalette* g_lpDDPalette = nullptr;
DDSURFACEDATA g_BackBufferSD;
DDSURFACEDATA g_VirBackBufferSD;
DDSURFACEDATA g_WorkSD;
DDSURFACEDATA g_PrimarySD;
DDSURFACEDATA g_ScreenCopySD;
std::list<DDSURFACEDATA*> g_SurfaceList;
DDMASKSET g_MaskSetA;
DDMASKSET g_MaskSetB;
DWORD g_dwColorKey = 0;
DTDEVICECAPS g_DDSoftwareCaps;

namespace {

const char* FormatName(ePixelFormat fmt) {
  switch (fmt) {
    case PF_XRGB8888: return "X8R8G8B8";
    case PF_RGB565: return "R5G6B5";
    case PF_ARGB1555: return "A1R5G5B5";
    default: return "";
  }
}

// The display is not switched to 640 x 480: the window fills the screen
// with the picture scaled, which looks the same. A display that refuses
// leaves the game in its window, which beats no game at all.
void FillScreen(HWND hWnd) {
  if (!SetWindowFullScreen(hWnd)) ReportAndLogf("SetDisplayMode Err");
}

void HideCursor() {
  while (ShowCursor(FALSE) >= 0) {
  }
}
void RevealCursor() {
  while (ShowCursor(TRUE) < 0) {
  }
}

// A screen surface of the DirectDraw path with pixels of the screen format.
bool MakeDDScreenSurface(DDSURFACEDATA* lpSD, int w, int h, int nMemType) {
  if (!lpSD->lpDDS) lpSD->lpDDS = new DDDRAWDATA;
  delete lpSD->lpDDS->lpSurface;
  lpSD->lpDDS->lpSurface = new cPixelBuffer;
  if (!lpSD->lpDDS->lpSurface->Create(DDScreenFormat(), w, h)) return false;
  lpSD->nWidth = lpSD->nTexWidth = w;
  lpSD->nHeight = lpSD->nTexHeight = h;
  lpSD->nMemType = nMemType;
  return true;
}

void MakeDDPalette(bool bWindow) {
  g_lpDDPalette = new cDirectDrawPalette;
  for (int i = 0; i < 256; ++i) {
    BYTE* e = g_lpDDPalette->entries + i * 4;
    if (!bWindow && i == 0) {
      e[0] = 0; e[1] = 0; e[2] = 255;
    } else if (bWindow && (i < 10 || i >= 246)) {
      e[0] = static_cast<BYTE>(i); e[1] = 0; e[2] = 0;
    } else {
      e[0] = static_cast<BYTE>(i); e[1] = static_cast<BYTE>(i); e[2] = 0;
    }
    e[3] = (bWindow && (i < 10 || i >= 246)) ? 2 : 1;  // explicit / reserved
  }
}

}  // namespace

DDMASKSET DDMaskSetOf(ePixelFormat fmt) {
  DDMASKSET m;
  switch (fmt) {
    case PF_XRGB8888:
    case PF_ARGB8888:
      m = {16, 8, 0, 24, 255, 255, 255, 255};
      break;
    case PF_ARGB1555:
      m = {10, 5, 0, 15, 31, 31, 31, 1};
      break;
    case PF_RGB565:
      m = {11, 5, 0, 16, 31, 63, 31, 0};
      break;
    default:
      break;
  }
  return m;
}

bool DDInit(int nMode, HWND hWnd, int nWidth, int nHeight, int nBpp, BOOL bVSync, int nWindowMode,
            int nBackBufferFlag, int nRefresh, BOOL bUseRefresh, DDSURFACEDATA* lpSDArray, DDSURFACEINFO* lpInfoTable,
            int nInfoCount, int) {
  DDDISPLAYSETTINGS& s = g_DDDisplay;
  s.nMode = nMode;
  s.hWnd = hWnd;
  s.nWidth = nWidth;
  s.nHeight = nHeight;
  s.nBpp = nBpp;
  s.nBytesPerPixel = nBpp / 8;
  s.bVSync = bVSync;
  s.nWindowMode = nWindowMode;
  s.nBackBufferFlag = nBackBufferFlag;
  s.nRefresh = nRefresh;
  s.bUseRefresh = bUseRefresh;
  s.lpSDArray = lpSDArray;
  s.lpInfoTable = lpInfoTable;
  s.nInfoCount = nInfoCount;
  if (nMode != 0) {
    if (!D3DInit(hWnd, nWidth, nHeight, nBpp)) return false;
  } else {
    g_lpDDCon = g_lpDDCon ? g_lpDDCon : new DDCONDATA;
    *g_lpDDCon = DDCONDATA{};
    if (nWindowMode == 0) {
      if (s.bEverInit) {
        DDUnInit();
        g_lpDDCon = new DDCONDATA;
      }
      if (!DDInitErrorName(DDInitFullScreen(hWnd, nWidth, nHeight, nBpp, nBackBufferFlag))) return false;
    } else if (nWindowMode == 1) {
      if (s.bEverInit) {
        DDUnInit();
        g_lpDDCon = new DDCONDATA;
      }
      if (!DDInitErrorName(DDInitWindow(hWnd))) return false;
    }
  }
  s.bInit = 1;
  s.bEverInit = 1;
  return true;
}

BOOL D3DInit(HWND hWnd, int nWidth, int nHeight, int nBpp) {
  DDDISPLAYSETTINGS& s = g_DDDisplay;
  // Our software device always offers what DirectX 9 offered.
  g_lpD3D = new cDirect3DObject;
  lpDTCon = new DTCONDATA;
  DTCONDATA& c = *lpDTCon;
  c.dwAlphaOp = DDTOP_MODULATE;
  DTPRESENTPARAMS pp;
  if (s.nWindowMode) {
    // The original set the desktop to 60 Hz here for VSync and never put it
    // back; our window does not touch the desktop's mode.
    pp.bWindowed = 1;
  } else {
    pp.nBackBufferWidth = nWidth;
    pp.nBackBufferHeight = nHeight;
    pp.nRefreshRate = 60;
    FillScreen(hWnd);
  }
  pp.bIntervalImmediate = s.bVSync ? 0 : 1;
  c.d3dCaps = g_DDSoftwareCaps;
  c.bPow2 = c.d3dCaps.bPow2;
  c.bSquareOnly = c.d3dCaps.bSquareOnly;
  c.bDynamicTextures = c.d3dCaps.bDynamicTextures;
  pp.bSwapDiscard = c.d3dCaps.bAlphaFullscreenFlipOrDiscard;
  if (nBpp == 32) {
    c.fmtBackBuffer = PF_XRGB8888;
    c.fmtTexture = PF_ARGB8888;
  } else if (nBpp == 16 && s.nWindowMode) {
    c.fmtBackBuffer = PF_ARGB1555;
    c.fmtTexture = PF_ARGB1555;
  } else if (nBpp == 16) {
    c.fmtBackBuffer = PF_RGB565;
    c.fmtTexture = PF_ARGB1555;
  } else {
    return FALSE;
  }
  g_MaskSetA = DDMaskSetOf(c.fmtBackBuffer);
  g_MaskSetB = DDMaskSetOf(c.fmtTexture);
  c.fmtDisplay = c.fmtBackBuffer;
  pp.fmtBackBuffer = c.fmtBackBuffer;
  lpDevice = new cDirect3DDevice;
  ReportAndLogf("%s", c.d3dCaps.bHardwareVertexProcessing ? "Device HAL-HARD" : "Device HAL-SOFT");
  ReportAndLogf("%s", FormatName(c.fmtBackBuffer));
  c.d3dpp = pp;
  D3DSetDefaultStates();
  DDResetDrawColor();
  DDResetColorOp();
  DDResetAlphaOp();

  DDSURFACEDATA& bb = g_BackBufferSD;
  if (!bb.lpDT) bb.lpDT = new DDTEXTUREDATA;
  bb.nWidth = bb.nTexWidth = nWidth;
  bb.nHeight = bb.nTexHeight = nHeight;
  bb.nMemType = 0;
  bb.szSurfaceType = "BackBuffer";
  bb.lpDT->bTransmit = 0;
  bb.lpDT->bRenderTarget = 1;
  bb.lpDT->nDTMemType = DTMEMORYTYPE_VIDEO_RT;
  bb.lpDT->lpSurface = new cPixelBuffer;
  if (!bb.lpDT->lpSurface->Create(c.fmtBackBuffer, nWidth, nHeight)) {
    ReportAndLogf("Back CreateVertexBuffer Err %x", 0x8007000Eu);
    return FALSE;
  }
  bb.lpDT->fmtDesc = c.fmtBackBuffer;
  bb.lpDT->nDescWidth = nWidth;
  bb.lpDT->nDescHeight = nHeight;
  bb.lpDT->nVertexSlot = 0;
  c.nNextVertexSlot = 1;
  c.nNextFontId = 0;

  DDSetVirtualBackBuffer(0);
  c.bCopying = 0;
  DDCreateSurface(&g_VirBackBufferSD, nWidth, nHeight, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
  g_VirBackBufferSD.szSurfaceType = "VirBackBuffer";
  DDCreateSurface(&g_WorkSD, nWidth, nHeight, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
  g_WorkSD.szSurfaceType = "WorkSD";
  if (!s.nWindowMode) HideCursor();
  return TRUE;
}

void D3DSetDefaultStates() {
  // Culling off, no depth test, SRCALPHA / INVSRCALPHA blending, point
  // sampling with wrap: the rasteriser always works that way.
}

int DDInitFullScreen(HWND hWnd, int nWidth, int nHeight, int nBpp, int nBackBufferFlag) {
  (void)nBackBufferFlag;
  g_lpDD = new cDirectDrawObject;
  FillScreen(hWnd);
  if (nBpp != 8 && nBpp != 16 && nBpp != 32) {
    ReportAndLogf("SetDisplayMode Err");
    return DDINIT_SETDISPLAYMODE_ERR;
  }
  g_DDDisplay.nScreenBpp = nBpp;
  if (!MakeDDScreenSurface(&g_PrimarySD, nWidth, nHeight, 0) || !MakeDDScreenSurface(&g_BackBufferSD, nWidth, nHeight, 0)) {
    ReportAndLogf("Primary CreateSurface Err");
    return DDINIT_CREATESURFACE_ERR;
  }
  if (!DDCreateSurface(&g_ScreenCopySD, nWidth, nHeight, 0, 1, 0, nullptr, 0)) return DDINIT_CREATESURFACE_ERR;
  MakeDDPalette(false);
  if (nBpp > 8) DDGetMaskShifts(&g_MaskSetA);
  HideCursor();
  return DDINIT_OK;
}

int DDInitWindow(HWND) {
  g_lpDD = new cDirectDrawObject;
  // The desktop takes whatever depth the game asks for; a 24-bit one counts
  // as 32.
  int nScreen = g_DDDisplay.nBpp == 24 ? 32 : g_DDDisplay.nBpp;
  g_DDDisplay.nScreenBpp = nScreen;
  if (nScreen != 8 && nScreen != 16 && nScreen != 32) {
    ReportAndLogf("Primary CreateSurface Err");
    return DDINIT_CREATESURFACE_ERR;
  }
  int w = g_DDDisplay.nWidth, h = g_DDDisplay.nHeight;
  if (!MakeDDScreenSurface(&g_PrimarySD, w, h, 0)) {
    ReportAndLogf("Primary CreateSurface Err");
    return DDINIT_CREATESURFACE_ERR;
  }
  if (!DDCreateSurface(&g_BackBufferSD, w, h, 0, 0, 0, nullptr, 0)) return DDINIT_CREATESURFACE_ERR;
  if (!DDCreateSurface(&g_ScreenCopySD, w, h, 0, 1, 0, nullptr, 0)) return DDINIT_CREATESURFACE_ERR;
  MakeDDPalette(true);
  if (nScreen > 8) DDGetMaskShifts(&g_MaskSetA);
  g_lpClipper = new cDirectDrawClipper;
  RevealCursor();
  return DDINIT_OK;
}

bool DDInitErrorName(int nCode) {
  const char* name = nullptr;
  switch (nCode) {
    case 1: name = "CREATEEX_ERR"; break;
    case 2: name = "SETCOOPLEVEL_ERR"; break;
    case 3: name = "SETDISPLAYMODE_ERR"; break;
    case 4: name = "CREATESURFACE_ERR"; break;
    case 5: name = "GETATTACHEDSURFACE_ERR"; break;
    case 6: name = "CREATEPALETTE_ERR"; break;
    case 7: name = "SETPALETTE_ERR"; break;
    case 10: name = "CLIPPER_ERR"; break;
    case 11: name = "SETHWND_ERR"; break;
    case 12: name = "SETCLIPPER_ERR"; break;
    default: return true;
  }
  Logf("%s", name);
  return false;
}

void DDUnInit() {
  DDDISPLAYSETTINGS& s = g_DDDisplay;
  DDResetBatches();
  if (g_lpDD) {
    for (int i = 0; s.lpSDArray && i < s.nInfoCount; ++i) DDReleaseSurface(&s.lpSDArray[i]);
    delete g_lpClipper;
    g_lpClipper = nullptr;
    delete g_lpDDPalette;
    g_lpDDPalette = nullptr;
    DDReleaseSurface(&g_BackBufferSD);
    DDReleaseSurface(&g_PrimarySD);
    DDReleaseSurface(&g_ScreenCopySD);
    delete g_lpDD;
    g_lpDD = nullptr;
    delete g_lpDDCon;
    g_lpDDCon = nullptr;
  }
  if (g_lpD3D) {
    for (int i = 0; s.lpSDArray && i < s.nInfoCount; ++i) DDReleaseSurface(&s.lpSDArray[i]);
    DDReleaseSurface(&g_WorkSD);
    DDReleaseSurface(&g_VirBackBufferSD);
    DDReleaseSurface(&g_BackBufferSD);
    delete lpDevice;
    lpDevice = nullptr;
    delete g_lpD3D;
    g_lpD3D = nullptr;
    delete lpDTCon;
    lpDTCon = nullptr;
  }
  // A Direct3D start that failed before its objects existed leaves only the
  // control block.
  delete lpDTCon;
  lpDTCon = nullptr;
  delete g_lpDDCon;
  g_lpDDCon = nullptr;
  g_SurfaceList.clear();
  g_dwColorKey = 0;
  s.bInit = 0;
}
