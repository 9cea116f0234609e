#include "tests/support/demo_pictures.h"

#include "tests/support/bmp_writer.h"

namespace {

// Where the palette keeps the colours of the palette pictures.
constexpr uint8_t kSkyFirst = 17;  // 64 shades of the night sky, top down
constexpr int kSkyShades = 64;
constexpr uint8_t kHills = 81;
constexpr uint8_t kGrey = 89;
constexpr uint8_t kCursor = 90;
constexpr uint8_t kWindowFirst = 96;  // 8 blues
constexpr uint8_t kRampFirst = 208;   // 8 ramps of 4 shades, bright first

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
  pal[240] = 0xC8C8E0;
  pal[241] = 0xFFFFFF;
  return pal;
}

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

std::string DemoAccessoryBmp() {
  std::vector<uint32_t> px(96 * 32, 0xFF00FF);
  for (int y = 6; y < 26; ++y)
    for (int x = 6; x < 6 + (y < 16 ? y - 6 : 26 - y) * 2 && x < 32; ++x) px[static_cast<size_t>(y * 96 + x)] = 0xFFE040;
  for (int y = 4; y < 12; ++y)
    for (int x = 68; x < 76; ++x) px[static_cast<size_t>(y * 96 + x)] = 0xFFE040;
  return MakeBmpRgb(24, 96, 32, px);
}

std::string DemoPlainBmp() {
  std::vector<uint32_t> px(64 * 64, 0xFF00FF);
  for (int y = 16; y < 48; ++y)
    for (int x = 16; x < 48; ++x) px[static_cast<size_t>(y * 64 + x)] = 0x808080;
  return MakeBmpRgb(24, 64, 64, px);
}

// ---- The same pictures as 8-bit palette pictures ------------------------------

namespace {

std::string Indexed(int w, int h, const std::vector<uint8_t>& idx) { return MakeBmpIndexed(8, w, h, DemoPalette(), idx); }

}  // namespace

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

std::string DemoAccessoryBmp8() {
  std::vector<uint8_t> idx(96 * 32, 0);
  for (int y = 6; y < 26; ++y)
    for (int x = 6; x < 6 + (y < 16 ? y - 6 : 26 - y) * 2 && x < 32; ++x) idx[static_cast<size_t>(y * 96 + x)] = kCursor;
  for (int y = 4; y < 12; ++y)
    for (int x = 68; x < 76; ++x) idx[static_cast<size_t>(y * 96 + x)] = kCursor;
  return Indexed(96, 32, idx);
}

std::string DemoPlainBmp8() {
  std::vector<uint8_t> idx(64 * 64, 0);
  for (int y = 16; y < 48; ++y)
    for (int x = 16; x < 48; ++x) idx[static_cast<size_t>(y * 64 + x)] = kGrey;
  return Indexed(64, 64, idx);
}

std::string DemoPictureFor(const std::string& gamePath, bool bPalettePictures) {
  if (gamePath == "bmp\\plt\\Palette.bmp") return DemoPaletteBmp();
  if (gamePath == "bmp\\Title.bmp") return bPalettePictures ? DemoTitleBmp8() : DemoTitleBmp();
  if (gamePath == "bmp\\Window.bmp") return bPalettePictures ? DemoWindowBmp8() : DemoWindowBmp();
  if (gamePath == "bmp\\Accessory.bmp") return bPalettePictures ? DemoAccessoryBmp8() : DemoAccessoryBmp();
  return bPalettePictures ? DemoPlainBmp8() : DemoPlainBmp();
}
