// The draw batch and the blend state: layer order, what a queued blit keeps,
// the stage-0 operations, text from a character sheet.
#include <gtest/gtest.h>

#include "media/graphics/dd.h"
#include "media/graphics/dd_batch_state.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_raster.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {
const GRAPHICSMODE kD3D32 = {"d3d32", 1, 32, 1};
uint32_t Raw(DDSURFACEDATA* sd, int x, int y) { return DDSurfacePixels(sd)->GetRaw(x, y); }
}  // namespace

TEST(GraphicsBatch, LayersDrawAfterUnregisteredBlitsInRegistrationOrder) {
  cGraphicsFixture fx(kD3D32);
  ASSERT_TRUE(fx.Ok());
  DDSURFACEDATA *a = fx.SD(SF_SHEET), *b = fx.SD(SF_BACKDROP), *c = fx.SD(SF_WORK);
  DDBeginBatch(TRUE);
  DDSetBatchLayer(a);
  DDSetBatchLayer(b);
  DDSetBatchLayer(a);  // already registered: keeps its first offset
  DDBltFast(&g_BackBufferSD, 0, 0, 8, 8, b, 0, 0, 0);
  DDBltFast(&g_BackBufferSD, 0, 0, 8, 8, a, 0, 0, 0);
  DDBltFast(&g_BackBufferSD, 0, 0, 8, 8, c, 0, 0, 0);
  DDBltFast(&g_BackBufferSD, 0, 0, 8, 8, a, 32, 0, 0);
  ASSERT_EQ(g_vBatchLayer.size(), 2u);
  ASSERT_EQ(g_vBatchData.size(), 4u);
  EXPECT_EQ(g_vBatchData[0].nKey, 200000);
  EXPECT_EQ(g_vBatchData[1].nKey, 100001);
  EXPECT_EQ(g_vBatchData[2].nKey, 2);
  EXPECT_EQ(g_vBatchData[3].nKey, 100003);
  DDEndBatch();
  // The backdrop's blit was queued first and drawn last.
  EXPECT_EQ(Raw(&g_BackBufferSD, 3, 3) & 0xFFFFFF, TestPalette()[32]);
  EXPECT_EQ(g_bBatchOpen, 0);
  EXPECT_TRUE(g_vBatchData.empty());

  DDBeginBatch(FALSE);
  DDSetBatchLayer(a);
  EXPECT_TRUE(g_vBatchLayer.empty());
  DDEndBatch();
  EXPECT_EQ(g_bBatchOpen, 0);
}

TEST(GraphicsBatch, QueuedBlitKeepsTheBlendStateOfItsQueueingAndFillsDrawAtOnce) {
  cGraphicsFixture fx(kD3D32);
  ASSERT_TRUE(fx.Ok());
  DDFillSurface(&g_BackBufferSD, 16);
  DDBeginBatch(FALSE);
  DDSetDrawColor(0xFF000000);  // colour modulated to black
  DDBltFast(&g_BackBufferSD, 0, 0, 32, 32, fx.SD(SF_SHEET), 0, 0, 1);
  DDResetDrawColor();
  DDFillRect(&g_BackBufferSD, 0, 0, 64, 64, 40);  // drawn before the queued blit
  EXPECT_EQ(Raw(&g_BackBufferSD, 5, 16) & 0xFFFFFF, TestPalette()[40]);
  DDEndBatch();
  EXPECT_EQ(Raw(&g_BackBufferSD, 5, 16) & 0xFFFFFF, 0u);
  EXPECT_EQ(Raw(&g_BackBufferSD, 0, 0) & 0xFFFFFF, TestPalette()[40]);
}

TEST(GraphicsBatch, StageOperationsOnOneTexel) {
  // Texel 0xFF604020 over a destination of 0xFF102030.
  struct CASE {
    DWORD dwColorOp, dwAlphaOp, dwDiffuse, dwWant;
  };
  const CASE cases[] = {
      {DDTOP_MODULATE, DDTOP_SELECTARG1, 0xFFFFFFFF, 0xFF604020},
      {DDTOP_MODULATE, DDTOP_SELECTARG1, 0xFF808080, 0xFF302010},
      {DDTOP_SELECTARG2, DDTOP_SELECTARG1, 0xFF0000FF, 0xFF0000FF},
      {DDTOP_ADD, DDTOP_SELECTARG1, 0xFFB0D0F0, 0xFFFFFFFF},
      {DDTOP_SUBTRACT, DDTOP_SELECTARG1, 0xFF304050, 0xFF300000},
      {DDTOP_MODULATE2X, DDTOP_SELECTARG1, 0xFF808080, 0xFF604020},
      {DDTOP_DISABLE, DDTOP_SELECTARG1, 0xFF112233, 0xFF112233},
      {99, DDTOP_SELECTARG1, 0xFF808080, 0xFF302010},  // unknown: the default operation
      // Half alpha from the diffuse colour: blended with the destination.
      {DDTOP_SELECTARG1, DDTOP_MODULATE, 0x80FFFFFF, 0xFF383028},
      {DDTOP_SELECTARG1, DDTOP_SELECTARG2, 0x00FFFFFF, 0xFF102030},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dwColorOp << "/" << c.dwAlphaOp);
    cPixelBuffer src(PF_ARGB8888, 1, 1), dst(PF_XRGB8888, 1, 1);
    src.SetRaw(0, 0, 0xFF604020);
    dst.SetRaw(0, 0, 0xFF102030);
    DDSTAGESTATE st;
    st.dwColorOp = c.dwColorOp;
    st.dwAlphaOp = c.dwAlphaOp;
    RasterQuad(dst, 0, 0, 1, 1, &src, 0, 0, 1, 1, c.dwDiffuse, st);
    EXPECT_EQ(RawToArgb(PF_XRGB8888, dst.GetRaw(0, 0)), c.dwWant);
  }
}

