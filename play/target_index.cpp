#include "play/target_index.h"

#include "play/game_object.h"
#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/stage_chara.h"
#include "play/stage_context.h"

namespace {
// Game thread only.
cTargetIndex s_Index;
}  // namespace

void TargetIndexNewFrame() { s_Index.m_bReady = s_Index.m_bOnScreenReady = false; }

void NoteScreenBoxMoved(cGameObj& obj) {
  cTargetIndex& x = s_Index;
  // Only the stage charas are filed (not players, shots or items).
  if (!x.m_bReady || !x.IsFiled(obj)) return;
  const int nSlot = obj.TargetSlot();
  x.Refile(cTargetIndex::ALL, nSlot);
  if (x.m_bOnScreenReady && x.m_vEntry[nSlot].bOnScreen) x.Refile(cTargetIndex::ON_SCREEN, nSlot);
}

void NoteTargetBoxMoved(int nSlot) {
  // A slot is set on the filed charas only, and cleared when they leave.
  if (s_Index.m_bOnScreenReady && static_cast<size_t>(nSlot) < s_Index.m_vEntry.size()) s_Index.Mark(nSlot);
}

void TargetIndexForget(cChara& chara) {
  // Freed charas leave at once, built or not, so that every entry is live.
  if (s_Index.IsFiled(chara)) s_Index.Unfile(chara.TargetSlot());
}

cTargetIndex& cTargetIndex::Ready() {
  if (!s_Index.m_bReady) s_Index.Build();
  else s_Index.FileNewcomers();
  return s_Index;
}

cTargetIndex& cTargetIndex::ReadyOnScreen() {
  cTargetIndex& x = Ready();
  const cStageContext* lpView = g_lpStageContext;
  // A scroll moves the view past every box: all are tested again.
  if (!x.m_bOnScreenReady || lpView != x.m_lpView ||
      (lpView && (lpView->m_aScroll[SCROLL_X].dPos != x.m_dViewX || lpView->m_aScroll[SCROLL_Y].dPos != x.m_dViewY))) {
    x.BuildOnScreen();
    return x;
  }
  for (const int nSlot : x.m_vMarked)
    if (static_cast<size_t>(nSlot) < x.m_vEntry.size() && x.m_vEntry[nSlot].bMarked) x.Retest(nSlot);
  x.m_vMarked.clear();
  return x;
}

size_t cTargetIndex::OnScreenCountForTests() const {
  size_t n = 0;
  for (const ENTRY& e : m_vEntry) n += e.bOnScreen;
  return n;
}

void cTargetIndex::GRID::Fit(int64_t x0, int64_t y0, int64_t x1, int64_t y1, size_t nCentres) {
  if (nCentres == 0) x0 = x1 = y0 = y1 = 0;
  const int64_t nTarget = std::max<int64_t>(1, static_cast<int64_t>(nCentres / 2));
  auto cells = [&](int n, int64_t nSpan) { return ((nSpan - 1) >> n) + 1; };
  nShift = 4;
  while (nShift < 40 && cells(nShift, x1 - x0 + 1) * cells(nShift, y1 - y0 + 1) > nTarget) ++nShift;
  nOriginX = x0;
  nOriginY = y0;
  nCellsX = static_cast<int>(cells(nShift, x1 - x0 + 1));
  nCellsY = static_cast<int>(cells(nShift, y1 - y0 + 1));
  vHead.assign(static_cast<size_t>(nCellsX) * nCellsY, -1);
  nMinX = nMinY = INT64_MAX;
  nMaxX = nMaxY = INT64_MIN;
}

int cTargetIndex::GRID::AxisCell(int64_t v, int64_t nOrigin, int nCells) const {
  const int64_t d = v - nOrigin;
  if (d < 0) return 0;
  const int64_t i = d >> nShift;
  return i >= nCells ? nCells - 1 : static_cast<int>(i);
}

void cTargetIndex::Build() {
  // The charas of the last build still filed are all live.
  for (const ENTRY& e : m_vEntry) e.lpChara->SetTargetSlot(-1);
  m_vEntry.clear();
  m_vMarked.clear();
  m_bOnScreenReady = false;
  // The cells are fitted to where the centres are now.
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
  m_aGrid[ALL].Fit(x0, y0, x1, y1, n);
  m_vEntry.reserve(n);
  m_nNextRank = 0;
  for (const auto& c : g_lstChara)
    if (c) File(*c, m_nNextRank++);
  m_bReady = true;
}

