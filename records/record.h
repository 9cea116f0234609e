// cEdRecord, the base of every persistent object: a record registers its
// members per data version in two tables (fixed-size members and strings),
// and reading, writing, clearing and copying walk those tables. The file
// layout of a record is its base part (u32 field count, the fields' raw
// bytes, u32 string count, the strings), then whatever its class adds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/win_types.h"
#include "base/checked_containers.h"
#include "records/data_file.h"
#include "records/field_tables.h"

class cEdRecord {
 public:
  cEdRecord() = default;
  virtual ~cEdRecord() = default;
  cEdRecord(const cEdRecord&) = default;
  cEdRecord& operator=(const cEdRecord&) = default;

  virtual void PreCopy(int /*nVersion*/) {}
  // Empties both tables, then registers the members that data version
  // nVersion holds, in file order.
  virtual void RegisterFields(int /*nVersion*/) {}
  // The base part; overrides call it first, then read their own lists.
  virtual void Read(cDataFile& f);
  virtual void Write(cDataFile& f);

  // Every registered number zero, every registered string empty.
  void ClearFields();
  // Copies the registered members' values from a record of the same class.
  void CopyFieldValues(cEdRecord& src);
  // Brings this record's tables to the shape of src's.
  void RebindFields(cEdRecord& src);

  // 1 when the file was opened and read whole; 0 when it could not be
  // opened or was damaged (with one report line).
  BOOL LoadFromFile(const std::string& path);
  // 1 when the file was written whole; 0 otherwise, and an earlier file of
  // that name is left as it was.
  BOOL SaveToFile(const std::string& path);

  void ReadStrFields(cDataFile& f);
  void WriteStrFields(cDataFile& f);
  void StripStrFieldsCR();

  const RECFIELD& FieldAt(int i) const { return Tables().vecField.CheckedAt(i); }
  const RECSTRFIELD& StrFieldAt(int i) const { return Tables().vecStrField.CheckedAt(i); }
  int FieldCount() const { return static_cast<int>(Tables().vecField.size()); }
  int StrFieldCount() const { return static_cast<int>(Tables().vecStrField.size()); }

 protected:
  void ClearTables() { m_pFields = nullptr; }
  // RegisterFields(nVersion) as the base's own operations call it: the
  // tables a class had at a version are looked up, not registered again.
  void BindFields(int nVersion);
  template <class T>
  void AddField32(T* p, int nCount) {
    static_assert(sizeof(T) == 4 && std::is_trivially_copyable_v<T>);
    AddField(p, nCount, 4);
  }
  template <class T>
  void AddField16(T* p, int nCount) {
    static_assert(sizeof(T) == 2 && std::is_trivially_copyable_v<T>);
    AddField(p, nCount, 2);
  }
  template <class T>
  void AddField8(T* p, int nCount) {
    static_assert(sizeof(T) == 1 && std::is_trivially_copyable_v<T>);
    AddField(p, nCount, 1);
  }
  template <class T>
  void AddField64(T* p, int nCount) {
    static_assert(sizeof(T) == 8 && std::is_trivially_copyable_v<T>);
    AddField(p, nCount, 8);
  }
  // Registers the same string nCount times (every caller passes 1).
  void AddStrField(std::string* p, int nCount);
  // RegisterFields(DATA_VERSION_CURRENT) for the records made by the
  // thousand while a file is read or a stage plays (commands, shots, moves):
  // the tables this class registered at the current version are looked up
  // rather than walked again.
  void BindCurrentFields() { BindFields(DATA_VERSION_CURRENT); }

 private:
  void AddField(void* p, int nCount, int nSize) {
    const ptrdiff_t nOffset = reinterpret_cast<char*>(p) - reinterpret_cast<char*>(this);
    const cFieldNode& from = m_pFields ? *m_pFields : cFieldNode::Root();
    m_pFields = from.Next(nOffset, static_cast<uint32_t>(nCount < 0 ? 0 : nCount), static_cast<int8_t>(nSize));
  }
  void RegisterAndRemember(int nVersion, struct RECLAYOUTSLOT& slot);
  const RECTABLES& Tables() const { return (m_pFields ? *m_pFields : cFieldNode::Root()).Tables(); }
  void* FieldData(const RECFIELD& d) { return reinterpret_cast<char*>(this) + d.nOffset; }
  std::string& FieldString(const RECSTRFIELD& d) {
    return *reinterpret_cast<std::string*>(reinterpret_cast<char*>(this) + d.nOffset);
  }

