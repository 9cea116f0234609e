// The thread object of the system's four worker threads (thGame, thPause,
// thStageWork, thLoader): start, wait for the end, and a cooperative end at
// shut-down (WM_QUIT and a stop flag; a thread is never killed).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/win_types.h"

// The thread procedure: one pointer argument, an unsigned result.
typedef unsigned (*THREADPROC)(void* pArg);

// Our own record of a running thread; cThread's handle points to it.
struct cThreadRecord;

// How long Exit waits for a thread that was told to end.
constexpr DWORD kThreadExitGraceMs = 2000;

class cThread {
 public:
  cThread();
  // Joins an ended thread; one still running (only possible when the program
  // ends abnormally) is told to stop and left to the process's end, since the
  // message layer may already be gone during static destruction.
  ~cThread();
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // Starts the thread at once. Its message queue exists before it runs, so
  // the starter's WM_APP handshake succeeds at the first post. FALSE when the
  // thread cannot be started, or when this object still holds a running one.
  BOOL Create(THREADPROC pfnProc, void* pArg);
  // Waits in 1 ms polls until the thread has ended, then drops the handle.
  // FALSE when no thread was held. When the calling thread is itself told to
  // stop meanwhile, the stop is handed on to the awaited thread.
  BOOL WaitClose();
  // No-ops: a thread cannot be suspended safely here, and every caller that
  // would need it is blocked in SendMessage anyway.
  BOOL Suspend();
  BOOL Resume();
  // Ends the thread: sets its stop flag, posts WM_QUIT and re-posts it every
  // millisecond until the thread has ended. A thread still running after
  // dwGraceMs goes to the stuck-thread handler (by default: a report line and
  // the end of the process). Returns at once when no thread is held.
  void Exit(DWORD dwGraceMs = kThreadExitGraceMs);

  std::atomic<DWORD> m_dwThreadId;
  // Null while no thread is held. Atomic: the window thread tests and ends
  // threads that the game thread starts.
  std::atomic<cThreadRecord*> m_hThread;

 private:
  std::shared_ptr<cThreadRecord> HeldRecord();
  void DropRecord(const std::shared_ptr<cThreadRecord>& rec);

  std::mutex m_Lock;  // guards m_spRecord and the two public fields' changes
  std::shared_ptr<cThreadRecord> m_spRecord;
};

// Threads: thGame is started and ended by the window thread; thLoader by
// the thread that loads a stage (it waits for it); thPause and thStageWork
// by the game thread. A cThread's own lock and atomics keep the one
// object whole when the window thread ends what another thread started.
extern cThread thGame;
extern cThread thPause;
extern cThread thLoader;
extern cThread thStageWork;

// True on a thread of a cThread that has been told to end (by Exit, or by a
// WaitClose whose caller was told to end). Long loops that do not read their
// queue (frame pacing, polls of a done flag) test it and leave.
bool IsThreadStopRequested();

// What Exit does with a thread still running after its grace period. The
// default writes a report line and ends the process; tests replace it.
// When the handler returns, Exit leaves the thread to itself and drops the
// handle.
typedef void (*STUCKTHREADHANDLER)(DWORD dwThreadId, DWORD dwGraceMs);
void SetStuckThreadHandlerForTests(STUCKTHREADHANDLER pfn);
