#include "media/graphics/bmp_reader.h"

#include <algorithm>
#include <cstdio>

#include "platform/file_system.h"
#include "base/report.h"

namespace {

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// A file larger than this is not a picture of such a game.
constexpr long kMaxFileBytes = 256L * 1024 * 1024;
// The bytes that hold the size in either header form.
constexpr size_t kSizeHeaderBytes = 26;

// The size a header gives (height made positive); false when the bytes hold
// no bitmap header.
bool HeaderSize(const uint8_t* d, size_t n, int64_t& w, int64_t& h, bool& bTopDown) {
  if (n < kSizeHeaderBytes || d[0] != 'B' || d[1] != 'M') return false;
  if (U32(d + 14) == 12) {
    w = U16(d + 18);
    h = static_cast<int16_t>(U16(d + 20));
  } else {
    w = static_cast<int32_t>(U32(d + 18));
    h = static_cast<int32_t>(U32(d + 22));
  }
  bTopDown = h < 0;
  if (bTopDown) h = -h;
  return true;
}

// A picture the game cannot use is refused before anything is allocated for
// it: a 32 MB file of 1 bit per pixel decodes to gigabytes.
bool SizeUsable(int64_t w, int64_t h, std::string& why) {
  if (w <= 0 || h <= 0) {
    why = "zero or negative size";
    return false;
  }
  if (w > BMP_MAX_SIDE || h > BMP_MAX_SIDE || w * h > BMP_MAX_PIXELS) {
    why = "size too large (" + std::to_string(w) + " x " + std::to_string(h) + ")";
    return false;
  }
  return true;
}

// Position and width of a channel mask; a channel of n bits is widened to 8.
struct MASKFIELD {
  int nShift = 0;
  int nBits = 0;
};
MASKFIELD FieldOf(uint32_t mask) {
  MASKFIELD f;
  if (!mask) return f;
  while (!(mask & 1)) { mask >>= 1; ++f.nShift; }
  while (mask & 1) { mask >>= 1; ++f.nBits; }
  return f;
}
uint32_t Widen(uint32_t v, const MASKFIELD& f) {
  if (f.nBits == 0) return 0;
  // A mask may take the whole word (32 bits); shifting 1 by 32 is undefined.
  v >>= f.nShift;
  if (f.nBits < 32) v &= (1u << f.nBits) - 1;
  if (f.nBits >= 8) return v >> (f.nBits - 8);
  uint32_t out = 0;
  int have = 0;
  while (have < 8) { out = out << f.nBits | v; have += f.nBits; }
  return out >> (have - 8);
}

// Colour table entry idx as 0x00RRGGBB; an index past a short table reads
// as black.
uint32_t TableColour(const DIBPICTURE& pic, uint32_t idx, size_t nColors) {
  if (idx >= nColors) return 0;
  const BYTE* e = &pic.vColorTable[idx * 4];
  return static_cast<uint32_t>(e[0]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[2];
}

// Run-length coded indices (RLE8 with 8 bits a pixel, RLE4 with 4), bottom
// row first, into idx (top row first, w × h). Pixels the codes skip stay 0.
// Every code is checked against the bytes and the picture: a run or a jump
// past the right edge or the top is damage.
bool DecodeRle(const uint8_t* p, size_t n, int nBits, int w, int h, std::vector<uint8_t>& idx, std::string& why) {
  size_t i = 0;
  int x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](uint8_t v) {
    if (x >= w || y >= h) return false;
    idx[static_cast<size_t>(h - 1 - y) * w + x] = v;
    ++x;
    return true;
  };
  while (true) {
    if (i + 2 > n) {
      why = "run-length data beyond the file";
      return false;
    }
    const uint8_t a = p[i], b = p[i + 1];
    i += 2;
    if (a > 0) {
      // A run: a pixels of b, or of b's two halves in turn.
      for (int k = 0; k < a; ++k) {
        const uint8_t v = nBits == 8 ? b : static_cast<uint8_t>(k % 2 == 0 ? b >> 4 : b & 15);
        if (!put(v)) {
          why = "run past the picture's edge";
          return false;
        }
      }
      continue;
    }
    if (b == 0) {  // end of the row
      x = 0;
      ++y;
      continue;
    }
    if (b == 1) return true;  // end of the picture
    if (b == 2) {             // a jump right and up
      if (i + 2 > n) {
        why = "run-length data beyond the file";
        return false;
      }
      x += p[i];
      y += p[i + 1];
      i += 2;
      if (x > w || y > h) {
        why = "jump past the picture's edge";
        return false;
      }
      continue;
    }
    // b pixels as they stand, padded to a whole word.
    const size_t nBytes = nBits == 8 ? b : (static_cast<size_t>(b) + 1) / 2;
    if (i + nBytes > n) {
      why = "run-length data beyond the file";
      return false;
    }
    for (int k = 0; k < b; ++k) {
      const uint8_t q = p[i + (nBits == 8 ? k : k / 2)];
      const uint8_t v = nBits == 8 ? q : static_cast<uint8_t>(k % 2 == 0 ? q >> 4 : q & 15);
      if (!put(v)) {
        why = "run past the picture's edge";
        return false;
      }
    }
    i += (nBytes + 1) & ~static_cast<size_t>(1);
  }
}

}  // namespace

