// The chara effects' drawing: a transforming kind moves the picture away
// from its plain place by its strength, and a stretched chara is drawn
// plainly.
#include "shell/chara_effect_blt.h"

#include <gtest/gtest.h>

#include <vector>

#include "play/chara_drawing.h"
#include "tests/play/draw_fixture.h"

namespace {

std::vector<uint32_t> Drawn(const CHARADRAWPARAMS& p, bool bPlain) {
  DDFillSurface(&g_BackBufferSD, 0);
  if (bPlain)
    CharaPlainBlt(&g_BackBufferSD, p);
  else
    CharaEffectBlt(&g_BackBufferSD, p);
  std::vector<uint32_t> v;
  for (int y = 90; y < 190; ++y)
    for (int x = 90; x < 190; ++x) v.push_back(BackPixel(x, y));
  return v;
}

}  // namespace

TEST(CharaEffectBlt, QuartersSpreadByTheirStrengthAndStretchedCharasDrawPlainly) {
  cDrawFixture fx({"dd32", 0, 32, 1});
  ASSERT_TRUE(fx.Ok());
  fx.MakeSurface(2, 32, 32, 5);
  CHARADRAWPARAMS p;
  p.lpSrc = fx.SD(2);
  p.sw = p.sh = p.w = p.h = 32;
  p.x = p.y = 120;
  p.nKind = 1;
  EXPECT_EQ(Drawn(p, false), Drawn(p, true));
  p.nValue = 8;
  EXPECT_NE(Drawn(p, false), Drawn(p, true));
  p.w = p.h = 64;
  p.nScale = 2;
  EXPECT_EQ(Drawn(p, false), Drawn(p, true));
}
