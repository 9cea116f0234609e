// Shots in the running stage scene: a chara's Shot command fires into the
// scene's lists and defeats a chara of another group, which is swept and
// leaves the shot count; hundreds of charas defeated by a thousand shots in
// one sub-step are freed without a dangling pointer; shots and links end
// with the scene; the shots drawn from their sheet at the view; a flow's
// effects among the hit effects.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "play/live_limits.h"
#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/scene_fixture.h"
#include "tests/play/draw_fixture.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/scoped_override.h"

namespace {

cEdCommand ShotCommand(int nAttack) { return MakeShotCommand(1, 60, nAttack); }

class StageShots : public cWideSceneTest {
 protected:
  // Player 1 goes in front of the placements, into m_Stage itself.
  std::unique_ptr<cSceneStage> Play() {
    m_Stage.m_vecChara.insert(m_Stage.m_vecChara.begin(), PlacedAt(m_Player, 10, 13));
    return PlayScene(m_Stage);
  }
  static cEdChara Enemy(uint32_t nHp) {
    cEdChara e = MakeEnemyDef(nHp);
    e.m_nGroup = 1;
    e.m_nSide = 2;  // the hit group: the player's side is 1
    return e;
  }
};

TEST_F(StageShots, APlayersShotDefeatsAnEnemyOfAnotherGroup) {
  m_Player.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {ShotCommand(5)}));
  // One on each side, so the player's facing does not matter.
  m_Stage.m_vecChara.push_back(PlacedAt(Enemy(1), 4, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(Enemy(1), 16, 13));
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  ASSERT_EQ(g_lstChara.size(), 2u);
  // The stage set-up starts the chara values afresh but keeps the scene's
  // hit-effect hook.
  EXPECT_NE(g_CharaScene.pfnStartHitEffect, nullptr);
  bool bShotSeen = false;
  for (int n = 0; n < 120 && g_lstChara.size() == 2u; ++n) {
    s->Update();
    bShotSeen = bShotSeen || !s->m_Shots.m_lstShot.empty();
  }
  EXPECT_TRUE(bShotSeen);
  EXPECT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(s->m_nState, STAGESTATE_PLAY);
  EXPECT_EQ(FirstPlayer()->m_nHp, 10);  // its own shots never hit it
}

TEST_F(StageShots, AStreamOfEnemyShotsCostsThePlayerOnePointWhileInvincible) {
  cEdChara shooter = Enemy(100);
  shooter.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {ShotCommand(1)}));
  m_Stage.m_vecChara.push_back(PlacedAt(shooter, 13, 13));  // facing left, at the player
  m_Stage.m_nPlayerInvincible = 100;
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  for (int n = 0; n < 30; ++n) s->Update();
  // Hit, then invincible: one point lost, not one per shot that arrives.
  EXPECT_EQ(FirstPlayer()->m_nHp, 9);
  EXPECT_EQ(g_lstChara.size(), 1u);
}

TEST_F(StageShots, HundredsOfCharasDefeatedByAThousandShotsInOneSubStepAreFreed) {
  for (int i = 0; i < 200; ++i) m_Stage.m_vecChara.push_back(PlacedAt(Enemy(1), 1 + i % 18, 1 + (i / 18) % 12));
  m_Stage.m_bOnScreenOnly = 0;  // the charas off screen take part too
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  s->Update();  // every chara in view takes part from its first frame
  ASSERT_EQ(g_lstChara.size(), 200u);
  for (int i = 0; i < 1000; ++i) {
    auto shot = std::make_unique<cShot>();
    shot->m_nGroup = i % 2 ? 1 : 3;  // the player's side, and one of no chara
    shot->m_dAtkLeft = 0;
    shot->m_dAtkTop = 0;
    shot->m_dAtkRight = 1e6;
    shot->m_dAtkBottom = 1e6;
    shot->m_Shot.m_nAttack = 5;
    shot->m_Shot.m_byPassChara = static_cast<uint8_t>(i % 3 == 0 ? 0 : 1);
    s->m_Shots.Add(std::move(shot));
  }
  s->m_nSubStep = 1;
  s->ResolvePlayerContacts();
  EXPECT_TRUE(g_lstChara.empty());
  // Shots that stop at the first chara are gone; those passing through stay.
  EXPECT_LT(s->m_Shots.m_lstShot.size(), 1000u);
  EXPECT_GT(s->m_Shots.m_lstShot.size(), 0u);
  s.reset();
  EXPECT_EQ(g_ShotLinks.pfnFindChara, nullptr);
}