TEST(GraphicsBatch, SourceAlphaBlendIsRoundedToTheNearestForEveryAlphaAndChannelPair) {
  // Every alpha against every source and destination byte, on the red and
  // blue lanes and the green and alpha ones: alpha along the rows (whole
  // runs of one alpha, the transparent and opaque ones among them) and
  // along the columns (a different alpha in every pixel). 253 columns
  // from column 3: whole groups of pixels and a ragged end.
  auto Want = [](uint32_t s, uint32_t d, int nShift) {
    uint32_t a = s >> 24, cs = (s >> nShift) & 0xFF, cd = (d >> nShift) & 0xFF;
    return (cs * a + cd * (255 - a) + 127) / 255;
  };
  for (ePixelFormat fmt : {PF_XRGB8888, PF_ARGB8888})
    for (bool bAlphaAlongRows : {true, false}) {
      cPixelBuffer src(PF_ARGB8888, 256, 256);
      for (uint32_t y = 0; y < 256; ++y)
        for (uint32_t x = 0; x < 256; ++x) {
          uint32_t a = bAlphaAlongRows ? y : x, v = bAlphaAlongRows ? x : y;
          src.SetRaw(static_cast<int>(x), static_cast<int>(y), a << 24 | v << 16 | v << 8 | (255 - v));
        }
      for (uint32_t dv = 0; dv < 256; ++dv) {
        const uint32_t d = ((dv * 7) & 0xFF) << 24 | dv << 16 | (255 - dv) << 8 | dv;
        cPixelBuffer dst(fmt, 260, 256);
        dst.FillRaw(0, 0, 260, 256, d);
        RasterQuad(dst, 3, 0, 253, 256, &src, 0, 0, 253, 256, 0xFFFFFFFF, DDSTAGESTATE());
        int nWrong = 0;
        for (int y = 0; y < 256 && nWrong < 3; ++y)
          for (int x = 0; x < 253; ++x) {
            const uint32_t s = src.GetRaw(x, y), got = dst.GetRaw(x + 3, y);
            for (int nShift : {0, 8, 16, 24}) {
              if (nShift == 24 && fmt == PF_XRGB8888) continue;
              if (((got >> nShift) & 0xFF) == Want(s, d, nShift)) continue;
              ADD_FAILURE() << "format " << fmt << " texel " << std::hex << s << " over " << d << " gives " << got;
              ++nWrong;
              break;
            }
          }
        if (nWrong) return;
      }
    }
}

TEST(GraphicsBatch, TextSheetCellsAndLineFeed) {
  cGraphicsFixture fx(kD3D32);
  ASSERT_TRUE(fx.Ok());
  // A 16 x 16-cell sheet of 2 x 2 cells; each cell has its own palette colour.
  DDSURFACEDATA sheet;
  ASSERT_TRUE(DDCreateSurface(&sheet, 32, 32, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 16; ++col) DDFillRect(&sheet, col * 2, row * 2, 2, 2, (row * 16 + col) & 0xFF);
  DDFillSurface(&g_BackBufferSD, 16);
  DDDrawTextBatch(&g_BackBufferSD, 10, 20, 2, 2, &sheet, "A\nB\xB1");
  const std::vector<uint32_t> pal = TestPalette();
  EXPECT_EQ(Raw(&g_BackBufferSD, 10, 20) & 0xFFFFFF, pal[0x41]);
  EXPECT_EQ(Raw(&g_BackBufferSD, 10, 22) & 0xFFFFFF, pal[0x42]);
  // Half-width katakana 0xB1 sits in row 1 of the sheet.
  EXPECT_EQ(Raw(&g_BackBufferSD, 12, 22) & 0xFFFFFF, pal[0x11]);
  DDReleaseSurface(&sheet);
}

TEST(GraphicsBatch, FillBatchDrawsItsRecordsInOrderAtTheEnd) {
  cGraphicsFixture fx(kD3D32);
  ASSERT_TRUE(fx.Ok());
  DDFillSurface(&g_BackBufferSD, 16);
  DDBeginFillBatch();
  DDFillRect(&g_BackBufferSD, 0, 0, 10, 10, 40);
  DDFillRect(&g_BackBufferSD, 5, 5, 10, 10, 41);
  EXPECT_EQ(Raw(&g_BackBufferSD, 6, 6) & 0xFFFFFF, 0x203050u);
  DDEndFillBatch();
  const std::vector<uint32_t> pal = TestPalette();
  EXPECT_EQ(Raw(&g_BackBufferSD, 1, 1) & 0xFFFFFF, pal[40]);
  EXPECT_EQ(Raw(&g_BackBufferSD, 6, 6) & 0xFFFFFF, pal[41]);
  // Closed again: the next fill is drawn at once.
  DDFillRect(&g_BackBufferSD, 0, 0, 2, 2, 42);
  EXPECT_EQ(Raw(&g_BackBufferSD, 1, 1) & 0xFFFFFF, pal[42]);
}
