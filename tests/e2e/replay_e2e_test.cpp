// The real program, headless: a damaged replay chosen from the title is
// refused with its message, and the title stays; a stage played under
// scripted keys and saved with F1 plays back from the title's replay choice
// exactly as it was played.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_runner.h"
#include "tests/support/demo_game.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

// Title: four rows down to "リプレイ", Z.
const char* const kTitleToReplay =
    "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
    "39 Down down\n40 Down up\n42 Z down\n43 Z up\n";

// The play-frame lines (state 2) of a play log in passes: a pass ends at a
// line of another state or where the play-frame counter starts again (a
// miss sets the stage up anew).
std::vector<std::vector<std::string>> PlayPasses(const std::string& text) {
  std::vector<std::vector<std::string>> passes(1);
  std::istringstream in(text);
  std::string line;
  long nLast = -1;
  while (std::getline(in, line)) {
    long nFrame = -1;
    const bool bPlay = line.find(" state=2 ") != std::string::npos &&
                       std::sscanf(line.c_str(), "frame=%ld", &nFrame) == 1;
    if (!bPlay || nFrame < nLast) {
      if (!passes.back().empty()) passes.emplace_back();
      nLast = -1;
      if (!bPlay) continue;
    }
    passes.back().push_back(line);
    nLast = nFrame;
  }
  return passes;
}

// The pass in which F1 was pressed: its frame draws no play step, so the
// frame's line comes twice.
std::vector<std::string> SavedPass(const std::string& text) {
  for (const std::vector<std::string>& pass : PlayPasses(text))
    for (size_t i = 1; i < pass.size(); ++i)
      if (pass[i] == pass[i - 1]) return pass;
  return {};
}

struct RECORDING {
  const char* pszStage;
  const char* pszKeys;  // ends with F1 pressed during play
  int nExitAfter;
};

// Records a run of the stage under the keys, saves it with F1, then plays
// it back from the title; the play frames of both runs must match line for
// line. Only the attempt in play when F1 was pressed is saved: a miss
// before it starts a new record.
void RecordAndPlayBack(const RECORDING& r) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(BuildDemoProject(builder));
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  folder.WriteFile("rec.txt", r.pszKeys);
  folder.WriteFile("title.txt", kTitleToReplay);
  const std::string answers = "d3d,file:user_data\\rpl4\\run.rpl4_667";
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", answers},
                         {"TARVOLIN4_INPUT", folder.Path() + "/rec.txt"},
                         {"TARVOLIN4_EXIT_AFTER", std::to_string(r.nExitAfter)},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_PLAYLOG", folder.Path() + "/rec.log"}},
                        folder.Path() + "/rec.err", r.pszStage);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("rec.err");
  ASSERT_FALSE(folder.ReadFile("user_data/rpl4/run.rpl4_667").empty()) << folder.ReadFile("rec.err");

  pid = StartGame(folder.Path(),
                  {{"TARVOLIN4_ANSWERS", answers},
                   {"TARVOLIN4_INPUT", folder.Path() + "/title.txt"},
                   {"TARVOLIN4_EXIT_AFTER", std::to_string(r.nExitAfter + 150)},
                   {"TARVOLIN4_FAST", "1"},
                   {"TARVOLIN4_PLAYLOG", folder.Path() + "/play.log"}},
                  folder.Path() + "/play.err");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("play.err");

  const std::vector<std::string> rec = SavedPass(folder.ReadFile("rec.log"));
  const std::vector<std::vector<std::string>> passes = PlayPasses(folder.ReadFile("play.log"));
  const std::vector<std::string>& play = passes.front();
  ASSERT_GT(play.size(), 100u) << folder.ReadFile("play.err");
  // The replay holds the attempt up to the frame before F1.
  ASSERT_GT(rec.size(), play.size()) << folder.ReadFile("rec.log");
  for (size_t i = 0; i < play.size(); ++i) ASSERT_EQ(play[i], rec[i]) << "play frame line " << i;
  EXPECT_EQ(rec[play.size()], rec[play.size() - 1]) << "the replay ended before the frame of F1";
  // Then it starts again from its banner and plays the same.
  ASSERT_GE(passes.size(), 2u);
  const std::vector<std::string>& again = passes[1];
  ASSERT_GT(again.size(), 10u);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(again[i], play[i]);
}

}  // namespace

TEST(ReplayE2e, ADamagedReplayIsRefusedAndTheTitleStays) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_bTitleMenuCentred = 0;
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // A version word and the start of a stage, then nothing.
  folder.WriteFile("user_data/rpl4/bad.rpl4_667", std::string("\x9b\x02\0\0\x05\0\0\0", 8));
  // Title: four rows down to "リプレイ", Z.
  folder.WriteFile("keys.txt",
                   "30 Down down\n31 Down up\n33 Down down\n34 Down up\n36 Down down\n37 Down up\n"
                   "39 Down down\n40 Down up\n42 Z down\n43 Z up\n");
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d,file:user_data\\rpl4\\bad.rpl4_667"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", "90"},
                         {"TARVOLIN4_FAST", "1"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  const std::string err = folder.ReadFile("stderr.txt");
  EXPECT_NE(err.find("リプレイファイル user_data\\rpl4\\bad.rpl4_667 の読み込みに失敗しました！"), std::string::npos)
      << err;
  EXPECT_EQ(err.find("[mode 4]"), std::string::npos) << err;
}

TEST(ReplayE2e, AStageSavedWithF1PlaysBackFrameForFrame) {
  // The hero walks, jumps the gap, shoots the walker and turns round.
  RecordAndPlayBack({DEMO_STAGE1,
                     "100 Right down\n110 Z down\n118 Z up\n130 X down\n132 X up\n150 X down\n152 X up\n"
                     "180 Right up\n185 Left down\n200 Left up\n205 Right down\n260 Z down\n270 Z up\n"
                     "300 Right up\n310 F1 down\n311 F1 up\n",
                     330});
}

TEST(ReplayE2e, ShotsAtRandomAnglesPlayBackTheSame) {
  // Stage 2: the hero meets the first walker twice before it gets past;
  // the enemy that scatters its shots at random angles fires throughout,
  // which plays back only when the seed comes from the replay.
  RecordAndPlayBack({DEMO_STAGE2,
                     "100 Right down\n112 Z down\n120 Z up\n140 X down\n142 X up\n200 Z down\n215 Z up\n"
                     "240 X down\n242 X up\n300 X down\n302 X up\n360 Z down\n370 Z up\n420 Right up\n"
                     "480 F1 down\n481 F1 up\n",
                     500});
}
