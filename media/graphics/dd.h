// The graphics wrapper: device set-up on the DirectDraw or the Direct3D path,
// surfaces, palette and colour key, blits, fills, the draw batch and frame
// presentation. Every surface is one of our pixel buffers; the two paths
// keep their own rules (exact colour key on DirectDraw, textures with alpha
// and blending on Direct3D).
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "media/graphics/dd_pixels.h"
#include "platform/win_types.h"

struct DDSURFACEDATA;
struct DDSURFACEINFO;
struct DDMASKSET;
struct DDLOCKDESC;

// ---- Public interface ------------------------------------------------------

// Device set-up and shut-down. nReserved is the extra argument start-up
// passes (always 0).
bool DDInit(int nMode, HWND hWnd, int nWidth, int nHeight, int nBpp, BOOL bVSync, int nWindowMode,
            int nBackBufferFlag, int nRefresh, BOOL bUseRefresh, DDSURFACEDATA* lpSDArray,
            DDSURFACEINFO* lpInfoTable, int nInfoCount, int nReserved = 0);
BOOL D3DInit(HWND hWnd, int nWidth, int nHeight, int nBpp);
void D3DSetDefaultStates();
int DDInitFullScreen(HWND hWnd, int nWidth, int nHeight, int nBpp, int nBackBufferFlag);
int DDInitWindow(HWND hWnd);
bool DDInitErrorName(int nCode);
void DDUnInit();
// Lost-device recovery (dd_restore.h has the routines and their test seam).
BOOL DDRestoreSurface();
BOOL DDRestore();

// Surfaces.
void DDSurfaceDataConstruct(DDSURFACEDATA* lpSD);
BOOL DDCreateSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, BOOL bTransmit, int nMemType, int nDTMemType,
                     DDSURFACEDATA* lpParentSD, BOOL bRestore);
// A surface whose user fills every part it reads first (a font's work
// surface): on the DirectDraw path it is not filled with colour 0 when
// made, so its pages cost nothing until the first text is drawn.
BOOL DDCreateScratchSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, BOOL bTransmit, int nMemType,
                            int nDTMemType);
int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFileName, BOOL bTransmit, int nBpp, int nMemType,
                            int nDTMemType, DDSURFACEDATA* lpParentSD, BOOL bPalMap, int nMirrorWidth,
                            int nMirrorHeight, BOOL bRestore);
BOOL DDSurfaceErrorName(int nCode);
bool DDLoadSurfaceList(DDSURFACEDATA* lpSDArray, const int* lpIndex, int nCount);
bool DDAddSurface(std::vector<DDSURFACEDATA>& vSD, std::vector<DDSURFACEINFO>& vInfo, int nWidth, int nHeight,
                  BOOL bTransmit, int nMemType, int nDTMemType, DDSURFACEDATA* lpParentSD);
bool DDAddSurfaceToList(std::list<DDSURFACEDATA>& lstSD, std::list<DDSURFACEINFO>& lstInfo, int nWidth, int nHeight,
                        BOOL bTransmit, int nMemType, int nDTMemType, DDSURFACEDATA* lpParentSD);
BOOL DDRemoveSurface(std::list<DDSURFACEDATA>& lstSD, std::list<DDSURFACEINFO>& lstInfo, DDSURFACEDATA* lpSD);
void DDReleaseSurfaceData(DDSURFACEDATA* lpSD);
void DDReleaseSurface(DDSURFACEDATA* lpSD);
void DDReleaseSurfaceVector(std::vector<DDSURFACEDATA>& vSD);
template <class CONTAINER>
void DDReleaseSurfaceArray(CONTAINER& arr) {
  for (auto& sd : arr) DDReleaseSurface(&sd);
}
BOOL DDBitmapFits(BOOL* lpTooBig, const char* szFile, int nMaxW, int nMaxH);
BOOL DDReloadBitmap(DDSURFACEDATA* lpSD, int nBpp);
BOOL CopyBitmap(DDSURFACEDATA* lpSD, const char* szFile, int nBpp, BOOL bPalMap, int nMirrorWidth, int nMirrorHeight);
void DDTextureSize(int* lpWidth, int* lpHeight);
BOOL DDCheckTextureSize(int nWidth, int nHeight);
// The text of the box shown the first time a texture cannot be made (CP932;
// empty: none is shown). Start-up sets it under Direct3D, before the game
// thread runs.
void DDSetTextureFailureText(const std::string& text);
void DDMirrorCells(DDSURFACEDATA* lpSD, DDSURFACEDATA* lpSrcSD, int nMirrorWidth, int nMirrorHeight);

