// The world map scene (game mode 1): the player walks cell by cell between
// the map's events; an event with a stage asks whether to play it and
// starts it; cancel opens the save screen. Story progress lives in
// g_Progress; the map in g_WorldMap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "platform/win_types.h"
#include "records/start_tables.h"
#include "shell/menu_cursor.h"

class cEdWorldAction;

// Layout in pixels.
constexpr int32_t kMapPlayerX = 288;  // the player's cell is always drawn here
constexpr int32_t kMapPlayerY = 224;
constexpr int32_t kMapViewCols = 20;
constexpr int32_t kMapViewRows = 15;
constexpr int32_t kMapCell = 32;
constexpr int32_t kMapOriginCol = 9;  // the player's column in the view
constexpr int32_t kMapOriginRow = 7;
constexpr int32_t kMapConfirmY = 260;
constexpr int32_t kMapInfoCentreX = 304;
constexpr int32_t kMapRankingX = 367;
constexpr int32_t kMapRankingY = 64;
constexpr int32_t kMapRankingWidth = 272;
constexpr int32_t kMapRankingHeight = 352;
// Frames of the two walking pictures together.
constexpr int32_t kMapWalkCycle = 80;

// The fixed surfaces the world map loads (entries of g_aStageSurface).
enum : int {
  MAPSURFACE_WINDOW = 45,
  MAPSURFACE_ACCESSORY = 49,  // the player at (0, 64) .. (96, 96); the lives icon at (0, 48)
  MAPSURFACE_CHIP = 52,       // 32 x 32 chips, five per row
  MAPSURFACE_EVENT = 53,      // x 0 not passed, x 32 passed; y = the event's kind × 32
  MAPSURFACE_BACK = 54,       // the map's background picture
  MAPSURFACE_VIEW = 67,       // the 640 x 480 work surface of the view
};

// Event kinds the map tells apart.
enum : int32_t {
  MAPEVENT_ENTER = 0,
  MAPEVENT_BLOCK = 2,
};

// The first action of the event on cell (x, y) whose required flag, variable
// comparison and score threshold hold for g_Progress; null when none does.
const cEdWorldAction* FindMapEvent(int x, int y);
// Counts as passed, or its passed flag is set.
bool MapEventPassed(const cEdWorldAction& e);
// The cell has no event and its kind's chip blocks the way.
bool MapCellBlocked(int x, int y);
// The stage of a map event entered: progress stage name, clear flag, area,
// event, and the lives the stage starts with.
void EnterMapStage(const cEdWorldAction& e);
// The sum of g_Progress's high scores of the stages the map's events name.
int32_t MapTotalScore();

class cSceneWorldMap : public cMenuScene {
 public:
  cSceneWorldMap();
  ~cSceneWorldMap() override;

  void Init() override;
  void Begin() override;    // phase 0: fade-in, a stage that starts by itself
  void WalkPhase();         // phase 1
  void ConfirmPhase();      // phase 2: "ステージに挑む" / "やっぱりやめる"
  void End() override;      // phase 3: fade-out, then the next mode

  // The cell under the cursor and its event, looked up again.
  void LookUpCell();
  void ShowMapEventInfo();
  // The view surface: background, chips, events.
  void DrawMapView();
  // The view, the player, the lives and (bInfo) the event information.
  void DrawMapFrame(bool bInfo);
  void DrawRankingPanel();
  // Buttons 3 and 4: the ranking on the map.
  void RankingButtons();
  bool CurrentEventEnterable() const;

  int32_t m_nSubStep = 0;
  int32_t m_nCellX = 0;
  int32_t m_nCellY = 0;
  const cEdWorldAction* m_pEvent = nullptr;  // in g_WorldMap, read-only while the scene lives
  MENUSTATE m_StartState{};
  int32_t m_nShownX = -1;  // the cell whose event information is shown
  int32_t m_nShownY = -1;
  int32_t m_nFacingAtInit = 0;
  uint32_t m_nHighScore = 0;
  int32_t m_nOriginX = 0;
  int32_t m_nOriginY = 0;
  int32_t m_nWalkFrame = 0;  // 1 .. kMapWalkCycle
  BOOL m_bStageLoaded = FALSE;
  // The scene's own surface list: the ranking panel, the current stage's
  // ranking in genre m_nRankGenre.
  std::vector<DDSURFACEDATA> m_vSurface;
  std::vector<DDSURFACEINFO> m_vSurfaceInfo;
};

// What the map calls in other units; tests replace them.
struct WORLDMAPLINKS {
  // The stage file into g_StageCopy; 0 when it cannot be loaded.
  BOOL (*pfnLoadStage)(const std::string& name);
  BOOL (*pfnSaveStorySlot)(int nSlot);
};
// Threads: set before the game thread starts (tests set their stand-ins
// before driving the scene); read by the game thread.
extern WORLDMAPLINKS g_WorldMapLinks;
WORLDMAPLINKS DefaultWorldMapLinks();
