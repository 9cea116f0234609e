// The real program fades its title in from black and out to black again:
// screenshots at fixed frames of a headless run grow brighter frame by frame
// while the title fades in, and darker once a menu row is chosen.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/screenshot.h"
#include "platform/text_cp932.h"
#include "records/system.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

// The mean of red, green and blue over the whole picture; -1 when missing.
double MeanBrightness(const std::string& path) {
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  if (!ReadPng(path, px, w, h) || px.empty()) return -1;
  double sum = 0;
  for (uint32_t p : px) sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
  return sum / (3.0 * static_cast<double>(px.size()));
}

std::vector<double> RunAndMeasure(const char* szIni, const char* szAnswers, const std::vector<int>& frames) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_strTitle = Sjis("フェードのテスト");
  builder.m_System.m_bTitleMenuCentred = 0;
  EXPECT_TRUE(builder.Build());
  folder.WriteFile("System.ini", szIni);
  // The first row (a new game) is chosen once the title has faded in.
  folder.WriteFile("keys.txt", "30 Z down\n31 Z up\n");
  std::string at;
  for (int f : frames) at += (at.empty() ? "" : ",") + std::to_string(f);
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", szAnswers},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", std::to_string(frames.back() + 2)},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_SCREENSHOT", folder.Path() + "/shots"},
                         {"TARVOLIN4_SCREENSHOT_AT", at}},
                        folder.Path() + "/stderr.txt");
  EXPECT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  std::vector<double> v;
  for (int f : frames) {
    char name[64];
    std::snprintf(name, sizeof name, "/shots/frame-%05d.png", f);
    v.push_back(MeanBrightness(folder.Path() + name));
  }
  return v;
}

}  // namespace

TEST(TitleFadeE2e, TheTitleFadesInAndOut) {
  std::vector<int> frames;
  for (int f = 1; f <= 12; ++f) frames.push_back(f);
  frames.push_back(20);
  for (int f = 32; f <= 41; ++f) frames.push_back(f);
  const struct {
    const char* szName;
    const char* szIni;
    const char* szAnswers;
  } runs[] = {
      {"d3d32", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n", "d3d"},
      {"dd32", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n", "ddraw"},
      // The 8-bit screen fades its palette.
      {"dd8", "WindowMode=0\r\nBpp=8\r\nShowFps=0\r\nExit\r\n", "ddraw"},
  };
  for (const auto& r : runs) {
    SCOPED_TRACE(r.szName);
    const std::vector<double> v = RunAndMeasure(r.szIni, r.szAnswers, frames);
    auto at = [&](int f) {
      for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i] == f) return v[i];
      return -1.0;
    };
    // Fade-in: black on the first frame, brighter on each of the next ten
    // (a step of 10 degrees), then the title as it stays.
    EXPECT_LT(at(1), 1.0);
    EXPECT_GE(at(1), 0.0);
    for (int f = 2; f <= 11; ++f) EXPECT_GT(at(f), at(f - 1)) << "frame " << f;
    EXPECT_GT(at(20), 30.0);
    EXPECT_EQ(at(12), at(20));
    // Z at frame 30 chooses the first row; the fade-out's first step still
    // shows the title, each further one is darker, the tenth is black.
    EXPECT_EQ(at(32), at(20));
    for (int f = 33; f <= 41; ++f) EXPECT_LT(at(f), at(f - 1)) << "frame " << f;
    EXPECT_LT(at(41), 1.0);
  }
}
