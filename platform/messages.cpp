#include "platform/messages.h"

#include <atomic>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

std::atomic<HWND> g_hWndMain{nullptr};

struct cPlatformWindow {
  DWORD m_dwThreadId;
  WNDPROC m_pfnProc;
  bool m_bAlive;
};

namespace {

struct cSentMessage {
  MSG m_Msg;
  LRESULT m_lResult = 0;
  bool m_bDone = false;
};

struct cThreadQueue {
  std::deque<MSG> m_Posted;
  std::deque<std::shared_ptr<cSentMessage>> m_Sent;
  bool m_bWake = false;
  std::condition_variable m_Cv;
};

// One lock for the whole layer: the queues are short and the game posts a
// few messages per frame at most.
std::mutex s_Lock;
std::condition_variable s_SendDone;
std::map<DWORD, std::shared_ptr<cThreadQueue>> s_Queues;
std::map<cPlatformWindow*, std::unique_ptr<cPlatformWindow>> s_Windows;
std::atomic<DWORD> s_NextThreadId{1};
std::atomic<bool> s_bShutdown{false};
thread_local DWORD t_dwThreadId = 0;

// The event pump of the window thread (see SetEventPump).
std::atomic<DWORD> s_dwPumpThread{0};
std::atomic<EVENTPUMP> s_pfnPump{nullptr};
thread_local bool t_bInPump = false;
// How long a wait on the pump thread sleeps between two pumps: the input
// latency of a window thread that waits (inactive, or in a modal loop).
constexpr DWORD kPumpSliceMs = 5;

// The hook for the calling thread, null when it has none (or is inside it).
EVENTPUMP OwnPump() {
  if (t_bInPump || t_dwThreadId == 0 || s_dwPumpThread.load() != t_dwThreadId) return nullptr;
  return s_pfnPump.load();
}

void RunPump(EVENTPUMP pfn) {
  t_bInPump = true;
  pfn();
  t_bInPump = false;
}

std::shared_ptr<cThreadQueue> QueueOf(DWORD id) {
  auto it = s_Queues.find(id);
  return it == s_Queues.end() ? nullptr : it->second;
}

std::shared_ptr<cThreadQueue> OwnQueueLocked() {
  DWORD id = GetCurrentThreadId();
  auto& q = s_Queues[id];
  if (!q) q = std::make_shared<cThreadQueue>();
  return q;
}

bool InFilter(const MSG& m, HWND hWnd, UINT lo, UINT hi) {
  if (hWnd && m.hwnd != hWnd) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

cPlatformWindow* LiveWindowLocked(HWND h) {
  auto it = s_Windows.find(h);
  if (it == s_Windows.end() || !it->second->m_bAlive) return nullptr;
  return it->second.get();
}

// Handles every message sent to this thread's windows; called with the lock
// held, and drops it around each window procedure.
void ServeSentLocked(std::unique_lock<std::mutex>& lk, const std::shared_ptr<cThreadQueue>& q) {
  while (!q->m_Sent.empty()) {
    std::shared_ptr<cSentMessage> s = q->m_Sent.front();
    q->m_Sent.pop_front();
    cPlatformWindow* w = LiveWindowLocked(s->m_Msg.hwnd);
    WNDPROC proc = w ? w->m_pfnProc : nullptr;
    lk.unlock();
    LRESULT r = proc ? proc(s->m_Msg.hwnd, s->m_Msg.message, s->m_Msg.wParam, s->m_Msg.lParam) : 0;
    lk.lock();
    s->m_lResult = r;
    s->m_bDone = true;
    s_SendDone.notify_all();
  }
}

DWORD DefaultTime() {
  using namespace std::chrono;
  static const steady_clock::time_point s_Start = steady_clock::now();
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now() - s_Start).count());
}

std::atomic<TIMEFUNC> s_pfnTime{&DefaultTime};

}  // namespace

DWORD GetCurrentThreadId() {
  if (t_dwThreadId == 0) t_dwThreadId = s_NextThreadId.fetch_add(1);
  return t_dwThreadId;
}

DWORD AllocateThreadId() { return s_NextThreadId.fetch_add(1); }

void BindCurrentThreadId(DWORD threadId) { t_dwThreadId = threadId; }

