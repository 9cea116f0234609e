#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "flow/command_executors.h"
#include "flow/flow_runner.h"
#include "records/database.h"
#include "records/progress.h"
#include "records/world_map.h"
#include "tests/flow/command_harness.h"
#include "tests/support/scoped_override.h"

namespace {

// A command of no duration that adds 1 to stage variable nIndex, so the
// stage variables show which commands ran.
cEdCommand Count(int nIndex, int nTenths = 0) {
  cEdCommand cmd = MakeCommand(FlowCommandKind::StatusOp, {1, 1, nIndex, 0, 0, AssignOp::Add, 0, 1});
  cmd.m_nTimeBase = static_cast<int16_t>(nTenths);
  return cmd;
}

cEdCommand Control(int nOp, int nScope, int nId = 0) {
  return MakeCommand(FlowCommandKind::FlowControl, {nOp, nScope, nId});
}

cEdFlow Flow(int nTrigger, int nId, std::vector<cEdCommand> vCmd) {
  cEdFlow f;
  f.m_byTrigger = static_cast<uint8_t>(nTrigger);
  f.m_byFlowId = static_cast<uint8_t>(nId);
  for (cEdCommand& c : vCmd) f.m_vecCommand.push_back(c);
  return f;
}

enum { START = 0, END, PAUSE, RESUME, DELETE, STOP_FOREVER };
enum { THIS = 0, OTHERS = 1, BY_ID = 2 };
constexpr int kNoTrigger = 19;

class FlowControlTest : public testing::Test {
 protected:
  void Build(cVector<cEdFlow> vFlow) {
    m_vFlow = std::move(vFlow);
    BuildFlowRuns(m_Chara.m_vRun, m_vFlow, FLOWTIMING{0, 1, 1.0});
  }
  void Start(int i) { StartFlow(m_Chara, m_Chara.m_vRun[i]); }
  // One sub-step of the chara's flows; the stage variables afterwards.
  std::vector<int32_t> SubStep() {
    ClearTriggerFlags(m_Chara);
    RunCharaFlows(m_Chara);
    return std::vector<int32_t>(m_Scope.m_Stage.m_vVar.begin(), m_Scope.m_Stage.m_vVar.begin() + 4);
  }

  cFakeStageScope m_Scope;
  cFakeChara m_Chara;
  cVector<cEdFlow> m_vFlow;
};

TEST_F(FlowControlTest, EndingItsOwnFlowStepsNothingAfterIt) {
  Build({Flow(kNoTrigger, 0, {Count(0), Control(END, THIS), Count(2)})});
  Start(0);
  for (int i = 0; i < 5; ++i) SubStep();
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{1, 0, 0, 0}));
  EXPECT_FALSE(m_Chara.m_vRun[0].m_bRunning);
}

TEST_F(FlowControlTest, RestartingItsOwnFlowBeginsAgainNextSubStep) {
  Build({Flow(kNoTrigger, 0, {Count(0), Control(START, THIS), Count(2)})});
  Start(0);
  // count, restart, count, restart...: the command after the restart never runs.
  for (int i = 0; i < 6; ++i) SubStep();
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{4, 0, 0, 0}));
}

TEST_F(FlowControlTest, PausingItsOwnFlowResumesAfterThePause) {
  Build({Flow(kNoTrigger, 0, {Count(0), Control(PAUSE, THIS), Count(2)})});
  Start(0);
  SubStep();
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{1, 0, 0, 0}));
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{1, 0, 0, 0}));
  ResumeFlow(m_Chara.m_vRun[0]);
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{1, 0, 1, 0}));
}

TEST_F(FlowControlTest, PausingOthersKeepsThisOneAndResumeContinues) {
  // Flow 0 counts every sub-step for 10 tenths (60 sub-steps).
  Build({Flow(kNoTrigger, 0, {Count(0, 10)}),
         Flow(kNoTrigger, 0, {Control(PAUSE, OTHERS), Count(1, 1), Control(RESUME, OTHERS), Count(3, 10)})});
  Start(0);
  SubStep();  // flow 0 counts 1
  Start(1);
  std::vector<std::vector<int32_t>> vTrace;
  for (int i = 0; i < 9; ++i) vTrace.push_back(SubStep());
  EXPECT_EQ(vTrace[0], (std::vector<int32_t>{2, 0, 0, 0}));  // flow 0 ran before the pause
  EXPECT_EQ(vTrace[6], (std::vector<int32_t>{2, 6, 0, 0}));  // paused while flow 1 counts
  EXPECT_EQ(vTrace[7], (std::vector<int32_t>{2, 6, 0, 0}));  // the resume
  EXPECT_EQ(vTrace[8], (std::vector<int32_t>{3, 6, 0, 1}));  // both run again
  EXPECT_TRUE(m_Chara.m_vRun[0].m_bRunning);
}

