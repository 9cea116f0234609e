// The pixel buffers that stand for every surface of both drawing paths, the
// pixel formats they hold, and the conversions between those formats and
// 32-bit ARGB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "platform/win_types.h"

enum ePixelFormat : int32_t {
  PF_NONE = 0,
  PF_INDEX8 = 1,    // an index into the display palette
  PF_RGB565 = 2,
  PF_ARGB1555 = 3,
  PF_XRGB8888 = 4,  // the top byte is kept as written but never read as alpha
  PF_ARGB8888 = 5,
};

int PixelFormatBits(ePixelFormat fmt);

// Zeroed storage of nBytes for pixels; throws std::bad_alloc. A large
// buffer is mapped on its own and takes whole huge pages where the system
// gives them: a screen-sized surface then costs a page fault or two when it
// is first filled rather than hundreds, and a start-up fills tens of them.
void* AllocateZeroedPixels(size_t nBytes);
void FreeZeroedPixels(void* p, size_t nBytes);

// Storage that comes zeroed from the allocator, so a new buffer is not
// written over with zeros: the pages of a large one are the system's zero
// pages until something is drawn into them.
template <class T>
struct cZeroedAllocator {
  using value_type = T;
  cZeroedAllocator() = default;
  template <class U>
  cZeroedAllocator(const cZeroedAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(AllocateZeroedPixels(n * sizeof(T))); }
  void deallocate(T* p, size_t n) { FreeZeroedPixels(p, n * sizeof(T)); }
  // A new element of fresh storage is left as the allocator gave it: zero.
  template <class U>
  void construct(U*) {}
  template <class U, class... A>
  void construct(U* p, A&&... a) {
    ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
  }
  template <class U>
  bool operator==(const cZeroedAllocator<U>&) const { return true; }
};

// One surface's pixels. Rows start on 4-byte boundaries; the pitch is in
// pixels.
class cPixelBuffer {
 public:
  cPixelBuffer() = default;
  cPixelBuffer(ePixelFormat fmt, int nWidth, int nHeight) { Create(fmt, nWidth, nHeight); }
  // False when the size is not positive or too large to hold.
  bool Create(ePixelFormat fmt, int nWidth, int nHeight);

  ePixelFormat Format() const { return m_nFormat; }
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  int Pitch() const { return m_nPitch; }
  int BytesPerPixel() const { return m_nBytesPerPixel; }
  uint8_t* Bits() { return m_vBytes.data(); }
  const uint8_t* Bits() const { return m_vBytes.data(); }
  uint8_t* RowBytes(int y) { return m_vBytes.data() + static_cast<size_t>(y) * m_nPitch * m_nBytesPerPixel; }
  const uint8_t* RowBytes(int y) const { return m_vBytes.data() + static_cast<size_t>(y) * m_nPitch * m_nBytesPerPixel; }
  template <class T>
  T* Row(int y) { return reinterpret_cast<T*>(RowBytes(y)); }
  template <class T>
  const T* Row(int y) const { return reinterpret_cast<const T*>(RowBytes(y)); }

  // The raw value of one pixel (an index, a 16-bit or a 32-bit value).
  uint32_t GetRaw(int x, int y) const;
  void SetRaw(int x, int y, uint32_t v);
  // Writes a raw value into the part of the rectangle inside the buffer.
  void FillRaw(int x, int y, int w, int h, uint32_t v);

 private:
  ePixelFormat m_nFormat = PF_NONE;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_nPitch = 0;
  int m_nBytesPerPixel = 0;
  std::vector<uint8_t, cZeroedAllocator<uint8_t>> m_vBytes;
};

// Raw pixel value <-> ARGB (8 bits a channel). Index pixels have no colour of
// their own; they read as their index in the blue byte.
uint32_t RawToArgb(ePixelFormat fmt, uint32_t raw);
// Inline, so that a loop over one format's pixels loses the switch.
inline uint32_t ArgbToRaw(ePixelFormat fmt, uint32_t c) {
  uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  switch (fmt) {
    case PF_INDEX8: return b;
    case PF_RGB565: return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    case PF_ARGB1555: return (a >= 128 ? 0x8000u : 0u) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    // The DirectDraw path compares whole pixels with its colour key, which
    // holds no alpha byte.
    case PF_XRGB8888: return c & 0x00FFFFFFu;
    default: return c;
  }
}

// The buffer as 0x00RRGGBB pixels, index pixels through the palette (256
// entries of red, green, blue, flags).
void ConvertToXrgb(const cPixelBuffer& buf, const BYTE* lpPalette, std::vector<uint32_t>& out);
