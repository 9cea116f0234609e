// The bitmap reader: every depth and row order it must read, and damaged
// files refused with a report line instead of a crash.
#include "media/graphics/bmp_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "base/report.h"
#include "tests/support/alloc_meter.h"
#include "tests/support/bmp_writer.h"
#include "tests/support/corruption.h"
#include "tests/support/fifo_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

const std::vector<uint32_t> kPal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080, 0x123456, 0xABCDEF,
                                    0x101010, 0x202020, 0x303030, 0x404040, 0x505050, 0x606060, 0x707070, 0x909090};

std::vector<uint8_t> Indices(int w, int h, int nColors) {
  std::vector<uint8_t> v(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint8_t>((i * 7 + i / w) % nColors);
  return v;
}

bool Decode(const std::string& bytes, DIBPICTURE& pic) {
  std::string why;
  return DecodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), pic, why);
}

void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A run-length coded picture: the header and colour table of an indexed
// picture of that depth, compression 1 (8 bits) or 2 (4 bits), then codes.
std::string RleBmp(int nBits, int w, int h, const std::string& codes) {
  std::string b = MakeBmpIndexed(nBits, w, h, kPal, std::vector<uint8_t>(static_cast<size_t>(w) * h, 0));
  const uint32_t nOff = static_cast<uint8_t>(b[10]) | static_cast<uint8_t>(b[11]) << 8;
  b.resize(nOff);
  b += codes;
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 30, nBits == 8 ? 1 : 2);
  Put32(b, 34, static_cast<uint32_t>(codes.size()));
  return b;
}

std::string Codes(std::initializer_list<int> v) {
  std::string s;
  for (int c : v) s += static_cast<char>(c);
  return s;
}

}  // namespace

TEST(BmpReader, ReadsEveryDepthInBothRowOrders) {
  const int w = 13, h = 5;  // odd width: rows carry padding
  for (bool bTopDown : {false, true}) {
    for (int nBits : {1, 4, 8}) {
      SCOPED_TRACE(nBits);
      int nColors = 1 << std::min(nBits, 4);
      std::vector<uint32_t> pal(kPal.begin(), kPal.begin() + nColors);
      std::vector<uint8_t> idx = Indices(w, h, nColors);
      DIBPICTURE pic;
      ASSERT_TRUE(Decode(MakeBmpIndexed(nBits, w, h, pal, idx, bTopDown), pic));
      ASSERT_EQ(pic.nWidth, w);
      ASSERT_EQ(pic.nHeight, h);
      EXPECT_EQ(pic.ColorCount(), nColors);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          ASSERT_EQ(pic.Index(x, y), idx[y * w + x]);
          ASSERT_EQ(pic.Pixel(x, y), pal[idx[y * w + x]]);
        }
    }
    for (int nBits : {24, 32}) {
      SCOPED_TRACE(nBits);
      std::vector<uint32_t> px(static_cast<size_t>(w) * h);
      for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint32_t>(i * 0x010203 + 0x400000) & 0xFFFFFF;
      DIBPICTURE pic;
      ASSERT_TRUE(Decode(MakeBmpRgb(nBits, w, h, px, bTopDown), pic));
      EXPECT_EQ(pic.vPixels, px);
    }
  }
}

TEST(BmpReader, RefusesDamagedFilesWithAReportLine) {
  const std::string good = MakeBmpIndexed(8, 16, 8, kPal, Indices(16, 8, 16));
  struct CASE {
    const char* szName;
    size_t nAt;  // where a 32-bit value is written; SIZE_MAX: truncate to nValue bytes
    uint32_t nValue;
  };
  const CASE cases[] = {
      {"pixel offset past the end", 10, 0x7FFFFFF0},
      {"header size past the end", 14, 0x10000},
      {"zero width", 18, 0},
      {"zero height", 22, 0},
      {"huge width", 18, 0x40000000},
      {"huge height", 22, 0x7FFFFFFF},
      {"most negative height", 22, 0x80000000},
      {"colour count past the end", 46, 200},
      {"colour count too large", 46, 100000},
      {"truncated pixels", SIZE_MAX, static_cast<uint32_t>(good.size() - 3)},
      {"truncated header", SIZE_MAX, 20},
  };
  cTempFolder folder;
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.szName);
    std::string bad = good;
    if (c.nAt == SIZE_MAX) bad.resize(c.nValue);
    else Put32(bad, c.nAt, c.nValue);
    DIBPICTURE pic;
    EXPECT_FALSE(Decode(bad, pic));
    folder.WriteFile("bmp/Bad.bmp", bad);
    std::string before = folder.ReadFile("Report_Game.txt");
    EXPECT_FALSE(LoadBmpFile("bmp\\Bad.bmp", pic));
    EXPECT_GT(folder.ReadFile("Report_Game.txt").size(), before.size());
  }
  // A missing file is the caller's to report.
  std::string before = folder.ReadFile("Report_Game.txt");
  DIBPICTURE pic;
  EXPECT_FALSE(LoadBmpFile("bmp\\None.bmp", pic));
  EXPECT_EQ(folder.ReadFile("Report_Game.txt"), before);
}

