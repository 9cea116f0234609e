#include "shell/stage_record_links.h"

#include <string>

#include "base/thread_wrapper.h"
#include "media/graphics/dd.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "play/play_state.h"
#include "play/stage_records.h"
#include "records/ranking.h"
#include "records/replay_file.h"
#include "records/system.h"
#include "shell/dlg_name_entry.h"
#include "shell/main_window.h"
#include "shell/player_input.h"
#include "shell/ranking_display.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"

namespace {

constexpr int32_t kTitleChoiceReplay = 4;
constexpr int kSoundDecide = 1;
constexpr int kSoundRefused = 3;
constexpr int kEmptyBufferCoolDown = 60;
constexpr int kResultPanelX = 336;
constexpr int kResultPanelY = 224;

// Calls since the last refusal of an empty buffer. The game thread and
// thPause use it, never at once: the game thread waits while thPause runs.
int s_nSaveCoolDown = 0;

bool WaitWindowFlag(const std::atomic<DWORD>& flag) {
  while (!flag) {
    if (IsShuttingDown() || IsThreadStopRequested()) return false;
    Sleep(1);
  }
  return true;
}

void RecordReplayFrame() {
  if (g_vPlayerInput.empty()) return;
  const cPlayerInput& in = g_vPlayerInput.CheckedAt(0);
  ReplayRecordFrame(in.m_wDirection, in.m_wButton);
}

BOOL PlayReplayFrame() {
  if (g_vPlayerInput.empty()) return TRUE;
  cPlayerInput& in = g_vPlayerInput.CheckedAt(0);
  in.InputStateReset();
  in.ClearInputEdges();
  uint16_t wDir = 0, wButton = 0;
  if (ReplayPlayFrame(wDir, wButton)) return TRUE;
  in.m_wDirection = wDir;
  in.m_wButton = wButton;
  in.m_nDigit = DirectionDigitFromBits(wDir);
  return FALSE;
}

void ClearInputLogs() {
  for (cPlayerInput& in : g_vPlayerInput) in.InputLogClear();
}

// The dialog edits the name in place (through g_lpStageRegName) while the
// game thread waits here.
void EnterName(std::string& name) {
  const HWND hWnd = g_hWndMain;
  if (!hWnd || !IsWindow(hWnd)) return;
  g_lpStageRegName = &name;
  g_bNameEntered = 0;
  SendMessage(hWnd, UM_NAMEENTRY, 0, 0);
  WaitWindowFlag(g_bNameEntered);
  g_lpStageRegName = nullptr;
}

void DrawStageResultPanel(const int32_t* anRankPos) {
  if (!StartupFontsReady()) return;
  DrawResultPanel(&g_BackBufferSD, kResultPanelX, kResultPanelY, anRankPos);
}

void DrawStageRanking(int x, int y, int nKind, int nHighlight) {
  if (!StartupFontsReady()) return;
  DrawRankingOf(g_RankingSet, &g_BackBufferSD, x, y, nKind, nHighlight);
}

}  // namespace

BOOL CheckReplaySaveKeys() {
  if (g_SceneMgr.m_nTitleChoice == kTitleChoiceReplay || !g_System.m_bReplaySave) return 0;
  if (s_nSaveCoolDown > 0) --s_nSaveCoolDown;
  int nBuffer;
  if (GetAsyncKeyState(VK_F1) < 0) {
    nBuffer = 0;
  } else if (GetAsyncKeyState(VK_F2) < 0) {
    nBuffer = 1;
  } else {
    return 0;
  }
  if (g_ReplayKeys[nBuffer].m_vecKeys1.empty()) {
    if (s_nSaveCoolDown > 0) return 0;
    RequestSystemSound(kSoundRefused);
    s_nSaveCoolDown = kEmptyBufferCoolDown;
    return 0;
  }
  RequestSystemSound(kSoundDecide);
  const HWND hWnd = g_hWndMain;
  if (!hWnd || !IsWindow(hWnd)) return 1;
  g_bRequestDone = 0;
  SendMessage(hWnd, UM_SAVEREPLAY, static_cast<WPARAM>(nBuffer), 0);
  WaitWindowFlag(g_bRequestDone);
  return 1;
}

void InstallStageRecordLinks() {
  STAGERECORDLINKS& l = g_StageRecordLinks;
  l.pfnCheckReplaySaveKeys = &CheckReplaySaveKeys;
  l.pfnRecordReplayFrame = &RecordReplayFrame;
  l.pfnPlayReplayFrame = &PlayReplayFrame;
  l.pfnClearInputLogs = &ClearInputLogs;
  l.pfnEnterName = &EnterName;
  l.pfnDrawResultPanel = &DrawStageResultPanel;
  l.pfnDrawRanking = &DrawStageRanking;
}
