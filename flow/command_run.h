// cCommandRun, the play-time state of one command of a running flow, and the
// steps that dispatch it: ResetCommandRun, ExecCommand and StepCommand.
// Executors take (chara, run, parameters); the parameter count is checked
// once against the command catalogue before any executor runs.
#pragma once

#include <cstdint>

#include "base/checked_containers.h"
#include "records/flow_enums.h"
#include "records/flow_records.h"

class cFlowChara;

// The longest parameter list of a flow command (StatusOp).
constexpr int MAX_FLOW_COMMAND_PARAMS = 18;

// A homing command's remembered target position.
struct TARGETPOINT {
  int32_t nX, nY;
};

class cCommandRun {
 public:
  cEdCommand* m_lpCommand = nullptr;  // not owned
  int32_t m_bDone = 0;
  int32_t m_nDuration = 0;    // frames, fixed when the run state is built
  int32_t m_nFramesLeft = 0;  // 0: not started (or finished)
  uint8_t m_nDirection = 0;
  int32_t m_nTargetX = 0, m_nTargetY = 0;
  double m_dSpeed = 0;
  int16_t m_nAngle = 0;
  int32_t m_nRadius = 0, m_nStartAngle = 0;
  cVector<TARGETPOINT> m_vTargetPoint;
  double m_dVelocityX = 0, m_dVelocityY = 0;
  int32_t m_nFacingRequest = 0;
  int32_t m_bMoveStarted = 0;   // also the tick counter of executors acting every T frames
  int32_t m_bMoveStarted2 = 0;
  double m_dPhaseX = 0, m_dPhaseY = 0;
  double m_dSpeed2 = 0;
  int32_t m_nPrevFacing = 0;
};

// The parameters an executor reads: the command's list, zero-padded to its
// kind's catalogue count, so that no executor reads past a short list.
struct FLOWPARAMS {
  int32_t p[MAX_FLOW_COMMAND_PARAMS];
  int32_t operator[](int i) const { return (i >= 0 && i < MAX_FLOW_COMMAND_PARAMS) ? p[i] : 0; }
};

typedef void (*FLOWCOMMANDEXEC)(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);

// The executor of each FlowCommandKind.
extern const FLOWCOMMANDEXEC g_FlowCommandExec[FLOW_COMMAND_KIND_COUNT];

// m_nFramesLeft := m_nDuration; done, start flags and phases cleared.
void ResetCommandRun(cCommandRun& run);
// The executor of the run's kind. A command of the item list, or of a kind
// outside the flow catalogue, does nothing.
void ExecCommand(cFlowChara& chara, cCommandRun& run);
// A command of kind 17 to 36 run on its own, outside a flow (the item
// command lists): flow commands by their kind, item commands by the flow kind
// they share. Other kinds do nothing.
void ExecListCommand(cFlowChara& chara, cEdCommand& cmd);
// Sets the context's current command, executes, counts one frame down.
// 1 when the command has finished.
int StepCommand(cCommandRun& run);

// The parameter at index i of a command, 0 when the list is shorter.
int32_t CommandParam(const cEdCommand& cmd, int i);
// The message command that stays on screen until the advance key
// (parameters 15 and 6 both 0).
bool IsStayingMessage(const cEdCommand& cmd);
