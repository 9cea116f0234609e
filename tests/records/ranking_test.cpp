#include "records/ranking.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "base/report.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/corruption.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class RankingTest : public cRecordFileTest {
 protected:
};

// A table whose used rows hold the given values, best first.
cEdRankTable TableOf(uint32_t bHigherFirst, std::initializer_list<int32_t> values) {
  cEdRankTable t;
  t.m_bHigherFirst = bHigherFirst;
  int i = 0;
  for (int32_t v : values) {
    t.m_vecEntry[i].m_bUsed = 1;
    t.m_vecEntry[i].m_nValue = v;
    t.m_vecEntry[i].m_strName = "r" + std::to_string(i);
    ++i;
  }
  return t;
}

}  // namespace

TEST_F(RankingTest, NewSetAndItsFile) {
  cEdRankingSet set;
  ASSERT_EQ(set.m_vecTable.size(), 5u);
  const uint32_t kOrder[5] = {1, 1, 0, 1, 1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(set.m_vecTable[i].m_bHigherFirst, kOrder[i]);
    ASSERT_EQ(set.m_vecTable[i].m_vecEntry.size(), 20u);
    EXPECT_EQ(FindRankPosition(set.m_vecTable[i], 5), 0);
  }
  set.m_vecTable[2].m_vecEntry[0] = TableOf(0, {6234}).m_vecEntry[0];
  ASSERT_TRUE(set.SaveToFile("r.rkg"));
  std::string expect = Words({667, 0, 0, 5});
  for (int i = 0; i < 5; ++i) {
    expect += Words({1, kOrder[i], 0, 20});
    for (int r = 0; r < 20; ++r) {
      if (i == 2 && r == 0) {
        expect += Words({2, 1, 6234, 1, 3}) + std::string("r0", 3);
      } else {
        expect += Words({2, 0, 0, 1, 1});
      }
    }
  }
  EXPECT_EQ(m_Tmp.ReadFile("r.rkg"), expect);

  cEdRankingSet back;
  back.m_vecTable[0].m_bHigherFirst = 0;
  ASSERT_TRUE(back.LoadFromFile("r.rkg"));
  EXPECT_EQ(back.m_vecTable[0].m_bHigherFirst, 1u);
  EXPECT_EQ(back.m_vecTable[2].m_vecEntry[0].m_strName, "r0");
  EXPECT_EQ(back.m_vecTable[2].m_vecEntry[0].m_nValue, 6234);
}

