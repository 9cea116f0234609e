// Choosing charas: filters, the nearest by mode with on-screen preference,
// ties, the search index against the walk of every chara, and the SetTarget
// choice with its pursuer bookkeeping.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

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

// A crowd over the stage and beyond the view that moves, grows, shrinks,
// changes its picture sizes, loses charas and scrolls between searches:
// every search through the index chooses what the walk of every chara in
// list order chooses.
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
  for (int round = 0; round < 150; ++round) {
    for (int k = 0; k < 4; ++k) {
      switch (rnd(7)) {
        case 0:
        case 1: {  // a move, at times far outside the crowd
          cStageChara& c = some();
          c.SetCenter(c.m_dX + rnd(401) - 200, c.m_dY + rnd(201) - 100);
          if (rnd(10) == 0) c.SetCenter(rnd(8000) - 3000, rnd(3000) - 1000);
          c.UpdateScreenRect();
          break;
        }
        case 2: some().SetCharaSwitch(5, 1 + rnd(8)); break;  // a new scale, the picture's size with it
        case 3: add(); break;
        case 4: EraseChara(std::next(g_lstChara.begin(), rnd(static_cast<int>(g_lstChara.size())))); break;
        case 5: some().SetCharaSwitch(0, 1); break;  // vanished, not yet swept
        default: m_Ctx.m_aScroll[SCROLL_X].dPos = 320 + rnd(40) * 16; break;
      }
    }
    for (int q = 0; q < 12; ++q) {
      const int x = rnd(2400) - 800, y = rnd(1000) - 300, nMode = rnd(4);
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
