// Text drawing with the fake glyph source on every drawing path and depth:
// cell positions of single- and double-byte characters, icons, the glyph
// strips and their growth, boxes sized to the text, measuring, and texts
// that hold "%".
#include <gtest/gtest.h>

#include <memory>

#include <cstdlib>
#include <string>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/font.h"
#include "platform/glyph_source.h"
#include "platform/text_cp932.h"
#include "tests/graphics/graphics_fixture.h"

using namespace t4gfx;

namespace {

constexpr int kInk = 241;
constexpr int kBack = 16;
constexpr int kBoxColor = 50;
constexpr int kFrame = 240;
constexpr int kIconBase = 100;  // icon of letter k: palette number 100 + k

// The fake glyph source for the life of a test.
class cFakeGlyphs {
 public:
  cFakeGlyphs() : m_Source(CreateFakeGlyphSourceForTests()) { SetGlyphSourceForTests(m_Source.get()); }
  ~cFakeGlyphs() { SetGlyphSourceForTests(nullptr); }

 private:
  std::unique_ptr<cGlyphSource> m_Source;
};

// A started device with an icon sheet, a box picture and one font; the
// font is made by each test.
class cFontScene {
 public:
  explicit cFontScene(const GRAPHICSMODE& mode) : m_Fx(mode) {
    if (!m_Fx.Ok()) return;
    DDCreateSurface(&m_Icons, 26 * 16, 16, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
    for (int k = 0; k < 26; ++k) DDFillRect(&m_Icons, k * 16, 0, 16, 16, kIconBase + k);
    DDCreateSurface(&m_Box, 200, 100, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
    DDFillSurface(&m_Box, kBoxColor);
  }
  ~cFontScene() {
    m_Font.ReleaseFonts();
    DDReleaseSurface(&m_Icons);
    DDReleaseSurface(&m_Box);
  }
  bool Ok() const { return m_Fx.Ok(); }
  void MakeFont(int nHeight, int nCell, bool bIcons, int nFastFont) {
    m_Font.Init(Sjis("ＭＳ ゴシック").c_str(), 0, nHeight, nCell, nCell, kInk, &m_Box, 1, kFrame,
                bIcons ? &m_Icons : nullptr, nFastFont);
  }
  // How palette number n looks in the back buffer.
  uint32_t Shown(int n) {
    DDFillRect(&g_BackBufferSD, 0, 0, 1, 1, n);
    return Pixel(&g_BackBufferSD, 0, 0);
  }
  static uint32_t Pixel(DDSURFACEDATA* sd, int x, int y) {
    cPixelBuffer* b = DDSurfacePixels(sd);
    if (b->Format() == PF_INDEX8) {
      const BYTE* e = DDGetPaletteEntries() + b->GetRaw(x, y) * 4;
      return static_cast<uint32_t>(e[0]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[2];
    }
    return RawToArgb(b->Format(), b->GetRaw(x, y)) & 0xFFFFFF;
  }

  cGraphicsFixture m_Fx;
  DDSURFACEDATA m_Icons;
  DDSURFACEDATA m_Box;
  cFont m_Font;
};

// Fills of system-memory textures at 16 bits round down where the back
// buffer rounds to the nearest, so colours may differ by a step or so.
bool Near(uint32_t a, uint32_t b) {
  for (int s = 0; s < 24; s += 8)
    if (std::abs(static_cast<int>(a >> s & 0xFF) - static_cast<int>(b >> s & 0xFF)) > 12) return false;
  return true;
}

// What a 16 x 16-cell font with a 16-pixel fake face draws: the expected
// colour class of every pixel (0 background, 1 ink, 2 + k icon of letter k).
struct EXPECTED {
  int x0, y0, w, h;
  std::vector<int> cls;
  int& At(int x, int y) { return cls[static_cast<size_t>(y - y0) * w + (x - x0)]; }
};

EXPECTED ModelText(const std::string& text, int x, int y, bool bIcons) {
  EXPECTED e{x - 4, y - 4, 16 * 12, 16 * 4, {}};
  e.cls.assign(static_cast<size_t>(e.w) * e.h, 0);
  auto glyph = [&](int code, int gx, int gy) {
    int w = FakeGlyphWidthForTests(code, 16);
    for (int yy = 0; yy < 16; ++yy)
      for (int xx = 0; xx < w; ++xx)
        if (FakeGlyphInkForTests(code, xx, yy)) e.At(gx + xx, gy + yy) = 1;
  };
  std::vector<std::pair<int, int>> icons;  // (cell x, cell y) of each icon, with its letter
  std::vector<int> letters;
  int col = 0, line = 0;
  for (size_t i = 0; i < text.size();) {
    uint8_t c = static_cast<uint8_t>(text[i]);
    if (IsSjisLeadByte(c) && i + 1 < text.size() && IsSjisTrailByte(static_cast<uint8_t>(text[i + 1]))) {
      int code = c << 8 | static_cast<uint8_t>(text[i + 1]);
      if (code != 0x8140) glyph(code, x + col, y + line);  // the full-width space draws nothing
      col += 16;
      i += 2;
      continue;
    }
    if (c == '\n') {
      line += 16;
      col = 0;
    } else {
      if (bIcons && c >= 'a' && c <= 'z') {
        icons.push_back({x + col, y + line});
        letters.push_back(c - 'a');
      } else if (c != ' ') {
        glyph(c, x + col + 2, y + line);  // a single byte sits 16 / 8 right, 16 / 16 - 1 down
      }
      col += 16;
    }
    ++i;
  }
  for (size_t k = 0; k < icons.size(); ++k)
    for (int yy = 0; yy < 16; ++yy)
      for (int xx = 0; xx < 16; ++xx) e.At(icons[k].first + xx, icons[k].second + yy) = 2 + letters[k];
  return e;
}

// Compares the back buffer with the model; gives the first mismatch.
std::string CompareWithModel(cFontScene& s, EXPECTED& e) {
  uint32_t back = s.Shown(kBack), ink = s.Shown(kInk);
  std::vector<uint32_t> icon(26);
  for (int k = 0; k < 26; ++k) icon[k] = s.Shown(kIconBase + k);
  // The probes sit at (0, 0), outside every model.
  for (int y = e.y0; y < e.y0 + e.h; ++y)
    for (int x = e.x0; x < e.x0 + e.w; ++x) {
      int c = e.At(x, y);
      uint32_t want = c == 0 ? back : c == 1 ? ink : icon[c - 2];
      uint32_t got = cFontScene::Pixel(&g_BackBufferSD, x, y);
      if (!Near(got, want)) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "at (%d,%d) class %d: got %06X want %06X", x, y, c, got, want);
        return buf;
      }
    }
  return "";
}

// Two lines: a letter, an icon, a full-width space, katakana from the fixed
// list, a kanji that is not in it, a half-width katakana byte; then icons,
// a digit, a full-width letter and a blank.
std::string LayoutText() { return Sjis("Ab　ア漢ｱ\nxz1ａ %"); }

}  // namespace

TEST(FontLayout, TwoLineTextOnEveryPathWithAndWithoutStrips) {
  cFakeGlyphs fake;
  struct CASE {
    int nFastFont;
    DWORD dwMode;
  };
  const CASE cases[] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (const GRAPHICSMODE& mode : AllModes()) {
    for (const CASE& c : cases) {
      SCOPED_TRACE(std::string(mode.szName) + " strips " + std::to_string(c.nFastFont) + " mode " +
                   std::to_string(c.dwMode));
      cFontScene s(mode);
      ASSERT_TRUE(s.Ok());
      s.MakeFont(16, 16, true, c.nFastFont);
      DDFillSurface(&g_BackBufferSD, kBack);
      s.m_Font.DrawText(&g_BackBufferSD, 20, 30, LayoutText().c_str(), c.dwMode);
      EXPECTED e = ModelText(LayoutText(), 20, 30, c.dwMode == 0);
      EXPECT_EQ(CompareWithModel(s, e), "");
      // Drawn a second time (the kanji now cached) it looks the same.
      DDFillSurface(&g_BackBufferSD, kBack);
      s.m_Font.DrawText(&g_BackBufferSD, 20, 30, LayoutText().c_str(), c.dwMode);
      EXPECT_EQ(CompareWithModel(s, e), "");
    }
  }
}

TEST(FontLayout, TextIntoSurfaceThatIsNotTheBackBuffer) {
  // A system-memory texture on Direct3D is not a render target: the text
  // goes through the font's work surface.
  cFakeGlyphs fake;
  for (const GRAPHICSMODE& mode : AllModes()) {
    SCOPED_TRACE(mode.szName);
    cFontScene s(mode);
    ASSERT_TRUE(s.Ok());
    s.MakeFont(16, 16, true, 1);
    DDSURFACEDATA dst;
    ASSERT_TRUE(DDCreateSurface(&dst, 240, 80, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    DDFillSurface(&dst, kBack);
    s.m_Font.DrawText(&dst, 4, 4, LayoutText().c_str(), 0);
    DDFillSurface(&g_BackBufferSD, kBack);
    DDBltFast(&g_BackBufferSD, 16, 26, 240, 80, &dst, 0, 0, 0);
    EXPECTED e = ModelText(LayoutText(), 20, 30, true);
    EXPECT_EQ(CompareWithModel(s, e), "");
    DDReleaseSurface(&dst);
  }
}

TEST(FontStrips, FixedListFillsCellsInOrderThenGrowsOnDemand) {
  cFakeGlyphs fake;
  for (const GRAPHICSMODE& mode : {AllModes()[2], AllModes()[5]}) {
    SCOPED_TRACE(mode.szName);
    cFontScene s(mode);
    ASSERT_TRUE(s.Ok());
    s.MakeFont(16, 16, false, 1);
    cFastFont* ff = s.m_Font.m_lpFastFont_FullAdd;
    ASSERT_NE(ff, nullptr);
    ASSERT_NE(s.m_Font.m_lpFastFont_Half, nullptr);
    EXPECT_EQ(s.m_Font.m_lpFastFont_Half->m_nColumns, 16);
    EXPECT_EQ(s.m_Font.m_lpFastFont_Half->m_nRows, 16);
    // Direct3D: min(1024 / 16, 32) both ways; DirectDraw on a 320 x 240
    // screen: min(320 / 16, 32) by min(240 / 16, 30).
    EXPECT_EQ(ff->m_nColumns, mode.nMode ? 32 : 20);
    EXPECT_EQ(ff->m_nRows, mode.nMode ? 32 : 15);
    ASSERT_EQ(ff->m_nCount, 256);
    const std::string list = Sjis(
        "０１２３４５６７８９ー～、。．！？「」（）・…※→↑↓←＋－＝○●×ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
        "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ"
        "まみむめもやゆよらりるれろわをんがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょアイウエオ"
        "カキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンガギグゲゴザジズゼゾダヂヅデト"
        "バビブベボヴパピプペポァィゥェォッャュョ□■☆★％＆＜＞：");
    ASSERT_EQ(list.size(), 512u);
    for (int k = 0; k < 256; ++k) {
      const FASTGLYPH& g = ff->m_lstGlyph[k];
      ASSERT_EQ(std::string(g.szGlyph, 2), list.substr(k * 2, 2)) << "cell " << k;
      ASSERT_EQ(g.nIndex, k);
      ASSERT_EQ(g.nX, (k % ff->m_nColumns) * 16);
      ASSERT_EQ(g.nY, (k / ff->m_nColumns) * 16);
    }
    // The strip's pixels: cell k holds character k of the list.
    for (int k : {0, 100, 255}) {
      const FASTGLYPH& g = ff->m_lstGlyph[k];
      int code = static_cast<uint8_t>(g.szGlyph[0]) << 8 | static_cast<uint8_t>(g.szGlyph[1]);
      cPixelBuffer* b = DDSurfacePixels(&ff->m_SD);
      uint32_t ink = 0;
      for (int i = 0; i < 256; ++i)
        if (FakeGlyphInkForTests(code, i % 16, i / 16)) {
          ink = b->GetRaw(g.nX + i % 16, g.nY + i / 16);
          break;
        }
      int nWrong = 0;
      for (int yy = 0; yy < 16; ++yy)
        for (int xx = 0; xx < 16; ++xx)
          if ((b->GetRaw(g.nX + xx, g.nY + yy) == ink) != FakeGlyphInkForTests(code, xx, yy)) ++nWrong;
      EXPECT_EQ(nWrong, 0) << "cell " << k;
    }
    // Two new kanji take cells 256 and 257; drawing them again adds nothing.
    DDFillSurface(&g_BackBufferSD, kBack);
    s.m_Font.DrawText(&g_BackBufferSD, 0, 20, Sjis("漢字漢").c_str(), 0);
    EXPECT_EQ(ff->m_nCount, 258);
    EXPECT_EQ(std::string(ff->m_lstGlyph[256].szGlyph), Sjis("漢"));
    EXPECT_EQ(ff->m_lstGlyph[256].nX, (256 % ff->m_nColumns) * 16);
    EXPECT_EQ(ff->m_lstGlyph[256].nY, (256 / ff->m_nColumns) * 16);
    EXPECT_EQ(std::string(ff->m_lstGlyph[257].szGlyph), Sjis("字"));
    s.m_Font.DrawText(&g_BackBufferSD, 0, 40, Sjis("字").c_str(), 0);
    EXPECT_EQ(ff->m_nCount, 258);
    // A full strip still draws new characters, one by one.
    while (ff->AddGlyph(Sjis("★").c_str())) {
    }
    int nFull = ff->m_nCount;
    EXPECT_EQ(nFull, ff->m_nCapacity);
    DDFillSurface(&g_BackBufferSD, kBack);
    s.m_Font.DrawText(&g_BackBufferSD, 20, 30, Sjis("Aア語").c_str(), 0);
    EXPECT_EQ(ff->m_nCount, nFull);
    EXPECTED e = ModelText(Sjis("Aア語"), 20, 30, false);
    EXPECT_EQ(CompareWithModel(s, e), "");
  }
}

TEST(FontStrips, RestoreRedrawsLostStrips) {
  cFakeGlyphs fake;
  cFontScene s(AllModes()[5]);
  ASSERT_TRUE(s.Ok());
  s.MakeFont(16, 16, false, 1);
  s.m_Font.DrawText(&g_BackBufferSD, 0, 20, Sjis("漢").c_str(), 0);
  cFastFont* full = s.m_Font.m_lpFastFont_FullAdd;
  cFastFont* half = s.m_Font.m_lpFastFont_Half;
  std::vector<uint32_t> before;
  ConvertToXrgb(*DDSurfacePixels(&full->m_SD), nullptr, before);
  // A device reset leaves the strips empty and marked.
  DDFillSurface(&full->m_SD, 0);
  DDFillSurface(&half->m_SD, 0);
  full->m_SD.bLost = 1;
  half->m_SD.bLost = 1;
  s.m_Font.Restore();
  EXPECT_EQ(full->m_SD.bLost, 0);
  EXPECT_EQ(half->m_SD.bLost, 0);
  std::vector<uint32_t> after;
  ConvertToXrgb(*DDSurfacePixels(&full->m_SD), nullptr, after);
  EXPECT_EQ(before, after);  // the kanji cached on demand is back in its cell
  DDFillSurface(&g_BackBufferSD, kBack);
  s.m_Font.DrawText(&g_BackBufferSD, 20, 30, "AB", 0);
  EXPECTED e = ModelText("AB", 20, 30, false);
  EXPECT_EQ(CompareWithModel(s, e), "");
}

TEST(FontMeasure, CellFontsAndProportionalFonts) {
  cFakeGlyphs fake;
  cFontScene s(AllModes()[5]);
  ASSERT_TRUE(s.Ok());
  struct CASE {
    int nCell;
    const char* szUtf8;
    int w, h;
  };
  const CASE cases[] = {
      {16, "", 0, 16},          {16, "abc", 48, 16},      {16, "ab\ncdef", 64, 32},
      {16, "\n\n", 0, 48},      {16, "漢字a", 48, 16},    {16, "　ｱ", 32, 16},
      {10, "abc\nde", 30, 20},
      // Proportional: the fake's advances (8 and 16), 20 for an empty line.
      {0, "AB", 16, 16},        {0, "A\n\nB", 8, 52},    {0, "A漢", 24, 16},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.szUtf8);
    s.MakeFont(16, c.nCell, false, 0);
    if (c.nCell == 0) s.m_Font.m_nLineSpacing = 16;
    int w = -1, h = -1;
    s.m_Font.MeasureText(Sjis(c.szUtf8).c_str(), &w, &h);
    EXPECT_EQ(w, c.w);
    EXPECT_EQ(h, c.h);
  }
}

TEST(FontBox, DrawTextRectSizesTheBoxToTheText) {
  cFakeGlyphs fake;
  struct CASE {
    int x, y;    // as passed
    int bx, by;  // where the box lands
  };
  // The box picture is 200 x 100; the box 5 x 16 + 8 = 88 by 2 x 16 = 32.
  const CASE cases[] = {{40, 50, 40, 50}, {10000, 10000, 100 - 44, 50 - 16}, {10000, 120, 56, 120}};
  for (const GRAPHICSMODE& mode : {AllModes()[0], AllModes()[5]}) {
    for (const CASE& c : cases) {
      SCOPED_TRACE(std::string(mode.szName) + " x " + std::to_string(c.x) + " y " + std::to_string(c.y));
      cFontScene s(mode);
      ASSERT_TRUE(s.Ok());
      s.MakeFont(16, 16, false, 1);
      DDFillSurface(&g_BackBufferSD, kBack);
      s.m_Font.DrawTextRect(&g_BackBufferSD, c.x, c.y, 0, 0, "ABC\nDEFGH", 8);
      uint32_t box = s.Shown(kBoxColor), frame = s.Shown(kFrame), back = s.Shown(kBack), ink = s.Shown(kInk);
      EXPECTED e = ModelText("ABC\nDEFGH", c.bx + 8, c.by, false);
      for (int y = c.by - 2; y < c.by + 34; ++y)
        for (int x = c.bx - 2; x < c.bx + 90; ++x) {
          uint32_t want;
          if (x < c.bx - 1 || x > c.bx + 88 || y < c.by - 1 || y > c.by + 32) want = back;
          else if (x == c.bx - 1 || x == c.bx + 88 || y == c.by - 1 || y == c.by + 32) want = frame;
          else want = e.At(x, y) == 1 ? ink : box;
          ASSERT_TRUE(Near(cFontScene::Pixel(&g_BackBufferSD, x, y), want)) << "at " << x << "," << y;
        }
    }
  }
}

// Run under ASan: the box and icon pictures are the font maker's and may be
// freed once the font is released; drawing with it then touches neither.
TEST(FontBox, AReleasedFontKeepsNoHoldOnItsBoxAndIconPictures) {
  cFakeGlyphs fake;
  cFontScene s(AllModes()[0]);
  ASSERT_TRUE(s.Ok());
  auto box = std::make_unique<DDSURFACEDATA>();
  auto icons = std::make_unique<DDSURFACEDATA>();
  DDCreateSurface(box.get(), 64, 32, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
  DDCreateSurface(icons.get(), 26 * 16, 16, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
  s.m_Font.Init(Sjis("ＭＳ ゴシック").c_str(), 0, 16, 16, 16, kInk, box.get(), 1, kFrame, icons.get(), 0);
  s.m_Font.ReleaseFonts();
  DDReleaseSurface(box.get());
  DDReleaseSurface(icons.get());
  box.reset();
  icons.reset();
  DDFillSurface(&g_BackBufferSD, kBack);
  s.m_Font.DrawBox(&g_BackBufferSD, 10, 10, 40, 20);
  s.m_Font.DrawIcons(&g_BackBufferSD, 10, 40, "abc");
  EXPECT_EQ(cFontScene::Pixel(&g_BackBufferSD, 20, 20), s.Shown(kBack));
}

TEST(FontText, PercentSignsAreDrawnAsThemselves) {
  cFakeGlyphs fake;
  cFontScene s(AllModes()[5]);
  ASSERT_TRUE(s.Ok());
  s.MakeFont(16, 16, false, 1);
  // A project text is drawn as text; DrawTextf takes it as an argument.
  const std::string projectText = "50%d%s%%";
  DDFillSurface(&g_BackBufferSD, kBack);
  s.m_Font.DrawText(&g_BackBufferSD, 20, 30, projectText.c_str(), 0);
  EXPECTED e = ModelText(projectText, 20, 30, false);
  EXPECT_EQ(CompareWithModel(s, e), "");
  DDFillSurface(&g_BackBufferSD, kBack);
  s.m_Font.DrawTextf(&g_BackBufferSD, 20, 30, "%s", projectText.c_str());
  EXPECT_EQ(CompareWithModel(s, e), "");
}

TEST(FontText, FormattedTextIsCutOnACharacterBoundary) {
  cFakeGlyphs fake;
  cFontScene s(AllModes()[2]);
  ASSERT_TRUE(s.Ok());
  // One-pixel cells make the box as wide as the text has characters.
  s.MakeFont(1, 1, false, 0);
  std::string text = "ab";
  for (int i = 0; i < 300; ++i) text += Sjis("漢");
  // 511 bytes fit the buffer: "ab", 254 whole pairs and a lead byte whose
  // trail was cut off. The lone lead byte is dropped, not counted.
  DDFillSurface(&g_BackBufferSD, kBack);
  s.m_Font.DrawTextBox(&g_BackBufferSD, 10, 10, 0, 5, "%s", text.c_str());
  const int nChars = 2 + 254;
  // The frame's right column sits at x + width.
  uint32_t frame = s.Shown(kFrame), back = s.Shown(kBack);
  EXPECT_TRUE(Near(cFontScene::Pixel(&g_BackBufferSD, 10 + nChars, 12), frame));
  EXPECT_TRUE(Near(cFontScene::Pixel(&g_BackBufferSD, 10 + nChars + 1, 12), back));
}

TEST(FontDigits, DigitSurfacesHoldTheTenDigits) {
  cFakeGlyphs fake;
  for (const GRAPHICSMODE& mode : {AllModes()[1], AllModes()[4]}) {
    SCOPED_TRACE(mode.szName);
    cFontScene s(mode);
    ASSERT_TRUE(s.Ok());
    s.MakeFont(16, 16, false, 1);
    FONTINFO info{Sjis("ＭＳ ゴシック"), 0, 16, 16, 16, kInk, 45, 1, kFrame, 50, 1};
    DDSURFACEDATA sd;
    DDSURFACEINFO si = g_DigitSurfaceInfo[1];
    ASSERT_TRUE(DDCreateDigitSurfaces(&sd, &si, 1, &s.m_Font, &info));
    EXPECT_EQ(sd.nWidth, 160);
    EXPECT_EQ(sd.nHeight, 16);
    DDFillSurface(&g_BackBufferSD, kBack);
    DDBltFast(&g_BackBufferSD, 20, 30, 160, 16, &sd, 0, 0, 1);
    EXPECTED e = ModelText("0123456789", 20, 30, false);
    EXPECT_EQ(CompareWithModel(s, e), "");
    DDReleaseSurface(&sd);
    // A surface that cannot be made (no cell width) fails the call.
    FONTINFO bad = info;
    bad.nCharSpacing = 0;
    EXPECT_FALSE(DDCreateDigitSurfaces(&sd, &si, 1, &s.m_Font, &bad));
    DDReleaseSurface(&sd);
  }
}

TEST(FontText, TextInsideAnOpenBatchLeavesTheBatchAlone) {
  // A text drawn while the caller's batch is open is drawn at once; the
  // blits queued before it stay queued and are drawn when that batch ends.
  cFakeGlyphs fake;
  cFontScene s(AllModes()[5]);
  ASSERT_TRUE(s.Ok());
  s.MakeFont(16, 16, false, 1);
  DDFillSurface(&g_BackBufferSD, kBack);
  uint32_t back = s.Shown(kBack);
  DDBeginBatch(TRUE);
  DDBltFast(&g_BackBufferSD, 200, 100, 32, 32, s.m_Fx.SD(SF_SHEET), 0, 0, 1);
  s.m_Font.DrawText(&g_BackBufferSD, 20, 30, Sjis("AB漢").c_str(), 0);
  EXPECTED e = ModelText(Sjis("AB漢"), 20, 30, false);
  EXPECT_EQ(CompareWithModel(s, e), "");
  EXPECT_EQ(cFontScene::Pixel(&g_BackBufferSD, 212, 108), back);
  DDEndBatch();
  EXPECT_TRUE(Near(cFontScene::Pixel(&g_BackBufferSD, 212, 108), 0xE04020));
}