TEST_F(StageShots, DefeatFlowsFiringShotsOfNewGroupsDuringTheHitPass) {
  cEdChara bomb = Enemy(1);
  cEdCommand burst = ShotCommand(1);
  burst.m_pShot->m_byOwnerGroup = 0;
  for (int i = 0; i < 6; ++i) {
    // Each chara's last shots open a group list of their own.
    burst.m_pShot->m_byGroupValue = static_cast<uint8_t>(200 + i);
    bomb.m_vecFlow = {MakeFlowOf(FlowTrigger::Died, {burst})};
    m_Stage.m_vecChara.push_back(PlacedAt(bomb, 2 + i, 5));
  }
  m_Stage.m_bOnScreenOnly = 0;  // the shots below stand at the stage's corner
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  s->Update();
  ASSERT_EQ(g_lstChara.size(), 6u);
  for (int i = 0; i < 40; ++i) {
    auto shot = std::make_unique<cShot>();
    shot->m_nGroup = 1;  // the player's side
    shot->m_dAtkRight = shot->m_dAtkBottom = 1e6;
    shot->m_Shot.m_nAttack = 5;
    shot->m_Shot.m_byPassChara = 1;
    s->m_Shots.Add(std::move(shot));
  }
  s->m_nSubStep = 1;
  s->ResolvePlayerContacts();
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_GE(s->m_Shots.m_vGroupShots.size(), 201u);
}

TEST(StageShotDrawing, FlyingShotsDrawnFromTheShotSheetAtTheView) {
  cDrawFixture fx(DrawModes()[0]);
  ASSERT_TRUE(fx.Ok());
  fx.LoadSurface(STAGESURFACE_SHOT, "shot.bmp", 32, 32, std::vector<uint32_t>(32 * 32, 0x2060E0));
  cSceneStage scene(STAGESTART{});
  scene.m_aScroll[0].dPos = 64;
  for (int bInvisible = 0; bInvisible < 2; ++bInvisible) {
    auto shot = std::make_unique<cShot>();
    shot->m_dX = 164 + 100 * bInvisible;
    shot->m_dY = 50;
    shot->m_Shot.m_bySetting20 = static_cast<uint8_t>(bInvisible);
    scene.m_Shots.Add(std::move(shot));
  }
  DDFillSurfaceRGB(&g_BackBufferSD, 0);
  scene.DrawShots(&g_BackBufferSD, FALSE);
  EXPECT_EQ(BackPixel(100, 50), 0x2060E0u);
  EXPECT_EQ(BackPixel(115, 65), 0x2060E0u);
  EXPECT_EQ(BackPixel(116, 66), 0u);  // one 16-pixel cell
  EXPECT_EQ(BackPixel(205, 55), 0u);  // the invisible one
}

TEST(StageShotDrawing, AFlyingShotTurnsThroughItsTwoPatternsUnlessPaused) {
  cDrawFixture fx(DrawModes()[0]);
  ASSERT_TRUE(fx.Ok());
  // Picture 0's two pattern columns in two colours.
  std::vector<uint32_t> sheet(32 * 32, 0x2060E0);
  for (int y = 0; y < 32; ++y)
    for (int x = 16; x < 32; ++x) sheet[y * 32 + x] = 0xE06020;
  fx.LoadSurface(STAGESURFACE_SHOT, "shot.bmp", 32, 32, sheet);
  cSceneStage scene(STAGESTART{});
  auto shot = std::make_unique<cShot>();
  shot->m_dX = 100;
  shot->m_dY = 50;
  scene.m_Shots.Add(std::move(shot));
  auto colourAfter = [&](int nFrames, BOOL bPaused) {
    for (int i = 0; i < nFrames; ++i) scene.DrawShots(&g_BackBufferSD, bPaused);
    return BackPixel(105, 55);
  };
  EXPECT_EQ(colourAfter(11, FALSE), 0x2060E0u);
  EXPECT_EQ(colourAfter(1, FALSE), 0xE06020u);  // the twelfth frame turns it
  EXPECT_EQ(colourAfter(30, TRUE), 0xE06020u);
  EXPECT_EQ(colourAfter(12, FALSE), 0x2060E0u);
}

