#include "records/record.h"

#include <algorithm>
#include <cstring>

void cEdRecord::AddField(void* p, int nCount, int nSize) {
  ptrdiff_t off = reinterpret_cast<char*>(p) - reinterpret_cast<char*>(this);
  m_vecField.push_back(RECFIELD{off, static_cast<uint32_t>(nCount < 0 ? 0 : nCount), static_cast<int8_t>(nSize)});
}

void cEdRecord::AddStrField(std::string* p, int nCount) {
  ptrdiff_t off = reinterpret_cast<char*>(p) - reinterpret_cast<char*>(this);
  for (int i = 0; i < nCount; ++i) m_vecStrField.push_back(RECSTRFIELD{off});
}

void cEdRecord::ClearFields() {
  RegisterFields(g_nCurDataVersion);
  for (const RECFIELD& d : m_vecField) std::memset(FieldData(d), 0, static_cast<size_t>(d.dwCount) * d.cSize);
  for (const RECSTRFIELD& d : m_vecStrField) FieldString(d).clear();
}

void cEdRecord::RebindFields(cEdRecord& src) {
  RegisterFields(g_nCurDataVersion);
  src.PreCopy(g_nCurDataVersion);
  // Offsets need no re-basing: the same offsets name this record's members.
  m_vecField = src.m_vecField;
  m_vecStrField = src.m_vecStrField;
}

void cEdRecord::ReleaseFieldTables() {
  cVector<RECFIELD>().swap(m_vecField);
  cVector<RECSTRFIELD>().swap(m_vecStrField);
}

void cEdRecord::CopyFieldValues(cEdRecord& src) {
  RegisterFields(g_nCurDataVersion);
  src.RegisterFields(g_nCurDataVersion);
  for (int i = 0; i < FieldCount(); ++i) {
    RECFIELD& d = FieldAt(i);
    // A source with fewer fields is reported by the checked access; its
    // stand-in descriptor is copied from only when it is just as large, so
    // nothing is read past a member of the source.
    RECFIELD& s = src.FieldAt(i);
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
  RegisterFields(g_nFileDataVersion);
  // The count is an unsigned word: read signed, one with its top bit set
  // would pass as no field at all.
  uint32_t nFields = 0;
  f.ReadU32(nFields);
  if (nFields > static_cast<uint32_t>(FieldCount())) {
    // More fields than this version has: a damaged file. One line, and the
    // load fails, instead of re-reading the first member over and over.
    f.Fail("field count");
  } else {
    for (int i = 0; i < static_cast<int>(nFields) && !f.Failed(); ++i) {
      RECFIELD& d = FieldAt(i);
      f.ReadBytes(FieldData(d), static_cast<size_t>(d.dwCount) * d.cSize);
    }
  }
  if (!f.Failed()) ReadStrFields(f);
  if (g_nCurDataVersion != g_nFileDataVersion) RegisterFields(g_nCurDataVersion);
}

void cEdRecord::ReadStrFields(cDataFile& f) {
  uint32_t nStrings = 0;
  f.ReadU32(nStrings);
  if (nStrings > static_cast<uint32_t>(StrFieldCount())) {
    f.Fail("string count");
    return;
  }
  for (int i = 0; i < static_cast<int>(nStrings) && !f.Failed(); ++i) {
    std::string s;
    if (f.ReadString(s)) FieldString(StrFieldAt(i)) = std::move(s);
  }
  if (g_bStripCR) StripStrFieldsCR();
}

void cEdRecord::StripStrFieldsCR() {
  for (const RECSTRFIELD& d : m_vecStrField) {
    std::string& s = FieldString(d);
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  }
}

void cEdRecord::Write(cDataFile& f) {
  RegisterFields(g_nCurDataVersion);
  f.WriteU32(static_cast<uint32_t>(FieldCount()));
  for (const RECFIELD& d : m_vecField) f.WriteBytes(FieldData(d), static_cast<size_t>(d.dwCount) * d.cSize);
  WriteStrFields(f);
}

void cEdRecord::WriteStrFields(cDataFile& f) {
  f.WriteU32(static_cast<uint32_t>(StrFieldCount()));
  for (const RECSTRFIELD& d : m_vecStrField) f.WriteString(FieldString(d));
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