void CreateThreadQueue(DWORD threadId) {
  std::lock_guard<std::mutex> lk(s_Lock);
  auto& q = s_Queues[threadId];
  if (!q) q = std::make_shared<cThreadQueue>();
}

void DestroyThreadQueue(DWORD threadId) {
  std::lock_guard<std::mutex> lk(s_Lock);
  auto it = s_Queues.find(threadId);
  if (it == s_Queues.end()) return;
  // Whoever still waits on a send to this thread is released with 0.
  for (auto& s : it->second->m_Sent) s->m_bDone = true;
  s_Queues.erase(it);
  s_SendDone.notify_all();
}

HWND CreateMessageWindow(WNDPROC proc) {
  auto w = std::make_unique<cPlatformWindow>(cPlatformWindow{GetCurrentThreadId(), proc, true});
  HWND h = w.get();
  std::lock_guard<std::mutex> lk(s_Lock);
  s_Windows[h] = std::move(w);
  OwnQueueLocked();
  return h;
}

BOOL DestroyMessageWindow(HWND hWnd) {
  std::lock_guard<std::mutex> lk(s_Lock);
  cPlatformWindow* w = LiveWindowLocked(hWnd);
  if (!w) return FALSE;
  // The object stays (a stale handle must not be reused for another window);
  // it only stops taking messages.
  w->m_bAlive = false;
  return TRUE;
}

BOOL IsWindow(HWND hWnd) {
  std::lock_guard<std::mutex> lk(s_Lock);
  return LiveWindowLocked(hWnd) ? TRUE : FALSE;
}

DWORD GetWindowThreadId(HWND hWnd) {
  std::lock_guard<std::mutex> lk(s_Lock);
  cPlatformWindow* w = LiveWindowLocked(hWnd);
  return w ? w->m_dwThreadId : 0;
}

BOOL PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hWnd) return FALSE;
  std::lock_guard<std::mutex> lk(s_Lock);
  cPlatformWindow* w = LiveWindowLocked(hWnd);
  if (!w) return FALSE;
  auto q = QueueOf(w->m_dwThreadId);
  if (!q) return FALSE;
  q->m_Posted.push_back(MSG{hWnd, msg, wParam, lParam, timeGetTime()});
  q->m_Cv.notify_all();
  return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> lk(s_Lock);
  auto q = QueueOf(threadId);
  if (!q) return FALSE;
  q->m_Posted.push_back(MSG{nullptr, msg, wParam, lParam, timeGetTime()});
  q->m_Cv.notify_all();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  PostThreadMessage(GetCurrentThreadId(), WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::unique_lock<std::mutex> lk(s_Lock);
  cPlatformWindow* w = LiveWindowLocked(hWnd);
  if (!w) return 0;
  if (w->m_dwThreadId == GetCurrentThreadId()) {
    WNDPROC proc = w->m_pfnProc;
    lk.unlock();
    return proc ? proc(hWnd, msg, wParam, lParam) : 0;
  }
  if (s_bShutdown) return 0;
  auto q = QueueOf(w->m_dwThreadId);
  if (!q) return 0;
  auto s = std::make_shared<cSentMessage>();
  s->m_Msg = MSG{hWnd, msg, wParam, lParam, timeGetTime()};
  q->m_Sent.push_back(s);
  q->m_Cv.notify_all();
  // While we wait, messages sent to our own windows are still served, so two
  // threads sending to each other do not lock up.
  auto own = OwnQueueLocked();
  while (!s->m_bDone && !s_bShutdown) {
    ServeSentLocked(lk, own);
    if (s->m_bDone || s_bShutdown) break;
    s_SendDone.wait_for(lk, std::chrono::milliseconds(5));
  }
  return s->m_bDone ? s->m_lResult : 0;
}

BOOL PeekMessage(MSG* pMsg, HWND hWnd, UINT lo, UINT hi, UINT removeMsg) {
  if (EVENTPUMP pfn = OwnPump()) RunPump(pfn);
  std::unique_lock<std::mutex> lk(s_Lock);
  auto q = OwnQueueLocked();
  ServeSentLocked(lk, q);
  for (auto it = q->m_Posted.begin(); it != q->m_Posted.end(); ++it) {
    if (!InFilter(*it, hWnd, lo, hi)) continue;
    if (pMsg) *pMsg = *it;
    if (removeMsg & PM_REMOVE) q->m_Posted.erase(it);
    return TRUE;
  }
  return FALSE;
}

