// What a stage takes from the play progress and gives back to it: the
// carried status at the player's set-up, the flows run before the stage
// starts, the start animation, a cleared stage's world-map and challenge
// bookkeeping; and a defeated chara kept in play for its defeat effect.
#include <gtest/gtest.h>

#include <memory>

#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "play/status_carry.h"
#include "records/database_run_tables.h"
#include "records/progress.h"
#include "records/system.h"
#include "records/world_map.h"
#include "tests/play/chara_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<int> g_vSounds;

// A command that runs at once in a flow started before the stage.
cEdCommand AtOnce(cEdCommand c) {
  c.m_byWithNext = 1;
  return c;
}

cEdChara PlayerDef() {
  cEdChara d = MakeEnemyDef(10);
  d.m_nType = 0;
  d.m_nDir = 1;
  return d;
}

class StageProgress : public ::testing::Test {
 protected:
  void SetUp() override {
    g_vSounds.clear();
    g_PlayLinks.pfnPlaySound = [](int n) { g_vSounds.push_back(n); };
    g_System = cEdSystem();
    g_Progress = cEdProgress();
    ProgressReset(g_Progress);
    g_Progress.m_nLivesStart = 3;
    m_Stage = MakeBlockStage(20, 15, 1);
    PlaceRow(m_Stage, 0, 19, 12, 1);
    m_Player = PlayerDef();
    m_Player.m_nMaxSp = 20;
    m_Player.m_nColumn = 3;
    m_Player.m_nRow = 11;
  }
  void TearDown() override {
    g_PlayLinks = PLAYLINKS{};
    g_StageLinks = STAGELINKS{};
    g_System = cEdSystem();
  }
  // A free-play scene on m_Stage with m_Player placed first, then nCharas.
  std::unique_ptr<cSceneStage> MakeScene(std::initializer_list<cEdChara> charas = {},
                                         STAGESTART start = {0, 3, 2, 0, 0, 0}) {
    cEdStage st = m_Stage;
    st.m_vecChara.push_back(m_Player);
    for (const cEdChara& c : charas) st.m_vecChara.push_back(c);
    g_Stage = st;
    g_StageCopy = st;
    return std::make_unique<cSceneStage>(start);
  }
  static cEdChara Enemy(uint32_t nHp, int col, std::initializer_list<cEdFlow> flows = {}) {
    cEdChara d = MakeEnemyDef(nHp);
    d.m_nColumn = static_cast<uint16_t>(col);
    d.m_nRow = 11;
    for (const cEdFlow& f : flows) d.m_vecFlow.push_back(f);
    return d;
  }
  static void CarryItems(std::initializer_list<int> items) {
    g_System.m_vecCarryStatus.assign(kCarryItems, 0);
    for (int i : items) g_System.m_vecCarryStatus[i] = 1;
  }

  cEdStage m_Stage;
  cEdChara m_Player;
};

}  // namespace

