#include "play/picture_cell.h"

#include <gtest/gtest.h>

#include "media/graphics/dd.h"
#include "records/database.h"
#include "tests/graphics/graphics_fixture.h"

namespace {

// Every sheet of the stage table is a 640 × 480 picture.
DDSURFACEDATA* FullSheets(int, bool) {
  static DDSURFACEDATA s_Sheet = [] {
    DDSURFACEDATA sd;
    sd.nWidth = 640;
    sd.nHeight = 480;
    return sd;
  }();
  return &s_Sheet;
}

class PictureCell : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Database = cEdDatabase();
    SelectSheetSet(false, false);
    SetPictureSheetSource(&FullSheets);
  }
  void TearDown() override {
    SetPictureSheetSource(nullptr);
    g_Database = cEdDatabase();
  }
};

}  // namespace

TEST_F(PictureCell, ReferencesBecomeSheetsAndCells) {
  g_Database.m_vecBmpCharaExc.resize(3);
  g_Database.m_vecBmpCharaExc[2].bCustomCell = 1;
  g_Database.m_vecBmpCharaExc[2].nCellBlocks = 2;
  struct {
    int nUse, nKind, nIndex, nColumn, nDir, nPattern;
    int nFirst, nSecond, x, y;
    bool bOwn;
    int nScale;
  } cases[] = {
      {0, IMAGE_BLOCK, 16, 0, 0, 0, 2, 3, 32, 32, false, 1},
      {1, IMAGE_CHARA, 15, 3, 1, 2, 7, 25, 160, 0, false, 1},   // Character2, facing right
      {1, IMAGE_CHARA, 15, 3, 0, 0, 6, 24, 96, 0, false, 1},
      {0, IMAGE_CHARA, 31, 22, 1, 0, 9, 27, 64, 32, false, 1},  // column 22: the right-facing sheet
      {0, IMAGE_CHARA, 14, 40, 0, 0, 4, 22, 0, 0, false, 1},    // x 640 lies past the sheet: cell (0, 0)
      {1, IMAGE_CHARA, 120, 0, 0, 0, 4, 22, 0, 0, false, 1},    // no ninth chara file
      {2, IMAGE_ITEM, 16, 0, 0, 1, 40, 41, 96, 32, false, 1},
      {0, IMAGE_ITEM, 16, 0, 0, 1, 40, 41, 64, 32, false, 1},
      {1, IMAGE_SHOT, 31, 0, 1, 0, 64, 64, 64, 32, false, 1},
      {0, IMAGE_SHOT, 31, 0, 1, 0, 63, 63, 64, 32, false, 1},
      {1, IMAGE_OWN, 1, 17, 1, 1, 1, 3, 64, 32, false, 1},      // 16 cells a row
      {1, IMAGE_OWN, 2, 8, 0, 1, 4, 6, 64, 64, true, 2},       // scale 2: 8 cells of 64 a row
      {0, IMAGE_OWN, 0, 0, 0, 0, 4, 22, 0, 0, false, 1},        // no picture 0
      {0, IMAGE_OWN, 3, 0, 0, 0, 4, 22, 0, 0, false, 1},        // past the list
  };
  for (const auto& c : cases) {
    IMAGESOURCERECT r = GetImageSourceRect(c.nUse, c.nKind, c.nIndex, c.nColumn, c.nDir, c.nPattern);
    EXPECT_EQ(r.nSheet[0], c.nFirst) << c.nKind << " " << c.nIndex;
    EXPECT_EQ(r.nSheet[1], c.nSecond) << c.nKind << " " << c.nIndex;
    EXPECT_EQ(r.x, c.x) << c.nKind << " " << c.nIndex;
    EXPECT_EQ(r.y, c.y) << c.nKind << " " << c.nIndex;
    EXPECT_EQ(r.bOwnCell, c.bOwn);
    EXPECT_EQ(r.nCellScale, c.nScale);
    EXPECT_EQ(r.nDrawSheet, c.nSecond);  // not DirectDraw with stretching
  }
}

TEST_F(PictureCell, TheSheetSetFollowsThePathAndStretching) {
  SelectSheetSet(true, true);
  EXPECT_EQ(GetImageSourceRect(0, IMAGE_BLOCK, 0, 0, 0, 0).nDrawSheet, 2);
  EXPECT_EQ(IconSheet(), 43);
  EXPECT_EQ(SecondGlobalSheet(), 67);
  EXPECT_EQ(ThirdGlobalSheetForTests(), 68);
  SelectSheetSet(true, false);
  EXPECT_EQ(GetImageSourceRect(0, IMAGE_BLOCK, 0, 0, 0, 0).nDrawSheet, 3);
  EXPECT_EQ(IconSheet(), 44);
  EXPECT_EQ(ThirdGlobalSheetForTests(), 68);
  SelectSheetSet(false, true);
  EXPECT_EQ(IconSheet(), 44);
  EXPECT_EQ(SecondGlobalSheet(), 68);
  EXPECT_EQ(ThirdGlobalSheetForTests(), 70);
}

