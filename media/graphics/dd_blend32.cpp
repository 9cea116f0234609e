#include "media/graphics/dd_blend32.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define T4_BLEND32_AVX2 1
#else
#define T4_BLEND32_AVX2 0
#endif

namespace {

typedef void (*BLENDRECT32FUNC)(uint8_t*, size_t, const uint8_t*, size_t, int, int);

// The pixels past the last whole group of eight, one at a time.
inline void BlendTail(uint8_t* d, const uint8_t* s, int n) {
  for (int i = 0; i < n; ++i) {
    uint32_t sp, dp;
    std::memcpy(&sp, s + static_cast<size_t>(i) * 4, 4);
    std::memcpy(&dp, d + static_cast<size_t>(i) * 4, 4);
    dp = BlendArgb(sp, dp);
    std::memcpy(d + static_cast<size_t>(i) * 4, &dp, 4);
  }
}

// Eight pixels in sixteen 16-bit lanes: the low lane of each pixel holds
// its blue and red (the low bytes of its two halves), the high lane its
// green and alpha, each weighted by the pixel's alpha. Written on the
// compiler's vector types, which it turns into what the processor it is
// built for has (two SSE2 registers on any x86-64).
typedef uint16_t U16X16 __attribute__((vector_size(32)));
typedef uint32_t U32X8 __attribute__((vector_size(32)));

// What BlendArgb gives for each of eight pixels, d from s: the same
// products, the same rounding.
__attribute__((always_inline)) inline void Blend8(uint8_t* pDst, const uint8_t* pSrc) {
  U32X8 s, d;
  std::memcpy(&s, pSrc, sizeof s);
  std::memcpy(&d, pDst, sizeof d);
  const U16X16 s16 = reinterpret_cast<U16X16>(s), d16 = reinterpret_cast<U16X16>(d);
  const U16X16 sLo = s16 & 0xFF, sHi = s16 >> 8;
  const U16X16 dLo = d16 & 0xFF, dHi = d16 >> 8;
  // Each pixel's alpha in both its lanes (shifts, where a lane shuffle
  // would cost a processor without SSSE3 a trip through memory).
  const U32X8 a32 = s >> 24;
  const U16X16 a = reinterpret_cast<U16X16>(a32 | (a32 << 16));
  const U16X16 ia = 255 - a;
  U16X16 lo = sLo * a + dLo * ia + 128;
  U16X16 hi = sHi * a + dHi * ia + 128;
  lo = (lo + (lo >> 8)) >> 8;
  hi = (hi + (hi >> 8)) & 0xFF00;
  d = reinterpret_cast<U32X8>(lo | hi);
  std::memcpy(pDst, &d, sizeof d);
}

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// The blend gives s exactly at alpha 255 and d exactly at alpha 0, so
// eight wholly transparent source pixels are passed over and eight wholly
// opaque ones copied; their alphas are looked at in plain words, beside
// the vector work.
void BlendRect32Portable(uint8_t* db, size_t nDstPitch, const uint8_t* sb, size_t nSrcPitch, int n, int nRows) {
  constexpr uint64_t kAlphas = 0xFF000000FF000000u;
  for (int r = 0; r < nRows; ++r, db += nDstPitch, sb += nSrcPitch) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
      const uint8_t* s = sb + static_cast<size_t>(i) * 4;
      uint8_t* d = db + static_cast<size_t>(i) * 4;
      const uint64_t w0 = Load64(s), w1 = Load64(s + 8), w2 = Load64(s + 16), w3 = Load64(s + 24);
      if (((w0 | w1 | w2 | w3) & kAlphas) == 0) continue;
      if (((w0 & w1 & w2 & w3) & kAlphas) == kAlphas) {
        std::memcpy(d, s, 32);
        continue;
      }
      Blend8(d, s);
    }
    BlendTail(db + static_cast<size_t>(i) * 4, sb + static_cast<size_t>(i) * 4, n - i);
  }
}

