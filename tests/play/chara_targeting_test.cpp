// Choosing charas: filters, the nearest by mode with on-screen preference,
// ties, the search index against the walk of every chara, and the SetTarget
// choice with its pursuer bookkeeping.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "play/chara_targeting.h"
#include "play/target_index.h"
#include "tests/play/chara_fixture.h"

namespace {

class CharaTargetingTest : public cCharaFixture {
 protected:
  cStageChara& At(int col, int row, int nId, uint8_t nKind = 0) {
    cEdChara d = MakeEnemyDef(1);
    d.m_nMoveType = 1;
    d.m_nInvincibleKind = nKind;
    cStageChara& c = AddEnemy(d, col, row, nullptr, nId);
    Pass();
    c.UpdateScreenRect();
    return c;
  }
  // The box moves by (dx, dy); the picture stays where it was drawn.
  static void ShiftBox(cStageChara& c, int dx, int dy) {
    int x = 0, y = 0;
    PictureCentre(c, x, y);
    c.SetCenter(x + dx, y + dy);
  }
  // The ids (0: none) the searches of modes 0, 1 and 2 from (x, y) choose,
  // each checked, from there and from far off, against the walk of every
  // chara.
  static std::array<int, 3> Chosen(int x, int y, const CHARAFILTER& f = {}) {
    std::array<int, 3> a{};
    for (int nMode = 0; nMode < 3; ++nMode) {
      for (const int nFar : {0, -4000, 4000}) {
        UseTargetIndexForTests(false);
        cChara* lpWalk = SelectLiveTarget(x + nFar, y - nFar / 2, nMode, f);
        UseTargetIndexForTests(true);
        cChara* lpIndex = SelectLiveTarget(x + nFar, y - nFar / 2, nMode, f);
        EXPECT_EQ(lpIndex, lpWalk) << "mode " << nMode << " from " << nFar;
        if (nFar == 0) a[static_cast<size_t>(nMode)] = lpIndex ? lpIndex->m_nId : 0;
      }
    }
    return a;
  }
  using IDS = std::array<int, 3>;
};

TEST_F(CharaTargetingTest, NearestByModePrefersTheScreenAndKeepsTheFirstOfEqualDistances) {
  // The view shows columns 0 to 19; the point is the view's left edge.
  At(25, 5, 1);   // off screen, nearest of all
  At(30, 5, 2);   // off screen
  At(12, 5, 3);   // on screen
  At(12, 5, 4);   // on screen, same distance as 3
  // A point right of every chara, in view coordinates: column 25 is the
  // nearest of all.
  const int x = 320 + 20 * 32, y = 320 + 5 * 32;
  struct CASE {
    int nMode;
    int nId;  // 0: none
  };
  const CASE cases[] = {{0, 3}, {1, 1}, {2, 3}, {3, 0}};
  const int vx = x - static_cast<int>(m_Ctx.m_aScroll[SCROLL_X].dPos), vy = y - 320;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nMode);
    cChara* lpLive = SelectLiveTarget(vx, vy, c.nMode, {});
    EXPECT_EQ(lpLive ? lpLive->m_nId : 0, c.nId);
  }
  // Nothing on screen: mode 0 falls back to the nearest off screen, mode 2
  // finds none.
  CHARAFILTER f;
  f.bExcludeKind1 = 1;
  for (auto& ch : g_lstChara)
    if (ch->m_nId >= 3) ch->m_Def.m_nInvincibleKind = 1;
  cChara* r = SelectLiveTarget(vx, vy, 0, f);
  EXPECT_EQ(r ? r->m_nId : 0, 1);
  EXPECT_EQ(SelectLiveTarget(vx, vy, 2, f), nullptr);
  // No chara passes at all.
  f.bSideOnly = 1;
  f.nSide = 9;
  EXPECT_EQ(SelectLiveTarget(vx, vy, 1, f), nullptr);
  EXPECT_EQ(SelectLiveTarget(vx, vy, 0, f), nullptr);
}

