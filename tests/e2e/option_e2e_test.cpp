// The real program, headless: the option screen of a project with the
// default option labels shows each label beside its own value; the row
// labelled "SE" changes the sound-effect volume, and leaving the screen
// saves the options.
#include <gtest/gtest.h>

#include <string>

#include "platform/text_cp932.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

TEST(OptionE2e, TheVolumeChangedOnTheOptionScreenIsSaved) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // Title: five rows down to "オプション", Z. Options: one row down to "SE",
  // the volume, Z, up once, Z, then X back to the title.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
                   "39 Down down\n40 Down up\n42 Down down\n43 Down up\n45 Z down\n46 Z up\n"
                   "93 Down down\n94 Down up\n96 Z down\n97 Z up\n"
                   "99 Up down\n100 Up up\n102 Z down\n103 Z up\n105 X down\n106 X up\n");
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", "150"},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", "90"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  const std::string err = folder.ReadFile("stderr.txt");
  EXPECT_NE(err.find("[mode 5]"), std::string::npos) << err;
  EXPECT_EQ(folder.ReadFile("user_data/Option.dat"), Words({667, 4, 0, 1, 8, 0, 1, 4}) + std::string("aaa", 4))
      << err;
  // "BGM" ON, "SE" 7, "ランキング登録" with the ranking mode's label,
  // "ランキング登録名" aaa, "もどる", and the colour set 0 on the unlabelled
  // last row.
  ASSERT_TRUE(folder.Exists("shots/frame-00090.png")) << err;
  ExpectGoldenPicture(folder.ReadFile("shots/frame-00090.png"), T4_SOURCE_DIR "/tests/golden/shell/option_default_90.png");
}
