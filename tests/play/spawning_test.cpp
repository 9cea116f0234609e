// Live objects from a stage's placements (copies, held items, consecutive
// ids, copies outside the stage dropped) and from the summon commands:
// charas with their groups and ids, nothing for a bad palette index, blocks
// by the keep, undo and toggle rules; summoned charas dropped inside the
// walk that made them, or defeated and freed in their first sub-step.
#include <gtest/gtest.h>

#include <vector>

#include "play/condition_pass.h"
#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_block.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/common_palette.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/scene_fixture.h"

namespace {

// Copies of a chara: count (the definition's copy byte) and the x step.
cEdChara WithCopies(cEdChara def, int nCopies, int nStepX) {
  def.m_nSetting6 = static_cast<uint8_t>(nCopies);
  def.m_nOffsetXStep = static_cast<int16_t>(nStepX);
  return def;
}

cEdShot SummonParams(int nIndex) {
  cEdShot p;
  p.SetDefaults();
  p.m_cCount = 1;
  p.m_bySummonSource = 0;
  p.m_nSummonIndex = static_cast<int16_t>(nIndex);
  return p;
}

std::vector<int> CharaIds() {
  std::vector<int> v;
  for (auto& c : g_lstChara) v.push_back(c->m_nId);
  return v;
}

class Spawning : public cSceneTest {
 protected:
  void SetUp() override {
    cSceneTest::SetUp();
    g_CommonPalette = cEdCommonPalette();
  }
  void TearDown() override {
    cSceneTest::TearDown();
    g_CommonPalette = cEdCommonPalette();
  }
};

TEST_F(Spawning, PlacementsBecomeCopiesAndHeldItemsWithConsecutiveIds) {
  // Three copies 64 pixels apart; one chara holding item placement 1; three
  // copies near the right edge 300 pixels apart, of which the last would
  // stand outside the stage; a placement of no copies.
  m_Stage.m_vecChara.push_back(PlacedAt(WithCopies(MakeEnemyDef(5), 2, 64), 3, 10));
  cEdChara holder = MakeEnemyDef(5);
  holder.m_nPlacementValue = 2;  // item placement 1
  m_Stage.m_vecChara.push_back(PlacedAt(holder, 8, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(WithCopies(MakeEnemyDef(5), 2, 300), 19, 10));
  // A count below 0 makes no chara at all.
  m_Stage.m_vecChara.push_back(PlacedAt(WithCopies(MakeEnemyDef(5), -1, 0), 15, 10));
  cEdItem coin = MakeItemDef({});
  coin.m_nColumn = 6;
  coin.m_nRow = 13;
  cEdItem held = MakeItemDef({});
  held.m_nImageIndex = 7;
  held.m_nColumn = 12;
  held.m_nRow = 13;
  m_Stage.m_vecItem.push_back(coin);
  m_Stage.m_vecItem.push_back(held);
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);

  EXPECT_EQ(FirstPlayer()->m_nId, 0);
  EXPECT_EQ(CharaIds(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  std::vector<cStageChara*> v;
  for (auto& c : g_lstChara) v.push_back(c.get());
  ASSERT_EQ(v.size(), 6u);
  EXPECT_DOUBLE_EQ(v[1]->m_dX - v[0]->m_dX, 64.0);
  EXPECT_DOUBLE_EQ(v[2]->m_dX - v[0]->m_dX, 128.0);
  EXPECT_DOUBLE_EQ(v[5]->m_dX - v[4]->m_dX, 300.0);
  // The holder carries the item, which took the first item id; the item
  // placement does not appear by itself.
  ASSERT_NE(v[3]->GetCarriedItem(), nullptr);
  EXPECT_EQ(v[3]->GetCarriedItem()->m_Def.m_nImageIndex, 7);
  EXPECT_EQ(v[3]->GetCarriedItem()->m_nId, 0);
  ASSERT_EQ(g_lstItem.size(), 1u);
  EXPECT_EQ(g_lstItem.front()->m_nId, 1);
  EXPECT_EQ(g_lstItem.front()->m_Def.m_nImageIndex, 1);
  EXPECT_EQ(s->m_nNextCharaId, 7);
  EXPECT_EQ(s->m_nNextItemId, 2);
}

TEST_F(Spawning, AHeldItemPastTheItemPlacementsGivesTheCharaNoItem) {
  cEdChara holder = MakeEnemyDef(5);
  holder.m_nPlacementValue = 9;
  m_Stage.m_vecChara.push_back(PlacedAt(holder, 8, 13));
  auto s = Play();
  ASSERT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(g_lstChara.front()->GetCarriedItem(), nullptr);
  EXPECT_EQ(s->m_nNextItemId, 0);
}

TEST_F(Spawning, SummonedCharasTakeTheNextIdsAndTheirGroupByTheGroupMode) {
  cEdChara def = MakeEnemyDef(5);
  def.m_nSide = 4;
  cEdChara player0 = MakeEnemyDef(5);
  player0.m_nType = 0;
  g_CommonPalette.m_vecChara.resize(1);  // entry 0 is the empty chara
  g_CommonPalette.m_vecChara.push_back(def);
  g_CommonPalette.m_vecChara.push_back(player0);
  g_CommonPalette.m_vecChara.push_back(WithCopies(def, 1, -5000));
  m_Stage.m_vecChara.push_back(PlacedAt(MakeEnemyDef(5), 12, 13));
  auto s = Play();
  ASSERT_EQ(g_lstChara.size(), 1u);
  cPlayer& owner = *FirstPlayer();
  owner.m_nDir = 1;  // faces right: the summons stand in the open to its right
  // A cell up, so that the summons level with its middle clear the floor.
  owner.m_dY -= 32;
  owner.SyncBoxY();

  struct CASE {
    const char* name;
    int nIndex, nGroupMode, nGroupValue;
    size_t nMade;
    int nSide;
  };
  const CASE cases[] = {
      {"the definition's side", 1, 0, 0, 1, 4},
      {"the owner's side", 1, 1, 0, 1, 1},
      {"the record's value", 1, 2, 9, 1, 9},
      {"a player chara is never summoned", 2, 0, 0, 0, 0},
      {"an index past the palette", 4, 0, 0, 0, 0},
      {"a copy outside the stage is dropped", 3, 0, 0, 1, 4},
  };
  int nNextId = s->m_nNextCharaId;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    cEdShot p = SummonParams(c.nIndex);
    p.m_byGroupMode = static_cast<uint8_t>(c.nGroupMode);
    p.m_byGroupValue = static_cast<uint8_t>(c.nGroupValue);
    p.m_bySetting41 = 1;  // with a life time of 2 tenths
    p.m_nLaunch2 = 2;
    const size_t nBefore = g_lstChara.size();
    s->SummonObjects(owner, 14, 0, p);
    ASSERT_EQ(g_lstChara.size(), nBefore + c.nMade);
    if (c.nMade == 0) continue;
    cStageChara& made = *g_lstChara.back();
    EXPECT_EQ(made.m_nId, nNextId);
    EXPECT_EQ(made.m_nSide, c.nSide);
    EXPECT_EQ(made.m_nDir, 1);
    EXPECT_EQ(made.m_nLifeTime, 2 * static_cast<int>(g_Stage.m_nSpeedDiv) * 6);
    nNextId += static_cast<int>(c.nMade);
    EXPECT_EQ(s->m_nNextCharaId, nNextId);
    // Out of the way of the next summon's spawn-spot test.
    made.m_dX += 200;
    made.SyncBoxX();
  }
}

TEST_F(Spawning, SummonedItemsTakeTheNextItemIds) {
  g_CommonPalette.m_vecItem.resize(1);
  g_CommonPalette.m_vecItem.push_back(MakeItemDef({}));
  cEdItem placed = MakeItemDef({});
  placed.m_nColumn = 6;
  placed.m_nRow = 13;
  m_Stage.m_vecItem.push_back(placed);
  auto s = Play();
  ASSERT_EQ(g_lstItem.size(), 1u);
  cEdShot p = SummonParams(1);
  p.m_cCount = 3;
  p.m_nSpacing = 1;
  s->SummonObjects(*FirstPlayer(), 15, 0, p);
  std::vector<int> ids;
  for (auto& it : g_lstItem) ids.push_back(it->m_nId);
  EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3}));
  p.m_nSummonIndex = 2;
  s->SummonObjects(*FirstPlayer(), 15, 0, p);
  EXPECT_EQ(g_lstItem.size(), 4u);
}

