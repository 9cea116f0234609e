// The title scene (game mode 0): the title picture with a menu of up to
// seven items, the Continue list of the story slots, and what each choice
// prepares before it hands over to the next mode (play kind, ranking flag,
// play progress); with the stage and replay chooser requests.
#pragma once

#include <cstdint>
#include <vector>

#include "media/graphics/dd.h"
#include "platform/win_types.h"
#include "shell/menu_cursor.h"

// The title menu's items, in the order of g_System's title-menu list.
enum TITLEITEM : int32_t {
  TITLEITEM_NEWGAME = 0,
  TITLEITEM_CONTINUE = 1,
  TITLEITEM_CHALLENGE = 2,
  TITLEITEM_FREE = 3,
  TITLEITEM_REPLAY = 4,
  TITLEITEM_OPTION = 5,
  TITLEITEM_QUIT = 6,
};
constexpr int TITLEITEM_COUNT = 7;

// Layout in pixels; other scenes place their lists the same way.
constexpr int32_t kTitleMenuX = 192;
constexpr int32_t kTitleMenuY = 240;
constexpr int32_t kTitleRowHeight = 32;
constexpr int32_t kContinueListX = 152;
constexpr int32_t kContinueListY = 160;
constexpr int32_t kContinueRowHeight = 16;
constexpr int32_t kContinueListWidth = 320;
constexpr int32_t kContinueListMaxRows = 10;

// The fixed surfaces the title loads (entries of g_aStageSurface).
enum : int {
  TITLESURFACE_WINDOW = 45,
  TITLESURFACE_TITLE = 47,
  TITLESURFACE_GAMEMODE = 48,   // picture labels: a 32-pixel strip per item
  TITLESURFACE_ACCESSORY = 49,  // cursors: 32 x 32 at (0, 0), 16 x 16 at (64, 0)
};

class cSceneTitle : public cMenuScene {
 public:
  cSceneTitle();
  ~cSceneTitle() override;

  void Init() override;
  void Begin() override;      // phase 0: fade-in
  void TitleMenuPhase();      // phase 1
  void TitleContinuePhase();  // phase 2
  void End() override;        // phase 3: fade-out, then the next mode

  // The menu surface for the current item set: created, then drawn.
  void BuildMenuSurface();
  void DrawMenuSurface();
  // The title picture and the menu on the back buffer.
  void DrawTitleFrame();
  DDSURFACEDATA* MenuSurface();

  int32_t m_nSubStep = 0;  // of the Continue list: 0 until it is set up
  int32_t m_nItemCount = 0;
  int32_t m_anItem[TITLEITEM_COUNT] = {};
  int32_t m_nListTop = 0;
  int32_t m_nListRows = 0;
  int32_t m_nMenuX = kTitleMenuX;
  int32_t m_nMenuY = kTitleMenuY;
  // The scene's own surface list: the menu surface, when made.
  std::vector<DDSURFACEDATA> m_vSurface;
  std::vector<DDSURFACEINFO> m_vSurfaceInfo;
};

// The picture-label switch of the title: g_System's m_bTitleMenuCentred
// (labels from "bmp\GameMode.bmp" instead of text, the menu centred on
// x = 288 by the picture's width).
bool TitleUsesPictureLabels();

// The file choosers of Free and Replay: the request to the main window,
// then a wait until it is done. TRUE when a file was chosen and loaded;
// FALSE as well when the program closes meanwhile.
BOOL RequestStageChooser();
BOOL RequestReplayChooser();

// What the title calls in other units: the play progress (the new-game
// reset, NewGameReset; the challenge progress), and the story slots of the
// Continue list (the story slot files by default). Tests replace them.
struct TITLELINKS {
  // The reset of the live play progress for a new game.
  void (*pfnNewGameReset)();
  // The challenge progress loaded, or reset when there is none.
  void (*pfnStartChallenge)();
  void (*pfnLoadSaveSlotList)();
  BOOL (*pfnSlotUsed)(int nSlot);
  // The slot into the live play progress; FALSE leaves it untouched.
  BOOL (*pfnLoadStorySlot)(int nSlot);
  // The rows nTop .. nTop + nRows - 1 of the slot list at (x, y).
  void (*pfnDrawSlotList)(int x, int y, int nTop, int nRows);
};
// Threads: set before the game thread starts (tests set their stand-ins
// before driving the scene); read by the game thread.
extern TITLELINKS g_TitleLinks;
TITLELINKS DefaultTitleLinks();

// The story slots the Continue list shows ("Story01.dat" .. "Story99.dat").
constexpr int32_t kStorySlotCount = 99;
