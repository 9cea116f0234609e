// The pictures and the device start-up that the graphics tests share: a
// 256-colour palette picture whose top-left pixel is the transparent
// magenta, a keyed 24-bit sheet of two 32 x 32 cells, an 8-bit backdrop.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "platform/screenshot.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/temp_folder.h"

namespace t4gfx {

constexpr uint32_t kMagenta = 0xFF00FF;

inline std::vector<uint32_t> TestPalette() {
  std::vector<uint32_t> pal(256);
  pal[0] = kMagenta;
  for (uint32_t i = 1; i < 256; ++i)
    pal[i] = ((i * 37) & 0xFF) << 16 | ((i * 91 + 40) & 0xFF) << 8 | ((i * 53 + 20) & 0xFF);
  pal[16] = 0x203050;
  return pal;
}

// 16 x 24: rows 0-7 all index 0, then the 16 x 16 block of indices 0-255.
inline std::string PaletteBmp() {
  std::vector<uint8_t> idx(16 * 24, 0);
  for (int y = 8; y < 24; ++y)
    for (int x = 0; x < 16; ++x) idx[y * 16 + x] = static_cast<uint8_t>((y - 8) * 16 + x);
  return MakeBmpIndexed(8, 16, 24, TestPalette(), idx);
}

// 64 x 32: cell 0 a ring and disc with a black square, cell 1 a gradient
// crossed by key-coloured stripes; magenta elsewhere.
inline std::vector<uint32_t> SheetPixels() {
  std::vector<uint32_t> px(64 * 32, kMagenta);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      int dx = x - 12, dy = y - 16, d2 = dx * dx + dy * dy;
      if (d2 <= 100) px[y * 64 + x] = 0xE04020;
      else if (d2 <= 169) px[y * 64 + x] = 0xFFFF00;
      if (x >= 10 && x < 14 && y >= 14 && y < 18) px[y * 64 + x] = 0x000000;
    }
  for (int y = 0; y < 32; ++y)
    for (int x = 32; x < 64; ++x)
      px[y * 64 + x] = (x + y) % 8 == 0 ? kMagenta : (static_cast<uint32_t>((x - 32) * 8) << 16 | (y * 8) << 8 | 0x80);
  return px;
}

inline std::string BackdropBmp() {
  std::vector<uint8_t> idx(64 * 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) idx[y * 64 + x] = static_cast<uint8_t>(32 + x / 8 + (y / 8) * 8);
  return MakeBmpIndexed(8, 64, 48, TestPalette(), idx);
}

struct GRAPHICSMODE {
  const char* szName;
  int nMode;  // 0 DirectDraw, 1 Direct3D
  int nBpp;
  int nWindowMode;
};

inline const std::vector<GRAPHICSMODE>& AllModes() {
  static const std::vector<GRAPHICSMODE> v = {
      {"dd8", 0, 8, 0},     {"dd16", 0, 16, 1},  {"dd32", 0, 32, 1},
      {"d3d16w", 1, 16, 1}, {"d3d16f", 1, 16, 0}, {"d3d32", 1, 32, 1},
  };
  return v;
}

// The mode of that name; the first mode when none has it.
inline const GRAPHICSMODE& ModeNamed(const std::string& name) {
  for (const GRAPHICSMODE& m : AllModes())
    if (name == m.szName) return m;
  return AllModes()[0];
}

// Indices of the fixed test surfaces.
enum { SF_PALETTE = 0, SF_SHEET = 1, SF_MIRROR = 2, SF_BACKDROP = 3, SF_WORK = 4, SF_COUNT = 5 };

