// A stage played while the pictures its databases name are missing or
// damaged: the scene reports each one as it loads its picture sets, and
// the charas and the hit effect that use them play on undrawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/report.h"
#include "play/live_lists.h"
#include "play/stage_scene.h"
#include "records/database.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/play_fixture.h"
#include "tests/play/stage_device.h"

namespace {

cEdChara OwnPictureChara(uint8_t nType, uint16_t nPicture, int col) {
  cEdChara c;
  c.SetDefaults();
  c.m_nType = nType;
  c.m_nImageKind = IMAGE_OWN;
  c.m_nImageIndex = nPicture;
  c.m_nMaxHp = 5;
  c.m_nScale = 1;
  c.m_vecFlow.clear();
  c.m_nColumn = static_cast<uint16_t>(col);
  c.m_nRow = 11;
  return c;
}

class StageDamagedPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    m_SavedDatabase = g_Database;
    g_System = cEdSystem();
    g_Progress = cEdProgress();
    g_Progress.m_nLivesStart = 3;
  }
  void TearDown() override {
    g_Database = m_SavedDatabase;
    g_System = cEdSystem();
    g_StageLinks = STAGELINKS{};
  }
  cEdDatabase m_SavedDatabase;
};

}  // namespace

TEST_F(StageDamagedPictures, PlayGoesOnWithTheReportLines) {
  for (const auto& mode : DrawModes()) {
    SCOPED_TRACE(mode.szName);
    cStageDevice dev(mode);
    ASSERT_TRUE(dev.Ok());
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    // Special picture 1 is missing and 2 cut short; the sword's picture is
    // missing; the effect's picture is a header and nothing else.
    const std::string whole = MakeBmpRgb(24, 64, 64, std::vector<uint32_t>(64 * 64, 0x3060A0));
    dev.Folder().WriteFile("bmp/Own2.bmp", whole.substr(0, whole.size() / 2));
    dev.Folder().WriteFile("bmp/Hit.bmp", std::string("BM\x10\x00", 4));
    g_Database.m_vecBmpCharaExc.assign(3, cEdBmpCharaExc());
    g_Database.m_vecBmpCharaExc[1].strFile = "bmp\\Own1.bmp";
    g_Database.m_vecBmpCharaExc[2].strFile = "bmp\\Own2.bmp";
    g_Database.m_vecSwordType.assign(2, cEdSwordType());
    g_Database.m_vecSwordType[1].strFile = "bmp\\Sword.bmp";
    g_Database.m_vecEffect.assign(2, cEdEffect());
    g_Database.m_vecEffect[1].strFile = "bmp\\Hit.bmp";
    g_Database.m_vecEffect[1].m_vecFrame.assign(3, cEdEffectFrame());
    for (cEdEffectFrame& f : g_Database.m_vecEffect[1].m_vecFrame) f.nTime = 2;

    cEdStage stage = MakeBlockStage(30, 15, 1);
    PlaceRow(stage, 0, 29, 12, 1);
    stage.m_vecChara = {OwnPictureChara(0, 1, 4), OwnPictureChara(1, 2, 9), OwnPictureChara(1, 1, 12)};
    g_Stage = stage;
    g_StageCopy = stage;
    {
      cSceneStage s(STAGESTART{0, 3, 2, 0, 0, 0});
      for (int n = 0; n < 400 && s.m_nState != STAGESTATE_PLAY; ++n) s.Update();
      ASSERT_EQ(s.m_nState, STAGESTATE_PLAY);
      s.AddEffect(1, CellPx(9), CellPx(11), 32, 32, 0);
      for (int n = 0; n < 120; ++n) s.Update();
      EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
      EXPECT_EQ(g_lstChara.size(), 2u);
      EXPECT_FALSE(s.m_bFailed);
    }
    const std::string report = dev.Folder().ReadFile("Report_Game.txt");
    for (const char* line : {"専用bmp bmp\\Own1.bmp 読み込み失敗！", "専用bmp bmp\\Own2.bmp 読み込み失敗！",
                             "ソード bmp\\Sword.bmp 読み込み失敗！", "エフェクト bmp\\Hit.bmp 読み込み失敗！"})
      EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
    // The scene's end released the sets.
    EXPECT_TRUE(g_SpecialBmps.vSD.empty());
    EXPECT_TRUE(g_EffectGraphics.vSD.empty());
  }
}
