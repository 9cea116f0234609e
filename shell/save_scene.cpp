#include "shell/save_scene.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/message_box.h"
#include "media/graphics/font.h"
#include "platform/messages.h"
#include "records/progress.h"
#include "records/system.h"
#include "records/system_queries.h"
#include "shell/main_window.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"

namespace {

enum : int32_t {
  PHASE_BEGIN = 0,
  PHASE_MENU = 1,
  PHASE_SLOTS = 2,
  PHASE_AUTOSAVE = 3,
  PHASE_MAP = 4,
  PHASE_TITLE = 5,
  PHASE_END = 6,
};

constexpr int kTextFont = 1;  // the second system font
// Texts of g_System's text list.
constexpr int32_t kTextTotalScore = 4;
constexpr int32_t kTextSaveConfirm = 12;   // "セーブする", "やっぱりやめる"
constexpr int32_t kTextAutoSave = 14;      // "オートセーブＯＮ", "オートセーブＯＦＦ"
constexpr int32_t kTextNoSlot = 16;
constexpr int32_t kTextTitleConfirm = 17;  // "タイトルへ戻る", "やっぱりやめる"
constexpr int kSystemSoundSaved = 5;

void CloseMainWindow() { PostMessage(g_hWndMain, WM_CLOSE, 0, 0); }

const std::string& LabelOf(int nItem) { return g_System.m_vecSaveMenu.CheckedAt(nItem).m_strLabel; }

void DrawCursor(int x, int y, int sx) {
  DDBltFast(&g_BackBufferSD, x, y, 16, 16, &g_aStageSurface[SAVESURFACE_ACCESSORY], sx, 0, 1);
}

// A two-row confirmation at y, centred on x 320, with the cursor on it.
void ConfirmMove(int32_t nFirstText, int32_t y) {
  const int32_t x = CalcCenteredTextX(kSaveCentreX, nFirstText, 2, 1);
  uint16_t keys = g_vPlayerInput.CheckedAt(0).m_wDirection;
  CursorMoveGrid(&keys, x, y, 0, 16, 1, 2);
  PlayCursorSE(&keys, CURSORSE_VERTICAL, SYSSE_CURSOR);
}
void ConfirmDraw(int32_t nFirstText, int32_t y) {
  DrawSystemTexts(CalcCenteredTextX(kSaveCentreX, nFirstText, 2, 1), y, nFirstText, 2, 1);
  const MENUSTATE& cur = CurrentMenuState();
  DrawCursor(cur.nX, cur.nY, 64);
}

}  // namespace

SAVELINKS DefaultSaveLinks() { return SAVELINKS{&SaveStorySlot}; }
SAVELINKS g_SaveLinks = DefaultSaveLinks();

void DrawSlotList(DDSURFACEDATA* lpTarget, int x, int y, const cVector<SLOTENTRY>& list, int nTop, int nRows) {
  cFont& font = g_Fonts[kTextFont];
  font.DrawBox(lpTarget, x, y, kSlotListWidth, 16 * nRows);
  for (int k = 0; k < nRows; ++k) {
    const int i = nTop + k;
    if (i < 0 || static_cast<size_t>(i) >= list.size()) break;
    const int ry = y + 16 * k;
    if (k < nRows - 1) DDFillRect(lpTarget, x, ry + 15, kSlotListWidth, 1, kFrameColour);
    font.DrawTextf(lpTarget, x + 16, ry, "%d", i + 1);
    const SLOTENTRY& e = list[static_cast<size_t>(i)];
    if (e.bUsed) {
      const SAVEDTIME& t = e.stSaved;
      font.DrawTextf(lpTarget, x + 64, ry, "%04d/%02d/%02d %02d:%02d\n", t.wYear, t.wMonth, t.wDay, t.wHour,
                     t.wMinute);
    }
  }
}

cSceneSave::cSceneSave() {
  m_apfnPhase[PHASE_BEGIN] = static_cast<PHASEPROC>(&cSceneSave::Begin);
  m_apfnPhase[PHASE_MENU] = static_cast<PHASEPROC>(&cSceneSave::MenuPhase);
  m_apfnPhase[PHASE_SLOTS] = static_cast<PHASEPROC>(&cSceneSave::SlotPhase);
  m_apfnPhase[PHASE_AUTOSAVE] = static_cast<PHASEPROC>(&cSceneSave::AutoSavePhase);
  m_apfnPhase[PHASE_MAP] = static_cast<PHASEPROC>(&cSceneSave::MapPhase);
  m_apfnPhase[PHASE_TITLE] = static_cast<PHASEPROC>(&cSceneSave::TitlePhase);
  m_apfnPhase[PHASE_END] = static_cast<PHASEPROC>(&cSceneSave::End);
}

