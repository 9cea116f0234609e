// Chara drawing: the anime set's player, the pattern from overrides, the draw
// routines of the chara effects frame by frame, the defeat frames, golden
// frames of charas in both facings with a gauge and an icon, and a chara
// erased while its blits wait in the draw batch.
#include "play/chara_drawing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "play/chara_gauges.h"
#include "play/effect_runs.h"
#include "play/picture_cell.h"
#include "records/database.h"
#include "records/effect_records.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/draw_fixture.h"

namespace {

struct BLTCALL {
  int nKind, nValue;
};
std::vector<BLTCALL>* s_pCalls = nullptr;  // the running test's log
void RecordBlt(DDSURFACEDATA*, const CHARADRAWPARAMS& p) {
  if (s_pCalls) s_pCalls->push_back({p.nKind, p.nValue});
}

// An anime set of two animations: 0 shows patterns 0, 1 (one tenth of a
// second each), 1 holds pattern 5.
cEdAnimeSet MakeAnimeSet() {
  cEdAnimeSet set;
  set.m_vecAnime.clear();
  set.m_vecAnime.resize(2);
  for (cEdAnime& a : set.m_vecAnime) a.m_vecFrame.clear();
  cEdAnimeFrame f;
  f.nTime = 1;
  f.nPattern = 0;
  set.m_vecAnime[0].m_vecFrame.push_back(f);
  f.nPattern = 1;
  set.m_vecAnime[0].m_vecFrame.push_back(f);
  f.nPattern = 5;
  set.m_vecAnime[1].m_vecFrame.push_back(f);
  return set;
}

// An override holding one pattern for nFrames frames.
ANIMEOVERRIDE MakeOverride(int nPattern, int bPriority, int nFrames) {
  ANIMEOVERRIDE o;
  o.Anime.vAnime.resize(1);
  o.Anime.vAnime[0].push_back(ANIMERUNFRAME{nPattern, 6, 0});
  o.Anime.vAnime[0].push_back(ANIMERUNFRAME{ANIME_LOOP, 0, 0});
  o.bPriority = bPriority;
  o.nFrames = nFrames;
  return o;
}

class CharaDrawingTest : public cCharaFixture {
 protected:
  void SetUp() override {
    cCharaFixture::SetUp();
    m_SavedSets = g_Database.m_vecAnimeSet;
    g_Database.m_vecAnimeSet = {cEdAnimeSet(), MakeAnimeSet()};
    s_pCalls = &m_vCalls;
    SetCharaEffectBlt(RecordBlt);
  }
  void TearDown() override {
    SetCharaEffectBlt(nullptr);
    s_pCalls = nullptr;
    g_Database.m_vecAnimeSet = m_SavedSets;
    cCharaFixture::TearDown();
  }
  // A forward effect of kind nKind from 0 to 10 by 2.5 on the chara.
  void StartEffect(cChara& c, int nKind) {
    m_Record.nKind = nKind;
    EFFECTRUN& run = c.m_Effect;
    EffectRunReset(run);
    run.nEffect = 1;
    run.lpRecord = &m_Record;
    run.nStart = 0;
    run.nEnd = 10;
    run.dCurrent = 0;
    run.dStep = 2.5;
  }

  cVector<cEdAnimeSet> m_SavedSets;
  cEdCharaEffect m_Record;
  std::vector<BLTCALL> m_vCalls;
};

TEST_F(CharaDrawingTest, AnimeSetChangeKeepsTheAnimationShown) {
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11);
  e.CharaSetAnimeSet(1, 1);
  e.m_Anime.ChangeAnime(1, true);
  EXPECT_EQ(CharaCurrentPattern(e, 0), 5);
  // Building the player again would start animation 0; the chara keeps 1.
  e.CharaSetAnimeSet(1, 1);
  EXPECT_EQ(e.m_Anime.Player.nAnime, 1);
  EXPECT_EQ(CharaCurrentPattern(e, 0), 5);
  // Animation 0 walks its patterns, six frames each, and loops.
  e.m_Anime.ChangeAnime(0, true);
  std::vector<int> v;
  for (int i = 0; i < 13; ++i) v.push_back(CharaCurrentPattern(e, 0));
  EXPECT_EQ(v, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0}));
  // A paused frame shows the same pattern again.
  EXPECT_EQ(CharaCurrentPattern(e, 1), 0);
  EXPECT_EQ(CharaCurrentPattern(e, 1), 0);
}

