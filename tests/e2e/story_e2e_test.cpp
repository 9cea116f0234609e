// The real program on a project, driven by key scripts: new game to the
// world map, a walk to the first stage and into the stage mode; the save
// screen, a save into slot 1, back to the title and Continue from it; and on
// the demo game the whole story: the first stage played to its goal, back on
// the map with the event passed, saved, and continued. The maps and the save
// screen are golden pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/e2e_runner.h"
#include "tests/e2e/play_log_lines.h"
#include "tests/support/demo_game.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

void WriteProject(const cTempFolder& folder) {
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(builder.Build());
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
}

// The run's standard error, with the keys and screenshots asked for.
std::string RunStory(const cTempFolder& folder, const std::string& keys, const char* pszExitAfter, const char* pszShots) {
  folder.WriteFile("keys.txt", keys);
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d"},
                         {"TARVOLIN4_EXIT_AFTER", pszExitAfter},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", pszShots}},
                        folder.Path() + "/stderr.txt");
  EXPECT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
  return folder.ReadFile("stderr.txt");
}

void CompareGolden(const cTempFolder& folder, const char* pszShot, const std::string& golden) {
  ASSERT_TRUE(folder.Exists(std::string("shots/") + pszShot)) << pszShot;
  ExpectGoldenPicture(folder.ReadFile(std::string("shots/") + pszShot), golden);
}

// A key pressed on frame f for one frame.
std::string Key(int f, const char* key) {
  return std::to_string(f) + " " + key + " down\n" + std::to_string(f + 1) + " " + key + " up\n";
}

// A key held from frame f to frame t.
std::string Hold(int f, int t, const char* key) {
  return std::to_string(f) + " " + key + " down\n" + std::to_string(t) + " " + key + " up\n";
}

// The modes the run's report lines name, in order ("0 1 4 ...").
std::string ModeTrail(const std::string& err) {
  std::string trail;
  for (size_t at = err.find("[mode "); at != std::string::npos; at = err.find("[mode ", at + 1)) {
    if (!trail.empty()) trail += ' ';
    trail += err.substr(at + 6, err.find(']', at) - at - 6);
  }
  return trail;
}

}  // namespace

TEST(StoryE2e, NewGameWalksToTheFirstStageAndStartsIt) {
  cTempFolder folder;
  WriteProject(folder);
  if (HasFatalFailure()) return;
  // New game; three steps right reach the first stage, which asks.
  const std::string keys = Key(130, "Z") + Key(180, "Right") + Key(190, "Right") + Key(200, "Right") +
                           Key(215, "Up") + Key(220, "Z");
  const std::string err = RunStory(folder, keys, "260", "175,212");
  const size_t map = err.find("[mode 1]");
  ASSERT_NE(map, std::string::npos) << err;
  EXPECT_NE(err.find("[mode 4]", map), std::string::npos) << err;
  EXPECT_EQ(err.find("[エラー]"), std::string::npos) << err;
  CompareGolden(folder, "frame-00175.png", T4_SOURCE_DIR "/tests/golden/shell/worldmap_175.png");
  CompareGolden(folder, "frame-00212.png", T4_SOURCE_DIR "/tests/golden/shell/worldmap_confirm_212.png");
}

TEST(StoryE2e, ASavedStoryIsListedAndContinuedFromTheTitle) {
  cTempFolder folder;
  WriteProject(folder);
  if (HasFatalFailure()) return;
  // New game, one step right; cancel opens the save screen: "セーブ", slot 1,
  // "セーブする"; back out, "タイトルへ", "タイトルへ戻る"; Continue, slot 1.
  const std::string keys = Key(130, "Z") + Key(180, "Right") + Key(190, "X") + Key(230, "Z") + Key(240, "Z") +
                           Key(250, "Up") + Key(260, "Z") + Key(270, "X") + Key(280, "Up") + Key(290, "Z") +
                           Key(300, "Up") + Key(310, "Z") + Key(360, "Down") + Key(370, "Z") + Key(380, "Z");
  const std::string err = RunStory(folder, keys, "430", "225,425");
  EXPECT_EQ(err.find("[エラー]"), std::string::npos) << err;
  const size_t save = err.find("[mode 2]");
  ASSERT_NE(save, std::string::npos) << err;
  const size_t title = err.find("[mode 0]", save);
  ASSERT_NE(title, std::string::npos) << err;
  EXPECT_NE(err.find("[mode 1]", title), std::string::npos) << err;
  ASSERT_TRUE(folder.Exists("user_data/story/Story01.dat")) << err;
  CompareGolden(folder, "frame-00225.png", T4_SOURCE_DIR "/tests/golden/shell/save_225.png");
  // The slot list shows the save time, so the map it leads back to is the
  // picture compared: the player on the cell it was saved on.
  CompareGolden(folder, "frame-00425.png", T4_SOURCE_DIR "/tests/golden/shell/worldmap_continued_425.png");
}