  // The registration so far; null while nothing is registered.
  const cFieldNode* m_pFields = nullptr;
};

// Shared slot bodies.
inline void EmptyHook() {}
inline void WriteAndHook(cEdRecord& r, cDataFile& f) {
  EmptyHook();
  r.cEdRecord::Write(f);
}

// The n elements of a list of records, each read by its own Read and each
// starting as a copy of *pProto, or a default record without one. The list
// grows as its elements are read: a count is bounded by the bytes left, but
// so is every count nested in the first element, so made to its count up
// front every level of a damaged file would build elements for the same
// bytes. Elements past the first nKeep are read and dropped, for lists that
// the program holds to a fixed length anyway. A list whose read failed is
// left empty (the load fails anyway).
template <class T>
void ReadRecordElements(cDataFile& f, cVector<T>& v, uint32_t n, const T* pProto = nullptr,
                        size_t nKeep = SIZE_MAX) {
  v.clear();
  for (uint32_t i = 0; i < n && !f.Failed(); ++i) {
    if (v.size() >= nKeep) {
      T dropped = pProto ? *pProto : T();
      dropped.Read(f);
      continue;
    }
    // A fresh element unless a prototype is given: a default record may own
    // sub-records (a command's move and shot) that copies would share.
    if (pProto) {
      v.push_back(*pProto);
    } else {
      v.emplace_back();
    }
    v.back().Read(f);
  }
  if (f.Failed()) v.clear();
  // The room a default element's list kept goes (a file of many small
  // elements costs what they hold); the list's own growth stays, since
  // moving it would take more at once than growing did.
  if (v.size() <= v.capacity() / 2) v.shrink_to_fit();
}

// The smallest a record can be in a file: its field count and string count.
constexpr size_t RECORD_MIN_BYTES = 8;

// A list of records: u32 count, then each record by its own Write.
template <class T>
void ReadRecordList(cDataFile& f, cVector<T>& v, const char* pszWhat = "record list", const T* pProto = nullptr,
                    size_t nKeep = SIZE_MAX) {
  uint32_t n = f.ReadCount(RECORD_MIN_BYTES, pszWhat);
  ReadRecordElements(f, v, n, pProto, nKeep);
}

template <class T>
void WriteRecordList(cDataFile& f, cVector<T>& v) {
  f.WriteU32(static_cast<uint32_t>(v.size()));
  for (T& r : v) r.Write(f);
}

// A list of numbers: u32 count, then the raw values.
template <class T>
void ReadValueList(cDataFile& f, cVector<T>& v, const char* pszWhat = "value list") {
  static_assert(std::is_trivially_copyable_v<T>);
  uint32_t n = f.ReadCount(sizeof(T), pszWhat);
  v.assign(n, T{});
  if (n) f.ReadBytes(v.data(), n * sizeof(T));
}

template <class T>
void WriteValueList(cDataFile& f, const cVector<T>& v) {
  static_assert(std::is_trivially_copyable_v<T>);
  f.WriteU32(static_cast<uint32_t>(v.size()));
  if (!v.empty()) f.WriteBytes(v.data(), v.size() * sizeof(T));
}

// An optional sub-record: u32 presence flag, then the record when present.
template <class T>
void ReadOptionalRecord(cDataFile& f, std::unique_ptr<T>& p) {
  uint32_t flag = 0;
  f.ReadU32(flag);
  if (flag && !f.Failed()) {
    if (!p) p = std::make_unique<T>();
    p->Read(f);
  } else {
    p.reset();
  }
}

template <class T>
void WriteOptionalRecord(cDataFile& f, const std::unique_ptr<T>& p) {
  f.WriteU32(p ? 1 : 0);
  if (p) p->Write(f);
}

// A record with a trailing byte list: its base part, u32 n, then n bytes.
class cEdU32List : public cEdRecord {
 public:
  cEdU32List() { RegisterFields(DATA_VERSION_CURRENT); }
  void RegisterFields(int) override { ClearTables(); }
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;

  cVector<uint8_t> m_vecByte;
};
