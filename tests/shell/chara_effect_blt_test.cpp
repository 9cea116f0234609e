// The chara effects' drawing on both paths, kind by kind, on a chara cell
// with a body and a nose: where the picture lands, which facing shows, and
// what the colour operations do to it; and a scaled chara drawn into the
// work surface first, its strength times its scale.
#include "shell/chara_effect_blt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "media/graphics/dd_pixel_effects.h"
#include "play/chara_drawing.h"
#include "tests/play/draw_fixture.h"

namespace {

constexpr uint32_t kBack = 0x102030;
constexpr uint32_t kBody = 0x2060E0, kBodyOther = 0xE04020, kNose = 0xFFFF00;
constexpr int kX = 200, kY = 150;  // the unscaled chara's screen box

// A 32 x 32 cell: a body (x 8 to 23, y 4 to 31) and a nose at the left
// (x 0 to 7, y 10 to 15), or at the right on the sheet of the other facing.
std::vector<uint32_t> Cell(bool bRight, uint32_t body) {
  std::vector<uint32_t> px(32 * 32, t4gfx::kMagenta);
  for (int y = 4; y < 32; ++y)
    for (int x = 8; x < 24; ++x) px[static_cast<size_t>(y * 32 + x)] = body;
  for (int y = 10; y < 16; ++y)
    for (int x = 0; x < 8; ++x) px[static_cast<size_t>(y * 32 + (bRight ? 24 + x : x))] = kNose;
  return px;
}

// Closer to c than b is, channel by channel (or equal to it).
bool MovedToward(uint32_t got, uint32_t b, uint32_t c) {
  for (int s : {16, 8, 0}) {
    const int g = static_cast<int>(got >> s & 0xFF), o = static_cast<int>(b >> s & 0xFF), t = static_cast<int>(c >> s & 0xFF);
    if (std::abs(g - t) > std::abs(o - t)) return false;
  }
  return got != b;
}

class CharaEffectBltTest : public ::testing::TestWithParam<t4gfx::GRAPHICSMODE> {
 protected:
  void SetUp() override {
    m_lpFx = std::make_unique<cDrawFixture>(GetParam());
    ASSERT_TRUE(m_lpFx->Ok());
    m_lpFx->LoadSurface(4, "CharaL.bmp", 32, 32, Cell(false, kBody));
    m_lpFx->LoadSurface(5, "CharaR.bmp", 32, 32, Cell(true, kBodyOther));
    m_lpFx->MakeSurface(67, 640, 480);
  }
  // The chara drawn at kind nKind with strength nValue (its params given),
  // scale 1 or 2, over the plain background.
  void Draw(int nKind, int nValue, std::vector<int> params = {}, int nScale = 1, int nFrame = 0) {
    CHARADRAWPARAMS p;
    p.lpSrc = m_lpFx->SD(4);
    p.lpSrcOpposite = m_lpFx->SD(5);
    p.lpWork = m_lpFx->SD(67);
    p.sw = p.sh = 32;
    p.w = p.h = 32 * nScale;
    p.x = kX;
    p.y = kY;
    p.nScale = nScale;
    p.nKind = nKind;
    p.nValue = nValue;
    p.nFrame = nFrame;
    for (size_t i = 0; i < params.size() && i < 5; ++i) p.nParam[i] = params[i];
    DDFillRectRGB(&g_BackBufferSD, 0, 0, 640, 480, 0xFF000000u | kBack);
    CharaEffectBlt(&g_BackBufferSD, p);
  }
  static uint32_t At(int x, int y) { return BackPixel(kX + x, kY + y); }

  std::unique_ptr<cDrawFixture> m_lpFx;
};

TEST_P(CharaEffectBltTest, EachKindDrawsAsItsOperationSays) {
  struct CASE {
    const char* pszWhat;
    int nKind, nValue;
    std::vector<int> params;
    int nScale, nFrame;
    std::function<void()> check;
  } cases[] = {
      {"burst: the quarters 6 pixels apart", 1, 6, {}, 1, 0,
       [] {
         EXPECT_EQ(At(-6 + 4, -6 + 12), kNose);
         EXPECT_EQ(At(4, 12), kBack);
       }},
      {"split: four rows apart by the strength", 2, 3, {5, 0, 32, 4}, 1, 0,
       [] {
         // Rows 8 to 15 (the nose's strip, the second of four) go 3 left.
         EXPECT_EQ(At(-3 + 1, 12), kNose);
         EXPECT_EQ(At(22, 12), kBack);
         EXPECT_EQ(At(22, 20), kBody);
       }},
      {"rotation A by half a turn: the nose on the right, below", 7, 180, {}, 1, 0,
       [] {
         EXPECT_EQ(At(28, 18), kNose);
         EXPECT_EQ(At(4, 12), kBack);
       }},
      {"rotation B likewise", 8, 180, {}, 1, 0,
       [] {
         EXPECT_EQ(At(28, 18), kNose);
         EXPECT_EQ(At(4, 12), kBack);
       }},
      {"turn into depth, squeezed", 9, 8, {}, 1, 0,
       [] {
         EXPECT_EQ(At(4, 20), kBack);  // 8 in from each side
         EXPECT_EQ(At(12, 20), kBody);
       }},
      {"turn into depth, opened the other way round", 9, 31, {}, 1, 0,
       [] {
         EXPECT_EQ(At(28, 12), kNose);
         EXPECT_EQ(At(12, 20), kBodyOther);
       }},
      {"enlarged to 64 pixels about its centre", 11, 64, {}, 1, 0,
       [] {
         EXPECT_EQ(At(-16 + 4, -16 + 25), kNose);
         EXPECT_EQ(At(-16 + 20, -16 + 60), kBody);
       }},
      {"colour change toward colour 100 over the plain draw", 13, 2, {10, 1, 4, 100}, 1, 0,
       [] {
         const uint32_t c = PalNumToRGB(100) & 0xFFFFFF;
         EXPECT_TRUE(MovedToward(At(12, 20), kBody, c)) << std::hex << At(12, 20) << " " << c;
         EXPECT_EQ(At(28, 20), kBack);
       }},
      {"mosaic: the nose's 8-pixel block is of one colour", 15, 8, {}, 1, 0,
       [] {
         for (int y = 8; y < 16; ++y) EXPECT_EQ(At(3, y), At(3, 12)) << y;
       }},
      {"translucent", 14, 0, {10, 9999}, 1, 0,
       [] {
         EXPECT_NE(At(12, 20), kBody);
         EXPECT_NE(At(12, 20), kBack);
       }},
      {"translucent, shown plainly by turns", 14, 0, {10, 2}, 1, 2, [] { EXPECT_EQ(At(12, 20), kBody); }},
      {"scaled: the burst of the picture at twice its size, 2 x 4 pixels apart", 1, 8, {}, 2, 0,
       [] {
         EXPECT_EQ(At(-8 + 8, -8 + 24), kNose);
         EXPECT_EQ(At(8 + 40, 8 + 40), kBody);
         EXPECT_EQ(At(30, 40), kBack);  // between the quarters
       }},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    Draw(c.nKind, c.nValue, c.params, c.nScale, c.nFrame);
    c.check();
  }
  // Blur mixes the nose into the body next to it.
  Draw(16, 2, {10, 1, 4});
  EXPECT_NE(At(9, 12), kBody);
  EXPECT_NE(At(9, 12), kNose);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, CharaEffectBltTest, ::testing::ValuesIn(DrawModes()),
                         [](const auto& info) { return std::string(info.param.szName); });

}  // namespace
