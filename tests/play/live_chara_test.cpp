// The chara core: life and gauges, invincibility and immunity, knock-back,
// damage by another chara, flow-list surgery and lookups.
#include <gtest/gtest.h>

#include <cmath>

#include "play/chara_gauges.h"
#include "tests/play/chara_fixture.h"

namespace {

class LiveCharaTest : public cCharaFixture {};

TEST_F(LiveCharaTest, LifeChangesClampReportDeathAndShowGauges) {
  struct CASE {
    const char* name;
    uint32_t nMax;
    int32_t nStart;
    uint8_t nInvincibleKind;
    int32_t nDelta;
    int bForce;
    int32_t nHpAfter;
    int nResult;
    int nBar;         // 0 when no gauge shows
    double dChange;
  };
  const CASE cases[] = {
      {"loss below zero", 10, 3, 0, -5, 0, 0, 1, 0, 0},
      {"gain cut to the maximum", 10, 8, 0, 10, 0, 10, 0, 50, 10.0},
      {"loss shows its change", 10, 8, 0, -3, 0, 5, 0, 25, -15.0},
      {"invincible kind ignores a loss", 10, 8, 1, -3, 0, 8, 0, 0, 0},
      {"forced loss reaches an invincible kind", 10, 8, 2, -3, 1, 5, 0, 25, -15.0},
      {"no maximum: no gauge", 0, 0, 0, 5, 0, 0, 1, 0, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    cEdChara d = MakeEnemyDef(c.nMax);
    d.m_nInvincibleKind = c.nInvincibleKind;
    cStageChara& e = AddEnemy(d, 5, 11);
    e.m_nHp = c.nStart;
    EXPECT_EQ(e.CharaChangeLife(c.nDelta, c.bForce, 1), c.nResult);
    EXPECT_EQ(e.m_nHp, c.nHpAfter);
    EXPECT_EQ(e.m_HpGauge.m_nTimer, c.nBar || c.dChange ? 120 : 0);
    EXPECT_EQ(e.m_HpGauge.m_nBar, c.nBar);
    EXPECT_DOUBLE_EQ(e.m_HpGauge.m_dChange, c.dChange);
  }
}

TEST_F(LiveCharaTest, GaugeShowsItsChangeForSixtyFramesAndEndsAfterOneTwenty) {
  cStageChara& e = AddEnemy(MakeEnemyDef(10), 5, 11);
  e.CharaChangeLife(-6, 0, 1);
  int nShown = 0, nChanging = 0;
  // Drawing shows the change, then ticks.
  for (;;) {
    const bool bChange = std::fabs(e.m_HpGauge.m_dChange) > 1e-9;
    if (!cChara::GaugeTick(e.m_HpGauge)) break;
    ++nShown;
    if (bChange) ++nChanging;
  }
  EXPECT_EQ(nShown, 120);
  EXPECT_EQ(nChanging, 60);
}

TEST_F(LiveCharaTest, SpGaugeNeedsAMaximumAndSpStaysInRange) {
  cEdChara d = MakeEnemyDef(10);
  d.m_nMaxSp = 0;
  cStageChara& e = AddEnemy(d, 5, 11);
  e.CharaChangeSp(5, 1);
  EXPECT_EQ(e.m_nSp, 0);
  EXPECT_EQ(e.m_SpGauge.m_nTimer, 0);
  e.m_Def.m_nMaxSp = 20;
  e.CharaChangeSp(30, 1);
  EXPECT_EQ(e.m_nSp, 20);
  e.CharaChangeSp(-50, 1);
  EXPECT_EQ(e.m_nSp, 0);
}

TEST_F(LiveCharaTest, ImmunityNamesOneAttackerAndRunsOut) {
  g_Stage.m_nCharaInvincible = 0;
  g_Stage.m_nCharaInvincibleEach = 3;
  cStageChara& e = AddEnemy(MakeEnemyDef(10), 5, 11);
  e.CharaStartInvincibleFrom(7);
  EXPECT_EQ(e.CharaIsInvincibleTo(7), 1);
  EXPECT_EQ(e.CharaIsInvincibleTo(8), 0);
  for (int i = 0; i < 3; ++i) e.CharaCountInvincible();
  EXPECT_EQ(e.CharaIsInvincibleTo(7), 0);
  EXPECT_TRUE(e.m_lstImmunity.empty());
}

TEST_F(LiveCharaTest, KnockBackIsGuardedCappedAndClearsOpposingSpeeds) {
  struct CASE {
    int nStrength, nGuard;
    int nEffective;  // the strength left after the guard and the cap
  };
  const CASE cases[] = {{5, 2, 3}, {30, 0, 20}, {-30, 0, -20}, {3, 5, 0}, {-5, 2, -3}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nStrength);
    cEdChara d = MakeEnemyDef(10);
    d.m_nKnockBackGuard = static_cast<uint8_t>(c.nGuard);
    cStageChara& e = AddEnemy(d, 5, 11);
    e.m_dSpeedX2 = -1.0;
    e.CharaKnockBack(c.nStrength, 1.0, 0.0);
    // The impulse that travels the strength's distance at speed level 1.
    const double a = c.nEffective;
    const double dExpect = a >= 0 ? (std::sqrt(1 + 128 * a) - 1) / 2 : -(std::sqrt(1 - 128 * a) - 1) / 2;
    EXPECT_NEAR(e.m_dImpulseX, dExpect, 1e-9);
    EXPECT_EQ(e.m_bKnockedBack, 1);
    EXPECT_EQ(e.m_dSpeedX2, c.nEffective > 0 ? 0.0 : -1.0);
  }
}

TEST_F(LiveCharaTest, DamageByACharaUsesAttackMinusDefenceAndRaisesItsTriggers) {
  cEdChara attacker = MakeEnemyDef(10);
  attacker.m_nAttack = 7;
  attacker.m_nKnockBack = 4;
  cEdChara victim = MakeEnemyDef(20);
  victim.m_nDefence = 2;
  // Damaged and Impacted flows each take one HP more from the victim.
  victim.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Damaged, {MakeHpCommand(0, 2, 1)}));
  victim.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Impacted, {MakeHpCommand(0, 2, 1)}));
  cStageChara& a = AddEnemy(attacker, 4, 11);
  cStageChara& v = AddEnemy(victim, 5, 11);
  a.m_dSpeedX = 1.0;
  EXPECT_EQ(v.CharaDamagedByChara(a), 0);
  EXPECT_EQ(v.m_nHp, 15);
  EXPECT_EQ(v.m_vFlowRun[0].m_bRunning, 1);
  EXPECT_EQ(v.m_vFlowRun[1].m_bRunning, 1);
  EXPECT_GT(v.m_dImpulseX, 0.0);
  v.Update(0);
  EXPECT_EQ(v.m_nHp, 13);

  // A negative attack heals; defence does not apply to it.
  a.m_Def.m_nAttack = static_cast<uint32_t>(-4);
  v.CharaDamagedByChara(a);
  EXPECT_EQ(v.m_nHp, 17);
  // The most negative attack a file holds, by contact and by a shot, fills
  // the HP up to its maximum.
  a.m_Def.m_nAttack = 0x80000000u;
  v.CharaDamagedByChara(a);
  EXPECT_EQ(v.m_nHp, 20);
  v.m_nHp = 5;
  v.CharaDamagedByShot(INT32_MIN, 0, 0, 0, 0.0, 0.0, 1, HITBOX{}, 1);
  EXPECT_EQ(v.m_nHp, 20);
}

