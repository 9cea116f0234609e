#include "flow/command_run.h"

#include <algorithm>

#include "flow/command_executors.h"
#include "flow/flow_host.h"
#include "records/command_catalogue.h"

void ExecNothing(cFlowChara&, cCommandRun&, const FLOWPARAMS&) {}

// Indexed by FlowCommandKind; the second column marks the executors built.
const FLOWCOMMANDENTRY g_FlowCommandExec[] = {
    {ExecNothing, 1},             // 0  (none)
    {ExecNothing, 1},             // 1  Wait
    {ExecStraightMove, 1},        // 2  StraightMove
    {ExecGroundTurnMove, 1},      // 3  GroundTurnMove
    {ExecCircleMove, 1},          // 4  CircleMove
    {ExecChargeMove, 1},          // 5  ChargeMove
    {ExecHomingMove, 1},          // 6  HomingMove
    {ExecAvoidOffscreenMove, 1},  // 7  AvoidOffscreenMove
    {ExecDisableMove, 1},         // 8  DisableMove
    {ExecChangeDirection, 1},     // 9  ChangeDirection
    {ExecJump, 1},                // 10 Jump
    {ExecShot, 1},                // 11 Shot
    {ExecSword, 1},               // 12 Sword
    {ExecSummonBlock, 1},         // 13 SummonBlock
    {ExecSummonChara, 1},         // 14 SummonChara
    {ExecSummonItem, 1},          // 15 SummonItem
    {ExecFlowControl, 1},         // 16 FlowControl
    {ExecStageClear, 1},          // 17 StageClear
    {ExecGameWait, 1},            // 18 GameWait
    {ExecMessage, 1},             // 19 Message
    {ExecWarp, 1},                // 20 Warp
    {ExecSetTarget, 1},           // 21 SetTarget
    {ExecStatusOp, 1},            // 22 StatusOp
    {ExecStatusOp2, 1},           // 23 StatusOp2
    {ExecGetItem, 1},             // 24 GetItem
    {ExecChangeGraphic, 1},       // 25 ChangeGraphic
    {ExecChangeBaseAnimeSet, 1},  // 26 ChangeBaseAnimeSet
    {ExecRunAnime, 1},            // 27 RunAnime
    {ExecRunEffect, 1},           // 28 RunEffect
    {ExecRunCharaEffect, 1},      // 29 RunCharaEffect
    {ExecRunScreenEffect, 1},     // 30 RunScreenEffect
    {ExecShowPicture, 1},         // 31 ShowPicture
    {ExecChangeScreenColor, 1},   // 32 ChangeScreenColor
    {ExecChangeBackground, 1},    // 33 ChangeBackground
    {ExecPlaySe, 1},              // 34 PlaySe
    {ExecPlayBgm, 1},             // 35 PlayBgm
    {ExecRunCode, 1},             // 36 RunCode
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
