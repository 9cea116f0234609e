// The end of a frame: the Direct3D presentation with its pacing, and the
// DirectDraw primary that the frame's own presentation flips or copies to.
// Either way the picture goes to the window as 0x00RRGGBB pixels.
#include <algorithm>
#include <utility>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_raster.h"
#include "platform/frame_sink.h"
#include "platform/messages.h"

namespace {

// Threads: installed by InitGame before the game thread starts; called on
// the thread that presents.
DDFRAMEGATE s_pfnFrameGate = nullptr;

void Submit(const cPixelBuffer& buf, bool bVSync) {
  // One conversion buffer for the thread that presents.
  thread_local std::vector<uint32_t> s_vFrame;
  ConvertToXrgb(buf, DDGetPaletteEntries(), s_vFrame);
  SubmitFrame(s_vFrame.data(), buf.Width(), buf.Height(), buf.Width(), bVSync);
}

}  // namespace

void DDSetFrameGate(DDFRAMEGATE pfn) { s_pfnFrameGate = pfn; }

BOOL DDFlip(int nFps, int, int) {
  if (!lpDTCon) return TRUE;
  if (lpDTCon->bVirBackBuffer) DDCopyVirtualBackBuffer(&g_BackBufferSD, &g_VirBackBufferSD);
  if (!g_DDDisplay.bVSync && s_pfnFrameGate) {
    while (!s_pfnFrameGate(nFps) && !IsShuttingDown()) Sleep(1);
  }
  DDEndScene();
  cPixelBuffer* buf = DDSurfacePixels(&g_BackBufferSD);
  if (buf) Submit(*buf, g_DDDisplay.bVSync != 0);
  return TRUE;
}

HRESULT DDPresentPrimary(BOOL bFlip, BOOL bWaitVBlank) {
  if (lpDTCon || !g_PrimarySD.lpDDS || !g_BackBufferSD.lpDDS) return 0;
  cPixelBuffer*& front = g_PrimarySD.lpDDS->lpSurface;
  cPixelBuffer*& back = g_BackBufferSD.lpDDS->lpSurface;
  if (!front || !back) return 0;
  const bool bFlipped = bFlip && front->Width() == back->Width() && front->Height() == back->Height();
  if (bFlipped) {
    // A flip exchanges the two buffers: the back buffer then holds the
    // picture shown before.
    std::swap(front, back);
  } else {
    KeyedCopy(*front, 0, 0, std::min(front->Width(), back->Width()), std::min(front->Height(), back->Height()), *back,
              0, 0, std::min(front->Width(), back->Width()), std::min(front->Height(), back->Height()), false, 0);
  }
  // Only a flip, or the copy into a window, waits for the vertical blank; the
  // copy to a full screen goes out at once.
  Submit(*front, bWaitVBlank && (bFlipped || g_DDDisplay.nWindowMode != 0));
  return 0;
}
