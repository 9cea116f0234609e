// What blocks, charas and items share as palette entries and placements:
// the head that follows their base part in a file, the palette list a
// reference names, and taking the marked groups of values from an entry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/common_palette.h"
#include "records/stage.h"

// The head after the base part: the cell, a chara's placement value, the
// inheritance vector and the conditions.
template <class T>
void ReadPlacedHead(T& r, cDataFile& f) {
  f.ReadU16(r.m_nColumn);
  f.ReadU16(r.m_nRow);
  if constexpr (requires { r.m_nPlacementValue; }) f.ReadU32(r.m_nPlacementValue);
  ReadInheritVector(r.m_vecInherit, f);
  ReadConditionList(r.m_vecCondition, f);
}

template <class T>
void WritePlacedHead(T& r, cDataFile& f) {
  f.WriteU16(r.m_nColumn);
  f.WriteU16(r.m_nRow);
  if constexpr (requires { r.m_nPlacementValue; }) f.WriteU32(r.m_nPlacementValue);
  WriteInheritVector(r.m_vecInherit, f);
  WriteConditionList(r.m_vecCondition, f);
}

inline cVector<cEdBlock>* PaletteListOf(const cEdBlock*, int nSource) {
  if (nSource == PALETTE_COMMON) return &g_CommonPalette.m_vecBlock;
  if (nSource == PALETTE_STAGE) return &g_Stage.m_vecPaletteBlock;
  return nullptr;
}
inline cVector<cEdChara>* PaletteListOf(const cEdChara*, int nSource) {
  if (nSource == PALETTE_COMMON) return &g_CommonPalette.m_vecChara;
  if (nSource == PALETTE_STAGE) return &g_Stage.m_vecPaletteChara;
  return nullptr;
}
inline cVector<cEdItem>* PaletteListOf(const cEdItem*, int nSource) {
  if (nSource == PALETTE_COMMON) return &g_CommonPalette.m_vecItem;
  if (nSource == PALETTE_STAGE) return &g_Stage.m_vecPaletteItem;
  return nullptr;
}

// The palette list of T's kind that source nSource names; null for any
// source but the common and the stage palette.
template <class T>
cVector<T>* PaletteList(int nSource) {
  return PaletteListOf(static_cast<const T*>(nullptr), nSource);
}

// A reference (nSource, nIndex) to T's palette list whose source (common or
// stage) holds no entry at nIndex becomes no reference (source 0, index 0);
// any other source names nothing to check.
template <class T>
void UnbindPaletteRefOutside(uint8_t& nSource, uint16_t& nIndex) {
  const cVector<T>* pList = PaletteList<T>(nSource);
  if (pList && nIndex >= PaletteListCount(*pList)) {
    nSource = PALETTE_NONE;
    nIndex = 0;
  }
}

// Copies group i of the entry (nSource, nIndex) into r with aCopier[i] for
// every marked entry i of vInherit that names a group. An index past its list unbinds r
// (nSource becomes 0); index 0 or source 0 means no entry.
template <class T, size_t N>
void InheritMarkedGroups(T& r, uint8_t& nSource, uint16_t nIndex, const cVector<uint8_t>& vInherit,
                         void (*const (&aCopier)[N])(T&, const T&)) {
  if (nIndex == 0 || nSource == PALETTE_NONE) return;
  const cVector<T>* pList = PaletteList<T>(nSource);
  if (!pList) return;
  if (nIndex >= PaletteListCount(*pList)) {
    nSource = PALETTE_NONE;
    return;
  }
  const T* pSrc = PaletteEntryToInherit(*pList, nIndex);
  if (!pSrc || pSrc == &r) return;
  for (size_t i = 0; i < vInherit.size() && i < N; ++i)
    if (vInherit[i]) aCopier[i](r, *pSrc);
}
