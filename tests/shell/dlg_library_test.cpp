#include "shell/dlg_library.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <thread>

#include "platform/glyph_source.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "shell/dlg_message_box.h"

namespace {

// Events from a list; frames kept. The loop sees messages from the test's
// own queue.
class cScriptHost : public cDialogHost {
 public:
  bool Begin() override { return true; }
  void End() override { ++m_nEnded; }
  bool NextEvent(DLGEVENT& e) override {
    if (m_qEvents.empty()) return false;
    e = m_qEvents.front();
    m_qEvents.pop_front();
    return true;
  }
  void Background(std::vector<uint32_t>& v) override { v.assign(640 * 480, 0x123456); }
  void Present(const std::vector<uint32_t>& v) override { m_vFrames.push_back(v); }
  std::deque<DLGEVENT> m_qEvents;
  std::vector<std::vector<uint32_t>> m_vFrames;
  int m_nEnded = 0;
};

DLGEVENT Key(int vk) {
  DLGEVENT e;
  e.nVk = vk;
  return e;
}

LRESULT NullProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

class DialogLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    m_hMain = CreateMessageWindow(&NullProc);
    g_hWndMain = m_hMain;
  }
  void TearDown() override {
    g_hWndMain = nullptr;
    ResetMessageLayerForTests();
  }
  // The messages left for the main window, in order.
  std::vector<UINT> MainMessages() {
    std::vector<UINT> v;
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
      if (m.hwnd == m_hMain || m.message == WM_QUIT) v.push_back(m.message);
    return v;
  }
  HWND m_hMain = nullptr;
};

}  // namespace

TEST(DlgPlacement, ClampsAndCentres) {
  const DLGRECT work{0, 0, 640, 480};
  const DLGRECT owner{100, 50, 400, 300};
  struct CASE {
    const char* what;
    PLACEMENT place;
    DLGRECT window;
    int x, y;
  } cases[] = {
      {"negative stored x becomes 0", {nullptr, nullptr, false, -5, 10}, {0, 0, 100, 80}, 0, 10},
      {"past the right edge ends at it", {nullptr, nullptr, false, 600, 10}, {0, 0, 100, 80}, 540, 10},
      {"past the bottom edge ends at it", {nullptr, nullptr, false, 10, 450}, {0, 0, 100, 80}, 10, 400},
      {"unset position stays", {}, {30, 40, 100, 80}, 30, 40},
      {"centred over the owner", {nullptr, &owner, true}, {0, 0, 100, 80}, 250, 160},
      {"at the owner's origin", {nullptr, &owner, false}, {0, 0, 100, 80}, 100, 50},
      {"reference wins over owner", {&work, &owner, true}, {0, 0, 100, 80}, 270, 200},
      {"larger than the work area starts at 0", {nullptr, nullptr, false, 20, 20}, {0, 0, 700, 500}, 0, 0},
  };
  for (const CASE& c : cases) {
    DLGRECT r = PlaceWindow(c.window, c.place, work);
    EXPECT_EQ(r.x, c.x) << c.what;
    EXPECT_EQ(r.y, c.y) << c.what;
    EXPECT_EQ(r.w, c.window.w) << c.what;
  }
}

TEST(DlgEditLimit, KeepsThreeCharactersOfEitherWidth) {
  const EDITLIMIT name{3, 1, true};
  struct CASE {
    const char* typed;  // UTF-8; the caret at its end
    const char* kept;
  } cases[] = {
      {"abcd", "abc"}, {"あいうえ", "あいう"}, {"aあbい", "aあb"},
      {"ab", "ab"},    {"ｱｲｳｴ", "ｱｲｳ"},  // half-width kana are single bytes
      {"", ""},
  };
  for (const CASE& c : cases) {
    EDITTEXT typed{Sjis(c.typed), 0, 0};
    typed.nSelStart = typed.nSelEnd = static_cast<int>(typed.strText.size());
    EDITTEXT kept = ApplyEditLimit(name, {}, typed, false, false);
    EXPECT_EQ(kept.strText, Sjis(c.kept)) << c.typed;
    EXPECT_EQ(kept.nSelEnd, static_cast<int>(kept.strText.size())) << c.typed << ": caret after the last kept";
  }
}

TEST(DlgEditLimit, LinesBytesAndSelection) {
  // Extra lines are refused while typing and cut at the first update.
  const EDITLIMIT two{10, 2, true};
  const EDITTEXT last{"ab\r\ncd", 6, 6};
  EXPECT_EQ(ApplyEditLimit(two, last, {"ab\r\ncd\r\nef", 10, 10}, false, false).strText, "ab\r\ncd");
  EXPECT_EQ(ApplyEditLimit(two, {}, {"ab\r\ncd\r\nef", 10, 10}, true, false).strText, "ab\r\ncd");
  // Byte counting: a double-byte character is two.
  const EDITLIMIT bytes{3, 1, false};
  EXPECT_EQ(ApplyEditLimit(bytes, {}, {"abcd", 4, 4}, false, false).strText, "abc");
  // A cut in the first line moves a caret in the second one back.
  const EDITLIMIT three{3, 2, true};
  EDITTEXT k = ApplyEditLimit(three, {}, {"abcd\r\nxy", 8, 8}, false, false);
  EXPECT_EQ(k.strText, "abc\r\nxy");
  EXPECT_EQ(k.nSelEnd, 7);
  // No limit at all: anything goes.
  EXPECT_EQ(ApplyEditLimit({0, 0, true}, {}, {"abcdef", 0, 0}, false, false).strText, "abcdef");
}

