// cEdItem: a pick-up of a stage, as a palette entry, a placed item, the item
// a block carries or the item a summon creates; and GetItemDef, which finds
// a palette item by its palette kind and index.
#pragma once

#include <cstdint>
#include <string>

#include "records/block.h"
#include "records/flow_records.h"
#include "records/record.h"

constexpr int ITEM_INHERIT_GROUPS = 13;

// Pick-up modes: "1回だけ取れる", "何回でも取れる", "取れない".
enum ITEMPICKUP : uint8_t { ITEMPICKUP_ONCE = 0, ITEMPICKUP_REPEAT = 1, ITEMPICKUP_NEVER = 2 };

class cEdItem;
template <>
struct ReportedSize<cEdItem> {
  static constexpr int value = 132;
};

class cEdItem : public cEdRecord {
 public:
  cEdItem();
  void RegisterFields(int nVersion) override;
  // Fields cleared, 13 inheritance entries of 0, then the fixed values.
  void SetDefaults();
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  void InheritFromPalette();
  // First refresh step: references and database indices.
  void CheckRefs();
  // Second refresh step: the palette references of the commands.
  void FitCommands();

  uint16_t m_nColumn{};  // cell of a placed item
  uint16_t m_nRow{};
  cVector<uint8_t> m_vecInherit;
  cVector<cEdCondition> m_vecCondition;
  cVector<cEdCommand> m_vecCommand;  // run when the item is taken
  std::string m_strText;

  uint8_t m_nInheritSource{};   // 1  PALETTEKIND
  uint16_t m_nInheritIndex{};   // 2  0: none
  uint8_t m_nCondMode{};        // 3
  uint8_t m_nCondLatch{};       // 4
  uint16_t m_nSetting5{};       // 5
  uint16_t m_nSetting6{};       // 6
  uint16_t m_nImageIndex{};     // 7
  uint8_t m_nImageKind{};       // 8  IMAGEKIND
  uint16_t m_nImageSub{};       // 9
  uint8_t m_nSetting10{};       // 10
  uint8_t m_bHidden{};          // 11 not drawn while set
  uint8_t m_bShowIcon{};        // 12
  uint16_t m_nIconIndex{};      // 13
  uint8_t m_bShowOnTake{};      // 14 the picture is shown over the player when taken
  uint8_t m_nPickup{};          // 15 ITEMPICKUP
  uint8_t m_nScale{};           // 16 at least 1
  uint16_t m_nSound{};          // 17 Sound database index
};

// The palette item of source 1 (common) or 2 (stage) at nIndex; null for any
// other source or an index past the list.
cEdItem* GetItemDef(int nSource, int nIndex);
