#include "platform/frame_sink.h"

#include <atomic>

#include "platform/key_script.h"
#include "platform/messages.h"
#include "platform/screenshot.h"
#include "platform/test_seams.h"
#include "platform/window.h"

namespace {
std::atomic<uint64_t> s_nPresented{0};
}

void SubmitFrame(const uint32_t* pPixels, int nWidth, int nHeight, int nPitchPixels, bool bVSync) {
  HandFrameToWindow(pPixels, nWidth, nHeight, nPitchPixels, bVSync);
  uint64_t n = ++s_nPresented;
  ScreenshotFrameIfAsked(n, pPixels, nWidth, nHeight, nPitchPixels);
  // The seams act as the frame is shown, so a scripted run is the same
  // however fast its frames are made.
  DeliverScriptedKeys(n);
  static const long s_nExitAfter = EnvNumber("TARVOLIN4_EXIT_AFTER", 0);
  if (s_nExitAfter > 0 && n == static_cast<uint64_t>(s_nExitAfter)) PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
}

uint64_t PresentedFrameCount() { return s_nPresented.load(); }
