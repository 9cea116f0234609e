// Golden frames of one stage made by the project builder and played by the
// stage scene: its own frame drawing on both drawing paths shows two
// background layers at their own rates, the block map at scroll 1000,
// charas in both facings with their gauges and icons, the status bar with
// its five items and gauges, the time counter, message texts and the bottom
// line; then three screen effects held at a fixed step. Beside them, the
// frame's end (colour ramps, a tint over the status display), the pause
// menu that hides the stage, and player 1's view limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "media/graphics/colour_ramps.h"
#include "media/graphics/font.h"
#include "platform/text_cp932.h"
#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_graphics.h"
#include "play/stage_scene.h"
#include "play/status_bar.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/stage_device.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"

namespace {

cEdChara Placed(uint16_t nPicture, uint8_t nType, int col, int row) {
  cEdChara c = PlacedAt(MakeCharaDef(nType, 10), col, row);
  c.m_nImageIndex = nPicture;
  c.m_nMaxSp = 10;
  return c;
}

// 60 x 20 cells: a floor along row 12 with a ledge and a step on it, the
// sky behind at half the scroll, hills at three quarters, two minutes on
// the clock; the hero, a walker and two shooters on the floor and the ledge.
cEdStage GoldenStage() {
  cEdStage stage = MakeBlockStage(60, 20, 5);
  PlaceRow(stage, 20, 45, 12, 1);
  PlaceRow(stage, 24, 28, 8, 1);
  PlaceBlock(stage, 35, 6, 1);
  for (size_t i = 0; i < stage.m_vecBlock.size(); ++i)
    stage.m_vecBlock[i].m_nImageIndex = static_cast<uint16_t>(1 + i % 20);
  cEdBackground sky, hills;
  sky.SetDefaults();
  sky.m_dRateX = 0.5;
  sky.m_dRateY = 0.5;
  hills.SetDefaults();
  hills.m_dRateX = 0.75;
  hills.m_dRateY = 0.0;
  stage.m_vecBackground = {sky, hills};
  stage.m_bShowStatusBar = 1;
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = 125;
  stage.m_nWarningTime = 0;
  stage.m_bStageNoBanner = 0;
  stage.m_bStartBanner = 0;
  stage.m_vecChara = {Placed(1, 0, 29, 11), Placed(2, 1, 33, 11), Placed(3, 1, 37, 11), Placed(3, 1, 26, 7)};
  return stage;
}

void GoldenStatusItems() {
  g_System.m_vecStatusItem.assign(5, cEdSystemElemB());
  const char* labels[5] = {"SC", "", "HP", "", "x"};
  for (int i = 0; i < 5; ++i) {
    cEdSystemElemB& it = g_System.m_vecStatusItem[static_cast<size_t>(i)];
    it.m_bShown = 1;
    it.m_strLabel = labels[i];
    it.m_bIcon = labels[i][0] == 0;
    it.m_nDigits = 5;
    it.m_bShowNumber = i == 2;
    it.m_bLowMarkPercent = 1;
    it.m_nLowMark = 30;
  }
}

class StageGolden : public ::testing::Test {
 protected:
  void SetUp() override {
    g_System = cEdSystem();
    g_Progress = cEdProgress();
    g_Progress.m_nLivesStart = STATUS_UNLIMITED;
    GoldenStatusItems();
    g_System.m_vecText.resize(27);
    g_System.m_vecText[26] = Sjis("ファイルから起動中");
    g_StageLinks.pfnDrawText = [](int x, int y, const std::string& text) {
      g_Fonts[1].DrawText(&g_BackBufferSD, x, y, text.c_str(), 0);
    };
  }
  void TearDown() override {
    m_lpScene.reset();
    ClearStageTexts();
    g_StageLinks = STAGELINKS{};
    g_System = cEdSystem();
  }

