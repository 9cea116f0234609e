// The most a stage keeps alive at once. A real game keeps tens to a few
// hundred charas, items and shots on a stage; a damaged or hostile one can
// ask for millions (an Always flow whose Shot command fires ten shots
// doubles them every frame, a placement of 127 copies of a chara that
// summons more, a file that claims millions of placements), and every frame
// then walks them. Play makes no object past its kind's bound (see
// play/live_limits.h); the stage file keeps no more placements of a kind
// than play could make.
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
