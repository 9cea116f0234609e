// Item, graphic, animation, effect, screen, background, sound, music and
// code commands run by a real chara's flow in a running stage: each command
// and the change it makes on the chara or the scene, with the sound and
// music requests that reach the window (project sound n as 16 + n).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "play/chara_drawing.h"
#include "play/picture_cell.h"
#include "play/stage_graphics.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/database_run_tables.h"
#include "tests/play/flow_stage_fixture.h"

namespace {

std::vector<int> s_vSounds;
std::vector<std::pair<int, int>> s_vMusic;

class FlowMediaStage : public cFlowStageTest {
 protected:
  void SetUp() override {
    cFlowStageTest::SetUp();
    s_vSounds.clear();
    s_vMusic.clear();
    g_Progress.m_vVar.assign(10, 0);
    g_PlayLinks.pfnPlaySound = [](int n) { s_vSounds.push_back(n); };
    g_PlayLinks.pfnPlayBgm = [](int nScreen, int n) { s_vMusic.push_back({nScreen, n}); };
    // Three animations, two Anime sets, a 64 × 48 effect of two frames
    // (0.3 s), two chara and screen effects; an item that clears the stage.
    g_Database = cEdDatabase();
    for (int i = 0; i < 3; ++i) {
      cEdAnime a;
      cEdAnimeFrame f;
      f.nPattern = i;
      f.nTime = 2;
      a.m_vecFrame.push_back(f);
      g_Database.m_vecAnime.push_back(a);
    }
    // Animation 2 (after the database's own first two) shows pattern 7.
    cEdAnimeFrame seven;
    seven.nPattern = 7;
    seven.nTime = 2;
    g_Database.m_vecAnime[2].m_vecFrame = {seven};
    g_Database.m_vecAnimeSet.resize(2);
    g_Database.m_vecEffect.resize(2);
    cEdEffect& e = g_Database.m_vecEffect[1];
    e.nCellWidth = 64;
    e.nCellHeight = 48;
    for (int t : {1, 2}) {
      cEdEffectFrame f = cEdEffectFrame::MakeDefault();
      f.nTime = t;
      e.m_vecFrame.push_back(f);
    }
    g_Database.m_vecCharaEffect.resize(2);
    g_Database.m_vecScrEffect.resize(2);
    g_Database.m_vecCharaEffectRev.resize(2);
    g_Database.m_vecScrEffectRev.resize(2);
    BuildDatabaseRunTables();
    // After the palette's own entry 0: item 1 does nothing, item 2 clears.
    g_CommonPalette = cEdCommonPalette();
    g_CommonPalette.m_vecItem.resize(1);
    g_CommonPalette.m_vecItem.push_back(MakeItemDef({}));
    g_CommonPalette.m_vecItem.push_back(MakeItemDef({MakeItemCommand(ItemCommandKind::StageClear)}));
    m_Stage.m_vecBackground.resize(2);
  }
  void TearDown() override {
    cFlowStageTest::TearDown();
    g_Database = cEdDatabase();
    BuildDatabaseRunTables();
    g_CommonPalette = cEdCommonPalette();
  }
};

cEdCommand Command(int nKind, std::initializer_list<int32_t> params) {
  cEdCommand c = MakeFlowCommand(nKind);
  int i = 0;
  for (int32_t p : params) c.m_vParam.CheckedAt(i++) = p;
  return c;
}

TEST_F(FlowMediaStage, EachCommandChangesWhatItNames) {
  cEdCommand code = MakeFlowCommand(FlowCommandKind::RunCode);
  code.m_strText = "hp = 40 C3 = hp + 2";
  struct CASE {
    const char* pszWhat;
    std::vector<cEdCommand> cmds;  // run in one flow, one a frame
    std::function<void(cSceneStage&, cStageChara&)> check;
  } cases[] = {
      {"GetItem runs a common-palette item that clears the stage",
       {Command(FlowCommandKind::GetItem, {0, 2})},
       [](cSceneStage& s, cStageChara&) { EXPECT_EQ(s.m_nStageEnd, 1); }},
      {"GetItem of an item that ends nothing leaves the request",
       {Command(FlowCommandKind::GetItem, {0, 1})},
       [](cSceneStage& s, cStageChara&) { EXPECT_EQ(s.m_nStageEnd, 0); }},
      {"ChangeGraphic draws the chara from the picture kind, number and column it names",
       {Command(FlowCommandKind::ChangeGraphic, {IMAGE_CHARA, 17, 2})},
       [](cSceneStage&, cStageChara& c) {
         // Chara picture 17 is row 2 of the second sheet pair; column 2.
         const CHARADRAWPARAMS p = CharaDrawParams(c, 0);
         EXPECT_EQ(p.sx, 64);
         EXPECT_EQ(p.sy, 64);
         EXPECT_EQ(p.lpSrc, StageSurface(CHARA_FIRST_SHEET + 2 + c.m_nDir + CHARA_SECOND_SET_OFFSET));
       }},
      {"ChangeBaseAnimeSet sets the base Anime set",
       {Command(FlowCommandKind::ChangeBaseAnimeSet, {1})},
       [](cSceneStage&, cStageChara& c) { EXPECT_EQ(c.m_Def.m_nAnimeSet, 1); }},
      {"RunAnime shows its animation's pattern over the chara's own",
       {Command(FlowCommandKind::RunAnime, {2})},
       [](cSceneStage&, cStageChara& c) {
         ASSERT_EQ(c.m_Anime.lstOverride.size(), 1u);
         EXPECT_EQ(c.m_Anime.lstOverride.front().nTag, c.m_vFlowRun[0].m_nEffectTag);
         EXPECT_EQ(CharaCurrentPattern(c, 1), 7);
       }},
      {"ending the flow takes its animation away",
       {Command(FlowCommandKind::RunAnime, {2}), Command(FlowCommandKind::FlowControl, {1, 0})},
       [](cSceneStage&, cStageChara& c) {
         EXPECT_TRUE(c.m_Anime.lstOverride.empty());
         EXPECT_NE(CharaCurrentPattern(c, 1), 7);
       }},
      {"RunEffect at 50 % shows the 64 x 48 effect 32 x 24 in the screen's middle",
       {Command(FlowCommandKind::RunEffect, {1, 0, 0, 0, 0, 0, 50, 0})},
       [](cSceneStage& s, cStageChara&) {
         ASSERT_EQ(s.m_lstHitEffect.size(), 1u);
         const cHitEffect& e = s.m_lstHitEffect.front();
         EXPECT_EQ(e.m_nEffect, 1);
         EXPECT_EQ(e.m_nWidth, 32);
         EXPECT_EQ(e.m_nHeight, 24);
         EXPECT_EQ(e.m_dX, s.m_aScroll[0].dPos + 320 - 16);
         EXPECT_EQ(e.m_dY, s.m_aScroll[1].dPos + 240 - 12);
       }},
      {"RunEffect 0 takes every shown effect down",
       {Command(FlowCommandKind::RunEffect, {1, 0, 0, 0, 0, 0, 100, 0}),
        Command(FlowCommandKind::RunEffect, {1, 0, 0, 0, 0, 0, 100, 0}), Command(FlowCommandKind::RunEffect, {0})},
       [](cSceneStage& s, cStageChara&) { EXPECT_TRUE(s.m_lstHitEffect.empty()); }},
      {"RunCharaEffect starts the chara's effect",
       {Command(FlowCommandKind::RunCharaEffect, {1, 0, 1})},
       [](cSceneStage&, cStageChara& c) {
         EXPECT_EQ(c.m_Effect.nEffect, 1);
         EXPECT_EQ(c.m_Effect.bRepeat, 1u);
       }},
      {"RunScreenEffect starts the scene's screen effect",
       {Command(FlowCommandKind::RunScreenEffect, {1, 1, 0})},
       [](cSceneStage& s, cStageChara&) {
         EXPECT_EQ(s.m_ScreenEffect.run.nEffect, 1);
         EXPECT_EQ(s.m_ScreenEffect.run.nMode, 1u);
       }},
      {"ChangeScreenColor tints the screen",
       {Command(FlowCommandKind::ChangeScreenColor, {255, 0, 0, 50, 0, 10, 0, 0})},
       [](cSceneStage& s, cStageChara&) {
         EXPECT_EQ(s.m_ScreenColour.r, 255);
         EXPECT_EQ(s.m_ScreenColour.nStrength, 50);
       }},
      {"ChangeBackground hides layer 2, ignores layer 0 and layer 3",
       {Command(FlowCommandKind::ChangeBackground, {2, 1}), Command(FlowCommandKind::ChangeBackground, {0, 1}),
        Command(FlowCommandKind::ChangeBackground, {3, 1})},
       [](cSceneStage&, cStageChara&) {
         EXPECT_EQ(g_Stage.m_vecBackground[0].m_bShown, 1u);
         EXPECT_EQ(g_Stage.m_vecBackground[1].m_bShown, 0u);
       }},
      {"ChangeBackground toggled twice restores the layer",
       {Command(FlowCommandKind::ChangeBackground, {1, 2}), Command(FlowCommandKind::ChangeBackground, {1, 2})},
       [](cSceneStage&, cStageChara&) { EXPECT_EQ(g_Stage.m_vecBackground[0].m_bShown, 1u); }},
      {"PlaySe asks for project sound 5 as sound 21",
       {Command(FlowCommandKind::PlaySe, {5}), Command(FlowCommandKind::PlaySe, {0})},
       [](cSceneStage&, cStageChara&) { EXPECT_EQ(s_vSounds, std::vector<int>{21}); }},
      {"PlayBgm asks for the stage's music and keeps its option",
       {Command(FlowCommandKind::PlayBgm, {3, 1})},
       [](cSceneStage&, cStageChara&) {
         EXPECT_EQ(s_vMusic, (std::vector<std::pair<int, int>>{{4, 3}}));
         EXPECT_EQ(g_Progress.m_nStageBgmOption, 1);
       }},
      {"RunCode runs a statement on the chara",
       {code},
       [](cSceneStage&, cStageChara& c) {
         EXPECT_EQ(c.m_nHp, 40);
         // Operands are read before any assignment.
         EXPECT_EQ(g_Progress.m_vVar.CheckedAt(3), 102);
       }},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    TearDown();
    SetUp();
    for (cEdBackground& b : m_Stage.m_vecBackground) b.m_bShown = 1;
    const cEdChara e = WaitingFlowChara(c.cmds);
    m_Stage.m_vecChara.push_back(PlacedAt(e, 13, 6));
    cSceneStage& s = Play();
    s_vSounds.clear();
    s_vMusic.clear();
    for (size_t i = 0; i < c.cmds.size(); ++i) s.Update();
    ASSERT_EQ(g_lstChara.size(), 1u);
    c.check(s, Chara());
  }
}

}  // namespace