  // The scene started on the golden stage from a stage file (free play),
  // brought to play, then posed: scroll (1000, 330), the enemies facing
  // both ways with icons, gauges that show losses, a score, and two texts.
  cSceneStage& Pose(uint8_t nViewMode = 0) {
    g_Stage = GoldenStage();
    g_Stage.m_vecChara[0].m_nSetting37 = nViewMode;
    g_Stage.m_vecChara[0].m_nViewLimitHalfCells = 5;
    g_Stage.m_vecChara[0].m_vecFlow = m_vPlayerFlows;
    g_StageCopy = g_Stage;
    m_lpScene = std::make_unique<cSceneStage>(STAGESTART{0, 3, 2, 1, 0, 0});
    cSceneStage& s = *m_lpScene;
    for (int n = 0; n < 10 && s.m_nState != STAGESTATE_PLAY; ++n) s.Update();
    EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
    s.m_aScroll[SCROLL_X].dPos = 1000;
    s.m_aScroll[SCROLL_Y].dPos = 330;
    g_Progress.m_nScore = 1200;
    g_Progress.m_nValue17 = 3;  // the stage's own count
    cPlayer* p = FirstPlayer();
    EXPECT_NE(p, nullptr);
    if (p) {
      p->m_nDir = 1;
      p->CharaChangeLife(-3, 1, 1);
      p->CharaChangeSp(-8, 1);
      p->m_nMark = 17;
    }
    // The walker faces left; the shooters left on the floor, right on the
    // ledge.
    const int anDir[3] = {0, 0, 1};
    int k = 0;
    for (auto& c : g_lstChara) {
      c->m_nDir = anDir[k % 3];
      c->m_nMark = static_cast<int16_t>(16 + k % 2);
      c->CharaChangeLife(-(k + 1) * 2, 1, 1);
      ++k;
    }
    TEXTSETUP msg;
    msg.strText = Sjis("HIT #S1_Z3.\n残り");
    msg.bSubstitute = 1;
    msg.bRect = 1;
    msg.bNoPopIn = 1;
    msg.nOffsetY = -60;
    s.m_vStageVar.CheckedAt(1) = 7;
    g_lstText.emplace_back();
    g_lstText.back().TextObjectSetup(msg, 0);
    TEXTSETUP icon;
    icon.nKind = TEXTKIND_ICON;
    icon.nPosMode = 7;
    icon.nCellX = 15;
    icon.nCellY = 10;
    icon.nLife = 30;
    g_lstText.emplace_back();
    g_lstText.back().TextObjectSetup(icon, 0);
    return s;
  }

  std::unique_ptr<cSceneStage> m_lpScene;
  cVector<cEdFlow> m_vPlayerFlows;  // player 1's, none unless a test gives some
};

}  // namespace

TEST_F(StageGolden, PlayFrameOnBothPaths) {
  for (const auto& mode : DrawModes()) {
    SCOPED_TRACE(mode.szName);
    cStageDevice dev(mode);
    ASSERT_TRUE(dev.Ok());
    cSceneStage& s = Pose();
    s.DrawStageFrame(1, 0, 1, 1);
    ExpectGolden(std::string("stage_") + mode.szName);
    m_lpScene.reset();
    ClearStageTexts();
  }
}

