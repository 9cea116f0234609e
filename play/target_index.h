// The stage charas of g_lstChara filed by grid cells of their picture
// centres (view coordinates), for the searches for the nearest chara: a
// search walks the cells outward from its point, ring by ring, and stops
// when no chara of a farther ring could be nearer than the best it has.
// Two grids of the same kind hold them: one every chara, the other only
// the charas on screen now (cGameObj::IsOnScreen), for the searches that
// prefer the screen or keep to it. Both rank a chara by its place in the
// list.
// Built at a search after each frame's start (the on-screen grid at the
// first search that asks for it); between searches it follows the list,
// the pictures and the boxes as they change:
// - a chara appended to g_lstChara is filed at the next search;
// - a chara leaves it when it is freed (cChara's destructor);
// - every writer of an object's screen box (m_rcScreen) or picture size
//   (m_nImgW, m_nImgH) calls NoteScreenBoxMoved afterwards, so a chara is
//   always filed in the cell of its picture centre as it is now;
// - every assignment of a filed chara's box coordinate (cBoxCoord) marks
//   it, and the next search that asks for the on-screen grid tests again
//   whether the marked charas are on screen; when the view has scrolled
//   since, it tests them all.
// Players are not filed: they are few, and the searches look at them first.
// Game thread only (the frozen-frame threads' drawing runs while it waits).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

class cChara;
class cGameObj;
class cStageContext;

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
  // As Ready, and the on-screen grid holds exactly the charas on screen.
  static cTargetIndex& ReadyOnScreen();

  // Calls fnVisit(chara, rank) for the charas of the cells around (x, y),
  // ring by ring; before each ring after the first, fnGoOn(nLeast) with the
  // least distance |cx − x| + |cy − y| a chara of that ring or any farther
  // one can have says whether to go on. The ranks grow with the place in
  // g_lstChara. Nothing may change the charas' boxes or the list meanwhile.
  template <class VISIT, class GOON>
  void WalkOutward(int x, int y, VISIT&& fnVisit, GOON&& fnGoOn) const {
    Walk(ALL, x, y, fnVisit, fnGoOn);
  }
  // The same over the charas on screen only (after ReadyOnScreen).
  template <class VISIT, class GOON>
  void WalkOnScreenOutward(int x, int y, VISIT&& fnVisit, GOON&& fnGoOn) const {
    Walk(ON_SCREEN, x, y, fnVisit, fnGoOn);
  }

  size_t FiledCountForTests() const { return m_vEntry.size(); }
  size_t OnScreenCountForTests() const;

 private:
  friend void TargetIndexNewFrame();
  friend void NoteScreenBoxMoved(cGameObj& obj);
  friend void TargetIndexForget(cChara& chara);
  friend void NoteTargetBoxMoved(int nSlot);

  enum { ALL = 0, ON_SCREEN = 1 };
  struct LINK {
    int nCell = -1;
    int nPrev = -1, nNext = -1;  // the cell's chain, -1 at its ends
  };
  struct ENTRY {
    cChara* lpChara;
    uint64_t nRank;
    LINK aLink[2];   // per grid
    bool bOnScreen;  // filed in the on-screen grid
    bool bMarked;    // a box coordinate changed since the last test
  };
  // Cells of 2^nShift pixels square from the origin; a centre outside lands
  // in a border cell, which reaches to infinity outward. The bounds hold
  // every centre filed since the grid was fitted (they only grow).
  struct GRID {
    int64_t nOriginX = 0, nOriginY = 0;
    int nShift = 4;
    int nCellsX = 1, nCellsY = 1;
    std::vector<int> vHead;  // per cell, the first entry or -1
    int64_t nMinX = INT64_MAX, nMinY = INT64_MAX, nMaxX = INT64_MIN, nMaxY = INT64_MIN;

    // About two centres of the box to a cell; the chains empty.
    void Fit(int64_t x0, int64_t y0, int64_t x1, int64_t y1, size_t nCentres);
    int AxisCell(int64_t v, int64_t nOrigin, int nCells) const;
    int CellX(int64_t x) const { return AxisCell(x, nOriginX, nCellsX); }
    int CellY(int64_t y) const { return AxisCell(y, nOriginY, nCellsY); }
  };

  void Build();
  void BuildOnScreen();
  void FileNewcomers();
  void File(cChara& c, uint64_t nRank);
  void Unfile(int nSlot);
  void Mark(int nSlot);
  void Retest(int nSlot);
  // The cell of the entry's picture centre in grid g, the bounds grown to
  // hold it.
  int CentreCell(int g, int nSlot);
  void Refile(int g, int nSlot);
  void Link(int g, int nSlot);
  void LinkInto(int g, int nSlot, int nCell);
  void Unlink(int g, int nSlot);
  bool IsFiled(const cGameObj& obj) const;
  template <class VISIT, class GOON>
  void Walk(int g, int x, int y, VISIT& fnVisit, GOON& fnGoOn) const;

  bool m_bReady = false;
  bool m_bOnScreenReady = false;
  std::vector<ENTRY> m_vEntry;
  GRID m_aGrid[2];
  uint64_t m_nNextRank = 0;
  // The marked entries' slots (a slot may come twice, or no longer be
  // marked: the mark decides).
  std::vector<int> m_vMarked;
  // The view the on-screen grid was tested against.
  const cStageContext* m_lpView = nullptr;
  double m_dViewX = 0.0, m_dViewY = 0.0;
};