TEST(StageEffects, AFlowsEffectJoinsTheHitEffectsAndRunsOnThroughItsWait) {
  cScopedOverride<cVector<cEdEffect>> effects(g_Database.m_vecEffect);
  g_Database.m_vecEffect.resize(2);
  cEdEffectFrame frame = cEdEffectFrame::MakeDefault();
  frame.nTime = 1;  // six drawn frames
  g_Database.m_vecEffect[1].m_vecFrame.assign(1, frame);
  cSceneStage scene(STAGESTART{});
  scene.AddEffect(1, 10, 20, 32, 32, 1);  // the flow waits for it
  scene.AddEffect(1, 10, 20, 32, 32, 0);
  ASSERT_EQ(scene.m_lstHitEffect.size(), 2u);
  EXPECT_EQ(scene.m_lstHitEffect.front().m_dX, 10);
  // The frozen frames of the wait: only the awaited effect runs out.
  for (int n = 0; n < 8; ++n) scene.DrawHitEffects(&g_BackBufferSD, 1);
  ASSERT_EQ(scene.m_lstHitEffect.size(), 1u);
  EXPECT_EQ(scene.m_lstHitEffect.front().m_bKeepRunning, 0);
  scene.ClearEffects();
  EXPECT_TRUE(scene.m_lstHitEffect.empty());
}

}  // namespace

namespace {

// A shot of group nGroup whose attack box covers the chara's box.
cShot& AddShotOn(cSceneStage& s, const cGameObj& c, int nGroup) {
  auto shot = std::make_unique<cShot>();
  shot->m_nGroup = nGroup;
  shot->m_dX = c.m_dX;
  shot->m_dY = c.m_dY;
  shot->m_dRight = c.m_dRight;
  shot->m_dBottom = c.m_dBottom;
  shot->m_dAtkLeft = c.m_dX;
  shot->m_dAtkTop = c.m_dY;
  shot->m_dAtkRight = c.m_dRight;
  shot->m_dAtkBottom = c.m_dBottom;
  return *s.m_Shots.Add(std::move(shot));
}

}  // namespace

TEST_F(StageShots, AShotCarryingAnItemGivesItToPlayer1) {
  cEdCommand heal = MakeItemCommand(ItemCommandKind::StatusOp);
  heal.m_vParam[4] = CharaStatus::Hp;
  heal.m_vParam[5] = 1;
  heal.m_vParam[7] = 3;
  g_CommonPalette = cEdCommonPalette();
  g_CommonPalette.m_vecItem.resize(1);
  g_CommonPalette.m_vecItem.push_back(MakeItemDef({heal}));
  g_CommonPalette.m_vecItem.push_back(MakeItemDef({MakeItemCommand(ItemCommandKind::StageClear)}));
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  struct CASE {
    const char* name;
    int nIndex;
    int nResult, nHp;
  };
  const CASE cases[] = {
      {"the item's commands run for player 1", 1, 0, 8},
      {"a stage clear in them ends the hits", 2, 1, 5},
      {"an item past the palette is nothing", 9, 0, 5},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    cPlayer& p = *FirstPlayer();
    p.m_nHp = 5;
    p.m_nInvincible = 0;
    cShot& shot = AddShotOn(*s, p, 2);
    shot.m_Shot.m_byItemSource = 1;
    shot.m_Shot.m_wItemIndex = static_cast<uint16_t>(c.nIndex);
    s->m_nSubStep = 1;
    EXPECT_EQ(s->ResolveShotHits(), c.nResult);
    EXPECT_EQ(p.m_nHp, c.nHp);
    EXPECT_TRUE(s->m_Shots.m_lstShot.empty());  // it hit, and does not pass through
    EXPECT_TRUE(s->m_Shots.Group(2).empty());
    g_CharaScene.m_bStageEnd = 0;
    s->m_nStageEnd = 0;
  }
  g_CommonPalette = cEdCommonPalette();
}

TEST_F(StageShots, WithTheOnScreenSwitchOnlyWhatIsOnScreenIsHit) {
  m_Stage = MakeBlockStage(60, 15, 1);
  PlaceRow(m_Stage, 0, 59, 14, 1);
  // Far right of the view, but active wherever it is: in play, off screen.
  cEdChara far = Enemy(5);
  far.m_nViewTestKind = 3;
  m_Stage.m_vecChara.push_back(PlacedAt(far, 50, 13));
  for (int bSwitch = 0; bSwitch <= 1; ++bSwitch) {
    SCOPED_TRACE(bSwitch);
    m_Stage.m_bOnScreenOnly = static_cast<uint32_t>(bSwitch);
    auto s = Play();
    ASSERT_EQ(g_lstChara.size(), 1u);
    cStageChara& e = *g_lstChara.front();
    ASSERT_EQ(e.m_bPresent, 1);
    ASSERT_EQ(e.m_bOnScreen, 0);
    AddShotOn(*s, e, 1).m_Shot.m_nAttack = 1;
    s->m_nSubStep = 1;
    s->ResolveShotHits();
    EXPECT_EQ(e.m_nHp, bSwitch ? 5 : 4);
    s.reset();
    ClearLiveObjects();
    m_Stage.m_vecChara.erase(m_Stage.m_vecChara.begin());  // the player, put back by Play
  }
}

