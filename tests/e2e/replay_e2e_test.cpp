// The real program, headless: a damaged replay chosen from the title is
// refused with its message, and the title stays.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_runner.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

TEST(ReplayE2e, ADamagedReplayIsRefusedAndTheTitleStays) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // A version word and the start of a stage, then nothing.
  folder.WriteFile("user_data/rpl4/bad.rpl4_667", std::string("\x9b\x02\0\0\x05\0\0\0", 8));
  // Title: four rows down to "リプレイ", Z.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
                   "39 Down down\n40 Down up\n42 Z down\n43 Z up\n");
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d,file:user_data\\rpl4\\bad.rpl4_667"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", "90"},
                         {"TARVOLIN4_FAST", "1"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  const std::string err = folder.ReadFile("stderr.txt");
  EXPECT_NE(err.find("リプレイファイル user_data\\rpl4\\bad.rpl4_667 の読み込みに失敗しました！"), std::string::npos)
      << err;
  EXPECT_EQ(err.find("[mode 4]"), std::string::npos) << err;
}
