// Stage loading speed: a large stage read by LoadStage on the loader thread
// while this thread pumps its messages. Target: at most 30 ms per load.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "records/common_palette.h"
#include "base/report.h"
#include "records/stage_loading.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/temp_folder.h"

namespace {

// 1,000 × 100 cells, 20,000 blocks, 500 charas and 500 items with flows.
class cLargeStageFolder {
 public:
  cLargeStageFolder() {
    g_nCurDataVersion = DATA_VERSION_CURRENT;
    g_bStripCR = 1;
    OpenReport("Report_Game.txt");
    g_CommonPalette = MakeFixtureCommonPalette();
    std::filesystem::create_directories("data/stg4");
    cEdStage st = MakeLargeStage(1000, 100, 20000, 500, 500);
    m_bOk = WriteStageFile(st, "data\\stg4\\large.stg4_000");
    m_nBytes = static_cast<int64_t>(std::filesystem::file_size("data/stg4/large.stg4_000"));
  }
  bool m_bOk = false;
  int64_t m_nBytes = 0;

 private:
  cTempFolder m_Tmp;
};

// Made once for both benchmarks; removed at exit.
cLargeStageFolder* LargeStageFolder() {
  static std::unique_ptr<cLargeStageFolder> s_pFolder = std::make_unique<cLargeStageFolder>();
  return s_pFolder.get();
}

void BM_LoadLargeStage(benchmark::State& state) {
  cLargeStageFolder* pFolder = LargeStageFolder();
  if (!pFolder->m_bOk) {
    state.SkipWithError("the stage could not be written");
    return;
  }
  for (auto _ : state) {
    if (!LoadStage("data\\stg4\\large.stg4", TRUE, &g_StageCopy)) {
      state.SkipWithError("LoadStage failed");
      return;
    }
    benchmark::DoNotOptimize(g_Stage.m_vecBlock.data());
  }
  state.counters["blocks"] = static_cast<double>(g_Stage.m_vecBlock.size());
  state.SetBytesProcessed(state.iterations() * pFolder->m_nBytes);
}
BENCHMARK(BM_LoadLargeStage)->Unit(benchmark::kMillisecond);

// The same load into a g_Stage whose lists were freed first (the first
// stage of a run): every record is allocated anew.
void BM_LoadLargeStageFresh(benchmark::State& state) {
  if (!LargeStageFolder()->m_bOk) {
    state.SkipWithError("the stage could not be written");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    g_Stage.ClearRecordLists();
    state.ResumeTiming();
    if (!LoadStage("data\\stg4\\large.stg4", TRUE, &g_StageCopy)) {
      state.SkipWithError("LoadStage failed");
      return;
    }
  }
}
BENCHMARK(BM_LoadLargeStageFresh)->Unit(benchmark::kMillisecond);

}  // namespace
