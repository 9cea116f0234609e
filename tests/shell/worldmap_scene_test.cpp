// The world map scene driven frame by frame through player 0's input: which
// event a cell shows, walking with its blocks and facing, the confirmation,
// the stage that starts by itself, and the return from a stage.
#include "shell/worldmap_scene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/sound/sound_effects.h"
#include "platform/messages.h"
#include "records/progress.h"
#include "records/ranking.h"
#include "records/ranking_file.h"
#include "records/system.h"
#include "records/world_map.h"
#include "shell/main_window.h"
#include "shell/mode_scenes.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "tests/shell/menu_scene_fixture.h"
#include "tests/support/scoped_override.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr uint16_t kLeft = INPUT_LEFT, kRight = INPUT_RIGHT, kUp = INPUT_UP, kDown = INPUT_DOWN, kZ = 1, kX = 2;

std::vector<int> s_Sounds;
std::vector<std::string> s_Calls;
BOOL s_bStageLoads = TRUE;
void RecordSound(int nIndex) { s_Sounds.push_back(nIndex); }

LRESULT TestWndProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == UM_PLAYSE) PlaySoundEntry(static_cast<int>(wParam));
  if (msg == UM_PLAYBGM) s_Calls.push_back("bgm " + std::to_string(wParam));
  return 0;
}

cEdWorldAction Action(int32_t nKind, int32_t nPassFlag, const char* stage) {
  cEdWorldAction a;
  a.m_nKind = nKind;
  a.m_nPassFlag = nPassFlag;
  a.m_strStage = stage;
  return a;
}

// A 3 x 3 map, start in the middle (1, 1):
//   (0,0) a wall chip      (1,0) road           (2,0) a blocking event
//   (0,1) stage A (flag 5) (1,1) road           (2,1) stage B (flag 6) behind flag 9
//   (0,2) road             (1,2) road           (2,2) road
void BuildMap() {
  cEdWorldMap& w = g_WorldMap;
  w.SetSize(3, 3);
  w.m_nStartX = w.m_nStartY = 1;
  w.m_vWorld.resize(2);
  w.m_vWorld[0].m_nIndex = 0;
  w.m_vWorld[0].m_bBlock = 0;
  w.m_vWorld[1].m_nIndex = 1;
  w.m_vWorld[1].m_bBlock = 1;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) w.CellAt(x, y) = 0;
  w.CellAt(0, 0) = 1;
  w.m_vEvent.clear();
  auto add = [&w](int x, int y, std::vector<cEdWorldAction> actions) {
    cEdWorldEvent e;
    e.m_nX = x;
    e.m_nY = y;
    e.m_vAction.clear();
    for (cEdWorldAction& a : actions) e.m_vAction.push_back(a);
    w.m_vEvent.push_back(e);
  };
  add(2, 0, {Action(MAPEVENT_BLOCK, 0, "")});
  add(0, 1, {Action(MAPEVENT_ENTER, 5, "data\\stg4\\A.stg4_000")});
  cEdWorldAction b = Action(MAPEVENT_ENTER, 6, "data\\stg4\\B.stg4_000");
  b.m_nNeedFlag = 9;
  add(2, 1, {b});
}

class WorldMapScene : public cMenuSceneTest {
 protected:
  void SetUp() override {
    StartMenuScene(&TestWndProc, GAMEMODE_WORLDMAP, GAMEMODE_TITLE, 90, kSystemSoundCount + 2);
    s_Sounds.clear();
    s_Calls.clear();
    s_bStageLoads = TRUE;
    SetSoundPlayHook(&RecordSound);
    g_WorldMapLinks = WORLDMAPLINKS{
        [](const std::string& name) -> BOOL {
          s_Calls.push_back("load " + name);
          return s_bStageLoads;
        },
        [](int n) -> BOOL {
          s_Calls.push_back("save " + std::to_string(n));
          return TRUE;
        },
    };
    BuildMap();
    ProgressReset(g_Progress);
    g_Progress.m_nMapX = g_Progress.m_nMapY = 1;
    g_Progress.m_nLives = 3;
    g_System.m_bCarryLives = 0;
    g_System.m_vecStartLives.assign(4, 5);
    g_System.m_vecInfiniteLives.assign(4, 0);
  }
  static void ToWalking(cSceneWorldMap& s) {
    for (int f = 0; f < 10 && s.m_nPhase != 1; ++f) Frame(s);
    ASSERT_EQ(s.m_nPhase, 1);
  }
  static const MENUSTATE& Cur() { return CurrentMenuState(); }

  cScopedOverride<cEdWorldMap> m_Map{g_WorldMap};
  cScopedOverride<cEdSystem> m_System{g_System};
  cScopedOverride<cEdProgress> m_Progress{g_Progress};
  cScopedOverride<WORLDMAPLINKS> m_Links{g_WorldMapLinks};
};

}  // namespace

