#include "play/background_drawing.h"

#include <gtest/gtest.h>

#include <vector>

#include "play/picture_cell.h"
#include "play/play_links.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/play_fixture.h"

namespace {

// A picture whose pixel tells where it came from.
uint32_t Coded(int x, int y) { return static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | 0x40; }
std::vector<uint32_t> CodedPicture(int w, int h) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[y * w + x] = Coded(x, y);
  return px;
}

uint32_t Colour16() {
  DDFillRect(&g_BackBufferSD, 0, 0, 1, 1, 16);
  return BackPixel(0, 0);
}

cEdBackground Background(uint32_t nLayer, double dRateX, double dRateY) {
  cEdBackground b;
  b.SetDefaults();
  b.m_nLayer = nLayer;
  b.m_dRateX = dRateX;
  b.m_dRateY = dRateY;
  return b;
}

class BackgroundDrawing : public cPlayFixture {
 protected:
  void TearDown() override {
    cPlayFixture::TearDown();
    g_PlayLinks = PLAYLINKS();
    SetPictureSheetSource(nullptr);
  }
  void StartAt(double sx, double sy, const cEdStage& stage) {
    Start(stage);
    m_Ctx.m_aScroll[SCROLL_X].dPos = sx;
    m_Ctx.m_aScroll[SCROLL_Y].dPos = sy;
  }
};

}  // namespace

TEST_F(BackgroundDrawing, LayersTileFromTheirParallaxOffsets) {
  for (const auto& mode : DrawModes()) {
    SCOPED_TRACE(mode.szName);
    cDrawFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    const uint32_t c16 = Colour16();
    cEdStage stage = MakeBlockStage(40, 30, 5);

    // Nothing shown: colour 16 behind everything.
    stage.m_vecBackground.assign(1, Background(0, 0.5, 0.5));
    stage.m_vecBackground[0].m_bShown = 0;
    StartAt(420, 320, stage);
    DDFillSurface(&g_BackBufferSD, 3);
    DrawBackgrounds(&g_BackBufferSD, 0);
    EXPECT_EQ(BackPixel(0, 0), c16);
    EXPECT_EQ(BackPixel(639, 479), c16);

    // Rate 0.5 at scroll 420 starts 50 pixels in; rate 0.25 vertically at
    // scroll 480 starts 40 rows down.
    fx.LoadSurface(STAGESURFACE_BACKGROUND, "Back0.bmp", 100, 60, CodedPicture(100, 60), 0);
    stage.m_vecBackground.assign(2, Background(0, 0.5, 0.25));
    stage.m_vecBackground[1] = Background(1, 1.0, 0.0);
    StartAt(420, 480, stage);
    DrawBackgrounds(&g_BackBufferSD, 0);
    EXPECT_EQ(BackPixel(0, 0), Coded(50, 40));
    EXPECT_EQ(BackPixel(49, 19), Coded(99, 59));
    EXPECT_EQ(BackPixel(50, 20), Coded(0, 0));
    EXPECT_EQ(BackPixel(639, 479), Coded((50 + 639) % 100, (40 + 479) % 60));

    // The second layer, keyed, at rate 1: 100 pixels in, which is 0 again.
    std::vector<uint32_t> front = CodedPicture(100, 60);
    front[0] = t4gfx::kMagenta;
    fx.LoadSurface(STAGESURFACE_BACKGROUND + 1, "Back1.bmp", 100, 60, front, 1);
    DrawBackgrounds(&g_BackBufferSD, 1);
    EXPECT_EQ(BackPixel(0, 0), Coded(50, 40));  // the key shows layer 0
    EXPECT_EQ(BackPixel(1, 0), Coded(1, 0));

    // A fill switch covers the view with the fill colour.
    g_Stage.m_vecBackground[0].m_bFill = 1;
    g_Stage.m_vecBackground[0].m_nFillColour = 16;
    DrawBackgrounds(&g_BackBufferSD, 0);
    EXPECT_EQ(BackPixel(320, 240), c16);
    cPlayFixture::TearDown();
  }
}

