// The real program in the demo project, headless.
// Start-up: until it has presented the title's first frame and ended (the
// run a person waits through before the title shows, plus the close).
// Argument 0 starts on the DirectDraw path, 1 on the Direct3D one (the
// start-up dialog's answer). Goal: at most 0.1 s.
// And a play frame of the demo's first stage, started from the command
// line and driven by a key script: the hero walks right and jumps among the
// enemies and blocks.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

const char* const kProgram = T4_BINARY_DIR "/tarvolin4";
const char* const kDemoMaker = T4_BINARY_DIR "/make_demo";

// The exit status of a program run in `dir` with the given environment
// settings added; -1 when it could not be started.
int Run(const std::string& dir, const char* pszProgram, const std::vector<std::string>& env,
        const std::vector<std::string>& args = {}) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(120);
    if (!std::freopen("/dev/null", "w", stderr) || !std::freopen("/dev/null", "w", stdout)) ::_exit(121);
    for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv{const_cast<char*>(pszProgram)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(pszProgram, argv.data());
    ::_exit(122);
  }
  if (pid < 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class cDemoFolder {
 public:
  cDemoFolder() { m_bOk = Run(m_Tmp.Path(), kDemoMaker, {}, {m_Tmp.Path() + "/demo"}) == 0; }
  std::string Dir() const { return m_Tmp.Path() + "/demo"; }
  bool m_bOk = false;

 private:
  cTempFolder m_Tmp;
};

void BM_StartupToFirstTitleFrame(benchmark::State& state) {
  cDemoFolder demo;
  if (!demo.m_bOk) {
    state.SkipWithError("the demo project could not be made");
    return;
  }
  const std::vector<std::string> env = {"TARVOLIN4_HEADLESS=1", "TARVOLIN4_EXIT_AFTER=1", "TARVOLIN4_FAST=1",
                                        state.range(0) ? "TARVOLIN4_ANSWERS=d3d" : "TARVOLIN4_ANSWERS=ddraw"};
  for (auto _ : state) {
    if (Run(demo.Dir(), kProgram, env) != 0) {
      state.SkipWithError("the program did not end well");
      return;
    }
  }
}
BENCHMARK(BM_StartupToFirstTitleFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {

// The whole run to frame nExit of the first stage, in seconds; negative
// when it did not end well.
double StageRunSeconds(const cDemoFolder& demo, int nExit) {
  const std::vector<std::string> env = {"TARVOLIN4_HEADLESS=1", "TARVOLIN4_FAST=1", "TARVOLIN4_ANSWERS=d3d",
                                        "TARVOLIN4_INPUT=" + demo.Dir() + "/keys.txt",
                                        "TARVOLIN4_EXIT_AFTER=" + std::to_string(nExit)};
  const auto t0 = std::chrono::steady_clock::now();
  if (Run(demo.Dir(), kProgram, env, {"data\\stg4\\Stage1.stg4"}) != 0) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Play begins after the fade-in and the banner, by frame 100; Right is held
// from then, Z pressed at 110 and again at 180. Each round runs the stage to
// frame 100 and to frame 250; the time of one frame is their difference
// over the 150 frames between, start-up and close taken out.
void BM_DemoStage1Frame(benchmark::State& state) {
  constexpr int kFirst = 100, kLast = 250;
  cDemoFolder demo;
  if (!demo.m_bOk) {
    state.SkipWithError("the demo project could not be made");
    return;
  }
  std::ofstream(demo.Dir() + "/keys.txt") << "100 Right down\n110 Z down\n118 Z up\n180 Z down\n188 Z up\n"
                                             "240 Right up\n";
  for (auto _ : state) {
    const double dFirst = StageRunSeconds(demo, kFirst), dLast = StageRunSeconds(demo, kLast);
    if (dFirst < 0 || dLast < 0) {
      state.SkipWithError("the program did not end well");
      return;
    }
    state.SetIterationTime(std::max(dLast - dFirst, 0.0) / (kLast - kFirst));
  }
}
BENCHMARK(BM_DemoStage1Frame)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(10);

}  // namespace
