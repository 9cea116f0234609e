#include "tests/support/allocation_probe.h"

#include <atomic>
#include <cstdint>

// The sanitizer runtime's allocator hooks; weak, so that a build without it
// links and the probe says it is not available.
extern "C" {
__attribute__((weak)) int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                                     void (*)(const volatile void*));
__attribute__((weak)) size_t __sanitizer_get_allocated_size(const volatile void*);
}

namespace {

// Written by the hooks on whatever thread allocates; read by the test
// thread once the measured code has returned. Atomics keep them whole.
std::atomic<bool> s_bCounting{false};
std::atomic<int64_t> s_nInUse{0};
std::atomic<int64_t> s_nPeak{0};

void OnMalloc(const volatile void*, size_t n) {
  if (!s_bCounting.load(std::memory_order_relaxed)) return;
  int64_t now = s_nInUse.fetch_add(static_cast<int64_t>(n), std::memory_order_relaxed) + static_cast<int64_t>(n);
  int64_t peak = s_nPeak.load(std::memory_order_relaxed);
  while (now > peak && !s_nPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

void OnFree(const volatile void* p) {
  if (!s_bCounting.load(std::memory_order_relaxed) || !p) return;
  s_nInUse.fetch_sub(static_cast<int64_t>(__sanitizer_get_allocated_size(p)), std::memory_order_relaxed);
}

bool InstallOnce() {
  // The runtime holds a handful of hook slots: take one for the process.
  static const bool s_bInstalled = __sanitizer_install_malloc_and_free_hooks && __sanitizer_get_allocated_size &&
                                   __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
  return s_bInstalled;
}

}  // namespace

bool cAllocationProbe::Available() { return InstallOnce(); }

cAllocationProbe::cAllocationProbe() {
  if (!InstallOnce()) return;
  s_nInUse = 0;
  s_nPeak = 0;
  s_bCounting = true;
}

cAllocationProbe::~cAllocationProbe() { s_bCounting = false; }

size_t cAllocationProbe::PeakBytes() const { return static_cast<size_t>(s_nPeak.load()); }
