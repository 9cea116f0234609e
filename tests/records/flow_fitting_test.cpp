#include "records/flow_fitting.h"

#include <gtest/gtest.h>

#include <vector>

#include "records/flow_enums.h"
#include "platform/messages.h"
#include "records/flow_records.h"
#include "base/report.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

using namespace FlowCommandKind;

namespace {

std::vector<int32_t> Params(const cEdCommand& c) { return std::vector<int32_t>(c.m_vParam.begin(), c.m_vParam.end()); }

cEdCommand WithParams(cEdCommand c, std::vector<int32_t> p) {
  c.m_vParam.assign(p.begin(), p.end());
  return c;
}

cEdCommand SwordWithType(int nType) {
  cEdCommand c = MakeFlowCommand(Sword, 3);
  NewEdShot(c.m_pShot);
  c.m_pShot->m_bySwordType = static_cast<uint8_t>(nType);
  return c;
}

}  // namespace

TEST(FlowFitting, DatabaseReferencesOutOfRangeAreReplaced) {
  cFakeFlowProjectView view;
  for (int& n : view.m_anCount) n = 3;
  struct CASE {
    int nList, nKind, nP0, nP0Out;
  } cases[] = {
      {0, ChangeBaseAnimeSet, 5, 0}, {0, ChangeBaseAnimeSet, 2, 2}, {0, RunAnime, 5, 1},   {0, RunAnime, 3, 1},
      {0, RunAnime, 2, 2},           {0, RunAnime, -1, 1},          {0, RunEffect, 7, 1},  {0, RunCharaEffect, 7, 1},
      {0, RunScreenEffect, 7, 1},    {0, ShowPicture, 7, 1},        {0, PlaySe, 7, 1},     {0, PlayBgm, 7, 1},
      {0, PlayBgm, 0, 0},            {1, ItemCommandKind::RunAnime, 5, 1},
      {1, ItemCommandKind::ChangeBaseAnimeSet, 5, 0},               {1, ItemCommandKind::PlayBgm, 9, 1},
      {0, GetItem, 7, 7},            {0, Jump, 7, 7},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "list " << c.nList << " kind " << c.nKind << " p0 " << c.nP0);
    cEdCommand cmd = c.nList ? MakeItemCommand(c.nKind) : MakeFlowCommand(c.nKind);
    cmd.m_vParam[0] = c.nP0;
    FitCommandToDatabase(cmd);
    EXPECT_EQ(cmd.m_vParam[0], c.nP0Out);
  }

  struct INDEXCASE {
    int nAnime, nSound, nAnimeOut, nSoundOut;
  } indices[] = {{-1, -1, 0, 0}, {3, 3, 0, 0}, {2, 2, 2, 2}, {0, 0, 0, 0}, {-32768, 32767, 0, 0}};
  for (const INDEXCASE& c : indices) {
    cEdCommand cmd = MakeFlowCommand(Wait, 10);
    cmd.m_nAnime = static_cast<int16_t>(c.nAnime);
    cmd.m_nSound = static_cast<int16_t>(c.nSound);
    FitCommandToDatabase(cmd);
    EXPECT_EQ(cmd.m_nAnime, c.nAnimeOut) << c.nAnime;
    EXPECT_EQ(cmd.m_nSound, c.nSoundOut) << c.nSound;
  }
}

TEST(FlowFitting, ParameterListsTakeTheirKindsLength) {
  cEdCommand longer = WithParams(MakeFlowCommand(StageClear), {1, 2, 3, 4, 5, 6, 7});
  FitCommandToDatabase(longer);
  EXPECT_EQ(Params(longer), (std::vector<int32_t>{1, 2, 3, 4, 5}));
  cEdCommand shorter = WithParams(MakeItemCommand(ItemCommandKind::ChangeFlow), {9});
  FitCommandToDatabase(shorter);
  EXPECT_EQ(Params(shorter), (std::vector<int32_t>{9, 0}));
  // A kind outside its catalogue keeps what it holds.
  cEdCommand unknown = WithParams(MakeFlowCommand(0), {1, 2, 3});
  unknown.m_byKind = 37;
  FitCommandToDatabase(unknown);
  EXPECT_EQ(Params(unknown), (std::vector<int32_t>{1, 2, 3}));
  cEdCommand unknownItem = WithParams(MakeItemCommand(0), {4});
  unknownItem.m_byKind = 200;
  FitCommandToDatabase(unknownItem);
  EXPECT_EQ(Params(unknownItem), (std::vector<int32_t>{4}));

  // Without a loaded project the lists are still sized, and no index moves.
  ASSERT_EQ(GetFlowProjectView(), nullptr);
  cEdCommand anime = WithParams(MakeFlowCommand(RunAnime), {500, 1});
  anime.m_nAnime = -7;
  FitCommandToDatabase(anime);
  EXPECT_EQ(Params(anime), (std::vector<int32_t>{500}));
  EXPECT_EQ(anime.m_nAnime, -7);
}