TEST_F(FlowControlTest, ScopeByIdNeverChoosesFlowsWithoutAnId) {
  Build({Flow(kNoTrigger, 0, {Count(0, 10)}), Flow(kNoTrigger, 4, {Count(1, 10)}),
         Flow(kNoTrigger, 0, {Control(END, BY_ID, 0), Control(STOP_FOREVER, BY_ID, 4)})});
  Start(0);
  Start(1);
  Start(2);
  SubStep();
  SubStep();
  // Flow 1 counted twice before flow 2 stopped it for good; flow 0 goes on.
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{3, 2, 0, 0}));
  EXPECT_TRUE(m_Chara.m_vRun[1].m_bStopForever);
}

TEST_F(FlowControlTest, AFlowDeletingItself) {
  Build({Flow(kNoTrigger, 0, {Count(0, 10)}), Flow(kNoTrigger, 0, {Count(1), Control(DELETE, THIS), Count(2)})});
  Start(0);
  Start(1);
  SubStep();
  SubStep();
  ASSERT_EQ(m_Chara.m_vRun.size(), 1u);
  EXPECT_EQ(m_Chara.m_vRun[0].m_lpFlow, &m_vFlow[0]);
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{3, 1, 0, 0}));
}

TEST_F(FlowControlTest, AFlowDeletingTheFlowThatStartedIt) {
  // Flow 0 (ID 1) starts flow 1 (ID 2), which runs at once and deletes flow 0
  // and then itself, inside flow 0's step; flow 2 keeps counting.
  cEdCommand del1 = Control(DELETE, BY_ID, 1), del2 = Control(DELETE, BY_ID, 2);
  del1.m_byWithNext = del2.m_byWithNext = 1;
  Build({Flow(kNoTrigger, 1, {Control(START, BY_ID, 2), Count(0)}), Flow(FlowTrigger::BeforeStageStart, 2, {del1, del2}),
         Flow(kNoTrigger, 0, {Count(3, 10)})});
  Start(0);
  Start(2);
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{0, 0, 0, 1}));
  ASSERT_EQ(m_Chara.m_vRun.size(), 1u);
  EXPECT_EQ(m_Chara.m_vRun[0].m_lpFlow, &m_vFlow[2]);
  EXPECT_EQ(SubStep(), (std::vector<int32_t>{0, 0, 0, 2}));
}

TEST_F(FlowControlTest, FlowAnimationsGoWithTheirFlow) {
  cScopedOverride<cVector<cEdAnime>> anime(g_Database.m_vecAnime);
  g_Database.m_vecAnime.resize(4);
  Build({Flow(kNoTrigger, 0, {MakeCommand(FlowCommandKind::RunAnime, {3}), Count(0, 10)}),
         Flow(kNoTrigger, 0, {MakeCommand(FlowCommandKind::RunAnime, {2}), Count(1, 10)}),
         Flow(kNoTrigger, 5, {Control(PAUSE, BY_ID, 9), Count(2, 1), Control(END, OTHERS)})});
  Start(0);
  Start(1);
  SubStep();
  ASSERT_EQ(m_Chara.m_vAnime.size(), 2u);
  EXPECT_NE(m_Chara.m_vAnime[0].nTag, m_Chara.m_vAnime[1].nTag);
  m_vFlow[2].m_vecCommand[0].m_vParam[2] = 0;  // pause nothing by ID first
  m_Chara.m_vRun[0].m_lpFlow->m_byFlowId = 9;
  m_vFlow[2].m_vecCommand[0].m_vParam[2] = 9;
  Start(2);
  SubStep();
  EXPECT_EQ(m_Chara.m_vAnime[0].bStopping, 1);  // flow 0's animation marked stopping
  EXPECT_EQ(m_Chara.m_vAnime[1].bStopping, 0);
  for (int i = 0; i < 8; ++i) SubStep();
  EXPECT_TRUE(m_Chara.m_vAnime.empty());  // both flows ended
}

class ControlCommandTest : public testing::Test {
 protected:
  cScopedOverride<cEdProgress> m_Progress{g_Progress};
  cScopedOverride<int32_t> m_MapW{g_WorldMap.m_nWidth}, m_MapH{g_WorldMap.m_nHeight};
  cCommandHarness h;
};

