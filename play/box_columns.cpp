#include "play/box_columns.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kColumnWidth = 64.0;
// A box over more columns than this is in no column: every query gives it.
constexpr int kWideColumns = 8;

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
  m_dWidth = std::isfinite(dSpan) ? std::max(kColumnWidth, dSpan / dLimit) : kColumnWidth;
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
      if (c1 - c0 >= kWideColumns) {
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
  for (int k : m_vWide)
    if (k > nAfter) out.push_back(k);
  int c0 = 0, c1 = 0;
  Span(box, c0, c1);
  for (int c = c0; c <= c1; ++c)
    for (size_t e = m_vStart[c]; e < m_vStart[c + 1]; ++e)
      if (m_vEntry[e] > nAfter) out.push_back(m_vEntry[e]);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}
