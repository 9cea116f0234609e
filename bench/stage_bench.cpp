// Stage loading speed: a large stage read by LoadStage on the loader thread
// while this thread pumps its messages. Target: at most 30 ms per load.
// And one play frame of a busy stage: the logic at speed level 1 and the
// drawing at 32 bits, with 500 charas whose flows test conditions, pick the
// nearest chara as their target and run animations, and 1,000 homing shots
// seeking them. First bar: at most 2 ms a frame; the goal is 1 ms. And a
// frame of a stage crowded with 1,000 and 5,000 charas, and of such a crowd
// whose charas look others up by id or change their chara IDs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "base/report.h"
#include "base/surface_tables.h"
#include "media/graphics/dd.h"
#include "media/graphics/dd_internal.h"
#include "play/live_lists.h"
#include "play/picture_cell.h"
#include "play/player.h"
#include "play/shot.h"
#include "play/stage_chara.h"
#include "play/stage_graphics.h"
#include "play/stage_scene.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/database_run_tables.h"
#include "flow/conditions.h"
#include "flow/flow_host.h"
#include "records/flow_enums.h"
#include "records/progress.h"
#include "records/stage.h"
#include "records/stage_loading.h"
#include "records/system.h"
#include "tests/support/database_fixtures.h"
#include "tests/support/flow_fixtures.h"
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

// ---- A busy play frame ----

constexpr int kCharas = 500;
constexpr int kShots = 1000;
constexpr int kWidth = 20, kHeight = 15;  // the stage is the screen: all of it is on show

cEdCommand Glide(uint8_t byDirection) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::StraightMove, 10);
  NewEdMove(c.m_pMove);
  c.m_pMove->m_byTargetMode = 0;
  c.m_pMove->m_byDirection = byDirection;  // 2 left, 3 right
  c.m_pMove->m_nSpeed = 10;
  return c;
}

cEdChara Chara(uint8_t nType, int col, int row) {
  cEdChara c;
  c.SetDefaults();
  c.m_nType = nType;
  c.m_nImageIndex = 1;
  c.m_nScale = 1;
  c.m_nMaxHp = 10;
  c.m_nColumn = static_cast<uint16_t>(col);
  c.m_nRow = static_cast<uint16_t>(row);
  c.m_vecFlow.clear();
  return c;
}

// A floor along the bottom of a stage of the given size, player 1 on it.
cEdStage FlooredStage(int nWidth, int nHeight) {
  cEdStage st;
  st.SetDefaults();
  st.m_nWidth = static_cast<uint16_t>(nWidth);
  st.m_nHeight = static_cast<uint16_t>(nHeight);
  st.m_vecBlock.clear();
  st.m_vecChara.clear();
  st.m_vecItem.clear();
  st.m_dGravityBase = 0.4;
  st.m_nSpeedLevel = 1;
  st.SetSpeedLevel(1);
  st.m_bTimeLimit = 0;
  st.m_bStageNoBanner = 0;
  st.m_bStartBanner = 0;
  for (int x = 0; x < nWidth; ++x) {
    cEdBlock b;
    b.SetDefaults();
    b.m_nColumn = static_cast<uint16_t>(x);
    b.m_nRow = static_cast<uint16_t>(nHeight - 1);
    b.m_nImageIndex = 1;
    b.m_nHitKind = 1;
    st.m_vecBlock.push_back(b);
  }
  st.m_vecChara.push_back(Chara(0, 10, nHeight - 2));
  return st;
}

// Right for ten frames, then left for ten.
cEdFlow GlideFlow() {
  cEdFlow glide;
  glide.m_byTrigger = FlowTrigger::Always;
  glide.m_vecCommand.push_back(Glide(3));
  glide.m_vecCommand.push_back(Glide(2));
  return glide;
}

// The database's animation a flow runs (after the set's own two).
constexpr int kAttackAnime = 2;

// The charas' animation set 1 (standing, walking) and the attack animation,
// a tenth of a second a pattern.
void BusyDatabase() {
  g_Database = cEdDatabase();
  cEdAnimeSet set;
  set.m_vecAnime = {AnimeOf({{0, 1}, {1, 1}}), AnimeOf({{2, 1}, {3, 1}})};
  g_Database.m_vecAnimeSet = {cEdAnimeSet(), set};
  g_Database.m_vecAnime.resize(kAttackAnime);
  g_Database.m_vecAnime.push_back(AnimeOf({{4, 1}, {5, 1}}));
  BuildDatabaseRunTables();
}

