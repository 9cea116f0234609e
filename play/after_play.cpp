// The states after play over the frozen stage: the pause menu, the result of
// a finished stage, the miss menu of story play and game over; and the
// choice of the mode that follows a finished stage.
#include <algorithm>

#include "base/message_box.h"
#include "base/report.h"
#include "media/graphics/dd.h"
#include "media/graphics/dd_effects.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/play_state.h"
#include "play/stage_graphics.h"
#include "play/stage_scene.h"
#include "play/status_carry.h"
#include "records/progress.h"
#include "records/replay_file.h"
#include "records/stage.h"
#include "records/stage_loading.h"
#include "records/system.h"
#include "records/system_queries.h"
#include "records/world_map.h"

namespace {

constexpr int kSoundCursor = 0;
constexpr int kSoundDecide = 1;
constexpr int kSoundCancel = 2;
constexpr int kMenuX = 320;
constexpr int kMenuY = 272;
constexpr int kRowHeight = 16;
constexpr int kAccessorySurface = 49;  // the 16 x 16 cursor at (64, 0)
constexpr int kWordSurface = 51;

const char* const kChallengeFile = "user_data\\challenge\\Challenge.dat";

}  // namespace

PLAYERKEYS cSceneStage::ReadKeys() const {
  PLAYERKEYS keys;
  if (g_StageLinks.pfnReadKeys) g_StageLinks.pfnReadKeys(keys);
  return keys;
}

int cSceneStage::MenuStep(const PLAYERKEYS& keys, int nRows) {
  if (keys.wDirection & 4) {
    m_nMenuRow = (m_nMenuRow + nRows - 1) % nRows;
    RequestSystemSound(kSoundCursor);
  } else if (keys.wDirection & 8) {
    m_nMenuRow = (m_nMenuRow + 1) % nRows;
    RequestSystemSound(kSoundCursor);
  }
  return m_nMenuRow;
}

// The menu's texts (consecutive project texts from anText[0]) in their
// framed box, centred on x 320 with room for the cursor, which stands in
// that room on the chosen row.
void cSceneStage::DrawMenu(const int* anText, int nRows) {
  const int x = CalcCenteredTextX(kMenuX, anText[0], nRows, 1);
  DrawSystemTexts(x, kMenuY, anText[0], nRows, 1);
  DDSURFACEDATA* lpCursor = StageSurface(kAccessorySurface);
  if (lpCursor) DDBltFast(&g_BackBufferSD, x, kMenuY + m_nMenuRow * kRowHeight, 16, 16, lpCursor, 64, 0, 1);
}

void cSceneStage::PauseMenu() {
  static const int s_anText[3] = {19, 20, 21};  // Give up, Continue, Retry
  // Retry is offered for a story point or a challenge course already
  // cleared, and always in free play.
  const cEdProgress& pr = g_Progress;
  bool bThreeRows = false;
  switch (m_Start.nPlayKind) {
    case 0: {
      const int n = pr.m_nClearFlag;
      bThreeRows = g_System.m_bPauseItemA != 0 && n >= 0 && static_cast<size_t>(n) < pr.m_vFlag.size() &&
                   pr.m_vFlag[static_cast<size_t>(n)] != 0;
      break;
    }
    case 1: {
      const int n = pr.m_nClearFlag - 1;
      bThreeRows = g_System.m_bPauseItemB != 0 && n >= 0 && static_cast<size_t>(n) < pr.m_vChallenge.size() &&
                   pr.m_vChallenge[static_cast<size_t>(n)].m_nFirst != 0;
      break;
    }
    case 2: bThreeRows = true; break;
    default: break;
  }
  const int nRows = bThreeRows ? 3 : 2;
  if (CheckReplaySaveKeys()) return;
  if (m_nSubState == 0) {
    m_nMenuRow = 1;
    m_nSubState = 1;
  }
  const PLAYERKEYS keys = ReadKeys();
  const int nRow = MenuStep(keys, nRows);
  if (keys.wPressed & PLAYERKEY_DECIDE) {
    RequestSystemSound(kSoundDecide);
    if (nRow == 0) {
      if (bThreeRows && m_Start.bFreeStage) {
        PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
      } else {
        m_nNextMode = 0;
      }
      m_nSubState = 0;
      m_nState = STAGESTATE_END;
    } else if (nRow == 1) {
      m_bKeySwallow = 1;
      m_nState = m_nSavedState;
      m_nSubState = m_nSavedSubState;
    } else {
      m_bKeySwallow = 1;
      RestoreStartStatus(true);
      SetStage(1, 0);
      m_nSubState = 0;
      m_nState = STAGESTATE_BANNER;
    }
    return;
  }
  if (keys.wPressed & PLAYERKEY_CANCEL) {
    RequestSystemSound(kSoundCancel);
    m_bKeySwallow = 1;
    m_nState = m_nSavedState;
    m_nSubState = bThreeRows ? m_nSavedSubState : 0;
    return;
  }
  DrawStageFrame(0, 1, 0, 1);
  DrawMenu(s_anText, nRows);
}

