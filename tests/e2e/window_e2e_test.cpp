// The real program in a real window on a virtual display: what it shows
// must be what it draws headless.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/text_cp932.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

TEST(WindowE2e, TheTitleInAWindowIsTheHeadlessTitle) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_strTitle = Sjis("タイトルのテスト");
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  // Direct3D chosen in System.ini: with a window the start-up dialog would
  // wait for a person.
  folder.WriteFile("System.ini", "Direct3D=1\r\nWindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_HEADLESS", ""},
                         // The display's own libraries keep a few
                         // allocations to the end; ours are checked headless.
                         {"ASAN_OPTIONS", "detect_leaks=0"},
                         {"TARVOLIN4_EXIT_AFTER", "125"},
                         {"TARVOLIN4_FAST", "1"},
                         {"SDL_AUDIODRIVER", "dummy"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", "120"}},
                        folder.Path() + "/stderr.txt", "", {"xvfb-run", "-a", "-s", "-screen 0 1024x768x24"});
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 90000), 0) << folder.ReadFile("stderr.txt");
  ASSERT_TRUE(folder.Exists("shots/frame-00120.png")) << folder.ReadFile("stderr.txt");
  std::ifstream in(T4_SOURCE_DIR "/tests/golden/shell/title_120.png", std::ios::binary);
  ASSERT_TRUE(in);
  const std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(folder.ReadFile("shots/frame-00120.png") == golden);
}