void cTargetIndex::BuildOnScreen() {
  m_lpView = g_lpStageContext;
  m_dViewX = m_lpView ? m_lpView->m_aScroll[SCROLL_X].dPos : 0.0;
  m_dViewY = m_lpView ? m_lpView->m_aScroll[SCROLL_Y].dPos : 0.0;
  m_vMarked.clear();
  int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
  size_t n = 0;
  for (ENTRY& e : m_vEntry) {
    e.bMarked = false;
    e.bOnScreen = m_lpView && e.lpChara->cGameObj::IsOnScreen();
    if (!e.bOnScreen) continue;
    int x = 0, y = 0;
    PictureCentre(*e.lpChara, x, y);
    x0 = std::min<int64_t>(x0, x), x1 = std::max<int64_t>(x1, x);
    y0 = std::min<int64_t>(y0, y), y1 = std::max<int64_t>(y1, y);
    ++n;
  }
  m_aGrid[ON_SCREEN].Fit(x0, y0, x1, y1, n);
  for (size_t i = 0; i < m_vEntry.size(); ++i)
    if (m_vEntry[i].bOnScreen) Link(ON_SCREEN, static_cast<int>(i));
  m_bOnScreenReady = true;
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
  m_vEntry.push_back(ENTRY{&c, nRank, {}, false, false});
  c.SetTargetSlot(nSlot);
  Link(ALL, nSlot);
  // A newcomer is tested with the marked ones.
  if (m_bOnScreenReady) Mark(nSlot);
}

void cTargetIndex::Unfile(int nSlot) {
  const bool bOnScreen = m_bOnScreenReady && m_vEntry[nSlot].bOnScreen;
  Unlink(ALL, nSlot);
  if (bOnScreen) Unlink(ON_SCREEN, nSlot);
  m_vEntry[nSlot].lpChara->SetTargetSlot(-1);
  const int nLast = static_cast<int>(m_vEntry.size()) - 1;
  if (nSlot != nLast) {
    // The last entry takes the freed slot, its chains' links following it.
    ENTRY& e = m_vEntry[nSlot];
    e = m_vEntry[nLast];
    for (int g = ALL; g <= ON_SCREEN; ++g) {
      if (g == ON_SCREEN && !(m_bOnScreenReady && e.bOnScreen)) break;
      const LINK& l = e.aLink[g];
      if (l.nPrev >= 0) m_vEntry[l.nPrev].aLink[g].nNext = nSlot;
      else m_aGrid[g].vHead[l.nCell] = nSlot;
      if (l.nNext >= 0) m_vEntry[l.nNext].aLink[g].nPrev = nSlot;
    }
    e.lpChara->SetTargetSlot(nSlot);
    if (e.bMarked) m_vMarked.push_back(nSlot);
  }
  m_vEntry.pop_back();
}

void cTargetIndex::Mark(int nSlot) {
  ENTRY& e = m_vEntry[nSlot];
  if (e.bMarked) return;
  e.bMarked = true;
  m_vMarked.push_back(nSlot);
}

void cTargetIndex::Retest(int nSlot) {
  ENTRY& e = m_vEntry[nSlot];
  e.bMarked = false;
  const bool bOnScreen = m_lpView && e.lpChara->cGameObj::IsOnScreen();
  if (bOnScreen == e.bOnScreen) return;
  e.bOnScreen = bOnScreen;
  if (bOnScreen) Link(ON_SCREEN, nSlot);
  else Unlink(ON_SCREEN, nSlot);
}

int cTargetIndex::CentreCell(int g, int nSlot) {
  GRID& G = m_aGrid[g];
  int x = 0, y = 0;
  PictureCentre(*m_vEntry[nSlot].lpChara, x, y);
  G.nMinX = std::min<int64_t>(G.nMinX, x), G.nMaxX = std::max<int64_t>(G.nMaxX, x);
  G.nMinY = std::min<int64_t>(G.nMinY, y), G.nMaxY = std::max<int64_t>(G.nMaxY, y);
  return G.CellY(y) * G.nCellsX + G.CellX(x);
}

void cTargetIndex::Refile(int g, int nSlot) {
  const int nCell = CentreCell(g, nSlot);
  if (nCell == m_vEntry[nSlot].aLink[g].nCell) return;
  Unlink(g, nSlot);
  LinkInto(g, nSlot, nCell);
}

void cTargetIndex::Link(int g, int nSlot) { LinkInto(g, nSlot, CentreCell(g, nSlot)); }

void cTargetIndex::LinkInto(int g, int nSlot, int nCell) {
  GRID& G = m_aGrid[g];
  LINK& l = m_vEntry[nSlot].aLink[g];
  l.nCell = nCell;
  l.nPrev = -1;
  l.nNext = G.vHead[nCell];
  if (l.nNext >= 0) m_vEntry[l.nNext].aLink[g].nPrev = nSlot;
  G.vHead[nCell] = nSlot;
}

void cTargetIndex::Unlink(int g, int nSlot) {
  const LINK& l = m_vEntry[nSlot].aLink[g];
  if (l.nPrev >= 0) m_vEntry[l.nPrev].aLink[g].nNext = l.nNext;
  else m_aGrid[g].vHead[l.nCell] = l.nNext;
  if (l.nNext >= 0) m_vEntry[l.nNext].aLink[g].nPrev = l.nPrev;
}

bool cTargetIndex::IsFiled(const cGameObj& obj) const {
  const int n = obj.TargetSlot();
  return n >= 0 && static_cast<size_t>(n) < m_vEntry.size() &&
         static_cast<const cGameObj*>(m_vEntry[n].lpChara) == &obj;
}
