#include "flow/command_run.h"

#include <algorithm>

#include "flow/command_executors.h"
#include "flow/flow_host.h"
#include "records/command_catalogue.h"

void ExecEndAtOnce(cFlowChara&, cCommandRun& run, const FLOWPARAMS&) { run.m_nFramesLeft = 1; }
void ExecNothing(cFlowChara&, cCommandRun&, const FLOWPARAMS&) {}

// Indexed by FlowCommandKind; the second column marks the executors built.
const FLOWCOMMANDENTRY g_FlowCommandExec[] = {
    {ExecNothing, 1},     // 0  (none)
    {ExecNothing, 1},     // 1  Wait
    {ExecEndAtOnce, 0},   // 2  StraightMove
    {ExecEndAtOnce, 0},   // 3  GroundTurnMove
    {ExecEndAtOnce, 0},   // 4  CircleMove
    {ExecEndAtOnce, 0},   // 5  ChargeMove
    {ExecEndAtOnce, 0},   // 6  HomingMove
    {ExecEndAtOnce, 0},   // 7  AvoidOffscreenMove
    {ExecEndAtOnce, 0},   // 8  DisableMove
    {ExecEndAtOnce, 0},   // 9  ChangeDirection
    {ExecEndAtOnce, 0},   // 10 Jump
    {ExecEndAtOnce, 0},   // 11 Shot
    {ExecEndAtOnce, 0},   // 12 Sword
    {ExecEndAtOnce, 0},   // 13 SummonBlock
    {ExecEndAtOnce, 0},   // 14 SummonChara
    {ExecEndAtOnce, 0},   // 15 SummonItem
    {ExecEndAtOnce, 0},   // 16 FlowControl
    {ExecEndAtOnce, 0},   // 17 StageClear
    {ExecEndAtOnce, 0},   // 18 GameWait
    {ExecEndAtOnce, 0},   // 19 Message
    {ExecEndAtOnce, 0},   // 20 Warp
    {ExecSetTarget, 1},   // 21 SetTarget
    {ExecStatusOp, 1},    // 22 StatusOp
    {ExecStatusOp2, 1},   // 23 StatusOp2
    {ExecEndAtOnce, 0},   // 24 GetItem
    {ExecEndAtOnce, 0},   // 25 ChangeGraphic
    {ExecEndAtOnce, 0},   // 26 ChangeBaseAnimeSet
    {ExecEndAtOnce, 0},   // 27 RunAnime
    {ExecEndAtOnce, 0},   // 28 RunEffect
    {ExecEndAtOnce, 0},   // 29 RunCharaEffect
    {ExecEndAtOnce, 0},   // 30 RunScreenEffect
    {ExecEndAtOnce, 0},   // 31 ShowPicture
    {ExecEndAtOnce, 0},   // 32 ChangeScreenColor
    {ExecEndAtOnce, 0},   // 33 ChangeBackground
    {ExecEndAtOnce, 0},   // 34 PlaySe
    {ExecEndAtOnce, 0},   // 35 PlayBgm
    {ExecRunCode, 1},     // 36 RunCode
};
static_assert(sizeof(g_FlowCommandExec) / sizeof(g_FlowCommandExec[0]) == FLOW_COMMAND_KIND_COUNT);

int32_t CommandParam(const cEdCommand& cmd, int i) {
  return (i >= 0 && static_cast<size_t>(i) < cmd.m_vParam.size()) ? cmd.m_vParam[i] : 0;
}

bool IsStayingMessage(const cEdCommand& cmd) {
  return cmd.m_byList == 0 && cmd.m_byKind == FlowCommandKind::Message && CommandParam(cmd, 15) == 0 &&
         CommandParam(cmd, 6) == 0;
}

void ResetCommandRun(cCommandRun& run) {
  run.m_nFramesLeft = run.m_nDuration;
  run.m_bDone = 0;
  run.m_bMoveStarted = 0;
  run.m_bMoveStarted2 = 0;
  run.m_dPhaseX = 0;
  run.m_dPhaseY = 0;
}

namespace {

// The one check of a parameter list: what the file left out reads as 0, and
// what lies beyond the kind's count is not seen.
void RunExecutor(int nFlowKind, const cEdCommand& cmd, cFlowChara& chara, cCommandRun& run) {
  FLOWPARAMS params{};
  int nCount = std::min<int>({g_FlowCommandCatalog.ParamCount(nFlowKind), MAX_FLOW_COMMAND_PARAMS,
                              static_cast<int>(cmd.m_vParam.size())});
  for (int i = 0; i < nCount; ++i) params.p[i] = cmd.m_vParam[i];
  g_FlowCommandExec[nFlowKind].pfnExec(chara, run, params);
}

}  // namespace

void ExecCommand(cFlowChara& chara, cCommandRun& run) {
  const cEdCommand* pCmd = run.m_lpCommand;
  if (!pCmd || pCmd->m_byList != 0 || !g_FlowCommandCatalog.Has(pCmd->m_byKind)) return;
  RunExecutor(pCmd->m_byKind, *pCmd, chara, run);
}

void ExecListCommand(cFlowChara& chara, cEdCommand& cmd) {
  int nKind = FlowKindOfCommand(cmd.m_byList, cmd.m_byKind);
  if (nKind < FlowCommandKind::StageClear) return;
  cCommandRun run;
  run.m_lpCommand = &cmd;
  RunExecutor(nKind, cmd, chara, run);
}

int StepCommand(cCommandRun& run) {
  g_FlowContext.m_lpCurCommand = &run;
  if (g_FlowContext.m_lpCurChara) ExecCommand(*g_FlowContext.m_lpCurChara, run);
  run.m_nFramesLeft -= 1;
  if (run.m_nFramesLeft > 0) return 0;
  run.m_nFramesLeft = 0;
  return 1;
}