// Common variable 1 is 0 (it always is here).
cEdCondition CommonVarZero() { return MakeVarEqualsCondition(FlowConditionKind::CommonVarCondition, 1, 0); }

// Player 1 within a radius of nCells cells.
cEdCondition PlayerWithin(int nCells) {
  cEdCondition c;
  c.m_byKind = FlowConditionKind::DistanceCondition;
  c.m_bySubject = 0;
  c.m_byStatus = 6;
  c.m_nValue = nCells;
  return c;
}

// The screen-sized stage with the charas two to a cell over the rest of
// the screen, each shown while its condition holds and under its flow
// (while its own conditions hold) taking the nearest chara as its target,
// gliding right, playing the attack animation over its walk, and gliding
// left.
cEdStage BusyStage() {
  cEdStage st = FlooredStage(kWidth, kHeight);
  cEdFlow glide;
  glide.m_byTrigger = FlowTrigger::Always;
  glide.m_vecCondition.push_back(CommonVarZero());
  glide.m_vecCondition.push_back(PlayerWithin(100));
  cEdCommand target = MakeFlowCommand(FlowCommandKind::SetTarget);
  target.m_vParam[0] = 2;  // the nearest chara
  target.m_vParam[2] = 0;  // on screen first
  glide.m_vecCommand.push_back(target);
  glide.m_vecCommand.push_back(Glide(3));
  cEdCommand anime = MakeFlowCommand(FlowCommandKind::RunAnime);
  anime.m_vParam[0] = kAttackAnime;
  glide.m_vecCommand.push_back(anime);
  glide.m_vecCommand.push_back(Glide(2));
  for (int i = 0; i < kCharas; ++i) {
    cEdChara c = Chara(1, i % kWidth, (i / kWidth) % (kHeight - 3));
    c.m_nMoveType = 1;  // no gravity
    c.m_nSide = 2;
    c.m_nAnimeSet = 1;
    c.m_nMaxHp = 1000000;  // the shots' hits leave them all in play
    c.m_vecCondition.push_back(CommonVarZero());
    c.m_vecFlow.push_back(glide);
    st.m_vecChara.push_back(c);
  }
  return st;
}

// Opaque colours with a keyed hole in every few pixels, as sprite sheets
// have.
void Pattern(DDSURFACEDATA* lpSD, int nSeed) {
  cPixelBuffer* buf = DDSurfacePixels(lpSD);
  if (!buf) return;
  for (int y = 0; y < buf->Height(); ++y)
    for (int x = 0; x < buf->Width(); ++x) {
      uint32_t v = 0xFF000000u | (static_cast<uint32_t>(x * 3 + y * 5 + nSeed * 40) & 0xFFFFFF) | 0x000101;
      if ((x / 7 + y / 5) % 3 == 0) v = g_dwColorKey;
      buf->SetRaw(x, y, v);
    }
}

