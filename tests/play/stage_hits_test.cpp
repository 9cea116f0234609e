// Hits in the running stage scene by the charas' hit ranges: a shot hits a
// chara only where its first range lies, however much of the body it
// crosses; a chara of invincible kind 2 lets shots pass; and a contact's hit
// effect appears where the two contact boxes meet, as large as the
// attacker.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "play/hits.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/database.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/scoped_override.h"

namespace {

// What became of player 1's shots at a target.
struct SHOOTING {
  bool bPassed;  // a shot flew 100 pixels past its body
  bool bHurt;
  HITBOX body, range;  // the target's body and hit range as play began
};

// Player 1 at column 10 facing right: once it has landed, it fires bursts of
// 16-pixel shots with a 4 × 4 attack box at 6 pixels a frame, nOffsetY
// pixels below its centre, at a target standing at column 16.
class StageHits : public cWideSceneTest {
 protected:
  SHOOTING Shoot(const cEdChara& target, int nOffsetY) {
    cEdStage stage = m_Stage;
    cEdCommand shot = MakeShotCommand(1, 60, 1);
    shot.m_pShot->m_nOffsetY = static_cast<int16_t>(nOffsetY);
    cEdChara player = m_Player;
    player.m_nDir = 1;
    player.m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 10), shot})};
    stage.m_nPlayerForm2W = stage.m_nPlayerForm2H = 4;
    stage.m_vecChara = {PlacedAt(player, 10, 13), PlacedAt(target, 16, 13)};
    auto s = PlayScene(stage);
    SHOOTING r{false, false, {}, {}};
    EXPECT_EQ(g_lstChara.size(), 1u);
    if (g_lstChara.size() == 1) {
      const cStageChara& e = *g_lstChara.front();
      r.body = ObjectBox(e);
      r.range = CharaHitBox(e);
      for (int n = 0; n < 180 && !r.bPassed; ++n) {
        s->Update();
        for (auto& sh : s->m_Shots.m_lstShot) r.bPassed = r.bPassed || sh->m_dX > e.m_dRight + 100;
      }
      r.bHurt = e.m_nHp < 100;
    }
    s.reset();
    ClearScene();
    return r;
  }
  // An enemy of another side, harmless to touch.
  static cEdChara Target() {
    cEdChara e = MakeEnemyDef(100);
    e.m_nSide = 2;
    e.m_nAttack = 0;
    e.m_nKnockBack = 0;
    return e;
  }
};

TEST_F(StageHits, AShotHitsAcrossTheHitRangeOnlyNotAcrossTheRestOfTheBody) {
  // Both bodies stand 16 × 24 on the floor; the target's hit range is its
  // lower 12 rows, 12 pixels wide. The shots' attack boxes cross the body
  // at its middle rows, 6 rows higher (above the range), or 3 lower (a
  // shot any lower would graze the floor, which stops it).
  m_Stage.m_nCharaHitW = 12;
  m_Stage.m_nCharaHitH = 12;
  m_Stage.m_bCharaHitBottom = 1;
  struct CASE {
    const char* name;
    int nOffsetY;
    bool bHit;
  };
  const CASE cases[] = {
      {"through the range's top rows", 0, true},
      {"through the body above the range", -6, false},
      {"through the range's middle", 3, true},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    const SHOOTING r = Shoot(Target(), c.nOffsetY);
    EXPECT_EQ(r.range.dBottom, std::floor(r.body.dBottom));
    EXPECT_EQ(r.range.dTop, std::floor(r.body.dTop) + 12);
    EXPECT_EQ(r.range.dLeft, std::floor(r.body.dLeft) + 2);
    // The body is crossed either way.
    EXPECT_EQ(r.bPassed, !c.bHit);
    EXPECT_EQ(r.bHurt, c.bHit);
  }
}

TEST_F(StageHits, ShotsPassThroughACharaOfInvincibleKindTwo) {
  struct CASE {
    const char* name;
    uint8_t nKind;
    bool bHurt, bPassed;
  };
  const CASE cases[] = {
      {"a plain chara is hurt and stops the shots", 0, true, false},
      {"kind 1 takes no damage but stops the shots", 1, false, false},
      {"kind 2 lets them pass", 2, false, true},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    cEdChara t = Target();
    t.m_nInvincibleKind = c.nKind;
    const SHOOTING r = Shoot(t, 0);
    EXPECT_EQ(r.bPassed, c.bPassed);
    EXPECT_EQ(r.bHurt, c.bHurt);
  }
}

TEST_F(StageHits, AContactsHitEffectSitsWhereTheContactBoxesMeetAsLargeAsTheAttacker) {
  cScopedOverride<cVector<cEdEffect>> effects(g_Database.m_vecEffect);
  g_Database.m_vecEffect.resize(2);
  cEdEffect& fx = g_Database.m_vecEffect[1];
  fx.bScalable = 1;
  fx.nCellWidth = fx.nCellHeight = 16;
  cEdEffectFrame frame = cEdEffectFrame::MakeDefault();
  frame.nTime = 10;
  fx.m_vecFrame = {frame};
  // A giant of scale 2 that hurts by touch, right beside player 1.
  cEdChara giant = Target();
  giant.m_nScale = 2;
  giant.m_nAttack = 1;
  giant.m_nHitEffect = 1;
  m_Player.m_nAttack = 0;
  m_Player.m_nKnockBack = 0;
  // Player 1's contact box reaches 30 pixels wide into the giant's.
  m_Stage.m_nPlayerHit1W = 30;
  m_Stage.m_vecChara.insert(m_Stage.m_vecChara.begin(), PlacedAt(m_Player, 10, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(giant, 11, 13));
  auto s = PlayScene(m_Stage);
  ASSERT_EQ(g_lstChara.size(), 1u);
  cPlayer& p = *FirstPlayer();
  for (int n = 0; n < 10 && s->m_lstHitEffect.empty(); ++n) s->Update();
  EXPECT_EQ(p.m_nHp, 9);
  ASSERT_EQ(s->m_lstHitEffect.size(), 1u);
  const cHitEffect& e = s->m_lstHitEffect.front();
  EXPECT_EQ(e.m_nWidth, 32);
  EXPECT_EQ(e.m_nHeight, 32);
  // Centred on the overlap of the two contact boxes, give or take the
  // effect's own scatter of 4 pixels a scale step.
  const HITBOX a = CharaContactBox(p), b = CharaContactBox(*g_lstChara.front());
  const double cx = (std::max(a.dLeft, b.dLeft) + std::min(a.dRight, b.dRight) + 1) / 2;
  const double cy = (std::max(a.dTop, b.dTop) + std::min(a.dBottom, b.dBottom) + 1) / 2;
  EXPECT_LE(std::fabs(e.m_dX + 16 - cx), 8.5);
  EXPECT_LE(std::fabs(e.m_dY + 16 - cy), 8.5);
}

}  // namespace
