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

// Player 1 at column 10 facing right: once it has landed, it fires bursts of
// 16-pixel shots with a 4 × 4 attack box at 6 pixels a frame, nOffsetY
// pixels below its centre.
class StageHits : public cWideSceneTest {
 protected:
  std::unique_ptr<cSceneStage> PlayShooting(int nOffsetY) {
    cEdCommand shot = MakeFlowCommand(FlowCommandKind::Shot, 1);
    NewEdShot(shot.m_pShot);
    shot.m_pShot->m_cCount = 1;
    shot.m_pShot->m_cSize = 1;
    shot.m_pShot->m_nSpeed = 60;
    shot.m_pShot->m_nAttack = 1;
    shot.m_pShot->m_byOwnerGroup = 1;
    shot.m_pShot->m_nOffsetY = static_cast<int16_t>(nOffsetY);
    m_Player.m_nDir = 1;
    m_Player.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 10), shot}));
    m_Stage.m_nPlayerForm2W = m_Stage.m_nPlayerForm2H = 4;
    m_Stage.m_vecChara.insert(m_Stage.m_vecChara.begin(), PlacedAt(m_Player, 10, 13));
    return PlayScene(m_Stage);
  }
  // An enemy of another side, harmless to touch.
  static cEdChara Target() {
    cEdChara e = MakeEnemyDef(100);
    e.m_nSide = 2;
    e.m_nAttack = 0;
    e.m_nKnockBack = 0;
    return e;
  }
  // Plays until a shot has flown 100 pixels past the target's body; 1 when
  // one did.
  static bool ShotPassed(cSceneStage& s, const cStageChara& c) {
    for (int n = 0; n < 180; ++n) {
      s.Update();
      for (auto& shot : s.m_Shots.m_lstShot)
        if (shot->m_dX > c.m_dRight + 100) return true;
    }
    return false;
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
  m_Stage.m_vecChara.push_back(PlacedAt(Target(), 16, 13));
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
    cEdStage stage = m_Stage;
    auto s = PlayShooting(c.nOffsetY);
    ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
    ASSERT_EQ(g_lstChara.size(), 1u);
    const cStageChara& e = *g_lstChara.front();
    // The body is crossed either way.
    const HITBOX body = ObjectBox(e);
    const HITBOX range = CharaHitBox(e);
    EXPECT_EQ(range.dBottom, std::floor(body.dBottom));
    EXPECT_EQ(range.dTop, std::floor(body.dTop) + 12);
    EXPECT_EQ(range.dLeft, std::floor(body.dLeft) + 2);
    EXPECT_EQ(ShotPassed(*s, e), !c.bHit);
    EXPECT_EQ(e.m_nHp < 100, c.bHit);
    s.reset();
    ClearScene();
    m_Stage = stage;
    m_Player.m_vecFlow.clear();
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
    const cEdStage stage = m_Stage;
    cEdChara t = Target();
    t.m_nInvincibleKind = c.nKind;
    m_Stage.m_vecChara.push_back(PlacedAt(t, 16, 13));
    auto s = PlayShooting(0);
    ASSERT_EQ(g_lstChara.size(), 1u);
    const cStageChara& e = *g_lstChara.front();
    EXPECT_EQ(ShotPassed(*s, e), c.bPassed);
    EXPECT_EQ(e.m_nHp < 100, c.bHurt);
    s.reset();
    ClearScene();
    m_Stage = stage;
    m_Player.m_vecFlow.clear();
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
