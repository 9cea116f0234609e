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

// Hostile sizes. Each word of the file in turn (at every byte offset of a
// small file, at a spread of offsets in a larger one) is set to counts near
// 2^31 and to the largest count the bytes after it could hold at one byte
// an element; then, with a tail of nTailBytes bytes of 0xFF after the file,
// to the largest count those bytes could hold at nTailElementBytes an
// element, so that a count checked only against the bytes left still
// claims far more elements than the file holds. Each load is measured with
// cAllocationProbe (tests/support/allocation_probe.h).
struct HOSTILESIZEPLAN {
  size_t nMaxOffsets = 1024;
  size_t nTailBytes = 64 * 1024;
  size_t nTailElementBytes = 28;
};

struct HOSTILESIZERESULT {
  int nVariants = 0;
  size_t nWorstPeakBytes = 0;  // the most any one load allocated at once
  std::string strWorst;        // which variant that was
};

HOSTILESIZERESULT RunHostileSizeHarness(const std::string& goodBytes, const std::string& relPath,
                                        const std::function<void()>& load,
                                        const HOSTILESIZEPLAN& plan = HOSTILESIZEPLAN());
