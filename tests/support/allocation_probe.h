// Measures what a piece of code allocates: the highest the heap in use rose
// above where it stood when the probe was made, on every thread. Memory
// bounds are tested by this, never by time. It works where the allocator
// can report to it (the sanitizer build the tests run in); elsewhere
// Available() is false and the tests that need it are skipped.
#pragma once

#include <cstddef>

class cAllocationProbe {
 public:
  cAllocationProbe();
  ~cAllocationProbe();
  cAllocationProbe(const cAllocationProbe&) = delete;
  cAllocationProbe& operator=(const cAllocationProbe&) = delete;

  static bool Available();
  // Bytes; 0 when nothing grew (or the probe is not available).
  size_t PeakBytes() const;
};
