// One scene drawn on every path and depth and held against a golden picture:
// opaque, keyed, mirrored, stretched and clipped blits, fills, a render
// target used as a source, and a sorted two-layer batch with blend
// operations.
#include <gtest/gtest.h>

#include <string>

#include "media/graphics/dd.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {

void DrawScene(cGraphicsFixture& fx) {
  DDSURFACEDATA* back = &g_BackBufferSD;
  DDSURFACEDATA* sheet = fx.SD(SF_SHEET);
  DDSURFACEDATA* mirror = fx.SD(SF_MIRROR);
  DDSURFACEDATA* backdrop = fx.SD(SF_BACKDROP);
  DDSURFACEDATA* work = fx.SD(SF_WORK);

  DDFillSurface(back, 16);
  DDBltFast(back, 8, 8, 64, 48, backdrop, 0, 0, 0);
  DDBltFast(back, 80, 8, 32, 32, sheet, 0, 0, 1);
  DDBltFast(back, 120, 8, 32, 32, sheet, 32, 0, 0);
  DDBltFast(back, 160, 8, 32, 32, mirror, 0, 0, 1);
  DDBltFast(back, 196, 8, 16, 32, mirror, 8, 0, 1);
  DDBltD3D(back, 220, 8, 64, 48, sheet, 0, 0, 32, 32, 1);
  DDBltD3D(back, 8, 64, 48, 24, backdrop, 8, 8, 32, 32, 0);
  // Clipped on each edge.
  DDBltFast(back, -10, 100, 32, 32, sheet, 0, 0, 1);
  DDBltFast(back, 300, 100, 32, 32, sheet, 32, 0, 1);
  DDBltFast(back, 100, -12, 32, 32, sheet, 0, 0, 1);
  DDBltFast(back, 150, 220, 32, 32, sheet, 32, 0, 1);
  DDBltFast(back, -20, -20, 400, 300, backdrop, 40, 30, 1);
  // Fills, one of them crossing two edges.
  DDFillRect(back, 40, 150, 50, 20, 200);
  DDFillRect(back, -5, 200, 30, 100, 100);
  // A render target drawn into, then used as a source.
  DDFillSurface(work, 0);
  DDBltFast(work, 0, 0, 32, 32, sheet, 0, 0, 1);
  DDFillRect(work, 40, 8, 16, 16, 50);
  DDBltFast(work, 64, 0, 32, 32, sheet, 32, 0, 0);
  DDBltFast(back, 100, 150, 128, 64, work, 0, 0, 1);
  // A sorted batch: the work surface (no layer) first, then the sheet's
  // blits, then the backdrop's, whatever the queue order.
  DDBeginBatch(TRUE);
  DDSetBatchLayer(sheet);
  DDSetBatchLayer(backdrop);
  DDBltFast(back, 236, 120, 32, 32, sheet, 0, 0, 1);
  DDBltFast(back, 226, 110, 40, 40, backdrop, 0, 0, 0);
  DDSetDrawColor(0x80FF8080);
  DDBltFast(back, 250, 140, 32, 32, sheet, 32, 0, 1);
  DDResetDrawColor();
  DDSetDrawColor(0xFF404040);
  DDSetColorOp(DDTOP_ADD);
  DDBltFast(back, 270, 160, 32, 32, sheet, 0, 0, 1);
  DDSetColorOp(DDTOP_SUBTRACT);
  DDBltFast(back, 270, 196, 32, 32, sheet, 32, 0, 1);
  DDResetColorOp();
  DDResetDrawColor();
  DDBltFast(back, 240, 100, 40, 30, work, 40, 0, 1);
  DDEndBatch();
}

std::string GoldenPath(const std::string& name) {
  return std::string(T4_SOURCE_DIR) + "/tests/golden/graphics/scene_" + name + ".png";
}

}  // namespace

TEST(GraphicsScene, MatchesGoldenOnEveryPathAndDepth) {
  for (const GRAPHICSMODE& mode : AllModes()) {
    SCOPED_TRACE(mode.szName);
    cGraphicsFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    DrawScene(fx);
    ASSERT_NO_FATAL_FAILURE(ExpectGolden(GoldenPath(mode.szName), BackBufferPixels(), 320, 240));
  }
}
