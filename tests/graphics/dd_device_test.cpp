// Device set-up and shut-down: the formats per path and depth, the retry on
// DirectDraw after a failed Direct3D start, the cursor rule, texture sizes.
#include <gtest/gtest.h>

#include "media/graphics/dd.h"
#include "platform/frame_sink.h"
#include "platform/window.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

TEST(GraphicsDevice, FormatsPerPathAndDepth) {
  struct CASE {
    GRAPHICSMODE mode;
    ePixelFormat fmtBack, fmtSurface;
  };
  const CASE cases[] = {
      {{"dd8", 0, 8, 0}, PF_INDEX8, PF_INDEX8},         {{"dd16", 0, 16, 1}, PF_RGB565, PF_RGB565},
      {{"dd32", 0, 32, 0}, PF_XRGB8888, PF_XRGB8888},   {{"d3d16w", 1, 16, 1}, PF_ARGB1555, PF_ARGB1555},
      {{"d3d16f", 1, 16, 0}, PF_RGB565, PF_ARGB1555},   {{"d3d32", 1, 32, 1}, PF_XRGB8888, PF_ARGB8888},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.mode.szName);
    cGraphicsFixture fx(c.mode);
    ASSERT_TRUE(fx.Ok());
    EXPECT_EQ(lpDTCon != nullptr, c.mode.nMode != 0);
    cPixelBuffer* back = lpDTCon ? g_BackBufferSD.lpDT->lpSurface : g_BackBufferSD.lpDDS->lpSurface;
    cPixelBuffer* sheet = lpDTCon ? fx.SD(SF_SHEET)->lpDT->lpSurface : fx.SD(SF_SHEET)->lpDDS->lpSurface;
    EXPECT_EQ(back->Format(), c.fmtBack);
    EXPECT_EQ(sheet->Format(), c.fmtSurface);
    EXPECT_EQ(g_DDDisplay.bInit, 1);
  }
}

TEST(GraphicsDevice, Direct3DAt24BitsFailsAndDirectDrawRetryStartsClean) {
  cTempFolder folder;
  DDSURFACEDATA sd[2];
  DDSURFACEINFO info[2];
  EXPECT_FALSE(DDInit(1, nullptr, 640, 480, 24, 0, 1, 1, 60, 0, sd, info, 2));
  DDUnInit();
  EXPECT_EQ(lpDTCon, nullptr);
  EXPECT_EQ(g_lpD3D, nullptr);
  EXPECT_TRUE(DDInit(0, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, sd, info, 2));
  EXPECT_EQ(lpDTCon, nullptr);
  EXPECT_NE(g_lpDD, nullptr);
  EXPECT_EQ(g_BackBufferSD.lpDT, nullptr);
  ASSERT_NE(g_BackBufferSD.lpDDS, nullptr);
  EXPECT_EQ(g_BackBufferSD.lpDDS->lpSurface->Width(), 640);
  DDUnInit();
  EXPECT_EQ(g_lpDD, nullptr);
  DDUnInit();  // safe when nothing is left
}

TEST(GraphicsDevice, CursorFollowsPathAndWindowMode) {
  cTempFolder folder;
  DDSURFACEDATA sd[1];
  DDSURFACEINFO info[1];
  ASSERT_TRUE(DDInit(1, nullptr, 64, 48, 32, 0, 0, 1, 60, 0, sd, info, 1));
  EXPECT_LT(ShowCursor(TRUE), 1);  // full-screen Direct3D hid it
  ShowCursor(FALSE);
  DDUnInit();
  ASSERT_TRUE(DDInit(0, nullptr, 64, 48, 16, 0, 1, 1, 60, 0, sd, info, 1));
  EXPECT_GE(ShowCursor(FALSE), -1);  // windowed DirectDraw showed it
  ShowCursor(TRUE);
  DDUnInit();
}

