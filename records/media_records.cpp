#include "records/media_records.h"

void cEdMediaEntry::RegisterFields(int nVersion) {
  ClearTables();
  AddStrField(&strName, 1);
  if (nVersion >= 151) AddField32(&nAttr, 1);
  AddStrField(&strFile, 1);
}

void cEdMediaEntry::Read(cDataFile& f) {
  cEdRecord::Read(f);
  if (g_nFileDataVersion < 153) nAttr = 0;
}