// Run-length coded pictures of 8 and 4 bits, codes written by hand: runs,
// pixels as they stand (padded to a word), a jump, row ends and the end.
// The rows come bottom first; pixels the codes skip are index 0.
TEST(BmpReader, ReadsRunLengthCodedPictures) {
  const struct {
    const char* pszName;
    int nBits, w, h;
    std::string strCodes;
    std::vector<uint8_t> vTopDown;
  } cases[] = {
      {"RLE8", 8, 4, 3,
       Codes({0, 3, 5, 6, 7, 0,  // three pixels as they stand, one pad byte
              1, 2, 0, 0,        // one pixel of 2; the row ends
              0, 2, 1, 1,        // a jump one right and one up: the middle row stays 0
              3, 9, 0, 1}),      // three pixels of 9; the end
       {0, 9, 9, 9, 0, 0, 0, 0, 5, 6, 7, 2}},
      {"RLE4", 4, 4, 2,
       Codes({4, 0x12, 0, 0,           // 1, 2, 1, 2 from the two halves in turn
              0, 3, 0x34, 0x50,        // three pixels as they stand, two bytes
              1, 0xF0, 0, 1}),         // one pixel of the high half; the end
       {3, 4, 5, 15, 1, 2, 1, 2}},
  };
  cTempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszName);
    const std::string bytes = RleBmp(c.nBits, c.w, c.h, c.strCodes);
    DIBPICTURE pic;
    ASSERT_TRUE(Decode(bytes, pic));
    EXPECT_EQ(pic.nBitCount, c.nBits);
    EXPECT_EQ(pic.vIndices, c.vTopDown);
    for (size_t i = 0; i < c.vTopDown.size(); ++i) EXPECT_EQ(pic.vPixels[i], kPal[c.vTopDown[i]]);
    // And through the file reader the surfaces use.
    folder.WriteFile("bmp/R.bmp", bytes);
    DIBPICTURE fromFile;
    ASSERT_TRUE(LoadBmpFile("bmp\\R.bmp", fromFile));
    EXPECT_EQ(fromFile.vIndices, c.vTopDown);
  }
}

TEST(BmpReader, RefusesDamagedRunLengthCodesWithAReportLine) {
  const struct {
    const char* pszName;
    int nBits;
    std::string strCodes;
    bool bTopDown;
    uint32_t nCompression;  // 0: the one of the depth
  } cases[] = {
      {"run past the row's end", 8, Codes({5, 1, 0, 1}), false, 0},
      {"run-length data without its end", 8, Codes({4, 1, 0, 0}), false, 0},
      {"a code cut in two", 8, Codes({4}), false, 0},
      {"jump past the top", 8, Codes({0, 2, 0, 5, 0, 1}), false, 0},
      {"pixels past the file", 8, Codes({0, 200, 1, 2}), false, 0},
      {"rows past the top", 4, Codes({0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1}), false, 0},
      {"a top-down coded picture", 8, Codes({0, 1}), true, 0},
      {"8-bit codes on a 4-bit picture", 4, Codes({0, 1}), false, 1},
  };
  cTempFolder folder;
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszName);
    std::string bytes = RleBmp(c.nBits, 4, 3, c.strCodes);
    if (c.bTopDown) Put32(bytes, 22, static_cast<uint32_t>(-3));
    if (c.nCompression) Put32(bytes, 30, c.nCompression);
    DIBPICTURE pic;
    EXPECT_FALSE(Decode(bytes, pic));
    folder.WriteFile("bmp/Bad.bmp", bytes);
    const std::string before = folder.ReadFile("Report_Game.txt");
    EXPECT_FALSE(LoadBmpFile("bmp\\Bad.bmp", pic));
    EXPECT_GT(folder.ReadFile("Report_Game.txt").size(), before.size());
  }
  // Damage anywhere in a coded picture is refused or read, never more.
  CORRUPTIONPLAN plan;
  plan.nMutations = 500;
  RunCorruptionHarness(RleBmp(8, 4, 3, Codes({0, 3, 5, 6, 7, 0, 1, 2, 0, 0, 0, 2, 1, 1, 3, 9, 0, 1})), "bmp/C.bmp",
                       [] {
                         DIBPICTURE pic;
                         if (LoadBmpFile("bmp\\C.bmp", pic)) {
                           ASSERT_EQ(pic.vIndices.size(), pic.vPixels.size());
                         }
                       },
                       plan);
}