// One summoned block over the cell at the player's feet: the block map
// afterwards, by mode, by what the cell held, by the undo switches, and
// whether the player was marked crushed.
TEST_F(Spawning, BlockSummonsKeepUndoAndToggle) {
  auto s = Play();
  cPlayer& p1 = *FirstPlayer();
  const int cx = static_cast<int>(p1.m_dX + 8) / 32, cy = static_cast<int>(p1.m_dY + 8) / 32;
  const size_t nCell = (static_cast<size_t>(cy) << s->RowShift()) + static_cast<size_t>(cx);
  cEdBlock summoned;
  summoned.SetDefaults();
  summoned.m_nImageIndex = 5;
  summoned.m_nHitKind = 1;
  cEdBlock empty;
  empty.SetDefaults();
  empty.m_nImageIndex = 0;
  empty.m_nHitKind = 0;
  g_CommonPalette.m_vecBlock.assign(1, empty);
  cEdBlock old = summoned;
  old.m_nImageIndex = 3;
  cEdBlock kept = old;
  kept.m_nSettingC = 1;

  enum { EMPTY, OLD, KEPT };
  struct CASE {
    const char* name;
    int nMode, nHeld;
    int bUndoPlayer, bKeepAlone;
    int nImage, nCrush;
  };
  const CASE cases[] = {
      {"summon onto an empty cell", 0, EMPTY, 0, 0, 5, 2},
      {"summon replaces a block", 0, OLD, 0, 0, 5, 2},
      {"undone over the player", 0, OLD, 1, 0, 3, 2},
      {"remove", 1, OLD, 0, 0, 0, 0},
      {"toggle an empty cell summons", 2, EMPTY, 0, 0, 5, 2},
      {"toggle an occupied cell removes", 2, OLD, 0, 0, 0, 0},
      {"a kept block stays in every mode", 0, KEPT, 0, 0, 3, 0},
      {"a kept block stays when removed", 1, KEPT, 0, 0, 3, 0},
      {"a kept block stays when toggled", 2, KEPT, 0, 1, 3, 0},
      {"an unknown mode does nothing", 7, OLD, 0, 0, 3, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    static_cast<cEdBlock&>(g_vBlockMap[nCell]) = c.nHeld == EMPTY ? empty : c.nHeld == OLD ? old : kept;
    g_System.m_bBlockKeepAlone = static_cast<uint32_t>(c.bKeepAlone);
    p1.m_nCrushState = 0;
    cEdShot params = SummonParams(0);
    params.m_bySetting38 = static_cast<uint8_t>(c.nMode);
    params.m_bySetting35 = static_cast<uint8_t>(c.bUndoPlayer);
    s->m_vToggledCell.clear();
    s->SpawnBlockFromCommand(cx * 32.0, cy * 32.0, params, summoned);
    EXPECT_EQ(g_vBlockMap[nCell].m_nImageIndex, c.nImage);
    EXPECT_EQ(p1.m_nCrushState, c.nCrush);
  }
  // Far outside the map nothing is written and nothing breaks.
  s->SpawnBlockFromCommand(-1e300, 1e300, SummonParams(0), summoned);
  s->SpawnBlockFromCommand(1e7, 100, SummonParams(0), summoned);
}

TEST_F(Spawning, ASummonLaunchTogglesEachCellOnce) {
  auto s = Play();
  cEdBlock b;
  b.SetDefaults();
  b.m_nImageIndex = 5;
  g_CommonPalette.m_vecBlock.resize(1);
  g_CommonPalette.m_vecBlock.push_back(b);
  cPlayer& p1 = *FirstPlayer();
  p1.m_nDir = 1;
  cEdShot p = SummonParams(1);
  p.m_bySetting38 = 2;
  p.m_cCount = 2;  // two half-cell objects, the same 32-pixel cell
  p.m_byPattern = 4;
  p.m_cSize = 1;
  s->SummonObjects(p1, 13, 0, p);
  const int cx = static_cast<int>(p1.m_dX + p1.m_nBoxW / 2.0 + 16.5 - 8) >> 5;
  const int cy = static_cast<int>(p1.m_dY + p1.m_nBoxH / 2.0 + 16.5 - 8) >> 5;
  const size_t nCell = (static_cast<size_t>(cy) << s->RowShift()) + static_cast<size_t>(cx);
  EXPECT_EQ(g_vBlockMap[nCell].m_nImageIndex, 5);
}

TEST_F(Spawning, ACharaSummonedByADefeatFlowOntoAnotherIsDroppedWithoutAnId) {
  // The defeat flow runs inside the walk over the charas; its summon lands
  // on the watcher and fails the spawn-spot test.
  cEdChara ghost = MakeEnemyDef(5);
  g_CommonPalette.m_vecChara.resize(1);
  g_CommonPalette.m_vecChara.push_back(ghost);
  cEdCommand summon = MakeFlowCommand(FlowCommandKind::SummonChara, 1);
  NewEdShot(summon.m_pShot);
  *summon.m_pShot = SummonParams(1);
  cEdChara bomb = MakeEnemyDef(5);
  bomb.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeHpCommand(0, 0, 0)}));
  bomb.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Died, {summon}));
  m_Stage.m_vecChara.push_back(PlacedAt(bomb, 9, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(MakeEnemyDef(5), 8, 13));  // the watcher, left of the bomb
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  ASSERT_EQ(g_lstChara.size(), 2u);
  cStageChara* lpWatcher = g_lstChara.back().get();
  const int nNextId = s->m_nNextCharaId;
  for (int n = 0; n < 3; ++n) s->Update();
  ASSERT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(g_lstChara.front().get(), lpWatcher);
  EXPECT_EQ(s->m_nNextCharaId, nNextId);  // no id used
  EXPECT_EQ(s->m_nState, STAGESTATE_PLAY);
}

