// Hand-written file bytes for reader tests: single bytes, and little-endian
// 16- and 32-bit words, as the data files hold them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

inline std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

inline std::string U16(uint16_t v) { return Bytes({v & 0xFF, v >> 8}); }

inline std::string U32(uint32_t v) {
  return Bytes({static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF),
                static_cast<int>(v >> 24)});
}

inline std::string Words(std::initializer_list<uint32_t> w) {
  std::string s;
  for (uint32_t v : w) s += U32(v);
  return s;
}
