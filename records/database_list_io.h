// Reading the top-level list of one database file. Counts are bounded by
// the bytes left in the file; the lists nested inside a record (frames,
// animations, sword parts) are read with ReadRecordList.
#pragma once

#include <cstdint>

#include "records/record.h"

// The list of one database file: u32 count; the elements there already stay,
// missing ones are copies of proto, surplus ones go; then every element reads
// itself. The list changes only when the whole list was read, so a damaged
// file leaves the list as it was.
template <class T>
void ReadDatabaseList(cDataFile& f, cVector<T>& v, const T& proto, const char* pszWhat) {
  uint32_t n = f.ReadCount(RECORD_MIN_BYTES, pszWhat);
  if (f.Failed()) return;
  // Grown as read: the bytes left bound the count, not what each element
  // (with its own default lists) takes in memory.
  cVector<T> tmp;
  for (uint32_t i = 0; i < n && !f.Failed(); ++i) {
    tmp.push_back(i < v.size() ? v[i] : proto);
    tmp.back().Read(f);
  }
  if (f.Failed()) return;
  if (tmp.size() <= tmp.capacity() / 2) tmp.shrink_to_fit();
  v.swap(tmp);
}