TEST(BmpReader, SurvivesTheCorruptionHarnessThroughSurfaceLoading) {
  cTempFolder folder;
  DDSURFACEDATA sd[1];
  DDSURFACEINFO info[1];
  ASSERT_TRUE(DDInit(1, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, sd, info, 1));
  CORRUPTIONPLAN plan;
  plan.nMutations = 300;
  const std::string good = MakeBmpRgb(24, 20, 10, std::vector<uint32_t>(200, 0x336699));
  RunCorruptionHarness(good, "bmp/C.bmp", [] {
    DDSURFACEDATA s;
    DDCreateSurfaceFromFile(&s, "bmp\\C.bmp", 1, 32, 0, 0, nullptr, 1, 4, 0, 0);
    DDReleaseSurface(&s);
  }, plan);
  DDSURFACEDATA s;
  std::string bad = good.substr(0, 60);
  folder.WriteFile("bmp/T.bmp", bad);
  EXPECT_EQ(DDCreateSurfaceFromFile(&s, "bmp\\T.bmp", 1, 32, 0, 0, nullptr, 0, 0, 0, 0), DDSURF_LOADIMAGE_ERR);
  DDReleaseSurface(&s);
  DDUnInit();
}

// Colour masks of 32-bit pictures written out by hand: one pixel after the
// three masks. A mask may take the whole word; its channel is then the
// word's top byte.
TEST(BmpReader, ReadsColourMasksUpToTheWholeWord) {
  struct CASE {
    const char* szName;
    uint32_t anMask[3];
    uint32_t nPixel;
    uint32_t nExpected;
  };
  const CASE cases[] = {
      {"8-8-8", {0xFF0000, 0xFF00, 0xFF}, 0x00123456, 0x123456},
      {"10-10-10", {0x3FF00000, 0x000FFC00, 0x000003FF}, 0x3FF00000 | (0x200 << 10) | 0x004, 0xFF8001},
      {"red takes the whole word", {0xFFFFFFFF, 0, 0}, 0xAB000000, 0xAB0000},
      {"blue takes the whole word", {0, 0, 0xFFFFFFFF}, 0x12FFFFFF, 0x000012},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.szName);
    std::string b(70, '\0');
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, 70);
    Put32(b, 10, 66);  // pixels after the masks
    Put32(b, 14, 40);
    Put32(b, 18, 1);
    Put32(b, 22, 1);
    b[26] = 1;    // planes
    b[28] = 32;   // bits per pixel
    b[30] = 3;    // masks
    for (int i = 0; i < 3; ++i) Put32(b, 54 + 4 * i, c.anMask[i]);
    Put32(b, 66, c.nPixel);
    DIBPICTURE pic;
    ASSERT_TRUE(Decode(b, pic));
    EXPECT_EQ(pic.Pixel(0, 0), c.nExpected);
  }
}

namespace {

// The header of a 1-bit picture of any claimed size with its two colours;
// the pixels follow at byte 62.
std::string OneBitHeader(int32_t w, int32_t h) {
  std::string b(62, '\0');
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, 62);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(w));
  Put32(b, 22, static_cast<uint32_t>(h));
  b[26] = 1;
  b[28] = 1;
  Put32(b, 58, 0xFFFFFF);
  return b;
}

