#include "tests/support/demo_pictures.h"

#include "tests/support/bmp_writer.h"

#include <algorithm>

namespace {

// Where the palette keeps the colours of the palette pictures.
constexpr uint8_t kSkyFirst = 17;  // 64 shades of the night sky, top down
constexpr int kSkyShades = 64;
constexpr uint8_t kHills = 81;
constexpr uint8_t kGrey = 89;
constexpr uint8_t kCursor = 90;
constexpr uint8_t kWindowFirst = 96;  // 8 blues
constexpr uint8_t kRampFirst = 208;   // 8 ramps of 4 shades, bright first
// The world map's colours.
constexpr uint8_t kGrass = 104;
constexpr uint8_t kTree = 105;
constexpr uint8_t kRoad = 106;
constexpr uint8_t kRoadEdge = 107;
constexpr uint8_t kFlag = 108;
constexpr uint8_t kFlagPassed = 109;
constexpr uint8_t kGate = 110;
constexpr uint8_t kSkin = 111;
constexpr uint8_t kCloth = 112;
constexpr uint8_t kHeart = 113;

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

// The sky colour of a row of the title, a gradient of kSkyShades steps.
uint32_t SkyShade(int k) {
  return Rgb(static_cast<uint32_t>(k / 4), static_cast<uint32_t>(k / 2), static_cast<uint32_t>(80 + k * 150 / 64));
}

}  // namespace

std::vector<uint32_t> DemoPalette() {
  std::vector<uint32_t> pal(256);
  for (uint32_t i = 0; i < 256; ++i) pal[i] = (i << 16) | ((255 - i) << 8) | ((i * 7) & 0xFF);
  pal[0] = 0xFF00FF;
  pal[16] = 0x000000;
  for (int k = 0; k < kSkyShades; ++k) pal[kSkyFirst + k] = SkyShade(k);
  pal[kHills] = 0x204020;
  pal[kGrey] = 0x808080;
  pal[kCursor] = 0xFFE040;
  for (uint32_t k = 0; k < 8; ++k) pal[kWindowFirst + k] = 0x102060 + k;
  // The eight colour ramps that the palette animation turns: red, green,
  // blue, yellow, cyan, magenta, white, orange, each from bright to dark.
  static const uint32_t kRampColour[8] = {0xFF4040, 0x40FF40, 0x6080FF, 0xFFFF40,
                                          0x40FFFF, 0xFF40FF, 0xFFFFFF, 0xFFA040};
  for (int g = 0; g < 8; ++g)
    for (int s = 0; s < 4; ++s) {
      const uint32_t c = kRampColour[g];
      const uint32_t f = static_cast<uint32_t>(4 - s);
      pal[kRampFirst + g * 4 + s] = Rgb(((c >> 16) & 0xFF) * f / 4, ((c >> 8) & 0xFF) * f / 4, (c & 0xFF) * f / 4);
    }
  pal[kGrass] = 0x3C8C3C;
  pal[kTree] = 0x1E501E;
  pal[kRoad] = 0xD2B478;
  pal[kRoadEdge] = 0xA08050;
  pal[kFlag] = 0xE03030;
  pal[kFlagPassed] = 0x3060E0;
  pal[kGate] = 0x805020;
  pal[kSkin] = 0xF0C8A0;
  pal[kCloth] = 0x2040A0;
  pal[kHeart] = 0xFF3060;
  pal[240] = 0xC8C8E0;
  pal[241] = 0xFFFFFF;
  return pal;
}

