// The corruption harness every file reader is put through: each truncation
// of a good file, then seeded random byte changes, each written to disk and
// handed to the reader. Under the sanitizers a crash, an overflow or a huge
// allocation fails the run; the reader's own result is not judged here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct CORRUPTIONPLAN {
  int nMutations = 2000;     // files with random changes
  int nMaxChangesPerFile = 4;
  uint32_t nSeed = 1;
  // Truncations are all lengths below this many bytes, then a sampled
  // spread of lengths for larger files.
  size_t nAllTruncationsBelow = 4096;
};

// `relPath` is the game path (relative to the working folder) that the
// variants are written to; `load` reads it. Returns the number of variants.
int RunCorruptionHarness(const std::string& goodBytes, const std::string& relPath,
                         const std::function<void()>& load, const CORRUPTIONPLAN& plan = CORRUPTIONPLAN());
