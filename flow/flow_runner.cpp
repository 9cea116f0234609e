#include "flow/flow_runner.h"

#include <algorithm>
#include <climits>

#include "base/message_box.h"
#include "flow/conditions.h"
#include "flow/flow_host.h"
#include "flow/value_ops.h"
#include "platform/text_cp932.h"
#include "records/system.h"

namespace {

void SetNumberFlag(uint8_t* pFlags, int nNo) {
  if (nNo > 0 && nNo < FLOW_STOP_NUMBER_COUNT) pFlags[nNo] = 1;
}

bool NumberFlag(const uint8_t* pFlags, int nNo) { return nNo > 0 && nNo < FLOW_STOP_NUMBER_COUNT && pFlags[nNo]; }

void EndCommands(cFlowRun& run, cFlowChara& chara) {
  for (cCommandRun& c : run.m_vCommand) c.m_nFramesLeft = 0;
  int nNo = run.m_lpFlow ? run.m_lpFlow->m_byStopNo : 0;
  if (nNo != 0) {
    FLOWNUMBERFLAGS& nf = chara.FlowNumbers();
    SetNumberFlag(nf.m_abyStopped, nNo);
    nf.m_bSomeStopped = 1;
  }
}

// Trigger-18 flows run at once inside StartFlow; a command of one that starts
// another such flow nests. Deeper than this is a loop of flows starting each
// other.
constexpr int MAX_AT_ONCE_NESTING = 16;
int s_nAtOnceNesting = 0;  // written and read by the game thread only

void RunAtOnce(cFlowRun& run) {
  FLOWCONTEXT saved = g_FlowContext;
  ++s_nAtOnceNesting;
  run.m_bRunningAtOnce = 1;
  g_FlowContext.m_lpCurFlow = &run;
  run.m_bAbort = 0;
  for (run.m_nFurthest = 0; run.m_nFurthest < static_cast<int32_t>(run.m_vCommand.size()); ++run.m_nFurthest) {
    cCommandRun& c = run.m_vCommand[run.m_nFurthest];
    if (!c.m_lpCommand || c.m_lpCommand->m_byKind < FlowCommandKind::FlowControl || !c.m_lpCommand->m_byWithNext)
      continue;
    if (!StepCommand(c)) ErrorBoxfIfLogging("%s", Sjis("使用時間0なので、ここにくることはあり得ないはず！").c_str());
    if (run.m_bAbort) break;
    c.m_bDone = 1;
  }
  run.m_bRunningAtOnce = 0;
  --s_nAtOnceNesting;
  g_FlowContext.m_lpCurFlow = saved.m_lpCurFlow;
  g_FlowContext.m_lpCurCommand = saved.m_lpCurCommand;
}

}  // namespace

void BuildFlowRuns(cVector<cFlowRun>& vRun, cVector<cEdFlow>& vFlow, const FLOWTIMING& timing) {
  vRun.clear();
  vRun.resize(vFlow.size());
  for (size_t i = 0; i < vFlow.size(); ++i) {
    cFlowRun& run = vRun[i];
    cEdFlow& flow = vFlow[i];
    run.m_nIndex = static_cast<int32_t>(i);
    run.m_lpFlow = &flow;
    // Tags the flow's animations; 0 is left for animations of no flow.
    run.m_nEffectTag = static_cast<int32_t>(i) + 1;
    for (cEdKeyCondition& k : flow.m_vecKeyCondition) run.m_vKeyCondition.push_back(&k);
    run.m_vCommand.resize(flow.m_vecCommand.size());
    for (size_t j = 0; j < flow.m_vecCommand.size(); ++j) {
      cEdCommand& cmd = flow.m_vecCommand[j];
      cCommandRun& c = run.m_vCommand[j];
      c.m_lpCommand = &cmd;
      // Tenths of a second at 60 frames per second, times the frame factor.
      int64_t nTime = static_cast<int64_t>(cmd.m_nTimeBase) + static_cast<int64_t>(cmd.m_nTimeStep) * timing.nStep;
      int64_t nFrames = nTime * timing.nFrameFactor * 6;
      c.m_nDuration = Saturate32(nFrames);
      if (cmd.m_pMove) {
        const cEdMove& mv = *cmd.m_pMove;
        double dDiv = timing.dSpeedDiv != 0 ? timing.dSpeedDiv : 1.0;
        c.m_dSpeed = (mv.m_nSpeed + static_cast<double>(mv.m_nSpeedStep) * timing.nStep) * 0.1 / dDiv;
        if (mv.m_bySpeed2On) c.m_dSpeed2 = mv.m_nSpeed2 * 0.1 / dDiv;
        c.m_nDirection = mv.m_byDirection;
      }
    }
    BuildLeadInSchedule(run, timing);
  }
}

