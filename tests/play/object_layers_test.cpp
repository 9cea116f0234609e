// What a running stage draws of its charas as their state says: the layer
// of each chara's Z when the stage's eight layers are on (list order
// without them, never outside 0 to 7), a chara that a warp pinned to the
// screen staying in its place while the view scrolls on, and the blinking
// icon of the item a chara carries.
#include <gtest/gtest.h>

#include <memory>

#include "play/live_lists.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/flow_stage_fixture.h"
#include "tests/play/stage_device.h"

namespace {

// The body colours of chara pictures 4 and 5 of the fixtures' chara sheet.
constexpr uint32_t kOrange = 0xE08020, kPurple = 0x8040C0;

cEdChara Standing(int nPicture, int col, int nZ, int nOffsetX = 0) {
  cEdChara d = PlacedAt(WaitingFlowChara({}), col, 13);
  d.m_nImageIndex = static_cast<uint16_t>(nPicture);
  d.m_nSetting17 = static_cast<uint8_t>(nZ);
  d.m_nOffsetXBase = static_cast<int16_t>(nOffsetX);
  return d;
}

class ObjectLayers : public cFlowStageTest {
 protected:
  cStageDevice m_Dev{DrawModes()[0], true, true};
};

TEST_F(ObjectLayers, CharasDrawInTheLayerOfTheirZ) {
  ASSERT_TRUE(m_Dev.Ok());
  struct CASE {
    const char* pszWhat;
    uint32_t bLayers;
    int nFirstZ, nSecondZ;  // the orange chara is listed first, the purple one 14 pixels right of it
    uint32_t want;          // where both stand
  } cases[] = {
      {"Z 5 over Z 2, whatever the list order", 1, 5, 2, kOrange},
      {"Z 2 under Z 5", 1, 2, 5, kPurple},
      {"one layer: the later in the list over the earlier", 0, 5, 2, kPurple},
      {"a Z past 7 is never drawn", 1, 8, 2, kPurple},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    m_Stage.m_vecChara = {Standing(4, 14, c.nFirstZ), Standing(5, 14, c.nSecondZ, 14)};
    m_Stage.m_bEightLayers = c.bLayers;
    cSceneStage& s = Play();
    s.Update();
    // The drawn second chara's box; the first stands 14 pixels left of it.
    const RECT& rc = Chara(1).m_rcScreen;
    EXPECT_EQ(BackPixel(rc.left + 8, rc.top + 20), c.want);
    // The first chara's own left side shows only where it is drawn.
    EXPECT_EQ(BackPixel(rc.left - 6, rc.top + 28) == kOrange, c.nFirstZ < 8);
  }
}

TEST_F(ObjectLayers, APlayerBeyondTheLayersIsNotDrawnButStillMisses) {
  ASSERT_TRUE(m_Dev.Ok());
  m_Player.m_nSetting17 = 9;
  m_Player.m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {MakeHpCommand(0, 0, 0)})};
  cSceneStage& s = Play();
  const int nLives = g_Progress.m_nLives;
  s.Update();
  const RECT rc = FirstPlayer()->m_rcScreen;
  EXPECT_EQ(BackPixel(rc.left + 12, rc.top + 20), 0u) << "nothing where player 1 stands";
  for (int n = 0; n < 120 && s.m_nState == STAGESTATE_PLAY; ++n) s.Update();
  EXPECT_EQ(s.m_nState, STAGESTATE_BANNER);
  EXPECT_EQ(g_Progress.m_nLives, nLives - 1);
}

TEST_F(ObjectLayers, AWarpToTheScreenPinsTheCharaWhileTheViewScrolls) {
  ASSERT_TRUE(m_Dev.Ok());
  m_Stage = MakeSceneStage(60);
  m_Stage.m_nScrollKindX = 1;  // the view scrolls right by itself
  m_Stage.m_nAutoScrollX = 40;
  // The orange chara warps to screen cell (12, 6); the purple one stands.
  cEdCommand pin = MoveCommand(FlowCommandKind::Warp, 0, 0);
  pin.m_pMove->m_byTargetMode = 2;
  pin.m_pMove->m_byCoordKind = 2;
  pin.m_pMove->m_nCellX = 12;
  pin.m_pMove->m_nCellY = 6;
  cEdChara pinned = PlacedAt(WaitingFlowChara({pin}), 14, 6);
  pinned.m_nImageIndex = 4;
  pinned.m_nMoveType = 1;  // flies, so it stays where it is put
  m_Stage.m_vecChara = {pinned, Standing(5, 16, 3)};
  cSceneStage& s = Play();
  s.Update();
  const double dScroll = s.m_aScroll[SCROLL_X].dPos;
  const RECT at = Chara(0).m_rcScreen, other = Chara(1).m_rcScreen;
  EXPECT_EQ(BackPixel(at.left + 12, at.top + 28), kOrange);
  for (int n = 0; n < 30; ++n) s.Update();
  ASSERT_GT(s.m_aScroll[SCROLL_X].dPos, dScroll + 20);
  EXPECT_EQ(Chara(0).m_rcScreen.left, at.left);
  EXPECT_EQ(BackPixel(at.left + 12, at.top + 28), kOrange);
  EXPECT_LT(Chara(1).m_rcScreen.left, other.left - 20) << "an unpinned chara goes by with the stage";
}

TEST_F(ObjectLayers, ACharaShowsTheItemItCarriesAboveItThirtyTwoFramesInNinetySix) {
  ASSERT_TRUE(m_Dev.Ok());
  // Item 16 of the small item sheet is a grey square.
  cEdItem item = MakeItemDef({});
  item.m_nImageIndex = 16;
  m_Stage.m_vecItem = {item};
  cEdChara carrier = Standing(4, 14, 3);
  carrier.m_nPlacementValue = 1;  // holds item placement 0
  m_Stage.m_vecChara = {carrier};
  cSceneStage& s = Play();
  int nFirst = -1, nShown = 0;
  for (int n = 0; n < 192; ++n) {
    s.Update();
    const RECT& rc = Chara(0).m_rcScreen;
    // Over the picture's middle, 8 pixels above its top.
    if (BackPixel((rc.left + rc.right) / 2, rc.top - 8) == 0x808080u) {
      if (nFirst < 0) nFirst = n;
      ++nShown;
    }
  }
  EXPECT_EQ(nFirst, 64);
  EXPECT_EQ(nShown, 64);
}

}  // namespace
