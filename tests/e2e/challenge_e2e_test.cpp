// The real program, headless: the title's Challenge choice lists the
// courses, and the first course's first stage starts the stage mode.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/e2e_runner.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

TEST(ChallengeE2e, ACourseStartsItsFirstStage) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // Course 1 is the demo's first stage under the course's name.
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
