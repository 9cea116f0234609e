#include "records/progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/messages.h"
#include "base/report.h"
#include "records/system.h"
#include "records/world_map.h"
#include "tests/support/corruption.h"
#include "tests/support/temp_folder.h"

namespace {

// The registered members in file order, with the first version holding each.
struct MEMBER {
  int32_t cEdProgress::*p;
  int32_t nGate;
};
const MEMBER kMembers[] = {
    {&cEdProgress::m_bCarry, 0},          {&cEdProgress::m_nMapX, 0},
    {&cEdProgress::m_nMapY, 0},           {&cEdProgress::m_nMapEvent, 0},
    {&cEdProgress::m_nMapRound, 0},       {&cEdProgress::m_nClearFlag, 0},
    {&cEdProgress::m_nArea, 0},           {&cEdProgress::m_nLivesStart, 0},
    {&cEdProgress::m_nLives, 0},          {&cEdProgress::m_nScore, 0},
    {&cEdProgress::m_nRankValue0, 0},     {&cEdProgress::m_nTotalScore, 0},
    {&cEdProgress::m_nRankValue1, 0},     {&cEdProgress::m_nRankValue2, 0},
    {&cEdProgress::m_nRankValue3, 182},   {&cEdProgress::m_nRankValue4, 182},
    {&cEdProgress::m_bNumbered, 0},       {&cEdProgress::m_nValue17, 0},
    {&cEdProgress::m_nStageBgmOption, 166}, {&cEdProgress::m_nFacing, 194},
    {&cEdProgress::m_bLeftStage, 190},    {&cEdProgress::m_nPrevMapX, 191},
    {&cEdProgress::m_nPrevMapY, 191},     {&cEdProgress::m_nChallengeOpen, 0},
    {&cEdProgress::m_nSaveSlot, 0},       {&cEdProgress::m_bAutoSave, 169},
    {&cEdProgress::m_bMapRanking, 0},     {&cEdProgress::m_nRankGenre, 0},
};
static_assert(std::size(kMembers) == 28);
// Values that survive normalisation on a 40 × 30 map with 3 courses.
const int32_t kValues[28] = {1, 12, 7, 5, 2, 3, 4, 9, 8, 1234, 55, 7777, 66, 77,
                             88, 99, 1, 17, 2, 3, 1, 11, 6, 2, 7, 1, 1, 4};

// A hand-written progress file: nothing of the record's own writer.
class cBytes {
 public:
  void U32(uint32_t v) { m_s.append(reinterpret_cast<const char*>(&v), 4); }
  void U16(uint16_t v) { m_s.append(reinterpret_cast<const char*>(&v), 2); }
  void Str(const std::string& t) {
    U32(static_cast<uint32_t>(t.size() + 1));
    if (!t.empty()) m_s.append(t.c_str(), t.size() + 1);
  }
  std::string m_s;
};

std::string ProgressFile(int32_t nVersion, const int32_t (&values)[28]) {
  cBytes b;
  b.U32(static_cast<uint32_t>(nVersion));
  uint32_t nFields = 0;
  for (const MEMBER& m : kMembers) nFields += nVersion >= m.nGate;
  b.U32(nFields);
  for (size_t i = 0; i < 28; ++i)
    if (nVersion >= kMembers[i].nGate) b.U32(static_cast<uint32_t>(values[i]));
  b.U32(2);
  b.Str("data\\stg4\\Forest.");
  b.Str("abc");
  for (uint16_t w : {2026, 12, 3, 9, 23, 45, 6, 789}) b.U16(w);
  if (nVersion >= 501) {
    b.U32(25);
    for (uint32_t i = 0; i < 25; ++i) b.U32(i % 2);
  }
  b.U32(0);  // players
  b.U32(1);  // stage scores: one member, one string
  b.U32(1);
  b.U32(500);
  b.U32(1);
  b.Str("data\\stg4\\Forest.");
  b.U32(2);  // challenge pairs: two members each
  b.U32(2);
  b.U32(1);
  b.U32(300);
  b.U32(0);  // no strings
  b.U32(2);
  b.U32(0);
  b.U32(0);
  b.U32(0);
  b.U32(3);  // flags
  for (uint32_t v : {1u, 0u, 1u}) b.U32(v);
  b.U32(2);  // variables
  b.U32(static_cast<uint32_t>(-5));
  b.U32(7);
  return b.m_s;
}

class Progress : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nCurDataVersion = 667;
    g_bStripCR = 1;
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    m_SavedMap = g_WorldMap;
    m_nSavedCourses = g_System.m_nChallengeLimit;
    g_WorldMap.m_nWidth = 40;
    g_WorldMap.m_nHeight = 30;
    g_WorldMap.m_nStartX = 4;
    g_WorldMap.m_nStartY = 7;
    g_System.m_nChallengeLimit = 3;
  }
  void TearDown() override {
    g_WorldMap = m_SavedMap;
    g_System.m_nChallengeLimit = m_nSavedCourses;
    g_bStripCR = 0;
    ResetMessageLayerForTests();
  }
  std::string Report() { return m_Tmp.ReadFile("Report_Game.txt"); }

  cTempFolder m_Tmp;
  cEdWorldMap m_SavedMap;
  uint32_t m_nSavedCourses = 0;
};

