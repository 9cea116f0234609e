// The hit-sub-step table of a running stage: on which of the n sub-steps of
// a play frame shots are tested against charas.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Fills `table` with n entries (n at least 1): with frequency f = 0 every
// entry is 1; otherwise the entries trunc(k × n / f), k = 0, 1, 2, ... below
// n are 1 and the rest 0, and the last entry is set as well when fewer than
// f entries were set that way.
void BuildHitSubStepTable(std::vector<uint8_t>& table, int n, uint32_t f);

// 1 when shots hit charas on sub-step number nSubStep (1 to n); 0 for a
// number outside the table.
int IsHitSubStep(const std::vector<uint8_t>& table, int nSubStep);
