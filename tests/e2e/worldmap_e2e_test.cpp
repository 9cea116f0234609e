// The real program on the demo, headless: a story stage cleared with its
// result registered shows that ranking in the world map's panel, which C
// switches on and V turns to the next genre; leaving the map plays the
// map's own sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "records/ranking.h"
#include "records/ranking_file.h"
#include "tests/e2e/audio_dump.h"
#include "tests/e2e/e2e_project.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/demo_game.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int kPlayKindStory = 0;

// The pitch of the tone that starts within the five frames from frame f:
// zero crossings of the left channel over the 50 ms from its first sample.
// 0 when those frames are silent.
double ToneFrom(const std::vector<int16_t>& mix, int f) {
  size_t i = size_t(f) * 735 * 2;
  const size_t end = std::min(mix.size(), i + 5 * 735 * 2);
  while (i < end && mix[i] == 0) i += 2;
  if (i >= end) return 0;
  const size_t n = 44100 / 20;
  int nCrossings = 0;
  for (size_t k = 1; k < n && i + 2 * k < mix.size(); ++k)
    if ((mix[i + 2 * (k - 1)] < 0) != (mix[i + 2 * k] < 0)) ++nCrossings;
  return nCrossings * 10.0;
}

// The demo's system sound n is a square tone of 330 + 55 × ((n + 1) mod 12) Hz.
double SystemSoundPitch(int n) { return 330.0 + 55.0 * ((n + 1) % 12); }

}  // namespace

TEST(WorldMapE2e, TheMapShowsTheRankingOfTheStageClearedAndLeavesWithItsSound) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(BuildDemoProject(builder));
  SetQuickClearStage(builder, 450);
  ASSERT_TRUE(builder.WriteCommonPalette() && builder.WriteStages());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // Options: music off, so that the mix holds the sound effects alone;
  // ranking mode 3, registered when the result is left, as "ZED".
  folder.WriteFile("user_data/Option.dat", Words({667, 4, 0, 0, 7, 3, 1, 4}) + std::string("ZED", 4));
  // New game; three steps right reach the first stage, which asks; Up, Z.
  // The stage clears by itself; Z leaves the result and registers, Z closes
  // the ranking. On the map: C held from 740 to 750, V at 780, X at 840.
  folder.WriteFile("keys.txt",
                   "130 Z down\n131 Z up\n180 Right down\n181 Right up\n190 Right down\n191 Right up\n"
                   "200 Right down\n201 Right up\n215 Up down\n216 Up up\n220 Z down\n221 Z up\n"
                   "560 Z down\n561 Z up\n600 Z down\n601 Z up\n740 C down\n750 C up\n780 V down\n781 V up\n"
                   "840 X down\n841 X up\n");
  const std::string err = RunToExit(folder.Path(),
                                    {{"TARVOLIN4_ANSWERS", "d3d"},
                                     {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                                     {"TARVOLIN4_EXIT_AFTER", "880"},
                                     {"TARVOLIN4_AUDIO_DUMP", folder.Path() + "/mix.wav"},
                                     {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                                     {"TARVOLIN4_SCREENSHOT_AT", "760,800"}},
                                    120000);
  if (HasFailure()) return;
  const size_t nStage = err.find("[mode 4]");
  ASSERT_NE(nStage, std::string::npos) << err;
  const size_t nMap = err.find("[mode 1]", nStage);
  ASSERT_NE(nMap, std::string::npos) << err;
  EXPECT_NE(err.find("[mode 2]", nMap), std::string::npos) << err;

  cEdRankingSet ranking;
  ASSERT_TRUE(LoadUserDataRecord(ranking, kPlayKindStory, "data\\stg4\\Stage1.")) << err;
  EXPECT_EQ(ranking.m_vecTable[0].m_vecEntry[0].m_strName, "ZED");
  EXPECT_EQ(ranking.m_vecTable[0].m_vecEntry[0].m_nValue, 450);

  // The panel with the score table's row, then the time-left table's.
  ASSERT_TRUE(folder.Exists("shots/frame-00760.png")) << err;
  ExpectGoldenPicture(folder.ReadFile("shots/frame-00760.png"),
                      T4_SOURCE_DIR "/tests/golden/shell/demo_worldmap_ranking_760.png");
  ASSERT_TRUE(folder.Exists("shots/frame-00800.png")) << err;
  ExpectGoldenPicture(folder.ReadFile("shots/frame-00800.png"),
                      T4_SOURCE_DIR "/tests/golden/shell/demo_worldmap_ranking_genre_800.png");

  // C and V play sound 6; X leaves the map with sound 4.
  const std::vector<int16_t> mix = DumpSamples(folder.ReadFile("mix.wav"));
  ASSERT_GE(mix.size(), size_t(850) * 735 * 2);
  EXPECT_NEAR(ToneFrom(mix, 740), SystemSoundPitch(6), 20);
  EXPECT_NEAR(ToneFrom(mix, 780), SystemSoundPitch(6), 20);
  EXPECT_NEAR(ToneFrom(mix, 840), SystemSoundPitch(4), 20);
}
