// A broad phase for pair tests: boxes sorted into columns of stage pixels,
// so that a query gives the few boxes that may overlap a box rather than
// all of them. It only narrows which pairs the caller's own test is asked
// about, and in the boxes' own order, so results stay as they were.
#pragma once

#include <cstddef>
#include <vector>

#include "play/hit_effect.h"

class cBoxColumns {
 public:
  // Valid while none of the boxes changes. A box with a coordinate that is
  // not a number overlaps nothing and is left out.
  void Build(const std::vector<HITBOX>& vBox);
  // The indices past nAfter of the boxes whose columns meet the box,
  // ascending: every box that overlaps it is among them.
  void Query(const HITBOX& box, int nAfter, std::vector<int>& out) const;

 private:
  // Never decreasing in x, so boxes that overlap share a column.
  int Column(double x) const;
  // The columns a box's x-range covers (an inverted box counts from its
  // right to its left edge).
  void Span(const HITBOX& b, int& c0, int& c1) const;

  std::vector<size_t> m_vStart, m_vFill;
  std::vector<int> m_vEntry, m_vWide;
  double m_dOrigin = 0, m_dWidth = 64.0;
  int m_nColumns = 1;
};
