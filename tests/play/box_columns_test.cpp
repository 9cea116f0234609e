#include "play/box_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

// Every box that overlaps a query is among the query's answers, whatever
// the boxes hold: inverted edges, infinities, numbers that are not numbers,
// boxes far apart or wider than any column.
TEST(BoxColumns, AQueryGivesEveryOverlappingBoxInOrder) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  // Boxes on a stage, then the same with values no stage should hold (one
  // far box widens every column).
  const std::vector<HITBOX> vStage = {
      {0, 0, 31, 31},     {40, 0, 70, 31},  {200, 0, 190, 31} /* inverted */, {0, 0, 5000, 10}, {65, 0, 65, 0},
      {128, 0, 128, 10},  {129, 0, 127, 10}, {-50, 0, -10, 10},               {90, 0, 310, 10}, {900, 0, 960, 10},
      {1500, 0, 1530, 4}, {2000, 0, 2000, 0},
  };
  std::vector<HITBOX> vHostile(vStage);
  vHostile.insert(vHostile.end(), {{-inf, 0, inf, 5}, {nan, 0, 10, 10}, {1e300, 0, 1e300, 10}, {-1e300, 0, -1e300, 10}});
  const std::vector<HITBOX> vAsk = {
      {0, 0, 0, 0},       {60, 0, 130, 10},   {195, 0, 195, 1}, {1e300, 0, 1e300, 1}, {-inf, 0, -inf, 1},
      {300, 0, 100, 5},   {nan, 0, nan, 1},   {-20, 0, -20, 1}, {64, 0, 64, 0},       {4999, 0, 4999, 1},
      {150, 0, 250, 5},   {1510, 0, 1490, 2}, {2000, 0, 2000, 0},
  };
  cBoxColumns columns;
  std::vector<int> vNear;
  for (const std::vector<HITBOX>* pBox : {&vStage, static_cast<const std::vector<HITBOX>*>(&vHostile)}) {
    const std::vector<HITBOX>& vBox = *pBox;
    columns.Build(vBox);
    for (size_t q = 0; q < vAsk.size(); ++q) {
      SCOPED_TRACE(q);
      columns.Query(vAsk[q], -1, vNear);
      for (size_t k = 1; k < vNear.size(); ++k) EXPECT_LT(vNear[k - 1], vNear[k]);
      for (size_t k = 0; k < vBox.size(); ++k) {
        const bool bNear = std::find(vNear.begin(), vNear.end(), static_cast<int>(k)) != vNear.end();
        if (BoxOverlaps(vAsk[q], vBox[k])) {
          EXPECT_TRUE(bNear) << "box " << k;
        }
      }
      // Past an index only the later boxes come.
      columns.Query(vAsk[q], 5, vNear);
      for (int k : vNear) EXPECT_GT(k, 5);
    }
  }
  // On the stage, boxes apart stay apart: a small query meets few.
  columns.Build(vStage);
  columns.Query({0, 0, 0, 0}, -1, vNear);
  EXPECT_LE(vNear.size(), 3u);
}

// A crowd over the whole stage, as charas stand in rows: every overlap is
// still found, in order, and a small query meets the few boxes of its cells
// rather than all of its column. Inverted and tall boxes among them.
TEST(BoxColumns, ACrowdInRowsIsNarrowedByRowAsWellAsByColumn) {
  std::vector<HITBOX> vBox;
  for (int i = 0; i < 500; ++i) {
    const double x = (i * 37) % 640, y = (i * 53) % 480;
    HITBOX b{x, y, x + 31, y + 31};
    if (i % 17 == 0) std::swap(b.dTop, b.dBottom);
    if (i % 29 == 0) b.dBottom = y + 700;  // taller than any row's reach
    vBox.push_back(b);
  }
  std::vector<HITBOX> vAsk;
  for (int y = -8; y < 500; y += 24)
    for (int x = -8; x < 660; x += 24) vAsk.push_back({double(x), double(y), x + 15.0, y + 15.0});
  const size_t nSmall = vAsk.size();
  vAsk.insert(vAsk.end(), {{0, 0, 640, 480}, {300, 400, 100, 20}, {0, 200, 640, 210}, {320, -100, 330, 900}});
  cBoxColumns columns;
  columns.Build(vBox);
  std::vector<int> vNear;
  size_t nMostSmall = 0;
  for (size_t q = 0; q < vAsk.size(); ++q) {
    SCOPED_TRACE(q);
    for (int nAfter : {-1, 250}) {
      columns.Query(vAsk[q], nAfter, vNear);
      for (size_t k = 1; k < vNear.size(); ++k) ASSERT_LT(vNear[k - 1], vNear[k]);
      if (!vNear.empty()) {
        EXPECT_GT(vNear.front(), nAfter);
      }
      for (size_t k = static_cast<size_t>(nAfter + 1); k < vBox.size(); ++k) {
        if (BoxOverlaps(vAsk[q], vBox[k])) {
          EXPECT_TRUE(std::binary_search(vNear.begin(), vNear.end(), static_cast<int>(k))) << "box " << k;
        }
      }
    }
    if (q < nSmall) {
      columns.Query(vAsk[q], -1, vNear);
      nMostSmall = std::max(nMostSmall, vNear.size());
    }
  }
  // The boxes of a column or two come to over a hundred; those of the
  // cells of a 16-pixel query to some sixty.
  EXPECT_LE(nMostSmall, 80u);
}

