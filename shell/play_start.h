// The live play progress prepared for a run: the reset of a new story game,
// and StartStageFile, which loads one stage file for free play (the stage
// chooser, or a stage named at start-up).
#pragma once

#include <string>

#include "platform/win_types.h"

// g_Progress reset, placed on the world map's start cell, with the story
// play kind's lives.
void NewGameReset();

// g_Progress reset, then the stage loaded into g_StageCopy (nFlag: take the
// newest numbered file of the name). 1 with the free play kind's lives and
// the stage's name in g_Progress; 0 when the stage cannot be loaded (the
// loader has shown why; one report line names the path).
BOOL StartStageFile(const std::string& path, int nFlag);
