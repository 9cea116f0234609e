#include "media/graphics/anime_player.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/checked_containers.h"

namespace {

std::vector<int> Updates(cAnime& a, int n) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(a.Update());
  return v;
}

}  // namespace

TEST(AnimePlayer, SequencesPlayWithTheirEndingCodes) {
  struct Case {
    const char* name;
    int32_t nCode;
    int32_t nTarget;
    std::vector<int> want;
  };
  const Case cases[] = {
      {"loop", ANIME_LOOP, 0, {5, 5, 6, 6, 5, 5, 5, 6, 6, 5, 5, 5}},
      {"hold", ANIME_HOLD, 0, {5, 5, 6, 6, 6, 6, 6, 6}},
      // The jump shows animation 1's first frame in the update that reaches it.
      {"jump", ANIME_JUMP, 1, {5, 5, 6, 6, 9, 9, 9}},
      // The tables' "ended" code is shown and kept, never run past.
      {"ended", -4, 0, {5, 5, 6, 6, -4, -4, -4}},
      // A jump to an animation the table lacks holds the last pattern.
      {"bad jump", ANIME_JUMP, 7, {5, 5, 6, 6, 6, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ANIMEFRAME a0[] = {{5, 3, 0}, {6, 2, 0}, {c.nCode, c.nTarget, 0}};
    const ANIMEFRAME a1[] = {{9, 5, 0}, {ANIME_LOOP, 0, 0}};
    const ANIMEFRAME* list[] = {a0, a1, nullptr};
    int nFailures = CheckedAccessFailures();
    cAnime a;
    a.Build(list);
    ASSERT_TRUE(a.SetAnime(0, TRUE));
    EXPECT_EQ(Updates(a, static_cast<int>(c.want.size())), c.want);
    EXPECT_EQ(CheckedAccessFailures(), nFailures);
  }
}

TEST(AnimePlayer, NoInterruptFramesRefuseStartsThatAreNotForced) {
  const ANIMEFRAME a0[] = {{1, 2, 1}, {2, 2, 0}, {ANIME_LOOP, 0, 0}};
  const ANIMEFRAME a1[] = {{7, 1, 0}, {ANIME_HOLD, 0, 0}};
  const ANIMEFRAME* list[] = {a0, a1, nullptr};
  struct Case {
    const char* name;
    int nUpdates;  // before the call
    bool bChange;
    int nTarget;
    BOOL bForce;
    BOOL bWant;
    int nAnime, nFrame, nTick;  // afterwards
  };
  const Case cases[] = {
      {"refused on a no-interrupt frame", 1, false, 1, FALSE, FALSE, 0, 0, 1},
      {"forced on a no-interrupt frame", 1, false, 1, TRUE, TRUE, 1, 0, 0},
      {"allowed once the frame has passed", 2, false, 1, FALSE, TRUE, 1, 0, 0},
      {"set to the current one restarts it", 3, false, 0, FALSE, TRUE, 0, 0, 0},
      {"change to the current one keeps it running", 1, true, 0, FALSE, TRUE, 0, 0, 1},
      {"change to another is a set", 1, true, 1, FALSE, FALSE, 0, 0, 1},
      {"an animation the table lacks is refused", 2, false, 5, TRUE, FALSE, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cAnime a;
    a.Build(list);
    a.SetAnime(0, TRUE);
    Updates(a, c.nUpdates);
    BOOL b = c.bChange ? a.ChangeAnime(c.nTarget, c.bForce) : a.SetAnime(c.nTarget, c.bForce);
    EXPECT_EQ(b, c.bWant);
    EXPECT_EQ(a.nAnime, c.nAnime);
    EXPECT_EQ(a.nFrame, c.nFrame);
    EXPECT_EQ(a.nTick, c.nTick);
  }
}

TEST(AnimePlayer, BuildCopiesUpToTheCodeAndOddTablesStaySafe) {
  const ANIMEFRAME a0[] = {{3, 0, 0}, {4, 1, 1}, {ANIME_LOOP, 0, 0}, {99, 9, 0}};
  const ANIMEFRAME a1[] = {{-4, 0, 0}};
  const ANIMEFRAME* list[] = {a0, a1, nullptr};
  int nFailures = CheckedAccessFailures();
  cAnime a;
  EXPECT_EQ(a.Update(), 0);  // nothing built
  EXPECT_EQ(a.GetPattern(), 0);
  a.Build(nullptr);
  EXPECT_TRUE(a.vAnime.empty());
  a.Build(list);
  ASSERT_EQ(a.vAnime.size(), 2u);
  ASSERT_EQ(a.vAnime[0].size(), 3u);
  EXPECT_EQ(a.vAnime[0][1].bNoInterrupt, 1u);
  ASSERT_EQ(a.vAnime[1].size(), 1u);
  // Duration 0 lasts one update like 1.
  EXPECT_EQ(Updates(a, 4), (std::vector<int>{4, 3, 4, 3}));
  // A code-only sequence shows its code and never steps past it.
  a.SetAnime(1, TRUE);
  EXPECT_EQ(a.GetPattern(), -4);
  EXPECT_EQ(Updates(a, 3), (std::vector<int>{-4, -4, -4}));
  EXPECT_EQ(CheckedAccessFailures(), nFailures);
  // A rebuild starts over from animation 0.
  a.Build(list);
  EXPECT_EQ(a.nAnime, 0);
  EXPECT_EQ(a.GetPattern(), 3);
}

TEST(AnimePlayer, BuildsFromStepTables) {
  struct STEP {
    int32_t nPattern, nDuration, bNoInterrupt;
  };
  cVector<cVector<STEP>> table(1);
  table[0] = {{2, 1, 0}, {-4, 0, 0}};
  cAnime a;
  a.BuildFrom(table);
  ASSERT_EQ(a.vAnime.size(), 1u);
  EXPECT_EQ(Updates(a, 3), (std::vector<int>{-4, -4, -4}));
}

TEST(AnimePlayer, AdvanceSpendsWholeFramesAtOnceAndStopsAtTheEnd) {
  const ANIMEFRAME a0[] = {{5, 3, 0}, {6, 1000000, 0}, {7, 2, 0}, {-4, 0, 0}};
  const ANIMEFRAME* list[] = {a0, nullptr};
  struct CASE {
    int nSkip;
    int nPattern;  // after the skip, then one update
    int nTick;
  } cases[] = {{0, 5, 1}, {1, 5, 2}, {2, 6, 0}, {3, 6, 1}, {1000002, 7, 0}, {2000000000, -4, 0}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nSkip);
    cAnime a;
    a.Build(list);
    a.SetAnime(0, TRUE);
    a.Advance(c.nSkip);
    EXPECT_EQ(a.Update(), c.nPattern);
    EXPECT_EQ(a.nTick, c.nTick);
  }
}
