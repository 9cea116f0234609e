// The stage scene's replays and rankings: the attempt's seed and key
// record, playback of a replay, and the result's ranking registration with
// its display thread thStageWork.
#include "play/stage_records.h"

#include <algorithm>
#include <climits>

#include "base/message_box.h"
#include "base/report.h"
#include "base/thread_wrapper.h"
#include "platform/game_random.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "play/play_state.h"
#include "play/stage_scene.h"
#include "records/option.h"
#include "records/progress.h"
#include "records/ranking.h"
#include "records/ranking_file.h"
#include "records/replay_file.h"
#include "records/stage.h"
#include "records/system.h"
#include "records/system_queries.h"

STAGERECORDLINKS g_StageRecordLinks;

namespace {

constexpr int32_t kTitleChoiceReplay = 4;
constexpr int kSoundDecide = 1;
constexpr int kSoundGenre = 6;
constexpr int kSoundRegistered = 16;
constexpr uint16_t kButtonGenre = 8;  // the fourth button turns the ranking pages
constexpr int kRankingX = 184;
constexpr int kRankingY = 64;
constexpr int kResultPanelDelay = 199;  // the banner counter past which the panel shows
constexpr int kHintText = 27;
constexpr int kHintY = 456;

bool AppActive() { return !g_StageLinks.pfnAppActive || g_StageLinks.pfnAppActive(); }

bool RegistersByF3() { return g_Option.m_nRankingMode == 0 || g_Option.m_nRankingMode == 1; }

// The first genre the play kind ranks (genre 0 when it ranks none).
void SelectFirstRankingPage(int nPlayKind) {
  g_Progress.m_nRankGenre = kRankGenreCount - 1;
  NextRankingGenre(g_Progress, nPlayKind, 1);
  if (CountSystemEntryFlags(nPlayKind) == 0) g_Progress.m_nRankGenre = 0;
}

// thStageWork: the ranking over the frozen stage until the decision button.
// The button that closed the result may still be down when the display
// opens; only a press after it was let go ends the display.
unsigned StageWorkThreadProc(void* pArg) {
  cSceneStage& scene = *static_cast<cSceneStage*>(pArg);
  const int nPlayKind = scene.m_Start.nPlayKind;
  SelectFirstRankingPage(nPlayKind);
  bool bArmed = false;
  for (;;) {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return 1;
    }
    if (IsThreadStopRequested() || scene.m_bCloseRequest) return 1;
    if (!AppActive()) {
      Sleep(1);
      continue;
    }
    PLAYERKEYS keys;
    if (g_StageLinks.pfnFrozenFrameStart && !g_StageLinks.pfnFrozenFrameStart(keys))
      PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    if (!(keys.wHeld & PLAYERKEY_DECIDE)) bArmed = true;
    if (bArmed && (keys.wPressed & PLAYERKEY_DECIDE)) {
      RequestSystemSound(kSoundDecide);
      return 1;
    }
    if ((keys.wPressed & kButtonGenre) && CountSystemEntryFlags(nPlayKind) > 1) {
      RequestSystemSound(kSoundGenre);
      NextRankingGenre(g_Progress, nPlayKind, 1);
    }
    scene.DrawStageFrame(0, 1, 0, 1);
    const int nKind = std::clamp(g_Progress.m_nRankGenre, 0, RANK_TABLE_COUNT - 1);
    const int nHighlight = static_cast<size_t>(nKind) < scene.m_vRankPos.size() ? scene.m_vRankPos[nKind] : -1;
    if (g_StageRecordLinks.pfnDrawRanking) g_StageRecordLinks.pfnDrawRanking(kRankingX, kRankingY, nKind, nHighlight);
    if (g_StageLinks.pfnPresent) g_StageLinks.pfnPresent();
  }
}

}  // namespace

// ---- Replays ----------------------------------------------------------------------

void cSceneStage::ResetPlayRecords() {
  if (m_Start.nTitleChoice != kTitleChoiceReplay) {
    for (int i = 0; i < REPLAY_BUFFER_COUNT; ++i) {
      g_ReplayKeys[i].Clear();
      g_ReplayProgress[i] = cEdProgress();
    }
  }
  g_Progress.m_nRankValue0 = 0;
  if (m_Start.bRanking) LoadUserDataRecord(g_RankingSet, m_Start.nPlayKind, g_Progress.m_strStage);
}

void cSceneStage::ReloadReplay() {
  if (m_Start.nTitleChoice != kTitleChoiceReplay) return;
  // The stage as loaded stays the one the title's load made; only the stage
  // in play, the keys and the progress come back from the file.
  cEdStage asLoaded;
  if (!LoadReplay(g_ReplayKeys[0], g_strReplayPath, g_Stage, asLoaded, g_Progress)) {
    Reportf(Sjis("リプレイファイル %s を読み直せません").c_str(), g_strReplayPath.c_str());
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
  }
}

