// The real program playing a stage chosen in free play, read through its
// play log: the fade-in, the two banners, play frames, a time over that
// costs a life and shows the banners again; the same run twice gives the
// same log; and a close while the frozen-frame thread runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/e2e_runner.h"
#include "tests/e2e/play_log_lines.h"
#include "records/flow_enums.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

using LOGLINE = PLAYLOGLINE;

// Runs of equal states, in order: {state, frames}.
std::vector<std::pair<int, int>> StateRuns(const std::vector<LOGLINE>& log) {
  std::vector<std::pair<int, int>> runs;
  for (const LOGLINE& l : log) {
    if (runs.empty() || runs.back().first != l.nState)
      runs.push_back({l.nState, 1});
    else
      ++runs.back().second;
  }
  return runs;
}

// A project whose first stage shows both banners and has two seconds.
void WriteProject(const cTempFolder& folder, uint32_t nTimeLimit) {
  cProjectBuilder builder(folder.Path());
  builder.m_Stage1.m_bStageNoBanner = 1;
  builder.m_Stage1.m_bStartBanner = 1;
  builder.m_Stage1.m_nTimeLimit = nTimeLimit;
  builder.m_Stage1.m_nSpeedLevel = 1;
  // Free play with three counted lives.
  builder.m_System.m_vecStartLives = {3, 3, 3, 99};
  builder.m_System.m_vecInfiniteLives = {0, 0, 0, 1};
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // Down three rows to free play once the title has faded in, then Z.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
                   "40 Z down\n41 Z up\n");
}

pid_t StartFreePlay(const cTempFolder& folder, const std::string& log, int nFrames) {
  return StartGame(folder.Path(),
                   {{"TARVOLIN4_ANSWERS", "d3d,file:data\\stg4\\Stage1.stg4_000"},
                    {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                    {"TARVOLIN4_EXIT_AFTER", std::to_string(nFrames)},
                    {"TARVOLIN4_FAST", "1"},
                    {"TARVOLIN4_PLAYLOG", folder.Path() + "/" + log}},
                   folder.Path() + "/stderr.txt");
}

}  // namespace

TEST(StagePlayE2e, TimeOverCostsALifeAndShowsTheBannersAgain) {
  cTempFolder folder;
  WriteProject(folder, 2);
  if (HasFatalFailure()) return;
  pid_t pid = StartFreePlay(folder, "play1.log", 700);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
  const std::string text = folder.ReadFile("play1.log");
  const std::vector<LOGLINE> log = ParsePlayLog(text);
  ASSERT_FALSE(log.empty()) << folder.ReadFile("stderr.txt");
  const auto runs = StateRuns(log);
  // Fade-in; the banners (the frame that ends the fade already reads state
  // 1, then 79 + 79 banner frames); play until the time is over; the
  // banners again.
  ASSERT_GE(runs.size(), 4u) << text;
  EXPECT_EQ(runs[0].first, 0);
  EXPECT_GT(runs[0].second, 1);
  EXPECT_EQ(runs[1], std::make_pair(1, 79 + 79 + 1)) << text;
  EXPECT_EQ(runs[2].first, 2);
  EXPECT_EQ(runs[3].first, 1);

  // Play counts its frames (the frame that leaves the banners reads 0); the
  // time runs down a second per 60 of them.
  const size_t nPlay = runs[0].second + runs[1].second;
  EXPECT_EQ(log[nPlay].nFrame, 0u);
  EXPECT_EQ(log[nPlay + 1].nFrame, 1u);
  // The first attempt already uses one of the three lives.
  EXPECT_EQ(log[nPlay].nLives, 2);
  EXPECT_EQ(log[nPlay].nTime, 2);
  const LOGLINE& last = log[nPlay + runs[2].second - 1];
  EXPECT_EQ(last.nTime, 0);
  // The time is over at frame 120; the miss is settled once player 1's
  // defeat has been on screen for a second of frames.
  EXPECT_EQ(last.nFrame, 120u + 60u);
  // The miss took one life; the restarted stage has its full time.
  const LOGLINE& after = log[nPlay + runs[2].second];
  EXPECT_EQ(after.nLives, log[nPlay].nLives - 1);
  EXPECT_EQ(after.nTime, 2);
  EXPECT_EQ(after.nFrame, 0u);
}

TEST(StagePlayE2e, TheSameKeysGiveTheSamePlayLogToItsLastLine) {
  cTempFolder folder;
  WriteProject(folder, 2);
  if (HasFatalFailure()) return;
  std::string first;
  for (int nRun = 0; nRun < 5; ++nRun) {
    pid_t pid = StartFreePlay(folder, "play.log", 500);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
    const std::string log = folder.ReadFile("play.log");
    if (nRun == 0) {
      first = log;
      EXPECT_NE(first.find("state=2"), std::string::npos);
    } else {
      EXPECT_TRUE(log == first) << "run " << nRun << " differs from the first";
    }
  }
}

