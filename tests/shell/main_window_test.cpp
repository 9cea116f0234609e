#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/keyboard.h"
#include "platform/messages.h"
#include "records/thread_wrapper.h"
#include "shell/entry.h"

namespace {

std::atomic<int> s_nSendStarted{0};
std::atomic<LRESULT> s_lSendResult{-1};
std::atomic<int> s_nQuitSeen{0};

// A game thread caught in a request to the window when the close comes.
unsigned BlockedInRequest(void*) {
  ++s_nSendStarted;
  s_lSendResult = SendMessage(g_hWndMain, WM_USER + 77, 0, 0);
  MSG m;
  while (GetMessage(&m, nullptr, 0, 0)) {
  }
  ++s_nQuitSeen;
  return 1;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    m_hWnd = CreateMessageWindow(&MainWndProc);
    g_hWndMain = m_hWnd;
  }
  void TearDown() override { ResetMessageLayerForTests(); }
  HWND m_hWnd = nullptr;
};

}  // namespace

TEST_F(MainWindow, CloseReleasesAPendingRequestAndEndsTheLoop) {
  s_nSendStarted = 0;
  s_nQuitSeen = 0;
  ASSERT_TRUE(thGame.Create(&BlockedInRequest, nullptr));
  while (s_nSendStarted == 0) Sleep(1);
  Sleep(20);  // the request is now waiting for this thread
  auto start = std::chrono::steady_clock::now();
  SendMessage(m_hWnd, WM_CLOSE, 0, 0);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(ms, 1000);
  EXPECT_EQ(s_lSendResult.load(), 0);
  EXPECT_EQ(s_nQuitSeen.load(), 1);
  EXPECT_EQ(thGame.m_hThread.load(), nullptr);
  EXPECT_FALSE(IsWindow(m_hWnd));
  EXPECT_EQ(g_hWndMain.load(), nullptr);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 0u);
}

TEST_F(MainWindow, EscClosesAndActivationIsKept) {
  struct CASE {
    UINT m_nMsg;
    WPARAM m_wParam;
    bool m_bCloses;
  } cases[] = {{WM_KEYDOWN, VK_ESCAPE, true}, {WM_KEYDOWN, 'Z', false}, {WM_KEYUP, VK_ESCAPE, false}};
  for (const CASE& c : cases) {
    MainWndOnMessage(m_hWnd, c.m_nMsg, c.m_wParam, 0);
    MSG m;
    bool bClose = PeekMessage(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE);
    EXPECT_EQ(bClose, c.m_bCloses) << c.m_nMsg << " " << c.m_wParam;
  }
  MainWndOnMessage(m_hWnd, WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(g_bAppActive.load(), 1u);
  MainWndOnMessage(m_hWnd, WM_ACTIVATEAPP, 0, 0);
  EXPECT_EQ(g_bAppActive.load(), 0u);
}