TEST_F(StageProgress, CarriedItemsGoOnlyWhereTheProjectCarriesThem) {
  CarryItems({0, 2, CARRY_HP, CARRY_TIME, CARRY_LIVES, CARRY_MUSIC});
  g_System.m_vecResetSwitch.assign(kCarryItems, 0);
  g_System.m_vecResetSwitch[CARRY_HP] = 1;
  cEdChara def = PlayerDef();
  def.m_nMaxHp = 0;
  def.m_nAttack = 7;
  def.m_nDefence = 9;  // item 3, not carried
  CARRYVALUES v;
  v.nHp = 4, v.nSp = 5, v.nTimeLeft = 33, v.nLives = 6, v.nMusic = 2;
  StoreInheritedStatus(g_Progress, 0, def, v);

  cEdChara next = PlayerDef();
  next.m_nMaxHp = 50;
  cEdStage stage = m_Stage;
  g_Progress.m_nLives = 1;
  ApplyInheritedStatus(g_Progress, 0, next, stage, true);
  EXPECT_EQ(next.m_nMaxHp, 1u);  // a stored 0 comes back as 1
  EXPECT_EQ(next.m_nAttack, 7u);
  EXPECT_EQ(next.m_nDefence, PlayerDef().m_nDefence);
  EXPECT_EQ(stage.m_nTimeLimit, 33u);
  EXPECT_EQ(stage.m_nBgm, 2u);
  EXPECT_EQ(g_Progress.m_nLives, 6);
  int32_t hp = -1, sp = -1;
  GetInheritedHpSp(g_Progress, 0, hp, sp);
  EXPECT_EQ(hp, 4);
  EXPECT_EQ(sp, -1);  // SP is not carried: the output stays

  // A miss drops the items the project resets; the rest stay.
  ClearResetSwitches(g_Progress);
  hp = -1;
  GetInheritedHpSp(g_Progress, 0, hp, sp);
  EXPECT_EQ(hp, -1);
  // Lives only when asked (once per scene), and nothing without a store.
  g_Progress.m_nLives = 1;
  ApplyInheritedStatus(g_Progress, 0, next, stage, false);
  EXPECT_EQ(g_Progress.m_nLives, 1);
  cEdProgress fresh;
  ProgressReset(fresh);
  cEdChara untouched = PlayerDef();
  ApplyInheritedStatus(fresh, 0, untouched, stage, true);
  ApplyInheritedStatus(g_Progress, 5, untouched, stage, true);  // no such player
  EXPECT_EQ(untouched.m_nAttack, PlayerDef().m_nAttack);
}

TEST_F(StageProgress, TheNextStageStartsWithTheCarriedStatusAndAMissStillCostsALife) {
  CarryItems({CARRY_HP, CARRY_SP, CARRY_LIVES});
  cEdChara stored = m_Player;
  CARRYVALUES v;
  v.nHp = 6, v.nSp = 500, v.nLives = 4;  // SP beyond the gauge is cut
  StoreInheritedStatus(g_Progress, 0, stored, v);
  m_Stage.m_bInheritStatus = 1;
  m_Stage.m_bTimeLimit = 1;
  m_Stage.m_nTimeLimit = 1;
  auto s = MakeScene();
  s->Update();
  cPlayer* p = FirstPlayer();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->m_nHp, 6);
  EXPECT_EQ(p->m_nSp, 20);
  EXPECT_EQ(g_Progress.m_nLives, 4);
  // Time over: the restart keeps the life the miss took, and the HP that the
  // project resets on a miss (by default) is full again.
  while (s->m_nState != STAGESTATE_PLAY) s->Update();
  for (int i = 0; i < 400 && !(s->m_nState == STAGESTATE_BANNER && s->m_nPlayFrame == 0); ++i) s->Update();
  ASSERT_EQ(s->m_nState, STAGESTATE_BANNER);
  EXPECT_EQ(g_Progress.m_nLives, 3);
  EXPECT_EQ(FirstPlayer()->m_nHp, 10);
  EXPECT_EQ(FirstPlayer()->m_nSp, 20);
}

TEST_F(StageProgress, FlowsBeforeTheStageStartRunAndCharasTheyDefeatNeverPlay) {
  // The player's flow sets its HP to 9; one enemy's flow takes all its own
  // HP, another sets its own to 3.
  m_Player.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::BeforeStageStart, {AtOnce(MakeHpCommand(0, 0, 9))}));
  cEdChara doomed = Enemy(5, 8, {MakeFlowOf(FlowTrigger::BeforeStageStart, {AtOnce(MakeHpCommand(0, 0, 0))})});
  doomed.m_nScore = 40;
  cEdChara kept = Enemy(5, 12, {MakeFlowOf(FlowTrigger::BeforeStageStart, {AtOnce(MakeHpCommand(0, 0, 3))})});
  auto s = MakeScene({doomed, kept});
  s->Update();
  ASSERT_NE(FirstPlayer(), nullptr);
  EXPECT_EQ(FirstPlayer()->m_nHp, 9);
  ASSERT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(g_lstChara.front()->m_nHp, 3);
  EXPECT_EQ(g_Progress.m_nScore, 40);  // its defeat counted
}

