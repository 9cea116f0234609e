// The real program playing stages the project builder writes, read through
// the play log: a pit costs a life and the stage starts again (the same log
// run after run); an auto-scrolling view pushes player 1 along and crushes
// it against a wall; a summoned chara lives out its life time; an enemy is
// gone once it leaves removal area 1, earlier than by the stage's edge; a
// block that a switch brings appears, and the switch is off again after a
// miss; a cleared free-play stage of an ordinary name starts again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "records/flow_enums.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/e2e/play_log_lines.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

// Key-state positions: the directions alone, then button 1.
constexpr int kKeyLeft = 1;
constexpr int kKeyRight = 2;
constexpr int kKeyButton1 = 11;
constexpr uint8_t kMoveLeft = 2, kMoveRight = 3;

// The builder's first stage (30 × 15, a floor on its last row, player 1 at
// column 2 standing on it once it has dropped a cell) with the other
// placements taken out, one sub-step a frame, and player 1 walking under
// Left and Right; free play with three lives. `edit` changes the project
// before it is written.
void WriteProject(const cTempFolder& folder, const std::function<void(cProjectBuilder&)>& edit) {
  cProjectBuilder builder(folder.Path());
  cEdStage& st = builder.m_Stage1;
  st.m_nSpeedLevel = 1;
  st.m_vecItem.clear();
  st.m_vecChara.resize(1);
  cEdChara& p = st.m_vecChara[0];
  p.m_vecFlow.clear();
  for (auto [nKey, byDir] : {std::pair{kKeyRight, kMoveRight}, std::pair{kKeyLeft, kMoveLeft}}) {
    cEdFlow walk = MakeKeyFlow(MakeHeldKey(nKey), MakeStraightMove(byDir, 20, 1));
    walk.m_byTriggerMode = 1;  // the keys tested afresh every frame
    p.m_vecFlow.push_back(walk);
  }
  builder.m_System.m_vecStartLives = {3, 3, 3, 99};
  builder.m_System.m_vecInfiniteLives = {0, 0, 0, 1};
  edit(builder);
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
}

// Free play of the first stage from the title (down three rows, Z), then
// the keys given, each "FRAME KEY down|up".
std::vector<PLAYLOGLINE> RunFreePlay(const cTempFolder& folder, const std::string& keys, int nFrames,
                                     const char* pszLog = "play.log", const char* pszShots = nullptr) {
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
                   "40 Z down\n41 Z up\n" +
                       keys);
  Env env = {{"TARVOLIN4_ANSWERS", "d3d,file:data\\stg4\\Stage1.stg4_000"},
             {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
             {"TARVOLIN4_EXIT_AFTER", std::to_string(nFrames)},
             {"TARVOLIN4_FAST", "1"},
             {"TARVOLIN4_PLAYLOG", folder.Path() + "/" + pszLog}};
  if (pszShots) {
    env["TARVOLIN4_SCREENSHOT"] = folder.Path() + "/shots";
    env["TARVOLIN4_SCREENSHOT_AT"] = pszShots;
  }
  pid_t pid = StartGame(folder.Path(), env, folder.Path() + "/stderr.txt");
  EXPECT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
  return ParsePlayLog(folder.ReadFile(pszLog));
}

// The play frames (state 2) of the attempt'th attempt, counted from 0.
std::vector<PLAYLOGLINE> Attempt(const std::vector<PLAYLOGLINE>& log, int nAttempt) {
  std::vector<PLAYLOGLINE> out;
  int n = -1;
  bool bIn = false;
  for (const PLAYLOGLINE& l : log) {
    const bool bPlay = l.nState == 2;
    if (bPlay && !bIn) ++n;
    bIn = bPlay;
    if (bPlay && n == nAttempt) out.push_back(l);
  }
  return out;
}

// The stage pixel of column c.
constexpr int Px(int c) { return (c + 10) * 32; }

