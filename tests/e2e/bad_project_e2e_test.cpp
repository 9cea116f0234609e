// The real program on projects that are valid but unusual or cannot be run:
// every such start either plays or ends with a box and a failure, never a
// silent exit.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/text_cp932.h"
#include "records/system.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

struct RUN {
  int nExit;
  std::string strErr;
  std::string strReport;
};

RUN RunOn(const std::function<void(cProjectBuilder&)>& change, const Env& env = {}) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  change(builder);
  EXPECT_TRUE(builder.Build());
  Env e = env;
  e.emplace("TARVOLIN4_FAST", "1");
  pid_t pid = StartGame(folder.Path(), e, folder.Path() + "/stderr.txt");
  RUN r;
  r.nExit = pid > 0 ? WaitExit(pid, 30000) : -999;
  r.strErr = folder.ReadFile("stderr.txt");
  r.strReport = folder.ReadFile("Report_Game.txt");
  return r;
}

}  // namespace

// An empty music list is allowed: the title plays (and is closed after its
// frames), with no music to start.
TEST(BadProjectE2E, AnEmptyMusicListPlays) {
  RUN r = RunOn([](cProjectBuilder& b) { b.m_Database.m_vecBgm.clear(); }, {{"TARVOLIN4_EXIT_AFTER", "30"}});
  EXPECT_EQ(r.nExit, 0) << r.strErr << r.strReport;
  EXPECT_EQ(r.strReport.find("err "), std::string::npos) << r.strReport;
}

// A System.dat of nothing but zero bytes, as a damaged copy leaves it.
TEST(BadProjectE2E, AnAllZeroSystemFileEndsWithItsBox) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(builder.Build());
  const std::string size = folder.ReadFile("data/System.dat");
  folder.WriteFile("data/System.dat", std::string(size.size(), '\0'));
  pid_t pid = StartGame(folder.Path(), {{"TARVOLIN4_FAST", "1"}, {"TARVOLIN4_EXIT_AFTER", "30"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  const int nExit = WaitExit(pid, 30000);
  EXPECT_NE(nExit, 0) << folder.ReadFile("stderr.txt") << folder.ReadFile("Report_Game.txt");
  EXPECT_NE(folder.ReadFile("stderr.txt").find("[エラー]"), std::string::npos)
      << folder.ReadFile("stderr.txt") << folder.ReadFile("Report_Game.txt");
}

// A font index outside the face table is reported by its checked access
// before the main window is published; the close it asks for still comes,
// so the run ends by itself instead of playing on.
TEST(BadProjectE2E, ACheckedAccessBeforeTheWindowStillEndsTheRun) {
  RUN r = RunOn([](cProjectBuilder& b) { b.m_System.m_nFontFace = 9999; });
  EXPECT_EQ(r.nExit, 0) << r.strErr << r.strReport;
  EXPECT_NE(r.strReport.find("err V[9999]"), std::string::npos) << r.strReport;
}
