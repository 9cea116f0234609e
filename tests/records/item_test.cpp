#include "records/item.h"

#include <gtest/gtest.h>

#include "records/flow_enums.h"
#include "platform/messages.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "base/report.h"
#include "records/stage.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class ItemRecords : public cRecordFileTest {
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
};

}  // namespace

TEST_F(ItemRecords, GetItemDefFindsOnlyEntriesInsideTheirList) {
  g_CommonPalette.m_vecItem.assign(2, cEdItem());
  g_Stage.m_vecPaletteItem.assign(3, cEdItem());
  struct {
    int nSource, nIndex;
    cEdItem* pExpect;
  } cases[] = {
      {PALETTE_COMMON, 1, &g_CommonPalette.m_vecItem[1]},
      {PALETTE_COMMON, 2, nullptr},
      {PALETTE_STAGE, 2, &g_Stage.m_vecPaletteItem[2]},
      {PALETTE_STAGE, 3, nullptr},
      {PALETTE_STAGE, -1, nullptr},
      {PALETTE_NONE, 0, nullptr},
      {3, 0, nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(GetItemDef(c.nSource, c.nIndex), c.pExpect) << c.nSource << " " << c.nIndex;
}

TEST_F(ItemRecords, ReadingMendsScaleAndSoundOutsideTheirRange) {
  // Offsets in the file: version, the holder's empty base part (8 bytes),
  // the item's field count, then fields 1 to 15 take 21 bytes.
  constexpr size_t SCALE_AT = 4 + 8 + 4 + 21;
  constexpr size_t SOUND_AT = SCALE_AT + 1;
  struct {
    uint8_t nScale;
    uint16_t nSound;
    uint8_t nScaleAfter;
    uint16_t nSoundAfter;
  } cases[] = {{0, 1, 1, 1}, {200, 1, 200, 1}, {1, 2, 1, 0}, {1, 0xFFFF, 1, 0}};
  for (const auto& c : cases) {
    cDefinitionFile<cEdItem> out;
    ASSERT_TRUE(out.SaveToFile("item.dat"));
    std::string bytes = m_Tmp.ReadFile("item.dat");
    bytes[SCALE_AT] = static_cast<char>(c.nScale);
    bytes[SOUND_AT] = static_cast<char>(c.nSound & 0xFF);
    bytes[SOUND_AT + 1] = static_cast<char>(c.nSound >> 8);
    m_Tmp.WriteFile("item.dat", bytes);
    cDefinitionFile<cEdItem> in;
    ASSERT_TRUE(in.LoadFromFile("item.dat"));
    EXPECT_EQ(in.m_Record.m_nScale, c.nScaleAfter);
    EXPECT_EQ(in.m_Record.m_nSound, c.nSoundAfter) << c.nSound;
  }
}

TEST_F(ItemRecords, ShotPicturesOfOldFilesMoveUpByOne) {
  struct {
    int nVersion;
    uint16_t nPicture, nExpect;
  } cases[] = {{218, 5, 6}, {218, 119, 119}, {219, 5, 5}};
  for (const auto& c : cases) {
    cEdItem it;
    it.m_nImageKind = IMAGE_SHOT;
    it.m_nImageIndex = c.nPicture;
    cEdItem back;
    ASSERT_TRUE(WriteAndReadDefinition(it, c.nVersion, back));
    EXPECT_EQ(back.m_nImageIndex, c.nExpect) << c.nVersion;
  }
}

TEST_F(ItemRecords, InheritedGroupsIncludeTheCommandList) {
  cEdItem src;
  src.m_strText = "palette";
  src.m_nImageIndex = 9;
  src.m_nPickup = ITEMPICKUP_NEVER;
  src.m_nSound = 1;
  src.m_vecCommand.push_back(MakeItemCommand(ItemCommandKind::StageClear));
  src.m_vecCommand.push_back(MakeItemCommand(ItemCommandKind::PlaySe));
  g_Stage.m_vecPaletteItem.assign(2, cEdItem());
  g_Stage.m_vecPaletteItem[1] = src;

  cEdItem it;
  it.m_strText = "own";
  it.m_vecCommand.push_back(MakeItemCommand(ItemCommandKind::Message));
  it.m_nInheritSource = PALETTE_STAGE;
  it.m_nInheritIndex = 1;
  it.m_vecInherit[12] = 1;  // commands
  it.m_vecInherit[9] = 1;   // pick-up mode
  cEdItem back;
  ASSERT_TRUE(WriteAndReadDefinition(it, 667, back));
  ASSERT_EQ(back.m_vecCommand.size(), 2u);
  EXPECT_EQ(back.m_vecCommand[0].m_byKind, ItemCommandKind::StageClear);
  EXPECT_EQ(back.m_nPickup, ITEMPICKUP_NEVER);
  EXPECT_EQ(back.m_strText, "own");
  EXPECT_EQ(back.m_nImageIndex, 0);
  EXPECT_EQ(back.m_nSound, 0);
}