// The demo game's first stage from the map to its goal and back. Stage
// frames count from `s`, the first frame of the stage mode: the hero walks
// right from 100 and shoots the walker at once; it waits at the first gap
// until the lift has glided to its far end and turns back (takeoffs from 370
// to 382 land on it), rides it over the gap, jumps the wall and the second
// gap, shoots the shooter and reaches the goal, whose result the decide key
// closes. The map takes keys again some 70 frames after the result closes.
TEST(StoryE2e, TheFirstStageClearedIsPassedOnTheMapSavedAndContinued) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(BuildDemoProject(builder));
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  const int s = 231;
  std::string keys = Key(130, "Z") + Key(180, "Right") + Key(190, "Right") + Key(200, "Right") + Key(215, "Up") +
                     Key(220, "Z");
  keys += Hold(s + 100, s + 250, "Right") + Hold(s + 102, s + 104, "X") + Hold(s + 372, s + 800, "Right") +
          Hold(s + 374, s + 394, "Z") + Hold(s + 464, s + 488, "Z") + Hold(s + 588, s + 608, "Z");
  for (int f = 640; f <= 720; f += 20) keys += Hold(s + f, s + f + 2, "X");
  keys += Key(1144, "Z");
  // Back on the map: cancel; "セーブ", slot 1, "セーブする"; back out,
  // "タイトルへ", "タイトルへ戻る"; Continue, slot 1.
  const int m = 1234;
  keys += Key(m, "X");
  const std::pair<int, const char*> save[] = {{40, "Z"},  {50, "Z"},  {60, "Up"},  {70, "Z"},    {80, "X"},  {90, "Up"},
                                              {100, "Z"}, {110, "Up"}, {120, "Z"}, {170, "Down"}, {180, "Z"}, {190, "Z"}};
  for (const auto& [d, key] : save) keys += Key(m + d, key);
  // The input script is read in frame order.
  std::vector<std::string> lines;
  for (size_t at = 0; at < keys.size();) {
    const size_t end = keys.find('\n', at);
    lines.push_back(keys.substr(at, end - at + 1));
    at = end + 1;
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const std::string& a, const std::string& b) { return std::stoi(a) < std::stoi(b); });
  keys.clear();
  for (const std::string& l : lines) keys += l;

  folder.WriteFile("keys.txt", keys);
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d"},
                         {"TARVOLIN4_EXIT_AFTER", "1484"},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_PLAYLOG", folder.Path() + "/play.log"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", "1204,1269,1469"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 240000), 0) << folder.ReadFile("stderr.txt");
  const std::string err = folder.ReadFile("stderr.txt");
  EXPECT_EQ(err.find("[エラー]"), std::string::npos) << err;
  // Title, map, stage, map (the cleared event does not start again), save
  // screen, title, map.
  EXPECT_EQ(ModeTrail(err), "0 1 4 1 2 0 1") << err;
  const std::string log = folder.ReadFile("play.log");
  EXPECT_NE(log.find(" stage=1 state=4 "), std::string::npos) << log.substr(log.size() > 2000 ? log.size() - 2000 : 0);
  // The walker falls to the hero's shots: a play frame with shots in flight
  // after which there is one chara fewer and the score has risen.
  const std::vector<PLAYLOGLINE> vPlay = ParsePlayLog(log);
  int nShotDown = 0;
  for (size_t i = 1; i < vPlay.size(); ++i) {
    const PLAYLOGLINE &a = vPlay[i - 1], &b = vPlay[i];
    if (b.nState == 2 && a.nShots > 0 && b.nCharas < a.nCharas && b.nScore > a.nScore) ++nShotDown;
  }
  EXPECT_GE(nShotDown, 1);
  ASSERT_TRUE(folder.Exists("user_data/story/Story01.dat")) << err;
  // The event passed on the map, with the stage's score; the save screen with
  // the total; after Continue, the same cell of the map.
  CompareGolden(folder, "frame-01204.png", T4_SOURCE_DIR "/tests/golden/shell/demo_worldmap_cleared_1204.png");
  CompareGolden(folder, "frame-01269.png", T4_SOURCE_DIR "/tests/golden/shell/demo_save_cleared_1269.png");
  CompareGolden(folder, "frame-01469.png", T4_SOURCE_DIR "/tests/golden/shell/demo_worldmap_continued_1469.png");
}