// A record as a run leaves it: every list in use, a player with its chara.
cEdProgress FilledProgress() {
  cEdProgress p;
  ProgressReset(p);
  for (size_t i = 0; i < 28; ++i) p.*kMembers[i].p = kValues[i];
  p.m_strStage = "data\\stg4\\Cave03.";
  p.m_strRegName = "xyz";
  p.m_stSaved = SAVEDTIME{2026, 12, 3, 9, 23, 45, 6, 789};
  p.m_vCarry[3] = 1;
  p.m_vPlayer[0].m_nCarryHp = 40;
  p.m_vPlayer[0].m_nCarryBgm = 3;
  p.m_vPlayer[0].m_Chara.m_nMaxHp = 120;
  p.m_vPlayer[0].m_Chara.m_nPlayerNo = 1;
  p.m_vStageScore.resize(2);
  p.m_vStageScore[0].m_strName = "data\\stg4\\Forest.";
  p.m_vStageScore[0].m_nValue = 500;
  p.m_vStageScore[1].m_strName = "data\\stg4\\Cave03.";
  p.m_vStageScore[1].m_nValue = 12;
  p.m_vChallenge.resize(3);
  p.m_vChallenge[1].m_nFirst = 1;
  p.m_vChallenge[1].m_nSecond = 999;
  p.m_vFlag[999] = 1;
  p.m_vVar[255] = -3;
  return p;
}

}  // namespace

TEST_F(Progress, AHandWrittenFileReadsFieldByField) {
  m_Tmp.WriteFile("p.dat", ProgressFile(667, kValues));
  cEdProgress p;
  ASSERT_TRUE(p.LoadFromFile("p.dat"));
  for (size_t i = 0; i < 28; ++i) EXPECT_EQ(p.*kMembers[i].p, kValues[i]) << "member " << i + 1;
  EXPECT_EQ(p.m_strStage, "data\\stg4\\Forest.");
  EXPECT_EQ(p.m_strRegName, "abc");
  EXPECT_EQ(p.m_stSaved.wYear, 2026);
  EXPECT_EQ(p.m_stSaved.wMinute, 45);
  EXPECT_EQ(p.m_stSaved.wMilliseconds, 789);
  ASSERT_EQ(p.m_vCarry.size(), 25u);
  EXPECT_EQ(p.m_vCarry[0], 0u);
  EXPECT_EQ(p.m_vCarry[1], 1u);
  EXPECT_TRUE(p.m_vPlayer.empty());
  ASSERT_EQ(p.m_vStageScore.size(), 1u);
  EXPECT_EQ(p.m_vStageScore[0].m_nValue, 500u);
  EXPECT_EQ(p.m_vStageScore[0].m_strName, "data\\stg4\\Forest.");
  // Three courses in the project: the file's two pairs and a new one.
  ASSERT_EQ(p.m_vChallenge.size(), 3u);
  EXPECT_EQ(p.m_vChallenge[0].m_nFirst, 1u);
  EXPECT_EQ(p.m_vChallenge[0].m_nSecond, 300u);
  EXPECT_EQ(p.m_vChallenge[2].m_nSecond, 0u);
  // Short flag and variable lists read as if the rest were 0.
  ASSERT_EQ(p.m_vFlag.size(), 1000u);
  EXPECT_EQ(p.m_vFlag[2], 1u);
  EXPECT_EQ(p.m_vFlag[999], 0u);
  ASSERT_EQ(p.m_vVar.size(), 256u);
  EXPECT_EQ(p.m_vVar[0], -5);
  EXPECT_EQ(p.m_vVar[1], 7);
  EXPECT_EQ(Report(), "");
}

