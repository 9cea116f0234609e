// The message layer: one queue per thread, windows owned by the thread that
// made them, posts from any thread, and sends that block the sender until the
// owning thread has handled them. Once shut-down starts, every pending and
// later cross-thread send returns 0 at once.
#pragma once

#include <atomic>

#include "platform/win_types.h"

typedef LRESULT (*WNDPROC)(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The main window's handle, a copy of the main window object's; null while
// there is no window (posts to it then do nothing). Atomic: the window
// thread sets and clears it while the game-side threads post to it.
extern std::atomic<HWND> g_hWndMain;

// Ids of our own: 1, 2, 3... in the order threads first touch the layer.
DWORD GetCurrentThreadId();

// Makes the queue of thread `threadId` (a thread's starter does this before
// the thread runs, so that a post to it never fails once it exists).
void CreateThreadQueue(DWORD threadId);
// Drops the queue of a thread that has ended; later posts to it fail.
void DestroyThreadQueue(DWORD threadId);
// A fresh thread id, not yet bound to a running thread.
DWORD AllocateThreadId();
// Binds the calling thread to an id made with AllocateThreadId.
void BindCurrentThreadId(DWORD threadId);

// A window owned by the calling thread; its procedure handles the messages
// dispatched and sent to it.
HWND CreateMessageWindow(WNDPROC proc);
BOOL DestroyMessageWindow(HWND hWnd);
BOOL IsWindow(HWND hWnd);
DWORD GetWindowThreadId(HWND hWnd);

BOOL PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Retrieval on the calling thread's queue. Messages sent from other threads
// to the calling thread's windows are handled inside these calls.
BOOL PeekMessage(MSG* pMsg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// 0 on WM_QUIT, nonzero otherwise; blocks until a message arrives.
BOOL GetMessage(MSG* pMsg, HWND hWnd, UINT filterMin, UINT filterMax);
// Blocks until the calling thread's queue has something (or the wake hook
// fires, or the wait times out when timeoutMs is not 0xFFFFFFFF).
BOOL WaitMessage();
BOOL WaitMessageTimeout(DWORD timeoutMs);
BOOL TranslateMessage(const MSG* pMsg);
LRESULT DispatchMessage(const MSG* pMsg);
// Wakes a thread blocked in WaitMessage/GetMessage without a message (the
// window thread uses it for its own events).
void WakeThread(DWORD threadId);

// The window thread's outside events (the game window's input, frames to
// show) are gathered by this hook whenever that thread looks at its queue:
// PeekMessage calls it first, and the waits call it every few milliseconds,
// so nested loops (dialogs, a load that pumps) gather them too. Null removes
// it. The hook runs without the layer's lock and may post.
typedef void (*EVENTPUMP)();
void SetEventPump(DWORD threadId, EVENTPUMP pfn);

// Shut-down: from here on cross-thread sends return 0 without waiting, and
// the ones already waiting are released.
void BeginShutdown();
bool IsShuttingDown();
// Tests only: forget the shut-down state and every queue and window.
void ResetMessageLayerForTests();

// Time and waiting.
DWORD timeGetTime();
UINT timeBeginPeriod(UINT ms);
UINT timeEndPeriod(UINT ms);
void Sleep(DWORD ms);
// The clock that timeGetTime reads can be replaced (tests, paced runs).
typedef DWORD (*TIMEFUNC)();
void SetTimeSource(TIMEFUNC pfn);
