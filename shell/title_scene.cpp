#include "shell/title_scene.h"

#include <algorithm>
#include <string>

#include "media/graphics/font.h"
#include "platform/messages.h"
#include "base/message_box.h"
#include "records/system.h"
#include "base/thread_wrapper.h"
#include "shell/challenge_scene.h"
#include "shell/main_window.h"
#include "shell/play_start.h"
#include "shell/save_scene.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"

namespace {

enum : int32_t {
  PHASE_BEGIN = 0,
  PHASE_MENU = 1,
  PHASE_CONTINUE = 2,
  PHASE_END = 3,
};

// The label font: the third system font (32-pixel cells).
constexpr int kLabelFont = 2;
// Labels are texts: lower-case letters in them are letters, not icons.
constexpr DWORD kLabelDrawMode = 1;

void CloseMainWindow() { PostMessage(g_hWndMain, WM_CLOSE, 0, 0); }

void LoadSlots() { LoadSaveSlotList(g_SlotList); }
BOOL SlotUsed(int nSlot) {
  return nSlot >= 0 && static_cast<size_t>(nSlot) < g_SlotList.size() && g_SlotList[static_cast<size_t>(nSlot)].bUsed;
}
void DrawSlots(int x, int y, int nTop, int nRows) { DrawSlotList(&g_BackBufferSD, x, y, g_SlotList, nTop, nRows); }

int32_t RankingFlagOf(int nPlayKind) {
  return static_cast<int32_t>(g_System.m_vecRankingSwitch.CheckedAt(nPlayKind).m_bOn);
}

const std::string& LabelOf(int nItem) { return g_System.m_vecTitleMenu.CheckedAt(nItem).m_strLabel; }

// The chooser requests: the window thread answers, then sets the done flag.
// A window that is gone, or a close that has begun, answers nothing.
BOOL RequestChooser(UINT msg) {
  g_bRequestDone = 0;
  const HWND hWnd = g_hWndMain;
  if (!hWnd || !IsWindow(hWnd)) return FALSE;
  SendMessage(hWnd, msg, 0, 0);
  while (!g_bRequestDone) {
    if (IsShuttingDown() || IsThreadStopRequested()) return FALSE;
    Sleep(1);
  }
  return g_bFileChosen != 0;
}

}  // namespace

TITLELINKS DefaultTitleLinks() {
  return TITLELINKS{&NewGameReset, &StartChallenge, &LoadSlots, &SlotUsed, &LoadStorySlot, &DrawSlots};
}
TITLELINKS g_TitleLinks = DefaultTitleLinks();

// The settings name no other switch for the labels; this one places the
// menu by the label picture's width, which is what "centred" means here.
bool TitleUsesPictureLabels() { return g_System.m_bTitleMenuCentred != 0; }

BOOL RequestStageChooser() { return RequestChooser(UM_OPENSTAGE); }
BOOL RequestReplayChooser() { return RequestChooser(UM_OPENREPLAY); }

// ---- cSceneTitle ---------------------------------------------------------------

cSceneTitle::cSceneTitle() {
  m_apfnPhase[PHASE_BEGIN] = static_cast<PHASEPROC>(&cSceneTitle::Begin);
  m_apfnPhase[PHASE_MENU] = static_cast<PHASEPROC>(&cSceneTitle::TitleMenuPhase);
  m_apfnPhase[PHASE_CONTINUE] = static_cast<PHASEPROC>(&cSceneTitle::TitleContinuePhase);
  m_apfnPhase[PHASE_END] = static_cast<PHASEPROC>(&cSceneTitle::End);
}

cSceneTitle::~cSceneTitle() { DDReleaseSurfaceVector(m_vSurface); }

DDSURFACEDATA* cSceneTitle::MenuSurface() { return m_vSurface.empty() ? nullptr : &m_vSurface.front(); }

void cSceneTitle::Init() {
  SendMessage(g_hWndMain, UM_PLAYBGM, 0, 0);

  static const int s_anSurface[] = {TITLESURFACE_TITLE, TITLESURFACE_GAMEMODE, TITLESURFACE_ACCESSORY,
                                    TITLESURFACE_WINDOW};
  if (!DDLoadSurfaceList(g_aStageSurface, s_anSurface, 4)) CloseMainWindow();

  ResetMenuState();

  m_nItemCount = ListEnabledItems(g_System.m_vecTitleMenu, m_anItem);

  // A choice that is no longer a row keeps its number as the row; the
  // first frame's cursor move wraps it into the menu.
  const int32_t nChoice = g_SceneMgr.m_nTitleChoice;
  MENUSTATE& cur = CurrentMenuState();
  cur.nRow = nChoice;
  for (int k = 0; k < m_nItemCount; ++k)
    if (m_anItem[k] == nChoice) cur.nRow = k;

  m_nMenuX = kTitleMenuX;
  m_nMenuY = kTitleMenuY;
  if (TitleUsesPictureLabels()) m_nMenuX = 288 - g_aStageSurface[TITLESURFACE_GAMEMODE].nWidth / 2;

  BuildMenuSurface();
  m_nSubStep = 0;
}

