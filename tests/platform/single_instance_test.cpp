#include "platform/single_instance.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

// A stand-in for the other copy: a child that takes the lock the way the
// program does (raw calls only, after fork) and then waits to be ended.
struct cOtherCopy {
  pid_t m_Pid = -1;

  explicit cOtherCopy(bool bIgnoreTerm) {
    std::string path = InstanceLockPath();
    int ready[2];
    if (::pipe(ready) != 0) return;
    m_Pid = ::fork();
    if (m_Pid == 0) {
      if (bIgnoreTerm) ::signal(SIGTERM, SIG_IGN);
      int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
      if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) ::_exit(3);
      std::string pid = std::to_string(::getpid());
      if (::ftruncate(fd, 0) != 0 || ::write(fd, pid.data(), pid.size()) < 0) ::_exit(4);
      char c = 1;
      if (::write(ready[1], &c, 1) != 1) ::_exit(5);
      for (;;) ::pause();
    }
    char c = 0;
    ::close(ready[1]);
    if (::read(ready[0], &c, 1) != 1) m_Pid = -1;
    ::close(ready[0]);
  }
  // The child's end: the signal that ended it, or -1.
  int Reap(bool bKill) {
    if (m_Pid <= 0) return -1;
    if (bKill) ::kill(m_Pid, SIGKILL);
    int status = 0;
    ::waitpid(m_Pid, &status, 0);
    m_Pid = -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
  }
  ~cOtherCopy() { Reap(true); }
};

void OverwriteLockFile(const std::string& text) {
  int fd = ::open(InstanceLockPath().c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 0), 0);
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(fd);
}

}  // namespace

TEST(SingleInstance, SecondLockSeesTheFirstUntilReleased) {
  cTempFolder folder;
  cInstanceLock first;
  ASSERT_EQ(first.Create(), cInstanceLock::LOCK_FIRST);
  EXPECT_TRUE(first.IsHeld());
  cInstanceLock second;
  EXPECT_EQ(second.Create(), cInstanceLock::LOCK_ALREADY_RUNNING);
  // The holder is this very process: there is no other copy to end.
  EXPECT_EQ(second.TerminateOther(), cInstanceLock::TERMINATE_NO_OTHER);
  first.Release();
  EXPECT_EQ(second.Create(), cInstanceLock::LOCK_FIRST);
}

TEST(SingleInstance, LocksOfOtherFoldersDoNotMeet) {
  std::string pathA;
  {
    cTempFolder a;
    pathA = InstanceLockPath();
    cTempFolder b;
    EXPECT_NE(InstanceLockPath(), pathA);
  }
}

TEST(SingleInstance, TerminateEndsTheOtherCopyAndTakesItsLock) {
  struct CASE {
    const char* m_pszName;
    bool m_bIgnoreTerm;
    int m_nSignal;
  } cases[] = {{"ends at SIGTERM", false, SIGTERM}, {"ignores SIGTERM", true, SIGKILL}};
  for (const CASE& c : cases) {
    cTempFolder folder;
    cOtherCopy other(c.m_bIgnoreTerm);
    ASSERT_GT(other.m_Pid, 0) << c.m_pszName;
    cInstanceLock lock;
    ASSERT_EQ(lock.Create(), cInstanceLock::LOCK_ALREADY_RUNNING) << c.m_pszName;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(lock.TerminateOther(), cInstanceLock::TERMINATE_DONE) << c.m_pszName;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(ms, 2000) << c.m_pszName;
    EXPECT_EQ(other.Reap(false), c.m_nSignal) << c.m_pszName;
    EXPECT_TRUE(lock.IsHeld()) << c.m_pszName;
  }
}

TEST(SingleInstance, HolderThatCannotBeSignalledOrIsAnotherProgram) {
  cTempFolder folder;
  cOtherCopy other(false);
  ASSERT_GT(other.m_Pid, 0);
  cInstanceLock lock;
  ASSERT_EQ(lock.Create(), cInstanceLock::LOCK_ALREADY_RUNNING);
  // An id no process has: the process cannot be opened.
  OverwriteLockFile("2147483000");
  EXPECT_EQ(lock.TerminateOther(), cInstanceLock::TERMINATE_CANNOT_OPEN);
  // A stale id naming another program (process 1) is never signalled.
  OverwriteLockFile("1");
  EXPECT_EQ(lock.TerminateOther(), cInstanceLock::TERMINATE_NO_OTHER);
  // An empty file: the other copy is still starting.
  OverwriteLockFile("");
  EXPECT_EQ(lock.TerminateOther(), cInstanceLock::TERMINATE_NO_OTHER);
  EXPECT_FALSE(lock.IsHeld());
}
