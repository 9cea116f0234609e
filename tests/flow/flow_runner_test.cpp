#include "flow/flow_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "records/command_catalogue.h"
#include "records/system.h"
#include "tests/flow/fake_flow_host.h"
#include "tests/support/flow_fixtures.h"

namespace {

struct CMD {
  int nTime;       // tenths of a second
  int bParallel;
};

// A command that adds 1 to stage variable nIndex each time it is stepped, so
// the stage variables show which commands a sub-step stepped.
cEdCommand CountingCommand(int nIndex, const CMD& c) {
  cEdCommand cmd;
  cmd.SetDefaults();
  cmd.m_byKind = FlowCommandKind::StatusOp;
  cmd.m_vParam.assign(g_FlowCommandCatalog.ParamCount(FlowCommandKind::StatusOp), 0);
  cmd.m_vParam[0] = 1;       // a variable
  cmd.m_vParam[1] = 1;       // of the stage
  cmd.m_vParam[2] = nIndex;
  cmd.m_vParam[5] = AssignOp::Add;
  cmd.m_vParam[7] = 1;
  cmd.m_nTimeBase = static_cast<int16_t>(c.nTime);
  cmd.m_byWithNext = static_cast<uint8_t>(c.bParallel);
  return cmd;
}

cEdFlow MakeFlow(int nTrigger, const std::vector<CMD>& vCmd, int nStopNo = 0) {
  cEdFlow f;
  f.m_byTrigger = static_cast<uint8_t>(nTrigger);
  f.m_byStopNo = static_cast<uint8_t>(nStopNo);
  for (size_t i = 0; i < vCmd.size(); ++i) f.m_vecCommand.push_back(CountingCommand(static_cast<int>(i), vCmd[i]));
  return f;
}

class FlowRunnerTest : public testing::Test {
 protected:
  void Build(cVector<cEdFlow> vFlow, int nFrameFactor) {
    m_vFlow = std::move(vFlow);
    FLOWTIMING t;
    t.nFrameFactor = nFrameFactor;
    BuildFlowRuns(m_Chara.m_vRun, m_vFlow, t);
  }
  void Start(int nRun) {
    g_FlowContext.m_lpCurChara = &m_Chara;
    StartFlow(m_Chara.m_vRun[nRun]);
    g_FlowContext.m_lpCurChara = nullptr;
  }
  // One sub-step in stage play's order; gives the indices of the commands
  // stepped, "-" for none, and "." when flow 0 is no longer running after it.
  std::string SubStep(int nTrigger) {
    std::vector<int32_t> vBefore(m_Scope.m_Stage.m_vVar.begin(), m_Scope.m_Stage.m_vVar.end());
    ClearTriggerFlags(m_Chara);
    if (nTrigger >= 0) TriggerFlows(m_Chara, nTrigger);
    RunCharaFlows(m_Chara);
    std::string s;
    for (size_t i = 0; i < vBefore.size(); ++i)
      if (m_Scope.m_Stage.m_vVar[i] != vBefore[i]) s += std::to_string(i);
    if (s.empty()) s = "-";
    if (m_Chara.m_vRun.empty() || !m_Chara.m_vRun[0].m_bRunning) s += ".";
    return s;
  }
  // nFrames sub-steps, equal neighbours written once as "entry*count"; the
  // action of a frame runs before its sub-step.
  std::string Trace(int nFrames, int nTrigger = -1, std::function<void(int)> action = {}) {
    std::vector<std::pair<std::string, int>> v;
    for (int f = 1; f <= nFrames; ++f) {
      if (action) action(f);
      std::string s = SubStep(nTrigger);
      if (!v.empty() && v.back().first == s) ++v.back().second;
      else v.push_back({s, 1});
    }
    std::string out;
    for (auto& [s, n] : v) out += (out.empty() ? "" : " ") + s + (n > 1 ? "*" + std::to_string(n) : "");
    return out;
  }

