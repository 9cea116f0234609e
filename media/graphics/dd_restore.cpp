#include "media/graphics/dd_restore.h"

#include <vector>

#include "base/report.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/font.h"
#include "platform/text_cp932.h"

namespace {

enum eDeviceState { DEVICE_OK, DEVICE_LOST, DEVICE_NOTRESET };
// What the device's cooperative-level test answers. Written by the test
// seam (the test's thread) and by DDRestoreSurface on the window thread
// while the game thread waits in SendMessage; never two at once.
eDeviceState s_nDeviceState = DEVICE_OK;

void WipePixels(DDSURFACEDATA* lpSD) {
  if (cPixelBuffer* buf = DDSurfacePixels(lpSD)) buf->FillRaw(0, 0, buf->Width(), buf->Height(), 0);
}

bool IsFileSurface(const DDSURFACEDATA* lpSD) { return !lpSD->szFileName.empty() && lpSD->szFileName != "E"; }

}  // namespace

void DDSimulateDeviceLossForTests(BOOL bResettable) {
  if (lpDTCon) {
    s_nDeviceState = bResettable ? DEVICE_NOTRESET : DEVICE_LOST;
    for (DDSURFACEDATA* lpSD : g_SurfaceList)
      if (lpSD->lpDT && lpSD->lpDT->nDTMemType != DTMEMORYTYPE_SYSTEM) WipePixels(lpSD);
    WipePixels(&g_BackBufferSD);
    return;
  }
  g_PrimarySD.bLost = 1;
  WipePixels(&g_BackBufferSD);
  const DDDISPLAYSETTINGS& s = g_DDDisplay;
  for (int i = 0; s.lpSDArray && i < s.nInfoCount; ++i)
    if (s.lpSDArray[i].nMemType == 0) WipePixels(&s.lpSDArray[i]);
}

BOOL DDRestoreSurface() {
  if (!lpDTCon) {
    Logf("%s", Sjis("DDではDDRestoreSurfaceは未対応").c_str());
    return TRUE;
  }
  Logf("Restore In");
  // The original released the textures before asking whether the device
  // could be reset, and on "not yet" left later draws with released
  // textures; asking first leaves every surface as it was.
  if (s_nDeviceState != DEVICE_NOTRESET) {
    Logf("%s", Sjis("復旧失敗…リセット可能な状態ではありません…").c_str());
    return FALSE;
  }
  std::vector<DDSURFACEDATA*> vList(g_SurfaceList.begin(), g_SurfaceList.end());
  for (DDSURFACEDATA* lpSD : vList) {
    if (!lpSD->lpDT || lpSD->lpDT->nDTMemType == DTMEMORYTYPE_SYSTEM) continue;
    delete lpSD->lpDT->lpSurface;
    lpSD->lpDT->lpSurface = nullptr;
  }
  int nFont = 0;
  for (cFont* lpFont : g_FontList) {
    (void)lpFont;
    Logf("Font i = %d", nFont++);
  }
  // The reset: the back buffer comes back with the kept parameters.
  if (g_BackBufferSD.lpDT) {
    delete g_BackBufferSD.lpDT->lpSurface;
    g_BackBufferSD.lpDT->lpSurface = new cPixelBuffer;
    if (!g_BackBufferSD.lpDT->lpSurface->Create(lpDTCon->fmtBackBuffer, g_BackBufferSD.nWidth, g_BackBufferSD.nHeight))
      return FALSE;
  }
  s_nDeviceState = DEVICE_OK;
  D3DSetDefaultStates();
  int i = 0;
  for (DDSURFACEDATA* lpSD : vList) {
    Logf("i = %d lpSD->szSurfaceType = %s lpSD->szFileName = %s Size = (%d,%d)", i++, lpSD->szSurfaceType.c_str(),
         lpSD->szFileName.c_str(), lpSD->nWidth, lpSD->nHeight);
    if (!lpSD->lpDT || lpSD->lpDT->nDTMemType == DTMEMORYTYPE_SYSTEM) continue;
    DDTEXTUREDATA& dt = *lpSD->lpDT;
    if (IsFileSurface(lpSD)) {
      // A surface that had its palette-number map gets it again (the old
      // one is freed), so it reads the same after a reset as before.
      std::string name = lpSD->szFileName;
      if (DDCreateSurfaceFromFile(lpSD, name.c_str(), dt.bTransmit, g_DDDisplay.nBpp, lpSD->nMemType, dt.nDTMemType,
                                  lpSD->lpParentSD, dt.lpPalMap != nullptr, lpSD->nMirrorWidth, lpSD->nMirrorHeight,
                                  1) != 0)
        Logf("Err");
    } else {
      if (!DDCreateSurface(lpSD, lpSD->nWidth, lpSD->nHeight, dt.bTransmit, lpSD->nMemType, dt.nDTMemType,
                           lpSD->lpParentSD, 1))
        Logf("Err");
      lpSD->bLost = 1;
    }
  }
  for (cFont* lpFont : g_FontList) lpFont->Restore();
  Logf("Restore Out");
  return TRUE;
}

BOOL DDRestore() {
  if (lpDTCon) {
    Logf("%s", Sjis("D3DではDDRestoreは未対応").c_str());
    return TRUE;
  }
  if (!g_PrimarySD.bLost) return TRUE;
  // Our buffers keep their memory: restoring the primary and the back
  // buffer is clearing the flag.
  g_PrimarySD.bLost = 0;
  const DDDISPLAYSETTINGS& s = g_DDDisplay;
  for (int i = 0; s.lpSDArray && i < s.nInfoCount; ++i) {
    DDSURFACEDATA* lpSD = &s.lpSDArray[i];
    if (!lpSD->lpDDS || lpSD->nMemType != 0) continue;
    if (IsFileSurface(lpSD)) DDReloadBitmap(lpSD, s.nBpp);
    else lpSD->bLost = 1;
  }
  if (s.nBpp == 8) DDSetPaletteEntries(0, 256, g_WorkPalette);
  for (cFont* lpFont : g_FontList) lpFont->Restore();
  return TRUE;
}
