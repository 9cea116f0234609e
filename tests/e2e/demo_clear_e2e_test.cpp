// The real program on the demo game's pieces, chosen in free play as a
// chained stage: the hero picks up coins and touches the goal, the clear
// gives an extra life and leads through the result to the next stage; and a
// close while the game waits in the extra-life display or in a message ends
// the program at once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text_cp932.h"
#include "records/flow_enums.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/e2e/play_log_lines.h"
#include "tests/support/demo_game.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

using LOGLINE = PLAYLOGLINE;

// The demo's first stage cut short: the hero, three coins in its path and
// the goal right after them, as "Hill-1"; the demo's second stage as
// "Hill-2", so that a clear chains on to it. nExtendScore: points per extra
// life. bMessage: the hero's first flow shows a message that stops the game
// until the decision button.
void WriteChainProject(const cTempFolder& folder, uint32_t nExtendScore, bool bMessage) {
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(BuildDemoProject(builder));
  cEdStage& s1 = builder.m_Stage1;
  std::erase_if(s1.m_vecChara, [](const cEdChara& c) {
    return c.m_nTemplateIndex != DEMOCHARA_HERO && c.m_nTemplateIndex != DEMOCHARA_GOAL;
  });
  for (cEdChara& c : s1.m_vecChara) {
    if (c.m_nTemplateIndex == DEMOCHARA_GOAL) c.m_nColumn = 10;
    if (c.m_nTemplateIndex == DEMOCHARA_HERO && bMessage) {
      cEdCommand msg = MakeFlowCommand(FlowCommandKind::Message);
      msg.m_strText = Sjis("ようこそ");
      msg.m_vParam[6] = 0;  // until the advance key
      msg.m_vParam[8] = 1;  // the game stops meanwhile
      cEdFlow flow;
      flow.m_byTrigger = FlowTrigger::Always;
      flow.m_vecCommand.push_back(msg);
      // Placed flows do not inherit the hero's: this one is its own.
      c.m_vecInherit.assign(c.m_vecInherit.size(), 0);
      c.m_vecFlow = {flow};
    }
  }
  std::erase_if(s1.m_vecItem, [](const cEdItem& it) { return it.m_nInheritIndex != DEMOITEM_COIN; });
  s1.m_bResultAutoClose = 1;
  builder.m_System.m_nExtendScore = nExtendScore;
  builder.m_System.m_vecStartLives = {3, 3, 3, 99};
  builder.m_System.m_vecInfiniteLives = {0, 0, 0, 1};
  ASSERT_TRUE(builder.WriteSystem());
  ASSERT_TRUE(builder.WriteStages());
  const std::string dir = folder.Path() + "/data/stg4/";
  std::filesystem::rename(dir + "Stage1.stg4_000", dir + "Hill-1.stg4_000");
  std::filesystem::rename(dir + "Stage2.stg4_000", dir + "Hill-2.stg4_000");
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // To free play once the title has faded in, Z; then Right held.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
                   "40 Z down\n41 Z up\n280 Right down\n");
}

pid_t StartChain(const cTempFolder& folder, int nFrames, const std::string& strShotAt = "") {
  Env env = {{"TARVOLIN4_ANSWERS", "d3d,file:data\\stg4\\Hill-1.stg4_000"},
             {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
             {"TARVOLIN4_EXIT_AFTER", std::to_string(nFrames)},
             {"TARVOLIN4_FAST", "1"},
             {"TARVOLIN4_PLAYLOG", folder.Path() + "/play.log"}};
  if (!strShotAt.empty()) {
    env["TARVOLIN4_SCREENSHOT"] = folder.Path() + "/shots";
    env["TARVOLIN4_SCREENSHOT_AT"] = strShotAt;
  }
  return StartGame(folder.Path(), env, folder.Path() + "/stderr.txt");
}

// Waits for the program started before; the exit code, and how long after
// the picture file `shot` was written (the frame at which the window was
// closed) the program ended.
int WaitAfterShot(pid_t pid, const std::string& shot, double& dSeconds) {
  const int r = WaitExit(pid, 120000);
  const auto now = std::filesystem::file_time_type::clock::now();
  std::error_code ec;
  const auto written = std::filesystem::last_write_time(shot, ec);
  dSeconds = ec ? 1e9 : std::chrono::duration<double>(now - written).count();
  return r;
}

}  // namespace

