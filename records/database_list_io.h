// Reading the lists of the database files: the top-level list of one file,
// and the lists nested in its entries (frames, animations, sword parts).
// Counts are bounded by the bytes left in the file.
//
// Every list is read twice. The first pass reads every element into one
// scratch record: a damaged file is found before anything is allocated for
// it, and the second pass reads the elements into a list of their exact
// size. Grown as read, a list held up to twice its elements, and three
// times while it moved; its elements are a few times their bytes in the
// file already (a minimal element is 8 or 12 bytes, its record 24 to 144).
// What an element reads does not depend on the record it is read into, so
// both passes take the same bytes. The lists nest three deep at most (the
// frames of an animation of a set), so no element is read more than eight
// times.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/report.h"
#include "records/record.h"

// n elements of f into out, each starting as start(i); no more than nKeep
// are kept, the others read past. False, with out as it was, when the file
// is damaged.
template <class T, class START>
bool ReadElementsExactly(cDataFile& f, uint32_t n, size_t nKeep, cVector<T>& out, const START& start) {
  const int64_t nStart = f.Position();
  if (n > 0) {
    T scratch = start(0);
    for (uint32_t i = 0; i < n && !f.Failed(); ++i) scratch.Read(f);
  }
  if (f.Failed()) return false;
  const int64_t nEnd = f.Position();
  const size_t nTake = std::min<size_t>(n, nKeep);
  f.SeekRead(nStart);
  cVector<T> tmp;
  tmp.reserve(nTake);
  for (size_t i = 0; i < nTake && !f.Failed(); ++i) {
    tmp.push_back(start(i));
    tmp.back().Read(f);
  }
  if (f.Failed()) return false;
  f.SeekRead(nEnd);
  out.swap(tmp);
  return true;
}

// The list of one database file: u32 count; the elements there already stay,
// missing ones are copies of proto, surplus ones go; then every element reads
// itself. The list changes only when the whole list was read, so a damaged
// file leaves the list as it was. No more than nKeep elements are kept (see
// records/database_bounds.h); the report says how many more the file held.
template <class T>
void ReadDatabaseList(cDataFile& f, cVector<T>& v, const T& proto, const char* pszWhat, const char* pszEntries,
                      size_t nKeep) {
  uint32_t n = f.ReadCount(RECORD_MIN_BYTES, pszWhat);
  if (f.Failed()) return;
  if (!ReadElementsExactly(f, n, nKeep, v, [&](size_t i) { return i < v.size() ? v[i] : proto; })) return;
  if (n > nKeep) Reportf("the database keeps at most %zu %s: %zu more are left out", nKeep, pszEntries, n - nKeep);
}

// A list nested in a database entry, read as ReadRecordList reads it (u32
// count, then each element, a copy of *pProto or a default record, reads
// itself; a list whose read failed is left empty), into exact room.
template <class T>
void ReadNestedDatabaseList(cDataFile& f, cVector<T>& v, const char* pszWhat, const T* pProto = nullptr) {
  uint32_t n = f.ReadCount(RECORD_MIN_BYTES, pszWhat);
  cVector<T> tmp;
  if (!f.Failed()) ReadElementsExactly(f, n, SIZE_MAX, tmp, [&](size_t) { return pProto ? *pProto : T(); });
  v.swap(tmp);
}