TEST_F(CharaDrawingTest, OverridesPriorityFirstThenFewestFramesLeft) {
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11);
  e.CharaSetAnimeSet(1, 1);
  auto& lst = e.m_Anime.lstOverride;
  lst.push_back(MakeOverride(20, 0, 1));
  lst.push_back(MakeOverride(21, 1, 5));
  lst.push_back(MakeOverride(22, 1, 3));
  ANIMEOVERRIDE paused = MakeOverride(23, 1, 1);
  paused.bPaused = 1;
  lst.push_back(paused);
  // The unpaused priority override with the fewest frames left.
  EXPECT_EQ(CharaCurrentPattern(e, 0), 22);
  EXPECT_EQ(CharaCurrentPattern(e, 0), 22);
  EXPECT_EQ(CharaCurrentPattern(e, 0), 22);
  // Its frames ran out: erased, the next priority one shows.
  EXPECT_EQ(CharaCurrentPattern(e, 0), 21);
  EXPECT_EQ(lst.size(), 2u);  // 21 and the paused one
  EXPECT_EQ(CharaCurrentPattern(e, 1), 21);  // paused: nothing counted
  EXPECT_EQ(CharaCurrentPattern(e, 0), 21);
  // Only the paused override left: the chara's own pattern (a stage chara
  // on the ground starts animation 1).
  lst.erase(lst.begin());
  EXPECT_EQ(CharaCurrentPattern(e, 0), 5);
}

TEST_F(CharaDrawingTest, EveryEffectKindDrawsItsValuePerFrameAndEnds) {
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11);
  for (int nScale : {1, 2}) {
    for (int nKind = 0; nKind < CHARADRAW_KINDS; ++nKind) {
      SCOPED_TRACE(testing::Message() << "kind " << nKind << " scale " << nScale);
      e.m_Def.m_nScale = static_cast<uint8_t>(nScale);
      StartEffect(e, nKind);
      m_vCalls.clear();
      std::vector<int> vResult;
      for (int i = 0; i < 6; ++i) vResult.push_back(CharaDraw(e, nullptr, 0));
      // Finished on the fifth frame, drawn plainly on the sixth.
      EXPECT_EQ(vResult, (std::vector<int>{0, 0, 0, 0, 1, 0}));
      EXPECT_EQ(e.m_Effect.nEffect, 0);
      // Kinds 0 and 6 are the plain draw; the others pass the value
      // truncated (0, 2.5, 5, 7.5, 10), times the scale.
      std::vector<int> want;
      if (nKind != 0 && nKind != 6)
        for (int v : {0, 2, 5, 7, 10}) want.push_back(v * nScale);
      std::vector<int> got;
      for (const BLTCALL& c : m_vCalls) {
        EXPECT_EQ(c.nKind, nKind);
        got.push_back(c.nValue);
      }
      EXPECT_EQ(got, want);
    }
  }
}

