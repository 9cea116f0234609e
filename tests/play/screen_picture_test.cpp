#include "play/screen_picture.h"

#include <gtest/gtest.h>

#include "media/graphics/dd.h"
#include "tests/graphics/graphics_fixture.h"

namespace {

std::vector<uint32_t> Region(const std::vector<uint32_t>& px, int x, int y) {
  std::vector<uint32_t> r;
  for (int j = 0; j < 32; ++j)
    for (int i = 0; i < 32; ++i) r.push_back(px[static_cast<size_t>((y + j) * 320 + x + i)]);
  return r;
}

TEST(ScreenPicture, FixedPicturesStayWhileUnfixedOnesScroll) {
  t4gfx::cGraphicsFixture gfx(t4gfx::AllModes()[2], 320, 240);
  ASSERT_TRUE(gfx.Ok());
  DDSURFACEDATA* sheet = gfx.SD(t4gfx::SF_SHEET);
  const DWORD blend[2] = {0, 0};
  SCREENPICTURE fixed, moving;
  SetPictureParams(fixed, 1, 1000.0, 500.0, 32, 32, 0, 0, 100, blend, 1, 0, 0);
  SetPictureParams(moving, 2, 1000.0, 600.0, 32, 32, 0, 0, 100, blend, 0, 0, 0);
  EXPECT_EQ(fixed.bBlend, 0u);
  // First frame at scroll (990, 480): both at x 10.
  EXPECT_EQ(DrawScreenPicture(fixed, nullptr, nullptr, FALSE, 990.0, 480.0), 0);
  // The stage scrolls 50 pixels right.
  DDFillSurface(&g_BackBufferSD, 16);
  DDBltFast(&g_BackBufferSD, 200, 0, 32, 32, sheet, 0, 0, 1);
  DrawScreenPicture(fixed, &g_BackBufferSD, sheet, FALSE, 1040.0, 480.0);
  DrawScreenPicture(moving, &g_BackBufferSD, sheet, FALSE, 950.0, 480.0);
  const std::vector<uint32_t> px = t4gfx::BackBufferPixels();
  EXPECT_EQ(Region(px, 10, 20), Region(px, 200, 0));  // fixed: where it was first drawn
  EXPECT_EQ(Region(px, 50, 120), Region(px, 200, 0));  // unfixed: moved with the stage
  EXPECT_NE(Region(px, 100, 180), Region(px, 200, 0));  // the backdrop is not the picture
  SCREENPICTURE blended;
  SetPictureParams(blended, 3, 0, 0, 32, 32, 0, 0, 50, blend, 0, 0, 0);
  EXPECT_EQ(blended.bBlend, 1u);
}

TEST(ScreenPicture, TimedPicturesEndAndPauseAsAsked) {
  const DWORD blend[2] = {0, 0};
  SCREENPICTURE pic;
  SetPictureParams(pic, 1, 0, 0, 32, 32, PICTUREMODE_TIMED, 2, 100, blend, 0, 0, 0);
  EXPECT_EQ(DrawScreenPicture(pic, nullptr, nullptr, TRUE, 0, 0), 0);  // paused: no count
  EXPECT_EQ(pic.nTime, 2);
  EXPECT_EQ(DrawScreenPicture(pic, nullptr, nullptr, FALSE, 0, 0), 0);
  EXPECT_EQ(DrawScreenPicture(pic, nullptr, nullptr, FALSE, 0, 0), 0);
  EXPECT_EQ(DrawScreenPicture(pic, nullptr, nullptr, FALSE, 0, 0), 1);
  pic.bCountWhilePaused = 1;
  pic.nTime = 0;
  EXPECT_EQ(DrawScreenPicture(pic, nullptr, nullptr, TRUE, 0, 0), 1);
  // Other modes stay on show.
  pic.nMode = 1;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(DrawScreenPicture(pic, nullptr, nullptr, FALSE, 0, 0), 0);
}

}  // namespace