bool cSceneStage::OpenPauseMenu() {
  if (!CheckSpaceKey()) return false;
  m_nSavedState = m_nState;
  m_nSavedSubState = m_nSubState;
  m_nSubState = 0;
  m_nState = STAGESTATE_PAUSEMENU;
  return true;
}

void cSceneStage::Result() {
  const bool bAuto = g_Stage.m_bResultAutoClose != 0;
  if (!bAuto && OpenPauseMenu()) return;
  if (!bAuto) ResultRankingKeys();
  if (m_nSubState == 0) {
    m_anBanner[0] = 0;
    m_nSubState = 1;
  }
  const PLAYERKEYS keys = ReadKeys();
  const bool bClose = m_anBanner[0] > 199 && (bAuto || (keys.wPressed & PLAYERKEY_DECIDE));
  if (bClose) {
    if (!bAuto) CloseResultRanking();
    m_nNextMode = DecideNextMode();
    m_anBanner[0] = 0;
    m_nSubState = 0;
    m_nState = STAGESTATE_END;
    return;
  }
  DrawResultFrame(bAuto);
  if (!g_Stage.m_bClearBanner) {
    m_anBanner[0] = 200;
  } else {
    m_anBanner[0] += 4;
    // The banner comes together from strips shifted apart, then stays.
    DDSURFACEDATA* lpWord = StageSurface(kWordSurface);
    if (lpWord && m_anBanner[0] < 100)
      DDBltInterlace(&g_BackBufferSD, 256, 192, 128, 32, 4, 100 - m_anBanner[0], lpWord, 0, 64, 1, 0);
    else if (lpWord)
      DDBltFast(&g_BackBufferSD, 256, 192, 128, 32, lpWord, 0, 64, 1);
  }
  DrawResultPanelAfterBanner(bAuto);
}

void cSceneStage::MissMenu() {
  static const int s_anText[2] = {22, 23};  // Retry, World map
  if (CheckReplaySaveKeys()) return;
  if (m_nSubState == 0) {
    m_nMenuRow = 0;
    m_nSubState = 1;
  }
  const PLAYERKEYS keys = ReadKeys();
  const int nRow = MenuStep(keys, 2);
  if (keys.wPressed & PLAYERKEY_DECIDE) {
    RequestSystemSound(kSoundDecide);
    if (nRow == 0) {
      SetStage(1, 0);
      m_nState = STAGESTATE_BANNER;
    } else {
      g_Progress.m_bLeftStage = 1;
      m_nNextMode = 1;
      m_nSubState = 0;
      m_nState = STAGESTATE_END;
    }
    return;
  }
  DrawStageFrame(0, 1, 0, 1);
  DrawMenu(s_anText, 2);
}

void cSceneStage::GameOver() {
  if (OpenPauseMenu()) return;
  if (CheckReplaySaveKeys()) return;
  const PLAYERKEYS keys = ReadKeys();
  if (keys.wPressed & PLAYERKEY_DECIDE) {
    RequestSystemSound(kSoundDecide);
    m_nNextMode = 0;
    m_nSubState = 0;
    m_nState = STAGESTATE_END;
    return;
  }
  DrawStageFrame(0, 1, 0, 1);
  if (g_Stage.m_bGameOverBanner) {
    DDSURFACEDATA* lpWord = StageSurface(kWordSurface);
    if (lpWord) DDBltFast(&g_BackBufferSD, 248, 224, 144, 32, lpWord, 0, 96, 1);
  }
}