TEST_F(WorldMapScene, ModeOneBuildsTheMap) {
  cScene* s = MakeModeScene(GAMEMODE_WORLDMAP);
  EXPECT_NE(dynamic_cast<cSceneWorldMap*>(s), nullptr);
  delete s;
}

// The first action of a cell whose flag, variable and score conditions hold;
// flag and variable numbers past the lists read 0 instead of indexing them.
TEST_F(WorldMapScene, TheEventOfACellIsItsFirstActionWhoseConditionsHold) {
  cEdWorldEvent& cell = g_WorldMap.m_vEvent[1];  // (0, 1)
  cEdWorldAction second = Action(MAPEVENT_ENTER, 7, "second");
  cell.m_vAction.push_back(second);
  cEdWorldAction& first = cell.m_vAction[0];
  g_Progress.m_vVar[3] = 10;
  g_Progress.m_vFlag[4] = 1;
  struct CASE {
    int32_t nNeedFlag, nVarNo, nCompare, nValue, nScoreNeed, nTotal;
    bool bFirst;
  } cases[] = {
      {0, 0, 0, 0, 0, 0, true},        {4, 0, 0, 0, 0, 0, true},      {8, 0, 0, 0, 0, 0, false},
      {5000, 0, 0, 0, 0, 0, false},    {-3, 0, 0, 0, 0, 0, false},    {0, 3, 0, 10, 0, 0, true},
      {0, 3, 1, 10, 0, 0, false},      {0, 3, 2, 10, 0, 0, true},     {0, 3, 3, 9, 0, 0, false},
      {0, 3, 4, 9, 0, 0, true},        {0, 3, 5, 10, 0, 0, false},    {0, 3, 6, 10, 0, 0, false},
      {0, 999, 0, 0, 0, 0, true},      {0, 0, 0, 0, 100, 99, false},  {0, 0, 0, 0, 100, 100, true},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nNeedFlag << " " << c.nVarNo << " " << c.nCompare << " " << c.nScoreNeed);
    first.m_nNeedFlag = c.nNeedFlag;
    first.m_nVarNo = c.nVarNo;
    first.m_nCompare = c.nCompare;
    first.m_nCompareValue = c.nValue;
    first.m_nScoreNeed = c.nScoreNeed;
    g_Progress.m_nTotalScore = c.nTotal;
    const cEdWorldAction* e = FindMapEvent(0, 1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_strStage, c.bFirst ? "data\\stg4\\A.stg4_000" : "second");
  }
  EXPECT_EQ(FindMapEvent(1, 1), nullptr);
  EXPECT_EQ(FindMapEvent(2, 1), nullptr);  // flag 9 not set
  g_Progress.m_vFlag[9] = 1;
  EXPECT_NE(FindMapEvent(2, 1), nullptr);
}

// Chip and event-picture numbers of a damaged map file lie far past their
// pictures: the map is drawn without them, and no pixel position of theirs
// is worked out.
TEST_F(WorldMapScene, PictureNumbersPastThePicturesDrawNothing) {
  g_WorldMap.m_vWorld[0].m_nIndex = INT32_MAX;
  g_WorldMap.m_vEvent[0].m_vAction[0].m_nKind = INT32_MAX;
  cSceneWorldMap s;
  ToWalking(s);
  Press(s, kDown);
  EXPECT_EQ(Cur().nRow, 2);
}

TEST_F(WorldMapScene, WalkingStopsAtBlocksAndEdgesAndKeepsTheFacing) {
  g_Progress.m_vFlag[5] = 1;  // stage A passed: it does not stop the walk
  cSceneWorldMap s;
  ToWalking(s);
  struct STEP {
    uint16_t wKey;
    int32_t nCol, nRow, nFacing;
  } steps[] = {
      {kUp, 1, 0, 1},    // road
      {kRight, 1, 0, 1}, // (2, 0) holds a blocking event: no move, facing kept
      {kLeft, 1, 0, 1},  // (0, 0) is a wall chip
      {kUp, 1, 0, 1},    // the edge
      {kDown, 1, 1, 0},  {kLeft, 0, 1, 2}, {kDown, 0, 2, 0}, {kRight, 1, 2, 3},
      {kRight, 2, 2, 3}, {kUp, 2, 1, 1},   // stage B's cell: its flag is not set, so it is road
  };
  for (const STEP& st : steps) {
    Press(s, st.wKey);
    EXPECT_EQ(Cur().nCol, st.nCol);
    EXPECT_EQ(Cur().nRow, st.nRow);
    EXPECT_EQ(g_Progress.m_nFacing, st.nFacing) << st.nCol << "," << st.nRow;
    EXPECT_EQ(Cur().nX, kMapPlayerX);
    EXPECT_EQ(Cur().nY, kMapPlayerY);
    EXPECT_EQ(s.m_nPhase, 1);
  }
  EXPECT_EQ(g_Progress.m_nPrevMapX, 2);
  EXPECT_EQ(g_Progress.m_nPrevMapY, 2);
}