TEST_F(CharaTargetingTest, IndexedSearchKeepsListOrderAmongEqualDistancesAndFollowsMovesAndErasures) {
  cPlayer& p = AddPlayer(12);
  int px = 0, py = 0;
  PictureCentre(p, px, py);
  // Two charas on the player's spot: as near as the player from everywhere.
  auto onPlayer = [&](cStageChara& c) {
    c.SetCenter(px, py);
    c.UpdateScreenRect();
    int x = 0, y = 0;
    PictureCentre(c, x, y);
    EXPECT_TRUE(x == px && y == py);
  };
  cStageChara& a = At(5, 10, 11);
  cStageChara& b = At(6, 10, 12);
  onPlayer(a);
  onPlayer(b);
  EXPECT_EQ(SelectLiveTarget(px + 5, py, 1, {}), &p);
  CHARAFILTER noPlayer;
  noPlayer.bExcludeId = 1;
  noPlayer.nId = p.m_nId;
  EXPECT_EQ(SelectLiveTarget(px + 5, py, 1, noPlayer), &a);
  // b moves away within the same frame and is found where it went; once a
  // is erased, b is the nearest from a's spot.
  b.SetCenter(px + 300, py);
  b.UpdateScreenRect();
  EXPECT_EQ(SelectLiveTarget(px + 290, py, 1, noPlayer), &b);
  EXPECT_EQ(SelectLiveTarget(px, py, 1, noPlayer), &a);
  EraseChara(g_lstChara.begin());
  EXPECT_EQ(SelectLiveTarget(px, py, 1, noPlayer), &b);
  // A chara that joins is found at once.
  cStageChara& c = At(7, 10, 13);
  onPlayer(c);
  EXPECT_EQ(SelectLiveTarget(px, py, 1, noPlayer), &c);
  EXPECT_EQ(cTargetIndex::Ready().FiledCountForTests(), g_lstChara.size());
}

// The on-screen searches as boxes move in and out of view while their
// pictures stay, the view scrolls, charas leave, join and tie, and nothing
// is on screen: each chooses what the walk of every chara chooses.
TEST_F(CharaTargetingTest, OnScreenSearchesFollowBoxesViewAndList) {
  SCROLLAXIS& view = m_Ctx.m_aScroll[SCROLL_X];
  const double dHome = view.dPos;  // columns 0 to 19 in view
  cStageChara& a = At(5, 5, 1);
  cStageChara& b = At(30, 5, 2);
  cStageChara& c = At(36, 5, 3);
  auto erase = [](cStageChara& gone) {
    EraseChara(std::find_if(g_lstChara.begin(), g_lstChara.end(), [&](auto& p) { return p.get() == &gone; }));
  };
  int x = 0, y = 0;
  PictureCentre(b, x, y);
  x += 40;  // right of b, nearest of all
  EXPECT_EQ(Chosen(x, y), (IDS{1, 2, 1}));
  // a's box leaves the view: nothing on screen, mode 0 takes the nearest.
  ShiftBox(a, 1000, 0);
  ASSERT_FALSE(a.IsOnScreen());
  EXPECT_EQ(Chosen(x, y), (IDS{2, 2, 0}));
  // c's box comes into view, its picture far right.
  ShiftBox(c, -1000, 0);
  ASSERT_TRUE(c.IsOnScreen());
  EXPECT_EQ(Chosen(x, y), (IDS{3, 2, 3}));
  // The view scrolls a screen right: a's and b's boxes in it, c's not.
  view.dPos = dHome + 640;
  ASSERT_TRUE(a.IsOnScreen() && b.IsOnScreen() && !c.IsOnScreen());
  EXPECT_EQ(Chosen(x, y), (IDS{2, 2, 2}));
  // b is freed; a is the one on screen, and when a filter turns it away
  // mode 0 looks off screen.
  erase(b);
  EXPECT_EQ(Chosen(x, y), (IDS{1, 3, 1}));
  CHARAFILTER notA;
  notA.bExcludeId = 1;
  notA.nId = 1;
  EXPECT_EQ(Chosen(x, y, notA), (IDS{3, 3, 0}));
  // A newcomer in view, nearer than a, is found at once.
  cStageChara& d = At(37, 5, 4);
  ASSERT_TRUE(d.IsOnScreen());
  EXPECT_EQ(Chosen(x, y), (IDS{4, 3, 4}));
  // d, the last filed, leaves the view; it comes back, and takes the slot
  // of a freed chara, before the next search.
  ShiftBox(d, -1000, 0);
  ASSERT_FALSE(d.IsOnScreen());
  EXPECT_EQ(Chosen(x, y), (IDS{1, 3, 1}));
  ShiftBox(d, 1000, 0);
  erase(a);
  ASSERT_TRUE(d.IsOnScreen());
  EXPECT_EQ(Chosen(x, y), (IDS{4, 3, 4}));
  // Out of the stage's sight, two charas on one spot: the first of them.
  view.dPos = 5000;
  At(20, 8, 5);
  At(20, 8, 6);
  PictureCentre(**std::prev(g_lstChara.end()), x, y);
  EXPECT_EQ(Chosen(x + 3, y), (IDS{5, 5, 0}));
  // Back home a new frame starts, and before its first search a chara is
  // freed and d's box comes into view.
  view.dPos = dHome;
  ASSERT_FALSE(d.IsOnScreen());
  TargetIndexNewFrame();
  erase(c);
  ShiftBox(d, -1000, 0);
  ASSERT_TRUE(d.IsOnScreen());
  EXPECT_EQ(Chosen(x + 3, y), (IDS{4, 5, 4}));
  EXPECT_EQ(cTargetIndex::Ready().FiledCountForTests(), g_lstChara.size());
}

