#include "platform/single_instance.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int kWaitForOtherMs = 500;

std::string ReadSmallFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::string s;
  std::getline(f, s, '\0');
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

pid_t ReadPid(int fd) {
  char buf[32] = {};
  ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
  if (n <= 0) return 0;
  long v = std::strtol(buf, nullptr, 10);
  return v > 0 ? static_cast<pid_t>(v) : 0;
}

// A stale id left by a copy that was killed could name an unrelated process
// by now: only a process running the same program is ours to end.
bool RunsThisProgram(pid_t pid) {
  std::string mine = ReadSmallFile("/proc/self/comm");
  std::string theirs = ReadSmallFile("/proc/" + std::to_string(pid) + "/comm");
  return mine.empty() || theirs.empty() || mine == theirs;
}

// A folder only this user can write: a real folder (not a link), owned by
// the user, with no rights for the group or others. Anyone else able to
// write there could plant a link at the lock's name.
bool IsPrivateFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && path[0] == '/' && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// Where the locks live: $XDG_RUNTIME_DIR when it is private as it should
// be, else a 0700 folder of the user's own under the temporary folder. ""
// when neither can be had.
std::string LockFolder() {
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && IsPrivateFolder(run)) return run;
  std::error_code ec;
  fs::path tmp = fs::temp_directory_path(ec);
  if (ec) tmp = "/tmp";
  std::string own = (tmp / ("tarvolin4-" + std::to_string(::getuid()))).string();
  // mkdir never replaces what is there; whatever is there must pass the
  // same check as a folder we made.
  ::mkdir(own.c_str(), 0700);
  return IsPrivateFolder(own) ? own : std::string();
}

bool SameFile(int fd, const std::string& path) {
  struct stat a, b;
  return ::fstat(fd, &a) == 0 && ::lstat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string InstanceLockPath() {
  std::string folder = LockFolder();
  if (folder.empty()) return std::string();
  std::error_code ec;
  fs::path game = fs::weakly_canonical(fs::current_path(ec), ec);
  // FNV-1a of the game folder's path names the lock.
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : game.string()) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "game-%016llx.lock", static_cast<unsigned long long>(h));
  return folder + "/" + name;
}

bool cInstanceLock::OpenLockFile() {
  // O_NOFOLLOW: a link at the lock's name is never followed; O_NONBLOCK: a
  // pipe there never holds the open. Nothing opened here is ever truncated.
  m_nFd = ::open(m_strPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
  if (m_nFd < 0) return false;
  struct stat st;
  if (::fstat(m_nFd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
    ::close(m_nFd);
    m_nFd = -1;
    return false;
  }
  return true;
}

bool cInstanceLock::TryLock() {
  // The holder before us may have removed the file as it let go: a lock on
  // a file no longer at the lock's name locks nothing. The name is opened
  // anew and tried again (a few times: another copy may be doing the same).
  for (int nTry = 0;; ++nTry) {
    if (m_nFd < 0 && !OpenLockFile()) return false;
    if (::flock(m_nFd, LOCK_EX | LOCK_NB) != 0) return false;
    if (SameFile(m_nFd, m_strPath)) break;
    ::close(m_nFd);
    m_nFd = -1;
    if (nTry == 3) return false;
  }
  m_bHeld = true;
  // The id ends at its line feed: whatever a longer id left after it is
  // never read.
  std::string pid = std::to_string(::getpid()) + "\n";
  bool bWritten = ::pwrite(m_nFd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
  // A failed write leaves the lock held; only a second copy's "terminate"
  // then finds no one to end.
  (void)bWritten;
  return true;
}

cInstanceLock::CREATERESULT cInstanceLock::Create() {
  Release();
  m_strPath = InstanceLockPath();
  if (m_strPath.empty() || !OpenLockFile()) return LOCK_FIRST;
  if (TryLock()) return LOCK_FIRST;
  return LOCK_ALREADY_RUNNING;
}

cInstanceLock::TERMINATERESULT cInstanceLock::TerminateOther() {
  if (m_nFd < 0 || m_bHeld) return TERMINATE_NO_OTHER;
  pid_t pid = ReadPid(m_nFd);
  if (pid <= 0 || pid == ::getpid() || !RunsThisProgram(pid)) return TERMINATE_NO_OTHER;
  if (::kill(pid, 0) != 0 || ::kill(pid, SIGTERM) != 0) return TERMINATE_CANNOT_OPEN;
  // The kernel lets go of the lock when the other copy has ended.
  auto waitForLock = [this] {
    for (int ms = 0; ms < kWaitForOtherMs; ms += 5) {
      if (TryLock()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return TryLock();
  };
  if (waitForLock()) return TERMINATE_DONE;
  ::kill(pid, SIGKILL);
  waitForLock();
  return TERMINATE_DONE;
}

void cInstanceLock::Release() {
  if (m_nFd < 0) return;
  if (m_bHeld) {
    // Removed while still held, so no file of ours is left behind; a copy
    // that opened it meanwhile sees it gone once it gets the lock.
    if (SameFile(m_nFd, m_strPath)) ::unlink(m_strPath.c_str());
    ::flock(m_nFd, LOCK_UN);
  }
  ::close(m_nFd);
  m_nFd = -1;
  m_bHeld = false;
}
