#include "platform/game_random.h"

#include <cstdint>

namespace {
thread_local uint32_t t_RandState = 1;
}

extern "C" int rand() noexcept {
  t_RandState = t_RandState * 214013u + 2531011u;
  return static_cast<int>((t_RandState >> 16) & 0x7FFF);
}

extern "C" void srand(unsigned seed) noexcept { t_RandState = seed; }
