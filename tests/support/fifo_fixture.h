// Named pipes in place of game files, and a bounded run of code that might
// block opening one: the run is released from outside instead of hanging
// the test program.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

// Makes a named pipe at a native path (its folder must exist).
inline bool MakeFifo(const std::string& nativePath) {
  ::unlink(nativePath.c_str());
  return ::mkfifo(nativePath.c_str(), 0600) == 0;
}

// Runs fn on a thread; true when it finished within nMs. When it did not,
// the pipe's other ends are opened and closed (a blocked reader sees the end
// of the data, a blocked writer a reader), so the thread finishes and the
// test fails instead of hanging.
inline bool FinishesWithin(long nMs, const std::string& fifoPath, const std::function<void()>& fn) {
  std::packaged_task<void()> task(fn);
  std::future<void> done = task.get_future();
  std::thread t(std::move(task));
  bool bInTime = done.wait_for(std::chrono::milliseconds(nMs)) == std::future_status::ready;
  while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    for (int flags : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK}) {
      int fd = ::open(fifoPath.c_str(), flags);
      if (fd >= 0) ::close(fd);
    }
  }
  t.join();
  return bInTime;
}
