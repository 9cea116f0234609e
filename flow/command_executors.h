// The executors of the dispatch table, by family. Each takes the chara whose
// flow runs, the command's run state and its checked parameters.
#pragma once

#include <cstdint>

#include "flow/command_run.h"

class cEdShot;

// Kinds 0 and 1: the command only lasts its duration.
void ExecNothing(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);

// The database entry at a command's index, or null after the checked
// access has reported it and asked play to close: no executor acts on the
// stand-in that the checked access hands back.
template <class T>
T* CheckedEntry(cVector<T>& v, int32_t n) {
  if (n < 0 || static_cast<size_t>(n) >= v.size()) {
    v.CheckedAt(n);
    return nullptr;
  }
  return &v[n];
}

// How long a message or a picture stays: the display-time parameter.
enum DisplayDuration { UNTIL_ADVANCE_KEY = 0, UNTIL_STAGE_END = 1, FOR_TIME = 2 };
// A time in tenths of a second as frames (× 6), held within 32 bits.
int32_t FramesOfTenths(int64_t nTenths);
// Executors that act every T sub-steps count the run's tick up to the
// stage's command tick T, where it starts again at 0.
void CountCommandTick(cCommandRun& run);

// commands_move.cpp
void ExecStraightMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecGroundTurnMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecCircleMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecChargeMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecHomingMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecAvoidOffscreenMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecDisableMove(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecChangeDirection(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecJump(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);

// commands_attack.cpp
void ExecShot(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecSword(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecSummonBlock(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecSummonChara(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecSummonItem(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
// Project sound n through the stage (sound list index 16 + n, nothing for
// 0). Named apart from play's RequestUserSound, which sends the request
// itself and takes a 16-bit number.
void RequestProjectSound(int32_t n);
// The command's sound, unless it is for on-screen charas and this one is not.
void PlayCommandSound(cFlowChara& chara, const cEdCommand* pCmd);
// The run's shot record, or a default one when the command has none.
const cEdShot& ShotOf(const cCommandRun& run);

// commands_control.cpp
void ExecFlowControl(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecStageClear(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecGameWait(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecWarp(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);

// commands_message.cpp
void ExecMessage(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);

// commands_status.cpp
void ExecSetTarget(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecStatusOp(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecStatusOp2(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);

// commands_media.cpp
void ExecGetItem(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecChangeGraphic(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecChangeBaseAnimeSet(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecRunAnime(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecRunEffect(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecRunCharaEffect(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecRunScreenEffect(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecShowPicture(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecChangeScreenColor(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecChangeBackground(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecPlaySe(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecPlayBgm(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
void ExecRunCode(cFlowChara& chara, cCommandRun& run, const FLOWPARAMS& params);
// Top-left corner in stage pixels of a w × h picture placed by mode 0 screen
// centre, 1 the chara's centre, 2 player 1's centre, 3 screen cells, 4 stage
// cells, with the pixel offsets; another mode leaves x and y.
void PlacePicture(double& dX, double& dY, int32_t nWidth, int32_t nHeight, cFlowChara& chara, int32_t nMode,
                  int32_t nColumn, int32_t nRow, int32_t nDX, int32_t nDY);
