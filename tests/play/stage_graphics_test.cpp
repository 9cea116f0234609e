#include "play/stage_graphics.h"

#include <gtest/gtest.h>


#include "base/report.h"
#include "play/picture_cell.h"
#include "records/database.h"
#include "tests/play/draw_fixture.h"

namespace {

std::vector<uint32_t> Solid(int w, int h, uint32_t c) { return std::vector<uint32_t>(static_cast<size_t>(w) * h, c); }

}  // namespace

TEST(StageGraphics, ShotPiecesSpreadIntoTheMiddleOfTheirCells) {
  for (const auto& mode : DrawModes()) {
    SCOPED_TRACE(mode.szName);
    cDrawFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    std::vector<uint32_t> px = Solid(128, 480, t4gfx::kMagenta);
    for (int y = 16; y < 32; ++y)
      for (int x = 32; x < 48; ++x) px[y * 128 + x] = 0x20C040;  // piece (2, 1)
    px[16 * 128 + 33] = t4gfx::kMagenta;                       // a keyed pixel in it
    fx.LoadSurface(STAGESURFACE_SHOT, "Shot.bmp", 128, 480, px);
    fx.LoadSurface(STAGESURFACE_SHOT_MIRROR, "Shot.bmp", 128, 480, px);
    fx.MakeSurface(STAGESURFACE_SHOTSHEET, 256, 960, 5);
    fx.MakeSurface(STAGESURFACE_SHOTSHEET_MIRROR, 256, 960, 5);
    ComposeShotSheets();
    for (int s : {STAGESURFACE_SHOTSHEET, STAGESURFACE_SHOTSHEET_MIRROR}) {
      DDSURFACEDATA* sheet = fx.SD(s);
      EXPECT_EQ(PixelAt(sheet, 72, 40), 0x20C040u);
      EXPECT_EQ(PixelAt(sheet, 87, 55), 0x20C040u);
      // The cell's rim and the keyed pixel keep colour 0.
      const uint32_t c0 = PixelAt(sheet, 71, 40);
      EXPECT_NE(c0, 0x20C040u);
      EXPECT_EQ(PixelAt(sheet, 73, 40), c0);
      EXPECT_EQ(PixelAt(sheet, 88, 40), c0);
    }
  }
}

TEST(StageGraphics, MissingPicturesLeaveTheirSurfacesEmptyAndLoadingGoesOn) {
  for (const auto& mode : DrawModes()) {
    SCOPED_TRACE(mode.szName);
    cDrawFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    g_Database.m_vecBmpCharaExc.assign(5, cEdBmpCharaExc());
    for (int e = 1; e <= 4; ++e) {
      g_Database.m_vecBmpCharaExc[e].strFile = "bmp\\Exc" + std::to_string(e) + ".bmp";
      if (e != 3) fx.Folder().WriteFile("bmp/Exc" + std::to_string(e) + ".bmp", MakeBmpRgb(24, 64, 32, Solid(64, 32, 0x3060A0)));
    }
    // A damaged picture: a header and nothing else.
    g_Database.m_vecEffect.assign(2, cEdEffect());
    g_Database.m_vecEffect[1].strFile = "bmp\\Eff.bmp";
    fx.Folder().WriteFile("bmp/Eff.bmp", "BM\x10\x00");
    g_Database.m_vecSwordType.assign(1, cEdSwordType());
    LoadSpecialBmps();
    LoadEffectGraphics();
    LoadSwordGraphics();

    ASSERT_EQ(g_SpecialBmps.vSD.size(), 16u);
    for (int e = 1; e <= 4; ++e)
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(PictureSetSurface(g_SpecialBmps, 4 * (e - 1) + i) != nullptr, e != 3) << e << " " << i;
    EXPECT_EQ(g_SpecialBmps.vInfo[5].lpParentSD, &g_SpecialBmps.vSD[4]);
    EXPECT_EQ(g_SpecialBmps.vInfo[5].nMirrorWidth, 32);
    ASSERT_EQ(g_EffectGraphics.vSD.size(), 2u);
    EXPECT_EQ(PictureSetSurface(g_EffectGraphics, 0), nullptr);
    EXPECT_TRUE(g_SwordGraphics.vSD.empty());

    const std::string log = fx.Folder().ReadFile("Report_Game.txt");
    EXPECT_NE(log.find("専用bmp bmp\\Exc3.bmp 読み込み失敗！"), std::string::npos) << log;
    EXPECT_EQ(log.find("Exc1.bmp 読み込み失敗"), std::string::npos);
    EXPECT_NE(log.find("エフェクト bmp\\Eff.bmp 読み込み失敗！"), std::string::npos);

    // The picture lookup reaches the special pictures through the set.
    InstallStageSheetSource();
    g_Database.m_vecBmpCharaExc.clear();
    g_Database.m_vecEffect.clear();
    g_Database.m_vecSwordType.clear();
  }
}
