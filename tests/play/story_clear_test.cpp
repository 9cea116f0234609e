// What a cleared story stage leaves in the progress record before the next
// mode: the map event passed, the stage's best score, and the event's end
// kind deciding between the map, the map's next round and the title.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/world_map.h"
#include "tests/support/scoped_override.h"

TEST(StoryClear, TheMapEventIsPassedAndItsEndKindDecides) {
  cScopedOverride<cEdWorldMap> map{g_WorldMap};
  cScopedOverride<cEdProgress> progress{g_Progress};
  struct CASE {
    int32_t nEndKind;
    int nMode;
    bool bFlagKept;  // the next round clears every flag
  } const cases[] = {{0, 1, true}, {1, 1, false}, {2, 0, true}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nEndKind);
    g_WorldMap = cEdWorldMap();
    g_WorldMap.m_nStartX = 1;
    g_WorldMap.m_nStartY = 2;
    g_WorldMap.m_vEvent.resize(2);
    g_WorldMap.m_vEvent[1].m_nX = 6;
    g_WorldMap.m_vEvent[1].m_nY = 3;
    g_WorldMap.m_vEvent[1].m_vAction.resize(2);
    cEdWorldAction& e = g_WorldMap.m_vEvent[1].m_vAction[1];
    e.m_nPassFlag = 5;
    e.m_nEndKind = c.nEndKind;
    ProgressReset(g_Progress);
    g_Progress.m_nMapX = 6;
    g_Progress.m_nMapY = 3;
    g_Progress.m_nMapEvent = MapEventNumber(e);
    g_Progress.m_nClearFlag = 5;
    g_Progress.m_strStage = "data\\stg4\\Hill.";
    g_Progress.m_nTotalScore = 300;
    // A new game's stage, not a numbered chain.
    auto s = std::make_unique<cSceneStage>(STAGESTART{1, 0, 0, 0, 0, 0});
    EXPECT_EQ(s->DecideNextMode(), c.nMode);
    EXPECT_EQ(g_Progress.m_vFlag[5], c.bFlagKept ? 1u : 0u);
    EXPECT_EQ(g_Progress.m_vFlag[0], 1u);
    EXPECT_EQ(FindStageScore("data\\stg4\\Hill."), 300u);
    EXPECT_EQ(g_Progress.m_nMapRound, c.bFlagKept ? 0 : 1);
    EXPECT_EQ(g_Progress.m_nMapX, c.bFlagKept ? 6 : 1);
  }
}
