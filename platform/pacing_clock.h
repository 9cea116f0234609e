// Frame pacing under the TARVOLIN4_FAST seam: the pacing waits do not sleep,
// and timeGetTime reads a clock that only those waits move on, so scripted
// runs keep their frame timing and take no wall time.
#pragma once

#include "platform/win_types.h"

// TARVOLIN4_FAST=1.
bool IsFastPacing();
// Called once at start-up, before any thread but the window thread runs:
// under fast pacing timeGetTime switches to the paced clock.
void InitPacingClock();
// The Sleep of the frame-pacing waits: under fast pacing it moves the paced
// clock on by dwMs and returns at once; otherwise Sleep(dwMs).
void PacingSleep(DWORD dwMs);
