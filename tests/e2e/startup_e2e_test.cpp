// The real program started headless on a project folder written by the
// fixture builders: start-up through to the title mode, the order of the
// shut-down, and the start-up failures a person meets.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_project.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/temp_folder.h"

namespace {

// Start-up runs are paced without sleeping.
pid_t StartIn(const std::string& dir, Env env, const std::string& stderrFile, const std::string& arg = "") {
  env.emplace("TARVOLIN4_FAST", "1");
  return StartGame(dir, env, stderrFile, arg);
}

}  // namespace

// Start-up runs through to the title mode on either drawing path (the
// Direct3D one paced at presentation), with the frame-rate text boxed or
// plain; Esc closes in order, every thread joined, with the machine, display
// and font lines in the report.
TEST(StartupE2E, ReachesTheTitleAndEscClosesInOrder) {
  struct CASE {
    const char* pszIni;
    const char* pszAnswers;
    std::vector<const char*> lines;
  } cases[] = {
      {"Direct3D=0\nWindowMode=1\nBpp=0\nShowFps=1\nExit\n",
       "",
       {"\nMode : Window\nBpp : 32\nRR : ", "\nFont10 : ", "\nFont16 : "}},
      {nullptr, "", {"\nMode : Fullscreen\nBpp : 8\n", "\nFont10 : ", "\nFont16 : "}},
      // Direct3D keeps no glyph strips unless System.ini asks: no font lines.
      {"WindowMode=1\nBpp=16\nShowFps=2\nExit\n", "d3d", {"\nMode : Window\nBpp : 16\n"}},
  };
  for (const CASE& c : cases) {
    cTempFolder folder;
    WriteE2EProject(folder);
    if (c.pszIni) folder.WriteFile("System.ini", c.pszIni);
    folder.WriteFile("keys.txt", "20 Escape down\n21 Escape up\n");
    pid_t pid = StartIn(folder.Path(),
                        {{"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_ANSWERS", c.pszAnswers},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", "10"}},
                        folder.Path() + "/stderr.txt");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt") << folder.ReadFile("Report_Game.txt");
    EXPECT_TRUE(folder.Exists("shots/frame-00010.png")) << c.pszAnswers;
    const std::string report = folder.ReadFile("Report_Game.txt");
    EXPECT_EQ(report.rfind("App : ver 667\nOS : ", 0), 0u) << report;
    std::vector<const char*> lines = c.lines;
    for (const char* psz : {"\nCPU : ", "\nMem Total : ", "\nMem Free : ", "\nHD Free : "}) lines.push_back(psz);
    for (const char* psz : lines) EXPECT_NE(report.find(psz), std::string::npos) << psz << "\n" << report;
    // No thread had to be left behind.
    EXPECT_EQ(report.find("thread"), std::string::npos) << report;
    EXPECT_TRUE(folder.Exists("user_data/rpl4"));
  }
}

// A FreeStage path that names nothing is reported and the title starts.
TEST(StartupE2E, AMissingCommandLineStageIsReportedAndTheTitleStarts) {
  cTempFolder folder;
  WriteE2EProject(folder);
  pid_t pid = StartIn(folder.Path(), {{"TARVOLIN4_EXIT_AFTER", "20"}}, folder.Path() + "/stderr.txt",
                      "data\\stg4\\Nothing.stg4");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  EXPECT_NE(folder.ReadFile("Report_Game.txt").find("「data\\stg4\\Nothing.stg4」の読み込みに失敗しました！"),
            std::string::npos)
      << folder.ReadFile("Report_Game.txt");
}

// A damaged or missing project file is named on its error box and the
// program ends with a failure, after taking down what it had started (the
// graphics among them when the failure comes after them).
TEST(StartupE2E, ABadProjectFileEndsWithAFailure) {
  struct CASE {
    const char* pszFile;
    std::string bytes;  // empty: the file is removed
    const char* pszBox;
  } cases[] = {
      {"data/System.dat", std::string("\x9b\x02\0\0\x40\0\0\0\x01", 9),
       "[エラー] data\\System.dat の読み込みに失敗…"},
      {"bmp/Title.bmp", "", "[エラー] bmp\\Title.bmp の読み込みに失敗！"},
      {"data/CommonPalette.cplt4", "", "[エラー] data\\CommonPalette.cplt4 のロードに失敗！"},
      {"data/database/Effect.dat", "", "[エラー] data\\database\\Effect.dat のロードに失敗！"},
  };
  for (const CASE& c : cases) {
    cTempFolder folder;
    WriteE2EProject(folder);
    if (c.bytes.empty())
      ::unlink((folder.Path() + "/" + c.pszFile).c_str());
    else
      folder.WriteFile(c.pszFile, c.bytes);
    pid_t pid = StartIn(folder.Path(), {}, folder.Path() + "/stderr.txt");
    ASSERT_GT(pid, 0);
    int nExit = WaitExit(pid, 60000);
    EXPECT_EQ(nExit, 1) << c.pszFile << "\n" << folder.ReadFile("stderr.txt");
    EXPECT_NE(folder.ReadFile("stderr.txt").find(c.pszBox), std::string::npos)
        << c.pszFile << "\n" << folder.ReadFile("stderr.txt");
  }
}

// Without a "data" folder the program offers to make one from "default";
// with no "default", or answered No, it ends with the folder failure.
TEST(StartupE2E, WithoutDataTheDefaultCopyIsOfferedAndNoEnds) {
  const char* kQuestion = "[デフォルトデータ作成の確認] データが存在しません！デフォルトデータを作成しますか？";
  const char* kFailure = "「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。";
  for (bool bDefault : {false, true}) {
    cTempFolder folder;
    if (bDefault) folder.WriteFile("default/System.dat", "x");
    pid_t pid = StartIn(folder.Path(), {{"TARVOLIN4_ANSWERS", "no"}}, folder.Path() + "/stderr.txt");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitExit(pid, 60000), 1);
    const std::string err = folder.ReadFile("stderr.txt");
    EXPECT_EQ(err.find(kQuestion) != std::string::npos, bDefault) << err;
    EXPECT_NE(err.find(kFailure), std::string::npos) << err;
    EXPECT_FALSE(folder.Exists("data"));
  }
}