// The device at 640 x 480 x 32 and the stage's surfaces, patterned.
class cBusyStage {
 public:
  explicit cBusyStage(const cEdStage& stage = BusyStage()) {
    DDInit(1, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, m_Device, m_DeviceInfo, 1);
    SetStageSurfaceTable(m_aSD, SYSTEM_BITMAP_COUNT);
    // Blocks (2, 3), charas of picture 1 (4, 5 and their second set 22,
    // 23), shots (20, 21 and the composed sheets), the mark, status strip,
    // accessory and word pictures, a background and the work surfaces.
    struct SIZE2 {
      int n, w, h;
    } sizes[] = {{2, 64, 480},   {3, 64, 480},   {4, 256, 480},  {5, 256, 480},  {22, 256, 480},
                 {23, 256, 480}, {20, 256, 480}, {21, 256, 480}, {43, 32, 32},   {46, 640, 20},
                 {49, 128, 176}, {51, 320, 192}, {55, 640, 480}, {67, 640, 480}, {68, 640, 480},
                 {STAGESURFACE_SHOTSHEET, 256, 960}, {STAGESURFACE_SHOTSHEET_MIRROR, 256, 960}};
    for (const SIZE2& s : sizes) {
      DDCreateSurface(&m_aSD[s.n], s.w, s.h, 1, 0, 0, nullptr, 0);
      Pattern(&m_aSD[s.n], s.n);
    }
    SelectSheetSet(false, false);
    InstallStageSheetSource();

    BusyDatabase();
    g_System = cEdSystem();
    g_Progress = cEdProgress();
    ProgressReset(g_Progress);
    g_Progress.m_nLivesStart = 3;
    g_Stage = stage;
    g_StageCopy = g_Stage;
    m_lpScene = std::make_unique<cSceneStage>(STAGESTART{0, 3, 2, 0, 0, 0});
    for (int i = 0; i < 100 && m_lpScene->m_nState != STAGESTATE_PLAY; ++i) m_lpScene->Update();

    m_Shot.m_cCount = 1;
    m_Shot.m_byPattern = 0;
    m_Shot.m_byDirMode = 0;
    m_Shot.m_cSize = 1;
    m_Shot.m_nSpeed = 0;
    m_Shot.m_wPicture = 1;
    m_Shot.m_byOwnerGroup = 1;
    m_Shot.m_byTrajectory = 5;  // homing
    m_Shot.m_bySetting54 = 2;   // on charas of side 2
    m_Shot.m_wSetting47 = 200;  // for 200 half cells
  }
  ~cBusyStage() {
    m_lpScene.reset();
    ReleaseStageGraphics();
    SetStageSurfaceTable(nullptr, 0);
    for (auto& sd : m_aSD) DDReleaseSurface(&sd);
    DDUnInit();
    g_Database = cEdDatabase();
    BuildDatabaseRunTables();
  }
  bool Ok() const { return m_lpScene->m_nState == STAGESTATE_PLAY && FirstPlayer() != nullptr; }

  // Player 1's shots back to 1,000, spread over the screen above the floor.
  void FillShots() {
    cPlayer* p = FirstPlayer();
    if (!p) return;
    while (static_cast<int>(m_lpScene->m_Shots.m_lstShot.size()) < kShots && m_lpScene->m_Shots.m_lstShot.size() < 5000)
      m_lpScene->LaunchShots(*p, 3, m_Shot);
    int i = 0;
    for (auto& s : m_lpScene->m_Shots.m_lstShot) {
      s->m_dX = (i % 40) * 16.0 + 320.0;
      s->m_dY = ((i / 40) % 25) * 16.0 + 320.0;
      ++i;
    }
  }
  cSceneStage& Scene() { return *m_lpScene; }

 private:
  DDSURFACEDATA m_Device[1];
  DDSURFACEINFO m_DeviceInfo[1];
  DDSURFACEDATA m_aSD[SYSTEM_BITMAP_COUNT];
  std::unique_ptr<cSceneStage> m_lpScene;
  cEdShot m_Shot;
};

void BM_BusyStageFrame(benchmark::State& state) {
  cBusyStage stage;
  if (!stage.Ok()) {
    state.SkipWithError("the stage did not reach play");
    return;
  }
  int64_t nAnimating = 0;
  for (auto _ : state) {
    state.PauseTiming();
    stage.FillShots();
    state.ResumeTiming();
    stage.Scene().Update();
    benchmark::ClobberMemory();
    // A walk of 500 pointers: well under a microsecond.
    for (const auto& c : g_lstChara) nAnimating += !c->m_Anime.lstOverride.empty();
  }
  int nTargeting = 0;
  for (const auto& c : g_lstChara) nTargeting += c->m_lpTarget != nullptr;
  state.counters["charas"] = static_cast<double>(g_lstChara.size());
  state.counters["targeting"] = nTargeting;
  // Charas playing the flow's attack animation, on average over the frames.
  state.counters["attack_anime"] = state.iterations() ? static_cast<double>(nAnimating) / state.iterations() : 0;
  state.counters["shots"] = static_cast<double>(stage.Scene().m_Shots.m_lstShot.size());
}
BENCHMARK(BM_BusyStageFrame)->Unit(benchmark::kMillisecond);

// ---- A crowded stage ----

