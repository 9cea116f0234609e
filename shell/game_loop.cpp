#include "shell/game_loop.h"

#include <exception>

#include "media/graphics/dd.h"
#include "media/graphics/font.h"
#include "platform/messages.h"
#include "platform/pacing_clock.h"
#include "platform/window.h"
#include "base/report.h"
#include "base/thread_wrapper.h"
#include "shell/entry.h"
#include "shell/frame_timing.h"
#include "shell/ini_file.h"
#include "shell/main_window.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"

BOOL g_bPresentByBlt = 1;

namespace {

// A stage running above 60 frames per second is presented without waiting
// for the display.
bool FastStageRuns() {
  const cSceneManager& m = g_SceneMgr;
  return m.m_nMode == GAMEMODE_STAGE && m.m_nTargetFps > 60;
}

void DrawFpsText() {
  FPSTEXT t;
  if (!FpsDisplayFrame(g_Ini.nShowFps, t)) return;
  if (!StartupFontsReady() || t.nFont < 0 || t.nFont >= FONT_COUNT) return;
  cFont& font = g_Fonts[t.nFont];
  if (t.bBoxed)
    font.DrawTextBox(&g_BackBufferSD, t.x, t.y, 0, 0, "%s", t.strText.c_str());
  else
    font.DrawText(&g_BackBufferSD, t.x, t.y, t.strText.c_str(), 0);
}

}  // namespace

bool WaitFrameGateD3D(int nFps) {
  // The wait is here rather than in the caller's loop: the caller sleeps on
  // the real clock, which under fast pacing never moves the paced one.
  while (!FrameGateD3D(nFps)) {
    if (IsThreadStopRequested() || IsShuttingDown()) break;
    PacingSleep(1);
  }
  return true;
}

bool RestoreLostSurfaces() {
  if (lpDTCon || !g_lpDD) return true;
  if (!g_PrimarySD.bLost) return true;
  // DDRestore redraws the fonts' strips itself.
  return DDRestore() != 0;
}

void PresentFrame() {
  const cSceneManager& m = g_SceneMgr;
  if (lpDTCon) {
    if (!DDFlip(m.m_nTargetFps)) {
      if (!g_DDDisplay.nWindowMode) ShowWindow(g_hWndMain, SW_SHOWMINNOACTIVE);
      SendMessage(g_hWndMain, UM_RESETDEVICE, 0, 0);
    }
    return;
  }
  if (!g_lpDD) return;
  const bool bFast = FastStageRuns();
  if (!g_DDDisplay.nWindowMode) {
    DDPresentPrimary(!g_bPresentByBlt && !bFast, g_DDDisplay.bVSync && !bFast);
  } else {
    DDPresentPrimary(FALSE, !bFast);
  }
}

bool GameFrame() {
  cSceneManager& m = g_SceneMgr;
  WaitFrame(m.m_nTargetFps);
  FrameTimerStart();
  if (!RestoreLostSurfaces()) return false;
  PollPlayerInput(g_vPlayerInput);
  RunCatchingSceneText([&m] { SetMode(m.m_nMode); });
  if (cScene* lpScene = m.SceneOf(m.m_nMode)) lpScene->Update();
  g_nFps = CountFps(1);
  g_dwFrameMs = FrameTimerElapsed(1);
  // The stage scene takes g_nFps for its own display once it exists.
  DrawFpsText();
  PresentFrame();
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
      bool bOk = false;
      // Nothing thrown may leave the thread: it ends the program in order.
      try {
        bOk = GameFrame();
      } catch (const std::exception& e) {
        ReportAndLogf("GameFrame : %s", e.what());
      } catch (...) {
        ReportAndLogf("GameFrame : an unknown exception");
      }
      if (!bOk) {
        PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
        return 1;
      }
    } else {
      Sleep(1);
    }
  }
}
