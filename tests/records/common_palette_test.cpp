#include "records/common_palette.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "records/database.h"
#include "base/report.h"
#include "records/stage.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/corruption.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class CommonPaletteFile : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    g_Database = cEdDatabase();
    g_CommonPalette = cEdCommonPalette();
    g_Stage = cEdStage();
  }
  void TearDown() override {
    g_CommonPalette = cEdCommonPalette();
    g_Stage = cEdStage();
    g_bStripCR = 0;
  }
  std::string Path() { return "data/CommonPalette.cplt4"; }
};

void ExpectFixedHeads(cEdCommonPalette& pal) {
  // The fixed empty block has hit kind 1, which the refresh then clears
  // since the block has no picture.
  const cEdBlock& b = pal.m_vecBlock[0];
  EXPECT_EQ(b.m_nHitKind, BLOCKHIT_NONE);
  EXPECT_EQ(b.m_nPassSide, BLOCK_NO_PASS_SIDE);
  EXPECT_EQ(b.m_nImageIndex, 0);
  EXPECT_EQ(b.m_strText, "");
  EXPECT_EQ(b.m_vecInherit.size(), 11u);
  const cEdChara& c = pal.m_vecChara[0];
  EXPECT_EQ(c.m_nImageKind, IMAGE_CHARA);
  EXPECT_EQ(c.m_nMaxHp, 10u);
  EXPECT_EQ(c.m_nType, 1);
  EXPECT_EQ(c.m_vecInherit.size(), 37u);
  EXPECT_TRUE(c.m_vecFlow.empty());
  const cEdItem& i = pal.m_vecItem[0];
  EXPECT_EQ(i.m_nImageKind, IMAGE_ITEM);
  EXPECT_EQ(i.m_nSetting10, 6);
  EXPECT_EQ(i.m_vecInherit.size(), 13u);
  EXPECT_TRUE(i.m_vecCommand.empty());
}

}  // namespace

TEST_F(CommonPaletteFile, EmptyListsLoadPaddedToTwoWithTheFixedHeads) {
  // Hand-written: version, no fields, no strings, three empty lists.
  m_Tmp.WriteFile(Path(), Words({667, 0, 0, 0, 0, 0}));
  g_CommonPalette.m_vecBlock.assign(5, cEdBlock());
  ASSERT_TRUE(LoadCommonPalette());
  ASSERT_EQ(g_CommonPalette.m_vecBlock.size(), 2u);
  ASSERT_EQ(g_CommonPalette.m_vecChara.size(), 2u);
  ASSERT_EQ(g_CommonPalette.m_vecItem.size(), 2u);
  ExpectFixedHeads(g_CommonPalette);
  EXPECT_EQ(g_CommonPalette.m_vecBlock[1].m_nPassSide, BLOCK_NO_PASS_SIDE);
}

TEST_F(CommonPaletteFile, AFileWithoutItsListsFailsAndLeavesAUsablePalette) {
  m_Tmp.WriteFile(Path(), Words({667, 0, 0}));
  EXPECT_FALSE(LoadCommonPalette());
  EXPECT_EQ(g_CommonPalette.m_vecBlock.size(), 2u);
  EXPECT_EQ(g_CommonPalette.m_vecChara.size(), 2u);
  EXPECT_EQ(g_CommonPalette.m_vecItem.size(), 2u);
  ExpectFixedHeads(g_CommonPalette);
  EXPECT_NE(m_Tmp.ReadFile("Report_Game.txt"), "");
}

TEST_F(CommonPaletteFile, FileValuesStandAndElementZeroIsAlwaysTheEmptyDefinition) {
  cEdCommonPalette pal = MakeFixtureCommonPalette();
  // Element 0 with values of its own, and entries marked as inheriting from
  // entries before and after them.
  pal.m_vecBlock[0].m_nImageIndex = 77;
  pal.m_vecChara[0].m_nMaxHp = 1234;
  pal.m_vecItem[0].m_strText = "x";
  pal.m_vecBlock[2].m_nInheritSource = PALETTE_COMMON;
  pal.m_vecBlock[2].m_nInheritIndex = 3;
  pal.m_vecBlock[2].m_vecInherit.assign(BLOCK_INHERIT_GROUPS, 1);
  pal.m_vecChara[2].m_nTemplateSource = PALETTE_COMMON;
  pal.m_vecChara[2].m_nTemplateIndex = 1;
  pal.m_vecChara[2].m_vecInherit.assign(CHARA_INHERIT_GROUPS, 1);
  g_CommonPalette = pal;  // so that the writer's checks see the palette
  ASSERT_TRUE(WriteCommonPaletteFile(pal));
  g_CommonPalette = cEdCommonPalette();

  ASSERT_TRUE(LoadCommonPalette());
  cEdCommonPalette& got = g_CommonPalette;
  ASSERT_EQ(got.m_vecBlock.size(), 4u);
  ASSERT_EQ(got.m_vecChara.size(), 3u);
  ASSERT_EQ(got.m_vecItem.size(), 3u);
  ExpectFixedHeads(got);
  EXPECT_EQ(got.m_vecBlock[2].m_nImageIndex, 2);  // not block 3's picture
  EXPECT_EQ(got.m_vecBlock[2].m_nHitKind, BLOCKHIT_DEADLY);
  EXPECT_EQ(got.m_vecChara[2].m_nImageIndex, 16);  // not the player's
  EXPECT_EQ(got.m_vecChara[2].m_nType, 1);
  EXPECT_EQ(got.m_vecChara[2].m_vecFlow.size(), pal.m_vecChara[2].m_vecFlow.size());
  for (const cEdBlock& b : got.m_vecBlock)
    for (uint8_t m : b.m_vecInherit) EXPECT_EQ(m, 0);
  for (const cEdChara& c : got.m_vecChara)
    for (uint8_t m : c.m_vecInherit) EXPECT_EQ(m, 0);
  EXPECT_EQ(got.m_vecBlock[3].m_nItemSource, PALETTE_COMMON);
  EXPECT_EQ(got.m_vecItem[1].m_nSound, 1);
  EXPECT_EQ(got.m_vecItem[2].m_nPickup, ITEMPICKUP_REPEAT);

  // Written again, the file is the same.
  std::string first = m_Tmp.ReadFile(Path());
  ASSERT_TRUE(WriteCommonPaletteFile(got, 667, "again.cplt4"));
  g_CommonPalette = cEdCommonPalette();
  ASSERT_TRUE(g_CommonPalette.LoadFromFile("again.cplt4"));
  ASSERT_TRUE(WriteCommonPaletteFile(g_CommonPalette, 667, "third.cplt4"));
  EXPECT_EQ(m_Tmp.ReadFile("again.cplt4"), m_Tmp.ReadFile("third.cplt4"));
}