TEST_F(Progress, WritingAndReadingBackGivesTheSameBytes) {
  cEdProgress a = FilledProgress();
  ASSERT_TRUE(a.SaveToFile("a.dat"));
  const std::string first = m_Tmp.ReadFile("a.dat");
  // Version, 28 fields, the strings, the time, then the carry marks.
  ASSERT_GT(first.size(), 4u + 4 + 28 * 4);
  uint32_t nFields = 0;
  std::memcpy(&nFields, first.data() + 4, 4);
  EXPECT_EQ(nFields, 28u);

  cEdProgress b;
  ASSERT_TRUE(b.LoadFromFile("a.dat"));
  EXPECT_EQ(b.m_vPlayer.at(0).m_Chara.m_nMaxHp, 120u);
  EXPECT_EQ(b.m_vPlayer.at(0).m_nCarryBgm, 3u);
  EXPECT_EQ(b.m_vVar[255], -3);
  ASSERT_TRUE(b.SaveToFile("b.dat"));
  EXPECT_TRUE(m_Tmp.ReadFile("b.dat") == first);
  EXPECT_EQ(Report(), "");
}

// Members a file of that version does not hold take their conversion
// values, whatever the record held before.
TEST_F(Progress, OlderFilesTakeTheConversionValues) {
  for (int32_t nVersion : {165, 181, 193, 500}) {
    m_Tmp.WriteFile("old.dat", ProgressFile(nVersion, kValues));
    cEdProgress p = FilledProgress();
    for (const MEMBER& m : kMembers) p.*m.p = 42;
    ASSERT_TRUE(p.LoadFromFile("old.dat")) << nVersion;
    for (size_t i = 0; i < 28; ++i) {
      const MEMBER& m = kMembers[i];
      int32_t expected = kValues[i];
      if (nVersion < m.nGate) expected = m.p == &cEdProgress::m_nStageBgmOption ? 1 : 0;
      EXPECT_EQ(p.*m.p, expected) << "version " << nVersion << ", member " << i + 1;
    }
    // No carry marks before 501: every item counts as carried.
    EXPECT_EQ(p.m_vCarry, cVector<uint32_t>(25, 1)) << nVersion;
    EXPECT_EQ(p.m_strRegName, "abc");
    EXPECT_EQ(p.m_vVar[0], -5);
  }
  EXPECT_EQ(Report(), "");
}

