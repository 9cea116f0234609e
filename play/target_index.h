// The stage charas of g_lstChara filed by grid cells of their picture
// centres (view coordinates), for the searches for the nearest chara: a
// search walks the cells outward from its point, ring by ring, and stops
// when no chara of a farther ring could be nearer than the best it has.
// Built at a search after each frame's start; between searches it follows
// the list and the pictures as they change:
// - a chara appended to g_lstChara is filed at the next search;
// - a chara leaves it when it is freed (cChara's destructor);
// - every writer of an object's screen box (m_rcScreen) or picture size
//   (m_nImgW, m_nImgH) calls NoteScreenBoxMoved afterwards, so a chara is
//   always filed in the cell of its picture centre as it is now.
// Players are not filed: they are few, and the searches look at them first.
// Game thread only (the frozen-frame threads' drawing runs while it waits).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

class cChara;
class cGameObj;

// The next search files every chara afresh (a frame starts, the stage's
// charas are all freed).
void TargetIndexNewFrame();
// After a write to obj's m_rcScreen, m_nImgW or m_nImgH.
void NoteScreenBoxMoved(cGameObj& obj);
// A chara about to be freed.
void TargetIndexForget(cChara& chara);

class cTargetIndex {
 public:
  // The index as the live lists stand now: filed afresh when a frame has
  // started since, the charas appended since filed.
  static cTargetIndex& Ready();

  // Calls fnVisit(chara, rank) for the charas of the cells around (x, y),
  // ring by ring; before each ring after the first, fnGoOn(nLeast) with the
  // least distance |cx − x| + |cy − y| a chara of that ring or any farther
  // one can have says whether to go on. The ranks grow with the place in
  // g_lstChara. Nothing may change the charas' boxes or the list meanwhile.
  template <class VISIT, class GOON>
  void WalkOutward(int x, int y, VISIT&& fnVisit, GOON&& fnGoOn) const;

  size_t FiledCountForTests() const { return m_vEntry.size(); }

 private:
  friend void TargetIndexNewFrame();
  friend void NoteScreenBoxMoved(cGameObj& obj);
  friend void TargetIndexForget(cChara& chara);

  struct ENTRY {
    cChara* lpChara;
    uint64_t nRank;
    int nCell;
    int nPrev, nNext;  // the cell's chain, -1 at its ends
  };

  void Build();
  void FileNewcomers();
  void File(cChara& c, uint64_t nRank);
  void Unfile(int nSlot);
  void Link(int nSlot, int nCell);
  void Unlink(int nSlot);
  bool IsFiled(const cChara& c) const;
  int CellOf(const cChara& c) const;
  int AxisCell(int64_t v, int64_t nOrigin, int nCells) const;

  bool m_bReady = false;
  std::vector<ENTRY> m_vEntry;
  std::vector<int> m_vHead;  // per cell, the first entry or -1
  int64_t m_nOriginX = 0, m_nOriginY = 0;
  int m_nShift = 4;  // cells are 2^m_nShift pixels square
  int m_nCellsX = 1, m_nCellsY = 1;
  uint64_t m_nNextRank = 0;
};

// ---- details ----

template <class VISIT, class GOON>
void cTargetIndex::WalkOutward(int x, int y, VISIT&& fnVisit, GOON&& fnGoOn) const {
  const int64_t S = int64_t{1} << m_nShift;
  const int qx = AxisCell(x, m_nOriginX, m_nCellsX), qy = AxisCell(y, m_nOriginY, m_nCellsY);
  auto visitCell = [&](int i, int j) {
    for (int e = m_vHead[static_cast<size_t>(j) * m_nCellsX + i]; e >= 0; e = m_vEntry[e].nNext)
      fnVisit(*m_vEntry[e].lpChara, m_vEntry[e].nRank);
  };
  visitCell(qx, qy);
  for (int k = 1;; ++k) {
    // The cells of ring k lie beyond the columns and rows of the rings
    // within it; a border cell reaches to infinity outward only, so the
    // inner edges are exact.
    int64_t nLeast = INT64_MAX;
    const bool bRight = qx + k < m_nCellsX, bLeft = qx - k >= 0;
    const bool bBelow = qy + k < m_nCellsY, bAbove = qy - k >= 0;
    if (!bRight && !bLeft && !bBelow && !bAbove) return;
    if (bRight) nLeast = std::min(nLeast, m_nOriginX + (qx + k) * S - x);
    if (bLeft) nLeast = std::min(nLeast, x - (m_nOriginX + (qx - k + 1) * S - 1));
    if (bBelow) nLeast = std::min(nLeast, m_nOriginY + (qy + k) * S - y);
    if (bAbove) nLeast = std::min(nLeast, y - (m_nOriginY + (qy - k + 1) * S - 1));
    if (!fnGoOn(nLeast)) return;
    const int i0 = std::max(qx - k, 0), i1 = std::min(qx + k, m_nCellsX - 1);
    if (bAbove)
      for (int i = i0; i <= i1; ++i) visitCell(i, qy - k);
    if (bBelow)
      for (int i = i0; i <= i1; ++i) visitCell(i, qy + k);
    const int j0 = std::max(qy - k + 1, 0), j1 = std::min(qy + k - 1, m_nCellsY - 1);
    if (bLeft)
      for (int j = j0; j <= j1; ++j) visitCell(qx - k, j);
    if (bRight)
      for (int j = j0; j <= j1; ++j) visitCell(qx + k, j);
  }
}
