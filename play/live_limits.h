// The most a stage keeps alive at once, and what happens at the bound. A
// real game keeps tens to a few hundred charas, items and shots on a stage;
// a damaged or hostile one can ask for millions (an Always flow whose Shot
// command fires ten shots doubles them every frame, a placement of 127
// copies of a chara that summons more), and every frame then walks them.
// At a bound the new object is not made, as a summon into a wall is not:
// the stage plays on, and the report says so once per stage.
#pragma once

#include <cstddef>

enum LIVEKIND : int {
  LIVE_CHARA = 0,  // stage charas, players not counted
  LIVE_ITEM = 1,
  LIVE_SHOT = 2,   // shots and swords
  LIVE_BLOCK = 3,  // cells of the block map holding a block of their own
  LIVE_KIND_COUNT
};

// Far above what a real game makes, and below what makes a frame of
// linear cost slow. A block record takes about 180 bytes, so a map full to
// its bound takes under 200 MB.
constexpr size_t LIVE_MAX[LIVE_KIND_COUNT] = {10000, 10000, 10000, size_t{1} << 20};

// True when one more of the kind may be made while nLive are alive; false
// at the bound, with the kind's report line the first time in a stage.
// Game thread only.
bool RoomForLive(LIVEKIND kind, size_t nLive);
// Stage set-up: each kind's line may be written again.
void ResetLiveLimitReports();
