#include "play/message_text.h"

#include <gtest/gtest.h>

#include <climits>

#include "media/graphics/font.h"
#include "platform/text_cp932.h"
#include "records/progress.h"
#include "tests/flow/fake_flow_host.h"
#include "tests/play/draw_fixture.h"
#include "tests/play/play_fixture.h"

namespace {

class MessageText : public cPlayFixture {
 protected:
  void SetUp() override {
    m_Stage.m_vVar.assign(255, 0);
    g_FlowContext.m_lpStage = &m_Stage;
    g_Progress.m_vVar.assign(kCommonVarCount, 0);
    m_nOldSpacing = g_Fonts[1].m_nCharSpacing;
    m_nOldLine = g_Fonts[1].m_nLineSpacing;
    // Fixed cells, so that sizes do not hang on a face.
    g_Fonts[1].m_nCharSpacing = 8;
    g_Fonts[1].m_nLineSpacing = 16;
  }
  void TearDown() override {
    ClearStageTexts();
    SetTextCharaLookup(nullptr);
    g_FlowContext.m_lpStage = nullptr;
    g_Fonts[1].m_nCharSpacing = m_nOldSpacing;
    g_Fonts[1].m_nLineSpacing = m_nOldLine;
    cPlayFixture::TearDown();
  }
  cFakeStage m_Stage;
  int m_nOldSpacing = 0, m_nOldLine = 0;
};

cTestChara* s_lpChara = nullptr;
cGameObj* FindTestChara(int nId) { return s_lpChara && s_lpChara->m_nId == nId ? s_lpChara : nullptr; }

}  // namespace

TEST_F(MessageText, TokensBecomeVariableValues) {
  m_Stage.m_vVar[1] = 42;
  m_Stage.m_vVar[2] = -42;
  m_Stage.m_vVar[3] = 7;
  m_Stage.m_vVar[4] = INT_MIN;
  m_Stage.m_vVar[12] = 5;
  g_Progress.m_vVar[5] = 7;
  g_Progress.m_vVar[1] = 99;
  const std::string pairHash = "\x81#S1";  // a lead byte with "#" after it
  const std::string lineEnd = Sjis("残り") + "\n#S1";
  struct {
    std::string src, want;
  } cases[] = {
      {"#S1", "42"},
      {"#S1_5.", "   42"},
      {"#S1_Z5.", "00042"},
      {"#S2_5.", "-   42"},
      {"#S12_Z3.", "005"},
      {"#C5_4.", "   7"},
      {"#S3_P.", "+7"},
      {"#s3_p", "+7"},
      {"#S2_P.", "-42"},
      {"#S1_39.", "       42"},  // the last width digit wins
      {"#S4", "-2147483648"},
      {"#CS1", "99"},  // the common variables win
      {"x#S1y#S3.z", "x42y7.z"},
      {"#S1_Zq", "42q"},
      // Not tokens: left as they are.
      {"#S0", "#S0"},
      {"#S256", "#S256"},
      {"#X1", "#X1"},
      {"#_5.", "#_5."},
      {"#S99999999999", "#S99999999999"},
      {"##S1", "#42"},
      // The last stage variable is past the 255 the stage holds: 0, no fault.
      {"#S255", "0"},
      {pairHash, pairHash},
      {lineEnd, Sjis("残り") + "\n42"},
      {Sjis("ＨＰ#S1"), Sjis("ＨＰ") + "42"},
  };
  const int nFailures = CheckedAccessFailures();
  for (const auto& c : cases) EXPECT_EQ(LayoutTextTokens(c.src), c.want) << c.src;
  EXPECT_EQ(CheckedAccessFailures(), nFailures);
}