// Walking onto an unpassed stage asks; "やっぱりやめる" puts the player back
// where the scene started; "ステージに挑む" enters the stage.
TEST_F(WorldMapScene, AnUnpassedStageAsksAndStarts) {
  g_Progress.m_nLives = 2;
  cSceneWorldMap s;
  ToWalking(s);
  Press(s, kLeft);
  ASSERT_EQ(s.m_nPhase, 2);
  EXPECT_EQ(g_Progress.m_nMapX, 0);
  Frame(s);
  EXPECT_EQ(s_Calls.back(), "load data\\stg4\\A.stg4_000");
  EXPECT_EQ(Cur().nRow, 1);  // "やっぱりやめる"
  EXPECT_EQ(Cur().nY, kMapConfirmY + 16);
  Press(s, 0, kZ);
  EXPECT_EQ(s.m_nPhase, 1);
  EXPECT_EQ(Cur().nCol, 1);
  EXPECT_EQ(Cur().nRow, 1);
  EXPECT_EQ(g_Progress.m_nMapX, 1);

  Press(s, kLeft);
  ASSERT_EQ(s.m_nPhase, 2);
  Frame(s);
  Press(s, kUp);
  EXPECT_EQ(Cur().nRow, 0);
  Frame(s, 0, kZ);
  EXPECT_EQ(s.m_nPhase, 3);
  ASSERT_GT(FramesToModeSwitch(s), 0);
  const cSceneManager& m = g_SceneMgr;
  EXPECT_EQ(m.m_nMode, GAMEMODE_STAGE);
  EXPECT_EQ(m.m_nPrevMode, GAMEMODE_WORLDMAP);
  EXPECT_EQ(g_Progress.m_strStage, "data\\stg4\\A.");
  EXPECT_EQ(g_Progress.m_nClearFlag, 5);
  EXPECT_EQ(g_Progress.m_nArea, 1);
  EXPECT_EQ(g_Progress.m_nLivesStart, 5);
  EXPECT_EQ(g_Progress.m_nFacing, 0);  // as at Init
}

