// The real program started with a stage file on its command line: the stage
// mode straight away, a damaged stage that ends the program, and a missing
// one that leaves the title. Headless runs name each mode they enter on
// standard error ("[mode N]").
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/e2e_project.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/temp_folder.h"

namespace {

enum class STAGEFILE { kGood, kDamagedEndMark, kMissing };

}  // namespace

TEST(StageStartE2e, ACommandLineStageStartsTheStageMode) {
  struct CASE {
    const char* pszWhat;
    STAGEFILE file;
    int nExit;              // 1: start-up failed
    const char* pszMode;    // entered
    const char* pszNoMode;  // never entered
    const char* pszBox;     // on standard error; null: none
    const char* pszReport;  // a line of the report; null: none
  } cases[] = {
      {"good", STAGEFILE::kGood, 0, "[mode 4]", "[mode 0]", nullptr, nullptr},
      {"damaged", STAGEFILE::kDamagedEndMark, 1, nullptr, "[mode",
       "[エラー] ステージファイル data\\stg4\\Stage1.stg4_000 が破損しています！",
       "「data\\stg4\\Stage1.stg4_000」の読み込みに失敗しました！\n"},
      {"missing", STAGEFILE::kMissing, 0, "[mode 0]", "[mode 4]", nullptr,
       "「data\\stg4\\Stage1.stg4」の読み込みに失敗しました！\n"},
  };
  for (const CASE& c : cases) {
    cTempFolder folder;
    WriteE2EProject(folder);
    if (HasFatalFailure()) return;
    folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
    const std::string stage = "data/stg4/Stage1.stg4_000";
    ASSERT_TRUE(folder.Exists(stage));
    if (c.file == STAGEFILE::kDamagedEndMark) {
      std::string bytes = folder.ReadFile(stage);
      bytes[bytes.size() - 4] ^= 0x01;
      folder.WriteFile(stage, bytes);
    } else if (c.file == STAGEFILE::kMissing) {
      std::filesystem::remove(folder.Path() + "/" + stage);
    }
    pid_t pid = StartGame(folder.Path(),
                          {{"TARVOLIN4_ANSWERS", "d3d"}, {"TARVOLIN4_EXIT_AFTER", "30"}, {"TARVOLIN4_FAST", "1"}},
                          folder.Path() + "/stderr.txt", "data\\stg4\\Stage1.stg4");
    ASSERT_GT(pid, 0);
    const int nExit = WaitExit(pid, 60000);
    const std::string err = folder.ReadFile("stderr.txt");
    const std::string report = folder.ReadFile("Report_Game.txt");
    EXPECT_EQ(nExit, c.nExit) << c.pszWhat << "\n" << err << report;
    if (c.pszMode) {
      EXPECT_NE(err.find(c.pszMode), std::string::npos) << c.pszWhat << "\n" << err;
    }
    EXPECT_EQ(err.find(c.pszNoMode), std::string::npos) << c.pszWhat << "\n" << err;
    if (c.pszBox) {
      EXPECT_NE(err.find(c.pszBox), std::string::npos) << c.pszWhat << "\n" << err;
    } else {
      EXPECT_EQ(err.find("[エラー]"), std::string::npos) << c.pszWhat << "\n" << err;
    }
    if (c.pszReport) {
      const size_t at = report.find(c.pszReport);
      EXPECT_NE(at, std::string::npos) << c.pszWhat << "\n" << report;
      EXPECT_EQ(report.find(c.pszReport, at + 1), std::string::npos) << c.pszWhat << ": reported twice\n" << report;
    } else {
      EXPECT_EQ(report.find("の読み込みに失敗しました！"), std::string::npos) << c.pszWhat << "\n" << report;
    }
  }
}
