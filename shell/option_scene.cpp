#include "shell/option_scene.h"

#include <algorithm>
#include <string>

#include "base/message_box.h"
#include "base/report.h"
#include "base/thread_wrapper.h"
#include "media/graphics/font.h"
#include "media/sound/sound_effects.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "records/option.h"
#include "records/system.h"
#include "shell/main_window.h"
#include "shell/music_requests.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"
#include "shell/title_scene.h"

namespace {

enum : int32_t {
  PHASE_BEGIN = 0,
  PHASE_OPTION = 1,
  PHASE_END = 2,
};

// The option music of the per-screen music list.
constexpr WPARAM kOptionMusic = 3;
// Fonts: the second system font for rows, the third for the heading.
constexpr int kRowFont = 1;
constexpr int kHeadingFont = 2;
constexpr DWORD kTextDrawMode = 1;

// Each editable item: its option member and its range.
struct EDITRANGE {
  int32_t cEdOption::*pnMember;
  int32_t nMin, nMax;
};
constexpr EDITRANGE kEditRange[4] = {
    {&cEdOption::m_nHbt, 0, 23},
    {&cEdOption::m_bMusic, 0, 1},
    {&cEdOption::m_nSeVolume, 0, 10},
    {&cEdOption::m_nRankingMode, 0, 3},
};

void CloseMainWindow() { PostMessage(g_hWndMain, WM_CLOSE, 0, 0); }

void ApplyHbt(int n) { LoadHbt(n); }
void ApplySeVolume(int nLevel) { SetSoundListVolume(SeVolumeForLevel(nLevel)); }

const std::string& OptionLabelOf(int nEntry) { return g_System.m_vecOptionMenu.CheckedAt(nEntry).m_strLabel; }

// An item change applied at once; music waits for the scene's end.
void ApplyItem(int nItem) {
  if (nItem == OPTIONITEM_HBT) g_OptionLinks.pfnApplyHbt(g_Option.m_nHbt);
  if (nItem == OPTIONITEM_SEVOLUME) g_OptionLinks.pfnApplySeVolume(g_Option.m_nSeVolume);
}

std::string ValueText(int nItem) {
  switch (nItem) {
    case OPTIONITEM_HBT: return std::to_string(g_Option.m_nHbt);
    case OPTIONITEM_MUSIC: return g_Option.m_bMusic ? "ON" : "OFF";
    case OPTIONITEM_SEVOLUME: return std::to_string(g_Option.m_nSeVolume);
    case OPTIONITEM_RANKINGMODE: return RankingModeLabel(g_Option.m_nRankingMode);
    case OPTIONITEM_NAME: return g_Option.m_szRankingName;
    default: return std::string();
  }
}

}  // namespace

OPTIONITEM OptionItemAt(int nEntry) {
  static constexpr OPTIONITEM kListOrder[OPTIONITEM_COUNT] = {OPTIONITEM_MUSIC, OPTIONITEM_SEVOLUME,
                                                              OPTIONITEM_RANKINGMODE, OPTIONITEM_NAME,
                                                              OPTIONITEM_BACK, OPTIONITEM_HBT};
  return kListOrder[std::clamp(nEntry, 0, OPTIONITEM_COUNT - 1)];
}

std::string RankingModeLabel(int nMode) {
  static const char* const kLabel[4] = {"手動登録（登録名入力）", "手動登録（登録名固定）", "自動登録（登録名入力）",
                                        "自動登録（登録名固定）"};
  return nMode >= 0 && nMode < 4 ? Sjis(kLabel[nMode]) : std::string();
}

OPTIONLINKS DefaultOptionLinks() { return OPTIONLINKS{&ApplyHbt, &ApplySeVolume, &RestartMusic}; }
OPTIONLINKS g_OptionLinks = DefaultOptionLinks();

cSceneOption::cSceneOption() {
  m_apfnPhase[PHASE_BEGIN] = static_cast<PHASEPROC>(&cSceneOption::Begin);
  m_apfnPhase[PHASE_OPTION] = static_cast<PHASEPROC>(&cSceneOption::OptionPhase);
  m_apfnPhase[PHASE_END] = static_cast<PHASEPROC>(&cSceneOption::End);
}

void cSceneOption::Init() {
  SendMessage(g_hWndMain, UM_PLAYBGM, kOptionMusic, 0);
  static const int s_anSurface[] = {TITLESURFACE_ACCESSORY, TITLESURFACE_WINDOW};
  if (!DDLoadSurfaceList(g_aStageSurface, s_anSurface, 2)) CloseMainWindow();
  ResetMenuState();

  m_nItemCount = ListEnabledItems(g_System.m_vecOptionMenu, m_anItem);

  MakeScreen();
  m_nSubStep = 0;
}

void cSceneOption::DrawScreen() {
  DDSURFACEDATA* lpSD = Screen();
  if (!lpSD) return;
  DDFillSurface(lpSD, 0);
  DrawMenuWindow(lpSD, 0, 0, 640, 480);
  const std::string& heading = g_System.m_vecTitleMenu.CheckedAt(TITLEITEM_OPTION).m_strLabel;
  g_Fonts[kHeadingFont].DrawText(lpSD, 320 - 32 * CountMbcsChars(heading) / 2, kOptionTitleY, heading.c_str(),
                                 kTextDrawMode);
  for (int k = 0; k < m_nItemCount; ++k) {
    const int y = kOptionRowsY + kOptionRowHeight * k;
    g_Fonts[kRowFont].DrawText(lpSD, kOptionLabelX, y, OptionLabelOf(m_anItem[k]).c_str(), kTextDrawMode);
    const std::string value = ValueText(OptionItemAt(m_anItem[k]));
    if (!value.empty()) g_Fonts[kRowFont].DrawText(lpSD, kOptionValueX, y, value.c_str(), kTextDrawMode);
  }
}

