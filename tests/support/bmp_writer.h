// Builds Windows bitmap files in memory for fixtures and the demo project:
// indexed pictures of 1, 4 or 8 bits with their colour table, and
// full-colour pictures of 24 or 32 bits, stored bottom-up or top-down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// palette: 0x00RRGGBB per entry (at most 2^nBitCount); indices: one per
// pixel, rows top-down.
std::string MakeBmpIndexed(int nBitCount, int nWidth, int nHeight, const std::vector<uint32_t>& palette,
                           const std::vector<uint8_t>& indices, bool bTopDown = false);
// pixels: 0x00RRGGBB, rows top-down. nBitCount 24 or 32.
std::string MakeBmpRgb(int nBitCount, int nWidth, int nHeight, const std::vector<uint32_t>& pixels,
                       bool bTopDown = false);
