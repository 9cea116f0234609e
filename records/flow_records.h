// The flow records: cEdCondition (one condition), cEdKeyCondition (one key
// condition), cEdCommand (one command of a flow or item command list) and
// cEdFlow (a trigger, conditions, key conditions and commands), with their
// list readers. No file holds them alone: they sit inside chara, item, block
// and stage records, whose readers call the list readers below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "records/move_shot.h"
#include "records/record.h"

class cEdCondition;
class cEdKeyCondition;
class cEdCommand;
class cEdFlow;

// The sizes that checked-access failure lines name.
template <>
struct ReportedSize<cEdCondition> {
  static constexpr int value = 72;
};
template <>
struct ReportedSize<cEdKeyCondition> {
  static constexpr int value = 60;
};
template <>
struct ReportedSize<cEdCommand> {
  static constexpr int value = 116;
};
template <>
struct ReportedSize<cEdFlow> {
  static constexpr int value = 96;
};

class cEdCondition : public cEdRecord {
 public:
  cEdCondition();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override { WriteAndHook(*this, f); }

  // Named by their use in a status condition (kind 4); kinds 5 to 7 read
  // fields 5, 6 and 15 as their own subject, selector and operator.
  uint8_t m_byKind{};        // 1  FlowConditionKind
  int32_t m_nValue{};        // 2
  int32_t m_nRandMin{};      // 3
  int32_t m_nRandMax{};      // 4
  uint8_t m_bySubject{};     // 5  0 self, 1 target, 2 system
  uint8_t m_byStatus{};      // 6  status index or selector
  uint8_t m_byCategory{};    // 7  0 status, 1 variable
  uint8_t m_byVarScope{};    // 8  0 common, 1 stage
  int16_t m_nVarIndex{};     // 9
  uint8_t m_bySource{};      // 10 ValueSource of the operand
  uint8_t m_byOpSubject{};   // 11
  uint8_t m_byOpStatus{};    // 12
  uint8_t m_byOpVarScope{};  // 13
  int16_t m_nOpVarIndex{};   // 14
  uint8_t m_byCompareOp{};   // 15 CompareOp
  uint8_t m_byPercent{};     // 16
  uint8_t m_bySetting17{};   // 17
  // Files before 110 hold two 16-bit values after the value; they are read
  // and dropped.
  uint16_t m_wOldDropped1{};
  uint16_t m_wOldDropped2{};
};

class cEdKeyCondition : public cEdRecord {
 public:
  cEdKeyCondition();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;
  // Fields cleared, 19 keys all ignored.
  void SetDefaults();

  uint8_t m_byFacingRelative{};  // 1 keys 1/2, 5/7, 6/8 exchanged while facing left
  int16_t m_nMinFrames{};        // 2 held-frame range of a pressed key
  int16_t m_nMaxFrames{};        // 3
  uint8_t m_byAnyLength{};       // 4
  uint8_t m_byComboMode{};       // 5 KeyComboMode
  cVector<uint8_t> m_vecKeyState;  // KeyState per key
};
constexpr int KEY_CONDITION_KEYS = 19;

class cEdCommand : public cEdRecord {
 public:
  cEdCommand();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;
  // Fields cleared, no move or shot, the on-screen-only byte 1.
  void SetDefaults();

  uint8_t m_byList{};           // 1 0 flow command list, otherwise item command list
  uint8_t m_byKind{};           // 2 FlowCommandKind or ItemCommandKind
  int16_t m_nTimeBase{};        // 3 tenths of a second
  int16_t m_nTimeStep{};        // 4
  uint8_t m_byWithNext{};       // 5 the next command starts in the same frame
  int16_t m_nSound{};           // 6 Sound database index
  uint8_t m_byOnScreenOnly{};   // 7 sounds only while the chara is on screen
  int16_t m_nAnime{};           // 8 Anime database index
  std::string m_strText;      // the program of a RunCode command
  // Copies of a command share these, as the records always have.
  std::shared_ptr<cEdMove> m_pMove;
  std::shared_ptr<cEdShot> m_pShot;
  cVector<cEdFlow> m_vecFlow;
  cVector<int32_t> m_vParam;
};

class cEdFlow : public cEdRecord {
 public:
  cEdFlow();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  uint8_t m_byFlowId{};        // 1 chosen by FlowControl "IDで指定"
  uint8_t m_byStopNo{};        // 2 stopping sets the chara's flag of this number
  uint8_t m_byTestPlay{};      // 3 exists only in an editor test play
  uint8_t m_byCondMode{};      // 4 ConditionMode
  uint8_t m_byLatch{};         // 5 conditions once held count as holding
  uint8_t m_byTrigger{};       // 6 FlowTrigger
  int8_t m_cTriggerParam{};    // 7 3 in every new flow
  uint8_t m_byTriggerMode{};   // 8
  cVector<cEdCondition> m_vecCondition;
  cVector<cEdKeyCondition> m_vecKeyCondition;
  cVector<cEdCommand> m_vecCommand;
};

// List readers: u32 count, the list emptied and refilled with that many
// default elements, each then read. A count the file cannot hold, or flows
// nested deeper than MAX_FLOW_NESTING, mark the file damaged (one report
// line) and stop the read.
void ReadConditionList(cVector<cEdCondition>& v, cDataFile& f);
void ReadKeyConditionList(cVector<cEdKeyCondition>& v, cDataFile& f);
void ReadCommandList(cVector<cEdCommand>& v, cDataFile& f);
void ReadFlowList(cVector<cEdFlow>& v, cDataFile& f);
// u32 count, then each element's Write.
void WriteConditionList(cVector<cEdCondition>& v, cDataFile& f);
void WriteKeyConditionList(cVector<cEdKeyCondition>& v, cDataFile& f);
void WriteCommandList(cVector<cEdCommand>& v, cDataFile& f);
void WriteFlowList(cVector<cEdFlow>& v, cDataFile& f);

// Flows inside commands inside flows: project files nest them a level or
// two; a file nesting them deeper than this is taken as damaged.
constexpr int MAX_FLOW_NESTING = 64;
