// The challenge scene driven frame by frame through player 0's input record:
// the courses listed, a course's first stage started, a course file that
// fails to load, Cancel, the cursor back on the course played; and the
// challenge progress file.
#include "shell/challenge_scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "media/sound/sound_effects.h"
#include "platform/messages.h"
#include "play/stage_scene.h"
#include "records/data_file.h"
#include "records/progress.h"
#include "records/system.h"
#include "shell/main_window.h"
#include "shell/mode_scenes.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "tests/shell/menu_scene_fixture.h"
#include "tests/support/scoped_override.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr uint16_t kDown = INPUT_DOWN, kZ = 1, kX = 2;

std::vector<std::string> s_Events;
BOOL s_bCourseLoads = TRUE;

LRESULT TestWndProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == UM_PLAYSE) s_Events.push_back("se " + std::to_string(wParam));
  if (msg == UM_PLAYBGM) s_Events.push_back("bgm " + std::to_string(wParam));
  return 0;
}

BOOL FakeLoadCourse(const std::string& name, std::string& loaded) {
  s_Events.push_back("load " + name);
  loaded = name + "_002";
  return s_bCourseLoads;
}

class ChallengeScene : public cMenuSceneTest {
 protected:
  void SetUp() override {
    StartMenuScene(&TestWndProc, GAMEMODE_CHALLENGE, GAMEMODE_TITLE, 10);
    s_Events.clear();
    s_bCourseLoads = TRUE;
    g_ChallengeLinks = CHALLENGELINKS{&FakeLoadCourse};
    ProgressReset(g_Progress);
    g_Progress.m_nChallengeOpen = 3;
    cSceneManager& m = g_SceneMgr;
    m.m_bRankingOn = 0;
    m.m_nChallengeRow = m.m_nChallengeTop = 0;
    g_System.m_vecInfiniteLives.CheckedAt(PLAYKIND_CHALLENGE) = 0;
    g_System.m_vecStartLives.CheckedAt(PLAYKIND_CHALLENGE) = 3;
    SettleFades();
  }
  void TearDown() override {
    g_SceneMgr.m_nChallengeRow = g_SceneMgr.m_nChallengeTop = 0;
    ProgressReset(g_Progress);
    cMenuSceneTest::TearDown();
  }

  static void ToList(cSceneChallenge& s) {
    for (int f = 0; f < 20 && s.m_nPhase != 1; ++f) Frame(s);
    ASSERT_EQ(s.m_nPhase, 1);
    Frame(s);
  }

  cScopedOverride<CHALLENGELINKS> m_Links{g_ChallengeLinks};
  cScopedOverride<cVector<uint32_t>> m_Infinite{g_System.m_vecInfiniteLives};
  cScopedOverride<cVector<uint32_t>> m_Lives{g_System.m_vecStartLives};
  cScopedOverride<uint32_t> m_LimitOn{g_System.m_bChallengeLimitOn, 0};
  cScopedOverride<uint32_t> m_Limit{g_System.m_nChallengeLimit, 0};
};

}  // namespace

TEST_F(ChallengeScene, ModeThreeBuildsTheScene) {
  cScene* s = MakeModeScene(GAMEMODE_CHALLENGE);
  EXPECT_NE(dynamic_cast<cSceneChallenge*>(s), nullptr);
  delete s;
}

