// The lookups by id (FindCharaById, the shots' chara lookup, the search by
// chara ID and a rider's carrier) go through the id index: the same answers
// as a walk over the players and g_lstChara in list order, while charas are
// added, freed in the middle of a frame, share ids, change ids and are
// defeated or removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>

#include "flow/conditions.h"
#include "play/chara_targeting.h"
#include "play/id_index.h"
#include "play/shot.h"
#include "play/stage_scene.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/scene_fixture.h"

namespace {

// ---- The walks the index must agree with ----

bool Gone(const cChara& c) { return c.m_bDefeated || c.m_bRemoved; }

cGameObj* WalkShotChara(int nId, int bAlive) {
  for (auto& p : g_vPlayer)
    if (p->m_nId == nId && !(bAlive && Gone(*p))) return p.get();
  for (auto& c : g_lstChara)
    if (c->m_nId == nId && !(bAlive && Gone(*c))) return c.get();
  return nullptr;
}

cChara* WalkCharaById(int nId) {
  for (auto& p : g_vPlayer)
    if (p && p->m_nId == nId) return p.get();
  for (auto& c : g_lstChara)
    if (c && c->m_nId == nId) return c.get();
  return nullptr;
}

bool WalkPasses(const cChara& c, const CHARAFILTER& f) {
  if (c.m_bDefeated || c.m_bRemoved) return false;
  if (f.bSameGroupOnly && c.m_Def.m_nGroup != f.nGroup) return false;
  if (f.bExcludeId && c.m_nId == f.nId) return false;
  if (f.bExcludeKind1 && c.m_Def.m_nInvincibleKind == 1) return false;
  if (f.bExcludeKind2 && c.m_Def.m_nInvincibleKind == 2) return false;
  if (f.bExcludeFlagged && c.m_Def.m_bBlockChara) return false;
  if (f.bSideOnly && c.m_nSide != f.nSide) return false;
  return true;
}

cChara* WalkLiveCharaById(const cChara* lpSelf, int32_t nCharaId, const CHARAFILTER& f) {
  for (auto& p : g_vPlayer)
    if (p && p.get() != lpSelf && WalkPasses(*p, f) && p->Status(CharaStatus::CharaId) == nCharaId) return p.get();
  for (auto& c : g_lstChara)
    if (c && c.get() != lpSelf && WalkPasses(*c, f) && c->Status(CharaStatus::CharaId) == nCharaId) return c.get();
  return nullptr;
}

double WalkRiddenMoveX(const cChara& rider) {
  if (!rider.m_bRidingChara) return 0.0;
  for (auto& p : g_lstChara)
    if (p && p->m_nId == rider.m_nCarrierId && p.get() != &rider && p->m_Def.m_bBlockChara) return p->m_dMoveDX;
  return 0.0;
}

// The filters of the search by chara ID that tell apart charas of an ID.
std::vector<CHARAFILTER> Filters() {
  std::vector<CHARAFILTER> v(4);
  v[1].bExcludeFlagged = 1;
  v[2].bSameGroupOnly = 1;
  v[2].nGroup = 1;
  v[3].bSideOnly = 1;
  v[3].nSide = 2;
  return v;
}

// Every lookup against its walk, for the ids from -1 to nMaxId + 1 and the
// chara IDs given; the count of mismatches, each reported.
int CompareLookups(int nMaxId, std::initializer_list<int32_t> charaIds) {
  int nBad = 0;
  auto expect = [&](bool bSame, const std::string& what) {
    if (bSame) return;
    ++nBad;
    ADD_FAILURE() << what;
  };
  cGameObj* (*pfnFind)(int, int) = g_ShotLinks.pfnFindChara;
  for (int nId = -1; nId <= nMaxId + 1; ++nId) {
    expect(FindCharaById(nId) == WalkCharaById(nId), "FindCharaById " + std::to_string(nId));
    for (int bAlive : {0, 1})
      expect(pfnFind(nId, bAlive) == WalkShotChara(nId, bAlive),
             "shot lookup " + std::to_string(nId) + " alive " + std::to_string(bAlive));
  }
  std::vector<const cChara*> selves = {nullptr};
  for (auto& p : g_vPlayer) selves.push_back(p.get());
  for (auto& c : g_lstChara) selves.push_back(c.get());
  for (const CHARAFILTER& f : Filters())
    for (int32_t nCid : charaIds)
      for (const cChara* lpSelf : selves)
        expect(FindLiveCharaById(lpSelf, nCid, f) == WalkLiveCharaById(lpSelf, nCid, f),
               "chara ID " + std::to_string(nCid));
  for (auto& c : g_lstChara) expect(c->RiddenMoveX() == WalkRiddenMoveX(*c), "carrier of " + std::to_string(c->m_nId));
  return nBad;
}

// The searches by chara ID from no chara and from the first answer's chara
// (which must then find another) against their walks; the count of
// mismatches, each reported.
int CompareCharaIdLookups(std::initializer_list<int32_t> charaIds) {
  int nBad = 0;
  for (const CHARAFILTER& f : Filters())
    for (int32_t nCid : charaIds) {
      const cChara* aSelf[] = {nullptr, WalkLiveCharaById(nullptr, nCid, f)};
      for (const cChara* lpSelf : aSelf)
        if (FindLiveCharaById(lpSelf, nCid, f) != WalkLiveCharaById(lpSelf, nCid, f)) {
          ++nBad;
          ADD_FAILURE() << "chara ID " << nCid;
        }
    }
  return nBad;
}

// ---- Charas set up as placements are ----

class IdIndexTest : public cCharaFixture {
 protected:
  void SetUp() override {
    cCharaFixture::SetUp();
    m_SavedLinks = g_ShotLinks;
    InstallShotLinks();
  }
  void TearDown() override {
    cCharaFixture::TearDown();
    g_ShotLinks = m_SavedLinks;
  }
  cStageChara& Enemy(int nId, int col, bool bBlock = false, uint8_t nGroup = 0, uint8_t nSide = 1) {
    cEdChara d = MakeEnemyDef(5);
    d.m_nMoveType = 1;
    d.m_bBlockChara = bBlock ? 1 : 0;
    d.m_nGroup = nGroup;
    d.m_nSide = nSide;
    return AddEnemy(d, col, 5, nullptr, nId);
  }
  static cStageChara& At(size_t i) { return **std::next(g_lstChara.begin(), static_cast<std::ptrdiff_t>(i)); }

