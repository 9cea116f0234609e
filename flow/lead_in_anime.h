// Lead-in animations of commands: an animation named by a command is
// scheduled when the run states are built so that it ends as the command
// starts (a wind-up before a shot), and started at its flow frame.
#pragma once

#include <cstdint>

class cFlowRun;
class cFlowChara;
struct FLOWTIMING;

// One scheduled lead-in animation of a flow.
struct LEADINANIME {
  int32_t nStartFrame = 0;  // the flow's m_nFrame at which it starts
  int32_t nAnime = 0;
  int32_t nSkip = 0;        // sub-steps skipped at the start
  int32_t nLength = 0;      // its length less the skip
  int32_t nCommandTime = 0;  // the command's base time × 6
  int32_t bHold = 1;        // 0 for the jump and sword commands
};

// Fills the run's schedule from its commands' animation indices (the
// animation database gives the lengths).
void BuildLeadInSchedule(cFlowRun& run, const FLOWTIMING& timing);
// Before the chara's flows run in its update: every schedule entry of a
// running, unpaused flow whose start frame is the flow's frame starts its
// animation on the chara, tagged with the flow.
void StartLeadInAnimations(cFlowChara& chara);
