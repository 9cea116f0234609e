// Item, graphic, animation, effect, screen, background, sound, music and
// code commands run by a real chara's flow in a running stage: each command
// and the change it makes on the chara or the scene, with the sound and
// music requests that reach the window (project sound n as 16 + n).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/report.h"
#include "play/chara_drawing.h"
#include "play/picture_cell.h"
#include "play/stage_graphics.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/database_run_tables.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/flow_stage_fixture.h"
#include "tests/play/stage_device.h"
#include "tests/support/temp_folder.h"

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
    // Set 1 shows pattern 4 in every state.
    g_Database.m_vecAnimeSet.resize(2);
    cEdAnime four;
    cEdAnimeFrame f4;
    f4.nPattern = 4;
    f4.nTime = 1;
    four.m_vecFrame.assign(1, f4);
    for (cEdAnime& a : g_Database.m_vecAnimeSet[1].m_vecAnime) a = four;
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

TEST_F(FlowMediaStage, EachCommandChangesWhatItNames) {
  cEdCommand code = MakeFlowCommand(FlowCommandKind::RunCode);
  code.m_strText = "hp = 40 C3 = hp + 2";
  struct CASE {
    const char* pszWhat;
    std::vector<cEdCommand> cmds;  // run in one flow, one a frame
    std::function<void(cSceneStage&, cStageChara&)> check;
  } cases[] = {
      {"GetItem runs a common-palette item that clears the stage: play ends with the result",
       {Command(FlowCommandKind::GetItem, {0, 2})},
       [](cSceneStage& s, cStageChara&) {
         s.Update();
         EXPECT_EQ(s.m_nState, STAGESTATE_RESULT);
       }},
      {"GetItem of an item that ends nothing: play goes on",
       {Command(FlowCommandKind::GetItem, {0, 1})},
       [](cSceneStage& s, cStageChara&) {
         s.Update();
         EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
       }},
      {"ChangeGraphic draws the chara from the picture kind, number and column it names",
       {Command(FlowCommandKind::ChangeGraphic, {IMAGE_CHARA, 17, 2})},
       [](cSceneStage&, cStageChara& c) {
         // Chara picture 17 is row 2 of the second sheet pair; column 2.
         const CHARADRAWPARAMS p = CharaDrawParams(c, 0);
         EXPECT_EQ(p.sx, 64);
         EXPECT_EQ(p.sy, 64);
         EXPECT_EQ(p.lpSrc, StageSurface(CHARA_FIRST_SHEET + 2 + c.m_nDir + CHARA_SECOND_SET_OFFSET));
       }},
      {"ChangeBaseAnimeSet draws the chara with the new set's patterns",
       {Command(FlowCommandKind::ChangeBaseAnimeSet, {1})},
       [](cSceneStage&, cStageChara& c) { EXPECT_EQ(CharaCurrentPattern(c, 1), 4); }},
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

namespace {

cEdCommand ItemCommand(int nKind, std::initializer_list<int32_t> params) {
  return WithParams(MakeItemCommand(nKind), params);
}

TEST_F(FlowMediaStage, ItemsTakingThemselvesEndAtTheCapWithOneReportLine) {
  // Each item adds 1 to the score and takes an item of the common palette:
  // itself, itself twice (which would branch), or the other of a pair.
  const cEdCommand score = ItemCommand(ItemCommandKind::StatusOp, {0, 0, 0, 2, 3, 1, 0, 1});
  auto Takes = [](int n) { return ItemCommand(ItemCommandKind::GetItem, {0, n}); };
  struct CASE {
    const char* pszWhat;
    int nFirst;
  } cases[] = {{"itself", 3}, {"itself twice", 4}, {"round a pair", 5}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    TearDown();
    SetUp();
    cTempFolder folder;
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    g_CommonPalette.m_vecItem.resize(3);
    g_CommonPalette.m_vecItem.push_back(MakeItemDef({score, Takes(3)}));
    g_CommonPalette.m_vecItem.push_back(MakeItemDef({score, Takes(4), Takes(4)}));
    g_CommonPalette.m_vecItem.push_back(MakeItemDef({score, Takes(6)}));
    g_CommonPalette.m_vecItem.push_back(MakeItemDef({score, Takes(5)}));
    m_Stage.m_vecChara.push_back(PlacedAt(WaitingFlowChara({Command(FlowCommandKind::GetItem, {0, c.nFirst})}), 13, 6));
    cSceneStage& s = Play();
    g_Progress.m_nScore = 0;
    for (int i = 0; i < 5; ++i) s.Update();
    // Sixteen items deep, once each, then play goes on.
    EXPECT_EQ(g_Progress.m_nScore, 16);
    EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
    const std::string report = folder.ReadFile("Report_Game.txt");
    size_t nLines = 0;
    for (size_t at = report.find("chain is cut"); at != std::string::npos; at = report.find("chain is cut", at + 1))
      ++nLines;
    EXPECT_EQ(nLines, 1u) << report;
  }
}

}  // namespace

namespace {

TEST_F(FlowMediaStage, CodeNamingPlayerOneOnAStageWithoutOneReportsThroughTheCheckedAccess) {
  cEdCommand code = MakeFlowCommand(FlowCommandKind::RunCode);
  code.m_strText = "C1 = 3 C2 = pl.hp";
  m_Stage.m_vecChara.push_back(PlacedAt(WaitingFlowChara({code}), 13, 6));
  std::unique_ptr<cSceneStage> s = PlayScene(m_Stage);
  ASSERT_TRUE(g_vPlayer.empty());
  const int nFailures = CheckedAccessFailures();
  s->Update();
  EXPECT_EQ(CheckedAccessFailures(), nFailures + 1);
  // The statement failed before it assigned anything.
  EXPECT_EQ(g_Progress.m_vVar.CheckedAt(1), 0);
}

}  // namespace

namespace {

std::vector<int> s_vCharaDrawKinds;

TEST_F(FlowMediaStage, ScreenAndEffectCommandsShowOnTheDrawnFrame) {
  cStageDevice dev(DrawModes()[1], false);
  ASSERT_TRUE(dev.Ok());
  // The effect's picture: two 64 x 48 cells of one green; a screen effect
  // that moves the picture, a chara effect of kind 15 for one second.
  dev.Folder().WriteFile("bmp/Eff.bmp", MakeBmpRgb(24, 128, 48, std::vector<uint32_t>(128 * 48, 0x20E020)));
  g_Database.m_vecEffect[1].strFile = "bmp\\Eff.bmp";
  LoadEffectGraphics();
  g_Database.m_vecScrEffect[1].nKind = 1;
  const int32_t anMove[5] = {50, 0, 0, 100, -40};
  std::copy(anMove, anMove + 5, g_Database.m_vecScrEffect[1].anParam);
  g_Database.m_vecCharaEffect[1].nKind = 15;
  g_Database.m_vecCharaEffect[1].anParam[0] = 10;
  BuildDatabaseRunTables();
  SetCharaEffectBlt([](DDSURFACEDATA*, const CHARADRAWPARAMS& p) { s_vCharaDrawKinds.push_back(p.nKind); });
  for (cEdBackground& b : m_Stage.m_vecBackground) b.SetDefaults();
  // The frame drawn by the scene on the started device three play frames
  // after the flow of a chara in view ran the command.
  auto Frame = [this](const std::vector<cEdCommand>& cmds) {
    m_Stage.m_vecChara = {PlacedAt(WaitingFlowChara(cmds), 13, 6)};
    cSceneStage& s = Play();
    s_vCharaDrawKinds.clear();
    for (size_t i = 0; i < cmds.size() + 2; ++i) s.Update();
    return t4gfx::BackBufferPixels();
  };
  // The frame of the same number of waits, set for each case below.
  std::vector<uint32_t> without;

  auto Red = [](const std::vector<uint32_t>& v) {
    int64_t n = 0;
    for (uint32_t c : v) n += (c >> 16) & 0xFF;
    return n / static_cast<int64_t>(v.size());
  };
  struct DIFF {
    int nChanged = 0;
    RECT box{640, 480, -1, -1};  // of the changed pixels, inclusive
  };
  auto Diff = [](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    DIFF d;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        if (a[static_cast<size_t>(y * 640 + x)] == b[static_cast<size_t>(y * 640 + x)]) continue;
        ++d.nChanged;
        d.box = {std::min<LONG>(d.box.left, x), std::min<LONG>(d.box.top, y), std::max<LONG>(d.box.right, x),
                 std::max<LONG>(d.box.bottom, y)};
      }
    return d;
  };
  struct CASE {
    const char* pszWhat;
    std::vector<cEdCommand> cmds;  // one a frame
    std::function<void(const std::vector<uint32_t>& with)> check;
  } cases[] = {
      {"ChangeScreenColor tints the whole frame red",
       {Command(FlowCommandKind::ChangeScreenColor, {255, 0, 0, 100, 0, 0, 0, 0})},
       [&](const std::vector<uint32_t>& with) { EXPECT_GT(Red(with), Red(without) + 60); }},
      {"ChangeBackground hides the first layer",
       {Command(FlowCommandKind::ChangeBackground, {1, 1})},
       [&](const std::vector<uint32_t>& with) { EXPECT_GT(Diff(with, without).nChanged, 10000); }},
      {"RunScreenEffect moves the picture",
       {Command(FlowCommandKind::RunScreenEffect, {1, 0, 0})},
       [&](const std::vector<uint32_t>& with) { EXPECT_GT(Diff(with, without).nChanged, 10000); }},
      {"RunEffect at 50 % draws the effect 32 x 24 in the screen's middle and nowhere else",
       {Command(FlowCommandKind::RunEffect, {1, 0, 0, 0, 0, 0, 50, 0})},
       [&](const std::vector<uint32_t>& with) {
         const DIFF d = Diff(with, without);
         EXPECT_GT(d.nChanged, 32 * 24 / 2);
         EXPECT_GE(d.box.left, 320 - 16);
         EXPECT_LE(d.box.right, 320 + 15);
         EXPECT_GE(d.box.top, 240 - 12);
         EXPECT_LE(d.box.bottom, 240 + 11);
         EXPECT_EQ(with[240 * 640 + 320], 0x20E020u);
       }},
      {"RunEffect 0 takes every shown effect down",
       {Command(FlowCommandKind::RunEffect, {1, 0, 0, 0, 0, 0, 100, 0}),
        Command(FlowCommandKind::RunEffect, {1, 0, 0, 0, 0, 0, 100, 0}), Command(FlowCommandKind::RunEffect, {0})},
       [&](const std::vector<uint32_t>& with) { EXPECT_EQ(Diff(with, without).nChanged, 0); }},
      {"ChangeBackground 0 and 3 of two layers change nothing; a layer toggled twice is back",
       {Command(FlowCommandKind::ChangeBackground, {0, 1}), Command(FlowCommandKind::ChangeBackground, {3, 1}),
        Command(FlowCommandKind::ChangeBackground, {2, 2}), Command(FlowCommandKind::ChangeBackground, {2, 2})},
       [&](const std::vector<uint32_t>& with) { EXPECT_EQ(Diff(with, without).nChanged, 0); }},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    without = Frame(std::vector<cEdCommand>(c.cmds.size(), MakeFlowCommand(FlowCommandKind::Wait)));
    const std::vector<uint32_t> with = Frame(c.cmds);
    ASSERT_EQ(with.size(), 640u * 480u);
    ASSERT_EQ(without.size(), 640u * 480u);
    c.check(with);
  }
  // RunCharaEffect: the chara is drawn through its effect's kind.
  Frame({Command(FlowCommandKind::RunCharaEffect, {1, 0, 1})});
  EXPECT_NE(std::count(s_vCharaDrawKinds.begin(), s_vCharaDrawKinds.end(), 15), 0);
  SetCharaEffectBlt(nullptr);
}

}  // namespace