void cSceneOption::Begin() {
  if (FadeInScreen()) m_nPhase = PHASE_OPTION;
}

void cSceneOption::OptionPhase() {
  if (m_nSubStep == 0) {
    CurrentMenuState() = MENUSTATE{0, 0, 0, 0};
    m_nSubStep = 1;
  }
  if (m_nSubStep == 1) {
    ChooseItem();
  } else {
    EditValue();
  }
}

void cSceneOption::ChooseItem() {
  uint16_t keys = MenuKeys();
  CursorMoveGrid(&keys, kOptionCursorX, kOptionRowsY, 0, kOptionRowHeight, 1, m_nItemCount);
  PlayCursorSE(&keys, CURSORSE_VERTICAL, SYSSE_CURSOR);
  MENUSTATE& cur = CurrentMenuState();
  const bool bDecide = MenuDecide();
  const bool bCancel = !bDecide && MenuCancel();
  if (!bDecide && !bCancel) {
    ShowScreen();
    DDBltFast(&g_BackBufferSD, cur.nX, cur.nY, 16, 16, &g_aStageSurface[TITLESURFACE_ACCESSORY], 64, 0, 1);
    return;
  }
  RequestSystemSound(bDecide ? SYSSE_DECIDE : SYSSE_CANCEL);
  const int nItem = bDecide ? OptionItemAt(m_anItem[std::clamp(cur.nRow, 0, m_nItemCount - 1)]) : OPTIONITEM_BACK;
  if (nItem <= OPTIONITEM_RANKINGMODE) {
    m_nEditItem = nItem;
    m_lpnEdited = &(g_Option.*kEditRange[nItem].pnMember);
    m_nMin = kEditRange[nItem].nMin;
    m_nMax = kEditRange[nItem].nMax;
    m_nValueBefore = *m_lpnEdited;
    StackPushCopy(1);
    m_nSubStep = 2;
  } else if (nItem == OPTIONITEM_NAME) {
    g_bNameEntered = 0;
    const HWND hWnd = g_hWndMain;
    if (hWnd && IsWindow(hWnd)) {
      SendMessage(hWnd, UM_NAMEENTRY, 0, 0);
      while (!g_bNameEntered) {
        if (IsShuttingDown() || IsThreadStopRequested()) return;
        Sleep(1);
      }
    }
    g_Option.m_szRankingName = CutRankingName(g_Option.m_szRankingName);
    DrawScreen();
  } else {
    g_SceneMgr.m_nNextMode = GAMEMODE_TITLE;
    m_nSubStep = 0;
    m_nPhase = PHASE_END;
  }
}

void cSceneOption::EditValue() {
  uint16_t keys = MenuKeys();
  int32_t& value = *m_lpnEdited;
  bool bChanged = false;
  auto Step = [&](int32_t d) {
    value += d;
    if (value < m_nMin) value = m_nMax;
    if (value > m_nMax) value = m_nMin;
    bChanged = true;
  };
  if (keys & INPUT_UP) Step(1);
  if (keys & INPUT_DOWN) Step(-1);
  if (bChanged) {
    ApplyItem(m_nEditItem);
    DrawScreen();
  }
  PlayCursorSE(&keys, CURSORSE_VERTICAL, SYSSE_CURSOR);
  if (MenuDecide()) {
    RequestSystemSound(SYSSE_DECIDE);
    StackPop(1);
    m_nSubStep = 1;
    return;
  }
  if (MenuCancel()) {
    RequestSystemSound(SYSSE_CANCEL);
    value = m_nValueBefore;
    ApplyItem(m_nEditItem);
    StackPop(1);
    m_nSubStep = 1;
    DrawScreen();
    return;
  }
  const MENUSTATE& cur = CurrentMenuState();
  ShowScreen();
  DDBltFast(&g_BackBufferSD, kOptionCursorX, cur.nY, 16, 16, &g_aStageSurface[TITLESURFACE_ACCESSORY], 80, 0, 1);
  DDBltFast(&g_BackBufferSD, kOptionValueCursorX, cur.nY, 16, 16, &g_aStageSurface[TITLESURFACE_ACCESSORY], 64, 0,
            1);
}

void cSceneOption::End() {
  cSceneManager& m = g_SceneMgr;
  if (!MenuFadeOut(m.m_nFadeStep)) return;
  DDFillSurface(&g_BackBufferSD, kFadedColour);
  g_OptionLinks.pfnRestartMusic();
  // Written through a temporary file: a failed save keeps the earlier
  // options, and the report says so.
  if (!SaveOption()) ReportAndLogf(Sjis("%s を保存できませんでした").c_str(), OPTION_DAT_PATH);
  ResetMenuState();
  m.m_nPrevMode = GAMEMODE_OPTION;
  m.m_nMode = m.m_nNextMode;
}
