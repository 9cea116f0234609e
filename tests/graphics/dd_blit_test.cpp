// Blits and fills: clipping, the colour key of each path, opaque blits of
// keyed sources, mirrored parents, the pixel path, the virtual back buffer.
#include <gtest/gtest.h>

#include <climits>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {

const GRAPHICSMODE kDD32 = {"dd32", 0, 32, 1};
const GRAPHICSMODE kDD16 = {"dd16", 0, 16, 1};
const GRAPHICSMODE kD3D32 = {"d3d32", 1, 32, 1};

uint32_t Rgb(DDSURFACEDATA* sd, int x, int y) {
  cPixelBuffer* b = DDSurfacePixels(sd);
  return RawToArgb(b->Format(), b->GetRaw(x, y)) & 0xFFFFFF;
}
uint32_t Raw(DDSURFACEDATA* sd, int x, int y) { return DDSurfacePixels(sd)->GetRaw(x, y); }

}  // namespace

TEST(GraphicsBlit, ClipTable) {
  cGraphicsFixture fx(kDD32);
  ASSERT_TRUE(fx.Ok());
  DDSURFACEDATA* sheet = fx.SD(SF_SHEET);  // 64 x 32
  struct CASE {
    int x, y, w, h, sx, sy, sw, sh;
    BOOL bOk;
    int ex, ey, ew, eh, esx, esy, esw, esh;
  };
  const CASE cases[] = {
      {-10, 0, 32, 32, 0, 0, 32, 32, TRUE, 0, 0, 22, 32, 10, 0, 22, 32},        // left edge
      {300, 220, 32, 32, 32, 0, 32, 32, TRUE, 300, 220, 20, 20, 32, 0, 20, 20},  // right and bottom
      {-20, 0, 400, 8, 0, 0, 400, 8, TRUE, 0, 0, 44, 8, 20, 0, 44, 8},           // both sides: source cut first
      {5, 5, 0, 10, 0, 0, 0, 10, FALSE, 0, 0, 0, 0, 0, 0, 0, 0},                 // zero width
      {5, 5, 10, 10, 70, 0, 10, 10, FALSE, 0, 0, 0, 0, 0, 0, 0, 0},              // source beyond
      {5, 5, 64, 32, 0, 0, 32, 16, TRUE, 5, 5, 64, 32, 0, 0, 32, 16},            // stretch inside
      {5, 5, 64, 32, 48, 0, 32, 16, TRUE, 5, 5, 32, 32, 48, 0, 16, 16},          // stretch, source cut
      {-32, 0, 64, 32, 0, 0, 32, 16, TRUE, 0, 0, 32, 32, 16, 0, 16, 16},         // stretch, destination cut
      // Positions at the ends of int: nothing wraps round into the picture.
      {INT_MIN, 0, 32, 32, 0, 0, 32, 32, FALSE, 0, 0, 0, 0, 0, 0, 0, 0},
      {0, INT_MIN, 32, 32, 0, 0, 32, 32, FALSE, 0, 0, 0, 0, 0, 0, 0, 0},
      {INT_MAX, 0, 32, 32, 0, 0, 32, 32, FALSE, 0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 32, 32, INT_MAX, 0, 32, 32, FALSE, 0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 32, 32, INT_MIN + 1, 0, 32, 32, FALSE, 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const CASE& c : cases) {
    int x = c.x, y = c.y, w = c.w, h = c.h, sx = c.sx, sy = c.sy, sw = c.sw, sh = c.sh;
    BOOL b = DDClipBlt(&g_BackBufferSD, &x, &y, &w, &h, sheet, &sx, &sy, &sw, &sh);
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.w << "x" << c.h);
    ASSERT_EQ(b, c.bOk);
    if (!b) continue;
    EXPECT_EQ(x, c.ex);
    EXPECT_EQ(y, c.ey);
    EXPECT_EQ(w, c.ew);
    EXPECT_EQ(h, c.eh);
    EXPECT_EQ(sx, c.esx);
    EXPECT_EQ(sy, c.esy);
    EXPECT_EQ(sw, c.esw);
    EXPECT_EQ(sh, c.esh);
  }
}