TEST_F(CharaDrawingTest, PausedHiddenAndUnknownKinds) {
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11);
  // Paused: the same value drawn again, the effect does not advance.
  StartEffect(e, 4);
  CharaDraw(e, nullptr, 0);
  EXPECT_EQ(CharaDraw(e, nullptr, 1), 0);
  EXPECT_EQ(CharaDraw(e, nullptr, 1), 0);
  EXPECT_DOUBLE_EQ(e.m_Effect.dCurrent, 2.5);
  ASSERT_EQ(m_vCalls.size(), 3u);
  EXPECT_EQ(m_vCalls[2].nValue, 2);
  // Hidden or gone: nothing drawn, the effect still runs to its end.
  for (int bGone : {0, 1}) {
    m_vCalls.clear();
    StartEffect(e, 4);
    e.m_bTransparent = !bGone;
    e.m_bRemoved = bGone;
    int r = 0;
    for (int i = 0; i < 5; ++i) r = CharaDraw(e, nullptr, 0);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(e.m_Effect.nEffect, 0);
    EXPECT_TRUE(m_vCalls.empty());
  }
  e.m_bTransparent = 0;
  e.m_bRemoved = 0;
  // A kind from a damaged database: drawn plainly and ended at once.
  for (int nKind : {17, -1, 1000}) {
    m_vCalls.clear();
    StartEffect(e, nKind);
    EXPECT_EQ(CharaDraw(e, nullptr, 0), 1);
    EXPECT_EQ(e.m_Effect.nEffect, 0);
    EXPECT_TRUE(m_vCalls.empty());
  }
}

TEST_F(CharaDrawingTest, DefeatFramesOfStageCharasAndPlayers) {
  m_Ctx.m_lpPlayer1 = nullptr;
  g_Stage.m_nFps = 3;
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11);
  cPlayer& p = AddPlayer(3);
  // A stage chara without an effect is over at once; with one, when it ends.
  EXPECT_EQ(CharaDrawDefeated(e, nullptr, 0), 1);
  StartEffect(e, 8);
  std::vector<int> v;
  for (int i = 0; i < 5; ++i) v.push_back(CharaDrawDefeated(e, nullptr, 0));
  EXPECT_EQ(v, (std::vector<int>{0, 0, 0, 0, 1}));
  // A player's effect ends without the defeat; then one second of frames,
  // not counting paused ones.
  StartEffect(p, 8);
  v.clear();
  for (int i = 0; i < 5; ++i) v.push_back(CharaDrawDefeated(p, nullptr, 0));
  EXPECT_EQ(v, (std::vector<int>(5, 0)));
  EXPECT_EQ(p.m_Effect.nEffect, 0);
  v.clear();
  for (int bPaused : {0, 1, 0, 0, 0}) v.push_back(CharaDrawDefeated(p, nullptr, bPaused));
  EXPECT_EQ(v, (std::vector<int>{0, 0, 0, 0, 1}));
  // The count starts again for a later defeat.
  EXPECT_EQ(CharaDrawDefeated(p, nullptr, 0), 0);
}

TEST_F(CharaDrawingTest, PictureVariantsAddTheAnimeSetOffsets) {
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11);
  g_Database.m_vecAnimeSet[1].nPictureOffset1 = 1;
  g_Database.m_vecAnimeSet[1].nPictureOffset2 = 10;
  g_Database.m_vecAnimeSet[1].nPictureOffset3 = 100;
  e.CharaSetAnimeSet(1, 1);
  struct {
    int nFlags, want;
  } cases[] = {{0, 1}, {1, 101}, {2, 11}, {4, 2}, {5, 102}, {7, 112}};
  for (const auto& c : cases) {
    e.m_nPictureVariant = c.nFlags;
    int bColour = -1;
    EXPECT_EQ(CharaPictureNumber(e, &bColour), c.want) << c.nFlags;
    EXPECT_EQ(bColour, 0);
  }
  // Offsets from a damaged database: the sum is held, never wrapped.
  for (int32_t nOffset : {INT32_MAX, INT32_MIN}) {
    g_Database.m_vecAnimeSet[1].nPictureOffset1 = g_Database.m_vecAnimeSet[1].nPictureOffset2 =
        g_Database.m_vecAnimeSet[1].nPictureOffset3 = nOffset;
    e.m_nPictureVariant = 7;
    EXPECT_EQ(CharaPictureNumber(e, nullptr), nOffset);
  }
  // A set outside the database: the base picture.
  e.m_Def.m_nAnimeSet = 9;
  EXPECT_EQ(CharaPictureNumber(e, nullptr), 1);
}

