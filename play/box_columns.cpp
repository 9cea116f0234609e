#include "play/box_columns.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// At most 4M pixels in columns; x beyond counts in the last one.
constexpr int kMaxSlotColumns = 1 << 16;

bool HasNaN(const HITBOX& b) {
  return std::isnan(b.dLeft) || std::isnan(b.dTop) || std::isnan(b.dRight) || std::isnan(b.dBottom);
}

}  // namespace

int cBoxColumns::Column(double x) const {
  const double c = std::floor((x - m_dOrigin) / m_dWidth);
  if (!(c > 0)) return 0;
  return c >= m_nColumns - 1 ? m_nColumns - 1 : static_cast<int>(c);
}

void cBoxColumns::Span(const HITBOX& b, int& c0, int& c1) const {
  c0 = Column(b.dLeft);
  c1 = Column(b.dRight);
  if (c0 > c1) std::swap(c0, c1);
}

void cBoxColumns::Build(const std::vector<HITBOX>& vBox) {
  m_vWide.clear();
  double dMin = 0, dMax = 0;
  bool bAny = false;
  for (const HITBOX& b : vBox) {
    if (HasNaN(b)) continue;
    for (double x : {b.dLeft, b.dRight}) {
      if (!std::isfinite(x)) continue;
      dMin = bAny ? std::min(dMin, x) : x;
      dMax = bAny ? std::max(dMax, x) : x;
      bAny = true;
    }
  }
  m_dOrigin = dMin;
  // Columns of 64 pixels, at most a few per box: boxes spread far apart get
  // wider ones.
  const double dLimit = static_cast<double>(2 * vBox.size() + 64), dSpan = dMax - dMin;
  m_dWidth = std::isfinite(dSpan) ? std::max(kBoxColumnWidth, dSpan / dLimit) : kBoxColumnWidth;
  m_nColumns = std::isfinite(dSpan) ? static_cast<int>(std::min(dLimit, dSpan / m_dWidth + 1.0)) : 1;
  m_vStart.assign(static_cast<size_t>(m_nColumns) + 1, 0);
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      for (int c = 0; c < m_nColumns; ++c) m_vStart[c + 1] += m_vStart[c];
      m_vEntry.resize(m_vStart[m_nColumns]);
      m_vFill.assign(m_vStart.begin(), m_vStart.end() - 1);
    }
    for (size_t k = 0; k < vBox.size(); ++k) {
      const HITBOX& b = vBox[k];
      if (HasNaN(b)) continue;
      int c0 = 0, c1 = 0;
      Span(b, c0, c1);
      if (c1 - c0 >= kWideBoxColumns) {
        if (pass == 0) m_vWide.push_back(static_cast<int>(k));
        continue;
      }
      for (int c = c0; c <= c1; ++c) {
        if (pass == 0) ++m_vStart[c + 1];
        else m_vEntry[m_vFill[c]++] = static_cast<int>(k);
      }
    }
  }
}

void cBoxColumns::Query(const HITBOX& box, int nAfter, std::vector<int>& out) const {
  out.clear();
  if (HasNaN(box)) return;
  int c0 = 0, c1 = 0;
  Span(box, c0, c1);
  if (c1 - c0 >= kWideBoxColumns) {
    // A query as wide as the wide boxes: too many lists to merge.
    for (int k : m_vWide)
      if (k > nAfter) out.push_back(k);
    for (int c = c0; c <= c1; ++c)
      for (size_t e = m_vStart[c]; e < m_vStart[c + 1]; ++e)
        if (m_vEntry[e] > nAfter) out.push_back(m_vEntry[e]);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return;
  }
  // The wide list and every column ascend, each without repeats: merged,
  // the answer ascends with no sort, and a box filed under several of the
  // columns comes once.
  struct RUN {
    const int* p;
    const int* e;
  };
  RUN aRun[kWideBoxColumns + 1];
  int nRuns = 0;
  auto addRun = [&](const int* p, const int* e) {
    p = std::upper_bound(p, e, nAfter);
    if (p != e) aRun[nRuns++] = RUN{p, e};
  };
  addRun(m_vWide.data(), m_vWide.data() + m_vWide.size());
  for (int c = c0; c <= c1; ++c) addRun(m_vEntry.data() + m_vStart[c], m_vEntry.data() + m_vStart[c + 1]);
  if (nRuns == 1) {
    out.assign(aRun[0].p, aRun[0].e);
    return;
  }
  if (nRuns == 2) {
    std::set_union(aRun[0].p, aRun[0].e, aRun[1].p, aRun[1].e, std::back_inserter(out));
    return;
  }
  while (nRuns > 0) {
    int nLow = *aRun[0].p;
    for (int r = 1; r < nRuns; ++r) nLow = std::min(nLow, *aRun[r].p);
    out.push_back(nLow);
    for (int r = 0; r < nRuns;) {
      if (*aRun[r].p == nLow && ++aRun[r].p == aRun[r].e) {
        aRun[r] = aRun[--nRuns];
      } else {
        ++r;
      }
    }
  }
}

