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

// The palette list being read and the count its file gave. Each thread has
// its own (the loader thread reads stages, the main thread the common
// palette), so no read sees another's.
thread_local int t_nCommonReads = 0;
thread_local const void* t_pListRead = nullptr;
thread_local size_t t_nListClaimed = 0;

class cListReadScope {
 public:
  cListReadScope(const void* pList, size_t nClaimed)
      : m_pSavedList(t_pListRead), m_nSavedClaimed(t_nListClaimed) {
    t_pListRead = pList;
    t_nListClaimed = nClaimed;
  }
  ~cListReadScope() {
    t_pListRead = m_pSavedList;
    t_nListClaimed = m_nSavedClaimed;
  }
  cListReadScope(const cListReadScope&) = delete;
  cListReadScope& operator=(const cListReadScope&) = delete;

 private:
  const void* m_pSavedList;
  size_t m_nSavedClaimed;
};

template <class T>
void ReadPaletteList(cVector<T>& v, cDataFile& f, size_t nMinBytes, const char* pszWhat) {
  uint32_t n = f.ReadCount(nMinBytes, pszWhat);
  // Placements, inheritance and summons name an entry in 16 bits: a list
  // longer than that holds entries nothing can reach, and is damage.
  if (n > PALETTE_MAX_ENTRIES) {
    f.Fail(pszWhat);
    n = 0;
  }
  v.clear();
  cListReadScope scope(&v, n);
  for (uint32_t i = 0; i < n && !f.Failed(); ++i) {
    v.emplace_back();
    v.back().Read(f);
  }
  if (v.size() <= v.capacity() / 2) v.shrink_to_fit();
}

template <class T>
size_t ListCount(const cVector<T>& v) {
  return &v == t_pListRead ? std::max(t_nListClaimed, v.size()) : v.size();
}

template <class T>
const T* EntryToInherit(const cVector<T>& v, size_t nIndex) {
  if (t_nCommonReads > 0 || nIndex >= ListCount(v)) return nullptr;
  if (nIndex < v.size()) return &v[nIndex];
  // Not read yet: as a default element it would be when the list was sized
  // to its count.
  static const T s_Default;
  return &s_Default;
}

template <class T>
void ClearInheritMarks(cVector<T>& v) {
  for (T& r : v) std::fill(r.m_vecInherit.begin(), r.m_vecInherit.end(), 0);
}

}  // namespace

size_t PaletteListCount(const cVector<cEdBlock>& v) { return ListCount(v); }
size_t PaletteListCount(const cVector<cEdChara>& v) { return ListCount(v); }
size_t PaletteListCount(const cVector<cEdItem>& v) { return ListCount(v); }
const cEdBlock* PaletteEntryToInherit(const cVector<cEdBlock>& v, size_t nIndex) { return EntryToInherit(v, nIndex); }
const cEdChara* PaletteEntryToInherit(const cVector<cEdChara>& v, size_t nIndex) { return EntryToInherit(v, nIndex); }
const cEdItem* PaletteEntryToInherit(const cVector<cEdItem>& v, size_t nIndex) { return EntryToInherit(v, nIndex); }

cCommonPaletteReadScope::cCommonPaletteReadScope() { ++t_nCommonReads; }
cCommonPaletteReadScope::~cCommonPaletteReadScope() { --t_nCommonReads; }

void ReadBlockList(cVector<cEdBlock>& v, cDataFile& f) {
  ReadPaletteList(v, f, MIN_BLOCK_BYTES, "block list");
}
void ReadCharaList(cVector<cEdChara>& v, cDataFile& f) {
  ReadPaletteList(v, f, MIN_CHARA_BYTES, "chara list");
}
void ReadItemList(cVector<cEdItem>& v, cDataFile& f) {
  ReadPaletteList(v, f, MIN_ITEM_BYTES, "item list");
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
