// The 32-bit blend's loops against the rounded blend, each on the same
// pixels: whole groups of eight of one alpha (the transparent and opaque
// groups that are passed over or copied among them), groups that miss
// those by one pixel, a different alpha in every pixel, ragged row ends.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "media/graphics/dd_blend32.h"

namespace {

// Sixty pixels a row (seven groups of eight and four over), in rows of 64,
// so a write past a row's end shows in the pixels between.
constexpr int kWidth = 60, kPitch = 64;

uint32_t Want(uint32_t s, uint32_t d) {
  const uint32_t a = s >> 24;
  uint32_t v = 0;
  for (int nShift = 0; nShift < 32; nShift += 8) {
    const uint32_t cs = (s >> nShift) & 0xFF, cd = (d >> nShift) & 0xFF;
    v |= (cs * a + cd * (255 - a) + 127) / 255 << nShift;
  }
  return v;
}

// One row per alpha, every pixel of it that alpha; then rows of a random
// alpha per pixel; then rows whose groups are wholly transparent or opaque
// but for one pixel one step off. Colours at random.
std::vector<uint32_t> SourceRows(std::mt19937& rng, int& nRows) {
  std::vector<uint32_t> alphas;
  for (uint32_t a = 0; a < 256; ++a) alphas.insert(alphas.end(), kPitch, a);
  for (int r = 0; r < 64; ++r)
    for (int x = 0; x < kPitch; ++x) alphas.push_back(rng() & 0xFF);
  for (int nOdd = 0; nOdd < 8; ++nOdd)
    for (uint32_t a : {0u, 255u}) {
      const uint32_t aOdd = a == 0 ? 1 : 254;
      for (int x = 0; x < kPitch; ++x) alphas.push_back(x % 8 == nOdd ? aOdd : a);
    }
  nRows = static_cast<int>(alphas.size() / kPitch);
  std::vector<uint32_t> src(alphas.size());
  for (size_t i = 0; i < src.size(); ++i) src[i] = alphas[i] << 24 | (rng() & 0xFFFFFF);
  return src;
}

}  // namespace

TEST(Blend32, EveryLoopGivesTheRoundedBlendOnEveryAlpha) {
  std::mt19937 rng(12345);
  int nRows = 0;
  const std::vector<uint32_t> src = SourceRows(rng, nRows);
  std::vector<uint32_t> dst0(src.size());
  for (uint32_t& d : dst0) d = static_cast<uint32_t>(rng());
  int nRun = 0;
  for (int p = 0; p < BLEND32_PATH_COUNT; ++p) {
    const eBlend32Path ePath = static_cast<eBlend32Path>(p);
    SCOPED_TRACE(Blend32PathNameForTests(ePath));
    if (!Blend32PathRunsHereForTests(ePath)) continue;
    ++nRun;
    // Row lengths on either side of a group's edges, and the whole width.
    for (int n : {1, 7, 8, 9, 15, 16, 17, kWidth}) {
      SCOPED_TRACE(n);
      std::vector<uint32_t> dst = dst0;
      BlendRect32OnPathForTests(ePath, reinterpret_cast<uint8_t*>(dst.data()), kPitch * 4,
                                reinterpret_cast<const uint8_t*>(src.data()), kPitch * 4, n, nRows);
      int nWrong = 0;
      for (int y = 0; y < nRows && nWrong < 5; ++y)
        for (int x = 0; x < kPitch && nWrong < 5; ++x) {
          const size_t i = static_cast<size_t>(y) * kPitch + static_cast<size_t>(x);
          const uint32_t want = x < n ? Want(src[i], dst0[i]) : dst0[i];
          if (dst[i] == want) continue;
          ADD_FAILURE() << "row " << y << " column " << x << std::hex << ": texel " << src[i] << " over " << dst0[i]
                        << " gives " << dst[i] << ", not " << want;
          ++nWrong;
        }
    }
  }
  EXPECT_GE(nRun, 1);
}

TEST(Blend32, TheBlendUsesTheAvx2LoopWhereTheProcessorHasIt) {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here";
  EXPECT_TRUE(Blend32PathRunsHereForTests(BLEND32_AVX2));
  EXPECT_EQ(Blend32PathInUseForTests(), BLEND32_AVX2);
#else
  EXPECT_EQ(Blend32PathInUseForTests(), BLEND32_PORTABLE);
#endif
}
