#include "tests/support/corruption.h"

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/file_system.h"
#include "tests/support/allocation_probe.h"

namespace {

void WriteAll(const std::string& relPath, const std::string& bytes) {
  std::string native = ResolvePath(relPath);
  std::filesystem::path p(native);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream f(native, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int RunCorruptionHarness(const std::string& good, const std::string& relPath, const std::function<void()>& load,
                         const CORRUPTIONPLAN& plan) {
  int n = 0;
  // Truncations.
  size_t step = 1;
  if (good.size() > plan.nAllTruncationsBelow) step = good.size() / plan.nAllTruncationsBelow + 1;
  for (size_t len = 0; len < good.size(); len += step) {
    WriteAll(relPath, good.substr(0, len));
    load();
    ++n;
  }
  // Random changes: single bytes, and whole little-endian words set to
  // values that make counts and lengths interesting.
  std::mt19937 rng(plan.nSeed);
  static const uint32_t s_Words[] = {0u, 1u, 2u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFu, 0x10000u, 255u, 667u};
  for (int i = 0; i < plan.nMutations && !good.empty(); ++i) {
    std::string bad = good;
    int changes = 1 + static_cast<int>(rng() % plan.nMaxChangesPerFile);
    for (int c = 0; c < changes; ++c) {
      size_t pos = rng() % bad.size();
      if (rng() % 2 == 0 || pos + 4 > bad.size()) {
        bad[pos] = static_cast<char>(rng() & 0xFF);
      } else {
        uint32_t w = s_Words[rng() % (sizeof s_Words / sizeof s_Words[0])];
        pos &= ~static_cast<size_t>(3);
        if (pos + 4 > bad.size()) pos = bad.size() - 4;
        for (int b = 0; b < 4; ++b) bad[pos + b] = static_cast<char>((w >> (8 * b)) & 0xFF);
      }
    }
    WriteAll(relPath, bad);
    load();
    ++n;
  }
  return n;
}

HOSTILESIZERESULT RunHostileSizeHarness(const std::string& good, const std::string& relPath,
                                        const std::function<void()>& load, const HOSTILESIZEPLAN& plan) {
  HOSTILESIZERESULT result;
  if (good.size() < 4) return result;
  auto Try = [&](const std::string& bytes, size_t pos, uint32_t word, size_t tail) {
    std::string bad = bytes;
    for (int b = 0; b < 4; ++b) bad[pos + b] = static_cast<char>((word >> (8 * b)) & 0xFF);
    bad.append(tail, '\xFF');
    WriteAll(relPath, bad);
    size_t peak = 0;
    {
      cAllocationProbe probe;
      load();
      peak = probe.PeakBytes();
    }
    ++result.nVariants;
    if (peak > result.nWorstPeakBytes) {
      result.nWorstPeakBytes = peak;
      result.strWorst = "offset " + std::to_string(pos) + " word " + std::to_string(word) + " tail " +
                        std::to_string(tail);
    }
  };
  const size_t nOffsets = good.size() - 3;
  const size_t step = nOffsets > plan.nMaxOffsets ? nOffsets / plan.nMaxOffsets + 1 : 1;
  for (size_t pos = 0; pos < nOffsets; pos += step) {
    const size_t nLeft = good.size() - pos - 4;
    for (uint32_t word : {0x7FFFFFFFu, 0xFFFFFFFFu, static_cast<uint32_t>(nLeft)}) Try(good, pos, word, 0);
    if (plan.nTailBytes && plan.nTailElementBytes)
      Try(good, pos, static_cast<uint32_t>((nLeft + plan.nTailBytes) / plan.nTailElementBytes), plan.nTailBytes);
  }
  return result;
}

bool SplitAtListCount(const std::string& withNone, const std::string& withOne, ELEMENTFLOOD& flood) {
  size_t d = 0;
  while (d < withNone.size() && d < withOne.size() && withNone[d] == withOne[d]) ++d;
  // Little-endian: a small count and the one above it differ first in the
  // low byte, which starts the word.
  if (d + 4 > withNone.size() || d + 4 > withOne.size()) return false;
  uint32_t n = 0, n1 = 0;
  for (int b = 3; b >= 0; --b) {
    n = n << 8 | static_cast<uint8_t>(withNone[d + b]);
    n1 = n1 << 8 | static_cast<uint8_t>(withOne[d + b]);
  }
  if (n1 != n + 1 || n > 0xFFFF) return false;
  flood.strHead = withNone.substr(0, d);
  flood.strTail = withNone.substr(d + 4);
  flood.nTailElements = n;
  return true;
}

ELEMENTFLOODRESULT RunElementFloodHarness(const ELEMENTFLOOD& flood, const std::string& relPath,
                                          const std::function<void()>& load) {
  ELEMENTFLOODRESULT r;
  const size_t nFixed = flood.strHead.size() + 4 + flood.strTail.size();
  if (flood.strElement.empty() || flood.nBytes <= nFixed) return r;
  r.nElements = static_cast<uint32_t>((flood.nBytes - nFixed) / flood.strElement.size());
  std::string bytes = flood.strHead;
  const uint32_t nCount = r.nElements + flood.nTailElements;
  for (int b = 0; b < 4; ++b) bytes += static_cast<char>((nCount >> (8 * b)) & 0xFF);
  bytes.reserve(flood.nBytes);
  for (uint32_t i = 0; i < r.nElements; ++i) bytes += flood.strElement;
  bytes += flood.strTail;
  r.nFileBytes = bytes.size();
  WriteAll(relPath, bytes);
  bytes = std::string();
  cAllocationProbe probe;
  load();
  r.nPeakBytes = probe.PeakBytes();
  return r;
}