TEST_F(ControlCommandTest, StageClearRequestsTheNextStage) {
  struct CASE {
    int p0, p1, p2, p3, p4;
    int nNext, nMapX, nMapY;
  } aCase[] = {
      {0, 9, 0, 0, 0, 4, 2, 3},  // the current stage (3) + 1
      {1, 4, 0, 0, 0, 4, 2, 3},
      {2, 4, 0, 0, 0, 0, 2, 3},
      {7, 4, 0, 0, 0, -1, 2, 3},  // another mode leaves the word
      {1, 4, 1, 5, 1, 4, 5, 1},
      {1, 4, 1, 10, 99, 4, 9, 5},  // at or beyond the map's size: the last cell
      {1, 4, 1, -3, -1, 4, 0, 0},  // below the map: the first cell
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(testing::Message() << c.p0 << " " << c.p1 << " " << c.p2 << " " << c.p3 << " " << c.p4);
    g_Progress.m_nArea = 3;
    g_Progress.m_nMapX = 2;
    g_Progress.m_nMapY = 3;
    g_Progress.m_nFacing = 2;
    g_WorldMap.m_nWidth = 10;
    g_WorldMap.m_nHeight = 6;
    h.m_Scope.m_Stage.m_nNextStage = -1;
    h.m_Scope.m_Stage.m_nClearRequest = 0;
    h.Begin(MakeCommand(FlowCommandKind::StageClear, {c.p0, c.p1, c.p2, c.p3, c.p4}));
    EXPECT_EQ(h.Step(), 1);
    EXPECT_EQ(h.m_Scope.m_Stage.m_nClearRequest, 1);
    EXPECT_EQ(h.m_Scope.m_Stage.m_nNextStage, c.nNext);
    EXPECT_EQ(g_Progress.m_nMapX, c.nMapX);
    EXPECT_EQ(g_Progress.m_nMapY, c.nMapY);
    EXPECT_EQ(g_Progress.m_nFacing, c.p2 ? 0 : 2);
  }
}

TEST_F(ControlCommandTest, GameWaitFreezesThroughThePauseThread) {
  for (int nTenths : {5, 0}) {
    h.m_Scope.m_Stage.m_vLog.clear();
    h.Begin(MakeCommand(FlowCommandKind::GameWait, {nTenths}), 1);
    EXPECT_EQ(h.Step(), 1);
    std::string n = std::to_string(nTenths * 6);
    EXPECT_EQ(h.m_Scope.m_Stage.m_vLog,
              (std::vector<std::string>{"waittext " + n, "gamewait " + n, "pause texts=1 pictures=0"}));
    EXPECT_TRUE(h.m_Scope.m_Stage.m_vText.empty());
  }
}

TEST_F(ControlCommandTest, WarpMovesOrIsUndone) {
  struct CASE {
    const char* pszName;
    int nMode, nDir, nRange, nCoord, nCellX, nCellY, nDotX, nDotY, bMirrorX, bRight;
    double dX, dY;
  } aCase[] = {
      {"right 2 half cells", 0, 0, 2, 0, 0, 0, 0, 0, 0, 1, 132, 200},
      {"left", 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 68, 200},
      {"down-right", 0, 11, 4, 0, 0, 0, 0, 0, 0, 1, 100 + 64 / std::sqrt(2.0), 200 + 64 / std::sqrt(2.0)},
      {"into the wall", 0, 0, 20, 0, 0, 0, 0, 0, 0, 1, 100, 200},
      {"out of the stage", 0, 1, 10, 0, 0, 0, 0, 0, 0, 1, 100, 200},
      {"by cells and dots", 2, 0, 0, 0, 1, -1, 5, 0, 0, 1, 137, 168},
      {"mirrored", 2, 0, 0, 0, 1, 0, 0, 0, 1, 1, 68, 200},
      {"on a cell", 2, 0, 0, 1, 3, 4, 2, 1, 0, 0, 98, 129},
      {"screen", 2, 0, 0, 2, 1, 1, 0, 0, 0, 0, 82, 42},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(c.pszName);
    cCommandHarness t;
    t.m_Scope.m_Stage.m_adScrollPos[0] = 40;
    t.m_Scope.m_Stage.m_adScrollPos[1] = 0;
    t.m_Scope.m_Stage.m_anViewOffset[0] = 10;
    t.m_Scope.m_Stage.m_anViewOffset[1] = 10;
    t.m_Chara.m_dX = 100;
    t.m_Chara.m_dY = 200;
    t.m_Chara.m_bRight = c.bRight;
    t.m_Chara.m_fnSolid = [](double x, double) { return x >= 400; };  // a wall from x 400
    t.m_Chara.m_dMoveY = 3;
    cEdCommand cmd = MakeCommand(FlowCommandKind::Warp);
    cEdMove& mv = GiveMove(cmd);
    mv.m_byTargetMode = static_cast<uint8_t>(c.nMode);
    mv.m_byDirection = static_cast<uint8_t>(c.nDir);
    mv.m_nRange = static_cast<int16_t>(c.nRange);
    mv.m_byCoordKind = static_cast<uint8_t>(c.nCoord);
    mv.m_nCellX = static_cast<int16_t>(c.nCellX);
    mv.m_nCellY = static_cast<int16_t>(c.nCellY);
    mv.m_nDotX = static_cast<int16_t>(c.nDotX);
    mv.m_nDotY = static_cast<int16_t>(c.nDotY);
    mv.m_byMirrorX = static_cast<uint8_t>(c.bMirrorX);
    mv.m_byMirrorY = 0;
    t.Begin(cmd);
    t.Step();
    EXPECT_NEAR(t.m_Chara.m_dX, c.dX, 1e-9);
    EXPECT_NEAR(t.m_Chara.m_dY, c.dY, 1e-9);
    bool bMoved = t.m_Chara.m_dX != 100 || t.m_Chara.m_dY != 200;
    EXPECT_EQ(t.m_Chara.m_dMoveY, bMoved ? 0 : 3);
    EXPECT_EQ(t.m_Chara.m_bPinned, c.nCoord == 2);
  }
}

