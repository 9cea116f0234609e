#include "tests/support/project_builder.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "records/database.h"
#include "base/report.h"
#include "records/system.h"
#include "records/world_map.h"
#include "tests/support/temp_folder.h"

// A builder-made project reads back through the loaders start-up uses, in
// start-up's order, at the current version and at an old one.
TEST(ProjectBuilder, WholeProjectLoadsInStartUpOrder) {
  for (int32_t version : {DATA_VERSION_CURRENT, 180}) {
    cTempFolder tmp;
    ResetMessageLayerForTests();
    g_nCurDataVersion = 667;
    g_bStripCR = 1;
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    cProjectBuilder builder(tmp.Path());
    builder.SetDataVersion(version);
    ASSERT_TRUE(builder.Build()) << version;
    EXPECT_EQ(g_nCurDataVersion, 667);

    ASSERT_TRUE(LoadDatabases()) << version;
    EXPECT_EQ(g_Database.m_vecBgm.size(), builder.m_Database.m_vecBgm.size());
    EXPECT_EQ(g_Database.m_vecSound.size(), builder.m_Database.m_vecSound.size());
    ASSERT_TRUE(LoadSystem()) << version;
    EXPECT_EQ(g_System.m_vecIniKey.size(), cEdSystem().m_vecIniKey.size());
    ASSERT_TRUE(LoadWorldMap()) << version;
    EXPECT_EQ(g_WorldMap.m_nStartX, builder.m_WorldMap.m_nStartX);
    EXPECT_EQ(g_WorldMap.m_vEvent.size(), builder.m_WorldMap.m_vEvent.size());
    EXPECT_EQ(tmp.ReadFile("Report_Game.txt"), "") << version;
  }
}
