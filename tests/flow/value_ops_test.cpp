#include "flow/value_ops.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/game_random.h"
#include "records/flow_enums.h"

namespace {

TEST(CompareByOp, EveryOperatorAndTheOnesBeyond) {
  struct Case {
    int32_t a, b;
    int op;
    int expect;
  } cases[] = {
      {3, 3, 0, 1},  {3, 4, 0, 0},  {3, 4, 1, 1}, {3, 3, 1, 0}, {4, 3, 2, 1}, {3, 3, 2, 1}, {2, 3, 2, 0},
      {3, 4, 3, 1},  {3, 3, 3, 1},  {4, 3, 3, 0}, {4, 3, 4, 1}, {3, 3, 4, 0}, {3, 4, 5, 1}, {3, 3, 5, 0},
      {-1, 0, 5, 1},  // signed
      {3, 3, 6, 0},  {3, 3, 255, 0}, {3, 3, -1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CompareByOp(c.a, c.b, c.op), c.expect) << c.a << " op " << c.op << " " << c.b;
  EXPECT_EQ(CompareI8(-1, 1, CompareOp::Less), 1);
  EXPECT_EQ(CompareI16(-300, 300, CompareOp::Greater), 0);
}

TEST(PercentOf, RoundsHalfAwayFromZeroWithoutWrapping) {
  struct Case {
    int32_t base, percent, expect;
  } cases[] = {
      {50, 25, 13},          {-50, 25, -13},        {7, 50, 4},    {-7, 50, -4}, {200, 25, 50}, {0, 99, 0},
      {999999, 5000, 49999950},                      // the product passes 32 bits
      {INT32_MAX, INT32_MAX, INT32_MAX},             // held at the end
      {INT32_MIN, INT32_MAX, INT32_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(PercentOf(c.base, c.percent), c.expect) << c.base << " % " << c.percent;
}

TEST(ApplyAssignOp, OperatorsOverflowAndClamps) {
  constexpr int32_t MIN = -999999, MAX = 999999;
  struct Case {
    int32_t value, operand;
    int op;
    int32_t min, max;
    int32_t stored;
  } cases[] = {
      {5, 7, AssignOp::Set, MIN, MAX, 7},
      {5, 7, AssignOp::Add, MIN, MAX, 12},
      {5, 7, AssignOp::Subtract, MIN, MAX, -2},
      {5, 7, AssignOp::Multiply, MIN, MAX, 35},
      {7, 2, AssignOp::Divide, MIN, MAX, 3},
      {-7, 2, AssignOp::Divide, MIN, MAX, -3},
      {-7, 2, AssignOp::Remainder, MIN, MAX, -1},
      {7, 50, AssignOp::Percent, MIN, MAX, 4},
      {5, 7, 7, MIN, MAX, 5},                         // no such operator: unchanged
      {5000000, 7, 99, MIN, MAX, MAX},                // ... then clamped
      {1000000, 3000, AssignOp::Multiply, MIN, INT32_MAX, INT32_MAX},
      {-1000000, 3000, AssignOp::Multiply, INT32_MIN, MAX, INT32_MIN},
      {65536, 65536, AssignOp::Multiply, MIN, MAX, MAX},    // wraps to 0 in 32 bits
      {-65536, 65536, AssignOp::Multiply, MIN, MAX, MIN},
      {9, 0, AssignOp::Divide, MIN, MAX, 9},
      {9, 0, AssignOp::Remainder, 0, 5, 5},
      {INT32_MIN, -1, AssignOp::Divide, INT32_MIN, INT32_MAX, INT32_MAX},
      {INT32_MIN, -1, AssignOp::Remainder, INT32_MIN, INT32_MAX, 0},
      {INT32_MAX, 1, AssignOp::Add, MIN, MAX, MAX},
      {INT32_MIN, 1, AssignOp::Subtract, MIN, MAX, MIN},
  };
  for (const Case& c : cases) {
    int32_t v = c.value;
    ApplyAssignOp(&v, c.operand, c.op, c.min, c.max);
    EXPECT_EQ(v, c.stored) << c.value << " op " << c.op << " " << c.operand;
  }
  int32_t v = 900000;
  EXPECT_EQ(ApplyAssignOp(&v, 200000, AssignOp::Add, MIN, MAX), 1100000);  // the value before the clamp
}

TEST(RandomBetween, InclusiveEitherOrderAndRepeatableBySeed) {
  srand(77);
  for (int i = 0; i < 200; ++i) {
    int32_t n = RandomBetween(10, 5);
    EXPECT_TRUE(n >= 5 && n <= 10) << n;
  }
  EXPECT_EQ(RandomBetween(3, 3), 3);
  int32_t nWide = RandomBetween(INT32_MAX, INT32_MIN);  // the difference passes 32 bits
  EXPECT_LE(nWide, INT32_MIN + GAME_RAND_MAX);
  srand(5);
  int32_t a = RandomBetween(1, 1000), b = RandomBetween(1, 1000);
  srand(5);
  EXPECT_EQ(RandomBetween(1, 1000), a);
  EXPECT_EQ(RandomBetween(1, 1000), b);
  srand(1);
  // The first number of seed 1 is 41; 41 % 6 + 1.
  EXPECT_EQ(RandomBetween(1, 6), 6);
}

}  // namespace
