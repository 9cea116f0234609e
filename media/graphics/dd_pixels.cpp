#include "media/graphics/dd_pixels.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>

int PixelFormatBits(ePixelFormat fmt) {
  switch (fmt) {
    case PF_INDEX8: return 8;
    case PF_RGB565:
    case PF_ARGB1555: return 16;
    case PF_XRGB8888:
    case PF_ARGB8888: return 32;
    default: return 0;
  }
}

namespace {

constexpr size_t HUGE_PAGE = size_t{2} << 20;
// From half a huge page up: below it the rounding would waste more than it
// saves. The sanitizer build keeps every buffer on the heap, where a write
// past its end is caught.
#ifdef __SANITIZE_ADDRESS__
constexpr size_t MAPPED_FROM = SIZE_MAX;
#else
constexpr size_t MAPPED_FROM = HUGE_PAGE / 2;
#endif

size_t MappedBytes(size_t nBytes) { return (nBytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE; }

}  // namespace

void* AllocateZeroedPixels(size_t nBytes) {
  if (nBytes < MAPPED_FROM) {
    void* p = std::calloc(nBytes ? nBytes : 1, 1);
    if (!p) throw std::bad_alloc();
    return p;
  }
  // Mapped a huge page longer than it needs, so that a start on a huge
  // page's boundary lies within; the ends past it are given back at once.
  const size_t nMapped = MappedBytes(nBytes);
  void* pRaw = ::mmap(nullptr, nMapped + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pRaw == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t nRaw = reinterpret_cast<uintptr_t>(pRaw);
  const uintptr_t nStart = (nRaw + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
  if (nStart > nRaw) ::munmap(pRaw, nStart - nRaw);
  const size_t nAfter = nRaw + nMapped + HUGE_PAGE - (nStart + nMapped);
  if (nAfter) ::munmap(reinterpret_cast<void*>(nStart + nMapped), nAfter);
  void* p = reinterpret_cast<void*>(nStart);
#ifdef MADV_HUGEPAGE
  ::madvise(p, nMapped, MADV_HUGEPAGE);
#endif
  return p;
}

void FreeZeroedPixels(void* p, size_t nBytes) {
  if (!p) return;
  if (nBytes < MAPPED_FROM) {
    std::free(p);
    return;
  }
  ::munmap(p, MappedBytes(nBytes));
}

bool cPixelBuffer::Create(ePixelFormat fmt, int nWidth, int nHeight) {
  int nBits = PixelFormatBits(fmt);
  // 16384 on a side is far beyond any picture of a game made for a 640 x 480
  // screen; it keeps a damaged size from asking for gigabytes.
  if (nBits == 0 || nWidth <= 0 || nHeight <= 0 || nWidth > 16384 || nHeight > 16384) return false;
  m_nFormat = fmt;
  m_nWidth = nWidth;
  m_nHeight = nHeight;
  m_nBytesPerPixel = nBits / 8;
  int nAlign = 4 / m_nBytesPerPixel;
  m_nPitch = (nWidth + nAlign - 1) / nAlign * nAlign;
  // New storage every time: resizing a vector that already held pixels
  // would keep them.
  std::vector<uint8_t, cZeroedAllocator<uint8_t>> vBytes(static_cast<size_t>(m_nPitch) * nHeight * m_nBytesPerPixel);
  m_vBytes.swap(vBytes);
  return true;
}

uint32_t cPixelBuffer::GetRaw(int x, int y) const {
  const uint8_t* p = RowBytes(y);
  switch (m_nBytesPerPixel) {
    case 1: return p[x];
    case 2: return reinterpret_cast<const uint16_t*>(p)[x];
    default: return reinterpret_cast<const uint32_t*>(p)[x];
  }
}

void cPixelBuffer::SetRaw(int x, int y, uint32_t v) {
  uint8_t* p = RowBytes(y);
  switch (m_nBytesPerPixel) {
    case 1: p[x] = static_cast<uint8_t>(v); break;
    case 2: reinterpret_cast<uint16_t*>(p)[x] = static_cast<uint16_t>(v); break;
    default: reinterpret_cast<uint32_t*>(p)[x] = v; break;
  }
}

void cPixelBuffer::FillRaw(int x, int y, int w, int h, uint32_t v) {
  int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
  long long x1l = static_cast<long long>(x) + w, y1l = static_cast<long long>(y) + h;
  int x1 = x1l > m_nWidth ? m_nWidth : static_cast<int>(x1l);
  int y1 = y1l > m_nHeight ? m_nHeight : static_cast<int>(y1l);
  if (x0 >= x1 || y0 >= y1) return;
  for (int yy = y0; yy < y1; ++yy) {
    switch (m_nBytesPerPixel) {
      case 1: std::memset(RowBytes(yy) + x0, static_cast<int>(v & 0xFF), static_cast<size_t>(x1 - x0)); break;
      case 2: {
        uint16_t* p = Row<uint16_t>(yy);
        for (int xx = x0; xx < x1; ++xx) p[xx] = static_cast<uint16_t>(v);
        break;
      }
      default: {
        uint32_t* p = Row<uint32_t>(yy);
        for (int xx = x0; xx < x1; ++xx) p[xx] = v;
        break;
      }
    }
  }
}

uint32_t RawToArgb(ePixelFormat fmt, uint32_t raw) {
  switch (fmt) {
    case PF_INDEX8: return 0xFF000000u | (raw & 0xFF);
    case PF_RGB565: {
      uint32_t r = (raw >> 11) & 31, g = (raw >> 5) & 63, b = raw & 31;
      return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
    }
    case PF_ARGB1555: {
      uint32_t r = (raw >> 10) & 31, g = (raw >> 5) & 31, b = raw & 31;
      return ((raw & 0x8000) ? 0xFF000000u : 0) | ((r << 3 | r >> 2) << 16) | ((g << 3 | g >> 2) << 8) | (b << 3 | b >> 2);
    }
    case PF_XRGB8888: return raw | 0xFF000000u;
    default: return raw;
  }
}

void ConvertToXrgb(const cPixelBuffer& buf, const BYTE* lpPalette, std::vector<uint32_t>& out) {
  int w = buf.Width(), h = buf.Height();
  out.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    uint32_t* d = out.data() + static_cast<size_t>(y) * w;
    switch (buf.Format()) {
      case PF_INDEX8: {
        const uint8_t* s = buf.Row<uint8_t>(y);
        for (int x = 0; x < w; ++x) {
          const BYTE* e = lpPalette + s[x] * 4;
          d[x] = static_cast<uint32_t>(e[0]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[2];
        }
        break;
      }
      case PF_RGB565:
      case PF_ARGB1555: {
        const uint16_t* s = buf.Row<uint16_t>(y);
        for (int x = 0; x < w; ++x) d[x] = RawToArgb(buf.Format(), s[x]) & 0x00FFFFFFu;
        break;
      }
      default: {
        const uint32_t* s = buf.Row<uint32_t>(y);
        for (int x = 0; x < w; ++x) d[x] = s[x] & 0x00FFFFFFu;
        break;
      }
    }
  }
}