TEST_F(Spawning, ASummonedCharaDefeatedInItsFirstSubStepIsFreedFromEveryList) {
  g_CommonPalette.m_vecChara.resize(1);
  cEdChara def = MakeEnemyDef(1);
  def.m_nSide = 3;
  g_CommonPalette.m_vecChara.push_back(def);
  auto s = Play();
  cPlayer& owner = *FirstPlayer();
  owner.m_nDir = 1;
  cEdShot p = SummonParams(1);
  p.m_cCount = 3;
  p.m_nSpacing = 1;
  p.m_byPattern = 1;  // a column rising from the owner's feet
  s->SummonObjects(owner, 14, 0, p);
  ASSERT_EQ(g_lstChara.size(), 3u);
  // In play from the next conditions pass, under a shot of the player's
  // side that passes through.
  EvaluateCharaConditions(s->m_Shots);
  for (auto& c : g_lstChara) ASSERT_EQ(c->m_bPresent, 1);
  g_Stage.m_bOnScreenOnly = 0;
  auto shot = std::make_unique<cShot>();
  shot->m_nGroup = 1;
  shot->m_dAtkRight = shot->m_dAtkBottom = 1e6;
  shot->m_Shot.m_nAttack = 5;
  shot->m_Shot.m_byPassChara = 1;
  s->m_Shots.Add(std::move(shot));
  s->m_nSubStep = 1;
  s->m_vHitSubStep.assign(1, 1);
  s->ResolvePlayerContacts();
  EXPECT_TRUE(g_lstChara.empty());
  ASSERT_EQ(s->m_Shots.m_lstShot.size(), 1u);
  EXPECT_EQ(s->m_Shots.m_lstShot.front()->m_lstHit.size(), 3u);  // ids, not pointers
  // The ids stay used.
  s->SummonObjects(owner, 14, 0, p);
  EXPECT_EQ(g_lstChara.front()->m_nId, s->m_nNextCharaId - 3);
}

}  // namespace
