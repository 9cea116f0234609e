#include "shell/mode_scenes.h"

#include <cmath>

#include "media/graphics/dd.h"
#include "media/graphics/font.h"
#include "platform/messages.h"
#include "play/condition_pass.h"
#include "play/play_links.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "shell/challenge_scene.h"
#include "shell/entry.h"
#include "shell/frame_timing.h"
#include "shell/game_loop.h"
#include "shell/main_window.h"
#include "shell/menu_cursor.h"
#include "shell/option_scene.h"
#include "shell/play_start.h"
#include "shell/player_input.h"
#include "shell/save_scene.h"
#include "shell/scene_manager.h"
#include "shell/stage_record_links.h"
#include "shell/startup.h"
#include "shell/title_scene.h"
#include "shell/worldmap_scene.h"

cScene* MakeModeScene(int nMode) {
  switch (nMode) {
    case GAMEMODE_TITLE: return new cSceneTitle();
    case GAMEMODE_WORLDMAP: return new cSceneWorldMap();
    case GAMEMODE_SAVE: return new cSceneSave();
    case GAMEMODE_STAGE: return new cStageModeScene();
    case GAMEMODE_CHALLENGE: return new cSceneChallenge();
    case GAMEMODE_OPTION: return new cSceneOption();
    default:
      return nullptr;
  }
}

// ---- The stage mode -------------------------------------------------------------

static_assert(kDirectionLogs + kButtonLogs == KEY_LOGS);

cStageModeScene::cStageModeScene() {
  const cSceneManager& m = g_SceneMgr;
  STAGESTART start;
  start.nPrevMode = m.m_nPrevMode;
  start.nTitleChoice = m.m_nTitleChoice;
  start.nPlayKind = m.m_nPlayKind;
  start.bFreeStage = g_bFreeStage;
  start.bEditorLink = g_bEditorLink;
  start.bRanking = m.m_bRankingOn;
  m_lpStage = std::make_unique<cSceneStage>(start);
}

cStageModeScene::~cStageModeScene() = default;

void cStageModeScene::Update() {
  cSceneStage& stage = *m_lpStage;
  cSceneManager& m = g_SceneMgr;
  stage.Update();
  m_nPhase = stage.m_nState;
  WritePlayLogLine(stage);
  m.m_nTargetFps = stage.m_nTargetFps;
  if (stage.m_bModeDone) {
    stage.m_bModeDone = false;
    m.m_nTargetFps = 60;
    m.m_nNextMode = stage.m_nNextMode;
    m.m_nPrevMode = GAMEMODE_STAGE;
    m.m_nMode = stage.m_nNextMode;
  }
}

// ---- Links of stage play ----------------------------------------------------------

