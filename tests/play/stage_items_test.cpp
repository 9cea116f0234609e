// Items placed in the running stage scene: one of scale 2 is drawn over
// 64 × 64 pixels, centred on its cell and standing on its floor, and taken
// as soon as player 1 reaches that box; one whose conditions fail is neither
// drawn nor taken until a flow makes them hold.
#include <gtest/gtest.h>

#include <vector>

#include "play/hits.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_scene.h"
#include "records/flow_enums.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/flow_stage_fixture.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"

namespace {

constexpr uint32_t kItemColour = 0xC0C000;

class StageItems : public cWideSceneTest {
 protected:
  // The item sheet in one colour, on the first drawing path.
  StageItems() : m_Fx(DrawModes()[0]) {}
  void SetUp() override {
    cWideSceneTest::SetUp();
    ASSERT_TRUE(m_Fx.Ok());
    // Both sheet sets: the scene picks the one of its drawing path.
    for (int nSheet : {40, 41}) m_Fx.LoadSurface(nSheet, "Item.bmp", 64, 64, std::vector<uint32_t>(64 * 64, kItemColour));
  }
  // A healing item of picture 1 at a cell.
  static cEdItem Heart(int col, int row) {
    cEdCommand heal = MakeItemCommand(ItemCommandKind::StatusOp);
    heal.m_vParam[4] = CharaStatus::Hp;
    heal.m_vParam[5] = 1;
    heal.m_vParam[7] = 3;
    cEdItem it = MakeItemDef({heal});
    it.m_nImageIndex = 1;
    it.m_nColumn = static_cast<uint16_t>(col);
    it.m_nRow = static_cast<uint16_t>(row);
    return it;
  }
  // The item's picture on screen, at the view of this frame.
  static RECT ScreenRect(const cItemObj& it) {
    cItemObj at;
    at.CopyItem(it);
    at.UpdateScreenRect();
    return at.m_rcScreen;
  }
  // Whether the item's colour is on the back buffer just inside the
  // corners of its picture.
  static bool Drawn(const cItemObj& it) {
    const RECT rc = ScreenRect(it);
    return BackPixel(rc.left + 1, rc.top + 1) == kItemColour && BackPixel(rc.right - 1, rc.bottom - 1) == kItemColour;
  }

  cDrawFixture m_Fx;
};

TEST_F(StageItems, APlacedItemOfScaleTwoIsDrawnAndTakenOverSixtyFourPixels) {
  // The item's hit box fills its 32-pixel picture, so at scale 2 both are
  // 64 × 64. Player 1 walks toward it at a pixel a frame.
  m_Stage.m_nItemHitW = m_Stage.m_nItemHitH = 32;
  cEdItem heart = Heart(16, 13);
  heart.m_nScale = 2;
  m_Stage.m_vecItem.push_back(heart);
  cEdCommand walk = MoveCommand(FlowCommandKind::StraightMove, 1000, 10);
  walk.m_pMove->m_byDirection = 3;
  m_Player.m_nMaxHp = 20;
  m_Player.m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {walk})};
  m_Stage.m_vecChara.push_back(PlacedAt(m_Player, 10, 13));
  auto s = PlayScene(m_Stage);
  ASSERT_EQ(g_lstItem.size(), 1u);
  cPlayer& p = *FirstPlayer();
  p.m_nHp = 10;
  const cItemObj& it = *g_lstItem.front();
  EXPECT_EQ(it.m_nImgW, 64);
  EXPECT_EQ(it.m_nImgH, 64);
  EXPECT_EQ(it.m_nBoxW, 64);
  EXPECT_EQ(it.m_nBoxH, 64);
  // Centred across its cell, its foot on the cell's bottom.
  EXPECT_NEAR((it.m_dX + it.m_dRight + 1) / 2, CellPx(16) + 16, 1.0);
  EXPECT_EQ(it.m_dBottom + 1, CellPx(14));
  s->Update();
  ASSERT_EQ(g_lstItem.size(), 1u);
  EXPECT_TRUE(Drawn(it));
  const RECT rc = ScreenRect(it);
  EXPECT_EQ(rc.right - rc.left + 1, 64);
  EXPECT_NE(BackPixel(rc.right + 2, rc.top + 2), kItemColour);
  const double dItemLeft = it.m_dX;
  double dReach = PlayerPickUpBox(p).dRight;
  int n = 0;
  for (; n < 300 && !g_lstItem.empty(); ++n) {
    dReach = PlayerPickUpBox(p).dRight;
    s->Update();
  }
  ASSERT_TRUE(g_lstItem.empty());
  // Taken the frame its pick-up box first reached the item's box.
  EXPECT_LT(dReach, dItemLeft);
  EXPECT_GE(PlayerPickUpBox(p).dRight, dItemLeft);
  EXPECT_EQ(p.m_nHp, 13);
}

TEST_F(StageItems, AnItemWhoseConditionsFailIsAbsentUntilTheyHold) {
  // Lying where player 1 stands, while common variable 1 is not 1; a chara
  // sets it after a second.
  cEdItem heart = Heart(10, 13);
  heart.m_vecCondition.push_back(MakeVarEqualsCondition(FlowConditionKind::CommonVarCondition, 1, 1));
  m_Stage.m_vecItem.push_back(heart);
  m_Player.m_nMaxHp = 20;
  m_Stage.m_vecChara.push_back(PlacedAt(m_Player, 10, 13));
  cEdCommand set = MakeFlowCommand(FlowCommandKind::StatusOp);
  set.m_vParam[0] = 1;  // a variable: common variable 1 := 1
  set.m_vParam[1] = 0;
  set.m_vParam[2] = 1;
  set.m_vParam[7] = 1;
  m_Stage.m_vecChara.push_back(PlacedAt(WaitingFlowChara({MakeFlowCommand(FlowCommandKind::Wait, 10), set}), 16, 13));
  CommonVars().assign(CommonVars().size() < 2 ? 2 : CommonVars().size(), 0);
  auto s = PlayScene(m_Stage);
  ASSERT_EQ(g_lstItem.size(), 1u);
  cPlayer& p = *FirstPlayer();
  p.m_nHp = 10;
  const cItemObj& it = *g_lstItem.front();
  for (int n = 0; n < 40; ++n) {
    s->Update();
    ASSERT_EQ(g_lstItem.size(), 1u);
    EXPECT_FALSE(Drawn(it)) << n;
  }
  EXPECT_EQ(p.m_nHp, 10);
  for (int n = 0; n < 60 && !g_lstItem.empty(); ++n) s->Update();
  EXPECT_EQ(CommonVars()[1], 1);
  EXPECT_TRUE(g_lstItem.empty());
  EXPECT_EQ(p.m_nHp, 13);
  CommonVars()[1] = 0;
}

}  // namespace
