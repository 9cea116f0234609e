// Executors of the shot, sword and summon commands, and the command sound
// they share with the other executors.
#include "flow/command_executors.h"
#include "flow/flow_host.h"
#include "records/database.h"

void RequestProjectSound(int32_t n) {
  if (n == 0) return;
  FlowStage().RequestSound(n + 16);
}

void PlayCommandSound(cFlowChara& chara, const cEdCommand* pCmd) {
  if (!pCmd) return;
  if (pCmd->m_byOnScreenOnly && !chara.IsOnScreen()) return;
  // The 16-bit sound number is unsigned: a high one is no system sound.
  RequestProjectSound(static_cast<uint16_t>(pCmd->m_nSound));
}

const cEdShot& ShotOf(const cCommandRun& run) {
  if (run.m_lpCommand && run.m_lpCommand->m_pShot) return *run.m_lpCommand->m_pShot;
  static const cEdShot s_Default = [] {
    cEdShot s;
    s.SetDefaults();
    return s;
  }();
  return s_Default;
}

namespace {

// Fires at the first step and again every T steps while the command lasts.
void LaunchEveryTick(int nKind, cFlowChara& chara, cCommandRun& run) {
  if (run.m_bMoveStarted == 0) {
    PlayCommandSound(chara, run.m_lpCommand);
    chara.Launch(nKind, run, ShotOf(run));
  }
  CountCommandTick(run);
}

}  // namespace

void ExecShot(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  LaunchEveryTick(FlowCommandKind::Shot, chara, run);
}
void ExecSummonBlock(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  LaunchEveryTick(FlowCommandKind::SummonBlock, chara, run);
}
void ExecSummonChara(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  LaunchEveryTick(FlowCommandKind::SummonChara, chara, run);
}
void ExecSummonItem(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  LaunchEveryTick(FlowCommandKind::SummonItem, chara, run);
}

void ExecSword(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS&) {
  if (run.m_bMoveStarted != 0) return;
  run.m_bMoveStarted = 1;  // one sword per run of the command
  PlayCommandSound(chara, run.m_lpCommand);
  const cEdShot& shot = ShotOf(run);
  // An unknown sword or one without frames is reported (and play asked to
  // close) by the checked access; no sword is made from its stand-in.
  cEdSwordType* pSword = CheckedEntry(g_Database.m_vecSwordType, shot.m_bySwordType);
  if (!pSword) return;
  const cEdSwordPart* pFirst = CheckedEntry(pSword->m_vecPart, 0);
  if (!pFirst) return;
  chara.AddSword(run, shot, pFirst->anPart[7], pFirst->anPart[8]);
}