BOOL GetMessage(MSG* pMsg, HWND hWnd, UINT lo, UINT hi) {
  for (;;) {
    if (PeekMessage(pMsg, hWnd, lo, hi, PM_REMOVE)) {
      return pMsg->message == WM_QUIT ? FALSE : TRUE;
    }
    WaitMessageTimeout(50);
  }
}

BOOL WaitMessageTimeout(DWORD timeoutMs) {
  using namespace std::chrono;
  const bool bForever = timeoutMs == 0xFFFFFFFFu;
  const steady_clock::time_point end = steady_clock::now() + milliseconds(bForever ? 0 : timeoutMs);
  EVENTPUMP pfn = OwnPump();
  std::unique_lock<std::mutex> lk(s_Lock);
  auto q = OwnQueueLocked();
  auto ready = [&] { return !q->m_Posted.empty() || !q->m_Sent.empty() || q->m_bWake; };
  for (;;) {
    pfn = OwnPump();  // the window may have gone meanwhile
    if (pfn) {
      lk.unlock();
      RunPump(pfn);
      lk.lock();
    }
    if (ready()) break;
    steady_clock::time_point now = steady_clock::now();
    if (!bForever && now >= end) break;
    // Without a pump there is nothing to gather: wait for the queue alone.
    if (!pfn && bForever) {
      q->m_Cv.wait(lk, ready);
    } else {
      steady_clock::time_point until = bForever ? now + milliseconds(kPumpSliceMs) : end;
      if (pfn) until = std::min(until, now + milliseconds(kPumpSliceMs));
      q->m_Cv.wait_until(lk, until, ready);
    }
  }
  bool r = ready();
  q->m_bWake = false;
  ServeSentLocked(lk, q);
  return r ? TRUE : FALSE;
}

BOOL WaitMessage() { return WaitMessageTimeout(0xFFFFFFFFu); }

void WakeThread(DWORD threadId) {
  std::lock_guard<std::mutex> lk(s_Lock);
  auto q = QueueOf(threadId);
  if (!q) return;
  q->m_bWake = true;
  q->m_Cv.notify_all();
}

void SetEventPump(DWORD threadId, EVENTPUMP pfn) {
  s_pfnPump.store(pfn);
  s_dwPumpThread.store(pfn ? threadId : 0);
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessage(const MSG* pMsg) {
  if (!pMsg || !pMsg->hwnd) return 0;
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> lk(s_Lock);
    cPlatformWindow* w = LiveWindowLocked(pMsg->hwnd);
    if (w) proc = w->m_pfnProc;
  }
  return proc ? proc(pMsg->hwnd, pMsg->message, pMsg->wParam, pMsg->lParam) : 0;
}

void BeginShutdown() {
  std::lock_guard<std::mutex> lk(s_Lock);
  s_bShutdown = true;
  // Their senders return 0 now, and a send's arguments often point into the
  // sender's frame: a queued send must never be handled after this.
  for (auto& [id, q] : s_Queues) {
    for (auto& s : q->m_Sent) s->m_bDone = true;
    q->m_Sent.clear();
  }
  s_SendDone.notify_all();
}

bool IsShuttingDown() { return s_bShutdown.load(); }

void ResetMessageLayerForTests() {
  std::lock_guard<std::mutex> lk(s_Lock);
  s_bShutdown = false;
  for (auto& [id, q] : s_Queues) {
    for (auto& s : q->m_Sent) s->m_bDone = true;
  }
  s_Queues.clear();
  for (auto& [h, w] : s_Windows) w->m_bAlive = false;
  g_hWndMain = nullptr;
  s_pfnPump = nullptr;
  s_dwPumpThread = 0;
  s_SendDone.notify_all();
}

DWORD timeGetTime() { return s_pfnTime.load()(); }
UINT timeBeginPeriod(UINT) { return 0; }
UINT timeEndPeriod(UINT) { return 0; }
void Sleep(DWORD ms) {
  if (ms == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}
void SetTimeSource(TIMEFUNC pfn) { s_pfnTime.store(pfn ? pfn : &DefaultTime); }