TEST_F(Progress, NormalizeKeepsPositionsAndCountsInsideTheProject) {
  struct CASE {
    int32_t x, y, open, slot, genre;
    uint32_t nPairs, nCourses;
    int32_t expX, expY, expOpen, expSlot, expGenre;
  } cases[] = {
      {39, 29, 2, 98, 4, 3, 3, 39, 29, 2, 98, 4},   // last cell, last slot, last genre
      {40, 30, 3, -1, 0, 3, 3, 4, 7, 3, -1, 0},     // one past the edge: the start cell
      {-1, -5, 3, 0, 0, 3, 3, 4, 7, 3, 0, 0},       // negative: the start cell
      {0, 0, 5, 0, 0, 5, 2, 0, 0, 2, 0, 0},         // fewer courses: pairs dropped, open lowered
      {0, 0, 0, 99, 5, 0, 3, 0, 0, 1, -1, 0},       // nothing open; slot and genre out of range
      {0, 0, -4, -2, -1, 1, 0, 0, 0, 0, -1, 0},     // a project without courses
  };
  for (const CASE& c : cases) {
    g_System.m_nChallengeLimit = c.nCourses;
    cEdProgress p;
    ProgressReset(p);
    p.m_nMapX = c.x;
    p.m_nMapY = c.y;
    p.m_nChallengeOpen = c.open;
    p.m_nSaveSlot = c.slot;
    p.m_nRankGenre = c.genre;
    p.m_vChallenge.resize(c.nPairs);
    if (c.nPairs) p.m_vChallenge[0].m_nSecond = 77;
    ProgressNormalize(p);
    const std::string at = "case " + std::to_string(&c - cases);
    EXPECT_EQ(p.m_nMapX, c.expX) << at;
    EXPECT_EQ(p.m_nMapY, c.expY) << at;
    EXPECT_EQ(p.m_nChallengeOpen, c.expOpen) << at;
    EXPECT_EQ(p.m_nSaveSlot, c.expSlot) << at;
    EXPECT_EQ(p.m_nRankGenre, c.expGenre) << at;
    ASSERT_EQ(p.m_vChallenge.size(), c.nCourses) << at;
    if (c.nPairs && c.nCourses) {
      EXPECT_EQ(p.m_vChallenge[0].m_nSecond, 77u) << at;
    }
  }
}

TEST_F(Progress, TheCommonResetStartsAnEmptyRun) {
  cEdProgress p = FilledProgress();
  ProgressReset(p);
  for (const MEMBER& m : kMembers) {
    if (m.p == &cEdProgress::m_nChallengeOpen || m.p == &cEdProgress::m_nSaveSlot) continue;
    EXPECT_EQ(p.*m.p, 0);
  }
  EXPECT_EQ(p.m_nChallengeOpen, 1);
  EXPECT_EQ(p.m_nSaveSlot, -1);
  EXPECT_EQ(p.m_strStage, "");
  EXPECT_EQ(p.m_strRegName, "aaa");
  EXPECT_EQ(p.m_vCarry, cVector<uint32_t>(25, 0));
  ASSERT_EQ(p.m_vPlayer.size(), 1u);
  EXPECT_EQ(p.m_vPlayer[0].m_nCarryHp, 0u);
  EXPECT_EQ(p.m_vPlayer[0].m_Chara.m_nMaxHp, cEdChara().m_nMaxHp);
  ASSERT_EQ(p.m_vFlag.size(), 1000u);
  EXPECT_EQ(p.m_vFlag[0], 1u);
  EXPECT_EQ(std::count(p.m_vFlag.begin(), p.m_vFlag.end(), 0u), 999);
  EXPECT_EQ(p.m_vVar, cVector<int32_t>(256, 0));
  EXPECT_TRUE(p.m_vStageScore.empty());
  EXPECT_TRUE(p.m_vChallenge.empty());
}

TEST_F(Progress, StageNamesDropTheirNumberAndExtension) {
  struct CASE {
    const char* path;
    const char* name;
    int32_t bNumbered;
  } cases[] = {
      {"data\\stg4\\Forest.stg4_000", "data\\stg4\\Forest.", 0},
      {"data\\stg4\\Cave03-1.stg4_000", "data\\stg4\\Cave03.", 1},
      {"data\\stg4\\c07-1.stg4", "data\\stg4\\c07.", 1},
      {"data\\stg4\\Hill-2.stg4_001", "data\\stg4\\Hill-2.", 0},
      {"Plain", "Plain", 0},
      {"a.b.c", "a.b.", 0},
  };
  for (const CASE& c : cases) {
    cEdProgress p;
    p.m_bNumbered = 7;
    SetProgressStageName(p, c.path);
    EXPECT_EQ(p.m_strStage, c.name) << c.path;
    EXPECT_EQ(p.m_bNumbered, c.bNumbered) << c.path;
  }
}