TEST_F(LiveCharaTest, FindCharaByIdPrefersPlayers) {
  cPlayer& p = AddPlayer(3);
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 6, 11, nullptr, 1);
  cStageChara& f = AddEnemy(MakeEnemyDef(5), 7, 11, nullptr, 50);
  EXPECT_EQ(FindCharaById(1), &p);
  EXPECT_EQ(FindCharaById(50), &f);
  EXPECT_EQ(FindCharaById(99), nullptr);
  (void)e;
}

TEST_F(LiveCharaTest, RemovingFlowsByGroupKeepsRunsAndFlowsTogether) {
  cEdChara d = MakeEnemyDef(10);
  for (int id : {3, 5, 3, 7}) {
    cEdFlow f = MakeFlowOf(FlowTrigger::Damaged, {MakeHpCommand(0, 1, id)});
    f.m_byFlowId = static_cast<uint8_t>(id);
    d.m_vecFlow.push_back(f);
  }
  cStageChara& e = AddEnemy(d, 5, 11);
  EXPECT_EQ(e.CharaRemoveFlowsOfGroup(9), -1);
  EXPECT_EQ(e.m_vFlowRun.size(), 4u);
  EXPECT_EQ(e.CharaRemoveFlowsOfGroup(3), 0);
  ASSERT_EQ(e.m_vFlowRun.size(), 2u);
  ASSERT_EQ(e.m_Def.m_vecFlow.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(e.m_vFlowRun[i].m_lpFlow, &e.m_Def.m_vecFlow[i]);
    EXPECT_EQ(e.m_vFlowRun[i].m_nIndex, static_cast<int>(i));
  }
  EXPECT_EQ(e.m_Def.m_vecFlow[0].m_byFlowId, 5);
  EXPECT_EQ(e.CharaRemoveFlowsOfGroup(0), 0);
  EXPECT_TRUE(e.m_vFlowRun.empty());
  EXPECT_TRUE(e.m_Def.m_vecFlow.empty());
}