namespace {

std::string Indexed(int w, int h, const std::vector<uint8_t>& idx) { return MakeBmpIndexed(8, w, h, DemoPalette(), idx); }

// A sheet painted with palette numbers, written as such or as 24-bit
// through the palette (number 0 stays the key colour). Painting is clipped
// to the sheet.
class cSheet {
 public:
  cSheet(int w, int h) : m_nW(w), m_nH(h), m_v(static_cast<size_t>(w * h), 0) {}
  void Fill(int x, int y, int w, int h, uint8_t ink) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i)
        if (i >= 0 && j >= 0 && i < m_nW && j < m_nH) m_v[static_cast<size_t>(j * m_nW + i)] = ink;
  }
  // A disc of radius r around (cx, cy), in half pixels so that an even
  // cell gets a centred disc.
  void Disc(int cx2, int cy2, int r2, uint8_t ink) {
    const int r = r2 / 2 + 1;
    for (int j = std::max(0, cy2 / 2 - r); j < std::min(m_nH, cy2 / 2 + r + 1); ++j)
      for (int i = std::max(0, cx2 / 2 - r); i < std::min(m_nW, cx2 / 2 + r + 1); ++i) {
        const int dx = 2 * i + 1 - cx2, dy = 2 * j + 1 - cy2;
        if (dx * dx + dy * dy <= r2 * r2) m_v[static_cast<size_t>(j * m_nW + i)] = ink;
      }
  }
  // Copies the 32 x 32 cell at (sx, sy) to (dx, dy).
  void CopyCell(int sx, int sy, int dx, int dy) {
    for (int j = 0; j < 32; ++j)
      for (int i = 0; i < 32; ++i)
        m_v[static_cast<size_t>((dy + j) * m_nW + dx + i)] = m_v[static_cast<size_t>((sy + j) * m_nW + sx + i)];
  }
  std::string Bmp(bool b8) const {
    if (b8) return Indexed(m_nW, m_nH, m_v);
    const std::vector<uint32_t> pal = DemoPalette();
    std::vector<uint32_t> px(m_v.size());
    for (size_t i = 0; i < m_v.size(); ++i) px[i] = pal[m_v[i]];
    return MakeBmpRgb(24, m_nW, m_nH, px);
  }

 private:
  int m_nW, m_nH;
  std::vector<uint8_t> m_v;
};

// The player seen from one side: a round head, a body, and feet that swap
// places between the two walking pictures.
void PaintWalker(cSheet& s, int x, int y, int nFacing, int nStep) {
  s.Fill(x + 10, y + 4, 12, 11, kSkin);
  s.Fill(x + 8, y + 15, 16, 10, kCloth);
  s.Fill(x + (nStep ? 8 : 18), y + 25, 6, 5, kCloth);
  s.Fill(x + (nStep ? 18 : 8), y + 25, 6, 3, kCloth);
  // The eyes show where it looks: none from behind.
  if (nFacing == 0) {
    s.Fill(x + 12, y + 8, 2, 2, kCloth);
    s.Fill(x + 18, y + 8, 2, 2, kCloth);
  } else if (nFacing == 2) {
    s.Fill(x + 11, y + 8, 2, 2, kCloth);
  } else if (nFacing == 3) {
    s.Fill(x + 19, y + 8, 2, 2, kCloth);
  }
}

}  // namespace

std::string DemoPaletteBmp() {
  std::vector<uint8_t> idx(16 * 24, 0);
  for (int y = 8; y < 24; ++y)
    for (int x = 0; x < 16; ++x) idx[static_cast<size_t>(y * 16 + x)] = static_cast<uint8_t>((y - 8) * 16 + x);
  return MakeBmpIndexed(8, 16, 24, DemoPalette(), idx);
}

std::string DemoTitleBmp() {
  std::vector<uint32_t> px(640 * 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const uint32_t b = static_cast<uint32_t>(80 + y * 150 / 480);
      uint32_t c = (static_cast<uint32_t>(y / 16) << 16) | (static_cast<uint32_t>(y / 8) << 8) | b;
      if (y > 400 + ((x / 40) % 2 ? 20 : 0)) c = 0x204020;
      px[static_cast<size_t>(y * 640 + x)] = c;
    }
  return MakeBmpRgb(24, 640, 480, px);
}