// A chara of the stage's side that stands in the air at cell (col, row),
// with no flows.
cEdChara Flier(int col, int row) {
  cEdChara c;
  c.SetDefaults();
  c.m_vecFlow.clear();
  c.m_nType = 1;
  c.m_nImageIndex = 16;
  c.m_nMaxHp = 1;
  c.m_nMoveType = 1;
  c.m_nColumn = static_cast<uint16_t>(col);
  c.m_nRow = static_cast<uint16_t>(row);
  return c;
}

// A key held from frame f to frame t.
std::string Hold(int f, int t, const char* key) {
  return std::to_string(f) + " " + key + " down\n" + std::to_string(t) + " " + key + " up\n";
}

}  // namespace

TEST(PlayRulesE2e, WalkingIntoAPitCostsALifeAndStartsTheStageAgain) {
  cTempFolder folder;
  WriteProject(folder, [](cProjectBuilder& b) {
    std::erase_if(b.m_Stage1.m_vecBlock, [](const cEdBlock& k) { return k.m_nColumn == 8 || k.m_nColumn == 9; });
  });
  if (HasFatalFailure()) return;
  const std::string keys = Hold(300, 600, "Right");
  const std::vector<PLAYLOGLINE> log = RunFreePlay(folder, keys, 800);
  const std::vector<PLAYLOGLINE> first = Attempt(log, 0), second = Attempt(log, 1);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty()) << "the stage never started again";
  // Walking right, player 1 drops into the pit and falls out below the
  // stage: it dies on the stage's last row of pixels.
  const auto deepest = std::max_element(first.begin(), first.end(), [](auto& a, auto& b) { return a.nY < b.nY; });
  EXPECT_GT(deepest->nX, Px(8) - 16);
  EXPECT_LT(deepest->nX, Px(10));
  EXPECT_EQ(deepest->nY + 24, Px(15));
  // The miss takes a life; the stage starts again with player 1 where it
  // began.
  EXPECT_EQ(second.front().nLives, first.front().nLives - 1);
  EXPECT_EQ(second.front().nFrame, 0u);
  EXPECT_EQ(second.front().nX, first.front().nX);

  // The same keys give the same log, its end included.
  RunFreePlay(folder, keys, 800, "again.log");
  EXPECT_TRUE(folder.ReadFile("play.log") == folder.ReadFile("again.log")) << "the play logs of two equal runs differ";
}

TEST(PlayRulesE2e, AnAutoScrollingStagePushesPlayerOneAlongAndCrushesItAgainstAWall) {
  cTempFolder folder;
  WriteProject(folder, [](cProjectBuilder& b) {
    cEdStage& st = b.m_Stage1;
    st.m_nScrollKindX = 1;
    st.m_nAutoScrollX = 20;  // 2 pixels a frame
    // Wide enough for the view to scroll on past the wall.
    st.m_nWidth = 60;
    for (int x = 30; x < 60; ++x) {
      cEdBlock floor = st.m_vecBlock.front();
      floor.m_nColumn = static_cast<uint16_t>(x);
      st.m_vecBlock.push_back(floor);
    }
    for (int y = 10; y <= 13; ++y) {
      cEdBlock wall = st.m_vecBlock.front();
      wall.m_nColumn = 24;
      wall.m_nRow = static_cast<uint16_t>(y);
      st.m_vecBlock.push_back(wall);
    }
  });
  if (HasFatalFailure()) return;
  // No key at all: player 1 stands where it is put.
  const std::vector<PLAYLOGLINE> log = RunFreePlay(folder, "", 1100, "play.log", "500");
  const std::vector<PLAYLOGLINE> first = Attempt(log, 0), second = Attempt(log, 1);
  ASSERT_GT(first.size(), 200u);
  ASSERT_FALSE(second.empty()) << "player 1 was never crushed";
  // Carried along by the view's left edge, two pixels a frame...
  const int x0 = first.front().nX;
  EXPECT_GT(first[200].nX, x0 + 300);
  // ... until the wall stops it: it dies there, and the stage starts again.
  EXPECT_LE(first.back().nX + 16, Px(24));
  EXPECT_GT(first.back().nX, Px(22));
  EXPECT_EQ(second.front().nLives, first.front().nLives - 1);
}

