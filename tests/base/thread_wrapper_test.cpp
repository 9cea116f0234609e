#include "base/thread_wrapper.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point t) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

// Waits (1 ms polls) until pred holds or timeoutMs passes.
template <class F>
bool WaitFor(F pred, long timeoutMs) {
  auto start = Clock::now();
  while (!pred()) {
    if (MsSince(start) > timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

std::atomic<int> s_nQuitSeen{0};
std::atomic<int> s_nEnded{0};
std::atomic<bool> s_bRelease{false};

// The threads' usual form: read the queue until WM_QUIT.
unsigned QuitReader(void*) {
  MSG m;
  while (GetMessage(&m, nullptr, 0, 0)) {
  }
  ++s_nQuitSeen;
  return 1;
}

// A long loop that never reads its queue but tests its stop flag.
unsigned StopFlagPoller(void*) {
  while (!IsThreadStopRequested()) Sleep(1);
  ++s_nEnded;
  return 1;
}

// A thread that neither reads its queue nor tests the flag.
unsigned Deaf(void*) {
  while (!s_bRelease) Sleep(1);
  ++s_nEnded;
  return 1;
}

unsigned Thrower(void*) { throw 42; }

std::atomic<int> s_nStuckCalls{0};
std::atomic<DWORD> s_dwStuckId{0};
void RecordStuck(DWORD id, DWORD) {
  ++s_nStuckCalls;
  s_dwStuckId = id;
}

}  // namespace

TEST(ThreadWrapper, IdleObjectAnswersAtOnce) {
  cThread th;
  auto start = Clock::now();
  th.Exit();
  // Well inside the grace period that a wait for a thread would run into.
  EXPECT_LT(MsSince(start), static_cast<long>(kThreadExitGraceMs) / 2);
  EXPECT_TRUE(th.Suspend());
  EXPECT_TRUE(th.Resume());
  EXPECT_FALSE(th.WaitClose());
  EXPECT_EQ(th.m_hThread.load(), nullptr);
  EXPECT_EQ(th.m_dwThreadId.load(), 0u);
}

// Each cycle posts WM_QUIT exactly once, right after the handshake: a quit
// that got lost would leave the thread waiting for ever.
TEST(ThreadWrapper, ThousandStartQuitCyclesLoseNoQuit) {
  cThread th;
  s_nQuitSeen = 0;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(th.Create(&QuitReader, nullptr));
    ASSERT_TRUE(PostThreadMessage(th.m_dwThreadId, WM_APP, 0, 0)) << "handshake failed at cycle " << i;
    ASSERT_TRUE(PostThreadMessage(th.m_dwThreadId, WM_QUIT, 0, 0));
    bool bQuit = WaitFor([&] { return s_nQuitSeen.load() == i + 1; }, 5000);
    if (!bQuit) th.Exit();
    ASSERT_TRUE(bQuit) << "WM_QUIT lost at cycle " << i;
    ASSERT_TRUE(th.WaitClose());
    ASSERT_EQ(th.m_hThread.load(), nullptr);
  }
}

TEST(ThreadWrapper, ExitEndsCooperativeThreadsQuickly) {
  struct CASE {
    const char* m_pszName;
    THREADPROC m_pfnProc;
  } cases[] = {{"reads its queue", &QuitReader}, {"tests its stop flag", &StopFlagPoller}};
  SetStuckThreadHandlerForTests(&RecordStuck);
  s_nStuckCalls = 0;
  for (const CASE& c : cases) {
    cThread th;
    ASSERT_TRUE(th.Create(c.m_pfnProc, nullptr)) << c.m_pszName;
    Sleep(5);
    // Ended by its own loop, not left behind at the end of the grace period
    // (a wall-clock limit here would fail on a loaded machine).
    th.Exit();
    EXPECT_EQ(s_nStuckCalls.load(), 0) << c.m_pszName;
    EXPECT_EQ(th.m_hThread.load(), nullptr) << c.m_pszName;
    // A later post to the ended thread fails.
    EXPECT_FALSE(PostThreadMessage(th.m_dwThreadId, WM_USER, 0, 0)) << c.m_pszName;
  }
  SetStuckThreadHandlerForTests(nullptr);
}

TEST(ThreadWrapper, DeafThreadGoesToStuckHandlerAfterGracePeriod) {
  SetStuckThreadHandlerForTests(&RecordStuck);
  s_nStuckCalls = 0;
  s_nEnded = 0;
  s_bRelease = false;
  cThread th;
  ASSERT_TRUE(th.Create(&Deaf, nullptr));
  DWORD id = th.m_dwThreadId;
  auto start = Clock::now();
  th.Exit(100);
  long ms = MsSince(start);
  EXPECT_GE(ms, 100);
  EXPECT_LT(ms, 1500);
  EXPECT_EQ(s_nStuckCalls.load(), 1);
  EXPECT_EQ(s_dwStuckId.load(), id);
  EXPECT_EQ(th.m_hThread.load(), nullptr);
  // The object is free for a new thread although the old one still runs.
  ASSERT_TRUE(th.Create(&QuitReader, nullptr));
  th.Exit();
  s_bRelease = true;
  EXPECT_TRUE(WaitFor([] { return s_nEnded.load() == 1; }, 2000));
  // Its queue goes last (posts to it fail then, under the layer's lock): the
  // left thread must be past that before the process's globals are torn down.
  EXPECT_TRUE(WaitFor([id] { return !PostThreadMessage(id, WM_NULL, 0, 0); }, 2000));
  SetStuckThreadHandlerForTests(nullptr);
}

namespace {
cThread s_Inner;
unsigned WaitsForInner(void*) {
  s_Inner.Create(&StopFlagPoller, nullptr);
  s_Inner.WaitClose();
  ++s_nQuitSeen;
  return 1;
}
}  // namespace

// The game thread waiting for the pause thread is itself told to end: the
// stop reaches the pause thread, and both end.
TEST(ThreadWrapper, WaitCloseHandsTheStopOn) {
  s_nEnded = 0;
  s_nQuitSeen = 0;
  cThread outer;
  ASSERT_TRUE(outer.Create(&WaitsForInner, nullptr));
  ASSERT_TRUE(WaitFor([] { return s_Inner.m_hThread.load() != nullptr; }, 2000));
  auto start = Clock::now();
  outer.Exit();
  EXPECT_LT(MsSince(start), 500);
  EXPECT_EQ(s_nEnded.load(), 1);
  EXPECT_EQ(s_nQuitSeen.load(), 1);
  EXPECT_EQ(s_Inner.m_hThread.load(), nullptr);
}

TEST(ThreadWrapper, SecondStartOfARunningObjectIsRefusedAndAnEndedOneIsReused) {
  s_nQuitSeen = 0;
  cThread th;
  ASSERT_TRUE(th.Create(&QuitReader, nullptr));
  EXPECT_FALSE(th.Create(&QuitReader, nullptr));
  DWORD first = th.m_dwThreadId;
  PostThreadMessage(first, WM_QUIT, 0, 0);
  ASSERT_TRUE(WaitFor([] { return s_nQuitSeen.load() == 1; }, 2000));
  // Ended by itself and never waited for: Create joins it and starts anew.
  // The thread's last steps follow its procedure's end, so Create may still
  // refuse for a moment.
  ASSERT_TRUE(WaitFor([&] { return th.Create(&QuitReader, nullptr) == TRUE; }, 5000));
  EXPECT_NE(th.m_dwThreadId.load(), first);
  th.Exit();
}

TEST(ThreadWrapper, ExceptionStaysInsideTheThread) {
  cThread th;
  ASSERT_TRUE(th.Create(&Thrower, nullptr));
  EXPECT_TRUE(th.WaitClose());
  EXPECT_EQ(th.m_hThread.load(), nullptr);
}
