#include "records/block.h"

#include <atomic>

#include "records/common_palette.h"
#include "records/stage.h"

namespace {

std::atomic<BLOCKCONDITIONTEST> s_pfnConditionTest{nullptr};

// The palette block list a source names; null for any other source.
cVector<cEdBlock>* BlockPalette(int nSource) {
  if (nSource == PALETTE_COMMON) return &g_CommonPalette.m_vecBlock;
  if (nSource == PALETTE_STAGE) return &g_Stage.m_vecPaletteBlock;
  return nullptr;
}

typedef void (*BLOCKCOPIER)(cEdBlock& dst, const cEdBlock& src);

// Group i of the inheritance vector.
const BLOCKCOPIER s_BlockCopier[BLOCK_INHERIT_GROUPS] = {
    [](cEdBlock& d, const cEdBlock& s) { CopyTextGroup(d, s); },
    [](cEdBlock& d, const cEdBlock& s) { CopyConditionGroup(d, s); },
    [](cEdBlock& d, const cEdBlock& s) {
      d.m_nImageKind = s.m_nImageKind;
      d.m_nImageIndex = s.m_nImageIndex;
      d.m_nImageSub = s.m_nImageSub;
    },
    [](cEdBlock& d, const cEdBlock& s) { d.m_nSettingA = s.m_nSettingA; },
    [](cEdBlock& d, const cEdBlock& s) { d.m_nSettingB = s.m_nSettingB; },
    [](cEdBlock& d, const cEdBlock& s) {
      d.m_bOverlay = s.m_bOverlay;
      d.m_nOverlayCell = s.m_nOverlayCell;
    },
    [](cEdBlock& d, const cEdBlock& s) { d.m_nHitKind = s.m_nHitKind; },
    [](cEdBlock& d, const cEdBlock& s) { d.m_nPassSide = s.m_nPassSide; },
    [](cEdBlock& d, const cEdBlock& s) {
      d.m_nEffect = s.m_nEffect;
      d.m_nEffectValue = s.m_nEffectValue;
    },
    [](cEdBlock& d, const cEdBlock& s) {
      d.m_nItemSource = s.m_nItemSource;
      d.m_nItemIndex = s.m_nItemIndex;
    },
    [](cEdBlock& d, const cEdBlock& s) { d.m_nSettingC = s.m_nSettingC; },
};

}  // namespace

void ReadInheritVector(cVector<uint8_t>& v, cDataFile& f) {
  uint32_t n = f.ReadCount(1, "inheritance vector");
  v.resize(n, 0);
  if (n) f.ReadBytes(v.data(), n);
}

void WriteInheritVector(const cVector<uint8_t>& v, cDataFile& f) {
  f.WriteU32(static_cast<uint32_t>(v.size()));
  if (!v.empty()) f.WriteBytes(v.data(), v.size());
}

void SetBlockConditionTest(BLOCKCONDITIONTEST pfn) { s_pfnConditionTest = pfn; }

cEdBlock::cEdBlock() {
  RegisterFields(DATA_VERSION_CURRENT);
  SetDefaults();
}

void cEdBlock::RegisterFields(int) {
  ClearTables();
  AddField8(&m_nInheritSource, 1);
  AddField16(&m_nInheritIndex, 1);
  AddField8(&m_nCondMode, 1);
  AddField8(&m_nCondLatch, 1);
  AddField16(&m_nImageIndex, 1);
  AddField8(&m_nImageKind, 1);
  AddField16(&m_nImageSub, 1);
  AddField8(&m_nSettingA, 1);
  AddField8(&m_nSettingB, 1);
  AddField8(&m_bOverlay, 1);
  AddField16(&m_nOverlayCell, 1);
  AddField8(&m_nHitKind, 1);
  AddField8(&m_nPassSide, 1);
  AddField8(&m_nEffect, 1);
  AddField32(&m_nEffectValue, 1);
  AddField8(&m_nItemSource, 1);
  AddField16(&m_nItemIndex, 1);
  AddField8(&m_nSettingC, 1);
  AddStrField(&m_strText, 1);
}

void cEdBlock::SetDefaults() {
  ClearFields();
  m_nHitKind = BLOCKHIT_SOLID;
  m_vecInherit.assign(BLOCK_INHERIT_GROUPS, 0);
  m_nPassSide = BLOCK_NO_PASS_SIDE;
  m_nImageIndex = 0;
}

void cEdBlock::Read(cDataFile& f) {
  cEdRecord::Read(f);
  f.ReadU16(m_nColumn);
  f.ReadU16(m_nRow);
  ReadInheritVector(m_vecInherit, f);
  ReadConditionList(m_vecCondition, f);
  if (g_nFileDataVersion < 219 && m_nImageKind == IMAGE_SHOT) m_nImageIndex = ShiftOldShotPicture(m_nImageIndex);
  InheritFromPalette();
  CheckRefs();
}

void cEdBlock::Write(cDataFile& f) {
  CheckRefs();
  cEdRecord::Write(f);
  f.WriteU16(m_nColumn);
  f.WriteU16(m_nRow);
  WriteInheritVector(m_vecInherit, f);
  WriteConditionList(m_vecCondition, f);
}

void cEdBlock::InheritFromPalette() {
  if (m_nInheritIndex == 0 || m_nInheritSource == PALETTE_NONE) return;
  cVector<cEdBlock>* pList = BlockPalette(m_nInheritSource);
  if (!pList) return;
  if (m_nInheritIndex >= pList->size()) {
    m_nInheritSource = PALETTE_NONE;
    return;
  }
  if (!PaletteEntryReady(m_nInheritSource, PALLIST_BLOCK, m_nInheritIndex)) return;
  const cEdBlock& src = (*pList)[m_nInheritIndex];
  if (&src == this) return;
  for (size_t i = 0; i < m_vecInherit.size() && i < BLOCK_INHERIT_GROUPS; ++i)
    if (m_vecInherit[i]) s_BlockCopier[i](*this, src);
}

void cEdBlock::CheckRefs() {
  if ((m_nInheritSource == PALETTE_COMMON && m_nInheritIndex >= g_CommonPalette.m_vecBlock.size()) ||
      (m_nInheritSource == PALETTE_STAGE && m_nInheritIndex >= g_Stage.m_vecPaletteBlock.size())) {
    m_nInheritSource = PALETTE_NONE;
    m_nInheritIndex = 0;
  }
  if (m_nImageIndex == 0) {
    m_nHitKind = BLOCKHIT_NONE;
    m_nSettingC = 0;
  }
}

void cEdBlock::CheckItemRef() {
  if ((m_nItemSource == PALETTE_COMMON && m_nItemIndex >= g_CommonPalette.m_vecItem.size()) ||
      (m_nItemSource == PALETTE_STAGE && m_nItemIndex >= g_Stage.m_vecPaletteItem.size())) {
    m_nItemSource = PALETTE_NONE;
    m_nItemIndex = 0;
  }
}

bool CheckBlockConditions(const cEdBlock& block) {
  if (block.m_vecCondition.empty()) return true;
  BLOCKCONDITIONTEST pfn = s_pfnConditionTest.load();
  return !pfn || pfn(block);
}

uint8_t cEdBlock::GetHitKind(int nSide) const {
  if (!CheckBlockConditions(*this)) return BLOCKHIT_NONE;
  if (nSide == m_nPassSide) return BLOCKHIT_NONE;
  return m_nHitKind;
}