namespace {

// The key condition's position of the right direction alone.
constexpr int kKeyRight = 2;

// To free play once the title has faded in; once play runs, right for 100
// frames, then button 1. On the keyboard, or the same on a pad.
const char kWalkKeys[] =
    "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
    "40 Z down\n41 Z up\n300 Right down\n400 Right up\n430 Z down\n450 Z up\n";
const char kWalkPad[] =
    "30 Pad Down down\n31 Pad Down up\n33 Pad Down down\n34 Pad Down up\n36 Pad Down down\n37 Pad Down up\n"
    "40 Pad Button 1 down\n41 Pad Button 1 up\n300 Pad Right down\n400 Pad Right up\n"
    "430 Pad Button 1 down\n450 Pad Button 1 up\n";

// Player 1 alone on the ground: the right key starts a walk to the right of
// 2 pixels a frame for ten seconds, button 1 jumps (the builder's player
// flow); a long time limit.
void WriteWalkProject(const cTempFolder& folder, const char* pszKeys = kWalkKeys) {
  cProjectBuilder builder(folder.Path());
  builder.m_Stage1.m_nTimeLimit = 300;
  builder.m_Stage1.m_nSpeedLevel = 1;
  builder.m_System.m_vecStartLives = {3, 3, 3, 99};
  builder.m_System.m_vecInfiniteLives = {0, 0, 0, 1};
  const int nStart = builder.m_Stage1.FindPlayerPlacement();
  ASSERT_GE(nStart, 0);
  cEdFlow walk;
  walk.m_byTrigger = FlowTrigger::Always;
  cEdKeyCondition key;
  key.m_byAnyLength = 1;
  key.m_vecKeyState.assign(KEY_CONDITION_KEYS, 0);
  key.m_vecKeyState[kKeyRight] = KeyState::Pressed;
  walk.m_vecKeyCondition.push_back(key);
  cEdCommand move = MakeFlowCommand(FlowCommandKind::StraightMove, 100);
  NewEdMove(move.m_pMove);
  move.m_pMove->m_nSpeed = 20;
  move.m_pMove->m_byDirection = 3;  // right
  walk.m_vecCommand.push_back(move);
  cEdChara player = builder.m_Stage1.m_vecChara[nStart];
  player.m_vecFlow.push_back(walk);
  builder.m_Stage1.m_vecChara = {player};
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  folder.WriteFile("keys.txt", pszKeys);
}

// 600 frames of the walk project into the play log `log`.
void RunWalk(const cTempFolder& folder, const std::string& log) {
  pid_t pid = StartFreePlay(folder, log, 600);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
}

// The play frames proper (state 2) of a play log.
std::vector<LOGLINE> PlayFrames(const std::string& text) {
  std::vector<LOGLINE> log = ParsePlayLog(text);
  std::erase_if(log, [](const LOGLINE& l) { return l.nState != 2; });
  return log;
}

}  // namespace

TEST(StagePlayE2e, PlayerOneWalksRightAndJumpsUnderTheKeys) {
  cTempFolder folder;
  WriteWalkProject(folder);
  if (HasFatalFailure()) return;
  for (const char* pszLog : {"a.log", "b.log"}) {
    RunWalk(folder, pszLog);
    if (HasFatalFailure()) return;
  }
  const std::string text = folder.ReadFile("a.log");
  const std::vector<LOGLINE> log = PlayFrames(text);
  ASSERT_GT(log.size(), 200u) << text;
  // Placed two rows over the ground, player 1 falls and lands, then stands
  // until the keys come.
  const LOGLINE& first = log.front();
  size_t i = 0;
  while (i + 1 < log.size() && log[i + 1].nX == first.nX) ++i;
  const int nGround = log[i].nY;
  EXPECT_GT(nGround, first.nY);
  ASSERT_LT(i + 1, log.size()) << "player 1 never moved:\n" << text;
  // Walking right on the ground: x grows frame by frame, y stays.
  EXPECT_GT(log[i + 1].nX, log[i].nX) << text;
  EXPECT_EQ(log[i + 1].nY, nGround) << text;
  int nMaxX = first.nX;
  for (const LOGLINE& l : log) nMaxX = std::max(nMaxX, l.nX);
  EXPECT_GE(nMaxX - first.nX, 100) << text;
  // The jump: y rises above the ground line, then comes back to it.
  size_t nTop = i;
  for (size_t k = i; k < log.size(); ++k)
    if (log[k].nY < log[nTop].nY) nTop = k;
  EXPECT_LT(log[nTop].nY, nGround - 16) << text;
  size_t nBack = nTop;
  while (nBack < log.size() && log[nBack].nY != nGround) ++nBack;
  EXPECT_LT(nBack, log.size()) << "player 1 never came down:\n" << text;

  EXPECT_TRUE(text == folder.ReadFile("b.log")) << "the play logs of two equal runs differ";
}

// The same moves on a pad (joystick 0, read through the joystick input as
// a plugged-in pad is) play the same as on the keyboard: the menus, the
// walk, the jump.
TEST(StagePlayE2e, APadMovesPlayerOneAsTheKeysDo) {
  cTempFolder folder;
  for (const char* pszKeys : {kWalkKeys, kWalkPad}) {
    WriteWalkProject(folder, pszKeys);
    if (HasFatalFailure()) return;
    RunWalk(folder, pszKeys == kWalkPad ? "pad.log" : "keys.log");
    if (HasFatalFailure()) return;
  }
  const std::string keys = folder.ReadFile("keys.log");
  const std::vector<LOGLINE> log = PlayFrames(keys);
  ASSERT_GT(log.size(), 200u) << keys;
  EXPECT_GE(log.back().nX - log.front().nX, 100) << keys;
  EXPECT_TRUE(folder.ReadFile("pad.log") == keys) << "the pad plays otherwise than the keys:\n"
                                                  << folder.ReadFile("pad.log");
}
