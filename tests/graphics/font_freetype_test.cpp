// Text drawn with the real glyph source: the Windows face names map to the
// IPA fonts, and "タイトル" / "ゲームスタート" in the gothic face match the
// golden picture (made again with T4_UPDATE_GOLDEN=1).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/font.h"
#include "platform/glyph_source.h"
#include "platform/screenshot.h"
#include "platform/text_cp932.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

TEST(FontFaceMap, WindowsFacesMapToTheIpaFamilies) {
  struct CASE {
    const char* szFace;
    const char* szFamily;
  };
  const CASE cases[] = {
      {"ＭＳ ゴシック", "IPAGothic"},  {"MS Gothic", "IPAGothic"},   {"ms gothic", "IPAGothic"},
      {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ 明朝", "IPAMincho"},   {"ＭＳ Ｐ明朝", "IPAPMincho"},
      {"HGｺﾞｼｯｸE", "IPAGothic"},       {"メイリオ", "IPAPGothic"},   {"", "IPAGothic"},
      {"Arial", ""},                   {"ＭＳゴシック", ""},
  };
  for (const CASE& c : cases) EXPECT_EQ(SystemFamilyOfFace(Sjis(c.szFace)), c.szFamily) << c.szFace;
}

TEST(FontFreeType, TitleTextsInTheGothicFaceMatchTheGolden) {
  SetGlyphSourceForTests(nullptr);
  cGraphicsFixture fx(AllModes()[5]);
  ASSERT_TRUE(fx.Ok());
  cFont font;
  font.Init(Sjis("ＭＳ ゴシック").c_str(), 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, 1);
  DDFillSurface(&g_BackBufferSD, 16);
  font.DrawText(&g_BackBufferSD, 8, 8, Sjis("タイトル").c_str(), 0);
  font.DrawText(&g_BackBufferSD, 8, 32, Sjis("ゲームスタート\nStart 100%").c_str(), 0);
  font.ReleaseFonts();

  const int w = 176, h = 72;
  std::vector<uint32_t> all = BackBufferPixels(), px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = all[static_cast<size_t>(y) * 320 + x];

  // Every character of "タイトル" has ink of its own (a face that was not
  // found would leave the cells empty).
  uint32_t back = px[0];
  for (int k = 0; k < 4; ++k) {
    int n = 0;
    for (int y = 8; y < 24; ++y)
      for (int x = 8 + 16 * k; x < 24 + 16 * k; ++x) n += px[static_cast<size_t>(y) * w + x] != back;
    EXPECT_GT(n, 12) << "character " << k;
  }

  const std::string golden = std::string(T4_SOURCE_DIR) + "/tests/golden/graphics/font_ipa_gothic.png";
  const char* upd = std::getenv("T4_UPDATE_GOLDEN");
  if (upd && std::string(upd) == "1") {
    ASSERT_TRUE(WritePng(golden, px.data(), w, h, w));
    return;
  }
  std::vector<uint32_t> want;
  int gw = 0, gh = 0;
  ASSERT_TRUE(ReadPng(golden, want, gw, gh)) << golden << " (make it with T4_UPDATE_GOLDEN=1)";
  ASSERT_EQ(gw, w);
  ASSERT_EQ(gh, h);
  EXPECT_TRUE(want == px) << "the text differs from " << golden;
}
