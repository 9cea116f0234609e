#include "tests/support/flow_fixtures.h"

#include <algorithm>

#include "records/command_catalogue.h"
#include "records/flow_enums.h"
#include "records/move_shot.h"
#include "platform/text_cp932.h"

namespace {

// Key-state positions: ten direction logs, then "no button", then buttons
// 1 to 8.
constexpr int KEY_BUTTON1 = 11;

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

cEdCommand MakeFlowCommand(int nKind, int nTimeBase) {
  cEdCommand c;
  c.m_byList = 0;
  c.m_byKind = static_cast<uint8_t>(nKind);
  c.m_nTimeBase = static_cast<int16_t>(nTimeBase);
  c.m_vParam.assign(static_cast<size_t>(std::max(0, g_FlowCommandCatalog.ParamCount(nKind))), 0);
  return c;
}

cEdCommand MakeShotCommand(int nTimeBase, int nSpeed, int32_t nAttack) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::Shot, nTimeBase);
  NewEdShot(c.m_pShot);
  cEdShot& s = *c.m_pShot;
  s.m_cCount = 1;
  s.m_cSize = 1;
  s.m_nSpeed = static_cast<int16_t>(nSpeed);
  s.m_nAttack = nAttack;
  s.m_byOwnerGroup = 1;
  return c;
}

cEdCommand MakeItemCommand(int nItemKind) {
  cEdCommand c;
  c.m_byList = 1;
  c.m_byKind = static_cast<uint8_t>(nItemKind);
  c.m_vParam.assign(static_cast<size_t>(std::max(0, g_ItemCommandCatalog.ParamCount(nItemKind))), 0);
  return c;
}

cEdCommand MakeStraightMove(uint8_t byDirection, int nSpeedTenths, int nTenthsOfSecond) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::StraightMove, nTenthsOfSecond);
  NewEdMove(c.m_pMove);
  c.m_pMove->m_byTargetMode = 0;
  c.m_pMove->m_byDirection = byDirection;
  c.m_pMove->m_nSpeed = static_cast<int16_t>(nSpeedTenths);
  return c;
}

cEdKeyCondition MakeHeldKey(int nKey) {
  cEdKeyCondition key;
  key.m_byAnyLength = 1;
  key.m_vecKeyState[static_cast<size_t>(nKey)] = KeyState::Pressed;
  return key;
}

cEdKeyCondition MakePressedKey(int nKey) {
  cEdKeyCondition key;
  key.m_nMinFrames = 1;
  key.m_nMaxFrames = 1;
  key.m_vecKeyState[static_cast<size_t>(nKey)] = KeyState::Pressed;
  return key;
}

cEdFlow MakeFlowOf(int nTrigger, std::initializer_list<cEdCommand> cmds) {
  cEdFlow f;
  f.m_byTrigger = static_cast<uint8_t>(nTrigger);
  for (const cEdCommand& c : cmds) f.m_vecCommand.push_back(c);
  return f;
}

cEdFlow MakeKeyFlow(const cEdKeyCondition& key, const cEdCommand& cmd) {
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  flow.m_vecKeyCondition.push_back(key);
  flow.m_vecCommand.push_back(cmd);
  return flow;
}

cEdCondition MakeVarEqualsCondition(int nKind, int nIndex, int32_t nValue) {
  cEdCondition c;
  c.m_byKind = static_cast<uint8_t>(nKind);
  c.m_nVarIndex = static_cast<int16_t>(nIndex);
  c.m_byCompareOp = CompareOp::Equal;
  c.m_nValue = nValue;
  return c;
}

cEdFlow MakeWalkerFlow() {
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  cEdCommand walk = MakeFlowCommand(FlowCommandKind::GroundTurnMove, 100);
  NewEdMove(walk.m_pMove);
  walk.m_pMove->m_nSpeed = 10;
  flow.m_vecCommand.push_back(walk);
  return flow;
}

