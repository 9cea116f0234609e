#include "records/record.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

// Which node a class registers at a data version, remembered per thread: a
// few hundred slots, each holding the last class and version that fell on
// it; a miss registers again, which finds the same node.
struct RECLAYOUTSLOT {
  const std::type_info* pType = nullptr;
  int nVersion = 0;
  const cFieldNode* pNode = nullptr;
};

namespace {
constexpr size_t LAYOUT_SLOTS = 256;
thread_local RECLAYOUTSLOT tl_aLayout[LAYOUT_SLOTS];
}  // namespace

void cEdRecord::AddStrField(std::string* p, int nCount) {
  const ptrdiff_t nOffset = reinterpret_cast<char*>(p) - reinterpret_cast<char*>(this);
  for (int i = 0; i < nCount; ++i) m_pFields = (m_pFields ? *m_pFields : cFieldNode::Root()).Next(nOffset, 0, 0);
}

void cEdRecord::BindFields(int nVersion) {
  // Every layout gate of the records names a version from 1 to the current
  // one: a version below 0 registers as 0 does, one above the current as
  // the current, and so one slot serves each.
  const int nKey = std::clamp<int>(nVersion, 0, DATA_VERSION_CURRENT);
  const std::type_info* pType = &typeid(*this);
  const size_t nHash = (reinterpret_cast<uintptr_t>(pType) >> 4) * 31u + static_cast<size_t>(nKey);
  RECLAYOUTSLOT& slot = tl_aLayout[nHash % LAYOUT_SLOTS];
  if (slot.pType == pType && slot.nVersion == nKey) {
    m_pFields = slot.pNode;
    return;
  }
  RegisterAndRemember(nKey, slot);
}

void cEdRecord::RegisterAndRemember(int nVersion, RECLAYOUTSLOT& slot) {
  RegisterFields(nVersion);
  slot = RECLAYOUTSLOT{&typeid(*this), nVersion, m_pFields};
}

void cEdRecord::ClearFields() {
  BindFields(g_nCurDataVersion);
  const RECTABLES& t = Tables();
  for (const RECRUN& r : t.vecRun) std::memset(reinterpret_cast<char*>(this) + r.nOffset, 0, r.nBytes);
  for (const RECSTRFIELD& d : t.vecStrField) FieldString(d).clear();
}

void cEdRecord::RebindFields(cEdRecord& src) {
  BindFields(g_nCurDataVersion);
  src.PreCopy(g_nCurDataVersion);
  // Offsets need no re-basing: the same offsets name this record's members.
  m_pFields = src.m_pFields;
}

void cEdRecord::CopyFieldValues(cEdRecord& src) {
  BindFields(g_nCurDataVersion);
  src.BindFields(g_nCurDataVersion);
  for (int i = 0; i < FieldCount(); ++i) {
    const RECFIELD& d = FieldAt(i);
    // A source with fewer fields is reported by the checked access; its
    // stand-in descriptor is copied from only when it is just as large, so
    // nothing is read past a member of the source.
    const RECFIELD& s = src.FieldAt(i);
    if (s.dwCount != d.dwCount || s.cSize != d.cSize) continue;
    std::memcpy(FieldData(d), src.FieldData(s), static_cast<size_t>(d.dwCount) * d.cSize);
  }
  for (int i = 0; i < StrFieldCount(); ++i) {
    if (i >= src.StrFieldCount()) {
      src.StrFieldAt(i);  // reports the missing string
      continue;
    }
    FieldString(StrFieldAt(i)) = src.FieldString(src.StrFieldAt(i));
  }
}

void cEdRecord::Read(cDataFile& f) {
  BindFields(g_nFileDataVersion);
  const RECTABLES& t = Tables();
  const cVector<RECFIELD>& vecField = t.vecField;
  // The count is an unsigned word: read signed, one with its top bit set
  // would pass as no field at all.
  uint32_t nFields = 0;
  f.ReadU32(nFields);
  if (nFields > vecField.size()) {
    // More fields than this version has: a damaged file. One line, and the
    // load fails, instead of re-reading the first member over and over.
    f.Fail("field count");
  } else if (nFields == vecField.size() && f.BytesLeft() >= static_cast<int64_t>(t.nFieldBytes)) {
    // Every field, and the file holds them: one copy per run of fields.
    const uint8_t* pSrc = f.NextBytes(t.nFieldBytes);
    for (const RECRUN& r : t.vecRun) {
      CopySmall(reinterpret_cast<char*>(this) + r.nOffset, pSrc, r.nBytes);
      pSrc += r.nBytes;
    }
  } else {
    // Fewer fields than the layout has, or a file that ends among them:
    // each is read in turn, and the read fails at the first that does not
    // fit.
    for (uint32_t i = 0; i < nFields && !f.Failed(); ++i) {
      const RECFIELD& d = vecField[i];
      f.ReadBytes(FieldData(d), static_cast<size_t>(d.dwCount) * d.cSize);
    }
  }
  if (!f.Failed()) ReadStrFields(f);
  if (g_nCurDataVersion != g_nFileDataVersion) BindFields(g_nCurDataVersion);
}

void cEdRecord::ReadStrFields(cDataFile& f) {
  const cVector<RECSTRFIELD>& vecStrField = Tables().vecStrField;
  uint32_t nStrings = 0;
  f.ReadU32(nStrings);
  if (nStrings > vecStrField.size()) {
    f.Fail("string count");
    return;
  }
  // A string whose read fails keeps its value.
  for (uint32_t i = 0; i < nStrings && !f.Failed(); ++i) f.ReadString(FieldString(vecStrField[i]));
  if (g_bStripCR) StripStrFieldsCR();
}

void cEdRecord::StripStrFieldsCR() {
  for (const RECSTRFIELD& d : Tables().vecStrField) {
    std::string& s = FieldString(d);
    if (s.empty() || !std::memchr(s.data(), '\r', s.size())) continue;
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  }
}

void cEdRecord::Write(cDataFile& f) {
  BindFields(g_nCurDataVersion);
  f.WriteU32(static_cast<uint32_t>(FieldCount()));
  for (const RECFIELD& d : Tables().vecField) f.WriteBytes(FieldData(d), static_cast<size_t>(d.dwCount) * d.cSize);
  WriteStrFields(f);
}

void cEdRecord::WriteStrFields(cDataFile& f) {
  f.WriteU32(static_cast<uint32_t>(StrFieldCount()));
  for (const RECSTRFIELD& d : Tables().vecStrField) f.WriteString(FieldString(d));
}

BOOL cEdRecord::LoadFromFile(const std::string& path) {
  std::unique_ptr<cDataFile> f = OpenDataFileRead(path);
  if (!f) return 0;
  Read(*f);
  return CloseDataFile(f);
}

BOOL cEdRecord::SaveToFile(const std::string& path) {
  std::unique_ptr<cDataFile> f = OpenDataFileWrite(path);
  if (!f) return 0;
  Write(*f);
  return CloseDataFile(f);
}

void cEdU32List::Read(cDataFile& f) {
  cEdRecord::Read(f);
  uint32_t n = f.ReadCount(1, "byte list");
  m_vecByte.assign(n, 0);
  if (n) f.ReadBytes(m_vecByte.data(), n);
}

void cEdU32List::Write(cDataFile& f) {
  EmptyHook();
  cEdRecord::Write(f);
  f.WriteU32(static_cast<uint32_t>(m_vecByte.size()));
  if (!m_vecByte.empty()) f.WriteBytes(m_vecByte.data(), m_vecByte.size());
}
