// Source-alpha blending of 32-bit pixels, the inner loop of every textured
// quad drawn into a 32-bit target: a portable loop and one for processors
// with AVX2, picked once, on the first blend, from what the processor
// reports. Both give the same pixels. Blends run on the thread that draws.
#pragma once

#include <cstddef>
#include <cstdint>

// s * a + d * (255 - a) with a the source's alpha, rounded to the nearest
// of 0..255, on all four channels; two channels at a time in 16-bit lanes
// (a sum never exceeds 255 * 255, and the rounding below is exact in that
// range).
inline uint32_t BlendArgb(uint32_t s, uint32_t d) {
  uint32_t a = s >> 24;
  uint32_t ia = 255 - a;
  uint32_t rb = (s & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * ia + 0x00800080u;
  uint32_t ag = ((s >> 8) & 0x00FF00FFu) * a + ((d >> 8) & 0x00FF00FFu) * ia + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
  return rb | ag;
}

// BlendArgb over nRows rows of n pixels: source ARGB texels from sb onto
// the destination pixels from db, the rows nSrcPitch and nDstPitch bytes
// apart. An XRGB destination's top byte takes a value nobody reads.
void BlendRect32(uint8_t* db, size_t nDstPitch, const uint8_t* sb, size_t nSrcPitch, int n, int nRows);

// The loops this program carries, so tests can hold each against the
// others on any processor that runs it.
enum eBlend32Path { BLEND32_PORTABLE, BLEND32_AVX2, BLEND32_PATH_COUNT };
const char* Blend32PathNameForTests(eBlend32Path ePath);
// Whether this build has the loop and this processor can run it.
bool Blend32PathRunsHereForTests(eBlend32Path ePath);
// The loop BlendRect32 uses here.
eBlend32Path Blend32PathInUseForTests();
// BlendRect32 on the given loop, which must run here.
void BlendRect32OnPathForTests(eBlend32Path ePath, uint8_t* db, size_t nDstPitch, const uint8_t* sb, size_t nSrcPitch,
                               int n, int nRows);
