#include "flow/command_run.h"

#include <algorithm>

#include "flow/command_executors.h"
#include "flow/flow_host.h"
#include "flow/value_ops.h"
#include "records/command_catalogue.h"

void ExecNothing(cFlowChara&, cCommandRun&, const FLOWPARAMS&) {}

int32_t FramesOfTenths(int64_t nTenths) { return Saturate32(nTenths * 6); }

void CountCommandTick(cCommandRun& run) {
  run.m_bMoveStarted += 1;
  if (run.m_bMoveStarted >= FlowStage().CommandTick()) run.m_bMoveStarted = 0;
}

// Indexed by FlowCommandKind.
const FLOWCOMMANDEXEC g_FlowCommandExec[] = {
    ExecNothing,             // 0  (none)
    ExecNothing,             // 1  Wait
    ExecStraightMove,        // 2  StraightMove
    ExecGroundTurnMove,      // 3  GroundTurnMove
    ExecCircleMove,          // 4  CircleMove
    ExecChargeMove,          // 5  ChargeMove
    ExecHomingMove,          // 6  HomingMove
    ExecAvoidOffscreenMove,  // 7  AvoidOffscreenMove
    ExecDisableMove,         // 8  DisableMove
    ExecChangeDirection,     // 9  ChangeDirection
    ExecJump,                // 10 Jump
    ExecShot,                // 11 Shot
    ExecSword,               // 12 Sword
    ExecSummonBlock,         // 13 SummonBlock
    ExecSummonChara,         // 14 SummonChara
    ExecSummonItem,          // 15 SummonItem
    ExecFlowControl,         // 16 FlowControl
    ExecStageClear,          // 17 StageClear
    ExecGameWait,            // 18 GameWait
    ExecMessage,             // 19 Message
    ExecWarp,                // 20 Warp
    ExecSetTarget,           // 21 SetTarget
    ExecStatusOp,            // 22 StatusOp
    ExecStatusOp2,           // 23 StatusOp2
    ExecGetItem,             // 24 GetItem
    ExecChangeGraphic,       // 25 ChangeGraphic
    ExecChangeBaseAnimeSet,  // 26 ChangeBaseAnimeSet
    ExecRunAnime,            // 27 RunAnime
    ExecRunEffect,           // 28 RunEffect
    ExecRunCharaEffect,      // 29 RunCharaEffect
    ExecRunScreenEffect,     // 30 RunScreenEffect
    ExecShowPicture,         // 31 ShowPicture
    ExecChangeScreenColor,   // 32 ChangeScreenColor
    ExecChangeBackground,    // 33 ChangeBackground
    ExecPlaySe,              // 34 PlaySe
    ExecPlayBgm,             // 35 PlayBgm
    ExecRunCode,             // 36 RunCode
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
  g_FlowCommandExec[nFlowKind](chara, run, params);
}

}  // namespace

namespace {

// The commands that move the chara on their own: once a DisableMove has
// stopped its movement, none of them moves it again in the same update.
bool MovesTheChara(int nKind) {
  return (nKind >= FlowCommandKind::StraightMove && nKind <= FlowCommandKind::AvoidOffscreenMove) ||
         nKind == FlowCommandKind::Jump;
}

}  // namespace

void ExecCommand(cFlowChara& chara, cCommandRun& run) {
  const cEdCommand* pCmd = run.m_lpCommand;
  if (!pCmd || pCmd->m_byList != 0 || !g_FlowCommandCatalog.Has(pCmd->m_byKind)) return;
  if (MovesTheChara(pCmd->m_byKind) && chara.MoveDisabled()) return;
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
