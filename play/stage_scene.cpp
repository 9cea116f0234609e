#include "play/stage_scene.h"

#include <mutex>

#include "base/report.h"
#include "media/graphics/dd.h"
#include "platform/messages.h"
#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/picture_cell.h"
#include "play/play_state.h"
#include "play/player.h"
#include "play/stage_graphics.h"
#include "records/progress.h"
#include "records/stage.h"
#include "records/start_tables.h"

// Start-up writes it before the game thread runs; the game thread and
// thPause read it.
STAGELINKS g_StageLinks;

cSceneStage* g_lpSceneStage = nullptr;

namespace {

// Guards g_lpSceneStage against the window thread's close request while the
// scene is made or destroyed.
std::mutex s_SceneLock;

// Word.bmp: the banners (32 pixels high) and the digit row.
constexpr int kWordSurface = 51;
constexpr int kFadedColour = 16;

}  // namespace

BOOL RequestStageClose() {
  std::lock_guard<std::mutex> lock(s_SceneLock);
  if (!g_lpSceneStage) return FALSE;
  g_lpSceneStage->m_bCloseRequest = 1;
  return TRUE;
}

cSceneStage::cSceneStage(const STAGESTART& start) : m_Start(start) {
  m_apfnState[STAGESTATE_BEGIN] = &cSceneStage::Begin;
  m_apfnState[STAGESTATE_BANNER] = &cSceneStage::ReadyBanner;
  m_apfnState[STAGESTATE_PLAY] = &cSceneStage::PlayFrame;
  m_apfnState[STAGESTATE_PAUSEMENU] = &cSceneStage::PauseMenu;
  m_apfnState[STAGESTATE_RESULT] = &cSceneStage::Result;
  m_apfnState[STAGESTATE_MISSMENU] = &cSceneStage::MissMenu;
  m_apfnState[STAGESTATE_GAMEOVER] = &cSceneStage::GameOver;
  m_apfnState[STAGESTATE_END] = &cSceneStage::End;
  m_vRankPos.assign(5, -1);
  m_vResult.assign(5, 0);
  g_Progress.m_nValue17 = 0;
  std::lock_guard<std::mutex> lock(s_SceneLock);
  g_lpSceneStage = this;
  InstallShotLinks();
  g_lpStageContext = this;
  g_FlowContext.m_lpStage = this;
}

cSceneStage::~cSceneStage() {
  // Nothing live outlives the stage it plays in.
  ClearLiveObjects();
  ClearStageTexts();
  ClearStagePictures(m_Pictures);
  DDReleaseSurfaceArray(m_lstLoadedSD);
  ReleaseStageGraphics();
  DDReleaseSurface(&m_ViewSD);
  DDReleaseSurface(&m_ViewWorkSD);
  m_Shots.Clear();
  m_lstHitEffect.clear();
  ResetShotLinks();
  if (g_CharaScene.m_lpSwitches == &m_vSwitch) g_CharaScene.m_lpSwitches = nullptr;
  std::lock_guard<std::mutex> lock(s_SceneLock);
  if (g_lpSceneStage == this) g_lpSceneStage = nullptr;
  if (g_lpStageContext == this) g_lpStageContext = nullptr;
  if (g_FlowContext.m_lpStage == this) g_FlowContext = FLOWCONTEXT{};
}

void cSceneStage::Update() {
  if (m_nState == -1) {
    try {
      Init();
    } catch (const char* pszText) {
      Logf("%s", pszText ? pszText : "");
      m_bFailed = true;
      PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    } catch (const std::string& text) {
      Logf("%s", text.c_str());
      m_bFailed = true;
      PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    }
    m_nState = STAGESTATE_BEGIN;
  }
  // A scene whose set-up failed has no world to show: it only fills the
  // screen until the close arrives.
  if (m_bFailed) {
    DDFillSurface(&g_BackBufferSD, kFadedColour);
    return;
  }
  if (m_nState < 0 || m_nState >= STAGESTATE_COUNT) return;
  if (const STATEPROC pfn = m_apfnState[m_nState]) (this->*pfn)();
}

STAGEBACKGROUNDS ChooseBackgroundPictures(const cEdStage& stage) {
  STAGEBACKGROUNDS r;
  for (int i = 0; i < STAGESURFACE_BACKGROUND_COUNT; ++i) {
    r.aszFile[i] = g_vecSystemBitmap.CheckedAt(STAGESURFACE_BACKGROUND + i).szFileName;
    if (i >= static_cast<int>(stage.m_vecBackground.size())) continue;
    const cEdBackground& b = stage.m_vecBackground[static_cast<size_t>(i)];
    if (b.m_bFill || b.m_strFile.empty()) continue;
    r.aszFile[i] = b.m_strFile;
    DDBitmapFits(&r.abTooBig[i], b.m_strFile.c_str(), 640, 480);
  }
  return r;
}

