// Drawing fixtures of stage play: a started device (from the graphics
// tests' fixture) with a stage surface table of its own that the test fills,
// installed as the stage's table, and pixel reads of any surface.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/surface_tables.h"
#include "media/graphics/dd.h"
#include "platform/screenshot.h"
#include "play/stage_graphics.h"
#include "tests/graphics/graphics_fixture.h"

class cDrawFixture {
 public:
  explicit cDrawFixture(const t4gfx::GRAPHICSMODE& mode) : m_Gfx(mode, 640, 480) {
    SetStageSurfaceTable(m_aSD, SYSTEM_BITMAP_COUNT);
  }
  ~cDrawFixture() {
    ReleaseStageGraphics();
    SetStageSurfaceTable(nullptr, 0);
    for (auto& sd : m_aSD) DDReleaseSurface(&sd);
  }
  bool Ok() const { return m_Gfx.Ok(); }
  const cTempFolder& Folder() const { return m_Gfx.Folder(); }
  DDSURFACEDATA* SD(int n) { return &m_aSD[n]; }

  // An empty keyed surface n of w x h filled with palette colour nFill.
  void MakeSurface(int n, int w, int h, DWORD nFill = 0) {
    ASSERT_TRUE(DDCreateSurface(&m_aSD[n], w, h, 1, 0, 0, nullptr, 0));
    DDFillSurface(&m_aSD[n], nFill);
  }
  // Surface n from a 24-bit picture written into the folder.
  void LoadSurface(int n, const std::string& name, int w, int h, const std::vector<uint32_t>& px,
                   BOOL bTransmit = 1) {
    m_Gfx.Folder().WriteFile("bmp/" + name, MakeBmpRgb(24, w, h, px));
    std::string file = "bmp\\" + name;
    ASSERT_EQ(DDCreateSurfaceFromFile(&m_aSD[n], file.c_str(), bTransmit, g_DDDisplay.nBpp, 0, 0, nullptr, 0, 0, 0,
                                      0),
              0);
  }

 private:
  t4gfx::cGraphicsFixture m_Gfx;
  DDSURFACEDATA m_aSD[SYSTEM_BITMAP_COUNT];
};

// The pixel (x, y) of a surface as 0x00RRGGBB (0xFFFFFFFF outside it).
inline uint32_t PixelAt(DDSURFACEDATA* lpSD, int x, int y) {
  cPixelBuffer* buf = nullptr;
  if (lpSD->lpDT && lpSD->lpDT->lpSurface) buf = lpSD->lpDT->lpSurface;
  else if (lpSD->lpDDS && lpSD->lpDDS->lpSurface) buf = lpSD->lpDDS->lpSurface;
  if (!buf || x < 0 || y < 0 || x >= buf->Width() || y >= buf->Height()) return 0xFFFFFFFF;
  return RawToArgb(buf->Format(), buf->GetRaw(x, y)) & 0xFFFFFF;
}

inline uint32_t BackPixel(int x, int y) { return PixelAt(&g_BackBufferSD, x, y); }

// The 32-bit modes of both paths.
inline std::vector<t4gfx::GRAPHICSMODE> DrawModes() { return {{"dd32", 0, 32, 1}, {"d3d32", 1, 32, 1}}; }

// The back buffer held against tests/golden/play/NAME.png; with
// T4_UPDATE_GOLDEN=1 a missing picture is written instead.
inline void ExpectGolden(const std::string& name) {
  SCOPED_TRACE(name);
  t4gfx::ExpectGolden(std::string(T4_SOURCE_DIR) + "/tests/golden/play/" + name + ".png", t4gfx::BackBufferPixels(),
                      640, 480);
}