// Flows added while the chara has runs move its flow list: every run must
// still point into the list afterwards (ASan reads through each pointer).
TEST_F(LiveCharaTest, AddedFlowsLeaveEveryRunPointingIntoTheList) {
  cEdChara d = MakeEnemyDef(10);
  d.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Damaged, {MakeHpCommand(0, 2, 1)}));
  cStageChara& e = AddEnemy(d, 5, 11);
  cEdCommand change = MakeItemCommand(ItemCommandKind::ChangeFlow);
  for (int i = 0; i < 8; ++i) change.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Damaged, {MakeHpCommand(0, 2, 1)}));
  change.m_vParam.assign(2, 0);
  ItemChangeFlow(e, change, 1);
  ASSERT_EQ(e.m_vFlowRun.size(), 9u);
  e.RaiseTrigger(FlowTrigger::Damaged);
  e.Update(0);
  EXPECT_EQ(e.m_nHp, 1);
  for (size_t i = 0; i < e.m_vFlowRun.size(); ++i) {
    EXPECT_EQ(e.m_vFlowRun[i].m_lpFlow, &e.m_Def.m_vecFlow[i]);
    ASSERT_EQ(e.m_vFlowRun[i].m_vCommand.size(), 1u);
    EXPECT_EQ(e.m_vFlowRun[i].m_vCommand[0].m_lpCommand, &e.m_Def.m_vecFlow[i].m_vecCommand[0]);
  }
}

TEST_F(LiveCharaTest, PositionConditionRangesFollowTheFacing) {
  struct CASE {
    int nOwnStart, nOwnSize, nOtherStart, nOtherEnd, a, b, nMode, nResult;
  };
  const CASE cases[] = {
      {100, 32, 140, 171, 16, 16, 1, 1},  // within d right of the picture
      {100, 32, 150, 181, 16, 16, 1, 0},  // beyond it
      {100, 32, 120, 150, 0, 0, 1, 1},    // plain overlap
      {100, 32, 40, 60, 16, 0, 0, 0},     // behind a strip ahead
      {100, 32, 90, 95, 16, 0, 0, 1},
  };
  for (const CASE& c : cases)
    EXPECT_EQ(IsInRange(c.nOwnStart, c.nOwnSize, c.nOtherStart, c.nOtherEnd, 0, c.a, c.b, c.nMode), c.nResult);
}

}  // namespace

