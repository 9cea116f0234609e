#include "records/block.h"

#include <atomic>

#include "records/palette_entry.h"

namespace {

std::atomic<BLOCKCONDITIONTEST> s_pfnConditionTest{nullptr};

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
  ReadPlacedHead(*this, f);
  if (g_nFileDataVersion < 219 && m_nImageKind == IMAGE_SHOT) m_nImageIndex = ShiftOldShotPicture(m_nImageIndex);
  InheritFromPalette();
  CheckRefs();
}

void cEdBlock::Write(cDataFile& f) {
  CheckRefs();
  cEdRecord::Write(f);
  WritePlacedHead(*this, f);
}

void cEdBlock::InheritFromPalette() {
  InheritMarkedGroups(*this, m_nInheritSource, m_nInheritIndex, m_vecInherit, s_BlockCopier);
}

void cEdBlock::CheckRefs() {
  UnbindPaletteRefOutside<cEdBlock>(m_nInheritSource, m_nInheritIndex);
  if (m_nImageIndex == 0) {
    m_nHitKind = BLOCKHIT_NONE;
    m_nSettingC = 0;
  }
}

void cEdBlock::CheckItemRef() {
  UnbindPaletteRefOutside<cEdItem>(m_nItemSource, m_nItemIndex);
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