TEST(PlayRulesE2e, ASummonedCharaWithALifeTimeDisappears) {
  cTempFolder folder;
  WriteProject(folder, [](cProjectBuilder& b) {
    // The summoned: a chara of the common palette.
    b.m_CommonPalette.m_vecChara.push_back(Flier(0, 0));
    const int16_t nBird = static_cast<int16_t>(b.m_CommonPalette.m_vecChara.size() - 1);
    // The summoner hangs in the air and summons once, for two seconds.
    cEdChara caller = Flier(12, 6);
    caller.m_nDir = 1;
    cEdCommand summon = MakeFlowCommand(FlowCommandKind::SummonChara);
    NewEdShot(summon.m_pShot);
    summon.m_pShot->m_cCount = 1;
    summon.m_pShot->m_bySummonSource = 0;
    summon.m_pShot->m_nSummonIndex = nBird;
    summon.m_pShot->m_bySetting41 = 1;  // the life-time switch
    summon.m_pShot->m_nLaunch2 = 20;    // tenths of a second
    caller.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {summon, MakeFlowCommand(FlowCommandKind::Wait, 9999)}));
    b.m_Stage1.m_vecChara.push_back(caller);
  });
  if (HasFatalFailure()) return;
  const std::vector<PLAYLOGLINE> play = Attempt(RunFreePlay(folder, "", 500), 0);
  ASSERT_GT(play.size(), 150u);
  // Two charas from the first frame on, one after two seconds.
  auto charasAt = [&play](unsigned f) {
    for (const PLAYLOGLINE& l : play)
      if (l.nFrame == f) return l.nCharas;
    return -1;
  };
  EXPECT_EQ(charasAt(0), 1);
  EXPECT_EQ(charasAt(10), 2);
  EXPECT_EQ(charasAt(110), 2);
  EXPECT_EQ(charasAt(140), 1);
}

TEST(PlayRulesE2e, AnEnemyThatLeavesRemovalAreaOneIsGone) {
  // A flier that stays active anywhere flies left out of the view; with
  // removal area 1 (left side, five cells beyond the view) it is gone well
  // before it would reach the stage's padded edge.
  unsigned anGone[2] = {0, 0};
  for (const bool bArea : {false, true}) {
    SCOPED_TRACE(bArea);
    cTempFolder folder;
    WriteProject(folder, [bArea](cProjectBuilder& b) {
      cEdChara flier = Flier(14, 6);
      flier.m_nViewTestKind = 3;
      flier.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeStraightMove(kMoveLeft, 40, 9999)}));
      b.m_Stage1.m_vecChara.push_back(flier);
      if (bArea) b.m_Stage1.m_aSub[0].Set(1, 0, 0, 0, 5, 0, 0, 0);
    });
    if (HasFatalFailure()) return;
    const std::vector<PLAYLOGLINE> play = Attempt(RunFreePlay(folder, "", 500), 0);
    ASSERT_FALSE(play.empty());
    ASSERT_EQ(play.front().nCharas, 1);
    for (const PLAYLOGLINE& l : play)
      if (l.nCharas == 0) {
        anGone[bArea] = l.nFrame;
        break;
      }
    EXPECT_GT(anGone[bArea], 0u) << "the flier never left";
  }
  // Four pixels a frame: the five cells of the area are forty frames.
  EXPECT_GT(anGone[0], anGone[1] + 30);
}