TEST_F(StageProgress, ThePlayerTakesItsStartAnimationWhenPlayBegins) {
  for (uint8_t nFly : {0, 1}) {
    auto s = MakeScene();
    s->Update();
    cPlayer* p = FirstPlayer();
    ASSERT_NE(p, nullptr);
    p->m_nNoGravity = nFly;
    p->m_Anime.Player.nAnime = 5;
    while (s->m_nState != STAGESTATE_PLAY) s->Update();
    EXPECT_EQ(p->m_Anime.Current(), nFly ? 2 : 0);
  }
}

TEST_F(StageProgress, AClearedWorldMapPointRecordsItsScoreAndFollowsItsAfterClearKind) {
  g_WorldMap = cEdWorldMap();
  g_WorldMap.m_nWidth = g_WorldMap.m_nHeight = 8;
  g_WorldMap.m_nStartX = 1, g_WorldMap.m_nStartY = 2;
  cEdWorldEvent ev;
  ev.m_nX = 4, ev.m_nY = 5;
  ev.m_vAction.resize(2);
  g_WorldMap.m_vEvent.push_back(ev);
  struct CASE {
    int32_t nEndKind;
    int nMode;
    bool bNextRound;
  } cases[] = {{0, 1, false}, {1, 1, true}, {2, 0, false}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nEndKind);
    g_WorldMap.m_vEvent[0].m_vAction[1].m_nEndKind = c.nEndKind;
    ProgressReset(g_Progress);
    cEdProgress& p = g_Progress;
    p.m_nMapX = 4, p.m_nMapY = 5, p.m_nMapEvent = 1, p.m_nClearFlag = 7;
    p.m_vFlag[3] = 1;
    p.m_strStage = "data\\stg4\\Forest.";
    p.m_nTotalScore = 120;
    EXPECT_EQ(RecordMapPointCleared(p), c.nMode);
    EXPECT_EQ(FindStageScore("data\\stg4\\Forest."), 120u);
    // A worse run keeps the best.
    p.m_nMapX = 4, p.m_nMapY = 5;
    p.m_nTotalScore = 80;
    RecordMapPointCleared(p);
    EXPECT_EQ(FindStageScore("data\\stg4\\Forest."), 120u);
    EXPECT_EQ(p.m_vStageScore.size(), 1u);
    EXPECT_EQ(p.m_nMapRound, c.bNextRound ? 2 : 0);
    EXPECT_EQ(p.m_vFlag[7], c.bNextRound ? 0u : 1u);
    EXPECT_EQ(p.m_vFlag[3], c.bNextRound ? 0u : 1u);
    EXPECT_EQ(p.m_vFlag[0], 1u);
    EXPECT_EQ(p.m_nMapX, c.bNextRound ? 1 : 4);
  }
  // A point whose event is gone (the map changed) is still cleared.
  g_Progress.m_nMapEvent = 9;
  EXPECT_EQ(RecordMapPointCleared(g_Progress), 1);
  g_WorldMap = cEdWorldMap();
}

TEST_F(StageProgress, AClearedChallengeCourseKeepsItsBestOpensTheNextAndIsSaved) {
  cTempFolder dir;  // the working folder while it lives
  g_System.m_nChallengeLimit = 3;
  cEdProgress& p = g_Progress;
  ProgressNormalize(p);
  p.m_vChallenge[0].m_nSecond = 50;
  p.m_nClearFlag = 2;
  p.m_nTotalScore = 70;
  RecordChallengeCleared(p);
  EXPECT_EQ(p.m_vChallenge[1].m_nFirst, 1u);
  EXPECT_EQ(p.m_vChallenge[1].m_nSecond, 70u);
  EXPECT_EQ(p.m_nTotalScore, 120);  // the challenge total
  EXPECT_EQ(p.m_nChallengeOpen, 3);
  // The last course opens nothing past the courses; a worse run keeps the
  // best; a course number from a damaged file touches nothing.
  p.m_nClearFlag = 3;
  p.m_nTotalScore = 10;
  RecordChallengeCleared(p);
  EXPECT_EQ(p.m_nChallengeOpen, 3);
  p.m_nClearFlag = 2;
  p.m_nTotalScore = 5;
  RecordChallengeCleared(p);
  EXPECT_EQ(p.m_vChallenge[1].m_nSecond, 70u);
  p.m_nClearFlag = -4;
  RecordChallengeCleared(p);

  cEdProgress saved;
  ASSERT_TRUE(saved.LoadFromFile("user_data\\challenge\\Challenge.dat"));
  EXPECT_EQ(saved.m_vChallenge[1].m_nSecond, 70u);
  EXPECT_EQ(saved.m_vChallenge[2].m_nFirst, 1u);
  EXPECT_EQ(saved.m_nTotalScore, 130);
}

