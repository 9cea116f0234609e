// The 8-bit display's picture sets: the colour table read whole, the palette
// shifted (sets 0 to 11) or banded (12 to 23), and a missing or short table
// refused with its box.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_pixel_effects.h"
#include "shell/startup.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {

// A DirectDraw device at 8 bits whose palette picture is the program's
// fixed entry 0, as start-up leaves it.
class cHbtDevice {
 public:
  explicit cHbtDevice(const GRAPHICSMODE& mode) : m_Fx(mode, 64, 48) {
    m_SavedInfo = g_aStageSurfaceInfo[0];
    g_aStageSurfaceInfo[0] = DDSURFACEINFO{};
    g_aStageSurfaceInfo[0].szFileName = "bmp\\plt\\Palette.bmp";
    std::memcpy(m_SavedTable.data(), g_ColorTable, m_SavedTable.size());
    std::memcpy(m_Original, g_Palette, sizeof m_Original);
  }
  ~cHbtDevice() {
    g_aStageSurfaceInfo[0] = m_SavedInfo;
    std::memcpy(g_ColorTable, m_SavedTable.data(), m_SavedTable.size());
  }
  void WriteTable(int n, size_t nBytes, char c) {
    char name[32];
    std::snprintf(name, sizeof name, "bmp/hbt/hbt%02d.dat", n);
    m_Fx.Folder().WriteFile(name, std::string(nBytes, c));
  }
  cGraphicsFixture m_Fx;
  BYTE m_Original[1024];

 private:
  DDSURFACEINFO m_SavedInfo;
  std::vector<BYTE> m_SavedTable = std::vector<BYTE>(65536);
};

}  // namespace

TEST(LoadHbt, ShiftsOrBandsThePaletteOfItsSet) {
  cHbtDevice dev(AllModes()[0]);
  ASSERT_TRUE(dev.m_Fx.Ok());
  const BYTE* orig = dev.m_Original;
  const struct {
    int n;
    int nEntry, nFrom;  // g_Palette[nEntry] becomes the picture's entry nFrom
  } cases[] = {
      {0, 100, 100}, {3, 16 + 48, 16}, {3, 16, 207 - 47}, {3, 15, 15}, {3, 208, 208},
      {11, 16, 207 - 175}, {12, 100, 16 + 100 % 16}, {23, 16, 192}, {23, 207, 207}, {14, 200, 48 + 200 % 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("set " + std::to_string(c.n) + " entry " + std::to_string(c.nEntry));
    dev.WriteTable(c.n, 65536, static_cast<char>(c.n + 1));
    ASSERT_TRUE(LoadHbt(c.n));
    EXPECT_EQ(g_ColorTable[12345], c.n + 1);
    EXPECT_EQ(std::memcmp(g_Palette + c.nEntry * 4, orig + c.nFrom * 4, 3), 0);
    EXPECT_EQ(std::memcmp(g_WorkPalette, g_Palette, 1024), 0);
    // The display palette gets the 255 entries from 0.
    EXPECT_EQ(std::memcmp(DDGetPaletteEntries(), g_Palette, 255 * 4), 0);
  }
}

TEST(LoadHbt, RefusesAMissingShortOrUnknownSet) {
  cHbtDevice dev(AllModes()[0]);
  ASSERT_TRUE(dev.m_Fx.Ok());
  dev.WriteTable(2, 65536, 7);
  ASSERT_TRUE(LoadHbt(2));
  dev.WriteTable(4, 65535, 9);
  for (int n : {4, 5, 24, -1}) {
    SCOPED_TRACE(n);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadHbt(n));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(" の読み込みに失敗！"), std::string::npos) << err;
    EXPECT_EQ(g_ColorTable[40000], 7);  // the table in use stays
  }
  // Other displays need no table.
  cHbtDevice d3d(AllModes()[5]);
  ASSERT_TRUE(d3d.m_Fx.Ok());
  EXPECT_TRUE(LoadHbt(9));
}
