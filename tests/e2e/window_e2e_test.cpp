// The real program in a real window on a virtual display of its own, as a
// person meets it: the start-up dialog is on the screen with the keyboard,
// Return starts the game, and what the window then shows is what the
// program draws headless.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
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

// The title project of the headless title golden picture, with the given
// screen mode.
void WriteTitleProject(const cTempFolder& folder, const char* pszWindowMode) {
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_strTitle = Sjis("タイトルのテスト");
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", std::string("WindowMode=") + pszWindowMode + "\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
}

// nExitAfter 0: the run goes on until it is closed.
pid_t StartInWindow(const cTempFolder& folder, const cXvfb& x, int nExitAfter) {
  Env env = {{"TARVOLIN4_HEADLESS", ""},
             {"DISPLAY", x.Display()},
             // The display's own libraries keep a few allocations to the end;
             // ours are checked headless.
             {"ASAN_OPTIONS", "detect_leaks=0"},
             {"SDL_AUDIODRIVER", "dummy"},
             {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
             {"TARVOLIN4_SCREENSHOT_AT", "120"}};
  if (nExitAfter > 0) {
    env["TARVOLIN4_EXIT_AFTER"] = std::to_string(nExitAfter);
    env["TARVOLIN4_FAST"] = "1";
  }
  return StartGame(folder.Path(), env, folder.Path() + "/stderr.txt");
}

// The game's window once it is mapped and has the keyboard focus (its X
// window id), "" when that does not happen while the game runs.
std::string WaitForFocusedWindow(const cXvfb& x, pid_t pid) {
  const std::string search = "xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null";
  const auto start = std::chrono::steady_clock::now();
  while (StillRunning(pid) && std::chrono::steady_clock::now() - start < std::chrono::seconds(30 * kSanitizerSlowdown)) {
    const std::string windows = x.Run(search);
    const std::string focus = x.Run("xdotool getwindowfocus 2>/dev/null");
    if (!windows.empty() && !focus.empty() && ("\n" + windows + "\n").find("\n" + focus + "\n") != std::string::npos)
      return focus;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return "";
}

// What the display holds, for a failure's message, while the game still runs.
std::string DisplayState(const cXvfb& x, pid_t pid) {
  return "focus: " + x.Run("xdotool getwindowfocus 2>&1") + "\nthe game's visible windows: " +
         x.Run("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>&1") + "\n" +
         x.Run("xwininfo -root -tree 2>&1 | head -n 20");
}

void ExpectTheHeadlessTitle(const cTempFolder& folder) {
  ASSERT_TRUE(folder.Exists("shots/frame-00120.png")) << folder.ReadFile("stderr.txt");
  std::ifstream in(T4_SOURCE_DIR "/tests/golden/shell/title_120.png", std::ios::binary);
  ASSERT_TRUE(in);
  const std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(folder.ReadFile("shots/frame-00120.png") == golden);
}

// Each test on a display of its own, 1024 x 768.
class WindowE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* pszTool : {"Xvfb", "xdotool"})
      if (!HasCommand(pszTool)) GTEST_SKIP() << pszTool << " is not installed (scripts/setup.sh installs it)";
    m_pX = std::make_unique<cXvfb>("1024x768x24");
    ASSERT_FALSE(m_pX->Display().empty()) << "Xvfb did not start";
  }
  std::unique_ptr<cXvfb> m_pX;
  cTempFolder m_Folder;
};

}  // namespace

TEST_F(WindowE2e, TheStartupDialogIsOnTheScreenAndReturnStartsTheTitle) {
  const cXvfb& x = *m_pX;
  const cTempFolder& folder = m_Folder;
  WriteTitleProject(folder, "1");
  if (HasFatalFailure()) return;
  // The drawing path is asked for (the project's default); the last choice
  // was Direct3D, so Return starts with it.
  folder.WriteFile("user_data/Boot.dat", BootFile(1, 0));
  pid_t pid = StartInWindow(folder, x, 125);
  ASSERT_GT(pid, 0);

  // The dialog waits for a person: its window must be mapped and have the
  // keyboard focus, or no one could answer it.
  if (WaitForFocusedWindow(x, pid).empty()) {
    // What the display holds, for the failure's message, while the game still runs.
    const std::string screen = DisplayState(x, pid);
    const int nExit = WaitExit(pid, 1);
    FAIL() << "the start-up dialog is not on the screen with the keyboard (exit " << nExit << ")\n"
           << screen << "\n"
           << folder.ReadFile("stderr.txt");
  }
  // Nothing of the game runs while the dialog waits.
  EXPECT_FALSE(folder.Exists("shots/frame-00120.png"));
  x.Run("xdotool key Return");

  ASSERT_EQ(WaitExit(pid, 90000), 0) << folder.ReadFile("stderr.txt");
  EXPECT_EQ(folder.ReadFile("user_data/Boot.dat"), BootFile(1, 0));
  ExpectTheHeadlessTitle(folder);
}

// Full screen (WindowMode=0) on a bare X server: the window covers the
// whole display, the picture the same as in a window.
TEST_F(WindowE2e, FullScreenCoversTheDisplay) {
  const cXvfb& x = *m_pX;
  const cTempFolder& folder = m_Folder;
  WriteTitleProject(folder, "0");
  if (HasFatalFailure()) return;
  folder.WriteFile("user_data/Boot.dat", BootFile(1, 1));  // Direct3D, no dialog
  // In real time, until Esc closes it: the test looks while it plays.
  pid_t pid = StartInWindow(folder, x, 0);
  ASSERT_GT(pid, 0);
  const std::string window = WaitForFocusedWindow(x, pid);
  if (window.empty()) {
    const std::string screen = DisplayState(x, pid);
    x.Run("xdotool key Escape");
    const int nExit = WaitExit(pid, 10000);
    FAIL() << "the full-screen window is not on the screen with the keyboard (exit " << nExit << ")\n"
           << screen << "\n"
           << folder.ReadFile("stderr.txt");
  }
  // Frame 120 is written once the title has run two seconds, long after
  // the switch to full screen at the start of the graphics.
  const auto start = std::chrono::steady_clock::now();
  while (StillRunning(pid) && !folder.Exists("shots/frame-00120.png") &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(60 * kSanitizerSlowdown))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::string geometry = x.Run("xdotool getwindowgeometry " + window + " 2>/dev/null");
  x.Run("xdotool key Escape");
  ASSERT_EQ(WaitExit(pid, 90000), 0) << folder.ReadFile("stderr.txt");
  EXPECT_NE(geometry.find("Position: 0,0"), std::string::npos) << geometry;
  EXPECT_NE(geometry.find("Geometry: 1024x768"), std::string::npos) << geometry;
  ExpectTheHeadlessTitle(folder);
}