void cSceneSave::Init() {
  SendMessage(g_hWndMain, UM_PLAYBGM, 1, 0);
  static const int s_anSurface[] = {SAVESURFACE_WINDOW, SAVESURFACE_SYMBOL, SAVESURFACE_ACCESSORY};
  if (!DDLoadSurfaceList(g_aStageSurface, s_anSurface, 3)) CloseMainWindow();
  m_nItemCount = ListEnabledItems(g_System.m_vecSaveMenu, m_anItem);
  ResetMenuState();
  m_nSubStep = 0;
}

void cSceneSave::DrawSaveScreen() {
  DDFillSurface(&g_BackBufferSD, kFadedColour);
  int nChars = 0;
  for (int k = 0; k < m_nItemCount; ++k) nChars = std::max(nChars, CountMbcsChars(LabelOf(m_anItem[k])));
  const int w = 16 * (nChars + 1), h = 16 * m_nItemCount;
  // The frame is drawn round the rows, outside them.
  DrawMenuWindow(&g_BackBufferSD, kSaveMenuX - 1, kSaveMenuY - 1, w + 2, h + 2);
  cFont& font = g_Fonts[kTextFont];
  for (int k = 0; k < m_nItemCount; ++k)
    font.DrawText(&g_BackBufferSD, kSaveMenuX + 16, kSaveMenuY + kSaveRowHeight * k, LabelOf(m_anItem[k]).c_str(),
                  1);
  const int32_t nTotal = g_Progress.m_nTotalScore;
  if (g_System.m_bSaveShowTotalScore && nTotal >= 1) {
    const cVector<std::string>& t = g_System.m_vecText;
    const std::string label = static_cast<size_t>(kTextTotalScore) < t.size() ? t[kTextTotalScore] : std::string();
    char sz[16];
    const int nDigits = std::snprintf(sz, sizeof sz, "%d", nTotal);
    const int bw = 16 * (CountMbcsChars(label) + nDigits + 1);
    font.DrawTextBox(&g_BackBufferSD, kSaveCentreX - bw / 2, kSaveTotalY, bw, 16, "%s%d", label.c_str(), nTotal);
  }
  UpdateColourRamps();
}

void cSceneSave::Begin() {
  DrawSaveScreen();
  DrawCursor(kSaveMenuX, kSaveMenuY, 64);
  if (MenuFadeIn(g_SceneMgr.m_nFadeStep)) m_nPhase = PHASE_MENU;
}

void cSceneSave::MenuPhase() {
  uint16_t keys = MenuKeys();
  CursorMoveGrid(&keys, kSaveMenuX, kSaveMenuY, 0, kSaveRowHeight, 1, m_nItemCount);
  PlayCursorSE(&keys, CURSORSE_VERTICAL, SYSSE_CURSOR);
  const MENUSTATE& cur = CurrentMenuState();
  if (MenuDecide()) {
    RequestSystemSound(SYSSE_DECIDE);
    const int nRow = std::clamp(cur.nRow, 0, m_nItemCount - 1);
    StackPushCopy(1);
    m_nSubStep = 0;
    m_nPhase = m_anItem[nRow] + 2;
    return;
  }
  if (MenuCancel()) {
    RequestSystemSound(SYSSE_CANCEL);
    m_nPhase = PHASE_MAP;
    return;
  }
  DrawSaveScreen();
  DrawCursor(cur.nX, cur.nY, 64);
}

