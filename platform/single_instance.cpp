#include "platform/single_instance.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
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

}  // namespace

std::string InstanceLockPath() {
  std::error_code ec;
  fs::path folder = fs::weakly_canonical(fs::current_path(ec), ec);
  // FNV-1a of the folder's path names the lock.
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : folder.string()) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  fs::path tmp = fs::temp_directory_path(ec);
  if (ec) tmp = "/tmp";
  char name[80];
  std::snprintf(name, sizeof name, "tarvolin4-%u-%016llx.lock", static_cast<unsigned>(::getuid()),
                static_cast<unsigned long long>(h));
  return (tmp / name).string();
}

bool cInstanceLock::TryLock() {
  if (::flock(m_nFd, LOCK_EX | LOCK_NB) != 0) return false;
  m_bHeld = true;
  std::string pid = std::to_string(::getpid());
  // A failed write leaves the lock held; only a second copy's "terminate"
  // then finds no one to end.
  bool bWritten = ::ftruncate(m_nFd, 0) == 0 && ::pwrite(m_nFd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
  (void)bWritten;
  return true;
}

cInstanceLock::CREATERESULT cInstanceLock::Create() {
  Release();
  m_nFd = ::open(InstanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (m_nFd < 0) return LOCK_FIRST;
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
    // A later copy that finds the file never reads a stale id from us.
    bool bCleared = ::ftruncate(m_nFd, 0) == 0;
    (void)bCleared;
    ::flock(m_nFd, LOCK_UN);
  }
  ::close(m_nFd);
  m_nFd = -1;
  m_bHeld = false;
}