// Run under ASan: a kept chara is drawn through its defeat effect and then
// freed, with no list or link left pointing at it, also when the effect
// ends while thPause draws in the middle of a step.
TEST_F(StageProgress, AKeptDefeatedCharaIsDrawnThroughItsDefeatEffectThenFreed) {
  EFFECTRUNTABLE savedRun = g_CharaEffectRun;
  cEdKindEffect record;
  EFFECTRUN run;
  run.lpRecord = &record;
  run.nStart = 0, run.nEnd = 10, run.dStep = 2.5;  // finishes on its 5th step
  g_CharaEffectRun.assign(2, run);
  m_Stage.m_nFps = 60;
  for (bool bFromPause : {false, true}) {
    SCOPED_TRACE(bFromPause);
    for (uint32_t bKeep : {0u, 1u}) {
      SCOPED_TRACE(bKeep);
      g_vSounds.clear();
      g_System.m_bKeepDefeated = bKeep;
      cEdChara foe = Enemy(1, 6);
      foe.m_nDefeatEffect = 1;
      auto s = MakeScene({foe, Enemy(3, 14)});
      while (s->m_nState != STAGESTATE_PLAY) s->Update();
      ASSERT_EQ(g_lstChara.size(), 2u);
      cStageChara* pFoe = g_lstChara.front().get();
      cStageChara* pOther = g_lstChara.back().get();
      pOther->SetTargetChara(pFoe);
      FirstPlayer()->SetTargetChara(pFoe);
      pFoe->m_nHp = 0;  // its update reports the defeat
      s->Update();
      if (!bKeep) {
        // Without the setting it leaves at once, as the project asks.
        EXPECT_EQ(g_lstChara.size(), 1u);
        EXPECT_EQ(pOther->m_lpTarget, nullptr);
        continue;
      }
      ASSERT_EQ(g_lstChara.size(), 2u);
      EXPECT_TRUE(pFoe->m_bDefeated);
      EXPECT_EQ(std::count(g_vSounds.begin(), g_vSounds.end(), 9), 1);
      int nFrames = 1;
      if (bFromPause) {
        // A defeat without an effect is over at its first drawing, here a
        // frozen frame of thPause while the game thread waits in a step:
        // thPause leaves it in the list, and the next play frame frees it.
        pFoe->m_Effect.nEffect = 0;
        s->SetPauseWait(4, 0, 3, 0);
        ASSERT_TRUE(s->StartPauseThread());
        EXPECT_EQ(g_lstChara.size(), 2u);
      }
      for (; nFrames < 20 && g_lstChara.size() == 2; ++nFrames) s->Update();
      EXPECT_EQ(g_lstChara.size(), 1u);
      if (!bFromPause) {
        EXPECT_GE(nFrames, 5);  // drawn through its effect
      }
      EXPECT_EQ(pOther->m_lpTarget, nullptr);
      EXPECT_EQ(FirstPlayer()->m_lpTarget, nullptr);
      for (int i = 0; i < 3; ++i) s->Update();
    }
  }
  g_CharaEffectRun = savedRun;
}

