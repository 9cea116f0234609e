// What happens when a stage would make an object past its kind's bound
// (records/live_bounds.h): the new object is not made, as a summon into a
// wall is not; the stage plays on, and the report says so once per stage.
#pragma once

#include <cstddef>

#include "records/live_bounds.h"

// True when one more of the kind may be made while nLive are alive; false
// at the bound, with the kind's report line the first time in a stage.
// Game thread only.
bool RoomForLive(LIVEKIND kind, size_t nLive);
// Stage set-up: each kind's line may be written again.
void ResetLiveLimitReports();