std::string DemoWindowBmp() {
  std::vector<uint32_t> px(640 * 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) px[static_cast<size_t>(y * 640 + x)] = 0x102060 + static_cast<uint32_t>((y / 4) % 8);
  return MakeBmpRgb(24, 640, 480, px);
}

std::string DemoAccessoryBmp() { return DemoAccessorySheet(false); }

std::string DemoAccessorySheet(bool bPalette) {
  cSheet s(128, 128);
  for (int y = 6; y < 26; ++y)
    for (int x = 6; x < 6 + (y < 16 ? y - 6 : 26 - y) * 2 && x < 32; ++x) s.Fill(x, y, 1, 1, kCursor);
  s.Fill(68, 4, 8, 8, kCursor);
  // The mark of a slot being confirmed.
  s.Fill(84, 4, 8, 8, kFlag);
  // The mark of a challenge course cleared, a tick.
  for (int i = 0; i < 8; ++i) s.Fill(101 + i, 13 + i, 3, 3, kCursor);
  for (int i = 0; i < 14; ++i) s.Fill(108 + i, 20 - i, 3, 3, kCursor);
  // The lives icon, a small heart.
  s.Fill(2, 50, 5, 5, kHeart);
  s.Fill(9, 50, 5, 5, kHeart);
  s.Fill(2, 54, 12, 4, kHeart);
  s.Fill(4, 58, 8, 2, kHeart);
  s.Fill(6, 60, 4, 2, kHeart);
  // The ranking marker: a small arrow pointing at a row.
  for (int y = 50; y < 62; ++y) s.Fill(19, y, (y < 56 ? y - 49 : 62 - y) * 2, 1, kCursor);
  // The walker: down (0, 64), up (64, 64), left (64, 96), right (0, 96),
  // each with its second picture 32 pixels right.
  const int kAt[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};
  for (int f = 0; f < 4; ++f)
    for (int k = 0; k < 2; ++k) PaintWalker(s, kAt[f][0] + 32 * k, kAt[f][1], f, k);
  return s.Bmp(bPalette);
}

std::string DemoWorldMapChipBmp(bool bPalette) {
  // Five chips a row: kinds 0 to 4 are woods, 5 to 9 roads.
  cSheet s(160, 64);
  for (int n = 0; n < 10; ++n) {
    const int x = (n % 5) * 32, y = (n / 5) * 32;
    if (n < 5) {
      s.Fill(x, y, 32, 32, kGrass);
      s.Fill(x + 4, y + 4, 10, 10, kTree);
      s.Fill(x + 18, y + 16, 10, 10, kTree);
    } else {
      s.Fill(x, y, 32, 32, kRoad);
      s.Fill(x, y, 32, 2, kRoadEdge);
      s.Fill(x, y + 30, 32, 2, kRoadEdge);
    }
  }
  return s.Bmp(bPalette);
}

std::string DemoWorldEventBmp(bool bPalette) {
  // Rows by event kind (0 a stage flag, 1 an open gate, 2 a closed gate);
  // x 0 not passed, x 32 passed.
  cSheet s(64, 96);
  for (int k = 0; k < 2; ++k) {
    const int x = 32 * k;
    s.Fill(x + 10, 4, 3, 26, kGate);
    s.Fill(x + 13, 4, 14, 10, k ? kFlagPassed : kFlag);
    s.Fill(x + 4, 40, 4, 22, kGate);
    s.Fill(x + 24, 40, 4, 22, kGate);
    s.Fill(x + 2, 66, 28, 28, kGate);
    s.Fill(x + 14, 66, 4, 28, kTree);
  }
  return s.Bmp(bPalette);
}

std::string DemoPlainBmp() {
  std::vector<uint32_t> px(64 * 64, 0xFF00FF);
  for (int y = 16; y < 48; ++y)
    for (int x = 16; x < 48; ++x) px[static_cast<size_t>(y * 64 + x)] = 0x808080;
  return MakeBmpRgb(24, 64, 64, px);
}