cEdFlow MakeShooterFlow() {
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  flow.m_vecCommand.push_back(MakeFlowCommand(FlowCommandKind::Wait, 20));
  cEdCommand shot = MakeFlowCommand(FlowCommandKind::Shot, 1);
  NewEdShot(shot.m_pShot);
  cEdShot& s = *shot.m_pShot;
  s.m_cCount = 1;
  s.m_byPattern = 0;
  s.m_byDirMode = 0;
  s.m_cSize = 1;
  s.m_nSpeed = 30;
  s.m_nAttack = 1;
  s.m_byImpact = 1;
  flow.m_vecCommand.push_back(shot);
  return flow;
}

cEdFlow MakeJumpOnKeyFlow() {
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  cEdKeyCondition key;
  key.m_byAnyLength = 1;
  key.m_vecKeyState[KEY_BUTTON1] = KeyState::Pressed;
  flow.m_vecKeyCondition.push_back(key);
  cEdCommand jump = MakeFlowCommand(FlowCommandKind::Jump, 5);
  jump.m_vParam[2] = 4;  // height in half cells
  flow.m_vecCommand.push_back(jump);
  return flow;
}

cEdFlow MakeLowHpFlow() {
  cEdFlow flow;
  flow.m_byTrigger = FlowTrigger::Always;
  flow.m_byStopNo = 2;
  cEdCondition hp;
  hp.m_byKind = FlowConditionKind::StatusCondition;
  hp.m_byCategory = 0;
  hp.m_bySubject = 0;
  hp.m_byStatus = 1;  // HP
  hp.m_bySource = ValueSource::Constant;
  hp.m_nValue = 50;
  hp.m_byPercent = 1;
  hp.m_byCompareOp = CompareOp::LessEqual;
  flow.m_vecCondition.push_back(hp);
  cEdCommand add = MakeFlowCommand(FlowCommandKind::StatusOp, 1);
  add.m_vParam[0] = 1;  // a variable
  add.m_vParam[1] = 0;  // common
  add.m_vParam[2] = 1;  // variable 1
  add.m_vParam[5] = AssignOp::Add;
  add.m_vParam[6] = ValueSource::Constant;
  add.m_vParam[7] = 100;
  flow.m_vecCommand.push_back(add);
  return flow;
}

cVector<cEdFlow> MakeEnemyFlows() {
  cVector<cEdFlow> v;
  v.push_back(MakeWalkerFlow());
  v.push_back(MakeShooterFlow());
  return v;
}

cEdFlow MakeRichFlow() {
  cEdFlow flow = MakeLowHpFlow();
  flow.m_byFlowId = 7;
  flow.m_byCondMode = ConditionMode::Any;
  flow.m_byLatch = 1;
  flow.m_byTrigger = FlowTrigger::HitBlock;
  flow.m_cTriggerParam = -2;
  flow.m_byTriggerMode = 1;
  cEdCondition far;
  far.m_byKind = FlowConditionKind::DistanceCondition;
  far.m_nValue = -123456;
  far.m_nRandMin = 3;
  far.m_nRandMax = 9;
  far.m_bySubject = 1;
  far.m_byStatus = 6;
  far.m_byVarScope = 1;
  far.m_nVarIndex = -5;
  far.m_byOpVarScope = 1;
  far.m_nOpVarIndex = 300;
  far.m_bySetting17 = 4;
  flow.m_vecCondition.push_back(far);
  cEdKeyCondition key;
  key.m_byFacingRelative = 1;
  key.m_nMinFrames = 2;
  key.m_nMaxFrames = 30;
  key.m_byComboMode = KeyComboMode::ExactlyOne;
  key.m_vecKeyState[2] = KeyState::Pressed;
  key.m_vecKeyState[12] = KeyState::Released;
  flow.m_vecKeyCondition.push_back(key);

  cEdCommand circle = MakeFlowCommand(FlowCommandKind::CircleMove, 30);
  circle.m_nTimeStep = -3;
  circle.m_byWithNext = 1;
  circle.m_nSound = 2;
  circle.m_byOnScreenOnly = 0;
  circle.m_nAnime = 3;
  NewEdMove(circle.m_pMove);
  circle.m_pMove->m_nRange = 4;
  circle.m_pMove->m_nEndAngle = 270;
  circle.m_pMove->m_dTurnFactor = 0.25;
  circle.m_pMove->m_bySpeed2On = 1;
  flow.m_vecCommand.push_back(circle);

  cEdCommand fire = MakeShooterFlow().m_vecCommand[1];
  fire.m_pShot->m_byTrajectory = 6;
  fire.m_pShot->m_byHoming = 1;
  fire.m_pShot->m_cWaves = 2;
  fire.m_pShot->m_nAngleStep = 15;
  fire.m_pShot->m_wHitEffect = 3;
  fire.m_pShot->m_byPassBlockChara = 1;
  fire.m_pShot->m_bySetting54 = 5;
  flow.m_vecCommand.push_back(fire);

  cEdCommand code = MakeFlowCommand(FlowCommandKind::RunCode, 0);
  code.m_strText = Sjis("my.hp = my.hp - 1 // 体力");
  flow.m_vecCommand.push_back(code);

  cEdCommand message = MakeFlowCommand(FlowCommandKind::Message, 10);
  for (size_t i = 0; i < message.m_vParam.size(); ++i) message.m_vParam[i] = static_cast<int32_t>(i * 3) - 7;
  flow.m_vecCommand.push_back(message);

  cEdCommand item = MakeFlowCommand(FlowCommandKind::GetItem, 0);
  item.m_vecFlow.push_back(MakeJumpOnKeyFlow());
  item.m_vecFlow.push_back(MakeWalkerFlow());
  flow.m_vecCommand.push_back(item);
  return flow;
}

