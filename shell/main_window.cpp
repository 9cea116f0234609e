#include "shell/main_window.h"

#include <cstdio>

#include "media/graphics/dd.h"
#include "media/sound/sound_effects.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "records/database.h"
#include "base/report.h"
#include "records/system.h"
#include "base/thread_wrapper.h"
#include "shell/dlg_file_chooser.h"
#include "shell/dlg_name_entry.h"
#include "shell/entry.h"
#include "shell/play_start.h"
#include "shell/scene_manager.h"

cMainWnd g_MainWnd;

std::atomic<DWORD> g_bRequestDone{0};
std::atomic<DWORD> g_bFileChosen{0};
std::atomic<DWORD> g_bNameEntered{0};
std::atomic<int32_t> g_nStageBgm{0};
std::atomic<int32_t> g_nStageBgmLoop{0};

const OPENCHOOSER kStageChooser = {"data\\stg4\\", "ステージファイルの選択", "StageFile ( *.stg4_*;*.rpl4_* )",
                                   "*.stg4_*;*.rpl4_*", "stg4_*;rpl4_*"};
const OPENCHOOSER kReplayChooser = {"user_data\\rpl4", "リプレイファイルの選択", "ReplayFile ( *.rpl4_* )", "*.rpl4_*",
                                    "rpl4_*"};

namespace {

cMusicSink* s_lpMusic = nullptr;

// ---- The dialogs, choosers and the stand-ins of the loaders ------------------

BOOL ChooseOpenFileRequest(std::string& path, const OPENCHOOSER& chooser) {
  const FILEFILTER filter{chooser.pszFilter, chooser.pszPattern};
  return ChooseOpenFile(path, 260, chooser.pszFolder, Sjis(chooser.pszTitle), filter, chooser.pszDefExt, nullptr);
}

// Until the replay unit offers its save chooser (with the proposed name):
// "file:PATH" of TARVOLIN4_ANSWERS chooses PATH, anything else cancels.
BOOL ScriptedChooseReplaySavePath(std::string& path, const std::string&) {
  std::fprintf(stderr, "[%s]\n", "リプレイの保存");
  std::string answer;
  if (!NextScriptedAnswer(answer) || answer.rfind("file:", 0) != 0) return FALSE;
  bool bOk = false;
  std::string cp932 = Utf8ToCp932(answer.substr(5), &bOk);
  if (!bOk || cp932.empty()) return FALSE;
  path = cp932;
  return TRUE;
}

BOOL NoReplayLoad(const std::string&) { return FALSE; }
BOOL NoReplaySave(int, const std::string&) { return FALSE; }

// ---- Request handlers ---------------------------------------------------------

void NameEntryRequest() {
  DDDialogMode(1);
  SuspendWorkerThreads();
  if (g_WindowRequests.pfnNameEntry) g_WindowRequests.pfnNameEntry();
  DDDialogMode(0);
  ResumeWorkerThreads();
  g_bNameEntered = 1;
}

// A file that is chosen but cannot be loaded does not count as chosen: the
// title stays, rather than entering a mode with nothing loaded while a close
// is pending. The loaders show their own messages.
void OpenRequest(UINT msg) {
  const bool bStage = msg == UM_OPENSTAGE;
  DDDialogMode(1);
  std::string path;
  BOOL bChosen = g_WindowRequests.pfnChooseOpenFile &&
                 g_WindowRequests.pfnChooseOpenFile(path, bStage ? kStageChooser : kReplayChooser);
  DDDialogMode(0);
  BOOL bLoaded = FALSE;
  if (bChosen) {
    if (bStage)
      bLoaded = g_WindowRequests.pfnStartStageFile && g_WindowRequests.pfnStartStageFile(path, 0);
    else
      bLoaded = g_WindowRequests.pfnLoadReplay && g_WindowRequests.pfnLoadReplay(path);
  }
  g_bFileChosen = bLoaded ? 1 : 0;
  g_bRequestDone = 1;
}

// A replay that cannot be saved does not end the play: SaveReplay shows its
// error and the game goes on.
void SaveReplayRequest(WPARAM wParam) {
  std::string path;
  if (!g_WindowRequests.pfnChooseReplaySavePath || !g_WindowRequests.pfnChooseReplaySavePath(path, std::string())) {
    g_bFileChosen = 0;
  } else {
    if (g_WindowRequests.pfnSaveReplay) g_WindowRequests.pfnSaveReplay(wParam == 0 ? 0 : 1, path);
    g_bFileChosen = 1;
  }
  g_bRequestDone = 1;
}

// Music index 0 is the "none" entry, which means silence even when the
// project's music list is empty (a list the editor allows); any other index
// outside the list is a fault that the checked access reports.
const std::string& MusicFileOf(int nIndex) {
  static const std::string s_strNone;
  if (nIndex == 0 && g_Database.m_vecBgm.empty()) return s_strNone;
  return g_Database.m_vecBgm.CheckedAt(nIndex).strFile;
}

void PlayMusicRequest(WPARAM wParam, LPARAM lParam) {
  if (wParam <= 3) {
    const int s = static_cast<int>(wParam);
    const std::string& name = MusicFileOf(static_cast<int>(g_System.m_vecScreenBgm.CheckedAt(s)));
    if (s_lpMusic) s_lpMusic->SetMusic(s, name);
    const int nLoop = g_System.m_vecScreenBgmLoop.CheckedAt(s);
    // The world map and the save screen share their music: going from one
    // to the other does not start it again.
    const int32_t mode = g_SceneMgr.m_nMode, prev = g_SceneMgr.m_nPrevMode;
    const bool bShared = s == 1 && ((mode == GAMEMODE_WORLDMAP && prev == GAMEMODE_SAVE) ||
                                    (mode == GAMEMODE_SAVE && prev == GAMEMODE_WORLDMAP));
    if (s_lpMusic) s_lpMusic->Play(0, s, nLoop, 0, bShared ? 0 : 1);
  } else if (wParam == 4) {
    const int nIndex = static_cast<int>(lParam);
    g_nStageBgm = nIndex;
    const std::string& name = MusicFileOf(nIndex);
    if (!s_lpMusic) return;
    s_lpMusic->SetMusic(4, name);
    if (nIndex == 0)
      s_lpMusic->Stop();
    else
      s_lpMusic->Play(0, 4, g_nStageBgmLoop, 0, 1);
  }
}

void CloseMainWindow(HWND hWnd) {
  // A close while thPause draws a frozen stage only stops that thread and
  // sets the stage scene's close request (the stage side closes again); that
  // branch comes with the stage scene, and shut-down below must not start
  // before it.
  Logf("%s", Sjis("WM_CLOSE 成功！").c_str());
  // From here a game-side thread blocked in SendMessage to this window
  // returns at once, so nothing below can wait on a thread that waits on us.
  BeginShutdown();
  if (s_lpMusic) s_lpMusic->Stop();
  thLoader.Exit();
  thPause.Exit();
  thStageWork.Exit();
  Logf("thPause.Exit()");
  thGame.Exit();
  Logf("thGame.Exit()");
  DestroyWindow(hWnd);
}

}  // namespace