  cFakeStageScope m_Scope;
  cFakeChara m_Chara;
  cVector<cEdFlow> m_vFlow;
};

TEST(BuildFlowRuns, DurationsAndSpeedsFromTheStepFactorAndTheStage) {
  cVector<cEdFlow> vFlow{MakeFlow(FlowTrigger::Always, {{2, 0}, {-1, 0}})};
  cEdCommand& cmd = vFlow[0].m_vecCommand[0];
  cmd.m_nTimeStep = 1;
  cmd.m_pMove = std::make_shared<cEdMove>();
  cmd.m_pMove->m_nSpeed = 30;
  cmd.m_pMove->m_nSpeedStep = 2;
  cmd.m_pMove->m_nSpeed2 = 8;
  cmd.m_pMove->m_bySpeed2On = 1;
  cmd.m_pMove->m_byDirection = 7;
  vFlow[0].m_vecCommand[1].m_pMove.reset();  // a file may leave the move out
  cVector<cFlowRun> vRun;
  BuildFlowRuns(vRun, vFlow, FLOWTIMING{5, 3, 2.0});
  ASSERT_EQ(vRun.size(), 1u);
  const cCommandRun& c = vRun[0].m_vCommand[0];
  EXPECT_EQ(c.m_nDuration, (2 + 1 * 5) * 3 * 6);
  EXPECT_DOUBLE_EQ(c.m_dSpeed, (30 + 2 * 5) * 0.1 / 2.0);
  EXPECT_DOUBLE_EQ(c.m_dSpeed2, 8 * 0.1 / 2.0);
  EXPECT_EQ(c.m_nDirection, 7);
  EXPECT_EQ(vRun[0].m_vCommand[1].m_nDuration, -18);  // steps once, as duration 0
  EXPECT_EQ(vRun[0].m_vCommand[1].m_dSpeed, 0.0);
}

TEST_F(FlowRunnerTest, SequentialAndParallelTimingAtEachFrameFactor) {
  struct Case {
    const char* name;
    std::vector<CMD> vCmd;
    int nFrameFactor;
    int nFrames;
    const char* trace;
  } cases[] = {
      {"duration 0 ends in its first frame", {{0, 0}}, 1, 2, "0. -."},
      {"duration 0 at factor 3", {{0, 0}}, 3, 2, "0. -."},
      {"1 tenth is 6 frames", {{1, 0}, {0, 0}}, 1, 8, "0*6 1. -."},
      {"1 tenth at factor 3 is 18 frames", {{1, 0}, {0, 0}}, 3, 20, "0*18 1. -."},
      {"5 tenths is 30 frames, the next starts on the 31st", {{5, 0}, {0, 0}}, 1, 32, "0*30 1. -."},
      {"5 tenths at factor 3", {{5, 0}, {0, 0}}, 3, 92, "0*90 1. -."},
      {"a negative time steps once", {{-1, 0}, {0, 0}}, 1, 3, "0 1. -."},
      {"parallel commands start with the first sequential one", {{0, 1}, {0, 1}, {0, 1}, {0, 0}, {0, 0}}, 1, 3,
       "0123 4. -."},
      {"the flow ends with its last command while a parallel one runs", {{5, 1}, {1, 0}}, 1, 8, "01*5 01. -.*2"},
      {"a parallel command in the middle", {{1, 0}, {0, 1}, {1, 0}}, 1, 14, "0*6 12 2*4 2. -.*2"},
      {"a parallel command in the middle at factor 3", {{1, 0}, {0, 1}, {0, 0}}, 3, 20, "0*18 12. -."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_Scope.m_Stage.m_vVar.assign(10, 0);
    Build({MakeFlow(FlowTrigger::ByFlowControl, c.vCmd)}, c.nFrameFactor);
    Start(0);
    EXPECT_EQ(Trace(c.nFrames), c.trace);
  }
}

TEST_F(FlowRunnerTest, PauseResumeRestartAndStopForGood) {
  struct Case {
    const char* name;
    std::function<void(cFlowRun&, cFlowChara&, int)> action;
    const char* trace;
  } cases[] = {
      {"paused on frames 3 and 4, the command keeps its frames left",
       [](cFlowRun& r, cFlowChara&, int f) {
         if (f == 3) PauseFlow(r);
         if (f == 5) ResumeFlow(r);
       },
       "0*2 -*2 0*4 1. -."},
      {"stopped on frame 3 and started again: from the first command",
       [this](cFlowRun& r, cFlowChara& ch, int f) {
         if (f == 3) StopFlow(r, ch);
         if (f == 4) Start(0);
       },
       "0*2 -. 0*6 1."},
      {"stopped for good while running: never advanced again",
       [](cFlowRun& r, cFlowChara& ch, int f) {
         if (f == 3) StopFlowForever(r, ch);
       },
       "0*2 -*8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_Scope.m_Stage.m_vVar.assign(10, 0);
    Build({MakeFlow(FlowTrigger::ByFlowControl, {{1, 0}, {0, 0}})}, 1);
    Start(0);
    EXPECT_EQ(Trace(10, -1, [&](int f) { c.action(m_Chara.m_vRun[0], m_Chara, f); }), c.trace);
  }
}

TEST_F(FlowRunnerTest, TriggersStartOnlyWhatMayStart) {
  // An always flow restarts in the frame after it ends.
  Build({MakeFlow(FlowTrigger::Always, {{0, 0}, {0, 0}})}, 1);
  EXPECT_EQ(Trace(5, FlowTrigger::Always), "0 1. 0 1. 0");

  // A flow of another trigger does not start; one stopped for good never does.
  Build({MakeFlow(FlowTrigger::Damaged, {{0, 0}})}, 1);
  EXPECT_EQ(Trace(2, FlowTrigger::Always), "-.*2");
  EXPECT_EQ(Trace(1, FlowTrigger::Damaged), "0.");
  StopFlowForever(m_Chara.m_vRun[0], m_Chara);
  EXPECT_EQ(Trace(2, FlowTrigger::Damaged), "-.*2");

  // Conditions and key conditions must hold; the first pressed key is kept.
  Build({MakeFlow(FlowTrigger::Always, {{1, 0}})}, 1);
  m_Chara.m_bKeysHold = FALSE;
  EXPECT_EQ(Trace(1, FlowTrigger::Always), "-.");
  m_Chara.m_bKeysHold = TRUE;
  m_Chara.m_nPressedKey = 4;
  EXPECT_EQ(Trace(1, FlowTrigger::Always), "0");
  EXPECT_EQ(m_Chara.m_vRun[0].m_nTriggerKey, 4);
}

TEST_F(FlowRunnerTest, StopNumbersLetOneAlwaysFlowRunAtATime) {
  cEdFlow a = MakeFlow(FlowTrigger::Always, {{1, 0}}, 2);
  cEdCondition cond;
  cond.m_byKind = FlowConditionKind::CommonVarCondition;
  cond.m_nVarIndex = 1;
  cond.m_byCompareOp = CompareOp::Equal;
  a.m_vecCondition.push_back(cond);
  cEdFlow b = MakeFlow(FlowTrigger::Always, {{0, 0}}, 2);
  b.m_vecCommand[0] = CountingCommand(5, {0, 0});
  Build({a, b}, 1);
  // A holds number 2 for its six frames; the number is released at the end
  // of the pass in which A stops, so B may start in the next frame.
  EXPECT_EQ(Trace(6, FlowTrigger::Always, [](int f) {
              if (f == 2) CommonVars()[1] = 1;
            }),
            "0*5 0.");
  EXPECT_EQ(Trace(1, FlowTrigger::Always), "5.");
  // A number beyond the letters names no flag and blocks nothing.
  m_Scope.m_Stage.m_vVar.assign(10, 0);
  Build({MakeFlow(FlowTrigger::Always, {{1, 0}}, 200), MakeFlow(FlowTrigger::Always, {{0, 0}}, 200)}, 1);
  EXPECT_EQ(Trace(1, FlowTrigger::Always), "0");
  EXPECT_EQ(m_Chara.m_vRun[1].m_bRunning, 0);  // it ran and ended in the same frame
  EXPECT_EQ(m_Scope.m_Stage.m_vVar[0], 2);
}

TEST_F(FlowRunnerTest, BeforeStageStartRunsInstantParallelCommandsAtOnce) {
  cEdFlow f = MakeFlow(FlowTrigger::BeforeStageStart, {{0, 1}, {0, 0}, {0, 1}, {5, 1}, {0, 1}});
  f.m_vecCommand[2].m_byKind = FlowCommandKind::Wait;  // kinds below 16 are passed over
  Build({f}, 1);
  g_FlowContext.m_lpCurChara = &m_Chara;
  TriggerFlows(m_Chara, FlowTrigger::BeforeStageStart);
  const cVector<int32_t>& v = m_Scope.m_Stage.m_vVar;
  EXPECT_EQ((std::vector<int32_t>{v[0], v[1], v[2], v[3], v[4]}), (std::vector<int32_t>{1, 0, 0, 1, 1}));
  EXPECT_EQ(m_Chara.m_vRun[0].m_bRunning, 0);
  EXPECT_EQ(g_FlowContext.m_lpCurChara, nullptr);
}

TEST_F(FlowRunnerTest, AStayingMessageKeepsTheWaitUntilTheNextSequentialCommand) {
  cEdFlow f = MakeFlow(FlowTrigger::ByFlowControl, {{0, 0}, {0, 1}, {1, 0}});
  f.m_vecCommand[0] = CountingCommand(0, {0, 0});
  f.m_vecCommand[0].m_byKind = FlowCommandKind::Message;
  f.m_vecCommand[0].m_vParam.assign(17, 0);  // parameters 15 and 6 both 0
  f.m_vecCommand[1].m_byKind = FlowCommandKind::Message;
  f.m_vecCommand[1].m_vParam.assign(17, 0);
  f.m_vecCommand[1].m_vParam[6] = 1;         // parallel, and one that goes
  Build({f}, 1);
  Start(0);
  std::string s;
  for (int i = 0; i < 3; ++i) {
    SubStep(-1);
    s += std::to_string(m_Chara.m_vRun[0].m_bMessageWait);
  }
  // Set when the message ends; the parallel message leaves it; the wait
  // command clears it when it starts.
  EXPECT_EQ(s, "100");
}

TEST_F(FlowRunnerTest, ABeforeStageStartFlowThatStartsItselfIsRefused) {
  // The target command of each flow starts the flow again, as a flow-control
  // command may; the first flow's also starts the second, which starts the
  // first: neither runs twice, and the context comes back.
  struct cStartingChara : cFakeChara {
    void ChooseTarget(const int32_t* p, int) override {
      ++m_nCalls;
      StartFlow(m_vRun[p[0]]);
      StartFlow(m_vRun[1 - p[0]]);
    }
    int m_nCalls = 0;
  } chara;
  cVector<cEdFlow> vFlow{MakeFlow(FlowTrigger::BeforeStageStart, {{0, 1}}),
                         MakeFlow(FlowTrigger::BeforeStageStart, {{0, 1}})};
  for (int i = 0; i < 2; ++i) {
    vFlow[i].m_vecCommand[0].m_byKind = FlowCommandKind::SetTarget;
    vFlow[i].m_vecCommand[0].m_vParam.assign(10, 0);
    vFlow[i].m_vecCommand[0].m_vParam[0] = i;
  }
  BuildFlowRuns(chara.m_vRun, vFlow, FLOWTIMING{});
  StartFlow(chara, chara.m_vRun[0]);
  EXPECT_EQ(chara.m_nCalls, 2);
  EXPECT_EQ(chara.m_vRun[0].m_bRunning, 0);
  EXPECT_EQ(chara.m_vRun[1].m_bRunning, 0);
  EXPECT_EQ(g_FlowContext.m_lpCurChara, nullptr);
  EXPECT_EQ(g_FlowContext.m_lpCurFlow, nullptr);
}

TEST_F(FlowRunnerTest, CommandsOutsideTheCatalogueAndShortParameterListsDoNothing) {
  cEdFlow f = MakeFlow(FlowTrigger::ByFlowControl, {{0, 0}, {0, 0}, {0, 0}, {0, 0}});
  f.m_vecCommand[0].m_byKind = 200;             // no such kind
  f.m_vecCommand[1].m_byList = 1;               // an item command in a flow list
  f.m_vecCommand[2].m_vParam.resize(3);         // add by p7, which the file left out: 0
  f.m_vecCommand[3].m_pMove.reset();
  Build({f}, 1);
  Start(0);
  EXPECT_EQ(Trace(5), "-*3 3. -.");
  EXPECT_EQ(m_Scope.m_Stage.m_vVar[2], 0);
}

TEST_F(FlowRunnerTest, RunStatesMarkedDeletedMidPassGoAtItsEnd) {
  // The second flow's target command marks the first flow deleted in the
  // middle of the pass, as the flow-control command does.
  struct cDeletingChara : cFakeChara {
    void ChooseTarget(const int32_t*, int) override {
      m_vRun[0].m_bDeleted = 1;
      m_Numbers.m_bSomeDeleted = 1;
    }
  } chara;
  cVector<cEdFlow> vFlow{MakeFlow(FlowTrigger::Always, {{1, 0}}), MakeFlow(FlowTrigger::Always, {{0, 0}, {0, 0}})};
  vFlow[1].m_vecCommand[0].m_byKind = FlowCommandKind::SetTarget;
  vFlow[1].m_vecCommand[0].m_vParam.assign(10, 0);
  BuildFlowRuns(chara.m_vRun, vFlow, FLOWTIMING{});
  ClearTriggerFlags(chara);
  TriggerFlows(chara, FlowTrigger::Always);
  RunCharaFlows(chara);
  ASSERT_EQ(chara.m_vRun.size(), 1u);
  EXPECT_EQ(chara.m_vRun[0].m_lpFlow, &vFlow[1]);
  EXPECT_EQ(chara.m_Numbers.m_bSomeDeleted, 0);
  ClearTriggerFlags(chara);
  RunCharaFlows(chara);
  EXPECT_EQ(m_Scope.m_Stage.m_vVar[1], 1);
}

TEST_F(FlowRunnerTest, DeadCharaRunsOnlyItsDeathFlows) {
  Build({MakeFlow(FlowTrigger::ByFlowControl, {{1, 0}}), MakeFlow(FlowTrigger::Died, {{1, 0}})}, 1);
  Start(0);
  Start(1);
  m_Chara.m_anStatus[CharaStatus::Hp] = 0;
  SubStep(-1);
  EXPECT_EQ(m_Scope.m_Stage.m_vVar[0], 1);  // the command's own index: both count into 0
}

}  // namespace

TEST_F(FlowRunnerTest, ARunFailedByItsConditionsWaitsForTheNextFrameUnlessTheProjectRetriggers) {
  cEdFlow f = MakeFlow(FlowTrigger::HitBlock, {{0, 0}});
  f.m_vecCondition.push_back(MakeVarEqualsCondition(FlowConditionKind::CommonVarCondition, 1, 1));
  const uint32_t bSaved = g_System.m_bRetrigger;
  for (uint32_t bRetrigger : {0u, 1u}) {
    SCOPED_TRACE(bRetrigger);
    g_System.m_bRetrigger = bRetrigger;
    Build({f}, 1);
    CommonVars()[1] = 0;
    ClearTriggerFlags(m_Chara);
    TriggerFlows(m_Chara, FlowTrigger::HitBlock);
    // The conditions hold for the second raise of the same frame.
    CommonVars()[1] = 1;
    TriggerFlows(m_Chara, FlowTrigger::HitBlock);
    EXPECT_EQ(m_Chara.m_vRun[0].m_bRunning, static_cast<int>(bRetrigger));
  }
  g_System.m_bRetrigger = bSaved;
}