// ---- details ----

template <class VISIT, class GOON>
void cTargetIndex::Walk(int g, int x, int y, VISIT& fnVisit, GOON& fnGoOn) const {
  const GRID& G = m_aGrid[g];
  if (G.nMinX > G.nMaxX) return;  // nothing filed since the fit
  const int64_t S = int64_t{1} << G.nShift;
  const int qx = G.CellX(x), qy = G.CellY(y);
  // No centre lies beyond the bounds: no cell outside theirs holds one, and
  // every chara is at least as far as the bounds on each axis.
  const int cx0 = G.CellX(G.nMinX), cx1 = G.CellX(G.nMaxX);
  const int cy0 = G.CellY(G.nMinY), cy1 = G.CellY(G.nMaxY);
  const int64_t dxb = std::max<int64_t>({0, G.nMinX - x, x - G.nMaxX});
  const int64_t dyb = std::max<int64_t>({0, G.nMinY - y, y - G.nMaxY});
  auto visitCell = [&](int i, int j) {
    for (int e = G.vHead[static_cast<size_t>(j) * G.nCellsX + i]; e >= 0; e = m_vEntry[e].aLink[g].nNext)
      fnVisit(*m_vEntry[e].lpChara, m_vEntry[e].nRank);
  };
  if (qx >= cx0 && qx <= cx1 && qy >= cy0 && qy <= cy1) visitCell(qx, qy);
  for (int k = 1;; ++k) {
    // The cells of ring k lie beyond the columns and rows of the rings
    // within it; a border cell reaches to infinity outward only, so the
    // inner edges are exact.
    int64_t nLeast = INT64_MAX;
    const bool bRight = qx + k <= cx1, bLeft = qx - k >= cx0;
    const bool bBelow = qy + k <= cy1, bAbove = qy - k >= cy0;
    if (!bRight && !bLeft && !bBelow && !bAbove) return;
    if (bRight) nLeast = std::min(nLeast, std::max(G.nOriginX + (qx + k) * S - x, dxb) + dyb);
    if (bLeft) nLeast = std::min(nLeast, std::max(x - (G.nOriginX + (qx - k + 1) * S - 1), dxb) + dyb);
    if (bBelow) nLeast = std::min(nLeast, std::max(G.nOriginY + (qy + k) * S - y, dyb) + dxb);
    if (bAbove) nLeast = std::min(nLeast, std::max(y - (G.nOriginY + (qy - k + 1) * S - 1), dyb) + dxb);
    if (!fnGoOn(nLeast)) return;
    const int i0 = std::max(qx - k, cx0), i1 = std::min(qx + k, cx1);
    if (bAbove && qy - k <= cy1)
      for (int i = i0; i <= i1; ++i) visitCell(i, qy - k);
    if (bBelow && qy + k >= cy0)
      for (int i = i0; i <= i1; ++i) visitCell(i, qy + k);
    const int j0 = std::max(qy - k + 1, cy0), j1 = std::min(qy + k - 1, cy1);
    if (bLeft && qx - k <= cx1)
      for (int j = j0; j <= j1; ++j) visitCell(qx - k, j);
    if (bRight && qx + k >= cx0)
      for (int j = j0; j <= j1; ++j) visitCell(qx + k, j);
  }
}