void cSceneStage::Init() {
  m_vResult.resize(5, 0);
  m_vRankPos.resize(5, -1);
  m_bLivesInherited = false;
  const bool bAfterStage = m_Start.nPrevMode == 4;
  m_Backgrounds = ChooseBackgroundPictures(g_Stage);
  if (g_StageLinks.pfnLoadStageSurfaces && !g_StageLinks.pfnLoadStageSurfaces(m_Backgrounds.aszFile)) {
    m_bFailed = true;
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
    return;
  }
  // The pictures the databases name; a picture that cannot be loaded is
  // reported and left empty. A scene that follows another stage keeps the
  // sets it finds, unless nothing is loaded any more.
  const bool bSetsEmpty = g_SpecialBmps.vSD.empty() && g_SwordGraphics.vSD.empty() && g_EffectGraphics.vSD.empty();
  if (!bAfterStage || bSetsEmpty) {
    ComposeShotSheets();
    LoadSpecialBmps();
    LoadSwordGraphics();
    LoadEffectGraphics();
  }
  if (!bAfterStage) {
    ResetPlayState();
    UseLife(g_Progress, m_Start.bFreeStage);
  }
  // The picture cells of the stage come from the stage surface table and
  // the special chara pictures of the path in use.
  SelectSheetSet(lpDTCon == nullptr, false);
  InstallStageSheetSource();
  SetStage(bAfterStage ? 1 : 0, 1);
  m_nSubState = 0;
}

void cSceneStage::ResetPlayState() {
  cEdProgress& p = g_Progress;
  p.m_nLives = p.m_nLivesStart;
  p.m_nScore = 0;
  p.m_nTotalScore = 0;
  p.m_nRankValue1 = 0;
  p.m_nRankValue2 = 0;
  p.m_nRankValue3 = 0;
  p.m_nRankValue4 = 0;
  m_aScroll[SCROLL_X].dPos = 0.0;
  m_aScroll[SCROLL_Y].dPos = 0.0;
  m_nSubState = 0;
  m_anBanner[0] = m_anBanner[1] = 0;
  m_bKeySwallow = 0;
  m_Timer.nTime = 0;
  m_bRegistered = 0;
  if (m_Start.bFreeStage) p.m_nArea = 1;
  ResetPlayRecords();
}

bool cSceneStage::FadeStep() {
  if (g_StageLinks.pfnFade) return g_StageLinks.pfnFade(m_nState == STAGESTATE_BEGIN) != 0;
  return true;
}

void cSceneStage::Begin() {
  DrawStageFrame(0, 1, 0, 1);
  if (FadeStep()) m_nState = STAGESTATE_BANNER;
}

void cSceneStage::DrawBanner(int sx, int sy, int w, int x, int y) {
  DDSURFACEDATA* lpWord = StageSurface(kWordSurface);
  if (lpWord) DDBltFast(&g_BackBufferSD, x, y, w, 32, lpWord, sx, sy, 1);
}

void cSceneStage::ReadyBanner() {
  DrawStageFrame(0, 1, 0, 1);
  if (!(m_Start.bEditorLink && m_Start.bFreeStage)) {
    if (m_Start.nTitleChoice == 4) {
      if (++m_anBanner[0] < 80) {
        DrawBanner(0, 32, 128, 256, 224);
        return;
      }
    } else if (g_Stage.m_bStageNoBanner && ++m_anBanner[0] < 80) {
      DrawBanner(0, 0, 128, 256, 224);
      // The stage number in 32 x 32 digit cells after the banner.
      const std::string digits = std::to_string(g_Progress.m_nArea);
      for (size_t i = 0; i < digits.size(); ++i)
        DrawBanner((digits[i] - '0') * 32, 128, 32, 384 + static_cast<int>(i) * 32, 224);
      return;
    } else if (g_Stage.m_bStartBanner && ++m_anBanner[1] < 80) {
      DrawBanner(160, 0, 80, 280, 224);
      return;
    }
  }
  if (cPlayer* p = ::FirstPlayer()) p->m_Anime.SetAnime(p->m_nNoGravity ? 2 : 0, true);
  m_anBanner[0] = 0;
  m_nState = STAGESTATE_PLAY;
}

void cSceneStage::End() {
  DrawStageFrame(0, 1, 0, 1);
  if (!FadeStep()) return;
  DDFillSurface(&g_BackBufferSD, kFadedColour);
  if (m_Start.nTitleChoice == 3 && !g_Progress.m_bNumbered) {
    if (!g_StageLinks.pfnStartStageFile || !g_StageLinks.pfnStartStageFile(g_StageCopy.m_strFilePath))
      PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
  }
  m_nTargetFps = 60;
  m_bModeDone = true;
  // When the next mode is the stage again, this scene starts over and its
  // Init must see that it follows a stage (lives and scores kept).
  m_Start.nPrevMode = 4;
  m_nState = -1;
}
