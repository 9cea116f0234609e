// The real program playing a stage whose player 1 opens with a message that
// stops the game until the advance key: the play log stands still while the
// frozen frames keep being presented with the message window on them, and
// play goes on (player 1 walks) once the key is pressed. A stopping message
// shown until the stage ends after it waits for the key in the same way and
// is gone afterwards.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/screenshot.h"
#include "records/flow_enums.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/e2e/play_log_lines.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

// The play frames proper (state 2) of a play log.
std::vector<PLAYLOGLINE> PlayLines(const std::string& text) {
  std::vector<PLAYLOGLINE> v;
  for (const PLAYLOGLINE& l : ParsePlayLog(text))
    if (l.nState == 2) v.push_back(l);
  return v;
}

// A stopping message at the screen's centre, shown for the duration mode
// (0 until the advance key, 1 until the stage ends).
cEdCommand StoppingMessage(const char* pszText, int nDuration) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::Message);
  c.m_strText = pszText;
  c.m_vParam[0] = 0;  // the screen's centre
  c.m_vParam[6] = nDuration;
  c.m_vParam[8] = 1;  // the game stops
  return c;
}

// Player 1's flow runs cmds, then walks right; the title is left for free
// play once it has faded in, and the advance key (Z, button 1) is pressed
// at each frame of vKeyFrames.
void WritePlayerFlowProject(const cTempFolder& folder, std::initializer_list<cEdCommand> cmds,
                            std::initializer_list<int> vKeyFrames) {
  cProjectBuilder builder(folder.Path());
  builder.m_Stage1.m_nTimeLimit = 300;
  builder.m_Stage1.m_nSpeedLevel = 1;
  builder.m_System.m_vecStartLives = {3, 3, 3, 99};
  builder.m_System.m_vecInfiniteLives = {0, 0, 0, 1};
  const int nStart = builder.m_Stage1.FindPlayerPlacement();
  ASSERT_GE(nStart, 0);
  cEdCommand walk = MakeFlowCommand(FlowCommandKind::StraightMove, 100);
  NewEdMove(walk.m_pMove);
  walk.m_pMove->m_nSpeed = 20;
  walk.m_pMove->m_byDirection = 3;  // right
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  for (const cEdCommand& c : cmds) flow.m_vecCommand.push_back(c);
  flow.m_vecCommand.push_back(walk);
  cEdChara player = builder.m_Stage1.m_vecChara[nStart];
  player.m_vecFlow = {flow};
  builder.m_Stage1.m_vecChara = {player};
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  std::string keys =
      "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n40 Z down\n41 Z up\n";
  for (int n : vKeyFrames) keys += std::to_string(n) + " Z down\n" + std::to_string(n + 1) + " Z up\n";
  folder.WriteFile("keys.txt", keys);
}

// A message shown until the advance key, the key at nKeyFrame.
void WriteMessageProject(const cTempFolder& folder, int nKeyFrame) {
  WritePlayerFlowProject(folder, {StoppingMessage("STOP AND READ", 0)}, {nKeyFrame});
}

// A message until the advance key (the key at 400), half a second of play,
// then one shown until the stage ends: it arms no wait of its own, so it
// waits for the key again (at nSecondKey).
void WriteUntilTheEndProject(const cTempFolder& folder, int nSecondKey) {
  WritePlayerFlowProject(
      folder,
      {StoppingMessage("READ THIS", 0), MakeFlowCommand(FlowCommandKind::Wait, 5), StoppingMessage("UNTIL THE END", 1)},
      {400, nSecondKey});
}

// Runs 600 presented frames with shots of the frames named (350, 380 and
// 560 unless others are).
std::vector<PLAYLOGLINE> RunPlay(const cTempFolder& folder, const std::string& log,
                                 const std::string& strShots = "350,380,560") {
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d,file:data\\stg4\\Stage1.stg4_000"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", "600"},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", strShots},
                         {"TARVOLIN4_PLAYLOG", folder.Path() + "/" + log}},
                        folder.Path() + "/stderr.txt");
  EXPECT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
  return PlayLines(folder.ReadFile(log));
}

