#include "records/chara.h"

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

class CharaRecords : public cRecordFileTest {
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

std::vector<int> SetEntries(const cVector<uint8_t>& v) {
  std::vector<int> r;
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i]) r.push_back(static_cast<int>(i));
  return r;
}

}  // namespace

TEST_F(CharaRecords, OldFilesGetTheirLaterFieldsAndInheritanceGroups) {
  struct {
    int nVersion;
    std::vector<int> vInherited;  // the entries set after reading
    uint8_t nFormAfter, nSetting33After, nFollowAfter;
    uint32_t nDefenceAfter;
  } cases[] = {
      {167, {21, 25, 29}, 0, 1, 0, 0},
      {200, {21, 25}, 0, 1, 0, 77},
      {205, {21}, 3, 1, 0, 77},
      {209, {21}, 2, 1, 0, 77},
      {284, {}, 2, 1, 1, 77},
      {667, {}, 2, 0, 1, 77},
  };
  for (const auto& c : cases) {
    cEdChara ch;
    ch.m_nImageIndex = 1;
    ch.m_nForm = 2;
    ch.m_nSetting33 = 0;
    ch.m_bFollowScroll = 1;
    ch.m_nDefence = 77;
    ch.m_nAppearEffectMode = 1;
    ch.m_vecInherit.assign(c.nVersion < 168 ? 34 : CHARA_INHERIT_GROUPS, 0);
    cEdChara back;
    ASSERT_TRUE(WriteAndReadDefinition(ch, c.nVersion, back));
    EXPECT_EQ(back.m_vecInherit.size(), 37u);
    EXPECT_EQ(SetEntries(back.m_vecInherit), c.vInherited) << c.nVersion;
    EXPECT_EQ(back.m_nForm, c.nFormAfter) << c.nVersion;
    EXPECT_EQ(back.m_nSetting33, c.nSetting33After) << c.nVersion;
    EXPECT_EQ(back.m_bFollowScroll, c.nFollowAfter) << c.nVersion;
    EXPECT_EQ(back.m_nDefence, c.nDefenceAfter) << c.nVersion;
    EXPECT_EQ(back.m_nAppearEffectMode, c.nVersion < 196 ? 0 : 1) << c.nVersion;
  }
  // A form of 1 stays 1 in a file before 206.
  cEdChara one;
  one.m_nForm = 1;
  cEdChara back;
  ASSERT_TRUE(WriteAndReadDefinition(one, 205, back));
  EXPECT_EQ(back.m_nForm, 1);
}

TEST_F(CharaRecords, TemplateGroupsCopyOnlyFromATemplateThatExists) {
  cEdChara tmpl;
  tmpl.m_strText = "template";
  tmpl.m_nMaxHp = 99;
  tmpl.m_nSwitchNo = -3;
  tmpl.m_bSwitchLinked = 1;
  tmpl.m_nSetting41 = 44;
  tmpl.m_vecFlow = MakeEnemyFlows();
  g_Stage.m_vecPaletteChara.assign(3, cEdChara());
  g_Stage.m_vecPaletteChara[2] = tmpl;

  cEdChara ch;
  ch.m_nImageIndex = 1;
  ch.m_nTemplateSource = PALETTE_STAGE;
  ch.m_nTemplateIndex = 2;
  ch.m_vecInherit[23] = 1;  // field 39
  ch.m_vecInherit[33] = 1;  // fields 51, 50
  ch.m_vecInherit[31] = 1;  // field 41
  ch.m_vecInherit[36] = 1;  // the flows
  ch.InheritFromTemplate();
  EXPECT_EQ(ch.m_nMaxHp, 99u);
  EXPECT_EQ(ch.m_nSwitchNo, -3);
  EXPECT_EQ(ch.m_bSwitchLinked, 1);
  EXPECT_EQ(ch.m_nSetting41, 44);
  EXPECT_EQ(ch.m_vecFlow.size(), tmpl.m_vecFlow.size());
  EXPECT_EQ(ch.m_strText, "");

  // A template with no flows gives exactly one default flow.
  g_Stage.m_vecPaletteChara[2].m_vecFlow.clear();
  ch.InheritFromTemplate();
  ASSERT_EQ(ch.m_vecFlow.size(), 1u);
  EXPECT_EQ(ch.m_vecFlow[0].m_cTriggerParam, 3);

  // Past the list: the template goes and the chara keeps its values.
  cEdChara past;
  past.m_nMaxHp = 5;
  past.m_nTemplateSource = PALETTE_STAGE;
  past.m_nTemplateIndex = 3;
  past.m_vecInherit[23] = 1;
  cEdChara back;
  ASSERT_TRUE(WriteAndReadDefinition(past, 667, back));
  EXPECT_EQ(back.m_nTemplateSource, PALETTE_NONE);
  EXPECT_EQ(back.m_nTemplateIndex, 0);
  EXPECT_EQ(back.m_nMaxHp, 5u);
}

