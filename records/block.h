// cEdBlock: one 32 × 32 cell of a stage's block map, as a palette entry (the
// block lists of the common and the stage palette) and as a placed block.
// A block may take groups of its values from a palette block (inheritance).
#pragma once

#include <cstdint>
#include <string>

#include "records/flow_records.h"
#include "records/record.h"

// Which palette a definition refers to.
enum PALETTEKIND : uint8_t {
  PALETTE_NONE = 0,
  PALETTE_COMMON = 1,
  PALETTE_STAGE = 2,
};

// Picture sources of blocks, charas and items.
enum IMAGEKIND : uint8_t {
  IMAGE_BLOCK = 0,
  IMAGE_CHARA = 1,
  IMAGE_ITEM = 2,
  IMAGE_SHOT = 3,
  IMAGE_OWN = 4,
};

// Hit kinds of a block: "当たらない", "当たる", "主人公が当たると即死".
enum BLOCKHIT : uint8_t { BLOCKHIT_NONE = 0, BLOCKHIT_SOLID = 1, BLOCKHIT_DEADLY = 2 };

constexpr int BLOCK_INHERIT_GROUPS = 11;
constexpr uint8_t BLOCK_NO_PASS_SIDE = 255;

class cEdBlock;
template <>
struct ReportedSize<cEdBlock> {
  static constexpr int value = 124;
};

class cEdBlock : public cEdRecord {
 public:
  cEdBlock();
  void RegisterFields(int nVersion) override;
  // All fields cleared, hit kind 1, 11 inheritance entries of 0, no pass side.
  void SetDefaults();
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  void InheritFromPalette();
  // First refresh step: the inheritance reference.
  void CheckRefs();
  // Second refresh step: the item reference.
  void CheckItemRef();
  uint8_t GetHitKind(int nSide) const;

  uint16_t m_nColumn{};  // cell of a placed block
  uint16_t m_nRow{};
  uint8_t m_nInheritSource{};   // PALETTEKIND
  uint16_t m_nInheritIndex{};   // 0: no inheritance
  cVector<uint8_t> m_vecInherit;  // entry i non-zero: group i comes from the palette
  std::string m_strText;
  cVector<cEdCondition> m_vecCondition;
  uint8_t m_nCondMode{};
  uint8_t m_nCondLatch{};
  // Not in the file: the conditions of a block in the running stage held
  // once (the latch their test keeps).
  mutable int32_t m_bCondLatched = 0;
  uint16_t m_nImageIndex{};  // 0: an empty block
  uint8_t m_nImageKind{};    // IMAGEKIND
  uint16_t m_nImageSub{};
  uint8_t m_nSettingA{};
  uint8_t m_nSettingB{};
  uint8_t m_bOverlay{};
  uint16_t m_nOverlayCell{};
  uint8_t m_nHitKind{};    // BLOCKHIT
  uint8_t m_nPassSide{};   // a side that gives no hit; 255 none
  uint8_t m_nEffect{};     // BLOCKEFFECT
  uint32_t m_nEffectValue{};
  uint8_t m_nItemSource{};  // PALETTEKIND
  uint16_t m_nItemIndex{};
  uint8_t m_nSettingC{};
};

// What a block does to the player standing on it (the X is m_nEffectValue).
enum BLOCKEFFECT : uint8_t {
  BLOCKEFFECT_NONE = 0,        // "なし"
  BLOCKEFFECT_JUMP = 1,        // "ジャンプ X=高さ(hbl)"
  BLOCKEFFECT_NO_JUMP = 2,     // "ジャンプ禁止"
  BLOCKEFFECT_SPEED = 3,       // "移動速度変更 X=％"
  BLOCKEFFECT_MOVE_LEFT = 4,   // "左移動 X=移動速度"
  BLOCKEFFECT_MOVE_RIGHT = 5,  // "右移動 X=移動速度"
};

// The conditions of a block for the stage in play (the flow engine's test).
// Until the engine installs one every block's conditions hold.
typedef bool (*BLOCKCONDITIONTEST)(const cEdBlock& block);
void SetBlockConditionTest(BLOCKCONDITIONTEST pfn);
// True when the block has no conditions or the installed test passes them.
bool CheckBlockConditions(const cEdBlock& block);

// Copiers shared by blocks and items: group 0 (the text) and group 1 (the
// conditions with their mode and latch).
template <class T>
void CopyTextGroup(T& dst, const T& src) {
  dst.m_strText = src.m_strText;
}
template <class T>
void CopyConditionGroup(T& dst, const T& src) {
  dst.m_vecCondition = src.m_vecCondition;
  dst.m_nCondMode = src.m_nCondMode;
  dst.m_nCondLatch = src.m_nCondLatch;
}

// Files before 219 counted shot pictures from 0; they moved up by one, and
// the last index of the shot sheet is 119.
inline uint16_t ShiftOldShotPicture(uint16_t nIndex) { return nIndex + 1 > 119 ? 119 : static_cast<uint16_t>(nIndex + 1); }

// The inheritance vector as the file holds it: u32 n, then n bytes. The
// vector keeps every entry read; only the entries that name a group act.
void ReadInheritVector(cVector<uint8_t>& v, cDataFile& f);
void WriteInheritVector(const cVector<uint8_t>& v, cDataFile& f);
