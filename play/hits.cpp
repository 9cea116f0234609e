// The hit-sub-step table and the boxes the hit passes test.
#include "play/hits.h"

#include "play/live_chara.h"
#include "play/play_math.h"
#include "play/player.h"

void BuildHitSubStepTable(std::vector<uint8_t>& table, int n, uint32_t f) {
  if (n < 1) n = 1;
  table.assign(static_cast<size_t>(n), 0);
  // From f >= n on the steps k × n / f are at most 1 apart, so every index
  // is set; walking k up to a frequency read from a file (up to 2^32) would
  // only spin.
  if (f == 0 || f >= static_cast<uint32_t>(n)) {
    table.assign(static_cast<size_t>(n), 1);
    return;
  }
  uint32_t nSet = 0;
  for (uint64_t k = 0;; ++k) {
    const uint64_t idx = k * static_cast<uint64_t>(n) / f;
    if (idx >= static_cast<uint64_t>(n)) break;
    table[static_cast<size_t>(idx)] = 1;
    ++nSet;
  }
  if (nSet < f) table.back() = 1;
}

int IsHitSubStep(const std::vector<uint8_t>& table, int nSubStep) {
  if (nSubStep < 1 || static_cast<size_t>(nSubStep) > table.size()) return 0;
  return table[static_cast<size_t>(nSubStep - 1)] ? 1 : 0;
}

namespace {

// A range from the whole pixel of the object's position.
HITBOX RangeBox(const cGameObj& o, const HITRANGE& r) {
  const double l = TruncToInt(o.m_dX) + r.nLeft, t = TruncToInt(o.m_dY) + r.nTop;
  return HITBOX{l, t, l + r.nWidth - 1, t + r.nHeight - 1};
}

}  // namespace

HITBOX CharaHitBox(const cChara& c) { return RangeBox(c, c.m_rcHitBox); }
HITBOX CharaContactBox(const cChara& c) { return RangeBox(c, c.m_rcHitBox2); }
HITBOX PlayerPickUpBox(const cPlayer& p) { return RangeBox(p, p.m_rcHitBox3); }