void cFlowListFile::Read(cDataFile& f) {
  cEdRecord::Read(f);
  ReadFlowList(m_vecFlow, f);
}

void cFlowListFile::Write(cDataFile& f) {
  cEdRecord::Write(f);
  WriteFlowList(m_vecFlow, f);
}

std::string NestedFlowListFileBytes(int nDepth) {
  std::string s;
  Put32(s, DATA_VERSION_CURRENT);
  Put32(s, 0);  // the file record's base part
  Put32(s, 0);
  Put32(s, 1);  // one flow
  const std::string flowBase = [] {
    std::string b;
    Put32(b, 8);
    b.append("\0\0\0\0\0\0\x03\0", 8);
    Put32(b, 0);
    return b;
  }();
  const std::string commandBase = [] {
    std::string b;
    Put32(b, 8);
    b.append("\0\x1A\0\0\0\0\0\0\x01\0\0\0", 12);  // a ChangeBaseAnimeSet command
    Put32(b, 1);
    Put32(b, 1);  // the empty text
    return b;
  }();
  s.reserve(static_cast<size_t>(nDepth) * 72 + 32);
  for (int i = 0; i < nDepth; ++i) {
    s += flowBase;
    Put32(s, 0);  // conditions
    Put32(s, 0);  // key conditions
    Put32(s, 1);  // one command
    s += commandBase;
    Put32(s, 0);  // no move
    Put32(s, 0);  // no shot
    Put32(s, i + 1 < nDepth ? 1 : 0);  // its child flows
  }
  for (int i = 0; i < nDepth; ++i) {
    Put32(s, 1);  // the command's one parameter
    Put32(s, 0);
  }
  return s;
}

cFakeFlowProjectView::cFakeFlowProjectView() {
  for (int& n : m_anCount) n = 10;
  for (auto& a : m_anPalette)
    for (int& n : a) n = 10;
  m_vvSwordFrames = {{10, 20}};
  SetFlowProjectView(this);
}

cFakeFlowProjectView::~cFakeFlowProjectView() {
  if (GetFlowProjectView() == this) SetFlowProjectView(nullptr);
}

std::vector<int> cFakeFlowProjectView::SwordPartFrames(int nType) const {
  if (nType < 0 || static_cast<size_t>(nType) >= m_vvSwordFrames.size()) return {};
  return m_vvSwordFrames[static_cast<size_t>(nType)];
}