TEST(GraphicsBlit, LeftClippedCellCopiesItsRightColumns) {
  cGraphicsFixture fx(kDD32);
  ASSERT_TRUE(fx.Ok());
  DDFillSurface(&g_BackBufferSD, 16);
  EXPECT_EQ(DDBltFast(&g_BackBufferSD, -10, 0, 32, 32, fx.SD(SF_SHEET), 32, 0, 0), 0);
  std::vector<uint32_t> px = SheetPixels();
  for (int x = 0; x < 22; ++x) EXPECT_EQ(Rgb(&g_BackBufferSD, x, 3), px[3 * 64 + 32 + 10 + x]) << x;
  EXPECT_EQ(Rgb(&g_BackBufferSD, 22, 3), 0x203050u);
}

TEST(GraphicsBlit, DirectDrawKeyIsTheExactPixelOfTheTransparentColour) {
  for (const GRAPHICSMODE& m : {kDD32, kDD16}) {
    SCOPED_TRACE(m.szName);
    cGraphicsFixture fx(m);
    ASSERT_TRUE(fx.Ok());
    if (m.nBpp == 32) EXPECT_EQ(g_dwColorKey, 0x00FF00FFu);
    else EXPECT_EQ(g_dwColorKey, 0xF81Fu);
    DDSetTransmitRGB(255, 0, 255);
    EXPECT_EQ(g_dwColorKey, m.nBpp == 32 ? 0x00FF00FFu : 0xF81Fu);
    // Keyed: the magenta corner keeps the backdrop; opaque: it is copied.
    DDFillSurface(&g_BackBufferSD, 16);
    DDBltFast(&g_BackBufferSD, 0, 0, 32, 32, fx.SD(SF_SHEET), 0, 0, 1);
    DDBltFast(&g_BackBufferSD, 40, 0, 32, 32, fx.SD(SF_SHEET), 0, 0, 0);
    EXPECT_EQ(Raw(&g_BackBufferSD, 0, 0), PalNumToRGB(16));
    EXPECT_EQ(Raw(&g_BackBufferSD, 40, 0), g_dwColorKey);
    EXPECT_EQ(Rgb(&g_BackBufferSD, 11, 15), 0u);  // black stays black
  }
}

TEST(GraphicsBlit, SixteenBitConversionNeverTurnsAnOpaquePixelTransparent) {
  cGraphicsFixture fx(kDD16);
  ASSERT_TRUE(fx.Ok());
  // 0xFF01FF is not magenta but falls on the key's 16-bit value.
  fx.Folder().WriteFile("bmp/Near.bmp", MakeBmpRgb(24, 2, 1, {0xFF01FF, kMagenta}));
  DDSURFACEDATA s;
  ASSERT_EQ(DDCreateSurfaceFromFile(&s, "bmp\\Near.bmp", 1, 16, 0, 0, nullptr, 0, 0, 0, 0), 0);
  EXPECT_EQ(Raw(&s, 0, 0), 0xF81Eu);
  EXPECT_EQ(Raw(&s, 1, 0), 0xF81Fu);
  DDReleaseSurface(&s);
}

TEST(GraphicsBlit, OpaqueBlitOfKeyedSourceLeavesTheTransparentValue) {
  cGraphicsFixture fx(kD3D32);
  ASSERT_TRUE(fx.Ok());
  DDFillSurface(&g_BackBufferSD, 16);
  DDBltFast(&g_BackBufferSD, 0, 0, 32, 32, fx.SD(SF_SHEET), 0, 0, 0);
  EXPECT_EQ(Rgb(&g_BackBufferSD, 0, 0), kMagenta);
  DDSURFACEDATA* work = fx.SD(SF_WORK);
  DDFillSurface(work, 40);
  DDBltFast(work, 0, 0, 32, 32, fx.SD(SF_SHEET), 0, 0, 0);
  EXPECT_EQ(Raw(work, 0, 0) >> 24, 0u);
  EXPECT_EQ(Raw(work, 5, 16), 0xFFE04020u);
  // Palette number 0: alpha 0 in a keyed surface, the transparent colour in
  // the back buffer, whatever palette entry 0 holds.
  DDFillRect(work, 0, 0, 64, 64, 0);
  EXPECT_EQ(Raw(work, 5, 16), 0u);
  DDFillRect(&g_BackBufferSD, 0, 0, 8, 8, 0);
  EXPECT_EQ(Rgb(&g_BackBufferSD, 1, 1), kMagenta);
}

