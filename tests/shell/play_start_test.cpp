#include "shell/play_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/messages.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/progress.h"
#include "base/report.h"
#include "records/stage.h"
#include "records/system.h"
#include "records/world_map.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "shell/title_scene.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/temp_folder.h"

namespace {

class PlayStart : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nCurDataVersion = 667;
    g_bStripCR = 1;
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    g_hWndMain = CreateMessageWindow(nullptr);
    testing::internal::CaptureStderr();
    m_SavedMap = g_WorldMap;
    m_SavedStartLives = g_System.m_vecStartLives;
    m_SavedInfinite = g_System.m_vecInfiniteLives;
    g_WorldMap.m_nWidth = 20;
    g_WorldMap.m_nHeight = 15;
    g_WorldMap.m_nStartX = 4;
    g_WorldMap.m_nStartY = 7;
    g_System.m_vecStartLives = cVector<uint32_t>({3, 5, 7, 9});
    g_System.m_vecInfiniteLives = cVector<uint32_t>({0, 0, 0, 1});
    g_CommonPalette = MakeFixtureCommonPalette();
    g_Stage = cEdStage();
    g_StageCopy = cEdStage();
    g_Progress = cEdProgress();
    g_bFreeStage = 0;
    std::filesystem::create_directories("data/stg4");
  }
  void TearDown() override {
    testing::internal::GetCapturedStderr();
    g_WorldMap = m_SavedMap;
    g_System.m_vecStartLives = m_SavedStartLives;
    g_System.m_vecInfiniteLives = m_SavedInfinite;
    g_CommonPalette = cEdCommonPalette();
    g_Stage = cEdStage();
    g_StageCopy = cEdStage();
    g_Progress = cEdProgress();
    g_bFreeStage = 0;
    g_hWndMain = nullptr;
    ResetMessageLayerForTests();
    g_bStripCR = 0;
  }
  void WriteStage(const std::string& path, const std::string& text) {
    cEdStage st = MakeFixtureStage(30, 15);
    st.m_strText = text;
    ASSERT_TRUE(WriteStageFile(st, path));
  }
  std::string Report() { return m_Tmp.ReadFile("Report_Game.txt"); }

  cTempFolder m_Tmp;
  cEdWorldMap m_SavedMap;
  cVector<uint32_t> m_SavedStartLives;
  cVector<uint32_t> m_SavedInfinite;
};

}  // namespace

TEST_F(PlayStart, ANewGameStartsOnTheMapWithTheStoryLives) {
  for (uint32_t bInfinite : {0u, 1u}) {
    g_System.m_vecInfiniteLives[0] = bInfinite;
    g_Progress.m_nScore = 500;
    g_Progress.m_nMapRound = 3;
    g_Progress.m_vFlag.assign(1000, 1);
    NewGameReset();
    const cEdProgress& p = g_Progress;
    EXPECT_EQ(p.m_nMapX, 4);
    EXPECT_EQ(p.m_nMapY, 7);
    EXPECT_EQ(p.m_nMapRound, 0);
    EXPECT_EQ(p.m_nScore, 0);
    EXPECT_EQ(p.m_nLivesStart, bInfinite ? 999999 : 3);
    EXPECT_EQ(p.m_nLives, bInfinite ? 999999 : 2);
    EXPECT_EQ(p.m_nSaveSlot, -1);
    EXPECT_EQ(p.m_vFlag[1], 0u);
    EXPECT_EQ(p.m_strRegName, "aaa");
  }
}

TEST_F(PlayStart, AStageFileStartsFreePlay) {
  WriteStage("data/stg4/Forest.stg4_000", "forest");
  WriteStage("data/stg4/Cave03-1.stg4_002", "cave");
  const std::string absolute = m_Tmp.Path() + "/data/stg4/Forest.stg4_000";
  struct CASE {
    std::string path;
    int nFlag;
    BOOL bFreeStage;
    uint32_t bInfiniteFree;
    const char* text;   // of the stage loaded
    const char* name;   // in g_Progress
    int32_t bNumbered;
    int32_t nLivesStart, nLives;
  } cases[] = {
      {"data\\stg4\\Forest.stg4_000", 0, 0, 0, "forest", "data\\stg4\\Forest.", 0, 7, 6},
      {"data\\stg4\\Forest.stg4_000", 0, 0, 1, "forest", "data\\stg4\\Forest.", 0, 999999, 999999},
      // Named at start-up: lives never run out.
      {"data\\stg4\\Cave03-1.stg4", 1, 1, 0, "cave", "data\\stg4\\Cave03.", 1, 999999, 999999},
      {absolute, 0, 0, 0, "forest", ".\\data\\stg4\\Forest.", 0, 7, 6},
  };
  for (const CASE& c : cases) {
    g_bFreeStage = c.bFreeStage;
    g_System.m_vecInfiniteLives[2] = c.bInfiniteFree;
    g_Progress.m_nScore = 500;
    g_StageCopy = cEdStage();
    ASSERT_TRUE(StartStageFile(c.path, c.nFlag)) << c.path;
    const cEdProgress& p = g_Progress;
    EXPECT_EQ(g_StageCopy.m_strText, c.text) << c.path;
    EXPECT_EQ(p.m_strStage, c.name) << c.path;
    EXPECT_EQ(p.m_bNumbered, c.bNumbered) << c.path;
    EXPECT_EQ(p.m_nLivesStart, c.nLivesStart) << c.path;
    EXPECT_EQ(p.m_nLives, c.nLives) << c.path;
    EXPECT_EQ(p.m_nClearFlag, 1);
    EXPECT_EQ(p.m_nArea, 1);
    EXPECT_EQ(p.m_nScore, 0);
    EXPECT_EQ(p.m_vFlag.size(), 1000u);
  }
  EXPECT_EQ(Report(), "");
}

TEST_F(PlayStart, AStageThatDoesNotLoadFailsWithItsBoxAndOneReportLine) {
  WriteStage("data/stg4/Broken.stg4_000", "broken");
  {
    std::string bytes = m_Tmp.ReadFile("data/stg4/Broken.stg4_000");
    bytes.back() ^= 0x5A;  // the end mark
    m_Tmp.WriteFile("data/stg4/Broken.stg4_000", bytes);
  }
  struct CASE {
    const char* path;
    int nFlag;
    const char* box;
  } cases[] = {
      {"data\\stg4\\Broken.stg4_000", 0, "ステージファイル data\\stg4\\Broken.stg4_000 が破損しています！"},
      {"data\\stg4\\Broken.stg4", 1, "ステージファイル data\\stg4\\Broken.stg4_000 が破損しています！"},
      {"data\\stg4\\None.stg4_000", 0, "ステージファイル data\\stg4\\None.stg4_000 の読み込みに失敗しました！"},
      {"data\\stg4\\None.stg4", 1, nullptr},  // no numbered file: no box
  };
  for (const CASE& c : cases) {
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(StartStageFile(c.path, c.nFlag)) << c.path;
    const std::string err = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    if (c.box)
      EXPECT_NE(err.find(c.box), std::string::npos) << err;
    else
      EXPECT_EQ(err.find("[エラー]"), std::string::npos) << err;
    EXPECT_EQ(Report(), "「" + std::string(c.path) + "」の読み込みに失敗しました！\n");
  }
}

// The title's new game and the stage chooser's request reach these two.
TEST_F(PlayStart, TheTitleAndTheWindowRequestsCallThem) {
  EXPECT_EQ(DefaultTitleLinks().pfnNewGameReset, &NewGameReset);
  EXPECT_EQ(DefaultWindowRequests().pfnStartStageFile, &StartStageFile);
}
