#include "tests/support/demo_pictures.h"

#include "tests/support/bmp_writer.h"

std::vector<uint32_t> DemoPalette() {
  std::vector<uint32_t> pal(256);
  for (uint32_t i = 0; i < 256; ++i) pal[i] = (i << 16) | ((255 - i) << 8) | ((i * 7) & 0xFF);
  pal[0] = 0xFF00FF;
  pal[16] = 0x000000;
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

std::string DemoPictureFor(const std::string& gamePath) {
  if (gamePath == "bmp\\plt\\Palette.bmp") return DemoPaletteBmp();
  if (gamePath == "bmp\\Title.bmp") return DemoTitleBmp();
  if (gamePath == "bmp\\Window.bmp") return DemoWindowBmp();
  if (gamePath == "bmp\\Accessory.bmp") return DemoAccessoryBmp();
  return DemoPlainBmp();
}