// Palette and colour key.
bool DDLoadPaletteFromFile(BYTE* lpPal, const DDSURFACEINFO* lpInfo, int nWindowMode);
BOOL DDSetTransmit(const DDSURFACEINFO* lpInfo);
void DDSetTransmitRGB(BYTE cbRed, BYTE cbGreen, BYTE cbBlue);
// The project's own exact transparent colour, which start-up puts in place
// of the one read from the palette picture at 16 bits.
void DDSetExactTransmitRGB(BYTE cbRed, BYTE cbGreen, BYTE cbBlue);
void DDGetMaskShifts(DDMASKSET* lpMask);
DWORD PalNumToRGB(DWORD dwPalNum);
WORD DDRGBToPixel(const BYTE* lpEntry);
// The display palette of the DirectDraw path at 8 bits (what SetEntries
// makes current): entries of red, green, blue, flags; lpEntries[0] is
// entry nFirst.
void DDSetPaletteEntries(int nFirst, int nCount, const BYTE* lpEntries);
const BYTE* DDGetPaletteEntries();

// Blits and fills.
HRESULT DDBltFast(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
                  int nSrcY, DWORD dwFlags);
void DDBltFastBlend(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                    DWORD dwFlags, const DWORD* lpBlend);
void DDBltStretchBlend(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                       int sw, int sh, DWORD dwFlags, const DWORD* lpBlend);
void DDBltD3D(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
              int nSrcY, int nSrcWidth, int nSrcHeight, DWORD dwFlags);
BOOL DDClipBlt(DDSURFACEDATA* lpDstSD, int* x, int* y, int* w, int* h, DDSURFACEDATA* lpSrcSD, int* sx, int* sy,
               int* sw, int* sh);
void DDClipSource(DDSURFACEDATA* lpSrcSD, int* sx, int* sy, int* sw, int* sh);
void DDResolveLinked(DDSURFACEDATA** lplpSD);
BOOL DDRedirectBackBuffer(DDSURFACEDATA** lplpSD);
void DDSetVirtualBackBuffer(BOOL bOn);
void DDCopyVirtualBackBuffer(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc);
BOOL DDBeginScene();
void DDEndScene();
BOOL DDSetRenderTarget(DWORD nIndex, DDSURFACEDATA* lpSD);
void DDSetDrawColor(DWORD dwColor);
void DDResetDrawColor();
void DDSetColorOp(DWORD dwOp);
void DDResetColorOp();
void DDSetAlphaOp(DWORD dwOp);
void DDResetAlphaOp();
void DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, DWORD dwPalNum);
void DDFillSurface(DDSURFACEDATA* lpSD, DWORD dwPalNum);
void DDFillRectRGB(DDSURFACEDATA* lpSD, int x, int y, int w, int h, DWORD dwColor);
void DDFillSurfaceRGB(DDSURFACEDATA* lpSD, DWORD dwColor);
void DDBeginFillBatch();
void DDEndFillBatch();

// The draw batch.
void DDBeginBatch(BOOL bSort);
void DDSetBatchLayer(DDSURFACEDATA* lpSD);
void DDEndBatch();
void DDDrawTextBatch(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpSheetSD,
                     const char* szText);
bool DDLock(DDSURFACEDATA* lpSD, DDLOCKDESC* lpDesc, void** lplpBits, int nBpp);
void DDUnlock(DDSURFACEDATA* lpSD);
BOOL DDDialogMode(BOOL bOn);

