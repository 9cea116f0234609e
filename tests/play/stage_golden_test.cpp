// A stage frame drawn on both drawing paths and held against golden
// pictures: two background layers at their own rates, the block map at
// scroll 1000, the time counter, the status bar with its five items and
// gauges, message texts; then three screen effects at a fixed step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "flow/flow_host.h"
#include "media/graphics/font.h"
#include "platform/glyph_source.h"
#include "platform/screenshot.h"
#include "platform/text_cp932.h"
#include "play/background_drawing.h"
#include "play/message_text.h"
#include "play/picture_cell.h"
#include "play/screen_effects.h"
#include "play/status_bar.h"
#include "records/system.h"
#include "tests/flow/fake_flow_host.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/play_fixture.h"
#include "tests/support/stage_pictures.h"

namespace {

class StageGolden : public cPlayFixture {
 protected:
  void SetUp() override {
    m_lpGlyphs = CreateFakeGlyphSource();
    SetGlyphSourceForTests(m_lpGlyphs.get());
    m_Vars.m_vVar.assign(255, 0);
    m_Vars.m_vVar[1] = 7;
    g_FlowContext.m_lpStage = &m_Vars;
  }
  void TearDown() override {
    ClearStageTexts();
    for (cFont& f : g_Fonts) f.ReleaseFonts();
    DDReleaseSurface(&m_Box);
    SetGlyphSourceForTests(nullptr);
    g_FlowContext.m_lpStage = nullptr;
    SetPictureSheetSource(nullptr);
    g_System.m_vecStatusItem.assign(5, cEdSystemElemB());
    cPlayFixture::TearDown();
  }