// A crowd on a lattice, half of it in view, searched from points all over
// it, where distances tie across the grids' cells; then some of it moves
// across the view, pictures with boxes, and the view scrolls: every search
// chooses what the walk of every chara chooses, also when the filter turns
// away every chara on screen.
TEST_F(CharaTargetingTest, SearchesOverALatticeChooseWhatTheWalkChooses) {
  // Listed right to left and bottom to top: of two at the same distance the
  // one to the right or below comes first, the farther out from a cell.
  std::vector<cStageChara*> v;
  for (int col = 38; col >= 0; col -= 2)
    for (int row = 2; row >= 0; --row) {
      cEdChara d = MakeEnemyDef(1);
      d.m_nMoveType = 1;
      d.m_nInvincibleKind = col < 20 ? 1 : 0;  // the ones in view at first
      v.push_back(&AddEnemy(d, col, row * 2, nullptr, 1 + static_cast<int>(v.size())));
    }
  Pass();
  for (cStageChara* c : v) c->UpdateScreenRect();
  CHARAFILTER notInView, anyChara;
  notInView.bExcludeKind1 = 1;
  int nSearches = 0, nOffScreen = 0;
  auto sweep = [&] {
    int x0 = 0, y0 = 0;
    PictureCentre(*v.back(), x0, y0);
    // Over the crowd and its edges, and as far again to the upper left.
    for (int xx = x0 - 96; xx <= x0 + 40 * 32 + 96; xx += 16)
      for (int yy = y0 - 48; yy <= y0 + 5 * 32 + 48; yy += 16)
        for (const int x : {xx, 2 * xx - x0 - 1600})
          for (const int y : {yy, 2 * yy - y0 - 600})
            for (int nMode = 0; nMode < 3; ++nMode)
              for (const CHARAFILTER* f : {&notInView, &anyChara}) {
                UseTargetIndexForTests(false);
                cChara* lpWalk = SelectLiveTarget(x, y, nMode, *f);
                UseTargetIndexForTests(true);
                ASSERT_EQ(SelectLiveTarget(x, y, nMode, *f), lpWalk) << x << "," << y << " mode " << nMode;
                ++nSearches;
                nOffScreen += lpWalk && !lpWalk->IsOnScreen();
              }
  };
  sweep();
  // A few cross the view, and one leaves it, pictures with boxes.
  struct MOVE {
    size_t nIndex;
    int dx;
  };
  for (const MOVE m : {MOVE{59, 400}, MOVE{50, 300}, MOVE{36, -400}, MOVE{44, 700}}) {
    cStageChara& c = *v[m.nIndex];
    ASSERT_TRUE(c.IsOnScreen());
    int x = 0, y = 0;
    PictureCentre(c, x, y);
    c.SetCenter(x + m.dx, y + 16);
    c.UpdateScreenRect();
    EXPECT_EQ(c.IsOnScreen() != 0, m.dx < 700);
  }
  sweep();
  m_Ctx.m_aScroll[SCROLL_X].dPos += 5 * 32;
  sweep();
  EXPECT_GT(nOffScreen, nSearches / 4);
}

