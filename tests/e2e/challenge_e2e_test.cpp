// The real program, headless: the title's Challenge choice lists the
// courses, and the first course's first stage starts the stage mode; on a
// fresh install the first course cleared is kept, marked with its score,
// and opens the next one.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "records/progress.h"
#include "tests/e2e/e2e_project.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/demo_game.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

// Course 1 is the project's first stage under the course's name.
void CopyFirstStageToCourseOne(const cTempFolder& folder) {
  namespace fs = std::filesystem;
  bool bCopied = false;
  for (const auto& e : fs::directory_iterator(folder.Path() + "/data/stg4")) {
    const std::string name = e.path().filename().string();
    if (name.rfind("Stage1.stg4_", 0) == 0) {
      fs::copy_file(e.path(), e.path().parent_path() / ("c01-1." + name.substr(7)));
      bCopied = true;
    }
  }
  ASSERT_TRUE(bCopied);
}

const std::string kGoldenList = T4_SOURCE_DIR "/tests/golden/shell/demo_challenge_cleared.png";
const std::string kGoldenRanking = T4_SOURCE_DIR "/tests/golden/shell/demo_challenge_ranking.png";

}  // namespace

TEST(ChallengeE2e, ACourseStartsItsFirstStage) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  CopyFirstStageToCourseOne(folder);
  if (HasFatalFailure()) return;
  // Title: two rows down to "チャレンジ", Z; then Z on course 1.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Z down\n37 Z up\n"
                   "80 Z down\n81 Z up\n");
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", "120"},
                         {"TARVOLIN4_FAST", "1"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  const std::string err = folder.ReadFile("stderr.txt");
  const size_t nChallenge = err.find("[mode 3]");
  ASSERT_NE(nChallenge, std::string::npos) << err;
  EXPECT_NE(err.find("[mode 4]", nChallenge), std::string::npos) << err;
  EXPECT_EQ(err.find("[エラー]"), std::string::npos) << err;
}


// The demo with no user data: course 1 (a stage that scores 450 and clears
// by itself) is played, its result registered with F3 and closed.
// Challenge.dat then holds the course cleared with 450 and two courses
// open, and the list shows course 1 marked with 450 beside course 2. C held
// for ten frames shows the course's ranking, with the row registered, once.
TEST(ChallengeE2e, TheFirstCourseClearedOnAFreshInstallIsKept) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(BuildDemoProject(builder));
  SetQuickClearStage(builder, 450);
  // The list shows the courses open, not all the project declares.
  builder.m_System.m_bChallengeLimitOn = 0;
  ASSERT_TRUE(builder.WriteSystem() && builder.WriteCommonPalette() && builder.WriteStages());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  CopyFirstStageToCourseOne(folder);
  if (HasFatalFailure()) return;
  ASSERT_FALSE(folder.Exists("user_data/challenge/Challenge.dat"));
  // Title: two rows down to "チャレンジ", Z; Z on course 1. The result is up
  // some 270 frames later: F3 and the name, Z closes the ranking, Z the
  // result. Back on the list, C held from 560 to 570.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Z down\n37 Z up\n"
                   "80 Z down\n81 Z up\n420 F3 down\n421 F3 up\n460 Z down\n461 Z up\n480 Z down\n481 Z up\n"
                   "560 C down\n570 C up\n");
  const std::string err = RunToExit(folder.Path(),
                                    {{"TARVOLIN4_ANSWERS", "d3d,text:ZED"},
                                     {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                                     {"TARVOLIN4_EXIT_AFTER", "600"},
                                     {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                                     {"TARVOLIN4_SCREENSHOT_AT", "550,590"}},
                                    120000);
  if (HasFailure()) return;
  const size_t nStage = err.find("[mode 4]");
  ASSERT_NE(nStage, std::string::npos) << err;
  EXPECT_NE(err.find("[mode 3]", nStage), std::string::npos) << err;

  cEdProgress saved;
  ASSERT_TRUE(saved.LoadFromFile("user_data\\challenge\\Challenge.dat")) << err;
  ASSERT_GE(saved.m_vChallenge.size(), 2u);
  EXPECT_EQ(saved.m_vChallenge[0].m_nFirst, 1u);
  EXPECT_EQ(saved.m_vChallenge[0].m_nSecond, 450u);
  EXPECT_EQ(saved.m_vChallenge[1].m_nFirst, 0u);
  EXPECT_EQ(saved.m_nTotalScore, 450);
  EXPECT_EQ(saved.m_nChallengeOpen, 2);

  ASSERT_TRUE(folder.Exists("shots/frame-00550.png")) << err;
  ExpectGoldenPicture(folder.ReadFile("shots/frame-00550.png"), kGoldenList);
  ASSERT_TRUE(folder.Exists("shots/frame-00590.png")) << err;
  ExpectGoldenPicture(folder.ReadFile("shots/frame-00590.png"), kGoldenRanking);
}
