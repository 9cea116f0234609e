#include "records/replay_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/game_random.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "tests/support/corruption.h"
#include "tests/support/database_fixtures.h"
#include "tests/support/record_test_fixture.h"
#include "tests/support/stage_fixtures.h"

namespace {

class ReplayFileTest : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    // Headless boxes write to standard error.
    testing::internal::CaptureStderr();
    g_Database = cEdDatabase();
    g_CommonPalette = MakeFixtureCommonPalette();
    g_Stage = cEdStage();
    g_StageCopy = cEdStage();
    g_Progress = cEdProgress();
    for (int i = 0; i < REPLAY_BUFFER_COUNT; ++i) {
      g_ReplayKeys[i].Clear();
      g_ReplayProgress[i] = cEdProgress();
    }
    std::filesystem::create_directories("user_data/rpl4");
    m_Stage = MakeFixtureStage(30, 15);
    m_Stage.m_strText = "recorded";
    for (int i = 0; i < 5; ++i) KeyRecordRecordFrame(m_Keys, static_cast<uint16_t>(i / 2), 8);
    m_Keys.m_nRandomSeed = 1234;
    m_Progress.m_nLives = 7;
    m_Progress.m_strStage = "data\\stg4\\Forest.";
  }
  void TearDown() override {
    m_strBoxes = testing::internal::GetCapturedStderr();
    g_Stage = cEdStage();
    g_StageCopy = cEdStage();
    g_CommonPalette = cEdCommonPalette();
    g_Database = cEdDatabase();
    g_Progress = cEdProgress();
    cRecordFileTest::TearDown();
  }
  BOOL SaveAtVersion(int nVersion, const std::string& path) {
    g_nCurDataVersion = nVersion;
    BOOL ok = SaveReplay(m_Keys, path, m_Stage, m_Stage, m_Progress);
    g_nCurDataVersion = 667;
    return ok;
  }

  cEdStage m_Stage;
  cKeyRecord m_Keys;
  cEdProgress m_Progress;
  std::string m_strBoxes;
};

// Every frame the record plays back, as (direction, button) pairs.
std::vector<std::pair<int, int>> PlayAll(cKeyRecord& rec) {
  std::vector<std::pair<int, int>> v;
  uint16_t d = 0, b = 0;
  while (KeyRecordPlayFrame(rec, d, b) == 0 && v.size() < 1000) v.emplace_back(d, b);
  return v;
}

}  // namespace

TEST_F(ReplayFileTest, FilesOfEachVersionReadBack) {
  const std::vector<std::pair<int, int>> kFrames = {{0, 8}, {0, 8}, {1, 8}, {1, 8}, {2, 8}};
  for (int nVersion : {172, 173, 174, 667}) {
    SCOPED_TRACE(nVersion);
    ASSERT_TRUE(SaveAtVersion(nVersion, "user_data\\rpl4\\a.rpl4_667"));
    cKeyRecord keys;
    cEdStage stage, copy;
    cEdProgress progress;
    progress.m_nLives = 99;
    ASSERT_TRUE(LoadReplay(keys, "user_data\\rpl4\\a.rpl4_667", stage, copy, progress));
    EXPECT_EQ(keys.m_nRandomSeed, 1234u);
    EXPECT_EQ(PlayAll(keys), kFrames);
    EXPECT_EQ(stage.m_strText, "recorded");
    EXPECT_EQ(copy.m_strText, "recorded");
    EXPECT_TRUE(stage.HasPlayerPlacement());
    // Before 173 a replay carries no progress: the live one stays.
    EXPECT_EQ(progress.m_nLives, nVersion >= 173 ? 7 : 99);
    EXPECT_EQ(progress.m_strStage, nVersion >= 173 ? m_Progress.m_strStage : std::string());
  }
}

TEST_F(ReplayFileTest, DamagedFilesLeaveTheLiveStateAlone) {
  ASSERT_TRUE(SaveAtVersion(667, "user_data\\rpl4\\good.rpl4_667"));
  const std::string bytes = m_Tmp.ReadFile("user_data/rpl4/good.rpl4_667");
  cEdStage noPlayer = m_Stage;
  noPlayer.m_vecChara.clear();
  ASSERT_TRUE(SaveReplay(m_Keys, "user_data\\rpl4\\np.rpl4_667", noPlayer, noPlayer, m_Progress));

  const struct {
    const char* pszName;
    std::string strBytes;
  } kCases[] = {
      {"version word only", bytes.substr(0, 4)},
      {"cut in the stage", bytes.substr(0, bytes.size() / 3)},
      {"cut in the progress", bytes.substr(0, bytes.size() - 8)},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.pszName);
    m_Tmp.WriteFile("user_data/rpl4/bad.rpl4_667", c.strBytes);
    cKeyRecord keys = m_Keys;
    cEdStage stage;
    stage.m_strText = "live";
    cEdProgress progress;
    progress.m_nLives = 3;
    EXPECT_FALSE(LoadReplay(keys, "user_data\\rpl4\\bad.rpl4_667", stage, stage, progress));
    EXPECT_EQ(stage.m_strText, "live");
    EXPECT_EQ(progress.m_nLives, 3);
    EXPECT_EQ(keys.m_vecKeys1.size(), m_Keys.m_vecKeys1.size());
  }
  cKeyRecord keys;
  cEdStage stage;
  cEdProgress progress;
  EXPECT_FALSE(LoadReplay(keys, "user_data\\rpl4\\np.rpl4_667", stage, stage, progress));
  EXPECT_FALSE(LoadReplay(keys, "user_data\\rpl4\\missing.rpl4_667", stage, stage, progress));

  CORRUPTIONPLAN plan;
  plan.nMutations = 300;
  plan.nAllTruncationsBelow = 64;
  RunCorruptionHarness(bytes, "user_data\\rpl4\\bad.rpl4_667",
                       [&] { LoadReplay(keys, "user_data\\rpl4\\bad.rpl4_667", stage, stage, progress); }, plan);
}