  SHOTLINKS m_SavedLinks;
};

TEST_F(IdIndexTest, LookupsGiveTheWalksAnswersAsTheListAndTheIdsChange) {
  const auto cids = {-200, -128, 0, 3, 7, 127, 300};
  AddPlayer(3);  // id 1
  // Ids shared with the player and among stage charas, block charas and
  // others, groups and sides mixed.
  const int ids[] = {1, 5, 5, 7, 5, 9, 7};
  for (size_t i = 0; i < std::size(ids); ++i)
    Enemy(ids[i], 5 + static_cast<int>(i), i % 3 == 1, static_cast<uint8_t>(i % 2), static_cast<uint8_t>(1 + i % 2));
  EXPECT_EQ(CompareLookups(10, cids), 0);
  EXPECT_EQ(cIdIndex::Ready().FiledCountForTests(), g_lstChara.size());

  SCOPED_TRACE("charas appended after the index was filed");
  Enemy(5, 20);
  Enemy(11, 21, true);
  EXPECT_EQ(CompareLookups(12, cids), 0);

  SCOPED_TRACE("chara IDs given by the flows' status command, early charas joining later ones");
  At(6).SetStatus(CharaStatus::CharaId, 7);
  At(8).SetStatus(CharaStatus::CharaId, 7);
  At(1).SetStatus(CharaStatus::CharaId, 7);
  At(2).SetStatus(CharaStatus::CharaId, -128);
  FirstPlayer()->SetStatus(CharaStatus::CharaId, 7);
  EXPECT_EQ(CompareLookups(12, cids), 0);

  SCOPED_TRACE("defeated and removed charas");
  At(1).CharaOnDefeated();
  At(3).SetCharaSwitch(0, 1);
  EXPECT_EQ(CompareLookups(12, cids), 0);

  SCOPED_TRACE("charas freed from the middle and the ends of the list");
  EraseChara(std::next(g_lstChara.begin(), 2));
  EraseChara(g_lstChara.begin());
  EraseChara(std::prev(g_lstChara.end()));
  EXPECT_EQ(CompareLookups(12, cids), 0);
  EXPECT_EQ(cIdIndex::Ready().FiledCountForTests(), g_lstChara.size());

  SCOPED_TRACE("an id set up again on a chara in the list");
  cEdChara def = At(0).m_Def;
  At(0).StageCharaInitFromPlacement(9, def, nullptr, At(0).m_dX, At(0).m_dY, 0);
  def = At(4).m_Def;
  At(4).StageCharaInitFromPlacement(5, def, nullptr, At(4).m_dX, At(4).m_dY, 0);
  EXPECT_EQ(CompareLookups(12, cids), 0);

  SCOPED_TRACE("the lists cleared and filled again");
  ClearLiveObjects();
  EXPECT_EQ(CompareLookups(12, cids), 0);
  EXPECT_EQ(cIdIndex::Ready().FiledCountForTests(), 0u);
  AddPlayer(3);
  Enemy(7, 6);
  Enemy(1, 7);
  EXPECT_EQ(CompareLookups(12, cids), 0);
}

// A crowd of few chara IDs whose every chara takes another chara ID in every
// frame, the frames going through the list in different orders (list order,
// backward, at random, odd places first), some taking another id too, with
// lookups between the changes and charas freed, defeated and added in the
// middle of the frame: a moving chara's place in its new chain decides
// which chara a lookup meets first.
TEST_F(IdIndexTest, LookupsGiveTheWalksAnswersAsEveryCharaChangesItsIdsEveryFrame) {
  const int32_t aCid[] = {-128, 0, 3, 7, 127};
  const auto cids = {-128, 0, 3, 7, 127, 5};
  std::mt19937 rng(48);
  auto pick = [&] { return aCid[rng() % std::size(aCid)]; };
  constexpr int kIds = 60;
  AddPlayer(3);
  for (int i = 0; i < 240; ++i)
    Enemy(2 + i % kIds, i % 40, i % 7 == 3, static_cast<uint8_t>(i % 2), static_cast<uint8_t>(1 + i % 5 % 2))
        .SetStatus(CharaStatus::CharaId, pick());
  ASSERT_EQ(CompareLookups(kIds + 2, cids), 0);  // files the index

  int nBad = 0;
  for (int nFrame = 0; nFrame < 8; ++nFrame) {
    std::vector<cStageChara*> order;
    for (auto& c : g_lstChara) order.push_back(c.get());
    switch (nFrame % 4) {
      case 1: std::reverse(order.begin(), order.end()); break;
      case 2: std::shuffle(order.begin(), order.end(), rng); break;
      case 3: {
        std::vector<cStageChara*> odd;
        for (size_t i = 1; i < order.size(); i += 2) odd.push_back(order[i]);
        for (size_t i = 0; i < order.size(); i += 2) odd.push_back(order[i]);
        order = odd;
        break;
      }
      default: break;
    }
    const size_t nMiddle = order.size() / 2;
    bool bMiddlePassed = false;
    for (size_t i = 0; i < order.size(); ++i) {
      cStageChara& c = *order[i];
      c.SetStatus(CharaStatus::CharaId, pick());
      if (i % 23 == 0) {
        cEdChara def = c.m_Def;
        const int32_t nCid = c.m_nCharaId;
        c.StageCharaInitFromPlacement(2 + static_cast<int>(rng() % kIds), def, nullptr, c.m_dX, c.m_dY, 0);
        c.SetStatus(CharaStatus::CharaId, nCid);
      }
      if (i % 16 == 15) nBad += CompareCharaIdLookups(cids);
      if (i == nMiddle && !bMiddlePassed) {
        bMiddlePassed = true;
        // One chara still to move and one moved already leave the list, one
        // is defeated, and a newcomer joins the moves to come.
        for (cStageChara* lpGone : {order[i + 1 + rng() % (order.size() - i - 1)], order[rng() % (i + 1)]}) {
          order.erase(std::find(order.begin(), order.end(), lpGone));
          EraseChara(std::find_if(g_lstChara.begin(), g_lstChara.end(), [&](auto& p) { return p.get() == lpGone; }));
        }
        order[rng() % order.size()]->CharaOnDefeated();
        order.push_back(&Enemy(2 + static_cast<int>(rng() % kIds), 10, nFrame % 2 == 1));
        --i;  // the place of the one moved already is gone
      }
    }
    nBad += CompareLookups(kIds + 2, cids);
  }
  EXPECT_EQ(nBad, 0);
  EXPECT_EQ(cIdIndex::Ready().FiledCountForTests(), g_lstChara.size());
}

// ---- A stage in play ----

// A crowd of the stage's own making (unique ids): block charas gliding with
// walkers falling on and riding them; shooters that give themselves chara
// IDs at random, take the first chara of ID 7 as their target and fire
// shots homing on it; and charas that die after a while, freed at the end
// of the sub-step. Every lookup a shot makes in the frames is checked
// against the walk at once, and every lookup of any id between frames.
class IdIndexScene : public ::testing::Test {
 protected:
  void SetUp() override { ResetSceneRecords(); }
  void TearDown() override {
    s_nShotLookups = s_nShotMismatches = 0;
    ClearScene();
  }
  static cEdStage Crowd() {
    cEdStage st = MakeSceneStage(40);
    st.m_bOnScreenOnly = 0;
    st.m_vecChara.push_back(PlacedAt(MakeCharaDef(0, 10), 2, 13));
    const cEdFlow across = MakeFlowOf(FlowTrigger::Always, {MakeStraightMove(3, 15, 8), MakeStraightMove(2, 15, 8)});
    for (int i = 0; i < 8; ++i) {
      cEdChara b = MakeEnemyDef(50);
      b.m_bBlockChara = 1;
      b.m_nMoveType = 1;
      b.m_nViewTestKind = 3;
      b.m_vecFlow.push_back(across);
      st.m_vecChara.push_back(PlacedAt(b, 1 + i * 5, 9));
    }
    for (int i = 0; i < 40; ++i) {
      cEdChara w = MakeEnemyDef(50);
      w.m_nViewTestKind = 3;
      w.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeStraightMove(i % 2 ? 3 : 2, 12, 10)}));
      st.m_vecChara.push_back(PlacedAt(w, i, 2 + i % 4));
    }
    cEdCommand id = MakeFlowCommand(FlowCommandKind::StatusOp);
    id.m_vParam[3] = FlowSubject::Self;
    id.m_vParam[4] = CharaStatus::CharaId;
    id.m_vParam[5] = AssignOp::Set;
    id.m_vParam[6] = 1;  // at random
    id.m_vParam[8] = 6;
    id.m_vParam[9] = 8;
    cEdCommand target = MakeFlowCommand(FlowCommandKind::SetTarget);
    target.m_vParam[0] = 3;  // the first chara of the chara ID
    target.m_vParam[1] = 7;
    cEdCommand fire = MakeShotCommand(3, 20, 0);
    fire.m_pShot->m_byTrajectory = 6;  // homing on the owner's target
    fire.m_pShot->m_wSetting47 = 60;
    for (int i = 0; i < 30; ++i) {
      cEdChara s = MakeEnemyDef(50);
      s.m_nMoveType = 1;
      s.m_nViewTestKind = 3;
      s.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {id, target, fire}));
      if (i % 3 == 0)  // dies after i / 3 + 1 tenths of a second
        s.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always,
                                         {MakeFlowCommand(FlowCommandKind::Wait, i / 3 + 1), MakeHpCommand(0, 0, 0)}));
      st.m_vecChara.push_back(PlacedAt(s, 1 + i, 6 + i % 2));
    }
    return st;
  }
  static cGameObj* CheckedShotLookup(int nId, int bAlive) {
    cGameObj* lpFound = s_pfnFind(nId, bAlive);
    ++s_nShotLookups;
    s_nShotMismatches += lpFound != WalkShotChara(nId, bAlive);
    return lpFound;
  }

  static inline cGameObj* (*s_pfnFind)(int, int) = nullptr;
  static inline int s_nShotLookups = 0, s_nShotMismatches = 0;
};

