// Speed of the graphics wrapper's inner loops against a plain memory copy of
// one 640 x 480 x 32 frame, and of a full draw batch of alpha sprites.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"

namespace {

// A started device with one 640 x 480 source surface, released at the end.
class cBenchDevice {
 public:
  cBenchDevice(int nMode, int nBpp) {
    DDInit(nMode, nullptr, 640, 480, nBpp, 0, 1, 1, 60, 0, m_SD, m_Info, 1);
  }
  ~cBenchDevice() { DDUnInit(); }

 private:
  DDSURFACEDATA m_SD[1];
  DDSURFACEINFO m_Info[1];
};

void FillPattern(DDSURFACEDATA* lpSD, bool bKeyHoles) {
  cPixelBuffer* buf = DDSurfacePixels(lpSD);
  for (int y = 0; y < buf->Height(); ++y)
    for (int x = 0; x < buf->Width(); ++x) {
      uint32_t v = static_cast<uint32_t>(x * 3 + y * 5) & 0xFFFFFF;
      if (bKeyHoles && ((x / 7 + y / 5) % 3 == 0)) v = g_dwColorKey;
      buf->SetRaw(x, y, v);
    }
}

void BM_Memcpy640x480x32(benchmark::State& state) {
  std::vector<uint32_t> a(640 * 480, 0x123456), b(640 * 480);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Memcpy640x480x32);

void BM_BltOpaque640x480x32(benchmark::State& state) {
  cBenchDevice dev(0, 32);
  DDSURFACEDATA src;
  DDCreateSurface(&src, 640, 480, 0, 1, 0, nullptr, 0);
  FillPattern(&src, false);
  for (auto _ : state) {
    DDBltFast(&g_BackBufferSD, 0, 0, 640, 480, &src, 0, 0, 0);
    benchmark::ClobberMemory();
  }
  DDReleaseSurface(&src);
}
BENCHMARK(BM_BltOpaque640x480x32);

void BM_BltKeyed640x480x32(benchmark::State& state) {
  cBenchDevice dev(0, 32);
  DDSetTransmitRGB(255, 0, 255);
  DDSURFACEDATA src;
  DDCreateSurface(&src, 640, 480, 1, 1, 0, nullptr, 0);
  FillPattern(&src, true);
  for (auto _ : state) {
    DDBltFast(&g_BackBufferSD, 0, 0, 640, 480, &src, 0, 0, 1);
    benchmark::ClobberMemory();
  }
  DDReleaseSurface(&src);
}
BENCHMARK(BM_BltKeyed640x480x32);

void BM_Batch2000Sprites(benchmark::State& state) {
  cBenchDevice dev(1, 32);
  DDSetTransmitRGB(255, 0, 255);
  // A 256 x 256 sheet of 32 x 32 sprites: round shapes with soft edges, so
  // texels are transparent, opaque and in between.
  DDSURFACEDATA sheet;
  DDCreateSurface(&sheet, 256, 256, 1, 0, DTMEMORYTYPE_SYSTEM, nullptr, 0);
  cPixelBuffer* buf = DDSurfacePixels(&sheet);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      int dx = x % 32 - 16, dy = y % 32 - 16, d2 = dx * dx + dy * dy;
      uint32_t a = d2 < 144 ? 255u : (d2 < 196 ? 128u : 0u);
      buf->SetRaw(x, y, a << 24 | (static_cast<uint32_t>(x << 16 | y << 8 | (x ^ y)) & 0xFFFFFF));
    }
  sheet.lpDT->nDTMemType = DTMEMORYTYPE_VIDEO_RT;  // drawn as a texture
  for (auto _ : state) {
    DDBeginBatch(TRUE);
    DDSetBatchLayer(&sheet);
    for (int i = 0; i < 2000; ++i) {
      int x = (i * 37) % 608, y = (i * 53) % 448;
      DDBltFast(&g_BackBufferSD, x, y, 32, 32, &sheet, (i % 8) * 32, ((i / 8) % 8) * 32, 1);
    }
    DDEndBatch();
    benchmark::ClobberMemory();
  }
  DDReleaseSurface(&sheet);
}
BENCHMARK(BM_Batch2000Sprites)->Unit(benchmark::kMicrosecond);

}  // namespace

// The bench program's one entry point (no other bench file defines one).
BENCHMARK_MAIN();
