// Player 1 touching items by their pick-up mode: taken on the first touch,
// acting once per touch while it stays, or never touched; a taken item is
// gone even when its commands end the stage.
#include <gtest/gtest.h>

#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/scene_fixture.h"

namespace {

class ItemTouch : public cSceneTest {
 protected:
  void SetUp() override {
    cSceneTest::SetUp();
    m_Stage.m_vecChara.front().m_nMaxHp = 20;
    m_lpScene = Play();
  }
  void TearDown() override {
    m_lpScene.reset();
    cSceneTest::TearDown();
  }
  // An item of the mode whose list runs `cmds`, lying on player 1.
  cItemObj& AddItem(int nMode, std::initializer_list<cEdCommand> cmds) {
    cEdItem def = MakeItemDef(cmds);
    def.m_nPickup = static_cast<uint8_t>(nMode);
    g_lstItem.push_back(std::make_unique<cItemObj>());
    cItemObj& it = *g_lstItem.back();
    it.ItemObjInit(7, def, 1);
    MoveOnto(it, true);
    return it;
  }
  static void MoveOnto(cItemObj& it, bool bOn) {
    const cPlayer& p = *FirstPlayer();
    it.m_dX = p.m_dX + (bOn ? 0 : 300);
    it.m_dY = p.m_dY;
    it.SyncBoxX();
    it.SyncBoxY();
  }
  static cEdCommand Heal() {
    cEdCommand c = MakeItemCommand(ItemCommandKind::StatusOp);
    c.m_vParam[4] = CharaStatus::Hp;
    c.m_vParam[5] = 1;
    c.m_vParam[7] = 1;
    return c;
  }
  std::unique_ptr<cSceneStage> m_lpScene;
};

TEST_F(ItemTouch, EachPickUpModeActsByItsRule) {
  struct CASE {
    const char* name;
    int nMode;
    int nRuns;     // over: touch, touch, step off, touch
    bool bStays;
  };
  const CASE cases[] = {
      {"taken on touch", ITEMPICKUP_ONCE, 1, false},
      {"once per touch", ITEMPICKUP_REPEAT, 2, true},
      {"never touched", ITEMPICKUP_NEVER, 0, true},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    cPlayer& p = *FirstPlayer();
    p.m_nHp = 5;
    p.m_lstIds.clear();
    AddItem(c.nMode, {Heal()});
    const bool aOn[] = {true, true, false, true};
    for (bool bOn : aOn) {
      if (!g_lstItem.empty()) MoveOnto(*g_lstItem.back(), bOn);
      EXPECT_EQ(m_lpScene->TouchItems(p), 0);
    }
    EXPECT_EQ(p.m_nHp, 5 + c.nRuns);
    EXPECT_EQ(g_lstItem.size(), c.bStays ? 1u : 0u);
    g_lstItem.clear();
  }
}

TEST_F(ItemTouch, ATakenItemIsGoneEvenWhenItsCommandsEndTheStage) {
  AddItem(ITEMPICKUP_ONCE, {MakeItemCommand(ItemCommandKind::StageClear)});
  cItemObj& after = AddItem(ITEMPICKUP_ONCE, {Heal()});
  cPlayer& p = *FirstPlayer();
  p.m_nHp = 5;
  EXPECT_EQ(m_lpScene->TouchItems(p), 1);
  // The first item stopped the walk: the second is still there, untouched.
  ASSERT_EQ(g_lstItem.size(), 1u);
  EXPECT_EQ(g_lstItem.front().get(), &after);
  EXPECT_EQ(p.m_nHp, 5);
}

TEST_F(ItemTouch, ATakenItemsPictureRisesOverThePlayerWhenItsSwitchIsOn) {
  for (uint8_t bSwitch : {1, 0}) {
    SCOPED_TRACE(static_cast<int>(bSwitch));
    ClearStageTexts();
    cItemObj& it = AddItem(ITEMPICKUP_ONCE, {Heal()});
    it.m_Def.m_nImageKind = 2;
    it.m_Def.m_nImageIndex = 17;
    it.m_Def.m_nImageSub = 1;
    it.m_Def.m_bShowOnTake = bSwitch;
    cPlayer& p = *FirstPlayer();
    EXPECT_EQ(m_lpScene->TouchItems(p), 0);
    ASSERT_EQ(g_lstText.size(), bSwitch ? 1u : 0u);
    if (!bSwitch) continue;
    TEXTOBJ& t = g_lstText.front();
    EXPECT_EQ(t.set.nKind, TEXTKIND_ITEMCELL);
    EXPECT_EQ(t.set.anCell[0], 2);
    EXPECT_EQ(t.set.anCell[1], 17);
    EXPECT_EQ(t.set.anCell[2], 1);
    // A 16-pixel cell centred over the player's picture, standing on it.
    p.UpdateScreenRect();
    int x = 0, y = 0;
    ASSERT_TRUE(t.TextPlace(x, y));
    EXPECT_EQ(x + 8, p.m_rcScreen.left + 16);
    EXPECT_EQ(y + 16, p.m_rcScreen.top);
    // Shown for 30 frames, then gone.
    int nFrames = 0;
    while (nFrames < 100 && t.TextObjectDraw(nullptr, FALSE, 0) == 0) ++nFrames;
    EXPECT_EQ(nFrames, 30);
  }
  ClearStageTexts();
}

}  // namespace