TEST_F(Progress, DamagedFilesFailWithOneReportLine) {
  cEdProgress good = FilledProgress();
  ASSERT_TRUE(good.SaveToFile("good.dat"));
  const std::string bytes = m_Tmp.ReadFile("good.dat");
  // The flag count is the last list's count but one: found from the end.
  const size_t nFlagCount = bytes.size() - (4 + 256 * 4) - (4 + 1000 * 4);
  uint32_t n = 0;
  std::memcpy(&n, bytes.data() + nFlagCount, 4);
  ASSERT_EQ(n, 1000u);

  struct CASE {
    const char* what;
    std::string file;
  } cases[] = {
      {"cut inside the variables", bytes.substr(0, bytes.size() - 10)},
      {"cut inside the base part", bytes.substr(0, 60)},
      {"a flag count past the end", [&] {
         std::string s = bytes;
         const uint32_t huge = 0x7FFFFFFF;
         std::memcpy(s.data() + nFlagCount, &huge, 4);
         return s;
       }()},
  };
  for (const CASE& c : cases) {
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    m_Tmp.WriteFile("bad.dat", c.file);
    cEdProgress p;
    EXPECT_FALSE(p.LoadFromFile("bad.dat")) << c.what;
    const std::string r = Report();
    EXPECT_EQ(std::count(r.begin(), r.end(), '\n'), 1) << c.what << ": " << r;
    // What the run reads by number is there even after a failed read.
    EXPECT_GE(p.m_vFlag.size(), 1000u) << c.what;
    EXPECT_GE(p.m_vVar.size(), 256u) << c.what;
    EXPECT_GE(p.m_vCarry.size(), 25u) << c.what;
  }

  CORRUPTIONPLAN plan;
  plan.nMutations = 600;
  plan.nAllTruncationsBelow = 400;
  RunCorruptionHarness(bytes, "bad.dat", [] {
    cEdProgress p;
    // A file too short for its version word is never read.
    if (!p.LoadFromFile("bad.dat") && p.m_vFlag.empty()) return;
    ASSERT_GE(p.m_vFlag.size(), 1000u);
    ASSERT_EQ(p.m_vChallenge.size(), 3u);
    ASSERT_GE(p.m_nSaveSlot, -1);
    ASSERT_LT(p.m_nSaveSlot, 99);
  }, plan);
}

TEST_F(Progress, StageScoresAreFoundByTheirExactName) {
  const cEdProgress saved = g_Progress;
  g_Progress = FilledProgress();
  EXPECT_EQ(FindStageScore("data\\stg4\\Forest."), 500u);
  EXPECT_EQ(FindStageScore("data\\stg4\\Cave03."), 12u);
  EXPECT_EQ(FindStageScore("data\\stg4\\forest."), 0u);
  EXPECT_EQ(FindStageScore(""), 0u);
  g_Progress = saved;
}

// Genres 1 and 3 on for play kind 2; kind 3 has none and kind 4 does not
// exist.
TEST_F(Progress, RankingGenresStepThroughTheEnabledOnes) {
  const cVector<cEdRankingSwitch> saved = g_System.m_vecRankingSwitch;
  g_System.m_vecRankingSwitch.assign(4, cEdRankingSwitch());
  g_System.m_vecRankingSwitch[2].Flags() = cVector<uint8_t>({0, 1, 0, 1, 0});
  g_System.m_vecRankingSwitch[3].Flags() = cVector<uint8_t>({0, 0});
  struct CASE {
    int nKind, nFrom, nStep, nTo;
  } cases[] = {
      {2, 1, 1, 3}, {2, 3, 1, 1}, {2, 0, 1, 1}, {2, 4, 1, 1},   // forward, wrapping past 4
      {2, 3, -1, 1}, {2, 1, -1, 3}, {2, 0, -1, 3},              // backward, wrapping past 0
      {2, 1, 2, 1}, {2, 1, 0, 1},
      {2, 0, 0, 1}, {2, 4, 0, 1}, {2, 2, 0, 3},                 // step 0 onto one that is on
      {3, 2, 1, 2}, {4, 2, 1, 2}, {-1, 2, 1, 2},                // nothing enabled
  };
  for (const CASE& c : cases) {
    cEdProgress p;
    p.m_nRankGenre = c.nFrom;
    NextRankingGenre(p, c.nKind, c.nStep);
    EXPECT_EQ(p.m_nRankGenre, c.nTo) << c.nKind << " " << c.nFrom << " " << c.nStep;
  }
  g_System.m_vecRankingSwitch = saved;
}

