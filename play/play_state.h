// The small play-state routines of a running stage: sound and music
// requests, the space key, the effect of the block under a chara, the use
// and gain of lives, and the file name of the next stage.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"
#include "records/progress.h"

class cGameObj;

// The score and the totals of scores keep to six digits.
constexpr int32_t SCORE_CAP = 999999;

// System sound n (0 to 15).
void RequestSystemSound(int n);
// Project sound n; 0 is no sound.
void RequestUserSound(uint16_t n);
// Music n of the music database (0 stops); the option goes into the play
// progress first.
void RequestBgmPlay(cEdProgress& progress, int nMusic, int nOption);
// 1 (with system sound 4) while the space key is down. The stage scene
// saves its state and sub-state for the pause menu when it gets 1.
int CheckSpaceKey();

// The block under the chara: spring, no-jump flag, friction, conveyors.
// Charas only; returns 0.
int ApplyBlockEffect(cGameObj& chara);

// 1 when play may go on: a stage started directly from a file, unlimited
// lives, or one life taken; 0 with no lives left.
int UseLife(cEdProgress& progress, BOOL bFreeStage);
// One more life, at most 99 (unlimited lives stay unlimited).
void GainLife(cEdProgress& progress);

// The newest numbered file of stage n of the chained stage in play
// ("<name>-<n>.<ext>_NNN"); 0 with an empty name when there is none, the
// stages are not chained or nNextStage is 0.
int BuildStageFileName(std::string& out, int n, const cEdProgress& progress, int nNextStage, const char* pszExt);
int IsLastStage(int n, const cEdProgress& progress, int nNextStage, const char* pszExt);