// A whole 1-bit picture file, its pixel rows left as a hole in the file.
void WriteOneBitBmp(const cTempFolder& folder, const std::string& relPath, int32_t w, int32_t h) {
  folder.WriteFile(relPath, OneBitHeader(w, h));
  uint64_t nRowBytes = (static_cast<uint64_t>(w) + 31) / 32 * 4;
  std::filesystem::resize_file(folder.Path() + "/" + relPath, 62 + nRowBytes * static_cast<uint64_t>(h));
}

}  // namespace

// Sides up to 8192 and areas up to 2^24 pixels are pictures; beyond that the
// header alone refuses them, whatever the rest of the file holds.
TEST(BmpReader, SizeBeyondWhatTheGameUsesIsRefused) {
  struct CASE {
    int32_t w, h;
    bool bUsable;
  } cases[] = {
      {8192, 1, true}, {1, 8192, true}, {8193, 1, false}, {1, -8193, false}, {4096, 4097, false}, {16384, 16384, false},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    std::string b = OneBitHeader(c.w, c.h);
    if (c.bUsable) b.resize(62 + (static_cast<size_t>(c.w) + 31) / 32 * 4 * static_cast<size_t>(std::abs(c.h)));
    DIBPICTURE pic;
    std::string why;
    EXPECT_EQ(DecodeBmp(reinterpret_cast<const uint8_t*>(b.data()), b.size(), pic, why), c.bUsable) << why;
    if (!c.bUsable) {
      EXPECT_EQ(why.rfind("size too large", 0), 0u) << why;
    }
  }
}

// A valid 32 MB file of 16384 x 16384 pixels at 1 bit decodes to gigabytes:
// loaded as a sheet it is refused with the picture's report line, and the
// load stays small.
TEST(BmpReader, HugePictureIsRefusedBeforeItIsAllocated) {
  cTempFolder folder;
  WriteOneBitBmp(folder, "bmp/Character1.bmp", 16384, 16384);
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  DDSURFACEDATA sd[1];
  DDSURFACEINFO info[1];
  for (int nMode : {0, 1}) {
    SCOPED_TRACE(nMode ? "Direct3D" : "DirectDraw");
    ASSERT_TRUE(DDInit(nMode, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, sd, info, 1));
    long nKb = PeakGrowthKb([] {
      DDSURFACEDATA s;
      int nResult = DDCreateSurfaceFromFile(&s, "bmp\\Character1.bmp", 1, 32, 0, 0, nullptr, 0, 32, 0, 0);
      DDReleaseSurface(&s);
      return nResult == DDSURF_LOADIMAGE_ERR;
    });
    EXPECT_GE(nKb, 0) << "the load did not end as refused";
    EXPECT_LT(nKb, 16 * 1024);
    DDUnInit();
  }
  DIBPICTURE pic;
  EXPECT_FALSE(LoadBmpFile("bmp\\Character1.bmp", pic));
  EXPECT_NE(folder.ReadFile("Report_Game.txt").find("Bitmap bmp\\Character1.bmp : size too large (16384 x 16384)"),
            std::string::npos)
      << folder.ReadFile("Report_Game.txt");
}

// A named pipe in a picture's place is a picture that cannot be opened, at
// once: nothing waits for a writer.
TEST(BmpReader, NamedPipeIsNoPicture) {
  cTempFolder folder;
  folder.WriteFile("bmp/x", "");
  ASSERT_TRUE(MakeFifo(folder.Path() + "/bmp/Title.bmp"));
  DDSURFACEDATA sd[1];
  DDSURFACEINFO info[1];
  ASSERT_TRUE(DDInit(0, nullptr, 64, 48, 32, 0, 1, 1, 60, 0, sd, info, 1));
  int nResult = -1;
  EXPECT_TRUE(FinishesWithin(5000, folder.Path() + "/bmp/Title.bmp", [&] {
    DDSURFACEDATA s;
    nResult = DDCreateSurfaceFromFile(&s, "bmp\\Title.bmp", 1, 32, 0, 0, nullptr, 0, 0, 0, 0);
    DDReleaseSurface(&s);
  }));
  EXPECT_EQ(nResult, DDSURF_LOADIMAGE_ERR);
  DDUnInit();
}
