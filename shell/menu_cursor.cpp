#include "shell/menu_cursor.h"

#include <algorithm>

#include "media/graphics/dd_effects.h"
#include "media/sound/sound_effects.h"
#include "platform/messages.h"
#include "play/play_links.h"
#include "shell/main_window.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"

namespace {

// The list may have moved its storage: both pointers are taken again.
void RefreshMenuStatePointers() {
  MENUSTATESTACK& s = g_MenuState;
  cVector<MENUSTATE>& v = s.vecState;
  if (v.empty()) v.push_back(MENUSTATE{0, 0, 0, 0});
  const int n = static_cast<int>(v.size());
  s.nCurrent = n - 1;
  s.lpCurrent = &v.CheckedAt(n - 1);
  s.lpPrevious = n >= 2 ? &v[static_cast<size_t>(n - 2)] : nullptr;
}

constexpr uint16_t kHorizontal = INPUT_LEFT | INPUT_RIGHT;
constexpr uint16_t kVertical = INPUT_UP | INPUT_DOWN;

}  // namespace

MENUSTATE& CurrentMenuState() {
  if (!g_MenuState.lpCurrent || g_MenuState.vecState.empty()) RefreshMenuStatePointers();
  return *g_MenuState.lpCurrent;
}

void StackPushCopy(int32_t nCopy) {
  cVector<MENUSTATE>& v = g_MenuState.vecState;
  v.push_back(MENUSTATE{0, 0, 0, 0});
  if (nCopy == 1 && v.size() >= 2) v[v.size() - 1] = v[v.size() - 2];
  RefreshMenuStatePointers();
}

void StackPop(int32_t nMode) {
  cVector<MENUSTATE>& v = g_MenuState.vecState;
  if (v.size() <= 1) return;
  const MENUSTATE popped = v.back();
  v.pop_back();
  MENUSTATE& top = v.back();
  if (nMode == 0)
    top = MENUSTATE{0, 0, 0, 0};
  else if (nMode == 2)
    top = popped;
  RefreshMenuStatePointers();
}

void CursorMoveGrid(const uint16_t* lpKeys, int32_t x0, int32_t y0, int32_t nStepX, int32_t nStepY,
                    int32_t nColumns, int32_t nRows) {
  if (nColumns < 0 || nRows < 0) return;
  const uint16_t keys = lpKeys ? *lpKeys : 0;
  MENUSTATE& m = CurrentMenuState();
  if (keys & INPUT_LEFT)
    --m.nCol;
  else if (keys & INPUT_RIGHT)
    ++m.nCol;
  if (keys & INPUT_UP)
    --m.nRow;
  else if (keys & INPUT_DOWN)
    ++m.nRow;
  if (m.nRow < 0)
    m.nRow = nRows - 1;
  else if (m.nRow >= nRows)
    m.nRow = 0;
  if (m.nCol < 0)
    m.nCol = nColumns - 1;
  else if (m.nCol >= nColumns)
    m.nCol = 0;
  m.nX = m.nCol * nStepX + x0;
  m.nY = m.nRow * nStepY + y0;
}

void CursorMoveList(const uint16_t* lpKeys, BOOL bRows, int32_t* lpTop, int32_t nBase, int32_t nStep,
                    int32_t nOther, int32_t nVisible, int32_t nCount, BOOL bPaging) {
  const uint16_t keys = lpKeys ? *lpKeys : 0;
  int32_t nTopStore = 0;
  int32_t& top = lpTop ? *lpTop : nTopStore;
  MENUSTATE& m = CurrentMenuState();
  int32_t& index = bRows ? m.nRow : m.nCol;
  if (keys & INPUT_UP) {
    if (index - top < 1) --top;
    --index;
  } else if (keys & INPUT_DOWN) {
    if (index - top >= nVisible - 1) ++top;
    ++index;
  }
  if (bPaging) {
    if (keys & INPUT_RIGHT) {
      if (top == nCount - nVisible) {
        index = nCount - 1;
      } else {
        top += nVisible - 1;
        index += nVisible - 1;
      }
    } else if (keys & INPUT_LEFT) {
      if (top == 0) {
        index = 0;
      } else {
        top -= nVisible - 1;
        index -= nVisible - 1;
      }
    }
  }
  if (index > nCount - 1) index = nCount - 1;
  if (index < 0) index = 0;
  const int32_t nMaxTop = nCount - nVisible < 0 ? 0 : nCount - nVisible;
  if (top < 0) top = 0;
  if (top > nMaxTop) top = nMaxTop;
  const int32_t along = (index - top) * nStep + nBase;
  if (bRows) {
    m.nY = along;
    m.nX = nOther;
  } else {
    m.nX = along;
    m.nY = nOther;
  }
}