TEST(FlowFitting, SwordTimeBaseIsA16BitRunningSumCappedAt9999) {
  cFakeFlowProjectView view;
  view.m_anCount[FITDB_SWORDTYPE] = 2;
  struct CASE {
    std::vector<int> frames;
    int nTimeBase;
  } cases[] = {
      {{10, 20}, 30},
      {{5000, 6000}, 9999},
      {{20000, 20000}, 9999},
      // The running sum is a signed 16-bit value: past 32767 it wraps below
      // 0 before the cap is tested, and the parts after it add on from there.
      {{9999, 30000}, -25537},
      {{30000, 30000, 100}, -25437},
      {{9999, 30000, 30000}, 4463},
      {{-5, 3}, -2},
      {{}, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "first frames " << (c.frames.empty() ? 0 : c.frames[0]));
    view.m_vvSwordFrames = {c.frames, {1}};
    cEdCommand cmd = SwordWithType(0);
    FitCommandToDatabase(cmd);
    EXPECT_EQ(cmd.m_nTimeBase, c.nTimeBase);
  }
  view.m_vvSwordFrames = {{7, 8}, {1, 2}};
  cEdCommand outside = SwordWithType(5);
  FitCommandToDatabase(outside);
  EXPECT_EQ(outside.m_pShot->m_bySwordType, 0);
  EXPECT_EQ(outside.m_nTimeBase, 15);
  cEdCommand second = SwordWithType(1);
  FitCommandToDatabase(second);
  EXPECT_EQ(second.m_nTimeBase, 3);

  view.m_anCount[FITDB_SWORDTYPE] = 0;
  cEdCommand none = SwordWithType(1);
  FitCommandToDatabase(none);
  EXPECT_EQ(none.m_pShot->m_bySwordType, 0);
  EXPECT_EQ(none.m_nTimeBase, 3);  // nothing to take it from
  cEdCommand noShot = MakeFlowCommand(Sword, 4);
  FitCommandToDatabase(noShot);
  EXPECT_EQ(noShot.m_nTimeBase, 4);
}

TEST(FlowFitting, PaletteReferencesOutOfRangeAreReplaced) {
  cFakeFlowProjectView view;
  view.m_anPalette[FITPAL_COMMON][FITLIST_ITEM] = 10;
  view.m_anPalette[FITPAL_STAGE][FITLIST_ITEM] = 0;
  view.m_anPalette[FITPAL_COMMON][FITLIST_CHARA] = 4;
  view.m_anPalette[FITPAL_STAGE][FITLIST_BLOCK] = 6;

  struct DROPCASE {
    int nKind, nSource, nIndex, nSourceOut, nIndexOut;
  } drops[] = {
      {Shot, 1, 10, 0, 0},  {Shot, 1, 9, 1, 9},          {Sword, 1, 0xFFFF, 0, 0},
      {Shot, 2, 0, 0, 0},   {Shot, 3, 50, 3, 50},        {Shot, 0, 50, 0, 50},
      {SummonChara, 1, 50, 1, 50},  // not a shot: its drop is not looked at
  };
  for (const DROPCASE& c : drops) {
    SCOPED_TRACE(testing::Message() << "kind " << c.nKind << " source " << c.nSource << " index " << c.nIndex);
    cEdCommand cmd = MakeFlowCommand(c.nKind);
    NewEdShot(cmd.m_pShot);
    cmd.m_pShot->m_byItemSource = static_cast<uint8_t>(c.nSource);
    cmd.m_pShot->m_wItemIndex = static_cast<uint16_t>(c.nIndex);
    FitCommandPalettes(cmd);
    EXPECT_EQ(cmd.m_pShot->m_byItemSource, c.nSourceOut);
    EXPECT_EQ(cmd.m_pShot->m_wItemIndex, c.nIndexOut);
  }

  struct SUMMONCASE {
    int nKind, nSource, nIndex, nIndexOut;
  } summons[] = {
      {SummonChara, 0, 4, 1}, {SummonChara, 0, 3, 3}, {SummonChara, 0, -1, 1}, {SummonBlock, 1, 5, 5},
      {SummonBlock, 1, 6, 1}, {SummonItem, 1, 0, 1},  {SummonItem, 0, 9, 9},   {SummonChara, 2, 99, 99},
      {Shot, 0, 99, 99},
  };
  for (const SUMMONCASE& c : summons) {
    SCOPED_TRACE(testing::Message() << "kind " << c.nKind << " source " << c.nSource << " index " << c.nIndex);
    cEdCommand cmd = MakeFlowCommand(c.nKind);
    NewEdShot(cmd.m_pShot);
    cmd.m_pShot->m_bySummonSource = static_cast<uint8_t>(c.nSource);
    cmd.m_pShot->m_nSummonIndex = static_cast<int16_t>(c.nIndex);
    FitCommandPalettes(cmd);
    EXPECT_EQ(cmd.m_pShot->m_nSummonIndex, c.nIndexOut);
  }

  struct GETCASE {
    int nList, nPalette, nIndex, nIndexOut;
  } gets[] = {
      {0, 0, 10, 1}, {0, 0, 9, 9}, {0, 1, 0, 1}, {0, 0, -1, 1}, {1, 0, 10, 1}, {0, 2, 99, 99},
      // Only the low 16 bits, read as signed, are tested.
      {0, 0, 65536 + 3, 65536 + 3}, {0, 0, 65536 + 10, 1}, {0, 0, 0x8003, 1}, {1, 0, -65536 + 2, -65536 + 2},
  };
  for (const GETCASE& c : gets) {
    SCOPED_TRACE(testing::Message() << "list " << c.nList << " palette " << c.nPalette << " index " << c.nIndex);
    cEdCommand cmd = c.nList ? MakeItemCommand(ItemCommandKind::GetItem) : MakeFlowCommand(GetItem);
    cmd.m_vParam[0] = c.nPalette;
    cmd.m_vParam[1] = c.nIndex;
    FitCommandPalettes(cmd);
    EXPECT_EQ(cmd.m_vParam[1], c.nIndexOut);
  }

  // Commands without their record or parameters are left alone, and child
  // flows are fitted too.
  cEdCommand bare = MakeFlowCommand(SummonChara);
  FitCommandPalettes(bare);
  cEdCommand shortGet = WithParams(MakeFlowCommand(GetItem), {0});
  FitCommandPalettes(shortGet);
  EXPECT_EQ(Params(shortGet), (std::vector<int32_t>{0}));
  cEdFlow flow;
  cEdCommand parent = MakeFlowCommand(Wait);
  cEdFlow child;
  child.m_vecCommand.push_back(WithParams(MakeFlowCommand(GetItem), {0, 50}));
  parent.m_vecFlow.push_back(child);
  flow.m_vecCommand.push_back(parent);
  FitFlowPalettes(flow);
  EXPECT_EQ(flow.m_vecCommand[0].m_vecFlow[0].m_vecCommand[0].m_vParam[1], 1);
}