// ---- Drawn frames ----

// A chara sheet: row 1 holds picture 1's patterns 0 and 1, a body with a
// nose on the side the sheet faces.
std::vector<uint32_t> CharaSheetPixels(bool bRight, uint32_t body) {
  std::vector<uint32_t> px(64 * 64, t4gfx::kMagenta);
  for (int pat = 0; pat < 2; ++pat)
    for (int y = 36; y < 64; ++y)
      for (int x = 8; x < 24; ++x) px[y * 64 + pat * 32 + x] = pat ? body ^ 0x303030 : body;
  for (int y = 42; y < 48; ++y)
    for (int x = 0; x < 8; ++x) px[y * 64 + (bRight ? 24 + x : x)] = 0xFFFF00;
  return px;
}

class CharaDrawingFrame : public CharaDrawingTest {
 protected:
  void TearDown() override {
    SetPictureSheetSource(nullptr);
    CharaDrawingTest::TearDown();
  }
  void Load(cDrawFixture& fx) {
    SelectSheetSet(true, true);
    fx.LoadSurface(CHARA_FIRST_SHEET, "CharaL.bmp", 64, 64, CharaSheetPixels(false, 0x2060E0));
    fx.LoadSurface(CHARA_FIRST_SHEET + 1, "CharaR.bmp", 64, 64, CharaSheetPixels(true, 0xE04020));
    // Icon 17 is row-major for charas (cell 2 of row 1), column-major for
    // items (cell 1 of row 2).
    std::vector<uint32_t> icons(480 * 96, t4gfx::kMagenta);
    for (int y = 8; y < 24; ++y)
      for (int x = 8; x < 24; ++x) {
        icons[(32 + y) * 480 + 64 + x] = 0x00E000;
        icons[(64 + y) * 480 + 32 + x] = 0x00E0E0;
      }
    fx.LoadSurface(IconSheet(), "Icon.bmp", 480, 96, icons);
    std::vector<uint32_t> gauge(256 * 2, 0);
    for (int y = 0; y < 2; ++y) {
      gauge[y * 256 + 208] = 0x404040;  // frame
      gauge[y * 256 + 210] = 0x00C0FF;  // bar
      gauge[y * 256 + 214] = 0xFF0000;  // loss
    }
    fx.LoadSurface(STAGESURFACE_ACCESSORY, "Gauge.bmp", 256, 2, gauge, 0);
    InstallStageSheetSource();
  }
  void DrawCharas(cDrawFixture& fx, bool bBatch) {
    DDFillRectRGB(&g_BackBufferSD, 0, 0, 640, 480, 0xFF102030);
    if (bBatch) DDBeginBatch(TRUE);
    for (cChara* c : m_vDraw) {
      CharaDraw(*c, &g_BackBufferSD, 0);
      CharaDrawLifeGauge(*c, &g_BackBufferSD, fx.SD(STAGESURFACE_ACCESSORY), 256);
    }
  }
  std::vector<cChara*> m_vDraw;
};

TEST_F(CharaDrawingFrame, BothFacingsWithGaugeAndIcon) {
  for (const auto& mode : DrawModes()) {
    SCOPED_TRACE(mode.szName);
    cDrawFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    Load(fx);
    cPlayer& p = AddPlayer(3);
    cStageChara& e = AddEnemy(MakeEnemyDef(8), 8, 11);
    e.m_nDir = 0;
    p.m_nDir = 1;
    e.CharaChangeLife(-3, 1, 1);
    p.CharaChangeLife(-4, 1, 1);
    e.m_nMark = 17;
    p.m_nMark = 17;
    // A third chara pinned to the screen shows pattern 1 wherever it stands.
    cStageChara& f = AddEnemy(MakeEnemyDef(8), 20, 11);
    f.PinToScreen(500 + f.m_nImgOffsetX, 40 + f.m_nImgOffsetY);
    f.m_Anime.Player.vAnime.assign(1, cVector<ANIMERUNFRAME>{{1, 6, 0}, {ANIME_LOOP, 0, 0}});
    m_vDraw = {&p, &e, &f};
    DrawCharas(fx, false);
    ExpectGolden(std::string("chara_facings_") + mode.szName);
    ClearLiveObjects();
  }
}