TEST_F(WorldMapScene, AStageThatCannotBeLoadedFromTheConfirmationKeepsThePlayer) {
  s_bStageLoads = FALSE;
  cSceneWorldMap s;
  ToWalking(s);
  // Without a device the pictures do not load and Init asks to close.
  MSG msg;
  while (PeekMessage(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
  }
  Press(s, kLeft);
  Frame(s);
  Press(s, kUp);
  Frame(s, 0, kZ);
  EXPECT_EQ(s.m_nPhase, 1);
  EXPECT_EQ(Cur().nCol, 1);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

TEST_F(WorldMapScene, LivesTheStageStartsWith) {
  struct CASE {
    uint32_t bCarry, bInfinite;
    int32_t nLives, nStart;
  } cases[] = {{0, 0, 2, 5}, {1, 0, 2, 3}, {1, 1, 2, kUnlimitedLives}};
  for (const CASE& c : cases) {
    g_System.m_bCarryLives = c.bCarry;
    g_System.m_vecInfiniteLives.assign(4, c.bInfinite);
    g_Progress.m_nLives = c.nLives;
    EnterMapStage(g_WorldMap.m_vEvent[1].m_vAction[0]);
    EXPECT_EQ(g_Progress.m_nLivesStart, c.nStart);
  }
}

// Where the map starts on an unpassed stage: from the title it starts by
// itself, from the save screen it waits, and after leaving the stage
// unfinished the player stands on the cell it came from.
TEST_F(WorldMapScene, StartingOnAnUnpassedStage) {
  struct CASE {
    int32_t nPrevMode, bLeft;
    bool bStarts;
    int32_t nCol;
  } cases[] = {
      {GAMEMODE_TITLE, 0, true, 0},
      {GAMEMODE_SAVE, 0, false, 0},
      {GAMEMODE_STAGE, 1, false, 1},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nPrevMode);
    SetUp();
    g_Progress.m_nMapX = 0;
    g_Progress.m_nPrevMapX = 1;
    g_Progress.m_nPrevMapY = 1;
    g_Progress.m_bLeftStage = c.bLeft;
    g_SceneMgr.m_nPrevMode = c.nPrevMode;
    cSceneWorldMap s;
    Frame(s);
    Frame(s);
    EXPECT_EQ(s.m_nPhase, c.bStarts ? 3 : 1);
    EXPECT_EQ(Cur().nCol, c.nCol);
    EXPECT_EQ(g_Progress.m_bLeftStage, 0);
    if (c.bStarts) {
      EXPECT_EQ(g_SceneMgr.m_nNextMode, GAMEMODE_STAGE);
    }
  }
}

TEST_F(WorldMapScene, BackFromAStageSavesAutomaticallyAndCancelOpensTheSaveScreen) {
  g_Progress.m_bAutoSave = 1;
  g_Progress.m_nSaveSlot = 4;
  g_SceneMgr.m_nPrevMode = GAMEMODE_STAGE;
  cSceneWorldMap s;
  ToWalking(s);
  EXPECT_EQ(s_Calls, (std::vector<std::string>{"bgm 1", "save 4"}));
  Press(s, kDown);
  s_Sounds.clear();
  Frame(s, 0, kX);
  EXPECT_EQ(s_Sounds, std::vector<int>{4});  // the map's own leaving sound
  EXPECT_EQ(s.m_nPhase, 3);
  EXPECT_EQ(g_Progress.m_nMapY, 2);
  ASSERT_GT(FramesToModeSwitch(s), 0);
  EXPECT_EQ(g_SceneMgr.m_nMode, GAMEMODE_SAVE);
}

// A stage that starts by itself but cannot be loaded ends the program with
// the box; the map does not hand over to the stage mode.
TEST_F(WorldMapScene, AStageThatStartsByItselfAndCannotBeLoadedCloses) {
  s_bStageLoads = FALSE;
  g_Progress.m_nMapX = 0;
  cSceneWorldMap s;
  Frame(s);
  MSG msg;
  while (PeekMessage(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
  }
  testing::internal::CaptureStderr();
  Frame(s);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("ステージファイル data\\stg4\\A.stg4_000 が読み込めません！"), std::string::npos) << err;
  EXPECT_TRUE(PeekMessage(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_NE(g_SceneMgr.m_nNextMode, GAMEMODE_STAGE);
}

// Button 3 switches the ranking on the map only when the story ranks;
// button 4 steps the genre when more than one is on. Each acts once a press.
TEST_F(WorldMapScene, TheRankingButtons) {
  g_System.m_vecRankingSwitch.resize(4);
  cEdRankingSwitch& story = g_System.m_vecRankingSwitch[PLAYKIND_STORY];
  story.Flags().assign(5, 0);
  story.Flags()[1] = story.Flags()[3] = 1;
  story.m_bOn = 0;
  g_Progress.m_bMapRanking = 1;
  cSceneWorldMap s;
  ToWalking(s);
  Press(s, 0, 4);
  EXPECT_EQ(g_Progress.m_bMapRanking, 0);
  story.m_bOn = 1;
  s_Sounds.clear();
  Frame(s, 0, 4);
  Frame(s, 0, 4);  // held: no second toggle
  EXPECT_EQ(g_Progress.m_bMapRanking, 1);
  EXPECT_EQ(s_Sounds, std::vector<int>{6});
  Frame(s);
  g_Progress.m_nRankGenre = 1;
  Press(s, 0, 8);
  EXPECT_EQ(g_Progress.m_nRankGenre, 3);
  Press(s, 0, 8);
  EXPECT_EQ(g_Progress.m_nRankGenre, 1);
}

// An event's stage shown on the map brings its story ranking from the user
// data, in a genre the story switches on.
TEST_F(WorldMapScene, TheStageShownLoadsItsRanking) {
  cTempFolder tmp;
  cScopedOverride<int32_t> version{g_nCurDataVersion, 667};
  cScopedOverride<cEdRankingSet> ranking{g_RankingSet};
  cEdRankingSet saved;
  ResetRanking(saved);
  RankTableInsert(saved.m_vecTable[2], "ZED", 6234);
  ASSERT_TRUE(SaveUserDataRecord(saved, PLAYKIND_STORY, "data\\stg4\\A."));
  g_System.m_vecRankingSwitch.resize(4);
  cEdRankingSwitch& story = g_System.m_vecRankingSwitch[PLAYKIND_STORY];
  story.m_bOn = 1;
  story.Flags().assign(5, 0);
  story.Flags()[2] = story.Flags()[4] = 1;
  g_SceneMgr.m_bRankingOn = 1;
  g_SceneMgr.m_nPlayKind = PLAYKIND_STORY;
  g_Progress.m_nRankGenre = 0;
  g_Progress.m_vFlag[5] = 1;  // stage A passed: it does not start by itself
  g_Progress.m_nMapX = 0;
  cSceneWorldMap s;
  ToWalking(s);
  EXPECT_EQ(g_RankingSet.m_vecTable[2].m_vecEntry[0].m_strName, "ZED");
  EXPECT_EQ(g_Progress.m_nRankGenre, 2);
  g_SceneMgr.m_bRankingOn = 0;
}
