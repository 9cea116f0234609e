// A broad phase for pair tests: boxes sorted into cells of stage pixels
// (columns, cut into rows), so that a query gives the few boxes that may
// overlap a box rather than all of them. It only narrows which pairs the
// caller's own test is asked about, and in the boxes' own order, so results
// stay as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "play/hit_effect.h"

// The width of a column in stage pixels (and the least height of a row),
// and the most columns (or rows) a box is filed under: a wider or taller
// box is in the wide list that every query gives.
constexpr double kBoxColumnWidth = 64.0;
constexpr int kWideBoxColumns = 8;

class cBoxColumns {
 public:
  // Valid while none of the boxes changes. A box with a coordinate that is
  // not a number overlaps nothing and is left out.
  void Build(const std::vector<HITBOX>& vBox);
  // The indices past nAfter of the boxes whose cells meet the box,
  // ascending: every box that overlaps it is among them.
  void Query(const HITBOX& box, int nAfter, std::vector<int>& out) const;

 private:
  // The cells a box's range covers on one axis (an inverted box counts
  // from its far edge to its near one); never decreasing in the
  // coordinate, so boxes that overlap share a cell.
  struct AXIS {
    double dOrigin = 0, dWidth = kBoxColumnWidth;
    int nCells = 1;
    int Cell(double v) const;
    void Span(double a, double b, int& c0, int& c1) const;
  };

  AXIS m_X, m_Y;
  // Cell (column c, row r) is m_vEntry[m_vStart[i]] to m_vEntry[m_vStart[i + 1]],
  // i = r × columns + c, each ascending.
  std::vector<size_t> m_vStart, m_vFill;
  std::vector<int> m_vEntry, m_vWide;
};

// The same broad phase for boxes that move: slots 0, 1, 2... (the caller's
// objects, in its order) filed under the columns of stage x their boxes
// cover, from 0 to the stage's width (x outside it counts in the end
// columns). A slot whose box moved is refiled before the next query.
class cSlotColumns {
 public:
  // No slots, with columns over [0, dExtent) pixels.
  void Reset(double dExtent);
  // Files the next slot (numbered Size()) under its box.
  void Add(const HITBOX& box);
  int Size() const { return static_cast<int>(m_vSpan.size()); }
  // The slot's box moved: the next Refresh files it again.
  void Moved(int nSlot);
  // Files every slot that moved under boxOf(slot), its box now.
  template <class BOXOF>
  void Refresh(BOXOF&& boxOf) {
    for (int k : m_vMovedList) {
      m_vMoved[k] = 0;
      File(k, boxOf(k));
    }
    m_vMovedList.clear();
  }
  // The slots whose columns meet the box, ascending: every slot whose box
  // (as last refreshed) overlaps it is among them.
  void Query(const HITBOX& box, std::vector<int>& out) const;

 private:
  // The columns a slot is filed under: c0 to c1, none when c1 < c0, the
  // wide list when c0 is kWide.
  struct SPAN {
    int c0 = 0, c1 = -1;
  };
  static constexpr int kWide = -1;
  int Column(double x) const;
  SPAN SpanOf(const HITBOX& b) const;
  // Out of its columns and into those of the box.
  void File(int nSlot, const HITBOX& box);

  std::vector<std::vector<int>> m_vColumn = std::vector<std::vector<int>>(1);  // each ascending
  std::vector<int> m_vWide;                 // ascending
  std::vector<SPAN> m_vSpan;
  std::vector<uint8_t> m_vMoved;
  std::vector<int> m_vMovedList;
};
