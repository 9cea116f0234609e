#include "shell/frame_timing.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/messages.h"

namespace {

// A clock that only the frames' work and the pacing waits move on.
DWORD s_dwNow = 0;
DWORD FakeNow() { return s_dwNow; }
void FakeSleep(DWORD ms) { s_dwNow += ms; }

class FrameTiming : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFrameTimingForTests();
    SetTimeSource(&FakeNow);
    SetFrameSleepForTests(&FakeSleep);
  }
  void TearDown() override {
    SetTimeSource(nullptr);
    SetFrameSleepForTests(nullptr);
    SetFramePacingPath(false, false);
    ResetFrameTimingForTests();
  }
};

struct FRAMELOG {
  std::vector<DWORD> vStart;    // FrameTimerStart of each frame
  std::vector<DWORD> vPresent;  // the moment each frame was presented
  std::vector<DWORD> vFps;      // g_nFps of each frame
  std::vector<DWORD> vWorkMs;   // g_dwFrameMs of each frame
};

// The game thread's frames as far as timing goes: the wait before the frame
// (DirectDraw), the measured work, then the Direct3D presentation's wait.
FRAMELOG RunFrames(DWORD dwStart, int nFrames, bool bDirect3D, const std::vector<DWORD>& vWork) {
  ResetFrameTimingForTests();
  SetFramePacingPath(bDirect3D, !bDirect3D);
  s_dwNow = dwStart;
  FRAMELOG log;
  for (int i = 0; i < nFrames; ++i) {
    WaitFrame(60);
    log.vStart.push_back(FrameTimerStart() - dwStart);
    s_dwNow += vWork[i % vWork.size()];
    g_nFps = CountFps(1);
    g_dwFrameMs = FrameTimerElapsed(1);
    while (!FrameGateD3D(60)) FakeSleep(1);
    log.vPresent.push_back(s_dwNow - dwStart);
    log.vFps.push_back(g_nFps);
    log.vWorkMs.push_back(g_dwFrameMs);
  }
  return log;
}

}  // namespace

TEST_F(FrameTiming, DirectDrawWaitsBeforeTheFrame) {
  FRAMELOG log = RunFrames(1000, 120, false, {5});
  // Due 1000 / 60 = 16 ms after the moment the previous frame was found due.
  for (int i = 0; i < 120; ++i) {
    EXPECT_EQ(log.vStart[i], 16u * i) << i;
    EXPECT_EQ(log.vPresent[i], 16u * i + 5) << i;
    EXPECT_EQ(log.vWorkMs[i], 5u);
  }
  // The first window counts frames 0..62 and closes at frame 63, 1008 ms in.
  for (int i = 0; i < 63; ++i) EXPECT_EQ(log.vFps[i], 0u) << i;
  for (int i = 63; i < 120; ++i) EXPECT_EQ(log.vFps[i], 63u) << i;
}

TEST_F(FrameTiming, DirectDrawNeverMakesUpLateness) {
  // Frame 2 takes 30 ms: frame 3 starts at once when it ends, and frame 4
  // 16 ms after that, not at the old rhythm.
  FRAMELOG log = RunFrames(0, 6, false, {5, 5, 30, 5, 5, 5});
  std::vector<DWORD> expect = {0, 16, 32, 62, 78, 94};
  EXPECT_EQ(log.vStart, expect);
  EXPECT_EQ(log.vWorkMs[2], 30u);
}

TEST_F(FrameTiming, Direct3DWaitsAfterDrawing) {
  FRAMELOG log = RunFrames(1000, 122, true, {5});
  // WaitFrame does nothing on this path: each frame starts when the last
  // was presented. Frame k of a second is due k * 16.67 ms after the
  // second's anchor (the first presentation, 5 ms in); frame 60 opens a new
  // second at the moment frame 59 was shown.
  struct {
    int nFrame;
    DWORD dwPresent;
  } checks[] = {{0, 5}, {1, 22}, {2, 39}, {3, 55}, {4, 72}, {58, 972}, {59, 989}, {60, 994}, {61, 1006}, {119, 1973}, {120, 1978}};
  for (const auto& c : checks) EXPECT_EQ(log.vPresent[c.nFrame], c.dwPresent) << c.nFrame;
  for (int i = 1; i < 122; ++i) EXPECT_EQ(log.vStart[i], log.vPresent[i - 1]) << i;
}

