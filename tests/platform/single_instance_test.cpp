#include "platform/single_instance.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

// A runtime folder of the test's own, named by $XDG_RUNTIME_DIR for the
// life of the object.
struct cRuntimeFolder {
  std::string m_strPath;
  std::string m_strOld;
  bool m_bHadOld = false;

  explicit cRuntimeFolder(mode_t mode) {
    char name[] = "/tmp/t4-runtime-XXXXXX";
    if (::mkdtemp(name)) m_strPath = name;
    ::chmod(m_strPath.c_str(), mode);
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
      m_bHadOld = true;
      m_strOld = old;
    }
    ::setenv("XDG_RUNTIME_DIR", m_strPath.c_str(), 1);
  }
  ~cRuntimeFolder() {
    if (m_bHadOld) ::setenv("XDG_RUNTIME_DIR", m_strOld.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    std::filesystem::remove_all(m_strPath, ec);
  }
};

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

// The lock lives in the user's runtime folder only while that folder is
// private; otherwise in a 0700 folder of the user's own.
TEST(SingleInstance, LockFolderIsPrivate) {
  cTempFolder game;
  for (mode_t mode : {0700, 0755, 0777}) {
    SCOPED_TRACE(mode);
    cRuntimeFolder run(mode);
    std::string path = InstanceLockPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind(run.m_strPath + "/", 0) == 0, mode == 0700) << path;
    struct stat st;
    ASSERT_EQ(::lstat(std::filesystem::path(path).parent_path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::getuid());
    EXPECT_EQ(st.st_mode & 077, 0u);
  }
}

// A link planted at the lock's name is never followed: the file it points
// to keeps its bytes and no file appears where a dangling one points. The
// game starts without the lock.
TEST(SingleInstance, PlantedLinkIsNotFollowed) {
  cTempFolder game;
  cRuntimeFolder run(0700);
  game.WriteFile("precious.txt", "saved game");
  const std::string target = game.Path() + "/precious.txt";
  for (const std::string& to : {target, game.Path() + "/created.txt"}) {
    SCOPED_TRACE(to);
    ::unlink(InstanceLockPath().c_str());
    ASSERT_EQ(::symlink(to.c_str(), InstanceLockPath().c_str()), 0);
    cInstanceLock lock;
    EXPECT_EQ(lock.Create(), cInstanceLock::LOCK_FIRST);
    EXPECT_FALSE(lock.IsHeld());
    lock.Release();
  }
  EXPECT_EQ(game.ReadFile("precious.txt"), "saved game");
  EXPECT_FALSE(game.Exists("created.txt"));
}

// A run leaves no lock file behind, and a file a killed copy left (with a
// longer id in it) is taken over without being emptied first.
TEST(SingleInstance, NoLockFileIsLeftAfterARun) {
  cTempFolder game;
  cRuntimeFolder run(0700);
  const std::string path = InstanceLockPath();
  {
    cInstanceLock lock;
    ASSERT_EQ(lock.Create(), cInstanceLock::LOCK_FIRST);
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_TRUE(Exists(path));
  }
  EXPECT_FALSE(Exists(path));
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "999999999999\n", 13), 13);
  ::close(fd);
  cInstanceLock lock;
  ASSERT_EQ(lock.Create(), cInstanceLock::LOCK_FIRST);
  cInstanceLock second;
  ASSERT_EQ(second.Create(), cInstanceLock::LOCK_ALREADY_RUNNING);
  // The id read back is ours: this process has no other copy to end.
  EXPECT_EQ(second.TerminateOther(), cInstanceLock::TERMINATE_NO_OTHER);
  lock.Release();
  second.Release();
  EXPECT_FALSE(Exists(path));
}

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
