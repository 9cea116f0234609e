// Picture commands of a real chara in a running stage on a started device:
// the picture file named by the picture record is loaded, scaled and placed
// in the scene's picture list, a numbered picture is replaced in its place
// and taken down by number, and picture 0 takes every picture down.
#include <gtest/gtest.h>

#include <vector>

#include "records/database.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/flow_stage_fixture.h"
#include "tests/support/bmp_writer.h"

namespace {

cEdCommand PictureCommand(int nPicture, int nScale, int nNumber = 0) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::ShowPicture);
  c.m_vParam[0] = nPicture;
  c.m_vParam[1] = 0;  // the screen's centre
  c.m_vParam[6] = 100;
  c.m_vParam[7] = nScale;
  c.m_vParam[8] = 1;  // until the stage ends
  c.m_vParam[12] = nNumber != 0;
  c.m_vParam[13] = nNumber;
  return c;
}

class FlowPictureStage : public cFlowStageTest {
 protected:
  void TearDown() override {
    cFlowStageTest::TearDown();
    g_Database = cEdDatabase();
  }
};

TEST_F(FlowPictureStage, PicturesAreScaledPlacedReplacedByNumberAndTakenDown) {
  cDrawFixture fx(DrawModes()[0]);
  ASSERT_TRUE(fx.Ok());
  fx.Folder().WriteFile("bmp/pic.bmp", MakeBmpRgb(24, 101, 51, std::vector<uint32_t>(101 * 51, 0x204080)));
  fx.Folder().WriteFile("bmp/small.bmp", MakeBmpRgb(24, 20, 10, std::vector<uint32_t>(20 * 10, 0x802040)));
  g_Database = cEdDatabase();
  g_Database.m_vecPicture.resize(3);
  g_Database.m_vecPicture[1].strFile = "bmp\\pic.bmp";
  g_Database.m_vecPicture[2].strFile = "bmp\\small.bmp";
  cEdChara e = FlowChara({});
  e.m_vecFlow = {MakeFlowOf(FlowTrigger::Always,
                            {PictureCommand(1, 50, 2), PictureCommand(2, 100, 5), PictureCommand(2, 200, 2),
                             PictureCommand(0, 100, 2), PictureCommand(1, 100), PictureCommand(0, 100),
                             MakeFlowCommand(FlowCommandKind::Wait, 1000)})};
  m_Stage.m_vecChara.push_back(PlacedAt(e, 13, 6));
  cSceneStage& s = Play();
  auto Shown = [&s] {
    std::vector<std::vector<int>> v;
    for (const SCREENPICTURE& p : s.m_Pictures.lstPic) v.push_back({p.nNumber, p.nWidth, p.nHeight});
    return v;
  };
  // 50 % of 101 x 51 is 51 x 26 (halves away from zero), at the centre.
  s.Update();
  ASSERT_EQ(Shown(), (std::vector<std::vector<int>>{{2, 51, 26}}));
  EXPECT_EQ(s.m_Pictures.lstPic.front().dX, s.m_aScroll[0].dPos + 320 - 25);
  EXPECT_EQ(s.m_Pictures.lstPic.front().dY, s.m_aScroll[1].dPos + 240 - 13);
  s.Update();
  EXPECT_EQ(Shown(), (std::vector<std::vector<int>>{{2, 51, 26}, {5, 20, 10}}));
  // Number 2 again: the new picture takes the old one's place.
  s.Update();
  EXPECT_EQ(Shown(), (std::vector<std::vector<int>>{{2, 40, 20}, {5, 20, 10}}));
  // Picture 0 with number 2 takes only that one down.
  s.Update();
  EXPECT_EQ(Shown(), (std::vector<std::vector<int>>{{5, 20, 10}}));
  s.Update();
  EXPECT_EQ(Shown().size(), 2u);
  // Picture 0 unnumbered takes every picture down.
  s.Update();
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(s.m_Pictures.lstSD.size(), 0u);
  EXPECT_EQ(s.m_Pictures.nCount, 0);
}

}  // namespace

namespace {

TEST_F(FlowPictureStage, AStoppingPictureShownUntilTheStageEndsIsTakenDownWhenItsWaitEnds) {
  // The stage's first wait, whose frame count is spent: the frozen frames
  // end at once and the picture goes with them; then a timed one freezes
  // play for its 12 frames and goes too.
  cDrawFixture fx(DrawModes()[0]);
  ASSERT_TRUE(fx.Ok());
  fx.Folder().WriteFile("bmp/pic.bmp", MakeBmpRgb(24, 20, 10, std::vector<uint32_t>(20 * 10, 0x204080)));
  g_Database = cEdDatabase();
  g_Database.m_vecPicture.resize(2);
  g_Database.m_vecPicture[1].strFile = "bmp\\pic.bmp";
  cEdCommand toTheEnd = PictureCommand(1, 100);
  toTheEnd.m_vParam[10] = 1;
  cEdCommand timed = toTheEnd;
  timed.m_vParam[8] = 2;
  timed.m_vParam[9] = 2;
  m_Stage.m_vecChara.push_back(PlacedAt(WaitingFlowChara({toTheEnd, timed}), 13, 6));
  cSceneStage& s = Play();
  static int s_nPresented = 0;
  s_nPresented = 0;
  g_StageLinks.pfnFrozenFrameStart = [](PLAYERKEYS& keys) -> BOOL {
    keys = PLAYERKEYS{};
    return TRUE;
  };
  g_StageLinks.pfnPresent = [] { ++s_nPresented; };
  const uint32_t nFrame = s.m_nPlayFrame;
  s.Update();
  EXPECT_EQ(s_nPresented, 0);
  EXPECT_TRUE(s.m_Pictures.lstPic.empty());
  s.Update();
  EXPECT_EQ(s_nPresented, 12);
  EXPECT_TRUE(s.m_Pictures.lstPic.empty());
  EXPECT_EQ(s.m_Pictures.lstSD.size(), 0u);
  EXPECT_EQ(s.m_nPlayFrame, nFrame + 2);
}

}  // namespace