// ---- The same pictures as 8-bit palette pictures ------------------------------

std::string DemoTitleBmp8() {
  std::vector<uint8_t> idx(640 * 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      uint8_t c = static_cast<uint8_t>(kSkyFirst + y * kSkyShades / 480);
      if (y > 400 + ((x / 40) % 2 ? 20 : 0)) c = kHills;
      idx[static_cast<size_t>(y * 640 + x)] = c;
    }
  // 32 stars of 3 x 3 pixels, one for each entry of the colour ramps, so
  // that the palette animation makes them twinkle.
  for (int k = 0; k < 32; ++k) {
    const int sx = 12 + (k * 197) % 616, sy = 12 + (k * 89) % 200;
    for (int y = sy; y < sy + 3; ++y)
      for (int x = sx; x < sx + 3; ++x) idx[static_cast<size_t>(y * 640 + x)] = static_cast<uint8_t>(kRampFirst + k);
  }
  return Indexed(640, 480, idx);
}

std::string DemoWindowBmp8() {
  std::vector<uint8_t> idx(640 * 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) idx[static_cast<size_t>(y * 640 + x)] = static_cast<uint8_t>(kWindowFirst + (y / 4) % 8);
  return Indexed(640, 480, idx);
}

std::string DemoAccessoryBmp8() { return DemoAccessorySheet(true); }

std::string DemoPlainBmp8() {
  std::vector<uint8_t> idx(64 * 64, 0);
  for (int y = 16; y < 48; ++y)
    for (int x = 16; x < 48; ++x) idx[static_cast<size_t>(y * 64 + x)] = kGrey;
  return Indexed(64, 64, idx);
}

// ---- The stage sheets -----------------------------------------------------------

namespace {

// Colours of the stage sheets as palette entries that the title does not
// animate; the full-colour sheets take the palette's colour of each.
enum : uint8_t {
  INK_KEY = 0,
  INK_BLACK = 16,
  INK_BLUE = 60,
  INK_GREEN = kHills,
  INK_GREY = kGrey,
  INK_YELLOW = kCursor,
  INK_OLIVE = 120,
  INK_BROWN = 150,
  INK_RED = 195,
  INK_WHITE = 241,
};

// Two eyes looking left, at the height y of a cell whose left is x.
void Eyes(cSheet& s, int x, int y) {
  s.Fill(x + 7, y, 5, 5, INK_WHITE);
  s.Fill(x + 16, y, 5, 5, INK_WHITE);
  s.Fill(x + 7, y + 1, 2, 3, INK_BLACK);
  s.Fill(x + 16, y + 1, 2, 3, INK_BLACK);
}

}  // namespace

std::string DemoBlockSheet(bool b8) {
  cSheet s(64, 480);
  // 1 ground: earth under a strip of grass.
  s.Fill(0, 32, 32, 32, INK_BROWN);
  s.Fill(0, 32, 32, 6, INK_GREEN);
  s.Fill(4, 46, 3, 3, INK_BLACK);
  s.Fill(20, 54, 3, 3, INK_BLACK);
  // 2 wall: grey bricks.
  s.Fill(0, 64, 32, 32, INK_BLACK);
  for (int row = 0; row < 4; ++row)
    for (int col = -1; col < 2; ++col) s.Fill(col * 16 + (row % 2) * 8 + 1, 64 + row * 8 + 1, 14, 6, INK_GREY);
  s.Fill(32, 64, 32, 32, INK_KEY);  // the bricks that ran over the cell
  return s.Bmp(b8);
}