TEST_F(IdIndexScene, EveryLookupInPlayGivesTheWalksAnswer) {
  auto s = PlayScene(Crowd());
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  s_pfnFind = g_ShotLinks.pfnFindChara;
  ASSERT_NE(s_pfnFind, nullptr);
  g_ShotLinks.pfnFindChara = &CheckedShotLookup;
  const size_t nStart = g_lstChara.size();
  int nRiding = 0, nMarked = 0, nBad = 0;
  for (int n = 0; n < 120 && s->m_nState == STAGESTATE_PLAY; ++n) {
    s->Update();
    int nMaxId = 0;
    for (auto& c : g_lstChara) {
      nMaxId = std::max(nMaxId, c->m_nId);
      nRiding += c->m_bRidingChara;
      nMarked += c->m_lpTarget && c->m_lpTarget->Status(CharaStatus::CharaId) == 7;
    }
    g_ShotLinks.pfnFindChara = s_pfnFind;
    nBad += CompareLookups(nMaxId, {0, 6, 7, 8});
    g_ShotLinks.pfnFindChara = &CheckedShotLookup;
  }
  g_ShotLinks.pfnFindChara = s_pfnFind;
  EXPECT_EQ(nBad, 0);
  EXPECT_EQ(s_nShotMismatches, 0);
  // The play did what the test is about.
  EXPECT_GT(s_nShotLookups, 1000);
  EXPECT_GT(nRiding, 0);
  EXPECT_GT(nMarked, 0);
  EXPECT_LE(g_lstChara.size() + 10, nStart);  // the dying charas were freed
}

}  // namespace
