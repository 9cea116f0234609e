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

// Floods of elements that are really in the file, each as small as a file
// can hold it: the file is strHead, a list count, strElement that many
// times, then strTail, about nBytes in all. What one element costs in
// memory against its bytes in the file is what such a file multiplies.
struct ELEMENTFLOOD {
  std::string strHead;     // the bytes before the list's count word
  std::string strElement;  // one element
  std::string strTail;     // the bytes after the count: the list's own elements, and on
  uint32_t nTailElements = 0;  // how many of the list's elements strTail holds
  size_t nBytes = size_t{2} << 20;
};

struct ELEMENTFLOODRESULT {
  size_t nFileBytes = 0;
  uint32_t nElements = 0;
  size_t nPeakBytes = 0;  // the most the load allocated at once
};

// The file written as it is (withNone) and with one element more in the
// list (withOne): the list's count is the first word where they differ.
// Sets strHead, strTail and nTailElements from withNone; false when the two
// do not differ so.
bool SplitAtListCount(const std::string& withNone, const std::string& withOne, ELEMENTFLOOD& flood);

// Writes the flood to relPath and measures `load` with cAllocationProbe.
// Free what the load replaces before: the probe counts the freeing of
// memory taken before it against what the load takes.
ELEMENTFLOODRESULT RunElementFloodHarness(const ELEMENTFLOOD& flood, const std::string& relPath,
                                          const std::function<void()>& load);