TEST_F(MessageText, PositionsByModePinnedAndKeptInside) {
  Start(MakeBlockStage(40, 30, 5));
  cTestChara chara;
  chara.m_nId = 7;
  chara.m_dX = 600.7;
  chara.m_dY = 500.2;
  chara.m_nImgW = 32;
  chara.m_nImgH = 48;
  chara.m_nImgOffsetX = 4;
  chara.m_nImgOffsetY = 6;
  s_lpChara = &chara;
  SetTextCharaLookup(FindTestChara);
  m_Ctx.m_aScroll[SCROLL_X].dPos = 400;
  m_Ctx.m_aScroll[SCROLL_Y].dPos = 300;
  // The chara stands at screen (200, 200); the text is 42 x 18.
  struct {
    int nMode, nCellX, nCellY, nOffX, nOffY;
    int x, y;
  } cases[] = {
      {0, 0, 0, 5, -5, 320 + 5 - 21, 240 - 5 - 9},
      {1, 0, 0, 0, 0, 200 + 16 - 4 - 21, 200 - 6 - 18},
      {4, 0, 0, 3, 2, 200 + 16 - 4 - 21 + 3, 200 - 6 - 18 + 2},
      {2, 0, 0, 0, 0, 191, 200 - 6 + 48 + 1},
      {6, 0, 0, 0, 0, 191, 200 + 24 - 6 - 9},
      {7, 3, 2, 1, 1, 97, 65},
      {8, 3, 2, 0, 0, (10 + 3) * 32 - 400, (10 + 2) * 32 - 300},
  };
  for (const auto& c : cases) {
    TEXTOBJ t;
    t.set.nPosMode = c.nMode;
    t.set.nCharaId = 7;
    t.set.nCellX = c.nCellX;
    t.set.nCellY = c.nCellY;
    t.set.nOffsetX = c.nOffX;
    t.set.nOffsetY = c.nOffY;
    t.nWidth = 42;
    t.nHeight = 18;
    int x, y;
    ASSERT_TRUE(t.TextPlace(x, y)) << c.nMode;
    EXPECT_EQ(x, c.x) << c.nMode;
    EXPECT_EQ(y, c.y) << c.nMode;
  }

  // Pinned in mode 0 the text keeps its place in the stage; over a chara it
  // keeps its place on the screen.
  TEXTOBJ pinned;
  pinned.set.bPin = 1;
  pinned.nWidth = 40;
  pinned.nHeight = 20;
  TEXTOBJ over = pinned;
  over.set.nPosMode = 1;
  over.set.nCharaId = 7;
  int x, y, x2, y2;
  pinned.TextPlace(x, y);
  over.TextPlace(x2, y2);
  m_Ctx.m_aScroll[SCROLL_X].dPos = 410;
  m_Ctx.m_aScroll[SCROLL_Y].dPos = 290;
  chara.m_dX += 50;
  int px, py;
  pinned.TextPlace(px, py);
  EXPECT_EQ(px, x - 10);
  EXPECT_EQ(py, y + 10);
  over.TextPlace(px, py);
  EXPECT_EQ(px, x2);
  EXPECT_EQ(py, y2);

  // Keep inside at both edges.
  TEXTOBJ edge;
  edge.set.nPosMode = 7;
  edge.set.bKeepInside = 1;
  edge.nWidth = 100;
  edge.set.nOffsetX = -30;
  edge.TextPlace(x, y);
  EXPECT_EQ(x, 0);
  edge.set.nOffsetX = 600;
  edge.TextPlace(x, y);
  EXPECT_EQ(x, 540);

  // The chara gone: no place.
  s_lpChara = nullptr;
  EXPECT_FALSE(over.TextPlace(x, y));
}

TEST_F(MessageText, MeasuredSizesKeepPairsWhole) {
  TEXTOBJ t;
  int w, h;
  t.TextRender(&w, &h, Sjis("あいう") + "ab\nc");
  EXPECT_EQ(w, 5 * 8 + 2);
  EXPECT_EQ(h, 2 * 16 + 2);
  t.TextRender(&w, &h, "");
  EXPECT_EQ(w, 2);
}