// Slots that move, told to the index and refiled: every query after the
// refresh gives every slot whose box overlaps it, in order, and a slot that
// left a place no longer comes there.
TEST(SlotColumns, MovedSlotsAreRefiledWhereTheyWent) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  // Places a box may move to: on the stage, past its ends, inverted, wider
  // than any column's reach, not a number.
  const std::vector<HITBOX> vPlace = {
      {0, 0, 31, 31},    {40, 0, 70, 31},     {127, 0, 128, 40}, {200, 0, 190, 31}, {-50, 0, -10, 10},
      {900, 0, 1500, 5}, {2990, 0, 3100, 10}, {5000, 0, 5010, 2}, {nan, 0, 10, 10},  {-inf, 0, inf, 5},
      {63, 0, 64, 8},    {1e300, 0, 1e300, 1},
  };
  const std::vector<HITBOX> vAsk = {
      {0, 0, 0, 0},   {60, 0, 130, 10}, {195, 0, 195, 1}, {-20, 0, -20, 1}, {1000, 0, 1000, 1}, {3050, 0, 3050, 1},
      {64, 0, 64, 0}, {300, 0, 100, 5}, {nan, 0, nan, 1}, {6000, 0, 6000, 1}, {0, 0, 3000, 40},
  };
  constexpr int kSlots = 20;
  cSlotColumns columns;
  columns.Reset(3000);
  std::vector<HITBOX> vBox;
  for (int k = 0; k < kSlots; ++k) {
    vBox.push_back(vPlace[k % vPlace.size()]);
    columns.Add(vBox.back());
  }
  ASSERT_EQ(columns.Size(), kSlots);
  uint32_t seed = 7;
  auto Next = [&seed](uint32_t n) {
    seed = seed * 214013u + 2531011u;
    return (seed >> 16) % n;
  };
  std::vector<int> vNear;
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    // A few slots move, some twice before the refresh.
    for (int m = 0; m < 4; ++m) {
      const int k = static_cast<int>(Next(kSlots));
      vBox[k] = vPlace[Next(static_cast<uint32_t>(vPlace.size()))];
      columns.Moved(k);
    }
    columns.Refresh([&vBox](int k) { return vBox[k]; });
    for (const HITBOX& ask : vAsk) {
      columns.Query(ask, vNear);
      for (size_t i = 1; i < vNear.size(); ++i) ASSERT_LT(vNear[i - 1], vNear[i]);
      for (int k = 0; k < kSlots; ++k) {
        if (BoxOverlaps(ask, vBox[k])) {
          ASSERT_NE(std::find(vNear.begin(), vNear.end(), k), vNear.end()) << k;
        }
      }
    }
  }
  // All at one place, then one of them far off: the place no longer gives it.
  for (int k = 0; k < kSlots; ++k) {
    vBox[k] = {0, 0, 31, 31};
    columns.Moved(k);
  }
  vBox[3] = {2000, 0, 2030, 31};
  columns.Refresh([&vBox](int k) { return vBox[k]; });
  columns.Query({10, 0, 10, 0}, vNear);
  EXPECT_EQ(vNear.size(), static_cast<size_t>(kSlots - 1));
  EXPECT_EQ(std::find(vNear.begin(), vNear.end(), 3), vNear.end());
  columns.Query({2010, 0, 2010, 0}, vNear);
  EXPECT_EQ(vNear, std::vector<int>{3});
}

}  // namespace