void StartFlow(cFlowRun& run) {
  if (run.m_bRunningAtOnce) return;  // a flow that starts itself while it runs at once
  run.m_nStartCount += 1;
  run.m_bRunning = 1;
  run.m_nFurthest = 0;
  run.m_nFrame = 0;
  run.m_bMessageWait = 0;
  for (cCommandRun& c : run.m_vCommand) c.m_bDone = 0;
  run.m_bStarted = 1;
  if (!run.m_lpFlow) return;
  cFlowChara* pChara = g_FlowContext.m_lpCurChara;
  int nNo = run.m_lpFlow->m_byStopNo;
  if (run.m_lpFlow->m_byTrigger == FlowTrigger::Always && nNo != 0 && pChara) {
    FLOWNUMBERFLAGS& nf = pChara->FlowNumbers();
    SetNumberFlag(nf.m_abyStarted, nNo);
    SetNumberFlag(nf.m_abyStartedThisFrame, nNo);
  }
  if (run.m_lpFlow->m_byTrigger == FlowTrigger::BeforeStageStart && !run.m_vCommand.empty() && pChara &&
      s_nAtOnceNesting < MAX_AT_ONCE_NESTING) {
    RunAtOnce(run);
    StopFlow(run, *pChara);
  }
}

void StartFlow(cFlowChara& chara, cFlowRun& run) {
  cFlowChara* pSaved = g_FlowContext.m_lpCurChara;
  g_FlowContext.m_lpCurChara = &chara;
  StartFlow(run);
  g_FlowContext.m_lpCurChara = pSaved;
}

int RunFlow(cFlowRun& run) {
  g_FlowContext.m_lpCurFlow = &run;
  run.m_bAbort = 0;
  const int32_t nCount = static_cast<int32_t>(run.m_vCommand.size());
  if (nCount == 0) return 1;
  for (int32_t i = 0; i <= run.m_nFurthest && i < nCount; ++i) {
    cCommandRun& c = run.m_vCommand[i];
    if (c.m_bDone) continue;
    const cEdCommand* pCmd = c.m_lpCommand;
    bool bParallel = pCmd && pCmd->m_byWithNext == 1;
    bool bStaying = pCmd && IsStayingMessage(*pCmd);
    if (c.m_nFramesLeft == 0) {
      ResetCommandRun(c);
      if (!bStaying && !bParallel) run.m_bMessageWait = 0;
    }
    // A command that restarted this flow ends its sub-step before anything
    // is marked, so the flow keeps its fresh start and is not stopped as
    // finished.
    const int32_t nStarts = run.m_nStartCount;
    if (bParallel) {
      if (StepCommand(c)) {
        if (run.m_nStartCount != nStarts) return 0;
        c.m_bDone = 1;
        if (i == nCount - 1) return 1;
      }
      if (i == run.m_nFurthest) run.m_nFurthest += 1;
      if (run.m_bAbort) return 0;
      continue;
    }
    if (!StepCommand(c)) {
      if (run.m_bAbort) return 0;
      continue;
    }
    if (run.m_nStartCount != nStarts) return 0;
    c.m_bDone = 1;
    if (bStaying) run.m_bMessageWait = 1;
    if (i == nCount - 1) return 1;
    run.m_nFurthest += 1;
    break;
  }
  if (run.m_vCommand[nCount - 1].m_bDone) return 1;
  run.m_nFrame += 1;
  return 0;
}

void StopFlow(cFlowRun& run, cFlowChara& chara) {
  if (!run.m_bRunning) return;
  run.m_bRunning = 0;
  EndCommands(run, chara);
}

