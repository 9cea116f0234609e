#include "play/target_index.h"

#include <typeinfo>

#include "play/game_object.h"
#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/stage_chara.h"

namespace {
// Game thread only.
cTargetIndex s_Index;
}  // namespace

void TargetIndexNewFrame() { s_Index.m_bReady = false; }

void NoteScreenBoxMoved(cGameObj& obj) {
  cTargetIndex& x = s_Index;
  // Only the stage charas are filed (not players, shots or items).
  if (!x.m_bReady || typeid(obj) != typeid(cStageChara)) return;
  cChara& c = static_cast<cStageChara&>(obj);
  if (!x.IsFiled(c)) return;
  const int nSlot = c.m_nTargetSlot;
  const int nCell = x.CellOf(c);
  if (nCell == x.m_vEntry[nSlot].nCell) return;
  x.Unlink(nSlot);
  x.Link(nSlot, nCell);
}

void TargetIndexForget(cChara& chara) {
  if (s_Index.m_bReady && s_Index.IsFiled(chara)) s_Index.Unfile(chara.m_nTargetSlot);
}

cTargetIndex& cTargetIndex::Ready() {
  if (!s_Index.m_bReady) s_Index.Build();
  else s_Index.FileNewcomers();
  return s_Index;
}

void cTargetIndex::Build() {
  m_vEntry.clear();
  // The cells are fitted to where the centres are now, about two charas to
  // a cell; a chara that moves outside lands in a border cell, which
  // reaches to infinity outward.
  int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
  size_t n = 0;
  for (const auto& c : g_lstChara) {
    if (!c) continue;
    int x = 0, y = 0;
    PictureCentre(*c, x, y);
    x0 = std::min<int64_t>(x0, x), x1 = std::max<int64_t>(x1, x);
    y0 = std::min<int64_t>(y0, y), y1 = std::max<int64_t>(y1, y);
    ++n;
  }
  if (n == 0) x0 = x1 = y0 = y1 = 0;
  const int64_t nTarget = std::max<int64_t>(1, static_cast<int64_t>(n / 2));
  auto cells = [&](int nShift, int64_t nSpan) { return ((nSpan - 1) >> nShift) + 1; };
  m_nShift = 4;
  while (m_nShift < 40 && cells(m_nShift, x1 - x0 + 1) * cells(m_nShift, y1 - y0 + 1) > nTarget) ++m_nShift;
  m_nOriginX = x0;
  m_nOriginY = y0;
  m_nCellsX = static_cast<int>(cells(m_nShift, x1 - x0 + 1));
  m_nCellsY = static_cast<int>(cells(m_nShift, y1 - y0 + 1));
  m_vHead.assign(static_cast<size_t>(m_nCellsX) * m_nCellsY, -1);
  m_vEntry.reserve(n);
  m_nNextRank = 0;
  for (const auto& c : g_lstChara)
    if (c) File(*c, m_nNextRank++);
  m_bReady = true;
}

void cTargetIndex::FileNewcomers() {
  if (m_vEntry.size() == g_lstChara.size()) return;
  // Charas join g_lstChara at its end only, and leave the index when they
  // are freed: the ones not yet filed are the list's tail.
  auto it = g_lstChara.end();
  while (it != g_lstChara.begin() && *std::prev(it) && !IsFiled(**std::prev(it))) --it;
  for (; it != g_lstChara.end(); ++it) File(**it, m_nNextRank++);
  if (m_vEntry.size() != g_lstChara.size()) Build();
}

void cTargetIndex::File(cChara& c, uint64_t nRank) {
  const int nSlot = static_cast<int>(m_vEntry.size());
  m_vEntry.push_back(ENTRY{&c, nRank, -1, -1, -1});
  c.m_nTargetSlot = nSlot;
  Link(nSlot, CellOf(c));
}

void cTargetIndex::Unfile(int nSlot) {
  Unlink(nSlot);
  m_vEntry[nSlot].lpChara->m_nTargetSlot = -1;
  const int nLast = static_cast<int>(m_vEntry.size()) - 1;
  if (nSlot != nLast) {
    // The last entry takes the freed slot, its chain links following it.
    ENTRY& e = m_vEntry[nSlot];
    e = m_vEntry[nLast];
    if (e.nPrev >= 0) m_vEntry[e.nPrev].nNext = nSlot;
    else m_vHead[e.nCell] = nSlot;
    if (e.nNext >= 0) m_vEntry[e.nNext].nPrev = nSlot;
    e.lpChara->m_nTargetSlot = nSlot;
  }
  m_vEntry.pop_back();
}

void cTargetIndex::Link(int nSlot, int nCell) {
  ENTRY& e = m_vEntry[nSlot];
  e.nCell = nCell;
  e.nPrev = -1;
  e.nNext = m_vHead[nCell];
  if (e.nNext >= 0) m_vEntry[e.nNext].nPrev = nSlot;
  m_vHead[nCell] = nSlot;
}

void cTargetIndex::Unlink(int nSlot) {
  const ENTRY& e = m_vEntry[nSlot];
  if (e.nPrev >= 0) m_vEntry[e.nPrev].nNext = e.nNext;
  else m_vHead[e.nCell] = e.nNext;
  if (e.nNext >= 0) m_vEntry[e.nNext].nPrev = e.nPrev;
}

bool cTargetIndex::IsFiled(const cChara& c) const {
  const int n = c.m_nTargetSlot;
  return n >= 0 && static_cast<size_t>(n) < m_vEntry.size() && m_vEntry[n].lpChara == &c;
}

int cTargetIndex::CellOf(const cChara& c) const {
  int x = 0, y = 0;
  PictureCentre(c, x, y);
  return AxisCell(y, m_nOriginY, m_nCellsY) * m_nCellsX + AxisCell(x, m_nOriginX, m_nCellsX);
}

int cTargetIndex::AxisCell(int64_t v, int64_t nOrigin, int nCells) const {
  const int64_t d = v - nOrigin;
  if (d < 0) return 0;
  const int64_t i = d >> m_nShift;
  return i >= nCells ? nCells - 1 : static_cast<int>(i);
}
