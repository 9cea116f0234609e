#include "shell/entry.h"

#include <string>

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/single_instance.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "base/message_box.h"
#include "base/path_helpers.h"
#include "base/report.h"
#include "base/thread_wrapper.h"
#include "shell/dlg_message_box.h"
#include "shell/game_loop.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "shell/system_report.h"

DWORD g_bEditorLink = 0;
std::atomic<BYTE> g_bGameReady{0};
std::atomic<DWORD> g_bAppActive{0};
std::string g_strUnconvertedCmdLine;

namespace {

// The window thread's loop until WM_QUIT; gives that message's wParam.
WPARAM RunMessageLoop() {
  MSG msg{};
  for (;;) {
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessage(&msg);
      Sleep(1);
    } else {
      if (!g_bAppActive) WaitMessage();
      Sleep(1);
    }
  }
  return msg.wParam;
}

// The other copy, when one runs: asks, and ends it on Yes. False when this
// copy is to end.
bool PassSingleInstanceRule(cInstanceLock& lock) {
  if (lock.Create() != cInstanceLock::LOCK_ALREADY_RUNNING) return true;
  const std::string caption = Sjis("二重起動");
  int nAnswer = MessageBoxA(nullptr, Sjis("既に起動しています。\n実行中のプログラムを閉じて再起動しますか？"), caption, MB_YESNO);
  if (nAnswer == IDNO) return false;
  if (lock.TerminateOther() == cInstanceLock::TERMINATE_CANNOT_OPEN) {
    MessageBoxA(nullptr, Sjis("プログラムの終了に失敗しました。"), caption, MB_OK);
    return false;
  }
  return true;
}

}  // namespace

int WinMain(const char* lpCmdLine, int nCmdShow) {
  SetLogFile(0, "EC_Game.txt");
  // The other copy is asked about before the report is started: starting it
  // empties Report_Game.txt, which is still the other copy's.
  cInstanceLock instanceLock;
  if (!PassSingleInstanceRule(instanceLock)) return 0;

  std::string reportPath = "Report_Game.txt";
  MakeAbsolutePath(reportPath);
  if (!OpenReport(reportPath)) {
    // A game folder that cannot be written would lose every report line and
    // every save; the person is told rather than left with a silent exit.
    ErrorBox(Sjis("Report_Game.txt を作成出来ません！\nゲームのフォルダに書き込めるか確かめて下さい。"));
    return 1;
  }
  Reportf("App : ver %s", "667");
  WriteSystemReport();
  if (!g_strUnconvertedCmdLine.empty())
    Reportf("%s", (Sjis("コマンドラインをShift-JISに変換出来ないので無視しました : ") + g_strUnconvertedCmdLine).c_str());
  InstallDrawnMessageBoxes();

  // On the original the link is on for the show command SW_SHOW; here there
  // is no editor to tell.
  g_bEditorLink = 0;

  HWND hWnd = CreateMainWindow(&MainWndProc, "");
  if (!hWnd) {
    ErrorBox(Sjis("ウインドウが生成出来ません！"));
    return 0;
  }
  g_MainWnd.m_hWnd = hWnd;
  InstallDrawnDialogs();

  // A start-up that fails ends with 1, not the 0 of a finished run, so that
  // whoever started the program can tell the two apart.
  if (!InitGame(lpCmdLine, nCmdShow)) {
    UnInitGame();
    return 1;
  }
  g_bGameReady = 1;

  if (!thGame.Create(&GameLoop, nullptr)) {
    // With no game thread the handshake below would never succeed.
    Reportf("thGame : the thread cannot be started");
    DestroyWindow(hWnd);
    UnInitGame();
    return 0;
  }
  // The queue of a new thread exists before it runs: the first post succeeds.
  while (!PostThreadMessage(thGame.m_dwThreadId, WM_APP, 0, 0)) {
  }

  WPARAM nResult = RunMessageLoop();
  RemoveDrawnDialogs();
  UnInitGame();
  Logf("%s", Sjis("UnInitGame後").c_str());
  instanceLock.Release();
  Logf("%s", Sjis("ReleaseMutex後").c_str());
  return static_cast<int>(nResult);
}
