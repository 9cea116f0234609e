// The executors of the dispatch table, by family. Each takes the chara whose
// flow runs, the command's run state and its checked parameters.
#pragma once

#include "flow/command_run.h"

// A kind whose executor is not written yet: the command ends at once.
void ExecEndAtOnce(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
// Kinds 0 and 1: the command only lasts its duration.
void ExecNothing(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);

// commands_status.cpp
void ExecSetTarget(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecStatusOp(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecStatusOp2(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);

// commands_media.cpp
void ExecRunCode(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
