// The two command catalogues (name and parameter count of every command
// kind), the label tables of the flow engine's choices, the status, system
// value and chara switch tables, and DirectionFromCode. The parameter counts
// are read at run time; the labels are the vocabulary the game's data was
// made with and are given out as CP932 on request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "records/flow_enums.h"
#include "platform/win_types.h"

// One kind of a command catalogue. The name is kept as the source writes it
// (UTF-8) and handed out as CP932.
struct CATALOGENTRY {
  const char* pszName;
  int32_t nParams;
};

class cCommandCatalog {
 public:
  template <size_t N>
  constexpr explicit cCommandCatalog(const CATALOGENTRY (&aEntry)[N]) : m_pEntry(aEntry), m_nCount(static_cast<int>(N)) {}
  int Count() const { return m_nCount; }
  bool Has(int nKind) const { return nKind >= 0 && nKind < m_nCount; }
  // -1 for a kind outside the catalogue.
  int32_t ParamCount(int nKind) const { return Has(nKind) ? m_pEntry[nKind].nParams : -1; }
  // CP932; "" for a kind outside the catalogue.
  std::string Name(int nKind) const;

 private:
  const CATALOGENTRY* m_pEntry;
  int m_nCount;
};

extern const cCommandCatalog g_FlowCommandCatalog;  // 37 kinds, FlowCommandKind
extern const cCommandCatalog g_ItemCommandCatalog;  // 22 kinds, ItemCommandKind

// The catalogue that a command's list byte chooses (0 flow, otherwise item).
const cCommandCatalog& CatalogOfList(uint8_t byList);
// The flow kind whose executor and parameters an item kind shares: item kinds
// 2 to 21 give kind + 15; the empty kind gives 0; ChangeFlow and kinds outside
// the catalogue have none (-1). A flow command gives its own kind, or -1
// outside the catalogue.
int FlowKindOfCommand(uint8_t byList, uint8_t byKind);

// Direction value of the live objects for a direction code of movement, shot
// and summon commands: 0 forward (3 facing right, else 2), 1 to 8 give 2, 3,
// 6, 7, 8, 9, 10, 11. Codes without an entry are taken as forward.
int DirectionFromCode(int nCode, BOOL bFacingRight);

// A list of the names of the values of one choice; the value is the index.
class cLabelTable {
 public:
  template <size_t N>
  constexpr explicit cLabelTable(const char* const (&apszLabel)[N]) : m_ppLabel(apszLabel), m_nCount(static_cast<int>(N)) {}
  int Count() const { return m_nCount; }
  // CP932; "" outside the table.
  std::string Label(int i) const;

 private:
  const char* const* m_ppLabel;
  int m_nCount;
};

// Flows and conditions.
extern const cLabelTable g_LabelFlowTrigger;       // FlowTrigger, 20
extern const cLabelTable g_LabelConditionKind;     // FlowConditionKind, 8 (0 is "")
extern const cLabelTable g_LabelConditionMode;     // ConditionMode
extern const cLabelTable g_LabelKeyComboMode;      // KeyComboMode
extern const cLabelTable g_LabelKeyState;          // KeyState
extern const cLabelTable g_LabelDistanceParty;     // distance condition: player, target
extern const cLabelTable g_LabelDistanceMeasure;   // distance condition: the measure
extern const cLabelTable g_LabelDistanceSide;      // distance condition: within, outside
extern const cLabelTable g_LabelCharaState;        // chara states
// Flow operations and stage clear.
extern const cLabelTable g_LabelFlowOperation;     // FlowOperation
extern const cLabelTable g_LabelFlowScope;         // FlowScope
extern const cLabelTable g_LabelStageClear;        // StageClear p0
// Targets, subjects and values.
extern const cLabelTable g_LabelTargetChoice;
extern const cLabelTable g_LabelSearchRange;
extern const cLabelTable g_LabelSubjectSelfTarget;
extern const cLabelTable g_LabelSubjectSelfTargetSystem;
extern const cLabelTable g_LabelSubjectPlayerTarget;
extern const cLabelTable g_LabelSubjectPlayerTargetSystem;
extern const cLabelTable g_LabelStatusOrVariable;
extern const cLabelTable g_LabelValueSource;       // ValueSource
extern const cLabelTable g_LabelVariableKind;
extern const cLabelTable g_LabelCalculation;
extern const cLabelTable g_LabelOn;
extern const cLabelTable g_LabelEnlargement;       // "×4" to "×100"
// Messages and pictures.
extern const cLabelTable g_LabelMessagePlace;
extern const cLabelTable g_LabelDisplayTime;       // message and picture duration
extern const cLabelTable g_LabelPicturePlace;
extern const cLabelTable g_LabelAnimeRunMode;
extern const cLabelTable g_LabelVisibility;
extern const cLabelTable g_LabelPalette;
extern const cLabelTable g_LabelCommonPaletteOnly;
// Lists kept with the flow tables whose choices live in other records.
extern const cLabelTable g_LabelOperator;          // player, computer
extern const cLabelTable g_LabelOne;
extern const cLabelTable g_LabelOffOn;
extern const cLabelTable g_LabelArea;
extern const cLabelTable g_LabelHitRange;
extern const cLabelTable g_LabelScreenRange;
extern const cLabelTable g_LabelRangeGroupTest;
extern const cLabelTable g_LabelGroupUpper;        // "-", "A" to "Z"
extern const cLabelTable g_LabelGroupLower;        // "-", "a" to "z"
extern const cLabelTable g_LabelGroupDelete;       // "全て削除", "A" to "Z"
extern const cLabelTable g_LabelGroupEdit;
// Operators, each followed by an empty entry.
extern const cLabelTable g_LabelAssignOp;          // AssignOp
extern const cLabelTable g_LabelCompareOp;         // CompareOp

// A status or system value: its name, value range, operand range, a number
// that is 0 in every entry, and two flags.
struct RANGEENTRY {
  const char* pszName;
  int32_t nMin, nMax;
  int32_t nOperandMin, nOperandMax;
  int32_t nZero;
  int32_t nFlagA, nFlagB;
};
constexpr int STATUS_TABLE_COUNT = 15;
constexpr int SYSTEM_VALUE_TABLE_COUNT = 5;
extern const RANGEENTRY g_StatusTable[STATUS_TABLE_COUNT];
extern const RANGEENTRY g_SystemValueTable[SYSTEM_VALUE_TABLE_COUNT];

// A chara switch of StatusOp2: its values run from nLow to nHigh, and
// Values.Label(v - nLow) names value v.
struct SWITCHENTRY {
  const char* pszName;
  int32_t nLow, nHigh, nDefault;
  cLabelTable Values;
};
constexpr int CHARA_SWITCH_COUNT = 7;
extern const SWITCHENTRY g_CharaSwitchTable[CHARA_SWITCH_COUNT];

// The CP932 form of a name kept in one of the tables above.
std::string TableText(const char* pszName);
