// The shell's side of stage play's replays and rankings: the replay save
// keys, player 1's input into and out of replay buffer 0, the name entry
// and the ranking drawing, installed into g_StageRecordLinks.
#pragma once

#include "platform/win_types.h"

void InstallStageRecordLinks();

// F1 offers replay buffer 0 for saving, F2 buffer 1 (F1 wins when both are
// held): TRUE once the window thread has served the request. Nothing in
// replay playback or when the project saves no replays; an empty buffer
// gives system sound 3 at most once every 60 calls. Called by the game
// thread and by thPause while the game thread waits for it.
BOOL CheckReplaySaveKeys();