// A cleared story stage: its event's flag set, the run's total kept as the
// stage's high score only when it beats the kept one; a flag number from the
// map file past the list sets nothing.
TEST_F(Progress, AStoryClearMarksTheEventAndKeepsTheBestScore) {
  struct CASE {
    int32_t nFlag;
    const char* pszStage;
    int32_t nTotal;
    bool bFlagSet;
    uint32_t nScore;  // the stage's high score afterwards
    size_t nScores;
  } const cases[] = {
      {7, "data\\stg4\\Cave03.", 7777, true, 7777, 2},
      {7, "data\\stg4\\Cave03.", 5, true, 12, 2},
      {kStoryFlagCount, "data\\stg4\\Cave03.", 20, false, 20, 2},
      {-1, "data\\stg4\\Hill.", 30, false, 30, 3},
  };
  const cEdProgress saved = g_Progress;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nFlag);
    g_Progress = FilledProgress();
    g_Progress.m_vFlag[7] = 0;
    g_Progress.m_nClearFlag = c.nFlag;
    g_Progress.m_strStage = c.pszStage;
    g_Progress.m_nTotalScore = c.nTotal;
    RecordStoryClear(g_Progress);
    EXPECT_EQ(g_Progress.m_vFlag[7], c.bFlagSet ? 1u : 0u);
    EXPECT_EQ(g_Progress.m_vFlag.size(), size_t(kStoryFlagCount));
    EXPECT_EQ(FindStageScore(c.pszStage), c.nScore);
    EXPECT_EQ(g_Progress.m_vStageScore.size(), c.nScores);
    EXPECT_EQ(FindStageScore("data\\stg4\\Forest."), 500u);
  }
  g_Progress = saved;
}

// The event of the stage in play is named by its place among all the map's
// events, so it is found wherever the player stands; the next round clears
// every flag but entry 0 and goes back to the start cell.
TEST_F(Progress, TheMapEventOfAStageAndTheNextRound) {
  g_WorldMap.m_vEvent.clear();
  g_WorldMap.m_vEvent.resize(2);
  g_WorldMap.m_vEvent[0].m_vAction.resize(2);
  g_WorldMap.m_vEvent[1].m_nX = 5;
  const cEdWorldAction& third = g_WorldMap.m_vEvent[1].m_vAction[0];
  const int32_t n = MapEventNumber(third);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(MapEventNumber(cEdWorldAction()), -1);
  cEdProgress p = FilledProgress();
  for (const auto& [nEvent, lpWant] :
       std::vector<std::pair<int32_t, const cEdWorldAction*>>{{n, &third},
                                                              {1, &g_WorldMap.m_vEvent[0].m_vAction[1]},
                                                              {3, nullptr},
                                                              {-1, nullptr}}) {
    p.m_nMapEvent = nEvent;
    EXPECT_EQ(ProgressMapEvent(p), lpWant) << nEvent;
  }

  p.m_nMapRound = 2;
  MapRoundStep(p);
  EXPECT_EQ(p.m_nMapRound, 3);
  EXPECT_EQ(p.m_vFlag[0], 1u);
  EXPECT_EQ(std::count(p.m_vFlag.begin(), p.m_vFlag.end(), 0u), kStoryFlagCount - 1);
  EXPECT_EQ(p.m_nMapX, 4);
  EXPECT_EQ(p.m_nMapY, 7);
}