TEST_F(StageGolden, ScreenEffectsAtAFixedStep) {
  cStageDevice dev(DrawModes()[1]);
  ASSERT_TRUE(dev.Ok());
  cSceneStage& s = Pose();
  struct {
    const char* name;
    int nKind;
    int anParam[5];
    double t;
    int a, b;
  } cases[] = {
      {"effect_move", 1, {50, 0, 0, 100, -40}, 20, 40, -16},
      {"effect_wave", 6, {60, 0, 30, 4, 2}, 12, 45, 0},
      {"effect_circle", 10, {60, 400, 0, 1, 0}, 150, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cEdScrEffect rec;
    rec.nKind = c.nKind;
    for (int i = 0; i < 5; ++i) rec.anParam[i] = c.anParam[i];
    ClearScreenEffect(s.m_ScreenEffect);
    s.m_ScreenEffect.run.nEffect = 1;
    s.m_ScreenEffect.run.lpRecord = &rec;
    s.m_ScreenEffect.run.dCurrent = c.t;
    s.m_ScreenEffect.a = c.a;
    s.m_ScreenEffect.b = c.b;
    // The frozen form: the effect is drawn at its step and not advanced.
    s.DrawStageFrame(0, 1, 0, 1);
    ExpectGolden(c.name);
    EXPECT_EQ(s.m_ScreenEffect.run.dCurrent, c.t);
    ClearScreenEffect(s.m_ScreenEffect);
  }
}

TEST_F(StageGolden, TheFrameEndsWithTheColourRampsAndATintOverTheStatusDisplay) {
  cStageDevice dev(DrawModes()[1]);
  ASSERT_TRUE(dev.Ok());
  cSceneStage& s = Pose();
  g_System.m_nColourRampValue = 16;
  g_ColourRamps = COLOURRAMPS();
  s.DrawStageFrame(1, 0, 1, 1);
  EXPECT_EQ(g_ColourRamps.anValue[0], 16);
  const uint32_t bar = BackPixel(320, 10), line = BackPixel(200, 19);
  EXPECT_NE(bar, 0u);
  EXPECT_NE(line, 0u);
  // A full tint towards black at once: the bar darkens with the picture.
  const int32_t q[8] = {0, 0, 0, 100, 0, 0, 0, 0};
  SetScreenColor(s.m_ScreenColour, q);
  s.DrawStageFrame(1, 0, 1, 1);
  EXPECT_EQ(BackPixel(320, 10), 0u);
  EXPECT_EQ(BackPixel(200, 19), 0u);
  EXPECT_EQ(BackPixel(320, 240), 0u);
  // One step of the ramps a frame, frozen frames included.
  EXPECT_EQ(g_ColourRamps.anValue[0], 32);
  s.DrawStageFrame(0, 1, 0, 1);
  EXPECT_EQ(g_ColourRamps.anValue[0], 48);
  g_ColourRamps = COLOURRAMPS();
}

TEST_F(StageGolden, APauseMenuThatHidesTheStageLeavesTheBackgroundsAndTheTint) {
  cStageDevice dev(DrawModes()[0]);
  ASSERT_TRUE(dev.Ok());
  cSceneStage& s = Pose();
  g_Stage.m_vecBackground[1].m_nLayer = 1;  // the hills in front
  s.DrawStageFrame(1, 0, 1, 1);
  const uint32_t block = BackPixel(300, 390), bar = BackPixel(320, 10), hills = BackPixel(20, 470);
  g_System.m_bHideWhilePaused = 1;
  s.m_nState = STAGESTATE_PAUSEMENU;
  s.DrawStageFrame(0, 1, 0, 1);
  EXPECT_NE(BackPixel(300, 390), block);
  EXPECT_NE(BackPixel(320, 10), bar);
  EXPECT_EQ(BackPixel(20, 470), hills);
  // The play frame's own call never hides it.
  s.DrawStageFrame(1, 0, 1, 1);
  EXPECT_EQ(BackPixel(300, 390), block);
  EXPECT_EQ(BackPixel(320, 10), bar);
  s.m_nState = STAGESTATE_PLAY;
}

TEST_F(StageGolden, PlayerOnesViewLimitHidesAllButItsWindow) {
  struct {
    uint8_t nMode;
    bool bLimited;
    uint32_t nColourMode;  // 1: a full-colour project keys its own transparent colour, here green
  } cases[] = {{0, false, 0}, {3, true, 0}, {1, true, 0}, {1, true, 1}};
  for (const auto& mode : DrawModes()) {
    cStageDevice dev(mode);
    ASSERT_TRUE(dev.Ok());
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << mode.szName << " view mode " << int{c.nMode} << " colour mode "
                                      << c.nColourMode);
      g_System.m_nColourMode = c.nColourMode;
      g_System.m_byTransG = 255;
      if (c.nColourMode) DDSetTransmitRGB(0, 255, 0);
      // The hero stands at (248, 342): 80 pixels round it show the stage as
      // it is without the limit.
      const int ax[2] = {264, 264 + 60};
      uint32_t want[2];
      Pose(0).DrawStageFrame(1, 0, 1, 1);
      for (int i = 0; i < 2; ++i) want[i] = BackPixel(ax[i], 358);
      m_lpScene.reset();
      ClearStageTexts();
      Pose(c.nMode).DrawStageFrame(1, 0, 1, 1);
      for (int i = 0; i < 2; ++i) EXPECT_EQ(BackPixel(ax[i], 358), want[i]);
      const uint32_t black = 0;
      EXPECT_EQ(BackPixel(600, 400) == black, c.bLimited);
      EXPECT_EQ(BackPixel(60, 300) == black, c.bLimited);
      // A round window leaves its corners dark, a square one does not.
      EXPECT_EQ(BackPixel(264 + 70, 358 - 70) == black, c.nMode == 1);
      m_lpScene.reset();
      ClearStageTexts();
    }
  }
}