TEST_F(ChallengeScene, CourseNamesAndCounts) {
  EXPECT_EQ(CourseFileName(1), "data\\stg4\\c01-1.stg4");
  EXPECT_EQ(CourseFileName(7), "data\\stg4\\c07-1.stg4");
  EXPECT_EQ(CourseFileName(100), "data\\stg4\\c100-1.stg4");

  const struct {
    int32_t nOpen;
    uint32_t bAllOpen, nDeclared;
    int32_t nCourses, nRows;
  } kCases[] = {
      {3, 0, 12, 3, 3}, {1, 0, 0, 1, 1}, {0, 0, 0, 1, 1}, {-5, 0, 0, 1, 1}, {3, 1, 12, 12, 10},
      // A declared count from a damaged settings file lists no more than
      // the courses a progress record can hold.
      {3, 1, 0xFFFFFFFFu, 9999, 10},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.nOpen * 100 + c.nDeclared);
    g_Progress.m_nChallengeOpen = c.nOpen;
    g_System.m_bChallengeLimitOn = c.bAllOpen;
    g_System.m_nChallengeLimit = c.nDeclared;
    ResetMenuState();
    cSceneChallenge s;
    ToList(s);
    EXPECT_EQ(s.m_nCourseCount, c.nCourses);
    EXPECT_EQ(s.m_nListRows, c.nRows);
    // Moving down past the last row keeps the cursor on the list.
    for (int i = 0; i < 12; ++i) Press(s, kDown);
    EXPECT_LT(CurrentMenuState().nRow, c.nCourses);
  }
}

TEST_F(ChallengeScene, DecideStartsTheCoursesFirstStage) {
  cSceneChallenge s;
  ToList(s);
  EXPECT_EQ(g_Progress.m_strStage, "data\\stg4\\c01.");
  Press(s, kDown);
  EXPECT_EQ(g_Progress.m_strStage, "data\\stg4\\c02.");
  s_Events.clear();
  Press(s, 0, kZ);
  EXPECT_EQ(s_Events, (std::vector<std::string>{"load data\\stg4\\c02-1.stg4", "se 1"}));
  const cEdProgress& p = g_Progress;
  EXPECT_EQ(p.m_strStage, "data\\stg4\\c02.");
  EXPECT_EQ(p.m_nClearFlag, 2);
  EXPECT_EQ(p.m_nArea, 1);
  EXPECT_EQ(p.m_bNumbered, 1);
  EXPECT_EQ(p.m_nLivesStart, 3);
  EXPECT_EQ(p.m_nLives, 2);
  EXPECT_EQ(g_SceneMgr.m_nChallengeRow, 1);
  EXPECT_GT(FramesToModeSwitch(s), 0);
  EXPECT_EQ(g_SceneMgr.m_nMode, GAMEMODE_STAGE);
  EXPECT_EQ(g_SceneMgr.m_nPrevMode, GAMEMODE_CHALLENGE);

  // Back from the stage: the cursor is on the course played.
  g_SceneMgr.m_nMode = GAMEMODE_CHALLENGE;
  cSceneChallenge again;
  ToList(again);
  EXPECT_EQ(CurrentMenuState().nRow, 1);
}

TEST_F(ChallengeScene, ACourseThatFailsToLoadKeepsTheList) {
  s_bCourseLoads = FALSE;
  testing::internal::CaptureStderr();
  cSceneChallenge s;
  ToList(s);
  s_Events.clear();
  Press(s, 0, kZ);
  const std::string boxes = testing::internal::GetCapturedStderr();
  EXPECT_EQ(s_Events, (std::vector<std::string>{"load data\\stg4\\c01-1.stg4", "se 3"}));
  EXPECT_NE(boxes.find("c01-1.stg4"), std::string::npos);
  EXPECT_EQ(s.m_nPhase, 1);

  s_Events.clear();
  Press(s, 0, kX);
  EXPECT_EQ(s_Events, (std::vector<std::string>{"se 2"}));
  EXPECT_GT(FramesToModeSwitch(s), 0);
  EXPECT_EQ(g_SceneMgr.m_nMode, GAMEMODE_TITLE);
}