TEST(DemoClearE2e, CoinsAClearAnExtraLifeTheResultAndTheNextStage) {
  cTempFolder folder;
  WriteChainProject(folder, 100, false);
  if (HasFatalFailure()) return;
  pid_t pid = StartChain(folder, 1100);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
  const std::string text = folder.ReadFile("play.log");
  const std::vector<LOGLINE> log = ParsePlayLog(text);
  ASSERT_FALSE(log.empty()) << folder.ReadFile("stderr.txt");

  // Stage 1 in play: each coin taken is an item fewer and 50 points more.
  const auto firstPlay = std::find_if(log.begin(), log.end(), [](const LOGLINE& l) { return l.nState == 2; });
  ASSERT_NE(firstPlay, log.end()) << text;
  EXPECT_EQ(firstPlay->nStage, 1);
  EXPECT_EQ(firstPlay->nItems, 3) << text;
  EXPECT_EQ(firstPlay->nScore, 0);
  int nItems = 3, nScore = 0;
  auto it = firstPlay;
  for (; it != log.end() && it->nState == 2; ++it) {
    ASSERT_LE(it->nItems, nItems) << text;
    if (it->nItems < nItems) {
      EXPECT_EQ(it->nScore, nScore + 50 * (nItems - it->nItems)) << "frame " << it->nFrame;
      nItems = it->nItems, nScore = it->nScore;
    }
  }
  EXPECT_EQ(nItems, 0) << text;
  EXPECT_EQ(nScore, 150);

  // The goal clears the stage: the result, with one extra life for the
  // first 100 points, then the next stage from its fade-in and banners.
  ASSERT_NE(it, log.end()) << text;
  EXPECT_EQ(it->nState, 4) << text;
  EXPECT_EQ(it->nLives, firstPlay->nLives + 1);
  // (The stage number moves on as the result closes.)
  auto next = std::find_if(it, log.end(), [](const LOGLINE& l) { return l.nState == 0; });
  ASSERT_NE(next, log.end()) << text;
  EXPECT_NE(std::find_if(it, next, [](const LOGLINE& l) { return l.nState == 7; }), next)
      << "the result leaves through the fade-out";
  EXPECT_EQ(next->nStage, 2);
  EXPECT_EQ(next->nLives, it->nLives) << "the next stage of a run keeps the lives";
  const auto stage2Play = std::find_if(next, log.end(), [](const LOGLINE& l) { return l.nState == 2; });
  ASSERT_NE(stage2Play, log.end()) << text;
  EXPECT_EQ(stage2Play->nTime, static_cast<int>(DEMO_TIME_LIMIT));
  EXPECT_EQ(stage2Play->nItems, 4);  // the second stage's coins and heart
}

// The close arrives while thPause draws the extra-life display (99
// displays of 30 frames for a score that crosses 150 extend steps) or while
// the hero's message waits for a key that never comes.
TEST(DemoClearE2e, ACloseWhileTheGameWaitsEndsTheProgramAtOnce) {
  struct CASE {
    const char* pszWhat;
    uint32_t nExtendScore;
    bool bMessage;
    int nCloseAt;  // presented frames; well inside the wait
  } cases[] = {
      {"extra-life display", 1, false, 1400},
      {"message wait", 100000, true, 600},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    cTempFolder folder;
    WriteChainProject(folder, c.nExtendScore, c.bMessage);
    if (HasFatalFailure()) return;
    char szAt[16];
    std::snprintf(szAt, sizeof szAt, "%d", c.nCloseAt);
    pid_t pid = StartChain(folder, c.nCloseAt, szAt);
    ASSERT_GT(pid, 0);
    double dSeconds = 0;
    char szShot[32];
    std::snprintf(szShot, sizeof szShot, "/shots/frame-%05d.png", c.nCloseAt);
    ASSERT_EQ(WaitAfterShot(pid, folder.Path() + szShot, dSeconds), 0) << folder.ReadFile("stderr.txt");
    EXPECT_LT(dSeconds, 2.0);
    // The game thread was held in its step: the play log stops short of
    // the close by the frames the wait drew.
    const std::vector<LOGLINE> log = ParsePlayLog(folder.ReadFile("play.log"));
    ASSERT_FALSE(log.empty());
    const LOGLINE& last = log.back();
    if (c.bMessage) {
      EXPECT_EQ(last.nState, 2);
      EXPECT_EQ(last.nScore, 0);
    } else {
      // A life with each display shown; the close dropped the rest.
      EXPECT_EQ(last.nState, 4);
      const auto play = std::find_if(log.begin(), log.end(), [](const LOGLINE& l) { return l.nState == 2; });
      ASSERT_NE(play, log.end());
      EXPECT_GT(last.nLives, play->nLives + 1);
      EXPECT_LT(last.nLives, 99);
    }
  }
}
