// Golden frames of a running stage the project builder's pictures draw, on
// both drawing paths, with the program's own drawing seams installed: charas
// animating (an idle chara on its second pattern, one running a flow's
// attack animation), two charas of Z 5 and 2 overlapping and then swapped
// by their flows, a scale-2 chara in its appearance effect, the effects
// rotation A, enlargement, colour change and blur, a chara's mark, player
// 1's box display; then the pause menu in its box and the game-over banner.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/keyboard.h"
#include "play/chara_drawing.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "play/status_bar.h"
#include "records/database.h"
#include "records/database_run_tables.h"
#include "tests/support/database_fixtures.h"
#include "records/progress.h"
#include "records/system.h"
#include "shell/chara_effect_blt.h"
#include "records/system_queries.h"
#include "shell/record_seams.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/scene_fixture.h"
#include "tests/play/stage_device.h"
#include "tests/support/flow_fixtures.h"

namespace {

// A chara effect of one kind held at one value (repeating, so it lasts).
cEdCharaEffect HeldEffect(int nKind, int nValue, int nP4 = 0) {
  cEdCharaEffect e;
  e.nKind = nKind;
  e.anParam[0] = 10;
  e.anParam[1] = e.anParam[2] = nValue;
  e.anParam[3] = nP4;
  return e;
}

cEdCommand Code(const char* pszText) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::RunCode);
  c.m_strText = pszText;
  return c;
}

cEdChara Chara(int nPicture, int col, std::vector<cEdCommand> cmds) {
  cEdChara d = PlacedAt(MakeCharaDef(1, 10), col, 13);
  d.m_nImageIndex = static_cast<uint16_t>(nPicture);
  d.m_nAnimeSet = 1;
  d.m_nAttack = 0;
  d.m_nGroup = 1;
  cmds.push_back(MakeFlowCommand(FlowCommandKind::Wait, 1000));
  cEdFlow f;
  f.m_byTrigger = FlowTrigger::Always;
  for (const cEdCommand& c : cmds) f.m_vecCommand.push_back(c);
  d.m_vecFlow = {f};
  return d;
}

cEdChara WithAppearEffect(cEdChara d, int nEffect) {
  d.m_nAppearEffect = static_cast<uint16_t>(nEffect);
  d.m_bAppearEffectRepeat = 1;
  return d;
}

constexpr int kAttack = 2;  // the database's animation after its own two

class StageDrawingGolden : public ::testing::TestWithParam<t4gfx::GRAPHICSMODE> {
 protected:
  void SetUp() override {
    ResetSceneRecords();
    g_Progress.m_nLivesStart = STATUS_UNLIMITED;
    m_SavedDatabase = g_Database;
    // Anime set 1: the idle animation shows its patterns 0 and 1 for 0.2 s
    // each; the attack animation 2 and 3 for a second each. Chara effects
    // 1 to 5: a burst 4 apart, rotation A at 45 degrees, enlargement to 48
    // pixels, three mixes toward colour 228 (magenta), a blur of 2.
    g_Database = cEdDatabase();
    cEdAnimeSet set;
    set.m_vecAnime = {AnimeOf({{0, 2}, {1, 2}}), AnimeOf({{0, 2}, {1, 2}})};
    g_Database.m_vecAnimeSet = {cEdAnimeSet(), set};
    g_Database.m_vecAnime.resize(kAttack);
    g_Database.m_vecAnime.push_back(AnimeOf({{2, 10}, {3, 10}}));
    g_Database.m_vecCharaEffect = {cEdCharaEffect(), HeldEffect(1, 4), HeldEffect(7, 45), HeldEffect(11, 48),
                                   HeldEffect(13, 3, 228), HeldEffect(16, 2)};
    g_Database.m_vecCharaEffectRev = g_Database.m_vecCharaEffect;
    BuildDatabaseRunTables();
    InstallRecordSeams();
    InstallCharaEffectBlt();
  }
  void TearDown() override {
    m_lpScene.reset();
    ClearScene();
    ClearKeyStates();
    SetCharaEffectBlt(nullptr);
    SetSystemTextBoxDrawer(nullptr);
    g_Database = m_SavedDatabase;
    BuildDatabaseRunTables();
    g_System = cEdSystem();
  }

