// Fixtures of live charas: a floored stage made the running stage, a player
// and stage charas built into the live lists, flow commands that change HP,
// key logs for player 1, and a small sub-step driver in the play frame's
// order. Every live object is freed after each test.
// Header-only: tests/support sits below play/.
#pragma once

#include <string>
#include <vector>

#include "flow/flow_host.h"
#include "play/condition_pass.h"
#include "play/item_object.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/shot_lists.h"
#include "play/stage_chara.h"
#include "records/flow_enums.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/play_fixture.h"
#include "tests/support/flow_fixtures.h"

// A floor along row 12 of a 40 × 15 stage at speed level 1.
inline cEdStage MakeFloorStage() {
  cEdStage s = MakeBlockStage(40, 15, 1);
  PlaceRow(s, 0, 39, 12, 1);
  return s;
}

// A chara of type nType (0 a player, 1 an enemy) with nHp HP, picture 1,
// the default attack and defence and no flows, so it walks nowhere.
inline cEdChara MakeCharaDef(uint8_t nType, uint32_t nHp) {
  cEdChara d;
  d.SetDefaults();
  d.m_nType = nType;
  d.m_nMaxHp = nHp;
  d.m_nImageIndex = 1;
  d.m_nScale = 1;
  d.m_vecFlow.clear();
  return d;
}

inline cEdChara MakeEnemyDef(uint32_t nHp) { return MakeCharaDef(1, nHp); }

// StatusOp on HP of a subject (0 self, 1 target): op 0 set, 1 add, 2 take.
inline cEdCommand MakeHpCommand(int nSubject, int nOp, int32_t nValue) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::StatusOp);
  c.m_vParam[3] = nSubject;
  c.m_vParam[4] = CharaStatus::Hp;
  c.m_vParam[5] = nOp;
  c.m_vParam[7] = nValue;
  return c;
}

// An item whose list runs the given commands.
inline cEdItem MakeItemDef(std::initializer_list<cEdCommand> cmds) {
  cEdItem it;
  it.SetDefaults();
  it.m_nImageIndex = 1;
  it.m_nScale = 1;
  for (const cEdCommand& c : cmds) it.m_vecCommand.push_back(c);
  return it;
}

// A stage chara set up at stage pixel (x, y) as a placement sets it up and
// appended to g_lstChara (wStep: the copy step).
inline cStageChara* AddStageChara(int nId, cEdChara& def, const cItemObj* lpItem, double x, double y,
                                  uint16_t wStep) {
  auto p = std::make_unique<cStageChara>();
  p->StageCharaInitFromPlacement(nId, def, lpItem, x, y, wStep);
  g_lstChara.push_back(std::move(p));
  return g_lstChara.back().get();
}

class cCharaFixture : public cPlayFixture {
 protected:
  void SetUp() override {
    g_Progress.m_nScore = 0;
    g_Progress.m_vVar.assign(16, 0);  // common variables the conditions read
    g_CharaScene = CHARASCENE{};
    g_FlowContext = FLOWCONTEXT{};
    g_System.m_bFollowScroll = 0;
    Start(MakeFloorStage());
    m_vSwitches.assign(16, 0);
    g_CharaScene.m_lpSwitches = &m_vSwitches;
  }
  void TearDown() override {
    ClearLiveObjects();
    g_FlowContext = FLOWCONTEXT{};
    g_CharaScene = CHARASCENE{};
    cPlayFixture::TearDown();
  }

  // Player 1 standing on the floor at stage column col.
  cPlayer& AddPlayer(int col, cEdChara def = MakePlayerDef()) {
    g_vPlayer.push_back(std::make_unique<cPlayer>());
    cPlayer& p = *g_vPlayer.back();
    p.PlayerSetupForStage(1, def, CellPx(col), CellPx(11) + 8);
    m_Ctx.m_lpPlayer1 = &p;
    SetKeys({});
    return p;
  }
  static cEdChara MakePlayerDef() {
    cEdChara d = MakeCharaDef(0, 10);
    d.m_nDir = 1;
    return d;
  }
  cStageChara& AddEnemy(cEdChara def, int col, int row, const cItemObj* lpItem = nullptr, int nId = 0) {
    return *AddStageChara(nId ? nId : 100 + static_cast<int>(g_lstChara.size()), def, lpItem, CellPx(col),
                          CellPx(row), 0);
  }

  // Player 1's key logs: per log, runs newest first.
  void SetKeys(std::vector<std::pair<int, std::vector<KEYRUN>>> logs) {
    m_aLogs.assign(KEY_LOGS, {KEYRUN{0, 60}});
    for (auto& [k, runs] : logs) m_aLogs[k] = runs;
    cPlayer* p1 = FirstPlayer();
    if (!p1) return;
    for (int k = 0; k < KEY_LOGS; ++k) p1->m_Input.aLog[k] = std::span<const KEYRUN>(m_aLogs[k]);
  }

  // The conditions pass of a sub-step over the live lists (no shots).
  void Pass() { EvaluateCharaConditions(m_Shots); }

  // One frame of one sub-step in the play frame's order: trigger marks, the
  // conditions pass, each chara's Always flows and update (a chara whose
  // update ends defeats), moves, then the sweep. Returns the number of
  // charas swept.
  int SubStep() {
    for (auto& p : g_vPlayer) p->CharaResetFlowMarks();
    for (auto& c : g_lstChara)
      if (!c->m_bDefeated) c->CharaResetFlowMarks();
    Pass();
    for (auto& p : g_vPlayer) {
      p->RaiseTrigger(FlowTrigger::Always);
      p->Update(0);
    }
    for (auto& c : g_lstChara) {
      if (!c->m_bEnabled || !c->m_bPresent || c->m_bDefeated) continue;
      c->RaiseTrigger(FlowTrigger::Always);
      if (c->Update(0)) c->CharaOnDefeated();
    }
    for (auto& c : g_lstChara) {
      if (c->m_bDefeated || !c->m_bPresent) continue;
      c->CharaDecayImpulseX();
      c->CharaDecayImpulseY();
      c->StepX();
      c->ApplyGravity();
      c->StepY();
      g_lpStageContext->BlockMoveY(*c);
      c->CharaCountInvincible();
    }
    return SweepCharas();
  }

  std::vector<std::vector<KEYRUN>> m_aLogs;
  cVector<uint8_t> m_vSwitches;
  cShotLists m_Shots;
};