TEST_F(StageGolden, SightSetByAStatementNarrowsTheViewLimitWindow) {
  cStageDevice dev(DrawModes()[1]);
  ASSERT_TRUE(dev.Ok());
  // Player 1 sees 5 half cells (80 pixels) round itself until its flow's
  // statement sets 2 (32 pixels).
  cEdCommand code = MakeFlowCommand(FlowCommandKind::RunCode);
  code.m_strText = "sight = 2";
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  flow.m_vecCommand = {MakeFlowCommand(FlowCommandKind::Wait, 1), code, MakeFlowCommand(FlowCommandKind::Wait, 100)};
  m_vPlayerFlows = {flow};
  cSceneStage& s = Pose(3);
  // Pixels 60 and 20 to the right of the hero's centre.
  auto Seen = [](int dx) {
    const RECT& rc = FirstPlayer()->m_rcScreen;
    return BackPixel((rc.left + rc.right) / 2 + dx, (rc.top + rc.bottom) / 2) != 0u;
  };
  s.DrawStageFrame(1, 0, 1, 1);
  EXPECT_TRUE(Seen(60));
  for (int n = 0; n < 10; ++n) s.Update();
  EXPECT_EQ(FirstPlayer()->m_nViewLimitPixels, 32);
  EXPECT_FALSE(Seen(60));
  EXPECT_TRUE(Seen(20));
}

// The clear banner comes together from strips of 4 rows shifted apart by
// 100 - counter (4 a frame), then stays drawn plainly until the result
// closes.
TEST_F(StageGolden, TheClearBannerComesTogetherFromItsStripsAndStays) {
  cStageDevice dev(DrawModes()[0]);
  ASSERT_TRUE(dev.Ok());
  cSceneStage& s = Pose();
  g_Stage.m_bClearBanner = 1;
  s.m_nStageEnd = 1;
  for (int n = 0; n < 5 && s.m_nState != STAGESTATE_RESULT; ++n) s.Update();
  ASSERT_EQ(s.m_nState, STAGESTATE_RESULT);
  // The banner piece: upright stripes, so that a shifted strip shows.
  DDSURFACEDATA* lpWord = StageSurface(51);
  ASSERT_NE(lpWord, nullptr);
  for (int x = 0; x < 128; x += 8) DDFillRect(lpWord, x, 64, 4, 32, 200 + (x / 8) % 8);
  // Rows of the banner that match the word piece at (0, 64), drawn at
  // (256, 192); keyed pixels of the piece are passed over.
  auto MatchingRows = [&] {
    int nRows = 0;
    for (int y = 0; y < 32; ++y) {
      bool bSame = true;
      for (int x = 0; x < 128 && bSame; ++x) {
        const uint32_t w = PixelAt(lpWord, x, 64 + y);
        if (w != (kStageKey & 0xFFFFFF)) bSame = BackPixel(256 + x, 192 + y) == w;
      }
      nRows += bSame;
    }
    return nRows;
  };
  int nEarly = -1;
  for (int n = 0; n < 30; ++n) {
    s.Update();
    if (s.m_anBanner[0] == 52) nEarly = MatchingRows();
  }
  ASSERT_GE(s.m_anBanner[0], 100);
  EXPECT_LT(nEarly, 32) << "strips shifted apart while it comes together";
  EXPECT_EQ(MatchingRows(), 32) << "drawn whole once together";
  s.Update();
  EXPECT_EQ(MatchingRows(), 32) << "and it stays";
  s.m_nState = STAGESTATE_PLAY;
}
