// The save scene (game mode 2), opened from the world map: save into one of
// the story slots (with a confirmation), switch automatic saving on or off,
// go back to the map, or return to the title (with a confirmation). Also
// the slot list that the title's Continue list draws.
#pragma once

#include <cstdint>

#include "media/graphics/dd.h"
#include "records/story_slot.h"
#include "shell/menu_cursor.h"

// The save menu's items, in the order of g_System's save-menu list; the
// item number + 2 is the phase it opens.
enum SAVEITEM : int32_t {
  SAVEITEM_SAVE = 0,
  SAVEITEM_AUTOSAVE = 1,
  SAVEITEM_MAP = 2,
  SAVEITEM_TITLE = 3,
};
constexpr int SAVEITEM_COUNT = 4;

// Layout in pixels.
constexpr int32_t kSaveMenuX = 264;
constexpr int32_t kSaveMenuY = 192;
constexpr int32_t kSaveRowHeight = 16;
constexpr int32_t kSaveCentreX = 320;
constexpr int32_t kSaveTotalY = 260;
constexpr int32_t kSlotListX = 152;
constexpr int32_t kSlotListY = 160;
constexpr int32_t kSlotListWidth = 320;
constexpr int32_t kSlotListMaxRows = 10;
constexpr int32_t kSaveConfirmY = 400;
constexpr int32_t kAutoSaveY = 224;
constexpr int32_t kNoSlotMessageY = 232;
constexpr int32_t kTitleConfirmY = 224;

// The fixed surfaces the save scene loads (entries of g_aStageSurface).
enum : int {
  SAVESURFACE_WINDOW = 45,
  SAVESURFACE_ACCESSORY = 49,  // cursor 16 x 16 at (64, 0), the confirmed slot's mark at (80, 0)
  SAVESURFACE_SYMBOL = 50,
};

// The rows top .. top + rows - 1 of a slot list at (x, y): a box of the
// second font 320 wide, a line in colour 240 under every row but the last,
// the slot number and, for a used slot, its save time.
void DrawSlotList(DDSURFACEDATA* lpTarget, int x, int y, const cVector<SLOTENTRY>& list, int nTop, int nRows);

class cSceneSave : public cMenuScene {
 public:
  cSceneSave();

  void Init() override;
  void Begin() override;   // phase 0
  void MenuPhase();        // phase 1
  void SlotPhase();        // phase 2
  void AutoSavePhase();    // phase 3
  void MapPhase();         // phase 4
  void TitlePhase();       // phase 5
  void End() override;     // phase 6

  // The menu window, its labels and the total score on the back buffer.
  void DrawSaveScreen();

  int32_t m_nSubStep = 0;
  int32_t m_nItemCount = 0;
  int32_t m_anItem[SAVEITEM_COUNT] = {};
  int32_t m_nListTop = 0;
  int32_t m_nListRows = 0;
};

// What the save scene calls in other units; tests replace it.
struct SAVELINKS {
  // g_Progress into the slot's file; 0 when it could not be written.
  BOOL (*pfnSaveStorySlot)(int nSlot);
};
// Threads: set before the game thread starts (tests set their stand-ins
// before driving the scene); read by the game thread.
extern SAVELINKS g_SaveLinks;
SAVELINKS DefaultSaveLinks();