TEST(GraphicsBlit, MirroredParentCellAndPixelPathMirror) {
  cGraphicsFixture fx(kD3D32);
  ASSERT_TRUE(fx.Ok());
  std::vector<uint32_t> px = SheetPixels();
  DDFillSurface(&g_BackBufferSD, 16);
  DDBltFast(&g_BackBufferSD, 0, 0, 32, 32, fx.SD(SF_MIRROR), 32, 0, 0);
  DDSURFACEDATA* work = fx.SD(SF_WORK);  // a render target read back by the pixel path
  DDSURFACEDATA sys;
  ASSERT_TRUE(DDCreateSurface(&sys, 64, 32, 0, 0, DTMEMORYTYPE_SYSTEM, nullptr, 0));
  DDBltD3D(&sys, 0, 0, 32, 32, fx.SD(SF_SHEET), 64, 0, -32, 32, 0);
  for (int x = 0; x < 32; ++x) {
    uint32_t want = px[5 * 64 + 63 - x];
    EXPECT_EQ(Rgb(&g_BackBufferSD, x, 5), want == kMagenta ? kMagenta : want) << x;
    EXPECT_EQ(Raw(&sys, x, 5) & 0xFFFFFF, want == kMagenta ? 0u : want) << x;
  }
  (void)work;
  DDReleaseSurface(&sys);
}

TEST(GraphicsBlit, VirtualBackBufferCollectsDrawingUntilSwitchedOff) {
  cGraphicsFixture fx(kD3D32);
  ASSERT_TRUE(fx.Ok());
  DDFillSurface(&g_BackBufferSD, 16);
  DDSetVirtualBackBuffer(TRUE);
  DDFillRect(&g_BackBufferSD, 0, 0, 320, 240, 20);
  DDBltFast(&g_BackBufferSD, 10, 10, 32, 32, fx.SD(SF_SHEET), 0, 0, 1);
  EXPECT_EQ(Rgb(&g_BackBufferSD, 0, 0), 0x203050u);
  DDSetVirtualBackBuffer(FALSE);
  EXPECT_EQ(Rgb(&g_BackBufferSD, 0, 0), PalNumToRGB(20) & 0xFFFFFF);
  EXPECT_EQ(Rgb(&g_BackBufferSD, 15, 26), 0xE04020u);
}

TEST(GraphicsBlit, SixteenBitPixelPathKeepsItsTransparencyTestAndWidensGreen) {
  cGraphicsFixture fx({"d3d16f", 1, 16, 0});
  ASSERT_TRUE(fx.Ok());
  DDSURFACEDATA sys;
  ASSERT_TRUE(DDCreateSurface(&sys, 4, 1, 0, 0, DTMEMORYTYPE_SYSTEM, nullptr, 0));
  cPixelBuffer* s = DDSurfacePixels(&sys);
  // Red without its alpha bit is still drawn (0x2000 is in the test mask);
  // blue without it is not.
  const uint32_t src[4] = {0x7C00, 0x001F, 0x83E0, 0x8000};
  for (int x = 0; x < 4; ++x) s->SetRaw(x, 0, src[x]);
  DDFillSurfaceRGB(&g_BackBufferSD, 0xFF000000);
  DDBltFast(&g_BackBufferSD, 0, 0, 4, 1, &sys, 0, 0, 1);
  EXPECT_EQ(Raw(&g_BackBufferSD, 0, 0), 0xF800u);
  EXPECT_EQ(Raw(&g_BackBufferSD, 1, 0), 0x0000u);
  EXPECT_EQ(Raw(&g_BackBufferSD, 2, 0), 0x07C0u);
  EXPECT_EQ(Raw(&g_BackBufferSD, 3, 0), 0x0000u);
  DDReleaseSurface(&sys);
}