// Presentation. DDFlip presents on the Direct3D path (FALSE only for a lost
// device, which never happens here). On the DirectDraw path the frame's own
// presentation calls DDPresentPrimary: a flip swaps the primary and the back
// buffer, otherwise the back buffer is copied to the primary; either way
// the primary goes to the window. bWaitVBlank holds a flip, or a copy in
// window mode, until the vertical blank; a copy to a full screen never waits.
BOOL DDFlip(int nFps, int nUnused1 = 0, int nUnused2 = 0);
HRESULT DDPresentPrimary(BOOL bFlip, BOOL bWaitVBlank);
// The frame gate of the frame timing (FrameDueWithStats); the shell
// registers it. Without one, every frame is due.
typedef bool (*DDFRAMEGATE)(int nFps);
void DDSetFrameGate(DDFRAMEGATE pfn);

// ---- Records ---------------------------------------------------------------

enum : int {
  DTMEMORYTYPE_VIDEO_RT = 0,
  DTMEMORYTYPE_SYSTEM = 1,
  DTMEMORYTYPE_VIDEO_NORT = 2,
};

// Results of DDInitFullScreen / DDInitWindow and DDCreateSurfaceFromFile.
enum : int {
  DDINIT_OK = 0,
  DDINIT_CREATEEX_ERR = 1,
  DDINIT_SETCOOPLEVEL_ERR = 2,
  DDINIT_SETDISPLAYMODE_ERR = 3,
  DDINIT_CREATESURFACE_ERR = 4,
  DDINIT_GETATTACHEDSURFACE_ERR = 5,
  DDINIT_CREATEPALETTE_ERR = 6,
  DDINIT_SETPALETTE_ERR = 7,
  DDINIT_CLIPPER_ERR = 10,
  DDINIT_SETHWND_ERR = 11,
  DDINIT_SETCLIPPER_ERR = 12,
  DDSURF_CREATESURFACE_ERR = 4,
  DDSURF_LOADIMAGE_ERR = 8,
  DDSURF_SETCOLORKEY_ERR = 9,
  DDSURF_TEXTURE_ERR = 16,
};

// Texture-stage operation codes of the Direct3D path (the values callers
// store in data and pass to DDSetColorOp / DDSetAlphaOp).
enum : DWORD {
  DDTOP_DISABLE = 1,
  DDTOP_SELECTARG1 = 2,
  DDTOP_SELECTARG2 = 3,
  DDTOP_MODULATE = 4,
  DDTOP_MODULATE2X = 5,
  DDTOP_MODULATE4X = 6,
  DDTOP_ADD = 7,
  DDTOP_ADDSIGNED = 8,
  DDTOP_ADDSIGNED2X = 9,
  DDTOP_SUBTRACT = 10,
  DDTOP_ADDSMOOTH = 11,
  DDTOP_BLENDDIFFUSEALPHA = 12,
  DDTOP_BLENDTEXTUREALPHA = 13,
  DDTOP_BLENDFACTORALPHA = 14,
  DDTOP_BLENDTEXTUREALPHAPM = 15,
  DDTOP_BLENDCURRENTALPHA = 16,
  DDTOP_PREMODULATE = 17,
  DDTOP_MODULATEALPHA_ADDCOLOR = 18,
  DDTOP_MODULATECOLOR_ADDALPHA = 19,
  DDTOP_MODULATEINVALPHA_ADDCOLOR = 20,
  DDTOP_MODULATEINVCOLOR_ADDALPHA = 21,
  DDTOP_BUMPENVMAP = 22,
  DDTOP_BUMPENVMAPLUMINANCE = 23,
  DDTOP_DOTPRODUCT3 = 24,
  DDTOP_MULTIPLYADD = 25,
  DDTOP_LERP = 26,
};