namespace {

TEST_F(FlowMediaStage, ACommandsLeadInAnimationStartsSoThatItEndsAsTheCommandBegins) {
  // Animation 1 lasts 0.1 s (6 frames); the command naming it starts after
  // a wait of 12 frames, so the animation starts at the flow's frame 6.
  cEdCommand graphic = Command(FlowCommandKind::ChangeGraphic, {3, 0, 0});
  graphic.m_nTimeBase = 1;
  graphic.m_nAnime = 1;
  cEdChara e = FlowChara({});
  e.m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 2), graphic,
                                                  MakeFlowCommand(FlowCommandKind::Wait, 1000)})};
  m_Stage.m_vecChara.push_back(PlacedAt(e, 13, 6));
  cSceneStage& s = Play();
  int nStarted = 0, nGraphic = 0, nEnded = 0;
  for (int k = 1; k <= 20; ++k) {
    s.Update();
    const bool bShown = !Chara().m_Anime.lstOverride.empty();
    if (!nStarted && bShown) {
      nStarted = k;
      EXPECT_EQ(Chara().m_Anime.lstOverride.front().nTag, Chara().m_vFlowRun[0].m_nEffectTag);
    }
    if (nStarted && !nEnded && !bShown) nEnded = k;
    if (!nGraphic && Chara().m_Def.m_nImageKind == 3) nGraphic = k;
  }
  EXPECT_EQ(nStarted, 7);
  EXPECT_EQ(nGraphic, 13);
  // Played out by the time its command begins.
  EXPECT_GT(nEnded, nStarted);
  EXPECT_LE(nEnded, nGraphic);
}

}  // namespace
