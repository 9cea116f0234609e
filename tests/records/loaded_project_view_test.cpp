#include "records/loaded_project_view.h"

#include <gtest/gtest.h>

#include "records/flow_enums.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/stage.h"
#include "records/system.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/scoped_override.h"

// The running program's view reads the globals as they stand when a pass
// runs; the globals are put back afterwards.
TEST(LoadedFlowProjectView, ReadsTheGlobalsOfTheLoadedProject) {
  cScopedOverride<cEdDatabase> db(g_Database);
  cScopedOverride<cVector<cEdItem>> items(g_CommonPalette.m_vecItem);
  cScopedOverride<cVector<cEdChara>> stageCharas(g_Stage.m_vecPaletteChara);
  cScopedOverride<uint32_t> keep(g_System.m_bKeepMarkedFlows);

  g_Database.m_vecAnime.resize(3);
  g_Database.m_vecSwordType.resize(2);
  g_Database.m_vecSwordType[1].m_vecPart.resize(2);
  g_Database.m_vecSwordType[1].m_vecPart[0].anPart[9] = 5000;
  g_Database.m_vecSwordType[1].m_vecPart[1].anPart[9] = 6000;
  g_CommonPalette.m_vecItem.resize(4);
  g_Stage.m_vecPaletteChara.resize(6);
  g_System.m_bKeepMarkedFlows = 1;

  cLoadedFlowProjectView view;
  EXPECT_EQ(view.DatabaseCount(FITDB_ANIME), 3);
  EXPECT_EQ(view.DatabaseCount(FITDB_SWORDTYPE), 2);
  EXPECT_EQ(view.PaletteCount(FITPAL_COMMON, FITLIST_ITEM), 4);
  EXPECT_EQ(view.PaletteCount(FITPAL_STAGE, FITLIST_CHARA), 6);
  EXPECT_EQ(view.SwordPartFrames(1), (std::vector<int>{5000, 6000}));
  EXPECT_TRUE(view.SwordPartFrames(2).empty());
  EXPECT_TRUE(view.KeepMarkedFlows());
  EXPECT_FALSE(view.EditorLink());

  InstallLoadedFlowProjectView();
  cEdCommand sword = MakeFlowCommand(FlowCommandKind::Sword);
  NewEdShot(sword.m_pShot);
  sword.m_pShot->m_bySwordType = 1;
  cEdCommand anime = MakeFlowCommand(FlowCommandKind::RunAnime);
  anime.m_vParam[0] = 3;
  FitCommandToDatabase(sword);
  FitCommandToDatabase(anime);
  EXPECT_TRUE(TestPlayFlowsKept());
  SetFlowProjectView(nullptr);
  EXPECT_EQ(sword.m_nTimeBase, 9999);
  EXPECT_EQ(anime.m_vParam[0], 1);
}