// Direct3D record of a surface.
struct DDTEXTUREDATA {
  int nVertexSlot = 0;
  cPixelBuffer* lpSurface = nullptr;        // level 0 of the texture; the back buffer's own pixels
  cPixelBuffer* lpSystemSurface = nullptr;  // unused: our render targets read back directly
  ePixelFormat fmtDesc = PF_NONE;           // format and size of level 0
  int nDescWidth = 0;
  int nDescHeight = 0;
  int nDTMemType = DTMEMORYTYPE_VIDEO_RT;
  BOOL bTransmit = 0;
  BOOL bRenderTarget = 0;
  std::vector<BYTE>* lpPalMap = nullptr;  // palette-number map, or null
};

// DirectDraw record of a surface.
struct DDDRAWDATA {
  cPixelBuffer* lpSurface = nullptr;
  BOOL bColorKey = 0;  // a source colour key is set
  DWORD dwColorKey = 0;
  std::vector<BYTE>* lpPalMap = nullptr;
};

struct DDSURFACEDATA {
  DDTEXTUREDATA* lpDT = nullptr;
  DDDRAWDATA* lpDDS = nullptr;
  std::string szSurfaceType;
  int nWidth = 0;
  int nHeight = 0;
  int nTexWidth = 0;
  int nTexHeight = 0;
  std::string szFileName;
  int nMemType = 0;
  int nMirrorWidth = 0;
  int nMirrorHeight = 0;
  DDSURFACEDATA* lpParentSD = nullptr;
  BOOL bLost = 0;
};

struct DDSURFACEINFO {
  std::string szFileName;  // "E" = an empty surface
  BOOL bTransmit = 0;
  int nMemType = 0;
  int nDTMemType = 0;
  DDSURFACEDATA* lpParentSD = nullptr;
  BOOL bPalMap = 0;
  BOOL bNoError = 0;
  int nMirrorWidth = 0;
  int nMirrorHeight = 0;
  int nWidth = 0;
  int nHeight = 0;
};

// A shift and a maximum per channel (red, green, blue, alpha).
struct DDMASKSET {
  DWORD dwRedShift = 0, dwGreenShift = 0, dwBlueShift = 0, dwAlphaShift = 0;
  DWORD dwRedMax = 0, dwGreenMax = 0, dwBlueMax = 0, dwAlphaMax = 0;
};

// Three colour bytes in the order blue, green, red.
struct DDRGBTRIPLE {
  BYTE rgbtBlue = 0;
  BYTE rgbtGreen = 0;
  BYTE rgbtRed = 0;
};

// What the device was created with (kept for a reset).
struct DTPRESENTPARAMS {
  int nBackBufferWidth = 0;
  int nBackBufferHeight = 0;
  ePixelFormat fmtBackBuffer = PF_NONE;
  BOOL bWindowed = 0;
  int nRefreshRate = 0;
  BOOL bIntervalImmediate = 0;
  BOOL bSwapDiscard = 0;
};

// The capabilities of our software device. Tests may change them.
struct DTDEVICECAPS {
  BOOL bPow2 = 0;
  BOOL bSquareOnly = 0;
  BOOL bDynamicTextures = 1;
  BOOL bAlphaFullscreenFlipOrDiscard = 1;
  BOOL bHardwareVertexProcessing = 1;
  int nMaxTextureWidth = 8192;
  int nMaxTextureHeight = 8192;
};