TEST_F(RankingTest, RankPositions) {
  const struct {
    uint32_t higherFirst;
    std::initializer_list<int32_t> rows;
    int32_t value;
    int expect;
  } kCases[] = {
      {1, {}, -100, 0},               // the first value enters row 0
      {1, {50, 40, 30}, 45, 1},       // beats row 1
      {1, {50, 40, 30}, 30, 3},       // equal ranks after: the first empty row
      {1, {50, 40, 30}, 51, 0},
      {0, {100, 200}, 150, 1},        // clear time: smaller first
      {0, {100, 200}, 0, 0},
      {0, {100, 200}, 200, 2},
      {2, {10}, 99, 1},               // an order flag that is neither: only empty rows
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(FindRankPosition(TableOf(c.higherFirst, c.rows), c.value), c.expect) << c.value;
  }
  cEdRankTable full = TableOf(1, {20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
  EXPECT_EQ(FindRankPosition(full, 1), -1);
  EXPECT_EQ(FindRankPosition(full, 2), 19);
}

TEST_F(RankingTest, InsertKeepsTwentyRows) {
  cEdRankTable full = TableOf(1, {20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
  RankTableInsert(full, "eq", 1);  // equal to the last: does not enter
  EXPECT_EQ(full.m_vecEntry[19].m_strName, "r19");
  RankTableInsert(full, "new", 2);  // beats row 19, which drops out
  ASSERT_EQ(full.m_vecEntry.size(), 20u);
  EXPECT_EQ(full.m_vecEntry[18].m_nValue, 2);
  EXPECT_EQ(full.m_vecEntry[19].m_strName, "new");
  RankTableInsert(full, "top", 99);
  EXPECT_EQ(full.m_vecEntry[0].m_strName, "top");
  EXPECT_EQ(full.m_vecEntry[1].m_strName, "r0");
  EXPECT_EQ(full.m_vecEntry[19].m_nValue, 2);
  EXPECT_EQ(full.m_vecEntry.size(), 20u);

  cEdRankTable t = TableOf(0, {300});
  RankTableInsert(t, "fast", 120);
  EXPECT_EQ(t.m_vecEntry[0].m_nValue, 120);
  EXPECT_EQ(t.m_vecEntry[1].m_nValue, 300);
  EXPECT_EQ(t.m_vecEntry[1].m_bUsed, 1u);
}

TEST_F(RankingTest, Version180FileWithFourTables) {
  cEdRankingSet old;
  old.m_vecTable.resize(4);
  old.m_vecTable[3].m_bHigherFirst = 0;
  old.m_vecTable[0].m_vecEntry[0] = TableOf(1, {7}).m_vecEntry[0];
  g_nCurDataVersion = 180;
  ASSERT_TRUE(old.SaveToFile("old.rkg"));
  g_nCurDataVersion = 667;
  cEdRankingSet set;
  ASSERT_TRUE(set.LoadFromFile("old.rkg"));
  ASSERT_EQ(set.m_vecTable.size(), 5u);
  EXPECT_EQ(set.m_vecTable[3].m_bHigherFirst, 1u);
  EXPECT_EQ(set.m_vecTable[4].m_bHigherFirst, 1u);
  EXPECT_EQ(set.m_vecTable[4].m_vecEntry.size(), 20u);
  EXPECT_EQ(set.m_vecTable[4].m_vecEntry[0].m_bUsed, 0u);
  EXPECT_EQ(set.m_vecTable[0].m_vecEntry[0].m_nValue, 7);
}

TEST_F(RankingTest, OtherShapesAreBroughtToFiveTablesOfTwentyRows) {
  cEdRankingSet odd;
  odd.m_vecTable.resize(3);
  odd.m_vecTable[0].m_vecEntry.resize(25);
  odd.m_vecTable[1].m_vecEntry.resize(2);
  ASSERT_TRUE(odd.SaveToFile("odd.rkg"));
  cEdRankingSet set;
  ASSERT_TRUE(set.LoadFromFile("odd.rkg"));
  ASSERT_EQ(set.m_vecTable.size(), 5u);
  for (const cEdRankTable& t : set.m_vecTable) EXPECT_EQ(t.m_vecEntry.size(), 20u);
  EXPECT_EQ(set.m_vecTable[3].m_bHigherFirst, 1u);
  EXPECT_EQ(set.m_vecTable[4].m_bHigherFirst, 1u);

  odd.m_vecTable.resize(7);
  ASSERT_TRUE(odd.SaveToFile("odd.rkg"));
  ASSERT_TRUE(set.LoadFromFile("odd.rkg"));
  EXPECT_EQ(set.m_vecTable.size(), 5u);
}

TEST_F(RankingTest, ReaderSurvivesDamagedFiles) {
  cEdRankingSet set;
  RankTableInsert(set.m_vecTable[0], "abc", 10);
  RankTableInsert(set.m_vecTable[2], "xyz", 3);
  ASSERT_TRUE(set.SaveToFile("r.rkg"));
  CORRUPTIONPLAN plan;
  plan.nMutations = 800;
  plan.nAllTruncationsBelow = 600;
  RunCorruptionHarness(m_Tmp.ReadFile("r.rkg"), "r.rkg", [] {
    cEdRankingSet r;
    r.LoadFromFile("r.rkg");
    ASSERT_EQ(r.m_vecTable.size(), 5u);
    for (cEdRankTable& t : r.m_vecTable) {
      ASSERT_EQ(t.m_vecEntry.size(), 20u);
      FindRankPosition(t, 5);
    }
  }, plan);
}

TEST_F(RankingTest, CountsTheFileCannotHoldAllocateNothing) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  cEdRankingSet set;
  ASSERT_TRUE(set.SaveToFile("r.rkg"));
  // The head of the file holds the table count and the first table's row
  // count: every offset there gets its hostile counts.
  const std::string head = m_Tmp.ReadFile("r.rkg").substr(0, 64);
  HOSTILESIZEPLAN plan;
  plan.nMaxOffsets = head.size();
  HOSTILESIZERESULT r = RunHostileSizeHarness(head, "r.rkg", [] {
    cEdRankingSet back;
    back.LoadFromFile("r.rkg");
  }, plan);
  EXPECT_GT(r.nVariants, 200);
  // Sized to their counts, the tables (twenty rows each) took megabytes here.
  EXPECT_LT(r.nWorstPeakBytes, 256u << 10) << r.strWorst;
}

// Tables and rows that are really in the file: five tables of twenty rows
// are kept whatever it holds, so those past them cost nothing kept.
TEST_F(RankingTest, FloodsOfTablesAndRowsKeepFiveTablesOfTwenty) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  const struct {
    const char* pszList;
    std::string strHead;
    std::string strElement;
  } cases[] = {
      {"tables", Words({667, 0, 0}), Words({0, 0, 0})},
      {"rows of one table", Words({667, 0, 0, 1, 0, 0}), Words({0, 0})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszList);
    ELEMENTFLOOD flood;
    flood.strHead = c.strHead;
    flood.strElement = c.strElement;
    cEdRankingSet back;
    ELEMENTFLOODRESULT r = RunElementFloodHarness(flood, "r.rkg", [&back] { ASSERT_TRUE(back.LoadFromFile("r.rkg")); });
    ASSERT_GT(r.nElements, 100000u);
    ASSERT_EQ(back.m_vecTable.size(), 5u);
    for (const cEdRankTable& t : back.m_vecTable) EXPECT_EQ(t.m_vecEntry.size(), 20u);
    // Kept whole while they were read, the tables took 75 times the file;
    // now the load holds the file's bytes and little more.
    EXPECT_LT(r.nPeakBytes, r.nFileBytes + (256u << 10));
  }
}
