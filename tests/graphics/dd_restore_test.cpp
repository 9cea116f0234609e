// Recovery after a simulated loss of video memory: pictures come back,
// empty surfaces come back flagged for their owners, system-memory textures
// keep their pixels, the font strips are drawn again, and a device that
// cannot be reset yet is left as it is.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_restore.h"
#include "media/graphics/font.h"
#include "platform/glyph_source.h"
#include "platform/text_cp932.h"
#include "tests/graphics/effects_fixture.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {

std::vector<uint8_t> Bytes(DDSURFACEDATA* lpSD) {
  cPixelBuffer* b = DDSurfacePixels(lpSD);
  if (!b) return {};
  return std::vector<uint8_t>(b->Bits(), b->Bits() + static_cast<size_t>(b->Pitch()) * b->Height() * b->BytesPerPixel());
}

bool AllZero(const std::vector<uint8_t>& v) {
  for (uint8_t b : v)
    if (b) return false;
  return true;
}

// A started device with one font whose half-width strip is drawn.
class cRestoreScene {
 public:
  explicit cRestoreScene(const GRAPHICSMODE& mode) : m_Glyphs(CreateFakeGlyphSourceForTests()), m_Fx(mode, 64, 48) {
    SetGlyphSourceForTests(m_Glyphs.get());
    if (!m_Fx.Ok()) return;
    m_Font.Init(Sjis("ＭＳ ゴシック").c_str(), 0, 16, 16, 16, 240, nullptr, 1, 241, nullptr, 1);
  }
  ~cRestoreScene() {
    m_Font.ReleaseFonts();
    SetGlyphSourceForTests(nullptr);
  }
  DDSURFACEDATA* Strip() { return &m_Font.m_lpFastFont_Half->m_SD; }

  std::unique_ptr<cGlyphSource> m_Glyphs;
  cGraphicsFixture m_Fx;
  cFont m_Font;
};

}  // namespace

TEST(LostDevice, ResetRecreatesTheDeviceSurfaces) {
  cRestoreScene s(AllModes()[5]);  // Direct3D, 32 bits
  ASSERT_TRUE(s.m_Fx.Ok());
  ASSERT_NE(s.m_Font.m_lpFastFont_Half, nullptr);
  DDSURFACEDATA* sheet = s.m_Fx.SD(SF_SHEET);
  DDSURFACEDATA* work = s.m_Fx.SD(SF_WORK);
  cTestSurface sys(8, 8, DTMEMORYTYPE_SYSTEM);
  sys.Fill(0x123456);
  DDFillRect(work, 0, 0, 8, 8, 50);
  const std::vector<uint8_t> sheetPixels = Bytes(sheet), stripPixels = Bytes(s.Strip()), sysPixels = Bytes(&*sys.SD());
  const std::vector<uint8_t> workPixels = Bytes(work);
  ASSERT_FALSE(AllZero(stripPixels));
  const size_t nSurfaces = g_SurfaceList.size();

  // Not resettable yet: nothing is released or re-created.
  DDSimulateDeviceLossForTests(FALSE);
  cPixelBuffer* lpSheetBuffer = DDSurfacePixels(sheet);
  EXPECT_FALSE(DDRestoreSurface());
  EXPECT_EQ(DDSurfacePixels(sheet), lpSheetBuffer);
  EXPECT_EQ(work->bLost, 0);
  EXPECT_TRUE(AllZero(Bytes(sheet)));

  DDSimulateDeviceLossForTests(TRUE);
  EXPECT_TRUE(DDRestoreSurface());
  EXPECT_TRUE(Bytes(sheet) == sheetPixels);  // the picture again
  EXPECT_EQ(sheet->bLost, 0);
  EXPECT_EQ(sheet->szSurfaceType, "OffScreenFromFile");
  EXPECT_EQ(work->bLost, 1);  // empty: its owner redraws it
  EXPECT_EQ(work->szFileName, "E");
  EXPECT_FALSE(Bytes(work) == workPixels);
  EXPECT_TRUE(Bytes(&*sys.SD()) == sysPixels);  // system memory survives
  EXPECT_TRUE(Bytes(s.Strip()) == stripPixels);  // the strip is drawn again
  EXPECT_EQ(s.Strip()->bLost, 0);
  EXPECT_EQ(g_SurfaceList.size(), nSurfaces);  // nothing registered twice
  ASSERT_NE(DDSurfacePixels(&g_BackBufferSD), nullptr);
  EXPECT_EQ(DDSurfacePixels(&g_BackBufferSD)->Width(), 64);
  // The device is back: a second request finds nothing to reset.
  EXPECT_FALSE(DDRestoreSurface());
  EXPECT_TRUE(DDRestore());  // not this path's routine
}

TEST(LostDevice, LostSurfacesReloadTheirPicturesAndPalette) {
  for (const GRAPHICSMODE& mode : {AllModes()[0], AllModes()[2]}) {
    SCOPED_TRACE(mode.szName);
    cRestoreScene s(mode);
    ASSERT_TRUE(s.m_Fx.Ok());
    DDSURFACEDATA* sheet = s.m_Fx.SD(SF_SHEET);
    DDSURFACEDATA* work = s.m_Fx.SD(SF_WORK);
    const std::vector<uint8_t> sheetPixels = Bytes(sheet), stripPixels = Bytes(s.Strip());
    EXPECT_TRUE(DDRestore());  // nothing lost: nothing done
    EXPECT_EQ(work->bLost, 0);
    // A fade half-way: the work palette is what the screen shows.
    for (int i = 0; i < 256 * 4; ++i) g_WorkPalette[i] = static_cast<BYTE>(g_Palette[i] / 2);
    DDSimulateDeviceLossForTests(TRUE);
    EXPECT_TRUE(g_PrimarySD.bLost);
    EXPECT_TRUE(AllZero(Bytes(sheet)));
    DDFillRect(s.Strip(), 0, 0, 64, 16, 0);
    EXPECT_TRUE(DDRestore());
    EXPECT_FALSE(g_PrimarySD.bLost);
    EXPECT_TRUE(Bytes(sheet) == sheetPixels);
    EXPECT_EQ(work->bLost, 1);
    EXPECT_TRUE(Bytes(s.Strip()) == stripPixels);
    if (mode.nBpp == 8) {
      EXPECT_EQ(std::memcmp(DDGetPaletteEntries(), g_WorkPalette, 1024), 0);
    }
    EXPECT_TRUE(DDRestoreSurface());  // not this path's routine
    std::memcpy(g_WorkPalette, g_Palette, 1024);
  }
}
