// Reading the top-level list of one database file. Counts are bounded by
// the bytes left in the file; the lists nested inside a record (frames,
// animations, sword parts) are read with ReadRecordList.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/report.h"
#include "records/record.h"

// The list of one database file: u32 count; the elements there already stay,
// missing ones are copies of proto, surplus ones go; then every element reads
// itself. The list changes only when the whole list was read, so a damaged
// file leaves the list as it was. No more than nKeep elements are kept (see
// records/database_bounds.h); the report says how many more the file held.
//
// The list is read twice. The first pass reads every element into one
// scratch record: a damaged file is found before anything is allocated for
// it, and the second pass reads the elements into a list of their exact
// size. Grown as read, the list held up to twice its elements, and three
// times while it moved; its elements are a few times their bytes in the
// file already (a minimal element is 8 or 12 bytes, its record 72 to 144).
// What an element reads does not depend on the record it is read into, so
// both passes take the same bytes.
template <class T>
void ReadDatabaseList(cDataFile& f, cVector<T>& v, const T& proto, const char* pszWhat, const char* pszEntries,
                      size_t nKeep) {
  uint32_t n = f.ReadCount(RECORD_MIN_BYTES, pszWhat);
  if (f.Failed()) return;
  const int64_t nStart = f.Position();
  {
    T scratch = proto;
    for (uint32_t i = 0; i < n && !f.Failed(); ++i) scratch.Read(f);
  }
  if (f.Failed()) return;
  const int64_t nEnd = f.Position();
  const size_t nTake = n < nKeep ? n : nKeep;
  f.SeekRead(nStart);
  cVector<T> tmp;
  tmp.reserve(nTake);
  for (size_t i = 0; i < nTake && !f.Failed(); ++i) {
    tmp.push_back(i < v.size() ? v[i] : proto);
    tmp.back().Read(f);
  }
  if (f.Failed()) return;
  // The elements past nKeep were read past by the first pass.
  f.SeekRead(nEnd);
  if (nTake < n) Reportf("the database keeps at most %zu %s: %zu more are left out", nKeep, pszEntries, n - nTake);
  v.swap(tmp);
}
