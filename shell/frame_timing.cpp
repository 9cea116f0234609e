#include "shell/frame_timing.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/messages.h"
#include "platform/pacing_clock.h"
#include "base/thread_wrapper.h"

DWORD g_dwFrameMs = 0;
DWORD g_nFps = 0;

namespace {

// Set on the window thread at start-up, read by the frame makers.
std::atomic<bool> s_bDirect3DUp{false};
std::atomic<bool> s_bDirectDrawUp{false};

FRAMESLEEP s_pfnSleep = nullptr;

DWORD s_dwFrameStart = 0;

bool s_bDueStarted = false;
DWORD s_dwNextDue = 0;

bool s_bFpsStarted = false;
DWORD s_dwFpsWindowStart = 0;
DWORD s_dwFpsCount = 0;
DWORD s_dwFpsLast = 0;

bool s_bSecondStarted = false;
DWORD s_dwSecondStart = 0;
DWORD s_dwFrameIndex = 0;

constexpr int kWorkRingSize = 16;
DWORD s_adwWorkRing[kWorkRingSize] = {};
DWORD s_dwWorkRingPos = 0;
DWORD s_dwWorkAverage = 0;

DWORD s_dwIntervalCounter = 0;

void PaceSleep() {
  if (s_pfnSleep)
    s_pfnSleep(1);
  else
    PacingSleep(1);
}

}  // namespace

void SetFramePacingPath(bool bDirect3DUp, bool bDirectDrawUp) {
  s_bDirect3DUp = bDirect3DUp;
  s_bDirectDrawUp = bDirectDrawUp;
}

DWORD FrameTimerStart() {
  s_dwFrameStart = timeGetTime();
  return s_dwFrameStart;
}

DWORD FrameTimerElapsed(BOOL bMeasure) {
  if (bMeasure) g_dwFrameMs = timeGetTime() - s_dwFrameStart;
  return g_dwFrameMs;
}

bool FrameDue(int fps) {
  DWORD now = timeGetTime();
  if (!s_bDueStarted) {
    s_bDueStarted = true;
    s_dwNextDue = now;
  }
  // A rate below 0 can come from a damaged stage file; it paces nothing,
  // as 0 does, rather than dividing into a due time in the past.
  if (fps <= 0) return true;
  // Compared as a difference, so a clock that wraps after 49.7 days does not
  // stop the frames.
  if (static_cast<int32_t>(now - s_dwNextDue) < 0) return false;
  s_dwNextDue = now + static_cast<DWORD>(1000 / fps);
  return true;
}

void WaitFrame(int nTargetFps) {
  if (s_bDirect3DUp || !s_bDirectDrawUp) return;
  while (!FrameDue(nTargetFps)) {
    if (IsThreadStopRequested()) return;
    PaceSleep();
  }
}

bool FrameDueWithStats(int fps, int /*bDebug*/, int /*nY*/) {
  if (!s_bDirect3DUp || fps <= 0) return true;
  DWORD now = timeGetTime();
  if (!s_bSecondStarted) {
    s_bSecondStarted = true;
    s_dwSecondStart = now;
  }
  // The anchor is compared as a time elapsed since it, so a wrapped clock
  // keeps the spacing.
  double elapsed = static_cast<double>(now - s_dwSecondStart);
  if ((1000.0 / fps) * s_dwFrameIndex > elapsed) return false;
  ++s_dwFrameIndex;
  if (s_dwFrameIndex >= static_cast<DWORD>(fps)) {
    s_dwFrameIndex = 0;
    s_dwSecondStart = now;
  }
  return true;
}

bool FrameGateD3D(int nFps) { return FrameDueWithStats(nFps, 0, 0); }

DWORD CountFps(BOOL bCount) {
  DWORD now = timeGetTime();
  if (!s_bFpsStarted) {
    s_bFpsStarted = true;
    s_dwFpsWindowStart = now;
  }
  if (!bCount) return s_dwFpsLast;
  if (now - s_dwFpsWindowStart >= 1000) {
    s_dwFpsWindowStart = now;
    s_dwFpsLast = s_dwFpsCount;
    s_dwFpsCount = 0;
    return s_dwFpsLast;
  }
  ++s_dwFpsCount;
  return s_dwFpsLast;
}

bool FrameIntervalTick(int mode, int n) {
  if (mode == 0) {
    s_dwIntervalCounter = 0;
    return false;
  }
  if (mode == 2) return s_dwIntervalCounter == 0;
  ++s_dwIntervalCounter;
  if (static_cast<int64_t>(s_dwIntervalCounter) == static_cast<int64_t>(n)) {
    s_dwIntervalCounter = 0;
    return true;
  }
  return false;
}

std::string FormatFpsText(DWORD nFps, DWORD nAverageMs) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "FPS%2d(%2d)", static_cast<int>(nFps), static_cast<int>(nAverageMs));
  return buf;
}

bool FpsDisplayFrame(int nShowFps, FPSTEXT& out) {
  if (nShowFps == 0) return false;
  s_adwWorkRing[s_dwWorkRingPos] = g_dwFrameMs;
  if (++s_dwWorkRingPos >= kWorkRingSize) {
    s_dwWorkRingPos = 0;
    DWORD sum = 0;
    for (DWORD ms : s_adwWorkRing) sum += ms;
    s_dwWorkAverage = sum >> 4;
  }
  out.strText = FormatFpsText(g_nFps, s_dwWorkAverage);
  if (nShowFps == 2) {
    out.nFont = 0;
    out.bBoxed = false;
    out.x = 549;
    out.y = 469;
  } else {
    out.nFont = 1;
    out.bBoxed = true;
    out.x = 495;
    out.y = 463;
  }
  return true;
}

void ResetFrameTimingForTests() {
  g_dwFrameMs = 0;
  g_nFps = 0;
  s_dwFrameStart = 0;
  s_bDueStarted = false;
  s_dwNextDue = 0;
  s_bFpsStarted = false;
  s_dwFpsWindowStart = s_dwFpsCount = s_dwFpsLast = 0;
  s_bSecondStarted = false;
  s_dwSecondStart = s_dwFrameIndex = 0;
  for (DWORD& ms : s_adwWorkRing) ms = 0;
  s_dwWorkRingPos = s_dwWorkAverage = 0;
  s_dwIntervalCounter = 0;
}

void SetFrameSleepForTests(FRAMESLEEP pfn) { s_pfnSleep = pfn; }