// Contacts across hit groups: both sides' HitChara flows, the contact damage
// each takes from the other, invincibility against that attacker; one group
// never touches itself.
TEST_F(StageProgress, CharasOfDifferentGroupsTouchAndHurtEachOther) {
  m_Player.m_nAttack = 4;
  m_Player.m_nSide = 0;
  cEdChara biter = Enemy(10, 3, {MakeFlowOf(FlowTrigger::HitChara, {MakeHpCommand(0, 1, 0)})});
  biter.m_nSide = 1;
  biter.m_nAttack = 2;
  cEdChara weak = Enemy(1, 3);
  weak.m_nSide = 2;
  weak.m_nScore = 25;
  cEdChara friendly = Enemy(10, 3);
  friendly.m_nSide = 0;  // the player's own group
  friendly.m_nAttack = 5;
  auto s = MakeScene({biter, weak, friendly});
  while (s->m_nState != STAGESTATE_PLAY) s->Update();
  cPlayer& p = *FirstPlayer();
  ASSERT_EQ(g_lstChara.size(), 3u);
  cStageChara& b = *g_lstChara.front();
  cStageChara& w = **std::next(g_lstChara.begin());
  cStageChara& f = *g_lstChara.back();
  // All of them stand on the player's cell.
  for (cStageChara* c : {&b, &w, &f}) ASSERT_TRUE(c->m_bPresent);
  p.m_nHp = 10;
  s->m_nSubStep = 1;
  EXPECT_EQ(s->ResolveCharaContacts(), 0);
  EXPECT_EQ(p.m_nHp, 8);  // the biter's 2; the friend's 5 never touch it
  EXPECT_EQ(b.m_nHp, 1);  // the player's 4 and the friend's 5
  EXPECT_TRUE(b.m_vFlowRun[0].m_bStarted);  // its HitChara flow
  EXPECT_TRUE(w.m_bDefeated);
  EXPECT_EQ(g_Progress.m_nScore, 25);
  EXPECT_EQ(f.m_nHp, 8);  // the biter's 2
  // Invincible against that attacker now: the next touch hurts no one.
  EXPECT_EQ(s->ResolveCharaContacts(), 0);
  EXPECT_EQ(p.m_nHp, 8);
  // A touch that takes player 1's last HP defeats it.
  p.m_nHp = 1;
  p.m_lstImmunity.clear();
  p.m_nInvincible = 0;
  EXPECT_EQ(s->ResolveCharaContacts(), 2);
}

TEST_F(StageProgress, AFinishedStageAddsPlayerOnesHpAndSpToTheTotals) {
  auto s = MakeScene();
  while (s->m_nState != STAGESTATE_PLAY) s->Update();
  g_Progress.m_nRankValue3 = 5;  // from the stages before
  FirstPlayer()->m_nHp = 7;
  FirstPlayer()->m_nSp = 3;
  s->m_nStageEnd = 1;
  s->Update();
  ASSERT_EQ(s->m_nState, STAGESTATE_RESULT);
  EXPECT_EQ(g_Progress.m_nRankValue3, 12);
  EXPECT_EQ(g_Progress.m_nRankValue4, 3);
}

// Each extra-life display shows the icon over player 1 while thPause draws,
// and takes it down again.
TEST_F(StageProgress, TheExtraLifeDisplayShowsTheIconOverPlayerOne) {
  static std::vector<int> s_vIcons;  // per presented frame: icons on show
  s_vIcons.clear();
  g_StageLinks.pfnPresent = [] {
    int n = 0;
    for (const TEXTOBJ& t : g_lstText) n += t.set.nKind == TEXTKIND_ICON && t.set.nCharaId == FirstPlayer()->m_nId;
    s_vIcons.push_back(n);
  };
  g_System.m_bExtendOn = 1;
  g_System.m_nExtendScore = 100;
  auto s = MakeScene();
  while (s->m_nState != STAGESTATE_PLAY) s->Update();
  g_Progress.m_nScore = 250;
  s->AddStageTotals();
  EXPECT_EQ(s_vIcons, std::vector<int>(60, 1));
  EXPECT_TRUE(g_lstText.empty());
}
