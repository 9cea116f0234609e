#include "records/command_catalogue.h"

#include <gtest/gtest.h>

#include <vector>

#include "records/move_shot_labels.h"
#include "platform/text_cp932.h"

namespace {

std::string Hex(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

}  // namespace

TEST(CommandCatalogue, ParameterCountsOfEveryKind) {
  const int flowCounts[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 5, 0, 0, 0, 0, 0, 3, 5, 1,
                            17, 0, 10, 18, 3, 2, 3, 1, 1, 8, 3, 3, 14, 8, 2, 1, 2, 0};
  ASSERT_EQ(g_FlowCommandCatalog.Count(), 37);
  ASSERT_EQ(g_ItemCommandCatalog.Count(), 22);
  for (int k = 0; k < 37; ++k) EXPECT_EQ(g_FlowCommandCatalog.ParamCount(k), flowCounts[k]) << "flow kind " << k;
  EXPECT_EQ(g_ItemCommandCatalog.ParamCount(ItemCommandKind::None), 0);
  EXPECT_EQ(g_ItemCommandCatalog.ParamCount(ItemCommandKind::ChangeFlow), 2);
  EXPECT_EQ(g_ItemCommandCatalog.Name(ItemCommandKind::ChangeFlow), Sjis("フローの変更"));
  for (int k = 2; k < 22; ++k) {
    EXPECT_EQ(g_ItemCommandCatalog.ParamCount(k), g_FlowCommandCatalog.ParamCount(k + 15)) << "item kind " << k;
    EXPECT_EQ(g_ItemCommandCatalog.Name(k), g_FlowCommandCatalog.Name(k + 15)) << "item kind " << k;
  }
  EXPECT_EQ(g_FlowCommandCatalog.ParamCount(37), -1);
  EXPECT_EQ(g_FlowCommandCatalog.ParamCount(-1), -1);
  EXPECT_EQ(g_ItemCommandCatalog.ParamCount(22), -1);
  EXPECT_EQ(g_FlowCommandCatalog.Name(37), "");
}

TEST(CommandCatalogue, KindsSharedBetweenTheLists) {
  struct CASE {
    int nList, nKind, nFlowKind;
  } cases[] = {
      {0, 0, 0},   {0, 12, 12}, {0, 36, 36}, {0, 37, -1}, {0, 255, -1}, {1, 0, 0},
      {1, 1, -1},  {1, 2, 17},  {1, 9, 24},  {1, 21, 36}, {1, 22, -1},  {7, 4, 19},
  };
  for (const CASE& c : cases)
    EXPECT_EQ(FlowKindOfCommand(static_cast<uint8_t>(c.nList), static_cast<uint8_t>(c.nKind)), c.nFlowKind)
        << "list " << c.nList << " kind " << c.nKind;
  EXPECT_EQ(&CatalogOfList(0), &g_FlowCommandCatalog);
  EXPECT_EQ(&CatalogOfList(3), &g_ItemCommandCatalog);
}

TEST(CommandCatalogue, LabelsAreTheSystemsCp932Bytes) {
  EXPECT_EQ(g_FlowCommandCatalog.Name(FlowCommandKind::Wait), Hex({0x83, 0x45, 0x83, 0x47, 0x83, 0x43, 0x83, 0x67}));
  EXPECT_EQ(g_FlowCommandCatalog.Name(FlowCommandKind::PlayBgm), "BGM" + Sjis("の再生"));
  EXPECT_EQ(g_FlowCommandCatalog.Name(FlowCommandKind::None), "");
  // The full-width operators: "－" is 817C, "×" 817E, "÷" 8180.
  EXPECT_EQ(g_LabelAssignOp.Count(), 8);
  EXPECT_EQ(g_LabelAssignOp.Label(AssignOp::Set), Hex({0x81, 0x81}));
  EXPECT_EQ(g_LabelAssignOp.Label(AssignOp::Add), Hex({0x81, 0x7B}));
  EXPECT_EQ(g_LabelAssignOp.Label(AssignOp::Subtract), Hex({0x81, 0x7C}));
  EXPECT_EQ(g_LabelAssignOp.Label(AssignOp::Multiply), Hex({0x81, 0x7E}));
  EXPECT_EQ(g_LabelAssignOp.Label(AssignOp::Divide), Hex({0x81, 0x80}));
  EXPECT_EQ(g_LabelAssignOp.Label(AssignOp::Remainder), Hex({0x81, 0x80}) + " X " + Sjis("の余り"));
  EXPECT_EQ(g_LabelAssignOp.Label(AssignOp::Percent), "X " + Hex({0x81, 0x93}));
  EXPECT_EQ(g_LabelAssignOp.Label(7), "");
  EXPECT_EQ(g_LabelCompareOp.Count(), 7);
  EXPECT_EQ(g_LabelCompareOp.Label(CompareOp::GreaterEqual), Sjis("以上"));
  EXPECT_EQ(g_LabelCompareOp.Label(CompareOp::Less), Sjis("より下"));
  EXPECT_EQ(g_LabelCompareOp.Label(6), "");

  EXPECT_EQ(g_LabelFlowTrigger.Count(), 20);
  EXPECT_EQ(g_LabelFlowTrigger.Label(FlowTrigger::ByFlowControl), Sjis("なし（フローの操作コマンドで実行）"));
  EXPECT_EQ(g_LabelConditionKind.Count(), 8);
  EXPECT_EQ(g_LabelConditionKind.Label(FlowConditionKind::DistanceCondition), Sjis("距離条件"));
  EXPECT_EQ(g_LabelKeyState.Label(KeyState::Ignore), "--");
  EXPECT_EQ(g_LabelHitRange.Label(3), "32" + Hex({0x81, 0x7E}) + "32");
  EXPECT_EQ(g_LabelGroupUpper.Count(), 27);
  EXPECT_EQ(g_LabelGroupLower.Label(26), "z");
  EXPECT_EQ(g_LabelGroupDelete.Label(0), Sjis("全て削除"));
  EXPECT_EQ(g_LabelEnlargement.Count(), 9);
  EXPECT_EQ(g_LabelTrajectory.Count(), 10);
  EXPECT_EQ(g_LabelTrajectory.Label(5), Sjis("近いキャラへ誘導（対象死亡時、誘導を無効化）"));
  EXPECT_EQ(g_LabelDirection.Count(), 13);
  EXPECT_EQ(g_LabelLaunchPattern.Label(4), Sjis("爆発"));
  EXPECT_EQ(g_LabelFlowTrigger.Label(20), "");
  EXPECT_EQ(g_LabelFlowTrigger.Label(-1), "");
}

TEST(CommandCatalogue, EveryNameConvertsToCp932) {
  std::vector<const cLabelTable*> tables = {
      &g_LabelFlowTrigger,     &g_LabelConditionKind,     &g_LabelConditionMode,   &g_LabelKeyComboMode,
      &g_LabelKeyState,        &g_LabelDistanceParty,     &g_LabelDistanceMeasure, &g_LabelDistanceSide,
      &g_LabelCharaState,      &g_LabelFlowOperation,     &g_LabelFlowScope,       &g_LabelStageClear,
      &g_LabelTargetChoice,    &g_LabelSearchRange,       &g_LabelSubjectSelfTarget,
      &g_LabelSubjectSelfTargetSystem, &g_LabelSubjectPlayerTarget, &g_LabelSubjectPlayerTargetSystem,
      &g_LabelStatusOrVariable, &g_LabelValueSource,      &g_LabelVariableKind,    &g_LabelCalculation,
      &g_LabelOn,              &g_LabelEnlargement,       &g_LabelMessagePlace,    &g_LabelDisplayTime,
      &g_LabelPicturePlace,    &g_LabelAnimeRunMode,      &g_LabelVisibility,      &g_LabelPalette,
      &g_LabelCommonPaletteOnly, &g_LabelOperator,        &g_LabelOne,             &g_LabelOffOn,
      &g_LabelArea,            &g_LabelHitRange,          &g_LabelScreenRange,     &g_LabelRangeGroupTest,
      &g_LabelGroupUpper,      &g_LabelGroupLower,        &g_LabelGroupDelete,     &g_LabelGroupEdit,
      &g_LabelAssignOp,        &g_LabelCompareOp,         &g_LabelTrajectory,      &g_LabelLaunchPattern,
      &g_LabelBlockSummon,     &g_LabelSummonPalette,     &g_LabelSummonValue,     &g_LabelMoveTarget,
      &g_LabelMoveTarget3,     &g_LabelDirection,         &g_LabelCoordinates,     &g_LabelCoordinates3,
      &g_LabelTurning,         &g_LabelFacing,            &g_LabelTiming,          &g_LabelTiming2,
      &g_LabelJumpHeight,      &g_LabelDistanceUnit,
  };
  for (const cLabelTable* t : tables)
    for (int i = 0; i < t->Count(); ++i) {
      std::string s = t->Label(i);
      EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(s)), s);
    }
  for (const SWITCHENTRY& sw : g_CharaSwitchTable) EXPECT_EQ(sw.Values.Count(), sw.nHigh - sw.nLow + 1) << sw.pszName;
  EXPECT_EQ(g_CharaSwitchTable[5].Values.Label(0), Sjis("しない"));
  EXPECT_EQ(g_CharaSwitchTable[3].Values.Label(1), "ON (" + Sjis("ブロックをすり抜ける") + ")");
}

