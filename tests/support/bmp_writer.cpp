#include "tests/support/bmp_writer.h"

namespace {

void Put16(std::string& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// File and info headers for a picture whose colour table has nColors
// entries; the pixel rows follow at the returned offset.
std::string Headers(int nBitCount, int w, int h, size_t nColors, bool bTopDown, size_t& nOffBits, size_t& nRowBytes) {
  nRowBytes = (static_cast<size_t>(w) * nBitCount + 31) / 32 * 4;
  nOffBits = 14 + 40 + nColors * 4;
  std::string s(nOffBits + nRowBytes * h, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, static_cast<uint32_t>(s.size()));
  Put32(s, 10, static_cast<uint32_t>(nOffBits));
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(w));
  Put32(s, 22, static_cast<uint32_t>(bTopDown ? -h : h));
  Put16(s, 26, 1);
  Put16(s, 28, static_cast<uint32_t>(nBitCount));
  Put32(s, 34, static_cast<uint32_t>(nRowBytes * h));
  Put32(s, 46, static_cast<uint32_t>(nColors));
  return s;
}

}  // namespace

std::string MakeBmpIndexed(int nBitCount, int w, int h, const std::vector<uint32_t>& palette,
                           const std::vector<uint8_t>& indices, bool bTopDown) {
  size_t nOff, nRow;
  std::string s = Headers(nBitCount, w, h, palette.size(), bTopDown, nOff, nRow);
  for (size_t i = 0; i < palette.size(); ++i) {
    s[54 + i * 4] = static_cast<char>(palette[i] & 0xFF);
    s[54 + i * 4 + 1] = static_cast<char>((palette[i] >> 8) & 0xFF);
    s[54 + i * 4 + 2] = static_cast<char>((palette[i] >> 16) & 0xFF);
  }
  for (int y = 0; y < h; ++y) {
    size_t row = nOff + nRow * static_cast<size_t>(bTopDown ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) {
      uint8_t v = indices[static_cast<size_t>(y) * w + x];
      if (nBitCount == 8) {
        s[row + x] = static_cast<char>(v);
      } else if (nBitCount == 4) {
        s[row + x / 2] = static_cast<char>(static_cast<uint8_t>(s[row + x / 2]) | ((v & 15) << ((x & 1) ? 0 : 4)));
      } else {
        s[row + x / 8] = static_cast<char>(static_cast<uint8_t>(s[row + x / 8]) | ((v & 1) << (7 - (x & 7))));
      }
    }
  }
  return s;
}

std::string MakeBmpRgb(int nBitCount, int w, int h, const std::vector<uint32_t>& pixels, bool bTopDown) {
  size_t nOff, nRow;
  std::string s = Headers(nBitCount, w, h, 0, bTopDown, nOff, nRow);
  int nBytes = nBitCount / 8;
  for (int y = 0; y < h; ++y) {
    size_t row = nOff + nRow * static_cast<size_t>(bTopDown ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) {
      uint32_t c = pixels[static_cast<size_t>(y) * w + x];
      size_t at = row + static_cast<size_t>(x) * nBytes;
      s[at] = static_cast<char>(c & 0xFF);
      s[at + 1] = static_cast<char>((c >> 8) & 0xFF);
      s[at + 2] = static_cast<char>((c >> 16) & 0xFF);
    }
  }
  return s;
}
