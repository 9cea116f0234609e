// What the hit passes of a running stage test: the hit-sub-step table (on
// which of the n sub-steps of a play frame shots are tested against charas)
// and the box of a chara that each test takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "play/hit_effect.h"

class cChara;
class cPlayer;

// Fills `table` with n entries (n at least 1): with frequency f = 0 every
// entry is 1; otherwise the entries trunc(k × n / f), k = 0, 1, 2, ... below
// n are 1 and the rest 0, and the last entry is set as well when fewer than
// f entries were set that way.
void BuildHitSubStepTable(std::vector<uint8_t>& table, int n, uint32_t f);

// 1 when shots hit charas on sub-step number nSubStep (1 to n); 0 for a
// number outside the table.
int IsHitSubStep(const std::vector<uint8_t>& table, int nSubStep);

// The boxes of a chara in stage pixels, one per test: shots hit it over its
// first hit range, it touches other charas with its second, and a player
// takes items with its third. A block chara's ranges are its body box. Each
// is a plain box, so that a broad-phase filter can test it as it is.
HITBOX CharaHitBox(const cChara& c);
HITBOX CharaContactBox(const cChara& c);
HITBOX PlayerPickUpBox(const cPlayer& p);
