// How much memory a piece of work takes at its peak, for the tests that a
// hostile file is refused before it is allocated for. The work runs in a
// forked child: the test program's own high-water mark cannot hide it, and
// a load that takes gigabytes ends only the child.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

// The growth of the peak resident size in KiB while fn ran; -1 when fn gave
// false or the child did not finish (killed, or still running after a
// minute).
inline long PeakGrowthKb(const std::function<bool()>& fn) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    bool bOk = fn();
    ::getrusage(RUSAGE_SELF, &after);
    long growth = after.ru_maxrss - before.ru_maxrss;
    ssize_t n = ::write(fds[1], &growth, sizeof growth);
    ::_exit(bOk && n == static_cast<ssize_t>(sizeof growth) ? 0 : 1);
  }
  ::close(fds[1]);
  long growth = -1;
  if (pid > 0) {
    auto start = std::chrono::steady_clock::now();
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() - start > std::chrono::minutes(1)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    long v = 0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && ::read(fds[0], &v, sizeof v) == sizeof v) growth = v;
  }
  ::close(fds[0]);
  return growth;
}