void PlayCursorSE(const uint16_t* lpKeys, uint8_t byMask, int32_t nSound) {
  const uint16_t keys = lpKeys ? *lpKeys : 0;
  if ((byMask & CURSORSE_HORIZONTAL) && (keys & kHorizontal)) PlaySoundEntry(nSound);
  if ((byMask & CURSORSE_VERTICAL) && (keys & kVertical)) PlaySoundEntry(nSound);
}

// Every scene fades the whole screen to black and back: all 256 entries of
// the working palette at 8 bits, the back buffer otherwise.
BOOL MenuFadeIn(double dStep) { return DDFadeIn(g_WorkPalette, 0, 255, 0, 0, 0, dStep, g_Palette, FALSE); }

BOOL MenuFadeOut(double dStep) { return DDFadeOut(g_WorkPalette, 0, 255, 0, 0, 0, dStep, g_Palette, FALSE); }

namespace {

void PlaySoundRequest(int nSound) { SendMessage(g_hWndMain, UM_PLAYSE, static_cast<WPARAM>(nSound), 0); }

// The menus and stage play share one system-sound request (play_state.h);
// its link to the main window is there before any scene runs.
const bool s_bSoundLinked = [] {
  if (!g_PlayLinks.pfnPlaySound) g_PlayLinks.pfnPlaySound = &PlaySoundRequest;
  return true;
}();

}  // namespace

// ---- cMenuScene --------------------------------------------------------------

void cMenuScene::Update() {
  cPlayerInput& in = g_vPlayerInput.CheckedAt(0);
  in.MenuKeyRepeat();
  in.ButtonLatch(1 | 2);
  InitOnce();
  if (m_nPhase < 0 || m_nPhase >= kPhaseSlots) return;
  if (PHASEPROC pfn = m_apfnPhase[m_nPhase]) (this->*pfn)();
}

uint16_t cMenuScene::MenuKeys() { return g_vPlayerInput.CheckedAt(0).m_wDirection; }
bool cMenuScene::MenuDecide() { return (g_vPlayerInput.CheckedAt(0).m_wButton & 1) != 0; }
bool cMenuScene::MenuCancel() { return (g_vPlayerInput.CheckedAt(0).m_wButton & 2) != 0; }

uint16_t cMenuScene::RankingKeysPressed() {
  const uint16_t wHeld = g_vPlayerInput.CheckedAt(0).m_wButton & (MENUBUTTON_RANKING | MENUBUTTON_GENRE);
  const uint16_t wPressed = static_cast<uint16_t>(wHeld & ~m_wRankingKeysHeld);
  m_wRankingKeysHeld = wHeld;
  return wPressed;
}

int32_t ListEnabledItems(const cVector<cEdSystemText>& items, int32_t* anItem, int nMax) {
  int32_t n = 0;
  const int nListed = std::min<int>(nMax, static_cast<int>(items.size()));
  for (int i = 0; i < nListed; ++i)
    if (items[static_cast<size_t>(i)].m_bEnabled) anItem[n++] = i;
  if (n == 0) anItem[n++] = 0;
  return n;
}

void DrawMenuWindow(DDSURFACEDATA* lpSD, int x, int y, int w, int h) {
  constexpr int kWindowSurface = 45;
  DDBltFast(lpSD, x + 1, y + 1, w - 2, h - 2, &g_aStageSurface[kWindowSurface], 0, 0, 0);
  DDFillRect(lpSD, x, y, w, 1, kFrameColour);
  DDFillRect(lpSD, x, y + h - 1, w, 1, kFrameColour);
  DDFillRect(lpSD, x, y, 1, h, kFrameColour);
  DDFillRect(lpSD, x + w - 1, y, 1, h, kFrameColour);
}

// ---- cMenuScreenScene --------------------------------------------------------------

cMenuScreenScene::~cMenuScreenScene() { DDReleaseSurfaceVector(m_vSurface); }

DDSURFACEDATA* cMenuScreenScene::Screen() { return m_vSurface.empty() ? nullptr : &m_vSurface.front(); }

void cMenuScreenScene::MakeScreen() {
  DDAddSurface(m_vSurface, m_vSurfaceInfo, 640, 480, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr);
  DDSURFACEDATA* lpSD = Screen();
  if (!lpSD || (!lpSD->lpDT && !lpSD->lpDDS)) {
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
  } else {
    DrawScreen();
  }
}

void cMenuScreenScene::ShowScreen() {
  DDSURFACEDATA* lpSD = Screen();
  if (!lpSD) return;
  if (lpSD->bLost) {
    DrawScreen();
    lpSD->bLost = 0;
  }
  DDBltFast(&g_BackBufferSD, 0, 0, 640, 480, lpSD, 0, 0, 0);
}

bool cMenuScreenScene::FadeInScreen() {
  if (g_DDDisplay.nBpp == 8) DrawScreen();
  ShowScreen();
  return MenuFadeIn(g_SceneMgr.m_nFadeStep) != 0;
}
