// The real program, started headless in a fresh folder.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "platform/single_instance.h"
#include "tests/e2e/e2e_project.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/temp_folder.h"


TEST(Entry, ExitsAfterItsFramesWithTheReport) {
  cTempFolder folder;
  WriteE2EProject(folder);
  pid_t pid = StartGame(folder.Path(),
                    {{"TARVOLIN4_EXIT_AFTER", "30"},
                     {"TARVOLIN4_FAST", "1"},
                     {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                     {"TARVOLIN4_SCREENSHOT_AT", "30"}},
                    folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 30000), 0) << folder.ReadFile("stderr.txt");
  EXPECT_EQ(folder.ReadFile("Report_Game.txt").rfind("App : ver 667\n", 0), 0u);
  EXPECT_TRUE(folder.Exists("shots/frame-00030.png"));
}

// 3000 paced frames are 50 s of game time: under TARVOLIN4_FAST the pacing
// waits do not sleep, so the run ends before that. The bound is kept just
// under the 50 s (not a speed target) so that a loaded machine still passes.
TEST(Entry, FastPacingTakesNoWallTime) {
  if (kSanitizerSlowdown > 1) GTEST_SKIP() << "the sanitizer's slow-down leaves no margin under 50 s";
  cTempFolder folder;
  WriteE2EProject(folder);
  pid_t pid = StartGame(folder.Path(), {{"TARVOLIN4_EXIT_AFTER", "3000"}, {"TARVOLIN4_FAST", "1"}},
                    folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 48000), 0) << folder.ReadFile("stderr.txt");
}

TEST(Entry, EscInAKeyScriptCloses) {
  cTempFolder folder;
  WriteE2EProject(folder);
  folder.WriteFile("keys.txt", "10 Escape down\n11 Escape up\n");
  pid_t pid = StartGame(folder.Path(),
                    {{"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                     {"TARVOLIN4_FAST", "1"},
                     {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                     {"TARVOLIN4_SCREENSHOT_AT", "10"}},
                    folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 30000), 0) << folder.ReadFile("stderr.txt");
  EXPECT_TRUE(folder.Exists("shots/frame-00010.png"));
}

TEST(Entry, SecondCopyAsksAndEndsOrReplacesTheFirst) {
  cTempFolder folder;
  WriteE2EProject(folder);
  const std::string lockPath = InstanceLockPath();
  pid_t first = StartGame(folder.Path(), {}, folder.Path() + "/first.txt");
  ASSERT_GT(first, 0);
  // The first copy holds the lock once its id is in the lock file; its
  // report has its display lines once the graphics are up.
  auto start = std::chrono::steady_clock::now();
  while (folder.ReadFile(lockPath) != std::to_string(first) + "\n" ||
         folder.ReadFile("Report_Game.txt").find("\nBpp : ") == std::string::npos) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20 * kSanitizerSlowdown) || !StillRunning(first)) {
      ::kill(first, SIGKILL);
      ::waitpid(first, nullptr, 0);
      FAIL() << "the first copy did not take the lock: " << folder.ReadFile("first.txt");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  pid_t no = StartGame(folder.Path(), {{"TARVOLIN4_ANSWERS", "no"}}, folder.Path() + "/no.txt");
  EXPECT_EQ(WaitExit(no, 20000), 0);
  EXPECT_NE(folder.ReadFile("no.txt").find("[二重起動] 既に起動しています。\n実行中のプログラムを閉じて再起動しますか？"),
            std::string::npos)
      << folder.ReadFile("no.txt");
  EXPECT_TRUE(StillRunning(first));
  // The copy that was told to end left the first one's report as it was.
  EXPECT_NE(folder.ReadFile("Report_Game.txt").find("\nBpp : "), std::string::npos)
      << folder.ReadFile("Report_Game.txt");

  pid_t yes = StartGame(folder.Path(), {{"TARVOLIN4_ANSWERS", "yes"}, {"TARVOLIN4_EXIT_AFTER", "30"}, {"TARVOLIN4_FAST", "1"}},
                    folder.Path() + "/yes.txt");
  EXPECT_EQ(WaitExit(first, 20000), -SIGTERM);
  EXPECT_EQ(WaitExit(yes, 30000), 0) << folder.ReadFile("yes.txt");
  EXPECT_NE(folder.ReadFile("yes.txt").find("[二重起動]"), std::string::npos);
}

// A report that cannot be started (here a folder stands in its place, which
// no user can open as a file) is told in a box, and the run fails.
TEST(Entry, AnUnwritableReportIsToldAndFails) {
  cTempFolder folder;
  WriteE2EProject(folder);
  ASSERT_EQ(::mkdir((folder.Path() + "/Report_Game.txt").c_str(), 0755), 0);
  pid_t pid = StartGame(folder.Path(), {{"TARVOLIN4_EXIT_AFTER", "5"}, {"TARVOLIN4_FAST", "1"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 30000), 1);
  EXPECT_NE(folder.ReadFile("stderr.txt").find("[エラー] Report_Game.txt を作成出来ません！"), std::string::npos)
      << folder.ReadFile("stderr.txt");
}

// A command line that Shift-JIS cannot hold is ignored with a report line
// naming it, and the title starts.
TEST(Entry, AnUnconvertibleCommandLineIsReported) {
  cTempFolder folder;
  WriteE2EProject(folder);
  pid_t pid = StartGame(folder.Path(), {{"TARVOLIN4_EXIT_AFTER", "5"}, {"TARVOLIN4_FAST", "1"}},
                        folder.Path() + "/stderr.txt", "data\\stg4\\\xF0\x9F\x98\x80.stg4");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 30000), 0) << folder.ReadFile("stderr.txt");
  EXPECT_NE(folder.ReadFile("Report_Game.txt")
                .find("コマンドラインをShift-JISに変換出来ないので無視しました : data\\stg4\\?.stg4\n"),
            std::string::npos)
      << folder.ReadFile("Report_Game.txt");
}