void PauseFlow(cFlowRun& run) { run.m_bPaused = 1; }
void ResumeFlow(cFlowRun& run) { run.m_bPaused = 0; }

void StopFlowForever(cFlowRun& run, cFlowChara& chara) {
  run.m_bStopForever = 1;
  if (run.m_bRunning) EndCommands(run, chara);
}

void ClearTriggerFlags(cFlowChara& chara) {
  for (cFlowRun& run : chara.FlowRuns()) {
    run.m_bTried = 0;
    run.m_bStarted = 0;
  }
  FLOWNUMBERFLAGS& nf = chara.FlowNumbers();
  for (uint8_t& b : nf.m_abyStartedThisFrame) b = 0;
}

void TriggerFlows(cFlowChara& chara, int nTrigger) {
  g_FlowContext.m_lpCurChara = &chara;
  cVector<cFlowRun>& vRun = chara.FlowRuns();
  // By index: the commands of a before-stage-start flow run inside this walk.
  for (size_t i = 0; i < vRun.size(); ++i) {
    cFlowRun& run = vRun[i];
    if (!run.m_lpFlow || run.m_lpFlow->m_byTrigger != nTrigger || run.m_bDeleted) continue;
    // Without the project's retrigger setting a run is raised once until
    // its mark is cleared; with it, by every raise of its trigger.
    if (run.m_bTried && !g_System.m_bRetrigger) continue;
    run.m_bTried = 1;
    if (run.m_bRunning || run.m_bPaused || run.m_bStopForever || run.m_bStarted) continue;
    int nNo = run.m_lpFlow->m_byStopNo;
    if (nTrigger == FlowTrigger::Always && nNo != 0) {
      FLOWNUMBERFLAGS& nf = chara.FlowNumbers();
      if (NumberFlag(nf.m_abyStarted, nNo) || NumberFlag(nf.m_abyStartedThisFrame, nNo)) continue;
    }
    if (!CheckFlowConditions(run, chara) || !chara.KeyConditionsHold(run)) continue;
    run.m_nTriggerKey = chara.FirstPressedKeyHistory();
    StartFlow(run);
  }
  g_FlowContext.m_lpCurChara = nullptr;
  g_FlowContext.m_lpCurFlow = nullptr;
  g_FlowContext.m_lpCurCommand = nullptr;
}

void RunCharaFlows(cFlowChara& chara) {
  g_FlowContext.m_lpCurChara = &chara;
  cVector<cFlowRun>& vRun = chara.FlowRuns();
  const bool bDead = chara.Status(CharaStatus::Hp) < 1;
  for (size_t i = 0; i < vRun.size(); ++i) {
    cFlowRun& run = vRun[i];
    // A run state deleted earlier in this pass waits for its removal below.
    if (!run.m_bRunning || run.m_bPaused || run.m_bStopForever || run.m_bDeleted) continue;
    const int nTrigger = run.m_lpFlow ? run.m_lpFlow->m_byTrigger : -1;
    if (bDead && nTrigger != FlowTrigger::Died) continue;
    if (run.m_vCommand.empty() || RunFlow(run) == 1) StopFlow(run, chara);
    if (chara.IsRemoved() || (!bDead && nTrigger != FlowTrigger::Died && chara.Status(CharaStatus::Hp) < 1)) break;
  }
  g_FlowContext.m_lpCurChara = nullptr;
  g_FlowContext.m_lpCurFlow = nullptr;
  g_FlowContext.m_lpCurCommand = nullptr;
  FLOWNUMBERFLAGS& nf = chara.FlowNumbers();
  if (nf.m_bSomeDeleted) {
    nf.m_bSomeDeleted = 0;
    std::erase_if(vRun, [](const cFlowRun& r) { return r.m_bDeleted != 0; });
  }
  if (nf.m_bSomeStopped) {
    nf.m_bSomeStopped = 0;
    for (int n = 0; n < FLOW_STOP_NUMBER_COUNT; ++n) {
      if (!nf.m_abyStopped[n]) continue;
      nf.m_abyStarted[n] = 0;
      nf.m_abyStopped[n] = 0;
    }
  }
}