  void Load(cDrawFixture& fx) {
    fx.LoadSurface(STAGESURFACE_BACKGROUND, "Sky.bmp", 200, 160, StageSkyPixels(), 0);
    fx.LoadSurface(STAGESURFACE_BACKGROUND + 1, "Hills.bmp", 160, 480, StageHillsPixels());
    fx.LoadSurface(2, "Block.bmp", 64, 480, StageBlockSheetPixels());
    fx.LoadSurface(3, "Block.bmp", 64, 480, StageBlockSheetPixels());
    fx.LoadSurface(STAGESURFACE_ACCESSORY, "Accessory.bmp", 128, 176, StageAccessoryPixels());
    fx.LoadSurface(STAGESURFACE_WORD, "Word.bmp", 320, 192, StageWordPixels());
    fx.LoadSurface(STAGESURFACE_STATUSWINDOW, "StatusWindow.bmp", 640, 20, StageStatusWindowPixels(), 0);
    fx.MakeSurface(STAGESURFACE_WORK, 640, 480);
    fx.MakeSurface(STAGESURFACE_WORK2, 640, 480);
    SelectSheetSet(false, false);
    InstallStageSheetSource();
    DDCreateSurface(&m_Box, 200, 100, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
    DDFillSurface(&m_Box, 60);
    const std::string face = Sjis("ＭＳ ゴシック");
    g_Fonts[0].Init(face.c_str(), 0, 10, 10, 10, 241, &m_Box, 1, 240, nullptr, 0);
    g_Fonts[1].Init(face.c_str(), 0, 16, 16, 16, 241, &m_Box, 1, 240, nullptr, 0);
  }

  cEdStage Stage() {
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
    stage.m_nWarningTime = 0;
    return stage;
  }

  void StatusItems() {
    g_System.m_vecStatusItem.assign(5, cEdSystemElemB());
    const char* labels[5] = {"SC", "", "HP", "", "x"};
    for (int i = 0; i < 5; ++i) {
      cEdSystemElemB& it = g_System.m_vecStatusItem[static_cast<size_t>(i)];
      it.m_bShown = 1;
      it.m_strLabel = labels[i];
      it.m_bIcon = labels[i][0] == 0;
      it.m_nDigits = 5;
      it.m_bShowNumber = i == 2;
      it.m_nLowMark = 10;
    }
  }

  void DrawFrame() {
    DrawBackgrounds(&g_BackBufferSD, 0);
    DrawBlockMap(&g_BackBufferSD, 0);
    DrawBackgrounds(&g_BackBufferSD, 1);
    for (TEXTOBJ& t : g_lstText) t.TextObjectDraw(&g_BackBufferSD, 1, 0);
    BOOL bWarn = 0;
    DrawTimeCounter(&g_BackBufferSD, bWarn);
    STATUSBARVALUES v;
    v.nCounter0 = 1200;
    v.nCounter1 = 3;
    v.nHp = 35;
    v.nMaxHp = 50;
    v.nSp = 4;
    v.nMaxSp = 50;
    v.nCounter4 = STATUS_UNLIMITED;
    DrawStatusBar(&g_BackBufferSD, v, true);
  }

  void AddTexts() {
    TEXTSETUP s;
    s.strText = Sjis("HIT #S1_Z3.\n残り");
    s.bSubstitute = 1;
    s.bRect = 1;
    s.bNoPopIn = 1;
    s.nOffsetY = -60;
    g_lstText.emplace_back();
    g_lstText.back().TextObjectSetup(s, 0);
    TEXTSETUP icon;
    icon.nKind = TEXTKIND_ICON;
    icon.nPosMode = 7;
    icon.nCellX = 15;
    icon.nCellY = 10;
    icon.nLife = 30;
    g_lstText.emplace_back();
    g_lstText.back().TextObjectSetup(icon, 0);
  }

  std::unique_ptr<cGlyphSource> m_lpGlyphs;
  cFakeStage m_Vars;
  DDSURFACEDATA m_Box;
};

}  // namespace

TEST_F(StageGolden, StageFrameOnBothPaths) {
  for (const auto& mode : DrawModes()) {
    SCOPED_TRACE(mode.szName);
    cDrawFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    Load(fx);
    StatusItems();
    Start(Stage());
    m_Ctx.m_aScroll[SCROLL_X].dPos = 1000;
    m_Ctx.m_aScroll[SCROLL_Y].dPos = 330;
    m_Ctx.m_Timer.nTime = 125;
    AddTexts();
    DrawFrame();
    ExpectGolden(std::string("stage_") + mode.szName);
    ClearStageTexts();
    for (cFont& f : g_Fonts) f.ReleaseFonts();
    DDReleaseSurface(&m_Box);
    cPlayFixture::TearDown();
  }
}

TEST_F(StageGolden, ScreenEffectsAtAFixedStep) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  Load(fx);
  StatusItems();
  Start(Stage());
  m_Ctx.m_aScroll[SCROLL_X].dPos = 1000;
  m_Ctx.m_aScroll[SCROLL_Y].dPos = 330;
  m_Ctx.m_Timer.nTime = 125;
  cGameObj player;
  player.m_rcScreen = {400, 300, 432, 348};
  struct {
    const char* name;
    int nKind;
    double t;
    double s;
    int a, b;
  } cases[] = {
      {"effect_move", 1, 10, 0, 40, -20},
      {"effect_shake", 2, 10, 5.5, 0, 0},
      {"effect_zoom", 11, 1000, 0, 0, 0},
  };
  cEdScrEffect rec;
  rec.anParam[0] = 50;
  rec.anParam[1] = 320;
  rec.anParam[2] = 1280;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DrawFrame();
    rec.nKind = c.nKind;
    SCREENEFFECT e;
    ClearScreenEffect(e);
    e.run.nEffect = 1;
    e.run.lpRecord = &rec;
    e.run.dCurrent = c.t;
    e.s = c.s;
    e.a = c.a;
    e.b = c.b;
    RunScreenEffect(e, &g_BackBufferSD, 1, &player);
    ExpectGolden(c.name);
  }
}