void cSceneStage::TakeAttemptSeed() {
  if (m_Start.nTitleChoice == kTitleChoiceReplay) {
    for (uint32_t& n : g_ReplayKeys[0].m_nPlayPos) n = 0;
    m_dwSeed = g_ReplayKeys[0].m_nRandomSeed;
  } else if (g_System.m_bReplaySave) {
    m_dwSeed = timeGetTime();
    ReplayBeginAttempt(m_dwSeed);
  } else {
    return;
  }
  if (g_StageRecordLinks.pfnClearInputLogs) g_StageRecordLinks.pfnClearInputLogs();
}

bool cSceneStage::PlayReplayInput() {
  if (g_StageRecordLinks.pfnPlayReplayFrame && !g_StageRecordLinks.pfnPlayReplayFrame()) return true;
  // The end of the record: the replay starts again from its banner.
  RestoreStartStatus(true);
  SetStage(1, 1);
  m_anBanner[0] = 0;
  m_nState = STAGESTATE_BANNER;
  return false;
}

void cSceneStage::RecordReplayInput() {
  if (m_Start.nTitleChoice == kTitleChoiceReplay || !g_System.m_bReplaySave) return;
  if (g_StageRecordLinks.pfnRecordReplayFrame) g_StageRecordLinks.pfnRecordReplayFrame();
}

BOOL cSceneStage::CheckReplaySaveKeys() {
  return g_StageRecordLinks.pfnCheckReplaySaveKeys && g_StageRecordLinks.pfnCheckReplaySaveKeys() ? TRUE : FALSE;
}

// ---- Rankings ---------------------------------------------------------------------

void cSceneStage::RegisterRanking() {
  if (!m_Start.bRanking || !m_bRankEligible || m_bRegistered) return;
  if (g_Option.m_nRankingMode == 0 || g_Option.m_nRankingMode == 2) {
    // Offered with the name the progress keeps, which takes the one typed.
    m_strRankName = g_Progress.m_strRegName;
    if (g_StageRecordLinks.pfnEnterName) g_StageRecordLinks.pfnEnterName(m_strRankName);
    g_Progress.m_strRegName = m_strRankName;
  } else {
    m_strRankName = g_Option.m_szRankingName;
  }
  RequestSystemSound(kSoundRegistered);
  int32_t anPos[RANK_TABLE_COUNT], anValue[RANK_TABLE_COUNT];
  for (int k = 0; k < RANK_TABLE_COUNT; ++k) {
    const size_t i = static_cast<size_t>(k);
    anPos[k] = i < m_vRankPos.size() ? m_vRankPos[i] : -1;
    anValue[k] = i < m_vResult.size() ? m_vResult[i] : 0;
  }
  RegisterRankResults(g_RankingSet, anPos, anValue, m_strRankName, m_Start.nPlayKind, g_Progress.m_strStage);
  m_bRegistered = 1;
  // The thread's queue exists before it runs: the first post is taken.
  if (thStageWork.Create(&StageWorkThreadProc, this)) {
    PostThreadMessage(thStageWork.m_dwThreadId, WM_APP, 0, 0);
    thStageWork.WaitClose();
  }
}

void cSceneStage::ResultRankingKeys() {
  CheckReplaySaveKeys();
  if (RegistersByF3() && GetAsyncKeyState(VK_F3) < 0) RegisterRanking();
}

void cSceneStage::CloseResultRanking() {
  const bool bByClose = g_Option.m_nRankingMode == 2 || g_Option.m_nRankingMode == 3;
  if (m_bRankEligible && bByClose) {
    RegisterRanking();
  } else {
    RequestSystemSound(kSoundDecide);
  }
}

void cSceneStage::DrawResultFrame(bool bAuto) {
  const bool bRanked = std::any_of(m_vRankPos.begin(), m_vRankPos.end(), [](int32_t n) { return n != -1; });
  if (bAuto || m_bRegistered || !bRanked || !RegistersByF3()) {
    DrawStageFrame(0, 1, 0, 1);
    return;
  }
  DrawStageFrame(0, 1, 0, 0);
  const std::string& hint = static_cast<size_t>(kHintText) < g_System.m_vecText.size()
                                ? g_System.m_vecText[kHintText]
                                : std::string();
  if (g_StageLinks.pfnDrawText) g_StageLinks.pfnDrawText(320 - CountMbcsChars(hint) * 16 / 2, kHintY, hint);
}

void cSceneStage::DrawResultPanelAfterBanner(bool bAuto) {
  if (bAuto || !m_Start.bRanking || m_anBanner[0] <= kResultPanelDelay) return;
  int32_t anPos[RANK_TABLE_COUNT];
  for (int k = 0; k < RANK_TABLE_COUNT; ++k)
    anPos[k] = static_cast<size_t>(k) < m_vRankPos.size() ? m_vRankPos[static_cast<size_t>(k)] : -1;
  if (g_StageRecordLinks.pfnDrawResultPanel) g_StageRecordLinks.pfnDrawResultPanel(anPos);
}
