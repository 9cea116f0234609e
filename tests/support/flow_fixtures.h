// Fixture builders for flows: a few meaningful flows made through the flow
// records' own code, a record that carries a flow list in a file of its own
// (flows have none), and a fake of the loaded project that the fitting
// passes test indices against.
#pragma once

#include <initializer_list>
#include <string>

#include "records/flow_fitting.h"
#include "records/flow_records.h"

// A command of the given kind with its catalogue's parameter count, zeros.
cEdCommand MakeFlowCommand(int nKind, int nTimeBase = 0);
cEdCommand MakeItemCommand(int nItemKind);
// A straight move in a direction code (2 left, 3 right, 6 up, 7 down) at
// nSpeedTenths tenths of a pixel a frame, for nTenthsOfSecond.
cEdCommand MakeStraightMove(uint8_t byDirection, int nSpeedTenths, int nTenthsOfSecond);
// A key condition on key-state position nKey: held for any length, or
// pressed in this very frame (a flow then starts once per press).
cEdKeyCondition MakeHeldKey(int nKey);
cEdKeyCondition MakePressedKey(int nKey);
// A flow of trigger nTrigger running the commands in order.
cEdFlow MakeFlowOf(int nTrigger, std::initializer_list<cEdCommand> cmds);
// An Always flow of one command under one key condition.
cEdFlow MakeKeyFlow(const cEdKeyCondition& key, const cEdCommand& cmd);
// A Shot command of the duration (tenths) that fires one 16-pixel shot of
// its owner's group straight ahead at nSpeed tenths of a pixel a sub-step,
// with the attack.
cEdCommand MakeShotCommand(int nTimeBase, int nSpeed, int32_t nAttack);
// A condition that a variable equals nValue: kind 1 (common variable) or 2
// (stage variable) at nIndex.
cEdCondition MakeVarEqualsCondition(int nKind, int nIndex, int32_t nValue);

// An enemy that walks on the ground at 1 pixel a frame and turns at walls
// and ledges: trigger Always, one ground-turn move of 10 seconds.
cEdFlow MakeWalkerFlow();
// An enemy that waits two seconds, then fires one straight shot forward
// (3 pixels a sub-step, attack 1); trigger Always.
cEdFlow MakeShooterFlow();
// A jump of height 4 half cells while key 1 is pressed (trigger Always,
// one key condition), for a player chara.
cEdFlow MakeJumpOnKeyFlow();
// A flow started by a status condition (HP at most 50 % of its maximum) that
// adds 100 to common variable 1 and stops with stop number 2.
cEdFlow MakeLowHpFlow();
// The flows of the demo enemy: the walker and the shooter.
cVector<cEdFlow> MakeEnemyFlows();
// A flow whose commands use every part of the records: conditions, key
// conditions, move, shot, text, parameters and a child flow.
cEdFlow MakeRichFlow();

// A file record holding one flow list: its empty base part, then the list.
class cFlowListFile : public cEdRecord {
 public:
  cFlowListFile() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int) override { ClearTables(); }
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  cVector<cEdFlow> m_vecFlow;
};

// The bytes of a flow-list file (version word included) whose single flow
// holds a command holding a flow ... nDepth flows deep.
std::string NestedFlowListFileBytes(int nDepth);

// Counts and switches chosen by the test; installed for the object's life.
class cFakeFlowProjectView : public cFlowProjectView {
 public:
  cFakeFlowProjectView();
  ~cFakeFlowProjectView() override;
  cFakeFlowProjectView(const cFakeFlowProjectView&) = delete;
  cFakeFlowProjectView& operator=(const cFakeFlowProjectView&) = delete;

  int DatabaseCount(FITDATABASE db) const override { return m_anCount[db]; }
  std::vector<int> SwordPartFrames(int nType) const override;
  int PaletteCount(FITPALETTE pal, FITPALETTELIST list) const override { return m_anPalette[pal][list]; }
  bool KeepMarkedFlows() const override { return m_bKeepMarkedFlows; }

  int m_anCount[FITDB_BGM + 1];          // every database 10 records
  int m_anPalette[2][FITLIST_ITEM + 1];  // every palette list 10 entries
  std::vector<std::vector<int>> m_vvSwordFrames;  // type 0: parts of 10 and 20
  bool m_bKeepMarkedFlows = false;
};
