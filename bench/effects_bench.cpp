// Speed of the costliest per-pixel effects over a whole 640 x 480 frame:
// the rotation (both paths) and the lens. Each must stay within 4 ms.
#include <benchmark/benchmark.h>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "media/graphics/dd_pixel_effects.h"

namespace {

class cEffectBenchDevice {
 public:
  cEffectBenchDevice(int nMode, int nBpp) {
    DDInit(nMode, nullptr, 640, 480, nBpp, 0, 1, 1, 60, 0, m_SD, m_Info, 1);
    // A system-memory source: the Direct3D path then works per pixel too.
    DDCreateSurface(&m_Src, 640, 480, 0, 1, nMode ? DTMEMORYTYPE_SYSTEM : 0, nullptr, 0);
    cPixelBuffer* buf = DDSurfacePixels(&m_Src);
    for (int y = 0; y < buf->Height(); ++y)
      for (int x = 0; x < buf->Width(); ++x) buf->SetRaw(x, y, 0xFF000000u | static_cast<uint32_t>(x * 3 + y * 5));
  }
  ~cEffectBenchDevice() {
    DDReleaseSurface(&m_Src);
    DDUnInit();
  }
  DDSURFACEDATA m_Src;

 private:
  DDSURFACEDATA m_SD[1];
  DDSURFACEINFO m_Info[1];
};

// state.range(0): 0 DirectDraw, 1 Direct3D (per pixel), 2 Direct3D quad.
void BM_Rotate640x480(benchmark::State& state) {
  int nKind = static_cast<int>(state.range(0));
  cEffectBenchDevice dev(nKind ? 1 : 0, 32);
  DDSURFACEDATA quadSrc;
  DDSURFACEDATA* lpSrc = &dev.m_Src;
  if (nKind == 2) {
    DDCreateSurface(&quadSrc, 640, 480, 0, 1, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
    DDBltFast(&quadSrc, 0, 0, 640, 480, &dev.m_Src, 0, 0, 0);
    lpSrc = &quadSrc;
  }
  int nAngle = 0;
  for (auto _ : state) {
    DDBltRotate(&g_BackBufferSD, 320, 240, 640, 480, 320, 240, 30 + (nAngle++ & 7), lpSrc, 0, 0, 1);
    benchmark::ClobberMemory();
  }
  if (nKind == 2) DDReleaseSurface(&quadSrc);
}
BENCHMARK(BM_Rotate640x480)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Lens640x480(benchmark::State& state) {
  cEffectBenchDevice dev(static_cast<int>(state.range(0)), 32);
  for (auto _ : state) {
    DDBltLens(&g_BackBufferSD, 320, 240, 240, 160, &dev.m_Src, 320, 240, 1, 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Lens640x480)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