namespace {

// The button word is what is held; newly pressed is what was not held in
// the frame before (the history's newest entry until this frame is pushed).
void ReadKeysOf(const cPlayerInput& in, bool bPushed, PLAYERKEYS& keys) {
  keys.wHeld = in.m_wButton;
  keys.wHeldBefore = in.InputHistoryLookBack(1, bPushed ? 1 : 0);
  keys.wPressed = static_cast<uint16_t>(keys.wHeld & ~keys.wHeldBefore);
  keys.wDirection = in.m_wDirection;
}

// The buttons held at the scene's last read: the states after play push no
// input history, so newly pressed is taken against this. Game thread only.
uint16_t s_wHeldAtLastRead = 0;

// Menus of the stage read the direction with the menu key repeat.
void StageReadKeys(PLAYERKEYS& keys) {
  if (g_vPlayerInput.empty()) return;
  cPlayerInput& in = g_vPlayerInput.CheckedAt(0);
  ReadKeysOf(in, false, keys);
  keys.wHeldBefore = s_wHeldAtLastRead;
  keys.wPressed = static_cast<uint16_t>(keys.wHeld & ~keys.wHeldBefore);
  s_wHeldAtLastRead = keys.wHeld;
  const uint16_t wSaved = in.m_wDirection;
  uint32_t adwCount[2] = {in.m_adwRepeatCount[0], in.m_adwRepeatCount[1]};
  const uint32_t dwHistory = in.m_dwRepeatHistory;
  in.MenuKeyRepeat();
  keys.wDirection = in.m_wDirection;
  // Play reads the direction as polled; only the copy given here repeats.
  in.m_wDirection = wSaved;
  in.m_adwRepeatCount[0] = adwCount[0];
  in.m_adwRepeatCount[1] = adwCount[1];
  in.m_dwRepeatHistory = dwHistory;
}

void StageClearPressed() {
  if (!g_vPlayerInput.empty()) g_vPlayerInput.CheckedAt(0).ClearInputEdges();
}

void StageRecordInput() {
  if (g_vPlayerInput.empty()) return;
  cPlayerInput& in = g_vPlayerInput.CheckedAt(0);
  in.InputHistoryPush();
  in.InputLogRecord();
}

void StageReadKeyLogs(std::vector<KEYRUN>* avLogs) {
  if (g_vPlayerInput.empty()) return;
  const cPlayerInput& in = g_vPlayerInput.CheckedAt(0);
  auto copy = [](const cVector<cInputLog>& from, int nFrom, std::vector<KEYRUN>& to) {
    to.clear();
    if (nFrom >= static_cast<int>(from.size())) return;
    for (const INPUTRUN& r : from[nFrom]) to.push_back(KEYRUN{r.dwState, r.dwFrames});
  };
  for (int i = 0; i < kDirectionLogs; ++i) copy(in.m_vDirectionLog, i, avLogs[i]);
  for (int i = 0; i < kButtonLogs; ++i) copy(in.m_vButtonLog, i, avLogs[kDirectionLogs + i]);
}

void StageResetInputLogs() {
  for (cPlayerInput& in : g_vPlayerInput) {
    in.InputHistoryClear();
    in.InputLogTrim();
  }
}

// thPause's own copy of the input: the game thread's records stay as they
// were when it stopped.
thread_local cVector<cPlayerInput> t_vPauseInput;
thread_local bool t_bPauseInputMade = false;

BOOL StageFrozenFrameStart(PLAYERKEYS& keys) {
  if (!t_bPauseInputMade) {
    t_bPauseInputMade = true;
    t_vPauseInput = g_vPlayerInput;
    if (!t_vPauseInput.empty()) {
      cPlayerInput& in = t_vPauseInput.CheckedAt(0);
      in.InputHistoryClear();
      in.InputLogTrim();
      in.InputStateReset();
      in.ClearInputEdges();
    }
  }
  WaitFrame(g_SceneMgr.m_nTargetFps);
  const BOOL bRestored = RestoreLostSurfaces() ? TRUE : FALSE;
  PollPlayerInput(t_vPauseInput);
  if (!t_vPauseInput.empty()) {
    cPlayerInput& in = t_vPauseInput.CheckedAt(0);
    in.InputHistoryPush();
    ReadKeysOf(in, true, keys);
  }
  return bRestored;
}

BOOL StageAppActive() { return g_bAppActive ? TRUE : FALSE; }

BOOL StageStartFile(const std::string& path) { return StartStageFile(path, 0); }

BOOL StageFade(BOOL bIn) {
  const double dStep = g_SceneMgr.m_nFadeStep;
  return bIn ? MenuFadeIn(dStep) : MenuFadeOut(dStep);
}

void StageDrawText(int x, int y, const std::string& text) {
  if (!StartupFontsReady()) return;
  g_Fonts[1].DrawText(&g_BackBufferSD, x, y, text.c_str(), 0);
}

int StagePlayingBgm() { return g_nStageBgm; }

}  // namespace

void InstallStageLinks() {
  g_PlayLinks.pfnFrameIntervalTick = &FrameIntervalTick;
  g_PlayLinks.pfnPlaySound = [](int n) { SendMessage(g_hWndMain, UM_PLAYSE, static_cast<WPARAM>(n), 0); };
  g_PlayLinks.pfnPlayBgm = [](int nScreen, int nMusic) {
    // The stage's request has just put its music option (the loop flag) in
    // the progress record; the window reads it from here when it plays.
    if (nScreen == 4) g_nStageBgmLoop = g_Progress.m_nStageBgmOption;
    SendMessage(g_hWndMain, UM_PLAYBGM, static_cast<WPARAM>(nScreen), static_cast<LPARAM>(nMusic));
  };
  STAGELINKS& s = g_StageLinks;
  s.pfnReadKeys = &StageReadKeys;
  s.pfnClearPressed = &StageClearPressed;
  s.pfnRecordInput = &StageRecordInput;
  s.pfnResetInputLogs = &StageResetInputLogs;
  s.pfnReadKeyLogs = &StageReadKeyLogs;
  s.pfnFrozenFrameStart = &StageFrozenFrameStart;
  s.pfnPresent = &PresentFrame;
  s.pfnAppActive = &StageAppActive;
  s.pfnStartStageFile = &StageStartFile;
  s.pfnFade = &StageFade;
  // Start-up loads every fixed surface; a stage brings its own backgrounds.
  s.pfnLoadStageSurfaces = [](const std::string* aszBackground) -> BOOL {
    LoadBackgroundSurfaces(g_aStageSurface, g_aStageSurfaceInfo, aszBackground);
    return TRUE;
  };
  s.pfnDrawText = &StageDrawText;
  s.pfnPlayingBgm = &StagePlayingBgm;
  InstallStageRecordLinks();
  // The block map's hits and drawing test each block's conditions.
  InstallBlockConditionTest();
}
