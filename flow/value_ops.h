// The value operations that conditions, status commands and the expression
// language share: comparison by CompareOp, percentages, the assignment
// operators with their clamps, random numbers between two bounds, and the
// ranges of the chara statuses and system values.
#pragma once

#include <cstdint>

// CompareOp 0 ==, 1 !=, 2 >=, 3 <=, 4 >, 5 <; any other op is false.
int CompareByOp(int32_t a, int32_t b, int op);
int CompareI8(int8_t a, int8_t b, int op);
int CompareI16(int16_t a, int16_t b, int op);

// base × percent / 100, rounded half away from zero. The product is taken
// in 64 bits and the result kept within 32 bits, so that large values do
// not wrap.
int32_t PercentOf(int32_t nBase, int32_t nPercent);

// The AssignOp op of operand on *pValue, then the value kept within
// [nMin, nMax]; returns the value before that clamp (saturated to 32 bits).
// A product beyond 32 bits gives nMax for factors of one sign, nMin for
// factors of opposite signs; "/" and "%" by 0 leave the value.
int32_t ApplyAssignOp(int32_t* pValue, int32_t nOperand, int op, int32_t nMin, int32_t nMax);
// Narrow statuses go through it too, with their own ranges: the product is
// tested in full rather than at the status's width, so that a product that
// wraps in 8 or 16 bits does not come out as a small value.

// A number from the lower to the higher bound inclusive (bounds in either
// order): rand() % (difference + 1) + lower, in 64 bits.
int32_t RandomBetween(int32_t a, int32_t b);

// Saturates a 64-bit value to 32 bits.
int32_t Saturate32(int64_t n);
// The low bits of a value stored at a width of 1, 2 or 4 bytes, read back
// sign-extended.
int32_t AtWidth(int32_t n, int nBytes);

// A chara status (CharaStatus 0..14): its storage width in bytes, the range
// its percent form is kept within in a status condition, the status whose
// value the percent form takes (0: none, the percentage of 0), and the range
// of the status operation command.
struct FLOWSTATUSENTRY {
  int32_t nBytes;
  int32_t nCondMin, nCondMax;
  int32_t nPercentOf;
  int32_t nOpMin, nOpMax;
};
extern const FLOWSTATUSENTRY g_FlowStatusTable[15];
// The range of a system value (SystemValue 0..4), one range for conditions
// and operations.
struct FLOWRANGE {
  int32_t nMin, nMax;
};
extern const FLOWRANGE g_FlowSystemRange[5];
