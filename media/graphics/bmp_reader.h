// Our reader of Windows bitmap files (1, 4, 8, 16, 24 and 32 bits, bottom-up
// and top-down, colour tables kept, 8- and 4-bit pictures also run-length
// coded). Every size and offset is checked against the file before a byte
// is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

// A decoded picture, rows top-down.
struct DIBPICTURE {
  int nWidth = 0;
  int nHeight = 0;
  int nBitCount = 0;
  // Pictures of 8 bits or less: the colour table as red, green, blue, 0
  // (entry count as the file gives it) and one index per pixel.
  std::vector<BYTE> vColorTable;
  std::vector<uint8_t> vIndices;
  // Every picture: 0x00RRGGBB per pixel (indices already looked up).
  std::vector<uint32_t> vPixels;

  uint32_t Pixel(int x, int y) const { return vPixels[static_cast<size_t>(y) * nWidth + x]; }
  uint8_t Index(int x, int y) const { return vIndices[static_cast<size_t>(y) * nWidth + x]; }
  int ColorCount() const { return static_cast<int>(vColorTable.size() / 4); }
};

// The largest picture the game can use. The Direct3D device makes textures
// of at most 8192 on a side, and the largest surfaces the game builds for
// itself (the stage view, 1280 + 2r by 960 + 2r) stay far below 2^24 pixels:
// a larger picture is damage, not art, and would take gigabytes to decode.
constexpr int64_t BMP_MAX_SIDE = 8192;
constexpr int64_t BMP_MAX_PIXELS = int64_t{1} << 24;

// Decodes bytes held in memory; on failure `why` names the fault.
bool DecodeBmp(const uint8_t* pData, size_t nSize, DIBPICTURE& pic, std::string& why);

// Reads a game path (CP932). A file that cannot be opened fails quietly (the
// callers report that in their own words); a damaged one fails with a report
// line naming the file and the fault.
bool LoadBmpFile(std::string_view cp932Path, DIBPICTURE& pic);
// The picture's report line for a fault found by a caller.
void ReportPictureFault(std::string_view cp932Path, const char* pszWhy);
