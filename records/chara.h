// cEdChara: an acting figure of a stage (the player, enemies, other figures)
// as a palette entry and as a placed chara; it can be bound to a palette
// chara (its template) and take any of 37 groups of values from it.
#pragma once

#include <cstdint>
#include <string>

#include "records/block.h"
#include "records/flow_records.h"
#include "records/record.h"

constexpr int CHARA_INHERIT_GROUPS = 37;

class cEdChara;
template <>
struct ReportedSize<cEdChara> {
  static constexpr int value = 200;
};

class cEdChara : public cEdRecord {
 public:
  // Registered at 667, then the defaults.
  cEdChara();
  void CopyFrom(const cEdChara& src) { *this = src; }
  void RegisterFields(int nVersion) override;
  void SetDefaults();
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  void InheritFromTemplate();
  // First refresh step: the template and database references, the flows.
  void RefreshTemplate();
  // Second refresh step: the palette references of the flows.
  void FitFlows();
  double CalcOffsetX(int n, int nDirection) const;
  double CalcOffsetY(int n, int nDirection) const;

  // Outside the registered fields.
  uint16_t m_nColumn{};  // cell of a placed chara
  uint16_t m_nRow{};
  uint32_t m_nPlacementValue{};
  cVector<uint8_t> m_vecInherit;  // entry i non-zero: group i comes from the template
  cVector<cEdCondition> m_vecCondition;
  cVector<cEdFlow> m_vecFlow;
  std::string m_strText;

  // The registered fields, numbered in file order. "Setting" fields carry
  // values whose meaning belongs to the chara core at play time.
  uint8_t m_nTemplateSource{};      // 1  PALETTEKIND
  uint16_t m_nTemplateIndex{};      // 2  0: no template
  uint8_t m_nCondMode{};            // 3
  uint8_t m_nCondLatch{};           // 4
  uint8_t m_nDir{};                 // 5  facing; 1 selects the mirrored offsets
  uint8_t m_nSetting6{};            // 6
  int16_t m_nOffsetXBase{};         // 7
  int16_t m_nOffsetXStep{};         // 8
  int16_t m_nOffsetYBase{};         // 9
  int16_t m_nOffsetYStep{};         // 10
  uint8_t m_bOffsetXMirror{};       // 11
  uint8_t m_bOffsetYMirror{};       // 12
  uint16_t m_nImageIndex{};         // 13 0: no picture
  uint8_t m_nImageKind{};           // 14 IMAGEKIND
  uint16_t m_nImageSub{};           // 15
  uint16_t m_nAnimeSet{};           // 16 AnimeSet database index
  uint8_t m_nSetting17{};           // 17
  uint8_t m_nStatusA{};             // 18
  uint16_t m_nAppearEffect{};       // 19 CharaEffect database index
  uint8_t m_nAppearEffectMode{};    // 20 0 forwards, 1 reversed, 2 back and forth
  uint8_t m_bAppearEffectRepeat{};  // 21
  uint16_t m_nDefeatEffect{};       // 22 CharaEffect database index
  uint8_t m_nDefeatEffectMode{};    // 23
  uint8_t m_nDefeatEffectParam8{};  // 24
  uint16_t m_nDefeatEffectParam16{};  // 25
  uint8_t m_nType{};                // 26 0: the player chara
  uint8_t m_nPlayerNo{};            // 27
  uint8_t m_nSide{};                // 28
  uint8_t m_nGroup{};               // 29
  uint8_t m_nMoveType{};            // 30
  uint8_t m_nStatusB{};             // 31
  uint8_t m_nInvincibleKind{};      // 32
  uint8_t m_nSetting33{};           // 33
  uint8_t m_bBlockChara{};          // 34
  uint8_t m_nScale{};               // 35 at least 1
  uint8_t m_bFollowScroll{};        // 36
  uint8_t m_nSetting37{};           // 37
  uint8_t m_nViewLimitHalfCells{};  // 38
  uint32_t m_nMaxHp{};              // 39
  uint32_t m_nMaxSp{};              // 40
  uint16_t m_nSetting41{};          // 41
  uint8_t m_nForm{};                // 42 hit-range form 0 to 3
  uint32_t m_nAttack{};             // 43
  uint8_t m_nKnockBack{};           // 44
  uint16_t m_nHitEffect{};          // 45 Effect database index
  uint32_t m_nDefence{};            // 46
  uint8_t m_nKnockBackGuard{};      // 47
  uint32_t m_nScore{};              // 48
  uint8_t m_nSetting49{};           // 49
  uint8_t m_bSwitchLinked{};        // 50
  int16_t m_nSwitchNo{};            // 51
  uint8_t m_nViewTestKind{};        // 52
  uint8_t m_nAppearKind{};          // 53

 private:
  void ConvertOlder(int nVersion);
};

// A flow as a chara that inherits an empty flow list gets it: registered at
// 667, cleared, trigger parameter 3.
cEdFlow MakeDefaultCharaFlow();
