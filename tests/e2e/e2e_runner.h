// Runs the real tarvolin4 in a folder for end-to-end tests: the seams of
// this process are dropped and the test's own set, headless unless the test
// says otherwise; standard error goes to a file; every wait is bounded.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

using Env = std::map<std::string, std::string>;

inline const char* const kBinary = T4_BINARY_DIR "/tarvolin4";

// An env value of "" unsets that switch (TARVOLIN4_HEADLESS="" runs with a
// window when there is a display). `arg`, when given, is the command line.
// `launcher`, when given, is a program the game is started through (such
// as xvfb-run with its options), followed by the game's path.
inline pid_t StartGame(const std::string& dir, const Env& env, const std::string& stderrFile,
                       const std::string& arg = "", const std::vector<std::string>& launcher = {}) {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (::chdir(dir.c_str()) != 0) ::_exit(120);
  int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  int nul = ::open("/dev/null", O_RDWR);
  if (err < 0 || nul < 0) ::_exit(121);
  ::dup2(err, 2);
  ::dup2(nul, 1);
  ::dup2(nul, 0);
  for (const char* name : {"TARVOLIN4_ANSWERS", "TARVOLIN4_INPUT", "TARVOLIN4_EXIT_AFTER", "TARVOLIN4_FAST",
                           "TARVOLIN4_SCREENSHOT", "TARVOLIN4_SCREENSHOT_AT", "TARVOLIN4_PLAYLOG",
                           "TARVOLIN4_AUDIO_DUMP"}) {
    ::unsetenv(name);
  }
  ::setenv("TARVOLIN4_HEADLESS", "1", 1);
  for (const auto& [k, v] : env) {
    if (v.empty()) {
      ::unsetenv(k.c_str());
    } else {
      ::setenv(k.c_str(), v.c_str(), 1);
    }
  }
  std::vector<std::string> words = launcher;
  words.push_back(kBinary);
  if (!arg.empty()) words.push_back(arg);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  ::_exit(122);
}

// How many times slower the program runs in this build: ThreadSanitizer's
// builds make every wait that much longer.
#if defined(__SANITIZE_THREAD__)
constexpr long kSanitizerSlowdown = 4;
#else
constexpr long kSanitizerSlowdown = 1;
#endif

// The exit code, or -(signal); kTimedOut when the child is still running
// after timeoutMs (times the build's slow-down; it is then killed).
constexpr int kTimedOut = 1000;
inline int WaitExit(pid_t pid, long timeoutMs) {
  timeoutMs *= kSanitizerSlowdown;
  auto start = std::chrono::steady_clock::now();
  for (;;) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return kTimedOut;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// The game run in dir to its end, paced without sleeping, its standard
// error written to dir/stderr.txt: returns that text. The test fails when
// the game does not start, or does not end with 0 within timeoutMs.
inline std::string RunToExit(const std::string& dir, Env env, long timeoutMs = 60000) {
  env.emplace("TARVOLIN4_FAST", "1");
  const std::string errFile = dir + "/stderr.txt";
  const pid_t pid = StartGame(dir, env, errFile);
  const int nExit = pid > 0 ? WaitExit(pid, timeoutMs) : -1;
  std::ifstream in(errFile, std::ios::binary);
  const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_GT(pid, 0);
  EXPECT_EQ(nExit, 0) << err;
  return err;
}

inline bool StillRunning(pid_t pid) {
  int status = 0;
  return ::waitpid(pid, &status, WNOHANG) == 0;
}

// Expects a presented frame's picture file to hold the bytes of the golden
// picture at `golden`; with T4_UPDATE_GOLDEN set, the golden picture is
// written from it first.
inline void ExpectGoldenPicture(const std::string& shot, const std::string& golden) {
  if (std::getenv("T4_UPDATE_GOLDEN")) {
    std::filesystem::create_directories(std::filesystem::path(golden).parent_path());
    std::ofstream(golden, std::ios::binary) << shot;
  }
  std::ifstream in(golden, std::ios::binary);
  ASSERT_TRUE(in) << "no golden picture; make it once with T4_UPDATE_GOLDEN=1";
  const std::string want((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(shot == want) << "the picture differs from " << golden;
}