std::vector<uint32_t> Shot(const cTempFolder& folder, int nFrame) {
  char name[64];
  std::snprintf(name, sizeof name, "/shots/frame-%05d.png", nFrame);
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  EXPECT_TRUE(ReadPng(folder.Path() + name, px, w, h)) << name;
  return px;
}

}  // namespace

TEST(MessageFreezeE2e, AStoppingMessageFreezesPlayUntilTheAdvanceKey) {
  cTempFolder folder;
  WriteMessageProject(folder, 400);
  if (HasFatalFailure()) return;
  const std::vector<PLAYLOGLINE> a = RunPlay(folder, "a.log");
  ASSERT_GT(a.size(), 20u) << folder.ReadFile("a.log");

  // The same project with the key 80 frames later: play is 80 frames
  // shorter, as no play frame runs while the message waits.
  WriteMessageProject(folder, 480);
  if (HasFatalFailure()) return;
  const std::vector<PLAYLOGLINE> b = RunPlay(folder, "b.log");
  EXPECT_EQ(static_cast<long>(a.size()) - static_cast<long>(b.size()), 80) << a.size() << " / " << b.size();

  // Play frames count on one by one across the freeze; player 1 walks
  // right once the message is gone.
  for (size_t i = 1; i < a.size(); ++i) ASSERT_EQ(a[i].nFrame, a[i - 1].nFrame + 1) << i;
  EXPECT_GT(a.back().nX, a[0].nX + 100);

  // Frames 350 and 380 were presented during the freeze and are the same
  // picture; by frame 560 the message window is gone from the centre.
  const std::vector<uint32_t> f350 = Shot(folder, 350), f380 = Shot(folder, 380), f560 = Shot(folder, 560);
  ASSERT_EQ(f350.size(), 640u * 480u);
  ASSERT_EQ(f560.size(), 640u * 480u);
  EXPECT_TRUE(f350 == f380) << "the frozen frames differ";
  int nCentreChanged = 0;
  for (int y = 200; y < 280; ++y)
    for (int x = 240; x < 400; ++x) nCentreChanged += f380[y * 640 + x] != f560[y * 640 + x];
  EXPECT_GT(nCentreChanged, 500) << "no message window at the screen's centre";
}

TEST(MessageFreezeE2e, AStoppingMessageShownUntilTheStageEndsWaitsForTheKeyAgainAndGoes) {
  cTempFolder folder;
  WriteUntilTheEndProject(folder, 540);
  if (HasFatalFailure()) return;
  const std::vector<PLAYLOGLINE> a = RunPlay(folder, "a.log", "470,530,570");
  ASSERT_GT(a.size(), 20u) << folder.ReadFile("a.log");
  EXPECT_GT(a.back().nX, a[0].nX + 40) << "player 1 never walked";
  // Frames 470 and 530 were presented while the second message waited for
  // the key, and are the same picture; by frame 570 it is gone and player 1
  // walks.
  const std::vector<uint32_t> f470 = Shot(folder, 470), f530 = Shot(folder, 530), f570 = Shot(folder, 570);
  ASSERT_EQ(f470.size(), 640u * 480u);
  ASSERT_EQ(f570.size(), 640u * 480u);
  EXPECT_TRUE(f470 == f530) << "the frozen frames differ";
  int nCentreChanged = 0;
  for (int y = 200; y < 280; ++y)
    for (int x = 240; x < 400; ++x) nCentreChanged += f530[y * 640 + x] != f570[y * 640 + x];
  EXPECT_GT(nCentreChanged, 500) << "no message window at the screen's centre";
  // The second key 40 frames sooner: play is 40 frames longer.
  WriteUntilTheEndProject(folder, 500);
  if (HasFatalFailure()) return;
  const std::vector<PLAYLOGLINE> b = RunPlay(folder, "b.log");
  EXPECT_EQ(static_cast<long>(b.size()) - static_cast<long>(a.size()), 40) << a.size() << " / " << b.size();
}
