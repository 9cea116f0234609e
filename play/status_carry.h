// The player status carried from a cleared stage to the next one through the
// play progress: 25 status items, each switched on by the project, stored
// when a stage with the carry switch is cleared and applied when a stage
// with the inherit switch is set up; and the status a stage started with,
// which a miss, a retry or a replay's restart puts back.
#pragma once

#include <cstdint>

#include "base/checked_containers.h"

class cEdChara;
class cEdProgress;
class cEdStage;

constexpr int kCarryItems = 25;

// The items whose value lives outside the chara record.
enum : int {
  CARRY_HP = 11,
  CARRY_SP = 12,
  CARRY_TIME = 22,   // the time left becomes the next stage's time limit
  CARRY_LIVES = 23,
  CARRY_MUSIC = 24,  // the music playing becomes the next stage's music
};

// What a cleared stage hands on besides the player's definition.
struct CARRYVALUES {
  int32_t nHp = 0;
  int32_t nSp = 0;
  int32_t nTimeLeft = 0;
  int32_t nLives = 0;
  int32_t nMusic = 0;
};

// Player nPlayer's status into the progress record for every item the
// project carries; the items are marked stored.
void StoreInheritedStatus(cEdProgress& progress, int nPlayer, const cEdChara& def, const CARRYVALUES& values);
// The stored items (carried and marked) onto the start definition of player
// nPlayer and onto the stage. bLives: the lives too (once per scene, so
// that a miss still costs a life). Nothing without a stored status.
void ApplyInheritedStatus(cEdProgress& progress, int nPlayer, cEdChara& def, cEdStage& stage, bool bLives);
// The stored HP and SP of player nPlayer into nHp and nSp; an item not
// carried or not stored leaves its output as it is.
void GetInheritedHpSp(const cEdProgress& progress, int nPlayer, int32_t& nHp, int32_t& nSp);
// The marks of the items the project resets after a miss are cleared.
void ClearResetSwitches(cEdProgress& progress);

// What the play progress held when a stage was set up (kept in memory
// only): the common variables and the run's score value. The lives are
// not put back: a miss has just taken one.
struct STAGESTARTSTATUS {
  cVector<int32_t> vVar;
  int32_t nRankValue0 = 0;
};
void SnapshotStageStart(const cEdProgress& progress, STAGESTARTSTATUS& start);
// The start status back: with bForce the common variables and the score
// value; otherwise by the project's restore setting for the play (nSetting
// 0 puts back the score value alone).
void RestoreInitialStatus(cEdProgress& progress, const STAGESTARTSTATUS& start, bool bForce, uint32_t nSetting);
// The project's restore setting of a play: the setting of a stage started
// from the command line, else that of its play kind (0 story, 1 challenge,
// 2 free); a replay (3) always restores.
uint32_t RestoreSettingOf(int nPlayKind, bool bFreeStage);