// A crowd over the stage and beyond the view that moves (at times its boxes
// alone, the pictures staying), grows, shrinks, changes its picture sizes,
// loses charas, scrolls, leaves the view and starts frames between
// searches: every search through the index chooses what the walk of every
// chara in list order chooses.
TEST_F(CharaTargetingTest, IndexedSearchesChooseWhatTheWalkOfEveryCharaChooses) {
  uint32_t nSeed = 12345;
  auto rnd = [&nSeed](int n) {
    nSeed = nSeed * 1103515245u + 12345u;
    return static_cast<int>((nSeed >> 16) % static_cast<uint32_t>(n));
  };
  auto add = [&] {
    cEdChara d = MakeEnemyDef(1);
    d.m_nMoveType = 1;
    d.m_nInvincibleKind = static_cast<uint8_t>(rnd(3));
    d.m_nGroup = static_cast<uint8_t>(rnd(3));
    d.m_bBlockChara = rnd(6) == 0;
    d.m_nSide = static_cast<uint8_t>(rnd(3));
    // Columns by twos: charas share spots and distances tie.
    cStageChara& c = AddEnemy(d, rnd(20) * 2, rnd(12), nullptr, 1 + rnd(50));
    c.UpdateScreenRect();
  };
  auto some = [&]() -> cStageChara& { return **std::next(g_lstChara.begin(), rnd(static_cast<int>(g_lstChara.size()))); };
  AddPlayer(3);
  for (int i = 0; i < 300; ++i) add();
  Pass();
  int nFound = 0, nChecked = 0;
  const cStageChara* lpMoved = nullptr;  // searched for from near where it went
  for (int round = 0; round < 150; ++round) {
    for (int k = 0; k < 4; ++k) {
      switch (rnd(10)) {
        case 0:
        case 1: {  // a move, at times far outside the crowd
          cStageChara& c = some();
          c.SetCenter(c.m_dX + rnd(401) - 200, c.m_dY + rnd(201) - 100);
          if (rnd(10) == 0) c.SetCenter(rnd(8000) - 3000, rnd(3000) - 1000);
          c.UpdateScreenRect();
          lpMoved = &c;
          break;
        }
        case 2: some().SetCharaSwitch(5, 1 + rnd(8)); break;  // a new scale, the picture's size with it
        case 3: add(); break;
        case 4:
          EraseChara(std::next(g_lstChara.begin(), rnd(static_cast<int>(g_lstChara.size()))));
          lpMoved = nullptr;
          break;
        case 5: some().SetCharaSwitch(0, 1); break;  // vanished, not yet swept
        case 6:
        case 7: {  // the box alone, in and out of view
          cStageChara& c = some();
          int x = 0, y = 0;
          PictureCentre(c, x, y);
          c.SetCenter(x + rnd(1601) - 800, y + rnd(601) - 300);
          lpMoved = &c;
          break;
        }
        default:  // now and then the view scrolls, leaves the stage or a frame starts
          switch (rnd(8)) {
            case 0: m_Ctx.m_aScroll[SCROLL_Y].dPos = rnd(20) * 16; break;
            case 1:
            case 3: m_Ctx.m_aScroll[SCROLL_X].dPos = 9000; break;
            case 2: TargetIndexNewFrame(); break;
            default: m_Ctx.m_aScroll[SCROLL_X].dPos = 320 + rnd(40) * 16; break;
          }
      }
    }
    for (int q = 0; q < 12; ++q) {
      const int nFar = rnd(4) == 0 ? 4000 : 0;
      int x = rnd(2400 + 2 * nFar) - 800 - nFar, y = rnd(1000 + nFar) - 300 - nFar / 2;
      const int nMode = rnd(4);
      if (lpMoved && rnd(3) == 0) {
        PictureCentre(*lpMoved, x, y);
        x += rnd(129) - 64, y += rnd(129) - 64;
      } else if (rnd(2) == 0) {  // halfway between two charas, which often tie
        int x1 = 0, y1 = 0;
        PictureCentre(some(), x, y);
        PictureCentre(some(), x1, y1);
        x = (x + x1) / 2, y = (y + y1) / 2;
      }
      CHARAFILTER f;
      f.bSameGroupOnly = rnd(4) == 0;
      f.nGroup = rnd(3);
      f.bExcludeId = rnd(2);
      f.nId = 1 + rnd(50);
      f.bExcludeKind1 = rnd(3) == 0;
      f.bExcludeKind2 = rnd(3) == 0;
      f.bExcludeFlagged = rnd(3) == 0;
      f.bSideOnly = rnd(2);
      f.nSide = rnd(3);
      UseTargetIndexForTests(false);
      cChara* lpWalk = SelectLiveTarget(x, y, nMode, f);
      UseTargetIndexForTests(true);
      cChara* lpIndex = SelectLiveTarget(x, y, nMode, f);
      ASSERT_EQ(lpIndex, lpWalk) << "round " << round << " search " << q;
      nFound += lpWalk != nullptr;
      ++nChecked;
    }
  }
  // The searches found charas most of the time, and the index held every
  // chara of the list.
  EXPECT_GT(nFound, nChecked / 2);
  EXPECT_EQ(cTargetIndex::Ready().FiledCountForTests(), g_lstChara.size());
  EXPECT_EQ(cTargetIndex::ReadyOnScreen().OnScreenCountForTests(),
            static_cast<size_t>(
                std::count_if(g_lstChara.begin(), g_lstChara.end(), [](auto& c) { return c->IsOnScreen() != 0; })));
}