TEST(DlgCommands, CommandSentFromInsideACommandIsIgnored) {
  static const DLGITEM kItems[] = {{10, CS_DEFPUSH, 0, 0, 40, 14, "OK"}};
  static const DLGLAYOUT kLayout = {"", 9, 100, 50, false, kItems, 1};
  struct cNesting : public cDlg {
    cNesting() : cDlg(kLayout) {}
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override {
      ++m_nCalls;
      SendMsg(WM_COMMAND, wParam, lParam);
      return 0;
    }
    int m_nCalls = 0;
  } dlg;
  dlg.SendMsg(WM_INITDIALOG, 0, 0);
  dlg.HandleEvent(Key(VK_RETURN));
  EXPECT_EQ(dlg.m_nCalls, 1);
  dlg.HandleEvent(Key(VK_RETURN));
  EXPECT_EQ(dlg.m_nCalls, 2) << "the flag is cleared after the outer command";
}

TEST_F(DialogLoop, ButtonEndsTheDialogAndTheFrameIsDrawnOverTheBackground) {
  cScriptHost host;
  host.m_qEvents.push_back(Key(VK_RETURN));
  cMessageBoxDlg box(Sjis("本文"), Sjis("題"), MB_YESNO);
  EXPECT_EQ(DialogModal(box, 0, &host), IDYES);
  EXPECT_EQ(host.m_nEnded, 1);
  ASSERT_FALSE(host.m_vFrames.empty());
  // The last frame puts the picture back as it was.
  EXPECT_EQ(host.m_vFrames.back(), std::vector<uint32_t>(640 * 480, 0x123456));
  EXPECT_TRUE(MainMessages().empty());
}

TEST_F(DialogLoop, CloseQuitEscapeAndShutdownEndTheDialog) {
  struct CASE {
    const char* what;
    UINT post;  // posted before the loop runs (0: none)
    bool bEscape;
    bool bShutdown;
    int result;
    std::vector<UINT> left;  // what the loop leaves for the main loop
  } cases[] = {
      {"close box", WM_CLOSE, false, false, IDNO, {WM_CLOSE}},
      {"quit", WM_QUIT, false, false, IDNO, {WM_QUIT}},
      {"Esc cancels the dialog alone, the game goes on", 0, true, false, IDNO, {}},
      {"shut-down", 0, false, true, IDNO, {}},
  };
  for (const CASE& c : cases) {
    ResetMessageLayerForTests();
    m_hMain = CreateMessageWindow(&NullProc);
    g_hWndMain = m_hMain;
    cScriptHost host;
    if (c.post == WM_CLOSE) PostMessage(m_hMain, WM_CLOSE, 0, 0);
    if (c.post == WM_QUIT) PostQuitMessage(3);
    if (c.bEscape) host.m_qEvents.push_back(Key(VK_ESCAPE));
    if (c.bShutdown) BeginShutdown();
    cMessageBoxDlg box(Sjis("本文"), Sjis("題"), MB_YESNO);
    EXPECT_EQ(DialogModal(box, 0, &host), c.result) << c.what;
    EXPECT_EQ(MainMessages(), c.left) << c.what;
  }
}

TEST_F(DialogLoop, KeyMessagesForTheMainWindowAreDroppedOthersServed) {
  static int s_nPaints = 0;
  static int s_nKeys = 0;
  s_nPaints = s_nKeys = 0;
  HWND h = CreateMessageWindow([](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == WM_PAINT) ++s_nPaints;
    if (m == WM_KEYDOWN) ++s_nKeys;
    return 0;
  });
  g_hWndMain = h;
  PostMessage(h, WM_KEYDOWN, VK_RETURN, 0);
  PostMessage(h, WM_PAINT, 0, 0);
  cScriptHost host;
  cMessageBoxDlg box(Sjis("本文"), Sjis("題"), MB_OK);
  // The box ends at the first round of events, after the queue was served.
  host.m_qEvents.push_back(Key(VK_RETURN));
  EXPECT_EQ(DialogModal(box, 0, &host), IDOK);
  EXPECT_EQ(s_nKeys, 0);
  EXPECT_EQ(s_nPaints, 1);
}

TEST_F(DialogLoop, ABoxFromTheGameThreadIsDrawnHereWhileRequestsAreStillServed) {
  static std::atomic<int> s_nRequests{0};
  s_nRequests = 0;
  HWND hMain = CreateMessageWindow([](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == WM_USER + 5) ++s_nRequests;
    return 0;
  });
  g_hWndMain = hMain;
  // The player answers only once the other thread's request was served: had
  // the box stopped serving, it would never be answered.
  static std::atomic<bool> s_bOpen{false};
  s_bOpen = false;
  struct cAfterRequestHost : public cScriptHost {
    bool Begin() override {
      s_bOpen = true;
      return true;
    }
    bool NextEvent(DLGEVENT& e) override {
      if (s_nRequests < 1 || m_bAnswered) return false;
      m_bAnswered = true;
      e = Key('N');
      return true;
    }
    bool m_bAnswered = false;
  } host;
  SetDialogHostForTests(&host);
  CreateDialogHostWindow();
  std::atomic<int> nAnswer{-1};
  std::atomic<bool> bDone{false};
  std::thread game([&] {
    nAnswer = RunBoxOnWindowThread(Sjis("保存しますか？"), Sjis("確認"), MB_YESNO);
    bDone = true;
  });
  // Sent only while the box is open, so only the box's loop can serve it.
  std::thread other([&] {
    while (!s_bOpen) Sleep(1);
    SendMessage(hMain, WM_USER + 5, 0, 0);
  });
  // This thread is the window thread: it serves the box and the other send.
  const DWORD start = timeGetTime();
  while (!bDone && timeGetTime() - start < 5000) {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    Sleep(1);
  }
  game.join();
  other.join();
  SetDialogHostForTests(nullptr);
  EXPECT_EQ(nAnswer, IDNO);
  EXPECT_EQ(s_nRequests, 1);
}
