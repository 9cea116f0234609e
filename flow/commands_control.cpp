// Executors of flow control, stage clear, game wait and warp.
#include <algorithm>
#include <cstdint>

#include "flow/command_executors.h"
#include "flow/flow_host.h"
#include "flow/flow_runner.h"
#include "flow/move_rules.h"
#include "records/progress.h"
#include "records/world_map.h"

namespace {

void OperateOnFlow(cFlowChara& chara, cFlowRun& run, int nOp) {
  switch (nOp) {
    case FlowOperation::Start:
      StopFlow(run, chara);
      chara.RemoveFlowAnimes(run.m_nEffectTag);
      StartFlow(chara, run);
      run.m_bAbort = 1;
      break;
    case FlowOperation::End:
      StopFlow(run, chara);
      chara.RemoveFlowAnimes(run.m_nEffectTag);
      run.m_bAbort = 1;
      break;
    case FlowOperation::Pause:
      PauseFlow(run);
      chara.StopFlowAnimes(run.m_nEffectTag);
      run.m_bAbort = 1;
      break;
    case FlowOperation::Resume:
      ResumeFlow(run);
      chara.ResumeFlowAnimes(run.m_nEffectTag);
      break;
    case FlowOperation::Delete:
      // Only marked: the run state is removed at the end of the chara's
      // flow pass, when nothing walks the list any more.
      chara.FlowNumbers().m_bSomeDeleted = 1;
      run.m_bDeleted = 1;
      run.m_bAbort = 1;
      break;
    case FlowOperation::StopForever:
      StopFlowForever(run, chara);
      chara.RemoveFlowAnimes(run.m_nEffectTag);
      run.m_bAbort = 1;
      break;
  }
}

int32_t ClampCell(int32_t n, int32_t nSize) { return std::clamp(n, 0, std::max(nSize - 1, 0)); }

// Moves by d pixels in a resolved direction, one axis after the other.
void WarpBy(cFlowChara& chara, int nDir, double d) {
  const double k = d * g_dDiagonal;
  double dX = 0, dY = 0;
  switch (nDir) {
    case MoveDir::Left: dX = -d; break;
    case MoveDir::Right: dX = d; break;
    case MoveDir::Up: dY = -d; break;
    case MoveDir::Down: dY = d; break;
    case MoveDir::UpLeft: dX = -k; dY = -k; break;
    case MoveDir::DownLeft: dX = -k; dY = k; break;
    case MoveDir::UpRight: dX = k; dY = -k; break;
    case MoveDir::DownRight: dX = k; dY = k; break;
    default: return;
  }
  chara.MoveAxis(0, dX);
  chara.MoveAxis(1, dY);
}

}  // namespace

void ExecFlowControl(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) {
  const int nOp = p[0], nScope = p[1];
  if (nOp < FlowOperation::Start || nOp > FlowOperation::StopForever) return;
  cFlowRun* pCur = g_FlowContext.m_lpCurFlow;
  if (nScope == FlowScope::ThisFlow) {
    if (pCur) OperateOnFlow(chara, *pCur, nOp);
    return;
  }
  if (nScope != FlowScope::AllOthers && nScope != FlowScope::ById) return;
  // By index: a flow started here may run its commands at once, and those
  // may reach this list again (they only mark run states, never erase).
  cVector<cFlowRun>& vRun = chara.FlowRuns();
  for (size_t i = 0; i < vRun.size(); ++i) {
    cFlowRun& run = vRun[i];
    if (nScope == FlowScope::AllOthers && &run == pCur) continue;
    if (nScope == FlowScope::ById &&
        (!run.m_lpFlow || run.m_lpFlow->m_byFlowId == 0 || run.m_lpFlow->m_byFlowId != p[2]))
      continue;
    OperateOnFlow(chara, run, nOp);
  }
}

void ExecStageClear(cFlowChara&, cCommandRun&, const FLOWPARAMS& p) {
  cFlowStage& stage = FlowStage();
  switch (p[0]) {
    case 0: stage.NextStage() = g_Progress.m_nArea + 1; break;
    case 1: stage.NextStage() = p[1]; break;
    case 2: stage.NextStage() = 0; break;
    default: break;
  }
  if (p[2] != 0) {
    g_Progress.m_nMapX = ClampCell(p[3], g_WorldMap.m_nWidth);
    g_Progress.m_nMapY = ClampCell(p[4], g_WorldMap.m_nHeight);
    g_Progress.m_nFacing = 0;
  }
  stage.StageClearRequest() = 1;
}

void ExecGameWait(cFlowChara&, cCommandRun&, const FLOWPARAMS& p) {
  cFlowStage& stage = FlowStage();
  const int32_t nFrames = FramesOfTenths(p[0]);
  int nText = stage.AddWaitText(nFrames);
  stage.SetGameWait(nFrames);
  stage.RunPauseThread();
  if (nText >= 0) stage.TakeDownText(nText);
}

void ExecWarp(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  const cEdMove& move = MoveOf(run);
  cFlowStage& stage = FlowStage();
  const int nMode = move.m_byTargetMode;
  cFlowChara* pTarget = chara.Target();
  if (nMode == 1 && !pTarget) return;
  if (nMode < 0 || nMode > 2) return;
  chara.ClearScreenPinning();
  chara.SaveWarpOrigin();
  const double d = (move.m_nRange + static_cast<double>(move.m_nRangeStep) * chara.StepFactor()) * 16;
  bool bPin = false;
  double dPinX = 0, dPinY = 0;
  if (nMode == 0) {
    WarpBy(chara, ResolveMoveDirection(chara, move.m_byDirection), d);
  } else if (nMode == 1) {
    double dTX, dTY, dW, dH;
    pTarget->Centre(dTX, dTY);
    chara.BoxSize(dW, dH);
    chara.SetPosition(dTX - dW / 2, dTY - dH / 2);
    WarpBy(chara, ResolveMoveDirection(chara, move.m_byDirection), d);
  } else {
    double dDX = move.m_nCellX * 32.0 + move.m_nDotX, dDY = move.m_nCellY * 32.0 + move.m_nDotY;
    if (chara.FacesRight()) {
      if (move.m_byMirrorX) dDX = -dDX;
      if (move.m_byMirrorY) dDY = -dDY;
    }
    switch (move.m_byCoordKind) {
      case 0:
        chara.MoveAxis(0, dDX);
        chara.MoveAxis(1, dDY);
        break;
      case 1:
        chara.WarpToCell(move.m_nCellX, move.m_nCellY);
        chara.MoveAxis(0, move.m_nDotX);
        chara.MoveAxis(1, move.m_nDotY);
        break;
      case 2:
        dPinX = stage.ViewOffset(0) + dDX;
        dPinY = stage.ViewOffset(1) + dDY;
        chara.SetPosition(stage.ScrollPos(0) + dPinX, stage.ScrollPos(1) + dPinY);
        bPin = true;
        break;
      default: break;
    }
  }
  if (!chara.WarpSpotFree()) {
    chara.RestoreWarpOrigin();
    return;
  }
  if (!chara.CanFly()) chara.ClearVerticalMove();
  if (bPin) chara.PinToScreen(dPinX, dPinY);
}
