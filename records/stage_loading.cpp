#include "records/stage_loading.h"

#include <atomic>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/message_box.h"
#include "base/path_helpers.h"
#include "base/report.h"
#include "records/start_tables.h"
#include "base/thread_wrapper.h"

namespace {

// Set by the loader as its last step; the caller's thread is woken then.
std::atomic<bool> s_bLoadDone{false};
std::atomic<DWORD> s_dwLoadCaller{0};

// How long the caller sleeps between looks when nothing wakes it; the
// loader's wake normally ends the wait at once.
constexpr DWORD LOAD_WAIT_MS = 20;

void PostCloseToMain() { PostMessage(g_hWndMain.load(), WM_CLOSE, 0, 0); }

void DamagedStageBox(const std::string& path) {
  ErrorBoxf(Sjis("ステージファイル %s が破損しています！").c_str(), path.c_str());
  PostCloseToMain();
}

// A read that failed or was given up leaves no half-built stage behind.
void DiscardStage() {
  std::string path = std::move(g_Stage.m_strFilePath);
  uint32_t bFindLatest = g_Stage.m_bFindLatest;
  g_Stage.SetDefaults();
  g_Stage.m_strFilePath = std::move(path);
  g_Stage.m_bFindLatest = bFindLatest;
  g_Stage.m_bLoaded = 0;
}

}  // namespace

void CopyStageSettings(cEdStage& dst, cEdStage& src) {
  dst.CopyFieldValues(src);
  dst.m_nFlowTimeMul = src.m_nFlowTimeMul;
  dst.m_vecBackground = src.m_vecBackground;
  dst.m_vecText = src.m_vecText;
  for (int i = 0; i < STAGE_SUB_COUNT; ++i) dst.m_aSub[i] = src.m_aSub[i];
  dst.m_vecRankingSwitch = src.m_vecRankingSwitch;
  // The stage's own path, from which a free play starts it again.
  dst.m_strFilePath = src.m_strFilePath;
  dst.ClearRecordLists();
}

BOOL CheckStageFile(const std::string& path) {
  FILE* fp = OpenFile(path, "rb");
  if (!fp) return TRUE;
  uint32_t nVersion = 0;
  bool bOk = std::fread(&nVersion, 4, 1, fp) == 1;
  if (bOk) {
    g_nFileDataVersion = static_cast<int32_t>(nVersion);
    if (g_nFileDataVersion >= 174) {
      uint32_t nMark = 0;
      bOk = std::fseek(fp, -4, SEEK_END) == 0 && std::fread(&nMark, 4, 1, fp) == 1 && nMark == STAGE_END_MARK;
    }
  }
  std::fclose(fp);
  if (!bOk) DamagedStageBox(path);
  return bOk ? TRUE : FALSE;
}

unsigned LoadStageThreadProc(void*) {
  BOOL ok = g_Stage.LoadFromFile(g_Stage.m_strFilePath);
  if (IsThreadStopRequested()) ok = 0;
  if (ok) {
    g_Stage.m_bLoaded = 1;
  } else {
    DiscardStage();
  }
  s_bLoadDone = true;
  WakeThread(s_dwLoadCaller.load());
  return ok ? 1u : 0u;
}

BOOL LoadStage(const std::string& name, BOOL bFindLatest, cEdStage* pDest) {
  g_Stage.m_bFindLatest = bFindLatest ? 1 : 0;
  if (bFindLatest) {
    std::string found;
    if (!FindLatestNumberedFile(found, name, g_vecExtension.CheckedAt(1).c_str())) return FALSE;
    g_Stage.m_strFilePath = found;
  } else {
    g_Stage.m_strFilePath = name;
  }
  MakeRelativePath(g_Stage.m_strFilePath);
  if (!CheckStageFile(g_Stage.m_strFilePath)) return FALSE;

  g_Stage.m_bLoaded = 0;
  s_bLoadDone = false;
  s_dwLoadCaller = GetCurrentThreadId();
  if (thLoader.Create(&LoadStageThreadProc, nullptr)) {
    // The window stays responsive: this thread handles its messages until
    // the loader wakes it at its end.
    while (!s_bLoadDone.load()) {
      MSG msg;
      if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          Logf("msg.message == WM_QUIT");
          thLoader.Exit();
          // The loader may have finished just before it was told to end.
          DiscardStage();
          // The quit belongs to this thread's own loop.
          PostQuitMessage(static_cast<int>(msg.wParam));
          return FALSE;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        continue;
      }
      if (IsShuttingDown() || IsThreadStopRequested()) {
        thLoader.Exit();
        DiscardStage();
        return FALSE;
      }
      WaitMessageTimeout(LOAD_WAIT_MS);
    }
    thLoader.Exit();
    // A short load can end before this thread first looks at its queue; a
    // quit or a shut-down that came before the end still ends the load, as
    // it does a long one. The quit stays posted for this thread's own loop.
    MSG msg;
    if (IsShuttingDown() || IsThreadStopRequested() || PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
      DiscardStage();
      return FALSE;
    }
  }

  if (!g_Stage.m_bLoaded) {
    ErrorBoxf(Sjis("ステージファイル %s の読み込みに失敗しました！").c_str(), g_Stage.m_strFilePath.c_str());
    return FALSE;
  }
  if (!g_Stage.HasPlayerPlacement()) {
    ErrorBox(Sjis("主人公が配置されていないのでプレイできません！"));
    PostCloseToMain();
    return FALSE;
  }
  if (pDest && pDest != &g_Stage) CopyStageSettings(*pDest, g_Stage);
  return TRUE;
}
