#include "shell/scene_manager.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "media/graphics/colour_ramps.h"
#include "platform/messages.h"
#include "platform/test_seams.h"
#include "base/message_box.h"
#include "base/report.h"
#include "records/system.h"
#include "shell/mode_scenes.h"

cSceneManager g_SceneMgr;

namespace {

// Threads: replaced only by tests before they drive the manager; called on
// the game thread.
SCENEMAKER s_pfnMaker = &MakeModeScene;

void DeleteScene(cScene*& lpScene) {
  delete lpScene;
  lpScene = nullptr;
}

cScene** SlotOf(cSceneManager& m, int nMode) {
  switch (nMode) {
    case GAMEMODE_TITLE: return &m.m_lpTitle;
    case GAMEMODE_WORLDMAP: return &m.m_lpWorldMap;
    case GAMEMODE_SAVE: return &m.m_lpSave;
    case GAMEMODE_CHALLENGE: return &m.m_lpChallenge;
    case GAMEMODE_STAGE: return &m.m_lpStage;
    case GAMEMODE_OPTION: return &m.m_lpOption;
    default: return nullptr;
  }
}

}  // namespace

cSceneManager::~cSceneManager() {
  DeleteScene(m_lpTitle);
  DeleteScene(m_lpWorldMap);
  DeleteScene(m_lpSave);
  DeleteScene(m_lpChallenge);
  DeleteScene(m_lpOption);
  DeleteScene(m_lpStage);
}

cScene* cSceneManager::SceneOf(int nMode) const {
  cScene** pp = SlotOf(const_cast<cSceneManager&>(*this), nMode);
  return pp ? *pp : nullptr;
}

void SetMode(int nMode) {
  cSceneManager& m = g_SceneMgr;
  // This order, not the slot order, is the one scenes see their
  // destructors in.
  if (nMode != GAMEMODE_TITLE) DeleteScene(m.m_lpTitle);
  if (nMode != GAMEMODE_SAVE) DeleteScene(m.m_lpSave);
  if (nMode != GAMEMODE_WORLDMAP) DeleteScene(m.m_lpWorldMap);
  if (nMode != GAMEMODE_CHALLENGE) DeleteScene(m.m_lpChallenge);
  if (nMode != GAMEMODE_STAGE) DeleteScene(m.m_lpStage);
  if (nMode != GAMEMODE_OPTION) DeleteScene(m.m_lpOption);

  cScene** pp = SlotOf(m, nMode);
  if (!pp || *pp) return;
  try {
    *pp = s_pfnMaker(nMode);
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
  }
  // Headless runs tell the end-to-end tests which mode they have reached.
  if (*pp && IsHeadless()) std::fprintf(stderr, "[mode %d]\n", nMode);
}

void DeleteAllScenes() {
  cSceneManager& m = g_SceneMgr;
  DeleteScene(m.m_lpTitle);
  DeleteScene(m.m_lpWorldMap);
  DeleteScene(m.m_lpSave);
  DeleteScene(m.m_lpChallenge);
  DeleteScene(m.m_lpOption);
  DeleteScene(m.m_lpStage);
}

void UpdateColourRamps() {
  const uint32_t nStep = std::min<uint32_t>(g_System.m_nColourRampValue, 255);
  StepColourRamps(g_ColourRamps, static_cast<int>(nStep), g_System.m_bPaletteCycle != 0);
}

void SetSceneMakerForTests(SCENEMAKER pfn) { s_pfnMaker = pfn ? pfn : &MakeModeScene; }

// ---- cScene ------------------------------------------------------------------

void CloseForSceneText(const char* pszText) { LogfAndClose(g_hWndMain, "%s", pszText); }

void CloseForSceneOutOfMemory() { ReportOutOfMemory(); }

bool cScene::InitOnce() {
  if (m_nPhase != -1) return true;
  bool bOk = RunCatchingSceneText([this] { Init(); });
  m_nPhase = 0;
  return bOk;
}
