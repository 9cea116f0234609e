// The fonts as start-up and shut-down use them: the three fonts from the
// font table with their box and icon surfaces taken from the fixed surface
// array, the digit surfaces, the glyph counts in the report, release.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/font.h"
#include "platform/glyph_source.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "records/start_tables.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

TEST(FontStartup, InitAllDigitSurfacesReportAndRelease) {
  std::unique_ptr<cGlyphSource> fake = CreateFakeGlyphSourceForTests();
  SetGlyphSourceForTests(fake.get());
  for (const GRAPHICSMODE& mode : {AllModes()[2], AllModes()[5]}) {
    SCOPED_TRACE(mode.szName);
    cGraphicsFixture fx(mode);
    ASSERT_TRUE(fx.Ok());
    // The fixed surface array of the game: 71 records, the icon sheet (50)
    // with a surface, the box picture (45) still empty.
    std::vector<DDSURFACEDATA> fixed(SYSTEM_BITMAP_COUNT);
    ASSERT_TRUE(DDCreateSurface(&fixed[50], 26 * 16, 16, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    DDSURFACEDATA* lpOldArray = g_DDDisplay.lpSDArray;
    int nOldCount = g_DDDisplay.nInfoCount;
    g_DDDisplay.lpSDArray = fixed.data();
    g_DDDisplay.nInfoCount = SYSTEM_BITMAP_COUNT;

    cVector<FONTINFO> table = BuildFontTable();
    for (FONTINFO& f : table)
      if (f.nFastFont == 2) f.nFastFont = 1;  // as "D3D_FontCache" / "DD_FontCache" would set it
    ASSERT_EQ(cFont::InitAll(g_Fonts, table.data(), FONT_COUNT), 1);
    ASSERT_EQ(g_FontList.size(), 3u);
    int i = 0;
    for (cFont* f : g_FontList) {
      EXPECT_EQ(f, &g_Fonts[i]);
      EXPECT_EQ(f->m_lpBoxSD, &fixed[45]);
      EXPECT_EQ(f->m_lpIconSD, &fixed[50]);
      EXPECT_EQ(f->m_bIcon, 1);
      if (i > 0) {
        EXPECT_EQ(f->m_nId, g_Fonts[i - 1].m_nId + 1);
      }
      ++i;
    }
    EXPECT_NE(g_Fonts[0].m_lpFastFont_FullAdd, nullptr);
    EXPECT_NE(g_Fonts[1].m_lpFastFont_FullAdd, nullptr);
    EXPECT_EQ(g_Fonts[2].m_lpFastFont_Half, nullptr);
    EXPECT_EQ(g_Fonts[2].m_lpFastFont_FullAdd, nullptr);

    ASSERT_TRUE(DDCreateDigitSurfaces(g_DigitSD, g_DigitSurfaceInfo, FONT_COUNT, g_Fonts, table.data()));
    const int aw[] = {100, 160, 320}, ah[] = {10, 16, 32};
    for (int k = 0; k < FONT_COUNT; ++k) {
      EXPECT_EQ(g_DigitSD[k].nWidth, aw[k]);
      EXPECT_EQ(g_DigitSD[k].nHeight, ah[k]);
    }

    // Two characters that are not in the fixed list join font 1's strip.
    g_Fonts[1].DrawText(&g_BackBufferSD, 0, 0, Sjis("漢字").c_str(), 0);
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    ReportFontGlyphCounts();
    EXPECT_EQ(fx.Folder().ReadFile("Report_Game.txt"), "Font10 : 256\nFont16 : 258\n");

    for (cFont& f : g_Fonts) f.ReleaseFonts();
    for (DDSURFACEDATA& sd : g_DigitSD) DDReleaseSurface(&sd);
    EXPECT_TRUE(g_FontList.empty());
    EXPECT_EQ(g_Fonts[0].m_lpFastFont_FullAdd, nullptr);
    EXPECT_EQ(g_Fonts[1].m_lpFont, nullptr);
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    ReportFontGlyphCounts();
    EXPECT_EQ(fx.Folder().ReadFile("Report_Game.txt"), "");

    DDReleaseSurface(&fixed[50]);
    g_DDDisplay.lpSDArray = lpOldArray;
    g_DDDisplay.nInfoCount = nOldCount;
  }
  SetGlyphSourceForTests(nullptr);
}