TEST_F(MessageText, LifePopInAndTheLostChara) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  Start(MakeBlockStage(40, 30, 5));

  // A timed text of life 0 is drawn once, then finished.
  {
    TEXTSETUP s;
    s.strText = "hi";
    s.nLifeMode = TEXTLIFE_TIMED;
    s.nLife = 0;
    TEXTOBJ t;
    t.TextObjectSetup(s, 0);
    ASSERT_NE(t.lpSD, nullptr);
    EXPECT_EQ(t.nWidth, 18);
    EXPECT_EQ(g_lstTextSD.size(), 1u);
    EXPECT_EQ(t.TextObjectDraw(&g_BackBufferSD, 0, 1), 0);
    EXPECT_TRUE(t.bDrawn);
    // A paused frame that does not count keeps it.
    EXPECT_EQ(t.TextObjectDraw(&g_BackBufferSD, 1, 2), 0);
    EXPECT_EQ(t.TextObjectDraw(&g_BackBufferSD, 0, 3), 1);
    EXPECT_TRUE(g_lstTextSD.empty());
    // A timed text of life 3 shows for 3 counted frames.
    s.nLife = 3;
    t.TextObjectSetup(s, 0);
    int n = 0;
    while (t.TextObjectDraw(&g_BackBufferSD, 0, 1) == 0 && n < 10) ++n;
    EXPECT_EQ(n, 3);
  }
  // Pop-in: the framed box for nine frames, the text from the tenth.
  {
    TEXTSETUP s;
    s.strText = "pop";
    TEXTOBJ t;
    t.TextObjectSetup(s, 0);
    EXPECT_TRUE(t.bPopIn);
    // Mark the text's own surface so that its copy shows on the back buffer.
    DDFillSurface(t.lpSD, 200);
    const uint32_t mark = PixelAt(t.lpSD, 3, 3);
    int x, y;
    t.TextPlace(x, y);
    for (int f = 1; f <= 10; ++f) {
      DDFillSurface(&g_BackBufferSD, 16);
      const uint32_t c16 = BackPixel(0, 0);
      t.TextObjectDraw(&g_BackBufferSD, 0, f);
      EXPECT_EQ(BackPixel(x + 3, y + 3) == mark, f >= 10) << f;
      if (f < 10) {
        EXPECT_EQ(BackPixel(x + 3, y + 3), c16) << f;
      }
    }
    t.RemoveSurface();
  }
  // A text over a chara that is gone ends in that frame.
  {
    cTestChara chara;
    chara.m_nId = 3;
    s_lpChara = &chara;
    SetTextCharaLookup(FindTestChara);
    TEXTSETUP s;
    s.strText = "!";
    s.nPosMode = 1;
    s.nCharaId = 3;
    TEXTOBJ t;
    t.TextObjectSetup(s, 0);
    EXPECT_EQ(t.TextObjectDraw(&g_BackBufferSD, 0, 1), 0);
    s_lpChara = nullptr;
    EXPECT_EQ(t.TextObjectDraw(&g_BackBufferSD, 0, 2), 1);
    EXPECT_TRUE(g_lstTextSD.empty());
  }
  // A refreshing text follows its variable and is remade at a new size.
  {
    TEXTSETUP s;
    s.strText = "#S1";
    s.bSubstitute = 1;
    s.bRefresh = 1;
    s.nInterval = 2;
    m_Stage.m_vVar[1] = 5;
    TEXTOBJ t;
    t.TextObjectSetup(s, 0);
    EXPECT_EQ(t.strWork, "5");
    m_Stage.m_vVar[1] = 1234;
    t.TextObjectDraw(&g_BackBufferSD, 0, 3);
    EXPECT_EQ(t.strWork, "5");
    t.TextObjectDraw(&g_BackBufferSD, 0, 4);
    EXPECT_EQ(t.strWork, "1234");
    EXPECT_EQ(t.nWidth, 34);
    ASSERT_NE(t.lpSD, nullptr);
    EXPECT_EQ(t.lpSD->nWidth, 34);
    EXPECT_EQ(g_lstTextSD.size(), 1u);
    // Set up again over its kept surface with a longer text: the surface
    // follows the size.
    s.strText = "longer text";
    s.bSubstitute = 0;
    t.TextObjectSetup(s, 1);
    ASSERT_NE(t.lpSD, nullptr);
    EXPECT_EQ(t.lpSD->nWidth, 11 * 8 + 2);
    EXPECT_EQ(g_lstTextSD.size(), 1u);
    t.RemoveSurface();
  }
}