TEST(GraphicsDevice, PowerOfTwoCardsRoundTexturesButKeepTheSize) {
  DTDEVICECAPS saved = g_DDSoftwareCaps;
  g_DDSoftwareCaps.bPow2 = 1;
  {
    cTempFolder folder;
    DDSURFACEDATA sd[1];
    DDSURFACEINFO info[1];
    ASSERT_TRUE(DDInit(1, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, sd, info, 1));
    DDSURFACEDATA s;
    ASSERT_TRUE(DDCreateSurface(&s, 100, 60, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    EXPECT_EQ(s.nWidth, 100);
    EXPECT_EQ(s.nHeight, 60);
    EXPECT_EQ(s.nTexWidth, 128);
    EXPECT_EQ(s.nTexHeight, 64);
    EXPECT_EQ(g_SurfaceList.size(), 3u);  // with the virtual back buffer and the work surface
    DDReleaseSurface(&s);
    DDReleaseSurface(&s);
    EXPECT_EQ(g_SurfaceList.size(), 2u);
    DDUnInit();
  }
  g_DDSoftwareCaps = saved;
}

TEST(GraphicsDevice, SurfaceListLoaderCreatesEmptyEntriesAndStopsOnAMissingPicture) {
  cTempFolder folder;
  DDSURFACEDATA sd[3];
  DDSURFACEINFO info[3];
  info[0].szFileName = "E";
  info[0].nWidth = 40;
  info[0].nHeight = 30;
  info[1].szFileName = "bmp\\Missing.bmp";
  info[1].bNoError = 1;
  info[2].szFileName = "bmp\\Missing.bmp";
  ASSERT_TRUE(DDInit(1, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, sd, info, 3));
  const int first[] = {0, 1};
  EXPECT_TRUE(DDLoadSurfaceList(sd, first, 2));
  EXPECT_EQ(sd[0].nWidth, 40);
  EXPECT_EQ(sd[0].szFileName, "E");
  const int last[] = {2};
  EXPECT_FALSE(DDLoadSurfaceList(sd, last, 1));
  EXPECT_TRUE(DDLoadSurfaceList(sd, last, 0));
  DDUnInit();
}

namespace {
int s_nGateCalls = 0;
bool GateDueOnThirdCall(int nFps) {
  EXPECT_EQ(nFps, 60);
  return ++s_nGateCalls >= 3;
}
}  // namespace

TEST(GraphicsDevice, PresentationHandsFramesToTheWindow) {
  cTempFolder folder;
  DDSURFACEDATA sd[1];
  DDSURFACEINFO info[1];
  // Direct3D without VSync waits on the frame gate; with VSync it does not.
  ASSERT_TRUE(DDInit(1, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, sd, info, 1));
  DDSetFrameGate(GateDueOnThirdCall);
  uint64_t n = PresentedFrameCountForTests();
  s_nGateCalls = 0;
  EXPECT_TRUE(DDFlip(60));
  EXPECT_EQ(s_nGateCalls, 3);
  EXPECT_EQ(PresentedFrameCountForTests(), n + 1);
  g_DDDisplay.bVSync = 1;
  s_nGateCalls = 0;
  EXPECT_TRUE(DDFlip(60));
  EXPECT_EQ(s_nGateCalls, 0);
  DDSetFrameGate(nullptr);
  DDUnInit();
  // DirectDraw: DDFlip leaves it to the frame; a flip swaps the buffers.
  ASSERT_TRUE(DDInit(0, nullptr, 64, 48, 32, 0, 0, 1, 60, 0, sd, info, 1));
  n = PresentedFrameCountForTests();
  EXPECT_TRUE(DDFlip(60));
  EXPECT_EQ(PresentedFrameCountForTests(), n);
  DDFillSurfaceRGB(&g_BackBufferSD, 0x00123456);
  DDPresentPrimary(TRUE, FALSE);
  EXPECT_EQ(PresentedFrameCountForTests(), n + 1);
  EXPECT_EQ(g_PrimarySD.lpDDS->lpSurface->GetRaw(5, 5), 0x00123456u);
  EXPECT_EQ(g_BackBufferSD.lpDDS->lpSurface->GetRaw(5, 5), 0u);
  DDPresentPrimary(FALSE, FALSE);
  EXPECT_EQ(g_PrimarySD.lpDDS->lpSurface->GetRaw(5, 5), 0u);
  DDUnInit();
  // Which presentations wait for the vertical blank when asked: a flip, and
  // a copy into a window; a copy to a full screen goes out at once.
  struct WAITCASE {
    const char* pszName;
    int nWindowMode;
    BOOL bFlip;
    uint64_t nWaits;
  } waits[] = {{"full-screen flip", 0, TRUE, 1}, {"full-screen copy", 0, FALSE, 0}, {"window copy", 1, FALSE, 1}};
  for (const WAITCASE& c : waits) {
    SCOPED_TRACE(c.pszName);
    ASSERT_TRUE(DDInit(0, nullptr, 64, 48, 32, 1, c.nWindowMode, 1, 60, 0, sd, info, 1));
    uint64_t v = VSyncFrameCountForTests();
    DDPresentPrimary(c.bFlip, TRUE);
    EXPECT_EQ(VSyncFrameCountForTests() - v, c.nWaits);
    DDUnInit();
  }
}

TEST(GraphicsDevice, PathOnlyCallsAnswerAsEachPathDoes) {
  cTempFolder folder;
  folder.WriteFile("bmp/Big.bmp", MakeBmpRgb(24, 700, 10, std::vector<uint32_t>(7000, 0x102030)));
  DDSURFACEDATA sd[1];
  DDSURFACEINFO info[1];
  ASSERT_TRUE(DDInit(0, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, sd, info, 1));
  BOOL bTooBig = 7;
  EXPECT_TRUE(DDBitmapFits(&bTooBig, "bmp\\Big.bmp", 640, 480));
  EXPECT_EQ(bTooBig, 1);
  EXPECT_FALSE(DDBitmapFits(&bTooBig, "bmp\\None.bmp", 640, 480));
  EXPECT_EQ(bTooBig, 0);
  DDLOCKDESC desc;
  void* bits = nullptr;
  EXPECT_TRUE(DDLock(&g_BackBufferSD, &desc, &bits, 32));
  EXPECT_EQ(desc.dwSize, 124u);
  EXPECT_NE(bits, nullptr);
  EXPECT_TRUE(DDDialogMode(TRUE));
  DDUnInit();
  ASSERT_TRUE(DDInit(1, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, sd, info, 1));
  bTooBig = 7;
  EXPECT_TRUE(DDBitmapFits(&bTooBig, "bmp\\Big.bmp", 640, 480));
  EXPECT_EQ(bTooBig, 7);
  bits = nullptr;
  EXPECT_FALSE(DDLock(&g_BackBufferSD, &desc, &bits, 32));
  EXPECT_EQ(bits, nullptr);
  EXPECT_FALSE(DDRestoreSurface());  // nothing was lost: the device cannot be reset
  EXPECT_TRUE(DDRestore());
  DDUnInit();
}
