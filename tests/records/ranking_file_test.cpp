#include "records/ranking_file.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/text_cp932.h"
#include "tests/support/record_test_fixture.h"

namespace {

class RankingFileTest : public cRecordFileTest {};

}  // namespace

TEST(RankingText, FormatRankTime) {
  const struct {
    int32_t nValue;
    const char* pszText;
  } kCases[] = {
      {6234, "01:02.34"},    {0, "00:00.00"},        {5, "00:00.05"},
      {5999, "00:59.99"},    {6000, "01:00.00"},     {599999, "99:59.99"},
      {600000, "100:00.00"}, {-6234, "-01:-02.-34"}, {-5, "00:00.-05"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.nValue);
    std::string out = "old";
    FormatRankTime(out, c.nValue);
    EXPECT_EQ(out, c.pszText);
  }
  // The smallest value has no positive twin; its parts still come out whole.
  std::string out;
  FormatRankTime(out, INT_MIN);
  EXPECT_EQ(out, "-357913:-56.-48");
}

TEST(RankingText, NumberToTextAndCountDigits) {
  const struct {
    int32_t nValue;
    int nMin;
    BOOL bKeepZeros, bPlus;
    const char* pszText;
  } kCases[] = {
      {42, 0, 1, 0, "42"},     {42, 5, 1, 0, "00042"},  {42, 5, 0, 0, "   42"}, {0, 3, 0, 0, "  0"},
      {0, 3, 1, 1, "+000"},    {-42, 4, 1, 0, "-0042"}, {-42, 4, 0, 1, "-  42"}, {12345, 3, 0, 0, "12345"},
      {INT_MIN, 0, 1, 0, "-2147483648"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.pszText);
    std::string out;
    NumberToText(out, c.nValue, c.nMin, c.bKeepZeros, c.bPlus);
    EXPECT_EQ(out, c.pszText);
  }
  const struct {
    int32_t n;
    int nDigits;
  } kDigits[] = {{0, 1}, {9, 1}, {10, 2}, {-10, 2}, {999999999, 9}, {INT_MAX, 10}, {INT_MIN, 10}};
  for (const auto& c : kDigits) EXPECT_EQ(CountDigits(c.n), c.nDigits) << c.n;
}

TEST_F(RankingFileTest, PathsPerPlayKind) {
  const struct {
    int nKind;
    std::string strStage;
    BOOL bBuilt;
    std::string strPath;
  } kCases[] = {
      {0, "data\\stg4\\Forest.", 1, "user_data\\story\\Forest.rkg"},
      {1, "data\\stg4\\c01.", 1, "user_data\\challenge\\c01.rkg"},
      {2, "Cave.", 1, "user_data\\free\\Cave.rkg"},
      // "ソ" ends in 0x5C: not a folder mark.
      {2, "data\\" + Sjis("ソ") + ".", 1, "user_data\\free\\" + Sjis("ソ") + ".rkg"},
      {3, "data\\stg4\\Forest.", 0, ""},
      {-1, "Forest.", 0, ""},
      {4, "Forest.", 0, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.strPath);
    std::string path = "old";
    EXPECT_EQ(BuildUserDataPath(path, c.nKind, c.strStage), c.bBuilt);
    EXPECT_EQ(path, c.strPath);
  }
}

TEST_F(RankingFileTest, SavedRankingLoadsBackPerPlayKind) {
  cEdRankingSet set;
  RankTableInsert(set.m_vecTable[0], "abc", 900);
  RankTableInsert(set.m_vecTable[2], "xyz", 6234);
  // The folders do not exist yet: the first save makes them.
  ASSERT_TRUE(SaveUserDataRecord(set, 1, "data\\stg4\\c01."));
  EXPECT_FALSE(SaveUserDataRecord(set, 3, "data\\stg4\\c01."));

  cEdRankingSet back;
  ASSERT_TRUE(LoadUserDataRecord(back, 1, "data\\stg4\\c01."));
  EXPECT_EQ(back.m_vecTable[0].m_vecEntry[0].m_strName, "abc");
  EXPECT_EQ(back.m_vecTable[2].m_vecEntry[0].m_nValue, 6234);

  // Another play kind keeps its own file: none yet, so the default ranking.
  EXPECT_FALSE(LoadUserDataRecord(back, 0, "data\\stg4\\c01."));
  EXPECT_EQ(back.m_vecTable[0].m_vecEntry[0].m_bUsed, 0u);
  ASSERT_EQ(back.m_vecTable.size(), 5u);
  EXPECT_EQ(back.m_vecTable[2].m_bHigherFirst, 0u);
}