void cSceneTitle::BuildMenuSurface() {
  DDReleaseSurfaceVector(m_vSurface);
  m_vSurface.clear();
  m_vSurfaceInfo.clear();

  int nWidth = 0;
  if (TitleUsesPictureLabels()) {
    nWidth = g_aStageSurface[TITLESURFACE_GAMEMODE].nWidth + 32;
  } else {
    int nChars = 0;
    for (int k = 0; k < m_nItemCount; ++k) nChars = std::max(nChars, CountMbcsChars(LabelOf(m_anItem[k])));
    nWidth = 32 * nChars + 34;
  }
  const int nHeight = 32 * m_nItemCount + 2;
  DDAddSurface(m_vSurface, m_vSurfaceInfo, nWidth, nHeight, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr);
  DDSURFACEDATA* lpSD = MenuSurface();
  if (!lpSD || (!lpSD->lpDT && !lpSD->lpDDS)) {
    CloseMainWindow();
    return;
  }
  DrawMenuSurface();
}

void cSceneTitle::DrawMenuSurface() {
  DDSURFACEDATA* lpSD = MenuSurface();
  if (!lpSD) return;
  const int w = lpSD->nWidth, h = lpSD->nHeight;
  if (TitleUsesPictureLabels()) {
    DDSURFACEDATA* lpLabels = &g_aStageSurface[TITLESURFACE_GAMEMODE];
    DDFillSurface(lpSD, 0);
    for (int k = 0; k < m_nItemCount; ++k)
      DDBltFast(lpSD, 32, 32 * k, lpLabels->nWidth, 32, lpLabels, 0, 32 * m_anItem[k], 1);
    return;
  }
  DrawMenuWindow(lpSD, 0, 0, w, h);
  for (int k = 0; k < m_nItemCount; ++k)
    g_Fonts[kLabelFont].DrawText(lpSD, 32, 32 * k, LabelOf(m_anItem[k]).c_str(), kLabelDrawMode);
}

void cSceneTitle::DrawTitleFrame() {
  DDBltFast(&g_BackBufferSD, 0, 0, 640, 480, &g_aStageSurface[TITLESURFACE_TITLE], 0, 0, 0);
  DDSURFACEDATA* lpSD = MenuSurface();
  if (!lpSD) return;
  if (lpSD->bLost) {
    DrawMenuSurface();
    lpSD->bLost = 0;
  }
  DDBltFast(&g_BackBufferSD, m_nMenuX, m_nMenuY, lpSD->nWidth, lpSD->nHeight, lpSD, 0, 0, 1);
  UpdateColourRamps();
}

void cSceneTitle::Begin() {
  if (g_DDDisplay.nBpp == 8) DrawMenuSurface();
  DrawTitleFrame();
  if (MenuFadeIn(g_SceneMgr.m_nFadeStep)) m_nPhase = PHASE_MENU;
}

