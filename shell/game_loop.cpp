#include "shell/game_loop.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/frame_sink.h"
#include "platform/messages.h"
#include "platform/pacing_clock.h"
#include "platform/window.h"
#include "records/report.h"
#include "records/thread_wrapper.h"
#include "shell/entry.h"

namespace {

constexpr DWORD kFrameMs = 1000 / 60;

// Until the frame-timing unit lands: the next frame is due 16 ms after the
// moment the current one was found due. Clock values are compared as a
// difference, so a wrapped clock does no harm.
void WaitForFrame() {
  static bool s_bStarted = false;
  static DWORD s_dwNextDue = 0;
  DWORD now = timeGetTime();
  if (!s_bStarted) {
    s_bStarted = true;
    s_dwNextDue = now;
  }
  while (static_cast<int32_t>(now - s_dwNextDue) < 0) {
    if (IsThreadStopRequested()) return;
    PacingSleep(1);
    now = timeGetTime();
  }
  s_dwNextDue = now + kFrameMs;
}

}  // namespace

bool GameFrame() {
  WaitForFrame();
  // Scenes draw into the back buffer here once they exist; for now the frame
  // is black.
  static std::vector<uint32_t> s_BackBuffer(static_cast<size_t>(kClientWidth) * kClientHeight);
  std::fill(s_BackBuffer.begin(), s_BackBuffer.end(), 0u);
  SubmitFrame(s_BackBuffer.data(), kClientWidth, kClientHeight, kClientWidth, false);
  return true;
}

unsigned GameLoop(void*) {
  MSG msg;
  for (;;) {
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        Logf("GameLoop WM_QUIT!");
        return 1;
      }
      continue;  // the start handshake among them
    }
    if (IsThreadStopRequested()) return 1;
    if (g_bAppActive) {
      if (!GameFrame()) {
        PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
        return 1;
      }
    } else {
      Sleep(1);
    }
  }
}
