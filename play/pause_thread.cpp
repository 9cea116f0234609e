// The frozen-frame thread thPause, which keeps the stopped stage drawn and
// presented while the game thread waits in the middle of a step, and the two
// steps that end a finished stage (its totals and extra lives, the ranking
// positions).
#include <algorithm>

#include "base/thread_wrapper.h"
#include "platform/messages.h"
#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/play_state.h"
#include "play/player.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/ranking.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

constexpr int kSoundDecide = 1;
constexpr int kSoundKeyWaitEnd = 12;
constexpr int kSoundStageClear = 14;
constexpr int kSoundExtend = 15;
constexpr DWORD kCloseGraceMs = 2000;
// Each extra life stops the game thread for a 30-frame display; a score
// that crosses a huge number of extend steps at once shows at most this
// many displays (the lives are all given).
constexpr int64_t kMaxExtendDisplays = 99;

bool AppActive() { return !g_StageLinks.pfnAppActive || g_StageLinks.pfnAppActive(); }

// The extra-life icon over player 1 for the display; null without a player.
TEXTOBJ* AddExtendIcon() {
  const cPlayer* p = ::FirstPlayer();
  if (!p) return nullptr;
  TEXTSETUP t;
  t.nKind = TEXTKIND_ICON;
  t.nPosMode = 1;  // above the chara
  t.nCharaId = p->m_nId;
  g_lstText.emplace_back();
  TEXTOBJ* lpText = &g_lstText.back();
  lpText->TextObjectSetup(t, 0);
  return lpText;
}

// The text leaves again, unless the drawing has already ended it (its
// chara gone).
void RemoveText(TEXTOBJ* lpText) {
  for (auto it = g_lstText.begin(); it != g_lstText.end(); ++it) {
    if (&*it != lpText) continue;
    it->RemoveSurface();
    g_lstText.erase(it);
    return;
  }
}

unsigned PauseThreadProc(void* pArg) {
  cSceneStage& scene = *static_cast<cSceneStage*>(pArg);
  if (scene.m_bCloseRequest) return 0;
  DWORD dwCloseSeen = 0;
  bool bCloseSeen = false;
  for (;;) {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return 1;
    }
    if (IsThreadStopRequested()) return 1;
    if (!AppActive()) {
      Sleep(1);
      continue;
    }
    if (scene.m_bCloseRequest) {
      // The window thread posts WM_QUIT with the request; should it not
      // arrive, the thread ends itself after the grace time.
      const DWORD now = timeGetTime();
      if (!bCloseSeen) {
        bCloseSeen = true;
        dwCloseSeen = now;
      } else if (now - dwCloseSeen >= kCloseGraceMs) {
        return 1;
      }
      Sleep(1);
      continue;
    }
    PLAYERKEYS keys;
    if (g_StageLinks.pfnFrozenFrameStart && !g_StageLinks.pfnFrozenFrameStart(keys))
      PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    if (scene.CheckReplaySaveKeys()) continue;
    cSceneStage::PAUSEWAIT& w = scene.m_Wait;
    if (w.nDelay > 0) {
      --w.nDelay;
    } else if (w.bWaitKey) {
      if (!(keys.wHeldBefore & PLAYERKEY_DECIDE) && (keys.wPressed & PLAYERKEY_DECIDE)) {
        RequestSystemSound(w.nKind == 1 ? kSoundKeyWaitEnd : kSoundDecide);
        scene.m_bKeySwallow = 1;
        return 1;
      }
    } else if (--w.nFrames < 0) {
      return 1;
    }
    scene.DrawStageFrame(0, 1, 0, 1);
    if (g_StageLinks.pfnPresent) g_StageLinks.pfnPresent();
  }
}

}  // namespace

void cSceneStage::SetPauseWait(int32_t nKind, int32_t bWaitKey, int32_t nFrames, int32_t bNoDelay) {
  m_Wait.nKind = nKind;
  m_Wait.bWaitKey = bWaitKey;
  m_Wait.nFrames = nFrames;
  m_Wait.nSpare = 0;
  m_Wait.nDelay = (bWaitKey && nKind == 1 && !bNoDelay) ? 10 : 0;
}

