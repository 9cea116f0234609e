// The menu machinery of the mode screens: the cursor stack g_MenuState
// (records/start_tables.h) pushed and popped per menu level, the two cursor
// moves by the player's key flags, the cursor and system sounds, and the
// common frame of every menu scene (input filter, Init once, phase table).
#pragma once

#include <cstdint>
#include <vector>

#include "media/graphics/dd.h"
#include "platform/win_types.h"
#include "play/play_state.h"
#include "records/start_tables.h"
#include "records/system.h"
#include "shell/scene.h"

// Pushes a cursor record of zeros (nCopy 1: a copy of the one below it).
void StackPushCopy(int32_t nCopy);
// Pops the top record when there is more than one. nMode 0 clears the new
// top, 2 gives it the popped cursor, anything else leaves it as it was.
void StackPop(int32_t nMode);

// The key flags are the player's direction word of this frame: bit 0 left,
// bit 1 right, bit 2 up, bit 3 down. Both moves act on the top record.
//
// A wrapping grid; x and y become the cell's pixel position. Nothing
// happens when nColumns or nRows is negative.
void CursorMoveGrid(const uint16_t* lpKeys, int32_t x0, int32_t y0, int32_t nStepX, int32_t nStepY,
                    int32_t nColumns, int32_t nRows);
// A scrolling list that does not wrap. bRows: the row index moves (the
// cursor's y follows it, x is nOther), else the column index. *lpTop is the
// first item shown; bPaging lets left and right turn a page of nVisible - 1.
void CursorMoveList(const uint16_t* lpKeys, BOOL bRows, int32_t* lpTop, int32_t nBase, int32_t nStep,
                    int32_t nOther, int32_t nVisible, int32_t nCount, BOOL bPaging);
// Plays sound nSound of the loaded sound list on the calling thread: once
// when mask bit 0 is set and left or right is held, and once more when mask
// bit 1 is set and up or down is held.
void PlayCursorSE(const uint16_t* lpKeys, uint8_t byMask, int32_t nSound);
enum : uint8_t {
  CURSORSE_HORIZONTAL = 1,
  CURSORSE_VERTICAL = 2,
  CURSORSE_ALL = 3,
};

// RequestSystemSound (play_state.h): system sound n through the main window
// (UM_PLAYSE); the sender waits until it has been started.
// The system sounds of the menus.
enum : int {
  SYSSE_CURSOR = 0,
  SYSSE_DECIDE = 1,
  SYSSE_CANCEL = 2,
  SYSSE_REFUSE = 3,
};

// One step of a scene's screen fade from black (In) or to black (Out) by
// dStep degrees (DDFadeIn / DDFadeOut over the whole palette); TRUE on the
// step that shows the end state, the 90 / dStep + 1st. Each keeps its own
// angle between calls. The scenes' step is 10.
BOOL MenuFadeIn(double dStep);
BOOL MenuFadeOut(double dStep);

// The common frame of the menu scenes (title, world map, save, challenge,
// option). Update filters player 0's input for menus (direction repeat;
// buttons 1 and 2 act once per press), runs Init once while the phase is
// -1, then the operation of the current phase. A phase outside the table,
// or an empty slot, runs nothing.
class cMenuScene : public cScene {
 public:
  void Update() override;

 protected:
  typedef void (cMenuScene::*PHASEPROC)();
  static constexpr int kPhaseSlots = 8;
  // A derived scene fills its slots with static_cast<PHASEPROC>(&cDerived::Op).
  PHASEPROC m_apfnPhase[kPhaseSlots] = {};

  // What every phase reads from player 0's filtered input record.
  static uint16_t MenuKeys();
  static bool MenuDecide();  // button 1 (Z by default)
  static bool MenuCancel();  // button 2 (X by default)
  // Buttons 3 and 4 (C and V by default), which switch the ranking shown and
  // turn its genre on the world map and the challenge list: the ones first
  // seen held this frame, so that a held key acts once.
  uint16_t RankingKeysPressed();

 private:
  uint16_t m_wRankingKeysHeld = 0;
};
enum : uint16_t {
  MENUBUTTON_RANKING = 4,
  MENUBUTTON_GENRE = 8,
};

// A menu scene drawn on a 640 x 480 screen surface of its own (challenge,
// option): drawn when something on it changes, copied to the back buffer
// every frame, drawn again when it was lost.
class cMenuScreenScene : public cMenuScene {
 public:
  ~cMenuScreenScene() override;
  virtual void DrawScreen() = 0;
  DDSURFACEDATA* Screen();

  std::vector<DDSURFACEDATA> m_vSurface;
  std::vector<DDSURFACEINFO> m_vSurfaceInfo;

 protected:
  // Init's part: the surface made and drawn; the main window is asked to
  // close when it cannot be made.
  void MakeScreen();
  void ShowScreen();
  // Begin's part: one fade-in step over the screen (drawn anew each step on
  // the 8-bit display); true on the last.
  bool FadeInScreen();
};

// The top cursor record (never null: the stack keeps at least one).
MENUSTATE& CurrentMenuState();

// The rows of a menu of the settings: the numbers of its enabled items among
// the first nMax (a damaged settings file may hold fewer), in order, into
// anItem; item 0 alone when none is. Returns the row count.
int32_t ListEnabledItems(const cVector<cEdSystemText>& items, int32_t* anItem, int nMax);
template <int N>
int32_t ListEnabledItems(const cVector<cEdSystemText>& items, int32_t (&anItem)[N]) {
  return ListEnabledItems(items, anItem, N);
}

// A menu window of the scenes on lpSD: the window picture ("bmp\Window.bmp"
// of the fixed surfaces) from its top left inside a one-pixel frame of
// palette colour 240; the frame is the outer ring of (x, y, w, h).
void DrawMenuWindow(DDSURFACEDATA* lpSD, int x, int y, int w, int h);
// The back buffer's colour after a screen has faded out, before the next
// mode draws; and the colour of the menu window's frame and rules.
constexpr DWORD kFadedColour = 16;
constexpr DWORD kFrameColour = 240;
