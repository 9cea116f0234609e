// The numbers a flow speaks in: command kinds of the two command lists,
// triggers, condition kinds and modes, and the choices of command parameters.
// The values are those stored in project files; their labels are in
// flow/command_catalogue.h.
#pragma once

#include <cstdint>

// Kinds of the flow command list (the command's list byte is 0).
namespace FlowCommandKind {
enum Value : int32_t {
  None = 0,
  Wait = 1,
  StraightMove = 2,
  GroundTurnMove = 3,
  CircleMove = 4,
  ChargeMove = 5,
  HomingMove = 6,
  AvoidOffscreenMove = 7,
  DisableMove = 8,
  ChangeDirection = 9,
  Jump = 10,
  Shot = 11,
  Sword = 12,
  SummonBlock = 13,
  SummonChara = 14,
  SummonItem = 15,
  FlowControl = 16,
  StageClear = 17,
  GameWait = 18,
  Message = 19,
  Warp = 20,
  SetTarget = 21,
  StatusOp = 22,
  StatusOp2 = 23,
  GetItem = 24,
  ChangeGraphic = 25,
  ChangeBaseAnimeSet = 26,
  RunAnime = 27,
  RunEffect = 28,
  RunCharaEffect = 29,
  RunScreenEffect = 30,
  ShowPicture = 31,
  ChangeScreenColor = 32,
  ChangeBackground = 33,
  PlaySe = 34,
  PlayBgm = 35,
  RunCode = 36,
};
}  // namespace FlowCommandKind
constexpr int FLOW_COMMAND_KIND_COUNT = 37;

// Kinds of the item command list (list byte not 0). Kinds 2 to 21 run the
// flow command of kind + ITEM_TO_FLOW_KIND with the same parameters.
namespace ItemCommandKind {
enum Value : int32_t {
  None = 0,
  ChangeFlow = 1,
  StageClear = 2,
  GameWait = 3,
  Message = 4,
  Warp = 5,
  SetTarget = 6,
  StatusOp = 7,
  StatusOp2 = 8,
  GetItem = 9,
  ChangeGraphic = 10,
  ChangeBaseAnimeSet = 11,
  RunAnime = 12,
  RunEffect = 13,
  RunCharaEffect = 14,
  RunScreenEffect = 15,
  ShowPicture = 16,
  ChangeScreenColor = 17,
  ChangeBackground = 18,
  PlaySe = 19,
  PlayBgm = 20,
  RunCode = 21,
};
}  // namespace ItemCommandKind
constexpr int ITEM_COMMAND_KIND_COUNT = 22;
constexpr int ITEM_TO_FLOW_KIND = 15;

namespace FlowTrigger {
enum Value : int32_t {
  Always = 0,
  Damaged = 1,
  Impacted = 2,
  Died = 3,
  HitChara = 4,
  HitBlockChara = 5,
  OnBlockChara = 6,
  HitShot = 7,
  HitItem = 8,
  HitBlock = 9,
  BlockLeftRight = 10,
  BlockLeft = 11,
  BlockRight = 12,
  BlockUpDown = 13,
  BlockUp = 14,
  BlockDown = 15,
  RiddenByPlayer = 16,
  RiddenByChara = 17,
  BeforeStageStart = 18,
  ByFlowControl = 19,  // runs only when a FlowControl command starts it
};
}  // namespace FlowTrigger
constexpr int FLOW_TRIGGER_COUNT = 20;

namespace FlowConditionKind {
enum Value : int32_t {
  None = 0,
  CommonVarCondition = 1,
  StageVarCondition = 2,
  CharaVarCondition = 3,
  StatusCondition = 4,
  StatusCondition2 = 5,
  StatusCondition3 = 6,
  DistanceCondition = 7,
};
}  // namespace FlowConditionKind
constexpr int FLOW_CONDITION_KIND_COUNT = 8;

namespace ConditionMode {
enum Value : int32_t { All = 0, Any = 1 };
}
namespace KeyComboMode {
enum Value : int32_t { All = 0, Any = 1, ExactlyOne = 2 };
}
namespace KeyState {
enum Value : int32_t { Ignore = 0, Pressed = 1, Released = 2 };
}

// The FlowControl command's p0 and p1.
namespace FlowOperation {
enum Value : int32_t { Start = 0, End = 1, Pause = 2, Resume = 3, Delete = 4, StopForever = 5 };
}
namespace FlowScope {
enum Value : int32_t { ThisFlow = 0, AllOthers = 1, ById = 2 };
}

// Operand sources of status conditions and status operations.
namespace ValueSource {
enum Value : int32_t { Constant = 0, Random = 1, Status = 2, Variable = 3 };
}

// Any other operator value compares false.
namespace CompareOp {
enum Value : int32_t { Equal = 0, NotEqual = 1, GreaterEqual = 2, LessEqual = 3, Greater = 4, Less = 5 };
}
constexpr int COMPARE_OP_COUNT = 6;

// Any other operator value leaves the value as it is (then clamped).
namespace AssignOp {
enum Value : int32_t { Set = 0, Add = 1, Subtract = 2, Multiply = 3, Divide = 4, Remainder = 5, Percent = 6 };
}
constexpr int ASSIGN_OP_COUNT = 7;