// The Direct3D control block.
struct DTCONDATA {
  ePixelFormat fmtBackBuffer = PF_NONE;
  ePixelFormat fmtTexture = PF_NONE;
  DTPRESENTPARAMS d3dpp;
  UINT nAdapter = 0;
  UINT nDeviceType = 1;
  ePixelFormat fmtDisplay = PF_NONE;
  DTDEVICECAPS d3dCaps;
  BOOL bPow2 = 0;
  BOOL bSquareOnly = 0;
  BOOL bDynamicTextures = 0;
  BOOL nReserved = 0;
  BOOL bVirBackBuffer = 0;
  DDSURFACEDATA* lpTargetSD = nullptr;
  BOOL bCopying = 0;
  DDRGBTRIPLE rgbTransmit;
  DDRGBTRIPLE rgbExact;
  DWORD dwPalZeroColor = 0;  // the colour of palette number 0: transparent black
  DWORD dwTransmitARGB = 0;
  WORD wReserved = 0;
  WORD wTransmit_16 = 0;
  BOOL bSceneBegun = 0;
  DWORD dwDrawColor = 0xFFFFFFFFu;
  DWORD dwColorOp = DDTOP_MODULATE;
  DWORD dwAlphaOp = DDTOP_MODULATE;
  int nNextVertexSlot = 0;
  int nNextFontId = 0;
};

// The DirectDraw control block.
struct DDCONDATA {
  DDRGBTRIPLE rgbTransmit;
  BYTE bySpare1 = 0;
  DDRGBTRIPLE rgbExact;
  BYTE bySpare2 = 0;
  DWORD dwFontCounter = 0;
};

// DDLock's description of the locked pixels.
struct DDLOCKDESC {
  DWORD dwSize = 0;
  int nWidth = 0;
  int nHeight = 0;
  int nPitchBytes = 0;
  int nBpp = 0;
  void* lpSurface = nullptr;
};

// The display settings, written by DDInit and read everywhere.
struct DDDISPLAYSETTINGS {
  int nMode = 0;
  BOOL bInit = 0;
  HWND hWnd = nullptr;
  int nWidth = 0;
  int nHeight = 0;
  int nBpp = 0;
  int nBytesPerPixel = 0;
  int nWindowMode = 0;
  BOOL bVSync = 0;
  int nBackBufferFlag = 0;
  int nRefresh = 0;
  BOOL bUseRefresh = 0;
  DDSURFACEDATA* lpSDArray = nullptr;
  DDSURFACEINFO* lpInfoTable = nullptr;
  int nInfoCount = 0;
  BYTE bEverInit = 0;
  int nScreenBpp = 0;  // the desktop depth in window mode (taken to be the asked depth)
};

// Objects of the device; they exist while the path is up.
struct cDirectDrawObject {};
struct cDirect3DObject {};
struct cDirect3DDevice {};
struct cDirectDrawClipper {};
struct cDirectDrawPalette {
  BYTE entries[256 * 4] = {};
};

// ---- Globals ---------------------------------------------------------------

// Threads (every global of this section): DDInit and DDUnInit run on the
// window thread, before the game thread starts and after it has ended; in
// between only the thread that draws (the game thread, or a stage worker
// while the game thread waits for it) reads and writes them. The window
// thread's dialogs draw over the frame handed to the window, never these.
extern DDDISPLAYSETTINGS g_DDDisplay;
extern DTCONDATA* lpDTCon;  // set: the Direct3D path runs; null: DirectDraw
extern DDCONDATA* g_lpDDCon;
extern cDirectDrawObject* g_lpDD;
extern cDirect3DObject* g_lpD3D;
extern cDirect3DDevice* lpDevice;
extern cDirectDrawClipper* g_lpClipper;
extern cDirectDrawPalette* g_lpDDPalette;
extern DDSURFACEDATA g_BackBufferSD;
extern DDSURFACEDATA g_VirBackBufferSD;
extern DDSURFACEDATA g_WorkSD;
extern DDSURFACEDATA g_PrimarySD;
extern DDSURFACEDATA g_ScreenCopySD;
extern std::list<DDSURFACEDATA*> g_SurfaceList;
extern DDMASKSET g_MaskSetA;  // the back buffer's (screen's) format
extern DDMASKSET g_MaskSetB;  // the textures' format
extern DWORD g_dwColorKey;    // DirectDraw colour-key value, a pixel of the screen format
extern BYTE g_Palette[256 * 4];
extern BYTE g_WorkPalette[256 * 4];

// The capabilities the next D3DInit gives its device (tests change them).
extern DTDEVICECAPS g_DDSoftwareCaps;
