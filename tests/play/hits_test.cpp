#include "play/hits.h"

#include <gtest/gtest.h>

#include <vector>

TEST(HitSubStepTable, EntriesFollowTheFrequency) {
  struct Case {
    int n;
    uint32_t f;
    std::vector<int> on;  // 0-based entries set; empty = all
  } cases[] = {
      {10, 3, {0, 3, 6}},
      {6, 4, {0, 1, 3, 4}},
      {10, 4, {0, 2, 5, 7}},
      {10, 0, {}},
      {10, 20, {}},
      {10, 10, {}},
      {1, 0, {}},
      {4, 0, {}},
      {3, 1, {0}},
      // More hits than sub-steps: every sub-step. A frequency from a
      // damaged file must not spin through 2^32 steps.
      {3, 1000, {}},
      {2, 4000000000u, {}},
      {19, 0xFFFFFFFFu, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n=" << c.n << " f=" << c.f);
    std::vector<uint8_t> t;
    BuildHitSubStepTable(t, c.n, c.f);
    ASSERT_EQ(t.size(), static_cast<size_t>(c.n));
    std::vector<int> on;
    for (int i = 0; i < c.n; ++i)
      if (t[i]) on.push_back(i);
    if (c.on.empty()) {
      EXPECT_EQ(on.size(), static_cast<size_t>(c.n));
    } else {
      EXPECT_EQ(on, c.on);
    }
  }
}

TEST(HitSubStepTable, SubStepNumbersCountFromOne) {
  std::vector<uint8_t> t;
  BuildHitSubStepTable(t, 10, 4);
  std::vector<int> hits;
  for (int s = 0; s <= 11; ++s)
    if (IsHitSubStep(t, s)) hits.push_back(s);
  EXPECT_EQ(hits, (std::vector<int>{1, 3, 6, 8}));
  // A speed level of 0 still gives one sub-step that hits.
  BuildHitSubStepTable(t, 0, 3);
  EXPECT_EQ(IsHitSubStep(t, 1), 1);
}