namespace {

class CharaGaugeTest : public cCharaFixture {};

TEST_F(CharaGaugeTest, PiecesFollowThePictureWidthAndTheChangesSide) {
  cStageChara& e = AddEnemy(MakeEnemyDef(10), 5, 11);
  e.m_nHp = 8;
  e.UpdateScreenRect();
  e.CharaChangeLife(-4, 0, 1);  // bar 20, loss 20 shown right of it
  GAUGEPIECE a[3];
  ASSERT_EQ(CharaGaugePieces(e, true, 256, a), 3);
  const int x = e.m_rcScreen.left + 16 - 25;
  EXPECT_EQ(a[0].sx, 208);
  EXPECT_EQ(a[0].w, 50);
  EXPECT_EQ(a[1].sx, 210);
  EXPECT_EQ(a[1].w, 20);
  EXPECT_EQ(a[2].sx, 214);
  EXPECT_EQ(a[2].x, x + 20);
  EXPECT_EQ(a[2].w, 20);
  // A gain ends at the bar's end; a low value takes the low bar; SP lies on
  // row 64 of the narrow picture.
  e.m_Def.m_nMaxSp = 10;
  e.m_nSp = 1;
  e.CharaChangeSp(1, 1);
  ASSERT_EQ(CharaGaugePieces(e, false, 200, a), 3);
  EXPECT_EQ(a[0].sy, 64);
  EXPECT_EQ(a[1].sx, 128 + 32);
  EXPECT_EQ(a[2].sx, 128 + 64);
  EXPECT_EQ(a[2].x + a[2].w, x + a[1].w);
  e.m_bDefeated = 1;
  EXPECT_EQ(CharaGaugePieces(e, true, 256, a), 0);
}

}  // namespace

namespace {

class MoveTowardPointTest : public cCharaFixture {};

TEST_F(MoveTowardPointTest, AMoveSnapsToThePointOnArrivalOnlyWhenItsRecordAsks) {
  cEdChara d = MakeEnemyDef(5);
  d.m_nMoveType = 1;
  cStageChara& e = AddEnemy(d, 5, 5);
  cEdCommand move = MakeFlowCommand(FlowCommandKind::StraightMove);
  NewEdMove(move.m_pMove);
  move.m_pMove->m_byStopOnArrival = 0;
  cCommandRun run;
  run.m_lpCommand = &move;
  run.m_dSpeed = 4.0;
  e.UpdateScreenRect();
  int cx = 0, cy = 0;
  PictureCentre(e, cx, cy);
  // Far: a velocity toward the point, direction 2 for a positive x speed.
  EXPECT_EQ(e.MoveTowardPoint(run, cx, cy, cx + 30, cy, 1, 0), 0);
  EXPECT_DOUBLE_EQ(run.m_dVelocityX, 4.0);
  EXPECT_EQ(run.m_nFacingRequest, 2);
  // Within one step: arrival, and no snap unless the move asks for it.
  const double x0 = e.m_dX;
  EXPECT_EQ(e.MoveTowardPoint(run, cx, cy, cx + 3, cy, 1, 0), 1);
  EXPECT_EQ(e.m_dX, x0);
  move.m_pMove->m_byStopOnArrival = 1;
  EXPECT_EQ(e.MoveTowardPointX(run, cx, cx + 3), 1);
  EXPECT_DOUBLE_EQ(e.m_dX, x0 + 3);
  EXPECT_EQ(run.m_dVelocityX, 0.0);
  e.UpdateScreenRect();
  PictureCentre(e, cx, cy);
  EXPECT_EQ(e.MoveTowardPointY(run, cy, cy - 2), 1);
  EXPECT_DOUBLE_EQ(e.m_dY, CellPx(5) - 2);
}

}  // namespace
