// A virtual X display of a test's own (Xvfb on the first free display
// number, which it reports itself), and the X tools a test drives it with:
// several test runs may share the machine, so no display number is fixed.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

// True when the command is installed.
inline bool HasCommand(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a command line through the shell; its standard output, without the
// last line feed.
inline std::string RunCommand(const std::string& line) {
  std::string out;
  if (FILE* p = ::popen(line.c_str(), "r")) {
    char buf[256];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

class cXvfb {
 public:
  // Starts Xvfb with one screen of the given size ("1024x768x24").
  explicit cXvfb(const std::string& screen) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    m_Pid = ::fork();
    if (m_Pid == 0) {
      ::close(fds[0]);
      ::dup2(fds[1], 3);
      if (fds[1] != 3) ::close(fds[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    char c = 0;
    while (m_Pid > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) m_strDisplay = ":" + number;
  }
  ~cXvfb() {
    if (m_Pid <= 0) return;
    ::kill(m_Pid, SIGTERM);
    int status = 0;
    ::waitpid(m_Pid, &status, 0);
  }
  cXvfb(const cXvfb&) = delete;
  cXvfb& operator=(const cXvfb&) = delete;

  // ":N", or "" when the server did not start.
  const std::string& Display() const { return m_strDisplay; }
  // A command line run with this display.
  std::string Run(const std::string& line) const { return RunCommand("DISPLAY=" + m_strDisplay + " " + line); }

 private:
  pid_t m_Pid = -1;
  std::string m_strDisplay;
};