// A started device with the fixture pictures loaded, as start-up does it.
class cGraphicsFixture {
 public:
  explicit cGraphicsFixture(const GRAPHICSMODE& mode, int nWidth = 320, int nHeight = 240) {
    m_Folder.WriteFile("bmp/plt/Palette.bmp", PaletteBmp());
    m_Folder.WriteFile("bmp/Sheet.bmp", MakeBmpRgb(24, 64, 32, SheetPixels()));
    m_Folder.WriteFile("bmp/Back.bmp", BackdropBmp());
    m_Info[SF_PALETTE].szFileName = "bmp\\plt\\Palette.bmp";
    m_Info[SF_SHEET].szFileName = "bmp\\Sheet.bmp";
    m_Info[SF_SHEET].bTransmit = 1;
    m_Info[SF_MIRROR].szFileName = "bmp\\Sheet.bmp";
    m_Info[SF_MIRROR].bTransmit = 1;
    m_Info[SF_MIRROR].nMirrorWidth = 32;
    m_Info[SF_MIRROR].lpParentSD = &m_SD[SF_SHEET];
    m_Info[SF_BACKDROP].szFileName = "bmp\\Back.bmp";
    m_Info[SF_WORK].szFileName = "E";
    m_Info[SF_WORK].bTransmit = 1;
    m_Info[SF_WORK].nWidth = 128;
    m_Info[SF_WORK].nHeight = 64;
    m_bOk = DDInit(mode.nMode, nullptr, nWidth, nHeight, mode.nBpp, 0, mode.nWindowMode, 1, 60, 0, m_SD, m_Info,
                   SF_COUNT) &&
            DDLoadPaletteFromFile(g_Palette, &m_Info[SF_PALETTE], mode.nWindowMode);
    if (!m_bOk) return;
    std::copy(g_Palette, g_Palette + 1024, g_WorkPalette);
    m_bOk = DDSetTransmit(&m_Info[SF_PALETTE]) != 0;
    const int list[] = {SF_SHEET, SF_MIRROR, SF_BACKDROP, SF_WORK};
    m_bOk = m_bOk && DDLoadSurfaceList(m_SD, list, 4);
  }
  ~cGraphicsFixture() {
    DDUnInit();
    for (auto& sd : m_SD) DDReleaseSurface(&sd);
  }
  bool Ok() const { return m_bOk; }
  DDSURFACEDATA* SD(int i) { return &m_SD[i]; }
  const cTempFolder& Folder() const { return m_Folder; }

 private:
  cTempFolder m_Folder;
  DDSURFACEDATA m_SD[SF_COUNT];
  DDSURFACEINFO m_Info[SF_COUNT];
  bool m_bOk = false;
};

// The back buffer as 0x00RRGGBB pixels.
inline std::vector<uint32_t> BackBufferPixels() {
  std::vector<uint32_t> out;
  cPixelBuffer* buf = g_BackBufferSD.lpDT ? g_BackBufferSD.lpDT->lpSurface
                                          : (g_BackBufferSD.lpDDS ? g_BackBufferSD.lpDDS->lpSurface : nullptr);
  if (buf) ConvertToXrgb(*buf, DDGetPaletteEntries(), out);
  return out;
}

// The w x h picture got held against the golden PNG at path, naming the
// first pixel that differs. A missing golden fails, unless T4_UPDATE_GOLDEN=1
// asks for it to be written.
inline void ExpectGolden(const std::string& path, const std::vector<uint32_t>& got, int w, int h) {
  ASSERT_EQ(got.size(), static_cast<size_t>(w) * h);
  std::vector<uint32_t> want;
  int nWantW = 0, nWantH = 0;
  if (!ReadPng(path, want, nWantW, nWantH)) {
    const char* update = std::getenv("T4_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
      ASSERT_TRUE(WritePng(path, got.data(), w, h, w));
      return;
    }
    FAIL() << "missing golden " << path;
  }
  ASSERT_EQ(nWantW, w);
  ASSERT_EQ(nWantH, h);
  size_t nDiff = 0, nFirst = 0;
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i] && nDiff++ == 0) nFirst = i;
  EXPECT_EQ(nDiff, 0u) << "first difference at (" << nFirst % static_cast<size_t>(w) << ", "
                       << nFirst / static_cast<size_t>(w) << "): got " << std::hex << got[nFirst] << " want "
                       << want[nFirst];
}

}  // namespace t4gfx