TEST(PlayRulesE2e, ABlockThatASwitchBringsAppearsAndIsGoneAgainAfterAMiss) {
  cTempFolder folder;
  WriteProject(folder, [](cProjectBuilder& b) {
    cEdStage& st = b.m_Stage1;
    // A pit at columns 20 and 21; a wall at column 10 that is there while
    // common variable 1 is 1, which button 1 sets.
    std::erase_if(st.m_vecBlock, [](const cEdBlock& k) { return k.m_nColumn == 20 || k.m_nColumn == 21; });
    for (int y = 11; y <= 13; ++y) {
      cEdBlock wall = st.m_vecBlock.front();
      wall.m_nColumn = 10;
      wall.m_nRow = static_cast<uint16_t>(y);
      wall.m_vecCondition.push_back(MakeVarEqualsCondition(FlowConditionKind::CommonVarCondition, 1, 1));
      wall.m_vecInherit.assign(BLOCK_INHERIT_GROUPS, 0);  // its conditions are its own
      st.m_vecBlock.push_back(wall);
    }
    cEdCommand on = MakeFlowCommand(FlowCommandKind::StatusOp);
    on.m_vParam[0] = 1;  // a variable
    on.m_vParam[1] = 0;  // common
    on.m_vParam[2] = 1;
    on.m_vParam[5] = AssignOp::Set;
    on.m_vParam[7] = 1;
    st.m_vecChara[0].m_vecFlow.push_back(MakeKeyFlow(MakePressedKey(kKeyButton1), on));
  });
  if (HasFatalFailure()) return;
  // Right through the wall's column while it is not there; the switch; left
  // against the wall; right into the pit. After the miss, right again.
  const std::string keys = Hold(300, 450, "Right") + Hold(460, 462, "Z") + Hold(470, 530, "Left") +
                           Hold(540, 700, "Right") + Hold(1000, 1150, "Right");
  const std::vector<PLAYLOGLINE> log = RunFreePlay(folder, keys, 1200, "play.log", "455,520");
  const std::vector<PLAYLOGLINE> first = Attempt(log, 0), second = Attempt(log, 1);
  ASSERT_FALSE(second.empty()) << "player 1 never fell into the pit";
  // The first walk right, up to where player 1 first turns back left.
  size_t nBack = 1;
  while (nBack < first.size() && first[nBack].nX >= first[nBack - 1].nX) ++nBack;
  ASSERT_LT(nBack, first.size());
  size_t nOn = nBack;
  while (nOn < first.size() && first[nOn].nX <= first[nOn - 1].nX) ++nOn;
  // Past the wall's column: nothing there yet.
  EXPECT_GT(first[nBack - 1].nX, Px(11));
  // Walking back left after the switch: stopped at the wall's right side.
  EXPECT_EQ(first[nOn - 1].nX, Px(11));
  // The miss puts the switch back: the second attempt walks through.
  int nMax = 0;
  for (const PLAYLOGLINE& l : second) nMax = std::max(nMax, l.nX);
  EXPECT_GT(nMax, Px(11));
}

TEST(PlayRulesE2e, AClearedFreePlayStageOfAnOrdinaryNameStartsAgain) {
  cTempFolder folder;
  WriteProject(folder, [](cProjectBuilder& b) {
    // Player 1 clears the stage one second into play.
    cEdCommand clear = MakeFlowCommand(FlowCommandKind::StageClear);
    clear.m_vParam[0] = 0;
    b.m_Stage1.m_vecChara[0].m_vecFlow.push_back(
        MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 10), clear}));
  });
  if (HasFatalFailure()) return;
  // The decide key closes the result once its banner has come in.
  std::string keys;
  for (int f = 400; f <= 560; f += 20) keys += Hold(f, f + 1, "Z");
  const std::vector<PLAYLOGLINE> log = RunFreePlay(folder, keys, 1000);
  const std::string err = folder.ReadFile("stderr.txt");
  EXPECT_EQ(err.find("[エラー]"), std::string::npos) << err;
  const auto result = std::find_if(log.begin(), log.end(), [](auto& l) { return l.nState == 4; });
  ASSERT_NE(result, log.end());
  // After the result, the stage's start again: its fade-in, banners and play
  // from frame 0, with the stage's own time.
  const auto again = std::find_if(result, log.end(), [](auto& l) { return l.nState == 0; });
  ASSERT_NE(again, log.end()) << "the stage did not start again";
  const auto play = std::find_if(again, log.end(), [](auto& l) { return l.nState == 2; });
  ASSERT_NE(play, log.end());
  EXPECT_EQ(play->nFrame, 0u);
  const auto firstPlay = std::find_if(log.begin(), log.end(), [](auto& l) { return l.nState == 2; });
  EXPECT_EQ(play->nX, firstPlay->nX);
  EXPECT_EQ(play->nTime, firstPlay->nTime);
}