std::string DemoCharaSheet(bool b8) {
  cSheet s(640, 480);
  // 1 the hero: a blue figure with a white face.
  s.Fill(8, 32 + 4, 16, 14, INK_WHITE);
  Eyes(s, 4, 32 + 8);
  s.Fill(6, 32 + 18, 20, 10, INK_BLUE);
  s.Fill(8, 32 + 28, 6, 4, INK_BLUE);
  s.Fill(18, 32 + 28, 6, 4, INK_BLUE);
  // 2 the walker: a red dome on two black feet.
  s.Disc(32, 2 * 64 + 40, 28, INK_RED);
  s.Fill(0, 64 + 27, 32, 5, INK_KEY);
  s.Fill(4, 64 + 26, 8, 6, INK_BLACK);
  s.Fill(20, 64 + 26, 8, 6, INK_BLACK);
  Eyes(s, 2, 64 + 12);
  // 3 the shooter: an olive box with a cannon pointing left.
  s.Fill(8, 96 + 6, 22, 26, INK_OLIVE);
  s.Fill(0, 96 + 14, 12, 6, INK_BLACK);
  Eyes(s, 6, 96 + 8);
  // 4 the lift: a grey slab with yellow stripes.
  s.Fill(0, 128, 32, 32, INK_GREY);
  for (int k = 0; k < 4; ++k) s.Fill(k * 8 + 2, 128 + 2, 4, 28, INK_YELLOW);
  // 5 the goal: a flag on a pole.
  s.Fill(4, 160 + 2, 3, 30, INK_WHITE);
  s.Fill(7, 160 + 2, 20, 14, INK_YELLOW);
  s.Fill(0, 160 + 29, 12, 3, INK_BLACK);
  for (int row = 1; row <= 5; ++row)
    for (int col = 1; col < 20; ++col) s.CopyCell(0, row * 32, col * 32, row * 32);
  return s.Bmp(b8);
}

std::string DemoItemSheet(bool b8) {
  cSheet s(64, 480);
  // 1 the coin, 2 the heart; both pattern cells alike.
  s.Disc(32, 2 * 32 + 32, 22, INK_YELLOW);
  s.Fill(14, 32 + 8, 4, 16, INK_BROWN);
  s.Disc(22, 2 * 64 + 24, 10, INK_RED);
  s.Disc(42, 2 * 64 + 24, 10, INK_RED);
  for (int j = 0; j < 14; ++j) s.Fill(6 + j, 64 + 14 + j, 20 - 2 * j, 1, INK_RED);
  s.CopyCell(0, 32, 32, 32);
  s.CopyCell(0, 64, 32, 64);
  return s.Bmp(b8);
}

std::string DemoShotSheet(bool b8) {
  cSheet s(256, 480);
  for (int y = 0; y < 480; y += 16)
    for (int x = 0; x < 256; x += 16) {
      s.Disc(2 * x + 16, 2 * y + 16, 12, INK_YELLOW);
      s.Disc(2 * x + 14, 2 * y + 14, 5, INK_WHITE);
    }
  return s.Bmp(b8);
}

