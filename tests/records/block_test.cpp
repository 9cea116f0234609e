#include "records/block.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "base/report.h"
#include "records/stage.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class BlockRecords : public cRecordFileTest {
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
    SetBlockConditionTest(nullptr);
    g_bStripCR = 0;
  }
};

cEdBlock Distinct(uint16_t nPicture) {
  cEdBlock b;
  b.m_strText = "src";
  b.m_nImageIndex = nPicture;
  b.m_nImageKind = IMAGE_ITEM;
  b.m_nImageSub = 4;
  b.m_nSettingA = 7;
  b.m_nHitKind = BLOCKHIT_DEADLY;
  b.m_nPassSide = 2;
  b.m_nSettingC = 9;
  return b;
}

}  // namespace

TEST_F(BlockRecords, InheritsTheMarkedGroupsFromAnEntryThatExists) {
  g_CommonPalette.m_vecBlock.assign(6, cEdBlock());
  g_CommonPalette.m_vecBlock[5] = Distinct(40);

  cEdBlock b;
  b.m_nImageIndex = 3;
  b.m_nSettingA = 1;
  b.m_nInheritSource = PALETTE_COMMON;
  b.m_nInheritIndex = 5;
  b.m_vecInherit[2] = 1;  // picture
  b.m_vecInherit[6] = 1;  // hit kind
  b.InheritFromPalette();
  EXPECT_EQ(b.m_nImageIndex, 40);
  EXPECT_EQ(b.m_nImageKind, IMAGE_ITEM);
  EXPECT_EQ(b.m_nImageSub, 4);
  EXPECT_EQ(b.m_nHitKind, BLOCKHIT_DEADLY);
  EXPECT_EQ(b.m_nSettingA, 1);  // group 3 not marked
  EXPECT_EQ(b.m_strText, "");

  // Index 0 never copies, whatever the source and the vector say.
  cEdBlock none;
  none.m_nInheritSource = PALETTE_COMMON;
  none.m_vecInherit.assign(BLOCK_INHERIT_GROUPS, 1);
  none.InheritFromPalette();
  EXPECT_EQ(none.m_nHitKind, BLOCKHIT_SOLID);

  // One past the list: the source goes, the block keeps its own values.
  g_CommonPalette.m_vecBlock.resize(5);
  cEdBlock past = b;
  past.m_nImageIndex = 3;
  past.InheritFromPalette();
  EXPECT_EQ(past.m_nInheritSource, PALETTE_NONE);
  EXPECT_EQ(past.m_nImageIndex, 3);
}

TEST_F(BlockRecords, AnOverlongInheritanceVectorReadsWholeAndActsOnItsGroupsOnly) {
  g_CommonPalette.m_vecBlock.assign(3, cEdBlock());
  g_CommonPalette.m_vecBlock[2] = Distinct(12);
  cEdBlock b;
  b.m_nImageIndex = 1;
  b.m_nInheritSource = PALETTE_COMMON;
  b.m_nInheritIndex = 2;
  b.m_vecInherit.assign(40, 1);  // 29 entries name no group
  cEdBlock back;
  ASSERT_TRUE(WriteAndReadDefinition(b, 667, back));
  EXPECT_EQ(back.m_vecInherit.size(), 40u);
  EXPECT_EQ(back.m_nImageIndex, 12);
  EXPECT_EQ(back.m_nSettingC, 9);
}

TEST_F(BlockRecords, RefreshStepsResetEmptyPicturesAndMissingItems) {
  g_Stage.m_vecPaletteItem.assign(3, cEdItem());
  struct {
    uint16_t nPicture;
    uint8_t nItemSource;
    uint16_t nItemIndex;
    uint8_t nHit, nSettingC, nItemSourceAfter;
    uint16_t nItemIndexAfter;
  } cases[] = {
      {0, PALETTE_STAGE, 1, 0, 0, PALETTE_STAGE, 1},   // empty block: no hit, no setting C
      {5, PALETTE_STAGE, 2, 2, 9, PALETTE_STAGE, 2},   // in range
      {5, PALETTE_STAGE, 3, 2, 9, PALETTE_NONE, 0},    // past the stage's items
      {5, PALETTE_COMMON, 1, 2, 9, PALETTE_NONE, 0},   // the common palette has one item
      {5, 3, 50, 2, 9, 3, 50},                          // another source is left alone
  };
  for (const auto& c : cases) {
    cEdBlock b;
    b.m_nImageIndex = c.nPicture;
    b.m_nHitKind = BLOCKHIT_DEADLY;
    b.m_nSettingC = 9;
    b.m_nItemSource = c.nItemSource;
    b.m_nItemIndex = c.nItemIndex;
    cEdBlock back;
    ASSERT_TRUE(WriteAndReadDefinition(b, 667, back));
    back.CheckItemRef();
    EXPECT_EQ(back.m_nHitKind, c.nHit) << c.nPicture;
    EXPECT_EQ(back.m_nSettingC, c.nSettingC);
    EXPECT_EQ(back.m_nItemSource, c.nItemSourceAfter) << c.nItemIndex;
    EXPECT_EQ(back.m_nItemIndex, c.nItemIndexAfter);
  }
}

TEST_F(BlockRecords, ShotPicturesOfOldFilesMoveUpByOneToAtMost119) {
  struct {
    int nVersion;
    uint8_t nKind;
    uint16_t nIndex, nExpect;
  } cases[] = {
      {218, IMAGE_SHOT, 50, 51}, {218, IMAGE_SHOT, 119, 119}, {218, IMAGE_SHOT, 118, 119},
      {219, IMAGE_SHOT, 50, 50}, {218, IMAGE_BLOCK, 50, 50},
  };
  for (const auto& c : cases) {
    cEdBlock b;
    b.m_nImageKind = c.nKind;
    b.m_nImageIndex = c.nIndex;
    cEdBlock back;
    ASSERT_TRUE(WriteAndReadDefinition(b, c.nVersion, back));
    EXPECT_EQ(back.m_nImageIndex, c.nExpect) << c.nVersion << " " << c.nIndex;
  }
}

TEST_F(BlockRecords, HitKindPerSideWithPassSideAndConditions) {
  cEdBlock b;
  b.m_nImageIndex = 1;
  b.m_nHitKind = BLOCKHIT_DEADLY;
  for (int side = 0; side < 4; ++side) EXPECT_EQ(b.GetHitKind(side), BLOCKHIT_DEADLY) << side;
  b.m_nPassSide = 2;
  for (int side = 0; side < 4; ++side) EXPECT_EQ(b.GetHitKind(side), side == 2 ? BLOCKHIT_NONE : BLOCKHIT_DEADLY);

  b.m_vecCondition.resize(1);
  SetBlockConditionTest([](const cEdBlock&) { return false; });
  EXPECT_EQ(b.GetHitKind(0), BLOCKHIT_NONE);
  SetBlockConditionTest([](const cEdBlock&) { return true; });
  EXPECT_EQ(b.GetHitKind(0), BLOCKHIT_DEADLY);
}