TEST_F(BackgroundDrawing, AutomaticScrollRunsDownAndWraps) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  fx.LoadSurface(STAGESURFACE_BACKGROUND, "Back0.bmp", 100, 60, CodedPicture(100, 60), 0);
  cEdStage stage = MakeBlockStage(40, 30, 5);
  stage.m_vecBackground.assign(1, Background(0, 30.0, -25.0));
  stage.m_vecBackground[0].m_bAutoX = 1;
  stage.m_vecBackground[0].m_bAutoY = 1;
  StartAt(320, 320, stage);
  const double wantX[] = {70, 40, 10, 80};
  const double wantY[] = {25, 50, 15, 40};
  for (int i = 0; i < 4; ++i) {
    StepBackgroundScroll();
    EXPECT_DOUBLE_EQ(g_Stage.m_vecBackground[0].m_dOffsetX, wantX[i]);
    EXPECT_DOUBLE_EQ(g_Stage.m_vecBackground[0].m_dOffsetY, wantY[i]);
  }
  DrawBackgrounds(&g_BackBufferSD, 0);
  EXPECT_EQ(BackPixel(0, 0), Coded(80, 40));
}

TEST_F(BackgroundDrawing, BlockMapStartsAtTheScrolledCell) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  std::vector<uint32_t> sheet(64 * 480, 0x0000A0);
  for (int y = 32; y < 64; ++y)
    for (int x = 0; x < 32; ++x) sheet[y * 64 + x] = 0xC02020;  // block picture 1
  fx.LoadSurface(2, "Block.bmp", 64, 480, sheet);
  fx.LoadSurface(3, "Block.bmp", 64, 480, sheet);
  SelectSheetSet(false, false);
  InstallStageSheetSource();

  cEdStage stage = MakeBlockStage(60, 20, 5);
  PlaceBlock(stage, 21, 0, 1);  // padded column 31, row 10
  PlaceBlock(stage, 22, 0, 1);  // another draw layer
  PlaceBlock(stage, 23, 0, 1);  // hidden
  stage.m_vecBlock[1].m_nSettingA = 1;
  stage.m_vecBlock[2].m_nSettingB = 1;
  StartAt(1000, 320, stage);
  DDFillSurface(&g_BackBufferSD, 16);
  const uint32_t c16 = BackPixel(0, 0);
  DrawBlockMap(&g_BackBufferSD, 0);
  EXPECT_EQ(BackPixel(0, 0), 0xC02020u);
  EXPECT_EQ(BackPixel(23, 31), 0xC02020u);
  EXPECT_EQ(BackPixel(24, 0), c16);
  EXPECT_EQ(BackPixel(56, 0), c16);
  DrawBlockMap(&g_BackBufferSD, 1);
  EXPECT_EQ(BackPixel(24, 0), 0xC02020u);
  EXPECT_EQ(BackPixel(56, 0), c16);

  // Scrolled past every edge, nothing is read outside the map.
  m_Ctx.m_aScroll[SCROLL_X].dPos = -500;
  m_Ctx.m_aScroll[SCROLL_Y].dPos = 5000;
  DrawBlockMap(&g_BackBufferSD, 0);
}

TEST_F(BackgroundDrawing, TimeCounterDigitsAndWarningBeat) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  std::vector<uint32_t> word(320, 192);
  word.assign(320 * 192, t4gfx::kMagenta);
  for (int d = 0; d < 10; ++d)
    for (int y = 160; y < 192; ++y)
      for (int x = 32 * d + 1; x < 32 * d + 31; ++x) word[y * 320 + x] = 0x101010u * static_cast<uint32_t>(d + 1);
  fx.LoadSurface(STAGESURFACE_WORD, "Word.bmp", 320, 192, word);
  static std::vector<int> s_vSounds;
  static int s_nFrame;
  s_vSounds.clear();
  s_nFrame = 0;
  g_PlayLinks.pfnFrameIntervalTick = [](int nMode, int n) { return nMode == 2 && s_nFrame % n == 0; };
  g_PlayLinks.pfnPlaySound = [](int nIndex) { s_vSounds.push_back(nIndex); };

  cEdStage stage = MakeBlockStage(40, 20, 5);
  stage.m_nWarningTime = 3;
  stage.m_nFps = 60;
  StartAt(320, 320, stage);
  m_Ctx.m_Timer.nTime = 407;
  DDFillSurface(&g_BackBufferSD, 16);
  DrawTimeCounter(&g_BackBufferSD, 1);
  EXPECT_EQ(BackPixel(273, 24), 0x505050u);
  EXPECT_EQ(BackPixel(305, 30), 0x101010u);
  EXPECT_EQ(BackPixel(337, 55), 0x808080u);
  EXPECT_TRUE(s_vSounds.empty());

  // From 3 seconds down to 1: one warning a second in play, none in frozen
  // frames; 0 and a frozen counter stay silent.
  for (BOOL bPlay : {0, 1})
    for (int t : {3, 2, 1, 0}) {
      m_Ctx.m_Timer.nTime = t;
      for (s_nFrame = 0; s_nFrame < 60; ++s_nFrame) DrawTimeCounter(&g_BackBufferSD, bPlay);
    }
  EXPECT_EQ(s_vSounds, (std::vector<int>{13, 13, 13}));
  m_Ctx.m_Timer.nTime = 2;
  m_Ctx.m_Timer.bFrozen = 1;
  DDFillSurface(&g_BackBufferSD, 16);
  const uint32_t c16 = BackPixel(0, 0);
  s_nFrame = 0;
  DrawTimeCounter(&g_BackBufferSD, 1);
  EXPECT_EQ(BackPixel(273, 24), c16);
  EXPECT_EQ(s_vSounds.size(), 3u);
}

