// A stage's own background pictures: which picture each slot takes, and the
// slots loaded into a started device's fixed surfaces and drawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/report.h"
#include "platform/text_cp932.h"
#include "play/background_drawing.h"
#include "play/stage_graphics.h"
#include "play/stage_scene.h"
#include "records/stage.h"
#include "records/start_tables.h"
#include "shell/startup.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/stage_device.h"

namespace {

constexpr uint32_t kOwnColour = 0xC02020;

std::string DefaultName(int nSlot) { return g_vecSystemBitmap.CheckedAt(STAGESURFACE_BACKGROUND + nSlot).szFileName; }

cEdBackground Layer(const char* pszFile, uint32_t bFill = 0) {
  cEdBackground b;
  b.SetDefaults();
  b.m_bShown = 1;
  b.m_bFill = bFill;
  b.m_strFile = pszFile;
  return b;
}

// Layer 0 names its own picture, 1 an empty name, 2 a missing file, 3 is a
// plain fill that still holds a name, 4 a picture wider than the screen.
cEdStage BackgroundStage() {
  cEdStage stage;
  stage.m_vecBackground = {Layer("bmp\\Own.bmp"), Layer(""), Layer("bmp\\None.bmp"), Layer("bmp\\Own.bmp", 1),
                           Layer("bmp\\Wide.bmp")};
  return stage;
}

class StageBackgrounds : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_Dev.Ok());
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    m_Dev.Folder().WriteFile("bmp/Own.bmp", MakeBmpRgb(24, 64, 48, std::vector<uint32_t>(64 * 48, kOwnColour)));
    m_Dev.Folder().WriteFile("bmp/Wide.bmp", MakeBmpRgb(24, 700, 8, std::vector<uint32_t>(700 * 8, 0x2020C0)));
    // The device's table, found through the first background, which the
    // device loads from its sky picture.
    ASSERT_NE(StageSurface(STAGESURFACE_BACKGROUND), nullptr);
    m_lpTable = StageSurface(STAGESURFACE_BACKGROUND) - STAGESURFACE_BACKGROUND;
  }
  DDSURFACEDATA& Slot(int nSlot) { return m_lpTable[STAGESURFACE_BACKGROUND + nSlot]; }
  void TearDown() override { g_Stage = cEdStage(); }

  cStageDevice m_Dev{DrawModes()[0]};
  DDSURFACEDATA* m_lpTable = nullptr;
};

TEST_F(StageBackgrounds, EachSlotTakesTheLayersOwnPictureOrTheDefault) {
  const STAGEBACKGROUNDS r = ChooseBackgroundPictures(BackgroundStage());
  struct {
    int nSlot;
    std::string strFile;
    BOOL bTooBig;
  } const aCase[] = {
      {0, "bmp\\Own.bmp", 0},   {1, DefaultName(1), 0}, {2, "bmp\\None.bmp", 0},
      {3, DefaultName(3), 0},   {4, "bmp\\Wide.bmp", 1}, {5, DefaultName(5), 0},
      {7, DefaultName(7), 0},
  };
  for (const auto& c : aCase) {
    SCOPED_TRACE(c.nSlot);
    EXPECT_EQ(r.aszFile[c.nSlot], c.strFile);
    EXPECT_EQ(r.abTooBig[c.nSlot], c.bTooBig);
  }
}

TEST_F(StageBackgrounds, TheStagesOwnPictureIsLoadedAndDrawnAndAMissingOneKeepsTheDefault) {
  g_Stage = BackgroundStage();
  const int nDefaultWidth1 = Slot(1).nWidth;
  const int nDefaultWidth2 = Slot(2).nWidth;
  const STAGEBACKGROUNDS r = ChooseBackgroundPictures(g_Stage);
  LoadBackgroundSurfaces(m_lpTable, g_DDDisplay.lpInfoTable, r.aszFile);

  EXPECT_EQ(Slot(0).nWidth, 64);
  EXPECT_EQ(Slot(0).nHeight, 48);
  EXPECT_EQ(g_DDDisplay.lpInfoTable[STAGESURFACE_BACKGROUND].szFileName, "bmp\\Own.bmp");
  // An empty name and a missing file both leave the default picture in place.
  EXPECT_EQ(Slot(1).nWidth, nDefaultWidth1);
  EXPECT_EQ(Slot(2).nWidth, nDefaultWidth2);
  EXPECT_EQ(g_DDDisplay.lpInfoTable[STAGESURFACE_BACKGROUND + 2].szFileName, DefaultName(2));
  const std::string report = m_Dev.Folder().ReadFile("Report_Game.txt");
  EXPECT_NE(report.find("bmp\\None.bmp の読み込みに失敗！"), std::string::npos) << report;
  EXPECT_EQ(report.find("Own.bmp"), std::string::npos) << report;

  // Layer 0 alone on show tiles the stage's own picture over the view.
  for (size_t i = 1; i < g_Stage.m_vecBackground.size(); ++i) g_Stage.m_vecBackground[i].m_bShown = 0;
  DrawBackgrounds(&g_BackBufferSD, 0);
  EXPECT_EQ(BackPixel(0, 0), kOwnColour);
  EXPECT_EQ(BackPixel(639, 479), kOwnColour);

  // A later stage without a layer of its own gets the default back.
  const STAGEBACKGROUNDS d = ChooseBackgroundPictures(cEdStage());
  LoadBackgroundSurfaces(m_lpTable, g_DDDisplay.lpInfoTable, d.aszFile);
  EXPECT_EQ(g_DDDisplay.lpInfoTable[STAGESURFACE_BACKGROUND].szFileName, DefaultName(0));
  EXPECT_EQ(Slot(0).nWidth, 200);  // the device's sky
}

}  // namespace
