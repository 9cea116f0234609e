// Runs single flow commands on the fake chara and stage: a command made
// from its kind and parameters, stepped sub-step by sub-step as a running
// flow steps it.
#pragma once

#include <memory>
#include <vector>

#include "flow/command_run.h"
#include "records/command_catalogue.h"
#include "tests/flow/fake_flow_host.h"

inline cEdCommand MakeCommand(int nKind, std::vector<int32_t> vParam = {}) {
  cEdCommand cmd;
  cmd.SetDefaults();
  cmd.m_byKind = static_cast<uint8_t>(nKind);
  vParam.resize(g_FlowCommandCatalog.ParamCount(nKind), 0);
  cmd.m_vParam.assign(vParam.begin(), vParam.end());
  return cmd;
}

inline cEdMove& GiveMove(cEdCommand& cmd) {
  NewEdMove(cmd.m_pMove);
  return *cmd.m_pMove;
}

class cCommandHarness {
 public:
  cCommandHarness() {
    m_Flow.m_lpFlow = nullptr;
    g_FlowContext.m_lpCurChara = &m_Chara;
    g_FlowContext.m_lpCurFlow = &m_Flow;
  }
  ~cCommandHarness() {
    g_FlowContext.m_lpCurChara = nullptr;
    g_FlowContext.m_lpCurFlow = nullptr;
    g_FlowContext.m_lpCurCommand = nullptr;
  }
  // A run state for the command lasting nFrames sub-steps at dSpeed pixels
  // per sub-step, reset as the runner resets it.
  cCommandRun& Begin(const cEdCommand& cmd, int32_t nFrames = 1, double dSpeed = 0) {
    m_Cmd = cmd;
    m_Run = cCommandRun{};
    m_Run.m_lpCommand = &m_Cmd;
    m_Run.m_nDuration = nFrames;
    m_Run.m_dSpeed = dSpeed;
    if (m_Cmd.m_pMove) {
      m_Run.m_nDirection = m_Cmd.m_pMove->m_byDirection;
      m_Run.m_dSpeed2 = m_Cmd.m_pMove->m_nSpeed2 * 0.1;
    }
    ResetCommandRun(m_Run);
    return m_Run;
  }
  // One sub-step; 1 when the command finished.
  int Step() { return StepCommand(m_Run); }
  // Steps and then moves the fake chara by its movement of the sub-step, as
  // stage play's physics would.
  void StepAndMove() {
    m_Chara.m_dMoveX = m_Chara.m_dMoveY = 0;
    Step();
    m_Chara.m_dX += m_Chara.m_dMoveX;
    m_Chara.m_dY += m_Chara.m_dMoveY;
  }

  cFakeStageScope m_Scope;
  cFakeChara m_Chara;
  cFlowRun m_Flow;
  cEdCommand m_Cmd;
  cCommandRun m_Run;
};
