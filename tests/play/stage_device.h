// A started device on a project the builder wrote into a fresh working
// folder, with its fixed surfaces made the way start-up makes them (the
// stage pictures of tests/support in place of the builder's plain ones),
// the stage's surface table installed and the fonts made with fake glyphs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/font.h"
#include "platform/glyph_source.h"
#include "play/stage_graphics.h"
#include "records/start_tables.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/project_builder.h"
#include "tests/support/stage_pictures.h"
#include "tests/support/temp_folder.h"

// The stage pictures the frame draws from, over the builder's own.
inline void WriteStagePictures(const cTempFolder& folder) {
  folder.WriteFile("背景その1.bmp", MakeBmpRgb(24, 200, 160, StageSkyPixels()));
  folder.WriteFile("背景その2.bmp", MakeBmpRgb(24, 160, 480, StageHillsPixels()));
  folder.WriteFile("bmp/Block.bmp", MakeBmpRgb(24, 64, 480, StageBlockSheetPixels()));
  folder.WriteFile("bmp/Word.bmp", MakeBmpRgb(24, 320, 192, StageWordPixels()));
  folder.WriteFile("bmp/StatusWindow.bmp", MakeBmpRgb(24, 640, 20, StageStatusWindowPixels()));
  // The status pictures, and the chara gauge columns of a wide sheet.
  const std::vector<uint32_t> status = StageAccessoryPixels();
  std::vector<uint32_t> acc(256 * 176, kStageKey);
  for (int y = 0; y < 176; ++y)
    for (int x = 0; x < 128; ++x) acc[static_cast<size_t>(y * 256 + x)] = status[static_cast<size_t>(y * 128 + x)];
  for (int sy : {0, 64})
    for (int y = sy; y < sy + 2; ++y) {
      acc[static_cast<size_t>(y * 256 + 208)] = 0x404040;  // frame
      acc[static_cast<size_t>(y * 256 + 210)] = 0x00C0FF;  // bar
      acc[static_cast<size_t>(y * 256 + 214)] = 0xFF0000;  // loss
    }
  folder.WriteFile("bmp/Accessory.bmp", MakeBmpRgb(24, 256, 176, acc));
  // Chara icons 16 and 17 (row-major): badges in the cell's top corners,
  // so that the chara shows under them.
  std::vector<uint32_t> icons(480 * 96, kStageKey);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      icons[static_cast<size_t>((32 + y) * 480 + 32 + 22 + x)] = (x + y) % 4 < 2 ? 0xF0F0F0 : 0xC03090;
      if ((x - 5) * (x - 5) + (y - 5) * (y - 5) < 25) icons[static_cast<size_t>((32 + y) * 480 + 64 + x)] = 0x00E000;
    }
  folder.WriteFile("bmp/Mark.bmp", MakeBmpRgb(24, 480, 96, icons));
}

// The builder's project in a started device whose fixed surfaces are made
// the way start-up makes them, with the builder's fonts (fake glyphs) unless
// bFonts is false: fonts once made keep their frame settings after they are
// released, which later text tests would draw.
class cStageDevice {
 public:
  // bPatternCharas: the first chara sheet's patterns differ (the builder's
  // repeat one cell).
  explicit cStageDevice(const t4gfx::GRAPHICSMODE& mode, bool bFonts = true, bool bPatternCharas = false) {
    cProjectBuilder builder(m_Folder.Path());
    if (!builder.MakeFolders() || !builder.WritePictures()) return;
    WriteStagePictures(m_Folder);
    if (bPatternCharas) m_Folder.WriteFile("bmp/Character1.bmp", MakeBmpRgb(24, 640, 480, StageCharaSheetPixels()));
    FillSurfaceInfoTable(m_aInfo);
    LinkGlobalTables([this](int nSurface, int nParent) { m_aInfo[nSurface].lpParentSD = &m_aSD[nParent]; });
    m_bOk = DDInit(mode.nMode, nullptr, 640, 480, mode.nBpp, 0, mode.nWindowMode, 1, 60, 0, m_aSD, m_aInfo,
                   SYSTEM_BITMAP_COUNT) &&
            DDLoadPaletteFromFile(g_Palette, &m_aInfo[0], mode.nWindowMode);
    if (!m_bOk) return;
    std::copy(g_Palette, g_Palette + 1024, g_WorkPalette);
    std::vector<int> all(SYSTEM_BITMAP_COUNT);
    for (int i = 0; i < SYSTEM_BITMAP_COUNT; ++i) all[static_cast<size_t>(i)] = i;
    m_bOk = DDSetTransmit(&m_aInfo[0]) && DDLoadSurfaceList(m_aSD, all.data(), SYSTEM_BITMAP_COUNT);
    SetStageSurfaceTable(m_aSD, SYSTEM_BITMAP_COUNT);
    if (!bFonts) return;
    m_lpGlyphs = CreateFakeGlyphSourceForTests();
    SetGlyphSourceForTests(m_lpGlyphs.get());
    m_FontTable = BuildFontTable();
    m_bOk = m_bOk && cFont::InitAll(g_Fonts, m_FontTable.data(), FONT_COUNT);
  }
  ~cStageDevice() {
    for (cFont& f : g_Fonts) f.ReleaseFonts();
    ReleaseStageGraphics();
    SetStageSurfaceTable(nullptr, 0);
    DDUnInit();
    for (DDSURFACEDATA& sd : m_aSD) DDReleaseSurface(&sd);
    g_DDDisplay.lpInfoTable = nullptr;
    g_DDDisplay.nInfoCount = 0;
    SetGlyphSourceForTests(nullptr);
  }
  bool Ok() const { return m_bOk; }
  const cTempFolder& Folder() const { return m_Folder; }

 private:
  cTempFolder m_Folder;  // the working folder while the device lives
  // Static as start-up's table is: the fonts keep pointers to their box and
  // icon surfaces after they are released, and later tests draw text.
  static inline DDSURFACEDATA m_aSD[SYSTEM_BITMAP_COUNT];
  static inline DDSURFACEINFO m_aInfo[SYSTEM_BITMAP_COUNT];
  std::unique_ptr<cGlyphSource> m_lpGlyphs;
  cVector<FONTINFO> m_FontTable;
  bool m_bOk = false;
};