namespace {

// Every sheet is the fixture's 64 x 32 sheet: cell 0 a ring, cell 1 a
// gradient with key-coloured stripes.
DDSURFACEDATA* s_pSheet = nullptr;
DDSURFACEDATA* FixtureSheets(int, bool) { return s_pSheet; }

std::vector<uint32_t> Region(const std::vector<uint32_t>& px, int nPitch, int x, int y) {
  std::vector<uint32_t> r;
  for (int j = 0; j < 32; ++j)
    for (int i = 0; i < 32; ++i) r.push_back(px[static_cast<size_t>((y + j) * nPitch + x + i)]);
  return r;
}

}  // namespace

TEST(DrawBlock, DrawsTheBlocksCellThenAnOverlayInsideTheIconSheet) {
  t4gfx::cGraphicsFixture gfx(t4gfx::AllModes()[2], 320, 240);
  ASSERT_TRUE(gfx.Ok());
  s_pSheet = gfx.SD(t4gfx::SF_SHEET);
  SetPictureSheetSource(&FixtureSheets);
  SelectSheetSet(true, false);
  DDFillSurface(&g_BackBufferSD, 16);
  // Reference cells drawn directly: cell 1 at (200, 0), cell 1 over cell 0
  // at (200, 100).
  DDBltFast(&g_BackBufferSD, 200, 0, 32, 32, s_pSheet, 32, 0, 1);
  DDBltFast(&g_BackBufferSD, 200, 100, 32, 32, s_pSheet, 0, 0, 1);
  DDBltFast(&g_BackBufferSD, 200, 100, 32, 32, s_pSheet, 32, 0, 1);

  cEdBlock b;
  b.m_nImageIndex = 15;  // column 1, row 0 of the block sheet
  DrawBlock(b, &g_BackBufferSD, 0, 0);
  cEdBlock over;
  over.m_bOverlay = 1;
  over.m_nOverlayCell = 15;  // column 1, row 0 of the icon sheet
  DrawBlock(over, &g_BackBufferSD, 0, 100);
  cEdBlock outside = b;
  outside.m_bOverlay = 1;
  outside.m_nOverlayCell = 1;  // row 1 lies below the 32-pixel sheet
  DrawBlock(outside, &g_BackBufferSD, 100, 0);

  std::vector<uint32_t> px = t4gfx::BackBufferPixels();
  ASSERT_EQ(px.size(), 320u * 240u);
  EXPECT_EQ(Region(px, 320, 0, 0), Region(px, 320, 200, 0));
  EXPECT_EQ(Region(px, 320, 0, 100), Region(px, 320, 200, 100));
  EXPECT_EQ(Region(px, 320, 100, 0), Region(px, 320, 200, 0));
  SetPictureSheetSource(nullptr);
  SelectSheetSet(false, false);
}

TEST(DrawSmallCell, ItemsCopyUnshrunkAndBlocksShrinkTheirCell) {
  t4gfx::cGraphicsFixture gfx(t4gfx::AllModes()[2], 320, 240);
  ASSERT_TRUE(gfx.Ok());
  s_pSheet = gfx.SD(t4gfx::SF_SHEET);
  SetPictureSheetSource(&FixtureSheets);
  DDFillSurface(&g_BackBufferSD, 16);
  DDBltFast(&g_BackBufferSD, 200, 0, 16, 16, s_pSheet, 32, 16, 1);            // item 16
  DDBltD3D(&g_BackBufferSD, 200, 100, 16, 16, s_pSheet, 32, 0, 32, 32, 1);     // block 15
  DrawSmallCell(&g_BackBufferSD, 0, 0, IMAGE_ITEM, 16, 0);
  DrawSmallCell(&g_BackBufferSD, 0, 100, IMAGE_BLOCK, 15, 0);
  std::vector<uint32_t> px = t4gfx::BackBufferPixels();
  auto Small = [&](int x0, int y0) {
    std::vector<uint32_t> r;
    for (int j = 0; j < 16; ++j)
      for (int i = 0; i < 16; ++i) r.push_back(px[static_cast<size_t>((y0 + j) * 320 + x0 + i)]);
    return r;
  };
  EXPECT_EQ(Small(0, 0), Small(200, 0));
  EXPECT_EQ(Small(0, 100), Small(200, 100));
  EXPECT_NE(Small(0, 0), Small(0, 100));
  SetPictureSheetSource(nullptr);
}