BOOL cSceneStage::StartPauseThread() {
  if (thPause.Create(&PauseThreadProc, this)) {
    // The thread's queue exists before it runs, so the start message is
    // taken at the first post; a post that fails means the thread has
    // already ended (and its queue with it), so it is not repeated.
    PostThreadMessage(thPause.m_dwThreadId, WM_APP, 0, 0);
    thPause.WaitClose();
  }
  if (m_bCloseRequest) {
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    return FALSE;
  }
  return TRUE;
}

void cSceneStage::FinishStage() {
  RequestSystemSound(kSoundStageClear);
  AddStageTotals();
  m_bRegistered = 0;
  m_bRankEligible = 0;
  std::fill(m_vRankPos.begin(), m_vRankPos.end(), -1);
  if (!m_Start.bFreeStage) {
    if (!m_Start.bRanking) return;
    if (!IsLastStage(m_nNextStage, g_Progress, m_nNextStage, "stg4")) return;
  }
  const cEdProgress& p = g_Progress;
  m_vResult = {p.m_nRankValue0, p.m_nRankValue1, p.m_nRankValue2, p.m_nRankValue3, p.m_nRankValue4};
  if (m_Start.bEditorLink) return;
  // A category counts when the play kind and the stage both switch it on.
  const cVector<cEdRankingSwitch>& vKinds = g_System.m_vecRankingSwitch;
  const int nKind = m_Start.nPlayKind;
  if (nKind < 0 || nKind >= static_cast<int>(vKinds.size())) return;
  const cVector<uint8_t>& vKindOn = vKinds[nKind].Flags();
  for (int i = 0; i < RANK_TABLE_COUNT; ++i) {
    const bool bKindOn = i < static_cast<int>(vKindOn.size()) && vKindOn[i];
    const bool bStageOn = i < static_cast<int>(g_Stage.m_vecRankingSwitch.size()) && g_Stage.m_vecRankingSwitch[i];
    if (!bKindOn || !bStageOn || i >= static_cast<int>(g_RankingSet.m_vecTable.size())) continue;
    m_vRankPos[i] = FindRankPosition(g_RankingSet.m_vecTable[i], m_vResult[i]);
    if (m_vRankPos[i] != -1) m_bRankEligible = 1;
  }
}

void cSceneStage::AddStageTotals() {
  cEdProgress& p = g_Progress;
  const int64_t nOldTotal = p.m_nTotalScore;
  // Totals of scores stay within the six digits a score has.
  p.m_nTotalScore = static_cast<int32_t>(std::clamp<int64_t>(nOldTotal + p.m_nScore, 0, SCORE_CAP));
  p.m_nRankValue0 = static_cast<int32_t>(std::clamp<int64_t>(int64_t{p.m_nRankValue0} + p.m_nScore, 0, SCORE_CAP));
  if (!m_Timer.bFrozen) p.m_nRankValue1 += m_Timer.nTime;
  p.m_nRankValue2 += m_Timer.nElapsed;
  if (const cPlayer* pl = ::FirstPlayer()) {
    p.m_nRankValue3 = static_cast<int32_t>(std::clamp<int64_t>(int64_t{p.m_nRankValue3} + pl->m_nHp, 0, INT32_MAX));
    p.m_nRankValue4 = static_cast<int32_t>(std::clamp<int64_t>(int64_t{p.m_nRankValue4} + pl->m_nSp, 0, INT32_MAX));
  }
  if (p.m_nLives == kUnlimitedLives || !g_System.m_bExtendOn || g_System.m_nExtendScore == 0) return;
  const int64_t s = g_System.m_nExtendScore;
  const int64_t k = p.m_nTotalScore / s - nOldTotal / s;
  for (int64_t i = 0; i < k; ++i) {
    GainLife(p);
    if (i >= kMaxExtendDisplays) continue;
    RequestSystemSound(kSoundExtend);
    TEXTOBJ* lpText = AddExtendIcon();
    SetPauseWait(4, 0, 30, 0);
    const BOOL bGoOn = StartPauseThread();
    RemoveText(lpText);
    if (!bGoOn) return;
    while (!AppActive() && !IsThreadStopRequested()) Sleep(1);
  }
}