// A stage 250 cells wide with the given number of charas, one to a cell
// over its rows: those that walk fall to the floor and glide along it, and
// one in fifty is a flying block chara gliding among them, which every
// walker meets. A frame's cost should grow about as the number of charas
// does: the goal is 5,000 charas within a few frames' time of 1,000.
cEdStage CrowdedStage(int nCharas, int nSides = 1) {
  constexpr int kCrowdWidth = 250, kCrowdHeight = 24;
  cEdStage st = FlooredStage(kCrowdWidth, kCrowdHeight);
  st.m_bOnScreenOnly = 0;  // every chara takes part, on screen or not
  const cEdFlow glide = GlideFlow();
  for (int i = 0; i < nCharas; ++i) {
    cEdChara c = Chara(1, i % kCrowdWidth, (i / kCrowdWidth) % (kCrowdHeight - 3));
    const bool bBlock = i % 50 == 49;
    c.m_bBlockChara = bBlock ? 1 : 0;
    c.m_nMoveType = bBlock ? 1 : 0;  // block charas fly, the rest walk
    c.m_nViewTestKind = 3;           // in play wherever the view is
    if (nSides > 1) {
      // Sides that touch without harm: every pair across them is judged.
      c.m_nSide = static_cast<uint8_t>(1 + i % nSides);
      c.m_nAttack = 0;
      c.m_nKnockBack = 0;
    }
    c.m_vecFlow.push_back(glide);
    st.m_vecChara.push_back(c);
  }
  return st;
}

// Frames of a crowded stage.
void RunCrowdedFrames(benchmark::State& state, const cEdStage& crowd) {
  cBusyStage stage(crowd);
  if (!stage.Ok()) {
    state.SkipWithError("the stage did not reach play");
    return;
  }
  for (auto _ : state) {
    stage.Scene().Update();
    benchmark::ClobberMemory();
  }
  state.counters["charas"] = static_cast<double>(g_lstChara.size());
  int nPresent = 0;
  // Charas whose target is another stage chara rather than player 1.
  int nOnCharas = 0;
  for (auto& c : g_lstChara) {
    nPresent += c->m_bPresent && c->m_bEnabled ? 1 : 0;
    nOnCharas += c->m_lpTarget && c->m_lpTarget != FirstPlayer();
  }
  state.counters["present"] = nPresent;
  state.counters["target_charas"] = nOnCharas;
}