void cSceneSave::SlotPhase() {
  if (m_nSubStep == 0) {
    CurrentMenuState() = MENUSTATE{0, g_Progress.m_nSaveSlot, 0, 0};
    LoadSaveSlotList(g_SlotList);
    m_nListRows = std::min(kProgressSlotCount, kSlotListMaxRows);
    m_nListTop = std::max(0, g_Progress.m_nSaveSlot);
    m_nListTop = std::min(m_nListTop, kProgressSlotCount - m_nListRows);
    m_nSubStep = 1;
  }
  if (m_nSubStep == 1) {
    uint16_t keys = MenuKeys();
    CursorMoveList(&keys, TRUE, &m_nListTop, kSlotListY, kSaveRowHeight, kSlotListX, m_nListRows, kProgressSlotCount,
                   TRUE);
    PlayCursorSE(&keys, CURSORSE_ALL, SYSSE_CURSOR);
    if (MenuDecide()) {
      RequestSystemSound(SYSSE_DECIDE);
      StackPushCopy(1);
      CurrentMenuState().nRow = 1;
      m_nSubStep = 2;
      return;
    }
    if (MenuCancel()) {
      RequestSystemSound(SYSSE_CANCEL);
      StackPop(1);
      m_nPhase = PHASE_MENU;
      m_nSubStep = 0;
      return;
    }
    DDFillSurface(&g_BackBufferSD, kFadedColour);
    DrawSlotList(&g_BackBufferSD, kSlotListX, kSlotListY, g_SlotList, m_nListTop, m_nListRows);
    const MENUSTATE& cur = CurrentMenuState();
    DrawCursor(cur.nX, cur.nY, 64);
    return;
  }
  // Confirmation of the slot under the list cursor (the record below).
  ConfirmMove(kTextSaveConfirm, kSaveConfirmY);
  const MENUSTATE& cur = CurrentMenuState();
  if (MenuDecide()) {
    if (cur.nRow == 0) {
      const int32_t nSlot = std::clamp(g_MenuState.lpPrevious ? g_MenuState.lpPrevious->nRow : 0, 0,
                                       kProgressSlotCount - 1);
      g_Progress.m_nSaveSlot = nSlot;
      RequestSystemSound(g_SaveLinks.pfnSaveStorySlot(nSlot) ? kSystemSoundSaved : SYSSE_REFUSE);
    } else {
      RequestSystemSound(SYSSE_DECIDE);
    }
    StackPop(1);
    m_nSubStep = 1;
    return;
  }
  if (MenuCancel()) {
    RequestSystemSound(SYSSE_CANCEL);
    StackPop(1);
    m_nSubStep = 1;
    return;
  }
  DDFillSurface(&g_BackBufferSD, kFadedColour);
  DrawSlotList(&g_BackBufferSD, kSlotListX, kSlotListY, g_SlotList, m_nListTop, m_nListRows);
  if (g_MenuState.lpPrevious) DrawCursor(kSlotListX, g_MenuState.lpPrevious->nY, 80);
  ConfirmDraw(kTextSaveConfirm, kSaveConfirmY);
}

void cSceneSave::AutoSavePhase() {
  if (m_nSubStep == 0) {
    CurrentMenuState() = MENUSTATE{0, g_Progress.m_bAutoSave ? 0 : 1, 0, 0};
    m_nSubStep = g_Progress.m_nSaveSlot == -1 ? 2 : 1;
  }
  const bool bMessage = m_nSubStep == 2;
  if (!bMessage) ConfirmMove(kTextAutoSave, kAutoSaveY);
  const bool bDecide = MenuDecide();
  if (bDecide || MenuCancel()) {
    RequestSystemSound(bDecide ? SYSSE_DECIDE : SYSSE_CANCEL);
    if (bDecide && !bMessage) {
      if (CurrentMenuState().nRow == 0) {
        g_SaveLinks.pfnSaveStorySlot(g_Progress.m_nSaveSlot);
        g_Progress.m_bAutoSave = 1;
      } else {
        g_Progress.m_bAutoSave = 0;
      }
    }
    StackPop(1);
    m_nSubStep = 0;
    m_nPhase = PHASE_MENU;
    return;
  }
  DrawSaveScreen();
  if (bMessage) {
    DrawSystemTexts(CalcCenteredTextX(kSaveCentreX, kTextNoSlot, 1, 0), kNoSlotMessageY, kTextNoSlot, 1, 0);
  } else {
    ConfirmDraw(kTextAutoSave, kAutoSaveY);
  }
}

void cSceneSave::MapPhase() {
  m_nSubStep = 0;
  g_SceneMgr.m_nNextMode = GAMEMODE_WORLDMAP;
  m_nPhase = PHASE_END;
}

void cSceneSave::TitlePhase() {
  if (m_nSubStep == 0) {
    CurrentMenuState().nRow = 1;
    m_nSubStep = 1;
  }
  ConfirmMove(kTextTitleConfirm, kTitleConfirmY);
  if (MenuDecide()) {
    RequestSystemSound(SYSSE_DECIDE);
    if (CurrentMenuState().nRow == 0) {
      g_SceneMgr.m_nNextMode = GAMEMODE_TITLE;
      m_nPhase = PHASE_END;
      return;
    }
    StackPop(1);
    m_nSubStep = 0;
    m_nPhase = PHASE_MENU;
    return;
  }
  if (MenuCancel()) {
    RequestSystemSound(SYSSE_CANCEL);
    StackPop(1);
    m_nSubStep = 0;
    m_nPhase = PHASE_MENU;
    return;
  }
  DrawSaveScreen();
  ConfirmDraw(kTextTitleConfirm, kTitleConfirmY);
}

void cSceneSave::End() {
  cSceneManager& m = g_SceneMgr;
  if (!MenuFadeOut(m.m_nFadeStep)) return;
  DDFillSurface(&g_BackBufferSD, kFadedColour);
  // The next scene starts from one cursor record, as after every other scene.
  ResetMenuState();
  m.m_nPrevMode = GAMEMODE_SAVE;
  m.m_nMode = m.m_nNextMode;
}
