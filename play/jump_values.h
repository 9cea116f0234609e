// The jump arithmetic of charas: heights in half cells or pixels turned into
// a starting speed, and that speed into the frames a jump lasts. Shared by
// the jump command's preparer, the spring block and the chara core.
#pragma once

// The (negative) starting speed that rises px pixels under the stage's
// gravity; for a chara of type 0 it is scaled by 0.99 − gravity base × 0.025.
double JumpSpeedForPixels(double px, int nType);
// h half cells of 16 pixels.
double JumpSpeedForHalfCells(int h, int nType);
// Sub-steps until the speed v has turned; 0 without gravity.
int JumpFramesFromSpeed(double v);
// Tenths of a second the jump command of height h runs.
int JumpDurationForHeight(int h, int nType);