#if T4_BLEND32_AVX2
// Eight pixels in one register. Each channel's source and destination
// bytes sit side by side, and so do the weights a and 255 - a, so one
// multiply-add of byte pairs gives s * a + d * (255 - a) per channel. That
// multiply takes its second bytes as signed, so the pixels go in less 128:
// (s - 128) * a + (d - 128) * (255 - a) lies within -32640..32385, and
// adding 128 * 255 back together with the 128 of the rounding (0x8000 in
// all) gives s * a + d * (255 - a) + 128 exactly in 16 bits. Its division
// by 255, (x + (x >> 8)) >> 8, is the high half of x * 257.
__attribute__((target("avx2"))) void BlendRect32Avx2(uint8_t* db, size_t nDstPitch, const uint8_t* sb, size_t nSrcPitch,
                                                     int n, int nRows) {
  const __m256i kAlphas = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i kBias = _mm256_set1_epi8(static_cast<char>(0x80));
  const __m256i kOnes = _mm256_set1_epi8(static_cast<char>(0xFF));
  const __m256i kRound = _mm256_set1_epi16(static_cast<short>(0x8000));
  const __m256i k257 = _mm256_set1_epi16(257);
  // Each pixel's alpha byte into all four of its bytes.
  const __m256i kSpread = _mm256_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15,  //
                                           3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
  for (int r = 0; r < nRows; ++r, db += nDstPitch, sb += nSrcPitch) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
      __m256i* d = reinterpret_cast<__m256i*>(db + static_cast<size_t>(i) * 4);
      const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sb + static_cast<size_t>(i) * 4));
      // Eight transparent texels leave the pixels; eight opaque ones are
      // copied (the blend gives d at alpha 0 and s at alpha 255).
      if (_mm256_testz_si256(s, kAlphas)) continue;
      if (_mm256_testc_si256(s, kAlphas)) {
        _mm256_storeu_si256(d, s);
        continue;
      }
      const __m256i dv = _mm256_loadu_si256(d);
      const __m256i a = _mm256_shuffle_epi8(s, kSpread);
      const __m256i ia = _mm256_xor_si256(a, kOnes);
      const __m256i sBiased = _mm256_xor_si256(s, kBias), dBiased = _mm256_xor_si256(dv, kBias);
      __m256i lo = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, ia), _mm256_unpacklo_epi8(sBiased, dBiased));
      __m256i hi = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, ia), _mm256_unpackhi_epi8(sBiased, dBiased));
      lo = _mm256_mulhi_epu16(_mm256_add_epi16(lo, kRound), k257);
      hi = _mm256_mulhi_epu16(_mm256_add_epi16(hi, kRound), k257);
      _mm256_storeu_si256(d, _mm256_packus_epi16(lo, hi));
    }
    BlendTail(db + static_cast<size_t>(i) * 4, sb + static_cast<size_t>(i) * 4, n - i);
  }
}
#endif

bool RunsHere(eBlend32Path ePath) {
  switch (ePath) {
    case BLEND32_PORTABLE: return true;
#if T4_BLEND32_AVX2
    case BLEND32_AVX2:
      // Also called from static initialisers, before the runtime has read
      // the processor's features itself.
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2");
#endif
    default: return false;
  }
}

BLENDRECT32FUNC PathFunc(eBlend32Path ePath) {
#if T4_BLEND32_AVX2
  if (ePath == BLEND32_AVX2) return BlendRect32Avx2;
#endif
  (void)ePath;
  return BlendRect32Portable;
}

// Read-only once made; a static local, so the first blend of any thread
// makes it.
eBlend32Path PathInUse() {
  static const eBlend32Path ePath = RunsHere(BLEND32_AVX2) ? BLEND32_AVX2 : BLEND32_PORTABLE;
  return ePath;
}

}  // namespace

void BlendRect32(uint8_t* db, size_t nDstPitch, const uint8_t* sb, size_t nSrcPitch, int n, int nRows) {
  static const BLENDRECT32FUNC pfn = PathFunc(PathInUse());
  pfn(db, nDstPitch, sb, nSrcPitch, n, nRows);
}

const char* Blend32PathNameForTests(eBlend32Path ePath) {
  switch (ePath) {
    case BLEND32_PORTABLE: return "portable";
    case BLEND32_AVX2: return "avx2";
    default: return "?";
  }
}

bool Blend32PathRunsHereForTests(eBlend32Path ePath) { return RunsHere(ePath); }

eBlend32Path Blend32PathInUseForTests() { return PathInUse(); }

void BlendRect32OnPathForTests(eBlend32Path ePath, uint8_t* db, size_t nDstPitch, const uint8_t* sb, size_t nSrcPitch,
                               int n, int nRows) {
  if (!RunsHere(ePath)) return;
  PathFunc(ePath)(db, nDstPitch, sb, nSrcPitch, n, nRows);
}