TEST_F(FrameTiming, AWrappedClockDoesNoHarm) {
  for (bool bDirect3D : {false, true}) {
    std::vector<DWORD> work = {5, 3, 25, 9, 16, 1};
    FRAMELOG plain = RunFrames(5000, 120, bDirect3D, work);
    // The clock passes 0xFFFFFFFF around frame 10.
    FRAMELOG wrapped = RunFrames(0xFFFFFFFFu - 150, 120, bDirect3D, work);
    EXPECT_EQ(wrapped.vStart, plain.vStart) << bDirect3D;
    EXPECT_EQ(wrapped.vPresent, plain.vPresent) << bDirect3D;
    EXPECT_EQ(wrapped.vFps, plain.vFps) << bDirect3D;
    EXPECT_EQ(wrapped.vWorkMs, plain.vWorkMs) << bDirect3D;
  }
}

TEST_F(FrameTiming, RatesThatPaceNothing) {
  // Rate 0 (and a damaged negative one) is always due on both paths.
  SetFramePacingPath(false, true);
  s_dwNow = 100;
  for (int fps : {0, -5}) {
    EXPECT_TRUE(FrameDue(fps));
    EXPECT_TRUE(FrameDue(fps));
  }
  SetFramePacingPath(true, false);
  EXPECT_TRUE(FrameDueWithStats(0));
  EXPECT_TRUE(FrameDueWithStats(-1));
  // Without Direct3D up, the Direct3D test never holds a frame back.
  SetFramePacingPath(false, true);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(FrameDueWithStats(60));
}

TEST_F(FrameTiming, FpsDisplayRing) {
  FPSTEXT t;
  g_nFps = 63;
  g_dwFrameMs = 100;
  EXPECT_FALSE(FpsDisplayFrame(0, t));  // not shown: the ring is left alone
  EXPECT_TRUE(t.strText.empty());
  // The average is refreshed on every 16th shown frame.
  for (int i = 0; i < 15; ++i) {
    g_dwFrameMs = static_cast<DWORD>(i % 2 ? 4 : 6);
    ASSERT_TRUE(FpsDisplayFrame(2, t));
    EXPECT_EQ(t.strText, "FPS63( 0)");
  }
  g_dwFrameMs = 21;
  ASSERT_TRUE(FpsDisplayFrame(2, t));
  EXPECT_EQ(t.strText, "FPS63( 6)");  // (8 x 6 + 7 x 4 + 21) >> 4

  struct {
    int nShowFps;
    int nFont;
    bool bBoxed;
    int x, y;
  } places[] = {{2, 0, false, 549, 469}, {1, 1, true, 495, 463}, {3, 1, true, 495, 463}, {-1, 1, true, 495, 463}};
  for (const auto& p : places) {
    ASSERT_TRUE(FpsDisplayFrame(p.nShowFps, t));
    EXPECT_EQ(t.nFont, p.nFont) << p.nShowFps;
    EXPECT_EQ(t.bBoxed, p.bBoxed) << p.nShowFps;
    EXPECT_EQ(t.x, p.x) << p.nShowFps;
    EXPECT_EQ(t.y, p.y) << p.nShowFps;
  }
  EXPECT_EQ(FormatFpsText(7, 123), "FPS 7(123)");
}

TEST_F(FrameTiming, CountFpsWithoutCountingGivesTheLastResult) {
  s_dwNow = 0;
  for (int i = 0; i < 10; ++i) CountFps(1);
  s_dwNow = 999;
  EXPECT_EQ(CountFps(1), 0u);  // a full second has not passed
  s_dwNow = 1000;
  EXPECT_EQ(CountFps(0), 0u);  // asking does not close the window
  EXPECT_EQ(CountFps(1), 11u);
  s_dwNow = 2500;
  EXPECT_EQ(CountFps(0), 11u);
  EXPECT_EQ(CountFps(1), 0u);  // the closing frame was not counted in the next window
}

TEST_F(FrameTiming, FrameIntervalTick) {
  struct {
    int nMode;
    int n;
    bool bResult;
  } steps[] = {
      {0, 3, false}, {2, 3, true},  {1, 3, false}, {2, 3, false}, {1, 3, false},
      {1, 3, true},  {2, 3, true},  {1, 3, false}, {0, 3, false}, {1, 1, true},
      {5, 2, false}, {5, 2, true},
  };
  int i = 0;
  for (const auto& s : steps) EXPECT_EQ(FrameIntervalTick(s.nMode, s.n), s.bResult) << "step " << i++;
}