int cSceneStage::DecideNextMode() {
  if (g_Stage.m_bCarryStatus) {
    // Every player's status for the next stage.
    CARRYVALUES values;
    values.nTimeLeft = m_Timer.nTime;
    values.nLives = g_Progress.m_nLives;
    const int nPlaying = g_StageLinks.pfnPlayingBgm ? g_StageLinks.pfnPlayingBgm() : -1;
    values.nMusic = nPlaying >= 0 ? nPlaying : static_cast<int32_t>(g_Stage.m_nBgm);
    for (size_t i = 0; i < g_vPlayer.size(); ++i) {
      const cPlayer& pl = *g_vPlayer[i];
      values.nHp = pl.m_nHp;
      values.nSp = pl.m_nSp;
      StoreInheritedStatus(g_Progress, static_cast<int>(i), pl.m_Def, values);
    }
  }
  // The next stage of a chain, loaded into the copy as loaded.
  auto tryNextStage = [this]() -> bool {
    if (!g_Progress.m_bNumbered || m_nNextStage == 0) return false;
    const int32_t nBefore = g_Progress.m_nArea;
    g_Progress.m_nArea = m_nNextStage;
    std::string name;
    if (BuildStageFileName(name, m_nNextStage, g_Progress, m_nNextStage, "stg4") &&
        LoadStage(name, FALSE, &g_StageCopy)) {
      // The attempts kept belong to the stage left: saved with the next
      // stage they would play a different stage.
      for (cKeyRecord& keys : g_ReplayKeys) keys.Clear();
      return true;
    }
    g_Progress.m_nArea = nBefore;
    return false;
  };
  switch (m_Start.nTitleChoice) {
    case 0:
    case 1:
      return tryNextStage() ? 4 : RecordMapPointCleared(g_Progress);
    case 2:
      if (tryNextStage()) return 4;
      RecordChallengeCleared(g_Progress);
      return 3;
    case 3:
      if (!m_Start.bFreeStage && g_Progress.m_bNumbered) return tryNextStage() ? 4 : 0;
      return 4;
    case 4:
      // The replay plays again from the status it started with.
      RestoreStartStatus(true);
      return 4;
    default:
      return 3;
  }
}

int RecordMapPointCleared(cEdProgress& p) {
  // The map shows the event passed and keeps the stage's best total; the
  // event's end kind says where play goes.
  RecordStoryClear(p);
  const cEdWorldAction* lpEvent = ProgressMapEvent(p);
  switch (lpEvent ? lpEvent->m_nEndKind : 0) {
    case 1:
      MapRoundStep(p);
      return 1;
    case 2:
      return 0;
    default:
      return 1;
  }
}

void RecordChallengeCleared(cEdProgress& p) {
  const int i = p.m_nClearFlag - 1;
  if (i >= 0 && static_cast<size_t>(i) < p.m_vChallenge.size()) {
    cEdValuePair& e = p.m_vChallenge[i];
    e.m_nFirst = 1;
    e.m_nSecond = std::max(e.m_nSecond, static_cast<uint32_t>(std::max<int32_t>(p.m_nTotalScore, 0)));
  }
  // The challenge total is the sum of the courses' best scores: a better
  // run adds its difference to it. The run's own total was reset when the
  // course started, so the sum is taken afresh.
  int64_t nSum = 0;
  for (const cEdValuePair& e : p.m_vChallenge) nSum += e.m_nSecond;
  p.m_nTotalScore = static_cast<int32_t>(std::min<int64_t>(nSum, INT32_MAX));
  if (p.m_nChallengeOpen <= p.m_nClearFlag) p.m_nChallengeOpen = std::min(p.m_nClearFlag + 1, ChallengeCourseLimit());
  CreateDirectoryA("user_data");
  CreateDirectoryA("user_data\\challenge");
  if (!p.SaveToFile(kChallengeFile)) Reportf("%s could not be saved", kChallengeFile);
}
