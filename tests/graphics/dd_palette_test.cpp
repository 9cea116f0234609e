// The palette picture: where the screen's colours come from, and the
// pictures that cannot give them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "base/report.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

// An 8-bit screen takes its 256 colours from the picture's colour table; a
// full-colour picture has none and is refused with its report line (the
// screen would otherwise keep whatever colours it had). The other depths
// read the colours from the picture's pixels and take it.
TEST(PalettePicture, An8BitScreenNeedsAColourTable) {
  struct CASE {
    const char* pszName;
    int nMode;
    int nBpp;
    bool bIndexed;
    bool bTaken;
  } cases[] = {
      {"dd8 indexed", 0, 8, true, true},    {"dd8 full colour", 0, 8, false, false},
      {"dd16 full colour", 0, 16, false, true}, {"d3d32 full colour", 1, 32, false, true},
  };
  std::vector<uint32_t> rgb(16 * 24, 0x204060);
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszName);
    cTempFolder folder;
    folder.WriteFile("bmp/plt/Palette.bmp", c.bIndexed ? PaletteBmp() : MakeBmpRgb(24, 16, 24, rgb));
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    DDSURFACEDATA sd[1];
    DDSURFACEINFO info[1];
    info[0].szFileName = "bmp\\plt\\Palette.bmp";
    ASSERT_TRUE(DDInit(c.nMode, nullptr, 64, 48, c.nBpp, 0, 0, 1, 60, 0, sd, info, 1));
    BYTE pal[1024] = {};
    EXPECT_EQ(DDLoadPaletteFromFile(pal, &info[0], 0), c.bTaken);
    std::string report = folder.ReadFile("Report_Game.txt");
    EXPECT_EQ(report.find("Bitmap bmp\\plt\\Palette.bmp : ") != std::string::npos, !c.bTaken) << report;
    if (c.bIndexed) {
      EXPECT_EQ(pal[16 * 4 + 2], 0x50);  // entry 16 of the table: 0x203050
    }
    DDUnInit();
  }
}
