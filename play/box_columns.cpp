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

int cBoxColumns::AXIS::Cell(double v) const {
  const double c = std::floor((v - dOrigin) / dWidth);
  if (!(c > 0)) return 0;
  return c >= nCells - 1 ? nCells - 1 : static_cast<int>(c);
}

void cBoxColumns::AXIS::Span(double a, double b, int& c0, int& c1) const {
  c0 = Cell(a);
  c1 = Cell(b);
  if (c0 > c1) std::swap(c0, c1);
}

void cBoxColumns::Build(const std::vector<HITBOX>& vBox) {
  m_vWide.clear();
  double dMinX = 0, dMaxX = 0, dMinY = 0, dMaxY = 0;
  bool bAnyX = false, bAnyY = false;
  auto widen = [](double v, double& dMin, double& dMax, bool& bAny) {
    if (!std::isfinite(v)) return;
    dMin = bAny ? std::min(dMin, v) : v;
    dMax = bAny ? std::max(dMax, v) : v;
    bAny = true;
  };
  for (const HITBOX& b : vBox) {
    if (HasNaN(b)) continue;
    widen(b.dLeft, dMinX, dMaxX, bAnyX);
    widen(b.dRight, dMinX, dMaxX, bAnyX);
    widen(b.dTop, dMinY, dMaxY, bAnyY);
    widen(b.dBottom, dMinY, dMaxY, bAnyY);
  }
  // Cells of 64 pixels, at most a few per box in all: boxes spread far
  // apart get wider columns, and the rows share what the columns leave.
  const double dLimit = static_cast<double>(2 * vBox.size() + 64);
  auto lay = [](AXIS& axis, double dMin, double dMax, double dCells) {
    const double dSpan = dMax - dMin;
    axis.dOrigin = dMin;
    axis.dWidth = std::isfinite(dSpan) ? std::max(kBoxColumnWidth, dSpan / dCells) : kBoxColumnWidth;
    axis.nCells = std::isfinite(dSpan) ? static_cast<int>(std::min(dCells, dSpan / axis.dWidth + 1.0)) : 1;
  };
  lay(m_X, dMinX, dMaxX, dLimit);
  lay(m_Y, dMinY, dMaxY, std::max(1.0, std::floor(dLimit / m_X.nCells)));
  const size_t nCells = static_cast<size_t>(m_X.nCells) * static_cast<size_t>(m_Y.nCells);
  m_vStart.assign(nCells + 1, 0);
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      for (size_t i = 0; i < nCells; ++i) m_vStart[i + 1] += m_vStart[i];
      m_vEntry.resize(m_vStart[nCells]);
      m_vFill.assign(m_vStart.begin(), m_vStart.end() - 1);
    }
    for (size_t k = 0; k < vBox.size(); ++k) {
      const HITBOX& b = vBox[k];
      if (HasNaN(b)) continue;
      int c0 = 0, c1 = 0, r0 = 0, r1 = 0;
      m_X.Span(b.dLeft, b.dRight, c0, c1);
      m_Y.Span(b.dTop, b.dBottom, r0, r1);
      if (c1 - c0 >= kWideBoxColumns || r1 - r0 >= kWideBoxColumns) {
        if (pass == 0) m_vWide.push_back(static_cast<int>(k));
        continue;
      }
      for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
          const size_t i = static_cast<size_t>(r) * static_cast<size_t>(m_X.nCells) + static_cast<size_t>(c);
          if (pass == 0) ++m_vStart[i + 1];
          else m_vEntry[m_vFill[i]++] = static_cast<int>(k);
        }
    }
  }
}

void cBoxColumns::Query(const HITBOX& box, int nAfter, std::vector<int>& out) const {
  out.clear();
  if (HasNaN(box)) return;
  int c0 = 0, c1 = 0, r0 = 0, r1 = 0;
  m_X.Span(box.dLeft, box.dRight, c0, c1);
  m_Y.Span(box.dTop, box.dBottom, r0, r1);
  const auto cell = [this](int c, int r) {
    return static_cast<size_t>(r) * static_cast<size_t>(m_X.nCells) + static_cast<size_t>(c);
  };
  // The wide list and every cell ascend, each without repeats: merged, the
  // answer ascends with no sort, and a box filed under several of the
  // cells comes once.
  struct RUN {
    const int* p;
    const int* e;
  };
  constexpr int kMergeRuns = 8;
  RUN aRun[kMergeRuns];
  int nRuns = 0;
  if ((c1 - c0 + 1) * (r1 - r0 + 1) < kMergeRuns) {
    auto addRun = [&](const int* p, const int* e) {
      p = std::upper_bound(p, e, nAfter);
      if (p != e) aRun[nRuns++] = RUN{p, e};
    };
    addRun(m_vWide.data(), m_vWide.data() + m_vWide.size());
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c)
        addRun(m_vEntry.data() + m_vStart[cell(c, r)], m_vEntry.data() + m_vStart[cell(c, r) + 1]);
  } else {
    // A query over many cells: too many lists to merge.
    for (int k : m_vWide)
      if (k > nAfter) out.push_back(k);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c)
        for (size_t e = m_vStart[cell(c, r)]; e < m_vStart[cell(c, r) + 1]; ++e)
          if (m_vEntry[e] > nAfter) out.push_back(m_vEntry[e]);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return;
  }
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
