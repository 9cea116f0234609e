// The ranking drawing's rules that decide what is shown: the result panel's
// kinds by stage switches, play kind flags and a stage named at start-up,
// the kinds' labels and the result values; and that drawing a table or the
// panel with no device touches nothing it should not.
#include "shell/ranking_display.h"

#include <gtest/gtest.h>

#include "platform/text_cp932.h"
#include "records/progress.h"
#include "records/stage.h"
#include "records/system.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"
#include "tests/support/scoped_override.h"

TEST(RankingDisplay, ResultPanelKinds) {
  cScopedOverride<cVector<uint32_t>> stage{g_StageCopy.m_vecRankingSwitch};
  cScopedOverride<cVector<cEdRankingSwitch>> kinds{g_System.m_vecRankingSwitch};
  cScopedOverride<BOOL> free{g_bFreeStage};
  cScopedOverride<int32_t> playKind{g_SceneMgr.m_nPlayKind, PLAYKIND_CHALLENGE};

  const struct {
    BOOL bFree;
    std::vector<uint32_t> stageSwitch;
    std::vector<uint8_t> kindFlags;
    std::vector<bool> shown;
  } kCases[] = {
      {0, {1, 1, 1, 1, 1}, {1, 0, 1, 0, 1}, {1, 0, 1, 0, 1}},
      {0, {0, 1, 1, 0, 1}, {1, 1, 1, 1, 1}, {0, 1, 1, 0, 1}},
      // Named at start-up: the stage's switches alone.
      {1, {1, 0, 1, 1, 0}, {0, 0, 0, 0, 0}, {1, 0, 1, 1, 0}},
      // Short lists from an old project show nothing past their end.
      {0, {1, 1}, {1, 1, 1}, {1, 1, 0, 0, 0}},
      {0, {}, {1, 1, 1, 1, 1}, {0, 0, 0, 0, 0}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(c.shown));
    g_bFreeStage = c.bFree;
    g_StageCopy.m_vecRankingSwitch.assign(c.stageSwitch.begin(), c.stageSwitch.end());
    g_System.m_vecRankingSwitch.CheckedAt(PLAYKIND_CHALLENGE).Flags().assign(c.kindFlags.begin(), c.kindFlags.end());
    bool abShown[RANK_TABLE_COUNT] = {};
    const int n = ShownResultKinds(abShown);
    int nExpect = 0;
    for (int k = 0; k < RANK_TABLE_COUNT; ++k) {
      EXPECT_EQ(abShown[k], c.shown[static_cast<size_t>(k)]) << k;
      nExpect += c.shown[static_cast<size_t>(k)] ? 1 : 0;
    }
    EXPECT_EQ(n, nExpect);
  }
}

TEST(RankingDisplay, LabelsAndResultValues) {
  const char* const kLabels[] = {"スコア", "残り時間", "クリア時間", "残りHP", "残りSP"};
  for (int k = 0; k < RANK_TABLE_COUNT; ++k) EXPECT_EQ(RankKindLabel(k), Sjis(kLabels[k]));

  cScopedOverride<cEdProgress> progress{g_Progress};
  g_Progress.m_nRankValue0 = 10;
  g_Progress.m_nRankValue1 = 11;
  g_Progress.m_nRankValue2 = 12;
  g_Progress.m_nRankValue3 = 13;
  g_Progress.m_nRankValue4 = 14;
  for (int k = 0; k < RANK_TABLE_COUNT; ++k) EXPECT_EQ(ResultValueOf(k), 10 + k);
}
