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

// A System.dat of nothing but zero bytes, as a damaged copy leaves it: a
// file of version 0 whose lists are all empty. It loads as its counts say;
// the title's first look at a menu entry finds none, which its checked
// access reports, and the close it asks for ends the run.
TEST(BadProjectE2E, AnAllZeroSystemFileEndsAtTheFirstMissingEntry) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(builder.Build());
  const std::string size = folder.ReadFile("data/System.dat");
  folder.WriteFile("data/System.dat", std::string(size.size(), '\0'));
  pid_t pid = StartGame(folder.Path(), {{"TARVOLIN4_FAST", "1"}, {"TARVOLIN4_EXIT_AFTER", "600"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  const int nExit = WaitExit(pid, 30000);
  const std::string report = folder.ReadFile("Report_Game.txt");
  EXPECT_EQ(nExit, 0) << folder.ReadFile("stderr.txt") << report;
  EXPECT_NE(report.find("err V[0] ( 0 , "), std::string::npos) << report;
}

// Settings lists shorter than the positions the game reads later (three
// ranking switches and start-lives entries for four play kinds, one text
// short) do not stop the start: each entry is looked up when it is used,
// and the title plays.
TEST(BadProjectE2E, ShortSettingsListsStartAndPlayTheTitle) {
  RUN r = RunOn([](cProjectBuilder& b) {
    b.m_System.m_vecRankingSwitch.resize(3);
    b.m_System.m_vecStartLives.resize(3);
    b.m_System.m_vecText.resize(26);
  }, {{"TARVOLIN4_EXIT_AFTER", "30"}});
  EXPECT_EQ(r.nExit, 0) << r.strErr << r.strReport;
  EXPECT_EQ(r.strReport.find("err "), std::string::npos) << r.strReport;
  EXPECT_NE(r.strErr.find("[mode 0]"), std::string::npos) << r.strErr;
}

// A font index outside the face table is reported by its checked access
// before the main window is published; the close it asks for still comes,
// so the run ends by itself instead of playing on.
TEST(BadProjectE2E, ACheckedAccessBeforeTheWindowStillEndsTheRun) {
  RUN r = RunOn([](cProjectBuilder& b) { b.m_System.m_nFontFace = 9999; });
  EXPECT_EQ(r.nExit, 0) << r.strErr << r.strReport;
  EXPECT_NE(r.strReport.find("err V[9999]"), std::string::npos) << r.strReport;
}
