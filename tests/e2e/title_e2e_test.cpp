// The real program on a whole project folder, headless: the title as the
// player first sees it, and a key script that chooses free play.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/text_cp932.h"
#include "records/system.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

void WriteProject(const cTempFolder& folder) {
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_strTitle = Sjis("タイトルのテスト");
  builder.m_System.m_bTitleMenuCentred = 0;  // text labels
  ASSERT_TRUE(builder.Build());
  // A window of 32 bits, and no frame-rate text.
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
}

const std::string kGolden = T4_SOURCE_DIR "/tests/golden/shell/title_120.png";

}  // namespace

TEST(TitleE2e, TheTitleAtFrame120ShowsItsMenu) {
  cTempFolder folder;
  WriteProject(folder);
  if (HasFatalFailure()) return;
  pid_t pid = StartGame(folder.Path(),
                    {{"TARVOLIN4_ANSWERS", "d3d"},
                     {"TARVOLIN4_EXIT_AFTER", "125"},
                     {"TARVOLIN4_FAST", "1"},
                     {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                     {"TARVOLIN4_SCREENSHOT_AT", "120"}},
                    folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  ASSERT_TRUE(folder.Exists("shots/frame-00120.png")) << folder.ReadFile("stderr.txt");
  const std::string shot = folder.ReadFile("shots/frame-00120.png");
  ExpectGoldenPicture(shot, kGolden);
}

// Free play asks the stage chooser for a file, loads it and hands over to
// the stage mode once the title has faded out.
TEST(TitleE2e, FreePlayAsksForAStageFile) {
  cTempFolder folder;
  WriteProject(folder);
  if (HasFatalFailure()) return;
  // Down three rows to "フリー" once the fade-in is over, then Z.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
                   "40 Z down\n41 Z up\n");
  pid_t pid = StartGame(folder.Path(),
                    {{"TARVOLIN4_ANSWERS", "d3d,file:data\\stg4\\Stage1.stg4_000"},
                     {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                     {"TARVOLIN4_EXIT_AFTER", "70"},
                     {"TARVOLIN4_FAST", "1"},
                     {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                     {"TARVOLIN4_SCREENSHOT_AT", "39,65"}},
                    folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  const std::string err = folder.ReadFile("stderr.txt");
  const size_t nChooser = err.find("[ステージファイルの選択]");
  ASSERT_NE(nChooser, std::string::npos) << err;
  ASSERT_TRUE(folder.Exists("shots/frame-00039.png"));
  ASSERT_TRUE(folder.Exists("shots/frame-00065.png"));
  // The chosen stage loaded: the stage mode follows the choice, and its
  // screen is no longer the menu.
  EXPECT_NE(err.find("[mode 4]", nChooser), std::string::npos) << err;
  EXPECT_EQ(err.find("[エラー]"), std::string::npos) << err;
  EXPECT_NE(folder.ReadFile("shots/frame-00039.png"), folder.ReadFile("shots/frame-00065.png"));
}

// A 256-colour game in the 8-bit full-screen mode: palette pictures, the
// palette animation on. The title at frame 120 is held against a picture a
// person has looked at, and six frames later the stars in the ramp colours
// have turned (the picture itself has not changed); the Continue list
// turns them as well.
TEST(TitleE2e, The8BitTitleTurnsItsPaletteRamps) {
  const std::string golden8 = T4_SOURCE_DIR "/tests/golden/shell/title8_120.png";
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_strTitle = Sjis("タイトルのテスト");
  builder.m_System.m_bTitleMenuCentred = 0;
  builder.m_bPalettePictures = true;
  builder.m_System.m_bPaletteCycle = 1;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "Direct3D=0\r\nWindowMode=0\r\nBpp=8\r\nShowFps=0\r\nExit\r\n");
  // Then "つづきから": the Continue list turns them too.
  folder.WriteFile("keys.txt", "130 Down down\n131 Down up\n134 Z down\n135 Z up\n");
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_EXIT_AFTER", "160"},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", "120,126,150,156"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  const std::string report = folder.ReadFile("Report_Game.txt");
  ASSERT_NE(report.find("\nBpp : 8\n"), std::string::npos) << report;
  const std::string shot = folder.ReadFile("shots/frame-00120.png");
  ASSERT_FALSE(shot.empty()) << folder.ReadFile("stderr.txt");
  EXPECT_TRUE(folder.ReadFile("shots/frame-00126.png") != shot) << "the ramps did not turn on the title";
  const std::string list = folder.ReadFile("shots/frame-00150.png");
  ASSERT_FALSE(list.empty());
  EXPECT_TRUE(list != folder.ReadFile("shots/frame-00120.png")) << "the Continue list did not open";
  EXPECT_TRUE(folder.ReadFile("shots/frame-00156.png") != list) << "the ramps did not turn on the Continue list";
  if (std::getenv("T4_UPDATE_GOLDEN")) std::ofstream(golden8, std::ios::binary) << shot;
  std::ifstream in(golden8, std::ios::binary);
  ASSERT_TRUE(in) << "no golden picture; make it once with T4_UPDATE_GOLDEN=1";
  const std::string want((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(shot == want) << "the 8-bit title differs from " << golden8;
}