TEST_F(CharaTargetingTest, FirstCharaPassesEveryFilter) {
  cStageChara& a = At(5, 5, 1, 2);
  cStageChara& b = At(6, 5, 2);
  b.m_Def.m_bBlockChara = 1;
  cStageChara& c = At(7, 5, 3);
  c.m_Def.m_nGroup = 4;
  At(8, 5, 4);
  // From left of them all, the nearest that passes is the first that does.
  auto first = [](const CHARAFILTER& f) { return SelectLiveTarget(-1000, 5 * 32, 1, f); };
  EXPECT_EQ(first({}), &a);
  EXPECT_EQ(first({0, 0, 0, 0, 0, 1, 0}), &b);
  EXPECT_EQ(first({0, 0, 0, 0, 0, 1, 1}), &c);
  EXPECT_EQ(first({1, 4, 1, 3, 0, 0, 0}), nullptr);
  a.m_bDefeated = 1;
  EXPECT_EQ(first({}), &b);
}

TEST_F(CharaTargetingTest, SetTargetRegistersWithTheChosenCharaOnly) {
  cPlayer& p = AddPlayer(3);
  cStageChara& e = At(5, 11, 10);
  cStageChara& near = At(6, 11, 11);
  At(15, 11, 12);
  EXPECT_EQ(e.m_lpTarget, &p);
  const int32_t nearest[10] = {2, 0, 1};
  e.ChooseTarget(nearest, 10);
  EXPECT_EQ(e.m_lpTarget, &near);
  EXPECT_EQ(std::count(p.m_vTargetedBy.begin(), p.m_vTargetedBy.end(), &e), 0);
  EXPECT_EQ(near.m_vTargetedBy.size(), 1u);
  const int32_t byId[10] = {3, 7};
  near.SetStatus(CharaStatus::CharaId, 7);
  e.ChooseTarget(byId, 10);
  EXPECT_EQ(e.m_lpTarget, &near);
  EXPECT_EQ(near.m_vTargetedBy.size(), 1u);
  const int32_t missing[10] = {3, 99};
  e.ChooseTarget(missing, 10);
  EXPECT_EQ(e.m_lpTarget, nullptr);
  EXPECT_TRUE(near.m_vTargetedBy.empty());
}

}  // namespace
