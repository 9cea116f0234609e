// The real program on the demo project, driven by key scripts: new game to
// the world map, a walk to the first stage and into the stage mode; the save
// screen, a save into slot 1, back to the title and Continue from it. The
// map and the save screen are golden pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/e2e_runner.h"
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
