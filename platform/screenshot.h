// The screenshot seam: with TARVOLIN4_SCREENSHOT=DIR and
// TARVOLIN4_SCREENSHOT_AT=N1,N2,..., presented frames N1, N2... are written
// as DIR/frame-NNNNN.png.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the frame when its number is one of those asked for.
void ScreenshotFrameIfAsked(uint64_t nFrameNumber, const uint32_t* pPixels, int nWidth, int nHeight, int nPitchPixels);

// Writes 0x00RRGGBB pixels as an RGB PNG; false on failure.
bool WritePng(const std::string& nativePath, const uint32_t* pPixels, int nWidth, int nHeight, int nPitchPixels);
// Reads a PNG into 0x00RRGGBB pixels (tests compare with golden files).
bool ReadPng(const std::string& nativePath, std::vector<uint32_t>& pixels, int& nWidth, int& nHeight);
