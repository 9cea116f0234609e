#include "play/status_bar.h"

#include <gtest/gtest.h>

#include "platform/text_cp932.h"
#include "records/system.h"
#include "tests/play/draw_fixture.h"

namespace {

class StatusBar : public ::testing::Test {
 protected:
  void SetUp() override { g_System.m_vecStatusItem.assign(5, cEdSystemElemB()); }
  void TearDown() override { g_System.m_vecStatusItem.assign(5, cEdSystemElemB()); }
  cEdSystemElemB& Item(int i) { return g_System.m_vecStatusItem[static_cast<size_t>(i)]; }
};

}  // namespace

TEST_F(StatusBar, ItemsShareTheGapsLeft) {
  // Labels of 4, 3 and 2 characters (one of them two-byte), digits 5 and 3.
  Item(0) = cEdSystemElemB();
  Item(0).m_bShown = 1;
  Item(0).m_strLabel = "SCOR";
  Item(0).m_nDigits = 5;
  Item(2).m_bShown = 1;
  Item(2).m_strLabel = Sjis("ＨＰ:");
  Item(4).m_bShown = 1;
  Item(4).m_strLabel = "x ";
  Item(4).m_nDigits = 3;
  int anX[STATUS_ITEM_COUNT];
  EXPECT_EQ(StatusBarPositions(anX), 3);
  EXPECT_EQ(anX[0], 79);
  EXPECT_EQ(anX[1], -1);
  EXPECT_EQ(anX[2], 302);
  EXPECT_EQ(anX[4], 479);
  // An icon takes 16 pixels in place of the label.
  Item(2).m_bIcon = 1;
  StatusBarPositions(anX);
  EXPECT_EQ(anX[0], (638 - 144 - 66 - 80) / 4);
  // Nothing shown: nothing placed.
  for (auto& it : g_System.m_vecStatusItem) it.m_bShown = 0;
  EXPECT_EQ(StatusBarPositions(anX), 0);
}

TEST_F(StatusBar, GaugeWidthsStayInTheFrame) {
  struct {
    int32_t v, nMax, want;
  } cases[] = {
      {10, 20, 25}, {20, 20, 50}, {0, 20, 0}, {5, 0, 0},  // no maximum: empty
      {300, 20, 50}, {-7, 20, 0},                          // out of range
      {2000000000, 2100000000, 47},                         // v x 50 past 32 bits
  };
  for (const auto& c : cases) EXPECT_EQ(StatusGaugeWidth(c.v, c.nMax), c.want) << c.v << "/" << c.nMax;
}

TEST_F(StatusBar, DrawsStripIconsAndGauges) {
  cDrawFixture fx(DrawModes()[1]);
  ASSERT_TRUE(fx.Ok());
  fx.LoadSurface(STAGESURFACE_STATUSWINDOW, "StatusWindow.bmp", 640, 20, std::vector<uint32_t>(640 * 20, 0x303030), 0);
  std::vector<uint32_t> acc(128 * 176, t4gfx::kMagenta);
  auto fill = [&](int x0, int y0, int w, int h, uint32_t c) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) acc[y * 128 + x] = c;
  };
  fill(32, 32, 16, 16, 0xA0A000);   // HP icon
  fill(0, 128, 50, 16, 0x404080);   // HP frame (an opaque box for the test)
  fill(0, 144, 50, 16, 0x00C000);   // HP fill
  fill(0, 160, 50, 16, 0xC00000);   // HP low fill
  fx.LoadSurface(STAGESURFACE_ACCESSORY, "Accessory.bmp", 128, 176, acc);
  Item(2).m_bShown = 1;
  Item(2).m_bIcon = 1;
  Item(2).m_nLowMark = 5;
  int anX[STATUS_ITEM_COUNT];
  StatusBarPositions(anX);
  const int x = anX[2], gx = x + 16;
  ASSERT_EQ(x, (638 - 66) / 2);

  struct {
    int32_t v, nMax;
    uint32_t wantAt0, wantAt30;
  } cases[] = {
      {30, 50, 0x00C000, 0x404080},  // 30 pixels filled
      {3, 50, 0xC00000, 0x404080},   // at or below the mark: the low fill
      {10, 0, 0x404080, 0x404080},   // no maximum: the empty frame
  };
  for (const auto& c : cases) {
    STATUSBARVALUES v;
    v.nHp = c.v;
    v.nMaxHp = c.nMax;
    DDFillSurface(&g_BackBufferSD, 16);
    DrawStatusBar(&g_BackBufferSD, v, true);
    EXPECT_EQ(BackPixel(0, 0), 0x303030u);
    EXPECT_EQ(BackPixel(x + 3, 5), 0xA0A000u);
    EXPECT_EQ(BackPixel(gx, 5), c.wantAt0) << c.v;
    EXPECT_EQ(BackPixel(gx + 30, 5), c.wantAt30) << c.v;
  }
  // The stage's switch off: nothing at all.
  DDFillSurface(&g_BackBufferSD, 16);
  const uint32_t c16 = BackPixel(0, 0);
  DrawStatusBar(&g_BackBufferSD, STATUSBARVALUES(), false);
  EXPECT_EQ(BackPixel(0, 0), c16);
  EXPECT_EQ(BackPixel(x + 3, 5), c16);
}