TEST_F(CharaRecords, RefreshMendsScaleIndicesAndDropsEmptyFlows) {
  cEdChara ch;
  ch.m_nScale = 0;
  ch.m_nImageKind = IMAGE_OWN;
  ch.m_nImageIndex = 2;  // two own pictures exist
  ch.m_nAnimeSet = 1;    // one anime set
  ch.m_nAppearEffect = 1;
  ch.m_nDefeatEffect = 2;
  ch.m_nHitEffect = 2;
  ch.m_vecFlow.push_back(cEdFlow());  // nothing in it
  ch.m_vecFlow.push_back(MakeWalkerFlow());
  ch.m_vecFlow.push_back(cEdFlow());
  cEdChara back;
  ASSERT_TRUE(WriteAndReadDefinition(ch, 667, back));
  EXPECT_EQ(back.m_nScale, 1);
  EXPECT_EQ(back.m_nImageIndex, 1);
  EXPECT_EQ(back.m_nAnimeSet, 0);
  EXPECT_EQ(back.m_nAppearEffect, 1);  // two chara effects
  EXPECT_EQ(back.m_nDefeatEffect, 0);
  EXPECT_EQ(back.m_nHitEffect, 0);
  ASSERT_EQ(back.m_vecFlow.size(), 1u);
  EXPECT_FALSE(back.m_vecFlow[0].m_vecCommand.empty());
}

TEST_F(CharaRecords, OffsetsMirrorOnlyWhenFacingRightWithTheMirrorSet) {
  cEdChara ch;
  ch.m_nOffsetXBase = 5;
  ch.m_nOffsetXStep = -2;
  ch.m_nOffsetYBase = 3;
  ch.m_bOffsetXMirror = 1;
  EXPECT_EQ(ch.CalcOffsetX(0, 1), -5.0);
  EXPECT_EQ(ch.CalcOffsetX(0, 0), 5.0);
  EXPECT_EQ(ch.CalcOffsetX(2, 1), -1.0);
  EXPECT_EQ(ch.CalcOffsetY(0, 1), 3.0);
  ch.m_bOffsetXMirror = 0;
  EXPECT_EQ(ch.CalcOffsetX(0, 1), 5.0);
}

TEST_F(CharaRecords, PlacementValueAndFlowsSurviveACopyAndARoundTrip) {
  cEdChara ch;
  ch.m_nImageIndex = 16;
  ch.m_nColumn = 300;
  ch.m_nRow = 12;
  ch.m_nPlacementValue = 0xABCDEF;
  ch.m_vecFlow = MakeEnemyFlows();
  ch.m_strText = "enemy";
  cEdChara copy;
  copy.CopyFrom(ch);
  cEdChara back;
  ASSERT_TRUE(WriteAndReadDefinition(copy, 667, back));
  EXPECT_EQ(back.m_nColumn, 300);
  EXPECT_EQ(back.m_nRow, 12);
  EXPECT_EQ(back.m_nPlacementValue, 0xABCDEFu);
  EXPECT_EQ(back.m_strText, "enemy");
  EXPECT_EQ(back.m_vecFlow.size(), ch.m_vecFlow.size());
  cDefinitionFile<cEdChara> a, b;
  a.m_Record = ch;
  b.m_Record = back;
  ASSERT_TRUE(a.SaveToFile("a.dat"));
  ASSERT_TRUE(b.SaveToFile("b.dat"));
  EXPECT_EQ(m_Tmp.ReadFile("a.dat"), m_Tmp.ReadFile("b.dat"));
}
