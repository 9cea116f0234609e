#include "shell/main_window.h"

#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "records/report.h"
#include "records/thread_wrapper.h"
#include "shell/entry.h"

cMainWnd g_MainWnd;

namespace {

void CloseMainWindow(HWND hWnd) {
  // A close while thPause draws a frozen stage only stops that thread and
  // sets the stage scene's close request (the stage side closes again); that
  // branch comes with the stage scene, and shut-down below must not start
  // before it.
  Logf("%s", Sjis("WM_CLOSE 成功！").c_str());
  // From here a game-side thread blocked in SendMessage to this window
  // returns at once, so nothing below can wait on a thread that waits on us.
  BeginShutdown();
  // The music is stopped here once the music manager exists.
  thLoader.Exit();
  thPause.Exit();
  thStageWork.Exit();
  Logf("thPause.Exit()");
  thGame.Exit();
  Logf("thGame.Exit()");
  DestroyWindow(hWnd);
}

}  // namespace

LRESULT MainWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return MainWndOnMessage(hWnd, msg, wParam, lParam);
}

LRESULT MainWndOnMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM) {
  g_MainWnd.m_hWnd = hWnd;
  switch (msg) {
    case WM_CREATE:
      g_MainWnd.m_bCreated = TRUE;
      return 0;
    case WM_DESTROY:
      Logf("WM_DESTROY");
      g_MainWnd.m_hWnd = nullptr;
      g_hWndMain = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      // The window layer shows its last frame again on expose.
      return 0;
    case WM_CLOSE:
      CloseMainWindow(hWnd);
      return 0;
    case WM_ACTIVATEAPP:
      g_bAppActive = static_cast<DWORD>(wParam);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessage(hWnd, WM_CLOSE, 0, 0);
      return 0;
    default:
      return 0;
  }
}