TEST(CommandCatalogue, StatusAndSystemValueRanges) {
  struct CASE {
    int i, nMin, nMax, nOpMin, nOpMax, nA, nB;
  } status[] = {{0, -999999, 999999, -999999, 999999, 0, 1}, {1, 0, 999999, -999999, 999999, 1, 1},
                {2, 0, 999999, -999999, 999999, 1, 1},       {5, 0, 99, -99, 99, 0, 0},
                {6, 0, 8, -8, 8, 0, 0},                      {7, 0, 119, -121, 119, 0, 0},
                {8, 0, 40, -40, 40, 0, 1},                   {10, -20, 20, -20, 20, 0, 1},
                {13, 0, 200, -200, 200, 0, 1},               {14, -999999, 999999, -999999, 999999, 0, 1}};
  for (const CASE& c : status) {
    const RANGEENTRY& e = g_StatusTable[c.i];
    EXPECT_EQ(e.nMin, c.nMin) << c.i;
    EXPECT_EQ(e.nMax, c.nMax) << c.i;
    EXPECT_EQ(e.nOperandMin, c.nOpMin) << c.i;
    EXPECT_EQ(e.nOperandMax, c.nOpMax) << c.i;
    EXPECT_EQ(e.nZero, 0) << c.i;
    EXPECT_EQ(e.nFlagA, c.nA) << c.i;
    EXPECT_EQ(e.nFlagB, c.nB) << c.i;
  }
  EXPECT_EQ(TableText(g_StatusTable[8].pszName), Sjis("視界範囲(hbl)"));
  EXPECT_EQ(TableText(g_SystemValueTable[4].pszName), Sjis("残り人数"));
  EXPECT_EQ(g_SystemValueTable[0].nMax, 999);
  EXPECT_EQ(g_SystemValueTable[1].nMin, -480);
  EXPECT_EQ(g_SystemValueTable[3].nOperandMin, -999999);
}