void cSlotColumns::Reset(double dExtent) {
  const double n = std::ceil(dExtent / kBoxColumnWidth);
  const int nColumns = n >= 1 ? (n < kMaxSlotColumns ? static_cast<int>(n) : kMaxSlotColumns) : 1;
  m_vColumn.resize(static_cast<size_t>(nColumns));
  for (auto& v : m_vColumn) v.clear();
  m_vWide.clear();
  m_vSpan.clear();
  m_vMoved.clear();
  m_vMovedList.clear();
}

int cSlotColumns::Column(double x) const {
  const double c = std::floor(x / kBoxColumnWidth);
  const int nLast = static_cast<int>(m_vColumn.size()) - 1;
  if (!(c > 0)) return 0;
  return c >= nLast ? nLast : static_cast<int>(c);
}

cSlotColumns::SPAN cSlotColumns::SpanOf(const HITBOX& b) const {
  if (HasNaN(b)) return SPAN{};
  int c0 = Column(b.dLeft), c1 = Column(b.dRight);
  if (c0 > c1) std::swap(c0, c1);
  if (c1 - c0 >= kWideBoxColumns) return SPAN{kWide, kWide};
  return SPAN{c0, c1};
}

namespace {
void InsertSorted(std::vector<int>& v, int k) { v.insert(std::lower_bound(v.begin(), v.end(), k), k); }
void EraseSorted(std::vector<int>& v, int k) {
  auto it = std::lower_bound(v.begin(), v.end(), k);
  if (it != v.end() && *it == k) v.erase(it);
}
}  // namespace

void cSlotColumns::Add(const HITBOX& box) {
  m_vSpan.push_back(SPAN{});
  m_vMoved.push_back(0);
  File(Size() - 1, box);
}

void cSlotColumns::Moved(int nSlot) {
  if (nSlot < 0 || nSlot >= Size() || m_vMoved[nSlot]) return;
  m_vMoved[nSlot] = 1;
  m_vMovedList.push_back(nSlot);
}

void cSlotColumns::File(int nSlot, const HITBOX& box) {
  const SPAN now = SpanOf(box);
  SPAN& was = m_vSpan[nSlot];
  if (now.c0 == was.c0 && now.c1 == was.c1) return;
  if (was.c0 == kWide) {
    EraseSorted(m_vWide, nSlot);
  } else {
    for (int c = was.c0; c <= was.c1; ++c) EraseSorted(m_vColumn[c], nSlot);
  }
  if (now.c0 == kWide) {
    InsertSorted(m_vWide, nSlot);
  } else {
    for (int c = now.c0; c <= now.c1; ++c) InsertSorted(m_vColumn[c], nSlot);
  }
  was = now;
}

void cSlotColumns::Query(const HITBOX& box, std::vector<int>& out) const {
  out.clear();
  const SPAN s = SpanOf(box);
  if (s.c1 < s.c0 && s.c0 != kWide) return;
  // A wide query box meets every column of its span.
  const int c0 = s.c0 == kWide ? Column(std::min(box.dLeft, box.dRight)) : s.c0;
  const int c1 = s.c0 == kWide ? Column(std::max(box.dLeft, box.dRight)) : s.c1;
  out.insert(out.end(), m_vWide.begin(), m_vWide.end());
  for (int c = c0; c <= c1; ++c) out.insert(out.end(), m_vColumn[c].begin(), m_vColumn[c].end());
  // One column and no wide slots: already ascending and without repeats.
  if (c0 == c1 && m_vWide.empty()) return;
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}