TEST_F(RankingFileTest, DamagedFileGivesTheDefaultRanking) {
  cEdRankingSet set;
  RankTableInsert(set.m_vecTable[0], "abc", 900);
  ASSERT_TRUE(SaveUserDataRecord(set, 0, "Forest."));
  std::string bytes = m_Tmp.ReadFile("user_data/story/Forest.rkg");
  m_Tmp.WriteFile("user_data/story/Forest.rkg", bytes.substr(0, bytes.size() / 2));

  cEdRankingSet back;
  RankTableInsert(back.m_vecTable[1], "old", 5);
  EXPECT_FALSE(LoadUserDataRecord(back, 0, "Forest."));
  ASSERT_EQ(back.m_vecTable.size(), 5u);
  for (const cEdRankTable& t : back.m_vecTable) {
    ASSERT_EQ(t.m_vecEntry.size(), 20u);
    EXPECT_EQ(t.m_vecEntry[0].m_bUsed, 0u);
  }
}

TEST_F(RankingFileTest, FailedSaveKeepsTheEarlierFile) {
  cEdRankingSet set;
  RankTableInsert(set.m_vecTable[0], "abc", 900);
  ASSERT_TRUE(SaveUserDataRecord(set, 2, "Forest."));
  const std::string before = m_Tmp.ReadFile("user_data/free/Forest.rkg");
  RankTableInsert(set.m_vecTable[0], "new", 1000);
  SetDataFileWriteLimitForTests(100);
  EXPECT_FALSE(SaveUserDataRecord(set, 2, "Forest."));
  SetDataFileWriteLimitForTests(-1);
  EXPECT_EQ(m_Tmp.ReadFile("user_data/free/Forest.rkg"), before);
}

TEST_F(RankingFileTest, RegistrationEntersTheKindsWithARankAndSaves) {
  cEdRankingSet set;
  RankTableInsert(set.m_vecTable[0], "old", 500);
  RankTableInsert(set.m_vecTable[2], "old", 6000);
  const int32_t anValue[5] = {900, 30, 6234, 5, 7};
  int32_t anPos[5];
  for (int k = 0; k < 5; ++k) anPos[k] = FindRankPosition(set.m_vecTable[k], anValue[k]);
  anPos[3] = -1;  // a kind the stage does not rank
  ASSERT_TRUE(RegisterRankResults(set, anPos, anValue, "abc", 1, "data\\stg4\\c01."));

  cEdRankingSet back;
  ASSERT_TRUE(LoadUserDataRecord(back, 1, "data\\stg4\\c01."));
  // Score: higher first, so 900 before the old 500; clear time: lower first.
  EXPECT_EQ(back.m_vecTable[0].m_vecEntry[0].m_strName, "abc");
  EXPECT_EQ(back.m_vecTable[0].m_vecEntry[1].m_nValue, 500);
  EXPECT_EQ(back.m_vecTable[2].m_vecEntry[0].m_nValue, 6000);
  EXPECT_EQ(back.m_vecTable[2].m_vecEntry[1].m_nValue, 6234);
  EXPECT_EQ(back.m_vecTable[1].m_vecEntry[0].m_nValue, 30);
  EXPECT_EQ(back.m_vecTable[3].m_vecEntry[0].m_bUsed, 0u);
  EXPECT_EQ(back.m_vecTable[4].m_vecEntry[0].m_nValue, 7);
}