TEST_F(StageShots, AShotThatStopsHitsTheFirstCharaInSetUpOrderWhereverTheCharasStand) {
  // Three charas far apart along a wide stage, placed middle, left, right;
  // a shot covering several of them hits the first placed among those it
  // covers (and only it, unless it passes through charas).
  m_Stage = MakeBlockStage(120, 15, 1);
  PlaceRow(m_Stage, 0, 119, 14, 1);
  m_Stage.m_bOnScreenOnly = 0;
  const int aColumn[] = {60, 2, 110};
  cEdChara e = Enemy(5);
  e.m_nViewTestKind = 3;  // in play wherever it stands
  for (int c : aColumn) m_Stage.m_vecChara.push_back(PlacedAt(e, c, 13));
  struct CASE {
    const char* name;
    int nFrom, nTo;  // the charas (left to right) the shot's box covers
    uint8_t bPass;
    int aHp[3];      // in set-up order
  } const cases[] = {
      {"the far right one alone", 2, 2, 0, {5, 5, 4}},
      {"all three: the middle one, placed first", 0, 2, 0, {4, 5, 5}},
      {"left and middle: the middle one", 0, 1, 0, {4, 5, 5}},
      {"all three, passing through", 0, 2, 1, {4, 4, 4}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    auto s = Play();
    ASSERT_EQ(g_lstChara.size(), 3u);
    for (auto& e : g_lstChara) ASSERT_EQ(e->m_bPresent, 1);
    std::vector<cStageChara*> vByX;
    for (auto& e : g_lstChara) vByX.push_back(e.get());
    std::sort(vByX.begin(), vByX.end(), [](auto* a, auto* b) { return a->m_dX < b->m_dX; });
    auto shot = std::make_unique<cShot>();
    shot->m_nGroup = 1;
    shot->m_dAtkLeft = vByX[static_cast<size_t>(c.nFrom)]->m_dX;
    shot->m_dAtkRight = vByX[static_cast<size_t>(c.nTo)]->m_dRight;
    shot->m_dAtkTop = vByX[0]->m_dY;
    shot->m_dAtkBottom = vByX[0]->m_dBottom;
    shot->m_Shot.m_nAttack = 1;
    shot->m_Shot.m_byPassChara = c.bPass;
    s->m_Shots.Add(std::move(shot));
    s->m_nSubStep = 1;
    s->ResolveShotHits();
    int n = 0;
    for (auto& e : g_lstChara) EXPECT_EQ(e->m_nHp, c.aHp[n++]) << "chara " << n - 1;
    s.reset();
    ClearLiveObjects();
    m_Stage.m_vecChara.erase(m_Stage.m_vecChara.begin());  // the player, put back by Play
  }
}

TEST_F(StageShots, FlyingShotsLeaveByTheAreaOfTheirSide) {
  auto s = Play();
  // Area 4 (the players' shots) ends at the view; area 5 (the charas')
  // reaches 10 cells beyond it.
  const double dViewRight = s->m_aScroll[SCROLL_X].dPos + 640;
  struct CASE {
    const char* name;
    int bCharaShot;
    double dBeyond;
    int nSubStep;
    bool bStays;
  };
  const CASE cases[] = {
      {"a player's shot just past the view", 0, 40, 1, false},
      {"a chara's shot just past the view", 1, 40, 1, true},
      {"a chara's shot past its margin", 1, 400, 1, false},
      {"only the first sub-step tests", 0, 40, 2, true},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    auto shot = std::make_unique<cShot>();
    shot->m_bOwnerStageChara = c.bCharaShot;
    shot->m_nNoGravity = 1;
    shot->m_nBoxW = shot->m_nBoxH = 16;
    shot->m_dX = dViewRight + c.dBeyond;
    shot->m_dY = 500;
    shot->SyncBoxX();
    shot->SyncBoxY();
    s->m_Shots.Add(std::move(shot));
    s->m_nSubStep = c.nSubStep;
    s->StepShots();
    EXPECT_EQ(s->m_Shots.m_lstShot.size(), c.bStays ? 1u : 0u);
    s->m_Shots.Clear();
  }
}

TEST_F(StageShots, LinkedShotsAreKeptByTheirOwnerAsSerials) {
  auto s = Play();
  cPlayer& p = *FirstPlayer();
  cEdShot params = *ShotCommand(1).m_pShot;
  params.m_cCount = 2;
  params.m_bySwordType = 3;
  s->LaunchShots(p, 0, params);
  s->LaunchShots(p, 0, params);
  ASSERT_EQ(p.m_vLinkedShot.size(), 4u);
  std::vector<int32_t> serials;
  for (auto& shot : s->m_Shots.m_lstShot) serials.push_back(shot->m_nSerial);
  EXPECT_EQ(std::vector<int32_t>(p.m_vLinkedShot.begin(), p.m_vLinkedShot.end()), serials);
  // A partner that ends first leaves only a serial behind.
  s->m_Shots.Remove(s->m_Shots.m_lstShot.front().get());
  for (int n = 0; n < 5; ++n) s->Update();
  // Any other type empties the list.
  params.m_bySwordType = 0;
  s->LaunchShots(p, 0, params);
  EXPECT_TRUE(p.m_vLinkedShot.empty());
}

// A chara that leaves drops its own swords and nobody else's; the lists keep
// the swords apart for that, and keep them as the shots come and go.
TEST_F(StageShots, ACharaThatLeavesDropsItsOwnSwordsOnly) {
  m_Stage.m_vecChara.push_back(PlacedAt(Enemy(100), 4, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(Enemy(100), 16, 13));
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  ASSERT_EQ(g_lstChara.size(), 2u);
  cShotLists& lists = s->m_Shots;
  // The swords list holds exactly the shots that do not fly.
  auto swordsKept = [&] {
    std::multiset<const cShot*> want, got(lists.Swords().begin(), lists.Swords().end());
    for (auto& shot : lists.m_lstShot)
      if (!shot->m_bFlying) want.insert(shot.get());
    return want == got;
  };
  const cEdShot params = *ShotCommand(0).m_pShot;
  cPlayer& p = *FirstPlayer();
  for (cChara* c : {static_cast<cChara*>(g_lstChara.front().get()), static_cast<cChara*>(g_lstChara.back().get()),
                    static_cast<cChara*>(&p)}) {
    s->AddSwordShot(*c, params, 16, 16);
    s->LaunchShots(*c, 0, params);
  }
  ASSERT_EQ(lists.Swords().size(), 3u);
  EXPECT_TRUE(swordsKept());
  // The first stage chara leaves; the player's id is not a stage chara's
  // even where the numbers meet.
  const int nGone = g_lstChara.front()->m_nId, nStays = g_lstChara.back()->m_nId;
  EraseChara(g_lstChara.begin());
  std::multiset<int> owners, swordOwners;
  for (auto& shot : lists.m_lstShot) (shot->m_bFlying ? owners : swordOwners).insert(shot->m_nOwnerId);
  EXPECT_EQ(swordOwners, (std::multiset<int>{NO_CHARA, nStays, p.m_nId}));
  EXPECT_EQ(owners, (std::multiset<int>{nGone, nStays, p.m_nId}));
  for (cShot* sword : lists.Swords())
    if (sword->m_nOwnerId == p.m_nId) {
      lists.Remove(sword);
      break;
    }
  EXPECT_EQ(lists.Swords().size(), 2u);
  EXPECT_TRUE(swordsKept());
  // The sword without an owner ends at its next step.
  s->StepShots();
  EXPECT_TRUE(swordsKept());
  for (const cShot* sword : lists.Swords()) EXPECT_NE(sword->m_nOwnerId, NO_CHARA);
  lists.Clear();
  EXPECT_TRUE(lists.Swords().empty());
}

// A hostile stage: one Always flow firing a hundred shots a frame that
// never leave. The shots stop at the stage's bound and the stage plays on.
TEST_F(StageShots, ShotsFiredEveryFrameStopAtTheStagesBound) {
  cEdCommand burst = ShotCommand(1);
  burst.m_pShot->m_cCount = 100;
  burst.m_pShot->m_nSpeed = 0;
  cEdChara shooter = Enemy(100);
  shooter.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {burst}));
  m_Stage.m_vecChara.push_back(PlacedAt(shooter, 4, 13));
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  size_t nMost = 0;
  for (int n = 0; n < 300; ++n) {
    s->Update();
    nMost = std::max(nMost, s->m_Shots.m_lstShot.size());
  }
  // Without the bound three hundred frames make about twenty thousand; at
  // it, a wave makes what room is left, less than its hundred shots.
  EXPECT_LE(nMost, LIVE_MAX[LIVE_SHOT]);
  EXPECT_GT(nMost + 100, LIVE_MAX[LIVE_SHOT]);
  EXPECT_EQ(s->m_nState, STAGESTATE_PLAY);
  // Each group list holds its own shots and no other.
  size_t nGrouped = 0;
  for (const auto& g : s->m_Shots.m_vGroupShots) nGrouped += g.size();
  EXPECT_EQ(nGrouped, s->m_Shots.m_lstShot.size());
}
