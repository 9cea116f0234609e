#include "records/common_palette.h"

#include <algorithm>

cEdCommonPalette g_CommonPalette;
const char* const COMMON_PALETTE_PATH = "data\\CommonPalette.cplt4";

namespace {

// The fewest bytes a block, chara or item takes in a file: its base part's
// two counts, its own words and the counts of its lists.
constexpr size_t MIN_BLOCK_BYTES = 20;
constexpr size_t MIN_CHARA_BYTES = 28;
constexpr size_t MIN_ITEM_BYTES = 24;

// The read in progress on this thread (the loader reads stages while the
// window thread may read nothing of the kind, but keep them apart anyway).
thread_local int t_nCommonReads = 0;
thread_local int t_nStageList = -1;
thread_local int t_nStageReadSoFar = 0;

template <class T>
void ReadPaletteList(cVector<T>& v, cDataFile& f, size_t nMinBytes, PALETTELIST list, const char* pszWhat) {
  uint32_t n = f.ReadCount(nMinBytes, pszWhat);
  v.clear();
  v.assign(n, T());
  for (uint32_t i = 0; i < n && !f.Failed(); ++i) {
    if (t_nStageList == list) t_nStageReadSoFar = static_cast<int>(i);
    v[i].Read(f);
  }
  if (t_nStageList == list) t_nStageReadSoFar = static_cast<int>(n);
}

template <class T>
void ClearInheritMarks(cVector<T>& v) {
  for (T& r : v) std::fill(r.m_vecInherit.begin(), r.m_vecInherit.end(), 0);
}

}  // namespace

bool PaletteEntryReady(int nSource, PALETTELIST list, int nIndex) {
  if (t_nCommonReads > 0) return false;
  if (nSource == PALETTE_STAGE && t_nStageList == list) return nIndex < t_nStageReadSoFar;
  return true;
}

cCommonPaletteReadScope::cCommonPaletteReadScope() { ++t_nCommonReads; }
cCommonPaletteReadScope::~cCommonPaletteReadScope() { --t_nCommonReads; }

cStagePaletteReadScope::cStagePaletteReadScope(PALETTELIST list) {
  t_nStageList = list;
  t_nStageReadSoFar = 0;
}
cStagePaletteReadScope::~cStagePaletteReadScope() { t_nStageList = -1; }

void ReadBlockList(cVector<cEdBlock>& v, cDataFile& f) {
  ReadPaletteList(v, f, MIN_BLOCK_BYTES, PALLIST_BLOCK, "block list");
}
void ReadCharaList(cVector<cEdChara>& v, cDataFile& f) {
  ReadPaletteList(v, f, MIN_CHARA_BYTES, PALLIST_CHARA, "chara list");
}
void ReadItemList(cVector<cEdItem>& v, cDataFile& f) {
  ReadPaletteList(v, f, MIN_ITEM_BYTES, PALLIST_ITEM, "item list");
}

void ResetPaletteHead(cVector<cEdBlock>& vBlock, cVector<cEdChara>& vChara, cVector<cEdItem>& vItem) {
  vBlock.CheckedAt(0).SetDefaults();
  vChara.CheckedAt(0).SetDefaults();
  vItem.CheckedAt(0).SetDefaults();
}

cEdCommonPalette::cEdCommonPalette() {
  RegisterFields(DATA_VERSION_CURRENT);
  m_vecBlock.resize(1);
  m_vecChara.resize(1);
  m_vecItem.resize(1);
}

void cEdCommonPalette::Read(cDataFile& f) {
  cEdRecord::Read(f);
  {
    cCommonPaletteReadScope scope;
    ReadBlockList(m_vecBlock, f);
    ReadCharaList(m_vecChara, f);
    ReadItemList(m_vecItem, f);
  }
  // Padded first: resetting element 0 of an empty list would reach past it.
  PadPaletteList(m_vecBlock);
  PadPaletteList(m_vecChara);
  PadPaletteList(m_vecItem);
  ResetPaletteHead(m_vecBlock, m_vecChara, m_vecItem);
  ClearInheritMarks(m_vecBlock);
  ClearInheritMarks(m_vecChara);
  ClearInheritMarks(m_vecItem);
  Normalize();
}

void cEdCommonPalette::Write(cDataFile& f) {
  Normalize();
  cEdRecord::Write(f);
  WriteRecordList(f, m_vecBlock);
  WriteRecordList(f, m_vecChara);
  WriteRecordList(f, m_vecItem);
}

void cEdCommonPalette::Normalize() {
  PadPaletteList(m_vecBlock);
  PadPaletteList(m_vecChara);
  PadPaletteList(m_vecItem);
  for (cEdBlock& b : m_vecBlock) b.CheckRefs(), b.CheckItemRef();
  for (cEdChara& c : m_vecChara) c.RefreshTemplate(), c.FitFlows();
  for (cEdItem& i : m_vecItem) i.CheckRefs(), i.FitCommands();
}

BOOL LoadCommonPalette() {
  BOOL ok = g_CommonPalette.LoadFromFile(COMMON_PALETTE_PATH);
  // A missing or damaged file still leaves a palette that stages can use.
  if (!ok) {
    PadPaletteList(g_CommonPalette.m_vecBlock);
    PadPaletteList(g_CommonPalette.m_vecChara);
    PadPaletteList(g_CommonPalette.m_vecItem);
    ResetPaletteHead(g_CommonPalette.m_vecBlock, g_CommonPalette.m_vecChara, g_CommonPalette.m_vecItem);
    g_CommonPalette.Normalize();
  }
  return ok;
}
