// The real program, headless: a stage cleared in free play registers its
// result with F3 under the name typed in the name entry; the ranking shown
// over the frozen stage has the new row at its place among the rows there
// before, and the ranking file keeps it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "records/ranking.h"
#include "records/ranking_file.h"
#include "tests/e2e/e2e_project.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/demo_game.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kGolden = T4_SOURCE_DIR "/tests/golden/e2e/ranking_registered.png";
constexpr int kPlayKindFree = 2;
const char* const kStageName = "data\\stg4\\Stage1.";

}  // namespace

TEST(RankingE2e, AClearRegisteredWithF3ShowsItsRowAmongTheOthers) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  SetDemoGame(builder);
  // The goal clears the stage three seconds into play; walking right for
  // two seconds takes coins worth 150.
  SetQuickClearStage(builder);
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // Scores 300, 200 and 50 were registered before: 150 enters third.
  cEdRankingSet before;
  ResetRanking(before);
  RankTableInsert(before.m_vecTable[0], "AAA", 300);
  RankTableInsert(before.m_vecTable[0], "BBB", 200);
  RankTableInsert(before.m_vecTable[0], "CCC", 50);
  ASSERT_TRUE(SaveUserDataRecord(before, kPlayKindFree, kStageName));
  // Title: three rows down to free play, Z; once play runs Right to the goal;
  // F3 on the result, then Z closes the ranking and the result.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
                   "40 Z down\n41 Z up\n200 Right down\n330 Right up\n400 F3 down\n401 F3 up\n"
                   "440 Z down\n441 Z up\n");
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d,file:data\\stg4\\Stage1.stg4_000,text:ZED"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", "470"},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_PLAYLOG", folder.Path() + "/play.log"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", "390,420"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
  const std::string err = folder.ReadFile("stderr.txt");
  EXPECT_NE(err.find("[登録名(3文字まで)] ZED"), std::string::npos) << err;

  cEdRankingSet after;
  ASSERT_TRUE(LoadUserDataRecord(after, kPlayKindFree, kStageName)) << err;
  const cEdRankTable& score = after.m_vecTable[0];
  const char* const apszWant[] = {"AAA", "BBB", "ZED", "CCC"};
  const int32_t anWant[] = {300, 200, 150, 50};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(score.m_vecEntry[i].m_bUsed, 1u);
    EXPECT_EQ(score.m_vecEntry[i].m_strName, apszWant[i]);
    EXPECT_EQ(score.m_vecEntry[i].m_nValue, anWant[i]);
  }
  EXPECT_EQ(score.m_vecEntry[4].m_bUsed, 0u);
  // The clear time went into its empty table as its first row.
  EXPECT_EQ(after.m_vecTable[2].m_vecEntry[0].m_strName, "ZED");

  const std::string shot = folder.ReadFile("shots/frame-00420.png");
  ASSERT_FALSE(shot.empty()) << err;
  ExpectGoldenPicture(shot, kGolden);
  // Closed while the ranking shows: the display thread ends and the
  // program with it, in order.
  pid = StartGame(folder.Path(),
                  {{"TARVOLIN4_ANSWERS", "d3d,file:data\\stg4\\Stage1.stg4_000,text:ZED"},
                   {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                   {"TARVOLIN4_EXIT_AFTER", "415"},
                   {"TARVOLIN4_FAST", "1"}},
                  folder.Path() + "/stderr2.txt");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 30000), 0) << folder.ReadFile("stderr2.txt");
}