TEST_F(ChallengeScene, ChallengeFileLivesFollowThePlayKind) {
  cTempFolder tmp;
  cScopedOverride<int32_t> version{g_nCurDataVersion, 667};
  std::filesystem::create_directories("user_data/challenge");
  g_System.m_nChallengeLimit = 10;
  EXPECT_FALSE(LoadChallenge());

  cEdProgress saved;
  ProgressReset(saved);
  saved.m_nChallengeOpen = 4;
  saved.m_nLives = kUnlimitedLives;
  ASSERT_TRUE(saved.SaveToFile("user_data\\challenge\\Challenge.dat"));
  ASSERT_TRUE(LoadChallenge());
  EXPECT_EQ(g_Progress.m_nChallengeOpen, 4);
  EXPECT_EQ(g_Progress.m_nLives, 3);

  g_System.m_vecInfiniteLives.CheckedAt(PLAYKIND_CHALLENGE) = 1;
  ASSERT_TRUE(LoadChallenge());
  EXPECT_EQ(g_Progress.m_nLives, kUnlimitedLives);
  EXPECT_EQ(g_Progress.m_nLivesStart, kUnlimitedLives);

  // A damaged file leaves the progress as it was.
  tmp.WriteFile("user_data/challenge/Challenge.dat", std::string("\x9b\x02\0\0\x05", 5));
  g_Progress.m_nChallengeOpen = 9;
  EXPECT_FALSE(LoadChallenge());
  EXPECT_EQ(g_Progress.m_nChallengeOpen, 9);
}

// The first course cleared on a fresh install: the title's reset gives the
// run a pair for every course, so the clear is marked with its score and
// opens the next course, on the list and in Challenge.dat.
TEST_F(ChallengeScene, TheFirstClearWithoutAChallengeFileIsKept) {
  cTempFolder tmp;
  cScopedOverride<int32_t> version{g_nCurDataVersion, 667};
  g_System.m_nChallengeLimit = 5;
  g_Progress.m_nChallengeOpen = 4;
  StartChallenge();
  EXPECT_EQ(g_Progress.m_vChallenge.size(), 5u);
  EXPECT_EQ(g_Progress.m_nChallengeOpen, 1);

  g_Progress.m_nClearFlag = 1;
  g_Progress.m_nTotalScore = 450;
  RecordChallengeCleared(g_Progress);
  cEdProgress saved;
  ASSERT_TRUE(saved.LoadFromFile("user_data\\challenge\\Challenge.dat"));
  ASSERT_EQ(saved.m_vChallenge.size(), 5u);
  EXPECT_EQ(saved.m_vChallenge[0].m_nFirst, 1u);
  EXPECT_EQ(saved.m_vChallenge[0].m_nSecond, 450u);
  EXPECT_EQ(saved.m_nTotalScore, 450);
  EXPECT_EQ(saved.m_nChallengeOpen, 2);

  StartChallenge();
  cSceneChallenge s;
  ToList(s);
  EXPECT_EQ(s.m_nCourseCount, 2);
}

// C and V act once per press: a held key switches the ranking once and
// plays its sound once.
TEST_F(ChallengeScene, HeldRankingKeysActOnce) {
  cScopedOverride<cVector<cEdRankingSwitch>> kinds{g_System.m_vecRankingSwitch};
  cEdRankingSwitch& k = g_System.m_vecRankingSwitch.CheckedAt(PLAYKIND_CHALLENGE);
  k.m_bOn = 1;
  k.Flags().assign(5, 0);
  k.Flags()[0] = k.Flags()[2] = 1;
  g_Progress.m_nRankGenre = 0;
  cSceneChallenge s;
  ToList(s);
  s_Events.clear();
  for (int f = 0; f < 6; ++f) Frame(s, 0, MENUBUTTON_RANKING);
  EXPECT_EQ(s.m_bRankingShown, 1);
  Frame(s);
  for (int f = 0; f < 6; ++f) Frame(s, 0, MENUBUTTON_GENRE);
  EXPECT_EQ(g_Progress.m_nRankGenre, 2);
  Frame(s);
  Press(s, 0, MENUBUTTON_RANKING);
  EXPECT_EQ(s.m_bRankingShown, 0);
  EXPECT_EQ(s_Events, (std::vector<std::string>{"se 6", "se 6", "se 6"}));
}
