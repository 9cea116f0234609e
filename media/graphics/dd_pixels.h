// The pixel buffers that stand for every surface of both drawing paths, the
// pixel formats they hold, and the conversions between those formats and
// 32-bit ARGB.
#pragma once

#include <cstddef>
#include <cstdint>
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
  std::vector<uint8_t> m_vBytes;
};

// Raw pixel value <-> ARGB (8 bits a channel). Index pixels have no colour of
// their own; they read as their index in the blue byte.
uint32_t RawToArgb(ePixelFormat fmt, uint32_t raw);
uint32_t ArgbToRaw(ePixelFormat fmt, uint32_t argb);

// The buffer as 0x00RRGGBB pixels, index pixels through the palette (256
// entries of red, green, blue, flags).
void ConvertToXrgb(const cPixelBuffer& buf, const BYTE* lpPalette, std::vector<uint32_t>& out);
