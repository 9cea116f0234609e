// The game's random numbers. They stand in for the C runtime's rand and
// srand of the original (state * 214013 + 2531011, bits 16 to 30), with one
// state per thread and seed 1 at thread start; replays depend on the exact
// sequence. These definitions replace the C library's for the whole program.
#pragma once

#include <cstdlib>

extern "C" int rand() noexcept;
extern "C" void srand(unsigned seed) noexcept;

constexpr int GAME_RAND_MAX = 0x7FFF;
