// Executor of the message command: where and how long a text is shown, and
// the frozen game while a stopping message waits in the pause thread.
#include "flow/command_executors.h"
#include "flow/flow_host.h"
#include "flow/flow_runner.h"

namespace {

// The system sound of a new window that waits for the advance key.
constexpr int32_t kMessageOpenSound = 11;

cFlowChara* MessageAnchor(cFlowChara& chara, int32_t nPlacement) {
  if (nPlacement >= 1 && nPlacement <= 3) return &chara;
  if (nPlacement >= 4 && nPlacement <= 6) return FlowStage().FirstPlayer();
  return nullptr;
}

}  // namespace

void ExecMessage(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& p) {
  cFlowStage& stage = FlowStage();
  if (stage.MessageSkip()) return;
  const bool bTakeDown = p[15] != 0;
  int nReplace = -1;
  if (!p[12]) {
    if (bTakeDown) return;
  } else {
    int nShown = stage.FindNumberedMessage(p[13]);
    if (nShown >= 0 && bTakeDown) {
      stage.TakeDownText(nShown);
      return;
    }
    if (bTakeDown) return;
    nReplace = nShown;
  }
  const int32_t nFrames = FramesOfTenths(p[7]);
  const cFlowRun* pFlow = g_FlowContext.m_lpCurFlow;
  const BOOL bMessageWait = pFlow ? pFlow->m_bMessageWait : FALSE;
  const std::string strText = run.m_lpCommand ? run.m_lpCommand->m_strText : std::string();
  int nText = stage.ShowMessage(p, strText, MessageAnchor(chara, p[0]), bMessageWait && nReplace < 0, nReplace);
  if (!p[8]) return;
  if (p[6] == UNTIL_ADVANCE_KEY) {
    stage.ArmKeyWait(1, TRUE, nFrames, bMessageWait);
    if (!bMessageWait) FlowStage().RequestSound(kMessageOpenSound);
  } else if (p[6] == FOR_TIME) {
    stage.ArmKeyWait(1, FALSE, nFrames, bMessageWait);
  }
  // A message shown until the stage ends arms nothing: the frozen frames
  // end by the wait armed last (a spent frame count ends them at once).
  stage.RunPauseThread();
  if (nText >= 0) stage.TakeDownText(nText);
}