namespace {

// Capital letters of 5 x 7 dots for the banners.
const char* LetterRows(char c) {
  switch (c) {
    case 'A': return ".###.#...##...#######...##...##...#";
    case 'C': return ".#####....#....#....#....#.....####";
    case 'E': return "######....#....####.#....#....#####";
    case 'G': return ".#####....#....#..###...##...#.####";
    case 'L': return "#....#....#....#....#....#....#####";
    case 'M': return "#...###.###.#.##...##...##...##...#";
    case 'O': return ".###.#...##...##...##...##...#.###.";
    case 'P': return "####.#...##...#####.#....#....#....";
    case 'R': return "####.#...##...#####.#.#..#..#.#...#";
    case 'S': return ".#####....#.....###.....#....#####.";
    case 'T': return "#####..#....#....#....#....#....#..";
    case 'V': return "#...##...##...##...##...#.#.#...#..";
    case 'Y': return "#...##...#.#.#...#....#....#....#..";
    default: return "";
  }
}

// A word in 3-pixel dots from (x, y), one 16-pixel step a letter.
void Word(cSheet& s, int x, int y, const char* word, uint8_t ink) {
  for (; *word; ++word, x += 16) {
    const char* rows = LetterRows(*word);
    for (int k = 0; rows[0] && k < 35; ++k)
      if (rows[k] == '#') s.Fill(x + 3 * (k % 5), y + 3 * (k / 5), 3, 3, ink);
  }
}

// Digit d as a seven-segment figure in the 32 x 32 cell at (x, y).
void Digit(cSheet& s, int x, int y, int d, uint8_t ink) {
  static const char* const kSegments[10] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg",
                                             "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"};
  for (const char* p = kSegments[d]; *p; ++p) {
    switch (*p) {
      case 'a': s.Fill(x + 8, y + 3, 16, 3, ink); break;
      case 'b': s.Fill(x + 22, y + 4, 3, 12, ink); break;
      case 'c': s.Fill(x + 22, y + 16, 3, 12, ink); break;
      case 'd': s.Fill(x + 8, y + 26, 16, 3, ink); break;
      case 'e': s.Fill(x + 7, y + 16, 3, 12, ink); break;
      case 'f': s.Fill(x + 7, y + 4, 3, 12, ink); break;
      case 'g': s.Fill(x + 8, y + 15, 16, 3, ink); break;
    }
  }
}

}  // namespace

std::string DemoWordSheet(bool b8) {
  cSheet s(320, 192);
  Word(s, 8, 6, "STAGE", INK_WHITE);
  Word(s, 161, 6, "START", INK_YELLOW);
  Word(s, 8, 38, "REPLAY", INK_WHITE);
  Word(s, 8, 70, "CLEAR", INK_YELLOW);
  Word(s, 8, 102, "GAMEOVER", INK_RED);
  for (int d = 0; d < 10; ++d) {
    Digit(s, 32 * d, 128, d, INK_WHITE);
    Digit(s, 32 * d, 160, d, INK_YELLOW);
  }
  return s.Bmp(b8);
}

std::string DemoStatusWindowSheet(bool b8) {
  // The bar is drawn opaque: a strip of the menu window's blue with a grey
  // edge below, and no key colour anywhere.
  cSheet s(640, 20);
  s.Fill(0, 0, 640, 20, static_cast<uint8_t>(kWindowFirst + 2));
  s.Fill(0, 18, 640, 2, INK_GREY);
  return s.Bmp(b8);
}

std::string DemoPictureFor(const std::string& gamePath, bool bPalettePictures) {
  if (gamePath == "bmp\\plt\\Palette.bmp") return DemoPaletteBmp();
  if (gamePath == "bmp\\Title.bmp") return bPalettePictures ? DemoTitleBmp8() : DemoTitleBmp();
  if (gamePath == "bmp\\Window.bmp") return bPalettePictures ? DemoWindowBmp8() : DemoWindowBmp();
  if (gamePath == "bmp\\Accessory.bmp") return DemoAccessorySheet(bPalettePictures);
  if (gamePath == "bmp\\StatusWindow.bmp") return DemoStatusWindowSheet(bPalettePictures);
  if (gamePath == "bmp\\Word.bmp") return DemoWordSheet(bPalettePictures);
  if (gamePath == "bmp\\WorldMapChip.bmp") return DemoWorldMapChipBmp(bPalettePictures);
  if (gamePath == "bmp\\WorldEvent.bmp") return DemoWorldEventBmp(bPalettePictures);
  if (gamePath == "bmp\\Block.bmp") return DemoBlockSheet(bPalettePictures);
  if (gamePath == "bmp\\Character1.bmp") return DemoCharaSheet(bPalettePictures);
  if (gamePath == "bmp\\Item.bmp") return DemoItemSheet(bPalettePictures);
  if (gamePath == "bmp\\Shot.bmp") return DemoShotSheet(bPalettePictures);
  return bPalettePictures ? DemoPlainBmp8() : DemoPlainBmp();
}