  // A 24-cell floored stage: player 1 at column 1 with its body box and
  // first hit range framed; the charas from column 3 on.
  cEdStage Stage() const {
    cEdStage s = MakeSceneStage(24);
    s.m_nPlayerBodyShow = 2;
    s.m_nPlayerBodyColour = 1;
    s.m_nPlayerHitShow = 2;
    s.m_nPlayerHitColour = 0;
    s.m_nPlayerHitW = 10;
    s.m_nPlayerHitH = 14;
    s.m_bGameOverBanner = 1;
    cEdChara hero = PlacedAt(MakeCharaDef(0, 10), 1, 13);
    hero.m_nDir = 1;
    s.m_vecChara.push_back(hero);
    cEdChara front = Chara(4, 7, {MakeFlowCommand(FlowCommandKind::Wait, 3), Code("z = 2")});
    front.m_nSetting17 = 5;
    cEdChara back = Chara(5, 7, {MakeFlowCommand(FlowCommandKind::Wait, 3), Code("z = 5")});
    back.m_nSetting17 = 2;
    back.m_nOffsetXBase = 14;
    cEdCommand attack = MakeFlowCommand(FlowCommandKind::RunAnime);
    attack.m_vParam[0] = kAttack;
    cEdChara giant = WithAppearEffect(Chara(6, 9, {}), 1);
    giant.m_nScale = 2;
    s.m_vecChara.push_back(Chara(2, 3, {Code("mark = 17")}));
    s.m_vecChara.push_back(Chara(3, 5, {attack}));
    s.m_vecChara.push_back(front);
    s.m_vecChara.push_back(back);
    s.m_vecChara.push_back(giant);
    s.m_vecChara.push_back(WithAppearEffect(Chara(7, 12, {}), 2));
    s.m_vecChara.push_back(WithAppearEffect(Chara(8, 14, {}), 3));
    s.m_vecChara.push_back(WithAppearEffect(Chara(9, 16, {}), 4));
    s.m_vecChara.push_back(WithAppearEffect(Chara(10, 18, {}), 5));
    return s;
  }
  cSceneStage& Play(const cEdStage& stage, const STAGESTART& start = kSceneStart) {
    m_lpScene = PlayScene(stage, start);
    EXPECT_EQ(m_lpScene->m_nState, STAGESTATE_PLAY);
    return *m_lpScene;
  }
  void Frames(int n) {
    for (int k = 0; k < n; ++k) m_lpScene->Update();
  }
  static std::string Name(const char* psz) { return std::string(psz) + "_" + GetParam().szName; }

  std::unique_ptr<cSceneStage> m_lpScene;
  cEdDatabase m_SavedDatabase;
};

TEST_P(StageDrawingGolden, CharasAnimateInTheirLayersWithTheirEffectsAndThePauseMenuComesInItsBox) {
  cStageDevice dev(GetParam(), true, true);
  ASSERT_TRUE(dev.Ok());
  Play(Stage());
  // 16 frames in: the idle chara on its second pattern, the attack on its
  // first, Z 5 over Z 2.
  Frames(16);
  ExpectGolden(Name("objects_first"));
  // Their flows have swapped their Z: the other one is in front now.
  Frames(8);
  ExpectGolden(Name("objects_swapped"));
  // The menu over the stage, which stays in view.
  g_System.m_bHideWhilePaused = 0;
  SetKeyState(VK_SPACE, true);
  Frames(1);
  SetKeyState(VK_SPACE, false);
  Frames(1);
  ASSERT_EQ(m_lpScene->m_nState, STAGESTATE_PAUSEMENU);
  ExpectGolden(Name("pause_menu"));
}

TEST_P(StageDrawingGolden, GameOverShowsItsBannerWhole) {
  cStageDevice dev(GetParam(), true, true);
  ASSERT_TRUE(dev.Ok());
  // Story play with no life to spare; player 1 falls to its own flow.
  g_Progress.m_nLivesStart = 0;
  cEdStage stage = Stage();
  stage.m_vecChara.resize(1);
  stage.m_vecChara[0].m_vecFlow = {MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 1), Code("hp = 0")})};
  Play(stage, STAGESTART{0, 0, 0, 0, 0, 0});
  for (int n = 0; n < 200 && m_lpScene->m_nState != STAGESTATE_GAMEOVER; ++n) Frames(1);
  ASSERT_EQ(m_lpScene->m_nState, STAGESTATE_GAMEOVER);
  Frames(1);
  ExpectGolden(Name("game_over"));
}

INSTANTIATE_TEST_SUITE_P(BothPaths, StageDrawingGolden, ::testing::ValuesIn(DrawModes()),
                         [](const auto& info) { return std::string(info.param.szName); });

}  // namespace