TEST(FlowFitting, ChildFlowsAreFittedWithTheirCommand) {
  cFakeFlowProjectView view;
  view.m_anCount[FITDB_ANIME] = 3;
  cEdCommand parent = MakeFlowCommand(Wait);
  cEdFlow child;
  child.m_vecCommand.push_back(WithParams(MakeFlowCommand(RunAnime), {5, 6, 7}));
  parent.m_vecFlow.push_back(child);
  FitCommandToDatabase(parent);
  EXPECT_EQ(Params(parent.m_vecFlow[0].m_vecCommand[0]), (std::vector<int32_t>{1}));
}

class TestPlayFlows : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    // A command holding four flows, the first and third for test plays.
    cEdCommand cmd = MakeFlowCommand(Wait);
    for (int i = 0; i < 4; ++i) {
      cEdFlow f;
      f.m_byFlowId = static_cast<uint8_t>(i + 1);
      f.m_byTestPlay = (i == 0 || i == 2) ? 1 : 0;
      cmd.m_vecFlow.push_back(f);
    }
    ASSERT_TRUE(cmd.SaveToFile("cmd.dat"));
  }
  void TearDown() override { g_bStripCR = 0; }
  std::vector<int> IdsRead() {
    cEdCommand r;
    EXPECT_TRUE(r.LoadFromFile("cmd.dat"));
    std::vector<int> ids;
    for (const cEdFlow& f : r.m_vecFlow) ids.push_back(f.m_byFlowId);
    return ids;
  }
};

TEST_F(TestPlayFlows, AreRemovedOutsideATestPlay) {
  EXPECT_EQ(IdsRead(), (std::vector<int>{2, 4}));
  cFakeFlowProjectView view;
  EXPECT_EQ(IdsRead(), (std::vector<int>{2, 4}));
  view.m_bKeepMarkedFlows = true;
  EXPECT_EQ(IdsRead(), (std::vector<int>{1, 2, 3, 4}));

  cVector<cEdFlow> flows(3);
  flows[0].m_byTestPlay = 1;
  flows[1].m_byTestPlay = 1;
  flows[2].m_byFlowId = 9;
  FixupLoadedFlows(flows);
  ASSERT_EQ(flows.size(), 1u);
  EXPECT_EQ(flows[0].m_byFlowId, 9);
}
