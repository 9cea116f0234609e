#include "platform/messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/game_random.h"

namespace {
std::atomic<int> s_Handled{0};
LRESULT CountingProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_USER + 1) {
    ++s_Handled;
    return static_cast<LRESULT>(wParam * 2);
  }
  return 0;
}
}  // namespace

class Messages : public ::testing::Test {
 protected:
  void SetUp() override { ResetMessageLayerForTests(); }
  void TearDown() override { ResetMessageLayerForTests(); }
};

TEST_F(Messages, PostToNullWindowDoesNothing) {
  EXPECT_FALSE(PostMessage(nullptr, WM_CLOSE, 0, 0));
}

TEST_F(Messages, PostsArriveInOrderAndFilterByRange) {
  HWND w = CreateMessageWindow(&CountingProc);
  PostMessage(w, WM_USER + 5, 1, 0);
  PostMessage(w, WM_CLOSE, 0, 0);
  PostThreadMessage(GetCurrentThreadId(), WM_APP, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_CLOSE));
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 5));
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_APP));
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Messages, SendFromAnotherThreadWaitsForTheOwner) {
  s_Handled = 0;
  HWND w = CreateMessageWindow(&CountingProc);
  LRESULT result = -1;
  std::thread t([&] { result = SendMessage(w, WM_USER + 1, 21, 0); });
  // The owner serves the send from its retrieval calls.
  while (s_Handled == 0) WaitMessageTimeout(10);
  t.join();
  EXPECT_EQ(result, 42);
}

TEST_F(Messages, PendingSendReturnsZeroOnceShutDownStarts) {
  s_Handled = 0;
  HWND w = CreateMessageWindow(&CountingProc);
  std::atomic<bool> started{false};
  LRESULT result = -1;
  std::thread t([&] {
    started = true;
    result = SendMessage(w, WM_USER + 1, 21, 0);
  });
  while (!started) Sleep(1);
  Sleep(20);
  BeginShutdown();
  t.join();
  EXPECT_EQ(result, 0);
  // The sender has gone on: its request is dropped, never handled late
  // (its arguments may point into a frame that no longer exists).
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  WaitMessageTimeout(1);
  EXPECT_EQ(s_Handled.load(), 0);
  // Later sends do not wait at all.
  std::thread t2([&] { result = SendMessage(w, WM_USER + 1, 1, 0); });
  t2.join();
  EXPECT_EQ(result, 0);
}

namespace {
std::atomic<int> s_nPumped{0};
HWND s_hPumpWindow = nullptr;
// Stands for the window's events: the fifth look at the queue finds one.
void FakePump() {
  if (++s_nPumped == 5) PostMessage(s_hPumpWindow, WM_KEYDOWN, 0x1B, 0);
}
}  // namespace

// The window thread's waits gather its outside events: a wait for ever
// returns once the pump has posted, and other threads never run the pump.
TEST_F(Messages, EventPumpFeedsTheWindowThreadsWaits) {
  s_nPumped = 0;
  s_hPumpWindow = CreateMessageWindow(&CountingProc);
  SetEventPump(GetCurrentThreadId(), &FakePump);
  std::thread other([] {
    MSG m;
    PeekMessage(&m, nullptr, 0, 0, PM_REMOVE);
    WaitMessageTimeout(20);
  });
  other.join();
  EXPECT_EQ(s_nPumped.load(), 0);
  EXPECT_TRUE(WaitMessage());
  EXPECT_GE(s_nPumped.load(), 5);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_KEYDOWN));
  SetEventPump(GetCurrentThreadId(), nullptr);
  int before = s_nPumped;
  PeekMessage(&m, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(s_nPumped.load(), before);
}

TEST(GameRandom, FollowsTheRuntimeGeneratorPerThread) {
  srand(1);
  EXPECT_EQ(rand(), 41);
  EXPECT_EQ(rand(), 18467);
  EXPECT_EQ(rand(), 6334);
  int other = 0;
  std::thread t([&] { other = rand(); });  // a new thread starts at seed 1
  t.join();
  EXPECT_EQ(other, 41);
}
