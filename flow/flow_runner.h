// cFlowRun, the play-time state of one flow of a live chara, and the runner:
// building the run states, starting by trigger, advancing once per logic
// sub-step, pausing, resuming and stopping flows, and the chara's flow pass.
#pragma once

#include <cstdint>

#include "base/checked_containers.h"
#include "flow/command_run.h"
#include "flow/lead_in_anime.h"
#include "records/flow_records.h"

class cFlowChara;

class cFlowRun {
 public:
  int32_t m_nIndex = 0;
  cEdFlow* m_lpFlow = nullptr;  // not owned
  int32_t m_bLatched = 0;
  cVector<cEdKeyCondition*> m_vKeyCondition;
  int32_t m_bKeyHeld = 0;
  cVector<cCommandRun> m_vCommand;
  cVector<LEADINANIME> m_vLeadIn;
  int32_t m_nEffectTag = 0;
  int32_t m_bRunning = 0;
  int32_t m_bPaused = 0;
  int32_t m_bStopForever = 0;
  int32_t m_bDeleted = 0;
  int32_t m_nFurthest = 0;
  int32_t m_nFrame = 0;
  int32_t m_nTriggerKey = 0;
  int32_t m_bTried = 0;
  int32_t m_bStarted = 0;
  int32_t m_bMessageWait = 0;
  int32_t m_bAbort = 0;
  // Set while a before-stage-start flow runs to its end inside StartFlow, so
  // that a command starting that same flow again is refused.
  int32_t m_bRunningAtOnce = 0;
  // Counts the starts, so that the runner sees a command restart its own flow.
  int32_t m_nStartCount = 0;
};

// Stop numbers run "-" and A to Z; a number from a file beyond them names no
// flag.
constexpr int FLOW_STOP_NUMBER_COUNT = 27;

// A chara's flags by stop number, kept by the chara and written here.
struct FLOWNUMBERFLAGS {
  uint8_t m_abyStarted[FLOW_STOP_NUMBER_COUNT]{};
  uint8_t m_abyStartedThisFrame[FLOW_STOP_NUMBER_COUNT]{};
  uint8_t m_abyStopped[FLOW_STOP_NUMBER_COUNT]{};
  int32_t m_bSomeStopped = 0;
  int32_t m_bSomeDeleted = 0;
};

// The stage values that fix a run state's timing: the chara's step factor n,
// the stage's frame factor F and speed divisor D.
struct FLOWTIMING {
  int32_t nStep = 0;
  int32_t nFrameFactor = 1;
  double dSpeedDiv = 1.0;
};

// One run state per flow of the list, in list order: durations
// (time base + step × n) × F × 6 frames, speeds (speed + step × n) × 0.1 / D,
// and the lead-in animation schedule.
void BuildFlowRuns(cVector<cFlowRun>& vRun, cVector<cEdFlow>& vFlow, const FLOWTIMING& timing);

// Starts a flow of the context's current chara: running from its first
// command; a before-stage-start flow runs its instant commands at once and
// stops.
void StartFlow(cFlowRun& run);
// The same with chara as the current chara for the call.
void StartFlow(cFlowChara& chara, cFlowRun& run);
// 1 when the flow's last command is done (one sub-step).
int RunFlow(cFlowRun& run);
void StopFlow(cFlowRun& run, cFlowChara& chara);
void PauseFlow(cFlowRun& run);
void ResumeFlow(cFlowRun& run);
void StopFlowForever(cFlowRun& run, cFlowChara& chara);

// The chara's part of a sub-step, in the order stage play calls them:
// ClearTriggerFlags first, TriggerFlows for each raised trigger, then
// RunCharaFlows.
void ClearTriggerFlags(cFlowChara& chara);
// Starts every flow of the trigger that may start and whose conditions and
// key conditions hold.
void TriggerFlows(cFlowChara& chara, int nTrigger);
// Advances the chara's running flows (only trigger-3 flows of a dead chara),
// stops finished ones, then removes deleted run states and releases stop
// numbers.
void RunCharaFlows(cFlowChara& chara);
