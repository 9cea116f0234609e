#include "base/thread_wrapper.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <thread>

#include "platform/messages.h"
#include "base/report.h"

struct cThreadRecord {
  std::thread m_Thread;
  DWORD m_dwThreadId = 0;
  std::atomic<bool> m_bEnded{false};
  std::atomic<bool> m_bStopRequested{false};
  // Two threads may wait for the same thread (the game thread in WaitClose,
  // the window thread in Exit); only one may join it.
  std::mutex m_JoinLock;
};

namespace {

thread_local cThreadRecord* t_pSelf = nullptr;

void DefaultStuckThread(DWORD dwThreadId, DWORD dwGraceMs) {
  Reportf("thread %u did not end within %u ms; the program ends", static_cast<unsigned>(dwThreadId),
          static_cast<unsigned>(dwGraceMs));
  // The thread may hold any lock of the process; nothing more can be run
  // safely, not even static destructors.
  std::_Exit(1);
}

std::atomic<STUCKTHREADHANDLER> s_pfnStuck{&DefaultStuckThread};

void ThreadBody(std::shared_ptr<cThreadRecord> rec, THREADPROC pfnProc, void* pArg) {
  BindCurrentThreadId(rec->m_dwThreadId);
  t_pSelf = rec.get();
  try {
    pfnProc(pArg);
  } catch (const std::exception& e) {
    Reportf("thread %u ended by an exception: %s", static_cast<unsigned>(rec->m_dwThreadId), e.what());
  } catch (...) {
    Reportf("thread %u ended by an exception", static_cast<unsigned>(rec->m_dwThreadId));
  }
  t_pSelf = nullptr;
  // Later posts to this thread fail, as they do to a thread that has ended.
  DestroyThreadQueue(rec->m_dwThreadId);
  rec->m_bEnded = true;
}

void Join(cThreadRecord& rec) {
  std::lock_guard<std::mutex> lk(rec.m_JoinLock);
  if (rec.m_Thread.joinable()) rec.m_Thread.join();
}

}  // namespace

cThread::cThread() : m_dwThreadId(0), m_hThread(nullptr) {}

cThread::~cThread() {
  std::shared_ptr<cThreadRecord> rec = std::move(m_spRecord);
  if (!rec) return;
  std::lock_guard<std::mutex> lk(rec->m_JoinLock);
  if (!rec->m_Thread.joinable()) return;
  if (rec->m_bEnded) {
    rec->m_Thread.join();
  } else {
    rec->m_bStopRequested = true;
    rec->m_Thread.detach();
  }
}

std::shared_ptr<cThreadRecord> cThread::HeldRecord() {
  std::lock_guard<std::mutex> lk(m_Lock);
  return m_spRecord;
}

void cThread::DropRecord(const std::shared_ptr<cThreadRecord>& rec) {
  std::lock_guard<std::mutex> lk(m_Lock);
  if (m_spRecord != rec) return;  // someone else has dropped it already
  m_spRecord.reset();
  m_hThread = nullptr;
}

BOOL cThread::Create(THREADPROC pfnProc, void* pArg) {
  std::lock_guard<std::mutex> lk(m_Lock);
  if (m_spRecord) {
    if (!m_spRecord->m_bEnded) {
      Reportf("thread %u is still running; a second start was refused",
              static_cast<unsigned>(m_spRecord->m_dwThreadId));
      return FALSE;
    }
    // A thread that ended by itself and was never waited for.
    Join(*m_spRecord);
    m_spRecord.reset();
    m_hThread = nullptr;
  }
  auto rec = std::make_shared<cThreadRecord>();
  rec->m_dwThreadId = AllocateThreadId();
  CreateThreadQueue(rec->m_dwThreadId);
  try {
    rec->m_Thread = std::thread(&ThreadBody, rec, pfnProc, pArg);
  } catch (const std::exception&) {
    DestroyThreadQueue(rec->m_dwThreadId);
    return FALSE;
  }
  m_spRecord = rec;
  m_dwThreadId = rec->m_dwThreadId;
  m_hThread = rec.get();
  return TRUE;
}

BOOL cThread::WaitClose() {
  std::shared_ptr<cThreadRecord> rec = HeldRecord();
  if (!rec) return FALSE;
  bool bHandedOn = false;
  while (!rec->m_bEnded) {
    if (!bHandedOn && IsThreadStopRequested()) {
      bHandedOn = true;
      rec->m_bStopRequested = true;
    }
    if (bHandedOn) PostThreadMessage(rec->m_dwThreadId, WM_QUIT, 0, 0);
    Sleep(1);
  }
  Join(*rec);
  DropRecord(rec);
  return TRUE;
}

BOOL cThread::Suspend() { return TRUE; }
BOOL cThread::Resume() { return TRUE; }

void cThread::Exit(DWORD dwGraceMs) {
  std::shared_ptr<cThreadRecord> rec = HeldRecord();
  if (!rec) return;
  Resume();
  Logf("Exit A");
  rec->m_bStopRequested = true;
  PostThreadMessage(rec->m_dwThreadId, WM_QUIT, 0, 0);
  Logf("Exit B");
  Logf("Exit C");
  // Measured on the real clock: under fast pacing timeGetTime is a frame
  // clock that stands still here.
  const auto start = std::chrono::steady_clock::now();
  const auto grace = std::chrono::milliseconds(dwGraceMs);
  while (!rec->m_bEnded) {
    Sleep(1);
    PostThreadMessage(rec->m_dwThreadId, WM_QUIT, 0, 0);
    if (std::chrono::steady_clock::now() - start >= grace) {
      s_pfnStuck.load()(rec->m_dwThreadId, dwGraceMs);
      // The handler came back (tests): the thread keeps its stop flag and is
      // left to end by itself.
      {
        std::lock_guard<std::mutex> lk(rec->m_JoinLock);
        if (rec->m_Thread.joinable()) rec->m_Thread.detach();
      }
      DropRecord(rec);
      return;
    }
  }
  Logf("Exit D");
  Join(*rec);
  DropRecord(rec);
  Logf("Exit E");
}

bool IsThreadStopRequested() { return t_pSelf && t_pSelf->m_bStopRequested.load(); }

void SetStuckThreadHandlerForTests(STUCKTHREADHANDLER pfn) { s_pfnStuck.store(pfn ? pfn : &DefaultStuckThread); }
