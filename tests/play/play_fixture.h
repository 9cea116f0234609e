// Fixtures of stage play: a stage of blocks at a chosen speed level made the
// running stage (g_Stage, a stage context with its scroll axes and block
// map), and a chara stand-in that carries the block contact state and
// records the triggers raised on it.
// Header-only: tests/support sits below play/, so the fixture lives here.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "play/game_object.h"
#include "play/stage_block.h"
#include "play/stage_context.h"
#include "records/stage.h"

// A stage of w × h cells at a speed level with the default gravity 0.4,
// no placements.
cEdStage MakeBlockStage(uint32_t w, uint32_t h, uint32_t nSpeedLevel);
// Places a block of hit kind nHit at the stage's cell (x, y).
void PlaceBlock(cEdStage& stage, int x, int y, uint8_t nHit);
// A row or column of blocks, inclusive.
void PlaceRow(cEdStage& stage, int x0, int x1, int y, uint8_t nHit);
void PlaceColumn(cEdStage& stage, int x, int y0, int y1, uint8_t nHit);

// Stage pixel of the stage's cell (x, y) (the padded stage adds 10 cells).
inline double CellPx(int c) { return (c + STAGE_MARGIN_CELLS) * 32.0; }

class cTestChara : public cGameObj, public BLOCKCONTACT {
 public:
  BLOCKCONTACT* Contact() override { return this; }
  void RaiseTrigger(int n) override { m_vTriggers.push_back(n); }
  std::vector<int> m_vTriggers;
};

// A plain object without chara state (a shot, an item).
class cTestObj : public cGameObj {};

// Makes `stage` the running stage: g_Stage, the axes and the block map,
// and the context installed as g_lpStageContext.
class cPlayFixture : public ::testing::Test {
 protected:
  void TearDown() override;
  void Start(const cEdStage& stage);
  // An object with a w × h box at stage pixel (x, y), move type nMove,
  // clamped into its cells.
  static void Place(cGameObj& o, double x, double y, int w, int h, int nType, int nMove);

  cStageContext m_Ctx;
};


inline cEdStage MakeBlockStage(uint32_t w, uint32_t h, uint32_t nSpeedLevel) {
  cEdStage s;
  s.SetDefaults();
  s.m_nWidth = w;
  s.m_nHeight = h;
  s.m_vecBlock.clear();
  s.m_vecChara.clear();
  s.m_vecItem.clear();
  s.m_dGravityBase = 0.4;
  s.SetSpeedLevel(nSpeedLevel);
  return s;
}

inline void PlaceBlock(cEdStage& stage, int x, int y, uint8_t nHit) {
  cEdBlock b;
  b.SetDefaults();
  b.m_nColumn = static_cast<uint16_t>(x);
  b.m_nRow = static_cast<uint16_t>(y);
  b.m_nImageIndex = 1;
  b.m_nHitKind = nHit;
  stage.m_vecBlock.push_back(b);
}

inline void PlaceRow(cEdStage& stage, int x0, int x1, int y, uint8_t nHit) {
  for (int x = x0; x <= x1; ++x) PlaceBlock(stage, x, y, nHit);
}

inline void PlaceColumn(cEdStage& stage, int x, int y0, int y1, uint8_t nHit) {
  for (int y = y0; y <= y1; ++y) PlaceBlock(stage, x, y, nHit);
}

inline void cPlayFixture::Start(const cEdStage& stage) {
  g_Stage = stage;
  g_Stage.SetSpeedLevel(stage.m_nSpeedLevel);
  m_Ctx.SetupAxes(g_Stage);
  ASSERT_TRUE(m_Ctx.BuildBlockMap(g_Stage));
  g_lpStageContext = &m_Ctx;
}

inline void cPlayFixture::TearDown() {
  g_lpStageContext = nullptr;
  g_vBlockMap.clear();
}

inline void cPlayFixture::Place(cGameObj& o, double x, double y, int w, int h, int nType, int nMove) {
  o.Setup(1, nType, 0, 0, 0, 0, 0, w, h, 32, 32, 1, nMove, 0);
  o.m_dX = x;
  o.m_dY = y;
  o.ClampX(-1);
  o.ClampY(-1);
}