void cSceneTitle::TitleMenuPhase() {
  cSceneManager& m = g_SceneMgr;
  uint16_t keys = MenuKeys();
  CursorMoveGrid(&keys, m_nMenuX, m_nMenuY, 0, kTitleRowHeight, 1, m_nItemCount);
  PlayCursorSE(&keys, CURSORSE_VERTICAL, SYSSE_CURSOR);
  MENUSTATE& cur = CurrentMenuState();
  if (!MenuDecide()) {
    DrawTitleFrame();
    DDBltFast(&g_BackBufferSD, cur.nX, cur.nY, 32, 32, &g_aStageSurface[TITLESURFACE_ACCESSORY], 0, 0, 1);
    return;
  }

  RequestSystemSound(SYSSE_DECIDE);
  // The grid move has put the row inside the menu.
  const int nRow = std::clamp(cur.nRow, 0, m_nItemCount - 1);
  m.m_nTitleChoice = m_anItem[nRow];
  switch (m.m_nTitleChoice) {
    case TITLEITEM_NEWGAME:
      m.m_nPlayKind = PLAYKIND_STORY;
      m.m_bRankingOn = RankingFlagOf(PLAYKIND_STORY);
      g_TitleLinks.pfnNewGameReset();
      m.m_nNextMode = GAMEMODE_WORLDMAP;
      m_nPhase = PHASE_END;
      break;
    case TITLEITEM_CONTINUE:
      m.m_nPlayKind = PLAYKIND_STORY;
      m.m_bRankingOn = RankingFlagOf(PLAYKIND_STORY);
      StackPushCopy(0);
      m_nPhase = PHASE_CONTINUE;
      m_nSubStep = 0;
      break;
    case TITLEITEM_CHALLENGE:
      m.m_nPlayKind = PLAYKIND_CHALLENGE;
      m.m_bRankingOn = RankingFlagOf(PLAYKIND_CHALLENGE);
      g_TitleLinks.pfnStartChallenge();
      m.m_nNextMode = GAMEMODE_CHALLENGE;
      m_nPhase = PHASE_END;
      break;
    case TITLEITEM_FREE:
      m.m_nPlayKind = PLAYKIND_FREE;
      m.m_bRankingOn = RankingFlagOf(PLAYKIND_FREE);
      if (RequestStageChooser()) {
        m.m_nNextMode = GAMEMODE_STAGE;
        m_nPhase = PHASE_END;
      }
      break;
    case TITLEITEM_REPLAY:
      m.m_nPlayKind = PLAYKIND_REPLAY;
      m.m_bRankingOn = RankingFlagOf(PLAYKIND_REPLAY);
      if (RequestReplayChooser()) {
        m.m_nNextMode = GAMEMODE_STAGE;
        m_nPhase = PHASE_END;
      }
      break;
    case TITLEITEM_OPTION:
      m.m_nNextMode = GAMEMODE_OPTION;
      m_nPhase = PHASE_END;
      break;
    case TITLEITEM_QUIT:
      CloseMainWindow();
      break;
    default:
      break;
  }
}

void cSceneTitle::TitleContinuePhase() {
  cSceneManager& m = g_SceneMgr;
  const TITLELINKS& links = g_TitleLinks;
  if (m_nSubStep == 0) {
    CurrentMenuState() = MENUSTATE{0, 0, 0, 0};
    m_nListTop = 0;
    links.pfnLoadSaveSlotList();
    m_nSubStep = 1;
  }
  m_nListRows = std::min(kStorySlotCount, kContinueListMaxRows);
  uint16_t keys = MenuKeys();
  CursorMoveList(&keys, TRUE, &m_nListTop, kContinueListY, kContinueRowHeight, kContinueListX, m_nListRows,
                 kStorySlotCount, TRUE);
  PlayCursorSE(&keys, CURSORSE_ALL, SYSSE_CURSOR);
  MENUSTATE& cur = CurrentMenuState();

  if (MenuDecide()) {
    if (!links.pfnSlotUsed(cur.nRow)) {
      RequestSystemSound(SYSSE_REFUSE);
      return;
    }
    RequestSystemSound(SYSSE_DECIDE);
    // A slot that fails to load leaves the progress as it was: the list
    // stays rather than starting the map from a progress that is not the
    // slot's.
    if (!links.pfnLoadStorySlot(cur.nRow)) return;
    m.m_nNextMode = GAMEMODE_WORLDMAP;
    m_nPhase = PHASE_END;
    return;
  }
  if (MenuCancel()) {
    RequestSystemSound(SYSSE_CANCEL);
    StackPop(1);
    m_nPhase = PHASE_MENU;
    m_nSubStep = 0;
    return;
  }
  DDBltFast(&g_BackBufferSD, 0, 0, 640, 480, &g_aStageSurface[TITLESURFACE_TITLE], 0, 0, 0);
  UpdateColourRamps();
  links.pfnDrawSlotList(kContinueListX, kContinueListY, m_nListTop, m_nListRows);
  DDBltFast(&g_BackBufferSD, cur.nX, cur.nY, 16, 16, &g_aStageSurface[TITLESURFACE_ACCESSORY], 64, 0, 1);
}

void cSceneTitle::End() {
  cSceneManager& m = g_SceneMgr;
  if (!MenuFadeOut(m.m_nFadeStep)) return;
  DDFillSurface(&g_BackBufferSD, kFadedColour);
  ResetMenuState();
  m.m_nPrevMode = GAMEMODE_TITLE;
  m.m_nMode = m.m_nNextMode;
}