TEST_F(CommonPaletteFile, DamagedFilesNeitherCrashNorLeaveAnUnusablePalette) {
  cEdCommonPalette pal = MakeFixtureCommonPalette();
  g_CommonPalette = pal;
  ASSERT_TRUE(WriteCommonPaletteFile(pal));
  std::string good = m_Tmp.ReadFile(Path());
  CORRUPTIONPLAN plan;
  plan.nMutations = 600;
  RunCorruptionHarness(good, "data\\CommonPalette.cplt4", [] {
    LoadCommonPalette();
    ASSERT_GE(g_CommonPalette.m_vecBlock.size(), 2u);
    ASSERT_GE(g_CommonPalette.m_vecChara.size(), 2u);
    ASSERT_GE(g_CommonPalette.m_vecItem.size(), 2u);
  }, plan);
}

TEST_F(CommonPaletteFile, CountsTheFileCannotHoldAllocateNothing) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  cEdCommonPalette pal;  // two default entries in each list
  pal.Normalize();
  ASSERT_TRUE(WriteCommonPaletteFile(pal));
  const std::string good = m_Tmp.ReadFile(Path());
  HOSTILESIZEPLAN plan;
  plan.nMaxOffsets = good.size();
  HOSTILESIZERESULT r = RunHostileSizeHarness(good, "data\\CommonPalette.cplt4", [] { LoadCommonPalette(); }, plan);
  EXPECT_GT(r.nVariants, static_cast<int>(good.size()));
  // Sized to their counts, the lists took megabytes here.
  EXPECT_LT(r.nWorstPeakBytes, 1u << 20) << r.strWorst;
}

// Entries that are really in the file, as small as a file holds them: each
// costs a small multiple of its bytes, never the field tables and default
// lists an entry carries while it is being read.
TEST_F(CommonPaletteFile, FloodsOfSmallEntriesCostAFewTimesTheirBytes) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  const std::string kBlock = Words({0, 0}) + U16(0) + U16(0) + Words({0, 0});
  const std::string kChara = Words({0, 0}) + U16(0) + U16(0) + Words({0, 0, 0, 0});
  const std::string kItem = Words({0, 0}) + U16(0) + U16(0) + Words({0, 0, 0});
  const struct {
    const char* pszList;
    int nList;
    std::string strElement;
  } cases[] = {{"blocks", 0, kBlock}, {"charas", 1, kChara}, {"items", 2, kItem}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszList);
    cEdCommonPalette none;
    none.Normalize();
    cEdCommonPalette one = none;
    if (c.nList == 0) one.m_vecBlock.resize(3);
    if (c.nList == 1) one.m_vecChara.resize(3);
    if (c.nList == 2) one.m_vecItem.resize(3);
    ASSERT_TRUE(WriteCommonPaletteFile(none));
    const std::string withNone = m_Tmp.ReadFile(Path());
    ASSERT_TRUE(WriteCommonPaletteFile(one));
    ELEMENTFLOOD flood;
    ASSERT_TRUE(SplitAtListCount(withNone, m_Tmp.ReadFile(Path()), flood));
    flood.strElement = c.strElement;
    flood.nBytes = 60000 * c.strElement.size();  // at most 65,536 entries
    g_CommonPalette = cEdCommonPalette();
    ELEMENTFLOODRESULT r = RunElementFloodHarness(flood, "data\\CommonPalette.cplt4", [] {
      ASSERT_TRUE(LoadCommonPalette());
    });
    ASSERT_GT(r.nElements, 50000u);
    // 30 to 60 times the file before the entries let go of their tables.
    EXPECT_LT(r.nPeakBytes, 24 * r.nFileBytes);
  }
  // A list longer than 16 bits can name is damage.
  cEdCommonPalette none;
  none.Normalize();
  cEdCommonPalette one = none;
  one.m_vecBlock.resize(3);
  ASSERT_TRUE(WriteCommonPaletteFile(none));
  const std::string withNone = m_Tmp.ReadFile(Path());
  ASSERT_TRUE(WriteCommonPaletteFile(one));
  ELEMENTFLOOD flood;
  ASSERT_TRUE(SplitAtListCount(withNone, m_Tmp.ReadFile(Path()), flood));
  flood.strElement = kBlock;
  flood.nBytes = 70000 * kBlock.size();
  RunElementFloodHarness(flood, "data\\CommonPalette.cplt4", [] { EXPECT_FALSE(LoadCommonPalette()); });
  EXPECT_NE(m_Tmp.ReadFile("Report_Game.txt").find("block list"), std::string::npos);
}
