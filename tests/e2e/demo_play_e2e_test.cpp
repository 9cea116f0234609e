// The real program on the demo game's first stage: the hero walks right
// while Right is held and jumps on Z, and a play frame with the hero, an
// enemy and the blocks matches its golden picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "tests/e2e/e2e_runner.h"
#include "tests/support/demo_game.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kGolden = T4_SOURCE_DIR "/tests/golden/e2e/demo_stage1_play.png";

// The demo project as tools/make_demo writes it.
void WriteDemo(const cTempFolder& folder) {
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(BuildDemoProject(builder));
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
}

struct POS {
  int nFrame, nState, nX, nY;
};

std::vector<POS> PlayPositions(const std::string& text) {
  std::vector<POS> v;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    POS p;
    if (std::sscanf(line.c_str(), "frame=%d stage=%*d state=%d x=%d y=%d", &p.nFrame, &p.nState, &p.nX, &p.nY) == 4 &&
        p.nState == 2)
      v.push_back(p);
  }
  return v;
}

}  // namespace

TEST(DemoPlayE2e, TheHeroWalksRightAndJumpsAmongTheEnemiesAndBlocks) {
  cTempFolder folder;
  WriteDemo(folder);
  if (HasFatalFailure()) return;
  // Play begins after the fade-in and the banner; Right is held from frame
  // 100, Z pressed at 110.
  folder.WriteFile("keys.txt", "100 Right down\n110 Z down\n118 Z up\n140 Right up\n");
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", "150"},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_PLAYLOG", folder.Path() + "/play.log"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", "125"}},
                        folder.Path() + "/stderr.txt", "data\\stg4\\Stage1.stg4");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 120000), 0) << folder.ReadFile("stderr.txt");
  const std::string text = folder.ReadFile("play.log");
  const std::vector<POS> log = PlayPositions(text);
  ASSERT_GT(log.size(), 40u) << text;
  const POS& start = log.front();
  int nMaxX = start.nX, nMinY = start.nY, nGroundY = start.nY;
  for (const POS& p : log) {
    nMaxX = std::max(nMaxX, p.nX);
    nMinY = std::min(nMinY, p.nY);
    nGroundY = std::max(nGroundY, p.nY);
  }
  // Two pixels a frame for about forty frames, and off the ground by more
  // than a cell.
  EXPECT_GE(nMaxX - start.nX, 60) << text;
  EXPECT_GE(nGroundY - nMinY, 32) << text;

  const std::string shot = folder.ReadFile("shots/frame-00125.png");
  ASSERT_FALSE(shot.empty()) << folder.ReadFile("stderr.txt");
  ExpectGoldenPicture(shot, kGolden);
}
