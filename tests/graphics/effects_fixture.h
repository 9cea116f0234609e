// Small surfaces of known pixels for the effect tests: made on the started
// path, written and read as colours whatever the format.
#pragma once

#include <cstdint>
#include <vector>

#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"

namespace t4gfx {

// An empty surface of the current path: a render target or, with
// nDTMemType DTMEMORYTYPE_SYSTEM, a texture the pixel path draws into.
class cTestSurface {
 public:
  cTestSurface(int w, int h, int nDTMemType = DTMEMORYTYPE_VIDEO_RT, BOOL bTransmit = 0) {
    m_bOk = DDCreateSurface(&m_SD, w, h, bTransmit, 0, nDTMemType, nullptr, 0) != 0;
  }
  ~cTestSurface() { DDReleaseSurface(&m_SD); }
  cTestSurface(const cTestSurface&) = delete;
  cTestSurface& operator=(const cTestSurface&) = delete;
  bool Ok() const { return m_bOk; }
  DDSURFACEDATA* SD() { return &m_SD; }
  cPixelBuffer& Px() { return *DDSurfacePixels(&m_SD); }

  // rgb as 0x00RRGGBB (opaque); at 8 bits the value is the index.
  void Put(int x, int y, uint32_t rgb) { Px().SetRaw(x, y, ArgbToRaw(Px().Format(), 0xFF000000u | rgb)); }
  void Fill(uint32_t rgb) { Px().FillRaw(0, 0, Px().Width(), Px().Height(), ArgbToRaw(Px().Format(), 0xFF000000u | rgb)); }
  void FillRaw(uint32_t raw) { Px().FillRaw(0, 0, Px().Width(), Px().Height(), raw); }
  uint32_t Get(int x, int y) { return RawToArgb(Px().Format(), Px().GetRaw(x, y)) & 0x00FFFFFFu; }
  uint32_t Raw(int x, int y) { return Px().GetRaw(x, y); }
  std::vector<uint32_t> Snapshot() {
    std::vector<uint32_t> v;
    for (int y = 0; y < m_SD.nHeight; ++y)
      for (int x = 0; x < m_SD.nWidth; ++x) v.push_back(Raw(x, y));
    return v;
  }

 private:
  DDSURFACEDATA m_SD;
  bool m_bOk = false;
};

// A colour as the format keeps it, read back (565 and 1555 lose low bits).
inline uint32_t Quantised(ePixelFormat fmt, uint32_t rgb) {
  return RawToArgb(fmt, ArgbToRaw(fmt, 0xFF000000u | rgb)) & 0x00FFFFFFu;
}

}  // namespace t4gfx