TEST_F(ControlCommandTest, WarpToTheTarget) {
  cFakeChara target;
  target.m_dX = 300;
  target.m_dY = 100;
  cEdCommand cmd = MakeCommand(FlowCommandKind::Warp);
  cEdMove& mv = GiveMove(cmd);
  mv.m_byTargetMode = 1;
  mv.m_byDirection = 1;  // behind
  mv.m_nRange = 1;
  h.m_Chara.m_dX = 10;
  h.Begin(cmd);
  h.Step();
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dX, 10);  // no target: nothing
  h.m_Chara.m_pTarget = &target;
  h.Step();
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dX, 300 - 16);
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dY, 100);
}

class AttackCommandTest : public testing::Test {
 protected:
  cCommandHarness h;
};

TEST_F(AttackCommandTest, ShotsAndSummonsFireEveryTick) {
  cEdCommand cmd = MakeCommand(FlowCommandKind::Shot);
  NewEdShot(cmd.m_pShot);
  cmd.m_pShot->m_byPattern = 3;
  cmd.m_nSound = 2;
  cmd.m_byOnScreenOnly = 1;
  h.m_Scope.m_Stage.m_nTick = 10;
  h.Begin(cmd, 30);
  std::string strFired;
  for (int i = 1; i <= 30; ++i) {
    size_t n = h.m_Chara.m_vLog.size();
    h.Step();
    if (h.m_Chara.m_vLog.size() > n) strFired += std::to_string(i) + " ";
  }
  EXPECT_EQ(strFired, "1 11 21 ");
  EXPECT_EQ(h.m_Chara.m_vLog[0], "launch 11 pattern 3");
  EXPECT_EQ(h.m_Scope.m_Stage.m_vLog, (std::vector<std::string>(3, "UM_PLAYSE 18")));

  // Off screen with the on-screen-only byte: fired without the sound.
  h.m_Scope.m_Stage.m_vLog.clear();
  h.m_Chara.m_vLog.clear();
  h.m_Chara.m_bOnScreen = FALSE;
  for (int nKind : {FlowCommandKind::SummonBlock, FlowCommandKind::SummonChara, FlowCommandKind::SummonItem}) {
    cmd.m_byKind = static_cast<uint8_t>(nKind);
    h.Begin(cmd, 1);
    h.Step();
  }
  EXPECT_EQ(h.m_Chara.m_vLog,
            (std::vector<std::string>{"launch 13 pattern 3", "launch 14 pattern 3", "launch 15 pattern 3"}));
  EXPECT_TRUE(h.m_Scope.m_Stage.m_vLog.empty());
}

TEST_F(AttackCommandTest, SwordIsMadeOncePerRunAtItsFirstFrameSize) {
  cScopedOverride<cVector<cEdSwordType>> swords(g_Database.m_vecSwordType);
  g_Database.m_vecSwordType.resize(3);
  g_Database.m_vecSwordType[1].m_vecPart.clear();
  g_Database.m_vecSwordType[2].m_vecPart.resize(2);
  g_Database.m_vecSwordType[2].m_vecPart[0].anPart[7] = 24;
  g_Database.m_vecSwordType[2].m_vecPart[0].anPart[8] = 40;
  cEdCommand cmd = MakeCommand(FlowCommandKind::Sword);
  NewEdShot(cmd.m_pShot);
  struct CASE {
    int nSword;
    std::vector<std::string> vLog;
  } aCase[] = {
      {2, {"sword 24x40"}},
      {1, {}},  // no frames
      {7, {}},  // no such sword
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(c.nSword);
    h.m_Chara.m_vLog.clear();
    cmd.m_pShot->m_bySwordType = static_cast<uint8_t>(c.nSword);
    h.Begin(cmd, 5);
    for (int i = 0; i < 5; ++i) h.Step();
    EXPECT_EQ(h.m_Chara.m_vLog, c.vLog);
  }
}

}  // namespace
