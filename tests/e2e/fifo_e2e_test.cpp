// Named pipes in place of project files: the real program treats each as a
// file it cannot read, with that file's usual message, instead of waiting
// for a writer that never comes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/e2e_project.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/fifo_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

// The first sound file the project builder wrote, relative to the folder.
std::string FirstWave(const std::string& root) {
  std::string best;
  for (auto& e : std::filesystem::recursive_directory_iterator(root)) {
    std::string rel = std::filesystem::relative(e.path(), root).string();
    if (e.path().extension() == ".wav" && (best.empty() || rel < best)) best = rel;
  }
  return best;
}

}  // namespace

TEST(FifoE2E, APipeInAFilesPlaceGivesThatFilesMessage) {
  struct CASE {
    const char* pszFile;  // null: the first sound file
    int nExit;
    const char* pszBox;   // in standard error, or null
    const char* pszLine;  // in the report, after the file's name, or null
  } cases[] = {
      {"data/database/Effect.dat", 1, "[エラー] data\\database\\Effect.dat のロードに失敗！", nullptr},
      {"bmp/Title.bmp", 1, "[エラー] bmp\\Title.bmp の読み込みに失敗！", nullptr},
      {nullptr, 0, nullptr, "読み込み失敗！"},
  };
  for (const CASE& c : cases) {
    cTempFolder folder;
    WriteE2EProject(folder);
    const std::string file = c.pszFile ? c.pszFile : FirstWave(folder.Path());
    SCOPED_TRACE(file);
    ASSERT_FALSE(file.empty());
    ASSERT_TRUE(MakeFifo(folder.Path() + "/" + file));
    pid_t pid = StartGame(folder.Path(), {{"TARVOLIN4_FAST", "1"}, {"TARVOLIN4_EXIT_AFTER", "5"}},
                          folder.Path() + "/stderr.txt");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitExit(pid, 60000), c.nExit) << folder.ReadFile("stderr.txt");
    if (c.pszBox) {
      const std::string err = folder.ReadFile("stderr.txt");
      EXPECT_NE(err.find(c.pszBox), std::string::npos) << err;
    }
    if (c.pszLine) {
      std::string name = file;
      for (char& ch : name) ch = ch == '/' ? '\\' : ch;
      const std::string report = folder.ReadFile("Report_Game.txt");
      EXPECT_NE(report.find(name + c.pszLine), std::string::npos) << report;
    }
  }
}