TEST_F(CharaDrawingFrame, CharaErasedWhileItsBlitsAreQueued) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  Load(fx);
  cStageChara& e = AddEnemy(MakeEnemyDef(8), 8, 11);
  e.m_nMark = 17;
  e.CharaChangeLife(-3, 1, 1);
  SetCharaEffectBlt(nullptr);  // the plain draw stands in for the blend
  StartEffect(e, 13);
  m_vDraw = {&e};
  DrawCharas(fx, true);
  const RECT rc = e.m_rcScreen;
  // Erased before the batch is drawn: the queue holds no chara.
  ClearLiveObjects();
  m_vDraw.clear();
  DDEndBatch();
  EXPECT_EQ(BackPixel(rc.left + 12, rc.top + 12), 0x00E000u);  // the icon
  EXPECT_EQ(BackPixel(rc.left + 12, rc.bottom - 2), 0x2060E0u);  // the body
}

TEST_F(CharaDrawingFrame, ABlinkShowsAndHidesTheCharaByItsInterval) {
  cDrawFixture fx(DrawModes()[0]);
  ASSERT_TRUE(fx.Ok());
  Load(fx);
  cStageChara& e = AddEnemy(MakeEnemyDef(8), 8, 11);
  e.m_nDir = 0;
  StartEffect(e, 6);
  m_Record.anParam[1] = 2;  // two frames shown, two hidden
  std::vector<int> v;
  for (int i = 0; i < 7; ++i) {
    DDFillRectRGB(&g_BackBufferSD, 0, 0, 640, 480, 0xFF102030);
    CharaDraw(e, &g_BackBufferSD, i == 3);  // a paused frame shows the same again
    v.push_back(BackPixel(e.m_rcScreen.left + 12, e.m_rcScreen.bottom - 2) == 0x2060E0u);
  }
  EXPECT_EQ(v, (std::vector<int>{1, 1, 0, 0, 0, 1, 1}));
}

TEST_F(CharaDrawingFrame, ItemCellAndIconAtItsScale) {
  cDrawFixture fx(DrawModes()[0]);
  ASSERT_TRUE(fx.Ok());
  Load(fx);
  fx.LoadSurface(40, "Item.bmp", 64, 64, CharaSheetPixels(false, 0xC0C000));
  for (int nScale : {1, 2}) {
    SCOPED_TRACE(nScale);
    cEdItem d = MakeItemDef({});
    d.m_nScale = static_cast<uint8_t>(nScale);
    d.m_bShowIcon = 1;
    d.m_nIconIndex = 17;
    cItemObj it;
    it.ItemObjInit(1, d, 0);
    it.m_rcScreen = {100, 100, 100 + it.m_nImgW - 1, 100 + it.m_nImgH - 1};
    DDFillRectRGB(&g_BackBufferSD, 0, 0, 640, 480, 0xFF102030);
    ItemDraw(it, &g_BackBufferSD, true);
    const int s = nScale;
    EXPECT_EQ(BackPixel(100 + 10 * s, 100 + 30 * s), 0xC0C000u);  // the body below the icon
    EXPECT_EQ(BackPixel(100 + 2 * s, 100 + 10 * s), 0xFFFF00u);   // the nose
    EXPECT_EQ(BackPixel(100 + 12 * s, 100 + 12 * s), 0x00E0E0u);  // the icon over it
    EXPECT_EQ(BackPixel(100 + 32 * s + 1, 100 + 12 * s), 0x102030u);
  }
}

}  // namespace