WINDOWREQUESTS DefaultWindowRequests() {
  return WINDOWREQUESTS{&NameEntryRequestDialog, &ChooseOpenFileRequest, &ScriptedChooseReplaySavePath,
                        &StartStageFile,       &NoReplayLoad,          &NoReplaySave};
}
WINDOWREQUESTS g_WindowRequests = DefaultWindowRequests();

void SetMusicSink(cMusicSink* lpSink) { s_lpMusic = lpSink; }
cMusicSink* GetMusicSink() { return s_lpMusic; }

void SuspendWorkerThreads() {
  thGame.Suspend();
  thPause.Suspend();
  thStageWork.Suspend();
  thLoader.Suspend();
}

void ResumeWorkerThreads() {
  thGame.Resume();
  thPause.Resume();
  thStageWork.Resume();
  thLoader.Resume();
}

LRESULT MainWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return MainWndOnMessage(hWnd, msg, wParam, lParam);
}

LRESULT MainWndOnMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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
    case UM_NAMEENTRY:
      NameEntryRequest();
      return 0;
    case UM_OPENSTAGE:
    case UM_OPENREPLAY:
      OpenRequest(msg);
      return 0;
    case UM_SAVEREPLAY:
      SaveReplayRequest(wParam);
      return 0;
    case UM_PLAYSE:
      PlaySoundEntry(static_cast<int>(wParam));
      return 0;
    case UM_PLAYBGM:
      PlayMusicRequest(wParam, lParam);
      return 0;
    case UM_RESETDEVICE:
      DDRestoreSurface();
      return 0;
    default:
      return 0;
  }
}
