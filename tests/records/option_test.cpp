#include "records/option.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/message_box.h"
#include "base/report.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/corruption.h"
#include "tests/support/system_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

std::string OptionFile(int version, std::initializer_list<int32_t> values, const std::string& name) {
  std::string s;
  auto u32 = [&s](uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); };
  u32(static_cast<uint32_t>(version));
  u32(static_cast<uint32_t>(values.size()));
  for (int32_t v : values) u32(static_cast<uint32_t>(v));
  u32(1);
  u32(static_cast<uint32_t>(name.size() + 1));
  if (!name.empty()) s.append(name.c_str(), name.size() + 1);
  return s;
}

class OptionFileTest : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    g_Option = cEdOption();
    std::filesystem::create_directories("user_data");
  }
  void TearDown() override {
    g_Option = cEdOption();
    g_bStripCR = 0;
  }
};

}  // namespace

TEST_F(OptionFileTest, DefaultFileBytes) {
  ASSERT_TRUE(SaveOption());
  EXPECT_EQ(m_Tmp.ReadFile("user_data/Option.dat"),
            Bytes({0x9B, 0x02, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0,  //
                   1, 0, 0, 0, 4, 0, 0, 0, 'a', 'a', 'a', 0}));
  g_Option.m_szRankingName.clear();
  g_Option.m_nRankingMode = 3;
  ASSERT_TRUE(SaveOption());
  EXPECT_EQ(m_Tmp.ReadFile("user_data/Option.dat"),
            Bytes({0x9B, 0x02, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 7, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(OptionFileTest, MissingFileKeepsTheDefaults) {
  EXPECT_FALSE(LoadOption());
  EXPECT_EQ(g_Option.m_nHbt, 0);
  EXPECT_EQ(g_Option.m_bMusic, 1);
  EXPECT_EQ(g_Option.m_nSeVolume, 7);
  EXPECT_EQ(g_Option.m_nRankingMode, 0);
  EXPECT_EQ(g_Option.m_szRankingName, "aaa");
}

// Values outside the option screen's ranges stay as read, and are saved
// back as they were; what the screens and the game use is brought to the
// range's nearer end.
TEST_F(OptionFileTest, ValuesOutsideTheirRangesStayAsReadAndAreUsedClamped) {
  const struct {
    int32_t hbt, music, volume, mode;
    int32_t useHbt, useVolume, useMode;
  } kCases[] = {
      {23, 0, 10, 3, 23, 10, 3},  // the upper ends
      {0, 1, 0, 0, 0, 0, 0},      // the lower ends
      {24, 2, 11, 4, 23, 10, 3},
      {-1, -1, -1, -1, 0, 0, 0},
      {5, 0x7FFFFFFF, 3, static_cast<int32_t>(0x80000000), 5, 3, 0},
  };
  for (const auto& c : kCases) {
    const std::string file = OptionFile(667, {c.hbt, c.music, c.volume, c.mode}, "xyz");
    m_Tmp.WriteFile("user_data/Option.dat", file);
    g_Option = cEdOption();
    ASSERT_TRUE(LoadOption());
    EXPECT_EQ(g_Option.m_nHbt, c.hbt);
    EXPECT_EQ(g_Option.m_bMusic, c.music);
    EXPECT_EQ(g_Option.m_nSeVolume, c.volume);
    EXPECT_EQ(g_Option.m_nRankingMode, c.mode);
    EXPECT_EQ(g_Option.HbtInUse(), c.useHbt);
    EXPECT_EQ(g_Option.SeVolumeInUse(), c.useVolume);
    EXPECT_EQ(g_Option.RankingModeInUse(), c.useMode);
    ASSERT_TRUE(SaveOption());
    EXPECT_EQ(m_Tmp.ReadFile("user_data/Option.dat"), file);
  }
}

// A name of more than 3 characters stays as read; rankings register it cut.
TEST_F(OptionFileTest, RankingNameIsUsedCutToThreeCharacters) {
  const struct {
    const char* in;
    const char* out;
  } kCases[] = {
      {"abcd", "abc"}, {"あいうえ", "あいう"}, {"aあいう", "aあい"}, {"ab", "ab"}, {"", ""}, {"ｱｲｳｴ", "ｱｲｳ"},
  };
  for (const auto& c : kCases) {
    m_Tmp.WriteFile("user_data/Option.dat", OptionFile(667, {1, 1, 1, 1}, Sjis(c.in)));
    ASSERT_TRUE(LoadOption());
    EXPECT_EQ(g_Option.m_szRankingName, Sjis(c.in));
    EXPECT_EQ(g_Option.RankingNameInUse(), Sjis(c.out)) << c.in;
  }
  // A lead byte without its trail byte counts one character, as everywhere.
  EXPECT_EQ(CutRankingName("ab\x82"), "ab\x82");
  EXPECT_EQ(CutRankingName("abc\x82"), "abc");
}

TEST_F(OptionFileTest, OlderFileHasTheSameLayout) {
  m_Tmp.WriteFile("user_data/Option.dat", OptionFile(120, {4, 0, 2, 1}, "old"));
  ASSERT_TRUE(LoadOption());
  EXPECT_EQ(g_Option.m_nHbt, 4);
  EXPECT_EQ(g_Option.m_bMusic, 0);
  EXPECT_EQ(g_Option.m_nSeVolume, 2);
  EXPECT_EQ(g_Option.m_nRankingMode, 1);
  EXPECT_EQ(g_Option.m_szRankingName, "old");
}

TEST_F(OptionFileTest, DamagedFileLeavesTheOptionsAndReaderSurvives) {
  g_Option.m_nSeVolume = 3;
  std::string good = OptionFile(667, {4, 0, 2, 1}, "old");
  m_Tmp.WriteFile("user_data/Option.dat", good.substr(0, good.size() - 2));
  EXPECT_FALSE(LoadOption());
  EXPECT_EQ(g_Option.m_nSeVolume, 3);
  EXPECT_EQ(g_Option.m_szRankingName, "aaa");

  RunCorruptionHarness(good, "user_data\\Option.dat", [] {
    LoadOption();
    ASSERT_GE(g_Option.SeVolumeInUse(), 0);
    ASSERT_LE(g_Option.SeVolumeInUse(), 10);
    ASSERT_LE(g_Option.RankingModeInUse(), 3);
    ASSERT_LE(g_Option.HbtInUse(), 23);
    ASSERT_LE(CountMbcsChars(g_Option.RankingNameInUse()), 3);
  });
}

TEST_F(OptionFileTest, FixtureBuilderWritesWhatLoads) {
  cEdOption opt;
  opt.m_nHbt = 9;
  ASSERT_TRUE(WriteOptionDat(opt));
  ASSERT_TRUE(LoadOption());
  EXPECT_EQ(g_Option.m_nHbt, 9);
}
