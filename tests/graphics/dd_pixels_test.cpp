// The pixel buffers: what a new one holds, whatever the buffer held before.
#include "media/graphics/dd_pixels.h"

#include <gtest/gtest.h>

TEST(PixelBuffer, ANewBufferIsZeroEvenOverOneThatHeldPixels) {
  for (ePixelFormat fmt : {PF_INDEX8, PF_RGB565, PF_XRGB8888}) {
    SCOPED_TRACE(fmt);
    cPixelBuffer buf(fmt, 700, 500);  // large enough to come from its own pages
    buf.FillRaw(0, 0, 700, 500, 0xA5A5A5A5u);
    cPixelBuffer copy = buf;
    EXPECT_EQ(copy.GetRaw(699, 499), buf.GetRaw(699, 499));
    ASSERT_TRUE(buf.Create(fmt, 700, 500));
    ASSERT_TRUE(copy.Create(fmt, 64, 8));
    for (int y : {0, 250, 499})
      for (int x : {0, 350, 699}) EXPECT_EQ(buf.GetRaw(x, y), 0u) << x << "," << y;
    EXPECT_EQ(copy.GetRaw(63, 7), 0u);
  }
}
