#include "platform/frame_sink.h"

#include <atomic>

#include "platform/audio.h"
#include "platform/key_script.h"
#include "platform/messages.h"
#include "platform/pacing_clock.h"
#include "platform/screenshot.h"
#include "platform/test_seams.h"
#include "platform/window.h"

namespace {

// Written by the thread that presents, read by any thread (tests, seams).
std::atomic<uint64_t> s_nPresented{0};
std::atomic<uint64_t> s_nVSynced{0};

// A frame presented with VSync waits for the display's next vertical blank:
// the window's present does that wait. The games are made for a display of
// 60 Hz (the original set the display to 60 Hz before it relied on the
// blank), so on any other, or one whose rate is unknown, the blank is also
// kept by the clock at 60 Hz; so it is with no window, and under fast
// pacing (where the wait must take no wall time but the clock must still
// move). Only the thread that presents calls this.
bool DisplayPacesSixtyHertz() {
  const int nHz = GameWindowRefreshRate();
  return nHz >= 59 && nHz <= 61;
}

void WaitForClockBlank() {
  constexpr double kPeriodMs = 1000.0 / 60.0;
  static bool s_bStarted = false;
  static DWORD s_dwOrigin = 0;
  static double s_dNextMs = 0.0;  // the next blank, in ms after s_dwOrigin
  DWORD now = timeGetTime();
  if (!s_bStarted) {
    s_bStarted = true;
    s_dwOrigin = now;
    s_dNextMs = kPeriodMs;
    return;
  }
  // Differences of the clock, so a wrapped clock does no harm.
  double elapsed = static_cast<double>(static_cast<DWORD>(now - s_dwOrigin));
  if (elapsed > s_dNextMs + 2 * kPeriodMs) {
    // Far behind (a long frame): the next blank is simply the next one.
    s_dwOrigin = now;
    s_dNextMs = kPeriodMs;
    return;
  }
  while (elapsed < s_dNextMs && !IsShuttingDown()) {
    PacingSleep(1);
    elapsed = static_cast<double>(static_cast<DWORD>(timeGetTime() - s_dwOrigin));
  }
  s_dNextMs += kPeriodMs;
}

// TARVOLIN4_EXIT_AFTER=N: 0 when not given.
uint64_t ExitAfterFrames() {
  static const long s_nExitAfter = EnvNumber("TARVOLIN4_EXIT_AFTER", 0);
  return s_nExitAfter > 0 ? static_cast<uint64_t>(s_nExitAfter) : 0;
}

// The thread that presented the last frame of a scripted run waits here
// until it is told to end (WM_QUIT in its queue: the close sequence ends
// every worker that way), so the close finds the game exactly at that
// frame however long the window thread takes to reach it. The message is
// left in the queue for the thread's own loop.
void WaitUntilToldToEnd() {
  MSG msg;
  while (!PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) Sleep(1);
}

}  // namespace

void SubmitFrame(const uint32_t* pPixels, int nWidth, int nHeight, int nPitchPixels, bool bVSync) {
  const uint64_t nLast = ExitAfterFrames();
  if (nLast > 0 && s_nPresented.load() >= nLast) {
    // After the last frame of a scripted run (a thread that went on once
    // the close reached it): not shown, counted, mixed or scripted.
    WaitUntilToldToEnd();
    return;
  }
  const bool bDisplayBlank = bVSync && HasGameWindow() && !IsFastPacing();
  if (bVSync && !(bDisplayBlank && DisplayPacesSixtyHertz())) WaitForClockBlank();
  HandFrameToWindow(pPixels, nWidth, nHeight, nPitchPixels, bDisplayBlank);
  if (bVSync) ++s_nVSynced;
  uint64_t n = ++s_nPresented;
  AudioStepVideoFrame();
  ScreenshotFrameIfAsked(n, pPixels, nWidth, nHeight, nPitchPixels);
  // The seams act as the frame is shown, so a scripted run is the same
  // however fast its frames are made.
  DeliverScriptedKeys(n);
  if (n == nLast) {
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    WaitUntilToldToEnd();
  }
}

uint64_t PresentedFrameCountForTests() { return s_nPresented.load(); }

uint64_t VSyncFrameCountForTests() { return s_nVSynced.load(); }