TEST(CommandCatalogue, DirectionFromCode) {
  const int expected[] = {2, 3, 6, 7, 8, 9, 10, 11};
  for (int code = 1; code <= 8; ++code) {
    EXPECT_EQ(DirectionFromCode(code, 0), expected[code - 1]) << code;
    EXPECT_EQ(DirectionFromCode(code, 1), expected[code - 1]) << code;
  }
  EXPECT_EQ(DirectionFromCode(0, 1), 3);
  EXPECT_EQ(DirectionFromCode(0, 0), 2);
  // Codes without an entry are forward, never a read outside the table.
  EXPECT_EQ(DirectionFromCode(9, 1), 3);
  EXPECT_EQ(DirectionFromCode(-1, 0), 2);
}

TEST(CommandCatalogue, ParameterDescriptors) {
  EXPECT_EQ(TableText(g_LaunchPatternParams[3][1].pszLabel), Sjis("列の数"));
  EXPECT_EQ(g_LaunchPatternParams[3][1].nMin, 1);
  EXPECT_EQ(g_LaunchPatternParams[3][1].nMax, 50);
  EXPECT_EQ(g_LaunchPatternParams[2][0].nDefault, 30);
  EXPECT_EQ(g_LaunchPatternParams[5][0].nDefault, 6);
  EXPECT_EQ(TableText(g_LaunchPatternParams[4][0].pszLabel), "");
  EXPECT_EQ(g_TrajectoryParams[4][1].nMax, 999);
  EXPECT_EQ(g_TrajectoryParams[4][1].nDefault, 999);
  EXPECT_EQ(TableText(g_TrajectoryParams[7][2].pszLabel), Sjis("対象勢力"));
  EXPECT_EQ(g_TrajectoryParams[8][2].nMax, 359);
  EXPECT_EQ(TableText(g_TrajectoryParams[0][0].pszLabel), "");
}