TEST_F(ReplayFileTest, AFailedSaveKeepsTheEarlierFile) {
  ASSERT_TRUE(SaveAtVersion(667, "user_data\\rpl4\\a.rpl4_667"));
  const std::string before = m_Tmp.ReadFile("user_data/rpl4/a.rpl4_667");
  KeyRecordRecordFrame(m_Keys, 4, 0);
  SetDataFileWriteLimitForTests(200);
  EXPECT_FALSE(SaveAtVersion(667, "user_data\\rpl4\\a.rpl4_667"));
  SetDataFileWriteLimitForTests(-1);
  EXPECT_EQ(m_Tmp.ReadFile("user_data/rpl4/a.rpl4_667"), before);

  // Through the request: a message, and the game goes on.
  g_ReplayKeys[1] = m_Keys;
  g_Stage = m_Stage;
  g_StageCopy = m_Stage;
  EXPECT_FALSE(SaveReplayForRequest(1, "user_data\\nowhere\\a.rpl4_667"));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("a.rpl4_667"), std::string::npos);
  testing::internal::CaptureStderr();
}

TEST_F(ReplayFileTest, AttemptsMoveDownTheBuffersAndAReplayPlaysFromItsStart) {
  g_Progress.m_nLives = 1;
  ReplayBeginAttempt(5);
  for (uint16_t d : {1, 1, 2}) ReplayRecordFrame(d, 0);
  g_Progress.m_nLives = 2;
  ReplayBeginAttempt(9);
  const int nFirst = rand();
  srand(9);
  EXPECT_EQ(rand(), nFirst);
  ReplayRecordFrame(4, 1);

  EXPECT_EQ(g_ReplayKeys[1].m_nRandomSeed, 5u);
  EXPECT_EQ(g_ReplayKeys[1].m_vecRun1.size(), 2u);
  EXPECT_EQ(g_ReplayProgress[1].m_nLives, 1);
  EXPECT_EQ(g_ReplayKeys[0].m_nRandomSeed, 9u);
  EXPECT_EQ(g_ReplayKeys[0].m_vecKeys1.size(), 1u);
  EXPECT_EQ(g_ReplayProgress[0].m_nLives, 2);

  // Buffer 1 saved, chosen from the title, then read again and played twice
  // from the start, as the stage's set-up does for each restart.
  g_Stage = m_Stage;
  g_StageCopy = m_Stage;
  ASSERT_TRUE(SaveReplayForRequest(7, "user_data\\rpl4\\prev.rpl4_667"));
  ASSERT_TRUE(LoadReplayForRequest("user_data\\rpl4\\prev.rpl4_667"));
  EXPECT_EQ(g_Progress.m_nLives, 1);
  for (int nRun = 0; nRun < 2; ++nRun) {
    SCOPED_TRACE(nRun);
    g_Progress.m_nLives = 0;
    ASSERT_TRUE(LoadReplayForRequest(g_strReplayPath));
    EXPECT_EQ(g_Progress.m_nLives, 1);
    EXPECT_EQ(g_ReplayKeys[0].m_nRandomSeed, 5u);
    uint16_t d = 0, b = 0;
    std::vector<int> dirs;
    while (ReplayPlayFrame(d, b) == 0) dirs.push_back(d);
    EXPECT_EQ(dirs, (std::vector<int>{1, 1, 2}));
  }
}

TEST_F(ReplayFileTest, ADamagedChoiceGivesItsMessageAndKeepsTheLoadedReplay) {
  g_Stage = m_Stage;
  g_StageCopy = m_Stage;
  g_ReplayKeys[0] = m_Keys;
  ASSERT_TRUE(SaveReplayForRequest(0, "user_data\\rpl4\\good.rpl4_667"));
  ASSERT_TRUE(LoadReplayForRequest("user_data\\rpl4\\good.rpl4_667"));
  m_Tmp.WriteFile("user_data/rpl4/bad.rpl4_667", "\x9b\x02\0\0\x01");
  EXPECT_FALSE(LoadReplayForRequest("user_data\\rpl4\\bad.rpl4_667"));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("bad.rpl4_667"), std::string::npos);
  testing::internal::CaptureStderr();
  EXPECT_EQ(g_strReplayPath, "user_data\\rpl4\\good.rpl4_667");
  EXPECT_EQ(g_StageCopy.m_strText, "recorded");
}
