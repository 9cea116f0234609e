// The real program in a real window on a virtual display of its own, as a
// person meets it: the start-up dialog is on the screen with the keyboard,
// Return starts the game, and what the window then shows is what the
// program draws headless.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/text_cp932.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/e2e/x_display.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

// user_data\Boot.dat: drawing mode and the hide flag.
std::string BootFile(uint32_t nDrawMode, uint32_t nHide) {
  std::string s;
  for (uint32_t v : {667u, 2u, nDrawMode, nHide, 0u})
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

}  // namespace

TEST(WindowE2e, TheStartupDialogIsOnTheScreenAndReturnStartsTheTitle) {
  for (const char* pszTool : {"Xvfb", "xdotool"})
    if (!HasCommand(pszTool)) GTEST_SKIP() << pszTool << " is not installed (scripts/setup.sh installs it)";
  cXvfb x("1024x768x24");
  ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";

  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_strTitle = Sjis("タイトルのテスト");
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  // The drawing path is asked for (the project's default); the last choice
  // was Direct3D, so Return starts with it.
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  folder.WriteFile("user_data/Boot.dat", BootFile(1, 0));
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_HEADLESS", ""},
                         {"DISPLAY", x.Display()},
                         // The display's own libraries keep a few
                         // allocations to the end; ours are checked headless.
                         {"ASAN_OPTIONS", "detect_leaks=0"},
                         {"TARVOLIN4_EXIT_AFTER", "125"},
                         {"TARVOLIN4_FAST", "1"},
                         {"SDL_AUDIODRIVER", "dummy"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", "120"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);

  // The dialog waits for a person: its window must be mapped and have the
  // keyboard focus, or no one could answer it.
  const std::string search = "xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null";
  bool bShown = false;
  const auto start = std::chrono::steady_clock::now();
  while (!bShown && StillRunning(pid) &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(30 * kSanitizerSlowdown)) {
    const std::string windows = x.Run(search);
    const std::string focus = x.Run("xdotool getwindowfocus 2>/dev/null");
    bShown = !windows.empty() && !focus.empty() && ("\n" + windows + "\n").find("\n" + focus + "\n") != std::string::npos;
    if (!bShown) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!bShown) {
    const int nExit = WaitExit(pid, 1);
    FAIL() << "the start-up dialog is not on the screen with the keyboard (exit " << nExit << ")\n"
           << folder.ReadFile("stderr.txt");
  }
  // Nothing of the game runs while the dialog waits.
  EXPECT_FALSE(folder.Exists("shots/frame-00120.png"));
  x.Run("xdotool key Return");

  ASSERT_EQ(WaitExit(pid, 90000), 0) << folder.ReadFile("stderr.txt");
  EXPECT_EQ(folder.ReadFile("user_data/Boot.dat"), BootFile(1, 0));
  ASSERT_TRUE(folder.Exists("shots/frame-00120.png")) << folder.ReadFile("stderr.txt");
  std::ifstream in(T4_SOURCE_DIR "/tests/golden/shell/title_120.png", std::ios::binary);
  ASSERT_TRUE(in);
  const std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(folder.ReadFile("shots/frame-00120.png") == golden);
}
