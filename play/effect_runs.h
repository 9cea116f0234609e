// Running chara effects and screen effects: a value that moves from a start
// to an end value by a fixed step each frame, forwards, reversed or back and
// forth, once or repeating, started from the run tables built at start-up.
#pragma once

#include "records/database_run_tables.h"

enum : uint32_t { EFFECTMODE_FORWARD = 0, EFFECTMODE_REVERSED = 1, EFFECTMODE_BACK_AND_FORTH = 2 };

// No effect: number 0, no record, no repeat, forward table.
void EffectRunReset(EFFECTRUN& run);

// An effect number outside its table starts no effect (the run is reset,
// with a report line), and its first step reports it finished.
void CharaEffectStart(EFFECTRUN& run, int nEffect, uint32_t nMode, uint32_t bRepeat);
void CharaEffectRestart(EFFECTRUN& run);
// 1 when the effect has finished.
int CharaEffectStep(EFFECTRUN& run);

void ScreenEffectStart(EFFECTRUN& run, int nEffect, uint32_t nMode, uint32_t bRepeat);
void ScreenEffectRestart(EFFECTRUN& run);
// As CharaEffectStep between the caller's values, comparing the current
// value truncated to an integer.
int ScreenEffectStep(EFFECTRUN& run, int nFrom, int nTo, double dStep);