bool DecodeBmp(const uint8_t* d, size_t n, DIBPICTURE& pic, std::string& why) {
  pic = DIBPICTURE{};
  if (n < 26 || d[0] != 'B' || d[1] != 'M') { why = "no bitmap header"; return false; }
  uint32_t nOffBits = U32(d + 10);
  uint32_t nInfoSize = U32(d + 14);
  if (nInfoSize < 12 || nInfoSize > n - 14) { why = "header size beyond the file"; return false; }
  int64_t w = 0, h = 0;
  bool bTopDown = false;
  HeaderSize(d, n, w, h, bTopDown);
  uint32_t nBitCount, nCompression = 0, nClrUsed = 0;
  size_t nEntryBytes = 4;
  if (nInfoSize == 12) {
    nBitCount = U16(d + 24);
    nEntryBytes = 3;
  } else {
    if (nInfoSize < 40) { why = "unknown header size"; return false; }
    nBitCount = U16(d + 28);
    nCompression = U32(d + 30);
    nClrUsed = U32(d + 46);
  }
  if (!SizeUsable(w, h, why)) return false;
  if (nBitCount != 1 && nBitCount != 4 && nBitCount != 8 && nBitCount != 16 && nBitCount != 24 && nBitCount != 32) {
    why = "unsupported bit count";
    return false;
  }
  bool bFields = nCompression == 3;
  // 1: RLE8, 2: RLE4, each only with its own bit count.
  const bool bRle = (nCompression == 1 && nBitCount == 8) || (nCompression == 2 && nBitCount == 4);
  if (nCompression != 0 && !bRle && !(bFields && (nBitCount == 16 || nBitCount == 32))) {
    why = "unsupported compression";
    return false;
  }
  if (bRle && bTopDown) {
    why = "top-down run-length picture";
    return false;
  }

  size_t nTablePos = 14 + static_cast<size_t>(nInfoSize);
  MASKFIELD fr, fg, fb;
  if (nBitCount == 16) { fr = FieldOf(0x7C00); fg = FieldOf(0x03E0); fb = FieldOf(0x001F); }
  if (nBitCount == 32) { fr = FieldOf(0xFF0000); fg = FieldOf(0xFF00); fb = FieldOf(0xFF); }
  if (bFields) {
    size_t nMaskPos = 14 + 40;
    if (nMaskPos + 12 > n) { why = "colour masks beyond the file"; return false; }
    fr = FieldOf(U32(d + nMaskPos));
    fg = FieldOf(U32(d + nMaskPos + 4));
    fb = FieldOf(U32(d + nMaskPos + 8));
    if (nInfoSize == 40) nTablePos += 12;
  }

  size_t nColors = 0;
  if (nBitCount <= 8) {
    nColors = nClrUsed ? nClrUsed : (1u << nBitCount);
    if (nColors > 256) { why = "colour table too large"; return false; }
    if (nTablePos + nColors * nEntryBytes > n) { why = "colour table beyond the file"; return false; }
    pic.vColorTable.resize(nColors * 4);
    for (size_t i = 0; i < nColors; ++i) {
      const uint8_t* e = d + nTablePos + i * nEntryBytes;
      pic.vColorTable[i * 4 + 0] = e[2];
      pic.vColorTable[i * 4 + 1] = e[1];
      pic.vColorTable[i * 4 + 2] = e[0];
      pic.vColorTable[i * 4 + 3] = 0;
    }
  }

  uint64_t nRowBytes = (static_cast<uint64_t>(w) * nBitCount + 31) / 32 * 4;
  if (nOffBits < nTablePos || nOffBits > n || (!bRle && nRowBytes * static_cast<uint64_t>(h) > n - nOffBits)) {
    why = "pixel data beyond the file";
    return false;
  }

  pic.nWidth = static_cast<int>(w);
  pic.nHeight = static_cast<int>(h);
  pic.nBitCount = static_cast<int>(nBitCount);
  pic.vPixels.resize(static_cast<size_t>(w) * h);
  if (nBitCount <= 8) pic.vIndices.resize(static_cast<size_t>(w) * h);
  // Each index's colour; an index past a short table reads as black.
  uint32_t aColour[256] = {};
  for (size_t i = 0; i < nColors; ++i) aColour[i] = TableColour(pic, static_cast<uint32_t>(i), nColors);
  if (bRle) {
    if (!DecodeRle(d + nOffBits, n - nOffBits, static_cast<int>(nBitCount), pic.nWidth, pic.nHeight, pic.vIndices,
                   why)) {
      pic = DIBPICTURE{};
      return false;
    }
    for (size_t i = 0; i < pic.vIndices.size(); ++i) pic.vPixels[i] = aColour[pic.vIndices[i]];
    return true;
  }
  const int nWidth = pic.nWidth;
  for (int y = 0; y < pic.nHeight; ++y) {
    int nFileRow = bTopDown ? y : pic.nHeight - 1 - y;
    const uint8_t* row = d + nOffBits + nRowBytes * static_cast<uint64_t>(nFileRow);
    uint32_t* out = pic.vPixels.data() + static_cast<size_t>(y) * nWidth;
    if (nBitCount <= 8) {
      uint8_t* idx = pic.vIndices.data() + static_cast<size_t>(y) * nWidth;
      if (nBitCount == 8) std::copy(row, row + nWidth, idx);
      else if (nBitCount == 4)
        for (int x = 0; x < nWidth; ++x) idx[x] = static_cast<uint8_t>((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
      else
        for (int x = 0; x < nWidth; ++x) idx[x] = static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
      for (int x = 0; x < nWidth; ++x) out[x] = aColour[idx[x]];
    } else if (nBitCount == 24) {
      for (int x = 0; x < nWidth; ++x) {
        const uint8_t* p = row + x * 3;
        out[x] = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
      }
    } else {
      for (int x = 0; x < nWidth; ++x) {
        uint32_t v = nBitCount == 16 ? U16(row + x * 2) : U32(row + x * 4);
        out[x] = Widen(v, fr) << 16 | Widen(v, fg) << 8 | Widen(v, fb);
      }
    }
  }
  return true;
}

bool LoadBmpFile(std::string_view cp932Path, DIBPICTURE& pic) {
  pic = DIBPICTURE{};
  if (cp932Path.empty()) return false;
  FILE* fp = OpenFile(cp932Path, "rb");
  if (!fp) return false;
  std::vector<uint8_t> bytes;
  std::string why;
  bool bOk = false;
  if (std::fseek(fp, 0, SEEK_END) == 0) {
    long nSize = std::ftell(fp);
    if (nSize < 0 || nSize > kMaxFileBytes) {
      why = "file too large";
    } else if (std::fseek(fp, 0, SEEK_SET) == 0) {
      // The size is judged from the header before the rest is read.
      bytes.resize(std::min(static_cast<size_t>(nSize), kSizeHeaderBytes));
      bool bRead = std::fread(bytes.data(), 1, bytes.size(), fp) == bytes.size();
      int64_t w = 0, h = 0;
      bool bTopDown = false;
      if (bRead && HeaderSize(bytes.data(), bytes.size(), w, h, bTopDown) && !SizeUsable(w, h, why)) {
        bRead = false;
      } else if (bRead) {
        size_t nHave = bytes.size();
        bytes.resize(static_cast<size_t>(nSize));
        bRead = std::fread(bytes.data() + nHave, 1, bytes.size() - nHave, fp) == bytes.size() - nHave;
        if (!bRead) why = "read error";
      }
      if (bRead) bOk = DecodeBmp(bytes.data(), bytes.size(), pic, why);
    }
  }
  std::fclose(fp);
  if (!bOk) ReportPictureFault(cp932Path, why.empty() ? "read error" : why.c_str());
  return bOk;
}

void ReportPictureFault(std::string_view cp932Path, const char* pszWhy) {
  std::string path(cp932Path);
  Reportf("Bitmap %s : %s", path.c_str(), pszWhy);
}