TEST_F(BackgroundDrawing, ViewLimitWindows) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  DDSURFACEDATA stage, work;
  struct Case {
    int r, nMode;
    int w, h;
    bool bCentreOpen, bCornerOpen;  // of the window's bounding square
  } cases[] = {
      {0, 1, 1280, 960, false, false},
      {40, 3, 1360, 1040, true, true},
      {40, 1, 1360, 1040, true, false},
      {5000, 2, 2560, 2240, true, false},  // a huge radius is held to the view
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.r * 10 + c.nMode);
    CreateStageSurface(&stage, &work, c.r, c.nMode);
    ASSERT_EQ(stage.nWidth, c.w);
    ASSERT_EQ(stage.nHeight, c.h);
    const uint32_t edge = PixelAt(&stage, 0, 0);
    const int cx = c.w / 2, cy = c.h / 2, r = std::min(c.r, 640);
    EXPECT_EQ(PixelAt(&stage, cx, cy) != edge, c.bCentreOpen);
    EXPECT_EQ(PixelAt(&stage, cx - r, cy - r) != edge, c.bCornerOpen);
    if (r > 0) {
      EXPECT_EQ(PixelAt(&stage, cx - r - 1, cy), edge);
    }
  }
  DDReleaseSurface(&stage);
  DDReleaseSurface(&work);
}

TEST_F(BackgroundDrawing, PicturesOnShowEndInTheMiddleOfTheWalk) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  Start(MakeBlockStage(40, 20, 5));
  PICTURESONSHOW pics;
  const DWORD blend[2] = {0, 0};
  // Three pictures on layer 0: the middle one's time is over first.
  const int32_t times[3] = {5, 0, 5};
  for (int i = 0; i < 3; ++i) {
    DDAddSurfaceToList(pics.lstSD, pics.lstInfo, 16, 16, 1, 0, 0, nullptr);
    DDFillSurface(&pics.lstSD.back(), 30 + i);
    pics.lstPic.emplace_back();
    SetPictureParams(pics.lstPic.back(), i, 10.0 + 20 * i, 10.0, 16, 16, PICTUREMODE_TIMED, times[i], 100, blend, 1, 0,
                     0);
    ++pics.nCount;
  }
  DrawScreenPictures(pics, &g_BackBufferSD, 1, 0);
  EXPECT_EQ(pics.nCount, 3);
  for (int f = 0; f < 3; ++f) DrawScreenPictures(pics, &g_BackBufferSD, 0, 0);
  EXPECT_EQ(pics.nCount, 2);
  EXPECT_EQ(pics.lstSD.size(), 2u);
  EXPECT_EQ(pics.lstInfo.size(), 2u);
  EXPECT_EQ(pics.lstPic.front().nNumber, 0);
  EXPECT_EQ(pics.lstPic.back().nNumber, 2);
  ClearStagePictures(pics);
  EXPECT_EQ(pics.nCount, 0);
  EXPECT_TRUE(pics.lstSD.empty());
}

TEST_F(BackgroundDrawing, AFrameWithEveryPictureMissingDrawsWhatExists) {
  cDrawFixture fx(DrawModes()[0]);
  ASSERT_TRUE(fx.Ok());
  cEdStage stage = MakeBlockStage(40, 20, 5);
  PlaceRow(stage, 0, 39, 5, 1);
  stage.m_vecBackground.assign(10, Background(0, 0.5, 0.5));  // more entries than surfaces
  StartAt(700, 400, stage);
  SelectSheetSet(true, false);
  InstallStageSheetSource();
  DDFillSurface(&g_BackBufferSD, 3);
  DrawBackgrounds(&g_BackBufferSD, 0);
  StepBackgroundScroll();
  DrawBlockMap(&g_BackBufferSD, 0);
  DrawTimeCounter(&g_BackBufferSD, 1);
  // Nothing could be drawn from a picture: layer 0 shows colour 16.
  EXPECT_EQ(BackPixel(100, 100), Colour16());
}