void BM_CrowdedStageFrame(benchmark::State& state) {
  RunCrowdedFrames(state, CrowdedStage(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_CrowdedStageFrame)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// The same crowd in two sides that meet all along the floor: the contact
// pass asks about the pairs near each chara rather than every pair across
// the sides.
void BM_CrowdedTwoSidesFrame(benchmark::State& state) {
  RunCrowdedFrames(state, CrowdedStage(static_cast<int>(state.range(0)), 2));
}
BENCHMARK(BM_CrowdedTwoSidesFrame)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// The crowd of one side where every chara also takes the nearest chara as
// its target in every sub-step, by the search mode of the second argument
// (0 on screen first, 1 anywhere, 2 on screen only), beside its glide: the
// searches should cost about as the number of charas does, not as its
// square, in every mode.
void BM_CrowdedTargetingFrame(benchmark::State& state) {
  cEdStage st = CrowdedStage(static_cast<int>(state.range(0)));
  cEdFlow seek;
  seek.m_byTrigger = FlowTrigger::Always;
  cEdCommand target = MakeFlowCommand(FlowCommandKind::SetTarget);
  target.m_vParam[0] = 2;  // the nearest chara
  target.m_vParam[2] = static_cast<int32_t>(state.range(1));
  seek.m_vecCommand.push_back(target);
  for (cEdChara& c : st.m_vecChara)
    if (c.m_nType != 0) c.m_vecFlow.push_back(seek);
  RunCrowdedFrames(state, st);
}
BENCHMARK(BM_CrowdedTargetingFrame)
    ->Args({1000, 0})
    ->Args({5000, 0})
    ->Args({1000, 1})
    ->Args({5000, 1})
    ->Args({5000, 2})
    ->Unit(benchmark::kMillisecond);

// The crowd of one side where the last ten charas take chara ID 7 and every
// other chara, in every sub-step, takes the first chara of ID 7 as its
// target and fires a shot that homes on it (its owner's target, looked up
// by id in each of its sub-steps). The lookups should cost about as the number of charas and shots does, not as
// their product.
void BM_CrowdedIdLookupFrame(benchmark::State& state) {
  constexpr int32_t kMarkedId = 7;
  constexpr int kMarked = 10;
  cEdStage st = CrowdedStage(static_cast<int>(state.range(0)));
  cEdFlow mark;
  mark.m_byTrigger = FlowTrigger::Always;
  cEdCommand id = MakeFlowCommand(FlowCommandKind::StatusOp);
  id.m_vParam[3] = FlowSubject::Self;
  id.m_vParam[4] = CharaStatus::CharaId;
  id.m_vParam[5] = AssignOp::Set;
  id.m_vParam[7] = kMarkedId;
  mark.m_vecCommand.push_back(id);
  cEdFlow seek;
  seek.m_byTrigger = FlowTrigger::Always;
  cEdCommand target = MakeFlowCommand(FlowCommandKind::SetTarget);
  target.m_vParam[0] = 3;  // the first chara of the chara ID
  target.m_vParam[1] = kMarkedId;
  seek.m_vecCommand.push_back(target);
  cEdCommand fire = MakeShotCommand(10, 20, 0);
  fire.m_pShot->m_byTrajectory = 6;  // homing on the owner's target
  fire.m_pShot->m_wSetting47 = 100;  // for 100 half cells
  seek.m_vecCommand.push_back(fire);
  int nCharas = 0;
  for (cEdChara& c : st.m_vecChara) {
    if (c.m_nType == 0) continue;
    ++nCharas;
    if (nCharas > static_cast<int>(state.range(0)) - kMarked) c.m_vecFlow.push_back(mark);
    else c.m_vecFlow.push_back(seek);
  }
  cBusyStage stage(st);
  if (!stage.Ok()) {
    state.SkipWithError("the stage did not reach play");
    return;
  }
  // Into the sub-steps where the shots fly.
  for (int i = 0; i < 30; ++i) stage.Scene().Update();
  for (auto _ : state) {
    stage.Scene().Update();
    benchmark::ClobberMemory();
  }
  int nOnMarked = 0;
  for (auto& c : g_lstChara) nOnMarked += c->m_lpTarget && c->m_lpTarget->Status(CharaStatus::CharaId) == kMarkedId;
  state.counters["charas"] = static_cast<double>(g_lstChara.size());
  state.counters["target_marked"] = nOnMarked;
  state.counters["shots"] = static_cast<double>(stage.Scene().m_Shots.m_lstShot.size());
}
BENCHMARK(BM_CrowdedIdLookupFrame)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// The crowd of one side where every chara, in every sub-step, gives itself
// a chara ID at random among sixteen, and one in fifty then takes the first
// chara of ID 7 as its target: every chara moves to another chain of the id
// index in every sub-step, in list order, among charas moved already and
// ones still to move, with lookups in between. A frame should cost about as
// the number of charas does.
void BM_CrowdedCharaIdChangeFrame(benchmark::State& state) {
  cEdStage st = CrowdedStage(static_cast<int>(state.range(0)));
  cEdCommand id = MakeFlowCommand(FlowCommandKind::StatusOp);
  id.m_vParam[3] = FlowSubject::Self;
  id.m_vParam[4] = CharaStatus::CharaId;
  id.m_vParam[5] = AssignOp::Set;
  id.m_vParam[6] = 1;  // at random
  id.m_vParam[8] = 0;
  id.m_vParam[9] = 15;
  cEdCommand target = MakeFlowCommand(FlowCommandKind::SetTarget);
  target.m_vParam[0] = 3;  // the first chara of the chara ID
  target.m_vParam[1] = 7;
  cEdFlow shuffle;
  shuffle.m_byTrigger = FlowTrigger::Always;
  shuffle.m_vecCommand.push_back(id);
  cEdFlow seek = shuffle;
  seek.m_vecCommand.push_back(target);
  int nCharas = 0;
  for (cEdChara& c : st.m_vecChara)
    if (c.m_nType != 0) c.m_vecFlow.push_back(nCharas++ % 50 == 0 ? seek : shuffle);
  cBusyStage stage(st);
  if (!stage.Ok()) {
    state.SkipWithError("the stage did not reach play");
    return;
  }
  for (int i = 0; i < 5; ++i) stage.Scene().Update();
  for (auto _ : state) {
    stage.Scene().Update();
    benchmark::ClobberMemory();
  }
  // Charas whose target is another stage chara rather than player 1.
  int nOnCharas = 0;
  for (auto& c : g_lstChara) nOnCharas += c->m_lpTarget && c->m_lpTarget != FirstPlayer();
  state.counters["charas"] = static_cast<double>(g_lstChara.size());
  state.counters["target_charas"] = nOnCharas;
}
BENCHMARK(BM_CrowdedCharaIdChangeFrame)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
