// What the flow engine needs of stage play: cFlowChara (one live chara or
// player whose flows run) and cFlowStage (the stage scene as game context),
// both implemented by play/, plus the context of the flow being stepped.
#pragma once

#include <cstdint>

#include "base/checked_containers.h"
#include "platform/win_types.h"
#include "records/flow_records.h"

class cFlowRun;
class cCommandRun;
struct FLOWNUMBERFLAGS;

// Chara statuses by the status condition's index. 0 is a chara variable and
// never reaches Status/SetStatus.
namespace CharaStatus {
enum Value : int32_t {
  Variable = 0, Hp = 1, Sp = 2, MaxHp = 3, MaxSp = 4, CharaId = 5, Z = 6, Mark = 7, Sight = 8,
  Power = 9, Impact = 10, Defence = 11, ImpactResist = 12, Stopping = 13, ScoreGained = 14,
};
}
constexpr int CHARA_STATUS_COUNT = 15;

class cFlowChara {
 public:
  virtual ~cFlowChara() = default;

  virtual cVector<cFlowRun>& FlowRuns() = 0;
  virtual FLOWNUMBERFLAGS& FlowNumbers() = 0;
  // The chara's own variables (the expression language's v1 to v8 are
  // elements 1 to 8).
  virtual cVector<int32_t>& Vars() = 0;
  // A status 1..14, the narrow ones sign-extended.
  virtual int32_t Status(int nStatus) = 0;
  // Stores a status 1..14; the value is already within the status's range.
  virtual void SetStatus(int nStatus, int32_t nValue) = 0;
  // Null when the chara has none.
  virtual cFlowChara* Target() = 0;

  virtual BOOL IsComputer() = 0;     // operated by the computer
  virtual BOOL IsRemoved() = 0;
  virtual BOOL IsInvincible() = 0;   // the StatusOp2 switch
  virtual BOOL KeepsSight() = 0;     // the kind flag that keeps sight radius and views

  // HP and SP changes with their clamps and gauges. ChangeLife gives 1 when
  // HP reached 0.
  virtual BOOL ChangeLife(int32_t nDelta, BOOL bForce, BOOL bShowGauge) = 0;
  virtual void ChangeSp(int32_t nDelta, BOOL bShowGauge) = 0;
  virtual void StartLifeGauge(int32_t nDelta) = 0;
  virtual void StartSpGauge(int32_t nDelta) = 0;
  // After the sight status changed: the radius becomes sight × 16; from a
  // code statement the stage's view surfaces are rebuilt too.
  virtual void SightChanged(BOOL bFromCode) = 0;
  // After the stopping status changed or was read as an operand: the braking
  // value (status × 0.01 / the speed divisor) is worked out again.
  virtual void BrakingChanged() = 0;

  // Condition kinds 5, 6 and 7, answered by the chara.
  virtual BOOL TestStateValue(const cEdCondition& cond) = 0;
  virtual BOOL TestStateFlag(const cEdCondition& cond) = 0;
  virtual BOOL TestPosition(const cEdCondition& cond) = 0;
  // The key conditions of a flow against player 1's key logs (1 for none);
  // stage play keeps m_bKeyHeld.
  virtual BOOL KeyConditionsHold(cFlowRun& run) = 0;
  // Index 0..9 of the first key history whose newest entry is pressed, 0
  // when none.
  virtual int32_t FirstPressedKeyHistory() = 0;

  // SetTarget: drops this chara from its old target's pursuers, chooses by
  // the command's parameters and registers with the new one.
  virtual void ChooseTarget(const int32_t* pParam, int nParams) = 0;
  // StatusOp2 on a chara: switch 0 vanish .. 6 auto-scroll sync, with value.
  virtual void SetCharaSwitch(int nSwitch, int32_t nValue) = 0;
};

namespace SystemValue {
enum Value : int32_t { Time = 0, ScrollX = 1, ScrollY = 2, Score = 3, Lives = 4 };
}
constexpr int SYSTEM_VALUE_COUNT = 5;

class cFlowStage {
 public:
  virtual ~cFlowStage() = default;
  virtual cVector<int32_t>& StageVars() = 0;
  virtual int32_t& TimeCounter() = 0;
  virtual BOOL TimeOn() = 0;
  // Axis 0 horizontal, 1 vertical.
  virtual int32_t& ScrollSpeed(int nAxis) = 0;
  virtual BOOL& AutoScroll(int nAxis) = 0;
  // Sets the axis's scroller running (step speed × 0.1 / D) or stopped.
  virtual void SetScrollSpeed(int nAxis, BOOL bOn, int32_t nSpeed) = 0;
  // A flow set another chara's HP to 0 or less (or made it vanish).
  virtual void SetOtherCharaDefeated() = 0;
  // Element 0 of g_vPlayer through the checked access; null (after the
  // report) when there is none.
  virtual cFlowChara* FirstPlayer() = 0;
};

// The flow being stepped, read by the executors and by stage play. Written
// and read by the game thread only.
struct FLOWCONTEXT {
  cFlowStage* m_lpStage = nullptr;
  cFlowChara* m_lpCurChara = nullptr;
  cFlowRun* m_lpCurFlow = nullptr;
  cCommandRun* m_lpCurCommand = nullptr;
};
// Written and read by the game thread only (stage set-up installs the stage,
// the runner the rest).
extern FLOWCONTEXT g_FlowContext;

// The installed stage, or a stage with no variables and no scrolling when
// none is (before a stage is set up).
cFlowStage& FlowStage();
// The common variables: the variable list of the play progress record.
cVector<int32_t>& CommonVars();
