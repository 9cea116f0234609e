#include "platform/frame_sink.h"

#include <atomic>

#include "platform/screenshot.h"

namespace {
std::atomic<uint64_t> s_nPresented{0};
}

void SubmitFrame(const uint32_t* pPixels, int nWidth, int nHeight, int nPitchPixels, bool) {
  uint64_t n = ++s_nPresented;
  ScreenshotFrameIfAsked(n, pPixels, nWidth, nHeight, nPitchPixels);
}

uint64_t PresentedFrameCount() { return s_nPresented.load(); }
