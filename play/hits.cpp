// The hit-sub-step table.
#include "play/hits.h"

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
